// Walks over simulator objects, the shared entries and the marking texts of
// the abstract simulator, on a small net switched to the real evaluator.
#include "SimFixture.h"

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SEIds.h"
#include "atolq/SML/SMLTable.h"
#include "atolq/Utils/QXMem.h"

namespace simtest {
namespace {

class WalkTest : public SimFixture {
protected:
    // A -x-> T1 -x-> B, C -y-> T2 -y-> D; E without arcs.
    void build()
    {
        declare("colset INT = int; var x : INT; var y : INT;", {{"INT", false}});
        p_ = page("4", "Top");
        a_ = place(p_, "5", "INT", "1`1++1`2++1`3");
        b_ = place(p_, "6", "INT", nullptr);
        c_ = place(p_, "20", "INT", "1`5");
        d_ = place(p_, "21", "INT", nullptr);
        e_ = place(p_, "30", "INT", nullptr);
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
    ASBindingElement* element(SETrans* t, const std::string& values, uint32_t state = kASChosen)
    {
        ASBindingElement* e =
            ASNewBindingElement(i_, t, state, values.data(), static_cast<uint32_t>(values.size()), 0);
        ASInsertStep(e);
        return e;
    }
    std::vector<uintptr_t> walk(int kind, ASIterator it, int word)
    {
        std::vector<uintptr_t> out;
        if (!ASFirst(kind, &it))
            return out;
        while (ASNext(kind, &it))
            out.push_back(it.word[word]);
        return out;
    }
    static uintptr_t w(const void* p) { return reinterpret_cast<uintptr_t>(p); }

    SEPage* p_ = nullptr;
    SEPlace *a_ = nullptr, *b_ = nullptr, *c_ = nullptr, *d_ = nullptr, *e_ = nullptr;
    SETrans *t1_ = nullptr, *t2_ = nullptr;
    ASInstance* i_ = nullptr;
};

TEST_F(WalkTest, ArcsPeersNodesAndInstances)
{
    build();
    EXPECT_TRUE(walk(1, {{w(e_)}}, 2).empty()) << "a node without arcs";
    const auto arcs = walk(1, {{w(t1_)}}, 2);
    ASSERT_EQ(arcs.size(), 2u);
    EXPECT_EQ(reinterpret_cast<SEArc*>(arcs[0])->place, a_) << "input arcs first";
    EXPECT_EQ(reinterpret_cast<SEArc*>(arcs[1])->place, b_);
    EXPECT_EQ(walk(4, {{w(t1_)}}, 2), std::vector<uintptr_t>{w(a_)});
    EXPECT_EQ(walk(5, {{w(a_)}}, 2), std::vector<uintptr_t>{w(t1_)});
    EXPECT_EQ(walk(2, {{w(i_)}}, 1).size(), 2u);
    EXPECT_EQ(walk(3, {{w(i_)}}, 1).size(), 5u);
    EXPECT_EQ(walk(9, {{w(p_)}}, 1), std::vector<uintptr_t>{w(i_)});
    EXPECT_EQ(walk(6, {{w(a_), w(i_)}}, 3), std::vector<uintptr_t>{w(i_)});
    EXPECT_EQ(walk(7, {{w(i_)}}, 1).size(), 2u) << "both transitions are enabled";
    for (int missing : {0, 15, 16, 19, 23})
        EXPECT_EQ(ASFirst(missing, nullptr), 0) << missing;
}

TEST_F(WalkTest, ChosenElementsOncePerTransitionAndTheirValues)
{
    build();
    ASBindingElement* first = element(t1_, block({"1"}));
    element(t1_, block({"2"}));
    element(t1_, block({"3"}));
    element(t2_, block({"5"}));
    EXPECT_EQ(walk(10, {{w(i_)}}, 2).size(), 2u) << "one result per transition";
    EXPECT_EQ(ASCurrentElement(), nullptr) << "cleared at the end";

    EXPECT_EQ(walk(12, {{w(t1_), w(i_)}}, 2).size(), 3u);
    ASIterator it{{w(i_)}};
    ASSERT_EQ(ASFirst(10, &it), 1);
    ASSERT_EQ(ASNext(10, &it), 1);
    ASSERT_EQ(ASNext(10, &it), 1);
    EXPECT_EQ(ASCurrentElement()->transition, t2_);
    EXPECT_EQ(walk(12, {{w(t2_), w(i_)}}, 2).size(), 1u) << "starts at the current element";
    EXPECT_EQ(ASCurrentElement(), nullptr);
    EXPECT_EQ(walk(12, {{w(t1_), w(i_)}}, 2).size(), 3u) << "a second walk starts from the beginning";

    ASIterator values{{w(first)}};
    ASSERT_EQ(ASFirst(14, &values), 1);
    ASSERT_EQ(ASNext(14, &values), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(values.word[1]), "1");
    EXPECT_EQ(ASNext(14, &values), 0);
    ASBindingElement* none = element(t1_, "");
    ASIterator empty{{w(none)}};
    ASSERT_EQ(ASFirst(14, &empty), 1);
    EXPECT_EQ(ASNext(14, &empty), 0) << "no values";

    const auto vars = walk(11, {{w(t1_), w(i_)}}, 2);
    ASSERT_EQ(vars.size(), 1u);
    EXPECT_STREQ(reinterpret_cast<const char*>(vars[0]), "x");
}

TEST_F(WalkTest, WithdrawingEveryChosenElementGivesTheReservedTokensBack)
{
    build();
    options(100, 100, 100, 100, 0);
    ASSERT_EQ(ASChooseOccurrenceSet(1), 2);
    EXPECT_EQ(ASQueryPlaceTokenCount(a_, i_), 0) << "all reserved";
    ASWithdrawAll();
    EXPECT_TRUE(ASStepIsEmpty());
    EXPECT_EQ(ASQueryPlaceTokenCount(a_, i_), 3);
    EXPECT_EQ(ASQueryPlaceTokenCount(c_, i_), 1);
}

TEST_F(WalkTest, MarkingTextsAndTransitionSequenceEntries)
{
    build();
    std::string reply;
    ASSERT_EQ(eval("TOLQ'Edit.out_val(" + ASPlaceMarkingText(a_, i_) + ")", &reply), -2)
        << "the text ends with its own semicolon";
    ASSERT_EQ(eval("TOLQ'Edit.out_val(" + [&] {
                       std::string t = ASPlaceMarkingText(a_, i_);
                       return t.substr(0, t.size() - 1);
                   }() + ");\n",
                   &reply),
              0);
    EXPECT_EQ(values(reply), std::vector<std::string>{"1`1++1`2++1`3"});
    ASSERT_EQ(eval(ASSetPlaceMarkingText(b_, i_, "1`7") + "\n", &reply), 0) << reply;
    EXPECT_EQ(marking(b_, i_), "1`7");
    EXPECT_EQ(ASWriteTransSeqEntry(t1_, i_), "(\"T1@(1:Top#" + std::to_string(p_->pageNumber) + ")\",\"7\",\"" +
                                                 std::string(i_->mlName) + "\",\"4\",false,false,false),\n");
}

TEST_F(WalkTest, TheValuePrintRequestDoesNotRunTheAutomaticRunAgain)
{
    build();
    const bool addSteps[5] = {true, false, false, false, false};
    MemFileReset(ASReplyBuffer());
    ASSetStopOptions(addSteps, "1", "0", "0", "0", ASReplyBuffer());
    ASSERT_EQ(ASAutoGenStep(false), 0);
    ASSERT_EQ(ASAutoRunStep(false), 0);
    MemFileReset(ASReplyBuffer());
    ASResetStepCounters(ASReplyBuffer());
    ASSERT_EQ(ASAutoValuePrint(), 0);
    EXPECT_EQ(ASRequestStep(), "1") << "one step only";
}

TEST_F(WalkTest, SharedEntriesAndColourSetNames)
{
    build();
    SECodeEntry* code = ASNewCodeEntry("fun f x = x");
    EXPECT_STREQ(code->text1, "fun f x = x");
    EXPECT_EQ(code->number, static_cast<int32_t>(std::strlen(code->text2)));
    const uint16_t before = se::count(root()->simRecords12);
    ASDeleteCodeEntry(code);
    EXPECT_EQ(se::count(root()->simRecords12), before - 1);
    EXPECT_EQ(ASSameName(&a_->head, &b_->head), 1);
    char* text = ASAllocString(0);
    EXPECT_EQ(text[0], '\0');
    QXMem_Free(text);
    ASInstance** instances = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(ASGetPageInstances(p_, &instances, &count), 1);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(instances[0], i_);
    QXMem_Free(instances);
}

} // namespace
} // namespace simtest

namespace simtest {
namespace {

SMLTableCall numberCall(uint32_t row, std::initializer_list<int32_t> args)
{
    SMLTableCall call;
    call.row = row;
    call.count = static_cast<uint32_t>(args.size()) + 1;
    call.slots[0].type = kSlotInt;
    uint32_t slot = 1;
    for (int32_t v : args) {
        call.slots[slot].mode = kSlotIn;
        call.slots[slot].type = kSlotInt;
        call.slots[slot].value = v;
        ++slot;
    }
    return call;
}

int32_t run(uint32_t row, std::initializer_list<int32_t> args)
{
    SMLTableCall call = numberCall(row, args);
    EXPECT_TRUE(SMLRunTableCall(call)) << row;
    return call.slots[0].value;
}

TEST_F(WalkTest, TheEvaluatorReadsModesAndInstancesByRow)
{
    build();
    ASInstallTableRows();
    const auto id = [](const void* r) { return static_cast<int32_t>(SERecordId(static_cast<const SEHead*>(r))); };
    EXPECT_EQ(run(31, {id(p_), kASModeCode}), 1);
    EXPECT_EQ(run(31, {id(p_), kASModeObserve}), 0);
    EXPECT_EQ(run(31, {id(i_), kASModeCode}), 0) << "an instance is no page: 0 without a call";
    EXPECT_EQ(run(32, {id(p_), 8}), 1);
    ASSetPrime(&p_->head, 3);
    EXPECT_EQ(run(33, {id(p_)}), 3);
    EXPECT_EQ(run(41, {id(i_)}), 1);
    EXPECT_EQ(run(40, {id(i_)}), 0) << "a prime instance has no parent";
    EXPECT_EQ(run(42, {id(i_)}), 0);
    EXPECT_EQ(run(41, {123456}), 0) << "an unknown id";
    SMLTableCall missing = numberCall(41, {});
    EXPECT_FALSE(SMLRunTableCall(missing)) << "a call without its argument is refused";
}

} // namespace
} // namespace simtest
