// State shared by the page-window module's source files: the window records,
// the zoom factors, the graphics contexts and the view of a widget for the
// page-to-pixel arithmetic.
#pragma once

#include <X11/Xlib.h>

#include <array>
#include <cstdint>

#include "xkv/window/Mapping.h"
#include "xkv/window/Window.h"

// One open window.
struct PageWindow {
    Widget widget = nullptr;
    uint32_t kind = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t contentWidth = 0;
    int32_t contentHeight = 0;
    uint32_t inUse = 0;  // 0 free, 1 in use, 255 withdrawn (page structure window)
    int32_t suspendCount = 0;
    bool needsRepair = false;
};

inline constexpr uint32_t kRecordWithdrawn = 255;

struct WindowModule {
    std::array<PageWindow, kPageWindowMax> table{};
    PageWindow structure{};
    Widget current = nullptr;
    bool resourcesFetched = false;
    Fixed zoomX = kFixedOne;
    Fixed zoomY = kFixedOne;
    GC clearGC = nullptr;
    GC lineGC = nullptr;
    GC fillGC = nullptr;
    GC drawableGC = nullptr;
    Pixmap stipple = 0;
    Pixel foreground = 0;
    Pixel background = 0;
    Display* display = nullptr;
};

WindowModule& Window_Module();
// Forgets the indicated and hidden groups: they belong to a group table that
// the module's (re)initialisation does not keep.
void Window_ResetIndication();

// The record of a widget (table or page structure record), or null.
PageWindow* Window_RecordOf(Widget widget);
// What the page-to-pixel arithmetic needs of a widget.
WindowView Window_ViewOf(Widget widget);
// The display the window module draws on.
Display* Window_Display();
// The X window of a widget, 0 when it has none.
Window Window_XWindow(Widget widget);
// The drawing size of a Diagram widget.
void Window_DrawingSize(Widget widget, int32_t* width, int32_t* height);
// Whether the widget is a Diagram widget.
bool Window_IsDiagram(Widget widget);
// Page extent of the paper in page units (eight papers unless the workspace
// is limited); false when the paper size cannot be read.
bool Window_PageExtent(Fixed* width, Fixed* height);

// Remembered state of the object GCs, reset when a GC was changed elsewhere.
void Window_ForgetObjectGCState();
void Window_ForgetDrawableGCState();
// Drops what the draw queue holds for a widget that goes away.
void DrawQueue_Forget(Widget widget);
