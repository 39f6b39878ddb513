// The newer simulator's runs from the "Sim" menu: "Automatic Run" sends the
// run to the evaluator without waiting and polls for its reply on the
// timer; "Stop" interrupts it.
#pragma once

#include <cstdint>

// Runs the Sim command under the newer simulator; false when the command
// is not one of its own.
bool SNewSimCommand(uint16_t command);
void SNewSimRun();
void SNewSimStop();
// One poll for the run's reply (a timer tick).
void SNewSimPoll();
