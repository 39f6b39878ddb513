// The simulator's rows of the evaluator's function table and its numbered
// requests: mode flags and prime counts of pages, nodes and instances, names
// and texts of simulator records, the parent, number, substitution and list
// of page instances, ports resolved upward, and the ML texts that read and
// set a place's marking. Records travel as their ids; an id that names no
// live record of the kind gives 0 without a call.
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/SML/SMLGram.h"
#include "atolq/SML/SMLTable.h"
#include "xkv/kv/QXMem.h"

namespace {

constexpr uint32_t bit(uint16_t kind) { return 1u << kind; }
constexpr uint32_t kNodes = bit(kSEPlace) | bit(kSETrans);

// The record of an input slot: false when the slot holds no number.
bool recordArg(const SMLTableCall& call, uint32_t slot, uint32_t kinds, SEHead** record)
{
    int32_t id;
    if (!call.number(slot, &id))
        return false;
    *record = id == 0 ? nullptr : SERecordById(static_cast<uint32_t>(id), kinds);
    return true;
}

int32_t idOf(const void* record) { return static_cast<int32_t>(SERecordId(static_cast<const SEHead*>(record))); }

// (record, mask) -> 1/0
template <uint32_t Kinds, int (*Test)(SEHead*, uint32_t)> bool maskRow(SMLTableCall& call)
{
    SEHead* record;
    int32_t mask;
    if (!recordArg(call, 1, Kinds, &record) || !call.number(2, &mask))
        return false;
    call.result(record != nullptr ? Test(record, static_cast<uint32_t>(mask)) : 0);
    return true;
}

// (record) -> number
template <uint32_t Kinds, int32_t (*Get)(SEHead*)> bool recordRow(SMLTableCall& call)
{
    SEHead* record;
    if (!recordArg(call, 1, Kinds, &record))
        return false;
    call.result(record != nullptr ? Get(record) : 0);
    return true;
}

// (record, kinds) -> the record of the slot, or null; false refuses the call.
template <typename T> bool typedArg(const SMLTableCall& call, uint32_t slot, uint32_t kinds, T** record)
{
    SEHead* head;
    if (!recordArg(call, slot, kinds, &head))
        return false;
    *record = reinterpret_cast<T*>(head);
    return true;
}

// A text row answers its text in a text result slot only.
bool textResult(SMLTableCall& call, const std::string& text)
{
    if (!SMLIsTextType(call.slots[0].type))
        return false;
    call.resultText(text);
    return true;
}

// (record) -> a copy of a text of the record; empty for an unknown record.
template <const char* (*Get)(SEHead*)> bool textRow(SMLTableCall& call)
{
    SEHead* record;
    if (!recordArg(call, 1, 0xffffffffu, &record))
        return false;
    const char* text = record != nullptr ? Get(record) : nullptr;
    return textResult(call, text != nullptr ? text : "");
}

// (binding element) -> the instance whose owned list the element links to;
// its members come with numbered request 15001.
bool recordLink(SMLTableCall& call)
{
    SEHead* element;
    if (!recordArg(call, 1, bit(kSETransInstance), &element))
        return false;
    const ASBindingElement* e = reinterpret_cast<ASBindingElement*>(element);
    call.result(e != nullptr ? idOf(instanceOf(e)) : 0);
    return true;
}

// (node, instance, out node, out instance) -> the node: a port followed up
// to the socket it stands for, with the instance of that socket.
bool resolvePort(SMLTableCall& call)
{
    SEHead* node;
    ASInstance* instance;
    if (!recordArg(call, 1, kNodes, &node) || !typedArg(call, 2, bit(kSEPageInstance), &instance))
        return false;
    SEHead* resolved = node;
    ASInstance* resolvedInstance = instance;
    if (node != nullptr && instance != nullptr)
        ASResolvePort(node, instance, &resolved, &resolvedInstance);
    if (!call.setNumber(3, idOf(resolved)) || !call.setNumber(4, idOf(resolvedInstance)))
        return false;
    call.result(idOf(resolved));
    return true;
}

// (place, instance) -> the ML text that reads the place's marking.
bool placeStateText(SMLTableCall& call)
{
    SEPlace* place;
    ASInstance* instance;
    if (!typedArg(call, 1, bit(kSEPlace), &place) || !typedArg(call, 2, bit(kSEPageInstance), &instance))
        return false;
    return textResult(call, place != nullptr && instance != nullptr ? ASPlaceMarkingText(place, instance) : "");
}

// (place, instance, value) -> the ML text that sets the place's marking.
bool setPlaceStateText(SMLTableCall& call)
{
    SEPlace* place;
    ASInstance* instance;
    std::string_view value;
    if (!typedArg(call, 1, bit(kSEPlace), &place) || !typedArg(call, 2, bit(kSEPageInstance), &instance) ||
        !call.text(3, &value))
        return false;
    const std::string copy(value);
    return textResult(call, place != nullptr && instance != nullptr
                                ? ASSetPlaceMarkingText(place, instance, copy.c_str())
                                : "");
}

// Numbered requests 15000 and 15001 answer a count and that many record ids.
void idList(SMLWireOut& out, const std::vector<uint32_t>& ids)
{
    out.u32(static_cast<uint32_t>(ids.size()));
    for (uint32_t id : ids)
        out.u32(id);
}

// Request 15000: the instances of a page, in list order.
bool pageInstances(SMLWireIn& in, SMLWireOut& out)
{
    uint32_t id = in.u32();
    if (!in.ok())
        return false;
    std::vector<uint32_t> ids;
    auto* page = reinterpret_cast<SEPage*>(SERecordById(id, bit(kSEPage)));
    ASInstance** array = nullptr;
    uint32_t count = 0;
    if (page != nullptr && ASGetPageInstances(page, &array, &count) != 0 && array != nullptr) {
        for (uint32_t i = 0; i < count; ++i)
            ids.push_back(SERecordId(reinterpret_cast<SEHead*>(array[i])));
    }
    if (array != nullptr)
        QXMem_Free(array);
    idList(out, ids);
    return true;
}

// Request 15001: the records of the list that a record links to (an
// instance's owned list; for a binding element, its instance's).
bool recordMembers(SMLWireIn& in, SMLWireOut& out)
{
    uint32_t id = in.u32();
    if (!in.ok())
        return false;
    std::vector<uint32_t> ids;
    SEHead* record = SERecordById(id, bit(kSEPageInstance) | bit(kSETransInstance));
    const LMList* list = nullptr;
    if (record != nullptr && record->kind == kSEPageInstance)
        list = reinterpret_cast<ASInstance*>(record)->ownedList;
    else if (record != nullptr)
        list = ASGetElementList(record);
    se::forEachValue(list, [&](void* value) { ids.push_back(SERecordId(static_cast<SEHead*>(value))); });
    idList(out, ids);
    return true;
}

int32_t primeCount(SEHead* r) { return ASGetPrimeCount(r); }
int32_t parentId(SEHead* r) { return idOf(ASGetParentInstance(r)); }
int32_t number(SEHead* r) { return ASGetInstanceNumber(r); }
int32_t compoundId(SEHead* r) { return idOf(ASGetInstanceNode(r)); }

} // namespace

void ASInstallTableRows()
{
    SMLSetTableRow(31, maskRow<bit(kSEPage), ASTestPageFlag>);
    SMLSetTableRow(32, maskRow<kNodes | bit(kSEPage), ASTestNodeFlag>);
    SMLSetTableRow(33, recordRow<bit(kSEPage), primeCount>);
    SMLSetTableRow(34, maskRow<bit(kSEPageInstance), ASTestInstanceMode>);
    SMLSetTableRow(35, textRow<ASGetName>);
    SMLSetTableRow(36, textRow<ASGetInstanceText>);
    SMLSetTableRow(37, recordLink);
    SMLSetTableRow(40, recordRow<bit(kSEPageInstance), parentId>);
    SMLSetTableRow(41, recordRow<bit(kSEPageInstance), number>);
    SMLSetTableRow(42, recordRow<bit(kSEPageInstance), compoundId>);
    SMLSetTableRow(46, resolvePort);
    SMLSetTableRow(49, placeStateText);
    SMLSetTableRow(50, setPlaceStateText);
    SMLSetGramHandler(15000, pageInstances);
    SMLSetGramHandler(15001, recordMembers);
}
