// Reading kernel events for the command layer: the record is locked only
// while its fields are copied out; a dialog event's number comes from the
// first word of its payload block.
#include "xkv/comm/CommEvents.h"

#include "xkv/mem/Mem.h"

namespace {

int32_t DialogNumberOf(const EventRec& event)
{
    if (event.payload.kind != kItemDialog) {
        return 0;
    }
    const MemHandle block = event.payload.value[0];
    uint32_t* words = nullptr;
    if (block == 0 || Mem_LockAs(block, &words) != kStatusOk || words == nullptr) {
        return 0;
    }
    int32_t number = 0;
    if (Mem_Size(block) >= sizeof(uint32_t)) {
        number = static_cast<int32_t>(words[0]);
    }
    Mem_Unlock(block);
    return number;
}

}  // namespace

KernelStatus Comm_ReadEvent(MemHandle event, CommEventView* view)
{
    if (view == nullptr) {
        return kStatusBadArgument;
    }
    EventRec* record = nullptr;
    const KernelStatus status = Mem_LockAs(event, &record);
    if (status != kStatusOk || record == nullptr) {
        return status != kStatusOk ? status : kStatusNullHandle;
    }
    if (Mem_Size(event) < sizeof(EventRec)) {
        Mem_Unlock(event);
        return kStatusBadArgument;
    }
    view->eventClass = record->eventClass;
    view->payloadKind = record->payload.kind;
    view->payloadValue = static_cast<uint64_t>(record->payload.value[0]) |
                         (static_cast<uint64_t>(record->payload.value[1]) << 32);
    view->pointerState[0] = record->pointer.x;
    view->pointerState[1] = record->pointer.y;
    view->pointerState[2] = static_cast<int32_t>(record->pointer.button1);
    view->pointerState[3] = static_cast<int32_t>(record->pointer.button2);
    view->pointerState[4] = static_cast<int32_t>(record->pointer.button3);
    const EventRec copy = *record;
    Mem_Unlock(event);
    view->dialogNumber = DialogNumberOf(copy);
    return kStatusOk;
}
