// The toolkit's side of the kernel timers: the shared timeout is an X Toolkit
// timeout on the application context.
#include "xkv/timer/Timer.h"

#include <X11/Intrinsic.h>

#include <ctime>

namespace {

XtAppContext gContext = nullptr;

void TimeoutFired(XtPointer, XtIntervalId*)
{
    Timer_TimeoutExpired();
}

uint64_t NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

uintptr_t Arm(uint32_t delayMs)
{
    if (gContext == nullptr) {
        return 0;
    }
    return static_cast<uintptr_t>(XtAppAddTimeOut(gContext, delayMs, TimeoutFired, nullptr));
}

void Disarm(uintptr_t timeout)
{
    if (timeout != 0) {
        XtRemoveTimeOut(static_cast<XtIntervalId>(timeout));
    }
}

const TimerBackend kToolkitBackend = {NowMs, Arm, Disarm};

}  // namespace

void Timer_UseToolkit(XtAppContext context)
{
    gContext = context;
    Timer_SetBackend(&kToolkitBackend);
}
