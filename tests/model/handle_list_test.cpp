// Handle lists: growth at both ends, queue use, removal and the 16-bit limit.
#include <gtest/gtest.h>

#include <vector>

#include "xkv/model/HandleList.h"

namespace {

std::vector<uint32_t> Elements(const HandleList& list)
{
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < List_Count(&list); ++i) {
        out.push_back(List_Member(&list, i));
    }
    return out;
}

class HandleListTest : public ::testing::Test {
protected:
    void TearDown() override { List_Destroy(&list, nullptr, nullptr); }
    HandleList list{};
};

TEST_F(HandleListTest, CapacityZeroHoldsOneElementThenGrowsByTwelve)
{
    ASSERT_EQ(List_Init(&list, 0, 0, 7, 8), kStatusOk);
    EXPECT_EQ(list.lastSlot, 0);
    EXPECT_EQ(list.step, 12);
    EXPECT_EQ(list.word1, 7u);
    EXPECT_EQ(list.word2, 8u);
    List_Append(&list, 1);
    EXPECT_EQ(list.lastSlot, 0);
    List_Append(&list, 2);
    EXPECT_EQ(list.lastSlot, 12);
    EXPECT_EQ(Elements(list), (std::vector<uint32_t>{1, 2}));
}

TEST_F(HandleListTest, ZeroValuesAreRefused)
{
    List_Init(&list, 4, 4, 0, 0);
    EXPECT_EQ(List_Append(&list, 0), kStatusFailed);
    EXPECT_EQ(List_Prepend(&list, 0), kStatusFailed);
    EXPECT_EQ(List_InsertBefore(&list, 0, 5), kStatusFailed);
    EXPECT_EQ(List_Count(&list), 0u);
}

TEST_F(HandleListTest, PoppingTheLastElementStartsAgainAtTheFront)
{
    List_Init(&list, 4, 4, 0, 0);
    List_Append(&list, 1);
    List_Append(&list, 2);
    EXPECT_EQ(List_PopFirst(&list), 1u);
    EXPECT_EQ(list.first, 1);
    EXPECT_EQ(List_PopLast(&list), 2u);
    EXPECT_EQ(list.first, 0);
    EXPECT_EQ(list.end, 0);
    EXPECT_EQ(List_PopFirst(&list), 0u);
}

TEST_F(HandleListTest, AQueueReusesItsFrontRoomInsteadOfGrowing)
{
    List_Init(&list, 8, 4, 0, 0);
    for (uint32_t i = 1; i <= 1000; ++i) {
        ASSERT_EQ(List_Append(&list, i), kStatusOk);
        if (i > 4) {
            ASSERT_EQ(List_PopFirst(&list), i - 4);
        }
    }
    EXPECT_LE(list.lastSlot, 11);
    EXPECT_EQ(Elements(list), (std::vector<uint32_t>{997, 998, 999, 1000}));
}

TEST_F(HandleListTest, PrependingKeepsOrderWhateverTheStep)
{
    for (uint16_t step : {1, 2, 3, 12}) {
        SCOPED_TRACE(step);
        HandleList local{};
        ASSERT_EQ(List_Init(&local, 1, step, 0, 0), kStatusOk);
        for (uint32_t i = 1; i <= 40; ++i) {
            ASSERT_EQ(List_Prepend(&local, i), kStatusOk);
            ASSERT_EQ(List_Append(&local, 100 + i), kStatusOk);
        }
        EXPECT_EQ(List_First(&local), 40u);
        EXPECT_EQ(List_Last(&local), 140u);
        EXPECT_EQ(List_Member(&local, 39), 1u);
        EXPECT_EQ(List_Member(&local, 40), 101u);
        EXPECT_EQ(List_Count(&local), 80u);
        List_Destroy(&local, nullptr, nullptr);
    }
}

TEST_F(HandleListTest, InsertRemoveFindAndFilter)
{
    List_Init(&list, 2, 2, 0, 0);
    for (uint32_t v : {5u, 6u, 5u, 7u}) {
        List_Append(&list, v);
    }
    EXPECT_EQ(List_InsertBefore(&list, 9, 6), kStatusOk);
    EXPECT_EQ(Elements(list), (std::vector<uint32_t>{5, 9, 6, 5, 7}));
    EXPECT_EQ(List_InsertBefore(&list, 9, 42), kStatusNotFound);
    uint32_t index = 0;
    EXPECT_EQ(List_IndexOf(&list, 6, &index), kStatusOk);
    EXPECT_EQ(index, 2u);
    List_RemoveAll(&list, 5);
    EXPECT_EQ(Elements(list), (std::vector<uint32_t>{9, 6, 7}));
    std::vector<uint32_t> rejected;
    List_Filter(
        &list, [](uint32_t e, void*) -> uint32_t { return e != 6; },
        [](uint32_t e, void* argument) -> KernelStatus {
            static_cast<std::vector<uint32_t>*>(argument)->push_back(e);
            return kStatusOk;
        },
        &rejected);
    EXPECT_EQ(Elements(list), (std::vector<uint32_t>{9, 7}));
    EXPECT_EQ(rejected, (std::vector<uint32_t>{6}));
    EXPECT_EQ(List_Find(&list, [](uint32_t e, void*) -> uint32_t { return e < 8; }, nullptr), 7u);
    EXPECT_EQ(List_Contains(&list, 9), 1u);
}

TEST_F(HandleListTest, GrowthPastTheSixteenBitIndexRangeIsRefused)
{
    ASSERT_EQ(List_Init(&list, 65535, 12, 0, 0), kStatusOk);
    for (uint32_t i = 1; i <= 65535; ++i) {
        ASSERT_EQ(List_Append(&list, i), kStatusOk);
    }
    EXPECT_EQ(List_Append(&list, 1), kStatusBadContainerArgument);
    EXPECT_EQ(List_Prepend(&list, 1), kStatusBadContainerArgument);
    EXPECT_EQ(List_Count(&list), 65535u);
    EXPECT_EQ(List_Last(&list), 65535u);
    // Room freed at the front is used again at the back.
    List_PopFirst(&list);
    EXPECT_EQ(List_Append(&list, 70000), kStatusOk);
    EXPECT_EQ(List_Last(&list), 70000u);
    EXPECT_EQ(List_First(&list), 2u);
}

}  // namespace
