// The services of the command layer and the selection that the text editor
// calls: the current page, the selected object or group, selecting an object.
// They belong to the command layer (xkv/comm) and the selection (for now in
// xkv/pending); the editor only calls them.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

ObjectHandle Comm_GetCurrentPage();
void Comm_SetCurrentPage(ObjectHandle page);
ObjectHandle Select_GetObject();
uint32_t Select_GetGroup();
KernelStatus Select_Object(ObjectHandle object, uint32_t update);
