// The current selection: three slots holding copies of typed items (object,
// group and the third kind), the selection mode, and the text-switch flag
// that remembers when a selection change started or ended text editing.
#include "xkv/select/Select.h"

#include <array>

#include "xkv/comm/Comm.h"
#include "xkv/group/Group.h"
#include "xkv/item/TypedItem.h"
#include "xkv/mem/Mem.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/text/TextKernel.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kItemThird = 25;
constexpr uint32_t kMenuRuleGroupSelected = 17;

struct Selection {
    uint32_t mode = kSelectNone;
    std::array<MemHandle, 3> slots{};  // by mode: object, group, third kind
    bool textSwitched = false;
};

Selection& State()
{
    static Selection selection;
    return selection;
}

void ShowInCurrentWindow()
{
    if (Widget window = Window_OfPage(Comm_GetCurrentPage())) {
        Window_ShowIndication(window, Select_GetCurrent());
    }
}

void StartEditingSelected()
{
    Text_StartEdit(Select_GetObject());
    State().textSwitched = true;
}

// The slot and mode of an item kind; false for kinds that cannot be selected.
bool SlotOfKind(uint32_t kind, uint32_t* mode)
{
    switch (kind) {
    case kItemGroup:
        *mode = kSelectGroup;
        return true;
    case kItemObject:
        *mode = kSelectObject;
        return true;
    case kItemThird:
        *mode = kSelectOther;
        return true;
    default:
        return false;
    }
}

}  // namespace

uint32_t Select_SetMode(uint32_t mode)
{
    Selection& s = State();
    uint32_t old = s.mode;
    if (Comm_InTextMode() && mode != old) {
        if (mode != kSelectObject) {
            Text_LeaveEditing();
        } else {
            Text_StartEdit(Select_GetObject());
        }
        s.textSwitched = true;
    }
    if (mode == kSelectGroup && Group_Count(Select_GetGroup()) == 0) {
        mode = Select_GetObject() != 0 ? kSelectObject : kSelectNone;
    }
    s.mode = mode;
    ShowInCurrentWindow();
    if (old == kSelectGroup && s.mode != old) {
        Menu_UpdateFromSelection(0);
    }
    return 1;
}

KernelStatus Select_SetItem(MemHandle item, uint32_t update)
{
    Selection& s = State();
    uint32_t kind = TypedItem_Kind(item);
    if (Comm_VertexHandleMode() && !(kind == kItemObject && TypedItem_Object(item) == Select_GetObject())) {
        Comm_SetVertexHandleMode(0);
    }
    uint32_t mode = kSelectNone;
    if (!SlotOfKind(kind, &mode)) {
        if (update == 1) {
            Select_SetMode(kSelectNone);
        }
        return kStatusBadArgument;
    }
    MemHandle copy = TypedItem_Copy(item);
    if (copy == 0) {
        return kStatusFailed;
    }
    if (s.slots[mode] != 0) {
        TypedItem_Free(s.slots[mode]);
    }
    s.slots[mode] = copy;
    if (update == 1) {
        Select_SetMode(mode);
    }
    if (s.textSwitched && !Comm_InTextMode()) {
        Text_LeaveEditing();
        s.textSwitched = false;
    }
    if (update == 0) {
        ShowInCurrentWindow();
    }
    if (s.mode == kSelectObject && Comm_InTextMode()) {
        StartEditingSelected();
    }
    Menu_UpdateFromSelection(0);
    StatusBar_Refresh();
    return kStatusOk;
}

KernelStatus Select_Object(ObjectHandle object, uint32_t update)
{
    MemHandle item = TypedItem_NewObject(object);
    if (item == 0) {
        return kStatusFailed;
    }
    KernelStatus status = Select_SetItem(item, update);
    if (status == kStatusOk) {
        Model_PushRecent(object);
    }
    TypedItem_Free(item);
    return status;
}

KernelStatus Select_Group(GroupNumber group, uint32_t update)
{
    uint32_t value[2] = {group, 0};
    MemHandle item = TypedItem_Create(kItemGroup, value, 0);
    if (item == 0) {
        return kStatusFailed;
    }
    KernelStatus status = Select_SetItem(item, update);
    // The caller keeps its group: only the wrapping block goes.
    Mem_Free(item);
    if (State().mode == kSelectGroup) {
        Menu_ApplyRule(kMenuRuleGroupSelected, 0);
    }
    return status;
}

uint32_t Select_Clear()
{
    Selection& s = State();
    for (MemHandle& slot : s.slots) {
        if (slot != 0) {
            TypedItem_Free(slot);
            slot = 0;
        }
    }
    Select_SetMode(kSelectNone);
    return 1;
}

uint32_t Select_GetMode()
{
    return State().mode;
}

uint32_t Select_IsNone()
{
    return State().mode == kSelectNone ? 1 : 0;
}

uint32_t Select_IsAny()
{
    return State().mode != kSelectNone ? 1 : 0;
}

uint32_t Select_GetSlot(uint32_t mode, MemHandle* out)
{
    *out = mode < 3 ? State().slots[mode] : 0;
    return *out != 0 ? 1 : 0;
}

MemHandle Select_GetCurrent()
{
    const Selection& s = State();
    return s.mode < 3 ? s.slots[s.mode] : 0;
}

ObjectHandle Select_GetObject()
{
    MemHandle slot = State().slots[kSelectObject];
    return slot != 0 ? TypedItem_Object(slot) : 0;
}

GroupNumber Select_GetGroup()
{
    MemHandle slot = State().slots[kSelectGroup];
    return slot != 0 ? TypedItem_Group(slot) : 0;
}

uint32_t Select_IsSelected(ObjectHandle object)
{
    switch (State().mode) {
    case kSelectObject:
        return object != 0 && Select_GetObject() == object ? 1 : 0;
    case kSelectGroup:
        return Group_Contains(Select_GetGroup(), object) != 0 ? 1 : 0;
    default:
        return 0;
    }
}
