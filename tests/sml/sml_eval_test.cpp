// Evaluations through the link against the scripted fake evaluator: reply
// terminators, split replies, the evaluator's calls while waiting, broken
// evaluators, input texts and typed field lists.
#include <chrono>
#include <thread>

#include "atolq/Utils/QXMem.h"
#include "sml_fixture.h"

namespace {

using namespace sml_test;

uint32_t byteSum(const std::string& text) {
    uint32_t sum = 0;
    for (unsigned char c : text) sum += c;
    return sum;
}

std::string pattern(size_t length) {
    std::string text(length, '\0');
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
    return text;
}

struct TerminatorCase {
    const char* name;
    const char* reply; // the fake's output, escaped
    int16_t result;
    const char* text;
};

class TerminatorTest : public FakeEvaluatorTest, public ::testing::WithParamInterface<TerminatorCase> {};

TEST_P(TerminatorTest, LastBytesClassifyTheReply) {
    const TerminatorCase& c = GetParam();
    ASSERT_EQ(connect(kConnected + "recv\n" + c.reply + "\n"), 0);
    int16_t result;
    EXPECT_EQ(evaluate("val x = 1;", &result), c.text);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(SMLGetConnState(), 2) << "error classes are not link failures";
}

INSTANTIATE_TEST_SUITE_P(
    Replies, TerminatorTest,
    ::testing::Values(
        TerminatorCase{"Success", "out val x = 1 : int\\n\\001", 0, "val x = 1 : int\n"},
        TerminatorCase{"CompileError", "out bad type\\n2\\002", -2, "bad type\n"},
        TerminatorCase{"ErrorClass", "out no more\\n3\\002", -4, "no more\n"},
        TerminatorCase{"RuntimeFailure", "out Unhandled Exception: Div5\\002", -5, "Unhandled Exception: Div"},
        TerminatorCase{"LoneTerminator", "out \\002", -5, ""},
        TerminatorCase{"TerminatorInTheMiddleIsText", "out a\\001b\\002c\\001", 0, "a\001b\002c"},
        TerminatorCase{"ManyPieces", "out one \npause 20\nout two \npause 20\nout three\npause 20\nout \\001", 0,
                       "one two three"},
        TerminatorCase{"SplitCompileTerminator", "out result 2\npause 50\nout \\002", -2, "result "},
        TerminatorCase{"SplitErrorTerminator", "out result 3\npause 50\nout \\002", -4, "result "},
        TerminatorCase{"SplitOtherTerminator", "out result x\npause 50\nout \\002", -5, "result x"},
        TerminatorCase{"TwoNotSplit", "out 2\npause 50\nout more\\001", 0, "2more"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FakeEvaluatorTest, LongReplyArrivesWholeAndInOrder) {
    // 10000 bytes of reply come in several receives of at most 4096 bytes.
    ASSERT_EQ(connect(kConnected + "recv\noutrep 1000 0123456789\npause 20\nout end\\001\n"), 0);
    std::string expected;
    for (int i = 0; i < 1000; ++i) expected += "0123456789";
    int16_t result;
    EXPECT_EQ(evaluate("x", &result), expected + "end");
    EXPECT_EQ(result, 0);
}

TEST_F(FakeEvaluatorTest, RequestsOfEverySizeArriveIntact) {
    ASSERT_EQ(connect(kConnected + "recv\nsay \\001\nrecv\nsay \\001\nrecv\nsay \\001\nrecv\nsay \\001\n"), 0);
    for (size_t length : {4095u, 4096u, 4097u, 10000u}) {
        std::string text = pattern(length);
        int16_t result;
        EXPECT_EQ(evaluate(text, &result),
                  "eval[" + std::to_string(length) + "]:sum=" + std::to_string(byteSum(text)));
    }
}

TEST_F(FakeEvaluatorTest, LongMessageIsSentFromItsBlock) {
    ASSERT_EQ(connect(kConnected + "recv\nsay \\001\n"), 0);
    std::string text = pattern(5000);
    SMLMsg message;
    message.length = 5000;
    message.longData = text.c_str();
    message.data.fill('#');
    ASSERT_EQ(SMLSendText(&message), 0);
    SMLMsg reply;
    std::string collected;
    do {
        ASSERT_EQ(SMLReceiveText(&reply, 0), 1);
        collected.append(reply.data.data(), reply.length);
    } while (reply.status == kReplyMore);
    EXPECT_EQ(collected, "eval[5000]:sum=" + std::to_string(byteSum(text)));
}

TEST_F(FakeEvaluatorTest, InputTextFollowsTheRequest) {
    ASSERT_EQ(connect(kConnected + "recv\ninput\nsay \\001\n"), 0);
    File request("TOLQ'Edit.Read();"), input("line one\006\nline two\004\n"), reply("\r");
    EXPECT_EQ(SMLEvaluateInput(request.get(), input.get(), reply.get()), 0);
    EXPECT_EQ(reply.text(), "\reval[17]:TOLQ'Edit.Read();;input:line oneline two");
}

TEST_F(FakeEvaluatorTest, DumpOptionCopiesRequestAndReplyToStandardOutput) {
    ASSERT_EQ(connect(kConnected + "recv\nout answer\\001\n"), 0);
    SMLSetDumpML(1);
    testing::internal::CaptureStdout();
    int16_t result;
    evaluate("question;", &result);
    std::string shown = testing::internal::GetCapturedStdout();
    SMLSetDumpML(0);
    EXPECT_EQ(shown, "question;answer");
}

// ---- the evaluator's calls while the program waits ----

TEST_F(FakeEvaluatorTest, CallsWithoutServerAreAnsweredWithTheirFailureOpcodes) {
    std::string script = kConnected + "recv\n"
                                      "words 4 3\nbytes abc\nrecv\n"            // numbered request
                                      "words 5 70 2 1 1 1 7\nrecv\n"            // table call, bad row
                                      "words 5 3 3 2 2 1 1 2 5\nbytes hello\\000\\000\\000\nrecv\n"
                                      "words 5 1 2 8 1 8 3\nbytes abc\\000\nrecv\n" // block as result
                                      "words 6 4 2090\nrecv\n"                   // chart callback
                                      "words 8 0\nrecv\n"                        // Pantel request
                                      "words 99 12\n"                            // unknown: skipped
                                      "say \\001\n";
    ASSERT_EQ(connect(script), 0);
    int16_t result;
    EXPECT_EQ(evaluate("go", &result), "eval[2]:go;op4;op6;op6;op6;op8;op11");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(SMLGetConnState(), 2) << "refused calls keep the link in step";
}

TEST_F(FakeEvaluatorTest, WaitingBinaryCallIsServedBeforeWaitingText) {
    // The call and the reply are both there before the program waits.
    ASSERT_EQ(start(kBanner + "pause 100\nwords 4 0\nout first\\001\nrecv\nrecv\nrecv\nsay \\001\n"), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    int16_t result;
    EXPECT_EQ(evaluate("one", &result), "first");
    EXPECT_EQ(evaluate("two", &result), "eval[3]:one;op4;eval[3]:two");
}

struct BrokenCase {
    const char* name;
    const char* script; // after the request was read
    int16_t result;
};

class BrokenEvaluatorTest : public FakeEvaluatorTest, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenEvaluatorTest, FailureEndsTheEvaluationAndTheNextConnectStartsAfresh) {
    const BrokenCase& c = GetParam();
    ASSERT_EQ(connect(kConnected + "recv\n" + c.script + "\n"), 0);
    pid_t first = SMLLink().childPid;
    int16_t result;
    evaluate("val x = 1;", &result);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(SMLGetConnState(), 0);
    EXPECT_EQ(evaluate("again", &result), "");
    EXPECT_EQ(result, -7) << "a broken link is not used again";

    ASSERT_EQ(connect(kConnected + "recv\nsay \\001\n"), 0);
    EXPECT_NE(SMLLink().childPid, first);
    EXPECT_FALSE(processExists(first));
    EXPECT_EQ(evaluate("fresh", &result), "eval[5]:fresh");
    EXPECT_EQ(result, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenEvaluatorTest,
    ::testing::Values(BrokenCase{"KilledMidReply", "out half a repl\npause 50\ndie", -8},
                      BrokenCase{"ExitsWithoutReply", "exit 0", -8},
                      BrokenCase{"ResultOpcode", "words 3 0\nhang", -8},
                      BrokenCase{"UnexpectedFieldList", "fields 1 | 2 | x\nhang", -8},
                      BrokenCase{"TableCallWithTooManySlots", "words 5 0 7\nhang", -8},
                      BrokenCase{"TableCallWithBadType", "words 5 0 2 9\nhang", -8},
                      BrokenCase{"RequestCutShort", "words 4 100\nbytes abc\nexit 0", -8}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FakeEvaluatorTest, ReplyAfterTheBinaryChannelClosedIsStillRead) {
    ASSERT_EQ(connect(kConnected + "recv\nclose-binary\npause 50\nout last words\\001\n"), 0);
    int16_t result;
    EXPECT_EQ(evaluate("x", &result), "last words");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(SMLGetConnState(), 0);
}

TEST_F(FakeEvaluatorTest, DeadEvaluatorFailsTheSendWithoutSignal) {
    ASSERT_EQ(connect(kConnected + "exit 0\n"), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int16_t result;
    evaluate(pattern(100000), &result);
    EXPECT_TRUE(result == -7 || result == -8) << result;
    EXPECT_EQ(SMLGetConnState(), 0);
}

TEST_F(FakeEvaluatorTest, OldEvaluatorRepliesAreClassifiedByTheirWords) {
    ASSERT_EQ(connect("out [0031ED]\\001\neval \\001\nrecv\nout \\rError in line: oops\\r\\001\n"), 0);
    int16_t result;
    evaluate("x", &result);
    EXPECT_EQ(result, -4);
}

// ---- typed field lists ----

TEST_F(FakeEvaluatorTest, FieldsAreSentGroupedByType) {
    ASSERT_EQ(connect(kConnected + "recv\nrecv\nsay \\001\n"), 0);
    uint32_t integer = 7, shortValue = 65535;
    char first[] = "ab", second[] = "cde";
    NSField fields[] = {{kNSFieldString, first},
                        {kNSFieldInt, &integer},
                        {kNSFieldShort, &shortValue},
                        {kNSFieldString, second},
                        {42, &integer}, // unknown types are not sent
                        {kNSFieldString, nullptr}};
    ASSERT_EQ(SMLSendFields(fields, 6), 0);
    int16_t result;
    EXPECT_EQ(evaluate("x", &result), "fields(s:65535 i:7 t:ab,cde,);eval[1]:x");
}

TEST_F(FakeEvaluatorTest, ReceivedFieldsComeShortsThenIntegersThenStrings) {
    ASSERT_EQ(connect(kConnected + "recv\nfields 4,5 | -1 | hello,wo\n"), 0);
    ASSERT_EQ(SMLSendFields(nullptr, 0), 0);
    NSField* fields = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(SMLReceiveFields(&fields, &count, 1), 0);
    ASSERT_EQ(count, 5u);
    auto word = [&](int i) { return *static_cast<int32_t*>(fields[i].value); };
    EXPECT_EQ(fields[0].type, kNSFieldShort);
    EXPECT_EQ(word(0), 4);
    EXPECT_EQ(word(1), 5);
    EXPECT_EQ(fields[2].type, kNSFieldInt);
    EXPECT_EQ(word(2), -1);
    EXPECT_EQ(fields[3].type, kNSFieldString);
    EXPECT_STREQ(static_cast<char*>(fields[3].value), "hello");
    EXPECT_STREQ(static_cast<char*>(fields[4].value), "wo");
    for (uint32_t i = 0; i < count; ++i) QXMem_Free(fields[i].value);
    QXMem_Free(fields);
}

TEST_F(FakeEvaluatorTest, MalformedFieldListFailsAndBreaksTheLink) {
    for (const char* list : {"words 7 4294967295 0 0", "words 7 0 0 1 4294967295", "words 7 0 1"}) {
        ASSERT_EQ(connect(kConnected + "recv\n" + list + "\nexit 0\n"), 0);
        ASSERT_EQ(SMLSendFields(nullptr, 0), 0);
        NSField* fields = nullptr;
        uint32_t count = 99;
        EXPECT_EQ(SMLReceiveFields(&fields, &count, 1), -8) << list;
        EXPECT_EQ(count, 99u);
        EXPECT_EQ(SMLGetConnState(), 0);
    }
}

TEST_F(FakeEvaluatorTest, FieldsWithoutEvaluatorDoNothing) {
    uint32_t count = 3;
    NSField* fields = nullptr;
    EXPECT_EQ(SMLSendFields(nullptr, 0), 0);
    EXPECT_EQ(SMLReceiveFields(&fields, &count, 1), 0);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(fields, nullptr);
}

} // namespace
