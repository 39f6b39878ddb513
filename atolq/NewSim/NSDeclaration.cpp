// The ML-number table: a number is the decimal text of the name counter; a
// record keeps its number from one request to the next while the number is
// current and no other object holds it. Pages, places, transitions, arcs and
// place fusion sets keep theirs in the text field the net data base stores
// with them; declaration entries in the two words after their reference list
// (the number and its length), which the data base does not store.
#include "atolq/NewSim/NSDeclaration.h"

#include <charconv>
#include <cstring>
#include <cstdlib>
#include <unordered_map>

#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/DeclarationSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/NewSim/NSSmlGlue.h"
#include "atolq/AEditor/SEInternal.h"
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
uint32_t entryObject(SEDeclEntry* entry)
{
    SEHead* owner = entry->head.owner;
    if (owner != nullptr && owner->kind == kSEDeclNode)
        return reinterpret_cast<SEDeclNode*>(owner)->kvObject;
    return entry->kvObject;
}

// A fusion set's object word; while it has none, its first member's object,
// so that an error on the set still shows at the set.
uint32_t fusionSetObject(const SEPlaceFusSet* set)
{
    if (set->word1 != 0)
        return set->word1;
    uint32_t object = 0;
    se::forEachValue(set->members, [&](void* value) {
        if (object == 0 && value != nullptr)
            object = static_cast<const SEPlace*>(value)->kvObject;
    });
    return object;
}

// The text field that holds the ML number of a numbered record kind (the
// net data base stores it); null for entries and other kinds.
SEText* numberField(SEHead* record)
{
    switch (record->kind) {
    case kSEPage: return &reinterpret_cast<SEPage*>(record)->text;
    case kSEPlace: return &reinterpret_cast<SEPlace*>(record)->text2;
    case kSETrans: return &reinterpret_cast<SETrans*>(record)->mlName;
    case kSEArc: return &reinterpret_cast<SEArc*>(record)->text;
    case kSEPlaceFusSet: return &reinterpret_cast<SEPlaceFusSet*>(record)->text;
    default: return nullptr;
    }
}

bool numbered(const SEHead* record)
{
    if (record == nullptr)
        return false;
    switch (record->kind) {
    case kSEPage: case kSEPlace: case kSETrans: case kSEArc: case kSEPlaceFusSet: case kSEDeclEntry: return true;
    default: return false;
    }
}

uint32_t objectOf(SEHead* record)
{
    switch (record->kind) {
    case kSEPage: return reinterpret_cast<SEPage*>(record)->kvObject;
    case kSEPlace: return reinterpret_cast<SEPlace*>(record)->kvObject;
    case kSETrans: return reinterpret_cast<SETrans*>(record)->kvObject;
    case kSEArc: return reinterpret_cast<SEArc*>(record)->kvObject;
    case kSEPlaceFusSet: return fusionSetObject(reinterpret_cast<SEPlaceFusSet*>(record));
    case kSEDeclEntry: return entryObject(reinterpret_cast<SEDeclEntry*>(record));
    default: return 0;
    }
}

void giveNewNumber(SEHead* record)
{
    const int number = CTSNextNumber();
    if (SEDeclEntry* entry = asEntry(record)) {
        entry->afterRefs[0] = static_cast<uint32_t>(number);
        entry->afterRefs[1] = static_cast<uint32_t>(std::to_string(number).size());
        return;
    }
    SEText* field = numberField(record);
    se::freeText(*field);
    *field = se::copyText(std::to_string(number).c_str());
}

} // namespace

void NSMLNumberCreateTable() { table().clear(); }

std::string NSMLNumberOf(const SEHead* record)
{
    if (!numbered(record))
        return {};
    if (record->kind == kSEDeclEntry) {
        const auto* entry = reinterpret_cast<const SEDeclEntry*>(record);
        return entry->afterRefs[1] != 0 ? std::to_string(entry->afterRefs[0]) : std::string{};
    }
    const SEText* field = numberField(const_cast<SEHead*>(record));
    return *field != nullptr ? std::string(*field) : std::string{};
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
    if (!numbered(record))
        return 1;
    const uint32_t object = objectOf(record);
    std::string number = NSMLNumberOf(record);
    if (number.empty()) {
        giveNewNumber(record);
    } else {
        const auto found = table().find(number);
        if (found == table().end()) {
            if (!NSMLNumberIsCurrent(number.c_str()))
                giveNewNumber(record);
        } else if (found->second == object) {
            return 1;
        } else {
            giveNewNumber(record);
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

int NSRecordOfMLNumber(NSMessage* message, SEHead** record)
{
    std::string number;
    if (record == nullptr || NSMsgGetString(message, &number) == 0)
        return 0;
    const uint32_t object = NSMLNumberLookup(number.c_str());
    *record = nullptr;
    if (object == 0 || GE_GetSERecord(object, record) == 0 || *record == nullptr)
        return 0;
    return 1;
}
