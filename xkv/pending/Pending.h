// Entry points of kernel modules that are not built yet (gestures, dialogs,
// diagram files, printing and the net layer's start-up). Each does the least
// that keeps its callers sound: nothing is open, nothing is refused. An entry
// leaves this file when its module arrives.
#pragma once

#include "xkv/velkor/XTypes.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "xkv/types/Types.h"
#include "xkv/window/Window.h"

// Gesture state machine.
KernelStatus Trans_Initialize();
KernelStatus Trans_Begin(int32_t cursor, const FixPoint* heldPoint, uint32_t noDrag);
KernelStatus Trans_Push();
KernelStatus Trans_Pop();
void Trans_SetPendingCursor(int32_t cursor);
int32_t Trans_GetState();
void Trans_PostIdleText(uint32_t block);
// The input callback of page windows.
void Trans_WindowEvent(Widget widget, Widget same, XEvent* event);

// Dialogs.
KernelStatus Dialog_Initialize();
uint32_t Dialog_IsOpen();
uint32_t Dialog_IsFileSelectorShown();
uint32_t Dialog_HandleKey(XEvent* keyEvent, int character);
uint32_t Dialog_ContainsPoint(int rootX, int rootY);
uint32_t Dialog_HandleButton(XEvent* buttonEvent);
int32_t Dialog_FindLevelOfWindow(Window window);
void Dialog_RememberGeometry(int32_t level, int x, int y, int width, int height);
int32_t Dialog_TopDialogNumber();
void Dialog_ReportStatus(KernelStatus status);
uint32_t Dialog_IsLevelWindow(Window window);

// Diagram files and printing.
KernelStatus Comm_LoadDiagram();
KernelStatus Comm_PrintDiagram();

// The net layer's entry: start-up (kinds 0 and 3) and its own commands (kind 1).
// The program links the net layer's; kernel-only programs get a stand-in.
uintptr_t QVmountopen(uint32_t kind, int32_t menuId, uint32_t value);

// The pages a page command works on: from hook 85, else the current page
// alone; the list is the caller's to free with free(). 1 when had.
uint32_t Comm_GetSelectedPages(uint16_t* count, uint32_t** pages);

// File selection and alerts: the selector is cancelled (60); an alert with
// two buttons answers No (1), so nothing is overwritten unasked.
uint32_t Dialog_SelectFile(const char* initial, const char* prompt, const char* button, char* name,
                           uint32_t options, uint32_t* result);
uint32_t Dialog_Alert(uint32_t messageId, const char* text, uint32_t kind);


// The 8x8 bits of fill pattern 1 to 38 (the dialog system's start-up table);
// solid until that table is built.
void LinePat_FillBits(int32_t fill, uint8_t bits[8]);
