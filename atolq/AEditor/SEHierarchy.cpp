// Hierarchy and fusion operations: compound and port nodes, subpages with the
// cycle rule, port assignment by hand, fusion sets with their members, names
// and type changes, and a few marks. Each operation refuses with a message
// and changes nothing when its arguments do not allow it.
#include <set>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/Utils/SafeString.h"

using namespace se;

namespace {

SECompound*& compoundField(SEHead* node)
{
    return node->kind == kSEPlace ? reinterpret_cast<SEPlace*>(node)->compound
                                  : reinterpret_cast<SETrans*>(node)->compound;
}

uint32_t& nodeFlags(SEHead* node)
{
    return node->kind == kSEPlace ? reinterpret_cast<SEPlace*>(node)->flags : reinterpret_cast<SETrans*>(node)->flags;
}

SEHead* nodeFusionSet(SEHead* node)
{
    return node->kind == kSEPlace ? reinterpret_cast<SEHead*>(reinterpret_cast<SEPlace*>(node)->fusionSet)
                                  : reinterpret_cast<SEHead*>(reinterpret_cast<SETrans*>(node)->fusionSet);
}

void setNodeFusionSet(SEHead* node, SEHead* set)
{
    if (node->kind == kSEPlace)
        reinterpret_cast<SEPlace*>(node)->fusionSet = reinterpret_cast<SEPlaceFusSet*>(set);
    else
        reinterpret_cast<SETrans*>(node)->fusionSet = reinterpret_cast<SETransFusSet*>(set);
}

bool isFusionSet(const SEHead* r)
{
    return r != nullptr && (r->kind == kSEPlaceFusSet || r->kind == kSETransFusSet);
}

LMList*& membersOf(SEHead* set)
{
    return set->kind == kSEPlaceFusSet ? reinterpret_cast<SEPlaceFusSet*>(set)->members
                                       : reinterpret_cast<SETransFusSet*>(set)->members;
}

uint32_t& setFlags(SEHead* set)
{
    return set->kind == kSEPlaceFusSet ? reinterpret_cast<SEPlaceFusSet*>(set)->flags
                                       : reinterpret_cast<SETransFusSet*>(set)->flags;
}

SEText& setName(SEHead* set)
{
    return set->kind == kSEPlaceFusSet ? reinterpret_cast<SEPlaceFusSet*>(set)->name
                                       : reinterpret_cast<SETransFusSet*>(set)->name;
}

// The record list of the set's owner (page or root) that holds the set.
LMList*& ownerListOf(SEHead* set)
{
    bool place = set->kind == kSEPlaceFusSet;
    if (set->owner != nullptr && set->owner->kind == kSEPage) {
        auto* page = reinterpret_cast<SEPage*>(set->owner);
        return place ? page->placeFusionSets : page->transFusionSets;
    }
    return place ? root()->globalPlaceFusionSets : root()->globalTransFusionSets;
}

// Clears bit 5 of a place set's owner (page or root).
void clearOwnerPlaceNames(SEHead* owner)
{
    if (owner == nullptr)
        return;
    if (owner->kind == kSEPage)
        reinterpret_cast<SEPage*>(owner)->flags &= ~kSEPagePlaceNames;
    else if (owner == &root()->head)
        root()->flags &= ~kSEPagePlaceNames;
}

// True when compound c reaches page p following substitution links upwards.
bool reaches(SECompound* c, SEPage* p, std::set<const SEPage*>& seen)
{
    auto* page = as<SEPage>(c->head.owner, kSEPage);
    if (page == nullptr)
        return false;
    if (page == p)
        return true;
    if (!seen.insert(page).second)
        return false;
    return anyValue(page->superSubstitutions,
                    [&](void* v) { return reaches(static_cast<SECompound*>(v), p, seen); });
}

bool reaches(SECompound* c, SEPage* p)
{
    std::set<const SEPage*> seen;
    return reaches(c, p, seen);
}

LMList*& superListOf(SEPage* page, uint16_t type)
{
    return type == kSESubstitution ? page->superSubstitutions : page->superInvocations;
}

bool hasPort(const LMList* nodes)
{
    return findRec(nodes, [](SEHead* h) { return h->subKind < kSEPlain; }) != nullptr;
}

bool nameUsedIn(const LMList* sets, const char* name)
{
    return findRec(sets, [&](SEHead* h) {
               const char* other = setName(h);
               return other != nullptr && std::strcmp(other, name) == 0;
           }) != nullptr;
}

LMList* pageSetsOf(SEPage* page, uint16_t kind)
{
    return kind == kSEPlaceFusSet ? page->placeFusionSets : page->transFusionSets;
}

LMList* globalSetsOf(uint16_t kind)
{
    return kind == kSEPlaceFusSet ? root()->globalPlaceFusionSets : root()->globalTransFusionSets;
}

bool nameUsedOnAnyPage(uint16_t kind, const char* name, const SEPage* except)
{
    return findRec(root()->pages, [&](SEHead* h) {
               auto* page = reinterpret_cast<SEPage*>(h);
               return page != except && nameUsedIn(pageSetsOf(page, kind), name);
           }) != nullptr;
}

} // namespace

namespace se {

// Removes a fusion set whatever members it still has: they lose their membership.
void deleteFusionSet(SEHead* set)
{
    forEachValue(membersOf(set), [](void* v) {
        auto* node = static_cast<SEHead*>(v);
        nodeFlags(node) &= ~kSEFusionMember;
        setNodeFusionSet(node, nullptr);
    });
    releaseRecord(set);
    unlinkAndFree(ownerListOf(set), set);
}

} // namespace se

SEHead* SEMakeCompound(SEHead* node, uint16_t type)
{
    if (node == nullptr) {
        invalid();
        return nullptr;
    }
    if (!isNode(node)) {
        invalid(kSEMsgNotPlaceOrTrans);
        return nullptr;
    }
    if (node->subKind < kSEPlain) {
        invalid(kSEMsgPortNotCompound);
        return nullptr;
    }
    if (type == kSEInvocation && node->kind == kSEPlace) {
        invalid(kSEMsgNoInvocationPlace);
        return nullptr;
    }
    if (type != kSESubstitution && type != kSEInvocation) {
        invalid(kSEMsgWrongKind);
        return nullptr;
    }
    if (compoundField(node) != nullptr) // already compound: no second record
        return node->subKind == type ? node : nullptr;
    if (SEHasCompoundPeer(node)) {
        invalid(kSEMsgSocketPlace);
        return nullptr;
    }
    SEPage* page = pageOf(node);
    if (page == nullptr) {
        invalid();
        return nullptr;
    }
    auto* compound = reinterpret_cast<SECompound*>(newRecord(kSECompound));
    compound->head.subKind = type;
    compound->head.owner = &page->head;
    compound->node = node;
    pushRec(page->compounds, &compound->head);
    compoundField(node) = compound;
    node->subKind = type;
    return node;
}

SEHead* SEUnmakeCompound(SEHead* node)
{
    if (node == nullptr) {
        invalid();
        return nullptr;
    }
    if (!isNode(node) || compoundField(node) == nullptr)
        return node;
    SECompound* compound = compoundField(node);
    compoundField(node) = nullptr;
    if (SEPage* page = pageOf(node))
        page->flags &= ~kSEStructureMark;
    destroyList(compound->assignments);
    if (SEPage* subpage = compound->subpage) {
        removeValue(superListOf(subpage, compound->head.subKind), compound);
        SEUpdatePortKind(subpage);
    }
    node->subKind = kSEPlain;
    auto* owner = as<SEPage>(compound->head.owner, kSEPage);
    if (owner != nullptr)
        unlinkAndFree(owner->compounds, &compound->head);
    return node;
}

int SEMakePort(SEHead* node, uint16_t portType)
{
    if (node == nullptr)
        return invalid();
    if (!isNode(node))
        return invalid(kSEMsgNotPlaceOrTrans);
    if (isCompoundKind(node->subKind))
        return invalid(kSEMsgPortOfCompound);
    SEPage* page = pageOf(node);
    if (page == nullptr)
        return invalid();
    if (page->head.subKind != kSEPortsNone && page->head.subKind != node->kind)
        return invalid(kSEMsgPageTypeMismatch);
    if (nodeFlags(node) & kSEFusionMember)
        return invalid(kSEMsgPortFusionMember);
    if (portType < kSEPortInput || portType > kSEPortGeneral)
        return invalid(kSEMsgWrongKind);
    if (node->kind == kSEPlace) {
        nodeFlags(node) &= ~kSEInscriptionMark;
        page->flags &= ~kSEStructureMark;
    }
    node->subKind = portType;
    page->head.subKind = node->kind; // 2 places, 3 transitions
    return 1;
}

int SEUnmakePort(SEHead* node)
{
    if (node == nullptr)
        return invalid();
    if (!isNode(node) || node->subKind >= kSEPlain)
        return 0;
    SEPage* page = pageOf(node);
    node->subKind = kSEPlain;
    if (page == nullptr)
        return 1;
    if (node->kind == kSEPlace) {
        nodeFlags(node) &= ~kSEInscriptionMark;
        page->flags &= ~kSEStructureMark;
    }
    for (LMList* list : {page->superSubstitutions, page->superInvocations})
        forEachValue(list, [&](void* v) {
            auto* compound = static_cast<SECompound*>(v);
            removePairsWith(compound->assignments, node, 1);
            compound->flags &= ~kSEInscriptionMark;
        });
    SEUpdatePortKind(page);
    return 1;
}

int SEUpdatePortKind(SEPage* page)
{
    if (page == nullptr || page->head.kind != kSEPage)
        return invalid();
    if (hasPort(page->places))
        page->head.subKind = kSEPortsPlaces;
    else if (hasPort(page->transitions))
        page->head.subKind = kSEPortsTrans;
    else if (count(page->superSubstitutions) == 0 && count(page->superInvocations) == 0)
        page->head.subKind = kSEPortsNone;
    return 1;
}

int SEMakeSubpage(SEHead* node, SEPage* page)
{
    if (node == nullptr || page == nullptr || page->head.kind != kSEPage)
        return invalid();
    if (!isNode(node))
        return 0;
    SECompound* compound = compoundField(node);
    if (!isCompoundKind(node->subKind) || compound == nullptr)
        return invalid(kSEMsgSubpageNotCompound);
    if (page->head.subKind == node->kind)
        return invalid(kSEMsgSubpageTypeMismatch);
    if (node->subKind == kSESubstitution && count(page->compounds) != 0 && reaches(compound, page))
        return invalid(kSEMsgCycle);
    if (compound->subpage == page)
        return 1;
    if (SEPage* old = compound->subpage) { // leave the previous subpage first
        removeValue(superListOf(old, compound->head.subKind), compound);
        compound->subpage = nullptr;
        SEUpdatePortKind(old);
    }
    compound->subpage = page;
    page->flags |= kSEPageIsSubpage;
    compound->flags &= ~kSEInscriptionMark;
    prependValue(superListOf(page, compound->head.subKind), compound);
    page->head.subKind = node->kind == kSEPlace ? kSEPortsTrans : kSEPortsPlaces;
    return 1;
}

int SECheckCycle(SEHead* node, SEPage* page)
{
    if (page == nullptr || page->head.kind != kSEPage || node == nullptr)
        return invalid();
    if (!isNode(node))
        return invalid(kSEMsgNotPlaceOrTrans);
    SECompound* compound = compoundField(node);
    if (compound == nullptr)
        return invalid(kSEMsgCycleNotCompound);
    return reaches(compound, page) ? 0 : 1;
}

int SEChng_Comptype(SEHead* node, uint16_t type)
{
    if (node == nullptr)
        return invalid();
    if (!isNode(node))
        return invalid(kSEMsgNotPlaceOrTrans);
    SECompound* compound = compoundField(node);
    if (compound == nullptr)
        return invalid(kSEMsgComptypeNotCompound);
    if (type != kSESubstitution && type != kSEInvocation)
        return invalid(kSEMsgWrongKind);
    if (SEPage* subpage = compound->subpage) {
        if (type == kSESubstitution && reaches(compound, subpage))
            return 0;
        removeValue(subpage->superSubstitutions, compound);
        removeValue(subpage->superInvocations, compound);
        prependValue(superListOf(subpage, type), compound);
        SEUpdatePortKind(subpage);
    }
    compound->head.subKind = type;
    node->subKind = type;
    compound->flags &= ~kSEInscriptionMark;
    return 1;
}

int SEAssignPort(SEHead* node, SEHead* socket, SEHead* port)
{
    if (node == nullptr || socket == nullptr || port == nullptr)
        return invalid();
    if (socket->kind != port->kind)
        return invalid(kSEMsgAssignKinds);
    if (SEArcDirection(socket, node) == 0)
        return invalid(kSEMsgNotSocket);
    if (!isNode(node))
        return invalid(kSEMsgNotPlaceOrTrans);
    SECompound* compound = compoundField(node);
    if (compound == nullptr)
        return invalid();
    // Only a port node of the subpage can be assigned.
    if (compound->subpage == nullptr || port->owner != &compound->subpage->head || port->subKind >= kSEPlain)
        return invalid(kSEMsgPortNotOnSubpage);
    removePairsWith(compound->assignments, socket, 0);
    prependPair(compound->assignments, socket, port);
    compound->flags &= ~kSEInscriptionMark;
    return 1;
}

int SEIsAncestorNode(SEPage* page, SEHead* node)
{
    if (page == nullptr || page->head.kind != kSEPage || node == nullptr)
        return invalid();
    if (!isNode(node) || compoundField(node) == nullptr || node->owner == &page->head)
        return 0;
    SECompound* wanted = compoundField(node);
    std::set<const SEPage*> seen;
    std::vector<SEPage*> pending{page};
    while (!pending.empty()) {
        SEPage* current = pending.back();
        pending.pop_back();
        if (!seen.insert(current).second)
            continue;
        bool found = false;
        for (LMList* list : {current->superSubstitutions, current->superInvocations})
            forEachValue(list, [&](void* v) {
                auto* compound = static_cast<SECompound*>(v);
                if (compound == wanted)
                    found = true;
                if (auto* above = as<SEPage>(compound->head.owner, kSEPage))
                    pending.push_back(above);
            });
        if (found)
            return 1;
    }
    return 0;
}

int SESetName(SEHead* record, char* name)
{
    if (record == nullptr) {
        freeText(name);
        return invalid();
    }
    if (isFusionSet(record)) {
        auto* page = as<SEPage>(record->owner, kSEPage);
        if (!SECheckFusName(record->kind, record->subKind, name, page)) {
            freeText(name);
            return 0;
        }
    }
    switch (record->kind) {
    case kSEPage: case kSEPlace: case kSETrans: case kSEPlaceFusSet: case kSETransFusSet: case kSEDeclNode:
        SEPutName(record, name);
        break;
    default:
        freeText(name);
        break;
    }
    SEPage* page = pageOf(record);
    if (record->kind == kSEPlace) {
        nodeFlags(record) &= ~kSEPlaceNameMarks;
        if (page != nullptr)
            page->flags &= ~kSEPagePlaceNames;
    } else if (record->kind == kSETrans) {
        nodeFlags(record) &= ~kSETransNameMarks;
        if (page != nullptr)
            page->flags &= ~kSEPageTransNames;
    } else if (record->kind == kSEPage) {
        reinterpret_cast<SEPage*>(record)->flags &= ~(kSEPagePlaceNames | kSEPageTransNames | kSEPageName);
        if (root() != nullptr)
            root()->flags &= ~kSERootPageNames;
    }
    return 1;
}

int SECheckFusName(uint16_t setKind, uint16_t fusionType, const char* name, SEPage* page)
{
    if (fusionType < kSEFusGlobal || fusionType > kSEFusInstance)
        return invalid(kSEMsgWrongKind);
    if ((setKind != kSEPlaceFusSet && setKind != kSETransFusSet) || root() == nullptr)
        return 0;
    if (name == nullptr)
        return 1;
    if (fusionType == kSEFusGlobal)
        return !nameUsedIn(globalSetsOf(setKind), name) && !nameUsedOnAnyPage(setKind, name, nullptr);
    if (page == nullptr || page->head.kind != kSEPage)
        return 0;
    return !nameUsedIn(pageSetsOf(page, setKind), name) && !nameUsedIn(globalSetsOf(setKind), name);
}

int SECheckFusTypeChange(SEHead* set, uint16_t fusionType, const char* name)
{
    if (set == nullptr || !isFusionSet(set) || root() == nullptr)
        return invalid();
    if (fusionType < kSEFusGlobal || fusionType > kSEFusInstance)
        return invalid(kSEMsgWrongKind);
    if (fusionType == set->subKind && SafeStrcmp(name, setName(set)) == 0)
        return 1;
    if (set->subKind == kSEFusGlobal)
        return 1;
    if (name != nullptr && nameUsedIn(globalSetsOf(set->kind), name))
        return 0;
    if (fusionType == kSEFusGlobal && name != nullptr &&
        nameUsedOnAnyPage(set->kind, name, as<SEPage>(set->owner, kSEPage)))
        return 0;
    return 1;
}

// A global set becomes a page or instance set: each member joins the set of
// that name on its own page; the global set goes.
static int splitGlobalSet(SEHead* set, uint16_t fusionType)
{
    char* name = copyText(setName(set));
    std::vector<SEHead*> members;
    forEachValue(membersOf(set), [&](void* v) { members.push_back(static_cast<SEHead*>(v)); });
    bool setGone = false;
    for (SEHead* member : members) {
        SEPage* page = pageOf(member);
        SEHead* target = page != nullptr ? SEFindFusSet(name, set->kind, page) : nullptr;
        if (target == nullptr && page != nullptr) {
            target = set->kind == kSEPlaceFusSet ? &SECreatePlaceFusSet(fusionType, page)->head
                                                 : &SECreateTransFusSet(fusionType, page)->head;
            SEPutName(target, copyText(name));
        }
        if (page != nullptr)
            page->flags &= ~kSEStructureMark;
        setGone = count(membersOf(set)) == 1;
        SEDelFusMem(member);
        if (target != nullptr)
            SEAddFusMem(target, member);
        if (setGone)
            break;
    }
    if (!setGone)
        deleteFusionSet(set);
    freeText(name);
    return 1;
}

static void moveSetToRoot(SEHead* set)
{
    auto* page = as<SEPage>(set->owner, kSEPage);
    if (page == nullptr)
        return;
    LMList*& from = set->kind == kSEPlaceFusSet ? page->placeFusionSets : page->transFusionSets;
    LMList*& to = set->kind == kSEPlaceFusSet ? root()->globalPlaceFusionSets : root()->globalTransFusionSets;
    moveRec(from, to, set);
    set->owner = &root()->head;
}

int SEChangeFusType(SEHead* set, uint16_t fusionType, SEPage*)
{
    if (!SECheckFusTypeChange(set, fusionType, set != nullptr && isFusionSet(set) ? setName(set) : nullptr))
        return 0;
    uint16_t oldType = set->subKind;
    if (oldType == kSEFusGlobal && fusionType != kSEFusGlobal)
        return splitGlobalSet(set, fusionType);
    auto* page = as<SEPage>(set->owner, kSEPage);
    if (set->kind == kSEPlaceFusSet) {
        if (oldType == kSEFusPage && fusionType == kSEFusInstance && page != nullptr)
            page->flags &= ~kSEStructureMark;
        if ((oldType != kSEFusGlobal && fusionType == kSEFusGlobal) ||
            (oldType == kSEFusInstance && fusionType == kSEFusPage)) {
            setFlags(set) &= ~kSEStructureMark;
            forEachValue(membersOf(set), [](void* v) {
                auto* place = static_cast<SEPlace*>(v);
                for (LMList* arcs : {place->inputArcs, place->outputArcs})
                    forEachValue(arcs, [](void* a) {
                        if (auto* trans = as<SETrans>(static_cast<SEArc*>(a)->head.owner, kSETrans))
                            trans->flags &= ~kSEMarkingMark;
                    });
            });
            if (fusionType == kSEFusGlobal)
                moveSetToRoot(set);
        }
    } else if (oldType != kSEFusGlobal && fusionType == kSEFusGlobal) {
        moveSetToRoot(set);
    }
    set->subKind = fusionType;
    setFlags(set) &= ~kSEInscriptionMark;
    return 1;
}

int SEAddFusMem(SEHead* set, SEHead* node)
{
    if (set == nullptr || node == nullptr || !isFusionSet(set))
        return invalid();
    if (!isNode(node))
        return invalid(kSEMsgNotPlaceOrTrans);
    if (node->subKind < kSEPlain)
        return invalid(kSEMsgPortFusionMember);
    if (set->subKind != kSEFusGlobal && node->owner != set->owner)
        return invalid(kSEMsgFusionPage);
    if (set->kind == kSEPlaceFusSet && node->kind != kSEPlace)
        return invalid(kSEMsgPlaceSetTrans);
    if (set->kind == kSETransFusSet && node->kind != kSETrans)
        return invalid(kSEMsgTransSetPlace);
    if (nodeFusionSet(node) == set)
        return 1;
    if (nodeFusionSet(node) != nullptr) // a node is in one set at a time
        SEDelFusMem(node);
    prependValue(membersOf(set), node);
    setNodeFusionSet(node, set);
    nodeFlags(node) |= kSEFusionMember;
    setFlags(set) &= ~kSEInscriptionMark;
    if (set->kind == kSEPlaceFusSet)
        clearOwnerPlaceNames(set->owner);
    return 1;
}

int SEDelFusMem(SEHead* node)
{
    if (node == nullptr)
        return invalid();
    if (!isNode(node))
        return invalid(kSEMsgNotPlaceOrTrans);
    SEHead* set = nodeFusionSet(node);
    if (set == nullptr)
        return 0;
    SEHead* owner = set->owner;
    removeValue(membersOf(set), node);
    nodeFlags(node) &= ~kSEFusionMember;
    if (count(membersOf(set)) == 0)
        deleteFusionSet(set);
    setNodeFusionSet(node, nullptr);
    nodeFlags(node) &= ~kSEInscriptionMark;
    if (SEPage* page = pageOf(node))
        page->flags &= ~kSEStructureMark;
    if (node->kind == kSEPlace)
        clearOwnerPlaceNames(owner);
    return 1;
}

int SESetNodeFlag(SEHead* node)
{
    if (node == nullptr)
        return invalid();
    if (!isNode(node))
        return invalid(kSEMsgNotPlaceOrTrans);
    if (isCompoundKind(node->subKind))
        return invalid(kSEMsgWrongKind);
    nodeFlags(node) |= kSEBit0;
    return 1;
}

int SEClearNodeFlag(SEHead* node)
{
    if (node == nullptr)
        return invalid();
    if (isNode(node))
        nodeFlags(node) &= ~kSEBit0;
    return 1;
}

void SEMarkNetChanged()
{
    if (root() != nullptr)
        root()->flags |= kSERootNetChanged;
}

void SEMarkGlobalDeclChanged()
{
    SEDeclNode* node = nullptr;
    if (root() == nullptr || CTSFindGlobalDeclNode(&node, kSEDeclGlobal) != 0 || node == nullptr)
        return;
    node->flags &= ~kSEInscriptionMark;
    root()->flags &= ~kSEBit0;
}
