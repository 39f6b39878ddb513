// The simulator's dialogs in the real tolq with the real evaluator, on a copy
// of the example net with its page made prime: "Bind..." refusing values the
// evaluator rejects and choosing a binding of Produce, the occurrence set that
// "Change Marking..." then offers to delete, "Occurrence Set..." offering
// only a new set while none is chosen, "Change Marking..." giving Buffer a
// marking the evaluator checked, and "Select Instance..." and "Select
// Enabled..." choosing the page's instance. The marking is read back from the
// diagram tolq saved.
#include "SimDialogSession.h"

#include "atolq/CEditor/NetObjects.h"
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
    items["Set"] = {"Text Attributes...", "Graphic Attributes...", "Shape Attributes...", "Region Attributes...", "",
                    "Page Attributes...", "Mode Attributes...", "", "Chart Attributes...", "",
                    "Hierarchy Page Options...", "Interaction Options...", "", "Merge Options...", "Text Options...",
                    "Syntax Options...", "", "Simulation Code Options...", "General Simulation Options...",
                    "Interactive Simulation Options...", "Occurrence Set Options...",
                    "Transition Feedback Options...", "", "ML Configuration Options...", "", "Copy Defaults..."};
    return items;
}

// The dialogs by their number, and their size as tolq lays them out.
struct DialogShape {
    int number;
    int width;
    int height;
};
constexpr DialogShape kBindings{30620, 710, 432};
constexpr DialogShape kChangeMarking{31000, 370, 302};
constexpr DialogShape kOccurrenceSet{30630, 370, 184};
constexpr DialogShape kInstances{30570, 370, 308};
constexpr DialogShape kQuestion{30001, 531, 240};
constexpr DialogShape kInteractiveOptions{30594, 370, 356};
constexpr DialogShape kRunOptions{32200, 710, 466};

// Where a click reaches an item of a dialog, from the dialog tables tolq is
// built with.
std::optional<DialogItem> ItemOf(int dialog, int item)
{
    for (const DialogRecord& record : DialogTable_Records()) {
        if (record.number != dialog || item < 1 || item > record.itemCount)
            continue;
        const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(record.firstItem + item - 1)];
        if (DialogItem_Kind(row) == kItemText) {
            const DialogTextRow& t = DialogTable_TextRows()[static_cast<size_t>(row.index)];
            return DialogItem{t.x, t.y, t.width, t.height};
        }
        if (DialogItem_Kind(row) == kItemControl) {
            const DialogControlRow& c = DialogTable_ControlRows()[static_cast<size_t>(row.index)];
            return DialogItem{c.x, c.y, c.width, c.height};
        }
    }
    return std::nullopt;
}

// The token text of a place's marking region (below its key region).
std::string TokensOf(ObjectHandle place)
{
    for (ObjectHandle key : RegionsOf(place)) {
        uint32_t kind = 0;
        QXRdAttr_GetRegionKind(key, &kind);
        if (static_cast<int32_t>(kind) != (4113 | kRegionKeyBit))
            continue;
        for (ObjectHandle region : RegionsOf(key)) {
            uint32_t inner = 0;
            QXRdAttr_GetRegionKind(region, &inner);
            if (static_cast<int32_t>(inner) == 4113)
                return TextOf(region);
        }
    }
    return {};
}

class SimDialogsProgramTest : public SimDialogSession {
protected:
    void SetUp() override
    {
        SimDialogSession::SetUp();
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle page = diagram.NetPages().front();
        ASSERT_EQ(EE_SetModeAttributes(page, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, 1, 1), 1);
        ASSERT_TRUE(diagram.Save());
    }

    int PageInk() const { return Ink(0, 0, drawing_.width, drawing_.height); }

    void PickInSimulator(const std::string& title, const std::string& item)
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
        ASSERT_TRUE(wait_until([&] { return PageInk() > before + 20; }, 120s)) << "the simulator drew no marking";
        Settle();
    }

    std::optional<WindowInfo> Shown(DialogShape shape, std::chrono::milliseconds limit = 10s) const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const WindowInfo& w : client_.window_tree())
                if (w.parent == client_.root() && w.mapped && w.res_name == "dialog" && w.width == shape.width &&
                    w.height == shape.height)
                    found = w;
            return found.has_value();
        }, limit);
        return found;
    }

    bool StillShown(DialogShape shape)
    {
        std::this_thread::sleep_for(1s);
        return Shown(shape, 500ms).has_value();
    }

    bool Gone(DialogShape shape)
    {
        return wait_until([&] { return !Shown(shape, 50ms).has_value(); }, 10s);
    }

    void Click(const WindowInfo& dialog, DialogShape shape, int item)
    {
        const std::optional<DialogItem> at = ItemOf(shape.number, item);
        ASSERT_TRUE(at.has_value()) << shape.number << " item " << item;
        ClickItem(dialog, *at);
    }

    void Type(const WindowInfo& dialog, DialogShape shape, int item, const std::string& text)
    {
        const std::optional<DialogItem> at = ItemOf(shape.number, item);
        ASSERT_TRUE(at.has_value()) << shape.number << " item " << item;
        TypeInto(dialog, *at, text);
    }

    // "Change Marking..." on Buffer; true when it first asked to delete the
    // occurrence set. Answered yes, the marking dialog is left open; answered
    // no, none comes.
    bool ChangeMarkingOfBuffer(WindowInfo* dialog, bool deleteSet = true)
    {
        ClickAt(kBufferSpot);
        PickInSimulator("Sim", "Change Marking...");
        bool asked = false;
        if (const std::optional<WindowInfo> question = Shown(kQuestion, 3s)) {
            asked = true;
            Click(*question, kQuestion, deleteSet ? 1 : 2);
            EXPECT_TRUE(Gone(kQuestion));
            if (!deleteSet) {
                EXPECT_FALSE(Shown(kChangeMarking, 2s).has_value()) << "the marking dialog came after no";
                return asked;
            }
        }
        const std::optional<WindowInfo> shown = Shown(kChangeMarking);
        EXPECT_TRUE(shown.has_value()) << "no marking dialog";
        if (shown)
            *dialog = *shown;
        return asked;
    }

    void CancelMarking(const WindowInfo& dialog)
    {
        Click(dialog, kChangeMarking, 2);
        EXPECT_TRUE(Gone(kChangeMarking));
    }
};

TEST_F(SimDialogsProgramTest, BindingChosenInTheDialogJoinsTheOccurrenceSet)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());

    ClickAt(kProduceSpot);
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Bind..."));
    std::optional<WindowInfo> bind = Shown(kBindings);
    ASSERT_TRUE(bind.has_value()) << "Bind... opened no dialog";
    // n is an INT: a string is refused; no token 5 lies on Next.
    for (const char* refused : {"\"a\"", "5"}) {
        Type(*bind, kBindings, 11, refused);
        Click(*bind, kBindings, 1);
        EXPECT_TRUE(StillShown(kBindings)) << "\"Occur\" took n = " << refused;
    }
    Type(*bind, kBindings, 11, "1");
    Click(*bind, kBindings, 1);
    ASSERT_TRUE(Gone(kBindings)) << "\"Occur\" did not bind n = 1";

    // The chosen binding is an occurrence set that Change Marking offers to
    // delete; once deleted it is not offered again.
    WindowInfo marking;
    EXPECT_TRUE(ChangeMarkingOfBuffer(&marking)) << "no occurrence set after Occur";
    CancelMarking(marking);
    EXPECT_FALSE(ChangeMarkingOfBuffer(&marking)) << "the occurrence set outlived its deletion";
    CancelMarking(marking);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(SimDialogsProgramTest, OccurrenceSetDialogOffersDeletionOnlyForAChosenSet)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());

    // No set yet: "Delete Occurrence Set" takes no click; OK makes a new set.
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Occurrence Set..."));
    std::optional<WindowInfo> occurrence = Shown(kOccurrenceSet);
    ASSERT_TRUE(occurrence.has_value());
    Click(*occurrence, kOccurrenceSet, 7);
    PressReturn();
    ASSERT_TRUE(Gone(kOccurrenceSet));
    WindowInfo marking;
    EXPECT_TRUE(ChangeMarkingOfBuffer(&marking, false)) << "no new occurrence set was chosen";

    // A chosen set can be deleted.
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Occurrence Set..."));
    occurrence = Shown(kOccurrenceSet);
    ASSERT_TRUE(occurrence.has_value());
    Click(*occurrence, kOccurrenceSet, 7);
    PressReturn();
    ASSERT_TRUE(Gone(kOccurrenceSet));
    EXPECT_FALSE(ChangeMarkingOfBuffer(&marking)) << "\"Delete Occurrence Set\" left the set";
    CancelMarking(marking);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(SimDialogsProgramTest, ChangeMarkingTakesOnlyWhatTheEvaluatorAccepts)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());

    WindowInfo marking;
    ASSERT_FALSE(ChangeMarkingOfBuffer(&marking));
    // "Specified Marking" with an empty text, then a string for INT tokens.
    Click(marking, kChangeMarking, 7);
    Type(marking, kChangeMarking, 10, "");
    Click(marking, kChangeMarking, 1);
    EXPECT_TRUE(StillShown(kChangeMarking)) << "an empty specified marking was taken";
    Type(marking, kChangeMarking, 10, "1`\"x\"");
    Click(marking, kChangeMarking, 1);
    EXPECT_TRUE(StillShown(kChangeMarking)) << "a string marking was taken for INT";
    Type(marking, kChangeMarking, 10, "1`4++1`5");
    Click(marking, kChangeMarking, 1);
    ASSERT_TRUE(Gone(kChangeMarking)) << "a legal marking was refused";

    // The page's only instance is offered by both instance dialogs.
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Select Instance..."));
    ASSERT_TRUE(Shown(kInstances).has_value()) << "Select Instance... opened no dialog";
    PressReturn();
    EXPECT_TRUE(Gone(kInstances));
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Select Enabled..."));
    ASSERT_TRUE(Shown(kInstances).has_value()) << "Select Enabled... opened no dialog";
    PressReturn();
    EXPECT_TRUE(Gone(kInstances));

    ASSERT_NO_FATAL_FAILURE(PickInSimulator("File", "Enter Editor"));
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const std::string tokens = TokensOf(saved.NodeNamed("Buffer"));
    EXPECT_NE(tokens.find("1`4"), std::string::npos) << tokens;
    EXPECT_NE(tokens.find("1`5"), std::string::npos) << tokens;
    EXPECT_EQ(tokens.find("1`0"), std::string::npos) << tokens;
    EXPECT_TRUE(tolq_.running());
}

TEST_F(SimDialogsProgramTest, SimulationOptionsAreSetWhileSimulating)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(EnterSimulator());

    // Graphics updated only at the end of a run: no breakpoint stays.
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Set", "Interactive Simulation Options..."));
    std::optional<WindowInfo> interactive = Shown(kInteractiveOptions);
    ASSERT_TRUE(interactive.has_value()) << "no interactive options in the simulator";
    Click(*interactive, kInteractiveOptions, 7);
    Click(*interactive, kInteractiveOptions, 13);
    PressReturn();
    ASSERT_TRUE(Gone(kInteractiveOptions));

    // Bindings no longer recorded.
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Set", "General Simulation Options..."));
    std::optional<WindowInfo> run = Shown(kRunOptions);
    ASSERT_TRUE(run.has_value()) << "no general options in the simulator";
    Click(*run, kRunOptions, 13);
    PressReturn();
    ASSERT_TRUE(Gone(kRunOptions));
    EXPECT_TRUE(NoMessageBoxFor(2s));

    ASSERT_NO_FATAL_FAILURE(PickInSimulator("File", "Enter Editor"));
    ASSERT_NO_FATAL_FAILURE(Save());
    const std::string saved = read_file(diagram_);
    EXPECT_EQ(SavedRecord(saved, 1066, 16), (std::vector<uint32_t>{0, 0, 0, 3}));
    const std::vector<uint32_t> options = SavedRecord(saved, 1064, 176);
    ASSERT_EQ(options.size(), 44u);
    EXPECT_EQ(options[4], 0u);
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test
