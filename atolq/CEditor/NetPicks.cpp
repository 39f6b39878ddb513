// Letting the user pick a net object in a nested interaction: while the pick
// runs, the kernel asks hook 65 about every candidate under the pointer and
// only objects of the wanted kind are offered. The port pick offers the
// ports on the current page whose type fits an arc direction.
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "xkv/kv/Hook.h"

namespace {

constexpr HookId kHookCandidate = 65;
constexpr int32_t kPickNodes = 4;

// A port whose type fits the arc direction between socket and transition:
// 1 socket to transition (input ports), 2 back (output ports), 3 both.
bool PortFits(SEHead* record, uint16_t direction)
{
    if (record == nullptr || record->kind != kSEPlace)
        return false;
    switch (record->subKind) {
    case kSEPortGeneral:
    case kSEPortInOut: return true;
    case kSEPortInput: return direction == 1;
    case kSEPortOutput: return direction == 2;
    default: return false;
    }
}

bool PortCandidate(ObjectHandle object)
{
    uint16_t direction = 0, unused = 0;
    GE_GetDialogArgs(&direction, &unused);
    SEHead* record = nullptr;
    return GE_GetSERecord(object, &record) != 0 && PortFits(record, direction);
}

uintptr_t PortCandidateHook(uintptr_t object, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return PortCandidate(static_cast<ObjectHandle>(object)) ? 1 : 0;
}

// Runs the kernel's pick with the candidate hook in place of the one at rest.
ObjectHandle PickWith(HookHandler candidate, int32_t kinds)
{
    const HookHandler previous = Hook_GetHandler(kHookCandidate);
    Hook_Register(kHookCandidate, candidate);
    const ObjectHandle picked = QXUI_PickObject(kinds, 1);
    if (previous != nullptr)
        Hook_Register(kHookCandidate, previous);
    else
        Hook_Unregister(kHookCandidate);
    return picked;
}

}  // namespace

ObjectHandle EE_PickPort(uint16_t direction, uint16_t kind)
{
    GE_SetDialogArgs(direction, kind);
    const ObjectHandle picked = PickWith(PortCandidateHook, kPickNodes);
    // A pick that ended on something else is no answer.
    const bool fits = picked != 0 && PortCandidate(picked);
    GE_SetDialogArgs(0, 0);
    return fits ? picked : 0;
}
