// The code generator's enabling of transition instances against the real
// evaluator: single and batched questions, the enabled and disabled lists,
// answers of timed questions, the reset to the initial state, and a step
// whose code segment binds an output variable.
#include "SimFixture.h"

#include <cstdio>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSModelTime.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "atolq/Utils/LMList.h"

namespace simtest {
namespace {

// A -x-> T1 -x-> B and C -y-> T2 -y-> D; the markings of A and C given.
class EnablingTest : public SimFixture {
protected:
    void build(const char* a, const char* c)
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
    void queue(std::initializer_list<SETrans*> ts)
    {
        for (SETrans* t : ts)
            se::appendPair(i_->pending, t, nullptr);
    }
    bool enabled(SETrans* t) { return se::containsValue(i_->enabled, t); }
    bool disabled(SETrans* t) { return se::containsValue(i_->disabled, t); }

    SEPage* p_ = nullptr;
    SEPlace *a_ = nullptr, *b_ = nullptr, *c_ = nullptr, *d_ = nullptr;
    SETrans *t1_ = nullptr, *t2_ = nullptr;
    ASInstance* i_ = nullptr;
};

TEST_F(EnablingTest, OneQuestionMovesTheTransitionBetweenTheLists)
{
    build("1`1", "");
    EXPECT_TRUE(enabled(t1_));
    EXPECT_TRUE(disabled(t2_));
    EXPECT_FALSE(disabled(t1_)) << "a transition stands in one list only";
    ASSERT_EQ(ASChangeMarking(c_, i_, "1`3"), 1);
    MemFileReset(ASReplyBuffer());
    ASSERT_GE(ASAssignChangeMarking(c_, i_->mlName, ASReplyBuffer()), 0);
    EXPECT_EQ(CTSCheckEnabling(t2_, i_), 1);
    EXPECT_EQ(CTSCheckEnabling(t2_, i_), 1);
    EXPECT_EQ(se::count(i_->enabled), 2) << "not added twice";
    EXPECT_EQ(static_cast<SETrans*>(static_cast<LMValueCell*>(i_->enabled->first)->value), t2_) << "at the front";
    EXPECT_FALSE(disabled(t2_));
}

// The with-code switch goes to the evaluator only when its value for the
// instance changes: a value set behind its back stays until then.
TEST_F(EnablingTest, WithCodeIsSentOnlyWhenItChanges)
{
    build("1`1", "");
    ASRunOptions(root())[1] = 1;
    ASForgetWithCode();
    CTSCheckEnabling(t1_, i_);
    const auto withCode = [&] {
        std::string reply;
        eval("TOLQ'Edit.out_val (Bool.toString (!TOLQ'Sim.WithCode));\n", &reply);
        return values(reply);
    };
    EXPECT_EQ(withCode(), std::vector<std::string>{"true"});
    ok("TOLQ'Sim.WithCode := false;\n");
    CTSCheckEnabling(t1_, i_);
    queue({t1_, t2_});
    CTSCheckEnablingBatch(i_);
    EXPECT_EQ(withCode(), std::vector<std::string>{"false"}) << "not sent again";
    ASRunOptions(root())[1] = 0;
    CTSCheckEnabling(t1_, i_);
    ASRunOptions(root())[1] = 1;
    CTSCheckEnabling(t1_, i_);
    EXPECT_EQ(withCode(), std::vector<std::string>{"true"}) << "sent on each change";
}

// Each question of a batch is answered in its own frame: every mix of
// enabled and disabled transitions, in both orders, comes back right.
TEST_F(EnablingTest, ABatchReadsOneAnswerPerQuestionInOrder)
{
    build("", "");
    const struct {
        const char* a;
        const char* c;
        bool first, second;
    } cases[] = {{"1`1", "", true, false}, {"", "1`5", false, true}, {"1`1", "1`5", true, true}, {"", "", false, false}};
    for (const auto& k : cases) {
        SCOPED_TRACE(std::string(k.a) + " / " + k.c);
        ASSERT_EQ(ASChangeMarking(a_, i_, k.a), 1);
        MemFileReset(ASReplyBuffer());
        ASSERT_GE(ASAssignChangeMarking(a_, i_->mlName, ASReplyBuffer()), 0);
        ASSERT_EQ(ASChangeMarking(c_, i_, k.c), 1);
        MemFileReset(ASReplyBuffer());
        ASSERT_GE(ASAssignChangeMarking(c_, i_->mlName, ASReplyBuffer()), 0);
        for (bool reversed : {false, true}) {
            if (reversed)
                queue({t2_, t1_});
            else
                queue({t1_, t2_});
            EXPECT_EQ(CTSCheckEnablingBatch(i_), int(k.first) + int(k.second));
            EXPECT_EQ(i_->pending, nullptr) << "the re-check list is destroyed";
            EXPECT_EQ(enabled(t1_), k.first);
            EXPECT_EQ(disabled(t1_), !k.first);
            EXPECT_EQ(enabled(t2_), k.second);
            EXPECT_EQ(disabled(t2_), !k.second);
        }
    }
}

TEST_F(EnablingTest, TheBatchIsOneRequestWithAnEndMarkAfterEachQuestion)
{
    build("1`1", "1`2");
    queue({t1_, t2_});
    CTSWriteEnablingBatch(i_);
    const std::string request = text(ASRequestBuffer());
    const std::string i = i_->mlName;
    const std::string end = "output(std_out, (String.str #\"\\002\"));\n";
    EXPECT_EQ(request, "(TOLQ'Sim.Fair:=false;TOLQ'BF7(TOLQ'PS" + i + ",TOLQ'TS" + i +
                           ", 1 ,TOLQ'EB7,true,false,());TOLQ'Sim.Fair:=true);\n" + end +
                           "(TOLQ'Sim.Fair:=false;TOLQ'BF22(TOLQ'PS" + i + ",TOLQ'TS" + i +
                           ", 1 ,TOLQ'EB22,true,false,());TOLQ'Sim.Fair:=true);\n" + end);
    se::destroyList(i_->pending);
}

TEST_F(EnablingTest, AFailedQuestionIsNoEnabling)
{
    build("1`1", "1`2");
    // A transition the evaluator has no code for: its question fails.
    SETrans* ghost = trans(p_, "999", "Ghost");
    EXPECT_EQ(CTSCheckEnabling(ghost, i_), 0);
    EXPECT_TRUE(disabled(ghost));
    // In a batch it spoils the request; the other questions are asked alone.
    queue({t1_, ghost, t2_});
    EXPECT_EQ(CTSCheckEnablingBatch(i_), 2);
    EXPECT_TRUE(enabled(t1_));
    EXPECT_TRUE(enabled(t2_));
    EXPECT_TRUE(disabled(ghost));
    EXPECT_EQ(i_->pending, nullptr);
}

TEST_F(EnablingTest, ARecheckAfterAStepUsesTheBatchAndEmptiesTheLists)
{
    build("1`1", "1`2");
    queue({t1_});
    ASSERT_EQ(ASChangeMarking(a_, i_, ""), 1);
    MemFileReset(ASReplyBuffer());
    ASSERT_GE(ASAssignChangeMarking(a_, i_->mlName, ASReplyBuffer()), 0);
    CTSRecalcEnablingFor(101);
    EXPECT_EQ(i_->pending, nullptr);
    EXPECT_TRUE(disabled(t1_));
    EXPECT_TRUE(enabled(t2_)) << "an entry not queued keeps its answer";
}

TEST_F(EnablingTest, AMarkingChangeRechecksTheTransitionsAtThePlace)
{
    build("1`1", "1`2");
    ASSERT_EQ(ASChangeMarking(c_, i_, ""), 1);
    ASSERT_EQ(ASApplyMarkingChange(c_, i_, 0), 1);
    EXPECT_TRUE(disabled(t2_));
    EXPECT_TRUE(enabled(t1_));
    ASSERT_EQ(ASChangeMarking(c_, i_, "1`4"), 1);
    ASSERT_EQ(ASApplyMarkingChange(c_, i_, 0), 1);
    EXPECT_TRUE(enabled(t2_));
}

TEST_F(EnablingTest, TimedAnswersCompareWithTheClock)
{
    build("", "");
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    ASSERT_EQ(ASSetModelTime("SOME (IntInf.fromInt 3)", reply), 0);
    ASSERT_EQ(CTSReadModelClock(), 1);
    EXPECT_EQ(CTSCurrentClock(), 3);
    const struct {
        const char* answer;
        bool timed, enabled;
    } cases[] = {{"", false, true},
                 {"none", true, false},
                 {"(clock (\"2\"))", true, true},
                 {"(clock (\"3\"))", true, true},
                 {"(clock (\"9\"))", true, false},
                 {"(clock (\"5\"))", true, false},
                 {"garbage", true, false}};
    CTSRecalcEnabling();
    EXPECT_EQ(CTSNextEnablingTime(), -1);
    for (const auto& k : cases)
        EXPECT_EQ(CTSAnswerEnabled(k.answer, k.timed), k.enabled) << k.answer;
    EXPECT_EQ(CTSNextEnablingTime(), 5) << "the earliest time later than the clock";
}

// A -x-> T1 -x-> B on a prime page, with T0 that has no inscriptions at all.
class ResetTest : public SimFixture {
protected:
    void build()
    {
        declare("colset INT = int; var x : INT;", {{"INT", false}});
        p_ = page("4", "Top");
        a_ = place(p_, "5", "INT", "1`1++1`2");
        b_ = place(p_, "6", "INT", nullptr);
        t1_ = trans(p_, "7", "T1");
        arc(t1_, a_, kSEPlaceToTrans, "8", "x");
        arc(t1_, b_, kSETransToPlace, "9", "x");
        t0_ = trans(p_, "10", "T0");
        check(t1_);
        check(t0_);
        switchPage(p_);
        ASSERT_EQ(ASSetPrime(&p_->head, 1), 1);
    }
    std::string ask(const std::string& expression)
    {
        std::string reply;
        EXPECT_EQ(eval("TOLQ'Edit.out_val (" + expression + ");\n", &reply), 0) << reply;
        const auto v = values(reply);
        return v.empty() ? std::string() : v.front();
    }
    SEPage* p_ = nullptr;
    SEPlace *a_ = nullptr, *b_ = nullptr;
    SETrans *t0_ = nullptr, *t1_ = nullptr;
};

TEST_F(ResetTest, TheInitialStateHasFreshInstancesTheSequenceAndEnabling)
{
    build();
    ASSERT_EQ(CTSResetSimState(), 1);
    ASInstance* i = only(p_);
    ASSERT_NE(i, nullptr);
    EXPECT_TRUE(root()->flags & 0x10u) << "initialised";
    EXPECT_TRUE(se::containsValue(i->enabled, t1_));
    EXPECT_TRUE(t0_->flags & kASNoRequestMark) << "nothing to ask about";
    EXPECT_FALSE(se::containsValue(i->enabled, t0_) || se::containsValue(i->disabled, t0_));
    EXPECT_EQ(ask("Int.toString (length trans_seq)"), "2") << "T1 and the closing entry";
    EXPECT_EQ(ask("#2 (hd trans_seq)"), "7");

    // A second reset starts again from the initial marking, with one instance.
    ASSERT_EQ(ASChangeMarking(a_, i, ""), 1);
    ASSERT_EQ(ASApplyMarkingChange(a_, i, 0), 1);
    ASSERT_TRUE(se::containsValue(i->disabled, t1_));
    ASSERT_EQ(CTSResetSimState(), 1);
    i = only(p_);
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(ASQueryPlaceTokenCount(a_, i), 2);
    EXPECT_TRUE(se::containsValue(i->enabled, t1_));
}

TEST_F(ResetTest, FairnessFollowsTheRunMode)
{
    build();
    const struct {
        int32_t mode;
        const char* fair;
        const char* timeFair;
    } cases[] = {{1, "false", "false"}, {0, "true", "true"}, {2, "true", "true"}};
    for (const auto& k : cases) {
        ASRunOptions(root())[0] = k.mode;
        ASSERT_EQ(CTSResetSimState(), 1);
        EXPECT_EQ(ask("Bool.toString (!TOLQ'Sim.Fair)"), k.fair) << k.mode;
        EXPECT_EQ(ask("Bool.toString (!TOLQ'Sim.TimeFair)"), k.timeFair) << k.mode;
    }
}

TEST_F(ResetTest, ThePlainRunOptionsReachTheEvaluator)
{
    build();
    ASRunOptions(root())[1] = 1; // with code
    ASRunOptions(root())[3] = 1; // feedback
    ASRunOptions(root())[4] = 0; // no binding feedback
    root()->runOptions2[0] = 1;  // additional steps
    std::snprintf(root()->runTexts[0], sizeof root()->runTexts[0], "%s", "25");
    ASSERT_EQ(CTSResetSimState(), 1);
    EXPECT_EQ(ask("Bool.toString (!TOLQ'Sim.WithCode)"), "true");
    EXPECT_EQ(ask("Bool.toString (!TOLQ'Sim.Feedback)"), "true");
    EXPECT_EQ(ask("Bool.toString (!TOLQ'Sim.BindFeedback)"), "false");
    EXPECT_EQ(ask("Bool.toString (!TOLQ'Sim.AddSteps)"), "true");
    EXPECT_EQ(ask("Int.toString (!TOLQ'Sim.AddStepsVal)"), "25");
    EXPECT_EQ(ask("Bool.toString (!TOLQ'Sim.NoLimit)"), "false");
}

// A -x-> T -y-> B where T's code segment binds y to x + 1.
class CodeSegmentTest : public SimFixture {};

TEST_F(CodeSegmentTest, AStepRunsTheCodeSegmentThatBindsTheOutputVariable)
{
    declare("colset INT = int; var x : INT; var y : INT;", {{"INT", false}});
    SEPage* p = page("4", "Top");
    SEPlace* a = place(p, "5", "INT", "1`1");
    SEPlace* b = place(p, "6", "INT", nullptr);
    SETrans* t = trans(p, "7", "T");
    t->code = se::copyText("input (x);\noutput (y);\naction x + 1;");
    arc(t, a, kSEPlaceToTrans, "8", "x");
    SEArc* out = arc(t, b, kSETransToPlace, "9", "y");
    check(t);
    EXPECT_TRUE(out->flags & cts::kArcCode) << "the output arc uses a variable the code binds";
    switchPage(p);
    ASSERT_EQ(ASCreateInstance(p, "", nullptr, nullptr), 0);
    ASRunOptions(root())[1] = 1; // with code
    resetState();
    ASInstance* i = only(p);
    ASSERT_TRUE(se::containsValue(i->enabled, t));
    options(0, 0, 0, 0, 0);
    ASSERT_EQ(ASChooseOccurrenceSet(1), 2) << text(ASRequestBuffer()) << text(ASReplyBuffer());
    const int32_t display[4] = {1, 1, 1, 3};
    ASSetDisplayOptions(display);
    ASSERT_EQ(ASBeginExecution(nullptr), 1);
    ASInstance* failed = nullptr;
    uint32_t object = 0;
    int result = 0;
    ASSERT_EQ(ASExecuteStep(&failed, &object, &result), 1) << text(ASReplyBuffer());
    ASSendOccurrenceSet();
    ASRefreshEnabling();
    EXPECT_EQ(marking(a, i), "empty");
    EXPECT_EQ(marking(b, i), "1`2");
    EXPECT_TRUE(se::containsValue(i->disabled, t));
}

} // namespace
} // namespace simtest
