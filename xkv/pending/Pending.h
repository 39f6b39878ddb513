// The one kernel entry that stays a stand-in: the net layer's entry
// QVmountopen. tolq links the net layer's own entry (an object file, taken
// before this library); programs made of the kernel alone (its tests, the
// kernel without an application) have no net layer and take this one, which
// starts nothing and accepts every call.
#pragma once

#include <cstdint>

// Headers that files including this one have long received through it.
#include "xkv/velkor/XTypes.h"
#include "xkv/types/Types.h"
#include "xkv/window/Window.h"
#include "xkv/trans/Trans.h"

// The net layer's entry: start-up (kinds 0 and 3) and its own commands (kind 1).
uintptr_t QVmountopen(uint32_t kind, int32_t menuId, uint32_t value);
