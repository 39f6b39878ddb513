// What a step shows on the diagram, in the real tolq with the real
// evaluator, on a copy of the example net with its page made prime: with a
// breakpoint at the beginning of a substep the occurring transition is
// highlighted and, when graphics are updated during substeps, its input arc
// shows the tokens it takes; both go when the step goes on; a step on a
// transition of a closed page opens that page and closes it after the step.
// The simulator may not save, so what tolq drew is read from its windows.
#include "MainRoadSession.h"

#include <array>
#include <thread>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/Resources/DialogTables.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

const std::vector<std::string> kSimulatorTitles = {"File", "Edit", "Sim", "Aux", "Set",
                                                   "Makeup", "Page", "Group", "Text", "Align"};

std::map<std::string, std::vector<std::string>> SimulatorItems()
{
    std::map<std::string, std::vector<std::string>> items = kMenuItems;
    for (std::string& item : items["File"])
        if (item == "Enter Simulator")
            item = "Enter Editor";
    items["Page"] = {"New Page", "Open Page", "Close Page", "", "Scroll", "Blowup", "Reduce", "Cleanup", "",
                     "Redraw Hierarchy..."};
    return items;
}

// Where a click reaches an item of a dialog, from the dialog tables tolq is
// built with: a button's middle, a check box's or radio button's box.
std::optional<Spot> ItemCentre(int dialog, int item)
{
    for (const DialogRecord& record : DialogTable_Records()) {
        if (record.number != dialog || item < 1 || item > record.itemCount)
            continue;
        const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(record.firstItem + item - 1)];
        if (DialogItem_Kind(row) != kItemControl)
            return std::nullopt;
        const DialogControlRow& c = DialogTable_ControlRows()[static_cast<size_t>(row.index)];
        return c.type == 0 ? Spot{c.x + c.width / 2, c.y + c.height / 2} : Spot{c.x + 11, c.y + 11};
    }
    return std::nullopt;
}

// Parts of the example's page in its drawing area: the two transitions'
// boxes, and the spot at Buffer's end of the arc to Consume where that arc's
// token count is drawn.
struct Area {
    int x, y, width, height;
};
constexpr Area kProduceBox{235, 344, 90, 50};
constexpr Area kConsumeBox{405, 524, 90, 50};
constexpr Area kConsumeArcCount{438, 383, 74, 32};

class SimFeedbackTest : public TolqSession {
protected:
    // The page made prime; the interactive options with or without the
    // breakpoint at the beginning of a substep and the update level.
    void Prepare(bool breakpoint, int updateLevel)
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle page = diagram.NetPages().front();
        ASSERT_EQ(EE_SetModeAttributes(page, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, 1, 1), 1);
        std::array<int32_t, 4> interactive = {breakpoint ? 1 : 0, 0, 0, updateLevel};
        ASSERT_NE(DefCopyInteractiveOptions(interactive.data(), nullptr), 0);
        ASSERT_TRUE(diagram.Save());
    }

    int PageInk() const { return Ink(0, 0, drawing_.width, drawing_.height); }
    int InkOf(Area a) const { return Ink(a.x, a.y, a.width, a.height); }

    void SimPick(const std::string& title, const std::string& item)
    {
        static const std::map<std::string, std::vector<std::string>> items = SimulatorItems();
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kSimulatorTitles, items}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open";
        Settle();
    }

    void EnterSimulator()
    {
        const int before = PageInk();
        ASSERT_NO_FATAL_FAILURE(Pick("File", "Enter Simulator"));
        ASSERT_TRUE(wait_until([&] { return PageInk() > before + 20; }, 120s)) << "no marking appeared on the page";
        EXPECT_FALSE(client_.message_box_button().has_value()) << "the switch showed a message";
        Settle();
    }

    // "Occurrence Set..." with its first choice: a new set is drawn (with
    // the diagram's seed, Consume alone).
    void ChooseOccurrenceSet()
    {
        ASSERT_NO_FATAL_FAILURE(SimPick("Sim", "Occurrence Set..."));
        std::optional<WindowInfo> dialog;
        ASSERT_TRUE(wait_until([&] {
            for (const WindowInfo& w : client_.window_tree())
                if (w.parent == client_.root() && w.mapped && w.res_name == "dialog" && w.width == 370 &&
                    w.height == 184)
                    dialog = w;
            return dialog.has_value();
        })) << "the occurrence set dialog did not open";
        const std::optional<Spot> item = ItemCentre(30630, 7);
        ASSERT_TRUE(item.has_value());
        client_.click(dialog->root_x + item->x, dialog->root_y + item->y);
        Settle();
        client_.key("Return");
        ASSERT_TRUE(wait_until([&] {
            for (const WindowInfo& w : client_.window_tree())
                if (w.id == dialog->id && w.mapped)
                    return false;
            return true;
        })) << "the occurrence set dialog stayed";
        Settle();
    }

    // "Continue" until no substep waits at its breakpoint any more.
    void ContinueToTheEnd()
    {
        for (int substep = 0; substep < 3; ++substep) {
            ASSERT_NO_FATAL_FAILURE(SimPick("Sim", "Continue"));
            std::this_thread::sleep_for(1500ms);
        }
    }

    // The status line: the main window's child that is not the menu bar.
    std::optional<WindowInfo> StatusLine() const
    {
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == bar_.parent && w.id != bar_.id && w.mapped)
                return w;
        return std::nullopt;
    }

    // How wide the status line's first text is drawn: from its first dark
    // column to the last one before a gap wider than a few blanks.
    int StatusTextWidth() const
    {
        const std::optional<WindowInfo> line = StatusLine();
        if (!line.has_value())
            return 0;
        XImage* image = XGetImage(client_.display(), line->id, 0, 0, static_cast<unsigned>(line->width),
                                  static_cast<unsigned>(line->height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return 0;
        constexpr int kGap = 24;
        int first = -1, last = -1;
        for (int x = 0; x < line->width && (last < 0 || x - last <= kGap); ++x)
            for (int y = 2; y < line->height - 2; ++y) {
                const unsigned long p = XGetPixel(image, x, y);
                if (((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff) < 3 * 128) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
            }
        XDestroyImage(image);
        return first < 0 ? 0 : last - first + 1;
    }

    // Page windows on the screen; closing the last net page brings up the
    // hierarchy page's window.
    int PageWindows() const
    {
        int count = 0;
        for (const TolqPageWindow& page : ScanTolqWindows(client_).pages)
            count += page.drawing.id != 0 && page.shell.mapped ? 1 : 0;
        return count;
    }
};

// Update level of the interactive options, and whether the occurring
// transition's input arc then shows its count at the breakpoint.
struct LevelCase {
    const char* name;
    int level;
    bool counts;
};

class SubstepFeedbackTest : public SimFeedbackTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(SubstepFeedbackTest, TheOccurringTransitionIsHighlightedAtTheBreakpointAndPlainAfterTheStep)
{
    const LevelCase& param = GetParam();
    ASSERT_NO_FATAL_FAILURE(Prepare(true, param.level));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());
    const int produce = InkOf(kProduceBox);
    const int consume = InkOf(kConsumeBox);
    const int arc = InkOf(kConsumeArcCount);

    ASSERT_NO_FATAL_FAILURE(ChooseOccurrenceSet());
    ASSERT_NO_FATAL_FAILURE(SimPick("Sim", "Start Step"));
    std::this_thread::sleep_for(2s);
    ASSERT_FALSE(client_.message_box_button().has_value()) << "the step showed a message";
    // Consume's outline is drawn twice as wide; Produce does not occur.
    EXPECT_GT(InkOf(kConsumeBox), consume + 40) << "Consume is not highlighted";
    EXPECT_LE(InkOf(kProduceBox), produce + 10) << "Produce is highlighted";
    // The count and tokens of Buffer's arc to Consume.
    if (param.counts)
        EXPECT_GT(InkOf(kConsumeArcCount), arc + 20) << "the arc shows no count";
    else
        EXPECT_LE(InkOf(kConsumeArcCount), arc + 10) << "the arc shows a count at this update level";

    ASSERT_NO_FATAL_FAILURE(ContinueToTheEnd());
    EXPECT_LE(InkOf(kConsumeBox), consume + 10) << "Consume stayed highlighted";
    EXPECT_LE(InkOf(kConsumeArcCount), arc + 10) << "the count stayed on the arc";
    EXPECT_FALSE(client_.message_box_button().has_value());
    EXPECT_TRUE(tolq_.running());
}

INSTANTIATE_TEST_SUITE_P(UpdateLevels, SubstepFeedbackTest,
                         ::testing::Values(LevelCase{"DuringSubsteps", 0, true},
                                           LevelCase{"BetweenSubsteps", 1, false}),
                         [](const ::testing::TestParamInfo<LevelCase>& info) { return std::string(info.param.name); });

TEST_F(SimFeedbackTest, AStepOnAClosedPageOpensThePageAndClosesItAfterTheStep)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(true, 0));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());
    ASSERT_NO_FATAL_FAILURE(ChooseOccurrenceSet());
    const int withPage = PageWindows();
    Keys("ctrl+w");
    ASSERT_TRUE(wait_until([&] { return PageWindows() == withPage; })) << "the hierarchy page did not come up";
    std::this_thread::sleep_for(1s);
    // The hierarchy page's window goes below the menu bar.
    for (const TolqPageWindow& page : ScanTolqWindows(client_).pages)
        if (page.shell.mapped)
            xdotool({"windowmove", std::to_string(page.shell.id), "0", "300"});
    Settle();
    const int withoutPage = PageWindows();

    ASSERT_NO_FATAL_FAILURE(SimPick("Sim", "Start Step"));
    ASSERT_TRUE(wait_until([&] { return PageWindows() == withoutPage + 1; }, 20s))
        << "the step did not open the page";
    ASSERT_NO_FATAL_FAILURE(ContinueToTheEnd());
    EXPECT_TRUE(wait_until([&] { return PageWindows() == withoutPage; }, 5s))
        << "the page the step opened stayed open";
    EXPECT_FALSE(client_.message_box_button().has_value());
    EXPECT_TRUE(tolq_.running());
}

TEST_F(SimFeedbackTest, AStepWithoutBreakpointsLeavesTheOpenPageOpenAndPlain)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(false, 0));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());
    const int consume = InkOf(kConsumeBox);
    const int arc = InkOf(kConsumeArcCount);
    ASSERT_NO_FATAL_FAILURE(ChooseOccurrenceSet());
    ASSERT_NO_FATAL_FAILURE(SimPick("Sim", "Start Step"));
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(PageWindows(), 1);
    EXPECT_LE(InkOf(kConsumeBox), consume + 10) << "Consume stayed highlighted";
    EXPECT_LE(InkOf(kConsumeArcCount), arc + 10) << "the count stayed on the arc";
    EXPECT_FALSE(client_.message_box_button().has_value());
}

// The kernel's own status line for a selection carries the step while
// simulating: "   Step: 0" after the selection's description.
TEST_F(SimFeedbackTest, TheStatusLineOfASelectionShowsTheStepWhileSimulating)
{
    XFontStruct* statusFont = XLoadQueryFont(client_.display(), "*-helvetica-*-r-*-120-*");
    ASSERT_NE(statusFont, nullptr);
    const std::string suffix = "   Step: 0";
    const int suffixWidth = XTextWidth(statusFont, suffix.c_str(), static_cast<int>(suffix.size()));
    XFreeFont(client_.display(), statusFont);

    ASSERT_NO_FATAL_FAILURE(Prepare(false, 0));
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(kBufferSpot);
    std::this_thread::sleep_for(1s);
    const int inEditor = StatusTextWidth();
    ASSERT_GT(inEditor, 0);
    ClickAt(Spot{20, 20});
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());
    ClickAt(kBufferSpot);
    EXPECT_TRUE(wait_until([&] { return StatusTextWidth() >= inEditor + suffixWidth - 4; }, 10s))
        << "the status line is " << StatusTextWidth() << " pixels wide, " << inEditor << " in the editor";
}

}  // namespace
}  // namespace tolq::test
