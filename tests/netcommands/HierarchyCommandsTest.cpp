// Move to Subpage through the menu: the selected transition becomes a
// substitution transition of a new subpage with port copies of its places;
// refusals for connectors and groups of regions.
#include <gtest/gtest.h>

#include "NetCommandFixture.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetDispatch.h"
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
