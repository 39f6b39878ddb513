// The damage list of the page windows and the deferred redraw: changed
// objects and page rectangles become pixel rectangles of one window at a
// time; a flush clears that area and repairs it (objects, then the cached
// drawables) under a clip region. The repair is also the Diagram widget's
// expose callback.
#include <X11/Xutil.h>

#include <algorithm>

#include "xkv/cache/Cache.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/print/Print.h"
#include "xkv/platform/xwindows/Diagram.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/WindowInternal.h"

namespace {

constexpr uint32_t kFlagNoDescendants = 4;
constexpr uint32_t kFlagNoPageFrame = 8;
constexpr Fixed kHalfUnit = 0x8000;

enum Shape : uint32_t {
    kShapePolygon = 5,
    kShapeRoundBox = 7,
    kShapeConnector = 9,
    kShapeLine = 13,
};

struct DamageState {
    Widget widget = nullptr;
    Window window = 0;
    DamageRects rects;
    bool sizeKnown = false;
    Region region = nullptr;
    // The connector reported last, by its pixel points before the change.
    ObjectHandle pendingConnector = 0;
    size_t pendingPoints = 0;
    int32_t pad = 0;
    ConnectorPoints pending;
    Region repairRegion = nullptr;
};

DamageState& Damage()
{
    static DamageState state;
    return state;
}

void ClearPending(DamageState& d)
{
    d.pendingConnector = 0;
    d.pendingPoints = 0;
    d.pending.Clear();
}

// Forgets the rectangles, the widget and the pending connector.
void ResetList(DamageState& d)
{
    ClearPending(d);
    d.rects.Reset();
    d.sizeKnown = false;
    d.widget = nullptr;
    d.window = 0;
}

void EnsureSize(DamageState& d)
{
    if (!d.sizeKnown && d.widget != nullptr) {
        int32_t width = 0, height = 0;
        Window_DrawingSize(d.widget, &width, &height);
        d.rects.SetSize(width, height);
        d.sizeKnown = true;
    }
}

// Makes the widget the damage widget, flushing another widget's damage first.
void Bind(Widget widget)
{
    DamageState& d = Damage();
    if (d.widget != nullptr && d.widget != widget) {
        Window_FlushDamage();
    }
    if (d.widget == nullptr) {
        d.widget = widget;
        d.window = Window_XWindow(widget);
        d.sizeKnown = false;
    }
    EnsureSize(d);
}

void DamagePageRect(Widget widget, FixRect rect)
{
    Geom_NormalizeRect(&rect);
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    Window_PageToPixel(widget, {rect.left, rect.top}, &left, &top);
    Window_PageToPixel(widget, {rect.right, rect.bottom}, &right, &bottom);
    Damage().rects.AddBox(left, top, right, bottom);
}

FixRect Grown(const FixRect& r, Fixed by)
{
    return {Fix_Sub(r.left, by), Fix_Sub(r.top, by), Fix_Add(r.right, by), Fix_Add(r.bottom, by)};
}

// Polygons, rounded boxes and lines are stroked on their outline, so half
// the line width (and half a unit of rounding) lies outside their box.
Fixed StrokeMargin(ObjectHandle object)
{
    auto width = static_cast<Fixed>(Model_GetFieldValue(object, Field::kLineWidth));
    return Fix_Add(kHalfUnit, std::max(width, 0) / 2);
}

bool IsStrokedOutside(uint32_t shape)
{
    return shape == kShapePolygon || shape == kShapeRoundBox || shape == kShapeLine;
}

void DamagePendingWhole(DamageState& d)
{
    if (d.pendingPoints != 0) {
        d.rects.AddConnector(d.pending, d.pad);
    }
    ClearPending(d);
}

void DamageConnector(Widget widget, ObjectHandle object)
{
    DamageState& d = Damage();
    if (d.rects.Collapsed()) {
        return;
    }
    int32_t width = 0;
    Window_LengthToPixels(widget, static_cast<Fixed>(Model_GetFieldValue(object, Field::kLineWidth)), &width);
    int32_t padBase = width;
    if (d.pendingPoints != 0 && d.pendingConnector == object) {
        d.pad = std::max(d.pad, width);
        ConnectorPoints now;
        if (Window_BuildConnectorPoints(widget, object, &now) != kStatusOk) {
            ClearPending(d);
            return;
        }
        size_t total = now.Total();
        size_t difference = total > d.pendingPoints ? total - d.pendingPoints : d.pendingPoints - total;
        if (difference <= 1) {
            d.rects.AddConnectorChange(d.pending, now, d.pad);
            ClearPending(d);
            return;
        }
        padBase = d.pad;
        DamagePendingWhole(d);
    } else if (d.pendingPoints != 0) {
        DamagePendingWhole(d);
    }
    d.pad = padBase / 2 + 2;
    if (Window_BuildConnectorPoints(widget, object, &d.pending) != kStatusOk) {
        ClearPending(d);
        return;
    }
    d.pendingPoints = d.pending.Total();
    if (d.pendingPoints < 3) {
        d.pendingPoints = 2;
        DamagePendingWhole(d);
        return;
    }
    d.pendingConnector = object;
}

bool BoxIsEmpty(const FixRect& box)
{
    return box.right < box.left || box.bottom < box.top || (box.right == box.left && box.bottom == box.top);
}

Widget DamageWidgetFor(ObjectHandle object, Widget widget)
{
    if (widget == nullptr) {
        widget = Window_OfPage(Model_GetPage(object));
    }
    return widget != nullptr && Window_IsShowing(widget) ? widget : nullptr;
}

KernelStatus DamageObjectCb(ObjectHandle object, void* widget)
{
    return Window_DamageObject(object, widget);
}

void SetObjectClip(Region region)
{
    Display* display = Window_Display();
    for (GC gc : {Window_ClearGC(), Window_LineGC(), Window_FillGC()}) {
        if (gc != nullptr) {
            if (region != nullptr) {
                XSetRegion(display, gc, region);
            } else {
                XSetClipMask(display, gc, None);
            }
        }
    }
}

}  // namespace

Region Window_RepairClip()
{
    return Damage().repairRegion;
}

KernelStatus Window_AddDamage(Widget widget, const FixRect& rect)
{
    if (!Window_IsShowing(widget)) {
        return kStatusOk;
    }
    Bind(widget);
    DamageState& d = Damage();
    if (d.rects.CollapseIfFull()) {
        return kStatusOk;
    }
    DamagePageRect(widget, rect);
    return kStatusOk;
}

KernelStatus Window_DamageObject(ObjectHandle object, void* widgetArgument)
{
    auto widget = static_cast<Widget>(widgetArgument);
    FixRect box;
    if (!Window_IsDrawnObject(object) || Model_GetField(object, Field::kBox, &box) != kStatusOk || BoxIsEmpty(box)) {
        return Model_HasFlags(object, kFlagNoDescendants) ? kStatusSkipSubtree : kStatusOk;
    }
    Bind(widget);
    DamageState& d = Damage();
    if (d.rects.CollapseIfFull()) {
        return kStatusSkipSubtree;
    }
    uint32_t shape = Model_GetFieldValue(object, Field::kShapeKind);
    if (shape == kShapeConnector || shape == kShapeLine) {
        DamageConnector(widget, object);
        FixRect textBox;
        if (Model_GetFieldValue(object, Field::kText) != 0 && Model_GetBox(object, &textBox) == kStatusOk) {
            DamagePageRect(widget, textBox);
        }
    } else if (IsStrokedOutside(shape)) {
        DamagePageRect(widget, Grown(box, StrokeMargin(object)));
    } else {
        DamagePageRect(widget, box);
    }
    return Model_HasFlags(object, kFlagNoDescendants) ? kStatusSkipSubtree : kStatusOk;
}

KernelStatus Window_RedrawObject(ObjectHandle object, Widget widget)
{
    widget = DamageWidgetFor(object, widget);
    if (widget == nullptr) {
        return kStatusOk;
    }
    if (Velkor_Settings().useSubtreeRectangle && !Model_IsConnector(object)) {
        FixRect extent;
        KernelStatus status = Model_GetExtent(object, &extent);
        if (status != kStatusOk) {
            return status;
        }
        if (IsStrokedOutside(Model_GetFieldValue(object, Field::kShapeKind))) {
            extent = Grown(extent, StrokeMargin(object));
        }
        return Window_AddDamage(widget, extent);
    }
    KernelStatus status = Model_WalkTree(1, object, kMaskAll, DamageObjectCb, widget);
    return status == kStatusSkipSubtree ? kStatusOk : status;
}

KernelStatus Window_DrawObjectNow(ObjectHandle object, Widget widget)
{
    widget = DamageWidgetFor(object, widget);
    if (widget == nullptr) {
        return kStatusOk;
    }
    KernelStatus status = Window_DamageObject(object, widget);
    return status == kStatusSkipSubtree ? kStatusOk : status;
}

void Window_FlushDamage()
{
    DamageState& d = Damage();
    if (d.widget == nullptr || Print_IsActive()) {
        return;
    }
    Widget widget = d.widget;
    if (Window_IsShowing(widget) && d.window != 0) {
        DamagePendingWhole(d);
        std::span<const PixelRect> rects = d.rects.Rects();
        if (!rects.empty()) {
            std::vector<XRectangle> xrects(rects.size());
            for (size_t i = 0; i < rects.size(); ++i) {
                xrects[i] = {Map_ClampCoord(rects[i].x), Map_ClampCoord(rects[i].y), Map_ClampLength(rects[i].width),
                             Map_ClampLength(rects[i].height)};
            }
            ClipList_Set(widget, xrects.data(), static_cast<uint16_t>(xrects.size()));
            Display* display = Window_Display();
            GC clear = Window_ClearGC();
            XGCValues saved{};
            XGetGCValues(display, clear, GCForeground, &saved);
            XSetForeground(display, clear, Window_BackgroundPixel());
            XFillRectangles(display, d.window, clear, xrects.data(), static_cast<int>(xrects.size()));
            XSetForeground(display, clear, saved.foreground);
            if (d.region == nullptr) {
                d.region = XCreateRegion();
            }
            for (XRectangle& r : xrects) {
                XUnionRectWithRegion(&r, d.region, d.region);
            }
            XFlush(display);
            Window_RepairRegion(widget, d.region, 1);
            XSubtractRegion(d.region, d.region, d.region);
        }
    }
    ResetList(d);
}

void Window_RepairRegion(Widget widget, Region region, int mode)
{
    PageWindow* record = Window_RecordOf(widget);
    if (record == nullptr) {
        return;
    }
    if (mode == kDiagramRepairMapped) {
        record->needsRepair = true;
        if (record->inUse == kRecordWithdrawn) {
            record->inUse = 1;
        }
        return;
    }
    Display* display = Window_Display();
    DamageState& d = Damage();
    bool clipped = false;
    if (region != nullptr && !XEmptyRegion(region)) {
        SetObjectClip(region);
        if (!ClipList_IsSet()) {
            ClipList_SetFromRegion(widget, region);
        }
        d.repairRegion = region;
        clipped = true;
    }
    ObjectHandle page = Window_Page(widget);
    if (page != 0) {
        GroupNumber group = 0;
        if (ClipList_Collect(page, &group) == kStatusOk) {
            if (!Model_HasFlags(page, kFlagNoPageFrame)) {
                Group_Add(group, page);
            }
            Group_Apply(group, Window_PaintObject, widget);
            Group_Free(group);
        }
    }
    bool structure = Window_IsStructureKind(record->kind);
    if (mode != 0 && (structure || Window_CanDraw(widget))) {
        XFlush(display);
        GC drawable = Window_DrawableGC();
        bool clipDrawables = region != nullptr && (clipped || structure);
        if (clipDrawables) {
            XSetRegion(display, drawable, region);
        }
        Cache_Redraw(widget, kCacheAllLists);
        DrawQueue_Flush();
        if (clipDrawables) {
            XSetClipMask(display, drawable, None);
        }
    }
    XFlush(display);
    if (clipped) {
        SetObjectClip(nullptr);
        d.repairRegion = nullptr;
    }
    ClipList_Free();
}

KernelStatus Window_RedrawPage(ObjectHandle page, uint32_t)
{
    Widget widget = Window_OfPage(page);
    if (widget == nullptr || !Window_IsShowing(widget)) {
        return kStatusOk;
    }
    DamageState& d = Damage();
    if (d.widget != nullptr && d.widget != widget) {
        Widget other = d.widget;
        Window_SuspendDrawing(other);
        Window_PostIndicate(other);
        Window_FlushDamage();
    } else if (d.widget == widget) {
        ResetList(d);
    }
    d.widget = widget;
    d.window = Window_XWindow(widget);
    d.sizeKnown = false;
    EnsureSize(d);
    d.rects.AddPixelRect(0, 0, d.rects.Width(), d.rects.Height());
    Window_SuspendDrawing(widget);
    Window_PostIndicate(widget);
    Window_FlushDamage();
    return kStatusOk;
}

KernelStatus Window_ClearPage(Widget widget)
{
    if (Window_IsShowing(widget) && Window_XWindow(widget) != 0) {
        XClearArea(Window_Display(), Window_XWindow(widget), 0, 0, 0, 0, True);
    }
    DamageState& d = Damage();
    if (d.widget == widget) {
        ResetList(d);
    }
    return kStatusOk;
}

void Window_ForgetDamage(Widget widget)
{
    DamageState& d = Damage();
    if (d.widget == widget) {
        ResetList(d);
    }
    if (widget != nullptr && d.window == Window_XWindow(widget)) {
        d.window = 0;
    }
}
