// QX memory blocks: zero-filled kernel blocks locked for good and found again
// from their bare address through the QX memory table, and the direct
// entries on the kernel's relocatable blocks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xkv/types/Types.h"

// A new zero-filled block; 0 with QXStatus set when none can be had.
void* QXMem_Alloc(uint32_t size);
// Gives a block back; status 6 for an address that is not a live block.
void QXMem_Free(void* address);
// The block's new address (it may move); 0 with QXStatus set on failure.
void* QXMem_Realloc(void* address, uint32_t size);

uint32_t QXMem_Copy(const void* source, void* destination, size_t count);
uint32_t QXMem_Move(const void* source, void* destination, size_t count);
uint32_t QXMem_Fill(void* address, size_t count, uint8_t byte);
int QXMem_Compare(const void* a, const void* b, size_t count);

// The kernel's relocatable blocks; never to be given to QXMem_Free.
MemHandle QXMem_NewHandle(uint32_t size);
MemHandle QXMem_ResizeHandle(MemHandle handle, uint32_t size);
uint32_t QXMem_HandleSize(MemHandle handle);
void* QXMem_LockHandle(MemHandle handle);
uint32_t QXMem_UnlockHandle(MemHandle handle);
uint32_t QXMem_FreeHandle(MemHandle handle);
