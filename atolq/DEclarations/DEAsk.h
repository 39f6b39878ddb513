// The one question box the declarations need from the net editor that it
// does not offer yet: a message-table text with a named button that goes
// ahead and a Cancel button. Only declared; the program provides it.
#pragma once

#include <cstdint>

// 1 when the user pressed the named button, 0 for Cancel.
int GE_AskWithButton(int16_t messageId, const char* button);
