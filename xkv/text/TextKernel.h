// What the kernel's start-up, main loop and commands call of the text editor:
// the edit window's creation, the editing state, routing of pointer events to
// the edit window, and starting and leaving edits. Free of the toolkit's
// headers, so that kernel headers can include it.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"
#include "xkv/velkor/XTypes.h"

void Text_InitWindows(void (*notify)(uint32_t block));
uint32_t Text_EditingState();
uint32_t Text_RoutePointerEvent(XEvent* event, uint32_t state);
Widget Text_EditWidget(Window* window);
Window Text_FrameWindow();
uint32_t Text_PointOverEditedText(uint32_t text, int16_t x, int16_t y);
void Text_StartEdit(ObjectHandle object);
void Text_LeaveEditing();
// The label command's label being written: forgotten, or finished (an
// empty one deleted).
void Text_ForgetLabel();
void Text_EndLabelEdit();
ObjectHandle Text_FirstReferrer(ObjectHandle object);
// Drawing of texts in page windows, and the edit window following a scroll.
void Text_DrawObjectText(ObjectHandle object);
void Text_DrawString(Widget widget, int16_t font, Fixed x, Fixed y, const char* characters, int16_t length);
void Text_FollowScroll();
// The pixels of the edit window (read after the edit window is built).
Pixel Text_ForegroundPixel();
Pixel Text_BackgroundPixel();
