// The simulation code options: which start times are refused, and how the
// run options follow the code options.
#include <gtest/gtest.h>

#include <cstring>

#include "atolq/CEditor/SetMenuOptions.h"

namespace {

EECodeOptions Code(int32_t mode, int32_t time, int32_t segments, const char* start)
{
    EECodeOptions values{mode, time, segments};
    std::memcpy(&values[3], start, std::strlen(start));
    return values;
}

TEST(CodeOptions, StartTimeMustBeAnIntegerWhileTimeIsUsed)
{
    struct Case {
        int32_t time;
        const char* start;
        bool valid;
    };
    const Case cases[] = {
        {3, "25", true},  {3, "-4", true},  {5, "0", true},   {3, "", false}, {3, "2.5", false},
        {3, "soon", false}, {3, "-", false}, {5, "1 2", false}, {4, "soon", true}, {4, "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EE_CodeOptionsValid(Code(0, c.time, 6, c.start)), c.valid) << c.time << " '" << c.start << "'";
}

TEST(CodeOptions, RunOptionsFollowTheCodeOptions)
{
    struct Case {
        EECodeOptions code;
        int32_t modeBefore;
        int32_t mode, withCode, withTime;
    };
    const Case cases[] = {
        {Code(1, 3, 6, "0"), 3, 1, 1, 1},  // fast: mode 1
        {Code(0, 4, 7, "0"), 1, 3, 0, 0},  // fair turns fast into 3
        {Code(0, 4, 7, "0"), 0, 0, 0, 0},  // and keeps fair
        {Code(2, 5, 8, "0"), 1, 4, 9, 9},  // both: 1 becomes 4; "both" leaves the switches
        {Code(2, 5, 8, "0"), 4, 4, 9, 9},
    };
    for (const Case& c : cases) {
        EERunOptions run{};
        run[0] = c.modeBefore;
        run[1] = 9;
        run[2] = 9;
        EE_AdjustRunOptions(c.code, run);
        EXPECT_EQ(run[0], c.mode) << c.code[0] << " from " << c.modeBefore;
        EXPECT_EQ(run[1], c.withCode) << c.code[2];
        EXPECT_EQ(run[2], c.withTime) << c.code[1];
    }
}

}  // namespace
