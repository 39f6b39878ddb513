// The copy bucket (a hidden page that serves as clipboard), cloning objects
// with their subtrees and rewriting references through a model map, copy,
// paste, paste of a connector, duplication in place and palette copies.
#include <vector>

#include "xkv/core/CoreInternal.h"
#include "xkv/model/ModelMap.h"
#include "xkv/text/TextObject.h"
#include "xkv/types/Fixed.h"

using namespace core;

namespace {

constexpr Fixed kPasteOffset = 5 * kFixedOne;
constexpr Fixed kDuplicateOffset = 8 * kFixedOne;
constexpr uint32_t kRecentSlots = 8;

struct Bucket {
    ObjectHandle holder = 0;
    ObjectHandle page = 0;
    uint32_t holderSerial = 0;
    uint32_t pageSerial = 0;
};

Bucket gBucket;

bool BucketValid()
{
    return gBucket.page != 0 && Model_GetSerial(gBucket.page) == gBucket.pageSerial &&
           Model_GetSerial(gBucket.holder) == gBucket.holderSerial &&
           Model_GetParent(gBucket.holder) == Model_GetRoot() && Model_GetRoot() != 0;
}

void ClearPageContents(ObjectHandle page)
{
    for (ObjectHandle list : {Model_GetNodeList(page), Model_GetConnectorList(page)}) {
        std::vector<ObjectHandle> children;
        uint32_t guard = Model_SlotCount();
        for (ObjectHandle c = Model_GetFirstChild(list); c != 0 && guard-- > 0; c = Model_GetNextSibling(c)) {
            children.push_back(c);
        }
        for (ObjectHandle child : children) {
            Model_DestroyTree(child);
        }
    }
}

ObjectHandle CreateBucket()
{
    ObjectHandle root = Model_GetRoot();
    if (root == 0) {
        return 0;
    }
    ObjectHandle holder = Model_NewObject(kTypeCopyBucket);
    if (holder == 0) {
        return 0;
    }
    // The holder names the root as parent without being one of its children.
    Model_SetFieldValue(holder, Field::kParent, root);
    ObjectHandle page = Model_NewObject(kTypePage);
    if (page == 0 || Model_AddPageParts(page) != kStatusOk || Model_AppendChild(holder, page) != kStatusOk) {
        if (page != 0) {
            Model_AppendChild(holder, page);
        }
        Model_DestroyTree(holder);
        return 0;
    }
    Model_SetFieldValue(page, Field::kShapeKind, 1);
    gBucket = {holder, page, Model_GetSerial(holder), Model_GetSerial(page)};
    return page;
}

ObjectHandle MapValue(MemHandle map, ObjectHandle value)
{
    if (value == 0 || value == Model_GetRoot()) {
        return value;
    }
    return ModelMap_Lookup(map, value);
}

void RemapField(ObjectHandle copy, FieldId field, MemHandle map)
{
    Model_SetFieldValue(copy, field, MapValue(map, Model_GetFieldValue(copy, field)));
}

void RemapRecent(ObjectHandle list, MemHandle map)
{
    ObjectHandle recent[kRecentSlots] = {};
    if (Model_GetField(list, Field::kRecent, recent) != kStatusOk) {
        return;
    }
    ObjectHandle mapped[kRecentSlots] = {};
    uint32_t used = 0;
    for (ObjectHandle object : recent) {
        ObjectHandle value = object != 0 ? MapValue(map, object) : 0;
        if (value != 0) {
            mapped[used++] = value;
        }
    }
    Model_SetField(list, Field::kRecent, mapped);
}

KernelStatus RemapGroup(GroupNumber group, MemHandle map)
{
    for (ObjectHandle copy : Members(group)) {
        Core_RemapReferences(copy, map);
    }
    return kStatusOk;
}

KernelStatus CloneChildren(ObjectHandle source, ObjectHandle copy, GroupNumber descendants, MemHandle map)
{
    std::vector<ObjectHandle> children;
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle c = Model_GetFirstChild(source); c != 0 && guard-- > 0; c = Model_GetNextSibling(c)) {
        children.push_back(c);
    }
    for (ObjectHandle child : children) {
        ObjectHandle childCopy = 0;
        KernelStatus status = Model_CloneObject(child, &childCopy);
        if (status != kStatusOk) {
            return status;
        }
        Model_Unlink(childCopy);
        Model_AppendChild(copy, childCopy);
        status = ModelMap_Add(map, child, childCopy);
        if (status == kStatusOk) {
            status = Group_Add(descendants, childCopy);
        }
        if (status == kStatusOk) {
            status = CloneChildren(child, childCopy, descendants, map);
        }
        if (status != kStatusOk) {
            return status;
        }
    }
    return kStatusOk;
}

void DestroyCopies(GroupNumber copies)
{
    for (ObjectHandle copy : Members(copies)) {
        if (Model_GetSerial(copy) != 0) {
            Model_DestroyTree(copy);
        }
    }
}

// Clones the group into new groups of copies and descendants (both may be
// 0 on return when the group is empty of members).
struct Clones {
    ScopedGroup copies;
    ScopedGroup descendants;
};

KernelStatus CloneInto(GroupNumber group, Clones* clones, MemHandle map)
{
    return Core_CloneGroup(group, clones->copies.out(), clones->descendants.out(), map);
}

KernelStatus MoveCopiesTo(GroupNumber copies, ObjectHandle page)
{
    for (ObjectHandle copy : Members(copies)) {
        Core_RedrawObject(copy);
        Model_MoveToPage(copy, page);
        Core_RedrawObject(copy);
    }
    return kStatusOk;
}

// Drops from the group every connector that is also in `members`.
void RemoveMembers(GroupNumber group, GroupNumber members)
{
    for (ObjectHandle object : Members(group)) {
        if (Group_Contains(members, object)) {
            Group_Remove(group, object);
        }
    }
}

bool IsPlaceable(ObjectHandle object)
{
    return Model_IsNode(object) || Model_IsRegion(object) || Model_IsConnector(object);
}

}  // namespace

namespace core {
void DropBucket()
{
    if (gBucket.holder != 0 && Model_GetSerial(gBucket.holder) == gBucket.holderSerial) {
        Model_DestroyTree(gBucket.holder);
    }
    gBucket = {};
}
}  // namespace core

ObjectHandle Core_GetBucketPage(uint32_t clear)
{
    if (!BucketValid()) {
        if (gBucket.holder != 0 && Model_GetSerial(gBucket.holder) == gBucket.holderSerial) {
            Model_DestroyTree(gBucket.holder);
        }
        gBucket = {};
        return CreateBucket();
    }
    if (clear != 0) {
        ClearPageContents(gBucket.page);
    }
    return gBucket.page;
}

uint32_t Core_BucketHoldsConnectorOnly()
{
    if (!BucketValid()) {
        return 0;
    }
    return Model_GetFirstNode(gBucket.page) == 0 && Model_GetFirstConnector(gBucket.page) != 0 ? 1 : 0;
}

KernelStatus Core_CloneGroup(GroupNumber group, GroupNumber* clones, GroupNumber* descendants, MemHandle map)
{
    if (clones != nullptr) {
        *clones = 0;
    }
    if (descendants != nullptr) {
        *descendants = 0;
    }
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    ScopedGroup copies;
    KernelStatus status = Model_CloneGroup(group, copies.out());
    if (status != kStatusOk) {
        return status;
    }
    ScopedGroup below(Group_New());
    if (!below) {
        DestroyCopies(copies.get());
        return kStatusBadGroup;
    }
    std::vector<ObjectHandle> sources = Members(group);
    std::vector<ObjectHandle> made = Members(copies.get());
    for (size_t i = 0; i < sources.size() && status == kStatusOk; ++i) {
        status = ModelMap_Add(map, sources[i], made[i]);
    }
    for (size_t i = 0; i < sources.size() && status == kStatusOk; ++i) {
        status = CloneChildren(sources[i], made[i], below.get(), map);
    }
    if (status != kStatusOk) {
        DestroyCopies(copies.get());
        return status;
    }
    if (clones != nullptr) {
        *clones = copies.release();
    }
    if (descendants != nullptr) {
        *descendants = below.release();
    }
    return kStatusOk;
}

KernelStatus Core_CloneObject(ObjectHandle object, ObjectHandle* clone, GroupNumber* descendants, MemHandle map)
{
    if (clone != nullptr) {
        *clone = 0;
    }
    ScopedGroup group(GroupOf(object));
    if (!group) {
        return kStatusBadGroup;
    }
    ScopedGroup copies;
    KernelStatus status = Core_CloneGroup(group.get(), copies.out(), descendants, map);
    if (status == kStatusOk && clone != nullptr) {
        *clone = Group_Member(copies.get(), 0);
    }
    return status;
}

KernelStatus Core_RemapReferences(ObjectHandle copy, MemHandle map)
{
    if (!Model_IsValidHandle(copy)) {
        return kStatusBadObjectHandle;
    }
    ModelMap_SetRemapLinks(map, 0);
    switch (Model_GetType(copy)) {
    case kTypeConnector:
        for (FieldId field : {Field::kStartBase, Field::kEndBase, Field::kStartObject, Field::kEndObject,
                              kFieldConnectorSubpage, Field::kConnectorBorderMark}) {
            RemapField(copy, field, map);
        }
        break;
    case kTypeConnectorList:
    case kTypeNodeList:
    case kTypePageList:
    case kTypeRegionList:
        RemapRecent(copy, map);
        break;
    case kTypeNode:
        RemapField(copy, Field::kSubpage, map);
        if (Model_GetFieldValue(copy, Field::kBorderMark) != 0) {
            RemapField(copy, Field::kBorderMark, map);
            RemapField(copy, kFieldBorderPartner, map);
        }
        break;
    case kTypePage:
        RemapField(copy, Field::kRefinedNode, map);
        break;
    default:
        break;
    }
    MemHandle text = Model_GetFieldValue(copy, Field::kText);
    if (text != 0) {
        Text_RemapReferences(map, copy, text);
    }
    return kStatusOk;
}

KernelStatus Core_CopyToBucket(GroupNumber group)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    ObjectHandle bucket = Core_GetBucketPage(1);
    if (bucket == 0) {
        return kStatusNoBucket;
    }
    std::vector<ObjectHandle> members = Members(group);
    for (ObjectHandle member : members) {
        bool beneath = !IsPlaceable(member);
        for (ObjectHandle other : members) {
            if (other != member && Model_IsDescendantOf(member, other)) {
                beneath = true;
            }
        }
        if (beneath) {
            Group_Remove(group, member);
        }
    }
    ScopedMap map;
    KernelStatus status = map.Create(Group_Count(group));
    if (status != kStatusOk) {
        return status;
    }
    ScopedSets sets(kSetInner);
    status = Core_ClassifyConnectors(group, sets.get());
    if (status != kStatusOk) {
        return status;
    }
    RemoveMembers(sets->inner, group);
    Clones members2;
    Clones connectors;
    status = CloneInto(group, &members2, map.get());
    if (status == kStatusOk) {
        status = CloneInto(sets->inner, &connectors, map.get());
        if (status != kStatusOk) {
            DestroyCopies(members2.copies.get());
        }
    }
    if (status != kStatusOk) {
        return status;
    }
    MoveCopiesTo(members2.copies.get(), bucket);
    MoveCopiesTo(connectors.copies.get(), bucket);
    for (GroupNumber part : {members2.copies.get(), connectors.copies.get(), members2.descendants.get(),
                             connectors.descendants.get()}) {
        RemapGroup(part, map.get());
    }
    for (ObjectHandle copy : Members(members2.copies.get())) {
        if (Model_IsRegion(copy)) {
            Core_RegionToNode(copy);
        }
    }
    return kStatusOk;
}

KernelStatus Core_CopyObject(ObjectHandle object)
{
    ScopedGroup group(GroupOf(object));
    if (!group) {
        return kStatusBadGroup;
    }
    return Core_CopyToBucket(group.get());
}

KernelStatus Core_Paste(ObjectHandle page, GroupNumber* pasted)
{
    if (pasted != nullptr) {
        *pasted = 0;
    }
    ObjectHandle bucket = Core_GetBucketPage(0);
    if (bucket == 0) {
        return kStatusNoBucket;
    }
    if (!Model_IsPage(page) || page == bucket) {
        return kStatusNotAPage;
    }
    ScopedGroup nodes;
    ScopedGroup connectors;
    if (Core_NodesOfPage(bucket, nodes.out()) != kStatusOk ||
        Core_ConnectorsOfPage(bucket, connectors.out()) != kStatusOk) {
        return kStatusBadGroup;
    }
    ScopedMap map;
    KernelStatus status = map.Create(Group_Count(nodes.get()) + Group_Count(connectors.get()));
    if (status != kStatusOk) {
        return status;
    }
    Clones nodeCopies;
    Clones connectorCopies;
    status = CloneInto(nodes.get(), &nodeCopies, map.get());
    if (status == kStatusOk) {
        status = CloneInto(connectors.get(), &connectorCopies, map.get());
        if (status != kStatusOk) {
            DestroyCopies(nodeCopies.copies.get());
        }
    }
    if (status != kStatusOk) {
        return status;
    }
    MoveCopiesTo(nodeCopies.copies.get(), page);
    MoveCopiesTo(connectorCopies.copies.get(), page);
    for (GroupNumber part : {nodeCopies.copies.get(), connectorCopies.copies.get(), nodeCopies.descendants.get(),
                             connectorCopies.descendants.get()}) {
        RemapGroup(part, map.get());
    }
    // A connector whose ends did not come along has nothing to join.
    for (ObjectHandle copy : Members(connectorCopies.copies.get())) {
        if (Model_GetFieldValue(copy, Field::kStartObject) == 0 || Model_GetFieldValue(copy, Field::kEndObject) == 0) {
            Group_Remove(connectorCopies.copies.get(), copy);
            Core_DeleteObject(copy, kDeleteKeepLinks | kDeleteUnasked);
        }
    }
    Core_MoveGroup(nodeCopies.copies.get(), kPasteOffset, kPasteOffset, 1, 0);
    Hook_Fire(30, nodeCopies.copies.get(), connectorCopies.copies.get());
    if (pasted != nullptr) {
        GroupNumber result = nodeCopies.copies.release();
        for (GroupNumber part : {connectorCopies.copies.get(), nodeCopies.descendants.get(),
                                 connectorCopies.descendants.get()}) {
            Group_Union(result, part);
        }
        *pasted = result;
    }
    return kStatusOk;
}

KernelStatus Core_PasteConnector(ObjectHandle from, ObjectHandle to, ObjectHandle* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    auto endObject = [](ObjectHandle o) { return Model_IsNode(o) || Model_IsRegion(o); };
    if (!endObject(from) || !endObject(to)) {
        return kStatusNotNodes;
    }
    if (Model_IsBorderNode(Model_GetBaseObject(from)) && Model_IsBorderNode(Model_GetBaseObject(to))) {
        return kStatusBorderToBorder;
    }
    ObjectHandle page = Model_GetPage(from);
    if (page != Model_GetPage(to)) {
        return kStatusBadContainerArgument;
    }
    ObjectHandle bucket = Core_GetBucketPage(0);
    if (bucket == 0) {
        return kStatusNoBucket;
    }
    ObjectHandle source = Model_GetFirstConnector(bucket);
    if (source == 0) {
        return kStatusNotNodes;
    }
    ScopedMap map;
    KernelStatus status = map.Create(1);
    ScopedGroup descendants;
    ObjectHandle copy = 0;
    if (status == kStatusOk) {
        status = Core_CloneObject(source, &copy, descendants.out(), map.get());
    }
    if (status != kStatusOk) {
        return status;
    }
    Model_MoveToPage(copy, page);
    Core_RemapReferences(copy, map.get());
    RemapGroup(descendants.get(), map.get());
    Model_SetConnectorEnds(copy, from, to);
    RebuildRequest request;
    request.kind = kRebuildPasted;
    status = Core_RebuildObject(copy, &request);
    if (status == kStatusOk) {
        Core_LinkConnectorToBorderNode(from, to, copy);
        Core_LinkConnectorToCoarseNode(from, to, copy);
        Core_LinkConnectorToCoarseNode(to, from, copy);
    }
    ScopedGroup copies(GroupOf(copy));
    Hook_Fire(30, 0, copies.get());
    if (status != kStatusOk) {
        Core_DeleteObject(copy, kDeleteKeepLinks);
        return status;
    }
    *out = copy;
    return kStatusOk;
}

KernelStatus Core_DuplicateObjects(GroupNumber group, GroupNumber* copies, uint32_t offset)
{
    if (copies != nullptr) {
        *copies = 0;
    }
    ScopedSets sets(kSetOuter | kSetInner | kSetOneEnd | kSetEntries);
    if (!GroupExists(group) || Core_ClassifyConnectors(group, sets.get()) != kStatusOk) {
        return kStatusFailed;
    }
    RemoveMembers(sets->inner, group);
    RemoveMembers(sets->oneEnd, group);
    ScopedMap map;
    KernelStatus status = map.Create(Group_Count(group));
    if (status != kStatusOk) {
        return status;
    }
    Clones members;
    Clones inner;
    Clones oneEnd;
    status = CloneInto(group, &members, map.get());
    if (status == kStatusOk) {
        status = CloneInto(sets->inner, &inner, map.get());
    }
    if (status == kStatusOk) {
        status = CloneInto(sets->oneEnd, &oneEnd, map.get());
    }
    if (status != kStatusOk) {
        for (Clones* made : {&members, &inner, &oneEnd}) {
            DestroyCopies(made->copies.get());
        }
        return status;
    }
    for (ObjectHandle outside : Members(sets->outer)) {
        ModelMap_Add(map.get(), outside, outside);
    }
    for (uint32_t i = 0; i < List_Count(&sets->entries); ++i) {
        ConnectorSetEntry entry = Core_SetEntry(*sets.get(), i);
        bool outsideIsStart = Model_GetFieldValue(entry.connector, Field::kStartBase) == entry.outerEnd &&
                              Model_GetFieldValue(entry.connector, Field::kEndBase) != entry.outerEnd;
        ObjectHandle attached = Model_GetFieldValue(entry.connector, outsideIsStart ? Field::kStartObject
                                                                                    : Field::kEndObject);
        if (ModelMap_Lookup(map.get(), attached) == 0) {
            ModelMap_Add(map.get(), attached, attached);
        }
    }
    for (GroupNumber part : {members.copies.get(), inner.copies.get(), oneEnd.copies.get(),
                             members.descendants.get(), inner.descendants.get(), oneEnd.descendants.get()}) {
        RemapGroup(part, map.get());
    }
    if (offset != 0) {
        Core_MoveGroup(members.copies.get(), kDuplicateOffset, kDuplicateOffset, 1, 1);
    }
    Hook_Fire(15, members.copies.get(), inner.copies.get(), oneEnd.copies.get());
    if (copies != nullptr) {
        *copies = members.copies.release();
    }
    return kStatusOk;
}

KernelStatus Core_DuplicateObject(ObjectHandle object, ObjectHandle* out)
{
    if (Model_IsConnector(object)) {
        return kStatusOk;
    }
    ScopedGroup group(GroupOf(object));
    if (!group) {
        return kStatusBadGroup;
    }
    ScopedGroup copies;
    KernelStatus status = Core_DuplicateObjects(group.get(), copies.out(), 1);
    if (status == kStatusOk && out != nullptr) {
        *out = Group_Member(copies.get(), 0);
    }
    return status;
}

KernelStatus Core_PlaceCopy(ObjectHandle object, ObjectHandle page, FixPoint at, ObjectHandle* out)
{
    if (out != nullptr) {
        *out = 0;
    }
    if (!Model_IsNode(object)) {
        return kStatusBadArgument;
    }
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    ScopedMap map;
    KernelStatus status = map.Create(1);
    ScopedGroup descendants;
    ObjectHandle copy = 0;
    if (status == kStatusOk) {
        status = Core_CloneObject(object, &copy, descendants.out(), map.get());
    }
    if (status != kStatusOk) {
        return status;
    }
    // A source on the page itself leaves its copy right beside it.
    Model_MoveToPage(copy, page);
    FixPoint position = Position(copy);
    Core_MoveObject(copy, Fix_Sub(at.x, position.x), Fix_Sub(at.y, position.y), 1, 0);
    if (out != nullptr) {
        *out = copy;
    }
    return kStatusOk;
}

GroupNumber Core_ExpandGroup(GroupNumber group)
{
    uint32_t words[10];
    if (ReadPropertyWords(7, words, 10) != kStatusOk || !GroupExists(group)) {
        return 0;
    }
    ScopedGroup result(Group_New());
    if (!result) {
        return 0;
    }
    auto addRegionsBelow = [&result](ObjectHandle object) {
        uint32_t guard = Model_SlotCount();
        std::vector<ObjectHandle> pending{object};
        while (!pending.empty() && guard-- > 0) {
            ObjectHandle owner = pending.back();
            pending.pop_back();
            for (ObjectHandle r = Model_GetFirstRegion(owner); r != 0 && guard-- > 0; r = Model_GetNextSibling(r)) {
                Group_Add(result.get(), r);
                pending.push_back(r);
            }
        }
    };
    std::vector<ObjectHandle> members = Members(group);
    if (words[6] == 1) {
        for (ObjectHandle member : members) {
            Group_Add(result.get(), member);
        }
    }
    if (words[7] == 1) {
        for (ObjectHandle member : members) {
            addRegionsBelow(member);
        }
    }
    if (words[8] == 1 || words[9] == 1) {
        ScopedSets sets(kSetInner);
        if (Core_ClassifyConnectors(group, sets.get()) == kStatusOk) {
            for (ObjectHandle connector : Members(sets->inner)) {
                if (words[8] == 1) {
                    Group_Add(result.get(), connector);
                }
                if (words[9] == 1) {
                    addRegionsBelow(connector);
                }
            }
        }
    }
    return result.release();
}
