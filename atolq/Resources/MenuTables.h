// The static tables of the program's menus: the menu bars, the menus with
// their lists of commands, the menu item rows (label and request number of
// every command) and the accelerator rows (default keys of the commands).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Number of a menu command; kernel menu m holds the commands m * 100 + k.
using CommandId = int32_t;

// Ends every list of command ids and the item and accelerator tables.
inline constexpr CommandId kCommandListEnd = 32767;
// Ends the bar table, the menu table and every list of menu ids.
inline constexpr int32_t kMenuListEnd = 9999;

struct MenuBarRow {
    int32_t barId;
    const int32_t* menuIds;  // ended by kMenuListEnd
};

struct MenuRow {
    int32_t menuId;
    const char* title;
    const CommandId* commands;  // ended by kCommandListEnd
};

struct MenuItemRow {
    CommandId commandId;
    const char* label;   // null for a separator
    int32_t request;     // detail of the command event a pick posts; 0 for none
    int32_t separator;   // 1 for a separator
};

struct AcceleratorRow {
    CommandId commandId;
    const char* name;  // identifies the command; empty where none
    const char* key;   // default key text, null for none
};

inline constexpr size_t kMenuBarRowCount = 1;
inline constexpr size_t kMenuRowCount = 13;
inline constexpr size_t kMenuItemRowCount = 215;
inline constexpr size_t kAcceleratorRowCount = 216;

// Each table ends with its sentinel row.
extern const std::array<MenuBarRow, kMenuBarRowCount + 1> MenuBarTable;
extern const std::array<MenuRow, kMenuRowCount + 1> MenuTable;
extern const std::array<MenuItemRow, kMenuItemRowCount + 1> MenuItemTable;
extern const std::array<AcceleratorRow, kAcceleratorRowCount + 1> AcceleratorTable;

// The first row of a table with the id, or null.
const MenuBarRow* MenuTable_FindBar(int32_t barId);
const MenuRow* MenuTable_FindMenu(int32_t menuId);
const MenuItemRow* MenuTable_FindItem(CommandId command);
