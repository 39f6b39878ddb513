// The simulator's activity word: what it is doing (idle, stepping, running,
// paused, stopping) and the menu item states that go with each activity.
#pragma once

#include <cstdint>

// High half: the activity; low 16 bits: the phase.
using SimActivityCode = uint32_t;

inline constexpr SimActivityCode kSimIdle = 0x10000;
inline constexpr SimActivityCode kSimStep = 0x20000;
inline constexpr SimActivityCode kSimStepWorking = 0x20001;
inline constexpr SimActivityCode kSimStepSubstepDone = 0x20002;
inline constexpr SimActivityCode kSimStepPaused = 0x20008;
inline constexpr SimActivityCode kSimStepBreak1 = 0x20020;
inline constexpr SimActivityCode kSimStepBreak2 = 0x20040;
inline constexpr SimActivityCode kSimNewIdle = 0x30000;
inline constexpr SimActivityCode kSimNewRunning = 0x30001;
inline constexpr SimActivityCode kSimNewPaused = 0x30002;
inline constexpr SimActivityCode kSimNewStopping = 0x30004;
inline constexpr SimActivityCode kSimRun = 0x40000;
inline constexpr SimActivityCode kSimRunWorking = 0x40001;
inline constexpr SimActivityCode kSimRunSubstepDone = 0x40002;
inline constexpr SimActivityCode kSimRunStepFinished = 0x40004;
inline constexpr SimActivityCode kSimRunPaused = 0x40008;
inline constexpr SimActivityCode kSimRunStepStopped = 0x40010;
inline constexpr SimActivityCode kSimRunBreak1 = 0x40020;
inline constexpr SimActivityCode kSimRunBreak2 = 0x40040;
inline constexpr SimActivityCode kSimAutomaticOnly = 0x80000;

// Leaves the current activity and enters the new one; the main codes also
// redraw the menu bar. Always 1.
int SBroadcastActivity(SimActivityCode code);
// Applies the item states of the code and makes it the current activity.
int SEnterActivity(SimActivityCode code);
// Undoes what the current activity disabled, as far as the new code asks,
// and sets the current activity to 0.
int SLeaveActivity(SimActivityCode newCode);

int SActivityIs(SimActivityCode code);
int SActivityHas(uint32_t mask);
SimActivityCode SCurrentActivity();
// 1 while the simulator is in simulator mode and not waiting for a command.
int SSimBusy();
// Idle, or idle with only "Automatic Run" available.
bool SActivityIsIdle();

// The item states of the last entered activity, applied again (menu
// refresh); forgotten when the simulator's menu goes.
void SReapplyActivityMenuStates();
void SForgetActivityMenuStates();
// Back to no activity at all (a new simulator session).
void SResetActivity();
