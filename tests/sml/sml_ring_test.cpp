// The ring of pending evaluation requests against the scripted fake evaluator.
#include <chrono>
#include <cstring>
#include <thread>

#include "atolq/Utils/QXMem.h"
#include "sml_fixture.h"

namespace {

using namespace sml_test;

// What the ring's callbacks saw.
struct Seen {
    std::vector<std::string> chunks;
    std::vector<uint32_t> statuses;
    std::vector<uint32_t> completedTags;
    int sends = 0;
    int completionsToRefuse = 0;
};
Seen g_seen;

int beforeSend(SMLPending*) { return ++g_seen.sends; }
int onChunk(SMLPending* entry) {
    g_seen.chunks.emplace_back(entry->chunk, entry->chunkLength);
    g_seen.statuses.push_back(entry->status);
    return 1;
}
int onComplete(SMLPending* entry) {
    g_seen.completedTags.push_back(entry->data[0]);
    if (g_seen.completionsToRefuse > 0) {
        --g_seen.completionsToRefuse;
        return 0;
    }
    return 1;
}

class RingTest : public FakeEvaluatorTest {
protected:
    void SetUp() override {
        g_seen = Seen{};
        SMLSessionInit();
    }
    SMLPending entry(const char* text, uint32_t tag) {
        SMLPending pending;
        pending.request = text;
        pending.requestLength = static_cast<uint32_t>(std::strlen(text));
        pending.beforeSend = beforeSend;
        pending.onChunk = onChunk;
        pending.onComplete = onComplete;
        pending.data[0] = tag;
        pending.status = 77; // cleared on submit
        return pending;
    }
    // Polls until the ring completed the given number of entries or an error.
    int pollUntil(size_t completions) {
        for (int i = 0; i < 300 && g_seen.completedTags.size() < completions; ++i) {
            int result = SMLPollPending();
            if (result < 0) return result;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    }
};

struct EchoCase {
    const char* name;
    const char* reply;
    const char* chunk;
};

class EchoTest : public RingTest, public ::testing::WithParamInterface<EchoCase> {};

TEST_P(EchoTest, EchoLinesAreStripped) {
    ASSERT_EQ(connect(kConnected + "recv\nout " + GetParam().reply + "\n"), 0);
    SMLPending pending = entry("val x = 1;", 5);
    ASSERT_EQ(SMLSubmit(&pending, 0), 0);
    ASSERT_EQ(g_seen.chunks.size(), 1u);
    EXPECT_EQ(g_seen.chunks[0], GetParam().chunk);
    EXPECT_EQ(g_seen.statuses[0], kReplyDone);
    EXPECT_EQ(g_seen.completedTags, std::vector<uint32_t>{5});
    EXPECT_EQ(g_seen.sends, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, EchoTest,
    ::testing::Values(
        EchoCase{"BothEchoes", "[opening <instream>]\\nval x = 1\\n[closing <instream>]\\n\\001", "val x = 1\n"},
        EchoCase{"OpeningLineAlone", "[opening <instream>]\\n\\001", ""},
        EchoCase{"OpeningWithoutItsNewline", "[opening <instream>]\\001", "[opening <instream>]"},
        EchoCase{"NoEcho", "plain\\001", "plain"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RingTest, SubmitCodes) {
    SMLPending pending = entry("x", 1);
    EXPECT_EQ(SMLSubmit(&pending, 0), kRingNotConnected);
    ASSERT_EQ(connect(kConnected + "recv\nhang\n"), 0);
    EXPECT_EQ(SMLSubmit(&pending, 1), 0);
    EXPECT_EQ(SMLSubmit(&pending, 0), kRingBusy);
    for (int i = 1; i < kSMLRingSize; ++i) ASSERT_EQ(SMLSubmit(&pending, 1), 0) << i;
    EXPECT_EQ(SMLSubmit(&pending, 1), kRingFull);
    EXPECT_EQ(g_seen.sends, 1) << "only the head is sent";
}

TEST_F(RingTest, QueuedEntriesAreSentOneAfterAnother) {
    ASSERT_EQ(connect(kConnected + "recv\nsay \\001\nrecv\nout second\\n\npause 30\nsay 2\\002\n"), 0);
    SMLPending first = entry("first", 1), second = entry("second;", 2);
    ASSERT_EQ(SMLSubmit(&first, 1), 0);
    ASSERT_EQ(SMLSubmit(&second, 1), 0);
    ASSERT_EQ(pollUntil(2), 0);
    EXPECT_EQ(g_seen.completedTags, (std::vector<uint32_t>{1, 2}));
    ASSERT_EQ(g_seen.chunks.size(), 3u);
    EXPECT_EQ(g_seen.chunks[0], "eval[5]:first");
    EXPECT_EQ(g_seen.chunks[1], "second\n");
    EXPECT_EQ(g_seen.chunks[2], "eval[7]:second;");
    EXPECT_EQ(g_seen.statuses, (std::vector<uint32_t>{kReplyDone, kReplyMore, kReplyClass2}));
}

TEST_F(RingTest, RefusedCompletionSendsTheSameRequestAgain) {
    ASSERT_EQ(connect(kConnected + "recv\nsay \\001\nrecv\nsay \\001\n"), 0);
    g_seen.completionsToRefuse = 1;
    SMLPending pending = entry("retry", 3);
    ASSERT_EQ(SMLSubmit(&pending, 0), 0);
    EXPECT_EQ(g_seen.sends, 2);
    EXPECT_EQ(g_seen.chunks, (std::vector<std::string>{"eval[5]:retry", "eval[5]:retry"}));
    EXPECT_EQ(g_seen.completedTags, (std::vector<uint32_t>{3, 3}));
}

TEST_F(RingTest, ClosedTextChannelCompletesTheHeadWithAnError) {
    ASSERT_EQ(connect(kConnected + "recv\npause 50\ndie\n"), 0);
    SMLPending pending = entry("x", 4);
    ASSERT_EQ(SMLSubmit(&pending, 1), 0);
    EXPECT_EQ(pollUntil(1), kRingReceiveFailed);
    ASSERT_EQ(g_seen.chunks.size(), 1u);
    EXPECT_EQ(g_seen.chunks[0], std::string("<error: object not evaluated>\0", 30));
    EXPECT_EQ(g_seen.completedTags, std::vector<uint32_t>{4});
    EXPECT_EQ(SMLGetConnState(), 0);
}

TEST_F(RingTest, TextArrivingDuringAFieldWaitGoesToTheRing) {
    ASSERT_EQ(connect(kConnected + "recv\nout ring reply\\001\npause 100\nfields | 9 |\n"), 0);
    SMLPending pending = entry("x", 6);
    ASSERT_EQ(SMLSubmit(&pending, 1), 0);
    NSField* fields = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(SMLReceiveFields(&fields, &count, 1), 0);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(g_seen.chunks, std::vector<std::string>{"ring reply"});
    EXPECT_EQ(g_seen.completedTags, std::vector<uint32_t>{6});
    QXMem_Free(fields[0].value);
    QXMem_Free(fields);
}

TEST_F(RingTest, ConnectClearsTheRingWithoutCallbacks) {
    ASSERT_EQ(connect(kConnected + "recv\nhang\n"), 0);
    SMLPending pending = entry("x", 1);
    ASSERT_EQ(SMLSubmit(&pending, 1), 0);
    ASSERT_EQ(connect(kConnected), 0);
    EXPECT_EQ(SMLPollPending(), 0);
    EXPECT_TRUE(g_seen.completedTags.empty());
    // The cleared ring sends a new entry at once.
    EXPECT_EQ(SMLSubmit(&pending, 1), 0);
    EXPECT_EQ(g_seen.sends, 2);
}

} // namespace
