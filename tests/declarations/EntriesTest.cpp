// Names across the net, check marks and their display, deleting entries and
// the deleted-names list.
#include "DeclFixture.h"
#include "atolq/CEditor/ErrorReport.h"

#include <cstring>

namespace {

using EntriesTest = DeclTest;

TEST_F(EntriesTest, ColorSetMayShareANameWithAVariableOrFunction)
{
    convert("colorset C = int; var x : C; fun f y = y;");
    SEDeclEntry* probe = DENewEntry(kDEColorSet);
    EXPECT_EQ(DENameFree(probe, "x"), 1);
    EXPECT_EQ(DENameFree(probe, "f"), 1);
    EXPECT_EQ(DENameFree(probe, "C"), 0);
    DEFreeEntry(probe);
    SEDeclEntry* val = DENewEntry(kDEVal);
    EXPECT_EQ(DENameFree(val, "f"), 0);
    EXPECT_EQ(DENameFree(val, "C"), 1);
    EXPECT_EQ(DENameFree(nullptr, "C"), 0) << "var names meet any declaration";
    EXPECT_EQ(DENameFree(val, "free"), 1);
    DEFreeEntry(val);
}

TEST_F(EntriesTest, FindsItemsAndQualifiedDeclareNames)
{
    convert("colorset E = with a | b declare lt; colorset U = union p + q declare of;");
    ASSERT_NE(entryNamed("U"), nullptr) << ::testing::PrintToString(world().messages);
    EXPECT_EQ(DEFindEntry(nullptr, "a", 3)->kind, kSEDeclItem);
    EXPECT_EQ(DEFindEntry(nullptr, "E.lt", 3)->kind, kSEDeclItem);
    EXPECT_EQ(DEFindEntry(nullptr, "p_of", 3)->kind, kSEDeclItem);
    EXPECT_EQ(DEFindEntry(nullptr, "nothing", 3), nullptr);
}

TEST_F(EntriesTest, NewRegionGoesRightAfterTheOneItFollows)
{
    uint32_t object = node("val a = 1; val c = 3;");
    DEConvertNode(object);
    std::vector<SEDeclEntry*> before = entries(object);
    SEDeclEntry* b = DENewEntry(kDEVal);
    b->name = static_cast<char*>(QXMem_Alloc(2));
    b->name[0] = 'b';
    uint32_t after = before[0]->kvObject;
    ASSERT_EQ(DEPlaceEntry(b, &after), 1);
    EXPECT_EQ(after, b->kvObject);
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"val a = 1;", "val b;", "val c = 3;"}));
    SEDeclEntry* z = DENewEntry(kDEVal);
    z->name = static_cast<char*>(QXMem_Alloc(2));
    z->name[0] = 'z';
    uint32_t atNode = object;
    ASSERT_EQ(DEPlaceEntry(z, &atNode), 1);
    EXPECT_EQ(regionTexts(object).front(), "val z;");
}

TEST_F(EntriesTest, StatusFollowsTheMarks)
{
    convert("colorset C = int var x;");
    SEDeclEntry* c = entryNamed("C");
    EXPECT_EQ(DECheckStatus(&c->head), 2);
    DEClearMark(&c->head, kDEChanged);
    EXPECT_EQ(DECheckStatus(&c->head), 3);
    c->flags |= kDEChecked;
    EXPECT_EQ(DECheckStatus(&c->head), 1) << "an item is unchecked";
    DEMarkEntry(&c->head, kDEChecked);
    EXPECT_EQ(DECheckStatus(&c->head), 0);
    DEShowStatus(c);
    EXPECT_EQ(lineStyleOf(c->kvObject), 0u);
}

TEST_F(EntriesTest, DeletingUncheckedEntryListsNoName)
{
    convert("colorset C = int declare lt;");
    DEDeleteEntry(entryNamed("C"));
    EXPECT_EQ(LMCount(DEDeletedNames()), 0);
    EXPECT_EQ(DEFindEntry(nullptr, "C", 3), nullptr);
}

TEST_F(EntriesTest, DeletingCheckedColorSetListsItsNamesOnce)
{
    convert("colorset C = int alias C2 declare lt, mkstr; colorset E = with a | b;");
    DEAddDeletedName("C.lt");
    SEDeclEntry* c = entryNamed("C");
    DEMarkEntry(&c->head, kDEChecked);
    DEDeleteEntry(c);
    std::vector<std::string> names;
    for (void* cell = DEDeletedNames()->first; cell != nullptr; cell = static_cast<LMLink*>(cell)->next)
        names.emplace_back(static_cast<const char*>(static_cast<LMValueCell*>(cell)->value));
    EXPECT_EQ(names, (std::vector<std::string>{"C.lt", "C", "C2", "C.mkstr"}));
    SEDeclEntry* e = entryNamed("E");
    DEMarkEntry(&e->head, kDEChecked);
    DEDeleteEntry(e);
    EXPECT_EQ(LMCount(DEDeletedNames()), 7);
}

TEST_F(EntriesTest, PredeclaredItemsByKind)
{
    struct Case {
        uint16_t kind;
        const char* word;
        bool withText1;
        bool withText3;
        int legal;
    };
    const Case cases[] = {{kCSTime, "lt", false, false, 1},       {kCSInt, "mult", false, false, 0},
                          {kCSProduct, "mult", false, false, 1},  {kCSUnion, "of", false, false, 1},
                          {kCSRecord, "of", false, false, 0},     {kCSInt, "size", false, false, 0},
                          {kCSInt, "size", true, false, 1},       {kCSReal, "ran", true, false, 1},
                          {kCSReal, "all", true, false, 0},       {kCSString, "all", true, false, 0},
                          {kCSString, "all", false, true, 1},     {kCSTime, "all", false, false, 0},
                          {kCSEnumerate, "ord", false, false, 1}, {kCSEnumerate, "bogus", false, false, 0}};
    for (const Case& c : cases) {
        SEDeclEntry* e = DENewEntry(kDEColorSet);
        DECSKind(e) = c.kind;
        if (c.withText1)
            e->texts[0] = static_cast<char*>(QXMem_Alloc(2)), e->texts[0][0] = '1';
        if (c.withText3)
            e->texts[2] = static_cast<char*>(QXMem_Alloc(2)), e->texts[2][0] = '1';
        EXPECT_EQ(DEPredeclaredLegal(e, c.word), c.legal) << c.kind << " " << c.word;
        DEFreeEntry(e);
    }
}

TEST_F(EntriesTest, ClearMarkOfNullIsReported)
{
    DEClearMark(nullptr, kDEChecked);
    EXPECT_EQ(EE_GetPendingError(), kDEMsgNullRecord);
}

// A local node copied onto a page where its names are taken: the copies get
// "'cpy" until they are free; a name too long to grow keeps its own name.
TEST_F(EntriesTest, CopiedLocalNodeNamesBecomeUnique)
{
    SEPage* p = page(world().page);
    const std::string longName(260, 'n');
    uint32_t original = node("pageref p = 1; pageref p'cpy = 2; pageref " + longName + " = 3;", kSEDeclLocal, p);
    DEConvertNode(original);
    ASSERT_EQ(regionTexts(original).size(), 3u) << ::testing::PrintToString(world().messages);
    uint32_t copy = node("pageref a = 1; instref b = 2; pageref c = 3;", kSEDeclLocal, p);
    DEConvertNode(copy);
    std::vector<SEDeclEntry*> copied = entries(copy);
    ASSERT_EQ(copied.size(), 3u);
    // As a copy of the first node would carry them.
    auto rename = [](SEDeclEntry* e, const std::string& name) {
        QXMem_Free(e->name);
        e->name = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(name.size() + 1)));
        std::memcpy(e->name, name.c_str(), name.size() + 1);
    };
    rename(copied[0], "p");
    rename(copied[2], longName);
    world().messages.clear();
    DEUniqueLocalNames(record(copy), p);
    EXPECT_EQ(regionTexts(copy)[0], "pageref p'cpy'cpy = 1;");
    EXPECT_EQ(std::string(copied[1]->name), "b");
    EXPECT_EQ(std::string(copied[2]->name), longName);
    EXPECT_EQ(world().messages, (std::vector<std::string>{"Could not obtain unique name for local declaration"}));
}

} // namespace
