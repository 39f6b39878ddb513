// Hit tests, picking, boxes and extents, wedges, connector end points and the
// derived texts and numbers of pages.
#include <climits>
#include <cstring>

#include "KernelFixture.h"
#include "xkv/types/PtArray.h"

namespace {

class HitTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        page = Model_NewPage();
        ASSERT_NE(page, 0u);
    }
    ObjectHandle page = 0;
};

TEST_F(HitTest, ABoxHitsOnItsEdgeButNotHalfAUnitOutside)
{
    ObjectHandle node = NewNodeAt(page, F(10), F(10), F(20), F(20));
    struct Case {
        Fixed x, y;
        uint32_t hit;
    };
    const Case cases[] = {
        {F(15), F(15), 1}, {F(10), F(15), 1}, {F(20), F(20), 1},
        {F(10) - 0x7fff, F(15), 1}, {F(10) - 0x8000, F(15), 0}, {F(15), F(20) + 0x8000, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Model_HitTest(node, FixPoint{c.x, c.y}), c.hit) << c.x << "," << c.y;
    }
}

TEST_F(HitTest, AFramePageHitsOnlyNearItsFrame)
{
    Model_SetFieldValue(page, Field::kShapeKind, 1);
    FixRect box{F(-100), F(-100), F(100), F(100)};
    Model_SetField(page, Field::kBox, &box);
    EXPECT_EQ(Model_HitTest(page, FixPoint{0, 0}), 0u);
    EXPECT_EQ(Model_HitTest(page, FixPoint{F(99), 0}), 1u);
    EXPECT_EQ(Model_HitTest(page, FixPoint{F(103), 0}), 1u);
    EXPECT_EQ(Model_HitTest(page, FixPoint{F(110), 0}), 0u);
}

TEST_F(HitTest, AnEllipseHitsInsideAndNotInItsBoxCorner)
{
    ObjectHandle node = NewNodeAt(page, F(0), F(0), F(20), F(20), 2);
    EXPECT_EQ(Model_HitTest(node, FixPoint{F(10), F(10)}), 1u);
    EXPECT_EQ(Model_HitTest(node, FixPoint{F(1), F(1)}), 0u);
}

TEST_F(HitTest, ThePolygonWindingDecidesInsideItsBox)
{
    ObjectHandle node = NewNodeAt(page, F(0), F(0), F(20), F(20), 5);
    PtArray points = PtArray_New();
    for (FixPoint p : {FixPoint{0, 0}, FixPoint{F(20), 0}, FixPoint{0, F(20)}}) {
        PtArray_Append(points, p);
    }
    Model_SetShapeData(node, points);
    EXPECT_EQ(Model_HitTest(node, FixPoint{F(4), F(4)}), 1u);
    EXPECT_EQ(Model_HitTest(node, FixPoint{F(18), F(18)}), 0u);
}

TEST_F(HitTest, APolylineConnectorHitsNearASegment)
{
    ObjectHandle connector = Model_NewConnector(page);
    PtArray path = PtArray_New();
    PtArray_Append(path, FixPoint{0, 0});
    PtArray_Append(path, FixPoint{F(100), 0});
    Model_SetFieldValue(connector, Field::kPath, path);
    EXPECT_EQ(Model_HitTest(connector, FixPoint{F(50), F(2)}), 1u);
    EXPECT_EQ(Model_HitTest(connector, FixPoint{F(50), F(4)}), 0u);
    FixRect near{F(40), F(5), F(60), F(8)};
    FixRect far{F(40), F(20), F(60), F(30)};
    EXPECT_EQ(Model_ConnectorTouchesRect(connector, &near), 1u);
    EXPECT_EQ(Model_ConnectorTouchesRect(connector, &far), 0u);
}

TEST_F(HitTest, OfTwoEquallyNearNodesTheLaterIsPicked)
{
    ObjectHandle lower = NewNodeAt(page, F(0), F(0), F(20), F(20));
    ObjectHandle upper = NewNodeAt(page, F(0), F(0), F(20), F(20));
    EXPECT_EQ(Model_LocateAt(page, FixPoint{F(5), F(10)}, 0, 4095, 0), upper);
    // A nearer lower node wins unless the upper one covers it.
    Model_SetField(lower, Field::kBox, std::data({F(4), F(0), F(20), F(20)}));
    EXPECT_EQ(Model_LocateAt(page, FixPoint{F(5), F(10)}, 0, 4095, 0), lower);
    Model_SetFieldValue(upper, Field::kPattern, 3);
    EXPECT_EQ(Model_LocateAt(page, FixPoint{F(5), F(10)}, 0, 4095, 0), upper);
}

TEST_F(HitTest, PickingFromFewerThanTwoMembersTestsNoDistance)
{
    ObjectHandle node = NewNodeAt(page, F(0), F(0), F(10), F(10));
    GroupNumber group = Group_NewWith(node);
    ObjectHandle picked = 0;
    EXPECT_EQ(Model_PickNearest(group, FixPoint{F(500), F(500)}, &picked), kStatusOk);
    EXPECT_EQ(picked, node);
    Group_Add(group, NewNodeAt(page, F(0), F(0), F(10), F(10)));
    EXPECT_EQ(Model_PickNearest(group, FixPoint{F(500), F(500)}, &picked), kStatusNotFound);
    EXPECT_EQ(picked, 0u);
    Group_Free(group);
}

TEST_F(HitTest, HitGroupsFilterByMaskAndFlags)
{
    ObjectHandle a = NewNodeAt(page, F(0), F(0), F(10), F(10));
    ObjectHandle b = NewNodeAt(page, F(0), F(0), F(10), F(10));
    Model_SetFlags(b, 0x10000, 1);
    GroupNumber all = Model_HitGroup(page, FixPoint{F(5), F(5)}, 0, 0, 4095, 0);
    EXPECT_EQ(Group_Count(all), 2u);
    GroupNumber unflagged = Model_HitGroup(page, FixPoint{F(5), F(5)}, 0, 0, 4095, 0x30000);
    EXPECT_EQ(Group_Count(unflagged), 1u);
    EXPECT_EQ(Group_Member(unflagged, 0), a);
    GroupNumber none = Model_HitGroup(page, FixPoint{F(5), F(5)}, 0, kMaskPlainNode, 4095, 0);
    EXPECT_EQ(Group_Count(none), 0u);
    Group_Free(all);
    Group_Free(unflagged);
    Group_Free(none);
}

TEST_F(HitTest, CollectingInARectangleTakesPositionsStrictlyInside)
{
    ObjectHandle inside = NewNodeAt(page, F(0), F(0), F(10), F(10));
    NewNodeAt(page, F(50), F(50), F(70), F(70));
    FixRect rect{F(0), F(0), F(20), F(20)};
    GroupNumber group = Model_CollectInRect(page, &rect, 0, 4095);
    ASSERT_NE(group, 0);
    EXPECT_EQ(Group_Count(group), 1u);
    EXPECT_EQ(Group_Member(group, 0), inside);
    Group_Free(group);
    EXPECT_EQ(Model_CollectInRect(inside, &rect, 0, 4095), 0);
    FixRect touching{F(10), F(10), F(30), F(30)};
    EXPECT_EQ(Model_OverlapsRect(inside, &touching), 1u);
    EXPECT_EQ(Model_InRect(inside, &touching), 0u);
}

TEST_F(HitTest, TheBuiltInWedgeBoxIsTheRightHalf)
{
    ObjectHandle wedge = NewNodeAt(page, F(0), F(0), F(40), F(20), 8);
    Model_SetFieldValue(wedge, Field::kWedgeStart, 0);
    Model_SetFieldValue(wedge, Field::kWedgeEnd, 180);
    FixRect box{};
    ASSERT_EQ(Model_GetWedgeBox(wedge, &box), kStatusOk);
    EXPECT_EQ(box.left, F(20));
    EXPECT_EQ(box.right, F(40));
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.bottom, F(20));
    EXPECT_EQ(Model_HitWedge(wedge, FixPoint{F(30), F(10)}), 1u);
    EXPECT_EQ(Model_HitWedge(wedge, FixPoint{F(10), F(10)}), 0u);
    // Negative and wrapping angles name the same directions.
    Model_SetFieldValue(wedge, Field::kWedgeStart, static_cast<uint32_t>(-360));
    Model_SetFieldValue(wedge, Field::kWedgeEnd, 540);
    FixRect same{};
    Model_GetWedgeBox(wedge, &same);
    EXPECT_EQ(std::memcmp(&box, &same, sizeof(box)), 0);
    ObjectHandle plain = NewNodeAt(page, 0, 0, F(1), F(1));
    EXPECT_EQ(Model_GetWedgeBox(plain, &box), kStatusFailed);
    WedgeRecord record;
    EXPECT_EQ(Model_GetWedge(plain, &record), kStatusNotAWedge);
}

TEST_F(HitTest, ASquareLineWidensItsShorterSide)
{
    ObjectHandle line = NewNodeAt(page, F(0), F(0), F(40), F(10), 13);
    FixRect box{};
    Model_GetBox(line, &box);
    EXPECT_EQ(box.top, F(-15));
    EXPECT_EQ(box.bottom, F(25));
    EXPECT_EQ(box.left, 0);
}

TEST(CenterSpan, NeverOverflows)
{
    struct Case {
        Fixed low, high, length, newLow, newHigh;
    };
    const Case cases[] = {
        {0, F(10), F(4), F(3), F(7)},
        {INT32_MAX - 1, INT32_MAX, 2, INT32_MAX - 2, INT32_MAX},
        {INT32_MIN + 1, INT32_MIN + 3, 2, INT32_MIN + 1, INT32_MIN + 3},
        {-3, 3, 2, -1, 1},
    };
    for (const Case& c : cases) {
        Fixed low = c.low;
        Fixed high = c.high;
        Model_CenterSpan(&low, &high, c.length);
        EXPECT_EQ(low, c.newLow);
        EXPECT_EQ(high, c.newHigh);
    }
}

TEST_F(HitTest, ExtentsUniteTheSubtreeExceptFlaggedObjects)
{
    ObjectHandle node = NewNodeAt(page, F(0), F(0), F(10), F(10));
    ObjectHandle region = Model_NewObject(kTypeRegion);
    Model_AppendChild(Model_GetRegionList(node), region);
    FixRect regionBox{F(20), F(20), F(30), F(30)};
    Model_SetField(region, Field::kBox, &regionBox);
    FixRect extent{};
    ASSERT_EQ(Model_GetExtent(node, &extent), kStatusOk);
    EXPECT_EQ(extent.right, F(30));
    Model_SetFlags(region, 1, 1);
    Model_GetExtent(node, &extent);
    EXPECT_EQ(extent.right, F(10));

    Model_SetFieldValue(node, Field::kLineWidth, static_cast<uint32_t>(F(2)));
    FixRect stroked{};
    ASSERT_EQ(Model_GetStrokedExtent(0, page, &stroked), kStatusOk);
    EXPECT_EQ(stroked.left, F(-1));
    EXPECT_EQ(Model_GetStrokedExtent(0, Model_NewPage(), &stroked), kStatusBadObjectHandle);
}

TEST_F(HitTest, ConnectorEndPointsAreOffsetsFromTheirObjects)
{
    ObjectHandle a = NewNodeAt(page, F(0), F(0), F(10), F(10));
    ObjectHandle b = NewNodeAt(page, F(100), F(0), F(110), F(10));
    ObjectHandle connector = Model_NewConnector(page);
    Model_SetConnectorEnds(connector, a, b);
    ASSERT_EQ(Model_SetConnectorEndPoints(connector, FixPoint{F(10), F(5)}, FixPoint{F(100), F(5)}), kStatusOk);
    FixPoint offset{};
    Model_GetField(connector, Field::kStartOffset, &offset);
    EXPECT_EQ(offset.x, F(5));
    EXPECT_EQ(offset.y, 0);
    FixPoint start{};
    FixPoint end{};
    Model_GetConnectorEndPoints(connector, &start, &end);
    EXPECT_EQ(end.x, F(100));
    EXPECT_EQ(end.y, F(5));
}

TEST_F(HitTest, PageNumbersAndTexts)
{
    ObjectHandle second = Model_NewPage();
    ObjectHandle third = Model_NewPage();
    Model_SetFieldValue(page, Field::kPageNumber, 1);
    Model_SetFieldValue(second, Field::kPageNumber, 2);
    Model_SetFieldValue(third, Field::kPageNumber, 4);
    EXPECT_EQ(Model_FreePageNumber(), 3u);
    Model_DestroyTree(third);
    Model_SetFieldValue(page, Field::kPageNumber, 2);
    Model_SetFieldValue(second, Field::kPageNumber, 1);
    EXPECT_EQ(Model_FreePageNumber(), 3u);
    EXPECT_EQ(Model_PageNumberUsed(2, page), 0u);
    EXPECT_EQ(Model_PageNumberUsed(2, second), 1u);

    Model_SetFieldValue(page, Field::kPageNumber, 12);
    char label[kPageLabelSize];
    Model_GetPageLabel(page, label);
    EXPECT_STREQ(label, "P. 12");
    Model_SetFieldValue(page, Field::kPageNumber, static_cast<uint32_t>(-2000000000));
    Model_GetPageLabel(page, label);
    EXPECT_STREQ(label, "P. -2000000000");
    char title[kPageTitleSize];
    Model_SetFieldValue(page, Field::kPageNumber, 12);
    EXPECT_EQ(Model_GetPageTitle(page, title), kStatusOk);
    EXPECT_STREQ(title, "unnamed P. 12");
    EXPECT_EQ(Model_GetPageTitle(Model_GetNodeList(page), title), kStatusBadArgument);
}

}  // namespace
