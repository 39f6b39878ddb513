// The simulator dialogs' checks that need no X: which texts the model-time
// dialog takes.
#include <gtest/gtest.h>

#include "atolq/CSimulator/SimDialogs.h"

namespace {

TEST(ModelTimeDialog, TakesOnlyNumbersOfTheRequiredSort)
{
    struct Case {
        const char* text;
        int integerRequired;
        bool taken;
    };
    const Case cases[] = {
        {"5", 1, true},       {"-3", 1, true},     {"5.5", 1, false}, {"5", 0, false},  {"5.5", 0, true},
        {"1.0E5", 0, true},   {"", 1, false},      {"", 0, false},    {"soon", 1, false}, {"5x", 1, false},
        {"-", 1, false},      {"2.", 0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SModelTimeAcceptable(c.text, c.integerRequired), c.taken)
            << '"' << c.text << "\" integer " << c.integerRequired;
    EXPECT_FALSE(SModelTimeAcceptable(nullptr, 1));
}

}  // namespace
