// The menu bar and pull-downs under Xvfb: the kernel's own windows, driven
// through XTest by position and read back as pixels and window geometry; the
// events pass through the kernel's event queue and X event switch.
#include <gtest/gtest.h>

#include "MenuProbe.h"
#include "xclient.h"
#include "xvfb.h"

#include <X11/Intrinsic.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xaw/Form.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <thread>

#include "xkv/comm/Comm.h"
#include "xkv/kv/Hook.h"
#include "xkv/menu/Menu.h"
#include "xkv/platform/xwindows/Platform.h"
#include "xkv/velkor/Velkor.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

using tolq::test::Rgb;
using tolq::test::XClient;

struct Toolkit {
    XtAppContext app = nullptr;
    Display* display = nullptr;
};

Toolkit& SharedToolkit()
{
    static Toolkit toolkit = [] {
        Toolkit t;
        XtToolkitInitialize();
        t.app = XtCreateApplicationContext();
        int argc = 0;
        t.display = XtOpenDisplay(t.app, nullptr, "tolq", "Tolq", nullptr, 0, &argc, nullptr);
        Platform_Attach(t.app, t.display);
        Platform_RefreshModifierMap();
        Comm_Initialize();
        return t;
    }();
    return toolkit;
}

void IgnoreKey(Widget, XtPointer, XEvent*, Boolean*) {}

// The main window of the tests: a shell with the "menu" form holding the menu
// bar, placed at a chosen height on the screen.
class MenuBarTest : public ::testing::Test {
protected:
    void Open(int y)
    {
        Toolkit& t = SharedToolkit();
        ASSERT_NE(t.display, nullptr);
        shell_ = XtVaAppCreateShell("tolq", "Tolq", applicationShellWidgetClass, t.display, XtNx, XtArgVal{40},
                                    XtNy, XtArgVal{y}, nullptr);
        Widget form = XtVaCreateManagedWidget("menu", formWidgetClass, shell_, XtNwidth, XtArgVal{600}, XtNheight,
                                              XtArgVal{30}, nullptr);
        XtAddEventHandler(shell_, KeyPressMask, False, IgnoreKey, nullptr);
        VelkorSettings& s = Velkor_Settings();
        s.toplevel = shell_;
        s.display = t.display;
        s.appContext = t.app;
        ASSERT_EQ(Menu_Initialize(form, 0, &bar_), kStatusOk);
        XtRealizeWidget(shell_);
        ResetWorld();
        ASSERT_TRUE(PumpUntil([&] { return BarOrigin().second > 0 && Menu_BarWidth() > 200; }));
        Pump(150);
    }
    void TearDown() override
    {
        Comm_ProcessEvents();
        Menu_Shutdown();
        if (shell_ != nullptr) {
            XtDestroyWidget(shell_);
        }
        Pump(50);
    }

    // Dispatches queued X events through the kernel's switch for a while.
    void Pump(int ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            DispatchAll();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    template <typename Pred>
    bool PumpUntil(Pred pred, int ms = 5000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            DispatchAll();
            if (pred()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    void DispatchAll()
    {
        Display* display = SharedToolkit().display;
        // Wait until the server has handled the toolkit's requests, so that the
        // test's own connection finds the windows they create.
        XSync(display, False);
        for (int i = 0; i < 200 && (XPending(display) > 0 || XtAppPending(SharedToolkit().app) != 0); ++i) {
            Velkor_DispatchNextEvent(0);
        }
        Velkor_DispatchNextEvent(0);
    }

    std::pair<int, int> BarOrigin() const
    {
        Window child = 0;
        int x = 0;
        int y = 0;
        XTranslateCoordinates(client_.display(), XtWindow(bar_), client_.root(), 0, 0, &x, &y, &child);
        return {x, y};
    }
    // Root position of the middle of a menu's title, and of one of its items
    // (popup coordinates are relative to the bar's origin).
    std::pair<int, int> TitlePoint(int32_t menuId) const
    {
        Menu* menu = nullptr;
        Menu_FindMenu(menuId, &menu);
        const auto [x, y] = BarOrigin();
        return {x + menu->titleRect.x + menu->titleRect.width / 2, y + menu->titleRect.height / 2};
    }
    std::pair<int, int> ItemPoint(int32_t menuId, size_t index) const
    {
        Menu* menu = nullptr;
        Menu_FindMenu(menuId, &menu);
        const auto [x, y] = BarOrigin();
        const MenuRect& r = menu->items[index]->rect;
        return {x + menu->popupRect.x + 1 + r.x + r.width / 2, y + menu->popupRect.y + 1 + r.y + r.height / 2};
    }

    void MoveTo(std::pair<int, int> point)
    {
        client_.move_pointer(point.first, point.second);
        Pump(40);
    }
    void Button(bool press)
    {
        XTestFakeButtonEvent(client_.display(), 1, press ? True : False, CurrentTime);
        client_.sync();
        Pump(60);
    }
    void Key(KeySym keysym, bool press)
    {
        XTestFakeKeyEvent(client_.display(), XKeysymToKeycode(client_.display(), keysym), press ? True : False,
                          CurrentTime);
        client_.sync();
        Pump(30);
    }
    void Tap(KeySym keysym)
    {
        Key(keysym, true);
        Key(keysym, false);
    }
    // Drags from a title to an item and releases there.
    void PickByDragging(int32_t menuId, size_t index)
    {
        MoveTo(TitlePoint(menuId));
        Button(true);
        MoveTo(ItemPoint(menuId, index));
        Button(false);
    }
    // Share of black pixels in an item's rectangle of the open popup.
    double DarkShare(const MenuItem& item) const
    {
        const MenuRect& r = item.rect;
        const int dark = client_.count_pixels(XtWindow(Menu_PopupShell()), r.x, r.y, r.width, r.height, Rgb{0, 0, 0});
        return static_cast<double>(dark) / (r.width * r.height);
    }
    bool PopupMapped() const
    {
        XWindowAttributes attributes;
        return XGetWindowAttributes(client_.display(), XtWindow(Menu_PopupShell()), &attributes) != 0 &&
               attributes.map_state == IsViewable;
    }

    XClient client_;
    Widget shell_ = nullptr;
    Widget bar_ = nullptr;
};

TEST_F(MenuBarTest, AtStartOnlyTheFileMenuIsEnabled)
{
    Open(100);
    for (const auto& menu : Menu_List()) {
        EXPECT_EQ(menu->shownEnabled, menu->menuId == 2 ? 1 : 0) << menu->menuId;
    }
    // The titles are drawn: dark pixels in the File title.
    Menu* file = nullptr;
    Menu_FindMenu(2, &file);
    const MenuRect& t = file->titleRect;
    EXPECT_GT(client_.count_pixels(XtWindow(bar_), t.x, t.y, t.width, t.height, Rgb{0, 0, 0}), 20);

    // Dragging over the enabled "Open..." highlights it; the disabled "Close" is not.
    MoveTo(TitlePoint(2));
    Button(true);
    ASSERT_TRUE(PumpUntil([&] { return PopupMapped(); }));
    MoveTo(ItemPoint(2, 2));
    EXPECT_LT(DarkShare(*file->items[2]), 0.3);
    MoveTo(ItemPoint(2, 1));
    EXPECT_GT(DarkShare(*file->items[1]), 0.6);
    // Dragging on to Edit switches the open menu; its items do not light up.
    MoveTo(TitlePoint(3));
    EXPECT_EQ(Menu_OpenMenu()->menuId, 3);
    MoveTo(ItemPoint(3, 2));
    Menu* edit = Menu_OpenMenu();
    EXPECT_LT(DarkShare(*edit->items[2]), 0.3);
    Button(false);
    EXPECT_FALSE(PopupMapped());
    EXPECT_TRUE(World().CallsOf(kHookMenuPick).empty());
    EXPECT_EQ(World().log, (std::vector<std::string>{"cancel"}));
}

TEST_F(MenuBarTest, PickReachesHook21AndPostsTheCommandWithShift)
{
    Open(100);
    PickByDragging(2, 1);
    ASSERT_EQ(World().CallsOf(kHookMenuPick).size(), 1u);
    EXPECT_EQ(World().CallsOf(kHookMenuPick)[0].a, 2u);
    EXPECT_EQ(World().CallsOf(kHookMenuPick)[0].b, 202u);
    ASSERT_EQ(World().commands.size(), 1u);
    EXPECT_EQ(World().commands[0].number, 16u);
    EXPECT_EQ(World().commands[0].shift, 0u);

    // Shift held through the drag travels with the command event.
    ResetWorld();
    Key(XK_Shift_L, true);
    PickByDragging(2, 0);
    Key(XK_Shift_L, false);
    ASSERT_EQ(World().commands.size(), 1u);
    EXPECT_EQ(World().commands[0].number, 17u);
    EXPECT_EQ(World().commands[0].shift, 1u);

    // Releasing on the bar closes the menu and posts only a cancel.
    ResetWorld();
    MoveTo(TitlePoint(2));
    Button(true);
    Button(false);
    EXPECT_FALSE(PopupMapped());
    EXPECT_TRUE(World().CallsOf(kHookMenuPick).empty());
    EXPECT_EQ(World().log, (std::vector<std::string>{"cancel"}));
}

TEST_F(MenuBarTest, AltKeysRunTheirCommandButNotWithCapsLock)
{
    Open(100);
    MoveTo(TitlePoint(2));
    Key(XK_Alt_L, true);
    Tap(XK_o);
    Key(XK_Alt_L, false);
    ASSERT_EQ(World().CallsOf(kHookMenuPick).size(), 1u);
    EXPECT_EQ(World().CallsOf(kHookMenuPick)[0].b, 202u);
    ASSERT_EQ(World().commands.size(), 1u);
    EXPECT_EQ(World().commands[0].number, 16u);
    EXPECT_EQ(World().commands[0].mod, 1u);

    // A disabled item's key is swallowed without a pick: Save is off at start.
    ResetWorld();
    Key(XK_Alt_L, true);
    Tap(XK_s);
    Key(XK_Alt_L, false);
    EXPECT_TRUE(World().CallsOf(kHookMenuPick).empty());

    ResetWorld();
    Tap(XK_Caps_Lock);
    Key(XK_Alt_L, true);
    Tap(XK_o);
    Key(XK_Alt_L, false);
    Tap(XK_Caps_Lock);
    EXPECT_TRUE(World().hookCalls.empty());
    EXPECT_TRUE(World().commands.empty());
}

TEST_F(MenuBarTest, PullDownNearTheBottomOpensAboveTheBar)
{
    const int screenHeight = HeightOfScreen(DefaultScreenOfDisplay(client_.display()));
    Open(screenHeight - 60);
    MoveTo(TitlePoint(2));
    Button(true);
    ASSERT_TRUE(PumpUntil([&] { return PopupMapped(); }));
    XWindowAttributes popup;
    XGetWindowAttributes(client_.display(), XtWindow(Menu_PopupShell()), &popup);
    const int barTop = BarOrigin().second;
    EXPECT_LE(popup.y + popup.height + 2 * popup.border_width, barTop);
    EXPECT_GE(popup.y, 0);
    // Its items are still reached: a pick from the flipped menu.
    MoveTo(ItemPoint(2, 1));
    Button(false);
    ASSERT_EQ(World().CallsOf(kHookMenuPick).size(), 1u);
    EXPECT_EQ(World().CallsOf(kHookMenuPick)[0].b, 202u);

    // Away from the bottom it opens below the bar.
    TearDown();
    shell_ = nullptr;
    Open(100);
    MoveTo(TitlePoint(2));
    Button(true);
    ASSERT_TRUE(PumpUntil([&] { return PopupMapped(); }));
    XGetWindowAttributes(client_.display(), XtWindow(Menu_PopupShell()), &popup);
    EXPECT_GE(popup.y, BarOrigin().second + Menu_List()[0]->titleRect.height);
    Button(false);
}

}  // namespace
