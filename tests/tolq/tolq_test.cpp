// tolq as a user starts it: options and -xrm resources, exit statuses and the
// texts on standard error, the main window with its title, menu-bar area and
// status bar, read back from the test's private X server.
#include <gtest/gtest.h>

#include "process.h"
#include "xclient.h"
#include "xvfb.h"

#include <fstream>
#include <sstream>
#include <algorithm>
#include <string>
#include <vector>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";

ProcessResult RunTolq(const std::vector<std::string>& args, const ProcessOptions& options = {})
{
    std::vector<std::string> argv = {kTolq};
    argv.insert(argv.end(), args.begin(), args.end());
    ProcessOptions o = options;
    o.timeout = std::chrono::milliseconds(20000);
    return run_process(argv, o);
}

struct QuickCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* out;  // expected standard output
    const char* err;  // text standard error must hold
};

class QuickExitTest : public ::testing::TestWithParam<QuickCase> {};

TEST_P(QuickExitTest, ExitsWithStatusAndText)
{
    const QuickCase& c = GetParam();
    const ProcessResult r = RunTolq(c.args);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.exit_status, c.status) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Options, QuickExitTest,
    ::testing::Values(
        QuickCase{"Version", {"-version"}, 0, "tolq version: Velkor/TOLQ v4.0.4\n", ""},
        QuickCase{"VersionThroughXrm", {"-xrm", "tolq.versionNumber: On"}, 0, "tolq version: Velkor/TOLQ v4.0.4\n", ""},
        QuickCase{"VersionNotOnWhenTrue", {"-xrm", "tolq.versionNumber: true", "-print"}, 0, "", ""},
        QuickCase{"TwoDiagramsWithoutPrint", {"a.cpn", "b.cpn"}, 1, "", "Usage: tolq [diagram-file] \n"},
        QuickCase{"UnknownOptionsAreFileWords", {"-foo", "-bar"}, 1, "", "Usage: tolq [diagram-file] \n"},
        QuickCase{"InvalidInterface", {"-gui", "foo"}, 0, "", "foo is an invalid graphical user interface.\n"},
        QuickCase{"InvalidInterfaceLowerCased", {"-gui", "FOO"}, 0, "", "foo is an invalid graphical user interface.\n"},
        QuickCase{"InterfaceThroughXrm", {"-xrm", "*gui: nope"}, 0, "", "nope is an invalid graphical user interface.\n"},
        QuickCase{"PrintWithoutFiles", {"-print"}, 0, "", ""},
        QuickCase{"PrintUnreadableFile", {"-print", "/nonexistent/net.cpn"}, 1, "",
                  "tolq: File /nonexistent/net.cpn could not be opened.\n"},
        QuickCase{"PrintBareFileName", {"-print", "net.cpn"}, 1, "", "tolq: File ./net.cpn could not be opened.\n"}),
    [](const ::testing::TestParamInfo<QuickCase>& info) { return std::string(info.param.name); });

TEST(Startup, NoDisplayGivesTheInitialisationMessage)
{
    ProcessOptions options;
    options.env = {{"DISPLAY", ":4093"}};
    const ProcessResult r = RunTolq({}, options);
    EXPECT_NE(r.exit_status, 0);
    EXPECT_EQ(r.term_signal, 0);
    EXPECT_EQ(r.err.rfind("Fatal Error: XtAppCreateShell returned NULLtolq: Could not initialize X libraries.\n", 0),
              0u)
        << r.err;
}

TEST(Startup, PrintRunShowsNoWindow)
{
    const ProcessResult r = RunTolq({"-print"});
    EXPECT_EQ(r.exit_status, 0);
    XClient client;
    EXPECT_FALSE(client.wait_for_window("tolq", std::chrono::milliseconds(300)).has_value());
}

// A running tolq and its main window.
class MainWindowTest : public ::testing::Test {
protected:
    void Start(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv = {kTolq};
        argv.insert(argv.end(), args.begin(), args.end());
        process_ = BackgroundProcess(argv);
    }
    BackgroundProcess process_;
    XClient client_;
};

TEST_F(MainWindowTest, AppearsWithTitleMenuBarAreaAndStatusBar)
{
    Start({});
    auto shell = client_.wait_for_window("tolq");
    ASSERT_TRUE(shell.has_value());
    EXPECT_EQ(shell->name, "tolq");
    EXPECT_EQ(shell->res_class, "Tolq");

    // Shell > form "menu" > (menu-bar area, status bar). The menu bar widens the
    // window once its items are laid out, so read the tree until that is done.
    std::vector<WindowInfo> form;
    std::vector<WindowInfo> children;
    auto readLayout = [&] {
        form.clear();
        children.clear();
        const std::vector<WindowInfo> tree = client_.window_tree();
        for (const WindowInfo& w : tree) {
            if (w.parent == shell->id) {
                form.push_back(w);
            }
        }
        if (form.size() != 1) {
            return false;
        }
        for (const WindowInfo& w : tree) {
            if (w.parent == form[0].id) {
                children.push_back(w);
            }
        }
        shell = client_.wait_for_window("tolq");
        if (children.size() != 2 || !shell.has_value()) {
            return false;
        }
        const WindowInfo& top = children[0].y < children[1].y ? children[0] : children[1];
        // The net layer adds its menus after start-up: wait until the window
        // has followed the bar's last width.
        return top.width > 500 && shell->width >= top.x + top.width + 6 &&
               shell->width <= top.x + top.width + 6 + 4;
    };
    ASSERT_TRUE(wait_until(readLayout));
    ASSERT_EQ(form.size(), 1u);
    ASSERT_EQ(children.size(), 2u);
    const WindowInfo& bar = children[0].y < children[1].y ? children[0] : children[1];
    const WindowInfo& status = children[0].y < children[1].y ? children[1] : children[0];
    EXPECT_EQ(bar.x, 6);
    EXPECT_EQ(bar.y, 6);
    EXPECT_GT(bar.width, 500);
    // The main window is as wide as the menu bar with its borders and the form's distances.
    EXPECT_GE(shell->width, bar.x + bar.width + 6);
    EXPECT_LE(shell->width, bar.x + bar.width + 6 + 4);
    EXPECT_GE(status.y, bar.y + bar.height + 6);
    EXPECT_GT(status.height, 5);

    // The status line is drawn: dark text pixels in its left part.
    client_.sync();
    EXPECT_TRUE(wait_until([&] {
        return client_.count_pixels(status.id, 0, 0, 200, status.height, Rgb{0, 0, 0}) > 10;
    }));
}

TEST_F(MainWindowTest, TitleOptionNamesTheWindow)
{
    Start({"-title", "Net Editor"});
    auto shell = client_.wait_for_window("Net Editor");
    ASSERT_TRUE(shell.has_value());
    EXPECT_EQ(shell->res_name, "tolq");
}

TEST_F(MainWindowTest, MotifInterfaceNoticeAndGoesOn)
{
    TempDir dir;
    const std::string errFile = dir.file("err");
    process_ = BackgroundProcess({"/bin/sh", "-c", "exec \"$0\" -gui motif 2>\"$1\"", kTolq, errFile});
    ASSERT_TRUE(client_.wait_for_window("tolq").has_value());
    EXPECT_EQ(read_file(errFile), "motif is not available, using athena.\n");
    EXPECT_TRUE(process_.running());
}

TEST_F(MainWindowTest, OneDiagramArgumentStillOpensTheWindow)
{
    Start({"net.cpn"});
    EXPECT_TRUE(client_.wait_for_window("tolq").has_value());
    EXPECT_TRUE(process_.running());
}

TEST_F(MainWindowTest, BrokenPipesDoNotEndTheProgram)
{
    Start({});
    ASSERT_TRUE(client_.wait_for_window("tolq").has_value());
    std::ifstream status("/proc/" + std::to_string(process_.pid()) + "/status");
    std::string line;
    unsigned long long ignored = 0;
    while (std::getline(status, line)) {
        if (line.rfind("SigIgn:", 0) == 0) {
            ignored = std::stoull(line.substr(7), nullptr, 16);
        }
    }
    EXPECT_NE(ignored & (1ull << (SIGPIPE - 1)), 0u);
}

TEST_F(MainWindowTest, KeysAndClicksAreHandledWithoutHarm)
{
    Start({});
    auto shell = client_.wait_for_window("tolq");
    ASSERT_TRUE(shell.has_value());
    client_.click(shell->root_x + 100, shell->root_y + 40);
    client_.key("a");
    client_.key("BackSpace");
    client_.key("Caps_Lock");
    client_.key("x", true, true);
    client_.move_pointer(shell->root_x + 300, shell->root_y + 20);
    client_.sync();
    EXPECT_TRUE(process_.running());
    EXPECT_TRUE(client_.wait_for_window("tolq").has_value());
}

}  // namespace
}  // namespace tolq::test
