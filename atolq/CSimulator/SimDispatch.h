// The simulator's command entry: its menu-pick handler (hook 21) and the
// command switch of the "Sim" menu.
#pragma once

#include <cstdint>
#include <string_view>

// (menu id, command id) -> 0 handled, 1 for the kernel.
int SMenuPick(uint16_t menu, uint16_t command);
uintptr_t SMenuPickHook(uintptr_t menu, uintptr_t command, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// The "Sim" menu's command switch; 0.
int SSimCommand(uint16_t command);
// The label of a Sim command whose operation is not built yet, else empty.
std::string_view SPendingSimCommand(uint16_t command);
