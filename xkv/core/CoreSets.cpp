// Connector classification around a group of objects, the rebuild of an
// object after a change, box recomputation by shape kind, redraw requests,
// and the small helpers the other diagram operations share.
#include <cstring>

#include "xkv/core/CoreInternal.h"
#include "xkv/default/Default.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/ModelMap.h"
#include "xkv/text/TextObject.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"
#include "xkv/window/Window.h"

namespace core {

ScopedMap::~ScopedMap()
{
    if (map_ != 0) {
        ModelMap_Destroy(map_);
    }
}

KernelStatus ScopedMap::Create(uint32_t capacity)
{
    return ModelMap_Create(&map_, capacity == 0 ? 1 : capacity);
}

std::vector<ObjectHandle> Members(GroupNumber group)
{
    std::vector<ObjectHandle> members;
    uint16_t count = Group_Count(group);
    members.reserve(count);
    for (uint16_t i = 0; i < count; ++i) {
        members.push_back(Group_Member(group, i));
    }
    return members;
}

GroupNumber GroupOf(ObjectHandle object)
{
    return Group_NewWith(object);
}

KernelStatus ReadPropertyWords(uint32_t property, uint32_t* words, size_t count)
{
    std::memset(words, 0, count * sizeof(uint32_t));
    uint32_t size = Default_PropertySize(property);
    if (size == 0) {
        return kStatusNotFound;
    }
    std::vector<uint8_t> record(size);
    KernelStatus status = Default_Get(0, kDefaultLevelNew, property, record.data());
    if (status == kStatusOk) {
        std::memcpy(words, record.data(), std::min<size_t>(size, count * sizeof(uint32_t)));
    }
    return status;
}

CoarsenOptions ReadCoarsenOptions()
{
    uint32_t words[9];
    CoarsenOptions options;
    if (ReadPropertyWords(28, words, 9) == kStatusOk) {
        options.deleteBorderPartners = words[6] != 0;
        options.makeBorderNodes = words[7] != 0;
        options.hideConnectors = words[8] != 0;
    }
    return options;
}

KernelStatus ReplaceArrayField(ObjectHandle connector, FieldId field, PtArray array)
{
    MemHandle old = 0;
    KernelStatus status = Model_GetField(connector, field, &old);
    if (status != kStatusOk) {
        return status;
    }
    status = Model_SetField(connector, field, &array);
    if (status == kStatusOk && old != 0 && old != array) {
        PtArray_Free(old);
    }
    return status;
}

FixPoint CentreOf(const FixRect& r)
{
    return {static_cast<Fixed>((int64_t{r.left} + r.right) >> 1),
            static_cast<Fixed>((int64_t{r.top} + r.bottom) >> 1)};
}

KernelStatus RebuildResized(ObjectHandle object, const FixRect& oldBox)
{
    RebuildRequest request;
    request.kind = kRebuildResized;
    request.changed = object;
    request.oldBox = oldBox;
    return Core_RebuildAttachedConnectors(object, &request, 0);
}

}  // namespace core

using namespace core;

// ---- Connector sets ----

namespace {

constexpr uint16_t kEntryListStep = 12;

bool EndInside(ObjectHandle end, const std::vector<ObjectHandle>& members, uint32_t mask)
{
    if (end == 0) {
        return false;
    }
    if (mask != 0 && !Model_FlagsClear(end, mask)) {
        return false;
    }
    for (ObjectHandle member : members) {
        if (end == member || Model_IsDescendantOf(end, member)) {
            return true;
        }
    }
    return false;
}

KernelStatus CreateParts(ConnectorSets* sets)
{
    struct Part {
        uint8_t flag;
        GroupNumber* group;
    };
    for (Part part : {Part{kSetOuter, &sets->outer}, Part{kSetInner, &sets->inner},
                      Part{kSetOneEnd, &sets->oneEnd}, Part{kSetOneEndFlagged, &sets->oneEndFlagged}}) {
        *part.group = 0;
        if ((sets->flags & part.flag) != 0) {
            *part.group = Group_New();
            if (*part.group == 0) {
                return kStatusNoModelMap;
            }
        }
    }
    sets->entries = HandleList{};
    if ((sets->flags & kSetEntries) != 0 &&
        List_Init(&sets->entries, kEntryListStep, kEntryListStep, 0, 0) != kStatusOk) {
        return kStatusNoModelMap;
    }
    return kStatusOk;
}

KernelStatus AppendEntry(ConnectorSets* sets, const ConnectorSetEntry& entry)
{
    MemHandle block = 0;
    KernelStatus status = Mem_AllocCopy(&block, &entry, sizeof(entry));
    if (status != kStatusOk) {
        return status;
    }
    status = List_Append(&sets->entries, block);
    if (status != kStatusOk) {
        Mem_Free(block);
    }
    return status;
}

KernelStatus ClassifyOne(ObjectHandle connector, const std::vector<ObjectHandle>& members, uint32_t mask,
                         ConnectorSets* sets)
{
    ObjectHandle startObject = 0;
    ObjectHandle endObject = 0;
    Model_GetConnectorEnds(connector, &startObject, &endObject, 1);
    bool startInside = EndInside(startObject, members, mask);
    bool endInside = EndInside(endObject, members, mask);
    if (startInside && endInside) {
        return (sets->flags & kSetInner) != 0 ? Group_Add(sets->inner, connector) : kStatusOk;
    }
    if (!startInside && !endInside) {
        return kStatusOk;
    }
    ObjectHandle startBase = 0;
    ObjectHandle endBase = 0;
    Model_GetConnectorEnds(connector, &startBase, &endBase, 0);
    ObjectHandle insideBase = startInside ? startBase : endBase;
    ObjectHandle outsideBase = startInside ? endBase : startBase;
    if (Model_HasFlags(connector, kConnectorContinues)) {
        return (sets->flags & kSetOneEndFlagged) != 0 ? Group_Add(sets->oneEndFlagged, connector) : kStatusOk;
    }
    KernelStatus status = kStatusOk;
    if ((sets->flags & kSetOneEnd) != 0) {
        status = Group_Add(sets->oneEnd, connector);
    }
    if (status == kStatusOk && (sets->flags & kSetOuter) != 0 && outsideBase != 0) {
        status = Group_Add(sets->outer, outsideBase);
    }
    if (status == kStatusOk && (sets->flags & kSetEntries) != 0) {
        status = AppendEntry(sets, {connector, insideBase, outsideBase});
    }
    return status;
}

}  // namespace

KernelStatus Core_ClassifyConnectorsExcept(GroupNumber group, ConnectorSets* sets, uint32_t mask)
{
    if (sets == nullptr) {
        return kStatusNullHandle;
    }
    if (CreateParts(sets) != kStatusOk) {
        Core_FreeConnectorSets(sets);
        return kStatusNoModelMap;
    }
    std::vector<ObjectHandle> members = Members(group);
    if (members.empty()) {
        return kStatusOk;
    }
    ObjectHandle page = Model_GetPage(members.front());
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle connector = Model_GetFirstConnector(page); connector != 0 && guard-- > 0;
         connector = Model_GetNextSibling(connector)) {
        KernelStatus status = ClassifyOne(connector, members, mask, sets);
        if (status != kStatusOk) {
            return status;
        }
    }
    return kStatusOk;
}

KernelStatus Core_ClassifyConnectors(GroupNumber group, ConnectorSets* sets)
{
    return Core_ClassifyConnectorsExcept(group, sets, 0);
}

void Core_FreeConnectorSets(ConnectorSets* sets)
{
    if (sets == nullptr) {
        return;
    }
    for (GroupNumber* group : {&sets->outer, &sets->inner, &sets->oneEnd, &sets->oneEndFlagged}) {
        Group_Free(*group);
        *group = 0;
    }
    if ((sets->flags & kSetEntries) != 0 && sets->entries.array != 0) {
        List_DestroyFree(&sets->entries);
    }
    sets->entries = HandleList{};
}

ConnectorSetEntry Core_SetEntry(const ConnectorSets& sets, uint32_t index)
{
    ConnectorSetEntry entry{};
    MemHandle block = List_Member(&sets.entries, index);
    BlockLock<ConnectorSetEntry> locked(block);
    if (locked && locked.size() >= sizeof(ConnectorSetEntry)) {
        entry = *locked;
    }
    return entry;
}

// ---- Redraw requests ----

KernelStatus Core_RedrawObject(ObjectHandle object)
{
    return Window_RedrawObject(object, 0);
}

KernelStatus Core_DrawObjectNow(ObjectHandle object)
{
    return Window_DrawObjectNow(object, 0);
}

KernelStatus Core_RedrawGroup(GroupNumber group)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        Core_RedrawObject(member);
    }
    return kStatusOk;
}

KernelStatus Core_UpdateObject(ObjectHandle object)
{
    KernelStatus status = Core_RecomputeBox(object, 1);
    if (status == kStatusOk) {
        status = Core_RedrawObject(object);
    }
    return status;
}

// ---- Boxes ----

namespace {

void UniteArrayBounds(PtArray array, FixRect* box, bool* have)
{
    FixRect bounds{};
    if (array == 0 || PtArray_Count(array) == 0 || PtArray_Bounds(array, &bounds) != kStatusOk) {
        return;
    }
    if (*have) {
        Geom_RectUnion(box, bounds);
    } else {
        *box = bounds;
        *have = true;
    }
}

}  // namespace

KernelStatus Core_RecomputeBox(ObjectHandle object, uint32_t fitText)
{
    if (!Model_IsObject(object)) {
        return kStatusBadObjectHandle;
    }
    FixRect box = Box(object);
    bool have = false;
    switch (Kind(object)) {
    case 5:
    case 6:
        UniteArrayBounds(Model_GetFieldValue(object, Field::kShapeData), &box, &have);
        break;
    case 9:
    case 10:
    case 11:
        if (Model_IsConnector(object)) {
            UniteArrayBounds(Get<MemHandle>(object, Field::kPath), &box, &have);
            UniteArrayBounds(Get<MemHandle>(object, Field::kStartHead), &box, &have);
            UniteArrayBounds(Get<MemHandle>(object, Field::kEndHead), &box, &have);
        }
        break;
    case 13:
        UniteArrayBounds(Model_GetFieldValue(object, Field::kShapeData), &box, &have);
        if (have) {
            Put(object, Field::kBox, box);
            FixRect derived{};
            if (Model_GetBox(object, &derived) == kStatusOk) {
                box = derived;
            }
        }
        break;
    default:
        Geom_RectFromCenter(&box, Position(object), Width(object), Height(object));
        break;
    }
    KernelStatus status = Put(object, Field::kBox, box);
    if (status == kStatusOk && fitText != 0) {
        Text_FitToObject(object);
    }
    return status;
}

// ---- Rebuilding ----

namespace {

// Turns an elbow connector (kinds 10 and 11) into a plain one with the
// corner as an extra path point.
KernelStatus StraightenElbow(ObjectHandle connector)
{
    uint32_t kind = Kind(connector);
    ObjectHandle start = Model_GetFieldValue(connector, Field::kStartObject);
    ObjectHandle end = Model_GetFieldValue(connector, Field::kEndObject);
    FixPoint corner;
    if (kind == 10) {
        corner = {Position(start).x, Position(end).y};
    } else if (kind == 11) {
        corner = {Position(end).x, Position(start).y};
    } else {
        return kStatusUnknownField;
    }
    PtArray path = PtArray_Duplicate(Get<MemHandle>(connector, Field::kPath));
    if (path == 0) {
        return kStatusOutOfMemory;
    }
    KernelStatus status = PtArray_InsertAfter(path, 0, corner);
    if (status != kStatusOk) {
        PtArray_Free(path);
        return status;
    }
    status = ReplaceArrayField(connector, Field::kPath, path);
    if (status != kStatusOk) {
        PtArray_Free(path);
        return status;
    }
    Model_SetFieldValue(connector, Field::kShapeKind, 9);
    return Model_SetFieldValue(connector, Field::kCornerRadius, 0x320000);
}

KernelStatus ClipWithHook(ObjectHandle connector, RebuildRequest* request)
{
    bool centred = Model_GetFieldValue(connector, Field::kConnector66) != 0;
    bool hook = Hook_IsRegistered(10) != 0;
    if (hook && centred) {
        Hook_Fire(10, connector);
    }
    KernelStatus status = Core_ClipConnectorEnds(connector, request);
    if (status == kStatusOk && hook && !centred) {
        Hook_Fire(10, connector);
    }
    return status;
}

FixPoint EndsMidpoint(ObjectHandle connector)
{
    FixPoint a = Position(Model_GetFieldValue(connector, Field::kStartObject));
    FixPoint b = Position(Model_GetFieldValue(connector, Field::kEndObject));
    FixPoint mid;
    Geom_MidPoint(&mid, a, b);
    return mid;
}

// Moves the connector's regions by a displacement, keeping their sizes.
void MoveRegionsBy(ObjectHandle object, FixPoint from, FixPoint to)
{
    if (Model_GetFirstRegion(object) == 0 || from == to) {
        return;
    }
    AdjustRequest request;
    Core_InitAdjust(&request);
    request.flags = kAdjustDx | kAdjustDy;
    request.dx = Fix_Sub(to.x, from.x);
    request.dy = Fix_Sub(to.y, from.y);
    request.sx = kFixedOne;
    request.sy = kFixedOne;
    request.refX = from.x;
    request.refY = from.y;
    Core_AdjustRegions(object, &request);
}

// Centres the connector's text box on its box, keeping the text box's size.
void CentreTextBox(ObjectHandle connector)
{
    FixRect textBox = Get<FixRect>(connector, Field::kTextBox);
    FixPoint centre = CentreOf(Box(connector));
    Fixed halfWidth = static_cast<Fixed>((int64_t{textBox.right} - textBox.left) >> 1);
    Fixed halfHeight = static_cast<Fixed>((int64_t{textBox.bottom} - textBox.top) >> 1);
    FixRect centred{Fix_Sub(centre.x, halfWidth), Fix_Sub(centre.y, halfHeight), Fix_Add(centre.x, halfWidth),
                    Fix_Add(centre.y, halfHeight)};
    Put(connector, Field::kTextBox, centred);
}

KernelStatus RebuildConnector(ObjectHandle connector, RebuildRequest* request)
{
    Core_RedrawObject(connector);
    FixPoint oldPosition = Position(connector);
    KernelStatus status = kStatusOk;
    if (request->kind == kRebuildFull && Kind(connector) != 9) {
        status = StraightenElbow(connector);
    }
    if (status == kStatusOk) {
        status = ClipWithHook(connector, request);
    }
    if (status == kStatusOk) {
        status = Core_BuildArrowHeads(connector);
        if (status == kStatusNoArrowHead) {
            status = kStatusOk;
        }
    }
    if (status == kStatusOk) {
        status = Core_BuildCurve(connector);
    }
    if (status != kStatusOk) {
        return status;
    }
    FixPoint position = EndsMidpoint(connector);
    Put(connector, Field::kPosition, position);
    switch (request->kind) {
    case kRebuildGroupMoved:
    case kRebuildBothMoved:
    case kRebuildResized:
    case kRebuildReattached:
    case kRebuildPasted:
        MoveRegionsBy(connector, oldPosition, position);
        break;
    default:
        break;
    }
    status = Core_RecomputeBox(connector, 1);
    if (status == kStatusOk) {
        CentreTextBox(connector);
        Text_FitToObject(connector);
        Core_RedrawObject(connector);
    }
    return status;
}

}  // namespace

KernelStatus Core_RebuildObject(ObjectHandle object, RebuildRequest* request)
{
    if (!Model_IsObject(object)) {
        return kStatusBadObjectHandle;
    }
    RebuildRequest fallback;
    if (request == nullptr) {
        request = &fallback;
    }
    if (Model_IsConnector(object)) {
        return RebuildConnector(object, request);
    }
    Core_RedrawObject(object);
    KernelStatus status = Core_RecomputeBox(object, 1);
    Core_RedrawObject(object);
    return status;
}

KernelStatus Core_RebuildGroup(GroupNumber group, RebuildRequest* request)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        Core_RebuildObject(member, request);
    }
    return kStatusOk;
}

KernelStatus Core_RebuildAttachedConnectors(ObjectHandle object, RebuildRequest* request, uint32_t all)
{
    ScopedGroup group(GroupOf(object));
    if (!group) {
        return kStatusBadGroup;
    }
    ScopedSets sets(kSetInner | kSetOneEnd);
    KernelStatus status = Core_ClassifyConnectors(group.get(), sets.get());
    if (status != kStatusOk) {
        return status;
    }
    for (GroupNumber part : {sets->oneEnd, sets->inner}) {
        for (ObjectHandle connector : Members(part)) {
            if (all == 0 && Model_GetFieldValue(connector, Field::kStartObject) != object &&
                Model_GetFieldValue(connector, Field::kEndObject) != object) {
                continue;
            }
            Core_RebuildObject(connector, request);
        }
    }
    return kStatusOk;
}

KernelStatus Core_RebuildPageConnectors(ObjectHandle page)
{
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    if (Model_HasFlags(page, kFlagPageRebuilt)) {
        return kStatusOk;
    }
    ScopedGroup connectors;
    if (Core_ConnectorsOfPage(page, connectors.out()) != kStatusOk) {
        return kStatusBadGroup;
    }
    RebuildRequest request;
    request.kind = kRebuildFull;
    Core_RebuildGroup(connectors.get(), &request);
    return Model_SetFlags(page, kFlagPageRebuilt, 1);
}

KernelStatus Core_RebuildAfterAlign(GroupNumber group, uint32_t kind)
{
    ScopedSets sets(kSetInner | kSetOneEnd);
    KernelStatus status = Core_ClassifyConnectors(group, sets.get());
    if (status != kStatusOk) {
        return status;
    }
    RebuildRequest inner;
    inner.kind = kRebuildBothMoved;
    Core_RebuildGroup(sets->inner, &inner);
    RebuildRequest oneEnd;
    oneEnd.kind = kind;
    oneEnd.groupGiven = 1;
    oneEnd.group = group;
    Core_RebuildGroup(sets->oneEnd, &oneEnd);
    return kStatusOk;
}

namespace {

KernelStatus ChildrenOf(ObjectHandle list, GroupNumber* out)
{
    *out = Group_Create(kGroupDefaultCapacity);
    if (*out == 0) {
        return kStatusFailed;
    }
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle child = Model_GetFirstChild(list); child != 0 && guard-- > 0;
         child = Model_GetNextSibling(child)) {
        if (Group_Add(*out, child) != kStatusOk) {
            Group_Free(*out);
            *out = 0;
            return kStatusFailed;
        }
    }
    return kStatusOk;
}

}  // namespace

KernelStatus Core_NodesOfPage(ObjectHandle page, GroupNumber* out)
{
    return out != nullptr ? ChildrenOf(Model_GetNodeList(page), out) : kStatusNullHandle;
}

KernelStatus Core_ConnectorsOfPage(ObjectHandle page, GroupNumber* out)
{
    return out != nullptr ? ChildrenOf(Model_GetConnectorList(page), out) : kStatusNullHandle;
}

uint32_t Core_IsCrossPageConnector(ObjectHandle connector)
{
    if (!Model_IsConnector(connector) || !Model_HasFlags(connector, kConnectorContinues)) {
        return 0;
    }
    ObjectHandle start = Model_GetFieldValue(connector, Field::kStartObject);
    ObjectHandle end = Model_GetFieldValue(connector, Field::kEndObject);
    return Model_GetPage(start) != Model_GetPage(end) ? 1 : 0;
}
