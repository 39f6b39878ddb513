// Keyboard accelerators: the default keys of the accelerator rows parsed into
// a sorted table of at most 200 entries, the labels of the menu items that
// have a key, and the key handler that picks an item as the mouse would.
#include <X11/Xlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <span>
#include <string_view>

#include "xkv/menu/Menu.h"
#include "xkv/menu/MenuInternal.h"

namespace {

// The longest key text that is read.
constexpr size_t kKeyTextMax = 80;

struct AccelTable {
    std::vector<AcceleratorEntry> entries;
    // Entries [0, sortedCount) are in key order; entries appended since the
    // last sort are not searched until the next sort.
    size_t sortedCount = 0;
    bool sorted = false;
};

AccelTable& Table()
{
    static AccelTable table;
    return table;
}

int32_t ModifierCode(const AccelKey& key)
{
    return (key.shift != 0 ? 1 : 0) + (key.control != 0 ? 2 : 0) + (key.alt != 0 ? 4 : 0) + (key.lock != 0 ? 8 : 0);
}

// KeySyms below 128 are compared with upper-case letters folded to lower case.
uint32_t FoldedKeysym(uint32_t keysym)
{
    if (keysym >= 'A' && keysym <= 'Z') {
        return keysym - 'A' + 'a';
    }
    return keysym;
}

bool KeyLess(const AcceleratorEntry& a, const AcceleratorEntry& b)
{
    return Accel_Compare(a.key, b.key) < 0;
}

// The first entry with the key in the sorted part, or null.
const AcceleratorEntry* FirstInSortedPart(const AccelKey& key)
{
    AccelTable& table = Table();
    const auto begin = table.entries.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(table.sortedCount);
    const AcceleratorEntry probe{key, 0};
    const auto found = std::lower_bound(begin, end, probe, KeyLess);
    if (found == end || Accel_Compare(found->key, key) != 0) {
        return nullptr;
    }
    return &*found;
}

// The run of sorted entries that share the key, in table order.
template <typename Visit>
const AcceleratorEntry* FindInRun(const AcceleratorEntry* first, const AccelKey& key, Visit visit)
{
    if (first == nullptr) {
        return nullptr;
    }
    AccelTable& table = Table();
    const AcceleratorEntry* end = table.entries.data() + table.sortedCount;
    for (const AcceleratorEntry* entry = first; entry != end && Accel_Compare(entry->key, key) == 0; ++entry) {
        if (visit(*entry)) {
            return entry;
        }
    }
    return nullptr;
}

void SortTable()
{
    AccelTable& table = Table();
    std::stable_sort(table.entries.begin(), table.entries.end(), KeyLess);
    table.sortedCount = table.entries.size();
    table.sorted = true;
}

// Parses and adds one row; a row the parser refuses is skipped.
void AddRow(const AcceleratorRow& row)
{
    AccelKey key;
    std::string label;
    if (Accel_Parse(row.key, &key, &label) == 0) {
        Accel_Add(row.commandId, key, label);
    }
}

std::span<const AcceleratorRow> Rows()
{
    return {AcceleratorTable.data(), kAcceleratorRowCount};
}

}  // namespace

int Accel_Compare(const AccelKey& a, const AccelKey& b)
{
    const int32_t codeA = ModifierCode(a);
    const int32_t codeB = ModifierCode(b);
    if (codeA != codeB) {
        return codeA < codeB ? -1 : 1;
    }
    const uint32_t symA = a.keysym < 128 ? FoldedKeysym(a.keysym) : a.keysym;
    const uint32_t symB = b.keysym < 128 ? FoldedKeysym(b.keysym) : b.keysym;
    if (symA != symB) {
        return symA < symB ? -1 : 1;
    }
    return 0;
}

uint32_t Accel_Parse(const char* text, AccelKey* key, std::string* label)
{
    AccelKey parsed;
    std::string prefix;
    std::string_view rest = text != nullptr ? std::string_view(text) : std::string_view();
    rest = rest.substr(0, std::min(rest.size(), kKeyTextMax));
    std::string keyToken;
    while (!rest.empty()) {
        const size_t start = rest.find_first_not_of(" \t");
        if (start == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(start);
        const size_t length = std::min(rest.find_first_of(" \t"), rest.size());
        const std::string token(rest.substr(0, length));
        rest.remove_prefix(length);
        if (token == "Shift") {
            parsed.shift = 1;
        } else if (token == "Control") {
            parsed.control = 1;
        } else if (token == "Alt") {
            parsed.alt = 1;
        } else {
            const KeySym keysym = XStringToKeysym(token.c_str());
            if (keysym == NoSymbol) {
                return 1;
            }
            parsed.keysym = static_cast<uint32_t>(keysym);
            keyToken = token;
            break;
        }
    }
    if (parsed.shift != 0) {
        prefix += "Shift+";
    }
    if (parsed.control != 0) {
        prefix += "Ctrl+";
    }
    if (parsed.alt != 0) {
        prefix += "Alt+";
    }
    if (key != nullptr) {
        *key = parsed;
    }
    if (label != nullptr) {
        *label = prefix + keyToken;
    }
    return 0;
}

KernelStatus Accel_Add(CommandId command, const AccelKey& key, const std::string& label)
{
    AccelTable& table = Table();
    if (table.entries.size() >= kAcceleratorTableMax) {
        return kStatusFailed;
    }
    if (Accel_FindCommand(key, command) == nullptr) {
        table.entries.push_back({key, command});
        table.sorted = false;
    }
    MenuItem* item = nullptr;
    if (Menu_FindItem(command, &item, nullptr) == kStatusOk) {
        item->acceleratorLabel = label.substr(0, kAcceleratorLabelMax);
    }
    return kStatusOk;
}

KernelStatus Accel_LoadAll()
{
    for (const AcceleratorRow& row : Rows()) {
        if (row.key != nullptr) {
            AddRow(row);
        }
    }
    SortTable();
    return kStatusOk;
}

KernelStatus Accel_LoadCommand(CommandId command)
{
    bool keyed = false;
    for (const AcceleratorRow& row : Rows()) {
        if (row.commandId == command && row.key != nullptr) {
            keyed = true;
            AddRow(row);
        }
    }
    SortTable();
    return keyed ? kStatusOk : kStatusNotFound;
}

const AcceleratorEntry* Accel_Find(const AccelKey& key)
{
    return Table().sorted ? FirstInSortedPart(key) : nullptr;
}

const AcceleratorEntry* Accel_FindCommand(const AccelKey& key, CommandId command)
{
    return FindInRun(FirstInSortedPart(key), key,
                     [&](const AcceleratorEntry& entry) { return entry.command == command; });
}

KernelStatus Accel_Lookup(const AccelKey& key, Menu** menu, MenuItem** item)
{
    const AcceleratorEntry* found = FindInRun(Accel_Find(key), key, [&](const AcceleratorEntry& entry) {
        return Menu_FindItem(entry.command, item, menu) == kStatusOk;
    });
    return found != nullptr ? kStatusOk : kStatusNotFound;
}

KernelStatus Accel_HandleKey(const AccelKey& key, uint32_t* handled)
{
    if (handled != nullptr) {
        *handled = 0;
    }
    Menu* menu = nullptr;
    MenuItem* item = nullptr;
    KernelStatus status = Accel_Lookup(key, &menu, &item);
    if (status != kStatusOk) {
        return status;
    }
    if (Menu_CommandLayerAcceptsPicks()) {
        status = Menu_DoPick(menu, item);
    }
    if (handled != nullptr && status == kStatusOk) {
        *handled = 1;
    }
    return status;
}

uint32_t Accel_Count()
{
    return static_cast<uint32_t>(Table().entries.size());
}

const AcceleratorEntry* Accel_Entry(uint32_t index)
{
    const auto& entries = Table().entries;
    return index < entries.size() ? &entries[index] : nullptr;
}

// Empties the table (at shutdown).
void Accel_Clear()
{
    Table() = AccelTable{};
}
