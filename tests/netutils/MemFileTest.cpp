// In-memory text files: block growth, reading in pieces and in place, moving
// the read position back, and reuse after a reset.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "atolq/Utils/MemFile.h"

namespace {

struct FileDestroy {
    void operator()(MemFile* file) const { MemFileDestroy(file); }
};
using File = std::unique_ptr<MemFile, FileDestroy>;

// Bytes whose value tells their index, and that include 0 and 0xff.
std::string Pattern(size_t n)
{
    std::string out(n, '\0');
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
    return out;
}

File Filled(const std::string& bytes)
{
    File file(MemFileCreate());
    EXPECT_EQ(MemFileWrite(file.get(), bytes.data(), static_cast<uint32_t>(bytes.size())), 0);
    return file;
}

std::string ReadAllByGetc(MemFile* file)
{
    std::string out;
    for (int c; (c = MemFileGetc(file)) != -1;)
        out.push_back(static_cast<char>(c));
    return out;
}

TEST(MemFileTest, GrowsOneBlockAtATime)
{
    File file = Filled(Pattern(1024));
    EXPECT_EQ(MemFileLength(file.get()), 1024u);
    EXPECT_EQ(file->blockNumber, 1u);
    EXPECT_EQ(MemFileWrite(file.get(), "", 0), 0);
    EXPECT_EQ(file->blockNumber, 1u);
    EXPECT_EQ(MemFilePutc(file.get(), 'x'), 0);
    EXPECT_EQ(MemFileLength(file.get()), 1025u);
    EXPECT_EQ(file->blockNumber, 2u);
    EXPECT_EQ(file->firstBlock->next, file->writeBlock);
    EXPECT_EQ(file->writeBlock->prev, file->firstBlock);
}

// However the bytes are written, the same bytes come back.
TEST(MemFileTest, WritingInAnyPiecesKeepsTheBytes)
{
    const std::string data = Pattern(5000);
    struct Case {
        const char* name;
        std::vector<size_t> pieces;  // sizes of the writes; 0 means single putc calls
    } cases[] = {
        {"one write", {5000}},
        {"block-sized", {1024, 1024, 1024, 1024, 904}},
        {"across boundaries", {1023, 2, 1023, 2, 2950}},
        {"putc", {0}},
    };
    for (const Case& c : cases) {
        File file(MemFileCreate());
        if (c.pieces == std::vector<size_t>{0}) {
            for (char ch : data)
                MemFilePutc(file.get(), ch);
        } else {
            size_t at = 0;
            for (size_t piece : c.pieces) {
                MemFileWrite(file.get(), data.data() + at, static_cast<uint32_t>(piece));
                at += piece;
            }
        }
        EXPECT_EQ(MemFileLength(file.get()), 5000u) << c.name;
        EXPECT_EQ(file->blockNumber, 5u) << c.name;
        EXPECT_TRUE(ReadAllByGetc(file.get()) == data) << c.name;
    }
}

TEST(MemFileTest, ReadInPiecesEndsWithShortCount)
{
    const std::string data = Pattern(3000);
    File file = Filled(data);
    std::string back;
    std::vector<std::pair<int, uint32_t>> results;
    for (int i = 0; i < 5; ++i) {
        char buffer[700];
        uint32_t count = sizeof buffer;
        int result = MemFileRead(file.get(), buffer, &count);
        results.emplace_back(result, count);
        back.append(buffer, count);
    }
    EXPECT_EQ(results, (std::vector<std::pair<int, uint32_t>>{{0, 700}, {0, 700}, {0, 700}, {0, 700}, {-1, 200}}));
    EXPECT_TRUE(back == data);

    char buffer[8];
    uint32_t count = sizeof buffer;
    EXPECT_EQ(MemFileRead(file.get(), buffer, &count), -1);
    EXPECT_EQ(count, 0u);
}

TEST(MemFileTest, ReadPtrGivesPiecesWithinBlocks)
{
    const std::string data = Pattern(2500);
    struct Case {
        uint32_t request;
        std::vector<uint32_t> pieces;
    } cases[] = {
        {4096, {1024, 1024, 452}},
        {1000, {1000, 24, 1000, 24, 452}},
        {2500, {1024, 1024, 452}},
    };
    for (const Case& c : cases) {
        File file = Filled(data);
        std::string back;
        std::vector<uint32_t> pieces;
        for (int guard = 0; guard < 20; ++guard) {
            const char* at = nullptr;
            uint32_t count = c.request;
            int result = MemFileReadPtr(file.get(), &at, &count);
            back.append(at, count);
            pieces.push_back(count);
            if (result == -1)
                break;
        }
        EXPECT_TRUE(back == data) << c.request;
        EXPECT_EQ(pieces, c.pieces) << c.request;
    }
}

TEST(MemFileTest, ReadingAndWritingPositionsAreIndependent)
{
    File file = Filled("abc");
    EXPECT_EQ(MemFileGetc(file.get()), 'a');
    MemFileWrite(file.get(), "de", 2);
    EXPECT_EQ(ReadAllByGetc(file.get()), "bcde");
    MemFilePutc(file.get(), 'f');
    EXPECT_EQ(MemFileGetc(file.get()), 'f');
    MemFileRewind(file.get());
    EXPECT_EQ(ReadAllByGetc(file.get()), "abcdef");
}

TEST(MemFileTest, GetcGivesHighBytesAsPositive)
{
    File file = Filled("\xff\x80");
    EXPECT_EQ(MemFileGetc(file.get()), 0xff);
    EXPECT_EQ(MemFileGetc(file.get()), 0x80);
    EXPECT_EQ(MemFileGetc(file.get()), -1);
}

TEST(MemFileTest, EmptyFileHasNothingToRead)
{
    File file(MemFileCreate());
    EXPECT_EQ(MemFileLength(file.get()), 0u);
    EXPECT_EQ(MemFileGetc(file.get()), -1);
    EXPECT_EQ(MemFileUngetc(file.get()), -1);
    EXPECT_EQ(file->readOffset, 0);
}

TEST(MemFileTest, SeekBackAcrossBlocks)
{
    const std::string data = Pattern(2048);
    File file = Filled(data);
    char buffer[1025];
    uint32_t count = sizeof buffer;
    ASSERT_EQ(MemFileRead(file.get(), buffer, &count), 0);
    ASSERT_EQ(MemFileSeekBack(file.get(), 2), 0);
    EXPECT_EQ(MemFileGetc(file.get()), static_cast<unsigned char>(data[1023]));

    EXPECT_EQ(MemFileSeekBack(file.get(), 0), 0);
    EXPECT_EQ(MemFileGetc(file.get()), static_cast<unsigned char>(data[1024]));
    EXPECT_EQ(MemFileSeekBack(file.get(), 1025), 0);
    EXPECT_EQ(MemFileGetc(file.get()), static_cast<unsigned char>(data[0]));
    EXPECT_EQ(MemFileSeekBack(file.get(), 5), -1);
    EXPECT_EQ(file->readBlock, file->firstBlock);
    EXPECT_EQ(MemFileGetc(file.get()), static_cast<unsigned char>(data[0]));
}

TEST(MemFileTest, UngetcAcrossBlockBoundary)
{
    const std::string data = Pattern(1500);
    File file = Filled(data);
    char buffer[1024];
    uint32_t count = sizeof buffer;
    MemFileRead(file.get(), buffer, &count);
    EXPECT_EQ(MemFileGetc(file.get()), static_cast<unsigned char>(data[1024]));
    EXPECT_EQ(MemFileUngetc(file.get()), 0);
    EXPECT_EQ(MemFileUngetc(file.get()), 0);
    EXPECT_EQ(MemFileGetc(file.get()), static_cast<unsigned char>(data[1023]));
    MemFileRewind(file.get());
    EXPECT_EQ(MemFileUngetc(file.get()), -1);
    EXPECT_EQ(MemFileGetc(file.get()), static_cast<unsigned char>(data[0]));
}

TEST(MemFileTest, ResetEmptiesAndAllowsReuse)
{
    File file = Filled(Pattern(4000));
    MemFileGetc(file.get());
    MemFileReset(file.get());
    EXPECT_EQ(MemFileLength(file.get()), 0u);
    EXPECT_EQ(file->blockNumber, 1u);
    EXPECT_EQ(file->firstBlock->next, nullptr);
    char buffer[4];
    uint32_t count = sizeof buffer;
    EXPECT_EQ(MemFileRead(file.get(), buffer, &count), -1);
    EXPECT_EQ(count, 0u);

    const std::string again = Pattern(1500);
    MemFileWrite(file.get(), again.data(), static_cast<uint32_t>(again.size()));
    EXPECT_EQ(MemFileLength(file.get()), 1500u);
    EXPECT_TRUE(ReadAllByGetc(file.get()) == again);
}

}  // namespace
