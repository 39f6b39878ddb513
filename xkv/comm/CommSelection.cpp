// The command layer's selection: the event readers the handlers share, which
// objects may be selected, the page's most recent object, the notice of a
// new object, and the handlers that pick and extend the selection (object
// picks, rubber-band groups, select all, next and previous, Select, Regroup,
// Ungroup and item picks).
#include "xkv/comm/CommInternal.h"

#include "xkv/core/Core.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/select/Select.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kUnselectableFlag = 0x1000000;
constexpr uint32_t kHiddenOrUnselectable = 0x3000000;
constexpr uint32_t kClickSingle = 1;
constexpr uint32_t kClickDouble = 3;
constexpr HookId kHookDoubleClick = 14;
constexpr HookId kHookItemPicked = 28;
constexpr HookId kHookPickObject = 34;

template <typename T>
bool ReadBlock(MemHandle block, T* out)
{
    BlockLock<T> data(block);
    if (!data || data.size() < sizeof(T)) {
        return false;
    }
    *out = *data;
    return true;
}

bool Visible(ObjectHandle object)
{
    return object != 0 && Model_HasFlags(object, kHiddenOrUnselectable) == 0;
}

uint32_t SelectableTest(ObjectHandle object, void*)
{
    return Comm_IsSelectable(object);
}

// Drops the members that cannot be selected.
void KeepSelectable(GroupNumber group)
{
    Group_Filter(group, SelectableTest, nullptr);
}

// The selected group copied, or a new empty group when no group is selected.
GroupNumber SelectedGroupOrNew()
{
    if (Select_GetMode() == kSelectGroup) {
        return Group_Duplicate(Select_GetGroup());
    }
    return Group_New();
}

void SelectNothing()
{
    Select_Clear();
}

// Ends the command after a pick with the event's pointer held, so that the
// press may go on into a drag: a selected group may be dragged, in text mode
// the press selects text instead, and a single object only when it may move.
KernelStatus EndAfterPick(const EventRec& event, ObjectHandle object, int32_t* nextState)
{
    uint32_t noDrag = 0;
    if (Comm_InTextMode() != 0) {
        noDrag = 1;
    } else if (Select_GetMode() != kSelectGroup) {
        noDrag = Model_NoFlags30000(object) != 0 ? 0 : 1;
    }
    const FixPoint held{event.pointer.x, event.pointer.y};
    return Comm_EndCommandWith(&held, noDrag, nextState);
}

void PickWithNothingOrOneSelected(const EventRec& event, ObjectHandle object)
{
    if (Select_IsSelected(object) != 0) {
        return;
    }
    const ObjectHandle selected = Select_GetMode() == kSelectObject ? Select_GetObject() : 0;
    if (event.modifiers.shift == 1 && selected != 0 && Comm_IsSelectable(selected) != 0 &&
        Comm_IsSelectable(object) != 0) {
        GroupNumber pair = Group_NewWith(selected);
        Group_Add(pair, object);
        Select_Group(pair, 1);
        Group_Free(pair);
        return;
    }
    uint32_t word = 0;
    if (Hook_Fire(kHookPickObject, object, reinterpret_cast<uintptr_t>(&word)) == 0) {
        return;
    }
    Select_Object(object, 1);
}

void PickWithGroupSelected(const EventRec& event, ObjectHandle object)
{
    GroupNumber group = Group_Duplicate(Select_GetGroup());
    if (Group_Contains(group, object) != 0) {
        if (event.modifiers.shift == 1) {
            Group_Remove(group, object);
            Comm_SelectResult(group);
        }
    } else if (Comm_IsSelectable(object) != 0) {
        if (event.modifiers.shift != 1) {
            Group_Clear(group);
        }
        Group_Add(group, object);
        Select_Group(group, 1);
    } else {
        Select_Object(object, 1);
    }
    Group_Free(group);
}

}  // namespace

// ---- Event readers ----

bool Comm_CopyEvent(MemHandle event, EventRec* out)
{
    return ReadBlock(event, out);
}

ObjectHandle Comm_PickedObject(const EventRec& event)
{
    if (event.payload.kind != kItemObject && event.payload.kind != kItemObjectRelease) {
        return 0;
    }
    return event.payload.value[0];
}

bool Comm_PickedRect(const EventRec& event, FixRect* out)
{
    return event.payload.kind == kItemRect && ReadBlock(event.payload.value[0], out);
}

bool Comm_PickedPoint(const EventRec& event, FixPoint* out)
{
    return event.payload.kind == kItemPoint && ReadBlock(event.payload.value[0], out);
}

PtArray Comm_PickedPoints(const EventRec& event)
{
    return event.payload.kind == kItemPoints ? event.payload.value[0] : 0;
}

bool Comm_PickedConnection(const EventRec& event, uint32_t words[3])
{
    struct Triple {
        uint32_t w[3];
    } triple{};
    if (event.payload.kind != kItemTriple || !ReadBlock(event.payload.value[0], &triple)) {
        return false;
    }
    std::copy(std::begin(triple.w), std::end(triple.w), words);
    return true;
}

// ---- Selection services ----

GroupNumber Comm_SelectionAsGroup()
{
    switch (Select_GetMode()) {
    case kSelectObject:
        return Select_GetObject() != 0 ? Group_NewWith(Select_GetObject()) : 0;
    case kSelectGroup:
        return Group_Duplicate(Select_GetGroup());
    default:
        return 0;
    }
}

void Comm_SelectResult(GroupNumber group)
{
    switch (Group_Count(group)) {
    case 0:
        SelectNothing();
        break;
    case 1:
        Select_Object(Group_Member(group, 0), 1);
        break;
    default:
        Select_Group(group, 1);
        break;
    }
}

void Comm_SelectAndNotify(ObjectHandle object, uintptr_t argument)
{
    Select_Object(object, 1);
    Comm_NotifyObjectCreated(object, argument);
}

void Comm_ShowHandles(uint32_t on)
{
    if (Widget window = Comm_GetCurrentWindow(); window != nullptr) {
        Window_SetIndication(window, on);
    }
}

uint32_t Comm_IsSelectable(ObjectHandle object)
{
    if (Hook_IsRegistered(kHookSelectable) != 0) {
        return Hook_GetHandler(kHookSelectable)(object, 0, 0, 0, 0, 0) != 0 ? 1 : 0;
    }
    return Model_IsNode(object) != 0 && Model_GetPage(object) == Comm_GetCurrentPage() &&
                   Model_HasFlags(object, kUnselectableFlag) == 0
               ? 1
               : 0;
}

ObjectHandle Comm_SelectRecentObject(ObjectHandle page)
{
    ObjectHandle chosen = 0;
    if (const ObjectHandle first = Model_GetFirstNode(page); first != 0) {
        for (ObjectHandle recent = Model_GetRecent(first); recent != 0; recent = Model_GetRecent(first)) {
            if (Visible(recent)) {
                chosen = recent;
                break;
            }
            Model_RemoveRecent(recent);
        }
        for (ObjectHandle node = first; chosen == 0 && node != 0; node = Model_GetNextSibling(node)) {
            if (Visible(node)) {
                chosen = node;
            }
        }
    }
    if (chosen != 0) {
        Select_Object(chosen, 1);
    } else {
        SelectNothing();
    }
    return chosen;
}

void Comm_NotifyObjectCreated(ObjectHandle object, uintptr_t argument)
{
    Hook_Fire(kHookObjectCreatedByCommand, object, argument);
    const ObjectHandle selected = Select_GetObject();
    if (Select_GetMode() == kSelectObject && Model_IsObject(selected) == 0) {
        if (Comm_NoAutoSelect() != 0) {
            SelectNothing();
        } else {
            Comm_SelectRecentObject(Comm_GetCurrentPage());
        }
    } else if (Select_GetMode() == kSelectObject) {
        Select_Object(selected, 1);
    }
}

void Comm_ScrollToObject(ObjectHandle object)
{
    if (Comm_ScrollToSelection() == 0) {
        return;
    }
    if (Widget window = Window_OfPage(Model_GetPage(object)); window != nullptr) {
        Window_ScrollToShow(window, object);
    }
}

void Comm_ShowSubpage(ObjectHandle node)
{
    const ObjectHandle subpage = Model_GetFieldValue(node, Field::kSubpage);
    if (Model_IsPage(subpage) != 0) {
        Comm_SetCurrentPage(subpage);
    }
}

// ---- Handlers ----

KernelStatus Cmd_PickObject(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record)) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const ObjectHandle object = Comm_PickedObject(record);
    if (object == 0 || Model_IsPage(object) != 0) {
        const ObjectHandle page = object != 0 ? object : Comm_GetCurrentPage();
        if (page != 0) {
            Comm_SetCurrentPage(page);
        }
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    if (record.pointer.button1 == kClickDouble) {
        if (Hook_Fire(kHookDoubleClick, object) != 0 && Model_IsNode(object) != 0 &&
            Model_IsPage(Model_GetFieldValue(object, Field::kSubpage)) != 0) {
            Comm_ShowSubpage(object);
        }
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    if (Select_GetMode() == kSelectGroup) {
        PickWithGroupSelected(record, object);
    } else {
        PickWithNothingOrOneSelected(record, object);
    }
    return EndAfterPick(record, object, nextState);
}

KernelStatus Cmd_PointInReady(const CommandBinding*, MemHandle event, int32_t* nextState, int32_t*)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record)) {
        return kStatusNullHandle;
    }
    const bool shift = record.modifiers.shift == 1;
    FixPoint point{};
    Comm_PickedPoint(record, &point);
    const KernelStatus status = Trans_BeginResizeBox(Comm_GetCurrentWindow(), 9999, point, 0, 0, 0,
                                                     shift ? 0x40u : 0u, &point);
    if (status == 0) {
        *nextState = shift ? 83 : 49;
    }
    return status;
}

KernelStatus Cmd_BeginGroupRect(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t*)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record)) {
        return kStatusNullHandle;
    }
    const uint32_t flags = record.modifiers.shift == 1 ? 0xB8u | 0x40u : 0xB8u;
    const KernelStatus status = Trans_BeginBox(9999, 0, 0, 0, 0, flags);
    if (status == 0) {
        *nextState = row->nextState;
    }
    return status;
}

KernelStatus Cmd_GroupRectDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    FixRect rect{};
    const int32_t state = Comm_GetState();
    if (Comm_CopyEvent(event, &record) && Comm_PickedRect(record, &rect)) {
        GroupNumber inside = Model_CollectInRect(Comm_GetCurrentPage(), &rect, 0, 4095);
        GroupNumber result = SelectedGroupOrNew();
        switch (state) {
        case 3:
            Group_Union(result, inside);
            break;
        case 79:
            Group_Subtract(result, inside);
            break;
        case 83:
            Group_Toggle(result, inside);
            break;
        default:
            Group_Assign(result, inside);
            break;
        }
        KeepSelectable(result);
        Comm_SelectResult(result);
        Group_Free(result);
        Group_Free(inside);
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_SelectAllNodes(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    GroupNumber all = Model_FilterPageByTest(Comm_GetCurrentPage(), SelectableTest, nullptr, 0);
    if (Group_Count(all) > 0) {
        Select_Group(all, 1);
    }
    Group_Free(all);
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

namespace {

KernelStatus SelectSibling(bool next)
{
    if (Select_GetMode() != kSelectObject || Select_GetObject() == 0) {
        return 0;
    }
    ObjectHandle object = Select_GetObject();
    do {
        object = next ? Model_GetNextSibling(object) : Model_GetPrevSibling(object);
    } while (object != 0 && !Visible(object));
    if (object != 0) {
        Select_Object(object, 1);
        Comm_ScrollToObject(object);
    }
    return 0;
}

}  // namespace

KernelStatus Cmd_NextObject(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    SelectSibling(true);
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_PreviousObject(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    SelectSibling(false);
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_BeginSelect(const CommandBinding*, MemHandle, int32_t* nextState, int32_t*)
{
    const KernelStatus status = Trans_BeginTrack(Comm_GetCurrentWindow(), 15, 0xFFFFF, 0, 0x200000);
    if (status == 0) {
        *nextState = 72;
    }
    return status;
}

KernelStatus Cmd_SelectDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    if (Comm_CopyEvent(event, &record)) {
        if (const ObjectHandle object = Comm_PickedObject(record); object != 0) {
            Select_Object(object, 1);
        }
    }
    StatusBar_Update();
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_Regroup(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Select_GetGroup() != 0) {
        GroupNumber group = Group_Duplicate(Select_GetGroup());
        KeepSelectable(group);
        if (Group_Count(group) > 0) {
            Select_Group(group, 1);
        }
        Group_Free(group);
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_Ungroup(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    Select_SetMode(kSelectObject);
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_PickItem(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record)) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const ObjectHandle item = Comm_PickedObject(record);
    if (record.pointer.button1 == kClickDouble) {
        Hook_Fire(kHookDoubleClick, item);
        return 0;
    }
    if (record.pointer.button1 != kClickSingle || item == 0) {
        return 0;
    }
    const ObjectHandle base = Model_GetBaseObject(item);
    uint32_t options = 6;
    if (Hook_Fire(kHookItemPicked, base, reinterpret_cast<uintptr_t>(&options)) == 0) {
        return 0;
    }
    KernelStatus status = 0;
    if ((options & 4) != 0) {
        status = Trans_BeginPointPick(Comm_GetCurrentWindow(), 9999, 5, 1, 0);
        if (status == 0) {
            *nextState = 32;
        }
    } else {
        status = Comm_EndCommand(row, event, nextState, freeFlag);
    }
    if ((options & (4 | 16)) != 0) {
        Comm_SetHighlight(base);
    }
    return status;
}

KernelStatus Cmd_PointInItemState(const CommandBinding* row, MemHandle event, int32_t* nextState,
                                  int32_t* freeFlag)
{
    EventRec record{};
    FixPoint point{};
    const ObjectHandle model = Comm_GetHighlight();
    if (!Comm_CopyEvent(event, &record) || !Comm_PickedPoint(record, &point)) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    ObjectHandle copy = 0;
    const KernelStatus status = Core_PlaceCopy(model, Comm_GetCurrentPage(), point, &copy);
    if (Widget window = Comm_GetCurrentWindow(); window != nullptr) {
        Window_EndDrag(window);
    }
    if (status != 0) {
        return status;
    }
    Comm_SelectAndNotify(copy, static_cast<uintptr_t>(Comm_GetState()));
    return Comm_EndCommand(row, event, nextState, freeFlag);
}
