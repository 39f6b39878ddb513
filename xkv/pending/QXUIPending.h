// Programming-interface functions for talking to the user that are declared
// here until the user-interface part of the programming interface defines them;
// nothing linked into the program calls them yet.
#pragma once

#include <cstdint>

// Modal message dialog with the text and an OK button; 1 when confirmed.
uint32_t QXUI_ShowMessage(const char* text);
