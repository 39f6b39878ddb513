// A small net page with every kind of object is written as XML, the file is
// checked against the format, and reading it back gives the same objects.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <sys/stat.h>

#include "Interchange/XmlFormat.h"
#include "XmlFixture.h"

namespace {

constexpr char kEscapedText[] = "a <tag> & \"quote\" 'apos' > end";

// Fixed values written in millimetres with five decimals come back within
// one unit of the conversion step.
constexpr Fixed kTolerance = 2;

testing::AssertionResult Near(Fixed a, Fixed b)
{
    if (std::abs(static_cast<int64_t>(a) - b) <= kTolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << a << " vs " << b;
}

std::vector<uint8_t> RawPicture(const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> file(512, 0);
    const size_t length = data.size() + 2;
    file.push_back(static_cast<uint8_t>(length >> 8));
    file.push_back(static_cast<uint8_t>(length & 0xFF));
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

class XmlRoundTrip : public XmlTest {
protected:
    void SetUp() override
    {
        XmlTest::SetUp();
        if (HasFatalFailure())
            return;
        place_ = Place(100 * kPx, 100 * kPx, "P1");
        Region(place_, kRegionColourSet, "INT");
        Region(place_, kRegionInitMark, "1`3");
        trans_ = Transition(260 * kPx, 100 * kPx, "T1");
        Region(trans_, kRegionGuard, "[x<>0]");
        arc_ = Arc(place_, trans_, 1);
        Region(arc_, kRegionArcExpr, "x");
        const FixPoint corners[4] = {Position(place_), {180 * kPx, 40 * kPx}, {200 * kPx, 40 * kPx}, Position(trans_)};
        EXPECT_EQ(QXWtAttr_SetConnPoints(arc_, 4, corners), 1u);
        backArc_ = Arc(trans_, place_, 1);
        Region(backArc_, kRegionArcExpr, "y");

        rbox_ = QXStr_CreateNode(page_, 100 * kPx, 200 * kPx, 50 * kPx, 30 * kPx, 4);
        QXWtAttr_SetRoundedness(rbox_, 6 << 15, 6 << 15);
        wedge_ = QXStr_CreateNode(page_, 200 * kPx, 200 * kPx, 40 * kPx, 40 * kPx, 5);
        QXWtAttr_SetWedgeAngles(wedge_, 30, 120);
        const FixPoint triangle[3] = {{300 * kPx, 200 * kPx}, {340 * kPx, 200 * kPx}, {320 * kPx, 230 * kPx}};
        poly_ = QXStr_CreatePolygon(page_, 3, triangle);
        const FixPoint stroke[2] = {{50 * kPx, 300 * kPx}, {150 * kPx, 320 * kPx}};
        line_ = QXStr_CreateLine(page_, 2, stroke);
        label_ = QXStr_CreateLabel(page_, 250 * kPx, 300 * kPx, 0, 0, kEscapedText);
        text_ = QXStr_CreateNode(page_, 380 * kPx, 300 * kPx, 80 * kPx, 30 * kPx, 1);
        QXText_SetText(text_, "Courier text");
        QXText_SetTextAttr(text_, 1, 14, 2 | 4, 1);
        QXColor_SetColors(text_, 6, 14, 10);
        QXWtAttr_SetLineAttr(text_, 1, 3, 4, 1);
        const std::string pictureFile = Path("source.pict");
        const auto raw = RawPicture({1, 2, 3, 4, 5, 6, 7, 8});
        Write(pictureFile, std::string(raw.begin(), raw.end()));
        picture_ = QXStr_LoadPicture(page_, 400 * kPx, 100 * kPx, 20 * kPx, 20 * kPx, pictureFile.c_str());
        decl_ = QXStr_CreateNode(page_, 400 * kPx, 400 * kPx, 100 * kPx, 40 * kPx, 1);
        QXText_SetText(decl_, "color INT = int;");
        EXPECT_EQ(EE_CreateDeclNode(decl_, 0, 1), 1);
        aux_ = QXStr_CreateConnector(page_, rbox_, wedge_);
        QXWtAttr_SetDirection(aux_, 3);
        for (ObjectHandle made : {rbox_, wedge_, poly_, line_, label_, text_, picture_, decl_, aux_})
            ASSERT_NE(made, 0u);
        path_ = Path("net.xml");
    }

    ObjectHandle place_ = 0, trans_ = 0, arc_ = 0, backArc_ = 0, rbox_ = 0, wedge_ = 0, poly_ = 0, line_ = 0;
    ObjectHandle label_ = 0, text_ = 0, picture_ = 0, decl_ = 0, aux_ = 0;
    std::string path_;
};

std::string Id(ObjectHandle object)
{
    return "id=\"id" + std::to_string(object) + "\"";
}

TEST_F(XmlRoundTrip, TheFileFollowsTheFormat)
{
    ASSERT_EQ(XmlWriteFile(path_, std::vector<ObjectHandle>{page_}), 1);
    const std::string xml = Read(path_);
    const std::string head = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<tolqet>\n"
                             "<generator tool=\"Velkor/TOLQ\" version=\"4.0.4\"/>\n<!-- File " +
                             path_ + " -->\n<!-- Verbose_Level = 2 -->\n<!-- 1 page(s) were found -->\n";
    EXPECT_EQ(xml.substr(0, head.size()), head);
    EXPECT_EQ(xml.substr(xml.size() - 10), "</tolqet>\n");
    const std::string expected[] = {
        "<page " + Id(page_) + ">",
        "  <pageattr name=\"Top\" number=\"1\" visbor=\"TRUE\"",
        "  <mult insts=\"",
        "  <modeattr siminc=\"",
        "  <winattr open=\"FALSE\" width=\"579\" height=\"774\" xpos=\"1\" ypos=\"1\"/>",
        "  <place " + Id(place_) + ">",
        "  <trans " + Id(trans_) + ">",
        "  <arc " + Id(arc_) + " orientation=\"PtoT\">",
        "  <arc " + Id(backArc_) + " orientation=\"TtoP\">",
        "    <placeend idref=\"id" + std::to_string(place_) + "\"/>",
        "    <transend idref=\"id" + std::to_string(trans_) + "\"/>",
        "<name id=", "<type id=", "<initmark id=", "<cond id=", "<annot id=",
        "    <rbox h=\"10.58333\" w=\"17.63889\" curv=\"6\"/>",
        " startAngle=30 endAngle=120/>",
        "<poly  points=\"(105.83333,-70.55555)(119.94444,-70.55555)(112.88889,-81.13889)\"/>",
        "<line  points=\"(",
        "    <label/>",
        "filename=\"net.xml_image/image" + std::to_string(picture_) + "\"/>",
        "<textattr font=\"Courier\" size=\"14\" just=\"Left\" colour=\"blue\" bold=\"TRUE\" italic=\"TRUE\" "
        "underlin=\"FALSE\"",
        "<lineattr type=\"Dashed\" thick=\"3\" colour=\"red\"/>",
        "<fillattr pattern=\"Chessboard\" colour=\"yellow\"/>",
        "  <aux-conn " + Id(aux_) + " orientation=\"BOTHDIR\">",
        "    <node1 idref=\"id" + std::to_string(rbox_) + "\"/>",
        "  <globdecl " + Id(decl_) + ">",
        "<text>a &lt;tag> &amp; &quot;quote&quot; &apos;apos&apos; > end</text>",
        "<regattr colorap=",
        "<seg-conn curv=\"0\" points=\"(63.50000,-14.11111)(70.55555,-14.11111)\"/>",
        "</page>\n\n</tolqet>\n",
    };
    for (const std::string& fragment : expected)
        EXPECT_NE(xml.find(fragment), std::string::npos) << fragment;
    EXPECT_EQ(xml.find("<aux id=\"id" + std::to_string(place_)), std::string::npos);

    // The picture lies beside the file in the raw picture format.
    const std::string picture = Read(Path("net.xml_image/image" + std::to_string(picture_)));
    const auto raw = RawPicture({1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(picture, std::string(raw.begin(), raw.end()));
}

TEST_F(XmlRoundTrip, TheFilterUnescapesTheWrittenText)
{
    ASSERT_EQ(XmlWriteFile(path_, std::vector<ObjectHandle>{page_}), 1);
    const std::string out = Path("filtered.txt");
    const std::string command = std::string(TOLQ_BIN_DIR) + "/xmlfilter < '" + path_ + "' > '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string text = Read(out);
    EXPECT_NE(text.find(std::string("<text>") + kEscapedText + "</text>"), std::string::npos);
    EXPECT_EQ(text.find("<tolqet>"), std::string::npos);
    EXPECT_NE(text.find("<label>"), std::string::npos);
}

TEST_F(XmlRoundTrip, ReadingBackGivesTheSameObjects)
{
    ASSERT_EQ(XmlWriteFile(path_, std::vector<ObjectHandle>{page_}), 1);
    const std::vector<ObjectHandle> before = Pages();
    ASSERT_EQ(XmlLoadFile(path_), 1);
    const std::vector<ObjectHandle> loaded = NewPages(before);
    ASSERT_EQ(loaded.size(), 1u);
    const ObjectHandle page = loaded[0];
    uint16_t number = 0;
    EXPECT_EQ(PageName(page, &number), "Top");
    EXPECT_NE(number, 1) << "the open page keeps number 1";

    const auto oldNodes = Nodes(page_), newNodes = Nodes(page);
    ASSERT_EQ(newNodes.size(), oldNodes.size());
    for (size_t i = 0; i < oldNodes.size(); ++i) {
        SCOPED_TRACE("node " + std::to_string(i) + ": " + Text(oldNodes[i]));
        const ObjectHandle a = oldNodes[i], b = newNodes[i];
        EXPECT_EQ(QXRdAttr_GetShape(b), QXRdAttr_GetShape(a));
        EXPECT_EQ(QXUtil_IsLabel(b), QXUtil_IsLabel(a));
        EXPECT_EQ(NetKind(b), NetKind(a));
        EXPECT_EQ(Text(b), Text(a));
        EXPECT_TRUE(Near(Position(b).x, Position(a).x));
        EXPECT_TRUE(Near(Position(b).y, Position(a).y));
        EXPECT_TRUE(Near(Size(b).x, Size(a).x));
        EXPECT_TRUE(Near(Size(b).y, Size(a).y));
        const auto oldRegions = Regions(a), newRegions = Regions(b);
        ASSERT_EQ(newRegions.size(), oldRegions.size());
        for (size_t r = 0; r < oldRegions.size(); ++r) {
            EXPECT_EQ(GE_RegionKindOf(newRegions[r]), GE_RegionKindOf(oldRegions[r]));
            EXPECT_EQ(Text(newRegions[r]), Text(oldRegions[r]));
            EXPECT_TRUE(Near(Position(newRegions[r]).x, Position(oldRegions[r]).x));
            EXPECT_TRUE(Near(Position(newRegions[r]).y, Position(oldRegions[r]).y));
        }
    }
    // Attributes of the text node.
    const ObjectHandle text = newNodes[std::find(oldNodes.begin(), oldNodes.end(), text_) - oldNodes.begin()];
    int32_t font = 0, size = 0, style = 0, just = 0;
    uint32_t scroll = 0, spare = 0;
    ASSERT_EQ(QXText_GetTextAttr(text, &font, &size, &style, &just, &scroll, &spare), 1u);
    EXPECT_EQ(font, 1);
    EXPECT_EQ(size, 14);
    EXPECT_EQ(style, 2 | 4);
    EXPECT_EQ(just, 1);
    int16_t line = 0, fill = 0, colour = 0;
    QXColor_GetLineColor(text, &line);
    QXColor_GetFillColor(text, &fill);
    QXColor_GetTextColor(text, &colour);
    EXPECT_EQ(line, 6);
    EXPECT_EQ(fill, 14);
    EXPECT_EQ(colour, 10);
    uint32_t lineStyle = 0, pattern = 0, visible = 0;
    int16_t width = 0;
    QXRdAttr_GetLineAttr(text, &lineStyle, &width, &pattern, &visible);
    EXPECT_EQ(lineStyle, 1u);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(pattern, 4u);
    // The wedge's angles and the rounded box's roundness.
    const auto at = [&](ObjectHandle old) {
        return newNodes[std::find(oldNodes.begin(), oldNodes.end(), old) - oldNodes.begin()];
    };
    int32_t start = 0, extent = 0;
    ASSERT_EQ(QXRdAttr_GetWedgeAngles(at(wedge_), &start, &extent), 1u);
    EXPECT_EQ(start, 30);
    EXPECT_EQ(extent, 120);
    uint32_t round1 = 0, round2 = 0;
    ASSERT_EQ(QXRdAttr_GetRoundedness(at(rbox_), &round1, &round2), 1u);
    EXPECT_EQ(round1, 6u << 15);

    // Connectors: the arcs with their inscriptions, ends and corners, and the
    // auxiliary connector.
    const auto oldConns = Connectors(page_), newConns = Connectors(page);
    ASSERT_EQ(newConns.size(), oldConns.size());
    // The connector between the loaded counterparts of the two ends.
    const auto counterpart = [&](ObjectHandle e1, ObjectHandle e2, uint16_t kind, uint32_t direction) {
        for (ObjectHandle c : newConns) {
            ObjectHandle c1 = 0, c2 = 0;
            QXRdAttr_GetConnEnds(c, 0, &c1, &c2);
            if (NetKind(c) == kind && c1 == at(e1) && c2 == at(e2) && QXRdAttr_GetDirection(c) == direction)
                return c;
        }
        return ObjectHandle{0};
    };
    for (size_t i = 0; i < oldConns.size(); ++i) {
        SCOPED_TRACE("connector " + std::to_string(i));
        const ObjectHandle a = oldConns[i];
        ObjectHandle a1 = 0, a2 = 0;
        QXRdAttr_GetConnEnds(a, 0, &a1, &a2);
        // The reader makes every arc from its place; the flow stays.
        const bool swapped = NetKind(a) == kSEArc && NetKind(a1) == kSETrans;
        const uint32_t direction = QXRdAttr_GetDirection(a);
        const ObjectHandle b = swapped ? counterpart(a2, a1, NetKind(a), direction == 1 || direction == 2 ? 3 - direction
                                                                                                         : direction)
                                       : counterpart(a1, a2, NetKind(a), direction);
        ASSERT_NE(b, 0u) << "no connector with the same ends and flow";
        const auto oldRegions = Regions(a), newRegions = Regions(b);
        ASSERT_EQ(newRegions.size(), oldRegions.size());
        for (size_t r = 0; r < oldRegions.size(); ++r)
            EXPECT_EQ(Text(newRegions[r]), Text(oldRegions[r]));
    }
    FixPoint oldCorners[61] = {}, newCorners[61] = {};
    uint16_t oldCount = 0, newCount = 0;
    ASSERT_EQ(QXRdAttr_GetConnPoints(arc_, &oldCount, oldCorners), 1u);
    ASSERT_EQ(QXRdAttr_GetConnPoints(counterpart(place_, trans_, kSEArc, 1), &newCount, newCorners), 1u);
    ASSERT_EQ(newCount, oldCount);
    for (uint16_t i = 1; i + 1 < oldCount; ++i) {
        EXPECT_TRUE(Near(newCorners[i].x, oldCorners[i].x));
        EXPECT_TRUE(Near(newCorners[i].y, oldCorners[i].y));
    }
    // The abstract net: the arc's expression and the place's name.
    SEHead* record = nullptr;
    ASSERT_EQ(GE_GetSERecord(at(place_), &record), 1);
    EXPECT_STREQ(SEGetName(record), "P1");
    // Renumbering is the only thing the log reports.
    EXPECT_EQ(Read(path_ + ".log"), "Renumbering page from 1 to 2\n");
}

}  // namespace

namespace {

// A substitution transition with its subpage and a port assignment, and a
// global fusion set of two places.
class XmlHierarchyRoundTrip : public XmlTest {
protected:
    void SetUp() override
    {
        XmlTest::SetUp();
        if (HasFatalFailure())
            return;
        sub_ = NetPage("Sub", 2);
        port_ = Place(100 * kPx, 100 * kPx, "In", sub_);
        ASSERT_EQ(EE_MakePort(port_, 1), 1);
        socket_ = Place(100 * kPx, 100 * kPx, "S");
        trans_ = Transition(250 * kPx, 100 * kPx, "T");
        Arc(socket_, trans_, 1);
        ASSERT_EQ(EE_MakeCompound(trans_, 6, nullptr), 1);
        ASSERT_EQ(EE_AssignSubpage(trans_, sub_, 0), 1);
        ASSERT_EQ(EE_AssignPort(trans_, socket_, port_), 1);
        fused1_ = Place(100 * kPx, 250 * kPx, "F1");
        fused2_ = Place(250 * kPx, 250 * kPx, "F2");
        SEPlaceFusSet* set = SECreatePlaceFusSet(1, nullptr);
        ASSERT_NE(set, nullptr);
        char* name = static_cast<char*>(QXMem_Alloc(7));
        std::memcpy(name, "Shared", 7);
        SESetName(&set->head, name);
        ASSERT_EQ(EE_AddFusionMember(fused1_, &set->head), 1);
        ASSERT_EQ(EE_AddFusionMember(fused2_, &set->head), 1);
        path_ = Path("net.xml");
    }
    ObjectHandle sub_ = 0, port_ = 0, socket_ = 0, trans_ = 0, fused1_ = 0, fused2_ = 0;
    std::string path_;
};

TEST_F(XmlHierarchyRoundTrip, SubstitutionsPortsAndFusionSetsComeBack)
{
    ASSERT_EQ(XmlWriteFile(path_, std::vector<ObjectHandle>{page_, sub_}), 1);
    const std::string xml = Read(path_);
    EXPECT_NE(xml.find("<subst subpage=\"id" + std::to_string(sub_) + "\" portsock=\"(id" + std::to_string(port_) +
                       ", id" + std::to_string(socket_) + ")\"/>"),
              std::string::npos);
    EXPECT_NE(xml.find("<port type=\"in\"/>"), std::string::npos);
    EXPECT_NE(xml.find("type=\"global\""), std::string::npos);

    const std::vector<ObjectHandle> before = Pages();
    ASSERT_EQ(XmlLoadFile(path_), 1);
    const auto loaded = NewPages(before);
    ASSERT_EQ(loaded.size(), 2u);
    const ObjectHandle top = PageName(loaded[0]) == "Top" ? loaded[0] : loaded[1];
    const ObjectHandle sub = top == loaded[0] ? loaded[1] : loaded[0];
    ASSERT_EQ(PageName(sub), "Sub");

    const ObjectHandle trans = Named(top, kSETrans, "T"), socket = Named(top, kSEPlace, "S");
    const ObjectHandle port = Named(sub, kSEPlace, "In");
    ASSERT_NE(trans, 0u);
    ASSERT_NE(socket, 0u);
    ASSERT_NE(port, 0u);
    SEHead* record = nullptr;
    ASSERT_EQ(GE_GetSERecord(trans, &record), 1);
    EXPECT_EQ(SEGetSubpageObj(record), sub);
    EXPECT_EQ(EE_GetAssignedNode(trans, socket), port);
    ASSERT_EQ(GE_GetSERecord(port, &record), 1);
    EXPECT_NE(SEIsPort(record), 0);
    EXPECT_EQ(record->subKind, 1) << "an input port";

    SEHead* f1 = nullptr;
    SEHead* f2 = nullptr;
    ASSERT_EQ(GE_GetSERecord(Named(top, kSEPlace, "F1"), &f1), 1);
    ASSERT_EQ(GE_GetSERecord(Named(top, kSEPlace, "F2"), &f2), 1);
    ASSERT_NE(SEGetFusSet(f1), nullptr);
    EXPECT_EQ(SEGetFusSet(f1), SEGetFusSet(f2));
    EXPECT_STREQ(SEGetName(SEGetFusSet(f1)), "Shared");
    // Both page numbers are taken: the last colliding page of the file is
    // renumbered first, to the smallest free numbers.
    EXPECT_EQ(Read(path_ + ".log"), "Renumbering page from 2 to 3\nRenumbering page from 1 to 4\n");
}

TEST_F(XmlHierarchyRoundTrip, ASubpageThatIsNotWrittenDropsTheSubstitution)
{
    ASSERT_EQ(XmlWriteFile(path_, std::vector<ObjectHandle>{page_}), 1);
    const std::string xml = Read(path_);
    EXPECT_EQ(xml.find("<subst "), std::string::npos);
    EXPECT_NE(xml.find("<trans id=\"id" + std::to_string(trans_) + "\">"), std::string::npos);
}

TEST_F(XmlHierarchyRoundTrip, TheHierarchyPageElementPlacesThePageNodes)
{
    const std::string file =
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<tolqet>\n"
        "<page id=\"pg\"><pageattr name=\"Loaded\" number=\"7\"/><winattr open=\"FALSE\"/><box h=\"50\" w=\"50\"/>"
        "</page>\n"
        "<hierpage id=\"h\"><pageattr name=\"Hierarchy\" number=\"0\"/><winattr open=\"FALSE\"/>"
        "<box h=\"100\" w=\"100\"/>"
        "<pagenode id=\"pn\" pageref=\"pg\"><box h=\"10\" w=\"20\"/><posattr x=\"50.8\" y=\"-25.4\"/></pagenode>"
        "<pagenode id=\"lost\" pageref=\"nowhere\"><posattr x=\"1\" y=\"1\"/></pagenode>"
        "</hierpage>\n</tolqet>\n";
    Write(path_, file);
    const std::vector<ObjectHandle> before = Pages();
    ASSERT_EQ(XmlLoadFile(path_), 1);
    const auto loaded = NewPages(before);
    ASSERT_EQ(loaded.size(), 1u);
    const ObjectHandle node = PGFindPageNode(loaded[0]);
    ASSERT_NE(node, 0u);
    EXPECT_EQ(Position(node).x, 144 * kPx);
    EXPECT_EQ(Position(node).y, 72 * kPx);
    EXPECT_TRUE(Near(Size(node).x, XmlMmToFixed(20.0)));
    EXPECT_TRUE(Near(Size(node).y, XmlMmToFixed(10.0)));
    EXPECT_EQ(Nodes(PGGetHierarchyPage()).size(), Pages().size()) << "one node per page, no model node left behind";
}

}  // namespace

namespace {

class XmlSaving : public XmlTest {
protected:
    void SetUp() override
    {
        XmlTest::SetUp();
        if (HasFatalFailure())
            return;
        path_ = Path("net.xml");
        Place(100 * kPx, 100 * kPx, "P1");
    }
    ObjectHandle Picture()
    {
        std::string raw(512, '\0');
        raw += std::string("\x00\x05\x01\x02\x03", 5);
        Write(Path("source.pict"), raw);
        return QXStr_LoadPicture(page_, 50 * kPx, 50 * kPx, 10 * kPx, 10 * kPx, Path("source.pict").c_str());
    }
    // The names in the directory that start with the prefix.
    std::vector<std::string> Entries(const std::string& prefix) const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_)) {
            const std::string name = e.path().filename().string();
            if (name.rfind(prefix, 0) == 0)
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string path_;
};

TEST_F(XmlSaving, SavingOverAFileKeepsTheOldOneAsBackup)
{
    Write(path_, "old file");
    Write(path_ + "~", "older backup");
    ASSERT_EQ(XmlWriteFile(path_, std::vector<ObjectHandle>{page_}), 1);
    EXPECT_EQ(Read(path_ + "~"), "old file");
    EXPECT_NE(Read(path_).find("<place "), std::string::npos);
    EXPECT_EQ(Entries("net.xml"), (std::vector<std::string>{"net.xml", "net.xml~"})) << "no temporary file is left";
    EXPECT_TRUE(xmlLog().messages.empty());
}

TEST_F(XmlSaving, AFailedWriteLeavesTheOldFileAndItsBackup)
{
    // A directory stands at the path: the new file cannot take the name.
    std::filesystem::create_directory(path_);
    Write(path_ + "/inside", "x");
    Write(path_ + "~", "older backup");
    EXPECT_EQ(XmlWriteFile(path_, std::vector<ObjectHandle>{page_}), -1);
    EXPECT_EQ(Read(path_ + "~"), "older backup");
    EXPECT_EQ(Read(path_ + "/inside"), "x");
    EXPECT_EQ(Entries("net.xml"), (std::vector<std::string>{"net.xml", "net.xml~"}));
    ASSERT_FALSE(xmlLog().messages.empty());
    EXPECT_EQ(xmlLog().messages.back(), "Unable to open\n" + path_ + "\nfor writing.");
}

TEST_F(XmlSaving, AnOldPictureDirectoryBecomesTheBackup)
{
    const ObjectHandle picture = Picture();
    ASSERT_NE(picture, 0u);
    std::filesystem::create_directory(path_ + "_image");
    Write(path_ + "_image/old", "previous picture");
    std::filesystem::create_directory(path_ + "_image~");
    Write(path_ + "_image~/older", "older picture");
    ASSERT_EQ(XmlWriteFile(path_, std::vector<ObjectHandle>{page_}), 1);
    EXPECT_EQ(Read(path_ + "_image~/old"), "previous picture");
    EXPECT_FALSE(std::filesystem::exists(path_ + "_image~/older"));
    EXPECT_FALSE(std::filesystem::exists(path_ + "_image/old"));
    EXPECT_EQ(Read(path_ + "_image/image" + std::to_string(picture)).size(), 512u + 2u + 3u);
}

TEST_F(XmlSaving, APictureReadsBackFromItsDirectory)
{
    const ObjectHandle picture = Picture();
    ASSERT_NE(picture, 0u);
    ASSERT_EQ(XmlWriteFile(path_, std::vector<ObjectHandle>{page_}), 1);
    const std::vector<ObjectHandle> before = Pages();
    ASSERT_EQ(XmlLoadFile(path_), 1);
    const auto loaded = NewPages(before);
    ASSERT_EQ(loaded.size(), 1u);
    int pictures = 0;
    for (ObjectHandle node : Nodes(loaded[0]))
        pictures += QXRdAttr_GetShape(node) == 6 ? 1 : 0;
    EXPECT_EQ(pictures, 1);

    // Without its file the picture is reported and left out.
    std::filesystem::remove_all(path_ + "_image");
    const std::vector<ObjectHandle> again = Pages();
    ASSERT_EQ(XmlLoadFile(path_), 1);
    const auto second = NewPages(again);
    ASSERT_EQ(second.size(), 1u);
    for (ObjectHandle node : Nodes(second[0]))
        EXPECT_NE(QXRdAttr_GetShape(node), 6);
    EXPECT_NE(std::find(xmlLog().messages.begin(), xmlLog().messages.end(),
                        "could not open file : " + dir_.string() + "/net.xml_image/image" + std::to_string(picture)),
              xmlLog().messages.end());
}

}  // namespace

// Texts as the net editor keeps them: a place and a transition named by their
// own text (no name region) and a declaration over two lines come back as
// they were, names in the net included.
class XmlTextRoundTrip : public XmlTest {};

TEST_F(XmlTextRoundTrip, OwnTextNamesAndLineBreaksComeBack)
{
    struct Case {
        const char* what;
        ObjectHandle object;
        const char* text;
    };
    const ObjectHandle place = QXStr_CreateNode(page_, 100 * kPx, 100 * kPx, 40 * kPx, 30 * kPx, 2);
    ASSERT_EQ(EE_CreateNetPlace(place), 1);
    const ObjectHandle trans = QXStr_CreateNode(page_, 200 * kPx, 100 * kPx, 60 * kPx, 30 * kPx, 1);
    ASSERT_EQ(EE_CreateNetTrans(trans), 1);
    const ObjectHandle decl = QXStr_CreateNode(page_, 300 * kPx, 300 * kPx, 100 * kPx, 40 * kPx, 1);
    const Case cases[] = {
        {"place", place, "Buffer"},
        {"transition", trans, "Produce"},
        {"declaration", decl, "color INT = int;\nvar n : INT;\n\ncolor B = bool;"},
    };
    for (const Case& c : cases)
        QXText_SetText(c.object, c.text);
    ASSERT_EQ(EE_CreateDeclNode(decl, 0, 1), 1);
    ASSERT_EQ(XmlWriteFile(Path("texts.xml"), std::vector<ObjectHandle>{page_}), 1);
    const std::vector<ObjectHandle> before = Pages();
    ASSERT_EQ(XmlLoadFile(Path("texts.xml")), 1);
    const std::vector<ObjectHandle> loaded = NewPages(before);
    ASSERT_EQ(loaded.size(), 1u);
    const std::vector<ObjectHandle> nodes = Nodes(loaded[0]);
    ASSERT_EQ(nodes.size(), std::size(cases));
    for (size_t i = 0; i < nodes.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(Text(nodes[i]), cases[i].text);
    }
    EXPECT_EQ(Named(loaded[0], kSEPlace, "Buffer"), nodes[0]);
    EXPECT_EQ(Named(loaded[0], kSETrans, "Produce"), nodes[1]);
}
