// QX structure functions: creation, deletion, object lists and queries, and
// the current page, object and group.
#include "xkv/kv/QXStr.h"

#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/comm/CommPageFile.h"
#include "xkv/core/Core.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/types/Fixed.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/ModelMap.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/types/PtArray.h"
#include "xkv/window/Window.h"

namespace {

constexpr HookId kHookCoarsen = 5;
constexpr HookId kHookClose = 63;
constexpr uint32_t kMenuRuleNewDiagram = 9;
constexpr uint32_t kMenuRulePageActivated = 2;
constexpr uint32_t kMenuRuleNoPages = 8;
constexpr uint32_t kElementKinds = 63;
constexpr uint32_t kCoarsenMask = 31;

uint32_t gSelectionFlag = 0;

// A point array freed on leaving scope.
class ScopedPoints {
public:
    ~ScopedPoints()
    {
        if (array_ != 0) {
            PtArray_Free(array_);
        }
    }
    PtArray get() const { return array_; }
    KernelStatus Fill(uint32_t count, const FixPoint* points)
    {
        if (points == nullptr || count == 0 || count > UINT16_MAX) {
            return kStatusBadArgument;
        }
        if (KernelStatus s = PtArray_Create(&array_, static_cast<uint16_t>(count)); s != kStatusOk) {
            return s;
        }
        for (uint32_t i = 0; i < count; ++i) {
            if (KernelStatus s = PtArray_Append(array_, points[i]); s != kStatusOk) {
                return s;
            }
        }
        return kStatusOk;
    }
private:
    PtArray array_ = 0;
};

ObjectHandle Made(KernelStatus status, ObjectHandle object)
{
    if (status != kStatusOk) {
        qx::Fail(status);
        return 0;
    }
    return object;
}

FixPoint PositionOf(ObjectHandle object)
{
    FixPoint p;
    Model_GetField(object, Field::kPosition, &p);
    return p;
}

// A new group of the objects below a list object (node, connector or region list).
GroupNumber ChildrenOf(ObjectHandle list, uint32_t (*keep)(ObjectHandle))
{
    GroupNumber group = Group_New();
    if (group == 0) {
        return 0;
    }
    for (ObjectHandle o = Model_GetFirstChild(list); o != 0; o = Model_GetNextSibling(o)) {
        if ((keep == nullptr || keep(o) != 0) && Group_Add(group, o) != kStatusOk) {
            Group_Free(group);
            return 0;
        }
    }
    return group;
}

uint32_t ListOf(GroupNumber group, uint16_t* count, ObjectHandle** array)
{
    if (group == 0) {
        return qx::Fail(kStatusBadGroup);
    }
    qx::ScopedGroup owned(group);
    return qx::GroupToList(group, count, array);
}

uint32_t ClearList(uint16_t* count, ObjectHandle** array)
{
    if (count != nullptr) {
        *count = 0;
    }
    if (array != nullptr) {
        *array = nullptr;
    }
    return 0;
}

uint32_t IsMarkedBorderNode(ObjectHandle node)
{
    return Model_GetFieldValue(node, Field::kBorderMark) != 0 ? 1 : 0;
}

// The connectors touching the objects, inside the set (both ends) and at its
// rim (one end).
KernelStatus ClassifyOf(GroupNumber group, GroupNumber* inner, GroupNumber* oneEnd)
{
    ConnectorSets sets;
    sets.flags = kSetInner | kSetOneEnd;
    if (Core_ClassifyConnectors(group, &sets) != kStatusOk) {
        Core_FreeConnectorSets(&sets);
        return kStatusBadGroup;
    }
    *inner = Group_Duplicate(sets.inner);
    *oneEnd = Group_Duplicate(sets.oneEnd);
    Core_FreeConnectorSets(&sets);
    if (*inner == 0 || *oneEnd == 0) {
        Group_Free(*inner);
        Group_Free(*oneEnd);
        return kStatusBadGroup;
    }
    return kStatusOk;
}

KernelStatus AddBoth(GroupNumber a, GroupNumber b, ObjectHandle object)
{
    KernelStatus s = Group_Add(a, object);
    return s != kStatusOk ? s : Group_Add(b, object);
}

// Puts the other end of one connector of the node into the incoming or
// outgoing list by the connector's direction.
KernelStatus SortNeighbour(ObjectHandle node, ObjectHandle connector, GroupNumber incoming, GroupNumber outgoing)
{
    const uint32_t direction = Model_GetFieldValue(connector, Field::kDirection);
    const ObjectHandle start = Model_GetFieldValue(connector, Field::kStartBase);
    const ObjectHandle end = Model_GetFieldValue(connector, Field::kEndBase);
    const bool nodeIsStart = start == node;
    const ObjectHandle other = nodeIsStart ? end : start;
    switch (direction) {
    case 1: return Group_Add(nodeIsStart ? outgoing : incoming, other);
    case 2: return Group_Add(nodeIsStart ? incoming : outgoing, other);
    default: return AddBoth(incoming, outgoing, other);
    }
}

uint32_t IsPageArgument(ObjectHandle page)
{
    return Model_IsPage(page) ? 1 : qx::Fail(kStatusInvalidObject);
}

}  // namespace

uint32_t QXStr_SelectionFlag()
{
    return gSelectionFlag;
}

void QXStr_SetSelectionFlag(uint32_t value)
{
    gSelectionFlag = value;
}

// ---- Creation ----

ObjectHandle QXStr_CreateNode(ObjectHandle page, Fixed cx, Fixed cy, Fixed width, Fixed height, int32_t shape)
{
    if (!IsPageArgument(page)) {
        return 0;
    }
    if (width < 0 || height < 0) {
        return qx::Fail(34);
    }
    const int32_t kind = Model_ConvertCode(shape, 0, 1);
    if (kind != 1 && kind != 2 && kind != 7 && kind != 8) {
        return qx::Fail(kStatusNotAWedge);
    }
    const Fixed halfWidth = width / 2;
    const Fixed halfHeight = height / 2;
    // Edges saturate at the coordinate range instead of wrapping around.
    const FixRect box{Fix_Sub(cx, halfWidth), Fix_Sub(cy, halfHeight), Fix_Add(cx, halfWidth), Fix_Add(cy, halfHeight)};
    ObjectHandle node = 0;
    if (KernelStatus s = Core_AddNode(page, box, static_cast<uint32_t>(kind), 0, &node); s != kStatusOk) {
        return qx::Fail(s);
    }
    Model_SetFieldValue(node, Field::kShapeBits, (kind == 1 || kind == 7) ? 1 : 0);
    return node;
}

namespace {

using AddShape = KernelStatus (*)(ObjectHandle, PtArray, ObjectHandle*);

ObjectHandle CreateFromPoints(ObjectHandle page, uint32_t count, const FixPoint* points, AddShape add)
{
    if (!IsPageArgument(page)) {
        return 0;
    }
    ScopedPoints array;
    if (KernelStatus s = array.Fill(count, points); s != kStatusOk) {
        return qx::Fail(s);
    }
    ObjectHandle object = 0;
    // The kernel copies the points; ours go with the scope.
    const KernelStatus s = add(page, array.get(), &object);
    return Made(s, object);
}

}  // namespace

ObjectHandle QXStr_CreatePolygon(ObjectHandle page, uint32_t count, const FixPoint* points)
{
    return CreateFromPoints(page, count, points, Core_AddPolygon);
}

ObjectHandle QXStr_CreateLine(ObjectHandle page, uint32_t count, const FixPoint* points)
{
    return CreateFromPoints(page, count, points, Core_AddLine);
}

ObjectHandle QXStr_CreateLabel(ObjectHandle page, Fixed cx, Fixed cy, Fixed width, Fixed height, const char* text)
{
    if (!IsPageArgument(page)) {
        return 0;
    }
    ObjectHandle label = 0;
    if (Core_AddLabel(page, FixPoint{cx, cy}, &label, 0) != kStatusOk || label == 0) {
        return qx::Fail(kStatusFailed);
    }
    if (width > 0 && height > 0) {
        const FixRect box{cx - width / 2, cy - height / 2, cx + width / 2, cy + height / 2};
        Core_SetObjectRect(label, box, 0);
    }
    if (text != nullptr) {
        QXText_SetText(label, text);
    }
    Core_RedrawObject(label);
    return label;
}

ObjectHandle QXStr_CreateConnector(ObjectHandle page, ObjectHandle from, ObjectHandle to)
{
    if (!Model_IsPage(page) || !Model_MatchesTypeMask(from, kElementKinds) || !Model_MatchesTypeMask(to, kElementKinds)) {
        return qx::Fail(kStatusInvalidObject);
    }
    ScopedPoints path;
    const FixPoint ends[2] = {PositionOf(from), PositionOf(to)};
    if (KernelStatus s = path.Fill(2, ends); s != kStatusOk) {
        return qx::Fail(s);
    }
    ObjectHandle connector = 0;
    const KernelStatus s = Core_AddConnector(page, from, to, path.get(), &connector, 1);
    return Made(s, connector);
}

uint32_t QXStr_MakeRegion(ObjectHandle object, ObjectHandle parent)
{
    return qx::Store(Core_MakeRegion(object, parent));
}

uint32_t QXStr_UnmakeRegion(ObjectHandle region)
{
    return qx::Store(Core_DetachRegion(region, 0));
}

ObjectHandle QXStr_NewPage(int32_t kind, uint32_t openWindow, uint32_t activate, int32_t x, int32_t y, int32_t width,
                           int32_t height)
{
    QXStatus = 0;
    if (kind != 1 && kind != 2) {
        return 0;
    }
    if (!Model_HasDiagram()) {
        if (KernelStatus s = Model_NewDiagram(); s != kStatusOk) {
            return qx::Fail(s);
        }
        Menu_ApplyRule(kMenuRuleNewDiagram, 0);
    }
    ObjectHandle page = 0;
    if (KernelStatus s = Core_AddPage(&page); s != kStatusOk) {
        return qx::Fail(s);
    }
    Model_SetFieldValue(page, Field::kShapeKind, static_cast<uint32_t>(Model_ConvertCode(kind, 0, 1)));
    if (openWindow != 0) {
        const bool placed = x != -1 && y != -1 && width != -1 && height != -1;
        const WindowPlacement rect{x, y, width, height};
        if (KernelStatus s = Window_OpenPage(page, nullptr, placed ? 1 : 0, placed ? &rect : nullptr, 1);
            s != kStatusOk) {
            QXStatus = s;
        }
    }
    if (activate != 0) {
        QXStr_SetCurPage(page);
        Menu_ApplyRule(kMenuRulePageActivated, 0);
    }
    return page;
}

ObjectHandle QXStr_CreatePage(int32_t kind)
{
    return QXStr_NewPage(kind, 1, 1, -1, -1, -1, -1);
}

ObjectHandle QXStr_CreatePageOpt(int32_t kind, uint32_t options)
{
    return QXStr_NewPage(kind, (options & 1) == 0 ? 1 : 0, (options & 0x100) == 0 ? 1 : 0, -1, -1, -1, -1);
}

ObjectHandle QXStr_CloneObject(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    MemHandle map = 0;
    if (KernelStatus s = ModelMap_Create(&map, 20); s != kStatusOk) {
        return qx::Fail(s);
    }
    ObjectHandle clone = 0;
    GroupNumber descendants = 0;
    KernelStatus s = Core_CloneObject(object, &clone, &descendants, map);
    Group_Free(descendants);
    ModelMap_Destroy(map);
    return Made(s, clone);
}

ObjectHandle QXStr_MakeCoarseNode(ObjectHandle page, uint32_t count, const ObjectHandle* objects, ObjectHandle node)
{
    if (!Model_IsPage(page) || !Model_IsNode(node)) {
        return qx::Fail(kStatusInvalidObject);
    }
    qx::ScopedGroup group;
    if (count != 0) {
        *group.out() = qx::MakeGroup(objects, count);
    } else {
        FixRect box;
        Model_GetField(node, Field::kBox, &box);
        *group.out() = Model_CollectInRect(page, &box, 0, kCoarsenMask);
        if (group.get() != 0) {
            Group_Remove(group.get(), node);
        }
    }
    if (group.get() == 0) {
        return qx::Fail(kStatusBadGroup);
    }
    MemHandle prepared = Core_PrepareCoarsen(node, group.get());
    if (prepared == 0) {
        return qx::Fail(kStatusFailed);
    }
    if (Hook_Fire(kHookCoarsen, node, group.get(), prepared) == 0) {
        Core_EndCoarsen(prepared);
        return qx::Fail(kStatusRefusedByHook);
    }
    ObjectHandle subpage = 0;
    KernelStatus s = Core_MakeCoarseNode(group.get(), node, prepared, &subpage);
    Core_EndCoarsen(prepared);
    return Made(s, subpage);
}

uint32_t QXStr_AttachNode(ObjectHandle node, ObjectHandle page, uint32_t)
{
    return qx::Store(Core_AttachNode(node, page));
}

uint32_t QXStr_MoveNodesToPage(const ObjectHandle* objects, uint32_t count, ObjectHandle page)
{
    if (count < 1) {
        return qx::Fail(34);
    }
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusInvalidObject);
    }
    std::vector<ObjectHandle> nodes;
    for (uint32_t i = 0; i < count; ++i) {
        if (Model_IsNode(objects[i])) {
            nodes.push_back(objects[i]);
        }
    }
    qx::ScopedGroup group(qx::MakeGroup(nodes.data(), static_cast<uint32_t>(nodes.size())));
    if (group.get() == 0) {
        return 0;
    }
    return qx::Store(Core_MoveToPage(group.get(), page, 0));
}

// ---- Deletion ----

uint32_t QXStr_DeleteObject(ObjectHandle object)
{
    if (!Model_IsElement(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    if (Model_IsPage(object)) {
        return QXStr_RemovePage(object, 0);
    }
    const ObjectHandle page = Model_GetPage(object);
    Widget window = page == Comm_GetCurrentPage() ? Window_OfPage(page) : nullptr;
    bool reselect = false;
    qx::ScopedGroup kept;
    if (window != nullptr) {
        if (Select_GetMode() == kSelectObject && Select_GetObject() == object) {
            Window_HideIndication(window);
            reselect = true;
        } else if (Select_GetMode() == kSelectGroup) {
            *kept.out() = Group_Duplicate(Select_GetGroup());
            reselect = kept.get() == 0;
        }
    }
    if (!Model_IsLabel(object) && Model_GetFieldValue(object, Field::kText) != 0) {
        QXText_SetText(object, "");
    }
    const uint32_t result = qx::Store(Core_DeleteObject(object, 0));
    if (kept.get() != 0) {
        for (uint16_t i = Group_Count(kept.get()); i-- > 0;) {
            const ObjectHandle member = Group_Member(kept.get(), i);
            if (!Model_IsObject(member)) {
                Group_Remove(kept.get(), member);
            }
        }
        if (Group_Count(kept.get()) == 0) {
            reselect = true;
        } else {
            Select_Group(kept.get(), 0);
        }
    }
    if (reselect && gSelectionFlag == 0 && window != nullptr) {
        Window_RefreshIndication(window);
    }
    return result;
}

uint32_t QXStr_RemovePage(ObjectHandle page, uint32_t withSubpages)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusBadArgument);
    }
    const bool wasCurrent = Comm_GetCurrentPage() == page;
    const KernelStatus status = Core_DeletePage(page, withSubpages);
    if (status != kStatusOk) {
        return qx::Fail(status);
    }
    if (Model_GetFirstPage() == 0) {
        Menu_ApplyRule(kMenuRuleNoPages, 0);
        Select_Clear();
        Model_SetModified(0);
        if (wasCurrent) {
            Comm_SetCurrentPage(0);
        }
    } else if (wasCurrent) {
        ObjectHandle next = Model_GetRecent(Model_GetPageList());
        if (!Model_IsPage(next)) {
            next = Model_GetFirstPage();
        }
        Comm_SetCurrentPage(next);
    }
    return 1;
}

uint32_t QXStr_ClosePage(ObjectHandle page)
{
    return QXWin_ClosePage(page);
}

uint32_t QXStr_ClearDiagram()
{
    if (!Model_HasDiagram()) {
        return qx::Fail(kStatusNoNode);
    }
    if (Hook_IsRegistered(kHookClose) != 0 && Hook_GetHandler(kHookClose)(0, 0, 0, 0, 0, 0) == 0) {
        return qx::Fail(kStatusRefusedByHook);
    }
    if (KernelStatus s = Core_CloseModel(); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

// ---- Queries ----

uint32_t QXStr_GetPageList(uint16_t* count, ObjectHandle** array)
{
    ClearList(count, array);
    return ListOf(ChildrenOf(Model_GetPageList(), nullptr), count, array);
}

uint32_t QXStr_GetNodeList(ObjectHandle page, uint16_t* count, ObjectHandle** array)
{
    ClearList(count, array);
    if (!IsPageArgument(page)) {
        return 0;
    }
    return ListOf(ChildrenOf(Model_GetNodeList(page), nullptr), count, array);
}

uint32_t QXStr_GetPageConnList(ObjectHandle page, uint16_t* count, ObjectHandle** array)
{
    ClearList(count, array);
    if (!IsPageArgument(page)) {
        return 0;
    }
    return ListOf(ChildrenOf(Model_GetConnectorList(page), nullptr), count, array);
}

uint32_t QXStr_GetRegionList(ObjectHandle object, uint16_t* count, ObjectHandle** array)
{
    ClearList(count, array);
    if (!Model_IsElement(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    GroupNumber group = Group_New();
    if (group != 0) {
        for (ObjectHandle r = Model_GetFirstRegion(object); r != 0; r = Model_GetNextSibling(r)) {
            Group_Add(group, r);
        }
    }
    return ListOf(group, count, array);
}

uint32_t QXStr_GetBorderNodeList(ObjectHandle page, uint16_t* count, ObjectHandle** array)
{
    ClearList(count, array);
    if (!IsPageArgument(page)) {
        return 0;
    }
    return ListOf(ChildrenOf(Model_GetNodeList(page), IsMarkedBorderNode), count, array);
}

uint32_t QXStr_GetObjectConnList(ObjectHandle object, uint16_t* count, ObjectHandle** array)
{
    ClearList(count, array);
    if (!Model_IsElement(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    GroupNumber group = 0;
    if (KernelStatus s = Core_ConnectorsOfObject(object, &group); s != kStatusOk) {
        return qx::Fail(s);
    }
    return ListOf(group, count, array);
}

uint32_t QXStr_GetNodeConnLists(ObjectHandle node, uint16_t* count1, ObjectHandle** list1, uint16_t* count2,
                                ObjectHandle** list2)
{
    ClearList(count1, list1);
    ClearList(count2, list2);
    if (!Model_IsNode(node)) {
        return qx::Fail(kStatusInvalidObject);
    }
    GroupNumber connectors = 0;
    if (Core_ConnectorsOfObject(node, &connectors) != kStatusOk) {
        return qx::Fail(kStatusBadGroup);
    }
    qx::ScopedGroup owned(connectors);
    qx::ScopedGroup incoming(Group_New());
    qx::ScopedGroup outgoing(Group_New());
    if (incoming.get() == 0 || outgoing.get() == 0) {
        return qx::Fail(kStatusBadGroup);
    }
    for (uint16_t i = 0; i < Group_Count(connectors); ++i) {
        if (KernelStatus s = SortNeighbour(node, Group_Member(connectors, i), incoming.get(), outgoing.get());
            s != kStatusOk) {
            return qx::Fail(s);
        }
    }
    if (qx::GroupToList(incoming.get(), count1, list1) == 0) {
        return qx::Fail(kStatusNoModelMap);
    }
    if (qx::GroupToList(outgoing.get(), count2, list2) == 0) {
        QXMem_Free(*list1);
        ClearList(count1, list1);
        return qx::Fail(kStatusNoModelMap);
    }
    return 1;
}

uint32_t QXStr_ClassifyConnectors(uint32_t count, const ObjectHandle* objects, uint16_t* innerCount,
                                  ObjectHandle** inner, uint16_t* outerCount, ObjectHandle** outer)
{
    ClearList(innerCount, inner);
    ClearList(outerCount, outer);
    if (count < 1) {
        return qx::Fail(34);
    }
    qx::ScopedGroup group(qx::MakeGroup(objects, count));
    if (group.get() == 0) {
        return 0;
    }
    GroupNumber innerGroup = 0;
    GroupNumber oneEnd = 0;
    if (KernelStatus s = ClassifyOf(group.get(), &innerGroup, &oneEnd); s != kStatusOk) {
        return qx::Fail(s);
    }
    qx::ScopedGroup ownedOneEnd(oneEnd);
    if (ListOf(innerGroup, innerCount, inner) == 0) {
        return 0;
    }
    if (qx::GroupToList(oneEnd, outerCount, outer) == 0) {
        QXMem_Free(*inner);
        ClearList(innerCount, inner);
        return 0;
    }
    return 1;
}

uint32_t QXStr_GetGroupConnList(const ObjectHandle* objects, uint32_t count, ObjectHandle** array,
                                uint16_t* outCount)
{
    ClearList(outCount, array);
    if (count < 1) {
        return qx::Fail(34);
    }
    qx::ScopedGroup group(qx::MakeGroup(objects, count));
    if (group.get() == 0) {
        return 0;
    }
    GroupNumber inner = 0;
    GroupNumber oneEnd = 0;
    if (KernelStatus s = ClassifyOf(group.get(), &inner, &oneEnd); s != kStatusOk) {
        return qx::Fail(s);
    }
    qx::ScopedGroup ownedOneEnd(oneEnd);
    Group_Union(inner, oneEnd);
    return ListOf(inner, outCount, array);
}

ObjectHandle QXStr_GetObjectPage(ObjectHandle object)
{
    if (!Model_IsElement(object) || Model_IsPage(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    return Model_GetParent(Model_GetParent(object));
}

ObjectHandle QXStr_GetBaseObject(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    return Model_GetBaseObject(object);
}

uint32_t QXStr_GetConnOtherEnd(ObjectHandle node, ObjectHandle connector, ObjectHandle* other, uint32_t* direction)
{
    if (!Model_IsConnector(connector) || !Model_IsElement(node) || other == nullptr || direction == nullptr) {
        return qx::Fail(kStatusInvalidObject);
    }
    const ObjectHandle base = Model_GetBaseObject(node);
    const ObjectHandle start = Model_GetFieldValue(connector, Field::kStartBase);
    const ObjectHandle end = Model_GetFieldValue(connector, Field::kEndBase);
    if (base != start && base != end) {
        return qx::Fail(kStatusInvalidObject);
    }
    const bool fromStart = base == start;
    *other = fromStart ? end : start;
    switch (Model_GetFieldValue(connector, Field::kDirection)) {
    case 0: *direction = 0; break;
    case 3: *direction = 3; break;
    case 1: *direction = fromStart ? 1 : 2; break;
    case 2: *direction = fromStart ? 2 : 1; break;
    default: *direction = 0; break;
    }
    return 1;
}

uint32_t QXStr_IsObject(ObjectHandle object)
{
    return Model_IsObject(object) ? 1 : 0;
}

uint32_t QXStr_HasDiagram()
{
    return Model_HasDiagram() && Model_GetFirstPage() != 0 ? 1 : 0;
}

uint32_t QXStr_IsModified()
{
    return Model_IsModified();
}

void QXStr_SetModified(uint32_t flag)
{
    Model_SetModified(flag != 0 ? 1 : 0);
}

uint32_t QXStr_IsPageOpen(ObjectHandle page, uint32_t* open)
{
    if (!IsPageArgument(page) || open == nullptr) {
        return qx::Fail(kStatusInvalidObject);
    }
    *open = Window_OfPage(page) != nullptr ? 1 : 0;
    return 1;
}

ObjectHandle QXStr_GetPageListHandle()
{
    return Model_GetPageList();
}

ObjectHandle QXStr_MapHandle(MemHandle map, ObjectHandle old)
{
    return ModelMap_Lookup(map, old);
}

uint32_t QXStr_IsCrossPageConn(ObjectHandle connector)
{
    if (!Model_IsConnector(connector)) {
        return 0;
    }
    ObjectHandle start = 0;
    ObjectHandle end = 0;
    Model_GetConnectorEnds(connector, &start, &end, 0);
    return Model_GetPage(start) != Model_GetPage(end) && Model_HasFlags(connector, kConnectorContinues) ? 1 : 0;
}

namespace {

uint32_t Zoom(ObjectHandle page, Fixed factor)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusNotAPage);
    }
    return qx::Store(Comm_ZoomPage(page, factor));
}

}  // namespace

uint32_t QXStr_ZoomIn(ObjectHandle page)
{
    return Zoom(page, 0x20000);
}

uint32_t QXStr_ZoomOut(ObjectHandle page)
{
    return Zoom(page, 0x8000);
}

// ---- Current page, object and group ----

ObjectHandle QXStr_GetCurPage()
{
    return Comm_GetCurrentPage();
}

uint32_t QXStr_SetCurPage(ObjectHandle page)
{
    if (!IsPageArgument(page)) {
        return 0;
    }
    Comm_SetCurrentPage(page);
    return Comm_GetCurrentPage() == page ? 1 : qx::Fail(kStatusRefusedByHook);
}

uint32_t QXStr_ActivatePage(ObjectHandle page)
{
    if (!QXStr_SetCurPage(page)) {
        return 0;
    }
    Window_RedrawPage(page, 0);
    return 1;
}

ObjectHandle QXStr_GetCurObject()
{
    return Select_GetMode() == kSelectObject ? Select_GetObject() : 0;
}

uint32_t QXStr_SetCurObject(ObjectHandle object)
{
    if (object == 0 && gSelectionFlag == 1) {
        return Select_Clear();
    }
    if (!Model_IsElement(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    const ObjectHandle page = Model_GetPage(object);
    if (page != Comm_GetCurrentPage() && !QXStr_SetCurPage(page)) {
        return 0;
    }
    const KernelStatus s = Select_Object(object, 1);
    return s == kStatusOk ? 1 : qx::Fail(s);
}

uint32_t QXStr_GetCurGroup(uint16_t* count, ObjectHandle** array)
{
    ClearList(count, array);
    if (Select_GetMode() != kSelectGroup) {
        return 0;
    }
    return qx::GroupToList(Select_GetGroup(), count, array);
}

uint32_t QXStr_SetCurGroup(uint32_t count, const ObjectHandle* objects)
{
    if (count < 1 || objects == nullptr) {
        return qx::Fail(34);
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (!Model_IsObject(objects[i])) {
            return qx::Fail(kStatusInvalidObject);
        }
    }
    qx::ScopedGroup group(qx::MakeGroup(objects, count));
    if (group.get() == 0) {
        return 0;
    }
    return qx::Store(Select_Group(group.get(), 1));
}

void QXStr_NoOpA() {}
void QXStr_NoOpB() {}
