// The newer simulator's run. The run request goes out without waiting; each
// timer tick asks whether its reply has arrived. At the end the step and
// time texts come back with a message, the open pages show the markings the
// evaluator now holds, and the simulator is idle again.
#include "atolq/CSimulator/SimNewSim.h"

#include <string>

#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CSimulator/SimGraphics.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/NewSim/NSSimulator.h"
#include "atolq/SML/SMLLink.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr uint16_t kAutomaticRun = 10306;
constexpr uint16_t kStop = 10309;
constexpr uint32_t kRunning = 0x30001;
constexpr uint32_t kStopping = 0x30004;

struct RunState {
    uint32_t activityBefore = kSActivityIdle;
    int busyCursor = 0;
};

RunState run;

uintptr_t PollHook(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    SNewSimPoll();
    return 1;
}

// The run has answered: its texts, its message, the markings, idle again.
void FinishRun(const char* status)
{
    SEnterActivity(kStopping);
    QXCall_Timer(nullptr);
    std::string step, time, message;
    const bool read = NSRunResult(&step, &time, &message) != 0;
    if (read && !message.empty())
        QXUI_ShowMessage(message.c_str());
    SShowOpenPages();
    EE_EndBusy(run.busyCursor);
    SShowStatus(status, kSTimeRefreshed, kSStepRefreshed);
    SEnterActivity(run.activityBefore);
}

} // namespace

void SNewSimRun()
{
    if (NSRunPending() != 0 || !SActivityIsIdle())
        return;
    run.activityBefore = SCurrentActivity();
    SEnterActivity(kRunning);
    run.busyCursor = EE_BeginBusy("Simulating");
    if (NSStartRun(0) == 0) {
        EE_EndBusy(run.busyCursor);
        SShowStatus("Simulation failed", kSTimeRefreshed, kSStepRefreshed);
        SEnterActivity(run.activityBefore);
        return;
    }
    QXCall_Timer(PollHook);
}

void SNewSimPoll()
{
    if (NSRunPending() == 0) {
        QXCall_Timer(nullptr);
        return;
    }
    NSPollRun();
    if (NSRunPending() == 0)
        FinishRun("Simulation Completed");
}

void SNewSimStop()
{
    if (NSRunPending() == 0)
        return;
    SEnterActivity(kStopping);
    QXCall_Timer(nullptr);
    EE_EndBusy(run.busyCursor);
    run.busyCursor = EE_BeginBusy("Stopping the Simulation");
    SMLStopRun();
    NSMsgAwaitReply();
    FinishRun("Simulation Stopped");
}

bool SNewSimCommand(uint16_t command)
{
    switch (command) {
    case kAutomaticRun: SNewSimRun(); return true;
    case kStop: SNewSimStop(); return true;
    default: return false;
    }
}
