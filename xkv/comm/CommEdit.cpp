// Editing commands on the selection: the generic track-gesture rows, undo,
// cut, copy, paste, clear and duplicate, substructure, vertex handles, layer
// order, shape copying, resizing and point editing through the handles,
// dragging and displacing, moving to another page, coarsening and refining,
// attaching, regions, and text mode.
#include "xkv/comm/CommInternal.h"

#include "xkv/core/Core.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/select/Select.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextEdit.h"
#include "xkv/undo/Undo.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kTrackMode = 0x200000;
constexpr KernelStatus kStatusNotAttachable = 67;
constexpr KernelStatus kStatusNotOneObject = 49;
constexpr uint32_t kPasteTrackMode = 0x400000;
constexpr uint32_t kExcludeSelected = 0x10000;
constexpr uint32_t kImmovable = 0x30000;
constexpr uint32_t kFlagLabelLike = 128;
constexpr int32_t kDragCursor = 1;
constexpr HookId kHookCoarsen = 5;
constexpr HookId kHookBendPoint = 39;
constexpr HookId kHookObjectMoved = 49;
constexpr HookId kHookConnectorEnd = 50;
constexpr HookId kHookHandlePress = 81;

// The selection as a group for the length of one handler.
class SelectionGroup {
public:
    SelectionGroup() : group_(Comm_SelectionAsGroup()) {}
    ~SelectionGroup() { Group_Free(group_); }
    SelectionGroup(const SelectionGroup&) = delete;
    SelectionGroup& operator=(const SelectionGroup&) = delete;
    GroupNumber get() const { return group_; }
    explicit operator bool() const { return group_ != 0 && Group_Count(group_) > 0; }

private:
    GroupNumber group_;
};

ObjectHandle SelectedObject()
{
    return Select_GetMode() == kSelectObject ? Select_GetObject() : 0;
}

void RefreshHandles()
{
    if (Widget window = Comm_GetCurrentWindow(); window != nullptr) {
        Window_RefreshIndication(window);
    }
}

KernelStatus BeginTrack(int32_t prompt, uint32_t limit, uint32_t options, uint32_t mode)
{
    return Trans_BeginTrack(Comm_GetCurrentWindow(), prompt, limit, options, mode);
}

// The status of an operation, then the end of the command.
KernelStatus EndWith(KernelStatus status, const CommandBinding* row, MemHandle event, int32_t* nextState,
                     int32_t* freeFlag)
{
    if (status != 0) {
        return status;
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

ObjectHandle PickedObjectOf(MemHandle event)
{
    EventRec record{};
    return Comm_CopyEvent(event, &record) ? Comm_PickedObject(record) : 0;
}

// After a deletion: the page's most recent object, unless nothing is to be
// selected automatically.
void SelectAfterRemoval()
{
    if (Comm_NoAutoSelect() != 0) {
        Select_Clear();
    } else {
        Comm_SelectRecentObject(Comm_GetCurrentPage());
    }
}

// ---- Dragging ----

// The members being dragged, kept until the drag ends.
GroupNumber& DraggedGroup()
{
    static GroupNumber group = 0;
    return group;
}

void ForgetDraggedGroup()
{
    Group_Free(DraggedGroup());
    DraggedGroup() = 0;
}

// Starts the outline drag of the selection: the movable members of a group,
// or one movable object.
KernelStatus BeginOutlineDrag(const FixPoint* offset, const FixPoint* start, uint32_t waitForPress, bool* started)
{
    *started = false;
    ForgetDraggedGroup();
    Widget window = Comm_GetCurrentWindow();
    if (Select_GetMode() == kSelectGroup) {
        GroupNumber group = Group_Duplicate(Select_GetGroup());
        Group_FilterByFlags(group, kImmovable);
        if (Group_Count(group) == 0) {
            Group_Free(group);
            return 0;
        }
        DraggedGroup() = group;
        *started = true;
        return Trans_BeginDragOutline(window, group, 1, offset, start, waitForPress, 0, kDragCursor);
    }
    const ObjectHandle object = SelectedObject();
    if (object == 0 || Model_NoFlags30000(object) == 0) {
        return 0;
    }
    *started = true;
    return Trans_BeginDragOutline(window, object, 0, offset, start, waitForPress, 0, kDragCursor);
}

// Moves the dragged selection by the gesture's total offset.
void MoveDragged(const FixPoint& offset, uint32_t withRegions)
{
    if (DraggedGroup() != 0) {
        const GroupNumber group = DraggedGroup();
        Core_MoveGroup(group, offset.x, offset.y, 1, 1);
        for (uint16_t i = 0; i < Group_Count(group); ++i) {
            Hook_Fire(kHookObjectMoved, Group_Member(group, i));
        }
        Select_Group(Select_GetGroup(), 1);
    } else if (const ObjectHandle object = SelectedObject(); object != 0) {
        Core_MoveObject(object, offset.x, offset.y, withRegions, 1);
        Hook_Fire(kHookObjectMoved, object);
        Select_Object(object, 1);
    }
    ForgetDraggedGroup();
}

KernelStatus DragDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag,
                      uint32_t withRegions)
{
    EventRec record{};
    FixPoint offset{};
    if (Comm_CopyEvent(event, &record) && Comm_PickedPoint(record, &offset)) {
        MoveDragged(offset, withRegions);
    }
    ForgetDraggedGroup();
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus DragCancel(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    ForgetDraggedGroup();
    const KernelStatus status = Comm_EndCommand(row, event, nextState, freeFlag);
    Comm_ShowHandles(1);
    return status;
}

// ---- Handles ----

struct HandlePress {
    DotRec dot{};
    ObjectHandle object = 0;
};

// The resize gesture that suits the node's shape.
KernelStatus BeginResize(Widget window, ObjectHandle object, const DotRec& dot)
{
    FixRect box{};
    Model_GetBox(object, &box);
    const FixPoint origin{box.left, box.top};
    const Fixed width = box.right - box.left;
    const Fixed height = box.bottom - box.top;
    const uint32_t flags = 0x20;
    switch (Model_GetFieldValue(object, Field::kShapeKind)) {
    case 2:
        return Trans_BeginResizeOval(window, 9999, origin, width, height, flags, &dot.centre);
    case 8:
        return Trans_BeginResizeRoundBox(window, 9999, origin, width, height,
                                         static_cast<Fixed>(Model_GetFieldValue(object, Field::kWedgeStart)),
                                         static_cast<Fixed>(Model_GetFieldValue(object, Field::kWedgeEnd)), flags,
                                         &dot.centre);
    default:
        return Trans_BeginResizeBox(window, 9999, origin, width, height, 0, flags, &dot.centre);
    }
}

// The gesture that a press on a handle starts, by the handle's number; the
// state that waits for its result, 0 when none starts.
KernelStatus BeginHandleGesture(const EventRec& record, const HandlePress& press, int32_t* state)
{
    const MemHandle block = record.payload.value[0];
    Widget window = Comm_GetCurrentWindow();
    const uint32_t handle = press.dot.kind;
    *state = 0;
    if (handle == 0) {
        if (Hook_Fire(kHookConnectorEnd, block) == 0) {
            return 0;
        }
        *state = 70;
        return Trans_BeginConnectorEdit(9999, block);
    }
    if (handle == 1 || handle == 2) {
        if (handle == 1) {
            FixPoint point = press.dot.centre;
            Hook_Fire(kHookBendPoint, press.dot.index, reinterpret_cast<uintptr_t>(&point));
        }
        *state = 45;
        return Trans_BeginConnectorEdit(9999, block);
    }
    if (handle == 3 || handle == 4) {
        *state = 46;
        return Trans_BeginClosedEdit(9999, block);
    }
    if (handle >= 5 && handle <= 12) {
        *state = 71;
        return BeginResize(window, press.object, press.dot);
    }
    if (handle >= 13 && handle <= 15) {
        *state = 46;
        return Trans_BeginVertexEdit(9999, block);
    }
    return 0;
}

// ---- Coarsening ----

KernelStatus CoarsenNode(ObjectHandle node)
{
    FixRect box{};
    Model_GetBox(node, &box);
    // The nodes inside the node's box, without connectors and regions.
    GroupNumber inside = Model_CollectInRect(Model_GetPage(node), &box, 0x320, 31);
    Group_Remove(inside, node);
    const MemHandle plan = Core_PrepareCoarsen(node, inside);
    uint32_t shape = 1;
    KernelStatus status = 0;
    if (Hook_Fire(kHookCoarsen, node, inside, plan, reinterpret_cast<uintptr_t>(&shape)) != 0) {
        ObjectHandle subpage = 0;
        status = Core_MakeCoarseNode(inside, node, plan, &subpage);
    }
    Core_EndCoarsen(plan);
    Group_Free(inside);
    return status;
}

// For a selected group: the plan is kept and the new coarse node is drawn.
KernelStatus BeginCoarsenGroup(int32_t* nextState)
{
    const GroupNumber group = Select_GetGroup();
    const MemHandle plan = Core_PrepareCoarsen(0, group);
    if (plan == 0) {
        return kStatusOutOfMemory;
    }
    uint32_t shape = 1;
    if (Hook_Fire(kHookCoarsen, 0, group, plan, reinterpret_cast<uintptr_t>(&shape)) == 0) {
        Core_EndCoarsen(plan);
        return 0;
    }
    const MemHandle kept = Event_NewItemPick(plan);
    if (kept == 0) {
        Core_EndCoarsen(plan);
        return kStatusOutOfMemory;
    }
    Comm_PushArgument(kept);
    const KernelStatus status =
        shape == 2 ? Trans_BeginOval(40, 1, 0, 0, 0xB8) : Trans_BeginBox(40, 1, 0, 0, 0, 0xB8);
    if (status == 0) {
        *nextState = shape == 2 ? 105 : 38;
    }
    return status;
}

}  // namespace

// ---- Generic gesture rows ----

KernelStatus Cmd_BeginGesture(const CommandBinding* row, MemHandle, int32_t* nextState, int32_t*)
{
    uint32_t options = static_cast<uint32_t>(row->options);
    if (Select_GetMode() == kSelectGroup) {
        options &= ~kExcludeSelected;
    }
    const KernelStatus status = BeginTrack(row->number, static_cast<uint32_t>(row->argument), options, kTrackMode);
    if (status == 0) {
        *nextState = row->nextState;
    }
    return status;
}

KernelStatus Cmd_KeepAndBeginGesture(const CommandBinding* row, MemHandle event, int32_t* nextState,
                                     int32_t* freeFlag)
{
    if (Comm_PushArgument(event) == 0) {
        *freeFlag = 0;
    }
    const KernelStatus status = BeginTrack(row->number, static_cast<uint32_t>(row->argument),
                                           static_cast<uint32_t>(row->options), kTrackMode);
    if (status == 0) {
        *nextState = row->nextState;
    }
    return status;
}

KernelStatus Cmd_PasteKeep(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Comm_PushArgument(event) == 0) {
        *freeFlag = 0;
    }
    const KernelStatus status = BeginTrack(row->number, static_cast<uint32_t>(row->argument),
                                           static_cast<uint32_t>(row->options), kPasteTrackMode);
    if (status == 0) {
        *nextState = row->nextState;
    }
    return status;
}

// ---- Undo, clipboard, deletion and copies ----

KernelStatus Cmd_Undo(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const KernelStatus status = Undo_Perform();
    RefreshHandles();
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_Cut(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Comm_InTextMode() != 0) {
        return Cmd_TextCut(row, event, nextState, freeFlag);
    }
    KernelStatus status = 0;
    if (Select_GetMode() == kSelectGroup) {
        GroupNumber group = Group_Duplicate(Select_GetGroup());
        for (uint16_t i = Group_Count(group); i > 0; --i) {
            if (Comm_IsSelectable(Group_Member(group, i - 1)) == 0) {
                Group_Remove(group, Group_Member(group, i - 1));
            }
        }
        Select_Clear();
        status = Core_CutGroup(group);
        Group_Free(group);
        SelectAfterRemoval();
    } else if (const ObjectHandle object = SelectedObject(); object != 0) {
        Select_Clear();
        status = Core_CutObject(object);
        SelectAfterRemoval();
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_Copy(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Comm_InTextMode() != 0) {
        return Cmd_TextCopy(row, event, nextState, freeFlag);
    }
    KernelStatus status = 0;
    if (SelectionGroup selection; selection) {
        status = Core_CopyToBucket(selection.get());
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_Paste(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Comm_InTextMode() != 0) {
        return Cmd_TextPaste(row, event, nextState, freeFlag);
    }
    if (Core_BucketHoldsConnectorOnly() != 0) {
        const KernelStatus status = BeginTrack(100, 0x3F, 0, kPasteTrackMode);
        if (status == 0) {
            *nextState = 101;
        }
        return status;
    }
    GroupNumber pasted = 0;
    const KernelStatus status = Core_Paste(Comm_GetCurrentPage(), &pasted);
    if (status == 0) {
        for (uint16_t i = Group_Count(pasted); i > 0; --i) {
            if (Comm_IsSelectable(Group_Member(pasted, i - 1)) == 0) {
                Group_Remove(pasted, Group_Member(pasted, i - 1));
            }
        }
        if (Group_Count(pasted) > 0) {
            Comm_SelectResult(pasted);
        }
    }
    Group_Free(pasted);
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_PasteDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const MemHandle first = Comm_PopArgument();
    const ObjectHandle from = PickedObjectOf(first);
    Event_Free(first);
    const ObjectHandle to = PickedObjectOf(event);
    ObjectHandle connector = 0;
    const KernelStatus status = Core_PasteConnector(from, to, &connector);
    if (status == 0 && connector != 0) {
        Select_Object(connector, 1);
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_Clear(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Comm_InTextMode() != 0) {
        return Cmd_TextClear(row, event, nextState, freeFlag);
    }
    KernelStatus status = 0;
    if (SelectionGroup selection; selection) {
        Select_Clear();
        status = Group_Count(selection.get()) == 1 ? Core_DeleteObject(Group_Member(selection.get(), 0), 0)
                                                   : Core_DeleteGroup(selection.get(), 0);
        SelectAfterRemoval();
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_Duplicate(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    KernelStatus status = 0;
    if (Select_GetMode() == kSelectGroup) {
        GroupNumber copies = 0;
        status = Core_DuplicateObjects(Select_GetGroup(), &copies, 1);
        if (status == 0 && Group_Count(copies) > 0) {
            Comm_SelectResult(copies);
        }
        Group_Free(copies);
    } else if (const ObjectHandle object = SelectedObject(); object != 0) {
        ObjectHandle copy = 0;
        status = Core_DuplicateObject(object, &copy);
        if (status == 0 && copy != 0) {
            Select_Object(copy, 1);
        }
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

namespace {

KernelStatus ShowSubstructure(uint32_t show)
{
    SelectionGroup selection;
    if (!selection) {
        return 0;
    }
    Core_RedrawGroup(selection.get());
    const KernelStatus status = Core_SetHiddenFlagsOfGroup(selection.get(), show);
    Core_RedrawGroup(selection.get());
    return status;
}

}  // namespace

KernelStatus Cmd_HideSubstructure(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return EndWith(ShowSubstructure(0), row, event, nextState, freeFlag);
}

KernelStatus Cmd_ShowSubstructure(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return EndWith(ShowSubstructure(1), row, event, nextState, freeFlag);
}

KernelStatus Cmd_ToggleVertexHandles(const CommandBinding* row, MemHandle event, int32_t* nextState,
                                     int32_t* freeFlag)
{
    Comm_SetVertexHandleMode(Comm_VertexHandleMode() != 0 ? 0 : 1);
    RefreshHandles();
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_BringForwardDone(const CommandBinding* row, MemHandle event, int32_t* nextState,
                                  int32_t* freeFlag)
{
    const ObjectHandle below = PickedObjectOf(event);
    KernelStatus status = 0;
    if (Select_GetMode() == kSelectGroup) {
        status = Core_SetLayerOrderOfGroup(Select_GetGroup(), below);
    } else if (const ObjectHandle object = SelectedObject(); object != 0) {
        status = Core_SetLayerOrder(object, below);
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_MergeDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_ChangeShapeDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const ObjectHandle model = PickedObjectOf(event);
    KernelStatus status = 0;
    if (SelectionGroup selection; selection && model != 0) {
        status = Core_CopyShapeToGroup(selection.get(), model, 0);
    }
    RefreshHandles();
    return EndWith(status, row, event, nextState, freeFlag);
}

// ---- Handles: resizing and point editing ----

KernelStatus Cmd_Adjust(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const ObjectHandle node = SelectedObject();
    if (node == 0 || Model_IsNode(node) == 0 || Model_NoFlags30000(node) == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    FixRect box{};
    Model_GetBox(node, &box);
    DotRec corner{};
    corner.centre = {box.right, box.bottom};
    Comm_ShowHandles(0);
    const KernelStatus status = BeginResize(Comm_GetCurrentWindow(), node, corner);
    if (status == 0) {
        *nextState = 71;
    }
    return status;
}

KernelStatus Cmd_ResizeDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    FixRect rect{};
    KernelStatus status = 0;
    const ObjectHandle node = SelectedObject();
    if (node != 0 && Comm_CopyEvent(event, &record) && Comm_PickedRect(record, &rect)) {
        status = Core_SetObjectRect(node, rect, 1);
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_MoveVertexDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    KernelStatus status = 0;
    const ObjectHandle object = SelectedObject();
    if (object != 0 && Comm_CopyEvent(event, &record) && Comm_PickedPoints(record) != 0) {
        status = Core_ReplaceConnectorPoints(object, Comm_PickedPoints(record));
    }
    Comm_ShowHandles(1);
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_MoveShapePointsDone(const CommandBinding* row, MemHandle event, int32_t* nextState,
                                     int32_t* freeFlag)
{
    EventRec record{};
    KernelStatus status = 0;
    const ObjectHandle object = SelectedObject();
    if (object != 0 && Comm_CopyEvent(event, &record) && Comm_PickedPoints(record) != 0) {
        status = Core_ReplaceShapePoints(object, Comm_PickedPoints(record));
    }
    Comm_ShowHandles(1);
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_ReconnectDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    uint32_t words[3] = {};
    KernelStatus status = 0;
    const ObjectHandle connector = SelectedObject();
    if (connector != 0 && Comm_CopyEvent(event, &record) && Comm_PickedConnection(record, words)) {
        // The end that moved names its new object; the other is 0.
        status = words[0] != 0 ? Core_ReattachConnector(connector, words[0], 2, words[2])
                               : Core_ReattachConnector(connector, words[1], 1, words[2]);
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_PointerOnObject(const CommandBinding*, MemHandle event, int32_t* nextState, int32_t*)
{
    EventRec record{};
    HandlePress press;
    if (!Comm_CopyEvent(event, &record) || record.payload.kind != kItemDot) {
        return 0;
    }
    {
        BlockLock<DotRec> dot(record.payload.value[0]);
        if (!dot || dot.size() < sizeof(DotRec)) {
            return 0;
        }
        press.dot = *dot;
    }
    press.object = press.dot.owner;
    const bool plainPick = (Comm_NoHandleGestures() != 0 && Model_IsNode(press.object) != 0) ||
                           Model_HasFlags(press.object, kFlagLabelLike) != 0 ||
                           Hook_Fire(kHookHandlePress, press.object, press.dot.kind, press.dot.index) == 0;
    if (plainPick) {
        return Comm_RepostEvent(Event_NewObjectPick(&record.pointer, &record.modifiers, press.object));
    }
    Comm_ShowHandles(0);
    int32_t state = 0;
    const KernelStatus status = BeginHandleGesture(record, press, &state);
    if (status == 0 && state != 0) {
        *nextState = state;
    }
    return status;
}

// ---- Dragging, displacing and moving to a page ----

KernelStatus Cmd_BeginDragWithRegions(const CommandBinding*, MemHandle event, int32_t* nextState, int32_t*)
{
    EventRec record{};
    FixPoint offset{};
    if (!Comm_CopyEvent(event, &record)) {
        return 0;
    }
    Comm_PickedPoint(record, &offset);
    const FixPoint start{record.pointer.x, record.pointer.y};
    bool started = false;
    const KernelStatus status = BeginOutlineDrag(&offset, &start, 0, &started);
    if (status == 0 && started) {
        Comm_ShowHandles(0);
        *nextState = 41;
    }
    return status;
}

KernelStatus Cmd_DragWithRegionsDone(const CommandBinding* row, MemHandle event, int32_t* nextState,
                                     int32_t* freeFlag)
{
    return DragDone(row, event, nextState, freeFlag, Velkor_Settings().dragWithRegions ? 1 : 0);
}

KernelStatus Cmd_DragWithRegionsCancel(const CommandBinding* row, MemHandle event, int32_t* nextState,
                                       int32_t* freeFlag)
{
    return DragCancel(row, event, nextState, freeFlag);
}

KernelStatus Cmd_BeginDrag(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Comm_InTextMode() != 0 || Select_IsAny() == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const KernelStatus status = Trans_BeginPointPick(Comm_GetCurrentWindow(), 9999, 5, 1, 0);
    if (status == 0) {
        *nextState = 40;
    }
    return status;
}

KernelStatus Cmd_DragPoint(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    FixPoint point{};
    if (!Comm_CopyEvent(event, &record) || !Comm_PickedPoint(record, &point)) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    bool started = false;
    const KernelStatus status = BeginOutlineDrag(nullptr, &point, 0, &started);
    if (status != 0) {
        return status;
    }
    if (!started) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    *nextState = 43;
    return 0;
}

KernelStatus Cmd_DragDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return DragDone(row, event, nextState, freeFlag, 1);
}

KernelStatus Cmd_DragCancel(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return DragCancel(row, event, nextState, freeFlag);
}

KernelStatus Cmd_Displace(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    FixPoint step{};
    Core_GetLastDisplacement(&step);
    KernelStatus status = 0;
    if (step.x != 0 || step.y != 0) {
        int32_t modifiers[4] = {};
        Velkor_GetModifierState(modifiers);
        if (modifiers[0] == 1) {
            step = {-step.x, -step.y};
        }
        if (Select_GetMode() == kSelectGroup) {
            status = Core_MoveGroup(Select_GetGroup(), step.x, step.y, 1, 1);
        } else if (const ObjectHandle object = SelectedObject(); object != 0) {
            status = Core_MoveObject(object, step.x, step.y, 1, 1);
        }
    }
    const KernelStatus endStatus = EndWith(status, row, event, nextState, freeFlag);
    RefreshHandles();
    return endStatus;
}

KernelStatus Cmd_MoveTo(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Comm_InTextMode() != 0) {
        if (Comm_EditedTextHasSelection()) {
            return Comm_BeginMoveToText(nextState);
        }
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const ObjectHandle object = SelectedObject();
    const bool movable = Select_GetMode() == kSelectGroup || (object != 0 && Model_MatchesTypeMask(object, 11) != 0);
    if (!movable) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const KernelStatus status = Trans_BeginPageSelect(98, Comm_GetCurrentPage());
    if (status == 0) {
        *nextState = 58;
    }
    return status;
}

KernelStatus Cmd_MoveToDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const ObjectHandle page = PickedObjectOf(event);
    KernelStatus status = 0;
    if (SelectionGroup selection; selection && Model_IsPage(page) != 0) {
        status = Core_MoveToPage(selection.get(), page, 0);
        if (status == 0) {
            Comm_SetCurrentPage(page);
        }
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

// ---- Coarsening and refining ----

KernelStatus Cmd_Coarsen(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Comm_InTextMode() != 0) {
        const KernelStatus status = Trans_BeginBox(40, 1, 0, 0, 0, 0xB8);
        if (status == 0) {
            *nextState = 39;
        }
        return status;
    }
    if (Select_GetMode() == kSelectGroup) {
        const int32_t before = *nextState;
        const KernelStatus status = BeginCoarsenGroup(nextState);
        if (status != 0 || *nextState != before) {
            return status;
        }
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    KernelStatus status = 0;
    if (const ObjectHandle node = SelectedObject(); node != 0) {
        status = CoarsenNode(node);
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_CoarsenDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const MemHandle kept = Comm_PopArgument();
    EventRec keptRecord{};
    EventRec record{};
    FixRect rect{};
    KernelStatus status = 0;
    if (Comm_CopyEvent(kept, &keptRecord) && keptRecord.payload.kind == kItemConnectorSets &&
        Comm_CopyEvent(event, &record) && Comm_PickedRect(record, &rect) && Select_GetMode() == kSelectGroup) {
        const uint32_t shape = Comm_GetState() == 105 ? 2 : 1;
        ObjectHandle node = 0;
        status = Comm_AddNode(Comm_GetCurrentPage(), rect, shape, 0, &node);
        if (status == 0) {
            GroupNumber group = Group_Duplicate(Select_GetGroup());
            ObjectHandle subpage = 0;
            status = Core_MakeCoarseNode(group, node, keptRecord.payload.value[0], &subpage);
            Group_Free(group);
            Core_EndCoarsen(keptRecord.payload.value[0]);
            Core_RedrawObject(node);
            if (status == 0) {
                Select_Object(node, 1);
            }
        }
    }
    Event_Free(kept);
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_CoarsenNewNode(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    FixRect rect{};
    const ObjectHandle edited = SelectedObject();
    KernelStatus status = 0;
    if (Comm_CopyEvent(event, &record) && Comm_PickedRect(record, &rect)) {
        ObjectHandle node = 0;
        status = Comm_AddNode(Comm_GetCurrentPage(), rect, 1, 0, &node);
        if (status == 0) {
            Comm_SelectAndNotify(node, static_cast<uintptr_t>(Comm_GetState()));
            status = Core_TextCoarsen(edited, node);
            if (status != 0) {
                Core_DeleteObject(node, kDeleteKeepLinks);
                SelectAfterRemoval();
            }
        }
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_Refine(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    KernelStatus status = 0;
    if (const ObjectHandle object = SelectedObject(); object != 0) {
        if (Comm_InTextMode() != 0) {
            status = Core_TextRefine(object);
        } else if (Model_IsCoarseNode(object) != 0) {
            status = Core_RefineNode(object);
        }
    }
    StatusBar_Update();
    return EndWith(status, row, event, nextState, freeFlag);
}

// ---- Attaching and regions ----

KernelStatus Cmd_Attach(const CommandBinding*, MemHandle, int32_t* nextState, int32_t*)
{
    if (Select_GetMode() != kSelectObject) {
        return kStatusNotOneObject;
    }
    const ObjectHandle object = SelectedObject();
    if (Comm_InTextMode() != 0) {
        const KernelStatus status = BeginTrack(15, 0xFFFFF, 0, 0x3100002);
        if (status == 0) {
            *nextState = 19;
        }
        return status;
    }
    if (Model_IsAttachedNode(object) != 0) {
        return 3;
    }
    if (Model_IsCoarseNode(object) != 0) {
        return 4;
    }
    if (Model_IsNode(object) == 0) {
        return kStatusNotAttachable;
    }
    const KernelStatus status = Trans_BeginPageSelect(95, Comm_GetCurrentPage());
    if (status == 0) {
        *nextState = 18;
    }
    return status;
}

KernelStatus Cmd_AttachToPage(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const ObjectHandle page = PickedObjectOf(event);
    const ObjectHandle node = SelectedObject();
    KernelStatus status = 0;
    if (node != 0 && page != 0) {
        status = Core_AttachNode(node, page);
        if (status == 0) {
            Comm_SetCurrentPage(page);
        }
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_Detach(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    KernelStatus status = 0;
    if (Comm_InTextMode() != 0) {
        // The reference at the cursor of the edited text goes.
        ObjectHandle referred = 0;
        if (Text_EditingState() != 0) {
            status = Text_RemoveReference(0, &referred);
        }
    } else if (const ObjectHandle node = SelectedObject(); node != 0) {
        status = Core_DetachNode(node);
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_MakeRegionDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const ObjectHandle owner = PickedObjectOf(event);
    KernelStatus status = 0;
    if (SelectionGroup selection; selection && owner != 0) {
        if (Group_Count(selection.get()) == 1) {
            status = Core_MakeRegion(Group_Member(selection.get(), 0), owner);
        } else {
            status = Core_MakeRegions(selection.get(), owner);
        }
        if (status == 0) {
            Comm_SelectResult(selection.get());
        }
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

KernelStatus Cmd_UnmakeRegion(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    KernelStatus status = 0;
    if (SelectionGroup selection; selection) {
        status = Group_Count(selection.get()) == 1 ? Core_DetachRegions(Group_Member(selection.get(), 0), 0)
                                                   : Core_DetachRegionsOfGroup(selection.get());
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

// ---- Text mode ----

KernelStatus Cmd_TextOn(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    Comm_SetTextMode(1);
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_TextOff(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    Comm_SetTextMode(0);
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_FitBoxToText(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    KernelStatus status = 0;
    if (Select_GetMode() == kSelectGroup) {
        status = Core_FitGroupToText(Select_GetGroup());
    } else if (const ObjectHandle object = SelectedObject(); object != 0) {
        status = Core_FitBoxToText(object);
    }
    return EndWith(status, row, event, nextState, freeFlag);
}
