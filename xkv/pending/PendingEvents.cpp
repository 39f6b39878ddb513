// Kernel events until the object model's event records arrive: no event can
// be made, and a handle names no event.
#include "xkv/comm/CommEvents.h"

uint32_t Event_Class(MemHandle) { return 0; }
uint32_t Event_ItemKind(MemHandle) { return 0; }
uint32_t Event_ItemValue(MemHandle) { return 0; }
KernelStatus Event_Free(MemHandle) { return 33; }
MemHandle Event_NewCancel() { return 0; }
MemHandle Event_NewCommand(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) { return 0; }
MemHandle Event_NewTimer(uint32_t) { return 0; }
KernelStatus Comm_ReadEvent(MemHandle, CommEventView*) { return 33; }
