// QX entries that need page windows on the private X server: locating under
// a point of the current page, window and scroll origins, the page a window
// shows, and queued key presses found without being dispatched.
#include "PageWindowFixture.h"

#include "xvfb.h"

#include "xkv/comm/Comm.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUtil.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

class QXWindowTest : public PageWindowTest {
protected:
    void SetUp() override
    {
        PageWindowTest::SetUp();
        QXStatus = 0;
        page_ = NewPage(1);
        widget_ = Open(page_);
        Comm_SetCurrentPage(page_);
    }
    void TearDown() override
    {
        Comm_SetCurrentPage(0);
        PageWindowTest::TearDown();
    }

    ObjectHandle Node(Fixed cx, Fixed cy)
    {
        return QXStr_CreateNode(page_, cx, cy, U(20), U(20), 1);
    }

    // A key press of the letter with the modifier state, queued for the window.
    void QueueKey(char letter, unsigned int state)
    {
        Display* display = X().display();
        XEvent event{};
        event.xkey.type = KeyPress;
        event.xkey.display = display;
        event.xkey.window = XtWindow(widget_);
        event.xkey.root = DefaultRootWindow(display);
        event.xkey.state = state;
        event.xkey.keycode = XKeysymToKeycode(display, XStringToKeysym(std::string(1, letter).c_str()));
        event.xkey.same_screen = True;
        XSendEvent(display, event.xkey.window, False, KeyPressMask, &event);
        XSync(display, False);
    }

    ObjectHandle page_ = 0;
    Widget widget_ = nullptr;
};

TEST_F(QXWindowTest, LocateFindsTheObjectOfTheKindAsked)
{
    // Interface units are half units of Fixed: the first node spans 180 to 220.
    ObjectHandle a = Node(U(100), U(100));
    ObjectHandle b = Node(U(300), U(100));
    ObjectHandle arc = QXStr_CreateConnector(page_, a, b);
    ASSERT_NE(arc, 0u);
    struct Case {
        int32_t x, y;
        uint32_t kinds;
        ObjectHandle expected;
    };
    const Case cases[] = {
        {200, 200, kQXKindNode, a},   {200, 200, 0, a},   {600, 200, kQXKindNode, b},
        {200, 200, kQXKindRegion, 0}, {1000, 1000, 0, 0}, {400, 200, kQXKindConnector, arc},
        {400, 200, kQXKindNode, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QXUtil_LocateAt(c.x, c.y, c.kinds), c.expected) << c.x << "," << c.y << " kinds " << c.kinds;
    }
}

TEST_F(QXWindowTest, PageOriginScrollsTheWindowAndOriginsReadItBack)
{
    EXPECT_EQ(QXWin_OfPage(widget_), page_);
    EXPECT_EQ(QXWin_OfPage(nullptr), 0u);
    ASSERT_EQ(QXUtil_SetPageOrigin(page_, 100, 60), 1u);
    Pump();
    int32_t x = 0, y = 0;
    ASSERT_EQ(QXWin_GetWindowOrigin(page_, &x, &y), 1u);
    EXPECT_NEAR(x, 100, 1);
    EXPECT_NEAR(y, 60, 1);
    int32_t cx = 0, cy = 0;
    ASSERT_EQ(QXWin_GetOrigin(&cx, &cy), 1u);
    EXPECT_EQ(cx, x);
    EXPECT_EQ(cy, y);
    int32_t width = 0, height = 0;
    QXWin_GetDisplaySize(&width, &height);
    EXPECT_EQ(width, Velkor_Settings().screenWidth);
}

TEST_F(QXWindowTest, QueuedKeyPressesAreFoundAndOptionallyTaken)
{
    QueueKey('q', ShiftMask);
    QueueKey('k', ControlMask);
    struct Case {
        uint32_t mask;
        char key;
        uint32_t found;
    };
    const Case cases[] = {
        {0, 'k', 1},                  // no mask: any state
        {ControlMask, 'k', 1},        // equal state
        {ShiftMask, 'k', 0},          // other modifier
        {0x10000, 'k', 1},            // mask above 15 bits: any state but none
        {ControlMask, 'x', 0},        // other key
    };
    for (const Case& c : cases) {
        uint32_t state = 0;
        EXPECT_EQ(QXUtil_FindKeyEvent(c.mask, c.key, &state, 0), c.found) << c.mask << " " << c.key;
        if (c.found != 0) {
            EXPECT_EQ(state, static_cast<uint32_t>(ControlMask));
        }
    }
    uint32_t state = 0;
    ASSERT_EQ(QXUtil_FindKeyEvent(ControlMask, 'k', &state, 1), 1u);
    EXPECT_EQ(QXUtil_FindKeyEvent(0, 'k', &state, 0), 0u);  // taken out
    EXPECT_EQ(QXUtil_FindKeyEvent(0, 'q', &state, 0), 0u);  // Shift types Q
    EXPECT_EQ(QXUtil_FindKeyEvent(0, 'Q', &state, 0), 1u);  // the other stays queued
    EXPECT_EQ(state, static_cast<uint32_t>(ShiftMask));
}

TEST_F(QXWindowTest, DisplayInfoIsTheKernelConnection)
{
    QXDisplayInfo info{};
    ASSERT_EQ(QXUtil_GetDisplayInfo(&info), 1u);
    EXPECT_EQ(info.display, X().display());
    EXPECT_EQ(info.root, DefaultRootWindow(X().display()));
    EXPECT_EQ(QXUtil_GetDisplayInfo(nullptr), 0u);
}

}  // namespace
