// What every QX function shares: the status word, interface units, object
// kinds, object lists in QX memory blocks and the interface's stubs.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

using GroupNumber = uint16_t;

// The interface's last status. Entries that end in one kernel operation store
// its status on every call; all others store a status only when they fail.
extern KernelStatus QXStatus;

// Object-kind bits of the type query and of the pick and locate entries.
inline constexpr uint32_t kQXKindPageList = 1;
inline constexpr uint32_t kQXKindPage = 2;
inline constexpr uint32_t kQXKindNode = 4;
inline constexpr uint32_t kQXKindConnector = 8;
inline constexpr uint32_t kQXKindRegion = 16;

// The largest object list the interface accepts in one call.
inline constexpr uint32_t kQXMaxObjects = 200;

// Interface units: signed 16-bit pixels, one pixel is 0x8000 in Fixed.
// A value outside 16 bits is brought to the nearest 16-bit value.
Fixed QXUtil_IntToFixed(int32_t n);
// Back to pixels, rounded to nearest with halves up; saturates at the ends of
// the 16-bit range instead of wrapping.
int16_t QXUtil_FixedToInt(Fixed value);

// Object lists: count and a QXMem block of handles (no block when empty).
uint32_t QXUtil_GroupToArray(GroupNumber group, ObjectHandle** array, uint16_t* count);
uint32_t QXUtil_ChildrenToArray(ObjectHandle object, uint16_t* count, ObjectHandle** array);
uint32_t QXUtil_ArrayToGroup(GroupNumber* group, const ObjectHandle* array, uint32_t count);
uint32_t QXRdAttr_MaxObjectCount();

// Entries without an implementation.
uint32_t QXRdAttr_SelectableFlag();
uint32_t QXText_MaxLineLength();
void QXUI_SetObjectIndication();
uint32_t QXUI_Merge(const ObjectHandle* objects, uint32_t count, ObjectHandle target);
