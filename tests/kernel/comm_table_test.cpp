// Command tables: the sort order, lookups with their wildcards and fallbacks,
// and the command-level stack with its argument marks.
#include <gtest/gtest.h>

#include <algorithm>

#include "xkv/comm/Comm.h"
#include "xkv/mem/Mem.h"
#include "xkv/comm/CommHandlers.h"
#include "xkv/comm/CommTable.h"

namespace {

class CommTableTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Comm_SortTables(); }
};

TEST_F(CommTableTest, StaticTableHas244RowsSortedByKeyWithEndRowLast)
{
    auto table = Comm_StaticTable();
    ASSERT_EQ(table.size(), 244u);
    EXPECT_EQ(table.back().state, kCommStateTableEnd);
    for (size_t i = 1; i + 1 < table.size(); ++i) {
        const uint32_t a = Comm_RowKey(table[i - 1].state, table[i - 1].eventClass, table[i - 1].detail);
        const uint32_t b = Comm_RowKey(table[i].state, table[i].eventClass, table[i].detail);
        EXPECT_LE(a, b) << "row " << i;
    }
    auto base = Comm_BaseTable();
    ASSERT_EQ(base.size(), 9u);
    EXPECT_EQ(base.back().state, kCommStateTableEnd);
}

TEST_F(CommTableTest, RowKeyLetsLargeDetailsRunIntoTheClass)
{
    EXPECT_EQ(Comm_RowKey(1, 1, -1), (1u << 20) + 1023u);
    EXPECT_EQ(Comm_RowKey(20, 2, 9998), (20u << 20) + (2u << 10) + 9998u);
    EXPECT_EQ(Comm_SortTable(nullptr, 3), 6u);
}

struct LookupCase {
    const char* name;
    int32_t state;
    CommEventKey key;
    CommandHandler expected;  // nullptr: no row
    int32_t rowState;
    int32_t number;
    int32_t argument;
    int32_t next;
};

class CommLookupTest : public CommTableTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(CommLookupTest, FindsTheRow)
{
    const LookupCase& c = GetParam();
    const CommandBinding* row = Comm_LookupKey(c.state, c.key);
    if (c.expected == nullptr) {
        EXPECT_EQ(row, nullptr);
        return;
    }
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->handler, c.expected);
    EXPECT_EQ(row->state, c.rowState);
    if (c.number != 0) {
        EXPECT_EQ(row->number, c.number);
        EXPECT_EQ(row->argument, c.argument);
        EXPECT_EQ(row->nextState, c.next);
    }
}

// Keys: class, payload kind, detail.
INSTANTIATE_TEST_SUITE_P(
    Lookups, CommLookupTest,
    ::testing::Values(
        LookupCase{"Command77OpensDialog257", 20, {1, 1, 77}, Cmd_OpenPropertyDialog, 20, 257, 29, 2},
        LookupCase{"GetInfoEndsAtOnce", 20, {1, 1, 72}, Cmd_OpenPropertyDialog, 20, 291, 999, 20},
        LookupCase{"MakeRegionBeginsGesture", 20, {1, 1, 63}, Cmd_BeginGesture, 20, 16, 0xFFFFF, 56},
        LookupCase{"Dialog257AnswerFinishes", 2, {6, 4, 257}, Cmd_Finish, 2, 0, 0, 0},
        LookupCase{"OtherDialogInState2GoesToBase", 2, {6, 4, 300}, Comm_Ignore, 1, 0, 0, 0},
        LookupCase{"EscapeDuringBoxEndsThroughBase", 28, {4, 0, 0}, Comm_EndCommand, 1, 0, 0, 0},
        LookupCase{"DragCancelInState43", 43, {4, 0, 0}, Cmd_DragCancel, 43, 0, 0, 0},
        LookupCase{"Pick12FallsBackToState1", 20, {2, 12, 12}, Cmd_PickItem, 1, 0, 0, 0},
        LookupCase{"AnyPickRowTakesPick12", 4, {2, 12, 12}, Cmd_AlignBottomToBottom, 4, 0, 0, 0},
        LookupCase{"AnyPickRowInState101", 101, {2, 7, 7}, Cmd_PasteKeep, 101, 101, 0x3F, 102},
        LookupCase{"ExactPickInState20", 20, {2, 10, 10}, Cmd_PickObject, 20, 0, 0, 0},
        LookupCase{"UnknownPickGoesToBasePick", 30, {2, 3, 3}, Comm_BasePick, 1, 0, 0, 0},
        LookupCase{"Class10InState20HasNoRow", 20, {10, 10, 10}, nullptr, 0, 0, 0, 0},
        LookupCase{"Class11Detail9InState55", 55, {11, 9, 9}, Cmd_LabelBox, 55, 0, 0, 0},
        LookupCase{"UnknownCommandGoesToBaseCommand", 20, {1, 1, 5000}, Comm_BaseCommand, 1, 0, 0, 0},
        LookupCase{"CommandInOtherStateGoesToBaseCommand", 28, {1, 1, 24}, Comm_BaseCommand, 1, 0, 0, 0},
        LookupCase{"TimerGoesToBase", 20, {5, 28, 3}, Comm_IgnoreTimer, 1, 0, 0, 0},
        LookupCase{"DragOutsideState20IsIgnoredByBase", 5, {9, 14, 0}, Comm_Ignore, 1, 0, 0, 0},
        LookupCase{"DragInState20BeginsDrag", 20, {9, 14, 0}, Cmd_BeginDragWithRegions, 20, 0, 0, 0},
        LookupCase{"ItemCopyGoesToBase", 20, {3, 5, 5}, Comm_Ignore, 1, 0, 0, 0}),
    [](const ::testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.name); });

TEST_F(CommTableTest, EveryStaticRowIsFoundByItsOwnKey)
{
    for (const CommandBinding& row : Comm_StaticTable()) {
        if (row.state == kCommStateTableEnd) {
            continue;
        }
        const CommandBinding* found =
            Comm_SearchTable(Comm_StaticTable().data(), Comm_StaticTable().size(), row, 1);
        ASSERT_NE(found, nullptr) << row.state << "/" << row.eventClass << "/" << row.detail;
        EXPECT_EQ(Comm_RowKey(found->state, found->eventClass, found->detail),
                  Comm_RowKey(row.state, row.eventClass, row.detail));
    }
}

TEST(CommLevels, StackHolds16LevelsAndRefusesTheSeventeenth)
{
    ASSERT_EQ(Comm_Initialize(), 0u);
    EXPECT_EQ(Comm_AtBaseLevel(), 1u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(Comm_PopLevel(), 1u);  // level 0 cannot be popped
    for (int32_t i = 1; i < kCommLevelCount; ++i) {
        ASSERT_EQ(Comm_PushLevel(30 + i), 0u) << i;
        EXPECT_EQ(Comm_GetState(), 30 + i);
    }
    EXPECT_EQ(Comm_CurrentLevel(), 15);
    EXPECT_EQ(Comm_PushLevel(99), 1u);
    EXPECT_EQ(Comm_GetState(), 45);  // unchanged by the refusal
    for (int32_t i = kCommLevelCount - 1; i >= 1; --i) {
        ASSERT_EQ(Comm_PopLevel(), 0u);
    }
    EXPECT_EQ(Comm_AtBaseLevel(), 1u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

TEST(CommLevels, ArgumentsKeptBeforeAPushAreOutOfReachAbove)
{
    ASSERT_EQ(Comm_Initialize(), 0u);
    ASSERT_EQ(Comm_PushArgument(101), 0u);
    EXPECT_EQ(Comm_PushArgument(0), 1u);
    ASSERT_EQ(Comm_PushLevel(20), 0u);
    EXPECT_EQ(Comm_PeekArgument(), 0u);
    EXPECT_EQ(Comm_PopArgument(), 0u);
    ASSERT_EQ(Comm_PushArgument(102), 0u);
    EXPECT_EQ(Comm_ArgumentCount(), 2u);
    ASSERT_EQ(Comm_PopLevel(), 0u);  // drops what the level kept
    EXPECT_EQ(Comm_ArgumentCount(), 1u);
    EXPECT_EQ(Comm_PeekArgument(), 101u);
    EXPECT_EQ(Comm_PopArgument(), 101u);
}

TEST(CommLevels, PickAndPointerCommands)
{
    for (int32_t request : {2, 4, 14, 15, 18, 19, 21, 22, 23, 131}) {
        EXPECT_EQ(Comm_IsPickCommand(request), 1u) << request;
        EXPECT_EQ(Comm_IsPointerCommand(request), 1u) << request;
    }
    EXPECT_EQ(Comm_IsPickCommand(40), 0u);
    EXPECT_EQ(Comm_IsPointerCommand(40), 1u);
    EXPECT_EQ(Comm_IsPointerCommand(92), 1u);
    EXPECT_EQ(Comm_IsPointerCommand(24), 0u);
}

struct PathCase {
    const char* path;
    const char* directory;
    const char* name;
};

TEST(CommState, FilePathsSplitAtTheLastSlash)
{
    const PathCase cases[] = {
        {"/home/u/net.cpn", "/home/u/", "net.cpn"},
        {"net.cpn", "", "net.cpn"},
        {"./a/b/", "./a/b/", ""},
    };
    for (const PathCase& c : cases) {
        ASSERT_EQ(Comm_SetFilePath(1, c.path), 0u);
        EXPECT_STREQ(Comm_GetFileDirectoryText(1), c.directory) << c.path;
        EXPECT_STREQ(Comm_GetFileNameText(1), c.name) << c.path;
        char joined[64];
        ASSERT_EQ(Comm_GetFilePath(1, joined, sizeof joined), 0u);
        EXPECT_STREQ(joined, c.path);
    }
    char small[4];
    EXPECT_NE(Comm_GetFilePath(1, small, sizeof small), 0u);  // never written past the buffer
    EXPECT_EQ(Comm_SetFilePath(4, "x"), 6u);
    EXPECT_EQ(Comm_SetFilePath(2, nullptr), 0u);
    char buffer[8];
    EXPECT_EQ(Comm_GetFilePath(2, buffer, sizeof buffer), 55u);
}

// The directory and the name are kept apart: the handle setters replace one
// of them (0 forgets it), and a path needs both.
TEST(CommState, FileNameAndDirectoryByHandle)
{
    ASSERT_EQ(Comm_SetFilePath(1, "/home/u/net.cpn"), 0u);
    const MemHandle name = Comm_GetFileName(1);
    ASSERT_NE(name, 0u);
    char* text = nullptr;
    ASSERT_EQ(Mem_LockAs(name, &text), 0u);
    EXPECT_STREQ(text, "net.cpn");
    Mem_Unlock(name);

    MemHandle other = 0;
    ASSERT_EQ(Mem_AllocCopy(&other, "other.cpn", 10), 0u);
    ASSERT_EQ(Comm_SetFileName(1, other), 0u);
    Mem_Free(other);  // the command layer keeps a copy
    char joined[64];
    ASSERT_EQ(Comm_GetFilePath(1, joined, sizeof joined), 0u);
    EXPECT_STREQ(joined, "/home/u/other.cpn");

    ASSERT_EQ(Comm_SetFileName(1, 0), 0u);
    EXPECT_EQ(Comm_GetFileName(1), 0u);
    EXPECT_EQ(Comm_GetFileNameText(1), nullptr);
    EXPECT_EQ(Comm_GetFilePath(1, joined, sizeof joined), 55u);
    EXPECT_STREQ(Comm_GetFileDirectoryText(1), "/home/u/");

    // A block without a NUL gives its bytes up to its end.
    MemHandle unterminated = 0;
    ASSERT_EQ(Mem_AllocCopy(&unterminated, "dir/", 4), 0u);
    ASSERT_EQ(Comm_SetFileDirectory(1, unterminated), 0u);
    Mem_Free(unterminated);
    EXPECT_STREQ(Comm_GetFileDirectoryText(1), "dir/");

    EXPECT_EQ(Comm_GetFileName(0), 0u);
    EXPECT_EQ(Comm_GetFileDirectory(4), 0u);
    EXPECT_EQ(Comm_SetFileName(4, 0), 6u);
    Comm_SetFilePath(1, nullptr);
}

}  // namespace
