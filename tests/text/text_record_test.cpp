// Text records: creation, the text fields, line placement, counting and
// copying characters in the reference modes, positions and selection, and
// copying an object's text.
#include <cstring>
#include <string>
#include <vector>

#include "KernelFixture.h"
#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"

namespace {

struct SegmentSpec {
    MemHandle reference;
    uint16_t start;
    uint16_t end;
};

struct LineSpec {
    std::string characters;  // a '\0' takes the next segment
    uint8_t endMark;
    std::vector<SegmentSpec> segments;
};

class TextTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        page = Model_NewPage();
        ASSERT_NE(page, 0u);
    }

    // Gives the object a text with the lines, built through the line records.
    MemHandle GiveText(ObjectHandle object, const std::vector<LineSpec>& lines, Fixed frameWidth = F(100))
    {
        MemHandle text = Text_Create(object, FixRect{0, 0, frameWidth, F(50)}, 1);
        Model_SetFieldValue(object, Field::kText, text);
        TextRec* record = nullptr;
        Mem_LockAs(text, &record);
        MemHandle line = record->firstLine;
        Mem_Unlock(text);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                line = Text_LinkNewLine(text, line, 1);
            }
            Fill(line, lines[i]);
        }
        return text;
    }

    static void Fill(MemHandle lineHandle, const LineSpec& lineShape)
    {
        auto length = static_cast<int32_t>(lineShape.characters.size());
        ASSERT_EQ(Text_ResizeLine(lineHandle, 0, length), kStatusOk);
        TextLine* line = nullptr;
        Mem_LockAs(lineHandle, &line);
        uint8_t* characters = nullptr;
        if (length > 0) {
            Mem_LockAs(line->characters, &characters);
            std::memcpy(characters, lineShape.characters.data(), lineShape.characters.size());
        }
        if (!lineShape.segments.empty()) {
            Mem_Alloc(&line->references, lineShape.segments.size() * sizeof(MemHandle));
            MemHandle* segments = nullptr;
            Mem_LockAs(line->references, &segments);
            for (const SegmentSpec& s : lineShape.segments) {
                segments[line->referenceCount++] = TextSeg_New(s.reference, s.start, s.end);
            }
        }
        if (lineShape.endMark != kEndOfText) {
            line->endMark = lineShape.endMark;
        }
    }

    static TextRec* Lock(MemHandle text)
    {
        TextRec* record = nullptr;
        Mem_LockAs(text, &record);
        return record;
    }

    static std::string CopyOut(MemHandle text, uint32_t mode)
    {
        uint32_t length = 0;
        MemHandle block = Text_CopyOut(text, nullptr, nullptr, &length, mode);
        if (block == 0) {
            return {};
        }
        char* bytes = nullptr;
        Mem_LockAs(block, &bytes);
        std::string out(bytes, length);
        Mem_Free(block);
        return out;
    }

    ObjectHandle page = 0;
};

TEST_F(TextTest, ANewBoundedTextIsOneEmptyLine)
{
    ObjectHandle node = Model_NewNode(page);
    MemHandle text = Text_Create(node, FixRect{F(1), F(2), F(21), F(12)}, 1);
    TextRec* record = Lock(text);
    EXPECT_EQ(record->owner, node);
    EXPECT_EQ(record->frameWidth, F(20));
    EXPECT_EQ(record->frameHeight, F(10));
    EXPECT_EQ(record->lineCount, 1u);
    EXPECT_EQ(record->cursorLine, record->firstLine);
    EXPECT_EQ(record->topLine, record->firstLine);
    EXPECT_EQ(record->cursorColumn, 0);
    EXPECT_EQ(record->anchorColumn, -1);
    EXPECT_EQ(record->alignment, 0);
    EXPECT_EQ(record->scrollBars, 1);
    EXPECT_EQ(record->font, kNoFont);
    TextLine* line = nullptr;
    Mem_LockAs(record->firstLine, &line);
    EXPECT_EQ(line->endMark, kEndOfText);
    EXPECT_EQ(line->length, 0);
    Model_SetFieldValue(node, Field::kText, text);
    EXPECT_EQ(Text_IsEmpty(node), 1u);
    EXPECT_EQ(Text_IsEmpty(Model_NewNode(page)), 0u);
}

// The frame of a text made for an object lies inside its line: a box and a
// line width at the ends of the coordinate range give a frame held to that
// range, not one that wrapped round.
TEST_F(TextTest, AFrameInsideAWideLineAtTheEndsOfTheRange)
{
    const FixRect boxes[] = {
        {INT32_MAX - F(10), INT32_MAX - F(10), INT32_MAX - F(1), INT32_MAX - F(1)},
        {INT32_MIN + F(1), INT32_MIN + F(1), INT32_MIN + F(10), INT32_MIN + F(10)},
    };
    for (const FixRect& box : boxes) {
        ObjectHandle node = Model_NewNode(page);
        ASSERT_EQ(Model_SetField(node, Field::kBox, &box), kStatusOk);
        Model_SetFieldValue(node, Field::kLineWidth, static_cast<uint32_t>(F(100)));
        MemHandle text = 0;
        ASSERT_EQ(Text_Get(node, &text, 1), kStatusOk);
        TextRec* record = Lock(text);
        EXPECT_EQ(record->owner, node);
        Mem_Unlock(text);
    }
}

TEST_F(TextTest, ANewUnboundedTextIsALabel)
{
    MemHandle text = Text_Create(0, FixRect{F(5), F(6), 0, 0}, 0);
    TextRec* record = Lock(text);
    EXPECT_EQ(record->frameWidth, kUnboundedFrame);
    EXPECT_EQ(record->frameHeight, kUnboundedFrame);
    EXPECT_EQ(record->alignment, 1);
    EXPECT_EQ(record->noWrap, 1);
    EXPECT_EQ(record->label, 1);
    TextLine* line = nullptr;
    Mem_LockAs(record->firstLine, &line);
    EXPECT_EQ(line->x, F(6.5));
    Text_Free(text);
}

TEST_F(TextTest, TextFieldsThroughTheObject)
{
    ObjectHandle node = Model_NewNode(page);
    GiveText(node, {{"abc", kEndOfText, {}}});
    Model_SetFieldValue(node, Field::kTextAttribute, 42);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kTextAttribute), 0x7fffffffu);
    EXPECT_EQ(Lock(Model_GetFieldValue(node, Field::kText))->attributeWord, 42u);
    EXPECT_EQ(Model_SetFieldValue(node, Field::kLineHeight, 99), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kLineHeight), 0u);
    Model_SetFieldValue(node, Field::kScrollBars, 0);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kScrollBars), 0u);
    uint16_t size = 0;
    EXPECT_EQ(Text_GetFontSize(0, &size), kStatusNoText);
}

TEST_F(TextTest, TheFontWaitsForAllThreeComponents)
{
    ObjectHandle node = Model_NewNode(page);
    MemHandle text = GiveText(node, {});
    Model_SetFieldValue(node, Field::kFontSize, 14);
    EXPECT_EQ(Lock(text)->pendingMask, kPendingSize);
    Model_SetFieldValue(node, Field::kFontStyle, 2);
    EXPECT_EQ(Lock(text)->pendingMask, kPendingSize | kPendingStyle);
    Model_SetFieldValue(node, Field::kFontFamily, 3);
    // All three given: the font is asked for and the marks are cleared.
    EXPECT_EQ(Lock(text)->pendingMask, 0);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kFontSize), 14u);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kFontStyle), 2u);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kFontFamily), 3u);
}

TEST_F(TextTest, LinesArePlacedByTheAlignment)
{
    ObjectHandle node = Model_NewNode(page);
    MemHandle text = GiveText(node, {{"x", kEndOfText, {}}}, F(30));
    TextRec* record = Lock(text);
    TextLine* line = nullptr;
    Mem_LockAs(record->firstLine, &line);
    line->width = F(10);
    struct Case {
        uint32_t alignment;
        Fixed x;
    };
    for (Case c : {Case{2, F(10)}, Case{0, F(18.5)}, Case{1, F(1.5)}, Case{7, F(1.5)}}) {
        Text_SetAlignment(text, c.alignment == 0 ? 9 : 0);  // force a change
        Text_SetAlignment(text, c.alignment);
        EXPECT_EQ(line->x, c.x) << "alignment " << c.alignment;
    }
}

TEST_F(TextTest, AReferenceSplitOverTwoLinesCountsOnceInModeOne)
{
    ObjectHandle node = Model_NewNode(page);
    ObjectHandle referred = 12;
    MemHandle reference = Text_MakeReference(referred, 0);
    MemHandle text = GiveText(node, {{std::string("ab\0", 3), kEndWrapped, {{reference, 0, 3}}},
                                     {std::string("\0c", 2), kEndOfText, {{reference, 3, 0}}}});
    EXPECT_EQ(Text_CountChars(text, nullptr, nullptr, kRefZeroByte), 4u);
    EXPECT_EQ(Text_CountChars(text, nullptr, nullptr, kRefDisplay), 9u);
    EXPECT_EQ(Text_CountChars(text, nullptr, nullptr, kRefDropped), 3u);
    EXPECT_EQ(CopyOut(text, kRefDisplay), "ab<<12>>c");
    EXPECT_EQ(CopyOut(text, kRefZeroByte), std::string("ab\0c", 4));
    EXPECT_EQ(Text_Length(node, 1, kRefDisplay), 9u);
}

TEST_F(TextTest, HardBreaksCountOneAndCopyAsTheirMark)
{
    ObjectHandle node = Model_NewNode(page);
    MemHandle text = GiveText(node, {{"ab", kEndLineFeed, {}}, {"cd", kEndReturn, {}}, {"e", kEndOfText, {}}});
    EXPECT_EQ(CopyOut(text, kRefDisplay), "ab\ncd\re");
    EXPECT_EQ(Text_CountChars(text, nullptr, nullptr, kRefDropped), 7u);
    EXPECT_EQ(Text_IsEmpty(node), 2u);
    TextRec* record = Lock(text);
    TextPosition start{record->firstLine, 0};
    TextPosition third = Text_AdvancePosition(text, start, 3);
    TextLine* second = nullptr;
    Mem_LockAs(record->firstLine, &second);
    EXPECT_EQ(third.line, second->next);
    EXPECT_EQ(third.column, 0);
    TextPosition back = Text_AdvancePosition(text, third, -1);
    EXPECT_EQ(back.line, record->firstLine);
    EXPECT_EQ(back.column, 2);
    TextPosition end = Text_AdvancePosition(text, start, 1000);
    EXPECT_EQ(end.line, Text_LastLine(text));
    EXPECT_EQ(end.column, 1);
    EXPECT_EQ(Text_AdvancePosition(text, end, -1000).line, record->firstLine);
    EXPECT_EQ(Text_CountChars(text, &third, &end, kRefDropped), 4u);
}

TEST_F(TextTest, SelectionByOffsets)
{
    ObjectHandle node = Model_NewNode(page);
    MemHandle text = GiveText(node, {{"01234", kEndLineFeed, {}}, {"6789", kEndOfText, {}}});
    ASSERT_EQ(Text_SelectRange(node, 5, 3), kStatusOk);
    TextRec* record = Lock(text);
    EXPECT_EQ(record->anchorColumn, -1);
    TextPosition start{record->firstLine, 0};
    TextPosition cursor{record->cursorLine, record->cursorColumn};
    EXPECT_EQ(Text_CountChars(text, &start, &cursor, kRefZeroByte), 5u);

    ASSERT_EQ(Text_SelectAll(node), kStatusOk);
    EXPECT_EQ(Text_Length(node, 0, kRefDisplay), 10u);
    ASSERT_EQ(Text_SelectRange(node, 2, -1), kStatusOk);  // to the cursor at 0
    EXPECT_EQ(record->anchorColumn, -1);
    EXPECT_EQ(Text_SetSelection(text, -1, -1), kStatusBadArgument);
    EXPECT_EQ(Text_SelectRange(Model_NewNode(page), 0, 1), kStatusNoText);
    EXPECT_EQ(Text_SelectRange(0, 0, 1), kStatusNoText);
}

TEST_F(TextTest, ReferencesInACircleAreReadToABoundedDepth)
{
    ObjectHandle a = Model_NewNode(page);
    ObjectHandle b = Model_NewNode(page);
    MemHandle toB = Text_MakeReference(b, 0);
    MemHandle toA = Text_MakeReference(a, 0);
    MemHandle textA = GiveText(a, {{std::string("x\0", 2), kEndOfText, {{toB, 0, 0}}}});
    GiveText(b, {{std::string("y\0", 2), kEndOfText, {{toA, 0, 0}}}});
    uint32_t count = Text_CountChars(textA, nullptr, nullptr, kRefWholeText);
    EXPECT_GT(count, 2u);
    EXPECT_LT(count, 1000u);
}

TEST_F(TextTest, CopyingATextCopiesItsLinesAndCountsItsReferences)
{
    ObjectHandle target = Model_NewNode(page);
    MemHandle targetText = GiveText(target, {{"t", kEndOfText, {}}});
    ObjectHandle source = Model_NewNode(page);
    MemHandle reference = Text_MakeReference(target, 1);
    GiveText(source, {{"ab", kEndLineFeed, {}}, {std::string("c\0", 2), kEndOfText, {{reference, 0, 0}}}});
    EXPECT_EQ(Lock(targetText)->referrerCount, 1u);

    ObjectHandle copy = Model_NewNode(page);
    ASSERT_EQ(Text_CopyToObject(source, copy), kStatusOk);
    MemHandle copied = Model_GetFieldValue(copy, Field::kText);
    ASSERT_NE(copied, 0u);
    EXPECT_NE(copied, Model_GetFieldValue(source, Field::kText));
    EXPECT_EQ(CopyOut(copied, kRefDisplay), "ab\nc<<" + std::to_string(target) + ">>");
    EXPECT_EQ(Lock(copied)->lineCount, 2u);
    EXPECT_EQ(Lock(copied)->owner, copy);
    EXPECT_EQ(Lock(targetText)->referrerCount, 2u);
    ASSERT_EQ(Text_Delete(copy), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(copy, Field::kText), 0u);
    EXPECT_EQ(Lock(targetText)->referrerCount, 1u);
    EXPECT_EQ(Text_CopyToObject(Model_NewNode(page), copy), kStatusOk);  // no text: nothing
    EXPECT_EQ(Model_GetFieldValue(copy, Field::kText), 0u);
}

TEST_F(TextTest, LineBlocksGrowAndShrinkInStepsOfSixteen)
{
    ObjectHandle node = Model_NewNode(page);
    MemHandle text = GiveText(node, {});
    MemHandle lineHandle = Lock(text)->firstLine;
    TextLine* line = nullptr;
    ASSERT_EQ(Text_ResizeLine(lineHandle, 0, 20), kStatusOk);
    Mem_LockAs(lineHandle, &line);
    EXPECT_EQ(line->capacity, 32);
    EXPECT_EQ(line->length, 20);
    ASSERT_EQ(Text_ResizeLine(lineHandle, 1, -17), kStatusOk);
    EXPECT_EQ(line->capacity, 16);
    EXPECT_EQ(line->length, 3);
    EXPECT_EQ(Text_ResizeLine(lineHandle, 2, -2), kStatusBadContainerArgument);
    EXPECT_EQ(Text_ResizeLine(lineHandle, 4, 1), kStatusBadContainerArgument);
    EXPECT_EQ(Text_ResizeLine(lineHandle, 0, 70000), kStatusBadContainerArgument);
}

TEST_F(TextTest, LinkingBeforeTheTopLineMakesANewTopLine)
{
    ObjectHandle node = Model_NewNode(page);
    MemHandle text = GiveText(node, {{"a", kEndOfText, {}}});
    MemHandle old = Lock(text)->firstLine;
    MemHandle added = Text_LinkNewLine(text, old, 0);
    EXPECT_EQ(Lock(text)->firstLine, added);
    EXPECT_EQ(Lock(text)->topLine, added);
    EXPECT_EQ(Lock(text)->lineCount, 2u);
    MemHandle after = Text_LinkNewLine(text, old, 1);
    TextLine* line = nullptr;
    Mem_LockAs(old, &line);
    EXPECT_EQ(line->endMark, kEndWrapped);
    Mem_LockAs(after, &line);
    EXPECT_EQ(line->endMark, kEndOfText);
    EXPECT_EQ(Text_LastLine(text), after);
}

}  // namespace
