// Building a dialog from its table rows: the transient shell, the container
// that places children by their own x and y, one or two Athena widgets per
// item, the check-box and radio bitmaps, scroll-bar arithmetic and the list
// viewport. The module's start-up also makes the fill-pattern pixmaps.
#include <X11/IntrinsicP.h>
#include <X11/CompositeP.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xaw/AsciiText.h>
#include <X11/Xaw/Command.h>
#include <X11/Xaw/Label.h>
#include <X11/Xaw/List.h>
#include <X11/Xaw/Scrollbar.h>
#include <X11/Xaw/Viewport.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "xkv/dialog/DialogFill.h"
#include "xkv/dialog/DialogHost.h"
#include "xkv/dialog/DialogInternal.h"
#include "xkv/types/DrawTables.h"
#include "xkv/velkor/Velkor.h"

namespace {

constexpr int kBoxSize = 23;
constexpr int kBoxRowBytes = 3;
using BoxBits = std::array<unsigned char, kBoxRowBytes * kBoxSize>;

enum BoxBitmap { kCheckOn, kCheckOff, kCheckDisabled, kRadioOn, kRadioOff, kRadioDisabled, kBoxBitmapCount };

struct BuildState {
    bool initialized = false;
    std::array<Pixmap, kBoxBitmapCount> boxes{};
    Pixmap emptyPattern = 0;
    Pixmap focusPattern = 0;
    bool pixelsRead = false;
    Pixel foreground = 0;
    Pixel background = 0;
};

BuildState& Build()
{
    static BuildState state;
    return state;
}

Display* HostDisplay()
{
    Widget top = DialogHost_Toplevel();
    return top != nullptr ? XtDisplay(top) : nullptr;
}

void SetBit(BoxBits& bits, int x, int y)
{
    if (x >= 0 && x < kBoxSize && y >= 0 && y < kBoxSize) {
        bits[static_cast<size_t>(y * kBoxRowBytes + x / 8)] |= static_cast<unsigned char>(1u << (x % 8));
    }
}

// Check boxes: a square frame, with a cross when on, dotted when disabled.
BoxBits CheckBits(bool on, bool disabled)
{
    BoxBits bits{};
    for (int i = 2; i <= 20; ++i) {
        for (int w = 0; w < 2; ++w) {
            if (!disabled || i % 2 == 0) {
                SetBit(bits, i, 2 + w);
                SetBit(bits, i, 20 - w);
                SetBit(bits, 2 + w, i);
                SetBit(bits, 20 - w, i);
            }
        }
    }
    if (on) {
        for (int i = 6; i <= 16; ++i) {
            for (int w = 0; w < 2; ++w) {
                SetBit(bits, i + w, i);
                SetBit(bits, 22 - i - w, i);
            }
        }
    }
    return bits;
}

// Radio buttons: a ring, with a filled centre when on, dotted when disabled.
BoxBits RadioBits(bool on, bool disabled)
{
    BoxBits bits{};
    for (int y = 0; y < kBoxSize; ++y) {
        for (int x = 0; x < kBoxSize; ++x) {
            const int dx = x - 11;
            const int dy = y - 11;
            const int d2 = dx * dx + dy * dy;
            const bool ring = d2 >= 72 && d2 <= 100;
            const bool centre = d2 <= 20;
            if ((ring && (!disabled || (x + y) % 2 == 0)) || (on && centre)) {
                SetBit(bits, x, y);
            }
        }
    }
    return bits;
}

void MakeBoxBitmaps(Display* display, Window root)
{
    BuildState& b = Build();
    const std::array<BoxBits, kBoxBitmapCount> all = {
        CheckBits(true, false), CheckBits(false, false), CheckBits(false, true),
        RadioBits(true, false), RadioBits(false, false), RadioBits(false, true),
    };
    for (size_t i = 0; i < all.size(); ++i) {
        b.boxes[i] = XCreateBitmapFromData(display, root, reinterpret_cast<const char*>(all[i].data()), kBoxSize,
                                           kBoxSize);
    }
}

// The picture shown where a fill pattern has no pixmap: a crossed frame.
void MakeEmptyPattern(Display* display, Window root)
{
    constexpr int kSize = 30;
    constexpr int kRowBytes = 4;
    std::array<unsigned char, kRowBytes * kSize> bits{};
    auto set = [&bits](int x, int y) { bits[static_cast<size_t>(y * kRowBytes + x / 8)] |= 1u << (x % 8); };
    for (int i = 0; i < kSize; ++i) {
        set(i, 0);
        set(i, kSize - 1);
        set(0, i);
        set(kSize - 1, i);
        set(i, i);
        set(kSize - 1 - i, i);
    }
    const int screen = DefaultScreen(display);
    Build().emptyPattern = XCreatePixmapFromBitmapData(display, root, reinterpret_cast<char*>(bits.data()), kSize,
                                                       kSize, DialogHost_Foreground(), DialogHost_Background(),
                                                       static_cast<unsigned>(DefaultDepth(display, screen)));
}

void MakeFillTiles(Display* display, Window root)
{
    const int screen = DefaultScreen(display);
    for (int32_t fill = 1; fill <= kFillPatternCount; ++fill) {
        const auto tile = Dialog_FillTileBits(Dialog_FillPatternBits(fill));
        const Pixmap pixmap = XCreatePixmapFromBitmapData(
            display, root, const_cast<char*>(reinterpret_cast<const char*>(tile.data())), 32, 32,
            DialogHost_Foreground(), DialogHost_Background(), static_cast<unsigned>(DefaultDepth(display, screen)));
        LinePat_SetFillTile(fill, pixmap);
    }
}

XtGeometryResult AcceptAsDone(Widget, XtWidgetGeometry*, XtWidgetGeometry*)
{
    return XtGeometryDone;
}

// The container places children only by their own x and y: a class without a
// geometry manager accepts every request as already done.
void EnsureGeometryManager(Widget container)
{
    auto* cls = reinterpret_cast<CompositeWidgetClass>(XtClass(container));
    if (cls->composite_class.geometry_manager == nullptr) {
        cls->composite_class.geometry_manager = AcceptAsDone;
    }
}

void ReadDialogPixels(Widget shell)
{
    BuildState& b = Build();
    if (b.pixelsRead) {
        return;
    }
    struct Values {
        Pixel foreground;
        Pixel background;
        Boolean reverse;
    } values{};
    XtResource resources[] = {
        {const_cast<char*>(XtNforeground), const_cast<char*>(XtCForeground), const_cast<char*>(XtRPixel),
         sizeof(Pixel), XtOffsetOf(Values, foreground), const_cast<char*>(XtRString),
         const_cast<char*>(XtDefaultForeground)},
        {const_cast<char*>(XtNbackground), const_cast<char*>(XtCBackground), const_cast<char*>(XtRPixel),
         sizeof(Pixel), XtOffsetOf(Values, background), const_cast<char*>(XtRString),
         const_cast<char*>(XtDefaultBackground)},
        {const_cast<char*>(XtNreverseVideo), const_cast<char*>(XtCReverseVideo), const_cast<char*>(XtRBoolean),
         sizeof(Boolean), XtOffsetOf(Values, reverse), const_cast<char*>(XtRImmediate), nullptr},
    };
    XtGetApplicationResources(shell, &values, resources, XtNumber(resources), nullptr, 0);
    b.foreground = values.reverse ? values.background : values.foreground;
    b.background = values.reverse ? values.foreground : values.background;
    b.pixelsRead = true;
}

// The "dialog.x" or "dialog.y" resource of the application, when it is set.
bool ReadPositionResource(Display* display, const char* name, const char* className, int32_t* value)
{
    String appName = nullptr;
    String appClass = nullptr;
    XtGetApplicationNameAndClass(display, &appName, &appClass);
    XrmDatabase database = XtDatabase(display);
    if (database == nullptr || appName == nullptr) {
        return false;
    }
    const std::string fullName = std::string(appName) + "." + name;
    const std::string fullClass = std::string(appClass != nullptr ? appClass : "Tolq") + "." + className;
    char* type = nullptr;
    XrmValue found{};
    if (!XrmGetResource(database, fullName.c_str(), fullClass.c_str(), &type, &found) || found.addr == nullptr) {
        return false;
    }
    const std::string text(found.addr, strnlen(found.addr, found.size));
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str()) {
        return false;
    }
    *value = static_cast<int32_t>(std::clamp<long>(v, -32768, 32767));
    return true;
}

Position ToPosition(int32_t v)
{
    return static_cast<Position>(std::clamp(v, -32768, 32767));
}

Dimension ToDimension(int32_t v)
{
    return static_cast<Dimension>(std::clamp(v, 1, 32767));
}

XtPointer ItemTag(int32_t levelNumber, int32_t itemIndex)
{
    return reinterpret_cast<XtPointer>(static_cast<intptr_t>((levelNumber << 16) | itemIndex));
}

// The level and item index of a tag, when that level is the running top.
DialogLevel* TaggedLevel(XtPointer tag, int32_t* itemIndex)
{
    const auto value = reinterpret_cast<intptr_t>(tag);
    const int32_t levelNumber = static_cast<int32_t>(value >> 16);
    *itemIndex = static_cast<int32_t>(value & 0xffff);
    DialogState& s = Dialogs();
    if (levelNumber != s.depth || levelNumber < 1) {
        return nullptr;
    }
    DialogLevel& level = s.levels[levelNumber];
    if (level.running == 0 || *itemIndex >= static_cast<int32_t>(level.items.size())) {
        return nullptr;
    }
    return &level;
}

void ControlActivated(Widget, XtPointer tag, XtPointer callData)
{
    int32_t index = 0;
    DialogLevel* level = TaggedLevel(tag, &index);
    if (level == nullptr) {
        return;
    }
    if (level->callback != nullptr) {
        const DialogRecord& record = DialogTable_Records()[level->recordIndex];
        const DialogItemRow* row = Dialog_ItemRow(record, index + 1);
        const int16_t item = row != nullptr ? DialogTable_ControlRows()[row->index].item : static_cast<int16_t>(index + 1);
        level->callback(level->number, 1, item, reinterpret_cast<intptr_t>(callData));
    } else {
        Dialog_Close(index + 1);
    }
}

void ListPicked(Widget list, XtPointer tag, XtPointer callData)
{
    int32_t index = 0;
    DialogLevel* level = TaggedLevel(tag, &index);
    if (level == nullptr) {
        return;
    }
    const int16_t number = level->number;
    DialogCallback callback = level->callback;
    if (ListBuffer* buffer = Dialog_FindList(Dialogs().depth, index); buffer != nullptr && buffer->callback != nullptr) {
        const auto* pick = static_cast<XawListReturnStruct*>(callData);
        if (pick != nullptr) {
            buffer->callback(pick->list_index, pick->string);
        }
    }
    if (callback != nullptr) {
        callback(number, 1, static_cast<int16_t>(index + 1), reinterpret_cast<intptr_t>(list));
    }
}

const DialogScrollRow* TaggedScrollRow(XtPointer tag, DialogLevel** level, int32_t* index)
{
    *level = TaggedLevel(tag, index);
    if (*level == nullptr || (*level)->callback == nullptr) {
        return nullptr;
    }
    const DialogItemRow* row = Dialog_ItemRow(DialogTable_Records()[(*level)->recordIndex], *index + 1);
    return row != nullptr ? &DialogTable_ScrollRows()[row->index] : nullptr;
}

int32_t ScrollValueAt(const DialogScrollRow& row, double t)
{
    return static_cast<int32_t>(row.minimum + t * (row.maximum - row.minimum));
}

void ScrollStepped(Widget bar, XtPointer tag, XtPointer callData)
{
    DialogLevel* level = nullptr;
    int32_t index = 0;
    const DialogScrollRow* row = TaggedScrollRow(tag, &level, &index);
    if (row == nullptr) {
        return;
    }
    float top = 0;
    Dimension width = 0;
    Dimension height = 0;
    XtVaGetValues(bar, XtNtopOfThumb, &top, XtNwidth, &width, XtNheight, &height, nullptr);
    const double length = std::max<int>(1, row->orientation == 1 ? width : height);
    const double pixels = static_cast<double>(reinterpret_cast<intptr_t>(callData));
    const double t = std::clamp(top * 1.2 + (pixels / length) * 0.1667, 0.0, 1.0);
    XawScrollbarSetThumb(bar, static_cast<float>(t / 1.2 + 0.0001), -1.0f);
    level->callback(level->number, 1, static_cast<int16_t>(index + 1), ScrollValueAt(*row, t));
}

void ScrollJumped(Widget bar, XtPointer tag, XtPointer callData)
{
    DialogLevel* level = nullptr;
    int32_t index = 0;
    const DialogScrollRow* row = TaggedScrollRow(tag, &level, &index);
    if (row == nullptr || callData == nullptr) {
        return;
    }
    float top = *static_cast<float*>(callData);
    if (top > 0.8333f) {
        top = 0.8334f;
        XawScrollbarSetThumb(bar, top, -1.0f);
    }
    level->callback(level->number, 1, static_cast<int16_t>(index + 1), ScrollValueAt(*row, top * 1.2));
}

struct ArgBuilder {
    std::array<Arg, 24> args{};
    Cardinal count = 0;
    void Add(const char* name, XtArgVal value)
    {
        XtSetArg(args[count], const_cast<char*>(name), value);
        ++count;
    }
};

void AddGeometry(ArgBuilder& a, int32_t x, int32_t y, int32_t width, int32_t height)
{
    a.Add(XtNx, ToPosition(x));
    a.Add(XtNy, ToPosition(y));
    a.Add(XtNwidth, ToDimension(width));
    a.Add(XtNheight, ToDimension(height));
}

void AddColours(ArgBuilder& a)
{
    a.Add(XtNforeground, static_cast<XtArgVal>(Dialog_Foreground()));
    a.Add(XtNbackground, static_cast<XtArgVal>(Dialog_Background()));
}

Pixmap BoxBitmapFor(int16_t type, uint8_t flags)
{
    const BuildState& b = Build();
    const bool enabled = (flags & kDialogItemEnabled) != 0;
    const bool on = (flags & kDialogItemValue) != 0;
    const int base = type == 2 ? kRadioOn : kCheckOn;
    if (!enabled) {
        return b.boxes[static_cast<size_t>(base + 2)];
    }
    return b.boxes[static_cast<size_t>(base + (on ? 0 : 1))];
}

void BuildControl(DialogLevel& level, int32_t levelNumber, int32_t index, DialogItemRow& row)
{
    row.flags &= static_cast<uint8_t>(~kDialogItemValue);
    const DialogControlRow& c = DialogTable_ControlRows()[row.index];
    const bool enabled = (row.flags & kDialogItemEnabled) != 0;
    DialogItemEntry& entry = level.items[index];
    const char* label = c.label != nullptr ? c.label : "";
    ArgBuilder a;
    if (c.type == 0) {
        AddGeometry(a, c.x, c.y, c.width, c.height);
        a.Add(XtNresize, False);
        a.Add(XtNborderWidth, 1);
        AddColours(a);
        a.Add(XtNlabel, reinterpret_cast<XtArgVal>(label));
        if (!enabled) {
            a.Add(XtNsensitive, False);
        }
        entry.widget = XtCreateManagedWidget(label, commandWidgetClass, level.container, a.args.data(), a.count);
    } else {
        a.Add(XtNx, ToPosition(c.x));
        a.Add(XtNy, ToPosition(c.y));
        a.Add(XtNbitmap, static_cast<XtArgVal>(BoxBitmapFor(c.type, row.flags)));
        a.Add(XtNborderWidth, 0);
        a.Add(XtNresize, False);
        AddColours(a);
        if (!enabled) {
            a.Add(XtNsensitive, False);
        }
        entry.widget = XtCreateManagedWidget("box", commandWidgetClass, level.container, a.args.data(), a.count);
        ArgBuilder l;
        l.Add(XtNx, ToPosition(c.x + 37));
        l.Add(XtNy, ToPosition(c.y));
        l.Add(XtNheight, ToDimension(c.height));
        l.Add(XtNjustify, XtJustifyLeft);
        l.Add(XtNborderWidth, 0);
        AddColours(l);
        l.Add(XtNlabel, reinterpret_cast<XtArgVal>(label));
        if (!enabled) {
            l.Add(XtNsensitive, False);
        }
        entry.second = XtCreateManagedWidget(label, labelWidgetClass, level.container, l.args.data(), l.count);
    }
    XtAddCallback(entry.widget, XtNcallback, ControlActivated, ItemTag(levelNumber, index));
}

// Returns true when the item became an editable field.
bool BuildText(DialogLevel& level, int32_t index, DialogItemRow& row)
{
    row.flags |= kDialogItemEnabled;
    DialogTextRow& t = DialogTable_TextRows()[row.index];
    DialogItemEntry& entry = level.items[index];
    const char* text = t.text != nullptr ? t.text : "";
    if (t.type == 1 && t.height < 37 && !Dialog_HasSpecialRow(level.number, index + 1)) {
        ArgBuilder a;
        AddGeometry(a, t.x, t.y, t.width, t.height);
        AddColours(a);
        a.Add(XtNlabel, reinterpret_cast<XtArgVal>(text));
        entry.widget = XtCreateManagedWidget(text, labelWidgetClass, level.container, a.args.data(), a.count);
        t.mark = -1;
        return false;
    }
    if (std::strlen(text) >= static_cast<size_t>(kDialogTextMax)) {
        return false;
    }
    ArgBuilder a;
    if (t.type == 1) {
        a.Add(XtNborderWidth, 0);
        a.Add(XtNcursor, None);
    } else {
        a.Add(XtNborderWidth, 1);
    }
    a.Add(XtNeditType, XawtextEdit);
    a.Add(XtNwrap, XawtextWrapWord);
    if (t.type == 2) {
        a.Add(XtNscrollVertical, XawtextScrollWhenNeeded);
    }
    AddGeometry(a, t.x, t.y, t.width, t.height);
    AddColours(a);
    a.Add(XtNlength, kDialogTextMax);
    a.Add(XtNstring, reinterpret_cast<XtArgVal>(text));
    entry.widget = XtCreateManagedWidget("text", asciiTextWidgetClass, level.container, a.args.data(), a.count);
    t.mark = 1;
    if (t.type == 1) {
        entry.focusCode = 2;
        return false;
    }
    entry.focusCode = level.number == 274 ? 5 : 1;
    return true;
}

void BuildScrollBar(DialogLevel& level, int32_t levelNumber, int32_t index, DialogItemRow& row)
{
    row.flags |= kDialogItemEnabled;
    const DialogScrollRow& r = DialogTable_ScrollRows()[row.index];
    ArgBuilder a;
    AddGeometry(a, r.x, r.y, r.width, r.height);
    a.Add(XtNorientation, r.orientation == 1 ? XtorientHorizontal : XtorientVertical);
    AddColours(a);
    Widget bar = XtCreateManagedWidget("scroll", scrollbarWidgetClass, level.container, a.args.data(), a.count);
    level.items[index].widget = bar;
    Dialog_ScrollSetValue(bar, r, r.value);
    XtAddCallback(bar, XtNscrollProc, ScrollStepped, ItemTag(levelNumber, index));
    XtAddCallback(bar, XtNjumpProc, ScrollJumped, ItemTag(levelNumber, index));
}

void SetWindowHints(Widget shell, int32_t width, int32_t height)
{
    Display* display = XtDisplay(shell);
    const Window window = XtWindow(shell);
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    if (Widget top = DialogHost_Toplevel(); top != nullptr && XtWindow(top) != 0) {
        hints.flags |= WindowGroupHint;
        hints.window_group = XtWindow(top);
    }
    XSetWMHints(display, window, &hints);
    XWindowAttributes attributes{};
    long mask = 0x22000d;
    if (XGetWindowAttributes(display, window, &attributes) != 0) {
        mask |= attributes.your_event_mask;
    }
    XSelectInput(display, window, mask);
    XSizeHints size{};
    long supplied = 0;
    XGetWMNormalHints(display, window, &size, &supplied);
    size.flags |= PMinSize | PMaxSize;
    size.min_width = size.max_width = width;
    size.min_height = size.max_height = height;
    XSetWMNormalHints(display, window, &size);
}

}  // namespace

KernelStatus Dialog_Initialize()
{
    BuildState& b = Build();
    Display* display = HostDisplay();
    if (display == nullptr) {
        return 1;
    }
    if (b.initialized) {
        return 0;
    }
    const Window root = RootWindow(display, DefaultScreen(display));
    MakeBoxBitmaps(display, root);
    MakeEmptyPattern(display, root);
    MakeFillTiles(display, root);
    b.initialized = true;
    return 0;
}

Pixmap Dialog_EmptyPatternPixmap()
{
    return Build().emptyPattern;
}

Pixel Dialog_Foreground()
{
    return Build().foreground;
}

Pixel Dialog_Background()
{
    return Build().background;
}

Pixmap Dialog_FocusPattern()
{
    BuildState& b = Build();
    Display* display = HostDisplay();
    if (b.focusPattern == 0 && display != nullptr) {
        static const unsigned char kChecker[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
        const int screen = DefaultScreen(display);
        b.focusPattern = XCreatePixmapFromBitmapData(
            display, RootWindow(display, screen), const_cast<char*>(reinterpret_cast<const char*>(kChecker)), 8, 8,
            DialogHost_Foreground(), DialogHost_Background(), static_cast<unsigned>(DefaultDepth(display, screen)));
    }
    return b.focusPattern;
}

int32_t Dialog_Build(int32_t levelNumber)
{
    DialogState& s = Dialogs();
    DialogLevel& level = s.levels[levelNumber];
    const int32_t recordIndex = Dialog_FindRecord(level.number);
    Widget toplevel = DialogHost_Toplevel();
    if (recordIndex >= gDialogRecordCount || toplevel == nullptr) {
        return 0;
    }
    if (!Build().initialized) {
        Dialog_Initialize();
    }
    level.recordIndex = recordIndex;
    level.defaultItem = -1;
    level.focusItem = -1;
    DialogRecord& record = DialogTable_Records()[recordIndex];
    Display* display = XtDisplay(toplevel);
    int32_t x = record.x;
    int32_t y = record.y;
    if (record.x < -16385) {
        x = record.x + 32767;
    } else {
        ReadPositionResource(display, "dialog.x", "dialog.X", &x);
        ReadPositionResource(display, "dialog.y", "dialog.Y", &y);
    }
    Dialog_RememberGeometry(levelNumber, x, y, record.width, record.height);

    ArgBuilder a;
    AddGeometry(a, x, y, record.width, record.height);
    a.Add(XtNtitle, reinterpret_cast<XtArgVal>(DialogHost_Title()));
    a.Add(XtNtransientFor, reinterpret_cast<XtArgVal>(toplevel));
    level.shell = XtCreatePopupShell("dialog", transientShellWidgetClass, toplevel, a.args.data(), a.count);
    ReadDialogPixels(level.shell);
    ArgBuilder c;
    c.Add(XtNwidth, ToDimension(record.width));
    c.Add(XtNheight, ToDimension(record.height));
    c.Add(XtNborderWidth, 0);
    c.Add(XtNbackground, static_cast<XtArgVal>(Dialog_Background()));
    level.container = XtCreateManagedWidget("items", compositeWidgetClass, level.shell, c.args.data(), c.count);
    EnsureGeometryManager(level.container);

    level.items.assign(static_cast<size_t>(std::max<int16_t>(record.itemCount, 0)), DialogItemEntry{});
    int32_t firstField = -1;
    for (int32_t index = record.itemCount - 1; index >= 0; --index) {
        DialogItemRow* row = Dialog_ItemRow(record, index + 1);
        if (row == nullptr) {
            continue;
        }
        switch (DialogItem_Kind(*row)) {
        case kItemControl: BuildControl(level, levelNumber, index, *row); break;
        case kItemText:
            if (BuildText(level, index, *row)) {
                firstField = index;
            }
            break;
        case kItemScrollBar: BuildScrollBar(level, levelNumber, index, *row); break;
        case kItemPlaceholder: row->flags |= kDialogItemEnabled; break;
        default: break;
        }
    }

    XtPopup(level.shell, s.lastRecordExclusive ? XtGrabExclusive : XtGrabNonexclusive);
    Velkor_WatchWindowClose(level.shell);
    SetWindowHints(level.shell, record.width, record.height);
    if (firstField >= 0) {
        Dialog_SetFocus(firstField, 1);
    }
    if (level.callback == nullptr) {
        return 0;
    }
    level.callback(level.number, 0, 0, 0);
    return 1;
}

void Dialog_RedrawItemState(DialogLevel& level, int32_t itemIndex, const DialogItemRow& row)
{
    if (itemIndex < 0 || itemIndex >= static_cast<int32_t>(level.items.size())) {
        return;
    }
    const DialogItemEntry& entry = level.items[itemIndex];
    if (entry.widget == nullptr) {
        return;
    }
    const DialogControlRow& c = DialogTable_ControlRows()[row.index];
    const bool enabled = (row.flags & kDialogItemEnabled) != 0;
    if (c.type == 1 || c.type == 2) {
        XtVaSetValues(entry.widget, XtNbitmap, BoxBitmapFor(c.type, row.flags), nullptr);
    }
    XtSetSensitive(entry.widget, enabled);
    if (entry.second != nullptr) {
        XtSetSensitive(entry.second, enabled);
    }
}

Widget Dialog_CreateListWidgets(DialogLevel& level, int32_t levelNumber, ListBuffer& buffer)
{
    if (level.container == nullptr) {
        return nullptr;
    }
    DialogItemEntry& entry = level.items[buffer.item];
    ArgBuilder v;
    AddGeometry(v, buffer.x, buffer.y, buffer.width, buffer.height);
    v.Add(XtNallowVert, True);
    v.Add(XtNuseRight, True);
    if (buffer.forceBars) {
        v.Add(XtNforceBars, True);
    }
    v.Add(XtNborderWidth, 1);
    AddColours(v);
    entry.widget = XtCreateWidget("viewport", viewportWidgetClass, level.container, v.args.data(), v.count);
    ArgBuilder l;
    l.Add(XtNnumberStrings, buffer.count);
    l.Add(XtNlist, reinterpret_cast<XtArgVal>(buffer.pointers.data()));
    l.Add(XtNverticalList, True);
    l.Add(XtNdefaultColumns, 1);
    l.Add(XtNforceColumns, True);
    l.Add(XtNborderWidth, 0);
    AddColours(l);
    entry.second = XtCreateManagedWidget("list", listWidgetClass, entry.widget, l.args.data(), l.count);
    XtAddCallback(entry.second, XtNcallback, ListPicked, ItemTag(levelNumber, buffer.item));
    XtManageChild(entry.widget);
    return entry.second;
}

void Dialog_ScrollSetValue(Widget bar, const DialogScrollRow& row, int32_t value)
{
    const int32_t range = row.maximum - row.minimum;
    double t = range != 0 ? static_cast<double>(value - row.minimum) / range : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    XawScrollbarSetThumb(bar, static_cast<float>(t / 1.2 + 0.0001), 0.1667f);
}

int32_t Dialog_ScrollReadValue(Widget bar, const DialogScrollRow& row)
{
    float top = 0;
    XtVaGetValues(bar, XtNtopOfThumb, &top, nullptr);
    return ScrollValueAt(row, top * 1.2);
}
