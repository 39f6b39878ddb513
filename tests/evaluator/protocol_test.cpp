// The evaluator's requests to tolq and tolq's messages to it, byte by byte:
// numbered requests, table calls, chart callbacks, Pantel requests, nested
// evaluations while a request waits, field lists, and malformed frames.
#include <cctype>
#include "evaluator_fixture.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tolq::test::evaluator {
namespace {

using std::chrono::milliseconds;

class ProtocolTest : public EvaluatorTest {
protected:
    // Starts an evaluation that sends a request, and returns the request's
    // bytes: opcode, word n and n bytes.
    std::string counted_request(const std::string& ml) {
        link().evaluate_async(ml);
        const std::string head = link().read_binary(8);
        if (head.size() != 8) return {};
        return head + link().read_binary(word_at(head, 4));
    }

    void answer(std::uint32_t opcode, const std::string& body) {
        link().send_binary(word(opcode) + raw_string(body));
    }
};

TEST_P(ProtocolTest, NumberedRequestPutsTheExactBytesOnTheBinaryChannel) {
    const std::string request = counted_request("Tolq.Kernel.showMessage \"hi\";");
    EXPECT_EQ(request, word(4) + word(10) + word(1010) + word(2) + "hi");
    answer(2, "");
    EXPECT_EQ(link().read_reply().result, Result::Success);
}

TEST_P(ProtocolTest, NumberedRequestReturnsTolqsAnswer) {
    const std::string request = counted_request("val pos = Tolq.Kernel.position 7;");
    EXPECT_EQ(request, word(4) + word(8) + word(9300) + word(7));
    answer(2, word(1) + word(10) + word(static_cast<std::uint32_t>(-20)));
    const Reply reply = link().read_reply();
    EXPECT_EQ(reply.result, Result::Success);
    EXPECT_NE(reply.text.find("val pos = SOME (10, ~20)"), std::string::npos) << reply.raw;
}

TEST_P(ProtocolTest, NumberedRequestArgumentFormsAreUnpadded) {
    const std::string request = counted_request(
        "Tolq.Kernel.call 6070 [Tolq.Kernel.S16 ~2, Tolq.Kernel.Str \"abcde\", "
        "Tolq.Kernel.List [3, 4], Tolq.Kernel.PxList [1, 2, 3, 4], Tolq.Kernel.Px 5];");
    EXPECT_EQ(request, word(4) + word(4 + 4 + 9 + 12 + 20 + 4) + word(6070) +
                           word(static_cast<std::uint32_t>(-2)) + word(5) + "abcde" + word(2) +
                           word(3) + word(4) + word(4) + word(1) + word(2) + word(3) + word(4) +
                           word(5));
    answer(2, word(1));
    EXPECT_EQ(link().read_reply().result, Result::Success);
}

TEST_P(ProtocolTest, HandleListAnswerIsEmptyWhenTheResultIsZero) {
    counted_request("val pages = Tolq.Kernel.pageList ();");
    answer(2, word(1) + word(3) + word(11) + word(12) + word(13));
    EXPECT_NE(link().read_reply().text.find("val pages = [11, 12, 13]"), std::string::npos);
    counted_request("val none = Tolq.Kernel.pageList ();");
    answer(2, word(0));
    EXPECT_NE(link().read_reply().text.find("val none = []"), std::string::npos);
}

TEST_P(ProtocolTest, RefusedNumberedRequestFailsTheEvaluation) {
    counted_request("Tolq.Kernel.call 12345 [];");
    link().send_binary(word(4));
    const Reply reply = link().read_reply();
    EXPECT_EQ(reply.result, Result::Failure);
    EXPECT_NE(reply.text.find("Unhandled Exception: Refused"), std::string::npos) << reply.raw;
    EXPECT_EQ(link().evaluate("val fine = 1;").result, Result::Success);
}

TEST_P(ProtocolTest, OversizedRequestIsNeverSent) {
    const Reply reply = link().evaluate("Tolq.Kernel.showMessage (CharVector.tabulate (5000, fn _ => #\"m\"));");
    EXPECT_EQ(reply.result, Result::Failure);
    EXPECT_NE(reply.text.find("BadRequest"), std::string::npos) << reply.raw;
    EXPECT_FALSE(Link::has_more(link().binary_fd(), milliseconds(100)));
}

TEST_P(ProtocolTest, NestedEvaluationIsServedWhileARequestWaits) {
    counted_request("val outer = Tolq.Kernel.confirm \"sure?\";");
    const Reply nested = link().evaluate("val nested = 5;");
    EXPECT_EQ(nested.result, Result::Success);
    EXPECT_NE(nested.text.find("val nested = 5: int"), std::string::npos);
    // A nested failure is its own reply and leaves the outer request waiting.
    EXPECT_EQ(link().evaluate("val broken = nested + \"s\";").result, Result::NotCompiled);
    answer(2, word(1));
    const Reply outer = link().read_reply();
    EXPECT_EQ(outer.result, Result::Success);
    EXPECT_NE(outer.text.find("val outer = true"), std::string::npos) << outer.raw;
    EXPECT_EQ(outer.text.find("nested"), std::string::npos) << "nested text leaked into the outer reply";
    EXPECT_NE(link().evaluate("nested + 1;").text.find("val it = 6: int"), std::string::npos);
}

// An interrupt during a nested evaluation ends only that one; the outer
// evaluation, whose request still waits, completes once tolq answers.
TEST_P(ProtocolTest, InterruptedNestedEvaluationLeavesTheOuterOneToComplete) {
    counted_request("val outer = Tolq.Kernel.confirm \"sure?\";");
    link().evaluate_async("fun spin (n : int) : int = spin (n + 1 - 1); spin 0;");
    EXPECT_FALSE(Link::has_more(link().text_fd(), milliseconds(200)));
    link().interrupt();
    const Reply nested = link().read_reply(milliseconds(2000));
    EXPECT_EQ(nested.result, Result::Failure) << nested.raw;
    EXPECT_NE(nested.text.find("Interrupt"), std::string::npos) << nested.raw;
    answer(2, word(1));
    const Reply outer = link().read_reply();
    EXPECT_EQ(outer.result, Result::Success) << outer.raw;
    EXPECT_NE(outer.text.find("val outer = true"), std::string::npos) << outer.raw;
}

TEST_P(ProtocolTest, NestedRequestInsideANestedEvaluation) {
    counted_request("val a = Tolq.Kernel.deleteObject 1;");
    const std::string inner = counted_request("val b = Tolq.Kernel.deleteObject 2;");
    EXPECT_EQ(inner, word(4) + word(8) + word(31) + word(2));
    answer(2, word(20));
    EXPECT_NE(link().read_reply().text.find("val b = 20"), std::string::npos);
    answer(2, word(10));
    EXPECT_NE(link().read_reply().text.find("val a = 10"), std::string::npos);
}

TEST_P(ProtocolTest, InterruptWhileARequestWaitsAbandonsIt) {
    counted_request("val never = Tolq.Kernel.confirm \"wait\";");
    link().interrupt();
    const Reply reply = link().read_reply(milliseconds(2000));
    EXPECT_EQ(reply.result, Result::Failure);
    EXPECT_NE(reply.text.find("Interrupt"), std::string::npos);
    EXPECT_EQ(link().evaluate("val next = 1;").result, Result::Success);
}

// SIGUSR1 while one of our requests waits only sets the stop-run flag; the
// request still takes tolq's answer.
TEST_P(ProtocolTest, StopRunWhileARequestWaitsKeepsTheRequest) {
    counted_request("Tolq.Stop.clear (); val answer = Tolq.Kernel.confirm \"go on?\";");
    link().stop_run();
    EXPECT_FALSE(Link::has_more(link().text_fd(), milliseconds(150)));
    answer(2, word(1));
    const Reply reply = link().read_reply();
    EXPECT_EQ(reply.result, Result::Success) << reply.raw;
    EXPECT_NE(reply.text.find("val answer = true"), std::string::npos) << reply.raw;
    EXPECT_NE(link().evaluate("Tolq.Stop.requested ();").text.find("val it = true"), std::string::npos);
}

TEST_P(ProtocolTest, TableCallSlotsAndAnswer) {
    link().evaluate_async(
        "val r = Tolq.Table.call {row = 35, result = Tolq.Table.HEAPSTRING, "
        "args = [Tolq.Table.In (Tolq.Table.INT, Tolq.Table.I 7), "
        "Tolq.Table.Out Tolq.Table.SHORT, Tolq.Table.InOut (Tolq.Table.KSTRING6, Tolq.Table.S \"abcde\")]};");
    const std::string expected = word(5) + word(35) + word(4) + word(2) + word(1) + word(1) + word(7) +
                                 word(2) + word(3) + word(3) + word(6) + padded_string("abcde");
    EXPECT_EQ(link().read_binary(expected.size()), expected);
    link().send_binary(word(5) + padded_string("name") + word(0xFFFFFFFF) + padded_string("xy"));
    const Reply reply = link().read_reply();
    EXPECT_EQ(reply.result, Result::Success);
    EXPECT_NE(reply.text.find("{outputs = [NONE', I ~1, S \"xy\"], result = S \"name\"}"), std::string::npos)
        << reply.raw;
}

TEST_P(ProtocolTest, RefusedTableCallAndCallsThatMustNotBeSent) {
    link().evaluate_async("Tolq.Table.call {row = 31, result = Tolq.Table.INT, args = []};");
    EXPECT_EQ(link().read_binary(16), word(5) + word(31) + word(1) + word(1));
    link().send_binary(word(6));
    EXPECT_NE(link().read_reply().text.find("Refused"), std::string::npos);
    for (const char* bad : {"{row = 56, result = Tolq.Table.INT, args = []}",
                            "{row = 1, result = Tolq.Table.BLOCK, args = []}",
                            "{row = 1, result = Tolq.Table.INT, args = [Tolq.Table.In (Tolq.Table.INT, Tolq.Table.S \"x\")]}"}) {
        SCOPED_TRACE(bad);
        const Reply reply = link().evaluate(std::string("Tolq.Table.call ") + bad + ";");
        EXPECT_NE(reply.text.find("BadRequest"), std::string::npos) << reply.raw;
    }
    EXPECT_FALSE(Link::has_more(link().binary_fd(), milliseconds(100)));
}

TEST_P(ProtocolTest, ChartCallbackEncodesNumbersAsMLText) {
    const std::string request = counted_request(
        "val r = Tolq.Chart.result (2110, \"load\", [Tolq.Chart.Int 1, Tolq.Chart.Real ~2.5, "
        "Tolq.Chart.Real 1.5E~30, Tolq.Chart.List [Tolq.Chart.Text \"ab\"]]);");
    EXPECT_EQ(request.substr(0, 4), word(6));
    EXPECT_EQ(request.substr(8), word(2110) + raw_string("load") + word(1) + raw_string("~2.5") +
                                     raw_string("1.5E-30") + word(1) + raw_string("ab"));
    answer(7, word(static_cast<std::uint32_t>(-3)));
    EXPECT_NE(link().read_reply().text.find("val r = ~3"), std::string::npos);
}

TEST_P(ProtocolTest, ChartCreationReturnsTheName) {
    counted_request("val made = Tolq.Chart.create (2020, \"c\", []);");
    answer(7, word(0) + raw_string("c"));
    EXPECT_NE(link().read_reply().text.find("val made = (0, SOME \"c\")"), std::string::npos);
    counted_request("val failed = Tolq.Chart.create (2020, \"c\", []);");
    answer(7, word(5));
    EXPECT_NE(link().read_reply().text.find("val failed = (5, NONE)"), std::string::npos);
    counted_request("Tolq.Chart.result (1234, \"c\", []);");
    link().send_binary(word(8));
    EXPECT_EQ(link().read_reply().result, Result::Failure);
}

TEST_P(ProtocolTest, PantelDescribeNodeReadsPaddedTexts) {
    const std::string request = counted_request("val n = Tolq.Pantel.describeNode (\"P\", \"T1\");");
    EXPECT_EQ(request, word(8) + word(15) + word(10) + raw_string("P") + raw_string("T1"));
    auto pstr = [](const std::string& s) {
        return raw_string(s) + std::string(4 - s.size() % 4, '\0');
    };
    answer(10, word(0) + word(3) + word(4) + pstr("T1") + word(1) + word(50) + word(60) + word(1) +
                   word(7) + pstr("") + word(0) + word(1) + word(51) + word(61) + word(1) + word(8) +
                   pstr("arc") + word(0) + word(0) + word(4) + word(9));
    const Reply reply = link().read_reply();
    EXPECT_EQ(reply.result, Result::Success) << reply.raw;
    // The printed record may be broken over lines.
    std::string flat = reply.text;
    std::erase_if(flat, [](unsigned char c) { return std::isspace(c) != 0; });
    EXPECT_NE(flat.find("name=\"T1\""), std::string::npos) << reply.text;
    EXPECT_NE(flat.find("text=\"arc\""), std::string::npos) << reply.text;
    EXPECT_NE(flat.find("to=9"), std::string::npos) << reply.text;

    counted_request("val missing = Tolq.Pantel.describeNode (\"P\", \"none\");");
    answer(10, word(1));
    EXPECT_NE(link().read_reply().text.find("val missing = NONE"), std::string::npos);
}

TEST_P(ProtocolTest, TruncatedAnswerIsAProtocolFailure) {
    counted_request("val pos = Tolq.Kernel.position 7;");
    answer(2, word(1) + word(10)); // y is missing
    const Reply reply = link().read_reply();
    EXPECT_EQ(reply.result, Result::Failure);
    EXPECT_NE(reply.text.find("Protocol"), std::string::npos) << reply.raw;
    EXPECT_EQ(link().evaluate("val ok = 1;").result, Result::Success);
}

TEST_P(ProtocolTest, WrongOpcodeWhileWaitingFailsTheEvaluation) {
    counted_request("Tolq.Kernel.confirm \"x\";");
    link().send_binary(word(10) + word(0));
    const Reply reply = link().read_reply();
    EXPECT_EQ(reply.result, Result::Failure);
    EXPECT_NE(reply.text.find("Protocol"), std::string::npos) << reply.raw;
    EXPECT_EQ(link().evaluate("val ok = 1;").result, Result::Success);
}

std::string fields(std::uint32_t opcode, std::vector<std::uint32_t> shorts,
                   std::vector<std::uint32_t> ints, std::vector<std::string> strings) {
    std::string out = word(opcode) + word(static_cast<std::uint32_t>(shorts.size())) +
                      word(static_cast<std::uint32_t>(ints.size())) +
                      word(static_cast<std::uint32_t>(strings.size()));
    for (auto s : shorts) out += word(s);
    for (auto i : ints) out += word(i);
    for (const auto& s : strings) out += padded_string(s);
    return out;
}

TEST_P(ProtocolTest, FieldListWithoutAServerAnswersInternalError) {
    link().send_binary(fields(9, {}, {300, 1}, {"x"}));
    const std::string expected = fields(7, {}, {static_cast<std::uint32_t>(-1)}, {});
    EXPECT_EQ(link().read_binary(expected.size()), expected);
}

TEST_P(ProtocolTest, FieldListServerSeesAndAnswersTypedFields) {
    ASSERT_EQ(link().evaluate("Tolq.Fields.serve (fn {shorts, ints, strings} => "
                              "{shorts = map (fn s => s * 2) shorts, ints = 1 :: ints, "
                              "strings = map (fn s => s ^ \"!\") strings});")
                  .result,
              Result::Success);
    link().send_binary(fields(9, {0xFFFF}, {300, 17}, {"abc", ""}));
    const std::string expected =
        fields(7, {static_cast<std::uint32_t>(-2)}, {1, 300, 17}, {"abc!", "!"});
    EXPECT_EQ(link().read_binary(expected.size()), expected);
    EXPECT_FALSE(Link::has_more(link().text_fd(), milliseconds(100))) << "text during a field list";
}

// Frames that tolq should never send: refused, and the evaluator carries on.
TEST_P(ProtocolTest, MalformedFramesAreRefused) {
    link().send_binary(word(77) + "garbage");
    EXPECT_FALSE(Link::has_more(link().text_fd(), milliseconds(150)));
    EXPECT_EQ(link().evaluate("val one = 1;").result, Result::Success);

    link().send_binary(word(1) + word(0xFFFFFFF0) + "short");
    const Reply refused = link().read_reply();
    EXPECT_EQ(refused.result, Result::Failure);
    EXPECT_NE(refused.text.find("refused"), std::string::npos) << refused.raw;
    EXPECT_EQ(link().evaluate("val two = 2;").result, Result::Success);

    link().send_binary(word(9) + word(0x7FFFFFFF) + word(0) + word(0));
    const std::string internal = fields(7, {}, {static_cast<std::uint32_t>(-1)}, {});
    EXPECT_EQ(link().read_binary(internal.size()), internal);
    EXPECT_NE(link().evaluate("one + two;").text.find("val it = 3: int"), std::string::npos);

    // Stray answers while nothing waits for one.
    link().send_binary(word(2) + word(4) + word(1));
    EXPECT_FALSE(Link::has_more(link().text_fd(), milliseconds(150)));
    EXPECT_EQ(link().evaluate("val three = 3;").result, Result::Success);
}

TEST_P(ProtocolTest, EmptyTextEvaluatesToAnEmptyReply) {
    const Reply reply = link().evaluate("");
    EXPECT_EQ(reply.result, Result::Success);
    EXPECT_EQ(reply.text, "");
}

INSTANTIATE_TEST_SUITE_P(Transports, ProtocolTest,
                         testing::Values(Transport::Local, Transport::Remote), transport_name);

} // namespace
} // namespace tolq::test::evaluator
