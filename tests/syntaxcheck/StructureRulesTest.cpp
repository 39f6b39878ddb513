// The structure rules: transition fusion, colour sets in place fusion sets,
// substitution places and invocation transitions, sockets against ports, and
// injective port assignment.
#include <gmock/gmock.h>

#include "CheckFixture.h"
#include "atolq/AEditor/SEInternal.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class StructureRules : public CheckTest {};

TEST_F(StructureRules, PageTransitionFusionIsReportedEvenWithoutSimulatorChecks)
{
    SEPage* p = page("P");
    SECreateTransFusSet(kSEFusPage, p);
    SEPlaceFusSet* places = SECreatePlaceFusSet(kSEFusPage, p);
    SEPlace* a = place(p, "a");
    SEAddFusMem(&places->head, &a->head);
    EXPECT_EQ(CTSCheckPageFusion(p), 1);
    EXPECT_THAT(on(&p->head), ElementsAre("S.1 Fusioned Transition"));
    EXPECT_EQ(places->flags & kSEInscriptionMark, 0u); // its place fusion sets are skipped
}

TEST_F(StructureRules, ColourSetsOfFusionMembersMustAgree)
{
    SEPage* p = page("P");
    SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusPage, p);
    SEPlace* a = place(p, "a");
    SEPlace* b = place(p, "b");
    SESetColourSet(&a->head, se::copyText("INT"));
    SESetColourSet(&b->head, se::copyText("BOOL"));
    SEAddFusMem(&set->head, &a->head);
    SEAddFusMem(&set->head, &b->head);
    EXPECT_EQ(CTSCheckFusionSet(set, 0), 1);
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_EQ(reports()[0].message, "C.16 Color set in fusion set");
    EXPECT_EQ(set->flags & kSEInscriptionMark, 0u);

    reports().clear();
    SESetColourSet(&b->head, se::copyText("INT"));
    EXPECT_EQ(CTSCheckFusionSet(set, 0), 0);
    EXPECT_THAT(reports(), IsEmpty());
    EXPECT_NE(set->flags & kSEInscriptionMark, 0u);
}

TEST_F(StructureRules, DifferingInitialMarkingsInAFusionSet)
{
    SEPage* p = page("P");
    SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusPage, p);
    SEPlace* a = place(p, "a");
    SEPlace* b = place(p, "b");
    SESetInitMark(&a->head, se::copyText("1`1"));
    SESetInitMark(&b->head, se::copyText("1`2"));
    SEAddFusMem(&set->head, &a->head);
    SEAddFusMem(&set->head, &b->head);
    set->flags |= kSEInscriptionMark;
    EXPECT_EQ(CTSCheckFusionSet(set, 1), 1);
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_EQ(reports()[0].message, "C.17 Initial marking in fusion set");
    EXPECT_EQ(set->flags & kSEMarkingMark, 0u);
}

// A page with a substitution transition whose subpage has ports.
class Hierarchy : public CheckTest {
protected:
    void SetUp() override
    {
        CheckTest::SetUp();
        top = page("Top");
        sub = page("Sub");
        t = trans(top, "t");
        ASSERT_NE(SEMakeCompound(&t->head, kSESubstitution), nullptr);
        ASSERT_EQ(SEMakeSubpage(&t->head, sub), 1);
        compound = SEGetCompound(&t->head);
        compound->modeFlags |= 0x21u;
        socket = place(top, "s");
        SESetColourSet(&socket->head, se::copyText("INT"));
        socket->flags |= kSEInscriptionMark;
        socketArc = arc(t, socket, kSEPlaceToTrans, "x");
    }
    SEPlace* port(uint16_t type, const char* colourSet = "INT")
    {
        SEPlace* pl = place(sub, "p");
        SEMakePort(&pl->head, type);
        SESetColourSet(&pl->head, se::copyText(colourSet));
        pl->flags |= kSEInscriptionMark;
        return pl;
    }
    SEPage *top = nullptr, *sub = nullptr;
    SETrans* t = nullptr;
    SECompound* compound = nullptr;
    SEPlace* socket = nullptr;
    SEArc* socketArc = nullptr;
};

TEST_F(Hierarchy, UnassignedSocket)
{
    port(kSEPortInput);
    EXPECT_EQ(CTSCheckCompound(compound), 1);
    EXPECT_THAT(on(&socket->head), ElementsAre("C.18 Socket must be assigned"));
    EXPECT_EQ(compound->flags & kSEInscriptionMark, 0u);
    EXPECT_EQ(CTSCurrentContext().arcError, 0);
}

struct PortCase {
    uint16_t portType;
    const char* colourSet;
    const char* message; // null: accepted
};

TEST_F(Hierarchy, PortTypeAndColourSetAgainstTheSocket)
{
    const PortCase cases[] = {
        {kSEPortInput, "INT", nullptr},
        {kSEPortGeneral, "INT", nullptr},
        {kSEPortOutput, "INT", "C.19 Port type must match socket"},
        {kSEPortInput, "BOOL", "C.15 Color set in port assignment"},
    };
    for (const PortCase& c : cases) {
        reports().clear();
        compound->flags &= ~kSEInscriptionMark;
        SEPlace* p = port(c.portType, c.colourSet);
        ASSERT_EQ(SEAssignPort(&t->head, &socket->head, &p->head), 1);
        int failed = CTSCheckCompound(compound);
        if (c.message == nullptr) {
            EXPECT_EQ(failed, 0) << c.portType << c.colourSet;
            EXPECT_THAT(reports(), IsEmpty());
            EXPECT_NE(compound->flags & kSEInscriptionMark, 0u);
        } else {
            EXPECT_THAT(on(&socketArc->head), ElementsAre(c.message));
            EXPECT_EQ(compound->flags & kSEInscriptionMark, 0u);
        }
        SEDelPlace(p);
    }
}

TEST_F(Hierarchy, UncheckedSocketWaitsWithoutAMessage)
{
    SEPlace* p = port(kSEPortInput);
    SEAssignPort(&t->head, &socket->head, &p->head);
    socket->flags &= ~kSEInscriptionMark;
    EXPECT_EQ(CTSCheckCompound(compound), 1);
    EXPECT_THAT(reports(), IsEmpty());
    EXPECT_EQ(compound->flags & kSEInscriptionMark, 0u);
}

TEST_F(Hierarchy, SubstitutionPlaceAndInvocationOnlyWithSimulatorChecks)
{
    SEPlace* sp = place(top, "sp");
    SEMakeCompound(&sp->head, kSESubstitution);
    CTSCheckCompound(SEGetCompound(&sp->head));
    EXPECT_THAT(reports(), IsEmpty());
    CTSCurrentContext().simulatorChecks = 1;
    CTSCheckCompound(SEGetCompound(&sp->head));
    EXPECT_THAT(on(&sp->head), ElementsAre("S.2 Substitution Place"));
    SEChng_Comptype(&t->head, kSEInvocation);
    reports().clear();
    CTSCheckCompound(compound);
    EXPECT_THAT(on(&t->head), ElementsAre("S.3 Invocation Transition"));
}

TEST_F(Hierarchy, PortAssignedToTwoSocketsStopsTheCheck)
{
    SEPlace* second = place(top, "s2");
    arc(t, second, kSEPlaceToTrans, "y");
    SEPlace* p = port(kSEPortInput);
    compound->assignments = LMAppend(compound->assignments ? compound->assignments : LMCreate(kLMPairList),
                                     &socket->head, &p->head);
    LMAppend(compound->assignments, &second->head, &p->head);
    EXPECT_EQ(CTSCheckPortsInjective(compound), 0); // simulator checks off
    CTSCurrentContext().simulatorChecks = 1;
    EXPECT_EQ(CTSCheckPortsInjective(compound), 1);
    EXPECT_THAT(on(&socketArc->head), ElementsAre("S.4 Port Assignment must be injective for SUB transitions"));
    EXPECT_EQ(CTSCurrentContext().continueFlag, 0);
}
