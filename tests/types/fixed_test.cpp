// Tests of the fixed-point arithmetic: edge values of every operation, taken
// from worked examples, saturation and truncation rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "xkv/types/Fixed.h"

namespace {

constexpr Fixed F(double v)
{
    return static_cast<Fixed>(v * 65536.0);
}
constexpr Fixed kInf = kFixedPlusInfinity;
constexpr Fixed kNegInf = kFixedMinusInfinity;

struct BinaryCase {
    const char* name;
    Fixed a;
    Fixed b;
    Fixed expected;
};

TEST(FixMul, EdgeValues)
{
    const BinaryCase cases[] = {
        {"overflow", F(200), F(200), kInf},
        {"negative overflow", F(-200), F(200), kNegInf},
        {"both negative overflow", F(-200), F(-200), kInf},
        {"exact product", F(1.5), F(-2), F(-3)},
        {"fractions", F(0.5), F(0.5), F(0.25)},
        {"negative fractions", F(-0.5), F(-0.5), F(0.25)},
        {"integer halves fit, product does not", F(255), F(257), kInf},
        {"largest fitting square", F(181), F(181), F(32761)},
        {"truncates toward zero", 1, 0x8000, 0},
        {"truncates toward zero when negative", -1, 0x8000, 0},
        {"infinity times one", kInf, F(1), kInf},
        {"invalid value counts as minus infinity", INT32_MIN, F(1), kNegInf},
        {"zero", 0, kInf, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fix_Mul(c.a, c.b), c.expected) << c.name;
    }
}

TEST(FixDivInt, EdgeValues)
{
    struct Case {
        Fixed a;
        int32_t n;
        Fixed expected;
    };
    const Case cases[] = {
        {0, 0, kNegInf},        {F(1), 0, kInf},   {F(-1), 0, kNegInf}, {kInf, 3, kInf},
        {kNegInf, 3, kNegInf},  {kInf, 0, kInf},   {F(7), 2, F(3.5)},   {-7, 2, -3},
        {F(-7), -2, F(3.5)},    {F(1), 3, 0x5555},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fix_DivInt(c.a, c.n), c.expected) << c.a << " / " << c.n;
    }
}

TEST(FixSnap, ToleranceIs128OnEitherSideInclusive)
{
    struct Case {
        Fixed a;
        Fixed expected;
    };
    const Case cases[] = {
        {0x8040, 0x8040},      // below 1.0: never snapped
        {0xff90, 0xff90},      // likewise, even close to 1.0
        {0x10040, 0x10000},    {0x10080, 0x10000},  {0x10081, 0x10081},  {0x1ff80, 0x20000},
        {0x1ff7f, 0x1ff7f},    {F(5), F(5)},        {kInf, kInf},        // raising infinity saturates
        {-0x10040, -0x10000},  // the bit pattern is snapped: -1.0009 is -1.0
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fix_Snap(c.a), c.expected) << std::hex << c.a;
    }
}

TEST(FixDiv, EdgeValues)
{
    const BinaryCase cases[] = {
        {"divisor one returns snapped dividend", 0x10040, F(1), 0x10000},
        {"outside tolerance stays", 0x10081, F(1), 0x10081},
        {"below one never snapped", 0x8040, F(1), 0x8040},
        {"whole divisor", F(1), F(3), 0x5555},
        {"quotient too large", F(20000), F(0.5), kInf},
        {"negative quotient too large", F(-20000), F(0.5), kNegInf},
        {"division by zero", F(1), 0, kInf},
        {"negative division by zero", F(-1), 0, kNegInf},
        {"zero by zero", 0, 0, kInf},
        {"infinite dividend", kInf, F(2), kInf},
        {"fraction divisor exact", F(3), F(1.5), F(2)},
        {"fraction truncated", F(1), F(1.5), 0xaaaa},
        {"negative fraction truncated toward zero", F(-1), F(1.5), -0xaaaa},
        {"signs", F(10), F(-4), F(-2.5)},
        {"divisor snapped to whole", F(6), 0x20040, F(3)},
        {"largest quotient", F(32767), F(1.5) + 0 * 1, 0x5554aaaa},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fix_Div(c.a, c.b), c.expected) << c.name;
    }
}

TEST(IntSqrt, BisectionAndNewton)
{
    struct Case {
        uint32_t v;
        uint32_t bisection;
        uint32_t newton;
    };
    const Case cases[] = {
        {0, 0, 0},           {1, 1, 1},
        {2, 1, 2},           {4, 2, 2},
        {15, 3, 4},          {16, 4, 4},
        {1000000, 1000, 1000}, {0x7fffffff, 46340, 46341},
        {0xffffffff, 46339, 65536},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Int_Sqrt(c.v), c.bisection) << c.v;
        EXPECT_EQ(Int_SqrtNewton(c.v), c.newton) << c.v;
    }
}

TEST(FixSqrt, EdgeValues)
{
    EXPECT_EQ(Fix_Sqrt(F(4)), F(2));
    EXPECT_EQ(Fix_Sqrt(F(2)), 362 << 8);
    EXPECT_EQ(Fix_Sqrt(0), 0);
    EXPECT_EQ(Fix_Sqrt(F(-4)), 0);
    EXPECT_EQ(Fix_Sqrt(kInf), 46340 << 8);
    EXPECT_EQ(Fix_Hypot(F(3), F(4)), F(5));
    EXPECT_EQ(Fix_Hypot(kInf, kInf), 46340 << 8);  // the sum saturates
}

TEST(FixTrig, SineTableAndLookups)
{
    const TrigTable& sine = Fix_SineTable();
    EXPECT_EQ(sine[0], 0);
    EXPECT_EQ(sine[1], 1143);
    EXPECT_EQ(sine[30], 32767);
    EXPECT_EQ(sine[45], 46340);
    EXPECT_EQ(sine[90], 65536);
    const TrigTable& tangent = Fix_TangentTable();
    EXPECT_EQ(tangent[45], 65535);
    EXPECT_EQ(tangent[89], 3754554);
    EXPECT_EQ(tangent[90], kInf);

    struct Case {
        const char* name;
        Fixed value;
        Fixed expected;
    };
    const Case cases[] = {
        {"sin 30", Fix_Sin(F(30)), 32767},
        {"sin 29.5 rounds half up", Fix_Sin(F(29.5)), 32767},
        {"sin 29.49", Fix_Sin(F(29.49)), sine[29]},
        {"cos 90", Fix_Cos(F(90)), 0},
        {"sin 90", Fix_Sin(F(90)), 65536},
        {"sin -30", Fix_Sin(F(-30)), -32767},
        {"sin 150", Fix_SinDeg(150), 32767},
        {"sin 210", Fix_SinDeg(210), -32767},
        {"sin 330", Fix_SinDeg(330), -32767},
        {"sin 390", Fix_SinDeg(390), 32767},
        {"sin -390", Fix_SinDeg(-390), -32767},
        {"cos 0", Fix_CosDeg(0), 65536},
        {"cos 180", Fix_CosDeg(180), -65536},
        {"cos 240", Fix_CosDeg(240), -32767},
        {"sin of the largest angle", Fix_SinDeg(INT32_MAX), Fix_SinDeg(INT32_MAX % 360)},
        {"cos of the largest angle", Fix_CosDeg(INT32_MAX), Fix_SinDeg((INT32_MAX % 360 + 90) % 360)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, c.expected) << c.name;
    }
}

TEST(FixTrig, TableIndexAndAngles)
{
    const TrigTable& sine = Fix_SineTable();
    EXPECT_EQ(Fix_TableIndex(32767, sine), 30);
    EXPECT_EQ(Fix_TableIndex(571, sine), 0);  // tie-free side of the middle
    EXPECT_EQ(Fix_TableIndex(572, sine), 1);
    EXPECT_EQ(Fix_TableIndex(65536, sine), 90);
    EXPECT_EQ(Fix_TableIndexSigned(-32767, sine), -30);

    struct Case {
        const char* name;
        Fixed value;
        Fixed expected;
    };
    const Case cases[] = {
        {"atan 1", Fix_ArcTan(F(1)), F(45)},
        {"atan -1", Fix_ArcTan(F(-1)), F(-45)},
        {"atan infinity", Fix_ArcTan(kInf), F(90)},
        {"atan 0", Fix_ArcTan(0), 0},
        {"angle 45", Fix_Angle(F(1), F(1)), F(45)},
        {"angle 135", Fix_Angle(F(-1), F(1)), F(135)},
        {"angle up", Fix_Angle(0, F(-1)), F(-90)},
        {"angle down", Fix_Angle(0, F(1)), F(90)},
        {"angle left", Fix_Angle(F(-1), 0), F(180)},
        {"angle right", Fix_Angle(F(1), 0), 0},
        {"integer atan", Fix_ArcTanInt(1, 1), 45},
        {"integer atan negative", Fix_ArcTanInt(-1, 1), -45},
        {"integer atan vertical", Fix_ArcTanInt(0, 5), 90},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, c.expected) << c.name;
    }
}

TEST(FixCoord, DoubledFormHelpers)
{
    EXPECT_EQ(Fix_ScaleCoord(0x8000, F(2)), 0x10000);
    EXPECT_EQ(Fix_ScaleCoord(F(-3), F(0.5)), F(-1.5));
    EXPECT_EQ(Fix_ScaleCoord(kInf, F(2)), kInf >> 1);  // doubling saturates
    EXPECT_EQ(Fix_DivCoord(F(3), F(2)), F(0.75));
    EXPECT_EQ(Fix_RemCoord(F(5), F(2)), 0);
    EXPECT_EQ(Fix_Mid(-3, 4), 0);
    EXPECT_EQ(Fix_Mid(4, -3), 0);  // the shift floors: 4 + (-7 >> 1)
    EXPECT_EQ(Fix_Mid(kInf, kNegInf), 0);
    EXPECT_EQ(Fix_Mid(kInf, kInf - 2), kInf - 1);
    EXPECT_EQ(Fix_SlopeScale(0, 0, F(2), F(1), F(4)), F(2));
    EXPECT_EQ(Fix_SlopeScale(0, 0, 0, F(1), F(4)), kInf);
    EXPECT_EQ(Fix_ToGrid(0x3fff), 0);
    EXPECT_EQ(Fix_ToGrid(0x4000), 0x8000);
    EXPECT_EQ(Fix_ToGrid(-0x4001), -0x8000);
    EXPECT_EQ(Fix_ToGrid(kInf), kInf);
}

TEST(FixFormat, TextAndTwoBuffers)
{
    const char* a = Fix_Format(F(1.5));
    const char* b = Fix_Format(F(-1.5));
    EXPECT_STREQ(a, "  1.5000 (0x00018000) ");
    EXPECT_STREQ(b, " -1.5000 (0xfffe8000) ");
    EXPECT_STREQ(Fix_Format(1), "  0.0000 (0x00000001) ");
    EXPECT_STREQ(a, "  0.0000 (0x00000001) ");  // the third call takes the first buffer
    EXPECT_STREQ(Fix_Format(kInf), "  32767.9999 (0x7fffffff) ");
    EXPECT_STREQ(Fix_Format(INT32_MIN), " -32768.0000 (0x80000000) ");
    EXPECT_STREQ(Fix_FormatCoord(0x8000), "  1.0000 (0x00010000) ");
}

}  // namespace
