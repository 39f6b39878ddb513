// Handle lists: a double-ended array that grows at either end, moving its
// elements into free room at the other end before it reallocates.
#include "xkv/model/HandleList.h"

#include <algorithm>
#include <cstring>

#include "xkv/mem/Mem.h"

namespace {

constexpr uint16_t kDefaultStep = 12;

uint32_t Capacity(const HandleList& list)
{
    return uint32_t{list.lastSlot} + 1;
}

bool Usable(const HandleList* list)
{
    return list != nullptr && list->elements != nullptr;
}

// Moves the elements by n places (negative: towards the front); 15 when that
// would pass either end of the array.
KernelStatus MoveElements(HandleList& list, int32_t n)
{
    int64_t newFirst = int64_t{list.first} + n;
    int64_t newEnd = int64_t{list.end} + n;
    if (newFirst < 0 || newEnd > Capacity(list)) {
        return kStatusBadContainerArgument;
    }
    std::memmove(list.elements + newFirst, list.elements + list.first,
                 (list.end - list.first) * sizeof(uint32_t));
    list.first = static_cast<uint16_t>(newFirst);
    list.end = static_cast<uint16_t>(newEnd);
    return kStatusOk;
}

// Adds `more` slots at the back of the array; refused (15) past the 16-bit
// index range.
KernelStatus Enlarge(HandleList& list, uint32_t more)
{
    uint32_t capacity = Capacity(list) + more;
    if (capacity > kListMaxSlots) {
        return kStatusBadContainerArgument;
    }
    void* address = list.elements;
    KernelStatus status = Mem_ReallocLocked(&list.array, &address, capacity * sizeof(uint32_t));
    if (status != kStatusOk) {
        return status;
    }
    list.elements = static_cast<uint32_t*>(address);
    list.lastSlot = static_cast<uint16_t>(capacity - 1);
    return kStatusOk;
}

// Makes room behind the last element.
KernelStatus GrowBack(HandleList& list)
{
    if (list.end <= list.lastSlot) {
        return kStatusOk;
    }
    if (list.first <= list.step / 2) {
        KernelStatus status = Enlarge(list, list.step);
        // At the size limit, use what room is left at the front.
        if (status == kStatusBadContainerArgument && list.first > 0) {
            return MoveElements(list, -static_cast<int32_t>(list.first));
        }
        return status;
    }
    return MoveElements(list, -std::max<int32_t>(1, list.first / 2));
}

// Makes room before the first element.
KernelStatus GrowFront(HandleList& list)
{
    if (list.first > 0) {
        return kStatusOk;
    }
    uint32_t room = uint32_t{list.lastSlot} - list.end + 1;
    if (room <= list.step / 2u) {
        KernelStatus status = Enlarge(list, list.step);
        if (status == kStatusBadContainerArgument && room > 0) {
            return MoveElements(list, static_cast<int32_t>(room));
        }
        if (status != kStatusOk) {
            return status;
        }
        return MoveElements(list, std::max<int32_t>(1, list.step / 2));
    }
    return MoveElements(list, std::max<int32_t>(1, static_cast<int32_t>(room / 2)));
}

void ResetWhenEmpty(HandleList& list)
{
    if (list.first == list.end) {
        list.first = 0;
        list.end = 0;
    }
}

KernelStatus FreeElement(uint32_t element, void*)
{
    return Mem_Free(element);
}

}  // namespace

KernelStatus List_Init(HandleList* list, uint16_t capacity, uint16_t step, uint32_t word1, uint32_t word2)
{
    if (list == nullptr) {
        return kStatusOk;
    }
    *list = HandleList{};
    uint32_t slots = std::min<uint32_t>(capacity == 0 ? 1 : capacity, kListMaxSlots);
    void* address = nullptr;
    KernelStatus status = Mem_AllocLocked(&list->array, &address, slots * sizeof(uint32_t));
    if (status != kStatusOk) {
        *list = HandleList{};
        return status;
    }
    list->elements = static_cast<uint32_t*>(address);
    list->lastSlot = static_cast<uint16_t>(slots - 1);
    list->step = step == 0 ? kDefaultStep : step;
    list->word1 = word1;
    list->word2 = word2;
    return kStatusOk;
}

KernelStatus List_Append(HandleList* list, uint32_t value)
{
    if (value == 0) {
        return kStatusFailed;
    }
    if (!Usable(list)) {
        return kStatusNullHandle;
    }
    KernelStatus status = GrowBack(*list);
    if (status != kStatusOk) {
        return status;
    }
    list->elements[list->end++] = value;
    return kStatusOk;
}

KernelStatus List_Prepend(HandleList* list, uint32_t value)
{
    if (value == 0) {
        return kStatusFailed;
    }
    if (!Usable(list)) {
        return kStatusNullHandle;
    }
    KernelStatus status = GrowFront(*list);
    if (status != kStatusOk) {
        return status;
    }
    list->elements[--list->first] = value;
    return kStatusOk;
}

KernelStatus List_InsertBefore(HandleList* list, uint32_t value, uint32_t existing)
{
    if (value == 0) {
        return kStatusFailed;
    }
    if (!Usable(list)) {
        return kStatusNullHandle;
    }
    KernelStatus status = GrowBack(*list);
    if (status != kStatusOk) {
        return status;
    }
    uint32_t index = 0;
    if (List_IndexOf(list, existing, &index) != kStatusOk) {
        return kStatusNotFound;
    }
    uint32_t at = list->first + index;
    std::memmove(list->elements + at + 1, list->elements + at, (list->end - at) * sizeof(uint32_t));
    list->elements[at] = value;
    list->end++;
    return kStatusOk;
}

KernelStatus List_RemoveAll(HandleList* list, uint32_t value)
{
    if (!Usable(list)) {
        return kStatusNullHandle;
    }
    uint32_t* begin = list->elements + list->first;
    uint32_t* kept = std::remove(begin, list->elements + list->end, value);
    list->end = static_cast<uint16_t>(kept - list->elements);
    ResetWhenEmpty(*list);
    return kStatusOk;
}

KernelStatus List_Filter(HandleList* list, ListTest test, ListCallback reject, void* argument)
{
    if (!Usable(list) || test == nullptr) {
        return kStatusNullHandle;
    }
    uint16_t kept = list->first;
    for (uint16_t i = list->first; i < list->end; ++i) {
        uint32_t element = list->elements[i];
        if (test(element, argument) != 0) {
            list->elements[kept++] = element;
        } else if (reject != nullptr) {
            reject(element, argument);
        }
    }
    list->end = kept;
    ResetWhenEmpty(*list);
    return kStatusOk;
}

KernelStatus List_Clear(HandleList* list, ListCallback callback, void* argument)
{
    if (!Usable(list)) {
        return kStatusNullHandle;
    }
    if (callback != nullptr) {
        for (uint16_t i = list->first; i < list->end; ++i) {
            callback(list->elements[i], argument);
        }
    }
    list->first = 0;
    list->end = 0;
    return kStatusOk;
}

KernelStatus List_ClearFree(HandleList* list)
{
    return List_Clear(list, FreeElement, nullptr);
}

KernelStatus List_Destroy(HandleList* list, ListCallback callback, void* argument)
{
    if (!Usable(list)) {
        return kStatusNullHandle;
    }
    List_Clear(list, callback, argument);
    Mem_Unlock(list->array);
    Mem_Free(list->array);
    list->array = 0;
    list->elements = nullptr;
    list->lastSlot = 0;
    list->first = 0;
    list->end = 0;
    return kStatusOk;
}

KernelStatus List_DestroyFree(HandleList* list)
{
    return List_Destroy(list, FreeElement, nullptr);
}

uint32_t List_Count(const HandleList* list)
{
    return Usable(list) ? list->end - list->first : 0;
}

uint32_t List_IsEmpty(const HandleList* list)
{
    return List_Count(list) == 0 ? 1 : 0;
}

uint32_t List_First(const HandleList* list)
{
    return List_Count(list) > 0 ? list->elements[list->first] : 0;
}

uint32_t List_Last(const HandleList* list)
{
    return List_Count(list) > 0 ? list->elements[list->end - 1] : 0;
}

uint32_t List_PopFirst(HandleList* list)
{
    if (List_Count(list) == 0) {
        return 0;
    }
    uint32_t value = list->elements[list->first++];
    ResetWhenEmpty(*list);
    return value;
}

uint32_t List_PopLast(HandleList* list)
{
    if (List_Count(list) == 0) {
        return 0;
    }
    uint32_t value = list->elements[--list->end];
    ResetWhenEmpty(*list);
    return value;
}

uint32_t List_Member(const HandleList* list, uint32_t index)
{
    return index < List_Count(list) ? list->elements[list->first + index] : 0;
}

KernelStatus List_IndexOf(const HandleList* list, uint32_t value, uint32_t* index)
{
    uint32_t count = List_Count(list);
    for (uint32_t i = 0; i < count; ++i) {
        if (list->elements[list->first + i] == value) {
            if (index != nullptr) {
                *index = i;
            }
            return kStatusOk;
        }
    }
    return kStatusNotFound;
}

uint32_t List_Contains(const HandleList* list, uint32_t value)
{
    return List_IndexOf(list, value, nullptr) == kStatusOk ? 1 : 0;
}

uint32_t List_Find(const HandleList* list, ListTest predicate, void* argument)
{
    uint32_t count = List_Count(list);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t element = list->elements[list->first + i];
        if (predicate(element, argument) != 0) {
            return element;
        }
    }
    return 0;
}

KernelStatus List_Apply(const HandleList* list, ListCallback callback, void* argument)
{
    uint32_t count = List_Count(list);
    for (uint32_t i = 0; i < count; ++i) {
        callback(list->elements[list->first + i], argument);
    }
    return kStatusOk;
}
