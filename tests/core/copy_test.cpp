// Copy to the bucket, paste, paste of a connector and duplication.
#include "TreeCheck.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"

namespace {

class CopyTest : public CoreTest {};

TEST_F(CopyTest, NodeWithItsOwnRegionIsCopiedOnce)
{
    ObjectHandle node = Node(0, 0);
    ObjectHandle region = Node(0, F(20), F(10), F(10));
    ASSERT_EQ(Core_MakeRegion(region, node), kStatusOk);
    GroupNumber group = Group_New();
    Group_Add(group, node);
    Group_Add(group, region);
    ASSERT_EQ(Core_CopyToBucket(group), kStatusOk);
    EXPECT_EQ(Group_Count(group), 1);
    Group_Free(group);
    ObjectHandle bucket = Core_GetBucketPage(0);
    EXPECT_EQ(Model_CountNodes(bucket), 1u);
    ObjectHandle copy = Model_GetFirstNode(bucket);
    ASSERT_NE(Model_GetFirstRegion(copy), 0u);
    EXPECT_EQ(Model_GetRegionOwner(Model_GetFirstRegion(copy)), copy);
    EXPECT_TREE_SOUND();
}

TEST_F(CopyTest, CopiedFreeRegionArrivesAsPlainNode)
{
    ObjectHandle node = Node(0, 0);
    ObjectHandle region = Node(0, F(20), F(10), F(10));
    ASSERT_EQ(Core_MakeRegion(region, node), kStatusOk);
    ASSERT_EQ(Core_CopyObject(region), kStatusOk);
    ObjectHandle copy = Model_GetFirstNode(Core_GetBucketPage(0));
    EXPECT_EQ(Model_GetType(copy), kTypeNode);
    EXPECT_TRUE(Model_IsRegion(region));
    EXPECT_TREE_SOUND();
}

TEST_F(CopyTest, PastingTwiceGivesTwoOffsetCopiesWithRemappedConnector)
{
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(100), 0);
    Connect(a, b);
    GroupNumber group = Group_New();
    Group_Add(group, a);
    Group_Add(group, b);
    ASSERT_EQ(Core_CopyToBucket(group), kStatusOk);
    Group_Free(group);
    EXPECT_EQ(Model_CountConnectors(Core_GetBucketPage(0)), 1u);
    for (int i = 0; i < 2; ++i) {
        GroupNumber pasted = 0;
        ASSERT_EQ(Core_Paste(page_, &pasted), kStatusOk);
        ASSERT_EQ(Group_Count(pasted), 3);
        ObjectHandle first = Group_Member(pasted, 0);
        EXPECT_EQ(PositionOf(first), (FixPoint{F(5), F(5)}));
        ObjectHandle connector = Group_Member(pasted, 2);
        ASSERT_TRUE(Model_IsConnector(connector));
        EXPECT_EQ(Model_GetFieldValue(connector, Field::kStartObject), first);
        EXPECT_EQ(Model_GetFieldValue(connector, Field::kEndObject), Group_Member(pasted, 1));
        Group_Free(pasted);
    }
    EXPECT_EQ(Model_CountNodes(page_), 6u);
    EXPECT_EQ(Model_CountConnectors(page_), 3u);
    EXPECT_TREE_SOUND();
}

TEST_F(CopyTest, CutRemovesWhatWasCopied)
{
    ObjectHandle a = Node(0, 0);
    ASSERT_EQ(Core_CutObject(a), kStatusOk);
    EXPECT_EQ(Model_CountNodes(page_), 0u);
    EXPECT_EQ(Model_CountNodes(Core_GetBucketPage(0)), 1u);
    EXPECT_TREE_SOUND();
}

TEST_F(CopyTest, DuplicateKeepsConnectorsToOutsideObjects)
{
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(100), 0);
    ObjectHandle third = Node(F(0), F(100));
    Connect(a, b);
    Connect(third, b);
    GroupNumber group = Group_New();
    Group_Add(group, a);
    Group_Add(group, b);
    GroupNumber copies = 0;
    ASSERT_EQ(Core_DuplicateObjects(group, &copies, 1), kStatusOk);
    ASSERT_EQ(Group_Count(copies), 2);
    ObjectHandle a2 = Group_Member(copies, 0);
    ObjectHandle b2 = Group_Member(copies, 1);
    EXPECT_EQ(PositionOf(a2), (FixPoint{F(8), F(8)}));
    int inner = 0, outer = 0;
    for (ObjectHandle c = Model_GetFirstConnector(page_); c != 0; c = Model_GetNextSibling(c)) {
        ObjectHandle s = Model_GetFieldValue(c, Field::kStartObject);
        ObjectHandle e = Model_GetFieldValue(c, Field::kEndObject);
        inner += s == a2 && e == b2;
        outer += s == third && e == b2;
    }
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(Model_CountConnectors(page_), 4u);
    Group_Free(copies);
    Group_Free(group);
    EXPECT_TREE_SOUND();
}

TEST_F(CopyTest, PasteConnectorChecksPagesAndNodes)
{
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(100), 0);
    ObjectHandle c = Connect(a, b);
    ASSERT_EQ(Core_CopyObject(c), kStatusOk);
    EXPECT_EQ(Core_BucketHoldsConnectorOnly(), 1u);
    ObjectHandle other = 0;
    Core_AddPage(&other);
    ObjectHandle far = Node(0, 0, F(20), F(20), 1, other);
    ObjectHandle out = 7;
    EXPECT_EQ(Core_PasteConnector(a, far, &out), kStatusBadContainerArgument);
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(Core_PasteConnector(a, c, &out), kStatusNotNodes);
    EXPECT_EQ(Model_CountConnectors(page_), 1u);
    ObjectHandle d = Node(F(0), F(100));
    ASSERT_EQ(Core_PasteConnector(b, d, &out), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(out, Field::kStartObject), b);
    EXPECT_EQ(Model_GetFieldValue(out, Field::kEndObject), d);
    EXPECT_TREE_SOUND();
}

TEST_F(CopyTest, PastingALoneConnectorAddsNothingBroken)
{
    ObjectHandle c = Connect(Node(0, 0), Node(F(100), 0));
    ASSERT_EQ(Core_CopyObject(c), kStatusOk);
    GroupNumber pasted = 0;
    ASSERT_EQ(Core_Paste(page_, &pasted), kStatusOk);
    EXPECT_EQ(Group_Count(pasted), 0);
    Group_Free(pasted);
    EXPECT_EQ(Model_CountConnectors(page_), 1u);
    EXPECT_TREE_SOUND();
}

}  // namespace
