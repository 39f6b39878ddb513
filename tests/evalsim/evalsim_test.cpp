// The evaluator's simulation library driven as tolq drives it: a net is
// checked, switched to the simulator (types, states, transition code and
// shared binding code), given page instances and reset; then enabling,
// bindings, occurrences, markings, model time, stop criteria and the
// report are asked for with tolq's own request texts.
#include "evaluator_link.h"
#include "net_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace tolq::test::evalsim {
namespace {

using evaluator::Reply;
using evaluator::Result;

// The values of a reply, each between two \006 bytes.
std::vector<std::string> values(const std::string& text) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t open = text.find('\006', pos);
        if (open == std::string::npos) break;
        const std::size_t close = text.find('\006', open + 1);
        if (close == std::string::npos) break;
        out.push_back(text.substr(open + 1, close - open - 1));
        pos = close + 1;
    }
    return out;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// A values block of one binding: each value followed by NUL.
std::string block(std::initializer_list<std::string> vs) {
    std::string out;
    for (const std::string& v : vs) out += v + std::string(1, '\0');
    return out;
}

class SimTest : public testing::Test {
protected:
    void SetUp() override { link_ = evaluator::start_local(evaluator::default_heap()); }

    Reply ask(const std::string& ml, const std::string* input = nullptr) {
        link_->evaluate_async(ml);
        if (input) link_->send_text(evaluator::encode_input_text(*input));
        return link_->read_reply();
    }
    Reply ask(const std::string& ml, const std::string& input) { return ask(ml, &input); }

    // A request that must succeed; its values.
    std::vector<std::string> ok(const std::string& ml) {
        const Reply r = ask(ml);
        EXPECT_EQ(r.result, Result::Success) << ml << "\n" << r.raw;
        return values(r.text);
    }
    std::vector<std::string> ok(const std::string& ml, const std::string& input) {
        const Reply r = ask(ml, input);
        EXPECT_EQ(r.result, Result::Success) << ml << "\n" << r.raw;
        return values(r.text);
    }

    void declare(const std::string& text) {
        ok("TOLQ'Edit.ParseGlobDecl();\n", text);
        for (int round = 0; round < 100; ++round) {
            const auto v = ok("usestring[(TOLQ'Edit.DefineGlob())];\n");
            if (v.empty() || v.back() != "0") return;
        }
        ADD_FAILURE() << "declarations never ended";
    }

    void marking(const Place& p, const std::string& text) {
        const std::string timed = p.timed ? "true" : "false";
        if (text.empty())
            ok("TOLQ'Edit.CheckEmptyMarking (" + timed + ",\"" + p.ml + "\",\"" + p.cs + "\");\n");
        else
            ok("TOLQ'Edit.CheckInitialMarking (" + timed + ",\"" + p.ml + "\",\"" + p.cs + "\");\n", text);
    }

    // The syntax check of one transition; fills its variable table.
    void check(const Page& page, Transition& t) {
        ok("TOLQ'Edit.VarTabInit();\n");
        for (const Arc& a : t.arcs)
            ok(std::string("TOLQ'Edit.") + (a.input ? "VarInArc" : "VarOutArc") + "  \"" + a.ml + "\";\n", a.expr);
        if (!t.guard.empty()) ok("TOLQ'Edit.VarGuard ();\n", t.guard);
        const auto table = ok("usestring[(TOLQ'Edit.ReturnVarTabel \"" + t.ml + "\")];\n");
        t.vars.clear();
        for (std::size_t i = 0; i + 2 < table.size(); i += 3)
            t.vars.push_back({table[i], table[i + 1], static_cast<unsigned>(std::stoul(table[i + 2]))});
        EXPECT_FALSE(values(ask("TOLQ'Edit.CheckGuard();\n").text).empty());
        for (const Arc& a : t.arcs) {
            const Place& p = place_of(page, a.place);
            const auto v = ok("TOLQ'Edit.CheckArc(" + std::string(!a.input && a.timed ? "true" : "false") +
                              ",\"" + a.ml + "\",\"" + a.af + "\",\"" + p.cs + "\");\n");
            // 0: the expression is one token.
            if (a.input) {
                EXPECT_EQ(v, std::vector<std::string>{a.token_type == 2 ? "0" : "1"}) << a.expr;
            }
        }
    }

    // A text tolq tries as a pattern before it keeps a part.
    bool pattern_ok(const std::string& text) {
        return ask("fun TOLQ'dummy (" + text + ") = ();\n").result == Result::Success;
    }

    // The shared binding code of a transition with variables; the number
    // of bind-sequence requests that were needed (1 or 2; 3 = canonical).
    int binding_code(const Transition& t, const std::string& entry) {
        ok(bind_tab_init(t, entry));
        if (!t.guard.empty()) {
            const auto n = ok(std::string("TOLQ'Edit.ParseGuard ") + (t.guard_list ? "true" : "false") + ";\n",
                              t.guard);
            const int parts = n.empty() ? 0 : std::stoi(n[0]);
            for (int i = 0; i < parts; ++i) {
                const auto part = ok("TOLQ'Edit.GetS1Guard();\n");
                const bool keep = !part.empty() && pattern_ok(part[0]);
                ok(keep ? "TOLQ'Edit.StoreGuard();\n" : "TOLQ'Edit.DisposeGuard();\n");
            }
        }
        const auto places = entry_places(t);
        const auto position = [&](const Arc& a) {
            return std::to_string(std::find(places.begin(), places.end(), a.place) - places.begin() + 1);
        };
        for (const Arc& a : t.arcs) {
            if (!a.input || a.token_type == 1) continue;
            const auto v = ok("TOLQ'Edit.ParseTExp  " + position(a) + ";\n", a.expr);
            if (!v.empty() && pattern_ok(v[0])) ok("TOLQ'Edit.StoreTExp();\n");
        }
        const std::string seq = "usestring[(TOLQ'Edit.BindSeq (true, true))];\n";
        if (ok(seq) == std::vector<std::string>{"1"}) return 1;
        for (const Arc& a : t.arcs) {
            if (!a.input || a.token_type == 2) continue;
            ok("TOLQ'Edit.ParseMExp  " + position(a) + ";\n", a.expr);
            for (int i = 0; i < 50; ++i) {
                const auto c = ok("TOLQ'Edit.GetUSMCand();\n");
                if (c.empty()) break;
                ok(pattern_ok(c[0]) ? "TOLQ'Edit.StoreUSM();\n" : "TOLQ'Edit.DisposeUSM();\n");
            }
        }
        if (ok(seq) == std::vector<std::string>{"1"}) return 2;
        ok("usestring[(TOLQ'Edit.CrCanon (true, true))];\n");
        return 3;
    }

    // The switch to the simulator for a page and its transitions; the
    // binding-code rounds of each transition with variables.
    std::vector<int> switch_to_simulator(const Page& page, const std::vector<Transition>& ts) {
        std::vector<int> rounds;
        ok("TOLQ'Edit.DoDefinitions();\r");
        ok("TOLQ'Sim.WithTime:=" + std::string(page.time_colour_set ? "true" : "false") + ";");
        for (const auto& text : page_types(page)) ok(text);
        const auto trans = transition_states(page, ts);
        ok(trans[0]);
        for (const auto& text : page_states(page)) ok(text);
        ok(trans[1]);
        int entry = 500;
        for (const Transition& t : ts) {
            ok(occurrence_function(page, t));
            ok(enabling_block(page, t));
            bool timed_out = false;
            for (const Arc& a : t.arcs) timed_out = timed_out || (!a.input && a.timed);
            if (timed_out) ok(arc_change_function(page, t));
            ok(output_function(page, t));
            if (t.vars.empty()) {
                ok(var_free_binding_function(page, t));
                ok(var_free_binding_function(page, t, true));
            } else {
                const std::string e = std::to_string(entry++);
                rounds.push_back(binding_code(t, e));
                ok(binding_function(page, t, e));
                ok(binding_function(page, t, e, true));
            }
            for (const char* fast : {"false", "true"})
                ok("usestring[(TOLQ'sacgen.gen_fun((\"" + t.ml + "\",\"" + page.ml + "\",false," +
                   (t.timed ? "true" : "false") + "," + (timed_out ? "true" : "false") + "), " + fast + "))];\n");
        }
        ok("fun TOLQ'InitFS() = (());\n");
        return rounds;
    }

    // A page instance, as a new instance is made.
    void instance(const std::string& i, const Page& page) {
        ok("val TOLQ'IRS" + i + " = TOLQ'CRI" + page.ml + "();\n");
        ok("val TOLQ'PS" + i + "=TOLQ'CrPS" + page.ml + "()\nval TOLQ'IPS" + i + "=TOLQ'CrIPS" + page.ml + ";\n");
        ok("val TOLQ'TS" + i + "=TOLQ'CrTS" + page.ml + "();\n");
    }

    // The reset's transition sequence of (transition, instance) pairs and
    // the automatic-code requests that follow it.
    void reset(const Page& page, const std::vector<std::pair<std::string, std::string>>& pairs) {
        std::string seq = "usestring[(\"val trans_seq = \"^\n";
        for (const auto& [t, i] : pairs)
            seq += "\"[(\\\"T" + t + "@(1:Top#1)\\\",\\\"" + t + "\\\",\\\"" + i + "\\\",\\\"" + page.ml +
                   "\\\",false,false,false)]^^\"^\n";
        seq += "\"[(\\\"\\\",\\\"\\\",\\\"\\\",\\\"\\\",true,true,true)];\")];\n";
        ok(seq);
        ok("TOLQ'sacgen.GenSaveStateData();\nTOLQ'sacgen.gen_init_state(trans_seq);\n");
    }

    // Binding requests of a step and of the manual mode.
    Reply bind_with_number(const std::string& t, const std::string& i, int k) {
        return ask("TOLQ'BF" + t + "(TOLQ'PS" + i + ",TOLQ'TS" + i + "," + std::to_string(k) + ",TOLQ'EB" + t +
                   ",false,true,());\n");
    }
    Reply bind_transition(const std::string& t, const std::string& i, int k, const std::string& b, int mode) {
        return ask("TOLQ'BF" + t + "(TOLQ'PS" + i + ",TOLQ'TS" + i + "," + std::to_string(k) + ",{" + b + "}," +
                   (mode == 2 ? "true" : "false") + ",false,());\n");
    }
    std::vector<std::string> tokens(const std::string& cs, const std::string& place, const std::string& i) {
        return ok("TOLQ'mkst_tok'" + cs + " (!(#P" + place + " TOLQ'PS" + i + "));\n");
    }

    std::unique_ptr<evaluator::Link> link_;
};

// ---- the net A -> T -> B of integers ----

class ChainTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        declare("colset INT = int; var x : INT;");
        page_ = {"4", {{"5", "INT"}, {"6", "INT", false, false}}};
        t_ = {"7", "", false, {{"8", "10", "5", true, "x"}, {"9", "11", "6", false, "x"}}};
        marking(page_.places[0], "1`1++1`2");
        ok("usestring[(TOLQ'Edit.ParseLocDecl \"4\")];\n", "");
        check(page_, t_);
        rounds_ = switch_to_simulator(page_, {t_});
        instance("13", page_);
        instance("14", page_);
        reset(page_, {{"7", "13"}, {"7", "14"}});
    }
    Page page_;
    Transition t_;
    std::vector<int> rounds_;
};

TEST_F(ChainTest, CountOccurAndReadTheMarkingBack) {
    EXPECT_EQ(t_.vars.size(), 1u);
    // A single-token arc binds x with the first bind-sequence request.
    EXPECT_EQ(rounds_, std::vector<int>{1});

    EXPECT_EQ(ok("TOLQ'CCF7(TOLQ'PS13,TOLQ'TS13,{x= $(1)});\n"), std::vector<std::string>{"1"});
    ok("TOLQ'OF7(TOLQ'TS13,TOLQ'PS13,());\n");
    const auto b = tokens("INT", "6", "13");
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0], "1");
    EXPECT_EQ(ask("val TOLQ'ChngMark =(" + b[1] + "):(INT)  ms;\n").result, Result::Success);
    EXPECT_EQ(ok("TOLQ'NumTok (!(#P5 TOLQ'PS13));\n"), std::vector<std::string>{"1"});
    // A value that is not there is counted 0, and a binding that leaves x
    // open ends in the error class.
    EXPECT_EQ(ok("TOLQ'CCF7(TOLQ'PS13,TOLQ'TS13,{x= $(7)});\n"), std::vector<std::string>{"0"});
    EXPECT_EQ(ask("TOLQ'CCF7(TOLQ'PS13,TOLQ'TS13,{x= $$});\n").result, Result::ErrorClass);

    EXPECT_EQ(ok("TOLQ'Edit.out_val(makestring(if TOLQ'StopCriteria() then 1 else 0));\n"),
              std::vector<std::string>{"0"});
}

TEST_F(ChainTest, AllBindingsAreFoundReservedAndPrintedAsBlocks) {
    const Reply all = bind_with_number("7", "14", 99999);
    ASSERT_EQ(all.result, Result::Success) << all.raw;
    EXPECT_EQ(sorted(values(all.text)), (std::vector<std::string>{block({"1"}), block({"2"})}));
    // Both tokens are now reserved: nothing is left to bind.
    EXPECT_TRUE(values(bind_with_number("7", "14", 1).text).empty());
    EXPECT_EQ(tokens("INT", "5", "14"), (std::vector<std::string>{"0", "empty"}));
    EXPECT_EQ(ok("TOLQ'mkst_tok'INT (!(#A8 TOLQ'TS14));\n")[0], "2");
    ok("TOLQ'OF7(TOLQ'TS14,TOLQ'PS14,());\n");
    EXPECT_EQ(tokens("INT", "6", "14")[0], "2");

    // Undoing a reservation gives the token back.
    ok("val TOLQ'TS13=TOLQ'CrTS4();\n");
    ok("TOLQ'CF7(TOLQ'PS13,TOLQ'TS13,{x= $(2)},true,());\n");
    EXPECT_EQ(tokens("INT", "5", "13")[0], "1");
    ok("TOLQ'CF7(TOLQ'PS13,TOLQ'TS13,{x= $(2)},false,());\n");
    EXPECT_EQ(tokens("INT", "5", "13")[0], "2");
}

TEST_F(ChainTest, ManualBindingsAndTheEnablingTest) {
    // Manual mode: the given value is kept, nothing is reserved.
    EXPECT_EQ(values(bind_transition("7", "13", 1, "x= $(2)", 1).text), std::vector<std::string>{block({"2"})});
    EXPECT_TRUE(values(bind_transition("7", "13", 1, "x= $(9)", 1).text).empty());
    EXPECT_EQ(values(bind_transition("7", "13", 99999, "x= $$", 2).text).size(), 2u);
    EXPECT_EQ(tokens("INT", "5", "13")[0], "2");

    // The enabling test of several instances in one request, each answer
    // one block, the whole ended by \002 as a failure would be.
    std::string test;
    for (const char* i : {"13", "14"})
        test += std::string("(TOLQ'Sim.Fair:=false;TOLQ'BF7(TOLQ'PS") + i + ",TOLQ'TS" + i +
                ", 1 ,TOLQ'EB7,false,false,());TOLQ'Sim.Fair:=true);\n";
    const Reply r = ask(test + "output(std_out, (String.str #\"\\002\"));\n");
    EXPECT_EQ(values(r.text).size(), 2u) << r.raw;
    EXPECT_EQ(ok("TOLQ'Edit.out_val ( makestring ( step () ) ) ;\n"), std::vector<std::string>{"0"});
}

TEST_F(ChainTest, LegalValuesAndChangedMarkings) {
    EXPECT_EQ(ask("TOLQ'Sim.RtnErrOnFls(TOLQ'legal_col'INT,(3));\n").result, Result::Success);
    declare("colset SMALL = int with 1 .. 3;");
    EXPECT_EQ(ask("TOLQ'Sim.RtnErrOnFls(TOLQ'legal_col'SMALL,(4));\n").result, Result::ErrorClass);
    ok("val TOLQ'ChngMark =(1`(5)):(INT)  ms;\n");
    ok("TOLQ'legal_ms'INT TOLQ'ChngMark;\n");
    ok("(#P5 TOLQ'PS13):=TOLQ'ChngMark;\n");
    EXPECT_EQ(values(bind_with_number("7", "13", 99999).text), std::vector<std::string>{block({"5"})});
    ok("(#P5 TOLQ'PS13):=TOLQ'IM5();\n");
    EXPECT_EQ(tokens("INT", "5", "13")[0], "2");
}

// ---- one transition per case: the bindings the binding function finds ----

struct BindCase {
    const char* name;
    const char* declarations;
    std::vector<std::pair<std::string, std::string>> markings; // place ML name 5, 6, 20: text
    Transition transition;
    std::vector<std::string> blocks; // every binding of the initial marking
    int rounds;                      // bind-sequence requests needed
};

const Place kPlaces[] = {{"5", "INT"}, {"6", "INT"}, {"20", "INT"}, {"21", "PAIR"}};

const BindCase kBindCases[] = {
    {"GuardNarrowsTheBindings", "colset INT = int; var x : INT;", {{"5", "1`1++1`2++1`3"}},
     {"30", "x > 1", false, {{"31", "40", "5", true, "x"}, {"32", "41", "6", false, "x"}}},
     {block({"2"}), block({"3"})}, 1},
    {"TwoInputArcsShareAVariable", "colset INT = int; var x : INT;", {{"5", "1`1++1`2"}, {"20", "1`2++1`3"}},
     {"30", "", false, {{"31", "40", "5", true, "x"}, {"33", "42", "20", true, "x"}, {"32", "41", "6", false, "x"}}},
     {block({"2"})}, 1},
    {"MultisetArcBindsTwoVariables", "colset INT = int; var x, y : INT;", {{"5", "1`1++1`2"}},
     {"30", "", false, {{"31", "40", "5", true, "1`x++1`y", 1}, {"32", "41", "6", false, "1`x"}}},
     {block({"1", "2"}), block({"2", "1"})}, 2},
    {"GuardEquationBindsAnOutputVariable", "colset INT = int; var x, y : INT;", {{"5", "1`1++1`2"}},
     {"30", "[y = x + 10, x < 2]", true, {{"31", "40", "5", true, "x"}, {"32", "41", "6", false, "y"}}},
     {block({"1", "11"})}, 1},
    {"ProductTokensAreMatchedByTheirPattern", "colset INT = int; colset PAIR = product INT * INT; var x, y : INT;",
     {{"21", "1`(1,2)++1`(3,3)++2`(4,4)"}},
     {"30", "", false, {{"31", "40", "21", true, "(x, y)"}, {"32", "41", "6", false, "1`x"}}},
     {block({"1", "2"}), block({"3", "3"}), block({"4", "4"})}, 1},
    {"ConstantArcNeedsItsToken", "colset INT = int; var x : INT;", {{"5", "1`1++1`2"}},
     {"30", "", false,
      {{"31", "40", "5", true, "x"}, {"33", "42", "5", true, "1`2", 1, false}, {"32", "41", "6", false, "1`x"}}},
     {block({"1"})}, 1},
    {"NoTokenNoBinding", "colset INT = int; var x : INT;", {},
     {"30", "", false, {{"31", "40", "5", true, "x"}, {"32", "41", "6", false, "x"}}}, {}, 1},
};

void PrintTo(const BindCase& c, std::ostream* os) { *os << c.name; }

class BindingTest : public SimTest, public testing::WithParamInterface<BindCase> {};

TEST_P(BindingTest, FindsExactlyTheEnabledBindings) {
    BindCase c = GetParam();
    declare(c.declarations);
    Page page{"4", {}};
    for (const Place& p : kPlaces) {
        bool used = false;
        for (const Arc& a : c.transition.arcs) used = used || a.place == p.ml;
        if (!used) continue;
        Place q = p;
        const auto m = std::find_if(c.markings.begin(), c.markings.end(), [&](auto& x) { return x.first == p.ml; });
        q.has_marking = m != c.markings.end();
        page.places.push_back(q);
        if (q.has_marking) marking(q, m->second);
    }
    ok("usestring[(TOLQ'Edit.ParseLocDecl \"4\")];\n", "");
    check(page, c.transition);
    EXPECT_EQ(switch_to_simulator(page, {c.transition}), std::vector<int>{c.rounds});
    instance("50", page);
    instance("51", page);
    reset(page, {{"30", "50"}});

    // Every binding of the marking, nothing reserved; the fast function
    // finds the same.
    for (const char* f : {"TOLQ'BF30", "TOLQ'FastBF30"}) {
        const Reply all = ask(std::string(f) + "(TOLQ'PS50,TOLQ'TS50,99999,TOLQ'EB30,false,false,());\n");
        ASSERT_EQ(all.result, Result::Success) << all.raw;
        EXPECT_EQ(sorted(values(all.text)), sorted(c.blocks)) << f;
    }
    // Reserving: bindings that can occur together, each once.
    const auto reserved = values(bind_with_number("30", "50", 99999).text);
    EXPECT_EQ(reserved.empty(), c.blocks.empty());
    for (const auto& b : reserved) EXPECT_NE(std::find(c.blocks.begin(), c.blocks.end(), b), c.blocks.end());
    // One at a time until the tokens are used up, in the other instance
    // (a binding may come again while its tokens last).
    std::vector<std::string> one_by_one;
    for (int k = 0; k < 10; ++k) {
        const auto v = values(bind_with_number("30", "51", 1).text);
        if (v.empty()) break;
        one_by_one.insert(one_by_one.end(), v.begin(), v.end());
    }
    EXPECT_GE(one_by_one.size(), reserved.size());
    for (const auto& b : one_by_one) EXPECT_NE(std::find(c.blocks.begin(), c.blocks.end(), b), c.blocks.end());
}

INSTANTIATE_TEST_SUITE_P(Nets, BindingTest, testing::ValuesIn(kBindCases),
                         [](const testing::TestParamInfo<BindCase>& info) { return std::string(info.param.name); });

// ---- variables no input arc binds, and transitions without variables ----

TEST_F(SimTest, OpenVariablesAreDrawnByTheRandomFormOfTheBinding) {
    declare("colset INT = int; colset D = int with 1 .. 6; var x : INT; var y : D;");
    Page page{"4", {{"5", "INT"}, {"6", "D", false, false}}};
    Transition t{"30", "", false, {{"31", "40", "5", true, "x"}, {"32", "41", "6", false, "y"}}};
    marking(page.places[0], "1`1");
    ok("usestring[(TOLQ'Edit.ParseLocDecl \"4\")];\n", "");
    check(page, t);
    switch_to_simulator(page, {t});
    instance("50", page);
    reset(page, {{"30", "50"}});
    // Complete bindings only: y is open, so none.
    EXPECT_TRUE(values(bind_with_number("30", "50", 1).text).empty());
    // The second form accepts the open value.
    EXPECT_EQ(values(bind_transition("30", "50", 99999, "x= $$,\ny= $$", 2).text),
              std::vector<std::string>{block({"1", ""})});
    // tolq draws y in the evaluator.
    const auto drawn = values(ask("TOLQ'BF30(TOLQ'PS50,TOLQ'TS50,1,{x= $(1),\ny= $(ran'D())},false,true,());\n").text);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].substr(0, 2), std::string("1\0", 2));
    const int y = std::stoi(drawn[0].substr(2));
    EXPECT_TRUE(y >= 1 && y <= 6) << y;
    // The fast function finds no complete binding either.
    const Reply fast = ask("TOLQ'FastBF30(TOLQ'PS50,TOLQ'TS50,1,TOLQ'EB30,false,true,());\n");
    EXPECT_EQ(fast.result, Result::Success) << fast.raw;
    EXPECT_TRUE(values(fast.text).empty());
    EXPECT_EQ(tokens("INT", "5", "50")[0], "0"); // the drawn binding holds the token
}

TEST_F(SimTest, TransitionWithoutVariablesAnswersAnEmptyValue) {
    declare("colset INT = int;");
    Page page{"4", {{"5", "INT"}, {"6", "INT", false, false}}};
    Transition t{"30", "", false, {{"31", "40", "5", true, "1`2", 1, false}, {"32", "41", "6", false, "1`7"}}};
    marking(page.places[0], "1`2");
    ok("usestring[(TOLQ'Edit.ParseLocDecl \"4\")];\n", "");
    check(page, t);
    EXPECT_TRUE(t.vars.empty());
    switch_to_simulator(page, {t});
    instance("50", page);
    reset(page, {{"30", "50"}});
    EXPECT_EQ(values(ask("TOLQ'BF30(TOLQ'PS50,TOLQ'TS50, 1 ,TOLQ'EB30,false,false,());\n").text),
              std::vector<std::string>{""});
    // With value printing off nothing is printed, and back on it is.
    ok("TOLQ'ValuePrint := false;");
    EXPECT_TRUE(values(ask("TOLQ'BF30(TOLQ'PS50,TOLQ'TS50, 1 ,TOLQ'EB30,false,false,());\n").text).empty());
    ok("TOLQ'ValuePrint := true;");
    EXPECT_EQ(ok("TOLQ'CCF30(TOLQ'PS50,TOLQ'TS50,{});\n"), std::vector<std::string>{"1"});
    ok("TOLQ'OF30(TOLQ'TS50,TOLQ'PS50,());\n");
    EXPECT_EQ(tokens("INT", "6", "50"), (std::vector<std::string>{"1", "1`7"}));
    EXPECT_TRUE(values(bind_with_number("30", "50", 1).text).empty());
}

// ---- timed nets ----

TEST_F(SimTest, TimedTokensWaitForTheirTime) {
    declare("colset TIME = time; colset T = int timed; var x : T;");
    Page page{"4", {{"5", "T", true}, {"6", "T", true, false}}, true};
    Transition t{"30", "", false,
                 {{"31", "40", "5", true, "x", 2, true, true}, {"32", "41", "6", false, "1`x@+5", 1, true, true}},
                 {}, true};
    marking(page.places[0], "1`2@10");
    ok("usestring[(TOLQ'Edit.ParseLocDecl \"4\")];\n", "");
    check(page, t);
    switch_to_simulator(page, {t});
    instance("50", page);
    reset(page, {{"30", "50"}});
    ok("TOLQ'IntegerTime.TOLQ'starttime:=0;\n");
    ok("init_state();\ninit_time();\n");
    EXPECT_EQ(ok("TOLQ'Edit.out_val ( mkst_col'TIME ( time () ) ) ;\n"), std::vector<std::string>{"(clock (\"0\"))"});

    // The enabling test asks for the time at which T becomes enabled.
    const std::string test =
        "(TOLQ'Sim.Fair:=false;let val (TOLQ'ti,TOLQ'bi) =TOLQ'BF30(TOLQ'PS50,TOLQ'TS50, 1 ,TOLQ'EB30,true,false,());"
        " in (TOLQ't30_50:=TOLQ'ti; (TOLQ'ti,TOLQ'bi))end;\nTOLQ'Sim.Fair:=false);\n";
    EXPECT_EQ(ok(test), std::vector<std::string>{"(clock (\"10\"))"});
    EXPECT_TRUE(values(bind_with_number("30", "50", 1).text).empty());

    // tolq moves the clock to the next enabling time.
    const std::string set_time =
        "TOLQ'Sim.IntTimeInc := IntInf.- (!TOLQ'Sim.IntTimeInc, !TOLQ'ModelTime);\nTOLQ'CreationTime := "
        "!TOLQ'ModelTime;(fn (SOME time) => (TOLQ'ModelTime := time) | NONE => ()) (TOLQ'minlist (TOLQ'tlist));\n";
    ok(set_time);
    ok("TOLQ'Sim.IntTimeInc := IntInf.+ (!TOLQ'Sim.IntTimeInc, !TOLQ'ModelTime);\n");
    EXPECT_EQ(ok("TOLQ'Edit.out_val ( mkst_col'TIME' ( time () ) ) ;\n"), std::vector<std::string>{"10"});

    EXPECT_EQ(values(bind_with_number("30", "50", 1).text), std::vector<std::string>{block({"2"})});
    ok("TOLQ'ACAF30(TOLQ'TS50,{x= $(2)});\n");
    ok("TOLQ'OF30(TOLQ'TS50,TOLQ'PS50,());\n");
    EXPECT_EQ(tokens("T", "6", "50"), (std::vector<std::string>{"1", "(1`2@15)"}));
    EXPECT_EQ(ok("TOLQ''NumTok (!(#P5 TOLQ'PS50));\n"), std::vector<std::string>{"0"});
    // Stop when time advanced.
    ok("let val _ = TOLQ'Sim.NoLimit:=false\nval _ = TOLQ'Sim.AddSteps:=false\nval _ = TOLQ'Sim.UntilStepNo:=false\n"
       "val _ = TOLQ'Sim.AddTime:=false\nval _ = TOLQ'Sim.UntilTime:=false\nval _ = TOLQ'Sim.UntilTimeAdv:=true\n in ()end;");
    EXPECT_EQ(ok("TOLQ'Edit.out_val(makestring(if TOLQ'StopCriteria() then 1 else 0));\n"),
              std::vector<std::string>{"1"});
}

// ---- options, stop criteria, report and the reset's texts ----

struct StopCase {
    const char* options; // the text of the stop options request
    const char* steps;   // step requests before the test
    const char* expected;
};

const StopCase kStops[] = {
    {"", "", "0"},
    {"AddSteps:=true\nval _ = TOLQ'Sim.AddStepsVal:=2", "1", "0"},
    {"AddSteps:=true\nval _ = TOLQ'Sim.AddStepsVal:=2", "12", "1"},
    {"UntilStepNo:=true\nval _ = TOLQ'Sim.UntilStepNoVal:=5", "1234", "0"},
    {"UntilStepNo:=true\nval _ = TOLQ'Sim.UntilStepNoVal:=5", "12345", "1"},
    {"AddTime:=true\nval SOME TOLQ'theTime = (IntInf.fromString \"7\")\nval _ = TOLQ'Sim.IntAddTimeVal:=TOLQ'theTime",
     "", "0"},
    {"UntilTime:=true\nval SOME TOLQ'theTime = (IntInf.fromString \"0\")\nval _ = TOLQ'Sim.IntUntilTimeVal:=TOLQ'theTime",
     "", "1"},
};

TEST_F(SimTest, StopCriteriaFollowTheStopOptionsAndSteps) {
    for (const StopCase& c : kStops) {
        SCOPED_TRACE(c.options);
        std::string text = "let ";
        text += std::string("val _ = TOLQ'Sim.NoLimit:=") + (*c.options ? "false" : "true") + "\n";
        for (const char* flag : {"AddSteps", "UntilStepNo", "AddTime", "UntilTime", "UntilTimeAdv"}) {
            const std::string f = flag;
            if (std::string(c.options).rfind(f + ":=", 0) == 0) text += "val _ = TOLQ'Sim." + std::string(c.options) + "\n";
            else text += "val _ = TOLQ'Sim." + f + ":=false\n";
        }
        ok(text + " in ()end;");
        ok("TOLQ'Sim.LocStep := 0;\nTOLQ'Sim.IntTimeInc := (IntInf.fromInt 0);\n");
        for (const char* s = c.steps; *s; ++s)
            ok("TOLQ'Sim.CurStep := " + std::string(1, *s) + ";\nTOLQ'Sim.LocStep := !TOLQ'Sim.LocStep + 1;\n");
        EXPECT_EQ(ok("TOLQ'Edit.out_val(makestring(if TOLQ'StopCriteria() then 1 else 0));\n"),
                  std::vector<std::string>{c.expected});
    }
    // A time text that is no number is refused.
    EXPECT_NE(ask("let val _ = TOLQ'Sim.AddTime:=true\nval SOME TOLQ'theTime = (IntInf.fromString \"x\")\n in ()end;")
                  .result,
              Result::Success);
}

TEST_F(SimTest, OptionsAndResetTextsAreAccepted) {
    for (const char* text : {
             "TOLQ'Sim.Fair:=true;\n", "TOLQ'Sim.TimeFair:=false;\n", "TOLQ'Sim.SetSeed 113;\n",
             "TOLQ'Sim.SetSeed ~5;\n", "TOLQ'Sim.WithCode:=true;\n", "TOLQ'Sim.PrintTime:=true;\n",
             "let val _ = TOLQ'Sim.Feedback:=true\nval _ = TOLQ'Sim.BindFeedback:=false\n in ()end;",
             "(TOLQ'Sim.GenWithTime := true);\n(TOLQ'Sim.GenBothWithTime := false);\n"
             "(TOLQ'Sim.GenBothWithCode := true);\n",
             "TOLQ'Edit.TimeType:=1;\n", "TOLQ'Edit.OutputOn();\n", "TOLQ'Edit.OutputOff();\n",
             "TOLQ'VelkorResourceDir := \"/tmp\";\n", "TOLQ'ValuePrint := true;",
             "(!TOLQ'InternalSimCallBack.TOLQ'InternalStopCallBack());",
             "usestring[(\"val trans_seq = \"^\n\"[(\\\"\\\",\\\"\\\",\\\"\\\",\\\"\\\",true,true,true)];\")];\n",
             "TOLQ'sacgen.GenSaveStateData();\nTOLQ'sacgen.gen_init_state(trans_seq);\n",
             "val ChartList = [];\nusestring [TOLQ'sacgen.gen_charts ChartList];\n",
             "usestring(TOLQ'sacgen.gen_funs (trans_seq, true));",
             "usestring(TOLQ'sacgen.gen_step (trans_seq, false));usestring[(\"TOLQ'sacgen.clean_up()\")];",
             "TOLQ'RealTime.TOLQ'starttime:=3;\n",
             "TOLQ'Edit.out_val(Int.toString (!TOLQ'maxint));\n",
         }) {
        EXPECT_EQ(ask(text).result, Result::Success) << text;
    }
    // The version announces the occurrence-graph library.
    const auto vers = ok("TOLQ'Edit.out_val(!TOLQ'MLvers);");
    ASSERT_EQ(vers.size(), 1u);
    EXPECT_EQ(vers[0].substr(vers[0].size() - 3), "OGA");
    // Resetting the model time twice leaves the creation time at the start.
    ok("TOLQ'ModelTime := 9;");
    for (int i = 0; i < 2; ++i) {
        ok("TOLQ'Sim.IntTimeInc := IntInf.- (!TOLQ'Sim.IntTimeInc, !TOLQ'ModelTime);\nTOLQ'CreationTime := "
           "!TOLQ'ModelTime;(fn (SOME time) => (TOLQ'ModelTime := time) | NONE => ()) ((SOME (IntInf.fromInt "
           "(!TOLQ'starttime))));\n");
        ok("TOLQ'Sim.IntTimeInc := IntInf.+ (!TOLQ'Sim.IntTimeInc, !TOLQ'ModelTime);\n");
    }
    EXPECT_EQ(ok("TOLQ'Edit.out_val (IntInf.toString (!TOLQ'CreationTime));"), std::vector<std::string>{"3"});
    EXPECT_EQ(ok("TOLQ'Edit.out_val ( mkst_col'TIME ( time () ) ) ;\n"), std::vector<std::string>{"(clock (\"3\"))"});
}

TEST_F(SimTest, ReportIsWrittenToTheFileTolqNames) {
    ok("TOLQ'Sim.write_report(\"1 I T@(1:Top#1)\"^\"\\n\");TOLQ'Sim.write_report(\"    {x = \\\"a\\\"}\"^\"\\n\");");
    char dir_template[] = "/tmp/evalsim-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string path = std::string(dir_template) + "/report.txt";

    const auto save = [&](const std::string& answer) {
        link_->evaluate_async("TOLQ'Sim.ReportSimulation();");
        const std::string head = link_->read_binary(8);
        EXPECT_EQ(evaluator::word_at(head, 0), 4u);
        const std::string body = link_->read_binary(evaluator::word_at(head, 4));
        EXPECT_EQ(evaluator::word_at(body, 0), 1200u);
        link_->send_binary(evaluator::word(2) + evaluator::raw_string(answer));
        return link_->read_reply();
    };
    EXPECT_EQ(save(evaluator::word(1) + evaluator::raw_string(path)).result, Result::Success);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "1 I T@(1:Top#1)\n    {x = \"a\"}\n");

    // Cancelled: nothing written; unwritable: an error reply.
    std::remove(path.c_str());
    EXPECT_EQ(save(evaluator::word(0)).result, Result::Success);
    EXPECT_FALSE(std::ifstream(path).good());
    EXPECT_EQ(save(evaluator::word(1) + evaluator::raw_string(std::string(dir_template) + "/no/such/file")).result,
              Result::ErrorClass);

    ok("TOLQ'Sim.ClearReport();");
    EXPECT_EQ(save(evaluator::word(1) + evaluator::raw_string(path)).result, Result::Success);
    std::ifstream again(path);
    std::stringstream cleared;
    cleared << again.rdbuf();
    EXPECT_EQ(cleared.str(), "");
    std::remove(path.c_str());
    rmdir(dir_template);
}

// Texts that reach the binding-code requests are untrusted: each gives a
// reply and the evaluator goes on.
TEST_F(SimTest, BadBindingCodeRequestsGiveErrorReplies) {
    declare("colset INT = int; var x : INT;");
    for (const char* text : {
             "TOLQ'Edit.BindTabInit([{name=\"x y\",color=\"INT\",code=1}],false,\"7\",\"8\",1,false);",
             "TOLQ'Edit.BindTabInit([{name=\"x\",color=\"INT\",code=1}],false,\"7;\",\"8\",1,false);",
             "TOLQ'Edit.BindTabInit([{name=\"x\",color=\"INT\",code=1}],false,\"7\",\"8\",~1,false);",
             "usestring[(TOLQ'Edit.CrCanon (true, false))];",
         }) {
        EXPECT_NE(ask(text).result, Result::Success) << text;
    }
    // A transition type that exists, and patterns that do not fit it: the
    // canonical code keeps what compiles.
    ok("TOLQ'Edit.VarTabInit();");
    ok("TOLQ'Edit.VarInArc  \"1\";", "x");
    ok("usestring[(TOLQ'Edit.ReturnVarTabel \"60\")];");
    ok("TOLQ'Edit.BindTabInit([{name=\"x\",color=\"INT\",code=1}],false,\"60\",\"61\",1,false);");
    ok("TOLQ'Edit.ParseTExp  1;", "\"text\"");
    ok("TOLQ'Edit.StoreTExp();");
    ok("TOLQ'Edit.ParseTExp  1;", "x");
    ok("TOLQ'Edit.StoreTExp();");
    ok("TOLQ'Edit.ParseTExp  9;", "x");
    ok("TOLQ'Edit.StoreTExp();");
    EXPECT_EQ(ok("usestring[(TOLQ'Edit.BindSeq (true, false))];"), std::vector<std::string>{"0"});
    EXPECT_EQ(ok("usestring[(TOLQ'Edit.CrCanon (true, false))];"), std::vector<std::string>{"1"});
    const Reply r = ask("TOLQ'CBF61 (fn _ => true, fn _ => true, 1`4++1`5, 99999, TOLQ'EB60);");
    EXPECT_EQ(sorted(values(r.text)), (std::vector<std::string>{block({"4"}), block({"5"})})) << r.raw;
}

} // namespace
} // namespace tolq::test::evalsim
