// The "status" widget class: a one-line strip of text segments, each drawn at its
// own x position, optionally in inverse video, reporting first-button presses.
#pragma once

#include <X11/Intrinsic.h>

#include <cstdint>

extern WidgetClass statusWidgetClass;

using StatusMouseDownProc = void (*)(Widget widget);

// Longest text of a segment in a strip of two or more segments.
inline constexpr int kStatusSegmentMax = 119;

// Sets a segment's text and position, then redraws. A null text empties the
// segment; a text value from 1 to 100 keeps the segment's text and moves it only.
// The text is copied (cut to 119 characters in strips of two or more segments).
void Status_SetString(Widget widget, const char* text, int index, int32_t x);
// The segment's text; null when the index is out of range or the text is empty.
const char* Status_GetString(Widget widget, int index);
// Pixel width of a segment's text in the widget's font (0 for an empty segment or
// an index that names no segment), cut to 16 bits.
uint16_t Status_TextWidth(Widget widget, int index);
// Pixel width of a string in the widget's font, cut to 16 bits.
uint16_t Status_StringWidth(Widget widget, const char* text);
void Status_SetInverse(Widget widget, int on);
void Status_SetCallback(Widget widget, StatusMouseDownProc proc);
Dimension Status_GetMinWidth(Widget widget);
