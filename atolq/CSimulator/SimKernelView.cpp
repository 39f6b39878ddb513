// The step machinery's kernel side in the program: the application timer,
// menu item states, message boxes, the busy cursor, the key poll and the
// wait after a stopped run's last step.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <unistd.h>

#include "atolq/CEditor/DeclarationSeams.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CSimulator/SimDialogs.h"
#include "atolq/CSimulator/SimStep.h"
#include "atolq/CSimulator/SimStepView.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXFile.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXUI.h"
#include "xkv/platform/xwindows/Platform.h"

#include <string>

namespace {

constexpr int16_t kMsgInternalError = 12570;
constexpr int16_t kMsgDiagramCorrupted = 16386;
constexpr int32_t kWaitCursor = 1;
constexpr int kWaitSeconds = 3;

// The saved cursor while the machinery is busy; -1 when it is not.
int32_t savedCursor = -1;

uintptr_t workTick(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    SRunWorkProc();
    return 1;
}

bool currentFileExists()
{
    char* name = nullptr;
    const bool exists = QXFile_GetCurrentFileName(&name) != 0 && name != nullptr && name[0] != '\0';
    if (name != nullptr)
        QXMem_Free(name);
    return exists;
}

struct KeyMatch {
    bool escapeOnly;
};

// A key press of Escape, or (unless only Escape is looked for) of e with Alt.
Bool isSimKey(Display* display, XEvent* event, XPointer argument)
{
    if (event->type != KeyPress)
        return False;
    const KeySym symbol = XLookupKeysym(&event->xkey, 0);
    if (symbol == XK_Escape)
        return True;
    const auto* match = reinterpret_cast<const KeyMatch*>(argument);
    (void)display;
    return !match->escapeOnly && symbol == XK_e && Platform_IsAltDown(event->xkey.state) != 0 ? True : False;
}

// Takes the first matching key press off the queue: the key found or none.
int takeKey(bool escapeOnly)
{
    Display* display = Platform_Display();
    if (display == nullptr)
        return kSimKeyNone;
    KeyMatch match{escapeOnly};
    XEvent event;
    if (XCheckIfEvent(display, &event, isSimKey, reinterpret_cast<XPointer>(&match)) == False)
        return kSimKeyNone;
    return XLookupKeysym(&event.xkey, 0) == XK_Escape ? kSimKeyEscape : kSimKeyStep;
}

void flushDrawing()
{
    QXUI_FlushDisplay();
    if (Display* display = Platform_Display(); display != nullptr)
        XSync(display, False);
}

} // namespace

void SVSetTimer(SimWorkProc tick) { QXCall_Timer(tick != nullptr ? workTick : nullptr); }

void SVSetItemState(uint32_t command, int state) { QXMenu_SetItemState(command, static_cast<uint32_t>(state)); }

void SVUpdateMenuBar() { QXMenu_UpdateMenuBar(); }

void SVMessage(int16_t id) { GE_MessageBox(id); }

void SVMessageWithText(const char* text, int16_t id) { GE_MessageBoxText(text, id); }

void SVMessageThenText(int16_t id, const char* text)
{
    char message[kGEMessageTextSize];
    GE_GetMessageText(id, message);
    const std::string shown = std::string(message) + (text != nullptr ? text : "");
    GE_MessageBoxText(shown.c_str(), 0);
}

void SVInternalError(int16_t id) { EE_ReportError(id); }

int SVAskContinue(int16_t id) { return GE_AskContinue(id); }

int SVAskYesNo(int16_t id) { return GE_AskYesNo(id, nullptr); }

void SVBeginBusy(const char* text)
{
    const int previous = EE_BeginBusy(text);
    if (savedCursor < 0)
        savedCursor = previous;
}

void SVEndBusy()
{
    if (savedCursor < 0)
        return;
    EE_EndBusy(savedCursor);
    savedCursor = -1;
}

int SVTakePendingFatal()
{
    if (EE_GetPendingError() == 0)
        return 0;
    GE_MessageBox(currentFileExists() ? kMsgInternalError : kMsgDiagramCorrupted);
    EE_ClearPendingError();
    return 1;
}

int SVPollKeys()
{
    const int key = takeKey(false);
    flushDrawing();
    return key;
}

void SVStepFinishedWait(const char* text)
{
    SVStatus(text, 2, 5);
    const int32_t previous = QXUI_SetCursor(kWaitCursor);
    while (takeKey(true) == kSimKeyEscape) {
    }
    QXMenu_UpdateMenuBar();
    flushDrawing();
    for (int second = 0; second < kWaitSeconds; ++second) {
        if (takeKey(true) == kSimKeyEscape)
            break;
        sleep(1);
    }
    QXUI_SetCursor(previous);
}

// The step dialog after a step of an interactive run: "Cont" goes on,
// "Stop" stops, anything else leaves the decision open.
int SVStepDialog(unsigned long step)
{
    switch (SStepFinishedDialog(static_cast<long>(step))) {
    case 2: return 1;
    case 3: return 2;
    default: return 0;
    }
}
