// The net data base file: exact bytes of an empty net, a populated net that
// saves, loads and saves again to the same bytes, every older XDR version,
// damaged files, relinking and the safe replacement of the file on disk.
#include "NetFixture.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "ServiceDoubles.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/MemPool.h"
#include "atolq/Utils/QXMem.h"

namespace {

using Bytes = std::vector<uint8_t>;
using se::count;

Bytes saveToBytes()
{
    FILE* f = std::tmpfile();
    EXPECT_EQ(SESaveDB(f), 1);
    std::fflush(f);
    std::rewind(f);
    Bytes bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return bytes;
}

int restoreFromBytes(const Bytes& bytes)
{
    FILE* f = std::tmpfile();
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    int result = SERestoreDB(f);
    std::fclose(f);
    return result;
}

int keepHandle(uint32_t*, SEHead*)
{
    return 1;
}

// Big-endian XDR items for hand-made files.
struct XdrOut {
    Bytes b;
    XdrOut& u(uint32_t v)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            b.push_back(static_cast<uint8_t>(v >> shift));
        return *this;
    }
    XdrOut& s(const char* text)
    {
        if (text == nullptr)
            return u(0);
        uint32_t length = static_cast<uint32_t>(std::strlen(text) + 1);
        u(length).u(length);
        for (uint32_t i = 0; i < length; ++i)
            b.push_back(static_cast<uint8_t>(text[i]));
        while (b.size() % 4 != 0)
            b.push_back(0);
        return *this;
    }
    XdrOut& head(uint32_t id, uint16_t kind, uint16_t subKind, uint32_t owner)
    {
        return u(id).u(0).u(0).u(kind).u(subKind).u(owner);
    }
    XdrOut& words(int n, uint32_t v = 0)
    {
        for (int i = 0; i < n; ++i)
            u(v);
        return *this;
    }
};

struct Fixture {
    uint32_t memberId = 20;
    uint32_t tableKeyLength = 0; // nonzero: a damaged key length
};

// A small net in the layout of the given version: one page with a place in a
// global fusion set and a transition with an arc, one global declaration
// node and one entry table entry.
Bytes buildFile(const std::string& version, const Fixture& fx = {})
{
    auto atLeast = [&](const char* v) { return GE_CompareVersions(version.c_str(), v) >= 0; };
    XdrOut w;
    w.s(version.c_str());
    w.head(1, kSERoot, 0, 0);
    w.words(24);
    if (atLeast("1.9"))
        w.u(0);
    if (atLeast("1.91"))
        w.u(0).u(0).u(1).u(1).u(0);
    if (atLeast("1.8"))
        w.s("clk");
    else if (version == "1.7")
        w.u(77);
    w.u(0);
    // global place fusion set 30 with the place as member
    w.u(1).head(30, kSEPlaceFusSet, kSEFusGlobal, 1);
    w.u(1).u(0).u(0).s("F").u(0).u(0).s(nullptr).words(4);
    w.u(1).u(fx.memberId);
    w.u(0); // global transition fusion sets
    // page 10
    w.u(1).head(10, kSEPage, kSEPortsNone, 1);
    w.u(0xe0).words(7).u(500).s("P").u(0).u(0).u(0).u(0).u(0).u(0).u(0).u(3).u(0).s(nullptr);
    if (atLeast("1.91"))
        w.u(1);
    w.words(4);
    w.u(0).u(0).u(0); // instances, place sets, transition sets
    w.u(1).head(20, kSEPlace, kSEPlain, 10);
    w.u(0x610).u(30).u(0).u(1).u(0).u(0).u(501).s("p").s("INT").s("1").s(nullptr).u(0).s(nullptr).words(4);
    w.u(0).u(1).u(40).u(0);
    w.u(1).head(21, kSETrans, kSEPlain, 10);
    w.u(0xc).u(0).u(1).u(0).u(0).u(0).u(0).u(502);
    w.s("t").s("g").s(nullptr).s(nullptr).s(nullptr).s("code").s(nullptr).s(nullptr);
    w.u(0).u(0).u(0).u(0).s(nullptr).words(4);
    w.u(1).head(40, kSEArc, kSEPlaceToTrans, 21);
    w.u(20).s("x").u(503).u(0).u(0);
    if (atLeast("1.51"))
        w.u(9).u(2);
    w.s(nullptr).words(4);
    w.u(0).u(0); // output and third arcs
    w.u(0);      // variables
    w.u(0).u(0).u(0).u(0); // compounds, super lists, local declarations
    if (atLeast("1.91"))
        w.u(0).u(0);
    w.u(0); // code entries
    w.u(1).head(50, kSEDeclNode, kSEDeclGlobal, 1);
    w.u(504).s("D").u(0).s("colset A = int;").s(nullptr).s(nullptr).u(0).s(nullptr);
    if (atLeast("1.9"))
        w.u(0);
    w.words(4);
    if (atLeast("1.9"))
        w.u(0);
    w.u(0); // check entries
    w.u(0); // value list
    if (atLeast("1.91"))
        w.u(0);
    w.u(1);
    if (fx.tableKeyLength != 0)
        w.u(fx.tableKeyLength).u(fx.tableKeyLength);
    else
        w.s("k");
    w.s("v");
    if (atLeast("1.6"))
        w.u(1);
    w.u(1).u(0);
    return w.b;
}

class DataBaseTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        DeclsCompiled = 0;
        MLImageSaved = 0;
    }
    // A net with every kind of record the file holds.
    void populate();
};

void DataBaseTest::populate()
{
    SEPage* top = page(0, "Top");
    SEPage* sub = page(0, "Sub");
    SEPlace* a = place(top, "a");
    SEPlace* b = place(top, "b");
    SETrans* st = trans(top, "st");
    SETrans* t = trans(top, "t");
    SEPlace* port = place(sub, "in");
    SECreateArc(st, a, 1000, kSEPlaceToTrans);
    SECreateArc(t, a, 1001, kSETransToPlace);
    SEArc* tb = SECreateArc(t, b, 1002, kSEPlaceToTrans);
    SESetArcExpr(&tb->head, text("1`x"));
    SESetGuard(&t->head, text("x > 0"));
    SESetColourSet(&a->head, text("INT"));
    SESetInitMark(&a->head, text("1`1"));
    SEMakeCompound(&st->head, kSESubstitution);
    SEMakePort(&port->head, kSEPortInput);
    SEMakeSubpage(&st->head, sub);
    SEAssignPort(&st->head, &a->head, &port->head);

    SEPlaceFusSet* global = SECreatePlaceFusSet(kSEFusGlobal, nullptr);
    SESetName(&global->head, text("G"));
    SEAddFusMem(&global->head, &b->head);
    SETransFusSet* pageSet = SECreateTransFusSet(kSEFusPage, top);
    SESetName(&pageSet->head, text("T"));
    SEAddFusMem(&pageSet->head, &t->head);
    SEPlaceFusSet* instanceSet = SECreatePlaceFusSet(kSEFusInstance, sub);
    SESetName(&instanceSet->head, text("I"));
    SEAddFusMem(&instanceSet->head, &place(sub, "q")->head);

    t->codeSegment = static_cast<SECodeSegment*>(MemMgrAlloc(se::segmentPool()));
    auto* v = static_cast<SECodeVariable*>(QXMem_Alloc(sizeof(SECodeVariable)));
    *v = {text("x"), text("INT"), 3};
    se::appendValue(t->codeSegment->variables, v);

    SEDeclNode* g = SECreateDeclNode(nullptr, 2000, kSEDeclGlobal);
    SESetDeclText(&g->head, text("colset INT = int;"));
    SEDeclNode* local = SECreateDeclNode(sub, 2001, 0);
    SESetDeclText(&local->head, text("val y = 1;"));
    SEDeclEntry* entry = SECreateDeclEntry(2002, 3);
    entry->head.owner = &g->head;
    se::appendRec(g->entries, &entry->head);
    SEPutName(&entry->head, text("INT"));
    se::appendValue(entry->textLists[0], text("first"));
    se::appendValue(entry->textLists[0], text("second"));
    se::appendValue(entry->idLists[0], &a->head);
    SEDeclItem* item = SECreateDeclItem(entry, 2);
    se::appendValue(item->idLists[1], &t->head);
    SECreateDeclItem(entry, 4);

    SEBarChart* bar = SECreateBarChart(top, 3000);
    SESetBarChartText(&bar->head, text("chart ML"));
    bar->elementCount = 2;
    bar->innerCount = 1;
    bar->arrays[0] = {static_cast<uint32_t*>(QXMem_Alloc(8)), 2};
    bar->arrays[0].words[0] = 3001;
    bar->arrays[0].words[1] = 3002;
    bar->labels[0] = {static_cast<SELabel*>(QXMem_Alloc(2 * sizeof(SELabel))), 2, 1};
    bar->labels[0].labels[0] = {3003, text("l1")};
    bar->labels[0].labels[1] = {3004, text("l2")};
    bar->longs[9] = 42;
    SELineChart* line = SECreateLineChart(sub, 3100);
    line->lineCount = 1;
    line->lines = static_cast<SELineSpec*>(QXMem_Alloc(sizeof(SELineSpec)));
    line->lineArrayCount = 1;
    line->lines[0] = {line->pageObject, 3101, 3102, 1, {1, -2, 3, -4}};
    line->x1 = 1;
    line->arrays[2] = {static_cast<uint32_t*>(QXMem_Alloc(8)), 2};

    auto* code = reinterpret_cast<SECodeEntry*>(se::newRecord(kSECodeEntry));
    code->head.owner = &root()->head;
    code->text1 = text("fun f x = x");
    code->number = -5;
    se::appendRec(root()->simRecords12, &code->head);
    auto* check = reinterpret_cast<SECheckEntry*>(se::newRecord(kSECheckEntry));
    check->head.owner = &root()->head;
    check->half2 = 7;
    se::appendRec(root()->simRecords13, &check->head);

    auto* instance = reinterpret_cast<SEPageInstance*>(se::newRecord(kSEPageInstance));
    instance->head.owner = &top->head;
    instance->ref1 = &st->head;
    se::appendRec(top->instances, &instance->head);
    se::appendValue(instance->idList4, &b->head);
    se::appendPair(instance->pairList, &a->head, &b->head);
    auto* time = static_cast<int32_t*>(QXMem_Alloc(4));
    *time = -17;
    se::appendPair(instance->timePairs[1], &t->head, time);
    auto* ti = reinterpret_cast<SETransInstance*>(se::newRecord(kSETransInstance));
    ti->head.owner = &instance->head;
    ti->trans = &t->head;
    se::appendRec(instance->transInstances[0], &ti->head);

    root()->declHashTable = HashCreate(10, kHashStringKeys);
    for (const char* key : {"ab", "ba", "zz"}) {
        auto* e = static_cast<SETableEntry*>(QXMem_Alloc(sizeof(SETableEntry)));
        *e = {text(key), text("second"), 1};
        HashStore(root()->declHashTable, e->key, e);
    }
    se::appendValue(root()->valueList, reinterpret_cast<void*>(uintptr_t{12}));
    se::appendValue(root()->textList, text("kept"));
    root()->clockText = text("(clock (\"0\"))");
    DeclsCompiled = 1;
}

TEST_F(DataBaseTest, EmptyNetBytes)
{
    Bytes bytes = saveToBytes();
    const Bytes leading = {0, 0, 0, 5, 0, 0, 0, 5, '3', '.', '0', '2', 0, 0, 0, 0};
    ASSERT_GE(bytes.size(), leading.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 16), leading);
    // version, root id, head, 32 root items, ten zero counts, table count, two flags
    ASSERT_EQ(bytes.size(), 16u + 4u + 20u + 32u * 4u + 10u * 4u + 4u + 8u);
    EXPECT_EQ(Bytes(bytes.end() - 52, bytes.end()), Bytes(52, 0));
}

TEST_F(DataBaseTest, PopulatedNetSavesLoadsAndSavesAgainIdentically)
{
    populate();
    Bytes first = saveToBytes();
    ASSERT_EQ(restoreFromBytes(first), 1);
    ASSERT_EQ(SERelinkDB(keepHandle), 1);
    EXPECT_STREQ(SEGetDBVersion(), "3.02");
    Bytes second = saveToBytes();
    EXPECT_EQ(first, second);

    // The net came back whole.
    ASSERT_EQ(count(root()->pages), 2);
    auto* top = reinterpret_cast<SEPage*>(records(root()->pages).back());
    EXPECT_STREQ(top->name, "Top");
    auto* st = reinterpret_cast<SETrans*>(records(top->transitions).back());
    ASSERT_NE(st->compound, nullptr);
    ASSERT_NE(st->compound->subpage, nullptr);
    EXPECT_STREQ(st->compound->subpage->name, "Sub");
    EXPECT_EQ(count(st->compound->assignments), 1);
    EXPECT_EQ(HashCount(root()->declHashTable), 3u);
    EXPECT_EQ(DeclsCompiled, 1u);
    // and behaves: deleting everything is clean.
    for (SEHead* p : records(root()->pages))
        EXPECT_EQ(SEDelPage(reinterpret_cast<SEPage*>(p)), 1);
}

TEST_F(DataBaseTest, SaveFailsWhenAChartDisagreesWithItsCounts)
{
    SEBarChart* bar = SECreateBarChart(page(), 1);
    bar->elementCount = 3;
    bar->arrays[1] = {static_cast<uint32_t*>(QXMem_Alloc(4)), 1};
    FILE* f = std::tmpfile();
    EXPECT_EQ(SESaveDB(f), 0);
    std::fclose(f);
}

// A bar chart's grid lines stand inside its range on each side of the zero
// axis (p - 1 right, n - 1 left), once per edge with ticks; a chart whose
// range spans zero is saved and read back with them.
TEST_F(DataBaseTest, BarChartGridLinesOnBothSidesOfZeroSaveAndLoad)
{
    struct Case {
        int32_t pos, neg;
        bool ticksOnBothEdges;
        uint32_t lines;
    };
    const Case cases[] = {
        {10, 0, false, 9}, {5, 1, false, 4}, {5, 2, false, 5}, {0, 4, false, 3}, {3, 3, true, 8}, {1, 1, false, 0},
    };
    page();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "p " << c.pos << ", n " << c.neg);
        // The page of the net as it was last read.
        ASSERT_EQ(count(root()->pages), 1);
        SEBarChart* bar = SECreateBarChart(reinterpret_cast<SEPage*>(records(root()->pages).front()), 1);
        bar->m1 = c.pos;
        bar->m2 = c.neg;
        bar->flagF = c.ticksOnBothEdges ? 1 : 0;
        if (c.ticksOnBothEdges) {
            for (int i : {4, 5})
                bar->arrays[i] = {static_cast<uint32_t*>(QXMem_Alloc((c.pos + c.neg + 1) * 4)),
                                  static_cast<uint32_t>(c.pos + c.neg + 1)};
        }
        if (c.lines > 0) {
            bar->arrays[3] = {static_cast<uint32_t*>(QXMem_Alloc(c.lines * 4)), c.lines};
            for (uint32_t i = 0; i < c.lines; ++i)
                bar->arrays[3].words[i] = 5000 + i;
        }
        const Bytes bytes = saveToBytes();
        ASSERT_FALSE(bytes.empty());
        ASSERT_EQ(restoreFromBytes(bytes), 1);
        ASSERT_EQ(SERelinkDB(keepHandle), 1);
        ASSERT_EQ(count(root()->barCharts), 1);
        auto* read = reinterpret_cast<SEBarChart*>(records(root()->barCharts).front());
        EXPECT_EQ(read->arrays[3].count, c.lines);
        if (c.lines > 0) {
            ASSERT_NE(read->arrays[3].words, nullptr);
            EXPECT_EQ(read->arrays[3].words[c.lines - 1], 5000 + c.lines - 1);
        }
        EXPECT_EQ(SEDelBarChart(read), 1);
    }
}

class VersionTest : public DataBaseTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(VersionTest, SmallNetLoads)
{
    std::string version = GetParam();
    ASSERT_EQ(restoreFromBytes(buildFile(version)), 1) << version;
    ASSERT_EQ(SERelinkDB(keepHandle), 1);
    EXPECT_EQ(SEGetDBVersion(), version);
    auto* p = reinterpret_cast<SEPage*>(records(root()->pages).front());
    EXPECT_STREQ(p->name, "P");
    EXPECT_EQ(p->lastHalf, 1);
    auto* pl = reinterpret_cast<SEPlace*>(records(p->places).front());
    auto* tr = reinterpret_cast<SETrans*>(records(p->transitions).front());
    auto* arc = reinterpret_cast<SEArc*>(records(tr->inputArcs).front());
    EXPECT_EQ(arc->place, pl);
    EXPECT_EQ(values(pl->outputArcs), std::vector<void*>{arc});
    EXPECT_STREQ(pl->fusionSet->name, "F");
    EXPECT_EQ(arc->flags, GE_CompareVersions(version.c_str(), "1.51") >= 0 ? 9u : 0u);
    bool clocked = GE_CompareVersions(version.c_str(), "1.8") >= 0;
    EXPECT_EQ(root()->clockText != nullptr, clocked);
    EXPECT_EQ((root()->flags & kSERootIntegerTime) != 0, !clocked);
    auto* entry = static_cast<SETableEntry*>(HashLookup(root()->declHashTable, "k"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->flag, GE_CompareVersions(version.c_str(), "1.6") >= 0 ? 1u : 0u);
    EXPECT_EQ(SEDelPlace(pl), 1);
}

INSTANTIATE_TEST_SUITE_P(XdrVersions, VersionTest,
                         ::testing::Values("1.4", "1.5", "1.51", "1.6", "1.7", "1.8", "1.9", "1.91", "1.92", "3.0",
                                           "3.01", "3.02"));

// A failed read reports its message and leaves the current net as it was.
class DamagedFileTest : public DataBaseTest {
protected:
    void expectRefused(const Bytes& bytes, int16_t message)
    {
        SERoot* before = root();
        uint16_t pages = count(before->pages);
        EXPECT_EQ(restoreFromBytes(bytes), 0);
        EXPECT_EQ(takeError(), message);
        EXPECT_EQ(root(), before);
        EXPECT_EQ(count(root()->pages), pages);
    }
};

TEST_F(DamagedFileTest, EveryTruncationFailsCleanly)
{
    populate();
    Bytes whole = saveToBytes();
    for (size_t length = 0; length < whole.size(); length += (length < 64 ? 1 : 7)) {
        Bytes part(whole.begin(), whole.begin() + length);
        SCOPED_TRACE(length);
        expectRefused(part, length < 16 ? kSEMsgIncompatibleDB : kSEMsgLoadFailed);
    }
}

TEST_F(DamagedFileTest, UnknownOrOldVersions)
{
    page();
    expectRefused(buildFile("2.0"), kSEMsgIncompatibleDB);
    expectRefused(buildFile("1.3"), kSEMsgIncompatibleDB);
    expectRefused(buildFile("1.2"), kSEMsgIncompatibleDB); // an XDR file must be 1.4 or later
    expectRefused({}, kSEMsgIncompatibleDB);
    XdrOut longVersion;
    longVersion.s("3.02.0000000000000000");
    expectRefused(longVersion.b, kSEMsgIncompatibleDB);
}

// A raw-form file that ends within or just after its version text holds no
// root record and is refused without reading past its end.
TEST_F(DamagedFileTest, RawFormShorterThanItsRootRecord)
{
    page();
    const std::vector<Bytes> files = {
        {'1', '.', '0'},
        {'1', '.', '9'},
        {'1', '.', '2', 0},
        {'1', '.', '2', 0, 1},
        {'1', '.', '5', '1', 1, 0, 0, 0},
    };
    for (const Bytes& bytes : files) {
        SCOPED_TRACE(std::string(bytes.begin(), bytes.end()));
        expectRefused(bytes, kSEMsgLoadFailed);
    }
}

TEST_F(DamagedFileTest, IdsThatNameNoRecordOfTheRightKind)
{
    page();
    Fixture unknown;
    unknown.memberId = 99;
    expectRefused(buildFile("3.02", unknown), kSEMsgLoadFailed);
    Fixture wrongKind;
    wrongKind.memberId = 21; // a transition in a place set
    expectRefused(buildFile("3.02", wrongKind), kSEMsgLoadFailed);
}

TEST_F(DamagedFileTest, LengthsBeyondTheData)
{
    Fixture huge;
    huge.tableKeyLength = 0x7ffffff0;
    expectRefused(buildFile("3.02", huge), kSEMsgLoadFailed);
    Bytes trailing = buildFile("3.02");
    trailing.insert(trailing.end(), {0, 0, 0, 0});
    expectRefused(trailing, kSEMsgLoadFailed);
    Bytes badCount = buildFile("3.02");
    // The global place fusion set count (after version, root id, head and body).
    size_t at = 16 + 24 + 31 * 4 + 12; // the clock text "clk" takes 12 bytes
    badCount[at + 2] = 0xff;
    expectRefused(badCount, kSEMsgLoadFailed);
}

TEST_F(DataBaseTest, RelinkBindsRecordsAndReportsAMissingObject)
{
    ASSERT_EQ(restoreFromBytes(buildFile("3.02")), 1);
    static std::vector<uint32_t> seen;
    seen.clear();
    auto bind = [](uint32_t* object, SEHead*) {
        seen.push_back(*object);
        *object += 1000;
        return 1;
    };
    EXPECT_EQ(SERelinkDB(bind), 1);
    EXPECT_EQ(seen, (std::vector<uint32_t>{503, 502, 501, 500, 504}));
    auto* p = reinterpret_cast<SEPage*>(records(root()->pages).front());
    EXPECT_EQ(p->kvObject, 1500u);

    ASSERT_EQ(restoreFromBytes(buildFile("3.02")), 1);
    EXPECT_EQ(SERelinkDB([](uint32_t*, SEHead*) { return 0; }), 0);
    EXPECT_EQ(takeError(), kSEMsgRelinkFailed);
}

TEST_F(DataBaseTest, SafeSaveKeepsTheBackup)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("aeditor-db-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::path file = dir / "net.cpn.DB";
    auto contents = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    };

    page(0, "one");
    ASSERT_EQ(SESaveDBFile(file.c_str()), 1);
    Bytes v1 = contents(file);
    page(0, "two");
    ASSERT_EQ(SESaveDBFile(file.c_str()), 1);
    Bytes v2 = contents(file);
    EXPECT_EQ(contents(file.string() + "~"), v1);
    EXPECT_NE(v1, v2);

    // A save that fails leaves both files as they were.
    SEBarChart* bad = SECreateBarChart(page(), 1);
    bad->elementCount = 2;
    bad->arrays[0] = {static_cast<uint32_t*>(QXMem_Alloc(4)), 1};
    EXPECT_EQ(SESaveDBFile(file.c_str()), 0);
    EXPECT_EQ(takeError(), kSEMsgSaveFailed);
    EXPECT_EQ(contents(file), v2);
    EXPECT_EQ(contents(file.string() + "~"), v1);
    size_t entries = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    EXPECT_EQ(entries, 2u); // no temporary file left behind
    fs::remove_all(dir);
}

} // namespace
