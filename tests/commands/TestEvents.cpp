// Kernel events for the command tests.
#include "TestEvents.h"

#include "xkv/item/Event.h"

MemHandle TestCommand(uint32_t request, uint32_t shift)
{
    return Event_NewCommand(shift, 0, 0, 0, request);
}

MemHandle TestRectPick(FixRect r)
{
    PointerState pointer{};
    Modifiers modifiers{};
    return Event_NewRectPick(&pointer, &modifiers, {r.left, r.top}, {r.right, r.bottom});
}

MemHandle TestObjectPick(ObjectHandle object, uint32_t shift, uint32_t clicks)
{
    PointerState pointer{};
    pointer.button1 = clicks;
    Modifiers modifiers{};
    modifiers.shift = shift;
    return Event_NewObjectPick(&pointer, &modifiers, object);
}

MemHandle TestPointPick(FixPoint p)
{
    PointerState pointer{p.x, p.y, 1, 0, 0};
    Modifiers modifiers{};
    return Event_NewPointPick(&pointer, &modifiers, p);
}

MemHandle TestPointsPick(MemHandle points)
{
    return Event_NewPointsPick(points);
}

MemHandle TestConnection(ObjectHandle from, ObjectHandle to, MemHandle points)
{
    return Event_NewTriplePick(from, to, points);
}

MemHandle TestDrag(FixPoint at, FixPoint offset)
{
    PointerState pointer{at.x, at.y, 1, 0, 0};
    Modifiers modifiers{};
    return Event_NewDrag(&pointer, &modifiers, offset);
}

MemHandle TestDialogAnswer(uint32_t dialog, uint32_t button, MemHandle values)
{
    return Event_NewDialog(dialog, button, values);
}
