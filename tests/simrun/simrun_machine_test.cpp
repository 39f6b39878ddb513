// The step and run machinery against the real evaluator: the activity word
// and its menu item states, single steps whole and by substeps with their
// breakpoints, interactive runs with their stops and the automatic run. The
// screen side is a recording double; ticks of the timer are run by hand.
#include "SimFixture.h"
#include "ViewDoubles.h"

#include <algorithm>
#include <cstring>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "atolq/CSimulator/SimActivity.h"
#include "atolq/CSimulator/SimStep.h"

namespace simtest {
namespace {

using simview::screen;

// Menu commands.
constexpr uint32_t kEnterEditor = 11250, kQuit = 220, kSaveState = 11255, kLoadState = 11256, kBind = 10301,
                   kOccSet = 10302, kStartStep = 10303, kInteractive = 10305, kAutomatic = 10306,
                   kContinue = 10308, kStop = 10309, kChangeMarking = 10311, kInitialState = 10312,
                   kSaveReport = 10317, kClearReport = 10318, kUpdateChart = 10320;
constexpr int kOn = 1, kOff = 2;

const std::vector<uint32_t> kLockedByRun = {kEnterEditor, kQuit, kSaveState, kLoadState, kBind,
                                            kOccSet, kChangeMarking, kInitialState, kInteractive, kAutomatic,
                                            kSaveReport, kClearReport, kUpdateChart};

class MachineTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        simview::reset();
        SResetActivity();
        SInstallWorkProc(nullptr);
        GE_SetMode(kGEModeSimulator);
        GE_SetErrorCount(0);
        GE_ClearStateFlags(~0u);
        GE_SetStepElements(nullptr);
    }
    void TearDown() override
    {
        SInstallWorkProc(nullptr);
        LMList* elements = GE_GetStepElements();
        if (elements != nullptr)
            LMDestroy(elements);
        GE_SetStepElements(nullptr);
        SimFixture::TearDown();
    }

    // A -x-> T1 -x-> B and C -y-> T2 -y-> D on one page; the automatic
    // code generated as the switch does.
    void twoChains(const char* a, const char* c)
    {
        declare("colset INT = int; var x : INT; var y : INT;", {{"INT", false}});
        p_ = page("4", "Top");
        a_ = place(p_, "5", "INT", a);
        b_ = place(p_, "6", "INT", nullptr);
        c_ = place(p_, "20", "INT", c);
        d_ = place(p_, "21", "INT", nullptr);
        t1_ = trans(p_, "7", "T1");
        arc(t1_, a_, kSEPlaceToTrans, "8", "x");
        arc(t1_, b_, kSETransToPlace, "9", "x");
        t2_ = trans(p_, "22", "T2");
        arc(t2_, c_, kSEPlaceToTrans, "23", "y");
        arc(t2_, d_, kSETransToPlace, "24", "y");
        check(t1_);
        check(t2_);
        switchPage(p_);
        ASSERT_EQ(ASCreateInstance(p_, "", nullptr, nullptr), 0);
        resetState();
        i_ = only(p_);
        MemFileReset(ASReplyBuffer());
        ASSERT_EQ(ASGenSacStep(false, ASReplyBuffer()), 0) << text(ASReplyBuffer());
        MemFileReset(ASReplyBuffer());
        ASSERT_EQ(ASGenSacStep(true, ASReplyBuffer()), 0) << text(ASReplyBuffer());
    }
    void display(int32_t breakpoint1, int32_t breakpoint2, int32_t ask, int32_t mode)
    {
        const int32_t d[4] = {breakpoint1, breakpoint2, ask, mode};
        ASSetDisplayOptions(d);
    }
    // Both transitions with one binding each in the occurrence set.
    void chooseBoth()
    {
        options(100, 100, 100, 0, 0);
        ASSERT_EQ(ASChooseOccurrenceSet(2), 2);
        ASSERT_EQ(se::count(i_->steps), 2);
    }
    void stopAfterSteps(const char* count)
    {
        const bool addSteps[5] = {true, false, false, false, false};
        MemFileReset(ASReplyBuffer());
        ASSERT_EQ(ASSetStopOptions(addSteps, count, "0", "0", "0", ASReplyBuffer()), 0);
    }
    // Runs timer ticks until the chain rests (idle procedure or timer
    // stopped); the activity after each tick.
    std::vector<SimActivityCode> runChain(int most = 200)
    {
        std::vector<SimActivityCode> seen;
        for (int n = 0; n < most && SCurrentWorkProc() != nullptr && SCurrentWorkProc() != SIdleTick; ++n) {
            SRunWorkProc();
            seen.push_back(SCurrentActivity());
        }
        return seen;
    }
    int tokens(SEPlace* p) { return ASQueryPlaceTokenCount(p, i_); }
    bool shown(const std::string& status)
    {
        return std::find(screen().statuses.begin(), screen().statuses.end(), status) != screen().statuses.end();
    }
    bool messaged(int16_t id)
    {
        return std::find(screen().messages.begin(), screen().messages.end(), id) != screen().messages.end();
    }

    SEPage* p_ = nullptr;
    SEPlace *a_ = nullptr, *b_ = nullptr, *c_ = nullptr, *d_ = nullptr;
    SETrans *t1_ = nullptr, *t2_ = nullptr;
    ASInstance* i_ = nullptr;
};

// ---- the activity word ----

struct EnterCase {
    SimActivityCode code;
    std::vector<uint32_t> enabled;
    std::vector<uint32_t> disabled;
};

TEST_F(MachineTest, EachActivitySetsTheItemsThatFitIt)
{
    twoChains("1`1", "1`5");
    auto plus = [](std::vector<uint32_t> v, std::initializer_list<uint32_t> more) {
        v.insert(v.end(), more);
        return v;
    };
    const std::vector<EnterCase> cases = {
        {kSimIdle, {}, {kStartStep, kContinue, kStop}},
        {kSimStep, {}, {kEnterEditor, kQuit, kBind, kOccSet, kChangeMarking, kInitialState, kInteractive, kAutomatic,
                        kContinue, kStop, kSaveReport, kClearReport, kUpdateChart}},
        {kSimStepPaused, {kContinue}, plus(kLockedByRun, {kStartStep, kStop})},
        {kSimNewIdle, {kAutomatic}, {kStop}},
        {kSimNewRunning, {kStop}, {kAutomatic}},
        {kSimRun, {kContinue, kStop}, kLockedByRun},
        {kSimRunPaused, {kContinue, kStop}, plus(kLockedByRun, {kStartStep})},
        {kSimAutomaticOnly, {kAutomatic, kStop}, {kBind, kOccSet, kStartStep, kInteractive, kContinue}},
    };
    for (const EnterCase& c : cases) {
        simview::reset();
        SResetActivity();
        SEnterActivity(c.code);
        EXPECT_EQ(SCurrentActivity(), c.code);
        std::map<uint32_t, int> expected;
        for (uint32_t item : c.enabled) expected[item] = kOn;
        for (uint32_t item : c.disabled) expected[item] = kOff;
        EXPECT_EQ(screen().items, expected) << std::hex << c.code;
    }
    // With an occurrence set, idle offers "Start Step" and neither run.
    chooseBoth();
    simview::reset();
    SEnterActivity(kSimIdle);
    EXPECT_EQ(screen().items, (std::map<uint32_t, int>{
                                  {kStartStep, kOn}, {kInteractive, kOff}, {kAutomatic, kOff}, {kContinue, kOff},
                                  {kStop, kOff}}));
}

TEST_F(MachineTest, LeavingARunGivesBackWhatItTookAndOnlyMainCodesRedrawTheMenuBar)
{
    twoChains("1`1", "1`5");
    SBroadcastActivity(kSimIdle);
    SBroadcastActivity(kSimRun);
    SBroadcastActivity(kSimRunWorking);
    SBroadcastActivity(kSimRunSubstepDone);
    for (uint32_t item : kLockedByRun)
        EXPECT_EQ(screen().items[item], kOff) << item << ": a working phase has no leave rule";
    EXPECT_EQ(screen().menuBarRedraws, 2);
    SBroadcastActivity(kSimRunPaused);
    SBroadcastActivity(kSimIdle);
    EXPECT_EQ(screen().menuBarRedraws, 4);
    for (uint32_t item : kLockedByRun) {
        if (item != kInteractive && item != kAutomatic) {
            EXPECT_EQ(screen().items[item], kOn) << item;
        }
    }
    EXPECT_EQ(screen().items[kInteractive], kOn) << "no occurrence set: the runs are offered";
    EXPECT_EQ(screen().items[kStartStep], kOff);
    EXPECT_EQ(screen().items[kContinue], kOff);
    EXPECT_EQ(screen().items[kStop], kOff);
    // The last applied states are applied again on a menu refresh.
    screen().items.clear();
    SReapplyActivityMenuStates();
    EXPECT_EQ(screen().items[kStartStep], kOff);
    SForgetActivityMenuStates();
    screen().items.clear();
    SReapplyActivityMenuStates();
    EXPECT_TRUE(screen().items.empty());
}

TEST_F(MachineTest, TheSimulatorIsBusyOnlyInSimulatorModeOutsideTheRestingActivities)
{
    const std::vector<std::pair<SimActivityCode, int>> cases = {
        {kSimIdle, 0},       {kSimAutomaticOnly, 0}, {kSimRunStepStopped, 0}, {kSimStepWorking, 1},
        {kSimRunBreak1, 1},  {kSimNewRunning, 1},    {0, 1},
    };
    for (auto [code, busy] : cases) {
        SResetActivity();
        SEnterActivity(code);
        GE_SetMode(kGEModeSimulator);
        EXPECT_EQ(SSimBusy(), busy) << std::hex << code;
        GE_SetMode(kGEModeEditor);
        EXPECT_EQ(SSimBusy(), 0);
    }
    SEnterActivity(kSimRunBreak2);
    EXPECT_EQ(SActivityHas(kSimRun), 1);
    EXPECT_EQ(SActivityHas(kSimStep), 0);
}

// ---- single steps ----

TEST_F(MachineTest, AWholeStepShowsTheMovedTokensAtOnceAndEndsIdle)
{
    twoChains("1`1", "1`5");
    display(0, 0, 0, 2);
    chooseBoth();
    SBroadcastActivity(kSimIdle);
    ASSERT_EQ(SStartStep(), 1);
    EXPECT_EQ(SCurrentActivity(), kSimStepWorking);
    EXPECT_EQ(tokens(b_) + tokens(d_), 2) << "the tokens move in the command itself";
    EXPECT_EQ(screen().placeUpdates, 2) << "the places around both transitions";
    EXPECT_EQ(SCurrentWorkProc(), SFinishStep);
    runChain();
    EXPECT_EQ(SCurrentActivity(), kSimIdle);
    EXPECT_EQ(SCurrentWorkProc(), SIdleTick);
    EXPECT_EQ(GE_GetErrorCount(), 1u);
    EXPECT_EQ(ASRequestStep(), "1") << "the step counter went to the evaluator";
    EXPECT_TRUE(shown("Step is finished."));
    EXPECT_EQ(screen().chartUpdates, 1);
    EXPECT_EQ(screen().busy, 0);
    EXPECT_EQ(GE_GetStepElements(), nullptr);
    EXPECT_TRUE(ASStepIsEmpty());
    EXPECT_EQ(screen().items[kStartStep], kOff) << "no occurrence set left";
    EXPECT_EQ(screen().items[kEnterEditor], kOn);
}

TEST_F(MachineTest, SubstepsMoveOneTransitionAtATimeThroughTheirStages)
{
    twoChains("1`1", "1`5");
    display(0, 0, 0, 0);
    chooseBoth();
    SBroadcastActivity(kSimIdle);
    ASSERT_EQ(SStartStep(), 1);
    EXPECT_EQ(tokens(b_) + tokens(d_), 0) << "nothing moves before the first substep";
    SRunWorkProc();  // Preparing Substep
    ASSERT_NE(GE_GetStepElements(), nullptr);
    EXPECT_EQ(LMCount(GE_GetStepElements()), 1);
    EXPECT_EQ(SCurrentWorkProc(), SMoveTokens);
    SRunWorkProc();  // Moving Tokens
    EXPECT_EQ(tokens(b_) + tokens(d_), 1) << "one transition per substep";
    runChain();
    EXPECT_EQ(tokens(b_) + tokens(d_), 2);
    const std::vector<std::string> stages = {"Preparing Substep", "Moving Tokens", "Finishing Substep",
                                             "More Substeps",     "Preparing Substep", "Moving Tokens",
                                             "Finishing Substep", "Last Substep", "Calculating Enabling",
                                             "Step is finished."};
    EXPECT_EQ(screen().statuses, stages);
    EXPECT_EQ(simview::count("substep feedback"), 2);
    EXPECT_EQ(simview::count("unhighlight"), 2);
    EXPECT_EQ(SCurrentActivity(), kSimIdle);
    EXPECT_EQ(GE_GetErrorCount(), 1u) << "one step of two substeps";
}

struct BreakCase {
    int32_t breakpoint1;
    int32_t breakpoint2;
    SimActivityCode pausedAt;
    SimWorkProc resumedWith;
    int tokensAtPause;
};

TEST_F(MachineTest, ABreakpointPausesTheStepAndContinueResumesWhereItStopped)
{
    twoChains("1`1", "");
    const std::vector<BreakCase> cases = {
        {1, 0, kSimStepBreak1, SMoveTokens, 0},
        {0, 1, kSimStepBreak2, SFinishSubstep, 1},
    };
    for (const BreakCase& c : cases) {
        simview::reset();
        display(c.breakpoint1, c.breakpoint2, 0, 0);
        options(100, 100, 100, 0, 0);
        ASSERT_EQ(ASChooseOccurrenceSet(2), 2);
        SBroadcastActivity(kSimIdle);
        EXPECT_EQ(SContinueStep(), 0) << "nothing to continue";
        ASSERT_EQ(SStartStep(), 1);
        runChain();
        EXPECT_EQ(SCurrentActivity(), c.pausedAt);
        EXPECT_EQ(SCurrentWorkProc(), nullptr) << "the timer is stopped";
        EXPECT_FALSE(screen().timerRunning);
        EXPECT_EQ(screen().items[kContinue], kOn);
        EXPECT_EQ(tokens(b_), c.tokensAtPause);
        ASSERT_EQ(SContinueStep(), 1);
        EXPECT_EQ(SCurrentWorkProc(), c.resumedWith);
        EXPECT_EQ(SCurrentActivity(), kSimStepWorking);
        runChain();
        EXPECT_EQ(SCurrentActivity(), kSimIdle);
        EXPECT_EQ(tokens(b_), 1);
        // The token goes back for the next case.
        ASSERT_EQ(ASChangeMarking(b_, i_, ""), 1);
        ASSERT_EQ(ASApplyMarkingChange(b_, i_, 0), 1);
        ASSERT_EQ(ASChangeMarking(a_, i_, "1`1"), 1);
        ASSERT_EQ(ASApplyMarkingChange(a_, i_, 0), 1);
        CTSRecalcEnabling();
    }
}

TEST_F(MachineTest, AMetStopCriterionRefusesTheStepAndWithdrawsTheOccurrenceSet)
{
    twoChains("1`1++1`2", "");
    display(0, 0, 0, 2);
    stopAfterSteps("1");
    options(0, 0, 0, 0, 0);
    ASSERT_EQ(ASChooseOccurrenceSet(2), 2);
    ASSERT_EQ(SStartStep(), 1);
    runChain();
    ASSERT_EQ(tokens(b_), 1);
    ASSERT_EQ(ASChooseOccurrenceSet(2), 2);
    ASSERT_FALSE(ASStepIsEmpty());
    simview::reset();
    EXPECT_EQ(SStartStep(), 0);
    EXPECT_EQ(screen().messages, std::vector<int16_t>{11554});
    EXPECT_TRUE(ASStepIsEmpty()) << "the chosen elements are withdrawn";
    EXPECT_EQ(SCurrentActivity(), kSimIdle);
    EXPECT_EQ(GE_GetErrorCount(), 1u);
    EXPECT_EQ(tokens(b_), 1);
    EXPECT_EQ(screen().chartRefreshes, 1);
    // The evaluator's step counters were reset: the next step may go.
    ASSERT_EQ(ASChooseOccurrenceSet(2), 2);
    EXPECT_EQ(SStartStep(), 1);
}

// ---- interactive runs ----

TEST_F(MachineTest, AnInteractiveRunStepsUntilNothingIsEnabled)
{
    twoChains("1`1++1`2", "1`5");
    display(0, 0, 0, 2);
    options(0, 0, 0, 0, 0);
    SBroadcastActivity(kSimIdle);
    SStartInteractiveRun();
    EXPECT_EQ(SCurrentActivity(), kSimRunWorking);
    EXPECT_EQ(screen().items[kStop], kOn);
    runChain();
    EXPECT_EQ(tokens(b_), 2);
    EXPECT_EQ(tokens(d_), 1);
    EXPECT_EQ(GE_GetErrorCount(), 3u) << "one binding per step";
    EXPECT_EQ(screen().chartUpdates, 3);
    EXPECT_TRUE(messaged(11525));
    EXPECT_EQ(SCurrentActivity(), kSimIdle);
    EXPECT_EQ(SCurrentWorkProc(), SIdleTick);
    EXPECT_EQ(screen().busy, 0);
    EXPECT_EQ(screen().items[kEnterEditor], kOn);
}

TEST_F(MachineTest, AnInteractiveRunBySubstepsEndsAtItsStopCriterion)
{
    twoChains("1`1++1`2++1`3", "");
    display(0, 0, 0, 1);
    options(0, 0, 0, 0, 0);
    stopAfterSteps("2");
    SStartInteractiveRun();
    runChain();
    EXPECT_EQ(tokens(b_), 2);
    EXPECT_EQ(tokens(a_), 1);
    EXPECT_TRUE(messaged(11554));
    EXPECT_TRUE(ASStepIsEmpty());
    EXPECT_EQ(SCurrentActivity(), kSimIdle);
}

TEST_F(MachineTest, EscapeDuringARunStopsItAtTheEndOfTheStep)
{
    twoChains("1`1++1`2++1`3", "");
    display(0, 0, 0, 0);
    options(0, 0, 0, 0, 0);
    screen().keys = {kSimKeyEscape};
    SStartInteractiveRun();
    runChain();
    EXPECT_EQ(tokens(b_), 1) << "the step under way is finished";
    EXPECT_TRUE(shown("Step 1 is finished"));
    EXPECT_TRUE(shown("Step Stopped"));
    EXPECT_EQ(SCurrentActivity(), kSimIdle);
    EXPECT_EQ(screen().busy, 0);
}

TEST_F(MachineTest, StopDuringARunAsksAndTakesEffectAtTheStepEnd)
{
    twoChains("1`1++1`2++1`3", "");
    display(0, 0, 0, 0);
    options(0, 0, 0, 0, 0);
    SStartInteractiveRun();
    SRunWorkProc();  // the occurrence set of step 1
    SRunWorkProc();  // its substep prepared
    for (int answer : {0, 1}) {
        screen().askContinue = answer;
        EXPECT_EQ(SStopInteractiveRun(), 1);
        EXPECT_EQ(GE_TestStateFlags(0x400), answer) << "Cancel keeps the run going";
    }
    EXPECT_EQ(SCurrentActivity(), kSimRunWorking);
    runChain();
    EXPECT_TRUE(messaged(11540));
    EXPECT_EQ(tokens(b_), 1);
    EXPECT_EQ(SCurrentActivity(), kSimIdle);
}

TEST_F(MachineTest, TheStepDialogDecidesAfterEveryStepAndAnOpenAnswerRedoesNothing)
{
    twoChains("1`1++1`2++1`3", "");
    display(0, 0, 1, 2);
    options(0, 0, 0, 0, 0);
    screen().stepDialog = {0, 1, 2};
    SStartInteractiveRun();
    SRunWorkProc();  // step 1 chosen and executed
    SRunWorkProc();  // its end: the dialog, left open
    EXPECT_EQ(screen().stepDialogs, 1);
    EXPECT_EQ(SCurrentWorkProc(), SRunFinishStep) << "the run waits at the step end";
    EXPECT_EQ(SCurrentActivity(), kSimRunStepFinished);
    SRunWorkProc();  // asked again: go on
    EXPECT_EQ(screen().stepDialogs, 2);
    EXPECT_EQ(screen().chartUpdates, 1) << "waiting does not update the charts again";
    EXPECT_EQ(SCurrentWorkProc(), SRunNextStep);
    runChain();  // step 2, then stop
    EXPECT_EQ(screen().stepDialogs, 3);
    EXPECT_EQ(tokens(b_), 2);
    EXPECT_EQ(GE_GetErrorCount(), 2u);
    EXPECT_EQ(SCurrentActivity(), kSimIdle);
}

TEST_F(MachineTest, ABreakpointPausesARunAndContinueGoesOn)
{
    twoChains("1`1++1`2", "");
    display(1, 0, 0, 0);
    options(0, 0, 0, 0, 0);
    SStartInteractiveRun();
    runChain();
    EXPECT_EQ(SCurrentActivity(), kSimRunBreak1);
    EXPECT_EQ(SContinueStep(), 0) << "a single step's Continue does not apply";
    ASSERT_EQ(SContinueRun(), 1);
    runChain();
    EXPECT_EQ(SCurrentActivity(), kSimRunBreak1) << "the second step pauses too";
    EXPECT_EQ(tokens(b_), 1);
    ASSERT_EQ(SContinueRun(), 1);
    runChain();
    ASSERT_EQ(SCurrentActivity(), kSimIdle) << "nothing enabled is left";
    EXPECT_EQ(tokens(b_), 2);
}

// ---- automatic run ----

struct AutoCase {
    const char* stopSteps;  // "" no stop criterion
    int fast;
    int moved;
    uint32_t counter;
    bool noMoreEnabled;
};

TEST_F(MachineTest, AnAutomaticRunEndsAtItsStopCriterionOrWhenNothingIsEnabled)
{
    twoChains("1`1++1`2++1`3", "1`5");
    options(0, 0, 0, 0, 0);
    const std::vector<AutoCase> cases = {
        {"2", 1, 2, 2, false},
        {"", 0, 4, 4, true},
    };
    for (const AutoCase& c : cases) {
        simview::reset();
        if (*c.stopSteps != '\0') {
            stopAfterSteps(c.stopSteps);
        } else {
            const bool none[5] = {false, false, false, false, false};
            MemFileReset(ASReplyBuffer());
            ASSERT_EQ(ASSetStopOptions(none, "0", "0", "0", "0", ASReplyBuffer()), 0);
        }
        MemFileReset(ASReplyBuffer());
        ASResetStepCounters(ASReplyBuffer());
        EXPECT_EQ(SAutomaticRun(c.fast), 1);
        EXPECT_EQ(tokens(b_) + tokens(d_), c.moved) << c.stopSteps;
        EXPECT_EQ(GE_GetErrorCount(), c.counter) << "the step number read back";
        EXPECT_EQ(messaged(11525), c.noMoreEnabled);
        EXPECT_EQ(simview::count("update all markings"), 1);
        EXPECT_EQ(screen().statuses.back(), "Automatic Run Is Finished");
        EXPECT_EQ(screen().stateInvalid, 0);
        EXPECT_EQ(screen().busy, 0);
        // The simulator's enabling follows the evaluator's marking.
        EXPECT_EQ(se::count(i_->enabled) != 0, !c.noMoreEnabled);
    }
}


TEST_F(MachineTest, AnMLExceptionInTheAutomaticRunLeavesTheStateInvalid)
{
    declare("colset INT = int; var x : INT;", {{"INT", false}});
    p_ = page("4", "Top");
    a_ = place(p_, "5", "INT", "1`1++1`2");
    b_ = place(p_, "6", "INT", nullptr);
    t1_ = trans(p_, "7", "T1", "[x div (x - x) = 0]");
    arc(t1_, a_, kSEPlaceToTrans, "8", "x");
    arc(t1_, b_, kSETransToPlace, "9", "x");
    check(t1_);
    switchPage(p_);
    ASSERT_EQ(ASCreateInstance(p_, "", nullptr, nullptr), 0);
    resetState();
    i_ = only(p_);
    MemFileReset(ASReplyBuffer());
    ASSERT_EQ(ASGenSacStep(true, ASReplyBuffer()), 0) << text(ASReplyBuffer());
    EXPECT_EQ(SAutomaticRun(1), 1);
    EXPECT_EQ(screen().messages, std::vector<int16_t>{11552});
    ASSERT_EQ(screen().texts.size(), 1u);
    EXPECT_EQ(screen().texts[0].rfind("Unhandled Exception: ", 0), 0u) << screen().texts[0];
    EXPECT_EQ(screen().stateInvalid, 1);
    EXPECT_TRUE(GE_TestStateFlags(kGEMenusStale));
    EXPECT_EQ(screen().busy, 0);
    EXPECT_EQ(ok("TOLQ'Edit.out_val(Bool.toString(!TOLQ'ValuePrint));\n"), std::vector<std::string>{"true"});
}


// ---- a timed net ----

// A -x-> T -1`x@+3-> A on timed integers: each occurrence puts the token
// three time units later.
class TimedMachineTest : public MachineTest {
protected:
    void cycle()
    {
        declare("colset TI = int timed; var x : TI;", {{"TI", true}, {"TIME", false}});
        p_ = page("4", "Top");
        a_ = place(p_, "5", "TI", "1`1");
        t1_ = trans(p_, "7", "T");
        arc(t1_, a_, kSEPlaceToTrans, "8", "x");
        arc(t1_, a_, kSETransToPlace, "9", "1`x@+3");
        check(t1_);
        ok("TOLQ'Sim.WithTime:=true;");
        ASRunOptions(root())[2] = 1;
        CTSCurrentContext().timedColourSets = 1;  // as the check finds it
        switchPage(p_);
        ASSERT_EQ(ASCreateInstance(p_, "", nullptr, nullptr), 0);
        resetState();
        i_ = only(p_);
        MemFileReset(ASReplyBuffer());
        ASSERT_EQ(ASGenSacStep(true, ASReplyBuffer()), 0) << text(ASReplyBuffer());
        options(0, 0, 0, 0, 0);
    }
};

TEST_F(TimedMachineTest, RunsAdvanceTheModelTimeStepByStep)
{
    cycle();
    display(0, 0, 0, 2);
    stopAfterSteps("3");
    SStartInteractiveRun();
    runChain();
    EXPECT_TRUE(messaged(11554)) << "the run ends at its stop criterion";
    EXPECT_EQ(GE_GetErrorCount(), 3u);
    EXPECT_EQ(ASRequestModelTimeText(), "9") << "occurrences at 0, 3 and 6, then nothing is enabled before 9";
    EXPECT_NE(marking(a_, i_).find("@9"), std::string::npos) << marking(a_, i_);
    MemFileReset(ASReplyBuffer());
    ASResetStepCounters(ASReplyBuffer());
    stopAfterSteps("4");
    screen().messages.clear();
    EXPECT_EQ(SAutomaticRun(1), 1);
    EXPECT_TRUE(screen().messages.empty()) << "the run waits for its tokens instead of ending";
    EXPECT_EQ(GE_GetErrorCount(), 7u);
    EXPECT_EQ(ASRequestModelTimeText(), "21") << "occurrences at 9, 12, 15 and 18, then the next token's time";
}

} // namespace
} // namespace simtest
