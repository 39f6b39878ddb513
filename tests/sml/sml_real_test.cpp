// The link's main paths against the real evaluator: banner, reply classes,
// reply readers, input texts, field lists, the evaluator's requests,
// interrupt, stop, and an evaluator killed in the middle of an evaluation.
#include <chrono>
#include <crypt.h>
#include <fstream>
#include <regex>
#include <thread>

#include "atolq/Utils/QXMem.h"
#include "sml_fixture.h"

namespace {

using namespace sml_test;
using Clock = std::chrono::steady_clock;

const std::string kRuntime = TOLQ_BIN_DIR "/run.x86-linux";
const std::string kHeap = TOLQ_BIN_DIR "/tolq.ML";
const std::string kSpin = "fun spin () : unit = spin (); spin ();";

int connectReal() { return SMLConnect(1, nullptr, 0, kHeap.c_str(), kRuntime.c_str(), nullptr, nullptr); }

class RealEvaluatorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(connectReal(), 0); }
    void TearDown() override { SMLStopProcess(); }
    std::string evaluate(const std::string& text, int16_t* result) {
        File request(text), reply("\r");
        *result = SMLEvaluate(request.get(), reply.get());
        return reply.text().substr(1);
    }
    // Runs the action on another thread after a while, during an evaluation.
    std::thread later(void (*action)()) {
        return std::thread([action] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            action();
        });
    }
};

TEST_F(RealEvaluatorTest, BannerAnnouncesTheNewKind) { EXPECT_EQ(SMLGetConnState(), 2); }

struct ClassCase {
    const char* name;
    const char* text;
    int16_t result;
    const char* replyHolds;
};

class RealReplyClassTest : public RealEvaluatorTest, public ::testing::WithParamInterface<ClassCase> {};

TEST_P(RealReplyClassTest, ReplyIsClassified) {
    int16_t result;
    std::string reply = evaluate(GetParam().text, &result);
    EXPECT_EQ(result, GetParam().result) << reply;
    EXPECT_NE(reply.find(GetParam().replyHolds), std::string::npos) << reply;
    EXPECT_EQ(reply.find_first_of("\001\002"), std::string::npos) << "terminators are dropped";
    EXPECT_EQ(SMLGetConnState(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, RealReplyClassTest,
    ::testing::Values(ClassCase{"Success", "val x = 1;", 0, "val x = 1: int"},
                      ClassCase{"TypeError", "val y = 1 + \"a\";", -2, "error"},
                      ClassCase{"SyntaxError", "val z = ;", -2, ""},
                      ClassCase{"ErrorClass", "raise Tolq.Error \"no more\";", -4, ""},
                      ClassCase{"Exception", "raise Fail \"broken\";", -5, "Unhandled Exception: Fail"},
                      ClassCase{"Division", "val w = 1 div 0;", -5, "Unhandled Exception: Div"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RealEvaluatorTest, DefinitionsStayAndValuesAreRead) {
    int16_t result;
    evaluate("val a = 40;", &result);
    ASSERT_EQ(result, 0);
    File request("print (\"\\^F\" ^ Int.toString (a + 2) ^ \"\\^F\\^Fanswer\\^F\");"), reply("\r");
    ASSERT_EQ(SMLEvaluate(request.get(), reply.get()), 0);
    uint32_t value = 0;
    char* text = nullptr;
    EXPECT_EQ(SMLGetInt(reply.get(), &value), 0);
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(SMLGetText(reply.get(), &text), 0);
    EXPECT_STREQ(text, "answer");
    QXMem_Free(text);
}

TEST_F(RealEvaluatorTest, LongReplyArrivesWhole) {
    int16_t result;
    std::string reply =
        evaluate("print (String.concat (List.tabulate (3000, fn i => Int.toString i ^ \"\\n\")));", &result);
    EXPECT_EQ(result, 0);
    std::string expected;
    for (int i = 0; i < 3000; ++i) expected += std::to_string(i) + "\n";
    EXPECT_EQ(reply.substr(0, expected.size()), expected);
}

TEST_F(RealEvaluatorTest, InputTextReachesTheEvaluator) {
    File request("print (Tolq.Input.read ());"), input("first piece\006\nsecond\004\n"), reply("\r");
    EXPECT_EQ(SMLEvaluateInput(request.get(), input.get(), reply.get()), 0);
    EXPECT_NE(reply.text().find("first piecesecond"), std::string::npos) << reply.text();
}

TEST_F(RealEvaluatorTest, FieldListsGoAndComeBack) {
    int16_t result;
    evaluate("Tolq.Fields.serve (fn {shorts, ints, strings} => "
             "{shorts = ints, ints = shorts, strings = rev strings});",
             &result);
    ASSERT_EQ(result, 0);
    uint32_t shortValue = 3, integer = 7;
    char a[] = "alpha", b[] = "beta";
    NSField request[] = {{kNSFieldString, a}, {kNSFieldShort, &shortValue}, {kNSFieldInt, &integer},
                         {kNSFieldString, b}};
    ASSERT_EQ(SMLSendFields(request, 4), 0);
    NSField* reply = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(SMLReceiveFields(&reply, &count, 1), 0);
    ASSERT_EQ(count, 4u);
    EXPECT_EQ(reply[0].type, kNSFieldShort);
    EXPECT_EQ(*static_cast<uint32_t*>(reply[0].value), 7u);
    EXPECT_EQ(reply[1].type, kNSFieldInt);
    EXPECT_EQ(*static_cast<uint32_t*>(reply[1].value), 3u);
    EXPECT_STREQ(static_cast<char*>(reply[2].value), "beta");
    EXPECT_STREQ(static_cast<char*>(reply[3].value), "alpha");
    for (uint32_t i = 0; i < count; ++i) QXMem_Free(reply[i].value);
    QXMem_Free(reply);
}

TEST_F(RealEvaluatorTest, RequestWithoutServerIsRefusedAndTheLinkGoesOn) {
    int16_t result;
    std::string reply = evaluate("Tolq.Kernel.showMessage \"hello\";", &result);
    EXPECT_EQ(result, -5) << reply;
    EXPECT_NE(reply.find("Refused"), std::string::npos) << reply;
    EXPECT_EQ(evaluate("val after = 1;", &result), "val after = 1: int\n");
    EXPECT_EQ(result, 0);
}

TEST_F(RealEvaluatorTest, InterruptEndsALoopingEvaluation) {
    std::thread interrupter = later([] { SMLInterrupt(); });
    int16_t result;
    std::string reply = evaluate(kSpin, &result);
    interrupter.join();
    EXPECT_LT(result, 0);
    EXPECT_NE(result, -8) << reply;
    EXPECT_EQ(SMLGetConnState(), 2);
    EXPECT_EQ(evaluate("val next = 2;", &result), "val next = 2: int\n");
    EXPECT_EQ(result, 0);
}

TEST_F(RealEvaluatorTest, StopEndsTheEvaluator) {
    pid_t pid = SMLLink().childPid;
    auto began = Clock::now();
    EXPECT_EQ(SMLDisconnect(), 0);
    EXPECT_LT(Clock::now() - began, std::chrono::milliseconds(900)) << "ended by SIGTERM, not SIGKILL";
    EXPECT_FALSE(processExists(pid));
    EXPECT_EQ(SMLGetConnState(), 0);
}

TEST_F(RealEvaluatorTest, KilledMidEvaluationFailsAndTheNextConnectStartsAnew) {
    pid_t first = SMLLink().childPid;
    std::thread killer = later([] { kill(SMLLink().childPid, SIGKILL); });
    int16_t result;
    evaluate(kSpin, &result);
    killer.join();
    EXPECT_EQ(result, -8);
    EXPECT_EQ(SMLGetConnState(), 0);
    ASSERT_EQ(connectReal(), 0);
    EXPECT_NE(SMLLink().childPid, first);
    EXPECT_EQ(evaluate("val again = 3;", &result), "val again = 3: int\n");
    EXPECT_EQ(result, 0);
}

// ---- the remote daemon on loopback ----

class RealRemoteTest : public ::testing::Test {
protected:
    void TearDown() override { SMLStopProcess(); }

    // Starts the daemon with one user, "tester" with password "secret".
    uint16_t startDaemon() {
        crypt_data data{};
        const char* hash = crypt_r("secret", "$6$tolqtest$", &data);
        std::string users = dir_.file("users"), out = dir_.file("out");
        tolq::test::write_file(users, std::string("tester:") + hash + "\n");
        daemon_ = tolq::test::BackgroundProcess(
            {"/bin/sh", "-c", "exec '" TOLQ_BIN_DIR "/tolq-evald' --port 0 --users '" + users + "' >'" + out + "'"});
        std::regex listening("listening on port ([0-9]+)");
        for (int i = 0; i < 500; ++i) {
            std::smatch match;
            std::ifstream file(out);
            std::string shown((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            if (std::regex_search(shown, match, listening)) return static_cast<uint16_t>(std::stoi(match[1]));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ADD_FAILURE() << "the daemon did not start";
        return 0;
    }
    int connect(uint16_t port, const std::string& heap, const char* password) {
        return SMLConnect(0, "127.0.0.1", port, heap.c_str(), nullptr, "tester", password);
    }

    tolq::test::TempDir dir_;
    tolq::test::BackgroundProcess daemon_;
};

TEST_F(RealRemoteTest, LoginHeapImageEvaluateInterruptAndStop) {
    ASSERT_EQ(connect(startDaemon(), kHeap, "secret"), 0);
    EXPECT_EQ(SMLGetConnState(), 2);
    File request("val remote = 5;"), reply("\r");
    EXPECT_EQ(SMLEvaluate(request.get(), reply.get()), 0);
    EXPECT_EQ(reply.text(), "\rval remote = 5: int\n");

    std::thread interrupter([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(SMLInterrupt(), 1);
    });
    File spin(kSpin), spinReply("\r");
    int16_t result = SMLEvaluate(spin.get(), spinReply.get());
    interrupter.join();
    EXPECT_LT(result, 0);
    EXPECT_NE(result, -8);
    EXPECT_EQ(SMLStopRun(), 1);
    EXPECT_EQ(SMLDisconnect(), 0);
    EXPECT_EQ(SMLGetConnState(), 0);
}

TEST_F(RealRemoteTest, WrongPasswordIsALoginFailure) {
    EXPECT_EQ(connect(startDaemon(), kHeap, "wrong"), -11);
}

TEST_F(RealRemoteTest, MissingHeapImageFailsTheStart) {
    EXPECT_EQ(connect(startDaemon(), dir_.file("no-such-image"), "secret"), -4);
}

} // namespace
