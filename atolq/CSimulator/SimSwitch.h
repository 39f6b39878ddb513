// The change between the editor and the simulator: the switch of a checked
// net into simulator mode (code, instances, simulation regions, hooks, the
// "Sim" menu) and back.
#pragma once

// 1 when the simulator is ready, 0 on failure (the editor stays).
int SSwitchToSimulator();
// Back to the editor; with full, the instances and the simulation graphics
// go too. The result of entering the editor.
int SSwitchToEditor(int full);
// "Enter Editor" of the File menu while simulating.
void SEnterEditorCommand();
// Enters the simulator for a diagram that holds a saved simulation state (or
// for no diagram): hooks and menu only.
void SEnterSavedState();
// After a diagram with a saved simulation state was read: the clock, time
// flags and step come back, the simulation regions and enabling are rebuilt
// and the status reads "Ready to Simulate". 1 when done.
int SLoadState();
// The load's part for a diagram with a saved state: the evaluator started
// from the diagram's image, the simulator entered and the state restored.
// When the evaluator cannot be started the user may open the diagram in the
// editor without its state (1) or give up the load (0).
int SLoadSavedDiagram();
// "Save State..." of the File menu: the diagram and its simulation state
// saved under the diagram's name; a failure is reported.
void SSaveStateCommand();
// Saves the diagram with the simulation state under its current file name:
// the root's clock and time words, the saved-state mark on the page list for
// the time of the write (the evaluator's image goes beside the data base).
// 1 when written; 0 when the diagram has no name or the write failed.
int CTSSaveSimState();
