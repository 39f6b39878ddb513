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
void Text_ScrollLines(int32_t lines);
