// Sorting and searching of command tables. The key of a row is the unsigned
// 32-bit sum state * 2^20 + class * 2^10 + detail; rows compare by the sign of
// the difference of their keys.
#include "xkv/comm/CommTable.h"

#include <algorithm>

namespace {

bool KeyLess(uint32_t a, uint32_t b)
{
    return static_cast<int32_t>(a - b) < 0;
}

uint32_t FullKey(const CommandBinding& row)
{
    return Comm_RowKey(row.state, row.eventClass, row.detail);
}

// The rows that take part in searches: the end row is kept out.
size_t SearchedRows(const CommandBinding* table, size_t rowCount)
{
    size_t n = 0;
    while (n < rowCount && table[n].state != kCommStateTableEnd) {
        ++n;
    }
    return n;
}

}  // namespace

uint32_t Comm_RowKey(int32_t state, int32_t eventClass, int32_t detail)
{
    return (static_cast<uint32_t>(state) << 20) + (static_cast<uint32_t>(eventClass) << 10) +
           static_cast<uint32_t>(detail);
}

uint32_t Comm_ClassKey(int32_t state, int32_t eventClass)
{
    return Comm_RowKey(state, eventClass, 0);
}

KernelStatus Comm_SortTable(CommandBinding* table, size_t rowCount)
{
    if (table == nullptr) {
        return 6;
    }
    std::stable_sort(table, table + rowCount,
                     [](const CommandBinding& a, const CommandBinding& b) { return KeyLess(FullKey(a), FullKey(b)); });
    return 0;
}

// Exact: the row whose full key equals the key row's. Class key: the first row
// of the key's state and class whose detail lies below 1024, found from the
// class key onwards, so rows whose large details sort them elsewhere cannot
// hide it.
const CommandBinding* Comm_SearchTable(const CommandBinding* table, size_t rowCount, const CommandBinding& key,
                                       uint32_t exact)
{
    if (table == nullptr) {
        return nullptr;
    }
    const size_t n = SearchedRows(table, rowCount);
    const uint32_t target = exact != 0 ? FullKey(key) : Comm_ClassKey(key.state, key.eventClass);
    const CommandBinding* end = table + n;
    const CommandBinding* found = std::lower_bound(
        table, end, target, [](const CommandBinding& row, uint32_t value) { return KeyLess(FullKey(row), value); });
    if (found == end) {
        return nullptr;
    }
    if (exact != 0) {
        return FullKey(*found) == target ? found : nullptr;
    }
    return found->state == key.state && found->eventClass == key.eventClass ? found : nullptr;
}

const CommandBinding* Comm_LookupKeyIn(const CommandBinding* table, size_t rowCount, int32_t state,
                                       const CommEventKey& key)
{
    auto exact = [&](int32_t rowState, int32_t detail) {
        CommandBinding probe{rowState, key.eventClass, detail, nullptr, 0, 0, 0, 0};
        return Comm_SearchTable(table, rowCount, probe, 1);
    };
    const CommandBinding* row = nullptr;
    switch (key.eventClass) {
    case kEventClassCommand:
        row = exact(state, key.detail);
        if (row == nullptr) {
            row = exact(state, kCommAnyCommand);
        }
        break;
    case kEventClassPick:
    case kEventClassItemCopy:
    case kEventClassObject:
    case kEventClassBox:
        row = exact(state, key.payloadKind);
        if (row == nullptr) {
            row = exact(state, kCommAnyPayload);
        }
        break;
    case kEventClassCancel:
    case kEventClassPair:
    case kEventClassDrag: {
        CommandBinding probe{state, key.eventClass, 0, nullptr, 0, 0, 0, 0};
        row = Comm_SearchTable(table, rowCount, probe, 0);
        break;
    }
    case kEventClassTimer:
        row = exact(state, key.detail);
        if (row == nullptr) {
            row = exact(state, kCommAnyTimer);
        }
        break;
    case kEventClassDialog:
        row = exact(state, key.detail);
        if (row == nullptr) {
            row = exact(state, kCommAnyDialog);
        }
        break;
    default:
        break;
    }
    if (row == nullptr) {
        row = exact(kCommStateLastResort, key.payloadKind);
    }
    return row;
}

const CommandBinding* Comm_LookupKey(int32_t state, const CommEventKey& key)
{
    std::span<CommandBinding> staticTable = Comm_StaticTable();
    const CommandBinding* row = Comm_LookupKeyIn(staticTable.data(), staticTable.size(), state, key);
    if (row == nullptr) {
        std::span<CommandBinding> base = Comm_BaseTable();
        row = Comm_LookupKeyIn(base.data(), base.size(), kCommStateLastResort, key);
    }
    return row;
}
