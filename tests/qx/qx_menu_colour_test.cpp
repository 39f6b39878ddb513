// QX menus on the kernel's menu bar built from the tables, and colour
// indices of objects.
#include <gtest/gtest.h>

#include "QXFixture.h"
#include "xkv/colour/Colour.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/menu/Menu.h"

namespace {

class QXMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const KernelStatus commReady = Comm_Initialize();
        ASSERT_EQ(commReady, kStatusOk);
        ASSERT_EQ(Menu_LoadBar(1), kStatusOk);
        ASSERT_FALSE(Menu_List().empty());
        menuId_ = Menu_List().front()->menuId;
        QXStatus = 0;
    }
    void TearDown() override { Menu_Shutdown(); }
    static bool Enabled(CommandId c)
    {
        MenuItem* item = nullptr;
        Menu_FindItem(c, &item, nullptr);
        return item != nullptr && item->enabled != 0;
    }
    int32_t menuId_ = 0;
};

constexpr uint32_t kNewCommand = 29001;

TEST_F(QXMenuTest, AddedItemsAndSeparators)
{
    uint16_t before = 0;
    ASSERT_EQ(QXMenu_GetItemCount(menuId_, &before), 1u);
    ASSERT_EQ(QXMenu_AppendItem(menuId_, kNewCommand, "Fresh"), 1u);
    ASSERT_EQ(QXMenu_AddItem(kNewCommand + 1, "-", menuId_, 0), 1u);
    uint16_t after = 0;
    QXMenu_GetItemCount(menuId_, &after);
    EXPECT_EQ(after, before + 2);
    uint32_t command = 0;
    ASSERT_EQ(QXMenu_GetItemAt(menuId_, after - 1, &command), 1u);
    EXPECT_EQ(command, kNewCommand + 1);
    MenuItem* separator = nullptr;
    Menu_FindItem(kNewCommand + 1, &separator, nullptr);
    ASSERT_NE(separator, nullptr);
    EXPECT_EQ(separator->separator, 1);
    EXPECT_EQ(QXMenu_GetItemAt(menuId_, after, &command), 0u);
    EXPECT_EQ(QXStatus, 51u);
    ASSERT_EQ(QXMenu_SetItemLabel(kNewCommand, "Renamed"), 1u);
    EXPECT_EQ(QXStatus, 0u);
    ASSERT_EQ(QXMenu_DeleteItem(kNewCommand), 1u);
    EXPECT_EQ(QXMenu_DeleteItem(kNewCommand), 0u);
    EXPECT_EQ(QXStatus, 51u);
}

struct StateCase {
    uint32_t bits;
    bool enabled;
    int32_t mark;
};

class QXItemStateTest : public QXMenuTest, public ::testing::WithParamInterface<StateCase> {};

TEST_P(QXItemStateTest, BitsApplyInOrder)
{
    ASSERT_EQ(QXMenu_AppendItem(menuId_, kNewCommand, "Item"), 1u);
    EXPECT_EQ(QXMenu_SetItemState(kNewCommand, GetParam().bits), 1u);
    EXPECT_EQ(Enabled(kNewCommand), GetParam().enabled);
    EXPECT_EQ(QXMenu_GetItemMark(0, kNewCommand), GetParam().mark);
}

INSTANTIATE_TEST_SUITE_P(Bits, QXItemStateTest,
                         ::testing::Values(StateCase{3, true, 0}, StateCase{2, false, 0}, StateCase{16, false, 0},
                                           StateCase{18 | 32, true, 0}, StateCase{64, true, 1},
                                           StateCase{64 | 128, true, 0}));

TEST_F(QXMenuTest, UnknownItemsAndMenus)
{
    EXPECT_EQ(QXMenu_SetItemState(31999, 2), 1u);
    uint16_t index = 0;
    EXPECT_EQ(QXMenu_GetMenuPosition(31999, &index), 0u);
    EXPECT_EQ(index, 65535u);
    EXPECT_EQ(QXMenu_SetMenuState(31999, 2), 1u);
    ASSERT_EQ(QXMenu_GetMenuPosition(menuId_, &index), 1u);
    EXPECT_EQ(index, 0u);
}

TEST_F(QXMenuTest, MenusAddedMovedAndDeleted)
{
    ASSERT_EQ(QXMenu_AddMenu(777, 0), 1u);
    uint16_t index = 0;
    ASSERT_EQ(QXMenu_GetMenuPosition(777, &index), 1u);
    EXPECT_EQ(index, Menu_List().size() - 1);
    ASSERT_EQ(QXMenu_MoveMenu(777, menuId_), 1u);
    QXMenu_GetMenuPosition(777, &index);
    EXPECT_EQ(index, 0u);
    ASSERT_EQ(QXMenu_SetMenuTitle(777, "Extra"), 1u);
    ASSERT_EQ(QXMenu_DeleteMenu(777), 1u);
    EXPECT_EQ(QXMenu_GetMenuPosition(777, &index), 0u);
}

class QXColourTest : public QXDiagramTest {
protected:
    void SetUp() override
    {
        QXDiagramTest::SetUp();
        static const uint16_t rows[16][3] = {};
        if (Color_Count() < 16) {
            Color_LoadTable(rows, 0, 0, static_cast<uint16_t>(16 - Color_Count()));
        }
    }
};

TEST_F(QXColourTest, OnlyValidIndicesArePacked)
{
    ObjectHandle node = Node(0, 0);
    ASSERT_GE(Color_Count(), 16);
    ASSERT_EQ(QXColor_SetColors(node, 1, 3, 5), 1u);
    const int16_t outOfRange = static_cast<int16_t>(Color_Count() + 44);
    ASSERT_EQ(QXColor_SetColors(node, -1, outOfRange, 2), 1u);
    int16_t line = 0, fill = 0, text = 0;
    ASSERT_EQ(QXColor_GetColors(node, &line, &fill, &text), 1u);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(fill, 3);
    EXPECT_EQ(text, 2);
    EXPECT_EQ(QXColor_SetColors(node, -1, -1, 2), 0u);  // nothing changed
    ASSERT_EQ(QXColor_SetFillColor(node, 7), 1u);
    ASSERT_EQ(QXColor_GetFillColor(node, &fill), 1u);
    EXPECT_EQ(fill, 7);
    EXPECT_EQ(QXColor_GetLineColor(424242, &line), 0u);
}

TEST_F(QXColourTest, DefinedEntriesReadBackAndNullArgumentsFail)
{
    ColorEntry entry{-1, 10, 20, 300};
    ASSERT_EQ(QXColor_Define(&entry), 1u);
    ASSERT_GE(entry.index, 16);
    ColorEntry read{entry.index, 0, 0, 0};
    ASSERT_EQ(QXColor_GetRGB(&read, 0), 1u);
    EXPECT_EQ(read.red, 10);
    EXPECT_EQ(read.green, 20);
    EXPECT_EQ(read.blue, 255);  // components are clamped to 255
    EXPECT_EQ(QXColor_FreeEntries(), static_cast<uint32_t>(kColorTableSize - Color_Count()));

    struct Case {
        const char* name;
        uint32_t (*call)();
    };
    const Case cases[] = {
        {"GetRGB", [] { return QXColor_GetRGB(nullptr, 0); }},
        {"Define", [] { return QXColor_Define(nullptr); }},
        {"DefineByName", [] {
             ColorEntry e{-1, 0, 0, 0};
             return QXColor_DefineByName(nullptr, &e);
         }},
        {"LoadTable", [] { return QXColor_LoadTable(nullptr, 0, -1, 3); }},
    };
    for (const Case& c : cases) {
        QXStatus = 0;
        EXPECT_EQ(c.call(), 0u) << c.name;
        EXPECT_EQ(QXStatus, 6u) << c.name;
    }
}

}  // namespace
