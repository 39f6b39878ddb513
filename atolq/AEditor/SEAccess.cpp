// Reading the abstract net: record getters, the two-step iteration
// SEInitNext / SENextGet, the text setters with the marks they invalidate,
// and the carriage-return fix for texts from another platform.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/QXMem.h"
#include "atolq/Utils/SafeString.h"

using namespace se;

namespace {

template <class T> T* checked(SEHead* record, uint16_t kind)
{
    T* typed = as<T>(record, kind);
    if (typed == nullptr)
        invalid();
    return typed;
}

SECompound* compoundOf(SEHead* node)
{
    return node->kind == kSEPlace ? reinterpret_cast<SEPlace*>(node)->compound
                                  : reinterpret_cast<SETrans*>(node)->compound;
}

uint32_t kvOf(SEHead* node)
{
    return SEGetKVObj(node);
}

// Cursor helpers that accept a missing list.
void rewind(LMList* list)
{
    if (list != nullptr)
        LMRewind(list);
}

bool more(const LMList* list)
{
    return list != nullptr && LMMore(list) != 0;
}

// The data at the cursor, and the cursor moved on.
void* take(LMList* list, void** second = nullptr)
{
    void* value = nullptr;
    LMCurrent(list, &value, second);
    LMAdvance(list);
    return value;
}

void noteSimulatorChange(bool initialMarking)
{
    if (GE_GetMode() != 2)
        return;
    SSetReswitchNeeded(1);
    QXMenu_RequestUpdate();
    if (initialMarking && root() != nullptr)
        root()->flags |= kSERootMarkingChanged;
}

char* trimmedCopy(char* text)
{
    if (text == nullptr)
        return nullptr;
    auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
    const char* start = text;
    while (*start != '\0' && blank(*start))
        ++start;
    size_t length = std::strlen(start);
    while (length > 0 && blank(start[length - 1]))
        --length;
    char* copy = allocText(static_cast<uint32_t>(length + 1));
    std::memcpy(copy, start, length);
    copy[length] = '\0';
    freeText(text);
    return copy;
}

// Replaces a text field; true when the text changed.
bool replaceText(SEText& field, char* text)
{
    bool changed = textsDiffer(field, text);
    freeText(field);
    field = text;
    return changed;
}

int refuseText(char* text)
{
    freeText(text);
    return invalid();
}

int setTransText(SEHead* record, char* text, SEText SETrans::*field)
{
    auto* trans = as<SETrans>(record, kSETrans);
    if (trans == nullptr)
        return refuseText(text);
    if (replaceText(trans->*field, text)) {
        clearTransMarks(trans);
        noteSimulatorChange(false);
    }
    return 1;
}

} // namespace

// ---- getters ----
char* SEGetArcExpr(SEHead* arc)
{
    auto* a = checked<SEArc>(arc, kSEArc);
    return a != nullptr ? a->expression : nullptr;
}

char* SEGetColourSet(SEHead* place)
{
    auto* p = checked<SEPlace>(place, kSEPlace);
    return p != nullptr ? p->colourSet : nullptr;
}

char* SEGetInitMark(SEHead* place)
{
    auto* p = checked<SEPlace>(place, kSEPlace);
    return p != nullptr ? p->initMark : nullptr;
}

char* SEGetGuard(SEHead* trans)
{
    auto* t = checked<SETrans>(trans, kSETrans);
    return t != nullptr ? t->guard : nullptr;
}

char* SEGetTime(SEHead* trans)
{
    auto* t = checked<SETrans>(trans, kSETrans);
    return t != nullptr ? t->time : nullptr;
}

char* SEGetCode(SEHead* trans)
{
    auto* t = checked<SETrans>(trans, kSETrans);
    return t != nullptr ? t->code : nullptr;
}

char* SEGetDeclText(SEHead* node)
{
    auto* d = checked<SEDeclNode>(node, kSEDeclNode);
    return d != nullptr ? d->text : nullptr;
}

uint32_t SEGetSubpageObj(SEHead* node)
{
    if (node == nullptr)
        return invalid();
    if (!isNode(node))
        return invalid(kSEMsgNotPlaceOrTrans);
    SECompound* compound = compoundOf(node);
    return compound != nullptr && compound->subpage != nullptr ? compound->subpage->kvObject : 0;
}

int SEGetKind(SEHead* record, uint16_t* kind, uint16_t* subKind)
{
    if (record == nullptr)
        return invalid();
    if (kind != nullptr)
        *kind = record->kind;
    if (subKind != nullptr)
        *subKind = record->subKind;
    return 1;
}

uint32_t SEGetKindCode(SEHead* record)
{
    if (record == nullptr)
        return invalid();
    return (static_cast<uint32_t>(record->kind) << 16) | record->subKind;
}

uint16_t SEGetSubKind(SEHead* record)
{
    return record != nullptr ? record->subKind : 0;
}

uint16_t SEGetPageNumber(SEPage* page)
{
    return page != nullptr ? page->pageNumber : 0;
}

uint32_t SEGetKVObj(SEHead* record)
{
    if (record == nullptr)
        return invalid();
    switch (record->kind) {
    case kSEPage: return reinterpret_cast<SEPage*>(record)->kvObject;
    case kSEPlace: return reinterpret_cast<SEPlace*>(record)->kvObject;
    case kSETrans: return reinterpret_cast<SETrans*>(record)->kvObject;
    case kSEArc: return reinterpret_cast<SEArc*>(record)->kvObject;
    case kSEDeclNode: return reinterpret_cast<SEDeclNode*>(record)->kvObject;
    case kSEDeclEntry: return reinterpret_cast<SEDeclEntry*>(record)->kvObject;
    case kSEBarChart: return reinterpret_cast<SEBarChart*>(record)->kvObject;
    case kSELineChart: return reinterpret_cast<SELineChart*>(record)->kvObject;
    default: return 0;
    }
}

static SEText* nameField(SEHead* record)
{
    switch (record->kind) {
    case kSEPage: return &reinterpret_cast<SEPage*>(record)->name;
    case kSEPlace: return &reinterpret_cast<SEPlace*>(record)->name;
    case kSETrans: return &reinterpret_cast<SETrans*>(record)->name;
    case kSEPlaceFusSet: return &reinterpret_cast<SEPlaceFusSet*>(record)->name;
    case kSETransFusSet: return &reinterpret_cast<SETransFusSet*>(record)->name;
    case kSEDeclNode: return &reinterpret_cast<SEDeclNode*>(record)->name;
    case kSEDeclEntry: return &reinterpret_cast<SEDeclEntry*>(record)->name;
    case kSEDeclItem: return &reinterpret_cast<SEDeclItem*>(record)->name;
    default: return nullptr;
    }
}

char* SEGetName(SEHead* record)
{
    if (record == nullptr)
        return reinterpret_cast<char*>(static_cast<uintptr_t>(invalid()));
    SEText* field = nameField(record);
    return field != nullptr ? *field : nullptr;
}

int SEPutName(SEHead* record, char* name)
{
    if (record == nullptr)
        return refuseText(name);
    SEText* field = record->kind == kSEDeclEntry || record->kind == kSEDeclItem ? nullptr : nameField(record);
    if (field == nullptr) {
        freeText(name);
        return 1;
    }
    freeText(*field);
    *field = name;
    return 1;
}

SEHead* SEGetFusSet(SEHead* node)
{
    if (node == nullptr) {
        invalid();
        return nullptr;
    }
    if (node->kind == kSEPlace)
        return reinterpret_cast<SEHead*>(reinterpret_cast<SEPlace*>(node)->fusionSet);
    if (node->kind == kSETrans)
        return reinterpret_cast<SEHead*>(reinterpret_cast<SETrans*>(node)->fusionSet);
    return nullptr;
}

int SEIsFusMem(SEHead* node)
{
    return isNode(node) && SEGetFusSet(node) != nullptr ? 1 : 0;
}

int SETestNodeFlag(SEHead* node)
{
    if (node == nullptr)
        return invalid();
    if (node->kind == kSEPlace)
        return reinterpret_cast<SEPlace*>(node)->flags & kSEBit0;
    if (node->kind == kSETrans)
        return reinterpret_cast<SETrans*>(node)->flags & kSEBit0;
    return 0;
}

int SEIsPort(SEHead* record)
{
    return record != nullptr && record->subKind < kSEPlain ? 1 : 0;
}

// The nodes at the other ends of a node's arcs, each arc once.
template <class F> static void forEachPeer(SEHead* node, F f)
{
    if (node->kind == kSEPlace) {
        auto* place = reinterpret_cast<SEPlace*>(node);
        forEachValue(place->outputArcs, [&](void* a) { f(static_cast<SEArc*>(a)->head.owner, 1); });
        forEachValue(place->inputArcs, [&](void* a) { f(static_cast<SEArc*>(a)->head.owner, 2); });
    } else {
        auto* trans = reinterpret_cast<SETrans*>(node);
        forEachRec(trans->outputArcs, [&](SEHead* a) { f(&reinterpret_cast<SEArc*>(a)->place->head, 1); });
        forEachRec(trans->inputArcs, [&](SEHead* a) { f(&reinterpret_cast<SEArc*>(a)->place->head, 2); });
    }
}

int SEHasCompoundPeer(SEHead* node)
{
    if (!isNode(node))
        return invalid();
    bool found = false;
    forEachPeer(node, [&](SEHead* peer, int) {
        if (peer != nullptr && isCompoundKind(peer->subKind))
            found = true;
    });
    return found ? 1 : 0;
}

int SEArcDirection(SEHead* node, SEHead* peer)
{
    if (!isNode(node) || peer == nullptr)
        return 0;
    int direction = 0;
    forEachPeer(node, [&](SEHead* other, int way) {
        if (other == peer)
            direction |= way;
    });
    return direction;
}

int SEAreJoined(SEHead* a, SEHead* b)
{
    if (a == nullptr || b == nullptr)
        return invalid();
    return SEArcDirection(b, a) != 0 ? 1 : 0;
}

uint32_t SEGetFlags(SEHead* record)
{
    if (record == nullptr)
        return invalid();
    switch (record->kind) {
    case kSEPage: return reinterpret_cast<SEPage*>(record)->flags;
    case kSEPlace: return reinterpret_cast<SEPlace*>(record)->flags;
    case kSETrans: return reinterpret_cast<SETrans*>(record)->flags;
    case kSEArc: return reinterpret_cast<SEArc*>(record)->flags;
    case kSEPageInstance: return reinterpret_cast<SEPageInstance*>(record)->word1;
    case kSEDeclEntry: return reinterpret_cast<SEDeclEntry*>(record)->flags;
    case kSEDeclItem: return reinterpret_cast<SEDeclItem*>(record)->flags;
    default: return 0;
    }
}

SECompound* SEGetCompound(SEHead* node)
{
    if (node == nullptr) {
        invalid();
        return nullptr;
    }
    if (!isNode(node)) {
        invalid(kSEMsgNotPlaceOrTrans);
        return nullptr;
    }
    return compoundOf(node);
}

SEHead* SEGetCompoundNode(SECompound* compound)
{
    if (compound == nullptr || compound->head.kind != kSECompound) {
        invalid();
        return nullptr;
    }
    return compound->node;
}

SEHead* SEFindFusSet(const char* name, uint16_t kind, SEPage* page)
{
    if (page != nullptr && page->head.kind != kSEPage) {
        invalid();
        return nullptr;
    }
    if ((kind != kSEPlaceFusSet && kind != kSETransFusSet) || name == nullptr || root() == nullptr)
        return nullptr;
    const LMList* sets = page != nullptr ? (kind == kSEPlaceFusSet ? page->placeFusionSets : page->transFusionSets)
                                         : (kind == kSEPlaceFusSet ? root()->globalPlaceFusionSets
                                                                   : root()->globalTransFusionSets);
    return findRec(sets, [&](SEHead* h) {
        const char* other = SEGetName(h);
        return other != nullptr && std::strcmp(other, name) == 0;
    });
}

uint16_t SEGetBarChartCounter()
{
    return root() != nullptr ? root()->barChartCounter : 0;
}

uint16_t SEGetLineChartCounter()
{
    return root() != nullptr ? root()->lineChartCounter : 0;
}

char* SEGetCodeSegmentVars(SEHead* record)
{
    auto* trans = as<SETrans>(record, kSETrans);
    if (trans == nullptr || trans->codeSegment == nullptr || count(trans->codeSegment->variables) == 0)
        return nullptr;
    std::string lines;
    forEachValue(trans->codeSegment->variables, [&](void* v) {
        auto* variable = static_cast<SECodeVariable*>(v);
        char number[24];
        std::snprintf(number, sizeof number, "%ld", static_cast<long>(variable->number));
        lines += variable->first != nullptr ? variable->first : "";
        lines += ',';
        lines += variable->second != nullptr ? variable->second : "";
        lines += ',';
        lines += number;
        lines += '\n';
    });
    return copyText(lines.c_str());
}

void SEVisitNodeObjects()
{
    if (root() == nullptr)
        return;
    forEachRec(root()->pages, [](SEHead* h) {
        auto* page = reinterpret_cast<SEPage*>(h);
        forEachRec(page->transitions, [](SEHead* t) { EE_RefreshNodeName(kvOf(t)); });
        forEachRec(page->places, [](SEHead* p) { EE_RefreshNodeName(kvOf(p)); });
    });
}

// ---- iteration ----

int SEInitNext(uint16_t query, SEIter* iter)
{
    if (iter == nullptr || query == 0 || query > 10)
        return 0;
    SEHead* input = static_cast<SEHead*>(iter->input);
    switch (query) {
    case 1: {
        if (input == nullptr)
            return invalid(kSEMsgNoInput);
        if (!isNode(input))
            return invalid(kSEMsgNotPlaceOrTrans);
        SECompound* compound = compoundOf(input);
        if (compound == nullptr || compound->subpage == nullptr)
            return 0;
        if (input->kind == kSETrans) {
            rewind(compound->subpage->places);
            rewind(compound->assignments);
        } else {
            rewind(compound->subpage->transitions);
        }
        return 1;
    }
    case 2: {
        auto* page = as<SEPage>(input, kSEPage);
        if (page == nullptr)
            return input == nullptr ? 0 : invalid();
        rewind(page->superSubstitutions);
        rewind(page->superInvocations);
        iter->extra = count(page->superSubstitutions) + count(page->superInvocations);
        return 1;
    }
    case 3: {
        if (input == nullptr)
            return invalid(kSEMsgNoInput);
        if (!isNode(input))
            return invalid(kSEMsgNotPlaceOrTrans);
        iter->extra = reinterpret_cast<uintptr_t>(LMCreate(kLMValueList));
        if (input->kind == kSEPlace) {
            rewind(reinterpret_cast<SEPlace*>(input)->inputArcs);
            rewind(reinterpret_cast<SEPlace*>(input)->outputArcs);
        } else {
            rewind(reinterpret_cast<SETrans*>(input)->inputArcs);
            rewind(reinterpret_cast<SETrans*>(input)->outputArcs);
        }
        return 1;
    }
    case 4: {
        uintptr_t selector = iter->result;
        if (selector != 0 && selector != 2 && selector != 3)
            return input != nullptr ? invalid(kSEMsgNotPlaceOrTrans) : 0;
        LMList* placeSets;
        LMList* transSets;
        if (input != nullptr) {
            auto* page = as<SEPage>(input, kSEPage);
            if (page == nullptr)
                return invalid();
            placeSets = page->placeFusionSets;
            transSets = page->transFusionSets;
        } else {
            if (root() == nullptr)
                return 0;
            placeSets = root()->globalPlaceFusionSets;
            transSets = root()->globalTransFusionSets;
        }
        iter->state = 0;
        if (selector != 2)
            rewind(transSets);
        if (selector != 3)
            rewind(placeSets);
        return 1;
    }
    case 5: {
        if (input == nullptr)
            return 0;
        if (input->kind == kSEPlaceFusSet)
            rewind(reinterpret_cast<SEPlaceFusSet*>(input)->members);
        else if (input->kind == kSETransFusSet)
            rewind(reinterpret_cast<SETransFusSet*>(input)->members);
        else
            return invalid(kSEMsgNotPlaceOrTrans);
        return 1;
    }
    case 6: {
        if (input == nullptr)
            return invalid(kSEMsgNoInput);
        if (!isNode(input))
            return invalid(kSEMsgNotPlaceOrTrans);
        if (SECompound* compound = compoundOf(input))
            rewind(compound->assignments);
        return 1;
    }
    case 7: {
        if (input == nullptr)
            return invalid(kSEMsgNoInput);
        SEPage* page = isNode(input) ? pageOf(input) : nullptr;
        if (page == nullptr)
            return invalid(kSEMsgNotPlaceOrTrans);
        rewind(page->superSubstitutions);
        if (input->kind == kSETrans)
            rewind(page->superInvocations);
        return 1;
    }
    case 8:
    case 10: {
        if (input == nullptr)
            return invalid(kSEMsgNoInput);
        auto* page = as<SEPage>(input, kSEPage);
        if (page == nullptr)
            return invalid();
        rewind(query == 8 ? page->compounds : page->localDecls);
        return 1;
    }
    case 9:
        if (root() == nullptr)
            return 0;
        rewind(root()->globalDecls);
        return 1;
    }
    return 0;
}

static int nextPortNode(SEIter* iter, SEHead* input)
{
    SECompound* compound = compoundOf(input);
    if (compound == nullptr || compound->subpage == nullptr)
        return 0;
    iter->extra = reinterpret_cast<uintptr_t>(compound->assignments);
    LMList* nodes = input->kind == kSETrans ? compound->subpage->places : compound->subpage->transitions;
    auto* skip = reinterpret_cast<const LMList*>(iter->extra2);
    while (more(nodes)) {
        auto* candidate = static_cast<SEHead*>(take(nodes));
        if (candidate->subKind >= kSEPlain)
            continue;
        bool assigned = false;
        if (candidate->kind == kSETrans)
            forEachPair(skip, [&](void*, void* port) { assigned = assigned || port == candidate; });
        if (assigned)
            continue;
        iter->result = reinterpret_cast<uintptr_t>(candidate);
        return 1;
    }
    return 0;
}

static int nextCompoundPeer(SEIter* iter, SEHead* input)
{
    auto* seen = reinterpret_cast<LMList*>(iter->extra);
    LMList* lists[2];
    if (input->kind == kSEPlace) {
        lists[0] = reinterpret_cast<SEPlace*>(input)->inputArcs;
        lists[1] = reinterpret_cast<SEPlace*>(input)->outputArcs;
    } else {
        lists[0] = reinterpret_cast<SETrans*>(input)->inputArcs;
        lists[1] = reinterpret_cast<SETrans*>(input)->outputArcs;
    }
    for (LMList* list : lists) {
        while (more(list)) {
            auto* arc = static_cast<SEArc*>(take(list));
            SEHead* peer = input->kind == kSEPlace ? arc->head.owner : &arc->place->head;
            bool compound = input->kind == kSEPlace ? isCompoundKind(peer->subKind) : peer->subKind == kSESubstitution;
            if (!compound || containsValue(seen, peer))
                continue;
            LMPrepend(seen, peer, nullptr);
            iter->result = kvOf(peer);
            return 1;
        }
    }
    LMDestroy(seen);
    iter->extra = 0;
    return 0;
}

static int nextFusionSet(SEIter* iter, SEHead* input)
{
    LMList* placeSets;
    LMList* transSets;
    if (input != nullptr) {
        auto* page = as<SEPage>(input, kSEPage);
        if (page == nullptr)
            return 0;
        placeSets = page->placeFusionSets;
        transSets = page->transFusionSets;
    } else {
        if (root() == nullptr)
            return 0;
        placeSets = root()->globalPlaceFusionSets;
        transSets = root()->globalTransFusionSets;
    }
    // Selector 0 walks the transition sets (as 3), then the place sets (as 2).
    if (iter->result == 0) {
        iter->result = 3;
        iter->state = 1;
    }
    auto answer = [&](LMList* sets) {
        auto* set = static_cast<SEHead*>(take(sets));
        iter->extra = reinterpret_cast<uintptr_t>(set);
        iter->extra2 = set->subKind;
        iter->extra3 = reinterpret_cast<uintptr_t>(SEGetName(set));
        return 1;
    };
    if (iter->result == 3) {
        if (more(transSets))
            return answer(transSets);
        if (iter->state != 1)
            return 0;
        iter->result = 2;
    }
    if (iter->result == 2 && more(placeSets))
        return answer(placeSets);
    return 0;
}

int SENextGet(uint16_t query, SEIter* iter)
{
    if (iter == nullptr || query == 0 || query > 10)
        return 0;
    SEHead* input = static_cast<SEHead*>(iter->input);
    switch (query) {
    case 1:
        if (!isNode(input))
            return invalid(kSEMsgNextGetKind);
        return nextPortNode(iter, input);
    case 2: {
        auto* page = as<SEPage>(input, kSEPage);
        if (page == nullptr)
            return 0;
        for (LMList* list : {page->superSubstitutions, page->superInvocations})
            if (more(list)) {
                auto* compound = static_cast<SECompound*>(take(list));
                iter->result = kvOf(compound->node);
                return 1;
            }
        return 0;
    }
    case 3:
        if (!isNode(input))
            return invalid(kSEMsgNextGetKind);
        return nextCompoundPeer(iter, input);
    case 4:
        return nextFusionSet(iter, input);
    case 5: {
        if (input == nullptr)
            return 0;
        LMList* members;
        if (input->kind == kSEPlaceFusSet)
            members = reinterpret_cast<SEPlaceFusSet*>(input)->members;
        else if (input->kind == kSETransFusSet)
            members = reinterpret_cast<SETransFusSet*>(input)->members;
        else
            return invalid(kSEMsgNextGetKind);
        if (!more(members))
            return 0;
        iter->result = kvOf(static_cast<SEHead*>(take(members)));
        return 1;
    }
    case 6: {
        if (!isNode(input))
            return invalid(kSEMsgNextGetKind);
        SECompound* compound = compoundOf(input);
        if (compound == nullptr || !more(compound->assignments))
            return 0;
        void* port = nullptr;
        void* socket = take(compound->assignments, &port);
        iter->result = reinterpret_cast<uintptr_t>(socket);
        iter->extra = reinterpret_cast<uintptr_t>(port);
        return 1;
    }
    case 7: {
        SEPage* page = isNode(input) ? pageOf(input) : nullptr;
        if (page == nullptr)
            return invalid(kSEMsgNextGetKind);
        LMList* lists[2] = {page->superSubstitutions, input->kind == kSETrans ? page->superInvocations : nullptr};
        for (LMList* list : lists)
            while (more(list)) {
                auto* compound = static_cast<SECompound*>(take(list));
                bool uses = false;
                forEachPair(compound->assignments, [&](void*, void* port) { uses = uses || port == input; });
                if (uses) {
                    iter->result = kvOf(compound->node);
                    return 1;
                }
            }
        return 0;
    }
    case 8: {
        auto* page = as<SEPage>(input, kSEPage);
        if (page == nullptr || !more(page->compounds))
            return 0;
        iter->result = kvOf(static_cast<SECompound*>(take(page->compounds))->node);
        return 1;
    }
    case 9:
    case 10: {
        LMList* list = nullptr;
        if (query == 9)
            list = root() != nullptr ? root()->globalDecls : nullptr;
        else if (auto* page = as<SEPage>(input, kSEPage))
            list = page->localDecls;
        if (!more(list))
            return 0;
        iter->result = static_cast<SEDeclNode*>(take(list))->kvObject;
        return 1;
    }
    }
    return 0;
}

// ---- text setters ----

int SESetArcExpr(SEHead* record, char* text)
{
    auto* arc = as<SEArc>(record, kSEArc);
    if (arc == nullptr)
        return refuseText(text);
    if (replaceText(arc->expression, text)) {
        if (auto* trans = as<SETrans>(arc->head.owner, kSETrans))
            clearTransMarks(trans);
        noteSimulatorChange(false);
    }
    return 1;
}

int SESetGuard(SEHead* trans, char* text)
{
    return setTransText(trans, text, &SETrans::guard);
}

int SESetTime(SEHead* trans, char* text)
{
    return setTransText(trans, text, &SETrans::time);
}

int SESetCode(SEHead* trans, char* text)
{
    return setTransText(trans, text, &SETrans::code);
}

int SESetColourSet(SEHead* record, char* text)
{
    auto* place = as<SEPlace>(record, kSEPlace);
    if (place == nullptr)
        return refuseText(text);
    SEPage* page = pageOf(record);
    place->flags &= ~(kSEInscriptionMark | kSEMarkingMark);
    if (SEPlaceFusSet* set = place->fusionSet) {
        set->flags &= ~kSEInscriptionMark;
        if (set->head.subKind != kSEFusInstance)
            set->flags &= ~kSEStructureMark;
        else if (page != nullptr)
            page->flags &= ~kSEStructureMark;
    } else if (page != nullptr) {
        page->flags &= ~kSEStructureMark;
    }
    if (page != nullptr && count(page->compounds) != 0)
        for (LMList* arcs : {place->inputArcs, place->outputArcs})
            forEachValue(arcs, [](void* a) {
                auto* trans = as<SETrans>(static_cast<SEArc*>(a)->head.owner, kSETrans);
                if (trans != nullptr && trans->compound != nullptr)
                    trans->compound->flags &= ~kSEInscriptionMark;
            });
    if (page != nullptr && place->head.subKind < kSEPlain)
        forEachValue(page->superSubstitutions,
                     [](void* c) { static_cast<SECompound*>(c)->flags &= ~kSEInscriptionMark; });
    replaceText(place->colourSet, trimmedCopy(text));
    return 1;
}

int SESetInitMark(SEHead* record, char* text)
{
    auto* place = as<SEPlace>(record, kSEPlace);
    if (place == nullptr)
        return refuseText(text);
    SEPage* page = pageOf(record);
    if (!replaceText(place->initMark, trimmedCopy(text)))
        return 1;
    place->flags &= ~kSEMarkingMark;
    if (SEPlaceFusSet* set = place->fusionSet) {
        set->flags &= ~kSEMarkingMark;
        if (set->head.subKind != kSEFusInstance)
            set->flags &= ~kSEStructureMark;
        else if (page != nullptr)
            page->flags &= ~kSEMarkingMark;
    } else if (page != nullptr) {
        page->flags &= ~kSEMarkingMark;
    }
    noteSimulatorChange(true);
    return 1;
}

template <class Chart> static int setChartText(SEHead* record, uint16_t kind, char* text)
{
    auto* chart = as<Chart>(record, kind);
    if (chart == nullptr)
        return refuseText(text);
    if (replaceText(chart->chartText, text)) {
        chart->flags &= ~kSEInscriptionMark;
        if (root() != nullptr)
            root()->flags |= kSERootChartsStale;
        noteSimulatorChange(false);
    }
    return 1;
}

int SESetBarChartText(SEHead* chart, char* text)
{
    return setChartText<SEBarChart>(chart, kSEBarChart, text);
}

int SESetLineChartText(SEHead* chart, char* text)
{
    return setChartText<SELineChart>(chart, kSELineChart, text);
}

int SESetDeclText(SEHead* record, char* text)
{
    auto* node = as<SEDeclNode>(record, kSEDeclNode);
    if (node == nullptr)
        return refuseText(text);
    uint16_t subKind = node->head.subKind;
    if (subKind != kSEDeclGlobal && subKind != kSEDeclLocal && subKind != kSEDeclTemporary) {
        freeText(text);
        return 0;
    }
    bool changed = replaceText(node->text, text);
    if (root() != nullptr)
        root()->flags &= ~kSEBit0;
    if (subKind == kSEDeclLocal) {
        if (SEPage* page = pageOf(record))
            page->flags &= ~kSEInscriptionMark;
    } else {
        node->flags &= ~kSEInscriptionMark;
    }
    if (changed)
        noteSimulatorChange(false);
    return 1;
}

int SESetPageNumber(SEHead* record, uint16_t number)
{
    auto* page = as<SEPage>(record, kSEPage);
    if (page == nullptr)
        return invalid();
    page->pageNumber = number;
    return 1;
}

// ---- carriage returns ----

static void fixText(char* text)
{
    if (text == nullptr)
        return;
    for (char* c = text; *c != '\0'; ++c)
        if (*c == '\r')
            *c = '\n';
}

static void fixSetNames(const LMList* sets)
{
    forEachRec(sets, [](SEHead* h) { fixText(SEGetName(h)); });
}

static void fixTrans(SETrans* trans)
{
    for (char* text : {trans->name, trans->guard, trans->text1, trans->text2, trans->time, trans->code, trans->text3,
                       trans->text4, trans->mlName})
        fixText(text);
    if (SECodeSegment* segment = trans->codeSegment) {
        for (char* text : segment->texts)
            fixText(text);
        forEachValue(segment->variables, [](void* v) {
            fixText(static_cast<SECodeVariable*>(v)->first);
            fixText(static_cast<SECodeVariable*>(v)->second);
        });
    }
    for (LMList* arcs : {trans->inputArcs, trans->outputArcs, trans->thirdArcs})
        forEachRec(arcs, [](SEHead* a) { fixText(reinterpret_cast<SEArc*>(a)->expression); });
}

static void fixDeclNodes(const LMList* nodes)
{
    forEachRec(nodes, [](SEHead* h) {
        auto* node = reinterpret_cast<SEDeclNode*>(h);
        fixText(node->name);
        fixText(node->text);
        fixText(node->textB);
    });
}

static void fixTableEntry(void* data, void*)
{
    auto* entry = static_cast<SETableEntry*>(data);
    fixText(entry->key);
    fixText(entry->second);
}

void SEFixStrings()
{
    SERoot* r = root();
    if (r == nullptr)
        return;
    fixSetNames(r->globalPlaceFusionSets);
    fixSetNames(r->globalTransFusionSets);
    forEachRec(r->pages, [](SEHead* h) {
        auto* page = reinterpret_cast<SEPage*>(h);
        fixText(page->name);
        fixSetNames(page->placeFusionSets);
        fixSetNames(page->transFusionSets);
        forEachRec(page->transitions, [](SEHead* t) { fixTrans(reinterpret_cast<SETrans*>(t)); });
        forEachRec(page->places, [](SEHead* p) {
            auto* place = reinterpret_cast<SEPlace*>(p);
            fixText(place->name);
            fixText(place->colourSet);
            fixText(place->initMark);
        });
        fixDeclNodes(page->localDecls);
    });
    fixDeclNodes(r->globalDecls);
    forEachRec(r->simRecords12, [](SEHead* h) { fixText(reinterpret_cast<SECodeEntry*>(h)->text1); });
    forEachRec(r->simRecords13, [](SEHead* h) { fixText(reinterpret_cast<SECheckEntry*>(h)->text1); });
    if (r->declHashTable != nullptr)
        HashApply(r->declHashTable, fixTableEntry, nullptr);
}
