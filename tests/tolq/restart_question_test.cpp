// tolq on a copy of the example net under the private Xvfb, with the real
// evaluator: the syntax check is run with its key, the declaration node's
// text is edited as a user edits it, and the next check asks whether to
// build the evaluator's image from scratch. "No" goes on with the running
// evaluator, "Yes" starts a new one; both checks end with their outcome.
#include <gtest/gtest.h>

#include "process.h"
#include "xclient.h"
#include "xvfb.h"

#include <X11/Xutil.h>

#include <dirent.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

namespace fs = std::filesystem;

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";
const std::string kExample = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";

// Dialog shells as their tables size them: the outcome's message box and the
// yes/no/cancel question, with the centres of their buttons.
struct DialogForm {
    int width, height;
};
constexpr DialogForm kMessageBox{510, 237};
constexpr DialogForm kQuestion{370, 160};
constexpr int kMessageOkX = 450, kMessageOkY = 209;
constexpr int kYesX = 310, kNoX = 130, kQuestionButtonY = 132;

// One unit of the example's page is two pixels at 100 %; its page centre
// lies where Produce is. The arc from Buffer (85, 0) down to Consume
// (85, 90; 20 units high) is the page's longest vertical line.
constexpr int kBufferX = 85 * 2;
constexpr int kConsumeTop = (90 - 10) * 2;
constexpr int kDeclX = -70 * 2, kDeclY = -100 * 2;

std::set<int> ChildrenOf(int pid)
{
    std::set<int> children;
    DIR* proc = opendir("/proc");
    if (proc == nullptr)
        return children;
    while (dirent* entry = readdir(proc)) {
        const std::string name = entry->d_name;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat("/proc/" + name + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // pid (comm) state ppid ...: the comm may hold blanks, so read after its ")".
        const size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 1));
        std::string state;
        int parent = 0;
        rest >> state >> parent;
        if (parent == pid && state != "Z")
            children.insert(std::stoi(name));
    }
    closedir(proc);
    return children;
}

std::optional<WindowInfo> FindDialog(const XClient& client, const DialogForm& form)
{
    for (const WindowInfo& w : client.window_tree())
        if (w.parent == client.root() && w.mapped && w.res_name == "dialog" && w.width == form.width &&
            w.height == form.height)
            return w;
    return std::nullopt;
}

std::optional<WindowInfo> WaitForDialog(const XClient& client, const DialogForm& form,
                                        std::chrono::milliseconds limit = std::chrono::milliseconds(60000))
{
    std::optional<WindowInfo> found;
    wait_until([&] { return (found = FindDialog(client, form)).has_value(); }, limit);
    return found;
}

bool AnyDialogUp(const XClient& client)
{
    for (const WindowInfo& w : client.window_tree())
        if (w.parent == client.root() && w.mapped && w.res_name == "dialog")
            return true;
    return false;
}

// The page window's drawing area: the largest mapped window of a Tolq shell
// other than the main window.
std::optional<WindowInfo> FindDrawingArea(const XClient& client, Window mainWindow)
{
    const std::vector<WindowInfo> tree = client.window_tree();
    std::optional<WindowInfo> best;
    for (const WindowInfo& shell : tree) {
        if (shell.parent != client.root() || !shell.mapped || shell.res_class != "Tolq" || shell.id == mainWindow)
            continue;
        std::vector<Window> inside = {shell.id};
        for (size_t i = 0; i < inside.size(); ++i)
            for (const WindowInfo& w : tree)
                if (w.parent == inside[i]) {
                    inside.push_back(w.id);
                    if (w.mapped && (!best || w.width * w.height > best->width * best->height))
                        best = w;
                }
    }
    return best;
}

// The longest run of dark pixels down one column, away from the window's
// frame and scroll bars: the column and its last row.
std::pair<int, int> LongestVerticalRun(const XClient& client, const WindowInfo& area)
{
    XImage* image = XGetImage(client.display(), area.id, 0, 0, static_cast<unsigned>(area.width),
                              static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return {-1, -1};
    constexpr int kMargin = 40;
    int bestX = -1, bestEnd = -1, bestLength = 0;
    for (int x = kMargin; x < area.width - kMargin; ++x) {
        int length = 0;
        for (int y = kMargin; y < area.height - kMargin; ++y) {
            const unsigned long pixel = XGetPixel(image, x, y);
            const bool dark = ((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff) < 3 * 128;
            length = dark ? length + 1 : 0;
            if (length > bestLength) {
                bestLength = length;
                bestX = x;
                bestEnd = y;
            }
        }
    }
    XDestroyImage(image);
    return bestLength > 100 ? std::pair{bestX, bestEnd} : std::pair{-1, -1};
}

// Windows of tolq come and go while the test reads the window tree; one that
// has gone just drops out of the reading.
int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

class RestartQuestionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        XSetErrorHandler(IgnoreXError);
        diagram_ = dir_.file("net.tolq");
        fs::copy_file(kExample, diagram_);
        fs::copy_file(kExample + ".DB", diagram_ + ".DB");
        tolq_ = BackgroundProcess({kTolq, diagram_}, {{"HOME", dir_.path()}}, dir_.path());
        const std::optional<WindowInfo> main = client_.wait_for_window("tolq");
        ASSERT_TRUE(main.has_value());
        ASSERT_TRUE(wait_until([&] {
            area_ = FindDrawingArea(client_, main->id);
            if (!area_)
                return false;
            run_ = LongestVerticalRun(client_, *area_);
            return run_.first >= 0;
        }, std::chrono::milliseconds(20000)));
        centreX_ = area_->root_x + run_.first - kBufferX;
        centreY_ = area_->root_y + run_.second - kConsumeTop;
    }

    // The pointer over an empty part of the page, then the key.
    void KeyOnPage(const std::string& keys)
    {
        EXPECT_EQ(xdotool({"mousemove", std::to_string(centreX_ - 60), std::to_string(centreY_ + 150), "key", keys})
                      .exit_status,
                  0);
    }

    void SyntaxCheck() { KeyOnPage("alt+apostrophe"); }

    // Closes the outcome's message box once it is up.
    bool AnswerOutcome()
    {
        const std::optional<WindowInfo> box = WaitForDialog(client_, kMessageBox);
        if (!box)
            return false;
        Settle(500);
        Click(box->root_x + kMessageOkX, box->root_y + kMessageOkY);
        const bool closed = wait_until([&] { return !AnyDialogUp(client_); });
        Settle(1000);
        return closed;
    }

    // A click on the declaration node selects it.
    void SelectDeclarations()
    {
        Click(centreX_ + kDeclX, centreY_ + kDeclY);
        Settle();
    }

    // Edits the selected declaration node's text (one more declaration on a
    // line of its own after the last) and ends the edit, all with its keys.
    void EditDeclarations(const std::string& declaration)
    {
        EXPECT_EQ(xdotool({"mousemove", std::to_string(centreX_ + kDeclX), std::to_string(centreY_ + kDeclY), "key",
                           "alt+t"})
                      .exit_status,
                  0);
        Settle();
        // The edit starts with the cursor after the text.
        EXPECT_EQ(xdotool({"key", "Return"}).exit_status, 0);
        EXPECT_EQ(xdotool({"type", declaration}).exit_status, 0);
        Settle();
        EXPECT_EQ(xdotool({"key", "alt+t"}).exit_status, 0);
        Settle();
    }

    void Click(int x, int y)
    {
        EXPECT_EQ(xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"}).exit_status, 0);
    }

    // Lets tolq take in what was sent before the next step depends on it.
    void Settle(int milliseconds = 400)
    {
        client_.sync();
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        wait_until([&] { return std::chrono::steady_clock::now() >= until; });
    }

    TempDir dir_;
    std::string diagram_;
    BackgroundProcess tolq_;
    XClient client_;
    std::optional<WindowInfo> area_;
    std::pair<int, int> run_{-1, -1};
    int centreX_ = 0, centreY_ = 0;
};

TEST_F(RestartQuestionTest, ChangedDeclarationsAskBeforeTheEvaluatorIsRebuilt)
{
    // The first check starts the evaluator without asking; the declaration
    // node stays selected.
    Settle(1000);
    SelectDeclarations();
    SyntaxCheck();
    ASSERT_TRUE(AnswerOutcome()) << "no outcome of the first check";
    const std::set<int> first = ChildrenOf(tolq_.pid());
    ASSERT_EQ(first.size(), 1u) << "one evaluator process";

    // Changed declarations: the question comes; "No" keeps the evaluator.
    EditDeclarations("val k = 1;");
    SyntaxCheck();
    std::optional<WindowInfo> question = WaitForDialog(client_, kQuestion, std::chrono::milliseconds(20000));
    ASSERT_TRUE(question.has_value()) << "the restart question was not asked";
    Click(question->root_x + kNoX, question->root_y + kQuestionButtonY);
    ASSERT_TRUE(AnswerOutcome()) << "no outcome after No";
    EXPECT_EQ(ChildrenOf(tolq_.pid()), first) << "No keeps the running evaluator";

    // Changed again: "Yes" builds from scratch with a new evaluator.
    EditDeclarations("val m = 2;");
    SyntaxCheck();
    question = WaitForDialog(client_, kQuestion, std::chrono::milliseconds(20000));
    ASSERT_TRUE(question.has_value()) << "the restart question was not asked again";
    Click(question->root_x + kYesX, question->root_y + kQuestionButtonY);
    ASSERT_TRUE(AnswerOutcome()) << "no outcome after Yes";
    const std::set<int> second = ChildrenOf(tolq_.pid());
    EXPECT_EQ(second.size(), 1u);
    EXPECT_NE(second, first) << "Yes starts a new evaluator";

    // Unchanged declarations: no question, the evaluator stays.
    SyntaxCheck();
    ASSERT_TRUE(AnswerOutcome()) << "no outcome of the unchanged check";
    EXPECT_EQ(ChildrenOf(tolq_.pid()), second);
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test
