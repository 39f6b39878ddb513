// Model time values and the clock text.
#include <gtest/gtest.h>

#include "atolq/ConvertToSim/CTSModelTime.h"
#include "atolq/Utils/QXMem.h"

#include <cstdint>
#include <cstring>

namespace {

int32_t asInt(const void* v) { int32_t i; std::memcpy(&i, v, 4); return i; }

struct ClockCase { const char* text; int matched; int32_t value; };

class ClockParse : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockParse, ParsesTheClockFormOnly)
{
    CTSSetIntegerTime(1);
    int32_t v = -1;
    EXPECT_EQ(CTSParseClock(GetParam().text, &v) == 1, GetParam().matched == 1);
    EXPECT_EQ(v, GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ClockParse, ::testing::Values(
    ClockCase{"(clock (\"42\"))", 1, 42},
    ClockCase{"(clock (\"0\"))", 1, 0},
    ClockCase{"(clock (\"-3\"))", 1, -3},
    ClockCase{"clock 42", 0, -1},
    ClockCase{"(clock (\"x\"))", 0, -1},
    ClockCase{"(clock (\"99999999999\"))", 0, -1},
    ClockCase{"", 0, -1}));

TEST(ModelTime, ClockTextRoundTripsAndNullIsRefused)
{
    CTSSetIntegerTime(1);
    int32_t v = 1234, back = 0;
    char text[48];
    CTSClockText(&v, text, sizeof text);
    EXPECT_STREQ(text, "(clock (\"1234\"))");
    EXPECT_EQ(CTSParseClock(text, &back), 1);
    EXPECT_EQ(back, 1234);
    EXPECT_EQ(CTSParseClock(nullptr, &back), 0);
}

TEST(ModelTime, LargestValuesAndComparison)
{
    CTSSetIntegerTime(1);
    EXPECT_EQ(CTSTimeSize(), 4u);
    void* a = CTSTimeNew();
    void* b = CTSTimeNew();
    CTSTimeSetMax(a);
    EXPECT_EQ(asInt(a), 1073741823);
    EXPECT_EQ(CTSTimeMin(a, b), b);
    EXPECT_EQ(CTSTimeMax(a, b), a);
    std::memcpy(b, a, 4);
    EXPECT_EQ(CTSTimeMin(a, b), b) << "equal values give the second";
    EXPECT_EQ(CTSTimeMax(a, b), b);
    QXMem_Free(a);
    QXMem_Free(b);

    CTSSetIntegerTime(0);
    EXPECT_EQ(CTSTimeSize(), 8u);
    void* r = CTSTimeNew();
    CTSTimeSetMax(r);
    double d;
    std::memcpy(&d, r, 8);
    EXPECT_DOUBLE_EQ(d, 1.79769e+308);
    int32_t ignored = 0;
    (void)ignored;
    EXPECT_EQ(CTSParseClock("(clock (\"7\"))", r), 1);
    std::memcpy(&d, r, 8);
    EXPECT_DOUBLE_EQ(d, 7.0);
    QXMem_Free(r);
    CTSSetIntegerTime(1);
}

} // namespace
