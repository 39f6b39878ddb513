// Buffered streams and wire framing of the evaluator link.
#include "atolq/SML/SMLStream.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <new>
#include <sys/socket.h>

namespace {

uint32_t padOf(uint32_t length) { return (4 - length % 4) % 4; }

SMLStreamPtr openStream(int fd) {
    SMLStreamPtr stream(new (std::nothrow) SMLStream);
    if (stream) stream->fd = fd;
    return stream;
}

// Refills the whole input buffer with one receive.
int refill(SMLStream* in) {
    uint32_t count = kSMLBufferSize;
    if (!SMLRecvRaw(in->fd, in->buffer.data(), &count)) return 0;
    in->position = 0;
    in->filled = count;
    return 1;
}

} // namespace

SMLStreamPtr SMLOpenOut(int fd) { return openStream(fd); }
SMLStreamPtr SMLOpenIn(int fd) { return openStream(fd); }

int SMLCloseOut(SMLStreamPtr& stream) {
    if (!stream) return 0;
    stream.reset();
    return 1;
}

int SMLCloseIn(SMLStreamPtr& stream) { return SMLCloseOut(stream); }

int SMLStreamFd(const SMLStream* stream) { return stream ? stream->fd : -1; }

int SMLRecvRaw(int fd, void* buffer, uint32_t* count) {
    ssize_t got;
    do {
        got = recv(fd, buffer, *count, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 1) return 0;
    *count = static_cast<uint32_t>(got);
    return 1;
}

int SMLSendRaw(int fd, const void* buffer, uint32_t* count) {
    ssize_t sent;
    do {
        sent = send(fd, buffer, *count, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent < 1) return 0;
    *count = static_cast<uint32_t>(sent);
    return 1;
}

int SMLFlush(SMLStream* out) {
    uint32_t sent = 0;
    while (sent < out->position) {
        uint32_t count = out->position - sent;
        if (!SMLSendRaw(out->fd, out->buffer.data() + sent, &count)) {
            // Keep what was not sent at the front, so the buffer stays consistent.
            std::memmove(out->buffer.data(), out->buffer.data() + sent, out->position - sent);
            out->position -= sent;
            return 0;
        }
        sent += count;
    }
    out->position = 0;
    return 1;
}

int SMLPutBytes(SMLStream* out, const void* bytes, uint32_t count) {
    auto* source = static_cast<const uint8_t*>(bytes);
    for (;;) {
        if (out->position == kSMLBufferSize && !SMLFlush(out)) return 0;
        uint32_t room = kSMLBufferSize - out->position;
        uint32_t step = std::min(room, count);
        if (step > 0) std::memcpy(out->buffer.data() + out->position, source, step);
        out->position += step;
        source += step;
        count -= step;
        if (count == 0) return 1;
    }
}

int SMLPutU32(SMLStream* out, uint32_t value) {
    if (kSMLBufferSize - out->position < 4 && !SMLFlush(out)) return 0;
    uint32_t wire = htonl(value);
    std::memcpy(out->buffer.data() + out->position, &wire, 4);
    out->position += 4;
    return 1;
}

int SMLPutInt(SMLStream* out, int32_t value) { return SMLPutU32(out, static_cast<uint32_t>(value)); }

int SMLPutShort(SMLStream* out, uint16_t value) { return SMLPutU32(out, value); }

int SMLPutBlock(SMLStream* out, const void* bytes, uint32_t count) {
    static constexpr uint8_t zeros[4] = {};
    return SMLPutU32(out, count) && SMLPutBytes(out, bytes, count) &&
           SMLPutBytes(out, zeros, padOf(count));
}

int SMLPutString(SMLStream* out, const char* text) {
    if (!text) return SMLPutU32(out, 0);
    size_t length = std::strlen(text);
    if (length > UINT32_MAX) return 0;
    return SMLPutBlock(out, text, static_cast<uint32_t>(length));
}

bool SMLHasBuffered(const SMLStream* in) { return in && in->position < in->filled; }

int SMLGetBytes(SMLStream* in, void* destination, uint32_t count) {
    auto* target = static_cast<uint8_t*>(destination);
    for (;;) {
        uint32_t available = in->filled - in->position;
        uint32_t step = std::min(available, count);
        if (target && step > 0) {
            std::memcpy(target, in->buffer.data() + in->position, step);
            target += step;
        }
        in->position += step;
        count -= step;
        if (count == 0) return 1;
        if (!refill(in)) return 0;
    }
}

int SMLSkipBytes(SMLStream* in, uint32_t count) { return SMLGetBytes(in, nullptr, count); }

int SMLGetU32(SMLStream* in, uint32_t* value) {
    uint32_t wire;
    if (!SMLGetBytes(in, &wire, 4)) return 0;
    *value = ntohl(wire);
    return 1;
}

int SMLGetString(SMLStream* in, std::string* text) {
    uint32_t length;
    if (!SMLGetU32(in, &length) || length > kSMLMaxCounted) return 0;
    std::string result;
    try {
        result.resize(length);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!SMLGetBytes(in, result.data(), length) || !SMLSkipBytes(in, padOf(length))) return 0;
    *text = std::move(result);
    return 1;
}

int SMLGetBlock(SMLStream* in, std::vector<uint8_t>* bytes) {
    uint32_t length;
    if (!SMLGetU32(in, &length) || length > kSMLMaxCounted) return 0;
    std::vector<uint8_t> result;
    try {
        result.resize(length);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!SMLGetBytes(in, result.data(), length) || !SMLSkipBytes(in, padOf(length))) return 0;
    *bytes = std::move(result);
    return 1;
}
