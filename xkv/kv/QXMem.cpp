// The QX memory table: one row per block handed out by QXMem_Alloc, holding
// its kernel handle, its address, the size asked for and an in-use flag.
#include "xkv/kv/QXMem.h"

#include <set>
#include <unordered_map>
#include <vector>

#include "xkv/kv/QXInternal.h"
#include "xkv/mem/Mem.h"

namespace {

constexpr size_t kTableGrowth = 1000;

struct QXMemEntry {
    MemHandle handle = 0;
    void* address = nullptr;
    uint32_t size = 0;
    uint32_t inUse = 0;
};

// Rows are taken lowest first; live rows are found by address through an
// index, so a freed row that still shows an address that a live block now
// has can never hide that block.
struct MemTable {
    std::vector<QXMemEntry> rows;
    std::set<size_t> freeRows;
    std::unordered_map<void*, size_t> liveRows;

    void Grow()
    {
        const size_t first = rows.size();
        rows.resize(first + kTableGrowth);
        for (size_t i = first; i < rows.size(); ++i) {
            freeRows.insert(freeRows.end(), i);
        }
    }

    size_t TakeRow()
    {
        if (freeRows.empty()) {
            Grow();
        }
        const size_t row = *freeRows.begin();
        freeRows.erase(freeRows.begin());
        return row;
    }

    QXMemEntry* Live(void* address)
    {
        auto it = liveRows.find(address);
        return it == liveRows.end() ? nullptr : &rows[it->second];
    }
};

MemTable& Table()
{
    static MemTable table;
    return table;
}

void* Unrecorded(KernelStatus status)
{
    QXStatus = status;
    return nullptr;
}

}  // namespace

void* QXMem_Alloc(uint32_t size)
{
    MemHandle handle = 0;
    void* address = nullptr;
    if (KernelStatus status = Mem_AllocLocked(&handle, &address, size); status != kStatusOk) {
        return Unrecorded(status);
    }
    MemTable& table = Table();
    const size_t row = table.TakeRow();
    table.rows[row] = QXMemEntry{handle, address, size, 1};
    table.liveRows[address] = row;
    return address;
}

void QXMem_Free(void* address)
{
    MemTable& table = Table();
    QXMemEntry* entry = table.Live(address);
    if (entry == nullptr) {
        QXStatus = kStatusBadArgument;
        return;
    }
    Mem_Unlock(entry->handle);
    Mem_Free(entry->handle);
    entry->inUse = 0;
    table.freeRows.insert(static_cast<size_t>(entry - table.rows.data()));
    table.liveRows.erase(address);
}

void* QXMem_Realloc(void* address, uint32_t size)
{
    MemTable& table = Table();
    QXMemEntry* entry = table.Live(address);
    if (entry == nullptr) {
        return Unrecorded(kStatusBadArgument);
    }
    MemHandle handle = entry->handle;
    void* moved = address;
    if (KernelStatus status = Mem_ReallocLocked(&handle, &moved, size); status != kStatusOk) {
        return Unrecorded(status);
    }
    const size_t row = static_cast<size_t>(entry - table.rows.data());
    entry->handle = handle;
    entry->address = moved;
    table.liveRows.erase(address);
    table.liveRows[moved] = row;
    return moved;
}

uint32_t QXMem_Copy(const void* source, void* destination, size_t count)
{
    if (KernelStatus status = Mem_Move(destination, source, count); status != kStatusOk) {
        return qx::Fail(status);
    }
    return 1;
}

uint32_t QXMem_Move(const void* source, void* destination, size_t count)
{
    return QXMem_Copy(source, destination, count);
}

uint32_t QXMem_Fill(void* address, size_t count, uint8_t byte)
{
    if (KernelStatus status = Mem_Fill(address, count, byte); status != kStatusOk) {
        return qx::Fail(status);
    }
    return 1;
}

int QXMem_Compare(const void* a, const void* b, size_t count)
{
    if (count != 0 && (a == nullptr || b == nullptr)) {
        qx::Fail(kStatusNullHandle);
        return 0;
    }
    return Mem_Compare(a, b, count);
}

MemHandle QXMem_NewHandle(uint32_t size)
{
    MemHandle handle = 0;
    if (KernelStatus status = Mem_Alloc(&handle, size); status != kStatusOk) {
        return qx::Fail(status);
    }
    return handle;
}

MemHandle QXMem_ResizeHandle(MemHandle handle, uint32_t size)
{
    if (KernelStatus status = Mem_Realloc(&handle, size); status != kStatusOk) {
        return qx::Fail(status);
    }
    return handle;
}

uint32_t QXMem_HandleSize(MemHandle handle)
{
    return Mem_Size(handle);
}

void* QXMem_LockHandle(MemHandle handle)
{
    void* address = nullptr;
    if (KernelStatus status = Mem_Lock(handle, &address); status != kStatusOk) {
        return Unrecorded(status);
    }
    return address;
}

uint32_t QXMem_UnlockHandle(MemHandle handle)
{
    if (KernelStatus status = Mem_Unlock(handle); status != kStatusOk) {
        return qx::Fail(status);
    }
    return 1;
}

uint32_t QXMem_FreeHandle(MemHandle handle)
{
    if (KernelStatus status = Mem_Free(handle); status != kStatusOk) {
        return qx::Fail(status);
    }
    return 1;
}
