// Tests of point arrays and the curves built on them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "xkv/types/Geometry.h"
#include "xkv/types/PtArray.h"

namespace {

constexpr Fixed F(double v)
{
    return static_cast<Fixed>(v * 65536.0);
}

std::vector<FixPoint> PointsOf(PtArray array)
{
    std::vector<FixPoint> points(PtArray_Count(array));
    for (uint32_t i = 0; i < points.size(); ++i) {
        PtArray_GetPoint(array, i, &points[i]);
    }
    return points;
}

// Owns the arrays a test makes.
class PtArrayTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (PtArray a : arrays_) {
            PtArray_Free(a);
        }
    }

    PtArray Keep(PtArray a)
    {
        EXPECT_NE(a, 0u);
        arrays_.push_back(a);
        return a;
    }

    PtArray Make(const std::vector<FixPoint>& points)
    {
        PtArray a = Keep(PtArray_New());
        for (const FixPoint& p : points) {
            EXPECT_EQ(PtArray_Append(a, p), kStatusOk);
        }
        return a;
    }

    // The capacity shows through a pinned array: growth within it succeeds,
    // beyond it nothing changes.
    static bool HoldsWhilePinned(PtArray a, uint16_t n)
    {
        FixPoint* points = nullptr;
        EXPECT_EQ(PtArray_LockPoints(a, &points), kStatusOk);
        uint16_t before = PtArray_Count(a);
        bool holds = PtArray_SetCount(a, n) == kStatusOk;
        PtArray_SetCount(a, before);
        PtArray_UnlockPoints(a);
        return holds;
    }

    std::vector<PtArray> arrays_;
};

const FixPoint A{F(1), F(1)}, B{F(2), F(2)}, C{F(3), F(3)}, X{F(9), F(9)};

TEST_F(PtArrayTest, GrowthAddsFiveSparePoints)
{
    PtArray a = Keep(PtArray_New());
    EXPECT_EQ(PtArray_Count(a), 0);
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(PtArray_Append(a, {F(i), 0}), kStatusOk);
    }
    EXPECT_TRUE(HoldsWhilePinned(a, 30));
    EXPECT_FALSE(HoldsWhilePinned(a, 31));
    ASSERT_EQ(PtArray_Append(a, {F(30), 0}), kStatusOk);  // the 31st
    EXPECT_TRUE(HoldsWhilePinned(a, 36));
    EXPECT_FALSE(HoldsWhilePinned(a, 37));
    std::vector<FixPoint> points = PointsOf(a);
    ASSERT_EQ(points.size(), 31u);
    for (int i = 0; i < 31; ++i) {
        EXPECT_EQ(points[i].x, F(i));
    }
}

TEST_F(PtArrayTest, InsertAndDeleteKeepOrder)
{
    struct Case {
        const char* name;
        KernelStatus (*edit)(PtArray);
        std::vector<FixPoint> expected;
    };
    const Case cases[] = {
        {"insert after first", [](PtArray a) { return PtArray_InsertAfter(a, 0, X); }, {A, X, B, C}},
        {"insert after -1", [](PtArray a) { return PtArray_InsertAfter(a, -1, X); }, {X, A, B, C}},
        {"insert after last", [](PtArray a) { return PtArray_InsertAfter(a, 2, X); }, {A, B, C, X}},
        {"insert after count: nothing", [](PtArray a) { return PtArray_InsertAfter(a, 3, X); }, {A, B, C}},
        {"insert after -2: nothing", [](PtArray a) { return PtArray_InsertAfter(a, -2, X); }, {A, B, C}},
        {"insert at 1", [](PtArray a) { return PtArray_InsertAt(a, 1, X); }, {A, X, B, C}},
        {"insert at count", [](PtArray a) { return PtArray_InsertAt(a, 3, X); }, {A, B, C, X}},
        {"insert at -1: nothing", [](PtArray a) { return PtArray_InsertAt(a, -1, X); }, {A, B, C}},
        {"prepend", [](PtArray a) { return PtArray_Prepend(a, X); }, {X, A, B, C}},
        {"delete middle", [](PtArray a) { return PtArray_Delete(a, 1); }, {A, C}},
        {"delete last", [](PtArray a) { return PtArray_Delete(a, 2); }, {A, B}},
        {"delete past the end: nothing", [](PtArray a) { return PtArray_Delete(a, 3); }, {A, B, C}},
        {"set point", [](PtArray a) { return PtArray_SetPoint(a, 2, X); }, {A, B, X}},
        {"set point past the end: nothing", [](PtArray a) { return PtArray_SetPoint(a, 3, X); }, {A, B, C}},
    };
    for (const auto& c : cases) {
        PtArray a = Make({A, B, C});
        EXPECT_EQ(c.edit(a), kStatusOk) << c.name;
        EXPECT_EQ(PointsOf(a), c.expected) << c.name;
    }
}

TEST_F(PtArrayTest, EmptyArraysAndReadsOutOfRange)
{
    PtArray a = 0;
    ASSERT_EQ(PtArray_Create(&a, 0), kStatusOk);
    Keep(a);
    EXPECT_EQ(PtArray_InsertAfter(a, -1, A), kStatusOk);  // makes the point block
    EXPECT_EQ(PointsOf(a), std::vector<FixPoint>{A});

    FixPoint out = X;
    EXPECT_EQ(PtArray_GetPoint(a, 1, &out), kStatusOk);
    EXPECT_EQ(out, X);  // unchanged
    EXPECT_EQ(PtArray_GetPoint(a, 0, &out), kStatusOk);
    EXPECT_EQ(out, A);

    EXPECT_EQ(PtArray_Count(0), 0);
    EXPECT_EQ(PtArray_Append(0, A), kStatusNullHandle);
    EXPECT_EQ(PtArray_SetCount(0, 3), kStatusNullHandle);
    EXPECT_EQ(PtArray_Free(0), kStatusNullHandle);
    EXPECT_EQ(PtArray_Duplicate(0), 0u);
}

TEST_F(PtArrayTest, SetCountGrowsOnlyWhenNotPinned)
{
    PtArray a = Make({A, B});
    FixPoint* points = nullptr;
    ASSERT_EQ(PtArray_LockPoints(a, &points), kStatusOk);
    ASSERT_EQ(PtArray_LockPoints(a, &points), kStatusOk);  // nested
    EXPECT_EQ(PtArray_SetCount(a, 31), kStatusPtArrayPinned);
    EXPECT_EQ(PtArray_Count(a), 2);
    EXPECT_EQ(PtArray_Append(a, C), kStatusOk);  // room within the capacity
    EXPECT_EQ(PtArray_SetCount(a, 30), kStatusOk);
    EXPECT_EQ(PtArray_Append(a, C), kStatusPtArrayPinned);
    EXPECT_EQ(PtArray_Count(a), 30);
    EXPECT_EQ(points[0], A);
    PtArray_UnlockPoints(a);
    EXPECT_EQ(PtArray_SetCount(a, 31), kStatusPtArrayPinned);  // still pinned once
    PtArray_UnlockPoints(a);
    PtArray_UnlockPoints(a);  // an extra unlock is harmless
    EXPECT_EQ(PtArray_SetCount(a, 40), kStatusOk);
    EXPECT_EQ(PtArray_Count(a), 40);
    EXPECT_TRUE(HoldsWhilePinned(a, 45));
    EXPECT_FALSE(HoldsWhilePinned(a, 46));
    EXPECT_EQ(PointsOf(a)[39], FixPoint{});  // grown points read zero
}

// Counts are 16-bit: growth stops at 65535 points with a status instead of
// wrapping the capacity and writing past the block.
TEST_F(PtArrayTest, CapacityStopsAt65535Points)
{
    PtArray a = Keep(PtArray_New());
    ASSERT_EQ(PtArray_SetCount(a, 65533), kStatusOk);
    EXPECT_TRUE(HoldsWhilePinned(a, 65535));
    FixPoint* points = nullptr;
    ASSERT_EQ(PtArray_LockPoints(a, &points), kStatusOk);
    for (uint32_t i = 0; i < 65535; ++i) {
        points[i] = {static_cast<Fixed>(i), 0};  // the whole capacity is there
    }
    PtArray_UnlockPoints(a);
    ASSERT_EQ(PtArray_Append(a, X), kStatusOk);
    ASSERT_EQ(PtArray_Append(a, X), kStatusOk);
    EXPECT_EQ(PtArray_Count(a), 65535);
    EXPECT_EQ(PtArray_Append(a, X), kStatusOutOfMemory);
    EXPECT_EQ(PtArray_InsertAt(a, 0, X), kStatusOutOfMemory);
    EXPECT_EQ(PtArray_Count(a), 65535);
    FixPoint first;
    PtArray_GetPoint(a, 0, &first);
    EXPECT_EQ(first, (FixPoint{0, 0}));
}

TEST_F(PtArrayTest, FreeReleasesTheHeaderWithOrWithoutPoints)
{
    PtArray withPoints = PtArray_New();
    ASSERT_NE(withPoints, 0u);
    EXPECT_EQ(PtArray_Free(withPoints), kStatusOk);
    EXPECT_EQ(Mem_Size(withPoints), 0u);  // the handle is gone

    PtArray empty = 0;
    ASSERT_EQ(PtArray_Create(&empty, 0), kStatusOk);
    EXPECT_EQ(PtArray_Free(empty), kStatusNoPointBlock);
    EXPECT_EQ(Mem_Size(empty), 0u);  // freed all the same
    EXPECT_EQ(PtArray_Free(empty), kStatusNullHandle);
}

TEST_F(PtArrayTest, DuplicateCopiesPointsAndCount)
{
    PtArray a = Make({A, B, C});
    PtArray copy = Keep(PtArray_Duplicate(a));
    EXPECT_EQ(PointsOf(copy), PointsOf(a));
    EXPECT_TRUE(HoldsWhilePinned(copy, 3));
    EXPECT_FALSE(HoldsWhilePinned(copy, 4));  // capacity = the source count
    PtArray_SetPoint(copy, 0, X);
    EXPECT_EQ(PointsOf(a)[0], A);

    PtArray emptyCopy = Keep(PtArray_Duplicate(Keep(PtArray_New())));
    EXPECT_EQ(PtArray_Count(emptyCopy), 0);
    EXPECT_TRUE(HoldsWhilePinned(emptyCopy, 30));
}

TEST_F(PtArrayTest, TranslateScaleAndBounds)
{
    PtArray a = Make({{F(1), F(2)}, {F(-3), F(4)}});
    ASSERT_EQ(PtArray_Translate(a, {F(1), F(-1)}), kStatusOk);
    EXPECT_EQ(PointsOf(a), (std::vector<FixPoint>{{F(2), F(1)}, {F(-2), F(3)}}));

    ASSERT_EQ(PtArray_Scale(a, nullptr, F(2), F(0.5)), kStatusOk);
    EXPECT_EQ(PointsOf(a), (std::vector<FixPoint>{{F(4), F(0.5)}, {F(-4), F(1.5)}}));
    FixPoint centre{F(4), F(0.5)};
    ASSERT_EQ(PtArray_Scale(a, &centre, F(0.5), F(2)), kStatusOk);
    EXPECT_EQ(PointsOf(a), (std::vector<FixPoint>{{F(4), F(0.5)}, {0, F(2.5)}}));

    FixRect bounds{};
    ASSERT_EQ(PtArray_Bounds(a, &bounds), kStatusOk);
    EXPECT_EQ(bounds, (FixRect{0, F(0.5), F(4), F(2.5)}));
    FixRect untouched{1, 2, 3, 4};
    EXPECT_EQ(PtArray_Bounds(Keep(PtArray_New()), &untouched), kStatusOk);
    EXPECT_EQ(untouched, (FixRect{1, 2, 3, 4}));
}

TEST_F(PtArrayTest, NearestPointOfAPolyline)
{
    PtArray a = Make({{0, 0}, {F(10), 0}, {F(10), F(10)}});
    struct Case {
        FixPoint p, nearest;
        Fixed distance;
        bool onEdge;
    };
    const Case cases[] = {
        {{F(5), F(3)}, {F(5), 0}, F(3), true},
        {{F(15), F(5)}, {F(10), F(5)}, F(5), true},
        {{F(13), F(-4)}, {F(10), 0}, F(5), false},
        {{F(-3), F(-4)}, {0, 0}, F(5), false},
    };
    for (const auto& c : cases) {
        FixPoint out;
        Fixed distance = -1;
        bool onEdge = !c.onEdge;
        ASSERT_EQ(PtArray_NearestPoint(a, c.p, &out, &distance, &onEdge), kStatusOk);
        EXPECT_EQ(out, c.nearest) << c.p.x << "," << c.p.y;
        EXPECT_EQ(distance, c.distance) << c.p.x << "," << c.p.y;
        EXPECT_EQ(onEdge, c.onEdge) << c.p.x << "," << c.p.y;
    }
    FixPoint out = X;
    Fixed distance = 7;
    bool onEdge = true;
    ASSERT_EQ(PtArray_NearestPoint(Make({A}), B, &out, &distance, &onEdge), kStatusOk);
    EXPECT_EQ(out, X);
    EXPECT_EQ(distance, 7);
}

TEST_F(PtArrayTest, SelfCrossingAndEnclosure)
{
    PtArray square = Make({{F(-10), F(-10)}, {F(10), F(-10)}, {F(10), F(10)}, {F(-10), F(10)}});
    PtArray bowtie = Make({{0, 0}, {F(10), F(10)}, {F(10), 0}, {0, F(10)}});
    EXPECT_FALSE(PtArray_SelfCrosses(square));
    EXPECT_TRUE(PtArray_SelfCrosses(bowtie));
    EXPECT_FALSE(PtArray_SelfCrosses(Make({A, B})));

    EXPECT_TRUE(PtArray_Encloses(square, {0, 0}));
    EXPECT_TRUE(PtArray_Encloses(square, {F(9), F(-9)}));
    EXPECT_FALSE(PtArray_Encloses(square, {F(30), 0}));
    EXPECT_FALSE(PtArray_Encloses(Make({{F(-10), 0}, {F(10), 0}}), {0, F(1)}));  // needs 3 points
    PtArray reversed = Make({{F(-10), F(10)}, {F(10), F(10)}, {F(10), F(-10)}, {F(-10), F(-10)}});
    EXPECT_TRUE(PtArray_Encloses(reversed, {0, 0}));
}

TEST_F(PtArrayTest, EllipseAndRoundRectOutlines)
{
    PtArray four = Keep(Spline_EllipsePoints(4, {0, 0, F(2), F(2)}, 1));
    EXPECT_EQ(PointsOf(four), (std::vector<FixPoint>{{F(1), 0}, {F(2), F(1)}, {F(1), F(2)}, {0, F(1)}}));

    PtArray offset = Keep(Spline_EllipsePoints(4, {0, 0, F(2), F(2)}, 0));  // half a step further
    std::vector<FixPoint> points = PointsOf(offset);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_GT(points[0].x, F(1.5));
    EXPECT_LT(points[0].y, F(0.5));

    PtArray rounded = Keep(Spline_RoundRectPoints({0, 0, F(10), F(10)}, F(2)));
    EXPECT_EQ(PointsOf(rounded), (std::vector<FixPoint>{{F(2), 0},
                                                        {F(8), 0},
                                                        {F(9.5), F(0.5)},
                                                        {F(10), F(2)},
                                                        {F(10), F(8)},
                                                        {F(9.5), F(9.5)},
                                                        {F(8), F(10)},
                                                        {F(2), F(10)},
                                                        {F(0.5), F(9.5)},
                                                        {0, F(8)},
                                                        {0, F(2)},
                                                        {F(0.5), F(0.5)}}));
    // A corner larger than half the width takes a quarter of the width.
    PtArray narrow = Keep(Spline_RoundRectPoints({0, 0, F(4), F(20)}, F(3)));
    points = PointsOf(narrow);
    ASSERT_EQ(points.size(), 12u);
    EXPECT_EQ(points[0], (FixPoint{F(1), 0}));
    EXPECT_EQ(points[3], (FixPoint{F(4), F(3)}));
}

TEST_F(PtArrayTest, ArcPoints)
{
    const FixPoint centre{F(10), F(10)};
    PtArray arc = Keep(Spline_ArcPoints(centre, F(20), F(20), 0, 30, false, false));
    std::vector<FixPoint> expected;
    for (int32_t t : {0, 11, 22, 30}) {
        FixPoint p;
        Geom_EllipsePoint(&centre, F(10), F(10), t, &p);
        expected.push_back(p);
    }
    EXPECT_EQ(PointsOf(arc), expected);
    EXPECT_EQ(expected[0], (FixPoint{F(10), 0}));

    PtArray pie = Keep(Spline_ArcPoints(centre, F(20), F(20), 0, 30, true, true));
    std::vector<FixPoint> closedPie = expected;
    closedPie.push_back(centre);
    closedPie.push_back(expected[0]);
    EXPECT_EQ(PointsOf(pie), closedPie);

    PtArray chord = Keep(Spline_ArcPoints(centre, F(20), F(20), 0, 30, true, false));
    EXPECT_EQ(PtArray_Count(chord), 5);

    PtArray full = Keep(Spline_ArcPoints(centre, F(20), F(20), 0, 360, false, false));
    EXPECT_EQ(PtArray_Count(full), 32);
    PtArray many = Keep(Spline_ArcPoints(centre, F(20), F(20), 0, 355, false, false));
    EXPECT_EQ(PtArray_Count(many), 34);  // 33 steps of 11 degrees and the end
}

TEST_F(PtArrayTest, CornerPointsAndCentre)
{
    FixPoint a, b, c;
    Spline_CornerPoints({0, 0}, {F(20), 0}, {F(20), F(20)}, F(4), &a, &b);
    EXPECT_EQ(a, (FixPoint{F(16), 0}));
    EXPECT_EQ(b, (FixPoint{F(20), F(4)}));
    ASSERT_TRUE(Spline_CornerCentre(a, {F(20), 0}, b, &c));
    EXPECT_EQ(c, (FixPoint{F(16), F(4)}));

    // The radius is limited to half the shorter leg, in whole pixels.
    Spline_CornerPoints({F(18), 0}, {F(20), 0}, {F(20), F(20)}, F(4), &a, &b);
    EXPECT_EQ(a, (FixPoint{F(19), 0}));
    EXPECT_EQ(b, (FixPoint{F(20), F(1)}));

    // A straight run has no corner centre.
    EXPECT_FALSE(Spline_CornerCentre({F(16), F(16)}, {F(20), F(20)}, {F(24), F(24)}, &c));
}

TEST_F(PtArrayTest, RoundCorners)
{
    PtArray two = Make({A, X});
    PtArray out = Keep(PtArray_New());
    ASSERT_EQ(Spline_RoundCorners(two, out, F(4)), kStatusOk);
    EXPECT_EQ(PointsOf(out), (std::vector<FixPoint>{A, X}));

    PtArray corner = Make({{0, 0}, {F(20), 0}, {F(20), F(20)}});
    PtArray rounded = Keep(PtArray_New());
    ASSERT_EQ(Spline_RoundCorners(corner, rounded, F(4)), kStatusOk);
    std::vector<FixPoint> points = PointsOf(rounded);
    ASSERT_GE(points.size(), 6u);
    EXPECT_EQ(points.front(), (FixPoint{0, 0}));
    EXPECT_EQ(points[1], (FixPoint{F(16), 0}));
    EXPECT_EQ(points.back(), (FixPoint{F(20), F(20)}));
    const FixPoint centre{F(16), F(4)};
    for (size_t i = 2; i + 1 < points.size(); ++i) {
        double radius = Geom_Distance(points[i], centre) / 65536.0;
        EXPECT_NEAR(radius, 4.0, 0.15) << i;
        EXPECT_GE(points[i].x, points[i - 1].x) << i;  // turning clockwise toward (20, 4)
        EXPECT_GE(points[i].y, points[i - 1].y) << i;
    }
    const FixPoint lastArcPoint = points[points.size() - 2];
    EXPECT_NEAR(lastArcPoint.x / 65536.0, 20.0, 0.5);
    EXPECT_NEAR(lastArcPoint.y / 65536.0, 4.0, 0.5);
}

TEST_F(PtArrayTest, CornerArcEndsOnDegenerateInput)
{
    // Start and target coincide: nothing to go round.
    PtArray out = Keep(PtArray_New());
    EXPECT_EQ(Spline_CornerArc({F(128), 0}, {F(128), 0}, {0, 0}, true, out), kStatusOk);
    EXPECT_EQ(PtArray_Count(out), 0);

    // The target lies just behind the start on a huge circle: going the long
    // way round, the generator stops once it is far from the target.
    PtArray longWay = Keep(PtArray_New());
    EXPECT_EQ(Spline_CornerArc({F(16000), 0}, {F(15999.8), F(-80)}, {0, 0}, true, longWay), kStatusOk);
    EXPECT_GT(PtArray_Count(longWay), 0);
    EXPECT_LT(PtArray_Count(longWay), 65535);

    // A tiny radius appends nothing.
    PtArray tiny = Keep(PtArray_New());
    EXPECT_EQ(Spline_CornerArc({0x4000, 0}, {0, 0x4000}, {0, 0}, false, tiny), kStatusOk);
    EXPECT_EQ(PtArray_Count(tiny), 0);
}

}  // namespace
