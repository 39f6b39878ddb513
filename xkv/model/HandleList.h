// Handle lists: growable double-ended arrays of non-zero 32-bit values
// (object or memory handles) whose header lives in the owner's storage.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

struct HandleList {
    uint16_t lastSlot;  // capacity - 1
    uint16_t first;     // first used index
    uint16_t end;       // one past the last used index
    uint16_t step;      // growth step
    uint32_t word1;     // kept for the owner
    uint32_t word2;
    MemHandle array;
    uint32_t* elements;  // the locked element array
};

// The element indices are 16-bit: a list never holds more slots than this.
inline constexpr uint32_t kListMaxSlots = UINT16_MAX;

using ListCallback = KernelStatus (*)(uint32_t element, void* argument);
using ListTest = uint32_t (*)(uint32_t element, void* argument);

KernelStatus List_Init(HandleList* list, uint16_t capacity, uint16_t step, uint32_t word1, uint32_t word2);
KernelStatus List_Append(HandleList* list, uint32_t value);
KernelStatus List_Prepend(HandleList* list, uint32_t value);
KernelStatus List_InsertBefore(HandleList* list, uint32_t value, uint32_t existing);
KernelStatus List_RemoveAll(HandleList* list, uint32_t value);
KernelStatus List_Filter(HandleList* list, ListTest test, ListCallback reject, void* argument);
KernelStatus List_Clear(HandleList* list, ListCallback callback, void* argument);
KernelStatus List_ClearFree(HandleList* list);
KernelStatus List_Destroy(HandleList* list, ListCallback callback, void* argument);
KernelStatus List_DestroyFree(HandleList* list);
uint32_t List_Count(const HandleList* list);
uint32_t List_IsEmpty(const HandleList* list);
uint32_t List_First(const HandleList* list);
uint32_t List_Last(const HandleList* list);
uint32_t List_PopFirst(HandleList* list);
uint32_t List_PopLast(HandleList* list);
uint32_t List_Member(const HandleList* list, uint32_t index);
KernelStatus List_IndexOf(const HandleList* list, uint32_t value, uint32_t* index);
uint32_t List_Contains(const HandleList* list, uint32_t value);
uint32_t List_Find(const HandleList* list, ListTest predicate, void* argument);
KernelStatus List_Apply(const HandleList* list, ListCallback callback, void* argument);
