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
