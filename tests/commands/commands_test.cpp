// Command handlers at work: kernel events posted to the command layer on a
// diagram with a current page window, and the object tree, the selection and
// the command state read back afterwards.
#include "PageWindowFixture.h"

#include "xvfb.h"

#include <algorithm>

#include "TestEvents.h"
#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"
#include "xkv/trans/Trans.h"
#include "xkv/types/PtArray.h"
#include "xkv/undo/Undo.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

class Commands : public PageWindowTest {
protected:
    void SetUp() override
    {
        PageWindowTest::SetUp();
        ASSERT_EQ(Comm_Initialize(), 0u);
        ASSERT_EQ(Core_AddPage(&page_), 0u);
        Model_SetFlags(page_, 8, 1);
        Comm_SetCurrentPage(page_);
        ASSERT_EQ(Comm_GetCurrentPage(), page_);
        WaitShowing(Window_OfPage(page_));
        // The window module keeps the number of the group it last outlined
        // from one test's group table into the next; one group shown and
        // dropped here lets it go before the test's own groups exist.
        GroupNumber settle = Group_NewWith(page_);
        Select_Group(settle, 1);
        Group_Free(settle);
        Select_Clear();
    }
    void TearDown() override
    {
        for (HookId id = 0; id < kHookCount; ++id) {
            Hook_Unregister(id);
        }
        while (Comm_PopLevel() == 0) {
        }
        // End whatever command and gesture the test left running, while the
        // objects they hold still exist.
        if (Comm_GetState() != kCommStateReady) {
            Comm_PostCancel();
            Comm_ProcessEvents();
        }
        Trans_Begin(0, nullptr, 1);
        Comm_DropArguments();
        Comm_SetTextMode(0);
        // Cleared while the page window shows it, so that the window lets go
        // of its copy of the selection before the group table goes.
        Select_Clear();
        Comm_SetCurrentPage(0);
        Undo_Shutdown();
        Core_CloseModel();
        PageWindowTest::TearDown();
    }

    KernelStatus Run(MemHandle event)
    {
        EXPECT_EQ(Comm_PostEvent(event), 0u);
        return Comm_ProcessEvents();
    }
    KernelStatus Command(uint32_t request, uint32_t shift = 0) { return Run(TestCommand(request, shift)); }
    KernelStatus Rect(FixRect r) { return Run(TestRectPick(r)); }
    KernelStatus Click(ObjectHandle object, uint32_t shift = 0, uint32_t clicks = 1)
    {
        return Run(TestObjectPick(object, shift, clicks));
    }
    KernelStatus Point(FixPoint p) { return Run(TestPointPick(p)); }
    static PtArray Points(std::initializer_list<FixPoint> points)
    {
        PtArray array = 0;
        PtArray_Create(&array, 8);
        for (const FixPoint& p : points) {
            PtArray_Append(array, p);
        }
        return array;
    }
    ObjectHandle Node(Fixed cx, Fixed cy, Fixed size = U(20), uint32_t kind = 1)
    {
        ObjectHandle node = 0;
        EXPECT_EQ(Core_AddNode(page_, {cx - size / 2, cy - size / 2, cx + size / 2, cy + size / 2}, kind, 0, &node),
                  0u);
        return node;
    }
    ObjectHandle Connect(ObjectHandle from, ObjectHandle to)
    {
        ObjectHandle connector = 0;
        EXPECT_EQ(Core_AddConnector(page_, from, to, 0, &connector, 1), 0u);
        return connector;
    }
    static FixPoint Centre(ObjectHandle o)
    {
        FixPoint p{};
        Model_GetField(o, Field::kPosition, &p);
        return p;
    }
    std::vector<ObjectHandle> NodesOfPage(ObjectHandle page) const
    {
        std::vector<ObjectHandle> nodes;
        for (ObjectHandle n = Model_GetFirstNode(page); n != 0; n = Model_GetNextSibling(n)) {
            nodes.push_back(n);
        }
        return nodes;
    }
    void SelectGroupOf(std::initializer_list<ObjectHandle> members)
    {
        GroupNumber group = Group_New();
        for (ObjectHandle m : members) {
            Group_Add(group, m);
        }
        Select_Group(group, 1);
        Group_Free(group);
    }
    static std::vector<ObjectHandle> SelectedGroup()
    {
        std::vector<ObjectHandle> out;
        if (Select_GetMode() == kSelectGroup) {
            for (uint16_t i = 0; i < Group_Count(Select_GetGroup()); ++i) {
                out.push_back(Group_Member(Select_GetGroup(), i));
            }
        }
        return out;
    }

    ObjectHandle page_ = 0;
};

// ---- Creation ----

struct NodeCreation {
    uint32_t request;
    int32_t waitState;
    uint32_t shape;
    bool repeats;
};

class NodeCreationTest : public Commands, public ::testing::WithParamInterface<NodeCreation> {};

TEST_P(NodeCreationTest, RectangleMakesSelectedNodeOfTheShape)
{
    const NodeCreation c = GetParam();
    ASSERT_EQ(Command(c.request), 0u);
    ASSERT_EQ(Comm_GetState(), c.waitState);
    ASSERT_EQ(Rect({U(10), U(20), U(50), U(40)}), 0u);
    const std::vector<ObjectHandle> nodes = NodesOfPage(page_);
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(Model_GetFieldValue(nodes[0], Field::kShapeKind), c.shape);
    EXPECT_EQ(Centre(nodes[0]).x, U(30));
    EXPECT_EQ(Select_GetObject(), nodes[0]);
    EXPECT_EQ(Comm_GetState(), c.repeats ? c.waitState : kCommStateReady);
    if (c.repeats) {
        ASSERT_EQ(Rect({U(100), U(100), U(120), U(120)}), 0u);
        EXPECT_EQ(NodesOfPage(page_).size(), 2u);
        ASSERT_EQ(Comm_PostCancel(), 0u);
        EXPECT_EQ(Comm_ProcessEvents(), 0u);
        EXPECT_EQ(Comm_GetState(), kCommStateReady);
    }
}

INSTANTIATE_TEST_SUITE_P(Requests, NodeCreationTest,
                         ::testing::Values(NodeCreation{2, 88, 1, true}, NodeCreation{22, 89, 7, true},
                                           NodeCreation{14, 90, 2, true}, NodeCreation{23, 95, 8, true},
                                           NodeCreation{5, 28, 1, false}, NodeCreation{11, 36, 7, false},
                                           NodeCreation{7, 30, 2, false}, NodeCreation{12, 37, 8, false}));

struct PointCreation {
    uint32_t request;
    int32_t waitState;
    uint32_t shape;
    bool repeats;
};

class PointCreationTest : public Commands, public ::testing::WithParamInterface<PointCreation> {};

TEST_P(PointCreationTest, PointListMakesPolygonOrLine)
{
    const PointCreation c = GetParam();
    ASSERT_EQ(Command(c.request), 0u);
    ASSERT_EQ(Comm_GetState(), c.waitState);
    ASSERT_EQ(Run(TestPointsPick(Points({{U(10), U(10)}, {U(60), U(10)}, {U(30), U(50)}}))), 0u);
    const std::vector<ObjectHandle> nodes = NodesOfPage(page_);
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(Model_GetFieldValue(nodes[0], Field::kShapeKind), c.shape);
    EXPECT_EQ(Select_GetObject(), nodes[0]);
    EXPECT_EQ(Comm_GetState(), c.repeats ? c.waitState : kCommStateReady);
}

INSTANTIATE_TEST_SUITE_P(Requests, PointCreationTest,
                         ::testing::Values(PointCreation{19, 93, 5, true}, PointCreation{9, 34, 5, false},
                                           PointCreation{131, 91, 13, true}, PointCreation{133, 31, 13, false}));

int gCreatedNotices = 0;
uintptr_t CountCreated(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    ++gCreatedNotices;
    return 1;
}

TEST_F(Commands, ConnectorJoinsTheTwoPickedNodesAndIsAnnounced)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(120), U(20));
    gCreatedNotices = 0;
    Hook_Set(kHookObjectCreatedByCommand, CountCreated);
    ASSERT_EQ(Command(6), 0u);
    ASSERT_EQ(Comm_GetState(), 29);
    ASSERT_EQ(Run(TestConnection(a, b, 0)), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    ASSERT_EQ(Model_CountConnectors(page_), 1u);
    const ObjectHandle connector = Select_GetObject();
    ASSERT_TRUE(Model_IsConnector(connector));
    ObjectHandle start = 0, end = 0;
    Model_GetConnectorEnds(connector, &start, &end, 0);
    EXPECT_EQ(start, a);
    EXPECT_EQ(end, b);
    EXPECT_EQ(gCreatedNotices, 1);
}

TEST_F(Commands, ConnectorFromAGroupMemberConnectsEveryMember)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(20), U(80));
    const ObjectHandle outside = Node(U(150), U(50));
    SelectGroupOf({a, b});
    ASSERT_EQ(Command(4), 0u);
    ASSERT_EQ(Run(TestConnection(a, outside, 0)), 0u);
    EXPECT_EQ(Model_CountConnectors(page_), 2u);
    EXPECT_EQ(SelectedGroup(), (std::vector<ObjectHandle>{a, b}));
    // Between two members only one connector is made.
    ASSERT_EQ(Run(TestConnection(a, b, 0)), 0u);
    EXPECT_EQ(Model_CountConnectors(page_), 3u);
}

uintptr_t Refuse(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}

TEST_F(Commands, ConnectorRefusedByTheApplicationIsNoFailure)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(120), U(20));
    Hook_Set(9, Refuse);
    ASSERT_EQ(Command(6), 0u);
    EXPECT_EQ(Run(TestConnection(a, b, 0)), 0u);
    EXPECT_EQ(Model_CountConnectors(page_), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

TEST_F(Commands, LabelsAreTypedOneAfterAnotherAndTextModeIsRestored)
{
    ASSERT_EQ(Command(15), 0u);
    ASSERT_EQ(Comm_GetState(), 55);
    ASSERT_EQ(Point({U(30), U(30)}), 0u);
    EXPECT_EQ(Comm_InTextMode(), 1u);
    // A label left empty is dropped when its editing ends, so the first one gets a text.
    ASSERT_EQ(Text_PutString(Select_GetObject(), "first", 5, 1), kStatusOk);
    ASSERT_EQ(Point({U(90), U(30)}), 0u);
    EXPECT_EQ(NodesOfPage(page_).size(), 2u);
    EXPECT_TRUE(Model_IsLabel(Select_GetObject()));
    ASSERT_EQ(Comm_PostCancel(), 0u);
    EXPECT_EQ(Comm_ProcessEvents(), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(Comm_InTextMode(), 0u);
}

// ---- Picking and selection ----

TEST_F(Commands, ShiftClicksBuildAndShrinkAGroup)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(80), U(20));
    const ObjectHandle c = Node(U(140), U(20));
    ASSERT_EQ(Click(a), 0u);
    EXPECT_EQ(Select_GetObject(), a);
    ASSERT_EQ(Click(b, 1), 0u);
    EXPECT_EQ(SelectedGroup(), (std::vector<ObjectHandle>{a, b}));
    ASSERT_EQ(Click(c, 1), 0u);
    EXPECT_EQ(SelectedGroup().size(), 3u);
    ASSERT_EQ(Click(a, 1), 0u);
    EXPECT_EQ(SelectedGroup(), (std::vector<ObjectHandle>{b, c}));
    // Without shift a member leaves the group as it is; an outsider replaces it.
    ASSERT_EQ(Click(b), 0u);
    EXPECT_EQ(SelectedGroup(), (std::vector<ObjectHandle>{b, c}));
    ASSERT_EQ(Click(a), 0u);
    EXPECT_EQ(SelectedGroup(), (std::vector<ObjectHandle>{a}));
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

TEST_F(Commands, RemovingTheLastMemberLeavesNothingSelected)
{
    const ObjectHandle a = Node(U(20), U(20));
    SelectGroupOf({a});
    ASSERT_EQ(Click(a, 1), 0u);
    EXPECT_EQ(Select_IsNone(), 1u);
}

struct BandCase {
    uint32_t request;
    int32_t state;
    std::vector<int> before;    // indexes of the nodes selected first
    std::vector<int> expected;  // indexes selected afterwards
};

class BandTest : public Commands, public ::testing::WithParamInterface<BandCase> {};

TEST_P(BandTest, RubberBandCombinesWithTheGroup)
{
    // Nodes 0 and 1 lie in the band, node 2 outside it.
    const ObjectHandle nodes[3] = {Node(U(20), U(20)), Node(U(60), U(20)), Node(U(200), U(200))};
    GroupNumber before = Group_New();
    for (int i : GetParam().before) {
        Group_Add(before, nodes[i]);
    }
    if (Group_Count(before) > 0) {
        Select_Group(before, 1);
    }
    Group_Free(before);
    ASSERT_EQ(Command(GetParam().request), 0u);
    ASSERT_EQ(Comm_GetState(), GetParam().state);
    ASSERT_EQ(Rect({0, 0, U(100), U(100)}), 0u);
    std::vector<ObjectHandle> expected;
    for (int i : GetParam().expected) {
        expected.push_back(nodes[i]);
    }
    std::vector<ObjectHandle> got = SelectedGroup();
    if (Select_GetMode() == kSelectObject) {
        got = {Select_GetObject()};
    }
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

INSTANTIATE_TEST_SUITE_P(Modes, BandTest,
                         ::testing::Values(BandCase{27, 49, {2}, {0, 1}}, BandCase{25, 3, {2}, {0, 1, 2}},
                                           BandCase{29, 79, {0, 1, 2}, {2}}, BandCase{30, 83, {0, 2}, {1, 2}},
                                           BandCase{29, 79, {0, 1}, {}}));

TEST_F(Commands, SelectAllTakesTheSelectableNodesOfThePage)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(80), U(20));
    const ObjectHandle hidden = Node(U(140), U(20));
    Model_SetFlags(hidden, 0x1000000, 1);
    Connect(a, b);
    ASSERT_EQ(Command(82), 0u);
    EXPECT_EQ(SelectedGroup(), (std::vector<ObjectHandle>{a, b}));
}

TEST_F(Commands, UngroupAndRegroup)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(80), U(20));
    SelectGroupOf({a, b});
    ASSERT_EQ(Command(105), 0u);
    EXPECT_EQ(Select_GetMode(), static_cast<uint32_t>(kSelectObject));
    EXPECT_TRUE(SelectedGroup().empty());
    ASSERT_EQ(Command(104), 0u);
    EXPECT_EQ(SelectedGroup(), (std::vector<ObjectHandle>{a, b}));
}

// ---- Clipboard, deletion and copies ----

TEST_F(Commands, CutThenPasteBringsTheObjectsBackSelected)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(80), U(20));
    const ObjectHandle keep = Node(U(200), U(20));
    Connect(a, b);
    SelectGroupOf({a, b});
    ASSERT_EQ(Command(78), 0u);
    EXPECT_EQ(NodesOfPage(page_), (std::vector<ObjectHandle>{keep}));
    EXPECT_EQ(Model_CountConnectors(page_), 0u);
    EXPECT_EQ(Select_GetObject(), keep);
    ASSERT_EQ(Command(80), 0u);
    EXPECT_EQ(NodesOfPage(page_).size(), 3u);
    EXPECT_EQ(Model_CountConnectors(page_), 1u);
    EXPECT_EQ(SelectedGroup().size(), 2u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

TEST_F(Commands, CopyKeepsTheSelectionAndPasteAddsCopies)
{
    const ObjectHandle a = Node(U(20), U(20));
    ASSERT_EQ(Click(a), 0u);
    ASSERT_EQ(Command(79), 0u);
    EXPECT_EQ(Select_GetObject(), a);
    ASSERT_EQ(Command(80), 0u);
    ASSERT_EQ(NodesOfPage(page_).size(), 2u);
    EXPECT_NE(Select_GetObject(), a);
    EXPECT_EQ(Centre(Select_GetObject()).x, U(25));  // pasted 10 pixels (5 units) off
}

TEST_F(Commands, PasteOfALoneConnectorAsksForItsTwoEnds)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(120), U(20));
    const ObjectHandle c = Node(U(20), U(120));
    const ObjectHandle connector = Connect(a, b);
    ASSERT_EQ(Click(connector), 0u);
    ASSERT_EQ(Command(79), 0u);
    ASSERT_EQ(Command(80), 0u);
    ASSERT_EQ(Comm_GetState(), 101);
    ASSERT_EQ(Click(b), 0u);
    ASSERT_EQ(Comm_GetState(), 102);
    ASSERT_EQ(Click(c), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(Model_CountConnectors(page_), 2u);
    ObjectHandle start = 0, end = 0;
    Model_GetConnectorEnds(Select_GetObject(), &start, &end, 0);
    EXPECT_EQ(start, b);
    EXPECT_EQ(end, c);
    EXPECT_EQ(Comm_ArgumentCount(), 0u);
}

TEST_F(Commands, ClearDeletesTheSelectionAndSelectsTheRecentObject)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(80), U(20));
    ASSERT_EQ(Click(a), 0u);
    ASSERT_EQ(Click(b), 0u);
    ASSERT_EQ(Command(81), 0u);
    EXPECT_EQ(NodesOfPage(page_), (std::vector<ObjectHandle>{a}));
    EXPECT_EQ(Select_GetObject(), a);
}

TEST_F(Commands, ClearWithNothingSelectedDoesNothing)
{
    Node(U(20), U(20));
    Select_Clear();
    EXPECT_EQ(Command(81), 0u);
    EXPECT_EQ(NodesOfPage(page_).size(), 1u);
}

TEST_F(Commands, DuplicateSelectsTheCopiesOffset)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(80), U(20));
    SelectGroupOf({a, b});
    ASSERT_EQ(Command(106), 0u);
    const std::vector<ObjectHandle> copies = SelectedGroup();
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(NodesOfPage(page_).size(), 4u);
    EXPECT_EQ(Centre(copies[0]).x, U(28));
    EXPECT_EQ(Centre(copies[0]).y, U(28));
}

// ---- Structure ----

TEST_F(Commands, CoarsenGathersTheNodesInsideAndRefineUndoesIt)
{
    const ObjectHandle big = Node(U(100), U(100), U(120));
    const ObjectHandle inner1 = Node(U(80), U(80));
    const ObjectHandle inner2 = Node(U(120), U(120));
    const ObjectHandle far = Node(U(300), U(300));
    ASSERT_EQ(Click(big), 0u);
    ASSERT_EQ(Command(108), 0u);
    ASSERT_TRUE(Model_IsCoarseNode(big));
    const ObjectHandle subpage = Model_GetFieldValue(big, Field::kSubpage);
    EXPECT_EQ(Model_GetPage(inner1), subpage);
    EXPECT_EQ(Model_GetPage(inner2), subpage);
    EXPECT_EQ(Model_GetPage(far), page_);
    ASSERT_EQ(Command(124), 0u);
    EXPECT_FALSE(Model_IsCoarseNode(big));
    EXPECT_EQ(Model_GetPage(inner1), page_);
}

TEST_F(Commands, CoarsenRefusedByTheApplicationChangesNothing)
{
    const ObjectHandle big = Node(U(100), U(100), U(120));
    Node(U(80), U(80));
    Hook_Set(5, Refuse);
    ASSERT_EQ(Click(big), 0u);
    ASSERT_EQ(Command(108), 0u);
    EXPECT_FALSE(Model_IsCoarseNode(big));
    EXPECT_EQ(NodesOfPage(page_).size(), 2u);
}

TEST_F(Commands, CoarsenOfAGroupDrawsTheNewCoarseNode)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(80), U(20));
    SelectGroupOf({a, b});
    ASSERT_EQ(Command(108), 0u);
    ASSERT_EQ(Comm_GetState(), 38);
    EXPECT_EQ(Comm_ArgumentCount(), 1u);
    ASSERT_EQ(Rect({U(200), U(200), U(260), U(240)}), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(Comm_ArgumentCount(), 0u);
    const ObjectHandle coarse = Select_GetObject();
    ASSERT_TRUE(Model_IsCoarseNode(coarse));
    EXPECT_EQ(Model_GetPage(a), Model_GetFieldValue(coarse, Field::kSubpage));
}

TEST_F(Commands, AttachNeedsOneNodeAndAttachesToThePickedPage)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(80), U(20));
    ObjectHandle other = 0;
    ASSERT_EQ(Core_AddPage(&other), 0u);
    SelectGroupOf({a, b});
    EXPECT_EQ(Command(109), 0u);  // refused with 49, reported, cancelled
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_FALSE(Model_IsAttachedNode(a));
    Select_Object(a, 1);
    Comm_SetState(18);  // the page has been chosen in the page structure
    ASSERT_EQ(Click(other), 0u);
    EXPECT_TRUE(Model_IsAttachedNode(a));
    EXPECT_EQ(Model_GetFieldValue(a, 0), other);
}

TEST_F(Commands, MakeRegionAndUnmakeRegion)
{
    const ObjectHandle owner = Node(U(100), U(100), U(100));
    const ObjectHandle part = Node(U(100), U(100));
    ASSERT_EQ(Click(part), 0u);
    ASSERT_EQ(Command(63), 0u);
    ASSERT_EQ(Comm_GetState(), 56);
    ASSERT_EQ(Click(owner), 0u);
    EXPECT_TRUE(Model_IsRegion(part));
    EXPECT_EQ(Model_GetRegionOwner(part), owner);
    ASSERT_EQ(Command(64), 0u);
    EXPECT_FALSE(Model_IsRegion(part));
}

// ---- Moving and alignment ----

TEST_F(Commands, DragOfASelectedGroupMovesItByTheOffset)
{
    const ObjectHandle a = Node(U(20), U(20));
    const ObjectHandle b = Node(U(80), U(20));
    SelectGroupOf({a, b});
    ASSERT_EQ(Run(TestDrag({U(20), U(20)}, {0, 0})), 0u);
    ASSERT_EQ(Comm_GetState(), 41);
    ASSERT_EQ(Point({U(10), U(5)}), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(Centre(a).x, U(30));
    EXPECT_EQ(Centre(b).y, U(25));
}

struct AlignCase {
    uint32_t request;
    int32_t state;
    FixPoint expected;  // the member's centre afterwards
};

class AlignTest : public Commands, public ::testing::WithParamInterface<AlignCase> {};

TEST_P(AlignTest, MemberMovesRelativeToThePickedReference)
{
    // Reference 40 x 40 at (100, 100); member 20 x 20 at (20, 20).
    const ObjectHandle reference = Node(U(100), U(100), U(40));
    const ObjectHandle member = Node(U(20), U(20));
    ASSERT_EQ(Click(member), 0u);
    ASSERT_EQ(Command(GetParam().request), 0u);
    ASSERT_EQ(Comm_GetState(), GetParam().state);
    ASSERT_EQ(Click(reference), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(Centre(member).x, GetParam().expected.x);
    EXPECT_EQ(Centre(member).y, GetParam().expected.y);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AlignTest,
                         ::testing::Values(AlignCase{53, 7, {U(20), U(100)}}, AlignCase{62, 14, {U(100), U(20)}},
                                           AlignCase{52, 6, {U(100), U(100)}}, AlignCase{54, 8, {U(90), U(20)}},
                                           AlignCase{59, 11, {U(110), U(20)}}, AlignCase{61, 13, {U(20), U(90)}},
                                           AlignCase{50, 4, {U(20), U(110)}}, AlignCase{51, 5, {U(20), U(70)}}));

TEST_F(Commands, AlignBetweenTwoReferencesAndUndo)
{
    const ObjectHandle left = Node(U(0), U(0));
    const ObjectHandle right = Node(U(100), U(60));
    const ObjectHandle member = Node(U(20), U(200));
    ASSERT_EQ(Click(member), 0u);
    ASSERT_EQ(Command(49), 0u);
    ASSERT_EQ(Click(left), 0u);
    ASSERT_EQ(Comm_GetState(), 22);
    ASSERT_EQ(Click(right), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(Centre(member).x, U(50));
    EXPECT_EQ(Centre(member).y, U(30));
    EXPECT_EQ(Comm_ArgumentCount(), 0u);
    ASSERT_EQ(Command(127), 0u);
    EXPECT_EQ(Centre(member).x, U(20));
    EXPECT_EQ(Centre(member).y, U(200));
}

}  // namespace
