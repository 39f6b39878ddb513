// The Set menu's option dialogs of the net editor: the optional syntax
// restrictions (record 1063) and the simulation code options (record 1065,
// with the run options adapted to them). Each dialog works on a copy of the
// diagram's record; "OK" stores it with the diagram's options and marks the
// diagram modified.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>

#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelDialogDefaults.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/SetMenuOptions.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr int16_t kItemOk = 1;
constexpr int16_t kItemCancel = 2;
constexpr int16_t kItemReset = 3;
constexpr int16_t kItemLoad = 4;
constexpr int16_t kItemSave = 5;
// State 4 toggles a check box.
constexpr int32_t kToggle = 4;
const void* const kStandardLevel = reinterpret_cast<const void*>(1);

// ---- syntax restrictions ----

constexpr int32_t kSyntaxDialog = 30499;
constexpr int16_t kFirstRestriction = 9;
// The record word of each check box 9-16; words 2, 5 and 7 pass through.
constexpr size_t kRestrictionWord[] = {0, 1, 3, 4, 6, 8, 9, 10};

struct SyntaxDialog {
    EESyntaxOptions values{};
    EESyntaxOptions start{};
    bool ok = false;
};

void ShowRestrictions(const EESyntaxOptions& values)
{
    for (size_t i = 0; i < std::size(kRestrictionWord); ++i)
        Dialog_SetItemState(kFirstRestriction + static_cast<int32_t>(i), values[kRestrictionWord[i]] != 0 ? 1 : 0);
}

void ReadRestrictions(EESyntaxOptions& values)
{
    for (size_t i = 0; i < std::size(kRestrictionWord); ++i)
        values[kRestrictionWord[i]] = Dialog_GetItemState(kFirstRestriction + static_cast<int32_t>(i)) == 1 ? 1 : 0;
}

bool IsRestriction(int16_t item)
{
    return item >= kFirstRestriction && item < kFirstRestriction + static_cast<int16_t>(std::size(kRestrictionWord));
}

int16_t SyntaxCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<SyntaxDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        ShowRestrictions(dialog->values);
        Dialog_SetDefaultItem(kItemOk);
        return item;
    }
    switch (item) {
    case kItemOk:
        ReadRestrictions(dialog->values);
        dialog->ok = true;
        Dialog_Close(item);
        break;
    case kItemCancel:
        Dialog_Close(item);
        break;
    case kItemReset:
        dialog->values = dialog->start;
        ShowRestrictions(dialog->values);
        break;
    case kItemLoad:
        if (DefCopySyntaxOptions(kStandardLevel, dialog->values.data()) != 0)
            ShowRestrictions(dialog->values);
        break;
    case kItemSave:
        ReadRestrictions(dialog->values);
        if (EE_ConfirmSaveStandard() != 0)
            DefSetSyntaxOptions(dialog->values.data(), kDefLevelStandard);
        break;
    default:
        if (IsRestriction(item))
            Dialog_SetItemState(item, kToggle);
        break;
    }
    return item;
}

// ---- simulation code options ----

constexpr int32_t kCodeDialog = 32150;
constexpr int16_t kFirstMode = 7;
constexpr int16_t kFirstTime = 10;
constexpr int16_t kStartTime = 14;
constexpr int16_t kFirstCode = 15;
constexpr int16_t kMsgStartTimeNotInteger = 11398;
constexpr size_t kStartTimeBytes = 32;

// A radio group of three items that shows a record word as item first +
// (word - base).
struct RadioWord {
    int16_t first;
    size_t word;
    int32_t base;
};
constexpr RadioWord kCodeGroups[] = {{kFirstMode, 0, 0}, {kFirstTime, 1, 3}, {kFirstCode, 2, 6}};

std::string StartTimeOf(const EECodeOptions& values)
{
    char text[kStartTimeBytes + 1] = {};
    std::memcpy(text, &values[3], kStartTimeBytes);
    return text;
}

void SetStartTime(EECodeOptions& values, const std::string& text)
{
    char bytes[kStartTimeBytes] = {};
    std::memcpy(bytes, text.data(), std::min(text.size(), kStartTimeBytes - 1));
    std::memcpy(&values[3], bytes, kStartTimeBytes);
}

void ShowCodeOptions(const EECodeOptions& values)
{
    for (const RadioWord& group : kCodeGroups) {
        const int32_t offset = values[group.word] - group.base;
        if (offset >= 0 && offset <= 2)
            Dialog_SetRadioGroup(group.first, group.first + 2, group.first + offset);
    }
    Dialog_SetItemText(kStartTime, StartTimeOf(values).c_str());
    // In the simulator the time option in force stays.
    const bool simulator = GE_GetMode() == kGEModeSimulator;
    for (int16_t item = kFirstTime; item < kFirstTime + 3; ++item) {
        const bool chosen = values[1] - 3 == item - kFirstTime;
        if (!simulator || chosen)
            Dialog_EnableItem(item);
        else
            Dialog_DisableItem(item);
    }
}

void ReadCodeOptions(EECodeOptions& values)
{
    for (const RadioWord& group : kCodeGroups) {
        const int32_t chosen = Dialog_GetRadioChoice(group.first, group.first + 2);
        if (chosen != 0)
            values[group.word] = group.base + (chosen - group.first);
    }
    char text[kStartTimeBytes] = {};
    Dialog_GetItemText(kStartTime, text, kStartTimeBytes - 1);
    SetStartTime(values, text);
}

// Shows the refusal on the start time field; true when the values may stand.
bool CodeOptionsValid(const EECodeOptions& values)
{
    if (EE_CodeOptionsValid(values))
        return true;
    GE_MessageBox(kMsgStartTimeNotInteger);
    Dialog_SetFocusItem(kStartTime);
    Dialog_SelectItemText(kStartTime, 0, static_cast<int32_t>(StartTimeOf(values).size()));
    return false;
}

struct CodeDialog {
    EECodeOptions values{};
    EECodeOptions start{};
    bool ok = false;
};

void SaveStandardCodeOptions(const EECodeOptions& values)
{
    if (EE_ConfirmSaveStandard() == 0)
        return;
    DefSetCodeOptions(values.data(), kDefLevelStandard);
    EERunOptions run{};
    if (DefGetRunOptions(run.data(), kDefLevelStandard) != 0) {
        EE_AdjustRunOptions(values, run);
        DefSetRunOptions(run.data(), kDefLevelStandard);
    }
}

int16_t CodeCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<CodeDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        ShowCodeOptions(dialog->values);
        Dialog_SetDefaultItem(kItemOk);
        return item;
    }
    switch (item) {
    case kItemOk:
        ReadCodeOptions(dialog->values);
        if (!CodeOptionsValid(dialog->values))
            break;
        dialog->ok = true;
        Dialog_Close(item);
        break;
    case kItemCancel:
        Dialog_Close(item);
        break;
    case kItemReset:
        dialog->values = dialog->start;
        ShowCodeOptions(dialog->values);
        break;
    case kItemLoad:
        if (DefCopyCodeOptions(kStandardLevel, dialog->values.data()) != 0)
            ShowCodeOptions(dialog->values);
        break;
    case kItemSave:
        ReadCodeOptions(dialog->values);
        if (CodeOptionsValid(dialog->values))
            SaveStandardCodeOptions(dialog->values);
        break;
    default:
        for (const RadioWord& group : kCodeGroups) {
            if (item >= group.first && item <= group.first + 2)
                Dialog_SetRadioGroup(group.first, group.first + 2, item);
        }
        break;
    }
    return item;
}

}  // namespace

int EE_EditSyntaxOptions(EESyntaxOptions& record)
{
    SyntaxDialog dialog;
    DefCopySyntaxOptions(nullptr, dialog.values.data());
    dialog.start = dialog.values;
    Dialog_OpenModal(kSyntaxDialog, SyntaxCallback, &dialog);
    if (!dialog.ok)
        return 0;
    record = dialog.values;
    return 1;
}

void EE_SyntaxOptions()
{
    EESyntaxOptions record{};
    if (EE_EditSyntaxOptions(record) == 0)
        return;
    QXStr_SetModified(1);
    DefCopySyntaxOptions(record.data(), nullptr);
}

bool EE_CodeOptionsValid(const EECodeOptions& values)
{
    constexpr int32_t kWithoutTime = 4;
    if (values[1] == kWithoutTime)
        return true;
    const std::string text = StartTimeOf(values);
    size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i >= text.size())
        return false;
    for (; i < text.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(text[i])) == 0)
            return false;
    }
    return true;
}

void EE_AdjustRunOptions(const EECodeOptions& code, EERunOptions& run)
{
    switch (code[1]) {
    case 3: run[2] = 1; break;
    case 4: run[2] = 0; break;
    default: break;
    }
    switch (code[2]) {
    case 6: run[1] = 1; break;
    case 7: run[1] = 0; break;
    default: break;
    }
    switch (code[0]) {
    case 1: run[0] = 1; break;
    case 0:
        if (run[0] == 1)
            run[0] = 3;
        break;
    case 2:
        if (run[0] == 1)
            run[0] = 4;
        break;
    default: break;
    }
}

int EE_EditCodeOptions(EECodeOptions& record)
{
    CodeDialog dialog;
    DefCopyCodeOptions(nullptr, dialog.values.data());
    dialog.start = dialog.values;
    Dialog_OpenModal(kCodeDialog, CodeCallback, &dialog);
    if (!dialog.ok)
        return 0;
    record = dialog.values;
    return 1;
}

void EE_CodeOptions()
{
    EECodeOptions before{};
    DefCopyCodeOptions(nullptr, before.data());
    EECodeOptions record = before;
    if (EE_EditCodeOptions(record) == 0)
        return;
    QXStr_SetModified(1);
    DefCopyCodeOptions(record.data(), nullptr);
    ASSetCodeGenOptions(record.data());
    EERunOptions run{};
    if (DefGetRunOptions(run.data(), kDefLevelDiagram) != 0) {
        const int32_t previousMode = run[0];
        EE_AdjustRunOptions(record, run);
        DefSetRunOptions(run.data(), kDefLevelDiagram);
        ASSetRunOptions(run.data());
        if (run[0] == 4 && previousMode != 4)
            SEResetChartTexts();
    }
    if (record != before)
        SEMarkGlobalDeclChanged();
}
