// The small primitives under layout and references, without X and with the
// fixed-width font (1.0 unit per character): how many characters fit on a
// line, the width of a reference segment, which of two lines comes later,
// whether a reference lies between two positions, and the frame width floor.
#include "TextFixture.h"

#include "xkv/text/TextInternal.h"

using namespace texttest;

namespace {

class PrimitivesTest : public TextFixture {
protected:
    static std::vector<textimpl::Cell> CellsOf(const std::string& characters)
    {
        std::vector<textimpl::Cell> cells;
        for (char c : characters) {
            cells.push_back({static_cast<uint8_t>(c), 0});
        }
        return cells;
    }

    static MemHandle LineAfter(MemHandle line) { return LineRec(line)->next; }
};

TEST_F(PrimitivesTest, FitCharsTakesTheRunUpToTheLastBreakThatFits)
{
    struct Case {
        const char* name;
        std::string characters;
        double width;
        size_t fitted;
    };
    const std::vector<Case> cases = {
        {"all fit", "hello", 10, 5},
        {"exactly the width", "abcdefghij", 10, 10},
        {"up to the space", "hello world", 10, 6},
        {"a hyphen stays with its word", "well-known", 7, 5},
        {"a long word is broken where it stops fitting", "abcdefghijklmno", 10, 10},
        {"at least one character", "abc", 0.5, 1},
        {"nothing to fit", "", 10, 0},
    };
    ObjectHandle node = NodeWithText(40);
    LoadedFont* font = Text_LayoutFont(Rec(TextOf(node))->font);
    ASSERT_NE(font, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<textimpl::Cell> cells = CellsOf(c.characters);
        EXPECT_EQ(textimpl::Text_FitChars(font, cells, F(c.width)), c.fitted);
    }
}

TEST_F(PrimitivesTest, RunWidthMeasuresTheCharactersOfASegment)
{
    ObjectHandle node = NodeWithText(40);
    ObjectHandle referred = NodeWithText(40);
    LoadedFont* font = Text_LayoutFont(Rec(TextOf(node))->font);
    ASSERT_NE(font, nullptr);
    MemHandle reference = Text_MakeReference(referred, 0);
    ASSERT_NE(reference, 0u);
    const auto length = static_cast<int>(("<<" + std::to_string(referred & 0xffff) + ">>").size());
    struct Case {
        const char* name;
        uint16_t start;
        uint16_t end;
        int characters;
    };
    const std::vector<Case> cases = {
        {"end 0 is the whole display string", 0, 0, length},
        {"a part in the middle", 2, 4, 2},
        {"an end past the string stops at its end", 3, 100, length - 3},
        {"start at the end is empty", static_cast<uint16_t>(length), static_cast<uint16_t>(length), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemHandle segment = TextSeg_New(reference, c.start, c.end);
        ASSERT_NE(segment, 0u);
        EXPECT_EQ(Text_RunWidth(font, segment), F(c.characters));
        Mem_Free(segment);  // the reference is freed once, below
    }
    EXPECT_EQ(Text_RunWidth(font, 0), 0) << "no segment";
    Text_FreeReference(reference, 0);
}

TEST_F(PrimitivesTest, LineOrderReferencesBetweenPositionsAndTheReferenceAtAColumn)
{
    ObjectHandle node = NodeWithText(40);
    ObjectHandle referred = NodeWithText(40);
    Put(node, "ab\ncd\nef");
    MemHandle text = TextOf(node);
    ASSERT_EQ(Text_SetSelection(text, 4, 4), kStatusOk);  // between c and d
    ASSERT_EQ(Text_InsertReference(node, referred), kStatusOk);
    const MemHandle l0 = Rec(text)->firstLine;
    const MemHandle l1 = LineAfter(l0);
    const MemHandle l2 = LineAfter(l1);
    ASSERT_NE(l2, 0u);
    ASSERT_EQ(LineRec(l1)->length, 3u) << "c, the reference byte, d";

    struct Between {
        const char* name;
        TextPosition from;
        TextPosition to;
        bool reference;
    };
    const std::vector<Between> between = {
        {"the whole text", {l0, 0}, {l2, 2}, true},
        {"up to the reference, not including it", {l0, 0}, {l1, 1}, false},
        {"just the reference byte", {l1, 1}, {l1, 2}, true},
        {"after the reference", {l1, 2}, {l2, 1}, false},
        {"one line without one", {l0, 0}, {l0, 2}, false},
        {"an empty range at the reference", {l1, 1}, {l1, 1}, false},
        {"a column past the line's end", {l0, 0}, {l0, 200}, false},
    };
    for (const Between& c : between) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Text_HasReferenceBetween(c.from, c.to), c.reference);
    }

    struct Order {
        const char* name;
        MemHandle a;
        MemHandle b;
        MemHandle later;
    };
    const std::vector<Order> order = {
        {"first before last", l0, l2, l2},
        {"last before first", l2, l0, l2},
        {"neighbours", l1, l0, l1},
        {"the same line", l1, l1, l1},
        {"a line outside the text counts as later", l1, 0, 0},
        {"also as the first argument", 0, l1, 0},
    };
    for (const Order& c : order) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Text_LaterLine(l0, c.a, c.b), c.later);
    }

    EXPECT_NE(TextLine_ReferenceAt(l1, 1), 0u);
    EXPECT_EQ(TextLine_ReferenceAt(l1, 0), 0u) << "a character, not a reference";
    EXPECT_EQ(TextLine_ReferenceAt(l1, 3), 0u) << "the line's end";
    EXPECT_EQ(Text_ReferencedObjectAt(l1, 1), referred);
}

TEST_F(PrimitivesTest, EnsureMinWidthRaisesOnlyANegativeWidth)
{
    const std::vector<std::pair<Fixed, Fixed>> cases = {
        {F(-1), F(0.5)}, {-1, F(0.5)}, {0, 0}, {F(0.25), F(0.25)}, {F(5), F(5)},
    };
    ObjectHandle node = NodeWithText(40);
    TextRec* text = Rec(TextOf(node));
    for (const auto& [width, expected] : cases) {
        SCOPED_TRACE(width);
        text->frameWidth = width;
        Text_EnsureMinWidth(text);
        EXPECT_EQ(text->frameWidth, expected);
    }
    Text_EnsureMinWidth(nullptr);  // no text: nothing happens
}

}  // namespace
