// The arithmetic of the alignment commands; see AlignGeometry.h.
#include "atolq/CEditor/AlignGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kPi = 3.141592654;
constexpr double kTwoPi = 6.283185308;
constexpr int64_t kPixel = int64_t{1} << kFixedShiftPerPixel;

Fixed Saturated(int64_t value)
{
    return static_cast<Fixed>(std::clamp<int64_t>(value, std::numeric_limits<Fixed>::min(),
                                                  std::numeric_limits<Fixed>::max()));
}

// Truncation towards zero of a real coordinate, saturated to a Fixed.
int64_t Truncated(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<int64_t>(std::clamp(std::trunc(value), -9.0e15, 9.0e15));
}

int64_t Left(const AlignBox& b) { return int64_t{b.x} - b.width / 2; }
int64_t Right(const AlignBox& b) { return int64_t{b.x} + b.width / 2; }
int64_t Top(const AlignBox& b) { return int64_t{b.y} - b.height / 2; }
int64_t Bottom(const AlignBox& b) { return int64_t{b.y} + b.height / 2; }

int64_t Pixels(int16_t value) { return int64_t{value} * kPixel; }

int16_t WholePixels(int64_t fixed)
{
    return static_cast<int16_t>(std::clamp<int64_t>(fixed / kPixel, INT16_MIN, INT16_MAX));
}

double Radians(double degrees) { return degrees * kPi / 180.0; }

double DistanceBetween(int64_t dx, int64_t dy)
{
    return std::sqrt(static_cast<double>(dx) * static_cast<double>(dx) +
                     static_cast<double>(dy) * static_cast<double>(dy));
}

// Whole degrees, y upwards, of the direction from the reference to the point.
long WholeDegrees(int64_t dx, int64_t upwards)
{
    return std::lround(180.0 * std::atan2(static_cast<double>(upwards), static_cast<double>(dx)) / kPi);
}

}  // namespace

AlignBounds GE_BoundsOf(std::span<const AlignBox> boxes)
{
    AlignBounds bounds;
    if (boxes.empty())
        return bounds;
    int64_t left = Left(boxes[0]), right = Right(boxes[0]), top = Top(boxes[0]), bottom = Bottom(boxes[0]);
    for (size_t i = 1; i < boxes.size(); ++i) {
        const AlignBox& b = boxes[i];
        if (Left(b) < left) {
            left = Left(b);
            bounds.leftmost = i;
        }
        if (Right(b) > right) {
            right = Right(b);
            bounds.rightmost = i;
        }
        if (Top(b) < top) {
            top = Top(b);
            bounds.topmost = i;
        }
        if (Bottom(b) > bottom) {
            bottom = Bottom(b);
            bounds.bottommost = i;
        }
    }
    bounds.box = {Saturated((left + right) / 2), Saturated((bottom + top) / 2), Saturated(right - left),
                  Saturated(bottom - top)};
    return bounds;
}

bool GE_OffsetFor(int32_t command, const AlignBox& s, const AlignBox& r, FixPoint second, const PositionRecord& record,
                  FixPoint* offset)
{
    const int64_t xs = s.x, ys = s.y, xr = r.x, yr = r.y;
    int64_t dx = 0, dy = 0;
    switch (command) {
    case 901: dy = yr - ys; break;
    case 902: dx = xr - xs; break;
    case 903: dx = Left(r) - Left(s); break;
    case 904: dx = Right(r) - Left(s); break;
    case 905: dx = Left(r) - Right(s); break;
    case 906: dx = Right(r) - Right(s); break;
    case 907: dy = Top(r) - Top(s); break;
    case 908: dy = Bottom(r) - Top(s); break;
    case 909: dy = Top(r) - Bottom(s); break;
    case 910: dy = Bottom(r) - Bottom(s); break;
    case 911:
        dx = xr - xs;
        dy = yr - ys;
        break;
    case 912:
        dx = (xr + second.x) / 2 - xs;
        dy = (yr + second.y) / 2 - ys;
        break;
    case 913:
        dx = 2 * int64_t{second.x} - xr - xs;
        dy = 2 * int64_t{second.y} - yr - ys;
        break;
    case 914:
        if (record[kPosType] == kPositionCartesian) {
            dx = Pixels(record[kPosFirst]) + xr - xs;
            dy = yr - Pixels(record[kPosSecond]) - ys;
        } else {
            const int32_t degrees = record[kPosFirst] + (record[kPosRelative] != 0 ? record[kPosStartAngle] : 0);
            const double angle = Radians(degrees);
            const double distance = record[kPosSecond];
            dx = Truncated(distance * std::cos(angle)) * kPixel + xr - xs;
            dy = yr - Truncated(distance * std::sin(angle)) * kPixel - ys;
        }
        break;
    default: return false;
    }
    *offset = {Saturated(dx), Saturated(dy)};
    return true;
}

PositionRecord GE_StartRecord(std::span<const AlignBox> boxes, const AlignBox& reference, int16_t mode)
{
    PositionRecord record{};
    record[kPosType] = kPositionCartesian;
    record[kPosMode] = mode;
    if (boxes.empty())
        return record;
    const AlignBox s = mode == 1 ? GE_BoundsOf(boxes).box : boxes.front();
    const int64_t dx = int64_t{s.x} - reference.x;
    const int64_t upwards = int64_t{reference.y} - s.y;
    record[kPosStartX] = WholePixels(dx);
    record[kPosStartY] = WholePixels(upwards);
    record[kPosStartAngle] = static_cast<int16_t>(WholeDegrees(record[kPosStartX], record[kPosStartY]));
    record[kPosStartDistance] = WholePixels(Truncated(DistanceBetween(dx, upwards)));
    if (mode != 2)
        return record;
    record[kPosShowX] = 1;
    record[kPosShowY] = 1;
    // The directions are compared in whole degrees, as the dialog shows them.
    bool sameDirection = true, sameDistance = true;
    for (const AlignBox& b : boxes) {
        const int64_t bx = int64_t{b.x} - reference.x;
        const int64_t bUp = int64_t{reference.y} - b.y;
        sameDirection = sameDirection && WholeDegrees(bx, bUp) == WholeDegrees(dx, upwards);
        sameDistance =
            sameDistance && WholePixels(Truncated(DistanceBetween(bx, bUp))) == record[kPosStartDistance];
    }
    record[kPosShowAngle] = sameDirection ? 1 : 0;
    record[kPosShowDistance] = sameDistance ? 1 : 0;
    return record;
}

FixPoint GE_RotatedAbout(FixPoint reference, FixPoint object, double degrees, bool relative)
{
    const double dx = static_cast<double>(int64_t{object.x} - reference.x);
    const double dy = static_cast<double>(int64_t{object.y} - reference.y);
    const double theta = Radians(degrees) - (relative ? std::atan2(dy, dx) : 0.0);
    const double r = std::sqrt(dx * dx + dy * dy);
    return {Saturated(reference.x + Truncated(r * std::cos(theta))),
            Saturated(reference.y - Truncated(r * std::sin(theta)))};
}

FixPoint GE_AtDistance(FixPoint reference, FixPoint object, int32_t pixels)
{
    const double phi = std::atan2(static_cast<double>(int64_t{object.y} - reference.y),
                                  static_cast<double>(int64_t{object.x} - reference.x));
    const double length = static_cast<double>(int64_t{pixels} * kPixel);
    return {Saturated(reference.x + Truncated(length * std::cos(phi))),
            Saturated(reference.y + Truncated(length * std::sin(phi)))};
}

std::vector<FixPoint> GE_PlacedByRecord(std::span<const FixPoint> objects, FixPoint reference,
                                        const PositionRecord& record)
{
    std::vector<FixPoint> placed(objects.begin(), objects.end());
    for (FixPoint& p : placed) {
        if (record[kPosType] == kPositionCartesian) {
            if (record[kPosApplyX] != 0)
                p.x = Saturated(reference.x + Pixels(record[kPosFirst]));
            if (record[kPosApplyY] != 0)
                p.y = Saturated(reference.y - Pixels(record[kPosSecond]));
            continue;
        }
        if (record[kPosApplyAngle] != 0 || record[kPosApplyRelative] != 0)
            p = GE_RotatedAbout(reference, p, record[kPosFirst], record[kPosApplyRelative] != 0);
        if (record[kPosApplyDistance] != 0)
            p = GE_AtDistance(reference, p, record[kPosSecond]);
    }
    return placed;
}

bool GE_ObjectsFit(std::span<const AlignBox> boxes, bool horizontal)
{
    int64_t sum = 0;
    for (const AlignBox& b : boxes)
        sum += horizontal ? b.width : b.height;
    const AlignBox around = GE_BoundsOf(boxes).box;
    return sum < (horizontal ? around.width : around.height);
}

std::vector<FixPoint> GE_SpreadCentres(std::span<const FixPoint> objects, size_t start, size_t end, bool horizontal)
{
    std::vector<FixPoint> placed(objects.begin(), objects.end());
    const size_t count = placed.size();
    if (count < 2 || start >= count || end >= count)
        return placed;
    auto coordinate = [horizontal](FixPoint& p) -> Fixed& { return horizontal ? p.x : p.y; };
    const int64_t first = coordinate(placed[start]);
    const int64_t step = (int64_t{coordinate(placed[end])} - first) / static_cast<int64_t>(count - 1);
    std::vector<bool> marked(count, true);
    marked[start] = false;
    marked[end] = false;
    for (int64_t k = 1;; ++k) {
        size_t next = count;
        for (size_t i = 0; i < count; ++i) {
            if (marked[i] && (next == count || coordinate(placed[i]) < coordinate(placed[next])))
                next = i;
        }
        if (next == count)
            break;
        marked[next] = false;
        coordinate(placed[next]) = Saturated(first + k * step);
    }
    return placed;
}

std::vector<FixPoint> GE_CirclePositions(FixPoint centre, FixPoint through, size_t count, bool throughIsSelected,
                                         int mode)
{
    std::vector<FixPoint> positions;
    if (count == 0)
        return positions;
    const int64_t dx = int64_t{through.x} - centre.x;
    const int64_t dy = int64_t{through.y} - centre.y;
    const double r = DistanceBetween(dx, dy);
    double phi = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
    double step = 0.0;
    if (throughIsSelected) {
        step = mode == 2 ? kTwoPi / static_cast<double>(count) : 0.0;
    } else {
        step = mode == 2 ? kTwoPi / static_cast<double>(count + 1) : kPi;
        phi -= step;
    }
    const size_t placed = mode == 2 ? count : 1;
    for (size_t i = 0; i < placed; ++i) {
        positions.push_back({Saturated(centre.x + Truncated(r * std::cos(phi))),
                             Saturated(centre.y + Truncated(r * std::sin(phi)))});
        phi -= step;
    }
    return positions;
}
