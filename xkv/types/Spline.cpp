// Curves as point arrays: ellipse, cut-corner rectangle and arc outlines, and
// polylines with their inner corners rounded by a shift-only arc generator.
#include <algorithm>
#include <vector>

#include "xkv/types/Geometry.h"
#include "xkv/types/PtArray.h"

namespace {

constexpr Fixed k360 = 360 * kFixedOne;
constexpr int32_t kArcStepDegrees = 11;  // 360 / 32, truncated
constexpr uint16_t kFullEllipsePoints = 32;
// Guard on the rotation steps of the arc generator; a sound corner needs far
// fewer.
constexpr int kMaxArcSteps = 1 << 20;

// Copies the points of an array out, so that appending to another array
// (or the same one) cannot move them.
std::vector<FixPoint> CopyPoints(PtArray array)
{
    std::vector<FixPoint> points(PtArray_Count(array));
    for (uint32_t i = 0; i < points.size(); ++i) {
        PtArray_GetPoint(array, i, &points[i]);
    }
    return points;
}

// Appends the points in turn; on failure frees the array and gives 0.
PtArray AppendAll(PtArray array, const std::vector<FixPoint>& points)
{
    for (const FixPoint& p : points) {
        if (PtArray_Append(array, p) != kStatusOk) {
            PtArray_Free(array);
            return 0;
        }
    }
    return array;
}

}  // namespace

PtArray Spline_EllipsePoints(uint16_t n, const FixRect& box, int32_t flag)
{
    PtArray array = 0;
    if (PtArray_Create(&array, n) != kStatusOk) {
        return 0;
    }
    Fixed w = Fix_Sub(box.right, box.left);
    Fixed h = Fix_Sub(box.bottom, box.top);
    FixPoint centre{Fix_Add(box.left, w >> 1), Fix_Add(box.top, h >> 1)};
    Fixed step = Fix_Div(k360, Fix_FromInt(n));
    Fixed first = -90 * kFixedOne + (flag == 0 ? step / 2 : 0);
    std::vector<FixPoint> points(n);
    for (uint16_t i = 0; i < n; ++i) {
        Fixed t = Fix_Add(first, Fix_Mul(step, Fix_FromInt(i)));
        points[i] = {Fix_Add(centre.x, Fix_Mul(w, Fix_Cos(t)) >> 1), Fix_Add(centre.y, Fix_Mul(h, Fix_Sin(t)) >> 1)};
    }
    return AppendAll(array, points);
}

PtArray Spline_RoundRectPoints(const FixRect& r, Fixed corner)
{
    Fixed dx = Fix_Sub(r.right, r.left);
    Fixed dy = Fix_Sub(r.bottom, r.top);
    Fixed cx = (dx >> 1) >= corner ? corner : dx >> 2;
    Fixed cy = (dy >> 1) >= corner ? corner : dy >> 2;
    Fixed qx = cx >> 2, qy = cy >> 2;
    const std::vector<FixPoint> points = {
        {Fix_Add(r.left, cx), r.top},
        {Fix_Sub(r.right, cx), r.top},
        {Fix_Sub(r.right, qx), Fix_Add(r.top, qy)},
        {r.right, Fix_Add(r.top, cy)},
        {r.right, Fix_Sub(r.bottom, cy)},
        {Fix_Sub(r.right, qx), Fix_Sub(r.bottom, qy)},
        {Fix_Sub(r.right, cx), r.bottom},
        {Fix_Add(r.left, cx), r.bottom},
        {Fix_Add(r.left, qx), Fix_Sub(r.bottom, qy)},
        {r.left, Fix_Sub(r.bottom, cy)},
        {r.left, Fix_Add(r.top, cy)},
        {Fix_Add(r.left, qx), Fix_Add(r.top, qy)},
    };
    PtArray array = 0;
    if (PtArray_Create(&array, static_cast<uint16_t>(points.size())) != kStatusOk) {
        return 0;
    }
    return AppendAll(array, points);
}

PtArray Spline_ArcPoints(const FixPoint& centre, Fixed width, Fixed height, int32_t start, int32_t end,
                         bool closed, bool pie)
{
    Fixed a = width >> 1, b = height >> 1;
    if (int64_t{end} - start >= 360) {
        FixRect box{Fix_Sub(centre.x, a), Fix_Sub(centre.y, b), Fix_Add(centre.x, a), Fix_Add(centre.y, b)};
        return Spline_EllipsePoints(kFullEllipsePoints, box, 0);
    }
    PtArray array = 0;
    if (PtArray_Create(&array, kPtArrayDefaultCapacity) != kStatusOk) {
        return 0;
    }
    std::vector<FixPoint> points;
    FixPoint p;
    for (int64_t t = start; t < end; t += kArcStepDegrees) {
        Geom_EllipsePoint(&centre, a, b, static_cast<int32_t>(t), &p);
        points.push_back(p);
    }
    Geom_EllipsePoint(&centre, a, b, end, &p);
    points.push_back(p);
    if (closed) {
        if (pie) {
            points.push_back(centre);
        }
        points.push_back(points.front());
    }
    return AppendAll(array, points);
}

void Spline_CornerPoints(const FixPoint& previous, const FixPoint& corner, const FixPoint& next, Fixed radius,
                         FixPoint* a, FixPoint* b)
{
    constexpr Fixed kPixel = 0x8000;
    Fixed toPrevious = (Geom_PixelDistance(previous.x, previous.y, corner.x, corner.y) / 2) * kPixel;
    Fixed toNext = (Geom_PixelDistance(corner.x, corner.y, next.x, next.y) / 2) * kPixel;
    Fixed r = std::min({toPrevious, toNext, radius});
    Geom_PointToward(corner, previous, r, a);
    Geom_PointToward(corner, next, r, b);
}

bool Spline_CornerCentre(const FixPoint& a, const FixPoint& corner, const FixPoint& b, FixPoint* centre)
{
    const FixPoint a2{Fix_Twice(a.x), Fix_Twice(a.y)};
    const FixPoint b2{Fix_Twice(b.x), Fix_Twice(b.y)};
    const FixPoint corner2{Fix_Twice(corner.x), Fix_Twice(corner.y)};
    Fixed m1 = 0, m2 = 0;
    bool found1 = Geom_NormalSlope(a2, corner2, &m1);
    bool found2 = Geom_NormalSlope(b2, corner2, &m2);
    auto magnitude = [](Fixed v) { return v < 0 ? -int64_t{v} : int64_t{v}; };
    constexpr Fixed kSixteen = 16 * kFixedOne;
    Fixed x, y;
    if (!found1 && !found2) {
        return false;
    }
    if (!found1) {
        if (magnitude(m2) > kSixteen) {
            return false;
        }
        x = a2.x;
        y = Fix_Add(b2.y, Fix_Mul(m2, Fix_Sub(x, b2.x)));
    } else if (!found2) {
        if (magnitude(m1) > kSixteen) {
            return false;
        }
        x = b2.x;
        y = Fix_Add(a2.y, Fix_Mul(m1, Fix_Sub(x, a2.x)));
    } else {
        if (magnitude(int64_t{m2} - m1) < 16384) {
            return false;
        }
        if (magnitude(m1) > 0xfffff && magnitude(m2) > 0xfffff) {
            return false;
        }
        Fixed numerator = Fix_Saturate(int64_t{Fix_Mul(m2, b2.x)} + a2.y - b2.y - Fix_Mul(m1, a2.x));
        x = Fix_Div(numerator, Fix_Sub(m2, m1));
        y = Fix_Add(b2.y, Fix_Mul(m2, Fix_Sub(x, b2.x)));
    }
    *centre = {x >> 1, y >> 1};
    return true;
}

namespace {

int64_t Square(int64_t v)
{
    return v * v;
}

// One coordinate of the distance to the target, scaled to keep the square
// within range.
int64_t ScaledError(int64_t e)
{
    int64_t whole = e >> 16;
    return (whole < 0 ? -whole : whole) < 400 ? e >> 10 : 65535;
}

}  // namespace

KernelStatus Spline_CornerArc(const FixPoint& a, const FixPoint& b, const FixPoint& centre, bool direction,
                              PtArray destination)
{
    int64_t rx = int64_t{a.x} - centre.x, ry = int64_t{a.y} - centre.y;
    int64_t lx = rx, ly = ry;
    const int64_t tx = int64_t{b.x} - centre.x, ty = int64_t{b.y} - centre.y;

    int shift = 4;
    int64_t r2 = Square(rx >> 14) + Square(ry >> 14);
    if (r2 < 2) {
        return kStatusOk;
    }
    int64_t chord2 = Square((int64_t{a.x} - b.x) >> 14) + Square((int64_t{a.y} - b.y) >> 14);
    while (r2 > chord2) {
        r2 >>= 1;
        shift++;
    }

    uint64_t previous = 0;
    bool approaching = false, arrived = false;
    for (int step = 0; step < kMaxArcSteps; ++step) {
        if (direction) {
            rx -= ry >> shift;
            ry += rx >> shift;
        } else {
            rx += ry >> shift;
            ry -= rx >> shift;
        }
        int64_t ex = ScaledError(tx - rx), ey = ScaledError(ty - ry);
        uint64_t d = static_cast<uint64_t>(Square(ex) + Square(ey));
        if (d <= previous) {
            if (approaching) {
                arrived = true;
            }
            approaching = true;
        } else {
            approaching = false;
        }
        if (arrived && d >= previous) {
            break;
        }
        previous = d;
        int64_t movedX = rx - lx, movedY = ry - ly;
        if (movedX >= 0x8000 || movedX <= -0x8000 || movedY >= 0x8000 || movedY <= -0x8000) {
            lx = rx;
            ly = ry;
            KernelStatus status =
                PtArray_Append(destination, {Fix_Saturate(centre.x + rx), Fix_Saturate(centre.y + ry)});
            if (status != kStatusOk) {
                return status;
            }
        }
    }
    return kStatusOk;
}

namespace {

// Which way the arc of a rounded corner turns, from the directions of the two
// legs and the place of the arc's start relative to its centre.
bool CornerDirection(const FixPoint& a, const FixPoint& corner, const FixPoint& b, const FixPoint& c)
{
    int64_t d1x = int64_t{corner.x} - a.x, d1y = int64_t{corner.y} - a.y;
    int64_t d2x = int64_t{b.x} - corner.x, d2y = int64_t{b.y} - corner.y;
    bool fx = d1x > 0 || (d1x == 0 && d2x >= 0);
    bool fy = d1y > 0 || (d1y == 0 && d2y >= 0);
    int64_t ox = int64_t{a.x} - c.x, oy = int64_t{a.y} - c.y;
    return (fx && oy < -32767) || (!fx && oy > 32767) || (fy && ox > 32767) || (!fy && ox < -32767);
}

}  // namespace

KernelStatus Spline_RoundCorners(PtArray source, PtArray destination, Fixed radius)
{
    const std::vector<FixPoint> points = CopyPoints(source);
    if (points.empty()) {
        return kStatusOk;
    }
    KernelStatus status = PtArray_Append(destination, points.front());
    bool previousRounded = false;
    FixPoint previousEnd;
    for (size_t i = 1; status == kStatusOk && i + 1 < points.size(); ++i) {
        const FixPoint& corner = points[i];
        FixPoint a, b, c;
        Spline_CornerPoints(points[i - 1], corner, points[i + 1], radius, &a, &b);
        if (!Spline_CornerCentre(a, corner, b, &c)) {
            status = PtArray_Append(destination, corner);
            previousRounded = false;
            continue;
        }
        if (!(previousRounded && previousEnd == a)) {
            status = PtArray_Append(destination, a);
        }
        if (status == kStatusOk) {
            status = Spline_CornerArc(a, b, c, CornerDirection(a, corner, b, c), destination);
        }
        previousRounded = true;
        previousEnd = b;
    }
    if (status == kStatusOk && points.size() > 1) {
        status = PtArray_Append(destination, points.back());
    }
    return status;
}
