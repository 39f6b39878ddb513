// Connector ends: the path and its end offsets, clipping the ends against the
// outlines of the joined objects, arrow heads, the smoothed curve, and
// reattaching an end or replacing the points of a path or shape.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "xkv/core/CoreInternal.h"
#include "xkv/model/BlockLock.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"

using namespace core;

namespace {

FixPoint Add(FixPoint a, FixPoint b)
{
    return {Fix_Add(a.x, b.x), Fix_Add(a.y, b.y)};
}

FixPoint Sub(FixPoint a, FixPoint b)
{
    return {Fix_Sub(a.x, b.x), Fix_Sub(a.y, b.y)};
}

std::vector<FixPoint> PointsOf(PtArray array)
{
    std::vector<FixPoint> points(PtArray_Count(array));
    for (uint32_t i = 0; i < points.size(); ++i) {
        PtArray_GetPoint(array, i, &points[i]);
    }
    return points;
}

// A new point array holding the points; 0 when memory runs out.
PtArray ArrayOf(const std::vector<FixPoint>& points)
{
    PtArray array = 0;
    if (points.size() > kPtArrayMaxPoints ||
        PtArray_Create(&array, static_cast<uint16_t>(std::max<size_t>(points.size(), 2))) != kStatusOk) {
        return 0;
    }
    for (const FixPoint& p : points) {
        if (PtArray_Append(array, p) != kStatusOk) {
            PtArray_Free(array);
            return 0;
        }
    }
    return array;
}

ObjectHandle StartObject(ObjectHandle connector)
{
    return Model_GetFieldValue(connector, Field::kStartObject);
}

ObjectHandle EndObject(ObjectHandle connector)
{
    return Model_GetFieldValue(connector, Field::kEndObject);
}

bool Centred(ObjectHandle connector)
{
    return Model_GetFieldValue(connector, Field::kConnector66) != 0;
}

// ---- Clipping one end ----

Fixed RoundToPixel(Fixed c)
{
    return static_cast<Fixed>((int64_t{c} + 0x4000) & ~int64_t{0x7fff});
}

int Sign(int64_t v)
{
    return v < 0 ? -1 : 1;
}

// Vertical rays: d.x is 0, or nearly 0 against a very large d.y.
bool NearlyVertical(FixPoint d)
{
    int64_t dx2 = std::llabs(int64_t{d.x} * 2);
    int64_t dy2 = std::llabs(int64_t{d.y} * 2);
    return d.x == 0 || (dx2 < 0x10000 && dy2 > 0x40000000);
}

FixPoint RectangleExit(FixPoint d, Fixed w, Fixed h)
{
    int64_t hw = int64_t{w} / 2;
    int64_t hh = int64_t{h} / 2;
    if (NearlyVertical(d)) {
        return {0, Fix_Saturate(Sign(d.y) * hh)};
    }
    int64_t dx = d.x;
    int64_t dy = d.y;
    // h / w > |dy / dx|: the ray leaves through a vertical side. A horizontal
    // ray always does, also on a box without height (no division by dy).
    if (dy == 0 || int64_t{h} * std::llabs(dx) > int64_t{w} * std::llabs(dy)) {
        int64_t x = Sign(dx) * hw;
        return {Fix_Saturate(x), Fix_Saturate(dy * x / dx)};
    }
    int64_t y = Sign(dy) * hh;
    return {Fix_Saturate(dx * y / dy), Fix_Saturate(y)};
}

FixPoint EllipseExit(FixPoint d, Fixed w, Fixed h)
{
    if (NearlyVertical(d)) {
        return {0, Fix_Saturate(Sign(d.y) * (int64_t{h} / 2))};
    }
    Fixed ratio = Fix_Div(Fix_Saturate(std::llabs(int64_t{d.y})), Fix_Saturate(std::llabs(int64_t{d.x})));
    int32_t t = Fix_TableIndexSigned(ratio, Fix_TangentTable());
    int64_t x = (int64_t{w} / 2) * Fix_CosDeg(t) / kFixedOne;
    int64_t y = (int64_t{h} / 2) * Fix_SinDeg(t) / kFixedOne;
    return {Fix_Saturate(Sign(d.x) * std::llabs(x)), Fix_Saturate(Sign(d.y) * std::llabs(y))};
}

// Where two segments meet, ends included (parallel segments do not meet).
// Products of coordinate differences exceed 64 bits, so the parameters are
// taken in extended precision.
bool SegmentCross(FixPoint p0, FixPoint p1, FixPoint p2, FixPoint p3, FixPoint* out)
{
    using Wide = __int128;
    Wide rx = Wide{p1.x} - p0.x, ry = Wide{p1.y} - p0.y;
    Wide sx = Wide{p3.x} - p2.x, sy = Wide{p3.y} - p2.y;
    Wide qx = Wide{p2.x} - p0.x, qy = Wide{p2.y} - p0.y;
    Wide denominator = rx * sy - ry * sx;
    if (denominator == 0) {
        return false;
    }
    Wide tNumerator = qx * sy - qy * sx;
    Wide uNumerator = qx * ry - qy * rx;
    if (denominator < 0) {
        denominator = -denominator;
        tNumerator = -tNumerator;
        uNumerator = -uNumerator;
    }
    if (tNumerator < 0 || tNumerator > denominator || uNumerator < 0 || uNumerator > denominator) {
        return false;
    }
    *out = {Fix_Saturate(static_cast<int64_t>(Wide{p0.x} + rx * tNumerator / denominator)),
            Fix_Saturate(static_cast<int64_t>(Wide{p0.y} + ry * tNumerator / denominator))};
    return true;
}

std::optional<FixPoint> FirstBoxCrossing(FixPoint from, FixPoint to, const FixRect& box)
{
    const FixPoint topLeft{box.left, box.top};
    const FixPoint topRight{box.right, box.top};
    const FixPoint bottomLeft{box.left, box.bottom};
    const FixPoint bottomRight{box.right, box.bottom};
    const FixPoint edges[4][2] = {{topLeft, bottomLeft}, {topLeft, topRight}, {topRight, bottomRight},
                                  {bottomLeft, bottomRight}};
    for (const auto& edge : edges) {
        FixPoint crossing;
        if (SegmentCross(from, to, edge[0], edge[1], &crossing)) {
            return crossing;
        }
    }
    return std::nullopt;
}

bool StrictlyInside(const FixRect& box, FixPoint p)
{
    return p.x > box.left && p.x < box.right && p.y > box.top && p.y < box.bottom;
}

FixPoint PolygonEnd(ObjectHandle object, FixPoint p, FixPoint a, bool centred)
{
    PtArray points = Model_GetFieldValue(object, Field::kShapeData);
    std::vector<FixPoint> outline = PointsOf(points);
    FixPoint d{RoundToPixel(Fix_Sub(a.x, p.x)), RoundToPixel(Fix_Sub(a.y, p.y))};
    if (!centred) {
        FixRect grown = Box(object);
        Geom_InsetRect(&grown, -kFixedHalf, -kFixedHalf);
        if (!StrictlyInside(grown, p)) {
            p = Position(object);
            d = Sub(a, p);
        }
    }
    if (outline.size() < 2) {
        return p;
    }
    FixPoint far = Add(p, d);
    std::optional<FixPoint> best;
    int64_t bestDistance = -1;
    for (size_t i = 0; i < outline.size(); ++i) {
        const FixPoint& e0 = outline[i];
        const FixPoint& e1 = outline[(i + 1) % outline.size()];
        FixPoint crossing;
        if (!SegmentCross(far, p, e0, e1, &crossing)) {
            continue;
        }
        int64_t ex = int64_t{crossing.x} - p.x;
        int64_t ey = int64_t{crossing.y} - p.y;
        int64_t distance = std::llabs(ex) + std::llabs(ey);
        if (distance > bestDistance) {
            bestDistance = distance;
            best = crossing;
        }
    }
    return best.value_or(p);
}

// The end of a connector at object O, from reference point P toward aim A.
FixPoint ClipEnd(ObjectHandle object, FixPoint p, FixPoint a, bool centred)
{
    Fixed w = Width(object);
    Fixed h = Height(object);
    FixPoint d{RoundToPixel(Fix_Sub(a.x, p.x)), RoundToPixel(Fix_Sub(a.y, p.y))};
    switch (Kind(object)) {
    case 1:
    case 4:
    case 7:
    case 12: {
        if (centred) {
            return Add(p, RectangleExit(d, w, h));
        }
        FixRect box = Box(object);
        FixPoint to = StrictlyInside(box, p) ? a : Position(object);
        return FirstBoxCrossing(p, to, box).value_or(p);
    }
    case 2:
    case 8: {
        if (centred) {
            return Add(p, EllipseExit(d, w, h));
        }
        FixPoint end;
        Fixed distance = 0;
        FixBox box{Position(object).x, Position(object).y, w, h};
        Geom_NearestOnEllipse(box, p, &end, &distance);
        return end;
    }
    case 5:
    case 6:
        return PolygonEnd(object, p, a, centred);
    default:
        return p;
    }
}

// ---- Whole-path clipping ----

struct EndPoints {
    FixPoint start;
    FixPoint end;
};

EndPoints CurrentEndPoints(ObjectHandle connector)
{
    return {Add(Position(StartObject(connector)), Get<FixPoint>(connector, Field::kStartOffset)),
            Add(Position(EndObject(connector)), Get<FixPoint>(connector, Field::kEndOffset))};
}

// The connector's path as points, with at least the two end points.
std::vector<FixPoint> PathPoints(ObjectHandle connector, const EndPoints& ends)
{
    std::vector<FixPoint> path = PointsOf(Get<MemHandle>(connector, Field::kPath));
    if (path.size() < 2) {
        path = {ends.start, ends.end};
    }
    return path;
}

KernelStatus StoreEnds(ObjectHandle connector, std::vector<FixPoint> path, FixPoint start, FixPoint end)
{
    path.front() = start;
    path.back() = end;
    PtArray copy = ArrayOf(path);
    if (copy == 0) {
        return kStatusOutOfMemory;
    }
    Put(connector, Field::kStartOffset, Sub(start, Position(StartObject(connector))));
    Put(connector, Field::kEndOffset, Sub(end, Position(EndObject(connector))));
    KernelStatus status = ReplaceArrayField(connector, Field::kPath, copy);
    if (status != kStatusOk) {
        PtArray_Free(copy);
    }
    return status;
}

KernelStatus ClipEnds(ObjectHandle connector, const RebuildRequest& request, bool clipStart, bool clipEnd)
{
    bool centred = Centred(connector);
    ObjectHandle startObject = StartObject(connector);
    ObjectHandle endObject = EndObject(connector);
    EndPoints current = CurrentEndPoints(connector);
    EndPoints reference = centred ? EndPoints{Position(startObject), Position(endObject)} : current;
    std::vector<FixPoint> path = PathPoints(connector, current);
    FixPoint startAim = path.size() < 3 ? reference.end : path[1];
    FixPoint endAim = path.size() < 3 ? reference.start : path[path.size() - 2];
    if (!centred && request.kind == kRebuildResized) {
        clipStart = clipStart && startObject == request.changed;
        clipEnd = clipEnd && endObject == request.changed;
    }
    FixPoint start = clipStart ? ClipEnd(startObject, reference.start, startAim, centred) : current.start;
    FixPoint end = clipEnd ? ClipEnd(endObject, reference.end, endAim, centred) : current.end;
    return StoreEnds(connector, std::move(path), start, end);
}

// Puts the end points back where the offsets say.
KernelStatus RestoreEnds(ObjectHandle connector)
{
    EndPoints current = CurrentEndPoints(connector);
    return StoreEnds(connector, PathPoints(connector, current), current.start, current.end);
}

Fixed ScaleFactor(Fixed newSize, Fixed oldSize)
{
    // A vanished size on either side leaves the offset as it is.
    if (newSize == 0 || oldSize == 0) {
        return kFixedOne;
    }
    return Fix_Div(Fix_Twice(newSize), Fix_Twice(oldSize));
}

Fixed ScaleOffset(Fixed offset, Fixed factor)
{
    return Fix_Mul(Fix_Twice(offset), factor) / 2;
}

void ScaleEndOffset(ObjectHandle connector, FieldId field, const RebuildRequest& request)
{
    FixRect newBox = Box(request.changed);
    Fixed fx = ScaleFactor(Fix_Sub(newBox.right, newBox.left), Fix_Sub(request.oldBox.right, request.oldBox.left));
    Fixed fy = ScaleFactor(Fix_Sub(newBox.bottom, newBox.top), Fix_Sub(request.oldBox.bottom, request.oldBox.top));
    FixPoint offset = Get<FixPoint>(connector, field);
    Put(connector, field, FixPoint{ScaleOffset(offset.x, fx), ScaleOffset(offset.y, fy)});
}

}  // namespace

KernelStatus Core_SetConnectorPath(ObjectHandle connector, PtArray path)
{
    if (!Model_IsConnector(connector)) {
        return kStatusBadArgument;
    }
    ObjectHandle startObject = StartObject(connector);
    ObjectHandle endObject = EndObject(connector);
    PtArray copy = 0;
    if (path != 0 && PtArray_Count(path) >= 2) {
        copy = PtArray_Duplicate(path);
    } else if (PtArray_Create(&copy, kPtArrayDefaultCapacity) == kStatusOk) {
        if (PtArray_Append(copy, Position(startObject)) != kStatusOk ||
            PtArray_Append(copy, Position(endObject)) != kStatusOk) {
            PtArray_Free(copy);
            copy = 0;
        }
    }
    if (copy == 0) {
        return kStatusOutOfMemory;
    }
    FixPoint startOffset{};
    FixPoint endOffset{};
    if (!Centred(connector)) {
        FixPoint first;
        FixPoint last;
        PtArray_GetPoint(copy, 0, &first);
        PtArray_GetPoint(copy, PtArray_Count(copy) - 1u, &last);
        startOffset = Sub(first, Position(startObject));
        endOffset = Sub(last, Position(endObject));
    }
    Put(connector, Field::kStartOffset, startOffset);
    Put(connector, Field::kEndOffset, endOffset);
    if (Kind(connector) != 9) {
        PtArray_Free(copy);
        return kStatusOk;
    }
    KernelStatus status = ReplaceArrayField(connector, Field::kPath, copy);
    if (status != kStatusOk) {
        PtArray_Free(copy);
    }
    return status;
}

KernelStatus Core_ClipConnectorEnds(ObjectHandle connector, RebuildRequest* request)
{
    if (!Model_IsConnector(connector) || request == nullptr) {
        return kStatusBadArgument;
    }
    if (Centred(connector)) {
        return ClipEnds(connector, *request, true, true);
    }
    switch (request->kind) {
    case kRebuildNew:
    case kRebuildPath:
    case kRebuildPasted:
    case kRebuildFull:
        return ClipEnds(connector, *request, true, true);
    case kRebuildGroupMoved:
    case kRebuildBothMoved:
    case kRebuildAttributes:
        // Attribute changes rebuild the arrow heads, which pull the path's ends
        // back: put them back first so that repeated changes do not shorten it.
        return RestoreEnds(connector);
    case kRebuildResized: {
        bool start = StartObject(connector) == request->changed;
        bool end = EndObject(connector) == request->changed;
        if (start) {
            ScaleEndOffset(connector, Field::kStartOffset, *request);
        }
        if (end) {
            ScaleEndOffset(connector, Field::kEndOffset, *request);
        }
        return ClipEnds(connector, *request, true, true);
    }
    case kRebuildReattached:
        return ClipEnds(connector, *request, StartObject(connector) == request->changed,
                        EndObject(connector) == request->changed);
    default:
        return kStatusOk;
    }
}

// ---- Arrow heads ----

namespace {

struct Head {
    FixPoint base;
    std::vector<FixPoint> points;
};

// The head at T = points[0], pointing away from the first differing point.
std::optional<Head> BuildHead(const std::vector<FixPoint>& points, Fixed length, Fixed halfWidth)
{
    const FixPoint t = points.front();
    const FixPoint* u = nullptr;
    for (const FixPoint& p : points) {
        if (!(p == t)) {
            u = &p;
            break;
        }
    }
    if (u == nullptr) {
        return std::nullopt;
    }
    int64_t dx2 = (int64_t{u->x} - t.x) * 2;
    int64_t dy2 = (int64_t{u->y} - t.y) * 2;
    FixPoint direction;
    FixPoint cross;
    if (dx2 == 0 || (std::llabs(dx2) < 128 && std::llabs(dy2) > 65535)) {
        direction = {0, dy2 >= 2 ? length : -length};
        cross = {halfWidth, 0};
    } else if (dy2 == 0 || (std::llabs(dy2) < 128 && std::llabs(dx2) > 65535)) {
        direction = {dx2 > 0 ? length : -length, 0};
        cross = {0, halfWidth};
    } else {
        int32_t degrees = Fix_Angle(Fix_Saturate(dx2 / 2), Fix_Saturate(dy2 / 2)) / kFixedOne;
        direction = {Fix_Mul(length, Fix_CosDeg(degrees)), Fix_Mul(length, Fix_SinDeg(degrees))};
        cross = {Fix_Mul(halfWidth, Fix_CosDeg(degrees + 90)), Fix_Mul(halfWidth, Fix_SinDeg(degrees + 90))};
    }
    FixPoint base = Add(t, direction);
    return Head{base, {Add(base, cross), t, Sub(base, cross)}};
}

void ClearHead(ObjectHandle connector, FieldId field)
{
    ReplaceArrayField(connector, field, 0);
}

}  // namespace

KernelStatus Core_BuildArrowHeads(ObjectHandle connector)
{
    if (!Model_IsConnector(connector)) {
        return kStatusBadArgument;
    }
    ClearHead(connector, Field::kStartHead);
    ClearHead(connector, Field::kEndHead);
    uint32_t direction = Model_GetFieldValue(connector, Field::kDirection);
    if (direction == 0) {
        return kStatusOk;
    }
    std::vector<FixPoint> path = PointsOf(Get<MemHandle>(connector, Field::kPath));
    if (path.empty()) {
        return kStatusNoArrowHead;
    }
    uint32_t style = (Model_GetFieldValue(connector, Field::kStartValue) << 24) |
                     ((Model_GetFieldValue(connector, Field::kEndValue) & 0xff) << 16) | direction;
    Fixed length = static_cast<Fixed>(Model_GetFieldValue(connector, Field::kArrowHeight));
    Fixed halfWidth = static_cast<Fixed>(Model_GetFieldValue(connector, Field::kArrowWidth));
    KernelStatus result = kStatusOk;
    struct End {
        bool wanted;
        bool atStart;
        FieldId field;
    };
    for (End end : {End{direction == 2 || direction == 3, true, Field::kStartHead},
                    End{direction == 1 || direction == 3, false, Field::kEndHead}}) {
        if (!end.wanted) {
            continue;
        }
        std::vector<FixPoint> walk = path;
        if (!end.atStart) {
            std::reverse(walk.begin(), walk.end());
        }
        std::optional<Head> head = BuildHead(walk, length, halfWidth);
        PtArray array = head ? ArrayOf(head->points) : 0;
        if (array == 0) {
            result = kStatusNoArrowHead;
            continue;
        }
        Hook_Fire(2, end.atStart ? 0 : 1, style, array);
        if (ReplaceArrayField(connector, end.field, array) != kStatusOk) {
            PtArray_Free(array);
            result = kStatusNoArrowHead;
            continue;
        }
        (end.atStart ? path.front() : path.back()) = head->base;
    }
    PtArray pulledBack = ArrayOf(path);
    if (pulledBack == 0) {
        return kStatusOutOfMemory;
    }
    if (ReplaceArrayField(connector, Field::kPath, pulledBack) != kStatusOk) {
        PtArray_Free(pulledBack);
    }
    return result;
}

KernelStatus Core_BuildCurve(ObjectHandle connector)
{
    if (!Model_IsConnector(connector)) {
        return kStatusBadArgument;
    }
    Fixed parameter = static_cast<Fixed>(Model_GetFieldValue(connector, Field::kCornerRadius));
    PtArray path = Get<MemHandle>(connector, Field::kPath);
    if (parameter <= 0 || PtArray_Count(path) <= 2) {
        return ReplaceArrayField(connector, Field::kRoundedPath, 0);
    }
    PtArray curve = 0;
    KernelStatus status = PtArray_Create(&curve, kPtArrayDefaultCapacity);
    if (status == kStatusOk) {
        status = Spline_RoundCorners(path, curve, parameter);
    }
    if (status == kStatusOk) {
        status = ReplaceArrayField(connector, Field::kRoundedPath, curve);
    }
    if (status != kStatusOk && curve != 0) {
        PtArray_Free(curve);
    }
    return status;
}

// ---- Reattaching and replacing points ----

KernelStatus Core_ReattachConnector(ObjectHandle connector, ObjectHandle object, uint32_t which, PtArray points)
{
    if (which != 1 && which != 2) {
        return kStatusBadContainerArgument;
    }
    if (!Model_IsConnector(connector) || !Model_IsObject(object) || PtArray_Count(points) == 0) {
        return kStatusBadArgument;
    }
    EndPoints ends = CurrentEndPoints(connector);
    ObjectHandle startObject = StartObject(connector);
    ObjectHandle endObject = EndObject(connector);
    ObjectHandle newObject = object;
    FixPoint newPoint;
    if (which == 1) {
        PtArray_GetPoint(points, PtArray_Count(points) - 1u, &newPoint);
    } else {
        PtArray_GetPoint(points, 0, &newPoint);
    }
    if (!HookAllows(8, connector, object, which) ||
        !HookAllows(77, connector, reinterpret_cast<uintptr_t>(&newObject), which,
                    reinterpret_cast<uintptr_t>(&newPoint))) {
        return kStatusRefusedByHook;
    }
    if (!Model_IsObject(newObject)) {
        return kStatusBadArgument;
    }
    (which == 1 ? endObject : startObject) = newObject;
    (which == 1 ? ends.end : ends.start) = newPoint;
    if (!HookAllows(9, startObject, endObject, which)) {
        return kStatusRefusedByHook;
    }
    Model_SetConnectorEnds(connector, startObject, endObject);
    Put(connector, Field::kStartOffset, Sub(ends.start, Position(startObject)));
    Put(connector, Field::kEndOffset, Sub(ends.end, Position(endObject)));
    RebuildRequest request;
    request.kind = kRebuildReattached;
    request.changed = newObject;
    KernelStatus status = Core_RebuildObject(connector, &request);
    Hook_Fire(74, connector, which);
    return status;
}

KernelStatus Core_ReplaceConnectorPoints(ObjectHandle connector, PtArray points)
{
    if (!Model_IsConnector(connector) || Kind(connector) != 9) {
        return kStatusOk;
    }
    if (PtArray_Count(points) < 2) {
        return kStatusBadArgument;
    }
    PtArray copy = PtArray_Duplicate(points);
    if (copy == 0) {
        return kStatusOutOfMemory;
    }
    KernelStatus status = ReplaceArrayField(connector, Field::kPath, copy);
    if (status != kStatusOk) {
        PtArray_Free(copy);
        return status;
    }
    RebuildRequest request;
    request.kind = kRebuildPath;
    return Core_RebuildObject(connector, &request);
}

KernelStatus Core_ReplaceShapePoints(ObjectHandle object, PtArray points)
{
    uint32_t kind = Kind(object);
    if (!Model_IsObject(object) || (kind != 5 && kind != 13)) {
        return kStatusNotAWedge;
    }
    PtArray copy = PtArray_Duplicate(points);
    if (copy == 0) {
        return kStatusOutOfMemory;
    }
    FixRect oldBox = Box(object);
    KernelStatus status = Core_SetShapePoints(object, copy, 1);
    if (status != kStatusOk) {
        return status;
    }
    ScopedGroup group(GroupOf(object));
    ScopedSets sets(kSetInner | kSetOneEnd);
    if (!group || Core_ClassifyConnectors(group.get(), sets.get()) != kStatusOk) {
        return kStatusBadGroup;
    }
    RebuildRequest request;
    request.kind = kRebuildResized;
    request.changed = object;
    request.oldBox = oldBox;
    Core_RebuildGroup(sets->oneEnd, &request);
    Core_RebuildGroup(sets->inner, &request);
    return kStatusOk;
}
