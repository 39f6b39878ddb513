// The simulator's request texts, byte for byte, and its options and mode
// flags in the data base root, without an evaluator.
#include <gtest/gtest.h>

#include <string>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"

namespace {

struct BindCase {
    int mode;
    bool let, fast, both, byNumber;
    const char* expected;
};

class BindTexts : public ::testing::TestWithParam<BindCase> {};

TEST_P(BindTexts, FormsTheBindingRequest)
{
    const BindCase& c = GetParam();
    EXPECT_EQ(as::bindText("7", "13", "1", "x= $(3),\ny= $$", c.mode, c.let, c.fast, c.both, c.byNumber), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, BindTexts,
    ::testing::Values(
        BindCase{1, false, false, false, false, "TOLQ'BF7(TOLQ'PS13,TOLQ'TS13,1,{x= $(3),\ny= $$},false,false,());\n"},
        BindCase{2, false, false, false, false, "TOLQ'BF7(TOLQ'PS13,TOLQ'TS13,1,{x= $(3),\ny= $$},true,false,());\n"},
        BindCase{2, false, true, false, true, "TOLQ'FastBF7(TOLQ'PS13,TOLQ'TS13,1,TOLQ'EB7,true,false,());\n"},
        BindCase{2, true, false, false, false,
                 "let val (TOLQ'ti,TOLQ'bi) =TOLQ'BF7(TOLQ'PS13,TOLQ'TS13,1,{x= $(3),\ny= $$},false,false,());\n"
                 " in (TOLQ't7_13:=TOLQ'ti; (TOLQ'ti,TOLQ'bi))end;\n"},
        BindCase{1, true, true, false, false,
                 "let val (TOLQ'ti,TOLQ'bi) =TOLQ'FastBF7(TOLQ'PS13,TOLQ'TS13,1,{x= $(3),\ny= $$},false,false,());\n"
                 " in (TOLQ'fastt7_13:=TOLQ'ti; (TOLQ'ti,TOLQ'bi))end;\n"},
        BindCase{1, true, false, true, false,
                 "let val (TOLQ'ti,TOLQ'bi) =TOLQ'BF7(TOLQ'PS13,TOLQ'TS13,1,{x= $(3),\ny= $$},false,false,());\n"
                 " in (TOLQ't7_13:=TOLQ'ti;TOLQ'fastt7_13:=TOLQ'ti; (TOLQ'ti,TOLQ'bi))end;\n"}));

TEST(RequestTexts, EnablingTestSwitchesFairnessOffAndSetsItFromTheArgument)
{
    EXPECT_EQ(as::enablingTestText("7", "13", 1, false, false, false, false),
              "(TOLQ'Sim.Fair:=false;TOLQ'BF7(TOLQ'PS13,TOLQ'TS13, 1 ,TOLQ'EB7,false,false,());"
              "TOLQ'Sim.Fair:=true);\n");
    EXPECT_EQ(as::enablingTestText("7", "13", 2, true, true, false, false),
              "(TOLQ'Sim.Fair:=false;TOLQ'FastBF7(TOLQ'PS13,TOLQ'TS13, 1 ,TOLQ'EB7,true,false,());"
              "TOLQ'Sim.Fair:=false);\n");
    EXPECT_EQ(as::enablingTestText("7", "13", 1, false, false, true, false),
              "(TOLQ'Sim.Fair:=false;let val (TOLQ'ti,TOLQ'bi) =TOLQ'BF7(TOLQ'PS13,TOLQ'TS13, 1 ,TOLQ'EB7,false,"
              "false,()); in (TOLQ't7_13:=TOLQ'ti; (TOLQ'ti,TOLQ'bi))end;\nTOLQ'Sim.Fair:=true);\n");
}

TEST(RequestTexts, ChangeMarkingForms)
{
    EXPECT_EQ(as::changeMarkingText("3", "INT", true, false), "val TOLQ'ChngMark =(1`(3)):(INT)  ms;\n");
    EXPECT_EQ(as::changeMarkingText("1`3++1`4", "INT", false, false), "val TOLQ'ChngMark =(1`3++1`4):(INT)  ms;\n");
    EXPECT_EQ(as::changeMarkingText("tempty", "TI", false, true), "val TOLQ'ChngMark =(tempty):(TI)  tms;\n");
}

TEST(RequestTexts, StopOptionsWithoutFlagsSetOnlyTheSwitches)
{
    const bool none[5] = {false, false, false, false, false};
    EXPECT_EQ(as::stopOptionsText(none, "5", "6", "7", "8"),
              "let val _ = TOLQ'Sim.NoLimit:=true\nval _ = TOLQ'Sim.AddSteps:=false\n"
              "val _ = TOLQ'Sim.UntilStepNo:=false\nval _ = TOLQ'Sim.AddTime:=false\n"
              "val _ = TOLQ'Sim.UntilTime:=false\nval _ = TOLQ'Sim.UntilTimeAdv:=false\n in ()end;");
    const bool all[5] = {true, true, true, true, true};
    EXPECT_EQ(as::stopOptionsText(all, "5", "6", "7", "8"),
              "let val _ = TOLQ'Sim.NoLimit:=false\n"
              "val _ = TOLQ'Sim.AddSteps:=true\nval _ = TOLQ'Sim.AddStepsVal:=5\n"
              "val _ = TOLQ'Sim.UntilStepNo:=true\nval _ = TOLQ'Sim.UntilStepNoVal:=6\n"
              "val _ = TOLQ'Sim.AddTime:=true\nval SOME TOLQ'theTime = (IntInf.fromString \"7\")\n"
              "val _ = TOLQ'Sim.IntAddTimeVal:=TOLQ'theTime\n"
              "val _ = TOLQ'Sim.UntilTime:=true\nval SOME TOLQ'theTime = (IntInf.fromString \"8\")\n"
              "val _ = TOLQ'Sim.IntUntilTimeVal:=TOLQ'theTime\n"
              "val _ = TOLQ'Sim.UntilTimeAdv:=true\n in ()end;");
}

TEST(RequestTexts, GenerationFlagsByChoiceAndNothingForUnknownChoices)
{
    EXPECT_EQ(as::genFlagsText(5, 8), "(TOLQ'Sim.GenBothWithTime := true);\n(TOLQ'Sim.GenBothWithCode := true);\n");
    EXPECT_EQ(as::genFlagsText(4, 6),
              "(TOLQ'Sim.GenWithTime := false);\n(TOLQ'Sim.GenBothWithTime := false);\n"
              "(TOLQ'Sim.GenWithCode := true);\n(TOLQ'Sim.GenBothWithCode := false);\n");
    EXPECT_EQ(as::genFlagsText(9, 0), "") << "no unmatched parenthesis for a choice never stored";
}

TEST(RequestTexts, ReportLinesEscapeQuotesOfTheBinding)
{
    EXPECT_EQ(as::reportLineText(true, true, "3", "5", "T@(1:Top#1)", "s = \"a\""),
              "TOLQ'Sim.write_report(\"3 I @ 5 T@(1:Top#1)\"^\"\\n\");"
              "TOLQ'Sim.write_report(\"    {s = \\\"a\\\"}\"^\"\\n\");");
    EXPECT_EQ(as::reportLineText(false, false, "3", nullptr, "T", "x"), "");
}

// Options and mode flags on a net without an evaluator.
class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SEInitPools();
        SEStart();
        ASPendingGranularity() = -1;
        ASObservationDeferred() = false;
        se::destroyList(ASDeferredModeChanges());
    }
    void TearDown() override
    {
        se::destroyList(ASDeferredModeChanges());
        SEFreeDB();
    }
    SERoot* root() { return SECurrentRoot(); }
};

TEST_F(OptionsTest, ANegativeSeedOnlyAsksForARandomSeed)
{
    const int32_t set[7] = {10, 20, 30, 40, 50, 9, 4};
    ASSetSimOptions(set);
    EXPECT_EQ(ASSeed(root()), 9);
    EXPECT_EQ(ASRandomSeed(root()), 0u);
    EXPECT_EQ(ASBindTries(root()), 4);
    EXPECT_EQ(ASAutoSettings(root())[4], 50);
    const int32_t negative[7] = {1, 2, 3, 4, 5, -1, 6};
    ASSetSimOptions(negative);
    EXPECT_EQ(ASSeed(root()), 9) << "the old seed stays";
    EXPECT_EQ(ASRandomSeed(root()), 1u);
    EXPECT_EQ(ASAutoSettings(root())[0], 1);
}

TEST_F(OptionsTest, DisplayOptionsDuringAStepWaitForItsEnd)
{
    ASSetStepGranularity(root(), 4);
    ASPendingGranularity() = -2;
    const int32_t display[4] = {1, 1, 1, 0};
    ASSetDisplayOptions(display);
    EXPECT_EQ(ASStepGranularity(root()), 4);
    EXPECT_EQ(ASObservationMode(root()), 0);
    EXPECT_EQ(ASPendingGranularity(), 1);
    ASRefreshEnabling();
    EXPECT_EQ(ASStepGranularity(root()), 1) << "installed at the end of the step";
    EXPECT_EQ(ASObservationMode(root()), 1);
    EXPECT_EQ(ASPendingGranularity(), -1);
    ASSetStepGranularity(root(), 4);
    ASSetDisplayOptions(display);
    EXPECT_EQ(ASStepGranularity(root()), 1) << "at once between steps";
}

TEST_F(OptionsTest, DeferredPageModeChangesKeepTheOldWordAndMerge)
{
    SEPage* page = SECreatePage(100, kSEPortsNone);
    page->modeFlags = kASModeInclude | kASModeCode;
    ASSetPageMode(&page->head, kASModeCode, 0, 0, 1);
    ASSetPageMode(&page->head, kASModeObserve, 1, 0, 1);
    EXPECT_EQ(ASTestPageFlag(&page->head, kASModeCode), 1) << "deferred";
    ASSERT_EQ(se::count(ASDeferredModeChanges()), 1) << "one pair per record";
    void* record = nullptr;
    void* word = nullptr;
    LMFirst(ASDeferredModeChanges(), &record, &word);
    EXPECT_EQ(record, page);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(word), kASModeInclude | kASModeObserve);
    ASRefreshEnabling();
    EXPECT_EQ(page->modeFlags, kASModeInclude | kASModeObserve) << "applied at the end of the step";
    EXPECT_EQ(se::count(ASDeferredModeChanges()), 0);
    ASSetPageMode(&page->head, kASModeInclude, 0, 0, 0);
    EXPECT_EQ(ASTestPageFlag(&page->head, kASModeInclude), 0);
}

TEST_F(OptionsTest, NodeFlagsComeFromTheCompoundRecord)
{
    SEPage* page = SECreatePage(100, kSEPortsNone);
    SETrans* t = SECreateTrans(page, 101);
    EXPECT_EQ(ASTestNodeFlag(&page->head, 8), 1) << "another kind answers 1";
    EXPECT_EQ(ASTestNodeFlag(&t->head, 8), 0) << "no compound record";
    ASSetPrime(&page->head, 2);
    EXPECT_EQ(ASGetPrimeCount(&page->head), 2);
    EXPECT_TRUE(page->flags & 1u);
    ASSetPrime(&page->head, 0);
    EXPECT_FALSE(page->flags & 1u);
    ASSetOptionBit(64, 1);
    EXPECT_EQ(ASTestSimOption(64 | 1), 1);
    ASSetOptionBit(64, 0);
    EXPECT_EQ(ASTestSimOption(64), 0);
}

} // namespace
