// The checks of the chart options dialogs' fields, the built-in settings,
// the settings read back from a built chart and the editor's apply entries.
#include "ChartFixture.h"

#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/Chart/ChartOptions.h"

#include <cstring>
#include <functional>

namespace {

BarChartForm barForm()
{
    BarChartForm f;
    f.name = "Queue";
    f.bars = "3";
    f.parts = "2";
    f.height = "10";
    f.min = "0";
    f.max = "100";
    f.grid = "5";
    f.byNumber = true;
    return f;
}

LineChartForm lineForm()
{
    LineChartForm f;
    f.name = "Load";
    f.lines = "2";
    f.boxSize = "4";
    f.xMin = f.yMin = f.xOrigin = f.yOrigin = "0";
    f.xMax = f.yMax = "100";
    f.xGrid = f.yGrid = "10";
    f.xByNumber = f.yByNumber = true;
    return f;
}

} // namespace

class ChartOptionsTest : public ChartTest {};

TEST_F(ChartOptionsTest, BarChartFieldsAreCheckedInTheDialogsOrder)
{
    // A bar chart named "Taken" and a line chart named "Line" exist.
    SEBarChart* taken = SECreateBarChart(sePage_, QXStr_CreateNode(page_, Un(10), Un(10), Un(5), Un(5), 1));
    ASSERT_NE(taken, nullptr);
    ChartSetRecordText(taken->title, "Taken");
    struct Case {
        const char* what;
        std::function<void(BarChartForm&)> change;
        int16_t message;
    };
    const Case cases[] = {
        {"a valid form", [](BarChartForm&) {}, 0},
        {"a name of another bar chart", [](BarChartForm& f) { f.name = "Taken"; }, 11356},
        {"no name", [](BarChartForm& f) { f.name.clear(); }, 11356},
        {"no name needed for selected charts", [](BarChartForm& f) { f.name.clear(), f.newChart = false; }, 0},
        {"1000 bars", [](BarChartForm& f) { f.bars = "1000"; }, 11357},
        {"no parts", [](BarChartForm& f) { f.parts = "0"; }, 11358},
        {"a real bar height", [](BarChartForm& f) { f.height = "1.5"; }, 11359},
        {"retain equal to the bars", [](BarChartForm& f) { f.history = true, f.retain = "3"; }, 11360},
        {"retain 0", [](BarChartForm& f) { f.history = true, f.retain = "0"; }, 0},
        {"a time of 2.5", [](BarChartForm& f) { f.timeChecked = true, f.interval = "2.5"; }, 11361},
        {"a step of 0", [](BarChartForm& f) { f.stepChecked = true, f.step = "0"; }, 11362},
        {"an integer minimum of a real chart", [](BarChartForm& f) { f.integer = false, f.min = "3"; }, 11369},
        {"a real minimum above 0", [](BarChartForm& f) { f.integer = false, f.min = "0.5", f.max = "9.0"; }, 11363},
        {"a maximum below the minimum", [](BarChartForm& f) { f.min = "-5", f.max = "-10"; }, 11365},
        {"1000 grid lines", [](BarChartForm& f) { f.grid = "1000"; }, 11371},
        {"a distance beyond both ends",
         [](BarChartForm& f) { f.min = "-10", f.max = "10", f.byNumber = false, f.byDistance = true, f.grid = "20"; },
         11396},
        {"a distance of one end",
         [](BarChartForm& f) { f.min = "-10", f.max = "10", f.byNumber = false, f.byDistance = true, f.grid = "10"; },
         0},
        {"a distance finer than a thousandth",
         [](BarChartForm& f) {
             f.integer = false, f.min = "0.0", f.max = "100.0", f.byNumber = false, f.byDistance = true;
             f.grid = "0.05";
         },
         11418},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        BarChartForm f = barForm();
        k.change(f);
        BarChartAttributes record = BarChartBuiltInDefaults();
        record.stepInterval = 7;
        EXPECT_EQ(BarChartCheckForm(f, record), k.message);
        if (k.message != 0) {
            EXPECT_EQ(record.stepInterval, 7); // nothing stored
        }
    }
    BarChartAttributes record = BarChartBuiltInDefaults();
    BarChartForm f = barForm();
    f.stepChecked = false;
    f.byNumber = false;
    f.byDistance = true;
    f.grid = "20";
    ASSERT_EQ(BarChartCheckForm(f, record), 0);
    EXPECT_EQ(record.stepInterval, 0);
    EXPECT_STREQ(record.interval, "0");
    EXPECT_EQ(record.gridNumber, 0);
    EXPECT_STREQ(record.distance, "20");
    EXPECT_STREQ(record.name, "Queue");
    EXPECT_EQ(record.barCount, 3);
}

TEST_F(ChartOptionsTest, LineChartFieldsAreCheckedInTheDialogsOrder)
{
    SEBarChart* bar = SECreateBarChart(sePage_, QXStr_CreateNode(page_, Un(10), Un(10), Un(5), Un(5), 1));
    ChartSetRecordText(bar->title, "Load"); // a bar chart's name is free for a line chart
    struct Case {
        const char* what;
        std::function<void(LineChartForm&)> change;
        int16_t message;
    };
    const Case cases[] = {
        {"a valid form", [](LineChartForm&) {}, 0},
        {"no lines", [](LineChartForm& f) { f.lines = "0"; }, 11372},
        {"x maximum at x minimum", [](LineChartForm& f) { f.xMax = "0"; }, 11375},
        {"a real y minimum of an integer chart", [](LineChartForm& f) { f.yMin = "0.5"; }, 11377},
        {"x origin beyond x maximum", [](LineChartForm& f) { f.xOrigin = "101"; }, 11401},
        {"y origin below y minimum", [](LineChartForm& f) { f.yOrigin = "-1"; }, 11402},
        {"x distance 0 of an integer chart",
         [](LineChartForm& f) { f.xByNumber = false, f.xByDistance = true, f.xGrid = "0"; }, 11383},
        {"a real x distance finer than a thousandth",
         [](LineChartForm& f) {
             f.integer = false;
             f.xMin = f.yMin = f.xOrigin = f.yOrigin = "0.0";
             f.xMax = f.yMax = "100.0";
             f.xByNumber = false, f.xByDistance = true, f.xGrid = "0.05";
         },
         11419},
        {"y number 0", [](LineChartForm& f) { f.yGrid = "0"; }, 11388},
        {"neither number nor distance keeps the grid",
         [](LineChartForm& f) { f.xByNumber = false, f.xGrid = "nonsense"; }, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        LineChartForm f = lineForm();
        k.change(f);
        LineChartAttributes record = LineChartBuiltInDefaults();
        EXPECT_EQ(LineChartCheckForm(f, record), k.message);
    }
}

TEST_F(ChartOptionsTest, SettingsReadBackFromABuiltChartAndAppliedThroughTheEditorsEntry)
{
    const ObjectHandle frame = QXStr_CreateNode(page_, Un(300), Un(300), Un(400), Un(300), 1);
    SEBarChart* chart = SECreateBarChart(sePage_, frame);
    BarChartAttributes a = BarChartBuiltInDefaults();
    a.barCount = 2;
    a.legend = 1;
    a.history = 1;
    a.retain = 1;
    std::strcpy(a.name, "Queue");
    std::vector<uint8_t> settings(2640);
    std::memcpy(settings.data(), &a, sizeof a);
    ASSERT_EQ(ChartApplyBar(&chart->head, settings.data()), 1);
    EXPECT_EQ(ChartApplyLine(&chart->head, settings.data()), 0); // not a line chart
    BarChartAttributes back{};
    BarChartAttributesOf(*chart, back);
    EXPECT_EQ(back.barCount, 2);
    EXPECT_EQ(back.legend, 1);
    EXPECT_EQ(back.history, 1);
    EXPECT_EQ(back.retain, 1);
    EXPECT_EQ(back.title, 1);
    EXPECT_EQ(back.existing, 1);
    EXPECT_STREQ(back.max, "100");
    EXPECT_STREQ(back.name, "");
}
