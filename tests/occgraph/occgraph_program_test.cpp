// The occurrence-graph tool in the real tolq under Xvfb: the example net is
// switched into the simulator by "Enter Occ Graph", its graph calculated,
// the statistics opened, node 1 drawn and then its successors; the saved
// diagram, read back here, holds the drawn graph as tagged nodes and arcs.
#include "MainRoadSession.h"

#include <array>
#include <set>

#include "atolq/OGA/OGAUtils.h"
#include "xkv/kvud/UserData.h"

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

class OccGraphSession : public TolqSession {
protected:
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

    // The Occ menu opens: the tool is in the menu bar.
    bool OccMenuOpens()
    {
        const MenuPick pick =
            PickMenuItem(client_, bar_, font_, MenuTable{kSimTitles, kMenuItems}, "Occ", "Update Node");
        Keys("Escape");
        return pick.opened;
    }

    // A number prompt answered with its proposed number.
    void AcceptPrompt()
    {
        std::this_thread::sleep_for(800ms);
        xdotool({"key", "Return"});
        Settle();
    }
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
    std::this_thread::sleep_for(800ms);
    xdotool({"key", "Return"});
    Settle();

    PickOcc("Display Node...");
    AcceptPrompt();
    EXPECT_TRUE(NoMessageBoxFor(2s)) << "node 1 was not drawn";
    // Asked again, the node on the page becomes the current object.
    PickOcc("Display Node...");
    AcceptPrompt();
    PickOcc("Display Successors");
    EXPECT_TRUE(NoMessageBoxFor(2s)) << "the successors were refused";
    Save();
    tolq_ = BackgroundProcess();

    NetDiagram net(diagram_);
    ASSERT_TRUE(net.ok());
    ObjectHandle first = 0;
    std::map<uint32_t, ObjectHandle> graphNodes;
    std::vector<ObjectHandle> graphArcs;
    for (ObjectHandle page : PagesOfDiagram()) {
        for (ObjectHandle node : NodesOf(page))
            if (auto n = GraphNumber(node)) {
                graphNodes[*n] = node;
                if (*n == 1)
                    first = node;
            }
        for (ObjectHandle c : ConnectorsOnPage(page))
            if (GraphNumber(c))
                graphArcs.push_back(c);
    }
    ASSERT_NE(first, 0u) << "node 1 is not on the page";
    // Its label: number, mark, then predecessors and successors.
    const std::string label = TextOf(first);
    ASSERT_EQ(label.rfind("1", 0), 0u) << label;
    const auto colon = label.find(':');
    ASSERT_NE(colon, std::string::npos) << label;
    const unsigned successors = static_cast<unsigned>(std::stoul(label.substr(colon + 1)));
    EXPECT_GT(successors, 0u) << label;
    // One drawn arc per successor, each leaving node 1 for a drawn node.
    EXPECT_EQ(graphArcs.size(), successors);
    for (ObjectHandle c : graphArcs) {
        ObjectHandle start = 0, end = 0;
        QXRdAttr_GetConnEnds(c, 0, &start, &end);
        EXPECT_EQ(start, first);
        EXPECT_TRUE(GraphNumber(end).has_value());
    }
    EXPECT_GE(graphNodes.size(), 2u);
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
