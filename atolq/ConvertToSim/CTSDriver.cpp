// The syntax check's driver: the order of its phases over the whole net (or
// the shorter recheck before a switch), the evaluator start and the
// declaration nodes, the colour table, and the clearing of the checked marks
// that makes a changed global declaration node check everything again.
#include <cstdlib>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/ConvertToSim/CTSBindCode.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/NewSim/NSMode.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSSeams.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/Utils/HashTable.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr uint32_t kCheckedMark = 0x1000;
constexpr uint32_t kRootFullRecheck = 0x10000000;
constexpr uint32_t kGeneratedMark = 0x10000;
constexpr int16_t kMsgMissingGlobal = 0x3609;
constexpr int16_t kMsgTooManyGlobal = 0x360a;
constexpr int16_t kMsgTemporaryDeleted = 0x360e;
constexpr const char* kMsgColourTable = "Error in construction of Color Table";

bool going() { return CTSCurrentContext().continueFlag != 0; }

// Calls the hook between phases; true while the check may go on.
bool phaseDone() { return CTSProgress() != 0; }

void showText(const char* text, int16_t kind = 0)
{
    CTSCurrentContext().progress = ProgressRecord{text, kind, {}};
}

template <class Record, class F> void eachRecord(LMList* list, F f)
{
    se::forEachRec(list, [&](SEHead* h) {
        if (going())
            f(reinterpret_cast<Record*>(h));
    });
}

template <class F> void eachPageInUse(F f)
{
    eachRecord<SEPage>(SECurrentRoot()->pages, [&](SEPage* page) {
        if (CTSPageInUse(page))
            f(page);
    });
}

void clearNamed(uint32_t& flags, SEText& name, uint32_t mask)
{
    flags &= ~mask;
    if (mask == kCheckedMark)
        se::freeText(name);
}

void clearArcNames(const SETrans* trans)
{
    for (LMList* arcs : {trans->inputArcs, trans->outputArcs, trans->thirdArcs})
        se::forEachRec(arcs, [](SEHead* h) { se::freeText(reinterpret_cast<SEArc*>(h)->text); });
}

void clearDeclNodes(LMList* nodes, uint32_t mask)
{
    se::forEachRec(nodes, [&](SEHead* h) {
        auto* node = reinterpret_cast<SEDeclNode*>(h);
        node->flags &= ~mask;
        se::forEachRec(node->entries, [&](SEHead* e) {
            auto* entry = reinterpret_cast<SEDeclEntry*>(e);
            entry->flags &= ~mask;
            for (LMList* items : entry->items)
                se::forEachRec(items, [&](SEHead* i) { reinterpret_cast<SEDeclItem*>(i)->flags &= ~mask; });
        });
    });
}

void clearPlaceFusionSets(LMList* sets, uint32_t mask)
{
    se::forEachRec(sets, [&](SEHead* h) {
        auto* set = reinterpret_cast<SEPlaceFusSet*>(h);
        clearNamed(set->flags, set->text, mask);
    });
}

void clearTransFusionSets(LMList* sets, uint32_t mask)
{
    se::forEachRec(sets, [&](SEHead* h) { reinterpret_cast<SETransFusSet*>(h)->flags &= ~mask; });
}

// Clears a mask on the records below every page (the generation marks).
void clearPageContents(uint32_t mask)
{
    se::forEachRec(SECurrentRoot()->pages, [&](SEHead* h) {
        auto* page = reinterpret_cast<SEPage*>(h);
        page->flags &= ~mask;
        se::forEachRec(page->places, [&](SEHead* p) { reinterpret_cast<SEPlace*>(p)->flags &= ~mask; });
        se::forEachRec(page->transitions, [&](SEHead* t) { reinterpret_cast<SETrans*>(t)->flags &= ~mask; });
        se::forEachRec(page->placeFusionSets, [&](SEHead* s) { reinterpret_cast<SEPlaceFusSet*>(s)->flags &= ~mask; });
    });
    se::forEachRec(SECurrentRoot()->globalPlaceFusionSets,
                   [&](SEHead* s) { reinterpret_cast<SEPlaceFusSet*>(s)->flags &= ~mask; });
}

// Drops the shared arc-function entries; no arc keeps a link to them.
void dropCheckEntries()
{
    SERoot* root = SECurrentRoot();
    se::forEachRec(root->pages, [](SEHead* h) {
        se::forEachRec(reinterpret_cast<SEPage*>(h)->transitions, [](SEHead* t) {
            auto* trans = reinterpret_cast<SETrans*>(t);
            for (LMList* arcs : {trans->inputArcs, trans->outputArcs, trans->thirdArcs})
                se::forEachRec(arcs, [](SEHead* a) {
                    auto* arc = reinterpret_cast<SEArc*>(a);
                    if (arc->link != nullptr && arc->link->kind == kSECheckEntry)
                        arc->link = nullptr;
                });
        });
    });
    se::releaseRecordList(root->simRecords13);
}

// Frees the old colour table and fills a new one from the evaluator.
int buildColourTable()
{
    SERoot* root = SECurrentRoot();
    if (root->declHashTable != nullptr) {
        HashApply(root->declHashTable, [](void* entry, void*) { se::releaseTableEntry(static_cast<SETableEntry*>(entry)); },
                  nullptr);
        HashDestroy(root->declHashTable);
    }
    root->declHashTable = HashCreate(10, kHashStringKeys);
    if (root->declHashTable == nullptr)
        return -1;
    return CTSReturnColourTable(CTSReplyBuffer(), root->declHashTable);
}

// Step 5: a checked temporary node was deleted since the last check.
void askAboutDeletedTemporary(SEDeclNode* global)
{
    SERoot* root = SECurrentRoot();
    if (root->noTemporaryDecl == 0)
        return;
    const int answer = GE_AskYesNoCancel(kMsgTemporaryDeleted, "Recheck");
    if (answer < 0) {
        CTSCurrentContext().continueFlag = 0;
        return;
    }
    if (answer > 0)
        global->flags &= ~kCheckedMark;
    root->noTemporaryDecl = 0;
}

// Steps 9 to 11: the declaration nodes and the colour table; 0 stops.
int checkDeclarations(SEDeclNode* global, SEDeclNode* temporary)
{
    SERoot* root = SECurrentRoot();
    MemFile* reply = CTSReplyBuffer();
    MemFileReset(reply);
    bool checkedNow = false;
    if ((global->flags & kCheckedMark) != 0) {
        CTSSetNameCounter(cts::savedCounter(root));
    } else {
        showText("Checking Global Declaration Node");
        CTSSetNameCounter(10);
        CTSClearMarks(kCheckedMark);
        root->flags |= kRootFullRecheck;
        if (temporary != nullptr)
            temporary->flags &= ~kCheckedMark;
        clearPageContents(kGeneratedMark);
        CTSDropBindEntries();
        dropCheckEntries();
        const char* directory = std::getenv("VelkorResourceDir");
        MemFileReset(reply);
        CTSSetResourceDir(directory != nullptr ? directory : "", reply);
        if (CTSProgress() == 0 || CTSCheckDeclNode(global, kSEDeclGlobal) == 0)
            return 0;
        checkedNow = true;
    }
    if (temporary != nullptr && (temporary->flags & kCheckedMark) == 0) {
        showText("Checking Temporary Declaration Node");
        if (CTSProgress() == 0 || CTSCheckDeclNode(temporary, kSEDeclTemporary) == 0)
            return 0;
        checkedNow = true;
    }
    showText("Getting Color Table");
    if (CTSProgress() == 0)
        return 0;
    if (checkedNow && buildColourTable() != 0) {
        CTSReport(&global->head, kMsgColourTable, reply);
        CTSCurrentContext().continueFlag = 0;
    }
    if (going() && DeclsCompiled != 0 && root->declHashTable == nullptr && buildColourTable() != 0) {
        CTSReport(&global->head, kMsgColourTable, reply);
        return 0;
    }
    return going() ? 1 : 0;
}

// Step 7: the time kind, the start time (unless the net runs without time)
// and the code-generation switches.
void sendGenerationSettings()
{
    constexpr int32_t kWithoutTime = 4;
    ASSendTimeType();
    if (ASCodeGenOptions(SECurrentRoot())[1] != kWithoutTime)
        ASSendStartTime();
    ASSendGenFlags();
}

// Step 8: pages in ascending page number, and the transitions of each page
// in use numbered by name.
int16_t byPageNumber(void* a, void* b)
{
    const uint16_t x = static_cast<SEPage*>(a)->pageNumber;
    const uint16_t y = static_cast<SEPage*>(b)->pageNumber;
    return static_cast<int16_t>((x > y) - (x < y));
}

void orderPagesAndTransitions()
{
    SERoot* root = SECurrentRoot();
    if (LMCount(root->pages) > 1)
        LMSort(root->pages, static_cast<LMValueCompareFn>(byPageNumber));
    eachPageInUse([](SEPage* page) { CTSPagePass(page, 4); });
}

// Step 8: the port assignment of every substitution transition in use.
void checkPortAssignments()
{
    eachPageInUse([](SEPage* page) {
        eachRecord<SETrans>(page->transitions, [](SETrans* trans) {
            if (trans->compound != nullptr && trans->compound->head.subKind == kSESubstitution)
                CTSCheckPortsInjective(trans->compound);
        });
    });
}

void checkPlace(SEPlace* place)
{
    CTSCheckPlaceNames(place);
    if (CTSCheckPlaceColourSet(place) == 0)
        CTSCheckPlaceMarking(place);
}

// The transition pass: names and arc expressions, then the inscriptions.
void checkTransition(SETrans* trans)
{
    CTSCheckTransNames(trans);
    CTSCheckTransition(trans);
}

// Steps 13 to 22, shared by the full check and the recheck.
void checkNet()
{
    SERoot* root = SECurrentRoot();
    CTSContext& c = CTSCurrentContext();
    showText("%d Pages, %d Places, %d Transitions Checked", 7);
    if (!phaseDone())
        return;
    eachPageInUse([](SEPage* page) {
        CTSCheckPageNames(page);
        CTSCheckLocalDecls(page);
    });
    if (going())
        CTSCheckPageNameUnique(root);
    if (!phaseDone())
        return;
    if (c.simulatorChecks != 0)
        CTSCheckGlobalTransFusion(root);
    if (!phaseDone())
        return;
    for (int pass = 0; pass < 2; ++pass)
        eachRecord<SEPlaceFusSet>(root->globalPlaceFusionSets, [&](SEPlaceFusSet* set) { CTSCheckFusionSet(set, pass); });
    if (!phaseDone())
        return;
    eachPageInUse([](SEPage* page) { CTSCheckPageFusion(page); });
    if (!phaseDone())
        return;
    eachPageInUse([](SEPage* page) { eachRecord<SEPlace>(page->places, checkPlace); });
    if (!phaseDone())
        return;
    eachPageInUse([](SEPage* page) { CTSCheckPageTransitions(page, checkTransition); });
    if (!phaseDone())
        return;
    eachPageInUse([](SEPage* page) { eachRecord<SECompound>(page->compounds, [](SECompound* k) { CTSCheckCompound(k); }); });
    c.timedColourSets = 0;
    if (root->declHashTable != nullptr)
        HashApply(root->declHashTable, [](void* entry, void*) {
            if (static_cast<SETableEntry*>(entry)->flag != 0)
                CTSCurrentContext().timedColourSets = 1;
        }, nullptr);
    c.progress.format = "%d Charts Checked"; // the net's counters stay for the caller
    c.progress.kind = 16;
    c.progress.counters[4] = 0;
    if (!phaseDone())
        return;
    eachRecord<SEBarChart>(root->barCharts, [](SEBarChart* chart) { CTSCheckBarChart(chart); });
    eachRecord<SELineChart>(root->lineCharts, [](SELineChart* chart) { CTSCheckLineChart(chart); });
}

// Step 23.
int finish()
{
    cts::savedCounter(SECurrentRoot()) = CTSNameCounter();
    return CTSCurrentContext().continueFlag;
}

} // namespace

void CTSClearMarks(uint32_t mask)
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    se::forEachRec(root->pages, [&](SEHead* h) {
        auto* page = reinterpret_cast<SEPage*>(h);
        clearNamed(page->flags, page->text, mask);
        se::forEachRec(page->places, [&](SEHead* p) {
            auto* place = reinterpret_cast<SEPlace*>(p);
            clearNamed(place->flags, place->text2, mask);
        });
        se::forEachRec(page->transitions, [&](SEHead* t) {
            auto* trans = reinterpret_cast<SETrans*>(t);
            clearNamed(trans->flags, trans->mlName, mask);
            clearArcNames(trans);
        });
        clearPlaceFusionSets(page->placeFusionSets, mask);
        clearTransFusionSets(page->transFusionSets, mask);
        clearDeclNodes(page->localDecls, mask);
    });
    clearPlaceFusionSets(root->globalPlaceFusionSets, mask);
    clearTransFusionSets(root->globalTransFusionSets, mask);
    se::forEachRec(root->barCharts, [&](SEHead* h) {
        auto* chart = reinterpret_cast<SEBarChart*>(h);
        clearNamed(chart->flags, chart->text3, mask); // the chart's ML name
    });
    se::forEachRec(root->lineCharts, [&](SEHead* h) {
        auto* chart = reinterpret_cast<SELineChart*>(h);
        clearNamed(chart->flags, chart->text2, mask);
    });
    clearDeclNodes(root->globalDecls, mask);
}

int CTSCheckNet(CTSErrorReporter reporter, uint32_t, int16_t, uint32_t, int simulatorChecks, ProgressCallback hook,
                CTSConfigFn configuration)
{
    if (const NSHandOverTable* newSim = NSActiveHandOvers(); newSim != nullptr && newSim->syntaxCheck != nullptr)
        return newSim->syntaxCheck(reporter, simulatorChecks, hook, reinterpret_cast<void*>(configuration));
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    CTSContext& c = CTSCurrentContext();
    CTSBeginRun(hook);
    c.reporter = reporter;
    c.simulatorChecks = simulatorChecks;
    c.arcError = 0;
    QXStr_SetModified(1);
    if (!phaseDone())
        return 0;

    SEDeclNode* global = nullptr;
    SEDeclNode* temporary = nullptr;
    switch (CTSFindGlobalDeclNode(&global, kSEDeclGlobal)) {
    case -1: GE_MessageBox(kMsgMissingGlobal); return 0;
    case 1: GE_MessageBox(kMsgTooManyGlobal); return 0;
    default: break;
    }
    if (CTSFindGlobalDeclNode(&temporary, kSEDeclTemporary) == 1) {
        GE_MessageBox(kMsgTooManyGlobal);
        return 0;
    }
    if (temporary == nullptr)
        askAboutDeletedTemporary(global);
    if (!going() || CTSStartEvaluator(configuration) == 0 || !going())
        return 0;
    sendGenerationSettings();
    EE_BeginBusy(nullptr);
    if (!phaseDone())
        return 0;
    orderPagesAndTransitions();
    if (simulatorChecks != 0)
        checkPortAssignments();
    if (!phaseDone())
        return 0;
    if (checkDeclarations(global, temporary) == 0)
        return 0;
    checkNet();
    return finish();
}

void CTSPrepareNewCheck()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    dropCheckEntries();
    if (root->declHashTable != nullptr) {
        HashApply(root->declHashTable, [](void* entry, void*) { se::releaseTableEntry(static_cast<SETableEntry*>(entry)); },
                  nullptr);
        HashDestroy(root->declHashTable);
        root->declHashTable = nullptr;
    }
    // The checked marks go, the ML numbers stay: the newer simulator's
    // records keep their numbers from one check to the next.
    clearPageContents(kCheckedMark);
    se::forEachRec(root->pages, [](SEHead* h) {
        se::forEachRec(reinterpret_cast<SEPage*>(h)->compounds,
                       [](SEHead* c) { reinterpret_cast<SECompound*>(c)->flags &= ~kCheckedMark; });
    });
    root->flags |= kRootFullRecheck;
    clearPageContents(kGeneratedMark);
}

int CTSRecheckNet(CTSErrorReporter reporter, uint32_t, int16_t, uint32_t, uint32_t, ProgressCallback hook)
{
    if (SECurrentRoot() == nullptr)
        return 0;
    CTSBeginRun(hook);
    CTSCurrentContext().reporter = reporter;
    CTSCurrentContext().arcError = 0;
    checkNet();
    return finish();
}
