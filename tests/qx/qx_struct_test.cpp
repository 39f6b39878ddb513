// QX structure functions on a diagram built through the interface.
#include <gtest/gtest.h>

#include <vector>

#include "QXFixture.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"

namespace {

std::vector<ObjectHandle> Take(uint16_t count, ObjectHandle* array)
{
    std::vector<ObjectHandle> v(array, array + count);
    if (array != nullptr) {
        QXMem_Free(array);
    }
    return v;
}

class QXStructTest : public QXDiagramTest {};

TEST_F(QXStructTest, NodeBoxComesFromCentreAndHalfSizes)
{
    ObjectHandle node = QXStr_CreateNode(page_, F(100), F(50), F(11), F(6), 1);
    ASSERT_NE(node, 0u);
    FixRect box;
    Model_GetField(node, Field::kBox, &box);
    EXPECT_EQ(box.left, F(100) - F(11) / 2);
    EXPECT_EQ(box.right, F(100) + F(11) / 2);
    EXPECT_EQ(box.top, F(47));
    EXPECT_EQ(box.bottom, F(53));
    EXPECT_EQ(Model_GetFieldValue(node, Field::kShapeBits), 1u);
}

struct ShapeCase {
    int32_t shape;
    uint32_t kind;  // 0: refused with status 16
    uint32_t shapeBit;
};

class QXShapeTest : public QXDiagramTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(QXShapeTest, ShapeCodesConvertOrAreRefused)
{
    const ShapeCase& c = GetParam();
    uint16_t before = 0;
    ObjectHandle* list = nullptr;
    QXStr_GetNodeList(page_, &before, &list);
    Take(before, list);
    ObjectHandle node = QXStr_CreateNode(page_, F(10), F(10), F(10), F(10), c.shape);
    if (c.kind == 0) {
        EXPECT_EQ(node, 0u);
        EXPECT_EQ(QXStatus, 16u);
        uint16_t after = 0;
        QXStr_GetNodeList(page_, &after, &list);
        Take(after, list);
        EXPECT_EQ(after, before);
        return;
    }
    ASSERT_NE(node, 0u);
    EXPECT_EQ(Model_GetKind(node), c.kind);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kShapeBits), c.shapeBit);
}

INSTANTIATE_TEST_SUITE_P(Codes, QXShapeTest,
                         ::testing::Values(ShapeCase{1, 1, 1}, ShapeCase{2, 2, 0}, ShapeCase{4, 7, 1},
                                           ShapeCase{5, 8, 0}, ShapeCase{3, 0, 0}, ShapeCase{6, 0, 0},
                                           ShapeCase{0, 0, 0}));

TEST_F(QXStructTest, CreationRefusesBadArguments)
{
    ObjectHandle node = Node(0, 0);
    EXPECT_EQ(QXStr_CreateNode(node, 0, 0, F(1), F(1), 1), 0u);
    EXPECT_EQ(QXStatus, 32u);
    QXStatus = 0;
    EXPECT_EQ(QXStr_CreateNode(page_, 0, 0, -F(1), F(1), 1), 0u);
    EXPECT_EQ(QXStatus, 34u);
    QXStatus = 0;
    EXPECT_EQ(QXStr_CreateConnector(page_, node, 123456), 0u);
    EXPECT_EQ(QXStatus, 32u);
    QXStatus = 0;
    EXPECT_EQ(QXStr_CreatePolygon(page_, 0, nullptr), 0u);
    EXPECT_NE(QXStatus, 0u);
    EXPECT_EQ(QXStr_NewPage(3, 0, 0, -1, -1, -1, -1), 0u);
}

TEST_F(QXStructTest, ListsOfAPage)
{
    uint16_t count = 7;
    ObjectHandle* list = nullptr;
    QXStatus = 44;
    ASSERT_EQ(QXStr_GetNodeList(page_, &count, &list), 1u);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(QXStatus, 44u);  // an empty list leaves the status alone

    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(100), 0);
    ObjectHandle c = QXStr_CreateConnector(page_, a, b);
    ASSERT_NE(c, 0u);
    ASSERT_EQ(QXStr_GetNodeList(page_, &count, &list), 1u);
    EXPECT_EQ(Take(count, list), (std::vector<ObjectHandle>{a, b}));
    ASSERT_EQ(QXStr_GetPageConnList(page_, &count, &list), 1u);
    EXPECT_EQ(Take(count, list), (std::vector<ObjectHandle>{c}));
    ASSERT_EQ(QXStr_GetObjectConnList(a, &count, &list), 1u);
    EXPECT_EQ(Take(count, list), (std::vector<ObjectHandle>{c}));
    ASSERT_EQ(QXStr_GetPageList(&count, &list), 1u);
    EXPECT_EQ(Take(count, list), (std::vector<ObjectHandle>{page_}));
    EXPECT_EQ(QXStr_GetNodeList(a, &count, &list), 0u);
    EXPECT_EQ(QXStatus, 32u);
    EXPECT_EQ(QXStr_GetObjectPage(a), page_);
    EXPECT_EQ(QXStr_GetBaseObject(a), a);
}

struct DirectionCase {
    uint32_t code;
    bool aIsStart;
    std::vector<int> incoming;  // 0 for b
    std::vector<int> outgoing;
    uint32_t seenFromA;
};

class QXNeighbourTest : public QXDiagramTest, public ::testing::WithParamInterface<DirectionCase> {};

TEST_P(QXNeighbourTest, NeighboursAndOtherEndFollowTheDirection)
{
    const DirectionCase& d = GetParam();
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(100), 0);
    ObjectHandle c = d.aIsStart ? QXStr_CreateConnector(page_, a, b) : QXStr_CreateConnector(page_, b, a);
    ASSERT_NE(c, 0u);
    Model_SetFieldValue(c, Field::kDirection, d.code);
    uint16_t n1 = 0;
    uint16_t n2 = 0;
    ObjectHandle* l1 = nullptr;
    ObjectHandle* l2 = nullptr;
    ASSERT_EQ(QXStr_GetNodeConnLists(a, &n1, &l1, &n2, &l2), 1u);
    EXPECT_EQ(Take(n1, l1).size(), d.incoming.size());
    EXPECT_EQ(Take(n2, l2).size(), d.outgoing.size());
    ObjectHandle other = 0;
    uint32_t direction = 99;
    ASSERT_EQ(QXStr_GetConnOtherEnd(a, c, &other, &direction), 1u);
    EXPECT_EQ(other, b);
    EXPECT_EQ(direction, d.seenFromA);
}

INSTANTIATE_TEST_SUITE_P(Codes, QXNeighbourTest,
                         ::testing::Values(DirectionCase{0, true, {0}, {0}, 0}, DirectionCase{3, true, {0}, {0}, 3},
                                           DirectionCase{1, true, {}, {0}, 1}, DirectionCase{1, false, {0}, {}, 2},
                                           DirectionCase{2, true, {0}, {}, 2}, DirectionCase{2, false, {}, {0}, 1}));

TEST_F(QXStructTest, OtherEndOfANodeThatIsNotAnEndSetsStatus32)
{
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(100), 0);
    ObjectHandle stranger = Node(F(200), 0);
    ObjectHandle c = QXStr_CreateConnector(page_, a, b);
    ObjectHandle other = 0;
    uint32_t direction = 0;
    EXPECT_EQ(QXStr_GetConnOtherEnd(stranger, c, &other, &direction), 0u);
    EXPECT_EQ(QXStatus, 32u);
}

TEST_F(QXStructTest, DeleteObjectTakesItsConnectorsAlong)
{
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(100), 0);
    QXStr_CreateConnector(page_, a, b);
    ASSERT_EQ(QXStr_DeleteObject(a), 1u);
    EXPECT_EQ(QXStatus, 0u);
    EXPECT_FALSE(QXStr_IsObject(a));
    uint16_t count = 0;
    ObjectHandle* list = nullptr;
    QXStr_GetPageConnList(page_, &count, &list);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(QXStr_DeleteObject(a), 0u);
    EXPECT_EQ(QXStatus, 32u);
}

TEST_F(QXStructTest, StatusStaysThroughSuccessfulCallsOfTheSecondKind)
{
    EXPECT_EQ(QXStr_GetNodeConnLists(page_, nullptr, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(QXStatus, 32u);
    Node(0, 0);
    Node(F(50), 0);
    uint32_t open = 5;
    EXPECT_EQ(QXStr_IsPageOpen(page_, &open), 1u);
    EXPECT_EQ(open, 0u);
    EXPECT_EQ(QXStatus, 32u);
}

TEST_F(QXStructTest, SetCurGroupWithOneInvalidHandleSelectsNothing)
{
    ObjectHandle a = Node(0, 0);
    const ObjectHandle objects[] = {a, 99999};
    EXPECT_EQ(QXStr_SetCurGroup(2, objects), 0u);
    EXPECT_EQ(Select_GetMode() == kSelectGroup, false);
    EXPECT_EQ(QXStr_SetCurGroup(0, objects), 0u);
    EXPECT_EQ(QXStatus, 34u);
}

TEST_F(QXStructTest, ClearDiagram)
{
    Hook_Register(63, [](uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) -> uintptr_t { return 0; });
    EXPECT_EQ(QXStr_ClearDiagram(), 0u);
    EXPECT_EQ(QXStatus, 53u);
    EXPECT_TRUE(QXStr_HasDiagram());
    Hook_Unregister(63);
    EXPECT_EQ(QXStr_ClearDiagram(), 1u);
    EXPECT_FALSE(QXStr_HasDiagram());
    EXPECT_EQ(QXStr_ClearDiagram(), 0u);
    EXPECT_EQ(QXStatus, 45u);
}

TEST_F(QXStructTest, ZoomAndClone)
{
    EXPECT_EQ(QXStr_ZoomIn(page_), 1u);
    EXPECT_EQ(static_cast<Fixed>(Model_GetFieldValue(page_, Field::kScaleX)), 0x20000);
    ObjectHandle a = Node(0, 0);
    EXPECT_EQ(QXStr_ZoomOut(a), 0u);
    EXPECT_EQ(QXStatus, 14u);
    ObjectHandle copy = QXStr_CloneObject(a);
    ASSERT_NE(copy, 0u);
    EXPECT_NE(copy, a);
    EXPECT_EQ(Model_GetKind(copy), Model_GetKind(a));
}

}  // namespace
