// Tests of the geometry on Fixed page coordinates and of the drawing tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "xkv/types/DrawTables.h"
#include "xkv/types/Geometry.h"

namespace {

constexpr Fixed F(double v)
{
    return static_cast<Fixed>(v * 65536.0);
}

::testing::AssertionResult Near(const FixPoint& actual, const FixPoint& expected, Fixed tolerance)
{
    if (std::abs(int64_t{actual.x} - expected.x) <= tolerance && std::abs(int64_t{actual.y} - expected.y) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << actual.x / 65536.0 << ", " << actual.y / 65536.0 << ") is not near ("
                                         << expected.x / 65536.0 << ", " << expected.y / 65536.0 << ")";
}

}  // namespace

void PrintTo(const FixPoint& p, std::ostream* os)
{
    *os << "(" << p.x / 65536.0 << ", " << p.y / 65536.0 << ")";
}

void PrintTo(const FixRect& r, std::ostream* os)
{
    *os << "(" << r.left / 65536.0 << ", " << r.top / 65536.0 << ", " << r.right / 65536.0 << ", " << r.bottom / 65536.0
        << ")";
}

namespace {

TEST(GeomPoints, ArithmeticAndDistances)
{
    FixPoint out;
    FixPoint a{F(1), F(2)}, b{F(3), F(-4)};
    Geom_AddPoints(&out, &a, &b);
    EXPECT_EQ(out, (FixPoint{F(4), F(-2)}));
    Geom_AddPoints(&out, nullptr, &b);
    EXPECT_EQ(out, b);
    Geom_AddPoints(&out, &a, nullptr);
    EXPECT_EQ(out, a);
    Geom_SubPoints(&out, a, b);
    EXPECT_EQ(out, (FixPoint{F(-2), F(6)}));
    Geom_MidPoint(&out, a, b);
    EXPECT_EQ(out, (FixPoint{F(2), F(-1)}));
    EXPECT_TRUE(Geom_PointsEqual(a, a));
    EXPECT_FALSE(Geom_PointsEqual(a, b));

    EXPECT_EQ(Geom_Distance({0, 0}, {F(3), F(4)}), F(5));
    EXPECT_EQ(Geom_Distance({F(3), F(4)}, {0, 0}), F(5));
    EXPECT_EQ(Geom_PixelDistance(0, 0, 3 * 0x8000, 4 * 0x8000), 5);
    EXPECT_EQ(Fix_DistancePixels(0, 0, F(1.5), F(2)), F(5));

    EXPECT_TRUE(Geom_InRange(F(1), 0, F(2)));
    EXPECT_TRUE(Geom_InRange(F(1), F(2), 0));
    EXPECT_TRUE(Geom_InRange(F(2), F(2), 0));
    EXPECT_FALSE(Geom_InRange(F(3), F(2), 0));
}

TEST(GeomRects, ConstructionAndConversion)
{
    FixRect r{F(10), F(8), F(2), F(4)};
    Geom_NormalizeRect(&r);
    EXPECT_EQ(r, (FixRect{F(2), F(4), F(10), F(8)}));

    FixPoint a, b;
    Geom_RectCorners(r, &a, &b);
    EXPECT_EQ(a, (FixPoint{F(2), F(4)}));
    EXPECT_EQ(b, (FixPoint{F(10), F(8)}));
    FixRect s;
    Geom_RectFromPoints(&s, a, b);
    EXPECT_EQ(s, r);

    Geom_RectFromCenter(&s, {F(5), F(5)}, F(4), F(2));
    EXPECT_EQ(s, (FixRect{F(3), F(4), F(7), F(6)}));
    FixPoint centre;
    Fixed w = 0, h = 0;
    Geom_RectCenterSize(s, &centre, &w, &h);
    EXPECT_EQ(centre, (FixPoint{F(5), F(5)}));
    EXPECT_EQ(w, F(4));
    EXPECT_EQ(h, F(2));

    FixBox box{F(5), F(5), F(4), F(2)};
    Geom_RectFromBox(box, &s);
    EXPECT_EQ(s, (FixRect{F(3), F(4), F(7), F(6)}));
    FixBox back;
    Geom_BoxFromRect(&back, {F(7), F(6), F(3), F(4)});  // corners get ordered
    EXPECT_EQ(back.cx, F(5));
    EXPECT_EQ(back.cy, F(5));
    EXPECT_EQ(back.width, F(4));
    EXPECT_EQ(back.height, F(2));

    // An odd width keeps the left edge at cx - (w >> 1) and the right at left + w.
    Geom_RectFromBox({0, 0, 3, 3}, &s);
    EXPECT_EQ(s, (FixRect{-1, -1, 2, 2}));

    EXPECT_TRUE(Geom_RectIsPoint({F(1), F(2), F(1), F(2)}));
    EXPECT_FALSE(Geom_RectIsPoint({F(1), F(2), F(1), F(3)}));
}

TEST(GeomRects, GrowInsetAndScale)
{
    FixRect r{0, 0, F(1), F(1)};
    Geom_RectAddPoint(&r, {F(-2), F(3)});
    EXPECT_EQ(r, (FixRect{F(-2), 0, F(1), F(3)}));
    Geom_RectUnion(&r, {F(-1), F(-5), F(4), F(1)});
    EXPECT_EQ(r, (FixRect{F(-2), F(-5), F(4), F(3)}));

    struct InsetCase {
        Fixed dx, dy;
        FixRect expected;
    };
    const InsetCase insets[] = {
        {F(2), F(1), {F(2), F(1), F(8), F(9)}},
        {F(6), F(5), {F(5), F(5), F(5), F(5)}},  // more than half: half the size
        {F(-1), 0, {F(-1), 0, F(11), F(10)}},    // negative grows
    };
    for (const auto& c : insets) {
        FixRect s{0, 0, F(10), F(10)};
        Geom_InsetRect(&s, c.dx, c.dy);
        EXPECT_EQ(s, c.expected) << c.dx;
    }

    FixRect s{0, 0, F(2), F(2)};
    FixPoint doubleSize{F(1), F(1)};  // 0x8000 is 1.0 for this factor
    Geom_ScaleRect(&s, nullptr, &doubleSize);
    EXPECT_EQ(s, (FixRect{F(-1), F(-1), F(3), F(3)}));
    FixPoint offset{F(1), F(-1)};
    Geom_ScaleRect(&s, &offset, nullptr);
    EXPECT_EQ(s, (FixRect{0, F(-2), F(4), F(2)}));

    FixBox box{F(5), F(5), F(4), F(2)};
    FixPoint same{0x8000, 0x8000};
    Geom_ScaleBox(&box, &offset, &same);
    EXPECT_EQ(box.cx, F(6));
    EXPECT_EQ(box.cy, F(4));
    EXPECT_EQ(box.width, F(4));
    EXPECT_EQ(box.height, F(2));
}

TEST(GeomRects, ContainmentAndOverlap)
{
    FixRect r{0, 0, F(10), F(10)};
    EXPECT_TRUE(Geom_RectContainsPoint(r, {F(5), F(5)}));
    EXPECT_FALSE(Geom_RectContainsPoint(r, {0, F(5)}));  // edges are outside
    EXPECT_TRUE(Geom_RectContainsRect(r, {F(1), F(1), F(9), F(9)}));
    EXPECT_FALSE(Geom_RectContainsRect(r, {F(1), F(1), F(10), F(9)}));

    struct Case {
        FixRect b;
        bool edgeIn, edgeCross, overlap;
    };
    const Case cases[] = {
        {{F(5), F(5), F(15), F(15)}, true, true, true},     // corner inside
        {{F(10), F(10), F(20), F(20)}, true, true, true},   // touching corner
        {{F(11), F(0), F(20), F(10)}, false, false, false}, // apart
        {{F(2), F(-5), F(4), F(15)}, false, true, true},    // a bar across
        {{F(-5), F(2), F(15), F(4)}, false, false, true},   // a bar the other way
        {{F(15), F(15), F(5), F(5)}, true, false, true},    // corners taken as given
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Geom_RectEdgeInRect(r, c.b), c.edgeIn) << c.b.left;
        EXPECT_EQ(Geom_RectEdgeCross(r, c.b), c.edgeCross) << c.b.left;
        EXPECT_EQ(Geom_RectsOverlap(r, c.b), c.overlap) << c.b.left;
    }
}

TEST(GeomPixels, RectToXAndBack)
{
    int32_t x, y, w, h;
    Geom_RectToX({0x4000, 0, 0x14000, 0x8000}, &x, &y, &w, &h);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 1);
    Geom_RectToX({-0x8000, -0x4001, 0, 0}, &x, &y, &w, &h);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);

    FixRect r;
    Geom_RectFromX(&r, 1, 2, 3, 4);
    EXPECT_EQ(r, (FixRect{0x8000, 0x10000, 0x20000, 0x30000}));
    Geom_RectToX(r, &x, &y, &w, &h);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 4);
}

TEST(GeomSlope, FlagsAndValues)
{
    struct Case {
        const char* name;
        FixPoint a, b;
        Fixed slope;
        bool horizontal, vertical;
    };
    const Case cases[] = {
        {"horizontal", {0, 0}, {F(10), 0}, 0, true, false},
        {"vertical", {0, 0}, {0, F(10)}, kFixedPlusInfinity, false, true},
        {"vertical upward is still positive", {0, F(10)}, {0, 0}, kFixedPlusInfinity, false, true},
        {"rising", {0, 0}, {F(10), F(10)}, F(1), false, false},
        {"falling", {0, 0}, {F(10), F(-10)}, F(-1), false, false},
        {"steep", {0, 0}, {F(1), F(17)}, F(17), false, true},
        {"tiny segment is magnified", {0, 0}, {100, 100}, F(1), false, false},
        {"tiny steep segment", {0, 0}, {1, 100}, F(100), false, true},
        {"one point", {F(3), F(3)}, {F(3), F(3)}, kFixedPlusInfinity, false, true},
    };
    for (const auto& c : cases) {
        bool h = false, v = false;
        EXPECT_EQ(Geom_Slope(c.a, c.b, &h, &v), c.slope) << c.name;
        EXPECT_EQ(h, c.horizontal) << c.name;
        EXPECT_EQ(v, c.vertical) << c.name;
    }
}

TEST(GeomLines, LineYAtNormalSlopeAndFoot)
{
    FixPoint p{F(4), 123};
    EXPECT_FALSE(Geom_LineYAt(&p, {0, F(1)}, {F(2), F(2)}));
    EXPECT_EQ(p.y, F(3));
    EXPECT_TRUE(Geom_LineYAt(&p, {0, 0}, {0x80, F(5)}));  // |2dx| <= 256: vertical
    EXPECT_EQ(p.y, 0);

    Fixed m = 0;
    EXPECT_FALSE(Geom_NormalSlope({0, F(1)}, {F(4), 0}, &m));
    EXPECT_EQ(m, F(16));
    EXPECT_FALSE(Geom_NormalSlope({0, 0}, {F(4), F(0.5)}, &m));
    EXPECT_EQ(m, F(-16));
    EXPECT_TRUE(Geom_NormalSlope({F(2), F(4)}, {0, 0}, &m));
    EXPECT_EQ(m, F(-0.5));

    struct FootCase {
        const char* name;
        FixPoint a, b, p, foot;
        bool within;
    };
    const FootCase feet[] = {
        {"diagonal", {0, 0}, {F(10), F(10)}, {0, F(10)}, {F(5), F(5)}, true},
        {"diagonal beyond the end", {0, 0}, {F(10), F(10)}, {F(30), F(30)}, {F(30), F(30)}, false},
        {"vertical", {0, 0}, {0, F(10)}, {F(3), F(4)}, {0, F(4)}, true},
        {"vertical beyond", {0, 0}, {0, F(10)}, {F(3), F(12)}, {0, F(12)}, false},
        {"horizontal", {F(10), 0}, {0, 0}, {F(3), F(4)}, {F(3), 0}, true},
    };
    for (const auto& c : feet) {
        FixPoint foot;
        EXPECT_EQ(Geom_PerpendicularFoot(c.a, c.b, c.p, &foot), c.within) << c.name;
        EXPECT_EQ(foot, c.foot) << c.name;
    }
}

TEST(GeomLines, PointToward)
{
    struct Case {
        FixPoint to, expected;
    };
    const Case cases[] = {
        {{F(10), 0}, {F(3), 0}},
        {{0, F(10)}, {0, F(3)}},
        {{F(-10), 0}, {F(-3), 0}},
        {{0, F(-10)}, {0, F(-3)}},
    };
    for (const auto& c : cases) {
        FixPoint out;
        Geom_PointToward({0, 0}, c.to, F(3), &out);
        EXPECT_EQ(out, c.expected) << c.to.x << "," << c.to.y;
    }
    FixPoint out;
    Geom_PointToward({F(1), F(1)}, {F(11), F(11)}, F(2), &out);
    EXPECT_TRUE(Near(out, {F(1) + F(1.4142), F(1) + F(1.4142)}, 0x100));
}

TEST(GeomSegments, CrossingRules)
{
    FixPoint out{7, 7};
    EXPECT_TRUE(Geom_SegmentsCross({0, 0}, {F(10), F(10)}, {0, F(10)}, {F(10), 0}, &out));
    EXPECT_EQ(out, (FixPoint{F(5), F(5)}));

    // The lines meet at (5, 5), outside the first segment.
    EXPECT_FALSE(Geom_SegmentsCross({0, 0}, {F(1), F(1)}, {0, F(10)}, {F(10), 0}, &out));

    // A horizontal segment never crosses (no y lies strictly between equal values).
    EXPECT_FALSE(Geom_SegmentsCross({0, F(5)}, {F(10), F(5)}, {F(5), 0}, {F(6), F(10)}, &out));
    EXPECT_FALSE(Geom_SegmentsCross({F(5), 0}, {F(6), F(10)}, {0, F(5)}, {F(10), F(5)}, &out));

    // Shared end points give 0 and the shared point.
    out = {};
    EXPECT_FALSE(Geom_SegmentsCross({F(1), F(2)}, {F(10), F(10)}, {F(1), F(2)}, {F(10), 0}, &out));
    EXPECT_EQ(out, (FixPoint{F(1), F(2)}));
    EXPECT_FALSE(Geom_SegmentsCross({0, 0}, {F(3), F(4)}, {F(10), 0}, {F(3), F(4)}, &out));
    EXPECT_EQ(out, (FixPoint{F(3), F(4)}));

    // Parallel: the out point is untouched.
    out = {9, 9};
    EXPECT_FALSE(Geom_SegmentsCross({0, 0}, {F(10), F(10)}, {0, F(1)}, {F(10), F(11)}, &out));
    EXPECT_EQ(out, (FixPoint{9, 9}));
}

TEST(GeomAngles, NormalizeAngles)
{
    struct Case {
        int32_t start, end, normalStart, normalEnd;
    };
    const Case cases[] = {
        {-30, 360, 330, 360}, {90, 90, 90, 450},   {0, 360, 0, 360},     {400, 30, 40, 390},
        {-400, -10, 320, 350}, {10, 361, 10, 361}, {0, 0, 0, 360},       {-360, -360, 0, 360},
        {359, 0, 359, 360},   {720, 725, 0, 5},
    };
    for (const auto& c : cases) {
        int32_t s = c.start, e = c.end;
        Geom_NormalizeAngles(&s, &e);
        EXPECT_EQ(s, c.normalStart) << c.start << "," << c.end;
        EXPECT_EQ(e, c.normalEnd) << c.start << "," << c.end;
    }
}

TEST(GeomEllipse, PointsAnglesAndSteps)
{
    const FixPoint centre{F(10), F(10)};
    struct Case {
        int32_t degrees;
        FixPoint point;
    };
    const Case cases[] = {
        {0, {F(10), F(9)}},  // 0 degrees is the top
        {90, {F(12), F(10)}},
        {180, {F(10), F(11)}},
        {270, {F(8), F(10)}},
    };
    for (const auto& c : cases) {
        FixPoint p;
        Geom_EllipsePoint(&centre, F(2), F(1), c.degrees, &p);
        EXPECT_EQ(p, c.point) << c.degrees;
        int32_t degrees = -1;
        Geom_EllipseAngle(centre, F(2), F(1), c.point, &degrees);
        EXPECT_EQ(degrees, c.degrees);
    }
    FixPoint p;
    Geom_EllipsePoint(nullptr, F(2), F(1), 90, &p);
    EXPECT_EQ(p, (FixPoint{F(2), 0}));

    const FixPoint right{F(1), 0}, below{0, F(1)}, top{0, F(-1)}, origin{0, 0};
    EXPECT_EQ(Geom_AngleStep(right, origin, below), 90);
    EXPECT_EQ(Geom_AngleStep(below, origin, right), -90);
    EXPECT_EQ(Geom_AngleStep(top, origin, below), 180);
    EXPECT_EQ(Geom_AngleStep(below, origin, top), -180);
    EXPECT_EQ(Geom_AngleStep({F(-1), F(-1)}, origin, {F(1), F(-1)}), 90);  // across the top
    EXPECT_EQ(Geom_AngleStep({F(1), F(-1)}, origin, {F(-1), F(-1)}), -90);
}

TEST(GeomEllipse, InEllipse)
{
    const FixBox box{0, 0, F(4), F(2)};
    EXPECT_TRUE(Geom_InEllipse(box, {0, 0}));
    EXPECT_TRUE(Geom_InEllipse(box, {F(1.9), 0}));
    EXPECT_TRUE(Geom_InEllipse(box, {F(2), 0}));  // on the edge
    EXPECT_FALSE(Geom_InEllipse(box, {0, F(1.1)}));
    EXPECT_FALSE(Geom_InEllipse(box, {F(1.5), F(0.8)}));
}

TEST(GeomEllipse, NearestOnEllipse)
{
    struct Case {
        const char* name;
        FixBox box;
        FixPoint p, nearest;
        Fixed distance;
        Fixed tolerance;
    };
    const Case cases[] = {
        {"too small", {0, 0, F(1.5), F(10)}, {F(3), F(4)}, {F(3), F(4)}, 0, 0},
        {"centre of a tall ellipse", {0, 0, F(10), F(20)}, {0, 0}, {F(5), 0}, F(5), 0},
        {"centre of a wide ellipse", {0, 0, F(20), F(10)}, {0, 0}, {0, F(5)}, F(5), 0},
        {"circle on the x axis", {0, 0, F(20), F(20)}, {F(20), 0}, {F(10), 0}, F(10), 0},
        {"circle on the y axis", {0, 0, F(20), F(20)}, {0, F(-3)}, {0, F(-10)}, F(7), 0},
        {"circle, general", {0, 0, F(20), F(20)}, {F(30), F(40)}, {F(6), F(8)}, F(40), 0x800},
        {"circle, falling direction", {0, 0, F(20), F(20)}, {F(-30), F(40)}, {F(-6), F(8)}, F(40), 0x800},
        {"circle, steep", {0, 0, F(20), F(20)}, {F(0.01), F(50)}, {0, F(10)}, F(40), 0x800},
        // Nearly horizontal with opposite signs: still a point on the circle.
        {"circle, nearly flat", {0, 0, F(20), F(20)}, {F(100), F(-0.25)}, {F(10), F(-0.025)}, F(90), 0x800},
        {"ellipse, inside", {0, 0, F(20), F(10)}, {0, F(1)}, {0, F(5)}, F(4), 0},
        {"ellipse, outside", {0, 0, F(20), F(10)}, {0, F(20)}, {0, F(5)}, F(15), 0},
        {"ellipse, outside to the left", {F(5), 0, F(20), F(10)}, {F(-20), 0}, {F(-5), 0}, F(15), 0},
    };
    for (const auto& c : cases) {
        FixPoint out;
        Fixed distance = -1;
        Geom_NearestOnEllipse(c.box, c.p, &out, &distance);
        EXPECT_TRUE(Near(out, c.nearest, c.tolerance)) << c.name;
        EXPECT_NEAR(distance, c.distance, c.tolerance) << c.name;
    }
}

TEST(GeomEllipse, NearestOnArc)
{
    const FixBox circle{0, 0, F(20), F(20)};
    struct Case {
        const char* name;
        int32_t start, end;
        FixPoint p, nearest;
        Fixed tolerance;
    };
    const Case cases[] = {
        {"within the sweep", 0, 90, {F(20), F(-20)}, {F(7.07), F(-7.07)}, 0x1000},
        {"outside, start nearer", 0, 90, {F(-20), F(10)}, {0, F(-10)}, 0},
        {"outside, end nearer", 0, 90, {F(10), F(20)}, {F(10), 0}, 0},
        {"no sweep", 90, 90, {F(-30), 0}, {F(10), 0}, 0},
        {"full turn", 0, 360, {F(-30), 0}, {F(-10), 0}, 0},
        {"across the top", 330, 30, {0, F(-20)}, {0, F(-10)}, 0},
        {"across the top, given unnormalised", -30, 30, {0, F(-20)}, {0, F(-10)}, 0},
    };
    for (const auto& c : cases) {
        FixPoint out;
        Fixed distance = 0;
        Geom_NearestOnArc({circle, c.start, c.end}, c.p, &out, &distance);
        EXPECT_TRUE(Near(out, c.nearest, c.tolerance)) << c.name;
        EXPECT_EQ(distance, Geom_Distance(out, c.p)) << c.name;
    }
}

TEST(LineGrid, IntersectionsAndPointTests)
{
    FixPoint out;
    // Lines crossing at (0x3000, 0x9000) give the grid point (0, 0x8000).
    EXPECT_TRUE(Line_Intersect({F(-10), 0x9000, F(10), 0x9000}, {0x3000, F(-10), 0x3000, F(10)}, &out));
    EXPECT_EQ(out, (FixPoint{0, 0x8000}));
    EXPECT_TRUE(Line_Intersect({0x3000, F(-10), 0x3000, F(10)}, {F(-10), 0x9000, F(10), 0x9000}, &out));
    EXPECT_EQ(out, (FixPoint{0, 0x8000}));
    EXPECT_TRUE(Line_Intersect({0, 0, F(10), F(10)}, {0, F(10), F(10), 0}, &out));
    EXPECT_EQ(out, (FixPoint{F(5), F(5)}));
    EXPECT_TRUE(Line_Intersect({0, 0, F(10), F(10)}, {F(2), F(-5), F(2), F(5)}, &out));
    EXPECT_EQ(out, (FixPoint{F(2), F(2)}));
    EXPECT_TRUE(Line_Intersect({0, F(4), F(10), F(4)}, {0, 0, F(10), F(10)}, &out));
    EXPECT_EQ(out, (FixPoint{F(4), F(4)}));
    EXPECT_FALSE(Line_Intersect({0, 0, F(10), F(10)}, {0, F(1), F(10), F(11)}, &out));

    EXPECT_FALSE(Line_IntersectSegments({0, 0, F(1), F(1)}, {0, F(10), F(10), 0}, &out));
    EXPECT_TRUE(Line_IntersectOnSecond({0, 0, F(1), F(1)}, {0, F(10), F(10), 0}, &out));
    EXPECT_TRUE(Line_IntersectSegments({0, 0, F(10), F(10)}, {0, F(10), F(10), 0}, &out));

    EXPECT_TRUE(Line_InGridRange(0x3fff, 0, F(1)));   // rounds to 0
    EXPECT_FALSE(Line_InGridRange(-0x4001, 0, F(1)));  // rounds to -1 pixel
    const FixSegment diagonal{0, 0, F(10), F(10)};
    EXPECT_TRUE(Line_PointOnLine({F(3), F(3)}, diagonal));
    EXPECT_FALSE(Line_PointOnLine({F(3), F(4)}, diagonal));
    EXPECT_TRUE(Line_PointOnLine({F(12), F(12)}, diagonal));
    EXPECT_FALSE(Line_PointOnSegment({F(12), F(12)}, diagonal));
    EXPECT_TRUE(Line_PointOnSegment({F(3), F(3)}, diagonal));
    EXPECT_EQ(Line_Slope(diagonal), F(1));
}

// Every operation on extreme coordinates: saturation instead of signed
// overflow (the sanitizers stop the test on any overflow).
TEST(GeomExtremes, NoOverflowOnExtremeCoordinates)
{
    const Fixed values[] = {0, 1, -1, kFixedPlusInfinity, kFixedMinusInfinity, INT32_MIN, 0x40000000, -0x40000000};
    for (Fixed u : values) {
        for (Fixed v : values) {
            const FixPoint a{u, v}, b{v, u}, c{-(u / 2), v}, d{u, -(v / 2)};
            const FixRect r{u, v, v, u};
            const FixBox box{u, v, v, u};
            FixPoint out;
            FixRect rr = r;
            FixBox bb = box;
            Fixed f = 0;
            int32_t i = 0, j = 0, k = 0, l = 0;
            bool h = false, w = false;
            Geom_AddPoints(&out, &a, &b);
            Geom_SubPoints(&out, a, b);
            Geom_MidPoint(&out, a, b);
            (void)Geom_Distance(a, b);
            (void)Geom_PixelDistance(u, v, v, u);
            (void)Fix_DistancePixels(u, v, v, u);
            Geom_RectFromCenter(&rr, a, u, v);
            Geom_RectCenterSize(r, &out, &f, &f);
            Geom_RectFromBox(box, &rr);
            Geom_BoxFromRect(&bb, r);
            rr = r;
            Geom_InsetRect(&rr, u, v);
            rr = r;
            Geom_ScaleRect(&rr, &a, &b);
            bb = box;
            Geom_ScaleBox(&bb, &a, &b);
            (void)Geom_Slope(a, b, &h, &w);
            out = a;
            (void)Geom_LineYAt(&out, b, c);
            (void)Geom_NormalSlope(a, b, &f);
            (void)Geom_PerpendicularFoot(a, b, c, &out);
            Geom_PointToward(a, b, u, &out);
            (void)Geom_SegmentsCross(a, b, c, d, &out);
            Geom_EllipsePoint(&a, u, v, u, &out);
            Geom_EllipseAngle(a, u, v, b, &i);
            (void)Geom_AngleStep(a, b, c);
            i = u;
            j = v;
            Geom_NormalizeAngles(&i, &j);
            (void)Geom_InEllipse(box, a);
            Geom_NearestOnEllipse(box, a, &out, &f);
            Geom_NearestOnArc({box, u, v}, a, &out, &f);
            Geom_RectToX(r, &i, &j, &k, &l);
            Geom_RectFromX(&rr, u, v, v, u);
            (void)Line_Intersect({u, v, v, u}, {c.x, c.y, d.x, d.y}, &out);
            (void)Line_PointOnSegment(a, {u, v, v, u});
            (void)Fix_Mul(u, v);
            (void)Fix_Div(u, v);
            (void)Fix_DivInt(u, v);
            (void)Fix_Hypot(u, v);
            (void)Fix_RemCoord(u, v);
            (void)Fix_SlopeScale(u, v, v, u, u);
            (void)Fix_Angle(u, v);
            (void)Fix_ArcTanInt(u, v);
            (void)Fix_Sin(u);
            (void)Fix_Cos(v);
            (void)Fix_FormatCoord(u);
        }
    }
    SUCCEED();
}

TEST(DrawTables, DashPatternsFillTilesAndFunctions)
{
    struct DashCase {
        int32_t number;
        std::vector<uint8_t> dashes;
    };
    const DashCase dashes[] = {{1, {9, 7}}, {2, {15, 7}}, {3, {3, 7}}, {4, {10, 5, 3, 5}}};
    for (const auto& c : dashes) {
        const DashPattern* p = LinePat_Get(c.number);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->offset, 0u);
        EXPECT_EQ(std::vector<uint8_t>(p->dashes, p->dashes + p->count), c.dashes) << c.number;
    }
    EXPECT_EQ(LinePat_Get(0), nullptr);
    EXPECT_EQ(LinePat_Get(5), nullptr);
    EXPECT_EQ(LinePat_Get(-1), nullptr);

    EXPECT_EQ(LinePat_FillTile(1), static_cast<Pixmap>(None));
    for (int32_t n = 0; n <= kFillPatternCount + 1; ++n) {
        LinePat_SetFillTile(n, 1000 + n);
    }
    EXPECT_EQ(LinePat_FillTile(0), static_cast<Pixmap>(None));
    EXPECT_EQ(LinePat_FillTile(1), 1001u);
    EXPECT_EQ(LinePat_FillTile(38), 1038u);
    EXPECT_EQ(LinePat_FillTile(39), static_cast<Pixmap>(None));

    EXPECT_EQ(DrawFunc_ToX(0), GXcopy);
    EXPECT_EQ(DrawFunc_ToX(1), GXor);
    EXPECT_EQ(DrawFunc_ToX(2), GXxor);
    EXPECT_EQ(DrawFunc_ToX(3), GXandInverted);
    EXPECT_EQ(DrawFunc_ToX(4), GXcopy);
    EXPECT_EQ(DrawFunc_ToX(-1), GXcopy);
}

}  // namespace
