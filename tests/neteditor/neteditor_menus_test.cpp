// The net layer started the kernel's way: hook 80 takes the options, hook 85
// and the first mode are installed, the kernel's menus become the net
// editor's, and picks reach the net layer's dispatch through hook 21.
#include <gtest/gtest.h>

#include <string>

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/NetOptions.h"
#include "atolq/CEditor/NetStartup.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/Hook.h"
#include "xkv/menu/Menu.h"

namespace {

class NetStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const KernelStatus commReady = Comm_Initialize();
        ASSERT_EQ(commReady, kStatusOk);
        ASSERT_EQ(Menu_LoadBar(1), kStatusOk);
        EE_ClearPendingError();
        ASSERT_EQ(KV_Initialize(), 0);
        ASSERT_EQ(Hook_IsRegistered(kHookArgv), 1u);
        char program[] = "tolq";
        char newsim[] = "-newsim";
        char* argv[] = {program, newsim, nullptr};
        int argc = 2;
        Hook_Fire(kHookArgv, reinterpret_cast<uintptr_t>(&argc), reinterpret_cast<uintptr_t>(argv));
        EXPECT_EQ(argc, 1);
        KV_StartApplication();
    }
    void TearDown() override
    {
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
    static int32_t MenuOfItem(CommandId command)
    {
        Menu* menu = nullptr;
        MenuItem* item = nullptr;
        Menu_FindItem(command, &item, &menu);
        return menu != nullptr ? menu->menuId : 0;
    }
    static std::string Title(int32_t id)
    {
        Menu* menu = nullptr;
        Menu_FindMenu(id, &menu);
        return menu != nullptr ? menu->title : "<none>";
    }
};

TEST_F(NetStartTest, StartsInTheEditorWithItsHooks)
{
    EXPECT_EQ(GE_GetMode(), kGEModeEditor);
    EXPECT_EQ(Hook_IsRegistered(kHookCommandPages), 1u);
    EXPECT_EQ(Hook_GetApplicationHandler(kHookMenuPick), EE_MenuPick);
    EXPECT_EQ(Hook_GetApplicationHandler(kHookMenuRefresh), EE_EditorMenuRefresh);
    EXPECT_EQ(GE_Options().newSim, 1u);
}

TEST_F(NetStartTest, MenuBarHoldsTheNetMenusInPlace)
{
    uint16_t tolq = 0, set = 0, aux = 0, makeup = 0;
    ASSERT_EQ(Menu_MenuIndex(kGEMenuTolq, &tolq), kStatusOk);
    ASSERT_EQ(Menu_MenuIndex(kGEMenuSet, &set), kStatusOk);
    ASSERT_EQ(Menu_MenuIndex(4, &aux), kStatusOk);
    ASSERT_EQ(Menu_MenuIndex(5, &makeup), kStatusOk);
    EXPECT_EQ(tolq + 1, aux);
    EXPECT_EQ(set + 1, makeup);
    EXPECT_EQ(Title(4), "Aux");
    EXPECT_EQ(Title(kGEMenuTolq), "TOLQ");
    EXPECT_NE(Item(10117), nullptr);
}

struct ItemCase {
    CommandId command;
    int32_t menu;  // 0: the item is gone
    const char* label;
};

TEST_F(NetStartTest, KernelMenusAreEditedIntoTheNetEditors)
{
    const ItemCase cases[] = {
        {11250, 2, "Enter Simulator"}, {11264, 2, "Enter NewSim"}, {208, 3, "Get Info"},
        {609, 5, "Parent Object"}, {706, 5, "Duplicate Node"}, {802, 5, "Fit to Text"},
        {914, 9, "Position..."}, {11455, 4, "Start ML"}, {304, 3, "Copy                "},
        {207, 0, nullptr}, {707, 0, nullptr}, {601, 0, nullptr}, {810, 0, nullptr},
    };
    for (const ItemCase& c : cases) {
        EXPECT_EQ(MenuOfItem(c.command), c.menu) << c.command;
        if (c.label != nullptr && Item(c.command) != nullptr) {
            EXPECT_EQ(Item(c.command)->label, c.label) << c.command;
        }
    }
    ASSERT_NE(Item(11261), nullptr);
    EXPECT_EQ(Item(11261)->enabled, 0);
    EXPECT_EQ(Item(11262)->enabled, 1);
}

TEST_F(NetStartTest, PickWithoutDiagramIsRefusedByTheNetLayer)
{
    uint16_t count = 0;
    uint32_t* pages = nullptr;
    EXPECT_EQ(EE_GetSelectedPages(&count, &pages), 0);
    EXPECT_EQ(count, 0);
    // The TOLQ and Set handlers refuse without a diagram; the kernel gets nothing.
    EXPECT_EQ(GE_DispatchPick(kGEMenuTolq, 10117, true), -1);
    EXPECT_EQ(GE_DispatchPick(kGEMenuSet, 10201, true), -1);
    EXPECT_EQ(EE_MenuPick(kGEMenuTolq, 10117, 0, 0, 0, 0), 0u);
    EXPECT_EQ(Menu_PickCommand(0, 10117), kStatusOk);
    EXPECT_EQ(EE_GetPendingError(), 0);
}

TEST_F(NetStartTest, StartHandlerLeavesTheTolqMenuToTheKernel)
{
    EXPECT_EQ(EE_StartMenuPick(kGEMenuTolq, 10117, 0, 0, 0, 0), 1u);
    EXPECT_EQ(EE_MenuPick(1, 101, 0, 0, 0, 0), 1u);
    EXPECT_EQ(EE_MenuPick(10300, 10301, 0, 0, 0, 0), 1u);
}

TEST_F(NetStartTest, RemovingTheEditorMenusEmptiesHook21)
{
    EE_RemoveEditorMenus();
    EXPECT_EQ(Hook_IsRegistered(kHookMenuPick), 0u);
    EXPECT_EQ(Hook_IsRegistered(kHookMenuRefresh), 0u);
    EXPECT_FALSE(Menu_MenuExists(kGEMenuTolq));
    EE_InstallEditorMenus();
    EXPECT_TRUE(Menu_MenuExists(kGEMenuTolq));
}

TEST_F(NetStartTest, RefreshDisablesTheNetMenusWithoutADiagram)
{
    GE_SetStateFlags(kGEMenusStale | kGESetMenuEnabled | kGENetMenuEnabled);
    int32_t changed = -1;
    EE_EditorMenuRefresh(reinterpret_cast<uintptr_t>(&changed), 0, 0, 0, 0, 0);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(GE_TestStateFlags(kGEMenusStale | kGESetMenuEnabled | kGENetMenuEnabled), 0);
    Menu* set = nullptr;
    Menu_FindMenu(kGEMenuSet, &set);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->enabled, 0);
    EE_EditorMenuRefresh(reinterpret_cast<uintptr_t>(&changed), 0, 0, 0, 0, 0);
    EXPECT_EQ(changed, 0);  // bit 16 clear: nothing is recomputed
}

TEST_F(NetStartTest, UnexpectedEntryKindsAreReported)
{
    EXPECT_EQ(QVmountopen(1, 10100, 10117), 0u);
    EXPECT_EQ(EE_GetPendingError(), 0);
    QVmountopen(1, 2, 11250);
    EXPECT_EQ(EE_GetPendingError(), 16392);
    EE_ClearPendingError();
    QVmountopen(2, 0, 0);
    EXPECT_EQ(EE_GetPendingError(), 16391);
    EE_ClearPendingError();
    QVmountopen(9, 0, 0);
    EXPECT_EQ(EE_GetPendingError(), 16393);
    EE_ClearPendingError();
    EXPECT_EQ(GE_StartMode(5), 0u);
    EXPECT_EQ(EE_GetPendingError(), 16388);
}

struct LabelCase {
    uint16_t menu;
    int16_t command;
    const char* label;
};

TEST(DispatchTable, EveryPendingNetCommandHasItsLabel)
{
    const LabelCase cases[] = {
        {2, 11250, ""}, {3, 301, ""}, {4, 11452, ""}, {4, 11453, ""},
        {4, 11455, ""}, {2, 11263, ""}, {5, 515, ""}, {5, 506, ""},
        {6, 604, ""}, {9, 11954, ""}, {10100, 10112, ""}, {10100, 10113, ""},
        {10200, 10214, ""}, {10100, 10119, ""},
        {10200, 10224, ""}, {10200, 10221, ""}, {10100, 10108, ""}, {10100, 10117, ""},
        {2, 201, ""},
        {1, 101, ""},
    };
    for (const LabelCase& c : cases)
        EXPECT_EQ(GE_PendingCommandLabel(c.menu, c.command), c.label) << c.command;
}

TEST(ToolItem, NameBetweenTheLastTwoSlashes)
{
    EXPECT_EQ(GE_ToolItemName("/opt/tools/Analysis/run.sml"), "Analysis");
    EXPECT_EQ(GE_ToolItemName("/run.sml"), "");
    EXPECT_EQ(GE_ToolItemName("run.sml"), "");
    EXPECT_EQ(GE_ToolItemName(""), "");
    EXPECT_EQ(GE_ToolItemName("//x"), "");
}

}  // namespace
