// Random choice of the occurrence set and step execution against the real
// evaluator: the chosen elements, the tokens moved, substeps and enabling.
#include "SimFixture.h"

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ConvertToSim/CTSResetState.h"

#include <algorithm>

namespace simtest {
namespace {

// The terms of a marking text, sorted.
std::vector<std::string> terms(const std::string& marking)
{
    std::vector<std::string> out;
    for (size_t at = 0; at <= marking.size();) {
        const size_t plus = marking.find("++", at);
        out.push_back(marking.substr(at, plus == std::string::npos ? std::string::npos : plus - at));
        if (plus == std::string::npos)
            break;
        at = plus + 2;
    }
    std::sort(out.begin(), out.end());
    return out;
}

// (transition, enabled) of every transition the instance's lists hold.
std::vector<std::pair<SETrans*, bool>> enablingOf(ASInstance* i)
{
    std::vector<std::pair<SETrans*, bool>> out;
    se::forEachValue(i->enabled, [&](void* t) { out.emplace_back(static_cast<SETrans*>(t), true); });
    se::forEachValue(i->disabled, [&](void* t) { out.emplace_back(static_cast<SETrans*>(t), false); });
    std::sort(out.begin(), out.end());
    return out;
}

class StepTest : public SimFixture {
protected:
    // A -x-> T1 -x-> B and C -y-> T2 -y-> D on one page.
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
    }
    void display(int32_t substeps)
    {
        const int32_t d[4] = {1, 1, 1, substeps};
        ASSetDisplayOptions(d);
    }
    // One whole step: execute, tell the evaluator, refresh.
    void wholeStep()
    {
        display(3);
        ASSERT_EQ(ASBeginExecution(nullptr), 1);
        ASInstance* failed = nullptr;
        uint32_t object = 0;
        int result = 0;
        ASSERT_EQ(ASExecuteStep(&failed, &object, &result), 1);
        EXPECT_EQ(result, 1);
        ASSendOccurrenceSet();
        ASRefreshEnabling();
        expectEnablingAsIfRecomputed();
    }
    // The lists kept up to date step by step equal those of a recomputation
    // from scratch, and no re-check is left pending.
    void expectEnablingAsIfRecomputed()
    {
        EXPECT_EQ(se::count(i_->pending), 0);
        const auto kept = enablingOf(i_);
        CTSRecalcEnabling();
        EXPECT_EQ(kept, enablingOf(i_));
    }
    SEPage* p_ = nullptr;
    SEPlace *a_ = nullptr, *b_ = nullptr, *c_ = nullptr, *d_ = nullptr;
    SETrans *t1_ = nullptr, *t2_ = nullptr;
    ASInstance* i_ = nullptr;
};

// A value typed for a variable is legal only when the evaluator takes it as a
// member of the colour set.
TEST_F(StepTest, ValuesAreCheckedAgainstTheirColourSet)
{
    declare("colset INT = int; colset SMALL = int with 1..5;", {{"INT", false}, {"SMALL", false}});
    struct Case {
        const char* colourSet;
        const char* value;
        int legal;
    };
    for (const Case& c : {Case{"INT", "3", 1}, Case{"SMALL", "3", 1}, Case{"SMALL", "9", 0},
                          Case{"INT", "\"text\"", 0}, Case{"INT", "3 +", 0}})
        EXPECT_EQ(ASCheckLegalValue(c.colourSet, c.value), c.legal) << c.colourSet << " " << c.value;
}

TEST_F(StepTest, WithAllChancesZeroOneBindingOccursAndMovesItsToken)
{
    twoChains("1`1++1`2", "1`5");
    options(0, 0, 0, 0, 0);
    ASSERT_EQ(ASChooseOccurrenceSet(1), 2);
    EXPECT_FALSE(root()->flags & kASRootNoOccSet) << "a choice that ended by chance";
    ASSERT_EQ(se::count(i_->steps), 1);
    auto* e = static_cast<ASBindingElement*>(i_->steps->first);
    EXPECT_EQ(e->state, kASChosen);
    const std::string value(e->values, static_cast<size_t>(e->valuesLength) - 1);
    EXPECT_FALSE(ASStepIsEmpty());
    wholeStep();
    EXPECT_TRUE(ASStepIsEmpty());
    if (e->transition == t1_) {
        EXPECT_EQ(marking(b_, i_), "1`" + value);
    }
    const int moved = ASQueryPlaceTokenCount(b_, i_) + ASQueryPlaceTokenCount(d_, i_);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(ASQueryPlaceTokenCount(a_, i_) + ASQueryPlaceTokenCount(c_, i_), 2);
    EXPECT_EQ(i_->flags & kASTransStateSent, 0u) << "the next draw makes the transition states afresh";
}

TEST_F(StepTest, AllTransitionsAndAllBindingsInBulkEmptyTheInputs)
{
    twoChains("1`1++1`2++1`3", "1`5++1`6");
    options(100, 100, 100, 100, 0);
    auto* input = static_cast<SEArc*>(t1_->inputArcs->first);
    std::string reserved;
    EXPECT_EQ(ASQueryArcTokenCount(input, i_, 0), 0) << "no transition states drawn into yet";
    ASSERT_EQ(ASChooseOccurrenceSet(1), 2);
    EXPECT_EQ(ASQueryArcTokenCount(input, i_, 0), 3) << "the reserved tokens stand on the input arc";
    ASSERT_EQ(ASQueryArcTokens(input, i_, &reserved, 0), 1);
    EXPECT_EQ(terms(reserved), (std::vector<std::string>{"1`1", "1`2", "1`3"}));
    EXPECT_EQ(chosen(i_, t1_), (std::vector<std::string>{block({"1"}), block({"2"}), block({"3"})}));
    EXPECT_EQ(chosen(i_, t2_), (std::vector<std::string>{block({"5"}), block({"6"})}));
    // The steps list is ordered by the transitions' order numbers.
    SETrans* previous = nullptr;
    bool ordered = true;
    se::forEachRec(i_->steps, [&](SEHead* r) {
        SETrans* t = reinterpret_cast<ASBindingElement*>(r)->transition;
        ordered = ordered && (previous == nullptr || ASTransOrder(previous) <= ASTransOrder(t));
        previous = t;
    });
    EXPECT_TRUE(ordered);
    wholeStep();
    EXPECT_EQ(terms(marking(b_, i_)), (std::vector<std::string>{"1`1", "1`2", "1`3"}));
    EXPECT_EQ(terms(marking(d_, i_)), (std::vector<std::string>{"1`5", "1`6"}));
    EXPECT_EQ(ASQueryPlaceTokenCount(a_, i_), 0);
    EXPECT_EQ(ASHasCandidates(i_), 0);
    EXPECT_EQ(ASChooseOccurrenceSet(1), 0);
}

TEST_F(StepTest, IdenticalCopiesStopWhenTheEvaluatorRefusesOne)
{
    twoChains("3`1", "");
    options(0, 0, 0, 0, 100);
    ASSERT_EQ(ASChooseOccurrenceSet(1), 2);
    EXPECT_EQ(chosen(i_, t1_), (std::vector<std::string>{block({"1"}), block({"1"}), block({"1"})}))
        << "three tokens, three identical elements";
    wholeStep();
    EXPECT_EQ(marking(b_, i_), "3`1");
}

TEST_F(StepTest, SubstepsExecuteOneTransitionAtATime)
{
    twoChains("1`1", "1`5");
    options(100, 100, 100, 0, 0);
    ASSERT_EQ(ASChooseOccurrenceSet(1), 2);
    ASSERT_EQ(se::count(i_->steps), 2);
    display(0);
    ASSERT_EQ(ASStepGranularity(root()), 1);
    ASBeginExecution(nullptr);
    ASInstance* failed = nullptr;
    uint32_t object = 0;
    int result = -1;
    ASSERT_EQ(ASExecuteStep(&failed, &object, &result), 1);
    EXPECT_EQ(result, 0) << "one substep remains";
    ASSendOccurrenceSet();
    EXPECT_EQ(ASQueryPlaceTokenCount(b_, i_), 1) << "the first transition occurred";
    EXPECT_EQ(ASQueryPlaceTokenCount(d_, i_), 0);
    ASSERT_EQ(ASExecuteStep(&failed, &object, &result), 1);
    EXPECT_EQ(result, 1) << "the cursor ran off the last page";
    ASSendOccurrenceSet();
    EXPECT_EQ(ASQueryPlaceTokenCount(d_, i_), 1);
    const int32_t d[4] = {1, 1, 1, 0};
    ASSetDisplayOptions(d);
    EXPECT_EQ(ASPendingGranularity(), 1) << "held until the end of the step";
    ASRefreshEnabling();
    EXPECT_EQ(ASPendingGranularity(), -1);
    EXPECT_EQ(ASStepGranularity(root()), 1);
}

TEST_F(StepTest, APageWithoutTheModeOfTheFilterIsNeverChosen)
{
    twoChains("1`1", "1`5");
    options(100, 100, 100, 100, 0);
    p_->modeFlags &= ~kASModeInteract;
    EXPECT_EQ(ASChooseOccurrenceSet(2), 0);
    EXPECT_TRUE(ASStepIsEmpty());
}

TEST_F(StepTest, OccurrencesAreReportedWhenAsked)
{
    twoChains("1`1", "");
    options(0, 0, 0, 0, 0);
    ASRunOptions(root())[3] = 1;
    ASRunOptions(root())[4] = 1;
    ASRunOptions(root())[2] = 1; // with time: the model time stands in the step line
    ASRequestCurStep(1);
    ASSERT_EQ(ASChooseOccurrenceSet(1), 2);
    wholeStep();
    EXPECT_EQ(ok("TOLQ'Edit.out_val(TolqReport.text ());\n"),
              std::vector<std::string>{"1 I @ 0 T1@(1:Top#" + std::to_string(p_->pageNumber) + ")\n    {x = 1}\n"});
}

} // namespace
} // namespace simtest

namespace simtest {
namespace {

// A -x-> T -1`x@+3-> B on timed integers.
class TimedStepTest : public SimFixture {
protected:
    void build(const char* marking)
    {
        declare("colset TI = int timed; var x : TI;", {{"TI", true}, {"TIME", false}});
        p = page("4", "Top");
        a = place(p, "5", "TI", marking);
        b = place(p, "6", "TI", nullptr);
        t = trans(p, "7", "T");
        arc(t, a, kSEPlaceToTrans, "8", "x");
        arc(t, b, kSETransToPlace, "9", "1`x@+3");
        check(t);
        ok("TOLQ'Sim.WithTime:=true;");
        switchPage(p);
        ASSERT_EQ(ASCreateInstance(p, "", nullptr, nullptr), 0);
        resetState();
        i = only(p);
    }
    SEPage* p = nullptr;
    SEPlace *a = nullptr, *b = nullptr;
    SETrans* t = nullptr;
    ASInstance* i = nullptr;
};

TEST_F(TimedStepTest, TheAutomaticRunExecutesTimedOutputs)
{
    build("1`1++1`2");
    MemFileReset(ASReplyBuffer());
    ASSERT_EQ(ASGenSacStep(false, ASReplyBuffer()), 0) << text(ASReplyBuffer());
    EXPECT_EQ(ASAutoRunStep(false), -4) << text(ASReplyBuffer());
    EXPECT_EQ(ASQueryPlaceTokenCount(b, i), 2);
    EXPECT_NE(marking(b, i).find("@3"), std::string::npos) << marking(b, i);
}

TEST_F(TimedStepTest, ATimedMarkingIsAlwaysAMultiset)
{
    build("1`1");
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    EXPECT_EQ(ASSetChangeMarking("(1`4@+0)+++(1`5@+2)", "TI", false, true, reply), 1) << text(reply);
    MemFileReset(reply);
    EXPECT_LT(ASSetChangeMarking("4", "TI", false, true, reply), 0) << "a bare value is no timed multiset";
    ASSERT_EQ(ASChangeMarking(b, i, "(1`4@+0)+++(1`5@+2)"), 1);
    ASSERT_EQ(ASApplyMarkingChange(b, i, 0), 1);
    EXPECT_EQ(ASQueryPlaceTokenCount(b, i), 2);
    ASSERT_EQ(ASChangeMarking(b, i, ""), 1);
    ASSERT_EQ(ASApplyMarkingChange(b, i, 0), 1);
    EXPECT_EQ(ASQueryPlaceTokenCount(b, i), 0) << "tempty";
}

TEST_F(TimedStepTest, ATimedOutputIsExecutedAndCarriesItsTimeStamp)
{
    build("1`1");
    ASSERT_TRUE(se::containsValue(i->enabled, t));
    options(0, 0, 0, 0, 0);
    ASSERT_EQ(ASChooseOccurrenceSet(1), 2);
    const int32_t d[4] = {1, 1, 1, 3};
    ASSetDisplayOptions(d);
    ASBeginExecution(nullptr);
    ASInstance* failed = nullptr;
    uint32_t object = 0;
    int result = 0;
    ASSERT_EQ(ASExecuteStep(&failed, &object, &result), 1) << text(ASReplyBuffer());
    ASSendOccurrenceSet();
    ASRefreshEnabling();
    EXPECT_EQ(ASQueryPlaceTokenCount(a, i), 0);
    EXPECT_EQ(ASQueryPlaceTokenCount(b, i), 1);
    EXPECT_EQ(marking(b, i), "(1`1@3)");
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    ASSERT_EQ(ASSetModelTime("SOME (IntInf.fromInt 3)", reply), 0);
    std::string now;
    MemFileReset(reply);
    ASGetModelTime(&now, reply);
    EXPECT_EQ(now, "(clock (\"3\"))");
}

} // namespace
} // namespace simtest

namespace simtest {
namespace {

class AutoRunTest : public StepTest {
protected:
    int16_t generate(bool fast)
    {
        MemFileReset(ASReplyBuffer());
        return ASGenSacStep(fast, ASReplyBuffer());
    }
};

TEST_F(AutoRunTest, RunsUntilNothingIsEnabledAndEndsInTheErrorClass)
{
    twoChains("1`1++1`2", "1`5");
    ASSERT_EQ(generate(false), 0) << text(ASReplyBuffer());
    EXPECT_EQ(ASAutoRunStep(false), -4) << text(ASReplyBuffer());
    EXPECT_EQ(marking(b_, i_).size(), std::string("1`1++1`2").size());
    EXPECT_EQ(ASQueryPlaceTokenCount(b_, i_), 2);
    EXPECT_EQ(ASQueryPlaceTokenCount(d_, i_), 1);
    EXPECT_EQ(ASQueryPlaceTokenCount(a_, i_) + ASQueryPlaceTokenCount(c_, i_), 0);
    EXPECT_EQ(ASRequestStep(), "3") << "one binding per step";
    EXPECT_EQ(ok("TOLQ'Edit.out_val(Bool.toString(!TOLQ'ValuePrint));\n"), std::vector<std::string>{"true"})
        << "values are printed again after the run";
}

TEST_F(AutoRunTest, AStopCriterionEndsTheRunNormally)
{
    twoChains("1`1++1`2", "1`5");
    const bool addSteps[5] = {true, false, false, false, false};
    MemFileReset(ASReplyBuffer());
    ASSERT_EQ(ASSetStopOptions(addSteps, "2", "0", "0", "0", ASReplyBuffer()), 0);
    ASSERT_EQ(generate(true), 0) << text(ASReplyBuffer());
    EXPECT_EQ(ASAutoRunStep(true), 0) << text(ASReplyBuffer());
    EXPECT_EQ(ASQueryPlaceTokenCount(b_, i_) + ASQueryPlaceTokenCount(d_, i_), 2);
    EXPECT_EQ(ASStopCriteriaMet(), 1);
    MemFileReset(ASReplyBuffer());
    ASResetStepCounters(ASReplyBuffer());
    EXPECT_EQ(ASAutoRunStep(true), -4) << "the rest runs after the counters are reset";
    EXPECT_EQ(ASQueryPlaceTokenCount(b_, i_) + ASQueryPlaceTokenCount(d_, i_), 3);
}

} // namespace
} // namespace simtest
