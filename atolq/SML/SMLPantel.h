// Pantel requests of the evaluator: describing a node found by its page's
// name and its name text, and letting the user pick a part of a node.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "atolq/SML/SMLGram.h"
#include "atolq/SML/SMLWire.h"

// Runs one request; 0 with the reply written, -1 for an unknown request, one
// whose operations are not there, or a malformed one.
int SMLPantelSwitch(std::span<const uint8_t> request, SMLWireOut& reply);

// The number of the object's regions, counted down through the regions of
// regions.
uint32_t SMLCountRegions(ObjectHandle object);
// The object, then the regions of each gathered object in turn, down
// through the regions of regions.
std::vector<ObjectHandle> SMLGatherWithRegions(ObjectHandle object);

// Binds a request code to its handler; false for a code that is not one.
bool SMLSetPantelHandler(uint32_t code, SMLGramHandler handler);
