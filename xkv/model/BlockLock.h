// Scoped access to a kernel memory block as a typed record: locks on
// construction, unlocks on destruction.
#pragma once

#include "xkv/mem/Mem.h"

template <typename T>
class BlockLock {
public:
    explicit BlockLock(MemHandle handle) : handle_(handle)
    {
        if (handle_ != 0 && Mem_LockAs(handle_, &data_) != kStatusOk) {
            data_ = nullptr;
        }
        if (data_ == nullptr) {
            handle_ = 0;
        }
    }
    ~BlockLock()
    {
        if (handle_ != 0) {
            Mem_Unlock(handle_);
        }
    }
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;

    explicit operator bool() const { return data_ != nullptr; }
    T* get() const { return data_; }
    T* operator->() const { return data_; }
    T& operator*() const { return *data_; }

    // The block's size in bytes (0 when not locked).
    uint32_t size() const { return handle_ != 0 ? Mem_Size(handle_) : 0; }

private:
    MemHandle handle_ = 0;
    T* data_ = nullptr;
};
