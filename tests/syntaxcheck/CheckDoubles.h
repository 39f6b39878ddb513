// What the doubles of the editor's dialogs answer, and how often they were asked.
#pragma once

struct DialogAnswers {
    int yesNoCancel = -1;
    int asked = 0;
};
DialogAnswers& dialogAnswers();
