// Rubber-band and drag-outline gestures: new and reshaped boxes, ovals,
// rounded boxes and regular polygons, and the outlines of dragged objects,
// drawn in the window's feedback list and posted as a rectangle, a point
// list or an offset.
#include "xkv/trans/TransInternal.h"

#include <cstdlib>
#include <limits>

#include "xkv/cache/Cache.h"
#include "xkv/cursor/Cursor.h"
#include "xkv/group/Group.h"
#include "xkv/item/TypedItem.h"
#include "xkv/mem/Mem.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"
#include "xkv/types/PtArray.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/Window.h"

namespace {

constexpr int32_t kCursorRubber = 7;

bool IsDragState(int32_t state)
{
    return state >= 31 && state <= 34;
}

FixPoint Add(FixPoint a, FixPoint b)
{
    return {Fix_Add(a.x, b.x), Fix_Add(a.y, b.y)};
}

FixPoint Sub(FixPoint a, FixPoint b)
{
    return {Fix_Sub(a.x, b.x), Fix_Sub(a.y, b.y)};
}

bool Equal(FixPoint a, FixPoint b)
{
    return a.x == b.x && a.y == b.y;
}

// The ratio a/b as a Fixed, computed in 64 bits and held within range.
Fixed Ratio(Fixed a, Fixed b, bool* tooSteep)
{
    const int64_t q = (int64_t{a} * kFixedOne) / b;
    constexpr int64_t limit = std::numeric_limits<int32_t>::max() / 2;
    if (q > limit || q < -limit) {
        *tooSteep = true;
        return q > 0 ? static_cast<Fixed>(limit) : static_cast<Fixed>(-limit);
    }
    *tooSteep = false;
    return static_cast<Fixed>(q);
}

void ResetRubber(Transaction* record, const uint8_t* flags)
{
    RubberData& r = record->rubber;
    r = RubberData{};
    if (flags == nullptr) {
        r.solid = 1;
        return;
    }
    r.centred = (*flags >> 0) & 1;
    r.horizontalOnly = (*flags >> 1) & 1;
    r.verticalOnly = (*flags >> 2) & 1;
    r.flipX = (*flags >> 3) & 1;
    r.flipY = (*flags >> 4) & 1;
    r.solid = (*flags >> 5) & 1;
    r.shiftLatched = (*flags >> 6) & 1;
}

void RubberEnd(Transaction* record)
{
    Trans_FreePoints(&record->rubber.outlineTemplate);
    Trans_FreePoints(&record->rubber.outline);
    Window_UnhideAll();
}

FixRect NormalBox(const RubberData& r)
{
    FixRect box{};
    Geom_RectFromPoints(&box, r.cornerA, r.cornerB);
    Geom_NormalizeRect(&box);
    return box;
}

MemHandle OutlineItem(const Transaction* record)
{
    const RubberData& r = record->rubber;
    const uint32_t mode = r.solid != 0 ? 0 : 3;
    const FixRect box = NormalBox(r);
    switch (record->state) {
    case 2:
    case 3:
        return TypedItem_NewRectOutline(box, mode, r.outlineValue);
    case 7:
    case 8:
        {
            FixPoint centre{};
            Fixed width = 0, height = 0;
            Geom_RectCenterSize(box, &centre, &width, &height);
            return TypedItem_NewEllipse(centre.x, centre.y, width, height, mode);
        }
    case 26:
        {
            MemHandle copy = r.outline != 0 ? PtArray_Duplicate(r.outline) : 0;
            return copy != 0 ? TypedItem_NewPolyline(copy, mode, 1, 0, 0) : 0;
        }
    case 38:
    case 39:
        return TypedItem_NewRectOutline(box, mode, r.radiusX);
    default:
        return 0;
    }
}

void DrawOutline(Transaction* record, Widget window)
{
    window = Trans_FeedbackWindow(window);
    if (window == nullptr) {
        return;
    }
    if (IsDragState(record->state)) {
        Cache_SetPositionAll(window, kCacheFeedback, record->rubber.cornerA);
        return;
    }
    Cache_ClearList(window, kCacheFeedback, 0);
    if (MemHandle item = OutlineItem(record)) {
        Cache_AddDrawable(window, kCacheFeedback, item, 1);
    }
}

void EraseOutline(Widget window)
{
    if (Widget w = Trans_FeedbackWindow(window)) {
        Cache_ClearList(w, kCacheFeedback, 1);
    }
}

// Back to the record as the state began; point lists made since then are freed.
void RestoreStart(Transaction* record)
{
    const Transaction* saved = Trans_SavedCurrent();
    RubberData& r = record->rubber;
    if (saved != nullptr && r.outline != saved->rubber.outline) {
        Trans_FreePoints(&r.outline);
    }
    if (saved != nullptr && r.outlineTemplate != saved->rubber.outlineTemplate) {
        Trans_FreePoints(&r.outlineTemplate);
    }
    Trans_Restore();
}

KernelStatus BeginNew(GestureState state, int32_t messageId, int32_t cursor, FixPoint size, uint8_t flags)
{
    const KernelStatus status = Trans_NewState(state, 0, messageId, cursor, (flags >> 7) & 1, RubberEnd);
    Transaction* record = Trans_Current();
    ResetRubber(record, &flags);
    record->rubber.size = size;
    record->rubber.waiting = 1;
    return status;
}

KernelStatus BeginResize(GestureState state, int32_t messageId, FixPoint origin, Fixed width,
                         Fixed height, uint8_t flags, const FixPoint* start)
{
    const KernelStatus status = Trans_NewState(state, 0, messageId, kCursorRubber, (flags >> 7) & 1, RubberEnd);
    Transaction* record = Trans_Current();
    ResetRubber(record, &flags);
    RubberData& r = record->rubber;
    r.cornerA = origin;
    r.cornerB = Add(origin, {width, height});
    r.pressPoint = start != nullptr ? *start : r.cornerB;
    r.lastPoint = r.pressPoint;
    r.size = {width, height};
    r.pressSeen = 1;
    return status;
}

void TakeSlope(RubberData& r)
{
    r.slopeVertical = 0;
    r.slopeHorizontal = 0;
    if (Equal(r.cornerA, r.cornerB)) {
        r.slope = kFixedOne;
    } else {
        const Fixed dx = Fix_Sub(r.cornerB.x, r.cornerA.x);
        const Fixed dy = Fix_Sub(r.cornerB.y, r.cornerA.y);
        if (dx == 0) {
            r.slopeVertical = 1;
            r.slope = 0;
        } else if (dy == 0) {
            r.slopeHorizontal = 1;
            r.slope = 0;
        } else {
            bool tooSteep = false;
            r.slope = Ratio(dy, dx, &tooSteep);
            r.slopeVertical = tooSteep ? 1 : 0;
        }
    }
    if ((r.flipX != 0) != (r.flipY != 0)) {
        r.slope = -r.slope;
    }
    r.ratioActive = 1;
}

void RebuildPolygon(RubberData& r)
{
    if (r.outline == 0 || r.outlineTemplate == 0) {
        return;
    }
    const FixPoint half{(Fix_Sub(r.cornerB.x, r.cornerA.x)) / 2, (Fix_Sub(r.cornerB.y, r.cornerA.y)) / 2};
    const FixPoint centre = Add(r.cornerA, half);
    Trans_FreePoints(&r.outline);
    r.outline = PtArray_Duplicate(r.outlineTemplate);
    if (r.outline == 0) {
        return;
    }
    bool unused = false;
    const Fixed sx = r.size.x != 0 ? Ratio(Fix_Sub(r.cornerB.x, r.cornerA.x), r.size.x, &unused) : kFixedOne;
    const Fixed sy = r.size.y != 0 ? Ratio(Fix_Sub(r.cornerB.y, r.cornerA.y), r.size.y, &unused) : kFixedOne;
    PtArray_Scale(r.outline, &centre, sx, sy);
}

}  // namespace

uint8_t Trans_HandleFlags(MemHandle handleRecord)
{
    uint8_t flags = 1 << 5;
    void* address = nullptr;
    if (handleRecord == 0 || Mem_Lock(handleRecord, &address) != kStatusOk || address == nullptr) {
        return flags;
    }
    const uint32_t kind = Mem_Size(handleRecord) >= sizeof(uint32_t) ? *static_cast<const uint32_t*>(address) : 0;
    Mem_Unlock(handleRecord);
    switch (kind) {
    case 5: return flags | (1 << 3);
    case 6: return flags | (1 << 2);
    case 8: return flags | (1 << 1);
    case 9: return flags | (1 << 4);
    case 10: return flags | (1 << 2) | (1 << 4);
    case 11: return flags | (1 << 3) | (1 << 4);
    case 12: return flags | (1 << 1) | (1 << 3);
    default: return flags;
    }
}

KernelStatus Trans_BeginBox(int32_t messageId, int32_t cursor, Fixed sizeX, Fixed sizeY, int32_t outlineValue,
                            uint8_t flags)
{
    const KernelStatus status = BeginNew(3, messageId, cursor, {sizeX, sizeY}, flags);
    Trans_Current()->rubber.outlineValue = outlineValue;
    Trans_Save();
    return status;
}

KernelStatus Trans_BeginOval(int32_t messageId, int32_t cursor, Fixed sizeX, Fixed sizeY, uint8_t flags)
{
    const KernelStatus status = BeginNew(8, messageId, cursor, {sizeX, sizeY}, flags);
    Trans_Save();
    return status;
}

KernelStatus Trans_BeginRoundBox(int32_t messageId, int32_t cursor, Fixed sizeX, Fixed sizeY, Fixed radiusX,
                                 Fixed radiusY, uint8_t flags)
{
    const KernelStatus status = BeginNew(38, messageId, cursor, {sizeX, sizeY}, flags);
    Trans_Current()->rubber.radiusX = radiusX;
    Trans_Current()->rubber.radiusY = radiusY;
    Trans_Save();
    return status;
}

KernelStatus Trans_BeginRegularPolygon(int32_t messageId, int32_t cursor, uint8_t flags, uint16_t sides, Fixed size,
                                       int32_t polygonFlag)
{
    const KernelStatus status = BeginNew(26, messageId, cursor, {size >> 1, size >> 1}, flags);
    RubberData& r = Trans_Current()->rubber;
    r.centred = 1;
    r.solid = 1;
    r.sides = sides;
    r.polygonFlag = polygonFlag;
    Trans_Save();
    return status;
}

KernelStatus Trans_BeginResizeBox(Widget window, int32_t messageId, FixPoint origin, Fixed width, Fixed height,
                                  int32_t outlineValue, uint8_t flags, const FixPoint* start)
{
    const KernelStatus status = BeginResize(2, messageId, origin, width, height, flags, start);
    Trans_Current()->rubber.outlineValue = outlineValue;
    Trans_Save();
    DrawOutline(Trans_Current(), window);
    return status;
}

KernelStatus Trans_BeginResizeOval(Widget window, int32_t messageId, FixPoint origin, Fixed width, Fixed height,
                                   uint8_t flags, const FixPoint* start)
{
    const KernelStatus status = BeginResize(7, messageId, origin, width, height, flags, start);
    Trans_Save();
    DrawOutline(Trans_Current(), window);
    return status;
}

KernelStatus Trans_BeginResizeRoundBox(Widget window, int32_t messageId, FixPoint origin, Fixed width, Fixed height,
                                       Fixed radiusX, Fixed radiusY, uint8_t flags, const FixPoint* start)
{
    const KernelStatus status = BeginResize(39, messageId, origin, width, height, flags, start);
    Trans_Current()->rubber.radiusX = radiusX;
    Trans_Current()->rubber.radiusY = radiusY;
    Trans_Save();
    DrawOutline(Trans_Current(), window);
    return status;
}

KernelStatus Trans_BeginDragOutline(Widget window, uint32_t objectOrGroup, uint32_t isGroup, const FixPoint* offset,
                                    const FixPoint* start, uint32_t waitForPress, uint32_t alternate, int32_t cursor)
{
    const GestureState state = isGroup != 0 ? (alternate != 0 ? 32 : 31) : (alternate != 0 ? 34 : 33);
    const KernelStatus status = Trans_NewState(state, 0, 9999, cursor, alternate != 0 ? 1 : 0, RubberEnd);
    Transaction* record = Trans_Current();
    ResetRubber(record, nullptr);
    RubberData& r = record->rubber;
    r.pressPoint = start != nullptr ? *start : r.cornerB;
    r.lastPoint = r.pressPoint;
    if (offset != nullptr) {
        r.pressPoint = Sub(r.pressPoint, *offset);
    }
    r.moveAll = 1;
    r.solid = 1;
    r.waiting = waitForPress != 0 ? 1 : 0;
    r.pressSeen = waitForPress != 0 ? 0 : 1;
    Trans_Save();

    window = Trans_FeedbackWindow(window);
    if (window == nullptr) {
        return status;
    }
    Cache_ClearList(window, kCacheFeedback, 1);
    const bool erase = Velkor_Settings().eraseBeforeDrag;
    auto addOutline = [&](ObjectHandle object) {
        if (object == 0) {
            return;
        }
        if (erase) {
            Window_Hide(window, object);
        }
        if (MemHandle item = TypedItem_OutlineOf(object, 0)) {
            Cache_AddDrawable(window, kCacheFeedback, item, 1);
        }
    };
    if (isGroup != 0) {
        const auto group = static_cast<GroupNumber>(objectOrGroup);
        for (uint16_t i = Group_Count(group); i > 0; --i) {
            addOutline(Group_Member(group, static_cast<uint16_t>(i - 1)));
        }
    } else {
        addOutline(objectOrGroup);
    }
    return status;
}

TRANS_HANDLER(Rubber_Press)
{
    (void)modifiers;
    RubberData& r = record->rubber;
    r.pressSeen = 1;
    if (r.waiting == 0 || pointer->button1 != 1) {
        return 1;
    }
    Cursor_Set(kCursorRubber);
    r.waiting = 0;
    const FixPoint point{pointer->x, pointer->y};
    r.pressPoint = point;
    r.lastPoint = point;
    if (r.moveAll == 0) {
        if (record->state == 26) {
            r.cornerA = Sub(point, r.size);
            r.cornerB = Add(point, r.size);
            r.size = Sub(r.cornerB, r.cornerA);
            FixRect box{};
            Geom_RectFromPoints(&box, r.cornerA, r.cornerB);
            Trans_FreePoints(&r.outline);
            Trans_FreePoints(&r.outlineTemplate);
            r.outline = Spline_EllipsePoints(r.sides, box, r.polygonFlag);
            r.outlineTemplate = r.outline != 0 ? PtArray_Duplicate(r.outline) : 0;
        } else {
            r.cornerA = point;
            r.cornerB = Add(point, r.size);
            if (Velkor_Settings().allowPointerWarp && !Equal(r.cornerB, r.pressPoint)) {
                Window_WarpPointer(window, &r.pressPoint, r.cornerB);
                r.lastPoint = r.cornerB;
            }
        }
    }
    DrawOutline(record, window);
    return 1;
}

TRANS_HANDLER(Rubber_Motion)
{
    RubberData& r = record->rubber;
    r.moved = 1;
    const FixPoint point{pointer->x, pointer->y};
    FixPoint delta = Sub(point, r.lastPoint);

    if (modifiers->flags.shift != 1) {
        r.shiftMove = 0;
        r.shiftLatched = 0;
    } else if (r.shiftLatched == 0) {
        r.shiftMove = 1;
        r.shiftLatched = 1;
    }
    if (modifiers->flags.lock != 1) {
        r.ratioActive = 0;
    } else if (r.ratioActive == 0) {
        TakeSlope(r);
    }
    if (modifiers->flags.control != 1) {
        r.axisChosen = 0;
        r.axisHorizontal = 0;
        r.axisVertical = 0;
    } else if (r.axisChosen == 0) {
        r.axisRef = r.cornerA;
        if (std::llabs(delta.x) <= std::llabs(delta.y)) {
            r.axisVertical = 1;
        } else {
            r.axisHorizontal = 1;
        }
        r.axisChosen = 1;
    }
    if (r.waiting != 0) {
        return 1;
    }
    if (r.horizontalOnly != 0 || r.axisHorizontal != 0) {
        delta.y = 0;
    } else if (r.verticalOnly != 0 || r.axisVertical != 0) {
        delta.x = 0;
    }
    if (r.moveAll != 0 || r.shiftMove != 0) {
        r.cornerA = Add(r.cornerA, delta);
        r.cornerB = Add(r.cornerB, delta);
        if (r.outline != 0) {
            PtArray_Translate(r.outline, delta);
        }
        if (r.outlineTemplate != 0) {
            PtArray_Translate(r.outlineTemplate, delta);
        }
        if (r.axisChosen != 0 && Equal(r.cornerA, r.axisRef)) {
            r.axisChosen = 0;
        }
    } else {
        if (r.ratioActive != 0) {
            if (r.slopeVertical != 0) {
                delta.x = 0;
            } else if (r.slopeHorizontal != 0) {
                delta.y = 0;
            } else if (r.horizontalOnly != 0) {
                delta.x = 0;
            } else if (r.verticalOnly == 0) {
                delta.y = Fix_ScaleCoord(delta.x, r.slope);
            } else {
                delta.y = 0;
            }
        }
        if (r.centred != 0) {
            r.cornerA = Sub(r.cornerA, delta);
            r.cornerB = Add(r.cornerB, delta);
        } else {
            Fixed& x = r.flipX != 0 ? r.cornerB.x : r.cornerA.x;
            Fixed& y = r.flipY != 0 ? r.cornerB.y : r.cornerA.y;
            x = Fix_Add(x, delta.x);
            y = Fix_Add(y, delta.y);
        }
        RebuildPolygon(r);
    }
    r.lastPoint = point;
    DrawOutline(record, window);
    return 1;
}

TRANS_HANDLER(Rubber_Release)
{
    RubberData& r = record->rubber;
    if (r.pressSeen == 0) {
        return 1;
    }
    MemHandle event = 0;
    switch (record->state) {
    case 2: case 3: case 7: case 8: case 38: case 39:
        event = Event_NewRectPick(pointer, &modifiers->flags, r.cornerA, r.cornerB);
        break;
    case 26:
        if (r.outline != 0) {
            event = Event_NewPointsPick(r.outline);
            if (event != 0) {
                r.outline = 0;
            }
        }
        break;
    default:
        if (r.moved != 0) {
            event = Event_NewPointPick(pointer, &modifiers->flags, r.cornerA);
        } else if (record->state == 31 || record->state == 33) {
            event = Event_NewCancel();
        }
        break;
    }
    if (event == 0) {
        return 1;
    }
    EraseOutline(window);
    Cursor_Set(static_cast<uint32_t>(record->cursor));
    RestoreStart(record);
    Window_UnhideAll();
    Trans_Post(event);
    return 1;
}

TRANS_HANDLER(Rubber_Key)
{
    (void)pointer;
    if (modifiers->character != kEscape) {
        return 0;
    }
    if (record->argument == 0) {
        EraseOutline(window);
        Trans_PostCancel();
        return 1;
    }
    if (record->rubber.pressSeen != 0) {
        EraseOutline(window);
        RestoreStart(record);
        Cursor_Set(static_cast<uint32_t>(record->cursor));
        return 1;
    }
    return 0;
}
