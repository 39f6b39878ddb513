// Page-to-pixel arithmetic of the page windows, without X.
#include <gtest/gtest.h>

#include "xkv/window/Mapping.h"

namespace {

constexpr Fixed kOne = 0x10000;

TEST(Mapping, LengthsRoundHalfUpAtScaleAndZoom)
{
    struct Case {
        Fixed length, scale, zoom;
        int32_t pixels;
    };
    const Case cases[] = {
        {kOne, kOne, kOne, 2},             // one unit is two pixels
        {0x4000, kOne, kOne, 1},           // half a pixel rounds up
        {-0x4000, kOne, kOne, 0},          // minus half a pixel rounds to 0
        {kOne, 2 * kOne, kOne, 4},         // page scale 2.0
        {kOne, kOne, kOne / 2, 1},         // zoom 0.5
        {0x40000000, kOne, kOne, 32768},   // beyond 16 bits: no wrap
        {-0x40000000, kOne, kOne, -32768},
        {0x7fff0000, 4 * kOne, kOne, 262136},  // large virtual areas stay positive
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Map_LengthToPixels(c.length, c.scale, c.zoom), c.pixels) << std::hex << c.length;
    }
}

TEST(Mapping, PixelsToLength)
{
    EXPECT_EQ(Map_PixelsToLength(3, kOne, kOne), 0x18000);
    EXPECT_EQ(Map_PixelsToLength(-3, kOne, kOne), -0x18000);
    EXPECT_EQ(Map_PixelsToLength(4, 2 * kOne, kOne), kOne);
    EXPECT_EQ(Map_PixelsToLength(40000, kOne, kOne), 20000 * kOne);
}

WindowView PageView()
{
    WindowView view;
    view.kind = kWindowKindPage;
    view.page = 7;
    view.scaleKnown = true;
    view.scaleX = view.scaleY = kOne;
    view.virtualX = -1000;
    view.virtualY = -500;
    view.virtualWidth = 4000;
    view.virtualHeight = 3000;
    return view;
}

TEST(Mapping, PagePointsGoThroughTheVirtualArea)
{
    WindowView view = PageView();
    int32_t x = 0, y = 0;
    Map_PageToPixel(view, kOne, kOne, {0, 0}, &x, &y);
    EXPECT_EQ(x, 2000 - 1000);
    EXPECT_EQ(y, 1500 - 500);
    Map_PageToPixel(view, kOne, kOne, {-600 * kOne, -600 * kOne}, &x, &y);
    EXPECT_EQ(x, -200);  // left of the window: negative, not wrapped
    EXPECT_EQ(y, -200);
    FixPoint back = Map_PixelToPage(view, kOne, kOne, -200, -200);
    EXPECT_EQ(back, (FixPoint{-600 * kOne, -600 * kOne}));
}

TEST(Mapping, LargeVirtualAreasDoNotWrap)
{
    WindowView view = PageView();
    view.virtualWidth = 60000;  // beyond i16
    view.virtualX = -40000;
    int32_t x = 0, y = 0;
    Map_PageToPixel(view, kOne, kOne, {5000 * kOne, 0}, &x, &y);
    EXPECT_EQ(x, 30000 - 40000 + 10000);
}

TEST(Mapping, WindowsWithoutPageOrScale)
{
    WindowView none;
    int32_t x = 0, y = 0;
    Map_PageToPixel(none, kOne, kOne, {10 * kOne, -4 * kOne}, &x, &y);
    EXPECT_EQ(x, 20);
    EXPECT_EQ(y, -8);
    EXPECT_EQ(Map_PixelToPage(none, kOne, kOne, 3, 4), (FixPoint{3 * 0x8000, 4 * 0x8000}));

    WindowView structure;
    structure.kind = kWindowKindStructureTree;
    structure.originX = 15;
    structure.originY = -20;
    Map_PageToPixel(structure, kOne, kOne, {10 * kOne, 10 * kOne}, &x, &y);
    EXPECT_EQ(x, 35);
    EXPECT_EQ(y, 0);

    WindowView unscaled = PageView();
    unscaled.scaleKnown = false;
    EXPECT_EQ(Map_PixelToPage(unscaled, kOne, kOne, 50, 60), (FixPoint{0, 0}));
}

TEST(Mapping, ClampOnlyAtTheXCall)
{
    EXPECT_EQ(Map_ClampCoord(-40000), INT16_MIN);
    EXPECT_EQ(Map_ClampCoord(40000), INT16_MAX);
    EXPECT_EQ(Map_ClampCoord(-5), -5);
    EXPECT_EQ(Map_ClampLength(-5), 0);
    EXPECT_EQ(Map_ClampLength(70000), UINT16_MAX);
}

}  // namespace
