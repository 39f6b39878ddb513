// The command layer at work on real kernel events: commands ending through
// the one end-of-command routine, the base table's fallbacks, a new command
// ending an unfinished one, missing rows, and synchronous command runs.
#include <gtest/gtest.h>

#include "xkv/comm/Comm.h"
#include "xkv/comm/CommEvents.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"

namespace {

int gCommandEnds = 0;
uintptr_t CountCommandEnd(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    ++gCommandEnds;
    return 1;
}

class CommDispatchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Mem_Init(nullptr, nullptr); }
    void SetUp() override
    {
        ASSERT_EQ(Comm_Initialize(), 0u);
        gCommandEnds = 0;
        Hook_Set(kHookCommandEnd, CountCommandEnd);
    }
    void TearDown() override
    {
        Hook_Set(kHookCommandEnd, nullptr);
        while (Comm_PopLevel() == 0) {
        }
    }
    static MemHandle Command(uint32_t request) { return Event_NewCommand(0, 0, 0, 0, request); }
};

TEST_F(CommDispatchTest, GetInfoEndsAtOnceInTheReadyState)
{
    ASSERT_EQ(Comm_PostEvent(Command(72)), 0u);
    EXPECT_EQ(Comm_ProcessEvents(), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(gCommandEnds, 1);
    EXPECT_EQ(Comm_QueueLength(), 0u);
    int32_t detail = 0;
    Comm_GetInbox(nullptr, nullptr, &detail);
    EXPECT_EQ(detail, 72);
}

TEST_F(CommDispatchTest, CommandWhoseModuleIsMissingEndsAndChangesNothing)
{
    ASSERT_EQ(Comm_PostEvent(Command(78)), 0u);  // Cut
    EXPECT_EQ(Comm_ProcessEvents(), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(gCommandEnds, 1);
}

TEST_F(CommDispatchTest, EscapeDuringAGestureEndsThroughTheBaseTable)
{
    Comm_SetState(28);  // waiting for a box's rectangle
    ASSERT_EQ(Comm_PostCancel(), 0u);
    EXPECT_EQ(Comm_ProcessEvents(), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(gCommandEnds, 1);
    int32_t detail = -1;
    Comm_GetInbox(nullptr, nullptr, &detail);
    EXPECT_EQ(detail, 0);
}

TEST_F(CommDispatchTest, NewCommandEndsTheUnfinishedOneFirst)
{
    Comm_SetState(28);
    ASSERT_EQ(Comm_PostEvent(Command(72)), 0u);
    EXPECT_EQ(Comm_ProcessEvents(), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(gCommandEnds, 2);  // the waiting command, then Get Info itself
    EXPECT_EQ(Comm_QueueLength(), 0u);
}

TEST_F(CommDispatchTest, EventWithoutRowStopsProcessingWith19)
{
    ASSERT_EQ(Comm_PostEvent(Event_NewObjectEvent(5)), 0u);
    ASSERT_EQ(Comm_PostEvent(Command(72)), 0u);
    EXPECT_EQ(Comm_ProcessEvents(), kCommNoRow);
    EXPECT_EQ(Comm_QueueLength(), 1u);  // the command waits for the next call
    EXPECT_EQ(Comm_ProcessEvents(), 0u);
    EXPECT_EQ(gCommandEnds, 1);
}

TEST_F(CommDispatchTest, NullEventsAreRefused)
{
    EXPECT_EQ(Comm_PostEvent(0), 1u);
    EXPECT_EQ(Comm_RepostEvent(0), 1u);
    EXPECT_NE(Comm_HandleEvent(0), 0u);
}

TEST_F(CommDispatchTest, AbortOutsideProcessingCancelsAtOnce)
{
    Comm_SetState(31);
    EXPECT_EQ(Comm_Abort(), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(gCommandEnds, 1);
}

TEST_F(CommDispatchTest, RunCommandRunsOnItsOwnLevelAndComesBack)
{
    EXPECT_EQ(Comm_RunCommand(72), 0u);
    EXPECT_EQ(Comm_AtBaseLevel(), 1u);
    EXPECT_EQ(gCommandEnds, 1);
}

TEST_F(CommDispatchTest, RunCommandWithAllLevelsInUseChangesNothing)
{
    for (int32_t i = 1; i < kCommLevelCount; ++i) {
        ASSERT_EQ(Comm_PushLevel(20), 0u);
    }
    EXPECT_EQ(Comm_RunCommand(72), 1u);
    EXPECT_EQ(gCommandEnds, 0);
    EXPECT_EQ(Comm_CurrentLevel(), kCommLevelCount - 1);
}

TEST_F(CommDispatchTest, PoppedLevelFreesItsQueuedEvents)
{
    ASSERT_EQ(Comm_PushLevel(20), 0u);
    const MemHandle event = Command(72);
    ASSERT_EQ(Comm_PostEvent(event), 0u);
    ASSERT_EQ(Comm_PopLevel(), 0u);
    EXPECT_EQ(Event_Class(event), 0u);  // the handle no longer names an event
}

}  // namespace
