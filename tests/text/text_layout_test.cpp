// Text layout without X, with a fixed-width font (1.0 unit per character):
// wrapping by the frame width, end marks, hard breaks, line placement by the
// alignments, insertion in the middle, deletion with re-wrap, font tables,
// X font names and the "fixed" fallback.
#include "TextFixture.h"

#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextEdit.h"

using namespace texttest;

namespace {

class LayoutTest : public TextFixture {};

struct WrapCase {
    const char* name;
    double frameWidth;
    std::string typed;
    std::vector<Line> lines;
};

TEST_F(LayoutTest, TypedTextWrapsByTheFrameWidth)
{
    const std::vector<WrapCase> cases = {
        {"fits", 13, "hello", {{"hello", kEndOfText}}},
        {"breaks after the space", 13, "hello world", {{"hello ", kEndWrapped}, {"world", kEndOfText}}},
        {"long word broken at the last character that fits",
         13,
         "abcdefghijklmno",
         {{"abcdefghij", kEndWrapped}, {"klmno", kEndOfText}}},
        {"hyphen stays at the end of its line",
         13,
         "well-known words",
         {{"well-", kEndWrapped}, {"known ", kEndWrapped}, {"words", kEndOfText}}},
        {"line feed", 13, "ab\ncd", {{"ab", kEndLineFeed}, {"cd", kEndOfText}}},
        {"carriage return", 13, "a\rb", {{"a", kEndReturn}, {"b", kEndOfText}}},
        {"trailing line feed", 13, "ab\n", {{"ab", kEndLineFeed}, {"", kEndOfText}}},
        {"empty lines between", 13, "a\n\nb", {{"a", kEndLineFeed}, {"", kEndLineFeed}, {"b", kEndOfText}}},
        {"width 3.5 keeps 3.5", 3.5, "abcd", {{"abc", kEndWrapped}, {"d", kEndOfText}}},
        {"width 4 wraps at 1.0", 4, "abc", {{"a", kEndWrapped}, {"b", kEndWrapped}, {"c", kEndOfText}}},
    };
    for (const WrapCase& c : cases) {
        SCOPED_TRACE(c.name);
        ObjectHandle node = NodeWithText(c.frameWidth);
        Put(node, c.typed);
        EXPECT_EQ(Lines(node), c.lines);
        EXPECT_EQ(Rec(TextOf(node))->lineCount, c.lines.size());
        EXPECT_EQ(Whole(node), c.typed);
    }
}

TEST_F(LayoutTest, TypingOneCharacterAtATimeWrapsLikeInsertingAtOnce)
{
    ObjectHandle node = NodeWithText(13);
    const std::string typed = "the quick brown fox jumps over the lazy dog";
    for (char c : typed) {
        Put(node, std::string(1, c));
    }
    ObjectHandle other = NodeWithText(13);
    Put(other, typed);
    EXPECT_EQ(Lines(node), Lines(other));
    EXPECT_EQ(Cursor(node), typed.size());
    for (const Line& line : Lines(node)) {
        EXPECT_FALSE(line.characters.empty()) << "no line is empty because of wrapping";
        EXPECT_LE(line.characters.size(), 10u);
    }
}

TEST_F(LayoutTest, InsertingALineBreakInTheMiddleSplitsTheLine)
{
    ObjectHandle node = NodeWithText(40);
    Put(node, "abcdef");
    ASSERT_EQ(Text_SetSelection(TextOf(node), 3, 3), kStatusOk);
    Put(node, "x\ny");
    EXPECT_EQ(Lines(node), (std::vector<Line>{{"abcx", kEndLineFeed}, {"ydef", kEndOfText}}));
    EXPECT_EQ(Cursor(node), 6u);  // after the y
}

TEST_F(LayoutTest, InsertingAtTheEndKeepsTheEndMarkOnTheLastLine)
{
    ObjectHandle node = NodeWithText(13);
    Put(node, "one\ntwo");
    Put(node, " more words here", 2);
    std::vector<Line> lines = Lines(node);
    ASSERT_GE(lines.size(), 3u);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_NE(lines[i].endMark, kEndOfText);
    }
    EXPECT_EQ(lines.back().endMark, kEndOfText);
    EXPECT_EQ(Whole(node), "one\ntwo more words here");
}

TEST_F(LayoutTest, TheThreeAlignmentsPlaceALine)
{
    struct Case {
        uint32_t alignment;
        Fixed x;
    };
    for (Case c : {Case{2, F(10)}, Case{0, F(18.5)}, Case{1, F(1.5)}, Case{7, F(1.5)}}) {
        SCOPED_TRACE(c.alignment);
        ObjectHandle node = NodeWithText(30, c.alignment);
        Put(node, "abcdefghij");  // 10.0 wide
        MemHandle first = Rec(TextOf(node))->firstLine;
        EXPECT_EQ(LineRec(first)->width, F(10));
        EXPECT_EQ(LineRec(first)->x, c.x);
    }
}

TEST_F(LayoutTest, ChangingTheAlignmentPlacesEveryLineAgain)
{
    ObjectHandle node = NodeWithText(13, 1);
    Put(node, "abc\nabcdef");
    Text_SetAlignment(TextOf(node), 0);
    MemHandle first = Rec(TextOf(node))->firstLine;
    MemHandle second = LineRec(first)->next;
    EXPECT_EQ(LineRec(first)->x, F(13 - 3 - 1.5));
    EXPECT_EQ(LineRec(second)->x, F(13 - 6 - 1.5));
}

TEST_F(LayoutTest, ALabelNeverWraps)
{
    ObjectHandle node = Model_NewNode(page);
    Model_SetFieldValue(node, Field::kShapeKind, 12);
    MemHandle text = Text_CreateLabel(node, FixPoint{F(100), F(50)});
    Text_ForgetLabel();
    ASSERT_NE(text, 0u);
    Text_SetFontFamily(text, 3);
    Text_SetFontSize(text, 12);
    Text_SetFontStyle(text, 0);
    Put(node, "a rather long label that would wrap in any bounded frame");
    EXPECT_EQ(Lines(node).size(), 1u);
    EXPECT_EQ(LineRec(Rec(text)->firstLine)->x, F(101.5));
}

TEST_F(LayoutTest, TheLabelBoxCoversItsLines)
{
    ObjectHandle node = Model_NewNode(page);
    Model_SetFieldValue(node, Field::kShapeKind, 12);
    MemHandle text = Text_CreateLabel(node, FixPoint{F(100), F(50)});
    Text_ForgetLabel();
    Text_SetFontFamily(text, 3);
    Text_SetFontSize(text, 12);
    Text_SetFontStyle(text, 0);
    FixRect box{};
    EXPECT_EQ(Text_ObjectLabelBox(text, &box), 0u) << "an empty label has no box";
    Put(node, "abcdefghij\nabcdefghijklmn");  // widths 10 and 14, heights 6 each
    ASSERT_EQ(Text_ObjectLabelBox(text, &box), 1u);
    EXPECT_EQ(box, (FixRect{F(100), F(50), F(117), F(63)}));
}

struct DeleteCase {
    const char* name;
    std::string text;
    int32_t cursor;
    int32_t n;
    std::vector<Line> lines;
    uint32_t cursorAfter;
};

TEST_F(LayoutTest, DeletingCharactersJoinsAndRewrapsLines)
{
    const std::vector<DeleteCase> cases = {
        {"line feed joins two lines", "ab\ncd", 2, 1, {{"abcd", kEndOfText}}, 2},
        {"backspace over the line feed", "ab\ncd", 3, -1, {{"abcd", kEndOfText}}, 2},
        {"last character leaves one empty line", "x", 1, -1, {{"", kEndOfText}}, 0},
        {"backspace at the start does nothing", "ab", 0, -1, {{"ab", kEndOfText}}, 0},
        {"delete at the end does nothing", "ab", 2, 1, {{"ab", kEndOfText}}, 2},
        {"more than there is does nothing", "ab", 1, 5, {{"ab", kEndOfText}}, 1},
        {"words move up after a deletion",
         "hello world foo",
         0,
         6,
         {{"world foo", kEndOfText}},
         0},
        {"deleting in the first line pulls the next word up",
         "abcdefgh ij klm",
         0,
         3,
         {{"defgh ij ", kEndWrapped}, {"klm", kEndOfText}},
         0},
    };
    for (const DeleteCase& c : cases) {
        SCOPED_TRACE(c.name);
        ObjectHandle node = NodeWithText(13);
        Put(node, c.text);
        MemHandle text = TextOf(node);
        ASSERT_EQ(Text_SetSelection(text, c.cursor, c.cursor), kStatusOk);
        Text_DeleteChars(text, c.n);
        EXPECT_EQ(Lines(node), c.lines);
        EXPECT_EQ(Cursor(node), c.cursorAfter);
        EXPECT_EQ(Rec(text)->lineCount, c.lines.size());
    }
}

TEST_F(LayoutTest, DeletingNextToAReferenceLeavesTheReference)
{
    ObjectHandle referred = NodeWithText(20);
    ObjectHandle node = NodeWithText(40);
    Put(node, "ab");
    ASSERT_EQ(Text_SetSelection(TextOf(node), 1, 1), kStatusOk);
    ASSERT_EQ(Text_InsertReference(node, referred), kStatusOk);
    const std::string shown = "a<<" + std::to_string(referred) + ">>b";
    EXPECT_EQ(Whole(node), shown);
    Text_DeleteChars(TextOf(node), -1);  // the cursor stands after the reference
    EXPECT_EQ(Whole(node), shown);
    ASSERT_EQ(Text_SetSelection(TextOf(node), 1, 1), kStatusOk);
    Text_DeleteChars(TextOf(node), 1);
    EXPECT_EQ(Whole(node), shown);
    EXPECT_EQ(Text_ReferrerCount(referred), 1u);
}

TEST_F(LayoutTest, ChangingTheFrameWidthRewrapsAndKeepsCursorAndSelection)
{
    ObjectHandle node = NodeWithText(40);
    Put(node, "alpha beta gamma delta");
    ASSERT_EQ(Text_SetSelection(TextOf(node), 6, 10), kStatusOk);
    FixRect box{0, 0, F(13), F(100)};
    Model_SetField(node, Field::kBox, &box);
    ASSERT_EQ(Text_FitToObject(node), kStatusOk);
    EXPECT_EQ(Lines(node), (std::vector<Line>{{"alpha ", kEndWrapped}, {"beta ", kEndWrapped},
                                             {"gamma ", kEndWrapped}, {"delta", kEndOfText}}));
    EXPECT_EQ(Cursor(node), 6u);
    EXPECT_EQ(SelectionEnd(node), 10u);
}

TEST_F(LayoutTest, NoWrapKeepsLongLines)
{
    ObjectHandle node = NodeWithText(13);
    ASSERT_EQ(Text_SetNoWrap(node, 1), kStatusOk);
    Put(node, "a line much longer than the frame");
    EXPECT_EQ(Lines(node).size(), 1u);
    ASSERT_EQ(Text_SetNoWrap(node, 0), kStatusOk);
    EXPECT_GT(Lines(node).size(), 1u);
}

TEST_F(LayoutTest, ControlCharactersAreStripped)
{
    uint8_t bytes[] = {'a', 1, 'b', '\t', 'c', '\r', '\n', 0xE9, 0};
    EXPECT_EQ(Text_StripControls(bytes, sizeof(bytes)), 6u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 6), "ab\tc\r\n");
}

TEST_F(LayoutTest, PutStringModes)
{
    ObjectHandle node = NodeWithText(40);
    Put(node, "abcdef", 0);
    ASSERT_EQ(Text_SetSelection(TextOf(node), 1, 3), kStatusOk);
    Put(node, "X", 1);  // at the selection's end, selection dropped
    EXPECT_EQ(Whole(node), "abcXdef");
    EXPECT_EQ(Text_HasSelection(), 0u);
    ASSERT_EQ(Text_SetSelection(TextOf(node), 0, 2), kStatusOk);
    Put(node, "Y", 3);  // replaces the selection
    EXPECT_EQ(Whole(node), "YcXdef");
    Put(node, "!", 2);
    EXPECT_EQ(Whole(node), "YcXdef!");
    Put(node, "", 0);
    EXPECT_EQ(Lines(node), (std::vector<Line>{{"", kEndOfText}}));
}

TEST_F(LayoutTest, GetStringIsBoundedByTheBufferWhenReferencesAreExpanded)
{
    ObjectHandle referred = NodeWithText(20);
    ObjectHandle node = NodeWithText(40);
    Put(node, "ab");
    ASSERT_EQ(Text_SetSelection(TextOf(node), 1, 1), kStatusOk);
    ASSERT_EQ(Text_InsertReference(node, referred), kStatusOk);
    // Three positions, but "a<<N>>b" in display mode.
    char buffer[16];
    std::memset(buffer, '#', sizeof(buffer));
    uint32_t length = 3;
    ASSERT_EQ(Text_GetString(node, buffer, &length, kRefDisplay), kStatusOk);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(std::string(buffer), "a<<");
    EXPECT_EQ(buffer[4], '#') << "nothing written past the terminator";
    length = 100;
    ASSERT_EQ(Text_GetString(node, buffer, &length, kRefDropped), kStatusOk);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(std::string(buffer), "ab");
    ASSERT_EQ(Text_GetString(node, buffer, nullptr, kRefDisplay), kStatusOk);
    EXPECT_EQ(std::string(buffer), "") << "no selection: an empty string";
    EXPECT_EQ(Text_GetString(Model_NewNode(page), buffer, &length, 0), kStatusNoText);
}

// ---- Fonts ----

TEST_F(LayoutTest, FontsAreSharedByReferenceCount)
{
    FontSpec wantedFont{3, 12, kStyleBold};
    int16_t first = Text_AcquireFont(&wantedFont);
    int16_t again = Text_AcquireFont(&wantedFont);
    ASSERT_GE(first, 0);
    EXPECT_EQ(first, again);
    EXPECT_EQ(Text_FontReferenceCount(first), 2);
    EXPECT_EQ(Fonts().loaded, 1);
    Text_ReleaseFont(first);
    EXPECT_EQ(Fonts().loaded, 1);
    Text_ReleaseFont(first);
    EXPECT_EQ(Fonts().loaded, 0);
    EXPECT_EQ(Text_LayoutFont(first), nullptr);
    FontSpec other{5, 14, 0};
    EXPECT_EQ(Text_AcquireFont(&other), first) << "a freed slot is used again";
    Text_ReleaseFont(first);
}

TEST_F(LayoutTest, SettingAFontComponentChangesTheFontOnlyWhenItDiffers)
{
    ObjectHandle node = NodeWithText(20);
    MemHandle text = TextOf(node);
    int16_t before = Rec(text)->font;
    ASSERT_GE(before, 0);
    size_t loads = Fonts().names.size();
    Text_SetFontSize(text, 14);
    EXPECT_EQ(Fonts().names.size(), loads + 1);
    EXPECT_EQ(Fonts().names.back(), "*-helvetica-medium-r-*-140-75-75-*");
    Text_SetFontSize(text, 14);
    EXPECT_EQ(Fonts().names.size(), loads + 1);
    EXPECT_EQ(Fonts().loaded, 1) << "the 12-point font was released";
}

TEST_F(LayoutTest, FontNamesFollowTheFamilyTable)
{
    struct Case {
        FontSpec wantedFont;
        const char* name;
        uint16_t loaded;
    };
    const Case cases[] = {
        {{3, 11, kStyleBold | kStyleItalic}, "*-helvetica-bold-o-*-100-75-75-*", 10},
        {{3, 12, kStyleBold}, "*-helvetica-bold-r-*-120-75-75-*", 12},
        {{5, 12, kStyleItalic}, "*-times-medium-i-*-120-75-75-*", 12},
        {{5, 18, kStyleBold | kStyleItalic}, "*-times-bold-i-*-180-75-75-*", 18},
        {{1, 6, 0}, "*-courier-medium-r-*-80-75-75-*", 8},
        {{0, 30, 0}, "*-courier-medium-r-*-240-75-75-*", 24},
        {{6, 14, kStyleBold}, "*-symbol-medium-r-*-140-75-75-*", 14},
        {{4, 10, 0}, "6x13", 9},
        {{4, 13, 0}, "8x13", 12},
        {{4, 20, 0}, "9x15", 14},
    };
    for (const Case& c : cases) {
        char name[128];
        uint16_t loaded = 0;
        Text_FontName(c.wantedFont, name, sizeof(name), &loaded);
        EXPECT_STREQ(name, c.name);
        EXPECT_EQ(loaded, c.loaded) << c.name;
    }
    const uint16_t scalable[] = {8, 10, 12, 14, 18, 24, 0};
    const uint16_t fixed[] = {9, 12, 14, 0};
    EXPECT_EQ(Text_NearestFontSize(scalable, 13), 12);
    EXPECT_EQ(Text_NearestFontSize(scalable, 6), 8);
    EXPECT_EQ(Text_NearestFontSize(scalable, 30), 24);
    EXPECT_EQ(Text_NearestFontSize(fixed, 10), 9);
}

TEST_F(LayoutTest, AMissingFontFallsBackToFixedWithAWarning)
{
    Fonts().missing = {"*-times-medium-r-*-120-75-75-*"};
    FontSpec wantedFont{5, 12, 0};
    testing::internal::CaptureStderr();
    int16_t font = Text_AcquireFont(&wantedFont);
    std::string warning = testing::internal::GetCapturedStderr();
    ASSERT_GE(font, 0);
    EXPECT_EQ(Fonts().names.back(), "fixed");
    EXPECT_NE(warning.find(": cannot find the selected font in 75dpi family.\n\tUsing fixed font instead.\n\n"
                           "WARNING: the text lay out will not be correct!\n"),
              std::string::npos)
        << warning;
    Text_ReleaseFont(font);
}

TEST_F(LayoutTest, WidthsAndHeightsInPageUnits)
{
    FontSpec wantedFont{3, 12, 0};
    int16_t font = Text_AcquireFont(&wantedFont);
    LoadedFont* entry = Text_LayoutFont(font);
    EXPECT_EQ(Text_FontHeight(font), F(6));
    EXPECT_EQ(Text_CharWidth(entry, 0, 'a', 0), F(1));
    EXPECT_EQ(Text_CharWidth(entry, 0, 7, 0), 0) << "control characters measure nothing";
    // Space 2 pixels, tab size 4: stops every 8 pixels (4.0 units).
    EXPECT_EQ(Text_CharWidth(entry, F(2.5), '\t', 0), F(1.5));
    EXPECT_EQ(Text_CharWidth(entry, F(4), '\t', 0), F(4));
    Fixed width = 0;
    Fixed height = 0;
    EXPECT_EQ(Text_MeasureString(font, "ab\x01" "c", 4, &width, &height), kStatusOk);
    EXPECT_EQ(width, F(3));
    EXPECT_EQ(height, F(6));
    EXPECT_EQ(Text_MeasureString(99, "ab", 2, &width, &height), kStatusFailed);
    uint16_t fitted = 0;
    Text_CharsThatFit(F(3), "abcd", 4, font, &fitted);
    EXPECT_EQ(fitted, 2) << "the character that reaches the width does not count";
    Text_ReleaseFont(font);
}

TEST_F(LayoutTest, TheScreenFontFollowsThePageScale)
{
    ObjectHandle node = NodeWithText(20);
    MemHandle text = TextOf(node);
    Text_UpdateScreenFont(text, F(1.5));
    EXPECT_GE(Rec(text)->screenFont, 0);
    EXPECT_EQ(Fonts().names.back(), "*-helvetica-medium-r-*-180-75-75-*");
    EXPECT_EQ(Text_DrawingFont(text)->requestedSize, 18);
    size_t loads = Fonts().names.size();
    Text_UpdateScreenFont(text, F(1.5));
    EXPECT_EQ(Fonts().names.size(), loads) << "the same scale changes nothing";
    Text_UpdateScreenFont(text, F(1));
    EXPECT_EQ(Rec(text)->screenFont, kScreenIsLayoutFont);
    EXPECT_EQ(Fonts().loaded, 1) << "the 18-point screen font was released";

    Text_SetFontFamily(text, 4);  // Monaco 12 loads at 12: the same font at scale 1
    Text_SetFontSize(text, 10);   // Monaco 10 loads at 9
    Text_UpdateScreenFont(text, F(1));
    EXPECT_GE(Rec(text)->screenFont, 0) << "a font loaded at another size gets a screen font of its own";
}

TEST_F(LayoutTest, TheFontWaitsForAllThreeComponents)
{
    // A bare text record: no text defaults give it a font.
    MemHandle text = Text_Create(0, FixRect{0, 0, F(20), F(20)}, 1);
    ASSERT_NE(text, 0u);
    Text_SetFontSize(text, 12);
    Text_SetFontStyle(text, 0);
    EXPECT_TRUE(Fonts().names.empty());
    Text_SetFontFamily(text, 3);
    EXPECT_EQ(Fonts().names.size(), 1u);
    uint16_t height = 0;
    ASSERT_EQ(Text_GetLineHeight(text, &height), kStatusOk);
    EXPECT_EQ(height, 12);
    Text_Free(text);
}

}  // namespace
