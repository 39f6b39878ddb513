// The static menu tables and the accelerators: table sizes and sentinels, the
// menus of bar 1, key parsing, key order, loading and lookup.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MenuFixture.h"
#include "atolq/Resources/MenuTables.h"

AccelKey Key(const char* keysym, int32_t alt, int32_t shift, int32_t control, int32_t lock)
{
    AccelKey key;
    key.alt = alt;
    key.shift = shift;
    key.control = control;
    key.lock = lock;
    key.keysym = static_cast<uint32_t>(XStringToKeysym(keysym));
    return key;
}

namespace {

std::vector<CommandId> ListOf(const CommandId* ids)
{
    std::vector<CommandId> out;
    for (; *ids != kCommandListEnd; ++ids) {
        out.push_back(*ids);
    }
    return out;
}

TEST(MenuTables, EndExactlyAtTheirSentinels)
{
    EXPECT_EQ(MenuBarTable.back().barId, kMenuListEnd);
    EXPECT_EQ(MenuTable.back().menuId, kMenuListEnd);
    EXPECT_EQ(MenuItemTable.back().commandId, kCommandListEnd);
    EXPECT_EQ(AcceleratorTable.back().commandId, kCommandListEnd);
    const auto beforeEnd = [](const auto& table, auto idOf, auto end) {
        return std::none_of(table.begin(), table.end() - 1, [&](const auto& row) { return idOf(row) == end; });
    };
    EXPECT_TRUE(beforeEnd(MenuTable, [](const MenuRow& r) { return r.menuId; }, kMenuListEnd));
    EXPECT_TRUE(beforeEnd(MenuItemTable, [](const MenuItemRow& r) { return r.commandId; }, kCommandListEnd));
    EXPECT_TRUE(beforeEnd(AcceleratorTable, [](const AcceleratorRow& r) { return r.commandId; }, kCommandListEnd));
    const int32_t* bar = MenuBarTable[0].menuIds;
    EXPECT_EQ(std::vector<int32_t>(bar, bar + 9), (std::vector<int32_t>{2, 3, 4, 5, 6, 7, 8, 9, kMenuListEnd}));
}

TEST(MenuTables, RowCounts)
{
    EXPECT_EQ(MenuTable.size() - 1, 13u);
    EXPECT_EQ(MenuItemTable.size() - 1, 215u);
    EXPECT_EQ(AcceleratorTable.size() - 1, 216u);
    const auto keyed = std::count_if(AcceleratorTable.begin(), AcceleratorTable.end() - 1,
                                     [](const AcceleratorRow& row) { return row.key != nullptr; });
    EXPECT_EQ(keyed, 95);
}

TEST(MenuTables, EveryListedCommandHasAnItemRow)
{
    for (auto row = MenuTable.begin(); row != MenuTable.end() - 1; ++row) {
        for (CommandId id : ListOf(row->commands)) {
            EXPECT_NE(MenuTable_FindItem(id), nullptr) << row->title << " " << id;
        }
    }
    for (CommandId unlisted : {313, 312, 722, 811}) {
        EXPECT_NE(MenuTable_FindItem(unlisted), nullptr) << unlisted;
    }
    EXPECT_EQ(MenuTable_FindItem(11250), nullptr);
    EXPECT_EQ(MenuTable_FindItem(kCommandListEnd), nullptr);
}

TEST(MenuTables, FileMenu)
{
    const MenuRow* file = MenuTable_FindMenu(2);
    ASSERT_NE(file, nullptr);
    EXPECT_STREQ(file->title, "File");
    const auto ids = ListOf(file->commands);
    EXPECT_EQ(ids, (std::vector<CommandId>{201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 212, 213, 223,
                                           224, 213, 214, 225, 215, 216, 217, 218, 220}));
    const MenuItemRow* save = MenuTable_FindItem(204);
    EXPECT_STREQ(save->label, "Save");
    EXPECT_EQ(save->request, 24);
    const MenuItemRow* separator = MenuTable_FindItem(213);
    EXPECT_EQ(separator->label, nullptr);
    EXPECT_EQ(separator->separator, 1);
}

TEST_F(MenuTest, BarOneHoldsTheEightKernelMenusInOrder)
{
    std::vector<std::string> titles;
    for (const auto& menu : Menu_List()) {
        titles.push_back(menu->title);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"File", "Edit", "Create", "Makeup", "Page", "Group", "Text",
                                                "Align"}));
    const Menu* file = MenuOf(2);
    ASSERT_EQ(file->items.size(), 23u);
    EXPECT_EQ(std::count_if(file->items.begin(), file->items.end(),
                            [](const auto& item) { return item->commandId == 213; }),
              2);
    EXPECT_EQ(Menu_LoadBar(2), kStatusNotFound);
}

// ---- Accelerators ----

TEST(AccelParse, KeyTextsAndLabels)
{
    struct Case {
        const char* text;
        AccelKey key;
        const char* label;
    };
    const Case cases[] = {
        {"Alt o", Key("o"), "Alt+o"},
        {"Alt Shift 4", Key("4", 1, 1), "Shift+Alt+4"},
        {"Alt Control B", Key("B", 1, 0, 1), "Ctrl+Alt+B"},
        {"Control w", Key("w", 0, 0, 1), "Ctrl+w"},
        {"Delete", Key("Delete", 0), "Delete"},
        {"  Alt\tbackslash  extra", Key("backslash"), "Alt+backslash"},
        {"Alt", Key("", 1), "Alt+"},
    };
    for (const Case& c : cases) {
        AccelKey key;
        std::string label;
        ASSERT_EQ(Accel_Parse(c.text, &key, &label), 0u) << c.text;
        EXPECT_EQ(Accel_Compare(key, c.key), 0) << c.text;
        EXPECT_EQ(key.lock, 0) << c.text;
        EXPECT_EQ(label, c.label) << c.text;
    }
}

TEST(AccelParse, UnknownKeyNameFails)
{
    AccelKey key;
    std::string label;
    EXPECT_EQ(Accel_Parse("Alt NoSuchKeyName", &key, &label), 1u);
    // Only the first 80 characters are read: a key name past them is not seen.
    const std::string longText = std::string(80, ' ') + "Alt o";
    EXPECT_EQ(Accel_Parse(longText.c_str(), &key, &label), 0u);
    EXPECT_EQ(key.keysym, 0u);
    EXPECT_EQ(key.alt, 0);
}

TEST(AccelOrder, ModifierCodeThenFoldedKeysym)
{
    // Each key sorts strictly before the next.
    const AccelKey ascending[] = {
        Key("a", 0),       Key("Delete", 0), Key("a", 0, 1),  Key("a", 0, 0, 1),
        Key("0"),          Key("B"),         Key("c"),        Key("Left"),
        Key("a", 1, 1),    Key("a", 1, 0, 1), Key("a", 0, 0, 0, 1), Key("a", 1, 0, 0, 1),
    };
    for (size_t i = 0; i + 1 < std::size(ascending); ++i) {
        EXPECT_LT(Accel_Compare(ascending[i], ascending[i + 1]), 0) << i;
        EXPECT_GT(Accel_Compare(ascending[i + 1], ascending[i]), 0) << i;
    }
    EXPECT_EQ(Accel_Compare(Key("o"), Key("O")), 0);
    EXPECT_NE(Accel_Compare(Key("o"), Key("o", 1, 1)), 0);
}

TEST_F(MenuTest, FirstLoadHoldsEveryKeyedRowAndReloadAddsNone)
{
    EXPECT_EQ(Accel_Count(), 95u);
    for (uint32_t i = 0; i + 1 < Accel_Count(); ++i) {
        EXPECT_LE(Accel_Compare(Accel_Entry(i)->key, Accel_Entry(i + 1)->key), 0) << i;
    }
    Accel_LoadAll();
    EXPECT_EQ(Accel_Count(), 95u);
    EXPECT_EQ(Accel_LoadCommand(202), kStatusOk);
    EXPECT_EQ(Accel_Count(), 95u);
    EXPECT_EQ(Accel_LoadCommand(201), kStatusNotFound);
}

TEST_F(MenuTest, LookupNeedsTheExactModifiers)
{
    struct Case {
        AccelKey key;
        CommandId found;  // 0: nothing
    };
    const Case cases[] = {
        {Key("o"), 202},
        {Key("O"), 202},
        {Key("o", 1, 1), 0},          // Shift is part of the key
        {Key("o", 1, 0, 0, 1), 0},    // Caps Lock on: nothing matches
        {Key("o", 0), 0},
        {Key("Delete", 0), 306},
        {Key("BackSpace", 0), 306},
        {Key("backslash"), 602},
        {Key("Right"), 510},
        {Key("w", 0, 0, 1), 0},       // 11652 has no menu item
    };
    for (const Case& c : cases) {
        Menu* menu = nullptr;
        MenuItem* item = nullptr;
        const KernelStatus status = Accel_Lookup(c.key, &menu, &item);
        if (c.found == 0) {
            EXPECT_EQ(status, kStatusNotFound) << c.key.keysym;
        } else {
            ASSERT_EQ(status, kStatusOk) << c.key.keysym;
            EXPECT_EQ(item->commandId, c.found);
            EXPECT_EQ(menu->menuId, c.found / 100);
        }
    }
}

TEST_F(MenuTest, AcceleratorOnlyCommandsAreLoadedWithoutAnItem)
{
    const AcceleratorEntry* entry = Accel_Find(Key("w", 0, 0, 1));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->command, 11652);
}

TEST_F(MenuTest, ItemLabelsComeFromTheLastRowLoaded)
{
    EXPECT_EQ(Item(202)->acceleratorLabel, "Alt+O");
    EXPECT_EQ(Item(306)->acceleratorLabel, "BackSpace");
    EXPECT_EQ(Item(201)->acceleratorLabel, "");
    // Three keys for Adjust; the label is the last one's.
    EXPECT_EQ(Item(502)->acceleratorLabel, "Alt+4");
    for (const AccelKey& key : {Key("4", 1, 1), Key("4", 1, 0, 1), Key("4")}) {
        ASSERT_NE(Accel_FindCommand(key, 502), nullptr);
    }
}

TEST_F(MenuTest, SharedKeyRunsWhicheverItemIsInAMenu)
{
    Menu* menu = nullptr;
    MenuItem* item = nullptr;
    ASSERT_EQ(Accel_Lookup(Key("g"), &menu, &item), kStatusOk);
    EXPECT_EQ(item->commandId, 701);
    // With Regroup replaced by Ungroup, the same key reaches Ungroup.
    ASSERT_EQ(Menu_ReplaceItem(701, 722), kStatusOk);
    ASSERT_EQ(Accel_Lookup(Key("g"), &menu, &item), kStatusOk);
    EXPECT_EQ(item->commandId, 722);
    EXPECT_EQ(item->acceleratorLabel, "Alt+G");
}

TEST_F(MenuTest, HandleKeyPicksTheItem)
{
    uint32_t handled = 0;
    EXPECT_EQ(Accel_HandleKey(Key("s"), &handled), kStatusOk);
    EXPECT_EQ(handled, 1u);
    Drain();
    ASSERT_EQ(World().commands.size(), 1u);
    EXPECT_EQ(World().commands[0].number, 24u);

    EXPECT_EQ(Accel_HandleKey(Key("s", 1, 0, 0, 1), &handled), kStatusNotFound);
    EXPECT_EQ(handled, 0u);

    // A command layer that takes no picks: the key is swallowed, nothing posted.
    Comm_MarkBusy();
    EXPECT_EQ(Accel_HandleKey(Key("s"), &handled), kStatusOk);
    Comm_UnmarkBusy();
    EXPECT_EQ(handled, 1u);
    Drain();
    EXPECT_EQ(World().commands.size(), 1u);
}

TEST_F(MenuTest, TableRefusesThe201stEntry)
{
    uint32_t added = Accel_Count();
    KernelStatus status = kStatusOk;
    for (uint32_t code = 0x100; added < kAcceleratorTableMax; ++code, ++added) {
        AccelKey key;
        key.keysym = code;
        ASSERT_EQ(Accel_Add(20000 + static_cast<CommandId>(code), key, "x"), kStatusOk);
    }
    AccelKey key;
    key.keysym = 0x7000;
    status = Accel_Add(30000, key, "x");
    EXPECT_EQ(status, kStatusFailed);
    EXPECT_EQ(Accel_Count(), kAcceleratorTableMax);
}

TEST_F(MenuTest, LookupBeforeTheSortFindsNothing)
{
    AccelKey key;
    key.keysym = 0x7001;
    ASSERT_EQ(Accel_Add(202, key, "x"), kStatusOk);
    EXPECT_EQ(Accel_Find(key), nullptr);
    EXPECT_EQ(Accel_Find(Key("o")), nullptr);  // the whole table waits for the sort
    Accel_LoadCommand(202);
    EXPECT_NE(Accel_Find(key), nullptr);
}

}  // namespace
