// Regions: making a node or region a region of another object and giving it
// back as a free node, with the connectors' base objects and the border
// nodes of coarse nodes following the change.
#include <vector>

#include "xkv/core/CoreInternal.h"
#include "xkv/model/BlockLock.h"

using namespace core;

namespace {

bool LiesBeneath(ObjectHandle object, ObjectHandle ancestor)
{
    return object == ancestor || Model_IsDescendantOf(object, ancestor);
}

// Border nodes on coarse nodes' subpages that stood for B now stand for P.
void RedirectBorderNodes(ObjectHandle object, GroupNumber touching, ObjectHandle b, ObjectHandle p)
{
    for (ObjectHandle connector : Members(touching)) {
        ObjectHandle other = Model_OtherEnd(connector, b);
        if (!Model_IsCoarseNode(other)) {
            continue;
        }
        ObjectHandle subpage = Model_GetFieldValue(other, Field::kSubpage);
        uint32_t guard = Model_SlotCount();
        for (ObjectHandle n = Model_GetFirstNode(subpage); n != 0 && guard-- > 0; n = Model_GetNextSibling(n)) {
            if (!Model_IsBorderNode(n) || Model_GetFieldValue(n, Field::kBorderMark) != b) {
                continue;
            }
            if (!Model_IsNode(object) && Model_GetFieldValue(n, kFieldBorderPartner) != connector) {
                continue;
            }
            Model_SetFieldValue(n, Field::kBorderMark, p);
            ScopedGroup own;
            if (Core_ConnectorsOfObject(n, own.out()) != kStatusOk) {
                continue;
            }
            for (ObjectHandle c : Members(own.get())) {
                ObjectHandle partner = Model_GetFieldValue(c, Field::kConnectorBorderMark);
                if (!Model_IsConnector(partner)) {
                    continue;
                }
                if (Model_GetFieldValue(partner, Field::kStartBase) == b) {
                    Model_SetFieldValue(partner, Field::kStartBase, p);
                    Model_SetFieldValue(partner, Field::kStartObject, p);
                }
                if (Model_GetFieldValue(partner, Field::kEndBase) == b) {
                    Model_SetFieldValue(partner, Field::kEndBase, p);
                    Model_SetFieldValue(partner, Field::kEndObject, p);
                }
            }
        }
    }
}

void RebaseEnds(GroupNumber touching, ObjectHandle object, ObjectHandle b, ObjectHandle p)
{
    for (ObjectHandle connector : Members(touching)) {
        if (Model_GetFieldValue(connector, Field::kStartBase) == b &&
            LiesBeneath(Model_GetFieldValue(connector, Field::kStartObject), object)) {
            Model_SetFieldValue(connector, Field::kStartBase, p);
        }
        if (Model_GetFieldValue(connector, Field::kEndBase) == b &&
            LiesBeneath(Model_GetFieldValue(connector, Field::kEndObject), object)) {
            Model_SetFieldValue(connector, Field::kEndBase, p);
        }
    }
}

struct Touching {
    ScopedGroup connectors;
    HandleList entries{};
    ~Touching() { List_DestroyFree(&entries); }
};

ConnectorSetEntry EntryAt(const HandleList& list, uint32_t i)
{
    ConnectorSetEntry entry{};
    BlockLock<ConnectorSetEntry> locked(List_Member(&list, i));
    if (locked && locked.size() >= sizeof(entry)) {
        entry = *locked;
    }
    return entry;
}

}  // namespace

KernelStatus Core_RegionToNode(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return kStatusBadObjectHandle;
    }
    Model_SetFieldValue(object, Field::kType, kTypeNode);
    Model_SetFieldValue(object, Field::kSubpage, 0);
    Model_SetFlags(object, kFlagAttached, 0);
    Model_SetFieldValue(object, Field::kBorderMark, 0);
    Model_SetShapeBit(object, Model_GetKind(object));
    return kStatusOk;
}

GroupNumber Core_ConnectorsTouching(GroupNumber group, HandleList* entries)
{
    uint8_t flags = kSetInner | kSetOneEnd | kSetOneEndFlagged;
    if (entries != nullptr) {
        flags |= kSetEntries;
        *entries = HandleList{};
    }
    ScopedSets sets(flags);
    if (Core_ClassifyConnectors(group, sets.get()) != kStatusOk) {
        return 0;
    }
    ScopedGroup result(Group_New());
    if (!result) {
        return 0;
    }
    for (GroupNumber part : {sets->inner, sets->oneEnd, sets->oneEndFlagged}) {
        Group_Union(result.get(), part);
    }
    if (entries != nullptr) {
        *entries = sets->entries;
        sets->entries = HandleList{};
    }
    return result.release();
}

KernelStatus Core_ConnectorsOfObject(ObjectHandle object, GroupNumber* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    ScopedGroup group(GroupOf(object));
    ScopedSets sets(kSetInner | kSetOneEnd);
    if (!group || Core_ClassifyConnectors(group.get(), sets.get()) != kStatusOk) {
        return kStatusBadGroup;
    }
    ScopedGroup result(Group_New());
    if (!result) {
        return kStatusBadGroup;
    }
    Group_Union(result.get(), sets->oneEnd);
    Group_Union(result.get(), sets->inner);
    *out = result.release();
    return kStatusOk;
}

KernelStatus Core_MakeRegion(ObjectHandle object, ObjectHandle owner)
{
    if (!Model_IsObject(object) || !Model_IsObject(owner) || !(Model_IsNode(object) || Model_IsRegion(object))) {
        return kStatusRegionRefused;
    }
    if (object == owner) {
        return kStatusRegionRefused;
    }
    if (Model_IsRegion(object) && Model_GetRegionOwner(object) == owner) {
        return kStatusOk;
    }
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle o = owner; o != 0 && guard-- > 0; o = Model_GetRegionOwner(o)) {
        if (o == object) {
            return kStatusRegionRefused;
        }
    }
    if (Model_GetFieldValue(object, Field::kSubpage) != 0 || Model_IsBorderNode(object)) {
        return kStatusRegionRefused;
    }
    ScopedGroup alone(GroupOf(object));
    if (!alone) {
        return kStatusNoModelMap;
    }
    Touching touching;
    *touching.connectors.out() = Core_ConnectorsTouching(alone.get(), &touching.entries);
    if (!touching.connectors) {
        return kStatusNoModelMap;
    }
    ObjectHandle p = Model_GetBaseObject(owner);
    if (Group_Count(touching.connectors.get()) != 0 && Model_IsConnector(p)) {
        return kStatusRegionRefused;
    }
    // A refusal leaves everything as it was.
    if (!HookAllows(19, object, owner, touching.connectors.get())) {
        return kStatusRefusedByHook;
    }
    ObjectHandle b = Model_GetBaseObject(object);
    if (b != p && Model_IsNode(b) && Model_IsNode(p)) {
        RedirectBorderNodes(object, touching.connectors.get(), b, p);
    }
    if (Model_IsRegion(object)) {
        KernelStatus status = Core_DetachRegion(object, 0);
        if (status != kStatusOk) {
            return status;
        }
        b = object;
    }
    ObjectHandle list = Model_GetRegionList(owner);
    if (list == 0) {
        return kStatusNoModelMap;
    }
    RebaseEnds(touching.connectors.get(), object, b, p);
    Model_RemoveRecent(object);
    Model_SetFieldValue(object, Field::kType, kTypeRegion);
    Model_Unlink(object);
    Model_AppendChild(list, object);
    if (Model_IsCoarseNode(p) && ReadCoarsenOptions().makeBorderNodes) {
        for (uint32_t i = 0; i < List_Count(&touching.entries); ++i) {
            ConnectorSetEntry entry = EntryAt(touching.entries, i);
            Core_LinkConnectorToCoarseNode(p, entry.outerEnd, entry.connector);
        }
    }
    return kStatusOk;
}

KernelStatus Core_MakeRegions(GroupNumber group, ObjectHandle owner)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        Core_MakeRegion(member, owner);
    }
    return kStatusOk;
}

KernelStatus Core_DetachRegion(ObjectHandle region, uint32_t)
{
    if (!Model_IsRegion(region)) {
        return kStatusBadArgument;
    }
    ObjectHandle b = Model_GetBaseObject(region);
    ObjectHandle list = Model_GetNodeList(Model_GetPage(region));
    ObjectHandle owner = Model_GetRegionOwner(region);
    ScopedGroup alone(GroupOf(region));
    if (!alone) {
        return kStatusNoModelMap;
    }
    ScopedGroup touching(Core_ConnectorsTouching(alone.get(), nullptr));
    if (!touching) {
        return kStatusNoModelMap;
    }
    if (!HookAllows(58, region, touching.get())) {
        return kStatusRefusedByHook;
    }
    if (Model_IsCoarseNode(b)) {
        ObjectHandle subpage = Model_GetFieldValue(b, Field::kSubpage);
        for (ObjectHandle connector : Members(touching.get())) {
            uint32_t guard = Model_SlotCount();
            for (ObjectHandle n = Model_GetFirstNode(subpage); n != 0 && guard-- > 0; n = Model_GetNextSibling(n)) {
                if (Model_GetFieldValue(n, kFieldBorderPartner) == connector && Model_IsBorderNode(n)) {
                    Core_DeleteObject(n, kDeleteKeepBorderPartner);
                    break;
                }
            }
        }
    }
    Model_RemoveRecent(region);
    Model_Unlink(region);
    if (list == 0 || Model_AppendChild(list, region) != kStatusOk) {
        Model_AppendChild(Model_GetRegionList(owner), region);
        return kStatusFailed;
    }
    Model_PushRecent(region);
    Core_RegionToNode(region);
    for (ObjectHandle connector : Members(touching.get())) {
        if (Model_GetBaseObject(Model_GetFieldValue(connector, Field::kStartObject)) == region) {
            Model_SetFieldValue(connector, Field::kStartBase, region);
        }
        if (Model_GetBaseObject(Model_GetFieldValue(connector, Field::kEndObject)) == region) {
            Model_SetFieldValue(connector, Field::kEndBase, region);
        }
    }
    return kStatusOk;
}

KernelStatus Core_DetachRegions(ObjectHandle object, uint32_t)
{
    if (Model_IsRegion(object)) {
        return Core_DetachRegion(object, 0);
    }
    if (!Model_IsNode(object)) {
        return kStatusOk;
    }
    std::vector<ObjectHandle> regions;
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle r = Model_GetFirstRegion(object); r != 0 && guard-- > 0; r = Model_GetNextSibling(r)) {
        regions.push_back(r);
    }
    for (ObjectHandle region : regions) {
        Core_DetachRegion(region, 0);
    }
    return kStatusOk;
}

KernelStatus Core_DetachRegionsOfGroup(GroupNumber group)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        Core_DetachRegions(member, 0);
    }
    return kStatusOk;
}
