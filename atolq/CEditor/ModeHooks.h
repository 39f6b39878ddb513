// The application mode and the kernel hooks each mode fills: the editor set
// and the simulator set. Menu hooks 21 and 6 go with the menus instead.
#pragma once

#include <cstdint>

// Stores the mode; mode 1 installs the editor set and hooks 11 and 41, mode 2
// the simulator set; other modes change no hook.
void GE_SetModeHooks(uint16_t mode);

// Installs the editor set.
void GE_InstallEditorHooks();

#include "xkv/kv/Hook.h"

// Gives a slot of the editor set its handler: modules above this one (the
// diagram life cycle) hand theirs in at start-up. 1 when the slot is one of
// the set.
int GE_SetEditorHookHandler(HookId hook, HookHandler handler);
// Gives a slot of the simulator set (11, 14, 17, 25, 28, 34, 47, 50, 57, 62,
// 69, 71) its handler; 1 when the slot is one of the set.
int GE_SetSimulatorHookHandler(HookId hook, HookHandler handler);
// The editor's handler of a slot of the set, null when none was handed in.
HookHandler GE_EditorHookHandler(HookId hook);
