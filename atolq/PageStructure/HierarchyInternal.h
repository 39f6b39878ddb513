// Helpers shared by the hierarchy page's sources: big-endian words of user
// data and the kernel's object lists taken over into vectors.
#pragma once

#include <cstdint>
#include <vector>

#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"

namespace pg {

// While the hierarchy page builds, drops or rebuilds page nodes the kernel
// reports each step as a change of the model; its model-change handler keeps
// still meanwhile.
inline int quietDepth = 0;

class Quiet {
public:
    Quiet() { ++quietDepth; }
    ~Quiet() { --quietDepth; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;
};

inline void Put32(uint8_t* out, uint32_t value)
{
    out[0] = static_cast<uint8_t>(value >> 24);
    out[1] = static_cast<uint8_t>(value >> 16);
    out[2] = static_cast<uint8_t>(value >> 8);
    out[3] = static_cast<uint8_t>(value);
}

inline uint32_t Get32(const uint8_t* in)
{
    return (uint32_t{in[0]} << 24) | (uint32_t{in[1]} << 16) | (uint32_t{in[2]} << 8) | in[3];
}

// Takes a QX list over into a vector and frees the block.
inline std::vector<ObjectHandle> TakeList(uint16_t count, ObjectHandle* array)
{
    std::vector<ObjectHandle> out;
    if (array != nullptr) {
        out.assign(array, array + count);
        QXMem_Free(array);
    }
    return out;
}

inline std::vector<ObjectHandle> AllPages()
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    QXStr_GetPageList(&count, &array);
    return TakeList(count, array);
}

inline std::vector<ObjectHandle> NodesOf(ObjectHandle page)
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    QXStr_GetNodeList(page, &count, &array);
    return TakeList(count, array);
}

// The connectors of a page, or of a node.
inline std::vector<ObjectHandle> ConnectorsOf(ObjectHandle object)
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    if (QXRdAttr_GetObjectType(object) == kQXKindPage) {
        QXStr_GetPageConnList(object, &count, &array);
    } else {
        QXStr_GetObjectConnList(object, &count, &array);
    }
    return TakeList(count, array);
}

inline std::vector<ObjectHandle> RegionsOf(ObjectHandle object)
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    QXStr_GetRegionList(object, &count, &array);
    return TakeList(count, array);
}

}  // namespace pg
