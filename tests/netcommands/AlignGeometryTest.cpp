// The arithmetic of the Align commands: offsets by command, the bounding
// data of a list, the Position... record's start values and placement, and
// the spreads.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "atolq/CEditor/AlignGeometry.h"

namespace {

constexpr Fixed kPx = 0x8000;

AlignBox Box(int x, int y, int w, int h)
{
    return {x * kPx, y * kPx, w * kPx, h * kPx};
}

FixPoint At(int x, int y)
{
    return {x * kPx, y * kPx};
}

struct OffsetCase {
    int32_t command;
    int dx;  // pixels
    int dy;
};

// S at (50, 40), 10 x 6; R at (100, 80), 20 x 12; the second reference at (130, 20).
TEST(AlignOffset, EachCommandMovesTheSelectionAsItsNameSays)
{
    const AlignBox s = Box(50, 40, 10, 6);
    const AlignBox r = Box(100, 80, 20, 12);
    const FixPoint second = At(130, 20);
    const OffsetCase cases[] = {
        {901, 0, 40},   {902, 50, 0},   {903, 45, 0},   {904, 65, 0},   {905, 35, 0},
        {906, 55, 0},   {907, 0, 37},   {908, 0, 49},   {909, 0, 31},   {910, 0, 43},
        {911, 50, 40},  {912, 65, 10},  {913, 110, -80},
    };
    for (const OffsetCase& c : cases) {
        FixPoint offset;
        ASSERT_TRUE(GE_OffsetFor(c.command, s, r, second, PositionRecord{}, &offset)) << c.command;
        EXPECT_EQ(offset.x, c.dx * kPx) << c.command;
        EXPECT_EQ(offset.y, c.dy * kPx) << c.command;
    }
    FixPoint offset;
    EXPECT_FALSE(GE_OffsetFor(900, s, r, second, PositionRecord{}, &offset));
    EXPECT_FALSE(GE_OffsetFor(915, s, r, second, PositionRecord{}, &offset));
}

TEST(AlignOffset, ProjectionMirrorsTheReferenceInTheSecond)
{
    const AlignBox s = Box(10, 10, 4, 4);
    const AlignBox r = Box(100, 50, 4, 4);
    FixPoint offset;
    ASSERT_TRUE(GE_OffsetFor(913, s, r, At(120, 60), PositionRecord{}, &offset));
    EXPECT_EQ(s.x + offset.x, 140 * kPx);
    EXPECT_EQ(s.y + offset.y, 70 * kPx);
}

TEST(AlignOffset, HalvesRoundTowardsZero)
{
    // Odd sizes in Fixed units: the halves drop the remainder.
    const AlignBox s{0, 0, 3, 3};
    const AlignBox r{100, 0, 5, 0};
    FixPoint offset;
    ASSERT_TRUE(GE_OffsetFor(903, s, r, {}, PositionRecord{}, &offset));
    EXPECT_EQ(offset.x, (100 - 2) - (0 - 1));
}

TEST(AlignOffset, PositionGoesUpwardsForPositiveOffsetsAndAngles)
{
    const AlignBox s = Box(10, 10, 4, 4);
    const AlignBox r = Box(100, 100, 4, 4);
    PositionRecord cartesian{};
    cartesian[kPosType] = kPositionCartesian;
    cartesian[kPosFirst] = 30;
    cartesian[kPosSecond] = 20;
    FixPoint offset;
    ASSERT_TRUE(GE_OffsetFor(914, s, r, {}, cartesian, &offset));
    EXPECT_EQ(s.x + offset.x, 130 * kPx);
    EXPECT_EQ(s.y + offset.y, 80 * kPx);

    PositionRecord polar{};
    polar[kPosType] = kPositionPolar;
    polar[kPosFirst] = 90;
    polar[kPosSecond] = 50;
    ASSERT_TRUE(GE_OffsetFor(914, s, r, {}, polar, &offset));
    EXPECT_EQ(s.x + offset.x, 100 * kPx);
    EXPECT_EQ(s.y + offset.y, 50 * kPx);

    // Relative: the start angle is added.
    polar[kPosFirst] = 45;
    polar[kPosStartAngle] = 45;
    polar[kPosRelative] = 1;
    ASSERT_TRUE(GE_OffsetFor(914, s, r, {}, polar, &offset));
    EXPECT_EQ(s.x + offset.x, 100 * kPx);
    EXPECT_EQ(s.y + offset.y, 50 * kPx);
}

TEST(AlignBounds, BoxAndExtremesKeepTheEarlierObjectOnTies)
{
    const std::vector<AlignBox> boxes = {Box(10, 10, 4, 4), Box(30, 50, 10, 2), Box(8, 10, 0, 4),
                                         Box(36, 10, 2, 20)};
    const AlignBounds bounds = GE_BoundsOf(boxes);
    EXPECT_EQ(bounds.leftmost, 0u);    // 8 - 0 ties 10 - 2
    EXPECT_EQ(bounds.rightmost, 3u);   // 37 beats 35
    EXPECT_EQ(bounds.topmost, 3u);     // 0
    EXPECT_EQ(bounds.bottommost, 1u);  // 51
    EXPECT_EQ(bounds.box.x, (8 + 37) * kPx / 2);
    EXPECT_EQ(bounds.box.width, 29 * kPx);
    EXPECT_EQ(bounds.box.height, 51 * kPx);
    EXPECT_EQ(GE_BoundsOf({}).box.width, 0);
}

TEST(PositionRecord, StartValuesAreWholePixelsAndDegreesUpwards)
{
    const std::vector<AlignBox> boxes = {Box(130, 60, 10, 10), Box(10, 200, 10, 10)};
    const PositionRecord record = GE_StartRecord(boxes, Box(100, 100, 4, 4), 0);
    EXPECT_EQ(record[kPosMode], 0);
    EXPECT_EQ(record[kPosStartX], 30);
    EXPECT_EQ(record[kPosStartY], 40);
    EXPECT_EQ(record[kPosStartAngle], 53);
    EXPECT_EQ(record[kPosStartDistance], 50);
    EXPECT_EQ(record[kPosShowX], 0);

    // Mode 1 measures from the box around the list.
    const PositionRecord block = GE_StartRecord(boxes, Box(100, 100, 4, 4), 1);
    EXPECT_EQ(block[kPosStartX], (5 + 135) / 2 - 100);
}

TEST(PositionRecord, EachObjectByItselfShowsOnlyWhatTheObjectsShare)
{
    const AlignBox reference = Box(0, 0, 2, 2);
    // The same direction at different distances.
    const std::vector<AlignBox> line = {Box(10, -10, 2, 2), Box(20, -20, 2, 2)};
    PositionRecord record = GE_StartRecord(line, reference, 2);
    EXPECT_EQ(record[kPosShowX], 1);
    EXPECT_EQ(record[kPosShowY], 1);
    EXPECT_EQ(record[kPosShowAngle], 1);
    EXPECT_EQ(record[kPosShowDistance], 0);
    // The same distance in different directions.
    const std::vector<AlignBox> circle = {Box(30, 0, 2, 2), Box(0, 30, 2, 2)};
    record = GE_StartRecord(circle, reference, 2);
    EXPECT_EQ(record[kPosShowAngle], 0);
    EXPECT_EQ(record[kPosShowDistance], 1);
}

TEST(PositionRecord, PlacementAppliesOnlyTheGivenValues)
{
    const std::vector<FixPoint> objects = {At(10, 10), At(-40, 70)};
    const FixPoint reference = At(100, 100);
    PositionRecord record{};
    record[kPosType] = kPositionCartesian;
    record[kPosFirst] = 20;
    record[kPosSecond] = 30;
    record[kPosApplyX] = 1;
    std::vector<FixPoint> placed = GE_PlacedByRecord(objects, reference, record);
    EXPECT_EQ(placed[0], At(120, 10));
    EXPECT_EQ(placed[1], At(120, 70));
    record[kPosApplyY] = 1;
    placed = GE_PlacedByRecord(objects, reference, record);
    EXPECT_EQ(placed[0], At(120, 70));
    EXPECT_EQ(placed[1], At(120, 70));

    // Polar: only the distance keeps each object's direction.
    PositionRecord polar{};
    polar[kPosType] = kPositionPolar;
    polar[kPosSecond] = 10;
    polar[kPosApplyDistance] = 1;
    placed = GE_PlacedByRecord(std::vector<FixPoint>{At(130, 100), At(100, 60)}, reference, polar);
    EXPECT_EQ(placed[0], At(110, 100));
    EXPECT_EQ(placed[1], At(100, 90));
    // An absolute angle of 90 puts an object straight above.
    polar[kPosApplyDistance] = 0;
    polar[kPosApplyAngle] = 1;
    polar[kPosFirst] = 90;
    placed = GE_PlacedByRecord(std::vector<FixPoint>{At(130, 100)}, reference, polar);
    EXPECT_NEAR(placed[0].x, 100 * kPx, 1);
    EXPECT_EQ(placed[0].y, 70 * kPx);
}

TEST(Spread, FitsComparesTheSumOfSizesWithTheBox)
{
    const std::vector<AlignBox> apart = {Box(0, 0, 10, 10), Box(100, 0, 10, 10), Box(50, 0, 10, 10)};
    EXPECT_TRUE(GE_ObjectsFit(apart, true));
    EXPECT_FALSE(GE_ObjectsFit(apart, false));
    const std::vector<AlignBox> crowded = {Box(0, 0, 40, 10), Box(20, 0, 40, 10)};
    EXPECT_FALSE(GE_ObjectsFit(crowded, true));
}

TEST(Spread, ByCentresKeepsTheEndsAndStepsTheOthersInOrder)
{
    // Ends are objects 1 (x 0) and 3 (x 90); the others in order of x.
    const std::vector<FixPoint> objects = {At(70, 5), At(0, 1), At(20, 7), At(90, 3)};
    const std::vector<FixPoint> placed = GE_SpreadCentres(objects, 1, 3, true);
    EXPECT_EQ(placed[1], At(0, 1));
    EXPECT_EQ(placed[3], At(90, 3));
    EXPECT_EQ(placed[2], At(30, 7));
    EXPECT_EQ(placed[0], At(60, 5));
    // Vertically from the top-most.
    const std::vector<FixPoint> column = {At(1, 0), At(2, 100), At(3, 10)};
    const std::vector<FixPoint> spread = GE_SpreadCentres(column, 0, 1, false);
    EXPECT_EQ(spread[2], At(3, 50));
    // One object, or ends out of range, change nothing.
    EXPECT_EQ(GE_SpreadCentres(std::vector<FixPoint>{At(5, 5)}, 0, 0, true)[0], At(5, 5));
    EXPECT_EQ(GE_SpreadCentres(objects, 9, 3, true), objects);
}

double AngleOnScreen(FixPoint centre, FixPoint p)
{
    return std::atan2(-(static_cast<double>(p.y) - centre.y), static_cast<double>(p.x) - centre.x) * 180.0 / 3.141592653589793;
}

TEST(Spread, CircleOfFourWithTheOuterPointUnselected)
{
    const FixPoint centre = At(200, 200);
    const FixPoint through = At(300, 200);
    const std::vector<FixPoint> positions = GE_CirclePositions(centre, through, 4, false, 2);
    ASSERT_EQ(positions.size(), 4u);
    for (size_t i = 0; i < positions.size(); ++i) {
        const double dx = (static_cast<double>(positions[i].x) - centre.x) / kPx;
        const double dy = (static_cast<double>(positions[i].y) - centre.y) / kPx;
        EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), 100.0, 0.01) << i;
        // 72 degrees apart, the first 72 degrees counter-clockwise from P.
        double expected = 72.0 * static_cast<double>(i + 1);
        if (expected > 180.0)
            expected -= 360.0;
        EXPECT_NEAR(AngleOnScreen(centre, positions[i]), expected, 0.01) << i;
    }
}

TEST(Spread, CircleThroughASelectedPointStartsThereAndTheBlockGoesOpposite)
{
    const FixPoint centre = At(0, 0);
    const FixPoint through = At(0, -50);
    const std::vector<FixPoint> each = GE_CirclePositions(centre, through, 2, true, 2);
    ASSERT_EQ(each.size(), 2u);
    EXPECT_EQ(each[0], through);
    EXPECT_NEAR(each[1].y, 50 * kPx, 2);
    // The block (modes 0 and 1): one position, on P when P is selected, else opposite.
    EXPECT_EQ(GE_CirclePositions(centre, through, 3, true, 0), std::vector<FixPoint>{through});
    const std::vector<FixPoint> block = GE_CirclePositions(centre, through, 3, false, 1);
    ASSERT_EQ(block.size(), 1u);
    EXPECT_NEAR(block[0].y, 50 * kPx, 2);
    EXPECT_TRUE(GE_CirclePositions(centre, through, 0, false, 2).empty());
}

}  // namespace
