// The binary channel's opcodes, the one wait loop that serves the evaluator's
// calls while the program waits for its text, the text channel's message
// buffer, and the ring of pending evaluation requests of the editor.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "atolq/SML/SMLStream.h"

// First word of every message on the binary channel; the numbers mean
// different things in the two directions.
enum MLChannelOpcode : uint32_t {
    // To the evaluator.
    kOpEvaluate = 1,        // ML text
    kOpGramAnswer = 2,      // answer to a numbered request
    kOpGramFailed = 4,      // the numbered request failed
    kOpTableAnswer = 5,     // answer to a table call
    kOpTableRefused = 6,    // the table call was refused
    kOpCallbackAnswer = 7,  // answer to a callback procedure
    kOpCallbackFailed = 8,  // the callback procedure failed
    kOpSendFields = 9,      // typed field list
    kOpPantelAnswer = 10,   // answer to a Pantel request
    kOpPantelFailed = 11,   // the Pantel request failed
    // From the evaluator.
    kOpResult = 3,          // never expected: ends the wait with an error
    kOpGramRequest = 4,     // numbered request
    kOpTableCall = 5,       // table call
    kOpCallback = 6,        // callback procedure
    kOpFields = 7,          // typed field list
    kOpPantel = 8,          // Pantel request
};

// Status of one received chunk of reply text, from its last byte(s).
enum MLReplyStatus : uint32_t {
    kReplySending = 1,
    kReplyDone = 100,    // ended with \001
    kReplyMore = 101,    // more text follows
    kReplyClass2 = 102,  // ended with '2' \002
    kReplyClass3 = 103,  // ended with '3' \002
    kReplyFailed = 104,  // ended with another byte and \002, or a lone \002
};

// Wait expectations of SMLWaitEvent.
inline constexpr uint32_t kWaitText = 0;
inline constexpr uint32_t kWaitFields = 2;
inline constexpr uint32_t kWaitNothing = 3;

// One message buffer of the link: a text shorter than the buffer lives in
// data, a longer one is sent from longData (not owned).
struct SMLMsg {
    uint32_t status = 0;
    uint32_t length = 0;
    std::array<char, kSMLBufferSize> data{};
    const char* longData = nullptr;
};

// One pending evaluation request of the ring, filled by the requester.
struct SMLPending;
using SMLPendingCallback = int (*)(SMLPending* entry);
struct SMLPending {
    uint32_t status = 0;            // 0 while queued or sending, then the latest MLReplyStatus
    const char* request = nullptr;  // request text, kept alive by the requester
    const char* chunk = nullptr;    // latest reply chunk, valid during the chunk callback
    uint32_t requestLength = 0;
    uint32_t chunkLength = 0;
    SMLPendingCallback beforeSend = nullptr;
    SMLPendingCallback onChunk = nullptr;
    SMLPendingCallback onComplete = nullptr; // nonzero finishes the entry, 0 sends it again
    uint32_t counters[2] = {};
    uint32_t data[2] = {};
};

inline constexpr int kSMLRingSize = 20;

// Codes of the ring.
inline constexpr int kRingSendFailed = -1;
inline constexpr int kRingReceiveFailed = -8;
inline constexpr int kRingBusy = -50;
inline constexpr int kRingFull = -51;
inline constexpr int kRingNotConnected = -54;
inline constexpr int kRingBadStatus = -56;

int SMLWaitEvent(int block, uint32_t* expectation);
int SMLSelect(int binaryFd, int textFd, int noWait, int* readiness);

int SMLSessionInit();
int SMLSessionReset();
int SMLSubmit(const SMLPending* entry, int noWait);
int SMLPollPending();
int SMLTakeStrayText();

// Text-channel exchange of one message.
int SMLSendText(SMLMsg* message);
int SMLSendInput(const void* bytes, uint32_t count);
int SMLReceiveText(SMLMsg* message, int noWait);

// Servers of the evaluator's calls, run by the wait loop with the binary
// channel's input and output streams; 1 answered, 0 answered with failure.
int SMLServeGramRequest(SMLStream* in, SMLStream* out);
int SMLServeTableCall(SMLStream* in, SMLStream* out);
int SMLServeCallback(SMLStream* in, SMLStream* out);
int SMLServePantelRequest(SMLStream* in, SMLStream* out);
// A numbered request already held in a message (its bytes from the code on),
// answered on the binary channel with the message's status, length and the
// reply; 0, or -7 when the answer cannot be sent.
int SMLServeGramMsg(SMLMsg* message);

// The server of the chart callbacks (code, chart name, arguments), bound by
// the charts: 0 with the answer in reply, non-zero for a failed request.
// Without one every chart callback fails.
class SMLWireOut;
using SMLChartServer = int (*)(std::span<const uint8_t> request, SMLWireOut& reply);
void SMLSetChartServer(SMLChartServer server);
