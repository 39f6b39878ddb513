// The structure rules: transition fusion (S.1), substitution places (S.2),
// invocation transitions (S.3), injective port assignment (S.4), agreement of
// colour sets and initial markings in place fusion sets (C.16, C.17), and the
// sockets of a substitution transition against their ports (C.15, C.18, C.19).
#include <cstring>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/ConvertToSim/CTSSeams.h"
#include "atolq/Utils/HashTable.h"

namespace {

constexpr uint32_t kCompoundInUse = 0x20;
constexpr uint32_t kFusionMarkingPending = 0x10000;

bool sameText(const char* a, const char* b)
{
    return std::strcmp(a != nullptr ? a : "", b != nullptr ? b : "") == 0;
}
bool hasText(const char* t) { return t != nullptr && t[0] != '\0'; }

std::vector<SEPlace*> membersOf(const SEPlaceFusSet* set)
{
    std::vector<SEPlace*> out;
    se::forEachValue(set->members, [&](void* v) { out.push_back(static_cast<SEPlace*>(v)); });
    return out;
}

void clearMarksAtArcs(SEPlace* place)
{
    for (const LMList* arcs : {place->inputArcs, place->outputArcs})
        se::forEachValue(arcs, [](void* a) {
            SEHead* owner = static_cast<SEArc*>(a)->head.owner;
            if (owner != nullptr && owner->kind == kSETrans)
                se::clearTransMarks(reinterpret_cast<SETrans*>(owner));
        });
}

// Pass 0: every member's colour set names the first member's.
int fusionColourPass(SEPlaceFusSet* set)
{
    auto members = membersOf(set);
    if ((set->flags & kSEInscriptionMark) != 0 || members.empty())
        return 0;
    for (SEPlace* member : members)
        if (!sameText(member->colourSet, members.front()->colourSet)) {
            CTSReport(&member->head, "C.16 Color set in fusion set");
            return 1;
        }
    set->flags = (set->flags | kSEInscriptionMark) & ~kSEMarkingMark;
    for (SEPlace* member : members)
        clearMarksAtArcs(member);
    return 0;
}

// Pass 1: the members' initial markings agree and the chosen one is legal.
int fusionMarkingPass(SEPlaceFusSet* set)
{
    auto members = membersOf(set);
    if ((set->flags & kSEInscriptionMark) == 0 || (set->flags & kSEMarkingMark) != 0 || members.empty())
        return 0;
    SEPlace* chosen = members.front();
    for (SEPlace* member : members)
        if (hasText(member->initMark)) {
            chosen = member;
            break;
        }
    CTSContext& context = CTSCurrentContext();
    for (SEPlace* member : members) {
        if (hasText(member->initMark) && !sameText(member->initMark, chosen->initMark)) {
            CTSReport(&member->head, "C.17 Initial marking in fusion set");
            return 1;
        }
        ++context.progress.counters[1];
    }
    if (set->text == nullptr)
        set->text = CTSNewNumberName(nullptr, 0); // the ML name the code generator reads

    int result = CTSCheckFusionMarking(set, chosen);
    if (result == 1 || result == 2) {
        set->flags = (set->flags | kSEMarkingMark) & ~kFusionMarkingPending;
        for (SEPlace* member : members)
            clearMarksAtArcs(member);
        return 0;
    }
    CTSReport(&members.back()->head, "C.16 Color set in fusion set", CTSReplyBuffer());
    return 1;
}

// The arc that joins a socket place to a transition (the first found).
SEHead* arcBetween(SETrans* trans, SEHead* socket)
{
    for (const LMList* arcs : {trans->inputArcs, trans->outputArcs, trans->thirdArcs}) {
        SEHead* found = se::findRec(arcs, [&](SEHead* a) {
            return &reinterpret_cast<SEArc*>(a)->place->head == socket;
        });
        if (found != nullptr)
            return found;
    }
    return &trans->head;
}

bool placeChecked(const SEPlace* place)
{
    const uint32_t flags = place->fusionSet != nullptr ? place->fusionSet->flags : place->flags;
    return (flags & kSEInscriptionMark) != 0;
}

// The socket rules for one socket; sets the arc error word on every stop.
void checkSocket(SECompound* compound, SETrans* trans, SEPlace* socket)
{
    CTSContext& context = CTSCurrentContext();
    if (!placeChecked(socket)) {
        context.arcError = 1;
        return;
    }
    SEHead* port = SEGetAssignment(&trans->head, &socket->head);
    if (port == nullptr) {
        CTSReport(&socket->head, "C.18 Socket must be assigned");
        context.arcError = 1;
        return;
    }
    if (port->kind != kSEPlace || !placeChecked(reinterpret_cast<SEPlace*>(port))) {
        context.arcError = 1;
        return;
    }
    SEHead* arc = arcBetween(trans, &socket->head);
    if (port->subKind != kSEPortGeneral && port->subKind != SEArcDirection(&socket->head, &trans->head)) {
        CTSReport(arc, "C.19 Port type must match socket");
        context.arcError = 1;
        return;
    }
    if (ASSameName(&socket->head, port) == 0) {
        CTSReport(arc, "C.15 Color set in port assignment");
        context.arcError = 1;
    }
    (void)compound;
}

} // namespace

int CTSCheckFusionSet(SEPlaceFusSet* set, int pass)
{
    if (set == nullptr)
        return 0;
    return pass == 0 ? fusionColourPass(set) : fusionMarkingPass(set);
}

int CTSCheckGlobalTransFusion(SERoot* root)
{
    CTSContext& context = CTSCurrentContext();
    if (root == nullptr || context.simulatorChecks == 0 || se::count(root->globalTransFusionSets) == 0)
        return 0;
    auto* set = reinterpret_cast<SETransFusSet*>(root->globalTransFusionSets->first);
    SEHead* first = nullptr;
    se::forEachValue(set->members, [&](void* v) {
        if (first == nullptr)
            first = static_cast<SEHead*>(v);
    });
    CTSReport(first, "S.1 Fusioned Transition", CTSReplyBuffer());
    return 1;
}

int CTSCheckPageFusion(SEPage* page)
{
    if (page == nullptr)
        return 0;
    if (se::count(page->transFusionSets) != 0) {
        CTSReport(&page->head, "S.1 Fusioned Transition");
        return 1;
    }
    if (CTSProgress() == 0)
        return 1;
    for (int pass = 0; pass < 2; ++pass)
        se::forEachRec(page->placeFusionSets, [&](SEHead* h) {
            if (CTSCurrentContext().continueFlag != 0)
                CTSCheckFusionSet(reinterpret_cast<SEPlaceFusSet*>(h), pass);
        });
    return 0;
}

void CTSMarkCompound(SECompound* compound)
{
    if (compound == nullptr)
        return;
    if ((compound->modeFlags & 1u) != 0 && CTSPageInUse(compound->subpage))
        compound->modeFlags |= kCompoundInUse;
    else
        compound->modeFlags &= ~kCompoundInUse;
}

int CTSCheckCompound(SECompound* compound)
{
    CTSContext& context = CTSCurrentContext();
    if (compound == nullptr || compound->node == nullptr)
        return 0;
    SEHead* node = compound->node;
    if (node->kind == kSEPlace) {
        if (context.simulatorChecks != 0)
            CTSReport(node, "S.2 Substitution Place", CTSReplyBuffer());
        return 0;
    }
    if (compound->head.subKind == kSEInvocation && context.simulatorChecks != 0) {
        CTSReport(node, "S.3 Invocation Transition");
        return 0;
    }
    if ((compound->modeFlags & kCompoundInUse) == 0 || (compound->flags & kSEInscriptionMark) != 0)
        return 0;
    auto* trans = reinterpret_cast<SETrans*>(node);
    LMList* sockets = SEGetSockets(node);
    se::forEachValue(sockets, [&](void* v) {
        auto* socket = static_cast<SEHead*>(v);
        if (socket->kind == kSEPlace)
            checkSocket(compound, trans, reinterpret_cast<SEPlace*>(socket));
    });
    if (sockets != nullptr)
        LMDestroy(sockets);
    if (context.arcError != 0) {
        context.arcError = 0;
        return 1;
    }
    compound->flags |= kSEInscriptionMark;
    return 0;
}

int CTSCheckPortsInjective(SECompound* compound)
{
    CTSContext& context = CTSCurrentContext();
    if (compound == nullptr || context.simulatorChecks == 0 || compound->subpage == nullptr ||
        compound->node == nullptr || compound->node->kind != kSETrans)
        return 0;
    auto* trans = reinterpret_cast<SETrans*>(compound->node);
    int found = 0;
    se::forEachRec(compound->subpage->places, [&](SEHead* port) {
        if (SEIsPort(port) == 0)
            return;
        SEHead* first = nullptr;
        bool reported = false;
        se::forEachPair(compound->assignments, [&](void* socket, void* assigned) {
            if (reported || assigned != port)
                return;
            if (first == nullptr) {
                first = static_cast<SEHead*>(socket);
            } else if (socket != first) {
                CTSReport(arcBetween(trans, first),
                          "S.4 Port Assignment must be injective for SUB transitions");
                context.continueFlag = 0;
                reported = true;
                found = 1;
            }
        });
    });
    return found;
}
