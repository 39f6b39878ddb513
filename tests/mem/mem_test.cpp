// Tests of the kernel memory handles.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "xkv/mem/Mem.h"

namespace {

std::vector<KernelStatus> g_reported;

void RecordError(KernelStatus status)
{
    g_reported.push_back(status);
}

// The module is initialised once per process, as at start-up, with a
// callback that records what it is told.
class MemTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static const KernelStatus first = Mem_Init(RecordError, nullptr);
        (void)first;
    }
    void SetUp() override { g_reported.clear(); }
    void TearDown() override
    {
        for (MemHandle h : owned_) {
            Mem_Free(h);
        }
    }

    MemHandle Alloc(size_t size)
    {
        MemHandle h = 0;
        EXPECT_EQ(Mem_Alloc(&h, size), kStatusOk);
        owned_.push_back(h);
        return h;
    }

    template <typename T = unsigned char>
    T* Lock(MemHandle h)
    {
        T* p = nullptr;
        EXPECT_EQ(Mem_LockAs(h, &p), kStatusOk);
        return p;
    }

    std::vector<MemHandle> owned_;
};

TEST_F(MemTest, SecondInitReturnsOneAndKeepsTheCallback)
{
    EXPECT_EQ(Mem_Init(nullptr, nullptr), 1u);
    MemHandle h = 0;
    EXPECT_EQ(Mem_Alloc(&h, kMemMaxBlockSize + 1), kStatusOutOfMemory);
    EXPECT_EQ(g_reported, std::vector<KernelStatus>{kStatusOutOfMemory});
}

TEST_F(MemTest, NewBlockIsZeroFilledAndSized)
{
    MemHandle h = Alloc(100);
    EXPECT_NE(h, 0u);
    EXPECT_EQ(Mem_Size(h), 100u);
    const unsigned char* p = Lock(h);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(p[i], 0) << i;
    }
    EXPECT_EQ(Mem_Unlock(h), kStatusOk);
}

TEST_F(MemTest, EmptyBlockHasSizeZeroAndCannotBeDuplicated)
{
    MemHandle h = Alloc(0);
    EXPECT_NE(h, 0u);
    EXPECT_EQ(Mem_Size(h), 0u);
    void* p = nullptr;
    EXPECT_EQ(Mem_Lock(h, &p), kStatusOk);
    EXPECT_NE(p, nullptr);
    MemHandle copy = 0;
    EXPECT_EQ(Mem_Duplicate(&copy, h), kStatusBadArgument);
    EXPECT_EQ(copy, 0u);
}

TEST_F(MemTest, BlocksAreAlignedForAnyType)
{
    for (size_t size : {1, 3, 8, 17, 1000}) {
        void* p = nullptr;
        ASSERT_EQ(Mem_Lock(Alloc(size), &p), kStatusOk);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t), 0u) << size;
    }
}

TEST_F(MemTest, ReallocKeepsDataAndZeroFillsGrowth)
{
    MemHandle h = Alloc(10);
    std::memset(Lock(h), 0xab, 10);
    MemHandle before = h;
    ASSERT_EQ(Mem_Realloc(&h, 20), kStatusOk);
    owned_.back() = h;
    EXPECT_EQ(h, before);  // the handle outlives the move of its data
    EXPECT_EQ(Mem_Size(h), 20u);
    const unsigned char* p = Lock(h);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(p[i], 0xab) << i;
    }
    for (int i = 10; i < 20; ++i) {
        EXPECT_EQ(p[i], 0) << i;
    }
    // Shrinking and growing again must not bring the old bytes back.
    ASSERT_EQ(Mem_Realloc(&h, 4), kStatusOk);
    ASSERT_EQ(Mem_Realloc(&h, 10), kStatusOk);
    p = Lock(h);
    EXPECT_EQ(p[3], 0xab);
    EXPECT_EQ(p[4], 0);
    EXPECT_EQ(p[9], 0);
}

TEST_F(MemTest, RefusedAllocationsReport55AndKeepTheOldBlock)
{
    MemHandle none = 0;
    EXPECT_EQ(Mem_Alloc(&none, kMemMaxBlockSize + 1), kStatusOutOfMemory);
    EXPECT_EQ(none, 0u);

    MemHandle h = Alloc(8);
    Lock(h)[0] = 7;
    MemHandle same = h;
    EXPECT_EQ(Mem_Realloc(&h, kMemMaxBlockSize + 1), kStatusOutOfMemory);
    EXPECT_EQ(h, same);
    EXPECT_EQ(Mem_Size(h), 8u);
    EXPECT_EQ(Lock(h)[0], 7);

    void* raw = nullptr;
    EXPECT_EQ(Mem_RawAlloc(&raw, SIZE_MAX), kStatusOutOfMemory);
    EXPECT_EQ(g_reported, std::vector<KernelStatus>(3, kStatusOutOfMemory));
}

TEST_F(MemTest, NullHandlesAndAddressesGive33)
{
    MemHandle zero = 0;
    void* p = nullptr;
    unsigned char byte = 1;
    EXPECT_EQ(Mem_Alloc(nullptr, 4), kStatusNullHandle);
    EXPECT_EQ(Mem_Realloc(&zero, 4), kStatusNullHandle);
    EXPECT_EQ(Mem_Realloc(nullptr, 4), kStatusNullHandle);
    EXPECT_EQ(Mem_Free(0), kStatusNullHandle);
    EXPECT_EQ(Mem_Lock(0, &p), kStatusNullHandle);
    EXPECT_EQ(Mem_Lock(Alloc(4), nullptr), kStatusNullHandle);
    EXPECT_EQ(Mem_Unlock(0), kStatusNullHandle);
    EXPECT_EQ(Mem_Size(0), 0u);
    EXPECT_EQ(Mem_Duplicate(nullptr, Alloc(4)), kStatusNullHandle);
    EXPECT_EQ(Mem_Duplicate(&zero, 0), kStatusNullHandle);
    EXPECT_EQ(Mem_Copy(0, Alloc(4), 4), kStatusNullHandle);
    EXPECT_EQ(Mem_Copy(Alloc(4), 0, 4), kStatusNullHandle);
    EXPECT_EQ(Mem_AllocCopy(&zero, nullptr, 4), kStatusNullHandle);
    EXPECT_EQ(Mem_Move(nullptr, &byte, 1), kStatusNullHandle);
    EXPECT_EQ(Mem_Move(&byte, nullptr, 1), kStatusNullHandle);
    EXPECT_EQ(Mem_Fill(nullptr, 1, 0), kStatusNullHandle);
    EXPECT_EQ(Mem_RawAlloc(nullptr, 4), kStatusNullHandle);
    EXPECT_EQ(Mem_RawAlloc(&p, 0), kStatusNullHandle);
    EXPECT_EQ(Mem_RawFree(nullptr), kStatusNullHandle);
    EXPECT_EQ(Mem_CopyOut(nullptr, Alloc(4)), kStatusNullHandle);
    EXPECT_EQ(byte, 1);
}

TEST_F(MemTest, FreedHandleIsRefusedEvenWhenItsSlotIsReused)
{
    MemHandle old = 0;
    ASSERT_EQ(Mem_Alloc(&old, 16), kStatusOk);
    ASSERT_EQ(Mem_Free(old), kStatusOk);
    EXPECT_EQ(Mem_Free(old), kStatusNullHandle);  // no double free

    std::vector<MemHandle> fresh;
    for (int i = 0; i < 8; ++i) {
        fresh.push_back(Alloc(16));
        EXPECT_NE(fresh.back(), old);
    }
    void* p = nullptr;
    EXPECT_EQ(Mem_Lock(old, &p), kStatusNullHandle);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(Mem_Size(old), 0u);
    EXPECT_EQ(Mem_Unlock(old), kStatusNullHandle);
    EXPECT_EQ(Mem_Lock(0x00ffffffu, &p), kStatusNullHandle);  // never allocated
}

TEST_F(MemTest, ManyBlocksKeepTheirOwnData)
{
    std::vector<MemHandle> blocks;
    for (uint32_t i = 0; i < 5000; ++i) {
        blocks.push_back(Alloc(sizeof(uint32_t)));
        *Lock<uint32_t>(blocks.back()) = i;
    }
    for (uint32_t i = 0; i < blocks.size(); i += 2) {
        ASSERT_EQ(Mem_Free(blocks[i]), kStatusOk);
        owned_[i] = 0;
    }
    for (uint32_t i = 1; i < blocks.size(); i += 2) {
        EXPECT_EQ(*Lock<uint32_t>(blocks[i]), i);
    }
}

TEST_F(MemTest, CopyTakesTheSmallestOfTheThreeSizes)
{
    struct Case {
        size_t destination, source, n, copied;
    };
    for (const Case& c : std::array<Case, 4>{{{4, 8, 100, 4}, {8, 4, 100, 4}, {8, 8, 2, 2}, {8, 8, 0, 0}}}) {
        MemHandle to = Alloc(c.destination);
        MemHandle from = Alloc(c.source);
        std::memset(Lock(from), 0x5a, c.source);
        ASSERT_EQ(Mem_Copy(to, from, c.n), kStatusOk);
        const unsigned char* p = Lock(to);
        for (size_t i = 0; i < c.destination; ++i) {
            EXPECT_EQ(p[i], i < c.copied ? 0x5a : 0) << "case " << c.destination << "/" << c.source << "/" << c.n
                                                    << " byte " << i;
        }
    }
}

TEST_F(MemTest, DuplicateAndAllocCopyMakeIndependentCopies)
{
    const char text[] = "kernel block";
    MemHandle a = 0;
    ASSERT_EQ(Mem_AllocCopy(&a, text, sizeof text), kStatusOk);
    owned_.push_back(a);
    MemHandle b = 0;
    ASSERT_EQ(Mem_Duplicate(&b, a), kStatusOk);
    owned_.push_back(b);
    EXPECT_NE(a, b);
    EXPECT_EQ(Mem_Size(b), sizeof text);
    Lock<char>(a)[0] = 'K';
    EXPECT_STREQ(Lock<char>(b), "kernel block");

    char out[sizeof text] = {};
    EXPECT_EQ(Mem_CopyOut(out, a), kStatusOk);
    EXPECT_STREQ(out, "Kernel block");
    EXPECT_EQ(Mem_CopyOut(out, 0), kStatusNullHandle);
    EXPECT_EQ(out[0], 0);
}

TEST_F(MemTest, LockedVariantsAllocateGrowAndRelock)
{
    MemHandle h = 0;
    void* p = nullptr;
    ASSERT_EQ(Mem_ReallocLocked(&h, &p, 4), kStatusOk);  // handle 0 allocates
    ASSERT_NE(h, 0u);
    owned_.push_back(h);
    std::memcpy(p, "abcd", 4);
    ASSERT_EQ(Mem_ReallocLocked(&h, &p, 4096), kStatusOk);
    owned_.back() = h;
    EXPECT_EQ(std::memcmp(p, "abcd", 4), 0);
    EXPECT_EQ(static_cast<unsigned char*>(p)[4095], 0);
    EXPECT_EQ(Mem_ReallocLocked(nullptr, &p, 4), kStatusNullHandle);

    MemHandle g = 0;
    void* q = nullptr;
    ASSERT_EQ(Mem_AllocLocked(&g, &q, 12), kStatusOk);
    owned_.push_back(g);
    void* again = nullptr;
    ASSERT_EQ(Mem_Lock(g, &again), kStatusOk);
    EXPECT_EQ(q, again);
}

TEST_F(MemTest, MoveFillAndCompareWorkOnAddresses)
{
    char buffer[] = "0123456789";
    EXPECT_EQ(Mem_Move(buffer + 2, buffer, 5), kStatusOk);  // overlapping
    EXPECT_STREQ(buffer, "0101234789");
    EXPECT_EQ(Mem_Fill(buffer, 3, 'x'), kStatusOk);
    EXPECT_STREQ(buffer, "xxx1234789");
    EXPECT_LT(Mem_Compare("abc", "abd", 3), 0);
    EXPECT_GT(Mem_Compare("abd", "abc", 3), 0);
    EXPECT_EQ(Mem_Compare("abX", "abY", 2), 0);
    EXPECT_GT(Mem_Compare("\xff", "\x01", 1), 0);  // bytes compare unsigned
}

TEST_F(MemTest, RawMemoryIsZeroFilled)
{
    void* p = nullptr;
    ASSERT_EQ(Mem_RawAlloc(&p, 64), kStatusOk);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(static_cast<unsigned char*>(p)[i], 0);
    }
    EXPECT_EQ(Mem_RawFree(p), kStatusOk);
}

TEST_F(MemTest, WriteReportCreatesOrTruncatesTheFile)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("mem_report_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path file = dir / "report";
    std::ofstream(file) << "old contents";
    EXPECT_EQ(Mem_WriteReport(file.c_str()), kStatusOk);
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_EQ(Mem_WriteReport((dir / "missing" / "x").c_str()), kStatusOk);  // always 0

    fs::path cwd = fs::current_path();
    fs::current_path(dir);
    EXPECT_EQ(Mem_WriteReport(nullptr), kStatusOk);
    EXPECT_TRUE(fs::exists(dir / "memory.report"));
    fs::current_path(cwd);
    fs::remove_all(dir);
}

}  // namespace
