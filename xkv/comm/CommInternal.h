// What the command handlers share: the event record and its payload, the
// selection taken as a group, selecting a result, and the current window.
#pragma once

#include <cstdint>

#include "xkv/comm/Comm.h"
#include "xkv/comm/CommHandlers.h"
#include "xkv/item/Event.h"
#include "xkv/types/PtArray.h"

using GroupNumber = uint16_t;

// A copy of the event record; false when the event cannot be read.
bool Comm_CopyEvent(MemHandle event, EventRec* out);

// Payload readers: the object of an object or item pick (0 otherwise), the
// rectangle, point, point list or connection of a gesture's result.
ObjectHandle Comm_PickedObject(const EventRec& event);
bool Comm_PickedRect(const EventRec& event, FixRect* out);
bool Comm_PickedPoint(const EventRec& event, FixPoint* out);
PtArray Comm_PickedPoints(const EventRec& event);
bool Comm_PickedConnection(const EventRec& event, uint32_t words[3]);

// A new group of what is selected: the object alone in mode 0, a copy of the
// group in mode 1, 0 for nothing. The caller frees it.
GroupNumber Comm_SelectionAsGroup();
// Selects a result: one member alone, several as a group, none: nothing.
void Comm_SelectResult(GroupNumber group);
// Selects the object and tells the application of it (hook 11).
void Comm_SelectAndNotify(ObjectHandle object, uintptr_t argument);
// The selection handles of the current window, off or on again.
void Comm_ShowHandles(uint32_t on);
KernelStatus Comm_AlignWith(MemHandle event, uint32_t mode);

// Move To in text mode: whether the edited text has a selection to move, and
// the pick of the object that receives it.
bool Comm_EditedTextHasSelection();
KernelStatus Comm_BeginMoveToText(int32_t* nextState);
