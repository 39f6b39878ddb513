// The File menu's whole-diagram commands of a running tolq, driven through
// its menus, shortcuts, questions and file selector under the private Xvfb:
// New, Open..., Close, Save, Save As..., Revert and Quit with the question
// whether to save, and diagram files that cannot be read. What each did is
// read back from the files on disk, the windows on the screen and the
// program's exit status.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "process.h"
#include "tolq_windows.h"
#include "tolq_menus.h"
#include "xclient.h"
#include "xvfb.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";
const std::string kExample = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";

// The menu bar as tolq lays it out, and the items of the menus used here
// ("" is a separator).
const std::vector<std::string> kTitles = {"File", "Edit", "TOLQ", "Aux", "Set",
                                          "Makeup", "Page", "Group", "Text", "Align"};
const std::map<std::string, std::vector<std::string>> kItems = {
    {"File",
     {"New", "Open...", "Close", "Save", "Save As...", "Revert", "", "Print Preview", "Page Setup...", "Print...", "",
      "Eps Setup...", "Save Eps...", "", "Load Image...", "Save Subdiagram...", "Load Subdiagram...", "Save Text...",
      "Load Text...", "Save XML...", "Load XML...", "", "Save State...", "Load State...", "", "Enter Simulator",
      "Enter Perf", "Enter Occ Graph", "Enter OE/OS Graph", "", "Quit"}},
    {"Set",
     {"Text Attributes...", "Graphic Attributes...", "Shape Attributes...", "Region Attributes...", "",
      "Page Attributes...", "Mode Attributes...", "", "Chart Attributes...", "", "Hierarchy Page Options...",
      "Interaction Options...", "", "Merge Options...", "Text Options...", "Syntax Options...", "",
      "Simulation Code Options...", "General Simulation Options...", "Interactive Simulation Options...",
      "Occurrence Set Options...", "Transition Feedback Options...", "", "ML Configuration Options...", "",
      "Copy Defaults..."}},
};
constexpr int kSeparatorHeight = 8;

// Where the example's Produce transition lies in its page's drawing area.
constexpr int kProduceX = 250;
constexpr int kProduceY = 355;

// The buttons of the questions, in the dialogs' own coordinates.
const std::map<std::string, std::pair<int, int>> kSaveQuestion = {
    {"Yes", {366, 110}}, {"Cancel", {166, 110}}, {"No", {266, 110}}};
const std::map<std::string, std::pair<int, int>> kYesNoQuestion = {{"Yes", {279, 119}}, {"No", {179, 119}}};

// Windows come and go while the tree is read: those errors are no failure.
int IgnoreVanishedWindows(Display*, XErrorEvent* error)
{
    if (error->error_code != BadWindow && error->error_code != BadMatch && error->error_code != BadDrawable)
        ADD_FAILURE() << "X error " << static_cast<int>(error->error_code);
    return 0;
}

bool Dark(XImage* image, int x, int y)
{
    const unsigned long pixel = XGetPixel(image, x, y);
    return ((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff) < 3 * 128;
}

// tolq in a directory of its own, with a copy of the example net.
class FileSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        XSetErrorHandler(IgnoreVanishedWindows);
        diagram_ = dir_.file("producer-consumer.tolq");
        CopyExample(diagram_);
        original_ = read_file(diagram_);
    }

    void TearDown() override
    {
        if (font_ != nullptr)
            XFreeFont(client_.display(), font_);
    }

    static void CopyExample(const std::string& path)
    {
        fs::copy_file(kExample, path);
        fs::copy_file(kExample + ".DB", path + ".DB");
    }

    // Starts tolq with the arguments and waits for its main window.
    void Start(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv = {kTolq};
        argv.insert(argv.end(), args.begin(), args.end());
        tolq_ = BackgroundProcess(argv, {{"HOME", dir_.path()}}, dir_.path());
        ASSERT_TRUE(wait_until([&] { return FindWindows() && bar_.id != 0; }, 20s)) << "no main window";
        if (font_ == nullptr) {
            font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
            if (font_ == nullptr)
                font_ = XLoadQueryFont(client_.display(), "fixed");
            ASSERT_NE(font_, nullptr);
        }
    }

    // Starts tolq on the example and waits until its page is drawn.
    void StartOnExample()
    {
        Start({diagram_});
        ASSERT_TRUE(ShowPageBelowMenu());
        ASSERT_TRUE(wait_until([&] { return Ink(kProduceX, kProduceY, 10, 10) > 0; }));
    }

    // Finds the main window with its menu bar, and the page window with its
    // drawing area when there is one; true when the main window is there.
    bool FindWindows()
    {
        const TolqWindows found = ScanTolqWindows(client_);
        page_ = found.pages.empty() ? WindowInfo{} : found.pages.back().shell;
        drawing_ = {};
        for (const TolqPageWindow& page : found.pages)
            if (page.drawing.width * page.drawing.height > drawing_.width * drawing_.height)
                drawing_ = page.drawing;
        if (found.main.id != 0) {
            main_ = found.main;
            bar_ = found.bar;
        }
        return found.main.id != 0;
    }

    bool HasPageWindow()
    {
        FindWindows();
        return drawing_.id != 0;
    }

    // Waits for a page window and moves it below the main window, so that
    // the menu bar can be reached.
    bool ShowPageBelowMenu()
    {
        if (!wait_until([&] { return HasPageWindow(); }, 20s))
            return false;
        xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
        return wait_until([&] { return HasPageWindow() && drawing_.root_y > 120; });
    }

    int TextWidth(const std::string& text) const
    {
        return XTextWidth(font_, text.c_str(), static_cast<int>(text.size()));
    }

    int ItemHeight() const { return font_->ascent + font_->descent + 4; }

    // Picks the item of the menu as a user does: press on the title, move
    // onto the item in the menu that opened, release.
    void Pick(const std::string& title, const std::string& item)
    {
        FindWindows();
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kTitles, kItems}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open with " << pick.height << " pixels of items";
        Settle();
    }

    // A shortcut typed with the pointer inside the page.
    void Shortcut(const std::string& keys)
    {
        FindWindows();
        if (drawing_.id != 0)
            client_.move_pointer(drawing_.root_x + drawing_.width / 2, drawing_.root_y + drawing_.height / 2);
        else
            client_.move_pointer(main_.root_x + main_.width / 2, main_.root_y + main_.height / 2);
        xdotool({"key", keys});
        Settle();
    }

    void Settle() const
    {
        client_.sync();
        std::this_thread::sleep_for(400ms);
    }

    // Dark pixels of a rectangle of the drawing area.
    int Ink(int x, int y, int width, int height) const
    {
        XImage* image = XGetImage(client_.display(), drawing_.id, x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return 0;
        int dark = 0;
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i)
                dark += Dark(image, i, j) ? 1 : 0;
        XDestroyImage(image);
        return dark;
    }

    std::vector<WindowInfo> ShellsNamed(const std::string& resName) const
    {
        std::vector<WindowInfo> out;
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == client_.root() && w.mapped && w.res_name == resName)
                out.push_back(w);
        return out;
    }

    std::optional<WindowInfo> WaitForShell(const std::string& resName) const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            const std::vector<WindowInfo> shells = ShellsNamed(resName);
            if (!shells.empty())
                found = shells.front();
            return found.has_value();
        }, 10s);
        return found;
    }

    std::optional<WindowInfo> WaitForDialog() const { return WaitForShell("dialog"); }

    bool NoDialogLeft() const
    {
        return wait_until([&] { return ShellsNamed("dialog").empty() && ShellsNamed("selFile").empty(); }, 10s);
    }

    // Answers the question on the screen with the button.
    void Answer(const std::map<std::string, std::pair<int, int>>& buttons, const std::string& button)
    {
        const std::optional<WindowInfo> dialog = WaitForDialog();
        ASSERT_TRUE(dialog.has_value()) << "no question to answer with " << button;
        client_.click(dialog->root_x + buttons.at(button).first, dialog->root_y + buttons.at(button).second);
        Settle();
    }

    // Types the file name into the file selector and accepts it; unless
    // another selector follows at once, waits until it has gone.
    void ChooseFile(const std::string& name, bool anotherFollows = false)
    {
        const std::optional<WindowInfo> selector = WaitForShell("selFile");
        ASSERT_TRUE(selector.has_value()) << "no file selector";
        client_.move_pointer(selector->root_x + 40, selector->root_y + 20);
        Settle();
        xdotool({"key", "--delay", "100", "ctrl+a", "ctrl+k"});
        client_.type_text(name);
        Settle();
        client_.key("Return");
        Settle();
        if (!anotherFollows) {
            ASSERT_TRUE(wait_until([&] { return ShellsNamed("selFile").empty(); })) << "the selector stayed open";
        }
    }

    // The window manager's close button on the window.
    void CloseFromWindowManager(Window window)
    {
        Display* display = client_.display();
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        Settle();
    }

    // Set > Copy Defaults... answered with OK: the diagram is modified.
    void ModifyTheDiagram()
    {
        Pick("Set", "Copy Defaults...");
        const std::optional<WindowInfo> dialog = WaitForDialog();
        ASSERT_TRUE(dialog.has_value());
        client_.move_pointer(dialog->root_x + dialog->width / 2, dialog->root_y + dialog->height / 2);
        client_.key("Return");
        Settle();
        ASSERT_TRUE(NoDialogLeft());
    }

    // True when tolq ended by itself with status 0.
    bool EndedCleanly()
    {
        const int status = tolq_.wait(15s);
        return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    // A diagram file begins with the 16-bit marker FF FF.
    static bool IsDiagramFile(const std::string& path)
    {
        const std::string bytes = fs::exists(path) ? read_file(path) : std::string();
        return bytes.size() > 16 && static_cast<unsigned char>(bytes[0]) == 0xff &&
               static_cast<unsigned char>(bytes[1]) == 0xff;
    }

    TempDir dir_;
    XClient client_;
    std::string diagram_;
    std::string original_;
    BackgroundProcess tolq_;
    WindowInfo main_, bar_, page_, drawing_;
    XFontStruct* font_ = nullptr;
};

// ---- New, Save As, Save ----

TEST_F(FileSession, NewGivesAnEmptyUnnamedDiagramThatSaveAsNames)
{
    StartOnExample();
    Pick("File", "New");
    ASSERT_TRUE(ShowPageBelowMenu());
    EXPECT_TRUE(wait_until([&] { return Ink(kProduceX, kProduceY, 10, 10) == 0; }));
    EXPECT_TRUE(ShellsNamed("dialog").empty()) << "New on an unmodified diagram asks nothing";

    Pick("File", "Save As...");
    ChooseFile("fresh.tolq");
    const std::string fresh = dir_.file("fresh.tolq");
    ASSERT_TRUE(wait_until([&] { return IsDiagramFile(fresh); }));
    EXPECT_FALSE(fs::exists(fresh + "~"));
    EXPECT_EQ(read_file(diagram_), original_);

    // Now named, Save writes at once, keeping the first file as the backup.
    const std::string first = read_file(fresh);
    Shortcut("alt+s");
    EXPECT_TRUE(ShellsNamed("selFile").empty());
    EXPECT_TRUE(wait_until([&] { return fs::exists(fresh + "~"); }));
    EXPECT_EQ(read_file(fresh + "~"), first);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(FileSession, SaveAsOntoAnExistingFileAsksBeforeOverwriting)
{
    StartOnExample();
    Pick("File", "New");
    ASSERT_TRUE(ShowPageBelowMenu());

    // The existing file is kept on No and the name asked for again.
    Pick("File", "Save As...");
    ChooseFile("producer-consumer.tolq");
    Answer(kYesNoQuestion, "No");
    ChooseFile("producer-consumer.tolq");
    EXPECT_EQ(read_file(diagram_), original_);
    EXPECT_FALSE(fs::exists(diagram_ + "~"));

    Answer(kYesNoQuestion, "Yes");
    ASSERT_TRUE(wait_until([&] { return fs::exists(diagram_ + "~"); }));
    EXPECT_EQ(read_file(diagram_ + "~"), original_);
    EXPECT_TRUE(IsDiagramFile(diagram_));
    EXPECT_NE(read_file(diagram_), original_);
    EXPECT_TRUE(NoDialogLeft());
    EXPECT_TRUE(tolq_.running());
}

// The place of each open page window is saved with the diagram, and the
// window opens there again.
TEST_F(FileSession, SaveKeepsWhereThePageWindowIs)
{
    StartOnExample();
    xdotool({"windowmove", std::to_string(page_.id), "300", "200"});
    ASSERT_TRUE(wait_until([&] { return HasPageWindow() && page_.root_x >= 290 && page_.root_y >= 190; }))
        << page_.root_x << "," << page_.root_y;
    const int movedX = page_.root_x;
    const int movedY = page_.root_y;
    ModifyTheDiagram();
    Shortcut("alt+s");
    ASSERT_TRUE(wait_until([&] { return fs::exists(diagram_ + "~"); }));
    Shortcut("alt+q");
    ASSERT_TRUE(EndedCleanly());

    Start({diagram_});
    ASSERT_TRUE(wait_until([&] { return HasPageWindow(); }, 20s));
    EXPECT_TRUE(wait_until([&] {
        return HasPageWindow() && std::abs(page_.root_x - movedX) <= 4 && std::abs(page_.root_y - movedY) <= 4;
    })) << page_.root_x << "," << page_.root_y << " instead of " << movedX << "," << movedY;
}

// Save As given up on after declining to overwrite leaves the diagram with
// its own file.
TEST_F(FileSession, SaveAsGivenUpOnKeepsTheDiagramsFile)
{
    const std::string other = dir_.file("other.tolq");
    CopyExample(other);
    StartOnExample();
    ModifyTheDiagram();
    Pick("File", "Save As...");
    ChooseFile("other.tolq");
    Answer(kYesNoQuestion, "No");
    const std::optional<WindowInfo> selector = WaitForShell("selFile");
    ASSERT_TRUE(selector.has_value()) << "the name is not asked for again";
    CloseFromWindowManager(selector->id);
    ASSERT_TRUE(NoDialogLeft());

    Shortcut("alt+s");
    EXPECT_TRUE(wait_until([&] { return fs::exists(diagram_ + "~"); }));
    EXPECT_EQ(read_file(other), original_);
    EXPECT_FALSE(fs::exists(other + "~"));
}

// ---- Open ----

TEST_F(FileSession, OpenLoadsTheChosenFileInPlaceOfTheCurrentOne)
{
    const std::string other = dir_.file("other.tolq");
    CopyExample(other);
    StartOnExample();
    Pick("File", "Open...");
    ChooseFile("other.tolq");
    ASSERT_TRUE(ShowPageBelowMenu());
    ASSERT_TRUE(wait_until([&] { return Ink(kProduceX, kProduceY, 10, 10) > 0; }));

    // The opened file is the diagram's file now: Save writes there.
    ModifyTheDiagram();
    Shortcut("alt+s");
    EXPECT_TRUE(wait_until([&] { return fs::exists(other + "~"); }));
    EXPECT_FALSE(fs::exists(diagram_ + "~"));
    EXPECT_EQ(read_file(diagram_), original_);
}

TEST_F(FileSession, OpenOnAModifiedUnnamedDiagramSavesItFirst)
{
    StartOnExample();
    Pick("File", "New");
    ASSERT_TRUE(ShowPageBelowMenu());
    ModifyTheDiagram();
    Pick("File", "Open...");
    Answer(kSaveQuestion, "Yes");
    // Save As comes first, then the choice of the file to open.
    ChooseFile("saved-first.tolq", true);
    ASSERT_TRUE(wait_until([&] { return IsDiagramFile(dir_.file("saved-first.tolq")); }));
    ChooseFile("producer-consumer.tolq");
    ASSERT_TRUE(ShowPageBelowMenu());
    EXPECT_TRUE(wait_until([&] { return Ink(kProduceX, kProduceY, 10, 10) > 0; }));
    EXPECT_TRUE(NoDialogLeft());
}

// ---- Close with the question whether to save ----

struct CloseCase {
    const char* name;
    const char* answer;
    bool closes;
    bool saves;
};

class CloseModified : public FileSession, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseModified, AsksWhetherToSave)
{
    const CloseCase& c = GetParam();
    StartOnExample();
    ModifyTheDiagram();
    Pick("File", "Close");
    Answer(kSaveQuestion, c.answer);
    ASSERT_TRUE(NoDialogLeft());
    if (c.closes) {
        EXPECT_TRUE(wait_until([&] { return !HasPageWindow(); }));
    } else {
        std::this_thread::sleep_for(500ms);
        EXPECT_TRUE(HasPageWindow());
    }
    EXPECT_EQ(read_file(diagram_) != original_, c.saves);
    EXPECT_EQ(fs::exists(diagram_ + "~"), c.saves);
    EXPECT_TRUE(tolq_.running());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CloseModified,
    ::testing::Values(CloseCase{"YesSavesAndCloses", "Yes", true, true},
                      CloseCase{"NoClosesWithoutSaving", "No", true, false},
                      CloseCase{"CancelKeepsTheDiagram", "Cancel", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileSession, CloseOfAnUnmodifiedDiagramAsksNothing)
{
    StartOnExample();
    Pick("File", "Close");
    EXPECT_TRUE(wait_until([&] { return !HasPageWindow(); }));
    EXPECT_TRUE(ShellsNamed("dialog").empty());
    EXPECT_TRUE(tolq_.running());
}

// ---- Quit ----

struct QuitCase {
    const char* name;
    bool shortcut;  // Alt+Q, else File > Quit
    bool modify;    // the diagram is modified and the question answered No
};

class Quit : public FileSession, public ::testing::WithParamInterface<QuitCase> {};

TEST_P(Quit, EndsTheProgramWithoutSaving)
{
    const QuitCase& c = GetParam();
    StartOnExample();
    if (c.modify)
        ModifyTheDiagram();
    if (c.shortcut)
        Shortcut("alt+q");
    else
        Pick("File", "Quit");
    if (c.modify) {
        EXPECT_TRUE(tolq_.running());
        Answer(kSaveQuestion, "No");
    }
    EXPECT_TRUE(EndedCleanly());
    EXPECT_EQ(read_file(diagram_), original_);
    EXPECT_FALSE(fs::exists(diagram_ + "~"));
}

INSTANTIATE_TEST_SUITE_P(
    Routes, Quit,
    ::testing::Values(QuitCase{"MenuUnmodified", false, false}, QuitCase{"MenuModifiedNo", false, true},
                      QuitCase{"ShortcutUnmodified", true, false}, QuitCase{"ShortcutModifiedNo", true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileSession, WindowCloseOfAModifiedUnnamedDiagramSavesUnderAChosenName)
{
    StartOnExample();
    Pick("File", "New");
    ASSERT_TRUE(ShowPageBelowMenu());
    ModifyTheDiagram();
    CloseFromWindowManager(main_.id);
    Answer(kSaveQuestion, "Yes");
    ChooseFile("named-at-the-end.tolq");
    EXPECT_TRUE(EndedCleanly());
    EXPECT_TRUE(IsDiagramFile(dir_.file("named-at-the-end.tolq")));
}

// ---- Revert ----

struct RevertCase {
    const char* name;
    const char* answer;
    bool reverted;
};

class Revert : public FileSession, public ::testing::WithParamInterface<RevertCase> {};

TEST_P(Revert, ReplacesTheModifiedDiagramWithItsFileOnYes)
{
    const RevertCase& c = GetParam();
    StartOnExample();
    ModifyTheDiagram();
    Pick("File", "Revert");
    Answer(kYesNoQuestion, c.answer);
    ASSERT_TRUE(NoDialogLeft());
    ASSERT_TRUE(ShowPageBelowMenu());
    EXPECT_TRUE(wait_until([&] { return Ink(kProduceX, kProduceY, 10, 10) > 0; }));
    // A reverted diagram is unmodified: Quit asks nothing.
    Shortcut("alt+q");
    if (c.reverted) {
        EXPECT_TRUE(EndedCleanly());
    } else {
        Answer(kSaveQuestion, "No");
        EXPECT_TRUE(EndedCleanly());
    }
    EXPECT_EQ(read_file(diagram_), original_);
}

INSTANTIATE_TEST_SUITE_P(Answers, Revert,
                         ::testing::Values(RevertCase{"Yes", "Yes", true}, RevertCase{"No", "No", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileSession, RevertOfAnUnmodifiedDiagramAsksNothing)
{
    StartOnExample();
    Pick("File", "Revert");
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(ShellsNamed("dialog").empty());
    EXPECT_TRUE(HasPageWindow());
}

// ---- diagram files that cannot be read ----

struct BadFileCase {
    const char* name;
    size_t keptBytes;  // the example cut to this many bytes; 0: no file
};

class BadDiagramArgument : public FileSession, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadDiagramArgument, IsReportedAndTolqGoesOnWithoutADiagram)
{
    const BadFileCase& c = GetParam();
    const std::string path = dir_.file("bad.tolq");
    if (c.keptBytes > 0) {
        write_file(path, original_.substr(0, c.keptBytes));
        fs::copy_file(kExample + ".DB", path + ".DB");
    }
    Start({path});
    const std::optional<WindowInfo> box = WaitForDialog();
    ASSERT_TRUE(box.has_value()) << "no message box";
    EXPECT_TRUE(tolq_.running());
    EXPECT_FALSE(HasPageWindow());
    const std::optional<WindowInfo> ok = client_.message_box_button();
    ASSERT_TRUE(ok.has_value());
    client_.click(ok->root_x + ok->width / 2, ok->root_y + ok->height / 2);
    ASSERT_TRUE(NoDialogLeft());
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(tolq_.running());
    EXPECT_FALSE(HasPageWindow());

    // Nothing was left half-loaded: a new diagram starts empty.
    Pick("File", "New");
    ASSERT_TRUE(ShowPageBelowMenu());
    EXPECT_TRUE(wait_until([&] { return Ink(kProduceX, kProduceY, 10, 10) == 0; }));
    EXPECT_TRUE(ShellsNamed("dialog").empty());
}

INSTANTIATE_TEST_SUITE_P(Files, BadDiagramArgument,
                         ::testing::Values(BadFileCase{"Missing", 0}, BadFileCase{"CutInTheHeader", 10},
                                           BadFileCase{"CutInTheObjects", 700}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tolq::test
