// What the writer and the reader of the net data base file share: the
// version text, the counts of the chart arrays and the clock text of time
// pairs.
#pragma once

#include <cstdint>

#include <rpc/xdr.h>

#include "atolq/AEditor/SERecords.h"

namespace se::db {

inline constexpr const char* kVersion = "3.02";

// Element counts that the file holds for the chart arrays, or -1 when the
// record's count fields give a negative count.
int64_t barArrayCount(const SEBarChart& chart, int index);
int64_t lineArrayCount(const SELineChart& chart, int index);

// The size of the memory stream being decoded (0: not a memory stream), and
// the bytes left in it, so that no length is trusted beyond the data.
void setDecodeSize(uint64_t size);
uint64_t decodeRemaining(XDR* xdrs);

// "(clock (\"%ld\"))" with the first 32-bit word of a model-time value.
inline constexpr const char* kClockFormat = "(clock (\"%ld\"))";

} // namespace se::db
