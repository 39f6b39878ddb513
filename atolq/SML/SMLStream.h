// Buffered streams on the evaluator link's sockets and the framing of the
// values that travel on them: 32-bit big-endian words, counted strings and
// counted blocks padded to four bytes, and raw bytes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr uint32_t kSMLBufferSize = 4096;

// Longest counted string or block accepted from the evaluator; a longer count
// is taken as a malformed message (it also keeps n + 1 from wrapping).
inline constexpr uint32_t kSMLMaxCounted = 16u * 1024u * 1024u;

// One direction of one socket. An output stream uses position (bytes waiting);
// an input stream uses position (next unread byte) and filled (valid bytes).
// The stream does not own its descriptor.
struct SMLStream {
    int fd = -1;
    uint32_t position = 0;
    uint32_t filled = 0;
    std::array<uint8_t, kSMLBufferSize> buffer{};
};

using SMLStreamPtr = std::unique_ptr<SMLStream>;

// All operations return 1 for success and 0 for failure unless stated.

SMLStreamPtr SMLOpenOut(int fd); // null when memory runs out
SMLStreamPtr SMLOpenIn(int fd);
int SMLCloseOut(SMLStreamPtr& stream); // 0 for a null stream
int SMLCloseIn(SMLStreamPtr& stream);
int SMLStreamFd(const SMLStream* stream);

int SMLPutBytes(SMLStream* out, const void* bytes, uint32_t count);
int SMLFlush(SMLStream* out);
int SMLPutU32(SMLStream* out, uint32_t value);
int SMLPutInt(SMLStream* out, int32_t value);
int SMLPutShort(SMLStream* out, uint16_t value);
int SMLPutString(SMLStream* out, const char* text); // null goes as the empty string
int SMLPutBlock(SMLStream* out, const void* bytes, uint32_t count);

int SMLGetBytes(SMLStream* in, void* destination, uint32_t count);
int SMLSkipBytes(SMLStream* in, uint32_t count); // reads and drops count bytes
int SMLGetU32(SMLStream* in, uint32_t* value);
int SMLGetString(SMLStream* in, std::string* text);
int SMLGetBlock(SMLStream* in, std::vector<uint8_t>* bytes);
// Whether bytes already received wait in the input buffer.
bool SMLHasBuffered(const SMLStream* in);

// One receive / one send on a descriptor; count is in/out. 0 when the call
// returns less than 1. Interrupted calls are repeated; a send never raises SIGPIPE.
int SMLRecvRaw(int fd, void* buffer, uint32_t* count);
int SMLSendRaw(int fd, const void* buffer, uint32_t* count);
