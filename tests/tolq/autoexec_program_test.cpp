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

// Builds a small net on the new diagram's page through the evaluator's
// net-building requests: a global declaration node, places Ready (two tokens)
// and Done, a transition Go between them, and the page made a prime page.
const char* const kNetScript = R"(local
  structure K = Tolq.Kernel
  structure T = Tolq.Table
  val page = K.result 3040 []
  val decl = K.createNode {page = page, x = 320, y = 40, width = 220, height = 40, shape = 1}
  val _ = K.setText (decl, "color E = with e;")
  val _ = T.intCall (T.createDeclNode, [decl, 0, 1])
  val _ = T.intCall (T.buildDeclRegions, [decl])
  val (_, (ready, _, _)) = TOLQ'RXL.MakePlace {page = page, refresh = true, x = 80, y = 120, name = "Ready",
                                               colourSet = "E", marking = SOME "2`e"}
  val (_, (done, _, _)) = TOLQ'RXL.MakePlace {page = page, refresh = true, x = 80, y = 320, name = "Done",
                                              colourSet = "E", marking = NONE}
  val (_, (go, _, _)) = TOLQ'RXL.MakeTransition {page = page, refresh = true, x = 80, y = 220, width = 60,
                                                 height = 30, name = SOME "Go", guard = NONE, code = NONE}
  val _ = TOLQ'RXL.MakeArc {page = page, refresh = true, from = ready, to = go, inscription = "e"}
  val _ = TOLQ'RXL.MakeArc {page = page, refresh = true, from = go, to = done, inscription = "e"}
  val _ = K.result 15003 [K.U32 page, K.S16 65535, K.S16 65535, K.S16 65535, K.S16 65535, K.S16 65535,
                          K.S16 1, K.U32 1]
in end;
)";

// ML text that writes text (an ML string expression) to the file ANSWER; the
// test puts the answer file's path in place of ANSWER.
std::string Writes(const std::string& expression)
{
    return "val out = TextIO.openOut \"ANSWER\";\nval _ = TextIO.output (out, " + expression +
           ");\nval _ = TextIO.closeOut out;\n";
}

// The occurrence graph calculated, its size written.
const std::string kGraphFigures = Writes(
    "\"nodes \" ^ Int.toString (OGQuery.NoOfNodes ()) ^ \" arcs \" ^ Int.toString (OGQuery.NoOfArcs ()) ^ "
    "\" full \" ^ Bool.toString (OGQuery.Full ())");

std::string Replace(std::string text, const std::string& what, const std::string& by)
{
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + by.size()))
        text.replace(at, what.size(), by);
    return text;
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
    std::string sim = {};                  // script.sim.sml, none when empty
    std::string og = {};                   // script.og.sml, none when empty
};

class ScriptedRun : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptedRun, EvaluatesTheScriptAndEndsWithItsOutcome)
{
    const ScriptCase& c = GetParam();
    TempDir dir;
    const std::string answer = dir.file("answer.txt");
    const std::string script = dir.file("script.sml");
    write_file(script, c.script.empty() ? WritingScript(answer) : c.script);
    if (!c.sim.empty())
        write_file(dir.file("script.sim.sml"), Replace(c.sim, "ANSWER", answer));
    if (!c.og.empty())
        write_file(dir.file("script.og.sml"), Replace(c.og, "ANSWER", answer));
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
        // The empty diagram fails the check: the check's message goes to the
        // error output (no box waits for a user) and the run fails.
        ScriptCase{"SimulatorModeOnANetThatFailsTheCheck", "", {"simulator", "quit"}, 1, "answer 42 []",
                   "Error: Attempt to enter the simulator failed."},
        // A net without a prime page is switched without asking: the mode word
        // asked for the simulator. Its file runs there.
        ScriptCase{"SimulatorModeRunsTheSimulatorFile", kNetScript, {"simulator", "quit"}, 0, "in simulator", "",
                   {}, {}, Writes("\"in simulator\"")},
        ScriptCase{"SimulatorModeWithoutItsFileFails", kNetScript, {"simulator", "quit"}, 1, nullptr,
                   "Error: Attempt to evaluate SML code in simulator failed."},
        // "og" enters the occurrence-graph tool, whose file calculates the
        // graph: Ready 2, 1, 0 tokens, so three states and two steps.
        ScriptCase{"OccurrenceGraphModeCalculatesTheGraph", kNetScript, {"og", "quit"}, 0,
                   "nodes 3 arcs 2 full true", "", {}, {}, "val simFileRan = true;\n",
                   "val _ = OG'menu.CalculateOG ();\n" + kGraphFigures},
        ScriptCase{"OccurrenceGraphFileThatRaisesFails", kNetScript, {"og", "quit"}, 1, nullptr,
                   "Error: Attempt to evaluate SML code in occurrence graph mode failed.", {}, {}, "val x = 1;\n",
                   "val _ = raise Fail \"stop\";\n"},
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
