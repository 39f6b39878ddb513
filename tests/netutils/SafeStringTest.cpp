// Null-safe string helpers, path helpers, case conversion and the hex dump.
#include <cstring>
#include <memory>
#include <string>

#include "ReportedError.h"
#include "atolq/Utils/QXMem.h"
#include "atolq/Utils/SafeString.h"

namespace {

class SafeStringTest : public ReportedErrorTest {};

struct BlockFree {
    void operator()(char* p) const { QXMem_Free(p); }
};
using Block = std::unique_ptr<char, BlockFree>;

TEST_F(SafeStringTest, WrappersWorkOnRealStrings)
{
    char buffer[32] = "ab";
    SafeStrcat(buffer, "cd");
    SafeStrncat(buffer, "efgh", 2);
    EXPECT_STREQ(buffer, "abcdef");
    SafeStrcpy(buffer, "xy");
    EXPECT_STREQ(buffer, "xy");
    SafeStrncpy(buffer, "12345", 3);
    EXPECT_EQ(std::string(buffer, 3), "123");
    EXPECT_LT(SafeStrcmp("a", "b"), 0);
    EXPECT_EQ(SafeStrcmp("a", "a"), 0);
    EXPECT_EQ(SafeStrlen("abc"), 3u);
    EXPECT_STREQ(SafeStrrchr("a/b/c", '/'), "/c");
    EXPECT_EQ(TakeReported(), 0);
}

TEST_F(SafeStringTest, NullArgumentsAreReportedAndHarmless)
{
    char buffer[8] = "keep";
    struct Case {
        const char* name;
        void (*call)(char* buffer);
    } cases[] = {
        {"strcat source", [](char* b) { EXPECT_EQ(SafeStrcat(b, nullptr), b); }},
        {"strcat destination", [](char*) { EXPECT_EQ(SafeStrcat(nullptr, "x"), nullptr); }},
        {"strncat", [](char* b) { SafeStrncat(b, nullptr, 3); }},
        {"strcpy", [](char* b) { SafeStrcpy(b, nullptr); }},
        {"strncpy", [](char*) { SafeStrncpy(nullptr, "x", 1); }},
        {"strcmp first", [](char*) { EXPECT_EQ(SafeStrcmp(nullptr, "a"), 1); }},
        {"strcmp second", [](char*) { EXPECT_EQ(SafeStrcmp("a", nullptr), 1); }},
        {"strlen", [](char*) { EXPECT_EQ(SafeStrlen(nullptr), 0u); }},
        {"strrchr", [](char*) { EXPECT_EQ(SafeStrrchr(static_cast<const char*>(nullptr), '/'), nullptr); }},
    };
    for (const Case& c : cases) {
        c.call(buffer);
        EXPECT_EQ(TakeReported(), kMsgNullPointer) << c.name;
        EXPECT_STREQ(buffer, "keep") << c.name;
    }
}

TEST_F(SafeStringTest, MemZeroClearsAndIgnoresNull)
{
    char buffer[4] = {1, 2, 3, 4};
    EXPECT_EQ(SafeMemZero(buffer, 3), buffer);
    EXPECT_EQ(buffer[2], 0);
    EXPECT_EQ(buffer[3], 4);
    EXPECT_EQ(SafeMemZero(nullptr, 3), nullptr);
    EXPECT_EQ(TakeReported(), 0);
}

TEST_F(SafeStringTest, PathParts)
{
    struct Case {
        const char* path;
        const char* dir;   // null: no result
        const char* file;  // null: no result
    } cases[] = {
        {"a/b/c", "a/b", "c"},
        {"/x", "", "x"},
        {"plain", nullptr, nullptr},
        {"dir/", "dir", nullptr},
        {nullptr, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        Block dir(OSPathDir(c.path));
        Block file(OSPathFile(c.path));
        if (c.dir)
            EXPECT_STREQ(dir.get(), c.dir) << (c.path ? c.path : "null");
        else
            EXPECT_EQ(dir, nullptr) << (c.path ? c.path : "null");
        if (c.file)
            EXPECT_STREQ(file.get(), c.file) << (c.path ? c.path : "null");
        else
            EXPECT_EQ(file, nullptr) << (c.path ? c.path : "null");
    }
    EXPECT_EQ(TakeReported(), 0);
}

TEST_F(SafeStringTest, CaseConversionInPlace)
{
    char text[] = "Net-Page \xE9 1";
    EXPECT_EQ(OSUpperCase(text), text);
    EXPECT_STREQ(text, "NET-PAGE \xE9 1");
    EXPECT_STREQ(OSLowerCase(text), "net-page \xE9 1");
    EXPECT_EQ(OSLowerCase(nullptr), nullptr);
}

TEST_F(SafeStringTest, HexDumpLayout)
{
    const char bytes[] = "ABCDEFGHIJKLMNOP\x01Z";
    testing::internal::CaptureStderr();
    uint32_t rounded = OSHexDump(bytes, 18);
    std::string dump = testing::internal::GetCapturedStderr();
    EXPECT_EQ(rounded, 32u);
    EXPECT_EQ(dump,
              "0000 41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50 ABCDEFGHIJKLMNOP\n"
              "0010 01 5a " + std::string(14 * 3, ' ') + ".Z\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(OSHexDump(bytes, 16), 16u);
    EXPECT_EQ(testing::internal::GetCapturedStderr().size(), 5u + 16 * 3 + 16 + 1);
}

}  // namespace
