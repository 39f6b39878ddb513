// "Enter NewSim" in the real tolq started with -newsim, on a copy of the
// example net made a prime page, with the real evaluator: the net goes to
// the evaluator page by page; a net it accepts keeps its ML numbers and
// checked marks in the saved net data base (declarations never converted
// are converted first) and shows the evaluator's markings; an inscription it
// refuses is named in the page's error box with the evaluator's own message.
// "Automatic Run" of the Sim menu runs in the evaluator to the end, and its
// steps are read from the report that "Save Report..." writes. "Change Model
// Time..." sets the evaluator's clock, which the status line shows after the
// run. "Leave NewSim" returns to the editor and closes the diagram unsaved.
#include "MainRoadSession.h"

#include <array>
#include <regex>
#include <set>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/Resources/DialogTables.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

// The File menu as tolq lays it out with -newsim.
const std::map<std::string, std::vector<std::string>> kNewSimMenus = {
    {"File",
     {"New", "Open...", "Close", "Save", "Save As...", "Revert", "", "Print Preview", "Page Setup...", "Print...", "",
      "Eps Setup...", "Save Eps...", "", "Load Image...", "Save Subdiagram...", "Load Subdiagram...", "Save Text...",
      "Load Text...", "Save XML...", "Load XML...", "", "Save State...", "Load State...", "", "Enter Simulator",
      "Enter Perf", "Enter Occ Graph", "Enter OE/OS Graph", "Enter NewSim", "", "Quit"}},
};

const std::vector<std::string> kSimulatorTitles = {"File", "Edit", "Sim", "Aux", "Set",
                                                   "Makeup", "Page", "Group", "Text", "Align"};

// The simulator's menus under -newsim: "Leave NewSim" in the File menu and
// "Change Model Time..." before "Change Marking...".
std::map<std::string, std::vector<std::string>> SimulatorMenus()
{
    std::map<std::string, std::vector<std::string>> items = kNewSimMenus;
    for (std::string& item : items["File"])
        if (item == "Enter Simulator")
            item = "Leave NewSim";
    std::vector<std::string> sim = kMenuItems.at("Sim");
    sim.insert(std::find(sim.begin(), sim.end(), "Change Marking..."), "Change Model Time...");
    items["Sim"] = sim;
    return items;
}

// The model-time dialog: its size and its OK button's item.
constexpr int kModelTimeDialog = 31010;
constexpr int kModelTimeWidth = 370;
constexpr int kModelTimeHeight = 128;

// The report's step lines, "Step <k>: <transition> ...", in order.
std::vector<std::pair<int, std::string>> ReportSteps(const std::string& report)
{
    static const std::regex line(R"(Step (\d+): (\w+) )");
    std::vector<std::pair<int, std::string>> steps;
    for (auto it = std::sregex_iterator(report.begin(), report.end(), line); it != std::sregex_iterator(); ++it)
        steps.emplace_back(std::stoi((*it)[1].str()), (*it)[2].str());
    return steps;
}

class NewSimProgramTest : public TolqSession {
protected:
    // The example's page made a prime page with one instance, as Set > Mode
    // Attributes... makes it.
    void SetUp() override
    {
        TolqSession::SetUp();
        {
            NetDiagram diagram(diagram_);
            ASSERT_TRUE(diagram.ok());
            const ObjectHandle page = diagram.NetPages().front();
            ASSERT_EQ(EE_SetModeAttributes(page, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, 1, 1),
                      1);
            ASSERT_TRUE(diagram.Save());
        }
    }

    void PickInSimulator(const std::string& title, const std::string& item)
    {
        static const std::map<std::string, std::vector<std::string>> items = SimulatorMenus();
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kSimulatorTitles, items}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open";
        Settle();
    }

    int PageInk() const { return Ink(0, 0, drawing_.width, drawing_.height); }

    // Enter NewSim, and the markings the evaluator gives are drawn.
    void EnterNewSim()
    {
        const int before = PageInk();
        ASSERT_NO_FATAL_FAILURE(PickFile("Enter NewSim"));
        ASSERT_TRUE(wait_until([&] { return PageInk() > before + 20; }, 120s)) << "no marking appeared on the page";
        EXPECT_FALSE(client_.message_box_button().has_value()) << "the switch showed a message";
        Settle();
    }

    // The net's model time an integer, shown in the status line.
    void UseIntegerTime()
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        std::array<uint32_t, 512> code{};
        ASSERT_EQ(DefGetCodeOptions(code.data(), kDefLevelDiagram), 1);
        code[1] = 3;
        ASSERT_EQ(DefSetCodeOptions(code.data(), kDefLevelDiagram), 1);
        std::array<uint32_t, 512> run{};
        ASSERT_EQ(DefGetRunOptions(run.data(), kDefLevelDiagram), 1);
        run[2] = 1;
        ASSERT_EQ(DefSetRunOptions(run.data(), kDefLevelDiagram), 1);
        ASSERT_TRUE(diagram.Save());
    }

    // "Leave NewSim": the page window goes with the diagram, nothing asks.
    void LeaveNewSim()
    {
        ASSERT_NO_FATAL_FAILURE(PickInSimulator("File", "Leave NewSim"));
        EXPECT_TRUE(wait_until([&] { return ScanTolqWindows(client_).pages.empty(); }, 20s))
            << "the diagram stayed open";
        Settle();
        EXPECT_FALSE(client_.message_box_button().has_value()) << "leaving asked or reported something";
    }

    std::optional<WindowInfo> FileSelector() const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const WindowInfo& w : client_.window_tree())
                if (w.parent == client_.root() && w.mapped && w.res_name == "selFile")
                    found = w;
            return found.has_value();
        }, 10s);
        return found;
    }

    // Sim > Save Report... into a new file of the session's directory; its text.
    std::string SavedReport(const std::string& name = "report.txt")
    {
        const std::string path = dir_.path() + "/" + name;
        PickInSimulator("Sim", "Save Report...");
        const std::optional<WindowInfo> selector = FileSelector();
        EXPECT_TRUE(selector.has_value()) << "Save Report... asked for no file";
        if (!selector.has_value())
            return {};
        client_.move_pointer(selector->root_x + 40, selector->root_y + 20);
        Settle();
        xdotool({"key", "--delay", "100", "ctrl+a", "ctrl+k"});
        client_.type_text(path);
        Settle();
        client_.key("Return");
        EXPECT_TRUE(wait_until([&] { return fs::exists(path); }, 20s)) << "no report was written";
        Settle();
        return fs::exists(path) ? read_file(path) : std::string();
    }

    std::optional<WindowInfo> ModelTimeDialog() const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const WindowInfo& w : client_.window_tree())
                if (w.parent == client_.root() && w.mapped && w.res_name == "dialog" && w.width == kModelTimeWidth &&
                    w.height == kModelTimeHeight)
                    found = w;
            return found.has_value();
        }, 10s);
        return found;
    }

    void ClickOk(const WindowInfo& dialog) { ClickButton(dialog, 1); }
    void ClickCancel(const WindowInfo& dialog) { ClickButton(dialog, 2); }

    void ClickButton(const WindowInfo& dialog, int item)
    {
        for (const DialogRecord& record : DialogTable_Records()) {
            if (record.number != kModelTimeDialog)
                continue;
            const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(record.firstItem + item - 1)];
            ASSERT_EQ(DialogItem_Kind(row), kItemControl);
            const DialogControlRow& ok = DialogTable_ControlRows()[static_cast<size_t>(row.index)];
            client_.click(dialog.root_x + ok.x + ok.width / 2, dialog.root_y + ok.y + ok.height / 2);
            Settle();
            return;
        }
        ADD_FAILURE() << "no model-time dialog in the tables";
    }

    // The status line: the main window's child that is not the menu bar.
    std::optional<WindowInfo> StatusLine() const
    {
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == bar_.parent && w.id != bar_.id && w.mapped)
                return w;
        return std::nullopt;
    }

    // How wide the status line's text is drawn: first to last dark column,
    // leaving out rules and frame lines that cross the whole line.
    int StatusTextWidth() const
    {
        const std::optional<WindowInfo> line = StatusLine();
        if (!line.has_value())
            return 0;
        XImage* image = XGetImage(client_.display(), line->id, 0, 0, static_cast<unsigned>(line->width),
                                  static_cast<unsigned>(line->height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return 0;
        const int w = line->width, h = line->height;
        std::vector<char> dark(static_cast<size_t>(w * h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                dark[static_cast<size_t>(y * w + x)] = ((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff) < 3 * 128;
            }
        XDestroyImage(image);
        std::vector<bool> rule(static_cast<size_t>(h));
        for (int y = 0; y < h; ++y)
            rule[static_cast<size_t>(y)] =
                std::count(dark.begin() + y * w, dark.begin() + (y + 1) * w, 1) > w * 9 / 10;
        int first = -1, last = -1;
        for (int x = 0; x < w; ++x) {
            int inColumn = 0, rows = 0;
            for (int y = 0; y < h; ++y) {
                if (rule[static_cast<size_t>(y)])
                    continue;
                ++rows;
                inColumn += dark[static_cast<size_t>(y * w + x)];
            }
            if (inColumn == 0 || inColumn == rows)
                continue;
            if (first < 0)
                first = x;
            last = x;
        }
        return first < 0 ? 0 : last - first + 1;
    }

    // The width the status font gives a text.
    int StatusWidthOf(const std::string& text) const
    {
        XFontStruct* font = XLoadQueryFont(client_.display(), "*-helvetica-*-r-*-120-*");
        EXPECT_NE(font, nullptr);
        if (font == nullptr)
            return 0;
        const int width = XTextWidth(font, text.c_str(), static_cast<int>(text.size()));
        XFreeFont(client_.display(), font);
        return width;
    }

    // True once the status line is as wide as the text, give or take a few
    // pixels for the glyphs' side bearings.
    ::testing::AssertionResult StatusShows(const std::string& text) const
    {
        const int expected = StatusWidthOf(text);
        if (wait_until([&] { return std::abs(StatusTextWidth() - expected) <= 4; }, 20s))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the status line is " << StatusTextWidth() << " pixels wide, \""
                                             << text << "\" " << expected;
    }


    // Starts tolq with -newsim on the diagram as it is now.
    void StartNewSim()
    {
        tolq_ = BackgroundProcess({kTolqProgram, "-newsim", diagram_}, {{"HOME", dir_.path()}}, dir_.path());
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

    void PickFile(const std::string& item)
    {
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kMenuTitles, kNewSimMenus}, "File", item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << "File did not open";
        Settle();
    }

    // Retypes an inscription on the page as a user does.
    void Retype(const std::string& old, const std::string& typed)
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        Fixed px = 0, py = 0, x = 0, y = 0;
        QXRdAttr_GetPosition(diagram.NodeNamed("Produce"), &px, &py);
        QXRdAttr_GetPosition(diagram.ObjectWithText(old), &x, &y);
        constexpr Fixed kPixel = 0x8000;
        const Spot spot{kProduceSpot.x + (x - px) / kPixel, kProduceSpot.y + (y - py) / kPixel};
        ClickAt(spot);
        Keys("alt+t");
        for (size_t i = 0; i < old.size(); ++i)
            client_.key("BackSpace");
        Settle();
        xdotool({"type", typed});
        Settle();
        ClickAt({kProduceSpot.x + 20, kProduceSpot.y + 250});
    }

    std::string SavedPageTexts()
    {
        NetDiagram saved(diagram_);
        EXPECT_TRUE(saved.ok());
        std::string texts;
        for (ObjectHandle page : saved.NetPages())
            texts += saved.PageTexts(page);
        return texts;
    }
};

// Every record the evaluator numbered has a number of its own, below the
// saved name counter (else a later session could hand it out again).
void ExpectDistinctNumbers(const std::string& diagram)
{
    NetDiagram saved(diagram);
    ASSERT_TRUE(saved.ok());
    SERoot* root = SECurrentRoot();
    ASSERT_NE(root, nullptr);
    std::set<std::string> numbers;
    int numbered = 0;
    const auto note = [&](const char* number) {
        if (number == nullptr)
            return;
        numbers.insert(number);
        ++numbered;
        EXPECT_LT(std::stoi(number), cts::savedCounter(root)) << "the saved name counter is behind " << number;
    };
    se::forEachRec(root->pages, [&](SEHead* h) {
        auto* page = reinterpret_cast<SEPage*>(h);
        note(cts::mlName(page));
        se::forEachRec(page->places, [&](SEHead* r) { note(cts::mlName(reinterpret_cast<SEPlace*>(r))); });
        se::forEachRec(page->transitions, [&](SEHead* r) { note(cts::mlName(reinterpret_cast<SETrans*>(r))); });
    });
    EXPECT_GE(numbered, 4) << "the page, both places and the accepted transition carry numbers";
    EXPECT_EQ(static_cast<int>(numbers.size()), numbered) << "two records share an ML number";
}

TEST_F(NewSimProgramTest, LeaveNewSimClosesTheDiagramWithoutSavingIt)
{
    const std::string before = read_file(diagram_);
    const std::string beforeDb = read_file(diagram_ + ".DB");
    ASSERT_NO_FATAL_FAILURE(StartNewSim());
    ASSERT_NO_FATAL_FAILURE(EnterNewSim());
    ASSERT_NO_FATAL_FAILURE(LeaveNewSim());
    // the markings and numbers of the session are gone with it
    EXPECT_EQ(read_file(diagram_), before);
    EXPECT_EQ(read_file(diagram_ + ".DB"), beforeDb);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(NewSimProgramTest, RefusedGuardIsNamedInTheErrorBoxAndNothingIsMarked)
{
    ASSERT_NO_FATAL_FAILURE(StartNewSim());
    Retype("[n < 10]", "[n < true]");
    ASSERT_NO_FATAL_FAILURE(PickFile("Enter NewSim"));
    ASSERT_TRUE(AnswerMessageBox(120s)) << "the check showed no result";
    ASSERT_NO_FATAL_FAILURE(Save());
    const std::string texts = SavedPageTexts();
    // the evaluator's own message on the guard, and no error on anything else
    EXPECT_NE(texts.find("Type error in function application"), std::string::npos) << texts;
    EXPECT_EQ(texts.find("error", texts.find("Type error") + 10), std::string::npos) << texts;
    {
        NetDiagram saved(diagram_);
        ASSERT_TRUE(saved.ok());
        se::forEachRec(SECurrentRoot()->pages, [&](SEHead* h) {
            se::forEachRec(reinterpret_cast<SEPage*>(h)->transitions, [&](SEHead* r) {
                auto* t = reinterpret_cast<SETrans*>(r);
                if (std::string(t->name) == "Produce") {
                    EXPECT_EQ(t->flags & cts::kCheckedMark, 0u);
                } else {
                    EXPECT_NE(t->flags & cts::kCheckedMark, 0u) << t->name;
                }
            });
        });
    }
    ExpectDistinctNumbers(diagram_);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(NewSimProgramTest, AutomaticRunEndsWithEveryItemProducedAndConsumed)
{
    ASSERT_NO_FATAL_FAILURE(StartNewSim());
    ASSERT_NO_FATAL_FAILURE(EnterNewSim());
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Automatic Run"));
    // the run's message: no more enabled transitions
    ASSERT_TRUE(AnswerMessageBox(120s)) << "the run showed no result";
    const std::vector<std::pair<int, std::string>> steps = ReportSteps(SavedReport());
    // whatever the run chooses it ends the same way: items 1 to 9 produced,
    // and those and the initial item 0 consumed, one step each
    ASSERT_EQ(steps.size(), 19u);
    int produced = 0, consumed = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].first, static_cast<int>(i) + 1);
        produced += steps[i].second == "Produce" ? 1 : 0;
        consumed += steps[i].second == "Consume" ? 1 : 0;
        EXPECT_LE(consumed, produced + 1) << "step " << steps[i].first << " consumed an item not produced";
    }
    EXPECT_EQ(produced, 9);
    EXPECT_EQ(consumed, 10);
    // "Clear Report..." asks first; confirmed, the next report is empty
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Clear Report..."));
    ASSERT_TRUE(AnswerMessageBox()) << "Clear Report... did not ask";
    EXPECT_TRUE(ReportSteps(SavedReport("cleared.txt")).empty());
    ASSERT_NO_FATAL_FAILURE(LeaveNewSim());
    EXPECT_TRUE(tolq_.running());
}

// After leaving, the diagram opened again enters NewSim with the same menus.
TEST_F(NewSimProgramTest, DiagramOpenedAgainAfterLeavingEntersNewSimAgain)
{
    ASSERT_NO_FATAL_FAILURE(UseIntegerTime());
    ASSERT_NO_FATAL_FAILURE(StartNewSim());
    ASSERT_NO_FATAL_FAILURE(EnterNewSim());
    ASSERT_NO_FATAL_FAILURE(LeaveNewSim());
    ASSERT_NO_FATAL_FAILURE(PickFile("Open..."));
    const std::optional<WindowInfo> selector = FileSelector();
    ASSERT_TRUE(selector.has_value()) << "Open... asked for no file";
    client_.move_pointer(selector->root_x + 40, selector->root_y + 20);
    Settle();
    xdotool({"key", "--delay", "100", "ctrl+a", "ctrl+k"});
    client_.type_text(diagram_);
    Settle();
    client_.key("Return");
    ASSERT_TRUE(wait_until([&] { return FindWindows(); }, 20s)) << "the diagram did not open again";
    xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
    ASSERT_TRUE(wait_until([&] { return FindWindows() && drawing_.root_y > 120; }));
    ASSERT_TRUE(wait_until([&] { return Ink(kProduceSpot.x - 40, kProduceSpot.y - 20, 10, 10) > 0; }));
    Settle();
    ASSERT_NO_FATAL_FAILURE(EnterNewSim());
    // "Change Model Time..." is in its place once more, and idle
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Change Model Time..."));
    const std::optional<WindowInfo> dialog = ModelTimeDialog();
    ASSERT_TRUE(dialog.has_value()) << "the second session has no Change Model Time...";
    ASSERT_NO_FATAL_FAILURE(ClickCancel(*dialog));
    ASSERT_NO_FATAL_FAILURE(LeaveNewSim());
    EXPECT_TRUE(tolq_.running());
}

TEST_F(NewSimProgramTest, ChangedModelTimeReachesTheEvaluator)
{
    ASSERT_NO_FATAL_FAILURE(UseIntegerTime());
    ASSERT_NO_FATAL_FAILURE(StartNewSim());
    ASSERT_NO_FATAL_FAILURE(EnterNewSim());
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Change Model Time..."));
    const std::optional<WindowInfo> dialog = ModelTimeDialog();
    ASSERT_TRUE(dialog.has_value()) << "Change Model Time... opened no dialog";
    // the net's time is an integer: a real number is refused, the dialog stays
    client_.type_text("2.5");
    Settle();
    ASSERT_NO_FATAL_FAILURE(ClickOk(*dialog));
    ASSERT_TRUE(ModelTimeDialog().has_value()) << "the dialog took a real number";
    for (int i = 0; i < 3; ++i)
        client_.key("BackSpace");
    client_.type_text("1234567");
    Settle();
    ASSERT_NO_FATAL_FAILURE(ClickOk(*dialog));
    ASSERT_TRUE(wait_until([&] {
        for (const WindowInfo& w : client_.window_tree())
            if (w.id == dialog->id && w.mapped)
                return false;
        return true;
    }, 10s)) << "the dialog stayed open";
    EXPECT_TRUE(StatusShows("Change Model Time   Time: 1234567   Step: 0"));
    // the time the run answers with is the evaluator's own clock
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Automatic Run"));
    ASSERT_TRUE(AnswerMessageBox(120s)) << "the run showed no result";
    EXPECT_TRUE(StatusShows("Simulation Completed   Time: 1234567   Step: 19"));
    EXPECT_TRUE(tolq_.running());
}

} // namespace
} // namespace tolq::test
