// The menu rules: the opcodes of the interpreter, the static rules, and the
// rules the selection watcher applies as the selection changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MenuFixture.h"
#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/menu/MenuInternal.h"
#include "xkv/model/Model.h"

namespace {

constexpr MenuRuleAction kEnd{1, 0, 0, 0, 0};

void RunActions(std::vector<MenuRuleAction> actions, uintptr_t argument = 0)
{
    actions.push_back(kEnd);
    Menu_RunActions(actions.data(), argument);
}

std::vector<int32_t> MenuIds()
{
    std::vector<int32_t> ids;
    for (const auto& menu : Menu_List()) {
        ids.push_back(menu->menuId);
    }
    return ids;
}

TEST_F(MenuTest, RuleNumbersAboveTheTableAreRefused)
{
    EXPECT_EQ(Menu_ApplyRule(52, 0), kStatusNotFound);
    EXPECT_EQ(Menu_RunRule(1000, 0), kStatusNotFound);
    EXPECT_EQ(Menu_ApplyRule(51, 0), kStatusOk);
    EXPECT_EQ(Menu_ApplyRule(3, 0), kStatusOk);
    EXPECT_TRUE(Enabled(212));
}

// Each opcode on its own: what it changes.
TEST_F(MenuTest, ItemOpcodes)
{
    RunActions({{4, 204, 0, 0, 0}});
    EXPECT_FALSE(Enabled(204));
    RunActions({{5, 204, 0, 0, 0}}, 1);
    EXPECT_TRUE(Enabled(204));
    RunActions({{5, 204, 0, 0, 0}}, 0);
    EXPECT_FALSE(Enabled(204));
    RunActions({{6, 509, 1, 0, 0}});
    EXPECT_EQ(Item(509)->checkMark, 1);
    RunActions({{7, 701, 88, 0, 0}});
    EXPECT_EQ(Item(701)->label, "Ungroup");
    const std::string text = "Undo Move";
    RunActions({{7, 301, 77, 0, 0}}, reinterpret_cast<uintptr_t>(text.c_str()));
    EXPECT_EQ(Item(301)->label, "Undo Move");
    RunActions({{8, 701, 105, 0, 0}});
    EXPECT_EQ(Item(701)->requestNumber, 105);
    RunActions({{9, 801, 811, 0, 0}});
    EXPECT_EQ(Menu_ItemExists(801), 0u);
    EXPECT_EQ(Item(811)->requestNumber, 115);
    RunActions({{10, 313, 3, 303, 0}, {10, 312, 3, 9999, 0}});
    uint16_t menuIndex = 0;
    uint16_t itemIndex = 0;
    Menu_ItemPosition(313, &menuIndex, &itemIndex);
    EXPECT_EQ(itemIndex, 2);
    Menu_ItemPosition(312, &menuIndex, &itemIndex);
    EXPECT_EQ(itemIndex, 11);
    RunActions({{10, 313, 2, 9999, 0}});  // already in a menu: stays in Edit
    Menu_ItemPosition(313, &menuIndex, &itemIndex);
    EXPECT_EQ(menuIndex, 1);
    RunActions({{11, 313, 0, 0, 0}});
    EXPECT_EQ(Menu_ItemExists(313), 0u);
}

TEST_F(MenuTest, MenuOpcodes)
{
    RunActions({{12, 3, 0, 0, 0}});
    EXPECT_EQ(MenuOf(3)->enabled, 0);
    EXPECT_TRUE(Enabled(303));  // the title only
    RunActions({{17, 3, 0, 0, 0}});
    EXPECT_FALSE(Enabled(303));
    RunActions({{3, 1, 0, 0, 0}});
    EXPECT_TRUE(Enabled(303));
    EXPECT_EQ(MenuOf(3)->enabled, 1);
    RunActions({{13, 2, 77, 0, 0}});
    EXPECT_EQ(MenuOf(2)->title, "Undo");
    RunActions({{15, 10300, 4, 0, 0}});
    EXPECT_EQ(MenuIds(), (std::vector<int32_t>{2, 3, 10300, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(Item(10309)->acceleratorLabel, "Alt+D");
    RunActions({{14, 10300, 10600, 0, 0}});
    EXPECT_EQ(MenuIds(), (std::vector<int32_t>{2, 3, 10600, 4, 5, 6, 7, 8, 9}));
    RunActions({{16, 10600, 0, 0, 0}});
    EXPECT_EQ(MenuIds(), (std::vector<int32_t>{2, 3, 4, 5, 6, 7, 8, 9}));
    // Opcode 17 leaves the net layer's menus alone.
    Menu_InsertTableMenu(10700, kMenuListEnd);
    RunActions({{17, 10700, 0, 0, 0}});
    EXPECT_TRUE(Enabled(10701));
}

TEST_F(MenuTest, ListGoesOnPastMissingItemsAndStopsAtTheEnd)
{
    // 517 has no item, opcodes 0, 19 and 40 have no handler: the list goes on.
    RunActions({{4, 517, 1, 0, 0}, {0, 0, 0, 0, 0}, {19, 0, 0, 0, 0}, {40, 0, 0, 0, 0}, {-3, 0, 0, 0, 0},
         {4, 204, 0, 0, 0}, kEnd, {4, 205, 0, 0, 0}});
    EXPECT_FALSE(Enabled(204));
    EXPECT_TRUE(Enabled(205));
    // Rule 10 names 517 in two actions and still runs to its end (-411).
    Menu_SetItemEnabled(411, 1);
    Menu_ApplyRule(10, 0);
    EXPECT_FALSE(Enabled(411));
}

TEST_F(MenuTest, NestedRuleAndTextRule)
{
    RunActions({{2, 46, 0, 0, 0}});
    EXPECT_FALSE(Enabled(307));
    EXPECT_FALSE(Enabled(802));
    EXPECT_EQ(MenuOf(9)->enabled, 0);

    // No text refers to the object: rule 28 follows 37 or 38.
    MenuTextRecord record{0, 0, 1};
    Menu_SetItemEnabled(609, 1);
    RunActions({{18, 0, 0, 0, 0}}, reinterpret_cast<uintptr_t>(&record));
    EXPECT_TRUE(Enabled(608));  // rule 37
    EXPECT_TRUE(Enabled(710));
    EXPECT_FALSE(Enabled(609));  // rule 28
    record.flag = 0;
    EXPECT_EQ(Menu_ApplyRule(40, reinterpret_cast<uintptr_t>(&record)), kStatusOk);
    EXPECT_FALSE(Enabled(608));  // rule 38
    EXPECT_FALSE(Enabled(710));
    EXPECT_EQ(Menu_TextRule(nullptr), kStatusBadArgument);
}

TEST_F(MenuTest, StartRuleLeavesOnlyTheFileMenu)
{
    Menu_ApplyRule(8, 0);
    for (const auto& menu : Menu_List()) {
        EXPECT_EQ(menu->enabled, menu->menuId == 2 ? 1 : 0) << menu->menuId;
    }
    std::vector<CommandId> enabled;
    for (const auto& item : MenuOf(2)->items) {
        if (item->enabled != 0) {
            enabled.push_back(item->commandId);
        }
    }
    EXPECT_EQ(enabled, (std::vector<CommandId>{201, 202, 210, 223, 214, 220}));
    EXPECT_FALSE(Enabled(303));
}

TEST_F(MenuTest, GroupRelabelsRegroupAndBack)
{
    Menu_ApplyRule(17, 0);
    EXPECT_EQ(Item(701)->label, "Ungroup");
    EXPECT_EQ(Item(701)->requestNumber, 105);
    EXPECT_EQ(Item(307)->label, "Select All Text");
    for (uint32_t rule : {10u, 11u}) {
        Menu_ApplyRule(17, 0);
        Menu_ApplyRule(rule, 0);
        EXPECT_EQ(Item(701)->label, "Regroup") << rule;
        EXPECT_EQ(Item(701)->requestNumber, 104) << rule;
    }
    Menu_ApplyRule(kMenuRuleUndoLabel, reinterpret_cast<uintptr_t>("Undo Typing"));
    EXPECT_EQ(Item(301)->label, "Undo Typing");
    EXPECT_TRUE(Enabled(301));
    Menu_ApplyRule(kMenuRuleUndoDisabled, 0);
    EXPECT_EQ(Item(301)->label, "Undo");
    EXPECT_FALSE(Enabled(301));
}

// ---- The selection watcher, on a real object model ----

class SelectionRulesTest : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        page = Model_NewPage();
    }
    void TearDown() override
    {
        if (Model_GetRoot() != 0) {
            Model_DestroyTree(Model_GetRoot());
        }
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
        MenuTest::TearDown();
    }
    static std::vector<int32_t> Flags(ObjectHandle object)
    {
        std::vector<int32_t> flags(kMenuSelectionFlagCount);
        Menu_SelectionFlags(object, flags.data());
        return flags;
    }
    ObjectHandle page = 0;
};

TEST_F(SelectionRulesTest, NoCurrentPageDisablesEditing)
{
    Menu_SetItemEnabled(307, 1);
    Menu_SetItemEnabled(701, 1);
    Menu_SetItemEnabled(901, 1);
    Menu_UpdateFromSelection(0);
    EXPECT_FALSE(Enabled(307));
    EXPECT_FALSE(Enabled(701));
    EXPECT_EQ(MenuOf(9)->enabled, 0);
}

TEST_F(SelectionRulesTest, Hook6GetsTheStateRecord)
{
    ResetWorld(true);
    bool seen = false;
    World().onHook6 = [&](MenuStateRecord* record) {
        seen = true;
        EXPECT_EQ(record->redraw, 0);
        EXPECT_EQ(record->hasDiagram, 1);
        EXPECT_EQ(record->mode, 3);
    };
    Menu_UpdateFromSelection(0);
    EXPECT_TRUE(seen);
}

TEST_F(SelectionRulesTest, FlagsOfObjects)
{
    const ObjectHandle first = Model_NewNode(page);
    const ObjectHandle second = Model_NewNode(page);
    const ObjectHandle connector = Model_NewConnector(page);
    Model_SetFieldValue(second, Field::kShapeKind, 5);
    Model_SetFlags(second, 4, 1);
    //                                      conn node reg coarse border attached poly next notfirst region f4 sub fits
    EXPECT_EQ(Flags(first), (std::vector<int32_t>{0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(Flags(second), (std::vector<int32_t>{0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(Flags(connector)[0], 1);
    EXPECT_EQ(Flags(connector)[1], 0);
    Model_SetFieldValue(first, Field::kShapeKind, 13);
    EXPECT_EQ(Flags(first)[12], 0);
    Model_SetFieldValue(first, Field::kShapeKind, 0);
    Model_SetFlags(first, 128, 1);
    EXPECT_EQ(Flags(first)[12], 0);
}

}  // namespace
