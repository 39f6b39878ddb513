// The net editor's handlers for kernel hooks whose behaviour the editor owns:
// the key filter, the same-kind selection filter, the checks before commands,
// opening objects, closing, page changes, text edits and deletions, the
// status text, the connector hooks, the window title and the text command.
// Each has the kernel's hook signature. They live with the net layer's entry
// and reach the editor's hook set through EE_InstallEditorHookHandlers.
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
// Hook 76: (object, changed) -> 1; a changed text goes into the net.
GE_HOOK_HANDLER(EE_TextEditEnd);
// Hook 37: (object, int32_t* flag) -> 1.
GE_HOOK_HANDLER(EE_AfterReplace);
// Hook 47: (object) -> 1 the text may be replaced.
GE_HOOK_HANDLER(EE_ReplaceCheck);
// Hooks 40 and 41: (object) -> 1.
GE_HOOK_HANDLER(EE_DeleteHook);
// Hook 55: (char* buffer) -> 1 when the buffer holds text to show.
GE_HOOK_HANDLER(EE_StatusText);
// Hook 23 while a region's text is typed: (PointerState*, modifiers) -> 1
// when the press picked the owner of the next region, 0 to let it through.
GE_HOOK_HANDLER(EE_NextRegionClick);
// Hook 62: (page) -> 0 when the title was set to the page's reference name.
GE_HOOK_HANDLER(EE_WindowTitleHook);
// Hook 45: (menu, command, ObjectHandle* page) -> 0 when handled.
GE_HOOK_HANDLER(EE_ChoosePageHook);
// Hook 29: the hierarchy page follows a change of the model.
GE_HOOK_HANDLER(EE_ModelChangedHook);
// Hook 8: (connector, 1 when the end moves else 0 for the start, new object,
// its base node) -> 1 allow, 0 refuse.
GE_HOOK_HANDLER(EE_ReattachConnector);
// Hook 74: (connector, which end) after a re-attach -> 1.
GE_HOOK_HANDLER(EE_ConnectorReattached);
// Hook 9: (start base, end base, end, start object, end object) -> 1 allow.
GE_HOOK_HANDLER(EE_CheckNewArc);
// Hook 50: (object, which end) -> 0 when the connector's end may not be moved.
GE_HOOK_HANDLER(EE_ConnectorDetail);
// Hook 79: (label) a text object made by the kernel's text command -> 1.
GE_HOOK_HANDLER(EE_CreateTextHook);
// Hooks 23 and 65 while an arc is drawn from the palette.
GE_HOOK_HANDLER(EE_ArcFirstEnd);
GE_HOOK_HANDLER(EE_ArcEndFilter);
void EE_InstallArcDrawing();
// The object just made becomes the pending region of its owner (with the
// region kind's first text and defaults) and its text is edited.
void EE_MakePendingRegion(uint32_t object);
// Makes the end object of the connector the current object; with
// afterSelect the editor's dependent state follows.
void EE_SelectDetail(uint32_t connector, uint32_t endObject, int afterSelect);
void EE_RemoveArcDrawing();

// Hands every handler above (and those of the net objects, the hierarchy page
// and the defaults) to the editor's hook set.
void EE_InstallEditorHookHandlers();
