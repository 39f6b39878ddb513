// Object drawing: one diagram object into its page window (or, while a
// PostScript output is open, into that output) by shape kind, with the line
// and fill attributes of the object set up on the shared line and fill GCs,
// then the object's text and hook 36.
#include <X11/Xlib.h>
#include <wraster.h>

#include <algorithm>
#include <vector>

#include "xkv/colour/Colour.h"
#include "xkv/dialog/DialogFill.h"
#include "xkv/kv/Hook.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/model/Picture.h"
#include "xkv/text/TextKernel.h"
#include "xkv/print/Print.h"
#include "xkv/types/DrawTables.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/PtArray.h"
#include "xkv/window/WindowInternal.h"

RContext* Window_ImageContext();

namespace {

constexpr uint32_t kFlagNotPrinted = 1;
constexpr uint32_t kFlagNoDescendants = 4;
constexpr uint32_t kFlagNoOutline = 8;
constexpr uint32_t kStyleNoOutline = 7;
constexpr HookId kHookObjectDrawn = 36;
constexpr uint32_t kUnset = 0xffffffffu;

enum Shape : uint32_t {
    kShapeBox = 1,
    kShapeEllipse = 2,
    kShapePicture = 4,
    kShapePolygon = 5,
    kShapeRoundBox = 7,
    kShapeWedge = 8,
    kShapeConnector = 9,
    kShapeLabel = 12,
    kShapeLine = 13,
};

struct ObjectDrawContext {
    Widget widget = nullptr;
    Window window = 0;
    ObjectHandle object = 0;
    uint32_t pattern = 0;
    uint32_t lineStyle = 0;
    Fixed lineWidth = 0;
    uint32_t function = 0;
    uint32_t colours = 0;  // field 75 >> 8: line colour in bits 16-23, fill colour in bits 8-15
    int joinStyle = JoinMiter;
    bool printing = false;

    int32_t LineColour() const { return static_cast<int32_t>((colours >> 16) & 0xff); }
    uint32_t FillColour() const { return (colours >> 8) & 0xff; }
    bool Filled() const { return pattern != 0; }
    bool Outlined() const { return lineStyle != kStyleNoOutline; }
};

struct ObjectGCState {
    unsigned long lineForeground = kUnset;
    unsigned long fillPixel = kUnset;
    int function = -1;
};

ObjectGCState& GCCache()
{
    static ObjectGCState state;
    return state;
}

Pixmap ColouredTile(Display* display, uint32_t pattern, unsigned long fillPixel)
{
    FillPatternBits bits = Dialog_FillPatternBits(static_cast<int32_t>(pattern));
    int screen = DefaultScreen(display);
    return XCreatePixmapFromBitmapData(display, RootWindow(display, screen), reinterpret_cast<char*>(bits.data()), 8,
                                       8, fillPixel, WhitePixel(display, screen),
                                       static_cast<unsigned>(DefaultDepth(display, screen)));
}

void SetObjectGC(const ObjectDrawContext& ctx)
{
    Display* display = Window_Display();
    GC line = Window_LineGC(), fill = Window_FillGC();
    if (display == nullptr || line == nullptr) {
        return;
    }
    ObjectGCState& cache = GCCache();
    bool colour = Color_GetMode() != kColorMonochrome;
    if (colour) {
        unsigned long pixel = Color_GetPixel(static_cast<int16_t>(ctx.LineColour()));
        if (pixel != cache.lineForeground) {
            XSetForeground(display, line, pixel);
            cache.lineForeground = pixel;
        }
        cache.fillPixel = Color_GetPixel(static_cast<int16_t>(ctx.FillColour()));
    }
    if (ctx.pattern >= 1 && ctx.pattern <= static_cast<uint32_t>(kFillPatternCount)) {
        if (colour) {
            if (Pixmap tile = ColouredTile(display, ctx.pattern, cache.fillPixel)) {
                XSetTile(display, fill, tile);
                XFreePixmap(display, tile);
            }
        } else if (Pixmap tile = LinePat_FillTile(static_cast<int32_t>(ctx.pattern))) {
            XSetTile(display, fill, tile);
        }
    }
    int function = DrawFunc_ToX(static_cast<int32_t>(ctx.function));
    if (function != cache.function) {
        XSetFunction(display, line, function);
        XSetFunction(display, fill, function);
        cache.function = function;
    }
    int32_t width = 0;
    Window_LengthToPixels(ctx.widget, ctx.lineWidth, &width);
    int style = LineSolid;
    if (ctx.lineStyle != 0 && ctx.lineStyle != kStyleNoOutline) {
        if (const DashPattern* dash = LinePat_Get(static_cast<int32_t>(ctx.lineStyle))) {
            std::vector<char> dashes(dash->dashes, dash->dashes + dash->count);
            XSetDashes(display, line, static_cast<int>(dash->offset), dashes.data(), static_cast<int>(dashes.size()));
            style = LineOnOffDash;
        }
    }
    XSetLineAttributes(display, line, Map_ClampLength(width), style, CapButt, ctx.joinStyle);
}

PixelRect PixelsOf(Widget widget, const FixRect& rect)
{
    PixelRect r;
    Window_PageRectToPixels(widget, rect, &r);
    return r;
}

// The outline and fill boxes of box, ellipse and wedge: a wide outline is
// drawn inside the box, and the fill inside the outline.
void InsetBoxes(const ObjectDrawContext& ctx, const FixRect& box, FixRect* outline, FixRect* fill)
{
    *outline = box;
    *fill = box;
    if (ctx.lineWidth > kFixedHalf) {
        Fixed half = ctx.lineWidth / 2;
        *outline = {Fix_Add(box.left, half), Fix_Add(box.top, half), Fix_Sub(box.right, half),
                    Fix_Sub(box.bottom, half)};
        if (ctx.Filled() && ctx.Outlined()) {
            *fill = {Fix_Add(box.left, ctx.lineWidth), Fix_Add(box.top, ctx.lineWidth),
                     Fix_Sub(box.right, ctx.lineWidth), Fix_Sub(box.bottom, ctx.lineWidth)};
        }
    }
}

KernelStatus DrawBox(const ObjectDrawContext& ctx)
{
    FixRect box;
    KernelStatus status = Model_GetField(ctx.object, Field::kBox, &box);
    if (status != kStatusOk) {
        return status;
    }
    if (ctx.printing) {
        Print_Rect(ctx.lineWidth, ctx.lineStyle, ctx.LineColour(), ctx.FillColour(), ctx.pattern, box);
        return kStatusOk;
    }
    FixRect outline, fill;
    InsetBoxes(ctx, box, &outline, &fill);
    SetObjectGC(ctx);
    if (ctx.Filled()) {
        Window_FillRect(ctx.window, PixelsOf(ctx.widget, fill));
    }
    if (ctx.Outlined()) {
        Window_DrawFrameRect(ctx.window, PixelsOf(ctx.widget, outline));
    }
    return kStatusOk;
}

KernelStatus DrawArcShape(const ObjectDrawContext& ctx, int32_t start, int32_t end)
{
    FixRect box;
    KernelStatus status = Model_GetField(ctx.object, Field::kBox, &box);
    if (status != kStatusOk) {
        return status;
    }
    if (ctx.printing) {
        Print_Oval(ctx.lineWidth, ctx.lineStyle, ctx.LineColour(), ctx.FillColour(), ctx.pattern, box, start, end);
        return kStatusOk;
    }
    FixRect outline, fill;
    InsetBoxes(ctx, box, &outline, &fill);
    SetObjectGC(ctx);
    if (ctx.Filled()) {
        Window_FillArc(ctx.window, PixelsOf(ctx.widget, fill), start, end);
    }
    if (ctx.Outlined()) {
        Window_DrawFrameArc(ctx.window, PixelsOf(ctx.widget, outline), start, end);
    }
    return kStatusOk;
}

int32_t ScreenAngle(int32_t degrees)
{
    int32_t a = 90 - degrees;
    return a < 0 ? a + 360 : a;
}

KernelStatus DrawWedge(const ObjectDrawContext& ctx)
{
    uint32_t endField = 0, startField = 0;
    KernelStatus status = Model_GetField(ctx.object, Field::kWedgeStart, &endField);
    if (status == kStatusOk) {
        status = Model_GetField(ctx.object, Field::kWedgeEnd, &startField);
    }
    if (status != kStatusOk) {
        return status;
    }
    return DrawArcShape(ctx, ScreenAngle(static_cast<int32_t>(startField)), ScreenAngle(static_cast<int32_t>(endField)));
}

XArc MakeArc(int32_t x, int32_t y, int32_t w, int32_t h, int32_t start)
{
    return {Map_ClampCoord(x), Map_ClampCoord(y), Map_ClampLength(w), Map_ClampLength(h),
            static_cast<short>(start * 64), 90 * 64};
}

XRectangle MakeRect(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return {Map_ClampCoord(x), Map_ClampCoord(y), Map_ClampLength(w), Map_ClampLength(h)};
}

XSegment MakeSegment(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return {Map_ClampCoord(x1), Map_ClampCoord(y1), Map_ClampCoord(x2), Map_ClampCoord(y2)};
}

KernelStatus DrawRoundBox(const ObjectDrawContext& ctx)
{
    FixRect box;
    Fixed corner = 0;
    KernelStatus status = Model_GetField(ctx.object, Field::kBox, &box);
    if (status == kStatusOk) {
        status = Model_GetField(ctx.object, Field::kRoundedness, &corner);
    }
    if (status != kStatusOk) {
        return status;
    }
    if (ctx.printing) {
        Print_RoundRect(ctx.lineWidth, ctx.lineStyle, ctx.LineColour(), ctx.FillColour(), ctx.pattern, box,
                          corner);
        return kStatusOk;
    }
    int32_t left = 0, top = 0, right = 0, bottom = 0, dx = 0, dy = 0;
    Window_PageToPixel(ctx.widget, {box.left, box.top}, &left, &top);
    Window_PageToPixel(ctx.widget, {box.right, box.bottom}, &right, &bottom);
    Window_PageSizeToPixels(ctx.widget, {corner, corner}, &dx, &dy);
    int32_t width = right - left, height = bottom - top;
    bool horizontalEdges = true, verticalEdges = true;
    if (dx > width) {
        dx = width;
        horizontalEdges = false;
    }
    if (dy > height) {
        dy = height;
        verticalEdges = false;
    }
    int32_t rx = dx / 2, ry = dy / 2;
    std::vector<XArc> arcs = {MakeArc(left, top, dx, dy, 90), MakeArc(right - dx, top, dx, dy, 0),
                              MakeArc(right - dx, bottom - dy, dx, dy, 270), MakeArc(left, bottom - dy, dx, dy, 180)};
    Display* display = Window_Display();
    SetObjectGC(ctx);
    if (ctx.Filled()) {
        XFillArcs(display, ctx.window, Window_FillGC(), arcs.data(), static_cast<int>(arcs.size()));
        std::vector<XRectangle> rects;
        if (horizontalEdges) {
            rects.push_back(MakeRect(left + rx, top, width - dx, height));
        }
        if (verticalEdges) {
            rects.push_back(MakeRect(left, top + ry, rx, height - dy));
            rects.push_back(MakeRect(right - rx, top + ry, rx, height - dy));
        }
        if (!rects.empty()) {
            XFillRectangles(display, ctx.window, Window_FillGC(), rects.data(), static_cast<int>(rects.size()));
        }
    }
    if (ctx.Outlined()) {
        XDrawArcs(display, ctx.window, Window_LineGC(), arcs.data(), static_cast<int>(arcs.size()));
        std::vector<XSegment> edges;
        if (horizontalEdges) {
            edges.push_back(MakeSegment(left + rx, top, right - rx, top));
            edges.push_back(MakeSegment(right - rx, bottom, left + rx, bottom));
        }
        if (verticalEdges) {
            edges.push_back(MakeSegment(right, top + ry, right, bottom - ry));
            edges.push_back(MakeSegment(left, bottom - ry, left, top + ry));
        }
        if (!edges.empty()) {
            XDrawSegments(display, ctx.window, Window_LineGC(), edges.data(), static_cast<int>(edges.size()));
        }
    }
    return kStatusOk;
}

// The pixels of a point array; false when it cannot be read.
bool PixelPoints(Widget widget, PtArray array, std::vector<PixelPoint>* out)
{
    out->clear();
    uint16_t count = PtArray_Count(array);
    if (count == 0) {
        return true;
    }
    FixPoint* points = nullptr;
    if (PtArray_LockPoints(array, &points) != kStatusOk) {
        return false;
    }
    out->resize(count);
    for (uint16_t i = 0; i < count; ++i) {
        Window_PageToPixel(widget, points[i], &(*out)[i].x, &(*out)[i].y);
    }
    PtArray_UnlockPoints(array);
    return true;
}

KernelStatus DrawPolygon(ObjectDrawContext ctx)
{
    PtArray points = 0;
    KernelStatus status = Model_GetField(ctx.object, Field::kShapeData, &points);
    if (status != kStatusOk) {
        return status;
    }
    if (ctx.printing) {
        Print_Polygon(ctx.lineWidth, ctx.lineStyle, ctx.LineColour(), ctx.FillColour(), ctx.pattern, points);
        return kStatusOk;
    }
    std::vector<PixelPoint> pixels;
    if (!PixelPoints(ctx.widget, points, &pixels)) {
        return kStatusOutOfMemory;
    }
    if (pixels.empty()) {
        return kStatusOk;
    }
    pixels.push_back(pixels.front());
    ctx.joinStyle = JoinBevel;
    SetObjectGC(ctx);
    if (ctx.Filled()) {
        Window_FillPolygon(ctx.window, pixels.data(), pixels.size());
    }
    if (ctx.Outlined()) {
        Window_DrawFrameLines(ctx.widget, pixels.data(), pixels.size());
    }
    return kStatusOk;
}

KernelStatus DrawLine(ObjectDrawContext ctx)
{
    PtArray points = 0;
    KernelStatus status = Model_GetField(ctx.object, Field::kShapeData, &points);
    if (status != kStatusOk) {
        return status;
    }
    if (ctx.printing) {
        Print_Polyline(ctx.lineWidth, ctx.lineStyle, ctx.LineColour(), ctx.FillColour(), points);
        return kStatusOk;
    }
    if (!ctx.Outlined()) {
        return kStatusOk;
    }
    std::vector<PixelPoint> pixels;
    if (!PixelPoints(ctx.widget, points, &pixels)) {
        return kStatusOutOfMemory;
    }
    ctx.joinStyle = JoinBevel;
    SetObjectGC(ctx);
    Window_DrawFrameLines(ctx.widget, pixels.data(), pixels.size());
    return kStatusOk;
}

KernelStatus DrawPicture(const ObjectDrawContext& ctx, MemHandle picture)
{
    FixRect box;
    KernelStatus status = Model_GetField(ctx.object, Field::kBox, &box);
    if (status != kStatusOk) {
        return status;
    }
    BlockLock<PictureRecord> record(picture);
    if (!record || record.size() < sizeof(PictureRecord) || record->image == nullptr) {
        return kStatusOk;
    }
    if (ctx.printing) {
        Print_Image(record->image, box);
        return kStatusOk;
    }
    PixelRect target = PixelsOf(ctx.widget, box);
    int32_t w = std::max(target.width, 1), h = std::max(target.height, 1);
    RContext* context = Window_ImageContext();
    Display* display = Window_Display();
    if (context == nullptr || display == nullptr) {
        return kStatusFailed;
    }
    if (w != record->cachedWidth || h != record->cachedHeight || record->pixmap == 0) {
        record->cachedWidth = static_cast<int16_t>(std::min(w, 32767));
        record->cachedHeight = static_cast<int16_t>(std::min(h, 32767));
        if (record->pixmap != 0 && record->display != nullptr) {
            XFreePixmap(record->display, record->pixmap);
        }
        record->pixmap = 0;
        RImage* scaled = RScaleImage(record->image, static_cast<unsigned>(record->cachedWidth),
                                     static_cast<unsigned>(record->cachedHeight));
        if (scaled == nullptr) {
            return kStatusFailed;
        }
        Pixmap pixmap = 0;
        int converted = RConvertImage(context, scaled, &pixmap);
        RReleaseImage(scaled);
        if (!converted) {
            return kStatusFailed;
        }
        record->pixmap = pixmap;
        record->display = display;
    }
    XCopyArea(display, record->pixmap, ctx.window, context->copy_gc, 0, 0, static_cast<unsigned>(record->cachedWidth),
              static_cast<unsigned>(record->cachedHeight), Map_ClampCoord(target.x), Map_ClampCoord(target.y));
    return kStatusOk;
}

std::vector<XPoint> ToXPoints(const std::vector<PixelPoint>& points)
{
    std::vector<XPoint> out(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        out[i] = {Map_ClampCoord(points[i].x), Map_ClampCoord(points[i].y)};
    }
    return out;
}

KernelStatus PrintConnector(const ObjectDrawContext& ctx)
{
    MemHandle rounded = 0;
    PtArray path = 0, startHead = 0, endHead = 0;
    Model_GetField(ctx.object, Field::kRoundedPath, &rounded);
    Model_GetField(ctx.object, Field::kPath, &path);
    Model_GetField(ctx.object, Field::kStartHead, &startHead);
    Model_GetField(ctx.object, Field::kEndHead, &endHead);
    if (rounded != 0) {
        Print_ArcConnector(ctx.object, ctx.lineWidth, ctx.lineStyle);
    } else if (path != 0) {
        Print_Polyline(ctx.lineWidth, ctx.lineStyle, ctx.LineColour(), ctx.FillColour(), path);
    }
    for (PtArray head : {startHead, endHead}) {
        if (head != 0) {
            Print_Polygon(0, ctx.lineStyle, ctx.LineColour(), ctx.FillColour(), ctx.pattern, head);
        }
    }
    return kStatusOk;
}

KernelStatus DrawConnector(ObjectDrawContext ctx)
{
    if (ctx.printing) {
        return PrintConnector(ctx);
    }
    ConnectorPoints points;
    KernelStatus status = Window_BuildConnectorPoints(ctx.widget, ctx.object, &points);
    if (status != kStatusOk) {
        return status;
    }
    Display* display = Window_Display();
    ctx.joinStyle = JoinBevel;
    if (ctx.Outlined() && !points.path.empty()) {
        SetObjectGC(ctx);
        std::vector<XPoint> path = ToXPoints(points.path);
        XDrawLines(display, ctx.window, Window_LineGC(), path.data(), static_cast<int>(path.size()), CoordModeOrigin);
    }
    ctx.lineWidth = 0;
    SetObjectGC(ctx);
    for (const std::vector<PixelPoint>* head : {&points.startHead, &points.endHead}) {
        if (head->empty()) {
            continue;
        }
        if (ctx.Filled()) {
            Window_FillPolygon(ctx.window, head->data(), head->size());
        }
        if (ctx.Outlined()) {
            std::vector<XPoint> outline = ToXPoints(*head);
            XDrawLines(display, ctx.window, Window_LineGC(), outline.data(), static_cast<int>(outline.size()),
                       CoordModeOrigin);
        }
    }
    return kStatusOk;
}

KernelStatus DrawShape(const ObjectDrawContext& ctx, uint32_t shape)
{
    switch (shape) {
    case kShapeBox:
        return DrawBox(ctx);
    case kShapeEllipse:
        return DrawArcShape(ctx, 0, 360);
    case kShapePicture: {
        MemHandle picture = 0;
        KernelStatus status = Model_GetField(ctx.object, Field::kShapeData, &picture);
        if (status != kStatusOk) {
            return status;
        }
        BlockLock<uint8_t> bytes(picture);
        bool plainBox = bytes && bytes.size() > 0 && (bytes.get()[0] & 1) != 0;
        return plainBox ? DrawBox(ctx) : DrawPicture(ctx, picture);
    }
    case kShapePolygon:
        return DrawPolygon(ctx);
    case kShapeRoundBox:
        return DrawRoundBox(ctx);
    case kShapeWedge:
        return DrawWedge(ctx);
    case kShapeConnector:
        return DrawConnector(ctx);
    case kShapeLabel:
        return kStatusOk;
    case kShapeLine:
        return DrawLine(ctx);
    default:
        return kStatusUnknownShape;
    }
}

}  // namespace

void Window_ForgetObjectGCState()
{
    GCCache() = ObjectGCState{};
}

KernelStatus Window_PaintObject(ObjectHandle object, void* widgetArgument)
{
    auto widget = static_cast<Widget>(widgetArgument);
    ObjectDrawContext ctx;
    ctx.printing = Print_IsActive() != 0;
    if (ctx.printing) {
        if (Model_HasFlags(object, kFlagNotPrinted)) {
            return kStatusOk;
        }
    } else {
        if (widget == nullptr) {
            return kStatusBadArgument;
        }
        if (Window_IsHidden(object)) {
            return kStatusOk;
        }
        ctx.window = Window_XWindow(widget);
    }
    ctx.widget = widget;
    ctx.object = object;
    ctx.pattern = Model_GetFieldValue(object, Field::kPattern);
    ctx.lineStyle = Model_HasFlags(object, kFlagNoOutline) ? kStyleNoOutline : Model_GetFieldValue(object, Field::kLineStyle);
    ctx.lineWidth = static_cast<Fixed>(Model_GetFieldValue(object, Field::kLineWidth));
    uint32_t word75 = Model_GetFieldValue(object, Field::kColours);
    ctx.function = word75 & 0xff;
    ctx.colours = word75 >> 8;

    KernelStatus status = DrawShape(ctx, Model_GetFieldValue(object, Field::kShapeKind));
    Text_DrawObjectText(object);
    Hook_GetHandler(kHookObjectDrawn)(object, 0, 0, 0, 0, 0);
    if (status == kStatusOk && Model_HasFlags(object, kFlagNoDescendants)) {
        return kStatusSkipSubtree;
    }
    return status;
}

namespace {

bool ReadHead(Widget widget, PtArray head, const PixelPoint& end, std::vector<PixelPoint>* out)
{
    out->clear();
    if (head == 0) {
        return true;
    }
    std::vector<PixelPoint> points;
    if (!PixelPoints(widget, head, &points)) {
        return false;
    }
    if (points.empty()) {
        return true;
    }
    out->reserve(points.size() + 2);
    out->push_back(end);
    out->insert(out->end(), points.begin(), points.end());
    out->push_back(end);
    return true;
}

}  // namespace

KernelStatus Window_BuildConnectorPoints(Widget widget, ObjectHandle object, ConnectorPoints* out)
{
    out->Clear();
    uint32_t shape = Model_GetFieldValue(object, Field::kShapeKind);
    PtArray path = 0, startHead = 0, endHead = 0;
    if (shape == kShapeLine) {
        KernelStatus status = Model_GetField(object, Field::kShapeData, &path);
        if (status != kStatusOk) {
            return status;
        }
    } else {
        uint32_t radius = 0;
        MemHandle rounded = 0;
        KernelStatus status = Model_GetField(object, Field::kPath, &path);
        if (status != kStatusOk) {
            return status;
        }
        Model_GetField(object, Field::kCornerRadius, &radius);
        Model_GetField(object, Field::kRoundedPath, &rounded);
        if (radius != 0 && rounded != 0) {
            path = rounded;
        }
        Model_GetField(object, Field::kStartHead, &startHead);
        Model_GetField(object, Field::kEndHead, &endHead);
    }
    if (!PixelPoints(widget, path, &out->path)) {
        return kStatusOutOfMemory;
    }
    if (out->path.empty()) {
        return kStatusOk;
    }
    if (!ReadHead(widget, startHead, out->path.front(), &out->startHead) ||
        !ReadHead(widget, endHead, out->path.back(), &out->endHead)) {
        out->Clear();
        return kStatusOutOfMemory;
    }
    return kStatusOk;
}
