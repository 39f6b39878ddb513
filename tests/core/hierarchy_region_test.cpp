// Coarsening and refining, and regions.
#include "TreeCheck.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"

namespace {

class HierarchyTest : public CoreTest {
protected:
    // Coarsens the group into the node; returns the subpage.
    ObjectHandle Coarsen(GroupNumber group, ObjectHandle node)
    {
        MemHandle prepared = Core_PrepareCoarsen(node, group);
        EXPECT_NE(prepared, 0u);
        ObjectHandle subpage = 0;
        EXPECT_EQ(Core_MakeCoarseNode(group, node, prepared, &subpage), kStatusOk);
        Core_EndCoarsen(prepared);
        return subpage;
    }

    uint32_t BorderNodes(ObjectHandle page)
    {
        uint32_t n = 0;
        for (ObjectHandle o = Model_GetFirstNode(page); o != 0; o = Model_GetNextSibling(o)) {
            n += Model_IsBorderNode(o);
        }
        return n;
    }
};

TEST_F(HierarchyTest, ParallelConnectorsMergeIntoBothDirections)
{
    SetCoarsenOptions(false, true, false);
    ObjectHandle m = Node(0, 0);
    ObjectHandle outside = Node(F(200), 0);
    ObjectHandle node = Node(F(100), F(100));
    ObjectHandle in = Connect(outside, m);
    ObjectHandle out = Connect(m, outside);
    Model_SetFieldValue(in, Field::kDirection, 1);
    Model_SetFieldValue(out, Field::kDirection, 1);
    GroupNumber group = Group_New();
    Group_Add(group, m);
    Group_Add(group, node);
    ObjectHandle subpage = Coarsen(group, node);
    Group_Free(group);
    ASSERT_TRUE(Model_IsCoarseNode(node));
    EXPECT_EQ(Model_GetPage(m), subpage);
    ASSERT_EQ(Model_CountConnectors(page_), 1u);
    ObjectHandle merged = Model_GetFirstConnector(page_);
    EXPECT_EQ(Model_GetFieldValue(merged, Field::kDirection), 3u);
    EXPECT_EQ(BorderNodes(subpage), 1u);
    EXPECT_EQ(Model_CountConnectors(subpage), 2u);
    EXPECT_TREE_SOUND();
}

TEST_F(HierarchyTest, WithoutBorderNodesOnlyTheParentPageIsConnected)
{
    SetCoarsenOptions(false, false, false);
    ObjectHandle m = Node(0, 0);
    ObjectHandle outside = Node(F(200), 0);
    ObjectHandle node = Node(F(100), F(100));
    Connect(m, outside);
    GroupNumber group = Group_NewWith(m);
    ObjectHandle subpage = Coarsen(group, node);
    Group_Free(group);
    EXPECT_EQ(BorderNodes(subpage), 0u);
    EXPECT_EQ(Model_CountConnectors(subpage), 0u);
    ASSERT_EQ(Model_CountConnectors(page_), 1u);
    ObjectHandle c = Model_GetFirstConnector(page_);
    EXPECT_EQ(Model_GetFieldValue(c, Field::kStartBase), node);
    EXPECT_EQ(Model_GetFieldValue(c, Field::kEndBase), outside);
    EXPECT_TREE_SOUND();
}

TEST_F(HierarchyTest, RefiningShowsHiddenConnectorsAgain)
{
    SetCoarsenOptions(false, true, true);
    ObjectHandle m = Node(0, 0);
    ObjectHandle outside = Node(F(200), 0);
    ObjectHandle node = Node(F(100), F(100));
    ObjectHandle crossing = Connect(m, outside);
    GroupNumber group = Group_NewWith(m);
    ObjectHandle subpage = Coarsen(group, node);
    Group_Free(group);
    EXPECT_TRUE(Model_HasFlags(crossing, kHiddenFlags));
    EXPECT_EQ(Core_RefineNode(outside), kStatusFailed);
    ASSERT_EQ(Core_RefineNode(node), kStatusOk);
    EXPECT_EQ(Model_GetSerial(subpage), 0u);
    EXPECT_FALSE(Model_IsCoarseNode(node));
    EXPECT_EQ(Model_GetPage(m), page_);
    EXPECT_NE(Model_GetSerial(crossing), 0u);
    EXPECT_FALSE(Model_HasFlags(crossing, 1));
    EXPECT_EQ(Model_CountConnectors(page_), 1u);
    EXPECT_TREE_SOUND();
}

TEST_F(HierarchyTest, CoarseningChecksTheNode)
{
    ObjectHandle m = Node(0, 0);
    ObjectHandle other = 0;
    Core_AddPage(&other);
    ObjectHandle attached = Node(F(50), 0);
    Core_AttachNode(attached, other);
    GroupNumber group = Group_NewWith(m);
    MemHandle prepared = Core_PrepareCoarsen(attached, group);
    ObjectHandle subpage = 0;
    EXPECT_EQ(Core_MakeCoarseNode(group, attached, prepared, &subpage), 3u);
    EXPECT_EQ(Core_MakeCoarseNode(group, page_, prepared, &subpage), kStatusBadArgument);
    Core_EndCoarsen(prepared);
    Group_Free(group);
    EXPECT_TREE_SOUND();
}

class RegionTest : public CoreTest {};

TEST_F(RegionTest, RefusesLoopsAndConnectorOwnersOfConnectedNodes)
{
    ObjectHandle node = Node(0, 0);
    ObjectHandle region = Node(0, F(20), F(10), F(10));
    ASSERT_EQ(Core_MakeRegion(region, node), kStatusOk);
    EXPECT_EQ(Core_MakeRegion(node, region), kStatusRegionRefused);
    EXPECT_EQ(Core_MakeRegion(node, node), kStatusRegionRefused);
    EXPECT_EQ(Core_MakeRegion(region, node), kStatusOk);
    EXPECT_EQ(Model_GetRegionOwner(region), node);

    ObjectHandle a = Node(F(100), 0);
    ObjectHandle b = Node(F(200), 0);
    ObjectHandle c = Connect(a, b);
    ObjectHandle connected = Node(F(100), F(100));
    Connect(connected, a);
    EXPECT_EQ(Core_MakeRegion(connected, c), kStatusRegionRefused);
    ObjectHandle free = Node(F(300), F(300));
    EXPECT_EQ(Core_MakeRegion(free, c), kStatusOk);
    EXPECT_TREE_SOUND();
}

TEST_F(RegionTest, DetachingGivesFreeNodes)
{
    ObjectHandle node = Node(0, 0);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(Core_MakeRegion(Node(F(10 * i), F(30), F(5), F(5)), node), kStatusOk);
    }
    ASSERT_EQ(Model_CountNodes(page_), 1u);
    ASSERT_EQ(Core_DetachRegions(node, 0), kStatusOk);
    EXPECT_EQ(Model_CountNodes(page_), 4u);
    EXPECT_EQ(Model_GetFirstRegion(node), 0u);
    EXPECT_TREE_SOUND();
}

TEST_F(RegionTest, ConnectorBasesFollowTheRegion)
{
    ObjectHandle owner = Node(0, 0);
    ObjectHandle part = Node(F(0), F(40), F(10), F(10));
    ObjectHandle other = Node(F(100), F(40));
    ObjectHandle c = Connect(part, other);
    ASSERT_EQ(Core_MakeRegion(part, owner), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(c, Field::kStartBase), owner);
    EXPECT_EQ(Model_GetFieldValue(c, Field::kStartObject), part);
    EXPECT_TREE_SOUND();
    ASSERT_EQ(Core_DetachRegion(part, 0), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(c, Field::kStartBase), part);
    EXPECT_TREE_SOUND();
}

uintptr_t Refuse(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}

TEST_F(RegionTest, RefusingHook19ChangesNothing)
{
    ObjectHandle owner = Node(0, 0);
    ObjectHandle part = Node(F(0), F(40), F(10), F(10));
    Hook_Register(19, Refuse);
    EXPECT_EQ(Core_MakeRegion(part, owner), kStatusRefusedByHook);
    EXPECT_TRUE(Model_IsNode(part));
    EXPECT_EQ(Model_GetPage(part), page_);
    EXPECT_TREE_SOUND();
}

}  // namespace
