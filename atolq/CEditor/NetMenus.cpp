// The net editor's menus built from the kernel's at start-up, and the menu
// pairs on hooks 21 and 6.
#include "atolq/CEditor/NetMenus.h"
#include "atolq/CSimulator/SimState.h"

#include <cstdlib>
#include <span>
#include <string>

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetOptions.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"

namespace {

enum class Op { Delete, Move, Label, Enable, Disable, Add };

// One edit: the command, the menu it goes to (Move, Add), the item it goes
// before (0: at the end) and its label (Label, Add, Move with a new label).
struct Edit {
    Op op;
    uint32_t command;
    int32_t menu = 0;
    uint32_t before = 0;
    const char* label = nullptr;
};

constexpr uint32_t kEnable = 1;
constexpr uint32_t kDisable = 2;
constexpr int16_t kMsgMenuInsertFailed = 16387;
constexpr uint32_t kToolItem = 11263;
constexpr uint32_t kNewSimItem = 11264;
constexpr uint32_t kStartStopMLItem = 11455;

// Step 1 of the File menu, before the tool item.
constexpr Edit kFileEdits[] = {
    {Op::Delete, 207}, {Op::Move, 208, 3, 309}, {Op::Move, 212, 2, 210},
    {Op::Move, 218, 2, 215}, {Op::Move, 217, 2, 215}, {Op::Move, 216, 2, 215}, {Op::Delete, 214},
    {Op::Label, 218, 0, 0, "Save Subdiagram..."}, {Op::Label, 217, 0, 0, "Load Subdiagram..."},
    {Op::Disable, 218}, {Op::Disable, 217},
    {Op::Add, 11250, 2, 220, "Quit..."}, {Op::Add, 11252, 2, 11250, "-"},
};

// The File menu's simulator and XML items, after the tool item. The first
// row's place depends on whether the tool item was added.
constexpr Edit kFileSimEdits[] = {
    {Op::Add, 11258, 2, 11259, "Enter Occ Graph"}, {Op::Enable, 11258}, {Op::Enable, 11259},
    {Op::Add, 11262, 2, 11258, "Enter Perf"}, {Op::Enable, 11262},
    {Op::Add, 11257, 2, 11262, "-"}, {Op::Add, 11256, 2, 11257, "Load State..."},
};
constexpr Edit kFileXmlEdits[] = {
    {Op::Add, 11255, 2, 11256, "Save State..."}, {Op::Add, 11254, 2, 11255, "-"},
    {Op::Add, 11260, 2, 11254, "Load XML..."}, {Op::Add, 11261, 2, 11260, "Save XML..."},
    {Op::Disable, 11261}, {Op::Disable, 11255}, {Op::Disable, 11256}, {Op::Disable, 11252},
    {Op::Disable, 11254}, {Op::Disable, 301},
};

constexpr Edit kOtherEdits[] = {
    // Edit
    {Op::Delete, 307}, {Op::Delete, 310}, {Op::Delete, 309}, {Op::Label, 304, 0, 0, "Copy                "},
    // Create, shown as "Aux"
    {Op::Move, 418, 4, 409}, {Op::Add, 11450, 4, 412, "Make Node"},
    {Op::Delete, 413}, {Op::Delete, 414}, {Op::Delete, 415}, {Op::Delete, 416},
    {Op::Add, 11451, 4, 0, "Convert to TOLQ..."}, {Op::Add, 11452, 4, 0, "Convert to Aux"},
    {Op::Add, 11454, 4, 0, "-"}, {Op::Disable, 11454}, {Op::Add, 11455, 4, 0, "Start ML"},
    {Op::Add, 11453, 4, 0, "ML Evaluate"}, {Op::Delete, 419},
    // Makeup
    {Op::Move, 504, 5, 502}, {Op::Move, 505, 5, 502}, {Op::Add, 11550, 5, 508, "-"}, {Op::Disable, 11550},
    {Op::Move, 506, 5, 11550, "Move Node"}, {Op::Move, 515, 5, 11550, "Merge Node"},
    {Op::Move, 510, 5, 514}, {Op::Move, 511, 5, 514}, {Op::Add, 11551, 5, 504, "Drag"}, {Op::Delete, 504},
    {Op::Add, 11552, 5, 508, "Hide Regions"}, {Op::Add, 11553, 5, 508, "Show Regions"},
    {Op::Delete, 508}, {Op::Delete, 509}, {Op::Delete, 514},
    // Page
    {Op::Delete, 601}, {Op::Move, 602, 6, 613}, {Op::Move, 603, 6, 613},
    {Op::Delete, 606}, {Op::Delete, 607}, {Op::Delete, 605},
    {Op::Move, 609, 5, 510, "Parent Object"}, {Op::Move, 608, 5, 510, "Child Object"}, {Op::Delete, 610},
    {Op::Add, 11651, 6, 602, "Open Page"}, {Op::Add, 11652, 6, 602, "Close Page"},
    {Op::Delete, 611}, {Op::Delete, 612}, {Op::Add, 11653, 6, 602, "Scroll"}, {Op::Add, 11654, 6, 11653, "-"},
    {Op::Add, 11655, 6, 0, "-"}, {Op::Add, 11656, 6, 0, "Redraw Hierarchy..."},
    {Op::Disable, 11654}, {Op::Disable, 11655}, {Op::Delete, 614},
    // Group
    {Op::Add, 11750, 7, 702, "-"}, {Op::Disable, 11750}, {Op::Add, 11751, 7, 702, "Select All Nodes"},
    {Op::Add, 11752, 7, 702, "Select All Regions"}, {Op::Add, 11753, 7, 702, "Select All Connectors"},
    {Op::Add, 11754, 7, 702, "Select Fusion Set"},
    {Op::Delete, 702}, {Op::Delete, 703}, {Op::Delete, 704}, {Op::Delete, 705},
    {Op::Move, 706, 5, 506, "Duplicate Node"},
    {Op::Delete, 709}, {Op::Delete, 710}, {Op::Delete, 711}, {Op::Delete, 712}, {Op::Delete, 713},
    {Op::Delete, 714}, {Op::Delete, 715}, {Op::Delete, 708},
    // Text
    {Op::Move, 802, 5, 503, "Fit to Text"}, {Op::Delete, 804}, {Op::Move, 807, 8, 0},
    {Op::Add, 11854, 8, 807, "-"}, {Op::Disable, 11854}, {Op::Add, 11853, 8, 807, "Select All Text"},
    {Op::Add, 11855, 8, 808, "Find..."}, {Op::Add, 11856, 8, 808, "Find Next"},
    {Op::Add, 11857, 8, 808, "Find Beginning"}, {Op::Add, 11858, 8, 807, "Select to..."},
    {Op::Add, 11859, 8, 807, "Select to Bracket"},
    {Op::Delete, 805}, {Op::Delete, 808}, {Op::Delete, 806}, {Op::Delete, 807}, {Op::Delete, 809},
    {Op::Delete, 810},
    // Align
    {Op::Move, 707, 9, 903}, {Op::Add, 11950, 9, 707, "-"}, {Op::Move, 914, 9, 11950, "Position..."},
    {Op::Move, 911, 9, 914}, {Op::Add, 11951, 9, 707, "-"}, {Op::Move, 912, 9, 11951},
    {Op::Move, 913, 9, 11951}, {Op::Move, 707, 9, 912}, {Op::Add, 11952, 9, 707, "Horizontal Spread"},
    {Op::Add, 11953, 9, 707, "Vertical Spread"}, {Op::Add, 11954, 9, 707, "Circular Spread"},
    {Op::Disable, 11950}, {Op::Disable, 11951}, {Op::Delete, 707},
};

void Apply(const Edit& e)
{
    switch (e.op) {
    case Op::Delete: QXMenu_DeleteItem(e.command); break;
    case Op::Move:
        QXMenu_MoveItem(e.command, e.menu, e.before);
        if (e.label != nullptr)
            QXMenu_SetItemLabel(e.command, e.label);
        break;
    case Op::Label: QXMenu_SetItemLabel(e.command, e.label); break;
    case Op::Enable: QXMenu_SetItemState(e.command, kEnable); break;
    case Op::Disable: QXMenu_SetItemState(e.command, kDisable); break;
    case Op::Add: QXMenu_AddItem(e.command, e.label, e.menu, e.before); break;
    }
}

void ApplyAll(std::span<const Edit> edits)
{
    for (const Edit& e : edits)
        Apply(e);
}

void RebuildMenus()
{
    GE_SetStateFlags(kGEMenusStale);
    GE_RequestMenuUpdate();
    QXMenu_UpdateMenuBar();
}

void (*&TolqMenuAdditions())()
{
    static void (*add)() = nullptr;
    return add;
}

// A table menu placed before another menu of the bar; 1 on success.
bool AddTableMenu(int32_t menu, int32_t before)
{
    return QXMenu_LoadMenu(menu) != 0 && QXMenu_MoveMenu(menu, before) != 0;
}

void AddFileItems()
{
    ApplyAll(kFileEdits);
    std::string toolLabel;
    if (GE_Options().autoExec == 0) {
        const std::string_view name = GE_ToolItemName(GE_Options().scriptPath);
        if (!name.empty())
            toolLabel = "Enter " + std::string(name);
    }
    if (!toolLabel.empty())
        QXMenu_AddItem(kToolItem, toolLabel.c_str(), 2, 11252);
    QXMenu_AddItem(11259, "Enter OE/OS Graph", 2, toolLabel.empty() ? 11252 : kToolItem);
    ApplyAll(kFileSimEdits);
    if (GE_Options().newSim != 0)
        QXMenu_AddItem(kNewSimItem, "Enter NewSim", 2, 11252);
    ApplyAll(kFileXmlEdits);
}

// Steps 1 and 2 of both refresh handlers; the has-page state of a menu.
bool HasPage()
{
    GE_SetCurrentDiagram(QXStr_HasDiagram() != 0 ? QXStr_GetPageListHandle() : 0);
    return GE_GetCurrentDiagram() != 0 && QXStr_GetCurPage() != 0;
}

// Enables or disables the menu when its state bit differs; true when changed.
bool FollowPage(int32_t menu, uint32_t bit, bool hasPage)
{
    if (hasPage == (GE_TestStateFlags(bit) != 0))
        return false;
    QXMenu_SetMenuState(menu, hasPage ? kEnable : kDisable);
    if (hasPage)
        GE_SetStateFlags(bit);
    else
        GE_ClearStateFlags(bit);
    return true;
}

// The evaluator's state as the Start ML / Stop ML item shows it, and where
// its state now is read.
int shownEvaluatorUp = 0;
int (*evaluatorUp)() = nullptr;

// Relabels item 11455 when the evaluator came up or went down since it was
// last shown; true when changed.
bool FollowEvaluator()
{
    const int up = evaluatorUp != nullptr && evaluatorUp() != 0 ? 1 : 0;
    if (up == shownEvaluatorUp)
        return false;
    QXMenu_SetItemLabel(kStartStopMLItem, up != 0 ? "Stop ML" : "Start ML");
    shownEvaluatorUp = up;
    return true;
}

uintptr_t Refresh(uintptr_t changedAddress, bool editor)
{
    auto* changed = reinterpret_cast<int32_t*>(changedAddress);
    int32_t result = 0;
    if (editor)
        QXMenu_SetItemState(208, QXStr_GetCurObject() != 0 ? kEnable : kDisable);
    if (GE_TestStateFlags(kGEMenusStale) != 0) {
        const bool hasPage = HasPage();
        result |= FollowPage(kGEMenuSet, kGESetMenuEnabled, hasPage) ? 1 : 0;
        if (editor)
            result |= FollowPage(kGEMenuTolq, kGENetMenuEnabled, hasPage) ? 1 : 0;
        result |= FollowEvaluator() ? 1 : 0;
    }
    GE_ClearStateFlags(kGEMenusStale);
    if (changed != nullptr)
        *changed = result;
    return 1;
}

}  // namespace

std::string_view GE_ToolItemName(std::string_view path)
{
    const size_t last = path.rfind('/');
    if (last == std::string_view::npos || last == 0)
        return {};
    const size_t previous = path.rfind('/', last - 1);
    if (previous == std::string_view::npos)
        return {};
    return path.substr(previous + 1, last - previous - 1);
}

void GE_SetEvaluatorQuery(int (*isUp)())
{
    evaluatorUp = isUp;
}

void EE_InstallStartMenus()
{
    Hook_Set(kHookMenuPick, EE_StartMenuPick);
    Hook_Set(kHookMenuRefresh, EE_StartMenuRefresh);
    if (GE_Options().autoExec == 0) {
        const char* tool = std::getenv("TOLQToolExt");
        GE_SetScriptPath(tool);
    }
    AddTableMenu(kGEMenuSet, 5);
    AddFileItems();
    ApplyAll(kOtherEdits);
    RebuildMenus();
}

void EE_InstallEditorMenus()
{
    Hook_Set(kHookMenuPick, EE_MenuPick);
    Hook_Set(kHookMenuRefresh, EE_EditorMenuRefresh);
    if (!AddTableMenu(kGEMenuTolq, 4))
        EE_ReportError(kMsgMenuInsertFailed);
    else if (TolqMenuAdditions() != nullptr)
        TolqMenuAdditions()();
    if (QXStr_HasDiagram() == 0) {
        QXMenu_SetMenuState(kGEMenuTolq, kDisable);
        GE_ClearStateFlags(kGENetMenuEnabled);
    }
    QXMenu_SetItemLabel(11250, "Enter Simulator");
    QXMenu_MoveItem(11250, 2, 11258);
    QXMenu_MoveItem(11250, 2, 11262);
    RebuildMenus();
}

void EE_RemoveEditorMenus()
{
    Hook_Set(kHookMenuPick, nullptr);
    Hook_Set(kHookMenuRefresh, nullptr);
    QXMenu_DeleteMenu(kGEMenuTolq);
    RebuildMenus();
}

uintptr_t EE_StartMenuRefresh(uintptr_t changed, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return Refresh(changed, false);
}

uintptr_t EE_EditorMenuRefresh(uintptr_t changed, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return Refresh(changed, true);
}

void GE_SetTolqMenuAdditions(void (*add)()) { TolqMenuAdditions() = add; }
