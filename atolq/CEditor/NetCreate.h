// Editor commands that make net objects and convert drawn objects, and the
// hook that gives a newly created kernel object its net role. Commands return
// the message id they refused with, 0 when they went ahead or were cancelled.
#pragma once

#include <cstdint>

int16_t EE_CreatePlace();
int16_t EE_CreateTransition();
int16_t EE_CreateArc();
int16_t EE_CreateDeclNodeCommand();
// The creation of a bar or line chart node, started by the chart type dialog.
int16_t EE_CreateBarChart();
int16_t EE_CreateLineChart();
// The TOLQ menu's Place (10101), Transition (10102) and Arc (10103).
void EE_RunCreateCommand(int16_t command);
// Hands the creating commands to the dispatch and the object-created hook to
// the editor's hook set.
void EE_InstallCreation();
int16_t EE_ConvertToAux();
// Convert to Aux for other modules: 1 when done, 0 when refused.
int EE_MakeSelectionAuxiliary();
int16_t EE_MakeNodeCommand();

// Hook 11: (kernel command) -> 1.
uintptr_t EE_ObjectCreatedHook(uintptr_t command, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// The attributes applied when a kernel drawing command makes an auxiliary object.
void EE_ApplyCommandDefaults(int32_t command, uint32_t object);
