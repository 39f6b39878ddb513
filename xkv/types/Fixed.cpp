// Fixed-point arithmetic and table trigonometry. Every intermediate that can
// leave 32 bits is computed in 64 bits and saturated to an infinity.
#include "xkv/types/Fixed.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

constexpr int64_t kMaxMagnitude = 0x7fffffff;

// |a| as an unsigned magnitude; 0x80000000 counts as an infinity.
uint32_t Magnitude(Fixed a)
{
    if (a == INT32_MIN) {
        return kMaxMagnitude;
    }
    return static_cast<uint32_t>(a < 0 ? -a : a);
}

Fixed Signed(uint32_t magnitude, bool negative)
{
    Fixed m = static_cast<Fixed>(magnitude);
    return negative ? -m : m;
}

bool IsInfinite(Fixed a)
{
    return a == kFixedPlusInfinity || a == kFixedMinusInfinity;
}

TrigTable MakeTable(double (*function)(double), bool lastIsInfinite)
{
    TrigTable table{};
    // The last entry of an unbounded function (the tangent at 90 degrees) is
    // infinite; it is never converted, since that value does not fit in Fixed.
    const int converted = lastIsInfinite ? kTrigTableSize - 1 : kTrigTableSize;
    for (int i = 0; i < converted; ++i) {
        double radians = i * M_PI / 180.0;
        table[i] = static_cast<Fixed>(std::floor(65536.0 * function(radians)));
    }
    if (lastIsInfinite) {
        table[kTrigTableSize - 1] = kFixedPlusInfinity;
    }
    return table;
}

}  // namespace

const TrigTable& Fix_SineTable()
{
    static const TrigTable table = MakeTable([](double r) { return std::sin(r); }, false);
    return table;
}

const TrigTable& Fix_TangentTable()
{
    static const TrigTable table = MakeTable([](double r) { return std::tan(r); }, true);
    return table;
}

Fixed Fix_Saturate(int64_t v)
{
    if (v > kMaxMagnitude) {
        return kFixedPlusInfinity;
    }
    if (v < -kMaxMagnitude) {
        return kFixedMinusInfinity;
    }
    return static_cast<Fixed>(v);
}

Fixed Fix_FromInt(int64_t n)
{
    if (n > 0x7fff) {
        return kFixedPlusInfinity;
    }
    if (n < -0x7fff) {
        return kFixedMinusInfinity;
    }
    return static_cast<Fixed>(n * kFixedOne);
}

Fixed Fix_ToGrid(Fixed c)
{
    int64_t v = (int64_t{c} + 0x4000) & ~int64_t{0x7fff};
    return Fix_Saturate(v);
}

Fixed Fix_Mul(Fixed a, Fixed b)
{
    bool negative = (a < 0) != (b < 0);
    uint64_t ua = Magnitude(a);
    uint64_t ub = Magnitude(b);
    uint64_t ha = ua >> 16, hb = ub >> 16;
    uint64_t la = ua & 0xffff, lb = ub & 0xffff;
    uint64_t magnitude = kMaxMagnitude;
    if (ha * hb <= 0xffff) {
        magnitude = ((ha * hb) << 16) + la * hb + lb * ha + ((la * lb) >> 16);
        if (magnitude > kMaxMagnitude) {
            magnitude = kMaxMagnitude;
        }
    }
    return Signed(static_cast<uint32_t>(magnitude), negative);
}

Fixed Fix_DivInt(Fixed a, int32_t n)
{
    if (IsInfinite(a)) {
        return a;
    }
    if (n == 0) {
        return a > 0 ? kFixedPlusInfinity : kFixedMinusInfinity;
    }
    return Fix_Saturate(int64_t{a} / n);
}

Fixed Fix_Snap(Fixed a)
{
    int64_t whole = int64_t{a} & ~int64_t{0xffff};
    int64_t fraction = int64_t{a} & 0xffff;
    if (whole == 0) {
        return a;
    }
    if (0x10000 - fraction <= 128) {
        return Fix_Saturate(whole + 0x10000);
    }
    if (fraction <= 128) {
        return static_cast<Fixed>(whole);
    }
    return a;
}

Fixed Fix_Div(Fixed a, Fixed b)
{
    bool negative = (a < 0) != (b < 0);
    uint32_t A = static_cast<uint32_t>(Fix_Snap(static_cast<Fixed>(Magnitude(a))));
    uint32_t B = static_cast<uint32_t>(Fix_Snap(static_cast<Fixed>(Magnitude(b))));
    if (B == kFixedOne) {
        return Signed(A, negative);
    }
    if (B == 0 || A == kMaxMagnitude) {
        return negative ? kFixedMinusInfinity : kFixedPlusInfinity;
    }
    if ((B & 0xffff) == 0) {
        Fixed q = Fix_DivInt(static_cast<Fixed>(A), static_cast<int32_t>(B >> 16));
        return negative ? -q : q;
    }
    uint64_t q = A / B;
    uint64_t r = A % B;
    // The first 16 binary digits of r / B, truncated: what long division gives.
    uint64_t fraction = (r << 16) / B;
    if (q > 32767) {
        return negative ? kFixedMinusInfinity : kFixedPlusInfinity;
    }
    return Signed(static_cast<uint32_t>((q << 16) + fraction), negative);
}

Fixed Fix_Square(Fixed a)
{
    return Fix_Mul(a, a);
}

uint32_t Int_Sqrt(uint32_t v)
{
    if (v == 0x7fffffff) {
        return 46340;
    }
    uint64_t g = v < 46340 ? v / 2 : 23170;
    uint64_t lo = 0, hi = 46340;
    do {
        uint64_t square = g * g;
        if (square == v) {
            break;
        }
        if (square >= v) {
            hi = g;
        } else {
            lo = g;
        }
        g = (hi + lo) / 2;
    } while (hi - lo > 1);
    return static_cast<uint32_t>(g);
}

uint32_t Int_SqrtNewton(uint32_t v)
{
    if (v <= 2) {
        return v;
    }
    int64_t g = v < 46341 ? v / 2 : 23170;
    for (;;) {
        int64_t numerator = g * g - int64_t{v};
        int64_t d = numerator / (2 * g);
        int64_t remainder = numerator % (2 * g);
        if (d == 0 && remainder > g) {
            d = 1;
        }
        g -= d;
        if (d == 0) {
            return static_cast<uint32_t>(g);
        }
    }
}

Fixed Fix_Sqrt(Fixed a)
{
    if (a <= 0) {
        return 0;
    }
    return static_cast<Fixed>(Int_Sqrt(static_cast<uint32_t>(a)) << 8);
}

Fixed Fix_Hypot(Fixed a, Fixed b)
{
    return Fix_Sqrt(Fix_Add(Fix_Square(a), Fix_Square(b)));
}

Fixed Fix_ScaleCoord(Fixed c, Fixed f)
{
    return Fix_Mul(Fix_Twice(c), f) >> 1;
}

Fixed Fix_DivCoord(Fixed a, Fixed b)
{
    return Fix_Div(a, b) >> 1;
}

Fixed Fix_RemCoord(Fixed a, Fixed b)
{
    return Fix_Sub(a, Fix_Mul(Fix_Div(a, b), Fix_Twice(b)) >> 1);
}

Fixed Fix_Mid(Fixed a, Fixed b)
{
    return static_cast<Fixed>(int64_t{a} + ((int64_t{b} - a) >> 1));
}

Fixed Fix_SlopeScale(Fixed x0, Fixed y0, Fixed x1, Fixed y1, Fixed v)
{
    return Fix_Div(Fix_Mul(Fix_Sub(y1, y0), v), Fix_Sub(x1, x0));
}

namespace {

Fixed TableSin(int64_t degrees, const TrigTable& table)
{
    int64_t m = (degrees < 0 ? -degrees : degrees) % 360;
    Fixed s;
    if (m <= 90) {
        s = table[m];
    } else if (m <= 180) {
        s = table[180 - m];
    } else if (m <= 270) {
        s = -table[m - 180];
    } else {
        s = -table[360 - m];
    }
    return degrees < 0 ? -s : s;
}

// Whole degrees from Fixed degrees, rounding halves up.
int64_t RoundedDegrees(int64_t fixedDegrees)
{
    return (fixedDegrees + 0x8000) >> 16;
}

}  // namespace

Fixed Fix_TableSin(int32_t degrees, const TrigTable& table)
{
    return TableSin(degrees, table);
}

Fixed Fix_SinDeg(int32_t degrees)
{
    return TableSin(degrees, Fix_SineTable());
}

Fixed Fix_CosDeg(int32_t degrees)
{
    return TableSin(int64_t{degrees} + 90, Fix_SineTable());
}

Fixed Fix_Sin(Fixed degrees)
{
    return TableSin(RoundedDegrees(degrees), Fix_SineTable());
}

Fixed Fix_Cos(Fixed degrees)
{
    return TableSin(RoundedDegrees(int64_t{degrees} + 90 * int64_t{kFixedOne}), Fix_SineTable());
}

int32_t Fix_TableIndex(Fixed v, const TrigTable& table)
{
    int lo = 0, hi = kTrigTableSize - 1;
    while (hi - lo > 1) {
        int mid = (lo + hi) / 2;
        if (table[mid] <= v) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return int64_t{table[hi]} - v < int64_t{v} - table[lo] ? hi : lo;
}

int32_t Fix_TableIndexSigned(Fixed v, const TrigTable& table)
{
    if (v < 0) {
        return -Fix_TableIndex(Fix_Saturate(-int64_t{v}), table);
    }
    return Fix_TableIndex(v, table);
}

Fixed Fix_ArcTan(Fixed ratio)
{
    return Fix_TableIndexSigned(ratio, Fix_TangentTable()) * kFixedOne;
}

int32_t Fix_ArcTanInt(int32_t dx, int32_t dy)
{
    return Fix_TableIndexSigned(Fix_DivInt(Fix_FromInt(dy), dx), Fix_TangentTable());
}

Fixed Fix_Angle(Fixed dx, Fixed dy)
{
    int32_t degrees = Fix_TableIndexSigned(Fix_Div(dy, dx), Fix_TangentTable());
    if (dx < 0) {
        degrees += 180;
    }
    return degrees * kFixedOne;
}

const char* Fix_Format(Fixed a)
{
    static char buffers[2][48];
    static int next = 0;
    char* buffer = buffers[next];
    next = 1 - next;
    uint32_t magnitude = a == INT32_MIN ? 0x80000000u : Magnitude(a);
    std::snprintf(buffer, sizeof buffers[0], " %c%" PRIu32 ".%04" PRIu32 " (0x%08" PRIx32 ") ", a < 0 ? '-' : ' ',
                  magnitude >> 16, static_cast<uint32_t>((uint64_t{magnitude & 0xffff} * 10000) >> 16),
                  static_cast<uint32_t>(a));
    return buffer;
}

const char* Fix_FormatCoord(Fixed c)
{
    return Fix_Format(Fix_Twice(c));
}
