// The object tree: classification by type masks, splicing, walks, recent
// objects, filters, copying and code conversion.
#include <vector>

#include "KernelFixture.h"
#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"

namespace {

class TreeTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        page = Model_NewPage();
        ASSERT_NE(page, 0u);
    }

    ObjectHandle AddRegion(ObjectHandle owner)
    {
        ObjectHandle region = Model_NewObject(kTypeRegion);
        Model_AppendChild(Model_GetRegionList(owner), region);
        return region;
    }

    ObjectHandle page = 0;
};

struct Visit {
    std::vector<ObjectHandle> order;
    ObjectHandle skip = 0;
    ObjectHandle destroy = 0;
};

KernelStatus Record(ObjectHandle object, void* argument)
{
    auto* visit = static_cast<Visit*>(argument);
    visit->order.push_back(object);
    if (object == visit->destroy) {
        Model_DestroyTree(object);
    }
    return object == visit->skip ? kStatusSkipSubtree : kStatusOk;
}

TEST_F(TreeTest, TypeMasksClassifyNodesByTheirLinks)
{
    ObjectHandle plain = Model_NewNode(page);
    ObjectHandle coarse = Model_NewNode(page);
    Model_SetFieldValue(coarse, Field::kSubpage, page);
    ObjectHandle attached = Model_NewNode(page);
    Model_SetFieldValue(attached, Field::kAttachedTo, page);
    Model_SetFlags(attached, kFlagAttached, 1);
    ObjectHandle border = Model_NewNode(page);
    Model_SetFieldValue(border, Field::kBorderMark, 1);
    ObjectHandle region = AddRegion(plain);
    ObjectHandle connector = Model_NewConnector(page);

    struct Case {
        ObjectHandle object;
        uint32_t mask;
        uint32_t matches;
    };
    const Case cases[] = {
        {plain, kMaskPlainNode, 1},      {plain, kMaskCoarseNode, 0},   {coarse, kMaskCoarseNode, 1},
        {coarse, kMaskPlainNode, 0},     {attached, kMaskAttachedNode, 1}, {attached, kMaskCoarseNode, 0},
        {border, kMaskBorderNode, 1},    {border, kMaskPlainNode, 0},   {region, kMaskRegion, 1},
        {region, 0x1f, 0},               {connector, kMaskConnector, 1}, {page, kMaskPage, 1},
        {page, 1023, 0},                 {Model_GetNodeList(page), 4095, 0}, {Model_GetNodeList(page), kMaskAll, 1},
        {plain, 0x10 | 0x40 | 0x80 | 0x200 | 0x800, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Model_MatchesTypeMask(c.object, c.mask), c.matches)
            << "object " << c.object << " mask " << std::hex << c.mask;
    }
    EXPECT_EQ(Model_GetNodeLink(coarse), page);
    EXPECT_EQ(Model_GetNodeLink(attached), page);
    EXPECT_EQ(Model_GetNodeLink(plain), 0u);
}

TEST_F(TreeTest, RegionsClimbToTheirBaseObjectAndPage)
{
    ObjectHandle node = Model_NewNode(page);
    ObjectHandle region = AddRegion(node);
    ObjectHandle inner = AddRegion(region);
    EXPECT_EQ(Model_GetRegionOwner(inner), region);
    EXPECT_EQ(Model_GetBaseObject(inner), node);
    EXPECT_EQ(Model_GetPage(inner), page);
    EXPECT_EQ(Model_GetFirstRegion(node), region);
    EXPECT_EQ(Model_IsDescendantOf(inner, node), 1u);
    EXPECT_EQ(Model_IsDescendantOf(node, inner), 0u);
    EXPECT_EQ(Model_IsDescendantOf(node, Model_GetRoot()), 1u);
}

TEST_F(TreeTest, InheritedFlagsOfEnclosingRegionsCount)
{
    ObjectHandle node = Model_NewNode(page);
    ObjectHandle region = AddRegion(node);
    EXPECT_EQ(Model_FlagsClear(region, 0x4), 1u);
    Model_SetFlags(node, 0x4, 1);
    EXPECT_EQ(Model_FlagsClear(region, 0x4), 0u);   // inherited bit
    Model_SetFlags(node, 0x8, 1);
    EXPECT_EQ(Model_FlagsClear(region, 0x8), 1u);   // not inherited
    EXPECT_EQ(Model_FlagsClear(0, 0x8), 0u);
}

TEST_F(TreeTest, PreOrderWalkSkipsTheSubtreeOf56AndGoesOn)
{
    ObjectHandle first = Model_NewNode(page);
    ObjectHandle region = AddRegion(first);
    ObjectHandle second = Model_NewNode(page);
    Visit visit;
    visit.skip = first;
    EXPECT_EQ(Model_WalkPreOrder(first, kMaskAll, Record, &visit), kStatusOk);
    EXPECT_EQ(visit.order, (std::vector<ObjectHandle>{first, second}));

    Visit all;
    Model_WalkPreOrder(first, kMaskAll, Record, &all);
    EXPECT_EQ(all.order, (std::vector<ObjectHandle>{first, Model_GetFirstChild(first), region, second}));
}

TEST_F(TreeTest, PostOrderWalkVisitsChildrenFirstAndSiblingsFromTheLast)
{
    ObjectHandle a = Model_NewNode(page);
    ObjectHandle ra = AddRegion(a);
    ObjectHandle b = Model_NewNode(page);
    ObjectHandle c = Model_NewNode(page);
    Visit visit;
    Model_WalkPostOrder(a, 4095, Record, &visit);
    EXPECT_EQ(visit.order, (std::vector<ObjectHandle>{ra, c, b, a}));
}

TEST_F(TreeTest, ACallbackMayDestroyItsObjectDuringApplySiblings)
{
    ObjectHandle a = Model_NewNode(page);
    ObjectHandle b = Model_NewNode(page);
    ObjectHandle c = Model_NewNode(page);
    Visit visit;
    visit.destroy = b;
    EXPECT_EQ(Model_ApplySiblings(a, Record, &visit), kStatusOk);
    EXPECT_EQ(visit.order, (std::vector<ObjectHandle>{a, b, c}));
    EXPECT_EQ(Model_CountNodes(page), 2u);
    EXPECT_EQ(Model_GetNextSibling(a), c);
}

TEST_F(TreeTest, SplicingKeepsTheChainConsistent)
{
    ObjectHandle list = Model_GetNodeList(page);
    ObjectHandle a = Model_NewNode(page);
    ObjectHandle b = Model_NewNode(page);
    ObjectHandle c = Model_NewNode(page);
    // Inserting after the last child appends.
    EXPECT_EQ(Model_InsertChild(a, list, c), kStatusOk);
    EXPECT_EQ(Model_GetFirstChild(list), b);
    EXPECT_EQ(Model_GetLastSibling(b), a);
    EXPECT_EQ(Model_GetPrevSibling(a), c);
    EXPECT_EQ(Model_InsertChild(a, list, 0), kStatusOk);
    EXPECT_EQ(Model_GetFirstChild(list), a);
    EXPECT_EQ(Model_IsNotFirstChild(b), 1u);
    EXPECT_EQ(Model_MoveToLast(a), kStatusOk);
    EXPECT_EQ(Model_GetLastSibling(b), a);
    // An `after` under another parent is refused, the object stays unlinked.
    ObjectHandle other = Model_NewNode(Model_NewPage());
    EXPECT_EQ(Model_InsertChild(a, list, other), kStatusBadContainerArgument);
    EXPECT_EQ(Model_GetParent(a), 0u);
    EXPECT_EQ(Model_CountNodes(page), 2u);
    EXPECT_EQ(Model_AppendChild(0, a), kStatusInvalidObject);
    Model_FreeSlot(a, 0);
}

TEST_F(TreeTest, MovingToAPage)
{
    ObjectHandle other = Model_NewPage();
    ObjectHandle connector = Model_NewConnector(page);
    ObjectHandle node = Model_NewNode(page);
    EXPECT_EQ(Model_MoveToPage(connector, page), kStatusFailed);
    EXPECT_EQ(Model_GetFirstConnector(page), connector);
    EXPECT_EQ(Model_MoveToPage(connector, other), kStatusOk);
    EXPECT_EQ(Model_GetFirstConnector(other), connector);
    EXPECT_EQ(Model_MoveToPage(node, other), kStatusOk);
    EXPECT_EQ(Model_GetFirstNode(other), node);
    EXPECT_EQ(Model_MoveToPage(node, node), kStatusNotAPage);
    EXPECT_EQ(Model_GetPage(node), other);
}

TEST_F(TreeTest, RecentObjectsKeepTheLatestEight)
{
    std::vector<ObjectHandle> nodes;
    for (int i = 0; i < 9; ++i) {
        nodes.push_back(Model_NewNode(page));
        ASSERT_EQ(Model_PushRecent(nodes.back()), kStatusOk);
    }
    ObjectHandle list = Model_GetNodeList(page);
    uint32_t entries[8];
    Model_GetField(list, Field::kRecent, entries);
    EXPECT_EQ(entries[0], nodes[1]);  // the oldest was dropped
    EXPECT_EQ(Model_GetRecent(nodes[0]), nodes[8]);

    Model_PushRecent(nodes[3]);  // moves to the most recent place
    ObjectHandle previous = 0;
    ObjectHandle recent = 0;
    Model_GetRecentPair(nodes[0], &previous, &recent);
    EXPECT_EQ(recent, nodes[3]);
    EXPECT_EQ(previous, nodes[8]);
    EXPECT_EQ(Model_PopRecent(list), nodes[3]);
    Model_RemoveRecent(nodes[8]);
    EXPECT_EQ(Model_GetRecent(list), nodes[7]);
    Model_ClearRecent(list);
    EXPECT_EQ(Model_GetRecent(list), 0u);
    EXPECT_EQ(Model_PushRecent(Model_GetRoot()), kStatusFailed);  // the root has no list
}

TEST_F(TreeTest, FiltersCollectByFieldAndByTest)
{
    ObjectHandle a = Model_NewNode(page);
    ObjectHandle b = Model_NewNode(page);
    Model_SetFieldValue(b, Field::kLineStyle, 3);
    uint32_t three = 3;
    GroupNumber styled = Model_FilterPageByField(page, Field::kLineStyle, &three, 0);
    ASSERT_NE(styled, 0);
    EXPECT_EQ(Group_Count(styled), 1u);
    EXPECT_EQ(Group_Member(styled, 0), b);
    GroupNumber others = Model_FilterByField(page, Field::kLineStyle, &three, 1);
    EXPECT_TRUE(Group_Contains(others, a));
    EXPECT_TRUE(Group_Contains(others, page));
    EXPECT_FALSE(Group_Contains(others, b));
    GroupNumber tested = Model_FilterByTest(
        page, [](ObjectHandle object, void*) -> uint32_t { return Model_IsNode(object); }, nullptr, 0);
    EXPECT_EQ(Group_Count(tested), 2u);
    EXPECT_EQ(Model_FilterPageByField(a, Field::kLineStyle, &three, 0), 0);
    Group_Free(styled);
    Group_Free(others);
    Group_Free(tested);
}

TEST_F(TreeTest, PagesInNumberOrder)
{
    Model_SetFieldValue(page, Field::kPageNumber, 3);
    ObjectHandle second = Model_NewPage();
    Model_SetFieldValue(second, Field::kPageNumber, 1);
    std::vector<ObjectHandle> order;
    Model_ApplyPagesSorted(
        [](ObjectHandle p, void* argument) -> KernelStatus {
            static_cast<std::vector<ObjectHandle>*>(argument)->push_back(p);
            return kStatusFailed;  // results are ignored
        },
        &order);
    EXPECT_EQ(order, (std::vector<ObjectHandle>{second, page}));
}

TEST_F(TreeTest, ACloneOwnsItsOwnBlocks)
{
    ObjectHandle node = Model_NewNode(page);
    MemHandle text = Text_Create(node, FixRect{0, 0, F(10), F(10)}, 1);
    Model_SetFieldValue(node, Field::kText, text);
    MemHandle userData = 0;
    Mem_AllocCopy(&userData, "data", 4);
    Model_SetFieldValue(node, Field::kUserData, userData);
    Model_SetFieldValue(node, Field::kReferrers, 1234);
    AddRegion(node);

    ObjectHandle clone = 0;
    ASSERT_EQ(Model_CloneObject(node, &clone), kStatusOk);
    EXPECT_EQ(Model_GetNextSibling(node), clone);
    EXPECT_EQ(Model_GetFirstChild(clone), 0u);
    EXPECT_NE(Model_GetFieldValue(clone, Field::kText), 0u);
    EXPECT_NE(Model_GetFieldValue(clone, Field::kText), text);
    EXPECT_NE(Model_GetFieldValue(clone, Field::kUserData), userData);
    EXPECT_EQ(Mem_Size(Model_GetFieldValue(clone, Field::kUserData)), 4u);
    EXPECT_EQ(Model_GetFieldValue(clone, Field::kReferrers), 0u);
    Model_SetFieldValue(node, Field::kReferrers, 0);

    GroupNumber group = Group_NewWith(node);
    GroupNumber copies = 0;
    ASSERT_EQ(Model_CloneGroup(group, &copies), kStatusOk);
    EXPECT_EQ(Group_Count(copies), 1u);
    EXPECT_NE(Group_Member(copies, 0), node);
    Group_Free(group);
    Group_Free(copies);
}

TEST_F(TreeTest, ShapeBitFollowsTheShapeKind)
{
    ObjectHandle node = Model_NewNode(page);
    Model_SetFieldValue(node, Field::kShapeBits, 0x10);
    EXPECT_EQ(Model_SetShapeBit(node, 12), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kShapeBits), 0x11u);
    EXPECT_EQ(Model_SetShapeBit(node, 8), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kShapeBits), 0x10u);
    EXPECT_EQ(Model_SetShapeBit(node, 9), kStatusUnknownShapeKind);
}

TEST_F(TreeTest, ConnectorEnds)
{
    ObjectHandle a = Model_NewNode(page);
    ObjectHandle b = Model_NewNode(page);
    ObjectHandle region = AddRegion(b);
    ObjectHandle connector = Model_NewConnector(page);
    ASSERT_EQ(Model_SetConnectorEnds(connector, a, region), kStatusOk);
    ObjectHandle start = 0;
    ObjectHandle end = 0;
    Model_GetConnectorEnds(connector, &start, &end, 0);
    EXPECT_EQ(start, a);
    EXPECT_EQ(end, b);
    Model_GetConnectorEnds(connector, &start, &end, 1);
    EXPECT_EQ(end, region);
    EXPECT_EQ(Model_OtherEnd(connector, a), b);
    EXPECT_EQ(Model_OtherEnd(connector, page), 0u);
}

TEST(CodeConversion, Tables)
{
    struct Case {
        int32_t code;
        uint32_t table;
        uint32_t direction;
        int32_t expected;
    };
    const Case cases[] = {
        {12, 0, 2, 1},   {1, 0, 1, 1},     {3, 0, 1, 5},     {9, 0, 2, 20},  {99, 0, 1, 99},
        {8, 1, 1, 1},    {10, 1, 2, 512},  {7, 2, 1, 0x03000007}, {4, 2, 2, 5}, {1, 2, 1, 1},
        {21, 3, 1, 3},   {3, 3, 2, 21},    {6, 4, 2, 3},     {-5, 4, 2, -3}, {6, 4, 1, 12},
        {-1, 5, 1, 0},   {2, 5, 2, 1},     {13, 6, 1, 7},    {5, 7, 1, 0},   {9, 6, 1, 3},
        {4, 6, 2, 19},   {8, 7, 2, 1},     {0x0109, 8, 1, 0x0101}, {0x0203, 8, 2, 0x0203},
        {42, 9, 1, 42},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Model_ConvertCode(c.code, c.table, c.direction), c.expected)
            << "code " << c.code << " table " << c.table << " direction " << c.direction;
    }
}

}  // namespace
