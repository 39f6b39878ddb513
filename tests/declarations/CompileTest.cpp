// Compile order: nodes by number, entries in order, dependencies found by
// tokens, failures that stop the walk, the marks and their line styles. The
// declarations go to the real evaluator; those written with `noted` log
// their name there when they are declared.
#include "DeclFixture.h"
#include "EvaluatorSession.h"

namespace {

using CompileTest = DeclTest;

std::vector<std::string> names(LMList* list)
{
    std::vector<std::string> out;
    if (list != nullptr)
        for (void* c = list->first; c != nullptr; c = static_cast<LMLink*>(c)->next) {
            auto* e = static_cast<SEDeclEntry*>(static_cast<LMValueCell*>(c)->value);
            out.emplace_back(e->name);
        }
    return out;
}

TEST_F(CompileTest, NodesCompileInTheOrderOfTheirNumbers)
{
    uint32_t one = node("val a = noted \"a\" 1;");
    uint32_t two = node("val b = noted \"b\" 2;");
    DEConvertNode(one);
    DEConvertNode(two);
    // Conversion made the records anew; give them the numbers 2 and 1.
    record(one)->number = 1;
    record(two)->number = 2;
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    EXPECT_EQ(DEStartCompileOrder(&progress), 0);
    EXPECT_EQ(NotedNames(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(progress.counters[3], 2);
    EXPECT_EQ(lineStyleOf(entryNamed("a")->kvObject), 0u);
    EXPECT_NE(entryNamed("b")->flags & kDECompiled, 0u);
}

TEST_F(CompileTest, DependenciesAreFoundOncePerName)
{
    convert("val a = 1; val b = a + a * a; fun g x = x; val c = g (a+a); use \"x.sml\"; val d = 4;");
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    // The walk stops at the use: there is no file x.sml to load.
    EXPECT_NE(DEStartCompileOrder(&progress), 0);
    SEDeclEntry* a = entryNamed("a");
    EXPECT_EQ(names(DEParents(entryNamed("b"))), (std::vector<std::string>{"a"}));
    EXPECT_EQ(names(DEDependents(a)), (std::vector<std::string>{"b", "\"x.sml\""}));
    EXPECT_EQ(names(DEParents(entryNamed("c"))), (std::vector<std::string>{"g"})) << "a later token is looked up whole";
    SEDeclEntry* use = reinterpret_cast<SEDeclEntry*>(DEFindEntry(nullptr, "\"x.sml\"", 3));
    ASSERT_NE(use, nullptr);
    EXPECT_EQ(names(DEParents(use)), (std::vector<std::string>{"a", "b", "g", "c"}));
    EXPECT_EQ(entryNamed("d")->flags & kDECompiled, 0u);
}

TEST_F(CompileTest, FirstTokenSplitsAtSymbols)
{
    convert("fun f x = x; val y = 1; val z = f(y);");
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    ASSERT_EQ(DEStartCompileOrder(&progress), 0);
    EXPECT_EQ(names(DEParents(entryNamed("z"))), (std::vector<std::string>{"f", "y"}));
}

TEST_F(CompileTest, FailureStopsTheWalkAndUnchecksDependents)
{
    convert("val a = noted \"a\" 1; val b = noted \"b\" a; val c = noted \"c\" 3;");
    RefuseNoted({"b"});
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    EXPECT_NE(DEStartCompileOrder(&progress), 0);
    EXPECT_EQ(NotedNames(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(DECheckStatus(&entryNamed("c")->head), 2);
    // Fixed and compiled again: the checked one is not sent again.
    RefuseNoted({});
    EXPECT_EQ(DEStartCompileOrder(&progress), 0);
    EXPECT_EQ(NotedNames(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(DEStartCompileOrder(&progress), 0);
    EXPECT_EQ(NotedNames().size(), 3u) << "all in state 0: nothing is sent";
    // Withdrawing a's check takes b with it.
    DEUncheck(&entryNamed("a")->head);
    EXPECT_EQ(entryNamed("b")->flags & kDEChecked, 0u);
    EXPECT_NE(entryNamed("c")->flags & kDEChecked, 0u);
}

TEST_F(CompileTest, TimedColorSetWithoutTimeIsReportedOnTheEntry)
{
    convert("colorset T = int timed;");
    world().withTime = false;
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    EXPECT_NE(DEStartCompileOrder(&progress), 0);
    ASSERT_EQ(world().errors.size(), 1u);
    EXPECT_EQ(world().errors[0].first, entryNamed("T")->kvObject);
    EXPECT_EQ(world().errors[0].second,
              "T : If you want to have timed color set you must turn Time on in the Time Options dialog.");
    int wasReset = 0;
    EXPECT_EQ(DEEntryCompile(entryNamed("T"), &wasReset), 0);
    EXPECT_EQ(lastMessage(), "T : If you want to have timed color set you must turn Time on in the Time Options dialog.");
}

// Timed colour sets that lose their checks while the evaluator starts count
// as a reset of the declarations for the one who asked for the compile; an
// earlier loss is forgotten when a compile begins.
TEST_F(CompileTest, TimedColorSetsUncheckedDuringTheStartReportAReset)
{
    convert("colorset T = int timed; colorset U = int; val a = 1;");
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    ASSERT_EQ(DEStartCompileOrder(&progress), 0);
    world().onEvaluatorStart = [] { DEUncheckTimedColorSets(); };
    int wasReset = 0;
    EXPECT_EQ(DEEntryCompile(entryNamed("a"), &wasReset), 1);
    EXPECT_EQ(wasReset, 1);
    EXPECT_EQ(entryNamed("T")->flags & kDEChecked, 0u);
    EXPECT_NE(entryNamed("U")->flags & kDEChecked, 0u);
    world().onEvaluatorStart = nullptr;
    EXPECT_EQ(DEEntryCompile(entryNamed("a"), &wasReset), 1);
    EXPECT_EQ(wasReset, 0);
    DEUncheckTimedColorSets();
    EXPECT_EQ(DEEntryCompile(entryNamed("T"), &wasReset), 1);
    EXPECT_EQ(wasReset, 0);
    EXPECT_EQ(DETakeTimedUnchecked(), 0);
}

TEST_F(CompileTest, ProgressCallbackMayStopTheWalk)
{
    convert("val a = noted \"a\" 1; val b = noted \"b\" 2;");
    DESetProgressCallback([](int* goOn, ProgressRecord* record) {
        if (record->counters[3] == 1)
            *goOn = 0;
    });
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    EXPECT_NE(DEStartCompileOrder(&progress), 0);
    DESetProgressCallback(nullptr);
    EXPECT_EQ(NotedNames(), (std::vector<std::string>{"a"}));
}

TEST_F(CompileTest, NewItemsOfACompiledColorSetAreSentAsAList)
{
    convert("colorset C = int;");
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    ASSERT_EQ(DEStartCompileOrder(&progress), 0);
    SEDeclEntry* c = entryNamed("C");
    SEDeclItem* x = DEAddItem(c, kDEItemVar, "x");
    EXPECT_EQ(DECheckStatus(&c->head), 1);
    ASSERT_EQ(DEStartCompileOrder(&progress), 0) << ::testing::PrintToString(world().errors);
    EXPECT_EQ(x->flags, kDEChecked);
    EXPECT_EQ(DECheckStatus(&c->head), 0);
    // A variable the evaluator refuses shows that the list went there.
    DEAddItem(c, kDEItemVar, "1x");
    EXPECT_NE(DEStartCompileOrder(&progress), 0);
    EXPECT_FALSE(world().errors.empty());
}

TEST_F(CompileTest, VarItemsAreFiledAndFoundByUsers)
{
    convert("colorset C = int var x; val v = x;");
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    // v itself is refused: a variable of a colour set is not an ML value.
    EXPECT_NE(DEStartCompileOrder(&progress), 0);
    EXPECT_EQ(names(DEParents(entryNamed("v"))), (std::vector<std::string>{"C"}));
}

TEST_F(CompileTest, ResetReturnsEveryEntryToUncompiled)
{
    convert("val a = noted \"a\" 1; val b = noted \"b\" a;");
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    ASSERT_EQ(DEStartCompileOrder(&progress), 0);
    DEAddDeletedName("gone");
    DEClearMark(&entryNamed("a")->head, kDEChanged);
    DEResetCompileMarks();
    EXPECT_EQ(DEDeletedNames(), nullptr);
    EXPECT_EQ(entryNamed("a")->flags & (kDEChecked | kDECompiled), 0u);
    ASSERT_EQ(DEStartCompileOrder(&progress), 0);
    EXPECT_EQ(NotedNames(), (std::vector<std::string>{"a", "b", "a", "b"}));
}

// After a reset the next attempt restyles the region even when it fails.
TEST_F(CompileTest, FailedAttemptAfterResetShowsTheUncheckedStyle)
{
    convert("val a = noted \"a\" 1;");
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    ASSERT_EQ(DEStartCompileOrder(&progress), 0);
    SEDeclEntry* a = entryNamed("a");
    ASSERT_EQ(lineStyleOf(a->kvObject), 0u);
    DEResetCompileMarks();
    RefuseNoted({"a"});
    EXPECT_NE(DEStartCompileOrder(&progress), 0);
    EXPECT_EQ(lineStyleOf(a->kvObject), 3u);
}

TEST_F(CompileTest, SingleCompileNeedsTheEvaluator)
{
    convert("val a = noted \"a\" 1;");
    world().evaluatorUp = false;
    int wasReset = 0;
    EXPECT_EQ(DEEntryCompile(entryNamed("a"), &wasReset), 0);
    world().evaluatorUp = true;
    EXPECT_EQ(DEEntryCompile(entryNamed("a"), &wasReset), 1);
    EXPECT_EQ(NotedNames(), (std::vector<std::string>{"a"}));
}

TEST_F(CompileTest, CompiledNamesLeaveTheDeletedNamesList)
{
    convert("colorset C = int alias D;");
    DEAddDeletedName("C");
    DEAddDeletedName("D");
    DEAddDeletedName("other");
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    ASSERT_EQ(DEStartCompileOrder(&progress), 0);
    ASSERT_EQ(LMCount(DEDeletedNames()), 1);
}

} // namespace
