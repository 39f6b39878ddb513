// The simulator of the real tolq with the real evaluator, entered from the
// File menu on a copy of the example net: the initial marking of Next and
// Buffer drawn on the page, "Enter Editor" back to the editor with the
// simulation regions hidden, "Remove Sim Regions..." of the TOLQ menu taking
// them away; a net whose page has two instances through two substitution
// transitions, each instance reached from its transition; and a timed net,
// whose model time the status line shows. What tolq did is read back from
// the window and from the diagram it saved.
#include "MainRoadSession.h"

#include <array>
#include <csignal>
#include <set>

#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CSimulator/SimOptionDialogs.h"
#include "atolq/Resources/DialogTables.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
#include "xkv/kvud/UserData.h"
#include "xkv/model/Model.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr Fixed kPixel = 0x8000;

// The editor's and the simulator's menu bars: the TOLQ menu gives way to the
// Sim menu, and the File menu's "Enter Simulator" reads "Enter Editor".
const std::vector<std::string> kSimulatorTitles = {"File", "Edit", "Sim", "Aux", "Set",
                                                   "Makeup", "Page", "Group", "Text", "Align"};

std::map<std::string, std::vector<std::string>> SimulatorItems()
{
    std::map<std::string, std::vector<std::string>> items = kMenuItems;
    for (std::string& item : items["File"])
        if (item == "Enter Simulator")
            item = "Enter Editor";
    return items;
}

// The simulation regions an object carries: its marking, enabling and token
// regions and their key regions.
std::vector<int32_t> SimulationRegionKinds(ObjectHandle object)
{
    std::vector<int32_t> kinds;
    for (ObjectHandle region : RegionsOf(object)) {
        uint32_t raw = 0;
        QXRdAttr_GetRegionKind(region, &raw);
        const auto kind = static_cast<int32_t>(raw);
        const int32_t base = kind & ~kRegionKeyBit;
        if (kind == kRegionFeedback || base == 4113 || base == 4115 || base == 4121)
            kinds.push_back(kind);
    }
    return kinds;
}

// The texts of a place's marking key region and of the marking region below
// it, and whether the key region is hidden.
struct Marking {
    std::string count;
    std::string tokens;
    bool hidden = false;
};

std::optional<Marking> MarkingOf(ObjectHandle place)
{
    for (ObjectHandle key : RegionsOf(place)) {
        uint32_t kind = 0;
        QXRdAttr_GetRegionKind(key, &kind);
        if (static_cast<int32_t>(kind) != (4113 | kRegionKeyBit))
            continue;
        Marking marking;
        marking.count = TextOf(key);
        uint32_t hidden = 0;
        QXRdAttr_GetFlag(key, 4, &hidden);
        marking.hidden = hidden != 0;
        for (ObjectHandle region : RegionsOf(key)) {
            uint32_t inner = 0;
            QXRdAttr_GetRegionKind(region, &inner);
            if (static_cast<int32_t>(inner) == 4113)
                marking.tokens = TextOf(region);
        }
        return marking;
    }
    return std::nullopt;
}

// Where a click reaches an item of a dialog, from the dialog tables tolq is
// built with.
std::optional<Spot> ItemCentre(int dialog, int item)
{
    for (const DialogRecord& record : DialogTable_Records()) {
        if (record.number != dialog || item < 1 || item > record.itemCount)
            continue;
        const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(record.firstItem + item - 1)];
        if (DialogItem_Kind(row) == kItemText) {
            const DialogTextRow& t = DialogTable_TextRows()[static_cast<size_t>(row.index)];
            return Spot{t.x + t.width / 2, t.y + t.height / 2};
        }
        if (DialogItem_Kind(row) == kItemControl) {
            const DialogControlRow& c = DialogTable_ControlRows()[static_cast<size_t>(row.index)];
            // A button's middle; a check box's box at its left end.
            return Spot{c.type == 0 ? c.x + c.width / 2 : c.x + 10, c.y + c.height / 2};
        }
    }
    return std::nullopt;
}

SEHead* RecordOf(ObjectHandle object)
{
    SEHead* record = nullptr;
    return object != 0 && GE_GetSERecord(object, &record) != 0 ? record : nullptr;
}

// The pixels of a window, to tell two pictures of it apart.
std::vector<unsigned long> Picture(const XClient& client, const WindowInfo& window)
{
    std::vector<unsigned long> pixels;
    XImage* image = XGetImage(client.display(), window.id, 0, 0, static_cast<unsigned>(window.width),
                              static_cast<unsigned>(window.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return pixels;
    for (int y = 0; y < window.height; ++y)
        for (int x = 0; x < window.width; ++x)
            pixels.push_back(XGetPixel(image, x, y));
    XDestroyImage(image);
    return pixels;
}

// The copy of the example with its page made a prime page, as Set > Mode
// Attributes... makes it: the simulator makes one instance of it.
class SimulatorProgramTest : public TolqSession {
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

    // The whole drawing area's dark pixels.
    int PageInk() const { return Ink(0, 0, drawing_.width, drawing_.height); }

    void PickInSimulator(const std::string& title, const std::string& item)
    {
        static const std::map<std::string, std::vector<std::string>> items = SimulatorItems();
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kSimulatorTitles, items}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open";
        Settle();
    }

    // Enters the simulator from the File menu and waits until the page has
    // more ink than before: the markings are drawn.
    void EnterSimulator()
    {
        const int before = PageInk();
        ASSERT_NO_FATAL_FAILURE(Pick("File", "Enter Simulator"));
        ASSERT_TRUE(wait_until([&] { return PageInk() > before + 20; }, 120s))
            << "no marking appeared on the page";
        EXPECT_FALSE(client_.message_box_button().has_value()) << "the switch showed a message";
        Settle();
    }

    std::vector<WindowInfo> Dialogs() const
    {
        std::vector<WindowInfo> out;
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == client_.root() && w.mapped && w.res_name == "dialog")
                out.push_back(w);
        return out;
    }

    std::optional<WindowInfo> WaitForDialog(int width, int height) const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const WindowInfo& w : Dialogs())
                if (w.width == width && w.height == height)
                    found = w;
            return found.has_value();
        });
        return found;
    }

    void ClickItem(const WindowInfo& dialog, int number, int item)
    {
        const std::optional<Spot> centre = ItemCentre(number, item);
        ASSERT_TRUE(centre.has_value()) << "dialog " << number << " has no item " << item;
        client_.click(dialog.root_x + centre->x, dialog.root_y + centre->y);
        Settle();
    }
};

TEST_F(SimulatorProgramTest, EnterSimulatorDrawsTheInitialMarkingAndEnterEditorHidesIt)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const int editorInk = PageInk();
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());
    const int simulatorInk = PageInk();

    ASSERT_NO_FATAL_FAILURE(PickInSimulator("File", "Enter Editor"));
    EXPECT_TRUE(wait_until([&] { return PageInk() < simulatorInk - 20; }, 10s))
        << "the markings stayed on the page";
    EXPECT_LE(PageInk(), editorInk + 20);
    // The TOLQ menu is back: the editor's save works again.
    ASSERT_NO_FATAL_FAILURE(Save());

    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const struct {
        const char* place;
        const char* tokens;
    } kInitial[] = {{"Next", "1`1"}, {"Buffer", "1`0"}};
    for (const auto& expected : kInitial) {
        const ObjectHandle place = saved.NodeNamed(expected.place);
        ASSERT_NE(place, 0u) << expected.place;
        const std::optional<Marking> marking = MarkingOf(place);
        ASSERT_TRUE(marking.has_value()) << expected.place << " has no marking region";
        EXPECT_EQ(marking->count, "1") << expected.place;
        EXPECT_EQ(marking->tokens, expected.tokens) << expected.place;
        EXPECT_TRUE(marking->hidden) << expected.place << "'s marking is still shown in the editor";
    }
    // Every transition has its enabling mark, every arc its token regions.
    for (const char* transition : {"Produce", "Consume"}) {
        const std::vector<int32_t> kinds = SimulationRegionKinds(saved.NodeNamed(transition));
        EXPECT_NE(std::find(kinds.begin(), kinds.end(), kRegionFeedback), kinds.end()) << transition;
    }
    int arcsWithTokens = 0;
    for (ObjectHandle page : saved.NetPages())
        for (ObjectHandle connector : ConnectorsOnPage(page))
            arcsWithTokens += SimulationRegionKinds(connector).empty() ? 0 : 1;
    EXPECT_EQ(arcsWithTokens, 4);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(SimulatorProgramTest, InitialStateFromTheSimMenuShowsTheInitialMarkingAgain)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());
    const int simulatorInk = PageInk();
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Initial State..."));
    EXPECT_TRUE(NoMessageBoxFor(3s)) << "Initial State... refused or failed";
    EXPECT_TRUE(wait_until([&] { return std::abs(PageInk() - simulatorInk) <= 20; }, 10s))
        << "the page shows something else after Initial State...";
    // Still in the simulator: its File menu leads back to the editor.
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("File", "Enter Editor"));
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const std::optional<Marking> next = MarkingOf(saved.NodeNamed("Next"));
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->tokens, "1`1");
    EXPECT_TRUE(tolq_.running());
}

TEST_F(SimulatorProgramTest, AnInscriptionEditedWhileSimulatingNeedsReswitchThenInitialStateTakesIt)
{
    Spot marking{};
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle region = diagram.ObjectWithText("1`1");
        ASSERT_NE(region, 0u);
        Fixed px = 0, py = 0, x = 0, y = 0;
        QXRdAttr_GetPosition(diagram.NodeNamed("Produce"), &px, &py);
        QXRdAttr_GetPosition(region, &x, &y);
        marking = {kProduceSpot.x + (x - px) / kPixel, kProduceSpot.y + (y - py) / kPixel};
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());

    // Next's initial marking retyped on the page, as in the editor.
    ClickAt(marking);
    Keys("alt+t");
    for (int i = 0; i < 3; ++i)
        client_.key("BackSpace");
    Settle();
    xdotool({"type", "1`3"});
    Settle();

    // A Sim command stores the text being edited first: the code is then
    // stale and the command is refused until Reswitch.
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Initial State..."));
    EXPECT_TRUE(AnswerMessageBox()) << "a command on stale code was not refused";
    ClickAt({kProduceSpot.x + 20, kProduceSpot.y + 250});
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Reswitch"));
    EXPECT_TRUE(NoMessageBoxFor(5s)) << "Reswitch failed";
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Initial State..."));
    EXPECT_TRUE(NoMessageBoxFor(5s)) << "Initial State... refused after Reswitch";

    ASSERT_NO_FATAL_FAILURE(PickInSimulator("File", "Enter Editor"));
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_TRUE(DataBaseHolds(diagram_, "1`3")) << "the retyped marking did not reach the net";
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const std::optional<Marking> next = MarkingOf(saved.NodeNamed("Next"));
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->count, "1");
    EXPECT_EQ(next->tokens, "1`3") << "Initial State... did not take the new initial marking";
    EXPECT_TRUE(tolq_.running());
}

TEST_F(SimulatorProgramTest, TheDeleteKeyLeavesTheNetAloneWhileSimulating)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());
    ClickAt(kProduceSpot);
    Keys("Delete");
    Keys("BackSpace");
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("File", "Enter Editor"));
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    EXPECT_NE(saved.NodeNamed("Produce"), 0u) << "Produce was deleted in the simulator";
    EXPECT_EQ(ConnectorsOnPage(saved.NetPages().front()).size(), 4u);
    EXPECT_TRUE(tolq_.running());
}

// Remove Sim Regions... with some of its check boxes turned off: which kinds
// of simulation regions the page keeps.
struct RemoveCase {
    const char* name;
    std::vector<int> clicked;  // items of dialog 30610 clicked before the last
    int last;                  // OK (1) or Cancel (2)
    std::set<int32_t> kept;
};

class RemoveSimRegionsTest : public SimulatorProgramTest, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemoveSimRegionsTest, TheCheckedKindsOfRegionsGo)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("File", "Enter Editor"));
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Remove Sim Regions..."));
    const std::optional<WindowInfo> dialog = WaitForDialog(420, 220);
    ASSERT_TRUE(dialog.has_value()) << "Remove Sim Regions... opened no dialog";
    for (int item : GetParam().clicked)
        ASSERT_NO_FATAL_FAILURE(ClickItem(*dialog, 30610, item));
    ASSERT_NO_FATAL_FAILURE(ClickItem(*dialog, 30610, GetParam().last));
    ASSERT_TRUE(wait_until([&] { return Dialogs().empty(); })) << "the dialog stayed open";
    ASSERT_NO_FATAL_FAILURE(Save());

    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    std::set<int32_t> kept;
    for (ObjectHandle page : saved.NetPages()) {
        for (ObjectHandle node : NodesOf(page))
            for (int32_t kind : SimulationRegionKinds(node))
                kept.insert(kind);
        for (ObjectHandle connector : ConnectorsOnPage(page))
            for (int32_t kind : SimulationRegionKinds(connector))
                kept.insert(kind);
    }
    EXPECT_EQ(kept, GetParam().kept);
    // The net's own inscriptions stay.
    EXPECT_NE(saved.ObjectWithText("1`1"), 0u);
    EXPECT_NE(saved.ObjectWithText("[n < 10]"), 0u);
    EXPECT_TRUE(tolq_.running());
}

constexpr int32_t kMarkingKey = 4113 | kRegionKeyBit;
constexpr int32_t kInputKey = 4115 | kRegionKeyBit;
constexpr int32_t kOutputKey = 4121 | kRegionKeyBit;

INSTANTIATE_TEST_SUITE_P(
    Switches, RemoveSimRegionsTest,
    ::testing::Values(RemoveCase{"All", {}, 1, {}},
                      // Current Marking and Output Token off: each switch
                      // removes only its own kind.
                      RemoveCase{"KeepMarkingAndOutputTokens", {6, 9}, 1, {kMarkingKey, kOutputKey}},
                      RemoveCase{"KeepFeedbackAndInputTokens", {7, 8}, 1, {kRegionFeedback, kInputKey}},
                      RemoveCase{"Cancel", {}, 2, {kMarkingKey, kRegionFeedback, kInputKey, kOutputKey}}),
    [](const ::testing::TestParamInfo<RemoveCase>& info) { return std::string(info.param.name); });

// The example with a colour set that no declaration names: the check before
// the switch fails.
class BrokenNetTest : public SimulatorProgramTest {
protected:
    void SetUp() override
    {
        SimulatorProgramTest::SetUp();
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle buffer = diagram.NodeNamed("Buffer");
        ObjectHandle colourSet = 0;
        ASSERT_EQ(GE_GetRegion(buffer, kRegionColourSet, &colourSet), 1);
        QXText_SetText(colourSet, "FOO");
        EE_StorePlaceTexts(buffer);
        ASSERT_TRUE(diagram.Save());
    }
};

TEST_F(BrokenNetTest, EnterSimulatorReportsTheErrorsAndStaysInTheEditor)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const int editorInk = PageInk();
    ASSERT_NO_FATAL_FAILURE(Pick("File", "Enter Simulator"));
    ASSERT_TRUE(AnswerMessageBox(120s)) << "the failed check showed nothing";
    // The hierarchy page lists the page with errors; it goes aside.
    Settle();
    for (const TolqPageWindow& page : ScanTolqWindows(client_).pages)
        if (page.drawing.id != drawing_.id)
            xdotool({"windowmove", std::to_string(page.shell.id), "640", "120"});
    Settle();
    // The editor's TOLQ menu is back: its Syntax Check finds the errors again.
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Syntax Check"));
    EXPECT_TRUE(AnswerMessageBox(120s)) << "the TOLQ menu did not come back";
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    EXPECT_FALSE(MarkingOf(saved.NodeNamed("Next")).has_value()) << "simulation regions were made";
    EXPECT_GE(PageInk(), editorInk) << "the error box is on the page";
    EXPECT_TRUE(tolq_.running());
}

// Two substitution transitions, First and Second, drawn on the example's
// page below Next and Produce, both with the new page "Work" as their
// subpage; Work has one place, Count, holding 1`5. The net then has two
// instances of Work, one below each substitution transition.
class TwoInstancesTest : public SimulatorProgramTest {
protected:
    void SetUp() override
    {
        SimulatorProgramTest::SetUp();
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle example = diagram.NetPages().front();
        const ObjectHandle work = QXStr_CreatePageOpt(1, 257);
        ASSERT_NE(work, 0u);
        ASSERT_EQ(EE_CreateNetPage(work, 1), 1);
        char name[256] = {};
        uint16_t number = 0;
        int16_t width = 0, height = 0;
        uint32_t border = 0;
        QXRdAttr_GetPageAttr(work, name, &number, &width, &height, &border);
        QXWtAttr_SetPageAttr(work, "Work", number, width, height, border);
        EE_PageChangedHook(work, 0, 0, 0, 0, 0);
        ASSERT_NO_FATAL_FAILURE(AddPlace(work, "Count", "INT", "1`5"));

        Fixed px = 0, py = 0;
        QXRdAttr_GetPosition(diagram.NodeNamed("Produce"), &px, &py);
        for (const auto& [label, spot] : {std::pair{"First", kFirst}, std::pair{"Second", kSecond}}) {
            const Fixed x = px + (spot.x - kProduceSpot.x) * kPixel;
            const Fixed y = py + (spot.y - kProduceSpot.y) * kPixel;
            const ObjectHandle node = QXStr_CreateNode(example, x, y, 80 * kPixel, 40 * kPixel, 1);
            ASSERT_NE(node, 0u);
            QXText_SetText(node, label);
            ASSERT_EQ(EE_CreateNetTrans(node), 1);
            EE_StoreTransTexts(node);
            ASSERT_EQ(EE_MakeCompound(node, kSESubstitution, nullptr), 1);
            ASSERT_EQ(EE_AssignSubpage(node, work, 0), 1);
        }
        const uint16_t keep = kEEModeKeep;
        ASSERT_EQ(EE_SetModeAttributes(work, keep, keep, keep, keep, keep, 0, 1), 1);
        ASSERT_TRUE(diagram.Save());
    }

    static void AddPlace(ObjectHandle page, const char* name, const char* colourSet, const char* marking)
    {
        const ObjectHandle place = QXStr_CreateNode(page, 0, 0, 60 * kPixel, 40 * kPixel, 2);
        ASSERT_NE(place, 0u);
        QXText_SetText(place, name);
        ASSERT_EQ(EE_CreateNetPlace(place), 1);
        for (const auto& [kind, text] : {std::pair{kRegionColourSet, colourSet}, std::pair{kRegionInitMark, marking}}) {
            ObjectHandle region = 0;
            ASSERT_EQ(GE_CreateRegion(page, place, kind, &region), 1);
            QXText_SetText(region, text);
        }
        EE_StorePlaceTexts(place);
    }

    // The drawing area of the subpage's window once it is shown.
    std::optional<TolqPageWindow> WorkWindow() const
    {
        for (const TolqPageWindow& page : ScanTolqWindows(client_).pages)
            if (page.drawing.id != 0 && page.drawing.id != drawing_.id)
                return page;
        return std::nullopt;
    }

    // Opens a substitution transition with a double click.
    void Open(Spot spot)
    {
        client_.move_pointer(drawing_.root_x + spot.x, drawing_.root_y + spot.y);
        xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
        Settle();
    }

    std::vector<unsigned long> WorkCaption() const
    {
        const std::optional<TolqPageWindow> work = WorkWindow();
        return work.has_value() ? Picture(client_, work->title) : std::vector<unsigned long>{};
    }

    int WorkInk() const
    {
        const std::optional<TolqPageWindow> work = WorkWindow();
        if (!work.has_value())
            return 0;
        XImage* image = XGetImage(client_.display(), work->drawing.id, 0, 0,
                                  static_cast<unsigned>(work->drawing.width),
                                  static_cast<unsigned>(work->drawing.height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return 0;
        int dark = 0;
        for (int y = 0; y < work->drawing.height; ++y)
            for (int x = 0; x < work->drawing.width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                dark += ((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff) < 3 * 128 ? 1 : 0;
            }
        XDestroyImage(image);
        return dark;
    }

    static constexpr Spot kFirst{kProduceSpot.x - 170, kProduceSpot.y + 180};
    static constexpr Spot kSecond{kProduceSpot.x, kProduceSpot.y + 180};
};

TEST_F(TwoInstancesTest, EachSubstitutionTransitionOpensItsOwnInstanceOfTheSubpage)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());

    Open(kFirst);
    ASSERT_TRUE(wait_until([&] { return WorkWindow().has_value() && WorkInk() > 0; }, 10s))
        << "First did not open its subpage";
    Settle();
    const std::vector<unsigned long> firstCaption = WorkCaption();
    const int firstInk = WorkInk();
    ASSERT_FALSE(firstCaption.empty());

    // The subpage's window goes beside the net's page, which stays in reach.
    xdotool({"windowmove", std::to_string(WorkWindow()->shell.id), "640", "120"});
    ASSERT_TRUE(wait_until([&] { return WorkWindow().has_value() && WorkWindow()->drawing.root_x >= 640; }));
    Settle();
    ASSERT_EQ(WorkCaption(), firstCaption);

    Open(kSecond);
    EXPECT_TRUE(wait_until([&] { return !WorkCaption().empty() && WorkCaption() != firstCaption; }, 10s))
        << "the subpage kept the caption of the first instance";
    // The second instance holds the same initial marking, drawn as well.
    EXPECT_TRUE(wait_until([&] { return std::abs(WorkInk() - firstInk) <= 20; }, 10s));

    Open(kFirst);
    EXPECT_TRUE(wait_until([&] { return WorkCaption() == firstCaption; }, 10s))
        << "the first instance did not come back";
    EXPECT_FALSE(client_.message_box_button().has_value());
    EXPECT_TRUE(tolq_.running());
}

// The example with a timed colour set for its places, simulated with time.
class TimedNetTest : public SimulatorProgramTest {
protected:
    void SetUp() override
    {
        SimulatorProgramTest::SetUp();
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        ObjectHandle declarations = 0;
        for (ObjectHandle node : NodesOf(diagram.NetPages().front())) {
            SEHead* record = RecordOf(node);
            if (record != nullptr && record->kind == kSEDeclNode)
                declarations = node;
        }
        ASSERT_NE(declarations, 0u);
        QXText_SetText(declarations, "color INT = int timed;\ncolor TIME = time;\nvar n : INT;");
        ASSERT_EQ(EE_BuildDeclRegions(declarations), 1);
        std::array<uint32_t, 512> runOptions{};
        ASSERT_EQ(DefGetRunOptions(runOptions.data(), kDefLevelDiagram), 1);
        runOptions[2] = 1;  // simulate with time
        ASSERT_EQ(DefSetRunOptions(runOptions.data(), kDefLevelDiagram), 1);
        ASSERT_TRUE(diagram.Save());
    }

    // The status line: the main window's child that is not the menu bar.
    std::optional<WindowInfo> StatusLine() const
    {
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == bar_.parent && w.id != bar_.id && w.mapped)
                return w;
        return std::nullopt;
    }

    // How wide the status line's text is drawn: from its first to its last
    // dark column.
    int StatusTextWidth() const
    {
        const std::optional<WindowInfo> line = StatusLine();
        if (!line.has_value())
            return 0;
        XImage* image = XGetImage(client_.display(), line->id, 0, 0, static_cast<unsigned>(line->width),
                                  static_cast<unsigned>(line->height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return 0;
        int first = -1, last = -1;
        for (int x = 0; x < line->width; ++x)
            for (int y = 0; y < line->height; ++y) {
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
};

TEST_F(TimedNetTest, TheStatusLineShowsTheModelTime)
{
    XFontStruct* statusFont = XLoadQueryFont(client_.display(), "*-helvetica-*-r-*-120-*");
    ASSERT_NE(statusFont, nullptr);
    const auto width = [&](const std::string& text) {
        return XTextWidth(statusFont, text.c_str(), static_cast<int>(text.size()));
    };
    const int withoutTime = width("Ready to Simulate");
    const int withTime = width("Ready to Simulate   Time: 0");
    XFreeFont(client_.display(), statusFont);

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());
    EXPECT_TRUE(wait_until([&] { return StatusTextWidth() >= withTime - 4; }, 10s))
        << "the status line is " << StatusTextWidth() << " pixels wide, \"Ready to Simulate\" alone "
        << withoutTime;
    // The marking of a timed place carries its time stamp.
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("File", "Enter Editor"));
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const std::optional<Marking> next = MarkingOf(saved.NodeNamed("Next"));
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->count, "1");
    EXPECT_NE(next->tokens.find("1`1"), std::string::npos) << next->tokens;
    EXPECT_TRUE(tolq_.running());
}

// ---- Save State... and the reload of a saved state ----

// The dialogs of a running tolq and the "Yes" of its yes/no question, where
// the question's dialog table puts it.
constexpr int kQuestionYesX = 313, kQuestionAnswerY = 132;

class SavedStateRunTest : public SimulatorProgramTest {
protected:
    // Runs automatically to the end: the run's message (no more enabled
    // transitions) closes it.
    void RunToTheEnd()
    {
        ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Automatic Run"));
        ASSERT_TRUE(AnswerMessageBox(120s)) << "the run showed no result";
        Settle();
    }

    // File > Save State... and waits until the diagram, its data base and
    // the evaluator's image beside them are written.
    void SaveState()
    {
        const auto before = fs::last_write_time(diagram_);
        std::this_thread::sleep_for(1100ms);
        ASSERT_NO_FATAL_FAILURE(PickInSimulator("File", "Save State..."));
        ASSERT_TRUE(wait_until([&] {
            std::error_code error;
            return fs::last_write_time(diagram_, error) != before && !ImageFiles().empty();
        }, 60s)) << "the state was not saved";
        EXPECT_TRUE(NoMessageBoxFor(2s)) << "Save State... reported a failure";
        std::this_thread::sleep_for(500ms);
    }

    std::vector<std::string> ImageFiles() const
    {
        std::vector<std::string> out;
        const std::string prefix = fs::path(diagram_).filename().string() + ".ML";
        for (const auto& entry : fs::directory_iterator(dir_.path()))
            if (entry.path().filename().string().rfind(prefix, 0) == 0)
                out.push_back(entry.path().string());
        return out;
    }

    // tolq stopped and started again on the saved diagram; the question
    // whether to enter the simulator is answered with "Yes".
    void ReopenIntoTheSimulator()
    {
        tolq_.stop(SIGTERM);
        XFreeFont(client_.display(), font_);
        font_ = nullptr;
        client_.sync();
        tolq_ = BackgroundProcess({kTolqProgram, diagram_}, {{"HOME", dir_.path()}}, dir_.path());
        std::optional<WindowInfo> question;
        ASSERT_TRUE(wait_until([&] {
            for (const WindowInfo& w : Dialogs())
                question = w;
            return question.has_value();
        }, 30s)) << "the saved state was not offered";
        Settle();
        client_.click(question->root_x + kQuestionYesX, question->root_y + kQuestionAnswerY);
        ASSERT_TRUE(wait_until([&] { return FindWindows(); }, 60s)) << "the diagram did not open";
        xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
        ASSERT_TRUE(wait_until([&] { return FindWindows() && drawing_.root_y > 120; }));
        font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
        ASSERT_NE(font_, nullptr);
        Settle();
    }

    // The marking of a place as the diagram file holds it, read by the
    // kernel alone: the net layer would take up the saved state. The place
    // is the node labelled with its name.
    std::string SavedTokens(const std::string& place) const
    {
        KernelDiagram file(diagram_);
        if (!file.ok())
            return "(unreadable)";
        for (ObjectHandle page : PagesOfDiagram())
            for (ObjectHandle node : NodesOf(page)) {
                if (TextOf(node) != place)
                    continue;
                for (ObjectHandle key : RegionsOf(node)) {
                    uint32_t kind = 0;
                    QXRdAttr_GetRegionKind(key, &kind);
                    if (static_cast<int32_t>(kind) != (4113 | kRegionKeyBit))
                        continue;
                    for (ObjectHandle region : RegionsOf(key)) {
                        QXRdAttr_GetRegionKind(region, &kind);
                        if (static_cast<int32_t>(kind) == 4113)
                            return TextOf(region);
                    }
                }
            }
        return "(none)";
    }

    // Whether the diagram file carries the saved-state mark.
    bool SavedWithState() const
    {
        KernelDiagram file(diagram_);
        uint32_t length = 0;
        return file.ok() && UD_GetFieldSize(QXStr_GetPageListHandle(), kTagSavedState, &length) != 0;
    }

    static constexpr UserDataTag kTagSavedState = 0xF903;

    // The diagram file read by the kernel alone (no net layer, no hooks),
    // to look at or change its objects and write it again.
    class KernelDiagram {
    public:
        explicit KernelDiagram(const std::string& path)
        {
            ok_ = Group_CreateTable(kGroupTableInitialSize) == kStatusOk &&
                  Model_CreateTable(kInitialObjectSlots) == kStatusOk && Default_Init() == kStatusOk &&
                  DefRegisterProperties() == 1 && DefInitAll() == 1;
            FileHandle file = 0;
            ObjectGroup pages = 0;
            ok_ = ok_ && File_Open(path.c_str(), kOpenRead, &file) == kStatusOk &&
                  File_ReadDiagram(file, 0, &pages) == kStatusOk;
            if (file != 0)
                File_Close(file);
            if (pages != 0)
                Group_Free(pages);
        }
        ~KernelDiagram()
        {
            if (Model_GetRoot() != 0)
                Model_DestroyTree(Model_GetRoot());
            Default_Shutdown();
            Model_DestroyTable();
            Group_DestroyTable();
        }
        KernelDiagram(const KernelDiagram&) = delete;
        KernelDiagram& operator=(const KernelDiagram&) = delete;

        bool ok() const { return ok_; }
        bool WriteTo(const std::string& path) const
        {
            FileHandle file = 0;
            bool written = File_Open(path.c_str(), kOpenWrite, &file) == kStatusOk && File_WriteDiagram(file) == kStatusOk;
            if (file != 0)
                written = File_Close(file) == kStatusOk && written;
            return written;
        }

    private:
        bool ok_ = false;
    };
};

// A run to its end is saved with Save State...; tolq opened again on the
// diagram takes up the state in the simulator: the marking shown is the
// evaluator's, restored from the saved image, not the one the file holds.
TEST_F(SavedStateRunTest, SaveStateThenReopenBringsTheRunsMarkingBack)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());
    ASSERT_NO_FATAL_FAILURE(RunToTheEnd());
    ASSERT_NO_FATAL_FAILURE(SaveState());
    EXPECT_EQ(SavedTokens("Next"), "1`10");
    EXPECT_TRUE(SavedWithState());
    EXPECT_TRUE(fs::exists(diagram_ + "~")) << "the diagram it replaced is not kept as the backup";

    ASSERT_NO_FATAL_FAILURE(ReopenIntoTheSimulator());
    EXPECT_TRUE(NoMessageBoxFor(3s)) << "the reload reported a problem";
    // Saved again from the reopened simulator.
    ASSERT_NO_FATAL_FAILURE(SaveState());
    EXPECT_EQ(SavedTokens("Next"), "1`10");
    EXPECT_TRUE(tolq_.running());
}

// Only Produce can occur (Consume's guard never holds), so a run's steps
// are known: after k steps Next holds 1`(k+1). Every run stops after three
// more steps ("Additional Steps" the only stop criterion).
class StoppedRunTest : public SavedStateRunTest {
protected:
    void SetUp() override
    {
        SavedStateRunTest::SetUp();
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle consume = diagram.NodeNamed("Consume");
        ObjectHandle guard = 0;
        ASSERT_EQ(GE_CreateRegion(diagram.NetPages().front(), consume, kRegionGuard, &guard), 1);
        QXText_SetText(guard, "[n > 100]");
        EE_StoreTransTexts(consume);
        SRunOptions run{};
        ASSERT_NE(DefGetRunOptions(run.data(), kDefLevelDiagram), 0);
        for (size_t criterion = 6; criterion <= 10; ++criterion)
            run[criterion] = criterion == 6 ? 1 : 0;
        run[11] = 1;
        SSetRunCriterionText(run, 0, "3");
        ASSERT_EQ(DefSetRunOptions(run.data(), kDefLevelDiagram), 1);
        ASSERT_TRUE(diagram.Save());
    }

    // An automatic run from the Sim menu, to its stop criterion; a message
    // at its end is answered.
    void RunThreeSteps()
    {
        ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Automatic Run"));
        AnswerMessageBox(20s);
        Settle();
    }
};

// The automatic run stops after its three steps, and Save State... keeps
// the marking the run reached.
TEST_F(StoppedRunTest, AutomaticRunStopsOnItsCriterionAndSaveStateKeepsItsMarking)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());
    ASSERT_NO_FATAL_FAILURE(RunThreeSteps());
    ASSERT_NO_FATAL_FAILURE(SaveState());
    EXPECT_EQ(SavedTokens("Next"), "1`4") << "the run did not stop after three steps";
    EXPECT_TRUE(SavedWithState());
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test
