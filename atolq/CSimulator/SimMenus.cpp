// The "Sim" menu and the item states of all menus while simulating.
#include "atolq/OGA/OGA.h"
#include "atolq/Performance/Perf.h"
#include "atolq/CSimulator/SimMenus.h"
#include "atolq/CEditor/RXLCandidates.h"

#include <initializer_list>

#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/NetOptions.h"
#include "atolq/CSimulator/SimDispatch.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/NewSim/NSMode.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/select/Select.h"

namespace {

constexpr uint32_t kEnable = 1;
constexpr uint32_t kDisable = 2;
constexpr int16_t kMsgMenuInsertFailed = 16387;
constexpr uint32_t kSimMenuEnabled = 0x40000;

void (*menuStateProcedure)() = nullptr;

void SetItems(std::initializer_list<uint32_t> items, uint32_t state)
{
    for (const uint32_t item : items)
        QXMenu_SetItemState(item, state);
}

uint32_t StateOf(bool on)
{
    return on ? kEnable : kDisable;
}

bool DiagramExists()
{
    return QXStr_HasDiagram() != 0;
}

void RedrawMenus()
{
    GE_SetStateFlags(kGEMenusStale);
    GE_RequestMenuUpdate();
    QXMenu_UpdateMenuBar();
}

// The File-menu states of the simulator.
void ApplyFileStates()
{
    SetItems({201, 202, 203, 204, 205, 206, 217, 218, 11450, 11451, 11452, 411, 11455, 515, 506, 706, 11853,
              11858, 11859},
             kDisable);
    QXMenu_SetItemState(11256, kEnable);
    QXMenu_SetItemState(11255, StateOf(DiagramExists()));
}

// Enables or disables a whole menu when its state bit differs; true when
// changed.
bool FollowMenu(int32_t menu, uint32_t bit, bool on)
{
    if (on == (GE_TestStateFlags(bit) != 0))
        return false;
    QXMenu_SetMenuState(menu, StateOf(on));
    if (on)
        GE_SetStateFlags(bit);
    else
        GE_ClearStateFlags(bit);
    return true;
}

void ApplyTextStates()
{
    const bool editable = Select_GetMode() != 1 && SMayEditText(QXStr_GetCurObject()) != 0;
    const uint32_t v = StateOf(editable);
    SetItems({801, 303, 304, 306}, v);
    QXMenu_SetItemState(305, ASStepIsEmpty() != 0 ? static_cast<uint32_t>(SPasteEnabled()) : kDisable);
}

// Without an activity's item states, the commands the flags took away come
// back once neither flag is set.
void EnableSimCommands()
{
    SetItems({10301, 10302, 10303, 10305, 10306, 10308, 10309, 10311, 10312, 10314, 10315, 10317, 10318, 10320},
             kEnable);
}

void ApplyInvalidStates()
{
    SetItems({10301, 10302, 10303, 10305, 10306, 10308, 10309, 10311, 10327, 10314, 10315, 10320, 10324, 10325,
              10326, 303, 304, 305, 306, 801, 11258, 11259, 11255},
             kDisable);
    QXMenu_SetItemState(11256, kEnable);
}

constexpr uint32_t kChangeModelTime = 10327;
constexpr uint32_t kChangeMarking = 10311;

bool NewSimSelected()
{
    return NSNewSimFlag() != 0;
}

// The commands the newer simulator does not offer: it binds, steps and
// chooses instances in the evaluator's own run.
void DisableNewSimOmissions()
{
    SetItems({10301, 10302, 10303, 10305, 10308, 10314, 10315}, kDisable);
}

}  // namespace

void SSetMenuStateProcedure(void (*apply)())
{
    menuStateProcedure = apply;
}

void SSetEditMenusEnabled(int on)
{
    const uint32_t s = StateOf(on != 0);
    for (const int32_t menu : {3, 4, 10200, 5, 6, 7, 8, 9})
        QXMenu_SetMenuState(menu, s);
    SetItems({210, 211, 212, 215, 216, 11255}, s);
    if (on == 0)
        SetItems({11250, 220, 11256}, kEnable);
    QXMenu_SetMenuState(kSMenuSim, s);
}

void SSetReswitchItems(int reswitchNeeded)
{
    const bool r = reswitchNeeded != 0;
    QXMenu_SetItemState(10322, StateOf(r));
    if (r) {
        SetItems({10301, 10302, 10303, 10305, 10308, 10314, 10315}, kDisable);
        SetItems({10311, 10312, 10306, 10309, 10317, 10318, 10320}, kDisable);
        QXMenu_SetItemState(11256, kEnable);
        QXMenu_SetItemState(11255, kDisable);
    } else {
        const bool idle = SActivityIsIdle() && ASStepIsEmpty() != 0;
        SetItems({11255, 11256}, StateOf(idle));
    }
    if (SInRXLMode() != 0) {
        QXMenu_SetItemState(10324, kEnable);
        SetItems({10325, 10326}, StateOf(SHasPieces()));
    }
    // The occurrence-graph tool's menu and entries follow.
    OGAMenuRefresh(r ? 1 : 2);
    PerfMenuRefresh(r ? 1 : 2);
}

void SInstallSimMenu()
{
    SSetReswitchNeeded(0);
    SSetStateInvalid(0);
    SSetPasteState(2);
    Hook_Set(kHookMenuPick, SMenuPickHook);
    Hook_Set(kHookMenuRefresh, SMenuRefresh);
    QXMenu_SetItemLabel(11250, NewSimSelected() ? "Leave NewSim" : "Enter Editor");
    // The menu comes from its table with its items, placed before "Aux".
    if (QXMenu_LoadMenu(kSMenuSim) == 0 || QXMenu_MoveMenu(kSMenuSim, 4) == 0)
        EE_ReportError(kMsgMenuInsertFailed);
    if (SInRXLMode() != 0)
        SAddFindPiecesItems();
    if (!DiagramExists())
        SEnterActivity(kSActivityNone);
    else if (NewSimSelected())
        SEnterActivity(kSActivityNewSimIdle);
    else if (SRunOptionActive() != 0)
        SEnterActivity(kSActivityAutomaticOnly);
    else
        SEnterActivity(kSActivityIdle);
    if (NewSimSelected()) {
        QXMenu_AddItem(kChangeModelTime, "Change Model Time...", kSMenuSim, kChangeMarking);
        DisableNewSimOmissions();
    }
    // The Sim menu starts enabled; the refresh follows the page from here.
    GE_SetStateFlags(kSimMenuEnabled);
    RedrawMenus();
}

void SRemoveSimMenu()
{
    const uint32_t s = StateOf(DiagramExists());
    Hook_Set(kHookMenuPick, nullptr);
    Hook_Set(kHookMenuRefresh, nullptr);
    SetItems({203, 206, 204, 205, 217, 218}, s);
    QXMenu_SetItemLabel(11250, "Enter Simulator");
    SetItems({201, 202, 11258, 11259, 11262}, kEnable);
    if (GE_Options().newSim != 0)
        QXMenu_SetItemState(11264, kEnable);
    SetItems({11255, 11256}, kDisable);
    SetItems({303, 304, 305, 306}, s);
    menuStateProcedure = nullptr;
    if (SInRXLMode() != 0)
        SRemoveFindPiecesItems();
    QXMenu_DeleteMenu(kSMenuSim);
    OGAInstallMenu(0, 1);
    PerfInstallMenu(0, 1);
    GE_ClearStateFlags(kSimMenuEnabled);
    SetItems({11450, 11451, 11452, 411, 11455, 10206, 10218, 10219, 10220, 10221, 10209, 515, 506, 706, 801, 11853,
              11858, 11859},
             kEnable);
    if (SInRXLMode() != 0)
        QXMenu_SetItemState(10228, kEnable);
    RedrawMenus();
}

uintptr_t SMenuRefresh(uintptr_t changedAddress, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    auto* changed = reinterpret_cast<int32_t*>(changedAddress);
    int32_t result = 0;
    GE_SetCurrentDiagram(DiagramExists() ? QXStr_GetPageListHandle() : 0);
    if (GE_GetCurrentDiagram() == 0) {
        SSetEditMenusEnabled(0);
        GE_ClearStateFlags(kGEMenusStale);
        ApplyFileStates();
        if (changed != nullptr)
            *changed = 1;
        return 1;
    }
    SetItems({10218, 10219, 10220, 10221, 10209}, StateOf(ASStepIsEmpty() != 0));
    if (GE_TestStateFlags(kGEMenusStale) != 0) {
        QXMenu_SetItemState(208, kEnable);
        const bool hasPage = QXStr_GetCurPage() != 0;
        result |= FollowMenu(kGEMenuSet, kGESetMenuEnabled, hasPage) ? 1 : 0;
        result |= FollowMenu(kSMenuSim, kSimMenuEnabled, hasPage) ? 1 : 0;
    }
    GE_ClearStateFlags(kGEMenusStale);
    ApplyFileStates();
    ApplyTextStates();
    SSetReswitchItems(SReswitchNeeded());
    if (SStateInvalid() != 0)
        ApplyInvalidStates();
    if (SReswitchNeeded() == 0 && SStateInvalid() == 0) {
        if (menuStateProcedure != nullptr)
            menuStateProcedure();
        else
            EnableSimCommands();
    }
    if (NewSimSelected())
        DisableNewSimOmissions();
    if (changed != nullptr)
        *changed = result;
    return 1;
}
