// Record dialogs: the items of a dialog bound to the fields of a value record.
// Opening loads the record, Reset loads the defaults, any other push button
// stores the items, closes the dialog and delivers the result, to a waiting
// caller or as a dialog event. Each open level keeps its own record state.
#include <X11/Xaw/Text.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "xkv/dialog/DialogHost.h"
#include "xkv/dialog/DialogInternal.h"
#include "xkv/dialog/DialogPalette.h"
#include "xkv/dialog/DialogRecordMap.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/text/TextFont.h"

namespace {

constexpr HookId kHookDialogEnded = 66;
constexpr int32_t kTextStyleDialog = 274;
constexpr int32_t kFontList = 18;
constexpr int32_t kSizeList = 19;
constexpr int32_t kSizeField = 21;
constexpr int32_t kListEntryWidth = 12;
constexpr int32_t kResetButton = 3;

// Callers blocked in Dialog_OpenRecord, innermost last.
std::vector<RecordWaiter*>& Waiters()
{
    static std::vector<RecordWaiter*> waiters;
    return waiters;
}

RecordState* TopRecordState()
{
    DialogLevel* level = Dialog_TopLevel();
    return level != nullptr && level->record.active ? &level->record : nullptr;
}

bool Fits(int32_t size, const RecordField& field, int32_t bytes)
{
    return field.offset >= kRecordValuesStart && bytes > 0 && (size == 0 || field.offset + bytes <= size);
}

int32_t ReadWord(const uint8_t* record, const RecordField& field)
{
    int32_t v = 0;
    std::memcpy(&v, record + field.offset, sizeof v);
    return v;
}

void WriteWord(uint8_t* record, const RecordField& field, int32_t v)
{
    std::memcpy(record + field.offset, &v, sizeof v);
}

void SetChanged(uint8_t* record, int32_t flagIndex)
{
    if (record != nullptr && flagIndex >= 0 && flagIndex < kRecordFlagCount) {
        record[flagIndex] = 1;
    }
}

bool IsChanged(const uint8_t* record, int32_t flagIndex)
{
    return record != nullptr && flagIndex >= 0 && flagIndex < kRecordFlagCount && record[flagIndex] != 0;
}

const RecordField* FieldOf(const RecordState& state, int32_t item)
{
    if (item < 1 || item > static_cast<int32_t>(state.fields.size())) {
        return nullptr;
    }
    return &state.fields[static_cast<size_t>(item - 1)];
}

std::string FieldText(int32_t item, int32_t max)
{
    std::string text(static_cast<size_t>(max) + 1, '\0');
    const int32_t n = Dialog_GetItemText(item, text.data(), max);
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

std::string ListEntryText(int32_t item, int32_t index)
{
    char buffer[kListEntryWidth + 1] = {};
    int32_t max = kListEntryWidth;
    if (Dialog_GetListEntry(item, index, &max, buffer) == 0) {
        return {};
    }
    return buffer;
}

// Highlights the first entry of the size list equal to the size field's text.
void FollowSizeField()
{
    const std::string size = FieldText(kSizeField, 10);
    const int32_t current = Dialog_GetListSelection(kSizeList);
    if (current >= 0 && ListEntryText(kSizeList, current) == size) {
        return;
    }
    int32_t count = 0;
    Dialog_GetListCount(kSizeList, &count);
    for (int32_t i = 0; i < count; ++i) {
        if (ListEntryText(kSizeList, i) == size) {
            Dialog_HighlightListEntry(kSizeList, i, 1);
            return;
        }
    }
    Dialog_HighlightListEntry(kSizeList, 0, 0);
}

void SelectAllText(int32_t item)
{
    Dialog_SelectItemText(item, 0, 512);
}

void LoadListChoice(const RecordState& state, const RecordField& field, int32_t value)
{
    if (state.number == kTextStyleDialog && (field.item == kFontList || field.item == kSizeList)) {
        const bool sizes = field.item == kSizeList;
        const char* const* names = sizes ? Text_FontSizeNames() : Text_FontFamilyNames();
        const auto count = static_cast<int32_t>(sizes ? Text_FontSizeCount() : Text_FontFamilyCount());
        Dialog_SetListItems(field.item, count, names, std::max(count, 1), kListEntryWidth, nullptr, 0);
        if (sizes) {
            Dialog_SetItemNumber(kSizeField, value);
            SelectAllText(kSizeField);
            FollowSizeField();
            return;
        }
    }
    if (value >= 0) {
        Dialog_HighlightListEntry(field.item, value, 1);
    }
}

// Style bits: the plain button is the range's first item and the style
// buttons follow it; the value is kept with the range's last item.
void LoadStyleBits(const RecordState& state, uint8_t* record, int32_t size, const RecordField& plain)
{
    const RecordField* holder = FieldOf(state, plain.groupLast);
    if (holder == nullptr || !Fits(size, *holder, 4)) {
        return;
    }
    const int32_t value = ReadWord(record, *holder);
    if (value == -1) {
        for (int32_t item = plain.groupFirst; item <= plain.groupLast; ++item) {
            Dialog_SetItemState(item, 0);
        }
        WriteWord(record, *holder, 0);
        return;
    }
    Dialog_SetItemState(plain.groupFirst, value == 0 ? 1 : 0);
    for (int32_t k = 1; plain.groupFirst + k <= plain.groupLast; ++k) {
        Dialog_SetItemState(plain.groupFirst + k, (value >> k) & 1);
    }
}

// The open level whose record dialog this is.
DialogLevel* LevelOf(const RecordState& state)
{
    DialogState& s = Dialogs();
    for (int32_t i = 1; i <= s.depth; ++i) {
        if (&s.levels[static_cast<size_t>(i)].record == &state) {
            return &s.levels[static_cast<size_t>(i)];
        }
    }
    return nullptr;
}

void LoadSpecial(const RecordState& state, uint8_t* record, int32_t size, const RecordField& field)
{
    switch (field.specialKind) {
    case kSpecialShortString:
    case kSpecialString:
        if (Fits(size, field, field.size)) {
            const char* text = reinterpret_cast<const char*>(record + field.offset);
            Dialog_SetItemText(field.item, std::string(text, strnlen(text, static_cast<size_t>(field.size - 1))).c_str());
        }
        break;
    case kSpecialStyleBits:
        if (field.item == field.groupFirst) {
            LoadStyleBits(state, record, size, field);
        }
        break;
    case kSpecialListChoice:
        if (Fits(size, field, 4)) {
            LoadListChoice(state, field, ReadWord(record, field));
        }
        break;
    case kSpecialPattern:
    case kSpecialColour:
        if (DialogLevel* level = LevelOf(state); level != nullptr) {
            if (field.specialKind == kSpecialPattern) {
                Dialog_LoadPatternPalette(*level, field, record, size);
            } else {
                Dialog_LoadColourPalette(*level, field, record, size);
            }
        }
        break;
    default:
        break;
    }
}

// Loads the record into the items. Loading the defaults also copies every
// loaded value into the current record and marks it changed.
void LoadItems(RecordState& state, bool fromDefaults)
{
    uint8_t* record = fromDefaults ? state.defaults : state.current;
    const int32_t size = fromDefaults ? state.defaultsSize : state.currentSize;
    if (record == nullptr) {
        return;
    }
    for (const RecordField& field : state.fields) {
        const bool hasValue = field.size > 0 && Fits(size, field, field.size);
        switch (field.fieldClass) {
        case kClassCheckBox:
            if (hasValue) {
                const int32_t value = ReadWord(record, field);
                if (value < 0) {
                    Dialog_SetItemState(field.item, 0);
                    Dialog_SetItemState(field.item, 2);
                } else {
                    Dialog_SetItemState(field.item, 3);
                    Dialog_SetItemState(field.item, value != 0 ? 1 : 0);
                }
            }
            break;
        case kClassRadio:
            if (hasValue && field.item == field.groupFirst) {
                Dialog_SetRadioGroup(field.groupFirst, field.groupLast, field.groupFirst + ReadWord(record, field));
            }
            break;
        case kClassField:
        case kClassScrolledField:
            if (hasValue) {
                Dialog_SetItemNumber(field.item, ReadWord(record, field));
            }
            break;
        case kClassSpecial:
            LoadSpecial(state, record, size, field);
            break;
        default:
            break;
        }
        const bool firstOfGroup = field.fieldClass != kClassRadio || field.item == field.groupFirst;
        if (fromDefaults && hasValue && firstOfGroup && state.current != nullptr &&
            Fits(state.currentSize, field, field.size)) {
            std::memcpy(state.current + field.offset, record + field.offset, static_cast<size_t>(field.size));
            SetChanged(state.current, field.flagIndex);
        }
    }
}

void StoreSpecial(RecordState& state, const RecordField& field)
{
    uint8_t* record = state.current;
    switch (field.specialKind) {
    case kSpecialShortString:
    case kSpecialString: {
        const std::string text = FieldText(field.item, field.size - 1);
        char* stored = reinterpret_cast<char*>(record + field.offset);
        if (std::string(stored, strnlen(stored, static_cast<size_t>(field.size))) != text) {
            std::memset(stored, 0, static_cast<size_t>(field.size));
            std::memcpy(stored, text.data(), text.size());
            SetChanged(record, field.flagIndex);
        }
        break;
    }
    case kSpecialStyleBits:
        if (!IsChanged(record, field.flagIndex)) {
            WriteWord(record, field, -1);
        }
        break;
    case kSpecialListChoice: {
        int32_t value = -1;
        if (state.number == kTextStyleDialog && field.item == kSizeList) {
            const int32_t number = Dialog_GetItemNumber(kSizeField);
            value = number >= 1 ? number : -1;
        } else {
            value = Dialog_GetListSelection(field.item);
        }
        if (value >= 0 && value != ReadWord(record, field)) {
            WriteWord(record, field, value);
            SetChanged(record, field.flagIndex);
        }
        break;
    }
    default:
        break;
    }
}

void StoreItems(RecordState& state)
{
    uint8_t* record = state.current;
    if (record == nullptr) {
        return;
    }
    for (const RecordField& field : state.fields) {
        if (field.size <= 0 || !Fits(state.currentSize, field, field.size)) {
            continue;
        }
        switch (field.fieldClass) {
        case kClassCheckBox:
            if (IsChanged(record, field.flagIndex)) {
                WriteWord(record, field, Dialog_GetItemState(field.item));
            }
            break;
        case kClassField:
        case kClassScrolledField: {
            const int32_t number = Dialog_GetItemNumber(field.item);
            if (number != -1 && number != ReadWord(record, field)) {
                WriteWord(record, field, number);
                SetChanged(record, field.flagIndex);
            }
            break;
        }
        case kClassSpecial:
            StoreSpecial(state, field);
            break;
        default:
            break;
        }
    }
}

void StyleClick(RecordState& state, const RecordField& field, int32_t item)
{
    const RecordField* holder = FieldOf(state, field.groupLast);
    if (holder == nullptr || !Fits(state.currentSize, *holder, 4) || state.current == nullptr) {
        return;
    }
    int32_t value = ReadWord(state.current, *holder);
    const int32_t plain = field.groupFirst;
    if (item == plain) {
        Dialog_SetItemState(plain, 1);
        for (int32_t k = 1; plain + k <= field.groupLast; ++k) {
            if ((value >> k) & 1) {
                Dialog_SetItemState(plain + k, 0);
            }
        }
        value = 0;
    } else {
        const int32_t k = item - plain;
        if (value == 0) {
            Dialog_SetItemState(plain, 0);
        }
        Dialog_SetItemState(item, 4);
        value ^= 1 << k;
        if (value == 0) {
            Dialog_SetItemState(plain, 1);
        }
    }
    WriteWord(state.current, *holder, value);
    SetChanged(state.current, holder->flagIndex);
}

void ConvertBoth(RecordState& state, bool toDisplay)
{
    Record_Convert(state.number, state.fields, state.current, state.currentSize, toDisplay);
    Record_Convert(state.number, state.fields, state.defaults, state.defaultsSize, toDisplay);
}

void FreeLocked(MemHandle handle)
{
    if (handle != 0) {
        Mem_Unlock(handle);
        Mem_Free(handle);
    }
}

KernelStatus Deliver(int32_t number, int32_t result, MemHandle toFree, MemHandle resultHandle, RecordWaiter* waiter)
{
    Hook_Fire(kHookDialogEnded, static_cast<uintptr_t>(number), static_cast<uintptr_t>(result), resultHandle);
    MemHandle copy = 0;
    KernelStatus status = kStatusOk;
    if (resultHandle != 0) {
        status = Mem_Duplicate(&copy, resultHandle);
        if (status != kStatusOk) {
            // The result cannot be handed over: deliver a cancel instead, so
            // that whoever waits for this dialog is released.
            copy = 0;
            result = 1;
        }
    }
    if (waiter != nullptr && waiter->waiting) {
        waiter->waiting = false;
        waiter->result = result;
        waiter->handle = copy;
        Dialog_WakeLoop();
    } else {
        Dialogs().lastDeliveredResult = result;
        const MemHandle event = Event_NewDialog(static_cast<uint32_t>(number), static_cast<uint32_t>(result), copy);
        if (event != 0) {
            Comm_PostEvent(event);
            Comm_ProcessEvents();
        } else if (copy != 0) {
            Mem_Free(copy);
        }
    }
    FreeLocked(toFree);
    FreeLocked(resultHandle);
    return status;
}

void CloseWith(RecordState& state, int32_t item)
{
    StoreItems(state);
    if (Record_FirstConversionRow(state.number) >= 0) {
        ConvertBoth(state, false);
    }
    const int32_t number = state.number;
    const bool noWait = state.noWait;
    const MemHandle defaults = state.defaultsHandle;
    const MemHandle current = state.currentHandle;
    RecordWaiter* waiter = state.waiter;
    state.delivered = true;
    Dialog_Close(item);
    if (noWait) {
        Deliver(number, item - 1, defaults, current, waiter);
    }
}

void ItemActivated(RecordState& state, int32_t item, intptr_t value)
{
    const RecordField* field = FieldOf(state, item);
    if (field == nullptr) {
        return;
    }
    switch (field->fieldClass) {
    case kClassCheckBox:
        SetChanged(state.current, field->flagIndex);
        Dialog_SetItemState(item, 4);
        break;
    case kClassRadio:
        SetChanged(state.current, field->flagIndex);
        Dialog_SetRadioGroup(field->groupFirst, field->groupLast, item);
        if (state.current != nullptr && Fits(state.currentSize, *field, 4)) {
            WriteWord(state.current, *field, item - field->groupFirst);
        }
        break;
    case kClassSpecial:
        if (field->specialKind == kSpecialStyleBits) {
            StyleClick(state, *field, item);
        } else if (field->specialKind == kSpecialListChoice && state.number == kTextStyleDialog &&
                   item == kSizeList && value != 0) {
            const int32_t index = Dialog_GetListSelection(kSizeList);
            if (index >= 0) {
                Dialog_SetItemText(kSizeField, ListEntryText(kSizeList, index).c_str());
                SelectAllText(kSizeField);
            }
        }
        break;
    case kClassButton:
        if (item == kResetButton) {
            if (state.defaults != nullptr) {
                LoadItems(state, true);
            }
        } else {
            CloseWith(state, item);
        }
        break;
    default:
        break;
    }
}

int32_t RunRecordWith(int32_t number, MemHandle defaults, MemHandle record, uint8_t* defaultsData,
                      uint8_t* recordData, int32_t exclusive, int32_t noWait, RecordWaiter* waiter)
{
    DialogState& s = Dialogs();
    if (s.depth >= kDialogMaxDepth) {
        return 2;
    }
    const int32_t levelNumber = s.depth + 1;
    RecordState& state = s.levels[levelNumber].record;
    state = RecordState{};
    state.active = true;
    state.number = number;
    state.current = recordData;
    state.defaults = defaultsData;
    state.currentHandle = record;
    state.defaultsHandle = defaults;
    state.currentSize = record != 0 ? static_cast<int32_t>(std::min<uint32_t>(Mem_Size(record), INT32_MAX)) : 0;
    state.defaultsSize = defaults != 0 ? static_cast<int32_t>(std::min<uint32_t>(Mem_Size(defaults), INT32_MAX)) : 0;
    state.exclusive = exclusive != 0;
    state.noWait = noWait != 0;
    state.firstSpecial = Record_FirstSpecialRow(number);
    state.firstConversion = Record_FirstConversionRow(number);
    state.waiter = waiter;
    s.lastRecordExclusive = state.exclusive;
    const int32_t result = noWait != 0 ? Dialog_Open(number, Dialog_RecordCallback, &state)
                                       : Dialog_OpenModal(number, Dialog_RecordCallback, &state);
    if (s.levels[levelNumber].running == 0) {
        s.levels[levelNumber].record = RecordState{};
    }
    return result;
}

// The file-name dialog (dialog number 1) over the file selector.
constexpr size_t kFileNameOffset = 28;
constexpr size_t kFileDirectoryOffset = 284;
constexpr size_t kFileLabelOffset = 540;
constexpr size_t kFilePromptOffset = 556;
constexpr size_t kFileFieldSize = 256;
constexpr size_t kFileLabelSize = 16;
constexpr size_t kFileRecordSize = kFilePromptOffset + kFileFieldSize;

std::string Bounded(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    return std::string(text, strnlen(text, size - 1));
}

void WriteBounded(uint8_t* data, size_t size, const std::string& text)
{
    std::memset(data, 0, size);
    std::memcpy(data, text.data(), std::min(text.size(), size - 1));
}

KernelStatus FileNameDialog(MemHandle record, int32_t wait, int32_t* item, MemHandle* result)
{
    uint8_t* data = nullptr;
    if (record == 0 || Mem_LockAs(record, &data) != kStatusOk || Mem_Size(record) < kFileRecordSize) {
        if (data != nullptr) {
            Mem_Unlock(record);
        }
        return 1;
    }
    RecordWaiter waiter;
    waiter.waiting = wait == 1;
    std::string path;
    if (data[2] == 1) {
        path += Bounded(data + kFileDirectoryOffset, kFileFieldSize);
    }
    if (data[1] == 1) {
        path += Bounded(data + kFileNameOffset, kFileFieldSize);
    }
    const std::string label = Bounded(data + kFileLabelOffset, kFileLabelSize);
    const std::string prompt = Bounded(data + kFilePromptOffset, kFileFieldSize);
    char* chosen = nullptr;
    const KernelStatus status = Dialog_SelectFile(prompt.c_str(), label.c_str(), path.c_str(), 0, &chosen);
    std::string choice = status == kStatusOk && chosen != nullptr ? chosen : "";
    std::free(chosen);
    const size_t slash = choice.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : choice.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? choice : choice.substr(slash + 1);
    // A name or directory that does not fit its field would come back cut,
    // naming another file: such a choice is delivered as a cancel.
    if (status != kStatusOk || directory.size() >= kFileFieldSize || name.size() >= kFileFieldSize) {
        // The record was given up with the call: a cancel frees it too.
        Deliver(1, 1, record, 0, &waiter);
    } else {
        WriteBounded(data + kFileNameOffset, kFileFieldSize, name);
        WriteBounded(data + kFileDirectoryOffset, kFileFieldSize, directory);
        data[1] = name.empty() ? 0 : 1;
        data[2] = directory.empty() ? 0 : 1;
        Deliver(1, 0, 0, record, &waiter);
    }
    if (wait == 1) {
        if (item != nullptr) {
            *item = waiter.result;
        }
        if (result != nullptr) {
            *result = waiter.handle;
        }
    }
    return kStatusOk;
}

}  // namespace

bool Dialog_HasSpecialRow(int32_t number, int32_t item)
{
    return Record_FindSpecial(number, item).has_value();
}

int16_t Dialog_RecordCallback(int16_t dialog, int32_t code, int16_t item, intptr_t value)
{
    RecordState* state = TopRecordState();
    if (state == nullptr || state->number != dialog) {
        return 1;
    }
    if (code == 0) {
        state->fields = Record_BuildFieldMap(dialog, Dialog_GetItemCount(),
                                             [](int32_t i) { return Dialog_GetItemClass(0, i); });
        if (state->firstConversion >= 0) {
            ConvertBoth(*state, true);
        }
        LoadItems(*state, false);
        Dialog_SetDefaultItem(1);
        return 1;
    }
    if (code == 1) {
        ItemActivated(*state, item, value);
    }
    return 1;
}

void Dialog_TextStyleAfterKey(DialogLevel& level)
{
    if (level.number == kTextStyleDialog && &level == Dialog_TopLevel()) {
        FollowSizeField();
    }
}

void Dialog_SyncTextSize()
{
    if (DialogLevel* level = Dialog_TopLevel(); level != nullptr) {
        Dialog_TextStyleAfterKey(*level);
    }
}

UndeliveredRecord Dialog_RecordLevelClosing(DialogLevel& level)
{
    UndeliveredRecord undelivered;
    const RecordState& state = level.record;
    if (state.active && !state.delivered && state.noWait) {
        undelivered = {true, state.number, state.defaultsHandle, state.currentHandle, state.waiter};
    }
    return undelivered;
}

void Dialog_RecordFinishClosing(const UndeliveredRecord& undelivered)
{
    if (undelivered.pending) {
        Deliver(undelivered.number, 1, undelivered.defaultsHandle, undelivered.currentHandle, undelivered.waiter);
    }
}

int32_t Dialog_RunRecord(int32_t number, MemHandle defaults, MemHandle record, uint8_t* defaultsData,
                         uint8_t* recordData, int32_t exclusive, int32_t noWait)
{
    return RunRecordWith(number, defaults, record, defaultsData, recordData, exclusive, noWait, nullptr);
}

KernelStatus Dialog_OpenRecord(int32_t number, MemHandle defaults, MemHandle record, int32_t wait, int32_t noGesture,
                               int32_t* item, MemHandle* result)
{
    if (number == 1) {
        return FileNameDialog(record, wait, item, result);
    }
    // A caller that waits for the answer gets a gesture level of its own for
    // the dialog, popped again afterwards, so that the page's gesture state
    // (idle, most often) is back when the dialog has closed. Without waiting
    // the command layer takes the dialog's result as its next event.
    struct GestureLevel {
        bool pushed = false;
        ~GestureLevel()
        {
            if (pushed) {
                Trans_Pop();
            }
        }
    } level;
    KernelStatus status = kStatusOk;
    if (noGesture == 0) {
        level.pushed = wait == 1 && Trans_Push() == kStatusOk;
        status = Trans_BeginText(0, wait == 1 ? 1 : 0);
    }
    if (record == 0) {
        return 1;
    }
    uint8_t* recordData = nullptr;
    uint8_t* defaultsData = nullptr;
    if (Mem_LockAs(record, &recordData) != kStatusOk) {
        return 1;
    }
    if (defaults != 0 && Mem_LockAs(defaults, &defaultsData) != kStatusOk) {
        Mem_Unlock(record);
        return 1;
    }
    RecordWaiter waiter;
    const bool willWait = status == kStatusOk && wait == 1;
    const int32_t opened = RunRecordWith(number, defaults, record, defaultsData, recordData, wait, 1,
                                         willWait ? &waiter : nullptr);
    if (opened != 1) {
        Mem_Unlock(record);
        if (defaults != 0) {
            Mem_Unlock(defaults);
        }
        return 1;
    }
    if (willWait) {
        waiter.waiting = true;
        Waiters().push_back(&waiter);
        while (waiter.waiting) {
            Velkor_DispatchNextEvent(1);
        }
        std::erase(Waiters(), &waiter);
        // A dialog that released this caller early may still be open: it
        // must not deliver to it again.
        for (DialogLevel& level : Dialogs().levels) {
            if (level.record.waiter == &waiter) {
                level.record.waiter = nullptr;
            }
        }
        if (item != nullptr) {
            *item = waiter.result;
        }
        if (result != nullptr) {
            *result = waiter.handle;
        } else if (waiter.handle != 0) {
            Mem_Free(waiter.handle);
        }
    }
    return status;
}

KernelStatus Dialog_RecordEnded(int32_t number, int32_t result, MemHandle toFree, MemHandle resultHandle)
{
    RecordWaiter* waiter = nullptr;
    for (auto it = Waiters().rbegin(); it != Waiters().rend(); ++it) {
        if ((*it)->waiting) {
            waiter = *it;
            break;
        }
    }
    return Deliver(number, result, toFree, resultHandle, waiter);
}

int32_t Dialog_GetLastResult()
{
    return Dialogs().lastDeliveredResult;
}
