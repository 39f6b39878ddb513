// The net editor's way into the occurrence-graph tool: "Enter Occ Graph" and
// "Enter OE/OS Graph" of the File menu leave the editor, switch the checked
// net into the simulator and then enter the tool; a failed switch brings the
// editor back.
#include "atolq/OGA/OGA.h"

#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/SimulatorEntry.h"
#include "xkv/kv/QXMenu.h"

namespace {

constexpr uint32_t kLoadXmlItem = 11260;
constexpr uint32_t kEnterPerfItem = 11262;
constexpr uint32_t kDisabled = 2;

void enterFromEditor(int32_t variant)
{
    EE_RemoveEditorMenus();
    if (EE_SwitchToSimulator() == 0) {
        EE_InstallEditorMenus();
        return;
    }
    QXMenu_SetItemState(kLoadXmlItem, kDisabled);
    QXMenu_SetItemState(kEnterPerfItem, kDisabled);
    OGAEnter(variant);
}

} // namespace

void EE_EnterOccGraphCommand() { enterFromEditor(0); }
void EE_EnterOEOSGraphCommand() { enterFromEditor(1); }
