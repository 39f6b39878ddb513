// The kernel's toplevel shell for X tests of the text editor: an unmapped
// application shell on the test's toolkit connection, made once.
#pragma once

#include <X11/Intrinsic.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>

namespace kernelinput {

inline Widget Toplevel(Display* display)
{
    static Widget toplevel = nullptr;
    if (toplevel == nullptr) {
        toplevel = XtVaAppCreateShell("tolqtest", "Tolq", applicationShellWidgetClass, display, XtNwidth, 100,
                                      XtNheight, 100, XtNmappedWhenManaged, False, nullptr);
        XtRealizeWidget(toplevel);
    }
    return toplevel;
}

}  // namespace kernelinput
