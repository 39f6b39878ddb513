// The net editor's menus: the start-up edits that turn the kernel's menus into
// the editor's, the editor's menu pair on hooks 21 and 6, and the two
// menu-refresh handlers.
#pragma once

#include <cstdint>
#include <string_view>

// Menu ids of the net layer.
inline constexpr int32_t kGEMenuTolq = 10100;
inline constexpr int32_t kGEMenuSet = 10200;

// Start-up menus: the start-up pair on hooks 21 and 6, the tool extension
// item, the Set menu and the edits of the kernel menus.
void EE_InstallStartMenus();
// The editor's pair on hooks 21 and 6 and the TOLQ menu.
void EE_InstallEditorMenus();
// Clears hooks 21 and 6 and deletes the TOLQ menu.
void EE_RemoveEditorMenus();

// Hook-6 handlers: (int32_t* changed).
uintptr_t EE_StartMenuRefresh(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t EE_EditorMenuRefresh(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// The label of the tool extension item for a TOLQToolExt value: "Enter "
// and the name between its last two '/'; empty when it has fewer than two.
std::string_view GE_ToolItemName(std::string_view path);

// Where the refresh handlers read whether the evaluator is up (item 11455
// reads "Stop ML" while it is); installed by the net layer's entry.
void GE_SetEvaluatorQuery(int (*isUp)());

// Items that modules of the net layer add to the TOLQ menu each time it is
// made; installed at start-up.
void GE_SetTolqMenuAdditions(void (*add)());
