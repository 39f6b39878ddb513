// String services: message lookup by id, the status map from kernel
// statuses to messages, and in-place byte substitution.
#include "xkv/mods/Strings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

struct StatusMapRow {
    int32_t status;
    MessageId message;
};

// Statuses 0 to 82 in ascending order, then the end row.
constexpr std::array<StatusMapRow, 84> kStatusMap = {{
    {0, 9999},
    {1, 41},
    {2, 42},
    {3, 43},
    {4, 44},
    {5, 41},
    {6, 41},
    {7, 41},
    {8, 41},
    {9, 45},
    {10, 46},
    {11, 47},
    {12, 48},
    {13, 41},
    {14, 41},
    {15, 41},
    {16, 41},
    {17, 41},
    {18, 41},
    {19, 41},
    {20, 49},
    {21, 50},
    {22, 51},
    {23, 41},
    {24, 52},
    {25, 53},
    {26, 54},
    {27, 55},
    {28, 56},
    {29, 57},
    {30, 9999},
    {31, 41},
    {32, 58},
    {33, 41},
    {34, 41},
    {35, 41},
    {36, 58},
    {37, 58},
    {38, 58},
    {39, 41},
    {40, 41},
    {41, 50},
    {42, 41},
    {43, 59},
    {44, 58},
    {45, 58},
    {46, 41},
    {47, 60},
    {48, 58},
    {49, 9999},
    {50, 41},
    {51, 41},
    {52, 41},
    {53, 9999},
    {54, 61},
    {55, 62},
    {56, 9999},
    {57, 58},
    {58, 50},
    {59, 41},
    {60, 9999},
    {61, 63},
    {62, 64},
    {63, 65},
    {64, 66},
    {65, 67},
    {66, 58},
    {67, 68},
    {68, 9999},
    {69, 9999},
    {70, 9999},
    {71, 70},
    {72, 72},
    {73, 9999},
    {74, 74},
    {75, 75},
    {76, 76},
    {77, 90},
    {78, 91},
    {79, 92},
    {80, 9999},
    {81, 96},
    {82, 99},
    {-99, -99},
}};

// The row of the id, or nullptr; the search runs in table order and stops at
// the end row, which is also the row of id 9999.
const MessageRow* FindRow(MessageId id)
{
    for (const MessageRow& row : MessageTable) {
        if (row.id == id || row.id == kMessageEndId) {
            return row.id == id ? &row : nullptr;
        }
    }
    return nullptr;
}

std::string BadStringText(MessageId id)
{
    char text[32];
    std::snprintf(text, sizeof text, "Bad String %d", id);
    return text;
}

}  // namespace

KernelStatus String_GetText(MessageId id, char* buffer, uint32_t size)
{
    if (buffer == nullptr || size == 0) {
        return kStatusBadArgument;
    }
    const MessageRow* row = FindRow(id);
    const std::string badString = row == nullptr ? BadStringText(id) : std::string();
    std::string_view text = row != nullptr ? std::string_view(row->text) : std::string_view(badString);
    // As strncpy: the text, then NULs up to the end of the buffer.
    size_t length = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    std::memset(buffer + length, 0, size - length);
    return row != nullptr ? kStatusOk : kStatusNotFound;
}

KernelStatus String_GetFullText(MessageId id, std::string* text)
{
    const MessageRow* row = FindRow(id);
    *text = row != nullptr ? std::string(row->text) : BadStringText(id);
    return row != nullptr ? kStatusOk : kStatusNotFound;
}

KernelStatus String_NewHandle(MessageId id, MemHandle* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    const MessageRow* row = FindRow(id);
    if (row == nullptr) {
        return kStatusNotFound;
    }
    // The block holds the whole text: some messages are far longer than the
    // 81 bytes that used to be allotted.
    std::string_view text = row->text;
    char* data = nullptr;
    KernelStatus status = Mem_AllocLocked(out, reinterpret_cast<void**>(&data), text.size() + 1);
    if (status != kStatusOk) {
        return status;
    }
    std::memcpy(data, text.data(), text.size());
    return kStatusOk;
}

MessageId StrMap_Lookup(uint32_t status)
{
    const int32_t wanted = static_cast<int32_t>(status);
    // The end row is not part of the search.
    auto first = kStatusMap.begin(), last = kStatusMap.end() - 1;
    auto row = std::lower_bound(first, last, wanted,
                                [](const StatusMapRow& r, int32_t s) { return r.status < s; });
    if (row == last || row->status != wanted) {
        return kMessageEndId;
    }
    return row->message;
}

void StrUtil_Substitute(uint8_t* bytes, uint32_t length, const SubstitutionTable& table)
{
    if (bytes == nullptr || table.pairs == nullptr) {
        return;
    }
    for (uint32_t i = 0; i < length; ++i) {
        for (uint32_t k = 0; k < table.count; ++k) {
            if (bytes[i] == table.pairs[k].from) {
                bytes[i] = table.pairs[k].to;
            }
        }
    }
}
