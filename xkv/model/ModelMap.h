// Model maps: old object handle to new, recorded while objects are copied so
// that references among the copies can be translated.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

using GroupNumber = uint16_t;

inline constexpr uint32_t kModelMapStep = 200;

struct ModelMapHeader {
    uint32_t sorted;
    uint32_t remapLinks;
    uint32_t capacity;  // in pairs
    uint32_t count;
    MemHandle pairs;
};

struct ModelMapPair {
    uint32_t key;
    uint32_t value;
};

KernelStatus ModelMap_Create(MemHandle* out, uint32_t capacity);
KernelStatus ModelMap_Destroy(MemHandle map);
KernelStatus ModelMap_Add(MemHandle map, uint32_t key, uint32_t value);
KernelStatus ModelMap_Find(MemHandle map, uint32_t key, uint32_t value);
KernelStatus ModelMap_AddGroups(MemHandle map, GroupNumber keys, GroupNumber values);
uint32_t ModelMap_Lookup(MemHandle map, uint32_t key);
KernelStatus ModelMap_Sort(MemHandle map);
KernelStatus ModelMap_GetPair(MemHandle map, uint32_t index, uint32_t* key, uint32_t* value);
uint32_t ModelMap_Count(MemHandle map);
uint32_t ModelMap_Capacity(MemHandle map);
uint32_t ModelMap_IsSorted(MemHandle map);
uint32_t ModelMap_RemapLinks(MemHandle map);
KernelStatus ModelMap_SetRemapLinks(MemHandle map, uint32_t flag);
