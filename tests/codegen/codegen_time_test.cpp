// Model time values and the clock text.
#include <gtest/gtest.h>

#include "atolq/ConvertToSim/CTSModelTime.h"
#include "atolq/Utils/LMList.h"
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

// Sorting instances into enabled now and later by their answered times,
// with the clock at 5.
class TimeLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        LMInit();
        CTSSetIntegerTime(1);
        ASSERT_EQ(CTSTimeInit(), 1);
        const int32_t five = 5;
        std::memcpy(CTSClockValue(), &five, 4);
        CTSTimeResetNext();
    }
    void TearDown() override { CTSTimeListsClear(&lists); }
    // The time of the instance in a list, or -1.
    int32_t timeIn(const LMList* list, void* instance)
    {
        int32_t out = -1;
        for (void* c = list != nullptr ? list->first : nullptr; c != nullptr; c = static_cast<LMLink*>(c)->next)
            if (static_cast<LMPairCell*>(c)->first == instance)
                out = asInt(static_cast<LMPairCell*>(c)->second);
        return out;
    }
    intptr_t flagOf(void* instance)
    {
        intptr_t out = -1;
        for (void* c = lists.flags != nullptr ? lists.flags->first : nullptr; c != nullptr;
             c = static_cast<LMLink*>(c)->next)
            if (static_cast<LMPairCell*>(c)->first == instance)
                out = reinterpret_cast<intptr_t>(static_cast<LMPairCell*>(c)->second);
        return out;
    }
    CTSTimeLists lists;
    int a = 0, b = 0;
};

TEST_F(TimeLists, TimesUpToTheClockAreNowLaterOnesLaterNoneIsNever)
{
    const struct {
        const char* text;
        int now;
        int32_t stored;
        int32_t next;
    } cases[] = {{"(clock (\"3\"))", 1, 3, 3},
                 {"(clock (\"5\"))", 1, 5, 3},
                 {"(clock (\"8\"))", 0, 8, 3},
                 {"none", 0, 1073741823, 3},
                 {nullptr, 0, 1073741823, 3}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.text != nullptr ? k.text : "(no text)");
        EXPECT_EQ(CTSTimeNoteEnabling(&a, &lists, k.text), k.now);
        EXPECT_EQ(timeIn(k.now ? lists.now : lists.later, &a), k.stored);
        EXPECT_EQ(timeIn(k.now ? lists.later : lists.now, &a), -1) << "in one list only";
        EXPECT_EQ(flagOf(&a), k.now);
        EXPECT_EQ(asInt(CTSNextTimeValue()), k.next);
    }
    EXPECT_TRUE(CTSTimeAnyNow());
    EXPECT_TRUE(CTSTimeAnyLater());
    CTSTimeResetNext();
    EXPECT_FALSE(CTSTimeAnyNow() || CTSTimeAnyLater());
    EXPECT_EQ(asInt(CTSNextTimeValue()), 1073741823);
}

TEST_F(TimeLists, AfterTheClockMovesEntriesChangeLists)
{
    EXPECT_EQ(CTSTimeNoteEnabling(&a, &lists, "(clock (\"7\"))"), 0);
    EXPECT_EQ(CTSTimeNoteEnabling(&b, &lists, "(clock (\"4\"))"), 1);
    const int32_t seven = 7;
    std::memcpy(CTSClockValue(), &seven, 4);
    int32_t at = 7;
    EXPECT_EQ(CTSTimeNoteNow(&a, &at, &lists), 1);
    EXPECT_EQ(timeIn(lists.now, &a), 7);
    EXPECT_EQ(flagOf(&a), 1);
    int32_t earlier = 4;
    EXPECT_EQ(CTSTimeNoteLater(&b, &earlier, &lists), 0) << "not later than the clock";
    int32_t later = 9;
    EXPECT_EQ(CTSTimeNoteLater(&b, &later, &lists), 1);
    EXPECT_EQ(timeIn(lists.later, &b), 9);
    EXPECT_EQ(flagOf(&b), 0);
    CTSTimeResetNext();
    EXPECT_EQ(CTSTimeNoteCandidate(&b, &later), 1);
    EXPECT_EQ(asInt(CTSNextTimeValue()), 9);
    EXPECT_TRUE(CTSTimeAnyLater());
}

} // namespace
