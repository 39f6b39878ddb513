// Chart arithmetic and texts: nice steps, rounding, step indexes, the short
// label form of numbers and the split of chart code texts.
#include "atolq/Chart/ChartUtil.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

TEST(ChartNumbers, NiceIntegers)
{
    const struct {
        int32_t n, nice;
    } cases[] = {{-5, 1}, {0, 1}, {1, 1}, {2, 2}, {3, 2}, {4, 5}, {7, 5}, {8, 10}, {9, 10}, {10, 10},
                 {12, 10}, {15, 20}, {37, 50}, {64, 50}, {380, 500}, {850, 1000}, {INT32_MAX, 2000000000}};
    for (const auto& c : cases)
        EXPECT_EQ(ChartNiceInt(c.n), c.nice) << c.n;
}

TEST(ChartNumbers, NiceReals)
{
    const struct {
        double x, nice;
    } cases[] = {{1, 1}, {3, 2}, {3.0001, 5}, {7, 5}, {7.5, 10}, {10, 10}, {10.5, 20}, {45, 50},
                 {0.3, 0.2}, {0.04, 0.05}, {1e-9, 1e-9}, {2.5e12, 2e12}};
    for (const auto& c : cases)
        EXPECT_NEAR(ChartNiceReal(c.x), c.nice, c.nice * 1e-9) << c.x;
    // Outside the defined domain: a value, never a hang.
    EXPECT_EQ(ChartNiceReal(0), 1.0);
    EXPECT_EQ(ChartNiceReal(-4), 1.0);
    EXPECT_EQ(ChartNiceReal(std::numeric_limits<double>::infinity()), 1.0);
    EXPECT_EQ(ChartNiceReal(std::nan("")), 1.0);
}

TEST(ChartNumbers, StepsFromSpanAndCount)
{
    EXPECT_EQ(ChartNiceIntStep(100, 4), 20); // 25 -> 20
    EXPECT_EQ(ChartNiceIntStep(7, 2), 5);    // 3.5 rounds to 4 -> 5
    EXPECT_EQ(ChartNiceIntStep(10, 0), 10);  // a count of 0 is taken as 1
    EXPECT_DOUBLE_EQ(ChartNiceRealStep(10, 5), 2.0);
    EXPECT_DOUBLE_EQ(ChartNiceRealStep(1, 3), 0.5); // 0.333 -> 0.5
    EXPECT_DOUBLE_EQ(ChartNiceRealStep(0, 4), 1.0);
}

TEST(ChartNumbers, RoundCeilAndStepIndex)
{
    EXPECT_EQ(ChartRound(-2.5), -2);
    EXPECT_EQ(ChartRound(2.5), 3);
    EXPECT_EQ(ChartRound(1e300), INT32_MAX);
    EXPECT_EQ(ChartRound(-1e300), INT32_MIN);
    EXPECT_EQ(ChartCeil(3.0), 3);
    EXPECT_EQ(ChartCeil(3.2), 4);
    EXPECT_EQ(ChartCeil(-3.2), -3);
    EXPECT_EQ(ChartCeil(1e20), INT32_MAX);
    const struct {
        double x;
        int32_t ref;
        double step;
        int32_t index;
    } cases[] = {{25, 0, 10, 3}, {30, 0, 10, 3}, {-25, 0, 10, -2}, {5, 1, 5, 1}, {12, 2, 5, 3},
                 {0, 0, 10, 0},  {4, 2, 5, 1},  {7, 3, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ChartStepIndex(c.x, c.ref, c.step), c.index) << c.x << " " << c.ref << " " << c.step;
}

TEST(ChartNumbers, RoundForDisplay)
{
    EXPECT_DOUBLE_EQ(ChartRoundForDisplay(1.23456), 1.235);
    EXPECT_DOUBLE_EQ(ChartRoundForDisplay(-0.0012345), -0.0012);
    EXPECT_DOUBLE_EQ(ChartRoundForDisplay(0.000123), 0.00012);
    EXPECT_DOUBLE_EQ(ChartRoundForDisplay(0), 0);
    EXPECT_DOUBLE_EQ(ChartRoundForDisplay(5e12), 5e12); // beyond 32 bits: unchanged
    EXPECT_TRUE(std::isfinite(ChartRoundForDisplay(4.9e-324)));
}

TEST(ChartTexts, AxisValueForm)
{
    const struct {
        double value;
        bool oneDecimal;
        const char* text;
    } cases[] = {
        {0, false, "0"},           {0, true, "0.0"},        {100, false, "100"},      {2.5, false, "2.5"},
        {2.05, false, "2.05"},     {-3.75, false, "-3.75"}, {0.1, false, "0.1"},      {0.00002, false, "2.00E-05"},
        {1e-13, false, "0"},       {12.25, false, "12.25"}, {12.5, true, "12.5"},     {12, true, "12.0"},
        {-0.5, false, "-0.5"},     {0.25, false, "0.25"},   {0.0012, false, "0.0012"}, {1.23456, false, "1.23"},
        {5e9, false, "5000000000.00"}, {-1e15, false, "-1.00E+15"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChartFormatAxisValue(c.value, c.oneDecimal), c.text) << c.value;
}

TEST(ChartTexts, NumberFormsAndLabelBatches)
{
    EXPECT_EQ(ChartFormatLong(-42), "-42");
    EXPECT_EQ(ChartFormatReal(2.5), "2.50000000000");
    EXPECT_EQ(ChartFormatReal(-1e20), "-1.00000000000E+20");
    EXPECT_EQ(ChartMakeIntLabels(-10, 5, 4), (std::vector<std::string>{"-10", "-5", "0", "5"}));
    EXPECT_EQ(ChartMakeIntLabels(INT32_MAX, INT32_MAX, 2), (std::vector<std::string>{"2147483647", "4294967294"}));
    // Each real label is computed afresh: 0.1 steps give no 0.30000000000000004.
    EXPECT_EQ(ChartMakeRealLabels(0, 0.1, 4), (std::vector<std::string>{"0", "0.1", "0.2", "0.3"}));
    EXPECT_EQ(ChartMakeNumberedTexts("Line", 3), (std::vector<std::string>{"Line1", "Line2", "Line3"}));
    EXPECT_EQ(ChartMakeSameTexts("pval", 2), (std::vector<std::string>{"pval", "pval"}));
    EXPECT_TRUE(ChartMakeSameTexts("x", -1).empty());
    EXPECT_EQ(ChartFillReals(1, 0.5, 3), (std::vector<double>{1, 1.5, 2}));
    const uint32_t values[] = {4, 9, 2};
    EXPECT_EQ(ChartContains(9, values), 1);
    EXPECT_EQ(ChartContains(2, std::span(values, 2)), 0);
}

TEST(ChartTexts, SplitCode)
{
    struct Case {
        const char* code;
        int result;
        const char* init;
        const char* cond;
        const char* action;
    } cases[] = {
        {"action\nf()", 1, "-", "-", "f()"},
        {"init x cond y action z", 1, "x ", "y ", "z"},
        {"cond y", 0, "-", "y", "-"},
        {"  init\tA", 0, "A", "-", "-"},
        {"  init a transaction b", 1, "a trans", "-", "b"},
        {"action", 0, "-", "-", "-"},
        {"", 0, "-", "-", "-"},
        {"cond c init i action a", 1, "-", "c init i ", "a"},
    };
    for (const Case& c : cases) {
        std::string init = "-", cond = "-", action = "-";
        EXPECT_EQ(ChartSplitCode(c.code, cond, init, action), c.result) << c.code;
        EXPECT_EQ(init, c.init) << c.code;
        EXPECT_EQ(cond, c.cond) << c.code;
        EXPECT_EQ(action, c.action) << c.code;
    }
}
