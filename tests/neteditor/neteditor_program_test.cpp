// tolq started with the net layer: its options as a user gives them, the
// usage exit of a scripted start without an absolute script, and a start that
// stays up with the net layer's options and tool extension.
#include <gtest/gtest.h>

#include "process.h"
#include "xvfb.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";
constexpr const char* kUsage = "Usage: ./tolq -autoexec [full-path-to-sml-file]\n";

struct ExitCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* out;
};

class NetOptionExitTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(NetOptionExitTest, ExitsWithStatusAndText)
{
    const ExitCase& c = GetParam();
    std::vector<std::string> argv = {kTolq};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    ProcessOptions options;
    options.timeout = std::chrono::milliseconds(20000);
    const ProcessResult r = run_process(argv, options);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.exit_status, c.status) << r.err;
    EXPECT_EQ(r.out, c.out);
}

INSTANTIATE_TEST_SUITE_P(
    Options, NetOptionExitTest,
    ::testing::Values(ExitCase{"RelativeScript", {"-autoexec", "x.sml"}, 1, kUsage},
                      ExitCase{"MissingScript", {"-autoexec"}, 1, kUsage},
                      ExitCase{"NetOptionsAreNotDiagramFiles", {"-dbg", "-newsim", "-print", "-mldebug"}, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct RunCase {
    const char* name;
    std::vector<std::string> args;
    const char* toolExt;
};

class NetStartRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(NetStartRunTest, StaysUpWithTheNetLayer)
{
    const RunCase& c = GetParam();
    std::vector<std::string> argv = {kTolq};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    BackgroundProcess tolq(argv, {{"TOLQToolExt", c.toolExt}});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_TRUE(tolq.running());
}

INSTANTIATE_TEST_SUITE_P(
    Starts, NetStartRunTest,
    ::testing::Values(RunCase{"Editor", {"-dbg", "-dumpML", "-newsim", "-savecode"}, ""},
                      RunCase{"ToolExtension", {}, "/opt/tools/Analysis/run.sml"},
                      RunCase{"ScriptedRunOfAMissingScript", {"-autoexec", "/tmp/none.sml", "perf", "extra"}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tolq::test
