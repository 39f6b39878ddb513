// Object user-data fields and their conversion from other machines.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "KernelFixture.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/kv/Hook.h"
#include "xkv/kvud/UserData.h"
#include "xkv/mem/Mem.h"

namespace {

class UserDataTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        object_ = Model_NewObject(kTypeNode);
        Model_AppendChild(Model_GetRoot(), object_);
    }
    void TearDown() override
    {
        UD_SetConvertHandler(nullptr);
        UD_SetFileMachineCode(kMachineCode);
        KernelTest::TearDown();
    }
    std::vector<uint8_t> Block()
    {
        MemHandle block = UD_GetBlock(object_);
        std::vector<uint8_t> bytes(UD_GetBlockSize(object_));
        if (!bytes.empty()) {
            std::memcpy(bytes.data(), UD_LockBlock(block), bytes.size());
            UD_UnlockBlock(block);
        }
        return bytes;
    }
    void SetBlock(const std::vector<uint8_t>& bytes)
    {
        UD_ClearBlock(object_);
        MemHandle block = UD_NewBlock(object_, static_cast<uint32_t>(bytes.size()));
        std::memcpy(UD_LockBlock(block), bytes.data(), bytes.size());
        UD_UnlockBlock(block);
    }
    ObjectHandle object_ = 0;
};

TEST_F(UserDataTest, FieldsArePaddedAndKeepTheirOrder)
{
    const uint8_t five[5] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(UD_SetField(object_, 0xF901, five, 5));
    EXPECT_EQ(UD_GetBlockSize(object_), 16u);
    uint32_t length = 0;
    ASSERT_TRUE(UD_GetFieldSize(object_, 0xF901, &length));
    EXPECT_EQ(length, 5u);
    const uint32_t word = 0xABCD;
    ASSERT_TRUE(UD_SetField(object_, 0xF909, &word, 4));
    const uint8_t eight[8] = {8, 8, 8, 8, 8, 8, 8, 8};
    ASSERT_TRUE(UD_SetField(object_, 0xF901, eight, 8));
    EXPECT_EQ(UD_GetBlockSize(object_), 28u);
    const uint8_t nine[9] = {9, 9, 9, 9, 9, 9, 9, 9, 9};
    ASSERT_TRUE(UD_SetField(object_, 0xF901, nine, 9));
    EXPECT_EQ(UD_GetBlockSize(object_), 32u);
    uint32_t back = 0;
    ASSERT_TRUE(UD_GetField(object_, 0xF909, &back));
    EXPECT_EQ(back, word);
    ASSERT_TRUE(UD_SetField(object_, 0xF901, five, 2));
    EXPECT_EQ(UD_GetBlockSize(object_), 24u);
    ASSERT_TRUE(UD_GetField(object_, 0xF909, &back));
    EXPECT_EQ(back, word);
    uint32_t* tags = nullptr;
    uint32_t count = 0;
    ASSERT_TRUE(UD_ListTags(object_, &tags, &count));
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(tags[0], 0xF901u);
    EXPECT_EQ(tags[1], 0xF909u);
    QXMem_Free(tags);
}

TEST_F(UserDataTest, NullDataReservesZeroedSpaceAndDeletionClears)
{
    ASSERT_TRUE(UD_SetField(object_, 7, nullptr, 12));
    EXPECT_EQ(UD_GetBlockSize(object_), 20u);
    std::vector<uint8_t> block = Block();
    EXPECT_TRUE(std::all_of(block.begin() + 8, block.end(), [](uint8_t b) { return b == 0; }));
    ASSERT_TRUE(UD_SetField(object_, 8, nullptr, 0));
    uint8_t untouched = 0x5A;
    EXPECT_TRUE(UD_GetField(object_, 8, &untouched));
    EXPECT_EQ(untouched, 0x5A);
    EXPECT_TRUE(UD_DeleteField(object_, 7));
    EXPECT_TRUE(UD_DeleteField(object_, 8));
    EXPECT_EQ(Model_GetFieldValue(object_, Field::kUserData), 0u);
    EXPECT_EQ(UD_CountFields(object_), 0u);
    EXPECT_FALSE(UD_GetField(object_, 7, &untouched));
    EXPECT_FALSE(UD_SetField(0, 7, nullptr, 1));
}

TEST_F(UserDataTest, TagsInRangeAreSorted)
{
    uint32_t value = 1;
    UD_SetField(object_, 0xF909, &value, 4);
    UD_SetField(object_, 0xF901, &value, 4);
    UD_SetField(object_, 0x1234, &value, 4);
    uint16_t count = 0;
    uint32_t* tags = nullptr;
    ASSERT_TRUE(UD_ListTagsInRange(object_, 0xF900, 0xF910, &count, &tags));
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(tags[0], 0xF901u);
    EXPECT_EQ(tags[1], 0xF909u);
    QXMem_Free(tags);
    EXPECT_FALSE(UD_ListTagsInRange(object_, 0xF910, 0xF900, &count, &tags));
}

TEST_F(UserDataTest, AFieldClaimingTooMuchIsNotFound)
{
    // Tag 5 claims 100 bytes in a 16-byte block.
    std::vector<uint8_t> bytes(16, 0);
    uint32_t header[2] = {5, 100};
    std::memcpy(bytes.data(), header, 8);
    SetBlock(bytes);
    uint8_t buffer[100];
    EXPECT_FALSE(UD_GetField(object_, 5, buffer));
    EXPECT_EQ(UD_CountFields(object_), 0u);
}

TEST_F(UserDataTest, CopyAllGivesAnExactCopy)
{
    ObjectHandle copy = Model_NewObject(kTypeNode);
    Model_AppendChild(Model_GetRoot(), copy);
    uint32_t value = 77;
    UD_SetField(object_, 3, &value, 4);
    UD_SetField(copy, 9, &value, 4);
    ASSERT_TRUE(UD_CopyAll(object_, copy));
    EXPECT_EQ(UD_CountFields(copy), 1u);
    uint32_t back = 0;
    EXPECT_TRUE(UD_GetField(copy, 3, &back));
    EXPECT_EQ(back, 77u);
    EXPECT_NE(UD_GetBlock(copy), UD_GetBlock(object_));
}

struct ConversionCase {
    const char* format;
    uint32_t sourceClass;
    std::vector<uint8_t> source;
    uint32_t result;
    std::vector<uint8_t> expected;
};

TEST(UserDataConversion, Formats)
{
    const ConversionCase cases[] = {
        {"4hw,w", 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, kConvertOk, {2, 1, 4, 3, 6, 5, 8, 7, 12, 11, 10, 9}},
        {"4hw,w", 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, kConvertOk, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"3hw,w", 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, kConvertSizeMismatch, {}},
        {"sc", 0, {97, 98, 13, 10, 99, 0}, kConvertOk, {97, 98, 10, 99, 0}},
        {"sc", 1, {97, 13, 98, 0}, kConvertOk, {97, 10, 98, 0}},
        {"pu", 1, {0xF9, 0x01}, kConvertOk, {0x01, 0xF9, 0, 0}},
        {"pu,SZ", 2, {0, 0, 0xF9, 0x01, 0, 0, 0, 4}, kConvertOk, {0x01, 0xF9, 0, 0, 4, 0, 0, 0}},
        {"c,1*b", 1, {2, 7, 8}, kConvertOk, {2, 7, 8}},
        {"c,*b", 1, {2, 7, 8}, kConvertFormatError, {}},
        {"hw,1*w", 2, {0, 1, 0, 0, 0, 5}, kConvertOk, {1, 0, 5, 0, 0, 0}},
        {"vhw", 1, {1, 2, 3, 4}, kConvertOk, {2, 1, 4, 3}},
        {"s", 1, {97, 98}, kConvertSizeMismatch, {}},
        {"2xyz", 1, {1, 2}, kConvertFormatError, {}},
        {"2*w", 1, {0, 0, 0, 1}, kConvertFormatError, {}},
        {"c,1.5*b", 1, {1, 2}, kConvertFormatError, {}},
    };
    for (const ConversionCase& c : cases) {
        UDConversion conversion{c.source.data(), static_cast<uint32_t>(c.source.size()), 0, c.sourceClass, 3,
                                c.format};
        uint32_t size = 0;
        uint32_t result = UD_ConvertedSize(&conversion, &size);
        EXPECT_EQ(result, c.result) << c.format;
        if (result != kConvertOk) {
            continue;
        }
        std::vector<uint8_t> out(size);
        EXPECT_EQ(UD_ConvertRecord(&conversion, out.data(), size), kConvertOk) << c.format;
        EXPECT_EQ(out, c.expected) << c.format;
    }
}

TEST(UserDataConversion, MachineClasses)
{
    EXPECT_EQ(UD_ByteOrderClass(0x303), 0u);
    EXPECT_EQ(UD_ByteOrderClass(0x404), 0u);
    EXPECT_EQ(UD_ByteOrderClass(0x202), 1u);
    EXPECT_EQ(UD_ByteOrderClass(0x101), 2u);
    EXPECT_EQ(UD_ByteOrderClass(0x909), 2u);
    EXPECT_EQ(UD_ByteOrderClass(0x808), 3u);
}

std::vector<uint32_t> gSeenTags;
uint32_t ConvertSeen(ObjectHandle object, UserDataTag tag, ObjectHandle, uint32_t code)
{
    gSeenTags.push_back(tag);
    EXPECT_EQ(code, 23u);
    if (tag == 0xF901) {
        EXPECT_EQ(UD_ConvertField(object, tag, "w"), kConvertOk);
    }
    return 1;
}

TEST_F(UserDataTest, WalkNormalisesOldHeadersAndConvertsFields)
{
    // Two fields from a class-1 machine: 6-byte headers, data padded to 4.
    SetBlock({0xF9, 0x01, 0, 0, 0, 4, 1, 2, 3, 4, 0xF9, 0x09, 0, 0, 0, 1, 7, 0, 0, 0});
    UD_SetFileMachineCode(0x202);
    gSeenTags.clear();
    UD_SetConvertHandler(ConvertSeen);
    EXPECT_TRUE(Hook_IsRegistered(83));
    Hook_Fire(83, object_, 0, 23);
    EXPECT_EQ(gSeenTags, (std::vector<uint32_t>{0xF901, 0xF909}));
    uint32_t word = 0;
    ASSERT_TRUE(UD_GetField(object_, 0xF901, &word));
    EXPECT_EQ(word, 0x01020304u);
    uint8_t byte = 0;
    ASSERT_TRUE(UD_GetField(object_, 0xF909, &byte));
    EXPECT_EQ(byte, 7);
    UD_SetConvertHandler(nullptr);
    EXPECT_FALSE(Hook_IsRegistered(83));
}

TEST_F(UserDataTest, ABlockThatDoesNotAddUpIsLeftAlone)
{
    std::vector<uint8_t> bytes = {0xF9, 0x01, 0, 0, 0, 9, 1, 2, 3, 4};
    SetBlock(bytes);
    UD_SetFileMachineCode(0x202);
    gSeenTags.clear();
    UD_SetConvertHandler(ConvertSeen);
    UD_ConvertObject(object_, 0, 23);
    EXPECT_TRUE(gSeenTags.empty());
    EXPECT_EQ(Block(), bytes);
}

}  // namespace
