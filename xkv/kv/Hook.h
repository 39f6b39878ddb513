// The hook registry through which the kernel calls the application: 86
// numbered slots, each with a kernel adapter, the application's handler and a
// registered flag.
#pragma once

#include <cstdint>

using HookId = uint32_t;

inline constexpr HookId kHookCount = 86;
inline constexpr HookId kHookPageChanged = 27;
inline constexpr HookId kHookModelChanged = 29;
inline constexpr HookId kHookPageInStructure = 70;

// A hook handler takes up to six word-sized arguments (unused ones are 0)
// and returns 0 to refuse or consume, anything else to let the kernel go on.
using HookHandler = uintptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);

uint32_t Hook_IsRegistered(HookId hook);
HookHandler Hook_GetHandler(HookId hook);
