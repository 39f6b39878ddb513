// What the doubles of the editor's dialogs answer, how often they were
// asked, and the message boxes shown.
#pragma once

#include <cstdint>
#include <vector>

struct DialogAnswers {
    int yesNoCancel = -1;
    int asked = 0;
    std::vector<int16_t> messages;
    int busy = 0;
    int yesNo = 1;      // the answer of a yes/no question: 1 yes
    int askedYesNo = 0;
};
DialogAnswers& dialogAnswers();
