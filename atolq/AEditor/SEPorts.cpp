// Port assignment lists of compound nodes, sockets and port nodes, automatic
// port assignment, and moving places, transitions and local declaration nodes
// from one page to another with their fusion, compound and port state.
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/Utils/SafeString.h"

using namespace se;

namespace {

inline constexpr uint32_t kCheckMark = 0x1000;

SECompound*& compoundField(SEHead* node)
{
    return node->kind == kSEPlace ? reinterpret_cast<SEPlace*>(node)->compound
                                  : reinterpret_cast<SETrans*>(node)->compound;
}

// The compound record of a node or the compound record itself; reports
// 12552 for other records. Sets ok to false then.
SECompound* compoundArgument(SEHead* record, bool& ok)
{
    ok = true;
    if (record != nullptr && record->kind == kSECompound)
        return reinterpret_cast<SECompound*>(record);
    if (!isNode(record)) {
        ok = false;
        invalid(kSEMsgNotPlaceOrTrans);
        return nullptr;
    }
    return compoundField(record);
}

bool reachesUp(SECompound* c, SEPage* target, std::vector<const SEPage*>& seen)
{
    auto* page = as<SEPage>(c->head.owner, kSEPage);
    if (page == nullptr)
        return false;
    if (page == target)
        return true;
    for (const SEPage* p : seen)
        if (p == page)
            return false;
    seen.push_back(page);
    return anyValue(page->superSubstitutions,
                    [&](void* v) { return reachesUp(static_cast<SECompound*>(v), target, seen); });
}

// The fusion set of the same name and kind on the target page, made when
// missing, that a moved node is to join; null when the node stays unfused.
SEHead* targetFusionSet(SEHead* node, SEPage* target)
{
    SEHead* set = SEGetFusSet(node);
    if (set == nullptr || set->subKind == kSEFusGlobal)
        return nullptr;
    char* name = SEGetName(set);
    SEHead* found = name != nullptr ? SEFindFusSet(name, set->kind, target) : nullptr;
    if (found == nullptr) {
        found = set->kind == kSEPlaceFusSet ? &SECreatePlaceFusSet(set->subKind, target)->head
                                            : &SECreateTransFusSet(set->subKind, target)->head;
        SESetName(found, copyText(name));
    }
    SEDelFusMem(node);
    return found;
}

} // namespace

SEHead* SEGetAssignment(SEHead* node, SEHead* socket)
{
    if (!isNode(node)) {
        invalid(kSEMsgNotPlaceOrTrans);
        return nullptr;
    }
    SECompound* compound = compoundField(node);
    if (compound == nullptr)
        return nullptr;
    SEHead* port = nullptr;
    bool found = false;
    forEachPair(compound->assignments, [&](void* s, void* p) {
        if (!found && s == socket) {
            port = static_cast<SEHead*>(p);
            found = true;
        }
    });
    return port;
}

int SEDropSocketAssignments(SEHead* nodeOrCompound, SEHead* socket)
{
    bool ok = false;
    SECompound* compound = compoundArgument(nodeOrCompound, ok);
    if (compound == nullptr || compound->assignments == nullptr)
        return 0;
    removePairsWith(compound->assignments, socket, 0);
    compound->flags &= ~kCheckMark;
    return 1;
}

int SEDropPortAssignments(SEHead* nodeOrCompound, SEHead* port)
{
    bool ok = false;
    SECompound* compound = compoundArgument(nodeOrCompound, ok);
    if (!ok)
        return 0;
    if (compound == nullptr)
        return 1;
    if (compound->assignments == nullptr)
        return 0;
    removePairsWith(compound->assignments, port, 1);
    compound->flags &= ~kCheckMark;
    return 1;
}

LMList* SEGetSockets(SEHead* node)
{
    if (!isNode(node)) {
        invalid();
        return nullptr;
    }
    if (!isCompoundKind(node->subKind)) {
        invalid(kSEMsgNotSubstitution);
        return nullptr;
    }
    LMList* sockets = LMCreate(kLMValueList);
    auto add = [&](SEHead* peer) {
        if (peer != nullptr && !containsValue(sockets, peer))
            LMPrepend(sockets, peer, nullptr);
    };
    if (node->kind == kSEPlace) {
        auto* place = reinterpret_cast<SEPlace*>(node);
        for (LMList* arcs : {place->inputArcs, place->outputArcs})
            forEachValue(arcs, [&](void* a) { add(static_cast<SEArc*>(a)->head.owner); });
    } else {
        auto* trans = reinterpret_cast<SETrans*>(node);
        for (LMList* arcs : {trans->inputArcs, trans->outputArcs})
            forEachRec(arcs, [&](SEHead* a) { add(&reinterpret_cast<SEArc*>(a)->place->head); });
    }
    return sockets;
}

LMList* SEGetPortNodes(SEHead* record)
{
    auto* page = as<SEPage>(record, kSEPage);
    if (page == nullptr) {
        invalid();
        return nullptr;
    }
    const LMList* nodes = page->head.subKind == kSEPortsPlaces  ? page->places
                          : page->head.subKind == kSEPortsTrans ? page->transitions
                                                                : nullptr;
    if (nodes == nullptr)
        return nullptr;
    LMList* ports = LMCreate(kLMValueList);
    forEachRec(nodes, [&](SEHead* h) {
        if (h->subKind < kSEPlain)
            LMAppend(ports, h, nullptr);
    });
    return ports;
}

int SEAutoAssign(SEHead* node, SEHead* pageRecord)
{
    auto* page = as<SEPage>(pageRecord, kSEPage);
    if (!isNode(node) || page == nullptr)
        return invalid();
    SECompound* compound = compoundField(node);
    if (compound == nullptr)
        return invalid(kSEMsgNotSubstitution);
    if (compound->subpage != page)
        return invalid(kSEMsgNotSubpageOf);
    LMList* sockets = SEGetSockets(node);
    LMList* ports = SEGetPortNodes(pageRecord);
    forEachValue(sockets, [&](void* s) {
        auto* socket = static_cast<SEHead*>(s);
        int direction = SEArcDirection(socket, node);
        std::vector<SEHead*> candidates;
        forEachValue(ports, [&](void* p) {
            auto* port = static_cast<SEHead*>(p);
            if (port->subKind == direction || port->subKind == kSEPortGeneral)
                candidates.push_back(port);
        });
        SEHead* chosen = nullptr;
        if (candidates.size() == 1) {
            chosen = candidates.front();
        } else if (candidates.size() > 1 && SEGetName(socket) != nullptr) {
            int matches = 0;
            for (SEHead* port : candidates) {
                const char* name = SEGetName(port);
                if (name != nullptr && std::strcmp(name, SEGetName(socket)) == 0) {
                    chosen = port;
                    ++matches;
                }
            }
            if (matches != 1)
                chosen = nullptr;
        }
        if (chosen != nullptr)
            SEAssignPort(node, socket, chosen);
    });
    int handled = count(sockets) != 0 ? 1 : 0;
    destroyList(sockets);
    destroyList(ports);
    return handled;
}

int SEMoveRecordsToPage(LMList* records, SEHead* page)
{
    std::vector<SEHead*> list;
    forEachValue(records, [&](void* r) { list.push_back(static_cast<SEHead*>(r)); });
    for (SEHead* record : list)
        SEMoveToPage(record, page, 1);
    return 1;
}

// Moves a compound record with its node; false when the move would make a
// substitution cycle.
static bool moveCompound(SEHead* record, SEPage* target, uint32_t keep)
{
    SECompound* compound = compoundField(record);
    if (compound == nullptr)
        return true;
    auto* oldPage = as<SEPage>(compound->head.owner, kSEPage);
    if (record->subKind == kSESubstitution && compound->subpage != nullptr) {
        SEHead* savedOwner = record->owner;
        SEHead* savedCompoundOwner = compound->head.owner;
        record->owner = &target->head;
        compound->head.owner = &target->head;
        std::vector<const SEPage*> seen;
        bool cycle = reachesUp(compound, compound->subpage, seen);
        record->owner = savedOwner;
        compound->head.owner = savedCompoundOwner;
        if (cycle)
            return false;
    }
    if (!keep)
        destroyList(compound->assignments);
    if (oldPage != nullptr)
        moveRec(oldPage->compounds, target->compounds, &compound->head);
    compound->head.owner = &target->head;
    return true;
}

int SEMoveToPage(SEHead* record, SEHead* pageRecord, uint32_t keep)
{
    auto* target = as<SEPage>(pageRecord, kSEPage);
    if (record == nullptr || target == nullptr)
        return invalid();
    if (record->owner == pageRecord)
        return 1;
    if (record->kind == kSEDeclNode) {
        auto* oldPage = pageOf(record);
        if (record->subKind == kSEDeclLocal && oldPage != nullptr) {
            moveRec(oldPage->localDecls, target->localDecls, record);
            record->owner = pageRecord;
        }
        return 1;
    }
    if (!isNode(record))
        return 0;
    SEPage* oldPage = pageOf(record);
    if (oldPage == nullptr)
        return invalid();
    uint16_t portType = 0;
    if (isCompoundKind(record->subKind)) {
        if (!moveCompound(record, target, keep))
            return 0;
    } else if (record->subKind < kSEPlain) {
        portType = record->subKind;
        SEUnmakePort(record);
    }
    SEHead* joinSet = targetFusionSet(record, target);
    if (record->kind == kSEPlace)
        moveRec(oldPage->places, target->places, record);
    else
        moveRec(oldPage->transitions, target->transitions, record);
    record->owner = pageRecord;
    if (joinSet != nullptr)
        SEAddFusMem(joinSet, record);
    if (portType != 0) {
        SEMakePort(record, portType);
        SEUpdatePortKind(target);
    }
    return 1;
}

int SEKeyEqual(uintptr_t first, uintptr_t, uintptr_t argument)
{
    return first == argument ? 1 : 0;
}

int SESecondEqual(uintptr_t, uintptr_t second, uintptr_t argument)
{
    return second == argument ? 1 : 0;
}

int SENamesEqual(SEHead* a, SEHead* b)
{
    return SafeStrcmp(SEGetName(a), SEGetName(b)) == 0 ? 1 : 0;
}
