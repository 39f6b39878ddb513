// The command layer's engine: a stack of 16 command levels, each with its
// state and event queue; the shared argument stack; processing of queued
// events through the command tables; and the end of every command.
#include "xkv/comm/Comm.h"

#include <array>
#include <cstdio>
#include <deque>
#include <vector>

#include "xkv/comm/CommEvents.h"
#include "xkv/comm/CommHandlers.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/menu/Menu.h"
#include "xkv/pending/Pending.h"
#include "xkv/select/Select.h"
#include "xkv/window/Window.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/timer/Timer.h"
#include "xkv/undo/Undo.h"
#include "xkv/velkor/Velkor.h"

namespace {

struct CommandLevel {
    int32_t state = kCommStateReady;
    uint16_t busy = 0;
    std::deque<MemHandle> queue;
    size_t argumentMark = 0;
    int32_t abort = 0;
};

struct CommandLayer {
    std::array<CommandLevel, kCommLevelCount> levels;
    int32_t current = 0;
    std::vector<MemHandle> arguments;
    int32_t inboxPointer[5] = {};
    int32_t inboxDetail = 0;
};

CommandLayer& Layer()
{
    static CommandLayer layer;
    return layer;
}

CommandLevel& CurrentLevel()
{
    return Layer().levels[static_cast<size_t>(Layer().current)];
}

void FreeEvents(std::deque<MemHandle>& queue)
{
    while (!queue.empty()) {
        MemHandle event = queue.front();
        queue.pop_front();
        Event_Free(event);
    }
}

// Requests that keep the one-level undo record: Undo, the align commands and
// their steps, and Spread.
bool KeepsUndo(int32_t request)
{
    return request == 127 || (request >= 49 && request <= 62) || request == 107;
}

CommEventKey KeyOf(const CommEventView& view)
{
    CommEventKey key;
    key.eventClass = static_cast<int32_t>(view.eventClass);
    key.payloadKind = static_cast<int32_t>(view.payloadKind);
    switch (key.eventClass) {
    case kEventClassDialog:
        key.detail = view.dialogNumber;
        break;
    case kEventClassCommand:
    case kEventClassTimer:
        key.detail = static_cast<int32_t>(view.payloadValue);
        break;
    default:
        key.detail = key.payloadKind;
        break;
    }
    return key;
}

KernelStatus PostTimerEvent(uint32_t id)
{
    MemHandle event = Event_NewTimer(id);
    if (event == 0) {
        return 55;
    }
    return Comm_PostEvent(event);
}

void ProcessFromTimeout()
{
    Comm_ProcessEvents();
}

const TimerEventSink kTimerSink = {PostTimerEvent, ProcessFromTimeout};

}  // namespace

KernelStatus Comm_Initialize()
{
    CommandLayer& layer = Layer();
    for (CommandLevel& level : layer.levels) {
        FreeEvents(level.queue);
        level = CommandLevel{};
    }
    layer.current = 0;
    Comm_SortTables();
    layer.levels[0].state = kCommStateReady;
    layer.arguments.clear();
    layer.arguments.reserve(12);
    Select_Clear();
    Timer_SetEventSink(&kTimerSink);
    return 0;
}

void Comm_SortTables()
{
    std::span<CommandBinding> staticTable = Comm_StaticTable();
    std::span<CommandBinding> base = Comm_BaseTable();
    Comm_SortTable(staticTable.data(), staticTable.size());
    Comm_SortTable(base.data(), base.size());
}

const CommandBinding* Comm_LookupIn(const CommandBinding* table, size_t rowCount, int32_t state, MemHandle event)
{
    CommEventView view;
    if (Comm_ReadEvent(event, &view) != 0) {
        return nullptr;
    }
    return Comm_LookupKeyIn(table, rowCount, state, KeyOf(view));
}

const CommandBinding* Comm_Lookup(int32_t state, MemHandle event)
{
    CommEventView view;
    if (Comm_ReadEvent(event, &view) != 0) {
        return nullptr;
    }
    return Comm_LookupKey(state, KeyOf(view));
}

KernelStatus Comm_PostEvent(MemHandle event)
{
    if (event == 0) {
        return 1;
    }
    CurrentLevel().queue.push_back(event);
    return 0;
}

KernelStatus Comm_RepostEvent(MemHandle event)
{
    if (event == 0) {
        return 1;
    }
    CurrentLevel().queue.push_front(event);
    return 0;
}

KernelStatus Comm_PostCancel()
{
    MemHandle event = Event_NewCancel();
    if (event == 0) {
        return 1;
    }
    return Comm_PostEvent(event);
}

KernelStatus Comm_HandleEvent(MemHandle event)
{
    CommandLayer& layer = Layer();
    CommEventView view;
    const KernelStatus lockStatus = Comm_ReadEvent(event, &view);
    if (lockStatus != 0) {
        return lockStatus;  // neither handled nor freed
    }
    const CommandBinding* row = Comm_LookupKey(CurrentLevel().state, KeyOf(view));
    std::copy(std::begin(view.pointerState), std::end(view.pointerState), layer.inboxPointer);
    if (view.eventClass == kEventClassCommand) {
        layer.inboxDetail = static_cast<int32_t>(view.payloadValue);
        if (!KeepsUndo(layer.inboxDetail)) {
            Undo_Clear();
        }
    } else if (view.eventClass == kEventClassCancel) {
        layer.inboxDetail = 0;
    }

    KernelStatus status = kCommNoRow;
    int32_t freeFlag = 1;
    if (row != nullptr && row->handler != nullptr) {
        int32_t nextState = CurrentLevel().state;
        status = row->handler(row, event, &nextState, &freeFlag);
        if (status != 0) {
            Dialog_ReportStatus(status);
            status = Comm_PostCancel();
        } else {
            CurrentLevel().state = nextState;
        }
    }
    if (freeFlag == 1) {
        Event_Free(event);
    }
    return status;
}

KernelStatus Comm_ProcessEvents()
{
    CommandLevel& level = CurrentLevel();
    if (level.busy != 0) {
        return 0;
    }
    level.busy = 1;
    KernelStatus status = 0;
    while (!level.queue.empty() && level.abort == 0) {
        MemHandle event = level.queue.front();
        level.queue.pop_front();
        if (Hook_IsRegistered(kHookNestedInteraction) != 0 &&
            Hook_GetHandler(kHookNestedInteraction)(event, 0, 0, 0, 0, 0) == 0) {
            continue;  // the application took the event over
        }
        status = Comm_HandleEvent(event);
        if (status != 0) {
            break;
        }
    }
    level.busy = 0;
    if (level.abort != 0) {
        level.abort = 0;
        MemHandle cancel = Event_NewCancel();
        if (cancel != 0) {
            status = Comm_HandleEvent(cancel);
        }
    }
    return status;
}

KernelStatus Comm_Abort()
{
    if (CurrentLevel().busy != 0) {
        CurrentLevel().abort = 1;
        return 0;
    }
    MemHandle cancel = Event_NewCancel();
    if (cancel == 0) {
        return 1;
    }
    return Comm_HandleEvent(cancel);
}

KernelStatus Comm_PushLevel(int32_t state)
{
    CommandLayer& layer = Layer();
    if (layer.current >= kCommLevelCount - 1) {
        return 1;
    }
    ++layer.current;
    CommandLevel& level = CurrentLevel();
    FreeEvents(level.queue);
    level = CommandLevel{};
    level.state = state;
    level.argumentMark = layer.arguments.size();
    return 0;
}

KernelStatus Comm_PopLevel()
{
    CommandLayer& layer = Layer();
    Comm_DropArguments();
    if (layer.current == 0) {
        return 1;
    }
    FreeEvents(CurrentLevel().queue);
    CurrentLevel() = CommandLevel{};
    --layer.current;
    return 0;
}

KernelStatus Comm_RunCommand(int32_t request)
{
    if (Comm_PushLevel(kCommStateReady) != 0) {
        return 1;
    }
    Trans_Push();
    Trans_Begin(0, nullptr, 1);
    Comm_PostEvent(Event_NewCommand(0, 0, 0, 0, static_cast<uint32_t>(request)));
    do {
        Comm_ProcessEvents();
        Velkor_DispatchNextEvent(Comm_GetState() != kCommStateReady ? 1 : 0);
    } while (Comm_GetState() != kCommStateReady);
    Trans_Pop();
    return Comm_PopLevel();
}

int32_t Comm_GetState()
{
    return CurrentLevel().state;
}

void Comm_SetState(int32_t state)
{
    CurrentLevel().state = state;
}

uint32_t Comm_AtBaseLevel()
{
    return Layer().current == 0 ? 1 : 0;
}

int32_t Comm_CurrentLevel()
{
    return Layer().current;
}

uint32_t Comm_IsBusy()
{
    return CurrentLevel().busy;
}

void Comm_MarkBusy()
{
    ++CurrentLevel().busy;
}

void Comm_UnmarkBusy()
{
    CommandLevel& level = CurrentLevel();
    if (level.busy > 0) {
        --level.busy;
    }
}

void Comm_SetAbort(int32_t flag)
{
    CurrentLevel().abort = flag;
}

int32_t Comm_AbortRequested()
{
    return CurrentLevel().abort;
}

uint32_t Comm_QueueLength()
{
    return static_cast<uint32_t>(CurrentLevel().queue.size());
}

KernelStatus Comm_PushArgument(MemHandle event)
{
    if (event == 0) {
        return 1;
    }
    Layer().arguments.push_back(event);
    return 0;
}

MemHandle Comm_PopArgument()
{
    CommandLayer& layer = Layer();
    if (layer.arguments.size() <= CurrentLevel().argumentMark) {
        return 0;
    }
    MemHandle event = layer.arguments.back();
    layer.arguments.pop_back();
    return event;
}

MemHandle Comm_PeekArgument()
{
    CommandLayer& layer = Layer();
    if (layer.arguments.size() <= CurrentLevel().argumentMark) {
        return 0;
    }
    return layer.arguments.back();
}

uint32_t Comm_ArgumentCount()
{
    return static_cast<uint32_t>(Layer().arguments.size());
}

void Comm_DropArguments()
{
    CommandLayer& layer = Layer();
    const size_t mark = CurrentLevel().argumentMark;
    while (layer.arguments.size() > mark) {
        MemHandle event = layer.arguments.back();
        layer.arguments.pop_back();
        Event_Free(event);
    }
}

void Comm_GetInbox(int32_t* pointerState, int32_t* modifiers, int32_t* detail)
{
    CommandLayer& layer = Layer();
    if (pointerState != nullptr) {
        std::copy(std::begin(layer.inboxPointer), std::end(layer.inboxPointer), pointerState);
    }
    if (modifiers != nullptr) {
        Velkor_GetModifierState(modifiers);
    }
    if (detail != nullptr) {
        *detail = layer.inboxDetail;
    }
}

uint32_t Comm_IsPickCommand(int32_t request)
{
    switch (request) {
    case 2: case 4: case 14: case 15: case 18: case 19: case 21: case 22: case 23: case 131:
        return 1;
    default:
        return 0;
    }
}

uint32_t Comm_IsPointerCommand(int32_t request)
{
    return Comm_IsPickCommand(request) != 0 || request == 40 || request == 92 ? 1 : 0;
}

int32_t Comm_ReadyCursor()
{
    if (Comm_InTextMode() != 0) {
        return 16;
    }
    return Select_GetMode() == 1 ? 9 : 4;
}

KernelStatus Comm_FinishWith(const FixPoint* heldPoint, uint32_t noDrag)
{
    Trans_SetPendingCursor(-1);
    Menu_RepeatLastPick(Comm_GetPendingCommand() != 0 && Comm_AtBaseLevel() != 0 ? 1 : 0);
    Comm_SetPendingCommand(0);
    Menu_UpdateFromSelection(0);
    StatusBar_Update();
    return Trans_Begin(Comm_ReadyCursor(), heldPoint, noDrag);
}

KernelStatus Comm_Finish()
{
    return Comm_FinishWith(nullptr, 1);
}

// Base handlers.

KernelStatus Comm_EndCommand(const CommandBinding*, MemHandle, int32_t* nextState, int32_t*)
{
    return Comm_EndCommandWith(nullptr, 1, nextState);
}

KernelStatus Comm_EndCommandWith(const FixPoint* heldPoint, uint32_t noDrag, int32_t* nextState)
{
    Comm_DropArguments();
    Hook_Fire(kHookCommandEnd);
    Comm_SetPendingCommand(0);
    const KernelStatus status = Comm_FinishWith(heldPoint, noDrag);
    Comm_SetHighlight(0);
    *nextState = kCommStateReady;
    if (Widget window = Comm_GetCurrentWindow(); window != nullptr) {
        Window_EndDrag(window);
        Window_SetIndication(window, 1);
    }
    return status;
}

KernelStatus Comm_BaseCommand(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (CurrentLevel().state == kCommStateReady) {
        return 0;
    }
    const KernelStatus status = Comm_EndCommand(row, event, nextState, freeFlag);
    Comm_RepostEvent(event);
    *freeFlag = 0;
    return status;
}

KernelStatus Comm_BasePick(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    switch (Event_ItemKind(event)) {
    case 26:  // a text notification
        {
            // The payload is a copy of the editor's edit record; the text
            // rule reads its words, so it gets the record's address.
            CommEventView view;
            Comm_ReadEvent(event, &view);
            const auto block = static_cast<MemHandle>(view.payloadValue);
            void* record = nullptr;
            if (block != 0 && Mem_Size(block) >= sizeof(MenuTextRecord) && Mem_Lock(block, &record) == kStatusOk &&
                record != nullptr) {
                Menu_ApplyRule(40, reinterpret_cast<uintptr_t>(record));
                Mem_Unlock(block);
            }
        }
        return 0;
    case 29:  // a page window was picked
        {
            const KernelStatus status = Comm_EndCommand(row, event, nextState, freeFlag);
            if (status != 0) {
                return status;
            }
            CommEventView view;
            Comm_ReadEvent(event, &view);
            // A window pick names its window by the window's page.
            const auto page = static_cast<ObjectHandle>(view.payloadValue);
            if (page != 0 && Window_OfPage(page) != nullptr) {
                Comm_SetCurrentPage(page);
                return Comm_Finish();
            }
            return 0;
        }
    default:
        return 0;
    }
}

KernelStatus Comm_Ignore(const CommandBinding*, MemHandle, int32_t*, int32_t*)
{
    return 0;
}

KernelStatus Comm_IgnoreTimer(const CommandBinding*, MemHandle, int32_t*, int32_t*)
{
    return 0;
}

// Generic handlers of the static table.

KernelStatus Cmd_Finish(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return Comm_EndCommand(row, event, nextState, freeFlag);
}
