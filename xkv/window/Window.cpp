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

KernelStatus Window_RedrawObject(ObjectHandle, uint32_t)
{
    return kStatusOk;
}

KernelStatus Window_DrawObjectNow(ObjectHandle, uint32_t)
{
    return kStatusOk;
}

KernelStatus Window_ClosePage(ObjectHandle)
{
    return kStatusOk;
}

KernelStatus Window_ZoomPage(ObjectHandle, Fixed, Fixed)
{
    return kStatusOk;
}
