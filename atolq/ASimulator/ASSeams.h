// Services of the code generator's simulator-state module that the abstract
// simulator calls: the enabling check of one transition instance and the
// recomputation of enabling. They are provided by that module; this header
// only names them.
#pragma once

#include <cstdint>

struct SETrans;
struct ASInstance;

// Asks the evaluator whether the transition is enabled in the instance and
// moves it between the instance's enabled and disabled lists: 1 enabled, 0 not.
int CTSCheckEnabling(SETrans* transition, ASInstance* instance);
// Recomputes the enabling of every transition instance (97 after a marking
// change, 101 after a step).
void CTSRecalcEnablingFor(int requestCode);
