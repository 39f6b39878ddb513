// Coordinate mapping, zoom and scrolling of page windows: lengths, points and
// rectangles between page units and window pixels, the page's scroll origin
// kept in step with the Diagram widget's virtual area, and the scrolling
// operations of the command layer.
#include <X11/Shell.h>
#include <X11/StringDefs.h>

#include <algorithm>

#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/print/Print.h"
#include "xkv/platform/xwindows/Diagram.h"
#include "xkv/text/TextKernel.h"
#include "xkv/types/Fixed.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/WindowInternal.h"

namespace {

constexpr FieldId kScrollOrigin = 53;

bool PageScale(ObjectHandle page, uint32_t axis, Fixed* scale)
{
    return Model_GetField(page, axis == 0 ? Field::kScaleX : Field::kScaleY, scale) == kStatusOk;
}

Fixed ZoomOf(uint32_t axis)
{
    const WindowModule& m = Window_Module();
    return axis == 0 ? m.zoomX : m.zoomY;
}

int64_t WideMul(int64_t a, int64_t b)
{
    int64_t magnitude = (std::llabs(a) * std::llabs(b)) >> 16;
    return ((a < 0) != (b < 0)) ? -magnitude : magnitude;
}

int32_t Narrow(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

bool HasPageView(Widget widget, ObjectHandle* page)
{
    *page = Window_Page(widget);
    return Window_IsPageKind(Window_Kind(widget)) && *page != 0;
}

void ScrollBy(Widget widget, int32_t dx, int32_t dy)
{
    if (dx != 0 || dy != 0) {
        Diagram_ScrollBy(widget, dx, dy);
    }
}

}  // namespace

bool Window_IsDiagram(Widget widget)
{
    return widget != nullptr && XtIsSubclass(widget, diagramWidgetClass);
}

Window Window_XWindow(Widget widget)
{
    return widget != nullptr ? XtWindow(widget) : 0;
}

void Window_DrawingSize(Widget widget, int32_t* width, int32_t* height)
{
    int w = 0, h = 0;
    if (Window_IsDiagram(widget)) {
        Diagram_DrawingSize(widget, &w, &h);
    } else if (widget != nullptr) {
        Dimension width = 0, height = 0;
        XtVaGetValues(widget, XtNwidth, &width, XtNheight, &height, nullptr);
        w = width;
        h = height;
    }
    *width = w;
    *height = h;
}

WindowView Window_ViewOf(Widget widget)
{
    WindowView view;
    if (widget == nullptr) {
        return view;
    }
    const PageWindow* record = Window_RecordOf(widget);
    if (record != nullptr) {
        view.kind = record->kind;
        view.originX = record->originX;
        view.originY = record->originY;
    }
    if (!Window_IsDiagram(widget)) {
        int x = 0, y = 0;
        Diagram_Position(widget, &x, &y);
        view.wx = x;
        view.wy = y;
        return view;
    }
    view.page = Window_Page(widget);
    view.scaleKnown = view.page != 0 && PageScale(view.page, 0, &view.scaleX) && PageScale(view.page, 1, &view.scaleY);
    view.virtualX = static_cast<int32_t>(Diagram_Get(widget, kDiagramVirtualX));
    view.virtualY = static_cast<int32_t>(Diagram_Get(widget, kDiagramVirtualY));
    view.virtualWidth = static_cast<int32_t>(Diagram_Get(widget, kDiagramVirtualWidth));
    view.virtualHeight = static_cast<int32_t>(Diagram_Get(widget, kDiagramVirtualHeight));
    return view;
}

bool Window_PageExtent(Fixed* width, Fixed* height)
{
    int32_t paper[2] = {0, 0};
    if (Print_GetPaperSize(paper) != kStatusOk) {
        return false;
    }
    int64_t factor = Velkor_Settings().limitWorkspace ? 1 : 8;
    *width = Fix_Saturate(int64_t{paper[0]} * 0x8000 * factor);
    *height = Fix_Saturate(int64_t{paper[1]} * 0x8000 * factor);
    return true;
}

int32_t Window_PageToPixels(ObjectHandle page, Fixed length, uint32_t axis)
{
    Fixed scale = 0;
    if (!PageScale(page, axis, &scale)) {
        return 0;
    }
    return Map_LengthToPixels(length, scale, ZoomOf(axis));
}

Fixed Window_PixelsToPage(ObjectHandle page, int32_t pixels, uint32_t axis)
{
    Fixed scale = 0;
    if (!PageScale(page, axis, &scale)) {
        return 0;
    }
    return Map_PixelsToLength(pixels, scale, ZoomOf(axis));
}

void Window_LengthToPixels(Widget widget, Fixed length, int32_t* pixels)
{
    ObjectHandle page = 0;
    Fixed scale = 0;
    if (HasPageView(widget, &page) && PageScale(page, 0, &scale)) {
        *pixels = Narrow(WideMul(int64_t{length} * 2, scale) >> 16);
        return;
    }
    *pixels = length >> 15;
}

int32_t Window_ZoomPixels(int32_t pixels, uint32_t axis)
{
    return Narrow(WideMul(int64_t{pixels} << 16, ZoomOf(axis)) >> 16);
}

void Window_PixelSizeToPage(Widget widget, int32_t dx, int32_t dy, FixPoint* out)
{
    ObjectHandle page = 0;
    if (HasPageView(widget, &page)) {
        *out = {Window_PixelsToPage(page, dx, 0), Window_PixelsToPage(page, dy, 1)};
        return;
    }
    *out = {Fix_Saturate(int64_t{dx} << 15), Fix_Saturate(int64_t{dy} << 15)};
}

void Window_PageSizeToPixels(Widget widget, FixPoint lengths, int32_t* dx, int32_t* dy)
{
    ObjectHandle page = 0;
    if (HasPageView(widget, &page)) {
        *dx = Window_PageToPixels(page, lengths.x, 0);
        *dy = Window_PageToPixels(page, lengths.y, 1);
        return;
    }
    *dx = lengths.x >> 15;
    *dy = lengths.y >> 15;
}

void Window_PageToPixel(Widget widget, FixPoint point, int32_t* x, int32_t* y)
{
    const WindowModule& m = Window_Module();
    Map_PageToPixel(Window_ViewOf(widget), m.zoomX, m.zoomY, point, x, y);
}

void Window_PixelToPage(Widget widget, int32_t x, int32_t y, FixPoint* out)
{
    const WindowModule& m = Window_Module();
    *out = Map_PixelToPage(Window_ViewOf(widget), m.zoomX, m.zoomY, x, y);
}

void Window_PageRectToPixels(Widget widget, const FixRect& rect, PixelRect* out)
{
    const WindowModule& m = Window_Module();
    WindowView view = Window_ViewOf(widget);
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    Map_PageToPixel(view, m.zoomX, m.zoomY, {rect.left, rect.top}, &left, &top);
    Map_PageToPixel(view, m.zoomX, m.zoomY, {rect.right, rect.bottom}, &right, &bottom);
    *out = {left, top, Narrow(int64_t{right} - left), Narrow(int64_t{bottom} - top)};
}

void Window_PixelRectToPage(Widget widget, const PixelRect& rect, FixRect* out)
{
    const WindowModule& m = Window_Module();
    WindowView view = Window_ViewOf(widget);
    FixPoint a = Map_PixelToPage(view, m.zoomX, m.zoomY, rect.x, rect.y);
    FixPoint b = Map_PixelToPage(view, m.zoomX, m.zoomY, Narrow(int64_t{rect.x} + rect.width),
                                 Narrow(int64_t{rect.y} + rect.height));
    *out = {a.x, a.y, b.x, b.y};
}

KernelStatus Window_VisibleRect(Widget widget, FixRect* out)
{
    if (widget == nullptr) {
        return kStatusFailed;
    }
    WindowView view = Window_ViewOf(widget);
    int32_t width = 0, height = 0;
    Window_DrawingSize(widget, &width, &height);
    Window_PixelRectToPage(widget, {view.wx, view.wy, width, height}, out);
    return kStatusOk;
}

KernelStatus Window_VisibleCentre(Widget widget, FixPoint* out)
{
    if (widget == nullptr) {
        return kStatusFailed;
    }
    WindowView view = Window_ViewOf(widget);
    int32_t width = 0, height = 0;
    Window_DrawingSize(widget, &width, &height);
    Window_PixelToPage(widget, view.wx + width / 2, view.wy + height / 2, out);
    return kStatusOk;
}

KernelStatus Window_ScrollToPoint(Widget widget, FixPoint point)
{
    if (widget == nullptr) {
        return kStatusFailed;
    }
    int32_t x = 0, y = 0;
    Window_PageToPixel(widget, point, &x, &y);
    WindowView view = Window_ViewOf(widget);
    ScrollBy(widget, view.wx - x, view.wy - y);
    return kStatusOk;
}

KernelStatus Window_CentreOnPoint(Widget widget, FixPoint point)
{
    if (widget == nullptr) {
        return kStatusFailed;
    }
    int32_t x = 0, y = 0;
    Window_PageToPixel(widget, point, &x, &y);
    WindowView view = Window_ViewOf(widget);
    int32_t width = 0, height = 0;
    Window_DrawingSize(widget, &width, &height);
    ScrollBy(widget, view.wx + (width >> 1) - x, view.wy + (height >> 1) - y);
    return kStatusOk;
}

namespace {

// The pixel move on one axis that brings [low, high] into [visibleLow,
// visibleHigh]; the far edge is tested first.
int32_t ShowMove(ObjectHandle page, uint32_t axis, Fixed low, Fixed high, Fixed visibleLow, Fixed visibleHigh,
                 int32_t increment)
{
    Fixed d = 0;
    int32_t base = 0;
    if (high > visibleHigh) {
        d = Fix_Sub(visibleHigh, high);
        base = -increment;
    } else if (low < visibleLow) {
        d = Fix_Sub(visibleLow, low);
        base = increment;
    }
    return base != 0 ? base + Window_PageToPixels(page, d, axis) : 0;
}

}  // namespace

KernelStatus Window_ScrollToShow(Widget widget, ObjectHandle object)
{
    FixRect box;
    KernelStatus status = Model_GetField(object, Field::kBox, &box);
    if (status != kStatusOk) {
        return status;
    }
    FixRect visible;
    if (Window_VisibleRect(widget, &visible) != kStatusOk) {
        return kStatusFailed;
    }
    ObjectHandle page = Window_Page(widget);
    int32_t incX = static_cast<int32_t>(Diagram_Get(widget, kDiagramScrollIncX));
    int32_t incY = static_cast<int32_t>(Diagram_Get(widget, kDiagramScrollIncY));
    int32_t dx = ShowMove(page, 0, box.left, box.right, visible.left, visible.right, incX);
    int32_t dy = ShowMove(page, 1, box.top, box.bottom, visible.top, visible.bottom, incY);
    ScrollBy(widget, dx, dy);
    return kStatusOk;
}

KernelStatus Window_GetScrollIncrements(Widget widget, Fixed* x, Fixed* y)
{
    if (widget == nullptr) {
        return kStatusFailed;
    }
    FixPoint lengths;
    Window_PixelSizeToPage(widget, static_cast<int32_t>(Diagram_Get(widget, kDiagramScrollIncX)),
                           static_cast<int32_t>(Diagram_Get(widget, kDiagramScrollIncY)), &lengths);
    *x = lengths.x;
    *y = lengths.y;
    return kStatusOk;
}

KernelStatus Window_SetScrollIncrements(Widget widget, Fixed x, Fixed y)
{
    if (widget == nullptr) {
        return kStatusFailed;
    }
    int32_t dx = 0, dy = 0;
    Window_PageSizeToPixels(widget, {x, y}, &dx, &dy);
    Diagram_Set(widget, kDiagramScrollIncX, Map_ClampLength(dx));
    Diagram_Set(widget, kDiagramScrollIncY, Map_ClampLength(dy));
    return kStatusOk;
}

void Window_PointerPagePosition(Widget widget, Fixed* x, Fixed* y)
{
    if (widget == nullptr) {
        return;
    }
    int px = 0, py = 0;
    Diagram_LastPosition(&px, &py);
    FixPoint point;
    Window_PixelToPage(widget, px, py, &point);
    *x = point.x;
    *y = point.y;
}

void Window_OnScrolled(XtPointer pageId, Widget widget, int dx, int dy)
{
    PageWindow* record = Window_RecordOf(widget);
    if (record != nullptr && Window_IsStructureKind(record->kind)) {
        record->originX += dx;
        record->originY += dy;
        return;
    }
    auto page = static_cast<ObjectHandle>(reinterpret_cast<uintptr_t>(pageId));
    FixPoint origin;
    if (page == 0 || Model_GetField(page, kScrollOrigin, &origin) != kStatusOk) {
        return;
    }
    origin.x = Fix_Sub(origin.x, Window_PixelsToPage(page, dx, 0));
    origin.y = Fix_Sub(origin.y, Window_PixelsToPage(page, dy, 1));
    Model_SetField(page, kScrollOrigin, &origin);
    if (Text_EditingState() == 1) {
        Text_FollowScroll();
    }
}

KernelStatus Window_FitVirtualArea(ObjectHandle page, Fixed sx, Fixed sy)
{
    Widget widget = Window_OfPage(page);
    Fixed extentWidth = 0, extentHeight = 0;
    if (widget == nullptr || !Window_PageExtent(&extentWidth, &extentHeight)) {
        return kStatusOk;
    }
    FixPoint centre;
    Window_VisibleCentre(widget, &centre);
    if (sx != 0) {
        centre.x = Fix_ScaleCoord(centre.x, sx);
    }
    if (sy != 0) {
        centre.y = Fix_ScaleCoord(centre.y, sy);
    }
    int32_t vw = Window_PageToPixels(page, extentWidth, 0);
    int32_t vh = Window_PageToPixels(page, extentHeight, 1);
    int32_t ww = 0, wh = 0;
    Window_DrawingSize(widget, &ww, &wh);
    auto offset = [&](int32_t window, int32_t virtualSize, Fixed extent, Fixed c, uint32_t axis) {
        if (window >= virtualSize) {
            return 0;
        }
        int32_t o = Window_PageToPixels(page, Fix_Add(extent / 2, c), axis) - (window >> 1);
        return std::clamp(o, 0, virtualSize - window);
    };
    int32_t ox = offset(ww, vw, extentWidth, centre.x, 0);
    int32_t oy = offset(wh, vh, extentHeight, centre.y, 1);
    Diagram_SetVirtualArea(widget, static_cast<uint16_t>(Map_ClampCoord(-ox)), static_cast<uint16_t>(Map_ClampCoord(-oy)),
                           Map_ClampLength(vw), Map_ClampLength(vh));
    FixPoint after;
    Window_VisibleCentre(widget, &after);
    FixPoint origin{Fix_Sub(after.x, Window_PixelsToPage(page, ww >> 1, 0)),
                    Fix_Sub(after.y, Window_PixelsToPage(page, (wh >> 1) - 1, 1))};
    Model_SetField(page, kScrollOrigin, &origin);
    return kStatusOk;
}

KernelStatus Window_ApplyPaperSize(ObjectHandle page, const int32_t paper[2])
{
    Widget shell = Window_ShellOfPage(page);
    if (Velkor_Settings().limitWorkspace && shell != nullptr) {
        Dimension width = 0, height = 0;
        XtVaGetValues(shell, XtNwidth, &width, XtNheight, &height, nullptr);
        if (width > paper[0]) {
            XtVaSetValues(shell, XtNwidth, paper[0], nullptr);
        }
        if (height > paper[1]) {
            XtVaSetValues(shell, XtNheight, paper[1], nullptr);
        }
        XtVaSetValues(shell, XtNmaxWidth, paper[0], XtNmaxHeight, paper[1], nullptr);
    }
    return Window_FitVirtualArea(page, 0, 0);
}

namespace {

KernelStatus ApplyPaperToPage(ObjectHandle page, void* paper)
{
    Window_ApplyPaperSize(page, static_cast<const int32_t*>(paper));
    return kStatusOk;
}

}  // namespace

KernelStatus Window_ApplyPaperSizeAll()
{
    int32_t paper[2] = {0, 0};
    if (Print_GetPaperSize(paper) != kStatusOk) {
        return kStatusOk;
    }
    Model_ApplyPages(ApplyPaperToPage, paper);
    return kStatusOk;
}
