// Memory for the net editor's strings and small buffers.
#pragma once

#include <cstdint>

// A zero-filled block of size bytes (1 for size 0), so its first byte is 0.
// Running out of memory is fatal. Give the block back with QXMem_Free.
char* GE_Alloc(uint32_t size);
