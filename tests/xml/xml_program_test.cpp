// "Save XML..." and "Load XML..." in the real tolq, picked from its File menu
// under the private Xvfb: the example net and a small hierarchical net go out
// as XML and come back into an empty program, and the nets saved before and
// after are compared record by record from their net data base files. Files
// the reader must refuse (a broken text block, a picture outside its folder)
// are loaded the same way and judged by the import log and the saved net.
#include "MainRoadSession.h"

#include "atolq/Utils/LMList.h"

#include <fstream>
#include <sstream>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

// The menus of tolq's menu bar that these tests pick from ("" is a separator).
const std::vector<std::string> kTitles = {"File", "Edit", "TOLQ", "Aux", "Set",
                                          "Makeup", "Page", "Group", "Text", "Align"};
const std::map<std::string, std::vector<std::string>> kItems = {
    {"File",
     {"New", "Open...", "Close", "Save", "Save As...", "Revert", "", "Print Preview", "Page Setup...", "Print...", "",
      "Eps Setup...", "Save Eps...", "", "Load Image...", "Save Subdiagram...", "Load Subdiagram...", "Save Text...",
      "Load Text...", "Save XML...", "Load XML...", "", "Save State...", "Load State...", "", "Enter Simulator",
      "Enter Perf", "Enter Occ Graph", "Enter OE/OS Graph", "", "Quit"}},
    {"Group",
     {"Regroup", "", "Select All Nodes", "Select All Regions", "Select All Connectors", "Select Fusion Set"}},
};

std::string Text(const char* text)
{
    return text != nullptr ? text : "";
}

std::string KernelPageName(ObjectHandle page)
{
    char name[256] = {};
    uint16_t number = 0;
    int16_t width = 0, height = 0;
    uint32_t border = 0;
    QXRdAttr_GetPageAttr(page, name, &number, &width, &height, &border);
    return name;
}

SEHead* RecordOf(ObjectHandle object)
{
    SEHead* record = nullptr;
    return GE_GetSERecord(object, &record) != 0 ? record : nullptr;
}

std::string NameOf(SEHead* record)
{
    return record != nullptr ? Text(SEGetName(record)) : "?";
}

// One line per net object of the page, from its record in the net data base:
// places and transitions with their inscriptions, arcs with their flow and
// expression, declaration nodes with their text.
std::vector<std::string> DescribePage(ObjectHandle page)
{
    std::vector<std::string> lines;
    for (ObjectHandle node : NodesOf(page)) {
        SEHead* record = RecordOf(node);
        if (record == nullptr)
            continue;
        std::ostringstream line;
        if (record->kind == kSEPlace) {
            auto* place = reinterpret_cast<SEPlace*>(record);
            line << "place " << Text(place->name) << " | type " << Text(place->colourSet) << " | init "
                 << Text(place->initMark) << " | port " << SEIsPort(record);
        } else if (record->kind == kSETrans) {
            auto* trans = reinterpret_cast<SETrans*>(record);
            line << "trans " << Text(trans->name) << " | guard " << Text(trans->guard) << " | time "
                 << Text(trans->time) << " | code " << Text(trans->code);
            if (SECompound* compound = SEGetCompound(record)) {
                line << " | subpage " << (compound->subpage != nullptr ? Text(compound->subpage->name) : "none")
                     << " | assignments " << LMCount(compound->assignments);
            }
        } else if (record->kind == kSEDeclNode) {
            line << "declarations sub-kind " << record->subKind << " | " << Text(SEGetDeclText(record));
        } else {
            continue;
        }
        lines.push_back(line.str());
    }
    for (ObjectHandle connector : ConnectorsOnPage(page)) {
        SEHead* record = RecordOf(connector);
        if (record == nullptr || record->kind != kSEArc)
            continue;
        auto* arc = reinterpret_cast<SEArc*>(record);
        const std::string place = NameOf(reinterpret_cast<SEHead*>(arc->place));
        const std::string trans = NameOf(arc->head.owner);
        const char* flow = arc->head.subKind == kSEPlaceToTrans   ? " -> "
                           : arc->head.subKind == kSETransToPlace ? " <- "
                                                                  : " <-> ";
        lines.push_back("arc " + place + flow + trans + " | " + Text(arc->expression));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The whole net of a saved diagram as text: each net page under its name
// (kernel page and page record), in the order of the names.
std::string DescribeNet(const std::string& diagram)
{
    NetDiagram net(diagram);
    EXPECT_TRUE(net.ok()) << diagram;
    std::map<std::string, std::vector<std::string>> pages;
    for (ObjectHandle page : net.NetPages()) {
        const std::string name = KernelPageName(page) + " (record " + NameOf(RecordOf(page)) + ")";
        pages[name] = DescribePage(page);
    }
    std::string out;
    for (const auto& [name, lines] : pages) {
        out += "page " + name + "\n";
        for (const std::string& line : lines)
            out += "  " + line + "\n";
    }
    return out;
}

// A small hierarchical net in the XML form: page "Top & Bottom" with a
// substitution transition whose subpage "Worker" has an in and an out port
// assigned to the two places around it, and the global declarations.
std::string HierarchicalNetXml()
{
    auto region = [](const char* tag, const std::string& id, const std::string& text) {
        return "<" + std::string(tag) + " id=\"" + id + "\"><text>" + text + "</text></" + tag + ">\n";
    };
    auto place = [&](const std::string& id, double x, const std::string& name, const std::string& extra) {
        return "<place id=\"" + id + "\">\n<ellipse h=\"10\" w=\"16\"/><posattr x=\"" + std::to_string(x) +
               "\" y=\"-30\"/>\n" + region("name", id + "n", name) + region("type", id + "t", "INT") + extra +
               "</place>\n";
    };
    auto trans = [&](const std::string& id, const std::string& name, const std::string& extra) {
        return "<trans id=\"" + id + "\">\n<box h=\"10\" w=\"20\"/><posattr x=\"60\" y=\"-30\"/>\n" + extra +
               region("name", id + "n", name) + "</trans>\n";
    };
    auto arc = [&](const std::string& id, const char* orientation, const std::string& placeId,
                   const std::string& transId, const std::string& expression) {
        return "<arc id=\"" + id + "\" orientation=\"" + orientation + "\">\n<seg-conn curv=\"0\" points=\"\"/>" +
               "<placeend idref=\"" + placeId + "\"/><transend idref=\"" + transId + "\"/>\n" +
               region("annot", id + "e", expression) + "</arc>\n";
    };
    auto page = [](const std::string& id, const std::string& name, int number, const std::string& body) {
        return "<page id=\"" + id + "\">\n<pageattr name=\"" + name + "\" number=\"" + std::to_string(number) +
               "\"/>\n<winattr open=\"TRUE\" width=\"500\" height=\"400\" xpos=\"10\" ypos=\"10\"/>\n" +
               "<box h=\"150\" w=\"200\"/>\n" + body + "</page>\n";
    };
    const std::string top =
        "<globdecl id=\"d1\">\n<box h=\"20\" w=\"60\"/><posattr x=\"120\" y=\"-10\"/>\n"
        "<text>color INT = int;\nvar x : INT;</text>\n</globdecl>\n" +
        place("p1", 20, "In", region("initmark", "p1i", "1`3")) + place("p2", 100, "Out", "") +
        trans("t1", "Work", "<subst subpage=\"pg2\" portsock=\"(q1, p1)(q2, p2)\"/>\n") +
        arc("a1", "PtoT", "p1", "t1", "x") + arc("a2", "TtoP", "p2", "t1", "x");
    const std::string worker = place("q1", 20, "A", "<port type=\"in\"/>\n") +
                               place("q2", 100, "B", "<port type=\"out\"/>\n") +
                               trans("u1", "Step", region("cond", "u1g", "[x > 0]")) +
                               arc("b1", "PtoT", "q1", "u1", "x") + arc("b2", "TtoP", "q2", "u1", "x+1");
    return "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<tolqet>\n"
           "<generator tool=\"Velkor/TOLQ\" version=\"4.0.4\"/>\n" +
           page("pg1", "Top &amp; Bottom", 1, top) + page("pg2", "Worker", 2, worker) + "</tolqet>\n";
}

class XmlProgramTest : public TolqSession {
protected:
    // tolq on the diagram of the session (the example unless replaced), or
    // with no diagram at all.
    void StartWithoutDiagram()
    {
        tolq_ = BackgroundProcess({kTolqProgram}, {{"HOME", dir_.path()}}, dir_.path());
        ASSERT_TRUE(wait_until([&] { return ScanTolqWindows(client_).main.id != 0; }, 20s)) << "no main window";
        bar_ = ScanTolqWindows(client_).bar;
        LoadFont();
    }

    void LoadFont()
    {
        if (font_ != nullptr)
            return;
        font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
        if (font_ == nullptr)
            font_ = XLoadQueryFont(client_.display(), "fixed");
        ASSERT_NE(font_, nullptr);
    }

    void PickItem(const std::string& title, const std::string& item)
    {
        const TolqWindows found = ScanTolqWindows(client_);
        if (found.main.id != 0)
            bar_ = found.bar;
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kTitles, kItems}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open with " << pick.height << " pixels of items";
        Settle();
    }

    std::optional<WindowInfo> FileSelector(std::chrono::milliseconds limit = 10s) const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const WindowInfo& w : client_.window_tree())
                if (w.parent == client_.root() && w.mapped && w.res_name == "selFile")
                    found = w;
            return found.has_value();
        }, limit);
        return found;
    }

    // Types the path into the file selector and accepts it.
    void ChooseFile(const std::string& path)
    {
        const std::optional<WindowInfo> selector = FileSelector();
        ASSERT_TRUE(selector.has_value()) << "no file selector for " << path;
        client_.move_pointer(selector->root_x + 40, selector->root_y + 20);
        Settle();
        xdotool({"key", "--delay", "100", "ctrl+a", "ctrl+k"});
        client_.type_text(path);
        Settle();
        client_.key("Return");
        Settle();
        ASSERT_TRUE(wait_until([&] { return !FileSelector(0ms).has_value(); })) << "the selector stayed open";
    }

    // File > Save XML... into the path; the file is complete when it ends
    // with the root's end tag.
    void SaveXml(const std::string& path)
    {
        PickItem("File", "Save XML...");
        ASSERT_TRUE(FileSelector().has_value()) << "Save XML... did not ask for a file: the item is disabled";
        ChooseFile(path);
        ASSERT_TRUE(wait_until([&] {
            const std::string text = fs::exists(path) ? read_file(path) : std::string();
            return text.find("</tolqet>") != std::string::npos;
        })) << path << " was not written";
    }

    void LoadXml(const std::string& path)
    {
        PickItem("File", "Load XML...");
        ChooseFile(path);
        Settle();
    }

    // Waits for the loaded pages' windows and moves each below the main
    // window, where the menu bar stays within reach.
    bool ShowLoadedPages()
    {
        if (!wait_until([&] { return FindWindows(); }, 20s))
            return false;
        for (const TolqPageWindow& page : ScanTolqWindows(client_).pages)
            xdotool({"windowmove", std::to_string(page.shell.id), "0", "140"});
        return wait_until([&] {
            const TolqWindows found = ScanTolqWindows(client_);
            return std::all_of(found.pages.begin(), found.pages.end(),
                               [](const TolqPageWindow& page) { return page.shell.root_y >= 130; });
        });
    }

    // File > Save As... into the path; waits for the diagram and its net.
    void SaveAs(const std::string& path)
    {
        PickItem("File", "Save As...");
        ChooseFile(path);
        ASSERT_TRUE(wait_until([&] { return fs::exists(path) && fs::exists(path + ".DB"); }, 20s))
            << path << " was not saved";
        std::this_thread::sleep_for(500ms);
    }

    // Closes the diagram; a question whether to save it is answered "No".
    void CloseDiagram()
    {
        PickItem("File", "Close");
        if (std::optional<WindowInfo> question = client_.wait_for_window("dialog", 2s)) {
            client_.click(question->root_x + 266, question->root_y + 110);
            Settle();
        }
        ASSERT_TRUE(wait_until([&] { return ScanTolqWindows(client_).pages.empty(); })) << "the diagram stayed open";
    }

    void Quit()
    {
        PickItem("File", "Quit");
        if (std::optional<WindowInfo> question = client_.wait_for_window("dialog", 2s)) {
            client_.click(question->root_x + 266, question->root_y + 110);
            Settle();
        }
        const int status = tolq_.wait(20s);
        EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0) << "tolq did not end cleanly";
    }

    // Opens the page structure tree (Page > Open Page, Alt+Y, on a net page)
    // and clicks its last page, the hierarchy page, where its label is drawn
    // (the rightmost ink of the tree); true when the tree has gone and the
    // hierarchy page's window is there.
    bool OpenHierarchyPageFromTree()
    {
        std::vector<Window> before;
        for (const TolqPageWindow& page : ScanTolqWindows(client_).pages)
            before.push_back(page.shell.id);
        Keys("alt+y");
        std::optional<TolqPageWindow> tree;
        wait_until([&] {
            for (const TolqPageWindow& page : ScanTolqWindows(client_).pages)
                if (std::find(before.begin(), before.end(), page.shell.id) == before.end() && page.drawing.id != 0)
                    tree = page;
            return tree.has_value();
        });
        if (!tree)
            return false;
        Settle();
        const WindowInfo& area = tree->drawing;
        XImage* image = XGetImage(client_.display(), area.id, 0, 0, static_cast<unsigned>(area.width),
                                  static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return false;
        int labelX = -1, labelY = -1;
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width - 20; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                const bool dark = ((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff) < 3 * 128;
                if (dark && x > labelX) {
                    labelX = x;
                    labelY = y;
                }
            }
        XDestroyImage(image);
        if (labelX < 0)
            return false;
        client_.click(area.root_x + labelX - 15, area.root_y + labelY);
        Settle();
        if (!wait_until([&] {
                for (const TolqPageWindow& page : ScanTolqWindows(client_).pages)
                    if (page.shell.id == tree->shell.id)
                        return false;
                return true;
            }))
            return false;
        const bool hierarchyOpened = wait_until([&] {
            for (const TolqPageWindow& page : ScanTolqWindows(client_).pages)
                if (std::find(before.begin(), before.end(), page.shell.id) == before.end() && page.drawing.id != 0) {
                    hierarchy_ = page;
                    return true;
                }
            return false;
        });
        if (!hierarchyOpened)
            return false;
        return ShowLoadedPages();
    }

    // Clicks the first node of the hierarchy page (the top-most ink that is
    // not the page border), which makes it the current object that the
    // Group menu asks for, then selects all the page's nodes (Group > Select
    // All Nodes).
    void SelectAllPageNodes()
    {
        for (const TolqPageWindow& page : ScanTolqWindows(client_).pages)
            if (page.shell.id == hierarchy_.shell.id)
                hierarchy_ = page;
        const WindowInfo& area = hierarchy_.drawing;
        XImage* image = XGetImage(client_.display(), area.id, 0, 0, static_cast<unsigned>(area.width),
                                  static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        std::vector<std::vector<bool>> dark(static_cast<size_t>(area.height),
                                            std::vector<bool>(static_cast<size_t>(area.width)));
        std::vector<int> rows(static_cast<size_t>(area.height)), columns(static_cast<size_t>(area.width));
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                if (((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff) < 3 * 128) {
                    dark[static_cast<size_t>(y)][static_cast<size_t>(x)] = true;
                    ++rows[static_cast<size_t>(y)];
                    ++columns[static_cast<size_t>(x)];
                }
            }
        XDestroyImage(image);
        std::optional<std::pair<int, int>> node;
        for (int y = 0; y < area.height && !node; ++y)
            for (int x = 0; x < area.width && !node; ++x)
                if (dark[static_cast<size_t>(y)][static_cast<size_t>(x)] && rows[static_cast<size_t>(y)] < area.width / 2 &&
                    columns[static_cast<size_t>(x)] < area.height / 2)
                    node = std::pair{x, y};
        ASSERT_TRUE(node.has_value()) << "no node on the hierarchy page";
        client_.click(area.root_x + node->first + 6, area.root_y + node->second + 4);
        Settle();
        PickItem("Group", "Select All Nodes");
    }

    TolqPageWindow hierarchy_;

    // Closes every message box that comes up within the span; how many.
    int DismissMessageBoxes(std::chrono::milliseconds span = 3s)
    {
        int count = 0;
        while (AnswerMessageBox(span))
            ++count;
        return count;
    }
};

// The example goes out as XML and comes back into a program without a
// diagram: the same places, transitions, arcs, inscriptions, page name and
// declarations, and no import log.
TEST_F(XmlProgramTest, ExampleNetComesBackFromItsXml)
{
    const std::string xml = dir_.file("example.xml");
    const std::string loaded = dir_.file("loaded.tolq");
    Start();
    SaveXml(xml);
    EXPECT_NE(read_file(xml).find("<place id="), std::string::npos);
    CloseDiagram();

    LoadXml(xml);
    ASSERT_TRUE(ShowLoadedPages()) << "the loaded page did not open";
    EXPECT_EQ(DismissMessageBoxes(1s), 0);
    EXPECT_FALSE(fs::exists(xml + ".log")) << read_file(xml + ".log");
    SaveAs(loaded);
    Quit();

    const std::string before = DescribeNet(diagram_);
    EXPECT_NE(before.find("place Buffer"), std::string::npos) << before;
    EXPECT_EQ(DescribeNet(loaded), before);
}

// A hierarchical net read from a file, saved, written again from the
// hierarchy page with both page nodes selected and read back: the same
// pages with their names, the substitution with its port assignments, the
// ports, guards, arcs and declarations.
TEST_F(XmlProgramTest, HierarchicalNetComesBackFromItsXml)
{
    const std::string fixture = dir_.file("hierarchy.xml");
    const std::string first = dir_.file("first.tolq");
    const std::string again = dir_.file("again.xml");
    const std::string second = dir_.file("second.tolq");
    std::ofstream(fixture) << HierarchicalNetXml();

    StartWithoutDiagram();
    LoadXml(fixture);
    ASSERT_TRUE(ShowLoadedPages()) << "the loaded pages did not open";
    EXPECT_EQ(DismissMessageBoxes(1s), 0);
    EXPECT_FALSE(fs::exists(fixture + ".log")) << read_file(fixture + ".log");
    SaveAs(first);

    // The hierarchy page, chosen in the page structure tree that Open Page
    // (Alt+Y) shows on a net page, its page nodes selected, then Save XML.
    ASSERT_TRUE(OpenHierarchyPageFromTree());
    SelectAllPageNodes();
    SaveXml(again);
    EXPECT_EQ(DismissMessageBoxes(1s), 0);
    CloseDiagram();

    LoadXml(again);
    ASSERT_TRUE(ShowLoadedPages()) << "the loaded pages did not open";
    EXPECT_EQ(DismissMessageBoxes(1s), 0);
    EXPECT_FALSE(fs::exists(again + ".log")) << read_file(again + ".log");
    SaveAs(second);
    Quit();

    const std::string net = DescribeNet(first);
    EXPECT_NE(net.find("page Top & Bottom (record Top & Bottom)"), std::string::npos) << net;
    EXPECT_NE(net.find("trans Work | guard  | time  | code  | subpage Worker | assignments 2"), std::string::npos)
        << net;
    EXPECT_NE(net.find("trans Step | guard [x > 0]"), std::string::npos) << net;
    EXPECT_NE(net.find("declarations"), std::string::npos) << net;
    EXPECT_EQ(DescribeNet(second), net);
}

// Files the reader refuses, loaded from the menu into a program without a
// diagram: a text block that is never closed stops the load at once, naming
// where the block began; picture names that lead out of the file's folder
// are refused one by one while the rest of the page is built.
TEST_F(XmlProgramTest, ReaderRefusesBrokenFilesAndForeignPictures)
{
    // The files lie in a folder of their own; the secret lies beside it.
    fs::create_directories(dir_.file("xml/inside"));
    std::ofstream(dir_.file("secret.png")) << "not for the reader";
    fs::create_symlink(dir_.file("secret.png"), dir_.file("xml/inside/link.png"));

    const std::string broken = dir_.file("xml/broken.xml");
    std::ofstream(broken) << "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<tolqet>\n"
                             "<page id=\"pg1\">\n<pageattr name=\"Broken\" number=\"1\"/>\n"
                             "<aux id=\"x1\"><box h=\"10\" w=\"10\"/>\n<text>one line\nand another</txet>\n"
                             "</aux>\n</page>\n</tolqet>\n";
    const std::string pictures = dir_.file("xml/pictures.xml");
    auto picture = [](const std::string& id, const std::string& name) {
        return "<aux id=\"" + id + "\"><picture h=\"10\" w=\"10\" filename=\"" + name +
               "\"/><posattr x=\"20\" y=\"-20\"/></aux>\n";
    };
    std::ofstream(pictures) << "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<tolqet>\n"
                               "<page id=\"pg1\">\n<pageattr name=\"Pictures\" number=\"1\"/>\n"
                               "<winattr open=\"TRUE\"/>\n<box h=\"100\" w=\"100\"/>\n"
                               "<aux id=\"frame\"><box h=\"10\" w=\"30\"/><posattr x=\"50\" y=\"-50\"/>"
                               "<text>frame</text></aux>\n" +
                                   picture("up", "../secret.png") + picture("abs", dir_.file("secret.png")) +
                                   picture("link", "inside/link.png") + "</page>\n</tolqet>\n";

    StartWithoutDiagram();
    LoadXml(broken);
    EXPECT_GE(DismissMessageBoxes(), 1) << "the parse error was not shown";
    EXPECT_TRUE(ScanTolqWindows(client_).pages.empty()) << "a page of the broken file was built";
    EXPECT_EQ(read_file(broken + ".log"), "Line 6: unexpected end of file at <text>\n");

    LoadXml(pictures);
    ASSERT_TRUE(ShowLoadedPages()) << "the page with the pictures did not open";
    EXPECT_EQ(DismissMessageBoxes(), 1) << "the import log was not reported";
    const std::string log = read_file(pictures + ".log");
    for (const char* id : {"up", "abs", "link"})
        EXPECT_NE(log.find("leads out of the picture folder (ID: " + std::string(id) + ")"), std::string::npos) << log;
    const std::string saved = dir_.file("pictures.tolq");
    SaveAs(saved);
    Quit();

    NetDiagram net(saved);
    ASSERT_TRUE(net.ok());
    ASSERT_EQ(net.NetPages().size(), 1u);
    const std::vector<ObjectHandle> nodes = NodesOf(net.NetPages()[0]);
    ASSERT_EQ(nodes.size(), 1u) << "a picture outside the folder was read";
    EXPECT_EQ(TextOf(nodes[0]), "frame");
}

// Pages read into the open example are added beside its own page, with their
// names, and a page number already taken is given the next free one.
TEST_F(XmlProgramTest, LoadIntoAnOpenDiagramKeepsPageNames)
{
    const std::string fixture = dir_.file("hierarchy.xml");
    std::ofstream(fixture) << HierarchicalNetXml();
    const std::string example = DescribeNet(diagram_);
    Start();
    LoadXml(fixture);
    ASSERT_TRUE(ShowLoadedPages());
    DismissMessageBoxes(1s);
    SaveAs(dir_.file("both.tolq"));
    Quit();

    const std::string net = DescribeNet(dir_.file("both.tolq"));
    EXPECT_NE(net.find(example), std::string::npos) << net;
    EXPECT_NE(net.find("page Top & Bottom (record Top & Bottom)\n"), std::string::npos) << net;
    EXPECT_NE(net.find("page Worker (record Worker)\n"), std::string::npos) << net;
    EXPECT_NE(net.find("trans Work | guard  | time  | code  | subpage Worker | assignments 2"), std::string::npos)
        << net;
    EXPECT_EQ(net.find("New P."), std::string::npos) << net;
}

}  // namespace
}  // namespace tolq::test
