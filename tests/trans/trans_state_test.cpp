// The gesture machine without a display: the stack, the dispatch tables and
// the work of the rubber-band, vertex, tracking and page-selection handlers,
// driven with decoded events and checked through the events they post.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "TransCapture.h"
#include "xkv/trans/TransRecord.h"

#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/item/TypedItem.h"
#include "xkv/model/Model.h"
#include "xkv/trans/Trans.h"
#include "xkv/types/PtArray.h"

namespace {

class TransTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        while (Trans_Depth() > 0) {
            Trans_Pop();
        }
        Trans_Init();
        StartCapture();
        Trans_Begin(4, nullptr, 0);
    }
    void TearDown() override
    {
        Trans_Begin(4, nullptr, 1);
        StopCapture();
    }

    // One input event of the given X type at a page point.
    void Send(int type, FixPoint at, uint32_t click = 0, uint8_t character = 0, Modifiers flags = {})
    {
        XEvent event{};
        event.type = type;
        PointerState pointer{at.x, at.y, click, 0, 0};
        if (type == MotionNotify) {
            pointer.button1 = 0x100;
        }
        InputModifiers modifiers{flags, 0, character};
        Trans_Dispatch(Trans_Current(), &event, nullptr, &pointer, &modifiers);
        DrainEvents();
    }
    void Press(FixPoint at) { Send(ButtonPress, at, 1); }
    void Release(FixPoint at, uint32_t click) { Send(ButtonRelease, at, click); }
    void Move(FixPoint at, Modifiers flags = {}) { Send(MotionNotify, at, 0, 0, flags); }
    void Key(uint8_t character) { Send(KeyPress, {0, 0}, 0, character); }

    std::vector<Posted>& Events() { return PostedEvents(); }
};

// ---- stack ----

TEST_F(TransTest, SixthPushFailsAndPopsReturnToTheOuterState)
{
    Trans_BeginText(0, 1);
    ASSERT_EQ(Trans_GetState(), 24);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Trans_Push(), kStatusOk) << i;
        EXPECT_EQ(Trans_GetState(), 1);
    }
    EXPECT_EQ(Trans_Push(), kStatusFailed);
    EXPECT_EQ(Trans_Depth(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Trans_Pop(), kStatusOk);
    }
    EXPECT_EQ(Trans_Pop(), kStatusFailed);
    EXPECT_EQ(Trans_Depth(), 0);
    EXPECT_EQ(Trans_GetState(), 24);
    EXPECT_EQ(Trans_InTextState(), 1u);
}

TEST_F(TransTest, PopEndsTheInnerGestureAndFreesItsPoints)
{
    ASSERT_EQ(Trans_Push(), kStatusOk);
    Trans_BeginRegularPolygon(9999, 1, 0, 6, F(20), 0);
    Press({F(100), F(100)});
    // The pop runs the rubber end callback: the sanitizer reports any leak.
    EXPECT_EQ(Trans_Pop(), kStatusOk);
    EXPECT_EQ(Trans_GetState(), 1);
}

TEST_F(TransTest, PendingCursorReplacesTheNextNonIdleCursorOnce)
{
    Trans_SetPendingCursor(12);
    Trans_NewState(21, 0, 73, 1, 0, nullptr);
    EXPECT_EQ(Trans_Current()->cursor, 12);
    Trans_NewState(22, 0, 73, 3, 0, nullptr);
    EXPECT_EQ(Trans_Current()->cursor, 3);
}

// ---- tables ----

struct KeyCase {
    const char* name;
    GestureState state;
    int type;
    uint8_t character;
    uint32_t click;
    uint32_t expectedClass;  // 0: nothing posted
};

TEST_F(TransTest, DefaultAndStateRowsByStateAndEventType)
{
    const KeyCase cases[] = {
        {"idle escape cancels", 1, KeyPress, 27, 0, kEventCancel},
        {"idle other key", 1, KeyPress, 'a', 0, 0},
        {"text press swallowed", 24, ButtonPress, 0, 1, 0},
        {"text escape cancels", 24, KeyPress, 27, 0, kEventCancel},
        {"edit text release swallowed", 25, ButtonRelease, 0, 2, 0},
        {"tracking press without object cancels", 21, ButtonPress, 0, 1, kEventCancel},
        {"tracking escape", 21, KeyPress, 27, 0, kEventCancel},
        {"point pick on press", 22, ButtonPress, 0, 1, kEventPick},
        {"point pick key falls to default", 22, KeyPress, 27, 0, kEventCancel},
        {"page select escape posts a pick", 41, KeyPress, 27, 0, kEventPick},
        {"page select press swallowed", 41, ButtonPress, 0, 1, 0},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        Events().clear();
        switch (c.state) {
        case 24: Trans_BeginText(0, 1); break;
        case 25: Trans_NewState(25, 0, 73, 0, 1, nullptr); break;
        case 21: Trans_BeginTrack(nullptr, 73, 0xfffff, 0, 0); break;
        case 22: Trans_BeginPointPick(nullptr, 9999, 5, 1, 0); break;
        case 41: Trans_NewState(41, 0, 73, 1, 0, nullptr); Trans_Current()->pageSelect = PageSelectData{}; break;
        default: Trans_Begin(4, nullptr, 1); break;
        }
        Send(c.type, {F(3), F(4)}, c.click, c.character);
        if (c.expectedClass == 0) {
            EXPECT_TRUE(Events().empty());
        } else {
            ASSERT_EQ(Events().size(), 1u);
            EXPECT_EQ(Events()[0].eventClass, c.expectedClass);
        }
        Trans_Begin(4, nullptr, 1);
    }
}

TEST_F(TransTest, PagePickOfEscapeCarriesNoPage)
{
    Trans_NewState(41, 0, 73, 1, 0, nullptr);
    Key(27);
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].kind, kItemObject);
    EXPECT_EQ(Events()[0].value, 0u);
}

TEST_F(TransTest, PointPickOnReleaseWhenNotOnPress)
{
    Trans_BeginPointPick(nullptr, 9999, 5, 0, 0);
    Press({F(1), F(1)});
    EXPECT_TRUE(Events().empty());
    Release({F(7), F(9)}, 2);
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].kind, kItemPoint);
    EXPECT_EQ(Events()[0].points.at(0).x, F(7));
    EXPECT_EQ(Events()[0].points.at(0).y, F(9));
}

// ---- idle ----

TEST_F(TransTest, HeldPressGivesExactlyOneDragWithTheOffsetFromThePress)
{
    const FixPoint held{F(50), F(60)};
    Trans_Begin(4, &held, 0);
    Move({F(40), F(65)});
    Move({F(30), F(70)});
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].eventClass, kEventDrag);
    EXPECT_EQ(Events()[0].points.at(0).x, F(10));
    EXPECT_EQ(Events()[0].points.at(0).y, F(-5));
}

TEST_F(TransTest, NoDragWhenDragIsNotAllowed)
{
    const FixPoint held{F(50), F(60)};
    Trans_Begin(4, &held, 1);
    Move({F(40), F(65)});
    EXPECT_TRUE(Events().empty());
}

// ---- rubber bands ----

TEST_F(TransTest, NewBoxFromZeroSizeGrowsWithMotionAndPostsItsCorners)
{
    Trans_BeginBox(9999, 1, 0, 0, 0, 0x20);
    Move({F(5), F(5)});  // before the press: nothing
    Press({F(10), F(20)});
    Move({F(30), F(25)});
    Release({F(30), F(25)}, 0);
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].kind, kItemRect);
    // With flags 0 the motion moves the first corner: the rectangle spans press to pointer.
    const std::vector<FixPoint>& r = Events()[0].points;
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].x, F(10));
    EXPECT_EQ(r[0].y, F(20));
    EXPECT_EQ(r[1].x, F(30));
    EXPECT_EQ(r[1].y, F(25));
    EXPECT_EQ(Trans_GetState(), 3);  // back at the start of the state
}

TEST_F(TransTest, HandleFlagsByPositionKind)
{
    const struct {
        uint32_t kind;
        uint8_t flags;
    } cases[] = {{5, 0x28}, {6, 0x24}, {8, 0x22}, {9, 0x30}, {10, 0x34}, {11, 0x38}, {12, 0x2a}, {7, 0x20}};
    for (const auto& c : cases) {
        MemHandle dot = Dot_Create(c.kind, 0, {0, 0}, 0, F(2));
        EXPECT_EQ(Trans_HandleFlags(dot), c.flags) << c.kind;
        Dot_Free(dot);
    }
    EXPECT_EQ(Trans_HandleFlags(0), 0x20);
}

TEST_F(TransTest, ResizeFromCornerHandleMovesTheSecondCorner)
{
    MemHandle dot = Dot_Create(11, 0, {F(40), F(40)}, 0, F(2));
    const uint8_t flags = Trans_HandleFlags(dot);
    Dot_Free(dot);
    const FixPoint start{F(40), F(40)};
    Trans_BeginResizeBox(nullptr, 9999, {F(10), F(10)}, F(30), F(30), 0, flags, &start);
    Move({F(50), F(45)});
    Release({F(50), F(45)}, 0);
    ASSERT_EQ(Events().size(), 1u);
    const std::vector<FixPoint>& r = Events()[0].points;
    EXPECT_EQ(r[0].x, F(10));
    EXPECT_EQ(r[0].y, F(10));
    EXPECT_EQ(r[1].x, F(50));
    EXPECT_EQ(r[1].y, F(45));
}

TEST_F(TransTest, LockKeepsASquareSquareAndZeroWidthDropsX)
{
    Modifiers lock{};
    lock.lock = 1;
    Trans_BeginResizeBox(nullptr, 9999, {F(10), F(10)}, F(20), F(20), 0, 0x38, nullptr);
    Move({F(40), F(31)}, lock);  // from (30,30): dx 10, dy 1
    Release({F(40), F(31)}, 0);
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].points[1].x, F(40));
    EXPECT_EQ(Events()[0].points[1].y, F(40));

    Events().clear();
    Trans_BeginResizeBox(nullptr, 9999, {F(10), F(10)}, 0, F(20), 0, 0x38, nullptr);
    Move({F(15), F(35)}, lock);
    Release({F(15), F(35)}, 0);
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].points[1].x, F(10));
    EXPECT_EQ(Events()[0].points[1].y, F(35));
}

TEST_F(TransTest, ControlFixesTheAxisUntilTheCornerIsBack)
{
    Modifiers control{};
    control.control = 1;
    Trans_BeginResizeBox(nullptr, 9999, {F(10), F(10)}, F(20), F(20), 0, 0x20, nullptr);
    // Start point is the second corner (30,30); flags 0 move the first corner.
    Move({F(40), F(33)}, control);  // larger x: horizontal only
    Move({F(45), F(50)}, control);
    Release({F(45), F(50)}, 0);
    ASSERT_EQ(Events().size(), 1u);
    // First corner moved by 15 in x only: (25,10); normalised against (30,30).
    EXPECT_EQ(Events()[0].points[0].x, F(25));
    EXPECT_EQ(Events()[0].points[0].y, F(10));
}

TEST_F(TransTest, DragOutlineReleasedWithoutMotionCancelsAndAfterMotionGivesTheOffset)
{
    Trans_BeginDragOutline(nullptr, 0, 1, nullptr, nullptr, 0, 0, 1);
    Release({F(1), F(1)}, 2);
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].eventClass, kEventCancel);

    Events().clear();
    const FixPoint start{F(100), F(100)};
    Trans_BeginDragOutline(nullptr, 0, 1, nullptr, &start, 0, 0, 1);
    Move({F(110), F(95)});
    Move({F(130), F(90)});
    Release({F(130), F(90)}, 0);
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].kind, kItemPoint);
    EXPECT_EQ(Events()[0].points[0].x, F(30));
    EXPECT_EQ(Events()[0].points[0].y, F(-10));

    Events().clear();
    Trans_BeginDragOutline(nullptr, 0, 1, nullptr, nullptr, 0, 1, 1);  // alternate: nothing without motion
    Release({F(1), F(1)}, 2);
    EXPECT_TRUE(Events().empty());
}

TEST_F(TransTest, EscapeAfterPressWithArgumentRestartsAndBeforePressCancels)
{
    Trans_BeginBox(9999, 1, 0, 0, 0, 0xa0);  // bit 7: Escape restarts
    Key(27);
    ASSERT_EQ(Events().size(), 1u);  // no press yet: the default row cancels
    EXPECT_EQ(Events()[0].eventClass, kEventCancel);

    Events().clear();
    Trans_BeginBox(9999, 1, 0, 0, 0, 0xa0);
    Press({F(10), F(10)});
    Move({F(20), F(20)});
    Key(27);
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(Trans_Current()->rubber.waiting, 1);
    EXPECT_EQ(Trans_Current()->rubber.pressSeen, 0);
}

TEST_F(TransTest, RegularPolygonPostsItsPointListAndRestartsWithoutLeaking)
{
    Trans_BeginRegularPolygon(9999, 1, 0x20, 6, F(40), 0);
    Press({F(100), F(100)});
    Move({F(110), F(110)});
    Release({F(110), F(110)}, 0);
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].kind, kItemPoints);
    EXPECT_EQ(Events()[0].points.size(), 6u);
    // A second round in the restarted state: the template of the first is gone.
    Press({F(50), F(50)});
    Release({F(50), F(50)}, 2);
    EXPECT_EQ(Events().size(), 2u);
}

// ---- vertices ----

TEST_F(TransTest, NewLineEndsAtItsSecondPoint)
{
    Trans_BeginLine(94, 1);
    Press({F(10), F(10)});
    Release({F(10), F(10)}, 2);  // no motion yet: no point added
    Move({F(40), F(30)});
    Release({F(40), F(30)}, 2);
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].kind, kItemPoints);
    ASSERT_EQ(Events()[0].points.size(), 2u);
    EXPECT_EQ(Events()[0].points[1].x, F(40));
    EXPECT_EQ(Trans_Current()->vertex.count, 0);
}

TEST_F(TransTest, NewPolygonPointByPointEndsOnDoubleClick)
{
    Trans_BeginPolygon(14, 1);
    Press({F(10), F(10)});
    const FixPoint corners[] = {{F(50), F(10)}, {F(50), F(50)}, {F(10), F(50)}};
    for (const FixPoint& p : corners) {
        Move(p);
        Release(p, 2);
    }
    EXPECT_TRUE(Events().empty());
    Release(corners[2], 3);
    ASSERT_EQ(Events().size(), 1u);
    ASSERT_EQ(Events()[0].points.size(), 4u);
    EXPECT_EQ(Events()[0].points[2].x, F(50));
    EXPECT_EQ(Events()[0].points[2].y, F(50));
}

TEST_F(TransTest, EscapeInNewPolygonRestartsAfterTheFirstPointAndCancelsBefore)
{
    Trans_BeginPolygon(14, 1);
    Key(27);
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].eventClass, kEventCancel);
    Events().clear();
    Trans_BeginPolygon(14, 1);
    Press({F(10), F(10)});
    Key(27);
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(Trans_Current()->vertex.waiting, 1);
}

// A model with one object holding a point list, and a handle pick on it.
class VertexEditTest : public TransTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        page = Model_NewPage();
        ASSERT_NE(page, 0u);
        TransTest::SetUp();
    }
    void TearDown() override
    {
        TransTest::TearDown();
        for (MemHandle h : handles) {
            Dot_Free(h);
        }
        Model_DestroyTree(Model_GetRoot());
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }
    ObjectHandle ObjectWith(std::initializer_list<FixPoint> points)
    {
        ObjectHandle node = Model_NewNode(page);
        EXPECT_NE(node, 0u);
        MemHandle list = PtArray_New();
        for (const FixPoint& p : points) {
            PtArray_Append(list, p);
        }
        Model_SetFieldValue(node, Field::kShapeKind, 5);
        Model_SetFieldValue(node, Field::kShapeData, list);
        return node;
    }
    MemHandle HandleOn(ObjectHandle object, uint32_t kind, uint16_t index, FixPoint at)
    {
        handles.push_back(Dot_Create(kind, index, at, object, F(2)));
        return handles.back();
    }
    ObjectHandle page = 0;
    std::vector<MemHandle> handles;
};

TEST_F(VertexEditTest, MovingAVertexPostsTheEditedList)
{
    ObjectHandle object = ObjectWith({{F(0), F(0)}, {F(10), F(0)}, {F(10), F(10)}, {F(0), F(10)}});
    Trans_BeginClosedEdit(9999, HandleOn(object, 5, 2, {F(10), F(10)}));
    ASSERT_EQ(Trans_GetState(), 30);
    EXPECT_EQ(Trans_Current()->vertex.prevPoint.x, F(10));
    EXPECT_EQ(Trans_Current()->vertex.nextPoint.x, F(0));
    Move({F(20), F(25)});
    Release({F(20), F(25)}, 0);
    ASSERT_EQ(Events().size(), 1u);
    ASSERT_EQ(Events()[0].points.size(), 4u);
    EXPECT_EQ(Events()[0].points[2].x, F(20));
    EXPECT_EQ(Events()[0].points[2].y, F(25));
}

TEST_F(VertexEditTest, DeletingAVertexNeedsFourPointsClosedAndThreeOpen)
{
    struct Case {
        const char* name;
        bool closed;
        std::initializer_list<FixPoint> points;
        size_t expectedPosted;
        size_t remaining;
    };
    const Case cases[] = {
        {"closed with 3 refused", true, {{0, 0}, {F(10), 0}, {0, F(10)}}, 0, 0},
        {"closed with 4 deletes", true, {{0, 0}, {F(10), 0}, {F(10), F(10)}, {0, F(10)}}, 1, 3},
        {"open with 2 refused", false, {{0, 0}, {F(10), 0}}, 0, 0},
        {"open with 3 deletes", false, {{0, 0}, {F(10), 0}, {F(20), 0}}, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Events().clear();
        ObjectHandle object = ObjectWith(c.points);
        if (c.closed) {
            Trans_BeginClosedEdit(9999, HandleOn(object, 5, 1, {F(10), 0}));
        } else {
            Trans_BeginVertexEdit(9999, HandleOn(object, 5, 1, {F(10), 0}));
        }
        Key(' ');
        ASSERT_EQ(Events().size(), c.expectedPosted);
        if (c.expectedPosted != 0) {
            EXPECT_EQ(Events()[0].points.size(), c.remaining);
        }
        Trans_Begin(4, nullptr, 1);
    }
}

TEST_F(VertexEditTest, MidpointHandleInsertsAVertex)
{
    ObjectHandle object = ObjectWith({{0, 0}, {F(20), 0}, {F(20), F(20)}});
    Trans_BeginVertexEdit(9999, HandleOn(object, 14, 0, {F(10), 0}));
    EXPECT_EQ(Trans_Current()->vertex.count, 4);
    EXPECT_EQ(Trans_Current()->vertex.index, 1);
    Move({F(10), F(-5)});
    Release({F(10), F(-5)}, 2);
    ASSERT_EQ(Events().size(), 1u);
    ASSERT_EQ(Events()[0].points.size(), 4u);
    EXPECT_EQ(Events()[0].points[1].y, F(-5));
}

TEST_F(VertexEditTest, ModifierSnapsTheVertexToTheCornerOfItsNeighbours)
{
    ObjectHandle object = ObjectWith({{0, 0}, {F(10), F(3)}, {F(20), F(20)}});
    Trans_BeginVertexEdit(9999, HandleOn(object, 5, 1, {F(10), F(3)}));
    Modifiers mod{};
    mod.mod = 1;
    Move({F(10), F(3)}, mod);  // below the line from (0,0) to (20,20): snaps to (b.x, a.y)
    EXPECT_EQ(Trans_Current()->vertex.rubberPoint.x, F(20));
    EXPECT_EQ(Trans_Current()->vertex.rubberPoint.y, F(0));
}

TEST_F(VertexEditTest, EditOfAnEmptyListChangesNothingAndPostsNothing)
{
    ObjectHandle object = ObjectWith({});
    Trans_BeginVertexEdit(9999, HandleOn(object, 5, 3, {0, 0}));
    Move({F(1), F(1)});
    Release({F(1), F(1)}, 2);
    Key(' ');
    for (const Posted& p : Events()) {
        EXPECT_NE(p.kind, kItemPoints);
    }
}

}  // namespace
