// QX utilities and windows: code conversion, layer order, delays, dates and
// times, length-prefixed strings, the timer interval and the page windows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xkv/kv/QX.h"

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
