// The older defaults format: one XDR stream of fixed records (a header of 99
// longs, then attribute and option records in a fixed order), read into the
// current default records at a given level. Nothing writes this format.
#pragma once

#include <rpc/xdr.h>

#include <cstdint>

inline constexpr int16_t kMsgDefaultsVersion = 11352;
inline constexpr uint32_t kOldHeaderLongs = 99;
inline constexpr int32_t kOldNewestVersion = 4;

// The buffer size for an old diagram's defaults stream.
uint32_t OldDefaultsBufferSize();
// Reads the whole stream; the result is that of the last record read.
int OldDefaultsRead(XDR* xdr, uint32_t* word, uint32_t level);
// Reads one old attribute record and stores it under the key's property when
// it differs from the built-in record.
int OldReadAttribute(XDR* xdr, int32_t key, uint32_t level);
