// What the command layer reads of a kernel event (an EventRec memory block):
// its class, payload and pointer state.
#pragma once

#include <cstdint>

#include "xkv/item/Event.h"
#include "xkv/types/Types.h"

struct CommEventView {
    uint32_t eventClass = 0;
    uint32_t payloadKind = 0;
    uint64_t payloadValue = 0;  // the payload's 8-byte value
    int32_t dialogNumber = 0;   // first word of a dialog event's payload block
    int32_t pointerState[5] = {};
};

// 0 and the view, or the status of the lock when the event cannot be read.
KernelStatus Comm_ReadEvent(MemHandle event, CommEventView* view);
