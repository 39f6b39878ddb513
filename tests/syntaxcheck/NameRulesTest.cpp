// The name rules: legal ML identifiers, names present and unique, arcs with
// expressions, each with the option bits that switch it on and the marks that
// spare later runs.
#include <gmock/gmock.h>

#include "CheckFixture.h"
#include "atolq/AEditor/SEInternal.h"

#include <cstring>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct NameCase {
    const char* name;
    int legal;
};

TEST(LegalMLName, Table)
{
    const NameCase cases[] = {
        {"x'1_", 1}, {"'a", 1}, {"Time", 1}, {"abc", 1}, {"1x", 0}, {"_x", 0}, {"a-b", 0},
        {"val", 0}, {"TIME", 0}, {"time", 0}, {"structure", 0}, {"IntInf", 0}, {"", 0}, {"use", 1}, {"a b", 0},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(CTSLegalMLName(c.name), c.legal) << c.name;
    EXPECT_EQ(CTSLegalMLName(nullptr), 0);
    EXPECT_EQ(CTSOGRefusedName("use"), 1);
    EXPECT_EQ(CTSOGRefusedName("out"), 1);
    EXPECT_EQ(CTSOGRefusedName("user"), 0);
}

class NameRules : public CheckTest {};

// Generated ML names come from one counter and are never given twice, also
// past the widths the counter started with.
TEST(NameCounter, NamesAreTheCounterInDecimalAndNeverRepeat)
{
    CTSSetNameCounter(99998);
    uint16_t length = 0;
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        char* name = CTSNewNumberName(&length, 0);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(length, std::strlen(name));
        names.emplace_back(name);
        se::freeText(name);
    }
    EXPECT_THAT(names, ElementsAre("99999", "100000", "100001"));
    EXPECT_EQ(CTSNameCounter(), 100001);
    CTSSetNameCounter(10);
}

TEST_F(NameRules, PlaceNamesPresentLegalAndAcceptableToTheOGTool)
{
    options(kCTSOptAll);
    SEPage* p = page("P");
    SEPlace* unnamed = place(p);
    SEPlace* bad = place(p, "1x");
    SEPlace* use = place(p, "use");
    SEPlace* good = place(p, "ok");
    for (SEPlace* pl : {unnamed, bad, use, good})
        CTSCheckPlaceNames(pl);
    EXPECT_THAT(on(&unnamed->head), ElementsAre("O.1 Place must have a name"));
    EXPECT_THAT(on(&bad->head), ElementsAre("O.3 Place name must be a legal ML identifier"));
    EXPECT_THAT(on(&use->head), ElementsAre("O.11 Name must be legal for OG Analyzer"));
    EXPECT_THAT(on(&good->head), IsEmpty());
    EXPECT_EQ(good->flags & 0x600u, 0x600u);
    EXPECT_EQ(use->flags & 0x600u, 0x200u); // passed O.3 only
}

TEST_F(NameRules, TransitionNamesPresentLegalAndAcceptableToTheOGTool)
{
    options(kCTSOptAll);
    SEPage* p = page("P");
    SETrans* unnamed = trans(p);
    SETrans* bad = trans(p, "val");
    SETrans* out = trans(p, "out");
    SETrans* good = trans(p, "t1");
    for (SETrans* t : {unnamed, bad, out, good})
        CTSCheckTransNames(t);
    EXPECT_THAT(on(&unnamed->head), ElementsAre("O.4 Transition must have a name"));
    EXPECT_THAT(on(&bad->head), ElementsAre("O.6 Transition name must be a legal ML identifier"));
    EXPECT_THAT(on(&out->head), ElementsAre("O.11 Name must be legal for OG Analyzer"));
    EXPECT_THAT(on(&good->head), IsEmpty());
    EXPECT_EQ(good->flags & 0xcu, 0xcu);
}

TEST_F(NameRules, OptionBitsSelectTheRules)
{
    SEPage* p = page("P");
    SEPlace* unnamed = place(p);
    SEPlace* bad = place(p, "1x");
    options(0);
    CTSCheckPlaceNames(unnamed);
    CTSCheckPlaceNames(bad);
    EXPECT_THAT(reports(), IsEmpty());
    options(kCTSOptO1); // O.1 alone: the legality rule stays off
    CTSCheckPlaceNames(unnamed);
    CTSCheckPlaceNames(bad);
    EXPECT_THAT(on(&unnamed->head), ElementsAre("O.1 Place must have a name"));
    EXPECT_THAT(on(&bad->head), IsEmpty());
}

TEST_F(NameRules, DuplicatePlaceNamesReportTheLaterOneUnlessFused)
{
    options(kCTSOptO2);
    SEPage* p = page("P");
    SEPlace* a = place(p, "a");
    SEPlace* b = place(p, "a");
    CTSCheckPageNames(p);
    // Exactly one of the two is reported: the one later in the page's list.
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_EQ(reports()[0].message, "O.2 Place name can only appear once on a page");
    EXPECT_EQ(p->flags & kSEPagePlaceNames, 0u);

    reports().clear();
    SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusPage, p);
    ASSERT_EQ(SEAddFusMem(&set->head, &a->head), 1);
    ASSERT_EQ(SEAddFusMem(&set->head, &b->head), 1);
    CTSCheckPageNames(p);
    EXPECT_THAT(reports(), IsEmpty());
    EXPECT_NE(p->flags & kSEPagePlaceNames, 0u);
}

TEST_F(NameRules, UniquePageIsMarkedAndUnnamedPlacesAreNotCompared)
{
    options(kCTSOptO2 | kCTSOptO5);
    SEPage* p = page("P");
    place(p, "a");
    place(p);
    trans(p, "t");
    trans(p);
    CTSCheckPageNames(p);
    EXPECT_THAT(reports(), IsEmpty());
    EXPECT_EQ(p->flags & (kSEPagePlaceNames | kSEPageTransNames), kSEPagePlaceNames | kSEPageTransNames);
    place(p);
    place(p);
    CTSCheckPageNames(p);
    EXPECT_THAT(reports(), IsEmpty());
}

TEST_F(NameRules, DuplicateTransitionNames)
{
    options(kCTSOptO5);
    SEPage* p = page("P");
    trans(p, "t");
    trans(p, "t");
    CTSCheckPageNames(p);
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_EQ(reports()[0].message, "O.5 Transition name can only appear once on a page");
    EXPECT_EQ(p->flags & kSEPageTransNames, 0u);
}

TEST_F(NameRules, PageNamesUniqueOverAllPagesAndLegal)
{
    options(kCTSOptAll);
    SEPage* a = page("Same", false);
    SEPage* b = page("Same", false);
    EXPECT_EQ(CTSCheckPageNameUnique(SECurrentRoot()), 1);
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_EQ(reports()[0].message, "O.7 Page name can only appear once");
    EXPECT_EQ(SECurrentRoot()->flags & kSERootPageNames, 0u);
    SESetName(&b->head, se::copyText("Other"));
    reports().clear();
    EXPECT_EQ(CTSCheckPageNameUnique(SECurrentRoot()), 0);
    EXPECT_NE(SECurrentRoot()->flags & kSERootPageNames, 0u);

    SEPage* bad = page("my-page");
    CTSCheckPageNames(bad);
    EXPECT_THAT(on(&bad->head), ElementsAre("O.8 Page name must be a legal ML identifier"));
    CTSCheckPageNames(a);
    EXPECT_NE(a->flags & kSEPageName, 0u);
}

TEST_F(NameRules, ArcsWithoutExpressions)
{
    SEPage* p = page("P");
    SETrans* t = trans(p, "t");
    SEPlace* pl = place(p, "p");
    SEArc* bare = arc(t, pl, kSEPlaceToTrans);
    SEArc* full = arc(t, pl, kSETransToPlace, "x");
    options(kCTSOptO9);
    EXPECT_EQ(CTSCheckArcsHaveExpressions(t, false), 1);
    EXPECT_THAT(on(&bare->head), ElementsAre("O.9 Arc must have an expression (ordinary)"));
    EXPECT_THAT(on(&full->head), IsEmpty());
    reports().clear();
    EXPECT_EQ(CTSCheckArcsHaveExpressions(t, true), 0); // O.10 needs its own bit, not 0x400
    options(kCTSOptO10);
    CTSCheckArcsHaveExpressions(t, true);
    EXPECT_THAT(on(&bare->head), ElementsAre("O.10 Arc must have an expression (substitution)"));
}
