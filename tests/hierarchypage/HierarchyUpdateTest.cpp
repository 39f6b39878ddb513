// The updates that the net editor asks of the hierarchy page after edits of
// the net: pages renamed or dropped, sub pages assigned or changed, compound
// nodes renamed or made plain; arcs, labels, counts and the tree follow.
#include <gtest/gtest.h>

#include "HierarchyDoubles.h"
#include "HierarchyFixture.h"
#include "QXFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"

namespace {

using HierarchyUpdateTest = HierarchyFixture<QXDiagramTest>;

SEHead* RecordOf(ObjectHandle node)
{
    SEHead* record = nullptr;
    GE_GetSERecord(node, &record);
    return record;
}

TEST_F(HierarchyUpdateTest, AssignedSubpageGetsItsArcWhenThePageIsUpdated)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    PGGetHierarchyPage();
    const ObjectHandle t1 = Compound(page_, sub, "T1");
    EXPECT_EQ(Arc(page_, sub), 0u);
    PGUpdatePage(sub);
    const ObjectHandle arc = Arc(page_, sub);
    ASSERT_NE(arc, 0u);
    EXPECT_EQ(Data(arc).count, 1);
    EXPECT_EQ(TextOf(PGFindLabel(arc, t1)), "T1");
    EXPECT_EQ(Parent(sub), page_);
    PGUpdatePage(sub);
    PGUpdatePage(page_);
    EXPECT_EQ(Data(arc).count, 1) << "updating again counts nothing twice";
    EXPECT_EQ(Labels(arc).size(), 1u);
    ExpectSoundTree();
}

TEST_F(HierarchyUpdateTest, NodeGivenAnotherSubpageMovesItsLabelToTheNewArc)
{
    const ObjectHandle first = NetPage("First", 2);
    const ObjectHandle second = NetPage("Second", 3);
    PGGetHierarchyPage();
    const ObjectHandle t1 = Compound(page_, first, "T1");
    PGUpdateNode(t1);
    ASSERT_NE(Arc(page_, first), 0u);
    ASSERT_EQ(SEMakeSubpage(RecordOf(t1), nets_.at(second)), 1);
    PGUpdateNode(t1);
    EXPECT_EQ(Arc(page_, first), 0u) << "the arc that the node no longer makes goes";
    const ObjectHandle arc = Arc(page_, second);
    ASSERT_NE(arc, 0u);
    EXPECT_NE(PGFindLabel(arc, t1), 0u);
    EXPECT_EQ(Parent(first), Hier());
    EXPECT_EQ(Parent(second), page_);
    ExpectSoundTree();
}

TEST_F(HierarchyUpdateTest, NamelessNodeIsCountedOnceAndLabelledWhenNamed)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    PGGetHierarchyPage();
    const ObjectHandle t1 = Compound(page_, sub, "");
    PGUpdateNode(t1);
    PGUpdateNode(t1);
    PGUpdateNode(t1);
    const ObjectHandle arc = Arc(page_, sub);
    ASSERT_NE(arc, 0u);
    EXPECT_EQ(Data(arc).count, 1);
    EXPECT_TRUE(Labels(arc).empty());
    SEPutName(RecordOf(t1), Text("Named"));
    PGUpdateNode(t1);
    EXPECT_EQ(Data(arc).count, 1);
    EXPECT_EQ(TextOf(PGFindLabel(arc, t1)), "Named");
    EXPECT_EQ(PGFirstLabel(arc), PGFindLabel(arc, t1));
}

TEST_F(HierarchyUpdateTest, NodeMadePlainLosesItsArcWithOrWithoutTheDropFirst)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    PGGetHierarchyPage();
    const ObjectHandle t1 = Compound(page_, sub, "T1");
    const ObjectHandle t2 = Compound(page_, sub, "T2");
    PGUpdatePage(sub);
    const ObjectHandle arc = Arc(page_, sub);
    ASSERT_EQ(Data(arc).count, 2);

    // As the editor does it: the arc is dropped before the node is made plain.
    PGDropSubpageArc(t1);
    SEUnmakeCompound(RecordOf(t1));
    PGUpdatePage(sub);
    ASSERT_EQ(Arc(page_, sub), arc);
    EXPECT_EQ(Data(arc).count, 1);
    EXPECT_EQ(PGFindLabel(arc, t1), 0u);

    // A node made plain behind the hierarchy page's back: the update finds it.
    SEUnmakeCompound(RecordOf(t2));
    PGUpdatePage(sub);
    EXPECT_EQ(Arc(page_, sub), 0u);
    EXPECT_EQ(Parent(sub), Hier());
    EXPECT_EQ(PGNodeMode(NodeOf(page_)), 2);
    ExpectSoundTree();
}

TEST_F(HierarchyUpdateTest, DeletedCompoundNodeLeavesNoLabel)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    PGGetHierarchyPage();
    const ObjectHandle t1 = Compound(page_, sub, "T1");
    const ObjectHandle t2 = Compound(page_, sub, "T2");
    PGUpdatePage(page_);
    const ObjectHandle arc = Arc(page_, sub);
    ASSERT_EQ(Labels(arc).size(), 2u);
    SEDelTrans(reinterpret_cast<SETrans*>(RecordOf(t1)));
    QXStr_DeleteObject(t1);
    PGUpdatePage(page_);
    ASSERT_EQ(Arc(page_, sub), arc);
    EXPECT_EQ(Data(arc).count, 1);
    ASSERT_EQ(Labels(arc).size(), 1u);
    EXPECT_EQ(PGLabelObject(Labels(arc)[0]), t2);
}

TEST_F(HierarchyUpdateTest, DroppedPageWhoseNodeWentFirstLeavesNoOrphans)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    const ObjectHandle low = NetPage("Low", 3);
    PGGetHierarchyPage();
    PGUpdateNode(Compound(page_, sub, "T1"));
    PGUpdateNode(Compound(sub, low, "T2"));
    ASSERT_EQ(Parent(low), sub);
    // The editor deletes the page node's net object before it drops the page.
    QXStr_DeleteObject(NodeOf(sub));
    PGDropPage(sub);
    EXPECT_EQ(NodeOf(sub), 0u);
    EXPECT_EQ(Parent(low), Hier());
    ExpectSoundTree();

    PGDropPage(low);
    EXPECT_EQ(NodeOf(low), 0u);
    ExpectSoundTree();
}

TEST_F(HierarchyUpdateTest, ChangedPageNameReachesItsNode)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    PGGetHierarchyPage();
    SEPutName(&nets_.at(sub)->head, Text("Renamed"));
    PGPageChanged(sub);
    EXPECT_EQ(TextOf(NodeOf(sub)), "Renamed#2");
}

TEST_F(HierarchyUpdateTest, UpdatesWithoutAHierarchyPageDoNothing)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    const ObjectHandle t1 = Compound(page_, sub, "T1");
    PGUpdatePage(sub);
    PGUpdateNode(t1);
    PGPageChanged(sub);
    PGDropSubpageArc(t1);
    PGDropPage(sub);
    EXPECT_EQ(Hier(), 0u);
    PGUpdateNode(0);
    PGUpdatePage(0);
}

}  // namespace

namespace {

using HierarchyModelChangeTest = HierarchyFixture<QXDiagramTest>;

// A change of the model that the editor did not report: a page removed by
// the kernel loses its node (the page below it hangs under the root), a net
// page made without the editor gets one, a plain kernel page none.
TEST_F(HierarchyModelChangeTest, NodesFollowPagesAddedAndRemovedBehindTheEditorsBack)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    const ObjectHandle low = NetPage("Low", 3);
    PGGetHierarchyPage();
    PGUpdateNode(Compound(page_, sub, "T1"));
    PGUpdateNode(Compound(sub, low, "T2"));
    ASSERT_EQ(Parent(low), sub);
    const size_t before = PGObjectList(Hier(), 4).size();

    ASSERT_EQ(QXStr_RemovePage(sub, 0), 1u);
    const ObjectHandle later = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
    Adopt(later, "Later", 4);
    const ObjectHandle plain = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
    PGModelChanged();

    EXPECT_EQ(PGObjectList(Hier(), 4).size(), before);  // one gone, one new
    for (ObjectHandle node : PGObjectList(Hier(), 4)) {
        const ObjectHandle page = PGNodePage(node);
        EXPECT_EQ(QXRdAttr_GetObjectType(page), kQXKindPage) << "a node of a removed page stayed";
        EXPECT_NE(page, plain);
    }
    EXPECT_NE(NodeOf(later), 0u);
    EXPECT_EQ(Parent(low), Hier());
    ExpectSoundTree();

    // A second report changes nothing.
    PGModelChanged();
    EXPECT_EQ(PGObjectList(Hier(), 4).size(), before);
}

}  // namespace
