// The performance tool's texts without X: the report options turned into the
// library's three requests, the widths the setup dialog accepts, the
// collector request with names that must stay inside their ML string, and
// the library folder taken from the environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "atolq/Performance/PerfUtils.h"

namespace tolq::test {
namespace {

PerfReportRecord BuiltIn()
{
    // Text width 16, whole-number width 8, decimal width 2; Average, Count
    // and Sum on.
    return {16, 8, 2, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
}

TEST(PerfReportTexts, BuiltInOptionsGiveTheLibrarysOrder)
{
    const PerfReportRecord r = BuiltIn();
    EXPECT_EQ(PerfTimedValuesText(r),
              "Perf'Report.chooseTimedValues([true,true,false,false,true,false,false,false,false,false,false,false,"
              "false,false]);");
    EXPECT_EQ(PerfUntimedValuesText(r),
              "Perf'Report.chooseUntimedValues([true,true,false,false,true,false,false,false,false,false,false]);");
    EXPECT_EQ(PerfLayoutText(r), "Perf'Report.setLayout(2,11,16);");
}

TEST(PerfReportTexts, EachWordReachesItsPlace)
{
    // Word of the record, and its place in the timed list (the untimed list
    // is the first eleven).
    struct Case {
        PerfReportWord word;
        int position;
    };
    const Case cases[] = {
        {kPerfCount, 0},    {kPerfSum, 1},     {kPerfSumSquares, 2}, {kPerfSumSquaresDev, 3}, {kPerfAverage, 4},
        {kPerfVariance, 5}, {kPerfStdDev, 6},  {kPerfMin, 7},        {kPerfMax, 8},           {kPerfFirstValue, 9},
        {kPerfLastValue, 10}, {kPerfFirstTime, 11}, {kPerfLastTime, 12}, {kPerfInterval, 13},
    };
    for (const Case& c : cases) {
        PerfReportRecord r{20, 8, 2};
        r[c.word] = 1;
        std::string expected;
        for (int i = 0; i < 14; ++i)
            expected += std::string(i == 0 ? "" : ",") + (i == c.position ? "true" : "false");
        EXPECT_EQ(PerfTimedValuesText(r), "Perf'Report.chooseTimedValues([" + expected + "]);") << c.word;
        const std::string untimed = PerfUntimedValuesText(r);
        EXPECT_EQ(untimed.find("true") != std::string::npos, c.position < 11) << untimed;
    }
    // Text width 20, whole-number width 8 and decimal width 2.
    EXPECT_EQ(PerfLayoutText(PerfReportRecord{20, 8, 2}), "Perf'Report.setLayout(2,11,20);");
}

TEST(PerfReportTexts, WidthsAreCheckedInOrder)
{
    struct Case {
        long text, whole, decimal;
        const char* message;  // null: accepted
    };
    const Case cases[] = {
        {16, 8, 2, nullptr},
        {1, 2, 1, nullptr},
        {0, 8, 2, "Text width must be a number \ngreater than zero."},
        {-1, 1, 0, "Text width must be a number \ngreater than zero."},
        {16, 1, 2, "Width of whole number values must be \na number greater than one."},
        {16, -1, 0, "Width of whole number values must be \na number greater than one."},
        {16, 8, 0, "Width of decimal values must be \na number greater than zero."},
    };
    for (const Case& c : cases) {
        const auto message = PerfCheckWidths(c.text, c.whole, c.decimal);
        if (c.message == nullptr)
            EXPECT_FALSE(message.has_value()) << *message;
        else
            EXPECT_EQ(message.value_or(""), c.message) << c.text << " " << c.whole << " " << c.decimal;
    }
}

TEST(PerfCollectorText, NamesStayInsideTheirString)
{
    EXPECT_EQ(PerfTemplateText(true, false, true, 3, "Queue"),
              "Perf'CreateTemplate.genTemplate(true,false,true,3,\"Queue\");");
    EXPECT_EQ(PerfTemplateText(false, true, false, 1, "a\"b\\c\nd"),
              "Perf'CreateTemplate.genTemplate(false,true,false,1,\"a\\\"b\\\\c\\010d\");");
}

TEST(PerfLibraryFolder, TheVariableLosesOneTrailingSlash)
{
    struct Case {
        std::string value;
        std::optional<std::string> folder;
    };
    const Case cases[] = {
        {"/opt/perf/", "/opt/perf"},
        {"/opt/perf", "/opt/perf"},
        {"/opt/perf//", "/opt/perf/"},
        {"/", std::nullopt},
        {"", std::nullopt},
        {"/opt/a\"b", std::nullopt},
        {"/" + std::string(600, 'x'), std::nullopt},
        {"/" + std::string(100000, 'y'), std::nullopt},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(setenv("TOLQ_PERF_TEST_DIR", c.value.c_str(), 1), 0);
        EXPECT_EQ(PerfLibraryFolder("TOLQ_PERF_TEST_DIR"), c.folder) << c.value.substr(0, 40);
    }
    unsetenv("TOLQ_PERF_TEST_DIR");
}

}  // namespace
}  // namespace tolq::test
