// QX structure functions that make picture objects from image files or from
// picture files, and the remaining structure queries: the connectors of an
// object's set, the content of the cut-and-copy bucket and the page's palette
// option.
#include <wraster.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "xkv/core/Core.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXStr.h"
#include "xkv/model/Model.h"
#include "xkv/model/Picture.h"

// The raster context of the page windows (0 before the display is open).
RContext* Window_ImageContext();

namespace {

constexpr uint32_t kPictureKind = 4;
constexpr long kPictureHeaderSkip = 512;

Fixed Clamp(int64_t v)
{
    return static_cast<Fixed>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The box of the centre and size, without overflowing 32 bits.
FixRect BoxAround(Fixed cx, Fixed cy, Fixed width, Fixed height)
{
    return FixRect{Clamp(int64_t{cx} - width / 2), Clamp(int64_t{cy} - height / 2), Clamp(int64_t{cx} + width / 2),
                   Clamp(int64_t{cy} + height / 2)};
}

ObjectHandle AddPicture(ObjectHandle page, FixRect box, MemHandle picture)
{
    if (picture == 0) {
        return qx::Fail(kStatusFailed);
    }
    ObjectHandle object = 0;
    if (Core_AddPicture(page, box, kPictureKind, picture, &object) != kStatusOk || object == 0) {
        if (object == 0) {
            Picture_Free(picture);
        }
        return qx::Fail(kStatusFailed);
    }
    Core_RedrawObject(object);
    return object;
}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// The data of a picture file: 512 bytes skipped, a big-endian length that
// counts itself, then the data. Empty when the file is short or unreadable.
std::vector<uint8_t> ReadPictureFile(const char* path)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file || std::fseek(file.get(), kPictureHeaderSkip, SEEK_SET) != 0) {
        return {};
    }
    uint8_t lengthBytes[2];
    if (std::fread(lengthBytes, 1, 2, file.get()) != 2) {
        return {};
    }
    const uint32_t length = (uint32_t{lengthBytes[0]} << 8) | lengthBytes[1];
    if (length <= 2) {
        return {};
    }
    std::vector<uint8_t> data(length - 2);
    if (std::fread(data.data(), 1, data.size(), file.get()) != data.size()) {
        return {};
    }
    return data;
}

}  // namespace

ObjectHandle QXStr_CreatePicture(ObjectHandle page, Fixed cx, Fixed cy, Fixed width, Fixed height, const char* path)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusInvalidObject);
    }
    RContext* context = Window_ImageContext();
    if (path == nullptr || context == nullptr) {
        return qx::Fail(kStatusFailed);
    }
    RImage* image = RLoadImage(context, path, 0);
    if (image == nullptr) {
        return qx::Fail(kStatusFailed);
    }
    if (width == 0 || height == 0) {
        width = QXUtil_IntToFixed(image->width);
        height = QXUtil_IntToFixed(image->height);
    }
    MemHandle picture = Picture_NewImage(image);
    if (picture == 0) {
        RReleaseImage(image);
        return qx::Fail(kStatusFailed);
    }
    return AddPicture(page, BoxAround(cx, cy, width, height), picture);
}

ObjectHandle QXStr_LoadPicture(ObjectHandle page, Fixed cx, Fixed cy, Fixed width, Fixed height, const char* path)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusInvalidObject);
    }
    if (path == nullptr) {
        return qx::Fail(kStatusFailed);
    }
    const std::vector<uint8_t> data = ReadPictureFile(path);
    if (data.empty()) {
        return qx::Fail(kStatusFailed);
    }
    if (width == 0 || height == 0) {
        // The first and third 16-bit words of the data, as stored.
        int16_t words[3] = {};
        std::copy_n(data.begin(), std::min<size_t>(data.size(), sizeof(words)), reinterpret_cast<uint8_t*>(words));
        width = QXUtil_IntToFixed(words[0]);
        height = QXUtil_IntToFixed(words[2]);
    }
    return AddPicture(page, BoxAround(cx, cy, width, height),
                      Picture_NewRaw(data.data(), static_cast<uint16_t>(data.size())));
}

uint32_t QXStr_GetSetConnLists(ObjectHandle object, uint16_t* count, ObjectHandle** array)
{
    if (count != nullptr) *count = 0;
    if (array != nullptr) *array = nullptr;
    if (!Model_IsElement(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    return QXStr_GetGroupConnList(&object, 1, array, count);
}

ObjectHandle QXStr_GetBucketContent()
{
    const ObjectHandle bucket = Core_GetBucketPage(0);
    if (bucket == 0) {
        return qx::Fail(kStatusNoBucket);
    }
    const uint32_t nodes = Model_CountNodes(bucket);
    if (nodes == 1) {
        return Model_GetFirstNode(bucket);
    }
    if (nodes == 0) {
        const ObjectHandle connector = Model_GetFirstConnector(bucket);
        return connector != 0 ? connector : bucket;
    }
    return bucket;
}

uint32_t QXStr_GetPaletteOption(ObjectHandle page, uint32_t* flag)
{
    return QXRdAttr_GetPaletteOption(page, flag);
}

uint32_t QXStr_SetPageAttrValue(ObjectHandle page, uint32_t value)
{
    return QXWtAttr_SetPaletteOption(page, value);
}
