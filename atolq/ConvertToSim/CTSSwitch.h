// The switch from the editor to the simulator: evaluating the generated
// texts through the module's buffers, and the walk that defines the fusion states, page types and states, transition code and
// the fusion-state initialiser.
#pragma once

#include <cstdint>
#include <string_view>

#include "atolq/AEditor/SERecords.h"
#include "atolq/Utils/MemFile.h"

#include "atolq/ConvertToSim/CTSModule.h"

// Empties the request buffer and writes the text into it.
void CTSSetRequest(std::string_view text);
// Evaluates the request buffer; with cr, the reply buffer is emptied first
// and given one carriage return. Fails with the link's send code while no
// evaluator is up.
int16_t CTSEvaluate(bool cr = true);
// Empties the reply buffer, sets the request to text and evaluates it.
int16_t CTSEvaluateText(std::string_view text, bool cr = true);

int CTSGenerateSimCode(ProgressCallback callback);
int CTSAnyUnchecked();
// 1 to go on with a switch: some page is prime, or the user chose not to
// return to the editor when asked; 0 to return.
int CTSCheckPrimePages();
int CTSPagePass(SEPage* page, int action);
int CTSDefineFusionState(SEPlaceFusSet* set);
int CTSInitFusionStates();
