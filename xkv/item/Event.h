// Kernel events: the record of one input to the command layer (class,
// pointer state, modifiers and a typed-item payload) and its constructors.
#pragma once

#include <cstdint>

#include "xkv/item/TypedItem.h"
#include "xkv/types/Types.h"

enum EventClass : uint32_t {
    kEventCommand = 1,
    kEventPick = 2,
    kEventItem = 3,
    kEventCancel = 4,
    kEventTimer = 5,
    kEventDialog = 6,
    kEventPair = 7,
    kEventDrag = 9,
    kEventObject = 10,
    kEventBox = 11,
};

struct PointerState {
    Fixed x = 0;
    Fixed y = 0;
    uint32_t button1 = 0;
    uint32_t button2 = 0;
    uint32_t button3 = 0;
};

struct Modifiers {
    uint32_t shift = 0;
    uint32_t control = 0;
    uint32_t mod = 0;
    uint32_t lock = 0;
};

struct EventRec {
    uint32_t eventClass;
    PointerState pointer;
    Modifiers modifiers;
    TypedItemRec payload;
};

inline constexpr uint32_t kButtonUnset = 4;

MemHandle Event_Alloc();
MemHandle Event_NewCommand(uint32_t shift, uint32_t control, uint32_t mod, uint32_t lock, uint32_t command);
MemHandle Event_NewPick(const PointerState* pointer, const Modifiers* modifiers);
MemHandle Event_NewObjectPick(const PointerState* pointer, const Modifiers* modifiers, ObjectHandle object);
MemHandle Event_NewObjectRelease(const PointerState* pointer, const Modifiers* modifiers, ObjectHandle object);
MemHandle Event_NewHandleCopyPick(const PointerState* pointer, const Modifiers* modifiers, MemHandle block);
MemHandle Event_NewHandlePick(const PointerState* pointer, const Modifiers* modifiers, MemHandle dot);
MemHandle Event_NewWindowPick(const PointerState* pointer, const Modifiers* modifiers, uint32_t window);
MemHandle Event_NewPointPick(const PointerState* pointer, const Modifiers* modifiers, FixPoint point);
MemHandle Event_NewRectPick(const PointerState* pointer, const Modifiers* modifiers, FixPoint a, FixPoint b);
MemHandle Event_NewPointsPick(MemHandle points);
MemHandle Event_NewTriplePick(uint32_t a, uint32_t b, uint32_t c);
MemHandle Event_NewItemPick(uint32_t value);
MemHandle Event_NewItemCopy(MemHandle item);
MemHandle Event_NewCancel();
MemHandle Event_NewTimer(uint32_t timer);
MemHandle Event_NewDialog(uint32_t dialog, uint32_t item, MemHandle block);
MemHandle Event_NewPair(uint32_t a, uint32_t b);
MemHandle Event_NewDrag(const PointerState* pointer, const Modifiers* modifiers, FixPoint offset);
MemHandle Event_NewObjectEvent(ObjectHandle object);
MemHandle Event_NewBoxEvent(uint32_t a, uint32_t b, FixRect rect);

MemHandle Event_Copy(const EventRec* event);
MemHandle Event_Duplicate(MemHandle event);
KernelStatus Event_Free(MemHandle event);
uint32_t Event_Class(MemHandle event);
uint32_t Event_ItemKind(MemHandle event);
uint32_t Event_ItemValue(MemHandle event);
void Event_FromXState(uint32_t state, const FixPoint* point, Modifiers* modifiers, PointerState* pointer);
