// Services of the selection classifier that the net editor's commands call:
// declarations only; the module that classifies selections provides them.
#pragma once

#include <cstdint>

#include "atolq/CEditor/SelectionFilters.h"

// Classifies a selection: the type of the first object and the OR of the
// objects' net and graphic role masks; the filter (or null) sees each object
// and may stop the walk (result 0).
int EQ_MapSpec(uint32_t count, const uint32_t* objects, EQFilter filter, void* argument, uint32_t* type,
               uint32_t* netMask, uint32_t* graphicMask);
