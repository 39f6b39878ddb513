// The drawable cache: one record per window with three handle lists of
// drawables. The cache owns its drawables: removing, clearing or discarding
// draws them once more (erasing the XOR ones) and frees them.
#include "xkv/cache/Cache.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "xkv/group/Group.h"
#include "xkv/item/TypedItem.h"
#include "xkv/model/HandleList.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint16_t kListCapacity = 60;
constexpr uint16_t kListStep = 30;
constexpr uint32_t kListCount = 3;
constexpr int32_t kLocateTolerancePixels = 2;

struct CacheRecord {
    Widget key = nullptr;
    std::array<HandleList, kListCount> lists{};

    ~CacheRecord()
    {
        for (HandleList& list : lists) {
            List_Destroy(&list, nullptr, nullptr);
        }
    }
};

std::vector<std::unique_ptr<CacheRecord>>& Records()
{
    static std::vector<std::unique_ptr<CacheRecord>> records;
    return records;
}

CacheRecord* FindOrCreate(Widget widget)
{
    auto& records = Records();
    for (auto& record : records) {
        if (record->key == widget) {
            return record.get();
        }
    }
    auto record = std::make_unique<CacheRecord>();
    record->key = widget;
    for (HandleList& list : record->lists) {
        if (List_Init(&list, kListCapacity, kListStep, 0, 0) != kStatusOk) {
            return nullptr;
        }
    }
    records.push_back(std::move(record));
    return records.back().get();
}

bool IsXorList(uint32_t list)
{
    return list != kCacheStructure;
}

// The lists that a list number names: one, or all three for 10.
std::vector<uint32_t> ListsOf(uint32_t list)
{
    if (list == kCacheAllLists) {
        return {kCacheFeedback, kCacheHandles, kCacheStructure};
    }
    if (list < kListCount) {
        return {list};
    }
    return {};
}

std::vector<MemHandle> ItemsOf(const HandleList& list)
{
    std::vector<MemHandle> items;
    uint32_t count = List_Count(&list);
    items.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        items.push_back(List_Member(&list, i));
    }
    return items;
}

void DrawItems(Widget widget, const std::vector<MemHandle>& items, bool xorMode)
{
    for (MemHandle item : items) {
        Window_DrawDrawable(widget, item, xorMode ? 1 : 0, 0);
    }
}

void EraseAndFree(Widget widget, HandleList& list, bool xorMode)
{
    std::vector<MemHandle> items = ItemsOf(list);
    for (MemHandle item : items) {
        Window_DrawDrawable(widget, item, xorMode ? 1 : 0, 0);
        TypedItem_Free(item);
    }
    List_Clear(&list, nullptr, nullptr);
}

bool Hits(MemHandle item, FixPoint point, const FixPoint& tolerance)
{
    if (TypedItem_Kind(item) != kItemDot) {
        return TypedItem_HitTest(item, point) != 0;
    }
    FixRect box;
    if (TypedItem_GetExtent(item, &box) != kStatusOk) {
        return false;
    }
    box = {Fix_Sub(box.left, tolerance.x), Fix_Sub(box.top, tolerance.y), Fix_Add(box.right, tolerance.x),
           Fix_Add(box.bottom, tolerance.y)};
    return Geom_RectContainsPoint(box, point);
}

}  // namespace

KernelStatus Cache_Initialize()
{
    Records().clear();
    return kStatusOk;
}

KernelStatus Cache_AddDrawable(Widget widget, uint32_t list, MemHandle item, uint32_t flush)
{
    CacheRecord* record = FindOrCreate(widget);
    if (record == nullptr || item == 0 || list >= kListCount) {
        return kStatusFailed;
    }
    KernelStatus status = List_Append(&record->lists[list], item);
    if (status != kStatusOk) {
        return status;
    }
    Window_DrawDrawable(widget, item, IsXorList(list) ? 1 : 0, flush);
    return kStatusOk;
}

KernelStatus Cache_RemoveDrawable(Widget widget, uint32_t list, MemHandle item, uint32_t flush)
{
    CacheRecord* record = FindOrCreate(widget);
    if (record == nullptr || list >= kListCount) {
        return kStatusFailed;
    }
    HandleList& handles = record->lists[list];
    if (item == 0 || !List_Contains(&handles, item)) {
        return kStatusOk;
    }
    List_RemoveAll(&handles, item);
    Window_DrawDrawable(widget, item, IsXorList(list) ? 1 : 0, flush);
    TypedItem_Free(item);
    return kStatusOk;
}

KernelStatus Cache_ClearList(Widget widget, uint32_t list, uint32_t flush)
{
    CacheRecord* record = FindOrCreate(widget);
    if (record == nullptr) {
        return kStatusFailed;
    }
    for (uint32_t n : ListsOf(list)) {
        EraseAndFree(widget, record->lists[n], IsXorList(n));
    }
    if (flush != 0) {
        DrawQueue_Flush();
    }
    return kStatusOk;
}

KernelStatus Cache_ClearGroupHandles(Widget widget, GroupNumber group)
{
    CacheRecord* record = FindOrCreate(widget);
    if (record == nullptr) {
        return kStatusFailed;
    }
    if (Group_Count(group) == 0) {
        return kStatusOk;
    }
    HandleList& handles = record->lists[kCacheHandles];
    for (MemHandle item : ItemsOf(handles)) {
        ObjectHandle owner = TypedItem_Object(item);
        if (owner != 0 && Group_Contains(group, owner)) {
            List_RemoveAll(&handles, item);
            Window_DrawDrawable(widget, item, 1, 0);
            TypedItem_Free(item);
        }
    }
    return kStatusOk;
}

KernelStatus Cache_Redraw(Widget widget, uint32_t list)
{
    CacheRecord* record = FindOrCreate(widget);
    if (record == nullptr) {
        return kStatusFailed;
    }
    for (uint32_t n : ListsOf(list)) {
        DrawItems(widget, ItemsOf(record->lists[n]), IsXorList(n));
        DrawQueue_Flush();
    }
    return kStatusOk;
}

KernelStatus Cache_SetPositionAll(Widget widget, uint32_t list, FixPoint position)
{
    CacheRecord* record = FindOrCreate(widget);
    if (record == nullptr || list >= kListCount) {
        return kStatusFailed;
    }
    std::vector<MemHandle> items = ItemsOf(record->lists[list]);
    DrawItems(widget, items, true);
    DrawQueue_Flush();
    for (MemHandle item : items) {
        TypedItem_SetPosition(item, position);
    }
    DrawItems(widget, items, true);
    DrawQueue_Flush();
    return kStatusOk;
}

MemHandle Cache_Locate(Widget widget, uint32_t list, FixPoint point)
{
    CacheRecord* record = FindOrCreate(widget);
    if (record == nullptr) {
        return 0;
    }
    FixPoint tolerance;
    Window_PixelSizeToPage(widget, kLocateTolerancePixels, kLocateTolerancePixels, &tolerance);
    for (uint32_t n : ListsOf(list)) {
        for (MemHandle item : ItemsOf(record->lists[n])) {
            if (Hits(item, point, tolerance)) {
                return TypedItem_Copy(item);
            }
        }
    }
    return 0;
}

KernelStatus Cache_Apply(Widget widget, uint32_t list, CacheCallback callback, void* argument)
{
    CacheRecord* record = FindOrCreate(widget);
    if (record == nullptr) {
        return kStatusFailed;
    }
    for (uint32_t n : ListsOf(list)) {
        for (MemHandle item : ItemsOf(record->lists[n])) {
            callback(item, argument);
        }
    }
    return kStatusOk;
}

KernelStatus Cache_Discard(Widget widget)
{
    auto& records = Records();
    auto found = std::find_if(records.begin(), records.end(), [&](const auto& r) { return r->key == widget; });
    if (found == records.end()) {
        return 1;
    }
    for (uint32_t n = 0; n < kListCount; ++n) {
        EraseAndFree(widget, (*found)->lists[n], IsXorList(n));
    }
    records.erase(found);
    return 1;
}
