// The Set menu's option dialogs in the real tolq on a copy of the example
// net: Syntax Options... and Simulation Code Options... opened from the menu,
// changed with the pointer and the keyboard, a start time that is no integer
// refused with its message, and the values read back from the saved diagram,
// also after tolq has read that diagram again.
#include "MainRoadSession.h"

#include <csignal>

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

// An item of a dialog's layout: x, y, width, height.
struct Item {
    int x, y, width, height;
};
// Syntax restrictions: "Missing Place Names" and "OG Tool Violations".
constexpr Item kMissingPlaceNames{40, 62, 320, 22};
constexpr Item kOGToolViolations{40, 258, 320, 22};
// Code options: "Fast Simulation (Automatic)", time "With", the start time.
constexpr Item kFastSimulation{20, 48, 330, 22};
constexpr Item kWithTime{20, 104, 330, 22};
constexpr Item kStartTime{20, 214, 330, 22};

// The record of the property in the diagram's defaults: its 32-bit words,
// big-endian, behind its id and size; empty when absent.
std::vector<uint32_t> SavedRecord(const std::string& bytes, uint32_t property, uint32_t size)
{
    const char pattern[8] = {0, 0, static_cast<char>(property >> 8), static_cast<char>(property & 0xff),
                             0, 0, static_cast<char>(size >> 8),     static_cast<char>(size & 0xff)};
    const size_t at = bytes.rfind(std::string(pattern, sizeof pattern));
    if (at == std::string::npos || at + sizeof pattern + size > bytes.size())
        return {};
    std::vector<uint32_t> words;
    for (size_t i = at + sizeof pattern; i + 4 <= at + sizeof pattern + size; i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k)
            word = (word << 8) | static_cast<uint8_t>(bytes[i + k]);
        words.push_back(word);
    }
    return words;
}

class SetOptionsProgramTest : public TolqSession {
protected:
    void PickSet(const std::string& item)
    {
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kMenuTitles, kSetMenu}, "Set", item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << "Set did not open";
        Settle();
    }

    // The form of the open dialog (the items' parent), once one is mapped.
    std::optional<WindowInfo> DialogForm(std::chrono::milliseconds limit = 10s)
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            const std::vector<WindowInfo> tree = client_.window_tree();
            for (const WindowInfo& shell : tree) {
                if (shell.parent != client_.root() || !shell.mapped || shell.res_name != "dialog")
                    continue;
                for (const WindowInfo& form : tree)
                    if (form.parent == shell.id)
                        found = form;
            }
            return found.has_value();
        }, limit);
        return found;
    }

    bool DialogGone() { return !DialogForm(200ms).has_value() || wait_until([&] { return !DialogForm(50ms); }, 5s); }

    void ClickItem(const WindowInfo& form, Item item)
    {
        client_.click(form.root_x + item.x + 10, form.root_y + item.y + item.height / 2);
        Settle();
    }

    void TypeInto(const WindowInfo& form, Item item, const std::string& text)
    {
        ClickItem(form, item);
        xdotool({"key", "ctrl+a", "ctrl+k"});
        client_.type_text(text);
        Settle();
    }

    // Closes the message box that stands over the dialog of the form with
    // its button; true when one came and went.
    bool AnswerBoxOver(const WindowInfo& form)
    {
        std::optional<WindowInfo> button;
        auto find = [&] {
            button.reset();
            const std::vector<WindowInfo> tree = client_.window_tree();
            for (const WindowInfo& shell : tree) {
                if (shell.parent != client_.root() || !shell.mapped || shell.res_name != "dialog" ||
                    shell.id == form.parent)
                    continue;
                for (const WindowInfo& box : tree)
                    for (const WindowInfo& child : tree)
                        if (box.parent == shell.id && child.parent == box.id && child.height < 40)
                            button = child;
            }
            return button.has_value();
        };
        if (!wait_until(find))
            return false;
        client_.click(button->root_x + button->width / 2, button->root_y + button->height / 2);
        return wait_until([&] { return !find(); });
    }

    void PressReturn()
    {
        client_.key("Return");
        Settle();
    }

    // Opens Syntax Options... and answers "OK" without a change.
    void ConfirmSyntaxOptions()
    {
        ASSERT_NO_FATAL_FAILURE(PickSet("Syntax Options..."));
        ASSERT_TRUE(DialogForm().has_value());
        PressReturn();
        ASSERT_TRUE(DialogGone());
    }
};

TEST_F(SetOptionsProgramTest, OptionsChosenInTheDialogsAreSavedWithTheDiagram)
{
    ASSERT_NO_FATAL_FAILURE(Start());

    // Two syntax restrictions switched on.
    ASSERT_NO_FATAL_FAILURE(PickSet("Syntax Options..."));
    std::optional<WindowInfo> form = DialogForm();
    ASSERT_TRUE(form.has_value()) << "Syntax Options... opened no dialog";
    ClickItem(*form, kMissingPlaceNames);
    ClickItem(*form, kOGToolViolations);
    PressReturn();
    ASSERT_TRUE(DialogGone());

    // Fast simulation with time from a start time; a start time that is no
    // integer is refused and the dialog stays.
    ASSERT_NO_FATAL_FAILURE(PickSet("Simulation Code Options..."));
    form = DialogForm();
    ASSERT_TRUE(form.has_value()) << "Simulation Code Options... opened no dialog";
    ClickItem(*form, kFastSimulation);
    ClickItem(*form, kWithTime);
    TypeInto(*form, kStartTime, "soon");
    PressReturn();
    ASSERT_TRUE(AnswerBoxOver(*form)) << "the start time was not refused";
    ASSERT_TRUE(DialogForm().has_value()) << "the refusal closed the dialog";
    TypeInto(*form, kStartTime, "25");
    PressReturn();
    ASSERT_TRUE(DialogGone());

    ASSERT_NO_FATAL_FAILURE(Save());
    std::string saved = read_file(diagram_);
    std::vector<uint32_t> syntax = SavedRecord(saved, 1063, 44);
    ASSERT_EQ(syntax.size(), 11u) << "no syntax options in the saved diagram";
    EXPECT_EQ(syntax, (std::vector<uint32_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    std::vector<uint32_t> code = SavedRecord(saved, 1065, 44);
    ASSERT_EQ(code.size(), 11u) << "no code options in the saved diagram";
    EXPECT_EQ(code[0], 1u);
    EXPECT_EQ(code[1], 3u);
    EXPECT_EQ(code[2], 6u);
    // The run options follow: with time, fast automatic.
    const std::vector<uint32_t> run = SavedRecord(saved, 1064, 176);
    ASSERT_GE(run.size(), 3u);
    EXPECT_EQ(run[0], 1u);
    EXPECT_EQ(run[2], 1u);

    // tolq reads the diagram again: the dialog starts from the saved values,
    // and "OK" keeps them.
    tolq_.stop(SIGTERM);
    XFreeFont(client_.display(), font_);
    font_ = nullptr;
    client_.sync();
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ConfirmSyntaxOptions());
    // The start time came back: "OK" with time in use is not refused.
    ASSERT_NO_FATAL_FAILURE(PickSet("Simulation Code Options..."));
    form = DialogForm();
    ASSERT_TRUE(form.has_value());
    PressReturn();
    EXPECT_TRUE(DialogGone()) << "the start time read back is no integer";
    ASSERT_NO_FATAL_FAILURE(Save());
    saved = read_file(diagram_);
    syntax = SavedRecord(saved, 1063, 44);
    EXPECT_EQ(syntax, (std::vector<uint32_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(SavedRecord(saved, 1065, 44), code);
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test
