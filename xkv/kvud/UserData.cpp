// Object user-data blocks: tagged fields in one memory block per object.
#include "xkv/kvud/UserData.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "atolq/Utils/QXMem.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"

namespace {

constexpr uint32_t kHeaderSize = sizeof(UserDataField);

// The bytes a field occupies, or 0 when they do not fit in `remaining`.
uint64_t FieldSize(const UserDataField* field)
{
    return kHeaderSize + uint64_t{UD_PaddedLength(field->length)};
}

// A located field: its offset in the block and the block's address.
struct Located {
    uint8_t* base = nullptr;
    uint32_t offset = 0;
    UserDataField* field = nullptr;
};

// Finds the tag in the locked block of `size` bytes.
Located Locate(uint8_t* base, uint32_t size, UserDataTag tag)
{
    uint32_t remaining = size;
    auto* field = UD_FindField(reinterpret_cast<UserDataField*>(base), &remaining, tag);
    if (field == nullptr) {
        return {};
    }
    return {base, size - remaining, field};
}

// Scoped lock of an object's user-data block.
class LockedBlock {
public:
    explicit LockedBlock(ObjectHandle object) : handle_(UD_GetBlock(object))
    {
        if (handle_ != 0) {
            base_ = static_cast<uint8_t*>(UD_LockBlock(handle_));
            if (base_ == nullptr) {
                handle_ = 0;
            }
        }
    }
    ~LockedBlock() { Unlock(); }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;

    void Unlock()
    {
        if (handle_ != 0) {
            UD_UnlockBlock(handle_);
            handle_ = 0;
        }
    }
    explicit operator bool() const { return handle_ != 0; }
    uint8_t* base() const { return base_; }
    uint32_t size() const { return Mem_Size(handle_); }
    Located Find(UserDataTag tag) const { return Locate(base_, size(), tag); }

private:
    MemHandle handle_ = 0;
    uint8_t* base_ = nullptr;
};

bool ValidObject(ObjectHandle object)
{
    return Model_IsObject(object) != 0;
}

void WriteHeader(uint8_t* at, UserDataTag tag, uint32_t length)
{
    UserDataField header{tag, length};
    std::memcpy(at, &header, sizeof(header));
}

// Collects the tags of a well-formed block in order; false when malformed.
bool CollectTags(ObjectHandle object, std::vector<uint32_t>* tags)
{
    LockedBlock block(object);
    if (!block) {
        return true;
    }
    uint32_t size = block.size();
    uint32_t offset = 0;
    while (offset < size) {
        if (size - offset < kHeaderSize) {
            return false;
        }
        auto* field = reinterpret_cast<UserDataField*>(block.base() + offset);
        uint64_t bytes = FieldSize(field);
        if (bytes > size - offset) {
            return false;
        }
        tags->push_back(field->tag);
        offset += static_cast<uint32_t>(bytes);
    }
    return true;
}

}  // namespace

// ---- Block access ----

MemHandle UD_NewBlock(ObjectHandle object, uint32_t size)
{
    MemHandle block = 0;
    if (Mem_Alloc(&block, size) != kStatusOk) {
        return 0;
    }
    if (Model_SetField(object, Field::kUserData, &block) != kStatusOk) {
        Mem_Free(block);
        return 0;
    }
    return block;
}

MemHandle UD_GetBlock(ObjectHandle object)
{
    MemHandle block = 0;
    return Model_GetField(object, Field::kUserData, &block) == kStatusOk ? block : 0;
}

uint32_t UD_GetBlockSize(ObjectHandle object)
{
    MemHandle block = UD_GetBlock(object);
    return block != 0 ? Mem_Size(block) : 0;
}

void* UD_LockBlock(MemHandle block)
{
    void* address = nullptr;
    return Mem_Lock(block, &address) == kStatusOk ? address : nullptr;
}

uint32_t UD_UnlockBlock(MemHandle block)
{
    return Mem_Unlock(block) == kStatusOk ? 1 : 0;
}

uint32_t UD_ResizeBlock(ObjectHandle object, uint32_t size)
{
    MemHandle block = UD_GetBlock(object);
    MemHandle resized = block;
    if (block == 0 || Mem_Realloc(&resized, size) != kStatusOk) {
        return 0;
    }
    if (resized != block && Model_SetField(object, Field::kUserData, &resized) != kStatusOk) {
        return 0;
    }
    return 1;
}

// Forgets the block; it has no other owner, so it goes back to memory.
uint32_t UD_ClearBlock(ObjectHandle object)
{
    MemHandle block = 0;
    if (Model_GetField(object, Field::kUserData, &block) != kStatusOk) {
        return 0;
    }
    if (Model_SetFieldValue(object, Field::kUserData, 0) != kStatusOk) {
        return 0;
    }
    if (block != 0) {
        Mem_Free(block);
    }
    return 1;
}

// A field is taken only when its header and padded data lie inside the
// bytes that remain, so that no caller reads past the block.
UserDataField* UD_FindField(UserDataField* field, uint32_t* remaining, UserDataTag tag)
{
    if (field == nullptr || remaining == nullptr) {
        return nullptr;
    }
    auto* at = reinterpret_cast<uint8_t*>(field);
    uint32_t left = *remaining;
    while (left >= kHeaderSize) {
        auto* current = reinterpret_cast<UserDataField*>(at);
        uint64_t bytes = FieldSize(current);
        if (bytes > left) {
            break;
        }
        if (current->tag == tag) {
            *remaining = left;
            return current;
        }
        at += bytes;
        left -= static_cast<uint32_t>(bytes);
    }
    *remaining = 0;
    return nullptr;
}

UserDataField* UD_NextField(UserDataField* field)
{
    if (field == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<UserDataField*>(reinterpret_cast<uint8_t*>(field) + FieldSize(field));
}

// ---- Application operations ----

uint32_t UD_SetField(ObjectHandle object, UserDataTag tag, const void* data, uint32_t length)
{
    if (!ValidObject(object) || length > UINT32_MAX - 2 * kHeaderSize) {
        return 0;
    }
    const uint32_t newPadded = UD_PaddedLength(length);
    uint32_t dataOffset = 0;
    if (UD_GetBlock(object) == 0) {
        if (UD_NewBlock(object, newPadded + kHeaderSize) == 0) {
            return 0;
        }
        LockedBlock block(object);
        if (!block) {
            return 0;
        }
        WriteHeader(block.base(), tag, length);
        dataOffset = kHeaderSize;
    } else {
        Located found;
        uint32_t oldSize = 0;
        {
            LockedBlock block(object);
            if (!block) {
                return 0;
            }
            oldSize = block.size();
            found = block.Find(tag);
        }
        if (found.field == nullptr) {
            if (uint64_t{oldSize} + newPadded + kHeaderSize > UINT32_MAX ||
                !UD_ResizeBlock(object, oldSize + newPadded + kHeaderSize)) {
                return 0;
            }
            LockedBlock block(object);
            if (!block) {
                return 0;
            }
            WriteHeader(block.base() + oldSize, tag, length);
            dataOffset = oldSize + kHeaderSize;
        } else {
            const uint32_t offset = found.offset;
            dataOffset = offset + kHeaderSize;
            uint32_t oldPadded = UD_PaddedLength(found.field->length);
            uint32_t tailStart = dataOffset + oldPadded;
            uint32_t tail = oldSize - tailStart;
            uint64_t newSize = uint64_t{oldSize} - oldPadded + newPadded;
            if (newSize > UINT32_MAX) {
                return 0;
            }
            if (newPadded < oldPadded) {
                {
                    LockedBlock block(object);
                    if (!block) {
                        return 0;
                    }
                    std::memmove(block.base() + dataOffset + newPadded, block.base() + tailStart, tail);
                    WriteHeader(block.base() + offset, tag, length);
                }
                if (!UD_ResizeBlock(object, static_cast<uint32_t>(newSize))) {
                    return 0;
                }
            } else if (newPadded > oldPadded) {
                if (!UD_ResizeBlock(object, static_cast<uint32_t>(newSize))) {
                    return 0;
                }
                LockedBlock block(object);
                if (!block) {
                    return 0;
                }
                std::memmove(block.base() + dataOffset + newPadded, block.base() + tailStart, tail);
                WriteHeader(block.base() + offset, tag, length);
            } else {
                LockedBlock block(object);
                if (!block) {
                    return 0;
                }
                WriteHeader(block.base() + offset, tag, length);
            }
        }
    }
    if (data != nullptr && length > 0) {
        LockedBlock block(object);
        if (!block) {
            return 0;
        }
        std::memcpy(block.base() + dataOffset, data, length);
    }
    return 1;
}

// Calls use(field) with the object's field of the tag while its block is
// locked; 0 when the object, its block or the field is missing.
template <typename Use>
uint32_t WithField(ObjectHandle object, UserDataTag tag, Use use)
{
    if (!ValidObject(object)) {
        return 0;
    }
    LockedBlock block(object);
    if (!block) {
        return 0;
    }
    Located found = block.Find(tag);
    return found.field == nullptr ? 0 : use(found.field);
}

uint32_t UD_GetField(ObjectHandle object, UserDataTag tag, void* buffer)
{
    return WithField(object, tag, [&](auto* field) -> uint32_t {
        if (field->length == 0) {
            return 1;
        }
        if (buffer == nullptr) {
            return 0;
        }
        std::memcpy(buffer, field + 1, field->length);
        return 1;
    });
}

uint32_t UD_GetFieldSize(ObjectHandle object, UserDataTag tag, uint32_t* length)
{
    return WithField(object, tag, [&](auto* field) -> uint32_t {
        if (length != nullptr) {
            *length = field->length;
        }
        return 1;
    });
}

uint32_t UD_GetFieldPointer(ObjectHandle object, UserDataTag tag, void** data, uint32_t* length)
{
    if (!ValidObject(object)) {
        return 0;
    }
    LockedBlock block(object);
    if (!block) {
        return 0;
    }
    Located found = block.Find(tag);
    if (found.field == nullptr) {
        return 0;
    }
    if (data != nullptr) {
        *data = found.field + 1;
    }
    if (length != nullptr) {
        *length = found.field->length;
    }
    return 1;
}

uint32_t UD_DeleteField(ObjectHandle object, UserDataTag tag)
{
    if (!ValidObject(object)) {
        return 0;
    }
    uint32_t newSize = 0;
    {
        LockedBlock block(object);
        if (!block) {
            return 0;
        }
        Located found = block.Find(tag);
        if (found.field == nullptr) {
            return 0;
        }
        uint32_t bytes = static_cast<uint32_t>(FieldSize(found.field));
        uint32_t tailStart = found.offset + bytes;
        std::memmove(block.base() + found.offset, block.base() + tailStart, block.size() - tailStart);
        newSize = block.size() - bytes;
    }
    return newSize > 0 ? UD_ResizeBlock(object, newSize) : UD_ClearBlock(object);
}

uint32_t UD_CountFields(ObjectHandle object)
{
    if (!ValidObject(object)) {
        return 0;
    }
    std::vector<uint32_t> tags;
    return CollectTags(object, &tags) ? static_cast<uint32_t>(tags.size()) : 0;
}

uint32_t UD_ListTags(ObjectHandle object, uint32_t** tags, uint32_t* count)
{
    if (tags == nullptr || count == nullptr) {
        return 0;
    }
    *tags = nullptr;
    *count = 0;
    std::vector<uint32_t> found;
    if (!ValidObject(object) || !CollectTags(object, &found) || found.empty()) {
        return 0;
    }
    auto* array = static_cast<uint32_t*>(QXMem_Alloc(static_cast<uint32_t>(found.size() * sizeof(uint32_t))));
    if (array == nullptr) {
        return 0;
    }
    std::memcpy(array, found.data(), found.size() * sizeof(uint32_t));
    *tags = array;
    *count = static_cast<uint32_t>(found.size());
    return 1;
}

uint32_t UD_ListTagsInRange(ObjectHandle object, UserDataTag first, UserDataTag last, uint16_t* count,
                            uint32_t** tags)
{
    if (count == nullptr || tags == nullptr) {
        return 0;
    }
    *count = 0;
    *tags = nullptr;
    if (!ValidObject(object) || last < first || UD_GetBlock(object) == 0) {
        return 0;
    }
    // A malformed block still answers for the fields before the damage, as a
    // search for each tag would.
    std::vector<uint32_t> present;
    CollectTags(object, &present);
    std::vector<uint32_t> found;
    for (uint32_t tag : present) {
        if (tag >= first && tag <= last) {
            found.push_back(tag);
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    if (found.empty() || found.size() > UINT16_MAX) {
        return 0;
    }
    auto* array = static_cast<uint32_t*>(QXMem_Alloc(static_cast<uint32_t>(found.size() * sizeof(uint32_t))));
    if (array == nullptr) {
        return 0;
    }
    std::memcpy(array, found.data(), found.size() * sizeof(uint32_t));
    *tags = array;
    *count = static_cast<uint16_t>(found.size());
    return 1;
}

uint32_t UD_CopyAll(ObjectHandle source, ObjectHandle destination)
{
    if (!ValidObject(source) || !ValidObject(destination)) {
        return 0;
    }
    MemHandle from = UD_GetBlock(source);
    if (from == 0) {
        return 0;
    }
    MemHandle copy = 0;
    if (Mem_Duplicate(&copy, from) != kStatusOk) {
        return 0;
    }
    UD_ClearBlock(destination);
    if (Model_SetField(destination, Field::kUserData, &copy) != kStatusOk) {
        Mem_Free(copy);
        return 0;
    }
    return 1;
}
