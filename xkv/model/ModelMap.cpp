// Model maps: pairs appended in any order, sorted by key on the first lookup.
#include "xkv/model/ModelMap.h"

#include <algorithm>
#include <span>

#include "xkv/group/Group.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"

namespace {

std::span<ModelMapPair> Pairs(const BlockLock<ModelMapPair>& pairs, const ModelMapHeader& header)
{
    uint32_t fits = pairs.size() / sizeof(ModelMapPair);
    return std::span<ModelMapPair>(pairs.get(), std::min(header.count, fits));
}

}  // namespace

KernelStatus ModelMap_Create(MemHandle* out, uint32_t capacity)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    MemHandle map = 0;
    ModelMapHeader* header = nullptr;
    KernelStatus status = Mem_AllocLocked(&map, reinterpret_cast<void**>(&header), sizeof(ModelMapHeader));
    if (status != kStatusOk) {
        return status;
    }
    header->capacity = capacity == 0 ? kModelMapStep : capacity;
    header->remapLinks = 1;
    if (Mem_Alloc(&header->pairs, size_t{header->capacity} * sizeof(ModelMapPair)) != kStatusOk) {
        Mem_Free(map);
        return kStatusNoModelMap;
    }
    Mem_Unlock(map);
    *out = map;
    return kStatusOk;
}

KernelStatus ModelMap_Destroy(MemHandle map)
{
    {
        BlockLock<ModelMapHeader> header(map);
        if (!header) {
            return kStatusNullHandle;
        }
        Mem_Free(header->pairs);
    }
    return Mem_Free(map);
}

KernelStatus ModelMap_Find(MemHandle map, uint32_t key, uint32_t value)
{
    BlockLock<ModelMapHeader> header(map);
    if (!header) {
        return kStatusNullHandle;
    }
    BlockLock<ModelMapPair> pairs(header->pairs);
    for (const ModelMapPair& pair : Pairs(pairs, *header)) {
        if (pair.key == key) {
            return pair.value == value ? kStatusOk : kStatusModelMapConflict;
        }
    }
    return kStatusNotFound;
}

KernelStatus ModelMap_Add(MemHandle map, uint32_t key, uint32_t value)
{
    KernelStatus found = ModelMap_Find(map, key, value);
    if (found != kStatusNotFound) {
        return found;
    }
    BlockLock<ModelMapHeader> header(map);
    if (!header) {
        return kStatusNullHandle;
    }
    if (header->count >= header->capacity) {
        if (header->capacity > UINT32_MAX - kModelMapStep) {
            return kStatusOutOfMemory;
        }
        uint32_t capacity = header->capacity + kModelMapStep;
        KernelStatus status = Mem_Realloc(&header->pairs, size_t{capacity} * sizeof(ModelMapPair));
        if (status != kStatusOk) {
            return status;
        }
        header->capacity = capacity;
    }
    BlockLock<ModelMapPair> pairs(header->pairs);
    if (!pairs || pairs.size() < (size_t{header->count} + 1) * sizeof(ModelMapPair)) {
        return kStatusNullHandle;
    }
    pairs.get()[header->count++] = {key, value};
    header->sorted = 0;
    return kStatusOk;
}

KernelStatus ModelMap_AddGroups(MemHandle map, GroupNumber keys, GroupNumber values)
{
    for (uint16_t i = 0; i < Group_Count(keys); ++i) {
        ObjectHandle key = Group_Member(keys, i);
        if (key == 0) {
            continue;
        }
        KernelStatus status = ModelMap_Add(map, key, Group_Member(values, i));
        if (status != kStatusOk) {
            return status;
        }
    }
    return kStatusOk;
}

KernelStatus ModelMap_Sort(MemHandle map)
{
    BlockLock<ModelMapHeader> header(map);
    if (!header) {
        return kStatusNullHandle;
    }
    if (header->sorted != 0 || header->count == 0) {
        return kStatusOk;
    }
    BlockLock<ModelMapPair> pairs(header->pairs);
    std::span<ModelMapPair> all = Pairs(pairs, *header);
    std::sort(all.begin(), all.end(), [](const ModelMapPair& a, const ModelMapPair& b) { return a.key < b.key; });
    header->sorted = 1;
    return kStatusOk;
}

uint32_t ModelMap_Lookup(MemHandle map, uint32_t key)
{
    if (ModelMap_Sort(map) != kStatusOk) {
        return 0;
    }
    BlockLock<ModelMapHeader> header(map);
    BlockLock<ModelMapPair> pairs(header->pairs);
    std::span<ModelMapPair> all = Pairs(pairs, *header);
    auto it = std::lower_bound(all.begin(), all.end(), key,
                               [](const ModelMapPair& pair, uint32_t k) { return pair.key < k; });
    return it != all.end() && it->key == key ? it->value : 0;
}

KernelStatus ModelMap_GetPair(MemHandle map, uint32_t index, uint32_t* key, uint32_t* value)
{
    BlockLock<ModelMapHeader> header(map);
    if (!header) {
        return kStatusNullHandle;
    }
    BlockLock<ModelMapPair> pairs(header->pairs);
    std::span<ModelMapPair> all = Pairs(pairs, *header);
    if (index >= all.size() || all[index].key == 0) {
        return kStatusNotFound;
    }
    if (key != nullptr) {
        *key = all[index].key;
    }
    if (value != nullptr) {
        *value = all[index].value;
    }
    return kStatusOk;
}

uint32_t ModelMap_Count(MemHandle map)
{
    BlockLock<ModelMapHeader> header(map);
    return header ? header->count : 0;
}

uint32_t ModelMap_Capacity(MemHandle map)
{
    BlockLock<ModelMapHeader> header(map);
    return header ? header->capacity : 0;
}

uint32_t ModelMap_IsSorted(MemHandle map)
{
    BlockLock<ModelMapHeader> header(map);
    return header ? header->sorted : 0;
}

uint32_t ModelMap_RemapLinks(MemHandle map)
{
    BlockLock<ModelMapHeader> header(map);
    return header ? header->remapLinks : 0;
}

KernelStatus ModelMap_SetRemapLinks(MemHandle map, uint32_t flag)
{
    BlockLock<ModelMapHeader> header(map);
    if (!header) {
        return kStatusNullHandle;
    }
    header->remapLinks = flag != 0 ? 1 : 0;
    return kStatusOk;
}
