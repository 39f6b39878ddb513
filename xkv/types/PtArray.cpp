// Point arrays: the header block, growth, insertion and deletion, and the
// whole-array operations (translate, scale, bounds, nearest point, crossing
// and enclosure tests).
#include "xkv/types/PtArray.h"

#include <cstring>
#include <span>

#include "xkv/types/Geometry.h"

namespace {

struct PtArrayHeader {
    uint16_t capacity;
    uint16_t count;
    uint16_t pins;
    MemHandle points;
};

// Spare points added beyond the requested count when the block grows.
constexpr uint32_t kGrowthSpare = 5;

PtArrayHeader* LockHeader(PtArray array, KernelStatus* status)
{
    PtArrayHeader* header = nullptr;
    *status = Mem_LockAs(array, &header);
    return header;
}

// The points in use, or an empty span when there are none.
std::span<FixPoint> Points(const PtArrayHeader& header)
{
    FixPoint* points = nullptr;
    if (header.count == 0 || Mem_LockAs(header.points, &points) != kStatusOk) {
        return {};
    }
    return {points, header.count};
}

KernelStatus Grow(PtArrayHeader* header, uint32_t count)
{
    uint32_t capacity = count + kGrowthSpare;
    if (capacity > kPtArrayMaxPoints) {
        capacity = kPtArrayMaxPoints;
    }
    size_t bytes = capacity * sizeof(FixPoint);
    KernelStatus status =
        header->points == 0 ? Mem_Alloc(&header->points, bytes) : Mem_Realloc(&header->points, bytes);
    if (status != kStatusOk) {
        return status;
    }
    header->capacity = static_cast<uint16_t>(capacity);
    header->count = static_cast<uint16_t>(count);
    return kStatusOk;
}

KernelStatus SetCount(PtArrayHeader* header, uint32_t count)
{
    if (count > kPtArrayMaxPoints) {
        return kStatusOutOfMemory;
    }
    if (count <= header->capacity) {
        header->count = static_cast<uint16_t>(count);
        return kStatusOk;
    }
    if (header->pins > 0) {
        return kStatusPtArrayPinned;
    }
    return Grow(header, count);
}

// Opens a gap at position and stores the point there; position <= count.
KernelStatus InsertPoint(PtArrayHeader* header, uint32_t position, const FixPoint& point)
{
    uint32_t oldCount = header->count;
    KernelStatus status = SetCount(header, oldCount + 1);
    if (status != kStatusOk) {
        return status;
    }
    FixPoint* points = nullptr;
    status = Mem_LockAs(header->points, &points);
    if (status != kStatusOk) {
        header->count = static_cast<uint16_t>(oldCount);
        return status;
    }
    std::memmove(points + position + 1, points + position, (oldCount - position) * sizeof(FixPoint));
    points[position] = point;
    return kStatusOk;
}

}  // namespace

KernelStatus PtArray_Create(PtArray* out, uint16_t capacity)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    PtArrayHeader* header = nullptr;
    KernelStatus status = Mem_AllocLocked(out, reinterpret_cast<void**>(&header), sizeof(PtArrayHeader));
    if (status != kStatusOk) {
        *out = 0;
        return status;
    }
    if (capacity > 0) {
        status = Mem_Alloc(&header->points, capacity * sizeof(FixPoint));
        if (status != kStatusOk) {
            Mem_Free(*out);
            *out = 0;
            return status;
        }
        header->capacity = capacity;
    }
    return kStatusOk;
}

PtArray PtArray_New()
{
    PtArray array = 0;
    PtArray_Create(&array, kPtArrayDefaultCapacity);
    return array;
}

PtArray PtArray_Duplicate(PtArray source)
{
    KernelStatus status;
    const PtArrayHeader* from = LockHeader(source, &status);
    if (from == nullptr) {
        return 0;
    }
    uint16_t count = from->count;
    PtArray copy = 0;
    if (PtArray_Create(&copy, count > 0 ? count : kPtArrayDefaultCapacity) != kStatusOk) {
        return 0;
    }
    PtArrayHeader* to = LockHeader(copy, &status);
    std::span<const FixPoint> points = Points(*from);
    if (!points.empty()) {
        FixPoint* target = nullptr;
        Mem_LockAs(to->points, &target);
        std::memcpy(target, points.data(), points.size_bytes());
    }
    to->count = static_cast<uint16_t>(points.size());
    return copy;
}

KernelStatus PtArray_Free(PtArray array)
{
    KernelStatus status;
    PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    MemHandle points = header->points;
    Mem_Free(array);
    if (points == 0) {
        return kStatusNoPointBlock;
    }
    return Mem_Free(points);
}

KernelStatus PtArray_LockPoints(PtArray array, FixPoint** points)
{
    KernelStatus status;
    PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    if (header->pins == UINT16_MAX) {
        return kStatusFailed;
    }
    status = Mem_LockAs(header->points, points);
    if (status == kStatusOk) {
        header->pins++;
    }
    return status;
}

KernelStatus PtArray_UnlockPoints(PtArray array)
{
    KernelStatus status;
    PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    if (header->pins > 0) {
        Mem_Unlock(header->points);
        header->pins--;
    }
    return kStatusOk;
}

uint16_t PtArray_Count(PtArray array)
{
    KernelStatus status;
    const PtArrayHeader* header = LockHeader(array, &status);
    return header == nullptr ? 0 : header->count;
}

KernelStatus PtArray_SetCount(PtArray array, uint16_t count)
{
    KernelStatus status;
    PtArrayHeader* header = LockHeader(array, &status);
    return header == nullptr ? status : SetCount(header, count);
}

KernelStatus PtArray_GetPoint(PtArray array, uint32_t index, FixPoint* out)
{
    KernelStatus status;
    const PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    std::span<const FixPoint> points = Points(*header);
    if (index < points.size()) {
        *out = points[index];
    }
    return kStatusOk;
}

KernelStatus PtArray_SetPoint(PtArray array, uint32_t index, const FixPoint& point)
{
    KernelStatus status;
    const PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    std::span<FixPoint> points = Points(*header);
    if (index < points.size()) {
        points[index] = point;
    }
    return kStatusOk;
}

KernelStatus PtArray_InsertAfter(PtArray array, int32_t index, const FixPoint& point)
{
    KernelStatus status;
    PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    if (index < -1 || index >= header->count) {
        return kStatusOk;
    }
    return InsertPoint(header, static_cast<uint32_t>(index + 1), point);
}

KernelStatus PtArray_InsertAt(PtArray array, int32_t index, const FixPoint& point)
{
    KernelStatus status;
    PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    if (index < 0 || index > header->count) {
        return kStatusOk;
    }
    return InsertPoint(header, static_cast<uint32_t>(index), point);
}

KernelStatus PtArray_Prepend(PtArray array, const FixPoint& point)
{
    return PtArray_InsertAt(array, 0, point);
}

KernelStatus PtArray_Append(PtArray array, const FixPoint& point)
{
    KernelStatus status;
    PtArrayHeader* header = LockHeader(array, &status);
    return header == nullptr ? status : InsertPoint(header, header->count, point);
}

KernelStatus PtArray_Delete(PtArray array, uint32_t index)
{
    KernelStatus status;
    PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    std::span<FixPoint> points = Points(*header);
    if (index < points.size()) {
        std::memmove(&points[index], &points[index] + 1, (points.size() - index - 1) * sizeof(FixPoint));
        header->count--;
    }
    return kStatusOk;
}

KernelStatus PtArray_Translate(PtArray array, const FixPoint& offset)
{
    KernelStatus status;
    const PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    for (FixPoint& p : Points(*header)) {
        Geom_AddPoints(&p, &p, &offset);
    }
    return kStatusOk;
}

KernelStatus PtArray_Scale(PtArray array, const FixPoint* centre, Fixed sx, Fixed sy)
{
    KernelStatus status;
    const PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    const FixPoint c = centre != nullptr ? *centre : FixPoint{};
    for (FixPoint& p : Points(*header)) {
        p = {Fix_Add(c.x, Fix_Mul(sx, Fix_Twice(Fix_Sub(p.x, c.x))) >> 1),
             Fix_Add(c.y, Fix_Mul(sy, Fix_Twice(Fix_Sub(p.y, c.y))) >> 1)};
    }
    return kStatusOk;
}

KernelStatus PtArray_Bounds(PtArray array, FixRect* bounds)
{
    KernelStatus status;
    const PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    std::span<const FixPoint> points = Points(*header);
    if (points.empty()) {
        return kStatusOk;
    }
    FixRect r{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const FixPoint& p : points) {
        Geom_RectAddPoint(&r, p);
    }
    *bounds = r;
    return kStatusOk;
}

KernelStatus PtArray_NearestPoint(PtArray array, const FixPoint& p, FixPoint* nearest, Fixed* distance,
                                  bool* onEdge)
{
    KernelStatus status;
    const PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return status;
    }
    std::span<const FixPoint> points = Points(*header);
    Fixed best = 0x3fffffff;
    *onEdge = false;
    for (size_t i = points.size(); i-- > 1;) {
        FixPoint candidate;
        if (Geom_PerpendicularFoot(points[i], points[i - 1], p, &candidate)) {
            *onEdge = true;
        } else {
            bool endNearer = Geom_Distance(points[i], p) < Geom_Distance(points[i - 1], p);
            candidate = endNearer ? points[i] : points[i - 1];
        }
        Fixed d = Geom_Distance(candidate, p);
        if (d < best) {
            best = d;
            *nearest = candidate;
            *distance = d;
        }
    }
    return kStatusOk;
}

bool PtArray_SelfCrosses(PtArray array)
{
    KernelStatus status;
    const PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return false;
    }
    std::span<const FixPoint> points = Points(*header);
    size_t n = points.size();
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = 0; j < n; ++j) {
            FixPoint crossing;
            if (i != j && Geom_SegmentsCross(points[i], points[(i + 1) % n], points[j], points[(j + 1) % n],
                                             &crossing)) {
                return true;
            }
        }
    }
    return false;
}

bool PtArray_Encloses(PtArray array, const FixPoint& centre)
{
    KernelStatus status;
    const PtArrayHeader* header = LockHeader(array, &status);
    if (header == nullptr) {
        return false;
    }
    std::span<const FixPoint> points = Points(*header);
    if (points.size() < 3) {
        return false;
    }
    int64_t sum = 0;
    for (size_t k = 0; k < points.size(); ++k) {
        sum += Geom_AngleStep(points[k], centre, points[(k + 1) % points.size()]);
    }
    return sum > 350 || sum < -350;
}
