// The X side of the text editor shared by its display and widget files: the
// edit widget, its drawing window and graphics contexts, and the building of
// the edit window under a toplevel shell.
#pragma once

#include <X11/Intrinsic.h>

#include <cstdint>

#include "xkv/text/TextEdit.h"
#include "xkv/text/TextKernel.h"

// Where the edited text is drawn: null display when there is no edit window.
struct TextDrawTarget {
    Display* display = nullptr;
    Drawable window = 0;
    GC normal = nullptr;
    GC inverse = nullptr;
};
TextDrawTarget TextWidget_DrawTarget();

// Builds the popup shell "text" with its viewport and the editing widget
// "braskText" under the toplevel shell (once); the notifier is kept for the
// edit record.
void TextWidget_Build(Widget toplevel, EditNotifier notifier);
// The same under the kernel's toplevel shell, as at start-up.
void Text_CreateEditWindow(EditNotifier notifier);
// The characters last selected or typed over, and their count.
const char* TextWidget_SelectionBuffer(uint32_t* length);
// Destroys the edit window (the program's end).
void TextWidget_Destroy();
Widget TextWidget_Widget();
Widget TextWidget_Shell();
// The pixel size of the frame of the edited text (at least 4 wide).
void TextWidget_FramePixels(int32_t* width, int32_t* height);

uint32_t TextWidget_OwnSelection(MemHandle text, Time time);

// Drag mode: the edit window of a non-label text is hidden and button 1
// moves the text inside its frame on the page window.
void TextWidget_EnterDragMode();
void TextWidget_LeaveDragMode();
uint32_t TextWidget_DragMode();

// ---- The kernel's view of the editor ----
void Text_FollowScroll();
void Text_PlaceEditWindow();
KernelStatus Text_HideEditWindow();
KernelStatus Text_ShowEditWindow();

// ---- Scrolling and dragging the edited text ----
// The scroll bars: a scroll-bar event, or (event null) a pixel distance as
// the toolkit's scroll bar reports it.
void Text_ScrollVertical(const XEvent* event, int32_t deltaPixels);
void Text_ScrollHorizontal(const XEvent* event);
// Moves the text by pixels inside its frame (drag mode); with `scroll` the
// frame's pixels follow at once.
void Text_DragBy(MemHandle text, int32_t dx, int32_t dy, uint32_t scroll);
// Adds dy to the position of the lines from the top shown line down to the
// first one below the frame.
void Text_ShiftLines(MemHandle text, Fixed dy);
// Moves the editing widget in the viewport by (x, y) pixels; 1 when it moved.
uint32_t TextWidget_ScrollTo(int32_t x, int32_t y);
// Scrolls the pixels of the frame in the drawing window and repaints the
// uncovered strips.
void TextWidget_ScrollArea(int32_t dx, int32_t dy);
// Makes the pointer position of an event on the editing widget's own window
// relative to the frame.
void TextWidget_FrameRelative(XEvent* event);
// The text editor's look at an X event while text is edited: 1 when the
// kernel's event switch goes on with it, 0 when the editor took it.
uint32_t Text_FilterEvent(XEvent* event, uint32_t state);
