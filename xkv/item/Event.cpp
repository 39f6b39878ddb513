// Kernel events: allocation, the constructors per class and payload kind,
// copy and release, and decoding an X state mask.
#include "xkv/item/Event.h"

#include <cstring>

#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/types/Geometry.h"

namespace {

using EventLock = BlockLock<EventRec>;

// The value of an item pick (kind 32) is an immediate word in an event,
// not a block of connector sets: it is copied as it is and released as
// nothing but its extra block.
bool IsImmediateInEvent(const TypedItemRec& payload)
{
    return payload.kind == kItemConnectorSets;
}

KernelStatus CopyPayload(const TypedItemRec& from, TypedItemRec* to)
{
    if (!IsImmediateInEvent(from)) {
        return TypedItem_CopyValue(from, to);
    }
    *to = TypedItemRec{from.kind, {from.value[0], from.value[1]}, 0};
    if (from.extra != 0) {
        return Mem_Duplicate(&to->extra, from.extra);
    }
    return kStatusOk;
}

void ReleasePayload(TypedItemRec* payload)
{
    if (!IsImmediateInEvent(*payload)) {
        TypedItem_ReleaseValue(payload);
        return;
    }
    if (payload->extra != 0) {
        Mem_Free(payload->extra);
    }
    *payload = TypedItemRec{};
}

// A fresh event with the class, pointer state, modifiers and payload; a
// payload block is given to the event, which frees it when it cannot be made.
MemHandle Make(uint32_t eventClass, const PointerState* pointer, const Modifiers* modifiers, uint32_t kind,
               uint32_t value0 = 0, uint32_t value1 = 0, bool ownsBlock = false)
{
    MemHandle event = Event_Alloc();
    EventLock record(event);
    if (!record) {
        if (ownsBlock && value0 != 0) {
            Mem_Free(value0);
        }
        if (event != 0) {
            Mem_Free(event);
        }
        return 0;
    }
    record->eventClass = eventClass;
    if (pointer != nullptr) {
        record->pointer = *pointer;
    }
    if (modifiers != nullptr) {
        record->modifiers = *modifiers;
    }
    record->payload = TypedItemRec{kind, {value0, value1}, 0};
    return event;
}

template <typename T>
MemHandle BlockOf(const T& value)
{
    MemHandle block = 0;
    return Mem_AllocCopy(&block, &value, sizeof(T)) == kStatusOk ? block : 0;
}

// An event whose payload is a block of its own; 0 when the block cannot be made.
MemHandle MakeWithBlock(uint32_t eventClass, const PointerState* pointer, const Modifiers* modifiers, uint32_t kind,
                        MemHandle block)
{
    if (block == 0) {
        return 0;
    }
    return Make(eventClass, pointer, modifiers, kind, block, 0, true);
}

}  // namespace

MemHandle Event_Alloc()
{
    MemHandle event = 0;
    EventRec* record = nullptr;
    if (Mem_AllocLocked(&event, reinterpret_cast<void**>(&record), sizeof(EventRec)) != kStatusOk) {
        return 0;
    }
    record->pointer.button1 = kButtonUnset;
    record->pointer.button2 = kButtonUnset;
    record->pointer.button3 = kButtonUnset;
    Mem_Unlock(event);
    return event;
}

MemHandle Event_NewCommand(uint32_t shift, uint32_t control, uint32_t mod, uint32_t lock, uint32_t command)
{
    Modifiers modifiers{shift, control, mod, lock};
    return Make(kEventCommand, nullptr, &modifiers, kItemCommand, command);
}

MemHandle Event_NewPick(const PointerState* pointer, const Modifiers* modifiers)
{
    return Make(kEventPick, pointer, modifiers, kItemNone);
}

MemHandle Event_NewObjectPick(const PointerState* pointer, const Modifiers* modifiers, ObjectHandle object)
{
    return Make(kEventPick, pointer, modifiers, kItemObject, object);
}

MemHandle Event_NewObjectRelease(const PointerState* pointer, const Modifiers* modifiers, ObjectHandle object)
{
    return Make(kEventPick, pointer, modifiers, kItemObjectRelease, object);
}

MemHandle Event_NewHandleCopyPick(const PointerState* pointer, const Modifiers* modifiers, MemHandle block)
{
    MemHandle copy = 0;
    if (Mem_Duplicate(&copy, block) != kStatusOk) {
        return 0;
    }
    return MakeWithBlock(kEventPick, pointer, modifiers, kItemHandleCopy, copy);
}

MemHandle Event_NewHandlePick(const PointerState* pointer, const Modifiers* modifiers, MemHandle dot)
{
    MemHandle copy = 0;
    if (Mem_Duplicate(&copy, dot) != kStatusOk) {
        return 0;
    }
    return MakeWithBlock(kEventPick, pointer, modifiers, kItemDot, copy);
}

MemHandle Event_NewWindowPick(const PointerState* pointer, const Modifiers* modifiers, uint32_t window)
{
    return Make(kEventPick, pointer, modifiers, kItemWindow, window);
}

MemHandle Event_NewPointPick(const PointerState* pointer, const Modifiers* modifiers, FixPoint point)
{
    return MakeWithBlock(kEventPick, pointer, modifiers, kItemPoint, BlockOf(point));
}

MemHandle Event_NewRectPick(const PointerState* pointer, const Modifiers* modifiers, FixPoint a, FixPoint b)
{
    FixRect rect{};
    Geom_RectFromPoints(&rect, a, b);
    Geom_NormalizeRect(&rect);
    return MakeWithBlock(kEventPick, pointer, modifiers, kItemRect, BlockOf(rect));
}

MemHandle Event_NewPointsPick(MemHandle points)
{
    PointerState none{};
    Modifiers noModifiers{};
    return Make(kEventPick, &none, &noModifiers, kItemPoints, points);
}

MemHandle Event_NewTriplePick(uint32_t a, uint32_t b, uint32_t c)
{
    const uint32_t words[3] = {a, b, c};
    return MakeWithBlock(kEventPick, nullptr, nullptr, kItemTriple, BlockOf(words));
}

MemHandle Event_NewItemPick(uint32_t value)
{
    return Make(kEventPick, nullptr, nullptr, kItemConnectorSets, value);
}

MemHandle Event_NewItemCopy(MemHandle item)
{
    TypedItemRec from{};
    {
        BlockLock<TypedItemRec> record(item);
        if (!record) {
            return 0;
        }
        from = *record;
    }
    TypedItemRec copy{};
    if (TypedItem_CopyValue(from, &copy) != kStatusOk) {
        return 0;
    }
    MemHandle event = Make(kEventItem, nullptr, nullptr, kItemNone);
    EventLock record(event);
    if (!record) {
        TypedItem_ReleaseValue(&copy);
        return 0;
    }
    record->payload = copy;
    return event;
}

MemHandle Event_NewCancel()
{
    return Make(kEventCancel, nullptr, nullptr, kItemNone);
}

MemHandle Event_NewTimer(uint32_t timer)
{
    return Make(kEventTimer, nullptr, nullptr, kItemTimer, timer);
}

MemHandle Event_NewDialog(uint32_t dialog, uint32_t item, MemHandle block)
{
    const uint32_t words[3] = {dialog, item, block};
    return MakeWithBlock(kEventDialog, nullptr, nullptr, kItemDialog, BlockOf(words));
}

MemHandle Event_NewPair(uint32_t a, uint32_t b)
{
    return Make(kEventPair, nullptr, nullptr, kItemPair, a, b);
}

MemHandle Event_NewDrag(const PointerState* pointer, const Modifiers* modifiers, FixPoint offset)
{
    return MakeWithBlock(kEventDrag, pointer, modifiers, kItemPoint, BlockOf(offset));
}

MemHandle Event_NewObjectEvent(ObjectHandle object)
{
    return Make(kEventObject, nullptr, nullptr, kItemObject, object);
}

MemHandle Event_NewBoxEvent(uint32_t a, uint32_t b, FixRect rect)
{
    struct {
        uint32_t a;
        uint32_t b;
        FixRect rect;
    } box{a, b, rect};
    return MakeWithBlock(kEventBox, nullptr, nullptr, kItemBox, BlockOf(box));
}

MemHandle Event_Copy(const EventRec* event)
{
    if (event == nullptr) {
        return 0;
    }
    TypedItemRec payload{};
    if (CopyPayload(event->payload, &payload) != kStatusOk) {
        return 0;
    }
    MemHandle copy = Make(event->eventClass, &event->pointer, &event->modifiers, kItemNone);
    EventLock record(copy);
    if (!record) {
        ReleasePayload(&payload);
        return 0;
    }
    record->payload = payload;
    return copy;
}

MemHandle Event_Duplicate(MemHandle event)
{
    EventLock record(event);
    return record ? Event_Copy(record.get()) : 0;
}

KernelStatus Event_Free(MemHandle event)
{
    {
        EventLock record(event);
        if (!record) {
            return kStatusNullHandle;
        }
        if (record->payload.kind != kItemNone) {
            ReleasePayload(&record->payload);
        }
    }
    return Mem_Free(event);
}

uint32_t Event_Class(MemHandle event)
{
    EventLock record(event);
    return record ? record->eventClass : 0;
}

uint32_t Event_ItemKind(MemHandle event)
{
    EventLock record(event);
    return record ? record->payload.kind : 0;
}

uint32_t Event_ItemValue(MemHandle event)
{
    EventLock record(event);
    return record ? record->payload.value[0] : 0;
}

void Event_FromXState(uint32_t state, const FixPoint* point, Modifiers* modifiers, PointerState* pointer)
{
    if (modifiers != nullptr) {
        modifiers->shift = (state & 0x1) != 0 ? 1 : 0;
        modifiers->control = (state & 0x4) != 0 ? 1 : 0;
        modifiers->mod = (state & 0xf8) != 0 ? 1 : 0;
        modifiers->lock = (state & 0x2) != 0 ? 1 : 0;
    }
    if (pointer != nullptr) {
        if (point != nullptr) {
            pointer->x = point->x;
            pointer->y = point->y;
        }
        pointer->button1 = state & 0x100;
        pointer->button2 = state & 0x200;
        pointer->button3 = state & 0x400;
    }
}
