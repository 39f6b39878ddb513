// Numbered kernel requests of the evaluator: the request codes, each bound to
// one function of the kernel's programming interface (or, from 15000 up, of
// the net layer), and the switch that decodes a request and writes its reply.
#pragma once

#include <cstdint>
#include <span>

#include "atolq/SML/SMLWire.h"

// Reads the arguments from in and writes the reply to out; false when the
// arguments do not fit the request or the operation cannot run.
using SMLGramHandler = bool (*)(SMLWireIn& in, SMLWireOut& out);

// Runs one request (code and arguments); 0 with the reply in reply, -1 for an
// unknown code, a code whose operation is not there, or a malformed request.
int SMLGramSwitch(std::span<const uint8_t> request, SMLWireOut& reply);

// Binds a code of the table to its handler (the operations that tolq binds as
// it starts); false for a code that is not in the table.
bool SMLSetGramHandler(uint32_t code, SMLGramHandler handler);

// Brings the display up to date after a served request.
void SMLSynchronizeDisplay();

// The largest request body the program takes.
inline constexpr uint32_t kSMLMaxRequest = 4096;
