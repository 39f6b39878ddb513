// Queries over selections and over the abstract net: the objects of a list
// that match given role masks, and the results of a data-base query.
#pragma once

#include <cstdint>

#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/SelectionFilters.h"

// Called with each result of a query; 0 stops the walk.
using EQQueryFunction = int (*)(uintptr_t result, void* argument);

// Runs the query from the iterator's input and calls the function for each
// result until it returns 0; the last result of the function (0 when the
// query could not start, 1 when it gave nothing).
int EQ_ForEachInQuery(uint16_t query, EQQueryFunction function, SEIter* iterator, void* argument = nullptr);

// Calls the callback for each object of the list that matches the type bits
// and the net or graphic mask (the bits of the classifier); 1 unless the
// callback stopped the walk (0). An empty list or no callback gives 0; no
// type bits, no masks, or a first object of another type give 1 at once.
int EQ_ForEachMatching(uint32_t count, const uint32_t* objects, uint32_t typeBits, uint32_t netMask,
                       uint32_t graphicMask, EQFilter callback, void* argument);
