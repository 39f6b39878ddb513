// Servers of the evaluator's calls, run by the wait loop: numbered kernel
// requests, table calls, chart callback procedures and Pantel requests. Each
// reads its request completely, so the channel stays in step, runs it and
// answers, or answers with the failure opcode of its kind. A request whose
// layout cannot be read to its end marks the link broken.
#include <algorithm>
#include <cstring>
#include <vector>

#include "atolq/SML/SMLGram.h"
#include "atolq/SML/SMLLink.h"
#include "atolq/SML/SMLPantel.h"
#include "atolq/SML/SMLTable.h"
#include "atolq/SML/SMLWait.h"

namespace {

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

int answer(SMLStream* out, uint32_t opcode, const SMLWireOut& reply) {
    const auto& bytes = reply.bytes();
    auto n = static_cast<uint32_t>(bytes.size());
    return SMLPutU32(out, opcode) && SMLPutU32(out, n) && SMLPutBytes(out, bytes.data(), n) && SMLFlush(out);
}

// Reads word n and n bytes into body. 1 read; 0 when the request cannot be
// read (the link is then out of step); -1 read and dropped because it is
// longer than a request may be.
int readCounted(SMLStream* in, std::vector<uint8_t>* body) {
    uint32_t length;
    if (!SMLGetU32(in, &length) || length > kSMLMaxCounted) return 0;
    if (length > kSMLMaxRequest) return SMLSkipBytes(in, length) ? -1 : 0;
    body->resize(length);
    return SMLGetBytes(in, body->data(), length) ? 1 : 0;
}

using Switch = int (*)(std::span<const uint8_t> request, SMLWireOut& reply);

int serveCounted(SMLStream* in, SMLStream* out, Switch run, uint32_t okOpcode, uint32_t failOpcode) {
    std::vector<uint8_t> body;
    int read = readCounted(in, &body);
    if (read == 0) return malformed(out, failOpcode);
    SMLWireOut reply;
    if (read < 0 || run(body, reply) != 0) return answerFailure(out, failOpcode);
    return answer(out, okOpcode, reply);
}

// Chart callbacks: the code and the chart's name, then the code's arguments,
// served by the charts once they have bound their server.
SMLChartServer chartServer = nullptr;

int chartSwitch(std::span<const uint8_t> request, SMLWireOut& reply) {
    return chartServer != nullptr ? chartServer(request, reply) : -1;
}

} // namespace

void SMLSetChartServer(SMLChartServer server) { chartServer = server; }

int SMLServeGramRequest(SMLStream* in, SMLStream* out) {
    return serveCounted(in, out, SMLGramSwitch, kOpGramAnswer, kOpGramFailed);
}

int SMLServeCallback(SMLStream* in, SMLStream* out) {
    return serveCounted(in, out, chartSwitch, kOpCallbackAnswer, kOpCallbackFailed);
}

int SMLServePantelRequest(SMLStream* in, SMLStream* out) {
    return serveCounted(in, out, SMLPantelSwitch, kOpPantelAnswer, kOpPantelFailed);
}

int SMLServeTableCall(SMLStream* in, SMLStream* out) {
    SMLTableCall call;
    bool refused = false;
    if (!SMLReadTableCall(in, &call, &refused)) return malformed(out, kOpTableRefused);
    if (refused || !SMLRunTableCall(call)) return answerFailure(out, kOpTableRefused);
    return SMLWriteTableAnswer(out, call);
}

// A numbered request that the caller already holds in a message: the reply
// replaces the request in the message (from a vector when it is longer than
// the message's data), which is sent back with status 2, or with status 4 and
// no data when the request failed (the status word alone is sent). A long request area is the caller's and
// is only let go of here.
int SMLServeGramMsg(SMLMsg* message) {
    constexpr int kSendFailed = -7;
    const char* bytes = message->longData != nullptr ? message->longData : message->data.data();
    const uint32_t length =
        message->longData != nullptr ? message->length : std::min<uint32_t>(message->length, kSMLBufferSize);
    SMLWireOut reply;
    const bool served =
        SMLGramSwitch(std::span(reinterpret_cast<const uint8_t*>(bytes), length), reply) == 0;
    message->longData = nullptr;
    const auto& answer = reply.bytes();
    message->status = served ? kOpGramAnswer : kOpGramFailed;
    message->length = served ? static_cast<uint32_t>(answer.size()) : 0;
    if (served) std::memcpy(message->data.data(), answer.data(), std::min<size_t>(answer.size(), kSMLBufferSize));
    SMLStream* out = SMLLink().binaryOut.get();
    if (out == nullptr) return kSendFailed;
    // A failure travels as its opcode alone, as the evaluator reads it; a
    // length word after it would put the channel out of step.
    const bool sent = SMLPutU32(out, message->status) &&
                      (!served || (SMLPutU32(out, message->length) &&
                                   SMLPutBytes(out, answer.data(), message->length))) &&
                      SMLFlush(out);
    return sent ? 0 : kSendFailed;
}
