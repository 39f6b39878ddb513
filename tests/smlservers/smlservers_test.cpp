// The servers of the evaluator's calls against the scripted fake evaluator:
// exact request bytes go in through its script, exact answer bytes come back
// in its notes. The requests act on a diagram built in the test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KernelFixture.h"
#include "atolq/SML/SMLWire.h"
#include "sml_fixture.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "atolq/SML/SMLGramKernel.h"
#include "atolq/SML/SMLWait.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kvud/UserData.h"

namespace {

using namespace sml_test;

const std::string kServersFake = TOLQ_BIN_DIR "/sml_fake_evaluator";

// Request bodies and answers as words and texts.
class Bytes {
public:
    Bytes& u32(uint32_t v) {
        out_.u32(v);
        return *this;
    }
    Bytes& str(const std::string& s) {
        out_.str(s);
        return *this;
    }
    Bytes& pstr(const std::string& s) {
        out_.pstr(s);
        return *this;
    }
    Bytes& raw(const std::string& s) {
        out_.raw(s);
        return *this;
    }
    std::string hex() const {
        static const char digits[] = "0123456789abcdef";
        std::string h;
        for (uint8_t b : out_.bytes()) {
            h += digits[b >> 4];
            h += digits[b & 15];
        }
        return h;
    }
    // A script line writing the body on the binary channel.
    std::string script() const {
        static const char digits[] = "0123456789abcdef";
        std::string line = "bytes ";
        for (uint8_t b : out_.bytes()) line += std::string("\\x") + digits[b >> 4] + digits[b & 15];
        return line + "\n";
    }
    uint32_t size() const { return static_cast<uint32_t>(out_.bytes().size()); }

private:
    SMLWireOut out_;
};

// A call with opcode and counted body, then the fake notes the answer.
std::string counted(uint32_t opcode, const Bytes& body) {
    return "words " + std::to_string(opcode) + " " + std::to_string(body.size()) + "\n" + body.script() + "recv\n";
}
std::string gram(const Bytes& body) { return counted(4, body); }
std::string answer2(const Bytes& reply) { return "answer2[" + reply.hex() + "]"; }

class ServersTest : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        SMLInstallKernelRequests();
        page_ = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        ASSERT_NE(page_, 0u);
        node_ = QXStr_CreateNode(page_, SMLPixelsToFixed(100), SMLPixelsToFixed(60), SMLPixelsToFixed(40),
                                 SMLPixelsToFixed(20), 1);
        ASSERT_NE(node_, 0u);
    }
    void TearDown() override {
        SMLStopProcess();
        for (HookId id = 0; id < kHookCount; ++id) Hook_Unregister(id);
        Core_CloseModel();
        KernelTest::TearDown();
    }

    // Runs the calls while the program waits for one evaluation; the notes of
    // the fake evaluator: one per answered call, separated by ';'.
    std::string serve(const std::string& calls) {
        std::string script = scriptFile(kConnected + "recv\n" + calls + "say \\001\n");
        EXPECT_EQ(SMLConnect(1, nullptr, 0, script.c_str(), kServersFake.c_str(), nullptr, nullptr), 0);
        File request("go"), reply("\r");
        result_ = SMLEvaluate(request.get(), reply.get());
        std::string notes = reply.text().substr(1);
        const std::string head = "eval[2]:go;";
        if (notes.rfind(head, 0) == 0) notes.erase(0, head.size());
        return notes;
    }
    std::string scriptFile(const std::string& text) {
        std::string path = dir_.file("script" + std::to_string(++scripts_));
        tolq::test::write_file(path, text);
        return path;
    }

    tolq::test::TempDir dir_;
    int scripts_ = 0;
    ObjectHandle page_ = 0, node_ = 0;
    int16_t result_ = 0;
};

// ---- numbered requests ----

TEST_F(ServersTest, CreatedNodeHasTheSizeAndPositionThatWereSent) {
    std::string notes = serve(gram(Bytes().u32(21).u32(page_).u32(200).u32(120).u32(30).u32(10).u32(1)));
    ASSERT_EQ(notes.substr(0, 8), "answer2[");
    uint32_t created = std::stoul(notes.substr(8, 8), nullptr, 16);
    ASSERT_NE(created, 0u);
    EXPECT_EQ(QXStr_GetObjectPage(created), page_);
    Fixed w, h, x, y;
    ASSERT_EQ(QXRdAttr_GetSize(created, &w, &h), 1u);
    ASSERT_EQ(QXRdAttr_GetPosition(created, &x, &y), 1u);
    EXPECT_EQ(w, SMLPixelsToFixed(30));
    EXPECT_EQ(h, SMLPixelsToFixed(10));
    EXPECT_EQ(x, SMLPixelsToFixed(200));
    EXPECT_EQ(y, SMLPixelsToFixed(120));
    EXPECT_EQ(result_, 0);
}

TEST_F(ServersTest, AttributesTextsAndListsAreAnsweredWordForWord) {
    ObjectHandle label = QXStr_CreateLabel(page_, SMLPixelsToFixed(10), SMLPixelsToFixed(10), SMLPixelsToFixed(40),
                                           SMLPixelsToFixed(12), "");
    ASSERT_NE(label, 0u);
    std::string calls = gram(Bytes().u32(9290).u32(node_)) +                        // size
                        gram(Bytes().u32(9300).u32(node_)) +                        // position
                        gram(Bytes().u32(2090).u32(label).str("hello")) +           // set text
                        gram(Bytes().u32(2060).u32(label)) +                        // get text
                        gram(Bytes().u32(2080).u32(label)) +                        // length
                        gram(Bytes().u32(4090).u32(page_)) +                        // node list
                        gram(Bytes().u32(1110).u32(3)) +                            // 3 pixels there and back
                        gram(Bytes().u32(8140).str("status")) +                     // empty reply
                        gram(Bytes().u32(9040));                                    // no file: empty path
    std::vector<std::string> expected = {
        answer2(Bytes().u32(1).u32(40).u32(20)),
        answer2(Bytes().u32(1).u32(100).u32(60)),
        answer2(Bytes().u32(1)),
        answer2(Bytes().u32(1).str("hello")),
        answer2(Bytes().u32(1).u32(5)),
        answer2(Bytes().u32(1).u32(2).u32(node_).u32(label)),
        answer2(Bytes().u32(3)),
        answer2(Bytes()),
        answer2(Bytes().str("")),
    };
    std::string joined;
    for (const auto& e : expected) joined += (joined.empty() ? "" : ";") + e;
    EXPECT_EQ(serve(calls), joined);
}

TEST_F(ServersTest, FailingOperationAnswersItsStatusAndUnknownCodesFail) {
    std::string calls = gram(Bytes().u32(31).u32(99999)) +          // no such object: R 0
                        gram(Bytes().u32(9290).u32(99999)) +        // R 0 alone, no values
                        gram(Bytes().u32(12345)) +                  // unknown code
                        gram(Bytes().u32(15)) +                     // a gap in the codes
                        gram(Bytes().u32(31).u32(node_));           // deletes
    EXPECT_EQ(serve(calls), answer2(Bytes().u32(0)) + ";" + answer2(Bytes().u32(0)) + ";op4;op4;" +
                                answer2(Bytes().u32(1)));
    EXPECT_EQ(QXStr_IsObject(node_), 0u);
}

TEST_F(ServersTest, UnpaddedTextIsFollowedAtOnceByTheNextArgument) {
    // Page name of five bytes, then number, width, height and border flag.
    std::string notes = serve(gram(Bytes().u32(11020).u32(page_).str("Top12").u32(7).u32(300).u32(200).u32(1)) +
                              gram(Bytes().u32(9030).u32(page_)));
    EXPECT_EQ(notes, answer2(Bytes().u32(1)) + ";" +
                         answer2(Bytes().u32(1).pstr("Top12").u32(7).u32(300).u32(200).u32(1)));
}

TEST_F(ServersTest, DuplicatesAndDialogArgumentsAreAnsweredByTheirShape) {
    std::string calls = gram(Bytes().u32(40).u32(page_).u32(1).u32(node_)) +       // R, count, the objects
                        gram(Bytes().u32(1000).u32(5).u32(1).u32(10).u32(0)) +     // in range: no message
                        gram(Bytes().u32(14000).str("/nonexistent/a.page").u32(0)) + // not loaded: R alone
                        gram(Bytes().u32(1060).str("p").str(std::string(256, 'a'))); // answer past its buffer
    std::string notes = serve(calls);
    ASSERT_EQ(notes.substr(0, 8), "answer2[");
    EXPECT_EQ(notes.substr(8, 16), Bytes().u32(1).u32(1).hex());
    EXPECT_EQ(notes.substr(24, 8), Bytes().u32(node_).hex());
    EXPECT_EQ(notes.substr(32), "];" + answer2(Bytes().u32(1)) + ";" + answer2(Bytes().u32(0)) + ";op4");
    uint16_t count = 0;
    ObjectHandle* nodes = nullptr;
    ASSERT_EQ(QXStr_GetNodeList(page_, &count, &nodes), 1u);
    QXMem_Free(nodes);
    EXPECT_EQ(count, 2u) << "the node was duplicated";
}

// A request held in a message is answered from it on the binary channel: the
// reply with status 2, or the failure's status alone.
TEST_F(ServersTest, ARequestHeldInAMessageIsAnsweredFromIt) {
    std::string script = scriptFile(kConnected + "recv\nrecv\nrecv\nsay \\001\n");
    ASSERT_EQ(SMLConnect(1, nullptr, 0, script.c_str(), kServersFake.c_str(), nullptr, nullptr), 0);
    auto hold = [](SMLMsg* message, std::initializer_list<uint32_t> words) {
        SMLWireOut body;
        for (uint32_t w : words) body.u32(w);
        std::memcpy(message->data.data(), body.bytes().data(), body.bytes().size());
        message->length = static_cast<uint32_t>(body.bytes().size());
    };
    SMLMsg served, failed;
    hold(&served, {4080, node_});
    hold(&failed, {12345});
    EXPECT_EQ(SMLServeGramMsg(&served), 0);
    EXPECT_EQ(SMLServeGramMsg(&failed), 0);
    EXPECT_EQ(served.status, 2u);
    EXPECT_EQ(served.length, 4u);
    EXPECT_EQ(failed.status, 4u);
    EXPECT_EQ(failed.length, 0u);
    File request("go"), reply("\r");
    SMLEvaluate(request.get(), reply.get());
    EXPECT_EQ(reply.text().substr(1), answer2(Bytes().u32(1)) + ";op4;eval[2]:go");
}

struct MalformedCase {
    const char* name;
    Bytes body;
};

class MalformedGramTest : public ServersTest, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedGramTest, IsAnsweredAsFailedAndTheLinkStaysInStep) {
    // The same request well formed afterwards is served.
    std::string notes = serve(gram(GetParam().body) + gram(Bytes().u32(4080).u32(node_)));
    EXPECT_EQ(notes, "op4;" + answer2(Bytes().u32(1)));
    EXPECT_EQ(result_, 0);
    EXPECT_EQ(SMLGetConnState(), 2);
    EXPECT_EQ(QXStr_IsObject(node_), 1u) << "nothing ran";
}

INSTANTIATE_TEST_SUITE_P(
    Requests, MalformedGramTest,
    ::testing::Values(MalformedCase{"Empty", Bytes()}, MalformedCase{"CodeCutShort", Bytes().raw(std::string(2, '\0'))},
                      MalformedCase{"ArgumentMissing", Bytes().u32(31)},
                      MalformedCase{"TextLongerThanTheRequest", Bytes().u32(2090).u32(1).u32(0xffffffff).raw("ab")},
                      MalformedCase{"ListLongerThanTheRequest", Bytes().u32(3030).u32(50).u32(1)},
                      MalformedCase{"NegativeListCount", Bytes().u32(3030).u32(0xffff)},
                      MalformedCase{"PointsLongerThanTheRequest", Bytes().u32(30).u32(1).u32(0x40000001)},
                      MalformedCase{"AttachListsCutShort", Bytes().u32(55).u32(1).u32(2).u32(3).u32(9)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServersTest, RequestLongerThanAMessageIsDroppedWhole) {
    Bytes big;
    big.u32(8140).str(std::string(5000, 'x'));
    std::string notes = serve(gram(big) + gram(Bytes().u32(4080).u32(node_)));
    EXPECT_EQ(notes, "op4;" + answer2(Bytes().u32(1)));
}

// ---- table calls ----

// Row, slot count, then the slots' words and texts.
// The fake notes the answer's opcode and the number of words given.
std::string table(const Bytes& body, int answerWords = 0) {
    return "words 5\n" + body.script() + "recvwords " + std::to_string(answerWords) + "\n";
}

TEST_F(ServersTest, UserDataRowsStoreSizeAndReadAField) {
    std::string calls =
        // UD_SetField(node, 77, "abcde", 5): result int, three int inputs and a block.
        table(Bytes().u32(26).u32(5).u32(1).u32(1).u32(1).u32(node_).u32(1).u32(1).u32(77).u32(1).u32(8)
                  .pstr("abcde").u32(1).u32(1).u32(5), 1) +
        // UD_GetFieldSize(node, 77, out int)
        table(Bytes().u32(27).u32(4).u32(1).u32(1).u32(1).u32(node_).u32(1).u32(1).u32(77).u32(2).u32(1), 2) +
        // UD_GetField(node, 77, out block of 8): result as a short
        table(Bytes().u32(28).u32(4).u32(3).u32(1).u32(1).u32(node_).u32(1).u32(1).u32(77).u32(2).u32(8).u32(8), 4) +
        // Output block of 2 bytes cannot hold the field: result 0, nothing read.
        table(Bytes().u32(28).u32(4).u32(1).u32(1).u32(1).u32(node_).u32(1).u32(1).u32(77).u32(2).u32(8).u32(2), 3);
    std::string notes = serve(calls);
    EXPECT_EQ(result_, 0);
    EXPECT_EQ(SMLGetConnState(), 2);
    uint32_t length = 0;
    EXPECT_EQ(UD_GetFieldSize(node_, 77, &length), 1u);
    EXPECT_EQ(length, 5u);
    // "abcd" and "e" with three pad bytes as words.
    EXPECT_EQ(notes, "op5[1];op5[1,5];op5[1,8,1633837924,1694498816];op5[0,2,0]");
}

TEST_F(ServersTest, RefusedTableCallsKeepTheLinkInStep) {
    std::string calls =
        table(Bytes().u32(56).u32(2).u32(1).u32(1).u32(1).u32(7)) +            // row past the table
        table(Bytes().u32(0xffffffff).u32(1).u32(1)) +                          // row -1
        table(Bytes().u32(27).u32(1).u32(1)) +                                  // arguments missing
        table(Bytes().u32(26).u32(5).u32(1).u32(1).u32(1).u32(node_).u32(1).u32(1).u32(78).u32(1).u32(8)
                  .pstr("ab").u32(1).u32(1).u32(100)) +                         // length past the data
        table(Bytes().u32(0).u32(1).u32(1)) +                                   // row without function
        table(Bytes().u32(28).u32(1).u32(8));                                   // block as result
    EXPECT_EQ(serve(calls + table(Bytes().u32(27).u32(4).u32(3).u32(1).u32(1).u32(node_).u32(1).u32(1).u32(79)
                                      .u32(2).u32(5), 2)),
              "op6[];op6[];op6[];op6[];op6[];op6[];op5[0,0]");
    EXPECT_EQ(SMLGetConnState(), 2);
    uint32_t length = 0;
    EXPECT_EQ(UD_GetFieldSize(node_, 78, &length), 0u) << "the refused call stored nothing";
}

// ---- Pantel requests and chart callbacks ----

TEST_F(ServersTest, PantelDescribesANodeFoundByPageAndNameText) {
    ASSERT_EQ(QXWtAttr_SetPageAttr(page_, "Main", 1, 300, 200, 0), 1u);
    ObjectHandle name = QXStr_CreateLabel(page_, SMLPixelsToFixed(100), SMLPixelsToFixed(60), SMLPixelsToFixed(30),
                                          SMLPixelsToFixed(10), "P1");
    ASSERT_NE(name, 0u);
    ASSERT_EQ(QXStr_MakeRegion(name, node_), 1u);
    std::string notes = serve(counted(8, Bytes().u32(10).str("Main").str("P1")) +
                              counted(8, Bytes().u32(10).str("Main").str("P2")) +
                              counted(8, Bytes().u32(10).str("Other").str("P1")) +
                              counted(8, Bytes().u32(12)));
    Fixed x, y;
    ASSERT_EQ(QXRdAttr_GetPosition(name, &x, &y), 1u);
    uint32_t shown = 0, lit = 0, nodeShown = 0;
    QXRdAttr_GetFlag(name, 4, &shown);
    QXRdAttr_GetFlag(name, 0x400002, &lit);
    QXRdAttr_GetFlag(node_, 4, &nodeShown);
    Bytes described;
    described.u32(0).u32(page_).u32(node_).pstr("P1").u32(nodeShown).u32(100).u32(60);
    described.u32(1).u32(name).pstr("").u32(shown).u32(lit).u32(static_cast<uint32_t>(x >> 15))
        .u32(static_cast<uint32_t>(y >> 15));
    described.u32(0);
    std::string one = "answer10[" + Bytes().u32(1).hex() + "]";
    EXPECT_EQ(notes, "answer10[" + described.hex() + "];" + one + ";" + one + ";op11");
}

// Without a window to pick in, the pick cannot run: the request fails at
// once instead of asking again for ever, and the highlight is as before.
TEST_F(ServersTest, PantelPickWithoutAWindowFailsAndRestoresTheHighlight) {
    ObjectHandle name = QXStr_CreateLabel(page_, SMLPixelsToFixed(100), SMLPixelsToFixed(60), SMLPixelsToFixed(30),
                                          SMLPixelsToFixed(10), "P1");
    ASSERT_EQ(QXStr_MakeRegion(name, node_), 1u);
    ASSERT_EQ(QXWtAttr_SetFlag(name, 0x400002, 1), 1u);
    std::string notes = serve(counted(8, Bytes().u32(11).u32(page_).u32(node_).u32(0).u32(0)) +
                              counted(8, Bytes().u32(11).u32(page_).u32(node_).u32(5)));
    EXPECT_EQ(notes, "op11;op11") << "the second request's list is cut short";
    uint32_t nodeLit = 1, nameLit = 0;
    QXRdAttr_GetFlag(node_, 0x400002, &nodeLit);
    QXRdAttr_GetFlag(name, 0x400002, &nameLit);
    EXPECT_EQ(nodeLit, 0u);
    EXPECT_NE(nameLit, 0u);
    EXPECT_EQ(SMLGetConnState(), 2);
}

TEST_F(ServersTest, ChartCallbacksFailWhileTheChartsAreMissing) {
    std::string notes = serve(counted(6, Bytes().u32(2010).str("line")) + counted(6, Bytes().u32(1234).str("")) +
                              gram(Bytes().u32(4080).u32(node_)));
    EXPECT_EQ(notes, "op8;op8;" + answer2(Bytes().u32(1)));
}

} // namespace
