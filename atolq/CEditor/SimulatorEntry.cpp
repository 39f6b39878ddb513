// Entering the simulator from the editor, and removing simulation regions.
#include "atolq/CEditor/SimulatorEntry.h"

#include <vector>

#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetStartup.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/CSimulator/SimGraphics.h"
#include "atolq/CSimulator/SimSwitch.h"
#include "xkv/comm/Comm.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr uint16_t kTagSavedState = 0xF903;
constexpr uint32_t kLoadXmlItem = 11260;
constexpr int16_t kMsgCheckErrors = 11813;
constexpr int16_t kMsgCheckUnexpected = 16421;
constexpr int kScopeWholeNet = 1;

bool DiagramHoldsSavedState()
{
    return GE_HasUserData(QXStr_GetPageListHandle(), kTagSavedState) != 0;
}

// The check before the switch; true only when it passed.
bool NetChecks()
{
    const int cursor = EE_BeginBusy("Starting Syntax Check");
    const int result = EE_RunSyntaxCheck(0, kScopeWholeNet, 0, 1);
    EE_EndBusy(cursor);
    switch (result) {
    case 0:
        QXUI_SetStatusBarMessage("Syntax Check Stopped");
        break;
    case 1: case -2:
        QXUI_SetStatusBarMessage("Finished Syntax Check");
        break;
    case -1:
        QXUI_SetStatusBarMessage("Finished Syntax Check");
        GE_MessageBox(kMsgCheckErrors);
        break;
    default:
        EE_ReportError(kMsgCheckUnexpected);
        break;
    }
    return result == 1;
}

// ---- dialog 30610 ----

constexpr int32_t kSimRegionsDialog = 30610;
constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;
constexpr int16_t kReset = 3;
constexpr int32_t kFirstSwitch = 6;
constexpr int32_t kLastSwitch = 9;

struct SimRegionsAnswer {
    bool ok = false;
    int switches[4] = {1, 1, 1, 1};
};

// The check boxes shown; a dialog without them answers with all on.
void ShowSwitches(const SimRegionsAnswer& answer)
{
    if (Dialog_GetItemCount() < kLastSwitch)
        return;
    for (int32_t item = kFirstSwitch; item <= kLastSwitch; ++item)
        Dialog_SetItemState(item, answer.switches[item - kFirstSwitch]);
}

int16_t SimRegionsCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* answer = static_cast<SimRegionsAnswer*>(Dialog_GetClientData());
    if (answer == nullptr)
        return item;
    if (code == 0) {
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
    default:
        if (item >= kFirstSwitch && item <= kLastSwitch) {
            int& value = answer->switches[item - kFirstSwitch];
            value = value != 0 ? 0 : 1;
            ShowSwitches(*answer);
        }
        break;
    }
    return item;
}

}  // namespace

int EE_AskRemoveSimRegions(int switches[5])
{
    SimRegionsAnswer answer;
    Dialog_OpenModal(kSimRegionsDialog, SimRegionsCallback, &answer);
    if (!answer.ok)
        return 0;
    for (int i = 0; i < 4; ++i)
        switches[i] = answer.switches[i];
    switches[4] = 0;
    return 1;
}

namespace {

// The switch; a scripted run that asked for the simulator has answered the
// question about a net without prime pages already: it goes on unasked.
int SwitchToSimulator(bool scripted)
{
    if (QXStr_HasDiagram() == 0 || DiagramHoldsSavedState()) {
        SEnterSavedState();
        return 1;
    }
    if (!scripted && CTSCheckPrimePages() == 0)
        return 0;
    if (Comm_InTextMode() != 0) {
        if (const uint32_t edited = QXStr_GetCurObject(); edited != 0)
            EE_UpdateNetFromObject(edited);
        GE_EndTextEdit();
    }
    const bool passed = NetChecks();
    EE_RefreshTextMenu(QXStr_GetCurObject());
    if (!passed)
        return 0;
    const int switched = SSwitchToSimulator();
    if (switched != 0)
        QXMenu_SetItemState(kLoadXmlItem, 2);
    return switched;
}

}  // namespace

int EE_SwitchToSimulator()
{
    return SwitchToSimulator(false);
}

int EE_SwitchToSimulatorScripted()
{
    return SwitchToSimulator(true);
}

void EE_EnterSimulatorCommand()
{
    EE_RemoveEditorMenus();
    if (EE_SwitchToSimulator() != 0)
        QXMenu_SetItemState(kLoadXmlItem, 2);
    else
        EE_InstallEditorMenus();
}

int EE_RemoveSimRegionsCommand()
{
    uint16_t count = 0;
    uint32_t* block = nullptr;
    if (EE_GetSelectedPages(&count, &block) == 0 || block == nullptr || count == 0) {
        if (block != nullptr)
            QXMem_Free(block);
        return 0;
    }
    const std::vector<uint32_t> pages(block, block + count);
    QXMem_Free(block);
    int switches[5] = {};
    if (EE_AskRemoveSimRegions(switches) == 0)
        return 1;
    if (switches[0] == 0 && switches[1] == 0 && switches[2] == 0 && switches[3] == 0 && switches[4] == 0)
        return 1;
    const int cursor = EE_BeginBusy("Removing Simulator Regions");
    for (const uint32_t page : pages)
        SDeletePageSimRegions(page, switches[0], switches[1], switches[2], switches[3]);
    EE_EndBusy(cursor);
    QXStr_SetModified(1);
    return 1;
}
