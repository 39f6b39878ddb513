// The net layer's message boxes: a message-table text shown in a modal box
// with one button, after the bell; the error box variant appends the id.
#pragma once

#include <cstddef>
#include <cstdint>

// Size of a message box's text buffer.
inline constexpr size_t kGEMessageTextSize = 256;

// Copies the message-table text of the id into text (kGEMessageTextSize bytes).
void GE_GetMessageText(int16_t id, char* text);

// The error box text: the message followed by " (0x%04X)" with the id when
// the message is shorter than 246 characters, else the message alone.
void GE_MessageTextWithCode(int16_t id, char* text);

// In a print-files run nobody answers a box: the text goes to the error
// output and true is returned; false otherwise, with nothing written.
bool GE_ReportWithoutBox(const char* text);
// Plain message box (bell, one button); returns 1.
int GE_MessageBox(int16_t id);

// Error box: as GE_MessageBox with the id appended to the text; returns 1.
int GE_MessageBoxWithCode(int16_t id);

