// Alignment commands: the picked reference (or two for Between and
// Projection) and the selection are handed to the alignment of the diagram
// operations, after the positions are recorded for undo.
#include "xkv/comm/CommInternal.h"

#include "xkv/core/Core.h"
#include "xkv/group/Group.h"
#include "xkv/select/Select.h"
#include "xkv/undo/Undo.h"
#include "xkv/window/Window.h"

namespace {

enum AlignMode : uint32_t {
    kAlignBetween = 0,
    kAlignBottomToBottom = 1,
    kAlignBottomToTop = 2,
    kAlignCenter = 3,
    kAlignHorizontal = 4,
    kAlignLeftToLeft = 5,
    kAlignLeftToRight = 6,
    kAlignProjection = 7,
    kAlignRightToLeft = 9,
    kAlignRightToRight = 10,
    kAlignTopToBottom = 11,
    kAlignTopToTop = 12,
    kAlignVertical = 13,
};

ObjectHandle PickedObjectOf(MemHandle event)
{
    EventRec record{};
    return Comm_CopyEvent(event, &record) ? Comm_PickedObject(record) : 0;
}

}  // namespace

// Aligns the selection to the references: the kept picks of the command,
// then this pick.
KernelStatus Comm_AlignWith(MemHandle event, uint32_t mode)
{
    GroupNumber references = Group_New();
    for (MemHandle kept = Comm_PopArgument(); kept != 0; kept = Comm_PopArgument()) {
        if (const ObjectHandle object = PickedObjectOf(kept); object != 0) {
            Group_Add(references, object);
        }
        Event_Free(kept);
    }
    // Kept picks come off the stack newest first: put them back in order.
    for (uint16_t i = 0, j = Group_Count(references); i + 1 < j; ++i, --j) {
        const ObjectHandle a = Group_Member(references, i);
        Group_SetMember(references, i, Group_Member(references, j - 1));
        Group_SetMember(references, j - 1, a);
    }
    if (const ObjectHandle object = PickedObjectOf(event); object != 0) {
        Group_Add(references, object);
    }
    KernelStatus status = 0;
    GroupNumber members = Comm_SelectionAsGroup();
    if (members != 0 && Group_Count(members) > 0 && Group_Count(references) > 0) {
        Undo_Record(kUndoAlignment, members);
        status = Core_AlignObjects(members, references, mode, 0);
    }
    Group_Free(members);
    Group_Free(references);
    if (Widget window = Comm_GetCurrentWindow(); window != nullptr) {
        Window_RefreshIndication(window);
    }
    return status;
}

namespace {

KernelStatus Align(uint32_t mode, const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const KernelStatus status = Comm_AlignWith(event, mode);
    if (status != 0) {
        return status;
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

}  // namespace

#define COMM_ALIGN(name, mode) \
    COMM_HANDLER(name) { return Align(mode, row, event, nextState, freeFlag); }

COMM_ALIGN(Cmd_AlignHorizontal, kAlignHorizontal)
COMM_ALIGN(Cmd_AlignVertical, kAlignVertical)
COMM_ALIGN(Cmd_AlignLeftToLeft, kAlignLeftToLeft)
COMM_ALIGN(Cmd_AlignLeftToRight, kAlignLeftToRight)
COMM_ALIGN(Cmd_AlignRightToLeft, kAlignRightToLeft)
COMM_ALIGN(Cmd_AlignRightToRight, kAlignRightToRight)
COMM_ALIGN(Cmd_AlignTopToTop, kAlignTopToTop)
COMM_ALIGN(Cmd_AlignTopToBottom, kAlignTopToBottom)
COMM_ALIGN(Cmd_AlignBottomToTop, kAlignBottomToTop)
COMM_ALIGN(Cmd_AlignBottomToBottom, kAlignBottomToBottom)
COMM_ALIGN(Cmd_AlignCenter, kAlignCenter)
COMM_ALIGN(Cmd_AlignBetween, kAlignBetween)
COMM_ALIGN(Cmd_AlignProjection, kAlignProjection)
