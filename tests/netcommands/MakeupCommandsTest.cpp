// Clipboard and makeup commands: Clear deletes the net objects with the
// drawing, Duplicate gives the copies records of their own, Drag and the
// region visibility commands with their refusals.
#include <gtest/gtest.h>

#include "NetCommandFixture.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetDispatch.h"

namespace {

class MakeupCommandsTest : public NetCommandTest {
protected:
    static void SelectGroup(const std::vector<ObjectHandle>& objects)
    {
        ASSERT_NE(QXStr_SetCurGroup(static_cast<uint32_t>(objects.size()), objects.data()), 0u);
    }
    static uint32_t Flag(ObjectHandle object, uint32_t mask)
    {
        uint32_t value = 0;
        QXRdAttr_GetFlag(object, mask, &value);
        return value;
    }
    static size_t NodeCount(ObjectHandle page)
    {
        uint16_t count = 0;
        ObjectHandle* list = nullptr;
        QXStr_GetNodeList(page, &count, &list);
        QXMem_Free(list);
        return count;
    }
};

TEST_F(MakeupCommandsTest, ClearDeletesTheSelectedNetObjectsAndTheirArcs)
{
    const ObjectHandle p = Place(20, 20), t = Transition(80, 20), q = Place(140, 20);
    const ObjectHandle a = Arc(p, t);
    SEHead* transition = Record(t);
    ASSERT_NE(transition, nullptr);
    SelectGroup({p, t});
    EXPECT_EQ(GE_DispatchPick(3, 306, true), 1);
    EXPECT_EQ(QXStr_IsObject(p), 0u);
    EXPECT_EQ(QXStr_IsObject(t), 0u);
    EXPECT_EQ(QXStr_IsObject(a), 0u);
    EXPECT_NE(QXStr_IsObject(q), 0u);
    EXPECT_EQ(LMCount(net_->transitions), 0u);
    EXPECT_EQ(LMCount(net_->places), 1u);
}

TEST_F(MakeupCommandsTest, ClearWithNothingSelectedSaysThePageIsEmpty)
{
    Place(20, 20);
    EXPECT_EQ(EE_Clear(), 0);
    EXPECT_EQ(ShownMessages(), std::vector<int16_t>{11307});
    EXPECT_EQ(LMCount(net_->places), 1u);
}

TEST_F(MakeupCommandsTest, DuplicateGivesTheCopiesRecordsOfTheirOwn)
{
    const ObjectHandle p = Place(20, 20), t = Transition(80, 20);
    SelectGroup({p, t});
    EXPECT_EQ(GE_DispatchPick(7, 706, true), 1);
    EXPECT_EQ(NodeCount(page_), 4u);
    EXPECT_EQ(LMCount(net_->places), 2u);
    EXPECT_EQ(LMCount(net_->transitions), 2u);
    // The originals stay selected.
    EXPECT_EQ(Selected(), (std::vector<ObjectHandle>{p, t}));
}

TEST_F(MakeupCommandsTest, DuplicateRefusesWhenTheFirstObjectIsNotANode)
{
    const ObjectHandle p = Place(20, 20), t = Transition(80, 20);
    const ObjectHandle a = Arc(p, t);
    QXStr_SetCurObject(a);
    EE_Duplicate();
    EXPECT_EQ(ShownMessages(), std::vector<int16_t>{11306});
    EXPECT_EQ(NodeCount(page_), 2u);
}

TEST_F(MakeupCommandsTest, DragRefusesAGroupOfConnectors)
{
    const ObjectHandle p = Place(20, 20), t = Transition(80, 20), q = Place(140, 20);
    SelectGroup({Arc(p, t), Arc(t, q, 2)});
    EXPECT_EQ(EE_Drag(), 0);
    EXPECT_EQ(ShownMessages(), std::vector<int16_t>{11287});
}

TEST_F(MakeupCommandsTest, HideRegionsOnARegionSelectsItsOwner)
{
    const ObjectHandle p = Place(20, 20);
    const ObjectHandle region = AuxRegion(p);
    QXStr_SetCurObject(region);
    EXPECT_EQ(GE_DispatchPick(5, 11552, true), 1);
    EXPECT_EQ(QXStr_GetCurObject(), p);
    EXPECT_NE(Flag(region, 4), 0u);
    EXPECT_EQ(GE_DispatchPick(5, 11553, true), 1);
    EXPECT_EQ(Flag(region, 4), 0u);
    EXPECT_EQ(Flag(region, 1), 0u);
}

TEST_F(MakeupCommandsTest, HideRegionsOnANodeHidesEveryRegion)
{
    const ObjectHandle p = Place(20, 20);
    const ObjectHandle r1 = AuxRegion(p, "one"), r2 = AuxRegion(p, "two");
    QXStr_SetCurObject(p);
    EXPECT_EQ(EE_HideRegions(), 1);
    EXPECT_NE(Flag(r1, 4), 0u);
    EXPECT_NE(Flag(r2, 4), 0u);
    EXPECT_EQ(QXStr_GetCurObject(), p);
}

}  // namespace
