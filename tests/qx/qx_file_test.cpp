// QX file functions in a temporary directory: files made and opened around
// callbacks, with and without the encoder (the file selector's answers are
// tested under X in qx_file_x_test.cpp).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "xkv/kv/QXFile.h"
#include "xkv/kv/QXMem.h"

namespace {

namespace fs = std::filesystem;

int gCalls = 0;
uint32_t gReadWord = 0;

uint32_t WriteHello(FileHandle file)
{
    ++gCalls;
    return QXFile_Write(file, "hello", 5);
}

uint32_t WriteWord(FileHandle file)
{
    ++gCalls;
    const uint32_t word = 0x01020304;
    return QXFile_Write(file, &word, 4);
}

uint32_t ReadWord(FileHandle file)
{
    ++gCalls;
    return QXFile_ReadBlock(file, &gReadWord, 4);
}

uint32_t ReadAll(FileHandle file)
{
    ++gCalls;
    char buffer[16] = {};
    uint32_t n = sizeof buffer;
    if (!QXFile_ReadBytes(file, buffer, &n)) {
        return 0;
    }
    return n == 5 && std::memcmp(buffer, "hello", 5) == 0 ? 1 : 0;
}

class QXFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qxfileXXXXXX";
        dir_ = mkdtemp(pattern);
        gCalls = 0;
        QXStatus = 0;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) const { return (fs::path(dir_) / name).string(); }
    std::string dir_;
};

TEST_F(QXFileTest, CreateMakesTheFileAndCallsOnceThenOpenReadsIt)
{
    const std::string path = Path("new.txt");
    QXFileRequest create;
    create.callback = WriteHello;
    create.name = path.c_str();
    ASSERT_EQ(QXFile_CreateFile(&create), 1u) << QXStatus;
    EXPECT_EQ(gCalls, 1);
    std::ifstream in(path);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "hello");

    QXFileRequest open;
    open.callback = ReadAll;
    open.name = path.c_str();
    EXPECT_EQ(QXFile_OpenFile(&open), 1u) << QXStatus;
    EXPECT_EQ(gCalls, 2);
}

TEST_F(QXFileTest, EncodedWordsRoundTripBigEndian)
{
    const std::string path = Path("coded.bin");
    QXFileRequest create;
    create.callback = WriteWord;
    create.name = path.c_str();
    create.stream = 1;
    ASSERT_EQ(QXFile_CreateFile(&create), 1u) << QXStatus;
    QXFileRequest open;
    open.callback = ReadWord;
    open.name = path.c_str();
    open.stream = 1;
    gReadWord = 0;
    ASSERT_EQ(QXFile_OpenFile(&open), 1u) << QXStatus;
    EXPECT_EQ(gReadWord, 0x01020304u);
}

TEST_F(QXFileTest, MissingFileIsNotFoundAndCallsNothing)
{
    const std::string path = Path("missing");
    QXFileRequest open;
    open.callback = ReadAll;
    open.name = path.c_str();
    EXPECT_EQ(QXFile_OpenFile(&open), 0u);
    EXPECT_EQ(QXStatus, 51u);
    EXPECT_EQ(gCalls, 0);
}

TEST_F(QXFileTest, BadRequestsAndUnwritableDirectories)
{
    EXPECT_EQ(QXFile_CreateFile(nullptr), 0u);
    EXPECT_EQ(QXStatus, 6u);
    QXFileRequest noName;
    noName.callback = WriteHello;
    EXPECT_EQ(QXFile_CreateFile(&noName), 0u);
    const std::string inMissingDir = Path("no/such/dir/file");
    QXFileRequest create;
    create.callback = WriteHello;
    create.name = inMissingDir.c_str();
    QXStatus = 0;
    EXPECT_EQ(QXFile_CreateFile(&create), 0u);
    EXPECT_NE(QXStatus, 0u);
    EXPECT_EQ(gCalls, 0);
}

// A block that the file does not hold is a failure, also at the very end of
// the file: a reader must not take the buffer's old bytes for data.
TEST_F(QXFileTest, ReadBlockPastTheEndFails)
{
    struct Case {
        const char* content;
        uint32_t stream;
    };
    for (const Case& c : {Case{"ab", 0}, Case{"", 0}, Case{"ab", 1}}) {
        const std::string path = Path("short");
        std::ofstream(path, std::ios::trunc) << c.content;
        QXFileRequest open;
        open.callback = ReadWord;
        open.name = path.c_str();
        open.stream = c.stream;
        QXStatus = 0;
        EXPECT_EQ(QXFile_OpenFile(&open), 0u) << "content '" << c.content << "' stream " << c.stream;
        EXPECT_NE(QXStatus, 0u);
    }
}

uint32_t WriteHalfThenFail(FileHandle file)
{
    ++gCalls;
    QXFile_Write(file, "half", 4);
    return 0;
}

// Writing goes to a file beside the target; the target is replaced only by
// a complete file, and nothing else is left in the directory.
TEST_F(QXFileTest, CreateReplacesAnExistingFileOnlyWhenTheWriteSucceeded)
{
    const std::string path = Path("kept.txt");
    std::ofstream(path) << "old contents that are longer";
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    QXFileRequest failing;
    failing.callback = WriteHalfThenFail;
    failing.name = path.c_str();
    EXPECT_EQ(QXFile_CreateFile(&failing), 0u);
    std::ifstream before(path);
    std::string text((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "old contents that are longer");

    QXFileRequest writing;
    writing.callback = WriteHello;
    writing.name = path.c_str();
    ASSERT_EQ(QXFile_CreateFile(&writing), 1u) << QXStatus;
    std::ifstream after(path);
    text.assign((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "hello");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
    EXPECT_EQ(gCalls, 2);
}

}  // namespace
