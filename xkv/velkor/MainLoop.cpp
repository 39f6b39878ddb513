// The main loop and the X event switch: every event from the kernel's event
// queue is looked at here before the toolkit may dispatch it; keys go to the
// application's key filter and the accelerators, modal dialogs stay modal,
// and after every event the deferred work runs (menus, damage, timers).
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstring>

#include "xkv/comm/Comm.h"
#include "xkv/cursor/Cursor.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/Hook.h"
#include "xkv/menu/Menu.h"
#include "xkv/pending/Pending.h"
#include "xkv/text/TextKernel.h"
#include "xkv/window/Window.h"
#include "xkv/platform/xwindows/Events.h"
#include "xkv/platform/xwindows/Platform.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/timer/Timer.h"
#include "xkv/velkor/Velkor.h"

namespace {

struct LoopState {
    int32_t running = 1;
    int32_t menuUpdate = 0;
    int32_t modifiers[4] = {};  // shift, control, alt, caps lock
    bool mainMapped = false;
    int32_t savedCursor = -1;
    int32_t pressOutsideDialog = 0;
};

LoopState& Loop()
{
    static LoopState loop;
    return loop;
}

constexpr int32_t kTextStyleDialog = 274;
constexpr int32_t kTextCursor = 19;

Window ToplevelWindow()
{
    const Widget toplevel = Velkor_Settings().toplevel;
    return toplevel != nullptr && XtIsRealized(toplevel) ? XtWindow(toplevel) : 0;
}

void ComputeModifiers(unsigned int state, int32_t* out)
{
    out[0] = (state & ShiftMask) != 0 ? 1 : 0;
    out[1] = (state & ControlMask) != 0 ? 1 : 0;
    out[2] = Platform_IsAltDown(state);
    out[3] = (state & LockMask) != 0 ? 1 : 0;
}

bool HandleKeyPress(XEvent* event, bool dialogUp)
{
    Velkor_UpdateModifiers(event->xkey.state);
    if (!dialogUp) {
        if (Dialog_IsFileSelectorShown() != 0) {
            return true;
        }
        return Velkor_HandleKey(nullptr, nullptr, event) == 0;
    }
    char buffer[2] = {};
    KeySym keysym = NoSymbol;
    const int n = XLookupString(&event->xkey, buffer, 1, &keysym, nullptr);
    const int character = n > 0 ? static_cast<unsigned char>(buffer[0]) : 0;
    return Dialog_HandleKey(event, character) == 0;
}

bool HandleButtonPress(XEvent* event, bool dialogUp)
{
    LoopState& loop = Loop();
    if (!dialogUp) {
        loop.pressOutsideDialog = 1;
    } else {
        Velkor_NoteDialogGeometry(event);
    }
    Velkor_UpdateModifiers(event->xbutton.state);
    if (dialogUp) {
        if (Dialog_ContainsPoint(event->xbutton.x_root, event->xbutton.y_root) == 0) {
            return false;
        }
        return Dialog_HandleButton(event) == 0;
    }
    const uint32_t editing = Text_EditingState();
    return editing == 0 || Text_RoutePointerEvent(event, editing) != 0;
}

bool HandleButtonRelease(XEvent* event, bool dialogUp)
{
    LoopState& loop = Loop();
    Velkor_UpdateModifiers(event->xbutton.state);
    bool dispatch = true;
    if (dialogUp) {
        if (loop.pressOutsideDialog != 0) {
            XUngrabPointer(event->xbutton.display, event->xbutton.time);
        }
        if (event->xbutton.button == Button2 && Dialog_TopDialogNumber() == kTextStyleDialog) {
            Dialog_SyncTextSize();
        }
        if (Dialog_ContainsPoint(event->xbutton.x_root, event->xbutton.y_root) == 0) {
            dispatch = false;
        }
    } else {
        const uint32_t editing = Text_EditingState();
        dispatch = editing == 0 || Text_RoutePointerEvent(event, editing) != 0;
    }
    loop.pressOutsideDialog = 0;
    return dispatch;
}

bool HandleMotion(XEvent* event, bool dialogUp)
{
    LoopState& loop = Loop();
    Velkor_UpdateModifiers(event->xmotion.state);
    if (dialogUp) {
        return Dialog_ContainsPoint(event->xmotion.x_root, event->xmotion.y_root) != 0;
    }
    const uint32_t editing = Text_EditingState();
    if (editing == 2) {
        const bool over = Text_PointOverEditedText(0, static_cast<int16_t>(event->xmotion.x),
                                                   static_cast<int16_t>(event->xmotion.y)) != 0;
        if (over && loop.savedCursor == -1) {
            loop.savedCursor = Cursor_GetCurrent();
            Cursor_Set(kTextCursor);
        } else if (!over && loop.savedCursor != -1) {
            Cursor_Set(static_cast<uint32_t>(loop.savedCursor));
            loop.savedCursor = -1;
        }
    }
    return editing == 0 || Text_RoutePointerEvent(event, editing) != 0;
}

bool HandleExpose(XEvent* event)
{
    const uint32_t editing = Text_EditingState();
    if (editing == 0 || editing == 2) {
        return true;
    }
    Window editWindow = 0;
    Text_EditWidget(&editWindow);
    if (event->xexpose.window == Text_FrameWindow() && editWindow != 0) {
        event->xexpose.window = editWindow;
        return true;
    }
    return editWindow == 0 || event->xexpose.window != editWindow;
}

void RunDeferredWork()
{
    Menu_Refresh(0);
    Window_FlushDamage();
    Timer_BusyLeave();
    Timer_RunDue();
}

}  // namespace

int32_t Velkor_MainLoop()
{
    LoopState& loop = Loop();
    while (loop.running != 0) {
        Velkor_DispatchNextEvent(1);
        if (loop.menuUpdate != 0) {
            Menu_UpdateFromSelection(1);
            loop.menuUpdate = 0;
        }
    }
    return 0;
}

void Velkor_DispatchNextEvent(uint32_t wait)
{
    XEvent* event = nullptr;
    const MemHandle record = Events_NextEvent(&event, wait);
    if (event != nullptr) {
        Velkor_DispatchEvent(event);
    }
    if (record != 0) {
        Events_FreeRecord(record);
    }
}

void Velkor_DispatchEvent(XEvent* event)
{
    LoopState& loop = Loop();
    const bool dialogUp = Dialog_IsOpen() != 0;
    if (!dialogUp && Hook_IsRegistered(kHookEventFilter) != 0 &&
        Hook_GetHandler(kHookEventFilter)(reinterpret_cast<uintptr_t>(event), 0, 0, 0, 0, 0) == 0) {
        return;
    }
    Timer_BusyEnter();
    bool dispatch = true;
    switch (event->type) {
    case KeyPress:
        dispatch = HandleKeyPress(event, dialogUp);
        break;
    case ButtonPress:
        dispatch = HandleButtonPress(event, dialogUp);
        break;
    case ButtonRelease:
        dispatch = HandleButtonRelease(event, dialogUp);
        break;
    case MotionNotify:
        dispatch = HandleMotion(event, dialogUp);
        break;
    case FocusIn:
    case FocusOut:
        dispatch = false;
        break;
    case Expose:
        dispatch = HandleExpose(event);
        break;
    case UnmapNotify:
        if (event->xunmap.window == ToplevelWindow()) {
            loop.mainMapped = false;
        } else if (loop.mainMapped && Velkor_IconifyWithMain(event->xunmap.window, dialogUp ? 1 : 0) != 0) {
            loop.mainMapped = false;
        }
        break;
    case MapNotify:
        if (event->xmap.window == ToplevelWindow()) {
            loop.mainMapped = true;
        }
        break;
    case ConfigureNotify:
        if (dialogUp) {
            Velkor_NoteDialogGeometry(event);
        }
        break;
    case MappingNotify:
        XRefreshKeyboardMapping(&event->xmapping);
        Platform_RefreshModifierMap();
        break;
    case ClientMessage:
        dispatch = !Velkor_HandleWindowClose(*event);
        break;
    default:
        break;
    }
    if (dispatch) {
        XtDispatchEvent(event);
    }
    RunDeferredWork();
}

uint32_t Velkor_HandleKey(Widget, XtPointer, XEvent* keyEvent)
{
    XKeyEvent* event = &keyEvent->xkey;
    char buffer[13] = {};
    KeySym keysym = NoSymbol;
    const int n = XLookupString(event, buffer, 12, &keysym, nullptr);
    buffer[n > 0 && n <= 12 ? n : 0] = '\0';
    int32_t modifiers[4] = {};
    ComputeModifiers(event->state, modifiers);

    if (Hook_IsRegistered(kHookKeyFilter) != 0) {
        unsigned long key = keysym;
        if (Hook_GetHandler(kHookKeyFilter)(reinterpret_cast<uintptr_t>(modifiers), reinterpret_cast<uintptr_t>(&key),
                                            reinterpret_cast<uintptr_t>(buffer), 0, 0, 0) == 0) {
            return 1;  // the application consumed the key
        }
    }
    const bool eraseKey = buffer[0] == 127 || buffer[0] == 8;
    const bool goesOn = !eraseKey || (Text_EditingState() == 0 && Trans_GetState() == 1);
    uint32_t handled = 0;
    if (goesOn) {
        AccelKey key;
        key.shift = modifiers[0];
        key.control = modifiers[1];
        key.alt = modifiers[2];
        key.lock = modifiers[3];
        key.keysym = static_cast<uint32_t>(keysym);
        Accel_HandleKey(key, &handled);
    }
    if (handled != 0) {
        Comm_ProcessEvents();
        XFlush(event->display);
        return 1;
    }
    if (Text_EditingState() != 0) {
        Window editWindow = 0;
        Text_EditWidget(&editWindow);
        if (editWindow != 0) {
            event->window = editWindow;
            event->subwindow = 0;
        }
    }
    return 0;
}

void Velkor_UpdateModifiers(unsigned int state)
{
    LoopState& loop = Loop();
    const int32_t capsBefore = loop.modifiers[3];
    ComputeModifiers(state, loop.modifiers);
    if (loop.modifiers[3] != capsBefore) {
        StatusBar_Refresh();
    }
}

void Velkor_GetModifierState(int32_t* modifiers)
{
    if (modifiers != nullptr) {
        std::memcpy(modifiers, Loop().modifiers, sizeof Loop().modifiers);
    }
}

void Velkor_NoteDialogGeometry(XEvent* event)
{
    int32_t level = 0;
    Window window = 0;
    if (Dialog_FindLevelOfWindow(event->xany.window, &level, &window) != 0 || level == kFileSelectorLevel) {
        return;
    }
    Display* display = event->xany.display;
    // Climb to the ancestor just below the root: the frame when reparented.
    for (;;) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) {
            return;
        }
        if (children != nullptr) {
            XFree(children);
        }
        if (parent == root || parent == 0) {
            break;
        }
        window = parent;
    }
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) != 0) {
        Dialog_RememberGeometry(level, attributes.x, attributes.y, attributes.width, attributes.height);
    }
}

uint32_t Velkor_IconifyWithMain(Window window, uint32_t dialogUp)
{
    const bool dialogWindow = (dialogUp != 0 || Dialog_IsFileSelectorShown() != 0) && Dialog_LevelOfWindow(window) != 0;
    if (!dialogWindow && Window_OwnsXWindow(window) == 0) {
        return 0;
    }
    const VelkorSettings& s = Velkor_Settings();
    XIconifyWindow(s.display, ToplevelWindow(), s.screen);
    return 1;
}

void Velkor_SetRunning(int32_t running)
{
    Loop().running = running;
}

int32_t Velkor_IsRunning()
{
    return Loop().running;
}

void Velkor_RequestMenuUpdate(int32_t flag)
{
    Loop().menuUpdate = flag;
}

int32_t Velkor_MenuUpdateRequested()
{
    return Loop().menuUpdate;
}
