// The bell rings on the display once start-up has handed it over, and stays
// silent without one.
#include <gtest/gtest.h>

#include "xvfb.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <chrono>
#include <thread>

#include "xkv/undo/Undo.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

// A client that is told of every bell the server rings.
class BellListener {
public:
    BellListener() : display_(XOpenDisplay(nullptr))
    {
        int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
        if (display_ == nullptr || !XkbQueryExtension(display_, &opcode, &xkbEvent_, &error, &major, &minor)) {
            return;
        }
        XkbSelectEvents(display_, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
        XSync(display_, False);
        ready_ = true;
    }
    ~BellListener()
    {
        if (display_ != nullptr) {
            XCloseDisplay(display_);
        }
    }
    bool ready() const { return ready_; }

    bool HeardBell(std::chrono::milliseconds limit)
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                auto* xkb = reinterpret_cast<XkbEvent*>(&event);
                if (event.type == xkbEvent_ && xkb->any.xkb_type == XkbBellNotify) {
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    Display* display_ = nullptr;
    int xkbEvent_ = 0;
    bool ready_ = false;
};

TEST(Bell, RingsOnTheDisplayAndIsSilentWithout)
{
    BellListener listener;
    ASSERT_TRUE(listener.ready());
    Bell_SetDisplay(nullptr);
    Bell_Ring();
    EXPECT_FALSE(listener.HeardBell(std::chrono::milliseconds(200)));

    Display* kernel = XOpenDisplay(nullptr);
    ASSERT_NE(kernel, nullptr);
    Bell_SetDisplay(kernel);
    Bell_Ring();
    EXPECT_TRUE(listener.HeardBell(std::chrono::milliseconds(5000)));
    Bell_SetDisplay(nullptr);
    XCloseDisplay(kernel);
}

}  // namespace
