// Page instances, manual binding, markings, model time, stop criteria and
// run control of the abstract simulator against the real evaluator.
#include "SimFixture.h"

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ConvertToSim/CTSGenFields.h"

namespace simtest {
namespace {

class InstanceTest : public SimFixture {
protected:
    Chain chain(const char* marking)
    {
        declare("colset INT = int; var x : INT;", {{"INT", false}});
        Chain c{};
        c.page = page("4", "Top");
        c.a = place(c.page, "5", "INT", marking);
        c.b = place(c.page, "6", "INT", nullptr);
        c.t = trans(c.page, "7", "T");
        arc(c.t, c.a, kSEPlaceToTrans, "8", "x");
        arc(c.t, c.b, kSETransToPlace, "9", "x");
        check(c.t);
        switchPage(c.page);
        return c;
    }
};

TEST_F(InstanceTest, PrimeInstancesAreNumberedNamedAndHoldTheirOwnMarking)
{
    Chain c = chain("1`1++1`2");
    ASSERT_EQ(ASCreateInstance(c.page, "", nullptr, nullptr), 0);
    ASSERT_EQ(ASCreateInstance(c.page, "", nullptr, nullptr), 0);
    ASSERT_EQ(se::count(c.page->instances), 2);
    auto* second = static_cast<ASInstance*>(c.page->instances->first);
    auto* first = static_cast<ASInstance*>(c.page->instances->last);
    EXPECT_EQ(second->number, 2) << "the newest stands first";
    EXPECT_EQ(first->number, 1);
    EXPECT_STREQ(first->text, ("(1:Top#" + std::to_string(c.page->pageNumber) + ")").c_str());
    EXPECT_STRNE(first->mlName, second->mlName);
    EXPECT_EQ(first->mlNameLength, static_cast<int32_t>(std::strlen(first->mlName)));
    EXPECT_EQ(first->modeAttributes, c.page->modeFlags);
    EXPECT_EQ(ASGetInstanceNumber(&second->head), 2);
    EXPECT_STREQ(ASGetName(&first->head), first->mlName);

    EXPECT_EQ(marking(c.a, first), "1`1++1`2");
    EXPECT_EQ(ASQueryPlaceTokenCount(c.a, second), 2);
    EXPECT_EQ(ASQueryPlaceTokenCount(c.b, second), 0);

    const std::string gone = first->mlName;
    EXPECT_EQ(ASDeleteInstance(first), 1);
    EXPECT_EQ(se::count(c.page->instances), 1);
    std::string reply;
    EXPECT_LT(eval("TOLQ'Edit.out_val(TOLQ'mkst_ms'INT (!(#P5 TOLQ'PS" + gone + ")));\n", &reply), 0)
        << "the evaluator dropped the place state";
}

TEST_F(InstanceTest, EnablingFollowsTheMarking)
{
    Chain c = chain("1`1");
    ASSERT_EQ(ASCreateInstance(c.page, "", nullptr, nullptr), 0);
    resetState();
    ASInstance* i = only(c.page);
    EXPECT_TRUE(se::containsValue(i->enabled, c.t));
    EXPECT_EQ(ASHasCandidates(i), 1);
    EXPECT_EQ(ASIsCandidate(c.t, i), 1);
    ASSERT_EQ(ASChangeMarking(c.a, i, ""), 1) << "an empty marking is accepted at once";
    ASSERT_EQ(ASApplyMarkingChange(c.a, i, 0), 1);
    EXPECT_EQ(ASQueryPlaceTokenCount(c.a, i), 0);
    EXPECT_TRUE(se::containsValue(i->disabled, c.t));
    EXPECT_EQ(ASHasCandidates(i), 0);
    EXPECT_EQ(ASChooseOccurrenceSet(1), 0) << "nothing is enabled";
    EXPECT_TRUE(root()->flags & kASRootNoOccSet);
}

TEST_F(InstanceTest, MarkingChangesAreCheckedAndStored)
{
    Chain c = chain("1`1");
    ASSERT_EQ(ASCreateInstance(c.page, "", nullptr, nullptr), 0);
    ASInstance* i = only(c.page);
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    EXPECT_EQ(ASSetChangeMarking("7", "INT", false, false, reply), 2) << "one token";
    MemFileReset(reply);
    EXPECT_EQ(ASSetChangeMarking("1`7++2`8", "INT", false, false, reply), 1) << "a multiset after a second try";
    MemFileReset(reply);
    EXPECT_LT(ASSetChangeMarking("1`\"a\"", "INT", false, false, reply), 0);
    EXPECT_EQ(ASChangeMarking(c.a, i, "\"a\""), 0) << "not a member";
    ASSERT_EQ(ASChangeMarking(c.a, i, "1`4++1`5"), 1);
    ASSERT_EQ(ASApplyMarkingChange(c.a, i, 0), 1);
    EXPECT_EQ(marking(c.a, i), "1`4++1`5");
    ASSERT_EQ(ASApplyMarkingChange(c.a, i, 1), 1) << "resolving resets to the initial marking";
    EXPECT_EQ(marking(c.a, i), "1`1");
}

TEST_F(InstanceTest, ManualBindingMakesBindsAndFindsElements)
{
    Chain c = chain("1`1++1`2");
    ASSERT_EQ(ASCreateInstance(c.page, "", nullptr, nullptr), 0);
    resetState();
    ASInstance* i = only(c.page);
    options(0, 0, 0, 0, 0, 3);

    ASBindRequest find{c.t, i, "", 0, nullptr, 0, 0};
    ASSERT_EQ(ASBeginBindingValues(16, &find), 1);
    ASSERT_EQ(ASAddBindingValue(16, &find), 1);
    EXPECT_EQ(find.found, 2) << "both tokens complete the open value";
    EXPECT_EQ(se::count(i->provisional), 2);
    find.done = 1;
    ASSERT_EQ(ASBeginBindingValues(16, &find), 1) << "the done flag drops the earlier finds";
    EXPECT_EQ(se::count(i->provisional), 0);

    ASBindRequest missing{c.t, i, "7", 0, nullptr, 0, 0};
    ASBeginBindingValues(15, &missing);
    ASAddBindingValue(15, &missing);
    EXPECT_EQ(missing.done, 0);
    EXPECT_EQ(missing.element, nullptr);
    EXPECT_EQ(se::count(i->provisional), 0) << "the failed element is destroyed";

    ASBindRequest made{c.t, i, "2", 0, nullptr, 0, 0};
    ASBeginBindingValues(19, &made);
    ASAddBindingValue(19, &made);
    ASSERT_EQ(made.done, 1);
    EXPECT_EQ(made.element->state, kASProvisionalFound);
    EXPECT_EQ(ASDeleteBindingElement(made.element), 1);

    ASBindRequest bound{c.t, i, "2", 0, nullptr, 0, 0};
    ASBeginBindingValues(15, &bound);
    ASAddBindingValue(15, &bound);
    ASSERT_EQ(bound.done, 1);
    ASBindingElement* e = bound.element;
    EXPECT_EQ(std::string(e->values, static_cast<size_t>(e->valuesLength)), block({"2"}));
    EXPECT_STREQ(e->bindingText, "x= $(2)");
    EXPECT_EQ(ASBindingDisplayText(e), "x = 2");
    EXPECT_EQ(ASValueListText(e), "   <2>");
    EXPECT_EQ(ASManualBind(e), 1);
    EXPECT_EQ(e->state, kASConfirmed);
    EXPECT_EQ(chosen(i), std::vector<std::string>{block({"2"})});
    EXPECT_EQ(ASHasBindingElement(c.t, i), 1);
    EXPECT_EQ(ASCountChosen(c.t, i), 1);

    ASBindRequest again{c.t, i, "2", 0, nullptr, 0, 0};
    ASBeginBindingValues(15, &again);
    ASAddBindingValue(15, &again);
    EXPECT_EQ(again.done, 0) << "the token 2 is reserved by the confirmed element";
}

TEST_F(InstanceTest, ModelTimeIsSetAndResetToTheStartTime)
{
    Chain c = chain("1`1");
    ASSERT_EQ(ASCreateInstance(c.page, "", nullptr, nullptr), 0);
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    ASSERT_EQ(ASSetModelTime("SOME (IntInf.fromInt 5)", reply), 0) << text(reply);
    std::string t;
    MemFileReset(reply);
    ASSERT_EQ(ASGetModelTime(&t, reply), 0);
    EXPECT_EQ(t, "(clock (\"5\"))");
    MemFileReset(reply);
    ASSERT_EQ(ASSetModelTime("NONE", reply), 0) << "no next time keeps the clock";
    MemFileReset(reply);
    ASGetModelTime(&t, reply);
    EXPECT_EQ(t, "(clock (\"5\"))");
    MemFileReset(reply);
    ASSERT_EQ(ASResetModelTime(reply), 0);
    MemFileReset(reply);
    ASGetModelTime(&t, reply);
    EXPECT_EQ(t, "(clock (\"0\"))");
    EXPECT_EQ(ok("TOLQ'Edit.out_val(IntInf.toString(!TOLQ'CreationTime));\n"), std::vector<std::string>{"0"})
        << "the creation time is the start time";
}

TEST_F(InstanceTest, StopCriteriaCountTheStepsSinceTheReset)
{
    chain("1`1");
    MemFile* reply = ASReplyBuffer();
    const bool addSteps[5] = {true, false, false, false, false};
    MemFileReset(reply);
    ASSERT_EQ(ASSetStopOptions(addSteps, "2", "0", "0", "0", reply), 0) << text(reply);
    EXPECT_EQ(ASStopCriteriaMet(), 0);
    ASRequestCurStep(1);
    EXPECT_EQ(ASStopCriteriaMet(), 0);
    ASRequestCurStep(2);
    EXPECT_EQ(ASStopCriteriaMet(), 1);
    EXPECT_EQ(ASRequestStep(), "2");
    MemFileReset(reply);
    ASSERT_EQ(ASResetStepCounters(reply), 0);
    EXPECT_EQ(ASStopCriteriaMet(), 0);
    const bool badTime[5] = {false, false, true, false, false};
    MemFileReset(reply);
    EXPECT_LT(ASSetStopOptions(badTime, "0", "0", "soon", "0", reply), 0) << "not a number";
}

TEST_F(InstanceTest, RunOptionsSendFairnessByRunMode)
{
    chain("1`1");
    const auto fair = [&] { return ok("TOLQ'Edit.out_val(Bool.toString(!TOLQ'Sim.Fair));\n"); };
    int32_t run[44] = {1};
    ASSetRunOptions(run);
    EXPECT_EQ(fair(), std::vector<std::string>{"false"});
    run[0] = 2;
    ASSetRunOptions(run);
    EXPECT_EQ(fair(), std::vector<std::string>{"true"});
    run[0] = 1;
    ASSetRunOptions(run);
    run[0] = 3;
    ASSetRunOptions(run);
    EXPECT_EQ(fair(), std::vector<std::string>{"false"}) << "mode 3 sends nothing";
    EXPECT_EQ(ASRunOptions(root())[0], 3);
}

TEST_F(InstanceTest, TransitionSequencesOfManyChunksArriveWhole)
{
    chain("1`1");
    MemFile* reply = ASReplyBuffer();
    for (int n : {40, 400}) {
        ASBeginTransSeq();
        for (int k = 0; k < n; ++k) {
            ASTransSeqEntry e{"T", k + 1, k % 2 ? nullptr : "Top", 1, "7", "13", "4", {false, k % 2 == 0, true}};
            ASAddTransSeqEntry(e, reply);
        }
        MemFileReset(reply);
        ASSERT_EQ(ASEndTransSeq(reply), 0) << text(reply);
        EXPECT_EQ(ok("TOLQ'Edit.out_val(Int.toString(length trans_seq));\n"),
                  std::vector<std::string>{std::to_string(n + 1)});
        EXPECT_EQ(ok("TOLQ'Edit.out_val(#1 (hd trans_seq));\n"), std::vector<std::string>{"T@(1:Top#1)"});
    }
    EXPECT_EQ(ok("TOLQ'Edit.out_val(#1 (List.nth (trans_seq, 1)));\n"), std::vector<std::string>{"T@(2:***#1)"});
}

TEST_F(InstanceTest, ReportLinesReachTheReport)
{
    chain("1`1");
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    ASSERT_EQ(ASWriteReportLine(true, true, "3", nullptr, "T@(1:Top#1)", "s = \"a\"", reply), 0) << text(reply);
    EXPECT_EQ(ok("TOLQ'Edit.out_val(TolqReport.text ());\n"),
              std::vector<std::string>{"3 I T@(1:Top#1)\n    {s = \"a\"}\n"});
}

} // namespace
} // namespace simtest

namespace simtest {
namespace {

// Top: A -> S -> B, S a substitution transition for Sub: In -x-> T -x-> Out,
// with In assigned to A and Out to B.
class HierarchyTest : public SimFixture {
protected:
    void build(const char* marking)
    {
        declare("colset INT = int; var x : INT;", {{"INT", false}});
        top_ = page("4", "Top");
        sub_ = page("10", "Sub");
        a_ = place(top_, "5", "INT", marking);
        b_ = place(top_, "6", "INT", nullptr);
        s_ = trans(top_, "7", "S");
        SECreateArc(s_, a_, next_++, kSEPlaceToTrans);
        SECreateArc(s_, b_, next_++, kSETransToPlace);
        in_ = place(sub_, "11", "INT", nullptr);
        out_ = place(sub_, "12", "INT", nullptr);
        t_ = trans(sub_, "13", "T");
        arc(t_, in_, kSEPlaceToTrans, "14", "x");
        arc(t_, out_, kSETransToPlace, "15", "x");
        ASSERT_NE(SEMakeCompound(&s_->head, kSESubstitution), nullptr);
        ASSERT_EQ(SEMakeSubpage(&s_->head, sub_), 1);
        ASSERT_EQ(SEMakePort(&in_->head, kSEPortInput), 1);
        ASSERT_EQ(SEMakePort(&out_->head, kSEPortOutput), 1);
        ASSERT_EQ(SEAssignPort(&s_->head, &a_->head, &in_->head), 1);
        ASSERT_EQ(SEAssignPort(&s_->head, &b_->head, &out_->head), 1);
        s_->compound->modeFlags = kASModeInclude | kASModePropagate | kASModeInteract | 32;
        check(t_);
        switchPage(top_);
        switchPage(sub_);
        ASSERT_EQ(ASCreateInstance(top_, "", nullptr, nullptr), 0);
        top1_ = only(top_);
        sub1_ = only(sub_);
    }
    SEPage *top_ = nullptr, *sub_ = nullptr;
    SEPlace *a_ = nullptr, *b_ = nullptr, *in_ = nullptr, *out_ = nullptr;
    SETrans *s_ = nullptr, *t_ = nullptr;
    ASInstance *top1_ = nullptr, *sub1_ = nullptr;
};

TEST_F(HierarchyTest, ASubInstanceSharesTheMarkingOfItsSockets)
{
    build("1`1++1`2");
    ASSERT_NE(sub1_, nullptr);
    EXPECT_EQ(sub1_->parent, top1_);
    EXPECT_EQ(sub1_->compound, s_->compound);
    EXPECT_TRUE(se::containsValue(top1_->children, sub1_));
    EXPECT_EQ(std::string(sub1_->text), "(1:Sub#" + std::to_string(sub_->pageNumber) + ")  S@" + top1_->text);
    EXPECT_EQ(marking(in_, sub1_), "1`1++1`2") << "the port reads the socket's marking";

    SEHead* node = nullptr;
    ASInstance* owner = nullptr;
    ASResolvePort(&in_->head, sub1_, &node, &owner);
    EXPECT_EQ(node, &a_->head);
    EXPECT_EQ(owner, top1_);
    ASResolvePort(&a_->head, top1_, &node, &owner);
    EXPECT_EQ(node, &a_->head) << "not a port: the walk stops at once";

    LMList* pairs = LMCreate(kLMPairList);
    LMAppend(pairs, a_, top1_);
    LMList* expanded = ASExpandPlaceInstances(pairs);
    EXPECT_EQ(LMCount(expanded), 2);
    void* p = nullptr;
    void* i = nullptr;
    LMNth(expanded, &p, &i, 2);
    EXPECT_EQ(p, in_);
    EXPECT_EQ(i, sub1_);
    se::destroyList(expanded);
    se::destroyList(pairs);

    resetState();
    EXPECT_TRUE(se::containsValue(sub1_->enabled, t_));
    options(100, 100, 100, 100, 0);
    ASSERT_EQ(ASChooseOccurrenceSet(1), 2);
    EXPECT_EQ(chosen(sub1_, t_).size(), 2u);
    const int32_t d[4] = {1, 1, 1, 3};
    ASSetDisplayOptions(d);
    ASBeginExecution(nullptr);
    int result = 0;
    ASExecuteStep(nullptr, nullptr, &result);
    EXPECT_EQ(result, 1);
    ASSendOccurrenceSet();
    ASRefreshEnabling();
    EXPECT_EQ(ASQueryPlaceTokenCount(a_, top1_), 0);
    EXPECT_EQ(ASQueryPlaceTokenCount(b_, top1_), 2) << "the tokens reached the socket of the output port";

    EXPECT_EQ(ASDeleteAllInstances(), 1);
    EXPECT_EQ(se::count(top_->instances), 0);
    EXPECT_EQ(se::count(sub_->instances), 0);
}

TEST_F(HierarchyTest, RecheckQueuesTheTransitionsBehindTheChangedPlaces)
{
    build("");
    resetState();
    EXPECT_TRUE(se::containsValue(sub1_->disabled, t_));
    ASSERT_EQ(ASChangeMarking(a_, top1_, "1`3"), 1);
    ASSERT_EQ(ASApplyMarkingChange(a_, top1_, 0), 1);
    EXPECT_TRUE(se::containsValue(sub1_->enabled, t_)) << "the transition behind the port was checked again";
    LMList* pairs = LMCreate(kLMPairList);
    LMAppend(pairs, t_, sub1_);
    se::destroyList(sub1_->pending);
    ASQueueAffected(pairs, 4);
    EXPECT_EQ(LMCount(sub1_->pending), 1);
    ASQueueAffected(pairs, 4);
    EXPECT_EQ(LMCount(sub1_->pending), 1) << "queued once";
    ASRecheckEnabling(99);
    EXPECT_EQ(LMCount(sub1_->pending), 1) << "an enabled entry stays with code 99";
    ASRecheckEnabling(98);
    EXPECT_EQ(LMCount(sub1_->pending), 0) << "and is dropped with 98";
    se::destroyList(pairs);
}

} // namespace
} // namespace simtest
