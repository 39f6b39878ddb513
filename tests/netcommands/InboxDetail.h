// The command layer's event detail set and cleared as a command or a cancel
// sets it; kept apart from the toolkit's headers, whose Modifiers type
// clashes with the kernel's.
#pragma once

#include <cstdint>

// A command event of the request number handled by the command layer.
void HandleCommandEvent(uint32_t request);
// A cancel event handled by the command layer.
void HandleCancelEvent();
