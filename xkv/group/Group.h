// Object groups: numbered, counted arrays of object handles, the kernel's one
// collection for selections, clipboards, search results and iteration.
#pragma once

#include <cstdint>
#include <vector>

#include "xkv/types/Types.h"

using GroupNumber = uint16_t;

inline constexpr uint16_t kGroupTableInitialSize = 40;
inline constexpr uint16_t kGroupTableGrowth = 20;
inline constexpr uint16_t kGroupDefaultCapacity = 20;
inline constexpr int16_t kGroupGrowth = 15;
// Capacities and the table size are 16-bit: growth past this is refused.
inline constexpr uint32_t kGroupMaxSize = UINT16_MAX;

// The storage of one group: members 0 to count - 1 are in use; the vector
// always holds capacity entries.
struct GroupBlock {
    uint16_t capacity = 0;
    uint16_t count = 0;
    std::vector<ObjectHandle> members;
};

using GroupCallback = KernelStatus (*)(ObjectHandle object, void* argument);
using GroupPairCallback = KernelStatus (*)(ObjectHandle a, ObjectHandle b, void* argument);
using GroupPredicate = uint32_t (*)(ObjectHandle object, void* argument);
using GroupCompare = int (*)(ObjectHandle a, ObjectHandle b);

// Table
KernelStatus Group_CreateTable(uint16_t size);
KernelStatus Group_GrowTable(int32_t n);
KernelStatus Group_DestroyTable();
uint32_t Group_TableSize();
GroupNumber Group_FreeNumber();
KernelStatus Group_Lock(GroupNumber group, GroupBlock** out);
KernelStatus Group_Unlock(GroupNumber group);

// Creation and release
GroupNumber Group_Create(uint16_t capacity);
GroupNumber Group_New();
GroupNumber Group_NewWith(ObjectHandle object);
GroupNumber Group_Duplicate(GroupNumber group);
void Group_Free(GroupNumber group);
KernelStatus Group_Resize(GroupNumber group, int16_t delta);
KernelStatus Group_Grow(GroupNumber group);
uint16_t Group_Capacity(GroupNumber group);

// Members
uint16_t Group_Count(GroupNumber group);
uint32_t Group_IsFull(GroupNumber group);
ObjectHandle Group_Member(GroupNumber group, uint16_t index);
KernelStatus Group_SetMember(GroupNumber group, uint16_t index, ObjectHandle object);
KernelStatus Group_IndexOf(GroupNumber group, ObjectHandle object, uint16_t* index);
uint32_t Group_Contains(GroupNumber group, ObjectHandle object);
KernelStatus Group_Add(GroupNumber group, ObjectHandle object);
KernelStatus Group_AddTo(ObjectHandle object, void* group);
KernelStatus Group_Remove(GroupNumber group, ObjectHandle object);
KernelStatus Group_Clear(GroupNumber group);

// Combination (destination, source)
KernelStatus Group_Assign(GroupNumber destination, GroupNumber source);
KernelStatus Group_Union(GroupNumber destination, GroupNumber source);
KernelStatus Group_Subtract(GroupNumber destination, GroupNumber source);
KernelStatus Group_Toggle(GroupNumber destination, GroupNumber source);
uint32_t Group_Equal(GroupNumber a, GroupNumber b);

// Iteration and filtering
KernelStatus Group_Apply(GroupNumber group, GroupCallback callback, void* argument);
KernelStatus Group_ApplyPairs(GroupNumber a, GroupNumber b, GroupPairCallback callback, void* argument);
KernelStatus Group_Filter(GroupNumber group, GroupPredicate predicate, void* argument);
KernelStatus Group_FilterByMask(GroupNumber group, uint32_t excludeMask, uint32_t includeMask);
KernelStatus Group_FilterByFlags(GroupNumber group, uint32_t bits);
KernelStatus Group_RemoveByField(GroupNumber group, uint32_t field, const void* buffer, uint32_t equal);
KernelStatus Group_Sort(GroupNumber group, GroupCompare compare);
