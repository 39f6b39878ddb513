// The newer simulator's commands: "Automatic Run" sends the run to the
// evaluator without waiting and polls for its reply on the timer; "Stop"
// interrupts it; "Change Model Time..." and "Leave NewSim".
#pragma once

#include <cstdint>

// Runs the Sim command under the newer simulator; false when the command
// is not one of its own.
bool SNewSimCommand(uint16_t command);
void SNewSimRun();
// "Change Model Time...": when idle and the net's time is an integer, asks
// for the new time and sends it to the evaluator.
void SNewSimChangeTime();
// "Save Report..." asks for a file and has the evaluator write its report
// there; "Clear Report..." empties it after asking. Both only when idle.
void SNewSimSaveReport();
void SNewSimClearReport();
// "Leave NewSim": back to the editor, then the diagram closes unsaved.
void SLeaveNewSim();
void SNewSimStop();
// One poll for the run's reply (a timer tick).
void SNewSimPoll();
