// The remote daemon's own checks: the login against its users file and the
// heap image it is asked to start.
#include "evaluator_link.h"

#include <gtest/gtest.h>

namespace tolq::test::evaluator {
namespace {

class DaemonTest : public testing::Test {
protected:
    Daemon daemon_{{{"tester", "secret"}, {"other", "pa:ss word"}}};
};

TEST_F(DaemonTest, RefusesAWrongLogin) {
    struct Case {
        const char* user;
        const char* password;
    };
    for (const Case c : {Case{"tester", "wrong"}, Case{"tester", ""}, Case{"nobody", "secret"},
                         Case{"other", "secret"}, Case{"", ""}}) {
        SCOPED_TRACE(std::string(c.user) + "/" + c.password);
        const RemoteStart start = start_remote(daemon_.port(), c.user, c.password, default_heap());
        EXPECT_NE(start.login_reply, 1u);
        EXPECT_EQ(start.link, nullptr);
    }
}

TEST_F(DaemonTest, AcceptsEachUserWithItsOwnPassword) {
    for (auto [user, password] : {std::pair{"tester", "secret"}, std::pair{"other", "pa:ss word"}}) {
        SCOPED_TRACE(user);
        const RemoteStart start = start_remote(daemon_.port(), user, password, default_heap());
        ASSERT_NE(start.link, nullptr);
        EXPECT_EQ(start.link->evaluate("val x = 1;").result, Result::Success);
    }
}

TEST_F(DaemonTest, RefusesAHeapImageThatDoesNotExist) {
    const RemoteStart start =
        start_remote(daemon_.port(), "tester", "secret", bin_dir() + "/no-such-image.ML");
    EXPECT_EQ(start.login_reply, 1u);
    EXPECT_NE(start.image_reply, 1u);
    EXPECT_EQ(start.link, nullptr);
}

TEST_F(DaemonTest, ServesSessionsOneAfterAnother) {
    auto first = start_remote(daemon_.port(), "tester", "secret", default_heap());
    ASSERT_NE(first.link, nullptr);
    auto second = start_remote(daemon_.port(), "tester", "secret", default_heap());
    ASSERT_NE(second.link, nullptr);
    EXPECT_EQ(first.link->evaluate("val a = 1;").result, Result::Success);
    EXPECT_EQ(second.link->evaluate("a;").result, Result::NotCompiled) << "sessions share nothing";
}

} // namespace
} // namespace tolq::test::evaluator
