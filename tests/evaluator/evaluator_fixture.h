// A test fixture that starts the evaluator over the transport of its
// parameter: local socket pairs, or the remote daemon on loopback TCP.
#pragma once

#include "evaluator_link.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <stdexcept>

namespace tolq::test::evaluator {

enum class Transport { Local, Remote };

inline void PrintTo(Transport t, std::ostream* os) {
    *os << (t == Transport::Local ? "local" : "remote");
}

inline std::string transport_name(const testing::TestParamInfo<Transport>& info) {
    return info.param == Transport::Local ? "Local" : "Remote";
}

class EvaluatorTest : public testing::TestWithParam<Transport> {
protected:
    void SetUp() override { link_ = start(default_heap()); }

    std::unique_ptr<Link> start(const std::string& heap) {
        if (GetParam() == Transport::Local) return start_local(heap);
        if (!daemon_)
            daemon_ = std::make_unique<Daemon>(
                std::vector<std::pair<std::string, std::string>>{{"tester", "secret"}});
        auto remote = start_remote(daemon_->port(), "tester", "secret", heap);
        EXPECT_EQ(remote.login_reply, 1u);
        EXPECT_EQ(remote.image_reply, 1u);
        if (!remote.link) throw std::runtime_error("remote evaluator did not start");
        return std::move(remote.link);
    }

    Link& link() { return *link_; }

    std::unique_ptr<Daemon> daemon_;
    std::unique_ptr<Link> link_;
};

} // namespace tolq::test::evaluator
