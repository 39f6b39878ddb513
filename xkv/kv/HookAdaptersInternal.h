// The kernel hook adapters that convert groups, point arrays and records,
// shared between the adapter table and their definitions.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "xkv/kv/HookAdapters.h"
#include "xkv/types/PtArray.h"

// A point array as the application sees it: a count and at most 61 points.
inline constexpr uint16_t kKVPointBlockSize = 61;
struct KVPointBlock {
    uint16_t count = 0;
    std::array<FixPoint, kKVPointBlockSize> points{};
};

// Copies a point array into a block; 1 (failure) for 62 or more points.
KernelStatus KV_CopyPointsOut(PtArray array, KVPointBlock* block);
// Copies the block back, its count first when it changed (never above 61).
KernelStatus KV_CopyPointsBack(PtArray array, const KVPointBlock& block);

uintptr_t KV_AdaptReattach(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptArrowHead(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptConnectorRecord(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptConnectEnds(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptRebuildConnector(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptDuplicated(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptOwnerGroup(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptMoved(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptPasted(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptResized(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptPrintRange(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptCurrentItem(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptPageSelect(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptRegionGroup(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptCoarsen(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptDeleteConnector(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptPropertyDialog(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptNewConnector(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t KV_AdaptUserDataRead(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
