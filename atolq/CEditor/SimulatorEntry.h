// The net editor's way into the simulator: "Enter Simulator" with the
// syntax check before the switch, and "Remove Sim Regions..." of the TOLQ
// menu.
#pragma once

// Checks the net and switches to the simulator; a diagram that holds a saved
// simulation state (or no diagram) enters without a switch. 1 when the
// simulator was entered.
int EE_SwitchToSimulator();
// The same for a scripted run whose mode word asked for the simulator: a net
// without prime pages is switched without asking whether to stay in the
// editor (nobody is there to answer).
int EE_SwitchToSimulatorScripted();
// "Enter Simulator": the editor's menus go, and come back when the switch
// fails.
void EE_EnterSimulatorCommand();
// "Remove Sim Regions...": the simulation regions of the command's pages
// that dialog 30610 names; 0 when the command has no pages.
int EE_RemoveSimRegionsCommand();
// Dialog 30610: current marking, feedback, input tokens, output tokens and a
// fifth switch that is always 0; 0 when cancelled.
int EE_AskRemoveSimRegions(int switches[5]);
