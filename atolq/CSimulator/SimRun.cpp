// The interactive run (a loop of steps on the timer), its stop, and the
// automatic run of the default simulator (one long evaluator request).
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASRequests.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CSimulator/SimActivity.h"
#include "atolq/CSimulator/SimStep.h"
#include "atolq/CSimulator/SimStepMachine.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "atolq/SML/SMLLink.h"
#include "atolq/Utils/MemFile.h"

using namespace simstep;

namespace {

constexpr int16_t kMsgNoMoreEnabled = 11525;
constexpr int16_t kMsgMissingValues = 11529;
constexpr int16_t kMsgRunWillStop = 11540;
constexpr int16_t kMsgAutomaticRunException = 11552;
constexpr int16_t kMsgStopCriterion = 11554;
constexpr int16_t kMsgChartException = 11559;
constexpr int16_t kErrOccurrenceSet = 16425;

constexpr std::string_view kUnhandled = "Unhandled Exception: ";
constexpr size_t kReplyHead = 256;

// Set once the end-of-step work of SRunFinishStep is done, so that a step
// dialog closed without an answer asks again without redoing it.
bool stepEndDone = false;

// The first 256 characters of the shared reply buffer.
std::string replyHead()
{
    MemFile* reply = ASReplyBuffer();
    char bytes[kReplyHead];
    uint32_t count = kReplyHead;
    MemFileRewind(reply);
    MemFileRead(reply, bytes, &count);
    MemFileRewind(reply);
    return std::string(bytes, count <= kReplyHead ? count : 0);
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The evaluator's step number into the step counter; a text that is no
// number leaves the counter as it is.
void readStepCounter()
{
    const std::string text = ASRequestStep();
    uint32_t step = 0;
    const char* end = text.data() + text.size();
    auto [at, error] = std::from_chars(text.data(), end, step);
    if (error == std::errc() && at == end && !text.empty())
        GE_SetErrorCount(step);
}

void stopRunAtIdle()
{
    backToIdle();
}

void ownedByStopCriterion()
{
    SVEndBusy();
    SVMessage(kMsgStopCriterion);
    SVHideInstanceGraphics();
    ASWithdrawAll();
    SVShowInstanceGraphics();
    SVShowEnablingMarks(1);
    SVRefreshCharts();
    stopRunAtIdle();
    ASRequestResetSteps();
}

// The step chosen by the run, executed and shown: substep by substep, or
// whole.
void startChosenStep()
{
    const int mode = displayMode();
    if (mode != 3)
        SVStatus("Updating Graphics", 2, 5);
    SVBeginBusy(nullptr);
    if (!wholeSteps()) {
        SVShowRunFeedback();
        ASResetMarkLists();
        ASBeginExecution(codeOutput);
        SBroadcastActivity(kSimRunWorking);
        advanceStepCounter();
        SInstallWorkProc(SPrepareSubstep);
        return;
    }
    if (mode != 3)
        SVShowRunFeedback();
    ASResetMarkLists();
    advanceStepCounter();
    SVStatus("Starting Step", 2, 5);
    ASBeginExecution(codeOutput);
    bool last = false;
    if (!executeNextStep(&last))
        return;
    ASSendOccurrenceSet();
    if (mode != 3)
        updateAroundExecuted();
    SInstallWorkProc(SRunFinishStep);
    SBroadcastActivity(kSimRunWorking);
}

void finishAutomaticRun()
{
    SVEndBusy();
    SVStatus("Automatic Run Is Finished", 2, 5);
}

// An ML exception ended the run: the state is no longer trusted.
void invalidateAfterAutomaticRun()
{
    SVSetStateInvalid();
    GE_SetStateFlags(kGEMenusStale);
    SVUpdateMenuBar();
    finishAutomaticRun();
}

// The I/O failure of an automatic run, with its text cut at the marker.
bool ioFailure(std::string& text)
{
    constexpr std::string_view kIOError = "IOError: ";
    const size_t at = text.find(kIOError);
    if (at != std::string::npos) {
        text = text.substr(0, at) + text.substr(at + kIOError.size());
        return true;
    }
    const int kind = SMLLink().kind;
    return (kind == kSMLKindOld && contains(text, "io_failure")) ||
           (kind == kSMLKindNJ && contains(text, "Unhandled Exception: Io"));
}

void recalculateEnabling()
{
    SVStatus("Calculating Enabling", 2, 4);
    CTSRecalcEnabling();
    SVShowEnablingMarks(1);
    SVStatus("Enabling Recalculated", 2, 4);
}

} // namespace

void SStartInteractiveRun()
{
    SBroadcastActivity(kSimRun);
    SVBeginBusy("");
    ASClearNoOccSetFlag();
    dropStepElements();
    SBroadcastActivity(kSimRunWorking);
    GE_ClearStateFlags(kGEStopRun);
    stepKeyPending() = false;
    SInstallWorkProc(SRunNextStep);
}

void SRunNextStep()
{
    SVShowEnablingMarks(0);
    SVShowEnablingMarks(1);
    SVBeginBusy(nullptr);
    SVStatus("Calculating Occ Set", 2, 5);
    stepEndDone = false;
    const int result = ASChooseOccurrenceSet(2);
    switch (result) {
    case 0:
        SVEndBusy();
        SVMessage(kMsgNoMoreEnabled);
        if (displayMode() == 3)
            SVShowInstanceGraphics();
        SVShowEnablingMarks(1);
        SVRefreshCharts();
        stopRunAtIdle();
        ASRequestResetSteps();
        return;
    case 1:
        SVEndBusy();
        SVMessage(kMsgMissingValues);
        SVShowEnablingMarks(1);
        stopRunAtIdle();
        return;
    case 2:
        if (ASStopCriteriaMet() != 0) {
            ownedByStopCriterion();
            return;
        }
        startChosenStep();
        return;
    default:
        break;
    }
    const std::string head = replyHead();
    const size_t at = head.find(kUnhandled);
    if (result == -5 && at != std::string::npos)
        SVMessageWithText(head.c_str() + at, 0);
    else
        SVInternalError(kErrOccurrenceSet);
    // Choosing again at the next tick would fail the same way, with no way
    // for the user to stop the run: it ends here.
    stopRunAtIdle();
}

void SRunFinishStep()
{
    int key = kSimKeyNone;
    if (!stepEndDone) {
        SVBeginBusy(nullptr);
        SVClosePagesOpenedByStep();
        SVStatus("Calculating Enabling", 1, 4);
        ASRefreshEnabling();
        if (displayMode() != 3)
            SVShowEnablingMarks(1);
        SVUpdateCharts();
        SVStatus("Step Finished", 2, 4);
        SBroadcastActivity(kSimRunStepFinished);
        key = SVPollKeys();
        stepEndDone = true;
    }
    if (GE_TestStateFlags(kGEStopRun) != 0 || key == kSimKeyEscape) {
        char text[64];
        std::snprintf(text, sizeof text, "Step %lu is finished", static_cast<unsigned long>(GE_GetErrorCount()));
        SVStepFinishedWait(text);
        SInstallWorkProc(nullptr);
        SStopInteractiveRun();
        if (displayMode() == 3) {
            SVShowInstanceGraphics();
            SVShowEnablingMarks(1);
            SVRefreshCharts();
        }
        ASRequestResetSteps();
        return;
    }
    if (key == kSimKeyStep)
        stepKeyPending() = true;
    int decision = 1;
    if (displayOption(kAskAfterStep) != 0 || stepKeyPending())
        decision = SVStepDialog(GE_GetErrorCount());
    if (decision == 1) {
        stepKeyPending() = false;
        SInstallWorkProc(SRunNextStep);
        SBroadcastActivity(kSimRunWorking);
    } else if (decision == 2) {
        stepKeyPending() = false;
        SInstallWorkProc(nullptr);
        SStopInteractiveRun();
    }
    // Otherwise the decision stays open: the dialog comes again next tick.
}

int SStopInteractiveRun()
{
    if (SActivityIs(kSimRunStepStopped) == 0 && SActivityIs(kSimRunStepFinished) == 0) {
        if (SVAskContinue(kMsgRunWillStop) != 0)
            GE_SetStateFlags(kGEStopRun);
        return 1;
    }
    if (SActivityIs(kSimRunStepFinished) != 0) {
        SVStatus("Step Stopped", 1, 4);
        SInstallWorkProc(nullptr);
        SBroadcastActivity(kSimRunPaused);
        SBroadcastActivity(kSimRunStepStopped);
    }
    ASSetNoOccSetFlag();
    stopRunAtIdle();
    return 1;
}

int SAutomaticRun(int fast)
{
    for (;;) {
        SVBeginBusy("Running Automatic Code");
        ASAutoSendWithCode();
        const int16_t result = ASAutoRunStep(fast != 0);
        std::string head = replyHead();
        if (ioFailure(head)) {
            ASAutoValuePrint();
            const size_t start = head.find_first_not_of('\r');
            SVMessageThenText(kMsgAutomaticRunException, start == std::string::npos ? "" : head.c_str() + start);
            invalidateAfterAutomaticRun();
            return 1;
        }
        if (contains(head, "ChartError")) {
            if (SVAskYesNo(kMsgChartException) != 0)
                continue;
            readStepCounter();
            recalculateEnabling();
            finishAutomaticRun();
            return 1;
        }
        if (result != 0 && result != -4) {
            ASAutoValuePrint();
            const size_t at = head.find(kUnhandled);
            SVMessageWithText(at != std::string::npos ? head.c_str() + at : nullptr, kMsgAutomaticRunException);
            invalidateAfterAutomaticRun();
            return 1;
        }
        SVUpdateAllMarkings();
        SVShowEnablingMarks(0);
        SVShowEnablingMarks(1);
        readStepCounter();
        if (result == -4) {
            SVStatus("No More Enabled Transitions", 2, 4);
            SVMessage(kMsgNoMoreEnabled);
            MemFileReset(ASReplyBuffer());
            as::sendText("(!TOLQ'InternalSimCallBack.TOLQ'InternalStopCallBack());", ASReplyBuffer());
            // The evaluator moved the tokens; the simulator's own enabling
            // lists follow it.
            CTSRecalcEnabling();
            SVShowEnablingMarks(1);
            SVRefreshCharts();
        } else {
            recalculateEnabling();
            SVRefreshCharts();
        }
        finishAutomaticRun();
        return 1;
    }
}
