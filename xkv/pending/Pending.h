// Entry points of kernel modules that are not built yet (dialogs,
// menus, page windows, the text editor, diagram files and the net
// layer's start-up). Each does the least that keeps its callers sound: nothing
// is open, nothing is being edited, nothing is refused. An entry leaves this
// file when its module arrives.
#pragma once

#include "xkv/velkor/XTypes.h"

#include <cstddef>
#include <cstdint>

#include "xkv/types/Types.h"

// The gesture state machine, built: its entry points as callers know them.
#include "xkv/trans/Trans.h"

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


// The kernel text editor.
void Text_InitWindows(void (*notify)(uint32_t block));
uint32_t Text_EditingState();
uint32_t Text_RoutePointerEvent(XEvent* event, uint32_t state);
Widget Text_EditWidget(Window* window);
Window Text_FrameWindow();
uint32_t Text_PointOverEditedText(uint32_t text, int16_t x, int16_t y);
ObjectHandle Text_FirstReferrer(ObjectHandle object);
// Drawing of texts in page windows, and the edit window following a scroll.
void Text_DrawObjectText(ObjectHandle object);
void Text_DrawString(Widget widget, int16_t font, Fixed x, Fixed y, const char* characters, int16_t length);
void Text_FollowScroll();
// The pixels of the edit window, which the clearing graphics context takes.
Pixel Text_ForegroundPixel();
Pixel Text_BackgroundPixel();

// Diagram files and printing.
KernelStatus Comm_LoadDiagram();
KernelStatus Comm_PrintDiagram();

// The net layer's entry: start-up (kinds 0 and 3) and its own commands (kind 1).
uintptr_t QVmountopen(uint32_t kind, int32_t menuId, uint32_t value);
// The request bound to a menu command while the programming interface runs one.
uint32_t QXUI_GetCurrentCommand();

// Cursors.
uint32_t Cursor_LoadFile(const char* path);
void Cursor_SetMainWindow(uint32_t id);

// Text editing.
void Text_StartEdit(ObjectHandle object);
void Text_LeaveEditing();


int32_t Cursor_GetCurrent();
KernelStatus Cursor_Set(uint32_t id);

// Printing: no PostScript output is open; the paper of the page setup.
uint32_t Print_IsActive();
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
