// The kernel's memory blocks as the net layer uses them: zero-filled blocks
// with stable addresses, given back by address.
//
// Until the kernel's programming interface is linked in, these are served from
// the C heap (QXMem.cpp); the net layer calls nothing else for its blocks.
#pragma once

#include <cstdint>

// A new zero-filled block of size bytes; 0 when no memory is left.
void* QXMem_Alloc(uint32_t size);

// Gives a block from QXMem_Alloc back; a null address does nothing.
void QXMem_Free(void* address);
