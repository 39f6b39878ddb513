// Drawing of drawables (selection handles, outlines, rubber bands, page
// labels) over a page window with the drawable GC, in XOR mode (drawing twice
// restores the window) or copy mode, mostly through the draw queue.
#include <X11/Xlib.h>

#include <cstring>
#include <vector>

#include "xkv/item/TypedItem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/HandleList.h"
#include "xkv/pending/Pending.h"
#include "xkv/text/TextKernel.h"
#include "xkv/types/Geometry.h"
#include "xkv/types/PtArray.h"
#include "xkv/window/WindowInternal.h"

namespace {

constexpr uint32_t kModeSolid = 0;
constexpr uint32_t kModeDashed = 1;
constexpr uint32_t kModeFineDashed = 3;
constexpr uint32_t kModeStippled = 5;
constexpr uint32_t kModeSolidToo = 6;
constexpr int32_t kDotPixels = 6;

struct DrawableGCState {
    uint32_t mode = 0xffffffffu;
    int32_t xorMode = -1;
};

DrawableGCState& GCState()
{
    static DrawableGCState state;
    return state;
}

void SetModeAttributes(Display* display, GC gc, uint32_t mode)
{
    switch (mode) {
    case kModeSolid:
    case kModeSolidToo:
        XSetFillStyle(display, gc, FillSolid);
        XSetLineAttributes(display, gc, 0, LineSolid, CapNotLast, JoinMiter);
        break;
    case kModeDashed: {
        static const char dashes[] = {6, 3};
        XSetFillStyle(display, gc, FillSolid);
        XSetLineAttributes(display, gc, 0, LineOnOffDash, CapNotLast, JoinMiter);
        XSetDashes(display, gc, 0, dashes, 2);
        break;
    }
    case kModeFineDashed: {
        static const char dashes[] = {3, 3};
        XSetFillStyle(display, gc, FillSolid);
        XSetLineAttributes(display, gc, 0, LineOnOffDash, CapNotLast, JoinMiter);
        XSetDashes(display, gc, 0, dashes, 2);
        break;
    }
    case kModeStippled:
        XSetFillStyle(display, gc, FillStippled);
        XSetLineAttributes(display, gc, 2, LineSolid, CapNotLast, JoinMiter);
        break;
    default:
        break;
    }
}

FixPoint Offset(FixPoint p, FixPoint offset)
{
    return {Fix_Add(p.x, offset.x), Fix_Add(p.y, offset.y)};
}

FixRect Offset(const FixRect& r, FixPoint offset)
{
    return {Fix_Add(r.left, offset.x), Fix_Add(r.top, offset.y), Fix_Add(r.right, offset.x),
            Fix_Add(r.bottom, offset.y)};
}

void QueueRect(Widget widget, const FixRect& rect)
{
    PixelRect r;
    Window_PageRectToPixels(widget, rect, &r);
    DrawQueue_AddRect(widget, r.x, r.y, r.width, r.height);
}

// Queues the segments of a point array: segments touching the skip index are
// left out, and a closed polyline gets its closing segment unless the skip
// index is at either end.
void QueuePolyline(Widget widget, PtArray array, FixPoint offset, bool closed, int32_t skip)
{
    FixPoint* points = nullptr;
    uint16_t count = PtArray_Count(array);
    if (count == 0 || PtArray_LockPoints(array, &points) != kStatusOk) {
        return;
    }
    std::vector<PixelPoint> pixels(count);
    for (uint16_t i = 0; i < count; ++i) {
        Window_PageToPixel(widget, Offset(points[i], offset), &pixels[i].x, &pixels[i].y);
    }
    PtArray_UnlockPoints(array);
    int32_t n = count - 1;
    for (int32_t i = 0; i < n; ++i) {
        if (i == skip || i + 1 == skip) {
            continue;
        }
        DrawQueue_AddSegment(widget, pixels[i].x, pixels[i].y, pixels[i + 1].x, pixels[i + 1].y);
    }
    if (closed && n >= 1 && skip != 0 && skip != n) {
        DrawQueue_AddSegment(widget, pixels[n].x, pixels[n].y, pixels[0].x, pixels[0].y);
    }
}

void QueueTemporaryPolyline(Widget widget, PtArray array, bool closed)
{
    if (array == 0) {
        return;
    }
    QueuePolyline(widget, array, {}, closed, -1);
    PtArray_Free(array);
}

void FillDirect(Widget widget, const PixelRect& r)
{
    Window window = Window_XWindow(widget);
    if (window != 0) {
        XFillRectangle(Window_Display(), window, Window_DrawableGC(), Map_ClampCoord(r.x), Map_ClampCoord(r.y),
                       Map_ClampLength(r.width), Map_ClampLength(r.height));
    }
}

void DrawPageLabel(Widget widget, const PageLabelRec& label)
{
    int16_t font = Text_AcquireFont(&label.font);
    if (font == kNoFont) {
        return;
    }
    Text_DrawString(widget, font, label.textAt.x, label.textAt.y, label.text,
                    static_cast<int16_t>(strnlen(label.text, sizeof label.text)));
    Text_DrawString(widget, font, label.numberAt.x, label.numberAt.y, label.number,
                    static_cast<int16_t>(strnlen(label.number, sizeof label.number)));
    Text_ReleaseFont(font);
}

void DrawRectSet(Widget widget, const RectSetRec& set, uint32_t xorMode)
{
    BlockLock<FixRect> rects(set.rects);
    if (!rects) {
        return;
    }
    size_t available = rects.size() / sizeof(FixRect);
    Window_SetDrawableGC(widget, set.mode, xorMode);
    for (size_t i = 0; i < set.count && i < available; ++i) {
        FixRect r = rects.get()[i];
        Geom_ScaleRect(&r, nullptr, &set.scale);
        QueueRect(widget, Offset(r, set.origin));
    }
}

template <typename T>
bool ReadPayload(MemHandle payload, T* out)
{
    BlockLock<T> block(payload);
    if (!block || block.size() < sizeof(T)) {
        return false;
    }
    *out = *block;
    return true;
}

}  // namespace

void Window_ForgetDrawableGCState()
{
    GCState() = DrawableGCState{};
}

void Window_SetDrawableGC(Widget, uint32_t mode, uint32_t xorMode)
{
    DrawableGCState& state = GCState();
    int32_t xorWanted = xorMode != 0 ? 1 : 0;
    if (mode != state.mode || xorWanted != state.xorMode) {
        DrawQueue_Flush();
    }
    Display* display = Window_Display();
    GC gc = Window_DrawableGC();
    if (display == nullptr || gc == nullptr) {
        return;
    }
    if (xorWanted != state.xorMode) {
        Pixel fg = Window_ForegroundPixel(), bg = Window_BackgroundPixel();
        if (xorWanted != 0) {
            XSetBackground(display, gc, fg & bg);
            XSetForeground(display, gc, fg ^ bg);
            XSetFunction(display, gc, GXxor);
        } else {
            XSetBackground(display, gc, bg);
            XSetForeground(display, gc, fg);
            XSetFunction(display, gc, GXcopy);
        }
        state.xorMode = xorWanted;
    }
    if (mode == state.mode) {
        return;
    }
    SetModeAttributes(display, gc, mode);
    state.mode = mode;
}

void Window_DrawDrawable(Widget widget, MemHandle item, uint32_t xorMode, uint32_t flush)
{
    TypedItemRec record{};
    if (!ReadPayload(item, &record)) {
        return;
    }
    MemHandle payload = record.value[0];
    switch (record.kind) {
    case kItemDot: {
        DotRec dot{};
        if (Window_CanDraw(widget) && ReadPayload(payload, &dot)) {
            Window_SetDrawableGC(widget, kModeSolid, xorMode);
            PixelRect r;
            Window_PageToPixel(widget, {dot.box.left, dot.box.top}, &r.x, &r.y);
            r.width = r.height = kDotPixels;
            FillDirect(widget, r);
        }
        break;
    }
    case kItemGreyRect: {
        GreyRectRec grey{};
        if (Window_CanDraw(widget) && ReadPayload(payload, &grey)) {
            Window_SetDrawableGC(widget, kModeStippled, xorMode);
            QueueRect(widget, Offset(grey.rect, grey.offset));
        }
        break;
    }
    case kItemPageLabel: {
        PageLabelRec label{};
        if (Window_CanDraw(widget) && ReadPayload(payload, &label)) {
            label.text[sizeof label.text - 1] = '\0';
            label.number[sizeof label.number - 1] = '\0';
            Window_SetDrawableGC(widget, kModeSolid, xorMode);
            DrawPageLabel(widget, label);
        }
        break;
    }
    case kItemRectOutline: {
        RectOutlineRec outline{};
        if (ReadPayload(payload, &outline)) {
            Window_SetDrawableGC(widget, outline.mode, xorMode);
            FixRect rect = Offset(outline.rect, outline.offset);
            if (outline.corner == 0) {
                QueueRect(widget, rect);
            } else {
                QueueTemporaryPolyline(widget, Spline_RoundRectPoints(rect, outline.corner), true);
            }
        }
        break;
    }
    case kItemRectSet: {
        RectSetRec set{};
        if (ReadPayload(payload, &set)) {
            DrawRectSet(widget, set, xorMode);
        }
        break;
    }
    case kItemEllipse: {
        EllipseRec ellipse{};
        if (ReadPayload(payload, &ellipse)) {
            Window_SetDrawableGC(widget, ellipse.mode, xorMode);
            FixPoint centre = Offset(ellipse.centre, ellipse.offset);
            QueueTemporaryPolyline(widget, Spline_ArcPoints(centre, ellipse.width, ellipse.height, 0, 360, false, false),
                                   true);
        }
        break;
    }
    case kItemSegment: {
        SegmentRec segment{};
        if (ReadPayload(payload, &segment)) {
            Window_SetDrawableGC(widget, segment.mode, xorMode);
            int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
            Window_PageToPixel(widget, Offset(segment.from, segment.offset), &x1, &y1);
            Window_PageToPixel(widget, Offset(segment.to, segment.offset), &x2, &y2);
            DrawQueue_AddSegment(widget, x1, y1, x2, y2);
        }
        break;
    }
    case kItemPolyline: {
        PolylineRec polyline{};
        if (ReadPayload(payload, &polyline)) {
            Window_SetDrawableGC(widget, polyline.mode, xorMode);
            QueuePolyline(widget, polyline.points, polyline.offset, polyline.closed != 0, polyline.skip);
        }
        break;
    }
    case kItemArc: {
        ArcRec arc{};
        if (ReadPayload(payload, &arc)) {
            Window_SetDrawableGC(widget, arc.mode, xorMode);
            FixPoint centre = Offset(FixPoint{arc.centreX, arc.centreY}, arc.offset);
            QueueTemporaryPolyline(widget, Spline_ArcPoints(centre, arc.sizeX, arc.sizeY, arc.start, arc.end, false, false),
                                   true);
        }
        break;
    }
    case kItemFilledRect: {
        RectOutlineRec filled{};
        if (Window_CanDraw(widget) && ReadPayload(payload, &filled)) {
            Window_SetDrawableGC(widget, filled.mode, xorMode);
            PixelRect r;
            Window_PageRectToPixels(widget, Offset(filled.rect, filled.offset), &r);
            FillDirect(widget, r);
        }
        break;
    }
    default:
        break;
    }
    if (flush != 0) {
        DrawQueue_Flush();
    }
}

KernelStatus Window_DrawDrawableCb(uint32_t item, void* widget)
{
    Window_DrawDrawable(*static_cast<Widget*>(widget), item, 1, 0);
    return kStatusOk;
}

KernelStatus Window_DrawDrawableCopyCb(uint32_t item, void* widget)
{
    Window_DrawDrawable(*static_cast<Widget*>(widget), item, 0, 0);
    return kStatusOk;
}

void Window_DrawDrawableList(Widget widget, uint32_t xorMode, HandleList* list)
{
    List_Apply(list, xorMode != 0 ? Window_DrawDrawableCb : Window_DrawDrawableCopyCb, &widget);
    DrawQueue_Flush();
}
