// The switch to the simulator: generation state, buffers and progress, and
// the walk over the net that defines fusion states, page types and states,
// transition code and the fusion-state initialiser. Marks left on the
// records make a later switch regenerate only what changed.
#include "atolq/NewSim/NSMode.h"
#include "atolq/ConvertToSim/CTSSwitch.h"

#include <cstring>
#include <string>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CSimulator/SimulatorCharts.h"
#include "atolq/Chart/ChartRecords.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/ConvertToSim/CTSBindCode.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/ConvertToSim/CTSTransCode.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/LMList.h"

namespace {

constexpr int16_t kMsgInvalidRecord = 12545;

std::string str(const char* s) { return s != nullptr ? s : ""; }

bool stopped() { return CTSCurrentContext().continueFlag == 0; }

int needsCheck(SEHead* r);

bool anyNeedsCheck(const LMList* list)
{
    return se::findRec(list, [](SEHead* r) { return needsCheck(r) != 0; }) != nullptr;
}

int needsCheck(SEHead* r)
{
    if (r == nullptr) {
        EE_ReportError(kMsgInvalidRecord);
        return 0;
    }
    if (CTSProgress() == 0 || r->kind == 0 || r->kind > 11)
        return 0;
    switch (r->kind) {
    case kSEPage: {
        auto* p = reinterpret_cast<SEPage*>(r);
        if (!cts::inSimulation(p))
            return 0;
        return anyNeedsCheck(p->transitions) || anyNeedsCheck(p->places) || anyNeedsCheck(p->placeFusionSets);
    }
    case kSEPlace: {
        auto* p = reinterpret_cast<SEPlace*>(r);
        return p->fusionSet == nullptr && !(p->flags & cts::kCheckedMark);
    }
    case kSETrans: {
        auto* t = reinterpret_cast<SETrans*>(r);
        if (cts::substituted(t))
            return !(t->compound->flags & cts::kCheckedMark);
        return !(t->flags & cts::kCheckedMark);
    }
    case kSEPlaceFusSet: return !(reinterpret_cast<SEPlaceFusSet*>(r)->flags & cts::kCheckedMark);
    default: return 0;
    }
}

template <class F> bool eachPage(F f)
{
    bool ok = true;
    se::forEachRec(SECurrentRoot()->pages, [&](SEHead* r) {
        if (!stopped())
            f(reinterpret_cast<SEPage*>(r));
    });
    return ok && !stopped();
}

void initLine(std::string& s, const SEPlaceFusSet* set)
{
    if (set->head.subKind == kSEFusInstance)
        return;
    const std::string n = str(cts::mlName(set));
    s += "(#cur TOLQ'FS" + n + ") :=TOLQ'IM" + n + "();\n";
}

constexpr uint32_t kChartsChanged = 0x10000000; // root flag word
constexpr int16_t kSimulatorMode = 2;

// A text as an ML string literal, quotes and backslashes escaped.
std::string mlString(const char* text)
{
    MemFile* file = MemFileCreate();
    CTSWriteMLString(text, text != nullptr ? static_cast<uint32_t>(std::strlen(text)) : 0, file);
    std::string out(MemFileLength(file), '\0');
    uint32_t n = static_cast<uint32_t>(out.size());
    MemFileRewind(file);
    if (n > 0)
        MemFileRead(file, out.data(), &n);
    out.resize(n);
    MemFileDestroy(file);
    return out;
}

bool hasText(const char* s) { return s != nullptr && *s != '\0'; }

// Charts with code take part in the simulation; their ML names head the list.
void sendChartList(SERoot* root)
{
    std::string s = "val ChartList = ";
    se::forEachRec(root->barCharts, [&](SEHead* r) {
        auto* chart = reinterpret_cast<SEBarChart*>(r);
        if (hasText(BarChartFields(*chart).codeText) && hasText(chart->text3))
            s += "\"" + std::string(chart->text3) + "\"::";
    });
    se::forEachRec(root->lineCharts, [&](SEHead* r) {
        auto* chart = reinterpret_cast<SELineChart*>(r);
        if (hasText(LineChartFields(*chart).codeText) && hasText(chart->text2))
            s += "\"" + std::string(chart->text2) + "\"::";
    });
    CTSEvaluateText(s + "[];\nusestring [TOLQ'sacgen.gen_charts ChartList];\n", false);
}

// Every chart is told to start afresh, under its name, then runs its own
// initialisation function.
void initCharts(SERoot* root)
{
    se::forEachRec(root->barCharts, [](SEHead* r) {
        CTSEvaluateText("BC_init_chart " + mlString(BarChartFields(*reinterpret_cast<SEBarChart*>(r)).name) + ";\n",
                        false);
    });
    se::forEachRec(root->lineCharts, [](SEHead* r) {
        CTSEvaluateText("LC_init_chart " + mlString(LineChartFields(*reinterpret_cast<SELineChart*>(r)).name) + ";\n",
                        false);
    });
    SInitCharts();
}

// Unnamed transitions first, then by name.
int16_t byName(void* a, void* b)
{
    const char* x = static_cast<SETrans*>(a)->name;
    const char* y = static_cast<SETrans*>(b)->name;
    if (x == nullptr || y == nullptr)
        return static_cast<int16_t>((x != nullptr) - (y != nullptr));
    const int order = std::strcmp(x, y);
    return static_cast<int16_t>((order > 0) - (order < 0));
}

// Sorts the page's transitions by name and numbers them 1, 2, 3 ... in
// that order: the order in which the simulator lists its steps.
void numberTransitions(SEPage* page)
{
    if (LMCount(page->transitions) == 0)
        return;
    LMSort(page->transitions, static_cast<LMValueCompareFn>(byName));
    int32_t number = 0;
    se::forEachRec(page->transitions, [&](SEHead* r) { reinterpret_cast<SETrans*>(r)->longWord = ++number; });
}

} // namespace

void CTSSetRequest(std::string_view text)
{
    MemFile* request = CTSRequestBuffer();
    if (request == nullptr)
        return;
    MemFileReset(request);
    MemFileWrite(request, text.data(), static_cast<uint32_t>(text.size()));
}

int16_t CTSEvaluate(bool cr)
{
    MemFile* reply = CTSReplyBuffer();
    if (cr) {
        MemFileReset(reply);
        MemFilePutc(reply, '\r');
    }
    MemFile* request = CTSRequestBuffer();
    return request != nullptr ? SMLEvaluate(request, reply) : kEvalSendFailed;
}

int16_t CTSEvaluateText(std::string_view text, bool cr)
{
    MemFileReset(CTSReplyBuffer());
    CTSSetRequest(text);
    return CTSEvaluate(cr);
}

int CTSAnyUnchecked()
{
    SERoot* root = SECurrentRoot();
    return anyNeedsCheck(root->pages) || anyNeedsCheck(root->globalPlaceFusionSets);
}

int CTSDefineFusionState(SEPlaceFusSet* set)
{
    if (CTSProgress() == 0)
        return 0;
    if (set->head.subKind == kSEFusInstance || (set->flags & cts::kFusionStateMark))
        return 1;
    CTSIsTimed(&set->head);
    const std::string n = str(cts::mlName(set));
    CTSEvaluateText("val TOLQ'FS" + n + "={cur=ref (TOLQ'IM" + n + "())};\n", false);
    set->flags |= cts::kFusionStateMark;
    return 1;
}

int CTSPagePass(SEPage* page, int action)
{
    if (CTSProgress() == 0 || !cts::inSimulation(page))
        return 0;
    switch (action) {
    case 1:
        se::forEachRec(page->placeFusionSets,
                       [](SEHead* r) { CTSDefineFusionState(reinterpret_cast<SEPlaceFusSet*>(r)); });
        break;
    case 2:
        if (CTSProgress() == 0)
            return 0;
        se::forEachRec(page->transitions, [](SEHead* r) {
            if (!stopped())
                CTSGenerateTransition(reinterpret_cast<SETrans*>(r));
        });
        break;
    case 3:
        se::forEachRec(page->places, [](SEHead* r) { reinterpret_cast<SEPlace*>(r)->flags &= ~cts::kPlaceWalkMark; });
        break;
    case 4:
        numberTransitions(page);
        break;
    default: break;
    }
    return 1;
}

int CTSInitFusionStates()
{
    std::string s = "fun TOLQ'InitFS() = (";
    SERoot* root = SECurrentRoot();
    se::forEachRec(root->globalPlaceFusionSets, [&](SEHead* r) { initLine(s, reinterpret_cast<SEPlaceFusSet*>(r)); });
    se::forEachRec(root->pages, [&](SEHead* r) {
        auto* p = reinterpret_cast<SEPage*>(r);
        if (cts::inSimulation(p))
            se::forEachRec(p->placeFusionSets, [&](SEHead* f) { initLine(s, reinterpret_cast<SEPlaceFusSet*>(f)); });
    });
    return CTSEvaluateText(s + "()" + ");\n");
}

int CTSGenerateSimCode(ProgressCallback callback)
{
    if (const NSHandOverTable* newSim = NSActiveHandOvers(); newSim != nullptr && newSim->createInstances != nullptr)
        return newSim->createInstances(callback);
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    // The walk for unchecked records already runs under this switch's hook
    // and a set continue flag: a flag left cleared by an earlier stop would
    // make every record look checked.
    CTSContext& s = CTSCurrentContext();
    CTSBeginRun(callback);
    if (CTSAnyUnchecked() || s.continueFlag == 0)
        return 0;
    CTSProgress();
    if (SMLGetConnState() == kSMLKindNJ) {
        // The evaluator defines the arc and guard functions the check left.
        s.progress = ProgressRecord{"Defining Arc and Guard functions", 0, {}};
        CTSProgress();
        CTSEvaluateText("TOLQ'Edit.DoDefinitions();\r");
        s.progress = ProgressRecord{};
        CTSProgress();
    }
    s.progress = ProgressRecord{"%d Pages and %d Transitions Switched", 5, {}};
    if (CTSProgress() == 0)
        return 0;
    MemFileReset(CTSReplyBuffer());
    CTSDropBindEntries();
    if (!eachPage([](SEPage* p) { CTSPagePass(p, 1); }))
        return 0;
    CTSEvaluateText(std::string("TOLQ'Sim.WithTime:=") + (cts::withTime(root) ? "true" : "false") + ";", false);
    se::forEachRec(root->globalPlaceFusionSets,
                   [](SEHead* r) { CTSDefineFusionState(reinterpret_cast<SEPlaceFusSet*>(r)); });
    if (stopped() || !eachPage([](SEPage* p) { CTSDefinePageTypes(p); }) || CTSProgress() == 0)
        return 0;
    if (!eachPage([](SEPage* p) { CTSCreatePageStates(p); }))
        return 0;
    if (!eachPage([](SEPage* p) { CTSPagePass(p, 2); }) || CTSProgress() == 0)
        return 0;
    CTSInitFusionStates();
    if (CTSProgress() == 0)
        return 0;
    eachPage([](SEPage* p) { CTSPagePass(p, 3); });
    if (root->flags & kChartsChanged) {
        sendChartList(root);
        root->flags &= ~kChartsChanged;
    }
    if (GE_GetMode() != kSimulatorMode)
        initCharts(root);
    MemFileReset(CTSReplyBuffer());
    cts::savedCounter(root) = CTSNameCounter();
    s.hook = nullptr;
    return 1;
}
