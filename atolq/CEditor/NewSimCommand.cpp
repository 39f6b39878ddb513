// "Enter NewSim": the newer simulator is selected (the selector grows by
// one), the net is checked by the evaluator page by page, the evaluator
// makes the page instances and puts the net into its initial state.
#include "atolq/CEditor/NewSimCommand.h"

#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/NewSim/NSSimulator.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int16_t kMsgCheckErrors = 11813;
constexpr int kScopeDiagram = 4;
constexpr int kCheckPassed = 1;
constexpr int kCheckFoundErrors = -1;

// The check, the instances and the initial state; true when all passed.
bool SwitchToNewSim()
{
    int cursor = EE_BeginBusy("Starting Syntax Check");
    const int check = EE_RunSyntaxCheck(0, kScopeDiagram, 0, 1);
    EE_EndBusy(cursor);
    if (check != kCheckPassed) {
        QXUI_SetStatusBarMessage("Switch failed");
        if (check == kCheckFoundErrors)
            GE_MessageBox(kMsgCheckErrors);
        return false;
    }
    cursor = EE_BeginBusy("Switching to Simulator");
    const bool instances = CTSGenerateSimCode(EE_ShowProgress) != 0;
    EE_EndBusy(cursor);
    if (!instances) {
        QXUI_SetStatusBarMessage("Switch failed");
        return false;
    }
    cursor = EE_BeginBusy("Creating Instances");
    const bool reset = CTSResetSimState() != 0;
    EE_EndBusy(cursor);
    if (!reset)
        QXUI_SetStatusBarMessage("Switch failed");
    return reset;
}

} // namespace

void EE_EnterNewSim()
{
    NSNewSimFlag() += 1;
    NSInstallHandOvers();
    if (SwitchToNewSim())
        GE_ReportNotBuilt("The simulator mode");
}
