// The kernel's one current selection: nothing, one object or one group, kept
// as typed items in one slot per kind, with the selection mode that says
// which slot counts. Changing it keeps the page window's handles, the menus,
// the status bar and, in text mode, the text editor in step.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

using GroupNumber = uint16_t;

enum SelectMode : uint32_t {
    kSelectObject = 0,
    kSelectGroup = 1,
    kSelectOther = 2,
    kSelectNone = 3,
};

KernelStatus Select_SetItem(MemHandle item, uint32_t update);
KernelStatus Select_Object(ObjectHandle object, uint32_t update);
KernelStatus Select_Group(GroupNumber group, uint32_t update);
uint32_t Select_SetMode(uint32_t mode);
uint32_t Select_Clear();
uint32_t Select_GetMode();
uint32_t Select_IsNone();
uint32_t Select_IsAny();
uint32_t Select_GetSlot(uint32_t mode, MemHandle* out);
MemHandle Select_GetCurrent();
ObjectHandle Select_GetObject();
GroupNumber Select_GetGroup();
uint32_t Select_IsSelected(ObjectHandle object);
