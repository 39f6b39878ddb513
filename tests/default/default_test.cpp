// Default attributes: the levels and their fall-through to the built-in
// values, merging, and the attributes of level 0 read from and written to
// objects.
#include <cstring>
#include <vector>

#include "KernelFixture.h"
#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"

namespace {

class DefaultTest : public KernelTest {
protected:
    std::vector<uint8_t> Record(uint32_t property)
    {
        return std::vector<uint8_t>(Default_PropertySize(property), 0);
    }
    static uint32_t Word(const std::vector<uint8_t>& record, uint32_t offset)
    {
        uint32_t value = 0;
        std::memcpy(&value, record.data() + offset, 4);
        return value;
    }
    static void PutWord(std::vector<uint8_t>& record, uint32_t offset, uint32_t value)
    {
        std::memcpy(record.data() + offset, &value, 4);
    }
};

TEST_F(DefaultTest, BuiltInValuesAreFoundFromEveryLevel)
{
    struct Case {
        uint32_t property;
        uint32_t offset;
        uint32_t value;
    };
    const Case cases[] = {
        {10, 40, 0x2000}, {10, 36, 1},   {4, 32, 9},       {4, 36, 0x200000}, {5, 536, 3},
        {11, 44, 10000},  {11, 80, 30},  {12, 292, 1},     {14, 28, 100},     {15, 24, 100},
        {19, 32, 9999},   {26, 44, 12},  {26, 52, 0x7fffffff}, {27, 36, 180}, {28, 32, 1},
        {2, 0, 0},
    };
    for (uint32_t level = 1; level <= 5; ++level) {
        for (const Case& c : cases) {
            std::vector<uint8_t> record = Record(c.property);
            ASSERT_EQ(Default_Get(0, level, c.property, record.data()), kStatusOk);
            EXPECT_EQ(Word(record, c.offset), c.value) << "property " << c.property << " at " << c.offset;
        }
    }
    std::vector<uint8_t> node = Record(11);
    Default_Get(0, 3, 11, node.data());
    EXPECT_STREQ(reinterpret_cast<const char*>(node.data() + 132), "begin");
    std::vector<uint8_t> page = Record(12);
    Default_Get(0, 3, 12, page.data());
    EXPECT_STREQ(reinterpret_cast<const char*>(page.data() + kPageRecordName), "unnamed");
}

TEST_F(DefaultTest, ALevelThreeValueHidesLevelFiveUntilItsLevelIsRemoved)
{
    std::vector<uint8_t> record = Record(10);
    Default_Get(0, 3, 10, record.data());
    PutWord(record, 40, 0x30000);
    ASSERT_EQ(Default_Set(0, 3, 10, record.data()), kStatusOk);
    std::vector<uint8_t> read = Record(10);
    Default_Get(0, 3, 10, read.data());
    EXPECT_EQ(Word(read, 40), 0x30000u);
    Default_Get(0, 1, 10, read.data());
    EXPECT_EQ(Word(read, 40), 0x30000u);
    Default_Get(0, 4, 10, read.data());
    EXPECT_EQ(Word(read, 40), 0x2000u);

    EXPECT_EQ(Default_RemoveLevel(3, 0), kStatusOk);
    Default_Get(0, 3, 10, read.data());
    EXPECT_EQ(Word(read, 40), 0x2000u);
    // Only the built-in values remain.
    EXPECT_EQ(Default_EntryCount(), 26u);
}

TEST_F(DefaultTest, LookupWithoutSearchingUpAndUnknownProperties)
{
    MemHandle value = 0;
    EXPECT_EQ(Default_GetHandle(0, 3, 10, &value, 0), kStatusFailed);
    ASSERT_EQ(Default_GetHandle(0, 3, 10, &value, 1), kStatusOk);
    EXPECT_EQ(Mem_Size(value), 64u);
    Mem_Free(value);
    uint8_t record[600] = {};
    EXPECT_EQ(Default_Get(0, 3, 3, record), kStatusNotFound);
    EXPECT_EQ(Default_Set(0, 3, 3, record), kStatusBadArgument);
    EXPECT_EQ(Default_Merge(0, 3, 5, record), kStatusNoMergeRule);
    EXPECT_EQ(Default_Get(7, 3, 10, record), kStatusFailed);  // no default for that owner
    EXPECT_EQ(Default_GetEntry(1000, nullptr, nullptr, nullptr), kStatusNotFound);
    EXPECT_EQ(Default_PropertyNumber(3), -1);
    EXPECT_EQ(Default_PropertyFlag2(16), 1);
}

TEST_F(DefaultTest, MergingThePagePropertyWithOnlyTheNameChangesOnlyTheName)
{
    std::vector<uint8_t> changes = Record(12);
    changes[2] = 1;
    Default_CopyName(reinterpret_cast<char*>(changes.data() + kPageRecordName), "Top");
    PutWord(changes, 296, 5);
    ASSERT_EQ(Default_Merge(0, 3, 12, changes.data()), kStatusOk);
    std::vector<uint8_t> merged = Record(12);
    Default_Get(0, 3, 12, merged.data());
    std::vector<uint8_t> builtin = Record(12);
    Default_Get(0, 5, 12, builtin.data());
    EXPECT_STREQ(reinterpret_cast<const char*>(merged.data() + kPageRecordName), "Top");
    EXPECT_EQ(Word(merged, 296), Word(builtin, 296));
    EXPECT_EQ(Word(merged, 24), 1u);
}

TEST_F(DefaultTest, MergingByPositionTakesOnlyTheMarkedAttributes)
{
    std::vector<uint8_t> changes = Record(4);
    changes[10] = 1;
    PutWord(changes, 24 + 40, 77);
    PutWord(changes, 24 + 36, 99);
    ASSERT_EQ(Default_Merge(0, 2, 4, changes.data()), kStatusOk);
    std::vector<uint8_t> merged = Record(4);
    Default_Get(0, 2, 4, merged.data());
    EXPECT_EQ(Word(merged, 64), 77u);
    EXPECT_EQ(Word(merged, 60), 0u);
    EXPECT_EQ(Word(merged, 32), 9u);
}

TEST_F(DefaultTest, GraphicsWrittenToAnObjectSkipAPatternAbove38)
{
    ObjectHandle page = Model_NewPage();
    ObjectHandle node = Model_NewNode(page);
    Model_SetFieldValue(node, Field::kColours, 0x11223344);
    std::vector<uint8_t> record = Record(10);
    Default_SetMask(record.data(), 1);
    PutWord(record, 32, 2);       // drawing function
    PutWord(record, 36, 0);       // hidden
    PutWord(record, 40, 0x8000);  // line width
    PutWord(record, 44, 39);      // pattern out of range
    PutWord(record, 48, 4);       // line style
    PutWord(record, 52, 0xaa);
    PutWord(record, 56, 0xbb);
    PutWord(record, 60, 0xcc);
    ASSERT_EQ(Default_Set(node, 0, 10, record.data()), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kPattern), 0u);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kLineWidth), 0x8000u);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kLineStyle), 4u);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kColours), 0xaabbcc02u);
    EXPECT_EQ(Model_HasFlags(node, 0x400002), 1u);

    std::vector<uint8_t> read = Record(10);
    ASSERT_EQ(Default_Get(node, 0, 10, read.data()), kStatusOk);
    EXPECT_EQ(Word(read, 24), 1u);
    EXPECT_EQ(Word(read, 36), 0u);
    EXPECT_EQ(Word(read, 52), 0xaau);
    EXPECT_EQ(Word(read, 32), 2u);
}

TEST_F(DefaultTest, LevelZeroChecksTheKindOfObject)
{
    ObjectHandle page = Model_NewPage();
    ObjectHandle node = Model_NewNode(page);
    std::vector<uint8_t> record(600, 0);
    EXPECT_EQ(Default_Get(node, 0, 26, record.data()), kStatusNotFound);  // no text
    EXPECT_EQ(Default_Set(node, 0, 26, record.data()), kStatusNoText);
    EXPECT_EQ(Default_Get(node, 0, 4, record.data()), kStatusNotFound);   // not a connector
    EXPECT_EQ(Default_Get(node, 0, 11, record.data()), kStatusNotFound);
    EXPECT_EQ(Default_Get(Model_GetNodeList(page), 0, 10, record.data()), kStatusInvalidObject);
    std::memset(record.data(), 0x5a, record.size());
    EXPECT_EQ(Default_Get(node, 0, 12, record.data()), kStatusOk);  // a page property reads nothing
    EXPECT_EQ(record[100], 0x5a);
    // A connector's attributes are not written into a node.
    std::vector<uint8_t> connector = Record(4);
    Default_SetMask(connector.data(), 1);
    PutWord(connector, 56, 7);
    EXPECT_EQ(Default_Set(node, 0, 4, connector.data()), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kBorderMark), 0u);
}

TEST_F(DefaultTest, TextAttributesGoToTheText)
{
    ObjectHandle page = Model_NewPage();
    ObjectHandle node = Model_NewNode(page);
    Model_SetFieldValue(node, Field::kText, Text_Create(node, FixRect{0, 0, F(30), F(10)}, 1));
    std::vector<uint8_t> record = Record(26);
    Default_Get(0, 3, 26, record.data());
    Default_SetMask(record.data(), 1);
    PutWord(record, 36, 2);
    PutWord(record, 52, 1234);
    ASSERT_EQ(Default_Set(node, 0, 26, record.data()), kStatusOk);
    std::vector<uint8_t> read = Record(26);
    ASSERT_EQ(Default_Get(node, 0, 26, read.data()), kStatusOk);
    EXPECT_EQ(Word(read, 36), 2u);
    EXPECT_EQ(Word(read, 44), 12u);
    EXPECT_EQ(Word(read, 40), 3u);
    EXPECT_EQ(Word(read, 52), 0x7fffffffu);  // the attribute word reads as this
}

TEST_F(DefaultTest, PageAttributesRenumberAndResizeThePage)
{
    ObjectHandle first = Model_NewPage();
    ObjectHandle second = Model_NewPage();
    ObjectHandle third = Model_NewPage();
    Model_SetFieldValue(first, Field::kPageNumber, 1);
    Model_SetFieldValue(second, Field::kPageNumber, 2);
    Model_SetFieldValue(third, Field::kPageNumber, 5);
    std::vector<uint8_t> record = Record(12);
    Default_Get(third, 0, 12, record.data());
    std::memset(record.data(), 0, kChangedBytes);
    for (int attribute : {2, 3, 5, 6, 7}) {
        record[attribute] = 1;
    }
    Default_CopyName(reinterpret_cast<char*>(record.data() + kPageRecordName), "Main");
    PutWord(record, kPageRecordNumber, 1);
    PutWord(record, 296, static_cast<uint32_t>(F(100)));
    PutWord(record, 300, static_cast<uint32_t>(F(60)));
    PutWord(record, 304, 1);
    ASSERT_EQ(Default_Set(third, 0, 12, record.data()), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(third, Field::kPageNumber), 1u);
    EXPECT_EQ(Model_GetFieldValue(first, Field::kPageNumber), 2u);
    EXPECT_EQ(Model_GetFieldValue(second, Field::kPageNumber), 3u);
    char name[kPageNameSize];
    Model_GetPageName(third, name);
    EXPECT_STREQ(name, "Main");
    FixRect box{};
    Model_GetField(third, Field::kBox, &box);
    EXPECT_EQ(box.left, F(-50));
    EXPECT_EQ(box.bottom, F(30));
    EXPECT_EQ(Model_PageHasFlag512(third), 1u);
}

TEST_F(DefaultTest, ApplicationPropertiesAreRemovedByTheirOwnFlag)
{
    const PropertyDef rows[] = {{1001, 32, 0, 0, 1, 1, -1}};
    Default_SetUserProperties(rows, 1);
    int32_t fromUser = 0;
    ASSERT_EQ(Default_PropertyInfo(1001, 6, &fromUser), kStatusOk);
    EXPECT_EQ(fromUser, 1);
    std::vector<uint8_t> record(32, 0);
    PutWord(record, 24, 5);
    Default_Set(0, 3, 1001, record.data());
    Default_Set(0, 3, 10, Record(10).data());
    Default_RemoveLevel(7, 1);
    EXPECT_EQ(Default_Get(0, 3, 1001, record.data()), kStatusFailed);
    MemHandle kept = 0;
    EXPECT_EQ(Default_Find(0, 3, 10, &kept, 0), kStatusOk);
    Default_SetUserProperties(nullptr, 0);
}

}  // namespace
