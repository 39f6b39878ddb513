// "Enter NewSim": the newer simulator is selected (the selector grows by
// one) and the net is switched to the simulator as "Enter Simulator" does;
// the check, the instances and the state reset then go through the
// evaluator's typed requests.
#include "atolq/CEditor/NewSimCommand.h"

#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/SimulatorEntry.h"
#include "atolq/NewSim/NSSimulator.h"
#include "xkv/kv/QXMenu.h"

namespace {

constexpr uint32_t kLoadXmlItem = 11260;
constexpr uint32_t kItemDisabled = 2;

} // namespace

void EE_EnterNewSim()
{
    NSNewSimFlag() += 1;
    NSInstallHandOvers();
    EE_RemoveEditorMenus();
    if (EE_SwitchToSimulator() != 0)
        QXMenu_SetItemState(kLoadXmlItem, kItemDisabled);
    else
        EE_InstallEditorMenus();
}
