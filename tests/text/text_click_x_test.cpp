// Clicks on a page window while a text is edited, sent through XTest and
// taken through the kernel's own event switch: the gesture machine turns the
// press into a pick, the command layer selects the picked object, and in
// text mode the edit moves to its text. Hook 76 reports the end of the first
// edit once.
#include "PageWindowFixture.h"

#include "xvfb.h"

#include <X11/Intrinsic.h>
#include <X11/Shell.h>
#include <X11/extensions/XTest.h>

#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextX.h"
#include "xkv/timer/Timer.h"
#include "xkv/trans/Trans.h"
#include "xkv/undo/Undo.h"
#include "xkv/velkor/Velkor.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

struct EndOfEdit {
    ObjectHandle object;
    uintptr_t changed;
};
std::vector<EndOfEdit> gEnds;

uintptr_t RecordEnd(uintptr_t object, uintptr_t changed, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    gEnds.push_back({static_cast<ObjectHandle>(object), changed});
    return 1;
}

Widget Toplevel(Display* display)
{
    static Widget toplevel = nullptr;
    if (toplevel == nullptr) {
        toplevel = XtVaAppCreateShell("tolqtest", "Tolq", applicationShellWidgetClass, display, XtNwidth, 100,
                                      XtNheight, 100, XtNmappedWhenManaged, False, nullptr);
        XtRealizeWidget(toplevel);
    }
    return toplevel;
}

// A kernel set up as at start-up for pointer input: gesture machine, command
// layer, edit window built with the gesture machine's notifier, one page in
// its page window with two boxes whose texts are not empty.
class ClickWhileEditing : public PageWindowTest {
protected:
    void SetUp() override
    {
        VelkorSettings& settings = Velkor_Settings();
        settings.display = X().display();
        settings.appContext = X().app();
        settings.toplevel = Toplevel(X().display());
        PageWindowTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        Timer_Initialize();
        ASSERT_EQ(Trans_Initialize(), 0u);
        Text_InitWindows(Trans_PostIdleText);
        ASSERT_EQ(Comm_Initialize(), 0u);
        ASSERT_EQ(Core_AddPage(&page), 0u);
        Model_SetFlags(page, 8, 1);
        Comm_SetCurrentPage(page);
        window = Window_OfPage(page);
        ASSERT_NE(window, nullptr);
        WaitShowing(window);
        first = Box(20, 20);
        second = Box(20, 140);
        ASSERT_EQ(Text_PutString(first, "first", 5, 0), kStatusOk);
        ASSERT_EQ(Text_PutString(second, "second", 6, 0), kStatusOk);
        RepaintAll(window);
        gEnds.clear();
        ASSERT_EQ(Hook_Register(kHookTextEndEdit, RecordEnd), kStatusOk);
    }

    void TearDown() override
    {
        Hook_Unregister(kHookTextEndEdit);
        Comm_SetTextMode(0);
        if (Comm_GetState() != kCommStateReady) {
            Comm_PostCancel();
            Comm_ProcessEvents();
        }
        Trans_Begin(0, nullptr, 1);
        Select_Clear();
        Comm_SetCurrentPage(0);
        Undo_Shutdown();
        Core_CloseModel();
        PageWindowTest::TearDown();
    }

    // A box of 100 x 40 pixels whose top-left corner lies at the pixel.
    ObjectHandle Box(int x, int y)
    {
        FixPoint corner{};
        Window_PixelToPage(window, x, y, &corner);
        ObjectHandle node = 0;
        EXPECT_EQ(Core_AddNode(page, {corner.x, corner.y, corner.x + U(50), corner.y + U(20)}, 1, 0, &node), 0u);
        return node;
    }

    // Takes every queued event through the kernel's event switch and lets the
    // command layer handle what the gesture machine posted.
    void Run()
    {
        for (int quiet = 0; quiet < 3;) {
            XSync(X().display(), False);
            XEvent* event = nullptr;
            MemHandle record = Events_NextEvent(&event, 0);
            if (record == 0) {
                Comm_ProcessEvents();
                ++quiet;
                struct timespec ts{0, 5'000'000};
                nanosleep(&ts, nullptr);
                continue;
            }
            quiet = 0;
            if (event != nullptr) {
                Velkor_DispatchEvent(event);
            }
            Events_FreeRecord(record);
            Comm_ProcessEvents();
        }
    }

    void ClickAt(int x, int y)
    {
        Window child = 0;
        int rx = 0, ry = 0;
        XTranslateCoordinates(X().display(), XtWindow(window), DefaultRootWindow(X().display()), x, y, &rx, &ry,
                              &child);
        XTestFakeMotionEvent(X().display(), -1, rx, ry, 0);
        Run();
        XTestFakeButtonEvent(X().display(), 1, True, 0);
        Run();
        XTestFakeButtonEvent(X().display(), 1, False, 0);
        Run();
    }

    // Selects the object and turns text mode on: its text is then edited.
    void EditFirst()
    {
        ASSERT_EQ(Select_Object(first, 1), kStatusOk);
        Comm_SetTextMode(1);
        Run();
        ASSERT_EQ(TextWidget_EditedObject(), first);
        ASSERT_EQ(Text_EditingState(), kEditingText);
    }

    ObjectHandle page = 0;
    Widget window = nullptr;
    ObjectHandle first = 0;
    ObjectHandle second = 0;
};

class ClickAnotherBox : public ClickWhileEditing, public ::testing::WithParamInterface<bool> {};

// Whether anything was typed, hook 76 fires once, for the first box, with
// the edit-changed flag telling which; the texts written before the edit
// began do not count as typing.
TEST_P(ClickAnotherBox, EndsTheEditOnceAndEditsTheOther)
{
    const bool typed = GetParam();
    EditFirst();
    if (typed) {
        ASSERT_EQ(Text_PutString(first, "!", 1, 1), kStatusOk);
    }
    EXPECT_TRUE(gEnds.empty());
    ClickAt(70, 160);
    EXPECT_EQ(Select_GetObject(), second);
    EXPECT_EQ(TextWidget_EditedObject(), second);
    EXPECT_EQ(Text_EditingState(), kEditingText);
    ASSERT_EQ(gEnds.size(), 1u) << "hook 76 fires once for the edit that ended";
    EXPECT_EQ(gEnds[0].object, first);
    EXPECT_EQ(gEnds[0].changed, typed ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Typing, ClickAnotherBox, ::testing::Values(false, true));

TEST_F(ClickWhileEditing, ClickingTheEmptyPageEndsTheEditOnce)
{
    EditFirst();
    ClickAt(300, 300);
    EXPECT_EQ(Text_EditingState(), kEditingNone);
    ASSERT_EQ(gEnds.size(), 1u);
    EXPECT_EQ(gEnds[0].object, first);
}

}  // namespace
