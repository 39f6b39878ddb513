// Pools of fixed-size, zeroed cells (see MemPool.h).
#include "atolq/Utils/MemPool.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "atolq/CEditor/ErrorReport.h"
#include "atolq/Utils/QXMem.h"

namespace {

std::array<MemPool*, kMaxMemPools> registeredPools{};
uint16_t registeredCount = 0;

// A free cell holds the link to the next free cell, so every cell is at least
// one pointer wide even when the pool's cell size is smaller.
size_t BlockSize(const MemPool* pool)
{
    return std::max<size_t>(pool->cellSize, sizeof(void*));
}

bool IsRegistered(const MemPool* pool)
{
    if (pool == nullptr)
        return false;
    auto end = registeredPools.begin() + registeredCount;
    return std::find(registeredPools.begin(), end, pool) != end;
}

MemPool* FindPool(uint16_t cellSize)
{
    for (uint16_t i = 0; i < registeredCount; ++i)
        if (registeredPools[i]->cellSize == cellSize)
            return registeredPools[i];
    return nullptr;
}

void*& NextFree(void* cell)
{
    return *static_cast<void**>(cell);
}

}  // namespace

void MemMgrInit() {}

MemPool* MemMgrNewPool(uint16_t cellSize)
{
    if (cellSize == 0)
        return nullptr;
    uint32_t rounded = (uint32_t{cellSize} + 3u) & ~3u;
    if (rounded > UINT16_MAX)
        return nullptr;
    if (MemPool* pool = FindPool(static_cast<uint16_t>(rounded)))
        return pool;
    if (registeredCount == kMaxMemPools) {
        EE_FatalError(kMsgOutOfMemory);
        return nullptr;
    }
    auto* pool = static_cast<MemPool*>(QXMem_Alloc(sizeof(MemPool)));
    if (pool == nullptr) {
        EE_FatalError(kMsgOutOfMemory);
        return nullptr;
    }
    pool->freeList = nullptr;
    pool->cellSize = static_cast<uint16_t>(rounded);
    registeredPools[registeredCount++] = pool;
    return pool;
}

void* MemMgrAlloc(MemPool* pool)
{
    if (!IsRegistered(pool)) {
        EE_FatalError(kMsgOutOfMemory);
        return nullptr;
    }
    if (void* cell = pool->freeList) {
        pool->freeList = NextFree(cell);
        std::memset(cell, 0, BlockSize(pool));
        return cell;
    }
    void* cell = QXMem_Alloc(static_cast<uint32_t>(BlockSize(pool)));
    if (cell == nullptr)
        EE_FatalError(kMsgOutOfMemory);
    return cell;
}

int MemMgrFree(MemPool* pool, void* cell)
{
    if (cell == nullptr || !IsRegistered(pool))
        return 0;
    NextFree(cell) = pool->freeList;
    pool->freeList = cell;
    return 1;
}

void MemMgrFreeAll()
{
    for (uint16_t i = 0; i < registeredCount; ++i) {
        MemPool* pool = registeredPools[i];
        while (void* cell = pool->freeList) {
            pool->freeList = NextFree(cell);
            QXMem_Free(cell);
        }
    }
}

int MemMgrValid(const void* pointer)
{
    return pointer != nullptr;
}
