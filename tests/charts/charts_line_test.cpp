// Line charts built on a real page from their settings, and points plotted
// into them.
#include "ChartFixture.h"

#include "atolq/Chart/LineChart.h"

#include <cstring>

// The editor's code region maker is not part of the chart library; the test
// records where it was asked for.
static int gCodeRegions = 0;
static FixPoint gCodeRegionAt{};
void LineChartMakeCodeRegion(SELineChart&, Fixed x, Fixed y)
{
    ++gCodeRegions;
    gCodeRegionAt = {x, y};
}

namespace {

struct Axis {
    const char *min, *max, *origin, *distance;
    int32_t number;
};

LineChartAttributes settings(Axis x, Axis y, int32_t lines = 2)
{
    LineChartAttributes a{};
    a.lineCount = lines;
    a.boxSize = 4;
    a.xGridNumber = x.number;
    a.yGridNumber = y.number;
    a.integerValues = 0;
    a.moveAxis = 1;
    std::strcpy(a.name, "chart");
    std::strcpy(a.intervalText, "0");
    std::strcpy(a.xMin, x.min);
    std::strcpy(a.xMax, x.max);
    std::strcpy(a.xOrigin, x.origin);
    std::strcpy(a.xDistance, x.distance);
    std::strcpy(a.yMin, y.min);
    std::strcpy(a.yMax, y.max);
    std::strcpy(a.yOrigin, y.origin);
    std::strcpy(a.yDistance, y.distance);
    return a;
}

} // namespace

class LineChartTest : public ChartTest {
protected:
    void SetUp() override
    {
        ChartTest::SetUp();
        gCodeRegions = 0;
    }
    // Frame at (300, 300), 400 by 300 units: without legend and title the plot
    // area is centred there, 268 by 210 units.
    SELineChart& build(const LineChartAttributes& a)
    {
        SELineChart* chart = lineChart();
        EXPECT_NE(chart, nullptr);
        LineChartApply(*chart, a);
        return *chart;
    }
    static std::string str(const char* t) { return t != nullptr ? t : ""; }
};

TEST_F(LineChartTest, GridCountsOriginAndShownRangeFollowTheSettings)
{
    struct Case {
        const char* what;
        Axis x;
        int32_t below, above;
        const char* shownMin;
        const char* shownMax;
        Fixed originX; // relative to the plot centre
    };
    const Fixed w = static_cast<Fixed>(static_cast<int64_t>(Un(400)) * 67 / 100);
    const Case cases[] = {
        {"number 1 over a range spanning zero becomes 2", {"-5", "5", "0", "0", 1}, 1, 1, "-5.00000000000",
         "5.00000000000", 0},
        {"origin at the minimum has nothing below", {"0", "10", "0", "0", 5}, 0, 5, "0.00000000000",
         "10.0000000000", -w / 2},
        {"distance rounds outward", {"-3", "7", "0", "2", 0}, 2, 4, "-4.00000000000", "8.00000000000",
         ChartRound((2.0 * w / 6 - (w - 2.0 * w / 6)) / 2)},
        {"empty range gets one interval above", {"0", "0", "0", "1", 0}, 0, 1, "0.00000000000",
         "1.00000000000", -w / 2},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        SELineChart& chart = build(settings(k.x, {"0", "10", "0", "0", 5}));
        LineChartFields c(chart);
        EXPECT_EQ(c.xBelow, k.below);
        EXPECT_EQ(c.xAbove, k.above);
        EXPECT_EQ(str(c.xMinText), k.shownMin);
        EXPECT_EQ(str(c.xMaxText), k.shownMax);
        EXPECT_EQ(position(c.originMarker).x - Un(300), k.originX);
        EXPECT_EQ(c.xLabels.count, static_cast<uint32_t>(k.below + k.above + 1));
        EXPECT_EQ(c.xTicks.count, static_cast<uint32_t>(k.below + k.above));
        EXPECT_EQ(kind(c.originMarker), 5278u);
        EXPECT_EQ(kind(c.xAxis), 4958u);
    }
}

TEST_F(LineChartTest, PlotAreaLabelsAndGridStandWhereTheLayoutPutsThem)
{
    LineChartAttributes a = settings({"-5", "5", "0", "0", 2}, {"0", "10", "0", "0", 5});
    a.title = 1;
    a.legend = 1;
    a.axisNames = 1;
    a.xTicksOnly = 1;
    SELineChart& chart = build(a);
    LineChartFields c(chart);
    const Fixed W = Un(400), H = Un(300);
    const Fixed cx = Un(300) - ChartRound(W * 9.0 / 80);
    const Fixed cy = Un(300) + H / 50;
    const Fixed w = static_cast<Fixed>(static_cast<int64_t>(W) * 52 / 100);
    const Fixed h = static_cast<Fixed>(static_cast<int64_t>(H) * 70 / 100);
    // y origin at the bottom: 0 is the minimum.
    const Fixed oy = cy + h / 2;
    EXPECT_EQ(position(c.originMarker), (FixPoint{cx, oy}));
    EXPECT_EQ(position(c.xAxis), (FixPoint{cx, oy}));
    EXPECT_EQ(kind(c.titleLabel), 5214u);
    EXPECT_EQ(kind(c.legend.box), 4766u);
    EXPECT_EQ(c.legend.count, 2);
    // Ticks only on x: labels 10 units under the axis, origin label 10 left.
    ASSERT_EQ(c.xLabels.count, 3u);
    EXPECT_EQ(position(c.xLabels.words[1]).y, position(c.xLabels.words[0]).y);
    EXPECT_LT(position(c.xLabels.words[0]).x, position(c.xLabels.words[1]).x);
    EXPECT_LT(position(c.xLabels.words[1]).x, position(c.xLabels.words[2]).x);
    EXPECT_EQ(text(c.xLabels.words[0]), "-5");
    EXPECT_EQ(text(c.xLabels.words[2]), "5");
    for (uint32_t i = 0; i < c.xTicks.count; ++i) {
        Fixed tw = 0, th = 0;
        QXRdAttr_GetSize(c.xTicks.words[i], &tw, &th);
        EXPECT_EQ(kind(c.xTicks.words[i]), 4382u);
    }
    // Grid lines on y span the plot width; labels left of the plot area.
    ASSERT_EQ(c.yTicks.count, 5u);
    Fixed gw = 0, gh = 0;
    QXRdAttr_GetSize(c.yTicks.words[0], &gw, &gh);
    EXPECT_EQ(gw, w);
    EXPECT_EQ(position(c.yTicks.words[0]).y, oy - h / 5);
    EXPECT_EQ(text(c.yLabels.words[5]), "10");
    EXPECT_LT(position(c.yLabels.words[0]).x, cx - w / 2);
    EXPECT_EQ(text(c.xNameLabel), "x-axis");
    EXPECT_EQ(kind(c.yNameLabel), 5022u);
    EXPECT_EQ(gCodeRegions, 1);
    EXPECT_EQ(gCodeRegionAt, (FixPoint{Un(300), Un(300) + H / 2}));
    EXPECT_EQ(c.seriesCapacity, 2u);
    EXPECT_EQ(c.xGridNumber, 2);
}

TEST_F(LineChartTest, PointsExtendTheirLinesAtTheMappedPlaces)
{
    SELineChart& chart = build(settings({"0", "10", "0", "0", 5}, {"0", "10", "0", "0", 5}, 11));
    LineChartFields c(chart);
    const FixPoint o = position(c.originMarker);
    const Fixed w = static_cast<Fixed>(static_cast<int64_t>(Un(400)) * 67 / 100);
    const Fixed h = static_cast<Fixed>(static_cast<int64_t>(Un(300)) * 70 / 100);
    LineChartAddPoint(1, 5, 5, 1, chart);
    EXPECT_NE(c.flags & kChartFlagStarted, 0u);
    LineChartAddPoint(1, 10, 0, 1, chart);
    LineChartAddPoint(11, 0, 10, 1, chart);
    LineSeriesFields first(c.series[0]);
    EXPECT_EQ(position(first.firstPoint), (FixPoint{o.x + w / 2, o.y - h / 2}));
    EXPECT_EQ(position(first.lastPoint), (FixPoint{o.x + w, o.y}));
    EXPECT_EQ(connectors(first.lastPoint).size(), 1u);
    EXPECT_EQ(kind(first.firstPoint), 5086u);
    // Line 11 wraps round to the first pattern.
    EXPECT_EQ(pattern(c.series[10].objectA), 1u);
    const LinePointEntry batch[] = {{2, 0, 0, 0, 1}, {2, 1e300, -1e300, 1, 1}, {3, 1, 1, 1, 0}};
    LineChartAddPoints(batch, chart, 3);
    EXPECT_NE(c.series[1].objectB, c.series[1].objectA);
    EXPECT_EQ(c.series[2].objectA, 0u); // invalid entries are skipped
    EXPECT_EQ(position(c.series[1].objectA), o);
}

TEST_F(LineChartTest, TitleTextMovesUnderTheFrameTop)
{
    LineChartAttributes a = settings({"0", "1", "0", "0", 1}, {"0", "1", "0", "0", 1});
    a.title = 1;
    SELineChart& chart = build(a);
    LineChartSetTitle(chart, "Load");
    LineChartFields c(chart);
    EXPECT_EQ(text(c.titleLabel), "Load");
    EXPECT_LT(position(c.titleLabel).y, Un(300) - Un(150) + Un(30));
}
