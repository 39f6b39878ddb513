// The performance tool of the simulator: entering it (the evaluator loads
// the performance library), its "Perf" menu, the report options sent to the
// library, data collectors for selected places and transitions, and its
// reactions to the simulator's events.
#pragma once

#include <cstdint>

inline constexpr int32_t kPerfMenu = 10700;
inline constexpr uint32_t kPerfEnterItem = 11262;

// Enters the tool (the simulator is already running); 1 when entered.
int PerfEnter();
// A command of menu 10700; other ids do nothing. 0.
int PerfMenuCommand(uint32_t command);
// Sends the diagram's report options to the library; 1 when all three
// requests succeeded.
int ResetML();
// remove 1 takes the menu out; else the menu is put in (state 1) or set to
// the state (1 enabled, 2 disabled). 1, or 0 when it could not be put in.
int PerfInstallMenu(uint32_t state, int remove);
// The simulator's menu refresh: 2 when its commands are available.
void PerfMenuRefresh(int simulatorState);

void PerfLeaveSimulator();
void PerfReswitch();
void PerfDiagramReloaded();
void PerfSaveState();
// "Initial State..." while the tool is active: the collectors are made anew.
void PerfRecreateDataCollectors();
int PerfIsActive();
int PerfMenuPresent();

// "Enter Perf" in the net editor: leave the editor, switch, enter.
void EE_EnterPerfCommand();
