// Starting, checking, interrupting and stopping the evaluator, locally and
// over loopback TCP, against the scripted fake evaluator.
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "sml_fixture.h"

namespace {

using namespace sml_test;
using Clock = std::chrono::steady_clock;

struct BannerCase {
    const char* name;
    std::string script;
    int result;
    int kind;
};

class BannerTest : public FakeEvaluatorTest, public ::testing::WithParamInterface<BannerCase> {};

TEST_P(BannerTest, VersionTagDecidesTheStart) {
    const BannerCase& c = GetParam();
    EXPECT_EQ(start(c.script), c.result);
    EXPECT_EQ(SMLGetConnState(), c.kind);
    if (c.result != 0) {
        EXPECT_EQ(childCount(), 0) << "a failed start leaves no child behind";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Banners, BannerTest,
    ::testing::Values(
        BannerCase{"NewTag", "out Standard ML [0404NJ]\\001\n", 0, 2},
        BannerCase{"OldTag", "out Standard ML [0031ED]\\001\n", 0, 1},
        BannerCase{"LastBracketsCount", "out [0031ED] then [0404NJ]\\001\n", 0, 2},
        BannerCase{"OtherTag", "out Standard ML [1999XX]\\001\n", -14, 0},
        BannerCase{"NoBrackets", "out Standard ML 0404NJ\\001\n", -13, 0},
        BannerCase{"OpenBracketOnly", "out Standard ML [0404NJ\\001\n", -13, 0},
        BannerCase{"ThreePieces", "out Standard \npause 60\nout ML \npause 60\nout [0404NJ]\\001\n", 0, 2},
        BannerCase{"NoBannerAtAll", "exit 0\n", -4, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FakeEvaluatorTest, ProgramThatCannotRunFailsTheStart) {
    std::string script = scriptFile(kBanner);
    EXPECT_EQ(SMLStart(1, nullptr, 0, script.c_str(), "/nonexistent/evaluator", nullptr, nullptr), -4);
    EXPECT_EQ(SMLGetConnState(), 0);
}

TEST_F(FakeEvaluatorTest, StopEndsAnObedientChildWithoutWaiting) {
    ASSERT_EQ(start(kBanner), 0);
    pid_t pid = SMLLink().childPid;
    ASSERT_TRUE(processExists(pid));
    auto began = Clock::now();
    EXPECT_EQ(SMLStopProcess(), 1);
    EXPECT_LT(Clock::now() - began, std::chrono::milliseconds(700));
    EXPECT_FALSE(processExists(pid));
    EXPECT_EQ(SMLGetConnState(), 0);
}

TEST_F(FakeEvaluatorTest, StopKillsAChildThatIgnoresTermAfterOneSecond) {
    ASSERT_EQ(start(kBanner + "ignore-term\nhang\n"), 0);
    pid_t pid = SMLLink().childPid;
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // let it ignore SIGTERM
    auto began = Clock::now();
    SMLStopProcess();
    auto took = Clock::now() - began;
    EXPECT_GE(took, std::chrono::milliseconds(950));
    EXPECT_LT(took, std::chrono::milliseconds(3000));
    EXPECT_FALSE(processExists(pid));
}

TEST_F(FakeEvaluatorTest, EvaluatorThatQuitIsNeitherInterruptedNorSignalled) {
    ASSERT_EQ(start(kBanner + "exit 0\n"), 0);
    pid_t pid = SMLLink().childPid;
    for (int i = 0; i < 200 && processExists(pid); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(processExists(pid)) << "the SIGCHLD handler reaps the child";
    EXPECT_EQ(SMLBreak(), -12);
    EXPECT_EQ(SMLStopRun(), 0);
}

TEST_F(FakeEvaluatorTest, BreakAndDisconnectDoNothingWhenNotConnected) {
    EXPECT_EQ(SMLBreak(), 0);
    EXPECT_EQ(SMLDisconnect(), 0);
    EXPECT_EQ(SMLGetConnState(), 0);
}

TEST_F(FakeEvaluatorTest, StartingAgainUsesNewSocketsAndANewChild) {
    ASSERT_EQ(start(kBanner), 0);
    SMLLinkState& link = SMLLink();
    int oldText = link.textFd, oldBinary = link.binaryFd;
    pid_t oldPid = link.childPid;
    EXPECT_EQ(SMLDisconnect(), 0);
    EXPECT_EQ(fcntl(oldText, F_GETFD), -1);
    EXPECT_EQ(fcntl(oldBinary, F_GETFD), -1);
    ASSERT_EQ(start(kBanner), 0);
    EXPECT_NE(link.childPid, oldPid);
    EXPECT_FALSE(processExists(oldPid));
}

TEST_F(FakeEvaluatorTest, InterruptAndStopRunSignalTheChild) {
    ASSERT_EQ(connect(kConnected + "recv\nawait-signal INT\nawait-signal USR1\nsay \\001\n"), 0);
    EXPECT_EQ(SMLBreak(), 0);
    EXPECT_EQ(SMLStopRun(), 1);
    int16_t result;
    EXPECT_EQ(evaluate("x", &result), "eval[1]:x;got-INT;got-USR1");
    EXPECT_EQ(result, 0);
}

TEST_F(FakeEvaluatorTest, ConnectSendsTheStartupTextOnce) {
    ASSERT_EQ(connect(kBanner + "recv\nout \\001\nrecv\nsay \\001\n"), 0);
    pid_t pid = SMLLink().childPid;
    // Connected already: only the ring is cleared, no second start.
    ASSERT_EQ(connect(kBanner), 0);
    EXPECT_EQ(SMLLink().childPid, pid);
    int16_t result;
    EXPECT_EQ(evaluate("1;", &result), "eval[38]:SMLofNJ.Internals.GC.messages false;  ;eval[2]:1;");
}

TEST_F(FakeEvaluatorTest, DebugOptionExtendsTheStartupText) {
    SMLSetMLDebug(1);
    ASSERT_EQ(connect(kBanner + "recv\nout \\001\nrecv\nsay \\001\n"), 0);
    SMLSetMLDebug(0);
    int16_t result;
    EXPECT_EQ(evaluate("1", &result),
              "eval[74]:SMLofNJ.Internals.GC.messages false;  VelkorML.Control.debugState := true;;eval[1]:1");
}

// ---- remote evaluator on loopback ----

class RemoteTest : public FakeEvaluatorTest {
protected:
    uint16_t serve(const std::string& option = "") {
        portFile_ = dir_.file("port");
        logFile_ = dir_.file("log");
        std::vector<std::string> argv = {kFake, "--server", portFile_, logFile_};
        if (!option.empty()) argv.push_back(option);
        server_ = tolq::test::BackgroundProcess(argv);
        for (int i = 0; i < 500; ++i) {
            std::ifstream in(portFile_);
            int port = 0;
            if (in >> port) return static_cast<uint16_t>(port);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ADD_FAILURE() << "server did not start";
        return 0;
    }
    int connectRemote(uint16_t port, const std::string& script) {
        return SMLConnect(0, "127.0.0.1", port, scriptFile(script).c_str(), nullptr, "user", "secret");
    }
    std::string log() { return tolq::test::read_file(logFile_); }

    std::string portFile_, logFile_;
    tolq::test::BackgroundProcess server_;
};

TEST_F(RemoteTest, LoginImageEvaluateInterruptAndStop) {
    uint16_t port = serve();
    std::string script = kConnected + "recv\nawait-signal INT\nawait-signal USR1\nsay \\001\n";
    ASSERT_EQ(connectRemote(port, script), 0);
    EXPECT_EQ(SMLGetConnState(), 2);
    char cwd[1024];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(log(), "login user|secret|" + std::string(cwd) + "|\nimage " + dir_.file("script1") + "\n");

    EXPECT_EQ(SMLInterrupt(), 1);
    EXPECT_EQ(SMLStopRun(), 1);
    int16_t result;
    EXPECT_EQ(evaluate("go", &result), "eval[2]:go;got-INT;got-USR1");
    EXPECT_EQ(result, 0);

    EXPECT_EQ(SMLDisconnect(), 0);
    EXPECT_EQ(SMLGetConnState(), 0);
    EXPECT_GE(server_.wait(std::chrono::milliseconds(3000)), 0) << "server ends when the link closes";
    EXPECT_NE(log().find("interrupt\nstop-run\n"), std::string::npos) << log();
}

TEST_F(RemoteTest, RefusedLoginAsksForTheUserAgain) {
    EXPECT_EQ(connectRemote(serve("refuse-login"), kConnected), -11);
    EXPECT_EQ(SMLGetConnState(), 0);
}

TEST_F(RemoteTest, RefusedImageFailsTheStart) {
    EXPECT_EQ(connectRemote(serve("refuse-image"), kConnected), -4);
}

TEST_F(RemoteTest, NobodyListeningIsANetworkFailure) {
    uint16_t port = serve();
    // Take the server's three connections first, so a fourth finds the port closed.
    ASSERT_EQ(connectRemote(port, kConnected), 0);
    SMLDisconnect();
    server_.wait(std::chrono::milliseconds(3000));
    EXPECT_EQ(connectRemote(port, kConnected), -3);
}

TEST_F(RemoteTest, UnknownHostName) {
    EXPECT_EQ(SMLConnect(0, "no-such-host.invalid", 1, "x", nullptr, "u", "p"), -2);
}

} // namespace
