// Pantel requests of the evaluator: describing a node found by its page's
// name and its name text, and letting the user pick a part of a node.
#pragma once

#include <cstdint>
#include <span>

#include "atolq/SML/SMLWire.h"

// Runs one request; 0 with the reply written, -1 for an unknown request, one
// whose operations are not there, or a malformed one.
int SMLPantelSwitch(std::span<const uint8_t> request, SMLWireOut& reply);
