// Cell pools: one pool per rounded size, zeroed and recycled cells.
#include <cstdlib>
#include <cstring>

#include "ReportedError.h"
#include "atolq/Utils/MemPool.h"

namespace {

TEST(MemPoolTest, SizesRoundUpToSharedPool)
{
    MemPool* ten = MemMgrNewPool(10);
    MemPool* twelve = MemMgrNewPool(12);
    ASSERT_NE(ten, nullptr);
    EXPECT_EQ(ten, twelve);
    EXPECT_EQ(ten->cellSize, 12);
    EXPECT_NE(MemMgrNewPool(13), ten);
}

TEST(MemPoolTest, SizeZeroGivesNoPool)
{
    EXPECT_EQ(MemMgrNewPool(0), nullptr);
}

TEST(MemPoolTest, SizeThatCannotBeRoundedGivesNoPool)
{
    EXPECT_EQ(MemMgrNewPool(65534), nullptr);
    EXPECT_NE(MemMgrNewPool(65532), nullptr);
}

TEST(MemPoolTest, FreedCellIsReusedZeroed)
{
    MemPool* pool = MemMgrNewPool(36);
    auto* cell = static_cast<unsigned char*>(MemMgrAlloc(pool));
    ASSERT_NE(cell, nullptr);
    std::memset(cell, 0xAB, 36);
    ASSERT_EQ(MemMgrFree(pool, cell), 1);

    auto* again = static_cast<unsigned char*>(MemMgrAlloc(pool));
    EXPECT_EQ(again, cell);
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(again[i], 0) << "byte " << i;
    MemMgrFree(pool, again);
}

TEST(MemPoolTest, SmallCellsStillHoldTheFreeLink)
{
    MemPool* pool = MemMgrNewPool(4);
    void* a = MemMgrAlloc(pool);
    void* b = MemMgrAlloc(pool);
    ASSERT_TRUE(a && b && a != b);
    MemMgrFree(pool, a);
    MemMgrFree(pool, b);
    EXPECT_EQ(MemMgrAlloc(pool), b);
    EXPECT_EQ(MemMgrAlloc(pool), a);
    MemMgrFree(pool, a);
    MemMgrFree(pool, b);
}

TEST(MemPoolTest, FreeRefusesUnknownPoolAndNullCell)
{
    MemPool stranger{nullptr, 16};
    MemPool* pool = MemMgrNewPool(16);
    void* cell = MemMgrAlloc(pool);
    EXPECT_EQ(MemMgrFree(&stranger, cell), 0);
    EXPECT_EQ(stranger.freeList, nullptr);
    EXPECT_EQ(MemMgrFree(nullptr, cell), 0);
    EXPECT_EQ(MemMgrFree(pool, nullptr), 0);
    EXPECT_EQ(MemMgrFree(pool, cell), 1);
}

TEST(MemPoolTest, FreeAllEmptiesFreeListsAndPoolsStayUsable)
{
    MemPool* pool = MemMgrNewPool(40);
    void* a = MemMgrAlloc(pool);
    void* b = MemMgrAlloc(pool);
    MemMgrFree(pool, a);
    MemMgrFree(pool, b);
    MemMgrFreeAll();
    EXPECT_EQ(pool->freeList, nullptr);
    EXPECT_EQ(MemMgrNewPool(40), pool);
    void* fresh = MemMgrAlloc(pool);
    EXPECT_NE(fresh, nullptr);
    MemMgrFree(pool, fresh);
}

TEST(MemPoolTest, ValidChecksForNull)
{
    int x = 0;
    EXPECT_EQ(MemMgrValid(nullptr), 0);
    EXPECT_NE(MemMgrValid(&x), 0);
}

using MemPoolDeathTest = testing::Test;

TEST_F(MemPoolDeathTest, AllocFromUnknownPoolIsFatal)
{
    MemPool stranger{nullptr, 16};
    EXPECT_EXIT(MemMgrAlloc(&stranger), testing::ExitedWithCode(255), "fatal error 11266");
}

// The abstract net's record kinds and the list pools need 22 distinct sizes
// when none coincide. Run apart, as it fills the process's registry.
TEST_F(MemPoolDeathTest, TwentyTwoCellSizesFit)
{
    EXPECT_EXIT(
        {
            for (uint16_t size = 2000; size < 2000 + 4 * 22; size += 4) {
                MemPool* pool = MemMgrNewPool(size);
                if (MemMgrFree(pool, MemMgrAlloc(pool)) != 1)
                    std::exit(1);
            }
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(MemPoolDeathTest, OneCellSizeTooManyIsFatal)
{
    EXPECT_EXIT(
        {
            for (uint16_t size = 1000; size < 1000 + 4 * (kMaxMemPools + 1); size += 4)
                MemMgrNewPool(size);
        },
        testing::ExitedWithCode(255), "fatal error 11266");
}

}  // namespace
