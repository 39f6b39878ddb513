// tolq on a copy of the example net under the private Xvfb, its inscriptions
// edited in text mode through the menus and keys: cut and paste, copy, select
// all, select to bracket, select to a string, find, find next and find
// beginning. What Save writes shows each edit.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "process.h"
#include "tolq_windows.h"
#include "xclient.h"
#include "xvfb.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

using namespace std::chrono_literals;

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";
const std::string kExample = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";

// Where the example's inscriptions lie in the drawing area of its page
// window: the guard "[n < 10]" of Produce, the inscription "n" of the arc
// from Produce to Buffer, and an empty spot.
struct Spot {
    int x, y;
};
constexpr Spot kGuard{281, 329};
constexpr Spot kArc{366, 358};
constexpr Spot kEmpty{300, 600};

// The menu bar as tolq lays it out and the items of its Text menu ("" is a
// separator).
const std::vector<std::string> kTitles = {"File", "Edit", "TOLQ", "Aux", "Set",
                                          "Makeup", "Page", "Group", "Text", "Align"};
const std::vector<std::string> kTextItems = {"Turn On",         "",           "Find...",
                                             "Find Next",       "Find Beginning", "",
                                             "Select All Text", "Select to...", "Select to Bracket"};
constexpr int kSeparatorHeight = 8;

// The Search and Replace dialog and the Select To dialog: their sizes, the
// editable field that takes the string and the OK button, in the dialog.
struct DialogLayout {
    int width, height;
    Spot field, ok;
};
constexpr DialogLayout kFindDialog{460, 370, {290, 52}, {400, 342}};
constexpr DialogLayout kSelectToDialog{375, 240, {187, 112}, {315, 212}};

// A string as the net data base file holds it: its length with the closing
// zero in four bytes, big-endian, then its bytes and the zero.
std::string Encoded(const std::string& text)
{
    const auto n = static_cast<uint32_t>(text.size() + 1);
    std::string bytes = {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                         static_cast<char>(n)};
    return bytes + text + std::string(1, '\0');
}

int IgnoreVanishedWindows(Display*, XErrorEvent* error)
{
    return error->error_code == BadWindow || error->error_code == BadMatch ? 0 : 1;
}

class TextCommandsProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousHandler_ = XSetErrorHandler(IgnoreVanishedWindows);
        diagram_ = dir_.file("producer-consumer.tolq");
        std::filesystem::copy_file(kExample, diagram_);
        std::filesystem::copy_file(kExample + ".DB", diagram_ + ".DB");
        original_ = read_file(diagram_ + ".DB");
        tolq_.emplace(std::vector<std::string>{kTolq, diagram_},
                      std::vector<std::pair<std::string, std::string>>{{"HOME", dir_.path()}});
        ASSERT_TRUE(wait_until([&] { return FindWindows(); }, 20s)) << "tolq's windows did not appear";
        // The page window goes below the main window so that the menu bar
        // can be reached.
        xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
        ASSERT_TRUE(wait_until([&] { return FindWindows() && drawing_.root_y > 120; }));
        font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
        if (font_ == nullptr)
            font_ = XLoadQueryFont(client_.display(), "fixed");
        ASSERT_NE(font_, nullptr);
        Settle();
    }
    void TearDown() override
    {
        if (font_ != nullptr)
            XFreeFont(client_.display(), font_);
        XSetErrorHandler(previousHandler_);
    }

    // The main window with its menu bar, and the page window with its
    // drawing area; true when all are there.
    bool FindWindows()
    {
        const TolqWindows found = ScanTolqWindows(client_);
        if (!found.pages.empty()) {
            page_ = found.pages.back().shell;
            drawing_ = found.pages.back().drawing;
        }
        if (found.main.id != 0) {
            bar_ = found.bar;
        }
        return found.main.id != 0 && !found.pages.empty() && drawing_.id != 0;
    }

    void Settle() const
    {
        client_.sync();
        std::this_thread::sleep_for(400ms);
    }

    int TextWidth(const std::string& text) const
    {
        return XTextWidth(font_, text.c_str(), static_cast<int>(text.size()));
    }
    int ItemHeight() const { return font_->ascent + font_->descent + 4; }

    // Picks an item of the Text menu as a user does: press on the title,
    // move onto the item in the menu that opened, release.
    void PickText(const std::string& item)
    {
        const int em = TextWidth("M");
        int x = 0;
        for (const std::string& t : kTitles) {
            if (t == "Text")
                break;
            x += TextWidth(t) + 2 * em;
        }
        const int titleWidth = TextWidth("Text") + 2 * em;
        int y = 0, itemY = -1;
        for (const std::string& i : kTextItems) {
            if (i == item)
                itemY = y;
            y += i.empty() ? kSeparatorHeight : ItemHeight();
        }
        const int height = y;
        ASSERT_GE(itemY, 0) << item;
        const int barHeight = ItemHeight();
        client_.move_pointer(bar_.root_x + x + titleWidth / 2, bar_.root_y + barHeight / 2);
        xdotool({"mousedown", "1"});
        const bool opened = wait_until([&] {
            for (const WindowInfo& w : client_.window_tree())
                if (w.parent == client_.root() && w.mapped && w.height == height &&
                    std::abs(w.root_x - (bar_.root_x + x)) <= 2)
                    return true;
            return false;
        }, 5s);
        client_.move_pointer(bar_.root_x + x + 40, bar_.root_y + barHeight + itemY + ItemHeight() / 2);
        std::this_thread::sleep_for(100ms);
        xdotool({"mouseup", "1"});
        ASSERT_TRUE(opened) << "the Text menu did not open with " << height << " pixels of items";
        Settle();
    }

    void ClickOn(Spot spot)
    {
        client_.click(drawing_.root_x + spot.x, drawing_.root_y + spot.y);
        Settle();
    }
    // Keys go to the page with the pointer inside its drawing area.
    void Key(const std::string& key)
    {
        client_.move_pointer(drawing_.root_x + kEmpty.x, drawing_.root_y + kEmpty.y);
        xdotool({"key", key});
        Settle();
    }
    void Type(const std::string& text)
    {
        client_.move_pointer(drawing_.root_x + kEmpty.x, drawing_.root_y + kEmpty.y);
        xdotool({"type", text});
        Settle();
    }
    // The object under the spot selected and its text edited, the cursor
    // after its text.
    void EditText(Spot spot)
    {
        ClickOn(spot);
        Key("alt+t");
    }
    // Text mode off, then Save through its accelerator.
    void LeaveAndSave()
    {
        Key("alt+t");
        ClickOn(kEmpty);
        Key("alt+s");
        ASSERT_TRUE(wait_until([&] { return read_file(diagram_ + ".DB") != original_; }))
            << "Save wrote no new net";
    }
    bool Saved(const std::string& text) const
    {
        return read_file(diagram_ + ".DB").find(Encoded(text)) != std::string::npos;
    }

    // The dialog of the layout once it is shown: its shell, or the form
    // inside it, has the dialog's size.
    std::optional<WindowInfo> DialogWindow(const DialogLayout& layout) const
    {
        const std::vector<WindowInfo> tree = client_.window_tree();
        auto sized = [&](const WindowInfo& w) { return w.width == layout.width && w.height == layout.height; };
        for (const WindowInfo& shell : tree) {
            if (shell.parent != client_.root() || !shell.mapped || shell.res_name != "dialog")
                continue;
            if (sized(shell))
                return shell;
            for (const WindowInfo& form : tree)
                if (form.parent == shell.id && sized(form))
                    return form;
        }
        return std::nullopt;
    }
    // Types the string into the dialog's field and answers OK.
    void AnswerDialog(const DialogLayout& layout, const std::string& text)
    {
        std::optional<WindowInfo> dialog;
        ASSERT_TRUE(wait_until([&] { return (dialog = DialogWindow(layout)).has_value(); }))
            << "the dialog did not open";
        client_.click(dialog->root_x + layout.field.x, dialog->root_y + layout.field.y);
        Settle();
        xdotool({"type", text});
        Settle();
        client_.click(dialog->root_x + layout.ok.x, dialog->root_y + layout.ok.y);
        ASSERT_TRUE(wait_until([&] { return !DialogWindow(layout).has_value(); })) << "the dialog stayed open";
        Settle();
    }

    TempDir dir_;
    std::string diagram_;
    std::string original_;
    XClient client_;
    std::optional<BackgroundProcess> tolq_;
    WindowInfo page_{}, drawing_{}, bar_{};
    XFontStruct* font_ = nullptr;
    XErrorHandler previousHandler_ = nullptr;
};

// The guard cut with Cut and pasted after the arc's inscription.
TEST_F(TextCommandsProgram, CutThenPasteMovesTheText)
{
    ASSERT_TRUE(Saved("[n < 10]"));
    EditText(kGuard);
    Key("alt+w");  // Select All Text
    Key("alt+x");  // Cut
    Key("alt+t");
    EditText(kArc);
    Key("alt+v");  // Paste
    LeaveAndSave();
    EXPECT_TRUE(Saved("n[n < 10]"));
    EXPECT_FALSE(Saved("[n < 10]")) << "the guard no longer holds the text";
    EXPECT_TRUE(tolq_->running());
}

// Copy leaves the guard as it was and the arc's inscription gets a copy.
TEST_F(TextCommandsProgram, CopyThenPasteCopiesTheText)
{
    EditText(kGuard);
    Key("alt+w");
    Key("alt+c");  // Copy
    Key("alt+t");
    EditText(kArc);
    Key("alt+v");
    LeaveAndSave();
    EXPECT_TRUE(Saved("n[n < 10]"));
    EXPECT_TRUE(Saved("[n < 10]"));
    EXPECT_TRUE(tolq_->running());
}

// Select to Bracket from the start of the guard selects it whole: what is
// typed then takes its place.
TEST_F(TextCommandsProgram, SelectToBracketSelectsTheBracketedText)
{
    EditText(kGuard);
    for (int i = 0; i < 8; ++i)
        Key("Left");
    PickText("Select to Bracket");
    Type("ok");
    LeaveAndSave();
    EXPECT_TRUE(Saved("ok"));
    EXPECT_FALSE(Saved("ok[n < 10]"));
    EXPECT_TRUE(tolq_->running());
}

// Select to... answered with "<" selects from the cursor up to it.
TEST_F(TextCommandsProgram, SelectToSelectsUpToTheString)
{
    EditText(kGuard);
    for (int i = 0; i < 8; ++i)
        Key("Left");
    PickText("Select to...");
    AnswerDialog(kSelectToDialog, "<");
    Type("y");
    LeaveAndSave();
    EXPECT_TRUE(Saved("y 10]"));
    EXPECT_TRUE(tolq_->running());
}

// Find... answered with "10" selects the match in the guard; typing
// replaces it.
TEST_F(TextCommandsProgram, FindSelectsTheMatch)
{
    EditText(kGuard);
    PickText("Find...");
    AnswerDialog(kFindDialog, "10");
    Type("20");
    LeaveAndSave();
    EXPECT_TRUE(Saved("[n < 20]"));
    EXPECT_TRUE(tolq_->running());
}

// Find Next (its key) goes on from the first match to the second.
TEST_F(TextCommandsProgram, FindNextSelectsTheNextMatch)
{
    EditText(kGuard);
    PickText("Find...");
    AnswerDialog(kFindDialog, " ");
    Key("alt+n");
    Type("=");
    LeaveAndSave();
    EXPECT_TRUE(Saved("[n <=10]"));
    EXPECT_TRUE(tolq_->running());
}

// Find Beginning sends the search back to the start of the text: Find Next
// then finds the first match again.
TEST_F(TextCommandsProgram, FindBeginningStartsTheSearchAgain)
{
    EditText(kGuard);
    PickText("Find...");
    AnswerDialog(kFindDialog, " ");
    Key("alt+n");
    PickText("Find Beginning");
    Key("alt+n");
    Type("=");
    LeaveAndSave();
    EXPECT_TRUE(Saved("[n=< 10]"));
    EXPECT_TRUE(tolq_->running());
}

}  // namespace
}  // namespace tolq::test
