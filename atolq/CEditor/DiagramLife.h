// The net side of a diagram's life: a new diagram gets an empty net, saving
// writes the data base file after the diagram file, loading refuses a
// diagram without its data base file and relinks the net read from it, and
// closing frees the net. Each hook handler has the kernel's hook signature.
#pragma once

#include <cstdint>

#include "atolq/CEditor/HookHandlers.h"

// Hook 48: (file, flag) before the diagram is written -> 1.
GE_HOOK_HANDLER(EE_DiagramSaving);
// Hook 38: (file, flag) the application section is written -> 1.
GE_HOOK_HANDLER(EE_DiagramSaved);
// Hook 42: (file, version, subdiagram being loaded, file holds a subdiagram)
// -> 1 accept, 0 refuse.
GE_HOOK_HANDLER(EE_DiagramLoading);
// Hook 32: (file, version, subdiagram being loaded, model map) -> 1/0.
GE_HOOK_HANDLER(EE_DiagramRead);
// Hook 64: the diagram was closed.
GE_HOOK_HANDLER(EE_DiagramClosed);

// Whether a diagram just read may open in the current mode: one saved in a
// simulation state asks whether to enter the simulator (11832); 1 to open
// it, 0 when the user declined or there is no diagram.
int EE_AskModeForLoad();

// After a whole diagram was read: the defaults of older files converted and
// the texts of a file from a machine of the other byte order fixed; 1.
int EE_ConvertOldDiagram();

// After the "New" command: the net side of the new diagram's page, unless the
// page already has its net or "New" was given on the hierarchy page.
void EE_AfterNewCommand(uint32_t previousPage);
// Hands the life-cycle handlers to the editor's hook set and the dispatch.
void EE_InstallLifeCycle();
