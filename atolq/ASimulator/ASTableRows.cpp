// The simulator's rows of the evaluator's function table: mode flags and
// prime counts of pages and nodes, and the parent, number and substitution
// of page instances. Records travel as their ids; an id that names no live
// record of the kind gives 0 without a call.
#include "atolq/AEditor/SEIds.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/SML/SMLTable.h"

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
    SMLSetTableRow(40, recordRow<bit(kSEPageInstance), parentId>);
    SMLSetTableRow(41, recordRow<bit(kSEPageInstance), number>);
    SMLSetTableRow(42, recordRow<bit(kSEPageInstance), compoundId>);
}
