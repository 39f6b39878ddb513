// The kernel event queue: X events read from the kernel's display into records
// linked by handle, with motion merging, look-ahead and out-of-order removal.
#include "xkv/platform/xwindows/Events.h"

#include "xkv/platform/xwindows/Platform.h"

#include <X11/Intrinsic.h>

#include <memory>
#include <vector>

namespace {

constexpr KernelStatus kNoRecord = 33;

struct EventRecord {
    MemHandle next = 0;
    XEvent event{};
};

// Record storage: a handle holds a slot index (low 24 bits, from 1) and the slot's
// generation (high 8 bits), so a freed handle is recognised instead of reused.
struct Slot {
    std::unique_ptr<EventRecord> record;
    uint8_t generation = 0;
};

constexpr uint32_t kIndexBits = 24;
constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;

std::vector<Slot> slots;
std::vector<uint32_t> freeSlots;

MemHandle head = 0;
MemHandle tail = 0;
MemHandle fill = 0;
MemHandle heldMotion = 0;
Window motionWindow = 0;
uint16_t dispatching = 0;
Time lastEventTime = 0;
XEvent directBuffer;
EventSwitchProc eventSwitch = nullptr;

EventRecord* Lookup(MemHandle handle)
{
    uint32_t index = handle & kIndexMask;
    if (index == 0 || index > slots.size()) {
        return nullptr;
    }
    Slot& slot = slots[index - 1];
    if (!slot.record || slot.generation != (handle >> kIndexBits)) {
        return nullptr;
    }
    return slot.record.get();
}

MemHandle AllocRecord()
{
    uint32_t index = 0;
    if (!freeSlots.empty()) {
        index = freeSlots.back();
        freeSlots.pop_back();
    } else {
        if (slots.size() >= kIndexMask) {
            return 0;
        }
        slots.emplace_back();
        index = static_cast<uint32_t>(slots.size());
    }
    Slot& slot = slots[index - 1];
    slot.record = std::make_unique<EventRecord>();
    return (static_cast<uint32_t>(slot.generation) << kIndexBits) | index;
}

KernelStatus FreeRecord(MemHandle handle)
{
    if (Lookup(handle) == nullptr) {
        return kNoRecord;
    }
    uint32_t index = handle & kIndexMask;
    Slot& slot = slots[index - 1];
    slot.record.reset();
    ++slot.generation;
    freeSlots.push_back(index);
    return 0;
}

MemHandle NextOf(MemHandle handle)
{
    EventRecord* record = Lookup(handle);
    return record != nullptr ? record->next : 0;
}

void ReadNext(XEvent* event)
{
    if (Platform_AppContext() != nullptr) {
        XtAppNextEvent(Platform_AppContext(), event);
    } else {
        XNextEvent(Platform_Display(), event);
    }
}

void AppendRecord(MemHandle handle)
{
    if (head == 0) {
        head = handle;
        tail = handle;
        return;
    }
    if (EventRecord* last = Lookup(tail)) {
        last->next = handle;
    }
    tail = handle;
}

void NoteTime(Time time)
{
    lastEventTime = time;
}

// Moves one X event into the queue, merging runs of motion in one window.
void TakeXEvent()
{
    if (Lookup(fill) == nullptr) {
        fill = AllocRecord();
    }
    EventRecord* record = Lookup(fill);
    if (record == nullptr) {
        XEvent dropped;
        ReadNext(&dropped);
        return;
    }
    XEvent& event = record->event;
    ReadNext(&event);

    switch (event.type) {
    case KeyPress:
        NoteTime(event.xkey.time);
        motionWindow = 0;
        break;
    case ButtonPress:
    case ButtonRelease:
        NoteTime(event.xbutton.time);
        motionWindow = 0;
        break;
    case EnterNotify:
    case LeaveNotify:
        NoteTime(event.xcrossing.time);
        motionWindow = 0;
        break;
    case SelectionClear:
        NoteTime(event.xselectionclear.time);
        motionWindow = 0;
        break;
    case SelectionRequest:
        NoteTime(event.xselectionrequest.time);
        motionWindow = 0;
        break;
    case SelectionNotify:
        NoteTime(event.xselection.time);
        motionWindow = 0;
        break;
    case MotionNotify:
        NoteTime(event.xmotion.time);
        if (motionWindow != 0 && motionWindow == event.xmotion.window) {
            if (heldMotion != 0) {
                FreeRecord(heldMotion);
                heldMotion = 0;
            }
            if (event.xmotion.send_event != 1) {
                heldMotion = fill;
                fill = 0;
                return;
            }
            motionWindow = 0;
        } else {
            motionWindow = event.xmotion.window;
        }
        break;
    case MappingNotify:
        XRefreshKeyboardMapping(&event.xmapping);
        if (event.xmapping.request == MappingModifier || event.xmapping.request == MappingKeyboard) {
            Platform_RefreshModifierMap();
        }
        motionWindow = 0;
        break;
    default:
        motionWindow = 0;
        break;
    }

    record->next = 0;
    bool takenAsHeld = false;
    if (heldMotion != 0) {
        AppendRecord(heldMotion);
        if (motionWindow != 0) {
            heldMotion = fill;
            takenAsHeld = true;
        } else {
            heldMotion = 0;
        }
    }
    if (!takenAsHeld) {
        AppendRecord(fill);
    }
    fill = 0;
}

void ReleaseHeldMotion()
{
    if (heldMotion != 0) {
        AppendRecord(heldMotion);
        heldMotion = 0;
    }
}

void DrainPending()
{
    ReleaseHeldMotion();
    Display* display = Platform_Display();
    if (display == nullptr) {
        return;
    }
    while (XPending(display) > 0) {
        TakeXEvent();
    }
    // The latest motion of a run goes to this read instead of waiting for a later
    // event, so that a reader that then blocks has seen where the pointer is.
    ReleaseHeldMotion();
}

MemHandle SearchFrom(MemHandle start, XEvent** event, uint32_t type)
{
    for (MemHandle handle = start; handle != 0;) {
        EventRecord* record = Lookup(handle);
        if (record == nullptr) {
            return 0;
        }
        if (type == 0 || static_cast<uint32_t>(record->event.type) == type) {
            if (event != nullptr) {
                *event = &record->event;
            }
            return handle;
        }
        handle = record->next;
    }
    return 0;
}

bool IsWindowSystemEvent(int type)
{
    switch (type) {
    case Expose:
    case GraphicsExpose:
    case CreateNotify:
    case DestroyNotify:
    case UnmapNotify:
    case MapNotify:
    case ConfigureNotify:
    case ConfigureRequest:
    case ResizeRequest:
    case SelectionClear:
    case SelectionRequest:
    case SelectionNotify:
        return true;
    default:
        return false;
    }
}

void DispatchOne(XEvent* event)
{
    if (eventSwitch != nullptr) {
        eventSwitch(event);
    } else {
        XtDispatchEvent(event);
    }
}

// Finds the record in front of the given one, walking from start; 0 when the
// record is the head. Returns false when the record is not in the queue.
bool FindPredecessor(MemHandle start, MemHandle record, MemHandle* predecessor)
{
    MemHandle previous = 0;
    for (MemHandle handle = start; handle != 0; handle = NextOf(handle)) {
        if (handle == record) {
            if (previous == 0 && record != head) {
                break; // start was the record itself: look from the head
            }
            *predecessor = previous;
            return true;
        }
        previous = handle;
    }
    if (start == head) {
        return false;
    }
    return FindPredecessor(head, record, predecessor);
}

} // namespace

void Events_SetEventSwitch(EventSwitchProc proc)
{
    eventSwitch = proc;
}

MemHandle Events_NextEvent(XEvent** event, uint32_t wait)
{
    DrainPending();
    if (head != 0 && dispatching == 0) {
        MemHandle taken = head;
        EventRecord* record = Lookup(taken);
        if (record != nullptr) {
            if (event != nullptr) {
                *event = &record->event;
            }
            head = record->next;
            record->next = 0;
            return taken;
        }
        head = 0;
    }
    if (event != nullptr) {
        *event = nullptr;
    }
    if (wait != 0 && Platform_Display() != nullptr) {
        ReadNext(&directBuffer);
        if (event != nullptr) {
            *event = &directBuffer;
        }
    }
    return 0;
}

MemHandle Events_FindEvent(XEvent** event, uint32_t type)
{
    if (dispatching != 0) {
        return 0;
    }
    DrainPending();
    return SearchFrom(head, event, type);
}

MemHandle Events_FindNextEvent(MemHandle after, XEvent** event, uint32_t type)
{
    if (dispatching != 0) {
        return 0;
    }
    if (head == 0 || after == 0) {
        return Events_FindEvent(event, type);
    }
    DrainPending();
    EventRecord* record = Lookup(after);
    if (record == nullptr) {
        return 0;
    }
    return SearchFrom(record->next, event, type);
}

KernelStatus Events_RemoveEvent(MemHandle start, MemHandle record)
{
    EventRecord* removed = Lookup(record);
    if (removed == nullptr) {
        return kNoRecord;
    }
    MemHandle predecessor = 0;
    if (!FindPredecessor(start != 0 && Lookup(start) != nullptr ? start : head, record, &predecessor)) {
        return kNoRecord;
    }
    if (predecessor != 0) {
        Lookup(predecessor)->next = removed->next;
        if (tail == record) {
            tail = predecessor;
        }
    } else {
        head = removed->next;
    }
    return FreeRecord(record);
}

void Events_DispatchWindowEvents(uint32_t sync)
{
    if (sync != 0 && Platform_Display() != nullptr) {
        XSync(Platform_Display(), False);
    }
    MemHandle kept = 0;
    XEvent* event = nullptr;
    MemHandle found = Events_FindEvent(&event, 0);
    while (found != 0) {
        if (IsWindowSystemEvent(event->type)) {
            dispatching = 1;
            DispatchOne(event);
            Events_RemoveEvent(kept, found);
            dispatching = 0;
        } else {
            kept = found;
        }
        found = kept != 0 ? Events_FindNextEvent(kept, &event, 0) : Events_FindEvent(&event, 0);
    }
}

Time Events_LastEventTime()
{
    return lastEventTime;
}

KernelStatus Events_UnlockRecord(MemHandle record)
{
    return Lookup(record) != nullptr ? 0 : kNoRecord;
}

KernelStatus Events_FreeRecord(MemHandle record)
{
    return FreeRecord(record);
}
