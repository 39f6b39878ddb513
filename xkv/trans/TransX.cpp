// Toolkit services of the gesture machine: display flush, click counter and
// the Alt modifier bits.
#include "xkv/trans/TransX.h"

#include <X11/Intrinsic.h>

#include "xkv/platform/xwindows/Diagram.h"
#include "xkv/platform/xwindows/Platform.h"

void TransX_Flush(Widget widget)
{
    if (widget != nullptr) {
        XFlush(XtDisplayOfObject(widget));
    }
}

int TransX_ClickCount()
{
    return Diagram_ClickCount();
}

unsigned int TransX_AltMask()
{
    return Platform_AltMask();
}
