// The gesture machine in real page windows on the private X server: presses,
// drags and releases sent through XTest reach it through the drawing area's
// input callback; the posted events, the feedback pixels and the tracking
// timer are checked.
#include <gtest/gtest.h>

#include "PageWindowFixture.h"
#include "TransCapture.h"
#include "xvfb.h"

#include <X11/extensions/XTest.h>

#include "xkv/comm/Comm.h"
#include "xkv/timer/Timer.h"
#include "xkv/trans/Trans.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

class TransWindowTest : public PageWindowTest {
protected:
    void SetUp() override
    {
        PageWindowTest::SetUp();
        Timer_Initialize();
        Trans_Init();
        StartCapture();
        page = NewPage(1);
        window = Open(page);
        Comm_SetCurrentPage(page);
        Trans_Begin(4, nullptr, 0);
        Pump();
        PostedEvents().clear();
    }
    void TearDown() override
    {
        Trans_Begin(4, nullptr, 1);
        StopCapture();
        PageWindowTest::TearDown();
    }

    // Root coordinates of a pixel of the drawing area.
    void RootOf(int x, int y, int* rx, int* ry)
    {
        Window child = 0;
        XTranslateCoordinates(X().display(), XtWindow(window), DefaultRootWindow(X().display()), x, y, rx, ry,
                              &child);
    }
    void MoveTo(int x, int y)
    {
        int rx = 0, ry = 0;
        RootOf(x, y, &rx, &ry);
        XTestFakeMotionEvent(X().display(), -1, rx, ry, 0);
        Pump();
    }
    void Button(bool down)
    {
        XTestFakeButtonEvent(X().display(), 1, down ? True : False, 0);
        Pump();
    }
    // A press, a drag through the points and a release at the last one.
    void DragThrough(std::initializer_list<std::pair<int, int>> path)
    {
        auto it = path.begin();
        MoveTo(it->first, it->second);
        Button(true);
        for (++it; it != path.end(); ++it) {
            MoveTo(it->first, it->second);
        }
        Button(false);
    }
    FixPoint PageAt(int x, int y)
    {
        FixPoint p{};
        Window_PixelToPage(window, x, y, &p);
        return p;
    }

    ObjectHandle page = 0;
    Widget window = nullptr;
};

TEST_F(TransWindowTest, ClickOnEmptyPagePostsOnePointPickAtThePressPoint)
{
    MoveTo(60, 70);
    Button(true);
    Button(false);
    DrainEvents();
    ASSERT_EQ(PostedEvents().size(), 1u);
    const Posted& pick = PostedEvents()[0];
    EXPECT_EQ(pick.eventClass, 2u);
    EXPECT_EQ(pick.button1, 1u);  // the click type of a press
    ASSERT_EQ(pick.points.size(), 1u);
    EXPECT_EQ(pick.points[0].x, PageAt(60, 70).x);
    EXPECT_EQ(pick.points[0].y, PageAt(60, 70).y);
}

TEST_F(TransWindowTest, PressAndDragPostsAPickThenOneDragWithTheOffset)
{
    DragThrough({{50, 50}, {60, 55}, {90, 80}, {95, 90}});
    DrainEvents();
    ASSERT_GE(PostedEvents().size(), 2u);
    EXPECT_EQ(PostedEvents()[0].eventClass, 2u);
    const Posted& drag = PostedEvents()[1];
    EXPECT_EQ(drag.eventClass, 9u);
    ASSERT_EQ(drag.points.size(), 1u);
    // The drawing area reports the motion that starts a drag at the press
    // point first, so the drag starts with no offset.
    EXPECT_EQ(drag.points[0].x, 0);
    EXPECT_EQ(drag.points[0].y, 0);
    EXPECT_EQ(drag.x, PageAt(50, 50).x);
    size_t drags = 0;
    for (const Posted& p : PostedEvents()) {
        drags += p.eventClass == 9 ? 1 : 0;
    }
    EXPECT_EQ(drags, 1u);
}

TEST_F(TransWindowTest, RubberBoxIsDrawnWhileDraggingAndLeavesNoPixelsBehind)
{
    RepaintAll(window);
    const std::vector<unsigned long> before = Pixels(window, 20, 20, 140, 120);
    Trans_BeginBox(9999, 1, 0, 0, 0, 0x20);
    MoveTo(40, 40);
    Button(true);
    MoveTo(80, 70);
    MoveTo(120, 100);
    const std::vector<unsigned long> during = Pixels(window, 20, 20, 140, 120);
    EXPECT_NE(during, before) << "the rubber band is visible";
    Button(false);
    DrainEvents();
    EXPECT_EQ(Pixels(window, 20, 20, 140, 120), before);
    ASSERT_EQ(PostedEvents().size(), 1u);
    const Posted& rect = PostedEvents()[0];
    EXPECT_EQ(rect.kind, 16u);
    ASSERT_EQ(rect.points.size(), 2u);
    EXPECT_EQ(rect.points[0].x, PageAt(40, 40).x);
    EXPECT_EQ(rect.points[0].y, PageAt(40, 40).y);
    EXPECT_EQ(rect.points[1].x, PageAt(120, 100).x);
    EXPECT_EQ(rect.points[1].y, PageAt(120, 100).y);
}

TEST_F(TransWindowTest, PolygonEnteredPointByPointEndsOnDoubleClick)
{
    Trans_BeginPolygon(14, 1);
    const std::pair<int, int> corners[] = {{40, 40}, {120, 40}, {120, 100}};
    MoveTo(corners[0].first, corners[0].second);
    Button(true);
    Button(false);
    for (size_t i = 1; i < 3; ++i) {
        MoveTo(corners[i].first - 5, corners[i].second - 5);
        MoveTo(corners[i].first, corners[i].second);
        Button(true);
        Button(false);
    }
    DrainEvents();
    EXPECT_TRUE(PostedEvents().empty());
    Button(true);  // the second click of a double click
    Button(false);
    DrainEvents();
    ASSERT_EQ(PostedEvents().size(), 1u);
    const Posted& list = PostedEvents()[0];
    EXPECT_EQ(list.kind, 15u);
    ASSERT_EQ(list.points.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(list.points[i].x, PageAt(corners[i].first, corners[i].second).x) << i;
        EXPECT_EQ(list.points[i].y, PageAt(corners[i].first, corners[i].second).y) << i;
    }
}

TEST_F(TransWindowTest, TrackingHighlightsTheObjectUnderThePointerAndAPressPicksIt)
{
    const FixRect box{PageAt(60, 60).x, PageAt(60, 60).y, PageAt(120, 110).x, PageAt(120, 110).y};
    ObjectHandle node = NewBox(page, box);
    RepaintAll(window);
    Trans_BeginTrack(window, 73, 0xfffff, 0, 0);
    MoveTo(20, 20);
    EXPECT_EQ(Trans_TrackedObject(), 0u);
    MoveTo(90, 85);
    EXPECT_EQ(Trans_TrackedObject(), node);
    EXPECT_EQ(Trans_HighlightShown(), 1u);
    EXPECT_EQ(Timer_CountWithId(5), 1u) << "the blink timer runs";
    MoveTo(20, 20);
    EXPECT_EQ(Trans_TrackedObject(), 0u);
    EXPECT_EQ(Timer_CountWithId(5), 0u);
    MoveTo(90, 85);
    Button(true);
    Button(false);
    DrainEvents();
    ASSERT_GE(PostedEvents().size(), 1u);
    EXPECT_EQ(PostedEvents()[0].kind, 10u);
    EXPECT_EQ(PostedEvents()[0].value, node);
    EXPECT_EQ(Timer_CountWithId(5), 0u);
}

}  // namespace
