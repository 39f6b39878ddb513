// Start-up of the kernel programming interface, and the entries that sit
// directly on the hook registry: the application's periodic timer (hook 25 on
// kernel timer 3) and the old-file-version hook.
#include <array>
#include <cstdio>

#include "xkv/comm/Comm.h"
#include "xkv/cursor/Cursor.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXUI.h"
#include "xkv/pending/Pending.h"
#include "xkv/window/Window.h"
#include "xkv/timer/Timer.h"
#include "xkv/velkor/Velkor.h"

namespace {

uint32_t gTimerInterval = 500;
KernelStatus (*gEndHandler)() = nullptr;

// Gesture states in which a timer tick may run during a menu command.
constexpr std::array<int32_t, 8> kTickableGestureStates = {1, 3, 8, 15, 18, 26, 36, 38};

void TimerTick(uint32_t id, uint32_t argument)
{
    QXCall_TimerTick(id, argument);
}

void LoadApplicationCursors()
{
    char path[260];
    const int n = std::snprintf(path, sizeof path, "%s/Cursor.res", Velkor_Settings().resourceDirectory);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof path) {
        return;  // a path that does not fit names no file we could read
    }
    Cursor_LoadFile(path);  // a file that cannot be read is ignored
}

}  // namespace

KernelStatus KV_Initialize()
{
    Hook_ClearTable();
    Hook_InitTable();
    QVmountopen(3, 0, 0);
    LoadApplicationCursors();
    return 0;
}

KernelStatus KV_StartApplication()
{
    return static_cast<KernelStatus>(QVmountopen(0, 0, 0));
}

void KV_SetEndHandler(KernelStatus (*handler)())
{
    gEndHandler = handler;
}

KernelStatus KV_EndApplication()
{
    KernelStatus (*handler)() = gEndHandler;
    gEndHandler = nullptr;
    return handler != nullptr ? handler() : 0;
}

void KV_StubReport(const char*) {}

KernelStatus QXCall_Timer(HookHandler handler)
{
    if (handler != nullptr) {
        KernelStatus status = Hook_Register(kHookTimer, handler);
        if (status != 0) {
            return status;
        }
        return Timer_Start(kApplicationTimerId, gTimerInterval, 1, 0, TimerTick, 0);
    }
    KernelStatus status = Timer_Stop(kApplicationTimerId);
    Hook_Unregister(kHookTimer);
    return status;
}

uint32_t QXCall_CanFireTimer()
{
    if (QXUI_GetCurrentCommand() == 0) {
        return 0;
    }
    const int32_t state = Trans_GetState();
    for (int32_t allowed : kTickableGestureStates) {
        if (state == allowed) {
            return 1;
        }
    }
    return 0;
}

KernelStatus QXCall_TimerTick(uint32_t, uint32_t)
{
    if (Hook_IsRegistered(kHookTimer) == 0) {
        return 0;
    }
    if (Comm_GetState() == kCommStateReady || QXCall_CanFireTimer() != 0) {
        Hook_GetHandler(kHookTimer)(0, 0, 0, 0, 0, 0);
        Window_FlushDamage();
    }
    return 0;
}

KernelStatus QXCall_OldFileVersion(HookHandler handler)
{
    return Hook_Set(kHookOldFileVersion, handler);
}

void QXCall_WriteFile()
{
    KV_StubReport("QXCall_WriteFile()");
}

void QXCall_ReadFile()
{
    KV_StubReport("QXCall_ReadFile()");
}

void QXCall_SetTimerInterval(uint32_t milliseconds)
{
    gTimerInterval = milliseconds;
    Timer_SetInterval(kApplicationTimerId, milliseconds);
}

uint32_t QXCall_TimerInterval()
{
    return gTimerInterval;
}
