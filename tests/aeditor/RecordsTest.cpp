// Creating and deleting abstract-net records: initial values, refusals that
// must not allocate, and deletions that leave nothing pointing at freed
// records.
#include "NetFixture.h"

#include "atolq/AEditor/SEIds.h"

namespace {

using RecordsTest = NetTest;
using se::count;

TEST_F(RecordsTest, FreshRecordsCarryTheirNameMarks)
{
    SEPage* p = page();
    SEPlace* pl = place(p);
    SETrans* tr = trans(p);
    EXPECT_EQ(p->head.subKind, kSEPortsNone);
    EXPECT_EQ(p->flags, (1u << 5) | (1u << 6) | (1u << 7));
    EXPECT_EQ(pl->flags, (1u << 9) | (1u << 10));
    EXPECT_EQ(tr->flags, (1u << 2) | (1u << 3));
    EXPECT_EQ(root()->flags, (1u << 20) | (1u << 28));
    EXPECT_EQ(pl->head.subKind, kSEPlain);
    // Every record is found again by its id, and only as its own kind.
    EXPECT_EQ(SERecordById(SERecordId(&pl->head)), &pl->head);
    EXPECT_EQ(SERecordById(SERecordId(&pl->head), 1u << kSETrans), nullptr);
}

TEST_F(RecordsTest, DeclarationNodesAreNumberedPerList)
{
    SEDeclNode* g1 = SECreateDeclNode(nullptr, 1, kSEDeclGlobal);
    SEDeclNode* g2 = SECreateDeclNode(nullptr, 2, kSEDeclTemporary);
    SEDeclNode* l1 = SECreateDeclNode(page(), 3, kSEDeclGlobal);
    EXPECT_STREQ(g1->name, "Global Declaration #1");
    EXPECT_STREQ(g2->name, "Global Declaration #2");
    EXPECT_STREQ(l1->name, "Local Declaration #1");
    EXPECT_EQ(l1->head.subKind, kSEDeclLocal);
    EXPECT_TRUE(root()->flags & 1u);
    // A root node must be global or temporary.
    EXPECT_EQ(SECreateDeclNode(nullptr, 4, kSEDeclLocal), nullptr);
    EXPECT_EQ(takeError(), kSEMsgInvalidId);
}

TEST_F(RecordsTest, DeclarationNodeNameStaysInItsBuffer)
{
    SEDeclNode* big = SECreateDeclNode(nullptr, 1, kSEDeclGlobal);
    big->number = 4000000000u;
    SEDeclNode* next = SECreateDeclNode(nullptr, 2, kSEDeclGlobal);
    EXPECT_EQ(next->number, 4000000001u);
    EXPECT_EQ(std::strlen(next->name), 29u); // truncated inside the 30-byte buffer
    EXPECT_EQ(std::string(next->name), std::string("Global Declaration #400000000"));
}

TEST_F(RecordsTest, ArcRefusalsMakeNothing)
{
    SEPage* a = page();
    SEPage* b = page();
    SEPlace* pl = place(a);
    SETrans* tr = trans(a);
    SETrans* other = trans(b);
    struct Case {
        SETrans* trans;
        uint16_t direction;
        int16_t message;
    } cases[] = {{other, kSEPlaceToTrans, 0}, {tr, 0, 0}, {tr, 3, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(SECreateArc(c.trans, pl, 7, c.direction), nullptr);
        EXPECT_EQ(takeError(), c.message);
    }
    EXPECT_EQ(SECreateArc(tr, reinterpret_cast<SEPlace*>(tr), 7, 1), nullptr);
    EXPECT_EQ(takeError(), kSEMsgInvalidId);
    EXPECT_EQ(se::count(tr->inputArcs) + se::count(tr->outputArcs), 0);
    EXPECT_EQ(se::count(pl->inputArcs) + se::count(pl->outputArcs), 0);
}

TEST_F(RecordsTest, ArcsLinkBothEndsByDirection)
{
    SEPage* p = page();
    SEPlace* pl = place(p);
    SETrans* tr = trans(p);
    SEArc* in = SECreateArc(tr, pl, 1, kSEPlaceToTrans);
    SEArc* out = SECreateArc(tr, pl, 2, kSETransToPlace);
    EXPECT_EQ(records(tr->inputArcs), std::vector<SEHead*>{&in->head});
    EXPECT_EQ(values(pl->outputArcs), std::vector<void*>{in});
    EXPECT_EQ(values(pl->inputArcs), std::vector<void*>{out});
    EXPECT_EQ(SEArcDirection(&pl->head, &tr->head), 3);
}

TEST_F(RecordsTest, DeclarationItemsGoToTheListOfTheirSubKind)
{
    SEDeclEntry* entry = SECreateDeclEntry(5, 1);
    const int listOfSubKind[] = {0, 1, 3, 2, 4};
    for (uint16_t subKind = 1; subKind <= 5; ++subKind) {
        SEDeclItem* item = SECreateDeclItem(entry, subKind);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(records(entry->items[listOfSubKind[subKind - 1]]).back(), &item->head);
    }
    EXPECT_EQ(SECreateDeclItem(entry, 0), nullptr);
    EXPECT_EQ(SECreateDeclItem(entry, 6), nullptr);
    SENameRef* ref = SECreateNameRef(&entry->head, 2);
    EXPECT_EQ(values(entry->references), std::vector<void*>{ref});
    se::releaseDeclEntry(entry);
    se::freeRecord(&entry->head);
}

TEST_F(RecordsTest, DeletingAPlaceDeletesItsArcsFirst)
{
    SEPage* p = page();
    SEPlace* pl = place(p);
    SETrans* tr = trans(p);
    SECreateArc(tr, pl, 1, kSEPlaceToTrans);
    SECreateArc(tr, pl, 2, kSETransToPlace);
    ASSERT_EQ(SEDelPlace(pl), 1);
    EXPECT_EQ(se::count(tr->inputArcs) + se::count(tr->outputArcs), 0);
    EXPECT_EQ(SEDelTrans(tr), 1); // would touch the freed place if arcs were left
    EXPECT_EQ(SEDelPage(p), 1);
    EXPECT_EQ(se::count(root()->pages), 0);
}

TEST_F(RecordsTest, DeletingACompoundPlaceLeavesNoCompoundRecord)
{
    SEPage* p = page();
    SEPlace* pl = place(p);
    ASSERT_NE(SEMakeCompound(&pl->head, kSESubstitution), nullptr);
    EXPECT_EQ(se::count(p->compounds), 1);
    SEDelPlace(pl);
    EXPECT_EQ(se::count(p->compounds), 0);
}

TEST_F(RecordsTest, LastArcToASocketDropsItsAssignment)
{
    SEPage* top = page();
    SEPage* sub = page();
    SETrans* st = trans(top);
    SEPlace* socket = place(top);
    SEPlace* port = place(sub);
    SEArc* arc = SECreateArc(st, socket, 1, kSEPlaceToTrans);
    SEMakeCompound(&st->head, kSESubstitution);
    SEMakePort(&port->head, kSEPortInput);
    ASSERT_EQ(SEMakeSubpage(&st->head, sub), 1);
    ASSERT_EQ(SEAssignPort(&st->head, &socket->head, &port->head), 1);
    EXPECT_EQ(SEGetAssignment(&st->head, &socket->head), &port->head);
    SEDelArc(arc);
    EXPECT_EQ(SEGetAssignment(&st->head, &socket->head), nullptr);
}

TEST_F(RecordsTest, DeletingAPageWithHierarchyAndCharts)
{
    SEPage* top = page();
    SEPage* sub = page();
    SETrans* st = trans(top);
    SEMakeCompound(&st->head, kSESubstitution);
    SEMakeSubpage(&st->head, sub);
    SECreateBarChart(sub, 50);
    SECreateLineChart(top, 51);
    SECreatePlaceFusSet(kSEFusPage, sub); // an empty set goes with its page
    SECreateDeclNode(sub, 52, 0);
    ASSERT_EQ(SEDelPage(sub), 1);
    EXPECT_EQ(st->head.subKind, kSEPlain);
    EXPECT_EQ(st->compound, nullptr);
    EXPECT_EQ(se::count(root()->barCharts), 0);
    EXPECT_EQ(se::count(root()->lineCharts), 1);
}

TEST_F(RecordsTest, DeletingDeclarationNodes)
{
    SEDeclNode* t1 = SECreateDeclNode(nullptr, 1, kSEDeclTemporary);
    SEDeclNode* t2 = SECreateDeclNode(nullptr, 2, kSEDeclTemporary);
    t1->flags |= 1u << 12;
    t2->flags |= 1u << 12;
    EXPECT_EQ(SEDelDeclNode(t1), 1);
    EXPECT_EQ(root()->noTemporaryDecl, 0u); // t2 is still there
    EXPECT_EQ(SEDelDeclNode(t2), 1);
    EXPECT_EQ(root()->noTemporaryDecl, 1u); // counted after unlinking

    SEDeclNode* odd = SECreateDeclNode(nullptr, 3, kSEDeclGlobal);
    odd->head.subKind = 9;
    EXPECT_EQ(SEDelDeclNode(odd), 0);
    EXPECT_STREQ(odd->name, "Global Declaration #1"); // nothing was freed
    odd->head.subKind = kSEDeclGlobal;
    EXPECT_EQ(SEDelDeclNode(odd), 1);
}

TEST_F(RecordsTest, ChartsAndTheirTexts)
{
    SEPage* p = page();
    SEBarChart* bar = SECreateBarChart(p, 9);
    EXPECT_EQ(bar->pageObject, p->kvObject);
    root()->flags = 0;
    SEResetChartTexts();
    EXPECT_STREQ(bar->text1, "0");
    EXPECT_EQ(SESetBarChartText(&bar->head, text("val x = 1")), 1);
    EXPECT_TRUE(root()->flags & kSERootChartsStale);
    EXPECT_EQ(SEDelBarChart(bar), 1);
    EXPECT_EQ(se::count(root()->barCharts), 0);
}

TEST_F(RecordsTest, NewChartsStartWithTheirSettingWordsInPlace)
{
    SEPage* p = page();
    SEBarChart* bar = SECreateBarChart(p, 9);
    EXPECT_EQ(bar->flagF, 1u); // ticks only
    EXPECT_EQ(bar->bool1, 1u); // grid by number
    EXPECT_EQ(bar->object3, 0u); // no title
    EXPECT_EQ(bar->long4, -1); // standard chart, no history retain
    EXPECT_EQ(bar->long6, 0);
    SELineChart* line = SECreateLineChart(p, 10);
    EXPECT_EQ(line->long2, 0); // step interval
    EXPECT_EQ(line->bool2, 1u); // integer values
    EXPECT_EQ(line->longs2[0], 0);
    EXPECT_EQ(line->longs2[1], 0);
    for (SEText origin : line->texts4) {
        ASSERT_NE(origin, nullptr);
        EXPECT_STREQ(origin, "");
    }
}

} // namespace
