// The constraint requests of compiling declarations, against the real
// evaluator: entries converted from a node's text and compiled one by one
// in the order of the node; each kind of colour set is declared, the names a
// declaration introduces are filed, a declaration that does not compile
// leaves the compiler's message on its node; the text a declaration is sent
// as.
#include <gtest/gtest.h>

#include "DeclDoubles.h"
#include "PageWindowFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/DEclarations/DEclarations.h"
#include "atolq/NewSim/NSDeclaration.h"
#include "atolq/SmlEval/SmlEval.h"

// The name counter of the syntax check, which numbers the entries here.
namespace {
int counter = 10;
}
int CTSNextNumber() { return ++counter; }
int CTSNameCounter() { return counter; }

namespace {

const std::string kRuntime = TOLQ_BIN_DIR "/run.x86-linux";
const std::string kHeap = TOLQ_BIN_DIR "/tolq.ML";

class ConstraintTest : public PageWindowTest {
protected:
    void SetUp() override
    {
        PageWindowTest::SetUp();
        world() = DeclWorld{};
        startKernel();
        GE_SetMode(1);
        SEInitPools();
        SEStart();
        NSMLNumberCreateTable();
        counter = 10;
        ASSERT_EQ(SMLConnect(1, nullptr, 0, kHeap.c_str(), kRuntime.c_str(), nullptr, nullptr), 0);
    }
    void TearDown() override
    {
        SMLStopProcess();
        DENameIndexClear();
        SEFreeDB();
        stopKernel();
        PageWindowTest::TearDown();
    }

    // The entries of a global node holding the text, in the node's order.
    std::vector<SEDeclEntry*> entriesOf(const std::string& text)
    {
        node_ = newObject(text, 100, 100, 80, 40);
        EE_CreateDeclNode(node_, nullptr, kSEDeclGlobal);
        EXPECT_EQ(DEConvertNode(node_), 1);
        std::vector<SEDeclEntry*> entries;
        auto* declNode = reinterpret_cast<SEDeclNode*>(recordOf(node_));
        if (declNode == nullptr || declNode->entries == nullptr)
            return entries;
        for (void* c = declNode->entries->first; c != nullptr; c = static_cast<LMLink*>(c)->next)
            entries.push_back(static_cast<SEDeclEntry*>(c));
        return entries;
    }

    // Compiles each entry in turn; the names of those that failed.
    std::vector<std::string> compileAll(const std::vector<SEDeclEntry*>& entries)
    {
        std::vector<std::string> failed;
        for (SEDeclEntry* e : entries)
            if (DEConstraintStep(e) != 1)
                failed.push_back(e->name != nullptr ? e->name : "?");
        return failed;
    }

    uint32_t node_ = 0;
};

TEST_F(ConstraintTest, EveryColourSetKindIsDeclaredAndItsNamesAreFiled)
{
    const std::vector<SEDeclEntry*> entries = entriesOf(
        "colorset C = int with 0 .. 100; var c;\n"
        "colorset U = unit with u; colorset B = bool with (no, yes); colorset Re = real with 0.0 .. 1.0;\n"
        "colorset S = string with \"a\" .. \"z\" length 1 .. 5; colorset E = with red | green | blue;\n"
        "colorset I = index id with 1 .. 3; colorset L = list C with 0 .. 3; colorset P = product C * E;\n"
        "colorset R = record a:C * b:B; colorset Un = union one + two:C; fun small x = x < 5;\n"
        "colorset Sub = subset C by small; colorset SL = subset E with [red, green]; colorset T = time;\n"
        "colorset Big = IntInf with 0 .. 10; colorset TS = int timed; colorset D = B timed;\n"
        "val three = 3; exception Oops of int; globref total = 0;");
    ASSERT_EQ(entries.size(), 21u) << ::testing::PrintToString(world().messages);
    EXPECT_EQ(compileAll(entries), std::vector<std::string>{}) << ::testing::PrintToString(world().errors);
    EXPECT_TRUE(world().errors.empty()) << ::testing::PrintToString(world().errors);
    // What the declarations introduced is in the name index: the colour
    // sets, an enumeration's values, a union's tags, a function, a value, an
    // exception and a reference.
    for (const char* name : {"C", "E", "red", "Un", "two", "small", "three", "Oops", "total", "D"})
        EXPECT_NE(DENameIndexLookup(name), nullptr) << name;
}

TEST_F(ConstraintTest, FollowUpOfADeclaredMultisetTextCompiles)
{
    const std::vector<SEDeclEntry*> entries = entriesOf("colorset E = with a | b declare mkst_ms;");
    ASSERT_EQ(entries.size(), 2u) << ::testing::PrintToString(world().messages);
    EXPECT_EQ(compileAll(entries), std::vector<std::string>{}) << ::testing::PrintToString(world().errors);
}

TEST_F(ConstraintTest, DeclarationThatDoesNotCompileLeavesTheCompilersMessageOnItsNode)
{
    const std::vector<SEDeclEntry*> entries =
        entriesOf("colorset C = int; val ok = 1; val bad = ok + \"a\"; colorset L = list Missing;");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(compileAll(entries), (std::vector<std::string>{"bad", "L"}));
    ASSERT_EQ(world().errors.size(), 2u);
    for (const auto& [object, text] : world().errors)
        EXPECT_EQ(object, node_) << text;
    EXPECT_NE(world().errors[0].second.find("Type error"), std::string::npos) << world().errors[0].second;
    EXPECT_NE(world().errors[1].second.find("Missing"), std::string::npos) << world().errors[1].second;
    EXPECT_EQ(DENameIndexLookup("bad"), nullptr);
}

TEST_F(ConstraintTest, ItemListsAreSentOnlyForItemsNotYetChecked)
{
    const std::vector<SEDeclEntry*> entries = entriesOf("colorset E = with a | b; var x; alias F;");
    ASSERT_EQ(entries.size(), 1u);
    SEDeclEntry* e = entries.front();
    ASSERT_EQ(DEConstraintStep(e), 1);
    // Every item checked: nothing to send, success.
    DEMarkEntry(&e->head, kDEChecked);
    EXPECT_EQ(DEItemListConstraints(e), 1);
    // A new var item and a declare item are declared for the colour set.
    DEAddItem(e, kDEItemVar, "y");
    DEAddItem(e, kDEItemDeclare, "all");
    EXPECT_EQ(DEItemListConstraints(e), 1) << ::testing::PrintToString(world().errors);
    // A declare item that the colour set does not have fails with the
    // compiler's message.
    DEAddItem(e, kDEItemDeclare, "nothing");
    EXPECT_EQ(DEItemListConstraints(e), 0);
    ASSERT_FALSE(world().errors.empty());
    EXPECT_NE(world().errors.back().second.find("nothing"), std::string::npos) << world().errors.back().second;
}

TEST_F(ConstraintTest, EntryKeepsItsNumberAndAStaleNumberIsReplaced)
{
    const std::vector<SEDeclEntry*> entries = entriesOf("val one = 1; val two = 2;");
    ASSERT_EQ(entries.size(), 2u);
    ASSERT_EQ(NSAssignMLNumber(&entries[0]->head), 1);
    const std::string first = NSMLNumberOf(&entries[0]->head);
    ASSERT_EQ(NSAssignMLNumber(&entries[0]->head), 1);
    EXPECT_EQ(NSMLNumberOf(&entries[0]->head), first);
    EXPECT_EQ(NSMLNumberLookup(first.c_str()), node_);
    // A new table, the counter gone past the number: the number is current
    // and is taken again.
    NSMLNumberCreateTable();
    ASSERT_EQ(NSAssignMLNumber(&entries[1]->head), 1);
    ASSERT_EQ(NSAssignMLNumber(&entries[0]->head), 1);
    EXPECT_EQ(NSMLNumberOf(&entries[0]->head), first);
    // The counter set back below the number: a new one is given.
    NSMLNumberCreateTable();
    counter = 5;
    ASSERT_EQ(NSAssignMLNumber(&entries[0]->head), 1);
    EXPECT_NE(NSMLNumberOf(&entries[0]->head), first);
    EXPECT_EQ(NSMLNumberLookup(NSMLNumberOf(&entries[0]->head).c_str()), node_);
}

// The text a declaration is sent as: comments out, cut after the first ";"
// that stands in no string and no comment.
TEST(ConstraintTextTest, CommentsGoAndTheTextEndsAtTheFirstSemicolonOutsideStringsAndComments)
{
    const std::pair<const char*, const char*> cases[] = {
        {"val a = 1; val b = 2;", "val a = 1;"},
        {"val s = \"x;y\"; val t = 1;", "val s = \"x;y\";"},
        {"val s = \"a\\\";b\"; rest", "val s = \"a\\\";b\";"},
        {"fun f x (* a; (* nested; *) b; *) = x; more", "fun f x   = x;"},
        {"val c = #\";\"; x", "val c = #\";\";"},
        {"val s = \"(* no comment; *)\";", "val s = \"(* no comment; *)\";"},
        {"val open = 1 (* never closed; ", "val open = 1 "},
        {"val none = 1", "val none = 1"},
    };
    for (const auto& [text, sent] : cases)
        EXPECT_EQ(DEConstraintText(text), sent) << text;
}

} // namespace
