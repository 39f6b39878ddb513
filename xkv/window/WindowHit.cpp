// Hit testing in page windows (cached drawables first, then the page's
// objects), selection indication with handles and outlines kept in list 1 of
// the drawable cache, and the objects hidden while they are dragged.
#include <vector>

#include "xkv/cache/Cache.h"
#include "xkv/comm/Comm.h"
#include "xkv/group/Group.h"
#include "xkv/item/TypedItem.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"
#include "xkv/types/PtArray.h"
#include "xkv/window/WindowInternal.h"

namespace {

constexpr uint32_t kExcludeSelectedObject = 0x10000;
constexpr uint32_t kExcludeSelectedGroup = 0x20000;
constexpr uint32_t kExcludeFlagBits = kExcludeSelectedObject | kExcludeSelectedGroup;
constexpr uint32_t kFlagHandleIsObject = 0x10000 | 0x80;
constexpr uint32_t kMaskHideable = kMaskPage | 0x3f | kMaskConnector;
constexpr Fixed kExtentMargin = 4 * kFixedOne;
constexpr Fixed kOutlineShift = kFixedOne;
constexpr uint32_t kModeStippled = 5;

enum DotKind : uint32_t {
    kDotConnectorEnd = 0,
    kDotConnectorInner = 1,
    kDotConnectorMiddle = 2,
    kDotVertex = 3,
    kDotEdgeMiddle = 4,
    kDotLineEnd = 13,
    kDotLineMiddle = 14,
    kDotLineInner = 15,
};

struct IndicationState {
    bool on = false;
    GroupNumber indicated = 0;
    uint32_t lastKind = 0;
    GroupNumber hidden = 0;
};

IndicationState& Indication()
{
    static IndicationState state;
    return state;
}

void RemoveSelection(GroupNumber group, uint32_t exclude)
{
    if ((exclude & kExcludeSelectedObject) != 0 && Select_GetObject() != 0) {
        Group_Remove(group, Select_GetObject());
    }
    if ((exclude & kExcludeSelectedGroup) != 0 && Select_GetGroup() != 0) {
        Group_Subtract(group, Select_GetGroup());
    }
}

uint32_t NotHidden(ObjectHandle object, void*)
{
    return Window_IsHidden(object) ? 0 : 1;
}

FixRect Grown(const FixRect& r, Fixed dx, Fixed dy)
{
    return {Fix_Sub(r.left, dx), Fix_Sub(r.top, dy), Fix_Add(r.right, dx), Fix_Add(r.bottom, dy)};
}

FixPoint Middle(const FixPoint& a, const FixPoint& b)
{
    FixPoint m;
    Geom_MidPoint(&m, a, b);
    return m;
}

class HandleAdder {
public:
    HandleAdder(Widget widget, ObjectHandle owner) : widget_(widget), owner_(owner)
    {
        FixPoint size;
        Window_PixelSizeToPage(widget, 6, 0, &size);
        size_ = size.x;
    }

    bool Add(uint32_t kind, uint16_t index, FixPoint centre)
    {
        MemHandle dot = Dot_Create(kind, index, centre, owner_, size_);
        if (dot == 0) {
            return false;
        }
        MemHandle item = TypedItem_NewDot(dot);
        if (item == 0) {
            Dot_Free(dot);
            return false;
        }
        return Cache_AddDrawable(widget_, kCacheHandles, item, 0) == kStatusOk || (TypedItem_Free(item), false);
    }

private:
    Widget widget_;
    ObjectHandle owner_;
    Fixed size_ = 0;
};

std::vector<FixPoint> PointsOf(PtArray array)
{
    std::vector<FixPoint> points;
    FixPoint* data = nullptr;
    uint16_t count = PtArray_Count(array);
    if (count == 0 || PtArray_LockPoints(array, &data) != kStatusOk) {
        return points;
    }
    points.assign(data, data + count);
    PtArray_UnlockPoints(array);
    return points;
}

bool AddConnectorHandles(HandleAdder& adder, ObjectHandle connector)
{
    PtArray path = 0;
    Model_GetField(connector, Field::kPath, &path);
    std::vector<FixPoint> points = PointsOf(path);
    size_t n = points.size();
    if (n >= 2) {
        FixPoint start = points.front(), end = points.back();
        Model_GetConnectorEndPoints(connector, &start, &end);
        if (!adder.Add(kDotConnectorEnd, 0, start) || !adder.Add(kDotConnectorEnd, static_cast<uint16_t>(n - 1), end)) {
            return false;
        }
    }
    for (size_t i = 1; i + 1 < n; ++i) {
        if (!adder.Add(kDotConnectorInner, static_cast<uint16_t>(i), points[i])) {
            return false;
        }
    }
    for (size_t i = 0; i + 1 < n; ++i) {
        if (!adder.Add(kDotConnectorMiddle, static_cast<uint16_t>(i), Middle(points[i], points[i + 1]))) {
            return false;
        }
    }
    return true;
}

bool AddBoxHandles(HandleAdder& adder, ObjectHandle object)
{
    FixRect box;
    if (Model_GetField(object, Field::kBox, &box) != kStatusOk) {
        return true;
    }
    Fixed midX = Fix_Mid(box.left, box.right), midY = Fix_Mid(box.top, box.bottom);
    const FixPoint places[8] = {{box.right, box.top},  {midX, box.top},     {box.left, box.top},
                                {box.left, midY},      {box.left, box.bottom}, {midX, box.bottom},
                                {box.right, box.bottom}, {box.right, midY}};
    for (uint32_t i = 0; i < 8; ++i) {
        if (!adder.Add(5 + i, 0, places[i])) {
            return false;
        }
    }
    return true;
}

bool AddPolygonHandles(HandleAdder& adder, ObjectHandle object)
{
    PtArray shape = 0;
    Model_GetField(object, Field::kShapeData, &shape);
    std::vector<FixPoint> points = PointsOf(shape);
    size_t n = points.size();
    for (size_t i = 0; i < n; ++i) {
        if (!adder.Add(kDotVertex, static_cast<uint16_t>(i), points[i])) {
            return false;
        }
    }
    for (size_t i = 0; i < n && n >= 2; ++i) {
        if (!adder.Add(kDotEdgeMiddle, static_cast<uint16_t>(i), Middle(points[i], points[(i + 1) % n]))) {
            return false;
        }
    }
    return true;
}

bool AddLineHandles(HandleAdder& adder, ObjectHandle object)
{
    PtArray shape = 0;
    Model_GetField(object, Field::kShapeData, &shape);
    std::vector<FixPoint> points = PointsOf(shape);
    size_t n = points.size();
    if (n == 0) {
        return true;
    }
    if (!adder.Add(kDotLineEnd, 0, points.front()) ||
        (n > 1 && !adder.Add(kDotLineEnd, static_cast<uint16_t>(n - 1), points.back()))) {
        return false;
    }
    for (size_t i = 0; i + 1 < n; ++i) {
        if (!adder.Add(kDotLineMiddle, static_cast<uint16_t>(i), Middle(points[i], points[i + 1]))) {
            return false;
        }
    }
    for (size_t i = 1; i + 1 < n; ++i) {
        if (!adder.Add(kDotLineInner, static_cast<uint16_t>(i), points[i])) {
            return false;
        }
    }
    return true;
}

void AddOutline(Widget widget, ObjectHandle member, FixPoint margin)
{
    if (Model_GetFieldValue(member, Field::kShapeKind) != 9) {
        FixRect box;
        if (Model_GetField(member, Field::kBox, &box) != kStatusOk) {
            return;
        }
        if (MemHandle item = TypedItem_NewGreyRect(Grown(box, margin.x, margin.y), kModeStippled, member)) {
            Cache_AddDrawable(widget, kCacheHandles, item, 0);
        }
        return;
    }
    PtArray path = 0;
    Model_GetField(member, Field::kPath, &path);
    for (Fixed shift : {kOutlineShift, -kOutlineShift}) {
        PtArray copy = PtArray_Duplicate(path);
        if (copy == 0) {
            continue;
        }
        PtArray_Translate(copy, {shift, shift});
        MemHandle item = TypedItem_NewPolyline(copy, kModeStippled, 0, -1, member);
        if (item == 0) {
            PtArray_Free(copy);
            continue;
        }
        Cache_AddDrawable(widget, kCacheHandles, item, 0);
    }
}

void ClearIndicated(Widget widget)
{
    IndicationState& s = Indication();
    Cache_ClearList(widget, kCacheHandles, 1);
    if (s.indicated != 0) {
        Group_Clear(s.indicated);
    }
}

struct HideState {
    std::vector<ObjectHandle> objects;
};

KernelStatus CollectHideable(ObjectHandle object, void* argument)
{
    if (Model_MatchesTypeMask(object, kMaskHideable)) {
        static_cast<HideState*>(argument)->objects.push_back(object);
    }
    return kStatusOk;
}

}  // namespace

MemHandle Window_LocateAt(Widget widget, FixPoint point, uint32_t include, uint32_t exclude, uint32_t filter)
{
    if (!Window_IsPageKind(Window_Kind(widget))) {
        return 0;
    }
    MemHandle cached = Cache_Locate(widget, kCacheAllLists, point);
    if (cached != 0) {
        uint32_t kind = TypedItem_Kind(cached);
        if (kind == kItemDot) {
            ObjectHandle owner = TypedItem_Object(cached);
            if (owner != 0 && Model_HasFlags(owner, kFlagHandleIsObject)) {
                TypedItem_Free(cached);
                return TypedItem_NewObject(owner);
            }
            return cached;
        }
        if (kind == kItemPageLabel) {
            return cached;
        }
        TypedItem_Free(cached);
    }
    ObjectHandle page = Window_Page(widget);
    GroupNumber group = Model_HitGroup(page, point, 0, exclude & ~kExcludeFlagBits, include, filter);
    if (group == 0) {
        return 0;
    }
    if (Group_Count(group) > 0) {
        RemoveSelection(group, exclude);
    }
    ObjectHandle chosen = 0;
    MemHandle result = 0;
    if (Group_Count(group) > 0 && Model_PickNearest(group, point, &chosen) == kStatusOk && chosen != 0) {
        result = TypedItem_NewObject(chosen);
    }
    Group_Free(group);
    return result;
}

GroupNumber Window_CollectInRect(Widget widget, const FixRect& rect, uint32_t exclude, uint32_t include)
{
    if (!Window_IsPageKind(Window_Kind(widget))) {
        return 0;
    }
    GroupNumber group = Model_CollectInRect(Window_Page(widget), &rect, exclude & ~kExcludeFlagBits, include);
    if (group != 0) {
        RemoveSelection(group, exclude);
    }
    return group;
}

void Window_ResetIndication()
{
    Indication() = IndicationState{};
}

KernelStatus Window_ShowIndication(Widget widget, MemHandle selection)
{
    IndicationState& s = Indication();
    if (widget == nullptr) {
        s.on = false;
        return kStatusBadArgument;
    }
    if (s.indicated == 0) {
        s.indicated = Group_New();
    }
    uint32_t kind = TypedItem_Kind(selection);
    if (kind != kItemGroup || s.lastKind != kItemGroup) {
        ClearIndicated(widget);
        s.lastKind = kind;
    }
    KernelStatus status = kStatusBadArgument;
    if (kind == kItemGroup) {
        GroupNumber copy = Group_Duplicate(TypedItem_Group(selection));
        if (copy != 0) {
            Group_Filter(copy, NotHidden, nullptr);
            status = Window_ShowGroupOutlines(widget, copy);
            if (s.indicated != 0) {
                Group_Free(s.indicated);
            }
            s.indicated = copy;
        }
    } else if (kind == kItemObject) {
        ObjectHandle object = TypedItem_Object(selection);
        if (!Window_IsHidden(object)) {
            status = Window_ShowObjectHandles(widget, object);
        }
        if (s.indicated != 0) {
            Group_Clear(s.indicated);
        }
    }
    DrawQueue_Flush();
    s.on = status == kStatusOk;
    return status;
}

KernelStatus Window_HideIndication(Widget widget)
{
    IndicationState& s = Indication();
    if (widget != nullptr) {
        ClearIndicated(widget);
    }
    s.lastKind = 0;
    s.on = false;
    return kStatusOk;
}

KernelStatus Window_SetIndication(Widget widget, uint32_t on)
{
    bool wanted = on == 1;
    if (wanted == Indication().on) {
        return kStatusOk;
    }
    return wanted ? Window_ShowIndication(widget, Select_GetCurrent()) : Window_HideIndication(widget);
}

KernelStatus Window_RefreshIndication(Widget widget)
{
    if (!Indication().on) {
        return kStatusOk;
    }
    Window_HideIndication(widget);
    return Window_ShowIndication(widget, Select_GetCurrent());
}

KernelStatus Window_RefreshIndicationFor(ObjectHandle object)
{
    bool selected = false;
    switch (Select_GetMode()) {
    case kSelectObject:
        selected = Select_GetObject() == object;
        break;
    case kSelectGroup:
        selected = Group_Contains(Select_GetGroup(), object) != 0;
        break;
    default:
        break;
    }
    if (selected) {
        return Window_RefreshIndication(Window_OfPage(Comm_GetCurrentPage()));
    }
    return kStatusOk;
}

uint32_t Window_IndicationOn()
{
    return Indication().on ? 1 : 0;
}

KernelStatus Window_ShowObjectHandles(Widget widget, ObjectHandle object)
{
    if (widget == nullptr) {
        return kStatusBadArgument;
    }
    HandleAdder adder(widget, object);
    bool made = true;
    if (Model_IsConnector(object)) {
        made = AddConnectorHandles(adder, object);
    } else if (Model_IsNode(object) || Model_IsRegion(object)) {
        uint32_t shape = Model_GetFieldValue(object, Field::kShapeKind);
        if ((shape == 5 || shape == 6) && Comm_VertexHandleMode()) {
            made = AddPolygonHandles(adder, object);
        } else if (shape == 13) {
            made = AddLineHandles(adder, object);
        } else {
            made = AddBoxHandles(adder, object);
        }
    } else {
        return kStatusBadArgument;
    }
    return made ? kStatusOk : kStatusOutOfMemory;
}

KernelStatus Window_ShowGroupOutlines(Widget widget, GroupNumber group)
{
    IndicationState& s = Indication();
    GroupNumber fresh = Group_Duplicate(group);
    if (fresh == 0) {
        return kStatusBadArgument;
    }
    if (s.indicated != 0 && Group_Count(s.indicated) > 0) {
        GroupNumber gone = Group_Duplicate(s.indicated);
        if (gone != 0) {
            Group_Subtract(gone, group);
            Cache_ClearGroupHandles(widget, gone);
            Group_Free(gone);
        }
        Group_Subtract(fresh, s.indicated);
    }
    FixPoint two;
    Window_PixelSizeToPage(widget, 2, 2, &two);
    FixPoint margin{Fix_Add(two.x, two.x / 2), Fix_Add(two.y, two.y / 2)};
    for (uint16_t i = 0; i < Group_Count(fresh); ++i) {
        AddOutline(widget, Group_Member(fresh, i), margin);
    }
    Group_Free(fresh);
    return kStatusOk;
}

KernelStatus Window_ShowExtentOutline(Widget widget, ObjectHandle object)
{
    FixRect extent;
    KernelStatus status = Model_GetExtent(object, &extent);
    if (status != kStatusOk) {
        return status;
    }
    MemHandle item = TypedItem_NewFilledRect(Grown(extent, kExtentMargin, kExtentMargin));
    if (item == 0) {
        return kStatusOutOfMemory;
    }
    return Cache_AddDrawable(widget, kCacheHandles, item, 1);
}

KernelStatus Window_Hide(Widget, ObjectHandle object)
{
    IndicationState& s = Indication();
    if (s.hidden == 0) {
        s.hidden = Group_New();
        if (s.hidden == 0) {
            return kStatusOutOfMemory;
        }
    }
    KernelStatus status = Group_Contains(s.hidden, object) ? kStatusOk : Group_Add(s.hidden, object);
    Window_DrawObjectNow(object, nullptr);
    return status;
}

KernelStatus Window_HideTree(Widget widget, ObjectHandle root)
{
    HideState state;
    if (Model_WalkTree(1, root, kMaskAll, CollectHideable, &state) != kStatusOk) {
        return kStatusFailed;
    }
    for (ObjectHandle object : state.objects) {
        Window_Hide(widget, object);
    }
    return kStatusOk;
}

uint32_t Window_IsHidden(ObjectHandle object)
{
    GroupNumber hidden = Indication().hidden;
    return hidden != 0 && Group_Contains(hidden, object) ? 1 : 0;
}

KernelStatus Window_UnhideAll()
{
    IndicationState& s = Indication();
    if (s.hidden == 0) {
        return kStatusOk;
    }
    std::vector<ObjectHandle> former;
    for (uint16_t i = 0; i < Group_Count(s.hidden); ++i) {
        former.push_back(Group_Member(s.hidden, i));
    }
    Group_Free(s.hidden);
    s.hidden = 0;
    for (ObjectHandle object : former) {
        Window_DrawObjectNow(object, nullptr);
    }
    return kStatusOk;
}
