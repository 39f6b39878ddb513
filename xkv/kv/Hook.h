// The hook registry through which the kernel calls the application: 86
// numbered slots, each with a kernel adapter, the application's handler and a
// registered flag. An unregistered hook acts as a handler that returns 1.
#pragma once

#include <cstdint>
#include <span>

#include "xkv/types/Types.h"

using HookId = uint32_t;

inline constexpr HookId kHookCount = 86;
inline constexpr HookId kHookTableEnd = 86;  // ends the adapter table

inline constexpr HookId kHookCommandEnd = 1;
inline constexpr HookId kHookMenuRefresh = 6;
inline constexpr HookId kHookObjectCreatedByCommand = 11;
inline constexpr HookId kHookSelectable = 16;
inline constexpr HookId kHookKeyFilter = 17;
inline constexpr HookId kHookEventFilter = 18;
inline constexpr HookId kHookMenuPick = 21;
inline constexpr HookId kHookTimer = 25;
inline constexpr HookId kHookPageChanging = 26;
inline constexpr HookId kHookPageChanged = 27;
inline constexpr HookId kHookModelChanged = 29;
inline constexpr HookId kHookMenuPickNotify = 33;
inline constexpr HookId kHookStatusText = 55;
inline constexpr HookId kHookOldFileVersion = 59;
inline constexpr HookId kHookNestedInteraction = 61;
inline constexpr HookId kHookModelClosed = 64;
inline constexpr HookId kHookPageWindowClosed = 69;
inline constexpr HookId kHookPageInStructure = 70;
inline constexpr HookId kHookCurrentPageChanged = 71;
inline constexpr HookId kHookArgv = 80;
inline constexpr HookId kHookCommandPages = 85;

// A hook handler takes up to six word-sized arguments (unused ones are 0)
// and returns 0 to refuse or consume, anything else to let the kernel go on.
using HookHandler = uintptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// A handler for a hook whose application side carries more than six words
// (hooks 2, 5, 7, 13 and 46): it gets all of them. A six-word handler
// registered on such a hook gets the first six.
using HookHandlerWide = uintptr_t (*)(std::span<const uintptr_t> words);

// One row of the adapter table.
struct HookDefault {
    int32_t id;
    HookHandler adapter;
};

KernelStatus Hook_Register(HookId hook, HookHandler handler);
KernelStatus Hook_Unregister(HookId hook);
KernelStatus Hook_RegisterWide(HookId hook, HookHandlerWide handler);
HookHandlerWide Hook_GetWideHandler(HookId hook);
// Calls the application handler of the slot with the words: the wide handler
// when one is registered, else the six-word one with the first six (1 when
// none is registered).
uintptr_t Hook_CallApplication(HookId hook, std::span<const uintptr_t> words);
KernelStatus Hook_Set(HookId hook, HookHandler handler);
uint32_t Hook_IsRegistered(HookId hook);
HookHandler Hook_GetHandler(HookId hook);
HookHandler Hook_GetApplicationHandler(HookId hook);
HookHandler Hook_Query(HookId hook, HookHandler* out);
uintptr_t Hook_NoOp(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
void Hook_InitTable();
// Clears every slot's adapter and registered flag (the first step of start-up).
void Hook_ClearTable();

// Fires a hook the kernel's way: 1 when it is not registered, else the
// result of its handler (the adapter when the slot has one).
uintptr_t Hook_Fire(HookId hook, uintptr_t a = 0, uintptr_t b = 0, uintptr_t c = 0, uintptr_t d = 0,
                    uintptr_t e = 0, uintptr_t f = 0);

// Fires a hook whose kernel side carries more than six words: its adapter
// gets the address of the words and their count.
uintptr_t Hook_FireWords(HookId hook, std::span<const uintptr_t> words);

// Start-up of the kernel programming interface.
KernelStatus KV_Initialize();
KernelStatus KV_StartApplication();
// The application's last work when the main loop has ended, whichever way
// the program was asked to end (its own quit, the window manager's close).
// A nonzero result of the handler makes the program's exit status 1.
void KV_SetEndHandler(KernelStatus (*handler)());
KernelStatus KV_EndApplication();
void KV_StubReport(const char* name);

// The application's periodic timer on hook 25 (kernel timer 3).
KernelStatus QXCall_Timer(HookHandler handler);
KernelStatus QXCall_TimerTick(uint32_t id, uint32_t argument);
uint32_t QXCall_CanFireTimer();
KernelStatus QXCall_OldFileVersion(HookHandler handler);
void QXCall_WriteFile();
void QXCall_ReadFile();
// The interval of timer 3 in ms (500 at start).
void QXCall_SetTimerInterval(uint32_t milliseconds);
uint32_t QXCall_TimerInterval();

// The kernel timer that carries the application's timer procedure.
inline constexpr uint32_t kApplicationTimerId = 3;
