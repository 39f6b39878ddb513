// Kernel events for the nested interaction, posted to the command layer.
#include "PostedInput.h"

#include "xkv/comm/Comm.h"
#include "xkv/item/Event.h"

bool PostObjectPick(ObjectHandle object)
{
    PointerState pointer{};
    Modifiers modifiers{};
    return Comm_PostEvent(Event_NewObjectPick(&pointer, &modifiers, object)) == kStatusOk;
}

bool PostCancel()
{
    return Comm_PostEvent(Event_NewCancel()) == kStatusOk;
}
