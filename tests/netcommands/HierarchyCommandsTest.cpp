// Move to Subpage through the menu: the selected transition becomes a
// substitution transition of a new subpage with port copies of its places;
// refusals for connectors and groups of regions.
#include <gtest/gtest.h>

#include "NetCommandFixture.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetHierarchyMenu.h"
#include "atolq/CEditor/NetObjects.h"

namespace {

class HierarchyCommandsTest : public NetCommandTest {};

TEST_F(HierarchyCommandsTest, MoveToSubpageMakesTheTransitionASubstitution)
{
    const ObjectHandle in = Place(100, 100), t = Transition(200, 100), out = Place(300, 100);
    Arc(in, t, 1);
    Arc(t, out, 1);
    QXStr_SetCurObject(t);
    EXPECT_EQ(GE_DispatchPick(10100, 10109, true), 1);
    SEHead* record = Record(t);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->subKind, kSESubstitution);
    const ObjectHandle subpage = SEGetSubpageObj(record);
    ASSERT_NE(subpage, 0u);
    EXPECT_NE(subpage, page_);
    EXPECT_NE(EE_GetAssignedNode(t, in), 0u);
    EXPECT_NE(EE_GetAssignedNode(t, out), 0u);
    EXPECT_EQ(QXStr_GetCurObject(), t);
}

TEST_F(HierarchyCommandsTest, MoveToSubpageRefusals)
{
    const ObjectHandle p = Place(100, 100), t = Transition(200, 100);
    const ObjectHandle arc = Arc(p, t);
    const ObjectHandle r1 = AuxRegion(p, "a"), r2 = AuxRegion(t, "b");
    const ObjectHandle arcRegion = AuxRegion(arc, "c");
    struct Case {
        std::vector<ObjectHandle> selection;
        std::vector<int16_t> messages;
    };
    for (const Case& c : {Case{{}, {11307}}, Case{{arc}, {11310}}, Case{{r1, r2}, {11316}}, Case{{arcRegion}, {11310}},
                          Case{{r1}, {}}}) {
        ShownMessages().clear();
        QXStr_SetCurObject(0);
        if (c.selection.size() == 1)
            QXStr_SetCurObject(c.selection.front());
        else if (!c.selection.empty())
            QXStr_SetCurGroup(static_cast<uint32_t>(c.selection.size()), c.selection.data());
        EE_MoveToSubpage();
        EXPECT_EQ(ShownMessages(), c.messages);
        EXPECT_EQ(Record(t)->subKind, kSEPlain);
    }
}

}  // namespace

namespace {

// The picking commands refuse a selection that does not fit them before
// anything is asked or changed.
class PickingCommandsTest : public NetCommandTest {};

TEST_F(PickingCommandsTest, RefusalsBeforeThePick)
{
    const ObjectHandle p = Place(100, 100), t = Transition(200, 100), q = Place(300, 100);
    const ObjectHandle arc = Arc(p, t);
    Arc(t, q);
    const ObjectHandle compound = Transition(200, 300);
    ASSERT_NE(SEMakeCompound(Record(compound), kSESubstitution), nullptr);
    struct Case {
        const char* command;
        void (*run)();
        std::vector<ObjectHandle> selection;
        int16_t message;
    };
    const Case cases[] = {
        {"substitution, nothing selected", EE_MakeSubstitution, {}, 11307},
        {"substitution, a connector", EE_MakeSubstitution, {arc}, 11310},
        {"substitution, a place with a transition", EE_MakeSubstitution, {p, t}, 11269},
        {"substitution, a substitution transition", EE_MakeSubstitution, {compound}, 11272},
        {"merge, a place with a transition", EE_Merge, {p, t}, 11282},
        {"fusion, a place with a transition", EE_FusionCommand, {p, t}, 11317},
        {"fusion, a connector", EE_FusionCommand, {arc}, 11310},
        {"move, a connector", EE_MoveToPage, {arc}, 11310},
    };
    for (const Case& c : cases) {
        ShownMessages().clear();
        QXStr_SetCurObject(0);
        if (c.selection.size() == 1)
            QXStr_SetCurObject(c.selection.front());
        else if (!c.selection.empty())
            QXStr_SetCurGroup(static_cast<uint32_t>(c.selection.size()), c.selection.data());
        c.run();
        EXPECT_EQ(ShownMessages(), std::vector<int16_t>{c.message}) << c.command;
        EXPECT_EQ(Record(t)->subKind, kSEPlain) << c.command;
        EXPECT_EQ(SEIsFusMem(Record(p)), 0) << c.command;
        EXPECT_EQ(QXStr_GetObjectPage(p), page_) << c.command;
    }
}

}  // namespace
