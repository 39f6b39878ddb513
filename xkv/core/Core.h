// Kernel diagram operations: the services of the core that the object model,
// the defaults, typed items and undo use.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

using GroupNumber = uint16_t;

// The connectors around a group, classified: flags say which parts are
// wanted (1 outer end objects, 2 inner connectors, 4 and 8 connectors with
// one end inside, 16 the entry list).
struct ConnectorSetEntry {
    ObjectHandle connector;
    ObjectHandle innerEnd;
    ObjectHandle outerEnd;
};
struct ConnectorSets {
    uint8_t flags = 0;
    GroupNumber groups[4] = {0, 0, 0, 0};
    MemHandle entries = 0;  // block of ConnectorSetEntry, or 0
};

// The result of hook 29 (model changed), or 0 when it is not registered.
uintptr_t Core_NotifyModelChanged();
// Gives the page the number, renumbering the pages that would clash.
KernelStatus Core_SetPageNumber(ObjectHandle page, uint32_t number);
// Moves an object by (dx, dy) on its page.
KernelStatus Core_MoveObject(ObjectHandle object, Fixed dx, Fixed dy, uint32_t a, uint32_t b);
// The displacement of the most recent move.
void Core_GetLastDisplacement(FixPoint* out);
// Frees the groups and the entry list of the sets; the record stays the caller's.
void Core_FreeConnectorSets(ConnectorSets* sets);
