// Kernel memory handles: relocatable, zero-filled memory blocks addressed by a
// 32-bit MemHandle, plus a few raw-memory helpers.
//
// A handle is a 32-bit number (so it fits the 32-bit words of kernel records);
// it names a slot of the process-wide block table. A freed or stale handle is
// refused with status 33 instead of touching memory. Locking is bookkeeping
// only: the data address stays valid until the block is reallocated or freed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xkv/types/Types.h"

// Called with the status (55) before an allocation failure is returned.
using MemErrorProc = void (*)(KernelStatus status);

// The largest block: block sizes are 32-bit words.
inline constexpr size_t kMemMaxBlockSize = UINT32_MAX;

KernelStatus Mem_Init(MemErrorProc errorProc, void* procArgument);

KernelStatus Mem_Alloc(MemHandle* out, size_t size);
KernelStatus Mem_Realloc(MemHandle* handle, size_t newSize);
KernelStatus Mem_Free(MemHandle handle);
KernelStatus Mem_Lock(MemHandle handle, void** out);
KernelStatus Mem_Unlock(MemHandle handle);
uint32_t Mem_Size(MemHandle handle);

KernelStatus Mem_AllocLocked(MemHandle* out, void** address, size_t size);
KernelStatus Mem_ReallocLocked(MemHandle* handle, void** address, size_t size);
KernelStatus Mem_AllocCopy(MemHandle* out, const void* source, size_t size);
KernelStatus Mem_Duplicate(MemHandle* out, MemHandle source);
KernelStatus Mem_Copy(MemHandle destination, MemHandle source, size_t n);
KernelStatus Mem_CopyOut(void* destination, MemHandle source);

KernelStatus Mem_Move(void* destination, const void* source, size_t n);
KernelStatus Mem_Fill(void* address, size_t n, uint8_t byte);
int Mem_Compare(const void* a, const void* b, size_t n);

KernelStatus Mem_RawAlloc(void** out, size_t size);
KernelStatus Mem_RawFree(void* address);

KernelStatus Mem_WriteReport(const char* path);

// Typed lock: the block's data as T. Blocks are aligned for any object type.
template <typename T>
KernelStatus Mem_LockAs(MemHandle handle, T** out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    void* address = nullptr;
    KernelStatus status = Mem_Lock(handle, &address);
    *out = static_cast<T*>(address);
    return status;
}
