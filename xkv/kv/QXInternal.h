// Helpers the QX families share inside the kernel interface.
#pragma once

#include <cstdint>

#include "xkv/kv/QX.h"

namespace qx {

// Stores a failure status and gives the 0 result of the failing entry.
inline uint32_t Fail(KernelStatus status)
{
    QXStatus = status;
    return 0;
}

// Stores the status of the one kernel operation an entry ends in; 1 for 0.
inline uint32_t Store(KernelStatus status)
{
    QXStatus = status;
    return status == kStatusOk ? 1 : 0;
}

// The kind bits of an object (0 for anything the interface has no bit for).
uint32_t KindBits(ObjectHandle object);

// A kernel group freed when it goes out of scope.
class ScopedGroup {
public:
    ScopedGroup() = default;
    explicit ScopedGroup(GroupNumber group) : group_(group) {}
    ~ScopedGroup();
    ScopedGroup(const ScopedGroup&) = delete;
    ScopedGroup& operator=(const ScopedGroup&) = delete;
    GroupNumber get() const { return group_; }
    GroupNumber* out() { return &group_; }
    GroupNumber release()
    {
        GroupNumber g = group_;
        group_ = 0;
        return g;
    }

private:
    GroupNumber group_ = 0;
};

// A group of the handles given; status 13 (and 0) when it cannot be made.
GroupNumber MakeGroup(const ObjectHandle* objects, uint32_t count);

// Fills an object list from a group; frees nothing.
uint32_t GroupToList(GroupNumber group, uint16_t* count, ObjectHandle** array);

}  // namespace qx
