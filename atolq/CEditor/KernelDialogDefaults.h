// The net editor's answer to the kernel's attribute dialogs (hook 66): values
// set with the "change current defaults" switch become the defaults of the
// selected object's kind, for the diagram and/or the user's defaults file;
// with the two questions it asks on the way.
#pragma once

#include <cstdint>

// "Save Defaults for:" (dialog 30150) about what is described: 1 on "OK"
// with the two switches (for the diagram, for the system), 0 on "Cancel".
int EE_AskSaveDefaultsFor(const char* what, int* diagram, int* system);

// "Save Options as System Defaults" (dialog 30155): 1 unless "Cancel".
int EE_ConfirmSaveStandard();

// Hook 66: (dialog number, result, value record) -> 1.
uintptr_t EE_KernelDialogEnded(uintptr_t dialog, uintptr_t result, uintptr_t record, uintptr_t, uintptr_t,
                               uintptr_t);
