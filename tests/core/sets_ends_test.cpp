// Connector classification, rebuild, end clipping, arrow heads and curves.
#include <vector>

#include "TreeCheck.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"
#include "xkv/types/PtArray.h"

namespace {

FixPoint PointAt(PtArray array, uint32_t index)
{
    FixPoint p;
    PtArray_GetPoint(array, index, &p);
    return p;
}

class SetsTest : public CoreTest {};

TEST_F(SetsTest, ClassifiesInnerOneEndAndOuter)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(0));
    ObjectHandle outside = Node(F(0), F(100));
    ObjectHandle lonely = Node(F(300), F(300));
    ObjectHandle inner = Connect(a, b);
    ObjectHandle self = Connect(a, a);
    ObjectHandle crossing = Connect(b, outside);
    ObjectHandle flagged = Connect(outside, a);
    Model_SetFlags(flagged, kConnectorContinues, 1);

    GroupNumber group = Group_New();
    Group_Add(group, a);
    Group_Add(group, b);
    ConnectorSets sets;
    sets.flags = kSetAll;
    ASSERT_EQ(Core_ClassifyConnectors(group, &sets), kStatusOk);
    EXPECT_EQ(Group_Count(sets.inner), 2);
    EXPECT_TRUE(Group_Contains(sets.inner, inner));
    EXPECT_TRUE(Group_Contains(sets.inner, self));
    ASSERT_EQ(Group_Count(sets.oneEnd), 1);
    EXPECT_EQ(Group_Member(sets.oneEnd, 0), crossing);
    EXPECT_EQ(Group_Count(sets.oneEndFlagged), 1);
    ASSERT_EQ(Group_Count(sets.outer), 1);
    EXPECT_EQ(Group_Member(sets.outer, 0), outside);
    ASSERT_EQ(List_Count(&sets.entries), 1u);
    ConnectorSetEntry entry = Core_SetEntry(sets, 0);
    EXPECT_EQ(entry.connector, crossing);
    EXPECT_EQ(entry.innerEnd, b);
    EXPECT_EQ(entry.outerEnd, outside);
    Core_FreeConnectorSets(&sets);

    Group_Clear(group);
    Group_Add(group, lonely);
    sets = ConnectorSets{};
    sets.flags = kSetAll;
    ASSERT_EQ(Core_ClassifyConnectors(group, &sets), kStatusOk);
    EXPECT_EQ(Group_Count(sets.inner) + Group_Count(sets.oneEnd) + Group_Count(sets.outer), 0);
    Core_FreeConnectorSets(&sets);
    Group_Free(group);
    EXPECT_TREE_SOUND();
}

// Centred ends run from border to border along the line between the centres.
struct ClipCase {
    Fixed bx, by;  // centre of the second 20 x 20 rectangle; the first is at (0, 0)
    FixPoint start, end;
};

class ClipTest : public CoreTest, public ::testing::WithParamInterface<ClipCase> {};

TEST_P(ClipTest, CentredEndsLieOnTheOutlines)
{
    const ClipCase& c = GetParam();
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(c.bx, c.by);
    ObjectHandle conn = Connect(a, b);
    PtArray path = Path(conn);
    ASSERT_EQ(PtArray_Count(path), 2);
    EXPECT_EQ(PointAt(path, 0), c.start);
    EXPECT_EQ(PointAt(path, 1), c.end);
    EXPECT_TREE_SOUND();
}

INSTANTIATE_TEST_SUITE_P(Rectangles, ClipTest,
                         ::testing::Values(ClipCase{F(100), F(0), {F(10), F(0)}, {F(90), F(0)}},
                                           ClipCase{F(0), F(100), {F(0), F(10)}, {F(0), F(90)}},
                                           ClipCase{F(-100), F(0), {F(-10), F(0)}, {F(-90), F(0)}},
                                           ClipCase{F(100), F(100), {F(10), F(10)}, {F(90), F(90)}},
                                           ClipCase{F(100), F(50), {F(10), F(5)}, {F(90), F(45)}}));

TEST_F(SetsTest, EllipseEndsLieOnTheEllipse)
{
    ObjectHandle a = Node(F(0), F(0), F(40), F(20), 2);
    ObjectHandle b = Node(F(100), F(0), F(40), F(20), 2);
    ObjectHandle conn = Connect(a, b);
    EXPECT_EQ(PointAt(Path(conn), 0), (FixPoint{F(20), F(0)}));
    EXPECT_EQ(PointAt(Path(conn), 1), (FixPoint{F(80), F(0)}));
}

TEST_F(SetsTest, MovingAnEndObjectReclipsTheConnector)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(0));
    ObjectHandle conn = Connect(a, b);
    ASSERT_EQ(Core_MoveObject(b, 0, F(100), 1, 1), kStatusOk);
    EXPECT_EQ(PointAt(Path(conn), 0), (FixPoint{F(10), F(10)}));
    EXPECT_EQ(PointAt(Path(conn), 1), (FixPoint{F(90), F(90)}));
    EXPECT_EQ(PositionOf(conn), (FixPoint{F(50), F(50)}));
    EXPECT_TREE_SOUND();
}

TEST_F(SetsTest, ArrowHeadPullsThePathBack)
{
    ObjectHandle a = Node(F(0), F(50));
    ObjectHandle b = Node(F(110), F(50));
    ObjectHandle conn = Connect(a, b);
    const Fixed length = F(8);
    const Fixed width = F(3);
    Model_SetFieldValue(conn, Field::kArrowHeight, static_cast<uint32_t>(length));
    Model_SetFieldValue(conn, Field::kArrowWidth, static_cast<uint32_t>(width));
    Model_SetFieldValue(conn, Field::kDirection, 1);
    RebuildRequest request;
    ASSERT_EQ(Core_RebuildObject(conn, &request), kStatusOk);
    PtArray head = 0;
    Model_GetField(conn, Field::kEndHead, &head);
    ASSERT_EQ(PtArray_Count(head), 3);
    EXPECT_EQ(PointAt(head, 1), (FixPoint{F(100), F(50)}));
    std::vector<FixPoint> wings{PointAt(head, 0), PointAt(head, 2)};
    EXPECT_EQ(wings[0].x, F(100) - length);
    EXPECT_EQ(wings[1].x, F(100) - length);
    EXPECT_EQ(std::abs(wings[0].y - F(50)), width);
    EXPECT_EQ(wings[0].y + wings[1].y, 2 * F(50));
    EXPECT_EQ(PointAt(Path(conn), 1), (FixPoint{F(100) - length, F(50)}));

    // Attribute changes rebuild the head without shortening the path again.
    for (int i = 0; i < 3; ++i) {
        RebuildRequest attributes;
        attributes.kind = kRebuildAttributes;
        ASSERT_EQ(Core_RebuildObject(conn, &attributes), kStatusOk);
    }
    EXPECT_EQ(PointAt(Path(conn), 1), (FixPoint{F(100) - length, F(50)}));
}

TEST_F(SetsTest, HeadOnADegeneratePathIsNotBuilt)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle conn = Connect(a, a);
    Model_SetFieldValue(conn, Field::kDirection, 3);
    PtArray same = 0;
    PtArray_Create(&same, 2);
    PtArray_Append(same, {F(5), F(5)});
    PtArray_Append(same, {F(5), F(5)});
    PtArray old = Path(conn);
    Model_SetField(conn, Field::kPath, &same);
    PtArray_Free(old);
    EXPECT_EQ(Core_BuildArrowHeads(conn), kStatusNoArrowHead);
    RebuildRequest request;
    request.kind = kRebuildAttributes;
    EXPECT_EQ(Core_RebuildObject(conn, &request), kStatusOk);
}

TEST_F(SetsTest, CurveNeedsMoreThanTwoPoints)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(0));
    ObjectHandle conn = Connect(a, b);
    Model_SetFieldValue(conn, Field::kCornerRadius, 0x320000);
    ASSERT_EQ(Core_BuildCurve(conn), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(conn, Field::kRoundedPath), 0u);

    PtArray bent = 0;
    PtArray_Create(&bent, 3);
    PtArray_Append(bent, {F(10), F(0)});
    PtArray_Append(bent, {F(50), F(60)});
    PtArray_Append(bent, {F(90), F(0)});
    ASSERT_EQ(Core_ReplaceConnectorPoints(conn, bent), kStatusOk);
    PtArray_Free(bent);
    EXPECT_GT(PtArray_Count(Model_GetFieldValue(conn, Field::kRoundedPath)), 3);
    EXPECT_TREE_SOUND();
}

TEST_F(SetsTest, ReattachChecksWhichAndMovesTheEnd)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(0));
    ObjectHandle c = Node(F(100), F(100));
    ObjectHandle conn = Connect(a, b);
    PtArray points = 0;
    PtArray_Create(&points, 2);
    PtArray_Append(points, {F(10), F(0)});
    PtArray_Append(points, {F(100), F(100)});
    EXPECT_EQ(Core_ReattachConnector(conn, c, 3, points), kStatusBadContainerArgument);
    ASSERT_EQ(Core_ReattachConnector(conn, c, 1, points), kStatusOk);
    PtArray_Free(points);
    EXPECT_EQ(Model_GetFieldValue(conn, Field::kEndObject), c);
    EXPECT_EQ(Model_GetFieldValue(conn, Field::kEndBase), c);
    EXPECT_TREE_SOUND();
}

uintptr_t Refuse(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}

TEST_F(SetsTest, RefusedReattachLeavesTheConnector)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(0));
    ObjectHandle c = Node(F(100), F(100));
    ObjectHandle conn = Connect(a, b);
    Hook_Register(77, Refuse);
    PtArray points = 0;
    PtArray_Create(&points, 1);
    PtArray_Append(points, {F(100), F(100)});
    EXPECT_EQ(Core_ReattachConnector(conn, c, 1, points), kStatusRefusedByHook);
    PtArray_Free(points);
    EXPECT_EQ(Model_GetFieldValue(conn, Field::kEndObject), b);
}

TEST_F(SetsTest, PageConnectorsAreRebuiltOnce)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(100));
    ObjectHandle conn = Connect(a, b);
    Model_SetFieldValue(conn, Field::kShapeKind, 10);
    ASSERT_EQ(Core_RebuildPageConnectors(page_), kStatusOk);
    EXPECT_EQ(Model_GetKind(conn), 9u);
    EXPECT_EQ(PtArray_Count(Path(conn)), 3);
    EXPECT_TRUE(Model_HasFlags(page_, kFlagPageRebuilt));
    Model_SetFieldValue(conn, Field::kShapeKind, 10);
    ASSERT_EQ(Core_RebuildPageConnectors(page_), kStatusOk);
    EXPECT_EQ(Model_GetKind(conn), 10u);

    Model_SetFieldValue(conn, Field::kShapeKind, 12);
    RebuildRequest full;
    full.kind = kRebuildFull;
    EXPECT_EQ(Core_RebuildObject(conn, &full), kStatusUnknownField);
    EXPECT_EQ(Model_GetKind(conn), 12u);
    Model_SetFieldValue(conn, Field::kShapeKind, 9);  // so that its data is freed with it
}

}  // namespace
