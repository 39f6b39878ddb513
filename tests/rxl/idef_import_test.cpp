// The IDEF import on the real kernel and net layer: files written here with
// every kind of entry, a hierarchy, arcs with bend points and the Ruxel
// sections import into the expected net; damaged, cut-short and wrong-type
// files fail with their messages and build nothing; a page with 101
// sockets fails alone.
#include "RXLFixture.h"

#include <cstdio>
#include <fstream>

#include "atolq/ASimulator/ASRXLRequests.h"
#include "atolq/CEditor/IDEFImport.h"
#include "atolq/CEditor/NetObjects.h"
#include "xkv/kv/QXFile.h"
#include "xkv/kvud/UserData.h"

namespace {

constexpr Fixed kUnit = 0x10000;

// ---- writing machine files ----

std::string Counted(const std::string& text) { return std::to_string(text.size()) + " " + text; }

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

struct Desc {
    int shape = 1;
    Fixed x = 0, y = 0, w = 40 * kUnit, h = 20 * kUnit;
    bool label = false;
    long regionKind = 0;  // regions only
    std::string text;
    std::vector<std::string> points;  // tokens, an even count
    std::vector<Desc> regions;
};

std::string Write(const Desc& d, bool region)
{
    std::string out = std::to_string(d.shape) + " 1 " + Hex(static_cast<uint32_t>(d.x)) + " " +
                      Hex(static_cast<uint32_t>(d.y)) + " " + Hex(static_cast<uint32_t>(d.w)) + " " +
                      Hex(static_cast<uint32_t>(d.h)) + " 1 1 0 1 0 0 " + (d.label ? "1" : "0") + " 0 0 ";
    if (region)
        out += std::to_string(d.regionKind) + " ";
    out += "0 " + Counted(d.text) + " ";
    if (!d.text.empty())
        out += "9 ";
    if (d.points.empty()) {
        out += "0 ";
    } else {
        out += "1 " + std::to_string(d.points.size() / 2) + " ";
        for (const std::string& token : d.points)
            out += token + " ";
    }
    out += std::to_string(d.regions.size()) + "\n";
    for (const Desc& r : d.regions)
        out += "R 0 " + Write(r, true);
    return out;
}

std::string PlaceText(const std::string& port, const std::string& plain, const std::string& colourSet,
                      const std::string& marking, const std::string& name, const std::string& fusion)
{
    return Counted(port) + " " + Counted(plain) + " " + Counted(colourSet) + " " + Counted(marking) + " " +
           Counted(name) + " " + Counted(fusion);
}

struct PageFile {
    std::string name;
    std::vector<std::pair<long, Desc>> transitions;
    std::vector<std::tuple<char, long, Desc>> places;
};

std::string Write(const PageFile& page)
{
    std::string out = "p " + Counted(page.name) + " 700 500 0 0\n" + std::to_string(page.transitions.size()) + "\n";
    for (const auto& [id, d] : page.transitions)
        out += "T " + std::to_string(id) + " " + Write(d, false);
    out += std::to_string(page.places.size()) + "\n";
    for (const auto& [letter, id, d] : page.places)
        out += std::string(1, letter) + " " + std::to_string(id) + " " + Write(d, false);
    return out;
}

std::string Model(const std::vector<PageFile>& pages, const std::string& tail = "")
{
    std::string out = "1 3 " + Counted("factory.tlq") + "\n" + std::to_string(pages.size()) + "\n";
    for (const PageFile& page : pages)
        out += Write(page);
    return out + tail;
}

Desc Region(long kind, const std::string& text, std::vector<Desc> regions = {})
{
    Desc d;
    d.label = true;
    d.regionKind = kind;
    d.text = text;
    d.regions = std::move(regions);
    return d;
}

Desc Place(Fixed x, Fixed y, const std::string& stored)
{
    Desc d;
    d.shape = 2;
    d.x = x;
    d.y = y;
    d.w = 20 * kUnit;
    d.h = 20 * kUnit;
    d.text = stored;
    return d;
}

// The top page: activity "Make" (box id A1) with a guard, a code, an output
// arc to "Out" with two bend points and an input arc from "In"; places of
// every entry kind; "Make" is refined by page "A1:_Make" through "Out".
PageFile TopPage()
{
    Desc make;
    make.x = 200 * kUnit;
    make.y = 100 * kUnit;
    make.points = {"2", "Out", "0", "0"};
    make.regions = {Region(100, "A1"),
                    Region(220, "", {Region(201, "[n>0]"), Region(202, "input (n);"), Region(203, "Make")}),
                    Region(102, "2 O 12c0000 640000 12c0000 500000", {Region(200, "1`n")}),
                    Region(102, "3 I 640000 320000 960000 320000", {Region(200, "1`m")})};
    PageFile page;
    page.name = "A-0 Top";
    page.transitions = {{1, make}};
    page.places = {{'P', 2, Place(300 * kUnit, 100 * kUnit, PlaceText("", "", "INT", "1`5", "Out", "Bus"))},
                   {'P', 3, Place(100 * kUnit, 100 * kUnit, PlaceText("", "INT", "", "", "", ""))},
                   {'G', 4, Place(100 * kUnit, 300 * kUnit, "color INT = int;")},
                   {'L', 5, Place(300 * kUnit, 300 * kUnit, "var n : INT;")}};
    return page;
}

PageFile SubPage()
{
    Desc inner;
    inner.x = 100 * kUnit;
    inner.y = 100 * kUnit;
    PageFile page;
    page.name = "A1: Make";
    page.transitions = {{1, inner}};
    page.places = {{'P', 2, Place(200 * kUnit, 100 * kUnit, PlaceText("Out", "", "INT", "", "Out", ""))}};
    return page;
}

class IDEFImportTest : public RXLNetTest {
protected:
    int Import(const std::string& content, int ruxel = 0)
    {
        const std::string path = home_ + "/model.mach";
        std::ofstream(path, std::ios::binary) << content;
        ImportErrors = 0;
        return IDEF_ImportPath(page_, ruxel, path.c_str());
    }
    // The pages of the net, the hierarchy page left out.
    static std::vector<ObjectHandle> NetPages()
    {
        std::vector<ObjectHandle> pages;
        for (const ObjectHandle page : Pages()) {
            uint32_t length = 0;
            if (UD_GetFieldSize(page, 0xF900, &length) != 1)
                pages.push_back(page);
        }
        return pages;
    }
    static std::string PageName(ObjectHandle page)
    {
        char name[256] = {};
        uint16_t number = 0;
        int16_t width = 0, height = 0;
        uint32_t border = 0;
        QXRdAttr_GetPageAttr(page, name, &number, &width, &height, &border);
        return name;
    }
    // A new diagram for the next case of a table.
    void SetUpFresh()
    {
        TearDown();
        SetUp();
    }
    static bool Shown(const std::string& text)
    {
        for (const std::string& message : IDEF_Messages())
            if (message == text)
                return true;
        return false;
    }
};

TEST_F(IDEFImportTest, ModelWithEveryEntryKindAndAHierarchyImports)
{
    ASSERT_EQ(Import(Model({TopPage(), SubPage()})), 1);
    EXPECT_EQ(ImportErrors, 0) << (IDEF_Messages().empty() ? "" : IDEF_Messages()[0]);
    const auto pages = NetPages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(PageName(pages[0]), "A-0_Top");
    EXPECT_EQ(PageName(pages[1]), "A1:_Make");
    char* file = nullptr;
    ASSERT_EQ(QXFile_GetCurrentFileName(&file), 1u);
    EXPECT_EQ(std::string(file), home_ + "/factory.tlq");
    QXMem_Free(file);

    // The activity: name, guard and code from the container, box-id region kept plain.
    const auto make = Named(page_, "Make");
    ASSERT_EQ(make.size(), 1u);
    SEHead* trans = Record(make[0]);
    EXPECT_EQ(Str(SEGetGuard(trans)), "[n>0]");
    EXPECT_EQ(Str(SEGetCode(trans)), "input (n);");

    // "Out": colour set, marking, name and fusion set from its six texts.
    const auto out = Named(page_, "Out");
    ASSERT_EQ(out.size(), 1u);
    SEHead* outRecord = Record(out[0]);
    EXPECT_EQ(Str(SEGetColourSet(outRecord)), "INT");
    EXPECT_EQ(Str(SEGetInitMark(outRecord)), "1`5");
    ASSERT_NE(SEGetFusSet(outRecord), nullptr);
    EXPECT_EQ(Str(SEGetName(SEGetFusSet(outRecord))), "Bus");

    // The place whose only text is "INT": a colour-set label and no name label.
    size_t unnamed = 0;
    for (const ObjectHandle node : Nodes(page_)) {
        SEHead* r = Record(node);
        if (r != nullptr && r->kind == kSEPlace && node != out[0]) {
            ++unnamed;
            EXPECT_EQ(RegionText(node, kRegionColourSet), "INT");
            EXPECT_EQ(RegionText(node, kRegionName), "<none>");
        }
    }
    EXPECT_EQ(unnamed, 1u);

    // Declaration nodes, one global and one local.
    size_t global = 0, local = 0;
    for (const ObjectHandle node : Nodes(page_)) {
        SEHead* r = Record(node);
        if (r != nullptr && r->kind == kSEDeclNode)
            (r->subKind == 1 ? global : local) += 1;
    }
    EXPECT_EQ(global, 1u);
    EXPECT_EQ(local, 1u);

    // Two arcs with their expressions; the input arc's bend points reversed.
    auto arcs = ArcExpressions(page_);
    std::sort(arcs.begin(), arcs.end());
    EXPECT_EQ(arcs, (std::vector<std::string>{"1`m", "1`n"}));
    for (const ObjectHandle connector : Connectors(page_)) {
        const std::string expression = Str(SEGetArcExpr(Record(connector)));
        FixPoint points[8] = {};
        uint16_t count = 8;
        ASSERT_NE(QXRdAttr_GetConnPoints(connector, &count, points), 0u);
        ASSERT_EQ(count, 4u) << expression;
        if (expression == "1`n") {
            EXPECT_EQ(points[1].x, 0x12c0000);
            EXPECT_EQ(points[1].y, 0x640000);
            EXPECT_EQ(points[2].y, 0x500000);
        } else {
            EXPECT_EQ(points[1].x, 0x960000);
            EXPECT_EQ(points[2].x, 0x640000);
        }
    }

    // The hierarchy: "Make" is a substitution transition of the subpage,
    // its socket "Out" assigned to the subpage's port "Out".
    EXPECT_EQ(SEGetSubKind(trans), kSESubstitution);
    EXPECT_EQ(SEGetSubpageObj(trans), pages[1]);
    const auto port = Named(pages[1], "Out");
    ASSERT_EQ(port.size(), 1u);
    EXPECT_EQ(SEGetSubKind(Record(port[0])), kSEPortOutput);
    EXPECT_EQ(EE_GetAssignedNode(make[0], out[0]), port[0]);
    ObjectHandle info = 0;
    EXPECT_EQ(GE_FindChildRegion(make[0], 221, &info), 0);
}

TEST_F(IDEFImportTest, SubpageWithoutTheSocketsPortIsReported)
{
    PageFile sub = SubPage();
    std::get<2>(sub.places[0]).text = PlaceText("Res", "", "INT", "", "Result", "");
    ASSERT_EQ(Import(Model({TopPage(), sub})), 1);
    EXPECT_TRUE(Shown("No port on subpage A1:_Make found with name Out"));
    EXPECT_EQ(ImportErrors, 1);
}

TEST_F(IDEFImportTest, ActivityWithoutItsSubpageIsReportedAndLeftAsItIs)
{
    PageFile other = SubPage();
    other.name = "A2 Other";
    ASSERT_EQ(Import(Model({TopPage(), other})), 1);
    EXPECT_TRUE(Shown("No subpage found with name Make"));
    const auto make = Named(page_, "Make");
    ASSERT_EQ(make.size(), 1u);
    EXPECT_EQ(SEGetSubKind(Record(make[0])), kSEPlain);
}

TEST_F(IDEFImportTest, PageWithOneHundredAndOneSocketsFailsAndStopsThePages)
{
    PageFile page;
    page.name = "Busy";
    Desc hub;
    for (long id = 10; id < 111; ++id) {
        hub.points.push_back(std::to_string(id));
        hub.points.push_back("P" + std::to_string(id));
        page.places.push_back({'P', id, Place(static_cast<Fixed>(id) * kUnit, 50 * kUnit,
                                              PlaceText("", "", "INT", "", "", ""))});
    }
    hub.points.push_back("0");
    hub.points.push_back("0");
    page.transitions = {{1, hub}};
    ASSERT_EQ(Import(Model({page, SubPage()})), 1);
    EXPECT_TRUE(Shown("QVmkhier failed due to too many sockets"));
    EXPECT_TRUE(Shown("Failed to translate page Busy"));
    // The page keeps what was made before; the pages after it are not made.
    EXPECT_EQ(NetPages().size(), 1u);
    EXPECT_EQ(Nodes(page_).size(), 102u);
}

TEST_F(IDEFImportTest, SocketUsedTwiceIsReportedAndKept)
{
    PageFile top = TopPage();
    top.transitions[0].second.points = {"2", "Out", "2", "Out", "0", "0"};
    ASSERT_EQ(Import(Model({top, SubPage()})), 1);
    EXPECT_TRUE(Shown("Multiple use of socket in boxid=A1"));
    EXPECT_EQ(NetPages().size(), 2u);
}

struct FailCase {
    const char* name;
    std::string content;
    std::vector<std::string> messages;
};

class DamagedFile : public IDEFImportTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(DamagedFile, FailsWithItsMessagesAndBuildsNothing)
{
    const size_t pagesBefore = Pages().size();
    EXPECT_EQ(Import(GetParam().content), 0);
    EXPECT_EQ(IDEF_Messages(), GetParam().messages);
    EXPECT_EQ(ImportErrors, GetParam().messages.empty() ? 0 : 1);
    EXPECT_EQ(Pages().size(), pagesBefore);
    EXPECT_TRUE(Nodes(page_).empty());
}

std::string Full() { return Model({TopPage(), SubPage()}); }

INSTANTIATE_TEST_SUITE_P(
    IDEF, DamagedFile,
    ::testing::Values(
        FailCase{"WrongType", "2 3 " + Counted("x") + " 0\n", {"Wrong type of input file"}},
        FailCase{"WrongVersion", "1 4 " + Counted("x") + " 0\n", {"File version = 4, Program version = 3"}},
        FailCase{"Empty", "", {}},
        // The diagram name's count promises more bytes than the file holds.
        FailCase{"NameCutShort", "1 3 500 factory", {"The file ends inside a text."}},
        // The place texts of the second page cut off.
        FailCase{"PageCutShort", Full().substr(0, Full().rfind("Out") + 2),
                 {"Nodes missing or wrong.", "The file ends inside a text.", "Failed to translate page A1:_Make"}},
        FailCase{"CountBeyondTheFile", "1 3 " + Counted("x") + " 9999\n", {}},
        FailCase{"UnknownEntryLetter",
                 "1 3 " + Counted("x") + " 1\np " + Counted("P") + " 10 10 0 0 0 1 Q 1 " + Write(Desc{}, false),
                 {"Nodes missing or wrong.", "Failed to translate page P"}},
        FailCase{"TokenOverItsLimit", "1 3 " + Counted("x") + " 12345\n", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IDEFReader, TokensNumbersHexAndCountedTexts)
{
    EXPECT_EQ(idef::hexValue("1A"), 0x10u);
    EXPECT_EQ(idef::hexValue("ff"), 0xffu);
    EXPECT_EQ(idef::hexValue("12c0000"), 0x12c0000u);

    const std::string text = "  12345 123456 \xff 7 3 abcdef 9 xy";
    idef::Reader in({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    long n = 0;
    EXPECT_TRUE(in.number(5, &n));
    EXPECT_EQ(n, 12345);
    EXPECT_FALSE(in.number(5, &n));  // one character over the limit
    // Byte 255 reads as the end.
    std::string token;
    EXPECT_FALSE(in.token(9, &token));
    EXPECT_TRUE(in.number(5, &n));
    std::string counted;
    EXPECT_TRUE(in.counted(&counted));
    EXPECT_EQ(counted, "abc");
    EXPECT_TRUE(in.token(9, &token));
    EXPECT_EQ(token, "def");
    EXPECT_FALSE(in.counted(&counted));
    EXPECT_TRUE(in.cutShort());

    EXPECT_EQ(idef::cleanName("A0: \"x\"#y\\z", 0), "A0:__x__y_z");
    EXPECT_EQ(idef::cleanName("abcdefghijklmnopqrstuvwxyz0123", 25), "abcdefghijklmnopqrstuvwxy");
}

TEST_F(IDEFImportTest, RuxelSectionsGiveOptionsAndTransferTexts)
{
    const std::string tail = "W Hours Euros 1 " + Counted("Lathe 2\nDrill 1") +
                             " W header [(\"Lathe\",(\"Drill\")),(\"Drill\",(\"Lathe\"))]";
    ASSERT_EQ(Import(Model({TopPage(), SubPage()}, tail), 1), 1);
    const IDEFRuxelResults& results = IDEF_RuxelResults();
    EXPECT_EQ(results.number, 1);
    EXPECT_EQ(results.text, "Lathe 2\nDrill 1");
    EXPECT_EQ(results.transferTexts,
              (std::vector<std::string>{"(TOLQ'RXL.transfan:=(\"Lathe\",(\"Drill\"))::(!TOLQ'RXL.transfan))",
                                        "(TOLQ'RXL.transfan:=(\"Drill\",(\"Lathe\"))::(!TOLQ'RXL.transfan))"}));
    EXPECT_EQ(ASQueuedRXLTextCount(), 2u);
    std::vector<uint8_t> options(256);
    DefCopyRXLOptions(nullptr, options.data());
    EXPECT_STREQ(reinterpret_cast<const char*>(options.data() + 24), "Euros");
    EXPECT_STREQ(reinterpret_cast<const char*>(options.data() + 44), "Hours");
    const SERoot* root = SECurrentRoot();
    EXPECT_STREQ(reinterpret_cast<const char*>(root->analysisOptions) + 44, "Hours");
    ASClearQueuedTexts();
}

TEST_F(IDEFImportTest, RuxelTransferSectionErrors)
{
    struct Case {
        const char* tail;
        int result;
        size_t texts;
    };
    for (const Case c : {Case{"W a b 0 0  W [(\"a\",(\"b\")", 1, 1},         // the end of the file ends the item
                         Case{"W a b 0 0  W no bracket", 0, 0},             // no "[" before the end
                         Case{"W a b 0 0  W [(\"a\",(\"b\"));", 0, 0},      // neither "," nor "]"
                         Case{"W a b -1 0  W [(\"a\",(\"b\"))]", 0, 0}}) {  // a negative number
        ASClearQueuedTexts();
        EXPECT_EQ(Import(Model({SubPage()}, c.tail), 1), c.result) << c.tail;
        EXPECT_EQ(ASQueuedRXLTextCount(), c.texts) << c.tail;
    }
    const std::string longItem = "W a b 0 0 W [(\"" + std::string(2100, 'x') + "\"))]";
    EXPECT_EQ(Import(Model({SubPage()}, longItem), 1), 0);
    ASClearQueuedTexts();
}

} // namespace

namespace {

TEST_F(IDEFImportTest, RegionsNestedTooDeeplyAreRefusedBeforeAnythingIsBuilt)
{
    Desc deep;
    for (int level = 0; level < 40; ++level) {
        Desc outer;
        outer.label = true;
        outer.regionKind = 7;
        outer.regions = {deep};
        deep = outer;
    }
    Desc holder;
    holder.regions = {deep};
    PageFile page;
    page.name = "P";
    page.transitions = {{1, holder}};
    EXPECT_EQ(Import(Model({page})), 0);
    ASSERT_GE(IDEF_Messages().size(), 2u);
    EXPECT_EQ(IDEF_Messages().front(), "Regions missing or wrong.");
    EXPECT_EQ(IDEF_Messages().back(), "Failed to translate page P");
    EXPECT_TRUE(Nodes(page_).empty());
}

TEST_F(IDEFImportTest, PointsCountBeyondTheFileIsRefused)
{
    PageFile page;
    page.name = "P";
    page.transitions = {{1, Desc{}}};
    std::string content = Model({page});
    // The transition's points flag, then a count of a million pairs.
    const size_t flag = content.rfind(" 0 0\n");
    ASSERT_NE(flag, std::string::npos);
    content = content.substr(0, flag) + " 1 1000000 1 2 0\n0\n";
    EXPECT_EQ(Import(content), 0);
    EXPECT_EQ(IDEF_Messages(), (std::vector<std::string>{"Nodes missing or wrong.", "Failed to translate page P"}));
}

TEST_F(IDEFImportTest, BrokenSocketListsAndArcsFailTheirPage)
{
    struct Case {
        std::vector<std::string> points;
        std::string arc;
        std::string message;
    };
    const Case cases[] = {
        {{"9", "Out", "0", "0"}, "", "hierarchy info wrong:phase 1 boxid = A1"},  // no place with id 9
        {{}, "9 O", "failed to make arc"},                                        // no place with id 9
        {{}, "2 O 10 20 30", "failed to make arc"},                                // a bend pair without its y
    };
    for (const Case& c : cases) {
        SetUpFresh();
        PageFile top = TopPage();
        Desc& make = top.transitions[0].second;
        make.points = c.points;
        if (!c.arc.empty())
            make.regions[2].text = c.arc;
        std::string content = Model({top, SubPage()});
        EXPECT_EQ(Import(content), 1);
        bool shown = false;
        for (const std::string& m : IDEF_Messages())
            shown = shown || m.rfind(c.message, 0) == 0;
        EXPECT_TRUE(shown) << c.message;
        EXPECT_TRUE(Shown("Failed to translate page A-0_Top"));
        // The page failed, so the subpage after it was not made.
        EXPECT_EQ(NetPages().size(), 1u);
    }
}

} // namespace
