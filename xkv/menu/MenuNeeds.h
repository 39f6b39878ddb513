// What the menus use of the command layer, kernel events, the main loop, the
// selection, the status bar, the text editor and the net layer's entry; each
// declaration is the one its own module gives.
#pragma once

#include <X11/Intrinsic.h>

#include <cstdint>

#include "xkv/types/Types.h"

// Command layer.
KernelStatus Comm_PostEvent(MemHandle event);
KernelStatus Comm_PostCancel();
KernelStatus Comm_ProcessEvents();
void Comm_SetPendingCommand(int32_t value);
uint32_t Comm_IsBusy();
ObjectHandle Comm_GetCurrentPage();
uint32_t Comm_InTextMode();

// Kernel events.
MemHandle Event_NewCommand(uint32_t shift, uint32_t control, uint32_t mod, uint32_t lock, uint32_t command);

// Main loop and start-up: the kernel modifier state {shift, control, alt,
// caps lock} and the toplevel shell's size hints.
void Velkor_GetModifierState(int32_t* modifiers);
void Velkor_SetShellSizeHints(int width, Widget shell);

// Status bar.
KernelStatus StatusBar_Refresh();
Widget StatusBar_Widget();

// Selection.
uint32_t Select_GetMode();
ObjectHandle Select_GetObject();
uint32_t Select_GetGroup();

// Text editor: the first object whose text refers to the object, 0 for none.
ObjectHandle Text_FirstReferrer(ObjectHandle object);

// The net layer's entry for its own commands.
uintptr_t QVmountopen(uint32_t kind, int32_t menuId, uint32_t value);
