// Bar charts built on a real page from their settings, and the values, axis
// changes, history rows and clears that the model sends them.
#include "ChartFixture.h"

#include "atolq/Chart/BarChart.h"
#include "atolq/Chart/BarChartParts.h"

#include <cstring>

namespace {

BarChartAttributes barSettings(int32_t bars, int32_t parts, const char* min, const char* max, int32_t number = 5)
{
    BarChartAttributes a{};
    a.barCount = bars;
    a.partCount = parts;
    a.barHeight = 10;
    a.gridNumber = number;
    a.integerValues = 1;
    a.keepContents = 0;
    std::strcpy(a.name, "bars");
    std::strcpy(a.interval, "0");
    std::strcpy(a.min, min);
    std::strcpy(a.max, max);
    std::strcpy(a.distance, "0");
    return a;
}

} // namespace

class BarChartTest : public ChartTest {
protected:
    // Frame at (300, 300), 400 by 300 units.
    SEBarChart& build(const BarChartAttributes& a)
    {
        const ObjectHandle frame = QXStr_CreateNode(page_, Un(300), Un(300), Un(400), Un(300), 1);
        SEBarChart* chart = SECreateBarChart(sePage_, frame);
        EXPECT_NE(chart, nullptr);
        BarChartApply(*chart, a);
        return *chart;
    }
    static std::string str(const char* t) { return t != nullptr ? t : ""; }
    static double shown(const char* t) { return ChartTextReal(t); }
    static bool hidden(ObjectHandle o)
    {
        uint32_t value = 0;
        QXRdAttr_GetFlag(o, kBarHiddenFlag, &value);
        return value != 0;
    }
    static Fixed width(ObjectHandle o)
    {
        Fixed w = 0, h = 0;
        QXRdAttr_GetSize(o, &w, &h);
        return w;
    }
    static Fixed left(ObjectHandle o) { return position(o).x - width(o) / 2; }
    static Fixed right(ObjectHandle o) { return position(o).x + width(o) / 2; }
    static std::vector<double> values(SEBarChart& chart, int32_t bar)
    {
        BarChartFields c(chart);
        return BarChartValues(c, bar);
    }
};

TEST_F(BarChartTest, LayoutPlacesTheBarAreaAndItsPartsByTheShownLabels)
{
    struct Case {
        const char* what;
        int32_t names, legend, pos, neg;
        Fixed centreX; // relative to the frame's centre
        int32_t percent;
    };
    const Fixed w = Un(400);
    const Case cases[] = {
        {"nothing beside the bars", 0, 0, 0, 0, 0, 67},
        {"positive totals only", 0, 0, 1, 0, -ChartRound(w * 2.0 / 100), 67},
        {"legend with both totals", 0, 1, 1, 1, -ChartRound(w * 9.0 / 80), 52},
        {"names and negative totals", 1, 0, 0, 1, ChartRound(w * 7.0 / 100), 67},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        BarChartAttributes a = barSettings(3, 2, "0", "100");
        a.barNames = k.names;
        a.legend = k.legend;
        a.posValues = k.pos;
        a.negValues = k.neg;
        SEBarChart& chart = build(a);
        BarChartFields c(chart);
        EXPECT_EQ(position(c.barArea).x - Un(300), k.centreX);
        EXPECT_EQ(width(c.barArea), static_cast<Fixed>(static_cast<int64_t>(w) * k.percent / 100));
        EXPECT_EQ(kind(c.barArea), 5278u);
        EXPECT_EQ(kind(c.zeroAxis), 4254u);
        EXPECT_EQ(c.barNameLabels.count, k.names != 0 ? 3u : 0u);
        EXPECT_EQ(c.legend.count, k.legend != 0 ? 2 : 0);
        // Min 0: the zero axis stands at the bar area's left edge.
        EXPECT_NEAR(position(c.zeroAxis).x, left(c.barArea), Un(1));
        EXPECT_EQ(c.posSegments.outerCount, 3u);
        EXPECT_EQ(c.posSegments.innerCount, 2u);
        EXPECT_EQ(kind(c.posSegments.labels[0].object), 4318u);
        EXPECT_EQ(str(c.maxText), "100.000000000");
        EXPECT_EQ(c.nextRow, 1);
        EXPECT_EQ(c.retain, -1);
    }
}

TEST_F(BarChartTest, NamesStandFurtherLeftWithNegativeTotalsAndZeroRangeGetsOneInterval)
{
    BarChartAttributes a = barSettings(2, 1, "0", "0", 0);
    a.barNames = 1;
    SEBarChart& without = build(a);
    a.negValues = 1;
    SEBarChart& with = build(a);
    BarChartFields c1(without), c2(with);
    const Fixed d1 = position(c1.barArea).x - position(c1.barNameLabels.words[0]).x;
    const Fixed d2 = position(c2.barArea).x - position(c2.barNameLabels.words[0]).x;
    EXPECT_EQ(d2 - d1, ChartUnits(20));
    EXPECT_EQ(c1.posIntervals, 1);
    EXPECT_EQ(c1.negIntervals, 0);
    EXPECT_EQ(text(c2.negTotalLabels.words[0]), " "); // reset in the simulator
}

TEST_F(BarChartTest, TheAxisGrowsAtOnceAndShrinksOnlyWhenEveryBarIsSmall)
{
    {
        SCOPED_TRACE("10 on 0 .. 5 leaves a quarter free before rounding");
        SEBarChart& chart = build(barSettings(2, 1, "0", "5"));
        BarChartFields c(chart);
        const double ten[] = {10};
        BarChartSetBar(chart, 1, ten);
        // 10 / 0.75 = 13.3 in intervals of 2 (the nice step of 13 / 5).
        EXPECT_DOUBLE_EQ(shown(c.maxText), 14);
        EXPECT_EQ(c.posIntervals, 7);
    }
    {
        SCOPED_TRACE("100 falling to 20 narrows when the other bars are small");
        SEBarChart& chart = build(barSettings(2, 1, "0", "100"));
        BarChartFields c(chart);
        const double hundred[] = {100}, twenty[] = {20}, ten[] = {10};
        BarChartSetBar(chart, 1, hundred);
        BarChartSetBar(chart, 2, ten);
        EXPECT_DOUBLE_EQ(shown(c.maxText), 100);
        BarChartSetBar(chart, 1, twenty);
        EXPECT_DOUBLE_EQ(shown(c.maxText), 20);
    }
    {
        SCOPED_TRACE("one other bar at 30 keeps the axis");
        SEBarChart& chart = build(barSettings(2, 1, "0", "100"));
        BarChartFields c(chart);
        const double hundred[] = {100}, twenty[] = {20}, thirty[] = {30};
        BarChartSetBar(chart, 1, hundred);
        BarChartSetBar(chart, 2, thirty);
        BarChartSetBar(chart, 1, twenty);
        EXPECT_DOUBLE_EQ(shown(c.maxText), 100);
    }
    {
        SCOPED_TRACE("all zeros never check the axis");
        SEBarChart& chart = build(barSettings(1, 2, "0", "100"));
        BarChartFields c(chart);
        const double none[] = {0, 0};
        BarChartSetBar(chart, 1, none);
        EXPECT_DOUBLE_EQ(shown(c.maxText), 100);
    }
}

TEST_F(BarChartTest, PartsStackOutwardFromTheZeroAxisAndZeroPartsTakeNoRoom)
{
    BarChartAttributes a = barSettings(1, 3, "-100", "100", 4);
    a.posValues = 1;
    a.negValues = 1;
    SEBarChart& chart = build(a);
    BarChartFields c(chart);
    const double v[] = {20, 0, -30};
    BarChartSetBar(chart, 1, v);
    const ObjectHandle p1 = BarChartSegment(c, true, 0, 0)->object;
    const ObjectHandle p2 = BarChartSegment(c, true, 0, 1)->object;
    const ObjectHandle n3 = BarChartSegment(c, false, 0, 2)->object;
    const Fixed zeroX = position(c.zeroAxis).x;
    EXPECT_FALSE(hidden(p1));
    EXPECT_TRUE(hidden(p2));
    EXPECT_TRUE(hidden(BarChartSegment(c, false, 0, 0)->object));
    EXPECT_NEAR(left(p1), left(c.zeroAxis), 2);
    EXPECT_NEAR(right(n3), right(c.zeroAxis), 2);
    EXPECT_LT(position(n3).x, zeroX);
    // The only bar fits the inner quarter of the positive side, which
    // narrows to 20; the negative side keeps -100 (4 intervals of 20 ask for
    // one to the right and five to the left).
    EXPECT_DOUBLE_EQ(shown(c.maxText), 20);
    EXPECT_DOUBLE_EQ(shown(c.minText), -100);
    EXPECT_NEAR(width(p1), ChartRound(BarChartUsableWidth(c) * 20.0 / 120), 1);
    EXPECT_EQ(text(c.posTotalLabels.words[0]), "20");
    EXPECT_EQ(text(c.negTotalLabels.words[0]), "-30");
    EXPECT_EQ(str(BarChartSegment(c, true, 0, 0)->text), "20.0000000000");
}

TEST_F(BarChartTest, HistoryRowsFillBarsAndWrapKeepingTheNewest)
{
    {
        SCOPED_TRACE("five bars keeping two");
        BarChartAttributes a = barSettings(5, 1, "0", "100");
        a.history = 1;
        a.retain = 2;
        SEBarChart& chart = build(a);
        BarChartFields c(chart);
        for (int32_t row = 1; row <= 6; ++row) {
            const double v[] = {row * 10.0};
            BarChartAddRow(chart, v);
        }
        EXPECT_EQ(values(chart, 0), std::vector<double>{40});
        EXPECT_EQ(values(chart, 1), std::vector<double>{50});
        EXPECT_EQ(values(chart, 2), std::vector<double>{60});
        EXPECT_EQ(values(chart, 3), std::vector<double>{0});
        EXPECT_EQ(values(chart, 4), std::vector<double>{0});
        EXPECT_EQ(c.nextRow, 4);
    }
    {
        SCOPED_TRACE("a retain above the bars counts as 0");
        BarChartAttributes a = barSettings(2, 1, "0", "100");
        a.history = 1;
        SEBarChart& chart = build(a);
        BarChartFields c(chart);
        c.retain = 7;
        for (int32_t row = 1; row <= 3; ++row) {
            const double v[] = {row * 10.0};
            BarChartAddRow(chart, v);
        }
        EXPECT_EQ(c.retain, 0);
        EXPECT_EQ(values(chart, 0), std::vector<double>{30});
        EXPECT_EQ(values(chart, 1), std::vector<double>{0});
        EXPECT_EQ(c.nextRow, 2);
    }
    {
        SCOPED_TRACE("a retain of every bar never writes past the last bar");
        BarChartAttributes a = barSettings(2, 1, "0", "100");
        a.history = 1;
        a.retain = 2;
        SEBarChart& chart = build(a);
        BarChartFields c(chart);
        for (int32_t row = 1; row <= 3; ++row) {
            const double v[] = {row * 10.0};
            BarChartAddRow(chart, v);
        }
        EXPECT_EQ(values(chart, 0), std::vector<double>{30});
        EXPECT_EQ(c.nextRow, 2);
    }
}

TEST_F(BarChartTest, HistoryRowsTakeTheirTagsAsBarNames)
{
    BarChartAttributes a = barSettings(3, 1, "0", "100");
    a.history = 1;
    a.retain = 1;
    a.barNames = 1;
    SEBarChart& chart = build(a);
    BarChartFields c(chart);
    const HistoryRow rows[] = {{{1}, 1}, {{2}, 0}, {{3}, 1}};
    const std::string tags[] = {"a", "b", "c"};
    BarChartAddRows(chart, rows, tags);
    EXPECT_EQ(values(chart, 0), std::vector<double>{1});
    EXPECT_EQ(values(chart, 1), std::vector<double>{3});
    EXPECT_EQ(text(c.barNameLabels.words[0]), "a");
    EXPECT_EQ(text(c.barNameLabels.words[1]), "b"); // the second used row, second tag
    EXPECT_EQ(c.nextRow, 3);
    const HistoryRow two[] = {{{4}, 1}, {{5}, 1}};
    const std::string more[] = {"d", "e"};
    BarChartAddRows(chart, two, more); // wraps keeping one bar
    EXPECT_EQ(values(chart, 0), std::vector<double>{0}); // bar 3 was empty
    EXPECT_EQ(values(chart, 1), std::vector<double>{4});
    EXPECT_EQ(text(c.barNameLabels.words[1]), "d");
    BarChartAddTag(chart, "t");
    EXPECT_EQ(c.nextRow, 4);
}

TEST_F(BarChartTest, ClearRestoresTheConfiguredRangeUnlessContentsAreKept)
{
    for (int32_t keep : {0, 1}) {
        SCOPED_TRACE(keep != 0 ? "Keep Contents" : "reset on clear");
        BarChartAttributes a = barSettings(2, 1, "0", "10");
        a.keepContents = keep;
        a.history = 1;
        SEBarChart& chart = build(a);
        BarChartFields c(chart);
        const double v[] = {50};
        BarChartAddRow(chart, v);
        ASSERT_GT(shown(c.maxText), 10);
        BarChartClearHistory(chart);
        if (keep != 0) {
            EXPECT_GT(shown(c.maxText), 10);
            EXPECT_EQ(c.nextRow, 2);
            EXPECT_EQ(values(chart, 0), std::vector<double>{50});
        } else {
            EXPECT_DOUBLE_EQ(shown(c.maxText), 10);
            EXPECT_EQ(c.nextRow, 1);
            EXPECT_EQ(values(chart, 0), std::vector<double>{0});
        }
    }
}

TEST_F(BarChartTest, UpdateChangesScaleLayoutAndTitle)
{
    BarChartAttributes a = barSettings(2, 2, "0", "100");
    SEBarChart& chart = build(a);
    BarChartFields c(chart);
    c.flags |= kChartFlagCodeCurrent;
    a.existing = 1;
    std::strcpy(a.max, "200");
    a.title = 1;
    a.upperValues = 1;
    a.posValues = 1;
    BarChartApply(chart, a);
    EXPECT_DOUBLE_EQ(shown(c.maxText), 200);
    EXPECT_NE(c.titleLabel, 0u);
    EXPECT_EQ(c.upperValueLabels.count, static_cast<uint32_t>(c.posIntervals + c.negIntervals + 1));
    EXPECT_EQ(text(c.upperValueLabels.words[c.upperValueLabels.count - 1]), "200");
    EXPECT_EQ(c.posTotalLabels.count, 2u);
    EXPECT_NE(c.flags & kChartFlagCodeCurrent, 0u); // counts unchanged: code stays
    a.barHeight = 12;
    BarChartApply(chart, a);
    Fixed sw = 0, sh = 0;
    QXRdAttr_GetSize(BarChartSegment(c, true, 1, 1)->object, &sw, &sh);
    EXPECT_EQ(sh, ChartUnits(12));
}
