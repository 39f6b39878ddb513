// Kernel services the net layer calls that the programming interface does not
// offer yet: issuing a kernel command as its menu item would, and asking for a
// re-evaluation of the menu states.
#pragma once

#include <cstdint>

// Carries out the request of the command's menu item (or of its table row)
// without going through hook 21: a command that waits for the pointer is
// posted, any other is run to its end. 1 on success, 0 when the command has
// no request or failed.
uint32_t GE_DoCommand(int32_t command);

// The menu states are re-evaluated after the current event.
void GE_RequestMenuUpdate();

// Shows "<what> is not available yet." in the status bar.
void GE_ReportNotBuilt(const char* what);
