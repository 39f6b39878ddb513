// The "Diagram" drawing-area widget: frame and drawing windows, title bar and
// scroll bars, scrolling by copying, auto-scroll paced by GraphicsExpose, click
// counting and drag detection, and the "DiagramWindowIndicate" message.
#include "xkv/platform/xwindows/DiagramP.h"

#include "xkv/platform/xwindows/Events.h"
#include "xkv/platform/xwindows/PlStatus.h"
#include "xkv/platform/xwindows/Widget.h"

#include <X11/StringDefs.h>
#include <X11/Xaw/Scrollbar.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Coordinates are computed in 32 bits and clamped to X's 16-bit range at the call.
int XPos(int32_t value)
{
    return std::clamp<int32_t>(value, SHRT_MIN, SHRT_MAX);
}
unsigned int XSize(int32_t value)
{
    return static_cast<unsigned int>(std::clamp<int32_t>(value, 1, USHRT_MAX));
}
Position ToPosition(int32_t value)
{
    return static_cast<Position>(std::clamp<int32_t>(value, SHRT_MIN, SHRT_MAX));
}
Dimension ToDimension(int32_t value)
{
    return static_cast<Dimension>(std::clamp<int32_t>(value, 0, USHRT_MAX));
}

constexpr int kClickTolerance = 3;
constexpr int32_t kClickTime = 300;
constexpr int32_t kMultiClickTime = 250;
constexpr long kGrabMask = ButtonPressMask | ButtonReleaseMask | EnterWindowMask | LeaveWindowMask |
                           PointerMotionMask | ButtonMotionMask;

// Process-wide state shared by all Diagram widgets.
struct ClassState {
    uint32_t lastTime = 0;
    int32_t lastX = 0;
    int32_t lastY = 0;
    unsigned int lastState = 0;
    int clickCount = 0;
    Widget buttonWidget = nullptr;
    Display* grabDisplay = nullptr;
    bool motionSincePress = false;
    bool dragStarted = false;
    uint16_t pendingCopies = 0;
    bool jumpReady = true;
    Widget jumpBar = nullptr;
    Widget jumpWidget = nullptr;
    float jumpFraction = 0.0f;
    Region exposure = nullptr;
    GC background = nullptr;
    Atom indicateAtom = static_cast<Atom>(~0ul);
    std::array<DiagramAnyProc, 10> callbacks{};
    int (*dialogIsOpen)() = nullptr;
    int (*fileSelectorShown)() = nullptr;
    int debugResource = -1; // -1 not read yet
    XFontStruct* titleFont = nullptr;
    Display* cachedFor = nullptr; // the display that the cached GC, atom, font and resource belong to
};
ClassState state;

// The cached server resources belong to one display; a new display starts afresh.
void UseDisplay(Display* display)
{
    if (state.cachedFor == display) {
        return;
    }
    state.cachedFor = display;
    state.background = nullptr;
    state.indicateAtom = static_cast<Atom>(~0ul);
    state.debugResource = -1;
    if (state.titleFont != nullptr) {
        XFreeFontInfo(nullptr, state.titleFont, 1); // client memory only: its server is gone
        state.titleFont = nullptr;
    }
    state.grabDisplay = nullptr;
}

DiagramWidget AsDiagram(Widget widget)
{
    return reinterpret_cast<DiagramWidget>(widget);
}

template <typename Proc>
Proc CallbackAt(int index)
{
    return reinterpret_cast<Proc>(state.callbacks[static_cast<size_t>(index)]);
}

void CallRepair(Widget widget, Region region, int mode)
{
    if (auto proc = CallbackAt<DiagramRepairProc>(kDiagramRepair)) {
        proc(widget, region, mode);
    }
}

void CallScrolled(DiagramWidget w, int dx, int dy)
{
    if (auto proc = CallbackAt<DiagramScrolledProc>(kDiagramScrolled)) {
        proc(w->diagram.pageId, reinterpret_cast<Widget>(w), dx, dy);
    }
}

void CallInput(Widget widget, XEvent* event)
{
    if (auto proc = CallbackAt<DiagramInputProc>(kDiagramInput)) {
        proc(widget, widget, event);
    }
}

int32_t TimeDistance(uint32_t a, uint32_t b)
{
    return std::abs(static_cast<int32_t>(a - b));
}

bool Near(int32_t x, int32_t y)
{
    return std::abs(x - state.lastX) <= kClickTolerance && std::abs(y - state.lastY) <= kClickTolerance;
}

// A resource of the application, looked up as "name.resource" with class "Class.Class".
bool ReadResource(Display* display, const char* resource, const char* resourceClass, std::string* value)
{
    const char* appName = nullptr;
    const char* appClass = nullptr;
    XtGetApplicationNameAndClass(display, const_cast<String*>(&appName), const_cast<String*>(&appClass));
    XrmDatabase database = XtDatabase(display);
    if (appName == nullptr || appClass == nullptr || database == nullptr) {
        return false;
    }
    std::string name = std::string(appName) + "." + resource;
    std::string cls = std::string(appClass) + "." + resourceClass;
    char* type = nullptr;
    XrmValue found{};
    if (!XrmGetResource(database, name.c_str(), cls.c_str(), &type, &found) || found.addr == nullptr) {
        return false;
    }
    value->assign(found.addr, strnlen(found.addr, found.size));
    return true;
}

bool DebugOn(Display* display)
{
    UseDisplay(display);
    if (state.debugResource < 0) {
        std::string value;
        state.debugResource = 0;
        if (ReadResource(display, "debug", "debug", &value)) {
            std::transform(value.begin(), value.end(), value.begin(), [](unsigned char c) { return std::tolower(c); });
            state.debugResource = value == "on" ? 1 : 0;
        }
    }
    return state.debugResource == 1;
}

XFontStruct* TitleFont(Display* display)
{
    UseDisplay(display);
    if (state.titleFont == nullptr) {
        std::string name = "*-helvetica-*-r-*-120-*";
        ReadResource(display, "pageTitleFont", "PageTitleFont", &name);
        state.titleFont = XLoadQueryFont(display, name.c_str());
        if (state.titleFont == nullptr) {
            state.titleFont = XLoadQueryFont(display, "fixed");
        }
    }
    return state.titleFont;
}

GC BackgroundGC(Display* display)
{
    UseDisplay(display);
    if (state.background == nullptr) {
        state.background = DefaultGC(display, DefaultScreen(display));
        XSetGraphicsExposures(display, state.background, True);
    }
    return state.background;
}

Atom IndicateAtom(Display* display)
{
    UseDisplay(display);
    if (state.indicateAtom == static_cast<Atom>(~0ul)) {
        state.indicateAtom = XInternAtom(display, "DiagramWindowIndicate", True);
    }
    return state.indicateAtom;
}

Widget Parent(DiagramWidget w)
{
    return XtParent(reinterpret_cast<Widget>(w));
}

int ParentWidth(DiagramWidget w)
{
    return Parent(w)->core.width;
}

int ParentHeight(DiagramWidget w)
{
    return Parent(w)->core.height;
}

bool IsShowing(DiagramWidget w)
{
    return w->core.visible && w->diagram.mappedOnce;
}

// ---- title and scroll bars ----

void CenterTitle(DiagramWidget w)
{
    Widget title = w->diagram.title;
    if (title == nullptr) {
        return;
    }
    const char* text = w->diagram.titleString;
    int textWidth = Status_StringWidth(title, text);
    Status_SetString(title, text, 0, (static_cast<int32_t>(title->core.width) - textWidth) >> 1);
}

void TitlePicked(Widget title)
{
    if (auto proc = CallbackAt<DiagramPickProc>(kDiagramPick)) {
        proc(XtParent(title));
    }
}

// Creates the title inside the frame window (which stands as the widget's window meanwhile).
void CreateTitle(DiagramWidget w)
{
    Widget self = reinterpret_cast<Widget>(w);
    Arg args[6];
    Cardinal n = 0;
    XtSetArg(args[n], XtNfont, TitleFont(XtDisplay(self)));
    ++n;
    XtSetArg(args[n], XtNborderWidth, 1);
    ++n;
    XtSetArg(args[n], XtNx, -1);
    ++n;
    XtSetArg(args[n], XtNy, -1);
    ++n;
    XtSetArg(args[n], const_cast<String>("stringCount"), 1);
    ++n;
    XtSetArg(args[n], XtNwidth, XSize(ParentWidth(w)));
    ++n;
    w->diagram.title = XtCreateWidget("title", statusWidgetClass, self, args, n);
    Status_SetCallback(w->diagram.title, TitlePicked);
    Status_SetInverse(w->diagram.title, w->diagram.titleInverse);
    Window drawing = w->core.window;
    w->core.window = w->diagram.frame;
    XtManageChild(w->diagram.title);
    w->core.window = drawing;
    CenterTitle(w);
}

void ScrollWith(DiagramWidget w, int32_t dx, int32_t dy);

void ScrollProc(Widget bar, XtPointer client, XtPointer callData)
{
    auto* w = static_cast<DiagramWidget>(client);
    auto position = static_cast<int32_t>(reinterpret_cast<intptr_t>(callData));
    if (bar == w->diagram.verticalBar) {
        ScrollWith(w, 0, -position);
    } else {
        ScrollWith(w, -position, 0);
    }
}

void PerformJump(Widget bar, DiagramWidget w, float fraction);

void JumpProc(Widget bar, XtPointer client, XtPointer callData)
{
    if (callData == nullptr) {
        return;
    }
    float fraction = *static_cast<float*>(callData);
    auto* w = static_cast<DiagramWidget>(client);
    if (state.jumpReady) {
        PerformJump(bar, w, fraction);
    } else {
        state.jumpBar = bar;
        state.jumpWidget = reinterpret_cast<Widget>(w);
        state.jumpFraction = fraction;
    }
}

Widget CreateBar(DiagramWidget w, const char* name, bool vertical)
{
    Widget self = reinterpret_cast<Widget>(w);
    Arg args[5];
    Cardinal n = 0;
    XtSetArg(args[n], XtNborderWidth, 1);
    ++n;
    XtSetArg(args[n], XtNx, 0);
    ++n;
    XtSetArg(args[n], XtNy, 0);
    ++n;
    XtSetArg(args[n], XtNorientation, vertical ? XtorientVertical : XtorientHorizontal);
    ++n;
    if (vertical) {
        XtSetArg(args[n], XtNheight, XSize(ParentHeight(w) - Diagram_TitleHeight(self)));
    } else {
        XtSetArg(args[n], XtNwidth, XSize(static_cast<int32_t>(w->core.width) + 1));
    }
    ++n;
    Widget bar = XtCreateWidget(name, scrollbarWidgetClass, self, args, n);
    XtAddCallback(bar, XtNscrollProc, ScrollProc, w);
    XtAddCallback(bar, XtNjumpProc, JumpProc, w);
    return bar;
}

void PlaceBars(DiagramWidget w)
{
    Widget self = reinterpret_cast<Widget>(w);
    int titleHeight = Diagram_TitleHeight(self);
    Widget v = w->diagram.verticalBar;
    Widget h = w->diagram.horizontalBar;
    if (v == nullptr || h == nullptr) {
        return;
    }
    int vBorder = v->core.border_width;
    int hBorder = h->core.border_width;
    XtConfigureWidget(v, ToPosition(ParentWidth(w) - v->core.width - vBorder), ToPosition(titleHeight - vBorder),
                      ToDimension(std::max<int32_t>(1, v->core.width)),
                      ToDimension(std::max<int32_t>(1, ParentHeight(w) - titleHeight)), v->core.border_width);
    XtConfigureWidget(h, ToPosition(-hBorder), ToPosition(ParentHeight(w) - h->core.height - hBorder),
                      ToDimension(std::max<int32_t>(1, ParentWidth(w) - v->core.width - vBorder)),
                      ToDimension(std::max<int32_t>(1, h->core.height)), h->core.border_width);
}

void CreateBars(DiagramWidget w)
{
    w->diagram.verticalBar = CreateBar(w, "vertical", true);
    w->diagram.horizontalBar = CreateBar(w, "horizontal", false);
    PlaceBars(w);
    Window drawing = w->core.window;
    w->core.window = w->diagram.frame;
    XtManageChild(w->diagram.verticalBar);
    XtManageChild(w->diagram.horizontalBar);
    w->core.window = drawing;
}

int BarsWidth(DiagramWidget w)
{
    Widget v = w->diagram.verticalBar;
    return v != nullptr ? v->core.width + v->core.border_width : 0;
}

int BarsHeight(DiagramWidget w)
{
    Widget h = w->diagram.horizontalBar;
    return h != nullptr ? h->core.height + h->core.border_width : 0;
}

void MoveDrawingWindow(DiagramWidget w, int32_t y, int32_t width, int32_t height)
{
    w->core.width = ToDimension(std::max<int32_t>(1, width));
    w->core.height = ToDimension(std::max<int32_t>(1, height));
    if (w->core.window != 0) {
        XMoveResizeWindow(XtDisplay(reinterpret_cast<Widget>(w)), w->core.window, 1, XPos(y), XSize(width),
                          XSize(height));
    }
}

// ---- scrolling ----

void RepairAll(DiagramWidget w)
{
    Region region = XCreateRegion();
    XRectangle all{0, 0, w->core.width, w->core.height};
    XUnionRectWithRegion(&all, region, region);
    CallRepair(reinterpret_cast<Widget>(w), region, 1);
    XDestroyRegion(region);
}

// Moves the contents by the applied amounts; returns false when nothing moved.
bool ScrollContents(DiagramWidget w, int32_t dx, int32_t dy, int32_t* appliedX, int32_t* appliedY)
{
    int32_t vx = w->diagram.virtualX;
    int32_t vy = w->diagram.virtualY;
    *appliedX = Diagram_ScrollAxis(dx, w->core.width, w->diagram.virtualWidth, &vx);
    *appliedY = Diagram_ScrollAxis(dy, w->core.height, w->diagram.virtualHeight, &vy);
    w->diagram.virtualX = ToPosition(vx);
    w->diagram.virtualY = ToPosition(vy);
    if (*appliedX == 0 && *appliedY == 0) {
        return false;
    }
    Widget self = reinterpret_cast<Widget>(w);
    if (XtIsRealized(self)) {
        Display* display = XtDisplay(self);
        XCopyArea(display, XtWindow(self), XtWindow(self), BackgroundGC(display), XPos(-*appliedX), XPos(-*appliedY),
                  XSize(w->core.width), XSize(w->core.height), 0, 0);
        if (state.pendingCopies < UINT16_MAX) {
            ++state.pendingCopies;
        }
    }
    return true;
}

void ScrollWith(DiagramWidget w, int32_t dx, int32_t dy)
{
    int32_t ax = 0;
    int32_t ay = 0;
    if (ScrollContents(w, dx, dy, &ax, &ay)) {
        CallScrolled(w, ax, ay);
        Diagram_UpdateScrollbars(reinterpret_cast<Widget>(w));
    }
}

void PerformJump(Widget bar, DiagramWidget w, float fraction)
{
    state.jumpBar = nullptr;
    state.jumpWidget = nullptr;
    bool vertical = bar == w->diagram.verticalBar;
    double extent = vertical ? w->diagram.virtualHeight : w->diagram.virtualWidth;
    double current = vertical ? w->diagram.virtualY : w->diagram.virtualX;
    auto move = static_cast<int32_t>(-fraction * extent - current);
    int32_t ax = 0;
    int32_t ay = 0;
    if (ScrollContents(w, vertical ? 0 : move, vertical ? move : 0, &ax, &ay)) {
        state.jumpReady = false;
        CallScrolled(w, ax, ay);
    }
}

// ---- exposure ----

void AddRectangle(Region region, int x, int y, int width, int height)
{
    XRectangle rect{ToPosition(x), ToPosition(y), ToDimension(width), ToDimension(height)};
    XUnionRectWithRegion(&rect, region, region);
}

// Merges the exposures of this window queued in the kernel queue, clears the
// region and asks for its repair.
void RepairExposed(DiagramWidget w, Region region, int type, int mode)
{
    Widget self = reinterpret_cast<Widget>(w);
    XEvent* queued = nullptr;
    for (MemHandle record = Events_FindEvent(&queued, 0); record != 0; record = Events_FindEvent(&queued, 0)) {
        if (queued->xany.window != XtWindow(self) || queued->type != type) {
            Events_UnlockRecord(record);
            break;
        }
        if (type == GraphicsExpose) {
            const XGraphicsExposeEvent& g = queued->xgraphicsexpose;
            AddRectangle(region, g.x, g.y, g.width, g.height);
            if (g.count == 0 && state.pendingCopies > 0) {
                --state.pendingCopies;
            }
        } else {
            const XExposeEvent& e = queued->xexpose;
            AddRectangle(region, e.x, e.y, e.width, e.height);
        }
        Events_RemoveEvent(0, record);
    }
    Display* display = XtDisplay(self);
    GC gc = BackgroundGC(display);
    XSetForeground(display, gc, w->core.background_pixel);
    XSetRegion(display, gc, region);
    XFillRectangle(display, XtWindow(self), gc, 0, 0, XSize(w->core.width), XSize(w->core.height));
    XSetClipMask(display, gc, None);
    CallRepair(self, region, mode);
}

bool Armed(DiagramWidget w)
{
    return w->diagram.autoScrollArmed && w->diagram.allowScroll && w->diagram.buttonHeld;
}

void DiagramExpose(Widget widget, XEvent* event, Region region)
{
    DiagramWidget w = AsDiagram(widget);
    Region merged = XCreateRegion();
    if (region != nullptr) {
        XUnionRegion(region, merged, merged);
    } else if (event != nullptr && event->type == Expose) {
        AddRectangle(merged, event->xexpose.x, event->xexpose.y, event->xexpose.width, event->xexpose.height);
    }
    int type = event != nullptr ? event->type : Expose;
    RepairExposed(w, merged, type, (!Armed(w) || type == GraphicsExpose) ? 1 : 0);
    XDestroyRegion(merged);
}

// ---- auto-scroll ----

bool ReleaseOrForeignEnterQueued(DiagramWidget w)
{
    XEvent* queued = nullptr;
    if (MemHandle record = Events_FindEvent(&queued, ButtonRelease)) {
        Events_UnlockRecord(record);
        return true;
    }
    for (MemHandle record = Events_FindEvent(&queued, EnterNotify); record != 0;
         record = Events_FindNextEvent(record, &queued, EnterNotify)) {
        bool foreign = queued->xcrossing.window != w->core.window;
        Events_UnlockRecord(record);
        if (foreign) {
            return true;
        }
    }
    return false;
}

void AutoScrollStep(DiagramWidget w, XCrossingEvent* event, bool fromAction)
{
    if (event->mode != NotifyNormal || !w->diagram.allowScroll || !w->diagram.buttonHeld) {
        return;
    }
    if (!event->send_event) {
        state.lastState = event->state;
        w->diagram.autoScrollArmed = True;
    } else if (!w->diagram.autoScrollArmed) {
        return;
    }
    if (ReleaseOrForeignEnterQueued(w)) {
        return;
    }
    if (fromAction) {
        state.lastX = event->x;
        state.lastY = event->y;
    }
    int32_t stepX = state.lastX < 0 ? w->diagram.scrollIncX
                                    : (state.lastX > static_cast<int32_t>(w->core.width) ? -w->diagram.scrollIncX : 0);
    int32_t stepY = state.lastY < 0
                        ? w->diagram.scrollIncY
                        : (state.lastY > static_cast<int32_t>(w->core.height) ? -w->diagram.scrollIncY : 0);
    if (stepX == 0 && stepY == 0) {
        return;
    }
    ScrollWith(w, stepX, stepY);
}

XEvent SyntheticMotion(Widget widget, int32_t x, int32_t y, unsigned int modifiers, Time time)
{
    XEvent motion{};
    motion.xmotion.type = MotionNotify;
    motion.xmotion.send_event = True;
    motion.xmotion.display = XtDisplay(widget);
    motion.xmotion.window = XtWindow(widget);
    motion.xmotion.root = RootWindowOfScreen(XtScreen(widget));
    motion.xmotion.x = x;
    motion.xmotion.y = y;
    motion.xmotion.state = modifiers;
    motion.xmotion.time = time;
    motion.xmotion.same_screen = True;
    return motion;
}

// ---- actions ----

void ActionGraphExpose(Widget widget, XEvent* event, String*, Cardinal*)
{
    DiagramWidget w = AsDiagram(widget);
    if (event == nullptr || event->type != GraphicsExpose) {
        return;
    }
    if (state.exposure == nullptr) {
        state.exposure = XCreateRegion();
    }
    const XGraphicsExposeEvent& g = event->xgraphicsexpose;
    if (g.count == 0 && state.pendingCopies > 0) {
        --state.pendingCopies;
    }
    AddRectangle(state.exposure, g.x, g.y, g.width, g.height);
    RepairExposed(w, state.exposure, GraphicsExpose, 1);
    if (Armed(w)) {
        XEvent motion = SyntheticMotion(widget, state.lastX, state.lastY, state.lastState, state.lastTime);
        CallInput(widget, &motion);
        XEvent leave{};
        leave.xcrossing.type = LeaveNotify;
        leave.xcrossing.send_event = True;
        leave.xcrossing.display = XtDisplay(widget);
        leave.xcrossing.window = XtWindow(widget);
        leave.xcrossing.x = state.lastX;
        leave.xcrossing.y = state.lastY;
        leave.xcrossing.mode = NotifyNormal;
        leave.xcrossing.state = state.lastState;
        AutoScrollStep(w, &leave.xcrossing, false);
    }
    XDestroyRegion(state.exposure);
    state.exposure = XCreateRegion();
    state.jumpReady = true;
    if (state.jumpBar != nullptr && state.jumpWidget != nullptr) {
        PerformJump(state.jumpBar, AsDiagram(state.jumpWidget), state.jumpFraction);
    }
}

bool DialogUp()
{
    return (state.dialogIsOpen != nullptr && state.dialogIsOpen() != 0) ||
           (state.fileSelectorShown != nullptr && state.fileSelectorShown() != 0);
}

void ActionMouseDown(Widget widget, XEvent* event, String*, Cardinal*)
{
    if (event == nullptr || DialogUp()) {
        return;
    }
    const XButtonEvent& b = event->xbutton;
    if (state.clickCount == 1 || state.clickCount == 2) {
        if (!Near(b.x, b.y) || TimeDistance(static_cast<uint32_t>(b.time), state.lastTime) >= kMultiClickTime) {
            state.clickCount = 0;
        }
    }
    state.lastTime = static_cast<uint32_t>(b.time);
    state.lastX = b.x;
    state.lastY = b.y;
    AsDiagram(widget)->diagram.buttonHeld = True;
    state.buttonWidget = widget;
    CallInput(widget, event);
}

void Grab(Widget widget, Time time)
{
    Display* display = XtDisplay(widget);
    if (state.grabDisplay != nullptr || DebugOn(display)) {
        return;
    }
    XGrabPointer(display, XtWindow(widget), False, static_cast<unsigned int>(kGrabMask), GrabModeAsync, GrabModeAsync,
                 None, None, time);
    state.grabDisplay = display;
}

void ActionMouseMotion(Widget widget, XEvent* event, String*, Cardinal*)
{
    if (event == nullptr) {
        return;
    }
    DiagramWidget w = AsDiagram(widget);
    XMotionEvent& m = event->xmotion;
    Grab(widget, m.time);
    if (!state.motionSincePress) {
        state.motionSincePress = true;
        state.dragStarted = false;
        if (m.send_event) {
            CallInput(widget, event);
        }
    } else if (state.dragStarted) {
        state.lastX = m.x;
        state.lastY = m.y;
        CallInput(widget, event);
    } else if (!Near(m.x, m.y) || TimeDistance(static_cast<uint32_t>(m.time), state.lastTime) >= kClickTime) {
        XEvent atPress = *event;
        atPress.xmotion.x = state.lastX;
        atPress.xmotion.y = state.lastY;
        CallInput(widget, &atPress);
        CallInput(widget, event);
        state.dragStarted = true;
        state.lastX = m.x;
        state.lastY = m.y;
    }
    if (Armed(w) && state.pendingCopies == 0) {
        XEvent leave{};
        leave.xcrossing.type = LeaveNotify;
        leave.xcrossing.send_event = True;
        leave.xcrossing.display = XtDisplay(widget);
        leave.xcrossing.window = XtWindow(widget);
        leave.xcrossing.root = m.root;
        leave.xcrossing.x = m.x;
        leave.xcrossing.y = m.y;
        leave.xcrossing.x_root = m.x_root;
        leave.xcrossing.y_root = m.y_root;
        leave.xcrossing.time = m.time;
        leave.xcrossing.mode = NotifyNormal;
        leave.xcrossing.detail = NotifyAncestor;
        leave.xcrossing.same_screen = True;
        leave.xcrossing.state = m.state;
        XSendEvent(XtDisplay(widget), XtWindow(widget), False, LeaveWindowMask, &leave);
    }
}

void ActionMotion(Widget widget, XEvent* event, String*, Cardinal*)
{
    if (event == nullptr) {
        return;
    }
    Diagram_Ungrab(static_cast<uint32_t>(event->xmotion.time));
    CallInput(widget, event);
}

void ActionMouseUp(Widget widget, XEvent* event, String*, Cardinal*)
{
    if (event == nullptr) {
        return;
    }
    DiagramWidget w = AsDiagram(widget);
    const XButtonEvent& b = event->xbutton;
    state.motionSincePress = false;
    bool samePlace = b.x == state.lastX && b.y == state.lastY;
    if (Near(b.x, b.y) && (samePlace || TimeDistance(static_cast<uint32_t>(b.time), state.lastTime) <= kClickTime)) {
        state.clickCount = state.clickCount != 0 ? 2 : 1;
    } else {
        state.clickCount = 0;
    }
    state.lastTime = static_cast<uint32_t>(b.time);
    state.lastX = b.x;
    state.lastY = b.y;
    state.buttonWidget = nullptr;
    Diagram_Ungrab(static_cast<uint32_t>(b.time));
    if (Armed(w)) {
        w->diagram.buttonHeld = False;
        XEvent motion = SyntheticMotion(widget, b.x, b.y, b.state, b.time);
        CallInput(widget, &motion);
    } else {
        w->diagram.buttonHeld = False;
    }
    CallInput(widget, event);
}

void ActionEnterWindow(Widget widget, XEvent*, String*, Cardinal*)
{
    AsDiagram(widget)->diagram.autoScrollArmed = False;
}

void ActionLeaveWindow(Widget widget, XEvent* event, String*, Cardinal*)
{
    if (event != nullptr && event->type == LeaveNotify) {
        AutoScrollStep(AsDiagram(widget), &event->xcrossing, true);
    }
}

void ActionKeyPress(Widget widget, XEvent* event, String*, Cardinal*)
{
    if (event != nullptr) {
        CallInput(widget, event);
    }
}

void ActionMessage(Widget widget, XEvent* event, String*, Cardinal*)
{
    DiagramWidget w = AsDiagram(widget);
    if (event == nullptr || event->type != ClientMessage ||
        event->xclient.message_type != IndicateAtom(XtDisplay(widget))) {
        return;
    }
    if (IsShowing(w)) {
        if (auto proc = CallbackAt<DiagramIndicateProc>(kDiagramIndicate)) {
            proc(widget);
        }
    } else if (w->diagram.pendingIndications < UINT8_MAX) {
        ++w->diagram.pendingIndications;
    }
}

// ---- class methods ----

void DiagramResize(Widget widget);

void ShellStructure(Widget, XtPointer client, XEvent* event, Boolean*)
{
    auto* w = static_cast<DiagramWidget>(client);
    Widget self = reinterpret_cast<Widget>(w);
    if (event->type == MapNotify) {
        bool mappedBefore = w->diagram.mappedOnce;
        w->core.visible = True;
        w->diagram.mappedOnce = True;
        CallRepair(self, nullptr, kDiagramRepairMapped);
        while (w->diagram.pendingIndications > 0) {
            --w->diagram.pendingIndications;
            Diagram_PostIndicate(self);
        }
        if (!mappedBefore) {
            DiagramResize(self);
        }
    } else if (event->type == UnmapNotify) {
        w->core.visible = False;
    }
}

void DiagramInitialize(Widget, Widget created, ArgList, Cardinal*)
{
    DiagramWidget w = AsDiagram(created);
    DiagramPart& d = w->diagram;
    d.buttonHeld = False;
    d.autoScrollArmed = False;
    d.titleString = XtNewString("unnamed:  Page 1");
    d.title = nullptr;
    d.verticalBar = nullptr;
    d.horizontalBar = nullptr;
    d.frame = 0;
    d.mappedOnce = False;
    d.pendingIndications = 0;
    if (XtParent(created) != nullptr) {
        XtAddEventHandler(XtParent(created), StructureNotifyMask, False, ShellStructure, w);
    }
}

void DiagramRealize(Widget widget, XtValueMask* mask, XSetWindowAttributes* attributes)
{
    DiagramWidget w = AsDiagram(widget);
    Display* display = XtDisplay(widget);
    attributes->bit_gravity = NorthWestGravity;
    attributes->win_gravity = NorthWestGravity;
    attributes->event_mask |= VisibilityChangeMask;
    *mask |= CWBitGravity | CWWinGravity | CWEventMask;
    Window parent = XtWindow(XtParent(widget));
    w->diagram.frame = XCreateWindow(display, parent, XPos(w->core.x), XPos(w->core.y), XSize(ParentWidth(w)),
                                     XSize(ParentHeight(w)), 0, w->core.depth, InputOutput, CopyFromParent, *mask,
                                     attributes);
    int y = 0;
    if (w->diagram.titleBar) {
        CreateTitle(w);
        y = Diagram_TitleHeight(widget);
    }
    if (w->diagram.scrollBar) {
        CreateBars(w);
    }
    w->core.window = XCreateWindow(display, w->diagram.frame, 1, XPos(y + 1), XSize(w->core.width),
                                   XSize(w->core.height), 0, w->core.depth, InputOutput, CopyFromParent, *mask,
                                   attributes);
    XMapWindow(display, w->core.window);
    XMapWindow(display, w->diagram.frame);
}

void DiagramResize(Widget widget)
{
    DiagramWidget w = AsDiagram(widget);
    if (!w->diagram.mappedOnce || !XtIsRealized(widget)) {
        return;
    }
    int32_t width = ParentWidth(w);
    int32_t height = ParentHeight(w);
    int32_t titleHeight = Diagram_TitleHeight(widget);
    int32_t y = 1;
    if (w->diagram.title != nullptr) {
        XtConfigureWidget(w->diagram.title, -1, -1, ToDimension(std::max<int32_t>(1, width)),
                          ToDimension(std::max<int32_t>(1, titleHeight - 1)), 1);
        CenterTitle(w);
        y = titleHeight + 1;
        height -= titleHeight;
    }
    if (w->diagram.verticalBar != nullptr) {
        PlaceBars(w);
        width -= BarsWidth(w) + 2;
        height -= BarsHeight(w) + 2;
    } else {
        width -= 2;
        height -= 2;
    }
    XResizeWindow(XtDisplay(widget), w->diagram.frame, XSize(ParentWidth(w)), XSize(ParentHeight(w)));
    MoveDrawingWindow(w, y, width, height);

    Position vx = w->diagram.virtualX;
    Position vy = w->diagram.virtualY;
    Dimension vw = w->diagram.virtualWidth;
    Dimension vh = w->diagram.virtualHeight;
    if (auto proc = CallbackAt<DiagramVirtualBoxProc>(kDiagramVirtualBox)) {
        proc(widget, &vx, &vy, &vw, &vh);
    }
    vw = std::max(vw, w->core.width);
    vh = std::max(vh, w->core.height);
    bool moved = false;
    int32_t minX = static_cast<int32_t>(w->core.width) - vw;
    int32_t minY = static_cast<int32_t>(w->core.height) - vh;
    if (vx < minX) {
        vx = ToPosition(minX);
        moved = true;
    }
    if (vy < minY) {
        vy = ToPosition(minY);
        moved = true;
    }
    w->diagram.virtualWidth = vw;
    w->diagram.virtualHeight = vh;
    if (moved) {
        Diagram_SetVirtualArea(widget, static_cast<uint16_t>(vx), static_cast<uint16_t>(vy), vw, vh);
    } else {
        w->diagram.virtualX = vx;
        w->diagram.virtualY = vy;
        Diagram_UpdateScrollbars(widget);
    }
}

void DiagramDestroy(Widget widget)
{
    DiagramWidget w = AsDiagram(widget);
    XtFree(w->diagram.titleString);
    w->diagram.titleString = nullptr;
    if (XtParent(widget) != nullptr) {
        XtRemoveEventHandler(XtParent(widget), StructureNotifyMask, False, ShellStructure, w);
    }
    if (state.buttonWidget == widget) {
        state.buttonWidget = nullptr;
    }
    if (state.jumpWidget == widget) {
        state.jumpWidget = nullptr;
        state.jumpBar = nullptr;
    }
    // The drawing window lies inside the frame: let the toolkit destroy the frame.
    if (w->diagram.frame != 0 && w->core.window != 0) {
        XtUnregisterDrawable(XtDisplay(widget), w->core.window);
        w->core.window = w->diagram.frame;
        w->diagram.frame = 0;
    }
}

XtGeometryResult DiagramGeometryManager(Widget child, XtWidgetGeometry* request, XtWidgetGeometry*)
{
    if (request->request_mode & CWX) {
        child->core.x = request->x;
    }
    if (request->request_mode & CWY) {
        child->core.y = request->y;
    }
    if (request->request_mode & CWWidth) {
        child->core.width = request->width;
    }
    if (request->request_mode & CWHeight) {
        child->core.height = request->height;
    }
    if (request->request_mode & CWBorderWidth) {
        child->core.border_width = request->border_width;
    }
    return XtGeometryYes;
}

void DiagramChangeManaged(Widget) {}

#define DIAGRAM_OFFSET(field) static_cast<Cardinal>(offsetof(DiagramRec, diagram.field))
#define RES(name, cls, type, field) \
    const_cast<String>(name), const_cast<String>(cls), const_cast<String>(type), sizeof(DiagramPart::field), \
        DIAGRAM_OFFSET(field), const_cast<String>(XtRImmediate)

XtResource resources[] = {
    {RES("scrollIncX", "ScrollIncX", XtRDimension, scrollIncX), reinterpret_cast<XtPointer>(10)},
    {RES("scrollIncY", "ScrollIncY", XtRDimension, scrollIncY), reinterpret_cast<XtPointer>(10)},
    {RES("titleString", "TitleString", XtRString, titleString), const_cast<char*>("unnamed:  Page 1")},
    {RES("virtualX", "VirtualX", XtRPosition, virtualX), reinterpret_cast<XtPointer>(0)},
    {RES("virtualY", "VirtualY", XtRPosition, virtualY), reinterpret_cast<XtPointer>(0)},
    {RES("virtualWidth", "VirtualWidth", XtRDimension, virtualWidth), reinterpret_cast<XtPointer>(10)},
    {RES("virtualHeight", "VirtualHeight", XtRDimension, virtualHeight), reinterpret_cast<XtPointer>(10)},
    {RES("titleBar", "TitleBar", XtRBoolean, titleBar), reinterpret_cast<XtPointer>(True)},
    {RES("scrollBar", "ScrollBar", XtRBoolean, scrollBar), reinterpret_cast<XtPointer>(True)},
    {RES("allowScroll", "AllowScroll", XtRBoolean, allowScroll), reinterpret_cast<XtPointer>(True)},
    {RES("titleInverse", "TitleInverse", XtRBoolean, titleInverse), reinterpret_cast<XtPointer>(True)},
    {RES("pageId", "PageId", XtRPointer, pageId), nullptr},
};

XtActionsRec actions[] = {
    {const_cast<String>("mousedown"), ActionMouseDown},     {const_cast<String>("mouseup"), ActionMouseUp},
    {const_cast<String>("mousemotion"), ActionMouseMotion}, {const_cast<String>("motion"), ActionMotion},
    {const_cast<String>("enterwindow"), ActionEnterWindow}, {const_cast<String>("leavewindow"), ActionLeaveWindow},
    {const_cast<String>("graphexpose"), ActionGraphExpose}, {const_cast<String>("message"), ActionMessage},
    {const_cast<String>("keypress"), ActionKeyPress},
};

char translations[] = "<Btn1Down>:\tmousedown()\n"
                      "<Btn1Up>:\tmouseup()\n"
                      "<Btn1Motion>:\tmousemotion()\n"
                      "<Motion>:\tmotion()\n"
                      "<EnterWindow>:\tenterwindow()\n"
                      "<LeaveWindow>:\tleavewindow()\n"
                      "<GraphicsExpose>:\tgraphexpose()\n"
                      "<ClientMessage>:\tmessage()\n"
                      "<Key>:\tkeypress()";

} // namespace

DiagramClassRec diagramClassRec = {
    {
        /* superclass            */ reinterpret_cast<WidgetClass>(&compositeClassRec),
        /* class_name            */ const_cast<String>("Diagram"),
        /* widget_size           */ sizeof(DiagramRec),
        /* class_initialize      */ nullptr,
        /* class_part_initialize */ nullptr,
        /* class_inited          */ False,
        /* initialize            */ DiagramInitialize,
        /* initialize_hook       */ nullptr,
        /* realize               */ DiagramRealize,
        /* actions               */ actions,
        /* num_actions           */ XtNumber(actions),
        /* resources             */ resources,
        /* num_resources         */ XtNumber(resources),
        /* xrm_class             */ NULLQUARK,
        /* compress_motion       */ False,
        /* compress_exposure     */ XtExposeCompressSeries,
        /* compress_enterleave   */ False,
        /* visible_interest      */ False,
        /* destroy               */ DiagramDestroy,
        /* resize                */ DiagramResize,
        /* expose                */ DiagramExpose,
        /* set_values            */ nullptr,
        /* set_values_hook       */ nullptr,
        /* set_values_almost     */ XtInheritSetValuesAlmost,
        /* get_values_hook       */ nullptr,
        /* accept_focus          */ nullptr,
        /* version               */ XtVersion,
        /* callback_private      */ nullptr,
        /* tm_table              */ translations,
        /* query_geometry        */ XtInheritQueryGeometry,
        /* display_accelerator   */ XtInheritDisplayAccelerator,
        /* extension             */ nullptr,
    },
    {
        /* geometry_manager      */ DiagramGeometryManager,
        /* change_managed        */ DiagramChangeManaged,
        /* insert_child          */ XtInheritInsertChild,
        /* delete_child          */ XtInheritDeleteChild,
        /* extension             */ nullptr,
    },
    {0},
};

WidgetClass diagramWidgetClass = reinterpret_cast<WidgetClass>(&diagramClassRec);

DiagramWidget Diagram_Cast(Widget widget)
{
    if (widget == nullptr || !XtIsSubclass(widget, diagramWidgetClass)) {
        return nullptr;
    }
    return AsDiagram(widget);
}

int32_t Diagram_ScrollAxis(int32_t wanted, int32_t size, int32_t extent, int32_t* offset)
{
    if (wanted == 0 || size >= extent) {
        return 0;
    }
    int32_t minimum = size - extent;
    int32_t moved = *offset + wanted;
    if (moved > 0) {
        *offset = 0;
        return wanted - moved;
    }
    if (moved < minimum) {
        *offset = minimum;
        return wanted + minimum - moved;
    }
    *offset = moved;
    return wanted;
}

void Diagram_Set(Widget widget, uint32_t index, uintptr_t value)
{
    DiagramWidget w = Diagram_Cast(widget);
    if (w == nullptr) {
        return;
    }
    DiagramPart& d = w->diagram;
    Boolean on = value != 0 ? True : False;
    switch (index) {
    case kDiagramAllowScroll:
        d.allowScroll = on;
        break;
    case kDiagramButtonHeld:
        d.buttonHeld = on;
        break;
    case kDiagramScrollIncX:
        d.scrollIncX = ToDimension(static_cast<int32_t>(std::min<uintptr_t>(value, USHRT_MAX)));
        break;
    case kDiagramScrollIncY:
        d.scrollIncY = ToDimension(static_cast<int32_t>(std::min<uintptr_t>(value, USHRT_MAX)));
        break;
    case kDiagramTitleBar:
        if (on == d.titleBar) {
            break;
        }
        d.titleBar = on;
        if (!XtIsRealized(widget)) {
            break;
        }
        if (on) {
            CreateTitle(w);
            if (d.verticalBar != nullptr) {
                XtResizeWidget(d.verticalBar, d.verticalBar->core.width,
                               ToDimension(std::max<int32_t>(1, d.verticalBar->core.height -
                                                                    (Diagram_TitleHeight(widget) + 1))),
                               d.verticalBar->core.border_width);
            }
        } else if (d.title != nullptr) {
            int32_t grow = Diagram_TitleHeight(widget) + 1;
            if (d.verticalBar != nullptr) {
                XtResizeWidget(d.verticalBar, d.verticalBar->core.width,
                               ToDimension(d.verticalBar->core.height + grow), d.verticalBar->core.border_width);
            }
            XtDestroyWidget(d.title);
            d.title = nullptr;
        }
        break;
    case kDiagramTitleString: {
        const char* text = reinterpret_cast<const char*>(value);
        if (text == nullptr || *text == '\0') {
            XtFree(d.titleString);
            d.titleString = nullptr;
        } else if (d.titleString != nullptr && strlen(d.titleString) == strlen(text)) {
            memcpy(d.titleString, text, strlen(text));
        } else {
            XtFree(d.titleString);
            d.titleString = XtNewString(text);
        }
        CenterTitle(w);
        break;
    }
    case kDiagramTitleInverse:
        if (on != d.titleInverse) {
            d.titleInverse = on;
            if (d.title != nullptr) {
                Status_SetInverse(d.title, on);
            }
        }
        break;
    case kDiagramScrollBar:
        if (on == d.scrollBar) {
            break;
        }
        d.scrollBar = on;
        if (!XtIsRealized(widget)) {
            break;
        }
        if (on) {
            CreateBars(w);
            MoveDrawingWindow(w, Diagram_TitleHeight(widget) + 1, w->core.width - BarsWidth(w),
                              w->core.height - BarsHeight(w));
            Diagram_UpdateScrollbars(widget);
        } else {
            MoveDrawingWindow(w, Diagram_TitleHeight(widget) + 1, w->core.width + BarsWidth(w),
                              w->core.height + BarsHeight(w));
            XtDestroyWidget(d.verticalBar);
            XtDestroyWidget(d.horizontalBar);
            d.verticalBar = nullptr;
            d.horizontalBar = nullptr;
        }
        break;
    case kDiagramPageId:
        d.pageId = reinterpret_cast<XtPointer>(value);
        break;
    case kDiagramVirtualX:
        d.virtualX = static_cast<Position>(static_cast<uint16_t>(value));
        break;
    case kDiagramVirtualY:
        d.virtualY = static_cast<Position>(static_cast<uint16_t>(value));
        break;
    case kDiagramVirtualWidth:
        d.virtualWidth = static_cast<Dimension>(value);
        break;
    case kDiagramVirtualHeight:
        d.virtualHeight = static_cast<Dimension>(value);
        break;
    default:
        break;
    }
}

intptr_t Diagram_Get(Widget widget, int32_t index)
{
    DiagramWidget w = Diagram_Cast(widget);
    if (w == nullptr) {
        return 0;
    }
    const DiagramPart& d = w->diagram;
    switch (index) {
    case kDiagramAllowScroll:
        return d.allowScroll;
    case kDiagramButtonHeld:
        return d.buttonHeld;
    case kDiagramScrollIncX:
        return d.scrollIncX;
    case kDiagramScrollIncY:
        return d.scrollIncY;
    case kDiagramTitleBar:
        return d.titleBar;
    case kDiagramTitleString:
        return reinterpret_cast<intptr_t>(d.titleString);
    case kDiagramTitleInverse:
        return d.titleInverse;
    case kDiagramScrollBar:
        return d.scrollBar;
    case kDiagramPageId:
        return reinterpret_cast<intptr_t>(d.pageId);
    case kDiagramWidth:
        return w->core.width;
    case kDiagramHeight:
        return w->core.height;
    case kDiagramVirtualX:
        return d.virtualX;
    case kDiagramVirtualY:
        return d.virtualY;
    case kDiagramVirtualWidth:
        return d.virtualWidth;
    case kDiagramVirtualHeight:
        return d.virtualHeight;
    default:
        return 0;
    }
}

void Diagram_SetCallback(int32_t index, DiagramAnyProc proc)
{
    if (index >= 0 && index < static_cast<int32_t>(state.callbacks.size())) {
        state.callbacks[static_cast<size_t>(index)] = proc;
    }
}

void Diagram_SetDialogQueries(int (*dialogIsOpen)(), int (*fileSelectorShown)())
{
    state.dialogIsOpen = dialogIsOpen;
    state.fileSelectorShown = fileSelectorShown;
}

void Diagram_Position(Widget widget, int* x, int* y)
{
    int px = 0;
    int py = 0;
    if (widget != nullptr && Diagram_Cast(widget) == nullptr) {
        px = widget->core.x;
        py = widget->core.y;
    }
    if (x != nullptr) {
        *x = px;
    }
    if (y != nullptr) {
        *y = py;
    }
}

void Diagram_DrawingSize(Widget widget, int* width, int* height)
{
    DiagramWidget w = Diagram_Cast(widget);
    int32_t dw = 0;
    int32_t dh = 0;
    if (w != nullptr && !w->diagram.mappedOnce) {
        dw = ParentWidth(w);
        dh = ParentHeight(w) - Diagram_TitleHeight(widget);
        if (w->diagram.scrollBar && w->diagram.verticalBar != nullptr) {
            dw -= 3 + w->diagram.verticalBar->core.width;
            dh -= 3 + w->diagram.horizontalBar->core.height;
        } else {
            dw -= 2;
            dh -= 2;
        }
        w->core.width = ToDimension(std::max<int32_t>(1, dw));
        w->core.height = ToDimension(std::max<int32_t>(1, dh));
    }
    if (widget != nullptr) {
        dw = widget->core.width;
        dh = widget->core.height;
    }
    if (width != nullptr) {
        *width = dw;
    }
    if (height != nullptr) {
        *height = dh;
    }
}

void Diagram_SetVirtualArea(Widget widget, uint16_t x, uint16_t y, uint16_t width, uint16_t height)
{
    DiagramWidget w = Diagram_Cast(widget);
    if (w == nullptr) {
        return;
    }
    w->diagram.virtualX = static_cast<Position>(x);
    w->diagram.virtualY = static_cast<Position>(y);
    w->diagram.virtualWidth = width;
    w->diagram.virtualHeight = height;
    if (w->core.visible && XtIsRealized(widget)) {
        XClearWindow(XtDisplay(widget), XtWindow(widget));
        Diagram_UpdateScrollbars(widget);
        RepairAll(w);
    }
}

void Diagram_ScrollBy(Widget widget, int32_t dx, int32_t dy)
{
    if (DiagramWidget w = Diagram_Cast(widget)) {
        ScrollWith(w, dx, dy);
    }
}

int Diagram_IsArmed(Widget widget)
{
    DiagramWidget w = Diagram_Cast(widget);
    return w != nullptr && Armed(w) ? 1 : 0;
}

void Diagram_LastPosition(int* x, int* y)
{
    if (x != nullptr) {
        *x = state.lastX;
    }
    if (y != nullptr) {
        *y = state.lastY;
    }
}

int Diagram_IsButtonWidget(Widget widget)
{
    return widget != nullptr && widget == state.buttonWidget ? 1 : 0;
}

int Diagram_IsShowing(Widget widget)
{
    DiagramWidget w = Diagram_Cast(widget);
    return w != nullptr && IsShowing(w) ? 1 : 0;
}

void Diagram_PostIndicate(Widget widget)
{
    DiagramWidget w = Diagram_Cast(widget);
    if (w == nullptr) {
        return;
    }
    if (!IsShowing(w) || !XtIsRealized(widget)) {
        if (w->diagram.pendingIndications < UINT8_MAX) {
            ++w->diagram.pendingIndications;
        }
        return;
    }
    Display* display = XtDisplay(widget);
    XSync(display, False);
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.send_event = True;
    message.xclient.display = display;
    message.xclient.window = XtWindow(widget);
    message.xclient.message_type = IndicateAtom(display);
    message.xclient.format = 8;
    XSendEvent(display, XtWindow(widget), False, 0, &message);
}

void Diagram_Ungrab(uint32_t time)
{
    if (state.grabDisplay != nullptr) {
        XUngrabPointer(state.grabDisplay, time);
        state.grabDisplay = nullptr;
    }
}

int Diagram_ClickCount()
{
    return state.clickCount;
}
