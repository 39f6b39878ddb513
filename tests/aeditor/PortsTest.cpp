// Sockets, port nodes, automatic port assignment and page moves.
#include "NetFixture.h"

namespace {

using se::count;

class PortsTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        top = page();
        sub = page();
        st = trans(top);
        SEMakeCompound(&st->head, kSESubstitution);
        SEMakeSubpage(&st->head, sub);
    }
    SEPlace* port(const char* name, uint16_t type)
    {
        SEPlace* p = place(sub, name);
        SEMakePort(&p->head, type);
        return p;
    }
    SEPlace* socket(const char* name, uint16_t direction)
    {
        SEPlace* s = place(top, name);
        if (direction & 1)
            SECreateArc(st, s, nextObject++, kSEPlaceToTrans);
        if (direction & 2)
            SECreateArc(st, s, nextObject++, kSETransToPlace);
        return s;
    }
    SEPage* top = nullptr;
    SEPage* sub = nullptr;
    SETrans* st = nullptr;
};

TEST_F(PortsTest, SocketsAreListedOnce)
{
    SEPlace* both = socket("b", 3);
    LMList* sockets = SEGetSockets(&st->head);
    EXPECT_EQ(values(sockets), std::vector<void*>{both});
    se::destroyList(sockets);
    EXPECT_EQ(SEGetSockets(&both->head), nullptr);
    EXPECT_EQ(takeError(), kSEMsgNotSubstitution);
    EXPECT_EQ(SEGetAssignment(&both->head, &st->head), nullptr);
}

TEST_F(PortsTest, AutoAssignByTypeThenByName)
{
    SEPlace* a = port("a", kSEPortInput);
    SEPlace* b = port("b", kSEPortInput);
    SEPlace* out = port("o", kSEPortOutput);
    SEPlace* sb = socket("b", 1);
    SEPlace* sc = socket("c", 1);
    SEPlace* so = socket("z", 2);
    SEPlace* io = socket("io", 3);
    EXPECT_EQ(SEAutoAssign(&st->head, &sub->head), 1);
    EXPECT_EQ(SEGetAssignment(&st->head, &sb->head), &b->head);
    EXPECT_EQ(SEGetAssignment(&st->head, &sc->head), nullptr);
    EXPECT_EQ(SEGetAssignment(&st->head, &so->head), &out->head); // the only output port
    EXPECT_EQ(SEGetAssignment(&st->head, &io->head), nullptr);    // no in/out port
    (void)a;
    SEPage* other = page();
    EXPECT_EQ(SEAutoAssign(&st->head, &other->head), 0);
    EXPECT_EQ(takeError(), kSEMsgNotSubpageOf);
}

TEST_F(PortsTest, DroppingAssignments)
{
    SEPlace* p = port("p", kSEPortGeneral);
    SEPlace* s = socket("s", 1);
    SEAssignPort(&st->head, &s->head, &p->head);
    st->compound->flags |= 0x1000;
    EXPECT_EQ(SEDropPortAssignments(&st->compound->head, &p->head), 1);
    EXPECT_EQ(st->compound->flags & 0x1000, 0u);
    EXPECT_EQ(SEDropSocketAssignments(&s->head, &s->head), 0); // no compound record
    SEPlace* plain = place(top);
    EXPECT_EQ(SEDropPortAssignments(&plain->head, &p->head), 1);
}

TEST_F(PortsTest, SubstitutionCannotMoveOntoOrBelowItsSubpage)
{
    SEPage* below = page();
    SETrans* inner = trans(sub);
    SEMakeCompound(&inner->head, kSESubstitution);
    SEMakeSubpage(&inner->head, below);
    for (SEPage* target : {sub, below}) {
        EXPECT_EQ(SEMoveToPage(&st->head, &target->head, 0), 0);
        EXPECT_EQ(st->head.owner, &top->head);
        EXPECT_EQ(st->compound->head.owner, &top->head);
    }
    SEPage* beside = page();
    EXPECT_EQ(SEMoveToPage(&st->head, &beside->head, 1), 1);
    EXPECT_EQ(st->head.owner, &beside->head);
    EXPECT_EQ(records(beside->compounds), std::vector<SEHead*>{&st->compound->head});
    EXPECT_EQ(count(top->compounds), 0);
}

TEST_F(PortsTest, MovedPlaceJoinsTheSetOfItsNameOnTheTarget)
{
    SEPlace* pl = place(top);
    SEPlaceFusSet* x = SECreatePlaceFusSet(kSEFusPage, top);
    SESetName(&x->head, text("x"));
    SEAddFusMem(&x->head, &pl->head);
    SEPage* target = page();
    EXPECT_EQ(SEMoveToPage(&pl->head, &target->head, 0), 1);
    EXPECT_EQ(count(top->placeFusionSets), 0); // the old set lost its last member
    ASSERT_EQ(count(target->placeFusionSets), 1);
    ASSERT_NE(pl->fusionSet, nullptr);
    EXPECT_STREQ(pl->fusionSet->name, "x");
    EXPECT_EQ(pl->fusionSet->head.owner, &target->head);
    EXPECT_EQ(records(target->places), std::vector<SEHead*>{&pl->head});
}

TEST_F(PortsTest, MovedPortStaysAPort)
{
    SEPlace* p = port("p", kSEPortOutput);
    SEPage* target = page();
    EXPECT_EQ(SEMoveToPage(&p->head, &target->head, 0), 1);
    EXPECT_EQ(p->head.subKind, kSEPortOutput);
    EXPECT_EQ(target->head.subKind, kSEPortsPlaces);
}

TEST_F(PortsTest, DeclarationNodesMoveOnlyWhenLocal)
{
    SEDeclNode* global = SECreateDeclNode(nullptr, 1, kSEDeclGlobal);
    SEDeclNode* local = SECreateDeclNode(top, 2, 0);
    EXPECT_EQ(SEMoveToPage(&global->head, &sub->head, 0), 1);
    EXPECT_EQ(global->head.owner, &root()->head);
    EXPECT_EQ(SEMoveToPage(&local->head, &sub->head, 0), 1);
    EXPECT_EQ(local->head.owner, &sub->head);
    EXPECT_EQ(count(top->localDecls), 0);
    EXPECT_EQ(SEMoveToPage(&local->head, &local->head, 0), 0);
    EXPECT_EQ(takeError(), kSEMsgInvalidId);
}

} // namespace
