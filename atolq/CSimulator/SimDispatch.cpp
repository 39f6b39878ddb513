// The simulator's menu-pick handler: the checks each menu makes while
// simulating, the commands the simulator takes over, and the "Sim" menu's
// command table. A Sim command whose operation is not built yet says so and
// changes nothing.
#include "atolq/OGA/OGA.h"
#include "atolq/Performance/Perf.h"
#include "atolq/CSimulator/SimDispatch.h"

#include <algorithm>
#include <span>
#include <string>

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CEditor/NetStartup.h"
#include "atolq/CEditor/RXLCandidates.h"
#include "atolq/CSimulator/SimDialogCommands.h"
#include "atolq/CSimulator/SimMenus.h"
#include "atolq/CSimulator/SimRunCommands.h"
#include "atolq/CSimulator/SimNewSim.h"
#include "atolq/NewSim/NSMode.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimStateCommands.h"
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/CSimulator/SimSwitch.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "atolq/CSimulator/SimulatorCharts.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/select/Select.h"

namespace {

constexpr uintptr_t kHandled = 0;
constexpr uintptr_t kForKernel = 1;
constexpr int16_t kMsgSelectionEmpty = 11307;
constexpr int16_t kMsgNoDiagram = 11325;
constexpr int16_t kMsgReswitchFirst = 11551;

struct SimCommand {
    uint16_t command;
    void (*run)();
};

struct PendingCommand {
    uint16_t command;
    const char* label;
};

// The Sim commands built so far.
constexpr SimCommand kSimCommands[] = {
    {10301, SBind},
    {10302, SOccurrenceSet},
    {10303, SStartStepCommand},
    {10305, SInteractiveRunCommand},
    {10306, SAutomaticRunCommand},
    {10308, SContinueCommand},
    {10309, SStopCommand},
    {10311, SChangeMarking},
    {10312, SInitialStateCommand},
    {10314, SSelectInstance},
    {10315, SSelectEnabled},
    {10317, SSaveReport},
    {10318, SClearReport},
    {10322, SReswitch},
    {10320, SUpdateChartCommand},
    {10324, [] { SFindPieces(); }},
    {10325, [] { SFindNextPiece(); }},
    {10326, [] { SFindPreviousPiece(); }},
};

// Sim commands whose operation is not built yet.
constexpr std::span<const PendingCommand> kPendingSimCommands{};

// File-menu operations of tools not built yet.
constexpr std::span<const PendingCommand> kPendingFileCommands{};

// Commands that keep the pieces found in an RXL model.
constexpr uint16_t kKeepPieces[] = {10308, 10309, 10317, 10318, 10320, 10322, 10325, 10326};

std::string_view PendingLabel(std::span<const PendingCommand> rows, uint16_t command)
{
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const PendingCommand& p) { return p.command == command; });
    return row != rows.end() ? std::string_view(row->label) : std::string_view();
}

bool ReportPending(std::span<const PendingCommand> rows, uint16_t command)
{
    const std::string_view label = PendingLabel(rows, command);
    if (label.empty())
        return false;
    GE_ReportNotBuilt(std::string(label).c_str());
    return true;
}

bool DiagramOpen()
{
    return QXStr_HasDiagram() != 0;
}

bool TextEditing()
{
    return Comm_InTextMode() != 0;
}

uintptr_t Refuse(int16_t message)
{
    GE_MessageBox(message);
    return kHandled;
}

// The editor's handling of a menu, which the simulator shares.
uintptr_t EditorMenu(uint16_t menu, uint16_t command)
{
    return GE_DispatchPick(menu, static_cast<int16_t>(command), false) == 0 ? kForKernel : kHandled;
}

void MenusChanged()
{
    GE_SetStateFlags(kGEMenusStale);
    GE_RequestMenuUpdate();
}

// After moving to another object: a running text edit ends when the new
// current object may not be edited in the simulator.
void EndEditUnlessEditable()
{
    if (TextEditing() && SMayEditText(QXStr_GetCurObject()) == 0) {
        GE_EndTextEdit();
        MenusChanged();
    }
}

uintptr_t FileCommand(uint16_t command)
{
    if (ReportPending(kPendingFileCommands, command)) {
        MenusChanged();
        return kHandled;
    }
    switch (command) {
    case 208:
        EE_RunNetCommand(2, 208);
        break;
    case 220:
        if (!DiagramOpen())
            return kForKernel;
        EE_Quit();
        break;
    case 11250:
        if (NSNewSimFlag() != 0) {
            SLeaveNewSim();
            return kHandled;
        }
        SEnterEditorCommand();
        break;
    case kOGAEnterOcc:
        OGAEnter(0);
        break;
    case kOGAEnterOEOS:
        OGAEnter(1);
        break;
    case kPerfEnterItem:
        PerfEnter();
        break;
    case 11255:
        SSaveStateCommand();
        break;
    case 11256:
        GE_DoCommand(202);
        if (!DiagramOpen())
            SSetEditMenusEnabled(0);
        break;
    case 11260: case 11261:
        GE_DispatchPick(2, static_cast<int16_t>(command), false);
        break;
    default:
        GE_DoCommand(command);
        break;
    }
    MenusChanged();
    if (command == 203)
        GE_SetCurrentDiagram(DiagramOpen() ? QXStr_GetPageListHandle() : 0);
    return kHandled;
}

uintptr_t EditCommand(uint16_t command)
{
    if (!DiagramOpen())
        return Refuse(kMsgNoDiagram);
    switch (command) {
    case 301: case 303: case 304: case 305:
        EE_RunNetCommand(3, static_cast<int16_t>(command));
        return kHandled;
    case 306:
        if (TextEditing())
            return kHandled;
        if (QXStr_GetCurObject() == 0 && Select_GetMode() != 1)
            return Refuse(kMsgSelectionEmpty);
        EE_RunNetCommand(3, 306);
        return kHandled;
    default:
        return kForKernel;
    }
}

// Hook 1 for one command: the text edit ends, then the handler goes.
uintptr_t EndTextEditOnce(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    GE_EndTextEdit();
    Hook_Set(kHookCommandEnd, nullptr);
    return 1;
}

uintptr_t CreateCommand(uint16_t command)
{
    if (!DiagramOpen())
        return Refuse(kMsgNoDiagram);
    if (command == 11453) {
        EE_RunNetCommand(4, 11453);
        return kHandled;
    }
    GE_SetCreateKind(kGECreateNone);
    Hook_Set(kHookCommandEnd, EndTextEditOnce);
    return kForKernel;
}

// Next or previous object, child or parent: the kernel moves, then the
// text-edit check.
uintptr_t MoveThenCheck(uint16_t menu, uint16_t command)
{
    const uintptr_t result = EditorMenu(menu, command);
    if (result == kForKernel)
        GE_DoCommand(command);
    EndEditUnlessEditable();
    return kHandled;
}

uintptr_t MakeupCommand(uint16_t command)
{
    if (command == 510 || command == 511)
        return MoveThenCheck(5, command);
    return EditorMenu(5, command);
}

uintptr_t PageCommand(uint16_t command)
{
    if (command == 608 || command == 609)
        return MoveThenCheck(6, command);
    return EditorMenu(6, command);
}

// Whether a text edit of a net region left stale code behind: the text is
// stored first.
bool StaleCodeRefuses()
{
    // The region being edited, also when the pick has left it.
    ObjectHandle current = QXStr_GetCurObject();
    if (current == 0)
        current = GE_GetTextEditObject();
    if (TextEditing() && current != 0 && (QXRdAttr_GetObjectType(current) & kQXKindRegion) != 0 &&
        GE_RegionKindOf(current) > 0)
        EE_UpdateNetFromObject(current);
    if (SReswitchNeeded() == 0)
        return false;
    GE_MessageBox(kMsgReswitchFirst);
    GE_RequestMenuUpdate();
    return true;
}

}  // namespace

std::string_view SPendingSimCommand(uint16_t command)
{
    return PendingLabel(kPendingSimCommands, command);
}

int SSimCommand(uint16_t command)
{
    constexpr uint16_t kReswitch = 10322;
    if (command != kReswitch && StaleCodeRefuses())
        return 0;
    // The newer simulator runs and stops through its own requests.
    if (NSNewSimFlag() != 0 && SNewSimCommand(command)) {
        GE_RequestMenuUpdate();
        return 0;
    }
    if (std::find(std::begin(kKeepPieces), std::end(kKeepPieces), command) == std::end(kKeepPieces))
        SDropPieces();
    const auto row = std::find_if(std::begin(kSimCommands), std::end(kSimCommands),
                                  [&](const SimCommand& c) { return c.command == command; });
    if (row != std::end(kSimCommands))
        row->run();
    else
        ReportPending(kPendingSimCommands, command);
    GE_RequestMenuUpdate();
    return 0;
}

int SMenuPick(uint16_t menu, uint16_t command)
{
    QXUI_UpdateStatusBar();
    switch (menu) {
    case 2: return static_cast<int>(FileCommand(command));
    case 3: return static_cast<int>(EditCommand(command));
    case 4: return static_cast<int>(CreateCommand(command));
    case 5: return static_cast<int>(MakeupCommand(command));
    case 6: return static_cast<int>(PageCommand(command));
    case 7: case 8: case 9: case 10200:
        return static_cast<int>(EditorMenu(menu, command));
    case kSMenuSim:
        SSimCommand(command);
        return 0;
    case kOGAMenu:
        OGAMenuCommand(command);
        GE_RequestMenuUpdate();
        return 0;
    case kPerfMenu:
        PerfMenuCommand(command);
        GE_RequestMenuUpdate();
        return 0;
    default:
        return 1;
    }
}

uintptr_t SMenuPickHook(uintptr_t menu, uintptr_t command, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return static_cast<uintptr_t>(SMenuPick(static_cast<uint16_t>(menu), static_cast<uint16_t>(command)));
}
