// Moving, resizing, aligning in the fourteen ways, spreading and page moves.
#include "TreeCheck.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"

namespace {

class AdjustTest : public CoreTest {};

// Member 40 x 20 at (0, 0); reference R 20 x 60 at (100, 100), S at (200, 300).
struct AlignCase {
    uint32_t mode;
    FixPoint expected;
};

class AlignTest : public CoreTest, public ::testing::WithParamInterface<AlignCase> {};

TEST_P(AlignTest, MovesTheMemberAsTheModeSays)
{
    ObjectHandle member = Node(0, 0, F(40), F(20));
    ObjectHandle r = Node(F(100), F(100), F(20), F(60));
    ObjectHandle s = Node(F(200), F(300));
    ObjectHandle outside = Node(F(500), F(500));
    ObjectHandle c = Connect(member, outside);
    GroupNumber members = Group_NewWith(member);
    GroupNumber reference = Group_New();
    Group_Add(reference, r);
    Group_Add(reference, s);
    ASSERT_EQ(Core_AlignObjects(members, reference, GetParam().mode, 0), kStatusOk);
    EXPECT_EQ(PositionOf(member), GetParam().expected);
    FixPoint mid;
    FixPoint p = PositionOf(member);
    mid = {(p.x + F(500)) / 2, (p.y + F(500)) / 2};
    EXPECT_EQ(PositionOf(c), mid);
    Group_Free(members);
    Group_Free(reference);
    EXPECT_TREE_SOUND();
}

INSTANTIATE_TEST_SUITE_P(
    Modes, AlignTest,
    ::testing::Values(AlignCase{0, {F(150), F(200)}}, AlignCase{1, {0, F(120)}}, AlignCase{2, {0, F(60)}},
                      AlignCase{3, {F(100), F(100)}}, AlignCase{4, {0, F(100)}}, AlignCase{5, {F(110), 0}},
                      AlignCase{6, {F(130), 0}}, AlignCase{7, {F(300), F(500)}}, AlignCase{8, {0, 0}},
                      AlignCase{9, {F(70), 0}}, AlignCase{10, {F(90), 0}}, AlignCase{11, {0, F(140)}},
                      AlignCase{12, {0, F(80)}}, AlignCase{13, {F(100), 0}}, AlignCase{14, {0, 0}}));

TEST_F(AdjustTest, AlignWithoutSecondReferenceMovesNothing)
{
    ObjectHandle member = Node(F(5), F(5));
    ObjectHandle r = Node(F(100), F(100));
    GroupNumber members = Group_NewWith(member);
    GroupNumber reference = Group_NewWith(r);
    ASSERT_EQ(Core_AlignObjects(members, reference, 7, 0), kStatusOk);
    EXPECT_EQ(PositionOf(member), (FixPoint{F(5), F(5)}));
    Group_Free(members);
    Group_Free(reference);
}

TEST_F(AdjustTest, SpreadPlacesTheMiddleEvenly)
{
    ObjectHandle a = Node(F(40), F(3));
    ObjectHandle b = Node(0, F(1));
    ObjectHandle c = Node(F(10), F(2));
    GroupNumber group = Group_New();
    for (ObjectHandle o : {a, b, c}) {
        Group_Add(group, o);
    }
    ASSERT_EQ(Core_SpreadObjects(group, 0), kStatusOk);
    EXPECT_EQ(PositionOf(c), (FixPoint{F(20), F(2)}));
    EXPECT_EQ(PositionOf(a), (FixPoint{F(40), F(3)}));
    Group_Remove(group, a);
    EXPECT_EQ(Core_SpreadObjects(group, 0), kStatusTooFewToSpread);
    Group_Free(group);
}

TEST_F(AdjustTest, LabelTakesNoSize)
{
    ObjectHandle label = 0;
    ASSERT_EQ(Core_AddLabel(page_, {F(10), F(10)}, &label, 1), kStatusOk);
    FixRect before;
    Model_GetField(label, Field::kBox, &before);
    AdjustRequest request;
    request.flags = kAdjustWidth | kAdjustHeight;
    request.width = F(50);
    request.height = F(50);
    EXPECT_EQ(Core_AdjustObject(label, &request), kStatusSkipSubtree);
    FixRect after;
    Model_GetField(label, Field::kBox, &after);
    EXPECT_EQ(before, after);
}

TEST_F(AdjustTest, RegionsFollowUnlessFixed)
{
    ObjectHandle owner = Node(0, 0);
    ObjectHandle fixed = Node(F(30), 0, F(10), F(10));
    ObjectHandle follows = Node(0, F(30), F(10), F(10));
    ASSERT_EQ(Core_MakeRegion(fixed, owner), kStatusOk);
    ASSERT_EQ(Core_MakeRegion(follows, owner), kStatusOk);
    Model_SetFlags(fixed, kFlagFixedPosition, 1);
    ASSERT_EQ(Core_MoveObject(owner, F(10), F(20), 1, 1), kStatusOk);
    EXPECT_EQ(PositionOf(fixed), (FixPoint{F(30), 0}));
    EXPECT_EQ(PositionOf(follows), (FixPoint{F(10), F(50)}));
    FixPoint last;
    Core_GetLastDisplacement(&last);
    EXPECT_EQ(last, (FixPoint{F(10), F(20)}));

    ASSERT_EQ(Core_SetSize(owner, F(40), F(40), 1), kStatusOk);
    EXPECT_EQ(PositionOf(follows), (FixPoint{F(10), F(80)}));
    EXPECT_EQ(Model_GetFieldValue(follows, Field::kWidth), static_cast<uint32_t>(F(20)));
    EXPECT_TREE_SOUND();
}

TEST_F(AdjustTest, RectangleOfZeroWidthGivesHalfAPixel)
{
    ObjectHandle node = Node(0, 0);
    ASSERT_EQ(Core_SetObjectRect(node, FixRect{F(10), F(10), F(10), F(30)}, 1), kStatusOk);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kWidth), 0x8000u);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kHeight), static_cast<uint32_t>(F(20)));
    EXPECT_EQ(PositionOf(node), (FixPoint{F(10), F(20)}));
}

TEST_F(AdjustTest, ResizeScalesThePolygonAndReclipsConnectors)
{
    PtArray points = 0;
    PtArray_Create(&points, 4);
    for (FixPoint p : {FixPoint{0, 0}, FixPoint{F(20), 0}, FixPoint{F(20), F(20)}, FixPoint{0, F(20)}}) {
        PtArray_Append(points, p);
    }
    ObjectHandle polygon = 0;
    ASSERT_EQ(Core_AddPolygon(page_, points, &polygon), kStatusOk);
    PtArray_Free(points);
    ObjectHandle other = Node(F(110), F(10));
    ObjectHandle c = Connect(polygon, other);
    ASSERT_EQ(Core_SetSize(polygon, F(40), F(20), 1), kStatusOk);
    FixRect box;
    Model_GetField(polygon, Field::kBox, &box);
    EXPECT_EQ(box, (FixRect{-F(10), 0, F(30), F(20)}));
    FixPoint start;
    PtArray_GetPoint(Path(c), 0, &start);
    EXPECT_EQ(start, (FixPoint{F(30), F(10)}));
    EXPECT_TREE_SOUND();
}

TEST_F(AdjustTest, MoveToPageRefusesTheRefinedNode)
{
    ObjectHandle node = Node(0, 0);
    ObjectHandle plain = Node(F(50), 0);
    ObjectHandle sub = 0;
    Core_AddPage(&sub);
    Model_SetFieldValue(node, Field::kSubpage, sub);
    Model_SetFieldValue(sub, Field::kRefinedNode, node);
    GroupNumber group = Group_New();
    Group_Add(group, node);
    Group_Add(group, plain);
    EXPECT_EQ(Core_MoveToPage(group, sub, 0), kStatusMoveOntoOwnPage);
    EXPECT_EQ(Model_GetPage(plain), page_);
    Group_Free(group);
}

TEST_F(AdjustTest, MoveToPageTakesInnerConnectorsAndDropsCrossingOnes)
{
    ObjectHandle a = Node(0, 0);
    ObjectHandle b = Node(F(50), 0);
    ObjectHandle stays = Node(F(100), 0);
    ObjectHandle inner = Connect(a, b);
    ObjectHandle crossing = Connect(b, stays);
    ObjectHandle other = 0;
    Core_AddPage(&other);
    GroupNumber group = Group_New();
    Group_Add(group, a);
    Group_Add(group, b);
    ASSERT_EQ(Core_MoveToPage(group, other, 0), kStatusOk);
    EXPECT_EQ(Model_GetPage(a), other);
    EXPECT_EQ(Model_GetPage(inner), other);
    EXPECT_EQ(Model_GetSerial(crossing), 0u);
    Group_Free(group);
    EXPECT_TREE_SOUND();
}

TEST_F(AdjustTest, CopyShapeGivesThePolygonScaledToTheObject)
{
    PtArray points = 0;
    PtArray_Create(&points, 3);
    for (FixPoint p : {FixPoint{0, 0}, FixPoint{F(20), 0}, FixPoint{F(10), F(20)}}) {
        PtArray_Append(points, p);
    }
    ObjectHandle model = 0;
    ASSERT_EQ(Core_AddPolygon(page_, points, &model), kStatusOk);
    PtArray_Free(points);
    ObjectHandle node = Node(F(100), F(100), F(40), F(40));
    ASSERT_EQ(Core_CopyShape(node, model, 0), kStatusOk);
    EXPECT_EQ(Model_GetKind(node), 5u);
    FixRect box;
    Model_GetField(node, Field::kBox, &box);
    EXPECT_EQ(box, (FixRect{F(80), F(80), F(120), F(120)}));
    EXPECT_EQ(Core_CopyShape(node, node, 0), kStatusOk);
    EXPECT_TREE_SOUND();
}

}  // namespace
