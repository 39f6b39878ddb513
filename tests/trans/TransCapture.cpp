// The capture of posted events for the gesture tests.
#include "TransCapture.h"

#include <cstring>

#include "xkv/comm/Comm.h"
#include "xkv/item/Event.h"
#include "xkv/item/TypedItem.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/types/PtArray.h"

std::vector<Posted>& PostedEvents()
{
    static std::vector<Posted> events;
    return events;
}

std::vector<FixPoint> ReadPtArray(MemHandle array)
{
    std::vector<FixPoint> out;
    for (uint16_t i = 0; i < PtArray_Count(array); ++i) {
        FixPoint p{};
        PtArray_GetPoint(array, i, &p);
        out.push_back(p);
    }
    return out;
}

std::vector<uint8_t> BlockBytes(MemHandle block)
{
    std::vector<uint8_t> bytes;
    void* address = nullptr;
    if (block != 0 && Mem_Lock(block, &address) == 0 && address != nullptr) {
        bytes.resize(Mem_Size(block));
        std::memcpy(bytes.data(), address, bytes.size());
        Mem_Unlock(block);
    }
    return bytes;
}

uintptr_t CaptureEvent(uintptr_t event, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto handle = static_cast<MemHandle>(event);
    Posted posted;
    void* address = nullptr;
    if (Mem_Lock(handle, &address) == 0 && address != nullptr) {
        const EventRec record = *static_cast<const EventRec*>(address);
        Mem_Unlock(handle);
        posted.eventClass = record.eventClass;
        posted.x = record.pointer.x;
        posted.y = record.pointer.y;
        posted.button1 = record.pointer.button1;
        posted.shift = record.modifiers.shift;
        posted.control = record.modifiers.control;
        posted.mod = record.modifiers.mod;
        posted.lock = record.modifiers.lock;
        posted.kind = record.payload.kind;
        posted.value = record.payload.value[0];
        switch (record.payload.kind) {
        case kItemPoint:
        case kItemRect:
            {
                const std::vector<uint8_t> bytes = BlockBytes(record.payload.value[0]);
                for (size_t at = 0; at + sizeof(FixPoint) <= bytes.size(); at += sizeof(FixPoint)) {
                    FixPoint p{};
                    std::memcpy(&p, bytes.data() + at, sizeof p);
                    posted.points.push_back(p);
                }
                break;
            }
        case kItemPoints:
            posted.points = ReadPtArray(record.payload.value[0]);
            break;
        case kItemTriple:
            {
                const std::vector<uint8_t> bytes = BlockBytes(record.payload.value[0]);
                if (bytes.size() >= sizeof posted.words) {
                    std::memcpy(posted.words, bytes.data(), sizeof posted.words);
                    posted.points = ReadPtArray(posted.words[2]);
                }
                break;
            }
        default:
            break;
        }
    }
    PostedEvents().push_back(posted);
    Event_Free(handle);
    return 0;  // taken over: the command layer does nothing more with it
}

// Hands everything posted so far to the capture.
void DrainEvents()
{
    Comm_ProcessEvents();
}

void StartCapture()
{
    PostedEvents().clear();
    Comm_Initialize();
    Hook_Register(kHookNestedInteraction, CaptureEvent);
}

void StopCapture()
{
    DrainEvents();
    Hook_Unregister(kHookNestedInteraction);
    PostedEvents().clear();
}

