// The Sim commands that rebuild or set up the simulation state without
// running steps: "Reswitch", "Initial State..." (short and full forms), and
// the report commands.
#pragma once

// "Reswitch": checks the net again and regenerates the code in simulator
// mode.
void SReswitch();
// The simulator's syntax check: 1 passed, -1 errors were written, -2 failed
// without error texts. The step counter is kept.
int SCheckSyntax(int scope, int argument, int flag, int unused);
// The automatic step code with the fast mode(s) the code options ask for;
// 1 done, 0 after an ML exception (shown).
int SRegenerateAutoCode();
int SGenerateAutoCode(int fast);

// "Initial State...": the short or the full form as the state asks.
void SInitialStateCommand();
int SInitialState();
int SInitialStateFull();

// "Save Report..." and "Clear Report..." of the default simulator.
void SSaveReport();
void SClearReport();
