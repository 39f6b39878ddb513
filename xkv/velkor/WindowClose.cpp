// The window manager's close button on tolq's top-level windows. Every shell
// takes part in WM_DELETE_WINDOW, so the window manager asks instead of
// killing the program: a dialog closes as its "Cancel" would, and the main
// window or a page window ends the program the way Quit does, after the
// application's close check and the question whether to save a modified
// diagram.
#include <X11/Intrinsic.h>
#include <X11/StringDefs.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstring>

#include "xkv/comm/Comm.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/platform/sfselect/SelFile.h"
#include "xkv/velkor/Velkor.h"

namespace {

constexpr int32_t kRequestQuit = 20;

struct Atoms {
    Display* display = nullptr;
    Atom protocols = None;
    Atom deleteWindow = None;
};

Atoms& AtomsOf(Display* display)
{
    static Atoms atoms;
    if (atoms.display != display) {
        atoms.display = display;
        atoms.protocols = XInternAtom(display, "WM_PROTOCOLS", False);
        atoms.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    }
    return atoms;
}

bool IsCloseRequest(const XEvent& event)
{
    if (event.type != ClientMessage || event.xclient.format != 32 || event.xclient.display == nullptr) {
        return false;
    }
    const Atoms& atoms = AtomsOf(event.xclient.display);
    return event.xclient.message_type == atoms.protocols &&
           static_cast<Atom>(event.xclient.data.l[0]) == atoms.deleteWindow;
}

// Presses the top dialog's "Cancel" button, as the user would; a dialog
// without one stays open.
void CancelTopDialog()
{
    const int32_t count = Dialog_GetItemCount();
    for (int32_t item = 1; item <= count; ++item) {
        if (Dialog_GetItemClass(0, item) != kClassButton) {
            continue;
        }
        char label[64] = {};
        if (Dialog_GetItemLabel(item, label, sizeof label - 1) == 0 || std::strcmp(label, "Cancel") != 0) {
            continue;
        }
        if (Widget button = Dialog_ItemWidget(item); button != nullptr) {
            XtCallCallbacks(button, XtNcallback, nullptr);
        }
        return;
    }
}

}  // namespace

void Velkor_WatchWindowClose(Widget shell)
{
    if (shell == nullptr || !XtIsRealized(shell)) {
        return;
    }
    Atoms& atoms = AtomsOf(XtDisplay(shell));
    XSetWMProtocols(XtDisplay(shell), XtWindow(shell), &atoms.deleteWindow, 1);
}

bool Velkor_HandleWindowClose(const XEvent& event)
{
    if (!IsCloseRequest(event)) {
        return false;
    }
    if (Dialog_IsFileSelectorShown() != 0) {
        // The file selector waits for its answer: closing it cancels it.
        if (event.xclient.window == SelFile_ShellWindow()) {
            SelFile_Cancel();
        } else {
            XBell(event.xclient.display, 0);
        }
        return true;
    }
    if (Dialog_IsOpen() != 0) {
        // While a dialog waits for its answer only the top dialog closes.
        int32_t level = 0;
        Window found = 0;
        if (Dialog_FindLevelOfWindow(event.xclient.window, &level, &found) == kStatusOk &&
            level == Dialog_Depth()) {
            CancelTopDialog();
        } else {
            XBell(event.xclient.display, 0);
        }
        return true;
    }
    // Quit as from the File menu: the application's close check, the
    // question whether to save a modified diagram (Save As for one without a
    // name), then the end of the program.
    Comm_RunCommand(kRequestQuit);
    return true;
}
