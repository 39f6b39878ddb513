// The draw queue: thin rectangle outlines and segments of drawables batched
// into one X request per kind and window, culled to the visible part of the
// drawing area; and the three fills of object drawing.
#include <algorithm>
#include <array>
#include <vector>

#include "xkv/window/WindowInternal.h"

namespace {

constexpr int kQueueCapacity = 100;

struct QueuedRect {
    int32_t x, y, width, height;
};
struct QueuedSegment {
    int32_t x1, y1, x2, y2;
};

struct DrawQueue {
    std::array<QueuedRect, kQueueCapacity> rects{};
    int rectCount = 0;
    std::array<QueuedSegment, kQueueCapacity> segs{};
    int segCount = 0;
    Widget widget = nullptr;
};

DrawQueue& Queue()
{
    static DrawQueue queue;
    return queue;
}

struct Visible {
    bool cull = false;
    int64_t left = 0, top = 0, right = 0, bottom = 0;
};

Visible VisibleArea(Widget widget)
{
    Visible v;
    if (widget == nullptr) {
        return v;
    }
    int32_t width = 0, height = 0;
    Window_DrawingSize(widget, &width, &height);
    WindowView view = Window_ViewOf(widget);
    v = {true, view.wx, view.wy, int64_t{view.wx} + width, int64_t{view.wy} + height};
    return v;
}

bool Meets(const Visible& v, int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    return !v.cull || (left <= v.right && v.left <= right && top <= v.bottom && v.top <= bottom);
}

void FlushRects(DrawQueue& q, const Visible& v)
{
    std::vector<XRectangle> out;
    out.reserve(static_cast<size_t>(q.rectCount));
    for (int i = 0; i < q.rectCount; ++i) {
        const QueuedRect& r = q.rects[i];
        if (Meets(v, r.x, r.y, int64_t{r.x} + r.width, int64_t{r.y} + r.height)) {
            out.push_back({Map_ClampCoord(r.x), Map_ClampCoord(r.y), Map_ClampLength(r.width),
                           Map_ClampLength(r.height)});
        }
    }
    q.rectCount = 0;
    Window window = Window_XWindow(q.widget);
    if (!out.empty() && window != 0 && Window_DrawableGC() != nullptr) {
        XDrawRectangles(Window_Display(), window, Window_DrawableGC(), out.data(), static_cast<int>(out.size()));
    }
}

void FlushSegments(DrawQueue& q, const Visible& v)
{
    std::vector<XSegment> out;
    out.reserve(static_cast<size_t>(q.segCount));
    for (int i = 0; i < q.segCount; ++i) {
        const QueuedSegment& s = q.segs[i];
        if (Meets(v, std::min(s.x1, s.x2), std::min(s.y1, s.y2), std::max(s.x1, s.x2), std::max(s.y1, s.y2))) {
            out.push_back({Map_ClampCoord(s.x1), Map_ClampCoord(s.y1), Map_ClampCoord(s.x2), Map_ClampCoord(s.y2)});
        }
    }
    q.segCount = 0;
    Window window = Window_XWindow(q.widget);
    if (!out.empty() && window != 0 && Window_DrawableGC() != nullptr) {
        XDrawSegments(Window_Display(), window, Window_DrawableGC(), out.data(), static_cast<int>(out.size()));
    }
}

void TakeOwnership(DrawQueue& q, Widget widget)
{
    if (q.widget != nullptr && q.widget != widget) {
        DrawQueue_Flush();
    }
    q.widget = widget;
}

}  // namespace

void DrawQueue_AddRect(Widget widget, int32_t x, int32_t y, int32_t width, int32_t height)
{
    DrawQueue& q = Queue();
    TakeOwnership(q, widget);
    q.rects[q.rectCount++] = {x, y, width, height};
    if (q.rectCount == kQueueCapacity) {
        FlushRects(q, VisibleArea(widget));
    }
}

void DrawQueue_AddSegment(Widget widget, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    DrawQueue& q = Queue();
    TakeOwnership(q, widget);
    q.segs[q.segCount++] = {x1, y1, x2, y2};
    if (q.segCount == kQueueCapacity) {
        FlushSegments(q, VisibleArea(widget));
    }
}

void DrawQueue_Flush()
{
    DrawQueue& q = Queue();
    if (q.widget == nullptr) {
        return;
    }
    Visible v = VisibleArea(q.widget);
    FlushRects(q, v);
    FlushSegments(q, v);
    q.widget = nullptr;
    if (Display* display = Window_Display()) {
        XFlush(display);
    }
}

void DrawQueue_Reset()
{
    Queue().rectCount = 0;
}

void DrawQueue_Forget(Widget widget)
{
    DrawQueue& q = Queue();
    if (q.widget == widget) {
        q.rectCount = 0;
        q.segCount = 0;
        q.widget = nullptr;
    }
}

void Window_FlushDrawQueue(Widget)
{
    DrawQueue_Flush();
}

void Window_FillRect(Window window, const PixelRect& rect)
{
    XFillRectangle(Window_Display(), window, Window_FillGC(), Map_ClampCoord(rect.x), Map_ClampCoord(rect.y),
                   Map_ClampLength(rect.width), Map_ClampLength(rect.height));
}

void Window_FillArc(Window window, const PixelRect& box, int32_t start, int32_t end)
{
    int32_t extent = end > start ? end - start : end + 360 - start;
    XFillArc(Window_Display(), window, Window_FillGC(), Map_ClampCoord(box.x), Map_ClampCoord(box.y),
             Map_ClampLength(box.width), Map_ClampLength(box.height), start * 64, extent * 64);
}

void Window_FillPolygon(Window window, const PixelPoint* points, size_t count)
{
    if (count == 0) {
        return;
    }
    std::vector<XPoint> xpoints(count);
    for (size_t i = 0; i < count; ++i) {
        xpoints[i] = {Map_ClampCoord(points[i].x), Map_ClampCoord(points[i].y)};
    }
    XFillPolygon(Window_Display(), window, Window_FillGC(), xpoints.data(), static_cast<int>(count), Complex,
                 CoordModeOrigin);
}
