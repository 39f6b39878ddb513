// Kernel timers: delayed and periodic work inside the event loop. All timers
// share one toolkit timeout, armed for the nearest due timer and never more
// than 5000 ms ahead. A due timer calls its callback or, without one, posts a
// timer event to the command layer.
#pragma once

#include "xkv/velkor/XTypes.h"

#include <cstdint>

#include "xkv/types/Types.h"

using TimerProc = void (*)(uint32_t id, uint32_t argument);

// The longest the shared timeout is armed ahead (ms).
inline constexpr uint32_t kTimerMaxDelayMs = 5000;
// Status of Timer_Start before Timer_Initialize.
inline constexpr KernelStatus kTimerNotInitialized = 52;

// Where time comes from and how the shared timeout is armed. The default
// reads the monotonic clock and arms nothing; start-up installs the toolkit's
// timeouts (Timer_UseToolkit).
struct TimerBackend {
    uint64_t (*nowMs)();
    // Arms a timeout that calls Timer_TimeoutExpired after the delay; returns its id (not 0).
    uintptr_t (*arm)(uint32_t delayMs);
    void (*disarm)(uintptr_t timeout);
};

// How due timers without a callback reach the command layer; installed by it.
struct TimerEventSink {
    KernelStatus (*postTimerEvent)(uint32_t id);
    void (*processEvents)();
};

KernelStatus Timer_Initialize();
KernelStatus Timer_Start(uint32_t id, uint32_t intervalMs, uint32_t repeat, uint32_t restart, TimerProc callback,
                         uint32_t argument);
KernelStatus Timer_Stop(uint32_t id);
void Timer_SetInterval(uint32_t id, uint32_t intervalMs);
void Timer_RunDue();
void Timer_BusyEnter();
void Timer_BusyLeave();
uint32_t Timer_IsIdle();
// Milliseconds of a monotonic clock; 64 bits, so it never wraps.
uint64_t Timer_NowMs();

void Timer_SetBackend(const TimerBackend* backend);
void Timer_UseToolkit(XtAppContext context);
void Timer_SetEventSink(const TimerEventSink* sink);
// The shared timeout fired: runs the due timers, then the command layer's queue.
void Timer_TimeoutExpired();

// Read-only views for the status of the module.
uint32_t Timer_Count();
uint32_t Timer_CountWithId(uint32_t id);
