// Page windows: the table of 15 window records and the page structure
// record, opening and closing shells with their Diagram widget, the current
// window, titles, stacking, scroll-bar switches and the suspension of drawing
// while a window is being activated.
#include <X11/Intrinsic.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "xkv/cache/Cache.h"
#include "xkv/colour/Colour.h"
#include "xkv/comm/Comm.h"
#include "xkv/cursor/Cursor.h"
#include "xkv/default/Default.h"
#include "xkv/kv/Hook.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/types/Fixed.h"
#include "xkv/pending/Pending.h"
#include "xkv/print/Print.h"
#include "xkv/platform/xwindows/Diagram.h"
#include "xkv/platform/xwindows/Events.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/WindowInternal.h"

namespace {

constexpr uint32_t kFlagSpecialPage = 0x10000000;
constexpr uint32_t kFlagNoScroll = 256;
constexpr uint32_t kFlagNoScrollBars = 1024;
constexpr uint32_t kFlagCountedApart = 512;
constexpr HookId kHookWindowTitle = 62;
constexpr HookId kHookWindowPick = 57;
constexpr int32_t kDefaultWidth = 579;
constexpr int32_t kDefaultHeight = 774;
constexpr long kShellEventMask = KeyPressMask | VisibilityChangeMask | StructureNotifyMask | FocusChangeMask;
constexpr uint32_t kScrollModeNoWindow = 72;
constexpr uint32_t kScrollModeOn = 69;
constexpr uint32_t kScrollModeOff = 68;
constexpr int kCursorPlain = 1;
constexpr int kCursorReady = 4;

Widget ShellOf(Widget widget)
{
    return widget != nullptr ? XtParent(widget) : nullptr;
}

PageWindow* FirstFreeRecord()
{
    for (PageWindow& record : Window_Module().table) {
        if (record.inUse == 0) {
            return &record;
        }
    }
    return nullptr;
}

// The shell's geometry arguments by placement mode.
struct ShellGeometry {
    char geometry[64] = {};
    bool hasGeometry = false;
    int32_t width = 0;
    int32_t height = 0;
    bool hasSize = false;
};

void FormatGeometry(ShellGeometry* g, int32_t width, int32_t height, int32_t x, int32_t y)
{
    std::snprintf(g->geometry, sizeof g->geometry, "%dx%d+%d+%d", width, height, x, y);
    g->hasGeometry = true;
}

uint32_t PageOrientation()
{
    struct {
        uint8_t changed[24];
        uint32_t words[6];
    } setup{};
    if (Default_Get(0, 3, 14, &setup) != kStatusOk) {
        return 0;
    }
    return setup.words[2];  // byte offset 32
}

ShellGeometry DefaultGeometry()
{
    ShellGeometry g;
    int32_t width = kDefaultWidth, height = kDefaultHeight;
    const char* geometry = Velkor_Settings().pageGeometry;
    if (geometry[0] != '\0') {
        int x = 0, y = 0;
        unsigned int w = 0, h = 0;
        int mask = XParseGeometry(geometry, &x, &y, &w, &h);
        if ((mask & WidthValue) != 0) {
            width = Window_ZoomPixels(static_cast<int32_t>(w), 0) + 2;
        }
        if ((mask & HeightValue) != 0) {
            height = Window_ZoomPixels(static_cast<int32_t>(h), 1) + 2;
        }
        if ((mask & XValue) != 0 && (mask & YValue) != 0) {
            FormatGeometry(&g, width, height, x - 1, y - 1);
            return g;
        }
    }
    if (PageOrientation() == 1) {
        std::swap(width, height);
        width -= 15;
        height += 15;
    }
    g.width = width;
    g.height = height;
    g.hasSize = true;
    return g;
}

ShellGeometry PlacementGeometry(ObjectHandle page, uint32_t placement, const WindowPlacement* rect)
{
    ShellGeometry g;
    if (placement == 1 && page != 0) {
        int32_t saved[4] = {};
        FixPoint origin;
        if (Window_CheckSavedGeometry(page, saved, &origin) == kStatusOk) {
            FormatGeometry(&g, saved[2] + 2, saved[3] + 2, saved[0] - 1, saved[1] - 1);
            return g;
        }
        return DefaultGeometry();
    }
    if (placement == 2 && rect != nullptr) {
        FormatGeometry(&g, rect->width + 2, rect->height + 2, rect->x - 1, rect->y - 1);
        return g;
    }
    if (placement == 3 && rect != nullptr) {
        g.width = rect->width + 2;
        g.height = rect->height + 2;
        g.hasSize = true;
        return g;
    }
    return DefaultGeometry();
}

struct FetchedColours {
    Pixel foreground;
    Pixel background;
    Boolean reverseVideo;
};

void FetchColours(Widget shell)
{
    static XtResource resources[] = {
        {const_cast<String>(XtNforeground), const_cast<String>(XtCForeground), const_cast<String>(XtRPixel),
         sizeof(Pixel), XtOffsetOf(FetchedColours, foreground), const_cast<String>(XtRString),
         const_cast<String>(XtDefaultForeground)},
        {const_cast<String>(XtNbackground), const_cast<String>(XtCBackground), const_cast<String>(XtRPixel),
         sizeof(Pixel), XtOffsetOf(FetchedColours, background), const_cast<String>(XtRString),
         const_cast<String>(XtDefaultBackground)},
        {const_cast<String>(XtNreverseVideo), const_cast<String>(XtCReverseVideo), const_cast<String>(XtRBoolean),
         sizeof(Boolean), XtOffsetOf(FetchedColours, reverseVideo), const_cast<String>(XtRImmediate),
         reinterpret_cast<XtPointer>(False)},
    };
    FetchedColours values{};
    XtGetApplicationResources(shell, &values, resources, XtNumber(resources), nullptr, 0);
    WindowModule& m = Window_Module();
    m.foreground = values.reverseVideo ? values.background : values.foreground;
    m.background = values.reverseVideo ? values.foreground : values.background;
}

// Scroll origin of a page at its first opening: 3 units outside its top-left.
FixPoint InitialScrollOrigin(ObjectHandle page)
{
    FixPoint origin;
    if (Model_GetField(page, 53, &origin) != kStatusOk) {
        return origin;
    }
    if (origin.x == 0 && origin.y == 0) {
        Fixed w = static_cast<Fixed>(Model_GetFieldValue(page, Field::kWidth));
        Fixed h = static_cast<Fixed>(Model_GetFieldValue(page, Field::kHeight));
        origin = {Fix_Sub(-3 * kFixedOne, w / 2), Fix_Sub(-3 * kFixedOne, h / 2)};
        Model_SetField(page, 53, &origin);
    }
    return origin;
}

// Restacks a lowered shell below the window of the page's next sibling that
// has one.
void StackBelowSibling(ObjectHandle page, Widget shell)
{
    for (ObjectHandle next = Model_GetNextSibling(page); next != 0; next = Model_GetNextSibling(next)) {
        Widget other = Window_ShellOfPage(next);
        if (other == nullptr || XtWindow(other) == 0) {
            continue;
        }
        XWindowChanges changes{};
        changes.sibling = XtWindow(other);
        changes.stack_mode = Below;
        XConfigureWindow(XtDisplay(shell), XtWindow(shell), CWSibling | CWStackMode, &changes);
        return;
    }
}

void SelectShellEvents(Widget shell)
{
    XWindowAttributes attributes{};
    long mask = kShellEventMask;
    if (XGetWindowAttributes(XtDisplay(shell), XtWindow(shell), &attributes) != 0) {
        mask |= attributes.your_event_mask;
    }
    XSelectInput(XtDisplay(shell), XtWindow(shell), mask);
}

void SetGroupHints(Widget shell)
{
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    Widget main = Velkor_Settings().toplevel;
    if (main != nullptr && XtWindow(main) != 0) {
        hints.flags |= WindowGroupHint;
        hints.window_group = XtWindow(main);
    }
    XSetWMHints(XtDisplay(shell), XtWindow(shell), &hints);
}

}  // namespace

WindowModule& Window_Module()
{
    static WindowModule module;
    return module;
}

Display* Window_Display()
{
    Display* display = Velkor_Settings().display;
    return display != nullptr ? display : Window_Module().display;
}

PageWindow* Window_RecordOf(Widget widget)
{
    if (widget == nullptr) {
        return nullptr;
    }
    WindowModule& m = Window_Module();
    for (PageWindow& record : m.table) {
        if (record.inUse != 0 && record.widget == widget) {
            return &record;
        }
    }
    if (m.structure.inUse != 0 && m.structure.widget == widget) {
        return &m.structure;
    }
    return nullptr;
}

KernelStatus Window_CreateShell(Widget* out, ObjectHandle page, uint32_t placement, const WindowPlacement* rect,
                                int32_t raise)
{
    *out = nullptr;
    // Without a connection to the X server no window can be made.
    if (Window_Display() == nullptr) {
        return kStatusFailed;
    }
    const VelkorSettings& settings = Velkor_Settings();
    Fixed extentWidth = 0, extentHeight = 0;
    Window_PageExtent(&extentWidth, &extentHeight);

    Arg args[8];
    Cardinal n = 0;
    XtSetArg(args[n], XtNallowShellResize, True);
    ++n;
    int32_t paper[2] = {0, 0};
    if (settings.limitWorkspace && page != 0 && Print_GetPaperSize(paper) == kStatusOk) {
        XtSetArg(args[n], XtNmaxWidth, paper[0]);
        ++n;
        XtSetArg(args[n], XtNmaxHeight, paper[1]);
        ++n;
    }
    ShellGeometry g = PlacementGeometry(page, placement, rect);
    if (g.hasGeometry) {
        XtSetArg(args[n], XtNgeometry, g.geometry);
        ++n;
    } else if (g.hasSize) {
        XtSetArg(args[n], XtNwidth, g.width);
        ++n;
        XtSetArg(args[n], XtNheight, g.height);
        ++n;
    }
    if (settings.title[0] != '\0') {
        XtSetArg(args[n], XtNtitle, settings.title);
        ++n;
    }
    const char* name = settings.programName[0] != '\0' ? settings.programName : "tolq";
    Widget shell =
        XtAppCreateShell(name, kVelkorApplicationClass, applicationShellWidgetClass, Window_Display(), args, n);
    if (shell == nullptr) {
        return kStatusOutOfMemory;
    }
    WindowModule& m = Window_Module();
    // Colours and graphics contexts belong to one display.
    if (!m.resourcesFetched || m.display != XtDisplay(shell)) {
        FetchColours(shell);
        Window_MakeGCs();
        m.resourcesFetched = true;
        Color_Initialize();
    }

    Arg diagramArgs[10];
    n = 0;
    XtSetArg(diagramArgs[n], XtNborderWidth, 0);
    ++n;
    XtSetArg(diagramArgs[n], XtNbackground, m.background);
    ++n;
    XtSetArg(diagramArgs[n], const_cast<String>("pageId"), static_cast<XtArgVal>(page));
    ++n;
    if (page != 0) {
        if (Model_HasFlags(page, kFlagNoScroll)) {
            XtSetArg(diagramArgs[n], const_cast<String>("allowScroll"), False);
            ++n;
        }
        if (Model_HasFlags(page, kFlagNoScrollBars)) {
            XtSetArg(diagramArgs[n], const_cast<String>("scrollBar"), False);
            ++n;
        }
        FixPoint origin = InitialScrollOrigin(page);
        int32_t vx = Window_PageToPixels(page, Fix_Sub(-origin.x, extentWidth / 2), 0);
        int32_t vy = Window_PageToPixels(page, Fix_Sub(-origin.y, extentHeight / 2), 1);
        int32_t vw = Window_PageToPixels(page, extentWidth, 0);
        int32_t vh = Window_PageToPixels(page, extentHeight, 1);
        XtSetArg(diagramArgs[n], const_cast<String>("virtualX"), Map_ClampCoord(vx));
        ++n;
        XtSetArg(diagramArgs[n], const_cast<String>("virtualY"), Map_ClampCoord(vy));
        ++n;
        XtSetArg(diagramArgs[n], const_cast<String>("virtualWidth"), Map_ClampLength(vw));
        ++n;
        XtSetArg(diagramArgs[n], const_cast<String>("virtualHeight"), Map_ClampLength(vh));
        ++n;
    }
    Widget widget = XtCreateManagedWidget("page", diagramWidgetClass, shell, diagramArgs, n);
    if (widget == nullptr) {
        XtDestroyWidget(shell);
        return kStatusOutOfMemory;
    }
    XtRealizeWidget(shell);
    Velkor_WatchWindowClose(shell);
    if (raise == 1) {
        XtMapWidget(shell);
        XRaiseWindow(XtDisplay(shell), XtWindow(shell));
    } else {
        XLowerWindow(XtDisplay(shell), XtWindow(shell));
        if (page != 0) {
            StackBelowSibling(page, shell);
        }
        XtMapWidget(shell);
    }
    if (XtWindow(widget) != 0) {
        XUndefineCursor(XtDisplay(widget), XtWindow(widget));
    }
    SetGroupHints(shell);
    SelectShellEvents(shell);
    *out = widget;
    return kStatusOk;
}

KernelStatus Window_OpenPage(ObjectHandle page, Widget* out, uint32_t placement, const WindowPlacement* rect,
                             int32_t raise)
{
    Widget ignored = nullptr;
    if (out == nullptr) {
        out = &ignored;
    }
    *out = nullptr;
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    PageWindow* record = FirstFreeRecord();
    if (record == nullptr) {
        return kStatusNoFreeWindow;
    }
    *record = PageWindow{};
    record->inUse = 1;
    Widget widget = nullptr;
    KernelStatus status = Window_CreateShell(&widget, page, placement, rect, raise);
    if (status != kStatusOk) {
        *record = PageWindow{};
        return status;
    }
    record->widget = widget;
    record->kind = Model_HasFlags(page, kFlagSpecialPage) ? kWindowKindSpecialPage : kWindowKindPage;
    Window_SetTitle(page);
    *out = widget;
    return kStatusOk;
}

KernelStatus Window_ClosePage(ObjectHandle page)
{
    Widget widget = Window_OfPage(page);
    if (widget == nullptr) {
        return kStatusOk;
    }
    Window_SaveGeometry(page);
    return Window_Close(widget);
}

KernelStatus Window_Close(Widget widget)
{
    if (widget == nullptr) {
        return kStatusBadArgument;
    }
    Window_ForgetDamage(widget);
    Cache_ClearList(widget, kCacheAllLists, 0);
    Widget shell = ShellOf(widget);
    Display* display = XtDisplay(widget);
    if (XtWindow(shell) != 0) {
        XWithdrawWindow(display, XtWindow(shell), DefaultScreen(display));
    }
    Cache_Discard(widget);
    DrawQueue_Forget(widget);
    PageWindow* record = Window_RecordOf(widget);
    XtDestroyWidget(shell);
    XFlush(display);
    if (record != nullptr) {
        *record = PageWindow{};
    }
    WindowModule& m = Window_Module();
    if (m.current == widget) {
        m.current = nullptr;
    }
    return kStatusOk;
}

Widget Window_OfPage(ObjectHandle page)
{
    if (page == 0) {
        return nullptr;
    }
    for (const PageWindow& record : Window_Module().table) {
        if (record.inUse != 0 && record.widget != nullptr && Window_Page(record.widget) == page) {
            return record.widget;
        }
    }
    return nullptr;
}

ObjectHandle Window_Page(Widget widget)
{
    if (widget == nullptr || !Window_IsDiagram(widget)) {
        return 0;
    }
    return static_cast<ObjectHandle>(Diagram_Get(widget, kDiagramPageId));
}

uint32_t Window_Kind(Widget widget)
{
    const PageWindow* record = Window_RecordOf(widget);
    return record != nullptr ? record->kind : kWindowKindUnknown;
}

Widget Window_Current()
{
    return Window_Module().current;
}

KernelStatus Window_Activate(Widget widget)
{
    int32_t cursor = Cursor_GetCurrent();
    Window_SuspendDrawing(widget);
    WindowModule& m = Window_Module();
    if (m.current != nullptr) {
        Window_SetTitleInverse(m.current, 0);
        Cache_ClearList(m.current, kCacheFeedback, 1);
        Cursor_Set(kCursorPlain);
    }
    Window_Raise(widget);
    Window_SetTitleInverse(widget, 1);
    m.current = widget;
    Cursor_Set(cursor == -1 ? kCursorReady : static_cast<uint32_t>(cursor));
    Menu_SetBarTracking(Window_Kind(widget) == kWindowKindSpecialPage ? 0 : 1);
    Window_PostIndicate(widget);
    return kStatusOk;
}

KernelStatus Window_ActivatePage(ObjectHandle page)
{
    Widget widget = Window_OfPage(page);
    if (widget == nullptr) {
        return kStatusFailed;
    }
    return Window_Activate(widget);
}

Widget Window_ShellOfPage(ObjectHandle page)
{
    return ShellOf(Window_OfPage(page));
}

Widget Window_Shell(Widget widget)
{
    return ShellOf(widget);
}

ObjectHandle Window_FirstPage()
{
    for (const PageWindow& record : Window_Module().table) {
        if (record.inUse != 0 && record.widget != nullptr) {
            return Window_Page(record.widget);
        }
    }
    return 0;
}

namespace {

uint16_t CountWindows(bool flagged)
{
    uint16_t count = 0;
    for (const PageWindow& record : Window_Module().table) {
        if (record.inUse == 0 || record.widget == nullptr) {
            continue;
        }
        bool has512 = Model_HasFlags(Window_Page(record.widget), kFlagCountedApart) != 0;
        if (has512 == flagged) {
            ++count;
        }
    }
    return count;
}

}  // namespace

uint16_t Window_CountPageWindows()
{
    return CountWindows(false);
}

uint16_t Window_CountFlaggedPageWindows()
{
    return CountWindows(true);
}

Widget* Window_ListShells(uint32_t* count)
{
    static std::array<Widget, kPageWindowMax + 1> shells{};
    uint32_t n = 0;
    const WindowModule& m = Window_Module();
    if (m.structure.inUse == 1 && m.structure.widget != nullptr) {
        shells[n++] = ShellOf(m.structure.widget);
    }
    for (const PageWindow& record : m.table) {
        if (record.inUse != 0 && record.widget != nullptr) {
            shells[n++] = ShellOf(record.widget);
        }
    }
    if (count != nullptr) {
        *count = n;
    }
    return shells.data();
}

uint32_t Window_OwnsXWindow(Window window)
{
    uint32_t count = 0;
    Widget* shells = Window_ListShells(&count);
    for (uint32_t i = 0; i < count; ++i) {
        if (XtWindow(shells[i]) == window) {
            return 1;
        }
    }
    return 0;
}

KernelStatus Window_Raise(Widget widget)
{
    if (widget == nullptr) {
        return kStatusBadArgument;
    }
    Widget shell = ShellOf(widget);
    XRaiseWindow(XtDisplay(shell), XtWindow(shell));
    XSync(XtDisplay(shell), False);
    return kStatusOk;
}

KernelStatus Window_Lower(Widget widget)
{
    if (widget == nullptr) {
        return kStatusBadArgument;
    }
    Widget shell = ShellOf(widget);
    XLowerWindow(XtDisplay(shell), XtWindow(shell));
    return kStatusOk;
}

KernelStatus Window_Map(Widget widget, uint32_t withdraw)
{
    if (widget == nullptr) {
        return kStatusBadArgument;
    }
    Widget shell = ShellOf(widget);
    Display* display = XtDisplay(shell);
    if (withdraw == 1) {
        Window_SetNormalHints(widget);
        XWithdrawWindow(display, XtWindow(shell), DefaultScreen(display));
    } else {
        XtMapWidget(shell);
    }
    return kStatusOk;
}

uint32_t Window_IsShowing(Widget widget)
{
    if (widget == nullptr || !Window_IsDiagram(widget)) {
        return 0;
    }
    return Diagram_IsShowing(widget) != 0 ? 1 : 0;
}

uint32_t Window_CanDraw(Widget widget)
{
    const PageWindow* record = Window_RecordOf(widget);
    return record != nullptr && record->suspendCount == 0 && Window_IsShowing(widget) ? 1 : 0;
}

void Window_SuspendDrawing(Widget widget)
{
    if (PageWindow* record = Window_RecordOf(widget)) {
        ++record->suspendCount;
    }
}

void Window_ResumeDrawing(Widget widget)
{
    if (PageWindow* record = Window_RecordOf(widget); record != nullptr && record->suspendCount > 0) {
        --record->suspendCount;
    }
}

void Window_PostIndicate(Widget widget)
{
    if (widget != nullptr) {
        Diagram_PostIndicate(widget);
    }
}

void Window_IndicateArrived(Widget widget)
{
    Events_DispatchWindowEvents(1);
    PageWindow* record = Window_RecordOf(widget);
    if (record == nullptr) {
        return;
    }
    if (record->suspendCount > 0) {
        --record->suspendCount;
    }
    if (record->suspendCount == 0) {
        Cache_Redraw(widget, kCacheHandles);
        Cache_Redraw(widget, kCacheStructure);
        Window_FlushDrawQueue(widget);
    }
}

KernelStatus Window_SetTitle(ObjectHandle page)
{
    Widget widget = Window_OfPage(page);
    if (widget == nullptr) {
        return kStatusBadArgument;
    }
    if (Hook_IsRegistered(kHookWindowTitle) && Hook_GetHandler(kHookWindowTitle)(page, 0, 0, 0, 0, 0) == 0) {
        return kStatusOk;
    }
    char title[kPageTitleSize] = {};
    Model_GetPageTitle(page, title);
    return Window_SetTitleString(widget, title);
}

KernelStatus Window_SetTitleString(Widget widget, const char* text)
{
    if (widget == nullptr) {
        return kStatusBadArgument;
    }
    Diagram_Set(widget, kDiagramTitleString, reinterpret_cast<uintptr_t>(text));
    return kStatusOk;
}

KernelStatus Window_GetTitleString(Widget widget, char* out, size_t size)
{
    if (widget == nullptr) {
        return kStatusBadArgument;
    }
    if (out == nullptr || size == 0) {
        return kStatusOk;
    }
    const char* text = reinterpret_cast<const char*>(Diagram_Get(widget, kDiagramTitleString));
    std::snprintf(out, size, "%s", text != nullptr ? text : "");
    return kStatusOk;
}

KernelStatus Window_SetTitleInverse(Widget widget, uint32_t on)
{
    if (widget == nullptr) {
        return kStatusBadArgument;
    }
    Diagram_Set(widget, kDiagramTitleInverse, on);
    return kStatusOk;
}

KernelStatus Window_SetScrollBars(ObjectHandle page, uint32_t on)
{
    Widget widget = Window_OfPage(page);
    if (widget == nullptr || (on != 0 && Model_HasFlags(page, kFlagNoScrollBars))) {
        return kStatusOk;
    }
    Diagram_Set(widget, kDiagramScrollBar, on != 0 ? 1 : 0);
    return kStatusOk;
}

KernelStatus Window_SetAllowScroll(ObjectHandle page, int16_t on)
{
    if (Widget widget = Window_OfPage(page)) {
        Diagram_Set(widget, kDiagramAllowScroll, on != 0 ? 1 : 0);
    }
    return kStatusOk;
}

KernelStatus Window_GetScrollMode(ObjectHandle page)
{
    Widget widget = Window_OfPage(page);
    if (widget == nullptr) {
        return kScrollModeNoWindow;
    }
    return Diagram_Get(widget, kDiagramAllowScroll) != 0 ? kScrollModeOn : kScrollModeOff;
}

KernelStatus Window_BeginDrag(Widget widget)
{
    if (widget != nullptr) {
        Diagram_Set(widget, kDiagramButtonHeld, 1);
    }
    return kStatusOk;
}

KernelStatus Window_EndDrag(Widget widget)
{
    if (widget != nullptr) {
        Diagram_Set(widget, kDiagramButtonHeld, 0);
    }
    return kStatusOk;
}

uint32_t Window_IsDragWindow(Widget widget)
{
    return widget != nullptr && Diagram_IsButtonWidget(widget) != 0 ? 1 : 0;
}
