// Editing entries in place and what happens to their checks, and the rows
// that the declaration browser shows for entries.
#include "DeclFixture.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "atolq/DEclarations/DEServices.h"

namespace {

using EditTest = DeclTest;

void compileAll()
{
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    ASSERT_EQ(DEStartCompileOrder(&progress), 0) << ::testing::PrintToString(world().errors);
}

// Replaces the region text of the named entry as an in-place edit would.
int editRegion(SEDeclEntry* e, const std::string& text)
{
    uint32_t region = e->kvObject;
    DEBeginRegionEdit(region);
    QXText_SetText(region, text.c_str());
    return DEEndRegionEdit(region, e);
}

TEST_F(EditTest, UnchangedRegionTextKeepsTheCheck)
{
    convert("val a = 1;\nval b = a + 1;");
    compileAll();
    SEDeclEntry* a = entryNamed("a");
    ASSERT_NE(a->flags & kDEChecked, 0u);
    EXPECT_EQ(editRegion(a, textOf(a->kvObject)), 1);
    EXPECT_EQ(entryNamed("a"), a);
    EXPECT_NE(a->flags & kDEChecked, 0u);
    EXPECT_NE(entryNamed("b")->flags & kDEChecked, 0u);
}

TEST_F(EditTest, ChangedRegionTextReplacesTheEntryInPlaceAndUnchecksItsUsers)
{
    uint32_t object = node("val a = 1;\nval b = a + 1;");
    DEConvertNode(object);
    compileAll();
    SEDeclEntry* a = entryNamed("a");
    uint32_t region = a->kvObject;
    ASSERT_NE(entryNamed("b")->flags & kDEChecked, 0u);
    EXPECT_EQ(editRegion(a, "val a = 2;"), 1);
    // The same record and region hold the new text; nothing was added.
    EXPECT_EQ(entryNamed("a"), a);
    EXPECT_EQ(a->kvObject, region);
    EXPECT_EQ(std::string(a->texts[0]), "2");
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"val a = 2;", "val b = a + 1;"}));
    EXPECT_EQ(a->flags & kDEChecked, 0u);
    EXPECT_EQ(entryNamed("b")->flags & kDEChecked, 0u) << "a user of the changed value stayed checked";
    EXPECT_TRUE(world().messages.empty()) << lastMessage();
}

TEST_F(EditTest, RenamedEntryListsItsOldNameAsDeleted)
{
    convert("val a = 1;");
    compileAll();
    EXPECT_EQ(editRegion(entryNamed("a"), "val z = 1;"), 1);
    ASSERT_NE(entryNamed("z"), nullptr);
    EXPECT_EQ(entryNamed("a"), nullptr);
    std::vector<std::string> deleted;
    for (void* c = DEDeletedNames() != nullptr ? DEDeletedNames()->first : nullptr; c != nullptr;
         c = static_cast<LMLink*>(c)->next)
        deleted.emplace_back(static_cast<const char*>(static_cast<LMValueCell*>(c)->value));
    EXPECT_EQ(deleted, (std::vector<std::string>{"a"}));
}

TEST_F(EditTest, EditedColorSetKeepsItsOwnValuesAndVariables)
{
    uint32_t object = node("colorset E = enumerate r | g;\nvar x : E;");
    DEConvertNode(object);
    SEDeclEntry* e = entryNamed("E");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(editRegion(e, "colorset E = enumerate r | g | b\nvar x;"), 1) << lastMessage();
    EXPECT_TRUE(world().messages.empty()) << lastMessage();
    EXPECT_EQ(entryNamed("E"), e);
    EXPECT_EQ(textOf(e->kvObject), "colorset E = enumerate r | g | b\nvar x;");
}

TEST_F(EditTest, FailedRegionEditPutsTheOldTextBack)
{
    uint32_t object = node("val a = 1;\nval b = 2;");
    DEConvertNode(object);
    SEDeclEntry* a = entryNamed("a");
    EXPECT_EQ(editRegion(a, "val b = 3;"), 0);
    EXPECT_EQ(lastMessage(), "b : A declaration with this name already exists.");
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"val a = 1;", "val b = 2;"}));
    EXPECT_EQ(entryNamed("a"), a);
}

TEST_F(EditTest, BrowserRowsShowKindStatusAndName)
{
    uint32_t pageObject = newObject("", 300, 300, 40, 40);
    SEPage* p = page(pageObject);
    p->name = static_cast<char*>(QXMem_Alloc(6));
    std::memcpy(p->name, "Sub", 4);
    p->pageNumber = 2;
    // The used file is loaded by the evaluator: it has to exist.
    const std::filesystem::path lib = std::filesystem::temp_directory_path() /
                                      ("tolq-decl-" + std::to_string(::getpid())) / "lib";
    std::filesystem::create_directories(lib);
    std::ofstream(lib / "more.sml") << "fun more x = x;\n";
    convert("colorset C = int;\nuse \"" + (lib / "more.sml").string() + "\";\nfun f x = x;");
    compileAll();
    std::filesystem::remove_all(lib.parent_path());
    // A page reference made after the compile shows unchecked.
    uint32_t local = node("pageref r = 1;", kSEDeclLocal, p);
    DEConvertNode(local);
    SEDeclEntry* c = entryNamed("C");
    DEAddItem(c, kDEItemAlias, "D");
    struct Case {
        SEHead* record;
        const char* row;
    };
    SEHead* use = nullptr;
    DEWalkEntries(
        [](SEDeclEntry* e, void* a) {
            if (e->head.subKind == kDEUse)
                *static_cast<SEHead**>(a) = &e->head;
            return 0;
        },
        1, 3, &use);
    ASSERT_NE(use, nullptr);
    const Case cases[] = {
        {&c->head, "C? C"}, // checked, its new alias not yet
        {&static_cast<SEDeclItem*>(c->items[3]->first)->head, "A--D"},
        {&entryNamed("f")->head, "F+ f"},
        {use, "U+ \".../more.sml\""}, // the name keeps its quotes
    };
    for (const Case& k : cases)
        EXPECT_EQ(DEBrowserRowText(k.record), k.row);
    SEHead* ref = DEFindEntry(nullptr, "r", 3);
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(DEBrowserRowText(ref), "P- r@Sub#2");
}

TEST(BrowserRows, NewRowGoesBeforeTheFirstNameNotSmallerInUpperCase)
{
    const std::vector<std::string> rows = {"C+ Alpha", "V- beta", "F+ GAMMA"};
    struct Case {
        const char* row;
        size_t position;
    };
    const Case cases[] = {
        {"V- aardvark", 0}, {"C+ ALPHA", 0}, {"S- b", 1}, {"V+ Beta", 1}, {"E- delta", 2}, {"U- zeta", 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DEBrowserRowPosition(rows, c.row), c.position) << c.row;
}

// A checked entry keeps its check when a record of the list carries its name
// (which then counts as checked), and loses it with its dependents list
// when none does; an unchecked entry is left alone.
TEST_F(EditTest, DropStaleCheckKeepsOrWithdrawsTheCheckByName)
{
    uint32_t object = node("val a = 1;\nval b = a + 1;");
    DEConvertNode(object);
    compileAll();
    // A colour set may share its name with a value.
    uint32_t others = node("colorset a = int;\ncolorset c = int;");
    DEConvertNode(others);
    SEDeclEntry* a = entries(object)[0];
    std::vector<SEDeclEntry*> list = entries(others);
    ASSERT_EQ(list[0]->flags & kDEChecked, 0u);
    ASSERT_NE(DEDependents(a), nullptr);

    EXPECT_EQ(DEDropStaleCheck(a, record(others)->entries), 0);
    EXPECT_NE(a->flags & kDEChecked, 0u);
    EXPECT_NE(list[0]->flags & kDEChecked, 0u);
    EXPECT_EQ(list[1]->flags & kDEChecked, 0u);

    SEDeclEntry* b = entries(object)[1];
    ASSERT_NE(b->flags & kDEChecked, 0u);
    EXPECT_EQ(DEDropStaleCheck(a, record(object)->entries), 0) << "a finds itself in its own node";
    uint32_t single = node("colorset z = int;");
    DEConvertNode(single);
    EXPECT_EQ(DEDropStaleCheck(a, record(single)->entries), 1);
    EXPECT_EQ(a->flags & kDEChecked, 0u);
    EXPECT_EQ(DEDependents(a), nullptr);
    EXPECT_EQ(lineStyleOf(a->kvObject), 3u) << "status 2: unchecked, changed since conversion";
    EXPECT_EQ(DEDropStaleCheck(a, record(single)->entries), 0) << "an unchecked entry is left alone";
}

// Locating puts an entry's region at the node's width directly below the
// region before it (or the node); a node locates all its entries.
TEST_F(EditTest, LocateEntryStacksRegionsBelowTheirPredecessors)
{
    uint32_t object = node("val a = 1;\nval b = 2;");
    DEConvertNode(object);
    std::vector<SEDeclEntry*> list = entries(object);
    for (SEDeclEntry* e : list) {
        QXWtAttr_SetPosition(e->kvObject, 400 << 15, 300 << 15);
        QXWtAttr_SetSize(e->kvObject, 20 << 15, boxOf(e->kvObject).h);
    }
    DELocateEntry(list[1]->kvObject);
    Box n = boxOf(object), a = boxOf(list[0]->kvObject), b = boxOf(list[1]->kvObject);
    EXPECT_EQ(b.w, n.w);
    EXPECT_EQ(b.x, a.x);
    EXPECT_EQ(b.y, a.y + (a.h + b.h) / 2);
    EXPECT_EQ(a.x, 400 << 15) << "only the entry asked for moves";

    DELocateEntry(object);
    n = boxOf(object), a = boxOf(list[0]->kvObject), b = boxOf(list[1]->kvObject);
    EXPECT_EQ(a.w, n.w);
    EXPECT_EQ(a.x, n.x);
    EXPECT_EQ(a.y, n.y + (n.h + a.h) / 2);
    EXPECT_EQ(b.x, a.x);
    EXPECT_EQ(b.y, a.y + (a.h + b.h) / 2);
    EXPECT_EQ(a.top(), n.bottom());
}

} // namespace
