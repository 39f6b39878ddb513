// The newer simulator's syntax check: the declarations compiled in order,
// then the net sent page by page for the evaluator to check; its errors are
// shown on the records they name.
#pragma once

#include <cstdint>

#include "atolq/CEditor/Progress.h"
#include "atolq/ConvertToSim/CTSCheck.h"

// Nonzero when the check ran through. With refuseTransitionFusion a global
// transition fusion set is reported ("S.1 Fusioned Transition").
int NSSyntaxCheck(CTSErrorReporter reporter, int refuseTransitionFusion, ProgressCallback progress,
                  CTSConfigFn configuration);
