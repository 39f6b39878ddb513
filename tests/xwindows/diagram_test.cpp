// The Diagram drawing-area widget against a private X server: window layout,
// scrolling arithmetic and copies, click counting, the indicate message.
#include <gtest/gtest.h>

#include "xclient.h"
#include "xvfb.h"
#include "xt_fixture.h"

#include "xkv/platform/xwindows/Diagram.h"
#include "xkv/platform/xwindows/Widget.h"

#include <X11/IntrinsicP.h>
#include <X11/Shell.h>
#include <X11/Xaw/Scrollbar.h>

#include <climits>
#include <vector>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

struct Calls {
    std::vector<int> repairModes;
    std::vector<std::pair<int, int>> scrolls;
    std::vector<int> inputTypes;
    int indications = 0;
};
Calls* calls = nullptr;

void OnRepair(Widget, Region, int mode)
{
    calls->repairModes.push_back(mode);
}
void OnScrolled(XtPointer, Widget, int dx, int dy)
{
    calls->scrolls.emplace_back(dx, dy);
}
void OnInput(Widget, Widget, XEvent* event)
{
    calls->inputTypes.push_back(event->type);
}
void OnIndicate(Widget)
{
    ++calls->indications;
}

class DiagramWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls = &calls_;
        Diagram_SetCallback(kDiagramRepair, reinterpret_cast<DiagramAnyProc>(OnRepair));
        Diagram_SetCallback(kDiagramScrolled, reinterpret_cast<DiagramAnyProc>(OnScrolled));
        Diagram_SetCallback(kDiagramInput, reinterpret_cast<DiagramAnyProc>(OnInput));
        Diagram_SetCallback(kDiagramIndicate, reinterpret_cast<DiagramAnyProc>(OnIndicate));
        Arg args[2];
        XtSetArg(args[0], XtNwidth, 400);
        XtSetArg(args[1], XtNheight, 300);
        shell_ = XtAppCreateShell("tolqtest", "Tolq", applicationShellWidgetClass, x_.display(), args, 2);
        Arg size[2];
        XtSetArg(size[0], XtNwidth, 400);
        XtSetArg(size[1], XtNheight, 300);
        diagram_ = XtCreateManagedWidget("page", diagramWidgetClass, shell_, size, 2);
    }
    void TearDown() override
    {
        XtDestroyWidget(shell_);
        Pump();
        for (int i = 4; i <= 9; ++i) {
            Diagram_SetCallback(i, nullptr);
        }
        calls = nullptr;
    }

    void Show()
    {
        XtRealizeWidget(shell_);
        XtPopup(shell_, XtGrabNone);
        ASSERT_TRUE(wait_until([&] {
            Pump();
            return Diagram_IsShowing(diagram_) != 0;
        }));
        Pump();
    }

    void Pump()
    {
        for (int quiet = 0; quiet < 4;) {
            XSync(x_.display(), False);
            XEvent* event = nullptr;
            MemHandle record = Events_NextEvent(&event, 0);
            if (record == 0) {
                ++quiet;
                struct timespec ts{0, 10'000'000};
                nanosleep(&ts, nullptr);
                continue;
            }
            quiet = 0;
            XtDispatchEvent(event);
            Events_FreeRecord(record);
        }
    }

    void Act(const char* action, int type, int x, int y, Time time)
    {
        XEvent event{};
        event.type = type;
        event.xbutton.display = x_.display();
        event.xbutton.window = XtWindow(diagram_);
        event.xbutton.x = x;
        event.xbutton.y = y;
        event.xbutton.time = time;
        event.xbutton.button = Button1;
        XtCallActionProc(diagram_, action, &event, nullptr, 0);
    }

    XtConnection x_;
    Calls calls_;
    Widget shell_ = nullptr;
    Widget diagram_ = nullptr;
};

TEST(DiagramScroll, AxisMovesStayInsideTheVirtualArea)
{
    struct Row {
        int32_t wanted, size, extent, offset;
        int32_t applied, after;
    };
    const Row rows[] = {
        {50, 100, 500, -20, 20, 0},        // stops at the left edge
        {-50, 100, 500, -20, -50, -70},    // moves freely
        {-500, 100, 500, -300, -100, -400}, // stops at the right edge
        {30, 600, 500, 0, 0, 0},           // window wider than the area: no scrolling
        {0, 100, 500, -20, 0, -20},
        {-100000, 400, 65535, 0, -65135, -65135},
    };
    for (const Row& row : rows) {
        int32_t offset = row.offset;
        EXPECT_EQ(Diagram_ScrollAxis(row.wanted, row.size, row.extent, &offset), row.applied) << row.wanted;
        EXPECT_EQ(offset, row.after) << row.wanted;
    }
}

TEST_F(DiagramWindow, FrameHoldsTitleBarsAndTheDrawingWindow)
{
    Show();
    Window frame = 0;
    Window root = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    XQueryTree(x_.display(), XtWindow(diagram_), &root, &frame, &children, &count);
    if (children != nullptr) {
        XFree(children);
    }
    XWindowAttributes drawing;
    XGetWindowAttributes(x_.display(), XtWindow(diagram_), &drawing);
    int titleHeight = Diagram_TitleHeight(diagram_);
    EXPECT_GT(titleHeight, 1);
    EXPECT_EQ(drawing.x, 1);
    EXPECT_EQ(drawing.y, titleHeight + 1);
    XQueryTree(x_.display(), frame, &root, &root, &children, &count);
    EXPECT_EQ(count, 4u) << "title, two scroll bars and the drawing window";
    if (children != nullptr) {
        XFree(children);
    }
    int width = 0;
    int height = 0;
    Diagram_DrawingSize(diagram_, &width, &height);
    EXPECT_LT(width, 400);
    EXPECT_LT(height, 300 - titleHeight);
    EXPECT_EQ(Diagram_Get(diagram_, kDiagramWidth), width);
    EXPECT_STREQ(reinterpret_cast<const char*>(Diagram_Get(diagram_, kDiagramTitleString)), "unnamed:  Page 1");
    ASSERT_FALSE(calls_.repairModes.empty());
    EXPECT_EQ(calls_.repairModes.front(), kDiagramRepairMapped);
}

TEST_F(DiagramWindow, ScrollingCopiesTheContentsAndReportsTheAppliedMove)
{
    Show();
    Diagram_SetVirtualArea(diagram_, static_cast<uint16_t>(-20), 0, 1000, 1000);
    calls_.scrolls.clear();
    Diagram_ScrollBy(diagram_, 50, 0);
    EXPECT_EQ(Diagram_Get(diagram_, kDiagramVirtualX), 0);
    ASSERT_EQ(calls_.scrolls.size(), 1u);
    EXPECT_EQ(calls_.scrolls[0], std::make_pair(20, 0));
    calls_.repairModes.clear();
    Diagram_ScrollBy(diagram_, 0, -40);
    Pump();
    EXPECT_EQ(Diagram_Get(diagram_, kDiagramVirtualY), -40);
    EXPECT_FALSE(calls_.repairModes.empty()) << "the uncovered strip comes back to be repaired";

    // Far beyond X's 16-bit range: the move is clamped to the area and nothing breaks.
    Diagram_SetVirtualArea(diagram_, 0, 0, 65535, 65535);
    Diagram_ScrollBy(diagram_, INT_MIN / 2, INT_MIN / 2);
    Pump();
    int width = 0;
    int height = 0;
    Diagram_DrawingSize(diagram_, &width, &height);
    EXPECT_EQ(Diagram_Get(diagram_, kDiagramVirtualX), SHRT_MIN) << "a 16-bit origin";

    // The vertical thumb follows the virtual area.
    Diagram_SetVirtualArea(diagram_, 0, static_cast<uint16_t>(-50), 1000, static_cast<uint16_t>(height * 5));
    Widget bar = XtNameToWidget(diagram_, "vertical");
    ASSERT_NE(bar, nullptr);
    float top = 0;
    float shown = 0;
    XtVaGetValues(bar, XtNtopOfThumb, &top, XtNshown, &shown, nullptr);
    EXPECT_NEAR(top, 50.0 / (height * 5), 1e-4);
    EXPECT_NEAR(shown, 0.2, 1e-4);
}

TEST_F(DiagramWindow, ClicksAreCountedByPlaceAndTime)
{
    Show();
    struct Step {
        const char* action;
        int type;
        int x, y;
        Time time;
        int clicks;
    };
    const Step steps[] = {
        {"mousedown", ButtonPress, 10, 10, 1000, 0},
        {"mouseup", ButtonRelease, 11, 10, 1100, 1},   // a click
        {"mousedown", ButtonPress, 12, 11, 1200, 1},
        {"mouseup", ButtonRelease, 12, 11, 1250, 2},   // a double click
        {"mousedown", ButtonPress, 112, 11, 1300, 0},  // 100 pixels away within 250 ms
        {"mouseup", ButtonRelease, 112, 11, 3300, 1},  // same place after 2 s still clicks
        {"mousedown", ButtonPress, 112, 11, 3400, 1},
        {"mouseup", ButtonRelease, 150, 11, 3450, 0},  // released too far
    };
    for (const Step& step : steps) {
        Act(step.action, step.type, step.x, step.y, step.time);
        EXPECT_EQ(Diagram_ClickCount(), step.clicks) << step.action << " at " << step.time;
    }
    EXPECT_EQ(Diagram_IsButtonWidget(diagram_), 0);
    int x = 0;
    int y = 0;
    Diagram_LastPosition(&x, &y);
    EXPECT_EQ(x, 150);
    EXPECT_EQ(calls_.inputTypes.size(), 8u);
}

int dialogUp = 0;
int DialogOpen()
{
    return dialogUp;
}

TEST_F(DiagramWindow, PressesAreIgnoredWhileADialogIsUp)
{
    Show();
    Diagram_SetDialogQueries(DialogOpen, nullptr);
    dialogUp = 1;
    Act("mousedown", ButtonPress, 10, 10, 5000);
    EXPECT_TRUE(calls_.inputTypes.empty());
    EXPECT_EQ(Diagram_Get(diagram_, kDiagramButtonHeld), 0);
    dialogUp = 0;
    Act("mousedown", ButtonPress, 10, 10, 5100);
    EXPECT_EQ(calls_.inputTypes.size(), 1u);
    Act("mouseup", ButtonRelease, 10, 10, 5150);
    Diagram_SetDialogQueries(nullptr, nullptr);
}

TEST_F(DiagramWindow, AnIndicationBeforeTheFirstMapArrivesAfterIt)
{
    Diagram_PostIndicate(diagram_);
    Pump();
    EXPECT_EQ(calls_.indications, 0);
    Show();
    ASSERT_TRUE(wait_until([&] {
        Pump();
        return calls_.indications == 1;
    }));

    // A client message of another type is ignored.
    XEvent other{};
    other.xclient.type = ClientMessage;
    other.xclient.window = XtWindow(diagram_);
    other.xclient.message_type = XInternAtom(x_.display(), "SOMETHING_ELSE", False);
    other.xclient.format = 8;
    XSendEvent(x_.display(), XtWindow(diagram_), False, 0, &other);
    Diagram_PostIndicate(diagram_);
    ASSERT_TRUE(wait_until([&] {
        Pump();
        return calls_.indications >= 2;
    }));
    Pump();
    EXPECT_EQ(calls_.indications, 2);
}

TEST_F(DiagramWindow, TitleAndScrollBarsComeAndGo)
{
    Show();
    const char* title = "Page 2 with a longer name";
    Diagram_Set(diagram_, kDiagramTitleString, reinterpret_cast<uintptr_t>(title));
    EXPECT_STREQ(reinterpret_cast<const char*>(Diagram_Get(diagram_, kDiagramTitleString)), title);
    Diagram_Set(diagram_, kDiagramTitleString, reinterpret_cast<uintptr_t>(""));
    EXPECT_EQ(Diagram_Get(diagram_, kDiagramTitleString), 0);
    Diagram_Set(diagram_, kDiagramTitleBar, 0);
    EXPECT_EQ(Diagram_TitleHeight(diagram_), 0);
    Diagram_Set(diagram_, kDiagramTitleBar, 1);
    EXPECT_GT(Diagram_TitleHeight(diagram_), 0);
    Diagram_Set(diagram_, kDiagramScrollBar, 0);
    EXPECT_EQ(XtNameToWidget(diagram_, "vertical"), nullptr);
    Diagram_Set(diagram_, kDiagramScrollBar, 1);
    EXPECT_NE(XtNameToWidget(diagram_, "vertical"), nullptr);
    Diagram_Set(diagram_, 15, 1);
    EXPECT_EQ(Diagram_Get(diagram_, 15), 0);
    Pump();
}

} // namespace
} // namespace tolq::test
