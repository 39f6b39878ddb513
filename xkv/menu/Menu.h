// The kernel's menus: the menu-rule service used by the kernel's modules.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

inline constexpr uint32_t kMenuRuleUndoLabel = 21;
inline constexpr uint32_t kMenuRuleUndoDisabled = 39;

// Runs a numbered menu rule with its argument (for example a label text).
KernelStatus Menu_ApplyRule(uint32_t rule, uintptr_t argument);
