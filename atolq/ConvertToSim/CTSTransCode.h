// Per-transition code generation: the occurrence, enabling, check-binding,
// arc-change, output and binding functions of a transition and its
// registration with the simulator's ML library.
#pragma once

#include <string>

#include "atolq/AEditor/SERecords.h"

// " {x=($(x)),\n...} " over the variables of the table that the selector
// picks (1: 0x4, 3: 0x1, 4: 0x2 without 0x10, 5: 0x2, 6: exactly 2,
// 7: 0x10), or " _ " when none is picked.
std::string CTSVarPatternText(const LMList* variables, int selector);

// 1 to go on, 0 when stopped.
int CTSGenerateTransition(SETrans* t);
