// The simulator's activity word and the menu item states that entering and
// leaving an activity set.
#include "atolq/CSimulator/SimActivity.h"

#include <initializer_list>

#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CSimulator/SimStepView.h"

namespace {

constexpr int kEnabled = 1;
constexpr int kDisabled = 2;

// Menu commands whose states follow the activity.
constexpr uint32_t kEnterEditor = 11250;
constexpr uint32_t kQuit = 220;
constexpr uint32_t kSaveState = 11255;
constexpr uint32_t kLoadState = 11256;
constexpr uint32_t kBind = 10301;
constexpr uint32_t kOccurrenceSet = 10302;
constexpr uint32_t kStartStep = 10303;
constexpr uint32_t kInteractiveRun = 10305;
constexpr uint32_t kAutomaticRun = 10306;
constexpr uint32_t kContinue = 10308;
constexpr uint32_t kStop = 10309;
constexpr uint32_t kChangeMarking = 10311;
constexpr uint32_t kInitialState = 10312;
constexpr uint32_t kSaveReport = 10317;
constexpr uint32_t kClearReport = 10318;
constexpr uint32_t kUpdateChart = 10320;

using Items = std::initializer_list<uint32_t>;

// What a step or run disables and its end enables again.
constexpr Items kStepLocked = {kEnterEditor, kQuit, kSaveState, kLoadState, kBind, kOccurrenceSet, kChangeMarking,
                               kInitialState, kInteractiveRun, kAutomaticRun, kSaveReport, kClearReport,
                               kUpdateChart};

SimActivityCode current = 0;
// The code whose item states were applied last; 0 when none.
SimActivityCode lastApplied = 0;

void set(Items items, int state)
{
    for (uint32_t item : items)
        SVSetItemState(item, state);
}

bool isMainCode(SimActivityCode code)
{
    switch (code) {
    case kSimIdle:
    case kSimStep:
    case kSimStepPaused:
    case kSimRun:
    case kSimRunPaused:
    case kSimAutomaticOnly:
        return true;
    default:
        return false;
    }
}

// Applies the item states of the code; false when it has none.
bool applyEnter(SimActivityCode code)
{
    switch (code) {
    case kSimIdle:
        if (ASStepIsEmpty() == 0) {
            set({kStartStep}, kEnabled);
            set({kInteractiveRun, kAutomaticRun}, kDisabled);
        } else {
            set({kStartStep}, kDisabled);
        }
        set({kContinue, kStop}, kDisabled);
        return true;
    case kSimStep:
        set({kEnterEditor, kQuit, kBind, kOccurrenceSet, kChangeMarking, kInitialState, kInteractiveRun,
             kAutomaticRun, kContinue, kStop, kSaveReport, kClearReport, kUpdateChart},
            kDisabled);
        return true;
    case kSimStepPaused:
        set({kContinue}, kEnabled);
        set({kEnterEditor, kQuit, kSaveState, kLoadState, kBind, kOccurrenceSet, kStartStep, kChangeMarking,
             kInitialState, kInteractiveRun, kAutomaticRun, kStop, kSaveReport, kClearReport, kUpdateChart},
            kDisabled);
        return true;
    case kSimNewIdle:
        set({kAutomaticRun}, kEnabled);
        set({kStop}, kDisabled);
        return true;
    case kSimNewRunning:
        set({kStop}, kEnabled);
        set({kAutomaticRun}, kDisabled);
        return true;
    case kSimNewPaused:
        set({kAutomaticRun}, kEnabled);
        return true;
    case kSimNewStopping:
        set({kStop}, kDisabled);
        return true;
    case kSimRun:
        set({kContinue, kStop}, kEnabled);
        set(kStepLocked, kDisabled);
        return true;
    case kSimRunPaused:
        set({kContinue, kStop}, kEnabled);
        set(kStepLocked, kDisabled);
        set({kStartStep}, kDisabled);
        return true;
    case kSimAutomaticOnly:
        set({kAutomaticRun, kStop}, kEnabled);
        set({kBind, kOccurrenceSet, kStartStep, kInteractiveRun, kContinue}, kDisabled);
        return true;
    default:
        return false;
    }
}

void applyLeave(SimActivityCode old, SimActivityCode next)
{
    if (next == kSimNewPaused) {
        set({kAutomaticRun}, kDisabled);
        return;
    }
    if (!isMainCode(next))
        return;
    switch (old) {
    case kSimStep:
        set(kStepLocked, kEnabled);
        break;
    case kSimStepPaused:
        set(kStepLocked, kEnabled);
        set({kContinue}, kDisabled);
        break;
    case kSimRun:
    case kSimRunPaused:
        set(kStepLocked, kEnabled);
        set({kStartStep, kContinue, kStop}, kDisabled);
        break;
    default:
        break;
    }
}

} // namespace

int SEnterActivity(SimActivityCode code)
{
    if (applyEnter(code))
        lastApplied = code;
    current = code;
    return 1;
}

int SLeaveActivity(SimActivityCode newCode)
{
    applyLeave(current, newCode);
    current = 0;
    return 1;
}

int SBroadcastActivity(SimActivityCode code)
{
    SLeaveActivity(code);
    SEnterActivity(code);
    if (isMainCode(code))
        SVUpdateMenuBar();
    return 1;
}

int SActivityIs(SimActivityCode code) { return current == code ? 1 : 0; }

int SActivityHas(uint32_t mask) { return (current & mask) != 0 ? 1 : 0; }

SimActivityCode SCurrentActivity() { return current; }

int SSimBusy()
{
    if (GE_GetMode() != kGEModeSimulator)
        return 0;
    return current == kSimIdle || current == kSimAutomaticOnly || current == kSimRunStepStopped ? 0 : 1;
}

bool SActivityIsIdle() { return current == kSimIdle || current == kSimAutomaticOnly; }

void SReapplyActivityMenuStates()
{
    if (lastApplied != 0)
        applyEnter(lastApplied);
}

void SForgetActivityMenuStates() { lastApplied = 0; }

void SResetActivity()
{
    current = 0;
    lastApplied = 0;
}
