// Undo of alignment and spread: recording, undoing and redoing, the labels,
// and members deleted or replaced since the recording; the date strings.
#include <cstring>
#include <string>

#include "KernelFixture.h"
#include "xkv/core/Core.h"
#include "xkv/undo/Undo.h"

namespace {

class UndoTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        page = Model_NewPage();
    }
    void TearDown() override
    {
        Undo_Shutdown();
        KernelTest::TearDown();
    }

    static FixPoint At(ObjectHandle object)
    {
        FixPoint p{};
        Model_GetField(object, Field::kPosition, &p);
        return p;
    }

    static std::string Label(uint32_t kind)
    {
        char buffer[81];
        Undo_GetLabel(kind, buffer, sizeof(buffer));
        return buffer;
    }

    ObjectHandle page = 0;
};

TEST_F(UndoTest, UndoingAnAlignmentMovesBackAndRedoingRepeatsIt)
{
    ObjectHandle nodes[3] = {NewNodeAt(page, 0, 0, F(10), F(10)), NewNodeAt(page, F(20), F(30), F(30), F(40)),
                             NewNodeAt(page, F(50), F(5), F(60), F(15))};
    GroupNumber group = Group_New();
    for (ObjectHandle node : nodes) {
        Group_Add(group, node);
    }
    ASSERT_EQ(Undo_Record(kUndoAlignment, group), kStatusOk);
    EXPECT_EQ(Undo_GetKind(), kUndoAlignment);
    EXPECT_EQ(Label(Undo_GetKind()), "Undo Alignment");
    // The alignment: every node to y = 50.
    for (ObjectHandle node : nodes) {
        FixPoint p = At(node);
        Core_MoveObject(node, 0, F(50) - p.y, 1, 1);
    }
    ASSERT_EQ(Undo_Perform(), kStatusOk);
    EXPECT_EQ(At(nodes[1]).y, F(35));
    EXPECT_EQ(At(nodes[2]).x, F(55));
    EXPECT_EQ(Undo_GetKind(), kRedoAlignment);
    EXPECT_EQ(Label(Undo_GetKind()), "Redo Alignment");
    ASSERT_EQ(Undo_Perform(), kStatusOk);
    for (ObjectHandle node : nodes) {
        EXPECT_EQ(At(node).y, F(50));
    }
    EXPECT_EQ(Undo_GetKind(), kUndoAlignment);
    Group_Free(group);
}

TEST_F(UndoTest, NothingToUndo)
{
    EXPECT_EQ(Undo_Perform(), kStatusFailed);
    GroupNumber empty = Group_New();
    Undo_Record(kUndoSpread, empty);
    EXPECT_EQ(Undo_GetKind(), kUndoNothing);
    EXPECT_EQ(Undo_Perform(), kStatusFailed);
    Undo_SetKind(7);
    EXPECT_EQ(Undo_Perform(), kStatusFailed);
    Group_Free(empty);
}

TEST_F(UndoTest, LabelsOfTheKinds)
{
    EXPECT_EQ(Label(kUndoNothing), "");
    EXPECT_EQ(Label(kUndoSpread), "Undo Spread");
    EXPECT_EQ(Label(kRedoSpread), "Redo Spread");
    EXPECT_EQ(Label(9), "Undo");
}

TEST_F(UndoTest, AnObjectReusingTheSlotOfADeletedMemberIsNotMoved)
{
    ObjectHandle kept = NewNodeAt(page, 0, 0, F(10), F(10));
    ObjectHandle deleted = NewNodeAt(page, F(20), F(20), F(30), F(30));
    GroupNumber group = Group_New();
    Group_Add(group, kept);
    Group_Add(group, deleted);
    Undo_Record(kUndoSpread, group);
    Core_MoveObject(kept, F(100), 0, 1, 1);
    Model_DestroyTree(deleted);
    ObjectHandle newcomer = NewNodeAt(page, F(200), F(200), F(210), F(210));
    ASSERT_EQ(newcomer, deleted);  // the slot is reused
    ASSERT_EQ(Undo_Perform(), kStatusOk);
    EXPECT_EQ(At(kept).x, F(5));
    EXPECT_EQ(At(newcomer).x, F(205));
    EXPECT_EQ(Undo_GetKind(), kRedoSpread);
    Undo_Clear();
    EXPECT_EQ(Undo_GetKind(), kUndoNothing);
    Group_Free(group);
}

TEST(DateTime, FormatsAsMonthDayYearAndClockTime)
{
    std::tm when{};
    when.tm_year = 2001 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 9;
    when.tm_min = 7;
    when.tm_sec = 5;
    char date[kDateSize];
    char time[kTimeSize];
    Misc_FormatDateTime(when, date, time);
    EXPECT_STREQ(date, "Mar-05-2001");
    EXPECT_STREQ(time, "09:07:05");
    when.tm_year = 12000 - 1900;  // never more than the fields hold
    Misc_FormatDateTime(when, date, time);
    EXPECT_EQ(std::strlen(date), 11u);
    Misc_GetDateTime(date, time);
    EXPECT_EQ(std::strlen(date), 11u);
    EXPECT_EQ(date[3], '-');
    EXPECT_EQ(time[2], ':');
}

}  // namespace
