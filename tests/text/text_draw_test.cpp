// Runs of characters laid out in pixels without X: one piece per stretch
// between TABs at the font's own size, one per character on a zoomed page,
// the area a run covers, the TAB stop; and positions and widths on a line
// whose reference segment starts inside its display string.
#include "TextFixture.h"
#include "SplitReference.h"

#include <string>
#include <vector>

#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextDraw.h"

namespace {

using texttest::kUnit;
using texttest::TextFixture;

struct Piece {
    int32_t x;
    std::string characters;
    bool operator==(const Piece&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Piece& piece)
{
    return out << "{" << piece.x << ", \"" << piece.characters << "\"}";
}

std::vector<Piece> PiecesOf(const RunLayout& run)
{
    std::vector<Piece> pieces;
    for (const RunPiece& p : run.pieces) {
        pieces.push_back({p.x, p.characters});
    }
    return pieces;
}

class RunLayoutTest : public TextFixture {
protected:
    void SetUp() override
    {
        TextFixture::SetUp();
        Text_SetTabSize(4);
        FontSpec helvetica{3, 12, 0};
        font = Text_AcquireFont(&helvetica);
        ASSERT_GE(font, 0);
    }
    void TearDown() override
    {
        Text_ReleaseFont(font);
        TextFixture::TearDown();
    }

    void SetScale(double scale)
    {
        Model_SetFieldValue(page, Field::kScaleX, static_cast<uint32_t>(F(scale)));
        Model_SetFieldValue(page, Field::kScaleY, static_cast<uint32_t>(F(scale)));
    }

    int16_t font = kNoFont;
};

// The fixture's font: every character 2 pixels (1.0 unit) wide at scale 1;
// tab stops every 4 spaces, 8 pixels.
TEST_F(RunLayoutTest, PiecesAndAreaOfARun)
{
    struct Case {
        const char* name;
        double scale;
        std::string characters;
        Fixed origin;
        Fixed start;
        Fixed rightEnd;
        bool perCharacter;
        uint32_t mode;
        std::vector<Piece> pieces;
        Fixed width;
        int32_t left;
        int32_t right;
    };
    const std::vector<Case> cases = {
        {"one buffered piece", 1, "abc", 0, 0, kUnboundedFrame, false, 1, {{0, "abc"}}, F(3), 0, 6},
        {"a TAB ends the piece; the next starts at the stop", 1, "ab\tc", 0, 0, kUnboundedFrame, false, 1,
         {{0, "ab"}, {8, "c"}}, F(5), 0, 10},
        {"zoomed: every character at its own place", 2, "ab\tc", 0, 0, kUnboundedFrame, true, 1,
         {{0, "a"}, {4, "b"}, {16, "c"}}, F(5), 0, 20},
        {"the origin and start move the run", 2, "xy", F(1.5), F(2), kUnboundedFrame, true, 1,
         {{14, "x"}, {18, "y"}}, F(2), 14, 22},
        {"a TAB measures from the line's start", 1, "\tc", 0, F(3), kUnboundedFrame, false, 1, {{8, "c"}}, F(2), 6,
         10},
        {"mode 4 covers from the origin, mode 8 to the right end", 1, "ab", F(1), F(2), F(20), false, 1 | 4 | 8,
         {{6, "ab"}}, F(2), 2, 40},
        {"without a bounded right end modes 4 and 8 cover only the run", 1, "ab", F(1), F(2), kUnboundedFrame, false,
         1 | 4 | 8, {{6, "ab"}}, F(2), 6, 10},
        {"control characters are neither drawn nor measured", 1, std::string("a\x01" "b", 3), 0, 0, kUnboundedFrame,
         false, 1, {{0, "ab"}}, F(2), 0, 4},
        {"an empty run covers the rest of the line", 1, "", 0, F(5), F(10), false, 8, {}, 0, 10, 20},
    };
    for (const Case& c : cases) {
        SetScale(c.scale);
        RunLayout run = Text_LayoutRun(TextPixelMap{nullptr, page}, c.characters, c.origin, c.start, c.rightEnd,
                                       Text_LayoutFont(font), c.perCharacter, c.mode);
        EXPECT_EQ(PiecesOf(run), c.pieces) << c.name;
        EXPECT_EQ(run.width, c.width) << c.name;
        EXPECT_EQ(run.left, c.left) << c.name;
        EXPECT_EQ(run.right, c.right) << c.name;
    }
}

TEST_F(RunLayoutTest, ARunIsBoundedTo1023Characters)
{
    SetScale(1);
    std::string many(4000, 'w');
    RunLayout buffered = Text_LayoutRun(TextPixelMap{nullptr, page}, many, 0, 0, kUnboundedFrame,
                                        Text_LayoutFont(font), false, 1);
    ASSERT_EQ(buffered.pieces.size(), 1u);
    EXPECT_EQ(buffered.pieces[0].characters.size(), 1023u);
    EXPECT_EQ(buffered.width, F(1023));
    RunLayout zoomed = Text_LayoutRun(TextPixelMap{nullptr, page}, many, 0, 0, kUnboundedFrame,
                                      Text_LayoutFont(font), true, 1);
    EXPECT_EQ(zoomed.pieces.size(), 1023u);
}

// A loaded font whose characters (the space too) are 6 pixels wide at its
// loaded size 12, asked for at the requested size.
struct SixPixelFont {
    explicit SixPixelFont(uint16_t requestedSize)
    {
        wide.min_char_or_byte2 = 0;
        wide.max_char_or_byte2 = 255;
        wide.min_bounds.width = 6;
        wide.max_bounds.width = 6;
        wide.ascent = 10;
        wide.descent = 2;
        font.family = 3;
        font.requestedSize = requestedSize;
        font.loadedSize = 12;
        font.layout = true;
        font.xfont = &wide;
        font.referenceCount = 1;
    }
    SixPixelFont(const SixPixelFont&) = delete;
    SixPixelFont& operator=(const SixPixelFont&) = delete;
    XFontStruct wide{};
    LoadedFont font;
};

TEST_F(RunLayoutTest, ATabAfterTenPixelsIsFourteenWide)
{
    SixPixelFont sixPixels(12);
    LoadedFont& six = sixPixels.font;
    EXPECT_EQ(Text_CharWidth(&six, F(5), '\t', 0), F(7)) << "14 pixels";
    SetScale(1);
    RunLayout run = Text_LayoutRun(TextPixelMap{nullptr, page}, "\tz", 0, F(5), kUnboundedFrame, &six, false, 1);
    EXPECT_EQ(PiecesOf(run), (std::vector<Piece>{{24, "z"}})) << "the next character starts at 24 pixels";
    SetScale(2);
    run = Text_LayoutRun(TextPixelMap{nullptr, page}, "\tz", 0, F(5), kUnboundedFrame, &six, true, 1);
    EXPECT_EQ(PiecesOf(run), (std::vector<Piece>{{48, "z"}}));
}

// A font size from a file can make tab stops more than half the coordinate
// range apart: the width to the next stop is still the exact distance.
TEST_F(RunLayoutTest, TabStopsOfAHugeFontDoNotWrapRound)
{
    SixPixelFont hugePixels(18312);
    LoadedFont& huge = hugePixels.font;
    Fixed stop = Text_CharWidth(&huge, 0, '\t', 0);
    ASSERT_GT(stop, INT32_MAX / 2);
    for (Fixed x : {stop + 1, Fixed{INT32_MAX}}) {
        Fixed width = Text_CharWidth(&huge, x, '\t', 0);
        EXPECT_GT(width, 0) << x;
        EXPECT_LE(width, stop) << x;
        EXPECT_EQ((int64_t{x} + width) % stop, 0) << x << " ends on a stop";
    }
}

TEST_F(RunLayoutTest, PixelsMapBackToThePageUnitsTheyCameFrom)
{
    for (double scale : {1.0, 1.5, 2.0}) {
        SetScale(scale);
        TextPixelMap map{nullptr, page};
        for (Fixed x : {F(0), F(3), F(17.5), F(100)}) {
            int32_t px = Text_MapX(map, x);
            EXPECT_EQ(px, static_cast<int32_t>(x / 65536.0 * 2 * scale + 0.5)) << scale;
            EXPECT_NEAR(Text_UnmapX(map, px) / 65536.0, x / 65536.0, 0.5 / scale) << scale;
        }
    }
}

TEST_F(TextFixture, TheScreenFontFollowsAFontChangeAtTheSameScale)
{
    ObjectHandle node = NodeWithText(20);
    MemHandle text = TextOf(node);
    Text_UpdateScreenFont(text, F(2));
    ASSERT_NE(Text_DrawingFont(text), nullptr);
    EXPECT_EQ(Text_DrawingFont(text)->requestedSize, 24);
    Text_SetFontSize(text, 10);
    Text_UpdateScreenFont(text, F(2));
    EXPECT_EQ(Text_DrawingFont(text)->requestedSize, 20) << "not the 24-point font of the old size";
    Text_SetFontFamily(text, 5);
    Text_UpdateScreenFont(text, F(2));
    EXPECT_EQ(Text_DrawingFont(text)->family, 5u);
    EXPECT_EQ(texttest::Fonts().loaded, 2) << "the stale screen fonts were released";
    Text_SetFontSize(text, 40000);
    Text_UpdateScreenFont(text, F(0.5));
    ASSERT_NE(Text_DrawingFont(text), nullptr);
    EXPECT_EQ(Text_DrawingFont(text)->requestedSize, 255) << "a huge size is bounded, not overflowed";
}

// A reference read from a file may be split over two lines: "ab<<1" and
// "2>>c" show one display string "<<12>>" through two segments.
class SplitReferenceTest : public TextFixture {
protected:
    MemHandle SplitText(ObjectHandle node, const std::vector<texttest::SplitLine>& shapes)
    {
        MemHandle text = TextOf(node);
        reference = Text_MakeReference(12, 0);
        texttest::FillSplitLines(text, reference, shapes);
        return text;
    }

    MemHandle reference = 0;
};

TEST_F(SplitReferenceTest, PositionsAndWidthsFollowTheSegmentOfEachLine)
{
    ObjectHandle node = NodeWithText(100);
    Model_SetFieldValue(page, Field::kScaleX, static_cast<uint32_t>(F(2)));
    Model_SetFieldValue(page, Field::kScaleY, static_cast<uint32_t>(F(2)));
    MemHandle text = SplitText(node, {{std::string("ab\0", 3), kEndWrapped, 0, 3},
                                      {std::string("\0c", 2), kEndOfText, 3, 0}});
    EXPECT_EQ(Whole(node), "ab<<12>>c");
    EXPECT_EQ(Text_CountChars(text, nullptr, nullptr, kRefZeroByte), 4u) << "the reference counts once";
    MemHandle second = LineRec(Rec(text)->firstLine)->next;
    EXPECT_EQ(Text_LineWidthFrom(text, second, 0, 1), F(3)) << "the second segment shows \"2>>\"";
    EXPECT_EQ(Text_LineWidthFrom(text, second, 1, 2), F(1));

    // At scale 2 a unit is 4 pixels; the second line lies between 6.5 and
    // 12.5 units, its segment from 1.5 to 4.5 units, the 'c' from 4.5 to 5.5.
    struct Click {
        int32_t x;
        uint16_t column;
    };
    for (Click click : {Click{8, 0}, Click{17, 0}, Click{19, 1}, Click{21, 1}, Click{23, 2}, Click{400, 2}}) {
        TextPosition at = Text_PositionAtPixel(text, click.x, 40);
        EXPECT_EQ(at.line, second) << click.x;
        EXPECT_EQ(at.column, click.column) << click.x;
    }
}

TEST_F(SplitReferenceTest, SegmentBoundsBeyondTheDisplayStringShowNothingMore)
{
    ObjectHandle node = NodeWithText(100);
    struct Case {
        uint16_t start;
        uint16_t end;
        Fixed width;
    };
    // "<<12>>" has 6 characters.
    for (Case c : {Case{4, 40, F(2)}, Case{9, 12, 0}, Case{5, 2, 0}, Case{0, 0, F(6)}}) {
        MemHandle text = SplitText(node, {{std::string("\0", 1), kEndOfText, c.start, c.end}});
        EXPECT_EQ(Text_LineWidthFrom(text, Rec(text)->firstLine, 0, 1), c.width) << c.start << ".." << c.end;
        Text_Delete(node);
        if (c.start != 0) {
            Text_FreeReference(reference, 0);  // only a segment from 0 takes its reference along
        }
        ASSERT_EQ(Text_Get(node, &text, 1), kStatusOk);
        Text_SetFontFamily(text, 3);
        Text_SetFontSize(text, 12);
        Text_SetFontStyle(text, 0);
    }
}

}  // namespace
