// A kernel set up as at start-up for pointer and key input under the private
// Xvfb: gesture machine, command layer, the edit window built with the
// gesture machine's notifier under the kernel's toplevel, and one page in its
// page window, made current. Events are taken through the kernel's own event
// switch; hook 76 (end of a text edit) is recorded.
#pragma once

#include "PageWindowFixture.h"

#include "KernelToplevel.h"

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

namespace kernelinput {

struct EndOfEdit {
    ObjectHandle object;
    uintptr_t changed;
};

inline std::vector<EndOfEdit>& Ends()
{
    static std::vector<EndOfEdit> ends;
    return ends;
}

inline uintptr_t RecordEnd(uintptr_t object, uintptr_t changed, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    Ends().push_back({static_cast<ObjectHandle>(object), changed});
    return 1;
}

class KernelInputTest : public PageWindowTest {
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
        RepaintAll(window);
        Ends().clear();
        ASSERT_EQ(Hook_Register(HOOK_TEXT_END_EDIT, RecordEnd), kStatusOk);
    }

    void TearDown() override
    {
        Hook_Unregister(HOOK_TEXT_END_EDIT);
        if (Comm_GetState() != kCommStateReady) {
            Comm_PostCancel();
            Comm_ProcessEvents();
        }
        Comm_SetTextMode(0);
        Trans_Begin(0, nullptr, 1);
        Select_Clear();
        Comm_SetCurrentPage(0);
        Undo_Shutdown();
        Core_CloseModel();
        PageWindowTest::TearDown();
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

    // A button-1 click at a pixel of the page window, through XTest.
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

    ObjectHandle page = 0;
    Widget window = nullptr;
};

}  // namespace kernelinput
