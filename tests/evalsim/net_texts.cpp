// tolq's simulation texts for a one-page net of plain places, written the
// way the code generator writes them.
#include "net_texts.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace tolq::test::evalsim {
namespace {

std::string ms_word(const Place& p) { return p.timed ? " tms" : " ms"; }
std::string empty_of(const Place& p) { return p.timed ? "tempty" : "empty"; }
std::string ref(const std::string& place, const std::string& state) {
    return "(#P" + place + " " + state + ")";
}

std::vector<const Arc*> arcs_of(const Transition& t, bool input) {
    std::vector<const Arc*> out;
    for (const Arc& a : t.arcs)
        if (a.input == input) out.push_back(&a);
    return out;
}

// Input places in first-seen order with their arcs.
std::vector<std::pair<std::string, std::vector<const Arc*>>> groups(const Transition& t) {
    std::vector<std::pair<std::string, std::vector<const Arc*>>> out;
    for (const Arc* a : arcs_of(t, true)) {
        auto it = std::find_if(out.begin(), out.end(), [&](auto& g) { return g.first == a->place; });
        if (it == out.end()) out.push_back({a->place, {a}});
        else it->second.push_back(a);
    }
    return out;
}

} // namespace

const Place& place_of(const Page& page, const std::string& ml) {
    for (const Place& p : page.places)
        if (p.ml == ml) return p;
    throw std::logic_error("no place " + ml);
}

std::vector<std::string> page_types(const Page& page) {
    std::string pt = "type TOLQ'PT" + page.ml + "={\n";
    std::string ipt = "type TOLQ'IPT" + page.ml + "={\n";
    for (std::size_t i = 0; i < page.places.size(); ++i) {
        const Place& p = page.places[i];
        const std::string sep = i ? "," : "";
        pt += sep + "P" + p.ml + ":(" + p.cs + ms_word(p) + ")ref\n";
        ipt += sep + "P" + p.ml + ":(" + p.cs + ms_word(p) + ")\n";
    }
    return {pt + "};\n", ipt + "};\n"};
}

std::vector<std::string> page_states(const Page& page) {
    std::string ps = "fun TOLQ'CrPS" + page.ml + "()={\n";
    std::string ips = "fun TOLQ'CrIPS" + page.ml + "()={\n";
    std::string copy = "fun InstMark" + page.ml + " (PS:TOLQ'PT" + page.ml + ", IPS:TOLQ'IPT" +
                       page.ml + ") = (\n";
    for (std::size_t i = 0; i < page.places.size(); ++i) {
        const Place& p = page.places[i];
        const std::string sep = i ? "," : "";
        const std::string init = p.has_marking ? "(TOLQ'IM" + p.ml + "())" : empty_of(p);
        ps += sep + "P" + p.ml + "=ref " + init + "\n";
        ips += sep + "P" + p.ml + "= " + init + "\n";
        copy += "(#P" + p.ml + " PS):= (#P" + p.ml + " IPS);\n";
    }
    return {ps + "}:TOLQ'PT" + page.ml + ";\n", ips + "}:TOLQ'IPT" + page.ml + ";\n", copy + "());\n"};
}

std::vector<std::string> transition_states(const Page& page, const std::vector<Transition>& ts) {
    std::string tt = "type TOLQ'TT" + page.ml + "={\n";
    std::string cr = "fun TOLQ'CrTS" + page.ml + " ()={\n";
    bool first = true;
    for (const Transition& t : ts)
        for (const Arc& a : t.arcs) {
            const std::string sep = first ? "" : ",";
            first = false;
            const Place& p = place_of(page, a.place);
            tt += sep + "A" + a.ml + ":(" + p.cs + (a.timed ? " tms" : " ms") + ")ref\n";
            cr += sep + "A" + a.ml + "=ref " + (a.timed ? "tempty" : "empty") + "\n";
        }
    return {tt + "};\n", cr + "}:TOLQ'TT" + page.ml + ";\n"};
}

std::string var_pattern(const Transition& t, int selector) {
    std::string out = " {";
    bool any = false;
    for (const Var& v : t.vars) {
        const unsigned b = v.bits;
        bool pick = false;
        switch (selector) {
        case 1: pick = b & 0x4; break;
        case 3: pick = b & 0x1; break;
        case 4: pick = (b & 0x2) && !(b & 0x10); break;
        case 5: pick = b & 0x2; break;
        case 6: pick = b == 2; break;
        case 7: pick = b & 0x10; break;
        }
        if (!pick) continue;
        any = true;
        out += v.name + "=($(" + v.name + ")),\n";
    }
    return any ? out + "...} " : " _ ";
}

std::string occurrence_function(const Page& page, const Transition& t) {
    const std::string& p = page.ml;
    std::string s = "fun TOLQ'CF" + t.ml + " ((TOLQ'c:TOLQ'PT" + p + "),(TOLQ'r:TOLQ'TT" + p +
                    "),TOLQ'b,TOLQ'dir,TOLQ'U) =\n let\n";
    s += "fun TOLQ'op1 (TOLQ'ms1,TOLQ'ms2) = (case TOLQ'dir of \n false => (TOLQ''add "
         "(TOLQ'ms1,TOLQ'ms2))\n | true => (TOLQ''sub (TOLQ'ms1,TOLQ'ms2)));\n fun TOLQ'op2 "
         "(TOLQ'ms1,TOLQ'ms2) = (case TOLQ'dir of false => (TOLQ''sub (TOLQ'ms1,TOLQ'ms2)) | true => "
         "(TOLQ''add (TOLQ'ms1,TOLQ'ms2)))";
    if (page.time_colour_set)
        s += "fun TOLQ't_op1 (TOLQ'ms1,TOLQ'ms2) = (case TOLQ'dir of \n false => (TOLQ'''add "
             "(TOLQ'ms1,TOLQ'ms2))\n | true => (TOLQ'''sub (TOLQ'ms1,TOLQ'ms2)));\n fun TOLQ't_op2 "
             "(TOLQ'ms1,TOLQ'ms2) = (case TOLQ'dir of false => (TOLQ'''sub (TOLQ'ms1,TOLQ'ms2)) | "
             "true => (TOLQ'''add (TOLQ'ms1,TOLQ'ms2)))";
    s += " in (\n";
    for (const Arc* a : arcs_of(t, true)) {
        const std::string r = ref(a->place, "TOLQ'c");
        const std::string op = a->timed ? "TOLQ't_op" : "TOLQ'op";
        s += "let val TOLQ'A = ";
        if (a->timed)
            s += "(TOLQ'selcom false TOLQ'dir\n(if TOLQ'dir then (!" + r + ") else (!(#A" + a->ml +
                 " TOLQ'r)))\n";
        s += "(TOLQ'AF" + a->af + "(TOLQ'b))";
        if (a->timed) s += ")";
        s += "\nin (" + r + ":= " + op + "1((!" + r + "), TOLQ'A);\n(#A" + a->ml + " TOLQ'r) := " + op +
             "2((!(#A" + a->ml + " TOLQ'r)),TOLQ'A))\nend;";
    }
    for (const Arc* a : arcs_of(t, false)) {
        s += "(#A" + a->ml + " TOLQ'r):=\n" + (a->timed ? "TOLQ't_op2" : "TOLQ'op2") + "((!(#A" + a->ml +
             " TOLQ'r)),\n(" + (a->timed ? "TOLQ'CreateEmptyTimeLists" : "") + "(TOLQ'AF" + a->af +
             "(TOLQ'b" + (a->timed ? ",first'TIME,false" : "") + "))));\n\n";
    }
    s += "if not (with_code()) then (\n()) else () ) end;\n";
    return s;
}

std::string enabling_block(const Page& page, const Transition& t) {
    const std::string& p = page.ml;
    const std::string bt = "TOLQ'BT" + t.ml;
    std::string s = "local exception TOLQ'UnboundVar;\n";
    s += "fun TOLQ'CCFG ((TOLQ'b as " + var_pattern(t, 1) + "):" + bt + ") _\n=(TOLQ'GF" + t.ml +
         " TOLQ'b)\n | TOLQ'CCFG _ _ = raise TOLQ'UnboundVar;\n\n";
    s += "fun TOLQ'CCFI (TOLQ'c:TOLQ'PT" + p + ") ((TOLQ'b as " + var_pattern(t, 3) + "):" + bt +
         ") TOLQ'U = \n";
    const auto gs = groups(t);
    if (gs.empty()) s += "true\n";
    for (std::size_t g = 0; g < gs.size(); ++g) {
        const Place& pl = place_of(page, gs[g].first);
        if (g) s += " andalso ";
        s += "((\n";
        for (std::size_t i = 0; i < gs[g].second.size(); ++i)
            s += (i ? " ++ " : "") + std::string("(TOLQ'AF") + gs[g].second[i]->af + "(TOLQ'b))\n";
        s += ") <<= " + std::string(pl.timed ? "striptime" : "") + "(!" + ref(pl.ml, "TOLQ'c") + "))\n\n";
    }
    s += "| TOLQ'CCFI _ _ _ = raise TOLQ'UnboundVar;\n\n";

    bool any_const = false;
    for (const auto& g : gs)
        for (const Arc* a : g.second)
            if (!a->not_constant || a->token_type == 2) any_const = true;
    if (!any_const) {
        s += "fun TOLQ'CCFConst _ _ _ = true;\n";
    } else {
        s += "fun TOLQ'CCFConst (TOLQ'c:TOLQ'PT" + p + ") (TOLQ'b:" + bt + ") TOLQ'U = \n";
        for (std::size_t g = 0; g < gs.size(); ++g) {
            const Place& pl = place_of(page, gs[g].first);
            if (g) s += " andalso ";
            s += "(\n";
            int constants = 0, singles = 0;
            for (const Arc* a : gs[g].second) {
                if (a->token_type == 2) ++singles;
                if (a->not_constant) continue;
                s += std::string(constants++ ? "+" : "(") + "(TOLQ'AF" + a->af + "(TOLQ'b))\n";
            }
            if (constants == 0) s += "true)\n";
            else s += ") <<= " + std::string(pl.timed ? "striptime" : "") + "(!" + ref(pl.ml, "TOLQ'c") + "))\n\n";
            if (singles)
                s += "andalso(" + std::to_string(singles) +
                     (pl.timed ? "<= TOLQ'timeop.tms'size(!" : "<= TOLQ'size(!") + ref(pl.ml, "TOLQ'c") + "))\n";
        }
    }
    if (t.timed) {
        s += "val TOLQ'maxtime = ref first'TIME\nfun TOLQ'CCFT (TOLQ'c:TOLQ'PT" + p + ") ((TOLQ'b as " +
             var_pattern(t, 3) + "):" + bt + ") =\n(TOLQ'maxtime := first'TIME;\n";
        bool first = true;
        for (const auto& g : gs) {
            const Place& pl = place_of(page, g.first);
            if (!pl.timed) continue;
            if (!first) s += " andalso ";
            first = false;
            s += "(TOLQ'tmscomp(";
            for (std::size_t i = 0; i < g.second.size(); ++i)
                s += (i ? "+" : "") + std::string("(TOLQ'AF") + g.second[i]->af + "(TOLQ'b))";
            s += ",(!" + ref(pl.ml, "TOLQ'c") + "),TOLQ'maxtime))";
        }
        s += ")\n| TOLQ'CCFT _ _ = raise TOLQ'UnboundVar\n";
    }
    s += "fun TOLQ'CCFO (" + var_pattern(t, 4) + " :" + bt + ") true = true\n| TOLQ'CCFO (" +
         var_pattern(t, 5) + " : " + bt + ") false = true\n| TOLQ'CCFO _ _ = raise TOLQ'UnboundVar;\n\n";
    s += "fun TOLQ'CCFL (TOLQ'c:TOLQ'PT" + p + ") (TOLQ'b:" + bt +
         ") = \nTOLQ'CCFConst TOLQ'c TOLQ'b () andalso (TOLQ'CCFG TOLQ'b (!TOLQ'Sim.WithCode) andalso "
         "TOLQ'CCFI TOLQ'c TOLQ'b () andalso TOLQ'CCFO TOLQ'b (!TOLQ'Sim.WithCode)";
    if (t.timed) s += "\nandalso (if (with_time()) then TOLQ'CCFT TOLQ'c TOLQ'b else true)";
    s += ");\nin ";
    s += "fun TOLQ'CCF" + t.ml + "( (TOLQ'c:TOLQ'PT" + p + "),(TOLQ't:TOLQ'TT" + p + "),(TOLQ'b:" + bt +
         ")) = TOLQ'Edit.out_val(if (TOLQ'CCFL TOLQ'c TOLQ'b)";
    if (t.timed) s += "\nandalso (if (with_time()) then IntInf.<=((!TOLQ'maxtime), time()) else true)";
    s += "\nthen (TOLQ'CF" + t.ml + "\n(TOLQ'c,TOLQ't,TOLQ'b,true,());\"1\") else \"0\")\nhandle "
         "TOLQ'UnboundVar => (TOLQ'out_use_err \"Unbound variable(s) in binding\");\n\n";
    for (const char* kind : {"CB", "FastCB"}) {
        s += std::string("fun TOLQ'") + kind + t.ml + " (TOLQ'ub, (TOLQ'c:TOLQ'PT" + p + "),(TOLQ'b:" + bt +
             ")) = ";
        if (t.timed) s += "(";
        s += "\nTOLQ'CCFL TOLQ'c TOLQ'b";
        if (t.timed) s += ",if (with_time()) then !TOLQ'maxtime else first'TIME)";
        s += " handle TOLQ'UnboundVar => ";
        if (t.timed) s += "(";
        s += std::string(kind) == "CB" ? "TOLQ'ub" : "(TOLQ'out_use_err \"Unbound variable(s) in binding\";false)";
        if (t.timed) s += ",first'TIME)";
        s += "\n";
    }
    return s + "end;\n";
}

std::string arc_change_function(const Page& page, const Transition& t) {
    std::string s = "fun TOLQ'ACAF" + t.ml + " (TOLQ'r:TOLQ'TT" + page.ml + ",TOLQ'b)= (\n";
    for (const Arc* a : arcs_of(t, false)) {
        if (!a->timed) continue;
        s += "(#A" + a->ml + " TOLQ'r):= TOLQ'addts((!(#A" + a->ml + " TOLQ'r)),\nTOLQ'AF" + a->af +
             "(TOLQ'b,(time()),true));\n";
    }
    return s + "());\n";
}

std::string output_function(const Page& page, const Transition& t) {
    const std::string& p = page.ml;
    std::string s = "fun TOLQ'OF" + t.ml + " ((TOLQ'r:TOLQ'TT" + p + "),(TOLQ'c:TOLQ'PT" + p + "),TOLQ'U) = (\n";
    for (const Arc* a : arcs_of(t, false)) {
        const Place& pl = place_of(page, a->place);
        const std::string r = ref(pl.ml, "TOLQ'c");
        s += r + " := (!" + r + (pl.timed ? ") +++ (!(#A" : ") ++ (!(#A") + a->ml + " TOLQ'r));\n\n";
    }
    return s + "());\n";
}

std::vector<std::string> entry_places(const Transition& t) {
    std::vector<std::pair<std::string, std::string>> keyed; // key text, place
    for (const auto& g : groups(t)) {
        std::string key;
        for (std::size_t i = 0; i < g.second.size(); ++i) {
            const Arc* a = g.second[i];
            key += (i ? "+" : "") + (a->token_type == 2 ? "1`(" + a->expr + ")" : a->expr);
        }
        keyed.push_back({key, g.first});
    }
    std::stable_sort(keyed.begin(), keyed.end());
    std::vector<std::string> out;
    for (const auto& k : keyed) out.push_back(k.second);
    return out;
}

std::string binding_function(const Page& page, const Transition& t, const std::string& entry, bool fast) {
    const std::string& p = page.ml;
    const std::string bf = fast ? "FastBF" : "BF";
    const std::string cb = fast ? "FastCB" : "CB";
    const auto places = entry_places(t);
    std::string s = "fun TOLQ'" + bf + t.ml + " ((TOLQ's as{\n";
    for (std::size_t i = 0; i < places.size(); ++i) s += (i ? "," : "") + std::string("P") + places[i] + "\n";
    if (!places.empty()) s += ",...\n";
    const std::string dol = t.timed ? "TOLQ'rettime" : "TOLQ'dol";
    s += "}:TOLQ'PT" + p + "),(TOLQ't:TOLQ'TT" + p + "),TOLQ'n,TOLQ'b," + dol + ",TOLQ'comm,TOLQ'U)\n";
    s += "= TOLQ'" + std::string(fast ? "FastCBF" : "CBF") + entry + " ((fn TOLQ'B => TOLQ'" + cb + t.ml + "(" +
         (t.timed ? "false" : "TOLQ'dol") + ",TOLQ's,TOLQ'B)),\n";
    s += "(if not TOLQ'comm then (fn _ => true) else if TOLQ'n=1\nthen (fn TOLQ'B => (TOLQ'CF" + t.ml +
         "(TOLQ's,TOLQ't,TOLQ'B,true,()); true))";
    s += "else (fn TOLQ'B => (" +
         std::string(t.timed ? "let val (TOLQ'" + cb + ",TOLQ'et)=" : "") + " TOLQ'" + cb + t.ml +
         "(false,TOLQ's,TOLQ'B) " +
         (t.timed ? "in lte'TIME(TOLQ'et,time()) andalso TOLQ'" + cb + " end" : "") + ")\n";
    s += "andalso (TOLQ'CF" + t.ml + "(TOLQ's,TOLQ't,TOLQ'B,true,()); true))),\n";
    for (const std::string& pl : places) {
        const bool timed = place_of(page, pl).timed;
        s += std::string(timed ? "(striptime" : "") + "(!P" + pl + ")" + (timed ? ")" : "") + ",\n";
    }
    s += " TOLQ'n,TOLQ'b" + std::string(t.timed ? ", TOLQ'rettime" : "") + ");\n";
    return s;
}

std::string var_free_binding_function(const Page&, const Transition& t, bool fast) {
    const std::string bf = fast ? "FastBF" : "BF";
    const std::string cb = fast ? "FastCB" : "CB";
    const bool tm = t.timed;
    std::string s = "fun TOLQ'" + bf + t.ml + "(TOLQ'P,TOLQ'T,TOLQ'n,TOLQ'b," +
                    (tm ? "TOLQ'rettime" : "TOLQ'dol") + ",TOLQ'comm,TOLQ'U)\n";
    s += "= let val " + std::string(tm ? "(" : "") + "TOLQ'succ" + (tm ? ",TOLQ'mts)" : "") + " = TOLQ'" + cb +
         t.ml + "(false,TOLQ'P,TOLQ'b) in\n";
    if (tm)
        s += "if TOLQ'rettime then (if (!TOLQ'ValuePrint) then TOLQ'Edit.out_val\n(if TOLQ'succ then "
             "mkst_col'TIME(IntInf.max(TOLQ'mts,time())) else \"none\")\n else ();\n if TOLQ'succ then "
             "(SOME TOLQ'mts,[{}])\n else (NONE,[{}])) \n else\n";
    s += "if TOLQ'succ then\n";
    if (tm)
        s += "if ((with_time()) andalso lte'TIME(TOLQ'mts,time())) orelse (not (with_time())) then\n";
    s += "(if (!TOLQ'ValuePrint) then TOLQ'Edit.out_val(\"\") else ();\nif TOLQ'comm then TOLQ'CF" + t.ml +
         "(TOLQ'P,TOLQ'T,TOLQ'b,true,()) else ();\n(" + (tm ? "SOME(time():TIME)," : "") + "[{}]:(TOLQ'BT" +
         t.ml + " list)))\n" + (tm ? "else (SOME(time()),[])\n" : "") + "else (" +
         (tm ? "SOME(time())," : "") + " []) end;\n";
    return s;
}

std::string bind_tab_init(const Transition& t, const std::string& entry) {
    std::string s = "TOLQ'Edit.BindTabInit([\n";
    for (std::size_t i = 0; i < t.vars.size(); ++i)
        s += (i ? "," : "") + std::string("{name=\"") + t.vars[i].name + "\",color=\"" + t.vars[i].cs +
             "\",code=" + std::to_string(t.vars[i].bits) + "}\n";
    s += "],false,\"" + t.ml + "\",\"" + entry + "\"," + std::to_string(entry_places(t).size()) + "," +
         (t.timed ? "true" : "false") + ");\n";
    return s;
}

} // namespace tolq::test::evalsim
