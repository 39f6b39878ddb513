// The page setup and print dialogs as the tables lay them out: the items that
// every dialog keeps, and each value item landing on the word of the record
// it edits, so that the dialog reads and writes exactly its property.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "atolq/Resources/DialogTables.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/dialog/DialogRecordMap.h"

namespace {

const DialogRecord& RecordOf(int number)
{
    for (const DialogRecord& r : DialogTable_Records()) {
        if (r.number == number) {
            return r;
        }
    }
    ADD_FAILURE() << "no dialog " << number;
    return DialogTable_Records().front();
}

const DialogItemRow& RowOf(const DialogRecord& r, int item)
{
    return DialogTable_ItemRows()[static_cast<size_t>(r.firstItem + item - 1)];
}

std::string TextOf(const DialogRecord& r, int item)
{
    const DialogItemRow& row = RowOf(r, item);
    return DialogItem_Kind(row) == kItemControl ? DialogTable_ControlRows()[static_cast<size_t>(row.index)].label
                                                : DialogTable_TextRows()[static_cast<size_t>(row.index)].text;
}

// The item classes the toolkit gives these rows.
int32_t ClassOf(const DialogRecord& r, int item)
{
    const DialogItemRow& row = RowOf(r, item);
    if (DialogItem_Kind(row) == kItemControl) {
        return DialogTable_ControlRows()[static_cast<size_t>(row.index)].type;
    }
    constexpr int32_t kTextClasses[] = {kClassField, kClassStaticText, kClassScrolledField};
    return kTextClasses[DialogTable_TextRows()[static_cast<size_t>(row.index)].type];
}

struct LayoutCase {
    int dialog;
    uint32_t property;
    std::string title;
    // The value word each named item edits.
    std::map<std::string, int32_t> offsets;
};

class PrintDialogLayout : public ::testing::TestWithParam<LayoutCase> {
protected:
    void SetUp() override { ASSERT_EQ(Default_Init(), kStatusOk); }
    void TearDown() override { Default_Shutdown(); }
};

TEST_P(PrintDialogLayout, EachValueItemEditsItsWordOfTheProperty)
{
    const LayoutCase& c = GetParam();
    const DialogRecord& r = RecordOf(c.dialog);
    ASSERT_GE(r.itemCount, 4);
    EXPECT_EQ(TextOf(r, 1), "OK");
    EXPECT_EQ(TextOf(r, 2), "Cancel");
    EXPECT_EQ(TextOf(r, 3), "Reset");
    EXPECT_EQ(TextOf(r, 4), c.title);

    const auto fields = Record_BuildFieldMap(c.dialog, r.itemCount, [&](int32_t item) { return ClassOf(r, item); });
    EXPECT_EQ(Record_Size(fields), static_cast<int32_t>(Default_PropertySize(c.property)));
    std::map<std::string, int32_t> found;
    for (const RecordField& field : fields) {
        const std::string text = TextOf(r, field.item);
        if (c.offsets.contains(text)) {
            found[text] = field.offset;
        }
    }
    EXPECT_EQ(found, c.offsets);
    // Items lie inside the dialog.
    for (int item = 1; item <= r.itemCount; ++item) {
        const DialogItemRow& row = RowOf(r, item);
        int right = 0, bottom = 0;
        if (DialogItem_Kind(row) == kItemControl) {
            const DialogControlRow& control = DialogTable_ControlRows()[static_cast<size_t>(row.index)];
            right = control.x + control.width;
            bottom = control.y + control.height;
        } else {
            const DialogTextRow& text = DialogTable_TextRows()[static_cast<size_t>(row.index)];
            right = text.x + text.width;
            bottom = text.y + text.height;
        }
        EXPECT_LE(right, r.width) << "item " << item;
        EXPECT_LE(bottom, r.height) << "item " << item;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, PrintDialogLayout,
    ::testing::Values(LayoutCase{1001,
                                 14,
                                 "LaserWriter Page Setup",
                                 {{"Letter", 24},
                                  {"A0", 24},
                                  {"", 28},
                                  {"Portrait", 32},
                                  {"Landscape", 32},
                                  {"Fit to Sheet", 36},
                                  {"Overlapping Tiles", 36},
                                  {"Leave Out Page Frame", 40},
                                  {"Black and White", 44}}},
                      LayoutCase{1002, 19, "Print Document", {{"All Pages", 24}, {"Current Page", 24}}},
                      LayoutCase{1005,
                                 15,
                                 "Eps Setup",
                                 {{"Master Page", 32},
                                  {"Page Frame", 36},
                                  {"Take It From the Page Name", 40},
                                  {"Always Add", 44},
                                  {"Black and White", 64}}}),
    [](const auto& info) { return "Dialog" + std::to_string(info.param.dialog); });

TEST(PrintDialogLayoutRange, TheRangeFieldsFollowTheRangeChoice)
{
    const DialogRecord& r = RecordOf(1002);
    const auto fields = Record_BuildFieldMap(1002, r.itemCount, [&](int32_t item) { return ClassOf(r, item); });
    std::vector<int32_t> editable;
    for (const RecordField& field : fields) {
        if (field.fieldClass == kClassField) {
            editable.push_back(field.offset);
        }
    }
    EXPECT_EQ(editable, (std::vector<int32_t>{28, 32})) << "first and last page number";
}

TEST(PrintDialogLayoutEps, TheNumbersAndTheExtensionTextLandOnTheirWords)
{
    const DialogRecord& r = RecordOf(1005);
    const auto fields = Record_BuildFieldMap(1005, r.itemCount, [&](int32_t item) { return ClassOf(r, item); });
    std::map<int32_t, int32_t> offsetOfItem;
    for (const RecordField& field : fields) {
        offsetOfItem[field.item] = field.offset;
    }
    // Scale and rotation are the two number fields; item 18 holds the
    // extension text in the 16 bytes from word 48.
    EXPECT_EQ(offsetOfItem.at(6), 24);
    EXPECT_EQ(offsetOfItem.at(8), 28);
    EXPECT_EQ(offsetOfItem.at(18), 48);
    EXPECT_EQ(offsetOfItem.at(19), 64);
}

}  // namespace
