// Deleting objects with everything that hangs on them (children, text
// references, touching connectors, hierarchy links), deleting and closing
// pages, and cutting to the copy bucket.
#include <algorithm>
#include <vector>

#include "xkv/core/CoreInternal.h"
#include "xkv/text/TextObject.h"
#include "xkv/window/Window.h"

using namespace core;

namespace {

// Objects whose deletion is under way: links between partners, border
// nodes and connectors form cycles, and each object is deleted once.
std::vector<ObjectHandle>& InDeletion()
{
    static std::vector<ObjectHandle> objects;
    return objects;
}

class DeletionMark {
public:
    explicit DeletionMark(ObjectHandle object) : object_(object) { InDeletion().push_back(object); }
    ~DeletionMark()
    {
        auto& objects = InDeletion();
        objects.erase(std::find(objects.begin(), objects.end(), object_));
    }
    DeletionMark(const DeletionMark&) = delete;
    DeletionMark& operator=(const DeletionMark&) = delete;

private:
    ObjectHandle object_;
};

bool BeingDeleted(ObjectHandle object)
{
    const auto& objects = InDeletion();
    return std::find(objects.begin(), objects.end(), object) != objects.end();
}

bool IsLive(ObjectHandle object)
{
    return object != 0 && Model_GetSerial(object) != 0;
}

bool IsHiddenCopy(ObjectHandle connector)
{
    return Model_HasFlags(connector, kHiddenCopyFlags) != 0;
}

// The border node on the coarse node's subpage that stands for the object.
ObjectHandle BorderNodeFor(ObjectHandle coarse, ObjectHandle outside)
{
    ObjectHandle subpage = Model_GetFieldValue(coarse, Field::kSubpage);
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle n = Model_GetFirstNode(subpage); n != 0 && guard-- > 0; n = Model_GetNextSibling(n)) {
        if (Model_IsBorderNode(n) && Model_GetFieldValue(n, Field::kBorderMark) == outside) {
            return n;
        }
    }
    return 0;
}

void DeleteBorderNodeOf(ObjectHandle coarse, ObjectHandle outside, uint32_t mode)
{
    if (!Model_IsCoarseNode(coarse)) {
        return;
    }
    ObjectHandle border = BorderNodeFor(coarse, outside);
    if (border != 0) {
        Model_SetFieldValue(border, Field::kBorderMark, 0);
        Core_DeleteObject(border, mode);
    }
}

struct ConnectorEnds {
    ObjectHandle startBase = 0;
    ObjectHandle endBase = 0;
    ObjectHandle startObject = 0;
    ObjectHandle endObject = 0;
    uint32_t direction = 0;
    ObjectHandle page = 0;
};

ConnectorEnds UnlinkConnector(ObjectHandle connector, uint32_t mode)
{
    ConnectorEnds ends;
    Model_GetConnectorEnds(connector, &ends.startBase, &ends.endBase, 0);
    Model_GetConnectorEnds(connector, &ends.startObject, &ends.endObject, 1);
    ends.direction = Model_GetFieldValue(connector, Field::kDirection);
    ends.page = Model_GetPage(connector);
    if (IsHiddenCopy(connector)) {
        return ends;
    }
    if ((mode & kDeleteKeepPartnerConnector) == 0) {
        ObjectHandle partner = Model_GetFieldValue(connector, Field::kConnectorBorderMark);
        if (Model_IsConnector(partner) && IsLive(partner)) {
            Core_DeleteObject(partner, mode);
        }
    }
    DeleteBorderNodeOf(ends.startBase, ends.endBase, mode);
    DeleteBorderNodeOf(ends.endBase, ends.startBase, mode);
    return ends;
}

void UnlinkNode(ObjectHandle node, uint32_t mode)
{
    if (Model_IsCoarseNode(node)) {
        ObjectHandle subpage = Model_GetFieldValue(node, Field::kSubpage);
        if (Model_IsPage(subpage)) {
            Model_SetFieldValue(subpage, Field::kRefinedNode, 0);
        }
    }
    if (Model_IsBorderNode(node) && (mode & kDeleteKeepBorderPartner) == 0 &&
        ReadCoarsenOptions().deleteBorderPartners) {
        ObjectHandle partner = Model_GetFieldValue(node, kFieldBorderPartner);
        if (IsLive(partner) && Model_IsElement(partner)) {
            Core_DeleteObject(partner, mode);
        }
    }
}

void UnlinkPage(ObjectHandle page)
{
    ObjectHandle refined = Model_GetFieldValue(page, Field::kRefinedNode);
    if (Model_IsNode(refined) && Model_GetFieldValue(refined, Field::kSubpage) == page) {
        Model_SetFieldValue(refined, Field::kSubpage, 0);
    }
    Core_DetachNodesFromPage(page, 0);
}

KernelStatus DeleteTouchingConnectors(ObjectHandle object, uint32_t mode)
{
    ScopedGroup group(GroupOf(object));
    if (!group) {
        return kStatusBadGroup;
    }
    ScopedSets sets(kSetInner | kSetOneEnd | kSetOneEndFlagged);
    Core_ClassifyConnectors(group.get(), sets.get());
    for (GroupNumber part : {sets->oneEnd, sets->inner, sets->oneEndFlagged}) {
        for (ObjectHandle connector : Members(part)) {
            if (IsLive(connector)) {
                Core_DeleteObject(connector, mode);
            }
        }
    }
    return kStatusOk;
}

bool AskedAndAllowed(ObjectHandle object, uint32_t type, uint32_t mode)
{
    if ((mode & kDeleteUnasked) != 0) {
        return true;
    }
    switch (type) {
    case kTypeConnector:
        return HookAllows(12, object);
    case kTypeNode:
        return HookAllows(40, object);
    case kTypeRegion:
        return HookAllows(41, object);
    default:
        return true;
    }
}

}  // namespace

KernelStatus Core_DeleteObject(ObjectHandle object, uint32_t mode)
{
    uint32_t type = 0;
    KernelStatus status = Model_GetField(object, Field::kType, &type);
    if (status != kStatusOk) {
        return status;
    }
    if (!IsLive(object)) {
        return kStatusBadObjectHandle;
    }
    if (BeingDeleted(object)) {
        return kStatusOk;
    }
    if (!AskedAndAllowed(object, type, mode)) {
        return kStatusOk;
    }
    DeletionMark mark(object);
    ConnectorEnds ends;
    bool connector = type == kTypeConnector;
    bool hiddenCopy = connector && IsHiddenCopy(object);
    if (connector) {
        Model_GetConnectorEnds(object, &ends.startBase, &ends.endBase, 0);
        Model_GetConnectorEnds(object, &ends.startObject, &ends.endObject, 1);
        ends.direction = Model_GetFieldValue(object, Field::kDirection);
        ends.page = Model_GetPage(object);
    }
    if ((mode & kDeleteKeepLinks) == 0) {
        if (connector) {
            UnlinkConnector(object, mode);
        } else if (type == kTypeNode) {
            UnlinkNode(object, mode);
        } else if (type == kTypePage) {
            UnlinkPage(object);
        }
    }
    KernelStatus result = kStatusOk;
    if ((type == kTypeNode || type == kTypeRegion) && (mode & kDeleteKeepConnectors) == 0) {
        result = DeleteTouchingConnectors(object, mode);
    }
    if ((mode & kDeleteKeepTextReferences) == 0) {
        Text_DropReferences(object);
    }
    std::vector<ObjectHandle> children;
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle child = Model_GetFirstChild(object); child != 0 && guard-- > 0;
         child = Model_GetNextSibling(child)) {
        children.push_back(child);
    }
    for (ObjectHandle child : children) {
        if (IsLive(child)) {
            Core_DeleteObject(child, mode);
        }
    }
    Model_RemoveRecent(object);
    Core_RedrawObject(object);
    if ((mode & kDeleteKeepRecord) == 0) {
        result = Model_Destroy(object, 0);
    }
    if (connector && !hiddenCopy) {
        // The handler takes six words: the page is left out.
        Hook_Fire(13, object, ends.startBase, ends.endBase, ends.direction, ends.startObject, ends.endObject);
    }
    return result;
}

KernelStatus Core_DeleteGroup(GroupNumber group, uint32_t mode)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        if (IsLive(member)) {
            Core_DeleteObject(member, mode);
        }
    }
    return kStatusOk;
}

KernelStatus Core_DeletePage(ObjectHandle page, uint32_t withSubpages)
{
    if (!Model_IsPage(page)) {
        return kStatusBadArgument;
    }
    if (withSubpages != 0) {
        std::vector<ObjectHandle> subpages;
        uint32_t guard = Model_SlotCount();
        for (ObjectHandle n = Model_GetFirstNode(page); n != 0 && guard-- > 0; n = Model_GetNextSibling(n)) {
            if (Model_IsCoarseNode(n)) {
                subpages.push_back(Model_GetFieldValue(n, Field::kSubpage));
            }
        }
        for (ObjectHandle subpage : subpages) {
            if (subpage != page && Model_IsPage(subpage)) {
                Core_DeletePage(subpage, 0);
            }
        }
    }
    Core_ClosePage(page, 0);
    KernelStatus status = Core_DeleteObject(page, 0);
    if (status == kStatusOk) {
        Core_NotifyModelChanged();
    }
    return status;
}

KernelStatus Core_ClosePage(ObjectHandle page, uint32_t)
{
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    Model_RemoveRecent(page);
    return Window_ClosePage(page);
}

KernelStatus Core_CutGroup(GroupNumber group)
{
    KernelStatus status = Core_CopyToBucket(group);
    // What could not be copied is not deleted either.
    if (status != kStatusOk) {
        return status;
    }
    return Core_DeleteGroup(group, 0);
}

KernelStatus Core_CutObject(ObjectHandle object)
{
    ScopedGroup group(GroupOf(object));
    if (!group) {
        return kStatusBadGroup;
    }
    return Core_CutGroup(group.get());
}
