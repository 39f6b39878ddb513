// The kernel's encoding stream over a file or a memory buffer.
#include "xkv/file/Encode.h"

#include <cstring>

namespace {

bool gByteFailed = false;
bool gUnitFailed = false;

bool Usable(const EncodeStream* stream)
{
    return stream != nullptr && (stream->file != nullptr || stream->buffer != nullptr);
}

// Moves one byte in the stream's direction; sets the byte flag on failure.
bool TransferByte(EncodeStream* stream, uint8_t* byte)
{
    gByteFailed = false;
    if (stream->file != nullptr) {
        if (stream->direction == kEncode) {
            gByteFailed = std::fputc(*byte, stream->file) == EOF;
        } else {
            int c = std::fgetc(stream->file);
            gByteFailed = c == EOF;
            if (!gByteFailed) {
                *byte = static_cast<uint8_t>(c);
            }
        }
        return !gByteFailed;
    }
    if (stream->position >= stream->size) {
        gByteFailed = true;
        return false;
    }
    if (stream->direction == kEncode) {
        stream->buffer[stream->position] = *byte;
    } else {
        *byte = stream->buffer[stream->position];
    }
    ++stream->position;
    return true;
}

// Pad bytes up to the next multiple of 4 after n bytes.
bool Pad(EncodeStream* stream, uint32_t n, uint8_t fill)
{
    uint32_t count = n % 4 == 0 ? 0 : 4 - n % 4;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t byte = fill;
        if (!TransferByte(stream, &byte)) {
            return false;
        }
    }
    return true;
}

// A 16-bit unit: two pad bytes, then high and low byte.
bool Unit16(EncodeStream* stream, uint16_t* value, uint8_t fill)
{
    gUnitFailed = true;
    if (!Pad(stream, 2, fill)) {
        return false;
    }
    uint8_t high = static_cast<uint8_t>(*value >> 8);
    uint8_t low = static_cast<uint8_t>(*value);
    if (!TransferByte(stream, &high) || !TransferByte(stream, &low)) {
        return false;
    }
    if (stream->direction == kDecode) {
        *value = static_cast<uint16_t>(high << 8 | low);
    }
    gUnitFailed = false;
    return true;
}

}  // namespace

void EncodeStream_InitFile(EncodeStream* stream, FILE* file, uint32_t direction)
{
    if (stream == nullptr || file == nullptr) {
        return;
    }
    *stream = EncodeStream{direction, file, nullptr, 0, 0};
}

void EncodeStream_InitMemory(EncodeStream* stream, uint8_t* buffer, uint32_t size, uint32_t direction)
{
    if (stream == nullptr) {
        return;
    }
    *stream = EncodeStream{direction, nullptr, buffer, 0, buffer != nullptr ? size : 0};
}

void EncodeStream_Clear(EncodeStream* stream)
{
    if (stream != nullptr) {
        *stream = EncodeStream{};
    }
}

long EncodeStream_Tell(const EncodeStream* stream)
{
    if (!Usable(stream)) {
        return -1;
    }
    return stream->file != nullptr ? std::ftell(stream->file) : static_cast<long>(stream->position);
}

int EncodeStream_Seek(EncodeStream* stream, long position)
{
    if (!Usable(stream) || position < 0) {
        return 0;
    }
    if (stream->file != nullptr) {
        return std::fseek(stream->file, position, SEEK_SET) == 0 ? 1 : 0;
    }
    if (static_cast<unsigned long>(position) > stream->size) {
        return 0;
    }
    stream->position = static_cast<uint32_t>(position);
    return 1;
}

bool EncodeStream_ByteFailed()
{
    return gByteFailed;
}

bool EncodeStream_UnitFailed()
{
    return gUnitFailed;
}

int EncodeStream_Byte(EncodeStream* stream, uint8_t* value)
{
    if (!Usable(stream) || value == nullptr) {
        return 0;
    }
    if (!Pad(stream, 1, 0)) {
        return 0;
    }
    return TransferByte(stream, value) ? 1 : 0;
}

int EncodeStream_Short(EncodeStream* stream, int16_t* value)
{
    if (!Usable(stream) || value == nullptr) {
        return 0;
    }
    uint16_t bits = static_cast<uint16_t>(*value);
    if (!Unit16(stream, &bits, *value < 0 ? 0xff : 0x00)) {
        return 0;
    }
    *value = static_cast<int16_t>(bits);
    return 1;
}

int EncodeStream_UShort(EncodeStream* stream, uint16_t* value)
{
    if (!Usable(stream) || value == nullptr) {
        return 0;
    }
    return Unit16(stream, value, 0) ? 1 : 0;
}

int EncodeStream_Long(EncodeStream* stream, uint32_t* value)
{
    if (!Usable(stream) || value == nullptr) {
        return 0;
    }
    uint8_t bytes[4] = {static_cast<uint8_t>(*value >> 24), static_cast<uint8_t>(*value >> 16),
                        static_cast<uint8_t>(*value >> 8), static_cast<uint8_t>(*value)};
    for (uint8_t& byte : bytes) {
        if (!TransferByte(stream, &byte)) {
            return 0;
        }
    }
    if (stream->direction == kDecode) {
        *value = uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
    }
    return 1;
}

int EncodeStream_Opaque(EncodeStream* stream, void* bytes, uint32_t n)
{
    if (!Usable(stream) || (bytes == nullptr && n > 0)) {
        return 0;
    }
    auto* data = static_cast<uint8_t*>(bytes);
    if (stream->file != nullptr) {
        gByteFailed = false;
        size_t done = stream->direction == kEncode ? std::fwrite(data, 1, n, stream->file)
                                                   : std::fread(data, 1, n, stream->file);
        if (done != n) {
            gByteFailed = true;
            return 0;
        }
    } else {
        for (uint32_t i = 0; i < n; ++i) {
            if (!TransferByte(stream, &data[i])) {
                return 0;
            }
        }
    }
    return Pad(stream, n, 0) ? 1 : 0;
}

int EncodeStream_Bytes(EncodeStream* stream, uint8_t* bytes, uint32_t* n, uint32_t capacity)
{
    if (!Usable(stream) || n == nullptr || bytes == nullptr) {
        return 0;
    }
    uint32_t count = *n;
    if (!EncodeStream_Long(stream, &count) || count > capacity) {
        return 0;
    }
    if (!EncodeStream_Opaque(stream, bytes, count)) {
        return 0;
    }
    *n = count;
    return 1;
}

int EncodeStream_String(EncodeStream* stream, char* text, uint32_t maximum)
{
    if (!Usable(stream)) {
        return 0;
    }
    if (stream->direction == kEncode) {
        uint32_t length = text != nullptr ? static_cast<uint32_t>(strnlen(text, maximum + 1)) : 0;
        if (length > maximum || !EncodeStream_Long(stream, &length)) {
            return 0;
        }
        return EncodeStream_Opaque(stream, text, length);
    }
    if (text == nullptr) {
        return 0;
    }
    uint32_t length = 0;
    if (!EncodeStream_Long(stream, &length) || length > maximum) {
        return 0;
    }
    if (!EncodeStream_Opaque(stream, text, length)) {
        return 0;
    }
    text[length] = '\0';
    return 1;
}

int EncodeStream_Value(EncodeStream* stream, uint32_t* value)
{
    if (value == nullptr) {
        return 0;
    }
    uint32_t copy = *value;
    if (!EncodeStream_Long(stream, &copy)) {
        return 0;
    }
    *value = copy;
    return 1;
}

int EncodeStream_Array(EncodeStream* stream, void* base, uint32_t count, uint32_t elementSize,
                       EncodeCodec codec)
{
    if (!Usable(stream) || codec == nullptr || (base == nullptr && count > 0)) {
        return 0;
    }
    auto* element = static_cast<uint8_t*>(base);
    for (uint32_t i = 0; i < count; ++i, element += elementSize) {
        if (!codec(stream, element)) {
            return 0;
        }
    }
    return 1;
}

int EncodeStream_Void(EncodeStream* stream, void* value)
{
    return Usable(stream) && value != nullptr ? 1 : 0;
}
