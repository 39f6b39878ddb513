// Object records and text headers of older format versions, turned into the
// current 36-word record and 17-word text header.
#include <cstring>

#include "xkv/file/Diagram.h"

namespace {

constexpr uint32_t kRecord768Size = 130;
constexpr uint32_t kTextHeader768Size = 54;

// Raw values of the old layouts are taken as stored, in this machine's order.
uint32_t Word(const uint8_t* bytes, size_t offset)
{
    uint32_t word = 0;
    std::memcpy(&word, bytes + offset, 4);
    return word;
}

int16_t Half(const uint8_t* bytes, size_t offset)
{
    int16_t half = 0;
    std::memcpy(&half, bytes + offset, 2);
    return half;
}

}  // namespace

KernelStatus File_ReadRecord768(FileHandle file, ObjectRecord* record)
{
    if (record == nullptr) {
        return kStatusBadArgument;
    }
    uint8_t bytes[kRecord768Size];
    KernelStatus status = File_ReadExact(file, bytes, sizeof(bytes));
    if (status != kStatusOk) {
        return status;
    }
    uint32_t* words = record->words;
    for (int i = 0; i < 3; ++i) {
        words[i] = Word(bytes, 4 * i);
    }
    words[3] = static_cast<uint32_t>(Half(bytes, 12) * 256);
    words[4] = static_cast<uint32_t>(Half(bytes, 14) * 256);
    words[5] = static_cast<uint32_t>(static_cast<int32_t>(Half(bytes, 16)));
    words[6] = Word(bytes, 18);
    for (int i = 0; i < 4; ++i) {
        words[7 + i] = Word(bytes, 22 + 4 * i);
    }
    for (int i = 0; i < 23; ++i) {
        words[11 + i] = Word(bytes, 38 + 4 * i);
    }
    words[34] = 0;
    return kStatusOk;
}

KernelStatus File_ReadTextHeader768(FileHandle file, uint32_t* header, uint32_t size)
{
    if (header == nullptr || size < kTextHeaderWords) {
        return kStatusBadArgument;
    }
    uint8_t bytes[kTextHeader768Size];
    KernelStatus status = File_ReadExact(file, bytes, sizeof(bytes));
    if (status != kStatusOk) {
        return status;
    }
    for (int i = 0; i < 6; ++i) {
        header[i] = Word(bytes, 4 * i);
    }
    header[6] = static_cast<uint32_t>(static_cast<int32_t>(Half(bytes, 24)));
    for (int i = 0; i < 3; ++i) {
        header[7 + i] = Word(bytes, 26 + 4 * i);
    }
    header[10] = static_cast<uint32_t>(static_cast<int32_t>(Half(bytes, 38)));
    header[11] = static_cast<uint32_t>(static_cast<int32_t>(Half(bytes, 40)));
    header[12] = Word(bytes, 42);
    header[13] = static_cast<uint32_t>(static_cast<int32_t>(Half(bytes, 46)));
    header[14] = static_cast<uint32_t>(static_cast<int32_t>(Half(bytes, 48)));
    header[15] = Word(bytes, 50);
    header[16] = 0;
    return kStatusOk;
}

KernelStatus File_ShiftRecord776(ObjectRecord* record)
{
    if (record == nullptr) {
        return kStatusBadArgument;
    }
    std::memmove(&record->words[16], &record->words[15], 20 * sizeof(uint32_t));
    record->words[15] = 0;
    return kStatusOk;
}
