// The newer simulator's commands. The run request goes out without waiting;
// each timer tick asks whether its reply has arrived. At the end the step
// and time texts come back with a message, the open pages show the markings
// the evaluator now holds, and the simulator is idle again. "Change Model
// Time..." sets the evaluator's clock; "Leave NewSim" returns to the editor
// and closes the diagram.
#include "atolq/CSimulator/SimNewSim.h"

#include <string>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CSimulator/SimDialogs.h"
#include "atolq/CSimulator/SimSwitch.h"
#include "atolq/CSimulator/SimGraphics.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/NewSim/NSSimulator.h"
#include "atolq/SML/SMLLink.h"
#include "xkv/kv/Hook.h"
#include "atolq/CEditor/MessageBox.h"
#include "xkv/kv/QXFile.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr uint16_t kAutomaticRun = 10306;
constexpr uint16_t kStop = 10309;
constexpr uint16_t kChangeModelTime = 10327;
constexpr uint16_t kSaveReport = 10317;
constexpr uint16_t kClearReport = 10318;
constexpr int16_t kMsgClearReport = 11558;
constexpr uint32_t kHideDotFiles = 1;
constexpr int16_t kClose = 203;
constexpr int32_t kTimeIntInf = 3;

struct RunState {
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
    SBroadcastActivity(kSimNewStopping);
    QXCall_Timer(nullptr);
    std::string step, time, message;
    if (NSRunResult(&step, &time, &message) != 0) {
        SSetNewSimTexts(step.c_str(), time.c_str());
        if (!message.empty())
            QXUI_ShowMessage(message.c_str());
    } else {
        SSetNewSimTexts(nullptr, nullptr);
    }
    SShowOpenPages();
    EE_EndBusy(run.busyCursor);
    SShowStatus(status, kSTimeRefreshed, kSStepRefreshed);
    SBroadcastActivity(kSimNewIdle);
}

// The evaluator's clock is an integer here; other time kinds have none to set.
bool IntegerTimeNet()
{
    const SERoot* root = SECurrentRoot();
    return root != nullptr && root->codeGenOptions[1] == kTimeIntInf;
}

} // namespace

void SNewSimRun()
{
    if (NSRunPending() != 0 || SActivityIs(kSimNewIdle) == 0)
        return;
    SBroadcastActivity(kSimNewRunning);
    run.busyCursor = EE_BeginBusy("Simulating");
    if (NSStartRun(0) == 0) {
        EE_EndBusy(run.busyCursor);
        SShowStatus("Simulation failed", kSTimeRefreshed, kSStepRefreshed);
        SBroadcastActivity(kSimNewIdle);
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
    SBroadcastActivity(kSimNewStopping);
    QXCall_Timer(nullptr);
    EE_EndBusy(run.busyCursor);
    run.busyCursor = EE_BeginBusy("Stopping the Simulation");
    SMLStopRun();
    NSMsgAwaitReply();
    FinishRun("Simulation Stopped");
}

void SNewSimChangeTime()
{
    if (SActivityIs(kSimNewIdle) == 0 || !IntegerTimeNet())
        return;
    std::string last, entered;
    SGetNewSimTime(&last);
    if (SModelTimeDialog(1, last.c_str(), &entered) == 0)
        return;
    NSChangeModelTime(entered.c_str());
    SSetNewSimTime(entered.c_str());
    SShowStatus("Change Model Time", kSTimeRefreshed, kSStepShown);
    SShowOpenPages();
}

void SNewSimSaveReport()
{
    if (SActivityIs(kSimNewIdle) == 0)
        return;
    char* path = nullptr;
    if (QXFile_SelectFile("Enter Name of Report File", "Save", "", kHideDotFiles, &path) == 0 || path == nullptr)
        return;
    const std::string file = path;
    QXMem_Free(path);
    if (NSSaveReport(file.c_str()) == 0)
        SShowStatus("The report could not be saved", kSNoTime, kSNoStep);
}

void SNewSimClearReport()
{
    if (GE_AskContinue(kMsgClearReport) == 0 || SActivityIs(kSimNewIdle) == 0)
        return;
    NSClearReport();
}

void SLeaveNewSim()
{
    SEnterEditorCommand();
    QXStr_SetModified(0);
    GE_DispatchPick(2, kClose, true);
}

bool SNewSimCommand(uint16_t command)
{
    switch (command) {
    case kAutomaticRun: SNewSimRun(); return true;
    case kStop: SNewSimStop(); return true;
    case kChangeModelTime: SNewSimChangeTime(); return true;
    case kSaveReport: SNewSimSaveReport(); return true;
    case kClearReport: SNewSimClearReport(); return true;
    default: return false;
    }
}
