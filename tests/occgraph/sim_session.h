// A test with the real evaluator holding a net switched into it as tolq
// switches it; the occurrence-graph tests then ask the library about it.
#pragma once

#include "evaluator_link.h"
#include "net_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace tolq::test::occgraph {

using evaluator::Reply;
using evaluator::Result;

class SimSession : public testing::Test {
protected:
    void SetUp() override { link_ = evaluator::start_local(evaluator::default_heap()); }

    Reply ask(const std::string& ml, const std::string* input = nullptr) {
        link_->evaluate_async(ml);
        if (input) link_->send_text(evaluator::encode_input_text(*input));
        return link_->read_reply();
    }

    std::vector<std::string> ok(const std::string& ml) {
        const Reply r = ask(ml);
        EXPECT_EQ(r.result, Result::Success) << ml << "\n" << r.raw;
        return values(r.text);
    }

    void load(NetSpec net) {
        const auto failures = load_net(
            [this](const std::string& ml, const std::string* input) {
                const Reply r = ask(ml, input);
                return Answer{r.result == Result::Success, r.text};
            },
            std::move(net));
        for (const auto& f : failures) ADD_FAILURE() << f;
    }

    // One integer the library answers.
    long number(const std::string& expr) {
        const auto v = ok("TOLQ'Edit.out_val (Int.toString (" + expr + "));\n");
        if (v.size() != 1) {
            ADD_FAILURE() << expr;
            return -1;
        }
        return std::stol(v[0]);
    }
    // A list of integers, sorted.
    std::vector<long> numbers(const std::string& expr) {
        std::vector<long> out;
        for (const auto& v : ok("List.app (fn i => TOLQ'Edit.out_val (Int.toString i)) (" + expr + ");\n"))
            out.push_back(std::stol(v));
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<std::string> texts(const std::string& expr) {
        auto v = ok("List.app TOLQ'Edit.out_val (" + expr + ");\n");
        std::sort(v.begin(), v.end());
        return v;
    }

    std::unique_ptr<evaluator::Link> link_;
};

} // namespace tolq::test::occgraph
