// The hierarchy page on the real kernel and abstract net: page nodes and
// relation arcs built from a net made in the test, the tree and its layout,
// and the updates after relations and pages change.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "HierarchyDoubles.h"
#include "HierarchyFixture.h"
#include "QXFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kvud/UserData.h"

namespace {

using HierarchyPageTest = HierarchyFixture<QXDiagramTest>;

TEST_F(HierarchyPageTest, HierarchyPageHasANodePerPageAndAnArcPerRelation)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    const ObjectHandle t1 = Compound(page_, sub, "T1");
    const int32_t cursor = QXUI_SetCursor(-1);
    const ObjectHandle hier = PGGetHierarchyPage();
    ASSERT_NE(hier, 0u);
    EXPECT_EQ(PGGetHierarchyPage(), hier);
    EXPECT_EQ(PageName(hier), "Hierarchy");
    EXPECT_EQ(PageNumber(hier), 10010u);
    EXPECT_EQ(QXUI_SetCursor(-1), cursor) << "the watch cursor is taken back";

    const std::vector<ObjectHandle> nodes = PGObjectList(hier, 4);
    ASSERT_EQ(nodes.size(), 3u);  // Top, Sub and the hierarchy page itself
    EXPECT_EQ(TextOf(NodeOf(page_)), "Top#1");
    EXPECT_EQ(TextOf(NodeOf(sub)), "Sub#2");
    EXPECT_EQ(TextOf(NodeOf(hier)), "Hierarchy#10010");
    EXPECT_EQ(PGNodeHierarchyPage(NodeOf(hier)), hier);
    EXPECT_EQ(PGNodeHierarchyPage(NodeOf(sub)), 0u);

    const ObjectHandle arc = Arc(page_, sub);
    ASSERT_NE(arc, 0u);
    EXPECT_EQ(PGObjectList(hier, 8).size(), 1u);
    EXPECT_EQ(Data(arc).count, 1);
    ASSERT_EQ(Labels(arc).size(), 1u);
    EXPECT_EQ(TextOf(Labels(arc)[0]), "T1");
    EXPECT_EQ(PGFindLabel(arc, t1), Labels(arc)[0]);
    EXPECT_EQ(PGFirstLabel(arc), Labels(arc)[0]);
    EXPECT_EQ(PGObjectClass(arc), 7u);
    EXPECT_EQ(PGObjectClass(Labels(arc)[0]), 4u);
    EXPECT_EQ(PGObjectClass(hier), 1u);
    ExpectSoundTree();
}

TEST_F(HierarchyPageTest, ArcDataIsStoredBigEndianInTwelveBytes)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    Compound(page_, sub, "T1");
    PGGetHierarchyPage();
    const ObjectHandle arc = Arc(page_, sub);
    uint32_t length = 0;
    ASSERT_EQ(UD_GetFieldSize(arc, kTagHierarchy, &length), 1u);
    ASSERT_EQ(length, 12u);
    uint8_t bytes[12] = {};
    UD_GetField(arc, kTagHierarchy, bytes);
    EXPECT_EQ(bytes[3], 7);
    EXPECT_EQ(bytes[7], 1);
    const ObjectHandle label = Labels(arc)[0];
    EXPECT_EQ((uint32_t{bytes[8]} << 24) | (uint32_t{bytes[9]} << 16) | (uint32_t{bytes[10]} << 8) | bytes[11],
              label);
}

// Table of hierarchies: pages by index (0 is Top), relations as (super, sub),
// and the expected offsets of the page nodes from the root, in units.
struct LayoutCase {
    const char* name;
    int pages;
    std::vector<std::pair<int, int>> relations;
    std::vector<Offset> expected;  // per page index
    std::vector<int> parents;      // per page index: -1 the root
};

class HierarchyLayoutTest : public HierarchyPageTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(HierarchyLayoutTest, FullLayoutPlacesTheTree)
{
    const LayoutCase& c = GetParam();
    std::vector<ObjectHandle> pages{page_};
    for (int i = 1; i < c.pages; ++i) {
        pages.push_back(NetPage("P" + std::to_string(i), static_cast<uint16_t>(i + 1)));
    }
    int n = 0;
    for (auto [super, sub] : c.relations) {
        Compound(pages[super], pages[sub], "T" + std::to_string(n++));
    }
    const ObjectHandle hier = PGGetHierarchyPage();
    for (int i = 0; i < c.pages; ++i) {
        EXPECT_EQ(At(pages[i]), c.expected[i]) << "page " << i;
        EXPECT_EQ(Parent(pages[i]), c.parents[i] < 0 ? hier : pages[c.parents[i]]) << "page " << i;
    }
    // The kernel aligns against the page's own box: its centre and size.
    Fixed rx = 0, ry = 0, rw = 0, rh = 0, px = 0, py = 0, pw = 0, ph = 0;
    QXRdAttr_GetPosition(NodeOf(hier), &rx, &ry);
    QXRdAttr_GetSize(NodeOf(hier), &rw, &rh);
    ASSERT_EQ(QXRdAttr_GetPosition(hier, &px, &py), 1u);
    ASSERT_EQ(QXRdAttr_GetSize(hier, &pw, &ph), 1u);
    ASSERT_GT(pw, 0);
    ASSERT_GT(ph, 0);
    EXPECT_EQ(rx - rw / 2, px - pw / 2 + 5 * kUnit) << "root is 5 units in from the page's left";
    EXPECT_EQ(ry - rh / 2, py - ph / 2 + 5 * kUnit) << "root is 5 units down from the page's top";
    ExpectSoundTree();
}

INSTANTIATE_TEST_SUITE_P(
    Hierarchies, HierarchyLayoutTest,
    ::testing::Values(
        LayoutCase{"OneSubpageAndAnIsolatedPage", 3, {{0, 1}}, {{0, 20}, {30, 40}, {30, 0}}, {-1, 0, -1}},
        LayoutCase{"TwoSubpagesStackUnderTheirPage", 3, {{0, 1}, {0, 2}}, {{0, 20}, {30, 40}, {30, 60}},
                   {-1, 0, 0}},
        LayoutCase{"TwoTreesStandSideBySide", 4, {{0, 1}, {2, 3}}, {{0, 20}, {30, 40}, {60, 20}, {90, 40}},
                   {-1, 0, -1, 2}},
        LayoutCase{"AChainStepsDownAndRight", 3, {{0, 1}, {1, 2}}, {{0, 20}, {30, 40}, {60, 60}}, {-1, 0, 1}},
        LayoutCase{"IsolatedPagesFormARow", 3, {}, {{30, 0}, {60, 0}, {90, 0}}, {-1, -1, -1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HierarchyPageTest, AddingAndRemovingRelationsUpdatesArcsLabelsAndTree)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    const ObjectHandle hier = PGGetHierarchyPage();
    EXPECT_EQ(PGNodeMode(NodeOf(page_)), 2);
    EXPECT_EQ(PGNodeMode(NodeOf(sub)), 2);

    const ObjectHandle t1 = Compound(page_, sub, "T1");
    PGAddRelation(t1);
    const ObjectHandle arc = Arc(page_, sub);
    ASSERT_NE(arc, 0u);
    EXPECT_EQ(Parent(sub), page_);
    EXPECT_EQ(PGNodeMode(NodeOf(page_)), 1);
    EXPECT_EQ(At(page_), (Offset{0, 20}));
    EXPECT_EQ(At(sub), (Offset{30, 40}));
    EXPECT_EQ(PGLayoutEnabled(), 0) << "layout is forced on only during the update";

    const ObjectHandle t2 = Compound(page_, sub, "T2");
    PGAddRelation(t2);
    EXPECT_EQ(Arc(page_, sub), arc);
    EXPECT_EQ(Data(arc).count, 2);
    const std::vector<ObjectHandle> labels = Labels(arc);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(TextOf(labels[1]), "T2");
    Fixed x1, y1, w1, h1, x2, y2, w2, h2;
    QXRdAttr_GetPosition(labels[0], &x1, &y1);
    QXRdAttr_GetSize(labels[0], &w1, &h1);
    QXRdAttr_GetPosition(labels[1], &x2, &y2);
    QXRdAttr_GetSize(labels[1], &w2, &h2);
    EXPECT_EQ(x2 - w2 / 2, x1 - w1 / 2) << "second label left-aligned with the first";
    EXPECT_EQ(y2 - h2 / 2, y1 + h1 / 2) << "second label just under the first";

    PGAddRelation(t2);  // a known relation is not counted twice
    EXPECT_EQ(Data(arc).count, 2);

    PGRemoveRelation(t1);
    ASSERT_EQ(Arc(page_, sub), arc);
    EXPECT_EQ(Data(arc).count, 1);
    EXPECT_EQ(PGFirstLabel(arc), PGFindLabel(arc, t2));
    EXPECT_EQ(Parent(sub), page_);

    PGRemoveRelation(t2);
    EXPECT_EQ(Arc(page_, sub), 0u);
    EXPECT_EQ(PGObjectList(hier, 8).size(), 0u);
    EXPECT_EQ(Parent(sub), hier);
    EXPECT_EQ(PGNodeMode(NodeOf(page_)), 2);
    EXPECT_EQ(PGNodeMode(NodeOf(sub)), 2);
    ExpectSoundTree();
}

TEST_F(HierarchyPageTest, PageRefinedFromTwoPagesMovesToTheOtherWhenItsArcGoes)
{
    const ObjectHandle second = NetPage("Second", 2);
    const ObjectHandle sub = NetPage("Sub", 3);
    PGGetHierarchyPage();
    const ObjectHandle t1 = Compound(page_, sub, "T1");
    PGAddRelation(t1);
    const ObjectHandle t2 = Compound(second, sub, "T2");
    PGAddRelation(t2);
    EXPECT_EQ(Parent(sub), page_);
    EXPECT_NE(Arc(second, sub), 0u);
    PGRemoveRelation(t1);
    EXPECT_EQ(Parent(sub), second);
    EXPECT_EQ(PGNodeMode(NodeOf(second)), 1);
    ExpectSoundTree();
}

TEST_F(HierarchyPageTest, InvocationLoopLeavesATreeThatReachesTheRoot)
{
    const ObjectHandle other = NetPage("Other", 2);
    PGGetHierarchyPage();
    PGAddRelation(Compound(page_, other, "A", kSEInvocation));
    PGAddRelation(Compound(other, page_, "B", kSEInvocation));
    EXPECT_NE(Arc(page_, other, kPGInvocationArc), 0u);
    EXPECT_NE(Arc(other, page_, kPGInvocationArc), 0u);
    ExpectSoundTree();
    PGRelayout(Hier());
    ExpectSoundTree();
}

TEST_F(HierarchyPageTest, RenamedAndRenumberedPageGetsItsNewNodeText)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    PGGetHierarchyPage();
    SEPutName(&nets_.at(sub)->head, Text("Renamed"));
    SESetPageNumber(&nets_.at(sub)->head, 7);
    EXPECT_EQ(PGSetNodeText(sub), 1);
    EXPECT_EQ(TextOf(NodeOf(sub)), "Renamed#7");
    SEPutName(&nets_.at(sub)->head, Text(""));
    EXPECT_EQ(PGSetNodeText(sub), 1);
    EXPECT_EQ(TextOf(NodeOf(sub)), "***#7");
}

TEST_F(HierarchyPageTest, RenamedTransitionRefreshesItsLabel)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    const ObjectHandle t1 = Compound(page_, sub, "T1");
    PGGetHierarchyPage();
    SEHead* record = nullptr;
    GE_GetSERecord(t1, &record);
    SEPutName(record, Text("Renamed"));
    PGAddRelation(t1);
    EXPECT_EQ(TextOf(PGFindLabel(Arc(page_, sub), t1)), "Renamed");
    EXPECT_EQ(Data(Arc(page_, sub)).count, 1);
}

TEST_F(HierarchyPageTest, AddedPageJoinsTheRowOfIsolatedPagesAndRemovedPageLeavesNoOrphans)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    const ObjectHandle leaf = NetPage("Leaf", 3);
    Compound(page_, sub, "T1");
    Compound(sub, leaf, "T2");
    const ObjectHandle hier = PGGetHierarchyPage();
    const ObjectHandle added = NetPage("Added", 4);
    EXPECT_EQ(NodeOf(added), 0u);
    PGAddPage(added);
    ASSERT_NE(NodeOf(added), 0u);
    EXPECT_EQ(TextOf(NodeOf(added)), "Added#4");
    EXPECT_EQ(Parent(added), hier);
    EXPECT_EQ(PGNodeMode(NodeOf(added)), 2);
    EXPECT_EQ(At(added), (Offset{30, 0}));
    PGAddPage(added);
    EXPECT_EQ(PGObjectList(hier, 4).size(), 5u) << "a page gets one node only";

    const ObjectHandle node = NodeOf(sub);
    PGRemovePage(sub);
    EXPECT_EQ(NodeOf(sub), 0u);
    EXPECT_EQ(QXStr_IsObject(node), 0u);
    EXPECT_EQ(Parent(leaf), hier) << "the removed page's child hangs under the root";
    ExpectSoundTree();
}

TEST_F(HierarchyPageTest, HidingSubstitutionArcsMakesSubpagesTopLevel)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    Compound(page_, sub, "T1");
    const ObjectHandle hier = PGGetHierarchyPage();
    ASSERT_EQ(Parent(sub), page_);
    PGSetLayoutOptions(0, 1, 30 * kUnit, 20 * kUnit, 3, 3);
    PGRelayout(hier);
    EXPECT_EQ(Parent(sub), hier);
    EXPECT_EQ(PGNodeMode(NodeOf(page_)), 2);
    EXPECT_NE(Arc(page_, sub), 0u) << "the arc stays, hidden from the layout";
    EXPECT_EQ(PGOptions().lastShowSubstitutions, 0);
    ExpectSoundTree();
    PGSetLayoutOptions(1, 1, 30 * kUnit, 20 * kUnit, 3, 3);
    PGRelayout(hier);
    EXPECT_EQ(Parent(sub), page_);
    ExpectSoundTree();
}

TEST_F(HierarchyPageTest, LayoutDisabledMovesNothing)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    Compound(page_, sub, "T1");
    PGGetHierarchyPage();
    QXWtAttr_SetPosition(NodeOf(sub), 300 * kUnit, 300 * kUnit);
    PGLayoutNode(NodeOf(sub));
    Fixed x = 0, y = 0;
    QXRdAttr_GetPosition(NodeOf(sub), &x, &y);
    EXPECT_EQ(x, 300 * kUnit);
    EXPECT_EQ(y, 300 * kUnit);
    PGSetLayoutEnabled(1);
    PGLayoutNode(NodeOf(sub));
    EXPECT_EQ(At(sub), (Offset{30, 40}));
}

TEST_F(HierarchyPageTest, OptionsComeFromTheDiagramDefaults)
{
    ASSERT_EQ(DefSetPageLayout(40 * kUnit, 10 * kUnit, 2, 4, 1, 0, kDefLevelDiagram), 1);
    PGReadOptions(0);
    EXPECT_EQ(PGOptions().xSpacing, 40 * kUnit);
    EXPECT_EQ(PGOptions().ySpacing, 10 * kUnit);
    EXPECT_EQ(PGOptions().topMultiplier, 2);
    EXPECT_EQ(PGOptions().childMultiplier, 4);
    EXPECT_EQ(PGOptions().showSubstitutions, 0);
    EXPECT_EQ(PGOptions().showInvocations, 1);
    EXPECT_EQ(PGOptions().lastShowSubstitutions, 1) << "without the copy flag the last shown values stay";
    PGReadOptions(1);
    EXPECT_EQ(PGOptions().lastShowSubstitutions, 0);
}

TEST_F(HierarchyPageTest, MultipliersSpreadTopLevelTreesOutsideRecursiveLayout)
{
    const ObjectHandle a = NetPage("A", 2);
    const ObjectHandle b = NetPage("B", 3);
    const ObjectHandle c = NetPage("C", 4);
    PGGetHierarchyPage();
    PGAddRelation(Compound(page_, a, "T1"));
    PGAddRelation(Compound(page_, b, "T2"));
    PGAddRelation(Compound(c, page_, "T3", kSEInvocation));
    // A and B under Top: 20 below A times m2 = 3 outside recursive layout.
    EXPECT_EQ(At(b).y - At(a).y, 60);
    EXPECT_EQ(At(b).x, At(a).x);
}

TEST_F(HierarchyPageTest, LabelOfANamelessNodeIsNotMadeButItsCountIsUndone)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    PGGetHierarchyPage();
    const ObjectHandle nameless = Compound(page_, sub, "");
    PGAddRelation(nameless);
    const ObjectHandle arc = Arc(page_, sub);
    ASSERT_NE(arc, 0u);
    EXPECT_EQ(Data(arc).count, 1);
    EXPECT_TRUE(Labels(arc).empty());
    PGRemoveRelation(nameless);
    EXPECT_EQ(Arc(page_, sub), 0u);
    EXPECT_EQ(Parent(sub), Hier());
}

TEST_F(HierarchyPageTest, RemovingALabelThatWasNeverCountedChangesNothing)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    Compound(page_, sub, "T1");
    PGGetHierarchyPage();
    const ObjectHandle stranger = QXStr_CreateNode(page_, 0, 0, kUnit, kUnit, 1);
    EXPECT_EQ(PGRemoveLabel(Arc(page_, sub), stranger), 0);
    EXPECT_EQ(Data(Arc(page_, sub)).count, 1);
}

TEST_F(HierarchyPageTest, BrokenTreeLinksReadAsNone)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    PGGetHierarchyPage();
    const ObjectHandle node = NodeOf(sub);
    const uint8_t shortField[8] = {0, 0, 0, 1, 0, 0, 0, 2};
    UD_SetField(node, kTagTreeLink, shortField, 8);
    PGTreeLink link{1, 2, 3, 4};
    EXPECT_EQ(PGTreeRead(node, &link), 0);
    EXPECT_EQ(link.parent, 0u);
    EXPECT_EQ(link.childCount, 0);
    // Handles of objects that are no page nodes are dropped on reading.
    const ObjectHandle plain = QXStr_CreateNode(page_, 0, 0, kUnit, kUnit, 1);
    EXPECT_EQ(PGTreeWrite(node, PGTreeLink{plain, 0xdead, plain, 5}), 1);
    EXPECT_EQ(PGTreeRead(node, &link), 1);
    EXPECT_EQ(link.parent, 0u);
    EXPECT_EQ(link.next, 0u);
    EXPECT_EQ(link.firstChild, 0u);
    EXPECT_EQ(link.childCount, 0);
}

TEST_F(HierarchyPageTest, FailedTreeWriteIsReported)
{
    EXPECT_EQ(PGTreeWrite(0x7fff, PGTreeLink{}), 0);
    EXPECT_EQ(EE_GetPendingError(), 16389);
}

TEST_F(HierarchyPageTest, FurtherHierarchyPageIsNumberedAfterTheFirst)
{
    const ObjectHandle hier = PGGetHierarchyPage();
    EXPECT_EQ(PGCreateHierarchyPage(0), hier);
    const ObjectHandle further = PGCreateHierarchyPage(hier);
    ASSERT_NE(further, 0u);
    ASSERT_NE(further, hier);
    EXPECT_EQ(PageName(further), "Hierarchy 10011");
    EXPECT_EQ(PageNumber(further), 10011u);
}

TEST_F(HierarchyPageTest, PageNodeStylesFollowTheCurrentPage)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    PGGetHierarchyPage();
    auto style = [&](ObjectHandle page) {
        uint32_t s = 99, pattern = 0, visible = 0;
        int16_t width = 0;
        QXRdAttr_GetLineAttr(NodeOf(page), &s, &width, &pattern, &visible);
        return s;
    };
    PGSetNodeStyle(sub, kPGPageCurrent);
    EXPECT_EQ(style(sub), 0u);
    PGSetNodeStyle(sub, kPGPageOpen);
    EXPECT_EQ(style(sub), 4u);
    PGSetNodeStyle(sub, kPGPageClosed);
    EXPECT_EQ(style(sub), 3u);
    PGMarkCurrentPage(sub);
    EXPECT_EQ(style(sub), 0u);
}

}  // namespace

