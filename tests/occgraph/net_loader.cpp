// The switch's request sequence for a one-page net, and the nets with known
// graphs that the occurrence-graph tests and benchmarks use.
#include "net_loader.h"

#include <algorithm>

namespace tolq::test::occgraph {

std::vector<std::string> values(const std::string& text)
{
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

namespace {

class Loader {
public:
    Loader(const Evaluate& evaluate, NetSpec net) : evaluate_(evaluate), net_(std::move(net)) {}

    std::vector<std::string> run()
    {
        Page& page = net_.page;
        declare(net_.declarations);
        for (std::size_t i = 0; i < page.places.size(); ++i) {
            page.places[i].has_marking = !net_.markings[i].empty();
            marking(page.places[i], net_.markings[i]);
        }
        ok("usestring[(TOLQ'Edit.ParseLocDecl \"" + page.ml + "\")];\n", "");
        for (Transition& t : net_.transitions) check(t);
        switchCode();
        instance("50");
        reset("50");
        return failures_;
    }

private:
    std::vector<std::string> ok(const std::string& ml, const std::string* input = nullptr)
    {
        const Answer a = evaluate_(ml, input);
        if (!a.ok) failures_.push_back(ml + "\n" + a.text);
        return values(a.text);
    }
    std::vector<std::string> ok(const std::string& ml, const std::string& input) { return ok(ml, &input); }
    bool compiles(const std::string& ml) { return evaluate_(ml, nullptr).ok; }

    void declare(const std::string& text)
    {
        ok("TOLQ'Edit.ParseGlobDecl();\n", text);
        for (int round = 0; round < 100; ++round) {
            const auto v = ok("usestring[(TOLQ'Edit.DefineGlob())];\n");
            if (v.empty() || v.back() != "0") return;
        }
        failures_.push_back("declarations never ended");
    }

    void marking(const Place& p, const std::string& text)
    {
        const std::string timed = p.timed ? "true" : "false";
        if (text.empty())
            ok("TOLQ'Edit.CheckEmptyMarking (" + timed + ",\"" + p.ml + "\",\"" + p.cs + "\");\n");
        else
            ok("TOLQ'Edit.CheckInitialMarking (" + timed + ",\"" + p.ml + "\",\"" + p.cs + "\");\n", text);
    }

    void check(Transition& t)
    {
        ok("TOLQ'Edit.VarTabInit();\n");
        for (const Arc& a : t.arcs)
            ok(std::string("TOLQ'Edit.") + (a.input ? "VarInArc" : "VarOutArc") + "  \"" + a.ml + "\";\n", a.expr);
        if (!t.guard.empty()) ok("TOLQ'Edit.VarGuard ();\n", t.guard);
        const auto table = ok("usestring[(TOLQ'Edit.ReturnVarTabel \"" + t.ml + "\")];\n");
        t.vars.clear();
        for (std::size_t i = 0; i + 2 < table.size(); i += 3)
            t.vars.push_back({table[i], table[i + 1], static_cast<unsigned>(std::stoul(table[i + 2]))});
        evaluate_("TOLQ'Edit.CheckGuard();\n", nullptr);
        for (const Arc& a : t.arcs) {
            const Place& p = evalsim::place_of(net_.page, a.place);
            ok("TOLQ'Edit.CheckArc(" + std::string(!a.input && a.timed ? "true" : "false") + ",\"" + a.ml + "\",\"" +
               a.af + "\",\"" + p.cs + "\");\n");
        }
    }

    bool patternOk(const std::string& text) { return compiles("fun TOLQ'dummy (" + text + ") = ();\n"); }

    void bindingCode(const Transition& t, const std::string& entry)
    {
        ok(evalsim::bind_tab_init(t, entry));
        if (!t.guard.empty()) {
            const auto n = ok(std::string("TOLQ'Edit.ParseGuard ") + (t.guard_list ? "true" : "false") + ";\n", t.guard);
            const int parts = n.empty() ? 0 : std::stoi(n[0]);
            for (int i = 0; i < parts; ++i) {
                const auto part = ok("TOLQ'Edit.GetS1Guard();\n");
                ok(!part.empty() && patternOk(part[0]) ? "TOLQ'Edit.StoreGuard();\n" : "TOLQ'Edit.DisposeGuard();\n");
            }
        }
        const auto places = evalsim::entry_places(t);
        const auto position = [&](const Arc& a) {
            return std::to_string(std::find(places.begin(), places.end(), a.place) - places.begin() + 1);
        };
        for (const Arc& a : t.arcs) {
            if (!a.input || a.token_type == 1) continue;
            const auto v = ok("TOLQ'Edit.ParseTExp  " + position(a) + ";\n", a.expr);
            if (!v.empty() && patternOk(v[0])) ok("TOLQ'Edit.StoreTExp();\n");
        }
        const std::string seq = "usestring[(TOLQ'Edit.BindSeq (true, true))];\n";
        if (ok(seq) == std::vector<std::string>{"1"}) return;
        for (const Arc& a : t.arcs) {
            if (!a.input || a.token_type == 2) continue;
            ok("TOLQ'Edit.ParseMExp  " + position(a) + ";\n", a.expr);
            for (int i = 0; i < 50; ++i) {
                const auto c = ok("TOLQ'Edit.GetUSMCand();\n");
                if (c.empty()) break;
                ok(patternOk(c[0]) ? "TOLQ'Edit.StoreUSM();\n" : "TOLQ'Edit.DisposeUSM();\n");
            }
        }
        if (ok(seq) == std::vector<std::string>{"1"}) return;
        ok("usestring[(TOLQ'Edit.CrCanon (true, true))];\n");
    }

    static bool timedOut(const Transition& t)
    {
        return std::any_of(t.arcs.begin(), t.arcs.end(), [](const Arc& a) { return !a.input && a.timed; });
    }

    void switchCode()
    {
        const Page& page = net_.page;
        ok("TOLQ'Edit.DoDefinitions();\r");
        ok("TOLQ'Sim.WithTime:=" + std::string(page.time_colour_set ? "true" : "false") + ";");
        for (const auto& text : evalsim::page_types(page)) ok(text);
        const auto trans = evalsim::transition_states(page, net_.transitions);
        ok(trans[0]);
        for (const auto& text : evalsim::page_states(page)) ok(text);
        ok(trans[1]);
        int entry = 500;
        for (const Transition& t : net_.transitions) {
            ok(evalsim::occurrence_function(page, t));
            ok(evalsim::enabling_block(page, t));
            if (timedOut(t)) ok(evalsim::arc_change_function(page, t));
            ok(evalsim::output_function(page, t));
            if (t.vars.empty()) {
                ok(evalsim::var_free_binding_function(page, t));
                ok(evalsim::var_free_binding_function(page, t, true));
            } else {
                const std::string e = std::to_string(entry++);
                bindingCode(t, e);
                ok(evalsim::binding_function(page, t, e));
                ok(evalsim::binding_function(page, t, e, true));
            }
        }
        ok("fun TOLQ'InitFS() = (());\n");
    }

    void instance(const std::string& i)
    {
        const std::string& p = net_.page.ml;
        ok("val TOLQ'IRS" + i + " = TOLQ'CRI" + p + "();\n");
        ok("val TOLQ'PS" + i + "=TOLQ'CrPS" + p + "()\nval TOLQ'IPS" + i + "=TOLQ'CrIPS" + p + ";\n");
        ok("val TOLQ'TS" + i + "=TOLQ'CrTS" + p + "();\n");
    }

    void reset(const std::string& i)
    {
        std::string seq = "usestring[(\"val trans_seq = \"^\n";
        for (const Transition& t : net_.transitions)
            seq += "\"[(\\\"T" + t.ml + "@(1:Top#1)\\\",\\\"" + t.ml + "\\\",\\\"" + i + "\\\",\\\"" + net_.page.ml +
                   "\\\",false,false," + (timedOut(t) ? "true" : "false") + ")]^^\"^\n";
        seq += "\"[(\\\"\\\",\\\"\\\",\\\"\\\",\\\"\\\",true,true,true)];\")];\n";
        ok(seq);
        ok("TOLQ'sacgen.GenSaveStateData();\nTOLQ'sacgen.gen_init_state(trans_seq);\n");
    }

    const Evaluate& evaluate_;
    NetSpec net_;
    std::vector<std::string> failures_;
};

std::string tokens(int from, int to)
{
    std::string m;
    for (int i = from; i <= to; ++i) m += (m.empty() ? "" : "++") + std::string("1`") + std::to_string(i);
    return m;
}

} // namespace

std::vector<std::string> load_net(const Evaluate& evaluate, NetSpec net) { return Loader(evaluate, std::move(net)).run(); }

Transition move(const std::string& t, const std::string& from, const std::string& to, const std::string& expr, int n)
{
    const std::string a = std::to_string(1000 + 2 * n), b = std::to_string(1001 + 2 * n);
    const std::string fa = std::to_string(3000 + 2 * n), fb = std::to_string(3001 + 2 * n);
    return {t, "", false, {{a, fa, from, true, expr}, {b, fb, to, false, expr}}};
}

NetSpec ring()
{
    return {"colset INT = int; var x : INT;",
            {"4", {{"5", "INT"}, {"6", "INT"}, {"7", "INT"}}},
            {"1`1", "", ""},
            {move("30", "5", "6", "x", 0), move("31", "6", "7", "x", 1), move("32", "7", "5", "x", 2)}};
}

NetSpec buffer(int k, bool consumer)
{
    NetSpec net{"colset INT = int; var x : INT;",
                {"4", {{"5", "INT"}, {"6", "INT"}}},
                {std::to_string(k) + "`0", ""},
                {move("30", "5", "6", "x", 0)}};
    if (consumer) net.transitions.push_back(move("31", "6", "5", "x", 1));
    return net;
}

NetSpec philosophers(int n)
{
    const std::string forks = "1`p++1`(p mod " + std::to_string(n) + " + 1)";
    const Transition take{"30", "", false,
                          {{"40", "70", "5", true, "p"}, {"41", "71", "7", true, forks, 1}, {"42", "72", "6", false, "p"}}};
    const Transition put{"31", "", false,
                         {{"43", "73", "6", true, "p"}, {"44", "74", "5", false, "p"}, {"45", "75", "7", false, forks}}};
    return {"colset PH = int with 1 .. " + std::to_string(n) + "; var p : PH;",
            {"4", {{"5", "PH"}, {"6", "PH"}, {"7", "PH"}}},
            {tokens(1, n), "", tokens(1, n)},
            {take, put}};
}

// n independent buffers of capacity k, each with its own places and
// transitions: (k + 1)^n markings.
NetSpec pairs(int n, int k)
{
    NetSpec net{"colset INT = int; var x : INT;", {"4", {}}, {}, {}};
    for (int i = 0; i < n; ++i) {
        const std::string free = std::to_string(100 + 2 * i), full = std::to_string(101 + 2 * i);
        net.page.places.push_back({free, "INT"});
        net.page.places.push_back({full, "INT"});
        net.markings.push_back(std::to_string(k) + "`0");
        net.markings.push_back("");
        net.transitions.push_back(move(std::to_string(200 + 2 * i), free, full, "x", 2 * i));
        net.transitions.push_back(move(std::to_string(201 + 2 * i), full, free, "x", 2 * i + 1));
    }
    return net;
}

} // namespace tolq::test::occgraph
