// The single step with its substeps and breakpoints, "Continue", and the
// work procedure slot on the kernel's timer.
#include "atolq/CSimulator/SimStep.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CSimulator/SimActivity.h"
#include "atolq/CSimulator/SimStepMachine.h"
#include "atolq/SML/SMLWait.h"
#include "atolq/Utils/LMList.h"

namespace {

constexpr int16_t kMsgCodeActionException = 11526;
constexpr int16_t kMsgIllegalColour = 11528;
constexpr int16_t kMsgInstanceReference = 11527;
constexpr int16_t kMsgStopCriterion = 11554;
constexpr int16_t kErrEmptySubstep = 16426;
constexpr int16_t kErrUnexpectedSubstepState = 16427;

SimWorkProc installed = nullptr;

// A run or a single step, by the activity the chain runs under.
SimActivityCode phase(SimActivityCode stepCode, SimActivityCode runCode)
{
    return SActivityHas(kSimRun) ? runCode : stepCode;
}

// The timer pauses the chain at a breakpoint; "Continue" resumes it.
void pauseAt(SimActivityCode stepBreak, SimActivityCode runBreak, bool stopTimerFirst)
{
    const bool run = SActivityHas(kSimRun) != 0;
    if (stopTimerFirst)
        SInstallWorkProc(nullptr);
    SBroadcastActivity(run ? kSimRunPaused : kSimStepPaused);
    if (!stopTimerFirst)
        SInstallWorkProc(nullptr);
    SBroadcastActivity(run ? runBreak : stepBreak);
}

void resume(SimActivityCode begin, SimActivityCode working, SimWorkProc next)
{
    SVBeginBusy("");
    SBroadcastActivity(begin);
    SBroadcastActivity(working);
    SInstallWorkProc(next);
}

} // namespace

namespace simstep {

void backToIdle()
{
    SVEndBusy();
    dropStepElements();
    SInstallWorkProc(SIdleTick);
    SBroadcastActivity(kSimRunPaused);
    SBroadcastActivity(kSimIdle);
}

void dropStepElements()
{
    LMList* list = GE_GetStepElements();
    if (list != nullptr)
        LMDestroy(list);
    GE_SetStepElements(nullptr);
}

bool wholeSteps()
{
    return displayMode() >= 2;
}

int displayMode()
{
    return SECurrentRoot() != nullptr ? SECurrentRoot()->displayOptions[3] : 0;
}

int displayOption(int entry)
{
    return SECurrentRoot() != nullptr ? SECurrentRoot()->displayOptions[entry] : 0;
}

void advanceStepCounter()
{
    const uint32_t step = GE_GetErrorCount() + 1;
    GE_SetErrorCount(step);
    ASRequestCurStep(static_cast<long>(step));
}

void codeOutput(MemFile* reply, uint32_t transitionObject, ASInstance* instance)
{
    SVCodeOutput(reply, transitionObject, instance);
}

bool executeNextStep(bool* last)
{
    ASInstance* failedInstance = nullptr;
    uint32_t failedObject = 0;
    int result = 0;
    ASExecuteStep(&failedInstance, &failedObject, &result);
    if (result >= 0) {
        *last = result == 1;
        return true;
    }
    int16_t message = 0;
    switch (result) {
    case -5: message = kMsgCodeActionException; break;
    case -4: message = kMsgIllegalColour; break;
    case -2: message = kMsgInstanceReference; break;
    default: break;
    }
    if (message != 0) {
        SVMessage(message);
        if (result == -5) {
            SVSetStateInvalid();
            GE_SetStateFlags(kGEMenusStale);
            SVUpdateMenuBar();
        }
        SVShowFailure(failedInstance, failedObject);
    }
    backToIdle();
    return false;
}

LMList* executedPairs()
{
    LMList* list = LMCreate(kLMPairList);
    ASIterator it{};
    if (ASFirst(17, &it) != 0) {
        while (ASNext(17, &it) != 0)
            LMPrepend(list, reinterpret_cast<void*>(it.word[0]), reinterpret_cast<void*>(it.word[1]));
    }
    return list;
}

void updateAroundExecuted()
{
    ASIterator it{};
    if (ASFirst(17, &it) == 0)
        return;
    while (ASNext(17, &it) != 0)
        SVUpdatePlacesAround(reinterpret_cast<SETrans*>(it.word[0]), reinterpret_cast<ASInstance*>(it.word[1]));
}

bool takeDeferredAction()
{
    if (GE_TestStateFlags(kGEDeferredAction) == 0)
        return false;
    GE_ClearStateFlags(kGEDeferredAction);
    const uint32_t object = GE_GetDeferredObject();
    const uint32_t argument = GE_GetDeferredArg();
    GE_SetDeferredObject(0);
    GE_SetDeferredArg(0);
    SVShowDeferred(object, argument);
    return true;
}

void pollKeys()
{
    const int key = SVPollKeys();
    if (key == kSimKeyEscape && SActivityHas(kSimRun) != 0)
        GE_SetStateFlags(kGEStopRun);
    else if (key == kSimKeyStep && SActivityHas(kSimRun) != 0)
        stepKeyPending() = true;
}

bool& stepKeyPending()
{
    static bool pending = false;
    return pending;
}

} // namespace simstep

using namespace simstep;

void SInstallWorkProc(SimWorkProc proc)
{
    installed = proc;
    SVSetTimer(proc);
}

SimWorkProc SCurrentWorkProc() { return installed; }

void SRunWorkProc()
{
    if (installed != nullptr)
        installed();
}

uintptr_t SIdleTickHook(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    SIdleTick();
    return 1;
}

void SIdleTick()
{
    if (SVTakePendingFatal() == 0)
        SMLPollPending();
}

int SStartStep()
{
    if (ASStopCriteriaMet() != 0) {
        SVMessage(kMsgStopCriterion);
        SVHideInstanceGraphics();
        ASWithdrawAll();
        SVShowInstanceGraphics();
        SBroadcastActivity(kSimIdle);
        SVRefreshCharts();
        ASRequestResetSteps();
        return 0;
    }
    SVBeginBusy("");
    SBroadcastActivity(kSimStep);
    dropStepElements();
    SVShowEnablingMarks(0);
    SVShowEnablingMarks(1);
    ASBeginExecution(codeOutput);
    advanceStepCounter();
    if (wholeSteps()) {
        SVStatus("Starting Step", 2, 5);
        bool last = false;
        if (!executeNextStep(&last))
            return 0;
        ASSendOccurrenceSet();
        updateAroundExecuted();
        SInstallWorkProc(SFinishStep);
    } else {
        SInstallWorkProc(SPrepareSubstep);
    }
    SBroadcastActivity(kSimStepWorking);
    return 1;
}

void SFinishStep()
{
    SVStatus("Calculating Enabling", 2, 4);
    ASRefreshEnabling();
    SVClosePagesOpenedByStep();
    SVShowEnablingMarks(1);
    SVUpdateCharts();
    SVStatus("Step is finished.", 2, 4);
    SVEndBusy();
    dropStepElements();
    SBroadcastActivity(kSimStepPaused);
    SBroadcastActivity(kSimIdle);
    SInstallWorkProc(SIdleTick);
    takeDeferredAction();
}

void SPrepareSubstep()
{
    SVStatus("Preparing Substep", 2, 5);
    dropStepElements();
    bool last = false;
    if (!executeNextStep(&last))
        return;
    LMList* elements = executedPairs();
    if (LMCount(elements) == 0) {
        LMDestroy(elements);
        SVInternalError(kErrEmptySubstep);
        backToIdle();
        return;
    }
    GE_SetStepElements(elements);
    if (last)
        GE_SetStateFlags(kGELastSubstep);
    else
        GE_ClearStateFlags(kGELastSubstep);
    void* transition = nullptr;
    void* instance = nullptr;
    LMFirst(elements, &transition, &instance);
    SVShowStepElementPage(static_cast<SETrans*>(transition), static_cast<ASInstance*>(instance));
    SVShowSubstepFeedback(elements);
    pollKeys();
    if (displayOption(kBreakpoint1) == 0) {
        SInstallWorkProc(SMoveTokens);
        return;
    }
    SVStatus("Breakpoint 1", 1, 4);
    pauseAt(kSimStepBreak1, kSimRunBreak1, false);
}

void SMoveTokens()
{
    SVBeginBusy(nullptr);
    SVStatus("Moving Tokens", 1, 4);
    ASSendOccurrenceSet();
    LMList* elements = GE_GetStepElements();
    SVHideSubstepCounts(elements);
    LMRewind(elements);
    void* transition = nullptr;
    void* instance = nullptr;
    while (LMMore(elements) != 0 && LMCurrent(elements, &transition, &instance) != 0) {
        SVUpdatePlacesAround(static_cast<SETrans*>(transition), static_cast<ASInstance*>(instance));
        LMAdvance(elements);
    }
    pollKeys();
    if (displayOption(kBreakpoint2) == 0) {
        SBroadcastActivity(phase(kSimStepWorking, kSimRunWorking));
        SInstallWorkProc(SFinishSubstep);
        return;
    }
    SVStatus("Breakpoint 2", 1, 4);
    pauseAt(kSimStepBreak2, kSimRunBreak2, true);
}

void SFinishSubstep()
{
    const bool single = SActivityHas(kSimStep) != 0;
    const bool run = SActivityHas(kSimRun) != 0;
    SVBeginBusy(nullptr);
    SVStatus("Finishing Substep", 1, 4);
    SVUnhighlightSubstep(GE_GetStepElements());
    if (single)
        SBroadcastActivity(kSimStepSubstepDone);
    else if (run)
        SBroadcastActivity(kSimRunSubstepDone);
    if (GE_TestStateFlags(kGEDeferredAction) != 0) {
        backToIdle();
        takeDeferredAction();
        return;
    }
    if (GE_TestStateFlags(kGELastSubstep) != 0) {
        SVStatus("Last Substep", 1, 4);
        if (single) {
            SInstallWorkProc(SFinishStep);
            SBroadcastActivity(kSimStepWorking);
        } else if (run) {
            SInstallWorkProc(SRunFinishStep);
            SBroadcastActivity(kSimRunWorking);
        } else {
            SVInternalError(kErrUnexpectedSubstepState);
            backToIdle();
        }
        return;
    }
    SVStatus("More Substeps", 1, 4);
    SBroadcastActivity(phase(kSimStepWorking, kSimRunWorking));
    SInstallWorkProc(SPrepareSubstep);
}

int SContinueStep()
{
    SimWorkProc next = nullptr;
    switch (SCurrentActivity()) {
    case kSimStepPaused: next = SPrepareSubstep; break;
    case kSimStepBreak1: next = SMoveTokens; break;
    case kSimStepBreak2: next = SFinishSubstep; break;
    default: return 0;
    }
    resume(kSimStep, kSimStepWorking, next);
    return 1;
}

int SContinueRun()
{
    SimWorkProc next = nullptr;
    switch (SCurrentActivity()) {
    case kSimRunPaused: next = SPrepareSubstep; break;
    case kSimRunStepStopped: next = SRunNextStep; break;
    case kSimRunBreak1: next = SMoveTokens; break;
    case kSimRunBreak2: next = SFinishSubstep; break;
    default: return 0;
    }
    resume(kSimRun, kSimRunWorking, next);
    return 1;
}
