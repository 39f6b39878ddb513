// Object groups: the numbered group table and the operations on one group.
#include "xkv/group/Group.h"

#include <algorithm>
#include <memory>
#include <new>
#include <span>

#include "xkv/model/Model.h"

namespace {

struct GroupTable {
    bool exists = false;
    // Entry 0 is never a group; a null entry is unused.
    std::vector<std::unique_ptr<GroupBlock>> entries;
};

GroupTable& Table()
{
    static GroupTable table;
    return table;
}

GroupBlock* Find(GroupNumber group)
{
    GroupTable& table = Table();
    if (group == 0 || group >= table.entries.size()) {
        return nullptr;
    }
    return table.entries[group].get();
}

// Sets the capacity, keeping the members; false when memory runs out or the
// capacity would pass the 16-bit limit.
bool SetCapacity(GroupBlock& block, uint32_t capacity)
{
    if (capacity > kGroupMaxSize) {
        return false;
    }
    try {
        block.members.resize(capacity, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    block.capacity = static_cast<uint16_t>(capacity);
    return true;
}

void RemoveAt(GroupBlock& block, uint16_t index)
{
    std::copy(block.members.begin() + index + 1, block.members.begin() + block.count,
              block.members.begin() + index);
    block.count--;
    block.members[block.count] = 0;
}

std::span<ObjectHandle> Members(GroupBlock& block)
{
    return std::span<ObjectHandle>(block.members.data(), block.count);
}

// Keeps, in order, the members for which keep(member) holds.
template <typename Keep>
void KeepMembers(GroupBlock& block, Keep keep)
{
    uint16_t kept = 0;
    for (uint16_t i = 0; i < block.count; ++i) {
        ObjectHandle member = block.members[i];
        if (keep(member)) {
            block.members[kept++] = member;
        }
    }
    std::fill(block.members.begin() + kept, block.members.begin() + block.count, 0);
    block.count = kept;
}

}  // namespace

KernelStatus Group_CreateTable(uint16_t size)
{
    GroupTable& table = Table();
    if (table.exists) {
        return kStatusTableExists;
    }
    if (size == 0) {
        return kStatusBadContainerArgument;
    }
    try {
        table.entries.clear();
        table.entries.resize(size);
    } catch (const std::bad_alloc&) {
        return kStatusOutOfMemory;
    }
    table.exists = true;
    return kStatusOk;
}

KernelStatus Group_GrowTable(int32_t n)
{
    GroupTable& table = Table();
    if (!table.exists || n < 1) {
        return kStatusFailed;
    }
    // The table size is a 16-bit count: refuse to grow past it.
    if (table.entries.size() + static_cast<uint32_t>(n) > kGroupMaxSize) {
        return kStatusOutOfMemory;
    }
    try {
        table.entries.resize(table.entries.size() + static_cast<uint32_t>(n));
    } catch (const std::bad_alloc&) {
        return kStatusOutOfMemory;
    }
    return kStatusOk;
}

KernelStatus Group_DestroyTable()
{
    GroupTable& table = Table();
    table.entries.clear();
    table.entries.shrink_to_fit();
    table.exists = false;
    return kStatusOk;
}

uint32_t Group_TableSize()
{
    return static_cast<uint32_t>(Table().entries.size());
}

GroupNumber Group_FreeNumber()
{
    GroupTable& table = Table();
    if (!table.exists) {
        return 0;
    }
    for (size_t number = 1; number < table.entries.size(); ++number) {
        if (!table.entries[number]) {
            return static_cast<GroupNumber>(number);
        }
    }
    size_t first = table.entries.size();
    if (Group_GrowTable(kGroupTableGrowth) != kStatusOk) {
        return 0;
    }
    return static_cast<GroupNumber>(first);
}

KernelStatus Group_Lock(GroupNumber group, GroupBlock** out)
{
    GroupBlock* block = Find(group);
    if (out != nullptr) {
        *out = block;
    }
    return block != nullptr ? kStatusOk : kStatusBadGroup;
}

KernelStatus Group_Unlock(GroupNumber group)
{
    return Find(group) != nullptr ? kStatusOk : kStatusBadArgument;
}

GroupNumber Group_Create(uint16_t capacity)
{
    GroupNumber number = Group_FreeNumber();
    if (number == 0) {
        return 0;
    }
    auto block = std::unique_ptr<GroupBlock>(new (std::nothrow) GroupBlock);
    if (!block || !SetCapacity(*block, capacity == 0 ? 1 : capacity)) {
        return 0;
    }
    Table().entries[number] = std::move(block);
    return number;
}

GroupNumber Group_New()
{
    return Group_Create(kGroupDefaultCapacity);
}

GroupNumber Group_NewWith(ObjectHandle object)
{
    GroupNumber group = Group_Create(1);
    if (group != 0 && Group_Add(group, object) != kStatusOk) {
        Group_Free(group);
        return 0;
    }
    return group;
}

GroupNumber Group_Duplicate(GroupNumber group)
{
    GroupBlock* source = Find(group);
    if (source == nullptr) {
        return 0;
    }
    GroupNumber copy = Group_Create(source->count == 0 ? 1 : source->count);
    GroupBlock* block = Find(copy);
    if (block == nullptr) {
        return 0;
    }
    // The table may have grown: the source block itself does not move.
    std::copy_n(source->members.begin(), source->count, block->members.begin());
    block->count = source->count;
    return copy;
}

void Group_Free(GroupNumber group)
{
    if (Find(group) != nullptr) {
        Table().entries[group].reset();
    }
}

KernelStatus Group_Resize(GroupNumber group, int16_t delta)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    if (delta < 0 && block->capacity == 0) {
        return kStatusOk;
    }
    int32_t capacity = static_cast<int32_t>(block->capacity) + delta;
    capacity = std::max<int32_t>(capacity, block->count);
    if (static_cast<uint32_t>(capacity) > kGroupMaxSize) {
        return kStatusOutOfMemory;
    }
    return SetCapacity(*block, static_cast<uint32_t>(capacity)) ? kStatusOk : kStatusOutOfMemory;
}

KernelStatus Group_Grow(GroupNumber group)
{
    return Group_Resize(group, kGroupGrowth);
}

uint16_t Group_Capacity(GroupNumber group)
{
    GroupBlock* block = Find(group);
    return block != nullptr ? block->capacity : 0;
}

uint16_t Group_Count(GroupNumber group)
{
    GroupBlock* block = Find(group);
    return block != nullptr ? block->count : 0;
}

uint32_t Group_IsFull(GroupNumber group)
{
    GroupBlock* block = Find(group);
    return block == nullptr || block->count == block->capacity ? 1 : 0;
}

ObjectHandle Group_Member(GroupNumber group, uint16_t index)
{
    GroupBlock* block = Find(group);
    return block != nullptr && index < block->count ? block->members[index] : 0;
}

KernelStatus Group_SetMember(GroupNumber group, uint16_t index, ObjectHandle object)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    if (index < block->count) {
        block->members[index] = object;
    }
    return kStatusOk;
}

KernelStatus Group_IndexOf(GroupNumber group, ObjectHandle object, uint16_t* index)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    for (uint16_t i = block->count; i > 0; --i) {
        if (block->members[i - 1] == object) {
            if (index != nullptr) {
                *index = static_cast<uint16_t>(i - 1);
            }
            return kStatusOk;
        }
    }
    return kStatusNotFound;
}

uint32_t Group_Contains(GroupNumber group, ObjectHandle object)
{
    return Group_IndexOf(group, object, nullptr) == kStatusOk ? 1 : 0;
}

KernelStatus Group_Add(GroupNumber group, ObjectHandle object)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    if (Group_Contains(group, object)) {
        return kStatusOk;
    }
    if (block->count == block->capacity) {
        // Grow by 15, or by what is left below the 16-bit limit; a group at
        // the limit refuses the member.
        uint32_t room = kGroupMaxSize - block->capacity;
        if (room == 0) {
            return kStatusOutOfMemory;
        }
        KernelStatus status = Group_Resize(group, static_cast<int16_t>(std::min<uint32_t>(room, kGroupGrowth)));
        if (status != kStatusOk) {
            return status;
        }
    }
    block->members[block->count++] = object;
    return kStatusOk;
}

KernelStatus Group_AddTo(ObjectHandle object, void* group)
{
    if (group == nullptr) {
        return kStatusBadGroup;
    }
    return Group_Add(*static_cast<GroupNumber*>(group), object);
}

KernelStatus Group_Remove(GroupNumber group, ObjectHandle object)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    for (uint16_t i = 0; i < block->count; ++i) {
        if (block->members[i] == object) {
            RemoveAt(*block, i);
            break;
        }
    }
    return kStatusOk;
}

KernelStatus Group_Clear(GroupNumber group)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    std::fill(block->members.begin(), block->members.end(), 0);
    block->count = 0;
    return kStatusOk;
}

namespace {

// Runs step(member) for a copy of the source's members (the source may be
// the destination itself); stops at the first failure.
template <typename Step>
KernelStatus ForSourceMembers(GroupNumber destination, GroupNumber source, Step step)
{
    GroupBlock* from = Find(source);
    if (from == nullptr || Find(destination) == nullptr) {
        return kStatusBadGroup;
    }
    std::vector<ObjectHandle> members;
    try {
        members.assign(from->members.begin(), from->members.begin() + from->count);
    } catch (const std::bad_alloc&) {
        return kStatusOutOfMemory;
    }
    for (ObjectHandle member : members) {
        KernelStatus status = step(member);
        if (status != kStatusOk) {
            return status;
        }
    }
    return kStatusOk;
}

}  // namespace

KernelStatus Group_Assign(GroupNumber destination, GroupNumber source)
{
    if (Find(source) == nullptr) {
        return kStatusBadGroup;
    }
    if (destination == source) {
        return kStatusOk;
    }
    KernelStatus status = Group_Clear(destination);
    if (status != kStatusOk) {
        return status;
    }
    return ForSourceMembers(destination, source,
                            [&](ObjectHandle member) { return Group_Add(destination, member); });
}

KernelStatus Group_Union(GroupNumber destination, GroupNumber source)
{
    return ForSourceMembers(destination, source,
                            [&](ObjectHandle member) { return Group_Add(destination, member); });
}

KernelStatus Group_Subtract(GroupNumber destination, GroupNumber source)
{
    return ForSourceMembers(destination, source,
                            [&](ObjectHandle member) { return Group_Remove(destination, member); });
}

KernelStatus Group_Toggle(GroupNumber destination, GroupNumber source)
{
    return ForSourceMembers(destination, source, [&](ObjectHandle member) {
        return Group_Contains(destination, member) ? Group_Remove(destination, member)
                                                   : Group_Add(destination, member);
    });
}

uint32_t Group_Equal(GroupNumber a, GroupNumber b)
{
    GroupBlock* first = Find(a);
    GroupBlock* second = Find(b);
    if (first == nullptr || second == nullptr || first->count != second->count) {
        return 0;
    }
    for (ObjectHandle member : Members(*first)) {
        if (!Group_Contains(b, member)) {
            return 0;
        }
    }
    return 1;
}

KernelStatus Group_Apply(GroupNumber group, GroupCallback callback, void* argument)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    for (uint16_t i = 0; i < block->count; ++i) {
        callback(block->members[i], argument);
    }
    return kStatusOk;
}

KernelStatus Group_ApplyPairs(GroupNumber a, GroupNumber b, GroupPairCallback callback, void* argument)
{
    GroupBlock* first = Find(a);
    GroupBlock* second = Find(b);
    if (first == nullptr || second == nullptr) {
        return kStatusBadGroup;
    }
    // The second group must hold at least as many members; never read past it.
    if (second->count < first->count) {
        return kStatusBadContainerArgument;
    }
    for (uint16_t i = 0; i < first->count; ++i) {
        callback(first->members[i], second->members[i], argument);
    }
    return kStatusOk;
}

KernelStatus Group_Filter(GroupNumber group, GroupPredicate predicate, void* argument)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    KeepMembers(*block, [&](ObjectHandle member) { return predicate(member, argument) != 0; });
    return kStatusOk;
}

KernelStatus Group_FilterByMask(GroupNumber group, uint32_t excludeMask, uint32_t includeMask)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    KeepMembers(*block, [&](ObjectHandle member) {
        return Model_MatchesTypeMask(member, includeMask) && !Model_MatchesTypeMask(member, excludeMask);
    });
    return kStatusOk;
}

KernelStatus Group_FilterByFlags(GroupNumber group, uint32_t bits)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    KeepMembers(*block, [&](ObjectHandle member) { return Model_FlagsClear(member, bits) != 0; });
    return kStatusOk;
}

KernelStatus Group_RemoveByField(GroupNumber group, uint32_t field, const void* buffer, uint32_t equal)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    uint16_t i = 0;
    while (i < block->count) {
        bool same = Model_FieldEquals(block->members[i], field, buffer) != 0;
        if (same == (equal != 0)) {
            block->count--;
            block->members[i] = block->members[block->count];
            block->members[block->count] = 0;
        } else {
            ++i;
        }
    }
    return kStatusOk;
}

KernelStatus Group_Sort(GroupNumber group, GroupCompare compare)
{
    GroupBlock* block = Find(group);
    if (block == nullptr) {
        return kStatusBadGroup;
    }
    std::span<ObjectHandle> members = Members(*block);
    std::stable_sort(members.begin(), members.end(),
                     [&](ObjectHandle a, ObjectHandle b) { return compare(a, b) < 0; });
    return kStatusOk;
}
