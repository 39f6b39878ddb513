// Chart objects on the real kernel: value labels, titles, legends, lookup of
// charts by name, and the point chains of line chart series.
#include "ChartFixture.h"

#include "atolq/Utils/LMList.h"

#include <algorithm>

namespace {

const int32_t kPatterns[10] = {1, 20, 2, 6, 28, 4, 21, 7, 8, 16};

bool contains(const std::vector<ObjectHandle>& v, ObjectHandle o)
{
    return std::find(v.begin(), v.end(), o) != v.end();
}

} // namespace

TEST_F(ChartTest, ValueLabelsStandInARowOrColumnAsRegionsOfTheParent)
{
    const ObjectHandle axis = Node(Un(200), Un(200));
    SEWordArray row{}, column{};
    ChartCreateValueLabels(page_, Un(100), Un(50), 3, Un(40), axis, true, row, 5150);
    ChartCreateValueLabels(page_, Un(10), Un(300), 2, -Un(25), axis, false, column, 4446);
    ASSERT_EQ(row.count, 3u);
    ASSERT_EQ(column.count, 2u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(position(row.words[i]), (FixPoint{Un(100 + 40 * static_cast<int32_t>(i)), Un(50)})) << i;
        EXPECT_EQ(kind(row.words[i]), 5150u);
        EXPECT_EQ(text(row.words[i]), " ");
    }
    EXPECT_EQ(position(column.words[1]), (FixPoint{Un(10), Un(275)}));
    EXPECT_EQ(kind(column.words[0]), 4446u);
    const auto owned = regions(axis);
    EXPECT_EQ(owned.size(), 5u);
    ChartSetTexts(std::span(row.words, row.count), ChartMakeIntLabels(-5, 5, 3));
    EXPECT_EQ(text(row.words[2]), "5");
    ChartDeleteObjects(row);
    EXPECT_EQ(row.words, nullptr);
    EXPECT_EQ(regions(axis).size(), 2u);
    ChartDeleteObjects(column);
}

TEST_F(ChartTest, TitleStandsAboveTheCentreShiftedByItsLength)
{
    const ObjectHandle title = ChartCreateTitle(page_, Un(300), Un(300), Un(200), "Title");
    ASSERT_NE(title, 0u);
    EXPECT_EQ(text(title), "Title");
    int32_t font = 0, size = 0, style = 0, justification = 0;
    uint32_t extraA = 0, extraB = 0;
    QXText_GetTextAttr(title, &font, &size, &style, &justification, &extraA, &extraB);
    EXPECT_EQ(size, 20);
    EXPECT_EQ(style, 2);
    EXPECT_EQ(justification, 2);
}

TEST_F(ChartTest, LegendRowsCarryPatternsAndNumberedLabels)
{
    SESeries block{};
    ChartLegend legend(block);
    const Fixed e = Un(10);
    ChartCreateLegend(page_, Un(400), Un(300), Un(80), e, 11, kPatterns, legend, "Line");
    ASSERT_NE(legend.box, 0u);
    ASSERT_EQ(legend.count, 11);
    ASSERT_EQ(legend.itemBoxes.count, 11u);
    Fixed w = 0, h = 0;
    QXRdAttr_GetSize(legend.box, &w, &h);
    EXPECT_EQ(h, e / 2 + 3 * e * 11 / 2);
    const Fixed y0 = Un(300) - h / 2 + 2 * (e / 2);
    for (int32_t i = 1; i <= 11; ++i) {
        const ObjectHandle box = legend.itemBoxes.words[i - 1];
        const ObjectHandle label = legend.itemLabels.words[i - 1];
        EXPECT_EQ(position(box), (FixPoint{Un(400) - Un(20), y0 + (i - 1) * (e / 2 + e)})) << i;
        EXPECT_EQ(kind(box), 4830u);
        EXPECT_EQ(kind(label), 4894u);
        EXPECT_TRUE(contains(regions(box), label));
        EXPECT_EQ(text(label), "Line" + std::to_string(i));
    }
    // Entry 11 wraps round to the first pattern.
    EXPECT_EQ(pattern(legend.itemBoxes.words[10]), 1u);
    EXPECT_EQ(pattern(legend.itemBoxes.words[1]), 20u);
    QXStr_DeleteObject(legend.box);
    ChartFreeWords(legend.itemBoxes);
    ChartFreeWords(legend.itemLabels);
    ChartClearBox(legend);
    EXPECT_EQ(block.object, 0u);
    EXPECT_EQ(block.count, 0);
}

TEST_F(ChartTest, LegendWithoutEntriesIsAnEmptyBox)
{
    SESeries block{};
    ChartCreateLegend(page_, Un(100), Un(100), Un(40), Un(10), 0, kPatterns, ChartLegend(block), "Part");
    EXPECT_NE(block.object, 0u);
    EXPECT_EQ(block.count, 0);
    EXPECT_EQ(block.a.words, nullptr);
}

TEST_F(ChartTest, ChartsAreFoundByExactNameWithinTheirKind)
{
    SELineChart* first = lineChart();
    SELineChart* second = lineChart();
    SEBarChart* bar = SECreateBarChart(sePage_, Node(Un(10), Un(10)));
    ChartSetRecordText(first->title, "Queue");
    ChartSetRecordText(second->title, "Queue");
    ChartSetRecordText(bar->title, "Queue");
    // The first record of the list wins, whichever end the data base adds to.
    void* head = nullptr;
    LMFirst(SECurrentRoot()->lineCharts, &head, nullptr);
    SELineChart* found = nullptr;
    EXPECT_EQ(FindLineChart("Queue", &found), 1);
    EXPECT_EQ(found, head);
    EXPECT_TRUE(found == first || found == second);
    SEBarChart* foundBar = nullptr;
    EXPECT_EQ(FindBarChart("Queue", &foundBar), 1);
    EXPECT_EQ(foundBar, bar);
    EXPECT_EQ(FindLineChart("queue", &found), 0);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(FindLineChart("Queue2", nullptr), 0);
    EXPECT_EQ(LineChartNameIsFree("Queue"), 0);
    EXPECT_EQ(BarChartNameIsFree("Other"), 1);
}

// A line chart record with two lines, ready for plotting.
class SeriesTest : public ChartTest {
protected:
    void SetUp() override
    {
        ChartTest::SetUp();
        chart_ = lineChart();
        LineChartFields c(*chart_);
        c.lineCount = 2;
        c.boxSize = Un(6);
        c.seriesLineStyle = 1;
        c.seriesLineWidth = 2;
        std::copy(std::begin(kPatterns), std::end(kPatterns), c.patterns);
        c.series = static_cast<LineSeries*>(QXMem_Alloc(2 * sizeof(LineSeries)));
        c.seriesCapacity = 2;
        LineSeriesClearAll(2, c.series);
    }
    LineSeries& line(int i) { return chart_->lines[i]; }
    ObjectHandle frame() { return chart_->kvObject; }
    SELineChart* chart_ = nullptr;
};

TEST_F(SeriesTest, ResetStartsEveryLineAtTheOriginOnlyWhenAsked)
{
    LineChartFields c(*chart_);
    LineSeriesReset(*chart_, Un(200), Un(400), c.series);
    EXPECT_EQ(line(0).objectA, 0u);
    EXPECT_EQ(line(1).objectA, 0u);
    c.startAtOrigin = 1;
    LineSeriesReset(*chart_, Un(200), Un(400), c.series);
    for (int i = 0; i < 2; ++i) {
        const ObjectHandle box = line(i).objectA;
        ASSERT_NE(box, 0u);
        EXPECT_EQ(line(i).objectB, box);
        EXPECT_EQ(position(box), (FixPoint{Un(200), Un(400)}));
        EXPECT_EQ(kind(box), kLinePointRegion);
        EXPECT_TRUE(contains(regions(frame()), box));
        EXPECT_EQ(pattern(box), static_cast<uint32_t>(kPatterns[i]));
        uint32_t flag = 0;
        QXRdAttr_GetFlag(box, kLinePointFlag, &flag);
        EXPECT_NE(flag, 0u);
        Fixed w = 0, h = 0;
        QXRdAttr_GetSize(box, &w, &h);
        EXPECT_EQ(w, Un(6));
    }
}

TEST_F(SeriesTest, HorizontalVerticalJoinsTurnAtACornerUnlessLevel)
{
    LineChartFields c(*chart_);
    c.horizVert = 1;
    LineSeriesBegin(*chart_, Un(100), Un(400), 20, 1, line(0));
    ChartAttach(frame(), line(0).objectA, kLinePointRegion);
    const ObjectHandle first = line(0).objectA;
    // Same height: one straight connector, no corner.
    LineSeriesAddPoint(line(0), Un(120), Un(400), first, 1);
    const ObjectHandle second = line(0).objectB;
    EXPECT_EQ(regions(first).size(), 1u);
    EXPECT_EQ(connectors(second).size(), 1u);
    // A rise: a corner at the new x and the old height, and two connectors.
    LineSeriesAddPoint(line(0), Un(140), Un(350), first, 1);
    const ObjectHandle third = line(0).objectB;
    const auto hanging = regions(first);
    ASSERT_EQ(hanging.size(), 3u);
    const ObjectHandle corner = hanging[2] == third ? hanging[1] : hanging[2];
    EXPECT_EQ(position(corner), (FixPoint{Un(140), Un(400)}));
    EXPECT_EQ(connectors(corner).size(), 2u);
    EXPECT_EQ(connectors(third).size(), 1u);
    // Unjoined: no connector at all, in a new pattern the line keeps.
    LineSeriesAddPointWithPattern(line(0), Un(160), Un(300), 28, first, 0);
    EXPECT_EQ(connectors(line(0).objectB).size(), 0u);
    EXPECT_EQ(pattern(line(0).objectB), 28u);
    EXPECT_EQ(line(0).shorts[0], 28);
}

TEST_F(SeriesTest, StraightJoinsUseOneConnector)
{
    LineSeriesBegin(*chart_, Un(100), Un(400), 1, 1, line(1));
    const ObjectHandle first = line(1).objectA;
    LineSeriesAddPoint(line(1), Un(140), Un(350), first, 1);
    EXPECT_EQ(regions(first).size(), 1u);
    EXPECT_EQ(connectors(line(1).objectB).size(), 1u);
}

TEST_F(SeriesTest, TrimDropsLeadingPointsAndRehangsTheRest)
{
    LineChartFields c(*chart_);
    c.startAtOrigin = 1;
    LineSeriesReset(*chart_, Un(100), Un(400), c.series);
    const ObjectHandle first = line(0).objectA;
    for (int x : {110, 120, 130})
        LineSeriesAddPoint(line(0), Un(x), Un(400), first, 1);
    const ObjectHandle last = line(0).objectB;
    LineSeriesAddPoint(line(1), Un(105), Un(400), line(1).objectA, 1);

    // Limit between the first and second box of line 0 and beyond line 1.
    LineSeriesTrimXBelow(*chart_, Un(108));
    const ObjectHandle newFirst = line(0).objectA;
    EXPECT_NE(newFirst, first);
    EXPECT_FALSE(QXStr_IsObject(first));
    EXPECT_EQ(position(newFirst).x, Un(110));
    EXPECT_TRUE(contains(regions(frame()), newFirst));
    EXPECT_EQ(kind(newFirst), kLinePointRegion);
    EXPECT_EQ(regions(newFirst).size(), 2u);
    EXPECT_EQ(line(0).objectB, last);
    EXPECT_EQ(line(1).objectA, 0u);
    EXPECT_EQ(line(1).objectB, 0u);

    // A trim on the other side leaves a line whose first box is kept alone.
    LineSeriesTrimXAbove(*chart_, Un(115));
    EXPECT_EQ(line(0).objectA, newFirst);
    EXPECT_EQ(regions(newFirst).size(), 2u);

    // Everything beyond: the line becomes empty and starts afresh.
    LineSeriesTrimYBelow(*chart_, Un(500));
    EXPECT_EQ(line(0).objectA, 0u);
    EXPECT_FALSE(QXStr_IsObject(last));
    LineSeriesTrimYAbove(*chart_, Un(0)); // nothing left to trim
}

TEST_F(SeriesTest, RemoveAllTakesWholeLinesAndReattachKeepsThem)
{
    LineChartFields c(*chart_);
    c.startAtOrigin = 1;
    LineSeriesReset(*chart_, Un(100), Un(400), c.series);
    const ObjectHandle box = line(1).objectA;
    const ObjectHandle holder = Node(Un(50), Un(50));
    LineSeriesReattach(c.series, holder, 2);
    EXPECT_TRUE(contains(regions(holder), box));
    LineSeriesAddPoint(line(1), Un(110), Un(390), box, 1);
    const ObjectHandle second = line(1).objectB;
    LineSeriesRemoveAll(c.series, 2);
    EXPECT_EQ(line(1).objectA, 0u);
    EXPECT_FALSE(QXStr_IsObject(box));
    EXPECT_FALSE(QXStr_IsObject(second));
    EXPECT_TRUE(regions(holder).empty());
}
