// The scripted run of the real tolq: "-autoexec <script> [mode] [quit]
// [arguments]" evaluates the script in the real evaluator, and with "quit"
// ends by itself, with status 0 when every step ran and 1 after a failure.
#include <gtest/gtest.h>

#include "process.h"
#include "xclient.h"
#include "xvfb.h"

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";

// Writes the prompt arguments and a computed number into answer.txt.
std::string WritingScript(const std::string& answer)
{
    return "val out = TextIO.openOut \"" + answer + "\";\n"
           "val _ = TextIO.output (out, \"answer \" ^ Int.toString (6 * 7) ^ \" [\" ^ !prompt_args ^ \"]\");\n"
           "val _ = TextIO.closeOut out;\n";
}

struct ScriptCase {
    const char* name;
    std::string script;               // the script's text; "" for the writing script
    std::vector<std::string> words;   // after the script's path
    int status;
    const char* answer;               // answer.txt afterwards, nullptr when none
    const char* error;                // text standard error holds
    std::vector<std::string> before = {};  // options before -autoexec
    std::vector<const char*> out = {};     // texts standard output holds
};

class ScriptedRun : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptedRun, EvaluatesTheScriptAndEndsWithItsOutcome)
{
    const ScriptCase& c = GetParam();
    TempDir dir;
    const std::string answer = dir.file("answer.txt");
    const std::string script = dir.file("script.sml");
    write_file(script, c.script.empty() ? WritingScript(answer) : c.script);
    std::vector<std::string> argv = {kTolq};
    argv.insert(argv.end(), c.before.begin(), c.before.end());
    argv.insert(argv.end(), {"-autoexec", script});
    argv.insert(argv.end(), c.words.begin(), c.words.end());
    ProcessOptions options;
    options.env = {{"HOME", dir.path()}};
    options.cwd = dir.path();
    options.timeout = std::chrono::milliseconds(120000);
    const ProcessResult r = run_process(argv, options);
    ASSERT_FALSE(r.timed_out) << r.err;
    EXPECT_EQ(r.exit_status, c.status) << r.err;
    if (c.answer != nullptr) {
        EXPECT_EQ(read_file(answer), c.answer);
    } else {
        EXPECT_FALSE(std::filesystem::exists(answer));
    }
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    for (const char* text : c.out)
        EXPECT_NE(r.out.find(text), std::string::npos) << text << " not in:\n" << r.out;
    if (c.out.empty()) {
        EXPECT_EQ(r.out, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Autoexec, ScriptedRun,
    ::testing::Values(
        ScriptCase{"QuitAfterTheScript", "", {"quit"}, 0, "answer 42 []", ""},
        ScriptCase{"PromptArgumentsReachTheScript", "", {"quit", "one\"two"}, 0, "answer 42 [one\"two]", ""},
        ScriptCase{"ControlCharactersInTheArguments", "", {"quit", "a\tb\\c"}, 0, "answer 42 [a\tb\\c]", ""},
        ScriptCase{"QuitBeforeTheArguments", "", {"hello", "quit"}, 0, "answer 42 [hello]", ""},
        ScriptCase{"ScriptThatDoesNotCompile", "val x : int = \"no\";\n", {"quit"}, 1, nullptr,
                   "Error: Attempt to evaluate SML code failed."},
        ScriptCase{"ScriptThatRaises", "val _ = raise Fail \"stop\";\n", {"quit"}, 1, nullptr,
                   "Error: Attempt to evaluate SML code failed."},
        // A mode the program cannot enter ends a run that quits with a failure.
        ScriptCase{"SimulatorModeThatCannotBeEnteredFails", "", {"simulator", "quit"}, 1, "answer 42 []", ""},
        ScriptCase{"PerformanceModeThatCannotBeEnteredFails", "", {"perf", "quit"}, 1, "answer 42 []", ""},
        // -dumpML shows every text sent and every answer; -mldebug sets the
        // evaluator's debug state as it starts.
        ScriptCase{"DumpShowsTheTextsSentAndTheAnswers", "", {"quit"}, 0, "answer 42 []", "", {"-dumpML", "-mldebug"},
                   {"VelkorML.Control.debugState := true;", "use (\"", "val prompt_args=ref"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Without "quit" tolq stays up after the script, for the user to go on.
TEST(ScriptedRunWithoutQuit, EvaluatesTheScriptAndStaysUp)
{
    TempDir dir;
    const std::string answer = dir.file("answer.txt");
    const std::string script = dir.file("script.sml");
    write_file(script, WritingScript(answer));
    BackgroundProcess tolq({kTolq, "-autoexec", script, "stay"}, {{"HOME", dir.path()}}, dir.path());
    ASSERT_TRUE(wait_until([&] { return std::filesystem::exists(answer) && !read_file(answer).empty(); },
                           std::chrono::milliseconds(60000)));
    EXPECT_EQ(read_file(answer), "answer 42 [stay]");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(tolq.running());
}

TEST(ScriptedRunUsage, ARelativeScriptPathGivesTheUsageText)
{
    TempDir dir;
    ProcessOptions options;
    options.env = {{"HOME", dir.path()}};
    options.timeout = std::chrono::milliseconds(30000);
    const ProcessResult r = run_process({kTolq, "-autoexec", "script.sml", "quit"}, options);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, "Usage: ./tolq -autoexec [full-path-to-sml-file]\n");
}

}  // namespace
}  // namespace tolq::test
