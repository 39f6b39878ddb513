// Page windows. No page window is open and nothing is hidden until the
// window layer opens windows, so a page has no title to renew.
#include "xkv/window/Window.h"

KernelStatus Window_SetTitle(ObjectHandle)
{
    return kStatusBadArgument;
}

uint32_t Window_IsHidden(ObjectHandle)
{
    return 0;
}
