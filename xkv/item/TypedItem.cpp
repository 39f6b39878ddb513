// Typed items: copy and release by kind, accessors, the drawable payloads and
// their extents and hit tests, and selection handles.
#include "xkv/item/TypedItem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "xkv/core/Core.h"
#include "xkv/group/Group.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"
#include "xkv/types/PtArray.h"

namespace {

constexpr KernelStatus kStatusCopyRefused = kStatusUnknownShape;  // 59
constexpr KernelStatus kStatusCannotCopy = 34;
constexpr Fixed kBesideLabel = 0x4b0000;  // 75.0
constexpr FixPoint kUnitScale{0x8000, 0x8000};

enum class ValueKind { Nothing, Immediate, Shared, Refused, Block, Group, Points, RectSet, Unknown };

ValueKind CopyRule(uint32_t kind)
{
    switch (kind) {
    case 0:
        return ValueKind::Nothing;
    case 1: case 5: case 10: case 12: case 27: case 28:
        return ValueKind::Immediate;
    case 9:
        return ValueKind::Shared;
    case 2: case 3: case 4: case 13: case 21: case 22: case 23: case 24: case 25: case 29:
        return ValueKind::Refused;
    case 6: case 8: case 11: case 14: case 16: case 17: case 19: case 20: case 30: case 31:
        return ValueKind::Block;
    case 7:
        return ValueKind::Group;
    case 15:
        return ValueKind::Points;
    case 18:
        return ValueKind::RectSet;
    default:
        return ValueKind::Unknown;
    }
}

MemHandle ValueBlock(const TypedItemRec& item)
{
    return item.value[0];
}

// Allocates a payload block holding the record.
template <typename T>
MemHandle NewPayload(const T& record)
{
    MemHandle block = 0;
    if (Mem_AllocCopy(&block, &record, sizeof(T)) != kStatusOk) {
        return 0;
    }
    return block;
}

// An item of the kind whose value is the payload block; the payload is freed
// again when the item cannot be made.
MemHandle ItemWithPayload(uint32_t kind, MemHandle payload)
{
    if (payload == 0) {
        return 0;
    }
    uint32_t value[2] = {payload, 0};
    MemHandle item = TypedItem_Create(kind, value, 0);
    if (item == 0) {
        Mem_Free(payload);
    }
    return item;
}

template <typename T>
MemHandle NewDrawable(uint32_t kind, const T& record)
{
    return ItemWithPayload(kind, NewPayload(record));
}

// The word of a payload block at a byte offset (0 when the block is short).
uint32_t PayloadWord(MemHandle block, uint32_t offset)
{
    BlockLock<uint8_t> bytes(block);
    uint32_t value = 0;
    if (bytes && bytes.size() >= offset + 4) {
        std::memcpy(&value, bytes.get() + offset, 4);
    }
    return value;
}

void FreeBlock(MemHandle block)
{
    if (block != 0) {
        Mem_Free(block);
    }
}

// The offset (or the origin of a rectangle set) of a drawable payload.
FixPoint* PositionOf(uint32_t kind, uint8_t* payload, uint32_t size)
{
    size_t offset = 0;
    switch (kind) {
    case kItemGreyRect:
        offset = offsetof(GreyRectRec, offset);
        break;
    case kItemRectOutline:
    case kItemFilledRect:
        offset = offsetof(RectOutlineRec, offset);
        break;
    case kItemRectSet:
        offset = offsetof(RectSetRec, origin);
        break;
    case kItemEllipse:
        offset = offsetof(EllipseRec, offset);
        break;
    case kItemSegment:
        offset = offsetof(SegmentRec, offset);
        break;
    case kItemPolyline:
        offset = offsetof(PolylineRec, offset);
        break;
    case kItemArc:
        offset = offsetof(ArcRec, offset);
        break;
    default:
        return nullptr;
    }
    if (payload == nullptr || size < offset + sizeof(FixPoint)) {
        return nullptr;
    }
    return reinterpret_cast<FixPoint*>(payload + offset);
}

FixRect EmptyRect()
{
    return FixRect{kFixedPlusInfinity, kFixedPlusInfinity, kFixedMinusInfinity, kFixedMinusInfinity};
}

bool InRect(const FixRect& r, const FixPoint& p)
{
    return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}

template <typename T>
bool ReadPayload(MemHandle block, T* out)
{
    BlockLock<T> record(block);
    if (!record || record.size() < sizeof(T)) {
        return false;
    }
    *out = *record;
    return true;
}

}  // namespace

// ---- Copy and release ----

KernelStatus TypedItem_CopyValue(const TypedItemRec& from, TypedItemRec* to)
{
    *to = TypedItemRec{from.kind, {0, 0}, 0};
    switch (CopyRule(from.kind)) {
    case ValueKind::Nothing:
        break;
    case ValueKind::Immediate:
    case ValueKind::Shared:
        to->value[0] = from.value[0];
        to->value[1] = from.value[1];
        break;
    case ValueKind::Refused:
        return kStatusCopyRefused;
    case ValueKind::Unknown:
        return kStatusCannotCopy;
    case ValueKind::Block: {
        KernelStatus status = Mem_Duplicate(&to->value[0], ValueBlock(from));
        if (status != kStatusOk) {
            return status;
        }
        break;
    }
    case ValueKind::Group:
        to->value[0] = Group_Duplicate(static_cast<GroupNumber>(from.value[0]));
        if (to->value[0] == 0) {
            return kStatusBadGroup;
        }
        break;
    case ValueKind::Points:
        to->value[0] = PtArray_Duplicate(ValueBlock(from));
        if (to->value[0] == 0) {
            return kStatusOutOfMemory;
        }
        break;
    case ValueKind::RectSet: {
        MemHandle payload = 0;
        KernelStatus status = Mem_Duplicate(&payload, ValueBlock(from));
        if (status != kStatusOk) {
            return status;
        }
        BlockLock<RectSetRec> set(payload);
        MemHandle rects = 0;
        if (!set || (set->rects != 0 && Mem_Duplicate(&rects, set->rects) != kStatusOk)) {
            Mem_Free(payload);
            return kStatusOutOfMemory;
        }
        set->rects = rects;
        to->value[0] = payload;
        break;
    }
    }
    if (from.extra != 0) {
        KernelStatus status = Mem_Duplicate(&to->extra, from.extra);
        if (status != kStatusOk) {
            TypedItem_ReleaseValue(to);
            return status;
        }
    }
    return kStatusOk;
}

void TypedItem_ReleaseValue(TypedItemRec* item)
{
    if (item == nullptr) {
        return;
    }
    MemHandle payload = ValueBlock(*item);
    switch (item->kind) {
    case kItemTriple:
        if (MemHandle points = PayloadWord(payload, 8)) {
            PtArray_Free(points);
        }
        FreeBlock(payload);
        break;
    case kItemDialog:
        FreeBlock(PayloadWord(payload, 8));
        FreeBlock(payload);
        break;
    case kItemGroup:
        Group_Free(static_cast<GroupNumber>(item->value[0]));
        break;
    case kItemPoints:
        if (payload != 0) {
            PtArray_Free(payload);
        }
        break;
    case kItemRectSet: {
        RectSetRec set{};
        if (ReadPayload(payload, &set)) {
            FreeBlock(set.rects);
        }
        FreeBlock(payload);
        break;
    }
    case kItemPolyline: {
        PolylineRec polyline{};
        if (ReadPayload(payload, &polyline) && polyline.points != 0) {
            PtArray_Free(polyline.points);
        }
        FreeBlock(payload);
        break;
    }
    case kItemConnectorSets: {
        {
            BlockLock<ConnectorSets> sets(payload);
            if (sets && sets.size() >= sizeof(ConnectorSets)) {
                Core_FreeConnectorSets(sets.get());
            }
        }
        FreeBlock(payload);
        break;
    }
    case kItemHandleCopy:  // the event's own duplicate of a block
    case kItemDot: case kItemGreyRect: case kItemPageLabel: case 13: case kItemPoint: case kItemRect:
    case kItemRectOutline: case kItemEllipse: case kItemSegment: case 22: case 23: case 24: case 25:
    case kItemArc: case kItemFilledRect:
        FreeBlock(payload);
        break;
    default:
        break;
    }
    FreeBlock(item->extra);
    *item = TypedItemRec{};
}

MemHandle TypedItem_Create(uint32_t kind, const uint32_t* value, MemHandle extra)
{
    TypedItemRec record{kind, {0, 0}, extra};
    if (value != nullptr) {
        record.value[0] = value[0];
        record.value[1] = value[1];
    }
    return NewPayload(record);
}

MemHandle TypedItem_NewObject(ObjectHandle object)
{
    uint32_t value[2] = {object, 0};
    return TypedItem_Create(kItemObject, value, 0);
}

MemHandle TypedItem_Copy(MemHandle item)
{
    TypedItemRec from{};
    if (!ReadPayload(item, &from)) {
        return 0;
    }
    TypedItemRec to{};
    if (TypedItem_CopyValue(from, &to) != kStatusOk) {
        return 0;
    }
    MemHandle copy = NewPayload(to);
    if (copy == 0) {
        TypedItem_ReleaseValue(&to);
    }
    return copy;
}

KernelStatus TypedItem_Free(MemHandle item)
{
    {
        BlockLock<TypedItemRec> record(item);
        if (!record) {
            return kStatusNullHandle;
        }
        TypedItem_ReleaseValue(record.get());
    }
    return Mem_Free(item);
}

// ---- Accessors ----

uint32_t TypedItem_Kind(MemHandle item)
{
    TypedItemRec record{};
    return ReadPayload(item, &record) ? record.kind : 0;
}

ObjectHandle TypedItem_Object(MemHandle item)
{
    TypedItemRec record{};
    if (!ReadPayload(item, &record)) {
        return 0;
    }
    switch (record.kind) {
    case kItemObject:
        return record.value[0];
    case kItemDot:
        return PayloadWord(record.value[0], offsetof(DotRec, owner));
    case kItemGreyRect:
        return PayloadWord(record.value[0], offsetof(GreyRectRec, owner));
    case kItemPolyline:
        return PayloadWord(record.value[0], offsetof(PolylineRec, owner));
    default:
        return 0;
    }
}

GroupNumber TypedItem_Group(MemHandle item)
{
    TypedItemRec record{};
    return ReadPayload(item, &record) && record.kind == kItemGroup ? static_cast<GroupNumber>(record.value[0]) : 0;
}

uint32_t TypedItem_Payload(MemHandle item)
{
    TypedItemRec record{};
    if (!ReadPayload(item, &record)) {
        return 0;
    }
    uint32_t k = record.kind;
    bool hasPayload = k == 2 || k == 4 || k == 6 || k == 8 || k == 9 || k == 11 || (k >= 13 && k <= 25) ||
                      k == 27 || k == 30 || k == 31;
    return hasPayload ? record.value[0] : 0;
}

KernelStatus TypedItem_GetPosition(MemHandle item, FixPoint* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = FixPoint{};
    TypedItemRec record{};
    if (!ReadPayload(item, &record)) {
        return kStatusNullHandle;
    }
    BlockLock<uint8_t> payload(record.value[0]);
    if (FixPoint* position = PositionOf(record.kind, payload.get(), payload.size())) {
        *out = *position;
    }
    return kStatusOk;
}

KernelStatus TypedItem_SetPosition(MemHandle item, FixPoint position)
{
    TypedItemRec record{};
    if (!ReadPayload(item, &record)) {
        return kStatusNullHandle;
    }
    BlockLock<uint8_t> payload(record.value[0]);
    if (FixPoint* stored = PositionOf(record.kind, payload.get(), payload.size())) {
        *stored = position;
    }
    return kStatusOk;
}

KernelStatus TypedItem_Move(MemHandle item, FixPoint delta)
{
    FixPoint position{};
    KernelStatus status = TypedItem_GetPosition(item, &position);
    if (status != kStatusOk) {
        return status;
    }
    return TypedItem_SetPosition(item, FixPoint{Fix_Add(position.x, delta.x), Fix_Add(position.y, delta.y)});
}

KernelStatus TypedItem_GetExtent(MemHandle item, FixRect* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = EmptyRect();
    TypedItemRec record{};
    if (!ReadPayload(item, &record)) {
        return kStatusNullHandle;
    }
    MemHandle payload = record.value[0];
    switch (record.kind) {
    case kItemDot: {
        DotRec dot{};
        if (ReadPayload(payload, &dot)) {
            *out = dot.box;
        }
        break;
    }
    case kItemGreyRect:
    case kItemPageLabel:
    case kItemRectOutline:
    case kItemFilledRect: {
        FixRect rect{};
        if (ReadPayload(payload, &rect)) {
            *out = rect;
        }
        break;
    }
    case kItemPoints:
        PtArray_Bounds(payload, out);
        break;
    case kItemPolyline: {
        PolylineRec polyline{};
        if (ReadPayload(payload, &polyline)) {
            PtArray_Bounds(polyline.points, out);
        }
        break;
    }
    case kItemRectSet: {
        RectSetRec set{};
        if (!ReadPayload(payload, &set)) {
            break;
        }
        BlockLock<FixRect> rects(set.rects);
        uint32_t count = std::min<uint32_t>(set.count, rects.size() / sizeof(FixRect));
        for (uint32_t i = 0; i < count; ++i) {
            if (i == 0) {
                *out = rects.get()[0];
            } else {
                Geom_RectUnion(out, rects.get()[i]);
            }
        }
        break;
    }
    case kItemEllipse: {
        EllipseRec e{};
        if (ReadPayload(payload, &e)) {
            *out = FixRect{Fix_Sub(e.centre.x, e.width / 2), Fix_Sub(e.centre.y, e.height / 2),
                           Fix_Add(e.centre.x, e.width / 2), Fix_Add(e.centre.y, e.height / 2)};
        }
        break;
    }
    case kItemSegment: {
        SegmentRec s{};
        if (ReadPayload(payload, &s)) {
            Geom_RectFromPoints(out, s.from, s.to);
            Geom_NormalizeRect(out);
        }
        break;
    }
    case kItemArc: {
        ArcRec a{};
        if (ReadPayload(payload, &a)) {
            *out = FixRect{Fix_Sub(a.centreX, a.sizeX), Fix_Sub(a.centreY, a.sizeY), Fix_Add(a.centreX, a.sizeX),
                           Fix_Add(a.centreY, a.sizeY)};
        }
        break;
    }
    default:
        break;
    }
    return kStatusOk;
}

uint32_t TypedItem_HitTest(MemHandle item, FixPoint point)
{
    uint32_t kind = TypedItem_Kind(item);
    if (kind == kItemSegment) {
        return 0;
    }
    if (kind == kItemRectSet) {
        RectSetRec set{};
        if (!ReadPayload(TypedItem_Payload(item), &set)) {
            return 0;
        }
        FixPoint local{Fix_Sub(point.x, set.origin.x), Fix_Sub(point.y, set.origin.y)};
        bool scaled = set.scale.x != kUnitScale.x || set.scale.y != kUnitScale.y;
        BlockLock<FixRect> rects(set.rects);
        uint32_t count = std::min<uint32_t>(set.count, rects.size() / sizeof(FixRect));
        for (uint32_t i = 0; i < count; ++i) {
            FixRect r = rects.get()[i];
            if (scaled) {
                Geom_ScaleRect(&r, nullptr, &set.scale);
            }
            if (InRect(r, local)) {
                return 1;
            }
        }
        return 0;
    }
    FixRect extent{};
    TypedItem_GetExtent(item, &extent);
    return InRect(extent, point) ? 1 : 0;
}

// ---- Drawable constructors ----

MemHandle TypedItem_NewDot(MemHandle dot)
{
    return ItemWithPayload(kItemDot, dot);
}

MemHandle TypedItem_NewGreyRect(FixRect rect, uint32_t mode, ObjectHandle owner)
{
    return NewDrawable(kItemGreyRect, GreyRectRec{rect, mode, owner, {}});
}

MemHandle TypedItem_NewPageLabel(uint32_t layout, FixPoint at, const FontSpec* font, const char* text,
                                 uint16_t length, int32_t pageNumber, ObjectHandle owner)
{
    PageLabelRec label{};
    label.layout = layout;
    label.owner = owner;
    if (font != nullptr) {
        label.font = *font;
    }
    size_t kept = text != nullptr ? std::min<size_t>(strnlen(text, length), sizeof(label.text) - 1) : 0;
    std::memcpy(label.text, text, kept);
    std::snprintf(label.number, sizeof(label.number), "P. %d", static_cast<int>(pageNumber));

    int16_t fontIndex = Text_AcquireFont(&label.font);
    Fixed w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    Text_MeasureString(fontIndex, label.text, static_cast<int16_t>(std::strlen(label.text)), &w1, &h1);
    Text_MeasureString(fontIndex, label.number, static_cast<int16_t>(std::strlen(label.number)), &w2, &h2);
    if (fontIndex != kNoFont) {
        Text_ReleaseFont(fontIndex);
    }
    label.textAt = FixPoint{at.x, Fix_Add(at.y, h1)};
    if (layout == 1) {
        label.numberAt.x = w1 > w2 ? Fix_Add(at.x, (w1 - w2) / 2) : at.x;
        label.numberAt.y = Fix_Add(Fix_Add(at.y, h1), h2);
    } else {
        label.numberAt = FixPoint{Fix_Add(at.x, kBesideLabel), label.textAt.y};
    }
    label.box = FixRect{at.x, at.y, std::max(Fix_Add(at.x, w1), Fix_Add(label.numberAt.x, w2)), label.numberAt.y};
    return NewDrawable(kItemPageLabel, label);
}

MemHandle TypedItem_NewRectOutline(FixRect rect, uint32_t mode, Fixed corner)
{
    return NewDrawable(kItemRectOutline, RectOutlineRec{rect, mode, corner, {}});
}

MemHandle TypedItem_NewRectSet(const FixPoint* origin, const FixPoint* scale, uint16_t count, MemHandle rects,
                               uint32_t mode)
{
    RectSetRec set{origin != nullptr ? *origin : FixPoint{}, scale != nullptr ? *scale : kUnitScale, count, rects,
                   mode};
    return NewDrawable(kItemRectSet, set);
}

MemHandle TypedItem_NewEllipse(Fixed centreX, Fixed centreY, Fixed width, Fixed height, uint32_t mode)
{
    return NewDrawable(kItemEllipse, EllipseRec{{centreX, centreY}, width, height, mode, {}});
}

MemHandle TypedItem_NewSegment(FixPoint from, FixPoint to, uint32_t mode)
{
    return NewDrawable(kItemSegment, SegmentRec{from, to, mode, {}});
}

MemHandle TypedItem_NewPolyline(MemHandle points, uint32_t mode, uint32_t closed, int16_t skip, ObjectHandle owner)
{
    return NewDrawable(kItemPolyline, PolylineRec{points, mode, closed, skip, {}, owner});
}

MemHandle TypedItem_NewArc(Fixed centreX, Fixed centreY, Fixed sizeX, Fixed sizeY, int32_t start, int32_t end,
                           uint32_t mode)
{
    return NewDrawable(kItemArc, ArcRec{centreX, centreY, sizeX, sizeY, start, end, mode, {}});
}

MemHandle TypedItem_NewFilledRect(FixRect rect)
{
    return NewDrawable(kItemFilledRect, RectOutlineRec{rect, 0, 0, {}});
}

MemHandle TypedItem_OutlineOf(ObjectHandle object, uint32_t mode)
{
    if (!Model_IsObject(object)) {
        return 0;
    }
    FixRect box{};
    FixPoint position{};
    Model_GetField(object, Field::kBox, &box);
    Model_GetField(object, Field::kPosition, &position);
    auto width = static_cast<Fixed>(Model_GetFieldValue(object, Field::kWidth));
    auto height = static_cast<Fixed>(Model_GetFieldValue(object, Field::kHeight));
    switch (Model_GetKind(object)) {
    case 0: case 1: case 4: case 7: case 12:
        return TypedItem_NewRectOutline(box, mode, static_cast<Fixed>(Model_GetFieldValue(object, Field::kRoundedness)));
    case 2:
        return TypedItem_NewEllipse(position.x, position.y, width, height, mode);
    case 5:
    case 6:
    case 13: {
        MemHandle points = PtArray_Duplicate(Model_GetFieldValue(object, Field::kShapeData));
        if (points == 0) {
            return 0;
        }
        MemHandle item = TypedItem_NewPolyline(points, mode, Model_GetKind(object) != 13 ? 1 : 0, -1, 0);
        if (item == 0) {
            PtArray_Free(points);
        }
        return item;
    }
    case 8: {
        WedgeRecord wedge{};
        if (Model_GetWedge(object, &wedge) != kStatusOk) {
            return 0;
        }
        return TypedItem_NewArc(wedge.position.x, wedge.position.y, wedge.width, wedge.height, wedge.startDegrees,
                                wedge.endDegrees, mode);
    }
    default:
        return 0;
    }
}

MemHandle TypedItem_RectSetOfGroup(GroupNumber group, uint32_t mode, const FixPoint* grow)
{
    uint16_t count = Group_Count(group);
    MemHandle rects = 0;
    FixRect* boxes = nullptr;
    if (Mem_AllocLocked(&rects, reinterpret_cast<void**>(&boxes), size_t{count} * sizeof(FixRect)) != kStatusOk) {
        return 0;
    }
    FixPoint by = grow != nullptr ? *grow : FixPoint{};
    uint16_t kept = 0;
    for (uint16_t i = 0; i < count; ++i) {
        FixRect box{};
        // A member whose box cannot be read is left out.
        if (Model_GetField(Group_Member(group, i), Field::kBox, &box) != kStatusOk) {
            continue;
        }
        boxes[kept++] = FixRect{Fix_Sub(box.left, by.x), Fix_Sub(box.top, by.y), Fix_Add(box.right, by.x),
                                Fix_Add(box.bottom, by.y)};
    }
    Mem_Unlock(rects);
    MemHandle item = TypedItem_NewRectSet(nullptr, nullptr, kept, rects, mode);
    if (item == 0) {
        Mem_Free(rects);
    }
    return item;
}

// ---- Selection handles ----

MemHandle Dot_Create(uint32_t kind, uint16_t index, FixPoint centre, ObjectHandle owner, Fixed size)
{
    Fixed half = Fix_DivInt(Fix_Twice(size), 2) >> 1;
    DotRec dot{kind, index, centre, owner,
               FixRect{Fix_Sub(centre.x, half), Fix_Sub(centre.y, half), Fix_Add(centre.x, half),
                       Fix_Add(centre.y, half)}};
    return NewPayload(dot);
}

KernelStatus Dot_Free(MemHandle dot)
{
    return Mem_Free(dot);
}

uint32_t Dot_IsHandle(MemHandle dot)
{
    DotRec record{};
    return ReadPayload(dot, &record) && record.kind >= 5 && record.kind <= 12 ? 1 : 0;
}

uint32_t Dot_Kind(MemHandle dot)
{
    DotRec record{};
    return ReadPayload(dot, &record) ? record.kind : 17;
}

ObjectHandle Dot_Owner(MemHandle dot)
{
    DotRec record{};
    return ReadPayload(dot, &record) ? record.owner : 0;
}
