// The occurrence-graph tool of the simulator: entering it (the evaluator
// loads its library), its menu, the commands that send the library's fixed
// requests with arguments taken from the diagram, and its reactions to the
// simulator's events.
#pragma once

#include <cstdint>

inline constexpr int32_t kOGAMenu = 10600;
inline constexpr uint32_t kOGAEnterOcc = 11258;
inline constexpr uint32_t kOGAEnterOEOS = 11259;

// Enters the tool: variant 0 occurrence graph, 1 OE/OS graph.
int OGAEnter(int32_t variant);
// A command of menu 10600; 0.
int OGAMenuCommand(uint32_t command);
// remove 1 takes the menu out; else the menu is put in (state 1) or set to
// the state (1 enabled, 2 disabled). 1, or 0 when the menu could not be put in.
int OGAInstallMenu(uint32_t state, int remove);
// The simulator's menu refresh: 2 when its commands are available, 1 when not.
void OGAMenuRefresh(int simulatorState);

void OGASimulatorEntered();
void OGAReswitch();
void OGALeaveSimulator();
void OGADiagramReloaded();
void OGASaveState();

// "Enter Occ Graph" and "Enter OE/OS Graph" in the net editor.
void EE_EnterOccGraphCommand();
void EE_EnterOEOSGraphCommand();

int OGAIsActive();
int OGAMenuPresent();
int OGAGetVariant();
