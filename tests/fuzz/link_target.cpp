// Fuzz target: what the evaluator sends over its link. The bytes arrive on
// real socket pairs standing in for the evaluator's channels, and tolq's own
// readers take them: the wait loop serving numbered kernel requests, table
// calls, chart callbacks and Pantel requests between typed field lists; an
// evaluation's reply on the text channel and the reply readers after it; and
// the control frames of a remote evaluator.
//
// Input: byte 0 picks the reader, bytes 1-2 (big-endian) how many of the
// following bytes go to the binary channel; the rest goes to the text
// channel (or to the control stream).
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <span>

#include "NetSession.h"
#include "atolq/CEditor/RXLNets.h"
#include "atolq/Chart/ChartRequests.h"
#include "atolq/OGA/OGAUtils.h"
#include "atolq/SML/SMLInstall.h"
#include "atolq/SML/SMLLink.h"
#include "atolq/SML/SMLWait.h"
#include "atolq/SmlEval/SmlEval.h"
#include "xkv/kv/QXMem.h"

namespace {

// One channel: the evaluator's end holds the bytes and is shut for writing,
// tolq's end reads them.
struct Channel {
    int tolqEnd = -1;
    int peerEnd = -1;

    bool open(std::span<const uint8_t> bytes)
    {
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
            return false;
        tolqEnd = ends[0];
        peerEnd = ends[1];
        const int size = 1 << 20;
        setsockopt(peerEnd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        setsockopt(tolqEnd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        size_t at = 0;
        while (at < bytes.size()) {
            const ssize_t sent = send(peerEnd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent <= 0)
                break;
            at += static_cast<size_t>(sent);
        }
        shutdown(peerEnd, SHUT_WR);
        return true;
    }
    void drain() const
    {
        std::array<char, 4096> sink;
        while (peerEnd >= 0 && recv(peerEnd, sink.data(), sink.size(), MSG_DONTWAIT) > 0) {
        }
    }
    ~Channel()
    {
        if (tolqEnd >= 0)
            close(tolqEnd);
        if (peerEnd >= 0)
            close(peerEnd);
    }
};

void InstallServersOnce()
{
    static const bool installed = [] {
        ChartInstallRequests();
        RXLInstallRequests();
        OGAInstallTableRows();
        SMLInstallRequests();
        return true;
    }();
    (void)installed;
}

void ReleaseLink()
{
    SMLLinkState& link = SMLLink();
    link.binaryIn.reset();
    link.binaryOut.reset();
    link.textIn.reset();
    link.textOut.reset();
    link.controlIn.reset();
    link.controlOut.reset();
    link.binaryFd = link.textFd = link.controlFd = -1;
    link.kind = kSMLKindNone;
    link.linkError = kMLErrNone;
}

void FreeFields(NSField* fields, uint32_t count)
{
    if (fields == nullptr)
        return;
    for (uint32_t i = 0; i < count; ++i)
        QXMem_Free(fields[i].value);
    QXMem_Free(fields);
}

// Field lists, with every request before them served, until the link breaks.
void ReadFieldLists(const Channel& binary)
{
    for (int round = 0; round < 64 && SMLLink().kind != kSMLKindNone; ++round) {
        NSField* fields = nullptr;
        uint32_t count = 0;
        const int result = SMLReceiveFields(&fields, &count, 1);
        binary.drain();
        if (result == 0)
            FreeFields(fields, count);
        else
            break;
    }
}

// One evaluation's reply, then the readers that pick values out of it.
void ReadReply(const Channel& binary)
{
    MemFile* request = MemFileCreate();
    MemFile* reply = MemFileCreate();
    if (request != nullptr && reply != nullptr) {
        MemFileWrite(request, "1;", 2);
        SMLEvaluate(request, reply);
        binary.drain();
        SMLClassifyReply(reply);
        char* text = nullptr;
        MemFileRewind(reply);
        if (SMLGetText(reply, &text) == 0 && text != nullptr)
            QXMem_Free(text);
        uint32_t value = 0;
        MemFileRewind(reply);
        SMLGetInt(reply, &value);
        SMLTriple triple{};
        MemFileRewind(reply);
        if (SMLReadTriple(reply, &triple) == 0) {
            QXMem_Free(triple.first);
            QXMem_Free(triple.second);
        }
    }
    MemFileDestroy(request);
    MemFileDestroy(reply);
}

void ReadControlFrames(std::span<const uint8_t> bytes)
{
    Channel control;
    if (!control.open(bytes))
        return;
    SMLStreamPtr in = SMLOpenIn(control.tolqEnd);
    std::array<char, kSMLControlMax> buffer{};
    uint32_t type = 0, length = 0;
    for (int round = 0; in && round < 1024 && SMLReceiveControl(in.get(), &type, &length, buffer) != 0; ++round) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const int mode = data[0] % 3;
    const std::span<const uint8_t> rest(data + 3, size - 3);
    const size_t binaryLength = std::min<size_t>((size_t{data[1]} << 8) | data[2], rest.size());
    const auto binaryBytes = rest.first(binaryLength);
    const auto textBytes = rest.subspan(binaryLength);
    if (mode == 2) {
        ReadControlFrames(rest);
        return 0;
    }

    InstallServersOnce();
    fuzz::NetSession session;
    Channel binary, text;
    if (!binary.open(binaryBytes) || !text.open(textBytes))
        return 0;
    SMLLinkState& link = SMLLink();
    link.binaryFd = binary.tolqEnd;
    link.textFd = text.tolqEnd;
    link.binaryIn = SMLOpenIn(binary.tolqEnd);
    link.binaryOut = SMLOpenOut(binary.tolqEnd);
    link.textIn = SMLOpenIn(text.tolqEnd);
    link.textOut = SMLOpenOut(text.tolqEnd);
    link.kind = kSMLKindNJ;
    if (mode == 0)
        ReadFieldLists(binary);
    else
        ReadReply(binary);
    ReleaseLink();
    return 0;
}
