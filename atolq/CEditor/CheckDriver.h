// The editor's driver of the syntax check with its progress display, the
// busy state of long operations and the check for decimal numbers.
#pragma once

#include <cstdint>

#include "atolq/CEditor/LifeSeams.h"

// 1 passed, -1 errors were found, -2 no verdict, 0 stopped by the user.
int EE_RunSyntaxCheck(uint32_t pageList, int scope, int argument, int flag);
// The error reporter handed to the check; 0.
int EE_AddErrorText(uint32_t object, const char* text, MemFile* details);
// 1 when the text object already holds a page-name error (O.7 or O.8).
int EE_HasPageNameError(uint32_t textObject);
// The progress reporter handed to the check.
void EE_ShowProgress(int* continueFlag, ProgressRecord* record);
// Shows the text in the status bar; the previous cursor.
int EE_BeginBusy(const char* text);
void EE_EndBusy(int previous);
// 1 when the text is a decimal number; isInteger says whether it has no point.
int EE_ParseNumber(const char* text, int* isInteger);
