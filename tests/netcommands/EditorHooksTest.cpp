// The editor's hook handlers on the real kernel, abstract net and net layer:
// installed by the mode switch, reached through the kernel's own firing of
// the hooks (key filter, connector creation and re-attachment, text edits,
// deletion, status text, window title).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "InboxDetail.h"
#include "NetCommandFixture.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/HookHandlers.h"
#include "atolq/CEditor/ModeHooks.h"
#include "atolq/CEditor/NetCreate.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRegions.h"
#include "xkv/comm/Comm.h"
#include "xkv/item/TypedItem.h"
#include "xkv/mem/Mem.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXUI.h"
#include "xkv/types/PtArray.h"
#include "atolq/Utils/LMList.h"

namespace {

constexpr unsigned long kRight = 0xFF53;
constexpr unsigned long kBackSpace = 0xFF08;
constexpr unsigned long kDelete = 0xFFFF;
constexpr int32_t kChartRegionKind = 4254;  // a chart's first non-code region

// The pointer of a button press as the kernel's press hook passes it: the
// position on the page and the three buttons.
struct Pointer {
    Fixed x = 0;
    Fixed y = 0;
    uint32_t buttons[3] = {1, 0, 0};
};

class EditorHooksTest : public NetCommandTest {
protected:
    void SetUp() override
    {
        NetCommandTest::SetUp();
        // The kernel's adapters stand in front of the handlers, as in tolq.
        Hook_InitTable();
        EE_InstallEditorHookHandlers();
        GE_SetModeHooks(kGEModeEditor);
    }
    void TearDown() override
    {
        if (Comm_InTextMode() != 0)
            GE_EndTextEdit();
        Comm_SetTextMode(0);
        GE_SetCreateKind(kGECreateNone);
        QXCall_Timer(nullptr);
        NetCommandTest::TearDown();
    }

    // The key through the kernel's key hook, as a key press reaches it.
    static uintptr_t Key(unsigned long keysym, int32_t shift = 0, int32_t control = 0)
    {
        int32_t modifiers[4] = {shift, control, 0, 0};
        char character = 0;
        return Hook_Fire(kHookKeyFilter, reinterpret_cast<uintptr_t>(modifiers), reinterpret_cast<uintptr_t>(&keysym),
                         reinterpret_cast<uintptr_t>(&character));
    }
    static std::string TextOf(ObjectHandle object)
    {
        char buffer[256] = {};
        uint32_t length = sizeof buffer - 1;
        QXText_GetText(object, buffer, &length);
        return std::string(buffer, std::min<uint32_t>(length, sizeof buffer - 1));
    }
    static std::string Owned(const char* text) { return text != nullptr ? text : ""; }
    // An arc inscription region with the text, stored in the arc's record.
    ObjectHandle Inscription(ObjectHandle arc, const char* text)
    {
        ObjectHandle region = AuxRegion(arc, text);
        QXWtAttr_SetRegionKind(region, kRegionArcExpr);
        EE_SetArcExprFromRegion(arc);
        return region;
    }
    static size_t PlaceCount(SEPage* page) { return page->places != nullptr ? LMCount(page->places) : 0; }
    // Moves the end (1) or start (2) of the connector onto the object the
    // way a drag of the end does.
    static KernelStatus Reattach(ObjectHandle connector, ObjectHandle object, uint32_t which)
    {
        Fixed x = 0, y = 0;
        QXRdAttr_GetPosition(object, &x, &y);
        PtArray points = PtArray_New();
        PtArray_Append(points, FixPoint{x, y});
        const KernelStatus status = Core_ReattachConnector(connector, object, which, points);
        PtArray_Free(points);
        return status;
    }
};

TEST_F(EditorHooksTest, EditorSetFillsTheConnectorTextAndPageSlots)
{
    for (HookId hook : {7u, 8u, 9u, 14u, 16u, 17u, 27u, 28u, 34u, 40u, 41u, 45u, 50u, 55u, 62u, 69u, 71u, 74u, 76u,
                        79u, 84u})
        EXPECT_EQ(Hook_IsRegistered(hook), 1u) << "hook " << hook;
    EXPECT_EQ(Hook_GetApplicationHandler(76), EE_TextEditEnd);
    EXPECT_EQ(Hook_GetApplicationHandler(27), EE_PageChangedHook);
    EXPECT_EQ(Hook_GetApplicationHandler(7), EE_ConnectorDirectionHook);
    GE_SetModeHooks(kGEModeSimulator);
    for (HookId hook : {7u, 8u, 9u, 40u, 78u})
        EXPECT_EQ(Hook_IsRegistered(hook), 0u) << "hook " << hook;
    for (HookId hook : {27u, 45u, 55u, 74u, 76u, 79u, 84u, 41u})
        EXPECT_EQ(Hook_IsRegistered(hook), 1u) << "hook " << hook;
    GE_SetModeHooks(kGEModeEditor);
    EXPECT_EQ(Hook_GetApplicationHandler(8), EE_ReattachConnector);
}

// ---- keys ----

TEST_F(EditorHooksTest, ShiftRightWhileEditingWalksAndControlShiftRightPasses)
{
    const ObjectHandle first = Place(50, 50);
    Place(150, 50);
    QXStr_SetCurObject(first);
    GE_BeginTextEdit();
    ASSERT_NE(Comm_InTextMode(), 0u);
    EXPECT_EQ(Key(kRight, 1, 1), 1u);
    EXPECT_EQ(QXStr_GetCurObject(), first);
    EXPECT_EQ(Key(kRight, 1), 0u);
    EXPECT_NE(QXStr_GetCurObject(), first);
}

TEST_F(EditorHooksTest, ShiftRightWithoutTextEditingPasses)
{
    const ObjectHandle first = Place(50, 50);
    Place(150, 50);
    QXStr_SetCurObject(first);
    EXPECT_EQ(Key(kRight, 1), 1u);
    EXPECT_EQ(QXStr_GetCurObject(), first);
}

TEST_F(EditorHooksTest, DeleteOutsideTextEditingClearsTheObjectAndItsRecord)
{
    const ObjectHandle place = Place(50, 50);
    const ObjectHandle other = Place(150, 50);
    ASSERT_EQ(PlaceCount(net_), 2u);
    for (unsigned long key : {kDelete, kBackSpace}) {
        const ObjectHandle target = key == kDelete ? place : other;
        QXStr_SetCurObject(target);
        EXPECT_EQ(Key(key), 0u);
        EXPECT_EQ(QXStr_IsObject(target), 0u);
    }
    EXPECT_EQ(PlaceCount(net_), 0u);
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(EditorHooksTest, ChartRegionIsNeverDeletedAndKeepsTwoSpaces)
{
    const ObjectHandle node = QXStr_CreateNode(page_, F(60), F(60), F(40), F(30), 1);
    const ObjectHandle region = AuxRegion(node, "x");
    QXWtAttr_SetRegionKind(region, kChartRegionKind);
    QXStr_SetCurObject(region);
    // Outside text editing: refused with its message, the region stays.
    EXPECT_EQ(Key(kDelete), 0u);
    EXPECT_EQ(ShownMessages(), std::vector<int16_t>{11409});
    EXPECT_NE(QXStr_IsObject(region), 0u);
    // While its text is edited, deleting the last character leaves two spaces.
    GE_BeginTextEdit();
    ASSERT_NE(Comm_InTextMode(), 0u);
    EXPECT_EQ(Key(kBackSpace), 1u);
    EXPECT_EQ(TextOf(region), "  ");
}

TEST_F(EditorHooksTest, BackSpaceWhileEditingAnOrdinaryTextPasses)
{
    const ObjectHandle place = Place(50, 50);
    QXStr_SetCurObject(place);
    GE_BeginTextEdit();
    EXPECT_EQ(Key(kBackSpace), 1u);
    EXPECT_NE(QXStr_IsObject(place), 0u);
}

// ---- connectors ----

TEST_F(EditorHooksTest, NewArcBetweenTwoPlacesIsRefused)
{
    const ObjectHandle a = Place(50, 50);
    const ObjectHandle b = Place(150, 50);
    const ObjectHandle t = Transition(100, 150);
    GE_SetCreateKind(kGECreateArc);
    EXPECT_EQ(Connector(a, b), 0u);
    EXPECT_EQ(ShownMessages(), std::vector<int16_t>{11286});
    ShownMessages().clear();
    EXPECT_NE(Connector(a, t), 0u);
    EXPECT_TRUE(ShownMessages().empty());
    // An auxiliary node is no end for an arc.
    const ObjectHandle box = QXStr_CreateNode(page_, F(250), F(50), F(20), F(20), 1);
    EXPECT_EQ(Connector(box, t), 0u);
    EXPECT_EQ(ShownMessages(), std::vector<int16_t>{11285});
    // Outside arc creation the kernel's connectors are not checked.
    GE_SetCreateKind(kGECreateNone);
    EXPECT_NE(Connector(a, b), 0u);
}

TEST_F(EditorHooksTest, ReattachingAnArcEndToAnotherPlaceRebuildsItsRecord)
{
    const ObjectHandle p1 = Place(50, 50);
    const ObjectHandle p2 = Place(50, 150);
    const ObjectHandle t = Transition(150, 100);
    const ObjectHandle arc = Arc(p1, t);
    Inscription(arc, "x+1");
    SEHead* before = Record(arc);
    ASSERT_NE(before, nullptr);
    // The arc runs from the place (start, end 2) to the transition (end 1).
    EXPECT_EQ(Reattach(arc, p2, 2), kStatusOk);
    EXPECT_NE(QXStr_IsObject(arc), 0u);
    ObjectHandle start = 0, end = 0;
    QXRdAttr_GetConnEnds(arc, 0, &start, &end);
    EXPECT_EQ(start, p2);
    SEHead* after = Record(arc);
    ASSERT_NE(after, nullptr);
    auto* record = reinterpret_cast<SEArc*>(after);
    EXPECT_EQ(record->place, reinterpret_cast<SEPlace*>(Record(p2)));
    EXPECT_EQ(Owned(SEGetArcExpr(after)), "x+1");
    EXPECT_EQ(GE_GetCreateKind(), kGECreateNone);
}

// A press on an arc's end handle, through the kernel's hook 50 with the
// handle's record: the kernel moves the end while the event detail is clear;
// once a command has set it, the object at that end is selected instead.
TEST_F(EditorHooksTest, PressOnAnArcEndSelectsItsObjectOnlyWithTheDetailSet)
{
    const ObjectHandle p = Place(50, 50);
    const ObjectHandle t = Transition(150, 50);
    const ObjectHandle arc = Arc(p, t);
    QXStr_SetCurObject(arc);
    auto press = [arc](uint16_t index) {
        const DotRec dot{0, index, FixPoint{}, arc, FixRect{}};
        MemHandle block = 0;
        EXPECT_EQ(Mem_AllocCopy(&block, &dot, sizeof dot), kStatusOk);
        const uintptr_t answer = Hook_Fire(50, block);
        Mem_Free(block);
        return answer;
    };
    HandleCancelEvent();
    EXPECT_EQ(press(1), 1u) << "the end is not left to the kernel";
    EXPECT_EQ(QXStr_GetCurObject(), arc);

    constexpr uint32_t kUnboundRequest = 9998;
    HandleCommandEvent(kUnboundRequest);
    EXPECT_EQ(press(1), 0u);
    EXPECT_EQ(QXStr_GetCurObject(), t);
    QXStr_SetCurObject(arc);
    EXPECT_EQ(press(0), 0u);
    EXPECT_EQ(QXStr_GetCurObject(), p);
}

TEST_F(EditorHooksTest, ReattachingAPlaceEndOntoATransitionIsRefused)
{
    const ObjectHandle p1 = Place(50, 50);
    const ObjectHandle t1 = Transition(150, 100);
    const ObjectHandle t2 = Transition(150, 200);
    const ObjectHandle arc = Arc(p1, t1);
    SEHead* before = Record(arc);
    EXPECT_EQ(Reattach(arc, t2, 2), kStatusRefusedByHook);
    ObjectHandle start = 0, end = 0;
    QXRdAttr_GetConnEnds(arc, 0, &start, &end);
    EXPECT_EQ(start, p1);
    EXPECT_EQ(Record(arc), before);
}

// ---- texts ----

TEST_F(EditorHooksTest, EndOfAChangedTextEditStoresTheArcInscription)
{
    const ObjectHandle p = Place(50, 50);
    const ObjectHandle t = Transition(150, 50);
    const ObjectHandle arc = Arc(p, t);
    const ObjectHandle region = Inscription(arc, "n");
    ASSERT_EQ(Owned(SEGetArcExpr(Record(arc))), "n");
    QXText_SetText(region, "n+1");
    // An edit that changed nothing leaves the net alone.
    EXPECT_EQ(Hook_Fire(76, region, 0), 1u);
    EXPECT_EQ(Owned(SEGetArcExpr(Record(arc))), "n");
    EXPECT_EQ(Hook_Fire(76, region, 1), 1u);
    EXPECT_EQ(Owned(SEGetArcExpr(Record(arc))), "n+1");
}

// ---- regions ----

TEST_F(EditorHooksTest, ClickWhileTypingARegionMakesTheNextOneOnTheObjectClicked)
{
    const ObjectHandle t = Transition(100, 100);
    GE_SetCreateKind(kGECreateRegion);
    GE_SetPendingRegion(0, kRegionGuard);
    // A change of page while the region is typed waits for the click.
    EXPECT_EQ(Hook_Fire(kHookCurrentPageChanged, page_), 1u);
    EXPECT_EQ(Hook_GetApplicationHandler(23), EE_NextRegionClick);
    Fixed x = 0, y = 0;
    QXRdAttr_GetPosition(t, &x, &y);
    Pointer pointer{x, y};
    uint32_t modifiers[4] = {};
    EXPECT_EQ(Hook_Fire(23, reinterpret_cast<uintptr_t>(&pointer), reinterpret_cast<uintptr_t>(modifiers)), 1u);
    ObjectHandle parent = 0;
    EXPECT_EQ(GE_GetPendingRegion(&parent), static_cast<uint32_t>(kRegionGuard));
    EXPECT_EQ(parent, t);
    EXPECT_EQ(GE_GetCreateKind(), kGECreateRegion);
}

// A region kind whose default shape is a box is drawn with the box tool: the
// object-created hook makes the box the pending region of its owner.
TEST_F(EditorHooksTest, BoxDrawnForACodeRegionBecomesTheTransitionsCode)
{
    const ObjectHandle t = Transition(100, 100);
    GE_SetCreateKind(kGECreateRegion);
    GE_SetPendingRegion(t, kRegionCode);
    const ObjectHandle box = QXStr_CreateNode(page_, F(160), F(100), F(60), F(30), 1);
    QXStr_SetCurObject(box);
    constexpr uintptr_t kBoxCommand = 402;
    EXPECT_EQ(EE_ObjectCreatedHook(kBoxCommand, 0, 0, 0, 0, 0), 1u);
    ObjectHandle code = 0;
    ASSERT_EQ(GE_GetRegion(t, kRegionCode, &code), 1);
    EXPECT_EQ(code, box);
    EXPECT_EQ(TextOf(box), "input ();\noutput ();\naction\n");
    EXPECT_NE(Comm_InTextMode(), 0u) << "the code is not being typed";
    EXPECT_EQ(Hook_GetApplicationHandler(23), EE_NextRegionClick);
    EXPECT_EQ(EE_GetPendingError(), 0) << "the hook reported an unexpected command";
}

TEST_F(EditorHooksTest, ClickOutsideRegionTypingIsLeftToTheKernel)
{
    Pointer pointer{F(10), F(10)};
    uint32_t modifiers[4] = {};
    EXPECT_EQ(EE_NextRegionClick(reinterpret_cast<uintptr_t>(&pointer), reinterpret_cast<uintptr_t>(modifiers), 0, 0,
                                 0, 0),
              0u);
}

TEST_F(EditorHooksTest, OpeningACodeKeyShowsAndHidesTheCode)
{
    const ObjectHandle t = Transition(100, 100);
    const ObjectHandle code = GE_MakeRegion(t, kRegionCode);
    ASSERT_NE(code, 0u);
    const ObjectHandle key = QXStr_GetObjectPage(code);
    ASSERT_NE(key, t);
    auto shown = [&] {
        uint32_t hidden = 0, visible = 0;
        QXRdAttr_GetFlag(code, 0x400002, &hidden);
        QXRdAttr_GetFlag(code, 4, &visible);
        return hidden != 0 && visible != 0;
    };
    const bool before = shown();
    EXPECT_EQ(Hook_Fire(14, key), 0u);
    EXPECT_NE(shown(), before);
    EXPECT_EQ(Hook_Fire(14, key), 0u);
    EXPECT_EQ(shown(), before);
    // An auxiliary node is left to the kernel.
    const ObjectHandle box = QXStr_CreateNode(page_, F(250), F(50), F(20), F(20), 1);
    EXPECT_EQ(Hook_Fire(14, box), 1u);
}

// ---- checks, deletion and status ----

TEST_F(EditorHooksTest, BaseObjectCheckNotesNetObjects)
{
    const ObjectHandle place = Place(50, 50);
    const ObjectHandle box = QXStr_CreateNode(page_, F(150), F(50), F(20), F(20), 1);
    EXPECT_EQ(Hook_Fire(28, place), 1u);
    EXPECT_EQ(GE_TestStateFlags(kGESelectionHasNet), 1);
    EXPECT_EQ(Hook_Fire(28, box), 1u);
    EXPECT_EQ(GE_TestStateFlags(kGESelectionHasNet), 0);
}

TEST_F(EditorHooksTest, StatusTextDescribesTheSelection)
{
    const ObjectHandle place = Place(50, 50);
    QXStr_SetCurObject(place);
    char buffer[256] = {};
    EXPECT_EQ(Hook_Fire(kHookStatusText, reinterpret_cast<uintptr_t>(buffer)), 1u);
    EXPECT_NE(std::string(buffer).find("Place"), std::string::npos) << buffer;
}

TEST_F(EditorHooksTest, EmptyNameLabelDroppedByTheKernelTakesTheNameFromTheNet)
{
    const ObjectHandle place = Place(50, 50);
    const ObjectHandle name = AuxRegion(place, "P1");
    QXWtAttr_SetRegionKind(name, kRegionName);
    EE_UpdateNetFromObject(place);
    ASSERT_EQ(Owned(SEGetName(Record(place))), "P1");
    QXText_SetText(name, "");
    EXPECT_EQ(Hook_Fire(41, name), 1u);
    EXPECT_EQ(GE_RegionKindOf(name), 0);
    EXPECT_NE(Owned(SEGetName(Record(place))), "P1");
}

TEST_F(EditorHooksTest, PageRenumberedByTheKernelRenamesAndRenumbersItsRecord)
{
    EXPECT_EQ(QXWtAttr_SetPageAttr(page_, "Producer", 2, 0, 0, 0), 1u);
    EXPECT_EQ(Core_RenumberPage(page_, 3), kStatusOk);
    EXPECT_EQ(Owned(SEGetName(&net_->head)), "Producer");
    EXPECT_EQ(SEGetPageNumber(net_), 3u);
    EXPECT_EQ(Hook_IsRegistered(kHookPageChanged), 1u);
}

}  // namespace
