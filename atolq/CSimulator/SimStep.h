// The interactive simulator's steps and runs: chains of short work
// procedures on the kernel's timer, each installing its successor, so that
// the event loop runs between the stages.
#pragma once

#include <cstdint>

#include "atolq/CSimulator/SimStepView.h"

// Commands.
int SStartStep();             // "Start Step": 1 when a step was started
void SStartInteractiveRun();  // "Interactive Run"
int SStopInteractiveRun();    // "Stop" during an interactive run
int SContinueStep();          // "Continue" of a paused single step: 0 when not paused
int SContinueRun();           // "Continue" of a paused interactive run: 0 when not paused
int SAutomaticRun(int fast);  // "Automatic Run" of the default simulator

// Work procedures.
void SFinishStep();
void SPrepareSubstep();
void SMoveTokens();
void SFinishSubstep();
void SRunNextStep();
void SRunFinishStep();
void SIdleTick();

// Installs the procedure on the timer (null stops it).
void SInstallWorkProc(SimWorkProc proc);
// The procedure installed now; null when the timer is stopped.
SimWorkProc SCurrentWorkProc();
// Runs the installed procedure once, as a timer tick does.
void SRunWorkProc();
// The idle procedure as a timer hook handler, for the simulator's hooks.
uintptr_t SIdleTickHook(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
