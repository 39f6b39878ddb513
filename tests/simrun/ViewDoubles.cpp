// The recording double of the step machinery's screen side.
#include "ViewDoubles.h"

#include <algorithm>

#include "atolq/CSimulator/SimStepView.h"

namespace simview {

Screen& screen()
{
    static Screen s;
    return s;
}

void reset() { screen() = Screen{}; }

int count(const std::string& call)
{
    return static_cast<int>(std::count(screen().calls.begin(), screen().calls.end(), call));
}

namespace {
void log(const char* call) { screen().calls.emplace_back(call); }
} // namespace

} // namespace simview

using simview::screen;

void SVSetTimer(SimWorkProc tick) { screen().timerRunning = tick != nullptr; }
void SVSetItemState(uint32_t command, int state) { screen().items[command] = state; }
void SVUpdateMenuBar() { ++screen().menuBarRedraws; }
void SVMessage(int16_t id) { screen().messages.push_back(id); }
void SVMessageWithText(const char* text, int16_t id)
{
    screen().messages.push_back(id);
    screen().texts.emplace_back(text != nullptr ? text : "");
}
void SVMessageThenText(int16_t id, const char* text) { SVMessageWithText(text, id); }
void SVInternalError(int16_t id) { screen().messages.push_back(id); }
int SVAskContinue(int16_t id)
{
    screen().messages.push_back(id);
    return screen().askContinue;
}
int SVAskYesNo(int16_t id)
{
    screen().messages.push_back(id);
    return screen().askYesNo;
}
void SVBeginBusy(const char*) { screen().busy = 1; }
void SVEndBusy() { screen().busy = 0; }
void SVStatus(const char* text, int, int) { screen().statuses.emplace_back(text != nullptr ? text : ""); }
int SVTakePendingFatal()
{
    const int was = screen().pendingFatal;
    screen().pendingFatal = 0;
    return was;
}
int SVPollKeys()
{
    if (screen().keys.empty())
        return kSimKeyNone;
    const int key = screen().keys.front();
    screen().keys.pop_front();
    return key;
}
void SVStepFinishedWait(const char* text) { screen().statuses.emplace_back(text); }
void SVShowEnablingMarks(int show) { simview::log(show != 0 ? "show enabling" : "hide enabling"); }
void SVShowInstanceGraphics() { simview::log("show instances"); }
void SVHideInstanceGraphics() { simview::log("hide instances"); }
void SVUpdatePlacesAround(SETrans*, ASInstance*) { ++screen().placeUpdates; }
void SVUpdateAllMarkings() { simview::log("update all markings"); }
void SVShowRunFeedback() { simview::log("run feedback"); }
void SVShowStepElementPage(SETrans*, ASInstance*) { simview::log("element page"); }
void SVShowSubstepFeedback(LMList*) { simview::log("substep feedback"); }
void SVHideSubstepCounts(LMList*) { simview::log("hide counts"); }
void SVUnhighlightSubstep(LMList*) { simview::log("unhighlight"); }
void SVClosePagesOpenedByStep() { simview::log("close step pages"); }
void SVShowFailure(ASInstance*, uint32_t) { simview::log("show failure"); }
void SVShowDeferred(uint32_t, uint32_t) { simview::log("show deferred"); }
void SVCodeOutput(MemFile*, uint32_t, ASInstance*) { simview::log("code output"); }
void SVUpdateCharts() { ++screen().chartUpdates; }
void SVRefreshCharts() { ++screen().chartRefreshes; }
int SVStepDialog(unsigned long)
{
    ++screen().stepDialogs;
    if (screen().stepDialog.empty())
        return 0;
    const int answer = screen().stepDialog.front();
    screen().stepDialog.pop_front();
    return answer;
}
void SVSetStateInvalid() { screen().stateInvalid = 1; }
