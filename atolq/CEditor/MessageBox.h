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
// A scripted run that quits by itself has nobody to answer a box either:
// while it runs, the net layer's boxes go to the error output as well.
void GE_SetUnattended(bool unattended);
// Plain message box (bell, one button); returns 1.
int GE_MessageBox(int16_t id);

// Shows the text in the net layer's message box (dialog 30000, one "OK"
// button) and returns when it has closed; no bell.
void GE_ShowMessageDialog(const char* text);

// Question with "OK" and "Cancel" (bell first): 0 when "Cancel" closed it or
// it could not be opened, else 1.
int GE_AskContinue(int16_t id);

// Error box: as GE_MessageBox with the id appended to the text; returns 1.
int GE_MessageBoxWithCode(int16_t id);


// Question with "Yes", "Cancel" and "No" (bell first): 1 yes, -1 cancel, 0 no.
// The caption names the action for the caller's sake; the buttons keep their
// own labels.
int GE_AskYesNoCancel(int16_t id, const char* caption);

// Question with "Yes" and "No" (bell first): 1 yes, 0 no.
int GE_AskYesNo(int16_t id, const char* caption);

// Number prompt: the field shows the last number read (1 at first). "OK"
// stores the number and returns 1; "Cancel" returns 0 and leaves it.
int GE_AskNumber(int16_t id, int16_t* number);

// Start-mode choice, preset from mode (1 editor, 2 simulator): 0 on "Cancel",
// else 1 with mode set to the chosen one.
int GE_ChooseStartMode(int* mode);
