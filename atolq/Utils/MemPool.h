// Pools of fixed-size, zeroed cells that are recycled through a free list.
// There is at most one pool per (rounded) cell size and at most kMaxMemPools
// pools; pools live until the program ends.
#pragma once

#include <cstdint>

struct MemPool {
    void* freeList;     // free cells; each free cell's first word links to the next
    uint16_t cellSize;  // the requested size rounded up to a multiple of 4
};

// Room for one pool per abstract-net record kind and the list manager's three,
// even when no two of them have the same size.
inline constexpr uint16_t kMaxMemPools = 32;

// Nothing to set up; kept as the start of the pools' use.
void MemMgrInit();

// The pool for cells of the given size (rounded up to a multiple of 4): the
// registered one of that size, or a new empty one. Size 0 gives 0.
MemPool* MemMgrNewPool(uint16_t cellSize);

// A zeroed cell of the pool, recycled from its free list or newly allocated.
// An unknown pool or exhausted memory is fatal.
void* MemMgrAlloc(MemPool* pool);

// Puts the cell on the pool's free list: 1, or 0 (cell untouched) when the
// pool is not a registered one or the cell is null.
int MemMgrFree(MemPool* pool, void* cell);

// Gives every free cell of every pool back to the system; the pools stay.
void MemMgrFreeAll();

// Nonzero when the pointer is not null.
int MemMgrValid(const void* pointer);
