// A toolkit connection to the test's private X server, attached to the platform layer.
#pragma once
// Include GoogleTest before this header.

#include "xkv/platform/xwindows/Events.h"
#include "xkv/platform/xwindows/Platform.h"

#include <X11/Intrinsic.h>
#include <X11/StringDefs.h>

#include <stdexcept>

namespace tolq::test {

class XtConnection {
public:
    XtConnection()
    {
        XtToolkitInitialize();
        app_ = XtCreateApplicationContext();
        int argc = 0;
        display_ = XtOpenDisplay(app_, nullptr, "tolqtest", "Tolq", nullptr, 0, &argc, nullptr);
        if (display_ == nullptr) {
            throw std::runtime_error("cannot open the display");
        }
        Platform_Attach(app_, display_);
        XSync(display_, False);
    }
    ~XtConnection()
    {
        Events_SetEventSwitch(nullptr);
        Platform_Attach(nullptr, nullptr);
        XtCloseDisplay(display_);
        XtDestroyApplicationContext(app_);
    }
    XtConnection(const XtConnection&) = delete;
    XtConnection& operator=(const XtConnection&) = delete;

    XtAppContext app() const { return app_; }
    Display* display() const { return display_; }

private:
    XtAppContext app_ = nullptr;
    Display* display_ = nullptr;
};

} // namespace tolq::test
