// Helpers shared by the diagram operations: typed field access, scoped
// groups and connector sets, hooks and the defaults the core reads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "xkv/core/Core.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/model/Model.h"

namespace core {

// Fields without a name of their own in the object model.
inline constexpr FieldId kFieldConnectorSubpage = 5;  // coarsening connector: the subpage
inline constexpr FieldId kFieldBorderPartner = 15;    // border node: its partner connector

template <typename T>
T Get(ObjectHandle object, FieldId field)
{
    T value{};
    Model_GetField(object, field, &value);
    return value;
}

template <typename T>
KernelStatus Put(ObjectHandle object, FieldId field, const T& value)
{
    return Model_SetField(object, field, &value);
}

inline FixPoint Position(ObjectHandle object) { return Get<FixPoint>(object, Field::kPosition); }
inline FixRect Box(ObjectHandle object) { return Get<FixRect>(object, Field::kBox); }
inline Fixed Width(ObjectHandle object) { return static_cast<Fixed>(Model_GetFieldValue(object, Field::kWidth)); }
inline Fixed Height(ObjectHandle object) { return static_cast<Fixed>(Model_GetFieldValue(object, Field::kHeight)); }
inline uint32_t Kind(ObjectHandle object) { return Model_GetFieldValue(object, Field::kShapeKind); }

// An owned group, freed at the end of the scope unless released.
class ScopedGroup {
public:
    explicit ScopedGroup(GroupNumber group = 0) : group_(group) {}
    ~ScopedGroup() { Group_Free(group_); }
    ScopedGroup(const ScopedGroup&) = delete;
    ScopedGroup& operator=(const ScopedGroup&) = delete;
    GroupNumber get() const { return group_; }
    GroupNumber* out() { return &group_; }
    GroupNumber release()
    {
        GroupNumber group = group_;
        group_ = 0;
        return group;
    }
    explicit operator bool() const { return group_ != 0; }

private:
    GroupNumber group_;
};

// Connector sets freed at the end of the scope.
class ScopedSets {
public:
    explicit ScopedSets(uint8_t flags) { sets_.flags = flags; }
    ~ScopedSets() { Core_FreeConnectorSets(&sets_); }
    ScopedSets(const ScopedSets&) = delete;
    ScopedSets& operator=(const ScopedSets&) = delete;
    ConnectorSets* get() { return &sets_; }
    ConnectorSets* operator->() { return &sets_; }

private:
    ConnectorSets sets_;
};

// A model map destroyed at the end of the scope.
class ScopedMap {
public:
    ScopedMap() = default;
    ~ScopedMap();
    ScopedMap(const ScopedMap&) = delete;
    ScopedMap& operator=(const ScopedMap&) = delete;
    KernelStatus Create(uint32_t capacity);
    MemHandle get() const { return map_; }

private:
    MemHandle map_ = 0;
};

// The members of a group, copied out so that the group may change meanwhile.
std::vector<ObjectHandle> Members(GroupNumber group);

inline bool GroupExists(GroupNumber group)
{
    return group != 0 && Group_Lock(group, nullptr) == kStatusOk;
}

// A one-member group, or 0.
GroupNumber GroupOf(ObjectHandle object);

inline bool HookAllows(HookId hook, uintptr_t a = 0, uintptr_t b = 0, uintptr_t c = 0, uintptr_t d = 0,
                       uintptr_t e = 0, uintptr_t f = 0)
{
    return Hook_Fire(hook, a, b, c, d, e, f) != 0;
}

// The coarsen options (property 28 at level 3).
struct CoarsenOptions {
    bool deleteBorderPartners = false;
    bool makeBorderNodes = false;
    bool hideConnectors = false;
};
CoarsenOptions ReadCoarsenOptions();

// The first words of a property record of the level-3 defaults (words
// beyond the record read as 0); the status of the read.
KernelStatus ReadPropertyWords(uint32_t property, uint32_t* words, size_t count);

// Frees the point array held in a connector field and stores the new one.
KernelStatus ReplaceArrayField(ObjectHandle connector, FieldId field, PtArray array);

// The centre of a rectangle, halves by arithmetic shift.
FixPoint CentreOf(const FixRect& r);

// Rebuilds the connectors of the object whose attached end is the object.
KernelStatus RebuildResized(ObjectHandle object, const FixRect& oldBox);

// Clears the last displacement.
void ResetLastDisplacement();

// Destroys the copy bucket with its contents (the model is closing).
void DropBucket();

}  // namespace core
