// Point-list and vertex gestures: new polygons, lines and connectors entered
// click by click, and moving, inserting or deleting a vertex of an existing
// point list or connector, with rubber segments as feedback.
#include "xkv/trans/TransInternal.h"

#include <cstdlib>

#include "xkv/cache/Cache.h"
#include "xkv/item/TypedItem.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/PtArray.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kHookBendPointMoved = 31;
constexpr uint8_t kSnapCharacter = 255;
constexpr uint8_t kSpace = ' ';

bool IsNewListState(int32_t state)
{
    return state == 15 || state == 18 || state == 36;
}

bool HasTwoSegments(int32_t state)
{
    return state == 15 || state == 28 || state == 30 || state == 37;
}

FixPoint PointAt(MemHandle points, int32_t index)
{
    FixPoint p{};
    if (index >= 0) {
        PtArray_GetPoint(points, static_cast<uint32_t>(index), &p);
    }
    return p;
}

// Keeps the value unchanged when the index lies outside the list.
void ReadPoint(MemHandle points, int32_t index, FixPoint* out)
{
    if (index >= 0 && index < PtArray_Count(points)) {
        PtArray_GetPoint(points, static_cast<uint32_t>(index), out);
    }
}

void VertexEnd(Transaction* record)
{
    Trans_FreePoints(&record->vertex.points);
    Window_UnhideAll();
}

void ResetVertex(Transaction* record, MemHandle points)
{
    VertexData& v = record->vertex;
    v = VertexData{};
    v.points = points != 0 ? points : PtArray_New();
    v.waiting = 1;
}

void RemoveSegment(Widget window, MemHandle* segment)
{
    if (*segment != 0) {
        Cache_RemoveDrawable(window, kCacheFeedback, *segment, 1);
        *segment = 0;
    }
}

MemHandle AddSegment(Widget window, FixPoint from, FixPoint to)
{
    MemHandle item = TypedItem_NewSegment(from, to, 0);
    if (item != 0 && Cache_AddDrawable(window, kCacheFeedback, item, 1) != kStatusOk) {
        TypedItem_Free(item);
        return 0;
    }
    return item;
}

void DrawSegments(Transaction* record, Widget window, bool replace)
{
    window = Trans_FeedbackWindow(window);
    if (window == nullptr) {
        return;
    }
    VertexData& v = record->vertex;
    if (HasTwoSegments(record->state)) {
        if (replace) {
            RemoveSegment(window, &v.segmentA);
            RemoveSegment(window, &v.segmentB);
        } else if (v.count != 2) {
            RemoveSegment(window, &v.segmentA);
        }
        v.segmentA = AddSegment(window, v.prevPoint, v.rubberPoint);
        v.segmentB = AddSegment(window, v.rubberPoint, v.nextPoint);
    } else {
        if (replace) {
            RemoveSegment(window, &v.segmentA);
        }
        v.segmentA = AddSegment(window, v.prevPoint, v.rubberPoint);
    }
}

// The line a-b's y at x, computed in 64 bits; false when a and b share x.
bool LineYAt(FixPoint a, FixPoint b, Fixed x, Fixed* y)
{
    const int64_t dx = int64_t{b.x} - a.x;
    if (dx == 0) {
        return false;
    }
    *y = Fix_Saturate(a.y + (int64_t{b.y} - a.y) * (int64_t{x} - a.x) / dx);
    return true;
}

FixPoint Snap(FixPoint a, FixPoint b, FixPoint c)
{
    if (a.y != b.y) {
        Fixed m = 0;
        if (!LineYAt(a, b, c.x, &m)) {
            m = static_cast<Fixed>((int64_t{a.y} + b.y) / 2);
        }
        const bool onASide = a.y >= b.y ? c.y > m : c.y <= m;
        return onASide ? FixPoint{b.x, a.y} : FixPoint{a.x, b.y};
    }
    return std::llabs(int64_t{a.x} - c.x) >= std::llabs(int64_t{b.x} - c.x) ? b : a;
}

void Restart(Transaction* record, Widget window)
{
    if (Widget w = Trans_FeedbackWindow(window)) {
        Cache_ClearList(w, kCacheFeedback, 1);
    }
    MemHandle keep = record->vertex.points;
    if (IsNewListState(record->state)) {
        if (keep != 0) {
            PtArray_SetCount(keep, 0);
        } else {
            keep = PtArray_New();
        }
    }
    Trans_Restore();
    record->vertex.points = keep;
    record->vertex.segmentA = 0;
    record->vertex.segmentB = 0;
    Trans_Save();
}

void PostResult(Transaction* record)
{
    VertexData& v = record->vertex;
    if (v.points == 0) {
        return;
    }
    MemHandle event = 0;
    switch (record->state) {
    case 28:
        if (const Transaction* saved = Trans_SavedCurrent();
            saved != nullptr && v.count >= saved->vertex.count && Hook_IsRegistered(kHookBendPointMoved) != 0) {
            Hook_Fire(kHookBendPointMoved, static_cast<uint16_t>(v.index),
                      reinterpret_cast<uintptr_t>(&v.rubberPoint));
        }
        event = Event_NewPointsPick(v.points);
        break;
    case 29:
        PtArray_SetPoint(v.points, static_cast<uint32_t>(v.index), v.rubberPoint);
        [[fallthrough]];
    case 18:
        event = Event_NewTriplePick(v.startObject, v.endObject, v.points);
        break;
    default:
        event = Event_NewPointsPick(v.points);
        break;
    }
    if (event != 0) {
        v.points = 0;
        Trans_Post(event);
    }
}

ObjectHandle EndObjectAt(Widget window, FixPoint point)
{
    return Model_LocateAt(Window_Page(window), point, 768, 63, 0x400000);
}

void Append(VertexData& v, FixPoint point)
{
    if (PtArray_Append(v.points, point) == kStatusOk) {
        ++v.count;
    }
}

// The handle pick record of an edit begin: kind, index, point and object.
bool ReadHandle(MemHandle handlePick, DotRec* out)
{
    void* address = nullptr;
    if (handlePick == 0 || Mem_Size(handlePick) < sizeof(DotRec) || Mem_Lock(handlePick, &address) != kStatusOk ||
        address == nullptr) {
        return false;
    }
    *out = *static_cast<const DotRec*>(address);
    Mem_Unlock(handlePick);
    return true;
}

// The feedback of an edit begin: the list as a polyline with the edited vertex marked.
void ShowEditedList(Transaction* record, bool closed)
{
    Widget window = Window_Current();
    if (window == nullptr) {
        return;
    }
    Cache_ClearList(window, kCacheAllLists, 1);
    VertexData& v = record->vertex;
    if (MemHandle copy = PtArray_Duplicate(v.points)) {
        MemHandle item = TypedItem_NewPolyline(copy, 0, closed ? 1 : 0, static_cast<int16_t>(v.index), 0);
        if (item != 0) {
            Cache_AddDrawable(window, kCacheFeedback, item, 1);
        } else {
            PtArray_Free(copy);
        }
    }
    DrawSegments(record, window, false);
}

KernelStatus BeginNewList(GestureState state, int32_t messageId, int32_t cursor)
{
    const KernelStatus status = Trans_NewState(state, 0, messageId, cursor, 1, VertexEnd);
    Transaction* record = Trans_Current();
    ResetVertex(record, 0);
    Trans_Save();
    return status;
}

// Common start of the edit begins: the state, a copy of the list and the handle.
bool BeginEdit(GestureState state, int32_t messageId, int32_t cursor, MemHandle source, const DotRec& dot,
               KernelStatus* status)
{
    *status = Trans_NewState(state, 0, messageId, cursor, 0, VertexEnd);
    Transaction* record = Trans_Current();
    MemHandle copy = source != 0 ? PtArray_Duplicate(source) : 0;
    ResetVertex(record, copy);
    VertexData& v = record->vertex;
    v.count = PtArray_Count(v.points);
    v.index = dot.index;
    v.waiting = 0;
    if (v.count == 0 || v.index >= v.count) {
        // Nothing to edit: the gesture holds no list and posts nothing.
        Trans_FreePoints(&v.points);
        v.count = 0;
        return false;
    }
    return true;
}

void InsertHandlePoint(VertexData& v, const DotRec& dot)
{
    if (PtArray_InsertAfter(v.points, v.index, dot.centre) == kStatusOk) {
        ++v.count;
        ++v.index;
    }
}

}  // namespace

KernelStatus Trans_BeginPolygon(int32_t messageId, int32_t cursor)
{
    return BeginNewList(15, messageId, cursor);
}

KernelStatus Trans_BeginConnector(int32_t messageId, int32_t cursor)
{
    return BeginNewList(18, messageId, cursor);
}

KernelStatus Trans_BeginLine(int32_t messageId, int32_t cursor)
{
    return BeginNewList(36, messageId, cursor);
}

KernelStatus Trans_BeginVertexEdit(int32_t messageId, MemHandle handlePick)
{
    DotRec dot{};
    if (!ReadHandle(handlePick, &dot)) {
        return kStatusBadArgument;
    }
    KernelStatus status = 0;
    const GestureState state = dot.kind == 13 ? 40 : 37;
    const bool ok = BeginEdit(state, messageId, 4, Model_GetFieldValue(dot.owner, Field::kShapeData), dot, &status);
    Transaction* record = Trans_Current();
    VertexData& v = record->vertex;
    if (ok) {
        if (dot.kind == 14) {
            InsertHandlePoint(v, dot);
        }
        ReadPoint(v.points, v.index, &v.rubberPoint);
        if (dot.kind == 13) {
            ReadPoint(v.points, v.index == 0 ? 1 : v.count - 2, &v.prevPoint);
        } else {
            ReadPoint(v.points, v.index - 1, &v.prevPoint);
            ReadPoint(v.points, v.index + 1, &v.nextPoint);
        }
    }
    Trans_Save();
    if (ok) {
        ShowEditedList(record, false);
        Trans_Save();
    }
    return status;
}

KernelStatus Trans_BeginConnectorEdit(int32_t messageId, MemHandle handlePick)
{
    DotRec dot{};
    if (!ReadHandle(handlePick, &dot)) {
        return kStatusBadArgument;
    }
    const ObjectHandle connector = dot.owner;
    KernelStatus status = 0;
    const GestureState state = dot.kind != 0 ? 28 : 29;
    const bool ok = BeginEdit(state, messageId, 1, Model_GetFieldValue(connector, Field::kPath), dot, &status);
    Transaction* record = Trans_Current();
    VertexData& v = record->vertex;
    if (ok) {
        if (dot.kind == 2 && PtArray_InsertAfter(v.points, v.index, dot.centre) == kStatusOk) {
            ++v.count;
            v.index = dot.index + 1;
        }
        v.startObject = Model_GetFieldValue(connector, Field::kStartObject);
        v.endObject = Model_GetFieldValue(connector, Field::kEndObject);
        FixPoint first{}, last{};
        bool haveEnds = false;
        if (Model_GetFieldValue(connector, Field::kConnector66) != 0) {
            haveEnds = Model_GetField(v.startObject, Field::kPosition, &first) == kStatusOk &&
                       Model_GetField(v.endObject, Field::kPosition, &last) == kStatusOk;
        } else {
            haveEnds = Model_GetConnectorEndPoints(connector, &first, &last) == kStatusOk;
        }
        if (haveEnds) {
            PtArray_SetPoint(v.points, 0, first);
            PtArray_SetPoint(v.points, static_cast<uint32_t>(v.count - 1), last);
        }
        ReadPoint(v.points, v.index, &v.rubberPoint);
        if (state == 28) {
            ReadPoint(v.points, v.index - 1, &v.prevPoint);
            ReadPoint(v.points, v.index + 1, &v.nextPoint);
        } else if (v.index != 0) {
            v.endObject = 0;
            ReadPoint(v.points, v.index - 1, &v.prevPoint);
        } else {
            v.startObject = 0;
            ReadPoint(v.points, 1, &v.prevPoint);
        }
    }
    Trans_Save();
    if (ok) {
        ShowEditedList(record, false);
        Trans_Save();
    }
    return status;
}

KernelStatus Trans_BeginClosedEdit(int32_t messageId, MemHandle handlePick)
{
    DotRec dot{};
    if (!ReadHandle(handlePick, &dot)) {
        return kStatusBadArgument;
    }
    KernelStatus status = 0;
    const bool ok = BeginEdit(30, messageId, 4, Model_GetFieldValue(dot.owner, Field::kShapeData), dot, &status);
    Transaction* record = Trans_Current();
    VertexData& v = record->vertex;
    if (ok) {
        if (dot.kind == 4) {
            InsertHandlePoint(v, dot);
        }
        ReadPoint(v.points, v.index, &v.rubberPoint);
        ReadPoint(v.points, v.index == 0 ? v.count - 1 : v.index - 1, &v.prevPoint);
        ReadPoint(v.points, (v.index + 1) % v.count, &v.nextPoint);
    }
    Trans_Save();
    if (ok) {
        ShowEditedList(record, true);
        Trans_Save();
    }
    return status;
}

TRANS_HANDLER(Vertex_Motion)
{
    VertexData& v = record->vertex;
    if (modifiers->flags.control == 1) {
        if (v.constrained == 0) {
            v.constrained = 1;
            v.constraintRef = v.rubberPoint;
            v.constrainX = 1;
        } else {
            v.constrained = 0;
        }
    }
    if (v.waiting != 0) {
        return 1;
    }
    const FixPoint point{pointer->x, pointer->y};
    if (modifiers->flags.mod != 1) {
        v.moved = 1;
        if (v.constrained != 0) {
            const FixPoint old = v.rubberPoint;
            if (v.constrainX != 0) {
                v.rubberPoint.x = point.x;
            } else {
                v.rubberPoint.y = point.y;
            }
            Window_WarpPointer(window, &old, v.rubberPoint);
        } else {
            v.rubberPoint = point;
            if (v.count == 1) {
                v.nextPoint = point;
            }
        }
    } else {
        const FixPoint old = v.rubberPoint;
        v.rubberPoint = Snap(v.prevPoint, v.nextPoint, v.rubberPoint);
        Window_WarpPointer(window, &old, v.rubberPoint);
    }
    DrawSegments(record, window, true);
    return 1;
}

TRANS_HANDLER(Vertex_PressStart)
{
    (void)modifiers;
    VertexData& v = record->vertex;
    if (pointer->button1 != 1 || v.startObject != 0) {
        return 1;
    }
    const FixPoint point{pointer->x, pointer->y};
    const ObjectHandle object = EndObjectAt(window, point);
    if (object == 0) {
        return 1;
    }
    v.startObject = object;
    PtArray_SetCount(v.points, 0);
    PtArray_Append(v.points, point);
    v.prevPoint = point;
    v.rubberPoint = point;
    v.count = 1;
    v.waiting = 0;
    return 1;
}

TRANS_HANDLER(Vertex_PressFirst)
{
    (void)modifiers;
    VertexData& v = record->vertex;
    if (pointer->button1 != 1 || v.count != 0) {
        return 1;
    }
    const FixPoint point{pointer->x, pointer->y};
    PtArray_SetCount(v.points, 0);
    PtArray_Append(v.points, point);
    v.prevPoint = point;
    v.nextPoint = point;
    v.rubberPoint = point;
    v.count = 1;
    v.waiting = 0;
    DrawSegments(record, window, true);
    StatusBar_ShowString(record->state == 36 ? 94 : 14);
    return 1;
}

TRANS_HANDLER(Vertex_ReleaseConnector)
{
    (void)modifiers;
    VertexData& v = record->vertex;
    if (pointer->button1 == 3) {
        Restart(record, window);
        return 1;
    }
    if (v.startObject != 0) {
        const FixPoint point{pointer->x, pointer->y};
        const ObjectHandle object = EndObjectAt(window, point);
        if (object != 0 && object != v.startObject) {
            v.endObject = object;
            Append(v, point);
            PostResult(record);
            Restart(record, window);
        } else if (object == v.startObject) {
            Restart(record, window);
        } else {
            Append(v, point);
            v.prevPoint = point;
            v.rubberPoint = point;
            DrawSegments(record, window, false);
        }
    }
    record->vertex.moved = 0;
    return 1;
}

TRANS_HANDLER(Vertex_ReleaseReattach)
{
    (void)modifiers;
    VertexData& v = record->vertex;
    const FixPoint point{pointer->x, pointer->y};
    const ObjectHandle object = EndObjectAt(window, point);
    bool changed = false;
    if (object != 0 && v.endObject != 0 && object != v.endObject) {
        v.startObject = object;
        v.endObject = 0;
        changed = true;
    } else if (object != 0 && v.endObject == 0 && object != v.startObject) {
        v.endObject = object;
        v.startObject = 0;
        changed = true;
    }
    if (changed) {
        v.rubberPoint = point;
        PostResult(record);
        Restart(record, window);
    } else if (pointer->button1 == 3) {
        if (Widget w = Trans_FeedbackWindow(window)) {
            Cache_ClearList(w, kCacheFeedback, 1);
        }
        Trans_PostCancel();
    }
    record->vertex.moved = 0;
    return 1;
}

TRANS_HANDLER(Vertex_ReleaseAdd)
{
    (void)modifiers;
    VertexData& v = record->vertex;
    const uint32_t click = pointer->button1;
    if (click == 0 || click == 2) {
        if (v.moved != 0) {
            const FixPoint point{pointer->x, pointer->y};
            Append(v, point);
            v.nextPoint = point;
            v.rubberPoint = point;
            DrawSegments(record, window, false);
            if (record->state == 36 && v.count >= 2) {
                PostResult(record);
                Restart(record, window);
            }
        }
    } else if (click == 3) {
        PostResult(record);
        Restart(record, window);
    }
    record->vertex.moved = 0;
    return 1;
}

TRANS_HANDLER(Vertex_ReleaseFinish)
{
    (void)modifiers;
    VertexData& v = record->vertex;
    const uint32_t click = pointer->button1;
    if (click == 0 || click == 2) {
        if (v.points != 0) {
            PtArray_SetPoint(v.points, static_cast<uint32_t>(v.index), FixPoint{pointer->x, pointer->y});
        }
        PostResult(record);
        Restart(record, window);
    }
    record->vertex.moved = 0;
    return 1;
}

TRANS_HANDLER(Vertex_Key)
{
    (void)pointer;
    VertexData& v = record->vertex;
    const int32_t state = record->state;
    switch (modifiers->character) {
    case kEscape:
        if (!IsNewListState(state)) {
            if (Widget w = Trans_FeedbackWindow(window)) {
                Cache_ClearList(w, kCacheFeedback, 1);
            }
            Trans_PostCancel();
            return 1;
        }
        if (v.waiting != 0) {
            return 0;
        }
        Restart(record, window);
        return 1;
    case kSnapCharacter:
        if (state == 18) {
            if (v.count != 0) {
                const FixPoint last = PointAt(v.points, v.count - 1);
                Window_WarpPointer(window, &v.rubberPoint, last);
                v.rubberPoint = last;
            }
        } else {
            const FixPoint old = v.rubberPoint;
            v.rubberPoint = Snap(v.prevPoint, v.nextPoint, v.rubberPoint);
            Window_WarpPointer(window, &old, v.rubberPoint);
        }
        DrawSegments(record, window, true);
        return 1;
    case kSpace:
        if ((state == 30 && v.count >= 4) || ((state == 28 || state == 37) && v.count >= 3)) {
            if (PtArray_Delete(v.points, static_cast<uint32_t>(v.index)) == kStatusOk && state != 30) {
                --v.count;
            }
            PostResult(record);
            Restart(record, window);
        }
        return state >= 15 ? 1 : 0;
    default:
        return 0;
    }
}
