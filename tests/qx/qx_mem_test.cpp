// QX memory blocks: allocation, the table's growth, freeing by address,
// reallocation and the direct handle entries.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "xkv/kv/QX.h"
#include "xkv/kv/QXMem.h"

namespace {

class QXMemTest : public ::testing::Test {
protected:
    void SetUp() override { QXStatus = 0; }
};

TEST_F(QXMemTest, NewBlockReadsAsZeros)
{
    auto* block = static_cast<unsigned char*>(QXMem_Alloc(64));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(block[i], 0);
    }
    QXMem_Free(block);
    EXPECT_EQ(QXStatus, 0u);
}

TEST_F(QXMemTest, ThousandAndOneLiveBlocksStayValidAndCanBeFreed)
{
    std::vector<uint32_t*> blocks;
    for (uint32_t i = 0; i < 2500; ++i) {
        auto* b = static_cast<uint32_t*>(QXMem_Alloc(sizeof(uint32_t)));
        ASSERT_NE(b, nullptr);
        *b = i;
        blocks.push_back(b);
    }
    for (uint32_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(*blocks[i], i);
        QXMem_Free(blocks[i]);
    }
    EXPECT_EQ(QXStatus, 0u);
}

struct BadFree {
    const char* what;
    int kind;  // 0 twice, 1 foreign address, 2 null, 3 inside a block
};

class QXMemBadFreeTest : public QXMemTest, public ::testing::WithParamInterface<BadFree> {};

TEST_P(QXMemBadFreeTest, SetsStatusSixAndChangesNothing)
{
    auto* block = static_cast<char*>(QXMem_Alloc(16));
    ASSERT_NE(block, nullptr);
    std::strcpy(block, "kept");
    int local = 0;
    switch (GetParam().kind) {
    case 0: {
        void* other = QXMem_Alloc(8);
        QXMem_Free(other);
        ASSERT_EQ(QXStatus, 0u);
        QXMem_Free(other);
        break;
    }
    case 1: QXMem_Free(&local); break;
    case 2: QXMem_Free(nullptr); break;
    default: QXMem_Free(block + 1); break;
    }
    EXPECT_EQ(QXStatus, 6u) << GetParam().what;
    EXPECT_STREQ(block, "kept");
    QXStatus = 0;
    QXMem_Free(block);
    EXPECT_EQ(QXStatus, 0u);
}

INSTANTIATE_TEST_SUITE_P(Addresses, QXMemBadFreeTest,
                         ::testing::Values(BadFree{"freed twice", 0}, BadFree{"never allocated", 1},
                                           BadFree{"null", 2}, BadFree{"inside a block", 3}));

TEST_F(QXMemTest, ReallocKeepsContentsAndTheOldAddressBecomesUnknown)
{
    auto* block = static_cast<char*>(QXMem_Alloc(8));
    std::strcpy(block, "abcdefg");
    auto* grown = static_cast<char*>(QXMem_Realloc(block, 4096));
    ASSERT_NE(grown, nullptr);
    EXPECT_STREQ(grown, "abcdefg");
    EXPECT_EQ(grown[4000], 0);  // the grown part is zero
    if (grown != block) {
        QXMem_Free(block);
        EXPECT_EQ(QXStatus, 6u);
        QXStatus = 0;
    }
    QXMem_Free(grown);
    EXPECT_EQ(QXStatus, 0u);
}

TEST_F(QXMemTest, ReallocOfUnknownAddressGivesZeroAndStatusSix)
{
    int local = 0;
    EXPECT_EQ(QXMem_Realloc(&local, 10), nullptr);
    EXPECT_EQ(QXStatus, 6u);
}

// A freed row that still shows an address must not hide a live block that
// later came to the same address through reallocation.
TEST_F(QXMemTest, StaleRowDoesNotHideALiveBlockAtTheSameAddress)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        void* a = QXMem_Alloc(256);
        void* b = QXMem_Alloc(16);
        QXMem_Free(a);
        void* c = QXMem_Alloc(16);  // takes a's row
        void* moved = QXMem_Realloc(b, 256);
        ASSERT_NE(moved, nullptr);
        QXStatus = 0;
        QXMem_Free(moved);
        EXPECT_EQ(QXStatus, 0u);
        QXMem_Free(c);
        EXPECT_EQ(QXStatus, 0u);
    }
}

struct CopyCase {
    bool nullSource;
    bool nullDestination;
    uint32_t result;
    KernelStatus status;
};

class QXMemCopyTest : public QXMemTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(QXMemCopyTest, CopyAndMoveCheckTheirPointers)
{
    char source[8] = "source";
    char destination[8] = "xxxxxxx";
    const CopyCase& c = GetParam();
    EXPECT_EQ(QXMem_Copy(c.nullSource ? nullptr : source, c.nullDestination ? nullptr : destination, 7), c.result);
    EXPECT_EQ(QXStatus, c.status);
    QXStatus = 0;
    EXPECT_EQ(QXMem_Move(c.nullSource ? nullptr : source, c.nullDestination ? nullptr : destination, 7), c.result);
    EXPECT_EQ(QXStatus, c.status);
    if (c.result == 1) {
        EXPECT_STREQ(destination, "source");
    } else {
        EXPECT_STREQ(destination, "xxxxxxx");
    }
}

INSTANTIATE_TEST_SUITE_P(Pointers, QXMemCopyTest,
                         ::testing::Values(CopyCase{false, false, 1, 0}, CopyCase{true, false, 0, 33},
                                           CopyCase{false, true, 0, 33}));

TEST_F(QXMemTest, OverlappingCopyIsCorrect)
{
    char text[] = "abcdef";
    ASSERT_EQ(QXMem_Copy(text, text + 1, 5), 1u);
    EXPECT_STREQ(text, "aabcde");
}

TEST_F(QXMemTest, FillAndCompare)
{
    char a[4] = {};
    char b[4] = {};
    EXPECT_EQ(QXMem_Fill(a, 3, 'z'), 1u);
    EXPECT_EQ(std::string(a, 3), "zzz");
    EXPECT_GT(QXMem_Compare(a, b, 3), 0);
    EXPECT_EQ(QXMem_Compare(a, a, 3), 0);
    EXPECT_EQ(QXMem_Fill(nullptr, 3, 0), 0u);
    EXPECT_EQ(QXStatus, 33u);
    QXStatus = 0;
    EXPECT_EQ(QXMem_Compare(nullptr, b, 3), 0);
    EXPECT_EQ(QXStatus, 33u);
}

TEST_F(QXMemTest, HandleEntriesWrapTheKernelBlocks)
{
    MemHandle h = QXMem_NewHandle(10);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(QXMem_HandleSize(h), 10u);
    h = QXMem_ResizeHandle(h, 100);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(QXMem_HandleSize(h), 100u);
    auto* p = static_cast<unsigned char*>(QXMem_LockHandle(h));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[99], 0);
    EXPECT_EQ(QXMem_UnlockHandle(h), 1u);
    EXPECT_EQ(QXMem_FreeHandle(h), 1u);
    EXPECT_EQ(QXMem_HandleSize(0), 0u);
    EXPECT_EQ(QXMem_FreeHandle(h), 0u);  // stale
    EXPECT_EQ(QXStatus, 33u);
    QXStatus = 0;
    EXPECT_EQ(QXMem_LockHandle(0), nullptr);
    EXPECT_EQ(QXStatus, 33u);
}

}  // namespace
