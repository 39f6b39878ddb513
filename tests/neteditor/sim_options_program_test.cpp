// The simulation option dialogs of the Set menu in the real tolq on a copy of
// the example net: Occurrence Set Options..., General Simulation Options...
// and Interactive Simulation Options... opened from the menu, changed with
// the pointer and the keyboard, bad values refused with their message, the
// records read back from the saved diagram and shown again after tolq has
// read it; and the diagram's options installed in the net when it is read.
#include "SimDialogSession.h"

#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CSimulator/SimOptionDialogs.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

const std::map<std::string, std::vector<std::string>> kSetMenu = {
    {"Set",
     {"Text Attributes...", "Graphic Attributes...", "Shape Attributes...", "Region Attributes...", "",
      "Page Attributes...", "Mode Attributes...", "", "Chart Attributes...", "", "Hierarchy Page Options...",
      "Interaction Options...", "", "Merge Options...", "Text Options...", "Syntax Options...", "",
      "Simulation Code Options...", "General Simulation Options...", "Interactive Simulation Options...",
      "Occurrence Set Options...", "Transition Feedback Options...", "", "ML Configuration Options...", "",
      "Copy Defaults..."}},
};

// Occurrence Set Options: the seed, the random draws, "Pages" in percent.
constexpr DialogItem kSeed{360, 46, 330, 22};
constexpr DialogItem kRandomDraws{360, 126, 330, 22};
constexpr DialogItem kPagesPercent{360, 154, 330, 22};
// General Simulation Options: "Bindings", "Until Step Number Is" and its value.
constexpr DialogItem kRecordBindings{20, 188, 330, 22};
constexpr DialogItem kUntilStep{20, 272, 330, 22};
constexpr DialogItem kUntilStepValue{360, 20, 330, 22};
// "Time" and "Until Time Is": without time in the generated code both stay off.
constexpr DialogItem kTime{20, 76, 330, 22};
constexpr DialogItem kUntilTime{20, 328, 330, 22};
// Interactive Simulation Options: a breakpoint and two update choices.
constexpr DialogItem kBeginningOfSubstep{20, 20, 330, 22};
constexpr DialogItem kBetweenSubsteps{20, 132, 330, 22};
constexpr DialogItem kEndOfRun{20, 188, 330, 22};

class SimOptionsProgramTest : public SimDialogSession {
protected:
    void PickSet(const std::string& item)
    {
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kMenuTitles, kSetMenu}, "Set", item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << "Set did not open";
        Settle();
    }

    // Opens the dialog of the Set menu's item; its form.
    WindowInfo Open(const std::string& item)
    {
        PickSet(item);
        const std::optional<WindowInfo> form = DialogForm();
        EXPECT_TRUE(form.has_value()) << item << " opened no dialog";
        return form.value_or(WindowInfo{});
    }

    // Opens each dialog and answers "OK" at once.
    void ConfirmAll()
    {
        for (const char* item :
             {"Occurrence Set Options...", "General Simulation Options...", "Interactive Simulation Options..."}) {
            Open(item);
            PressReturn();
            ASSERT_TRUE(DialogGone()) << item;
        }
    }
};

TEST_F(SimOptionsProgramTest, OptionsChosenInTheDialogsAreSavedAndShownAgain)
{
    ASSERT_NO_FATAL_FAILURE(Start());

    // A seed of 0 and a percentage beyond 16 bits are refused in turn; the
    // dialog stays until the values are in range.
    WindowInfo form = Open("Occurrence Set Options...");
    TypeInto(form, kSeed, "0");
    PressReturn();
    ASSERT_TRUE(AnswerBoxOver(form)) << "a seed of 0 was not refused";
    TypeInto(form, kSeed, "42");
    TypeInto(form, kPagesPercent, "65566");
    PressReturn();
    ASSERT_TRUE(AnswerBoxOver(form)) << "65566 % was taken, wrapped to 30";
    ASSERT_TRUE(DialogForm().has_value());
    TypeInto(form, kPagesPercent, "30");
    TypeInto(form, kRandomDraws, "5");
    PressReturn();
    ASSERT_TRUE(DialogGone());

    // Bindings no longer recorded; stop at step 50, whose value must be an
    // integer. The example's code has no time: "Time" and the time stop
    // criteria do not take a click.
    form = Open("General Simulation Options...");
    ClickItem(form, kTime);
    ClickItem(form, kUntilTime);
    ClickItem(form, kRecordBindings);
    ClickItem(form, kUntilStep);
    TypeInto(form, kUntilStepValue, "fifty");
    PressReturn();
    ASSERT_TRUE(AnswerBoxOver(form)) << "a step number that is no integer was taken";
    TypeInto(form, kUntilStepValue, "50");
    PressReturn();
    ASSERT_TRUE(DialogGone());

    // "End of Run" takes the breakpoints away; "Between Substeps" gives them
    // back, and one is set.
    form = Open("Interactive Simulation Options...");
    ClickItem(form, kBeginningOfSubstep);
    ClickItem(form, kEndOfRun);
    ClickItem(form, kBetweenSubsteps);
    PressReturn();
    ASSERT_TRUE(DialogGone());
    form = Open("Interactive Simulation Options...");
    ClickItem(form, kBeginningOfSubstep);
    PressReturn();
    ASSERT_TRUE(DialogGone());

    ASSERT_NO_FATAL_FAILURE(Save());
    std::string saved = read_file(diagram_);
    const std::vector<uint32_t> occ = SavedRecord(saved, 1067, 28);
    EXPECT_EQ(occ, (std::vector<uint32_t>{30, 0, 0, 0, 0, 42, 5}));
    const std::vector<uint32_t> run = SavedRecord(saved, 1064, 176);
    ASSERT_EQ(run.size(), 44u) << "no run options in the saved diagram";
    EXPECT_EQ(run[2], 0u) << "with time";
    EXPECT_EQ(run[9], 0u) << "until time is";
    EXPECT_EQ(run[3], 1u) << "step information";
    EXPECT_EQ(run[4], 0u) << "bindings";
    EXPECT_EQ(run[5], 1u) << "record options on";
    EXPECT_EQ(run[6], 1u) << "additional steps";
    EXPECT_EQ(run[7], 1u) << "until step number";
    EXPECT_EQ(run[11], 2u) << "stop criteria on";
    // Breakpoint at the beginning of a substep, graphics between substeps.
    EXPECT_EQ(SavedRecord(saved, 1066, 16), (std::vector<uint32_t>{1, 0, 0, 1}));

    // Read again, each dialog shows the saved values: "OK" keeps them.
    ASSERT_NO_FATAL_FAILURE(Restart());
    ASSERT_NO_FATAL_FAILURE(ConfirmAll());
    ASSERT_NO_FATAL_FAILURE(Save());
    saved = read_file(diagram_);
    EXPECT_EQ(SavedRecord(saved, 1067, 28), occ);
    EXPECT_EQ(SavedRecord(saved, 1064, 176), run);
    EXPECT_EQ(SavedRecord(saved, 1066, 16), (std::vector<uint32_t>{1, 0, 0, 1}));
    EXPECT_TRUE(tolq_.running());

    // The net saved beside the diagram carries the options too.
    NetDiagram net(diagram_);
    ASSERT_TRUE(net.ok());
    SERoot* root = SECurrentRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ASSeed(root), 42);
    EXPECT_EQ(ASBindTries(root), 5);
    EXPECT_EQ(ASAutoSettings(root)[0], 30);
    EXPECT_EQ(root->displayOptions[0], 1);
    EXPECT_EQ(root->displayOptions[3], 1);
    EXPECT_EQ(root->runOptions[4], 0);
    // The stop criteria's values as the diagram holds them.
    SRunOptions record{};
    ASSERT_NE(DefGetRunOptions(record.data(), kDefLevelDiagram), 0);
    EXPECT_STREQ(SRunCriterionText(record, 0).data(), "100");
    EXPECT_STREQ(SRunCriterionText(record, 1).data(), "50");
}

// Options changed at the diagram level only (as "Copy Defaults..." or an
// older program leaves them) reach the net when the diagram is read.
TEST(SimDiagramOptions, ReadingADiagramInstallsItsOptionsInTheNet)
{
    TempDir dir;
    const std::string diagram = dir.file("net.tolq");
    fs::copy_file(kExampleNet, diagram);
    fs::copy_file(kExampleNet + ".DB", diagram + ".DB");
    {
        NetDiagram net(diagram);
        ASSERT_TRUE(net.ok());
        const int32_t occ[7] = {10, 20, 30, 40, 50, 77, 9};
        ASSERT_NE(DefSetOccSetOptions(occ, kDefLevelDiagram), 0);
        int32_t interactive[4] = {0, 1, 0, 2};
        ASSERT_NE(DefSetInteractiveOptions(interactive, kDefLevelDiagram), 0);
        ASSERT_TRUE(net.Save());
    }
    NetDiagram net(diagram);
    ASSERT_TRUE(net.ok());
    SERoot* root = SECurrentRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ASSeed(root), 77);
    EXPECT_EQ(ASBindTries(root), 9);
    EXPECT_EQ(ASAutoSettings(root)[4], 50);
    EXPECT_EQ(ASRandomSeed(root), 0u);
    EXPECT_EQ(root->displayOptions[1], 1);
    EXPECT_EQ(root->displayOptions[3], 2);
    // The run mode word is settled on the way in: 1 fast or 2 normal.
    EXPECT_TRUE(root->runOptions[0] == 1 || root->runOptions[0] == 2) << root->runOptions[0];
}

}  // namespace
}  // namespace tolq::test
