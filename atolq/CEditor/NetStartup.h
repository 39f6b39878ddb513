// Start of the net layer inside the kernel: the kernel's entry into the net
// layer, starting in an application mode, the orderly quit and the pages a
// page command applies to (hook 85).
#pragma once

#include <cstdint>

// Application modes the net layer can start in.
inline constexpr uint16_t kGEStartEditor = 1;
inline constexpr uint16_t kGEStartSimulator = 2;
inline constexpr uint16_t kGEStartMatricer = 3;
inline constexpr uint16_t kGEStartOccurrencer = 4;
inline constexpr uint16_t kGEStartScripted = 6;

// The kernel's one entry into the net layer (kind 3: before the command line,
// kind 0: after it, kind 1: a net command the menu handler passed back).
uintptr_t QVmountopen(uint32_t kind, int32_t menuId, uint32_t value);

// Starts the net layer in a mode; 0 for a refused mode.
uint32_t GE_StartMode(uint16_t mode);

// Installs the editor's menus and hooks and enters mode 1; 1.
uint32_t GE_EnterEditor();

// Closes the diagram, saves the user's defaults and quits; nonzero when the
// diagram could not be closed.
uint32_t EE_Quit();
// The save of the user's defaults file that the orderly quit runs; installed
// by the net layer's entry.
void GE_SetDefaultsSaver(int (*save)());

// The scripted run of the -autoexec script or the tool item's script; 1 when
// every step ran, 0 after a failure (shown, or printed in a run that quits).
int EE_RunToolExtension();
// 1 when the last scripted run failed.
int EE_ToolExtensionFailed();

// Hook-85 handler: (u16* count, u32** pages), the list from malloc.
uintptr_t EE_HookPages(uintptr_t count, uintptr_t pages, uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// The pages of a page command, in a QXMem block; 1 when had.
int EE_GetSelectedPages(uint16_t* count, uint32_t** pages);
