// The net editor's menu handlers. Each menu first checks its condition and
// refuses with a message box; then its own commands run, the commands whose
// operation belongs to net-editor parts not built yet are reported as not
// available, and everything else is left to the kernel.
#include "atolq/CEditor/NetDispatch.h"

#include <algorithm>
#include <span>
#include <string>

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/HookHandlers.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/NetStartup.h"
#include "atolq/NewSim/NSMode.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/select/Select.h"

namespace {

constexpr int kDone = 1;
constexpr int kRefused = -1;
constexpr int kNotHandled = 0;

constexpr int16_t kMsgPageEmpty = 11307;
constexpr int16_t kMsgNoDiagram = 11325;
constexpr int16_t kMsgNotTolqPage = 11339;
constexpr int16_t kMsgRegionGroup = 11304;
constexpr int16_t kMsgConnector = 11310;
constexpr int16_t kMsgTolqUnexpected = 16404;
constexpr int16_t kMsgSetUnexpected = 16405;


struct Pending {
    int16_t command;
    const char* label;
};

// Net-editor operations not built yet, per menu.
// Every operation of the File menu is built.
constexpr std::span<const Pending> kFilePending{};
// Every operation of the Page menu is built.
constexpr std::span<const Pending> kPagePending{};
// Every operation of the TOLQ menu is built.
constexpr std::span<const Pending> kTolqPending{};
constexpr Pending kSetPending[] = {
    {10222, "Transition Feedback Options..."},
};

std::span<const Pending> PendingOf(uint16_t menu)
{
    switch (menu) {
    case 2: return kFilePending;
    case 6: return kPagePending;
    case 10100: return kTolqPending;
    case 10200: return kSetPending;
    default: return {};
    }
}

// Reports the command as not available when it is one of the menu's pending
// operations; true then.
bool ReportPending(uint16_t menu, int16_t command)
{
    const std::string_view label = GE_PendingCommandLabel(menu, command);
    if (label.empty())
        return false;
    GE_ReportNotBuilt(std::string(label).c_str());
    return true;
}

GENetCommandRunner netCommandRunner = nullptr;

// Runs the net editor's handler of the command, or reports the command as not
// available when it is one of the menu's pending operations; true then.
bool RunNetCommand(uint16_t menu, int16_t command)
{
    if (netCommandRunner != nullptr && netCommandRunner(menu, command))
        return true;
    return ReportPending(menu, command);
}

int Refuse(int16_t message)
{
    GE_MessageBox(message);
    return kRefused;
}

bool DiagramOpen()
{
    return GE_GetCurrentDiagram() != 0 || QXStr_HasDiagram() != 0;
}

bool SelectionIsGroup()
{
    return Select_GetMode() == 1;
}

// The first selected object: the group's first member or the current object.
ObjectHandle FirstSelected()
{
    uint16_t count = 0;
    ObjectHandle* members = nullptr;
    if (QXStr_GetCurGroup(&count, &members) != 0 && count > 0 && members != nullptr) {
        const ObjectHandle first = members[0];
        QXMem_Free(members);
        return first;
    }
    if (members != nullptr)
        QXMem_Free(members);
    return QXStr_GetCurObject();
}

bool SelectionEmpty()
{
    return FirstSelected() == 0;
}

bool FirstIs(uint32_t kind)
{
    const ObjectHandle first = FirstSelected();
    return first != 0 && (QXRdAttr_GetObjectType(first) & kind) != 0;
}

bool RegionGroup()
{
    return SelectionIsGroup() && FirstIs(kQXKindRegion);
}

GENewDiagramHandler newDiagramHandler = nullptr;
GECreateCommandHandler createCommandHandler = nullptr;

// Kernel command, then the state the File menu keeps in step.
int FileCommonTail(int16_t command)
{
    const ObjectHandle previousPage = QXStr_GetCurPage();
    GE_DoCommand(command);
    GE_SetStateFlags(kGEMenusStale);
    GE_RequestMenuUpdate();
    GE_SetCurrentDiagram(QXStr_HasDiagram() != 0 ? QXStr_GetPageListHandle() : 0);
    if (command == 201 && newDiagramHandler != nullptr)
        newDiagramHandler(previousPage);
    return kDone;
}

GEXmlCommand xmlLoad = nullptr;
GEXmlCommand xmlSave = nullptr;

// "Load XML..." and "Save XML...": the interchange's command and its result;
// a program without the interchange says the command is not available.
int RunXmlCommand(GEXmlCommand run, const char* label)
{
    if (run == nullptr) {
        GE_ReportNotBuilt(label);
        return kDone;
    }
    return run();
}

int FileMenu(uint16_t, int16_t command)
{
    if (command == 11250)
        NSNewSimFlag() = 0;
    if (RunNetCommand(2, command))
        return kDone;
    switch (command) {
    case 220:
        EE_Quit();
        return kDone;
    case 201: case 202: case 203:
        NSNewSimFlag() = 0;
        return FileCommonTail(command);
    case 11260:
        NSNewSimFlag() = 0;
        return RunXmlCommand(xmlLoad, "Load XML...");
    case 11261:
        return RunXmlCommand(xmlSave, "Save XML...");
    default:
        return FileCommonTail(command);
    }
}

int EditMenu(uint16_t menu, int16_t command)
{
    if (!DiagramOpen())
        return Refuse(kMsgNoDiagram);
    return RunNetCommand(menu, command) ? kDone : kNotHandled;
}

int AuxMenu(uint16_t menu, int16_t command)
{
    if (!DiagramOpen())
        return Refuse(kMsgNoDiagram);
    return RunNetCommand(menu, command) ? kDone : kNotHandled;
}

int MakeupMenu(uint16_t menu, int16_t command)
{
    if (SelectionEmpty())
        return Refuse(kMsgPageEmpty);
    if (RunNetCommand(menu, command))
        return kDone;
    if ((command == 512 || command == 505) && RegionGroup())
        return Refuse(kMsgRegionGroup);
    if ((command == 505 || command == 502 || command == 503) && FirstIs(kQXKindConnector))
        return Refuse(kMsgConnector);
    return kNotHandled;
}

int PageMenu(uint16_t menu, int16_t command)
{
    if (!DiagramOpen())
        return Refuse(kMsgNoDiagram);
    if (RunNetCommand(menu, command))
        return kDone;
    if (command == 609 && RegionGroup())
        return Refuse(kMsgRegionGroup);
    return kNotHandled;
}

int GroupMenu(uint16_t menu, int16_t command)
{
    if (QXStr_GetCurObject() == 0 && !SelectionIsGroup())
        return Refuse(kMsgPageEmpty);
    if (ReportPending(menu, command))
        return kDone;
    // The same-kind selection filter is off while the command runs.
    constexpr uintptr_t kToggle = UINT32_MAX;
    EE_SelectFilter(kToggle, 0, 0, 0, 0, 0);
    if (netCommandRunner == nullptr || !netCommandRunner(menu, command))
        GE_DoCommand(command);
    EE_SelectFilter(kToggle, 0, 0, 0, 0, 0);
    return kDone;
}

void StartTextEditing()
{
    if (Comm_InTextMode() == 0)
        GE_DoCommand(801);
}

int TextMenu(uint16_t menu, int16_t command)
{
    if (SelectionEmpty())
        return Refuse(kMsgPageEmpty);
    if (RunNetCommand(menu, command))
        return kDone;
    switch (command) {
    case 802:
        return FirstIs(kQXKindConnector) ? Refuse(kMsgConnector) : kNotHandled;
    case 11855:
        if (!(Comm_InTextMode() != 0 && !SelectionIsGroup()))
            GE_DoCommand(810);
        StartTextEditing();
        GE_DoCommand(808);
        return kDone;
    case 11856: case 11857: case 11858: case 11859: {
        static constexpr int32_t kKernel[] = {809, 810, 807, 806};
        StartTextEditing();
        GE_DoCommand(kKernel[command - 11856]);
        return kDone;
    }
    default:
        return kNotHandled;
    }
}

int AlignMenu(uint16_t menu, int16_t command)
{
    if (QXStr_GetCurObject() == 0 && !SelectionIsGroup())
        return Refuse(kMsgPageEmpty);
    if (SelectionIsGroup() && FirstIs(kQXKindConnector))
        return Refuse(kMsgConnector);
    return RunNetCommand(menu, command) ? kDone : kNotHandled;
}

int TolqMenu(uint16_t menu, int16_t command)
{
    if (!DiagramOpen())
        return Refuse(kMsgNoDiagram);
    if (QXStr_GetCurPage() == 0)
        return Refuse(kMsgNotTolqPage);
    if (RunNetCommand(menu, command))
        return kDone;
    if (GE_IsCreateCommand(command) && createCommandHandler != nullptr) {
        createCommandHandler(command);
        return kDone;
    }
    EE_ReportError(kMsgTolqUnexpected);
    return kDone;
}

int SetMenu(uint16_t menu, int16_t command)
{
    if (!DiagramOpen())
        return Refuse(kMsgNoDiagram);
    if (RunNetCommand(menu, command))
        return kDone;
    EE_ReportError(kMsgSetUnexpected);
    return kDone;
}

uintptr_t Pick(uintptr_t menu, uintptr_t command, bool withTolq)
{
    QXUI_UpdateStatusBar();
    const auto menuId = static_cast<uint16_t>(menu);
    const bool known = (menuId >= 1 && menuId <= 9) || menuId == kGEMenuSet || (withTolq && menuId == kGEMenuTolq);
    if (!known)
        return 1;
    return GE_DispatchPick(menuId, static_cast<int16_t>(command), withTolq) == kNotHandled ? 1 : 0;
}

}  // namespace

std::string_view GE_PendingCommandLabel(uint16_t menu, int16_t command)
{
    const std::span<const Pending> rows = PendingOf(menu);
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const Pending& p) { return p.command == command; });
    return row != rows.end() ? std::string_view(row->label) : std::string_view();
}

void GE_SetNetCommandRunner(GENetCommandRunner runner)
{
    netCommandRunner = runner;
}

void GE_SetXmlCommands(GEXmlCommand load, GEXmlCommand save)
{
    xmlLoad = load;
    xmlSave = save;
}

void GE_SetNewDiagramHandler(GENewDiagramHandler handler)
{
    newDiagramHandler = handler;
}

void GE_SetCreateCommandHandler(GECreateCommandHandler handler)
{
    createCommandHandler = handler;
}

bool GE_IsCreateCommand(int16_t command)
{
    return command >= 10101 && command <= 10103;
}

int GE_DispatchPick(uint16_t menu, int16_t command, bool withTolq)
{
    switch (menu) {
    case 1: return kNotHandled;
    case 2: return FileMenu(menu, command);
    case 3: return EditMenu(menu, command);
    case 4: return AuxMenu(menu, command);
    case 5: return MakeupMenu(menu, command);
    case 6: return PageMenu(menu, command);
    case 7: return GroupMenu(menu, command);
    case 8: return TextMenu(menu, command);
    case 9: return AlignMenu(menu, command);
    case kGEMenuSet: return SetMenu(menu, command);
    case kGEMenuTolq: return withTolq ? TolqMenu(menu, command) : kNotHandled;
    default: return kNotHandled;
    }
}

uintptr_t EE_MenuPick(uintptr_t menu, uintptr_t command, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return Pick(menu, command, true);
}

uintptr_t EE_StartMenuPick(uintptr_t menu, uintptr_t command, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return Pick(menu, command, false);
}

uint32_t GE_GetSimulatorSelector()
{
    return NSNewSimFlag();
}
