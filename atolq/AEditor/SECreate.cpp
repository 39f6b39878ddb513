// Starting and stopping the abstract net, creating each kind of record with
// its initial values, and deleting records with everything that hangs on them.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/Utils/MemPool.h"
#include "atolq/Utils/QXMem.h"

using namespace se;

namespace {

constexpr uint32_t kChartBufferSize = 256;
constexpr uint32_t kDeclNameSize = 30;

SERoot* requireRoot()
{
    if (root() == nullptr)
        invalid();
    return root();
}

SEPage* checkedPage(SEPage* page)
{
    if (page == nullptr || page->head.kind != kSEPage) {
        invalid();
        return nullptr;
    }
    return page;
}

char* emptyBuffer()
{
    return allocText(kChartBufferSize);
}

void setRootDefaults(SERoot* r)
{
    r->barChartCounter = 1;
    r->lineChartCounter = 1;
    r->flags = kSERootIntegerTime | kSERootChartsStale;
    const int32_t codeGen[3] = {0, 3, 6};
    std::copy(std::begin(codeGen), std::end(codeGen), r->codeGenOptions);
    std::snprintf(r->codeGenText, sizeof r->codeGenText, "0");
    const int32_t run[6] = {2, 1, 1, 1, 1, 2};
    std::copy(std::begin(run), std::end(run), r->runOptions);
    for (auto& text : r->runTexts)
        std::snprintf(text, sizeof text, "0");
    const int32_t display[4] = {1, 1, 1, 0};
    std::copy(std::begin(display), std::end(display), r->displayOptions);
}

bool libsStarted = false;

} // namespace

int SEInitPools()
{
    createPools();
    if (SMLSessionInit() < 0 || SMLSessionReset() < 0)
        EE_FatalError(kSEMsgOutOfMemory);
    return 1;
}

SERoot* SEStart()
{
    if (!libsStarted) {
        MemMgrInit();
        LMInit();
        libsStarted = true;
    }
    if (root() != nullptr)
        SEFreeDB();
    root() = SECreateRoot();
    return root();
}

int SEStop()
{
    SEFreeDB();
    MemMgrFreeAll();
    if (SEGetCheckServices().stopEvaluator != nullptr)
        SEGetCheckServices().stopEvaluator();
    return 1;
}

SERoot* SECurrentRoot()
{
    return root();
}

SERoot* SECreateRoot()
{
    auto* r = reinterpret_cast<SERoot*>(newRecord(kSERoot));
    if (r != nullptr)
        setRootDefaults(r);
    return r;
}

SEPage* SECreatePage(uint32_t kvObject, uint16_t portKind)
{
    SERoot* r = requireRoot();
    if (r == nullptr)
        return nullptr;
    auto* page = reinterpret_cast<SEPage*>(newRecord(kSEPage));
    page->head.subKind = portKind;
    page->head.owner = &r->head;
    page->kvObject = kvObject;
    page->flags = kSEPagePlaceNames | kSEPageTransNames | kSEPageName;
    page->lastHalf = 1;
    pushRec(r->pages, &page->head);
    return page;
}

SEPlace* SECreatePlace(SEPage* page, uint32_t kvObject)
{
    if (checkedPage(page) == nullptr)
        return nullptr;
    auto* place = reinterpret_cast<SEPlace*>(newRecord(kSEPlace));
    place->head.subKind = kSEPlain;
    place->head.owner = &page->head;
    place->kvObject = kvObject;
    place->flags = kSEPlaceNameMarks;
    page->flags &= ~kSEStructureMark;
    pushRec(page->places, &place->head);
    return place;
}

SETrans* SECreateTrans(SEPage* page, uint32_t kvObject)
{
    if (checkedPage(page) == nullptr)
        return nullptr;
    auto* trans = reinterpret_cast<SETrans*>(newRecord(kSETrans));
    trans->head.subKind = kSEPlain;
    trans->head.owner = &page->head;
    trans->kvObject = kvObject;
    trans->flags = kSETransNameMarks;
    pushRec(page->transitions, &trans->head);
    return trans;
}

SEArc* SECreateArc(SETrans* trans, SEPlace* place, uint32_t kvObject, uint16_t direction)
{
    if (trans == nullptr || place == nullptr || trans->head.kind != kSETrans || place->head.kind != kSEPlace) {
        invalid();
        return nullptr;
    }
    // A different page or an unknown direction is refused before anything is made.
    if (trans->head.owner != place->head.owner)
        return nullptr;
    if (direction != kSEPlaceToTrans && direction != kSETransToPlace)
        return nullptr;
    auto* arc = reinterpret_cast<SEArc*>(newRecord(kSEArc));
    arc->head.subKind = direction;
    arc->head.owner = &trans->head;
    arc->place = place;
    arc->kvObject = kvObject;
    clearTransMarks(trans);
    if (trans->compound != nullptr)
        trans->compound->flags &= ~kSEInscriptionMark;
    if (place->compound != nullptr)
        place->compound->flags &= ~kSEInscriptionMark;
    if (SEPage* page = pageOf(&trans->head))
        page->flags &= ~kSEStructureMark;
    if (direction == kSEPlaceToTrans) {
        pushRec(trans->inputArcs, &arc->head);
        prependValue(place->outputArcs, arc);
    } else {
        pushRec(trans->outputArcs, &arc->head);
        prependValue(place->inputArcs, arc);
    }
    return arc;
}

template <class Set> static Set* createFusionSet(uint16_t kind, uint16_t fusionType, SEPage* page)
{
    SERoot* r = nullptr;
    if (page != nullptr) {
        if (checkedPage(page) == nullptr)
            return nullptr;
    } else if ((r = requireRoot()) == nullptr) {
        return nullptr;
    }
    auto* set = reinterpret_cast<Set*>(newRecord(kind));
    set->head.subKind = fusionType;
    if (page != nullptr) {
        if (fusionType == kSEFusInstance)
            page->flags &= ~kSEStructureMark;
        set->head.owner = &page->head;
        pushRec(kind == kSEPlaceFusSet ? page->placeFusionSets : page->transFusionSets, &set->head);
    } else {
        set->head.owner = &r->head;
        pushRec(kind == kSEPlaceFusSet ? r->globalPlaceFusionSets : r->globalTransFusionSets, &set->head);
    }
    return set;
}

SEPlaceFusSet* SECreatePlaceFusSet(uint16_t fusionType, SEPage* page)
{
    return createFusionSet<SEPlaceFusSet>(kSEPlaceFusSet, fusionType, page);
}

SETransFusSet* SECreateTransFusSet(uint16_t fusionType, SEPage* page)
{
    return createFusionSet<SETransFusSet>(kSETransFusSet, fusionType, page);
}

SEDeclNode* SECreateDeclNode(SEPage* page, uint32_t kvObject, uint16_t subKind)
{
    SERoot* r = nullptr;
    if (page != nullptr) {
        if (checkedPage(page) == nullptr)
            return nullptr;
        subKind = kSEDeclLocal;
    } else {
        if ((r = requireRoot()) == nullptr)
            return nullptr;
        // Only global and temporary nodes hang at the root.
        if (subKind != kSEDeclGlobal && subKind != kSEDeclTemporary) {
            invalid();
            return nullptr;
        }
    }
    LMList*& list = page != nullptr ? page->localDecls : r->globalDecls;
    uint32_t largest = 0;
    forEachRec(list, [&](SEHead* h) { largest = std::max(largest, reinterpret_cast<SEDeclNode*>(h)->number); });

    auto* node = reinterpret_cast<SEDeclNode*>(newRecord(kSEDeclNode));
    node->head.subKind = subKind;
    node->head.owner = page != nullptr ? &page->head : &r->head;
    node->kvObject = kvObject;
    node->number = largest + 1;
    node->name = GE_Alloc(kDeclNameSize);
    std::snprintf(node->name, kDeclNameSize, page != nullptr ? "Local Declaration #%u" : "Global Declaration #%u",
                  node->number);
    pushRec(list, &node->head);
    if (page == nullptr)
        r->flags |= kSEBit0;
    return node;
}

SEDeclEntry* SECreateDeclEntry(uint32_t kvObject, uint16_t entryKind)
{
    auto* entry = reinterpret_cast<SEDeclEntry*>(newRecord(kSEDeclEntry));
    entry->head.subKind = entryKind;
    entry->kvObject = kvObject;
    return entry;
}

// The entry's item list for an item sub-kind (1..5), in field order.
static LMList** itemListOf(SEDeclEntry* entry, uint16_t subKind)
{
    static const int index[6] = {-1, 0, 1, 3, 2, 4};
    if (subKind < 1 || subKind > 5)
        return nullptr;
    return &entry->items[index[subKind]];
}

SEDeclItem* SECreateDeclItem(SEDeclEntry* entry, uint16_t subKind)
{
    if (entry == nullptr || entry->head.kind != kSEDeclEntry) {
        invalid();
        return nullptr;
    }
    LMList** list = itemListOf(entry, subKind);
    if (list == nullptr)
        return nullptr;
    auto* item = reinterpret_cast<SEDeclItem*>(newRecord(kSEDeclItem));
    item->head.subKind = subKind;
    item->head.owner = &entry->head;
    appendRec(*list, &item->head);
    return item;
}

SENameRef* SECreateNameRef(SEHead* owner, uint16_t subKind)
{
    auto* entry = as<SEDeclEntry>(owner, kSEDeclEntry);
    if (entry == nullptr) {
        invalid();
        return nullptr;
    }
    auto* ref = reinterpret_cast<SENameRef*>(newRecord(kSENameRef));
    ref->head.subKind = subKind;
    ref->head.owner = owner;
    appendValue(entry->references, ref);
    return ref;
}

SEBarChart* SECreateBarChart(SEPage* page, uint32_t kvObject)
{
    if (checkedPage(page) == nullptr || requireRoot() == nullptr)
        return nullptr;
    auto* chart = reinterpret_cast<SEBarChart*>(newRecord(kSEBarChart));
    chart->head.subKind = 5;
    chart->head.owner = &page->head;
    chart->kvObject = kvObject;
    chart->pageObject = page->kvObject;
    chart->title = emptyBuffer();
    for (SEText* text : {&chart->text1, &chart->texts[0], &chart->texts[1], &chart->texts[2], &chart->texts[3],
                         &chart->text2, &chart->text3})
        *text = emptyBuffer();
    // In file order: the two words after the range texts (ticks only, grid by
    // number) start at 1; after the legend block, the title word at 0 and the
    // history retain count at -1 (a standard chart).
    chart->flagF = 1;
    chart->bool1 = 1;
    chart->object3 = 0;
    chart->long4 = -1;
    pushRec(root()->barCharts, &chart->head);
    root()->flags |= kSERootChartsStale;
    return chart;
}

SELineChart* SECreateLineChart(SEPage* page, uint32_t kvObject)
{
    if (checkedPage(page) == nullptr || requireRoot() == nullptr)
        return nullptr;
    auto* chart = reinterpret_cast<SELineChart*>(newRecord(kSELineChart));
    chart->head.subKind = 5;
    chart->head.owner = &page->head;
    chart->kvObject = kvObject;
    chart->pageObject = page->kvObject;
    chart->title = emptyBuffer();
    for (SEText& text : chart->texts1)
        text = emptyBuffer();
    for (SEText& text : chart->texts2)
        text = emptyBuffer();
    for (SEText& text : chart->texts3)
        text = emptyBuffer();
    for (SEText& text : chart->texts4)
        text = emptyBuffer();
    chart->text1 = emptyBuffer();
    // The two words after the interval text: steps 0, integer values 1.
    chart->long2 = 0;
    chart->bool2 = 1;
    pushRec(root()->lineCharts, &chart->head);
    root()->flags |= kSERootChartsStale;
    return chart;
}

// ---- deletion ----

// The list of the transition that holds the arc.
static LMList** arcListOf(SETrans* trans, SEArc* arc)
{
    for (LMList** list : {&trans->inputArcs, &trans->outputArcs, &trans->thirdArcs})
        if (findRec(*list, [&](SEHead* h) { return h == &arc->head; }) != nullptr)
            return list;
    return nullptr;
}

int SEDelArc(SEArc* arc)
{
    if (arc == nullptr || arc->head.kind != kSEArc)
        return invalid();
    auto* trans = as<SETrans>(arc->head.owner, kSETrans);
    SEPlace* place = arc->place;
    if (trans == nullptr)
        return invalid();
    SEHead* compoundEnd = nullptr;
    if (place != nullptr && isCompoundKind(place->head.subKind))
        compoundEnd = &place->head;
    else if (isCompoundKind(trans->head.subKind))
        compoundEnd = &trans->head;

    releaseArcContents(arc);
    clearTransMarks(trans);
    if (trans->compound != nullptr)
        trans->compound->flags &= ~kSEInscriptionMark;
    if (place != nullptr && place->compound != nullptr)
        place->compound->flags &= ~kSEInscriptionMark;

    if (place != nullptr)
        for (LMList* list : {place->inputArcs, place->outputArcs, place->thirdArcs})
            removeValue(list, arc);
    if (LMList** list = arcListOf(trans, arc))
        unlinkAndFree(*list, &arc->head);
    else
        freeRecord(&arc->head);

    if (compoundEnd != nullptr && place != nullptr && SEArcDirection(&trans->head, &place->head) == 0) {
        SECompound* compound = compoundEnd == &place->head ? place->compound : trans->compound;
        SEHead* other = compoundEnd == &place->head ? &trans->head : &place->head;
        if (compound != nullptr) {
            removePairsWith(compound->assignments, other, 0);
            compound->flags &= ~kSEInscriptionMark;
        }
    }
    return 1;
}

// Makes a node plain: no compound, no port, no fusion membership.
static void stripNodeRoles(SEHead* node, SEHead* fusionSet)
{
    if (isCompoundKind(node->subKind))
        SEUnmakeCompound(node);
    if (node->subKind < kSEPlain)
        SEUnmakePort(node);
    if (fusionSet != nullptr)
        SEDelFusMem(node);
}

// The arcs of a place, copied because deleting them changes the lists.
static std::vector<SEArc*> arcsOf(SEPlace* place)
{
    std::vector<SEArc*> arcs;
    for (LMList* list : {place->inputArcs, place->outputArcs, place->thirdArcs})
        forEachValue(list, [&](void* v) {
            if (std::find(arcs.begin(), arcs.end(), v) == arcs.end())
                arcs.push_back(static_cast<SEArc*>(v));
        });
    return arcs;
}

int SEDelPlace(SEPlace* place)
{
    if (place == nullptr || place->head.kind != kSEPlace)
        return invalid();
    SEPage* page = pageOf(&place->head);
    if (page == nullptr)
        return invalid();
    stripNodeRoles(&place->head, reinterpret_cast<SEHead*>(place->fusionSet));
    // The arcs belong to transitions; they go first so that none is left
    // pointing at the freed place.
    for (SEArc* arc : arcsOf(place))
        SEDelArc(arc);
    releasePlaceContents(place);
    unlinkAndFree(page->places, &place->head);
    return 1;
}

int SEDelTrans(SETrans* trans)
{
    if (trans == nullptr || trans->head.kind != kSETrans)
        return invalid();
    SEPage* page = pageOf(&trans->head);
    if (page == nullptr)
        return invalid();
    stripNodeRoles(&trans->head, reinterpret_cast<SEHead*>(trans->fusionSet));
    for (LMList** list : {&trans->inputArcs, &trans->outputArcs, &trans->thirdArcs})
        while (*list != nullptr && (*list)->first != nullptr)
            SEDelArc(static_cast<SEArc*>((*list)->first));
    releaseTransContents(trans);
    unlinkAndFree(page->transitions, &trans->head);
    return 1;
}

static void deleteChartsOfPage(SEPage* page)
{
    SERoot* r = root();
    if (r == nullptr)
        return;
    forEachRec(r->barCharts, [&](SEHead* h) {
        if (h->owner == &page->head)
            SEDelBarChart(reinterpret_cast<SEBarChart*>(h));
    });
    forEachRec(r->lineCharts, [&](SEHead* h) {
        if (h->owner == &page->head)
            SEDelLineChart(reinterpret_cast<SELineChart*>(h));
    });
}

static std::vector<SEHead*> compoundNodes(const LMList* compounds, bool valueList)
{
    std::vector<SEHead*> nodes;
    auto take = [&](SECompound* c) {
        if (c->node != nullptr)
            nodes.push_back(c->node);
    };
    if (valueList)
        forEachValue(compounds, [&](void* v) { take(static_cast<SECompound*>(v)); });
    else
        forEachRec(compounds, [&](SEHead* h) { take(reinterpret_cast<SECompound*>(h)); });
    return nodes;
}

int SEDelPage(SEPage* page)
{
    if (page == nullptr || page->head.kind != kSEPage || root() == nullptr)
        return invalid();
    if (page->flags & kSEPageIsSubpage) {
        for (const LMList* list : {page->superSubstitutions, page->superInvocations})
            for (SEHead* node : compoundNodes(list, true))
                SEUnmakeCompound(node);
    }
    deleteChartsOfPage(page);
    for (SEHead* node : compoundNodes(page->compounds, false))
        SEUnmakeCompound(node);
    while (page->places != nullptr && page->places->first != nullptr)
        SEDelPlace(static_cast<SEPlace*>(page->places->first));
    while (page->transitions != nullptr && page->transitions->first != nullptr)
        SEDelTrans(static_cast<SETrans*>(page->transitions->first));
    // Whatever is left (empty fusion sets, local declarations, the
    // simulator's instances) goes with the page.
    releaseRecord(&page->head);
    unlinkAndFree(root()->pages, &page->head);
    return 1;
}

int SEDelDeclNode(SEDeclNode* node)
{
    if (node == nullptr || node->head.kind != kSEDeclNode)
        return invalid();
    uint16_t subKind = node->head.subKind;
    LMList** list = nullptr;
    if (subKind == kSEDeclGlobal || subKind == kSEDeclTemporary) {
        if (root() == nullptr || node->head.owner != &root()->head)
            return 0;
        list = &root()->globalDecls;
    } else if (subKind == kSEDeclLocal) {
        SEPage* page = pageOf(&node->head);
        if (page == nullptr)
            return 0;
        list = &page->localDecls;
    } else {
        return 0;
    }
    bool recheckTemporary = subKind != kSEDeclLocal && (node->flags & kSEInscriptionMark) != 0;
    releaseDeclNodeContents(node);
    unlinkAndFree(*list, &node->head);
    if (recheckTemporary) {
        SEDeclNode* found = nullptr;
        root()->noTemporaryDecl = CTSFindGlobalDeclNode(&found, kSEDeclTemporary) == -1 ? 1 : 0;
    }
    return 1;
}

template <class Chart> static int deleteChart(Chart* chart, uint16_t kind, LMList* SERoot::*list)
{
    if (chart == nullptr || chart->head.kind != kind || root() == nullptr)
        return invalid();
    releaseRecord(&chart->head);
    root()->flags |= kSERootChartsStale;
    unlinkAndFree(root()->*list, &chart->head);
    return 1;
}

int SEDelBarChart(SEBarChart* chart)
{
    return deleteChart(chart, kSEBarChart, &SERoot::barCharts);
}

int SEDelLineChart(SELineChart* chart)
{
    return deleteChart(chart, kSELineChart, &SERoot::lineCharts);
}

int SEFreeDB()
{
    SERoot* r = root();
    if (r != nullptr) {
        releaseRootContents(r);
        freeRecord(&r->head);
        root() = nullptr;
    }
    return 1;
}

void SEChartsChanged()
{
    if (root() != nullptr)
        root()->flags |= kSERootChartsStale;
}

void SEResetChartTexts()
{
    if (root() == nullptr)
        return;
    auto reset = [](SEText text) {
        if (text != nullptr)
            std::snprintf(text, kChartBufferSize, "0");
    };
    forEachRec(root()->barCharts, [&](SEHead* h) { reset(reinterpret_cast<SEBarChart*>(h)->text1); });
    forEachRec(root()->lineCharts, [&](SEHead* h) { reset(reinterpret_cast<SELineChart*>(h)->texts1[0]); });
}
