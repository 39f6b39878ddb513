// The kernel's encoding stream: every value travels in big-endian 4-byte
// units, over a file or over a memory buffer, so that a diagram file reads the
// same on every machine.
#pragma once

#include <cstdint>
#include <cstdio>

inline constexpr uint32_t kEncode = 0;
inline constexpr uint32_t kDecode = 1;

struct EncodeStream {
    uint32_t direction = kEncode;
    FILE* file = nullptr;
    uint8_t* buffer = nullptr;  // memory mode only
    uint32_t position = 0;
    uint32_t size = 0;
};

// An element codec of EncodeStream_Array: 1 on success, 0 on failure.
using EncodeCodec = int (*)(EncodeStream* stream, void* element);

void EncodeStream_InitFile(EncodeStream* stream, FILE* file, uint32_t direction);
void EncodeStream_InitMemory(EncodeStream* stream, uint8_t* buffer, uint32_t size, uint32_t direction);
void EncodeStream_Clear(EncodeStream* stream);
long EncodeStream_Tell(const EncodeStream* stream);
int EncodeStream_Seek(EncodeStream* stream, long position);

// Set when the last byte transfer failed / the last 16-bit transfer failed.
bool EncodeStream_ByteFailed();
bool EncodeStream_UnitFailed();

// Codecs: 1 on success, 0 on failure.
int EncodeStream_Byte(EncodeStream* stream, uint8_t* value);
int EncodeStream_Short(EncodeStream* stream, int16_t* value);
int EncodeStream_UShort(EncodeStream* stream, uint16_t* value);
int EncodeStream_Long(EncodeStream* stream, uint32_t* value);
int EncodeStream_Opaque(EncodeStream* stream, void* bytes, uint32_t n);
// Counted opaque: the count, then the bytes; decoding refuses a count above
// `capacity`, the size of the caller's buffer.
int EncodeStream_Bytes(EncodeStream* stream, uint8_t* bytes, uint32_t* n, uint32_t capacity);
// A text of at most `maximum` characters; the decoding buffer holds
// maximum + 1 bytes and gets a NUL after the characters.
int EncodeStream_String(EncodeStream* stream, char* text, uint32_t maximum);
// A 32-bit value that the caller's variable takes only on success.
int EncodeStream_Value(EncodeStream* stream, uint32_t* value);
int EncodeStream_Array(EncodeStream* stream, void* base, uint32_t count, uint32_t elementSize,
                       EncodeCodec codec);
int EncodeStream_Void(EncodeStream* stream, void* value);
