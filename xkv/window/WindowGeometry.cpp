// Screen geometry of page windows: reading and setting a window's place,
// saving it with its page and checking a saved place before it is reused,
// the screen's size and resolution, and the resize callback.
#include <X11/Intrinsic.h>
#include <X11/StringDefs.h>
#include <X11/Xutil.h>

#include <algorithm>

#include "xkv/model/Model.h"
#include "xkv/types/Fixed.h"
#include "xkv/window/PageStructureInternal.h"
#include "xkv/window/WindowInternal.h"

namespace {

constexpr FieldId kSavedRect = 52;
constexpr FieldId kScrollOrigin = 53;
constexpr KernelStatus kStatusNotPageObject = 37;
constexpr KernelStatus kStatusNoShell = 72;
constexpr int32_t kScreenInset = 10;
constexpr int32_t kSmallestSaved = 21;

struct SavedRect {
    int32_t x, y, width, height;
};

KernelStatus ShellOfPageChecked(ObjectHandle page, Widget* shell)
{
    if (!Model_IsPage(page)) {
        return kStatusNotPageObject;
    }
    *shell = Window_ShellOfPage(page);
    return *shell != nullptr && XtWindow(*shell) != 0 ? kStatusOk : kStatusNoShell;
}

bool InsideInset(int32_t v, int32_t size)
{
    return v > kScreenInset && v < size - kScreenInset;
}

}  // namespace

KernelStatus Window_GetScreenGeometry(ObjectHandle page, int32_t out[4])
{
    Widget shell = nullptr;
    KernelStatus status = ShellOfPageChecked(page, &shell);
    if (status != kStatusOk) {
        return status;
    }
    Window top = Window_TopLevelWindow(XtWindow(shell));
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(XtDisplay(shell), top, &root, &x, &y, &width, &height, &border, &depth);
    int32_t drawingWidth = 0, drawingHeight = 0;
    Widget widget = Window_OfPage(page);
    Window_DrawingSize(widget, &drawingWidth, &drawingHeight);
    out[0] = x + 1;
    out[1] = y + 1;
    out[2] = drawingWidth - 2;
    out[3] = drawingHeight - 2;
    return kStatusOk;
}

KernelStatus Window_SetScreenGeometry(ObjectHandle page, const int32_t rect[4])
{
    Widget shell = nullptr;
    KernelStatus status = ShellOfPageChecked(page, &shell);
    if (status != kStatusOk) {
        return status;
    }
    XtVaSetValues(shell, XtNx, Map_ClampCoord(int64_t{rect[0]} - 1), XtNy, Map_ClampCoord(int64_t{rect[1]} - 1),
                  XtNwidth, std::max<Dimension>(1, Map_ClampLength(int64_t{rect[2]} + 2)), XtNheight,
                  std::max<Dimension>(1, Map_ClampLength(int64_t{rect[3]} + 2)), XtNborderWidth, 0, nullptr);
    return kStatusOk;
}

KernelStatus Window_GetScreenSize(int32_t out[4])
{
    Display* display = Window_Display();
    out[0] = 0;
    out[1] = 0;
    out[2] = display != nullptr ? DisplayWidth(display, DefaultScreen(display)) : 0;
    out[3] = display != nullptr ? DisplayHeight(display, DefaultScreen(display)) : 0;
    return kStatusOk;
}

KernelStatus Window_GetResolution(int32_t* x, int32_t* y)
{
    // The screen scale factors are 1.0 after start-up.
    *x = Fix_Mul(kFixedOne, 72 * kFixedOne) >> 16;
    *y = Fix_Mul(kFixedOne, 72 * kFixedOne) >> 16;
    return kStatusOk;
}

Window Window_ParentWindow(Window window)
{
    Display* display = Window_Display();
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (display == nullptr || XQueryTree(display, window, &root, &parent, &children, &count) == 0) {
        return 0;
    }
    if (children != nullptr) {
        XFree(children);
    }
    return parent;
}

Window Window_TopLevelWindow(Window window)
{
    Display* display = Window_Display();
    if (display == nullptr) {
        return window;
    }
    Window root = DefaultRootWindow(display);
    for (Window w = window;;) {
        Window parent = Window_ParentWindow(w);
        if (parent == 0 || parent == root) {
            return w;
        }
        w = parent;
    }
}

KernelStatus Window_CheckSavedGeometry(ObjectHandle page, int32_t rect[4], FixPoint* origin)
{
    SavedRect saved{};
    if (Model_GetField(page, kSavedRect, &saved) != kStatusOk) {
        return kStatusNotFound;
    }
    rect[0] = saved.x;
    rect[1] = saved.y;
    rect[2] = saved.width;
    rect[3] = saved.height;
    if (saved.width < kSmallestSaved && saved.height < kSmallestSaved) {
        return kStatusNotFound;
    }
    if (origin != nullptr) {
        Model_GetField(page, kScrollOrigin, origin);
    }
    int32_t screen[4] = {};
    Window_GetScreenSize(screen);
    int64_t right = int64_t{saved.x} + saved.width, bottom = int64_t{saved.y} + saved.height;
    bool xInside = InsideInset(saved.x, screen[2]) ||
                   InsideInset(static_cast<int32_t>(std::clamp<int64_t>(right, INT32_MIN, INT32_MAX)), screen[2]);
    bool yInside = InsideInset(saved.y, screen[3]) ||
                   InsideInset(static_cast<int32_t>(std::clamp<int64_t>(bottom, INT32_MIN, INT32_MAX)), screen[3]);
    return xInside && yInside ? kStatusOk : kStatusNotFound;
}

KernelStatus Window_SaveGeometry(ObjectHandle page)
{
    int32_t rect[4] = {};
    if (Window_OfPage(page) == nullptr || Window_GetScreenGeometry(page, rect) != kStatusOk) {
        return kStatusOk;
    }
    SavedRect saved{rect[0], rect[1], rect[2], rect[3]};
    return Model_SetField(page, kSavedRect, &saved);
}

void Window_SetNormalHints(Widget widget)
{
    Widget shell = Window_Shell(widget);
    if (shell == nullptr || XtWindow(shell) == 0) {
        return;
    }
    Display* display = XtDisplay(shell);
    Window top = Window_TopLevelWindow(XtWindow(shell));
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(display, top, &root, &x, &y, &width, &height, &border, &depth);
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = x;
    hints.y = y;
    hints.width = static_cast<int>(width);
    hints.height = static_cast<int>(height);
    XSetWMNormalHints(display, XtWindow(shell), &hints);
}

void Window_Resized(Widget widget, short* x, short* y, unsigned short* width, unsigned short* height)
{
    PageWindow* record = Window_RecordOf(widget);
    if (record == nullptr || !Window_IsStructureKind(record->kind)) {
        return;
    }
    PageStructure_ComputeOrigin(record);
    *x = Map_ClampCoord(record->originX);
    *y = Map_ClampCoord(record->originY);
    *width = Map_ClampLength(record->contentWidth);
    *height = Map_ClampLength(record->contentHeight);
    if (XtWindow(widget) != 0) {
        XClearArea(XtDisplay(widget), XtWindow(widget), 0, 0, 0, 0, False);
    }
}
