// The menu rules: 52 numbered lists of actions that enable, mark, relabel and
// rearrange menu items, run by a small interpreter through a table of opcode
// handlers; and the watcher that applies the rules matching the selection.
#include <array>
#include <string>

#include "xkv/kv/Hook.h"
#include "xkv/menu/Menu.h"
#include "xkv/menu/MenuInternal.h"
#include "xkv/comm/Comm.h"
#include "xkv/pending/Pending.h"
#include "xkv/select/Select.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"
#include "xkv/mods/Strings.h"
#include "xkv/text/TextKernel.h"

namespace {

// Opcodes of the rule actions.
enum Opcode : int32_t {
    kOpEnd = 1,
    kOpRule = 2,
    kOpEnableKernelMenus = 3,
    kOpItemEnabled = 4,
    kOpItemEnabledByArgument = 5,
    kOpItemMark = 6,
    kOpItemLabel = 7,
    kOpItemRequest = 8,
    kOpReplaceItem = 9,
    kOpInsertItem = 10,
    kOpDeleteItem = 11,
    kOpTitleEnabled = 12,
    kOpMenuTitle = 13,
    kOpReplaceMenu = 14,
    kOpInsertMenu = 15,
    kOpDeleteMenu = 16,
    kOpMenuEnabled = 17,
    kOpTextRule = 18,
    kOpcodeCount = 20,
};

constexpr MenuRuleAction Item(int32_t command, int32_t state) { return {kOpItemEnabled, command, state, 0, 0}; }
constexpr MenuRuleAction Mark(int32_t command, int32_t on) { return {kOpItemMark, command, on, 0, 0}; }
constexpr MenuRuleAction Label(int32_t command, int32_t message) { return {kOpItemLabel, command, message, 0, 0}; }
constexpr MenuRuleAction Request(int32_t command, int32_t request) { return {kOpItemRequest, command, request, 0, 0}; }
constexpr MenuRuleAction Title(int32_t menu, int32_t state) { return {kOpTitleEnabled, menu, state, 0, 0}; }
constexpr MenuRuleAction MenuOn(int32_t menu, int32_t state) { return {kOpMenuEnabled, menu, state, 0, 0}; }
constexpr MenuRuleAction Rule(int32_t rule) { return {kOpRule, rule, 0, 0, 0}; }
constexpr MenuRuleAction TextRule() { return {kOpTextRule, 0, 0, 0, 0}; }
constexpr MenuRuleAction End() { return {kOpEnd, 0, 0, 0, 0}; }

constexpr MenuRuleAction kRule0[] = {
    Item(212, 0), Item(218, 0), Item(216, 0), Item(215, 0), MenuOn(3, 0), MenuOn(4, 0), Item(413, 1),
    Item(414, 1), Item(415, 1), Item(416, 1), MenuOn(5, 0), Item(514, 1), MenuOn(6, 0), Item(604, 1),
    Item(610, 1), Item(612, 1), MenuOn(7, 0), Item(714, 1), Item(715, 1), MenuOn(8, 0), Item(804, 1),
    MenuOn(9, 0), End(),
};
constexpr MenuRuleAction kRule1[] = {
    Item(212, 0), Item(218, 1), Item(216, 1), Item(215, 1), Item(303, 1), Item(304, 1), Item(305, 1),
    Item(306, 1), Item(402, 1), Item(403, 1), Item(404, 1), Item(405, 1), Item(406, 1), Item(407, 1),
    Item(418, 1), Item(409, 1), Item(602, 1), Item(603, 1), Item(605, 1), Item(614, 1), Item(606, 1),
    Item(608, 0), Item(609, 0), Item(613, 1), Item(801, 1), End(),
};
constexpr MenuRuleAction kRule2[] = {
    Rule(46), End(),
};
constexpr MenuRuleAction kRule3[] = {
    End(),
};
constexpr MenuRuleAction kRule4[] = {
    End(),
};
constexpr MenuRuleAction kRule5[] = {
    End(),
};
constexpr MenuRuleAction kRule6[] = {
    End(),
};
constexpr MenuRuleAction kRule7[] = {
    End(),
};
constexpr MenuRuleAction kRule8[] = {
    Title(3, 0), MenuOn(3, 0), Title(4, 0), MenuOn(4, 0), Title(5, 0), MenuOn(5, 0), Mark(517, 0), Title(6, 0),
    MenuOn(6, 0), Title(7, 0), MenuOn(7, 0), Title(8, 0), MenuOn(8, 0), Title(9, 0), MenuOn(9, 0), MenuOn(2, 0),
    Item(201, 1), Item(202, 1), Item(210, 1), Item(223, 1), Item(214, 1), Item(220, 1), Item(221, 1), Title(2, 1),
    End(),
};
constexpr MenuRuleAction kRule9[] = {
    Title(2, 1), MenuOn(2, 1), Title(3, 1), MenuOn(3, 1), Title(4, 1), MenuOn(4, 1), Title(5, 1), MenuOn(5, 1),
    Title(6, 1), MenuOn(6, 1), Title(7, 1), MenuOn(7, 1), Title(8, 1), MenuOn(8, 1), Item(212, 0), Item(301, 0),
    Item(310, 0), Item(309, 0), Item(601, 0), Item(208, 0), Item(204, 0), Item(206, 0), Item(208, 0),
    Item(301, 0), Rule(46), End(),
};
constexpr MenuRuleAction kRule10[] = {
    Item(701, 1), Label(701, 89), Request(701, 104), Item(702, 1), Item(703, 0), Item(704, 0), Item(706, 0),
    Item(707, 0), Item(709, 0), Item(710, 0), Item(711, 0), Item(712, 0), Item(714, 1), Item(715, 1),
    Item(501, 1), Item(502, 0), Item(503, 0), Item(504, 0), Item(505, 0), Item(506, 0), Item(508, 0),
    Item(509, 0), Item(510, 0), Item(511, 0), Item(512, 0), Item(514, 1), Item(515, 0), Mark(517, 0),
    Item(517, 0), Item(801, 1), Item(802, 0), Item(804, 0), Item(806, 0), Item(807, 0), Item(808, 0),
    Item(809, 0), Item(810, 0), Item(804, 1), Title(9, 0), MenuOn(9, 0), Item(411, 0), End(),
};
constexpr MenuRuleAction kRule11[] = {
    Rule(24), Item(411, 1), Title(9, 1), MenuOn(9, 1), Label(701, 89), Request(701, 104), Item(701, 1),
    Item(702, 1), Item(703, 0), Item(704, 0), Item(706, 1), Item(707, 0), Item(709, 1), Item(710, 0),
    Item(711, 1), Item(712, 0), Item(714, 1), Item(715, 1), End(),
};
constexpr MenuRuleAction kRule12[] = {
    Rule(11), Item(411, 0), Item(515, 0), End(),
};
constexpr MenuRuleAction kRule13[] = {
    Rule(11), Rule(25), Item(411, 0), Item(709, 0), Item(710, 1), Item(711, 0), Item(712, 0), Item(515, 0), End(),
};
constexpr MenuRuleAction kRule14[] = {
    Rule(11), Rule(27), Item(411, 1), Label(701, 89), Request(701, 104), Item(701, 1), Item(702, 1), Item(703, 0),
    Item(704, 0), Item(706, 1), Item(707, 0), Item(709, 0), Item(710, 0), Item(711, 0), Item(712, 0),
    Item(714, 1), Item(715, 1), End(),
};
constexpr MenuRuleAction kRule15[] = {
    Rule(11), Rule(25), Item(411, 0), Item(711, 0), Item(712, 1), End(),
};
constexpr MenuRuleAction kRule16[] = {
    Rule(11), Item(411, 0), Item(502, 0), Item(503, 0), Item(504, 0), Item(505, 0), Item(506, 0), Item(515, 0),
    Item(706, 0), Item(711, 0), Item(712, 0), Item(709, 0), Item(710, 0), Title(9, 1), MenuOn(9, 0), End(),
};
constexpr MenuRuleAction kRule17[] = {
    Rule(24), Label(701, 88), Request(701, 105), Item(701, 1), Item(702, 1), Item(703, 1), Item(704, 1),
    Item(706, 1), Item(707, 1), Item(709, 1), Item(710, 0), Item(711, 0), Item(712, 0), Item(714, 1),
    Item(715, 1), Label(307, 87), Request(307, 87), Item(801, 1), Item(802, 1), Item(804, 1), Item(806, 1),
    Item(807, 1), Item(808, 1), Item(809, 1), Item(810, 1), Item(501, 0), Item(510, 0), Item(511, 0),
    Item(401, 1), Item(411, 1), Item(608, 0), Mark(517, 0), Item(517, 0), Title(9, 1), MenuOn(9, 1), End(),
};
constexpr MenuRuleAction kRule18[] = {
    End(),
};
constexpr MenuRuleAction kRule19[] = {
    Item(204, 1), Item(205, 1), Item(206, 1), End(),
};
constexpr MenuRuleAction kRule20[] = {
    Rule(8), End(),
};
constexpr MenuRuleAction kRule21[] = {
    Label(301, 77), Item(301, 1), End(),
};
constexpr MenuRuleAction kRule22[] = {
    Label(801, 85), Request(801, 115), Label(307, 87), Request(307, 87), Item(801, 1), Item(802, 1), Item(804, 1),
    Item(806, 1), Item(807, 1), Item(808, 1), Item(809, 1), Item(810, 1), Item(709, 1), Item(711, 1), End(),
};
constexpr MenuRuleAction kRule23[] = {
    Label(801, 84), Request(801, 114), Label(307, 86), Request(307, 82), Item(801, 1), Item(802, 1), Item(804, 1),
    Item(806, 0), Item(807, 0), Item(808, 0), Item(809, 0), Item(810, 1), End(),
};
constexpr MenuRuleAction kRule24[] = {
    Rule(28), Item(401, 1), Label(701, 88), Request(701, 105), Label(307, 86), Request(307, 82), Item(307, 1),
    Title(5, 1), Item(501, 1), Item(502, 1), Item(503, 1), Item(504, 1), Item(505, 1), Item(506, 1), Item(512, 1),
    Item(515, 1), Item(712, 0), Item(802, 1), End(),
};
constexpr MenuRuleAction kRule25[] = {
    Item(608, 1), End(),
};
constexpr MenuRuleAction kRule26[] = {
    Item(608, 0), End(),
};
constexpr MenuRuleAction kRule27[] = {
    Item(609, 1), End(),
};
constexpr MenuRuleAction kRule28[] = {
    Item(609, 0), End(),
};
constexpr MenuRuleAction kRule29[] = {
    Rule(11), Item(802, 0), End(),
};
constexpr MenuRuleAction kRule30[] = {
    Rule(25), Item(508, 1), Item(509, 0), End(),
};
constexpr MenuRuleAction kRule31[] = {
    Item(508, 0), Item(509, 1), End(),
};
constexpr MenuRuleAction kRule32[] = {
    Item(508, 0), Item(509, 0), End(),
};
constexpr MenuRuleAction kRule33[] = {
    Item(510, 1), End(),
};
constexpr MenuRuleAction kRule34[] = {
    Item(510, 0), End(),
};
constexpr MenuRuleAction kRule35[] = {
    Item(511, 1), End(),
};
constexpr MenuRuleAction kRule36[] = {
    Item(511, 0), End(),
};
constexpr MenuRuleAction kRule37[] = {
    Item(608, 1), Item(710, 1), Item(712, 1), End(),
};
constexpr MenuRuleAction kRule38[] = {
    Item(608, 0), Item(710, 0), Item(712, 0), End(),
};
constexpr MenuRuleAction kRule39[] = {
    Label(301, 77), Item(301, 0), End(),
};
constexpr MenuRuleAction kRule40[] = {
    TextRule(), End(),
};
constexpr MenuRuleAction kRule41[] = {
    End(),
};
constexpr MenuRuleAction kRule42[] = {
    Item(517, 1), End(),
};
constexpr MenuRuleAction kRule43[] = {
    Mark(517, 0), Item(517, 0), End(),
};
constexpr MenuRuleAction kRule44[] = {
    Mark(517, 1), End(),
};
constexpr MenuRuleAction kRule45[] = {
    Mark(517, 0), End(),
};
constexpr MenuRuleAction kRule46[] = {
    Item(307, 0), Item(401, 0), Item(411, 0), Item(501, 0), Item(502, 0), Item(503, 0), Item(504, 0),
    Item(505, 0), Item(506, 0), Item(508, 0), Item(509, 0), Item(510, 0), Item(511, 0), Item(512, 0),
    Item(515, 0), Mark(517, 0), Item(517, 0), Item(608, 0), Item(701, 0), Item(702, 0), Item(703, 0),
    Item(704, 0), Item(706, 0), Item(707, 0), Item(709, 0), Item(710, 0), Item(711, 0), Item(712, 0),
    Item(802, 0), Item(806, 0), Item(807, 0), Item(808, 0), Item(809, 0), Item(810, 0), Title(9, 0), MenuOn(9, 0),
    End(),
};
constexpr MenuRuleAction kRule47[] = {
    Item(419, 1), End(),
};
constexpr MenuRuleAction kRule48[] = {
    Item(419, 0), End(),
};
constexpr MenuRuleAction kRule49[] = {
    Item(504, 0), Rule(22), End(),
};
constexpr MenuRuleAction kRule50[] = {
    Item(504, 1), Rule(23), End(),
};

struct MenuRule {
    const MenuRuleAction* actions;  // ended by an action of opcode 1; null for none
    int32_t number;
};

constexpr std::array<MenuRule, kMenuRuleCount> kMenuRules = {{
    {kRule0, 0},
    {kRule1, 1},
    {kRule2, 2},
    {kRule3, 3},
    {kRule4, 4},
    {kRule5, 5},
    {kRule6, 6},
    {kRule7, 7},
    {kRule8, 8},
    {kRule9, 9},
    {kRule10, 10},
    {kRule11, 11},
    {kRule12, 12},
    {kRule13, 13},
    {kRule14, 14},
    {kRule15, 15},
    {kRule16, 16},
    {kRule17, 17},
    {kRule18, 18},
    {kRule19, 19},
    {kRule20, 20},
    {kRule21, 21},
    {kRule22, 22},
    {kRule23, 23},
    {kRule24, 24},
    {kRule25, 25},
    {kRule26, 26},
    {kRule27, 27},
    {kRule28, 28},
    {kRule29, 29},
    {kRule30, 30},
    {kRule31, 31},
    {kRule32, 32},
    {kRule33, 33},
    {kRule34, 34},
    {kRule35, 35},
    {kRule36, 36},
    {kRule37, 37},
    {kRule38, 38},
    {kRule39, 39},
    {kRule40, 40},
    {kRule41, 41},
    {kRule42, 42},
    {kRule43, 43},
    {kRule44, 44},
    {kRule45, 45},
    {kRule46, 46},
    {kRule47, 47},
    {kRule48, 48},
    {kRule49, 49},
    {kRule50, 50},
    {nullptr, 51},
}};

// Longest label or title taken from the message table.
constexpr uint32_t kRuleTextMax = 80;


// The text an action puts on an item or title: the rule argument when it is
// a text, else the message the action names.
std::string ActionText(uintptr_t argument, int32_t message)
{
    if (argument != 0) {
        return reinterpret_cast<const char*>(argument);
    }
    char buffer[kRuleTextMax + 1] = {};
    String_GetText(message, buffer, sizeof buffer);
    return buffer;
}

void MarkBarChanged()
{
    MenuStateOf().barChanged = true;
}

using OpcodeHandler = KernelStatus (*)(const MenuRuleAction& action, uintptr_t argument);

KernelStatus RunEnd(const MenuRuleAction&, uintptr_t)
{
    return kStatusFailed;
}

KernelStatus RunRule(const MenuRuleAction& action, uintptr_t argument)
{
    return Menu_RunRule(static_cast<uint32_t>(action.a1), argument);
}

KernelStatus RunEnableKernelMenus(const MenuRuleAction& action, uintptr_t)
{
    Menu_EnableKernelMenus(action.a1);
    MarkBarChanged();
    return kStatusOk;
}

KernelStatus RunItemEnabled(const MenuRuleAction& action, uintptr_t)
{
    return Menu_SetItemEnabled(action.a1, action.a2);
}

KernelStatus RunItemEnabledByArgument(const MenuRuleAction& action, uintptr_t argument)
{
    return Menu_SetItemEnabled(action.a1, argument != 0 ? 1 : 0);
}

KernelStatus RunItemMark(const MenuRuleAction& action, uintptr_t)
{
    return Menu_SetItemMark(action.a1, action.a2);
}

KernelStatus RunItemLabel(const MenuRuleAction& action, uintptr_t argument)
{
    return Menu_SetItemLabel(action.a1, ActionText(argument, action.a2).c_str());
}

KernelStatus RunItemRequest(const MenuRuleAction& action, uintptr_t)
{
    return Menu_SetItemRequest(action.a1, action.a2);
}

KernelStatus RunReplaceItem(const MenuRuleAction& action, uintptr_t)
{
    MarkBarChanged();
    return Menu_ReplaceItem(action.a1, action.a2);
}

KernelStatus RunInsertItem(const MenuRuleAction& action, uintptr_t)
{
    if (Menu_ItemExists(action.a1) != 0) {
        return kStatusOk;
    }
    return Menu_InsertTableItem(action.a1, action.a3, action.a2);
}

KernelStatus RunDeleteItem(const MenuRuleAction& action, uintptr_t)
{
    return Menu_DeleteItem(action.a1);
}

KernelStatus RunTitleEnabled(const MenuRuleAction& action, uintptr_t)
{
    return Menu_SetMenuEnabled(action.a1, action.a2, 0);
}

KernelStatus RunMenuTitle(const MenuRuleAction& action, uintptr_t argument)
{
    MarkBarChanged();
    return Menu_SetMenuTitle(action.a1, ActionText(argument, action.a2).c_str());
}

KernelStatus RunReplaceMenu(const MenuRuleAction& action, uintptr_t)
{
    MarkBarChanged();
    return Menu_ReplaceMenu(action.a1, action.a2);
}

KernelStatus RunInsertMenu(const MenuRuleAction& action, uintptr_t)
{
    MarkBarChanged();
    return Menu_InsertTableMenu(action.a1, action.a2);
}

KernelStatus RunDeleteMenu(const MenuRuleAction& action, uintptr_t)
{
    MarkBarChanged();
    return Menu_DeleteMenu(action.a1);
}

KernelStatus RunMenuEnabled(const MenuRuleAction& action, uintptr_t)
{
    if (action.a1 > kMenuListEnd) {
        return kStatusOk;
    }
    Menu* menu = nullptr;
    if (Menu_FindMenu(action.a1, &menu) != kStatusOk) {
        return kStatusNotFound;
    }
    menu->enabled = action.a2 != 0 ? 1 : 0;
    for (const auto& item : menu->items) {
        if (item->commandId <= kMenuListEnd) {
            item->enabled = menu->enabled;
        }
    }
    return kStatusOk;
}

KernelStatus RunTextRule(const MenuRuleAction&, uintptr_t argument)
{
    return Menu_TextRule(reinterpret_cast<const MenuTextRecord*>(argument));
}

// Indexed by opcode; 0 and 19 have no handler.
constexpr std::array<OpcodeHandler, kOpcodeCount> kOpcodeHandlers = {
    nullptr,           RunEnd,          RunRule,        RunEnableKernelMenus, RunItemEnabled,
    RunItemEnabledByArgument, RunItemMark, RunItemLabel, RunItemRequest,     RunReplaceItem,
    RunInsertItem,     RunDeleteItem,   RunTitleEnabled, RunMenuTitle,       RunReplaceMenu,
    RunInsertMenu,     RunDeleteMenu,   RunMenuEnabled, RunTextRule,          nullptr,
};

KernelStatus RunAction(const MenuRuleAction& action, uintptr_t argument)
{
    if (action.opcode < 0 || action.opcode >= kOpcodeCount || kOpcodeHandlers[action.opcode] == nullptr) {
        return kStatusNotFound;
    }
    return kOpcodeHandlers[action.opcode](action, argument);
}

// What the selection watcher remembers between calls.
struct SelectionMemory {
    uint32_t mode = 0;
    uint32_t hasDiagram = 0;
    uint32_t textMode = 0;
    std::array<int32_t, kMenuSelectionFlagCount> flags = {};
    bool forceNext = false;
    bool allowUnmakeRegionOnNode = true;
};

SelectionMemory& Memory()
{
    static SelectionMemory memory;
    return memory;
}

void Apply(uint32_t rule)
{
    Menu_ApplyRule(rule, 0);
}

enum SelectionFlag {
    kIsConnector,
    kIsNode,
    kIsRegion,
    kIsCoarseNode,
    kIsBorderNode,
    kIsAttachedNode,
    kIsPolygon,
    kHasNextSibling,
    kIsNotFirstChild,
    kHasRegion,
    kHasFlag4,
    kOnSubpage,
    kFitsTextBox,
};

using Flags = std::array<int32_t, kMenuSelectionFlagCount>;

bool NewlySet(const Flags& now, const Flags& before, SelectionFlag flag)
{
    return now[flag] != 0 && before[flag] == 0;
}

bool Changed(const Flags& now, const Flags& before, SelectionFlag flag)
{
    return now[flag] != before[flag];
}

// The rules for a node or region whose kind flags changed.
void ApplyNodeRules(const Flags& now, const Flags& before)
{
    if (NewlySet(now, before, kIsBorderNode)) {
        Apply(12);
    } else if (NewlySet(now, before, kIsCoarseNode)) {
        Apply(13);
    } else if (NewlySet(now, before, kIsRegion)) {
        Apply(14);
    } else if (now[kIsAttachedNode] != 0) {
        Apply(15);
    } else if (now[kIsRegion] == 0) {
        Apply(11);
        Apply(28);
    }
    const bool parentable = now[kHasRegion] != 0 || now[kIsCoarseNode] != 0 || now[kIsAttachedNode] != 0;
    Apply(parentable ? 25 : 26);
    if (NewlySet(now, before, kIsPolygon)) {
        Apply(42);
    } else if (now[kIsPolygon] == 0 && before[kIsPolygon] != 0) {
        Apply(43);
    }
}

// The rules for one selected object whose flags differ from the last ones.
void ApplyObjectRules(const Flags& now, const Flags& before, bool textMode)
{
    if (NewlySet(now, before, kIsConnector)) {
        Apply(16);
    }
    if (now[kIsNode] != 0 || now[kIsRegion] != 0) {
        ApplyNodeRules(now, before);
    }
    if (Changed(now, before, kHasNextSibling)) {
        Apply(now[kHasNextSibling] != 0 ? 33 : 34);
    }
    if (Changed(now, before, kIsNotFirstChild)) {
        Apply(now[kIsNotFirstChild] != 0 ? 35 : 36);
    }
    if (Changed(now, before, kHasRegion) || Changed(now, before, kHasFlag4)) {
        Apply(now[kHasRegion] == 0 ? 32 : now[kHasFlag4] != 0 ? 31 : 30);
    }
    const bool unmakeable =
        now[kIsRegion] != 0 || (Memory().allowUnmakeRegionOnNode && now[kHasRegion] != 0);
    Apply(unmakeable ? 47 : 48);
    if (now[kOnSubpage] != 0) {
        Apply(27);
    }
    if (Changed(now, before, kFitsTextBox)) {
        Menu_SetItemEnabled(802, now[kFitsTextBox]);
    }
    if (textMode) {
        Apply(22);
    }
}

void UpdateForObject(bool force, uint32_t lastMode, bool textMode, MenuStateRecord* record)
{
    Flags now = {};
    Menu_SelectionFlags(Select_GetObject(), now.data());
    std::copy(now.begin(), now.end(), record->flags);
    Flags before = Memory().flags;
    if (force || lastMode == 1) {
        for (size_t i = 0; i < before.size(); ++i) {
            before[i] = now[i] != 0 ? 0 : 1;
        }
    }
    if (now != before) {
        ApplyObjectRules(now, before, textMode);
    }
    Memory().flags = now;
}

bool IsSubpage(ObjectHandle page)
{
    return page != 0 && Model_IsSubpage(page) != 0;
}

}  // namespace

KernelStatus Menu_RunRule(uint32_t rule, uintptr_t argument)
{
    if (rule >= kMenuRuleCount) {
        return kStatusNotFound;
    }
    Menu_RunActions(kMenuRules[rule].actions, argument);
    return kStatusOk;
}

void Menu_RunActions(const MenuRuleAction* action, uintptr_t argument)
{
    if (action == nullptr) {
        return;
    }
    for (;; ++action) {
        const KernelStatus status = RunAction(*action, argument);
        if (status != kStatusOk && status != kStatusNotFound) {
            return;
        }
    }
}

KernelStatus Menu_ApplyRule(uint32_t rule, uintptr_t argument)
{
    MenuState& state = MenuStateOf();
    state.barChanged = false;
    const KernelStatus status = Menu_RunRule(rule, argument);
    if (state.barChanged && state.initialised) {
        Menu_FitMenuBar();
    }
    state.menusChanged = true;
    return status;
}

KernelStatus Menu_TextRule(const MenuTextRecord* record)
{
    if (record == nullptr) {
        return kStatusBadArgument;
    }
    Apply(record->flag != 0 ? 37 : 38);
    Apply(Text_FirstReferrer(record->object) != 0 ? 27 : 28);
    return kStatusOk;
}

void Menu_SelectionFlags(ObjectHandle object, int32_t flags[kMenuSelectionFlagCount])
{
    const uint32_t shapeKind = Model_GetFieldValue(object, Field::kShapeKind);
    const ObjectHandle page = Model_GetPage(object);
    flags[kIsConnector] = Model_IsConnector(object) != 0;
    flags[kIsNode] = Model_IsNode(object) != 0;
    flags[kIsRegion] = Model_IsRegion(object) != 0;
    flags[kIsCoarseNode] = Model_IsCoarseNode(object) != 0;
    flags[kIsBorderNode] = Model_IsBorderNode(object) != 0;
    flags[kIsAttachedNode] = Model_IsAttachedNode(object) != 0;
    flags[kIsPolygon] = shapeKind == 5 || shapeKind == 6;
    flags[kHasNextSibling] = Model_GetNextSibling(object) != 0;
    flags[kIsNotFirstChild] = Model_IsNotFirstChild(object) != 0;
    flags[kHasRegion] = Model_GetFirstRegion(object) != 0;
    flags[kHasFlag4] = Model_HasFlags(object, 4) != 0;
    flags[kOnSubpage] = IsSubpage(page);
    flags[kFitsTextBox] = Model_IsLabel(object) == 0 && Model_HasFlags(object, 128) == 0 && shapeKind != 13;
}

void Menu_ForceNextUpdate()
{
    Memory().forceNext = true;
}

void Menu_SetAllowUnmakeRegionOnNode(uint32_t on)
{
    Memory().allowUnmakeRegionOnNode = on != 0;
}

void Menu_UpdateFromSelection(uint32_t force)
{
    SelectionMemory& memory = Memory();
    const uint32_t mode = Select_GetMode();
    const uint32_t hasDiagram = Model_HasDiagram() != 0 ? 1 : 0;
    const uint32_t textMode = Comm_InTextMode() != 0 ? 1 : 0;
    bool forced = force != 0;
    if (memory.forceNext) {
        memory.forceNext = false;
        forced = true;
    } else if (textMode != memory.textMode) {
        forced = true;
    }

    MenuStateRecord record;
    record.hasDiagram = static_cast<int32_t>(hasDiagram);
    record.mode = static_cast<int32_t>(mode);
    const ObjectHandle page = Comm_GetCurrentPage();
    if (page != 0 && Model_GetFirstNode(page) != 0) {
        if (mode == 1) {
            if (mode != memory.mode || forced) {
                Apply(17);
                const uint32_t group = Select_GetGroup();
                if (Group_Count(static_cast<GroupNumber>(group)) > 0 &&
                    IsSubpage(Model_GetPage(Group_Member(static_cast<GroupNumber>(group), 0)))) {
                    Apply(27);
                }
            }
        } else if (mode == 0) {
            UpdateForObject(forced, memory.mode, textMode != 0, &record);
        } else if (mode == 3) {
            if (hasDiagram != 0) {
                if (mode != memory.mode || forced) {
                    Apply(10);
                }
            } else if (hasDiagram != memory.hasDiagram || forced) {
                Apply(8);
            }
        }
    } else {
        Apply(46);
        if (IsSubpage(page)) {
            Apply(27);
        }
    }
    memory.mode = mode;
    memory.hasDiagram = hasDiagram;
    memory.textMode = textMode;

    if (Hook_IsRegistered(kHookMenuRefresh) != 0) {
        Hook_GetHandler(kHookMenuRefresh)(reinterpret_cast<uintptr_t>(&record), 0, 0, 0, 0, 0);
        if (record.redraw != 0) {
            Menu_ClearBar();
        }
    }
}
