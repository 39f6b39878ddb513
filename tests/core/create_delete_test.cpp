// Creation, page numbers and scale, layer order, and deletion with cascades.
#include <vector>

#include "TreeCheck.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"

namespace {

class CreateTest : public CoreTest {};

uint32_t NumberOf(ObjectHandle page)
{
    return Model_GetFieldValue(page, Field::kPageNumber);
}

int gHook9Calls = 0;
uintptr_t CountHook9(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    ++gHook9Calls;
    return 1;
}

uintptr_t Refuse(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}

TEST_F(CreateTest, NewPageTakesTheLowestFreeNumber)
{
    ObjectHandle p2 = 0, p3 = 0, p4 = 0;
    Core_AddPage(&p2);
    Core_AddPage(&p3);
    Model_SetFieldValue(p3, Field::kPageNumber, 4);
    ASSERT_EQ(Core_AddPage(&p4), kStatusOk);
    EXPECT_EQ(NumberOf(p4), 3u);
    char name[64] = {};
    ASSERT_EQ(Model_GetPageName(p4, name), kStatusOk);
    EXPECT_STREQ(name, "unnamed");
    EXPECT_TREE_SOUND();
}

TEST_F(CreateTest, RenumberingShiftsCollidingPagesUpToTheGap)
{
    ObjectHandle pages[4] = {page_};
    for (int i = 1; i < 4; ++i) {
        Core_AddPage(&pages[i]);
    }
    Model_SetFieldValue(pages[3], Field::kPageNumber, 5);
    ASSERT_EQ(Core_RenumberPage(pages[0], 2), kStatusOk);
    EXPECT_EQ(NumberOf(pages[0]), 2u);
    EXPECT_EQ(NumberOf(pages[1]), 3u);
    EXPECT_EQ(NumberOf(pages[2]), 4u);
    EXPECT_EQ(NumberOf(pages[3]), 5u);
    EXPECT_EQ(Core_RenumberPage(Node(0, 0), 1), kStatusNotAPage);
}

struct ScaleCase {
    Fixed factor;
    Fixed expected;
};
class ScaleTest : public CoreTest, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(ScaleTest, ScaleIsClampedToTheRange)
{
    ASSERT_EQ(Core_SetPageScale(page_, GetParam().factor), kStatusOk);
    EXPECT_EQ(static_cast<Fixed>(Model_GetFieldValue(page_, Field::kScaleX)), GetParam().expected);
    EXPECT_EQ(static_cast<Fixed>(Model_GetFieldValue(page_, Field::kScaleY)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Factors, ScaleTest,
                         ::testing::Values(ScaleCase{F(8), F(4)}, ScaleCase{F(0.1), F(0.25)},
                                           ScaleCase{F(2), F(2)}, ScaleCase{-F(1), F(4)}));

TEST_F(CreateTest, ConnectorBetweenBorderNodesIsRefusedBeforeHook9)
{
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(100), 0);
    Model_SetFieldValue(a, Field::kBorderMark, b);
    Model_SetFieldValue(b, Field::kBorderMark, a);
    gHook9Calls = 0;
    Hook_Register(9, CountHook9);
    ObjectHandle c = 99;
    EXPECT_EQ(Core_AddConnector(page_, a, b, 0, &c, 0), kStatusBorderToBorder);
    EXPECT_EQ(c, 0u);
    EXPECT_EQ(gHook9Calls, 0);
    EXPECT_EQ(Model_GetFirstConnector(page_), 0u);
}

TEST_F(CreateTest, RefusedConnectorCreatesNothing)
{
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(100), 0);
    Hook_Register(9, Refuse);
    ObjectHandle c = 0;
    EXPECT_EQ(Core_AddConnector(page_, a, b, 0, &c, 0), kStatusRefusedByHook);
    EXPECT_EQ(Model_GetFirstConnector(page_), 0u);
}

TEST_F(CreateTest, LabelsHaveTextRecordsOfTheirOwn)
{
    ObjectHandle first = 0, second = 0;
    ASSERT_EQ(Core_AddLabel(page_, {F(10), F(10)}, &first, 0), kStatusOk);
    ASSERT_EQ(Core_AddLabel(page_, {F(50), F(10)}, &second, 0), kStatusOk);
    EXPECT_NE(Model_GetFieldValue(first, Field::kText), 0u);
    EXPECT_NE(Model_GetFieldValue(first, Field::kText), Model_GetFieldValue(second, Field::kText));
    EXPECT_EQ(Model_GetKind(first), 12u);
    EXPECT_TRUE(Model_HasFlags(first, kFlagSizeFollowsText));
    EXPECT_EQ(Core_DeleteObject(first, 0), kStatusOk);
    EXPECT_TREE_SOUND();
}

TEST_F(CreateTest, LineAndPolygonTakeTheirBoxFromThePoints)
{
    PtArray points = 0;
    PtArray_Create(&points, 3);
    PtArray_Append(points, {F(0), F(0)});
    PtArray_Append(points, {F(40), F(10)});
    PtArray_Append(points, {F(20), F(30)});
    ObjectHandle polygon = 0;
    ASSERT_EQ(Core_AddPolygon(page_, points, &polygon), kStatusOk);
    PtArray_Free(points);
    FixRect box;
    Model_GetField(polygon, Field::kBox, &box);
    EXPECT_EQ(box, (FixRect{0, 0, F(40), F(30)}));
    EXPECT_EQ(PositionOf(polygon), (FixPoint{F(20), F(15)}));
    EXPECT_EQ(Model_GetFieldValue(polygon, Field::kWidth), static_cast<uint32_t>(F(40)));
}

TEST_F(CreateTest, LayerOrderNeedsTheSameParent)
{
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(50), 0);
    ObjectHandle c = Node(F(100), 0);
    ObjectHandle other = 0;
    Core_AddPage(&other);
    ObjectHandle elsewhere = Node(0, 0, F(20), F(20), 1, other);
    EXPECT_EQ(Core_SetLayerOrder(a, elsewhere), kStatusDifferentParents);
    EXPECT_EQ(Model_GetFirstNode(page_), a);
    ASSERT_EQ(Core_SetLayerOrder(a, c), kStatusOk);
    EXPECT_EQ(Model_GetFirstNode(page_), b);
    EXPECT_EQ(Model_GetNextSibling(c), a);
    ASSERT_EQ(Core_SetLayerOrder(a, 0), kStatusOk);
    EXPECT_EQ(Model_GetFirstNode(page_), a);
    EXPECT_TREE_SOUND();
}

TEST_F(CreateTest, AttachAndDetachNodes)
{
    ObjectHandle node = Node(0, 0);
    ObjectHandle other = 0;
    Core_AddPage(&other);
    EXPECT_EQ(Core_AttachNode(node, node), kStatusNotAPage);
    ASSERT_EQ(Core_AttachNode(node, other), kStatusOk);
    EXPECT_TRUE(Model_IsAttachedNode(node));
    EXPECT_EQ(Core_AttachNode(node, other), 4u);
    ASSERT_EQ(Core_DeletePage(other, 0), kStatusOk);
    EXPECT_FALSE(Model_IsAttachedNode(node));
    EXPECT_TREE_SOUND();
}

class DeleteTest : public CoreTest {};

TEST_F(DeleteTest, DeletingANodeTakesItsConnectorsAndRegions)
{
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(100), 0);
    ObjectHandle c = Node(F(0), F(100));
    Connect(a, b);
    Connect(c, a);
    ObjectHandle kept = Connect(b, c);
    ObjectHandle label = Node(F(0), F(20), F(10), F(10));
    ASSERT_EQ(Core_MakeRegion(label, a), kStatusOk);
    ASSERT_EQ(Core_DeleteObject(a, 0), kStatusOk);
    EXPECT_EQ(Model_GetSerial(label), 0u);
    EXPECT_EQ(Model_GetFirstConnector(page_), kept);
    EXPECT_EQ(Model_GetNextSibling(kept), 0u);
    EXPECT_TREE_SOUND();
}

TEST_F(DeleteTest, RefusingHookKeepsTheConnector)
{
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(100), 0);
    ObjectHandle c = Connect(a, b);
    Hook_Register(12, Refuse);
    EXPECT_EQ(Core_DeleteObject(c, 0), kStatusOk);
    EXPECT_NE(Model_GetSerial(c), 0u);
    EXPECT_EQ(Core_DeleteObject(c, kDeleteUnasked), kStatusOk);
    EXPECT_EQ(Model_GetSerial(c), 0u);
}

TEST_F(DeleteTest, PartnerConnectorGoesUnlessKept)
{
    for (uint32_t mode : {0u, kDeleteKeepPartnerConnector}) {
        ObjectHandle a = Node(0, 0);
        ObjectHandle b = Node(F(100), 0);
        ObjectHandle c = Connect(a, b);
        ObjectHandle partner = Connect(b, a);
        Model_SetFieldValue(c, Field::kConnectorBorderMark, partner);
        ASSERT_EQ(Core_DeleteObject(c, mode | kDeleteKeepConnectors), kStatusOk);
        EXPECT_EQ(Model_GetSerial(partner) != 0, mode != 0) << mode;
        EXPECT_TREE_SOUND();
    }
}

TEST_F(DeleteTest, DeletingASubpageMakesTheNodePlainAgain)
{
    ObjectHandle node = Node(0, 0);
    ObjectHandle sub = 0, subsub = 0;
    Core_AddPage(&sub);
    Core_AddPage(&subsub);
    Model_SetFieldValue(node, Field::kSubpage, sub);
    Model_SetFieldValue(sub, Field::kRefinedNode, node);
    ObjectHandle inner = Node(0, 0, F(20), F(20), 1, sub);
    Model_SetFieldValue(inner, Field::kSubpage, subsub);
    Model_SetFieldValue(subsub, Field::kRefinedNode, inner);
    ASSERT_TRUE(Model_IsCoarseNode(node));

    ASSERT_EQ(Core_DeletePage(page_, 1), kStatusOk);
    EXPECT_EQ(Model_GetSerial(sub), 0u);
    EXPECT_NE(Model_GetSerial(subsub), 0u);
    EXPECT_EQ(Model_GetFieldValue(subsub, Field::kRefinedNode), 0u);
    EXPECT_EQ(Core_DeletePage(node, 0), kStatusBadArgument);
    EXPECT_TREE_SOUND();
}

TEST_F(DeleteTest, CloseModelLeavesNoDiagram)
{
    Connect(Node(0, 0), Node(F(100), 0));
    ASSERT_EQ(Core_CopyObject(Model_GetFirstNode(page_)), kStatusOk);
    ASSERT_EQ(Core_CloseModel(), kStatusOk);
    EXPECT_EQ(Model_GetRoot(), 0u);
    EXPECT_EQ(Model_IsModified(), 0u);
    ObjectHandle first = 0;
    ASSERT_EQ(Core_NewModel(&first), kStatusOk);
    EXPECT_EQ(NumberOf(first), 1u);
    EXPECT_EQ(Core_BucketHoldsConnectorOnly(), 0u);
    EXPECT_TREE_SOUND();
}

}  // namespace
