// The dialog programming interface: opening numbered dialogs on up to ten
// nested levels, closing them, and reading and changing their items, texts,
// lists and scroll bars. Failing operations set the dialog error word.
#include <X11/IntrinsicP.h>
#include <X11/StringDefs.h>
#include <X11/Xaw/List.h>
#include <X11/Xaw/Scrollbar.h>
#include <X11/Xaw/Text.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

#include "xkv/dialog/DialogHost.h"
#include "xkv/dialog/DialogInternal.h"

namespace {

bool IsTextWidget(Widget w)
{
    return w != nullptr && XtIsSubclass(w, textWidgetClass);
}

std::string WidgetText(Widget w)
{
    if (w == nullptr) {
        return {};
    }
    String text = nullptr;
    if (IsTextWidget(w)) {
        XtVaGetValues(w, XtNstring, &text, nullptr);
    } else {
        XtVaGetValues(w, XtNlabel, &text, nullptr);
    }
    return text != nullptr ? std::string(text) : std::string();
}

int32_t CopyOut(const std::string& text, char* buffer, int32_t max)
{
    if (buffer == nullptr || max < 0) {
        return 0;
    }
    const size_t n = std::min(text.size(), static_cast<size_t>(max));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int32_t>(n);
}

void UpdateListWidget(ListBuffer& buffer, Widget list)
{
    if (list != nullptr) {
        XawListChange(list, const_cast<const char**>(buffer.pointers.data()), buffer.count, 0, True);
    }
}

// The list buffer of an item of the top dialog, with its list widget.
ListBuffer* TopList(int32_t item, Widget* list)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row)) {
        return nullptr;
    }
    ListBuffer* buffer = Dialog_FindList(Dialogs().depth, item - 1);
    if (buffer == nullptr) {
        Dialogs().errorWord = kDialogErrBadItem;
        return nullptr;
    }
    if (list != nullptr) {
        *list = level->items[item - 1].second;
    }
    return buffer;
}

void SetEntry(ListBuffer& buffer, int32_t index, std::string_view text)
{
    char* entry = buffer.Entry(index);
    const size_t n = std::min(text.size(), static_cast<size_t>(buffer.entryWidth - 1));
    std::memcpy(entry, text.data(), n);
    std::memset(entry + n, 0, static_cast<size_t>(buffer.entryWidth) - n);
}

void RefreshPointers(ListBuffer& buffer)
{
    for (int32_t i = 0; i < buffer.capacity; ++i) {
        buffer.pointers[i] = buffer.Entry(i);
    }
    buffer.pointers[buffer.count] = nullptr;
}

// Parses like atoi into 64 bits: leading blanks, a sign, digits.
bool ParseLeadingNumber(std::string_view text, int64_t* value)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
    }
    *value = negative ? -v : v;
    return true;
}

}  // namespace

DialogState& Dialogs()
{
    static DialogState state;
    return state;
}

uint32_t Dialog_ErrorWord()
{
    return Dialogs().errorWord;
}

void Dialog_SetErrorWord(uint32_t value)
{
    Dialogs().errorWord = value;
}

int32_t Dialog_FindRecord(int32_t number)
{
    const auto records = DialogTable_Records();
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].number == number) {
            return static_cast<int32_t>(i);
        }
    }
    return static_cast<int32_t>(records.size());
}

DialogLevel* Dialog_TopLevel()
{
    DialogState& s = Dialogs();
    return s.depth > 0 ? &s.levels[s.depth] : nullptr;
}

DialogLevel* Dialog_RunningTop()
{
    DialogLevel* level = Dialog_TopLevel();
    return level != nullptr && level->running != 0 ? level : nullptr;
}

const DialogRecord* Dialog_TopRecord()
{
    DialogLevel* level = Dialog_TopLevel();
    if (level == nullptr || level->recordIndex < 0) {
        Dialogs().errorWord = kDialogErrNoDialog;
        return nullptr;
    }
    return &DialogTable_Records()[level->recordIndex];
}

DialogItemRow* Dialog_ItemRow(const DialogRecord& record, int32_t item)
{
    const auto rows = DialogTable_ItemRows();
    const int32_t index = record.firstItem + item - 1;
    if (item < 1 || item > record.itemCount || index < 0 || index >= static_cast<int32_t>(rows.size())) {
        return nullptr;
    }
    return &rows[index];
}

bool Dialog_CheckItem(int32_t item, DialogLevel** level, DialogItemRow** row)
{
    const DialogRecord* record = Dialog_TopRecord();
    if (record == nullptr) {
        return false;
    }
    DialogItemRow* r = Dialog_ItemRow(*record, item);
    DialogLevel* top = Dialog_TopLevel();
    if (r == nullptr || item > static_cast<int32_t>(top->items.size())) {
        Dialogs().errorWord = kDialogErrBadItem;
        return false;
    }
    *level = top;
    *row = r;
    return true;
}

ListBuffer* Dialog_FindList(int32_t level, int32_t itemIndex)
{
    for (auto& buffer : Dialogs().lists) {
        if (buffer->level == level && buffer->item == itemIndex) {
            return buffer.get();
        }
    }
    return nullptr;
}

int32_t Dialog_Depth()
{
    return Dialogs().depth;
}

int32_t Dialog_TopDialogNumber()
{
    DialogLevel* level = Dialog_TopLevel();
    return level != nullptr ? level->number : 0;
}

int16_t Dialog_LastResult()
{
    return Dialogs().lastResult;
}

// --- opening and closing -------------------------------------------------

namespace {

int32_t OpenLevel(int32_t number, DialogCallback callback, void* clientData)
{
    DialogState& s = Dialogs();
    if (s.depth >= kDialogMaxDepth) {
        return 2;
    }
    const int32_t levelNumber = ++s.depth;
    DialogLevel& level = s.levels[levelNumber];
    RecordState record = std::move(level.record);
    const uint32_t generation = level.generation + 1;
    level = DialogLevel{};
    level.record = std::move(record);
    level.generation = generation;
    level.number = static_cast<int16_t>(number);
    level.running = 1;
    level.callback = callback;
    level.clientData = clientData;
    level.listCount = 0;
    if (Dialog_Build(levelNumber) == 0) {
        if (level.shell != nullptr) {
            XtDestroyWidget(level.shell);
        }
        level = DialogLevel{};
        level.generation = generation;
        --s.depth;
        return 0;
    }
    return 1;
}

}  // namespace

int32_t Dialog_Open(int32_t number, DialogCallback callback, void* clientData)
{
    return OpenLevel(number, callback, clientData);
}

int32_t Dialog_OpenModal(int32_t number, DialogCallback callback, void* clientData)
{
    const int32_t result = OpenLevel(number, callback, clientData);
    if (result != 1) {
        return result;
    }
    DialogState& s = Dialogs();
    const int32_t levelNumber = s.depth;
    const uint32_t generation = s.levels[levelNumber].generation;
    while (s.levels[levelNumber].running != 0 && s.levels[levelNumber].generation == generation) {
        Velkor_DispatchNextEvent(1);
    }
    return s.levels[levelNumber].generation == generation ? s.levels[levelNumber].closedResult : s.lastResult;
}

void Dialog_Close(int32_t item)
{
    DialogState& s = Dialogs();
    if (s.depth == 0) {
        return;
    }
    DialogLevel& level = s.levels[s.depth];
    const DialogRecord* record = Dialog_TopRecord();
    if (record == nullptr) {
        return;
    }
    if (item < 1 || item > record->itemCount) {
        s.errorWord = kDialogErrBadItem;
        return;
    }
    const int32_t levelNumber = s.depth;
    const UndeliveredRecord undelivered = Dialog_RecordLevelClosing(level);
    Widget shell = level.shell;
    level.shell = nullptr;
    level.container = nullptr;
    level.items.clear();
    std::erase_if(s.lists, [levelNumber](const auto& buffer) { return buffer->level == levelNumber; });
    level.listCount = 0;
    --s.depth;
    s.lastResult = static_cast<int16_t>(item);
    level.closedResult = static_cast<int16_t>(item);
    level.running = 0;
    level.record = RecordState{};
    if (shell != nullptr) {
        XtPopdown(shell);
        XtDestroyWidget(shell);
    }
    Dialog_RecordFinishClosing(undelivered);
    Dialog_WakeLoop();
}

// A nested loop waits for the next X event before it looks at its flag
// again: when a level closes or a caller is released outside the dispatch of
// an event (from a timer, say), an empty message to the main window wakes it.
void Dialog_WakeLoop()
{
    Widget top = DialogHost_Toplevel();
    if (top == nullptr || !XtIsRealized(top)) {
        return;
    }
    XEvent wake{};
    wake.xclient.type = ClientMessage;
    wake.xclient.display = XtDisplay(top);
    wake.xclient.window = XtWindow(top);
    wake.xclient.message_type = None;
    wake.xclient.format = 8;
    XSendEvent(XtDisplay(top), XtWindow(top), False, NoEventMask, &wake);
    XFlush(XtDisplay(top));
}

uint32_t Dialog_IsOpen()
{
    return Dialogs().levels[1].running != 0 ? 1 : 0;
}

void* Dialog_GetClientData()
{
    DialogLevel* level = Dialog_TopLevel();
    return level != nullptr ? level->clientData : nullptr;
}

void Dialog_SetFileSelectorShown(uint32_t shown)
{
    Dialogs().fileSelectorShown = shown != 0;
}

uint32_t Dialog_IsFileSelectorShown()
{
    return Dialogs().fileSelectorShown ? 1 : 0;
}

// --- item state ----------------------------------------------------------

int32_t Dialog_SetItemState(int32_t item, int32_t state)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row)) {
        return 0;
    }
    if (DialogItem_Kind(*row) != kItemControl) {
        return 1;
    }
    const uint8_t before = row->flags;
    switch (state) {
    case 0: row->flags &= static_cast<uint8_t>(~kDialogItemValue); break;
    case 1: row->flags |= kDialogItemValue; break;
    case 2: row->flags &= static_cast<uint8_t>(~kDialogItemEnabled); break;
    case 3: row->flags |= kDialogItemEnabled; break;
    case 4:
        if ((row->flags & kDialogItemEnabled) != 0) {
            row->flags ^= kDialogItemValue;
        }
        break;
    default: break;
    }
    if (row->flags != before) {
        Dialog_RedrawItemState(*level, item - 1, *row);
    }
    return 1;
}

void Dialog_SetRadioGroup(int32_t first, int32_t last, int32_t chosen)
{
    for (int32_t i = first; i <= last; ++i) {
        Dialog_SetItemState(i, i == chosen ? 1 : 0);
    }
}

int32_t Dialog_GetItemState(int32_t item)
{
    if (Dialog_TopLevel() == nullptr) {
        return 0;
    }
    const DialogRecord* record = Dialog_TopRecord();
    const DialogItemRow* row = record != nullptr ? Dialog_ItemRow(*record, item) : nullptr;
    if (row == nullptr) {
        return 0;
    }
    const bool enabled = (row->flags & kDialogItemEnabled) != 0;
    switch (Dialog_GetItemClass(0, item)) {
    case kClassButton:
        return DialogItem_Kind(*row) == kItemControl ? (enabled ? 3 : 2) : 0;
    case kClassCheckBox:
    case kClassRadio:
        return enabled ? (row->flags & kDialogItemValue) : 2;
    default:
        return 0;
    }
}

int32_t Dialog_GetRadioChoice(int32_t first, int32_t last)
{
    for (int32_t i = first; i <= last; ++i) {
        if (Dialog_GetItemClass(0, i) != kClassRadio) {
            return 0;
        }
        if (Dialog_GetItemState(i) == 1) {
            return i;
        }
    }
    return 0;
}

namespace {

int32_t SetEnabled(int32_t item, int32_t state)
{
    DialogLevel* top = Dialog_TopLevel();
    if (top == nullptr) {
        Dialogs().errorWord = kDialogErrNoDialog;
        return 0;
    }
    if (top->running == 0) {
        return 1;
    }
    return Dialog_SetItemState(item, state);
}

}  // namespace

int32_t Dialog_DisableItem(int32_t item)
{
    return SetEnabled(item, 2);
}

int32_t Dialog_EnableItem(int32_t item)
{
    return SetEnabled(item, 3);
}

int32_t Dialog_SetItemSensitive(int32_t item, int32_t flag)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row) || DialogItem_Kind(*row) != kItemText) {
        return 0;
    }
    if (Widget w = level->items[item - 1].widget) {
        XtSetSensitive(w, flag != 0);
    }
    return 1;
}

int32_t Dialog_GetItemClass(int32_t, int32_t item)
{
    if (Dialog_TopLevel() == nullptr) {
        return 0;
    }
    const DialogRecord* record = Dialog_TopRecord();
    const DialogItemRow* row = record != nullptr ? Dialog_ItemRow(*record, item) : nullptr;
    if (row == nullptr) {
        return 0;
    }
    switch (DialogItem_Kind(*row)) {
    case kItemControl: {
        const int16_t type = DialogTable_ControlRows()[row->index].type;
        return type == 1 ? kClassCheckBox : type == 2 ? kClassRadio : kClassButton;
    }
    case kItemText: {
        const uint16_t type = DialogTable_TextRows()[row->index].type;
        return type == 0 ? kClassField : type == 1 ? kClassStaticText : type == 2 ? kClassScrolledField : 0;
    }
    case kItemListArea:
        return DialogTable_ListRows()[row->index].areaType == 0 ? kClassList : 0;
    default:
        return 0;
    }
}

int32_t Dialog_GetItemCount()
{
    if (Dialog_TopLevel() == nullptr) {
        return 0;
    }
    const DialogRecord* record = Dialog_TopRecord();
    return record != nullptr ? record->itemCount : 0;
}

// --- text ----------------------------------------------------------------

int32_t Dialog_GetItemText(int32_t item, char* buffer, int32_t max)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row)) {
        return 0;
    }
    Widget w = level->items[item - 1].widget;
    const bool hasText = DialogItem_Kind(*row) == kItemText || (w != nullptr && IsTextWidget(w));
    return CopyOut(hasText ? WidgetText(w) : std::string(), buffer, max);
}

int32_t Dialog_GetItemTextLength(int32_t item)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row) || DialogItem_Kind(*row) != kItemText) {
        return 0;
    }
    return static_cast<int32_t>(WidgetText(level->items[item - 1].widget).size());
}

int32_t Dialog_SetItemText(int32_t item, const char* text)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (text == nullptr || !Dialog_CheckItem(item, &level, &row)) {
        return 0;
    }
    const int32_t length = static_cast<int32_t>(std::strlen(text));
    Widget w = level->items[item - 1].widget;
    if (w == nullptr || DialogItem_Kind(*row) != kItemText || length >= kDialogTextMax) {
        return length;
    }
    if (IsTextWidget(w)) {
        XtVaSetValues(w, XtNstring, text, nullptr);
        XawTextSetInsertionPoint(w, length);
        XawTextDisplay(w);
    } else {
        XtVaSetValues(w, XtNlabel, text, nullptr);
    }
    return length;
}

int32_t Dialog_SetItemLabel(int32_t item, const char* text)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (text == nullptr || !Dialog_CheckItem(item, &level, &row)) {
        return 0;
    }
    Widget w = level->items[item - 1].widget;
    if (w != nullptr && !IsTextWidget(w)) {
        XtVaSetValues(w, XtNlabel, text, nullptr);
    }
    return static_cast<int32_t>(std::strlen(text));
}

int32_t Dialog_GetItemLabel(int32_t item, char* buffer, int32_t max)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row)) {
        return 0;
    }
    Widget w = level->items[item - 1].widget;
    return CopyOut(w != nullptr && !IsTextWidget(w) ? WidgetText(w) : std::string(), buffer, max);
}

int32_t Dialog_GetItemNumber(int32_t item)
{
    char text[11] = {};
    const int32_t n = Dialog_GetItemText(item, text, 10);
    if (n == 0) {
        return -1;
    }
    int64_t value = 0;
    ParseLeadingNumber(std::string_view(text, static_cast<size_t>(n)), &value);
    if (value < INT32_MIN || value > INT32_MAX) {
        return -1;
    }
    return static_cast<int32_t>(value);
}

int32_t Dialog_SetItemNumber(int32_t item, int32_t value)
{
    if (value == -1) {
        return Dialog_SetItemText(item, "");
    }
    return Dialog_SetItemText(item, std::to_string(value).c_str());
}

int32_t Dialog_SelectItemText(int32_t item, int32_t from, int32_t to)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row)) {
        return 0;
    }
    const DialogItemEntry& entry = level->items[item - 1];
    if (level->running == 0 || (entry.focusCode != 1 && entry.focusCode != 5) || entry.widget == nullptr) {
        return 1;
    }
    Widget w = entry.widget;
    XawTextSetInsertionPoint(w, 512);
    const int32_t length = static_cast<int32_t>(XawTextGetInsertionPoint(w));
    if (length == 0) {
        return 1;
    }
    if (from == to) {
        XawTextSetSelection(w, length, length);
        return 1;
    }
    to = std::min(to, length);
    if (from < 0 || to < from) {
        Dialogs().errorWord = kDialogErrBadRange;
        return 0;
    }
    XawTextSetSelection(w, from, to);
    return 1;
}

int32_t Dialog_SetFocusItem(int32_t item)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row)) {
        return 0;
    }
    const int32_t code = level->items[item - 1].focusCode;
    if (code != 1 && code != 5) {
        Dialogs().errorWord = kDialogErrNotText;
        return 0;
    }
    Dialog_SetFocus(item - 1, 0);
    return 1;
}

int32_t Dialog_GetFocusItem()
{
    DialogLevel* level = Dialog_TopLevel();
    if (level == nullptr || level->focusItem < 0 || level->focusItem >= static_cast<int32_t>(level->items.size())) {
        return 0;
    }
    const int32_t code = level->items[level->focusItem].focusCode;
    return code == 1 || code == 5 ? level->focusItem + 1 : 0;
}

// --- items and the shell -------------------------------------------------

int32_t Dialog_ShowItem(int32_t item, int32_t shown)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row)) {
        return 0;
    }
    if (level->running == 0) {
        return 1;
    }
    const DialogItemEntry& entry = level->items[item - 1];
    for (Widget w : {entry.widget, entry.second}) {
        if (w == nullptr || (w == entry.second && XtParent(w) != level->container)) {
            continue;
        }
        if (shown != 0) {
            XtManageChild(w);
        } else {
            XtUnmanageChild(w);
        }
    }
    return 1;
}

int32_t Dialog_MoveItem(int32_t item, int32_t x, int32_t y)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row)) {
        return 0;
    }
    if (level->running == 0) {
        return 1;
    }
    const DialogItemEntry& entry = level->items[item - 1];
    auto clamp16 = [](int32_t v) { return static_cast<Position>(std::clamp(v, -32768, 32767)); };
    if (entry.widget != nullptr) {
        XtMoveWidget(entry.widget, clamp16(x), clamp16(y));
    }
    if (entry.second != nullptr && XtParent(entry.second) == level->container) {
        XtMoveWidget(entry.second, clamp16(x + 37), clamp16(y));
    }
    return 1;
}

int32_t Dialog_ConfigureShell(int32_t x, int32_t y, int32_t width, int32_t height)
{
    DialogLevel* level = Dialog_TopLevel();
    if (level == nullptr) {
        Dialogs().errorWord = kDialogErrNoDialog;
        return 0;
    }
    if (level->running == 0 || level->shell == nullptr) {
        return 1;
    }
    width = std::clamp(width, 1, 32767);
    height = std::clamp(height, 1, 32767);
    XtConfigureWidget(level->shell, static_cast<Position>(std::clamp(x, -32768, 32767)),
                      static_cast<Position>(std::clamp(y, -32768, 32767)), static_cast<Dimension>(width),
                      static_cast<Dimension>(height), level->shell->core.border_width);
    Dialog_RememberGeometry(Dialogs().depth, x, y, width, height);
    return 1;
}

int32_t Dialog_MoveShell(int32_t x, int32_t y)
{
    DialogLevel* level = Dialog_TopLevel();
    return Dialog_ConfigureShell(x, y, level != nullptr ? level->width : 1, level != nullptr ? level->height : 1);
}

int32_t Dialog_ResizeShell(int32_t width, int32_t height)
{
    DialogLevel* level = Dialog_TopLevel();
    return Dialog_ConfigureShell(level != nullptr ? level->x : 0, level != nullptr ? level->y : 0, width, height);
}

void Dialog_RememberGeometry(int32_t levelNumber, int32_t x, int32_t y, int32_t width, int32_t height)
{
    DialogState& s = Dialogs();
    if (levelNumber < 1 || levelNumber > kDialogMaxDepth) {
        return;
    }
    DialogLevel& level = s.levels[levelNumber];
    level.x = x;
    level.y = y;
    level.width = width;
    level.height = height;
    if (level.recordIndex < 0) {
        return;
    }
    // A window dragged partly off the screen reopens at its edge: the stored
    // position must stay on the screen and within the explicit-position range.
    DialogRecord& record = DialogTable_Records()[level.recordIndex];
    record.x = static_cast<int16_t>(std::clamp(x, 0, 16381) - 32767);
    record.y = static_cast<int16_t>(std::clamp(y, 0, 32767));
}

uint32_t Dialog_ContainsPoint(int32_t x, int32_t y)
{
    DialogLevel* level = Dialog_TopLevel();
    if (level == nullptr) {
        return 0;
    }
    return level->x < x && x < level->x + level->width && level->y < y && y < level->y + level->height ? 1 : 0;
}

// --- lists ---------------------------------------------------------------

int32_t Dialog_SetListItems(int32_t item, int32_t count, const char* const* strings, int32_t capacity,
                            int32_t entryWidth, DialogListCallback listCallback, int32_t forceBars)
{
    DialogState& s = Dialogs();
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row)) {
        return 0;
    }
    if (DialogItem_Kind(*row) != kItemListArea || capacity < 1 || entryWidth < 1 || (count > 0 && strings == nullptr)) {
        s.errorWord = kDialogErrBadItem;
        return 0;
    }
    if (Dialog_FindList(s.depth, item - 1) != nullptr) {
        Dialog_RemoveList(item);
    }
    if (static_cast<int32_t>(s.lists.size()) >= kDialogMaxListBuffers) {
        s.errorWord = kDialogErrListFull;
        return 0;
    }
    auto buffer = std::make_unique<ListBuffer>();
    const DialogListRow& area = DialogTable_ListRows()[row->index];
    buffer->item = item - 1;
    buffer->x = area.x;
    buffer->y = area.y;
    buffer->width = area.width;
    buffer->height = area.height;
    buffer->capacity = capacity;
    buffer->entryWidth = entryWidth;
    buffer->forceBars = forceBars != 0;
    buffer->count = std::clamp(count, 0, capacity);
    buffer->storage.assign(static_cast<size_t>(capacity) * static_cast<size_t>(entryWidth), '\0');
    buffer->pointers.assign(static_cast<size_t>(capacity) + 1, nullptr);
    buffer->level = s.depth;
    buffer->callback = listCallback;
    for (int32_t i = 0; i < buffer->count; ++i) {
        SetEntry(*buffer, i, strings[i] != nullptr ? strings[i] : "");
    }
    RefreshPointers(*buffer);
    ListBuffer& kept = *buffer;
    s.lists.push_back(std::move(buffer));
    ++level->listCount;
    Dialog_CreateListWidgets(*level, s.depth, kept);
    return 1;
}

// Removes the list of this item, wherever its buffer lies on the shared stack.
int32_t Dialog_RemoveList(int32_t item)
{
    DialogState& s = Dialogs();
    Widget list = nullptr;
    ListBuffer* buffer = TopList(item, &list);
    if (buffer == nullptr) {
        return 0;
    }
    DialogLevel& level = *Dialog_TopLevel();
    DialogItemEntry& entry = level.items[item - 1];
    if (entry.widget != nullptr) {
        XtDestroyWidget(entry.widget);
    }
    entry = DialogItemEntry{};
    std::erase_if(s.lists, [buffer](const auto& b) { return b.get() == buffer; });
    if (level.listCount > 0) {
        --level.listCount;
    }
    return 1;
}

int32_t Dialog_InsertListEntry(int32_t item, const char* text, int32_t sorted, int32_t* position)
{
    Widget list = nullptr;
    ListBuffer* buffer = TopList(item, &list);
    if (buffer == nullptr) {
        return 0;
    }
    if (buffer->count >= buffer->capacity) {
        Dialogs().errorWord = kDialogErrListFull;
        return 0;
    }
    std::string entry(text != nullptr ? text : "");
    if (static_cast<int32_t>(entry.size()) > buffer->entryWidth - 1) {
        entry.resize(static_cast<size_t>(buffer->entryWidth - 1));
    }
    int32_t at = buffer->count;
    if (sorted != 0) {
        for (int32_t i = 0; i < buffer->count; ++i) {
            if (std::strncmp(entry.c_str(), buffer->Entry(i), entry.size()) <= 0) {
                at = i;
                break;
            }
        }
        if (position != nullptr) {
            *position = at;
        }
    } else if (position != nullptr) {
        at = std::clamp(*position, 0, buffer->count);
    }
    for (int32_t i = buffer->count; i > at; --i) {
        std::memcpy(buffer->Entry(i), buffer->Entry(i - 1), static_cast<size_t>(buffer->entryWidth));
    }
    SetEntry(*buffer, at, entry);
    ++buffer->count;
    RefreshPointers(*buffer);
    UpdateListWidget(*buffer, list);
    return 1;
}

int32_t Dialog_DeleteListEntry(int32_t item, int32_t index)
{
    Widget list = nullptr;
    ListBuffer* buffer = TopList(item, &list);
    if (buffer == nullptr || buffer->count == 0) {
        return 0;
    }
    if (index < 0 || index >= buffer->count) {
        Dialogs().errorWord = kDialogErrListFull;
        return 0;
    }
    for (int32_t i = index; i + 1 < buffer->count; ++i) {
        std::memcpy(buffer->Entry(i), buffer->Entry(i + 1), static_cast<size_t>(buffer->entryWidth));
    }
    --buffer->count;
    SetEntry(*buffer, buffer->count, "");
    RefreshPointers(*buffer);
    UpdateListWidget(*buffer, list);
    return 1;
}

int32_t Dialog_ClearList(int32_t item)
{
    Widget list = nullptr;
    ListBuffer* buffer = TopList(item, &list);
    if (buffer == nullptr) {
        return 0;
    }
    std::fill(buffer->storage.begin(), buffer->storage.end(), '\0');
    buffer->count = 0;
    RefreshPointers(*buffer);
    UpdateListWidget(*buffer, list);
    return 1;
}

int32_t Dialog_GetListCount(int32_t item, int32_t* count)
{
    ListBuffer* buffer = TopList(item, nullptr);
    if (buffer == nullptr) {
        return 0;
    }
    if (count != nullptr) {
        *count = buffer->count;
    }
    return 1;
}

int32_t Dialog_GetListStrings(int32_t item, char*** strings)
{
    ListBuffer* buffer = TopList(item, nullptr);
    if (buffer == nullptr) {
        return 0;
    }
    if (strings != nullptr) {
        *strings = buffer->pointers.data();
    }
    return 1;
}

int32_t Dialog_GetListEntry(int32_t item, int32_t index, int32_t* max, char* buffer)
{
    ListBuffer* list = TopList(item, nullptr);
    if (list == nullptr) {
        return 0;
    }
    if (index < 0 || index >= list->count) {
        Dialogs().errorWord = kDialogErrListFull;
        return 0;
    }
    if (max == nullptr || buffer == nullptr || *max < 1) {
        Dialogs().errorWord = kDialogErrBadItem;
        return 0;
    }
    const char* entry = list->Entry(index);
    const int32_t length = static_cast<int32_t>(strnlen(entry, static_cast<size_t>(list->entryWidth)));
    if (length >= *max) {
        std::memcpy(buffer, entry, static_cast<size_t>(*max - 1));
        buffer[*max - 1] = '\0';
    } else {
        std::memcpy(buffer, entry, static_cast<size_t>(length));
        buffer[length] = '\0';
        *max = length;
    }
    return 1;
}

int32_t Dialog_HighlightListEntry(int32_t item, int32_t index, int32_t on)
{
    Widget list = nullptr;
    ListBuffer* buffer = TopList(item, &list);
    if (buffer == nullptr) {
        return 0;
    }
    if (list == nullptr) {
        Dialogs().errorWord = kDialogErrBadItem;
        return 0;
    }
    if (on == 0) {
        XawListUnhighlight(list);
    } else if (buffer->count > 0) {
        XawListHighlight(list, std::clamp(index, 0, buffer->count - 1));
    }
    return 1;
}

int32_t Dialog_GetListSelection(int32_t item)
{
    Widget list = nullptr;
    ListBuffer* buffer = TopList(item, &list);
    if (buffer == nullptr || list == nullptr) {
        Dialogs().errorWord = kDialogErrBadItem;
        return -1;
    }
    XawListReturnStruct* current = XawListShowCurrent(list);
    const int32_t index = current != nullptr ? current->list_index : XAW_LIST_NONE;
    XtFree(reinterpret_cast<char*>(current));
    return index >= 0 && index < buffer->count ? index : -1;
}

int32_t Dialog_IsListEntryCurrent(int32_t item, int32_t index)
{
    Dialogs().errorWord = 0;
    const int32_t selection = Dialog_GetListSelection(item);
    return selection >= 0 && selection == index ? 1 : 0;
}

int32_t Dialog_ListBuffersInUse()
{
    return static_cast<int32_t>(Dialogs().lists.size());
}

// --- scroll bars ---------------------------------------------------------

namespace {

DialogScrollRow* ScrollRow(int32_t item, Widget* bar)
{
    DialogLevel* level = nullptr;
    DialogItemRow* row = nullptr;
    if (!Dialog_CheckItem(item, &level, &row)) {
        return nullptr;
    }
    if (DialogItem_Kind(*row) != kItemScrollBar) {
        Dialogs().errorWord = kDialogErrBadItem;
        return nullptr;
    }
    *bar = level->items[item - 1].widget;
    return &DialogTable_ScrollRows()[row->index];
}

}  // namespace

int32_t Dialog_GetScrollValue(int32_t item)
{
    Widget bar = nullptr;
    DialogScrollRow* row = ScrollRow(item, &bar);
    if (row == nullptr || bar == nullptr) {
        return -1;
    }
    return Dialog_ScrollReadValue(bar, *row);
}

int32_t Dialog_SetScrollValue(int32_t item, int32_t value)
{
    Widget bar = nullptr;
    DialogScrollRow* row = ScrollRow(item, &bar);
    if (row == nullptr) {
        return 0;
    }
    if (bar != nullptr) {
        Dialog_ScrollSetValue(bar, *row, value);
    }
    return 1;
}

int32_t Dialog_GetScrollRange(int32_t item, int32_t* minimum, int32_t* maximum)
{
    Widget bar = nullptr;
    DialogScrollRow* row = ScrollRow(item, &bar);
    if (row == nullptr) {
        return 0;
    }
    if (minimum != nullptr) {
        *minimum = row->minimum;
    }
    if (maximum != nullptr) {
        *maximum = row->maximum;
    }
    return 1;
}

int32_t Dialog_SetScrollRange(int32_t item, int32_t minimum, int32_t maximum)
{
    Widget bar = nullptr;
    DialogScrollRow* row = ScrollRow(item, &bar);
    if (row == nullptr) {
        return 0;
    }
    if (minimum < maximum && minimum >= INT16_MIN && maximum <= INT16_MAX) {
        row->minimum = static_cast<int16_t>(minimum);
        row->maximum = static_cast<int16_t>(maximum);
    }
    return 1;
}

int32_t Dialog_SetItemAttribute(int32_t, int32_t)
{
    return 1;
}

int32_t Dialog_RedrawItem(int32_t)
{
    return 1;
}

void Dialog_SetListProc(void (*)()) {}

Widget Dialog_ItemWidget(int32_t item)
{
    DialogLevel* level = Dialog_TopLevel();
    if (level == nullptr || item < 1 || item > static_cast<int32_t>(level->items.size())) {
        return nullptr;
    }
    return level->items[item - 1].widget;
}

Widget Dialog_ShellWidget()
{
    DialogLevel* level = Dialog_TopLevel();
    return level != nullptr ? level->shell : nullptr;
}
