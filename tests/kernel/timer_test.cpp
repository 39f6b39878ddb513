// Kernel timers driven by a controllable clock: re-arming of the shared
// timeout, one-shot and repeating timers, and callbacks that start and stop
// timers while the timers fire.
#include <gtest/gtest.h>

#include <vector>

#include "xkv/timer/Timer.h"

namespace {

// The test's clock and the delays the timer module armed.
uint64_t gNow = 0;
std::vector<uint32_t> gArmed;

uint64_t FakeNow() { return gNow; }
uintptr_t FakeArm(uint32_t delay)
{
    gArmed.push_back(delay);
    return gArmed.size();
}
void FakeDisarm(uintptr_t) {}
const TimerBackend kFakeBackend = {FakeNow, FakeArm, FakeDisarm};

std::vector<uint32_t> gFired;
std::vector<uint32_t> gPosted;
KernelStatus RecordPost(uint32_t id)
{
    gPosted.push_back(id);
    return 0;
}
void NoProcess() {}
const TimerEventSink kSink = {RecordPost, NoProcess};

void Record(uint32_t id, uint32_t) { gFired.push_back(id); }

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gNow = 1000;
        gArmed.clear();
        gFired.clear();
        gPosted.clear();
        Timer_SetBackend(&kFakeBackend);
        Timer_SetEventSink(&kSink);
        ASSERT_EQ(Timer_Initialize(), 0u);
    }
    void TearDown() override
    {
        for (uint32_t id = 0; id < 20; ++id) {
            Timer_Stop(id);
        }
        Timer_SetBackend(nullptr);
    }
    void RunAt(uint64_t now)
    {
        gNow = now;
        Timer_RunDue();
    }
};

TEST_F(TimerTest, TwelveSecondTimerArmsFiveFiveTwo)
{
    ASSERT_EQ(Timer_Start(7, 12000, 0, 0, Record, 0), 0u);
    EXPECT_EQ(gArmed, (std::vector<uint32_t>{5000}));
    RunAt(6000);
    RunAt(11000);
    EXPECT_EQ(gArmed, (std::vector<uint32_t>{5000, 5000, 2000}));
    EXPECT_TRUE(gFired.empty());
    RunAt(13000);
    EXPECT_EQ(gFired, (std::vector<uint32_t>{7}));
    EXPECT_EQ(Timer_CountWithId(7), 0u);  // a one-shot timer is gone after firing
}

TEST_F(TimerTest, OneShotFiresOnceAndNothingIsArmedAfter)
{
    Timer_Start(1, 100, 0, 0, Record, 0);
    RunAt(1100);
    RunAt(1300);
    EXPECT_EQ(gFired, (std::vector<uint32_t>{1}));
    EXPECT_EQ(Timer_Count(), 0u);
    EXPECT_EQ(gArmed.size(), 1u);  // only the arming of the start
}

TEST_F(TimerTest, RepeatingTimerFiresEveryInterval)
{
    Timer_Start(2, 300, 1, 0, Record, 0);
    RunAt(1300);
    RunAt(1500);  // not yet due again (due 1600)
    RunAt(1600);
    EXPECT_EQ(gFired, (std::vector<uint32_t>{2, 2}));
    EXPECT_EQ(gArmed.back(), 300u);
}

TEST_F(TimerTest, StartingAnIdInUseResetsIt)
{
    Timer_Start(3, 500, 0, 0, Record, 0);
    gNow = 1400;
    Timer_Start(3, 500, 0, 0, Record, 0);
    EXPECT_EQ(Timer_CountWithId(3), 1u);
    RunAt(1500);
    EXPECT_TRUE(gFired.empty());  // the reset moved its due time to 1900
    RunAt(1900);
    EXPECT_EQ(gFired, (std::vector<uint32_t>{3}));
}

TEST_F(TimerTest, BusyCountHoldsFiringButStillRearms)
{
    Timer_Start(4, 100, 0, 0, Record, 0);
    Timer_BusyEnter();
    EXPECT_EQ(Timer_IsIdle(), 0u);
    const size_t armedBefore = gArmed.size();
    RunAt(2000);
    EXPECT_TRUE(gFired.empty());
    EXPECT_GT(gArmed.size(), armedBefore);
    Timer_BusyLeave();
    Timer_BusyLeave();  // never below 0
    EXPECT_EQ(Timer_IsIdle(), 1u);
    RunAt(2000);
    EXPECT_EQ(gFired, (std::vector<uint32_t>{4}));
}

TEST_F(TimerTest, TimerWithoutCallbackPostsTimerEvent)
{
    Timer_Start(5, 50, 0, 0, nullptr, 0);
    RunAt(1050);
    EXPECT_EQ(gPosted, (std::vector<uint32_t>{5}));
}

// Callbacks that change the timer list while the timers fire.
void StopSelf(uint32_t id, uint32_t)
{
    gFired.push_back(id);
    Timer_Stop(id);
}

void RestartSelfOnce(uint32_t id, uint32_t)
{
    gFired.push_back(id);
    if (gFired.size() == 1) {
        Timer_Start(id, 200, 0, 0, RestartSelfOnce, 0);
    }
}

void StopTimerTen(uint32_t id, uint32_t)
{
    gFired.push_back(id);
    Timer_Stop(10);
}

void StartTimerEleven(uint32_t id, uint32_t)
{
    gFired.push_back(id);
    Timer_Start(11, 0, 0, 0, Record, 0);
}

TEST_F(TimerTest, RepeatingTimerStoppingItselfEndsCleanly)
{
    Timer_Start(6, 100, 1, 0, StopSelf, 0);
    RunAt(1100);
    RunAt(1300);
    EXPECT_EQ(gFired, (std::vector<uint32_t>{6}));
    EXPECT_EQ(Timer_Count(), 0u);
}

TEST_F(TimerTest, OneShotRestartedFromItsCallbackStaysStarted)
{
    Timer_Start(8, 100, 0, 0, RestartSelfOnce, 0);
    RunAt(1100);
    EXPECT_EQ(Timer_CountWithId(8), 1u);
    RunAt(1300);
    EXPECT_EQ(gFired, (std::vector<uint32_t>{8, 8}));
    EXPECT_EQ(Timer_CountWithId(8), 0u);
}

TEST_F(TimerTest, CallbackStoppingALaterTimerKeepsItFromFiring)
{
    Timer_Start(9, 100, 0, 0, StopTimerTen, 0);
    Timer_Start(10, 100, 0, 0, Record, 0);
    RunAt(1100);
    EXPECT_EQ(gFired, (std::vector<uint32_t>{9}));
    EXPECT_EQ(Timer_Count(), 0u);
}

TEST_F(TimerTest, TimerStartedInACallbackWaitsForTheNextPass)
{
    Timer_Start(12, 100, 0, 0, StartTimerEleven, 0);
    RunAt(1100);
    EXPECT_EQ(gFired, (std::vector<uint32_t>{12}));
    EXPECT_EQ(Timer_CountWithId(11), 1u);
    RunAt(1100);
    EXPECT_EQ(gFired, (std::vector<uint32_t>{12, 11}));
}

TEST_F(TimerTest, DueTimesBeyondThirtyTwoBitsCompareCorrectly)
{
    gNow = (uint64_t{1} << 32) - 50;  // where a 32-bit millisecond clock would wrap
    Timer_Start(13, 100, 0, 0, Record, 0);
    RunAt((uint64_t{1} << 32) - 10);
    EXPECT_TRUE(gFired.empty());
    RunAt((uint64_t{1} << 32) + 50);
    EXPECT_EQ(gFired, (std::vector<uint32_t>{13}));
}

TEST_F(TimerTest, SetIntervalKeepsDueTime)
{
    Timer_Start(14, 100, 1, 0, Record, 0);
    Timer_SetInterval(14, 1000);
    RunAt(1100);
    EXPECT_EQ(gFired.size(), 1u);
    EXPECT_EQ(gArmed.back(), 1000u);
}

}  // namespace
