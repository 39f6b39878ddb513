// The status word, unit conversion, object lists and the stubs shared by all
// QX families.
#include "xkv/kv/QX.h"

#include <algorithm>

#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXMem.h"
#include "xkv/model/Model.h"

KernelStatus QXStatus = 0;

namespace qx {

uint32_t KindBits(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return 0;
    }
    switch (Model_GetType(object)) {
    case kTypePageList: return kQXKindPageList;
    case kTypePage: return kQXKindPage;
    case kTypeNode: return kQXKindNode;
    case kTypeConnector: return kQXKindConnector;
    case kTypeRegion: return kQXKindRegion;
    default: return 0;
    }
}

ScopedGroup::~ScopedGroup()
{
    if (group_ != 0) {
        Group_Free(group_);
    }
}

GroupNumber MakeGroup(const ObjectHandle* objects, uint32_t count)
{
    if (count > kGroupMaxSize || (count != 0 && objects == nullptr)) {
        Fail(kStatusBadGroup);
        return 0;
    }
    GroupNumber group = Group_Create(static_cast<uint16_t>(std::max<uint32_t>(count, 1)));
    if (group == 0) {
        Fail(kStatusBadGroup);
        return 0;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (Group_Add(group, objects[i]) != kStatusOk) {
            Group_Free(group);
            Fail(kStatusBadGroup);
            return 0;
        }
    }
    return group;
}

uint32_t GroupToList(GroupNumber group, uint16_t* count, ObjectHandle** array)
{
    if (count == nullptr || array == nullptr) {
        return Fail(kStatusBadArgument);
    }
    *count = 0;
    *array = nullptr;
    const uint16_t n = Group_Count(group);
    if (n == 0) {
        return 1;
    }
    auto* block = static_cast<ObjectHandle*>(QXMem_Alloc(n * sizeof(ObjectHandle)));
    if (block == nullptr) {
        return Fail(kStatusOutOfMemory);
    }
    for (uint16_t i = 0; i < n; ++i) {
        block[i] = Group_Member(group, i);
    }
    *count = n;
    *array = block;
    return 1;
}

}  // namespace qx

Fixed QXUtil_IntToFixed(int32_t n)
{
    const int32_t pixels = std::clamp<int32_t>(n, INT16_MIN, INT16_MAX);
    return static_cast<Fixed>(static_cast<uint32_t>(pixels) << 15);
}

int16_t QXUtil_FixedToInt(Fixed value)
{
    const int32_t rounded = (value >> 15) + ((value >> 14) & 1);
    return static_cast<int16_t>(std::clamp<int32_t>(rounded, INT16_MIN, INT16_MAX));
}

uint32_t QXUtil_GroupToArray(GroupNumber group, ObjectHandle** array, uint16_t* count)
{
    return qx::GroupToList(group, count, array);
}

uint32_t QXUtil_ChildrenToArray(ObjectHandle object, uint16_t* count, ObjectHandle** array)
{
    if (!Model_IsObject(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    qx::ScopedGroup group(Group_New());
    if (group.get() == 0) {
        return qx::Fail(kStatusBadGroup);
    }
    for (ObjectHandle child = Model_GetFirstChild(object); child != 0; child = Model_GetNextSibling(child)) {
        if (Group_Add(group.get(), child) != kStatusOk) {
            return qx::Fail(kStatusBadGroup);
        }
    }
    return qx::GroupToList(group.get(), count, array);
}

uint32_t QXUtil_ArrayToGroup(GroupNumber* group, const ObjectHandle* array, uint32_t count)
{
    if (group == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    *group = qx::MakeGroup(array, count);
    return *group != 0 ? 1 : 0;
}

uint32_t QXRdAttr_MaxObjectCount()
{
    return kQXMaxObjects;
}

uint32_t QXRdAttr_SelectableFlag()
{
    KV_StubReport("QXRdAttr_SelectableFlag()");
    return 1;
}

uint32_t QXText_MaxLineLength()
{
    KV_StubReport("QXText_MaxLineLength()");
    return 20;
}

void QXUI_SetObjectIndication()
{
    KV_StubReport("QXUI_SetObjectIndication()");
}

uint32_t QXUI_Merge(const ObjectHandle* objects, uint32_t count, ObjectHandle target)
{
    if (objects == nullptr || count == 0 || target == 0) {
        return qx::Fail(kStatusNoMergeRule);
    }
    qx::ScopedGroup group(qx::MakeGroup(objects, count));
    if (group.get() == 0) {
        return 0;
    }
    KV_StubReport("QXUI_Merge()");
    return 1;
}
