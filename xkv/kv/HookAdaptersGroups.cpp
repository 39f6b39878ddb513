// Kernel hook adapters that convert kernel-side values: groups become object
// lists in QX memory blocks, point arrays become point blocks of at most 61
// points, shape kinds become interface shape codes, and records are locked
// for the call. Everything an adapter makes is freed after the call; when a
// conversion fails the application is not called.
#include "xkv/kv/HookAdaptersInternal.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/group/Group.h"
#include "xkv/item/Event.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/kvud/UserData.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/print/Print.h"

namespace {

constexpr int32_t kToKernel = 1;
constexpr int32_t kToInterface = 2;

uintptr_t Word(const void* address)
{
    return reinterpret_cast<uintptr_t>(address);
}

// A group as an object list, freed when it goes out of scope.
class HandleArray {
public:
    HandleArray() = default;
    HandleArray(const HandleArray&) = delete;
    HandleArray& operator=(const HandleArray&) = delete;
    ~HandleArray()
    {
        if (array_ != nullptr) {
            QXMem_Free(array_);
        }
    }
    // False when the block could not be had (status 55).
    bool From(GroupNumber group)
    {
        if (group == 0 || Group_Count(group) == 0) {
            return true;
        }
        return qx::GroupToList(group, &count_, &array_) != 0;
    }
    uintptr_t count() const { return count_; }
    uintptr_t array() const { return Word(array_); }

private:
    uint16_t count_ = 0;
    ObjectHandle* array_ = nullptr;
};

ObjectHandle BaseOf(ObjectHandle object)
{
    const ObjectHandle grand = Model_GetParent(Model_GetParent(object));
    return Model_IsPage(grand) ? object : grand;
}

// Three points of an arrow head as six Fixed words.
bool HeadWords(PtArray head, std::array<Fixed, 6>* words, FixPoint* mid)
{
    FixPoint p[3] = {};
    for (uint32_t i = 0; i < 3; ++i) {
        if (PtArray_GetPoint(head, i, &p[i]) != kStatusOk) {
            return false;
        }
    }
    *words = {p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y};
    *mid = {static_cast<Fixed>((int64_t{p[0].x} + p[2].x) / 2), static_cast<Fixed>((int64_t{p[0].y} + p[2].y) / 2)};
    return true;
}

// Copies the accumulated points into the arrow head.
void CopyAccumulatedInto(PtArray head)
{
    PtArray points = QXUtil_OpenPointArray();
    const uint16_t n = PtArray_Count(points);
    if (n <= 1 || PtArray_SetCount(head, n) != kStatusOk) {
        return;
    }
    for (uint16_t i = 0; i < n; ++i) {
        FixPoint p{};
        PtArray_GetPoint(points, i, &p);
        PtArray_SetPoint(head, i, p);
    }
}

}  // namespace

KernelStatus KV_CopyPointsOut(PtArray array, KVPointBlock* block)
{
    const uint16_t n = PtArray_Count(array);
    if (n > kKVPointBlockSize) {
        return kStatusFailed;
    }
    block->count = n;
    for (uint16_t i = 0; i < n; ++i) {
        if (KernelStatus s = PtArray_GetPoint(array, i, &block->points[i]); s != kStatusOk) {
            return s;
        }
    }
    return kStatusOk;
}

KernelStatus KV_CopyPointsBack(PtArray array, const KVPointBlock& block)
{
    // The application may have written any count: never more than the block holds.
    const uint16_t n = std::min<uint16_t>(block.count, kKVPointBlockSize);
    if (n != PtArray_Count(array)) {
        if (KernelStatus s = PtArray_SetCount(array, n); s != kStatusOk) {
            return s;
        }
    }
    for (uint16_t i = 0; i < n; ++i) {
        if (KernelStatus s = PtArray_SetPoint(array, i, block.points[i]); s != kStatusOk) {
            return s;
        }
    }
    return kStatusOk;
}

// Hook 8: (connector, object, end) becomes (connector, end is 1, object, base).
uintptr_t KV_AdaptReattach(uintptr_t connector, uintptr_t object, uintptr_t end, uintptr_t, uintptr_t, uintptr_t)
{
    const auto o = static_cast<ObjectHandle>(object);
    const uintptr_t words[] = {connector, end == 1 ? 1u : 0u, object, Model_GetBaseObject(o)};
    return Hook_CallApplication(8, words);
}

// Hook 2: the head's first three points as six words; the application may
// append the head's new points to the accumulator, which starts with the
// midpoint of the first and third points.
uintptr_t KV_AdaptArrowHead(uintptr_t end, uintptr_t style, uintptr_t headWord, uintptr_t, uintptr_t, uintptr_t)
{
    const auto head = static_cast<PtArray>(headWord);
    std::array<Fixed, 6> six{};
    FixPoint mid{};
    if (!HeadWords(head, &six, &mid)) {
        return 1;
    }
    if (QXUtil_OpenPoints(1) == 0 || QXUtil_AppendPoint(mid) == 0) {
        QXUtil_ClosePoints();
        return 0;
    }
    std::array<uintptr_t, 8> words = {static_cast<uint16_t>(end), static_cast<uint32_t>(style)};
    for (size_t i = 0; i < six.size(); ++i) {
        words[2 + i] = static_cast<uint32_t>(six[i]);
    }
    const uintptr_t result = Hook_CallApplication(2, words);
    if (result != 0) {
        CopyAccumulatedInto(head);
    }
    QXUtil_ClosePoints();
    return result;
}

// Hook 7: the connector and words of its property record, the shape kind as
// an interface shape code.
uintptr_t KV_AdaptConnectorRecord(uintptr_t connector, uintptr_t record, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    if (record == 0) {
        return 1;
    }
    uint32_t w[15] = {};
    std::memcpy(w, reinterpret_cast<const void*>(record), sizeof w);
    const auto shape = static_cast<uint32_t>(Model_ConvertCode(static_cast<int32_t>(w[8]), 0, kToInterface));
    const uintptr_t words[] = {connector, w[11], w[12], w[14], shape, w[9], w[10], w[13]};
    return Hook_CallApplication(7, words);
}

// Hook 9: the bases of both ends first, then the end and the two objects.
uintptr_t KV_AdaptConnectEnds(uintptr_t start, uintptr_t finish, uintptr_t end, uintptr_t, uintptr_t, uintptr_t)
{
    const uintptr_t words[] = {BaseOf(static_cast<ObjectHandle>(start)), BaseOf(static_cast<ObjectHandle>(finish)),
                               end, start, finish};
    return Hook_CallApplication(9, words);
}

// Hook 10: the connector's path as a point block whose end points are those
// of the attached objects; the application's changes become the new path.
uintptr_t KV_AdaptRebuildConnector(uintptr_t connectorWord, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto connector = static_cast<ObjectHandle>(connectorWord);
    const auto path = static_cast<PtArray>(Model_GetFieldValue(connector, Field::kPath));
    if (path == 0) {
        return 1;
    }
    PtArray copy = PtArray_Duplicate(path);
    KVPointBlock block;
    if (copy == 0 || KV_CopyPointsOut(copy, &block) != kStatusOk || block.count < 2) {
        if (copy != 0) {
            PtArray_Free(copy);
        }
        return 1;
    }
    const uint32_t centred = Model_GetFieldValue(connector, Field::kConnector66);
    FixPoint first{};
    FixPoint last{};
    bool ends = false;
    if (centred != 0) {
        ObjectHandle a = 0;
        ObjectHandle b = 0;
        ends = Model_GetConnectorEnds(connector, &a, &b, 1) == kStatusOk &&
               Model_GetField(a, Field::kPosition, &first) == kStatusOk &&
               Model_GetField(b, Field::kPosition, &last) == kStatusOk;
    } else {
        ends = Model_GetConnectorEndPoints(connector, &first, &last) == kStatusOk;
    }
    if (ends) {
        block.points[0] = first;
        block.points[block.count - 1] = last;
        Hook_CallApplication(10, std::array<uintptr_t, 3>{connectorWord, Word(&block.count), Word(block.points.data())});
        if (KV_CopyPointsBack(copy, block) == kStatusOk) {
            Core_SetConnectorPath(connector, copy);
        }
    }
    PtArray_Free(copy);
    return 1;
}

// Hooks 15, 24 and 30: each group as (array, count), in order.
uintptr_t KV_AdaptGroups(HookId hook, std::span<const uintptr_t> groups)
{
    std::array<HandleArray, 3> arrays;
    std::vector<uintptr_t> words;
    for (size_t i = 0; i < groups.size() && i < arrays.size(); ++i) {
        if (!arrays[i].From(static_cast<GroupNumber>(groups[i]))) {
            return 1;
        }
        words.push_back(arrays[i].array());
        words.push_back(arrays[i].count());
    }
    Hook_CallApplication(hook, words);
    return 1;
}

uintptr_t KV_AdaptDuplicated(uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t, uintptr_t, uintptr_t)
{
    return KV_AdaptGroups(15, std::array<uintptr_t, 3>{a, b, c});
}

uintptr_t KV_AdaptMoved(uintptr_t a, uintptr_t b, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return KV_AdaptGroups(24, std::array<uintptr_t, 2>{a, b});
}

uintptr_t KV_AdaptPasted(uintptr_t a, uintptr_t b, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return KV_AdaptGroups(30, std::array<uintptr_t, 2>{a, b});
}

// Hook 19: (object, owner, group) becomes (object, owner, count, array).
uintptr_t KV_AdaptOwnerGroup(uintptr_t object, uintptr_t owner, uintptr_t group, uintptr_t, uintptr_t, uintptr_t)
{
    HandleArray list;
    if (!list.From(static_cast<GroupNumber>(group))) {
        return 1;
    }
    return Hook_CallApplication(19, std::array<uintptr_t, 4>{object, owner, list.count(), list.array()});
}

// Hook 58: (region, group) becomes (region, count, array); 0 refuses.
uintptr_t KV_AdaptRegionGroup(uintptr_t region, uintptr_t group, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    HandleArray list;
    if (!list.From(static_cast<GroupNumber>(group))) {
        return 1;
    }
    return Hook_CallApplication(58, std::array<uintptr_t, 3>{region, list.count(), list.array()});
}

// Hook 35: once per member with its position and size.
uintptr_t KV_AdaptResized(uintptr_t group, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto g = static_cast<GroupNumber>(group);
    for (uint16_t i = 0, n = Group_Count(g); i < n; ++i) {
        const ObjectHandle member = Group_Member(g, i);
        FixPoint position{};
        Model_GetField(member, Field::kPosition, &position);
        const uintptr_t words[] = {member, static_cast<uint32_t>(position.x), static_cast<uint32_t>(position.y),
                                   Model_GetFieldValue(member, Field::kWidth),
                                   Model_GetFieldValue(member, Field::kHeight)};
        Hook_CallApplication(35, words);
    }
    return 1;
}

// Hook 29: the menu item bound to the current request.
uintptr_t KV_AdaptCurrentItem(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    int32_t detail = 0;
    Comm_GetInbox(nullptr, nullptr, &detail);
    int32_t menuId = 0;
    CommandId command = 0;
    if (Menu_FindItemByRequest(detail, &menuId, &command) != kStatusOk) {
        return 1;
    }
    return Hook_CallApplication(29, std::array<uintptr_t, 2>{static_cast<uint32_t>(menuId),
                                                              static_cast<uint32_t>(command)});
}

// Hook 45: page selection; a refusal with a page named posts a pick of it.
uintptr_t KV_AdaptPageSelect(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    int32_t pointer[5] = {};
    int32_t modifiers[4] = {};
    int32_t detail = 0;
    Comm_GetInbox(pointer, modifiers, &detail);
    int32_t menuId = 0;
    CommandId command = 0;
    if (Menu_FindItemByRequest(detail, &menuId, &command) != kStatusOk) {
        return 1;
    }
    uint32_t object = 0;
    const uintptr_t result = Hook_CallApplication(
        45, std::array<uintptr_t, 3>{static_cast<uint32_t>(menuId), static_cast<uint32_t>(command), Word(&object)});
    if (result == 0 && Print_IsActive() == 0) {
        const ObjectHandle page = Model_IsPage(object) ? object : 0;
        const PointerState state{pointer[0], pointer[1], static_cast<uint32_t>(pointer[2]),
                                 static_cast<uint32_t>(pointer[3]), static_cast<uint32_t>(pointer[4])};
        const Modifiers mods{static_cast<uint32_t>(modifiers[0]), static_cast<uint32_t>(modifiers[1]),
                             static_cast<uint32_t>(modifiers[2]), static_cast<uint32_t>(modifiers[3])};
        if (MemHandle event = Event_NewObjectPick(&state, &mods, page)) {
            Comm_PostEvent(event);
        }
    }
    return result;
}

// Hook 5: coarsening, with the groups of the prepared record and, for each
// connector touching the group, whether it starts inside and its ends.
uintptr_t KV_AdaptCoarsen(uintptr_t word, uintptr_t group, uintptr_t record, uintptr_t shapeAddress, uintptr_t,
                          uintptr_t)
{
    auto* sets = static_cast<ConnectorSets*>(QXMem_LockHandle(static_cast<MemHandle>(record)));
    if (sets == nullptr) {
        return 0;
    }
    uintptr_t result = 1;
    {
        std::array<HandleArray, 3> arrays;
        const GroupNumber groups[] = {static_cast<GroupNumber>(group), sets->inner, sets->oneEnd};
        bool made = true;
        for (size_t i = 0; i < arrays.size(); ++i) {
            made = made && arrays[i].From(groups[i]);
        }
        const uint16_t n = sets->oneEnd != 0 ? Group_Count(sets->oneEnd) : 0;
        auto* inside = n > 0 ? static_cast<uint32_t*>(QXMem_Alloc(n * 4u)) : nullptr;
        auto* outer = n > 0 ? static_cast<uint32_t*>(QXMem_Alloc(n * 4u)) : nullptr;
        auto* inner = n > 0 ? static_cast<uint32_t*>(QXMem_Alloc(n * 4u)) : nullptr;
        made = made && (n == 0 || (inside != nullptr && outer != nullptr && inner != nullptr));
        if (made) {
            for (uint16_t i = 0; i < n; ++i) {
                const ObjectHandle connector = Group_Member(sets->oneEnd, i);
                const ObjectHandle startBase = Model_GetFieldValue(connector, Field::kStartBase);
                const ObjectHandle endBase = Model_GetFieldValue(connector, Field::kEndBase);
                const bool in = Group_Contains(groups[0], startBase) != 0;
                inside[i] = in ? 1 : 0;
                inner[i] = in ? startBase : endBase;
                outer[i] = in ? endBase : startBase;
            }
            auto* shape = reinterpret_cast<uint32_t*>(shapeAddress);
            if (shape != nullptr) {
                *shape = static_cast<uint32_t>(Model_ConvertCode(static_cast<int32_t>(*shape), 0, kToInterface));
            }
            const uintptr_t words[] = {word, arrays[0].count(), arrays[0].array(), arrays[1].count(),
                                       arrays[1].array(), arrays[2].count(), arrays[2].array(), Word(inside),
                                       Word(outer), Word(inner), shapeAddress};
            result = Hook_CallApplication(5, words);
            if (shape != nullptr) {
                *shape = static_cast<uint32_t>(Model_ConvertCode(static_cast<int32_t>(*shape), 0, kToKernel));
            }
        }
        for (uint32_t* block : {inside, outer, inner}) {
            if (block != nullptr) {
                QXMem_Free(block);
            }
        }
    }
    QXMem_UnlockHandle(static_cast<MemHandle>(record));
    return result;
}

// Hook 13: a deleted connector's six words and, seventh, its page, which the
// kernel's firing leaves out: the page of its start base.
uintptr_t KV_AdaptDeleteConnector(uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d, uintptr_t e, uintptr_t f)
{
    const ObjectHandle page = Model_GetPage(static_cast<ObjectHandle>(b));
    Hook_CallApplication(13, std::array<uintptr_t, 7>{a, b, c, d, e, f, page});
    return 1;
}

// Hook 46: fired with the address and count of nine words; the application
// gets the first three, the constant 1 and the other six.
uintptr_t KV_AdaptPrintRange(uintptr_t address, uintptr_t count, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    std::array<uintptr_t, 9> given{};
    const auto* source = reinterpret_cast<const uintptr_t*>(address);
    for (size_t i = 0; source != nullptr && i < std::min<size_t>(count, given.size()); ++i) {
        given[i] = source[i];
    }
    given[1] = static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int16_t>(given[1])));
    given[2] = static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int16_t>(given[2])));
    given[4] = static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int16_t>(given[4])));
    const std::array<uintptr_t, 10> words = {given[0], given[1], given[2], 1,        given[3],
                                             given[4], given[5], given[6], given[7], given[8]};
    return Hook_CallApplication(46, words);
}

// Hook 66: a property record locked for the call; for dialog 263 its shape
// kind reads as an interface shape code meanwhile.
uintptr_t KV_AdaptPropertyDialog(uintptr_t dialog, uintptr_t word, uintptr_t handle, uintptr_t, uintptr_t, uintptr_t)
{
    void* record = QXMem_LockHandle(static_cast<MemHandle>(handle));
    if (record == nullptr) {
        return 1;
    }
    const auto dialogId = static_cast<uint32_t>(dialog);
    const bool sized = QXMem_HandleSize(static_cast<MemHandle>(handle)) >= 9 * sizeof(int32_t);
    if (sized) {
        KV_ConvertRecordShape(0, dialogId, record, kToInterface);
    }
    Hook_CallApplication(66, std::array<uintptr_t, 3>{dialog, word, Word(record)});
    if (sized) {
        KV_ConvertRecordShape(0, dialogId, record, kToKernel);
    }
    QXMem_UnlockHandle(static_cast<MemHandle>(handle));
    return 1;
}

// Hook 73: a connector about to be made, its path through a point block.
uintptr_t KV_AdaptNewConnector(uintptr_t from, uintptr_t to, uintptr_t valueAddress, uintptr_t pathWord, uintptr_t,
                               uintptr_t)
{
    const auto path = static_cast<PtArray>(pathWord);
    KVPointBlock block;
    if (path == 0 || KV_CopyPointsOut(path, &block) != kStatusOk) {
        return 1;
    }
    auto* value = reinterpret_cast<uint32_t*>(valueAddress);
    uint32_t copy = value != nullptr ? *value : 0;
    const uintptr_t result = Hook_CallApplication(
        73, std::array<uintptr_t, 5>{from, to, Word(&copy), Word(&block.count), Word(block.points.data())});
    if (value != nullptr) {
        *value = copy;
    }
    KV_CopyPointsBack(path, block);
    return result;
}

// Hook 78: once per user-data field of an object just read.
uintptr_t KV_AdaptUserDataRead(uintptr_t map, uintptr_t objectWord, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto object = static_cast<ObjectHandle>(objectWord);
    uint32_t* tags = nullptr;
    uint32_t count = 0;
    if (UD_ListTags(object, &tags, &count) == 0) {
        return 1;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t scratch = 0;
        Hook_CallApplication(78, std::array<uintptr_t, 4>{map, objectWord, tags[i], Word(&scratch)});
    }
    if (tags != nullptr) {
        QXMem_Free(tags);
    }
    return 1;
}
