// Interface units, object lists and the stubs.
#include <gtest/gtest.h>

#include "xkv/group/Group.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXMem.h"

namespace {

struct ToInt {
    Fixed value;
    int16_t pixels;
};

class FixedToIntTest : public ::testing::TestWithParam<ToInt> {};

TEST_P(FixedToIntTest, RoundsHalvesUpAndSaturates)
{
    EXPECT_EQ(QXUtil_FixedToInt(GetParam().value), GetParam().pixels) << std::hex << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, FixedToIntTest,
                         ::testing::Values(ToInt{0x4000, 1}, ToInt{0x3fff, 0}, ToInt{-0x4000, 0},
                                           ToInt{-0x4001, -1}, ToInt{0x10000, 2}, ToInt{0, 0},
                                           ToInt{32767 * 0x8000, 32767}, ToInt{0x3fffc000, 32767},
                                           ToInt{0x7fffffff, 32767}, ToInt{INT32_MIN, -32768},
                                           ToInt{-32768 * 0x8000, -32768}));

struct ToFixed {
    int32_t pixels;
    Fixed value;
};

class IntToFixedTest : public ::testing::TestWithParam<ToFixed> {};

TEST_P(IntToFixedTest, ShiftsAndNeverOverflows)
{
    EXPECT_EQ(QXUtil_IntToFixed(GetParam().pixels), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Values, IntToFixedTest,
                         ::testing::Values(ToFixed{-3, -98304}, ToFixed{0, 0}, ToFixed{1, 0x8000},
                                           ToFixed{32767, 32767 * 0x8000}, ToFixed{-32768, -32768 * 0x8000},
                                           ToFixed{70000, 32767 * 0x8000}, ToFixed{-70000, -32768 * 0x8000}));

class ListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        QXStatus = 0;
    }
    void TearDown() override { Group_DestroyTable(); }
};

TEST_F(ListTest, EmptyGroupGivesCountZeroNoBlockAndLeavesTheStatus)
{
    QXStatus = 44;
    GroupNumber g = Group_New();
    uint16_t count = 9;
    ObjectHandle* array = reinterpret_cast<ObjectHandle*>(&count);
    EXPECT_EQ(QXUtil_GroupToArray(g, &array, &count), 1u);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(array, nullptr);
    EXPECT_EQ(QXStatus, 44u);
    Group_Free(g);
}

TEST_F(ListTest, ArrayToGroupAndBackKeepsTheOrder)
{
    const ObjectHandle handles[] = {7, 3, 11};
    GroupNumber g = 0;
    ASSERT_EQ(QXUtil_ArrayToGroup(&g, handles, 3), 1u);
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    ASSERT_EQ(QXUtil_GroupToArray(g, &array, &count), 1u);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(array[0], 7u);
    EXPECT_EQ(array[1], 3u);
    EXPECT_EQ(array[2], 11u);
    QXMem_Free(array);
    EXPECT_EQ(QXStatus, 0u);
    Group_Free(g);
}

TEST_F(ListTest, StubsAndMerge)
{
    EXPECT_EQ(QXRdAttr_SelectableFlag(), 1u);
    EXPECT_EQ(QXText_MaxLineLength(), 20u);
    EXPECT_EQ(QXRdAttr_MaxObjectCount(), 200u);
    const ObjectHandle objects[] = {4, 5};
    EXPECT_EQ(QXUI_Merge(objects, 0, 9), 0u);
    EXPECT_EQ(QXStatus, 39u);
    QXStatus = 0;
    EXPECT_EQ(QXUI_Merge(objects, 2, 0), 0u);
    EXPECT_EQ(QXStatus, 39u);
    QXStatus = 0;
    EXPECT_EQ(QXUI_Merge(objects, 2, 9), 1u);
    EXPECT_EQ(QXStatus, 0u);
}

}  // namespace
