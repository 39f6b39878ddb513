// What the command layer reads of and makes from kernel events (EventRec
// memory blocks): their class, payload and pointer state, and the cancel,
// command and timer events it posts.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

using MemHandle = uint32_t;

uint32_t Event_Class(MemHandle event);
uint32_t Event_ItemKind(MemHandle event);
uint32_t Event_ItemValue(MemHandle event);
KernelStatus Event_Free(MemHandle event);
MemHandle Event_NewCancel();
MemHandle Event_NewCommand(uint32_t shift, uint32_t control, uint32_t mod, uint32_t lock, uint32_t number);
MemHandle Event_NewTimer(uint32_t id);

// The command layer's view of one event: 0 and the fields, or the status of
// the lock when the block cannot be read.
struct CommEventView {
    uint32_t eventClass = 0;
    uint32_t payloadKind = 0;
    uint64_t payloadValue = 0;  // the payload's 8-byte value
    int32_t dialogNumber = 0;    // first word of a dialog event's payload block
    int32_t pointerState[5] = {};
};
KernelStatus Comm_ReadEvent(MemHandle event, CommEventView* view);
