// Inscription rules decided by the real evaluator: the colour table, the
// local declarations of pages and the initial markings of places and
// fusion sets.
#include <string>

#include "EvaluatorFixture.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/Utils/HashTable.h"

namespace {

class InscriptionRulesTest : public EvaluatorCheckTest {
protected:
    void SetUp() override
    {
        EvaluatorCheckTest::SetUp();
        declare("colset INT = int; colset TINT = int timed; colset S = string;");
    }
    static const SETableEntry* entry(const char* name)
    {
        return static_cast<const SETableEntry*>(HashLookup(SECurrentRoot()->declHashTable, name));
    }
};

TEST_F(InscriptionRulesTest, ColourTableHoldsEveryColourSetWithItsTimedFlag)
{
    ASSERT_NE(entry("INT"), nullptr);
    ASSERT_NE(entry("TINT"), nullptr);
    ASSERT_NE(entry("S"), nullptr);
    EXPECT_EQ(entry("INT")->flag, 0u);
    EXPECT_NE(entry("TINT")->flag, 0u);
    EXPECT_STRNE(entry("INT")->second, "");
    EXPECT_EQ(entry("NOSUCH"), nullptr);
}

struct MarkingCase {
    const char* colourSet;
    const char* marking;
    bool passes;
};
class PlaceMarking : public InscriptionRulesTest, public ::testing::WithParamInterface<MarkingCase> {};

TEST_P(PlaceMarking, LegalMarkingsDefineTheirFunctionAndOthersReportC8WithTheReply)
{
    SEPlace* p = typedPlace(page(), GetParam().colourSet, GetParam().marking);
    ASSERT_EQ(CTSCheckPlaceColourSet(p), 0);
    EXPECT_EQ(CTSCheckPlaceMarking(p), GetParam().passes ? 0 : 1);
    EXPECT_EQ((p->flags & 0x100u) != 0, GetParam().passes);
    ASSERT_NE(p->text2, nullptr) << "the place was given its ML name";
    if (GetParam().passes) {
        EXPECT_TRUE(reports().empty());
        EXPECT_EQ(CTSCurrentContext().progress.counters[1], 1);
        if (GetParam().marking != nullptr) {
            EXPECT_EQ(evaluate(std::string("val _ = TOLQ'IM") + p->text2 + " ();\n"), 0);
        }
    } else {
        ASSERT_EQ(on(&p->head), std::vector<std::string>{"C.8 Initial marking must be legal"});
        EXPECT_TRUE(reports().front().withDetails);
    }
}

INSTANTIATE_TEST_SUITE_P(Markings, PlaceMarking,
                         ::testing::Values(MarkingCase{"INT", "1`3++2`4", true}, MarkingCase{"INT", "3", true},
                                           MarkingCase{"INT", nullptr, true}, MarkingCase{"TINT", "1`3@+5", true},
                                           MarkingCase{"S", "1`\"a\"", true}, MarkingCase{"INT", "1`\"a\"", false},
                                           MarkingCase{"INT", "1`", false}));

TEST_F(InscriptionRulesTest, MarkingWaitsForTheColourSetAndIsNotCheckedTwice)
{
    SEPlace* p = typedPlace(page(), "INT", "1`1");
    EXPECT_EQ(CTSCheckPlaceMarking(p), 0);
    EXPECT_EQ(p->flags & 0x100u, 0u) << "the colour set has not passed yet";
    ASSERT_EQ(CTSCheckPlaceColourSet(p), 0);
    ASSERT_EQ(CTSCheckPlaceMarking(p), 0);
    se::freeText(p->initMark);
    p->initMark = se::copyText("1`\"bad\"");
    EXPECT_EQ(CTSCheckPlaceMarking(p), 0) << "a marked place is not asked again";
    EXPECT_TRUE(reports().empty());
}

TEST_F(InscriptionRulesTest, FusionSetMarkingIsDefinedUnderTheNameTheCodeGeneratorReads)
{
    SEPage* pg = page();
    SEPlace* a = typedPlace(pg, "INT", "1`7");
    SEPlace* b = typedPlace(pg, "INT");
    SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusPage, pg);
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(SEAddFusMem(&set->head, &a->head), 1);
    ASSERT_EQ(SEAddFusMem(&set->head, &b->head), 1);
    ASSERT_EQ(CTSCheckFusionSet(set, 0), 0);
    ASSERT_EQ(CTSCheckFusionSet(set, 1), 0);
    ASSERT_NE(set->text, nullptr);
    EXPECT_NE(set->flags & 0x100u, 0u);
    std::string reply;
    EXPECT_EQ(evaluate(std::string("TOLQ'IM") + set->text + " ();\n", &reply), 0) << reply;
}

struct LocalCase {
    int nodes;
    const char* text;
    bool passes;
    const char* message;
};
class LocalDecls : public InscriptionRulesTest, public ::testing::WithParamInterface<LocalCase> {};

TEST_P(LocalDecls, PageIsMarkedOnceItsLocalDeclarationsParse)
{
    SEPage* pg = page();
    std::vector<SEDeclNode*> nodes;
    for (int i = 0; i < GetParam().nodes; ++i) {
        nodes.push_back(declNode(kSEDeclLocal, GetParam().text, pg));
    }
    EXPECT_EQ(CTSCheckLocalDecls(pg), GetParam().passes ? 0 : 1);
    EXPECT_EQ((pg->flags & 0x1000u) != 0, GetParam().passes);
    if (GetParam().passes) {
        ASSERT_NE(pg->text, nullptr);
        EXPECT_EQ(CTSCurrentContext().progress.counters[0], 1);
        EXPECT_EQ(evaluate(std::string("usestring[(TOLQ'EST") + pg->text + ")];\n"), 0);
        EXPECT_TRUE(reports().empty());
    } else if (GetParam().message != nullptr) {
        ASSERT_EQ(reports().size(), 1u);
        EXPECT_EQ(reports().front().message, GetParam().message);
    } else {
        EXPECT_TRUE(reports().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Nodes, LocalDecls,
    ::testing::Values(LocalCase{0, "", true, nullptr}, LocalCase{1, "pageref cnt = 0;", true, nullptr},
                      LocalCase{1, "pageref = ;", false, "C.5 Error in local declaration node"},
                      LocalCase{2, "pageref cnt = 0;", false, "C.3 Too many local declaration nodes"}));

TEST_F(InscriptionRulesTest, ParsedLocalDeclarationsUncheckTransitionsWithCode)
{
    SEPage* pg = page();
    SETrans* withCode = trans(pg, "a");
    SETrans* plain = trans(pg, "b");
    withCode->code = se::copyText("input (); output (); action ();");
    SEArc* a = arc(withCode, typedPlace(pg, "INT"), kSEPlaceToTrans, "1`1");
    a->text = se::copyText("42");
    withCode->flags |= 0x1000u;
    plain->flags |= 0x1000u;
    ASSERT_EQ(CTSCheckLocalDecls(pg), 0);
    EXPECT_EQ(withCode->flags & 0x1000u, 0u);
    EXPECT_NE(plain->flags & 0x1000u, 0u);
    EXPECT_EQ(a->text, nullptr) << "the arc is named afresh";
}

} // namespace
