// Programming-interface functions for talking to the user that are not built
// yet; each leaves this file when its module arrives.
#pragma once

#include <cstdint>

// Modal message dialog with the text and an OK button; 1 when confirmed.
uint32_t QXUI_ShowMessage(const char* text);
