// The drawable cache: per window, three lists of drawables drawn over the
// diagram (0 gesture feedback and 1 selection handles in XOR mode, 2 the page
// structure window's labels in copy mode), redrawn after repairs, erased by
// drawing them again, and searched before the objects by pointer picks.
#pragma once

#include "xkv/velkor/XTypes.h"

#include <cstdint>

#include "xkv/types/Types.h"

inline constexpr uint32_t kCacheFeedback = 0;
inline constexpr uint32_t kCacheHandles = 1;
inline constexpr uint32_t kCacheStructure = 2;
inline constexpr uint32_t kCacheAllLists = 10;

using GroupNumber = uint16_t;
using CacheCallback = KernelStatus (*)(MemHandle item, void* argument);

KernelStatus Cache_Initialize();
KernelStatus Cache_AddDrawable(Widget widget, uint32_t list, MemHandle item, uint32_t flush);
KernelStatus Cache_RemoveDrawable(Widget widget, uint32_t list, MemHandle item, uint32_t flush);
KernelStatus Cache_ClearList(Widget widget, uint32_t list, uint32_t flush);
KernelStatus Cache_ClearGroupHandles(Widget widget, GroupNumber group);
KernelStatus Cache_Redraw(Widget widget, uint32_t list);
KernelStatus Cache_SetPositionAll(Widget widget, uint32_t list, FixPoint position);
MemHandle Cache_Locate(Widget widget, uint32_t list, FixPoint point);
KernelStatus Cache_Apply(Widget widget, uint32_t list, CacheCallback callback, void* argument);
KernelStatus Cache_Discard(Widget widget);
