// Net records in the user data of kernel objects: links to abstract-net
// records by id, the other tagged fields, and the checks on what is read.
#include <gtest/gtest.h>

#include "xkv/kv/QXFile.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "NetDoubles.h"
#include "QXFixture.h"
#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kvud/UserData.h"

namespace {

class NetRecordsTest : public QXDiagramTest {
protected:
    void SetUp() override
    {
        QXDiagramTest::SetUp();
        netLog() = NetDoubleLog{};
        SEInitPools();
        SEStart();
        EE_ClearPendingError();
        GE_SetCurrentDiagram(QXStr_GetPageListHandle());
        net_ = SECreatePage(page_, 1);
        node_ = Node(F(50), F(50));
        other_ = Node(F(150), F(50));
    }
    void TearDown() override
    {
        SEFreeDB();
        GE_SetCurrentDiagram(0);
        EE_ClearPendingError();
        QXDiagramTest::TearDown();
    }
    std::vector<uint8_t> Field(uint32_t object, uint32_t tag)
    {
        uint32_t length = 0;
        if (!UD_GetFieldSize(object, tag, &length)) {
            return {};
        }
        std::vector<uint8_t> bytes(length);
        UD_GetField(object, tag, bytes.data());
        return bytes;
    }
    static std::vector<uint8_t> BigEndian(uint32_t value)
    {
        return {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
    }
    SEPage* net_ = nullptr;
    ObjectHandle node_ = 0;
    ObjectHandle other_ = 0;
};

TEST_F(NetRecordsTest, RecordLinkStoresTheIdBigEndianAndReadsTheRecordBack)
{
    SEPlace* place = SECreatePlace(net_, node_);
    ASSERT_EQ(GE_SetSERecord(node_, &place->head), 1);
    EXPECT_EQ(Field(node_, kTagNetRecord), BigEndian(SERecordId(&place->head)));
    SEHead* back = nullptr;
    EXPECT_EQ(GE_GetSERecord(node_, &back), 1);
    EXPECT_EQ(back, &place->head);
    EXPECT_EQ(GE_IsPlainObject(node_), 0);
}

TEST_F(NetRecordsTest, ObjectWithoutRecordIsPlain)
{
    SEHead* back = reinterpret_cast<SEHead*>(1);
    EXPECT_EQ(GE_GetSERecord(other_, &back), 0);
    EXPECT_EQ(back, nullptr);
    EXPECT_EQ(GE_IsPlainObject(other_), 1);
    EXPECT_EQ(EE_GetPendingError(), 0);
}

TEST_F(NetRecordsTest, LinkToADeletedRecordReadsAsNone)
{
    SETrans* trans = SECreateTrans(net_, node_);
    ASSERT_EQ(GE_SetSERecord(node_, &trans->head), 1);
    SEDelTrans(trans);
    SEHead* back = nullptr;
    EXPECT_EQ(GE_GetSERecord(node_, &back), 0);
    EXPECT_EQ(back, nullptr);
    EXPECT_EQ(GE_IsPlainObject(node_), 1);
}

TEST_F(NetRecordsTest, FieldOfAnotherSizeIsNotDecoded)
{
    // Old diagrams keep their defaults stream under the same tag on the root.
    std::vector<uint8_t> stream(400, 0xAB);
    ObjectHandle root = QXStr_GetPageListHandle();
    ASSERT_TRUE(UD_SetField(root, kTagNetRecord, stream.data(), 400));
    SEHead* back = nullptr;
    EXPECT_EQ(GE_GetSERecord(root, &back), 0);
    EXPECT_EQ(back, nullptr);
    const uint8_t two[2] = {0, 1};
    ASSERT_TRUE(UD_SetField(node_, kTagAuxWord, two, 2));
    EXPECT_EQ(GE_GetAuxWord(node_), 0u);
}

TEST_F(NetRecordsTest, NotAnObjectIsReported)
{
    EXPECT_EQ(GE_SetSERecord(987654, nullptr), 0);
    EXPECT_EQ(EE_GetPendingError(), kMsgUnknownObject);
    EE_ClearPendingError();
    SEHead* back = nullptr;
    EXPECT_EQ(GE_GetSERecord(987654, &back), 0);
    EXPECT_EQ(EE_GetPendingError(), kMsgUnknownObject);
    EXPECT_EQ(GE_IsPlainObject(987654), 0);
}

TEST_F(NetRecordsTest, SecondRecordOnlyOnConnectorsAndDeletedWithTheFirst)
{
    ObjectHandle connector = QXStr_CreateConnector(page_, node_, other_);
    ASSERT_NE(connector, 0u);
    SEPlace* place = SECreatePlace(net_, node_);
    SETrans* trans = SECreateTrans(net_, other_);
    SEArc* one = SECreateArc(trans, place, connector, 1);
    SEArc* two = SECreateArc(trans, place, connector, 2);
    ASSERT_EQ(GE_SetSERecord(connector, &one->head), 1);
    ASSERT_EQ(GE_SetSecondRecord(connector, &two->head), 1);
    SEHead* back = nullptr;
    EXPECT_EQ(GE_GetSecondRecord(connector, &back), 1);
    EXPECT_EQ(back, &two->head);
    // A second record that is not an arc is refused on reading.
    ASSERT_EQ(GE_SetSecondRecord(connector, &place->head), 1);
    EXPECT_EQ(GE_GetSecondRecord(connector, &back), 0);
    EXPECT_EQ(GE_SetSecondRecord(node_, &two->head), 0);
    EXPECT_EQ(GE_DeleteSERecord(connector), 1);
    EXPECT_FALSE(GE_HasUserData(connector, kTagNetRecord));
    EXPECT_FALSE(GE_HasUserData(connector, kTagSecondRecord));
}

TEST_F(NetRecordsTest, DeletingTheRootsRecordKeepsItsMLFile)
{
    ObjectHandle root = QXStr_GetPageListHandle();
    ASSERT_EQ(GE_SetSERecord(root, nullptr), 1);
    ASSERT_EQ(GE_SetMLFileName("/a/b/model.sml"), 1);
    EXPECT_EQ(GE_DeleteSERecord(root), 1);
    EXPECT_TRUE(GE_HasUserData(root, kTagSecondRecord));
}

TEST_F(NetRecordsTest, RecordLinkTravelsWithACopyOfTheObject)
{
    SEPlace* place = SECreatePlace(net_, node_);
    ASSERT_EQ(GE_SetSERecord(node_, &place->head), 1);
    ASSERT_EQ(GE_SetChartTag(node_, 1, 2, 3), 1);
    ObjectHandle copy = QXStr_CloneObject(node_);
    ASSERT_NE(copy, 0u);
    SEHead* back = nullptr;
    EXPECT_EQ(GE_GetSERecord(copy, &back), 1);
    EXPECT_EQ(back, &place->head);
    EXPECT_EQ(GE_TestChartTagBits(copy, 3), 1);
}

TEST_F(NetRecordsTest, ChartTagBytesAndBits)
{
    ASSERT_EQ(GE_SetChartTag(node_, 0x12, 0x34, 0x0056), 1);
    EXPECT_EQ(Field(node_, kTagChartTag), (std::vector<uint8_t>{0x12, 0x34, 0x00, 0x56}));
    ASSERT_EQ(GE_SetChartTag(node_, 0x12, 0x34, 0x0003), 1);
    ASSERT_EQ(GE_SetChartTagBits(node_, 0, 0x0001), 1);
    uint8_t kind = 0, sub = 0;
    uint16_t bits = 0;
    EXPECT_EQ(GE_GetChartTag(node_, &kind, &sub, &bits), 1);
    EXPECT_EQ(kind, 0x12);
    EXPECT_EQ(sub, 0x34);
    EXPECT_EQ(bits, 0x0002);
    EXPECT_EQ(GE_TestChartTagBits(node_, 0x0001), 0);
    EXPECT_EQ(GE_TestChartTagBits(node_, 0x0006), 1);
    // A tag used as a flag reads as zeros.
    ASSERT_EQ(GE_SetUserFlag(other_, kTagChartTag), 1);
    EXPECT_EQ(GE_HasUserData(other_, kTagChartTag), 1);
    EXPECT_EQ(GE_GetChartTag(other_, &kind, &sub, &bits), 0);
    EXPECT_EQ(kind | sub | bits, 0);
}

TEST_F(NetRecordsTest, WordFieldsRoundTrip)
{
    ASSERT_EQ(GE_SetRegionPair(node_, -45, 20), 1);
    int32_t a = 0, b = 0;
    EXPECT_EQ(GE_GetRegionPair(node_, &a, &b), 1);
    EXPECT_EQ(a, -45);
    EXPECT_EQ(b, 20);
    EXPECT_EQ(Field(node_, kTagRegionPairA), BigEndian(static_cast<uint32_t>(-45)));
    GE_DeleteUserData(node_, kTagRegionPairB);
    EXPECT_EQ(GE_GetRegionPair(node_, &a, &b), 0);

    ASSERT_EQ(GE_SetNodeCode(node_, 0xBEEF), 1);
    EXPECT_EQ(Field(node_, kTagNodeCode), BigEndian(0xBEEF));
    EXPECT_EQ(GE_GetNodeCode(node_), 0xBEEF);
    ASSERT_EQ(GE_SetAuxWord(node_, 77), 1);
    EXPECT_EQ(GE_GetAuxWord(node_), 77u);
    ASSERT_EQ(GE_SetSelfMark(node_, node_), 1);
    EXPECT_EQ(GE_GetSelfMark(node_), node_);
    ASSERT_EQ(GE_SetSimLink(node_, 0xCAFEF00D), 1);
    EXPECT_EQ(GE_GetSimLink(node_), 0xCAFEF00Du);
    EXPECT_EQ(GE_GetSimLink(other_), 0u);
}

struct DirectionCase {
    uint32_t direction;
    int flag;
    uint16_t before;
    uint16_t after;
};

TEST_F(NetRecordsTest, NodeDirectionCodes)
{
    const DirectionCase cases[] = {
        {1, 0, 0, 1}, {1, 1, 0, 2}, {2, 0, 0, 2}, {2, 1, 0, 1}, {0, 0, 0, 3},
        {3, 1, 0, 3}, {1, 0, 1, 1}, {2, 0, 1, 3}, {1, 1, 1, 3}, {3, 0, 3, 3},
    };
    ObjectHandle connector = QXStr_CreateConnector(page_, node_, other_);
    ASSERT_NE(connector, 0u);
    for (const DirectionCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "direction " << c.direction << " flag " << c.flag << " before "
                                        << c.before);
        GE_DeleteUserData(node_, kTagNodeCode);
        if (c.before != 0) {
            GE_SetNodeCode(node_, c.before);
        }
        ASSERT_EQ(QXWtAttr_SetDirection(connector, c.direction), 1u);
        EXPECT_EQ(GE_RecordNodeDirection(node_, connector, c.flag), 1);
        EXPECT_EQ(GE_GetNodeCode(node_), c.after);
    }
}

TEST_F(NetRecordsTest, MLFileIsLookedForBesideTheDiagram)
{
    ASSERT_EQ(QXFile_SetCurrentFileName("/x/y/net"), 1u);
    EXPECT_EQ(GE_GetMLFileName(), nullptr);
    ASSERT_EQ(GE_SetMLFileName("/a/b/model.sml"), 1);
    char* path = GE_GetMLFileName();
    ASSERT_NE(path, nullptr);
    EXPECT_STREQ(path, "/x/y/model.sml");
    QXMem_Free(path);
    uint32_t length = 0;
    ASSERT_TRUE(UD_GetFieldSize(QXStr_GetPageListHandle(), kTagSecondRecord, &length));
    EXPECT_EQ(length, std::strlen("/a/b/model.sml") + 12);
    ASSERT_EQ(GE_SetMLFileName(nullptr), 1);
    EXPECT_EQ(GE_GetMLFileName(), nullptr);
    GE_SetCurrentDiagram(0);
    EXPECT_EQ(GE_SetMLFileName("/a/b/c"), 0);
}

TEST_F(NetRecordsTest, DamagedMLFileFieldGivesNoName)
{
    ASSERT_EQ(QXFile_SetCurrentFileName("/x/y/net"), 1u);
    ObjectHandle root = QXStr_GetPageListHandle();
    // A length that claims more characters than the field holds.
    std::vector<uint8_t> field = {0, 0, 0x10, 0, 'a', 'b', 'c', 0};
    for (size_t size = 0; size <= field.size(); ++size) {
        UD_DeleteField(root, kTagSecondRecord);
        if (size > 0) {
            ASSERT_TRUE(UD_SetField(root, kTagSecondRecord, field.data(), static_cast<uint32_t>(size)));
        }
        EXPECT_EQ(GE_GetMLFileName(), nullptr) << size;
    }
}

}  // namespace
