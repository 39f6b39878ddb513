// The damage list's rectangle rules without X: clipping to the window,
// merging near rectangles, collapsing at the 101st rectangle, and the damage
// of connector segments.
#include <gtest/gtest.h>

#include <vector>

#include "xkv/window/DamageRects.h"

namespace {

constexpr int32_t kWidth = 400;
constexpr int32_t kHeight = 300;

DamageRects NewList()
{
    DamageRects list;
    list.SetSize(kWidth, kHeight);
    return list;
}

std::vector<PixelRect> RectsOf(const DamageRects& list)
{
    return {list.Rects().begin(), list.Rects().end()};
}

bool Covers(const DamageRects& list, int32_t x, int32_t y)
{
    for (const PixelRect& r : list.Rects()) {
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) {
            return true;
        }
    }
    return false;
}

struct Box {
    int32_t left, top, right, bottom;  // inclusive pixel corners
};

struct BoxCase {
    const char* name;
    std::vector<Box> boxes;
    std::vector<PixelRect> expected;
};

TEST(DamageRects, BoxesAreMergedClippedAndDeduplicated)
{
    const BoxCase cases[] = {
        {"one box", {{10, 20, 49, 59}}, {{10, 20, 40, 40}}},
        {"same box twice is added once", {{10, 20, 49, 59}, {10, 20, 49, 59}}, {{10, 20, 40, 40}}},
        {"left of the window is cut at 0", {{-30, 10, 19, 29}}, {{0, 10, 20, 20}}},
        {"above the window is cut at 0", {{10, -5, 29, 9}}, {{10, 0, 20, 10}}},
        {"beyond the right edge is cut", {{380, 10, 499, 19}}, {{380, 10, 20, 10}}},
        {"wholly left of the window is dropped", {{-50, 10, -1, 20}}, {}},
        {"wholly right of the window is dropped", {{400, 10, 450, 20}}, {}},
        {"wholly below the window is dropped", {{10, 300, 20, 320}}, {}},
        {"corners within 5 pixels merge", {{10, 10, 49, 49}, {13, 14, 53, 52}}, {{10, 10, 44, 43}}},
        {"a box inside another merges", {{10, 10, 99, 99}, {40, 40, 49, 49}}, {{10, 10, 90, 90}}},
        {"a box around another merges", {{40, 40, 49, 49}, {10, 10, 99, 99}}, {{10, 10, 90, 90}}},
        {"stacked boxes with the same sides merge", {{10, 10, 49, 29}, {12, 32, 51, 59}}, {{10, 10, 42, 50}}},
        {"boxes 6 pixels apart at every edge stay apart",
         {{10, 10, 49, 49}, {100, 100, 139, 139}},
         {{10, 10, 40, 40}, {100, 100, 40, 40}}},
        {"a merge near the edge stays inside the window",
         {{370, 280, 399, 299}, {372, 283, 420, 330}},
         {{370, 280, 30, 20}}},
        {"the newest rectangle is tried first",
         {{10, 10, 49, 49}, {200, 10, 239, 49}, {201, 12, 240, 50}},
         {{10, 10, 40, 40}, {200, 10, 41, 41}}},
    };
    for (const BoxCase& c : cases) {
        DamageRects list = NewList();
        for (const Box& b : c.boxes) {
            list.AddBox(b.left, b.top, b.right, b.bottom);
        }
        EXPECT_EQ(RectsOf(list), c.expected) << c.name;
        EXPECT_FALSE(list.Collapsed()) << c.name;
    }
}

TEST(DamageRects, PixelRectsAreClippedToTheWindow)
{
    struct Case {
        PixelRect in;
        std::vector<PixelRect> expected;
    };
    const Case cases[] = {
        {{-10, -10, 30, 30}, {{0, 0, 20, 20}}},
        {{-40, 5, 30, 10}, {}},
        {{390, 290, 100, 100}, {{390, 290, 10, 10}}},
        {{0, 0, 100000, 100000}, {{0, 0, kWidth, kHeight}}},
        {{400, 0, 10, 10}, {}},
        {{5, 5, 0, 10}, {}},
    };
    for (const Case& c : cases) {
        DamageRects list = NewList();
        list.AddPixelRect(c.in.x, c.in.y, c.in.width, c.in.height);
        EXPECT_EQ(RectsOf(list), c.expected) << c.in.x << "," << c.in.y;
    }
}

TEST(DamageRects, The101stRectangleCollapsesTheList)
{
    DamageRects list = NewList();
    for (int i = 0; i < kDamageMaxRects; ++i) {
        int32_t x = (i % 20) * 20, y = (i / 20) * 20;
        list.AddPixelRect(x, y, 4, 4);
    }
    ASSERT_EQ(list.Count(), kDamageMaxRects);
    ASSERT_FALSE(list.Collapsed());
    list.AddBox(300, 250, 310, 260);
    EXPECT_TRUE(list.Collapsed());
    EXPECT_EQ(RectsOf(list), (std::vector<PixelRect>{{0, 0, kWidth, kHeight}}));
    // Nothing more is added until the list is reset.
    list.AddBox(5, 5, 9, 9);
    list.AddPixelRect(5, 5, 9, 9);
    list.AddSegment({0, 0}, {399, 299}, 3);
    EXPECT_EQ(list.Count(), 1);
    list.Reset();
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(list.Collapsed());
}

TEST(DamageRects, AxisAlignedThickSegmentsAreOneRectangle)
{
    // A pad of 20 makes the grown box 41 pixels thick: without the guard the
    // tiling would divide by the zero extent.
    struct Case {
        PixelPoint p, q;
    };
    const Case cases[] = {{{20, 100}, {300, 100}}, {{150, 10}, {150, 280}}, {{300, 100}, {20, 100}}};
    for (const Case& c : cases) {
        DamageRects list = NewList();
        list.AddSegment(c.p, c.q, 20);
        ASSERT_EQ(list.Count(), 1);
        EXPECT_TRUE(Covers(list, c.p.x, c.p.y));
        EXPECT_TRUE(Covers(list, c.q.x, c.q.y));
        EXPECT_TRUE(Covers(list, (c.p.x + c.q.x) / 2, (c.p.y + c.q.y) / 2 + 19));
    }
}

TEST(DamageRects, VeryThickDiagonalSegmentEndsAndCoversItsLine)
{
    DamageRects list = NewList();
    list.AddSegment({10, 10}, {390, 200}, 40);
    EXPECT_GE(list.Count(), 1);
    for (int i = 0; i <= 10; ++i) {
        EXPECT_TRUE(Covers(list, 10 + 38 * i, 10 + 19 * i)) << i;
    }
}

TEST(DamageRects, LongDiagonalSegmentIsTiledNotBoxed)
{
    DamageRects list = NewList();
    PixelPoint p{10, 290}, q{390, 20};
    list.AddSegment(p, q, 3);
    EXPECT_GT(list.Count(), 2);
    int64_t area = 0;
    for (const PixelRect& r : list.Rects()) {
        EXPECT_GE(r.x, 0);
        EXPECT_GE(r.y, 0);
        EXPECT_LE(r.x + r.width, kWidth);
        EXPECT_LE(r.y + r.height, kHeight);
        area += int64_t{r.width} * r.height;
    }
    // Every pixel of the line is covered, with far less than the bounding box.
    for (int32_t x = p.x; x <= q.x; ++x) {
        int32_t y = p.y + (x - p.x) * (q.y - p.y) / (q.x - p.x);
        EXPECT_TRUE(Covers(list, x, y)) << x << "," << y;
    }
    EXPECT_LT(area, int64_t{380} * 270 / 2);
}

TEST(DamageRects, ShortSegmentsJoinTheLastSmallRectangle)
{
    DamageRects list = NewList();
    list.AddSegment({100, 100}, {110, 104}, 3);
    list.AddSegment({110, 104}, {118, 110}, 3);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(Covers(list, 100, 100));
    EXPECT_TRUE(Covers(list, 118, 110));
}

TEST(DamageRects, SegmentOutsideTheWindowDamagesNothing)
{
    DamageRects list = NewList();
    list.AddSegment({-100, -50}, {-10, -5}, 3);
    list.AddSegment({500, 10}, {600, 90}, 3);
    EXPECT_TRUE(list.Empty());
}

ConnectorPoints Path(std::vector<PixelPoint> points)
{
    ConnectorPoints c;
    c.path = std::move(points);
    return c;
}

TEST(DamageRects, MovedBendDamagesItsTwoSegmentsInBothPlaces)
{
    // A connector with long straight legs; its middle bend moves.
    ConnectorPoints before = Path({{20, 20}, {20, 150}, {200, 150}, {200, 280}, {380, 280}});
    ConnectorPoints after = Path({{20, 20}, {20, 150}, {210, 140}, {200, 280}, {380, 280}});
    DamageRects list = NewList();
    list.AddConnectorChange(before, after, 2);
    EXPECT_TRUE(Covers(list, 200, 150));
    EXPECT_TRUE(Covers(list, 210, 140));
    EXPECT_TRUE(Covers(list, 110, 150));  // old segment into the bend
    EXPECT_TRUE(Covers(list, 205, 210));  // segment out of the bend
    // The unchanged far ends are covered once, and nothing away from the path.
    EXPECT_FALSE(Covers(list, 300, 60));
    EXPECT_FALSE(Covers(list, 100, 250));
}

TEST(DamageRects, PointAppendedAtTheEndIsDamaged)
{
    ConnectorPoints before = Path({{20, 20}, {100, 20}, {100, 100}});
    ConnectorPoints after = Path({{20, 20}, {100, 20}, {100, 100}, {300, 100}});
    DamageRects list = NewList();
    list.AddConnectorChange(before, after, 2);
    EXPECT_TRUE(Covers(list, 250, 100));
}

TEST(DamageRects, InsertedPointIsSteppedOver)
{
    ConnectorPoints before = Path({{20, 20}, {300, 20}, {300, 250}});
    ConnectorPoints after = Path({{20, 20}, {150, 90}, {300, 20}, {300, 250}});
    DamageRects list = NewList();
    list.AddConnectorChange(before, after, 2);
    EXPECT_TRUE(Covers(list, 150, 90));
    EXPECT_TRUE(Covers(list, 160, 20));  // the old straight segment
    EXPECT_TRUE(Covers(list, 85, 55));   // the new first leg
}

TEST(DamageRects, HeadThatAppearsIsDamaged)
{
    ConnectorPoints before = Path({{20, 20}, {300, 20}});
    ConnectorPoints after = before;
    after.endHead = {{300, 20}, {290, 10}, {290, 30}, {300, 20}};
    DamageRects list = NewList();
    list.AddConnectorChange(before, after, 2);
    EXPECT_TRUE(Covers(list, 290, 30));
}

}  // namespace
