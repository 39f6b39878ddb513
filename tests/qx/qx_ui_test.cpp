// QX user interface functions on a diagram without windows: alignment and
// spreading with their checks, the limits of showing objects and pages, the
// print selections, group 28 defaults, and nested interaction ended by
// kernel events posted to the command layer.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "QXFixture.h"
#include "xkv/comm/Comm.h"
#include "xkv/item/Event.h"
#include "xkv/kv/QXUI.h"
#include "xkv/undo/Undo.h"

namespace {

// The undo record outlives a diagram: it is shut down with each test's tables.
class QXUITest : public QXDiagramTest {
protected:
    void TearDown() override
    {
        Undo_Shutdown();
        QXDiagramTest::TearDown();
    }
};

FixPoint PositionOf(ObjectHandle object)
{
    FixPoint p{};
    Model_GetField(object, Field::kPosition, &p);
    return p;
}

TEST_F(QXUITest, AlignmentCommandsMoveTheObjectAgainstItsReference)
{
    ObjectHandle reference = QXStr_CreateNode(page_, F(100), F(100), F(40), F(40), 1);
    ObjectHandle object = QXStr_CreateNode(page_, F(300), F(150), F(20), F(20), 1);
    // 910 is the kernel's code 1: bottom edges level.
    ASSERT_EQ(QXUI_AlignObjects(object, 910, reference, 0), 1u);
    EXPECT_EQ(PositionOf(object).y, F(100) + F(20) - F(10));
    EXPECT_EQ(PositionOf(object).x, F(300));
    EXPECT_EQ(Undo_GetKind(), static_cast<uint32_t>(kUndoAlignment));
    // 909 is code 2: the object sits above the reference.
    ASSERT_EQ(QXUI_Align(object, 909, reference, 0), 1u);
    EXPECT_EQ(PositionOf(object).y, F(100) - F(20) - F(10));
}

TEST_F(QXUITest, AlignmentRefusals)
{
    ObjectHandle a = Node(F(100), F(100));
    ObjectHandle b = Node(F(200), F(100));
    ObjectHandle arc = QXStr_CreateConnector(page_, a, b);
    struct Case {
        const char* name;
        ObjectHandle object;
        int32_t command;
        ObjectHandle ra, rb;
        KernelStatus status;
    };
    const Case cases[] = {
        {"command below range", a, 900, b, 0, 6},
        {"command above range", a, 915, b, 0, 6},
        {"no first reference", a, 901, 0, 0, 37},
        {"connector as reference", a, 901, arc, 0, 37},
        {"connector as second reference", a, 901, b, arc, 37},
        {"connector to align", arc, 901, b, 0, 37},
        {"page to align", page_, 901, b, 0, 37},
    };
    const FixPoint before = PositionOf(a);
    for (const Case& c : cases) {
        QXStatus = 0;
        EXPECT_EQ(QXUI_AlignObjects(c.object, c.command, c.ra, c.rb), 0u) << c.name;
        EXPECT_EQ(QXStatus, c.status) << c.name;
    }
    EXPECT_EQ(PositionOf(a).y, before.y);
}

TEST_F(QXUITest, SpreadNeedsThreeTo199Nodes)
{
    std::vector<ObjectHandle> nodes = {Node(F(0), F(0)), Node(F(100), F(10)), Node(F(30), F(20))};
    EXPECT_EQ(QXUI_SpreadObjects(nodes.data(), 2, 0), 0u);
    EXPECT_EQ(QXStatus, 31u);
    std::vector<ObjectHandle> many(200, nodes[0]);
    EXPECT_EQ(QXUI_SpreadObjects(many.data(), 200, 0), 0u);
    EXPECT_EQ(QXStatus, 31u);
    ObjectHandle arc = QXStr_CreateConnector(page_, nodes[0], nodes[1]);
    const ObjectHandle withArc[] = {nodes[0], nodes[1], arc};
    EXPECT_EQ(QXUI_SpreadObjects(withArc, 3, 0), 0u);
    EXPECT_EQ(QXStatus, 37u);

    QXStatus = 0;
    ASSERT_EQ(QXUI_SpreadObjects(nodes.data(), 3, 0), 1u);
    const Fixed x0 = PositionOf(nodes[0]).x, x1 = PositionOf(nodes[1]).x, x2 = PositionOf(nodes[2]).x;
    // The middle one now lies halfway between the outer ones.
    EXPECT_NEAR(x2 - x0, x1 - x2, 2);
    EXPECT_EQ(Undo_GetKind(), static_cast<uint32_t>(kUndoSpread));
}

TEST_F(QXUITest, ShowingObjectsChecksCountsAndKinds)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(0));
    ObjectHandle arc = QXStr_CreateConnector(page_, a, b);
    std::vector<ObjectHandle> tooMany(201, a);
    const ObjectHandle withArc[] = {a, arc};
    struct Case {
        const char* name;
        uint32_t count;
        const ObjectHandle* objects;
        KernelStatus status;
    };
    const Case cases[] = {
        {"none", 0, withArc, 31},
        {"201", 201, tooMany.data(), 23},
        {"connector", 2, withArc, 36},
    };
    for (const Case& c : cases) {
        QXStatus = 0;
        EXPECT_EQ(QXUI_ShowObjects(c.count, c.objects), 0u) << c.name;
        EXPECT_EQ(QXStatus, c.status) << c.name;
    }
    EXPECT_EQ(QXUI_ShowPage(a, 1), 0u);
    EXPECT_EQ(QXStatus, 38u);
    EXPECT_EQ(QXUI_GetObjectWindow(a), nullptr);  // no window open
}

TEST_F(QXUITest, PrintSelectionsThatCannotBeMadePrintNothing)
{
    ObjectHandle node = Node(0, 0);
    const int32_t one[] = {1};
    const ObjectHandle notPages[] = {page_, node};
    QXStatus = 0;
    EXPECT_EQ(QXUI_PrintPages(2, nullptr, one, 1), 0u);
    EXPECT_EQ(QXStatus, 15u);
    EXPECT_EQ(QXUI_PrintPages(3, notPages, nullptr, 2), 0u);
    EXPECT_EQ(QXStatus, 2u);
    // Numbers that name no page make an empty selection: nothing to print.
    const int32_t missing[] = {4711};
    EXPECT_EQ(QXUI_PrintPages(3, nullptr, missing, 1), 1u);
}

TEST_F(QXUITest, Group28ValuesAreStoredEachWithItsMark)
{
    struct Case {
        uint32_t (*set)(uint32_t);
        uint32_t index;
        uint32_t value;
    };
    const Case cases[] = {{QXUI_SetDefault28, 0, 11}, {QXUI_SetDefault28b, 1, 22}, {QXUI_SetDefault28c, 2, 33}};
    for (const Case& c : cases) {
        ASSERT_EQ(c.set(c.value), 1u) << c.index;
    }
    std::vector<uint8_t> record(Default_PropertySize(28));
    ASSERT_EQ(Default_Get(0, kDefaultLevelNew, 28, record.data()), kStatusOk);
    for (const Case& c : cases) {
        uint32_t word = 0;
        std::memcpy(&word, record.data() + kChangedBytes + 4 * c.index, 4);
        EXPECT_EQ(word, c.value) << c.index;
    }
}

TEST_F(QXUITest, UnknownCommandStoresTheMenuLookupStatus)
{
    QXStatus = 0;
    EXPECT_EQ(QXUI_DoCommand(4242), 0u);
    EXPECT_EQ(QXStatus, 51u);
    EXPECT_EQ(QXUI_DoCommandWithCursor(4242, 3), 0u);
    EXPECT_EQ(QXStatus, 35u);
}

class QXNestedTest : public QXUITest {
protected:
    void SetUp() override
    {
        QXUITest::SetUp();
        ASSERT_EQ(Comm_Initialize(), kStatusOk);
    }
};

TEST_F(QXNestedTest, CancelEndsTheLevelWithNothingPicked)
{
    ASSERT_EQ(Comm_PostEvent(Event_NewCancel()), kStatusOk);
    EXPECT_EQ(QXUI_RunNested(), 0u);
    EXPECT_EQ(QXUI_NestedLevel(), -1);
    EXPECT_EQ(Hook_IsRegistered(kHookNestedInteraction), 0u);
}

TEST_F(QXNestedTest, ObjectPickIsTheResultAndEarlierEventsPassOn)
{
    ObjectHandle node = Node(0, 0);
    PointerState pointer{};
    Modifiers modifiers{};
    ASSERT_EQ(Comm_PostEvent(Event_NewObjectPick(&pointer, &modifiers, node)), kStatusOk);
    EXPECT_EQ(QXUI_RunNested(), node);
    EXPECT_EQ(QXUI_NestedLevel(), -1);
}

TEST_F(QXNestedTest, HookOutsideANestedLevelLetsEventsPass)
{
    MemHandle cancel = Event_NewCancel();
    EXPECT_EQ(QXUI_NestedEventHook(cancel, 0, 0, 0, 0, 0), 1u);
    Event_Free(cancel);
}

}  // namespace
