// The encoding stream's units and the file layer's primitives.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include "xkv/file/File.h"
#include "FileTestSupport.h"

namespace {

std::vector<uint8_t> Encoded(auto encode)
{
    std::vector<uint8_t> buffer(64, 0xAA);
    EncodeStream stream;
    EncodeStream_InitMemory(&stream, buffer.data(), static_cast<uint32_t>(buffer.size()), kEncode);
    EXPECT_EQ(encode(&stream), 1);
    buffer.resize(stream.position);
    return buffer;
}

TEST(EncodeStream, UnitsAreBigEndianAndPadded)
{
    int16_t minusTwo = -2;
    EXPECT_EQ(Encoded([&](EncodeStream* s) { return EncodeStream_Short(s, &minusTwo); }),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFE}));
    int16_t code = 0x0808;
    EXPECT_EQ(Encoded([&](EncodeStream* s) { return EncodeStream_Short(s, &code); }),
              (std::vector<uint8_t>{0, 0, 8, 8}));
    uint8_t one = 1;
    EXPECT_EQ(Encoded([&](EncodeStream* s) { return EncodeStream_Byte(s, &one); }),
              (std::vector<uint8_t>{0, 0, 0, 1}));
    uint32_t word = 0x01020304;
    EXPECT_EQ(Encoded([&](EncodeStream* s) { return EncodeStream_Long(s, &word); }),
              (std::vector<uint8_t>{1, 2, 3, 4}));
    uint8_t five[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(Encoded([&](EncodeStream* s) { return EncodeStream_Opaque(s, five, 5); }).size(), 8u);
    EXPECT_EQ(Encoded([&](EncodeStream* s) { return EncodeStream_Opaque(s, five, 4); }).size(), 4u);
}

TEST(EncodeStream, DecodesWhatItEncodedAndRefusesShortBuffers)
{
    std::vector<uint8_t> bytes = Encoded([](EncodeStream* s) {
        char text[] = "abc";
        int16_t half = -300;
        return EncodeStream_String(s, text, 10) && EncodeStream_Short(s, &half);
    });
    EncodeStream stream;
    EncodeStream_InitMemory(&stream, bytes.data(), static_cast<uint32_t>(bytes.size()), kDecode);
    char text[11] = {};
    int16_t half = 0;
    ASSERT_EQ(EncodeStream_String(&stream, text, 10), 1);
    ASSERT_EQ(EncodeStream_Short(&stream, &half), 1);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(half, -300);
    // A string longer than the maximum fails; so does reading past the end.
    EncodeStream_InitMemory(&stream, bytes.data(), static_cast<uint32_t>(bytes.size()), kDecode);
    char small[3] = {};
    EXPECT_EQ(EncodeStream_String(&stream, small, 2), 0);
    uint32_t value = 7;
    EncodeStream_InitMemory(&stream, bytes.data(), 3, kDecode);
    EXPECT_EQ(EncodeStream_Value(&stream, &value), 0);
    EXPECT_EQ(value, 7u);
    EXPECT_TRUE(EncodeStream_ByteFailed());
}

TEST(FileLayer, ErrnoTable)
{
    EXPECT_EQ(File_ErrnoStatus(0), 0u);
    EXPECT_EQ(File_ErrnoStatus(EACCES), 28u);
    EXPECT_EQ(File_ErrnoStatus(ENOENT), 10u);
    EXPECT_EQ(File_ErrnoStatus(EIO), 24u);
    EXPECT_EQ(File_ErrnoStatus(ENOMEM), 55u);
    EXPECT_EQ(File_ErrnoStatus(EMFILE), 29u);
    EXPECT_EQ(File_ErrnoStatus(ENOSPC), 25u);
    EXPECT_EQ(File_ErrnoStatus(EBUSY), 54u);
}

TEST(FileLayer, ReadsAndStreamSwitching)
{
    TempDir dir;
    std::string path = dir.path + "/six";
    WriteBytes(path, {1, 2, 3, 4, 5, 6});
    FileHandle file = 0;
    ASSERT_EQ(File_Open(path.c_str(), kOpenRead, &file), kStatusOk);
    uint8_t buffer[10];
    EXPECT_EQ(File_ReadExact(file, buffer, 10), kStatusEndOfFile);
    EXPECT_EQ(File_StreamOn(file, kDecode), kStatusOk);
    EXPECT_EQ(File_StreamOn(file, kDecode), kStatusEncoding);
    EXPECT_EQ(File_StreamOff(file), kStatusOk);
    EXPECT_EQ(File_StreamOff(file), kStatusEncoding);
    EXPECT_EQ(File_Close(file), kStatusOk);
    EXPECT_EQ(File_Open(path.c_str(), 7, &file), kStatusBadArgument);
    EXPECT_EQ(File_Open((dir.path + "/missing").c_str(), kOpenRead, &file), 10u);
    EXPECT_EQ(file, 0u);
}

TEST(FileLayer, RawValuesFollowTheReadOrder)
{
    TempDir dir;
    std::string path = dir.path + "/raw";
    WriteBytes(path, {0x12, 0x34, 0x12, 0x34});
    FileHandle file = 0;
    ASSERT_EQ(File_Open(path.c_str(), kOpenRead, &file), kStatusOk);
    int16_t value = 0;
    File_SetRawBigEndian(1);
    ASSERT_EQ(File_ReadValue(file, &value, 2), kStatusOk);
    EXPECT_EQ(value, 0x1234);
    File_SetRawBigEndian(0);
    ASSERT_EQ(File_ReadValue(file, &value, 2), kStatusOk);
    EXPECT_EQ(value, 0x3412);
    File_SetRawBigEndian(1);
    File_Close(file);
}

TEST(FileLayer, PathsAndCopies)
{
    std::string base, directory;
    File_SplitPath("/a/b/c.dia", &base, &directory);
    EXPECT_EQ(base, "c.dia");
    EXPECT_EQ(directory, "/a/b/");
    File_SplitPath("plain", &base, &directory);
    EXPECT_EQ(base, "plain");
    EXPECT_EQ(directory, "");
    TempDir dir;
    std::vector<uint8_t> content(1000);
    for (size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<uint8_t>(i * 7);
    }
    WriteBytes(dir.path + "/from", content);
    ASSERT_EQ(File_Copy((dir.path + "/from").c_str(), (dir.path + "/to").c_str()), kStatusOk);
    EXPECT_EQ(ReadBytes(dir.path + "/to"), content);
    FileInfo info;
    ASSERT_EQ(File_GetInfo((dir.path + "/to").c_str(), &info), kStatusOk);
    EXPECT_EQ(info.size, 1000u);
    EXPECT_EQ(info.exists, 1u);
    EXPECT_EQ(info.readable, 1u);
    ASSERT_EQ(File_GetInfo((dir.path + "/none").c_str(), &info), kStatusOk);
    EXPECT_EQ(info.exists, 0u);
}

TEST(ReplaceWithBackup, KeepsTheOldFileAsBackupAndItsPermissions)
{
    TempDir dir;
    std::string target = dir.path + "/net.dia";
    WriteBytes(target, {1});
    chmod(target.c_str(), 0444);
    WriteBytes(target + "~", {9});
    chmod((target + "~").c_str(), 0600);
    WriteBytes(target + ".tmp", {2});
    ASSERT_EQ(File_ReplaceWithBackup(target.c_str(), (target + ".tmp").c_str()), kStatusOk);
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{2}));
    EXPECT_EQ(ReadBytes(target + "~"), (std::vector<uint8_t>{1}));
    struct stat status {};
    stat(target.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0444u);
    stat((target + "~").c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_FALSE(File_Exists((target + ".tmp").c_str()));
}

TEST(ReplaceWithBackup, AFailedMoveLeavesOldFileAndBackup)
{
    TempDir dir;
    std::string target = dir.path + "/net.dia";
    WriteBytes(target, {1});
    WriteBytes(target + "~", {9});
    EXPECT_NE(File_ReplaceWithBackup(target.c_str(), (dir.path + "/no-such-file").c_str()), kStatusOk);
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{1}));
    EXPECT_EQ(ReadBytes(target + "~"), (std::vector<uint8_t>{9}));
}

}  // namespace
