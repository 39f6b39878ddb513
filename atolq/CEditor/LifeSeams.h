// The neighbours that the diagram life cycle, the data base save and the ML
// commands call: the syntax check with its evaluator start and stop, the
// kernel's question box and the net record of a page.
#pragma once

#include <cstdint>

#include "atolq/CEditor/NetObjects.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "xkv/kv/QXUI.h"

// Evaluator settings callback, as GE_GetMLSettings.
using MLSettingsCallback = CTSConfigFn;
