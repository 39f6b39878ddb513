// The occurrence-graph tool in the real tolq under Xvfb: the example net is
// switched into the simulator by "Enter Occ Graph", its graph calculated,
// the statistics opened, node 1 drawn and then its successors; the saved
// diagram, read back here, holds the drawn graph as tagged nodes and arcs.
#include "MainRoadSession.h"

#include <array>

#include "atolq/CEditor/NetServices.h"
#include "atolq/OGA/OGAUtils.h"
#include "atolq/Resources/DialogTables.h"
#include "xkv/kvud/UserData.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

// The menu bar while simulating with the tool entered.
const std::vector<std::string> kSimTitles = {"File", "Edit", "Sim", "Aux", "Set", "Makeup",
                                             "Page", "Group", "Text", "Align", "Occ"};

// The graph number of an object read from the saved diagram, if it has one.
std::optional<uint32_t> GraphNumber(ObjectHandle object)
{
    uint32_t length = 0;
    if (UD_GetFieldSize(object, kOGANumberTag, &length) == 0 || length != 4)
        return std::nullopt;
    std::array<uint8_t, 4> bytes{};
    UD_GetField(object, kOGANumberTag, bytes.data());
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

// Where a click reaches an item of a dialog, and the dialog's size, from the
// dialog tables tolq is built with.
std::optional<Spot> ItemCentre(int dialog, int item)
{
    for (const DialogRecord& record : DialogTable_Records()) {
        if (record.number != dialog || item < 1 || item > record.itemCount)
            continue;
        const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(record.firstItem + item - 1)];
        if (DialogItem_Kind(row) == kItemControl) {
            const DialogControlRow& c = DialogTable_ControlRows()[static_cast<size_t>(row.index)];
            return Spot{c.x + c.width / 2, c.y + c.height / 2};
        }
    }
    return std::nullopt;
}

// The example with its page made a prime page, so that the simulator makes
// an instance of it.
class OccGraphSession : public TolqSession {
protected:
    void SetUp() override
    {
        TolqSession::SetUp();
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle page = diagram.NetPages().front();
        ASSERT_EQ(EE_SetModeAttributes(page, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, 1, 1), 1);
        ASSERT_TRUE(diagram.Save());
    }

    std::optional<WindowInfo> WaitForDialog() const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const WindowInfo& w : client_.window_tree())
                if (w.parent == client_.root() && w.mapped && w.res_name == "dialog")
                    found = w;
            return found.has_value();
        });
        return found;
    }

    // Clicks an item of the dialog that opened.
    void ClickDialogItem(int number, int item, int shiftX = 0)
    {
        const std::optional<WindowInfo> dialog = WaitForDialog();
        ASSERT_TRUE(dialog.has_value()) << "dialog " << number << " did not open";
        const std::optional<Spot> centre = ItemCentre(number, item);
        ASSERT_TRUE(centre.has_value()) << "dialog " << number << " has no item " << item;
        std::this_thread::sleep_for(300ms);
        client_.click(dialog->root_x + centre->x + shiftX, dialog->root_y + centre->y);
        Settle();
    }

    // tolq with the tool's library folder given (with a trailing slash,
    // which the tool drops).
    void StartWithLibrary()
    {
        tolq_ = BackgroundProcess({kTolqProgram, diagram_},
                                  {{"HOME", dir_.path()}, {"OGMLFILES", std::string(TOLQ_BIN_DIR) + "/"}}, dir_.path());
        ASSERT_TRUE(wait_until([&] { return FindWindows(); }, 20s)) << "tolq's windows did not appear";
        xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
        ASSERT_TRUE(wait_until([&] { return FindWindows() && drawing_.root_y > 120; }));
        font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
        if (font_ == nullptr)
            font_ = XLoadQueryFont(client_.display(), "fixed");
        ASSERT_NE(font_, nullptr);
        ASSERT_TRUE(wait_until([&] { return Ink(kProduceSpot.x - 40, kProduceSpot.y - 20, 10, 10) > 0; }));
        Settle();
    }

    void PickOcc(const std::string& item)
    {
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kSimTitles, kMenuItems}, "Occ", item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << "Occ did not open for " << item;
        Settle();
    }

    // Back to the editor from the File menu.
    void EnterEditor()
    {
        std::map<std::string, std::vector<std::string>> items = kMenuItems;
        for (std::string& item : items["File"])
            if (item == "Enter Simulator")
                item = "Enter Editor";
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kSimTitles, items}, "File", "Enter Editor");
        ASSERT_TRUE(pick.opened);
        Settle();
    }

    // The Occ menu opens: the tool is in the menu bar.
    bool OccMenuOpens()
    {
        const MenuPick pick =
            PickMenuItem(client_, bar_, font_, MenuTable{kSimTitles, kMenuItems}, "Occ", "Update Node");
        Keys("Escape");
        return pick.opened;
    }

    // Types the path into the file selector that opened and accepts it.
    void ChooseFile(const std::string& path)
    {
        std::optional<WindowInfo> selector;
        ASSERT_TRUE(wait_until([&] {
            for (const WindowInfo& w : client_.window_tree())
                if (w.parent == client_.root() && w.mapped && w.res_name == "selFile")
                    selector = w;
            return selector.has_value();
        })) << "no file selector";
        client_.move_pointer(selector->root_x + 40, selector->root_y + 20);
        Settle();
        xdotool({"key", "--delay", "100", "ctrl+a", "ctrl+k"});
        client_.type_text(path);
        Settle();
        client_.key("Return");
        Settle();
    }

    // A number prompt answered with its proposed number (OK).
    void AcceptPrompt() { ClickDialogItem(258, 1); }
};

TEST_F(OccGraphSession, EnterCalculateShowStatisticsAndDrawANodeWithItsSuccessors)
{
    StartWithLibrary();
    Pick("File", "Enter Occ Graph");
    // The switch and the library's start take their time; no failure box.
    EXPECT_TRUE(NoMessageBoxFor(8s)) << "entering showed a message";
    ASSERT_TRUE(wait_until([&] { return OccMenuOpens(); }, 30s)) << "the Occ menu did not come";

    PickOcc("Calculate Occ Graph");
    EXPECT_TRUE(NoMessageBoxFor(3s));
    // The statistics dialog opens and closes with its default button.
    PickOcc("Show Statistics...");
    ClickDialogItem(31505, 1);

    PickOcc("Display Node...");
    AcceptPrompt();
    EXPECT_TRUE(NoMessageBoxFor(2s)) << "node 1 was not drawn";
    // Asked again, the node on the page becomes the current object.
    PickOcc("Display Node...");
    AcceptPrompt();
    PickOcc("Display Successors");
    EXPECT_TRUE(NoMessageBoxFor(2s)) << "the successors were refused";
    // Node 1 is still the current object: its descriptor shows its marking.
    PickOcc("Toggle Descriptor");
    EXPECT_TRUE(NoMessageBoxFor(2s)) << "the descriptor was refused";
    // Leaving the simulator keeps the drawing but takes the graph numbers.
    ASSERT_NO_FATAL_FAILURE(EnterEditor());
    ASSERT_NO_FATAL_FAILURE(Save());
    tolq_ = BackgroundProcess();

    NetDiagram net(diagram_);
    ASSERT_TRUE(net.ok());
    // Graph nodes read "<number><mark>\r<predecessors>:<successors>".
    std::map<unsigned, ObjectHandle> drawn;
    std::vector<ObjectHandle> connectors;
    for (ObjectHandle page : PagesOfDiagram()) {
        for (ObjectHandle node : NodesOf(page)) {
            const std::string text = TextOf(node);
            const auto cr = text.find('\r');
            if (cr == std::string::npos || cr < 2 || text.find(':', cr) == std::string::npos)
                continue;
            EXPECT_FALSE(GraphNumber(node).has_value()) << "a graph number stayed on " << text;
            drawn[static_cast<unsigned>(std::stoul(text.substr(0, cr - 1)))] = node;
        }
        for (ObjectHandle c : ConnectorsOnPage(page))
            connectors.push_back(c);
    }
    ASSERT_EQ(drawn.count(1), 1u) << "node 1 is not on the page";
    const ObjectHandle first = drawn[1];
    const std::string label = TextOf(first);
    const unsigned successors = static_cast<unsigned>(std::stoul(label.substr(label.find(':') + 1)));
    EXPECT_GT(successors, 0u) << label;
    // One connector per successor, from node 1 to a drawn node.
    unsigned fromFirst = 0;
    for (ObjectHandle c : connectors) {
        ObjectHandle start = 0, end = 0;
        QXRdAttr_GetConnEnds(c, 0, &start, &end);
        if (start != first)
            continue;
        ++fromFirst;
        EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [&](const auto& d) { return d.second == end; }));
    }
    EXPECT_EQ(fromFirst, successors);
    // The descriptor hangs below node 1 and names the node.
    const auto regions = RegionsOf(first);
    ASSERT_EQ(regions.size(), 1u);
    EXPECT_EQ(TextOf(regions.front()).rfind("1:", 0), 0u) << TextOf(regions.front());
    EXPECT_EQ(drawn.size(), successors + 1);
}

// The report of the example's full graph. Next holds one number k from 1 to
// 10; Buffer holds a subset of the numbers 0 to k-1 not yet consumed: so
// 2 + 4 + ... + 1024 = 2046 markings, 1022 Produce arcs and 9217 Consume arcs
// (one per token in each marking), one dead marking (k = 10, Buffer empty,
// the last found). Bounds: Buffer 10 and 0 tokens, Next always 1. Home
// Markings, Live Transition Instances and Fairness are ruled out (no
// components calculated): they stay out of the report.
TEST_F(OccGraphSession, SaveReportWritesTheChosenPartsOfTheStandardReport)
{
    StartWithLibrary();
    Pick("File", "Enter Occ Graph");
    ASSERT_TRUE(wait_until([&] { return OccMenuOpens(); }, 30s)) << "the Occ menu did not come";
    PickOcc("Calculate Occ Graph");
    ASSERT_TRUE(NoMessageBoxFor(3s));

    PickOcc("Save Report...");
    // Statistics, Integer Bounds and Dead Markings (on their boxes, at the
    // left end of the items), then OK.
    for (int item : {3, 5, 10})
        ClickDialogItem(31500, item, -155);
    ClickDialogItem(31500, 16);
    const std::string report = dir_.file("graph.report");
    ChooseFile(report);
    ASSERT_TRUE(wait_until([&] {
        return fs::exists(report) && read_file(report).find("Dead Markings") != std::string::npos;
    }, 20s)) << "the report was not written";
    const std::string text = read_file(report);
    for (const char* part : {"TOLQ Occurrence Graph Report", "    Nodes:  2046\n", "    Arcs:   10239\n",
                             "    Status: Full\n", "Best Integer Bounds", "   10   0\n", "   1   1\n",
                             "  Dead Markings: 1\n     2046\n"})
        EXPECT_NE(text.find(part), std::string::npos) << part << " is not in:\n" << text;
    // The parts not chosen stay out.
    for (const char* part : {"Multi-set Bounds", "Home Markings", "Transition Instances"})
        EXPECT_EQ(text.find(part), std::string::npos) << part << " is in:\n" << text;
}

TEST_F(OccGraphSession, EnteringWithoutTheLibraryFilesFails)
{
    // The example with a library folder that holds no start file.
    tolq_ = BackgroundProcess({kTolqProgram, diagram_}, {{"HOME", dir_.path()}, {"OGMLFILES", dir_.path()}},
                              dir_.path());
    ASSERT_TRUE(wait_until([&] { return FindWindows(); }, 20s));
    xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
    ASSERT_TRUE(wait_until([&] { return FindWindows() && drawing_.root_y > 120; }));
    font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
    if (font_ == nullptr)
        font_ = XLoadQueryFont(client_.display(), "fixed");
    ASSERT_NE(font_, nullptr);
    Settle();
    Pick("File", "Enter Occ Graph");
    // "Error: Attempt to Enter OG Graph failed." and no Occ menu.
    EXPECT_TRUE(AnswerMessageBox(40s));
    EXPECT_FALSE(OccMenuOpens());
}

} // namespace
} // namespace tolq::test
