// A net put into the real evaluator the way tolq's switch puts it there:
// declarations and markings checked, transitions checked and their code
// generated, page instances made and the state reset. The occurrence-graph
// tests then ask the evaluator's library about the net.
#pragma once

#include "evaluator_link.h"
#include "net_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tolq::test::occgraph {

using evalsim::Arc;
using evalsim::Page;
using evalsim::Place;
using evalsim::Transition;
using evaluator::Reply;
using evaluator::Result;

// The values of a reply, each between two \006 bytes.
inline std::vector<std::string> values(const std::string& text) {
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

// A one-page net: declarations, places with their initial markings (an
// empty text: no initial marking), transitions.
struct NetSpec {
    std::string declarations;
    Page page;
    std::vector<std::string> markings; // one per place of the page
    std::vector<Transition> transitions;
};

class SimSession : public testing::Test {
protected:
    void SetUp() override { link_ = evaluator::start_local(evaluator::default_heap()); }

    Reply ask(const std::string& ml, const std::string* input = nullptr) {
        link_->evaluate_async(ml);
        if (input) link_->send_text(evaluator::encode_input_text(*input));
        return link_->read_reply();
    }

    std::vector<std::string> ok(const std::string& ml, const std::string* input = nullptr) {
        const Reply r = ask(ml, input);
        EXPECT_EQ(r.result, Result::Success) << ml << "\n" << r.raw;
        return values(r.text);
    }
    std::vector<std::string> ok_in(const std::string& ml, const std::string& input) { return ok(ml, &input); }

    void declare(const std::string& text) {
        ok_in("TOLQ'Edit.ParseGlobDecl();\n", text);
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
            ok_in("TOLQ'Edit.CheckInitialMarking (" + timed + ",\"" + p.ml + "\",\"" + p.cs + "\");\n", text);
    }

    void check(Transition& t) {
        ok("TOLQ'Edit.VarTabInit();\n");
        for (const Arc& a : t.arcs)
            ok_in(std::string("TOLQ'Edit.") + (a.input ? "VarInArc" : "VarOutArc") + "  \"" + a.ml + "\";\n", a.expr);
        if (!t.guard.empty()) ok_in("TOLQ'Edit.VarGuard ();\n", t.guard);
        const auto table = ok("usestring[(TOLQ'Edit.ReturnVarTabel \"" + t.ml + "\")];\n");
        t.vars.clear();
        for (std::size_t i = 0; i + 2 < table.size(); i += 3)
            t.vars.push_back({table[i], table[i + 1], static_cast<unsigned>(std::stoul(table[i + 2]))});
        ask("TOLQ'Edit.CheckGuard();\n");
        for (const Arc& a : t.arcs) {
            const Place& p = evalsim::place_of(page_, a.place);
            ok("TOLQ'Edit.CheckArc(" + std::string(!a.input && a.timed ? "true" : "false") + ",\"" + a.ml + "\",\"" +
               a.af + "\",\"" + p.cs + "\");\n");
        }
    }

    bool pattern_ok(const std::string& text) {
        return ask("fun TOLQ'dummy (" + text + ") = ();\n").result == Result::Success;
    }

    void binding_code(const Transition& t, const std::string& entry) {
        ok(evalsim::bind_tab_init(t, entry));
        if (!t.guard.empty()) {
            const auto n = ok_in(std::string("TOLQ'Edit.ParseGuard ") + (t.guard_list ? "true" : "false") + ";\n",
                                 t.guard);
            const int parts = n.empty() ? 0 : std::stoi(n[0]);
            for (int i = 0; i < parts; ++i) {
                const auto part = ok("TOLQ'Edit.GetS1Guard();\n");
                ok(!part.empty() && pattern_ok(part[0]) ? "TOLQ'Edit.StoreGuard();\n" : "TOLQ'Edit.DisposeGuard();\n");
            }
        }
        const auto places = evalsim::entry_places(t);
        const auto position = [&](const Arc& a) {
            return std::to_string(std::find(places.begin(), places.end(), a.place) - places.begin() + 1);
        };
        for (const Arc& a : t.arcs) {
            if (!a.input || a.token_type == 1) continue;
            const auto v = ok_in("TOLQ'Edit.ParseTExp  " + position(a) + ";\n", a.expr);
            if (!v.empty() && pattern_ok(v[0])) ok("TOLQ'Edit.StoreTExp();\n");
        }
        const std::string seq = "usestring[(TOLQ'Edit.BindSeq (true, true))];\n";
        if (ok(seq) == std::vector<std::string>{"1"}) return;
        for (const Arc& a : t.arcs) {
            if (!a.input || a.token_type == 2) continue;
            ok_in("TOLQ'Edit.ParseMExp  " + position(a) + ";\n", a.expr);
            for (int i = 0; i < 50; ++i) {
                const auto c = ok("TOLQ'Edit.GetUSMCand();\n");
                if (c.empty()) break;
                ok(pattern_ok(c[0]) ? "TOLQ'Edit.StoreUSM();\n" : "TOLQ'Edit.DisposeUSM();\n");
            }
        }
        if (ok(seq) == std::vector<std::string>{"1"}) return;
        ok("usestring[(TOLQ'Edit.CrCanon (true, true))];\n");
    }

    // The whole switch of the net with one page instance "50", then the
    // reset's transition sequence.
    void load(NetSpec net) {
        page_ = net.page;
        declare(net.declarations);
        for (std::size_t i = 0; i < page_.places.size(); ++i) {
            page_.places[i].has_marking = !net.markings[i].empty();
            marking(page_.places[i], net.markings[i]);
        }
        ok_in("usestring[(TOLQ'Edit.ParseLocDecl \"" + page_.ml + "\")];\n", "");
        for (Transition& t : net.transitions) check(t);
        ok("TOLQ'Edit.DoDefinitions();\r");
        ok("TOLQ'Sim.WithTime:=" + std::string(page_.time_colour_set ? "true" : "false") + ";");
        for (const auto& text : evalsim::page_types(page_)) ok(text);
        const auto trans = evalsim::transition_states(page_, net.transitions);
        ok(trans[0]);
        for (const auto& text : evalsim::page_states(page_)) ok(text);
        ok(trans[1]);
        int entry = 500;
        for (const Transition& t : net.transitions) {
            ok(evalsim::occurrence_function(page_, t));
            ok(evalsim::enabling_block(page_, t));
            bool timed_out = false;
            for (const Arc& a : t.arcs) timed_out = timed_out || (!a.input && a.timed);
            if (timed_out) ok(evalsim::arc_change_function(page_, t));
            ok(evalsim::output_function(page_, t));
            if (t.vars.empty()) {
                ok(evalsim::var_free_binding_function(page_, t));
                ok(evalsim::var_free_binding_function(page_, t, true));
            } else {
                const std::string e = std::to_string(entry++);
                binding_code(t, e);
                ok(evalsim::binding_function(page_, t, e));
                ok(evalsim::binding_function(page_, t, e, true));
            }
        }
        ok("fun TOLQ'InitFS() = (());\n");
        const std::string i = "50";
        ok("val TOLQ'IRS" + i + " = TOLQ'CRI" + page_.ml + "();\n");
        ok("val TOLQ'PS" + i + "=TOLQ'CrPS" + page_.ml + "()\nval TOLQ'IPS" + i + "=TOLQ'CrIPS" + page_.ml + ";\n");
        ok("val TOLQ'TS" + i + "=TOLQ'CrTS" + page_.ml + "();\n");
        std::string seq = "usestring[(\"val trans_seq = \"^\n";
        for (const Transition& t : net.transitions) {
            bool timed_out = false;
            for (const Arc& a : t.arcs) timed_out = timed_out || (!a.input && a.timed);
            seq += "\"[(\\\"T" + t.ml + "@(1:Top#1)\\\",\\\"" + t.ml + "\\\",\\\"" + i + "\\\",\\\"" + page_.ml +
                   "\\\",false,false," + (timed_out ? "true" : "false") + ")]^^\"^\n";
        }
        seq += "\"[(\\\"\\\",\\\"\\\",\\\"\\\",\\\"\\\",true,true,true)];\")];\n";
        ok(seq);
        ok("TOLQ'sacgen.GenSaveStateData();\nTOLQ'sacgen.gen_init_state(trans_seq);\n");
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
    Page page_;
};

} // namespace tolq::test::occgraph
