// Geometry on Fixed page coordinates. Sums, differences and doublings go
// through the saturating helpers of Fixed.h, so extreme coordinates give
// infinities instead of wrapping.
#include "xkv/types/Geometry.h"

#include <algorithm>
#include <utility>

namespace {

constexpr Fixed kSixteen = 16 * kFixedOne;

Fixed Abs(Fixed v)
{
    return v < 0 ? Fix_Saturate(-int64_t{v}) : v;
}

int64_t Abs64(int64_t v)
{
    return v < 0 ? -v : v;
}

FixPoint Twice(const FixPoint& p)
{
    return {Fix_Twice(p.x), Fix_Twice(p.y)};
}

FixPoint Centre(const FixBox& box)
{
    return {box.cx, box.cy};
}

bool StrictlyBetween(Fixed v, Fixed a, Fixed b)
{
    return (a < v && v < b) || (b < v && v < a);
}

// Fixed degrees from whole degrees.
Fixed Degrees(int64_t whole)
{
    return Fix_Saturate(whole * kFixedOne);
}

}  // namespace

void Geom_AddPoints(FixPoint* out, const FixPoint* a, const FixPoint* b)
{
    FixPoint pa = a != nullptr ? *a : FixPoint{};
    FixPoint pb = b != nullptr ? *b : FixPoint{};
    *out = {Fix_Add(pa.x, pb.x), Fix_Add(pa.y, pb.y)};
}

void Geom_SubPoints(FixPoint* out, const FixPoint& a, const FixPoint& b)
{
    *out = {Fix_Sub(a.x, b.x), Fix_Sub(a.y, b.y)};
}

void Geom_MidPoint(FixPoint* out, const FixPoint& a, const FixPoint& b)
{
    *out = {Fix_Mid(a.x, b.x), Fix_Mid(a.y, b.y)};
}

bool Geom_PointsEqual(const FixPoint& a, const FixPoint& b)
{
    return a.x == b.x && a.y == b.y;
}

Fixed Geom_Distance(const FixPoint& a, const FixPoint& b)
{
    Fixed dx = Fix_Twice(Fix_Sub(b.x, a.x));
    Fixed dy = Fix_Twice(Fix_Sub(b.y, a.y));
    return Fix_Sqrt(Fix_Add(Fix_Square(dx), Fix_Square(dy))) >> 1;
}

int32_t Geom_PixelDistance(Fixed x1, Fixed y1, Fixed x2, Fixed y2)
{
    int64_t dx = (int64_t{x1} - x2) >> 15;
    int64_t dy = (int64_t{y1} - y2) >> 15;
    int64_t sum = dx * dx + dy * dy;
    return static_cast<int32_t>(Int_Sqrt(static_cast<uint32_t>(std::min<int64_t>(sum, 0x7fffffff))));
}

Fixed Fix_DistancePixels(Fixed x1, Fixed y1, Fixed x2, Fixed y2)
{
    Fixed dx = Fix_Twice(Fix_Sub(x1, x2));
    Fixed dy = Fix_Twice(Fix_Sub(y1, y2));
    return Fix_Sqrt(Fix_Add(Fix_Square(dx), Fix_Square(dy)));
}

bool Geom_InRange(Fixed v, Fixed a, Fixed b)
{
    return (a <= v && v <= b) || (b <= v && v <= a);
}

void Geom_NormalizeRect(FixRect* r)
{
    if (r->left > r->right) {
        std::swap(r->left, r->right);
    }
    if (r->top > r->bottom) {
        std::swap(r->top, r->bottom);
    }
}

void Geom_RectFromPoints(FixRect* out, const FixPoint& a, const FixPoint& b)
{
    *out = {a.x, a.y, b.x, b.y};
}

void Geom_RectCorners(const FixRect& r, FixPoint* a, FixPoint* b)
{
    *a = {r.left, r.top};
    *b = {r.right, r.bottom};
}

void Geom_RectFromCenter(FixRect* out, const FixPoint& centre, Fixed width, Fixed height)
{
    *out = {Fix_Sub(centre.x, width >> 1), Fix_Sub(centre.y, height >> 1), Fix_Add(centre.x, width >> 1),
            Fix_Add(centre.y, height >> 1)};
}

void Geom_RectCenterSize(const FixRect& r, FixPoint* centre, Fixed* width, Fixed* height)
{
    *width = Fix_Sub(r.right, r.left);
    *height = Fix_Sub(r.bottom, r.top);
    Geom_MidPoint(centre, {r.left, r.top}, {r.right, r.bottom});
}

void Geom_RectFromBox(const FixBox& box, FixRect* r)
{
    Fixed left = Fix_Sub(box.cx, box.width >> 1);
    Fixed top = Fix_Sub(box.cy, box.height >> 1);
    *r = {left, top, Fix_Add(left, box.width), Fix_Add(top, box.height)};
}

void Geom_BoxFromRect(FixBox* box, const FixRect& r)
{
    FixRect ordered = r;
    Geom_NormalizeRect(&ordered);
    FixPoint centre;
    Geom_MidPoint(&centre, {ordered.left, ordered.top}, {ordered.right, ordered.bottom});
    *box = {centre.x, centre.y, Fix_Sub(ordered.right, ordered.left), Fix_Sub(ordered.bottom, ordered.top)};
}

bool Geom_RectIsPoint(const FixRect& r)
{
    return r.left == r.right && r.top == r.bottom;
}

bool Geom_RectsEqual(const FixRect& r, const FixRect& s)
{
    return r.left == s.left && r.top == s.top && r.right == s.right && r.bottom == s.bottom;
}

void Geom_RectAddPoint(FixRect* r, const FixPoint& p)
{
    r->left = std::min(r->left, p.x);
    r->right = std::max(r->right, p.x);
    r->top = std::min(r->top, p.y);
    r->bottom = std::max(r->bottom, p.y);
}

void Geom_RectUnion(FixRect* r, const FixRect& s)
{
    r->left = std::min(r->left, s.left);
    r->top = std::min(r->top, s.top);
    r->right = std::max(r->right, s.right);
    r->bottom = std::max(r->bottom, s.bottom);
}

void Geom_InsetRect(FixRect* r, Fixed dx, Fixed dy)
{
    int64_t width = int64_t{r->right} - r->left;
    int64_t height = int64_t{r->bottom} - r->top;
    int64_t insetX = 2 * int64_t{dx} > width ? width >> 1 : dx;
    int64_t insetY = 2 * int64_t{dy} > height ? height >> 1 : dy;
    r->left = Fix_Saturate(r->left + insetX);
    r->right = Fix_Saturate(r->right - insetX);
    r->top = Fix_Saturate(r->top + insetY);
    r->bottom = Fix_Saturate(r->bottom - insetY);
}

void Geom_ScaleRect(FixRect* r, const FixPoint* offset, const FixPoint* scale)
{
    if (scale != nullptr) {
        FixPoint centre;
        Geom_MidPoint(&centre, {r->left, r->top}, {r->right, r->bottom});
        auto scaled = [](Fixed v, Fixed centreValue, Fixed s) {
            Fixed moved = Fix_Sub(v, centreValue);
            return Fix_Add(Fix_Mul(Fix_Twice(moved), Fix_Twice(s)) >> 1, centreValue);
        };
        r->left = scaled(r->left, centre.x, scale->x);
        r->right = scaled(r->right, centre.x, scale->x);
        r->top = scaled(r->top, centre.y, scale->y);
        r->bottom = scaled(r->bottom, centre.y, scale->y);
    }
    if (offset != nullptr) {
        r->left = Fix_Add(r->left, offset->x);
        r->right = Fix_Add(r->right, offset->x);
        r->top = Fix_Add(r->top, offset->y);
        r->bottom = Fix_Add(r->bottom, offset->y);
    }
}

void Geom_ScaleBox(FixBox* box, const FixPoint* offset, const FixPoint* scale)
{
    FixRect r;
    Geom_RectFromBox(*box, &r);
    Geom_ScaleRect(&r, offset, scale);
    Geom_BoxFromRect(box, r);
}

bool Geom_RectContainsPoint(const FixRect& r, const FixPoint& p)
{
    return r.left < p.x && p.x < r.right && r.top < p.y && p.y < r.bottom;
}

bool Geom_RectContainsRect(const FixRect& r, const FixRect& s)
{
    return Geom_RectContainsPoint(r, {s.left, s.top}) && Geom_RectContainsPoint(r, {s.right, s.bottom});
}

namespace {

bool Within(Fixed v, Fixed low, Fixed high)
{
    return low <= v && v <= high;
}

}  // namespace

bool Geom_RectEdgeInRect(const FixRect& a, const FixRect& b)
{
    bool x = Within(b.left, a.left, a.right) || Within(b.right, a.left, a.right);
    bool y = Within(b.top, a.top, a.bottom) || Within(b.bottom, a.top, a.bottom);
    return x && y;
}

bool Geom_RectEdgeCross(const FixRect& a, const FixRect& b)
{
    bool x = Within(b.left, a.left, a.right) || Within(b.right, a.left, a.right);
    bool y = Within(a.top, b.top, b.bottom) || Within(a.bottom, b.top, b.bottom);
    return x && y;
}

bool Geom_RectsOverlap(const FixRect& a, const FixRect& b)
{
    FixRect r = a, s = b;
    Geom_NormalizeRect(&r);
    Geom_NormalizeRect(&s);
    return r.left <= s.right && s.left <= r.right && r.top <= s.bottom && s.top <= r.bottom;
}

Fixed Geom_Slope(const FixPoint& a, const FixPoint& b, bool* horizontal, bool* vertical)
{
    Fixed d = Fix_Twice(Fix_Sub(b.x, a.x));
    Fixed e = Fix_Twice(Fix_Sub(b.y, a.y));
    bool negative = (d < 0) != (e < 0);
    d = Abs(d);
    e = Abs(e);
    if (d <= 255 && e <= 255) {
        d = Fix_Mul(d, 0x800000);
        e = Fix_Mul(e, 0x800000);
    }
    if (d < 256) {
        *horizontal = false;
        *vertical = true;
        return kFixedPlusInfinity;
    }
    if (e > 255) {
        Fixed m = Fix_Div(e, d);
        *horizontal = false;
        *vertical = m > 0xfffff;
        return negative ? -m : m;
    }
    *horizontal = true;
    *vertical = false;
    return 0;
}

bool Geom_LineYAt(FixPoint* p, const FixPoint& a, const FixPoint& b)
{
    Fixed dx = Fix_Twice(Fix_Sub(b.x, a.x));
    if (Abs(dx) <= 256) {
        p->y = 0;
        return true;
    }
    Fixed s = Fix_Div(Fix_Twice(Fix_Sub(b.y, a.y)), dx);
    p->y = Fix_Add(a.y, Fix_ScaleCoord(Fix_Sub(p->x, a.x), s));
    return false;
}

bool Geom_NormalSlope(const FixPoint& a2, const FixPoint& b2, Fixed* m)
{
    Fixed dx = Fix_Sub(a2.x, b2.x);
    Fixed dy = Fix_Sub(a2.y, b2.y);
    if (Abs(dy) <= kFixedOne) {
        *m = dy <= 0 ? -kSixteen : kSixteen;
        return false;
    }
    *m = -Fix_Div(dx, dy);
    return true;
}

bool Geom_PerpendicularFoot(const FixPoint& a, const FixPoint& b, const FixPoint& p, FixPoint* foot)
{
    bool horizontal = false, vertical = false;
    Fixed m = Geom_Slope(a, b, &horizontal, &vertical);
    if (vertical) {
        *foot = {a.x, p.y};
        return Geom_InRange(foot->y, a.y, b.y);
    }
    if (horizontal) {
        *foot = {p.x, a.y};
        return Geom_InRange(foot->x, a.x, b.x);
    }
    FixPoint a2 = Twice(a), b2 = Twice(b), p2 = Twice(p);
    Fixed m2 = Fix_Mul(m, m);
    Fixed numerator = Fix_Saturate(int64_t{Fix_Mul(m2, a2.x)} + Fix_Mul(m, p2.y) + p2.x - Fix_Mul(m, a2.y));
    Fixed x = Fix_Div(numerator, Fix_Add(m2, kFixedOne));
    Fixed y = Fix_Add(a2.y, Fix_Mul(m, Fix_Sub(x, a2.x)));
    *foot = {x >> 1, y >> 1};
    return Geom_InRange(x, a2.x, b2.x) && Geom_InRange(y, a2.y, b2.y);
}

void Geom_PointToward(const FixPoint& from, const FixPoint& to, Fixed distance, FixPoint* out)
{
    auto pixels = [](Fixed a, Fixed b) { return Fix_FromInt((int64_t{b} - a + 0x4000) >> 15); };
    Fixed angle = Fix_Angle(pixels(from.x, to.x), pixels(from.y, to.y));
    Fixed d2 = Fix_Twice(distance);
    *out = {Fix_Add(from.x, Fix_Mul(d2, Fix_Cos(angle)) >> 1), Fix_Add(from.y, Fix_Mul(d2, Fix_Sin(angle)) >> 1)};
}

bool Geom_SegmentsCross(const FixPoint& p0, const FixPoint& p1, const FixPoint& p2, const FixPoint& p3,
                        FixPoint* out)
{
    if (Geom_PointsEqual(p0, p2) || Geom_PointsEqual(p0, p3)) {
        *out = p0;
        return false;
    }
    if (Geom_PointsEqual(p1, p2) || Geom_PointsEqual(p1, p3)) {
        *out = p1;
        return false;
    }
    bool horizontal = false, vertical = false;
    Fixed m1 = Geom_Slope(p0, p1, &horizontal, &vertical);
    bool secondVertical = false;
    Fixed m2 = Geom_Slope(p2, p3, &horizontal, &secondVertical);
    if (Abs64(int64_t{m1} - m2) <= 1023) {
        return false;
    }
    Fixed numerator = Fix_Saturate(int64_t{Fix_Twice(Fix_Sub(p2.y, p0.y))} + Fix_Mul(Fix_Twice(p0.x), m1) -
                                   Fix_Mul(Fix_Twice(p2.x), m2));
    Fixed x = Fix_Div(numerator, Fix_Sub(m1, m2));
    out->x = x >> 1;
    if (Geom_LineYAt(out, p2, p3) && Geom_LineYAt(out, p0, p1)) {
        return false;
    }
    return StrictlyBetween(out->x, p0.x, p1.x) && StrictlyBetween(out->y, p0.y, p1.y) &&
           StrictlyBetween(out->x, p2.x, p3.x) && StrictlyBetween(out->y, p2.y, p3.y);
}

void Geom_EllipsePoint(const FixPoint* centre, Fixed a, Fixed b, int32_t degrees, FixPoint* out)
{
    Fixed angle = Degrees(int64_t{degrees} - 90);
    FixPoint p = {Fix_Mul(Fix_Twice(a), Fix_Cos(angle)) >> 1, Fix_Mul(Fix_Twice(b), Fix_Sin(angle)) >> 1};
    Geom_AddPoints(out, &p, centre);
}

void Geom_EllipseAngle(const FixPoint& centre, Fixed a, Fixed b, const FixPoint& p, int32_t* degrees)
{
    Fixed u = Fix_Div(Fix_Twice(Fix_Sub(p.x, centre.x)), Fix_Twice(a));
    Fixed v = Fix_Div(Fix_Twice(Fix_Sub(p.y, centre.y)), Fix_Twice(b));
    *degrees = static_cast<int32_t>(((int64_t{Fix_Angle(u, v)} + 0x8000) >> 16) + 90);
}

int32_t Geom_AngleStep(const FixPoint& p, const FixPoint& centre, const FixPoint& q)
{
    int32_t from = 0, to = 0;
    Geom_EllipseAngle(centre, kFixedHalf, kFixedHalf, p, &from);
    Geom_EllipseAngle(centre, kFixedHalf, kFixedHalf, q, &to);
    int32_t d = to - from;
    if (d >= 181) {
        d -= 360;
    } else if (d < -180) {
        d += 360;
    }
    return d;
}

void Geom_NormalizeAngles(int32_t* start, int32_t* end)
{
    if (*start >= 360 || *start < -360) {
        *start %= 360;
    }
    if (*start < 0) {
        *start += 360;
    }
    if (*end >= 361 || *end <= -360) {
        *end %= 360;
    }
    if (*end < 0) {
        *end += 360;
    }
    if (*end <= *start) {
        *end += 360;
    }
}

bool Geom_InEllipse(const FixBox& box, const FixPoint& p)
{
    Fixed u = Fix_Div(Fix_Twice(Fix_Sub(box.cx, p.x)), box.width & ~1);
    Fixed v = Fix_Div(Fix_Twice(Fix_Sub(box.cy, p.y)), box.height & ~1);
    return int64_t{Fix_Square(u)} + Fix_Square(v) <= kFixedOne;
}

namespace {

Fixed WithSignOf(Fixed magnitude, Fixed sign)
{
    return sign < 0 ? -magnitude : magnitude;
}

// Nearest point on a circle of doubled radius r, for the doubled offset (X, Y)
// of p from the centre (not both 0).
FixPoint NearestOnCircle(Fixed X, Fixed Y, Fixed r)
{
    if (X == 0) {
        return {0, WithSignOf(r, Y)};
    }
    if (Y == 0) {
        return {WithSignOf(r, X), 0};
    }
    Fixed k = Fix_Div(Y, X);
    // Past a slope of 128 the square of k saturates: work on the other axis.
    bool swapped = Abs(k) >= 128 * kFixedOne;
    if (swapped) {
        k = Fix_Div(X, Y);
    }
    Fixed u = Fix_Div(r, Fix_Sqrt(Fix_Add(Fix_Square(k), kFixedOne)));
    Fixed v = Abs(Fix_Mul(k, u));
    Fixed x = swapped ? v : u;
    Fixed y = swapped ? u : v;
    return {WithSignOf(x, X), WithSignOf(y, Y)};
}

// Nearest point on the ellipse for a point within its bounding box, in the
// doubled form, scaled down by 16 to stay within 32 bits. The distance is in
// page units.
FixPoint NearestFromInside(Fixed X, Fixed Y, Fixed w, Fixed h, Fixed* distance)
{
    Fixed W = Fix_Twice(w), H = Fix_Twice(h);
    Fixed a2 = Fix_Square(w >> 4);
    Fixed b2 = Fix_Square(h >> 4);
    Fixed ra = Fix_Div(W, H);
    Fixed rb = Fix_Div(H, W);
    Fixed y1 = WithSignOf(Fix_Sqrt(Fix_Sub(b2, Fix_Square(Fix_Mul(X >> 4, rb)))) << 4, Y);
    Fixed x2 = WithSignOf(Fix_Sqrt(Fix_Sub(a2, Fix_Square(Fix_Mul(Y >> 4, ra)))) << 4, X);
    int64_t dx = Abs64(int64_t{x2} - X);
    int64_t dy = Abs64(int64_t{y1} - Y);
    if (dx < dy) {
        *distance = Fix_Saturate(dx >> 1);
        return {x2, Y};
    }
    *distance = Fix_Saturate(dy >> 1);
    return {X, y1};
}

}  // namespace

void Geom_NearestOnEllipse(const FixBox& box, const FixPoint& p, FixPoint* out, Fixed* distance)
{
    Fixed w = box.width, h = box.height;
    FixPoint centre = Centre(box);
    if (w < 2 * kFixedOne || h < 2 * kFixedOne) {
        *out = p;
        *distance = 0;
        return;
    }
    if (Geom_PointsEqual(p, centre)) {
        if (w <= h) {
            *out = {Fix_Add(p.x, w >> 1), p.y};
            *distance = w >> 1;
        } else {
            *out = {p.x, Fix_Add(p.y, h >> 1)};
            *distance = h >> 1;
        }
        return;
    }
    Fixed X = Fix_Twice(Fix_Sub(p.x, centre.x));
    Fixed Y = Fix_Twice(Fix_Sub(p.y, centre.y));
    if (w == h) {
        FixPoint q = NearestOnCircle(X, Y, w);
        *out = {Fix_Add(centre.x, q.x >> 1), Fix_Add(centre.y, q.y >> 1)};
        *distance = Geom_Distance(*out, p);
        return;
    }
    bool inside = !(Abs(Fix_Sub(p.x, centre.x)) > (w >> 1)) && !(Abs(Fix_Sub(p.y, centre.y)) > (h >> 1));
    if (inside) {
        FixPoint q = NearestFromInside(X, Y, w, h, distance);
        *out = {Fix_Add(centre.x, q.x >> 1), Fix_Add(centre.y, q.y >> 1)};
        return;
    }
    int32_t t = 0;
    Geom_EllipseAngle(centre, w, h, p, &t);
    Geom_EllipsePoint(&centre, w >> 1, h >> 1, t, out);
    *distance = Geom_Distance(*out, p);
}

void Geom_NearestOnArc(const FixArc& arc, const FixPoint& p, FixPoint* out, Fixed* distance)
{
    FixPoint q;
    Fixed d = 0;
    Geom_NearestOnEllipse(arc.box, p, &q, &d);
    FixPoint centre = Centre(arc.box);
    Fixed a = arc.box.width >> 1, b = arc.box.height >> 1;
    int64_t sweep = int64_t{arc.start} - arc.end;
    int32_t start = arc.start, end = arc.end;
    Geom_NormalizeAngles(&start, &end);
    if (sweep == 0) {
        Geom_EllipsePoint(&centre, a, b, arc.start, out);
        *distance = Geom_Distance(*out, p);
        return;
    }
    if (sweep % 360 == 0) {
        *out = q;
        *distance = d;
        return;
    }
    int32_t t = 0;
    Geom_EllipseAngle(centre, a, b, q, &t);
    // The normalised arc may run past 360; an angle near the top counts there too.
    if ((start <= t && t <= end) || (start <= t + 360 && t + 360 <= end)) {
        *out = q;
        *distance = d;
        return;
    }
    FixPoint first, last;
    Geom_EllipsePoint(&centre, a, b, arc.start, &first);
    Geom_EllipsePoint(&centre, a, b, arc.end, &last);
    Fixed toFirst = Geom_Distance(first, p);
    Fixed toLast = Geom_Distance(last, p);
    if (toLast < toFirst) {
        *out = last;
        *distance = toLast;
    } else {
        *out = first;
        *distance = toFirst;
    }
}

void Geom_RectToX(const FixRect& r, int32_t* x, int32_t* y, int32_t* width, int32_t* height)
{
    *x = static_cast<int32_t>((int64_t{r.left} + 0x4000) >> 15);
    *y = static_cast<int32_t>((int64_t{r.top} + 0x4000) >> 15);
    *width = static_cast<int32_t>((int64_t{r.right} - r.left + 0x4000) >> 15);
    *height = static_cast<int32_t>((int64_t{r.bottom} - r.top + 0x4000) >> 15);
}

void Geom_RectFromX(FixRect* r, int32_t x, int32_t y, int32_t width, int32_t height)
{
    constexpr int64_t kPixel = 0x8000;
    *r = {Fix_Saturate(x * kPixel), Fix_Saturate(y * kPixel), Fix_Saturate((int64_t{x} + width) * kPixel),
          Fix_Saturate((int64_t{y} + height) * kPixel)};
}

Fixed Line_Slope(const FixSegment& s)
{
    bool horizontal = false, vertical = false;
    return Geom_Slope({s.x0, s.y0}, {s.x1, s.y1}, &horizontal, &vertical);
}

bool Line_Intersect(const FixSegment& a, const FixSegment& b, FixPoint* out)
{
    Fixed sa = Line_Slope(a);
    Fixed sb = Line_Slope(b);
    if (sa == sb) {
        return false;
    }
    const Fixed ax2 = Fix_Twice(a.x0), ay2 = Fix_Twice(a.y0);
    const Fixed bx2 = Fix_Twice(b.x0), by2 = Fix_Twice(b.y0);
    Fixed x, y;
    if (sa == 0) {
        y = a.y0;
        x = sb == kFixedPlusInfinity ? b.x0 : Fix_Add(Fix_Div(Fix_Sub(ay2, by2), sb), bx2) >> 1;
    } else if (sa == kFixedPlusInfinity) {
        x = a.x0;
        y = Fix_Add(Fix_Mul(sb, Fix_Sub(ax2, bx2)), by2) >> 1;
    } else if (sb == 0) {
        y = b.y0;
        x = Fix_Add(Fix_Div(Fix_Sub(by2, ay2), sa), ax2) >> 1;
    } else if (sb == kFixedPlusInfinity) {
        x = b.x0;
        y = Fix_Add(Fix_Mul(sa, Fix_Sub(bx2, ax2)), ay2) >> 1;
    } else {
        Fixed numerator = Fix_Saturate(int64_t{Fix_Mul(sa, ax2)} - Fix_Mul(sb, bx2) + by2 - ay2);
        Fixed X = Fix_Div(numerator, Fix_Sub(sa, sb));
        x = X >> 1;
        y = Fix_Add(Fix_Mul(sa, Fix_Sub(X, ax2)), ay2) >> 1;
    }
    *out = {Fix_ToGrid(x), Fix_ToGrid(y)};
    return true;
}

bool Line_InGridRange(Fixed v, Fixed a, Fixed b)
{
    return Geom_InRange(Fix_ToGrid(v), Fix_ToGrid(a), Fix_ToGrid(b));
}

bool Line_PointInBox(const FixPoint& p, const FixSegment& s)
{
    return Line_InGridRange(p.x, s.x0, s.x1) && Line_InGridRange(p.y, s.y0, s.y1);
}

bool Line_IntersectSegments(const FixSegment& a, const FixSegment& b, FixPoint* out)
{
    return Line_Intersect(a, b, out) && Line_PointInBox(*out, a) && Line_PointInBox(*out, b);
}

bool Line_IntersectOnSecond(const FixSegment& a, const FixSegment& b, FixPoint* out)
{
    return Line_Intersect(a, b, out) && Line_PointInBox(*out, b);
}

bool Line_PointOnLine(const FixPoint& p, const FixSegment& s)
{
    Fixed slope = Line_Slope(s);
    int64_t lineY = (int64_t{Fix_Mul(slope, Fix_Twice(Fix_Sub(p.x, s.x0)))} + Fix_Twice(s.y0)) >> 16;
    return (p.y >> 15) == lineY;
}

bool Line_PointOnSegment(const FixPoint& p, const FixSegment& s)
{
    return Line_PointOnLine(p, s) && Line_PointInBox(p, s);
}
