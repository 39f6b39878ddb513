// Kernel events for the command tests, made apart from the toolkit headers
// (whose Modifiers type would clash with the kernel's).
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

MemHandle TestCommand(uint32_t request, uint32_t shift);
MemHandle TestRectPick(FixRect rect);
MemHandle TestObjectPick(ObjectHandle object, uint32_t shift, uint32_t clicks);
MemHandle TestPointPick(FixPoint point);
MemHandle TestPointsPick(MemHandle points);
MemHandle TestConnection(ObjectHandle from, ObjectHandle to, MemHandle points);
MemHandle TestDrag(FixPoint at, FixPoint offset);
// The answer of a dialog: its number, the closing item less one and the
// values block (freed with the event).
MemHandle TestDialogAnswer(uint32_t dialog, uint32_t button, MemHandle values);
