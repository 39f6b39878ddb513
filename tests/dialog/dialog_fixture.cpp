// The dialog tests' toolkit application and loop helpers.
#include "dialog_fixture.h"

#include "xvfb.h"
#include "xclient.h"

#include <X11/IntrinsicP.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>

#include <ctime>

#include "xkv/comm/Comm.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/mem/Mem.h"
#include "xkv/platform/xwindows/Platform.h"
#include "xkv/velkor/Velkor.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

XtAppContext gApp = nullptr;
Display* gDisplay = nullptr;

void Nap()
{
    struct timespec ts{0, 5'000'000};
    nanosleep(&ts, nullptr);
}

}  // namespace

void DialogX::SetUpTestSuite()
{
    if (gApp != nullptr) {
        return;
    }
    static char name[] = "tolq";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    Widget top = XtOpenApplication(&gApp, "Tolq", nullptr, 0, &argc, argv, nullptr, applicationShellWidgetClass,
                                   nullptr, 0);
    ASSERT_NE(top, nullptr);
    XtVaSetValues(top, XtNwidth, 200, XtNheight, 100, XtNx, 900, XtNy, 700, nullptr);
    XtRealizeWidget(top);
    gDisplay = XtDisplay(top);
    VelkorSettings& s = Velkor_Settings();
    s.toplevel = top;
    s.appContext = gApp;
    s.display = gDisplay;
    s.screen = DefaultScreen(gDisplay);
    s.foreground = BlackPixel(gDisplay, s.screen);
    s.background = WhitePixel(gDisplay, s.screen);
    Velkor_CopyBounded(s.programName, "tolq");
    Velkor_CopyBounded(s.title, "Dialog tests");
    Platform_Attach(gApp, gDisplay);
    Mem_Init(nullptr, nullptr);
    Comm_Initialize();
    ASSERT_EQ(Dialog_Initialize(), 0u);
}

void DialogX::TearDown()
{
    while (Dialog_Depth() > 0) {
        Dialog_Close(1);
    }
    Pump([] { return false; }, std::chrono::milliseconds(30));
}

Display* DialogX::display()
{
    return gDisplay;
}

XtAppContext DialogX::app()
{
    return gApp;
}

bool DialogX::Pump(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        XSync(gDisplay, False);
        while (XtAppPending(gApp) != 0 || XPending(gDisplay) != 0) {
            Velkor_DispatchNextEvent(0);
            if (XtAppPending(gApp) & (XtIMTimer | XtIMAlternateInput)) {
                XtAppProcessEvent(gApp, XtIMTimer | XtIMAlternateInput);
            }
        }
        Velkor_DispatchNextEvent(0);
        Nap();
    }
    return true;
}

bool DialogX::FocusOn(Widget widget)
{
    const bool viewable = Pump([widget] {
        XWindowAttributes a{};
        return XtIsRealized(widget) && XGetWindowAttributes(gDisplay, XtWindow(widget), &a) != 0 &&
               a.map_state == IsViewable;
    });
    if (viewable) {
        XSetInputFocus(gDisplay, XtWindow(widget), RevertToParent, CurrentTime);
        XSync(gDisplay, False);
    }
    return viewable;
}

void DialogX::Wake()
{
    XEvent wake{};
    wake.xclient.type = ClientMessage;
    wake.xclient.display = gDisplay;
    wake.xclient.window = XtWindow(Velkor_Settings().toplevel);
    wake.xclient.format = 8;
    XSendEvent(gDisplay, wake.xclient.window, False, NoEventMask, &wake);
    XFlush(gDisplay);
}

int DialogX::BorderWidth(Widget widget)
{
    XWindowAttributes a{};
    if (widget == nullptr || XGetWindowAttributes(gDisplay, XtWindow(widget), &a) == 0) {
        return -1;
    }
    return a.border_width;
}

Driver::Driver(XtAppContext app, std::vector<Step> steps, std::function<void()> abort, std::chrono::milliseconds limit)
    : app_(app), steps_(std::move(steps)), abort_(std::move(abort)), deadline_(std::chrono::steady_clock::now() + limit)
{
    timer_ = XtAppAddTimeOut(app_, 30, Tick, this);
}

MessageCloser::MessageCloser(XtAppContext app) : app_(app)
{
    timer_ = XtAppAddTimeOut(app_, 50, Tick, this);
}

MessageCloser::~MessageCloser()
{
    if (timer_ != 0) {
        XtRemoveTimeOut(timer_);
    }
}

void MessageCloser::Tick(XtPointer self, XtIntervalId*)
{
    auto* c = static_cast<MessageCloser*>(self);
    if (Dialog_TopDialogNumber() == 1000) {
        ++c->closed_;
        Dialog_Close(1);
    }
    c->timer_ = XtAppAddTimeOut(c->app_, 50, Tick, self);
}

Driver::~Driver()
{
    if (timer_ != 0) {
        XtRemoveTimeOut(timer_);
    }
}

void Driver::Tick(XtPointer self, XtIntervalId*)
{
    auto* d = static_cast<Driver*>(self);
    d->timer_ = 0;
    if (std::chrono::steady_clock::now() >= d->deadline_) {
        ADD_FAILURE() << "driver stopped at step " << d->next_;
        if (d->abort_) {
            d->abort_();
        }
        DialogX::Wake();
        return;
    }
    while (d->next_ < d->steps_.size() && d->steps_[d->next_]()) {
        ++d->next_;
    }
    if (d->next_ < d->steps_.size()) {
        d->timer_ = XtAppAddTimeOut(d->app_, 30, Tick, self);
    }
}

}  // namespace tolq::test
