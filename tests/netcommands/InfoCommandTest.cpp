// Get Info's description of an object: inscriptions cut to 15 characters or
// "***", node names, the arc's direction line and the counts of regions and
// text relations.
#include <gtest/gtest.h>

#include "NetCommandFixture.h"
#include "atolq/CEditor/NetCommands.h"

namespace {

class InfoCommandTest : public NetCommandTest {};

using Lines = std::vector<std::string>;

TEST_F(InfoCommandTest, APlaceWithoutColourSetShowsStars)
{
    const ObjectHandle p = Place(20, 20);
    SESetInitMark(Record(p), Text("1`()"));
    const EEInfoText info = EE_DescribeObject(p);
    ASSERT_GE(info.lines.size(), 3u);
    EXPECT_EQ(info.ml.rfind("  ML:", 0), 0u);
    EXPECT_EQ(info.lines[1], "Color Set: ***");
    EXPECT_EQ(info.lines[2], "Init Marking:   1`()");
}

TEST_F(InfoCommandTest, TheMLLineShowsTheNameTheCheckGaveTheRecord)
{
    const ObjectHandle p = Place(20, 20);
    const ObjectHandle t = Transition(60, 20);
    // Before a check no record has an ML name.
    EXPECT_EQ(EE_DescribeObject(p).ml, "  ML:");
    reinterpret_cast<SEPlace*>(Record(p))->text2 = Text("17");
    reinterpret_cast<SETrans*>(Record(t))->mlName = Text("4");
    EXPECT_EQ(EE_DescribeObject(p).ml, "  ML:17");
    EXPECT_EQ(EE_DescribeObject(t).ml, "  ML:4");
}

TEST_F(InfoCommandTest, ATransitionsLongGuardIsCutTo15Characters)
{
    const ObjectHandle t = Transition(20, 20);
    SESetGuard(Record(t), Text("[x = 1 andalso y = 2]"));
    const EEInfoText info = EE_DescribeObject(t);
    ASSERT_GE(info.lines.size(), 4u);
    EXPECT_EQ(info.lines[1], "Guard: [x = 1 andalso ");
    EXPECT_EQ(info.lines[2], "Time: ***");
    EXPECT_EQ(info.lines[3], "Code:  ***");
}

TEST_F(InfoCommandTest, CountLinesOfANodeWithoutRegionsOrTexts)
{
    const ObjectHandle p = Place(20, 20);
    const EEInfoText info = EE_DescribeObject(p);
    ASSERT_GE(info.lines.size(), 4u);
    const Lines tail(info.lines.end() - 4, info.lines.end());
    EXPECT_EQ(tail, (Lines{"\nHas No TOLQ Regions", "Has No Auxiliary Regions", "Has No Text Parents",
                           "Has No Text Children"}));
}

TEST_F(InfoCommandTest, AuxiliaryRegionsAreCounted)
{
    const ObjectHandle p = Place(20, 20);
    AuxRegion(p, "a");
    AuxRegion(p, "b");
    const EEInfoText info = EE_DescribeObject(p);
    EXPECT_EQ(info.lines[info.lines.size() - 3], "Has 2 Auxiliary Region(s)");
}

TEST_F(InfoCommandTest, APlainRegionGetsOnlyTheCountLines)
{
    const ObjectHandle region = AuxRegion(Place(20, 20));
    const EEInfoText info = EE_DescribeObject(region);
    EXPECT_TRUE(info.ml.empty());
    EXPECT_EQ(info.lines.size(), 4u);
}

TEST_F(InfoCommandTest, ArcLinesNameItsEndsAndDirection)
{
    const ObjectHandle p = Place(20, 20), t = Transition(80, 20);
    QXText_SetText(p, "P1");
    QXText_SetText(t, "T1");
    const ObjectHandle arc = Arc(p, t);
    SESetArcExpr(Record(arc), Text("x"));
    const EEInfoText info = EE_DescribeObject(arc);
    ASSERT_GE(info.lines.size(), 4u);
    EXPECT_EQ(info.lines[0], "Arc Exp: x");
    EXPECT_EQ(info.lines[1], "Place:   P1");
    EXPECT_EQ(info.lines[2], "Trans:   T1");
    EXPECT_EQ(info.lines[3].rfind("Place", 0), 0u);
    EXPECT_EQ(info.lines[3].substr(info.lines[3].size() - 5), "Trans");
}

TEST_F(InfoCommandTest, GetInfoWithAnEmptySelectionSaysThePageIsEmpty)
{
    EXPECT_EQ(EE_GetInfo(), 0);
    EXPECT_EQ(ShownMessages(), std::vector<int16_t>{11307});
}

}  // namespace
