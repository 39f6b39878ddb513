// The page structure window's layout origin, shared with the resize callback.
#pragma once

#include "xkv/window/WindowInternal.h"

// Centres a small drawing and scrolls the highlighted entry into view.
void PageStructure_ComputeOrigin(PageWindow* record);
