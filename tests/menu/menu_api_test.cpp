// The menu programming interface and the pick: lookups, item and menu
// changes, the enabled state of a menu from its items, and what a pick hands
// to hook 21, the command layer and the net layer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MenuFixture.h"
#include "xkv/kv/Hook.h"

#include <X11/X.h>

namespace {

std::vector<CommandId> ItemIds(int32_t menuId)
{
    Menu* menu = nullptr;
    Menu_FindMenu(menuId, &menu);
    std::vector<CommandId> ids;
    for (const auto& item : menu->items) {
        ids.push_back(item->commandId);
    }
    return ids;
}

std::vector<int32_t> MenuIds()
{
    std::vector<int32_t> ids;
    for (const auto& menu : Menu_List()) {
        ids.push_back(menu->menuId);
    }
    return ids;
}

TEST_F(MenuTest, Lookups)
{
    int32_t menuId = 0;
    CommandId command = 0;
    ASSERT_EQ(Menu_FindItemByRequest(24, &menuId, &command), kStatusOk);
    EXPECT_EQ(menuId, 2);
    EXPECT_EQ(command, 204);
    EXPECT_EQ(Menu_FindItemByRequest(9999, &menuId, &command), kStatusNotFound);
    EXPECT_EQ(Menu_FindItem(11250, nullptr, nullptr), kStatusNotFound);

    uint16_t index = 0;
    EXPECT_EQ(Menu_MenuIndex(9, &index), kStatusOk);
    EXPECT_EQ(index, 7);
    EXPECT_EQ(Menu_MenuIndex(10300, &index), kStatusNotFound);
    EXPECT_EQ(index, 65535);
    uint16_t menuIndex = 0;
    uint16_t itemIndex = 0;
    ASSERT_EQ(Menu_ItemPosition(614, &menuIndex, &itemIndex), kStatusOk);
    EXPECT_EQ(menuIndex, 4);
    EXPECT_EQ(itemIndex, 5);
    uint16_t id = 0;
    EXPECT_EQ(Menu_ItemIdAt(4, 5, &id), kStatusOk);
    EXPECT_EQ(id, 614);
    EXPECT_EQ(Menu_ItemIdAt(4, 14, &id), kStatusNotFound);
    EXPECT_EQ(Menu_MenuIdAt(8, &menuId), kStatusNotFound);
    int32_t request = 0;
    EXPECT_EQ(Menu_TableRequest(313, &request), kStatusOk);  // in no menu, but in the table
    EXPECT_EQ(request, 87);
    EXPECT_EQ(Menu_TableRequest(10303, &request), kStatusOk);
    EXPECT_EQ(request, 0);
}

TEST_F(MenuTest, MenuFollowsItsEnabledItems)
{
    Menu* align = MenuOf(9);
    const std::vector<CommandId> ids = ItemIds(9);
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(align->enabled, 1) << i;
        ASSERT_EQ(Menu_SetItemEnabled(ids[i], 0), kStatusOk);
    }
    EXPECT_EQ(align->enabled, 0);
    Menu_SetItemEnabled(905, 1);
    EXPECT_EQ(align->enabled, 1);
    EXPECT_EQ(Menu_SetItemEnabled(11250, 1), kStatusNotFound);
}

TEST_F(MenuTest, NewItemForAnExistingCommandChangesNothing)
{
    EXPECT_EQ(Menu_NewItem(3, 204, "Other", 1, 0, 0, 5, kCommandListEnd), kStatusOk);
    EXPECT_EQ(ItemIds(3).size(), 10u);
    EXPECT_EQ(Item(204)->label, "Save");

    EXPECT_EQ(Menu_NewItem(3, 11653, "Scroll", 1, 0, 0, 0, 303), kStatusOk);
    EXPECT_EQ(ItemIds(3)[2], 11653);
    EXPECT_EQ(Menu_NewItem(77, 11652, "x", 1, 0, 0, 0, kCommandListEnd), kStatusNotFound);
    EXPECT_EQ(Menu_NewItem(3, 11652, "x", 1, 0, 0, 0, 204), kStatusNotFound);  // 204 is not in Edit
    EXPECT_EQ(Menu_ItemExists(11652), 0u);
    // Menu_NewItem loads the command's keys; Menu_InsertItem does not.
    EXPECT_EQ(Item(11653)->acceleratorLabel, "");
    ASSERT_EQ(Menu_NewItem(3, 11651, "Open Page", 1, 0, 0, 0, kCommandListEnd), kStatusOk);
    EXPECT_EQ(Item(11651)->acceleratorLabel, "Alt+Y");
    ASSERT_EQ(Menu_InsertItem(3, 11853, "Select", 1, 0, 0, 0, kCommandListEnd), kStatusOk);
    EXPECT_EQ(Item(11853)->acceleratorLabel, "");
}

TEST_F(MenuTest, InsertTableMenuAppendsSimWithItsKeys)
{
    ASSERT_EQ(Menu_InsertTableMenu(10300, kMenuListEnd), kStatusOk);
    EXPECT_EQ(MenuIds().back(), 10300);
    EXPECT_EQ(ItemIds(10300).size(), 22u);
    EXPECT_EQ(Item(10309)->acceleratorLabel, "Alt+D");
    Menu* menu = nullptr;
    MenuItem* item = nullptr;
    ASSERT_EQ(Accel_Lookup(Key("D"), &menu, &item), kStatusOk);
    EXPECT_EQ(item->commandId, 10309);
    const uint32_t count = Accel_Count();
    EXPECT_EQ(Menu_InsertTableMenu(10300, 2), kStatusOk);  // present: nothing happens
    EXPECT_EQ(MenuIds().back(), 10300);
    Accel_LoadAll();
    EXPECT_EQ(Accel_Count(), count);
    EXPECT_EQ(Menu_InsertTableMenu(12345, kMenuListEnd), kStatusNotFound);
}

TEST_F(MenuTest, MovingAndReplacingMenus)
{
    EXPECT_EQ(Menu_MoveMenu(10300, 2), kStatusBadArgument);
    EXPECT_EQ(Menu_MoveMenu(9, 10300), kStatusNotFound);
    EXPECT_EQ(Menu_MoveMenu(9, 9), kStatusOk);
    ASSERT_EQ(Menu_MoveMenu(9, 2), kStatusOk);
    EXPECT_EQ(MenuIds(), (std::vector<int32_t>{9, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_EQ(Menu_MoveMenu(9, kMenuListEnd), kStatusOk);
    EXPECT_EQ(MenuIds(), (std::vector<int32_t>{2, 3, 4, 5, 6, 7, 8, 9}));

    ASSERT_EQ(Menu_ReplaceMenu(4, 10100), kStatusOk);
    EXPECT_EQ(MenuIds(), (std::vector<int32_t>{2, 3, 10100, 5, 6, 7, 8, 9}));
    EXPECT_EQ(Item(10101)->acceleratorLabel, "Alt+E");
    EXPECT_EQ(Menu_ItemExists(402), 0u);
    EXPECT_EQ(Menu_DeleteMenu(10100), kStatusOk);
    EXPECT_EQ(Menu_DeleteMenu(10100), kStatusOk);
    EXPECT_EQ(Menu_NewMenu(50, "Mine", 1, 3), kStatusOk);
    EXPECT_EQ(MenuIds(), (std::vector<int32_t>{2, 50, 3, 5, 6, 7, 8, 9}));
    EXPECT_EQ(Menu_NewMenu(51, "Lost", 1, 4), kStatusNotFound);
    EXPECT_EQ(Menu_MenuExists(51), 0u);
}

TEST_F(MenuTest, MovingReplacingAndDeletingItems)
{
    ASSERT_EQ(Menu_MoveItem(901, 3, 303), kStatusOk);
    EXPECT_EQ(ItemIds(3)[2], 901);
    ASSERT_EQ(Menu_MoveItem(901, 2, kCommandListEnd), kStatusOk);
    EXPECT_EQ(ItemIds(2).back(), 901);
    EXPECT_EQ(Menu_MoveItem(901, 77, kCommandListEnd), kStatusNotFound);
    EXPECT_EQ(Menu_MoveItem(901, 2, 11250), kStatusNotFound);
    EXPECT_EQ(ItemIds(2).back(), 901);  // a failed lookup changes nothing

    ASSERT_EQ(Menu_ReplaceItem(801, 811), kStatusOk);
    EXPECT_EQ(ItemIds(8)[0], 811);
    EXPECT_EQ(Item(811)->requestNumber, 115);
    EXPECT_EQ(Menu_ItemExists(801), 0u);
    ASSERT_EQ(Menu_ReplaceItem(811, 811), kStatusOk);
    EXPECT_EQ(ItemIds(8)[0], 811);
    EXPECT_EQ(Menu_ReplaceItem(811, 11250), kStatusNotFound);

    ASSERT_EQ(Menu_InsertTableItem(313, 9999, 3), kStatusOk);
    EXPECT_EQ(ItemIds(3).back(), 313);
    EXPECT_EQ(Menu_DeleteItem(313), kStatusOk);
    EXPECT_EQ(Menu_DeleteItem(313), kStatusNotFound);
}

TEST_F(MenuTest, LabelsMarksTitlesAndKernelMenus)
{
    ASSERT_EQ(Menu_SetItemLabel(701, "Ungroup"), kStatusOk);
    EXPECT_EQ(Item(701)->label, "Ungroup");
    ASSERT_EQ(Menu_SetItemLabel(701, nullptr), kStatusOk);
    EXPECT_FALSE(Item(701)->hasLabel);
    EXPECT_EQ(Menu_SetItemMark(517, 1), kStatusNotFound);
    ASSERT_EQ(Menu_SetItemMark(509, 1), kStatusOk);
    EXPECT_EQ(Menu_GetItemMark(509), 1);
    EXPECT_EQ(Menu_GetItemMark(517), 0);
    ASSERT_EQ(Menu_SetMenuTitle(2, "Datei"), kStatusOk);
    EXPECT_EQ(MenuOf(2)->title, "Datei");

    ASSERT_EQ(Menu_InsertTableMenu(10300, kMenuListEnd), kStatusOk);
    Menu_EnableKernelMenus(0);
    EXPECT_EQ(MenuOf(2)->enabled, 0);
    EXPECT_FALSE(Enabled(204));
    EXPECT_EQ(MenuOf(10300)->enabled, 1);
    EXPECT_TRUE(Enabled(10303));
    ASSERT_EQ(Menu_SetMenuEnabled(10300, 0, 1), kStatusOk);
    EXPECT_FALSE(Enabled(10303));
}

// ---- The pick ----

TEST_F(MenuTest, PickingSaveReachesHook21AndTheCommandLayer)
{
    HoldModifiers(ShiftMask);
    ASSERT_EQ(Menu_PickCommand(0, 204), kStatusOk);
    EXPECT_EQ(Comm_GetPendingCommand(), 24);
    Drain();
    const auto calls = World().CallsOf(kHookMenuPick);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].a, 2u);
    EXPECT_EQ(calls[0].b, 204u);
    EXPECT_EQ(World().log, (std::vector<std::string>{"cancel", "command 24"}));
    ASSERT_EQ(World().commands.size(), 1u);
    EXPECT_EQ(World().commands[0].shift, 1u);
    EXPECT_EQ(World().commands[0].control, 0u);
    HoldModifiers(0);
}

TEST_F(MenuTest, RefusedDisabledAndNetPicks)
{
    World().hookResult = 0;
    Menu_PickCommand(0, 204);
    Drain();
    EXPECT_EQ(World().CallsOf(kHookMenuPick).size(), 1u);
    EXPECT_EQ(World().Count("command 24"), 0);

    ResetWorld();
    Menu_SetItemEnabled(204, 0);
    Menu_PickCommand(0, 204);
    Drain();
    EXPECT_TRUE(World().hookCalls.empty());
    EXPECT_EQ(World().log, (std::vector<std::string>{"cancel"}));

    ResetWorld();
    ASSERT_EQ(Menu_InsertTableMenu(10300, kMenuListEnd), kStatusOk);
    Menu_PickCommand(0, 10303);
    Drain();
    ASSERT_EQ(World().CallsOf(kHookMenuPick).size(), 1u);
    EXPECT_EQ(World().CallsOf(kHookMenuPick)[0].a, 10300u);
    EXPECT_EQ(World().CallsOf(kHookMenuPick)[0].b, 10303u);
    EXPECT_TRUE(World().commands.empty());
}

TEST_F(MenuTest, AnEnabledSeparatorIsPickedAsNothing)
{
    Menu* file = MenuOf(2);
    MenuItem* separator = file->items[6].get();
    ASSERT_EQ(separator->commandId, 207);
    ASSERT_EQ(separator->enabled, 1);
    EXPECT_EQ(Menu_DoPick(file, separator), kStatusOk);
    ASSERT_EQ(World().CallsOf(kHookMenuPick).size(), 1u);
    EXPECT_EQ(World().CallsOf(kHookMenuPick)[0].a, 0u);
    EXPECT_EQ(World().CallsOf(kHookMenuPick)[0].b, 0u);
    EXPECT_TRUE(World().commands.empty());
}

TEST_F(MenuTest, RepeatLastPickReportsToHook33)
{
    Menu_PickCommand(0, 603);
    Menu_RepeatLastPick(0);
    EXPECT_TRUE(World().CallsOf(kHookMenuPickNotify).empty());
    Menu_RepeatLastPick(1);
    ASSERT_EQ(World().CallsOf(kHookMenuPickNotify).size(), 1u);
    EXPECT_EQ(World().CallsOf(kHookMenuPickNotify)[0].a, 6u);
    EXPECT_EQ(World().CallsOf(kHookMenuPickNotify)[0].b, 603u);
}

}  // namespace
