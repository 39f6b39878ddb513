// The object table: handles, slot allocation and growth, release, fields and
// the modified flag, and the standard objects.
#include <cstring>

#include "KernelFixture.h"
#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"
#include "xkv/types/PtArray.h"

namespace {

class ObjectTableTest : public KernelTest {
protected:
    ObjectTableTest() { withDiagram_ = false; }
};

TEST_F(ObjectTableTest, HandleZeroAndHandlesPastTheTableGiveStatus44)
{
    ObjectHandle object = Model_AllocSlot();
    ASSERT_NE(object, 0u);
    for (ObjectHandle bad : {0u, Model_SlotCount(), Model_SlotCount() + 1, 0xffffffffu}) {
        SCOPED_TRACE(bad);
        ObjectRecord* record = reinterpret_cast<ObjectRecord*>(1);
        uint32_t value = 7;
        EXPECT_EQ(Model_GetRecord(bad, &record), kStatusBadObjectHandle);
        EXPECT_EQ(record, nullptr);
        EXPECT_EQ(Model_ReleaseRecord(bad), kStatusBadObjectHandle);
        EXPECT_EQ(Model_GetField(bad, Field::kFlags, &value), kStatusBadObjectHandle);
        EXPECT_EQ(Model_SetField(bad, Field::kFlags, &value), kStatusBadObjectHandle);
        EXPECT_EQ(Model_GetFieldValue(bad, Field::kFlags), 0u);
        EXPECT_EQ(Model_IsObject(bad), 0u);
    }
    EXPECT_EQ(Model_GetRecord(object, nullptr), kStatusOk);
}

TEST_F(ObjectTableTest, The3000thAllocationGrowsTheTableBy1000)
{
    ASSERT_EQ(Model_SlotCount(), 3000u);
    for (uint32_t expected = 1; expected < 3000; ++expected) {
        ASSERT_EQ(Model_AllocSlot(), expected);
    }
    EXPECT_EQ(Model_SlotCount(), 3000u);
    EXPECT_EQ(Model_AllocSlot(), 3000u);
    EXPECT_EQ(Model_SlotCount(), 4000u);
    // The new slots are chained in order behind the taken one.
    EXPECT_EQ(Model_AllocSlot(), 3001u);
    EXPECT_EQ(Model_LastFreeSlot(), 3999u);
}

TEST_F(ObjectTableTest, AReleasedSlotIsReusedFirstWithAllFieldsZero)
{
    ObjectHandle object = Model_NewObject(kTypeNode);
    uint32_t serial = Model_GetSerial(object);
    FixRect box{1, 2, 3, 4};
    Model_SetField(object, Field::kBox, &box);
    Model_SetFieldValue(object, Field::kFlags, 0xabc);
    ASSERT_EQ(Model_Destroy(object, 0), kStatusOk);
    EXPECT_EQ(Model_GetSerial(object), 0u);

    ObjectHandle again = Model_AllocSlot();
    ASSERT_EQ(again, object);
    ObjectRecord* record = nullptr;
    ASSERT_EQ(Model_GetRecord(again, &record), kStatusOk);
    ObjectRecord zero{};
    EXPECT_EQ(std::memcmp(record, &zero, sizeof(zero)), 0);
    EXPECT_NE(Model_GetSerial(again), serial);
}

TEST_F(ObjectTableTest, ASlotReleasedTwiceEntersTheFreeListOnce)
{
    ObjectHandle a = Model_NewObject(kTypeNode);
    ObjectHandle b = Model_NewObject(kTypeNode);
    EXPECT_EQ(Model_FreeSlot(a, 0), kStatusOk);
    EXPECT_EQ(Model_FreeSlot(a, 0), kStatusBadArgument);
    EXPECT_EQ(Model_Destroy(a, 0), kStatusBadArgument);
    ObjectHandle first = Model_AllocSlot();
    ObjectHandle second = Model_AllocSlot();
    EXPECT_EQ(first, a);
    EXPECT_NE(second, a);
    EXPECT_NE(second, b);
}

TEST_F(ObjectTableTest, ASecondTableIsRefused)
{
    EXPECT_EQ(Model_CreateTable(10), kStatusTableExists);
    EXPECT_EQ(Model_SlotCount(), 3000u);
}

TEST_F(ObjectTableTest, ChainingPastTheTableEndIsRefused)
{
    EXPECT_EQ(Model_ChainFree(2999, 2), kStatusPastTableEnd);
    EXPECT_EQ(Model_GrowTable(0), kStatusBadArgument);
}

TEST_F(ObjectTableTest, FieldSizes)
{
    struct Case {
        FieldId field;
        uint32_t size;
    };
    const Case cases[] = {{10, 16}, {52, 16}, {67, 16}, {14, 32}, {1, 8},  {29, 8},  {39, 8},  {53, 8},
                          {58, 8},  {59, 8},  {42, 2},  {43, 2},  {73, 2}, {78, 2},  {4, 0},   {17, 0},
                          {27, 0},  {79, 0},  {500, 0}, {0, 4},   {2, 4},  {41, 4},  {72, 4},  {77, 4}};
    for (const Case& c : cases) {
        EXPECT_EQ(Model_FieldSize(c.field), c.size) << "field " << c.field;
    }
}

TEST_F(ObjectTableTest, FieldsSharingAWordReadTheSameBytes)
{
    ObjectHandle object = Model_NewObject(kTypeNode);
    FixPoint position{0x11111, 0x22222};
    Model_SetField(object, Field::kPosition, &position);
    EXPECT_EQ(Model_GetFieldValue(object, 54), 0x11111u);
    EXPECT_EQ(Model_GetFieldValue(object, 56), 0x22222u);
    Model_SetFieldValue(object, Field::kSubpage, 77);
    EXPECT_EQ(Model_GetFieldValue(object, Field::kAttachedTo), 77u);
    uint32_t recent[8] = {};
    Model_GetField(object, Field::kRecent, recent);
    EXPECT_EQ(recent[0], 77u);
}

TEST_F(ObjectTableTest, ValuesOfWideAndNarrowFields)
{
    ObjectHandle object = Model_NewObject(kTypeNode);
    FixRect box{5, 6, 7, 8};
    Model_SetField(object, Field::kBox, &box);
    EXPECT_EQ(Model_GetFieldValue(object, Field::kBox), 0u);
    EXPECT_EQ(Model_SetFieldValue(object, Field::kBox, 1), kStatusUnknownField);

    // A text field of two bytes gives its 16 bits only.
    MemHandle text = Text_Create(object, FixRect{0, 0, F(20), F(10)}, 1);
    Model_SetFieldValue(object, Field::kText, text);
    EXPECT_EQ(Model_SetFieldValue(object, Field::kFontSize, 0x12345), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(object, Field::kFontSize), 0x2345u);
    Model_Destroy(object, 0);
}

TEST_F(ObjectTableTest, UnknownFieldsReadAsErrorsAndWriteAsNothing)
{
    ObjectHandle object = Model_NewObject(kTypeNode);
    uint32_t value = 9;
    EXPECT_EQ(Model_GetField(object, 4, &value), kStatusUnknownField);
    Model_SetModified(0);
    EXPECT_EQ(Model_SetField(object, 27, &value), kStatusOk);
    EXPECT_EQ(Model_IsModified(), 0u);
}

TEST_F(ObjectTableTest, ConnectorFieldsWithoutConnectorDataGiveStatus8)
{
    ObjectHandle object = Model_NewObject(kTypeNode);
    FixPoint offset{};
    EXPECT_EQ(Model_GetField(object, Field::kStartOffset, &offset), kStatusUnknownField);
    EXPECT_EQ(Model_SetField(object, Field::kStartOffset, &offset), kStatusUnknownField);
}

TEST_F(ObjectTableTest, TextFieldsOfAnObjectWithoutTextReadAsZero)
{
    ObjectHandle object = Model_NewObject(kTypeNode);
    uint8_t buffer[4];
    for (FieldId field : {Field::kFontFamily, Field::kAlignment, Field::kFontSize, Field::kTextAttribute}) {
        std::memset(buffer, 0xff, sizeof(buffer));
        EXPECT_EQ(Model_GetField(object, field, buffer), kStatusOk);
        for (uint32_t i = 0; i < Model_FieldSize(field); ++i) {
            EXPECT_EQ(buffer[i], 0) << "field " << field;
        }
    }
}

TEST_F(ObjectTableTest, EveryWriteButOneOfTheRecentArrayMarksTheDiagramModified)
{
    ObjectHandle object = Model_NewObject(kTypeNodeList);
    uint32_t recent[8] = {1, 2, 3};
    Model_SetModified(0);
    Model_SetField(object, Field::kRecent, recent);
    EXPECT_EQ(Model_IsModified(), 0u);
    Model_SetFieldValue(object, Field::kLineWidth, 3);
    EXPECT_EQ(Model_IsModified(), 1u);
    Model_SetModified(5);
    EXPECT_EQ(Model_IsModified(), 1u);
}

TEST_F(ObjectTableTest, ClearRecordKeepsTheTreeLinksUnlessAll)
{
    ObjectHandle object = Model_NewObject(kTypeNode);
    for (FieldId field : {Field::kFirstChild, Field::kNextSibling, Field::kParent, Field::kFlags}) {
        Model_SetFieldValue(object, field, 5);
    }
    Model_ClearRecord(object, 0);
    EXPECT_EQ(Model_GetFieldValue(object, Field::kParent), 5u);
    EXPECT_EQ(Model_GetFieldValue(object, Field::kNextSibling), 5u);
    EXPECT_EQ(Model_GetFieldValue(object, Field::kFlags), 0u);
    Model_ClearRecord(object, 1);
    EXPECT_EQ(Model_GetFieldValue(object, Field::kParent), 0u);
}

TEST_F(ObjectTableTest, ANewDiagramHasItsFourPartsAndReplacesTheOldOne)
{
    ASSERT_EQ(Model_NewDiagram(), kStatusOk);
    ObjectHandle root = Model_GetRoot();
    EXPECT_EQ(Model_GetType(root), kTypeDiagram);
    EXPECT_EQ(Model_CountChildren(root), 4u);
    EXPECT_EQ(Model_GetType(Model_GetPageList()), kTypePageList);
    ObjectHandle page = Model_NewPage();
    ASSERT_NE(page, 0u);

    ASSERT_EQ(Model_NewDiagram(), kStatusOk);
    EXPECT_NE(Model_GetRoot(), 0u);
    EXPECT_EQ(Model_IsObject(page), 0u);
    EXPECT_EQ(Model_IsObject(root), root == Model_GetRoot() ? 1u : 0u);
    EXPECT_EQ(Model_CountPages(), 0u);
}

class StandardObjectsTest : public KernelTest {};

TEST_F(StandardObjectsTest, ANewPageTakesThePageDefaultsButNotTheNumber)
{
    ObjectHandle page = Model_NewPage();
    ASSERT_NE(page, 0u);
    EXPECT_EQ(Model_CountChildren(page), 4u);
    EXPECT_EQ(Model_GetType(Model_GetNodeList(page)), kTypeNodeList);
    EXPECT_EQ(Model_GetType(Model_GetConnectorList(page)), kTypeConnectorList);
    char name[kPageNameSize];
    Model_GetPageName(page, name);
    EXPECT_STREQ(name, "unnamed");
    EXPECT_EQ(Model_GetFieldValue(page, Field::kPageNumber), 0u);
    Fixed width = static_cast<Fixed>(kBuiltinPrintableWidth) << 15;
    EXPECT_EQ(static_cast<Fixed>(Model_GetFieldValue(page, Field::kWidth)), width);
    FixRect box{};
    Model_GetField(page, Field::kBox, &box);
    EXPECT_EQ(box.left, -(width / 2));
    EXPECT_EQ(box.right, width / 2);
    EXPECT_EQ(Model_GetPage(page), page);
}

TEST_F(StandardObjectsTest, ANewNodeTakesTheGraphicsDefaults)
{
    ObjectHandle page = Model_NewPage();
    ObjectHandle node = Model_NewNode(page);
    ASSERT_NE(node, 0u);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kLineWidth), 0x2000u);
    EXPECT_EQ(Model_GetPage(node), page);
    EXPECT_EQ(Model_HasFlags(node, 2), 0u);
}

TEST_F(StandardObjectsTest, ANewConnectorHasConnectorDataWithItsCreationValues)
{
    ObjectHandle page = Model_NewPage();
    ObjectHandle connector = Model_NewConnector(page);
    ASSERT_NE(connector, 0u);
    EXPECT_EQ(Model_GetFieldValue(connector, Field::kConnector66), 1u);
    EXPECT_EQ(Model_GetFieldValue(connector, Field::kConnectorMode), 9u);
    EXPECT_EQ(Model_GetFieldValue(connector, Field::kShapeKind), 9u);
    EXPECT_EQ(Model_GetFieldValue(connector, Field::kArrowWidth), 0x20000u);
    FixRect textBox{};
    Model_GetField(connector, Field::kTextBox, &textBox);
    EXPECT_EQ(textBox.right - textBox.left, 0x200000);
    EXPECT_EQ(Model_GetFirstConnector(page), connector);
}

TEST_F(StandardObjectsTest, CopiedConnectorDataOwnsItsPointArrays)
{
    ObjectHandle page = Model_NewPage();
    ObjectHandle connector = Model_NewConnector(page);
    PtArray path = PtArray_New();
    PtArray_Append(path, FixPoint{F(1), F(2)});
    PtArray_Append(path, FixPoint{F(3), F(4)});
    Model_SetFieldValue(connector, Field::kPath, path);

    MemHandle copy = 0;
    ASSERT_EQ(Model_CopyConnectorData(Model_GetFieldValue(connector, Field::kShapeData), &copy), kStatusOk);
    ConnectorData* data = nullptr;
    ASSERT_EQ(Mem_LockAs(copy, &data), kStatusOk);
    EXPECT_NE(data->path, path);
    EXPECT_EQ(PtArray_Count(data->path), 2u);
    EXPECT_EQ(data->startHead, 0u);
    Mem_Unlock(copy);

    Model_DestroyTree(connector);
    EXPECT_EQ(PtArray_Count(path), 0u);  // freed with its connector
    EXPECT_EQ(Model_FreeConnectorData(copy), kStatusOk);
}

TEST_F(StandardObjectsTest, DestroyingATreeReleasesEveryDescendant)
{
    ObjectHandle page = Model_NewPage();
    ObjectHandle node = Model_NewNode(page);
    ObjectHandle regions = Model_GetRegionList(node);
    ObjectHandle region = Model_NewObject(kTypeRegion);
    Model_AppendChild(regions, region);
    ASSERT_EQ(Model_DestroyTree(page), kStatusOk);
    for (ObjectHandle gone : {page, node, regions, region}) {
        EXPECT_EQ(Model_IsObject(gone), 0u);
        EXPECT_EQ(Model_GetSerial(gone), 0u);
    }
    EXPECT_EQ(Model_CountPages(), 0u);
    EXPECT_EQ(Model_DestroyTree(page), kStatusBadArgument);
}

}  // namespace
