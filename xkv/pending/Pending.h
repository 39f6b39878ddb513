// Entry points of kernel modules that are not built yet (gestures, dialogs,
// menus, page windows, the text editor, diagram operations and the net
// layer's start-up). Each does the least that keeps its callers sound: nothing
// is open, nothing is being edited, nothing is refused. An entry leaves this
// file when its module arrives.
#pragma once

#include "xkv/velkor/XTypes.h"

#include <cstddef>
#include <cstdint>

#include "xkv/types/Types.h"

// Gesture state machine.
KernelStatus Trans_Initialize();
KernelStatus Trans_Begin(int32_t cursor, const FixPoint* heldPoint, uint32_t noDrag);
KernelStatus Trans_Push();
KernelStatus Trans_Pop();
void Trans_SetPendingCursor(int32_t cursor);
int32_t Trans_GetState();
void Trans_PostIdleText(uint32_t block);

// Gesture text state entered by record dialogs (24 with argument, else 27).
KernelStatus Trans_BeginText(uint32_t ignored, uint32_t withArgument);
// Records a shell's present geometry as its user-given position and size.
void Window_SetNormalHints(Widget shell);
// The text editor's font family and size names.
const char* const* Text_FontFamilyNames();
int32_t Text_FontFamilyCount();
const char* const* Text_FontSizeNames();
int32_t Text_FontSizeCount();

// Page windows.
KernelStatus Window_Initialize();
void Window_PrepareX();
void Window_FlushDamage();
uint32_t Window_IsPageShell(Window window);

// Drawable cache.
KernelStatus Cache_Initialize();

// The kernel text editor.
void Text_InitWindows(void (*notify)(uint32_t block));
uint32_t Text_EditingState();
uint32_t Text_RoutePointerEvent(XEvent* event, uint32_t state);
Widget Text_EditWidget(Window* window);
Window Text_FrameWindow();
uint32_t Text_PointOverEditedText(uint32_t text, int16_t x, int16_t y);
ObjectHandle Text_FirstReferrer(ObjectHandle object);

// Diagram operations and files.
KernelStatus Core_Initialize();
KernelStatus Comm_LoadDiagram();
KernelStatus Comm_PrintDiagram();

// The net layer's entry: start-up (kinds 0 and 3) and its own commands (kind 1).
uintptr_t QVmountopen(uint32_t kind, int32_t menuId, uint32_t value);
// The request bound to a menu command while the programming interface runs one.
uint32_t QXUI_GetCurrentCommand();

// Cursors.
uint32_t Cursor_LoadFile(const char* path);
void Cursor_SetMainWindow(uint32_t id);

// The selection.
KernelStatus Select_Clear();
uint32_t Select_GetMode();
ObjectHandle Select_GetObject();

// Page windows, as the command layer sees them.
Widget Window_OfPage(ObjectHandle page);
ObjectHandle Window_PageOfWindow(uintptr_t window);
void Window_EndDrag(Widget window);
void Window_SetIndication(Widget window, uint32_t on);
void Window_ActivatePage(ObjectHandle page);
KernelStatus Window_OpenPage(ObjectHandle page);
void Window_SetAllowScroll(Widget window, uint32_t on);
void Window_HideExtentOutline(ObjectHandle object);
void Window_ShowExtentOutline(ObjectHandle object);

// Text editing.
void Text_StartEdit(ObjectHandle object);
void Text_LeaveEditing();

uint32_t Select_GetGroup();

int32_t Cursor_GetCurrent();
KernelStatus Cursor_Set(uint32_t id);
