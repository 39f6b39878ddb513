// QX utilities and windows: code conversion, layer order, delays, dates and
// times, length-prefixed strings, the timer interval and the page windows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xkv/default/Default.h"
#include "xkv/kv/QX.h"
#include "xkv/types/PtArray.h"
#include "xkv/velkor/XTypes.h"

int32_t QXUtil_ConvertCode(int32_t code, uint32_t fromTable, uint32_t toTable);
uint32_t QXUtil_IsLabel(ObjectHandle object);
uint32_t QXUtil_SetLayerOrder(ObjectHandle object, ObjectHandle other);
uint32_t QXUtil_FitBoxToText(ObjectHandle object);
uint32_t QXUtil_GetTextModeCode();
void QXUtil_Delay(int16_t ticks);
// The sleep of QXUtil_Delay in microseconds (0 for negative ticks).
uint64_t QXUtil_DelayMicroseconds(int16_t ticks);
uint32_t QXUtil_FormatDate(int32_t format, char* buffer);
uint32_t QXUtil_FormatTime(uint32_t withSeconds, char* buffer);
uint32_t QXUtil_GetTimerInterval();
void QXUtil_SetTimerInterval(uint32_t milliseconds);
const unsigned char* QXUtil_CopyToPascal(const char* text);
void QXUtil_CopyPascal(unsigned char* destination, const unsigned char* source);
void QXUtil_Idle();

// Defaults with the interface's codes: an object's own attributes (level 0)
// or, for object 0, those that new objects take. The record is the group's
// value record; a shape kind in it is an interface shape code.
uint32_t QXUtil_SetDefault(ObjectHandle object, uint32_t group, uint32_t attribute, const void* record);
uint32_t QXUtil_GetDefault(ObjectHandle object, uint32_t group, uint32_t attribute, void* record);
uint32_t QXUtil_GetProperty9(int32_t* zero, int32_t* a, int32_t* b);
uint32_t QXUtil_SetProperty9(int32_t ignored, int32_t a, int32_t b);
uint32_t QXUtil_InstallUserProperties(const PropertyDef* table, uint32_t count);
uint32_t QXUtil_IsUserProperty(uint32_t property);
// The value is a copy that the caller frees with QXMem_FreeHandle.
uint32_t QXUtil_GetDefaultEntry(uint32_t index, uint32_t* level, uint32_t* property, MemHandle* value);
uint32_t QXUtil_RemoveUserDefaults(uint32_t level);

// Objects under a point of the current page (interface units; kind bits 4
// node, 16 region, 8 connector, 0 any); 0 when there is none.
ObjectHandle QXUtil_LocateAt(int32_t x, int32_t y, uint32_t kinds);
uint32_t QXUtil_GetConnEndPoint(ObjectHandle connector, ObjectHandle end, uint32_t ignored, FixPoint* out);

// Kernel commands.
ObjectHandle QXUtil_StartInteraction(ObjectHandle page, int32_t kind);
// The request a command kind starts; 0 for none.
int32_t QXUtil_InteractionRequest(int32_t kind);
void QXUtil_AbortCommand();
uint32_t QXUtil_GetInboxDetail(int32_t* detail);
uint32_t QXUtil_ResetPageScale(ObjectHandle page);

// The kernel's point accumulator: while one is open, appends go to it.
uint32_t QXUtil_OpenPoints(uint16_t capacity);
PtArray QXUtil_OpenPointArray();
void QXUtil_ClosePoints();
uint32_t QXUtil_AppendPoint(FixPoint point);
uint32_t QXUtil_AppendArc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t count);

// Display and input.
struct QXDisplayInfo {
    Display* display;
    int screen;
    void* visual;  // the Visual of the screen
    Window root;
};
void QXUtil_Synchronize();
void QXUtil_SetSynchronous(uint32_t on);
uint32_t QXUtil_GetDisplayInfo(QXDisplayInfo* out);
uint32_t QXUtil_FindKeyEvent(uint32_t mask, char key, uint32_t* modifiers, uint32_t remove);
// Copies of the program's name and directory (ending in "/") in new QX memory blocks.
uint32_t QXUtil_GetStartPaths(char** name, char** directory);

// Size of the buffers that the date and time entries fill.
inline constexpr size_t kQXDateSize = 30;

// Page windows.
uint32_t QXWin_OpenPage(ObjectHandle page);
uint32_t QXWin_IsOpen(ObjectHandle page);
uint32_t QXWin_ClosePage(ObjectHandle page);
uint32_t QXWin_GetGeometry(ObjectHandle page, int32_t* width, int32_t* height, int32_t* x, int32_t* y);
uint32_t QXWin_SetGeometry(ObjectHandle page, int32_t x, int32_t y, int32_t width, int32_t height);
uint32_t QXWin_Raise(ObjectHandle page);
uint32_t QXWin_SetTitle(ObjectHandle page, const char* title);
uint32_t QXWin_GetTitle(ObjectHandle page, char* out, size_t size);
uint32_t QXWin_GetDisplaySize(int32_t* width, int32_t* height);
uint32_t QXWin_SetScrollable(ObjectHandle page, uint32_t on);
uint32_t QXWin_SetScrollBars(ObjectHandle page, uint32_t on);
uint32_t QXWin_GetWindowOrigin(ObjectHandle page, int32_t* x, int32_t* y);
// The part of the page that its open window shows, in page coordinates; 0
// when the page has no open window.
uint32_t QXWin_GetVisibleRect(ObjectHandle page, FixRect* rect);
uint32_t QXWin_GetOrigin(int32_t* x, int32_t* y);
uint32_t QXWin_WarpPointer(int32_t x, int32_t y);
uint32_t QXUtil_SetPageOrigin(ObjectHandle page, int32_t x, int32_t y);
ObjectHandle QXWin_OfPage(Widget window);
