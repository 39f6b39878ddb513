// The net editor's handlers for kernel hooks whose behaviour the editor owns:
// the key filter, the same-kind selection filter, the checks before commands,
// opening objects, closing, page changes, text edits and deletions, and the
// status text. Each has the kernel's hook signature.
#pragma once

#include <cstdint>

#define GE_HOOK_HANDLER(name) \
    uintptr_t name(uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d, uintptr_t e, uintptr_t f)

// Hook 17: (int32_t modifiers[4] Shift/Control/Alt/Lock, unsigned long* keysym,
// char* character) -> 0 consumed, 1 passed on.
GE_HOOK_HANDLER(EE_KeyFilter);
// Hook 16: (object) -> 1 accept; an object of all bits set toggles the filter.
GE_HOOK_HANDLER(EE_SelectFilter);
// The same-kind selection filter is on (1) or off (0).
int GE_SelectFilterOn();
// Hook 28: (object) -> 1 allow.
GE_HOOK_HANDLER(EE_BaseObjectCheck);
// Hook 14: (object) -> 0 done, 1 let the kernel go on.
GE_HOOK_HANDLER(EE_OpenObject);
// Hook 63: () -> 1 allow closing.
GE_HOOK_HANDLER(EE_CloseCheck);
// Hook 71: (page) -> 1.
GE_HOOK_HANDLER(EE_CurrentPageChanged);
// Hook 69: (page) -> 1.
GE_HOOK_HANDLER(EE_PageListChanged);
// Hook 76: (object, changed) -> 1; a changed text goes into the net through
// the update that the net layer installs.
GE_HOOK_HANDLER(EE_TextEditEnd);
void EE_SetTextUpdate(void (*update)(uint32_t object));
// Hook 37: (object, int32_t* flag) -> 1.
GE_HOOK_HANDLER(EE_AfterReplace);
// Hook 47: (object) -> 1 the text may be replaced.
GE_HOOK_HANDLER(EE_ReplaceCheck);
// Hooks 40 and 41: (object) -> 1.
GE_HOOK_HANDLER(EE_DeleteHook);
// Hook 55: (char* buffer) -> 1 when the buffer holds text to show.
GE_HOOK_HANDLER(EE_StatusText);
