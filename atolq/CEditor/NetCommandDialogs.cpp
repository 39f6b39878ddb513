// Dialogs of the net editor's commands: the port type of Port Place...
// (30045), the options of Replace by Subpage... (30450), the direction of
// Copy Defaults... (30600) and the information of Get Info (30010).
#include <string>
#include <vector>

#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/SelectionFilters.h"
#include "xkv/dialog/Dialog.h"

namespace {

constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;

// ---- port type ----

constexpr int32_t kPortDialog = 30045;
constexpr int32_t kFirstPortItem = 5;
constexpr int32_t kLastPortItem = 8;
constexpr int16_t kMsgChoosePortType = 11295;
// Items 5-8: general, input, output, input & output.
constexpr uint16_t kPortTypeOfItem[] = {4, 1, 2, 3};

struct PortAnswer {
    int32_t preset = 0;
    uint16_t portType = 0;
    bool ok = false;
};

// The item that the port types already present preselect: none gives the
// general port, exactly one its own item, several none.
int32_t PresetPortItem(uint32_t portTypes)
{
    constexpr uint32_t kBitsOfItem[] = {kEQPortType4, kEQPortType1, kEQPortType2, kEQPortType3};
    int32_t found = 0;
    int present = 0;
    for (int32_t i = 0; i < 4; ++i) {
        if ((portTypes & kBitsOfItem[i]) != 0) {
            ++present;
            found = kFirstPortItem + i;
        }
    }
    if (present == 0)
        return kFirstPortItem;
    return present == 1 ? found : 0;
}

int16_t PortCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* answer = static_cast<PortAnswer*>(Dialog_GetClientData());
    if (answer == nullptr)
        return item;
    if (code == 0) {
        Dialog_SetRadioGroup(kFirstPortItem, kLastPortItem, answer->preset);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item >= kFirstPortItem && item <= kLastPortItem) {
        Dialog_SetRadioGroup(kFirstPortItem, kLastPortItem, item);
    } else if (item == kOk) {
        const int32_t chosen = Dialog_GetRadioChoice(kFirstPortItem, kLastPortItem);
        if (chosen < kFirstPortItem || chosen > kLastPortItem) {
            GE_MessageBox(kMsgChoosePortType);
            return item;
        }
        answer->portType = kPortTypeOfItem[chosen - kFirstPortItem];
        answer->ok = true;
        Dialog_Close(item);
    } else if (item == kCancel) {
        Dialog_Close(item);
    }
    return item;
}

// ---- replace by subpage ----

constexpr int32_t kReplaceDialog = 30450;
constexpr int32_t kFirstSwitch = 6;
constexpr int32_t kLastSwitch = 8;
constexpr int16_t kReset = 3;

struct ReplaceAnswer {
    bool ok = false;
    int switches[3] = {1, 1, 1};
};

// The switches shown; a dialog without its switch items answers with all on.
void ShowSwitches(const ReplaceAnswer& answer)
{
    for (int32_t item = kFirstSwitch; item <= kLastSwitch; ++item)
        Dialog_SetItemState(item, answer.switches[item - kFirstSwitch]);
}

int16_t ReplaceCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* answer = static_cast<ReplaceAnswer*>(Dialog_GetClientData());
    if (answer == nullptr)
        return item;
    if (code == 0) {
        if (Dialog_GetItemCount() >= kLastSwitch)
            ShowSwitches(*answer);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    switch (item) {
    case kOk:
        answer->ok = true;
        Dialog_Close(item);
        break;
    case kCancel:
        Dialog_Close(item);
        break;
    case kReset:
        for (int& value : answer->switches)
            value = 1;
        ShowSwitches(*answer);
        break;
    case kLastSwitch:
        // The third switch stays on.
        answer->switches[2] = 1;
        ShowSwitches(*answer);
        break;
    case kFirstSwitch:
    case kFirstSwitch + 1:
        // State 4 toggles a check box.
        Dialog_SetItemState(item, 4);
        answer->switches[item - kFirstSwitch] = Dialog_GetItemState(item) == 1 ? 1 : 0;
        break;
    default:
        break;
    }
    return item;
}

// ---- copy defaults ----

constexpr int32_t kCopyDefaultsDialog = 30600;
constexpr int32_t kSystemToDiagram = 5;
constexpr int32_t kDiagramToSystem = 6;

struct CopyAnswer {
    int32_t chosen = kSystemToDiagram;
    bool ok = false;
};

int16_t CopyDefaultsCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* answer = static_cast<CopyAnswer*>(Dialog_GetClientData());
    if (answer == nullptr)
        return item;
    if (code == 0) {
        Dialog_SetRadioGroup(kSystemToDiagram, kDiagramToSystem, answer->chosen);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item == kSystemToDiagram || item == kDiagramToSystem) {
        answer->chosen = item;
        Dialog_SetRadioGroup(kSystemToDiagram, kDiagramToSystem, item);
    } else if (item == kOk || item == kCancel) {
        answer->ok = item == kOk;
        Dialog_Close(item);
    }
    return item;
}

// ---- information ----

constexpr int32_t kInfoItems = 5;

struct InfoDialog {
    const char* heading;
    std::string body;
};

int16_t InfoCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<InfoDialog*>(Dialog_GetClientData());
    if (code == 0) {
        // Only a dialog with its heading and body items is filled.
        if (dialog != nullptr && Dialog_GetItemCount() >= kInfoItems) {
            Dialog_SetItemText(3, dialog->heading);
            Dialog_SetItemText(4, dialog->body.c_str());
        }
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item == kOk)
        Dialog_Close(item);
    return item;
}

}  // namespace

int EE_AskPortType(uint32_t portTypes, uint16_t* portType)
{
    PortAnswer answer;
    answer.preset = PresetPortItem(portTypes);
    Dialog_OpenModal(kPortDialog, PortCallback, &answer);
    if (!answer.ok)
        return 0;
    *portType = answer.portType;
    return 1;
}

int EE_AskReplaceOptions(int* deletePages, int* deletePorts, int* duplicatePorts)
{
    ReplaceAnswer answer;
    Dialog_OpenModal(kReplaceDialog, ReplaceCallback, &answer);
    if (!answer.ok)
        return 0;
    *deletePages = answer.switches[0];
    *deletePorts = answer.switches[1];
    *duplicatePorts = answer.switches[2];
    return 1;
}

int EE_AskCopyDefaults(int* direction)
{
    CopyAnswer answer;
    Dialog_OpenModal(kCopyDefaultsDialog, CopyDefaultsCallback, &answer);
    if (!answer.ok)
        return 0;
    *direction = answer.chosen == kDiagramToSystem ? 1 : 0;
    return 1;
}

int EE_ShowInfoDialog(const char* summary, const std::vector<std::string>& lines)
{
    InfoDialog dialog{summary != nullptr ? summary : "", {}};
    for (const std::string& line : lines)
        dialog.body += line + "\n";
    constexpr int32_t kInfoDialog = 30010;
    Dialog_OpenModal(kInfoDialog, InfoCallback, &dialog);
    return 1;
}
