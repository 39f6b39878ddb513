// The remote daemon's parts that need no evaluator: the login payload, the
// password check against crypt(3) hashes and a users file, and the control
// framing on a socket pair.
#include "control.h"
#include "login.h"
#include "process.h"

#include <gtest/gtest.h>

#include <crypt.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tolq::evald {
namespace {

using namespace std::string_literals;

std::string hash_of(const std::string& password) {
    crypt_data data{};
    return crypt_r(password.c_str(), "$6$evaldtest$", &data);
}

TEST(EvaldLogin, PayloadNeedsExactlyThreeNulTerminatedFields) {
    auto ok = parse_login("ann\0pw\0/home/ann\0"s);
    ASSERT_TRUE(ok.has_value());
    EXPECT_EQ(ok->user, "ann");
    EXPECT_EQ(ok->password, "pw");
    EXPECT_EQ(ok->workdir, "/home/ann");
    EXPECT_TRUE(parse_login("ann\0\0./\0"s).has_value()) << "an empty password is a password";
    for (const std::string& bad : {"ann\0pw\0./"s, "ann\0pw"s, ""s, "\0pw\0./\0"s,
                                  "ann\0pw\0./\0extra"s, "ann\0pw\0./\0\0"s}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parse_login(bad).has_value());
    }
}

TEST(EvaldLogin, PasswordMatchesOnlyItsHash) {
    const std::string hash = hash_of("right");
    EXPECT_TRUE(password_matches("right", hash));
    EXPECT_FALSE(password_matches("wrong", hash));
    EXPECT_FALSE(password_matches("righ", hash));
    EXPECT_FALSE(password_matches("", ""));
    EXPECT_FALSE(password_matches("x", "!" + hash)) << "locked";
    EXPECT_FALSE(password_matches("x", "*"));
}

TEST(EvaldLogin, UsersFileLinesCommentsAndUnknownUsers) {
    test::TempDir dir;
    const std::string users = dir.file("users");
    test::write_file(users, "# people\n\nann:" + hash_of("a:b c") + "\nbob:" + hash_of("bee") +
                                "\nbroken line\nann2:\n");
    struct Case {
        const char* user;
        const char* password;
        bool accepted;
    };
    for (const Case c : {Case{"ann", "a:b c", true}, Case{"bob", "bee", true},
                         Case{"bob", "a:b c", false}, Case{"ann2", "", false},
                         Case{"carl", "bee", false}, Case{"# people", "", false}}) {
        SCOPED_TRACE(c.user);
        const LoginResult verdict = check_login(users, Login{c.user, c.password, "./"});
        EXPECT_EQ(verdict.accepted, c.accepted);
        EXPECT_FALSE(verdict.account.has_value());
    }
    EXPECT_FALSE(check_login(dir.file("missing"), Login{"ann", "a:b c", "./"}).accepted);
}

class EvaldControl : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds_), 0); }
    void TearDown() override {
        close(fds_[0]);
        close(fds_[1]);
    }
    void send_raw(const std::string& bytes) { ASSERT_TRUE(write_all(fds_[0], bytes)); }
    int fds_[2]{-1, -1};
};

TEST_F(EvaldControl, MessageRoundTrip) {
    ASSERT_TRUE(write_control(fds_[0], 3, "/tmp/image.ML"));
    auto message = read_control(fds_[1], Millis(1000));
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->type, 3u);
    EXPECT_EQ(message->payload, "/tmp/image.ML");
}

TEST_F(EvaldControl, OversizedOrTruncatedMessagesAreRefused) {
    send_raw("\0\0\0\1\0\0\x13\x89"s); // type 1, length 5001
    EXPECT_FALSE(read_control(fds_[1], Millis(200)).has_value());
    send_raw("\0\0\0\4\0\0\0\x08" "abc"s); // 8 bytes announced, 3 sent
    EXPECT_FALSE(read_control(fds_[1], Millis(200)).has_value());
}

TEST_F(EvaldControl, GreetingIsAnsweredWithEightBytes) {
    send_raw("tolq\0\0\0\0"s);
    ASSERT_TRUE(exchange_greeting(fds_[1], Millis(1000)));
    char answer[16];
    EXPECT_EQ(read(fds_[0], answer, sizeof answer), 8);
}

TEST_F(EvaldControl, ShortGreetingTimesOut) {
    send_raw("tolq"s);
    EXPECT_FALSE(exchange_greeting(fds_[1], Millis(200)));
}

} // namespace
} // namespace tolq::evald
