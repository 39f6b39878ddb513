// The occurrence-set, general simulation and interactive simulation option
// dialogs. They share one button row: "OK" reads and validates the items,
// "Cancel" leaves the record as it was, "Reset" shows the diagram's record
// again, "Load" the user's standard one and "Save..." stores the items as
// the standard after a confirmation, leaving the dialog open.
#include "atolq/CSimulator/SimOptionDialogs.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>

#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/KernelDialogDefaults.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CSimulator/SimStatus.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int16_t kItemOk = 1;
constexpr int16_t kItemCancel = 2;
constexpr int16_t kItemReset = 3;
constexpr int16_t kItemLoad = 4;
constexpr int16_t kItemSave = 5;
constexpr int32_t kToggle = 4;
constexpr int32_t kEditTextMax = 255;
// DefCopy* sources: nullptr is the diagram level, 1 the standard level.
const void* const kStandardLevel = reinterpret_cast<const void*>(1);

bool IsOn(int32_t item) { return Dialog_GetItemState(item) == 1; }
void SetOn(int32_t item, bool on) { Dialog_SetItemState(item, on ? 1 : 0); }
// Controls are enabled through their item flags; the sensitivity switch
// serves text items only.
void Enable(int32_t item, bool enabled)
{
    if (enabled)
        Dialog_EnableItem(item);
    else
        Dialog_DisableItem(item);
}

// The range check with its message; the value is clamped for the message
// only, so that a number beyond 16 bits is refused, not wrapped.
bool InRange(int32_t value, int16_t minimum, int16_t maximum, int16_t nameId, int32_t item)
{
    if (value >= minimum && value <= maximum)
        return true;
    const auto shown = static_cast<int16_t>(std::clamp<int32_t>(value, SHRT_MIN, SHRT_MAX));
    QXUI_CheckRange(shown, minimum, maximum, nameId);
    Dialog_SetFocusItem(item);
    Dialog_SelectItemText(item, 0, Dialog_GetItemTextLength(item));
    return false;
}

// The common part of each dialog's state: the record shown and whether "OK"
// closed the dialog.
template <typename Record>
struct OptionDialog {
    Record values{};
    bool ok = false;
};

// Runs the dialog on a copy of the diagram's record; 1 and the record on "OK".
template <typename Record, typename Copy>
int RunOptionDialog(int32_t number, DialogCallback callback, Copy copyFromDiagram, Record* record)
{
    OptionDialog<Record> dialog;
    copyFromDiagram(nullptr, dialog.values.data());
    if (Dialog_OpenModal(number, callback, &dialog) < 0 || !dialog.ok)
        return 0;
    if (record != nullptr)
        *record = dialog.values;
    return 1;
}

// ---- occurrence-set options (30590) ----

constexpr int32_t kOccSetDialog = 30590;
constexpr int16_t kSeedGiven = 25;
constexpr int16_t kSeedClock = 26;
constexpr int16_t kSeedField = 28;
constexpr int16_t kDrawsField = 32;
constexpr int16_t kFirstPercentField = 34;
constexpr int kPercentCount = 5;
constexpr size_t kSeedWord = 5;
constexpr size_t kDrawsWord = 6;
constexpr int16_t kMsgSeed = 11817;
constexpr int16_t kMsgAttempts = 11818;
constexpr int16_t kMsgFirstPercent = 11824;

void ShowOccSet(const SOccSetOptions& values)
{
    for (int i = 0; i < kPercentCount; ++i)
        Dialog_SetItemNumber(kFirstPercentField + i, values[i]);
    Dialog_SetItemNumber(kDrawsField, values[kDrawsWord]);
    if (values[kSeedWord] < 0) {
        Dialog_SetRadioGroup(kSeedGiven, kSeedClock, kSeedClock);
        Dialog_SetItemText(kSeedField, "");
    } else {
        Dialog_SetRadioGroup(kSeedGiven, kSeedClock, kSeedGiven);
        Dialog_SetItemNumber(kSeedField, values[kSeedWord]);
    }
}

void ReadOccSet(SOccSetOptions& values)
{
    for (int i = 0; i < kPercentCount; ++i)
        values[i] = Dialog_GetItemNumber(kFirstPercentField + i);
    values[kDrawsWord] = Dialog_GetItemNumber(kDrawsField);
    values[kSeedWord] = IsOn(kSeedGiven) ? Dialog_GetItemNumber(kSeedField) : -1;
}

bool OccSetValid(const SOccSetOptions& values)
{
    if (IsOn(kSeedGiven) && !InRange(values[kSeedWord], 1, 999, kMsgSeed, kSeedField))
        return false;
    if (!InRange(values[kDrawsWord], 0, 100, kMsgAttempts, kDrawsField))
        return false;
    for (int i = 0; i < kPercentCount; ++i) {
        if (!InRange(values[i], 0, 100, static_cast<int16_t>(kMsgFirstPercent + i), kFirstPercentField + i))
            return false;
    }
    return true;
}

void OpenOccSet(OptionDialog<SOccSetOptions>& dialog)
{
    ShowOccSet(dialog.values);
    Enable(kSeedClock, false);
}

int16_t OccSetCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<OptionDialog<SOccSetOptions>*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        OpenOccSet(*dialog);
        Dialog_SetDefaultItem(kItemOk);
        return item;
    }
    switch (item) {
    case kItemOk:
        ReadOccSet(dialog->values);
        if (OccSetValid(dialog->values)) {
            dialog->ok = true;
            Dialog_Close(item);
        }
        break;
    case kItemCancel:
        Dialog_Close(item);
        break;
    case kItemReset:
        DefCopyRecord1067(nullptr, dialog->values.data());
        OpenOccSet(*dialog);
        break;
    case kItemLoad:
        DefCopyRecord1067(kStandardLevel, dialog->values.data());
        ShowOccSet(dialog->values);
        break;
    case kItemSave:
        ReadOccSet(dialog->values);
        if (OccSetValid(dialog->values) && EE_ConfirmSaveStandard() != 0)
            DefSetOccSetOptions(dialog->values.data(), kDefLevelStandard);
        break;
    case kSeedGiven:
    case kSeedClock:
        Dialog_SetRadioGroup(kSeedGiven, kSeedClock, item);
        break;
    default:
        break;
    }
    return item;
}

// ---- general simulation options (32200) ----

constexpr int32_t kRunDialog = 32200;
constexpr int16_t kFairAutomatic = 7;
constexpr int16_t kFastAutomatic = 8;
constexpr int16_t kTimeCheck = 9;
constexpr int16_t kCodeCheck = 10;
constexpr int16_t kRecordNone = 11;
constexpr int16_t kFirstRecord = 12;
constexpr int16_t kLastRecord = 13;
constexpr int16_t kNoLimit = 14;
constexpr int16_t kFirstCriterion = 15;
constexpr int16_t kFirstTimeCriterion = 17;
constexpr int16_t kLastCriterion = 19;
constexpr int16_t kFirstCriterionField = 20;
constexpr int16_t kLastCriterionField = 23;
// A criterion's field lies this many items after its check.
constexpr int16_t kFieldOffset = kFirstCriterionField - kFirstCriterion;
constexpr size_t kRecordCountWord = 5;
constexpr size_t kFirstCriterionWord = 6;
constexpr size_t kCriterionCountWord = 11;
constexpr int16_t kMsgCriteriaNotInteger = 11399;

int32_t runModeValue = 0;
int32_t chosenRunMode = 0;

struct RunDialog {
    SRunOptions values{};
    bool ok = false;
    // The code-generation choices in force while the dialog is open.
    int32_t mode = 0;
    int32_t time = 0;
    int32_t code = 0;
};

int CountOn(int16_t first, int16_t last)
{
    int on = 0;
    for (int16_t item = first; item <= last; ++item)
        on += IsOn(item) ? 1 : 0;
    return on;
}

void ShowRun(const SRunOptions& values)
{
    Dialog_SetRadioGroup(kFairAutomatic, kFastAutomatic, runModeValue == 1 ? kFastAutomatic : kFairAutomatic);
    SetOn(kTimeCheck, values[2] != 0);
    SetOn(kCodeCheck, values[1] != 0);
    const bool recording = values[kRecordCountWord] != 0;
    SetOn(kFirstRecord, recording && values[3] != 0);
    SetOn(kLastRecord, recording && values[4] != 0);
    SetOn(kRecordNone, !recording);
    const bool limited = values[kCriterionCountWord] != 0;
    for (int16_t item = kFirstCriterion; item <= kLastCriterion; ++item)
        SetOn(item, limited && values[kFirstCriterionWord + (item - kFirstCriterion)] != 0);
    SetOn(kNoLimit, !limited);
    for (int16_t item = kFirstCriterionField; item <= kLastCriterionField; ++item)
        Dialog_SetItemText(item, SRunCriterionText(values, item - kFirstCriterionField).data());
}

void ReadRun(SRunOptions& values)
{
    runModeValue = IsOn(kFastAutomatic) ? 1 : 0;
    values[1] = IsOn(kCodeCheck) ? 1 : 0;
    values[2] = IsOn(kTimeCheck) ? 1 : 0;
    values[3] = IsOn(kFirstRecord) ? 1 : 0;
    values[4] = IsOn(kLastRecord) ? 1 : 0;
    values[kRecordCountWord] = CountOn(kFirstRecord, kLastRecord);
    for (int16_t item = kFirstCriterion; item <= kLastCriterion; ++item)
        values[kFirstCriterionWord + (item - kFirstCriterion)] = IsOn(item) ? 1 : 0;
    values[kCriterionCountWord] = CountOn(kFirstCriterion, kLastCriterion);
    for (int16_t item = kFirstCriterionField; item <= kLastCriterionField; ++item) {
        char text[kEditTextMax + 1] = {};
        Dialog_GetItemText(item, text, kEditTextMax);
        SSetRunCriterionText(values, item - kFirstCriterionField, text);
    }
}

bool RunValid(const SRunOptions& values)
{
    for (int16_t item = kFirstCriterion; item < kLastCriterion; ++item) {
        if (values[kFirstCriterionWord + (item - kFirstCriterion)] == 0)
            continue;
        int isInteger = 0;
        const auto text = SRunCriterionText(values, item - kFirstCriterion);
        if (EE_ParseNumber(text.data(), &isInteger) == 0 || isInteger == 0) {
            GE_MessageBox(kMsgCriteriaNotInteger);
            Dialog_SetFocusItem(item + kFieldOffset);
            return false;
        }
    }
    return true;
}

// The time stop criteria follow the "Time" check.
void FollowTime()
{
    const bool withTime = IsOn(kTimeCheck);
    for (int16_t item = kFirstTimeCriterion; item <= kLastCriterion; ++item) {
        if (!withTime)
            SetOn(item, false);
        Enable(item, withTime);
    }
}

// The choices the generated code allows: mode, time and code segments.
void RestrictRun(RunDialog& dialog)
{
    SGetCodeGenFlags(&dialog.mode, &dialog.time, &dialog.code);
    switch (dialog.mode) {
    case 1:
        Enable(kFairAutomatic, false);
        Enable(kFastAutomatic, true);
        Dialog_SetRadioGroup(kFairAutomatic, kFastAutomatic, kFastAutomatic);
        break;
    case 0:
        Enable(kFairAutomatic, true);
        Enable(kFastAutomatic, false);
        break;
    case 2:
        Enable(kFairAutomatic, true);
        Enable(kFastAutomatic, true);
        break;
    default: break;
    }
    const struct {
        int32_t choice;
        int32_t with;
        int16_t item;
    } checks[] = {{dialog.time, 3, kTimeCheck}, {dialog.code, 6, kCodeCheck}};
    for (const auto& check : checks) {
        if (check.choice == check.with) {
            Enable(check.item, true);
            SetOn(check.item, true);
        } else if (check.choice == check.with + 1) {
            SetOn(check.item, false);
            Enable(check.item, false);
        } else if (check.choice == check.with + 2) {
            Enable(check.item, true);
        }
    }
    FollowTime();
}

void OpenRun(RunDialog& dialog)
{
    ShowRun(dialog.values);
    RestrictRun(dialog);
}

void ToggleTime(const RunDialog& dialog)
{
    if (dialog.time != 5)
        return;
    SetOn(kTimeCheck, !IsOn(kTimeCheck));
    FollowTime();
    const bool anyCriterion = CountOn(kFirstCriterion, kLastCriterion) > 0;
    if (IsOn(kTimeCheck) && anyCriterion)
        SetOn(kNoLimit, false);
    if (!IsOn(kTimeCheck) && !anyCriterion)
        SetOn(kNoLimit, true);
}

void ToggleRecord(int16_t item)
{
    SetOn(item, !IsOn(item));
    SetOn(kRecordNone, CountOn(kFirstRecord, kLastRecord) == 0);
}

void ToggleCriterion(int16_t item)
{
    SetOn(item, !IsOn(item));
    if (IsOn(item)) {
        SetOn(kNoLimit, false);
        if (item + kFieldOffset <= kLastCriterionField)
            Dialog_SetFocusItem(item + kFieldOffset);
    } else if (CountOn(kFirstCriterion, kLastCriterion) == 0) {
        SetOn(kNoLimit, true);
    }
}

void ChooseNoLimit()
{
    if (IsOn(kNoLimit))
        return;
    SetOn(kNoLimit, true);
    const int16_t last = IsOn(kTimeCheck) ? kLastCriterion : kFirstTimeCriterion - 1;
    for (int16_t item = kFirstCriterion; item <= last; ++item)
        SetOn(item, false);
}

void ChooseNoRecord()
{
    if (IsOn(kRecordNone))
        return;
    SetOn(kRecordNone, true);
    SetOn(kFirstRecord, false);
    SetOn(kLastRecord, false);
}

// Activating a criterion's field whose check is off turns the check on.
void ActivateCriterionField(int16_t field)
{
    const int16_t check = field - kFieldOffset;
    if (!IsOn(check)) {
        SetOn(check, true);
        SetOn(kNoLimit, false);
    }
    Dialog_SetFocusItem(field);
}

void SaveRunAsStandard(SRunOptions& values)
{
    SOptionChange(&values[0], runModeValue);
    DefSetRunOptions(values.data(), kDefLevelStandard);
    SOptionRead(&values[0], &runModeValue);
}

int16_t RunCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<RunDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        OpenRun(*dialog);
        Dialog_SetDefaultItem(kItemOk);
        return item;
    }
    switch (item) {
    case kItemOk:
        ReadRun(dialog->values);
        if (RunValid(dialog->values)) {
            chosenRunMode = runModeValue;
            dialog->ok = true;
            Dialog_Close(item);
        }
        break;
    case kItemCancel:
        Dialog_Close(item);
        break;
    case kItemReset:
        DefCopyRunOptions(nullptr, dialog->values.data());
        SOptionRead(&dialog->values[0], &runModeValue);
        OpenRun(*dialog);
        break;
    case kItemLoad:
        DefCopyRunOptions(kStandardLevel, dialog->values.data());
        SOptionRead(&dialog->values[0], &runModeValue);
        ShowRun(dialog->values);
        RestrictRun(*dialog);
        break;
    case kItemSave:
        ReadRun(dialog->values);
        if (RunValid(dialog->values) && EE_ConfirmSaveStandard() != 0)
            SaveRunAsStandard(dialog->values);
        break;
    case kFairAutomatic:
    case kFastAutomatic:
        Dialog_SetRadioGroup(kFairAutomatic, kFastAutomatic, item);
        break;
    case kTimeCheck:
        ToggleTime(*dialog);
        break;
    case kCodeCheck:
        if (dialog->code == 8)
            SetOn(kCodeCheck, !IsOn(kCodeCheck));
        break;
    case kRecordNone:
        ChooseNoRecord();
        break;
    case kFirstRecord:
    case kLastRecord:
        ToggleRecord(item);
        break;
    case kNoLimit:
        ChooseNoLimit();
        break;
    default:
        if (item >= kFirstCriterion && item <= kLastCriterion)
            ToggleCriterion(item);
        else if (item >= kFirstCriterionField && item <= kLastCriterionField)
            ActivateCriterionField(item);
        break;
    }
    return item;
}

// ---- interactive simulation options (30594) ----

constexpr int32_t kInteractiveDialog = 30594;
constexpr int16_t kFirstBreakpoint = 7;
constexpr int16_t kLastBreakpoint = 9;
constexpr int16_t kFirstUpdate = 10;
constexpr int16_t kLastUpdate = 13;
constexpr int32_t kUpdateBetweenSteps = 2;
constexpr int32_t kUpdateEndOfRun = 3;

void ShowInteractive(const SInteractiveOptions& values)
{
    for (int16_t item = kFirstBreakpoint; item <= kLastBreakpoint; ++item)
        SetOn(item, values[item - kFirstBreakpoint] != 0);
    if (values[3] >= 0 && values[3] <= kLastUpdate - kFirstUpdate)
        Dialog_SetRadioGroup(kFirstUpdate, kLastUpdate, kFirstUpdate + values[3]);
}

void ReadInteractive(SInteractiveOptions& values)
{
    for (int16_t item = kFirstBreakpoint; item <= kLastBreakpoint; ++item)
        values[item - kFirstBreakpoint] = IsOn(item) ? 1 : 0;
    const int32_t chosen = Dialog_GetRadioChoice(kFirstUpdate, kLastUpdate);
    if (chosen != 0)
        values[3] = chosen - kFirstUpdate;
}

// Updating graphics only between steps or at the end of the run leaves the
// substep breakpoints, or all of them, without a meaning.
void LimitBreakpoints(int32_t update, bool enableOthers)
{
    const int16_t lastLimited = update == kUpdateEndOfRun ? kLastBreakpoint
                                : update == kUpdateBetweenSteps ? kLastBreakpoint - 1
                                                                : kFirstBreakpoint - 1;
    if (lastLimited < kFirstBreakpoint && !enableOthers)
        return;
    for (int16_t item = kFirstBreakpoint; item <= kLastBreakpoint; ++item) {
        if (item <= lastLimited) {
            SetOn(item, false);
            Enable(item, false);
        } else {
            Enable(item, true);
        }
    }
}

int16_t InteractiveCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<OptionDialog<SInteractiveOptions>*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        ShowInteractive(dialog->values);
        LimitBreakpoints(dialog->values[3], false);
        Dialog_SetDefaultItem(kItemOk);
        return item;
    }
    switch (item) {
    case kItemOk:
        ReadInteractive(dialog->values);
        dialog->ok = true;
        Dialog_Close(item);
        break;
    case kItemCancel:
        Dialog_Close(item);
        break;
    case kItemReset:
        DefCopyInteractiveOptions(nullptr, dialog->values.data());
        ShowInteractive(dialog->values);
        LimitBreakpoints(dialog->values[3], false);
        break;
    case kItemLoad:
        DefCopyInteractiveOptions(kStandardLevel, dialog->values.data());
        ShowInteractive(dialog->values);
        LimitBreakpoints(dialog->values[3], true);
        break;
    case kItemSave:
        ReadInteractive(dialog->values);
        if (EE_ConfirmSaveStandard() != 0)
            DefSetInteractiveOptions(dialog->values.data(), kDefLevelStandard);
        break;
    default:
        if (item >= kFirstBreakpoint && item <= kLastBreakpoint) {
            SetOn(item, !IsOn(item));
        } else if (item >= kFirstUpdate && item <= kLastUpdate) {
            Dialog_SetRadioGroup(kFirstUpdate, kLastUpdate, item);
            LimitBreakpoints(item - kFirstUpdate, true);
        }
        break;
    }
    return item;
}

}  // namespace

int32_t& SRunModeValue() { return runModeValue; }
int32_t& SChosenRunMode() { return chosenRunMode; }

std::array<char, kSRunTextBytes + 1> SRunCriterionText(const SRunOptions& record, size_t criterion)
{
    std::array<char, kSRunTextBytes + 1> text{};
    if (criterion < 4)
        std::memcpy(text.data(), &record[kSRunFirstText + criterion * (kSRunTextBytes / 4)], kSRunTextBytes);
    return text;
}

void SSetRunCriterionText(SRunOptions& record, size_t criterion, const char* text)
{
    if (criterion >= 4)
        return;
    char bytes[kSRunTextBytes] = {};
    if (text != nullptr)
        std::memcpy(bytes, text, std::min(std::strlen(text), kSRunTextBytes - 1));
    std::memcpy(&record[kSRunFirstText + criterion * (kSRunTextBytes / 4)], bytes, kSRunTextBytes);
}

int SOccSetOptionsDialog(SOccSetOptions* record)
{
    return RunOptionDialog(kOccSetDialog, OccSetCallback, DefCopyRecord1067, record);
}

int SRunOptionsDialog(SRunOptions* record)
{
    RunDialog dialog;
    DefCopyRunOptions(nullptr, dialog.values.data());
    SOptionRead(&dialog.values[0], &runModeValue);
    if (Dialog_OpenModal(kRunDialog, RunCallback, &dialog) < 0 || !dialog.ok)
        return 0;
    if (record != nullptr)
        *record = dialog.values;
    return 1;
}

int SInteractiveOptionsDialog(SInteractiveOptions* record)
{
    return RunOptionDialog(kInteractiveDialog, InteractiveCallback, DefCopyInteractiveOptions, record);
}
