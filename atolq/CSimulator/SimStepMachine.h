// Helpers shared by the step and run procedures.
#pragma once

#include <cstdint>

struct ASInstance;
struct LMList;
struct MemFile;

// State flags of the net editor that the chains use.
inline constexpr uint32_t kGELastSubstep = 0x100;
inline constexpr uint32_t kGEStopRun = 0x400;
inline constexpr uint32_t kGEDeferredAction = 0x4000;

// Entries of the display options.
inline constexpr int kBreakpoint1 = 0;
inline constexpr int kBreakpoint2 = 1;
inline constexpr int kAskAfterStep = 2;
inline constexpr int kDisplayMode = 3;

namespace simstep {

// Ends a chain: busy state ended, step elements dropped, idle procedure,
// activity back to idle.
void backToIdle();
void dropStepElements();
// Display mode 2 or 3: a step is executed and shown as a whole.
bool wholeSteps();
int displayMode();
int displayOption(int entry);
// Step counter + 1, sent to the evaluator.
void advanceStepCounter();
// The receiver of code-segment output, handed to the abstract simulator.
void codeOutput(MemFile* reply, uint32_t transitionObject, ASInstance* instance);
// The next substep, or the whole step; false (and back to idle) on failure.
bool executeNextStep(bool* last);
// The executed (transition, instance) pairs, each put at the front.
LMList* executedPairs();
void updateAroundExecuted();
// Carries out a pending deferred object action; true when there was one.
bool takeDeferredAction();
// Escape asks the run to stop after this step; Alt+e asks for the step
// dialog at its end.
void pollKeys();
bool& stepKeyPending();

} // namespace simstep
