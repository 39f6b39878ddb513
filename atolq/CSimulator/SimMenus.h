// The simulator's menus: the "Sim" menu put in and taken out at the mode
// switch, and the simulator's menu refresh (hook 6), which decides the item
// states of every menu while simulating.
#pragma once

#include <cstdint>

inline constexpr int32_t kSMenuSim = 10300;

void SInstallSimMenu();
void SRemoveSimMenu();
// The hook-6 handler: (int32_t* changed).
uintptr_t SMenuRefresh(uintptr_t changed, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// The menus that need a diagram, on or off.
void SSetEditMenusEnabled(int on);
// The item states of the current activity, applied again by the refresh
// when neither stale code nor a spoiled state restricts the menus; null
// forgets it.
void SSetMenuStateProcedure(void (*apply)());
// The items that stale code ("Reswitch" needed) disables.
void SSetReswitchItems(int reswitchNeeded);
