// Puts a one-page net into an evaluator the way tolq's switch does it:
// declarations and markings checked, transitions checked and their code
// generated, one page instance made and the state reset. The evaluator is
// reached through a function, so the tests and the benchmarks share it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "net_texts.h"

namespace tolq::test::occgraph {

using evalsim::Arc;
using evalsim::Page;
using evalsim::Place;
using evalsim::Transition;

// A one-page net: declarations, places with their initial markings (an
// empty text: no initial marking), transitions.
struct NetSpec {
    std::string declarations;
    Page page;
    std::vector<std::string> markings; // one per place of the page
    std::vector<Transition> transitions;
};

// The outcome of one evaluation: success and the reply's text.
struct Answer {
    bool ok = false;
    std::string text;
};
// Evaluates ML text, with an input text when given.
using Evaluate = std::function<Answer(const std::string& ml, const std::string* input)>;

// The values of a reply, each between two \006 bytes.
std::vector<std::string> values(const std::string& text);

// Loads the net with page instance "50"; the requests that failed, with
// their replies (none when all went well).
std::vector<std::string> load_net(const Evaluate& evaluate, NetSpec net);

// Nets whose graphs are known: a token round three places; a buffer of k
// places filled by a producer and (or not) emptied by a consumer; n dining
// philosophers; and a ring of n producer-consumer pairs sharing nothing,
// whose graph is the product of theirs.
Transition move(const std::string& t, const std::string& from, const std::string& to, const std::string& expr, int n);
NetSpec ring();
NetSpec buffer(int k, bool consumer);
NetSpec philosophers(int n);
NetSpec pairs(int n, int k);

} // namespace tolq::test::occgraph
