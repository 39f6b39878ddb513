// Framing of the link's buffered streams, on a socket pair in this process.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "atolq/SML/SMLStream.h"

namespace {

class StreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds_), 0);
        out_ = SMLOpenOut(fds_[0]);
        in_ = SMLOpenIn(fds_[0]);
    }
    void TearDown() override {
        if (fds_[0] >= 0) close(fds_[0]);
        if (fds_[1] >= 0) close(fds_[1]);
    }
    int waitingAtPeer() {
        int count = 0;
        ioctl(fds_[1], FIONREAD, &count);
        return count;
    }
    std::string readPeer(size_t count) {
        std::string bytes(count, '\0');
        size_t done = 0;
        while (done < count) {
            ssize_t n = read(fds_[1], bytes.data() + done, count - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        return bytes.substr(0, done);
    }
    void writePeer(const std::string& bytes) {
        ASSERT_EQ(write(fds_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    static std::string word(uint32_t value) {
        uint32_t wire = htonl(value);
        return std::string(reinterpret_cast<const char*>(&wire), 4);
    }

    int fds_[2] = {-1, -1};
    SMLStreamPtr out_, in_;
};

TEST_F(StreamTest, CountedStringsArePaddedToFourBytes) {
    struct Case {
        const char* text;
        uint32_t advance;
    } cases[] = {{"hello", 12}, {"abcdefgh", 12}, {"", 4}, {nullptr, 4}, {"abc", 8}};
    for (const Case& c : cases) {
        out_->position = 0;
        ASSERT_TRUE(SMLPutString(out_.get(), c.text));
        EXPECT_EQ(out_->position, c.advance) << (c.text ? c.text : "null");
    }
}

TEST_F(StreamTest, StringsAndWordsArriveInWireOrder) {
    ASSERT_TRUE(SMLPutU32(out_.get(), 0x01020304));
    ASSERT_TRUE(SMLPutShort(out_.get(), 0xFFFF));
    ASSERT_TRUE(SMLPutInt(out_.get(), -2));
    ASSERT_TRUE(SMLPutString(out_.get(), "hello"));
    ASSERT_TRUE(SMLFlush(out_.get()));
    EXPECT_EQ(out_->position, 0u);
    std::string expected = word(0x01020304) + word(0xFFFF) + word(0xFFFFFFFE) + word(5) + "hello";
    std::string got = readPeer(expected.size() + 3);
    EXPECT_EQ(got.substr(0, expected.size()), expected);
    EXPECT_EQ(got.size(), expected.size() + 3);
}

TEST_F(StreamTest, LongPutSendsFullBuffersAndKeepsTheRest) {
    std::string bytes(10000, 'x');
    ASSERT_TRUE(SMLPutBytes(out_.get(), bytes.data(), 10000));
    EXPECT_EQ(waitingAtPeer(), 8192);
    EXPECT_EQ(out_->position, 1808u);
    ASSERT_TRUE(SMLFlush(out_.get()));
    EXPECT_EQ(waitingAtPeer(), 10000);
}

TEST_F(StreamTest, WordIsNeverSplitAcrossSends) {
    std::string bytes(4094, 'a');
    ASSERT_TRUE(SMLPutBytes(out_.get(), bytes.data(), 4094));
    ASSERT_TRUE(SMLPutU32(out_.get(), 7));
    EXPECT_EQ(waitingAtPeer(), 4094);
    EXPECT_EQ(out_->position, 4u);
}

TEST_F(StreamTest, WordArrivingInTwoReceivesIsAssembled) {
    writePeer(word(0xA1B2C3D4).substr(0, 2));
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        writePeer(word(0xA1B2C3D4).substr(2) + word(9));
    });
    uint32_t value = 0, next = 0;
    EXPECT_TRUE(SMLGetU32(in_.get(), &value));
    later.join();
    EXPECT_EQ(value, 0xA1B2C3D4u);
    EXPECT_TRUE(SMLGetU32(in_.get(), &next));
    EXPECT_EQ(next, 9u);
}

TEST_F(StreamTest, PadArrivingLaterIsSkippedBeforeTheNextWord) {
    writePeer(word(5) + "hello");
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        writePeer(std::string(3, '\xEE') + word(77));
    });
    std::string text;
    uint32_t next = 0;
    EXPECT_TRUE(SMLGetString(in_.get(), &text));
    EXPECT_TRUE(SMLGetU32(in_.get(), &next));
    later.join();
    EXPECT_EQ(text, "hello");
    EXPECT_EQ(next, 77u);
}

TEST_F(StreamTest, BlockKeepsItsBytes) {
    std::string bytes("a\0b\xff\x01", 5);
    ASSERT_TRUE(SMLPutBlock(out_.get(), bytes.data(), 5));
    ASSERT_TRUE(SMLFlush(out_.get()));
    writePeer(readPeer(12));
    std::vector<uint8_t> got;
    ASSERT_TRUE(SMLGetBlock(in_.get(), &got));
    EXPECT_EQ(std::string(got.begin(), got.end()), bytes);
}

TEST_F(StreamTest, ReadFailsWhenThePeerCloses) {
    writePeer(word(3).substr(0, 3));
    close(fds_[1]);
    fds_[1] = -1;
    uint32_t value;
    EXPECT_FALSE(SMLGetU32(in_.get(), &value));
}

TEST_F(StreamTest, CountBeyondTheLimitIsRefusedWithoutAllocating) {
    writePeer(word(0xFFFFFFFF) + "abcd");
    std::string text;
    EXPECT_FALSE(SMLGetString(in_.get(), &text));
    writePeer(word(kSMLMaxCounted + 1));
    std::vector<uint8_t> block;
    EXPECT_FALSE(SMLGetBlock(in_.get(), &block));
}

TEST_F(StreamTest, SendingToAClosedPeerFailsWithoutSignal) {
    // SIGPIPE keeps its default action here: a send that raised it would end the test.
    ASSERT_TRUE(SMLPutU32(out_.get(), 1));
    close(fds_[1]);
    fds_[1] = -1;
    EXPECT_FALSE(SMLFlush(out_.get()));
    EXPECT_EQ(out_->position, 4u);
}

} // namespace
