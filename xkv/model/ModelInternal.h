// Helpers shared by the object model's source files.
#pragma once

#include "xkv/model/Model.h"

// 1 when the slot is allocated (not on the free list).
uint32_t ModelInternal_IsInUse(ObjectHandle object);
