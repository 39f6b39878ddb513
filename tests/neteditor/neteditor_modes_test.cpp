// The mode switch fills the kernel's hook slots: the editor set, the
// simulator set that empties the editor-only slots, and modes that install
// nothing.
#include <gtest/gtest.h>

#include <initializer_list>

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/HookHandlers.h"
#include "atolq/CEditor/ModeHooks.h"
#include "xkv/kv/Hook.h"

namespace {

class ModeHooksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Hook_ClearTable();
        Hook_InitTable();
        EE_InstallEditorHookHandlers();
    }
    void TearDown() override
    {
        QXCall_Timer(nullptr);
        for (HookId id = 0; id < kHookCount; ++id)
            Hook_Unregister(id);
        GE_SetMode(0);
    }
    static void ExpectRegistered(std::initializer_list<HookId> hooks, uint32_t registered)
    {
        for (HookId hook : hooks)
            EXPECT_EQ(Hook_IsRegistered(hook), registered) << "hook " << hook;
    }
};

constexpr std::initializer_list<HookId> kEditorHooks = {17, 25, 55, 16, 28, 14, 37, 47, 63, 69, 40, 76, 71, 41};

TEST_F(ModeHooksTest, EditorModeInstallsTheEditorSet)
{
    GE_SetModeHooks(kGEModeEditor);
    EXPECT_EQ(GE_GetMode(), kGEModeEditor);
    ExpectRegistered(kEditorHooks, 1);
    EXPECT_EQ(Hook_GetApplicationHandler(17), EE_KeyFilter);
    EXPECT_EQ(Hook_GetApplicationHandler(41), EE_DeleteHook);
    EXPECT_EQ(Hook_GetApplicationHandler(40), EE_DeleteHook);
    ExpectRegistered({57, 21, 6}, 0);
}

TEST_F(ModeHooksTest, SimulatorEmptiesEditorOnlySlotsAndKeepsShared)
{
    GE_SetModeHooks(kGEModeEditor);
    GE_SetModeHooks(kGEModeSimulator);
    EXPECT_EQ(GE_GetMode(), kGEModeSimulator);
    ExpectRegistered({8, 9, 7, 40, 78, 57, 17, 25}, 0);
    EXPECT_EQ(Hook_Fire(40, 1), 1u);  // an empty slot allows
    ExpectRegistered({55, 16, 63, 37, 76, 41}, 1);
    GE_SetModeHooks(kGEModeEditor);
    ExpectRegistered(kEditorHooks, 1);
}

TEST_F(ModeHooksTest, OtherModesAreStoredAndInstallNothing)
{
    GE_SetModeHooks(3);
    EXPECT_EQ(GE_GetMode(), 3);
    ExpectRegistered(kEditorHooks, 0);
}

TEST_F(ModeHooksTest, SelectFilterTogglesWithAllBits)
{
    ASSERT_EQ(GE_SelectFilterOn(), 1);
    EXPECT_EQ(EE_SelectFilter(UINT32_MAX, 0, 0, 0, 0, 0), 1u);
    EXPECT_EQ(GE_SelectFilterOn(), 0);
    EXPECT_EQ(EE_SelectFilter(12345, 0, 0, 0, 0, 0), 1u);  // off: everything is accepted
    EE_SelectFilter(UINT32_MAX, 0, 0, 0, 0, 0);
    EXPECT_EQ(GE_SelectFilterOn(), 1);
}

struct KeyCase {
    const char* name;
    unsigned long keysym;
    int32_t shift;
    uintptr_t result;
};

class KeyFilterTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyFilterTest, PassesOrConsumesOutsideTextEditing)
{
    const KeyCase& c = GetParam();
    int32_t modifiers[4] = {c.shift, 0, 0, 0};
    unsigned long keysym = c.keysym;
    char character = 0;
    EXPECT_EQ(EE_KeyFilter(reinterpret_cast<uintptr_t>(modifiers), reinterpret_cast<uintptr_t>(&keysym),
                           reinterpret_cast<uintptr_t>(&character), 0, 0, 0),
              c.result);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyFilterTest,
                         ::testing::Values(KeyCase{"FunctionKeyPasses", 0xFFBE, 0, 1},
                                           KeyCase{"LetterPasses", 'a', 0, 1},
                                           KeyCase{"ShiftArrowWithoutTextPasses", 0xFF53, 1, 1},
                                           KeyCase{"KeypadEnterOutsideRegionTypingPasses", 0xFF8D, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeyFilterEdges, NullKeysymPasses)
{
    EXPECT_EQ(EE_KeyFilter(0, 0, 0, 0, 0, 0), 1u);
}

}  // namespace
