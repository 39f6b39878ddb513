// The Search and Replace dialog (284) edits the find settings record: its
// items, laid out from the tables, place each value where the text search
// reads it.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "atolq/Resources/DialogTables.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/dialog/DialogRecordMap.h"
#include "xkv/text/TextFind.h"

namespace {

const DialogRecord* RecordOf(int number)
{
    for (const DialogRecord& r : DialogTable_Records()) {
        if (r.number == number) {
            return &r;
        }
    }
    return nullptr;
}

const DialogItemRow& Row(const DialogRecord& r, int item)
{
    return DialogTable_ItemRows()[static_cast<size_t>(r.firstItem + item - 1)];
}

// The item's class as the toolkit reports it, from the tables.
int32_t ClassOf(const DialogRecord& r, int item)
{
    const DialogItemRow& row = Row(r, item);
    if (DialogItem_Kind(row) == kItemControl) {
        return DialogTable_ControlRows()[static_cast<size_t>(row.index)].type;
    }
    if (DialogItem_Kind(row) == kItemText) {
        return DialogTable_TextRows()[static_cast<size_t>(row.index)].type == 0 ? kClassField : kClassStaticText;
    }
    return kClassButton;
}

std::string Label(const DialogRecord& r, int item)
{
    const DialogItemRow& row = Row(r, item);
    return DialogItem_Kind(row) == kItemControl ? DialogTable_ControlRows()[static_cast<size_t>(row.index)].label
                                                : DialogTable_TextRows()[static_cast<size_t>(row.index)].text;
}

TEST(FindDialog, ItsValuesLieWhereTheFindSettingsHaveThem)
{
    const DialogRecord* r = RecordOf(284);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Label(*r, 1), "OK");
    EXPECT_EQ(Label(*r, 2), "Cancel");
    EXPECT_EQ(Label(*r, 3), "Reset");
    EXPECT_EQ(Label(*r, 4), "Search and Replace");
    const auto fields = Record_BuildFieldMap(284, r->itemCount, [&](int32_t item) { return ClassOf(*r, item); });
    ASSERT_GE(fields.size(), 15u);
    EXPECT_EQ(fields[4].offset, static_cast<int32_t>(offsetof(FindSettings, search)));
    EXPECT_EQ(fields[4].size, 256);
    EXPECT_EQ(fields[5].offset, static_cast<int32_t>(offsetof(FindSettings, replacement)));
    for (int item = 7; item <= 11; ++item) {
        EXPECT_EQ(fields[static_cast<size_t>(item - 1)].fieldClass, kClassRadio) << item;
        EXPECT_EQ(fields[static_cast<size_t>(item - 1)].offset, static_cast<int32_t>(offsetof(FindSettings, scope)));
    }
    EXPECT_EQ(fields[11].fieldClass, kClassCheckBox);
    EXPECT_EQ(fields[11].offset, static_cast<int32_t>(offsetof(FindSettings, matchCase)));
    for (int item = 13; item <= 15; ++item) {
        EXPECT_EQ(fields[static_cast<size_t>(item - 1)].offset,
                  static_cast<int32_t>(offsetof(FindSettings, replaceMode)));
    }
    EXPECT_EQ(Record_Size(fields), static_cast<int32_t>(sizeof(FindSettings)));
}

}  // namespace
