// Selection commands of the Group and Text menus, reached through the menu
// dispatch: the group limit of 200 with its message, regions of nodes before
// those of connectors, fusion sets on the current page, and the refusals.
#include <gtest/gtest.h>

#include <algorithm>

#include "NetCommandFixture.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetObjects.h"

namespace {

constexpr uint16_t kGroupMenu = 7;
constexpr uint16_t kTextMenu = 8;

class SelectionCommandsTest : public NetCommandTest {
protected:
    void Pick(uint16_t menu, int16_t command)
    {
        EXPECT_NE(GE_DispatchPick(menu, command, true), 0);
    }
    std::vector<ObjectHandle> Nodes(int count)
    {
        std::vector<ObjectHandle> nodes;
        for (int i = 0; i < count; ++i)
            nodes.push_back(QXStr_CreateNode(page_, F(20 + (i % 25) * 30), F(20 + (i / 25) * 30), F(10), F(10), 1));
        return nodes;
    }
    void SelectOne(ObjectHandle object) { ASSERT_NE(QXStr_SetCurObject(object), 0u); }
};

TEST_F(SelectionCommandsTest, MyCommandsAreNoLongerReportedAsPending)
{
    for (auto [menu, command] : {std::pair<uint16_t, int16_t>{7, 11751}, {7, 706}, {8, 11853}, {6, 602}, {5, 11552},
                                 {3, 303}, {3, 305}, {3, 306}, {3, 301}, {2, 208}, {10200, 10201}, {10100, 10109}})
        EXPECT_TRUE(GE_PendingCommandLabel(menu, command).empty()) << command;
}

struct LimitCase {
    const char* name;
    int count;
    size_t selected;
    std::vector<int16_t> messages;
};

class SelectAllNodesLimit : public SelectionCommandsTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(SelectAllNodesLimit, KeepsTheFirstNodesInPageOrder)
{
    const LimitCase& c = GetParam();
    const std::vector<ObjectHandle> nodes = Nodes(c.count);
    SelectOne(nodes.front());
    Pick(kGroupMenu, 11751);
    const std::vector<ObjectHandle> selected = Selected();
    ASSERT_EQ(selected.size(), c.selected);
    EXPECT_TRUE(std::equal(selected.begin(), selected.end(), nodes.begin()));
    EXPECT_EQ(ShownMessages(), c.messages);
    EXPECT_EQ(GE_GetSelectionType(), 4u);
}

INSTANTIATE_TEST_SUITE_P(Counts, SelectAllNodesLimit,
                         ::testing::Values(LimitCase{"Few", 3, 3, {}}, LimitCase{"Exactly200", 200, 200, {}},
                                           LimitCase{"Over", 250, 200, {11346}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SelectionCommandsTest, SelectAllConnectorsSelectsTheConnectorsOnly)
{
    const ObjectHandle p = Place(20, 20), t = Transition(80, 20), q = Place(140, 20);
    const ObjectHandle a = Arc(p, t), b = Arc(t, q, 2);
    SelectOne(p);
    Pick(kGroupMenu, 11753);
    EXPECT_EQ(Selected(), (std::vector<ObjectHandle>{a, b}));
    EXPECT_EQ(GE_GetSelectionType(), 8u);
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(SelectionCommandsTest, SelectAllRegionsTakesNodeRegionsFirstThenConnectorRegions)
{
    const ObjectHandle p = Place(20, 20), t = Transition(120, 20);
    const ObjectHandle r1 = AuxRegion(p), r2 = AuxRegion(t);
    const ObjectHandle c = Connector(p, t);
    const ObjectHandle r3 = AuxRegion(c);
    SelectOne(p);
    Pick(kGroupMenu, 11752);
    EXPECT_EQ(Selected(), (std::vector<ObjectHandle>{r1, r2, r3}));
    EXPECT_EQ(GE_GetSelectionType(), 16u);
}

TEST_F(SelectionCommandsTest, SelectAllRegionsStopsAtTheGroupLimit)
{
    // 150 node regions, then 60 on a connector: 200 kept, the message once.
    const ObjectHandle p = Place(20, 20), t = Transition(220, 20);
    std::vector<ObjectHandle> expected;
    for (int i = 0; i < 150; ++i)
        expected.push_back(AuxRegion(i % 2 == 0 ? p : t));
    const ObjectHandle c = Connector(p, t);
    for (int i = 0; i < 60; ++i)
        expected.push_back(AuxRegion(c));
    SelectOne(p);
    Pick(kGroupMenu, 11752);
    const std::vector<ObjectHandle> selected = Selected();
    ASSERT_EQ(selected.size(), 200u);
    EXPECT_EQ(ShownMessages(), std::vector<int16_t>{11348});
    // Node regions first: every one of the 150 is in the group.
    for (ObjectHandle region : std::vector<ObjectHandle>(expected.begin(), expected.begin() + 150))
        EXPECT_NE(std::find(selected.begin(), selected.end(), region), selected.end());
}

TEST_F(SelectionCommandsTest, SelectAllRegionsOnAPageWithoutNodesSaysItIsEmpty)
{
    EE_SelectAllRegions();
    EXPECT_EQ(ShownMessages(), std::vector<int16_t>{11307});
}

TEST_F(SelectionCommandsTest, SelectFusionSetSelectsTheMembersOnTheCurrentPage)
{
    const ObjectHandle a = Place(20, 20), b = Place(80, 20), plain = Place(140, 20);
    const ObjectHandle other = Place(20, 20, NewNetPage());
    SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusGlobal, nullptr);
    SESetName(&set->head, Text("F"));
    for (ObjectHandle node : {a, b, other})
        ASSERT_EQ(EE_AddFusionMember(node, &set->head), 1);
    // A region of a member stands for it.
    const ObjectHandle region = AuxRegion(b);
    SelectOne(region);
    Pick(kGroupMenu, 11754);
    std::vector<ObjectHandle> selected = Selected();
    std::sort(selected.begin(), selected.end());
    std::vector<ObjectHandle> expected{a, b};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(selected, expected);
    EXPECT_EQ(GE_GetSelectionType(), 4u);
    EXPECT_TRUE(ShownMessages().empty());
    (void)plain;
}

TEST_F(SelectionCommandsTest, SelectFusionSetRefusals)
{
    const ObjectHandle p = Place(20, 20), t = Transition(80, 20);
    const ObjectHandle arc = Arc(p, t);
    struct Case {
        std::vector<ObjectHandle> selection;
        int16_t message;
    };
    for (const Case& c : {Case{{arc}, 11310}, Case{{p, t}, 11326}, Case{{p}, 11290}}) {
        ShownMessages().clear();
        if (c.selection.size() == 1)
            QXStr_SetCurObject(c.selection.front());
        else
            QXStr_SetCurGroup(static_cast<uint32_t>(c.selection.size()), c.selection.data());
        EE_SelectFusionSet();
        EXPECT_EQ(ShownMessages(), std::vector<int16_t>{c.message});
    }
}

TEST_F(SelectionCommandsTest, SelectToBracketIsNotImplemented)
{
    SelectOne(Place(20, 20));
    Pick(kTextMenu, 11850);
    EXPECT_EQ(ShownMessages(), std::vector<int16_t>{11265});
}

}  // namespace
