// The net layer's rows of the function table and its numbered requests, on
// the abstract net. Records travel as their 32-bit ids: every id from the
// evaluator is looked up, with its kind, before use; an id that names no
// live record of the kind gives the failure result 0 without a call.
#include <cstring>
#include <string>

#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/SML/SMLGram.h"
#include "atolq/SML/SMLTable.h"
#include "xkv/kv/QXMem.h"

namespace {

constexpr uint32_t bit(uint16_t kind) { return 1u << kind; }
constexpr uint32_t kNodeKinds = bit(kSEPlace) | bit(kSETrans);
constexpr uint32_t kAnyKind = 0xffffffffu;

// The record named by an input slot: false refuses the call (no number
// there); *record is null for id 0; *known is false for an id of no live
// record of the kinds.
bool recordArg(const SMLTableCall& call, uint32_t slot, uint32_t kinds, SEHead** record, bool* known) {
    int32_t id;
    if (!call.number(slot, &id)) return false;
    *record = id == 0 ? nullptr : SERecordById(static_cast<uint32_t>(id), kinds);
    *known = id == 0 || *record != nullptr;
    return true;
}

int32_t idOf(const SEHead* record) { return static_cast<int32_t>(SERecordId(record)); }

// A row of one record argument giving a number.
template <uint32_t Kinds, int32_t (*Get)(SEHead*)>
bool onRecord(SMLTableCall& call) {
    SEHead* record;
    bool known;
    if (!recordArg(call, 1, Kinds, &record, &known)) return false;
    call.result(known && record != nullptr ? Get(record) : 0);
    return true;
}

int32_t isPort(SEHead* r) { return SEIsPort(r); }
int32_t kvObject(SEHead* r) { return static_cast<int32_t>(SEGetKVObj(r)); }
int32_t flags(SEHead* r) { return static_cast<int32_t>(SEGetFlags(r)); }
int32_t compound(SEHead* r) { return idOf(reinterpret_cast<SEHead*>(SEGetCompound(r))); }
int32_t compoundNode(SEHead* r) { return idOf(SEGetCompoundNode(reinterpret_cast<SECompound*>(r))); }
int32_t subKind(SEHead* r) { return SEGetSubKind(r); }
int32_t fusionSet(SEHead* r) { return idOf(SEGetFusSet(r)); }

// (name, kind, page)
bool findFusSet(SMLTableCall& call) {
    std::string_view name;
    int32_t kind;
    SEHead* page;
    bool known;
    if (!call.text(1, &name) || !call.number(2, &kind) || !recordArg(call, 3, bit(kSEPage), &page, &known))
        return false;
    std::string copy(name);
    call.result(known ? idOf(SEFindFusSet(copy.c_str(), static_cast<uint16_t>(kind),
                                          reinterpret_cast<SEPage*>(page)))
                      : 0);
    return true;
}

// (fusion type, page)
template <bool Place>
bool createFusSet(SMLTableCall& call) {
    int32_t type;
    SEHead* page;
    bool known;
    if (!call.number(1, &type) || !recordArg(call, 2, bit(kSEPage), &page, &known)) return false;
    if (!known) {
        call.result(0);
        return true;
    }
    auto* p = reinterpret_cast<SEPage*>(page);
    auto type16 = static_cast<uint16_t>(type);
    SEHead* set = Place ? reinterpret_cast<SEHead*>(SECreatePlaceFusSet(type16, p))
                        : reinterpret_cast<SEHead*>(SECreateTransFusSet(type16, p));
    call.result(idOf(set));
    return true;
}

// (record, name): the record takes a kernel-memory copy of the name.
bool setRecordName(SMLTableCall& call) {
    SEHead* record;
    bool known;
    std::string_view name;
    if (!recordArg(call, 1, kAnyKind, &record, &known) || !call.text(2, &name)) return false;
    if (!known || record == nullptr) {
        call.result(0);
        return true;
    }
    auto* copy = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(name.size() + 1)));
    if (copy == nullptr) return false;
    std::memcpy(copy, name.data(), name.size());
    copy[name.size()] = '\0';
    call.result(SESetName(record, copy));
    return true;
}

// Numbered request 15002: the variables of a transition's code segment as a
// padded text, empty without one.
bool codeSegmentVars(SMLWireIn& in, SMLWireOut& out) {
    uint32_t id = in.u32();
    if (!in.ok()) return false;
    SEHead* trans = SERecordById(id, bit(kSETrans));
    char* text = trans != nullptr ? SEGetCodeSegmentVars(trans) : nullptr;
    out.pstr(text != nullptr ? std::string_view(text) : std::string_view());
    if (text != nullptr) QXMem_Free(text);
    return true;
}

} // namespace

void SMLInstallNetTableRows() {
    SMLSetTableRow(21, onRecord<kNodeKinds, isPort>);
    SMLSetTableRow(22, findFusSet);
    SMLSetTableRow(24, createFusSet<true>);
    SMLSetTableRow(25, setRecordName);
    SMLSetTableRow(30, createFusSet<false>);
    SMLSetTableRow(38, onRecord<kAnyKind, kvObject>);
    SMLSetTableRow(43, onRecord<kAnyKind, flags>);
    SMLSetTableRow(44, onRecord<kNodeKinds, compound>);
    SMLSetTableRow(45, onRecord<bit(kSECompound), compoundNode>);
    SMLSetTableRow(47, onRecord<kAnyKind, subKind>);
    SMLSetTableRow(48, onRecord<kNodeKinds, fusionSet>);
    SMLSetGramHandler(15002, codeSegmentVars);
}
