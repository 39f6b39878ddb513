// The hook registry: registration and its range checks, which handler the
// kernel calls, the adapters' conversions, and the application timer on hook 25.
#include <gtest/gtest.h>

#include <vector>

#include "xkv/kv/Hook.h"
#include "xkv/kv/HookAdapters.h"
#include "xkv/timer/Timer.h"

namespace {

std::vector<uintptr_t> gArgs;
uintptr_t gResult = 1;

uintptr_t Recorder(uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d, uintptr_t e, uintptr_t f)
{
    gArgs = {a, b, c, d, e, f};
    return gResult;
}

class HookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gArgs.clear();
        gResult = 1;
        Hook_ClearTable();
        for (HookId id = 0; id < kHookCount; ++id) {
            Hook_Unregister(id);
        }
        Hook_InitTable();
    }
};

TEST_F(HookTest, OutOfRangeIdsAreRefused)
{
    for (HookId id : {86u, 1000u, static_cast<HookId>(-1)}) {
        EXPECT_EQ(Hook_Register(id, Recorder), 6u);
        EXPECT_EQ(Hook_Unregister(id), 6u);
        EXPECT_EQ(Hook_Set(id, Recorder), 6u);
        EXPECT_EQ(Hook_IsRegistered(id), 0u);
        EXPECT_EQ(Hook_GetHandler(id), Hook_NoOp);
        EXPECT_EQ(Hook_GetApplicationHandler(id), Hook_NoOp);
    }
}

TEST_F(HookTest, UnregisteredHookConsents)
{
    EXPECT_EQ(Hook_Fire(63, 1, 2), 1u);
    EXPECT_TRUE(gArgs.empty());
    HookHandler out = Recorder;
    Hook_Query(63, &out);
    EXPECT_EQ(out, nullptr);
}

TEST_F(HookTest, RegisteredHandlerRunsAndMayRefuse)
{
    ASSERT_EQ(Hook_Set(63, Recorder), 0u);
    EXPECT_EQ(Hook_IsRegistered(63), 1u);
    gResult = 0;
    EXPECT_EQ(Hook_Fire(63, 7), 0u);
    EXPECT_EQ(gArgs.at(0), 7u);
    HookHandler out = nullptr;
    EXPECT_EQ(Hook_Query(63, &out), Recorder);
    EXPECT_EQ(out, Recorder);
    ASSERT_EQ(Hook_Set(63, nullptr), 0u);
    EXPECT_EQ(Hook_IsRegistered(63), 0u);
}

TEST_F(HookTest, UnsettingAnAdaptedHookLeavesTheAdapterButFiresNothing)
{
    Hook_Set(21, Recorder);
    Hook_Set(21, nullptr);
    EXPECT_EQ(Hook_GetHandler(21), Hook_NoOp);
    EXPECT_EQ(Hook_Fire(21, 3, 305), 1u);
    EXPECT_TRUE(gArgs.empty());
}

TEST_F(HookTest, AdaptersThatNeverCallTheApplication)
{
    for (HookId id : {22u, 60u, 75u}) {
        Hook_Set(id, Recorder);
        gResult = 0;
        EXPECT_EQ(Hook_Fire(id, 1, 2, 3), 1u) << id;
        EXPECT_TRUE(gArgs.empty()) << id;
    }
}

struct MenuPickCase {
    uintptr_t menu;
    uintptr_t command;
    uintptr_t wantMenu;
    uintptr_t wantCommand;
};

TEST_F(HookTest, MenuPickAdapterNamesKernelMenusByHundreds)
{
    Hook_Set(21, Recorder);
    Hook_Set(33, Recorder);
    const MenuPickCase cases[] = {{3, 305, 3, 305}, {10100, 10105, 10100, 10105}, {0, 207, 2, 207}};
    for (const MenuPickCase& c : cases) {
        for (HookId id : {21u, 33u}) {
            gArgs.clear();
            Hook_Fire(id, c.menu, c.command);
            ASSERT_EQ(gArgs.size(), 6u);
            EXPECT_EQ(gArgs[0], c.wantMenu) << id << " " << c.command;
            EXPECT_EQ(gArgs[1], c.wantCommand) << id << " " << c.command;
        }
    }
}

TEST_F(HookTest, KeyFilterAdapterMapsArrowsAndConsumesModifiers)
{
    Hook_Set(17, Recorder);
    unsigned long keysym = kKeySymFirstModifier;  // Shift_L
    char character = 'x';
    EXPECT_EQ(Hook_Fire(17, 0, reinterpret_cast<uintptr_t>(&keysym), reinterpret_cast<uintptr_t>(&character)), 0u);
    EXPECT_TRUE(gArgs.empty());
    const std::pair<unsigned long, char> arrows[] = {
        {kKeySymLeft, 28}, {kKeySymUp, 30}, {kKeySymRight, 29}, {kKeySymDown, 31}};
    for (auto [sym, expected] : arrows) {
        keysym = sym;
        character = 0;
        EXPECT_EQ(Hook_Fire(17, 0, reinterpret_cast<uintptr_t>(&keysym), reinterpret_cast<uintptr_t>(&character)),
                  1u);
        EXPECT_EQ(character, expected);
    }
    keysym = 'a';
    character = 'a';
    Hook_Fire(17, 0, reinterpret_cast<uintptr_t>(&keysym), reinterpret_cast<uintptr_t>(&character));
    EXPECT_EQ(character, 'a');
}

uintptr_t ChangeFirstWord(uintptr_t, uintptr_t rect, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    auto* words = reinterpret_cast<Fixed*>(rect);
    gArgs = {static_cast<uintptr_t>(words[0]), static_cast<uintptr_t>(words[1]), static_cast<uintptr_t>(words[2]),
             static_cast<uintptr_t>(words[3])};
    words[0] = 25;
    return 0;
}

TEST_F(HookTest, FitTextAdapterSwapsRectangleOrderBothWays)
{
    Hook_Set(56, ChangeFirstWord);
    FixRect rect{10, 20, 30, 40};
    EXPECT_EQ(Hook_Fire(56, 5, reinterpret_cast<uintptr_t>(&rect)), 1u);
    EXPECT_EQ(gArgs, (std::vector<uintptr_t>{20, 10, 40, 30}));
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 25);
    EXPECT_EQ(rect.right, 30);
    EXPECT_EQ(rect.bottom, 40);
}

TEST_F(HookTest, CreationAdapterPassesTheCreateMenuCommand)
{
    Hook_Set(11, Recorder);
    const std::pair<uintptr_t, uintptr_t> codes[] = {{29, 401}, {96, 401}, {32, 417}, {56, 411}, {12, 402}};
    for (auto [code, command] : codes) {
        gResult = 0;
        EXPECT_EQ(Hook_Fire(11, 0, code), 1u);
        EXPECT_EQ(gArgs.at(0), command) << code;
    }
}

int gTicks = 0;
uintptr_t Tick(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    ++gTicks;
    return 1;
}

TEST_F(HookTest, ApplicationTimerRunsOnTimer3WhileHook25IsSet)
{
    ASSERT_EQ(Timer_Initialize(), 0u);
    ASSERT_EQ(QXCall_Timer(Tick), 0u);
    EXPECT_EQ(Hook_IsRegistered(kHookTimer), 1u);
    EXPECT_EQ(Timer_CountWithId(kApplicationTimerId), 1u);
    gTicks = 0;
    QXCall_TimerTick(kApplicationTimerId, 0);  // no command in progress: the tick runs
    EXPECT_EQ(gTicks, 1);
    ASSERT_EQ(QXCall_Timer(nullptr), 0u);
    EXPECT_EQ(Hook_IsRegistered(kHookTimer), 0u);
    EXPECT_EQ(Timer_CountWithId(kApplicationTimerId), 0u);
    QXCall_TimerTick(kApplicationTimerId, 0);
    EXPECT_EQ(gTicks, 1);
    EXPECT_EQ(QXCall_Timer(nullptr), 0u);  // stopping twice still clears the hook
}

}  // namespace
