// The kernel's own first-in, first-out queue of X events: runs of pointer motion
// in one window are merged, window-system events can be dispatched at once while
// user input stays queued, and callers may look ahead without consuming.
//
// Records are named by 32-bit handles. A record returned by Events_NextEvent is
// out of the queue and belongs to the caller, who frees it with Events_FreeRecord
// after dispatch. A record returned by a search stays queued; the caller unlocks it
// with Events_UnlockRecord (or removes it with Events_RemoveEvent).
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

#include "xkv/types/Types.h"

using MemHandle = uint32_t;

// The X event switch that window-system events are dispatched through; without
// one, XtDispatchEvent is used.
using EventSwitchProc = void (*)(XEvent* event);
void Events_SetEventSwitch(EventSwitchProc proc);

MemHandle Events_NextEvent(XEvent** event, uint32_t wait);
MemHandle Events_FindEvent(XEvent** event, uint32_t type);
MemHandle Events_FindNextEvent(MemHandle after, XEvent** event, uint32_t type);
KernelStatus Events_RemoveEvent(MemHandle start, MemHandle record);
void Events_DispatchWindowEvents(uint32_t sync);
Time Events_LastEventTime();

// Bookkeeping of records handed out: 0, or 33 for a handle that names no record.
KernelStatus Events_UnlockRecord(MemHandle record);
KernelStatus Events_FreeRecord(MemHandle record);
