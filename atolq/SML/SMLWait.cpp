// The wait loop of the evaluator link, the text channel's send and receive,
// and the ring of pending evaluation requests with its echo stripping.
#include "atolq/SML/SMLWait.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <string_view>
#include <sys/select.h>

#include "atolq/SML/SMLLink.h"

namespace {

struct Ring {
    std::array<SMLPending, kSMLRingSize> entries{};
    int count = 0;
    int readIndex = 0;
    int writeIndex = 0;
    SMLMsg message;                             // receives the ring's reply chunks
    std::array<char, kSMLBufferSize + 1> chunk{}; // the head's latest chunk, NUL-ended
    char headLastByte = 0;                      // last byte of the head's previous chunk
};

Ring g_ring;

constexpr std::string_view kNotEvaluated("<error: object not evaluated>\0", 30);

// Decides a chunk's status from its last bytes and drops the terminator.
void classifyChunk(SMLMsg* message, uint32_t received) {
    const char* data = message->data.data();
    char last = data[received - 1];
    if (last == '\001') {
        message->status = kReplyDone;
        message->length = received - 1;
    } else if (last == '\002') {
        char before = received >= 2 ? data[received - 2] : 0;
        message->status = before == '2' ? kReplyClass2 : before == '3' ? kReplyClass3 : kReplyFailed;
        message->length = received >= 2 ? received - 2 : 0;
    } else {
        message->status = kReplyMore;
        message->length = received;
    }
}

// One receive on the text channel, which the caller knows to be readable.
int receiveTextChunk(SMLMsg* message) {
    SMLLinkState& link = SMLLink();
    message->longData = nullptr;
    uint32_t received = kSMLBufferSize;
    if (link.textFd < 0 || !SMLRecvRaw(link.textFd, message->data.data(), &received)) {
        SMLMarkBroken(kMLErrNone);
        return -8;
    }
    classifyChunk(message, received);
    return 1;
}

bool textReadableNow() {
    int fd = SMLLink().textFd;
    if (fd < 0) return false;
    pollfd entry{fd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&entry, 1, 0);
    } while (ready < 0 && errno == EINTR);
    return ready == 1;
}

int serveRequest(uint32_t opcode, SMLStream* in, SMLStream* out) {
    switch (opcode) {
    case kOpGramRequest: return SMLServeGramRequest(in, out);
    case kOpTableCall: return SMLServeTableCall(in, out);
    case kOpCallback: return SMLServeCallback(in, out);
    default: return SMLServePantelRequest(in, out);
    }
}

// Drops the echo lines that the evaluator prints around text it reads.
std::string_view stripLeadingEcho(std::string_view chunk, int kind) {
    auto dropPrefix = [&](std::string_view echo) {
        if (chunk.size() > echo.size() && chunk.substr(0, echo.size()) == echo)
            chunk.remove_prefix(echo.size() + 1);
    };
    if (kind == kSMLKindOld) {
        dropPrefix("> () : unit");
        dropPrefix("[Opening <string>]");
    } else {
        dropPrefix("[opening <instream>]");
    }
    return chunk;
}

std::string_view stripTrailingEcho(std::string_view chunk, int kind) {
    std::string_view echo = kind == kSMLKindOld ? "[Closing <string>]" : "[closing <instream>]";
    if (chunk.size() > echo.size() && chunk.substr(chunk.size() - echo.size() - 1, echo.size()) == echo)
        chunk.remove_suffix(echo.size() + 1);
    return chunk;
}

void clearRunState(SMLPending& entry) {
    entry.status = 0;
    entry.counters[0] = entry.counters[1] = 0;
}

bool sendHead() {
    SMLPending& head = g_ring.entries[g_ring.readIndex];
    g_ring.headLastByte = 0;
    if (head.beforeSend) head.beforeSend(&head);
    SMLLinkState& link = SMLLink();
    SMLStream* out = link.binaryOut.get();
    uint32_t length = head.request ? head.requestLength : 0;
    if (link.kind == kSMLKindNone || !out || !SMLPutU32(out, kOpEvaluate) || !SMLPutU32(out, length) ||
        !SMLPutBytes(out, head.request, length) || !SMLFlush(out)) {
        SMLMarkBroken(kMLErrNone);
        return false;
    }
    return true;
}

// Hands one received chunk to the head entry. 1 when it completed the head,
// 0 when more follows (or the ring is empty), -56 for an unknown status.
int processChunk(const SMLMsg& message) {
    if (g_ring.count == 0) return 0;
    SMLPending& head = g_ring.entries[g_ring.readIndex];
    uint32_t status = message.status;
    // A terminator split over two receives: '2' or '3' ended the previous chunk.
    if (status == kReplyFailed && message.length == 0) {
        if (g_ring.headLastByte == '2') status = kReplyClass2;
        if (g_ring.headLastByte == '3') status = kReplyClass3;
    }
    bool last = status == kReplyDone || status == kReplyClass2 || status == kReplyClass3 ||
                status == kReplyFailed;
    if (!last && status != kReplyMore) return kRingBadStatus;

    std::string_view chunk(message.data.data(), message.length);
    int kind = SMLLink().kind;
    chunk = stripLeadingEcho(chunk, kind);
    if (last) chunk = stripTrailingEcho(chunk, kind);
    if (!chunk.empty()) g_ring.headLastByte = chunk.back();
    std::memcpy(g_ring.chunk.data(), chunk.data(), chunk.size());
    g_ring.chunk[chunk.size()] = '\0';
    head.status = status;
    head.chunk = g_ring.chunk.data();
    head.chunkLength = static_cast<uint32_t>(chunk.size());
    if (head.onChunk) head.onChunk(&head);
    if (!last || g_ring.count == 0) return 0;

    if (!head.onComplete || head.onComplete(&head)) {
        if (g_ring.count == 0) return 1;
        g_ring.count -= 1;
        g_ring.readIndex = (g_ring.readIndex + 1) % kSMLRingSize;
    } else {
        clearRunState(head);
    }
    return 1;
}

// Processes a received chunk, or on a receive failure completes the head with
// the error text; sends the next head when one is due.
int takeChunk(int received) {
    if (received < 0) {
        SMLMarkBroken(kMLErrNone);
        SMLMsg& message = g_ring.message;
        std::memcpy(message.data.data(), kNotEvaluated.data(), kNotEvaluated.size());
        message.length = static_cast<uint32_t>(kNotEvaluated.size());
        message.status = kReplyDone;
        processChunk(message);
        return kRingReceiveFailed;
    }
    if (received == 0) return 0;
    int processed = processChunk(g_ring.message);
    if (processed < 0) return processed;
    if (processed == 1 && g_ring.count > 0 && !sendHead()) return kRingSendFailed;
    return 0;
}

} // namespace

int SMLSelect(int binaryFd, int textFd, int noWait, int* readiness) {
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        int highest = -1;
        for (int fd : {binaryFd, textFd}) {
            if (fd < 0 || fd >= FD_SETSIZE) continue;
            FD_SET(fd, &readable);
            if (fd > highest) highest = fd;
        }
        if (highest < 0) return 0;
        timeval zero{0, 0};
        int ready = select(highest + 1, &readable, nullptr, nullptr, noWait ? &zero : nullptr);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return 0;
        }
        if (binaryFd >= 0 && FD_ISSET(binaryFd, &readable))
            *readiness = 1;
        else if (textFd >= 0 && FD_ISSET(textFd, &readable))
            *readiness = 2;
        else
            *readiness = 0;
        return 1;
    }
}

int SMLWaitEvent(int block, uint32_t* expectation) {
    SMLLinkState& link = SMLLink();
    SMLStream* in = link.binaryIn.get();
    SMLStream* out = link.binaryOut.get();
    if (!in || !out || link.textFd < 0) {
        SMLMarkBroken(kMLErrChannel);
        return 0;
    }
    // After the binary channel ends, text that is already on its way may still be read.
    bool binaryOpen = true;
    for (;;) {
        int readiness = 0;
        if (binaryOpen && SMLHasBuffered(in))
            readiness = 1;
        else if (!SMLSelect(binaryOpen ? link.binaryFd : -1, link.textFd, !block, &readiness)) {
            SMLMarkBroken(kMLErrChannel);
            return 0;
        }

        if (readiness == 1) {
            uint32_t opcode;
            if (!SMLGetU32(in, &opcode)) {
                SMLMarkBroken(kMLErrChannel);
                if (*expectation != kWaitText) return 0;
                binaryOpen = false;
                continue;
            }
            switch (opcode) {
            case kOpGramRequest:
            case kOpTableCall:
            case kOpCallback:
            case kOpPantel:
                serveRequest(opcode, in, out);
                // A server that met a malformed request has marked the link broken.
                if (link.kind == kSMLKindNone) return 0;
                continue;
            case kOpFields:
                if (*expectation == kWaitFields) return 1;
                SMLMarkBroken(kMLErrChannel);
                return 0;
            case kOpResult:
                SMLMarkBroken(kMLErrChannel);
                return 0;
            default: continue;
            }
        }
        if (readiness == 2) {
            if (*expectation == kWaitText) return 1;
            if (SMLTakeStrayText() < 0) return 0;
            continue;
        }
        *expectation = kWaitNothing;
        return 1;
    }
}

int SMLSendText(SMLMsg* message) {
    SMLLinkState& link = SMLLink();
    SMLStream* out = link.binaryOut.get();
    if (link.kind == kSMLKindNone || !out) return -7;
    const char* text = message->longData ? message->longData : message->data.data();
    if (!message->longData && message->length > message->data.size()) return -7;
    message->status = kReplySending;
    if (!SMLPutU32(out, kOpEvaluate) || !SMLPutU32(out, message->length) ||
        !SMLPutBytes(out, text, message->length) || !SMLFlush(out)) {
        SMLMarkBroken(kMLErrNone);
        return -7;
    }
    return 0;
}

int SMLSendInput(const void* bytes, uint32_t count) {
    SMLLinkState& link = SMLLink();
    SMLStream* out = link.textOut.get();
    if (link.kind == kSMLKindNone || !out) return -7;
    if (!SMLPutBytes(out, bytes, count) || !SMLFlush(out)) {
        SMLMarkBroken(kMLErrNone);
        return -7;
    }
    return 0;
}

int SMLReceiveText(SMLMsg* message, int noWait) {
    uint32_t expectation = kWaitText;
    if (!SMLWaitEvent(noWait ? 0 : 1, &expectation)) {
        SMLMarkBroken(kMLErrNone);
        return -8;
    }
    if (expectation == kWaitNothing) return 0;
    return receiveTextChunk(message);
}

int SMLSessionInit() { return SMLSessionReset(); }

int SMLSessionReset() {
    g_ring.count = 0;
    g_ring.readIndex = 0;
    g_ring.writeIndex = 0;
    g_ring.headLastByte = 0;
    return 0;
}

int SMLSubmit(const SMLPending* entry, int noWait) {
    if (SMLLink().kind == kSMLKindNone) return kRingNotConnected;
    if (!noWait && g_ring.count > 0) return kRingBusy;
    if (g_ring.count == kSMLRingSize) return kRingFull;
    SMLPending& slot = g_ring.entries[g_ring.writeIndex];
    slot = *entry;
    clearRunState(slot);
    g_ring.count += 1;
    g_ring.writeIndex = (g_ring.writeIndex + 1) % kSMLRingSize;
    if (g_ring.count > 1) return 0;
    if (!sendHead()) return kRingSendFailed;
    if (noWait) return 0;
    while (g_ring.count > 0) {
        int result = takeChunk(SMLReceiveText(&g_ring.message, 0));
        if (result < 0) return result;
    }
    return 0;
}

int SMLPollPending() {
    if (g_ring.count == 0) return 0;
    return takeChunk(SMLReceiveText(&g_ring.message, 1));
}

int SMLTakeStrayText() {
    // Called from inside a wait: read the text directly, without waiting again.
    if (!textReadableNow()) return 0;
    return takeChunk(receiveTextChunk(&g_ring.message));
}
