// Picture records of picture objects.
#include "xkv/model/Picture.h"

#include <X11/Xlib.h>
#include <wraster.h>

#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"

namespace {

MemHandle NewRecord(const PictureRecord& value)
{
    MemHandle block = 0;
    PictureRecord* record = nullptr;
    if (Mem_AllocLocked(&block, reinterpret_cast<void**>(&record), sizeof(PictureRecord)) != kStatusOk) {
        return 0;
    }
    *record = value;
    Mem_Unlock(block);
    return block;
}

}  // namespace

MemHandle Picture_NewRaw(const void* data, uint16_t length)
{
    PictureRecord value{};
    value.flags = kPictureRaw;
    value.length = length;
    if (length > 0 && (data == nullptr || Mem_AllocCopy(&value.data, data, length) != kStatusOk)) {
        return 0;
    }
    MemHandle record = NewRecord(value);
    if (record == 0) {
        Mem_Free(value.data);
    }
    return record;
}

MemHandle Picture_NewImage(RImage* image)
{
    PictureRecord value{};
    value.image = image;
    return NewRecord(value);
}

void Picture_Free(MemHandle picture)
{
    {
        BlockLock<PictureRecord> record(picture);
        if (!record) {
            return;
        }
        if ((record->flags & kPictureRaw) != 0) {
            if (record->data != 0) {
                Mem_Free(record->data);
            }
        } else {
            if (record->image != nullptr) {
                RReleaseImage(record->image);
            }
            if (record->pixmap != 0 && record->display != nullptr) {
                XFreePixmap(record->display, record->pixmap);
            }
        }
    }
    Mem_Free(picture);
}

MemHandle Picture_Copy(MemHandle picture)
{
    BlockLock<PictureRecord> record(picture);
    if (!record) {
        return 0;
    }
    if ((record->flags & kPictureRaw) != 0) {
        void* data = nullptr;
        if (record->data != 0 && Mem_Lock(record->data, &data) != kStatusOk) {
            return 0;
        }
        uint16_t length = record->length;
        if (data == nullptr || Mem_Size(record->data) < length) {
            length = 0;
        }
        MemHandle copy = Picture_NewRaw(data, length);
        if (record->data != 0) {
            Mem_Unlock(record->data);
        }
        return copy;
    }
    RImage* image = record->image != nullptr ? RCloneImage(record->image) : nullptr;
    if (record->image != nullptr && image == nullptr) {
        return 0;
    }
    MemHandle copy = Picture_NewImage(image);
    if (copy == 0 && image != nullptr) {
        RReleaseImage(image);
    }
    return copy;
}
