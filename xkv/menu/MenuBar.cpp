// The menu bar and its pull-down, drawn by the kernel itself with Xlib: a
// Label widget used as a plain window for the titles, one override shell for
// whichever menu is open, their layout, drawing and pointer handling, and the
// pick that hands a chosen item to hook 21 and the command layer.
#include <X11/IntrinsicP.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xaw/Label.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <string>

#include "xkv/kv/Hook.h"
#include "xkv/menu/Menu.h"
#include "xkv/menu/MenuInternal.h"
#include "xkv/comm/Comm.h"
#include "xkv/pending/Pending.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/velkor/Velkor.h"

namespace {


constexpr int32_t kInitialBarWidth = 200;
constexpr int32_t kSeparatorHeight = 8;
constexpr int32_t kBorderWidth = 1;

constexpr EventMask kBarEvents = ButtonPressMask | ButtonReleaseMask | EnterWindowMask | LeaveWindowMask |
                                 PointerMotionMask | ButtonMotionMask | ExposureMask;
constexpr EventMask kPopupEvents = ButtonPressMask | ButtonReleaseMask | EnterWindowMask | LeaveWindowMask |
                                   PointerMotionMask | Button1MotionMask | Button2MotionMask |
                                   Button3MotionMask | Button4MotionMask | Button5MotionMask |
                                   ButtonMotionMask | ExposureMask;

constexpr const char* kDefaultEnabledFont = "*-helvetica-bold-r*-14-*";
constexpr const char* kDefaultDisabledFont = "*-helvetica-medium-o*-14-*";
constexpr const char* kFallbackFont = "fixed";

enum class DrawMode { kNone, kNormal, kHighlight };

// The drawing resources and the widgets of the menus.
struct MenuGraphics {
    Display* display = nullptr;
    Widget bar = nullptr;
    Widget popup = nullptr;
    GC gc = nullptr;
    Pixmap stipple = 0;
    XFontStruct* enabledFont = nullptr;
    XFontStruct* disabledFont = nullptr;
    Pixel foreground = 0;
    Pixel background = 0;
    int32_t em = 0;
    int32_t ascent = 0;
    int32_t fontHeight = 0;
    int32_t itemHeight = 0;
    int32_t barHeight = 0;
    DrawMode lastMode = DrawMode::kNone;
    Font lastFont = 0;
};

MenuGraphics& Graphics()
{
    static MenuGraphics graphics;
    return graphics;
}

// The application resources the menus read.
struct MenuResources {
    String enabledFont;
    String disabledFont;
    Pixel foreground;
    Pixel background;
    Boolean reverseVideo;
    String allowUnmakeRegionOnNode;
};

XtResource kMenuResources[] = {
    {const_cast<char*>("enabledMenuFont"), const_cast<char*>("EnabledMenuFont"), const_cast<char*>(XtRString),
     sizeof(String), XtOffsetOf(MenuResources, enabledFont), const_cast<char*>(XtRString),
     const_cast<char*>(kDefaultEnabledFont)},
    {const_cast<char*>("disabledMenuFont"), const_cast<char*>("DisabledMenuFont"), const_cast<char*>(XtRString),
     sizeof(String), XtOffsetOf(MenuResources, disabledFont), const_cast<char*>(XtRString),
     const_cast<char*>(kDefaultDisabledFont)},
    {const_cast<char*>(XtNforeground), const_cast<char*>(XtCForeground), const_cast<char*>(XtRPixel),
     sizeof(Pixel), XtOffsetOf(MenuResources, foreground), const_cast<char*>(XtRString),
     const_cast<char*>(XtDefaultForeground)},
    {const_cast<char*>(XtNbackground), const_cast<char*>(XtCBackground), const_cast<char*>(XtRPixel),
     sizeof(Pixel), XtOffsetOf(MenuResources, background), const_cast<char*>(XtRString),
     const_cast<char*>(XtDefaultBackground)},
    {const_cast<char*>(XtNreverseVideo), const_cast<char*>(XtCReverseVideo), const_cast<char*>(XtRBoolean),
     sizeof(Boolean), XtOffsetOf(MenuResources, reverseVideo), const_cast<char*>(XtRImmediate),
     reinterpret_cast<XtPointer>(False)},
    {const_cast<char*>("allowUnmakeRegionOnNode"), const_cast<char*>("AllowUnmakeRegionOnNode"),
     const_cast<char*>(XtRString), sizeof(String), XtOffsetOf(MenuResources, allowUnmakeRegionOnNode),
     const_cast<char*>(XtRString), const_cast<char*>("on")},
};

// ---- X range and text helpers ----

short ToShort(int32_t value)
{
    return static_cast<short>(std::clamp<int32_t>(value, std::numeric_limits<short>::min(),
                                                  std::numeric_limits<short>::max()));
}

Dimension ToDimension(int32_t value)
{
    return static_cast<Dimension>(std::clamp<int32_t>(value, 1, std::numeric_limits<short>::max()));
}

int TextLength(const std::string& text)
{
    return static_cast<int>(std::min<size_t>(text.size(), std::numeric_limits<short>::max()));
}

int32_t TextWidth(XFontStruct* font, const std::string& text)
{
    return font != nullptr ? XTextWidth(font, text.c_str(), TextLength(text)) : 0;
}

bool IsOn(const char* text)
{
    std::string lowered = text != nullptr ? text : "";
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered == "on";
}

Widget ShellOf(Widget widget)
{
    while (widget != nullptr && XtParent(widget) != nullptr) {
        widget = XtParent(widget);
    }
    return widget;
}

bool BarIsUp()
{
    const MenuGraphics& g = Graphics();
    return g.bar != nullptr && XtIsRealized(g.bar);
}

bool PopupIsUp()
{
    const MenuGraphics& g = Graphics();
    return g.popup != nullptr && XtIsRealized(g.popup);
}

XFontStruct* LoadFont(Display* display, const char* name)
{
    XFontStruct* font = name != nullptr ? XLoadQueryFont(display, name) : nullptr;
    return font != nullptr ? font : XLoadQueryFont(display, kFallbackFont);
}

// ---- GC modes ----

void UseMode(DrawMode mode, XFontStruct* font)
{
    MenuGraphics& g = Graphics();
    if (mode != g.lastMode) {
        if (mode == DrawMode::kHighlight) {
            XSetFunction(g.display, g.gc, GXxor);
            XSetForeground(g.display, g.gc, g.foreground ^ g.background);
        } else {
            XSetFunction(g.display, g.gc, GXcopy);
            XSetForeground(g.display, g.gc, g.foreground);
        }
        g.lastMode = mode;
    }
    if (font != nullptr && font->fid != g.lastFont) {
        XSetFont(g.display, g.gc, font->fid);
        g.lastFont = font->fid;
    }
}

XFontStruct* FontFor(bool enabled)
{
    return enabled ? Graphics().enabledFont : Graphics().disabledFont;
}

void InvertRect(Window window, const MenuRect& rect)
{
    UseMode(DrawMode::kHighlight, nullptr);
    XFillRectangle(Graphics().display, window, Graphics().gc, ToShort(rect.x), ToShort(rect.y),
                   ToDimension(rect.width), ToDimension(rect.height));
}

// ---- Initialisation ----

KernelStatus InitGraphics(Widget form, MenuResources* resources)
{
    MenuGraphics& g = Graphics();
    g.display = XtDisplay(form);
    XtGetApplicationResources(ShellOf(form), resources, kMenuResources, XtNumber(kMenuResources), nullptr, 0);
    g.foreground = resources->reverseVideo ? resources->background : resources->foreground;
    g.background = resources->reverseVideo ? resources->foreground : resources->background;

    g.enabledFont = LoadFont(g.display, resources->enabledFont);
    g.disabledFont = LoadFont(g.display, resources->disabledFont);
    if (g.enabledFont == nullptr || g.disabledFont == nullptr) {
        return kMenuNoFont;
    }
    const Window root = RootWindowOfScreen(XtScreen(form));
    XGCValues values = {};
    values.foreground = g.foreground;
    values.background = g.background;
    values.line_width = 2;
    values.line_style = LineSolid;
    values.cap_style = CapProjecting;
    values.join_style = JoinMiter;
    g.gc = XCreateGC(g.display, root,
                     GCForeground | GCBackground | GCLineWidth | GCLineStyle | GCCapStyle | GCJoinStyle, &values);
    static const char kStippleBits[] = {0x55, static_cast<char>(0xaa), 0x55, static_cast<char>(0xaa),
                                        0x55, static_cast<char>(0xaa), 0x55, static_cast<char>(0xaa)};
    g.stipple = XCreateBitmapFromData(g.display, root, kStippleBits, 8, 8);
    g.lastMode = DrawMode::kNone;
    g.lastFont = 0;

    g.em = TextWidth(g.enabledFont, "M");
    g.ascent = g.enabledFont->ascent;
    g.fontHeight = g.enabledFont->ascent + g.enabledFont->descent;
    g.itemHeight = g.fontHeight + 4;
    g.barHeight = g.fontHeight + 4;
    return kStatusOk;
}

void BarEventHandler(Widget, XtPointer, XEvent* event, Boolean*);
void PopupEventHandler(Widget, XtPointer, XEvent* event, Boolean*);

void CreateBar(Widget form)
{
    MenuGraphics& g = Graphics();
    g.bar = XtVaCreateManagedWidget("", labelWidgetClass, form, XtNborderWidth, XtArgVal{kBorderWidth}, XtNwidth,
                                    XtArgVal{kInitialBarWidth}, XtNheight, XtArgVal{ToDimension(g.barHeight)},
                                    XtNforeground, g.foreground, XtNbackground, g.background, XtNlabel, "",
                                    nullptr);
    XtAddEventHandler(g.bar, kBarEvents, False, BarEventHandler, nullptr);
    MenuState& state = MenuStateOf();
    state.barTracking = true;
    state.barDrawn = false;
    state.barWidth = kInitialBarWidth;
    state.barHeight = g.barHeight;
}

void CreatePopup(Widget form)
{
    MenuGraphics& g = Graphics();
    g.popup = XtVaCreatePopupShell("popup", overrideShellWidgetClass, ShellOf(form), XtNx, XtArgVal{0}, XtNy,
                                   XtArgVal{0}, XtNwidth, XtArgVal{100}, XtNheight, XtArgVal{100}, XtNbackground, g.background, nullptr);
    XtAddEventHandler(g.popup, kPopupEvents, False, PopupEventHandler, nullptr);
}

// ---- Layout ----

int32_t LayOutMenu(Menu& menu, int32_t x)
{
    const MenuGraphics& g = Graphics();
    menu.titleRect = {x, 0, TextWidth(g.enabledFont, menu.title) + 2 * g.em, g.barHeight};
    int32_t y = 0;
    int32_t widestLabel = 0;
    int32_t widestAccelerator = 0;
    for (const auto& item : menu.items) {
        if (item->separator != 0) {
            item->rect = {0, y, 0, kSeparatorHeight};
        } else {
            item->rect = {0, y, TextWidth(g.enabledFont, item->label) + 4 * g.em, g.itemHeight};
            widestLabel = std::max(widestLabel, item->rect.width);
            widestAccelerator = std::max(widestAccelerator, TextWidth(g.enabledFont, item->acceleratorLabel) + 2 * g.em);
        }
        y += item->rect.height;
    }
    for (const auto& item : menu.items) {
        item->rect.width = widestLabel + widestAccelerator;
        item->acceleratorX = widestLabel + g.em;
    }
    menu.popupRect.width = widestLabel + widestAccelerator;
    menu.popupRect.height = y;
    return menu.titleRect.width;
}

// Places the popup under its title, or above the bar when it would pass the
// bottom of the screen, and keeps it on the screen sideways.
void PlacePopup(Menu& menu)
{
    const MenuState& state = MenuStateOf();
    Screen* screen = XtScreen(Graphics().bar);
    const int32_t screenWidth = WidthOfScreen(screen);
    const int32_t screenHeight = HeightOfScreen(screen);
    MenuRect& popup = menu.popupRect;
    popup.x = menu.titleRect.x;
    popup.y = menu.titleRect.y + state.barHeight;
    if (state.barOriginY + popup.y + popup.height > screenHeight) {
        popup.y = menu.titleRect.y - popup.height - 2;
    }
    if (state.barOriginX + popup.x < 0) {
        popup.x = -state.barOriginX;
    } else if (state.barOriginX + popup.x + popup.width > screenWidth) {
        popup.x = screenWidth - state.barOriginX - popup.width;
    }
}

void UpdateBarOrigin()
{
    if (!BarIsUp()) {
        return;
    }
    MenuGraphics& g = Graphics();
    Window child = 0;
    int x = 0;
    int y = 0;
    XTranslateCoordinates(g.display, XtWindow(g.bar), RootWindowOfScreen(XtScreen(g.bar)), 0, 0, &x, &y, &child);
    MenuStateOf().barOriginX = x;
    MenuStateOf().barOriginY = y;
}

// ---- Drawing ----

void DrawBar()
{
    if (!BarIsUp()) {
        return;
    }
    MenuGraphics& g = Graphics();
    const Window window = XtWindow(g.bar);
    XClearWindow(g.display, window);
    for (const auto& menu : MenuStateOf().menus) {
        XFontStruct* font = FontFor(menu->shownEnabled != 0);
        UseMode(DrawMode::kNormal, font);
        XDrawString(g.display, window, g.gc, ToShort(menu->titleRect.x + g.em),
                    ToShort(menu->titleRect.y + g.ascent + 2), menu->title.c_str(), TextLength(menu->title));
    }
    MenuStateOf().barDrawn = true;
    for (const auto& menu : MenuStateOf().menus) {
        if (menu->titleHighlighted != 0) {
            InvertRect(window, menu->titleRect);
        }
    }
}

void DrawCheckMark(Window window, const MenuRect& rect)
{
    MenuGraphics& g = Graphics();
    const int32_t left = rect.x + g.em;
    const int32_t middle = rect.y + rect.height / 2;
    XPoint points[3] = {{ToShort(left), ToShort(middle)},
                        {ToShort(left + g.em / 3), ToShort(middle + g.em / 3)},
                        {ToShort(left + g.em), ToShort(middle - g.em / 2)}};
    XDrawLines(g.display, window, g.gc, points, 3, CoordModeOrigin);
}

void DrawItem(Window window, const Menu& menu, const MenuItem& item)
{
    MenuGraphics& g = Graphics();
    const MenuRect& r = item.rect;
    if (item.separator != 0) {
        UseMode(DrawMode::kNormal, nullptr);
        XDrawLine(g.display, window, g.gc, ToShort(r.x), ToShort(r.y + r.height / 2), ToShort(r.x + r.width),
                  ToShort(r.y + r.height / 2));
        return;
    }
    UseMode(DrawMode::kNormal, FontFor(item.enabled != 0 && menu.shownEnabled != 0));
    if (item.checkMark == 1) {
        DrawCheckMark(window, r);
    }
    const int32_t baseline = r.y + g.ascent + 2;
    XDrawString(g.display, window, g.gc, ToShort(r.x + 4 * g.em), ToShort(baseline), item.label.c_str(),
                TextLength(item.label));
    if (!item.acceleratorLabel.empty()) {
        XDrawString(g.display, window, g.gc, ToShort(item.acceleratorX), ToShort(baseline),
                    item.acceleratorLabel.c_str(), TextLength(item.acceleratorLabel));
    }
}

void DrawPopup()
{
    MenuState& state = MenuStateOf();
    if (state.openMenu == nullptr || !PopupIsUp()) {
        return;
    }
    MenuGraphics& g = Graphics();
    const Window window = XtWindow(g.popup);
    XClearWindow(g.display, window);
    for (const auto& item : state.openMenu->items) {
        item->highlighted = 0;
        DrawItem(window, *state.openMenu, *item);
    }
    if (state.currentItem != nullptr && state.currentItem->enabled != 0 && state.currentItem->separator == 0) {
        Menu_DrawItemHighlight(state.openMenu, state.currentItem, 1);
    }
    state.openMenu->popupUndrawn = 0;
}

// ---- Pointer handling ----

bool InsideBar(int x, int y)
{
    const MenuState& state = MenuStateOf();
    return x >= 0 && x <= state.barWidth && y >= 0 && y <= state.barHeight;
}

Menu* TitleAt(int x, int y)
{
    Menu* menu = nullptr;
    return Menu_FindMenuAt(x, y, &menu) == kStatusOk ? menu : nullptr;
}

MenuItem* ItemAt(const Menu& menu, int x, int y)
{
    for (const auto& item : menu.items) {
        const MenuRect& r = item->rect;
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) {
            return item.get();
        }
    }
    return nullptr;
}

void TrackItem(int x, int y)
{
    MenuState& state = MenuStateOf();
    Menu* menu = state.openMenu;
    if (menu == nullptr || menu->shownEnabled == 0) {
        return;
    }
    MenuItem* item = ItemAt(*menu, x, y);
    if (item == nullptr) {
        if (state.currentItem != nullptr) {
            Menu_DrawItemHighlight(menu, state.currentItem, 0);
        }
        state.currentItem = nullptr;
        return;
    }
    if (item != state.currentItem && menu->popupUndrawn == 0) {
        if (state.currentItem != nullptr) {
            Menu_DrawItemHighlight(menu, state.currentItem, 0);
        }
        if (item->enabled != 0 && item->separator == 0) {
            Menu_DrawItemHighlight(menu, item, 1);
        }
    }
    state.currentItem = item;
}

void HandlePopupRelease()
{
    MenuState& state = MenuStateOf();
    Menu* menu = state.openMenu;
    MenuItem* item = state.currentItem;
    if (item != nullptr && menu != nullptr) {
        Menu_DrawItemHighlight(menu, item, 0);
        Menu_OpenPopup(nullptr);
        if (Menu_CommandLayerAcceptsPicks()) {
            Menu_DoPick(menu, item);
        }
    } else {
        Comm_PostCancel();
        Menu_OpenPopup(nullptr);
    }
    Comm_ProcessEvents();
}

void PopupEvent(XEvent* event)
{
    switch (event->type) {
    case ButtonRelease:
        HandlePopupRelease();
        break;
    case MotionNotify:
        TrackItem(event->xmotion.x, event->xmotion.y);
        break;
    case EnterNotify:
    case LeaveNotify:
        TrackItem(event->xcrossing.x, event->xcrossing.y);
        break;
    case Expose:
        if (event->xexpose.count == 0) {
            DrawPopup();
        }
        break;
    default:
        break;
    }
}

// The pointer position of a pointer event; false for other events.
bool PointerOf(const XEvent* event, int* x, int* y)
{
    switch (event->type) {
    case ButtonPress:
    case ButtonRelease:
        *x = event->xbutton.x;
        *y = event->xbutton.y;
        return true;
    case MotionNotify:
        *x = event->xmotion.x;
        *y = event->xmotion.y;
        return true;
    case EnterNotify:
    case LeaveNotify:
        *x = event->xcrossing.x;
        *y = event->xcrossing.y;
        return true;
    default:
        return false;
    }
}

// A copy of a pointer event moved by (dx, dy).
XEvent Translated(const XEvent* event, int dx, int dy)
{
    XEvent moved = *event;
    switch (moved.type) {
    case ButtonPress:
    case ButtonRelease:
        moved.xbutton.x += dx;
        moved.xbutton.y += dy;
        break;
    case MotionNotify:
        moved.xmotion.x += dx;
        moved.xmotion.y += dy;
        break;
    default:
        moved.xcrossing.x += dx;
        moved.xcrossing.y += dy;
        break;
    }
    return moved;
}

void BarEvent(XEvent* event)
{
    MenuState& state = MenuStateOf();
    int x = 0;
    int y = 0;
    const bool pointer = PointerOf(event, &x, &y);
    if (state.openMenu != nullptr && pointer && !InsideBar(x, y)) {
        XEvent moved = Translated(event, -state.openMenu->popupRect.x, -state.openMenu->popupRect.y);
        PopupEvent(&moved);
        return;
    }
    switch (event->type) {
    case ButtonPress:
        if (state.openMenu == nullptr) {
            UpdateBarOrigin();
        }
        if (state.barTracking) {
            if (Menu* menu = TitleAt(x, y); menu != nullptr) {
                Menu_OpenPopup(menu);
            }
        }
        break;
    case ButtonRelease:
        Menu_OpenPopup(nullptr);
        Comm_PostCancel();
        Comm_ProcessEvents();
        break;
    case EnterNotify:
    case MotionNotify:
        if (event->type == EnterNotify && state.openMenu == nullptr) {
            UpdateBarOrigin();
        }
        if (state.openMenu != nullptr) {
            if (Menu* menu = TitleAt(x, y); menu != nullptr) {
                Menu_OpenPopup(menu);
            }
        }
        break;
    case Expose:
        if (event->xexpose.count == 0) {
            DrawBar();
        }
        break;
    default:
        break;
    }
}

void BarEventHandler(Widget, XtPointer, XEvent* event, Boolean*)
{
    BarEvent(event);
}

void PopupEventHandler(Widget, XtPointer, XEvent* event, Boolean*)
{
    PopupEvent(event);
}

void FreeGraphics()
{
    MenuGraphics& g = Graphics();
    if (g.display != nullptr) {
        if (g.enabledFont != nullptr) {
            XFreeFont(g.display, g.enabledFont);
        }
        if (g.disabledFont != nullptr) {
            XFreeFont(g.display, g.disabledFont);
        }
        if (g.gc != nullptr) {
            XFreeGC(g.display, g.gc);
        }
        if (g.stipple != 0) {
            XFreePixmap(g.display, g.stipple);
        }
    }
    if (g.popup != nullptr) {
        XtDestroyWidget(g.popup);
    }
    if (g.bar != nullptr) {
        XtDestroyWidget(g.bar);
    }
    g = MenuGraphics{};
}

}  // namespace

MenuState& MenuStateOf()
{
    static MenuState state;
    return state;
}

KernelStatus Menu_Initialize(Widget form, uint32_t, Widget* bar)
{
    if (form == nullptr) {
        return kStatusBadArgument;
    }
    MenuResources resources = {};
    const KernelStatus status = InitGraphics(form, &resources);
    if (status != kStatusOk) {
        FreeGraphics();
        return status;
    }
    Menu_SetAllowUnmakeRegionOnNode(IsOn(resources.allowUnmakeRegionOnNode) ? 1 : 0);
    CreateBar(form);
    MenuStateOf().menus.clear();
    CreatePopup(form);
    Menu_LoadBar(1);
    Accel_LoadAll();
    Menu_FitMenuBar();
    Menu_ApplyRule(8, 0);
    MenuStateOf().initialised = true;
    MenuStateOf().menusChanged = true;
    if (bar != nullptr) {
        *bar = Graphics().bar;
    }
    return kStatusOk;
}

void Menu_Shutdown()
{
    MenuState& state = MenuStateOf();
    if (state.openMenu != nullptr) {
        Menu_OpenPopup(nullptr);
    }
    state.menus.clear();
    Accel_Clear();
    FreeGraphics();
    state = MenuState{};
}

Widget Menu_BarWidget()
{
    return Graphics().bar;
}

Widget Menu_PopupShell()
{
    return Graphics().popup;
}

Menu* Menu_OpenMenu()
{
    return MenuStateOf().openMenu;
}

int32_t Menu_BarWidth()
{
    return Graphics().bar != nullptr ? MenuStateOf().barWidth : 0;
}

void Menu_FitMenuBar()
{
    MenuGraphics& g = Graphics();
    if (g.bar == nullptr) {
        return;
    }
    int32_t total = 0;
    for (const auto& menu : MenuStateOf().menus) {
        total += LayOutMenu(*menu, total);
    }
    MenuState& state = MenuStateOf();
    if (total == state.barWidth) {
        return;
    }
    XtVaSetValues(g.bar, XtNwidth, XtArgVal{ToDimension(total)}, XtNborderWidth, XtArgVal{kBorderWidth}, nullptr);
    // The width is what the pointer tests use, so it follows the bar at once;
    // the shell's size hints wait until the shell is up.
    state.barWidth = total;
    const Widget shell = ShellOf(g.bar);
    if (XtIsRealized(shell)) {
        int32_t statusWidth = 0;
        if (Widget status = StatusBar_Widget(); status != nullptr) {
            Dimension width = 0;
            XtVaGetValues(status, XtNwidth, &width, nullptr);
            statusWidth = width;
        }
        Velkor_SetShellSizeHints(std::max(total, statusWidth + 12), shell);
        Menu_ClearBar();
    }
}

void Menu_ClearBar()
{
    if (BarIsUp()) {
        XClearArea(Graphics().display, XtWindow(Graphics().bar), 0, 0, 0, 0, True);
    }
}

void Menu_Refresh(uint32_t force)
{
    MenuState& state = MenuStateOf();
    if (!state.menusChanged && force == 0) {
        return;
    }
    MenuStateRecord record;
    if (Hook_IsRegistered(kHookMenuRefresh) != 0) {
        Hook_GetHandler(kHookMenuRefresh)(reinterpret_cast<uintptr_t>(&record), 0, 0, 0, 0, 0);
    }
    bool changed = false;
    for (const auto& menu : state.menus) {
        changed = changed || menu->shownEnabled != menu->enabled;
        menu->shownEnabled = menu->enabled;
    }
    if (changed || record.redraw != 0) {
        Menu_ClearBar();
    }
    state.menusChanged = false;
}

void Menu_OpenPopup(Menu* menu)
{
    MenuState& state = MenuStateOf();
    MenuGraphics& g = Graphics();
    if (menu == state.openMenu) {
        return;
    }
    if (state.currentItem != nullptr && state.openMenu != nullptr) {
        Menu_DrawItemHighlight(state.openMenu, state.currentItem, 0);
    }
    state.currentItem = nullptr;
    if (menu == nullptr) {
        Menu_DrawTitleHighlight(state.openMenu, 0);
        if (g.popup != nullptr) {
            XtPopdown(g.popup);
        }
        state.openMenu = nullptr;
        return;
    }
    if (g.popup == nullptr) {
        return;
    }
    menu->popupUndrawn = 1;
    const bool wasOpen = state.openMenu != nullptr;
    if (wasOpen) {
        Menu_DrawTitleHighlight(state.openMenu, 0);
    }
    PlacePopup(*menu);
    XtConfigureWidget(g.popup, ToShort(state.barOriginX + menu->popupRect.x),
                      ToShort(state.barOriginY + menu->popupRect.y), ToDimension(menu->popupRect.width),
                      ToDimension(menu->popupRect.height), kBorderWidth);
    if (wasOpen) {
        XClearArea(g.display, XtWindow(g.popup), 0, 0, 0, 0, True);
    } else {
        XtPopup(g.popup, XtGrabNone);
        Screen* screen = XtScreen(g.popup);
        if (DoesSaveUnders(screen)) {
            XSetWindowAttributes attributes = {};
            attributes.save_under = True;
            XChangeWindowAttributes(g.display, XtWindow(g.popup), CWSaveUnder, &attributes);
        }
    }
    state.openMenu = menu;
    Menu_DrawTitleHighlight(menu, 1);
}

void Menu_DrawTitleHighlight(Menu* menu, int32_t on)
{
    if (menu == nullptr || menu->titleHighlighted == on) {
        return;
    }
    menu->titleHighlighted = on;
    if (MenuStateOf().barDrawn && BarIsUp()) {
        InvertRect(XtWindow(Graphics().bar), menu->titleRect);
    }
}

void Menu_DrawItemHighlight(Menu* menu, MenuItem* item, int32_t on)
{
    if (menu == nullptr || item == nullptr || item->highlighted == on) {
        return;
    }
    item->highlighted = on;
    if (menu == MenuStateOf().openMenu && PopupIsUp()) {
        InvertRect(XtWindow(Graphics().popup), item->rect);
    }
}

void Menu_ForgetMenu(const Menu* menu)
{
    if (menu != nullptr && menu == MenuStateOf().openMenu) {
        Menu_OpenPopup(nullptr);
    }
}

void Menu_ForgetItem(const MenuItem* item)
{
    if (item != nullptr && item == MenuStateOf().currentItem) {
        MenuStateOf().currentItem = nullptr;
    }
}

void Menu_SetBarTracking(uint32_t on)
{
    MenuStateOf().barTracking = on != 0;
}
