// The net editor's way into the performance tool: "Enter Perf" of the File
// menu leaves the editor, switches the checked net into the simulator and
// enters the tool; a failed switch brings the editor back.
#include "atolq/Performance/Perf.h"

#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/SimulatorEntry.h"
#include "xkv/kv/QXMenu.h"

void EE_EnterPerfCommand()
{
    constexpr uint32_t kLoadXmlItem = 11260;
    EE_RemoveEditorMenus();
    if (EE_SwitchToSimulator() == 0) {
        EE_InstallEditorMenus();
        return;
    }
    QXMenu_SetItemState(kLoadXmlItem, 2);
    PerfEnter();
}
