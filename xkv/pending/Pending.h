// Entry points of kernel modules that are not built yet (gestures, dialogs,
// diagram files, printing and the net layer's start-up). Each does the least
// that keeps its callers sound: nothing is open, nothing is refused. An entry
// leaves this file when its module arrives.
#pragma once

#include "xkv/velkor/XTypes.h"

#include <cstddef>
#include <cstdint>

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
uintptr_t QVmountopen(uint32_t kind, int32_t menuId, uint32_t value);

// Printing: no PostScript output is open; the paper of the page setup.
uint32_t Print_IsActive();
struct FontSpec;
// Sets (or, with none, removes) the clip rectangle of the output.
void Print_Clip(const FixRect* rectangle);
// Writes a run of characters at a page position in a font and colour.
void Print_Text(const FontSpec* font, FixPoint position, uint32_t colour, const char* characters);
KernelStatus Print_GetPaperSize(int32_t size[2]);
uint32_t Print_PSRect(Fixed width, uint32_t style, int32_t lineColour, uint32_t fillColour, uint32_t pattern,
                      FixRect box);
uint32_t Print_PSRoundRect(Fixed width, uint32_t style, int32_t lineColour, uint32_t fillColour, uint32_t pattern,
                           FixRect box, Fixed corner);
uint32_t Print_PSPolygon(Fixed width, uint32_t style, int32_t lineColour, uint32_t fillColour, uint32_t pattern,
                         uint32_t points);
uint32_t Print_PSPolyline(Fixed width, uint32_t style, int32_t lineColour, uint32_t fillColour, uint32_t points);
uint32_t Print_PSArc(Fixed width, uint32_t style, int32_t lineColour, uint32_t fillColour, uint32_t pattern,
                     FixRect box, int32_t start, int32_t end);
struct RImage;
uint32_t Print_PSImage(RImage* image, FixRect box);
KernelStatus Print_PSConnector(ObjectHandle connector, Fixed width, uint32_t style);

// The 8x8 bits of fill pattern 1 to 38 (the dialog system's start-up table);
// solid until that table is built.
void LinePat_FillBits(int32_t fill, uint8_t bits[8]);
