// What the dialog toolkit and the file selector take from the rest of the
// program: the application's shell, title and drawing pixels, and the kernel
// services they call (main loop step, command layer, events, gestures, fonts,
// window hints).
#pragma once

#include <X11/Intrinsic.h>

#include <cstdint>

#include "xkv/comm/Comm.h"
#include "xkv/pending/Pending.h"
#include "xkv/types/Types.h"
#include "xkv/velkor/Velkor.h"

// The dialog event of the command layer (kernel events; its header cannot
// be included beside the toolkit's, whose Modifiers type it would hide).
MemHandle Event_NewDialog(uint32_t dialog, uint32_t item, MemHandle block);

// The application's top-level widget, its title and drawing pixels.
Widget DialogHost_Toplevel();
const char* DialogHost_Title();
Pixel DialogHost_Foreground();
Pixel DialogHost_Background();
