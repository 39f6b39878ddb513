// Servers of the evaluator's calls that have no handler in the program yet:
// each reads its request completely, so the channel stays in step, and
// answers with the failure opcode of its kind. A request that cannot be read
// to its end marks the link broken.
#include "atolq/SML/SMLLink.h"
#include "atolq/SML/SMLWait.h"

namespace {

constexpr uint32_t kTableSlotsMax = 6;

uint32_t padOf(uint32_t length) { return (4 - length % 4) % 4; }

int answerFailure(SMLStream* out, uint32_t opcode) {
    SMLPutU32(out, opcode);
    SMLFlush(out);
    return 0;
}

int malformed(SMLStream* out, uint32_t opcode) {
    answerFailure(out, opcode);
    SMLMarkBroken(kMLErrChannel);
    return 0;
}

// A request made of word n and n bytes.
int refuseCountedRequest(SMLStream* in, SMLStream* out, uint32_t failureOpcode) {
    uint32_t length;
    if (!SMLGetU32(in, &length) || !SMLSkipBytes(in, length)) return malformed(out, failureOpcode);
    return answerFailure(out, failureOpcode);
}

bool skipCounted(SMLStream* in) {
    uint32_t length;
    return SMLGetU32(in, &length) && length <= kSMLMaxCounted && SMLSkipBytes(in, length + padOf(length));
}

// Reads the input value of one argument slot of a table call.
bool skipSlotInput(SMLStream* in, uint32_t mode, uint32_t type) {
    if (mode == 4) return true; // the result slot carries no value
    bool input = mode == 1 || mode == 3;
    uint32_t word;
    switch (type) {
    case 1:
    case 3:
    case 5: return !input || SMLGetU32(in, &word);
    case 2:
    case 6:
    case 7: return !input || skipCounted(in);
    case 8: return input ? skipCounted(in) : SMLGetU32(in, &word);
    default: return true; // type 4 carries nothing
    }
}

} // namespace

int SMLServeGramRequest(SMLStream* in, SMLStream* out) {
    return refuseCountedRequest(in, out, kOpGramFailed);
}

int SMLServeCallback(SMLStream* in, SMLStream* out) {
    return refuseCountedRequest(in, out, kOpCallbackFailed);
}

int SMLServePantelRequest(SMLStream* in, SMLStream* out) {
    return refuseCountedRequest(in, out, kOpPantelFailed);
}

int SMLServeTableCall(SMLStream* in, SMLStream* out) {
    constexpr uint32_t refused = kOpTableRefused;
    uint32_t row, slots, type, mode;
    if (!SMLGetU32(in, &row) || !SMLGetU32(in, &slots) || slots > kTableSlotsMax) return malformed(out, refused);
    for (uint32_t slot = 0; slot < slots; ++slot) {
        mode = 4;
        if (slot > 0 && !SMLGetU32(in, &mode)) return malformed(out, refused);
        if (!SMLGetU32(in, &type) || type < 1 || type > 8) return malformed(out, refused);
        // A block as result is refused like any call here; its layout is still known.
        bool modeKnown = slot == 0 || (mode >= 1 && mode <= 3);
        if (!modeKnown || !skipSlotInput(in, mode, type)) return malformed(out, refused);
    }
    return answerFailure(out, refused);
}
