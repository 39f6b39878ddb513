// Focus field, default button, and the routing of keys and pointer presses
// that the main event switch hands to the open dialogs.
#include <X11/IntrinsicP.h>
#include <X11/StringDefs.h>
#include <X11/Xaw/Text.h>
#include <X11/keysym.h>

#include "xkv/dialog/DialogHost.h"
#include "xkv/dialog/DialogInternal.h"
#include "xkv/platform/sfselect/SelFile.h"

namespace {

bool IsFieldCode(int32_t code)
{
    return code == 1 || code == 5;
}

Widget FocusWidget(const DialogLevel& level)
{
    if (level.focusItem < 0 || level.focusItem >= static_cast<int32_t>(level.items.size())) {
        return nullptr;
    }
    return level.items[level.focusItem].widget;
}

void SetBorderWidth(Widget w, unsigned width)
{
    if (w != nullptr && XtIsRealized(w)) {
        XSetWindowBorderWidth(XtDisplay(w), XtWindow(w), width);
    }
}

// Collapses a text widget's selection at its start (or end) and returns
// whether there was a non-empty one.
bool CollapseSelection(Widget w, bool atStart)
{
    XawTextPosition begin = 0;
    XawTextPosition end = 0;
    XawTextGetSelectionPos(w, &begin, &end);
    const bool had = end > begin;
    if (had) {
        XawTextUnsetSelection(w);
        XawTextSetInsertionPoint(w, atStart ? begin : end);
    }
    return had;
}

int32_t LevelForKey(Window window)
{
    const int32_t level = Dialog_LevelOfWindow(window);
    if (level == kFileSelectorLevel) {
        return level;
    }
    int32_t found = 0;
    Window top = 0;
    if (Dialog_FindLevelOfWindow(window, &found, &top) == 0) {
        return found;
    }
    return Dialogs().depth;
}

}  // namespace

int32_t Dialog_LevelOfWindow(Window window)
{
    DialogState& s = Dialogs();
    for (int32_t level = s.depth; level >= 1; --level) {
        Widget shell = s.levels[level].shell;
        if (shell != nullptr && XtIsRealized(shell) && XtWindow(shell) == window) {
            return level;
        }
    }
    if (s.fileSelectorShown && window != 0 && window == SelFile_ShellWindow()) {
        return kFileSelectorLevel;
    }
    return 0;
}

KernelStatus Dialog_FindLevelOfWindow(Window window, int32_t* level, Window* found)
{
    Widget top = DialogHost_Toplevel();
    if (top == nullptr) {
        return kStatusNotFound;
    }
    Display* display = XtDisplay(top);
    Window current = window;
    while (current != 0) {
        const int32_t l = Dialog_LevelOfWindow(current);
        if (l != 0) {
            if (level != nullptr) {
                *level = l;
            }
            if (found != nullptr) {
                *found = current;
            }
            return kStatusOk;
        }
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, current, &root, &parent, &children, &count) == 0) {
            break;
        }
        if (children != nullptr) {
            XFree(children);
        }
        if (current == root) {
            break;
        }
        current = parent;
    }
    return kStatusNotFound;
}

void Dialog_SetFocus(int32_t index, int32_t select)
{
    DialogLevel* level = Dialog_TopLevel();
    if (level == nullptr || index == level->focusItem) {
        return;
    }
    const bool isItem = index >= 0 && index < static_cast<int32_t>(level->items.size()) &&
                        level->items[index].widget != nullptr;
    Widget next = isItem ? level->items[index].widget : nullptr;
    if (select != 0 && next != nullptr) {
        XawTextSetInsertionPoint(next, 512);
        const XawTextPosition end = XawTextGetInsertionPoint(next);
        if (end > 0) {
            XawTextSetSelection(next, 0, end);
        }
    }
    if (Widget old = FocusWidget(*level); old != nullptr && XtIsRealized(old)) {
        XWindowChanges changes{};
        changes.x = old->core.x;
        changes.y = old->core.y;
        changes.border_width = 1;
        XConfigureWindow(XtDisplay(old), XtWindow(old), CWX | CWY | CWBorderWidth, &changes);
        XSetWindowBorderPixmap(XtDisplay(old), XtWindow(old), CopyFromParent);
        CollapseSelection(old, false);
    }
    if (next != nullptr && XtIsRealized(next)) {
        XWindowChanges changes{};
        changes.x = next->core.x - 2;
        changes.y = next->core.y - 2;
        changes.border_width = 3;
        XConfigureWindow(XtDisplay(next), XtWindow(next), CWX | CWY | CWBorderWidth, &changes);
        if (Pixmap pattern = Dialog_FocusPattern(); pattern != 0) {
            XSetWindowBorderPixmap(XtDisplay(next), XtWindow(next), pattern);
        }
        XFlush(XtDisplay(next));
    }
    level->focusItem = static_cast<int16_t>(isItem ? index : -1);
}

int32_t Dialog_GetFocus()
{
    DialogLevel* level = Dialog_TopLevel();
    return level != nullptr ? level->focusItem : -1;
}

void Dialog_ClearFocus()
{
    Dialog_SetFocus(-1, 0);
}

void Dialog_MoveFocus(int32_t direction)
{
    DialogLevel* level = Dialog_TopLevel();
    if (level == nullptr || level->items.empty()) {
        return;
    }
    const int32_t count = static_cast<int32_t>(level->items.size());
    int32_t index = level->focusItem >= 0 ? level->focusItem : 0;
    for (int32_t step = 0; step < count; ++step) {
        index = ((index + direction) % count + count) % count;
        if (IsFieldCode(level->items[index].focusCode) && level->items[index].widget != nullptr) {
            Dialog_SetFocus(index, 1);
            return;
        }
    }
}

int32_t Dialog_SetDefaultItem(int32_t item)
{
    DialogLevel* level = Dialog_TopLevel();
    if (level == nullptr || level->running == 0) {
        return 0;
    }
    const DialogRecord* record = Dialog_TopRecord();
    if (record == nullptr) {
        return 0;
    }
    if (Widget old = Dialog_GetDefaultWidget(); old != nullptr) {
        SetBorderWidth(old, 1);
    }
    if (item < 1 || item > record->itemCount || item > static_cast<int32_t>(level->items.size())) {
        return 0;
    }
    Widget w = level->items[item - 1].widget;
    if (w == nullptr) {
        level->defaultItem = -1;
        return 1;
    }
    SetBorderWidth(w, 4);
    level->defaultItem = static_cast<int16_t>(item - 1);
    return 1;
}

void Dialog_ClearDefault()
{
    DialogLevel* level = Dialog_TopLevel();
    if (level == nullptr) {
        return;
    }
    SetBorderWidth(Dialog_GetDefaultWidget(), 1);
    level->defaultItem = -1;
}

Widget Dialog_GetDefaultWidget()
{
    DialogLevel* level = Dialog_TopLevel();
    if (level == nullptr || level->defaultItem < 0 || level->defaultItem >= static_cast<int32_t>(level->items.size())) {
        return nullptr;
    }
    return level->items[level->defaultItem].widget;
}

int32_t Dialog_ActivateDefault()
{
    Widget w = Dialog_GetDefaultWidget();
    if (w == nullptr) {
        return 0;
    }
    XtCallCallbacks(w, XtNcallback, nullptr);
    return 1;
}

uint32_t Dialog_HandleButton(XEvent* xevent)
{
    if (xevent == nullptr) {
        return 0;
    }
    XButtonEvent* event = &xevent->xbutton;
    int32_t levelNumber = 0;
    Window found = 0;
    if (Dialog_FindLevelOfWindow(event->window, &levelNumber, &found) != 0 || levelNumber == kFileSelectorLevel ||
        levelNumber != Dialogs().depth) {
        return 0;
    }
    DialogLevel& level = Dialogs().levels[levelNumber];
    if (level.recordIndex < 0) {
        return 1;
    }
    for (size_t i = 0; i < level.items.size(); ++i) {
        const DialogItemEntry& entry = level.items[i];
        const int32_t code = entry.focusCode;
        if ((code != 1 && code != 2 && code != 5 && code != 6) || entry.widget == nullptr ||
            !XtIsRealized(entry.widget) || XtWindow(entry.widget) != event->window) {
            continue;
        }
        if (code == 2 || code == 6) {
            return 1;
        }
        Dialog_SetFocus(static_cast<int32_t>(i), 0);
        if (level.callback != nullptr) {
            level.callback(level.number, 1, static_cast<int16_t>(i + 1), 0);
        }
        return 0;
    }
    return 0;
}

uint32_t Dialog_HandleKey(XEvent* xevent, int32_t character)
{
    if (xevent == nullptr) {
        return 0;
    }
    XKeyEvent* event = &xevent->xkey;
    const int32_t levelNumber = LevelForKey(event->window);
    DialogState& s = Dialogs();
    if (levelNumber == kFileSelectorLevel || levelNumber < 1 || levelNumber != s.depth) {
        return levelNumber == kFileSelectorLevel || s.depth == 0 ? 0 : 1;
    }
    DialogLevel& level = s.levels[levelNumber];
    const int16_t number = level.number;
    const DialogCallback callback = level.callback;
    // Shift-Tab gives no character on most keymaps (it is ISO_Left_Tab).
    if (character == 0 && XLookupKeysym(event, 0) == XK_Tab) {
        character = 9;
    }
    if (character == 9) {
        Dialog_MoveFocus((event->state & ShiftMask) != 0 ? -1 : 1);
        return 1;
    }
    if (character == 13 || character == 10) {
        if (Dialog_GetDefaultWidget() != nullptr) {
            Dialog_ActivateDefault();
            return 1;
        }
        if (callback != nullptr && callback(number, 1, static_cast<int16_t>(level.focusItem + 1), character) == 0) {
            return 1;
        }
        Widget focus = FocusWidget(level);
        if (focus == nullptr || level.items[level.focusItem].focusCode == 5 || !XtIsRealized(focus)) {
            return 1;
        }
        event->window = XtWindow(focus);
        return 0;
    }
    Widget focus = FocusWidget(level);
    if (focus == nullptr || !XtIsRealized(focus)) {
        return 1;
    }
    const int32_t focusIndex = level.focusItem;
    if (callback != nullptr && callback(number, 1, static_cast<int16_t>(focusIndex + 1), character) == 0) {
        return 1;
    }
    // The callback may have closed the dialog or moved the focus.
    if (s.depth != levelNumber || level.focusItem != focusIndex || FocusWidget(level) != focus) {
        return 1;
    }
    event->window = XtWindow(focus);
    bool deleted = false;
    if (character >= 32 && character <= 127) {
        XawTextPosition begin = 0;
        XawTextPosition end = 0;
        XawTextGetSelectionPos(focus, &begin, &end);
        if (end > begin) {
            XKeyEvent kill = *event;
            kill.keycode = XKeysymToKeycode(event->display, XK_w);
            kill.state = ControlMask;
            XtDispatchEvent(reinterpret_cast<XEvent*>(&kill));
            CollapseSelection(focus, true);
            XawTextSetInsertionPoint(focus, begin);
            deleted = true;
        }
    }
    if (!(character == 127 && deleted)) {
        XtDispatchEvent(reinterpret_cast<XEvent*>(event));
    }
    if (s.depth == levelNumber && level.focusItem == focusIndex && level.items[focusIndex].focusCode == 5) {
        Dialog_TextStyleAfterKey(level);
    }
    return 1;
}
