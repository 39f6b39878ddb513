// The simulator's menus in process, with the net layer started the kernel's
// way: the Sim menu put in before Aux and taken out again, the item states
// the menu refresh gives with stale code or a spoiled state, and with no
// diagram; the status suffix with its cached step; the five-state option
// words; the mode installer giving the simulator's hooks their slots.
#include <gtest/gtest.h>

#include <string>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/HookHandlers.h"
#include "atolq/CEditor/ModeHooks.h"
#include "atolq/CEditor/NetMenus.h"
#include "atolq/CSimulator/SimDispatch.h"
#include "atolq/CSimulator/SimHooks.h"
#include "atolq/CSimulator/SimMenus.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimStatus.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXStr.h"
#include "xkv/menu/Menu.h"
#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"

namespace {

class SimulatorMenusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const KernelStatus commReady = Comm_Initialize();
        ASSERT_EQ(commReady, kStatusOk);
        ASSERT_EQ(Menu_LoadBar(1), kStatusOk);
        EE_ClearPendingError();
        ASSERT_EQ(KV_Initialize(), 0);
        char program[] = "tolq";
        char* argv[] = {program, nullptr};
        int argc = 1;
        Hook_Fire(kHookArgv, reinterpret_cast<uintptr_t>(&argc), reinterpret_cast<uintptr_t>(argv));
        KV_StartApplication();
        EE_RemoveEditorMenus();
    }
    void TearDown() override
    {
        SSetReswitchNeeded(0);
        SSetStateInvalid(0);
        if (modelMade_) {
            if (Model_GetRoot() != 0)
                Model_DestroyTree(Model_GetRoot());
            Default_Shutdown();
            Model_DestroyTable();
            Group_DestroyTable();
        }
        Comm_ProcessEvents();
        QXCall_Timer(nullptr);
        for (HookId id = 0; id < kHookCount; ++id)
            Hook_Unregister(id);
        Menu_Shutdown();
        EE_ClearPendingError();
    }
    static MenuItem* Item(CommandId command)
    {
        MenuItem* item = nullptr;
        Menu_FindItem(command, &item, nullptr);
        return item;
    }
    static bool Enabled(CommandId command)
    {
        const MenuItem* item = Item(command);
        return item != nullptr && item->enabled == 1;
    }
    static Menu* MenuWithId(int32_t id)
    {
        Menu* menu = nullptr;
        Menu_FindMenu(id, &menu);
        return menu;
    }
    void MakeDiagram()
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        modelMade_ = true;
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        ASSERT_NE(QXStr_CreatePageOpt(1, 0), 0u);
        ASSERT_NE(QXStr_HasDiagram(), 0u);
        QXStr_SetModified(0);
    }
    bool modelMade_ = false;

    static void Refresh()
    {
        int32_t changed = 0;
        SMenuRefresh(reinterpret_cast<uintptr_t>(&changed), 0, 0, 0, 0, 0);
    }
};

TEST_F(SimulatorMenusTest, SimMenuComesBeforeAuxAndGoesWithItsHooks)
{
    SInstallSimMenu();
    uint16_t sim = 0, aux = 0;
    ASSERT_EQ(Menu_MenuIndex(kSMenuSim, &sim), kStatusOk);
    ASSERT_EQ(Menu_MenuIndex(4, &aux), kStatusOk);
    EXPECT_EQ(sim + 1, aux);
    ASSERT_NE(MenuWithId(kSMenuSim), nullptr);
    EXPECT_EQ(MenuWithId(kSMenuSim)->title, "Sim");
    for (CommandId command : {10301, 10303, 10312, 10317, 10322})
        EXPECT_NE(Item(command), nullptr) << command;
    ASSERT_NE(Item(11250), nullptr);
    EXPECT_EQ(Item(11250)->label, "Enter Editor");
    EXPECT_EQ(Hook_GetApplicationHandler(kHookMenuPick), SMenuPickHook);
    EXPECT_EQ(Hook_GetApplicationHandler(kHookMenuRefresh), SMenuRefresh);
    EXPECT_EQ(SCurrentActivity(), kSActivityNone) << "no diagram, no activity";

    SRemoveSimMenu();
    EXPECT_EQ(MenuWithId(kSMenuSim), nullptr);
    EXPECT_EQ(Item(10303), nullptr);
    EXPECT_EQ(Item(11250)->label, "Enter Simulator");
    EXPECT_EQ(Hook_IsRegistered(kHookMenuPick), 0u);
    EXPECT_EQ(Hook_IsRegistered(kHookMenuRefresh), 0u);
}

TEST_F(SimulatorMenusTest, WithoutADiagramTheEditMenusAndTheSimMenuAreOff)
{
    SInstallSimMenu();
    Refresh();
    for (int32_t menu : {3, 4, 5, 6, 7, 8, 9, kSMenuSim})
        EXPECT_EQ(MenuWithId(menu)->enabled, 0) << menu;
    for (CommandId command : {11250, 220, 11256})
        EXPECT_TRUE(Enabled(command)) << command;
    EXPECT_FALSE(Enabled(204)) << "Save";
}

// Item states of the Sim menu after a refresh, for the two flags that
// restrict it.
struct FlagCase {
    const char* name;
    int reswitchNeeded;
    int stateInvalid;
    std::vector<CommandId> enabled;
    std::vector<CommandId> disabled;
};

class SimMenuFlagsTest : public SimulatorMenusTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(SimMenuFlagsTest, RefreshGivesTheItemsTheirStates)
{
    ASSERT_NO_FATAL_FAILURE(MakeDiagram());
    SInstallSimMenu();
    SSetReswitchNeeded(GetParam().reswitchNeeded);
    SSetStateInvalid(GetParam().stateInvalid);
    Refresh();
    for (CommandId command : GetParam().enabled)
        EXPECT_TRUE(Enabled(command)) << command << " should be enabled";
    for (CommandId command : GetParam().disabled)
        EXPECT_FALSE(Enabled(command)) << command << " should be disabled";
    // Setting either flag marks the diagram modified.
    EXPECT_EQ(QXStr_IsModified() != 0, GetParam().reswitchNeeded != 0 || GetParam().stateInvalid != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, SimMenuFlagsTest,
    ::testing::Values(
        FlagCase{"Neither", 0, 0, {10301, 10303, 10312, 10317, 10318, 11255, 11256}, {10322, 201, 204}},
        FlagCase{"StaleCode", 1, 0, {10322, 11256}, {10301, 10302, 10303, 10305, 10311, 10312, 10317, 10318, 11255}},
        FlagCase{"SpoiledState",
                 0,
                 1,
                 {10312, 10317, 10318, 11256},
                 {10301, 10302, 10303, 10305, 10306, 10308, 10309, 10311, 10314, 10315, 10320, 10322, 11255}}),
    [](const ::testing::TestParamInfo<FlagCase>& info) { return std::string(info.param.name); });

// ---- status line ----

TEST(SimulatorStatus, StepIsShownFromItsCacheUntilReadAgain)
{
    SForgetStatusTexts();
    GE_SetErrorCount(7);
    std::string suffix;
    EXPECT_FALSE(SStatusSuffix(&suffix, kSNoTime, kSNoStep)) << "step mode 3 never shows the step";
    EXPECT_EQ(suffix, "");
    ASSERT_TRUE(SStatusSuffix(&suffix, kSNoTime, kSStepShown));
    EXPECT_EQ(suffix, "   Step: 7");
    GE_SetErrorCount(9);
    SStatusSuffix(&suffix, kSNoTime, kSStepShown);
    EXPECT_EQ(suffix, "   Step: 7") << "the cached step stays until it is read again";
    SStatusSuffix(&suffix, kSNoTime, kSStepRefreshed);
    EXPECT_EQ(suffix, "   Step: 9");
    // Without an evaluator the time is never asked for.
    SStatusSuffix(&suffix, kSTimeRefreshed, kSNoStep);
    EXPECT_EQ(suffix, "");
    GE_SetErrorCount(0);
    SForgetStatusTexts();
}

// ---- five-state option words ----

struct FiveStateCase {
    int32_t state;
    int32_t read;
    int32_t afterRead;
    int32_t changedOn;
    int32_t changedOff;
};

TEST(SimulatorOptions, FiveStateWordsReadAndChange)
{
    const FiveStateCase cases[] = {
        {0, 0, 2, 3, 3}, {1, 1, 1, 1, 1}, {2, 0, 2, 4, 3}, {3, 0, 2, 3, 3}, {4, 1, 2, 4, 4},
    };
    for (const FiveStateCase& c : cases) {
        int32_t state = c.state;
        int32_t value = -1;
        SOptionRead(&state, &value);
        EXPECT_EQ(value, c.read) << "state " << c.state;
        EXPECT_EQ(state, c.afterRead) << "state " << c.state;
        state = c.state;
        SOptionChange(&state, 1);
        EXPECT_EQ(state, c.changedOn) << "state " << c.state;
        state = c.state;
        SOptionChange(&state, 0);
        EXPECT_EQ(state, c.changedOff) << "state " << c.state;
    }
    // States above 4 are left alone and give nothing.
    int32_t state = 7;
    int32_t value = -1;
    SOptionRead(&state, &value);
    EXPECT_EQ(state, 7);
    EXPECT_EQ(value, -1);
}

TEST(SimulatorOptions, FirstRunOptionZeroBecomesTwo)
{
    SEInitPools();
    SERoot* root = SEStart();
    ASSERT_NE(root, nullptr);
    const struct {
        int32_t word;
        int active;
        int32_t after;
    } cases[] = {{0, 0, 2}, {1, 1, 1}, {2, 0, 2}, {3, 1, 3}};
    for (const auto& c : cases) {
        root->runOptions[0] = c.word;
        EXPECT_EQ(SRunOptionActive(), c.active) << c.word;
        EXPECT_EQ(root->runOptions[0], c.after) << c.word;
    }
    SEStop();
}

// ---- the simulator's hook slots ----

TEST(SimulatorHooks, ModeTwoInstallsTheSimulatorsHandlersAndModeOneTakesThemAway)
{
    Hook_ClearTable();
    Hook_InitTable();
    EE_InstallEditorHookHandlers();
    SInstallSimulatorHookHandlers();
    GE_SetModeHooks(kGEModeSimulator);
    EXPECT_EQ(Hook_GetApplicationHandler(17), SKeyFilter);
    EXPECT_EQ(Hook_GetApplicationHandler(47), STextEditCheck);
    EXPECT_EQ(Hook_GetApplicationHandler(50), SRefuseRequest);
    EXPECT_EQ(SRefuseRequest(1, 0, 0, 0, 0, 0), 0u) << "requests are refused while simulating";
    GE_SetModeHooks(kGEModeEditor);
    EXPECT_EQ(Hook_GetApplicationHandler(17), EE_KeyFilter);
    EXPECT_EQ(Hook_GetApplicationHandler(47), EE_ReplaceCheck);
    EXPECT_EQ(Hook_GetApplicationHandler(50), EE_ConnectorDetail);
    // A slot the editor leaves empty is emptied, not left to the simulator.
    GE_SetEditorHookHandler(34, nullptr);
    GE_SetModeHooks(kGEModeSimulator);
    EXPECT_EQ(Hook_GetApplicationHandler(34), SPickFilter);
    GE_SetModeHooks(kGEModeEditor);
    EXPECT_EQ(Hook_IsRegistered(34), 0u);
    // The handlers stay handed in only for this test.
    for (HookId hook : {14, 17, 25, 28, 34, 47, 50, 62, 69, 71})
        GE_SetSimulatorHookHandler(hook, nullptr);
    EE_InstallEditorHookHandlers();
    QXCall_Timer(nullptr);
    for (HookId id = 0; id < kHookCount; ++id)
        Hook_Unregister(id);
    GE_SetMode(0);
}

}  // namespace
