// The static message table: (message id, text) rows, searched in order and
// ended by the row with id 9999 and the empty text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Number of a user-visible text; not a KernelStatus.
using MessageId = int32_t;

struct MessageRow {
    MessageId id;
    const char* text;
};

// Ends the table; also means "no message" in the status map.
inline constexpr MessageId kMessageEndId = 9999;
// The message rows and the end row.
inline constexpr size_t kMessageRowCount = 535;
inline constexpr size_t kMessageTableSize = kMessageRowCount + 1;

extern const std::array<MessageRow, kMessageTableSize> MessageTable;
