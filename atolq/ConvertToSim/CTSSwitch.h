// The switch from the editor to the simulator: the generation state shared by
// the code generator's steps (buffers, continue flag, progress), and the walk
// that defines the fusion states, page types and states, transition code and
// the fusion-state initialiser.
#pragma once

#include <cstdint>
#include <string_view>

#include "atolq/AEditor/SERecords.h"
#include "atolq/Utils/MemFile.h"

#include "atolq/CEditor/Progress.h"

// The net layer's request, reply and input buffers and the switch's state.
struct CTSGenState {
    MemFile* request = nullptr;
    MemFile* reply = nullptr;
    MemFile* input = nullptr;
    int continueFlag = 1;
    ProgressCallback callback = nullptr;
    ProgressRecord progress{};
};
CTSGenState& CTSState();

// Calls the progress callback (when one is installed); nonzero to go on.
// Calls the switch's progress hook; 0 when the user asked to stop.
int CTSGenProgress();
// Empties the request buffer and writes the text into it.
void CTSSetRequest(std::string_view text);
// Evaluates the request buffer; with cr, the reply buffer is emptied first
// and given one carriage return.
int16_t CTSEvaluate(bool cr = true);
// Empties the reply buffer, sets the request to text and evaluates it.
int16_t CTSSend(std::string_view text, bool cr = true);

int CTSGenerateSimCode(ProgressCallback callback);
int CTSAnyUnchecked();
int CTSPagePass(SEPage* page, int action);
int CTSDefineFusionState(SEPlaceFusSet* set);
int CTSInitFusionStates();
