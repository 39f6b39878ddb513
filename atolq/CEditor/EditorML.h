// Evaluating an object's text in the ML evaluator from the editor: the
// answer is written piece by piece into the object's ML region (region kind
// -4), and the object is drawn with a thick patterned line meanwhile.
#pragma once

#include <cstdint>

inline constexpr int32_t kMLRegionKind = -4;

// The object's ML region, created when missing; 0 on failure.
uint32_t GE_GetMLRegion(uint32_t object);
uint32_t GE_CreateMLRegion(uint32_t object);
// 1 done, negative: the evaluator link's error code.
int GE_EvaluateObjectText(uint32_t object, uint32_t mlRegion);
