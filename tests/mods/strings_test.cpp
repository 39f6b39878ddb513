// Tests of the message table and the string services.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "atolq/Resources/MessageTable.h"
#include "xkv/mods/Strings.h"

namespace {

// FNV-1a over each row's id (4 bytes, little-endian), text and NUL.
uint64_t HashRows()
{
    uint64_t hash = 0xcbf29ce484222325ull;
    auto add = [&hash](uint8_t byte) {
        hash ^= byte;
        hash *= 0x100000001b3ull;
    };
    for (size_t i = 0; i < kMessageRowCount; ++i) {
        uint32_t id = static_cast<uint32_t>(MessageTable[i].id);
        for (int k = 0; k < 4; ++k) {
            add(static_cast<uint8_t>(id >> (8 * k)));
        }
        for (const char* c = MessageTable[i].text; *c != '\0'; ++c) {
            add(static_cast<uint8_t>(*c));
        }
        add(0);
    }
    return hash;
}

TEST(MessageTable, RowsAndEndRow)
{
    ASSERT_EQ(MessageTable.size(), 536u);
    EXPECT_EQ(MessageTable.back().id, 9999);
    EXPECT_STREQ(MessageTable.back().text, "");
    std::set<MessageId> ids;
    for (size_t i = 0; i < kMessageRowCount; ++i) {
        EXPECT_NE(MessageTable[i].id, kMessageEndId) << i;
        ASSERT_NE(MessageTable[i].text, nullptr) << i;
        EXPECT_TRUE(ids.insert(MessageTable[i].id).second) << "duplicate id " << MessageTable[i].id;
    }
    EXPECT_EQ(ids.size(), 535u);
}

// The rows fall into groups by their high byte, each a run of ids with the
// known gaps (id 73 and id 0x2C8F have no row).
TEST(MessageTable, GroupsAndGaps)
{
    struct Group {
        MessageId first, last;
        size_t rows;
        std::vector<MessageId> gaps;
    };
    const Group groups[] = {
        {0, 120, 120, {73}},           {0x2C01, 0x2CA5, 164, {0x2C8F}}, {0x2D01, 0x2D30, 48, {}},
        {0x2E01, 0x2E39, 57, {}},      {0x3101, 0x311B, 27, {}},        {0x3601, 0x3616, 22, {}},
        {0x4001, 0x4037, 55, {}},      {0x4501, 0x451D, 29, {}},        {0x4601, 0x460D, 13, {}},
    };
    std::set<MessageId> ids;
    for (size_t i = 0; i < kMessageRowCount; ++i) {
        ids.insert(MessageTable[i].id);
    }
    size_t total = 0;
    for (const Group& g : groups) {
        std::vector<MessageId> missing;
        size_t rows = 0;
        for (MessageId id = g.first; id <= g.last; ++id) {
            if (ids.count(id) != 0) {
                ++rows;
            } else {
                missing.push_back(id);
            }
        }
        EXPECT_EQ(rows, g.rows) << std::hex << g.first;
        EXPECT_EQ(missing, g.gaps) << std::hex << g.first;
        total += rows;
    }
    EXPECT_EQ(total, 535u);  // no row outside the groups
}

TEST(MessageTable, TextsMatchTheirTranscription)
{
    EXPECT_EQ(HashRows(), 0xdbbe78d72de5bef9ull);
}

TEST(StringGetText, Lookups)
{
    struct Case {
        MessageId id;
        uint32_t size;
        const char* text;
        KernelStatus status;
    };
    const Case cases[] = {
        {14, 81, "Click to set vertex, double click to end.", kStatusOk},
        {73, 81, "Bad String 73", kStatusNotFound},
        {-5, 81, "Bad String -5", kStatusNotFound},
        {9999, 81, "", kStatusOk},
        {41, 10, "An intern", kStatusOk},
        {41, 1, "", kStatusOk},
        {73, 5, "Bad ", kStatusNotFound},
        {0x2C8F, 81, "Bad String 11407", kStatusNotFound},
        {35, 81, "Page has a parent.\n\n", kStatusOk},
        {0x3101, 81, "ABSTRACT EDITOR:\nInvalid data base identifier.", kStatusOk},
        {0x2C42, 81, "Data base file is incompatible with current version. ", kStatusOk},  // trailing blank kept
        {0x460D, 81, "of", kStatusOk},
    };
    for (const auto& c : cases) {
        std::vector<char> buffer(c.size + 1, 'X');
        EXPECT_EQ(String_GetText(c.id, buffer.data(), c.size), c.status) << c.id;
        EXPECT_STREQ(buffer.data(), c.text) << c.id;
        EXPECT_EQ(buffer[c.size - 1], '\0') << c.id;
        EXPECT_EQ(buffer[c.size], 'X') << c.id;  // nothing written past the buffer
    }
    char buffer[4];
    EXPECT_EQ(String_GetText(14, nullptr, 81), kStatusBadArgument);
    EXPECT_EQ(String_GetText(14, buffer, 0), kStatusBadArgument);
}

TEST(StringGetText, LongMessagesAreWholeInFullTextAndHandles)
{
    const MessageId longest = 0x3616;
    const std::string expected =
        "An ML file for the state being loaded could not be found, or ML could not be started. Do you want to "
        "open the diagram in the editor? (State information will be discarded if the diagram is saved.)";

    char buffer[81];
    EXPECT_EQ(String_GetText(longest, buffer, sizeof buffer), kStatusOk);
    EXPECT_EQ(std::string(buffer), expected.substr(0, 80));

    std::string text;
    EXPECT_EQ(String_GetFullText(longest, &text), kStatusOk);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(String_GetFullText(73, &text), kStatusNotFound);
    EXPECT_EQ(text, "Bad String 73");

    MemHandle h = 0;
    ASSERT_EQ(String_NewHandle(longest, &h), kStatusOk);
    EXPECT_EQ(Mem_Size(h), expected.size() + 1);
    char* data = nullptr;
    ASSERT_EQ(Mem_LockAs(h, &data), kStatusOk);
    EXPECT_EQ(std::string(data), expected);
    EXPECT_EQ(Mem_Free(h), kStatusOk);
}

TEST(StringNewHandle, ShortEmptyAndUnknownIds)
{
    MemHandle h = 0;
    ASSERT_EQ(String_NewHandle(1, &h), kStatusOk);
    char* data = nullptr;
    ASSERT_EQ(Mem_LockAs(h, &data), kStatusOk);
    EXPECT_STREQ(data, "unnamed");
    Mem_Free(h);

    ASSERT_EQ(String_NewHandle(9999, &h), kStatusOk);
    EXPECT_EQ(Mem_Size(h), 1u);
    Mem_Free(h);

    MemHandle none = 0;
    EXPECT_EQ(String_NewHandle(73, &none), kStatusNotFound);
    EXPECT_EQ(none, 0u);
    EXPECT_EQ(String_NewHandle(1, nullptr), kStatusNullHandle);
}

TEST(StatusMap, Lookups)
{
    struct Case {
        uint32_t status;
        MessageId message;
    };
    const Case cases[] = {
        {0, 9999},  {1, 41},    {2, 42},    {12, 48},   {20, 49},   {30, 9999}, {44, 58},
        {47, 60},   {53, 9999}, {55, 62},   {71, 70},   {72, 72},   {77, 90},   {81, 96},
        {82, 99},   {83, 9999}, {static_cast<uint32_t>(-1), 9999}, {static_cast<uint32_t>(-99), 9999},
        {1000, 9999},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StrMap_Lookup(c.status), c.message) << static_cast<int32_t>(c.status);
    }
    // Every message the map names is in the table.
    for (uint32_t status = 0; status <= 82; ++status) {
        MessageId id = StrMap_Lookup(status);
        char buffer[81];
        if (id != kMessageEndId) {
            EXPECT_EQ(String_GetText(id, buffer, sizeof buffer), kStatusOk) << status;
        }
    }
}

TEST(StrUtilSubstitute, PairsApplyInOrderAndChain)
{
    struct Case {
        std::vector<BytePair> pairs;
        std::string input, output;
    };
    const Case cases[] = {
        {{{'a', 'b'}, {'b', 'c'}}, "ab", "cc"},
        {{{'b', 'c'}, {'a', 'b'}}, "ab", "bc"},
        {{{'x', 'y'}}, "abc", "abc"},
        {{}, "abc", "abc"},
        {{{'\n', '\r'}}, "a\nb\n", "a\rb\r"},
    };
    for (const auto& c : cases) {
        std::string bytes = c.input;
        StrUtil_Substitute(reinterpret_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                           {static_cast<uint32_t>(c.pairs.size()), c.pairs.data()});
        EXPECT_EQ(bytes, c.output) << c.input;
    }
    // Only the given length is touched.
    std::string bytes = "aaaa";
    const BytePair pair{'a', 'z'};
    StrUtil_Substitute(reinterpret_cast<uint8_t*>(bytes.data()), 2, {1, &pair});
    EXPECT_EQ(bytes, "zzaa");
}

}  // namespace
