// Line charts built on a real page from their settings, and points plotted
// into them.
#include "ChartFixture.h"

#include "atolq/Chart/ChartAction.h"
#include "atolq/Chart/LineChart.h"

#include <cstring>
#include <limits>

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
    EXPECT_EQ(ChartFindRegion(c.frame, 69662), 0u); // none in the simulator
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
    const LinePointEntry batch[] = {{2, 0, 0, 0, 1}, {2, 10, 10, 1, 1}, {3, 1, 1, 1, 0}};
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

// ---- the axes following the values ----

class LineFitTest : public LineChartTest {
protected:
    // x from 0 to 10 in 5 intervals above the origin 0, y likewise.
    SELineChart& chart(bool rescale, const char* xDistance = "0", int32_t xNumber = 5)
    {
        LineChartAttributes a = settings({"0", "10", "0", xDistance, xNumber}, {"0", "10", "0", "0", 5}, 2);
        a.rescaleAxis = rescale ? 1 : 0;
        a.moveAxis = rescale ? 0 : 1;
        return build(a);
    }
    static double shown(const char* text) { return ChartTextReal(text); }
};

TEST_F(LineFitTest, MoveAxisShiftsTheRangeByANiceStepOrStopsAtTheValue)
{
    struct Case {
        const char* what;
        double value;
        double min, max, origin;
    };
    const Case cases[] = {
        {"12 moves by the nice step of 15 - 10", 12, 5, 15, 5},
        {"-100 moves only as far as the value", -100, -100, -90, -100},
        {"a value inside the range moves nothing", 7, 0, 10, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        SELineChart& ch = chart(false);
        LineChartFields c(ch);
        LineChartAddPoint(1, k.value, 1, 1, ch);
        EXPECT_DOUBLE_EQ(shown(c.xMinText), k.min);
        EXPECT_DOUBLE_EQ(shown(c.xMaxText), k.max);
        EXPECT_DOUBLE_EQ(shown(c.xOriginText), k.origin);
        // The labels read the new range; the axis objects stay put.
        EXPECT_EQ(text(c.xLabels.words[0]), ChartFormatAxisValue(k.min, false));
        EXPECT_EQ(c.xAbove, 5);
    }
}

TEST_F(LineFitTest, MovingTheAxisCarriesThePointsAndDropsThoseThatFallOff)
{
    SELineChart& ch = chart(false);
    LineChartFields c(ch);
    LineChartAddPoint(1, 2, 1, 1, ch);  // falls off when the axis starts at 5
    LineChartAddPoint(2, 8, 1, 1, ch);  // stays, moved left by 5 units of value
    const Fixed before = position(c.series[1].objectA).x;
    LineChartAddPoint(2, 12, 1, 1, ch);
    EXPECT_EQ(c.series[0].objectA, 0u);
    ASSERT_NE(c.series[1].objectA, 0u);
    Fixed w = 0, h = 0;
    QXRdAttr_GetSize(c.xAxis, &w, &h);
    EXPECT_NEAR(position(c.series[1].objectA).x, before - w / 2, 2);
    // The new point lands at 12 on the moved axis: 7 tenths along.
    const FixPoint o = position(c.originMarker);
    EXPECT_NEAR(position(c.series[1].objectB).x, o.x + ChartRound(w * 0.7), 2);
}

TEST_F(LineFitTest, RescaleWidensTheAxisAndCompressesTheOldPoints)
{
    SELineChart& ch = chart(true, "2", 0);
    LineChartFields c(ch);
    LineChartAddPoint(1, 10, 1, 1, ch); // at the right end of 0 .. 10
    const FixPoint o = position(c.originMarker);
    LineChartAddPoint(1, 20, 1, 1, ch);
    EXPECT_DOUBLE_EQ(shown(c.xMinText), 0);
    EXPECT_DOUBLE_EQ(shown(c.xMaxText), 26); // 13 intervals of 2
    EXPECT_EQ(c.xAbove, 13);
    EXPECT_EQ(c.xLabels.count, 14u);
    EXPECT_EQ(c.xTicks.count, 13u);
    EXPECT_EQ(text(c.xLabels.words[13]), "26");
    Fixed w = 0, h = 0;
    QXRdAttr_GetSize(c.xAxis, &w, &h);
    // The old point at 10 now stands 10/26 along the axis.
    EXPECT_NEAR(position(c.series[0].objectA).x - o.x, ChartRound(w * 10.0 / 26), ChartUnits(1));
    EXPECT_NEAR(position(c.series[0].objectB).x - o.x, ChartRound(w * 20.0 / 26), ChartUnits(1));
}

TEST_F(LineFitTest, ABatchIsFittedOnceToItsWholeNumberExtents)
{
    LineChartAttributes a = settings({"0", "10.5", "0", "0.5", 0}, {"0", "10", "0", "0", 5}, 2);
    a.rescaleAxis = 1;
    SELineChart& ch = build(a);
    LineChartFields c(ch);
    const LinePointEntry batch[] = {{1, 1, 1, 1, 1}, {1, 10.7, 2, 1, 1}};
    LineChartAddPoints(batch, ch, 2);
    EXPECT_DOUBLE_EQ(shown(c.xMaxText), 10.5); // extent 10 fits
    Fixed w = 0, h = 0;
    QXRdAttr_GetSize(c.xAxis, &w, &h);
    EXPECT_GT(position(c.series[0].objectB).x, position(c.originMarker).x + w); // beyond the end
}

TEST_F(LineFitTest, ReinitRestoresTheConfiguredAxesOrMarksTheOrigin)
{
    {
        SCOPED_TRACE("without Keep Contents");
        SELineChart& ch = chart(true, "2", 0);
        LineChartFields c(ch);
        LineChartAddPoint(1, 20, 1, 1, ch);
        LineChartReinit(ch);
        EXPECT_DOUBLE_EQ(shown(c.xMaxText), 10);
        EXPECT_EQ(c.xAbove, 5);
        EXPECT_EQ(c.xLabels.count, 6u);
        EXPECT_EQ(c.series[0].objectA, 0u);
        EXPECT_EQ(regions(c.xAxis).size(), 5u + 6u);
    }
    {
        SCOPED_TRACE("Keep Contents with Start at Origin");
        LineChartAttributes a = settings({"0", "10", "0", "0", 5}, {"0", "10", "0", "0", 5}, 2);
        a.keepContents = 1;
        a.initAtOrigin = 1;
        SELineChart& ch = build(a);
        LineChartFields c(ch);
        LineChartAddPoint(1, 5, 5, 1, ch);
        const ObjectHandle last = c.series[0].objectB;
        LineChartReinit(ch);
        EXPECT_EQ(position(c.series[0].objectB), position(c.originMarker));
        EXPECT_EQ(position(c.series[1].objectA), position(c.originMarker));
        EXPECT_TRUE(connectors(c.series[0].objectB).empty()); // not joined
        EXPECT_NE(c.series[0].objectB, last);
    }
}

// ---- settings of a built chart ----

TEST_F(LineChartTest, UpdateSwitchesLegendTitleAndAxisNamesAndKeepsThePlotWidth)
{
    LineChartAttributes a = settings({"0", "10", "0", "0", 5}, {"0", "10", "0", "0", 5}, 2);
    SELineChart& chart = build(a);
    LineChartFields c(chart);
    Fixed w0 = 0, h = 0;
    QXRdAttr_GetSize(c.xAxis, &w0, &h);
    const Fixed by0 = position(c.yAxis).y;
    a.existing = 1;
    a.legend = 1;
    a.title = 1;
    a.axisNames = 1;
    LineChartApply(chart, a);
    Fixed w1 = 0;
    QXRdAttr_GetSize(c.xAxis, &w1, &h);
    // The kernel scales the axis line's points: equal up to a rounding.
    EXPECT_NEAR(w1, static_cast<Fixed>(static_cast<int64_t>(Un(400)) * 52 / 100), Un(1) / 100);
    EXPECT_NE(c.legend.box, 0u);
    EXPECT_EQ(c.legend.count, 2);
    EXPECT_NE(c.titleLabel, 0u);
    EXPECT_EQ(position(c.yAxis).y, by0 + Un(300) / 50);
    EXPECT_EQ(text(c.yNameLabel), "y-axis");
    a.legend = 0;
    a.title = 0;
    a.axisNames = 0;
    LineChartApply(chart, a);
    Fixed w2 = 0;
    QXRdAttr_GetSize(c.xAxis, &w2, &h);
    EXPECT_NEAR(w2, w0, Un(1) / 100);
    EXPECT_EQ(c.legend.box, 0u);
    EXPECT_EQ(c.titleLabel, 0u);
    EXPECT_EQ(c.xNameLabel, 0u);
    EXPECT_EQ(position(c.yAxis).y, by0);
}

TEST_F(LineChartTest, UpdateOfAxesAndOptions)
{
    LineChartAttributes a = settings({"0", "10", "0", "0", 5}, {"0", "10", "0", "0", 5}, 2);
    SELineChart& chart = build(a);
    LineChartFields c(chart);
    c.flags |= kChartFlagCodeCurrent;
    LineChartAddPoint(1, 5, 5, 1, chart);
    a.existing = 1;
    std::strcpy(a.xMax, "20");
    a.xGridNumber = 4;
    a.stepInterval = 2;
    LineChartApply(chart, a);
    EXPECT_DOUBLE_EQ(ChartTextReal(c.xMaxText), 20);
    EXPECT_EQ(str(c.xMaxSetting), "20");
    EXPECT_EQ(c.xAbove, 4);
    EXPECT_EQ(text(c.xLabels.words[4]), "20");
    EXPECT_EQ(c.series[0].objectA, 0u); // the lines were removed
    EXPECT_EQ(c.stepInterval, 2);
    EXPECT_EQ(c.flags & kChartFlagCodeCurrent, 0u);
}

// ---- update actions ----

TEST(ChartActionText, LineAndBarActionsHaveTheShapeTheEvaluatorReads)
{
    struct Case {
        const char* what;
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"two integer lines", LineChartActionText("Load", 2, true),
         "action\nLC_upd_chart_int{\n\t\tlc = \"Load\",\n\t\tvalues = [\n\t\t\t(1, vx, vy, true, true),\n\t\t\t"
         "(2, vx, vy, true, true)]};"},
        {"one real line", LineChartActionText("c", 1, false),
         "action\nLC_upd_chart_real{\n\t\tlc = \"c\",\n\t\tvalues = [\n\t\t\t(1, vx, vy, true, true)]};"},
        {"two bars of three parts", BarChartStandardActionText("B", 2, 3, true),
         "action\n\tSC_upd_chart_int{\n\t\tsc = \"B\",\n\t\tvalues = [\n\t\t\t(1, [v1, v2, v3], true),\n\t\t\t"
         "(2, [v1, v2, v3], true)]};"},
        {"one bar of one part", BarChartStandardActionText("B", 1, 1, false),
         "action\n\tSC_upd_chart_real{\n\t\tsc = \"B\",\n\t\tvalues = [\n\t\t\t(1, [v1], true)]};"},
        {"history of two parts", BarChartHistoryActionText("H", 2, true),
         "action\n\tHC_upd_chart_int{\n\t\thc = \"H\",\n\t\tvalues = [\n\t\t\t([v1, v2], true)], \n\t\t"
         "tags = [\"Tag\"]};"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        EXPECT_EQ(k.text, k.expected);
    }
    const std::string ten = LineChartActionText("t", 10, true);
    EXPECT_NE(ten.find("(9, vx, vy, true, true),\n\t\t\t(10, vx, vy, true, true)]};"), std::string::npos);
}

TEST_F(LineChartTest, AValueFarOffTheAxisStillGetsABoxAtTheEdgeOfTheCoordinates)
{
    SELineChart& chart = build(settings({"0", "10", "0", "0", 5}, {"0", "10", "0", "0", 5}, 1));
    LineChartFields c(chart);
    const Fixed far = LineChartMapX(1e300, chart);
    EXPECT_EQ(far, std::numeric_limits<Fixed>::max());
    LineChartPlot(chart, 1, far, position(c.originMarker).y, 0, nullptr);
    ASSERT_NE(c.series[0].objectA, 0u);
    EXPECT_GT(position(c.series[0].objectA).x, Un(30000));
}
