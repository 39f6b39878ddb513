// Kernel memory handles: the block table behind MemHandle and the raw-memory
// helpers.
#include "xkv/mem/Mem.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// A handle is (generation << 24) | slot index. The generation changes every
// time a slot is released, so an old handle to a reused slot is refused.
constexpr uint32_t kIndexBits = 24;
constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;
constexpr uint32_t kMaxSlots = kIndexMask + 1;
constexpr uint32_t kNoSlot = UINT32_MAX;

struct Slot {
    void* data = nullptr;  // nullptr when the slot is free
    uint32_t size = 0;
    uint32_t nextFree = kNoSlot;
    uint8_t generation = 1;  // never 0, so no handle is 0
};

struct MemState {
    bool initialised = false;
    uint32_t liveBlocks = 0;
    uint64_t liveBytes = 0;
    MemErrorProc errorProc = nullptr;
    void* procArgument = nullptr;
    std::vector<Slot> slots;
    // Free slots, chained through nextFree and reused oldest first, so that
    // a stale handle is unlikely to meet its slot again soon.
    uint32_t freeHead = kNoSlot;
    uint32_t freeTail = kNoSlot;
};

MemState& State()
{
    static MemState state;
    return state;
}

MemHandle MakeHandle(uint32_t index, uint8_t generation)
{
    return (static_cast<uint32_t>(generation) << kIndexBits) | index;
}

Slot* FindSlot(MemHandle handle)
{
    if (handle == 0) {
        return nullptr;
    }
    MemState& state = State();
    uint32_t index = handle & kIndexMask;
    if (index >= state.slots.size()) {
        return nullptr;
    }
    Slot& slot = state.slots[index];
    if (slot.data == nullptr || slot.generation != (handle >> kIndexBits)) {
        return nullptr;
    }
    return &slot;
}

KernelStatus ReportOutOfMemory()
{
    if (State().errorProc != nullptr) {
        State().errorProc(kStatusOutOfMemory);
    }
    return kStatusOutOfMemory;
}

// Zero-filled storage; at least one byte so that an empty block has an address.
void* AllocZeroed(size_t size)
{
    return std::calloc(size == 0 ? 1 : size, 1);
}

bool TakeFreeSlot(uint32_t* index)
{
    MemState& state = State();
    if (state.freeHead != kNoSlot) {
        *index = state.freeHead;
        state.freeHead = state.slots[*index].nextFree;
        if (state.freeHead == kNoSlot) {
            state.freeTail = kNoSlot;
        }
        state.slots[*index].nextFree = kNoSlot;
        return true;
    }
    if (state.slots.size() >= kMaxSlots) {
        return false;
    }
    try {
        state.slots.emplace_back();
    } catch (const std::bad_alloc&) {
        return false;
    }
    *index = static_cast<uint32_t>(state.slots.size() - 1);
    return true;
}

void ReleaseSlot(Slot& slot, uint32_t index)
{
    MemState& state = State();
    slot.data = nullptr;
    slot.size = 0;
    slot.generation = slot.generation == 0xff ? 1 : slot.generation + 1;
    slot.nextFree = kNoSlot;
    if (state.freeTail == kNoSlot) {
        state.freeHead = index;
    } else {
        state.slots[state.freeTail].nextFree = index;
    }
    state.freeTail = index;
}

}  // namespace

KernelStatus Mem_Init(MemErrorProc errorProc, void* procArgument)
{
    MemState& state = State();
    if (state.initialised) {
        return 1;
    }
    state.initialised = true;
    state.liveBlocks = 0;
    state.liveBytes = 0;
    state.errorProc = errorProc;
    state.procArgument = procArgument;
    return kStatusOk;
}

KernelStatus Mem_Alloc(MemHandle* out, size_t size)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    if (size > kMemMaxBlockSize) {
        return ReportOutOfMemory();
    }
    void* data = AllocZeroed(size);
    uint32_t index = 0;
    if (data == nullptr || !TakeFreeSlot(&index)) {
        std::free(data);
        return ReportOutOfMemory();
    }
    MemState& state = State();
    Slot& slot = state.slots[index];
    slot.data = data;
    slot.size = static_cast<uint32_t>(size);
    state.liveBlocks++;
    state.liveBytes += size;
    *out = MakeHandle(index, slot.generation);
    return kStatusOk;
}

KernelStatus Mem_Realloc(MemHandle* handle, size_t newSize)
{
    if (handle == nullptr) {
        return kStatusNullHandle;
    }
    Slot* slot = FindSlot(*handle);
    if (slot == nullptr) {
        return kStatusNullHandle;
    }
    if (newSize > kMemMaxBlockSize) {
        return ReportOutOfMemory();
    }
    void* data = std::realloc(slot->data, newSize == 0 ? 1 : newSize);
    if (data == nullptr) {
        return ReportOutOfMemory();
    }
    if (newSize > slot->size) {
        std::memset(static_cast<char*>(data) + slot->size, 0, newSize - slot->size);
    }
    slot->data = data;
    slot->size = static_cast<uint32_t>(newSize);
    return kStatusOk;
}

KernelStatus Mem_Free(MemHandle handle)
{
    Slot* slot = FindSlot(handle);
    if (slot == nullptr) {
        return kStatusNullHandle;
    }
    MemState& state = State();
    std::free(slot->data);
    state.liveBlocks--;
    state.liveBytes -= slot->size;
    ReleaseSlot(*slot, handle & kIndexMask);
    return kStatusOk;
}

KernelStatus Mem_Lock(MemHandle handle, void** out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    Slot* slot = FindSlot(handle);
    if (slot == nullptr) {
        *out = nullptr;
        return kStatusNullHandle;
    }
    *out = slot->data;
    return kStatusOk;
}

KernelStatus Mem_Unlock(MemHandle handle)
{
    return FindSlot(handle) == nullptr ? kStatusNullHandle : kStatusOk;
}

uint32_t Mem_Size(MemHandle handle)
{
    Slot* slot = FindSlot(handle);
    return slot == nullptr ? 0 : slot->size;
}

KernelStatus Mem_AllocLocked(MemHandle* out, void** address, size_t size)
{
    KernelStatus status = Mem_Alloc(out, size);
    if (status != kStatusOk) {
        return status;
    }
    return Mem_Lock(*out, address);
}

KernelStatus Mem_ReallocLocked(MemHandle* handle, void** address, size_t size)
{
    if (handle == nullptr || address == nullptr) {
        return kStatusNullHandle;
    }
    if (*handle == 0) {
        return Mem_AllocLocked(handle, address, size);
    }
    if (*address != nullptr) {
        Mem_Unlock(*handle);
    }
    KernelStatus status = Mem_Realloc(handle, size);
    if (status != kStatusOk) {
        // The old block is still valid: hand its address back.
        Mem_Lock(*handle, address);
        return status;
    }
    return Mem_Lock(*handle, address);
}

KernelStatus Mem_AllocCopy(MemHandle* out, const void* source, size_t size)
{
    if (out == nullptr || (source == nullptr && size > 0)) {
        return kStatusNullHandle;
    }
    void* data = nullptr;
    KernelStatus status = Mem_AllocLocked(out, &data, size);
    if (status != kStatusOk) {
        return status;
    }
    if (size > 0) {
        std::memcpy(data, source, size);
    }
    return kStatusOk;
}

KernelStatus Mem_Duplicate(MemHandle* out, MemHandle source)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    Slot* slot = FindSlot(source);
    if (slot == nullptr) {
        return kStatusNullHandle;
    }
    if (slot->size == 0) {
        return kStatusBadArgument;
    }
    // Copy the size and address first: allocating may move the slot table.
    size_t size = slot->size;
    const void* data = slot->data;
    return Mem_AllocCopy(out, data, size);
}

KernelStatus Mem_Copy(MemHandle destination, MemHandle source, size_t n)
{
    Slot* to = FindSlot(destination);
    Slot* from = FindSlot(source);
    if (to == nullptr || from == nullptr) {
        return kStatusNullHandle;
    }
    size_t count = n;
    if (count > to->size) {
        count = to->size;
    }
    if (count > from->size) {
        count = from->size;
    }
    std::memmove(to->data, from->data, count);
    return kStatusOk;
}

KernelStatus Mem_CopyOut(void* destination, MemHandle source)
{
    if (destination == nullptr) {
        return kStatusNullHandle;
    }
    Slot* slot = FindSlot(source);
    if (slot == nullptr) {
        *static_cast<char*>(destination) = 0;
        return kStatusNullHandle;
    }
    std::memcpy(destination, slot->data, slot->size);
    return kStatusOk;
}

KernelStatus Mem_Move(void* destination, const void* source, size_t n)
{
    if (destination == nullptr || source == nullptr) {
        return kStatusNullHandle;
    }
    std::memmove(destination, source, n);
    return kStatusOk;
}

KernelStatus Mem_Fill(void* address, size_t n, uint8_t byte)
{
    if (address == nullptr) {
        return kStatusNullHandle;
    }
    std::memset(address, byte, n);
    return kStatusOk;
}

int Mem_Compare(const void* a, const void* b, size_t n)
{
    if (n == 0) {
        return 0;
    }
    return std::memcmp(a, b, n);
}

KernelStatus Mem_RawAlloc(void** out, size_t size)
{
    if (out == nullptr || size == 0) {
        return kStatusNullHandle;
    }
    void* data = size > kMemMaxBlockSize ? nullptr : std::calloc(size, 1);
    if (data == nullptr) {
        return ReportOutOfMemory();
    }
    *out = data;
    return kStatusOk;
}

KernelStatus Mem_RawFree(void* address)
{
    if (address == nullptr) {
        return kStatusNullHandle;
    }
    std::free(address);
    return kStatusOk;
}

KernelStatus Mem_WriteReport(const char* path)
{
    std::FILE* file = std::fopen(path != nullptr ? path : "memory.report", "w");
    if (file != nullptr) {
        std::fclose(file);
    }
    return kStatusOk;
}
