// What the step and run machinery asks of the rest of the program: the
// kernel's timer and menus, messages and the busy state, the status line,
// the simulation graphics on the open pages, the charts, the step dialog and
// the key poll. The machinery itself only drives the abstract simulator and
// these calls, so that it can run without a screen.
#pragma once

#include <cstdint>

struct ASInstance;
struct LMList;
struct MemFile;
struct SETrans;

// A work procedure of the step and run chains.
using SimWorkProc = void (*)();

// ---- kernel ----
// Installs the handler on the application timer (repeating), or stops it.
void SVSetTimer(SimWorkProc tick);
void SVSetItemState(uint32_t command, int state);  // 1 enabled, 2 disabled
void SVUpdateMenuBar();

// ---- messages and busy state ----
void SVMessage(int16_t id);
// The text and the message joined ("%s %s"); either may be missing.
void SVMessageWithText(const char* text, int16_t id);
// The message followed by the text.
void SVMessageThenText(int16_t id, const char* text);
void SVInternalError(int16_t id);
int SVAskContinue(int16_t id);  // 1 unless cancelled
int SVAskYesNo(int16_t id);     // 1 yes, 0 no
// The busy cursor with the text (null leaves the status text); nested
// calls keep the first saved cursor.
void SVBeginBusy(const char* text);
void SVEndBusy();
// The status line: text with the time part (0 none, 1 shown, 2 refreshed)
// and the step part (3 none, 4 shown, 5 refreshed).
void SVStatus(const char* text, int timeMode, int stepMode);
// A pending fatal condition is shown once and cleared; 1 when there was one.
int SVTakePendingFatal();

// ---- keys ----
inline constexpr int kSimKeyNone = 0;
inline constexpr int kSimKeyStep = 10303;  // Alt+e
inline constexpr int kSimKeyEscape = 3;
int SVPollKeys();
// Shows the text for up to three seconds unless Escape is pressed.
void SVStepFinishedWait(const char* text);

// ---- graphics on the open pages ----
void SVShowEnablingMarks(int show);
void SVShowInstanceGraphics();
void SVHideInstanceGraphics();
void SVUpdatePlacesAround(SETrans* transition, ASInstance* instance);
// Every place of every net page's first instance (after an automatic run).
void SVUpdateAllMarkings();
// Arc feedback and place markings of the open pages' instances.
void SVShowRunFeedback();
// The page of the element's transition shown with the element's instance.
void SVShowStepElementPage(SETrans* transition, ASInstance* instance);
// Highlight and token counts of a substep's elements (pairs of transition
// and instance); hiding them again; un-highlighting.
void SVShowSubstepFeedback(LMList* elements);
void SVHideSubstepCounts(LMList* elements);
void SVUnhighlightSubstep(LMList* elements);
void SVClosePagesOpenedByStep();
// The failing page instance shown with its object selected.
void SVShowFailure(ASInstance* instance, uint32_t object);
// The deferred object action: the argument's instance shown, the object
// selected.
void SVShowDeferred(uint32_t object, uint32_t argument);
// The receiver of code-segment output during a step.
void SVCodeOutput(MemFile* reply, uint32_t transitionObject, ASInstance* instance);

// ---- charts, dialogs, state ----
void SVUpdateCharts();
void SVRefreshCharts();
// The step dialog after a step of an interactive run: 1 continue, 2 stop,
// anything else leaves the decision open.
int SVStepDialog(unsigned long step);
// Marks the simulation state invalid after an ML exception.
void SVSetStateInvalid();
