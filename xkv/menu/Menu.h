// The kernel's menus: the run-time menus and items built from the static menu
// tables, the menu bar and pull-downs drawn with Xlib, the keyboard
// accelerators, the menu rules and the programming interface that changes
// menus by menu id and CommandId.
#pragma once

#include "xkv/velkor/XTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "atolq/Resources/MenuTables.h"
#include "xkv/types/Types.h"

inline constexpr uint32_t kMenuRuleUndoLabel = 21;
inline constexpr uint32_t kMenuRuleUndoDisabled = 39;

// Status of Menu_Initialize when no font can be loaded for the menus.
inline constexpr KernelStatus kMenuNoFont = 65;

// A rectangle in 32-bit pixels; clamped to X's 16-bit range only at the X call.
struct MenuRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

inline constexpr size_t kAcceleratorLabelMax = 19;

struct MenuItem {
    CommandId commandId = 0;
    bool hasLabel = false;  // separators have none
    std::string label;
    int32_t enabled = 1;
    int32_t separator = 0;
    int32_t checkMark = 0;
    int32_t highlighted = 0;
    MenuRect rect;           // in the popup
    int32_t acceleratorX = 0;
    int32_t requestNumber = 0;
    std::string acceleratorLabel;  // at most kAcceleratorLabelMax characters
};

struct Menu {
    int32_t menuId = 0;
    std::string title;
    MenuRect titleRect;       // in the bar
    int32_t shownEnabled = 1;
    int32_t titleHighlighted = 0;
    MenuRect popupRect;       // relative to the bar's origin on the screen
    std::vector<std::unique_ptr<MenuItem>> items;
    int32_t enabled = 1;
    int32_t popupUndrawn = 0;
};

// ---- Menu bar and pull-down menus ----

KernelStatus Menu_Initialize(Widget form, uint32_t unused, Widget* bar);
void Menu_Shutdown();
void Menu_FitMenuBar();
void Menu_Refresh(uint32_t force);
KernelStatus Menu_DoPick(Menu* menu, MenuItem* item);
void Menu_SetBarTracking(uint32_t on);
void Menu_RepeatLastPick(uint32_t flag);
int32_t Menu_BarWidth();
Widget Menu_BarWidget();
Widget Menu_PopupShell();
// The open menu, or null.
Menu* Menu_OpenMenu();
// Opens the menu's pull-down (null closes it).
void Menu_OpenPopup(Menu* menu);

// The menu list in bar order.
const std::vector<std::unique_ptr<Menu>>& Menu_List();

// ---- Accelerators ----

// A key: modifier flags (alt = any of Mod1 to Mod5 that means Alt) and KeySym.
struct AccelKey {
    int32_t shift = 0;
    int32_t control = 0;
    int32_t alt = 0;
    int32_t lock = 0;
    uint32_t keysym = 0;
};

struct AcceleratorEntry {
    AccelKey key;
    CommandId command = 0;
};

inline constexpr size_t kAcceleratorTableMax = 200;

uint32_t Accel_Parse(const char* text, AccelKey* key, std::string* label);
KernelStatus Accel_Add(CommandId command, const AccelKey& key, const std::string& label);
KernelStatus Accel_LoadAll();
KernelStatus Accel_LoadCommand(CommandId command);
const AcceleratorEntry* Accel_Find(const AccelKey& key);
const AcceleratorEntry* Accel_FindCommand(const AccelKey& key, CommandId command);
KernelStatus Accel_Lookup(const AccelKey& key, Menu** menu, MenuItem** item);
KernelStatus Accel_HandleKey(const AccelKey& key, uint32_t* handled);
// Orders two keys: negative, 0 or positive.
int Accel_Compare(const AccelKey& a, const AccelKey& b);
uint32_t Accel_Count();
const AcceleratorEntry* Accel_Entry(uint32_t index);

// ---- Menu rules ----

struct MenuRuleAction {
    int32_t opcode;
    int32_t a1;
    int32_t a2;
    int32_t a3;
    int32_t a4;
};

inline constexpr uint32_t kMenuRuleCount = 52;
inline constexpr int32_t kMenuSelectionFlagCount = 13;

// The record hook 6 receives: a redraw request the handler may set, then the
// editing state the menus were derived from.
struct MenuStateRecord {
    int32_t redraw = 0;
    int32_t hasDiagram = 0;
    int32_t mode = 0;
    int32_t flags[kMenuSelectionFlagCount] = {};
};

// The argument of the text rule.
struct MenuTextRecord {
    ObjectHandle object;
    uint32_t word;
    uint32_t flag;
};

KernelStatus Menu_ApplyRule(uint32_t rule, uintptr_t argument);
KernelStatus Menu_RunRule(uint32_t rule, uintptr_t argument);
void Menu_UpdateFromSelection(uint32_t force);
// Makes the next Menu_UpdateFromSelection act as if forced.
void Menu_ForceNextUpdate();
KernelStatus Menu_TextRule(const MenuTextRecord* record);
void Menu_SelectionFlags(ObjectHandle object, int32_t flags[kMenuSelectionFlagCount]);
// The X resource allowUnmakeRegionOnNode, which the rule for "Unmake Region" reads.
void Menu_SetAllowUnmakeRegionOnNode(uint32_t on);

// ---- Programming interface ----

KernelStatus Menu_FindMenu(int32_t menuId, Menu** menu);
KernelStatus Menu_FindMenuAt(int32_t x, int32_t y, Menu** menu);
KernelStatus Menu_MenuAtIndex(uint32_t index, Menu** menu);
KernelStatus Menu_FindItem(CommandId command, MenuItem** item, Menu** menu);
KernelStatus Menu_FindItemByRequest(int32_t request, int32_t* menuId, CommandId* command);
uint32_t Menu_MenuExists(int32_t menuId);
uint32_t Menu_ItemExists(CommandId command);
KernelStatus Menu_MenuIndex(int32_t menuId, uint16_t* index);
KernelStatus Menu_MenuIdAt(uint16_t index, int32_t* menuId);
KernelStatus Menu_ItemIdAt(uint16_t menuIndex, uint16_t itemIndex, uint16_t* command);
KernelStatus Menu_ItemPosition(CommandId command, uint16_t* menuIndex, uint16_t* itemIndex);
int32_t Menu_GetItemMark(CommandId command);
KernelStatus Menu_TableRequest(CommandId command, int32_t* request);

KernelStatus Menu_SetItemEnabled(CommandId command, int32_t state);
KernelStatus Menu_SetItemMark(CommandId command, int32_t on);
KernelStatus Menu_SetItemLabel(CommandId command, const char* text);
KernelStatus Menu_NewItem(int32_t menuId, CommandId command, const char* label, int32_t enabled, int32_t separator,
                          int32_t checkMark, int32_t request, CommandId before);
KernelStatus Menu_InsertItem(int32_t menuId, CommandId command, const char* label, int32_t enabled,
                             int32_t separator, int32_t checkMark, int32_t request, CommandId before);
KernelStatus Menu_InsertTableItem(CommandId command, CommandId before, int32_t menuId);
KernelStatus Menu_ReplaceItem(CommandId oldCommand, CommandId newCommand);
KernelStatus Menu_MoveItem(CommandId command, int32_t toMenuId, CommandId before);
KernelStatus Menu_DeleteItem(CommandId command);

KernelStatus Menu_NewMenu(int32_t menuId, const char* title, int32_t enabled, int32_t beforeMenuId);
KernelStatus Menu_InsertTableMenu(int32_t menuId, int32_t beforeMenuId);
KernelStatus Menu_ReplaceMenu(int32_t oldMenuId, int32_t newMenuId);
KernelStatus Menu_MoveMenu(int32_t menuId, int32_t beforeMenuId);
KernelStatus Menu_DeleteMenu(int32_t menuId);
KernelStatus Menu_SetMenuTitle(int32_t menuId, const char* text);
KernelStatus Menu_SetMenuEnabled(int32_t menuId, int32_t state, int32_t withItems);
KernelStatus Menu_SetMenuHighlight(int32_t menuId, int32_t on);
void Menu_EnableKernelMenus(int32_t state);
KernelStatus Menu_LoadBar(int32_t barId);
KernelStatus Menu_PickCommand(uint32_t unused, CommandId command);
