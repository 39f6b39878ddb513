// Editor state: initial values, state flags, pending values, the version table
// and region kind indexes.
#include <gtest/gtest.h>

#include "atolq/CEditor/EditorState.h"

namespace {

// Runs first in its process: nothing has changed the state yet.
TEST(EditorStateTest, StartsWithItsInitialValues)
{
    EXPECT_EQ(GE_GetMode(), 0);
    EXPECT_EQ(GE_GetCreateKind(), kGECreateNone);
    EXPECT_EQ(GE_GetCurrentDiagram(), 0u);
    EXPECT_EQ(GE_GetStateFlags(), 0x60018u);
    EXPECT_EQ(GE_GetSelectionType(), 4u);
    EXPECT_EQ(GE_GetErrorCount(), 0u);
    EXPECT_EQ(GE_GetStepElements(), nullptr);
    uint32_t object = 99;
    EXPECT_EQ(GE_GetPendingRegion(&object), 0u);
    EXPECT_EQ(object, 0u);
}

class StateFlagsTest : public testing::Test {
protected:
    void SetUp() override { saved = GE_GetStateFlags(); }
    void TearDown() override
    {
        GE_ClearStateFlags(~0u);
        GE_SetStateFlags(saved);
    }
    uint32_t saved = 0;
};

TEST_F(StateFlagsTest, SetClearAndTest)
{
    GE_ClearStateFlags(~0u);
    EXPECT_EQ(GE_GetStateFlags(), 0u);
    GE_SetStateFlags(kGETextChanged);
    EXPECT_EQ(GE_TestStateFlags(kGEDeletingNetObjects | kGETextChanged), 1);
    EXPECT_EQ(GE_TestStateFlags(kGEDeletingNetObjects), 0);
    GE_SetStateFlags(kGEBulkDelete | kGEMenusStale);
    GE_ClearStateFlags(kGETextChanged | kGEMenusStale);
    EXPECT_EQ(GE_GetStateFlags(), kGEBulkDelete);
    EXPECT_EQ(GE_TestStateFlags(0), 0);
}

TEST(EditorStateTest, StoresWhatItIsGiven)
{
    GE_SetMode(kGEModeSimulator);
    EXPECT_EQ(GE_GetMode(), kGEModeSimulator);
    GE_SetCreateKind(kGECreateLineChart);
    EXPECT_EQ(GE_GetCreateKind(), kGECreateLineChart);
    GE_SetPendingRegion(1234, 0x10001003);
    uint32_t object = 0;
    EXPECT_EQ(GE_GetPendingRegion(&object), 0x10001003u);
    EXPECT_EQ(object, 1234u);
    GE_SetDialogArgs(7, 65535);
    uint16_t first = 0, second = 0;
    GE_GetDialogArgs(&first, &second);
    EXPECT_EQ(first, 7);
    EXPECT_EQ(second, 65535);
    EXPECT_EQ(GE_SetDeferredObject(55), 55u);
    EXPECT_EQ(GE_GetDeferredObject(), 55u);

    GE_SetMode(0);
    GE_SetCreateKind(kGECreateNone);
    GE_SetPendingRegion(0, 0);
    GE_SetDialogArgs(0, 0);
    GE_SetDeferredObject(0);
}

TEST(EditorStateTest, CompareVersions)
{
    struct Case {
        const char* a;
        const char* b;
        int result;
    } cases[] = {
        {"3.01", "3.02", -1},
        {"3.02", "3.01", 1},
        {"1.0", "3.02", -14},
        {"1.92", "1.92", 0},
        {"2.0", "3.02", 1},   // unknown: newer than every known name
        {"2.0", "9.9", 0},
        {nullptr, "1.0", 0},  // null: the oldest
        {nullptr, "1.4", -3},
        {"1.4", nullptr, 3},
        {"1.5", "1.51", -1},
        {"", "1.0", 15},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GE_CompareVersions(c.a, c.b), c.result)
            << (c.a ? c.a : "null") << " vs " << (c.b ? c.b : "null");
}

TEST(EditorStateTest, KnownVersions)
{
    for (const char* name : kGEVersionNames)
        EXPECT_EQ(GE_IsKnownVersion(name), 1) << name;
    for (const char* name : {"1.3", "3.02 ", "3", "", "1.50"})
        EXPECT_EQ(GE_IsKnownVersion(name), 0) << name;
    EXPECT_EQ(GE_IsKnownVersion(nullptr), 0);
}

TEST(EditorStateTest, RegionKindIndex)
{
    struct Case {
        uint32_t kind;
        int16_t index;
    } cases[] = {
        {4096, 0},
        {4097, 1},
        {4126, 30},
        {0x10001000, 1},  // key region of 4096
        {0x10001003, 4},  // key region of 4099
        {69662, 30},      // line-chart kind 0x1101E
    };
    for (const Case& c : cases)
        EXPECT_EQ(GE_RegionKindIndex(c.kind), c.index) << c.kind;
}

}  // namespace
