// The switch to the simulator: generation state, buffers and progress, and
// the walk over the net that defines fusion states, page types and states,
// transition code and the fusion-state initialiser. Marks left on the
// records make a later switch regenerate only what changed.
#include "atolq/ConvertToSim/CTSSwitch.h"

#include <string>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/ConvertToSim/CTSBindCode.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/ConvertToSim/CTSTransCode.h"
#include "atolq/SmlEval/SmlEval.h"

namespace {

constexpr int16_t kMsgInvalidRecord = 12545;

std::string str(const char* s) { return s != nullptr ? s : ""; }

bool stopped() { return CTSState().continueFlag == 0; }

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
    if (CTSGenProgress() == 0 || r->kind == 0 || r->kind > 11)
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

} // namespace

CTSGenState& CTSState()
{
    static CTSGenState state = [] {
        CTSGenState s;
        s.request = MemFileCreate();
        s.reply = MemFileCreate();
        s.input = MemFileCreate();
        return s;
    }();
    return state;
}

int CTSGenProgress()
{
    CTSGenState& s = CTSState();
    if (s.callback != nullptr)
        s.callback(&s.continueFlag, &s.progress);
    return s.continueFlag;
}

void CTSSetRequest(std::string_view text)
{
    MemFileReset(CTSState().request);
    MemFileWrite(CTSState().request, text.data(), static_cast<uint32_t>(text.size()));
}

int16_t CTSEvaluate(bool cr)
{
    CTSGenState& s = CTSState();
    if (cr) {
        MemFileReset(s.reply);
        MemFilePutc(s.reply, '\r');
    }
    return SMLEvaluate(s.request, s.reply);
}

int16_t CTSSend(std::string_view text, bool cr)
{
    MemFileReset(CTSState().reply);
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
    if (CTSGenProgress() == 0)
        return 0;
    if (set->head.subKind == kSEFusInstance || (set->flags & cts::kFusionStateMark))
        return 1;
    CTSIsTimed(&set->head);
    const std::string n = str(cts::mlName(set));
    CTSSend("val TOLQ'FS" + n + "={cur=ref (TOLQ'IM" + n + "())};\n", false);
    set->flags |= cts::kFusionStateMark;
    return 1;
}

int CTSPagePass(SEPage* page, int action)
{
    if (CTSGenProgress() == 0 || !cts::inSimulation(page))
        return 0;
    switch (action) {
    case 1:
        se::forEachRec(page->placeFusionSets,
                       [](SEHead* r) { CTSDefineFusionState(reinterpret_cast<SEPlaceFusSet*>(r)); });
        break;
    case 2:
        if (CTSGenProgress() == 0)
            return 0;
        se::forEachRec(page->transitions, [](SEHead* r) {
            if (!stopped())
                CTSGenerateTransition(reinterpret_cast<SETrans*>(r));
        });
        break;
    case 3:
        se::forEachRec(page->places, [](SEHead* r) { reinterpret_cast<SEPlace*>(r)->flags &= ~cts::kPlaceWalkMark; });
        break;
    default: break;
    }
    return 1;
}

int CTSInitFusionStates()
{
    std::string s = "fun TOLQ'InitFS() = (";
    SERoot* root = SECurrentRoot();
    se::forEachValue(root->globalPlaceFusionSets, [&](void* v) { initLine(s, static_cast<SEPlaceFusSet*>(v)); });
    se::forEachRec(root->pages, [&](SEHead* r) {
        auto* p = reinterpret_cast<SEPage*>(r);
        if (cts::inSimulation(p))
            se::forEachRec(p->placeFusionSets, [&](SEHead* f) { initLine(s, reinterpret_cast<SEPlaceFusSet*>(f)); });
    });
    return CTSSend(s + "()" + ");\n");
}

int CTSGenerateSimCode(ProgressCallback callback)
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr || CTSAnyUnchecked())
        return 0;
    CTSGenState& s = CTSState();
    s.callback = callback;
    s.progress = ProgressRecord{};
    CTSGenProgress();
    s.progress = ProgressRecord{"%d Pages and %d Transitions Switched", 5, {}};
    if (CTSGenProgress() == 0)
        return 0;
    MemFileReset(s.reply);
    CTSDropBindEntries();
    if (!eachPage([](SEPage* p) { CTSPagePass(p, 1); }))
        return 0;
    CTSSend(std::string("TOLQ'Sim.WithTime:=") + (cts::withTime(root) ? "true" : "false") + ";", false);
    se::forEachValue(root->globalPlaceFusionSets, [](void* v) { CTSDefineFusionState(static_cast<SEPlaceFusSet*>(v)); });
    if (stopped() || !eachPage([](SEPage* p) { CTSDefinePageTypes(p); }) || CTSGenProgress() == 0)
        return 0;
    if (!eachPage([](SEPage* p) { CTSCreatePageStates(p); }))
        return 0;
    if (!eachPage([](SEPage* p) { CTSPagePass(p, 2); }) || CTSGenProgress() == 0)
        return 0;
    CTSInitFusionStates();
    if (CTSGenProgress() == 0)
        return 0;
    eachPage([](SEPage* p) { CTSPagePass(p, 3); });
    MemFileReset(s.reply);
    cts::savedCounter(root) = CTSNameCounter();
    s.callback = nullptr;
    return 1;
}
