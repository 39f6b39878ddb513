// Getters, iteration queries and text setters with their marks.
#include "NetFixture.h"

#include "ServiceDoubles.h"
#include "xkv/velkor/Velkor.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/Utils/MemPool.h"
#include "atolq/Utils/QXMem.h"

#include <tuple>

namespace {

using AccessTest = NetTest;
using se::count;

TEST_F(AccessTest, SameGuardChangesNothingNewGuardAsksForReswitch)
{
    SETrans* tr = trans(page());
    SESetGuard(&tr->head, text("x > 1"));
    GE_SetMode(2);
    Velkor_RequestMenuUpdate(0);
    tr->flags |= kSEInscriptionMark;
    EXPECT_EQ(SESetGuard(&tr->head, text("x > 1")), 1);
    EXPECT_TRUE(tr->flags & kSEInscriptionMark);
    EXPECT_EQ(serviceLog().reswitchRequests, 0);
    EXPECT_EQ(SESetGuard(&tr->head, text("x > 2")), 1);
    EXPECT_FALSE(tr->flags & kSEInscriptionMark);
    EXPECT_EQ(serviceLog().reswitchRequests, 1);
    EXPECT_EQ(Velkor_MenuUpdateRequested(), 1);
    EXPECT_STREQ(SEGetGuard(&tr->head), "x > 2");
    EXPECT_EQ(SESetGuard(nullptr, text("y")), 0);
    EXPECT_EQ(takeError(), kSEMsgInvalidId);
}

TEST_F(AccessTest, InscriptionsAreStoredTrimmed)
{
    SEPlace* pl = place(page());
    struct Case {
        const char* given;
        const char* stored;
    } cases[] = {{"  INT \n", "INT"}, {" \t", ""}, {"\r\nA B\t", "A B"}};
    for (const Case& c : cases) {
        SESetColourSet(&pl->head, text(c.given));
        EXPECT_STREQ(SEGetColourSet(&pl->head), c.stored);
    }
    SESetInitMark(&pl->head, text(" 1`3 "));
    EXPECT_STREQ(SEGetInitMark(&pl->head), "1`3");
    SESetColourSet(&pl->head, nullptr);
    EXPECT_EQ(SEGetColourSet(&pl->head), nullptr);
}

TEST_F(AccessTest, InitialMarkingInSimulatorMarksTheRoot)
{
    SEPlace* pl = place(page());
    GE_SetMode(2);
    root()->flags = 0;
    SESetInitMark(&pl->head, text("1"));
    EXPECT_TRUE(root()->flags & kSERootMarkingChanged);
    SESetColourSet(&pl->head, text("INT"));
    EXPECT_EQ(serviceLog().reswitchRequests, 1); // the colour set never asks
}

TEST_F(AccessTest, CompoundPeersAreReturnedOnce)
{
    SEPage* p = page();
    SETrans* tr = trans(p);
    SEPlace* cp = place(p);
    SEPlace* plain = place(p);
    SEMakeCompound(&cp->head, kSESubstitution);
    SECreateArc(tr, cp, 1, kSEPlaceToTrans);
    SECreateArc(tr, cp, 2, kSETransToPlace);
    SECreateArc(tr, plain, 3, kSEPlaceToTrans);
    SEIter it{};
    it.input = tr;
    ASSERT_EQ(SEInitNext(3, &it), 1);
    std::vector<uintptr_t> got;
    while (SENextGet(3, &it))
        got.push_back(it.result);
    EXPECT_EQ(got, std::vector<uintptr_t>{cp->kvObject});
}

TEST_F(AccessTest, FusionSetsOfAPageTransitionSetsFirst)
{
    SEPage* p = page();
    SEPlaceFusSet* ps = SECreatePlaceFusSet(kSEFusPage, p);
    SETransFusSet* ts1 = SECreateTransFusSet(kSEFusPage, p);
    SETransFusSet* ts2 = SECreateTransFusSet(kSEFusInstance, p);
    SEIter it{};
    it.input = p;
    it.result = 0;
    ASSERT_EQ(SEInitNext(4, &it), 1);
    std::vector<uintptr_t> got;
    while (SENextGet(4, &it))
        got.push_back(it.extra);
    EXPECT_EQ(got, (std::vector<uintptr_t>{reinterpret_cast<uintptr_t>(ts2), reinterpret_cast<uintptr_t>(ts1),
                                           reinterpret_cast<uintptr_t>(ps)}));
    // Selector 3 stops after the transition sets.
    it = SEIter{};
    it.input = p;
    it.result = 3;
    SEInitNext(4, &it);
    int n = 0;
    while (SENextGet(4, &it))
        ++n;
    EXPECT_EQ(n, 2);
}

TEST_F(AccessTest, LocalDeclarationsOfOnePage)
{
    SEPage* a = page();
    SEPage* b = page();
    SECreateDeclNode(a, 11, 0);
    SECreateDeclNode(b, 12, 0);
    SECreateDeclNode(a, 13, 0);
    SECreateDeclNode(nullptr, 14, kSEDeclGlobal);
    SEIter it{};
    it.input = a;
    ASSERT_EQ(SEInitNext(10, &it), 1);
    std::vector<uintptr_t> got;
    while (SENextGet(10, &it))
        got.push_back(it.result);
    EXPECT_EQ(got, (std::vector<uintptr_t>{13, 11}));
}

TEST_F(AccessTest, QueryErrors)
{
    SEPage* p = page();
    SEIter it{};
    it.input = p;
    EXPECT_EQ(SENextGet(6, &it), 0);
    EXPECT_EQ(takeError(), kSEMsgNextGetKind);
    it.input = nullptr;
    EXPECT_EQ(SEInitNext(1, &it), 0);
    EXPECT_EQ(takeError(), kSEMsgNoInput);
    EXPECT_EQ(SEInitNext(11, &it), 0);
    EXPECT_EQ(takeError(), 0);
}

TEST_F(AccessTest, KindCodesAndCodeSegmentLines)
{
    SETrans* tr = trans(page());
    SEMakeCompound(&tr->head, kSESubstitution);
    EXPECT_EQ(SEGetKindCode(&tr->head), 0x30006u);
    EXPECT_EQ(SEGetCodeSegmentVars(&tr->head), nullptr);
    tr->codeSegment = static_cast<SECodeSegment*>(MemMgrAlloc(se::segmentPool()));
    for (auto [a, b, n] : {std::tuple{"x", "INT", 1}, std::tuple{"y", "BOOL", -2}}) {
        auto* v = static_cast<SECodeVariable*>(QXMem_Alloc(sizeof(SECodeVariable)));
        *v = {text(a), text(b), n};
        se::appendValue(tr->codeSegment->variables, v);
    }
    char* lines = SEGetCodeSegmentVars(&tr->head);
    EXPECT_STREQ(lines, "x,INT,1\ny,BOOL,-2\n");
    QXMem_Free(lines);
}

TEST_F(AccessTest, CarriageReturnsBecomeLineFeeds)
{
    SEPage* p = page(0, "a\rb");
    SEPlace* pl = place(p, "p\r");
    SETrans* tr = trans(p);
    SESetCode(&tr->head, text("x\r\ry"));
    SEFixStrings();
    EXPECT_STREQ(p->name, "a\nb");
    EXPECT_STREQ(pl->name, "p\n");
    EXPECT_STREQ(tr->code, "x\n\ny");
}

} // namespace
