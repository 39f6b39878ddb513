// Labels without X: the label box of given lines, and the label being
// written through its ends: finished empty or with text, committed twice,
// re-owned by a new label object, and deleted while it is edited.
#include "TextFixture.h"

#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/text/TextEdit.h"

using namespace texttest;

namespace {

// ---- The label box ----

struct BoxLine {
    double width;
    double height;
    uint16_t length;
    uint8_t endMark;
};

struct BoxCase {
    const char* name;
    FixPoint frame;
    std::vector<BoxLine> lines;
    size_t topIndex;
    bool hasBox;
    FixRect box;
};

void PrintTo(const BoxCase& c, std::ostream* out)
{
    *out << c.name;
}

class LabelBoxTest : public TextFixture, public ::testing::WithParamInterface<BoxCase> {
protected:
    // A label text at the frame point whose lines have the given measures.
    MemHandle LabelWith(const BoxCase& c)
    {
        MemHandle text = Text_Create(0, FixRect{c.frame.x, c.frame.y, c.frame.x, c.frame.y}, 0);
        EXPECT_NE(text, 0u);
        MemHandle previous = Rec(text)->firstLine;
        for (size_t i = 0; i < c.lines.size(); ++i) {
            MemHandle line = previous;
            if (i > 0) {
                EXPECT_EQ(Mem_Alloc(&line, sizeof(TextLine)), kStatusOk);
                LineRec(previous)->next = line;
                LineRec(line)->previous = previous;
                Rec(text)->lineCount++;
            }
            TextLine* l = LineRec(line);
            l->width = F(c.lines[i].width);
            l->height = F(c.lines[i].height);
            l->length = c.lines[i].length;
            l->endMark = c.lines[i].endMark;
            if (i == c.topIndex) {
                Rec(text)->topLine = line;
            }
            previous = line;
        }
        return text;
    }
};

TEST_P(LabelBoxTest, CoversTheLinesWithItsMargins)
{
    const BoxCase& c = GetParam();
    MemHandle text = LabelWith(c);
    FixRect box{};
    ASSERT_EQ(Text_ObjectLabelBox(text, &box), c.hasBox ? 1u : 0u);
    if (c.hasBox) {
        EXPECT_EQ(box, c.box);
    }
    Text_Free(text);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LabelBoxTest,
    ::testing::Values(
        BoxCase{"two lines 10 and 14 wide", {F(100), F(50)}, {{10, 12, 10, kEndLineFeed}, {14, 12, 14, kEndOfText}},
                0, true, FixRect{F(100), F(50), F(117), F(75)}},
        BoxCase{"one line", {F(100), F(50)}, {{20, 12, 20, kEndOfText}}, 0, true,
                FixRect{F(100), F(50), F(123), F(63)}},
        BoxCase{"one empty line has no box", {F(100), F(50)}, {{0, 12, 0, kEndOfText}}, 0, false, FixRect{}},
        BoxCase{"an empty line ended by a line feed has a box", {F(100), F(50)}, {{0, 12, 0, kEndLineFeed}}, 0, true,
                FixRect{F(100), F(50), F(103), F(63)}},
        BoxCase{"lines above the top line raise the box",
                {F(100), F(50)},
                {{4, 12, 4, kEndLineFeed}, {9, 12, 9, kEndLineFeed}, {6, 12, 6, kEndOfText}},
                1, true, FixRect{F(100), F(38), F(112), F(75)}}),
    [](const ::testing::TestParamInfo<BoxCase>& info) {
        std::string name = info.param.name;
        std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); },
                        '_');
        return name;
    });

// ---- The label being written ----

class LabelTest : public TextFixture {
protected:
    // A label made for typing at the point, as the label command makes it.
    ObjectHandle TypedLabel(FixPoint at)
    {
        ObjectHandle label = 0;
        EXPECT_EQ(Core_AddLabel(page, at, &label, 1), kStatusOk);
        MemHandle text = TextOf(label);
        Text_SetFontFamily(text, 3);
        Text_SetFontSize(text, 12);
        Text_SetFontStyle(text, 0);
        return label;
    }

    static FixRect BoxOf(ObjectHandle object)
    {
        FixRect box{};
        Model_GetField(object, Field::kBox, &box);
        return box;
    }
};

TEST_F(LabelTest, ALabelMadeForTypingIsTheLabelBeingWrittenAndIsEdited)
{
    const ObjectHandle label = TypedLabel({F(100), F(50)});
    EXPECT_EQ(Text_HasLabel(), 1u);
    EXPECT_EQ(TextWidget_EditedObject(), label);
    EXPECT_EQ(Text_EditingState(), kEditingLabel);
    EXPECT_EQ(LineRec(Rec(TextOf(label))->firstLine)->x, F(101.5));
}

TEST_F(LabelTest, AnEmptiedLabelFinishedWithTheDeleteFlagRemovesItsObject)
{
    const ObjectHandle label = TypedLabel({F(100), F(50)});
    Put(label, "ab");
    Text_DeleteChars(TextOf(label), -2);
    ASSERT_EQ(Whole(label), "");
    EXPECT_EQ(Text_FinishLabel(0, 1), 1u);
    EXPECT_FALSE(Model_IsObject(label));
    EXPECT_EQ(Text_HasLabel(), 0u);
    EXPECT_EQ(Text_EditingState(), kEditingNone);
}

TEST_F(LabelTest, AnEmptyLabelFinishedWithoutTheFlagStaysButIsNoLongerWritten)
{
    const ObjectHandle label = TypedLabel({F(100), F(50)});
    EXPECT_EQ(Text_FinishLabel(0, 0), 1u);
    EXPECT_TRUE(Model_IsObject(label));
    EXPECT_EQ(Text_HasLabel(), 0u);
}

TEST_F(LabelTest, ALabelWithTextIsCommittedWithItsNodeFittedOnce)
{
    std::vector<ObjectHandle> ends;
    static std::vector<ObjectHandle>* seen = nullptr;
    seen = &ends;
    Hook_Register(HOOK_TEXT_END_EDIT, [](uintptr_t object, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
        seen->push_back(static_cast<ObjectHandle>(object));
        return uintptr_t{1};
    });
    const ObjectHandle label = TypedLabel({F(100), F(50)});
    Put(label, "abc");
    FixRect expected{};
    ASSERT_EQ(Text_ObjectLabelBox(TextOf(label), &expected), 1u);
    EXPECT_EQ(Text_FinishLabel(0, 1), 0u);
    EXPECT_EQ(BoxOf(label), expected);
    EXPECT_EQ(Text_HasLabel(), 0u);
    EXPECT_EQ(Text_EditingState(), kEditingNone);
    // Finishing and committing again finds nothing to release.
    Text_FinishCurrentLabel();
    Text_CommitLabel(TextOf(label), expected);
    EXPECT_TRUE(Model_IsObject(label));
    EXPECT_EQ(ends, (std::vector<ObjectHandle>{label})) << "the edit ends once";
    Hook_Unregister(HOOK_TEXT_END_EDIT);
}

TEST_F(LabelTest, ANewLabelTakesThePendingLabelTextAwayFromItsFormerObject)
{
    const ObjectHandle first = Model_NewNode(page);
    Model_SetFieldValue(first, Field::kShapeKind, 12);
    const ObjectHandle second = Model_NewNode(page);
    Model_SetFieldValue(second, Field::kShapeKind, 12);
    MemHandle text = Text_CreateLabel(first, {F(10), F(10)});
    ASSERT_NE(text, 0u);
    EXPECT_EQ(Text_CreateLabel(second, {F(40), F(20)}), text);
    EXPECT_EQ(TextOf(first), 0u) << "one record, one owner";
    EXPECT_EQ(TextOf(second), text);
    EXPECT_EQ(Rec(text)->owner, second);
    EXPECT_EQ(Rec(text)->frameX, F(40));
    // Both objects go without freeing the record twice.
    Core_DeleteObject(first, 0);
    Core_DeleteObject(second, 0);
    EXPECT_EQ(Text_HasLabel(), 0u);
}

TEST_F(LabelTest, DeletingTheLabelWhileItIsWrittenLeavesNothingBehind)
{
    const ObjectHandle label = TypedLabel({F(100), F(50)});
    const ObjectHandle other = Model_NewNode(page);
    ASSERT_EQ(Core_DeleteObject(label, 0), kStatusOk);
    EXPECT_FALSE(Model_IsObject(label));
    EXPECT_EQ(Text_HasLabel(), 0u);
    EXPECT_EQ(Text_EditingState(), kEditingNone);
    EXPECT_EQ(TextWidget_EditedObject(), 0u);
    EXPECT_TRUE(Model_IsObject(other)) << "only the label went";
    // The next label starts afresh.
    const ObjectHandle next = TypedLabel({F(10), F(10)});
    EXPECT_EQ(TextWidget_EditedObject(), next);
}

TEST_F(LabelTest, FreeingTheEditedLabelWithItsModelEndsTheSession)
{
    TypedLabel({F(100), F(50)});
    Model_DestroyTree(Model_GetRoot());
    EXPECT_EQ(Text_HasLabel(), 0u);
    EXPECT_EQ(Text_EditingState(), kEditingNone);
    EXPECT_EQ(TextWidget_CurrentText(), 0u);
}

}  // namespace
