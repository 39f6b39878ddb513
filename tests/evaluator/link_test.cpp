// The evaluator on its real heap image: banner, reply classes, large
// replies, interrupts, the stop-run flag, input texts and saved images, each
// through local socket pairs and through the remote daemon.
#include "evaluator_fixture.h"
#include "process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>

namespace tolq::test::evaluator {
namespace {

const std::string kBanner = "TOLQ ML evaluator on Poly/ML 5.7.1 [0404NJ]\001";

TEST_P(EvaluatorTest, BannerCarriesTheVersionTagAndEndsTheReceive) {
    EXPECT_EQ(link().banner(), kBanner);
    const auto close = link().banner().rfind(']');
    const auto open = link().banner().rfind('[', close);
    EXPECT_EQ(link().banner().substr(open + 1, close - open - 1), "0404NJ");
    EXPECT_FALSE(Link::has_more(link().text_fd(), std::chrono::milliseconds(200)));
}

TEST_P(EvaluatorTest, StartUpTextsEvaluate) {
    EXPECT_EQ(link().evaluate("SMLofNJ.Internals.GC.messages false;  ").result, Result::Success);
    EXPECT_EQ(link().evaluate("SMLofNJ.Internals.GC.messages false;  "
                              "VelkorML.Control.debugState := true;")
                  .result,
              Result::Success);
}

struct ClassCase {
    const char* name;
    const char* ml;
    Result result;
    const char* text; // must appear in the reply
};

class ReplyClassTest : public EvaluatorTest {};

// One evaluator for the whole table: later cases also show that a failed
// evaluation leaves the evaluator usable.
TEST_P(ReplyClassTest, EachOutcomeEndsWithItsTerminator) {
    const ClassCase cases[] = {
        {"value", "val x = 1;", Result::Success, "val x = 1: int"},
        {"printed text", "print \"hello\\n\";", Result::Success, "hello\n"},
        {"type error", "val y = 1 + \"a\";", Result::NotCompiled, "error"},
        {"syntax error", "val z = ;", Result::NotCompiled, "error"},
        {"unbound name", "nothing_here + 1;", Result::NotCompiled, "nothing_here"},
        {"unclosed comment", "val c = 1; (* never closed", Result::NotCompiled, "comment"},
        {"unclosed string", "(* a *) \"abc", Result::NotCompiled, "error"},
        {"raised Fail", "raise Fail \"x\";", Result::Failure, "Unhandled Exception: Fail"},
        {"division by zero", "val w = 1 div 0;", Result::Failure, "Unhandled Exception: Div"},
        {"Io", "TextIO.openIn \"/nonexistent/tolq\";", Result::Failure, "Unhandled Exception: Io"},
        {"error class", "raise Tolq.Error \"no more enabled\";", Result::ErrorClass, "no more enabled"},
        {"nested compile error", "usestring [\"val bad = 1 + true;\"];", Result::NotCompiled, "error"},
        {"nested definitions", "usestring [\"val inner = 40 + 2;\"]; inner + 1;", Result::Success,
         "val it = 43: int"},
        {"nested failure", "usestring [\"raise Fail \\\"deep\\\";\"];", Result::Failure,
         "Unhandled Exception: Fail \"deep\""},
        {"after failures", "x + 1;", Result::Success, "val it = 2: int"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Reply reply = link().evaluate(c.ml);
        EXPECT_EQ(reply.result, c.result) << reply.raw;
        EXPECT_NE(reply.text.find(c.text), std::string::npos) << reply.raw;
        if (c.result == Result::Failure) {
            ASSERT_GE(reply.raw.size(), 2u);
            const char klass = reply.raw[reply.raw.size() - 2];
            EXPECT_TRUE(klass != '2' && klass != '3') << reply.raw;
        }
    }
}

TEST_P(EvaluatorTest, DefinitionsBeforeAFailingOneStayBound) {
    EXPECT_EQ(link().evaluate("val a = 1; val b = a + \"x\";").result, Result::NotCompiled);
    const Reply reply = link().evaluate("a + 1;");
    EXPECT_EQ(reply.result, Result::Success);
    EXPECT_NE(reply.text.find("val it = 2: int"), std::string::npos);
}

// Terminator bytes placed where tolq's 4096-byte receives end must not
// end the reply early, and the whole text arrives with one terminator.
TEST_P(EvaluatorTest, TenKilobyteReplyArrivesWholeWithOneTerminator) {
    std::string printed(10240, 'a');
    for (std::size_t i = 4094; i < printed.size(); i += 4096) {
        printed[i] = '\002';
        printed[i + 1] = '\001';
    }
    const Reply reply = link().evaluate(
        "print (CharVector.tabulate (10240, fn i => if i mod 4096 = 4095 then #\"\\001\" "
        "else if i mod 4096 = 4094 then #\"\\002\" else #\"a\"));");
    ASSERT_EQ(reply.result, Result::Success) << reply.raw.substr(0, 200);
    const auto end = reply.text.find("val it = (): unit\n");
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(reply.text.substr(end), "val it = (): unit\n");
    std::string text = reply.text.substr(0, end);
    std::erase(text, ' ');
    EXPECT_EQ(text, printed);
    for (std::size_t i = 4095; i < reply.raw.size() - 1; i += 4096)
        EXPECT_TRUE(reply.raw[i] != '\001' && reply.raw[i] != '\002') << i;
    EXPECT_FALSE(Link::has_more(link().text_fd(), std::chrono::milliseconds(200)));
}

TEST_P(EvaluatorTest, MegabyteReplyArrivesWhole) {
    const Reply reply = link().evaluate(
        "print (CharVector.tabulate (1000000, fn i => Char.chr (97 + i mod 26)));",
        std::chrono::milliseconds(30000));
    ASSERT_EQ(reply.result, Result::Success);
    std::string expected(1000000, ' ');
    for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<char>('a' + i % 26);
    ASSERT_GE(reply.text.size(), expected.size());
    EXPECT_TRUE(reply.text.compare(0, expected.size(), expected) == 0);
    EXPECT_EQ(reply.text.substr(expected.size()), "val it = (): unit\n");
}

// A class byte must travel in the same 4096-byte receive as its \002, or
// tolq would see a lone \002 and take the "Error" class for a failure.
TEST_P(EvaluatorTest, ClassByteIsNeverSplitFromItsTerminator) {
    auto fill_and_fail = [&](int fill) {
        return link().evaluate("(print (CharVector.tabulate (" + std::to_string(fill) +
                               ", fn _ => #\"b\")); raise Tolq.Error \"e\") : unit;");
    };
    const Reply probe = fill_and_fail(1000);
    ASSERT_EQ(probe.result, Result::ErrorClass);
    const int overhead = static_cast<int>(probe.text.size()) - 1000;
    for (int class_at = 4093; class_at <= 4097; ++class_at) {
        SCOPED_TRACE(class_at);
        const Reply reply = fill_and_fail(class_at - overhead);
        EXPECT_EQ(reply.result, Result::ErrorClass) << reply.raw.substr(reply.raw.size() - 20);
    }
}

TEST_P(EvaluatorTest, InterruptAbortsAnEndlessLoopWithinASecond) {
    ASSERT_EQ(link().evaluate("fun spin (n : int) : int = spin (if n > 1000000 then 0 else n + 1);").result, Result::Success);
    link().evaluate_async("spin 0;");
    EXPECT_FALSE(Link::has_more(link().text_fd(), std::chrono::milliseconds(300)));
    const auto start = std::chrono::steady_clock::now();
    link().interrupt();
    const Reply reply = link().read_reply(std::chrono::milliseconds(1000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(reply.result, Result::Failure);
    EXPECT_NE(reply.text.find("Unhandled Exception: Interrupt"), std::string::npos);
    const Reply next = link().evaluate("val after = 7;");
    EXPECT_EQ(next.result, Result::Success);
    EXPECT_NE(next.text.find("val after = 7: int"), std::string::npos);
}

// User code that catches every exception swallows the interrupt; it is
// sent again, and an evaluation that still runs is given up and answered
// as interrupted. The evaluator goes on serving.
TEST_P(EvaluatorTest, InterruptOfCodeThatCatchesEverythingIsAnsweredInTheEnd) {
    link().evaluate_async(
        "fun stubborn () = ((let fun spin (n : int) : int = spin (n + 1 - 1) in spin 0 end) "
        "handle _ => stubborn ()); stubborn ();");
    EXPECT_FALSE(Link::has_more(link().text_fd(), std::chrono::milliseconds(200)));
    link().interrupt();
    const Reply reply = link().read_reply(std::chrono::milliseconds(6000));
    EXPECT_EQ(reply.result, Result::Failure) << reply.raw;
    EXPECT_NE(reply.text.find("Interrupt"), std::string::npos) << reply.raw;
    const Reply next = link().evaluate("val served = 3;");
    EXPECT_EQ(next.result, Result::Success) << next.raw;
    EXPECT_NE(next.text.find("val served = 3: int"), std::string::npos) << next.raw;
}

// tolq interrupts only while it waits for a reply; an interrupt sent after
// the evaluation ended, but before tolq read its reply, belongs to that
// evaluation and must never reach the next one.
TEST_P(EvaluatorTest, InterruptForAnEndedEvaluationNeverReachesTheNext) {
    ASSERT_EQ(link().evaluate("fun busy (0 : int) = 0 | busy n = busy (n - 1);").result, Result::Success);
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        link().evaluate_async("val quick = 1;");
        ASSERT_TRUE(Link::has_more(link().text_fd(), std::chrono::milliseconds(5000)));
        link().interrupt();
        ASSERT_EQ(link().read_reply().result, Result::Success);
        // Long enough for a late interrupt to land inside it.
        const Reply next = link().evaluate("busy 3000000;");
        ASSERT_EQ(next.result, Result::Success) << next.raw;
    }
}

TEST_P(EvaluatorTest, InterruptWhileIdleIsIgnored) {
    link().interrupt();
    EXPECT_FALSE(Link::has_more(link().text_fd(), std::chrono::milliseconds(200)));
    EXPECT_EQ(link().evaluate("val still = 1;").result, Result::Success);
}

TEST_P(EvaluatorTest, StopRunSetsTheFlagThatRunLoopsPoll) {
    ASSERT_EQ(link().evaluate("Tolq.Stop.clear ();").result, Result::Success);
    link().evaluate_async(
        "fun run n = if Tolq.Stop.requested () then n else run (n + 1); "
        "val steps = run 0 > 0;");
    EXPECT_FALSE(Link::has_more(link().text_fd(), std::chrono::milliseconds(300)));
    link().stop_run();
    const Reply reply = link().read_reply();
    EXPECT_EQ(reply.result, Result::Success);
    EXPECT_NE(reply.text.find("val steps = true"), std::string::npos);
}

TEST_P(EvaluatorTest, InputTextsRoundTrip) {
    std::string long_text;
    for (int i = 0; i < 600; ++i) long_text += static_cast<char>(i % 10 == 9 ? '\n' : 'A' + i % 26);
    for (const std::string& text : {long_text, std::string(253, 'x'), std::string(), std::string("\tone line\r\n")}) {
        SCOPED_TRACE(text.size());
        link().evaluate_async("val got = Tolq.Input.read (); print (\"<\" ^ got ^ \">\");");
        link().send_text(encode_input_text(text));
        const Reply reply = link().read_reply();
        ASSERT_EQ(reply.result, Result::Success);
        EXPECT_NE(reply.text.find("<" + text + ">"), std::string::npos) << reply.raw;
    }
}

// An input text that its request never read (it did not compile) is not
// handed to the next request. (The input goes out first here so that it has
// surely arrived when the evaluation fails.)
TEST_P(EvaluatorTest, UnreadInputTextIsNotTakenByTheNextRequest) {
    link().send_text(encode_input_text("stale"));
    link().evaluate_async("val broken = 1 + \"a\"; val got = Tolq.Input.read ();");
    EXPECT_EQ(link().read_reply().result, Result::NotCompiled);
    link().evaluate_async("val got = Tolq.Input.read ();");
    link().send_text(encode_input_text("fresh"));
    const Reply reply = link().read_reply();
    EXPECT_NE(reply.text.find("val got = \"fresh\""), std::string::npos) << reply.raw;
}

TEST_P(EvaluatorTest, SavedImageRestartsWithBannerAndDefinitions) {
    TempDir dir;
    const std::string image = dir.file("saved.ML");
    const Reply save = link().evaluate("val kept = 41; fun twice x = 2 * x; TOLQ'Edit.SaveImage \"" +
                                       image + "\";", std::chrono::milliseconds(30000));
    ASSERT_EQ(save.result, Result::Success) << save.raw;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files.push_back(entry.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{"saved.ML.x86-linux"});
    // The saving evaluator carries on.
    EXPECT_NE(link().evaluate("kept + 1;").text.find("val it = 42: int"), std::string::npos);

    auto restarted = start(image);
    EXPECT_EQ(restarted->banner(), kBanner);
    const Reply reply = restarted->evaluate("twice kept;");
    EXPECT_EQ(reply.result, Result::Success);
    EXPECT_NE(reply.text.find("val it = 82: int"), std::string::npos) << reply.raw;
    // Its own capture and interrupts work from the start.
    EXPECT_NE(restarted->evaluate("print \"again\\n\";").text.find("again\n"), std::string::npos);
}

// A saved state loads into any build stamped from the same sources and
// compiler, and is refused, with a message, by a build stamped otherwise.
TEST(EvaluatorImage, StateLoadsOnlyIntoABuildWithTheSameStamp) {
    TempDir dir;
    const std::string original = bin_dir() + "/run.x86-linux";
    write_file(dir.file("one.sml"), "val a = 1;");
    write_file(dir.file("two.sml"), "val a = 2;");
    auto stamped = [&](const std::string& name, const std::string& source) {
        const std::string copy = dir.file(name);
        std::filesystem::copy_file(original, copy);
        const ProcessResult r = run_process({TOLQ_EVAL_STAMP, copy, "Poly/ML 5.7.1", dir.file(source)});
        EXPECT_EQ(r.exit_status, 0) << r.err;
        return copy;
    };
    const std::string first = stamped("first", "one.sml");
    const std::string again = stamped("again", "one.sml");
    const std::string other = stamped("other", "two.sml");
    const ProcessResult save = run_process({first, "--save-base", dir.file("state")});
    ASSERT_EQ(save.exit_status, 0) << save.err;
    ASSERT_TRUE(std::filesystem::exists(dir.file("state.x86-linux")));

    // Without channels a loaded evaluator ends at once when it reads them.
    const ProcessResult same = run_process({again, "@SMLload=" + dir.file("state")});
    EXPECT_EQ(same.err.find("cannot be loaded"), std::string::npos) << same.err;
    const ProcessResult refused = run_process({other, "@SMLload=" + dir.file("state")});
    EXPECT_NE(refused.exit_status, 0);
    EXPECT_NE(refused.err.find("state.x86-linux cannot be loaded"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("another build"), std::string::npos) << refused.err;
    const ProcessResult missing = run_process({original, "@SMLload=" + dir.file("none")});
    EXPECT_NE(missing.exit_status, 0);
    EXPECT_NE(missing.err.find("none.x86-linux"), std::string::npos) << missing.err;
}

TEST_P(EvaluatorTest, FailedSaveIsAFailureAndLeavesNoFile) {
    TempDir dir;
    write_file(dir.file("plain"), "not a folder");
    const Reply reply =
        link().evaluate("TOLQ'Edit.SaveImage \"" + dir.file("plain") + "/image.ML\";");
    EXPECT_EQ(reply.result, Result::Failure);
    EXPECT_NE(reply.text.find("Unhandled Exception: SysErr"), std::string::npos) << reply.raw;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_EQ(link().evaluate("val fine = 1;").result, Result::Success);
}

TEST_P(EvaluatorTest, TerminateEndsItEvenWhileItRuns) {
    link().evaluate_async("fun spin (n : int) : int = spin (if n > 1000000 then 0 else n + 1); spin 0;");
    EXPECT_FALSE(Link::has_more(link().text_fd(), std::chrono::milliseconds(100)));
    link().terminate();
    EXPECT_TRUE(link().wait_exit(std::chrono::milliseconds(3000)).has_value());
}

INSTANTIATE_TEST_SUITE_P(Transports, EvaluatorTest,
                         testing::Values(Transport::Local, Transport::Remote), transport_name);
INSTANTIATE_TEST_SUITE_P(Transports, ReplyClassTest,
                         testing::Values(Transport::Local, Transport::Remote), transport_name);

// ---- process life (local only: exit statuses of the child) ----

TEST(EvaluatorProcess, EndOfFileOnTheBinaryChannelEndsItQuietly) {
    auto link = start_local(default_heap());
    link->close_channels();
    auto status = link->wait_exit(std::chrono::milliseconds(5000));
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

TEST(EvaluatorProcess, EndOfFileOnTheTextChannelEndsIt) {
    auto link = start_local(default_heap());
    shutdown(link->text_fd(), SHUT_WR);
    auto status = link->wait_exit(std::chrono::milliseconds(5000));
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status));
}

// The evaluator starts itself again with its signals blocked; the runtime's
// own options must reach the program that serves.
TEST(EvaluatorProcess, RuntimeOptionsSurviveTheRestart) {
    TempDir dir;
    const std::string log = dir.file("gc.log");
    auto link = start_local(default_heap(), {"--debug", "gc", "--logfile", log});
    EXPECT_EQ(link->evaluate("PolyML.fullGC ();").result, Result::Success);
    link->terminate();
    link->wait_exit(std::chrono::milliseconds(3000));
    EXPECT_NE(read_file(log).find("GC:"), std::string::npos) << read_file(log);
}

TEST(EvaluatorProcess, StrayStopRunChangesNothing) {
    auto link = start_local(default_heap());
    link->stop_run();
    EXPECT_FALSE(link->wait_exit(std::chrono::milliseconds(200)).has_value());
    EXPECT_EQ(link->evaluate("val alive = 1;").result, Result::Success);
}

} // namespace
} // namespace tolq::test::evaluator
