// Coarsening a group of nodes into a coarse node with a subpage, refining it
// back, and the border nodes and hidden partner connectors that keep the
// crossing connectors of both pages linked.
#include <vector>

#include "xkv/core/CoreInternal.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"

using namespace core;

namespace {

constexpr Fixed kBorderNodeSize = 0x60000;

ObjectHandle StartObjectOf(ObjectHandle c)
{
    return Model_GetFieldValue(c, Field::kStartObject);
}

ObjectHandle EndObjectOf(ObjectHandle c)
{
    return Model_GetFieldValue(c, Field::kEndObject);
}

// One coordinate of a border node: the subpage's extent stands for the
// coarse node's, in pixel units (0x8000).
Fixed PlaceOnAxis(Fixed pagePosition, Fixed pageSize, Fixed nodeSize, Fixed t)
{
    int64_t n = nodeSize >> 15;
    if (n <= 0 || nodeSize == 0) {
        return pagePosition;  // a node below one pixel has no inside to map
    }
    int64_t q = int64_t{pageSize} / nodeSize;
    int64_t r = (int64_t{pageSize} >> 15) % n;
    return Fix_Saturate(int64_t{pagePosition} + q * t + (int64_t{t} * r) / n);
}

KernelStatus MakeBorderNode(ObjectHandle connector, ObjectHandle coarse, ObjectHandle outside, ObjectHandle* out)
{
    *out = 0;
    ObjectHandle subpage = Model_GetFieldValue(coarse, Field::kSubpage);
    if (!Model_IsPage(subpage)) {
        return kStatusNotAPage;
    }
    FixPoint start{};
    FixPoint end{};
    Model_GetConnectorEndPoints(connector, &start, &end);
    bool atStart = Model_GetFieldValue(connector, Field::kStartBase) == coarse;
    FixPoint meet = atStart ? start : end;
    FixPoint n = Position(coarse);
    Fixed tx = Fix_Sub(meet.x, n.x);
    Fixed ty = Fix_Sub(meet.y, n.y);
    FixPoint s = Position(subpage);
    FixPoint at{PlaceOnAxis(s.x, Width(subpage), Width(coarse), tx),
                PlaceOnAxis(s.y, Height(subpage), Height(coarse), ty)};
    FixRect box;
    Geom_RectFromCenter(&box, at, kBorderNodeSize, kBorderNodeSize);
    ObjectHandle border = 0;
    KernelStatus status = Core_AddNode(subpage, box, 1, 0, &border);
    if (border == 0) {
        return status;
    }
    Model_SetFieldValue(border, Field::kPattern, 1);
    Model_SetFieldValue(border, Field::kBorderMark, outside);
    *out = border;
    return kStatusOk;
}

struct MergedDirection {
    uint32_t direction = 0;
    bool outsideIsStart = false;
};

MergedDirection MergeDirections(const ConnectorSets& sets, ObjectHandle outside)
{
    MergedDirection merged;
    bool first = true;
    for (uint32_t i = 0; i < List_Count(&sets.entries); ++i) {
        ConnectorSetEntry entry = Core_SetEntry(sets, i);
        if (entry.outerEnd != outside) {
            continue;
        }
        uint32_t d = Model_GetFieldValue(entry.connector, Field::kDirection);
        bool isStart = Model_GetFieldValue(entry.connector, Field::kStartBase) == outside;
        if (first || merged.direction == 0) {
            merged = {d, isStart};
            first = false;
        } else if (merged.direction == 1) {
            if ((d == 1 && isStart != merged.outsideIsStart) || d == 3) {
                merged.direction = 3;
            }
        } else if (merged.direction == 3) {
            merged.outsideIsStart = isStart;
        }
    }
    return merged;
}

// The attached object at the inside end of an entry's connector.
ObjectHandle InsideObject(const ConnectorSetEntry& entry)
{
    bool outsideIsStart = Model_GetFieldValue(entry.connector, Field::kStartBase) == entry.outerEnd &&
                          Model_GetFieldValue(entry.connector, Field::kEndBase) != entry.outerEnd;
    return outsideIsStart ? EndObjectOf(entry.connector) : StartObjectOf(entry.connector);
}

KernelStatus CopyOntoSubpage(const ConnectorSetEntry& entry, ObjectHandle border, ObjectHandle subpage,
                             bool outsideIsStart, bool hide)
{
    ObjectHandle copy = 0;
    KernelStatus status = Model_CloneObject(entry.connector, &copy);
    if (status != kStatusOk) {
        return status;
    }
    Model_MoveToPage(copy, subpage);
    Model_SetFieldValue(copy, kFieldConnectorSubpage, 0);
    ObjectHandle inside = InsideObject(entry);
    if (outsideIsStart) {
        Model_SetConnectorEnds(copy, border, inside);
    } else {
        Model_SetConnectorEnds(copy, inside, border);
    }
    Model_SetFieldValue(copy, Field::kConnectorBorderMark, hide ? entry.connector : 0);
    RebuildRequest request;
    request.kind = kRebuildNew;
    return Core_RebuildObject(copy, &request);
}

void MoveToSubpage(GroupNumber group, ObjectHandle subpage)
{
    for (ObjectHandle object : Members(group)) {
        Core_RedrawObject(object);
        Model_MoveToPage(object, subpage);
        Core_RedrawObject(object);
    }
}

struct PreparedLock {
    explicit PreparedLock(MemHandle handle) : lock(handle) {}
    BlockLock<ConnectorSets> lock;
    bool ok() const { return lock && lock.size() >= sizeof(ConnectorSets); }
};

}  // namespace

MemHandle Core_PrepareCoarsen(ObjectHandle node, GroupNumber group)
{
    ScopedGroup copy(Group_Duplicate(group));
    if (!copy) {
        return 0;
    }
    if (node != 0) {
        Group_Remove(copy.get(), node);
    }
    MemHandle block = 0;
    ConnectorSets* sets = nullptr;
    if (Mem_AllocLocked(&block, reinterpret_cast<void**>(&sets), sizeof(ConnectorSets)) != kStatusOk) {
        return 0;
    }
    *sets = ConnectorSets{};
    sets->flags = kSetAll;
    Core_ClassifyConnectors(copy.get(), sets);
    Mem_Unlock(block);
    return block;
}

void Core_EndCoarsen(MemHandle prepared)
{
    {
        PreparedLock sets(prepared);
        if (sets.ok()) {
            Core_FreeConnectorSets(sets.lock.get());
        }
    }
    if (prepared != 0) {
        Mem_Free(prepared);
    }
}

KernelStatus Core_MakeCoarseNode(GroupNumber group, ObjectHandle node, MemHandle prepared, ObjectHandle* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    if (Model_IsCoarseNode(node)) {
        return 4;
    }
    if (Model_IsAttachedNode(node)) {
        return 3;
    }
    if (!Model_IsNode(node) || Model_IsBorderNode(node)) {
        return kStatusBadArgument;
    }
    PreparedLock sets(prepared);
    if (!sets.ok()) {
        return kStatusNullHandle;
    }
    const ConnectorSets& prep = *sets.lock.get();
    CoarsenOptions options = ReadCoarsenOptions();
    ObjectHandle subpage = 0;
    KernelStatus status = Core_AddPage(&subpage);
    if (subpage == 0) {
        return status != kStatusOk ? status : kStatusFailed;
    }
    Model_SetFieldValue(node, Field::kSubpage, subpage);
    Model_SetFieldValue(subpage, Field::kRefinedNode, node);
    Group_Remove(group, node);
    MoveToSubpage(group, subpage);
    MoveToSubpage(prep.inner, subpage);
    MoveToSubpage(prep.oneEndFlagged, subpage);

    ObjectHandle page = Model_GetPage(node);
    {
        ScopedGroup alone(GroupOf(node));
        ScopedSets own(kSetOneEnd | kSetEntries);
        if (alone && Core_ClassifyConnectors(alone.get(), own.get()) == kStatusOk && options.makeBorderNodes) {
            for (uint32_t i = 0; i < List_Count(&own->entries); ++i) {
                ConnectorSetEntry entry = Core_SetEntry(*own.get(), i);
                ObjectHandle border = 0;
                if (MakeBorderNode(entry.connector, node, entry.outerEnd, &border) == kStatusOk) {
                    Model_SetFieldValue(border, kFieldBorderPartner, entry.connector);
                }
            }
        }
    }
    for (ObjectHandle outside : Members(prep.outer)) {
        MergedDirection merged = MergeDirections(prep, outside);
        ObjectHandle connector = 0;
        if (Core_AddConnector(page, merged.outsideIsStart ? outside : node, merged.outsideIsStart ? node : outside,
                              0, &connector, 0) != kStatusOk) {
            continue;
        }
        Model_SetFieldValue(connector, kFieldConnectorSubpage, subpage);
        Model_SetFieldValue(connector, Field::kDirection, merged.direction);
        RebuildRequest request;
        request.kind = kRebuildAttributes;
        Core_RebuildObject(connector, &request);
        if (!options.makeBorderNodes) {
            continue;
        }
        ObjectHandle border = 0;
        if (MakeBorderNode(connector, node, outside, &border) != kStatusOk) {
            continue;
        }
        Model_SetFieldValue(border, kFieldBorderPartner, connector);
        for (uint32_t i = 0; i < List_Count(&prep.entries); ++i) {
            ConnectorSetEntry entry = Core_SetEntry(prep, i);
            if (entry.outerEnd != outside) {
                continue;
            }
            bool outsideIsStart = Model_GetFieldValue(entry.connector, Field::kStartBase) == outside;
            CopyOntoSubpage(entry, border, subpage, outsideIsStart, options.hideConnectors);
        }
    }
    for (ObjectHandle connector : Members(prep.oneEnd)) {
        if (options.hideConnectors) {
            Core_RedrawObject(connector);
            Model_SetFlags(connector, kHiddenFlags, 1);
        } else {
            Core_DeleteObject(connector, 0);
        }
    }
    *out = subpage;
    return kStatusOk;
}

KernelStatus Core_LinkConnectorToCoarseNode(ObjectHandle a, ObjectHandle b, ObjectHandle connector)
{
    ObjectHandle coarse = Model_GetBaseObject(a);
    if (!Model_IsCoarseNode(coarse) || !ReadCoarsenOptions().makeBorderNodes) {
        return kStatusOk;
    }
    ObjectHandle border = 0;
    KernelStatus status = MakeBorderNode(connector, coarse, Model_GetBaseObject(b), &border);
    if (status == kStatusOk) {
        Model_SetFieldValue(border, kFieldBorderPartner, connector);
    }
    return status;
}

KernelStatus Core_LinkConnectorToBorderNode(ObjectHandle a, ObjectHandle b, ObjectHandle connector)
{
    CoarsenOptions options = ReadCoarsenOptions();
    if (!options.hideConnectors || !options.makeBorderNodes) {
        return kStatusOk;
    }
    bool aBorder = Model_IsBorderNode(Model_GetBaseObject(a)) != 0;
    bool bBorder = Model_IsBorderNode(Model_GetBaseObject(b)) != 0;
    if (aBorder == bBorder) {
        return kStatusOk;
    }
    ObjectHandle start = aBorder ? Model_GetFieldValue(Model_GetBaseObject(a), Field::kBorderMark) : a;
    ObjectHandle end = bBorder ? Model_GetFieldValue(Model_GetBaseObject(b), Field::kBorderMark) : b;
    ObjectHandle outside = aBorder ? start : end;
    ObjectHandle page = Model_GetPage(outside);
    if (!Model_IsObject(start) || !Model_IsObject(end) || !Model_IsPage(page)) {
        return kStatusBadArgument;
    }
    ObjectHandle clone = 0;
    KernelStatus status = Model_CloneObject(connector, &clone);
    if (status != kStatusOk) {
        return status;
    }
    Model_Unlink(clone);
    status = Model_AppendChild(Model_GetConnectorList(page), clone);
    if (status == kStatusOk) {
        Model_SetConnectorEnds(clone, start, end);
        Model_SetFlags(clone, kHiddenFlags, 1);
        Model_SetFieldValue(connector, Field::kConnectorBorderMark, clone);
    } else {
        Model_AppendChild(Model_GetConnectorList(page), clone);
        Core_DeleteObject(clone, kDeleteKeepLinks);
    }
    return status;
}

KernelStatus Core_RefineNode(ObjectHandle node)
{
    if (!Model_IsCoarseNode(node)) {
        return kStatusFailed;
    }
    ObjectHandle subpage = Model_GetFieldValue(node, Field::kSubpage);
    ObjectHandle page = Model_GetPage(node);
    if (!Model_IsPage(subpage)) {
        return kStatusFailed;
    }
    ScopedGroup nodes;
    ScopedGroup connectors;
    if (Core_NodesOfPage(subpage, nodes.out()) != kStatusOk ||
        Core_ConnectorsOfPage(subpage, connectors.out()) != kStatusOk) {
        return kStatusBadGroup;
    }
    std::vector<ObjectHandle> borders;
    for (ObjectHandle n : Members(nodes.get())) {
        if (Model_IsBorderNode(n)) {
            if (Model_GetPage(Model_GetFieldValue(n, Field::kBorderMark)) != page) {
                return kStatusBorderElsewhere;
            }
            borders.push_back(n);
        }
    }
    for (ObjectHandle c : Members(connectors.get())) {
        if (Model_GetFieldValue(c, Field::kConnectorBorderMark) != 0 && Model_HasFlags(c, kConnectorContinues)) {
            return kStatusPartnerOnSubpage;
        }
    }
    if (!HookAllows(51, node)) {
        return kStatusRefusedByHook;
    }
    for (ObjectHandle border : borders) {
        ScopedGroup own;
        if (Core_ConnectorsOfObject(border, own.out()) == kStatusOk) {
            for (ObjectHandle c : Members(own.get())) {
                ObjectHandle partner = Model_GetFieldValue(c, Field::kConnectorBorderMark);
                if (!Model_IsConnector(partner)) {
                    continue;
                }
                Model_SetFlags(partner, kHiddenFlags, 0);
                RebuildRequest request;
                request.kind = kRebuildFull;
                Core_RebuildObject(partner, &request);
                Core_RedrawObject(partner);
            }
        }
        Model_SetFieldValue(border, kFieldBorderPartner, 0);
        Core_DeleteObject(border, kDeleteKeepBorderPartner | kDeleteKeepPartnerConnector);
    }
    {
        ScopedGroup alone(GroupOf(node));
        ScopedSets sets(kSetOneEnd);
        if (alone && Core_ClassifyConnectors(alone.get(), sets.get()) == kStatusOk) {
            for (ObjectHandle c : Members(sets->oneEnd)) {
                if (Model_GetFieldValue(c, kFieldConnectorSubpage) != 0) {
                    Core_DeleteObject(c, 0);
                }
            }
        }
    }
    ScopedGroup remaining;
    if (Core_NodesOfPage(subpage, remaining.out()) == kStatusOk) {
        ScopedSets sets(kSetInner | kSetOneEndFlagged);
        if (Core_ClassifyConnectors(remaining.get(), sets.get()) == kStatusOk) {
            MoveToSubpage(sets->inner, page);
            MoveToSubpage(sets->oneEndFlagged, page);
        }
        MoveToSubpage(remaining.get(), page);
    }
    Model_SetFieldValue(node, Field::kSubpage, 0);
    Core_RedrawObject(node);
    Core_ClosePage(subpage, 0);
    return Core_DeleteObject(subpage, 0);
}
