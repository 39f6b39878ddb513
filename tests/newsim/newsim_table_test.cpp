// The typed messages against the real evaluator: every request class and
// code of the newer simulator on a small producer/consumer net, with the
// typed reply it must give; the byte form of requests seen through an echo;
// and replies that break the form (wrong types, missing status, counts past
// the bytes sent) refused by the readers without harm.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "NewSimDoubles.h"
#include "atolq/NewSim/NSSmlGlue.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/MemFile.h"

namespace {

const std::string kRuntime = TOLQ_BIN_DIR "/run.x86-linux";
const std::string kHeap = TOLQ_BIN_DIR "/tolq.ML";

// A request as its three sequences; the first integer is the class.
struct Request {
    std::vector<int32_t> ints;
    std::vector<int32_t> shorts;
    std::vector<std::string> strings;
};

// A reply: its status and the fields after it, each sequence read whole.
struct Reply {
    int called = 0;
    int32_t status = 0;
    std::vector<int32_t> shorts;
    std::vector<int32_t> ints;
    std::vector<std::string> strings;
};

std::unique_ptr<NSMessage> build(const Request& r)
{
    auto message = NSMsgNew(r.ints.at(0));
    for (size_t i = 1; i < r.ints.size(); ++i)
        NSMsgAddInt(message.get(), r.ints[i]);
    for (int32_t s : r.shorts)
        NSMsgAddShort(message.get(), s);
    for (const std::string& t : r.strings)
        NSMsgAddString(message.get(), t.c_str());
    return message;
}

Reply readAll(NSMessage* message, int called)
{
    Reply reply;
    reply.called = called;
    reply.status = message->status;
    int32_t value = 0;
    while (NSMsgGetShort(message, &value) != 0)
        reply.shorts.push_back(value);
    while (NSMsgGetInt(message, &value) != 0)
        reply.ints.push_back(value);
    std::string text;
    while (NSMsgGetString(message, &text) != 0)
        reply.strings.push_back(text);
    return reply;
}

Reply call(const Request& r)
{
    auto message = build(r);
    const int called = NSMsgCall(message.get());
    return readAll(message.get(), called);
}

class EvaluatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reportedErrors().clear();
        ASSERT_EQ(SMLConnect(1, nullptr, 0, kHeap.c_str(), kRuntime.c_str(), nullptr, nullptr), 0);
    }
    void TearDown() override { SMLStopProcess(); }

    // Evaluates ML text; the link's result code.
    int16_t evaluate(const std::string& text)
    {
        MemFile* request = MemFileCreate();
        MemFile* reply = MemFileCreate();
        MemFileWrite(request, text.data(), static_cast<uint32_t>(text.size()));
        MemFilePutc(reply, '\r');
        const int16_t result = SMLEvaluate(request, reply);
        MemFileDestroy(request);
        MemFileDestroy(reply);
        return result;
    }
};

// ---- the newer simulator's requests on a producer/consumer net ----

// ML numbers of the net: page 11, places Next 12 and Buffer 13, transitions
// Produce 14 and Consume 15, arcs 16 to 19.
const Request kDeclareInt{{300, 1, 3, 1, 0, 0, 0}, {0}, {"901", "", "", "INT", "n"}};
const Request kBootstrap{{100}, {}, {"intinf", "IntInf.fromInt(0)", ""}};
const Request kStartCheck{{400, 1}, {}, {}};
const Request kProducerConsumerPage{
    {400, 2, 1, 0, 0, 2, 0, 0, 2, 1, 2, 0, 1, 0, 0},
    {1},
    {"11", "Page#1", "12", "Next", "INT", "1`1", "13", "Buffer", "INT", "1`0", "14", "Produce", "[n < 10]", "", "",
     "16", "12", "n", "17", "12", "n + 1", "18", "13", "n", "15", "Consume", "", "", "", "19", "13", "n"}};
const Request kInstances{{500, 1}, {}, {}};
const Request kSeed{{200, 11}, {0, 0}, {"7"}};
const Request kNoLimits{{200, 10}, {0, 0, 1, 0, 0, 1, 1}, {"", "", "", "", "", ""}};
const Request kReset{{500, 21}, {}, {}};

class NewSimTableTest : public EvaluatorTest {
protected:
    void SetUp() override
    {
        EvaluatorTest::SetUp();
        for (const Request* r : {&kBootstrap, &kStartCheck, &kDeclareInt})
            ASSERT_EQ(call(*r).called, 1);
        const Reply page = call(kProducerConsumerPage);
        ASSERT_EQ(page.called, 1);
        ASSERT_EQ(page.ints, std::vector<int32_t>{0}) << (page.strings.empty() ? "" : page.strings[1]);
        for (const Request* r : {&kSeed, &kNoLimits})
            ASSERT_EQ(call(*r).called, 1);
        const Reply instances = call(kInstances);
        ASSERT_EQ(instances.called, 1);
        // one page with one top instance
        EXPECT_EQ(instances.ints, (std::vector<int32_t>{1, 1}));
        EXPECT_EQ(instances.shorts, std::vector<int32_t>{0});
        EXPECT_EQ(instances.strings, std::vector<std::string>{"11"});
        ASSERT_EQ(call(kReset).called, 1);
    }
};

struct TableCase {
    const char* name;
    std::vector<Request> before; // sent first, each must succeed
    Request request;
    Reply expected;
    bool namesVary = false; // a declaration's reply: the introduced names follow the two given
};

Reply ok(std::vector<int32_t> shorts, std::vector<int32_t> ints, std::vector<std::string> strings)
{
    return Reply{1, 1, std::move(shorts), std::move(ints), std::move(strings)};
}
Reply refused(int32_t status) { return Reply{0, status, {}, {}, {}}; }

const Request kMarkingOfNext{{500, 31, 1, 1}, {}, {"12"}};
const Request kMarkingOfBuffer{{500, 31, 1, 1}, {}, {"13"}};
const Request kLegalFives{{400, 3}, {}, {"2`5", "INT"}};
const Request kOneStep{{200, 10}, {0, 0, 1, 0, 0, 1, 1}, {"", "1", "", "", "", ""}};

const TableCase kCases[] = {
    {"Bootstrap", {}, kBootstrap, ok({}, {}, {})},
    {"RunOptions", {}, kNoLimits, ok({}, {}, {})},
    {"Seed", {}, kSeed, ok({}, {}, {})},
    {"DeclarationNamesItsColourSet", {}, {{300, 1, 3, 1, 0, 0, 0}, {0}, {"902", "", "", "INT2", "m"}},
     ok({}, {}, {"902", ""}), true},
    {"PageWithUnknownColourSetNamesThePlace",
     {},
     {{400, 2, 1, 0, 0, 1, 0, 0, 0}, {0}, {"98", "Other#2", "97", "Lost", "NOSUCH", ""}},
     ok({}, {1}, {"97", "NOSUCH is not a declared color set."})},
    {"PageWithBadArcNamesTheArcAndKeepsTheTransition",
     {},
     {{400, 2, 1, 0, 0, 1, 0, 0, 1, 1, 0, 0}, {0},
      {"96", "Other#3", "95", "P", "INT", "", "94", "T", "", "", "", "93", "95", "n + true"}},
     ok({}, {2}, {"93", "*", "94", ""})},
    {"LegalMarkingText", {}, kLegalFives, ok({1}, {}, {})},
    {"IllegalMarkingText", {}, {{400, 3}, {}, {"true", "INT"}}, ok({0}, {}, {})},
    {"MarkingText", {}, kMarkingOfNext, ok({}, {1}, {"1`1"})},
    {"TokenCount", {}, {{500, 32, 1, 1}, {}, {"13"}}, ok({}, {1}, {})},
    {"ProduceEnabled", {}, {{500, 35, 1, 1}, {}, {"14"}}, ok({1}, {}, {})},
    {"ConsumeEnabled", {}, {{500, 35, 1, 1}, {}, {"15"}}, ok({1}, {}, {})},
    {"NoSuchInstance", {}, {{500, 35, 1, 2}, {}, {"14"}}, refused(0)},
    {"ChangeMarkingToTheCheckedText", {kLegalFives}, {{500, 22, 1, 1}, {1}, {"13"}}, ok({}, {}, {})},
    {"ChangeMarkingWithoutACheckedText", {}, {{500, 22, 1, 1}, {1}, {"13"}}, refused(0)},
    {"ChangeMarkingBackToTheInitial", {}, {{500, 22, 1, 1}, {0}, {"13"}}, ok({}, {}, {})},
    {"ModelTime", {}, {{500, 23}, {}, {"17"}}, ok({}, {}, {})},
    {"ModelTimeNotANumber", {}, {{500, 23}, {}, {"soon"}}, refused(0)},
    {"RunOfOneStep", {kOneStep}, {{500, 11}, {}, {}}, ok({}, {}, {"1", "0", "The stop criterion was met."})},
    {"RunToTheEnd", {}, {{500, 11}, {}, {}}, ok({}, {}, {"19", "0", "There are no more enabled transitions."})},
    {"ClearReport", {}, {{500, 42}, {}, {}}, ok({}, {}, {})},
    {"ChartsToUpdate", {}, {{600, 1}, {}, {"BC_upd_chart \"c\""}}, ok({}, {}, {})},
    {"AllCharts", {}, {{600, 2, 1, 0}, {}, {"Bars"}}, ok({}, {}, {})},
    {"UnknownCode", {}, {{500, 99}, {}, {}}, refused(0)},
    {"RequestMissingItsFields", {}, {{500, 31, 1}, {}, {}}, refused(-1)},
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

class NewSimTableCase : public NewSimTableTest, public ::testing::WithParamInterface<TableCase> {};

TEST_P(NewSimTableCase, TypedReply)
{
    const TableCase& c = GetParam();
    for (const Request& r : c.before)
        ASSERT_EQ(call(r).called, 1);
    const Reply reply = call(c.request);
    EXPECT_EQ(reply.called, c.expected.called);
    EXPECT_EQ(reply.status, c.expected.status);
    EXPECT_EQ(reply.shorts, c.expected.shorts);
    if (!c.namesVary) {
        EXPECT_EQ(reply.ints, c.expected.ints);
    }
    // "*" stands for any text that is not empty (a compiler's message)
    if (c.namesVary)
        ASSERT_GE(reply.strings.size(), c.expected.strings.size());
    else
        ASSERT_EQ(reply.strings.size(), c.expected.strings.size());
    for (size_t i = 0; i < c.expected.strings.size(); ++i) {
        if (c.expected.strings[i] == "*")
            EXPECT_FALSE(reply.strings[i].empty()) << i;
        else
            EXPECT_EQ(reply.strings[i], c.expected.strings[i]) << i;
    }
    // only an internal error of the evaluator is shown (message 11567)
    EXPECT_EQ(reportedErrors(), c.expected.status == -1 ? std::vector<int16_t>{11567} : std::vector<int16_t>{});
}

INSTANTIATE_TEST_SUITE_P(EveryClassAndCode, NewSimTableCase, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NewSimTableTest, ChangedMarkingIsWhatTheMarkingTextShows)
{
    ASSERT_EQ(call(kLegalFives).called, 1);
    ASSERT_EQ(call({{500, 22, 1, 1}, {1}, {"13"}}).called, 1);
    EXPECT_EQ(call(kMarkingOfBuffer).strings, std::vector<std::string>{"2`5"});
    ASSERT_EQ(call(kReset).called, 1);
    EXPECT_EQ(call(kMarkingOfBuffer).strings, std::vector<std::string>{"1`0"});
}

TEST_F(NewSimTableTest, RunEndsWithEveryItemProducedAndConsumed)
{
    const Reply run = call({{500, 11}, {}, {}});
    ASSERT_EQ(run.called, 1);
    EXPECT_EQ(call(kMarkingOfNext).strings, std::vector<std::string>{"1`10"});
    EXPECT_EQ(call({{500, 32, 1, 1}, {}, {"13"}}).ints, std::vector<int32_t>{0});
    EXPECT_EQ(call({{500, 35, 1, 1}, {}, {"14"}}).shorts, std::vector<int32_t>{0});
}

// The model time a run answers with: the start time of the bootstrap after
// a reset, or the time set since; a time that is not an integer is refused
// and changes nothing.
TEST_F(NewSimTableTest, RunAnswersWithTheModelTime)
{
    auto runTime = [&] {
        const Reply run = call({{500, 11}, {}, {}});
        return run.strings.size() == 3 ? run.strings[1] : std::string("no time");
    };
    ASSERT_EQ(call({{100}, {}, {"intinf", "IntInf.fromInt(42)", ""}}).called, 1);
    ASSERT_EQ(call(kReset).called, 1);
    EXPECT_EQ(runTime(), "42");
    ASSERT_EQ(call({{500, 23}, {}, {"1234567"}}).called, 1);
    EXPECT_EQ(runTime(), "1234567");
    EXPECT_EQ(call({{500, 23}, {}, {"2.5"}}).called, 0);
    EXPECT_EQ(call({{500, 23}, {}, {"IntInf.fromInt(3)"}}).called, 0);
    EXPECT_EQ(runTime(), "1234567");
    ASSERT_EQ(call(kReset).called, 1);
    EXPECT_EQ(runTime(), "42");
}

TEST_F(NewSimTableTest, SameSeedSameRun)
{
    auto stepsOf = [&] {
        call(kReset);
        call(kSeed);
        call(kOneStep);
        std::vector<std::string> markings;
        for (int i = 0; i < 6; ++i) {
            call({{500, 11}, {}, {}});
            markings.push_back(call(kMarkingOfNext).strings.at(0) + "|" + call(kMarkingOfBuffer).strings.at(0));
        }
        return markings;
    };
    EXPECT_EQ(stepsOf(), stepsOf());
}

TEST_F(NewSimTableTest, ReportSavedToTheFileNamed)
{
    char path[] = "/tmp/newsim-reportXXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    call(kOneStep);
    ASSERT_EQ(call({{500, 11}, {}, {}}).called, 1);
    ASSERT_EQ(call({{500, 41}, {}, {path}}).called, 1);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Step 1: "), std::string::npos) << text.str();
    ASSERT_EQ(call({{500, 42}, {}, {}}).called, 1);
    ASSERT_EQ(call({{500, 41}, {}, {path}}).called, 1);
    std::ifstream again(path);
    std::stringstream cleared;
    cleared << again.rdbuf();
    EXPECT_EQ(cleared.str(), "");
    std::remove(path);
    EXPECT_EQ(call({{500, 41}, {}, {"/nonexistent-dir/report"}}).status, 0);
}

TEST_F(NewSimTableTest, RunSentWithoutWaitingIsCollectedLater)
{
    auto run = NSMsgNew(500);
    NSMsgAddInt(run.get(), 11);
    ASSERT_EQ(NSMsgSend(run.get()), 1);
    int status = 0;
    for (int i = 0; i < 500 && status == 0; ++i) {
        status = NSMsgReceive(run.get());
        if (status == 0)
            usleep(10000);
    }
    ASSERT_EQ(status, 1);
    std::string texts[3];
    for (std::string& t : texts)
        ASSERT_EQ(NSMsgGetString(run.get(), &t), 1);
    EXPECT_EQ(texts[2], "There are no more enabled transitions.");
}

// ---- the byte form and malformed replies ----

// The evaluator answers every field list with the one its ML function makes.
class ScriptedReplyTest : public EvaluatorTest {
protected:
    void serve(const std::string& function)
    {
        ASSERT_EQ(evaluate("val () = Tolq.Fields.serve (" + function + ");\n"), 0);
    }
};

TEST_F(ScriptedReplyTest, RequestArrivesAsThreeSequencesInOrder)
{
    // echoes the request behind a status of 1
    serve("fn {shorts, ints, strings} => {shorts = shorts, ints = 1 :: ints, strings = strings}");
    auto message = NSMsgNew(500);
    NSMsgAddString(message.get(), "a\r\nb");
    NSMsgAddShort(message.get(), 7);
    NSMsgAddInt(message.get(), 42);
    NSMsgAddString(message.get(), nullptr);
    for (int i = 0; i < 200; ++i)
        NSMsgAddInt(message.get(), i);
    ASSERT_EQ(NSMsgCall(message.get()), 1);
    const Reply reply = readAll(message.get(), 1);
    EXPECT_EQ(reply.shorts, std::vector<int32_t>{7});
    ASSERT_EQ(reply.ints.size(), 202u);
    EXPECT_EQ(reply.ints[0], 500);
    EXPECT_EQ(reply.ints[1], 42);
    EXPECT_EQ(reply.ints[201], 199);
    EXPECT_EQ(reply.strings, (std::vector<std::string>{"a  b", ""}));
}

struct MalformedCase {
    const char* name;
    const char* reply; // the ML record the evaluator answers with
    int called;
    std::vector<int16_t> reported;
};

const MalformedCase kMalformed[] = {
    {"NoFieldsAtAll", "{shorts = [], ints = [], strings = []}", 0, {}},
    {"NoIntegerForTheStatus", "{shorts = [1], ints = [], strings = [\"x\"]}", 0, {}},
    {"InternalError", "{shorts = [], ints = [~1], strings = []}", 0, {11567}},
    {"OtherFailure", "{shorts = [], ints = [2], strings = []}", 0, {}},
};

void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }

class MalformedReplyTest : public ScriptedReplyTest, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedReplyTest, RefusedWithoutHarm)
{
    serve(std::string("fn _ => ") + GetParam().reply);
    auto message = NSMsgNew(500);
    NSMsgAddInt(message.get(), 31);
    EXPECT_EQ(NSMsgCall(message.get()), GetParam().called);
    EXPECT_EQ(reportedErrors(), GetParam().reported);
    // the link stays usable
    serve("fn _ => {shorts = [], ints = [1], strings = []}");
    EXPECT_EQ(NSMsgCall(message.get()), 1);
}

INSTANTIATE_TEST_SUITE_P(Replies, MalformedReplyTest, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptedReplyTest, ReadersKeepToTheirOwnTypes)
{
    serve("fn _ => {shorts = [5], ints = [1, 9], strings = [\"s\"]}");
    auto message = NSMsgNew(500);
    ASSERT_EQ(NSMsgCall(message.get()), 1);
    int32_t value = 0;
    std::string text;
    EXPECT_EQ(NSMsgGetShort(message.get(), &value), 1);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(NSMsgGetShort(message.get(), &value), 0); // the next field is an integer
    EXPECT_EQ(NSMsgGetInt(message.get(), &value), 1);
    EXPECT_EQ(value, 9);
    EXPECT_EQ(NSMsgGetInt(message.get(), &value), 0); // the next field is a string
    EXPECT_EQ(NSMsgGetString(message.get(), &text), 1);
    EXPECT_EQ(text, "s");
    EXPECT_EQ(NSMsgGetString(message.get(), &text), 0); // past the end
}

struct TruncatedCase {
    const char* name;
    const char* words; // the raw words the evaluator writes before it ends
};

const TruncatedCase kTruncated[] = {
    // counts say 1000 integers, one follows
    {"CountsPastTheBytesLeft", "[w 0w7, i 0, i 1000, i 0, i 1]"},
    // a string of 64 bytes announced, four sent
    {"StringPastTheBytesLeft", "[w 0w7, i 0, i 1, i 1, i 1, i 64, i 0]"},
    // a count no list may have
    {"CountBeyondAnyList", "[w 0w7, i 0x7fffffff, i 0, i 0]"},
};

void PrintTo(const TruncatedCase& c, std::ostream* os) { *os << c.name; }

class TruncatedReplyTest : public ScriptedReplyTest, public ::testing::WithParamInterface<TruncatedCase> {};

TEST_P(TruncatedReplyTest, RefusedWhenTheEvaluatorEnds)
{
    serve(std::string("fn _ => let val w = TolqBytes.word val i = TolqBytes.int in TolqChannel.send "
                      "(TolqChannel.binFd (), ") +
          GetParam().words + "); OS.Process.exit OS.Process.success end");
    auto message = NSMsgNew(500);
    EXPECT_EQ(NSMsgCall(message.get()), 0);
    int32_t value = 0;
    EXPECT_EQ(NSMsgGetInt(message.get(), &value), 0);
    EXPECT_EQ(reportedErrors(), std::vector<int16_t>{});
}

INSTANTIATE_TEST_SUITE_P(Replies, TruncatedReplyTest, ::testing::ValuesIn(kTruncated),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
