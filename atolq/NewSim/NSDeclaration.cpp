// The ML-number table: a number is the decimal text of the name counter; a
// record keeps its number from one request to the next while the number is
// current and no other object holds it. Declaration entries keep theirs in
// the two words after their reference list (the number and its length),
// which the net data base does not store.
#include "atolq/NewSim/NSDeclaration.h"

#include <charconv>
#include <cstring>
#include <cstdlib>
#include <unordered_map>

#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/DeclarationSeams.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/kv/QXUI.h"

namespace {

std::unordered_map<std::string, uint32_t>& table()
{
    static std::unordered_map<std::string, uint32_t> numbers;
    return numbers;
}

SEDeclEntry* asEntry(SEHead* record)
{
    return record != nullptr && record->kind == kSEDeclEntry ? reinterpret_cast<SEDeclEntry*>(record) : nullptr;
}

// The object a number of an entry stands for: its owner's, the declaration
// node's object (an entry's region has no page of its own to hold an error
// box); the entry's region while it has no owner.
uint32_t objectOf(SEDeclEntry* entry)
{
    SEHead* owner = entry->head.owner;
    if (owner != nullptr && owner->kind == kSEDeclNode)
        return reinterpret_cast<SEDeclNode*>(owner)->kvObject;
    return entry->kvObject;
}

void giveNewNumber(SEDeclEntry* entry)
{
    const int number = CTSNextNumber();
    entry->afterRefs[0] = static_cast<uint32_t>(number);
    entry->afterRefs[1] = static_cast<uint32_t>(std::to_string(number).size());
}

} // namespace

void NSMLNumberCreateTable() { table().clear(); }

std::string NSMLNumberOf(const SEHead* record)
{
    if (record == nullptr || record->kind != kSEDeclEntry)
        return {};
    const auto* entry = reinterpret_cast<const SEDeclEntry*>(record);
    return entry->afterRefs[1] != 0 ? std::to_string(entry->afterRefs[0]) : std::string{};
}

int NSMLNumberIsCurrent(const char* number)
{
    if (number == nullptr)
        return 0;
    unsigned long value = 0;
    const char* end = number + std::strlen(number);
    const auto [at, error] = std::from_chars(number, end, value);
    if (error != std::errc{} || at != end)
        return 0;
    return static_cast<long>(value % 65536) < CTSNameCounter() ? 1 : 0;
}

int NSMLNumberInsert(const char* number, uint32_t object)
{
    if (number == nullptr)
        return 0;
    if (!table().emplace(number, object).second) {
        const std::string text = std::string("MLnum ") + number + " already inserted in table";
        QXUI_ShowMessage(text.c_str());
        return 0;
    }
    return 1;
}

uint32_t NSMLNumberLookup(const char* number)
{
    if (number == nullptr)
        return 0;
    const auto found = table().find(number);
    return found != table().end() ? found->second : 0;
}

int NSAssignMLNumber(SEHead* record)
{
    SEDeclEntry* entry = asEntry(record);
    if (entry == nullptr)
        return 1;
    const uint32_t object = objectOf(entry);
    std::string number = NSMLNumberOf(record);
    if (number.empty()) {
        giveNewNumber(entry);
    } else {
        const auto found = table().find(number);
        if (found == table().end()) {
            if (!NSMLNumberIsCurrent(number.c_str()))
                giveNewNumber(entry);
        } else if (found->second == object) {
            return 1;
        } else {
            giveNewNumber(entry);
        }
    }
    number = NSMLNumberOf(record);
    table()[number] = object;
    return 1;
}

int NSReportOnMLNumber(const char* number, const char* text)
{
    const uint32_t object = NSMLNumberLookup(number);
    if (object == 0)
        return 0;
    EE_AddErrorText(object, text, nullptr);
    return 1;
}
