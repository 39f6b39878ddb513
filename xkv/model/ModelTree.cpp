// The object tree: navigation, classification, splicing, walks, connector
// ends, counting, filtering, copying, the recent-objects memory of lists and
// the code conversion tables.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "xkv/group/Group.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/model/ModelInternal.h"
#include "xkv/model/Picture.h"
#include "xkv/text/Text.h"
#include "xkv/types/PtArray.h"

namespace {

uint32_t Value(ObjectHandle object, FieldId field)
{
    return Model_GetFieldValue(object, field);
}

void SetValue(ObjectHandle object, FieldId field, uint32_t value)
{
    Model_SetFieldValue(object, field, value);
}

bool IsType(ObjectHandle object, uint32_t type)
{
    return Model_IsObject(object) && Value(object, Field::kType) == type;
}

// The n-th child (from 0) of an object.
ObjectHandle NthChild(ObjectHandle object, int n)
{
    ObjectHandle child = Model_GetFirstChild(object);
    while (child != 0 && n-- > 0) {
        child = Model_GetNextSibling(child);
    }
    return child;
}

bool IsPlainNodeShape(ObjectHandle node)
{
    return !Model_IsCoarseNode(node) && !Model_IsBorderNode(node) && !Model_IsAttachedNode(node);
}

}  // namespace

// ---- Navigation ----

ObjectHandle Model_GetParent(ObjectHandle object)
{
    return Model_IsObject(object) ? Value(object, Field::kParent) : 0;
}

ObjectHandle Model_GetFirstChild(ObjectHandle object)
{
    return Model_IsObject(object) ? Value(object, Field::kFirstChild) : 0;
}

ObjectHandle Model_GetNextSibling(ObjectHandle object)
{
    return Model_IsObject(object) ? Value(object, Field::kNextSibling) : 0;
}

ObjectHandle Model_GetPrevSibling(ObjectHandle object)
{
    ObjectHandle child = Model_GetFirstChild(Model_GetParent(object));
    ObjectHandle previous = 0;
    while (child != 0 && child != object) {
        previous = child;
        child = Model_GetNextSibling(child);
    }
    return child == object ? previous : 0;
}

ObjectHandle Model_GetLastSibling(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return 0;
    }
    ObjectHandle next = Model_GetNextSibling(object);
    while (next != 0) {
        object = next;
        next = Model_GetNextSibling(object);
    }
    return object;
}

ObjectHandle Model_GetPageList()
{
    return NthChild(Model_GetRoot(), 1);
}

ObjectHandle Model_GetFirstPage()
{
    return Model_GetFirstChild(Model_GetPageList());
}

ObjectHandle Model_GetNodeList(ObjectHandle page)
{
    return Model_IsPage(page) ? NthChild(page, 1) : 0;
}

ObjectHandle Model_GetFirstNode(ObjectHandle page)
{
    return Model_GetFirstChild(Model_GetNodeList(page));
}

ObjectHandle Model_GetConnectorList(ObjectHandle page)
{
    return Model_IsPage(page) ? NthChild(page, 2) : 0;
}

ObjectHandle Model_GetFirstConnector(ObjectHandle page)
{
    return Model_GetFirstChild(Model_GetConnectorList(page));
}

ObjectHandle Model_GetFirstRegion(ObjectHandle object)
{
    if (!Model_MatchesTypeMask(object, 831)) {
        return 0;
    }
    return Model_GetFirstChild(Model_GetFirstChild(object));
}

ObjectHandle Model_GetRegionOwner(ObjectHandle region)
{
    return Model_IsRegion(region) ? Model_GetParent(Model_GetParent(region)) : 0;
}

ObjectHandle Model_GetBaseObject(ObjectHandle object)
{
    while (Model_IsRegion(object)) {
        object = Model_GetRegionOwner(object);
    }
    return Model_IsObject(object) ? object : 0;
}

ObjectHandle Model_GetPage(ObjectHandle object)
{
    if (Model_IsPage(object)) {
        return object;
    }
    ObjectHandle base = Model_GetBaseObject(object);
    if (!Model_IsElement(base)) {
        return 0;
    }
    return Model_GetParent(Model_GetParent(base));
}

uint32_t Model_IsListObject(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return 0;
    }
    uint32_t type = Value(object, Field::kType);
    return type == kTypeConnectorList || type == kTypeNodeList || type == kTypePageList ||
                   type == kTypeRegionList
               ? 1
               : 0;
}

ObjectHandle Model_GetList(ObjectHandle object)
{
    if (Model_IsListObject(object)) {
        return object;
    }
    ObjectHandle parent = Model_GetParent(object);
    return Model_IsListObject(parent) ? parent : 0;
}

uint32_t Model_GetType(ObjectHandle object)
{
    return Value(object, Field::kType);
}

uint32_t Model_GetKind(ObjectHandle object)
{
    return Value(object, Field::kShapeKind);
}

ObjectHandle Model_GetNodeLink(ObjectHandle node)
{
    if (Model_IsCoarseNode(node)) {
        return Value(node, Field::kSubpage);
    }
    if (Model_IsAttachedNode(node)) {
        return Value(node, Field::kAttachedTo);
    }
    return 0;
}

ObjectHandle Model_GetSuperNode(ObjectHandle page)
{
    if (!Model_IsPage(page)) {
        return 0;
    }
    ObjectHandle node = Value(page, Field::kRefinedNode);
    if (!Model_IsNode(node) || !Model_IsPage(Model_GetParent(Model_GetParent(node)))) {
        return 0;
    }
    return node;
}

// ---- Classification ----

uint32_t Model_IsValidHandle(ObjectHandle object)
{
    return object != 0 && object < Model_SlotCount() ? 1 : 0;
}

uint32_t Model_IsObject(ObjectHandle object)
{
    if (!ModelInternal_IsInUse(object)) {
        return 0;
    }
    return Value(object, Field::kParent) != 0 || Value(object, Field::kType) == kTypeDiagram ? 1 : 0;
}

uint32_t Model_HasDiagram()
{
    return Model_GetFirstChild(Model_GetRoot()) != 0 ? 1 : 0;
}

uint32_t Model_IsPage(ObjectHandle object)
{
    return IsType(object, kTypePage) ? 1 : 0;
}

uint32_t Model_IsConnector(ObjectHandle object)
{
    return IsType(object, kTypeConnector) ? 1 : 0;
}

uint32_t Model_IsNode(ObjectHandle object)
{
    return IsType(object, kTypeNode) ? 1 : 0;
}

uint32_t Model_IsRegion(ObjectHandle object)
{
    return IsType(object, kTypeRegion) ? 1 : 0;
}

uint32_t Model_IsCoarseNode(ObjectHandle object)
{
    return Model_IsNode(object) && Value(object, Field::kSubpage) != 0 && !Model_HasFlags(object, kFlagAttached)
               ? 1
               : 0;
}

uint32_t Model_IsAttachedNode(ObjectHandle object)
{
    return Model_IsNode(object) && Value(object, Field::kAttachedTo) != 0 && Model_HasFlags(object, kFlagAttached)
               ? 1
               : 0;
}

uint32_t Model_IsBorderNode(ObjectHandle object)
{
    return Model_IsNode(object) && Value(object, Field::kBorderMark) != 0 ? 1 : 0;
}

uint32_t Model_IsLabel(ObjectHandle object)
{
    return Model_IsObject(object) && Value(object, Field::kShapeKind) == 12 ? 1 : 0;
}

uint32_t Model_IsElement(ObjectHandle object)
{
    return Model_IsPage(object) || Model_IsNode(object) || Model_IsRegion(object) || Model_IsConnector(object)
               ? 1
               : 0;
}

uint32_t Model_MatchesTypeMask(ObjectHandle object, uint32_t mask)
{
    if (!Model_IsObject(object)) {
        return 0;
    }
    // Bits above the named ones stand for any live object.
    if ((mask & ~0xfffu) != 0) {
        return 1;
    }
    switch (Value(object, Field::kType)) {
    case kTypeNode:
        return ((mask & kMaskCoarseNode) && Model_IsCoarseNode(object)) ||
                       ((mask & kMaskPlainNode) && IsPlainNodeShape(object)) ||
                       ((mask & kMaskBorderNode) && Model_IsBorderNode(object)) ||
                       ((mask & kMaskAttachedNode) && Model_IsAttachedNode(object))
                   ? 1
                   : 0;
    case kTypeRegion:
        return (mask & kMaskRegion) != 0 ? 1 : 0;
    case kTypeConnector:
        return (mask & kMaskConnector) != 0 ? 1 : 0;
    case kTypePage:
        return (mask & kMaskPage) != 0 ? 1 : 0;
    default:
        return 0;
    }
}

uint32_t Model_PageHasFlag512(ObjectHandle page)
{
    return Model_IsPage(page) && Model_HasFlags(page, 512) ? 1 : 0;
}

uint32_t Model_IsSubpage(ObjectHandle page)
{
    return Model_IsPage(page) && Value(page, Field::kRefinedNode) != 0 ? 1 : 0;
}

uint32_t Model_IsNotFirstChild(ObjectHandle object)
{
    if (!Model_IsValidHandle(object)) {
        return 0;
    }
    return Model_GetFirstChild(Model_GetParent(object)) != object ? 1 : 0;
}

uint32_t Model_IsDescendantOf(ObjectHandle object, ObjectHandle ancestor)
{
    // Each step leaves at least one level, so the climb ends within the
    // number of slots even in a damaged tree.
    for (uint32_t steps = 0; steps < Model_SlotCount(); ++steps) {
        object = Model_IsRegion(object) ? Model_GetRegionOwner(object)
                                        : Model_GetParent(Model_GetParent(object));
        if (!Model_IsObject(object)) {
            return 0;
        }
        if (object == ancestor) {
            return 1;
        }
    }
    return 0;
}

uint32_t Model_IsInBucket(ObjectHandle object)
{
    for (uint32_t steps = 0; steps < Model_SlotCount() && Model_IsObject(object); ++steps) {
        if (Value(object, Field::kType) == kTypeCopyBucket) {
            return 1;
        }
        object = Model_GetParent(object);
    }
    return 0;
}

uint32_t Model_IsPlaced(ObjectHandle object)
{
    return Model_IsObject(object) && !Model_IsInBucket(object) ? 1 : 0;
}

uint32_t Model_IsFlagged7(ObjectHandle connector)
{
    return Model_IsConnector(connector) && Model_HasFlags(connector, 7) ? 1 : 0;
}

uint32_t Model_FlagsClear(ObjectHandle object, uint32_t bits)
{
    uint32_t flags = 0;
    if (Model_GetField(object, Field::kFlags, &flags) != kStatusOk) {
        return 0;
    }
    if ((flags & bits) != 0) {
        return 0;
    }
    uint32_t inherited = bits & 0x2100004;
    if (inherited == 0) {
        return 1;
    }
    while (Model_IsRegion(object)) {
        object = Model_GetRegionOwner(object);
        if (Model_GetField(object, Field::kFlags, &flags) != kStatusOk) {
            return 0;
        }
        if ((flags & inherited) != 0) {
            return 0;
        }
    }
    return 1;
}

uint32_t Model_NoFlags30000(ObjectHandle object)
{
    return Model_FlagsClear(object, 0x30000);
}

uint32_t Model_GroupNoFlags30000(GroupNumber group)
{
    uint32_t all = 1;
    for (uint16_t i = 0; i < Group_Count(group); ++i) {
        if (!Model_NoFlags30000(Group_Member(group, i))) {
            all = 0;
        }
    }
    return all;
}

// ---- Splicing ----

KernelStatus Model_AppendChild(ObjectHandle parent, ObjectHandle child)
{
    if (!Model_IsValidHandle(parent) || !Model_IsValidHandle(child)) {
        return kStatusInvalidObject;
    }
    ObjectHandle first = Value(parent, Field::kFirstChild);
    if (first == 0) {
        SetValue(parent, Field::kFirstChild, child);
    } else {
        ObjectHandle last = first;
        for (ObjectHandle next = Value(last, Field::kNextSibling); next != 0; next = Value(last, Field::kNextSibling)) {
            last = next;
        }
        SetValue(last, Field::kNextSibling, child);
    }
    SetValue(child, Field::kNextSibling, 0);
    SetValue(child, Field::kParent, parent);
    return kStatusOk;
}

KernelStatus Model_PrependChild(ObjectHandle parent, ObjectHandle child)
{
    if (!Model_IsValidHandle(parent) || !Model_IsValidHandle(child)) {
        return kStatusInvalidObject;
    }
    SetValue(child, Field::kNextSibling, Value(parent, Field::kFirstChild));
    SetValue(parent, Field::kFirstChild, child);
    SetValue(child, Field::kParent, parent);
    return kStatusOk;
}

KernelStatus Model_InsertAfter(ObjectHandle object, ObjectHandle added)
{
    if (!Model_IsValidHandle(object) || !Model_IsValidHandle(added)) {
        return kStatusFailed;
    }
    SetValue(added, Field::kNextSibling, Value(object, Field::kNextSibling));
    SetValue(object, Field::kNextSibling, added);
    SetValue(added, Field::kParent, Value(object, Field::kParent));
    return kStatusOk;
}

KernelStatus Model_AppendSibling(ObjectHandle object, ObjectHandle added)
{
    if (!Model_IsValidHandle(object) || !Model_IsValidHandle(added)) {
        return kStatusFailed;
    }
    ObjectHandle last = object;
    for (ObjectHandle next = Value(last, Field::kNextSibling); next != 0; next = Value(last, Field::kNextSibling)) {
        last = next;
    }
    return Model_InsertAfter(last, added);
}

KernelStatus Model_Unlink(ObjectHandle object)
{
    if (!Model_IsValidHandle(object)) {
        return kStatusInvalidObject;
    }
    ObjectHandle parent = Value(object, Field::kParent);
    if (parent == 0 || Value(object, Field::kType) == kTypeDiagram) {
        return kStatusOk;
    }
    ObjectHandle next = Value(object, Field::kNextSibling);
    ObjectHandle child = Value(parent, Field::kFirstChild);
    if (child == object) {
        SetValue(parent, Field::kFirstChild, next);
    } else {
        while (child != 0 && Value(child, Field::kNextSibling) != object) {
            child = Value(child, Field::kNextSibling);
        }
        if (child != 0) {
            SetValue(child, Field::kNextSibling, next);
        }
    }
    SetValue(object, Field::kParent, 0);
    SetValue(object, Field::kNextSibling, 0);
    return kStatusOk;
}

KernelStatus Model_InsertChild(ObjectHandle object, ObjectHandle parent, ObjectHandle after)
{
    if (!Model_IsValidHandle(object)) {
        return kStatusInvalidObject;
    }
    Model_Unlink(object);
    if (!Model_IsObject(parent)) {
        return kStatusOk;
    }
    if (after == 0) {
        return Model_PrependChild(parent, object);
    }
    if (Model_IsObject(after) && Model_GetParent(after) == parent) {
        return Model_InsertAfter(after, object);
    }
    return kStatusBadContainerArgument;
}

KernelStatus Model_MoveToLast(ObjectHandle object)
{
    ObjectHandle parent = Model_GetParent(object);
    if (!Model_IsObject(parent) || Model_GetNextSibling(object) == 0) {
        return kStatusOk;
    }
    Model_Unlink(object);
    return Model_AppendChild(parent, object);
}

KernelStatus Model_MoveToPage(ObjectHandle object, ObjectHandle page)
{
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    if (Model_GetPage(object) == page) {
        return kStatusFailed;
    }
    ObjectHandle list = Model_IsConnector(object) ? Model_GetConnectorList(page) : Model_GetNodeList(page);
    if (list == 0 || !Model_IsValidHandle(object)) {
        return kStatusInvalidObject;
    }
    Model_Unlink(object);
    Model_AppendChild(list, object);
    return kStatusOk;
}

KernelStatus Model_MoveGroupToPage(GroupNumber group, ObjectHandle page)
{
    for (uint16_t i = 0; i < Group_Count(group); ++i) {
        Model_MoveToPage(Group_Member(group, i), page);
    }
    return kStatusOk;
}

KernelStatus Model_ShapeBitOf(uint32_t kind, uint32_t* bit)
{
    uint32_t value = 0;
    switch (kind) {
    case 0: case 1: case 3: case 4: case 7: case 12: case 13:
        value = 1;
        break;
    case 2: case 5: case 6: case 8:
        value = 0;
        break;
    default:
        return kStatusUnknownShapeKind;
    }
    if (bit != nullptr) {
        *bit = value;
    }
    return kStatusOk;
}

KernelStatus Model_SetShapeBit(ObjectHandle object, uint32_t kind)
{
    uint32_t bit = 0;
    KernelStatus status = Model_ShapeBitOf(kind, &bit);
    if (status != kStatusOk) {
        return status;
    }
    uint32_t word = 0;
    status = Model_GetField(object, Field::kShapeBits, &word);
    if (status != kStatusOk) {
        return status;
    }
    word = (word & ~1u) | bit;
    return Model_SetField(object, Field::kShapeBits, &word);
}

// ---- Walks ----

KernelStatus Model_ApplySiblings(ObjectHandle first, ModelCallback callback, void* argument)
{
    ObjectHandle object = first;
    while (Model_IsValidHandle(object)) {
        ObjectHandle next = Value(object, Field::kNextSibling);
        KernelStatus status = callback(object, argument);
        if (status != kStatusOk) {
            return status;
        }
        object = next;
    }
    return kStatusOk;
}

KernelStatus Model_ApplyPages(ModelCallback callback, void* argument)
{
    ObjectHandle first = Model_GetFirstPage();
    return first != 0 ? Model_ApplySiblings(first, callback, argument) : kStatusOk;
}

int Model_ComparePageNumbers(ObjectHandle a, ObjectHandle b)
{
    uint32_t na = Value(a, Field::kPageNumber);
    uint32_t nb = Value(b, Field::kPageNumber);
    return (na > nb) - (na < nb);
}

KernelStatus Model_ApplyPagesSorted(ModelCallback callback, void* argument)
{
    GroupNumber pages = Group_New();
    if (pages == 0) {
        return kStatusFailed;
    }
    for (ObjectHandle page = Model_GetFirstPage(); page != 0; page = Model_GetNextSibling(page)) {
        Group_Add(pages, page);
    }
    Group_Sort(pages, Model_ComparePageNumbers);
    for (uint16_t i = 0; i < Group_Count(pages); ++i) {
        callback(Group_Member(pages, i), argument);
    }
    Group_Free(pages);
    return kStatusOk;
}

KernelStatus Model_WalkPreOrder(ObjectHandle first, uint32_t mask, ModelCallback callback, void* argument)
{
    ObjectHandle object = first;
    while (Model_IsObject(object)) {
        ObjectHandle next = Value(object, Field::kNextSibling);
        KernelStatus status = kStatusOk;
        if (Model_MatchesTypeMask(object, mask)) {
            status = callback(object, argument);
        }
        if (status != kStatusOk && status != kStatusSkipSubtree) {
            return status;
        }
        if (status == kStatusOk) {
            ObjectHandle child = Model_GetFirstChild(object);
            if (child != 0) {
                status = Model_WalkPreOrder(child, mask, callback, argument);
                if (status != kStatusOk) {
                    return status;
                }
            }
        }
        object = next;
    }
    return kStatusOk;
}

KernelStatus Model_WalkPostOrder(ObjectHandle first, uint32_t mask, ModelCallback callback, void* argument)
{
    // Children of each object of the chain first (the chain read as it goes),
    // then the callbacks from the last object of the chain back to the first.
    std::vector<ObjectHandle> chain;
    for (ObjectHandle object = first; Model_IsObject(object); object = Value(object, Field::kNextSibling)) {
        chain.push_back(object);
        ObjectHandle child = Model_GetFirstChild(object);
        if (child != 0) {
            Model_WalkPostOrder(child, mask, callback, argument);
        }
        if (chain.size() > Model_SlotCount()) {
            break;  // a damaged, circular chain
        }
    }
    KernelStatus result = kStatusOk;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (Model_MatchesTypeMask(*it, mask)) {
            KernelStatus status = callback(*it, argument);
            if (*it == first) {
                result = status;
            }
        }
    }
    return result;
}

KernelStatus Model_WalkTree(uint32_t preOrder, ObjectHandle root, uint32_t mask, ModelCallback callback,
                            void* argument)
{
    if (preOrder != 0) {
        if (Model_MatchesTypeMask(root, mask)) {
            KernelStatus status = callback(root, argument);
            if (status == kStatusSkipSubtree) {
                return kStatusOk;
            }
            if (status != kStatusOk) {
                return status;
            }
        }
        ObjectHandle child = Model_GetFirstChild(root);
        return child != 0 ? Model_WalkPreOrder(child, mask, callback, argument) : kStatusOk;
    }
    ObjectHandle child = Model_GetFirstChild(root);
    KernelStatus status = child != 0 ? Model_WalkPostOrder(child, mask, callback, argument) : kStatusOk;
    if (status == kStatusOk && Model_MatchesTypeMask(root, mask)) {
        status = callback(root, argument);
    }
    return status;
}

KernelStatus Model_WalkNodes(ObjectHandle page, ModelCallback callback, void* argument)
{
    ObjectHandle first = Model_GetFirstNode(page);
    return first != 0 ? Model_WalkPreOrder(first, kMaskAll, callback, argument) : kStatusOk;
}

KernelStatus Model_WalkConnectors(ObjectHandle page, ModelCallback callback, void* argument)
{
    ObjectHandle first = Model_GetFirstConnector(page);
    return first != 0 ? Model_WalkPreOrder(first, kMaskAll, callback, argument) : kStatusOk;
}

// ---- Connector ends ----

KernelStatus Model_GetConnectorEnds(ObjectHandle connector, ObjectHandle* start, ObjectHandle* end,
                                    uint32_t objects)
{
    FieldId startField = objects != 0 ? Field::kStartObject : Field::kStartBase;
    FieldId endField = objects != 0 ? Field::kEndObject : Field::kEndBase;
    ObjectHandle s = 0;
    ObjectHandle e = 0;
    KernelStatus status = Model_GetField(connector, startField, &s);
    if (status == kStatusOk) {
        status = Model_GetField(connector, endField, &e);
    }
    if (start != nullptr) {
        *start = s;
    }
    if (end != nullptr) {
        *end = e;
    }
    return status;
}

KernelStatus Model_SetConnectorEnds(ObjectHandle connector, ObjectHandle start, ObjectHandle end)
{
    KernelStatus status = kStatusOk;
    ObjectHandle startBase = Model_GetBaseObject(start);
    if (startBase != 0) {
        Model_SetFieldValue(connector, Field::kStartBase, startBase);
        status = Model_SetFieldValue(connector, Field::kStartObject, start);
    }
    ObjectHandle endBase = Model_GetBaseObject(end);
    if (endBase != 0) {
        Model_SetFieldValue(connector, Field::kEndBase, endBase);
        status = Model_SetFieldValue(connector, Field::kEndObject, end);
    }
    return status;
}

ObjectHandle Model_OtherEnd(ObjectHandle connector, ObjectHandle base)
{
    ObjectHandle start = 0;
    ObjectHandle end = 0;
    if (Model_GetConnectorEnds(connector, &start, &end, 0) != kStatusOk) {
        return 0;
    }
    if (base == start) {
        return end;
    }
    return base == end ? start : 0;
}

// ---- Counting ----

uint32_t Model_CountChildren(ObjectHandle object)
{
    uint32_t count = 0;
    for (ObjectHandle child = Model_GetFirstChild(object); child != 0 && count < Model_SlotCount();
         child = Model_GetNextSibling(child)) {
        ++count;
    }
    return count;
}

uint32_t Model_CountPages()
{
    return Model_CountChildren(Model_GetPageList());
}

uint32_t Model_CountNodes(ObjectHandle page)
{
    return Model_CountChildren(Model_GetNodeList(page));
}

uint32_t Model_CountConnectors(ObjectHandle page)
{
    return Model_CountChildren(Model_GetConnectorList(page));
}

// ---- Filtering ----

namespace {

struct FilterState {
    GroupNumber group;
    FieldId field;
    const void* buffer;
    ModelTest test;
    void* argument;
    bool invert;
};

KernelStatus TakeIfMatches(ObjectHandle object, void* argument)
{
    auto* state = static_cast<FilterState*>(argument);
    bool matches = state->test != nullptr ? state->test(object, state->argument) == 1
                                          : Model_FieldEquals(object, state->field, state->buffer) != 0;
    if (matches != state->invert) {
        return Group_Add(state->group, object);
    }
    return kStatusOk;
}

GroupNumber Filter(ObjectHandle root, bool wholePage, FilterState state)
{
    if (wholePage && !Model_IsPage(root)) {
        return 0;
    }
    state.group = Group_New();
    if (state.group == 0) {
        return 0;
    }
    KernelStatus status = kStatusOk;
    if (wholePage) {
        status = Model_WalkConnectors(root, TakeIfMatches, &state);
        if (status == kStatusOk) {
            status = Model_WalkNodes(root, TakeIfMatches, &state);
        }
    } else {
        status = Model_WalkTree(1, root, 4095, TakeIfMatches, &state);
    }
    if (status != kStatusOk) {
        Group_Free(state.group);
        return 0;
    }
    return state.group;
}

}  // namespace

GroupNumber Model_FilterByField(ObjectHandle root, FieldId field, const void* buffer, uint32_t invert)
{
    return Filter(root, false, {0, field, buffer, nullptr, nullptr, invert != 0});
}

GroupNumber Model_FilterPageByField(ObjectHandle page, FieldId field, const void* buffer, uint32_t invert)
{
    return Filter(page, true, {0, field, buffer, nullptr, nullptr, invert != 0});
}

GroupNumber Model_FilterByTest(ObjectHandle root, ModelTest test, void* argument, uint32_t invert)
{
    return Filter(root, false, {0, 0, nullptr, test, argument, invert != 0});
}

GroupNumber Model_FilterPageByTest(ObjectHandle page, ModelTest test, void* argument, uint32_t invert)
{
    return Filter(page, true, {0, 0, nullptr, test, argument, invert != 0});
}

// ---- Copying ----

namespace {

// The copy's own shape data: connector data, a picture or a point list; the
// word stays 0 when the source has none.
KernelStatus CopyShapeData(ObjectHandle source, ObjectHandle copy)
{
    MemHandle data = Value(source, Field::kShapeData);
    if (data == 0) {
        return kStatusOk;
    }
    uint32_t type = Value(source, Field::kType);
    MemHandle duplicate = 0;
    if (type == kTypeConnector) {
        KernelStatus status = Model_CopyConnectorData(data, &duplicate);
        if (status != kStatusOk) {
            return status;
        }
    } else if (type == kTypeNode || type == kTypeRegion) {
        switch (Value(source, Field::kShapeKind)) {
        case 4:
            duplicate = Picture_Copy(data);
            break;
        case 5:
        case 13:
            duplicate = PtArray_Duplicate(data);
            break;
        default:
            return kStatusOk;
        }
        if (duplicate == 0) {
            return kStatusFailed;
        }
    } else {
        return kStatusOk;
    }
    SetValue(copy, Field::kShapeData, duplicate);
    return kStatusOk;
}

KernelStatus CopyBlockField(ObjectHandle source, ObjectHandle copy, FieldId field)
{
    MemHandle block = Value(source, field);
    if (block == 0) {
        return kStatusOk;
    }
    MemHandle duplicate = 0;
    KernelStatus status = Mem_Duplicate(&duplicate, block);
    if (status == kStatusBadArgument) {
        status = Mem_Alloc(&duplicate, 0);  // an empty block copies as an empty block
    }
    if (status == kStatusOk) {
        SetValue(copy, field, duplicate);
    }
    return status;
}

}  // namespace

KernelStatus Model_CloneObject(ObjectHandle object, ObjectHandle* clone)
{
    if (clone != nullptr) {
        *clone = 0;
    }
    if (!Model_IsObject(object)) {
        return kStatusBadObjectHandle;
    }
    ObjectHandle copy = Model_NewObject(Value(object, Field::kType));
    if (copy == 0) {
        return kStatusFailed;
    }
    Model_CopyRecord(object, copy);
    // The blocks of the source stay its own: the copy gets its own copies.
    for (FieldId field : {Field::kShapeData, Field::kText, Field::kUserData, Field::kReferrers, Field::kFirstChild,
                          Field::kParent, Field::kNextSibling}) {
        SetValue(copy, field, 0);
    }
    if (Model_IsPage(object)) {
        SetValue(copy, Field::kPageName, 0);
    }
    KernelStatus status = CopyShapeData(object, copy);
    if (status == kStatusOk && Model_IsPage(object)) {
        status = CopyBlockField(object, copy, Field::kPageName);
    }
    if (status == kStatusOk) {
        status = Text_CopyToObject(object, copy);
        SetValue(copy, Field::kReferrers, 0);
    }
    if (status == kStatusOk) {
        status = CopyBlockField(object, copy, Field::kUserData);
    }
    if (status == kStatusOk) {
        status = Model_InsertAfter(object, copy);
    }
    if (status != kStatusOk) {
        Model_FreeSlot(copy, 0);
        return status;
    }
    if (clone != nullptr) {
        *clone = copy;
    }
    return kStatusOk;
}

KernelStatus Model_CloneGroup(GroupNumber group, GroupNumber* out)
{
    if (out != nullptr) {
        *out = 0;
    }
    uint16_t count = Group_Count(group);
    GroupNumber copies = Group_Create(count);
    if (copies == 0) {
        return kStatusBadGroup;
    }
    for (uint16_t i = 0; i < count; ++i) {
        ObjectHandle copy = 0;
        KernelStatus status = Model_CloneObject(Group_Member(group, i), &copy);
        if (status == kStatusOk) {
            status = Group_Add(copies, copy);
        }
        if (status != kStatusOk) {
            Group_Free(copies);
            return status;
        }
    }
    if (out != nullptr) {
        *out = copies;
    } else {
        Group_Free(copies);
    }
    return kStatusOk;
}

// ---- Recent objects ----

namespace {

using RecentArray = std::array<ObjectHandle, 8>;

bool ReadRecent(ObjectHandle list, RecentArray* entries)
{
    return list != 0 && Model_GetField(list, Field::kRecent, entries->data()) == kStatusOk;
}

void WriteRecent(ObjectHandle list, const RecentArray& entries)
{
    Model_SetField(list, Field::kRecent, entries.data());
}

// Removes every entry equal to the object, closing the gaps.
void Drop(RecentArray* entries, ObjectHandle object)
{
    auto end = std::remove(entries->begin(), entries->end(), object);
    std::fill(end, entries->end(), 0);
}

int LastUsed(const RecentArray& entries)
{
    for (int i = 7; i >= 0; --i) {
        if (entries[i] != 0) {
            return i;
        }
    }
    return -1;
}

}  // namespace

KernelStatus Model_PushRecent(ObjectHandle object)
{
    ObjectHandle list = Model_GetList(object);
    RecentArray entries{};
    if (!ReadRecent(list, &entries)) {
        return kStatusFailed;
    }
    Drop(&entries, object);
    Drop(&entries, 0);
    auto free = std::find(entries.begin(), entries.end(), 0u);
    if (free == entries.end()) {
        std::rotate(entries.begin(), entries.begin() + 1, entries.end());
        entries[7] = object;
    } else {
        *free = object;
    }
    WriteRecent(list, entries);
    return kStatusOk;
}

KernelStatus Model_RemoveRecent(ObjectHandle object)
{
    ObjectHandle list = Model_GetList(object);
    RecentArray entries{};
    if (!ReadRecent(list, &entries)) {
        return kStatusFailed;
    }
    Drop(&entries, object);
    Drop(&entries, 0);
    WriteRecent(list, entries);
    return kStatusOk;
}

KernelStatus Model_RemoveRecentGroup(GroupNumber group)
{
    for (uint16_t i = 0; i < Group_Count(group); ++i) {
        Model_RemoveRecent(Group_Member(group, i));
    }
    return kStatusOk;
}

ObjectHandle Model_GetRecent(ObjectHandle object)
{
    RecentArray entries{};
    if (!ReadRecent(Model_GetList(object), &entries)) {
        return 0;
    }
    int last = LastUsed(entries);
    return last >= 0 ? entries[last] : 0;
}

KernelStatus Model_GetRecentPair(ObjectHandle object, ObjectHandle* previous, ObjectHandle* recent)
{
    RecentArray entries{};
    if (!ReadRecent(Model_GetList(object), &entries)) {
        return kStatusFailed;
    }
    int last = LastUsed(entries);
    if (recent != nullptr) {
        *recent = last >= 0 ? entries[last] : 0;
    }
    if (previous != nullptr) {
        *previous = last >= 1 ? entries[last - 1] : 0;
    }
    return kStatusOk;
}

ObjectHandle Model_PopRecent(ObjectHandle object)
{
    ObjectHandle list = Model_GetList(object);
    RecentArray entries{};
    if (!ReadRecent(list, &entries)) {
        return 0;
    }
    int last = LastUsed(entries);
    if (last < 0) {
        return 0;
    }
    ObjectHandle recent = entries[last];
    entries[last] = 0;
    WriteRecent(list, entries);
    return recent;
}

KernelStatus Model_ClearRecent(ObjectHandle object)
{
    ObjectHandle list = Model_GetList(object);
    if (list == 0) {
        return kStatusFailed;
    }
    WriteRecent(list, RecentArray{});
    return kStatusOk;
}

// ---- Code conversion ----

namespace {

struct CodePair {
    int32_t left;
    int32_t right;
};

constexpr CodePair kShapeCodes[] = {{1, 1}, {2, 2}, {3, 5}, {4, 7}, {5, 8}, {6, 4},
                                    {7, 13}, {1, 12}, {20, 9}, {21, 10}, {22, 11}};
constexpr CodePair kTable1[] = {{4, 4}, {2, 6}, {1, 7}, {4, 4}, {8, 1}, {16, 8}, {512, 10}};
constexpr CodePair kTable3[] = {{4, 4}, {21, 3}, {22, 1}, {20, 5}, {3, 3}, {2, 5}, {0, 3}, {1, 3}};
constexpr CodePair kTable5[] = {{-1, 0}, {0, 1}, {1, 2}};
constexpr CodePair kTable8[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {8, 0}, {9, 1}, {10, 2}, {11, 3}};

template <size_t N>
int32_t ByPairs(const CodePair (&pairs)[N], int32_t code, uint32_t direction)
{
    for (const CodePair& pair : pairs) {
        if (direction == 1 && pair.left == code) {
            return pair.right;
        }
        if (direction != 1 && pair.right == code) {
            return pair.left;
        }
    }
    return code;
}

int32_t LineCode(int32_t code, uint32_t direction)
{
    if (direction == 1) {
        switch (code) {
        case 0: case 13: case 20:
            return 7;
        case 1: case 2: case 5: case 7:
            return 0;
        default:
            return 3;
        }
    }
    switch (code) {
    case 1: return 31;
    case 2: return 28;
    case 3: return 26;
    case 4: return 19;
    case 7: return 0;
    default: return 1;
    }
}

}  // namespace

int32_t Model_ConvertCode(int32_t code, uint32_t table, uint32_t direction)
{
    switch (table) {
    case 0:
        return ByPairs(kShapeCodes, code, direction);
    case 1:
        return ByPairs(kTable1, code, direction);
    case 2: {
        auto bits = static_cast<uint32_t>(code);
        if ((bits & 7) == 7) {
            bits |= 0x03000000;
        }
        if ((bits & 4) != 0) {
            bits |= 1;
        }
        return static_cast<int32_t>(bits);
    }
    case 3:
        return ByPairs(kTable3, code, direction);
    case 4:
        return direction == 1 ? static_cast<int32_t>(static_cast<uint32_t>(code) << 1) : code >> 1;
    case 5:
        return ByPairs(kTable5, code, direction);
    case 6:
    case 7:
        return LineCode(code, direction);
    case 8: {
        auto bits = static_cast<uint32_t>(code);
        int32_t low = ByPairs(kTable8, static_cast<int32_t>(bits & 0xff), direction);
        return static_cast<int32_t>((bits & ~0xffu) | (static_cast<uint32_t>(low) & 0xff));
    }
    default:
        return code;
    }
}
