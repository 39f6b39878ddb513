// Page windows: the services of the window layer that the object model uses.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

// Sets the title bar text of the page's window; 6 when the page has no window.
KernelStatus Window_SetTitle(ObjectHandle page);
// 1 when the object is in the process-wide hidden group.
uint32_t Window_IsHidden(ObjectHandle object);
