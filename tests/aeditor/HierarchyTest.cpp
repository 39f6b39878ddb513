// Hierarchy and fusion: the substitution cycle rule, port kinds, port
// assignment by hand, fusion membership and names.
#include "NetFixture.h"

namespace {

using se::count;

class HierarchyTest : public NetTest {
protected:
    // top --T1--> middle --T2--> (nothing yet)
    void SetUp() override
    {
        NetTest::SetUp();
        top = page();
        middle = page();
        t1 = trans(top);
        t2 = trans(middle);
        SEMakeCompound(&t1->head, kSESubstitution);
        ASSERT_EQ(SEMakeSubpage(&t1->head, middle), 1);
    }
    SEPage* top = nullptr;
    SEPage* middle = nullptr;
    SETrans* t1 = nullptr;
    SETrans* t2 = nullptr;
};

TEST_F(HierarchyTest, SubstitutionBelowThePageIsACycle)
{
    SEMakeCompound(&t2->head, kSESubstitution);
    EXPECT_EQ(SEMakeSubpage(&t2->head, top), 0);
    EXPECT_EQ(takeError(), kSEMsgCycle);
    EXPECT_EQ(SECheckCycle(&t2->head, top), 0);
    EXPECT_EQ(count(top->superSubstitutions), 0);
    EXPECT_EQ(t2->compound->subpage, nullptr);
    // Its own page is a cycle too.
    EXPECT_EQ(SEMakeSubpage(&t2->head, middle), 0);
}

TEST_F(HierarchyTest, InvocationMayRecurse)
{
    SEMakeCompound(&t2->head, kSEInvocation);
    EXPECT_EQ(SEMakeSubpage(&t2->head, top), 1);
    EXPECT_EQ(takeError(), 0);
    EXPECT_EQ(values(top->superInvocations), std::vector<void*>{t2->compound});
    EXPECT_EQ(SEIsAncestorNode(middle, &t1->head), 1);
    // Turning it into a substitution would close the cycle: refused silently.
    EXPECT_EQ(SEChng_Comptype(&t2->head, kSESubstitution), 0);
    EXPECT_EQ(t2->head.subKind, kSEInvocation);
}

TEST_F(HierarchyTest, CompoundRefusals)
{
    SEPlace* pl = place(top);
    SEPlace* port = place(middle);
    SEMakePort(&port->head, kSEPortInput);
    SECreateArc(t1, pl, 1, kSEPlaceToTrans);
    struct Case {
        SEHead* node;
        uint16_t type;
        int16_t message;
    } cases[] = {
        {&port->head, kSESubstitution, kSEMsgPortNotCompound},
        {&pl->head, kSEInvocation, kSEMsgNoInvocationPlace},
        {&pl->head, kSESubstitution, kSEMsgSocketPlace},
        {nullptr, kSESubstitution, kSEMsgInvalidId},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SEMakeCompound(c.node, c.type), nullptr);
        EXPECT_EQ(takeError(), c.message);
    }
    EXPECT_EQ(pl->head.subKind, kSEPlain);
}

TEST_F(HierarchyTest, SubpageKeepsItsPortKindWithoutPorts)
{
    SEPlace* port = place(middle);
    ASSERT_EQ(SEMakePort(&port->head, kSEPortOutput), 1);
    EXPECT_EQ(middle->head.subKind, kSEPortsPlaces);
    SEUnmakePort(&port->head);
    EXPECT_EQ(middle->head.subKind, kSEPortsPlaces);
    // A transition port does not fit a page of place ports.
    EXPECT_EQ(SEMakePort(&t2->head, kSEPortInput), 0);
    EXPECT_EQ(takeError(), kSEMsgPageTypeMismatch);
    // A page that is no subpage goes back to no ports.
    SEPage* lone = page();
    SEPlace* p2 = place(lone);
    SEMakePort(&p2->head, kSEPortInput);
    SEUnmakePort(&p2->head);
    EXPECT_EQ(lone->head.subKind, kSEPortsNone);
}

TEST_F(HierarchyTest, AssignmentsReplaceBySocket)
{
    SEPlace* s1 = place(top);
    SEPlace* s2 = place(top);
    SEPlace* p1 = place(middle);
    SEPlace* p2 = place(middle);
    SECreateArc(t1, s1, 1, kSEPlaceToTrans);
    SECreateArc(t1, s2, 2, kSEPlaceToTrans);
    SEMakePort(&p1->head, kSEPortInput);
    SEMakePort(&p2->head, kSEPortInput);
    EXPECT_EQ(SEAssignPort(&t1->head, &s1->head, &p1->head), 1);
    EXPECT_EQ(SEAssignPort(&t1->head, &s1->head, &p2->head), 1);
    EXPECT_EQ(SEAssignPort(&t1->head, &s2->head, &p2->head), 1);
    EXPECT_EQ(count(t1->compound->assignments), 2);
    EXPECT_EQ(SEGetAssignment(&t1->head, &s1->head), &p2->head);
    EXPECT_EQ(SEGetAssignment(&t1->head, &s2->head), &p2->head);

    SEPlace* stranger = place(top);
    EXPECT_EQ(SEAssignPort(&t1->head, &stranger->head, &p1->head), 0);
    EXPECT_EQ(takeError(), kSEMsgNotSocket);
    EXPECT_EQ(SEAssignPort(&t1->head, &s1->head, &t2->head), 0);
    EXPECT_EQ(takeError(), kSEMsgAssignKinds);
    // Unmaking the port drops its pairs.
    SEUnmakePort(&p2->head);
    EXPECT_EQ(count(t1->compound->assignments), 0);
}

TEST_F(HierarchyTest, FusionMembership)
{
    SEPlace* a = place(top);
    SEPlace* b = place(top);
    SEPlace* elsewhere = place(middle);
    SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusPage, top);
    EXPECT_EQ(SEAddFusMem(&set->head, &a->head), 1);
    EXPECT_EQ(SEAddFusMem(&set->head, &b->head), 1);
    EXPECT_TRUE(a->flags & kSEFusionMember);
    EXPECT_EQ(values(set->members), (std::vector<void*>{b, a}));

    struct Case {
        SEHead* node;
        int16_t message;
    } refusals[] = {{&elsewhere->head, kSEMsgFusionPage}, {&t1->head, kSEMsgPlaceSetTrans}};
    for (const Case& c : refusals) {
        EXPECT_EQ(SEAddFusMem(&set->head, c.node), 0);
        EXPECT_EQ(takeError(), c.message);
    }
    SETransFusSet* global = SECreateTransFusSet(kSEFusGlobal, nullptr);
    EXPECT_EQ(SEAddFusMem(&global->head, &a->head), 0);
    EXPECT_EQ(takeError(), kSEMsgTransSetPlace);
    SEPlace* port = place(middle);
    SEMakePort(&port->head, kSEPortInput);
    EXPECT_EQ(SEAddFusMem(&global->head, &port->head), 0);
    EXPECT_EQ(takeError(), kSEMsgPortFusionMember);

    SEDelFusMem(&a->head);
    EXPECT_EQ(count(top->placeFusionSets), 1);
    SEDelFusMem(&b->head); // the last member takes the set with it
    EXPECT_EQ(count(top->placeFusionSets), 0);
    EXPECT_EQ(b->fusionSet, nullptr);
}

TEST_F(HierarchyTest, FusionNamesAndTypeChanges)
{
    SEPlaceFusSet* global = SECreatePlaceFusSet(kSEFusGlobal, nullptr);
    SEPutName(&global->head, text("g"));
    SEPlaceFusSet* local = SECreatePlaceFusSet(kSEFusPage, top);
    EXPECT_EQ(SESetName(&local->head, text("g")), 0);
    EXPECT_EQ(takeError(), 0);
    EXPECT_EQ(local->name, nullptr);
    EXPECT_EQ(SESetName(&local->head, text("x")), 1);
    EXPECT_EQ(SECheckFusName(kSEPlaceFusSet, kSEFusGlobal, "x", nullptr), 0);
    EXPECT_EQ(SECheckFusName(kSEPlaceFusSet, 4, "x", top), 0);
    EXPECT_EQ(takeError(), kSEMsgWrongKind);

    // A global set split into page sets: each member joins the set of its page.
    SEPlace* a = place(top);
    SEPlace* b = place(middle);
    SEAddFusMem(&global->head, &a->head);
    SEAddFusMem(&global->head, &b->head);
    EXPECT_EQ(SEChangeFusType(&global->head, kSEFusPage, nullptr), 1);
    EXPECT_EQ(count(root()->globalPlaceFusionSets), 0);
    ASSERT_NE(a->fusionSet, nullptr);
    EXPECT_STREQ(a->fusionSet->name, "g");
    EXPECT_EQ(a->fusionSet->head.owner, &top->head);
    EXPECT_STREQ(b->fusionSet->name, "g");
    EXPECT_EQ(b->fusionSet->head.owner, &middle->head);

    // And back to global.
    EXPECT_EQ(SEChangeFusType(&a->fusionSet->head, kSEFusGlobal, nullptr), 0); // "g" is on another page
    SEPlaceFusSet* x = local;
    SEAddFusMem(&x->head, &place(top)->head);
    EXPECT_EQ(SEChangeFusType(&x->head, kSEFusGlobal, nullptr), 1);
    EXPECT_EQ(x->head.owner, &root()->head);
    EXPECT_EQ(records(root()->globalPlaceFusionSets).front(), &x->head);
}

TEST_F(HierarchyTest, NamesClearTheirMarks)
{
    SEPlace* pl = place(top);
    EXPECT_EQ(SESetName(&pl->head, text("p")), 1);
    EXPECT_EQ(pl->flags & kSEPlaceNameMarks, 0u);
    EXPECT_EQ(top->flags & kSEPagePlaceNames, 0u);
    EXPECT_EQ(SESetNodeFlag(&t1->head), 0);
    EXPECT_EQ(takeError(), kSEMsgWrongKind);
    EXPECT_EQ(SESetNodeFlag(&pl->head), 1);
    EXPECT_EQ(SETestNodeFlag(&pl->head), 1);
}

} // namespace
