// Services of the simulator that the syntax check calls; they are provided
// by that module, this header only names them.
#pragma once

#include <cstdint>

struct SEHead;

// 1 when the colour-set names of two places are the same through the colour
// table (both unnamed, or equal name texts and second texts).
int ASSameName(SEHead* a, SEHead* b);

// Dialogs of the editor that the evaluator start asks; they are the editor's.
// 1 yes, 0 no, -1 cancel; the second button carries the given text.
int GE_AskYesNoCancel(int16_t messageId, const char* buttonText);
// The login dialog: new user and password strings; 1 accepted, 0 cancelled.
int GE_LoginDialog(char** user, char** password);
// The ML settings dialog; 1 accepted (the settings are stored), 0 cancelled.
int GE_MLSettingsDialog();
// The image dialog for a saved image that cannot be found: 0 declined, 1 a
// path was located and recorded, 2 the user asked for a new image.
int GE_MLImageDialog();
// 1 when the diagram's page list carries the saved-image user data (0xF903).
int GE_PageListHasImageMark();
// The editor's busy cursor while the check runs (no text shown for null).
int EE_BeginBusy(const char* text);
