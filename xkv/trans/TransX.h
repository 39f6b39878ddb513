// The toolkit services the gesture machine needs, kept apart because the
// toolkit's headers clash with the kernel's event records.
#pragma once

#include <cstdint>

#include "xkv/velkor/XTypes.h"

// Flushes the display of the widget's connection.
void TransX_Flush(Widget widget);
// The drawing area's click counter: 0 none, 1 single click, 2 double or further.
int TransX_ClickCount();
// The X state bits that mean Alt on the attached display.
unsigned int TransX_AltMask();
