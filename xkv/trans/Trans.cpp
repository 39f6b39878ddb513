// The gesture machine's core: the stack of gesture records and their saved
// copies, state changes with their cursor and status line, the idle state,
// the dispatch tables and the entry point of page-window input.
#include "xkv/trans/TransInternal.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <array>
#include <span>

#include "xkv/comm/Comm.h"
#include "xkv/cursor/Cursor.h"
#include "xkv/item/TypedItem.h"
#include "xkv/kv/Hook.h"
#include "xkv/model/Model.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/PtArray.h"
#include "xkv/trans/TransX.h"
#include "xkv/window/Window.h"

namespace {

constexpr int32_t kStateIdle = 1;
constexpr int32_t kStatePageSelect = 41;
constexpr int32_t kMessageKeep = 73;
constexpr int32_t kMessageRefresh = 9999;
constexpr uint32_t kHookPressFilter = 23;
constexpr uint32_t kPageFlagOwnPicks = 512;
constexpr int kButton1Mask = 0x100;

struct Stack {
    std::array<Transaction, kTransDepthMax + 1> live{};
    std::array<Transaction, kTransDepthMax + 1> saved{};
    int16_t depth = 0;
    bool pendingSet = false;
    int32_t pendingCursor = -1;
    bool initialized = false;
};

Stack& TheStack()
{
    static Stack stack;
    return stack;
}

bool DepthValid(int32_t depth)
{
    return depth >= 0 && depth <= kTransDepthMax;
}

// ---- dispatch tables ----

struct GestureEntry {
    int32_t state;
    int32_t type;
    GestureHandler handler;
};

int32_t KeyOf(int32_t state, int32_t type)
{
    return type * 100 + state;
}

int32_t Consumed(Transaction*, Widget, PointerState*, InputModifiers*)
{
    return 1;
}

int32_t Idle_Key(Transaction*, Widget, PointerState*, InputModifiers* modifiers);
int32_t Idle_Press(Transaction* record, Widget window, PointerState* pointer, InputModifiers* modifiers);
int32_t Idle_Release(Transaction* record, Widget window, PointerState* pointer, InputModifiers* modifiers);
int32_t Idle_Motion(Transaction* record, Widget window, PointerState* pointer, InputModifiers* modifiers);

int32_t Default_Key(Transaction*, Widget, PointerState*, InputModifiers* modifiers)
{
    if (modifiers->character != kEscape) {
        return 0;
    }
    Trans_PostCancel();
    return 1;
}

#define ROWS4(s, key, press, release, motion) \
    {s, KeyPress, key}, {s, ButtonPress, press}, {s, ButtonRelease, release}, {s, MotionNotify, motion}
#define RUBBER(s) ROWS4(s, Rubber_Key, Rubber_Press, Rubber_Release, Rubber_Motion)

std::array<GestureEntry, 88> mainTable{{
    ROWS4(1, Idle_Key, Idle_Press, Idle_Release, Idle_Motion),
    RUBBER(3), RUBBER(2), RUBBER(31), RUBBER(33), RUBBER(32), RUBBER(34), RUBBER(8), RUBBER(7), RUBBER(38),
    RUBBER(39),
    ROWS4(18, Vertex_Key, Vertex_PressStart, Vertex_ReleaseConnector, Vertex_Motion),
    ROWS4(28, Vertex_Key, Consumed, Vertex_ReleaseFinish, Vertex_Motion),
    ROWS4(29, Vertex_Key, Consumed, Vertex_ReleaseReattach, Vertex_Motion),
    ROWS4(36, Vertex_Key, Vertex_PressFirst, Vertex_ReleaseAdd, Vertex_Motion),
    ROWS4(37, Vertex_Key, Consumed, Vertex_ReleaseFinish, Vertex_Motion),
    ROWS4(40, Vertex_Key, Consumed, Vertex_ReleaseFinish, Vertex_Motion),
    ROWS4(15, Vertex_Key, Vertex_PressFirst, Vertex_ReleaseAdd, Vertex_Motion),
    RUBBER(26),
    ROWS4(30, Vertex_Key, Consumed, Vertex_ReleaseFinish, Vertex_Motion),
    ROWS4(21, Track_Key, Track_Press, Track_Release, Track_Motion),
    {22, ButtonPress, Track_Press}, {22, ButtonRelease, Track_Release},
    {41, ButtonRelease, PageSelect_Release}, {41, KeyPress, PageSelect_Key},
}};

std::array<GestureEntry, 4> defaultTable{{
    {0, KeyPress, Default_Key},
    {0, ButtonPress, Consumed},
    {0, ButtonRelease, Consumed},
    {0, MotionNotify, Consumed},
}};

// The run-time table: empty in this program.
std::span<GestureEntry> runtimeTable;

bool EntryLess(const GestureEntry& a, const GestureEntry& b)
{
    return KeyOf(a.state, a.type) < KeyOf(b.state, b.type);
}

void SortTable(std::span<GestureEntry> table)
{
    std::sort(table.begin(), table.end(), EntryLess);
}

GestureHandler FindExact(std::span<const GestureEntry> table, int32_t state, int32_t type)
{
    const GestureEntry probe{state, type, nullptr};
    auto it = std::lower_bound(table.begin(), table.end(), probe, EntryLess);
    if (it != table.end() && it->state == state && it->type == type) {
        return it->handler;
    }
    return nullptr;
}

GestureHandler Lookup(std::span<const GestureEntry> table, int32_t state, int32_t type)
{
    if (GestureHandler handler = FindExact(table, state, type)) {
        return handler;
    }
    return FindExact(table, 0, type);
}

// ---- idle state ----

void IdleEnd(Transaction* record)
{
    if (record->idle.heldItem != 0) {
        TypedItem_Free(record->idle.heldItem);
        record->idle.heldItem = 0;
    }
}

void FreeHeld(IdleData& idle)
{
    if (idle.heldItem != 0) {
        TypedItem_Free(idle.heldItem);
        idle.heldItem = 0;
    }
}

FixPoint PointOf(const PointerState* pointer)
{
    return {pointer->x, pointer->y};
}

// The press steps of the idle state; 1 when an event was posted.
int32_t IdlePressSteps(Transaction* record, Widget window, PointerState* pointer, InputModifiers* modifiers)
{
    IdleData& idle = record->idle;
    const FixPoint point = PointOf(pointer);
    if (idle.heldItem != 0 && !(idle.heldPoint.x == point.x && idle.heldPoint.y == point.y)) {
        FreeHeld(idle);
    }
    MemHandle item = idle.heldItem;
    if (item == 0) {
        item = Window_LocateAt(window, point, 4095, 1024, 0x3100007);
    }
    int32_t posted = 0;
    if (item != 0) {
        const uint32_t kind = TypedItem_Kind(item);
        if (kind == kItemObject) {
            posted = Trans_Post(Event_NewObjectPick(pointer, &modifiers->flags, TypedItem_Object(item)));
        } else if (kind == kItemDot && idle.pressed == 0) {
            posted = Trans_Post(Event_NewHandlePick(pointer, &modifiers->flags, TypedItem_Payload(item)));
        }
    } else if (idle.pressed == 0) {
        posted = Trans_Post(Event_NewPointPick(pointer, &modifiers->flags, point));
    }
    idle.heldItem = item;
    idle.heldPoint = point;
    idle.pressed = 1;
    idle.pressPoint = point;
    return posted;
}

int32_t Idle_Key(Transaction*, Widget, PointerState*, InputModifiers* modifiers)
{
    if (modifiers->character != kEscape) {
        return 0;
    }
    Trans_PostCancel();
    return 1;
}

int32_t Idle_Press(Transaction* record, Widget window, PointerState* pointer, InputModifiers* modifiers)
{
    return IdlePressSteps(record, window, pointer, modifiers);
}

int32_t Idle_Release(Transaction* record, Widget window, PointerState* pointer, InputModifiers* modifiers)
{
    IdleData& idle = record->idle;
    if (idle.pressed != 1) {
        return 1;
    }
    const FixPoint point = PointOf(pointer);
    const bool samePlace = point.x == idle.pressPoint.x && point.y == idle.pressPoint.y;
    if (!samePlace || idle.heldItem == 0) {
        IdlePressSteps(record, window, pointer, modifiers);
    } else if (TypedItem_Kind(idle.heldItem) == kItemObject) {
        const ObjectHandle object = TypedItem_Object(idle.heldItem);
        if (Model_IsPage(object) == 0) {
            Trans_Post(Event_NewObjectPick(pointer, &modifiers->flags, object));
        }
    }
    idle.pressed = 0;
    return 1;
}

int32_t Idle_Motion(Transaction* record, Widget, PointerState* pointer, InputModifiers* modifiers)
{
    IdleData& idle = record->idle;
    FreeHeld(idle);
    if (idle.pressed == 0 || idle.dragAllowed == 0) {
        return 1;
    }
    const FixPoint offset{Fix_Sub(idle.pressPoint.x, pointer->x), Fix_Sub(idle.pressPoint.y, pointer->y)};
    MemHandle event = Event_NewDrag(pointer, &modifiers->flags, offset);
    if (event != 0) {
        idle.pressed = 0;
    }
    Trans_Post(event);
    Comm_ProcessEvents();
    return 1;
}

// ---- input ----

bool IsPageInputKind(uint32_t kind)
{
    return (kind >= 1 && kind <= 3) || kind == 14;
}

// Only Alt counts as the mod flag; Num Lock and Scroll Lock never count.
uint32_t CleanState(uint32_t state)
{
    const uint32_t alt = (state & TransX_AltMask()) != 0 ? Mod1Mask : 0;
    return (state & ~0xf8u) | alt;
}

void FromState(Widget widget, int x, int y, uint32_t state, PointerState* pointer, InputModifiers* modifiers)
{
    FixPoint point{};
    Window_PixelToPage(widget, x, y, &point);
    Event_FromXState(CleanState(state), &point, &modifiers->flags, pointer);
}

// A button event in a page window whose page is not the current page.
int32_t ActivationPick(Widget widget, const XEvent* event, PointerState* pointer, InputModifiers* modifiers)
{
    const ObjectHandle page = Window_Page(widget);
    const uint32_t click = pointer->button1;
    int32_t posted = 0;
    if (Model_HasFlags(page, kPageFlagOwnPicks) != 0) {
        if (event->type == ButtonRelease && (click == 2 || click == 3)) {
            MemHandle item = Window_LocateAt(widget, PointOf(pointer), 63, 0, 0x3100007);
            if (item != 0 && TypedItem_Kind(item) == kItemObject) {
                if (click == 2) {
                    posted |= Trans_PostCancel();
                }
                posted |= Trans_Post(Event_NewObjectRelease(pointer, &modifiers->flags, TypedItem_Object(item)));
            }
            if (item != 0) {
                TypedItem_Free(item);
            }
        }
    } else if (event->type == ButtonPress && click == 1) {
        // The command layer names a picked window by its page.
        posted = Trans_Post(Event_NewWindowPick(pointer, &modifiers->flags, page));
    }
    if (posted != 0) {
        Comm_ProcessEvents();
    }
    return 1;
}

// Whether the event is consumed before the tables see it.
int32_t ForeignWindowResult(Widget widget, const XEvent* event, PointerState* pointer, InputModifiers* modifiers)
{
    switch (event->type) {
    case KeyPress:
        return 0;
    case ButtonPress:
    case ButtonRelease:
        if (Trans_GetState() != kStatePageSelect) {
            if (Widget current = Window_Current(); current == nullptr || Window_Kind(current) != 14) {
                ActivationPick(widget, event, pointer, modifiers);
            }
        } else if (event->type == ButtonRelease) {
            PageSelect_Release(Trans_Current(), widget, pointer, modifiers);
        }
        return 1;
    default:
        return 1;
    }
}

}  // namespace

// ---- stack ----

Transaction* Trans_Current()
{
    Stack& stack = TheStack();
    return DepthValid(stack.depth) ? &stack.live[static_cast<size_t>(stack.depth)] : nullptr;
}

Transaction* Trans_SavedCurrent()
{
    Stack& stack = TheStack();
    return DepthValid(stack.depth) ? &stack.saved[static_cast<size_t>(stack.depth)] : nullptr;
}

int32_t Trans_Depth()
{
    return TheStack().depth;
}

KernelStatus Trans_Save()
{
    Transaction* live = Trans_Current();
    Transaction* saved = Trans_SavedCurrent();
    if (live == nullptr || saved == nullptr) {
        return kStatusFailed;
    }
    *saved = *live;
    return kStatusOk;
}

KernelStatus Trans_Restore()
{
    Transaction* live = Trans_Current();
    Transaction* saved = Trans_SavedCurrent();
    if (live == nullptr || saved == nullptr) {
        return kStatusFailed;
    }
    *live = *saved;
    return kStatusOk;
}

void Trans_Reset(Transaction* record)
{
    if (record == nullptr) {
        return;
    }
    record->state = kStateIdle;
    record->endCallback = IdleEnd;
    record->dragHeld = 0;
    record->argument = 0;
    record->idle.pressed = 0;
    record->idle.heldItem = 0;
}

KernelStatus Trans_Init()
{
    if (!runtimeTable.empty()) {
        SortTable(runtimeTable);
    }
    SortTable(defaultTable);
    SortTable(mainTable);
    Trans_Reset(Trans_Current());
    TheStack().initialized = true;
    return kStatusOk;
}

KernelStatus Trans_Push()
{
    Stack& stack = TheStack();
    if (stack.depth + 1 > kTransDepthMax) {
        return kStatusFailed;
    }
    ++stack.depth;
    const auto level = static_cast<size_t>(stack.depth);
    stack.live[level] = Transaction{};
    stack.saved[level] = Transaction{};
    Trans_Reset(&stack.live[level]);
    Trans_Reset(&stack.saved[level]);
    return kStatusOk;
}

KernelStatus Trans_Pop()
{
    Stack& stack = TheStack();
    if (stack.depth < 1) {
        return kStatusFailed;
    }
    Transaction* record = Trans_Current();
    if (record->endCallback != nullptr) {
        record->endCallback(record);
        record->endCallback = nullptr;
    }
    --stack.depth;
    Cursor_Set(static_cast<uint32_t>(Trans_Current()->cursor));
    return kStatusOk;
}

KernelStatus Trans_NewState(GestureState state, int32_t dragHeld, int32_t messageId, int32_t cursor,
                            int32_t argument, TransEndProc endCallback)
{
    Transaction* record = Trans_Current();
    if (record == nullptr) {
        return kStatusFailed;
    }
    if (record->dragHeld != 0) {
        Window_EndDrag(Window_Current());
    }
    if (record->endCallback != nullptr) {
        TransEndProc end = record->endCallback;
        record->endCallback = nullptr;
        end(record);
    }
    record->endCallback = endCallback;
    record->state = state;
    if (messageId == kMessageRefresh) {
        StatusBar_Refresh();
    } else if (messageId != kMessageKeep) {
        StatusBar_ShowString(messageId);
    }
    Stack& stack = TheStack();
    if (cursor != 0) {
        if (stack.pendingSet && state != kStateIdle) {
            cursor = stack.pendingCursor;
            stack.pendingSet = false;
        }
        Cursor_Set(static_cast<uint32_t>(cursor));
    }
    record->cursor = cursor;
    record->dragHeld = dragHeld;
    if (dragHeld != 0) {
        Window_BeginDrag(Window_Current());
    }
    record->argument = argument;
    Trans_Save();
    return kStatusOk;
}

GestureState Trans_GetState()
{
    const Transaction* record = Trans_Current();
    return record != nullptr ? record->state : kStateIdle;
}

KernelStatus Trans_SetCursor(int32_t cursor)
{
    if (Transaction* record = Trans_Current()) {
        record->cursor = cursor;
    }
    return Cursor_Set(static_cast<uint32_t>(cursor));
}

void Trans_SetPendingCursor(int32_t cursor)
{
    Stack& stack = TheStack();
    if (cursor != -1) {
        stack.pendingSet = true;
        stack.pendingCursor = cursor;
    } else if (!stack.pendingSet) {
        stack.pendingCursor = -1;
    }
}

uint32_t Trans_InTextState()
{
    const GestureState state = Trans_GetState();
    return state == 24 || state == 27 ? 1 : 0;
}

// ---- idle state ----

KernelStatus Trans_Begin(int32_t cursor, const FixPoint* heldPoint, uint32_t noDrag)
{
    Trans_SetPendingCursor(-1);
    const KernelStatus status = Trans_NewState(kStateIdle, 0, kMessageRefresh, cursor, 0, IdleEnd);
    Transaction* record = Trans_Current();
    if (record == nullptr) {
        return status;
    }
    IdleData& idle = record->idle;
    idle.dragAllowed = noDrag == 0 ? 1 : 0;
    idle.pressed = heldPoint != nullptr ? 1 : 0;
    idle.pressPoint = heldPoint != nullptr ? *heldPoint : FixPoint{};
    idle.heldItem = 0;
    Trans_Save();
    return status;
}

KernelStatus Trans_BeginWait()
{
    Trans_SetPendingCursor(-1);
    const KernelStatus status = Trans_NewState(kStateIdle, 0, kMessageRefresh, 5, 1, IdleEnd);
    if (Transaction* record = Trans_Current()) {
        record->idle = IdleData{};
        Trans_Save();
    }
    return status;
}

// ---- posting ----

int32_t Trans_Post(MemHandle event)
{
    if (event == 0) {
        return 0;
    }
    return Comm_PostEvent(event) == 0 ? 1 : 0;
}

int32_t Trans_PostCancel()
{
    return Trans_Post(Event_NewCancel());
}

Widget Trans_FeedbackWindow(Widget given)
{
    return given != nullptr ? given : Window_Current();
}

void Trans_FreePoints(MemHandle* points)
{
    if (points != nullptr && *points != 0) {
        PtArray_Free(*points);
        *points = 0;
    }
}

// ---- input ----

uint32_t Trans_ClickType(Widget widget, int eventType)
{
    TransX_Flush(widget);
    if (eventType == ButtonPress) {
        return 1;
    }
    switch (TransX_ClickCount()) {
    case 1:
        return 2;
    case 2:
        return 3;
    default:
        return 0;
    }
}

KernelStatus Trans_DecodeEvent(XEvent* event, Widget widget, PointerState* pointer, InputModifiers* modifiers)
{
    modifiers->keysym = 0;
    modifiers->character = 0;
    switch (event->type) {
    case KeyPress:
    case KeyRelease:
        {
            XKeyEvent& key = event->xkey;
            FromState(widget, key.x, key.y, key.state, pointer, modifiers);
            char buffer[1] = {0};
            KeySym keysym = NoSymbol;
            const int count = XLookupString(&key, buffer, 1, &keysym, nullptr);
            modifiers->keysym = keysym;
            modifiers->character = count > 0 ? static_cast<uint8_t>(buffer[0]) : 0;
            return kStatusOk;
        }
    case ButtonPress:
    case ButtonRelease:
        FromState(widget, event->xbutton.x, event->xbutton.y, event->xbutton.state, pointer, modifiers);
        pointer->button1 = Trans_ClickType(widget, event->type);
        return kStatusOk;
    case MotionNotify:
        FromState(widget, event->xmotion.x, event->xmotion.y, event->xmotion.state, pointer, modifiers);
        return kStatusOk;
    case EnterNotify:
    case LeaveNotify:
        FromState(widget, event->xcrossing.x, event->xcrossing.y, event->xcrossing.state, pointer, modifiers);
        return kStatusOk;
    case Expose:
        return kStatusOk;
    default:
        return kStatusBadArgument;
    }
}

void Trans_Dispatch(Transaction* record, const XEvent* event, Widget widget, PointerState* pointer,
                    InputModifiers* modifiers)
{
    if (record == nullptr) {
        return;
    }
    const int32_t state = record->state;
    const int32_t type = event->type;
    int32_t handled = 0;
    if (!runtimeTable.empty()) {
        if (GestureHandler handler = Lookup(runtimeTable, state, type)) {
            handled = handler(record, widget, pointer, modifiers);
        }
    }
    if (handled == 0) {
        if (GestureHandler handler = Lookup(mainTable, state, type)) {
            handled = handler(record, widget, pointer, modifiers);
        }
    }
    if (handled == 0) {
        if (GestureHandler handler = Lookup(defaultTable, state, type)) {
            handler(record, widget, pointer, modifiers);
        }
    }
}

void Trans_HandleEvent(Widget, Widget widget, XEvent* event)
{
    if (event == nullptr || widget == nullptr) {
        return;
    }
    if (Window_AdjustEvent(widget, nullptr, event) == 0) {
        PointerState pointer{};
        InputModifiers modifiers{};
        Trans_DecodeEvent(event, widget, &pointer, &modifiers);
        const ObjectHandle page = Window_Page(widget);
        int32_t consumed = 0;
        if (IsPageInputKind(Window_Kind(widget))) {
            if (page != Comm_GetCurrentPage()) {
                consumed = ForeignWindowResult(widget, event, &pointer, &modifiers);
            }
            if (event->type == ButtonPress && Hook_IsRegistered(kHookPressFilter) != 0) {
                consumed = Hook_Fire(kHookPressFilter, reinterpret_cast<uintptr_t>(&pointer),
                                     reinterpret_cast<uintptr_t>(&modifiers)) != 0
                               ? 1
                               : 0;
            }
        }
        if (consumed == 0) {
            const GestureState state = Trans_GetState();
            const bool idleOrDrag = state == kStateIdle || (state >= 31 && state <= 34);
            if (idleOrDrag && event->type == MotionNotify && (event->xmotion.state & kButton1Mask) == 0) {
                return;
            }
            Trans_Dispatch(Trans_Current(), event, widget, &pointer, &modifiers);
        }
    }
    Comm_ProcessEvents();
}

void Trans_WindowEvent(Widget ignored, Widget widget, XEvent* event)
{
    if (widget == nullptr) {
        return;
    }
    const uint32_t kind = Window_Kind(widget);
    if ((kind >= 1 && kind <= 5) || kind == 14) {
        Trans_HandleEvent(ignored, widget, event);
    }
}
