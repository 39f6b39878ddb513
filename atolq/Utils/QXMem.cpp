// Heap-backed memory blocks for the net layer (see QXMem.h).
#include "atolq/Utils/QXMem.h"

#include <cstdlib>

void* QXMem_Alloc(uint32_t size)
{
    return std::calloc(1, size == 0 ? 1 : size);
}

void QXMem_Free(void* address)
{
    std::free(address);
}
