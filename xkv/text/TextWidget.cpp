// The edit window: the override shell "text" with an Athena viewport holding
// the editing widget "braskText" (class "BkTx"), its action and translation
// tables (typing, cursor keys, clicks that select words and lines, dragging
// the selection, pasting), ownership of PRIMARY and cut buffer 0 for the
// edited text with the conversions other clients ask for, and placing the
// window over the page window that shows the edited text.
#include <X11/IntrinsicP.h>
#include <X11/CoreP.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xatom.h>
#include <X11/Xaw/Scrollbar.h>
#include <X11/Xaw/Viewport.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/model/Model.h"
#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextInternal.h"
#include "xkv/text/TextX.h"
#include "xkv/types/Fixed.h"
#include "xkv/velkor/Velkor.h"

using namespace textimpl;

namespace {

constexpr unsigned long kInnerEventMask = KeyPressMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask |
                                          ExposureMask;
constexpr Time kPressInterval = 250;
constexpr Time kReleaseInterval = 300;
constexpr int kClickSlack = 3;
constexpr int kBarThickness = 15;
constexpr int kMinFramePixels = 4;

struct BkTxPart {
    Dimension dpiFont;
};

struct BkTxRec {
    CorePart core;
    BkTxPart bkTx;
};

struct BkTxClassPart {
    int unused;
};

struct BkTxClassRec {
    CoreClassPart core_class;
    BkTxClassPart bkTx_class;
};

// The state of the one edit window.
struct EditWindow {
    Widget toplevel = nullptr;
    Widget shell = nullptr;
    Widget viewport = nullptr;
    Widget widget = nullptr;
    Window inner = 0;
    GC normal = nullptr;
    GC inverse = nullptr;
    Pixel foreground = 0;
    Pixel background = 1;
    Widget pageWindow = nullptr;
    Window parentWindow = 0;
    bool hidden = false;
    bool dragMode = false;
    bool scrollBars = true;
    Time pressTime = 0;
    int pressX = 0;
    int pressY = 0;
    int clickCount = 0;
    TextPosition dragStart;
    Time lastEventTime = CurrentTime;
    std::vector<char> owned;  // what PRIMARY holds while the widget owns it
};

EditWindow edit;

char* Str(const char* text)
{
    return const_cast<char*>(text);
}

MemHandle EditedText()
{
    return TextWidget_CurrentText();
}

bool Editing()
{
    return edit.widget != nullptr && EditedText() != 0;
}

void NoteTime(XEvent* event)
{
    switch (event->type) {
    case KeyPress:
    case KeyRelease:
        edit.lastEventTime = event->xkey.time;
        break;
    case ButtonPress:
    case ButtonRelease:
        edit.lastEventTime = event->xbutton.time;
        break;
    case MotionNotify:
        edit.lastEventTime = event->xmotion.time;
        break;
    default:
        break;
    }
}

// The pointer position of an event, relative to the frame.
void EventPoint(XEvent* event, int* x, int* y)
{
    *x = event->xbutton.x;
    *y = event->xbutton.y;
    if (event->xany.window != edit.inner && event->xany.window != 0 && edit.widget != nullptr &&
        event->xany.window == XtWindow(edit.widget)) {
        int32_t width = 0;
        int32_t height = 0;
        TextWidget_FramePixels(&width, &height);
        *x -= width;
        *y -= height;
    }
}

bool IsWordDelimiter(uint8_t c)
{
    return c != 0 && IsBreakCharacter(c);
}

void DropSelection(MemHandle handle)
{
    TextLock text(handle);
    if (text) {
        text->anchorColumn = -1;
        text->anchorLine = 0;
    }
}

// Selects by the click count: 2 the word at the cursor, 3 its line.
void SelectByCount(MemHandle handle, int count)
{
    TextLock text(handle);
    if (!text) {
        return;
    }
    text->anchorColumn = -1;
    text->anchorLine = 0;
    LineLock line(text->cursorLine);
    if (!line) {
        return;
    }
    if (count == 3) {
        text->cursorColumn = 0;
        text->anchorLine = text->cursorLine;
        text->anchorColumn = static_cast<int16_t>(line->length);
        return;
    }
    if (count != 2) {
        return;
    }
    std::vector<Cell> cells = ReadCells(*line);
    size_t start = std::min<size_t>(text->cursorColumn, cells.size());
    size_t end = start;
    while (end < cells.size() && !IsWordDelimiter(cells[end].c)) {
        ++end;
    }
    while (start > 0 && !IsWordDelimiter(cells[start - 1].c)) {
        --start;
    }
    text->cursorColumn = static_cast<uint16_t>(start);
    if (end > start) {
        text->anchorLine = text->cursorLine;
        text->anchorColumn = static_cast<int16_t>(end);
    }
}

// Takes the selection out before typing; its characters become the
// selection buffer's.
void DeleteSelectionBeforeTyping(MemHandle handle)
{
    if (Text_HasSelection() == 0) {
        return;
    }
    std::vector<uint8_t> characters;
    Text_DeleteSelection(handle, &characters, nullptr);
    std::string kept;
    for (uint8_t c : characters) {
        if (c != 0) {
            kept.push_back(static_cast<char>(c));
        }
    }
    if (!kept.empty()) {
        Text_SetSelectionBuffer(kept.data(), static_cast<uint32_t>(kept.size()));
    }
}

void InsertTyped(MemHandle handle, const char* characters, size_t count)
{
    std::vector<uint8_t> bytes(characters, characters + count);
    uint32_t n = Text_StripControls(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (n > 0) {
        Text_InsertAtCursor(handle, bytes.data(), n, nullptr);
    }
}

bool OwnsPrimary()
{
    return edit.widget != nullptr && XtWindow(edit.widget) != 0 &&
           XGetSelectionOwner(XtDisplay(edit.widget), XA_PRIMARY) == XtWindow(edit.widget);
}

// ---- Actions ----

void SetCursorAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    MemHandle handle = EditedText();
    if (!Editing() || event->type != ButtonPress) {
        return;
    }
    int x = 0;
    int y = 0;
    EventPoint(event, &x, &y);
    if (edit.dragMode) {
        edit.pressX = x;
        edit.pressY = y;
        return;
    }
    bool continues = edit.clickCount != 0 && event->xbutton.time - edit.pressTime <= kPressInterval &&
                     std::abs(x - edit.pressX) <= kClickSlack && std::abs(y - edit.pressY) <= kClickSlack;
    if (!continues) {
        edit.pressX = x;
        edit.pressY = y;
        edit.pressTime = event->xbutton.time;
        edit.clickCount = 0;
    }
    if (edit.clickCount == 0) {
        Text_HideSelection(handle);
        DropSelection(handle);
        Text_SetCursorAtPixel(handle, x, y);
        TextLock text(handle);
        edit.dragStart = {text->cursorLine, text->cursorColumn};
    }
}

void SetBufferAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    MemHandle handle = EditedText();
    if (!Editing() || event->type != ButtonRelease || edit.dragMode) {
        return;
    }
    int x = 0;
    int y = 0;
    EventPoint(event, &x, &y);
    bool counted = event->xbutton.time - edit.pressTime <= kReleaseInterval &&
                   std::abs(x - edit.pressX) <= kClickSlack && std::abs(y - edit.pressY) <= kClickSlack;
    if (counted) {
        edit.clickCount = edit.clickCount >= 3 ? 1 : edit.clickCount + 1;
        edit.pressTime = event->xbutton.time;
        edit.pressX = x;
        edit.pressY = y;
        if (edit.clickCount >= 2) {
            Text_HideSelection(handle);
            SelectByCount(handle, edit.clickCount);
        }
    } else {
        edit.clickCount = 0;
    }
    if (Text_HasSelection() != 0) {
        Text_ShowSelection(handle);
        TextWidget_ClaimSelection(handle);
    } else {
        Text_ShowCursor(handle);
    }
}

void ExtendSelectAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    MemHandle handle = EditedText();
    if (!Editing()) {
        return;
    }
    Display* display = XtDisplay(edit.widget);
    if (event->type == MotionNotify) {
        XEvent later;
        while (XCheckTypedWindowEvent(display, event->xany.window, MotionNotify, &later)) {
            *event = later;
        }
    }
    int x = 0;
    int y = 0;
    EventPoint(event, &x, &y);
    if (edit.dragMode) {
        // The text follows the pointer's movement since the last position.
        Text_DragBy(handle, x - edit.pressX, y - edit.pressY, 1);
        edit.pressX = x;
        edit.pressY = y;
        return;
    }
    TextPosition pointer = Text_PositionAtPixel(handle, x, y);
    {
        TextLock text(handle);
        if (event->type == ButtonPress && text->anchorColumn < 0) {
            edit.dragStart = {text->cursorLine, text->cursorColumn};
        }
        if (edit.dragStart.line == 0) {
            edit.dragStart = {text->cursorLine, text->cursorColumn};
        }
        uint32_t press = OffsetOf(*text, edit.dragStart);
        uint32_t at = OffsetOf(*text, pointer);
        if (at == press) {
            text->cursorLine = edit.dragStart.line;
            text->cursorColumn = edit.dragStart.column;
            text->anchorColumn = -1;
            text->anchorLine = 0;
        } else {
            TextPosition first = at < press ? pointer : edit.dragStart;
            TextPosition second = at < press ? edit.dragStart : pointer;
            text->cursorLine = first.line;
            text->cursorColumn = first.column;
            text->anchorLine = second.line;
            text->anchorColumn = static_cast<int16_t>(second.column);
        }
    }
    Text_ShowSelection(handle);
}

void EndSelectAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    if (Editing() && !edit.dragMode && Text_HasSelection() != 0) {
        TextWidget_ClaimSelection(EditedText());
    }
}

void GetCharAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    MemHandle handle = EditedText();
    if (!Editing() || event->type != KeyPress) {
        return;
    }
    char buffer[8] = {};
    KeySym keysym = NoSymbol;
    int count = XLookupString(&event->xkey, buffer, 1, &keysym, nullptr);
    if (count != 1 || (keysym >= XK_Shift_L && keysym <= XK_Hyper_R)) {
        return;
    }
    auto c = static_cast<uint8_t>(buffer[0]);
    if (c < 32 && c != '\t' && c != '\n' && c != '\r' && c != 27) {
        return;
    }
    if (c == 27 && Text_EditingState() == kEditingLabel && Text_HasLabel() != 0) {
        // Escape cancels the label command while its label is written.
        Comm_PostCancel();
        Comm_ProcessEvents();
        return;
    }
    if (c == 27) {
        // Escape belongs to the page window's own key handling.
        if (edit.parentWindow != 0) {
            XEvent copy = *event;
            copy.xkey.window = edit.parentWindow;
            XtDispatchEvent(&copy);
        }
        return;
    }
    DeleteSelectionBeforeTyping(handle);
    InsertTyped(handle, buffer, 1);
}

void InsertSelectAction(Widget widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    if (!Editing() || edit.dragMode) {
        return;
    }
    Display* display = XtDisplay(widget);
    if (XGetSelectionOwner(display, XA_PRIMARY) != None) {
        XConvertSelection(display, XA_PRIMARY, XA_STRING, XA_STRING, XtWindow(widget), event->xbutton.time);
        return;
    }
    int count = 0;
    char* bytes = XFetchBytes(display, &count);
    if (bytes != nullptr) {
        MemHandle handle = EditedText();
        if (count > 0) {
            DeleteSelectionBeforeTyping(handle);
            InsertTyped(handle, bytes, static_cast<size_t>(count));
        }
        XFree(bytes);
    }
}

void ForwardAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    if (Editing()) {
        Text_MoveCursor(EditedText(), 1);
    }
}

void BackwardAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    if (Editing()) {
        Text_MoveCursor(EditedText(), -1);
    }
}

void DeletePreviousAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    MemHandle handle = EditedText();
    if (!Editing()) {
        return;
    }
    if (Text_HasSelection() != 0) {
        DeleteSelectionBeforeTyping(handle);
    } else {
        Text_DeleteChars(handle, -1);
    }
}

void NewlineAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    MemHandle handle = EditedText();
    if (!Editing()) {
        return;
    }
    DeleteSelectionBeforeTyping(handle);
    const uint8_t lineFeed = '\n';
    Text_InsertAtCursor(handle, &lineFeed, 1, nullptr);
}

void RedrawAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    if (Editing()) {
        Text_RedisplayAndShowCursor(EditedText(), 1);
    }
}

void VerticalMove(bool down)
{
    MemHandle handle = EditedText();
    if (!Editing()) {
        return;
    }
    {
        TextLock text(handle);
        MemHandle target = down ? NextLine(text->cursorLine) : PreviousLine(text->cursorLine);
        if (target == 0) {
            return;
        }
        LineLock line(target);
        text->anchorColumn = -1;
        text->anchorLine = 0;
        text->cursorLine = target;
        text->cursorColumn = std::min(text->cursorColumn, line->length);
    }
    Text_SetCursorVisible(handle);
    Text_RedisplayAndShowCursor(handle, 0);
}

void DownAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    VerticalMove(true);
}

void UpAction(Widget, XEvent* event, String*, Cardinal*)
{
    NoteTime(event);
    VerticalMove(false);
}

void UnhighlightAction(Widget, XEvent*, String*, Cardinal*)
{
    MemHandle handle = EditedText();
    if (Editing() && Text_HasSelection() != 0) {
        DropSelection(handle);
        Text_ShowCursor(handle);
    }
}

// Answers another client's request for PRIMARY: the targets it can have, or
// the characters as STRING, TEXT or UTF8_STRING (they are plain ASCII); any
// other request is refused with property None.
void SelOutputAction(Widget widget, XEvent* event, String*, Cardinal*)
{
    if (event->type != SelectionRequest) {
        return;
    }
    XSelectionRequestEvent& request = event->xselectionrequest;
    Display* display = XtDisplay(widget);
    Atom targets = XInternAtom(display, "TARGETS", False);
    Atom text = XInternAtom(display, "TEXT", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom timestamp = XInternAtom(display, "TIMESTAMP", False);
    Atom property = request.property != None ? request.property : request.target;
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    if (request.selection == XA_PRIMARY && !edit.owned.empty()) {
        if (request.target == targets) {
            Atom offered[] = {targets, timestamp, XA_STRING, text, utf8};
            XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(offered), static_cast<int>(std::size(offered)));
            reply.xselection.property = property;
        } else if (request.target == timestamp) {
            long time = static_cast<long>(edit.lastEventTime);
            XChangeProperty(display, request.requestor, property, XA_INTEGER, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&time), 1);
            reply.xselection.property = property;
        } else if (request.target == XA_STRING || request.target == text || request.target == utf8) {
            Atom type = request.target == utf8 ? utf8 : XA_STRING;
            XChangeProperty(display, request.requestor, property, type, 8, PropModeReplace,
                            reinterpret_cast<unsigned char*>(edit.owned.data()),
                            static_cast<int>(edit.owned.size()));
            reply.xselection.property = property;
        }
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    XFlush(display);
}

void SelInputAction(Widget widget, XEvent* event, String*, Cardinal*)
{
    if (event->type != SelectionNotify || event->xselection.property == None || !Editing()) {
        return;
    }
    Display* display = XtDisplay(widget);
    MemHandle handle = EditedText();
    long offset = 0;
    bool first = true;
    while (true) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, XtWindow(widget), event->xselection.property, offset, 10000, True,
                               AnyPropertyType, &type, &format, &items, &remaining, &data) != Success) {
            break;
        }
        if (type != XA_STRING || format != 8) {
            if (data != nullptr) {
                XFree(data);
            }
            break;
        }
        if (first) {
            DeleteSelectionBeforeTyping(handle);
            first = false;
        }
        if (items > 0) {
            InsertTyped(handle, reinterpret_cast<const char*>(data), items);
        }
        XFree(data);
        offset += static_cast<long>((items + 3) / 4);
        if (remaining == 0) {
            break;
        }
    }
}

XtActionsRec actions[] = {
    {Str("setCursor"), SetCursorAction},       {Str("setBuffer"), SetBufferAction},
    {Str("extendSelect"), ExtendSelectAction}, {Str("getChar"), GetCharAction},
    {Str("insertSelect"), InsertSelectAction}, {Str("forwardChr"), ForwardAction},
    {Str("backwardChr"), BackwardAction},      {Str("deletePreChr"), DeletePreviousAction},
    {Str("newline"), NewlineAction},           {Str("redraw"), RedrawAction},
    {Str("down"), DownAction},                 {Str("up"), UpAction},
    {Str("endSelect"), EndSelectAction},       {Str("unhighlight"), UnhighlightAction},
    {Str("selOutput"), SelOutputAction},       {Str("selInput"), SelInputAction},
};

const char kTranslations[] =
    "<Btn1Down>:\tsetCursor() \n     <Btn1Up>:\t\tsetBuffer() \n     <Btn1Motion>:\textendSelect() \n"
    "     <Btn2Down>:\tinsertSelect() \n     <Btn3Down>:\textendSelect() \n     <Btn3Motion>:\textendSelect() \n"
    "     <Btn3Up>:\t\tendSelect() \n     <SelectionClear>:  unhighlight() \n"
    "     <SelectionRequest>:selOutput() \n     <SelectionNotify>: selInput() \n     Ctrl<Key>L:\tredraw() \n"
    "     <Key>Right:\tforwardChr() \n     <Key>Left:\t\tbackwardChr() \n     <Key>Down:\t\tdown() \n"
    "     <Key>Up:\t\tup() \n     <Key>Delete:\tdeletePreChr() \n     <Key>BackSpace:\tdeletePreChr() \n"
    "     <Key>Linefeed:\tnewline() \n     <Key>Return:\tnewline() \n     <Key>:\t\tgetChar()";

// Merged over the translations when the toolkit has Motif's virtual keys.
const char kOsfTranslations[] =
    "\t<Key>osfBackSpace:\tdeletePreChr()\n\t<Key>osfDelete:\t\tdeletePreChr()\n\t<Key>osfRight:  \tforwardChr() \n"
    "\t<Key>osfLeft:\t\tbackwardChr() \n\t<Key>osfDown:\t\tdown() \n\t<Key>osfUp:\t\tup() \n";

XtResource resources[] = {
    {Str("dpiFont"), Str("DpiFont"), Str(XtRDimension), sizeof(Dimension), XtOffsetOf(BkTxRec, bkTx.dpiFont),
     Str(XtRImmediate), reinterpret_cast<XtPointer>(75)},
};

void Initialize(Widget, Widget created, ArgList, Cardinal*)
{
    Text_SetFontDpi(reinterpret_cast<BkTxRec*>(created)->bkTx.dpiFont);
}

void Realize(Widget widget, XtValueMask* mask, XSetWindowAttributes* attributes)
{
    XtCreateWindow(widget, InputOutput, CopyFromParent, *mask, attributes);
    Display* display = XtDisplay(widget);
    Dimension width = std::max<Dimension>(widget->core.width, 3);
    Dimension height = std::max<Dimension>(widget->core.height, 3);
    edit.inner = XCreateSimpleWindow(display, XtWindow(widget), width / 3, height / 3, width / 3, height / 3, 0,
                                     edit.foreground, edit.background);
    XSelectInput(display, edit.inner, kInnerEventMask);
    XtRegisterDrawable(display, edit.inner, widget);
    XGCValues values{};
    values.foreground = edit.foreground;
    values.background = edit.background;
    edit.normal = XCreateGC(display, XtWindow(widget), GCForeground | GCBackground, &values);
    values.foreground = edit.background;
    values.background = edit.foreground;
    edit.inverse = XCreateGC(display, XtWindow(widget), GCForeground | GCBackground, &values);
    XMapRaised(display, edit.inner);
}

void Resize(Widget widget)
{
    if (XtIsRealized(widget) && edit.inner != 0) {
        Dimension width = std::max<Dimension>(widget->core.width, 3);
        Dimension height = std::max<Dimension>(widget->core.height, 3);
        XMoveResizeWindow(XtDisplay(widget), edit.inner, width / 3, height / 3, width / 3, height / 3);
    }
}

void ExposeText(Widget, XEvent*, Region)
{
    if (Editing() && Text_EditingState() == kEditingText) {
        Text_RedisplayAndShowCursor(EditedText(), 0);
    }
}

BkTxClassRec bkTxClassRec = {
    {
        /* superclass */ reinterpret_cast<WidgetClass>(&widgetClassRec),
        /* class_name */ Str("BkTx"),
        /* widget_size */ sizeof(BkTxRec),
        /* class_initialize */ nullptr,
        /* class_part_initialize */ nullptr,
        /* class_inited */ False,
        /* initialize */ Initialize,
        /* initialize_hook */ nullptr,
        /* realize */ Realize,
        /* actions */ actions,
        /* num_actions */ XtNumber(actions),
        /* resources */ resources,
        /* num_resources */ XtNumber(resources),
        /* xrm_class */ NULLQUARK,
        /* compress_motion */ True,
        /* compress_exposure */ XtExposeCompressMultiple,
        /* compress_enterleave */ True,
        /* visible_interest */ False,
        /* destroy */ nullptr,
        /* resize */ Resize,
        /* expose */ ExposeText,
        /* set_values */ nullptr,
        /* set_values_hook */ nullptr,
        /* set_values_almost */ XtInheritSetValuesAlmost,
        /* get_values_hook */ nullptr,
        /* accept_focus */ nullptr,
        /* version */ XtVersion,
        /* callback_private */ nullptr,
        /* tm_table */ Str(kTranslations),
        /* query_geometry */ XtInheritQueryGeometry,
        /* display_accelerator */ XtInheritDisplayAccelerator,
        /* extension */ nullptr,
    },
    {0},
};

WidgetClass bkTxWidgetClass = reinterpret_cast<WidgetClass>(&bkTxClassRec);

// The viewport's scroll bars, when the toolkit hands them their own events,
// scroll the edited text instead of moving the editing widget: the vertical
// one by whole lines, the horizontal one by moving the text in the frame.
void VerticalScrolled(Widget, XtPointer, XtPointer callData)
{
    auto pixels = static_cast<int32_t>(reinterpret_cast<intptr_t>(callData));
    if (pixels != 0) {
        Text_ScrollVertical(nullptr, pixels);
    }
}

void VerticalJumped(Widget, XtPointer, XtPointer callData)
{
    const auto* fraction = static_cast<const float*>(callData);
    MemHandle handle = EditedText();
    MemHandle target = 0;
    {
        TextLock text(handle);
        if (!text || fraction == nullptr) {
            return;
        }
        auto index = static_cast<uint32_t>(std::clamp(*fraction, 0.0f, 1.0f) * static_cast<float>(text->lineCount));
        target = text->firstLine;
        for (uint32_t i = 0; i < index && NextLine(target) != 0; ++i) {
            target = NextLine(target);
        }
    }
    Text_SetTopLine(handle, target);
    Text_RedisplayAndShowCursor(handle, 1);
}

void HorizontalScrolled(Widget, XtPointer, XtPointer callData)
{
    auto pixels = static_cast<int32_t>(reinterpret_cast<intptr_t>(callData));
    TextWidget_ScrollTo(-pixels, 0);
}

Widget ScrollBar(const char* name)
{
    return edit.viewport != nullptr ? XtNameToWidget(edit.viewport, name) : nullptr;
}

void TakeOverScrollBars()
{
    for (const char* name : {"vertical", "horizontal"}) {
        Widget bar = ScrollBar(name);
        if (bar == nullptr) {
            continue;
        }
        XtRemoveAllCallbacks(bar, XtNscrollProc);
        XtRemoveAllCallbacks(bar, XtNjumpProc);
        if (std::strcmp(name, "vertical") == 0) {
            XtAddCallback(bar, XtNscrollProc, VerticalScrolled, nullptr);
            XtAddCallback(bar, XtNjumpProc, VerticalJumped, nullptr);
        } else {
            XtAddCallback(bar, XtNscrollProc, HorizontalScrolled, nullptr);
        }
    }
}

void FramePixelsOf(const TextRec& text, int32_t* width, int32_t* height)
{
    Fixed w = text.frameWidth > 0x1fff8000 ? kUnboundedFrame - text.frameWidth : text.frameWidth;
    int32_t pw = 0;
    int32_t ph = 0;
    Window_LengthToPixels(edit.pageWindow, w, &pw);
    Window_LengthToPixels(edit.pageWindow, text.frameHeight, &ph);
    *width = std::max<int32_t>(pw, kMinFramePixels);
    *height = std::max<int32_t>(ph, kMinFramePixels);
}

// The widest line of a text, in pixels.
int32_t LinesPixelWidth(const TextRec& text)
{
    Fixed widest = 0;
    for (MemHandle line = text.firstLine; line != 0; line = NextLine(line)) {
        LineLock l(line);
        widest = std::max(widest, Fix_Add(l->width, l->x));
    }
    int32_t pixels = 0;
    Window_LengthToPixels(edit.pageWindow, widest, &pixels);
    return pixels;
}

// Size and place of the editing widget in the viewport: three times the
// frame (or, for a text that does not wrap, three times its widest line) with
// the frame in the middle third, moved by the text's scroll offsets and kept
// so that it covers the visible frame.
struct WidgetPlace {
    int32_t x, y, width, height;
    int32_t frameWidth, frameHeight;
};

int32_t ClampPlace(int32_t position, int32_t visible, int32_t size)
{
    return std::clamp(position, std::min(visible - size, 0), 0);
}

WidgetPlace PlaceOf(const TextRec& text)
{
    WidgetPlace place{};
    FramePixelsOf(text, &place.frameWidth, &place.frameHeight);
    int32_t third = place.frameWidth;
    if (text.noWrap != 0) {
        third = std::max(third, LinesPixelWidth(text));
    }
    third = std::min(third, 32767 / 3);
    place.width = 3 * third;
    place.height = 3 * std::min(place.frameHeight, 32767 / 3);
    int32_t sx = 0;
    int32_t sy = 0;
    Window_LengthToPixels(edit.pageWindow, text.scrollX, &sx);
    Window_LengthToPixels(edit.pageWindow, text.scrollY, &sy);
    place.x = ClampPlace(-third + sx, place.frameWidth, place.width);
    place.y = ClampPlace(-place.height / 3 + sy, place.frameHeight, place.height);
    return place;
}

// Puts the widget at its place; the viewport keeps its own coordinates of
// the view (the negated widget position).
void ApplyPlace(const WidgetPlace& place)
{
    XtConfigureWidget(edit.widget, static_cast<Position>(place.x), static_cast<Position>(place.y),
                      static_cast<Dimension>(place.width), static_cast<Dimension>(place.height), 0);
    XawViewportSetCoordinates(edit.viewport, static_cast<Position>(-place.x), static_cast<Position>(-place.y));
}

}  // namespace

// ---- Building ----

void TextWidget_Build(Widget toplevel, EditNotifier notifier)
{
    Text_SetEditNotifier(notifier);
    if (edit.shell != nullptr || toplevel == nullptr) {
        return;
    }
    edit.toplevel = toplevel;
    Display* display = XtDisplay(toplevel);
    Text_UseDisplayFonts(display);
    edit.shell = XtVaCreatePopupShell("text", overrideShellWidgetClass, toplevel, XtNx, 0, XtNy, 0, XtNborderWidth,
                                      1, XtNallowShellResize, True, XtNsaveUnder, False, nullptr);
    XtResource colours[] = {
        {Str("foreground"), Str("Foreground"), Str(XtRPixel), sizeof(Pixel), 0, Str(XtRString),
         Str(XtDefaultForeground)},
        {Str("background"), Str("Background"), Str(XtRPixel), sizeof(Pixel), sizeof(Pixel), Str(XtRString),
         Str(XtDefaultBackground)},
    };
    Pixel pixels[2] = {0, 0};
    XtGetApplicationResources(edit.shell, pixels, colours, XtNumber(colours), nullptr, 0);
    edit.foreground = pixels[0];
    edit.background = pixels[1];
    edit.viewport = XtVaCreateManagedWidget("viewport", viewportWidgetClass, edit.shell, XtNx, 0, XtNy, 0, XtNwidth,
                                            100, XtNheight, 100, XtNallowHoriz, True, XtNallowVert, True,
                                            XtNuseBottom, True, XtNuseRight, True, XtNforceBars, True,
                                            XtNborderWidth, 1, XtNforeground, edit.foreground, XtNbackground,
                                            edit.background, nullptr);
    edit.widget = XtVaCreateManagedWidget("braskText", bkTxWidgetClass, edit.viewport, XtNx, -100, XtNy, -100,
                                          XtNwidth, 300, XtNheight, 300, XtNborderWidth, 1, XtNbackground,
                                          edit.background, nullptr);
    if (Velkor_MotifAvailable() != 0) {
        XtOverrideTranslations(edit.widget, XtParseTranslationTable(kOsfTranslations));
    }
    XtRealizeWidget(edit.shell);
    TakeOverScrollBars();
    Cursor beam = XCreateFontCursor(display, XC_xterm);
    XDefineCursor(display, XtWindow(edit.shell), beam);
    XSelectInput(display, XtWindow(edit.viewport), KeyPressMask | ExposureMask | StructureNotifyMask);
}

void TextWidget_Destroy()
{
    if (edit.shell == nullptr) {
        return;
    }
    Display* display = XtDisplay(edit.shell);
    if (edit.inner != 0) {
        XtUnregisterDrawable(display, edit.inner);
    }
    if (edit.normal != nullptr) {
        XFreeGC(display, edit.normal);
    }
    if (edit.inverse != nullptr) {
        XFreeGC(display, edit.inverse);
    }
    XtDestroyWidget(edit.shell);
    edit = EditWindow{};
}

void Text_CreateEditWindow(EditNotifier notifier)
{
    TextWidget_Build(Velkor_Settings().toplevel, notifier);
}

void Text_InitWindows(void (*notify)(uint32_t block))
{
    Text_SetTabSize(Velkor_Settings().tabSize);
    Text_CreateEditWindow(notify);
}

const char* TextWidget_SelectionBuffer(uint32_t* length)
{
    const std::vector<char>& buffer = Text_SelectionBuffer();
    if (length != nullptr) {
        *length = static_cast<uint32_t>(buffer.size());
    }
    return buffer.data();
}

Pixel Text_ForegroundPixel()
{
    return edit.foreground;
}

Pixel Text_BackgroundPixel()
{
    return edit.background;
}

Widget TextWidget_Widget()
{
    return edit.widget;
}

Widget TextWidget_Shell()
{
    return edit.shell;
}

TextDrawTarget TextWidget_DrawTarget()
{
    if (edit.widget == nullptr || !XtIsRealized(edit.widget)) {
        return {};
    }
    Drawable window = edit.inner;
    if ((Text_EditingState() == kEditingLabel || edit.dragMode) && edit.pageWindow != nullptr) {
        window = XtWindow(edit.pageWindow);
    }
    return TextDrawTarget{XtDisplay(edit.widget), window, edit.normal, edit.inverse};
}

void TextWidget_FramePixels(int32_t* width, int32_t* height)
{
    *width = kMinFramePixels;
    *height = kMinFramePixels;
    TextLock text(EditedText());
    if (text) {
        FramePixelsOf(*text, width, height);
    }
}

Widget TextWidget_PageWindow()
{
    return edit.pageWindow;
}

// ---- Placing, showing and hiding ----

void TextWidget_PlaceOnWindow(Widget pageWindow)
{
    edit.pageWindow = pageWindow;
    if (edit.shell == nullptr || pageWindow == nullptr || !XtIsRealized(pageWindow)) {
        return;
    }
    TextLock text(EditedText());
    if (!text) {
        return;
    }
    if (text->label != 0) {
        edit.parentWindow = XtWindow(pageWindow);
        return;
    }
    Display* display = XtDisplay(edit.shell);
    int32_t x = 0;
    int32_t y = 0;
    Window_PageToPixel(pageWindow, FixPoint{text->frameX, text->frameY}, &x, &y);
    int32_t width = 0;
    int32_t height = 0;
    FramePixelsOf(*text, &width, &height);
    edit.scrollBars = text->scrollBars != 0;
    XtVaSetValues(edit.viewport, XtNallowHoriz, edit.scrollBars, XtNallowVert, edit.scrollBars, XtNforceBars,
                  edit.scrollBars, nullptr);
    TakeOverScrollBars();
    int bars = edit.scrollBars ? kBarThickness + 2 : 0;
    XtConfigureWidget(edit.shell, static_cast<Position>(std::clamp(x, -32768, 32767)),
                      static_cast<Position>(std::clamp(y, -32768, 32767)),
                      static_cast<Dimension>(std::clamp(width + bars, 1, 32767)),
                      static_cast<Dimension>(std::clamp(height + bars, 1, 32767)), 1);
    if (edit.parentWindow != XtWindow(pageWindow)) {
        XReparentWindow(display, XtWindow(edit.shell), XtWindow(pageWindow), x, y);
        edit.parentWindow = XtWindow(pageWindow);
    } else {
        XMoveWindow(display, XtWindow(edit.shell), x, y);
    }
}

void TextWidget_Show()
{
    if (edit.widget == nullptr || edit.pageWindow == nullptr || Text_EditingState() != kEditingText) {
        return;
    }
    edit.hidden = false;
    {
        TextLock text(EditedText());
        if (!text) {
            return;
        }
        ApplyPlace(PlaceOf(*text));
    }
    Resize(edit.widget);
    TextWidget_UpdateScrollBars();
    if (edit.dragMode) {
        return;
    }
    XtPopup(edit.shell, XtGrabNone);
    XRaiseWindow(XtDisplay(edit.shell), XtWindow(edit.shell));
    Text_RedisplayAndShowCursor(EditedText(), 1);
}

void TextWidget_EnterDragMode()
{
    if (Text_EditingState() == kEditingText && !edit.dragMode) {
        edit.dragMode = true;
        TextWidget_Hide();
        Text_DamageTextBox(EditedText());
    }
}

void TextWidget_LeaveDragMode()
{
    if (edit.dragMode) {
        edit.dragMode = false;
        if (Text_EditingState() == kEditingText) {
            TextWidget_PlaceOnWindow(edit.pageWindow);
            TextWidget_Show();
        }
    }
}

uint32_t TextWidget_DragMode()
{
    return edit.dragMode ? 1 : 0;
}

void TextWidget_Hide()
{
    if (edit.shell != nullptr) {
        XtPopdown(edit.shell);
    }
}

void TextWidget_Release()
{
    if (edit.shell == nullptr) {
        return;
    }
    XtPopdown(edit.shell);
    Display* display = XtDisplay(edit.shell);
    XReparentWindow(display, XtWindow(edit.shell), DefaultRootWindow(display), 0, 0);
    edit.parentWindow = 0;
}

void TextWidget_SetScrollBars(uint32_t flag)
{
    if (edit.shell == nullptr || (flag != 0) == edit.scrollBars) {
        return;
    }
    TextWidget_PlaceOnWindow(edit.pageWindow);
    TextWidget_Show();
}

void TextWidget_UpdateScrollBars()
{
    if (edit.viewport == nullptr) {
        return;
    }
    Widget horizontal = ScrollBar("horizontal");
    if (horizontal != nullptr && edit.widget->core.width > 0) {
        double whole = edit.widget->core.width;
        int32_t frameWidth = 0;
        int32_t frameHeight = 0;
        TextWidget_FramePixels(&frameWidth, &frameHeight);
        XawScrollbarSetThumb(horizontal, static_cast<float>(-edit.widget->core.x / whole),
                             static_cast<float>(std::min(frameWidth / whole, 1.0)));
    }
    Widget bar = ScrollBar("vertical");
    TextLock text(EditedText());
    if (bar == nullptr || !text) {
        return;
    }
    LineLock top(text->topLine);
    double h = top ? top->height : 0;
    double frame = text->frameHeight;
    double whole = frame + (static_cast<double>(text->lineCount) - 1) * h;
    if (whole <= 0) {
        return;
    }
    XawScrollbarSetThumb(bar, static_cast<float>(h * text->topLineIndex / whole), static_cast<float>(frame / whole));
}

uint32_t TextWidget_ScrollTo(int32_t x, int32_t y)
{
    MemHandle handle = EditedText();
    if (edit.widget == nullptr || handle == 0) {
        return 0;
    }
    {
        TextLock text(handle);
        if (!text) {
            return 0;
        }
        WidgetPlace place = PlaceOf(*text);
        place.x = edit.widget->core.x;
        place.y = edit.widget->core.y;
        const int32_t oldWidth = edit.widget->core.width;
        if (text->noWrap != 0 && place.width > oldWidth) {
            // A text whose lines outgrew the widget: wider, shifted left by a
            // third of the growth so the frame keeps showing the same part.
            place.x -= (place.width - oldWidth) / 3;
        } else {
            place.width = oldWidth;
        }
        place.height = std::max<int32_t>(edit.widget->core.height, 1);
        const int32_t newX = ClampPlace(place.x + x, place.frameWidth, place.width);
        const int32_t newY = ClampPlace(place.y + y, place.frameHeight, place.height);
        if (newX == edit.widget->core.x && newY == edit.widget->core.y && place.width == oldWidth) {
            return 0;
        }
        place.x = newX;
        place.y = newY;
        ObjectHandle page = Model_GetPage(text->owner);
        text->scrollX = Window_PixelsToPage(page, newX + place.width / 3, 0);
        text->scrollY = Window_PixelsToPage(page, newY + place.frameHeight, 1);
        ApplyPlace(place);
    }
    Resize(edit.widget);
    TextWidget_UpdateScrollBars();
    return 1;
}

void TextWidget_ScrollArea(int32_t dx, int32_t dy)
{
    TextDrawTarget target = TextWidget_DrawTarget();
    MemHandle handle = EditedText();
    if (target.display == nullptr || handle == 0 || (dx == 0 && dy == 0)) {
        return;
    }
    int32_t fx = 0;
    int32_t fy = 0;
    int32_t fw = 0;
    int32_t fh = 0;
    TextWidget_FramePixels(&fw, &fh);
    if (edit.dragMode) {
        TextLock text(handle);
        Window_PageToPixel(edit.pageWindow, FixPoint{text->frameX, text->frameY}, &fx, &fy);
    }
    const int32_t ax = std::abs(dx);
    const int32_t ay = std::abs(dy);
    if (ax < fw && ay < fh) {
        XCopyArea(target.display, target.window, target.window, target.normal, fx + std::max(-dx, 0),
                  fy + std::max(-dy, 0), static_cast<unsigned>(fw - ax), static_cast<unsigned>(fh - ay),
                  fx + std::max(dx, 0), fy + std::max(dy, 0));
    }
    // The uncovered strips: a column on the side the text left, a row above
    // or below.
    struct Strip {
        int32_t x, y, width, height;
    };
    const Strip strips[2] = {
        {dx > 0 ? fx : fx + fw - std::min(ax, fw), fy, std::min(ax, fw), fh},
        {fx, dy > 0 ? fy : fy + fh - std::min(ay, fh), fw, std::min(ay, fh)},
    };
    for (const Strip& strip : strips) {
        if (strip.width <= 0 || strip.height <= 0) {
            continue;
        }
        XFillRectangle(target.display, target.window, target.inverse, strip.x, strip.y,
                       static_cast<unsigned>(strip.width), static_cast<unsigned>(strip.height));
        if (edit.dragMode) {
            FixPoint corner{};
            FixPoint far{};
            Window_PixelToPage(edit.pageWindow, strip.x, strip.y, &corner);
            Window_PixelToPage(edit.pageWindow, strip.x + strip.width, strip.y + strip.height, &far);
            Window_AddDamage(edit.pageWindow, FixRect{corner.x, corner.y, far.x, far.y});
        }
    }
    if (edit.dragMode) {
        Window_FlushDamage();
    } else {
        Text_Redisplay(handle, 0);
    }
    XFlush(target.display);
}

void TextWidget_FrameRelative(XEvent* event)
{
    int32_t width = 0;
    int32_t height = 0;
    TextWidget_FramePixels(&width, &height);
    event->xbutton.x -= width;
    event->xbutton.y -= height;
}

void TextWidget_ClearArea(int32_t x, int32_t y, int32_t width, int32_t height)
{
    TextDrawTarget target = TextWidget_DrawTarget();
    if (target.display != nullptr) {
        XClearArea(target.display, target.window, x, y, static_cast<unsigned>(std::max(width, 0)),
                   static_cast<unsigned>(std::max(height, 0)), False);
    }
}

// ---- The X selection ----

uint32_t TextWidget_OwnSelection(MemHandle handle, Time time)
{
    TextPosition start;
    TextPosition end;
    {
        TextLock text(handle);
        if (!text || Text_SelectionEnds(text.get(), &start, &end) == 0) {
            return 1;
        }
    }
    if (edit.widget == nullptr || !XtIsRealized(edit.widget)) {
        return 0;
    }
    uint32_t length = 0;
    MemHandle block = Text_CopyOut(handle, &start, &end, &length, kRefDisplay);
    std::vector<char> characters;
    if (block != 0) {
        BlockLock<char> c(block);
        characters.assign(c.get(), c.get() + std::min(length, c.size()));
        Mem_Free(block);
    }
    Text_SetSelectionBuffer(characters.data(), static_cast<uint32_t>(characters.size()));
    edit.owned = characters;
    Display* display = XtDisplay(edit.widget);
    XSetSelectionOwner(display, XA_PRIMARY, XtWindow(edit.widget), time);
    if (OwnsPrimary()) {
        XStoreBytes(display, characters.data(), static_cast<int>(characters.size()));
        return 1;
    }
    DropSelection(handle);
    Text_ShowCursor(handle);
    return 0;
}

uint32_t TextWidget_ClaimSelection(MemHandle handle)
{
    if (edit.widget == nullptr || !XtIsRealized(edit.widget) || Text_HasSelection() == 0) {
        return 1;
    }
    Time time = edit.lastEventTime;
    if (time == CurrentTime) {
        // A server timestamp from an empty append to a property of our own.
        Display* display = XtDisplay(edit.widget);
        Atom property = XA_STRING;
        XChangeProperty(display, XtWindow(edit.widget), property, XA_STRING, 8, PropModeAppend, nullptr, 0);
        XEvent event;
        XWindowAttributes attributes;
        XGetWindowAttributes(display, XtWindow(edit.widget), &attributes);
        XSelectInput(display, XtWindow(edit.widget), attributes.your_event_mask | PropertyChangeMask);
        XChangeProperty(display, XtWindow(edit.widget), property, XA_STRING, 8, PropModeAppend, nullptr, 0);
        XWindowEvent(display, XtWindow(edit.widget), PropertyChangeMask, &event);
        time = event.xproperty.time;
    }
    return TextWidget_OwnSelection(handle, time);
}

// ---- The kernel's view of the editor ----

Widget Text_EditWidget(Window* window)
{
    if (window != nullptr) {
        *window = 0;
    }
    if (edit.widget != nullptr && window != nullptr && XtIsRealized(edit.widget)) {
        *window = edit.inner;
    }
    return edit.widget;
}

Window Text_FrameWindow()
{
    return edit.parentWindow;
}

uint32_t Text_PointOverEditedText(uint32_t handle, int16_t x, int16_t y)
{
    return Text_PointInLabel(handle, x, y);
}

namespace {

// Moves a pointer event onto the edit widget's drawing window. In editing
// state 1 the position is translated from the window the event came on into
// the drawing window; a label is drawn on the page window itself, so its
// positions stay as they are.
void Retarget(XEvent* event, uint32_t state)
{
    if (state == kEditingText && event->xany.window != edit.inner) {
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(event->xany.display, event->xany.window, edit.inner, event->xbutton.x,
                              event->xbutton.y, &x, &y, &child);
        event->xbutton.x = x;
        event->xbutton.y = y;
    }
    event->xany.window = edit.inner;
}

bool IsScrollBarWindow(Window window, const char* name)
{
    Widget bar = ScrollBar(name);
    return bar != nullptr && XtIsRealized(bar) && XtWindow(bar) == window;
}

bool IsPointerEvent(const XEvent* event)
{
    return event->type == ButtonPress || event->type == ButtonRelease || event->type == MotionNotify;
}

// Set by a press that went to the edit widget from the page window, so that
// the motion and the release of that press follow it there.
bool tracking = false;

// Drag mode: presses, motion and releases on the page window under the
// hidden edit window go to the editing widget, presses and releases at once.
uint32_t FilterInDragMode(XEvent* event, uint32_t state)
{
    if (IsPointerEvent(event) && event->xany.window == edit.parentWindow) {
        Retarget(event, state);
    }
    if ((event->type == ButtonPress || event->type == ButtonRelease) && event->xany.window == edit.inner) {
        XtDispatchEvent(event);
        return 0;
    }
    return 1;
}

// A label takes a press over its characters, or any press while a label is
// being placed, with the motion and the release that follow.
bool TakenByLabel(XEvent* event)
{
    if (event->type == ButtonPress || event->type == KeyPress) {
        const bool inside = Text_PointInLabel(0, event->xbutton.x, event->xbutton.y) != 0;
        const bool taken = inside || Text_HasLabel() != 0;
        if (event->type == ButtonPress) {
            tracking = taken;
        }
        return taken;
    }
    const bool taken = tracking;
    if (event->type == ButtonRelease) {
        tracking = false;
    }
    return taken;
}

// With clickSet the editor dispatches an event elsewhere at once and lets the
// commands it posted run; when they made another object's text the edited
// one, the event goes on to that text's edit window.
uint32_t DispatchClickSet(XEvent* event)
{
    const ObjectHandle before = TextWidget_EditedObject();
    const MemHandle beforeText = EditedText();
    XtDispatchEvent(event);
    Comm_ProcessEvents();
    const uint32_t now = Text_EditingState();
    const ObjectHandle after = TextWidget_EditedObject();
    if (now == kEditingNone || after == 0 || (after == before && EditedText() == beforeText)) {
        return 0;
    }
    tracking = event->type == ButtonPress;
    Retarget(event, now);
    return 1;
}

}  // namespace

uint32_t Text_FilterEvent(XEvent* event, uint32_t state)
{
    if (event == nullptr || state == kEditingNone || edit.widget == nullptr || !XtIsRealized(edit.widget) ||
        edit.inner == 0) {
        return 1;
    }
    if (edit.dragMode) {
        return FilterInDragMode(event, state);
    }
    const bool pointer = IsPointerEvent(event);
    if (!pointer && event->type != KeyPress) {
        return 1;
    }
    const Window window = event->xany.window;
    if (pointer && IsScrollBarWindow(window, "vertical")) {
        Text_ScrollVertical(event, 0);
        return 0;
    }
    if (pointer && IsScrollBarWindow(window, "horizontal")) {
        Text_ScrollHorizontal(event);
        return 0;
    }
    if (window == edit.inner) {
        return 1;
    }
    if (window == XtWindow(edit.widget)) {
        if (pointer) {
            TextWidget_FrameRelative(event);
        }
        event->xany.window = edit.inner;
        return 1;
    }
    // A press on the page window away from a pending label ends or moves it.
    if (state == kEditingLabel && event->type == ButtonPress && edit.pageWindow != nullptr &&
        window == XtWindow(edit.pageWindow) && Text_HasLabel() != 0 &&
        Text_PointInLabel(0, event->xbutton.x, event->xbutton.y) == 0 &&
        Text_LabelClick(event->xbutton.x, event->xbutton.y) != 0) {
        tracking = false;
        return 0;
    }
    if (state == kEditingLabel && TakenByLabel(event)) {
        Retarget(event, state);
        return 1;
    }
    if (!pointer || !Velkor_Settings().clickSet) {
        return 1;
    }
    return DispatchClickSet(event);
}

uint32_t Text_RoutePointerEvent(XEvent* event, uint32_t state)
{
    if (event == nullptr || !IsPointerEvent(event)) {
        return 1;
    }
    return Text_FilterEvent(event, state);
}

void Text_FollowScroll()
{
    if (Text_EditingState() == kEditingText && !edit.hidden) {
        TextWidget_PlaceOnWindow(edit.pageWindow);
        TextWidget_Show();
    }
}

void Text_PlaceEditWindow()
{
    Text_FollowScroll();
}

KernelStatus Text_HideEditWindow()
{
    if (Text_EditingState() == kEditingText) {
        edit.hidden = true;
        TextWidget_Hide();
    }
    return kStatusOk;
}

KernelStatus Text_ShowEditWindow()
{
    if (edit.hidden) {
        edit.hidden = false;
        TextWidget_PlaceOnWindow(edit.pageWindow);
        TextWidget_Show();
    }
    return kStatusOk;
}
