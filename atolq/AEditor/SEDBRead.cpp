// Reading the net data base file (the XDR form of every known version from
// "1.4", and the older raw form), and relinking the records to the kernel
// objects of the diagram just read.
//
// The file is untrusted. It is read whole into memory, every length and
// count is checked against the bytes left, every record id is checked for
// its kind, and the references between records are resolved and checked for
// consistency before the new net replaces the current one. A file that fails
// any of this leaves memory as it was.
#include <rpc/xdr.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "atolq/AEditor/SEDBFormat.h"
#include "atolq/AEditor/SEDBRead.h"
#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/MemPool.h"
#include "atolq/Utils/QXMem.h"

using namespace se;

namespace {

constexpr size_t kMaxFileSize = 256u << 20;
constexpr uint32_t kChartBufferSize = 256;
constexpr uint32_t kNodeKinds = (1u << kSEPlace) | (1u << kSETrans);
constexpr uint32_t kAnyKind = 0xffffffffu;
constexpr uint16_t kSimLinkTag = 63753;

char* versionText = nullptr;
// File id -> record id of the last file read, kept for the relink.
std::unordered_map<uint32_t, uint32_t> dbIdMap;

} // namespace

namespace se::db {

// ---- resolution of the ids a file holds ----

void Loader::refField(SEHead** slot, uint32_t id, uint32_t kinds, RefRule rule)
{
    if (id != 0)
        refs.push_back({slot, id, kinds, rule});
}

void Loader::idList(LMList** slot, std::vector<uint32_t> ids, uint32_t kinds)
{
    if (!ids.empty())
        lists.push_back({slot, std::move(ids), {}, kinds, ListKind::Ids});
}

void Loader::pairList(LMList** slot, std::vector<uint32_t> ids, uint32_t kinds)
{
    if (!ids.empty())
        lists.push_back({slot, std::move(ids), {}, kinds, ListKind::Pairs});
}

void Loader::timePairList(LMList** slot, std::vector<uint32_t> ids, std::vector<void*> times)
{
    if (!ids.empty())
        lists.push_back({slot, std::move(ids), std::move(times), kAnyKind, ListKind::TimePairs});
}

SEHead* Loader::lookup(uint32_t id, uint32_t kinds) const
{
    auto it = ids.find(id);
    if (it == ids.end() || (kinds & kindBit(it->second->kind)) == 0)
        return nullptr;
    return it->second;
}

bool Loader::resolve()
{
    for (const RefFix& fix : refs) {
        SEHead* record = lookup(fix.id, fix.kinds);
        if (record == nullptr && fix.rule == RefRule::Required)
            return false;
        *fix.slot = record;
    }
    for (ListFix& fix : lists) {
        for (size_t i = 0; i < fix.ids.size(); ++i) {
            if (fix.kind == ListKind::Pairs) {
                SEHead* a = lookup(fix.ids[i], fix.kinds);
                SEHead* b = lookup(fix.ids[i + 1], fix.kinds);
                if (a == nullptr || b == nullptr)
                    return false;
                appendPair(*fix.slot, a, b);
                ++i;
                continue;
            }
            SEHead* record = lookup(fix.ids[i], fix.kinds);
            if (record == nullptr)
                return false;
            if (fix.kind == ListKind::TimePairs) {
                appendPair(*fix.slot, record, fix.times[i]);
                fix.times[i] = nullptr;
            } else {
                appendValue(*fix.slot, record);
            }
        }
    }
    return true;
}

void Loader::discardPending()
{
    for (ListFix& fix : lists)
        for (void* time : fix.times)
            if (time != nullptr)
                QXMem_Free(time);
    lists.clear();
    refs.clear();
}

// ---- consistency of the resolved net ----

namespace {

bool placeHoldsArc(const SEPlace* place, const SEArc* arc)
{
    for (const LMList* list : {place->inputArcs, place->outputArcs, place->thirdArcs})
        if (containsValue(list, arc))
            return true;
    return false;
}

bool checkNode(SEHead* node)
{
    SECompound* compound = node->kind == kSEPlace ? reinterpret_cast<SEPlace*>(node)->compound
                                                  : reinterpret_cast<SETrans*>(node)->compound;
    if ((compound != nullptr) != isCompoundKind(node->subKind))
        return false;
    if (compound != nullptr && (compound->node != node || compound->head.subKind != node->subKind))
        return false;
    SEHead* set = SEGetFusSet(node);
    if (set != nullptr) {
        const LMList* members = set->kind == kSEPlaceFusSet ? reinterpret_cast<SEPlaceFusSet*>(set)->members
                                                            : reinterpret_cast<SETransFusSet*>(set)->members;
        if (!containsValue(members, node) || node->subKind < kSEPlain)
            return false;
    }
    if (node->kind == kSEPlace) {
        auto* place = reinterpret_cast<SEPlace*>(node);
        bool ok = true;
        for (const LMList* list : {place->inputArcs, place->outputArcs, place->thirdArcs})
            forEachValue(list, [&](void* a) { ok = ok && static_cast<SEArc*>(a)->place == place; });
        return ok;
    }
    auto* trans = reinterpret_cast<SETrans*>(node);
    bool ok = true;
    for (const LMList* list : {trans->inputArcs, trans->outputArcs, trans->thirdArcs})
        forEachRec(list, [&](SEHead* a) {
            auto* arc = reinterpret_cast<SEArc*>(a);
            ok = ok && arc->place != nullptr && placeHoldsArc(arc->place, arc);
        });
    return ok;
}

bool checkFusionSet(SEHead* set)
{
    const LMList* members = set->kind == kSEPlaceFusSet ? reinterpret_cast<SEPlaceFusSet*>(set)->members
                                                        : reinterpret_cast<SETransFusSet*>(set)->members;
    bool ok = true;
    forEachValue(members, [&](void* m) { ok = ok && SEGetFusSet(static_cast<SEHead*>(m)) == set; });
    return ok;
}

bool checkCompound(SECompound* compound)
{
    SEHead* node = compound->node;
    if (node == nullptr || SEGetCompound(node) != compound)
        return false;
    if (SEPage* subpage = compound->subpage) {
        const LMList* supers =
            compound->head.subKind == kSESubstitution ? subpage->superSubstitutions : subpage->superInvocations;
        if (!containsValue(supers, compound))
            return false;
    }
    bool ok = true;
    forEachPair(compound->assignments, [&](void* s, void* p) {
        auto* socket = static_cast<SEHead*>(s);
        auto* port = static_cast<SEHead*>(p);
        ok = ok && compound->subpage != nullptr && port->owner == &compound->subpage->head &&
             port->subKind < kSEPlain && socket->kind == port->kind && SEArcDirection(socket, node) != 0;
    });
    return ok;
}

bool checkPage(SEPage* page)
{
    bool ok = true;
    forEachRec(page->places, [&](SEHead* h) { ok = ok && checkNode(h); });
    forEachRec(page->transitions, [&](SEHead* h) { ok = ok && checkNode(h); });
    forEachRec(page->placeFusionSets, [&](SEHead* h) { ok = ok && checkFusionSet(h); });
    forEachRec(page->transFusionSets, [&](SEHead* h) { ok = ok && checkFusionSet(h); });
    forEachRec(page->compounds, [&](SEHead* h) { ok = ok && checkCompound(reinterpret_cast<SECompound*>(h)); });
    auto supersOk = [&](const LMList* list, uint16_t type) {
        forEachValue(list, [&](void* c) {
            auto* compound = static_cast<SECompound*>(c);
            ok = ok && compound->subpage == page && compound->head.subKind == type;
        });
    };
    supersOk(page->superSubstitutions, kSESubstitution);
    supersOk(page->superInvocations, kSEInvocation);
    return ok;
}

} // namespace

bool checkNet(SERoot* r)
{
    bool ok = true;
    forEachRec(r->globalPlaceFusionSets, [&](SEHead* h) { ok = ok && checkFusionSet(h); });
    forEachRec(r->globalTransFusionSets, [&](SEHead* h) { ok = ok && checkFusionSet(h); });
    forEachRec(r->pages, [&](SEHead* h) { ok = ok && checkPage(reinterpret_cast<SEPage*>(h)); });
    return ok;
}

// ---- reading items ----

uint32_t Loader::u32()
{
    uint32_t value = 0;
    if (ok && !xdr_u_int32_t(&x, &value))
        ok = false;
    return ok ? value : 0;
}

int32_t Loader::i32()
{
    int32_t value = 0;
    if (ok && !xdr_int32_t(&x, &value))
        ok = false;
    return ok ? value : 0;
}

char* Loader::str()
{
    char* text = nullptr;
    if (ok && !SEXdrString(&x, &text))
        ok = false;
    return ok ? text : nullptr;
}

void Loader::text(SEText& field)
{
    field = str();
}

void Loader::chartBuffer(SEText& field)
{
    char* read = str();
    if (read != nullptr && std::strlen(read) + 1 < kChartBufferSize) {
        char* buffer = allocText(kChartBufferSize);
        std::strcpy(buffer, read);
        freeText(read);
        read = buffer;
    }
    field = read;
}

uint64_t Loader::remaining()
{
    return decodeRemaining(&x);
}

bool Loader::atLeast(const char* version) const
{
    return GE_CompareVersions(this->version, version) >= 0;
}

// Reads a record entry's id and head and makes the record, linked into the
// list at once so that a failure later releases it with the rest.
SEHead* Loader::beginRecord(uint16_t kind, LMList*& list, SEHead* owner, bool append)
{
    uint32_t id = u32();
    u32(); // previous and next links: the lists are rebuilt
    u32();
    uint16_t fileKind = u16();
    uint16_t subKind = u16();
    uint32_t ownerId = u32();
    if (!ok || id == 0 || fileKind != kind || ids.count(id) != 0) {
        ok = false;
        return nullptr;
    }
    SEHead* record = newRecord(kind, id);
    record->subKind = subKind;
    record->owner = owner;
    ids[id] = record;
    fileOwners[record] = ownerId;
    if (append)
        appendRec(list, record);
    else
        pushRec(list, record);
    return record;
}

std::vector<uint32_t> Loader::idSection()
{
    uint16_t n = u16();
    std::vector<uint32_t> values;
    if (!ok || n * 4ull > remaining()) {
        ok = false;
        return values;
    }
    values.reserve(n);
    for (uint16_t i = 0; i < n && ok; ++i)
        values.push_back(u32());
    return values;
}

std::vector<uint32_t> Loader::pairSection()
{
    uint16_t n = u16();
    std::vector<uint32_t> values;
    if (!ok || n * 8ull > remaining()) {
        ok = false;
        return values;
    }
    for (uint16_t i = 0; i < n && ok; ++i) {
        values.push_back(u32());
        values.push_back(u32());
    }
    return values;
}

bool Loader::wordArray(SEWordArray& array)
{
    int32_t n = i32();
    if (!ok || n < 0 || static_cast<uint64_t>(n) * 4 > remaining())
        return ok = false;
    if (n == 0)
        return true;
    array.words = static_cast<uint32_t*>(QXMem_Alloc(static_cast<uint32_t>(n) * sizeof(uint32_t)));
    if (array.words == nullptr)
        EE_FatalError(kSEMsgOutOfMemory);
    array.count = static_cast<uint32_t>(n);
    for (int32_t i = 0; i < n && ok; ++i)
        array.words[i] = u32();
    return ok;
}

void Loader::longArray(int32_t (&values)[10])
{
    int32_t n = i32();
    if (!ok || n < 0 || n > 10) {
        ok = false;
        return;
    }
    for (int32_t i = 0; i < n; ++i)
        values[i] = i32();
}

// ---- record bodies ----

void Loader::readArc(SETrans* trans, LMList*& list)
{
    auto* arc = reinterpret_cast<SEArc*>(beginRecord(kSEArc, list, &trans->head));
    if (arc == nullptr)
        return;
    if (arc->head.subKind != kSEPlaceToTrans && arc->head.subKind != kSETransToPlace)
        ok = false;
    refField(reinterpret_cast<SEHead**>(&arc->place), u32(), kindBit(kSEPlace), RefRule::Required);
    text(arc->expression);
    arc->kvObject = u32();
    refField(&arc->link, u32(), kAnyKind, RefRule::ZeroIfUnknown);
    arc->longWord = i32();
    if (atLeast("1.51")) {
        arc->flags = u32();
        arc->half = u16();
    }
    text(arc->text);
    reserved(arc->reserved, 4);
}

void Loader::readPlace(SEPage* page)
{
    auto* place = reinterpret_cast<SEPlace*>(beginRecord(kSEPlace, page->places, &page->head));
    if (place == nullptr)
        return;
    if (place->head.subKind < kSEPortInput || place->head.subKind > kSESubstitution)
        ok = false;
    place->flags = u32();
    refField(reinterpret_cast<SEHead**>(&place->fusionSet), u32(), kindBit(kSEPlaceFusSet), RefRule::Required);
    u32();
    u32();
    u32();
    refField(reinterpret_cast<SEHead**>(&place->compound), u32(), kindBit(kSECompound), RefRule::Required);
    place->kvObject = u32();
    text(place->name);
    text(place->colourSet);
    text(place->initMark);
    text(place->text1);
    place->word = i32();
    text(place->text2);
    reserved(place->reserved, 4);
    idList(&place->inputArcs, idSection(), kindBit(kSEArc));
    idList(&place->outputArcs, idSection(), kindBit(kSEArc));
    idList(&place->thirdArcs, idSection(), kindBit(kSEArc));
}

void Loader::readVariables(SETrans* trans)
{
    uint16_t n = u16();
    if (!ok || n == 0)
        return;
    if (n * 12ull > remaining()) {
        ok = false;
        return;
    }
    auto* segment = static_cast<SECodeSegment*>(MemMgrAlloc(segmentPool()));
    trans->codeSegment = segment;
    CTSResetCheckInfo(trans);
    for (uint16_t i = 0; i < n && ok; ++i) {
        auto* variable = static_cast<SECodeVariable*>(QXMem_Alloc(sizeof(SECodeVariable)));
        if (variable == nullptr)
            EE_FatalError(kSEMsgOutOfMemory);
        variable->first = str();
        variable->second = str();
        variable->number = static_cast<int32_t>(u32());
        appendValue(segment->variables, variable);
    }
}

void Loader::readTrans(SEPage* page)
{
    auto* trans = reinterpret_cast<SETrans*>(beginRecord(kSETrans, page->transitions, &page->head));
    if (trans == nullptr)
        return;
    if (trans->head.subKind < kSEPortInput || trans->head.subKind > kSEInvocation)
        ok = false;
    trans->flags = u32();
    refField(reinterpret_cast<SEHead**>(&trans->fusionSet), u32(), kindBit(kSETransFusSet), RefRule::Required);
    u32();
    u32();
    u32();
    trans->word = u32();
    refField(reinterpret_cast<SEHead**>(&trans->compound), u32(), kindBit(kSECompound), RefRule::Required);
    trans->kvObject = u32();
    for (SEText* field : {&trans->name, &trans->guard, &trans->text1, &trans->text2, &trans->time, &trans->code,
                          &trans->text3, &trans->text4})
        text(*field);
    trans->longWord = i32();
    trans->bool1 = u32();
    trans->bool2 = u32();
    u32(); // code segment reference
    text(trans->mlName);
    reserved(trans->reserved, 4);
    for (LMList** arcs : {&trans->inputArcs, &trans->outputArcs, &trans->thirdArcs})
        recordSection([&] { readArc(trans, *arcs); });
    readVariables(trans);
}

SEHead* Loader::readFusionSet(uint16_t kind, LMList*& list, SEHead* owner)
{
    SEHead* h = beginRecord(kind, list, owner);
    if (h == nullptr)
        return nullptr;
    if (h->subKind < kSEFusGlobal || h->subKind > kSEFusInstance)
        ok = false;
    uint32_t memberKinds = kindBit(kind == kSEPlaceFusSet ? kSEPlace : kSETrans);
    if (kind == kSEPlaceFusSet) {
        auto* set = reinterpret_cast<SEPlaceFusSet*>(h);
        u32();
        set->flags = u32();
        set->word1 = u32();
        text(set->name);
        set->word2 = u32();
        set->longWord = i32();
        text(set->text);
        reserved(set->reserved, 4);
        idList(&set->members, idSection(), memberKinds);
    } else {
        auto* set = reinterpret_cast<SETransFusSet*>(h);
        set->flags = u32();
        u32();
        set->word1 = u32();
        text(set->name);
        set->longWord = i32();
        text(set->text);
        reserved(set->reserved, 4);
        idList(&set->members, idSection(), memberKinds);
    }
    return h;
}

void Loader::readCompound(SEPage* page)
{
    auto* compound = reinterpret_cast<SECompound*>(beginRecord(kSECompound, page->compounds, &page->head));
    if (compound == nullptr)
        return;
    if (!isCompoundKind(compound->head.subKind))
        ok = false;
    refField(&compound->node, u32(), kNodeKinds, RefRule::Required);
    u32();
    refField(reinterpret_cast<SEHead**>(&compound->subpage), u32(), kindBit(kSEPage), RefRule::Required);
    compound->modeFlags = u32();
    compound->flags = u32();
    compound->longWord = i32();
    reserved(compound->reserved, 5);
    pairList(&compound->assignments, pairSection(), kNodeKinds);
}

void Loader::readDeclItem(SEDeclEntry* entry, LMList*& list)
{
    auto* item = reinterpret_cast<SEDeclItem*>(beginRecord(kSEDeclItem, list, &entry->head, true));
    if (item == nullptr)
        return;
    item->flags = u32();
    text(item->name);
    u32();
    u32();
    reserved(item->reserved, 4);
    idList(&item->idLists[0], idSection(), kAnyKind);
    idList(&item->idLists[1], idSection(), kAnyKind);
}

void Loader::textListSection(LMList*& list)
{
    uint16_t n = u16();
    for (uint16_t i = 0; i < n && ok; ++i) {
        char* t = str();
        if (t != nullptr)
            appendValue(list, t);
    }
}

void Loader::readDeclEntry(SEDeclNode* node)
{
    auto* entry = reinterpret_cast<SEDeclEntry*>(beginRecord(kSEDeclEntry, node->entries, &node->head, true));
    if (entry == nullptr)
        return;
    entry->flags = u32();
    entry->kvObject = u32();
    text(entry->name);
    entry->wordAfterKv = u32();
    entry->boolWord = u32();
    for (SEText& t : entry->texts)
        text(t);
    for (int i = 0; i < 9; ++i)
        u32(); // text, id and item list references
    text(entry->lastText);
    reserved(entry->reserved, 4);
    textListSection(entry->textLists[0]);
    textListSection(entry->textLists[1]);
    idList(&entry->idLists[0], idSection(), kAnyKind);
    idList(&entry->idLists[1], idSection(), kAnyKind);
    for (LMList*& items : entry->items)
        recordSection([&] { readDeclItem(entry, items); });
}

void Loader::readDeclNode(LMList*& list, SEHead* owner, bool local)
{
    auto* node = reinterpret_cast<SEDeclNode*>(beginRecord(kSEDeclNode, list, owner));
    if (node == nullptr)
        return;
    uint16_t sub = node->head.subKind;
    if (local ? sub != kSEDeclLocal : (sub != kSEDeclGlobal && sub != kSEDeclTemporary))
        ok = false;
    node->kvObject = u32();
    text(node->name);
    node->flags = u32();
    text(node->text);
    text(node->textB);
    text(node->textC);
    node->longWord = i32();
    text(node->textD);
    if (atLeast("1.9"))
        u32();
    reserved(node->reserved, 4);
    if (atLeast("1.9"))
        recordSection([&] { readDeclEntry(node); });
}

void Loader::readTransInstance(SEPageInstance* instance, LMList*& list)
{
    auto* t = reinterpret_cast<SETransInstance*>(beginRecord(kSETransInstance, list, &instance->head));
    if (t == nullptr)
        return;
    refField(&t->trans, u32(), kindBit(kSETrans), RefRule::ZeroIfUnknown);
    text(t->text1);
    t->word = u32();
    text(t->text2);
    t->longWord = i32();
    reserved(t->reserved, 3);
}

void Loader::timePairSection(LMList** slot)
{
    uint16_t n = u16();
    std::vector<uint32_t> records;
    std::vector<void*> times;
    for (uint16_t i = 0; i < n && ok; ++i) {
        uint32_t id = u32();
        char* clock = str();
        if (!ok || clock == nullptr) {
            freeText(clock);
            ok = false;
            break;
        }
        long first = 0;
        std::sscanf(clock, kClockFormat, &first);
        freeText(clock);
        void* time = QXMem_Alloc(integerTime ? 4 : 8);
        if (time == nullptr)
            EE_FatalError(kSEMsgOutOfMemory);
        auto word = static_cast<int32_t>(first);
        std::memcpy(time, &word, sizeof word);
        records.push_back(id);
        times.push_back(time);
    }
    if (!ok) {
        for (void* time : times)
            QXMem_Free(time);
        return;
    }
    timePairList(slot, std::move(records), std::move(times));
}

void Loader::readPageInstance(SEPage* page)
{
    auto* instance = reinterpret_cast<SEPageInstance*>(beginRecord(kSEPageInstance, page->instances, &page->head));
    if (instance == nullptr)
        return;
    refField(&instance->ref1, u32(), kAnyKind, RefRule::ZeroIfUnknown);
    u32();
    refField(&instance->ref2, u32(), kAnyKind, RefRule::ZeroIfUnknown);
    text(instance->text1);
    instance->word1 = u32();
    instance->long1 = i32();
    u32();
    instance->long2 = i32();
    u32();
    instance->word2 = u32();
    for (int i = 0; i < 4; ++i)
        u32();
    text(instance->text2);
    for (int i = 0; i < 3; ++i)
        u32();
    instance->reserved = u32();
    idList(&instance->idList1, idSection(), kAnyKind);
    pairList(&instance->pairList, pairSection(), kAnyKind);
    idList(&instance->idList2, idSection(), kAnyKind);
    idList(&instance->idList3, idSection(), kAnyKind);
    for (LMList*& list : instance->transInstances)
        recordSection([&] { readTransInstance(instance, list); });
    idList(&instance->idList4, idSection(), kAnyKind);
    idList(&instance->idList5, idSection(), kAnyKind);
    timePairSection(&instance->timePairs[0]);
    timePairSection(&instance->timePairs[1]);
}

void Loader::readPage(SERoot* r)
{
    auto* page = reinterpret_cast<SEPage*>(beginRecord(kSEPage, r->pages, &r->head));
    if (page == nullptr)
        return;
    if (page->head.subKind < kSEPortsNone || page->head.subKind > kSEPortsTrans)
        ok = false;
    page->flags = u32();
    for (int i = 0; i < 7; ++i)
        u32();
    page->kvObject = u32();
    text(page->name);
    u32();
    u32();
    page->cgWord1 = u32();
    page->cgHalf = u16();
    page->modeFlags = u32();
    page->cgWord2 = u32();
    page->cgLong = i32();
    page->pageNumber = u16();
    page->primeCount = u16();
    text(page->text);
    page->lastHalf = atLeast("1.91") ? u16() : 1;
    reserved(page->reserved, 4);
    recordSection([&] { readPageInstance(page); });
    recordSection([&] { readFusionSet(kSEPlaceFusSet, page->placeFusionSets, &page->head); });
    recordSection([&] { readFusionSet(kSETransFusSet, page->transFusionSets, &page->head); });
    recordSection([&] { readPlace(page); });
    recordSection([&] { readTrans(page); });
    recordSection([&] { readCompound(page); });
    idList(&page->superSubstitutions, idSection(), kindBit(kSECompound));
    idList(&page->superInvocations, idSection(), kindBit(kSECompound));
    recordSection([&] { readDeclNode(page->localDecls, &page->head, true); });
}

void Loader::readSeries(SESeries& series)
{
    series.object = u32();
    wordArray(series.a);
    wordArray(series.b);
    series.count = i32();
    if (ok && ((series.a.count != 0 && static_cast<int64_t>(series.a.count) != series.count) ||
               (series.b.count != 0 && static_cast<int64_t>(series.b.count) != series.count)))
        ok = false;
}

void Loader::readLabelArray(SELabelArray& labels, int32_t outer, int32_t inner)
{
    int32_t n = i32();
    if (!ok || n == 0)
        return;
    if (n != outer || inner < 0 || static_cast<uint64_t>(n) * (4 + static_cast<uint64_t>(inner) * 8) > remaining()) {
        ok = false;
        return;
    }
    size_t total = static_cast<size_t>(n) * static_cast<size_t>(inner);
    labels.labels = static_cast<SELabel*>(QXMem_Alloc(static_cast<uint32_t>(std::max<size_t>(total, 1) * sizeof(SELabel))));
    if (labels.labels == nullptr)
        EE_FatalError(kSEMsgOutOfMemory);
    labels.outerCount = static_cast<uint32_t>(n);
    labels.innerCount = static_cast<uint32_t>(inner);
    for (int32_t i = 0; i < n && ok; ++i) {
        if (i32() != inner) {
            ok = false;
            return;
        }
        for (int32_t j = 0; j < inner && ok; ++j) {
            SELabel& label = labels.labels[static_cast<size_t>(i) * inner + j];
            label.object = u32();
            label.text = str();
        }
    }
}

// Every array read must have the count the record's count fields give.
template <class Chart, class CountFn>
static bool arraysAgree(const Chart& chart, const SEWordArray* arrays, int n, CountFn countOf)
{
    for (int i = 0; i < n; ++i)
        if (arrays[i].words != nullptr && static_cast<int64_t>(arrays[i].count) != countOf(chart, i))
            return false;
    return true;
}

void Loader::readBarChart(SERoot* r)
{
    auto* chart = reinterpret_cast<SEBarChart*>(beginRecord(kSEBarChart, r->barCharts, &r->head));
    if (chart == nullptr)
        return;
    chart->flags = u32();
    chart->kvObject = u32();
    chartBuffer(chart->title);
    chart->pageObject = u32();
    chart->innerCount = i32();
    chart->elementCount = i32();
    chart->long1 = i32();
    for (SEWordArray& array : chart->arrays)
        wordArray(array);
    for (SELabelArray& labels : chart->labels)
        readLabelArray(labels, chart->elementCount, chart->innerCount);
    chart->object1 = u32();
    chart->m1 = i32();
    chart->m2 = i32();
    chart->long2 = i32();
    chartBuffer(chart->text1);
    chart->long3 = i32();
    for (SEText& t : chart->texts)
        chartBuffer(t);
    chart->flagF = u32();
    chart->bool1 = u32();
    chart->object2 = u32();
    readSeries(chart->series);
    chart->object3 = u32();
    chart->long4 = i32();
    longArray(chart->longs);
    for (uint32_t& b : chart->bools)
        b = u32();
    chartBuffer(chart->text2);
    chart->long5 = i32();
    chart->bool2 = u32();
    text(chart->chartText);
    chart->long6 = i32();
    chartBuffer(chart->text3);
    reserved(chart->reserved, 4);
    if (ok && !arraysAgree(*chart, chart->arrays, 6, barArrayCount))
        ok = false;
}

void Loader::readLineChart(SERoot* r)
{
    auto* chart = reinterpret_cast<SELineChart*>(beginRecord(kSELineChart, r->lineCharts, &r->head));
    if (chart == nullptr)
        return;
    chart->flags = u32();
    chart->kvObject = u32();
    chartBuffer(chart->title);
    int32_t lines = i32();
    if (!ok || lines < 0 || static_cast<uint64_t>(lines) * 32 > remaining()) {
        ok = false;
        return;
    }
    if (lines > 0) {
        chart->lines = static_cast<SELineSpec*>(QXMem_Alloc(static_cast<uint32_t>(lines) * sizeof(SELineSpec)));
        if (chart->lines == nullptr)
            EE_FatalError(kSEMsgOutOfMemory);
        chart->lineArrayCount = static_cast<uint32_t>(lines);
        for (int32_t i = 0; i < lines && ok; ++i) {
            SELineSpec& line = chart->lines[i];
            line.word = u32();
            line.objectA = u32();
            line.objectB = u32();
            line.flag = u32();
            for (int16_t& s : line.shorts)
                s = static_cast<int16_t>(i32());
        }
    }
    chart->pageObject = u32();
    chart->lineCount = i32();
    chart->long1 = i32();
    chart->objects1[0] = u32();
    chart->objects1[1] = u32();
    chart->bool1 = u32();
    chart->longs1[0] = i32();
    chart->longs1[1] = i32();
    for (SEWordArray& array : chart->arrays)
        wordArray(array);
    chart->longs2[0] = i32();
    chart->longs2[1] = i32();
    for (SEText& t : chart->texts1)
        chartBuffer(t);
    chart->x1 = i32();
    chart->x2 = i32();
    chart->y1 = i32();
    chart->y2 = i32();
    for (SEText& t : chart->texts2)
        chartBuffer(t);
    for (SEText& t : chart->texts3)
        chartBuffer(t);
    for (SEText& t : chart->texts4)
        text(t);
    for (uint32_t& object : chart->objects2)
        object = u32();
    readSeries(chart->series);
    for (uint32_t& b : chart->bools1)
        b = u32();
    chart->object3 = u32();
    for (uint32_t& b : chart->bools2)
        b = u32();
    longArray(chart->longs);
    for (uint32_t& b : chart->bools3)
        b = u32();
    chartBuffer(chart->text1);
    chart->long2 = i32();
    chart->bool2 = u32();
    text(chart->chartText);
    chart->long3 = i32();
    text(chart->text2);
    reserved(chart->reserved, 4);
    if (ok && ((lines != 0 && lines != chart->lineCount) ||
               !arraysAgree(*chart, chart->arrays, 4, lineArrayCount)))
        ok = false;
}

void Loader::readCodeEntry(SERoot* r)
{
    auto* entry = reinterpret_cast<SECodeEntry*>(beginRecord(kSECodeEntry, r->simRecords12, &r->head));
    if (entry == nullptr)
        return;
    text(entry->text1);
    entry->number = i32();
    text(entry->text2);
    reserved(entry->reserved, 4);
}

void Loader::readCheckEntry(SERoot* r)
{
    auto* entry = reinterpret_cast<SECheckEntry*>(beginRecord(kSECheckEntry, r->simRecords13, &r->head));
    if (entry == nullptr)
        return;
    text(entry->text1);
    entry->number = i32();
    text(entry->text2);
    entry->half1 = u16();
    entry->half2 = u16();
    reserved(entry->reserved, 4);
}

// Stores a table entry under its key; a missing or repeated key is damage.
bool Loader::storeTableEntry(SERoot* r, SETableEntry* entry)
{
    if (entry->key == nullptr || (r->declHashTable != nullptr && HashLookup(r->declHashTable, entry->key) != nullptr)) {
        releaseTableEntry(entry);
        return false;
    }
    if (r->declHashTable == nullptr)
        r->declHashTable = HashCreate(10, kHashStringKeys);
    HashStore(r->declHashTable, entry->key, entry);
    return true;
}

void Loader::readTable(SERoot* r)
{
    uint16_t n = u16();
    for (uint16_t i = 0; i < n && ok; ++i) {
        auto* entry = static_cast<SETableEntry*>(QXMem_Alloc(sizeof(SETableEntry)));
        if (entry == nullptr)
            EE_FatalError(kSEMsgOutOfMemory);
        entry->key = str();
        entry->second = str();
        if (atLeast("1.6"))
            entry->flag = u32();
        if (!ok || !storeTableEntry(r, entry)) {
            if (ok)
                ok = false;
            else
                releaseTableEntry(entry);
        }
    }
}

void Loader::readRootBody(SERoot* r)
{
    u32(); // pages
    r->flags = u32();
    u32();
    u32();
    r->bool1 = u32();
    r->bool2 = u32();
    u32();
    u32();
    r->bool3 = u32();
    r->bool4 = u32();
    u32();
    u32(); // entry table
    r->cg1 = u16();
    r->cg2 = u16();
    r->cg3 = u32();
    for (uint16_t& v : r->cg4)
        v = u16();
    u32(); // value list
    r->cg5 = i32();
    r->cg6 = u16();
    r->noTemporaryDecl = u32();
    if (atLeast("1.9"))
        r->simOptionWord = u32();
    if (atLeast("1.91")) {
        u32();
        u32();
        r->barChartCounter = u16();
        r->lineChartCounter = u16();
        u32(); // text list
    }
    if (atLeast("1.8")) {
        text(r->clockText);
    } else {
        if (std::strcmp(version, "1.7") == 0)
            u32();
        r->flags |= kSERootIntegerTime;
    }
    r->reserved = u32();
}

SERoot* Loader::readXdr()
{
    uint32_t rootId = u32();
    auto* r = reinterpret_cast<SERoot*>(newRecord(kSERoot, rootId));
    u32();
    u32();
    uint16_t kind = u16();
    u16();
    u32();
    if (!ok || rootId == 0 || kind != kSERoot)
        ok = false;
    ids[rootId] = &r->head;
    readRootBody(r);
    integerTime = (r->flags & kSERootIntegerTime) != 0;
    recordSection([&] { readFusionSet(kSEPlaceFusSet, r->globalPlaceFusionSets, &r->head); });
    recordSection([&] { readFusionSet(kSETransFusSet, r->globalTransFusionSets, &r->head); });
    recordSection([&] { readPage(r); });
    if (atLeast("1.91")) {
        recordSection([&] { readBarChart(r); });
        recordSection([&] { readLineChart(r); });
    }
    recordSection([&] { readCodeEntry(r); });
    recordSection([&] { readDeclNode(r->globalDecls, &r->head, false); });
    recordSection([&] { readCheckEntry(r); });
    uint16_t values = u16();
    for (uint16_t i = 0; i < values && ok; ++i)
        appendValue(r->valueList, reinterpret_cast<void*>(static_cast<uintptr_t>(u32())));
    if (atLeast("1.91"))
        textListSection(r->textList);
    readTable(r);
    declsCompiled = u32();
    imageSaved = u32();
    return r;
}

void Loader::reserved(uint32_t* words, int n)
{
    for (int i = 0; i < n; ++i)
        words[i] = u32();
}

void Loader::recordSection(const std::function<void()>& readOne)
{
    uint16_t n = u16();
    for (uint16_t i = 0; i < n && ok; ++i)
        readOne();
}

// Charts keep their page as owner; the file names it in the record head.
void Loader::fixChartOwners(SERoot* r)
{
    for (LMList* list : {r->barCharts, r->lineCharts})
        forEachRec(list, [&](SEHead* h) {
            if (SEHead* page = lookup(fileOwners[h], kindBit(kSEPage)))
                h->owner = page;
        });
}

} // namespace se::db

// ---- the public entry points ----

namespace {

// Reads the whole stream; false when it cannot be read or is too large.
bool readAll(FILE* stream, std::vector<char>& data)
{
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0) {
        data.insert(data.end(), buffer, buffer + n);
        if (data.size() > kMaxFileSize)
            return false;
    }
    return std::ferror(stream) == 0;
}

// Keeps what the file does not hold from the net that is being replaced.
void carryOver(SERoot* from, SERoot* to)
{
    to->declWord = from->declWord;
    std::memcpy(to->codeGenOptions, from->codeGenOptions, sizeof to->codeGenOptions);
    std::memcpy(to->codeGenText, from->codeGenText, sizeof to->codeGenText);
    std::memcpy(to->runOptions, from->runOptions, sizeof to->runOptions);
    std::memcpy(to->runOptions2, from->runOptions2, sizeof to->runOptions2);
    std::memcpy(to->runTexts, from->runTexts, sizeof to->runTexts);
    std::memcpy(to->displayOptions, from->displayOptions, sizeof to->displayOptions);
    std::memcpy(to->analysisOptions, from->analysisOptions, sizeof to->analysisOptions);
}

void dropLoaded(db::Loader& loader, SERoot* loaded)
{
    loader.discardPending();
    if (loaded != nullptr) {
        releaseRootContents(loaded);
        freeRecord(&loaded->head);
    }
}

// Puts the net read in place of the current one.
void install(db::Loader& loader, SERoot* loaded)
{
    if (SERoot* old = root()) {
        carryOver(old, loaded);
        root() = nullptr;
        releaseRootContents(old);
        freeRecord(&old->head);
    }
    root() = loaded;
    // With the old net gone, records take the ids their file gave them, so
    // that saving again writes the same ids.
    for (const auto& [fileId, record] : loader.ids)
        if (record->id != fileId && SERecordById(fileId) == nullptr) {
            unregisterId(record);
            registerId(record, fileId);
        }
    DeclsCompiled = loader.declsCompiled;
    MLImageSaved = loader.imageSaved;
    dbIdMap.clear();
    for (const auto& [fileId, record] : loader.ids)
        dbIdMap[fileId] = record->id;
    if (SEGetCheckServices().setIntegerTime != nullptr)
        SEGetCheckServices().setIntegerTime((loaded->flags & kSERootIntegerTime) != 0);
}

bool knownVersion(const char* version)
{
    return GE_IsKnownVersion(version) != 0;
}

} // namespace

int SERestoreDB(FILE* stream)
{
    freeText(versionText);
    dbIdMap.clear();
    std::vector<char> data;
    if (stream == nullptr || !readAll(stream, data)) {
        EE_ReportError(kSEMsgLoadFailed);
        return 0;
    }
    versionText = allocText(5);
    if (!data.empty())
        std::memcpy(versionText, data.data(), std::min<size_t>(4, data.size()));

    db::Loader loader;
    SERoot* loaded = nullptr;
    if (knownVersion(versionText) && GE_CompareVersions(versionText, "1.3") < 1) {
        loader.version = versionText;
        loaded = db::readOldForm(loader, data);
    } else {
        freeText(versionText);
        xdrmem_create(&loader.x, data.data(), static_cast<u_int>(data.size()), XDR_DECODE);
        db::setDecodeSize(data.size());
        int32_t length = 0;
        bool versionOk = xdr_int32_t(&loader.x, &length) && length > 0 && length <= 16;
        if (versionOk) {
            xdr_setpos(&loader.x, 0);
            versionOk = SEXdrString(&loader.x, &versionText) != 0;
        }
        if (!versionOk || !knownVersion(versionText) || GE_CompareVersions(versionText, "1.4") < 0) {
            db::setDecodeSize(0);
            xdr_destroy(&loader.x);
            EE_ReportError(kSEMsgIncompatibleDB);
            return 0;
        }
        loader.version = versionText;
        loaded = loader.readXdr();
        // Nothing may follow the last item.
        if (loader.ok && xdr_getpos(&loader.x) != data.size())
            loader.ok = false;
        db::setDecodeSize(0);
        xdr_destroy(&loader.x);
    }
    if (loaded != nullptr && loader.ok && loader.resolve() && db::checkNet(loaded)) {
        loader.fixChartOwners(loaded);
        loader.discardPending();
        install(loader, loaded);
        return 1;
    }
    dropLoaded(loader, loaded);
    EE_ReportError(kSEMsgLoadFailed);
    return 0;
}

const char* SEGetDBVersion()
{
    return versionText;
}

// ---- relinking ----

namespace {

struct Relinker {
    SERelinkCallback callback;
    bool failed = false;

    void fail()
    {
        if (!failed)
            EE_ReportError(kSEMsgRelinkFailed);
        failed = true;
    }
    void bind(uint32_t* kvObject, SEHead* record)
    {
        if (failed || callback == nullptr)
            return;
        if (callback(kvObject, record) == 0)
            fail();
    }
    void translate(uint32_t& object)
    {
        if (!failed && GE_TranslateHandle(&object) == 0)
            fail();
    }
    void translate(SEWordArray& array)
    {
        for (uint32_t i = 0; i < array.count; ++i)
            translate(array.words[i]);
    }
    void translate(SESeries& series)
    {
        translate(series.object);
        translate(series.a);
        translate(series.b);
    }

    void trans(SETrans* t)
    {
        for (LMList* arcs : {t->inputArcs, t->outputArcs, t->thirdArcs})
            forEachRec(arcs, [&](SEHead* a) { bind(&reinterpret_cast<SEArc*>(a)->kvObject, a); });
        bind(&t->kvObject, &t->head);
    }
    void declNode(SEDeclNode* node)
    {
        forEachRec(node->entries, [&](SEHead* e) { bind(&reinterpret_cast<SEDeclEntry*>(e)->kvObject, e); });
        bind(&node->kvObject, &node->head);
    }
    void page(SEPage* p)
    {
        forEachRec(p->transitions, [&](SEHead* h) { trans(reinterpret_cast<SETrans*>(h)); });
        forEachRec(p->places, [&](SEHead* h) { bind(&reinterpret_cast<SEPlace*>(h)->kvObject, h); });
        forEachRec(p->localDecls, [&](SEHead* h) { declNode(reinterpret_cast<SEDeclNode*>(h)); });
        bind(&p->kvObject, &p->head);
        if (failed || p->instances == nullptr)
            return;
        if (uint32_t link = GE_GetSimLink(p->kvObject)) {
            auto it = dbIdMap.find(link);
            SEHead* record = it != dbIdMap.end() ? SERecordById(it->second) : nullptr;
            if (record != nullptr)
                GE_SetSimLink(p->kvObject, record->id);
            else
                GE_DeleteUserData(p->kvObject, kSimLinkTag);
        }
    }
    void barChart(SEBarChart* c)
    {
        translate(c->pageObject);
        for (SEWordArray& array : c->arrays)
            translate(array);
        for (SELabelArray& labels : c->labels)
            for (uint32_t i = 0; i < labels.outerCount * labels.innerCount; ++i)
                translate(labels.labels[i].object);
        translate(c->object1);
        translate(c->object2);
        translate(c->series);
        translate(c->object3);
        bind(&c->kvObject, &c->head);
    }
    void lineChart(SELineChart* c)
    {
        for (uint32_t i = 0; i < c->lineArrayCount; ++i) {
            translate(c->lines[i].objectA);
            translate(c->lines[i].objectB);
        }
        translate(c->pageObject);
        translate(c->objects1[0]);
        translate(c->objects1[1]);
        for (SEWordArray& array : c->arrays)
            translate(array);
        for (uint32_t& object : c->objects2)
            translate(object);
        translate(c->series);
        translate(c->object3);
        for (uint32_t i = 0; i < c->lineArrayCount; ++i)
            c->lines[i].word = c->pageObject;
        bind(&c->kvObject, &c->head);
    }
};

} // namespace

int SERelinkDB(SERelinkCallback callback)
{
    SERoot* r = root();
    Relinker relinker{callback};
    if (r != nullptr) {
        forEachRec(r->pages, [&](SEHead* h) {
            if (!relinker.failed)
                relinker.page(reinterpret_cast<SEPage*>(h));
        });
        forEachRec(r->barCharts, [&](SEHead* h) {
            if (!relinker.failed)
                relinker.barChart(reinterpret_cast<SEBarChart*>(h));
        });
        forEachRec(r->lineCharts, [&](SEHead* h) {
            if (!relinker.failed)
                relinker.lineChart(reinterpret_cast<SELineChart*>(h));
        });
        forEachRec(r->globalDecls, [&](SEHead* h) {
            if (!relinker.failed)
                relinker.declNode(reinterpret_cast<SEDeclNode*>(h));
        });
    }
    dbIdMap.clear();
    return relinker.failed ? 0 : 1;
}
