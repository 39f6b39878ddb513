// Millimetre/Fixed conversions with their rounding, "C"-locale numbers, the
// escaping of text and the name tables as they read back.
#include <gtest/gtest.h>

#include "Interchange/XmlFormat.h"

#include <clocale>
#include <cmath>

namespace {

TEST(Units, FixedToMillimetres) {
    EXPECT_EQ(XmlFixedToMm(0), 0.0);
    // One inch of Fixed (72 pixels) is 25.4 mm at single precision.
    EXPECT_DOUBLE_EQ(XmlFixedToMm(2359296), static_cast<double>(25.4f));
    EXPECT_EQ(XmlFormatMm(XmlFixedToMm(2359296)), "25.40000");
    EXPECT_EQ(XmlFormatMm(XmlFixedToMm(-0x8000)), "-0.35278");
}

TEST(Units, MillimetresToFixedRoundsHalfAwayFromZero) {
    EXPECT_EQ(XmlMmToFixed(25.4), 2359296);
    EXPECT_EQ(XmlMmToFixed(-25.4), -2359296);
    // 25.4 / 2359296 mm is one Fixed unit; half of it rounds away from zero.
    const double unit = 25.4 / 2359296.0;
    EXPECT_EQ(XmlMmToFixed(unit * 0.5), 1);
    EXPECT_EQ(XmlMmToFixed(-unit * 0.5), -1);
    EXPECT_EQ(XmlMmToFixed(unit * 0.49), 0);
    EXPECT_EQ(XmlMmToFixed(-unit * 0.49), 0);
    EXPECT_EQ(XmlMmToFixed(0.0), 0);
}

TEST(Units, OutOfRangeMillimetresClampToTheInfinities) {
    EXPECT_EQ(XmlMmToFixed(1e12), kFixedPlusInfinity);
    EXPECT_EQ(XmlMmToFixed(-1e12), kFixedMinusInfinity);
    EXPECT_EQ(XmlMmToFixed(HUGE_VAL), kFixedPlusInfinity);
    EXPECT_EQ(XmlMmToFixed(std::nan("")), 0);
}

TEST(Units, WrittenMillimetresReadBackToTheSameFixed) {
    // Up to 2000 pixels: five decimals and the writer's single-precision
    // inch keep a value within one Fixed unit.
    for (Fixed v : {0, 1, -1, 0x8000, -0x8000, 0x28000, 12345678, -2000 * 0x8000, 2000 * 0x8000}) {
        double mm = XmlParseDouble(XmlFormatMm(XmlFixedToMm(v)));
        EXPECT_LE(std::abs(static_cast<int64_t>(XmlMmToFixed(mm)) - v), 1) << v;
    }
}

TEST(Numbers, UseTheCLocaleWhateverTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    EXPECT_EQ(XmlFormatMm(1.5), "1.50000");
    EXPECT_EQ(XmlParseDouble("1.5"), 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!german) GTEST_LOG_(INFO) << "no German locale here; checked in the current one";
}

struct NumberCase {
    const char* text;
    int64_t asLong;
    int16_t asShort;
    double asDouble;
};

TEST(Numbers, ParseLikeTheDecimalConversions) {
    const NumberCase cases[] = {
        {"12", 12, 12, 12.0},          {"  -7xyz", -7, -7, -7.0},     {"+3", 3, 3, 3.0},
        {"abc", 0, 0, 0.0},            {"", 0, 0, 0.0},               {"2.75", 2, 2, 2.75},
        {"70000", 70000, 32767, 7e4},  {"-70000", -70000, -32768, -7e4},
        {"99999999999999999999999", INT64_MAX, 32767, 1e23},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(XmlParseLong(c.text), c.asLong) << c.text;
        EXPECT_EQ(XmlParseShort(c.text), c.asShort) << c.text;
        EXPECT_DOUBLE_EQ(XmlParseDouble(c.text), c.asDouble) << c.text;
    }
    EXPECT_EQ(XmlParseInt("99999999999"), INT32_MAX);
}

TEST(Escaping, SpecialCharactersRoundTrip) {
    const std::string text = "a<b & \"c\" 'd' > e\nf";
    std::string escaped = INT_EscapeText(text);
    EXPECT_EQ(escaped, "a&lt;b &amp; &quot;c&quot; &apos;d&apos; > e\nf");
    INT_UnescapeText(escaped);
    EXPECT_EQ(escaped, text);
}

TEST(Escaping, UnescapeIsOnePassLeftToRight) {
    std::string text = "&amp;lt; &gt; &unknown; & &quot";
    INT_UnescapeText(text);
    EXPECT_EQ(text, "&lt; &gt; &unknown; & &quot");
}

TEST(NameTables, ReadBackAsTheSameCodesWithTheKnownExceptions) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(XmlColourIndex(XmlColourName(i)), i);
    EXPECT_EQ(XmlColourName(17), "maroon");
    EXPECT_EQ(XmlColourIndex("BLUE"), 10);
    EXPECT_FALSE(XmlColourIndex("orange"));
    for (int i = 0; i <= 8; ++i) EXPECT_EQ(XmlLineTypeCode(*XmlLineTypeName(i)), i);
    EXPECT_FALSE(XmlLineTypeName(9));
    for (int p = 0; p <= 41; ++p) {
        auto name = XmlFillPatternName(p);
        ASSERT_TRUE(name) << p;
        auto back = XmlFillPatternCode(*name);
        int expected = p == 20 ? 0 : p == 39 ? 4 : p == 40 ? 23 : p == 41 ? 21 : p;
        if (p == 5) EXPECT_FALSE(back);
        else EXPECT_EQ(back, expected) << p;
    }
    EXPECT_EQ(XmlFillPatternCode("InvOrderedDotted"), 5);
    EXPECT_FALSE(XmlFillPatternName(42));
    EXPECT_EQ(XmlFontName(7), "unknown");
    EXPECT_EQ(XmlFontIndex("times"), 5);
    EXPECT_EQ(XmlJustName(3), "unknown");
    EXPECT_EQ(XmlJustCode("centered"), 2);
    EXPECT_FALSE(XmlLayeringName(4));
    EXPECT_EQ(XmlLayeringCode("xor"), 2);
    EXPECT_EQ(XmlPortTypeName(0), "unknown");
    EXPECT_EQ(XmlPortTypeCode("InOut"), 3);
    EXPECT_EQ(XmlFusionTypeCode("instance"), 3);
}

TEST(NameTables, ArcOrientationKeepsTheFlowWhenThePlaceBecomesEndOne) {
    // Written with the transition as end 1, read back with the place as end 1.
    EXPECT_EQ(XmlOrientationName(1, true, false), "TtoP");
    EXPECT_EQ(XmlOrientationCode("TtoP"), 2);
    EXPECT_EQ(XmlOrientationName(1, true, true), "PtoT");
    EXPECT_EQ(XmlOrientationName(2, false, true), "2to1");
    EXPECT_EQ(XmlOrientationName(3, true, true), "BOTHDIR");
    EXPECT_EQ(XmlOrientationName(0, false, false), "NODIR");
    EXPECT_EQ(XmlOrientationCode("bothdir"), 3);
    EXPECT_FALSE(XmlOrientationCode("sideways"));
}

TEST(Booleans, OnlyTrueInAnyCaseIsTrue) {
    EXPECT_TRUE(XmlIsTrue("TRUE"));
    EXPECT_TRUE(XmlIsTrue("tRuE"));
    EXPECT_FALSE(XmlIsTrue("yes"));
    EXPECT_FALSE(XmlIsTrue(""));
}

}  // namespace
