// The dialog tables and the pure rules of record dialogs: table contents,
// field maps, value conversions and fill tiles.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "atolq/Resources/DialogTables.h"
#include "xkv/dialog/DialogFill.h"
#include "xkv/dialog/DialogRecordMap.h"

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

// The label of a control or the text of a text item.
std::string ItemText(const DialogRecord& r, int item)
{
    const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(r.firstItem + item - 1)];
    switch (DialogItem_Kind(row)) {
    case kItemControl: return DialogTable_ControlRows()[static_cast<size_t>(row.index)].label;
    case kItemText: return DialogTable_TextRows()[static_cast<size_t>(row.index)].text;
    default: return "<" + std::to_string(DialogItem_Kind(row)) + ">";
    }
}

TEST(DialogTables, HoldsAllDialogsWithUniqueNumbersAndACountWord)
{
    EXPECT_EQ(gDialogRecordCount, 120);
    ASSERT_EQ(DialogTable_Records().size(), 120u);
    std::set<int> numbers;
    for (const DialogRecord& r : DialogTable_Records()) {
        numbers.insert(r.number);
        EXPECT_GE(r.number, 257);
        EXPECT_LE(r.number, 32500);
        EXPECT_GE(r.firstItem, 0);
        EXPECT_LE(r.firstItem + r.itemCount, static_cast<int>(DialogTable_ItemRows().size()));
    }
    EXPECT_EQ(numbers.size(), 120u);
    EXPECT_EQ(DialogTable_Records().front().number, 283);
    EXPECT_EQ(DialogTable_Records().back().number, 31105);
}

TEST(DialogTables, DialogsOtherPartsRelyOn)
{
    struct Case {
        int number, width, height, items;
        std::vector<std::pair<int, std::string>> texts;
    };
    const Case cases[] = {
        {1000, 411, 216, 2, {{1, "OK"}}},
        {273, 339, 147, 3, {{1, "Yes"}, {2, "No"}}},
        {271, 426, 138, 4, {{1, "Yes"}, {2, "Cancel"}, {4, "No"}}},
        {258, 375, 240, 4, {{1, "OK"}, {2, "Cancel"}}},
        {274, 600, 402, 25, {{1, "OK"}, {2, "Cancel"}, {3, "Reset"}, {6, "Plain Text"}, {7, "Bold"}, {11, "Shadow"}}},
        {30000, 510, 237, 3, {{1, "OK"}, {2, "<4>"}}},
        {30001, 531, 240, 4, {{1, "OK"}, {2, "Cancel"}, {3, "<4>"}}},
        {30155, 333, 138, 4, {{4, "Save Options as\nSystem Defaults"}}},
        {31110, 710, 470, 19, {{1, "Close"}, {4, "Clear"}, {6, "<4>"}, {7, "Color Sets"}, {17, "Compile"}}},
        {31120, 710, 470, 26, {{1, "OK"}, {4, "Check"}, {25, "pageref"}, {26, "instref"}}},
        {31105, 710, 470, 49, {{1, "OK"}, {4, "Check"}, {13, "Show Text"}, {21, "<4>"}, {23, "timed"}, {29, "<4>"}, {34, "Add"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        const DialogRecord* r = RecordOf(c.number);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->width, c.width);
        EXPECT_EQ(r->height, c.height);
        EXPECT_EQ(r->itemCount, c.items);
        for (const auto& [item, text] : c.texts) {
            EXPECT_EQ(ItemText(*r, item), text) << "item " << item;
        }
    }
    const DialogRecord* style = RecordOf(274);
    for (int item : {18, 19}) {
        EXPECT_EQ(ItemText(*style, item), "<4>");
    }
}

TEST(DialogTables, ControlRowsCarryTheirItemNumbers)
{
    for (const DialogRecord& r : DialogTable_Records()) {
        for (int item = 1; item <= r.itemCount; ++item) {
            const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(r.firstItem + item - 1)];
            if (DialogItem_Kind(row) == kItemControl) {
                EXPECT_EQ(DialogTable_ControlRows()[static_cast<size_t>(row.index)].item, item) << r.number;
            }
            EXPECT_NE(row.flags & kDialogItemEnabled, 0) << r.number << " item " << item;
        }
    }
}

// Classes of dialog 274's items as the toolkit reports them.
int32_t StyleDialogClass(int32_t item)
{
    if (item <= 3) return kClassButton;
    if (item == 4 || item == 5) return kClassCheckBox;  // apply, change current defaults
    if (item == 6 || (item >= 12 && item <= 14) || item == 22 || item == 23) return kClassRadio;
    if (item >= 7 && item <= 11) return kClassCheckBox;
    if (item == 18 || item == 19) return kClassList;
    if (item == 21) return kClassField;
    return kClassStaticText;
}

TEST(RecordFieldMap, TextStyleDialogPlacesEachValue)
{
    const auto fields = Record_BuildFieldMap(274, 25, StyleDialogClass);
    ASSERT_EQ(fields.size(), 25u);
    // Items 6-11 are one style-bit field stored with item 11.
    for (int item = 6; item <= 10; ++item) {
        EXPECT_EQ(fields[static_cast<size_t>(item - 1)].fieldClass, kClassSpecial);
        EXPECT_EQ(fields[static_cast<size_t>(item - 1)].size, 0);
    }
    const RecordField& style = fields[10];
    EXPECT_EQ(style.offset, 32);
    EXPECT_EQ(style.size, 4);
    EXPECT_EQ(style.flagIndex, 2);
    // The justification radios share one word, placed before item 15.
    for (int item = 12; item <= 14; ++item) {
        EXPECT_EQ(fields[static_cast<size_t>(item - 1)].offset, 36);
        EXPECT_EQ(fields[static_cast<size_t>(item - 1)].flagIndex, 3);
        EXPECT_EQ(fields[static_cast<size_t>(item - 1)].groupFirst, 12);
        EXPECT_EQ(fields[static_cast<size_t>(item - 1)].groupLast, 14);
    }
    EXPECT_EQ(fields[17].offset, 40);  // font list
    EXPECT_EQ(fields[18].offset, 44);  // size list
    EXPECT_EQ(fields[20].size, 0);     // the size field follows the list and has no value
    EXPECT_EQ(fields[21].offset, 48);  // scroll-bar radios
    EXPECT_EQ(fields[22].offset, 48);
    EXPECT_EQ(Record_Size(fields), 52);
}

// The class of an item as the toolkit gives it, read from the tables.
int32_t TableClass(const DialogRecord& r, int32_t item)
{
    const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(r.firstItem + item - 1)];
    switch (DialogItem_Kind(row)) {
    case kItemControl: return DialogTable_ControlRows()[static_cast<size_t>(row.index)].type;
    case kItemText: {
        const uint16_t type = DialogTable_TextRows()[static_cast<size_t>(row.index)].type;
        return type == 0 ? kClassField : type == 1 ? kClassStaticText : kClassScrolledField;
    }
    case kItemListArea: return kClassList;
    default: return kClassButton;
    }
}

// Each property dialog puts the value of an item where the property's record
// holds it, and the changed flag of an attribute record's word at the
// attribute's number, so that what the dialog changed is what gets written.
TEST(RecordFieldMap, PropertyDialogsPlaceEachValueWhereItsRecordHoldsIt)
{
    struct Layout {
        int dialog;
        int recordSize;
        std::vector<std::pair<int, int>> itemOffsets;
        bool flagsAreAttributes;
    };
    const std::vector<Layout> layouts = {
        {262, 64, {{4, 24}, {5, 28}, {6, 32}, {10, 36}, {11, 40}, {21, 44}, {23, 48}, {31, 52}, {32, 56}, {33, 60}},
         true},
        {263, 68, {{4, 24}, {5, 28}, {6, 32}, {9, 36}, {10, 40}, {11, 44}, {12, 48}, {13, 52}, {14, 56}, {18, 60},
                   {19, 64}}, true},
        {266, 40, {{4, 24}, {5, 28}, {6, 32}, {7, 36}}, true},
        {274, 60, {{4, 24}, {5, 28}, {11, 32}, {12, 36}, {18, 40}, {19, 44}, {22, 48}}, true},
        {269, 32, {{5, 24}, {11, 28}}, false},
        {270, 308, {{4, 24}, {5, 28}, {8, 32}, {10, 288}, {11, 292}, {15, 296}, {16, 300}, {17, 304}}, false},
        {280, 244, {{4, 24}, {8, 40}, {9, 44}, {10, 48}, {11, 64}, {12, 80}, {13, 84}, {17, 148}, {18, 164},
                    {22, 228}}, false},
        {281, 32, {{5, 24}, {6, 28}}, false},
        {282, 32, {{5, 24}, {6, 28}}, false},
        {286, 40, {{5, 24}, {6, 28}, {7, 32}, {8, 36}}, false},
        {260, 60, {{4, 24}, {5, 28}, {6, 32}, {7, 36}, {9, 40}, {13, 56}}, false},
        {288, 32, {{5, 24}, {6, 28}}, false},
        {278, 40, {{5, 24}, {8, 36}}, false},
        {295, 28, {{6, 24}}, false},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE("dialog " + std::to_string(layout.dialog));
        const DialogRecord* r = RecordOf(layout.dialog);
        ASSERT_NE(r, nullptr);
        const auto fields = Record_BuildFieldMap(layout.dialog, r->itemCount,
                                                 [r](int32_t item) { return TableClass(*r, item); });
        EXPECT_LE(Record_Size(fields), layout.recordSize);
        for (const auto& [item, offset] : layout.itemOffsets) {
            const RecordField& field = fields[static_cast<size_t>(item - 1)];
            EXPECT_EQ(field.offset, offset) << "item " << item;
            EXPECT_GT(field.size, 0) << "item " << item;
            if (layout.flagsAreAttributes) {
                EXPECT_EQ(field.flagIndex, (offset - 24) / 4) << "item " << item;
            }
        }
    }
}

TEST(RecordFieldMap, MessageDialogsKeepTheirTextAt24)
{
    for (int number : {1000, 273, 271}) {
        const int textItem = number == 1000 ? 2 : 3;
        const auto fields = Record_BuildFieldMap(number, number == 271 ? 4 : textItem, [](int32_t) { return 0; });
        EXPECT_EQ(fields[static_cast<size_t>(textItem - 1)].offset, 24) << number;
        EXPECT_EQ(fields[static_cast<size_t>(textItem - 1)].size, 256) << number;
        EXPECT_EQ(Record_Size(fields), 280) << number;
    }
}

TEST(RecordFieldMap, NoMoreThan24ChangedFlags)
{
    const auto fields = Record_BuildFieldMap(900, 30, [](int32_t) { return static_cast<int32_t>(kClassField); });
    EXPECT_EQ(fields[23].flagIndex, 23);
    EXPECT_EQ(fields[24].flagIndex, -1);
    EXPECT_EQ(fields[29].offset, 24 + 29 * 4);
}

TEST(RecordConversions, ValuesToDisplayAndBack)
{
    const int32_t widths[] = {0, 1, 2, 4, 8, 12, 16};
    const int32_t sides[] = {3, 4, 5, 6, 7, 8};
    const int32_t twice[] = {5, 7, 5};
    struct Case {
        const char* name;
        int32_t kind;
        std::span<const int32_t> map;
        int32_t value;
        int32_t display;
        int32_t back;  // record form of the display value
    };
    const Case cases[] = {
        {"fixed to pixels", 1, {}, 10 << 15, 10, 10 << 15},
        {"negative fixed rounds down", 1, {}, -(3 << 15) - 1, -4, -(4 << 15)},
        {"list index", 0, sides, 6, 3, 6},
        {"absent value", 0, sides, 9, -1, 9},
        {"searched from the last entry", 0, twice, 5, 2, 5},
        {"width in fixed", 2, widths, 4 << 15, 3, 4 << 15},
        {"zero width becomes 8192", 2, widths, 0, 0, 8192},
        {"8192 reads as the first entry", 2, widths, 8192, 0, 8192},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t display = Record_ToDisplay(c.kind, c.value, c.map);
        EXPECT_EQ(display, c.display);
        EXPECT_EQ(Record_ToRecord(c.kind, display, c.value, c.map), c.back);
    }
}

TEST(RecordConversions, TypedPixelsBeyondTheFixedRangeSaturate)
{
    EXPECT_EQ(Record_ToRecord(1, 70000, 0, {}), INT32_MAX);
    EXPECT_EQ(Record_ToRecord(1, -70000, 0, {}), INT32_MIN + 1);
    EXPECT_EQ(Record_ToRecord(1, 65535, 0, {}), 65535 * 32768);
    const int32_t sides[] = {3, 4, 5};
    EXPECT_EQ(Record_ToRecord(0, 3, 42, sides), 42);
    EXPECT_EQ(Record_ToRecord(0, -1, 42, sides), 42);
}

TEST(RecordConversions, ConvertsTheRowsOfItsDialogInPlace)
{
    // Dialog 263: item 6 maps 9/10/11 to 0/1/2; items 9-13 are Fixed lengths.
    std::vector<RecordField> fields;
    for (int item = 1; item <= 13; ++item) {
        RecordField f;
        f.item = item;
        f.fieldClass = kClassField;
        f.offset = 24 + (item - 1) * 4;
        f.size = 4;
        fields.push_back(f);
    }
    std::vector<uint8_t> record(24 + 13 * 4, 0);
    auto word = [&](int item) -> int32_t& { return *reinterpret_cast<int32_t*>(record.data() + 24 + (item - 1) * 4); };
    word(6) = 10;
    word(9) = 7 << 15;
    word(13) = 2 << 15;
    word(5) = 77;
    Record_Convert(263, fields, record.data(), static_cast<int32_t>(record.size()), true);
    EXPECT_EQ(word(6), 1);
    EXPECT_EQ(word(9), 7);
    EXPECT_EQ(word(13), 2);
    EXPECT_EQ(word(5), 77);
    Record_Convert(263, fields, record.data(), static_cast<int32_t>(record.size()), false);
    EXPECT_EQ(word(6), 10);
    EXPECT_EQ(word(9), 7 << 15);
    // A record too short for a field leaves it alone.
    Record_Convert(263, fields, record.data(), 24 + 8 * 4, true);
    EXPECT_EQ(word(9), 7 << 15);
}

TEST(RecordSpecialRows, RangesAndDialogBoundaries)
{
    const auto style = Record_FindSpecial(274, 9);
    ASSERT_TRUE(style.has_value());
    EXPECT_EQ(style->kind, kSpecialStyleBits);
    EXPECT_EQ(style->rangeFirst, 6);
    EXPECT_EQ(style->rangeLast, 11);
    EXPECT_FALSE(Record_FindSpecial(274, 12).has_value());
    EXPECT_EQ(Record_FindSpecial(280, 17)->kind, kSpecialShortString);
    EXPECT_FALSE(Record_FindSpecial(280, 23).has_value());
    EXPECT_EQ(Record_FindSpecial(1000, 2)->kind, kSpecialString);
    EXPECT_FALSE(Record_FindSpecial(30000, 3).has_value());
    EXPECT_EQ(Record_SpecialRows().size(), 28u);
    EXPECT_EQ(Record_ConversionRows().size(), 7u);
}

TEST(FillTiles, RowsRepeatAcrossAndDown)
{
    const FillPatternBits bits = Dialog_FillPatternBits(14);
    const FillTileBits tile = Dialog_FillTileBits(bits);
    for (size_t y = 0; y < 32; ++y) {
        for (size_t x = 0; x < 4; ++x) {
            EXPECT_EQ(tile[y * 4 + x], bits[y % 8]);
        }
    }
    EXPECT_EQ(Dialog_FillPatternBits(0), FillPatternBits{});
    EXPECT_EQ(Dialog_FillPatternBits(39), FillPatternBits{});
    std::set<FillPatternBits> distinct;
    for (int fill = 1; fill <= 38; ++fill) {
        distinct.insert(Dialog_FillPatternBits(fill));
    }
    EXPECT_EQ(distinct.size(), 38u);
}

// The screen uses the patterns that printing writes into PostScript.
TEST(FillTiles, PatternsAreTheDocumentedBytes)
{
    const struct {
        int fill;
        FillPatternBits bits;
    } cases[] = {
        {1, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}},
        {2, {0xbb, 0xff, 0xee, 0xff, 0xbb, 0xff, 0xee, 0xff}},
        {16, {0x1f, 0x2e, 0x44, 0xe2, 0xf1, 0xe8, 0x44, 0x8e}},
        {20, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {29, {0x55, 0x00, 0x01, 0x00, 0x11, 0x00, 0x01, 0x00}},
        {38, {0x00, 0x10, 0x28, 0x54, 0xaa, 0x54, 0x28, 0x10}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Dialog_FillPatternBits(c.fill), c.bits) << "pattern " << c.fill;
    }
}

}  // namespace
