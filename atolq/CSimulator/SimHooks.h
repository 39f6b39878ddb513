// The simulator's handlers of the kernel hooks that behave differently while
// simulating, and their hand-over to the mode installer.
#pragma once

#include <cstdint>

// Hook 17: (int32_t modifiers[4], unsigned long* keysym, char*) -> 0 consumed.
uintptr_t SKeyFilter(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// Hook 28: (base object, out byte) -> 1 when the kernel may handle the click.
uintptr_t SClickCheck(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// Hook 34: (object, out word) before a pick -> 1.
uintptr_t SPickFilter(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// Hook 47: (object) -> 1 when its text may be edited.
uintptr_t STextEditCheck(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// Hook 50: every request is refused.
uintptr_t SRefuseRequest(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// Gives the mode installer the simulator's handlers.
void SInstallSimulatorHookHandlers();
