// Page windows: the services of the window layer that the object model uses.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

// Sets the title bar text of the page's window; 6 when the page has no window.
KernelStatus Window_SetTitle(ObjectHandle page);
// 1 when the object is in the process-wide hidden group.
uint32_t Window_IsHidden(ObjectHandle object);

// Records the object's extent for redrawing. Nothing is drawn until the
// window layer draws.
KernelStatus Window_RedrawObject(ObjectHandle object, uint32_t flags);
// Draws the object and its descendants at once.
KernelStatus Window_DrawObjectNow(ObjectHandle object, uint32_t flags);
// Closes the page's window when it has one; 0 otherwise.
KernelStatus Window_ClosePage(ObjectHandle page);
// Zooms the page's window by the factors about its visible middle.
KernelStatus Window_ZoomPage(ObjectHandle page, Fixed fx, Fixed fy);
