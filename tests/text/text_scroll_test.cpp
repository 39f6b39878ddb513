// Moving the visible part of a text without X: dragging by pixels (the top
// shown line and the partial offset stop at the first and the last line, the
// horizontal offset follows freely), the whole-line steps of the scroll bar,
// and shifting the lines' positions. The measuring font makes every line 6.0
// units (12 pixels at scale 1.0) high.
#include "TextFixture.h"

#include "xkv/text/TextInternal.h"
#include "xkv/text/TextX.h"

namespace {

using namespace texttest;

constexpr Fixed kLine = 6 * kUnit;

class ScrollTest : public TextFixture {
protected:
    void SetUp() override
    {
        TextFixture::SetUp();
        Model_SetFieldValue(page, Field::kScaleX, kFixedOne);
        Model_SetFieldValue(page, Field::kScaleY, kFixedOne);
        node = NodeWithText(200, 1, 20);
        std::string lines;
        for (int i = 0; i < 10; ++i) {
            lines += "line " + std::to_string(i) + (i < 9 ? "\n" : "");
        }
        Put(node, lines);
        text = TextOf(node);
        ASSERT_EQ(Rec(text)->lineCount, 10u);
    }

    ObjectHandle node = 0;
    MemHandle text = 0;
};

struct Drag {
    int32_t dx, dy;
    uint32_t topIndex;
    Fixed scrollY;
    Fixed scrollX;
};

// Each row drags on from where the previous row left the text.
TEST_F(ScrollTest, DraggingStopsAtTheFirstAndTheLastLine)
{
    const Drag steps[] = {
        {0, 20, 0, 0, 0},                          // down at the start: nothing above
        {0, -6, 0, -3 * kUnit, 0},                 // half a line up: partial offset
        {0, -24, 2, -3 * kUnit, 0},                // two lines more
        {0, 6, 2, 0, 0},                           // back half a line: line 2 whole at the top
        {10, 0, 2, 0, 5 * kUnit},                  // sideways: only the horizontal offset
        {-30, 0, 2, 0, -10 * kUnit},               // and back past the start: no limit
        {0, -1000, 9, 0, -10 * kUnit},             // far up: the last line at the top
        {0, -12, 9, 0, -10 * kUnit},               // nothing below the last line
        {0, 6, 8, -3 * kUnit, -10 * kUnit},        // half a line down from the end
        {0, 1000, 0, 0, -10 * kUnit},              // far down: the first line again
        {0, 0, 0, 0, -10 * kUnit},                 // no movement
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Drag& step = steps[i];
        Text_DragBy(text, step.dx, step.dy, 0);
        TextRec* record = Rec(text);
        EXPECT_EQ(record->topLineIndex, step.topIndex) << "step " << i;
        EXPECT_EQ(record->scrollY, step.scrollY) << "step " << i;
        EXPECT_EQ(record->scrollX, step.scrollX) << "step " << i;
        // The top line is the line at that index.
        MemHandle line = record->firstLine;
        for (uint32_t k = 0; k < record->topLineIndex; ++k) {
            line = LineRec(line)->next;
        }
        EXPECT_EQ(record->topLine, line) << "step " << i;
    }
}

struct WholeLine {
    int64_t distance;
    bool forward;
    uint32_t topIndex;
};

TEST_F(ScrollTest, TheScrollBarMovesByWholeLinesAndClearsTheOffset)
{
    const WholeLine cases[] = {
        {8 * kUnit, true, 1},     // forward: the last line starting at or before
        {8 * kUnit, false, 2},    // back: the first line starting at or after
        {12 * kUnit, true, 2},    // exactly at a line's start
        {12 * kUnit, false, 2},
        {-50 * kUnit, false, 0},  // before the start
        {500 * kUnit, true, 9},   // past the end
        {500 * kUnit, false, 9},
    };
    for (const WholeLine& c : cases) {
        TextRec* record = Rec(text);
        record->scrollY = -kUnit;
        textimpl::PlaceAtWholeLine(*record, c.distance, c.forward);
        EXPECT_EQ(record->topLineIndex, c.topIndex) << c.distance / kUnit << (c.forward ? " forward" : " back");
        EXPECT_EQ(record->scrollY, 0);
    }
}

TEST_F(ScrollTest, ShiftingLinesStopsAfterTheFirstLineBelowTheFrame)
{
    TextRec* record = Rec(text);
    std::vector<Fixed> before;
    for (MemHandle line = record->firstLine; line != 0; line = LineRec(line)->next) {
        before.push_back(LineRec(line)->bottom);
    }
    ASSERT_EQ(before[0], kLine + kUnit / 2);
    Text_ShiftLines(text, 2 * kUnit);
    std::vector<Fixed> after;
    for (MemHandle line = record->firstLine; line != 0; line = LineRec(line)->next) {
        after.push_back(LineRec(line)->bottom);
    }
    // Lines move down to the first one whose top then lies below the
    // frame; the lines after it stay.
    size_t last = 0;
    while (last + 1 < before.size() && before[last] + 2 * kUnit - kLine <= record->frameHeight) {
        ++last;
    }
    ASSERT_LT(last + 1, before.size()) << "the text reaches below the frame";
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i], i <= last ? before[i] + 2 * kUnit : before[i]) << "line " << i;
    }
}

}  // namespace
