// Files with errors and bad input: each problem becomes a line of the import
// log and loading goes on; truncated and malformed files end the load
// cleanly with nothing half-built.
#include <gtest/gtest.h>

#include "Interchange/XmlFormat.h"
#include "XmlFixture.h"

namespace {

const std::string kHead = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<tolqet>\n"
                          "<generator tool=\"Velkor/TOLQ\" version=\"4.0.4\"/>\n";

// A page with a number that no open page has, holding the body.
std::string PageFile(const std::string& body, int number = 7)
{
    return kHead + "<page id=\"pg\">\n<pageattr name=\"Loaded\" number=\"" + std::to_string(number) +
           "\"/>\n<winattr open=\"FALSE\"/>\n<box h=\"100\" w=\"100\"/>\n" + body + "</page>\n</tolqet>\n";
}

std::string PlaceElement(const std::string& id, const std::string& name, double x = 10)
{
    return "<place id=\"" + id + "\"><ellipse h=\"5\" w=\"8\"/><posattr x=\"" + std::to_string(x) +
           "\" y=\"-10\"/><name id=\"" + id + "n\"><text>" + name + "</text></name></place>\n";
}

std::string TransElement(const std::string& id, const std::string& name, const std::string& extra = "")
{
    return "<trans id=\"" + id + "\"><box h=\"5\" w=\"10\"/><posattr x=\"40\" y=\"-10\"/>" + extra + "<name id=\"" +
           id + "n\"><text>" + name + "</text></name></trans>\n";
}

std::string ArcElement(const std::string& id, const std::string& placeEnd, const std::string& transEnd,
                       const std::string& points = "")
{
    return "<arc id=\"" + id + "\" orientation=\"PtoT\"><seg-conn curv=\"0\" points=\"" + points +
           "\"/><placeend idref=\"" + placeEnd + "\"/><transend idref=\"" + transEnd + "\"/></arc>\n";
}

class XmlImport : public XmlTest {
protected:
    // Loads the text as a file; the result of the load.
    int Load(const std::string& text)
    {
        Write(Path("in.xml"), text);
        before_ = Pages();
        return XmlLoadFile(Path("in.xml"));
    }
    std::string Log() const { return Read(Path("in.xml.log")); }
    bool HasLog() const { return std::filesystem::exists(Path("in.xml.log")); }
    std::vector<ObjectHandle> Loaded() const { return NewPages(before_); }
    // The loaded page's objects of a net kind.
    std::vector<ObjectHandle> OfKind(const std::vector<ObjectHandle>& objects, uint16_t kind) const
    {
        std::vector<ObjectHandle> out;
        for (ObjectHandle o : objects)
            if (NetKind(o) == kind)
                out.push_back(o);
        return out;
    }
    std::vector<ObjectHandle> before_;
};

TEST_F(XmlImport, ACleanFileWritesNoLogAndShowsNoMessage)
{
    ASSERT_EQ(Load(PageFile(PlaceElement("p1", "P1") + TransElement("t1", "T1") + ArcElement("a1", "p1", "t1"))), 1);
    EXPECT_FALSE(HasLog());
    EXPECT_TRUE(xmlLog().messages.empty());
    ASSERT_EQ(Loaded().size(), 1u);
    const ObjectHandle page = Loaded()[0];
    EXPECT_EQ(PageName(page), "Loaded");
    EXPECT_EQ(OfKind(Nodes(page), kSEPlace).size(), 1u);
    EXPECT_EQ(OfKind(Nodes(page), kSETrans).size(), 1u);
    EXPECT_EQ(OfKind(Connectors(page), kSEArc).size(), 1u);
}

// Problems of single elements: the log's lines, and what is built anyway.
struct ProblemCase {
    const char* name;
    std::string body;
    std::string logLine;
    size_t places, transitions, arcs;
};

std::ostream& operator<<(std::ostream& out, const ProblemCase& c) { return out << c.name; }

class XmlImportProblems : public XmlImport, public testing::WithParamInterface<ProblemCase> {};

TEST_P(XmlImportProblems, AreLoggedAndTheRestIsBuilt)
{
    const ProblemCase& c = GetParam();
    ASSERT_EQ(Load(PageFile(c.body)), 1);
    EXPECT_NE(Log().find(c.logLine + "\n"), std::string::npos) << Log();
    ASSERT_FALSE(xmlLog().messages.empty());
    EXPECT_EQ(xmlLog().messages.back(), "Warnings/Errors detected.\nPlease check log-file:\n\n" + Path("in.xml.log"));
    ASSERT_EQ(Loaded().size(), 1u);
    const ObjectHandle page = Loaded()[0];
    EXPECT_EQ(OfKind(Nodes(page), kSEPlace).size(), c.places);
    EXPECT_EQ(OfKind(Nodes(page), kSETrans).size(), c.transitions);
    EXPECT_EQ(OfKind(Connectors(page), kSEArc).size(), c.arcs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlImportProblems,
    testing::Values(
        ProblemCase{"ArcToAMissingNode", PlaceElement("p1", "P1") + ArcElement("a1", "p1", "t9"),
                    "Couldn't create arc (ID: a1), because node with ID t9 didn't exist.", 1, 0, 0},
        ProblemCase{"ArcBetweenTwoPlaces",
                    PlaceElement("p1", "P1") + PlaceElement("p2", "P2", 30) + ArcElement("a1", "p1", "p2"),
                    "Couldn't create arc (ID: a1) because endpoint(s) had wrong type.", 2, 0, 0},
        ProblemCase{"ArcWithoutATransitionEnd",
                    PlaceElement("p1", "P1") +
                        "<arc id=\"a1\"><seg-conn points=\"\"/><placeend idref=\"p1\"/></arc>\n",
                    "Couldn't create arc (ID: a1) due to NULL endpoint.", 1, 0, 0},
        ProblemCase{"ArcFromTransitionToPlaceIsAccepted",
                    PlaceElement("p1", "P1") + TransElement("t1", "T1") + ArcElement("a1", "t1", "p1") +
                        ArcElement("a2", "p1", "t9"),
                    "Couldn't create arc (ID: a2), because node with ID t9 didn't exist.", 1, 1, 1},
        ProblemCase{"IdUsedTwice", PlaceElement("p1", "P1") + PlaceElement("p1", "P2", 30),
                    "Tried to add ID p1 more than once. IDs must be unique within file.", 2, 0, 0},
        ProblemCase{"FusionNameWithABlank",
                    "<place id=\"p1\"><ellipse h=\"5\" w=\"8\"/><fus-key id=\"k1\"><box h=\"2\" w=\"2\"/>"
                    "<fusion id=\"f1\" type=\"global\"><text>two words</text></fusion></fus-key></place>\n",
                    "Fusion name not legal (id: f1)", 1, 0, 0},
        ProblemCase{"SubstitutionOfAMissingSubpage", TransElement("t1", "T1", "<subst subpage=\"id404\"/>"),
                    "Couldn't make transition (ID: t1) into a substitution transition", 0, 1, 0},
        ProblemCase{"PointsThatDoNotRead",
                    PlaceElement("p1", "P1") + TransElement("t1", "T1") +
                        ArcElement("a1", "p1", "t1", "(1.0,2.0)(x,y)(3.0,4.0)"),
                    "Some points was lost when creating connector, arc or polygon", 1, 1, 1},
        ProblemCase{"UnknownOptionOfAnAttribute",
                    "<place id=\"p1\"><ellipse h=\"5\" w=\"8\"/>\n<textattr bogus=\"1\"/></place>\n",
                    ": unknown option 'bogus' in textattr.\n", 1, 0, 0},
        ProblemCase{"ConnectorShapeOnANode", "<aux id=\"x1\"><seg-conn points=\"\"/></aux>\n",
                    "Encountered node (ID: x1) with unknown tag", 0, 0, 0}),
    [](const testing::TestParamInfo<ProblemCase>& info) { return std::string(info.param.name); });

TEST_F(XmlImport, ASeriousErrorAlsoSaysSo)
{
    ASSERT_EQ(Load(PageFile(PlaceElement("p1", "P1") + TransElement("t1", "T1") +
                            "<arc id=\"a1\"><box h=\"1\" w=\"1\"/><placeend idref=\"p1\"/><transend idref=\"t1\"/>"
                            "</arc>\n")),
              1);
    EXPECT_NE(Log().find("Unknown shape while creating arc (ID: a1).\n"), std::string::npos);
    EXPECT_NE(std::find(xmlLog().messages.begin(), xmlLog().messages.end(),
                        "Serious error occured! Save changes and restart."),
              xmlLog().messages.end());
}

TEST_F(XmlImport, APageNumberInUseIsRenumbered)
{
    ASSERT_EQ(Load(PageFile(PlaceElement("p1", "P1"), 1)), 1);
    EXPECT_EQ(Log(), "Renumbering page from 1 to 2\n");
    ASSERT_EQ(Loaded().size(), 1u);
    uint16_t number = 0;
    PageName(Loaded()[0], &number);
    EXPECT_EQ(number, 2);
}

TEST_F(XmlImport, ALoadOverwritesTheLogOfAnEarlierOne)
{
    ASSERT_EQ(Load(PageFile(PlaceElement("p1", "P1") + ArcElement("a1", "p1", "t9"))), 1);
    XmlLogFinish();
    ASSERT_EQ(Load(PageFile(PlaceElement("p1", "P1") + PlaceElement("p1", "P2"), 8)), 1);
    EXPECT_EQ(Log().find("Couldn't create arc"), std::string::npos);
    EXPECT_NE(Log().find("Tried to add ID p1 more than once."), std::string::npos);
}

// Bad input: the load ends cleanly and builds nothing.
struct BadInput {
    const char* name;
    std::string text;
    int result;
};

std::ostream& operator<<(std::ostream& out, const BadInput& c) { return out << c.name; }

class XmlBadInput : public XmlImport, public testing::WithParamInterface<BadInput> {};

TEST_P(XmlBadInput, EndsTheLoadWithoutPages)
{
    EXPECT_EQ(Load(GetParam().text), GetParam().result);
    EXPECT_TRUE(Loaded().empty());
}

const std::string kFull = PageFile(PlaceElement("p1", "P1") + TransElement("t1", "T1"));

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlBadInput,
    testing::Values(BadInput{"TruncatedInsideATag", kFull.substr(0, kFull.find("<posattr") + 12), -1},
                    BadInput{"TruncatedAfterAStartTag", kFull.substr(0, kFull.find("<place") + 16), 1},
                    BadInput{"EmptyFile", "", 1},
                    BadInput{"BinaryGarbage", std::string("\x01\x02<\xff\xfe>\x00\x07", 9), 1},
                    BadInput{"AttributeWithoutValue", kHead + "<page id=></page></tolqet>", 1},
                    BadInput{"ValueLongerThanTheScanner",
                             kHead + "<page id=\"" + std::string(20000, 'x') + "\"></page></tolqet>", -1}),
    [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

TEST_F(XmlImport, UnknownElementsArePassedOverWithWhatTheyHold)
{
    ASSERT_EQ(Load(PageFile("<frobnicate><place id=\"p0\"><ellipse h=\"5\" w=\"8\"/></place></frobnicate>\n" +
                            PlaceElement("p1", "P1") + "<widget size=\"3\"/>\n")),
              1);
    ASSERT_EQ(Loaded().size(), 1u);
    const auto places = OfKind(Nodes(Loaded()[0]), kSEPlace);
    ASSERT_EQ(places.size(), 1u);
    EXPECT_EQ(Text(Regions(places[0]).at(0)), "P1");
}

TEST_F(XmlImport, HugeCountsAreBoundedAndLoadCleanly)
{
    // A connector with more corners than a connector can hold, a polygon of
    // many points and a port/socket list of many pairs.
    std::string corners, many, pairs;
    for (int i = 0; i < 200; ++i)
        corners += "(" + std::to_string(10 + i * 0.1) + ",-5.0)";
    for (int i = 0; i < 1000; ++i)
        many += "(" + std::to_string(i % 100) + ".0," + std::to_string(i / 100) + ".0)";
    for (int i = 0; i < 900; ++i)
        pairs += "(p" + std::to_string(i) + ", s" + std::to_string(i) + ")";
    const std::string body = PlaceElement("p1", "P1") +
                             TransElement("t1", "T1", "<subst subpage=\"pg\" portsock=\"" + pairs + "\"/>") +
                             ArcElement("a1", "p1", "t1", corners) + "<aux id=\"x1\"><poly points=\"" + many +
                             "\"/></aux>\n";
    ASSERT_EQ(Load(PageFile(body)), 1);
    ASSERT_EQ(Loaded().size(), 1u);
    const ObjectHandle page = Loaded()[0];
    const auto arcs = OfKind(Connectors(page), kSEArc);
    ASSERT_EQ(arcs.size(), 1u);
    FixPoint points[61] = {};
    uint16_t count = 0;
    ASSERT_EQ(QXRdAttr_GetConnPoints(arcs[0], &count, points), 1u);
    EXPECT_LE(count, 61);
    bool polygon = false;
    for (ObjectHandle n : Nodes(page))
        polygon = polygon || QXRdAttr_GetShape(n) == 3;
    EXPECT_TRUE(polygon);
}

}  // namespace

namespace {

TEST_F(XmlImport, ArcsEndAtEndPointRegionsOnly)
{
    const std::string place = "<place id=\"p1\"><ellipse h=\"5\" w=\"8\"/><posattr x=\"10\" y=\"-10\"/>"
                              "<name id=\"p1n\"><text>P1</text></name>"
                              "<aux-endp id=\"e1\"><regattr hoffset=\"2\" voffset=\"0\"/></aux-endp></place>\n";
    const std::string arcs =
        "<arc id=\"a1\" orientation=\"PtoT\"><seg-conn points=\"\"/><placeend idref=\"p1\" endpoint=\"e1\"/>"
        "<transend idref=\"t1\"/></arc>\n"
        "<arc id=\"a2\" orientation=\"PtoT\"><seg-conn points=\"\"/><placeend idref=\"p1\" endpoint=\"p1n\"/>"
        "<transend idref=\"t1\"/></arc>\n";
    ASSERT_EQ(Load(PageFile(place + TransElement("t1", "T1") + arcs)), 1);
    EXPECT_EQ(Log(), "Couldn't set endpoints (IDs: p1n, t1) for nodes (IDs: p1, t1)\n");
    ASSERT_EQ(Loaded().size(), 1u);
    const auto arcsMade = OfKind(Connectors(Loaded()[0]), kSEArc);
    ASSERT_EQ(arcsMade.size(), 2u);
    const ObjectHandle placeNode = OfKind(Nodes(Loaded()[0]), kSEPlace).at(0);
    int atRegion = 0, atNode = 0;
    for (ObjectHandle arc : arcsMade) {
        ObjectHandle end1 = 0, end2 = 0;
        QXRdAttr_GetConnEnds(arc, 1, &end1, &end2);
        if (end1 == placeNode)
            ++atNode;
        else if (QXStr_GetBaseObject(end1) == placeNode && GE_RegionKindOf(end1) == kRegionAux)
            ++atRegion;
    }
    EXPECT_EQ(atRegion, 1);
    EXPECT_EQ(atNode, 1) << "the arc to a name region keeps its node end";
}

TEST_F(XmlImport, ANoPageFileHoldsHeaderCountAndTrailer)
{
    const std::string path = Path("empty.xml");
    ASSERT_EQ(XmlWriteFile(path, std::vector<ObjectHandle>{}), 1);
    EXPECT_EQ(Read(path), "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<tolqet>\n"
                          "<generator tool=\"Velkor/TOLQ\" version=\"4.0.4\"/>\n<!-- File " +
                              path + " -->\n<!-- Verbose_Level = 2 -->\n<!-- 0 page(s) were found -->\n</tolqet>\n");
    // Reading it back builds nothing and the hierarchy page becomes current.
    EXPECT_EQ(Load(Read(path)), 1);
    EXPECT_TRUE(Loaded().empty());
    EXPECT_FALSE(HasLog());
}

TEST_F(XmlImport, LegacyFilesOfTheKnownToolAreScaled)
{
    const std::string body = "<aux id=\"x1\"><box h=\"10\" w=\"20\"/><posattr x=\"30\" y=\"-40\"/></aux>\n";
    std::string legacy = PageFile(body);
    legacy.replace(legacy.find("4.0.4"), 5, "3.1");
    ASSERT_EQ(Load(legacy), 1);
    ASSERT_EQ(Loaded().size(), 1u);
    const ObjectHandle node = Nodes(Loaded()[0]).at(0);
    EXPECT_NEAR(Size(node).x, XmlMmToFixed(2.0), 2) << "the kernel keeps sizes even";
    EXPECT_EQ(Position(node).x, XmlMmToFixed(3.0));
    EXPECT_EQ(Position(node).y, XmlMmToFixed(4.0)) << "y is negated as usual";
}

// Picture names are read inside the folder of the loaded file only; names
// that lead out of it (upwards, absolute, through a symbolic link) are
// refused with a log line and no picture is made.
struct PictureName {
    const char* name;
    std::string fileName;  // as the file writes it; "@" stands for the folder's path
    bool refused;
    bool made;
};

std::ostream& operator<<(std::ostream& out, const PictureName& c) { return out << c.name; }

class XmlPictureNames : public XmlImport, public testing::WithParamInterface<PictureName> {
protected:
    void SetUp() override
    {
        XmlImport::SetUp();
        namespace fs = std::filesystem;
        folder_ = dir_ / "folder";
        fs::create_directories(folder_ / "pics");
        std::string raw(512, '\0');
        raw += std::string("\0\x06", 2) + "abcd";
        Write((folder_ / "pics/p.pict").string(), raw);
        Write((dir_ / "secret.pict").string(), raw);
        fs::create_symlink(folder_ / "pics/p.pict", folder_ / "pics/inner-link.pict");
        fs::create_symlink(dir_ / "secret.pict", folder_ / "pics/out-link.pict");
        fs::create_symlink(dir_, folder_ / "pics/dir-link");
    }
    std::filesystem::path folder_;
};

TEST_P(XmlPictureNames, StayInsideThePictureFolder)
{
    const PictureName& c = GetParam();
    std::string fileName = c.fileName;
    if (size_t at = fileName.find('@'); at != std::string::npos)
        fileName.replace(at, 1, folder_.string());
    const std::string path = (folder_ / "in.xml").string();
    Write(path, PageFile("<aux id=\"x1\"><picture h=\"5\" w=\"5\" filename=\"" + fileName +
                         "\"/><posattr x=\"10\" y=\"-10\"/></aux>\n"));
    before_ = Pages();
    ASSERT_EQ(XmlLoadFile(path), 1);
    const std::string log = Read(path + ".log");
    EXPECT_EQ(log.find("Picture file name refused since it leads out of the picture folder (ID: x1): " + fileName +
                       "\n") != std::string::npos,
              c.refused)
        << log;
    ASSERT_EQ(Loaded().size(), 1u);
    EXPECT_EQ(Nodes(Loaded()[0]).size(), c.made ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlPictureNames,
    testing::Values(PictureName{"PlainNameInside", "pics/p.pict", false, true},
                    PictureName{"LinkThatStaysInside", "pics/inner-link.pict", false, true},
                    PictureName{"Upwards", "../secret.pict", true, false},
                    PictureName{"UpwardsAndBackIn", "pics/../pics/p.pict", true, false},
                    PictureName{"AbsolutePathEvenInside", "@/pics/p.pict", true, false},
                    PictureName{"LinkToAFileOutside", "pics/out-link.pict", true, false},
                    PictureName{"LinkToAFolderOutside", "pics/dir-link/secret.pict", true, false},
                    PictureName{"MissingFileIsOnlyNotFound", "pics/none.pict", false, false}),
    [](const testing::TestParamInfo<PictureName>& info) { return std::string(info.param.name); });

TEST_F(XmlImport, AMissingPictureSaysWhichFile)
{
    ASSERT_EQ(Load(PageFile("<aux id=\"x1\"><picture h=\"5\" w=\"5\" filename=\"gone.pict\"/></aux>\n")), 1);
    EXPECT_NE(std::find(xmlLog().messages.begin(), xmlLog().messages.end(),
                        "could not open file : " + Path("gone.pict")),
              xmlLog().messages.end());
    EXPECT_FALSE(HasLog());
}

}  // namespace
