// Per-transition code generation. Each definition empties the reply buffer
// and is evaluated at its end; results are not inspected. Arcs of one group
// (one place, or the members of one fusion set) are added with the
// library's multiset sum "++" wherever they are joined.
#include "atolq/ConvertToSim/CTSTransCode.h"

#include <algorithm>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ConvertToSim/CTSBindCode.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/Utils/HashTable.h"

namespace {

std::string str(const char* s) { return s != nullptr ? s : ""; }
const char* tf(bool b) { return b ? "true" : "false"; }

std::vector<SEArc*> arcsOf(const LMList* list)
{
    std::vector<SEArc*> out;
    se::forEachRec(list, [&](SEHead* r) { out.push_back(reinterpret_cast<SEArc*>(r)); });
    return out;
}

// The state reference of an arc's place in the state "TOLQ'c".
std::string placeRef(const SEPlace* p)
{
    return CTSPlaceStateVarText(str(CTSPlaceStateName(p)), "TOLQ'c", CTSPlaceStateKind(p));
}

std::string af(const SEArc* a) { return "(TOLQ'AF" + str(cts::arcFunctionName(a)) + "(TOLQ'b))"; }

struct Group {
    SEPlace* place; // the first place met; stands for its fusion set
    bool timed;
    std::vector<SEArc*> arcs;
};

std::vector<Group> groupsOf(SETrans* t)
{
    std::vector<Group> out;
    for (SEArc* a : arcsOf(t->inputArcs)) {
        if (a->place == nullptr)
            continue;
        auto same = [&](const Group& g) {
            return g.place == a->place || (a->place->fusionSet != nullptr && g.place->fusionSet == a->place->fusionSet);
        };
        auto it = std::find_if(out.begin(), out.end(), same);
        if (it == out.end())
            out.push_back({a->place, CTSIsTimed(&a->place->head) != 0, {a}});
        else
            it->arcs.push_back(a);
    }
    return out;
}

struct Ctx {
    SETrans* t;
    std::string tn, pn;
    bool timed;
    std::vector<Group> groups;
    std::string v1, v3, v4, v5;
    int32_t choice;
};

bool timeColourSetExists()
{
    SERoot* root = SECurrentRoot();
    return root != nullptr && cts::colourTable(root) != nullptr &&
           HashLookup(cts::colourTable(root), "TIME") != nullptr;
}

bool anyOutputPlaceTimed(SETrans* t)
{
    bool any = false;
    for (SEArc* a : arcsOf(t->outputArcs))
        if (a->place != nullptr && CTSIsTimed(&a->place->head))
            any = true;
    return any;
}

std::string inputStep(const SEArc* a)
{
    const std::string r = placeRef(a->place), n = str(cts::mlName(a));
    const bool timed = a->flags & cts::kArcTimed;
    const std::string op = timed ? "TOLQ't_op" : "TOLQ'op";
    std::string s = "let val TOLQ'A = ";
    if (timed)
        s += std::string("(TOLQ'selcom ") + tf(a->flags & cts::kArcPlainName) + " TOLQ'dir\n(if TOLQ'dir then (!" +
             r + ") else (!(#A" + n + " TOLQ'r)))\n";
    s += af(a);
    if (timed)
        s += ")";
    return s + "\nin (" + r + ":= " + op + "1((!" + r + "), TOLQ'A);\n(#A" + n + " TOLQ'r) := " + op + "2((!(#A" +
           n + " TOLQ'r)),TOLQ'A))\nend;";
}

std::string outputStep(const SEArc* a)
{
    const std::string n = str(cts::mlName(a));
    const bool timed = a->flags & cts::kArcTimed;
    return "(#A" + n + " TOLQ'r):=\n" + (timed ? "TOLQ't_op2" : "TOLQ'op2") + "((!(#A" + n + " TOLQ'r)),\n(" +
           (timed ? "TOLQ'CreateEmptyTimeLists" : "") + "(TOLQ'AF" + str(cts::arcFunctionName(a)) + "(TOLQ'b" +
           (timed ? ",first'TIME,false" : "") + "))));\n\n";
}

void occurrenceFunction(const Ctx& c)
{
    std::string s = "fun TOLQ'CF" + c.tn + " ((TOLQ'c:TOLQ'PT" + c.pn + "),(TOLQ'r:TOLQ'TT" + c.pn +
                    "),TOLQ'b,TOLQ'dir,TOLQ'U) =\n let\n";
    s += "fun TOLQ'op1 (TOLQ'ms1,TOLQ'ms2) = (case TOLQ'dir of \n false => (TOLQ''add (TOLQ'ms1,TOLQ'ms2))\n | "
         "true => (TOLQ''sub (TOLQ'ms1,TOLQ'ms2)));\n fun TOLQ'op2 (TOLQ'ms1,TOLQ'ms2) = (case TOLQ'dir of false "
         "=> (TOLQ''sub (TOLQ'ms1,TOLQ'ms2)) | true => (TOLQ''add (TOLQ'ms1,TOLQ'ms2)))";
    if (timeColourSetExists())
        s += "fun TOLQ't_op1 (TOLQ'ms1,TOLQ'ms2) = (case TOLQ'dir of \n false => (TOLQ'''add "
             "(TOLQ'ms1,TOLQ'ms2))\n | true => (TOLQ'''sub (TOLQ'ms1,TOLQ'ms2)));\n fun TOLQ't_op2 "
             "(TOLQ'ms1,TOLQ'ms2) = (case TOLQ'dir of false => (TOLQ'''sub (TOLQ'ms1,TOLQ'ms2)) | true => "
             "(TOLQ'''add (TOLQ'ms1,TOLQ'ms2)))";
    s += " in (\n";
    for (SEArc* a : arcsOf(c.t->inputArcs))
        if (a->place != nullptr)
            s += inputStep(a);
    const auto outs = arcsOf(c.t->outputArcs);
    for (SEArc* a : outs)
        if (!(a->flags & cts::kArcCode))
            s += outputStep(a);
    s += "if not (with_code()) then (\n";
    for (SEArc* a : outs)
        if (a->flags & cts::kArcCode)
            s += outputStep(a);
    CTSEvaluateText(s + "()) else () ) end;\n");
}

std::string inputTests(const Ctx& c)
{
    if (c.groups.empty())
        return "true\n";
    std::string s;
    for (size_t g = 0; g < c.groups.size(); ++g) {
        if (g)
            s += " andalso ";
        s += "((\n";
        for (size_t i = 0; i < c.groups[g].arcs.size(); ++i)
            s += (i ? " ++ " : "") + af(c.groups[g].arcs[i]) + "\n";
        s += ") <<= " + std::string(c.groups[g].timed ? "striptime" : "") + "(!" + placeRef(c.groups[g].place) +
             "))\n\n";
    }
    return s;
}

std::string constantChecks(const Ctx& c)
{
    bool any = false;
    for (const Group& g : c.groups)
        for (SEArc* a : g.arcs)
            any = any || !(a->flags & cts::kArcNotConstant) || cts::tokenType(a) == 2;
    if (!any)
        return "fun TOLQ'CCFConst _ _ _ = true;\n";
    std::string s = "fun TOLQ'CCFConst (TOLQ'c:TOLQ'PT" + c.pn + ") (TOLQ'b:TOLQ'BT" + c.tn + ") TOLQ'U = \n";
    for (size_t gi = 0; gi < c.groups.size(); ++gi) {
        const Group& g = c.groups[gi];
        if (gi)
            s += " andalso ";
        s += "(\n";
        int constants = 0;
        long singles = 0;
        for (SEArc* a : g.arcs) {
            if (cts::tokenType(a) == 2)
                ++singles;
            if (a->flags & cts::kArcNotConstant)
                continue;
            s += std::string(constants++ ? "++" : "(") + af(a) + "\n";
        }
        if (constants == 0)
            s += "true)\n";
        else
            s += ") <<= " + std::string(g.timed ? "striptime" : "") + "(!" + placeRef(g.place) + "))\n\n";
        if (singles)
            s += "andalso(" + std::to_string(singles) + (g.timed ? "<= TOLQ'timeop.tms'size(!" : "<= TOLQ'size(!") +
                 placeRef(g.place) + "))\n";
    }
    return s;
}

std::string timeCheck(const Ctx& c)
{
    std::string s = "val TOLQ'maxtime = ref first'TIME\nfun TOLQ'CCFT (TOLQ'c:TOLQ'PT" + c.pn + ") ((TOLQ'b as " +
                    c.v3 + "):TOLQ'BT" + c.tn + ") =\n(TOLQ'maxtime := first'TIME;\n";
    bool first = true;
    for (const Group& g : c.groups) {
        if (!g.timed)
            continue;
        std::string arcs;
        for (SEArc* a : g.arcs)
            if (!(a->flags & cts::kArcPlainName))
                arcs += (arcs.empty() ? "" : "++") + af(a);
        if (arcs.empty())
            continue;
        s += std::string(first ? "" : " andalso ") + "(TOLQ'tmscomp(" + arcs + ",(!" + placeRef(g.place) +
             "),TOLQ'maxtime))";
        first = false;
    }
    return s + ")\n| TOLQ'CCFT _ _ = raise TOLQ'UnboundVar\n";
}

std::string checkBinding(const Ctx& c, bool fast)
{
    std::string s = std::string("fun TOLQ'") + (fast ? "FastCB" : "CB") + c.tn + " (TOLQ'ub, (TOLQ'c:TOLQ'PT" +
                    c.pn + "),(TOLQ'b:TOLQ'BT" + c.tn + ")) = ";
    if (c.timed)
        s += "(";
    s += "\nTOLQ'CCFL TOLQ'c TOLQ'b";
    if (c.timed)
        s += ",if (with_time()) then !TOLQ'maxtime else first'TIME)";
    s += " handle TOLQ'UnboundVar => ";
    if (c.timed)
        s += "(";
    s += fast ? "(TOLQ'out_use_err \"Unbound variable(s) in binding\";false)" : "TOLQ'ub";
    if (c.timed)
        s += ",first'TIME)";
    return s + "\n";
}

void enablingBlock(const Ctx& c)
{
    const std::string bt = "TOLQ'BT" + c.tn;
    std::string s = "local exception TOLQ'UnboundVar;\n";
    s += "fun TOLQ'CCFG ((TOLQ'b as " + c.v1 + "):" + bt + ") _\n=(TOLQ'GF" + c.tn +
         " TOLQ'b)\n | TOLQ'CCFG _ _ = raise TOLQ'UnboundVar;\n\n";
    s += "fun TOLQ'CCFI (TOLQ'c:TOLQ'PT" + c.pn + ") ((TOLQ'b as " + c.v3 + "):" + bt + ") TOLQ'U = \n";
    s += inputTests(c) + "| TOLQ'CCFI _ _ _ = raise TOLQ'UnboundVar;\n\n";
    s += constantChecks(c);
    if (c.timed)
        s += timeCheck(c);
    s += "fun TOLQ'CCFO (" + c.v4 + " :" + bt + ") true = true\n| TOLQ'CCFO (" + c.v5 + " : " + bt +
         ") false = true\n| TOLQ'CCFO _ _ = raise TOLQ'UnboundVar;\n\n";
    s += "fun TOLQ'CCFL (TOLQ'c:TOLQ'PT" + c.pn + ") (TOLQ'b:" + bt +
         ") = \nTOLQ'CCFConst TOLQ'c TOLQ'b () andalso (TOLQ'CCFG TOLQ'b (!TOLQ'Sim.WithCode) andalso TOLQ'CCFI "
         "TOLQ'c TOLQ'b () andalso TOLQ'CCFO TOLQ'b (!TOLQ'Sim.WithCode)";
    if (c.timed)
        s += "\nandalso (if (with_time()) then TOLQ'CCFT TOLQ'c TOLQ'b else true)";
    s += ");\nin ";
    s += "fun TOLQ'CCF" + c.tn + "( (TOLQ'c:TOLQ'PT" + c.pn + "),(TOLQ't:TOLQ'TT" + c.pn + "),(TOLQ'b:" + bt +
         ")) = TOLQ'Edit.out_val(if (TOLQ'CCFL TOLQ'c TOLQ'b)";
    if (c.timed)
        s += "\nandalso (if (with_time()) then IntInf.<=((!TOLQ'maxtime), time()) else true)";
    s += "\nthen (TOLQ'CF" + c.tn + "\n(TOLQ'c,TOLQ't,TOLQ'b,true,());\"1\") else \"0\")\nhandle TOLQ'UnboundVar "
         "=> (TOLQ'out_use_err \"Unbound variable(s) in binding\");\n\n";
    if (c.choice != 1)
        s += checkBinding(c, false);
    if (c.choice != 0)
        s += checkBinding(c, true);
    CTSEvaluateText(s + "end;\n");
}

std::string arcChangeStep(const Ctx& c, const SEArc* a)
{
    const std::string n = str(cts::mlName(a)), f = str(cts::arcFunctionName(a));
    const bool timed = a->flags & cts::kArcTimed;
    std::string tail;
    if (timed)
        tail = c.t->time != nullptr ? ",(IntInf.+ (time(), transdelay)),true" : ",(time()),true";
    const std::string addts = "(#A" + n + " TOLQ'r):= TOLQ'addts((!(#A" + n + " TOLQ'r)),\nTOLQ'AF" + f + "(TOLQ'b" +
                              tail + "));";
    if (!(a->flags & cts::kArcCode))
        return addts + "\n";
    std::string s = "if (with_code()) then\n(#A" + n + " TOLQ'r):= (!(#A" + n + " TOLQ'r))" + (timed ? "+++" : "++") +
                    "(TOLQ'AF" + f + "(TOLQ'b" + tail + ")) else\n";
    return s + (timed ? addts : "();") + "\n";
}

void arcChangeAndOutput(const Ctx& c, bool outTimed)
{
    const auto outs = arcsOf(c.t->outputArcs);
    const bool hasTime = c.t->time != nullptr;
    if (c.t->code != nullptr || outTimed) {
        std::string s = "fun TOLQ'ACAF" + c.tn + " (TOLQ'r:TOLQ'TT" + c.pn + ",TOLQ'b)= (\n";
        if (hasTime)
            s += "let val transdelay = TOLQ'DF" + c.tn + " TOLQ'b in\n";
        for (SEArc* a : outs)
            if (a->flags & (cts::kArcCode | cts::kArcTimed))
                s += arcChangeStep(c, a);
        CTSEvaluateText(s + "()" + (hasTime ? " end" : "") + ");\n");
    }
    std::string s = "fun TOLQ'OF" + c.tn + " ((TOLQ'r:TOLQ'TT" + c.pn + "),(TOLQ'c:TOLQ'PT" + c.pn + "),TOLQ'U) = (\n";
    for (SEArc* a : outs) {
        if (a->place == nullptr)
            continue;
        const std::string r = placeRef(a->place);
        s += r + " := (!" + r + (CTSIsTimed(&a->place->head) ? ") +++ (!(#A" : ") ++ (!(#A") + str(cts::mlName(a)) +
             " TOLQ'r));\n\n";
    }
    CTSEvaluateText(s + "());\n");
}

void varFreeBinding(const Ctx& c, bool fast)
{
    const bool tm = c.timed;
    const std::string cb = fast ? "TOLQ'FastCB" : "TOLQ'CB";
    std::string s = std::string("fun TOLQ'") + (fast ? "FastBF" : "BF") + c.tn + "(TOLQ'P,TOLQ'T,TOLQ'n,TOLQ'b," +
                    (tm ? "TOLQ'rettime" : "TOLQ'dol") + ",TOLQ'comm,TOLQ'U)\n";
    s += "= let val " + std::string(tm ? "(" : "") + "TOLQ'succ" + (tm ? ",TOLQ'mts)" : "") + " = " + cb + c.tn +
         "(false,TOLQ'P,TOLQ'b) in\n";
    if (tm)
        s += "if TOLQ'rettime then (if (!TOLQ'ValuePrint) then TOLQ'Edit.out_val\n(if TOLQ'succ then "
             "mkst_col'TIME(IntInf.max(TOLQ'mts,time())) else \"none\")\n else ();\n if TOLQ'succ then (SOME "
             "TOLQ'mts,[{}])\n else (NONE,[{}])) \n else\n";
    s += "if TOLQ'succ then\n";
    if (tm)
        s += "if ((with_time()) andalso lte'TIME(TOLQ'mts,time())) orelse (not (with_time())) then\n";
    s += "(if (!TOLQ'ValuePrint) then TOLQ'Edit.out_val(\"\") else ();\nif TOLQ'comm then TOLQ'CF" + c.tn +
         "(TOLQ'P,TOLQ'T,TOLQ'b,true,()) else ();\n(" + (tm ? "SOME(time():TIME)," : "") + "[{}]:(TOLQ'BT" + c.tn +
         " list)))\n" + (tm ? "else (SOME(time()),[])\n" : "") + "else (" + (tm ? "SOME(time())," : "") +
         " []) end;\n";
    CTSEvaluateText(s);
}

// The field name of an entry place in the page record, or empty for a
// global or page fusion set.
std::string recordField(const SEHead* r)
{
    if (r->kind == kSEPlace) {
        auto* p = reinterpret_cast<const SEPlace*>(r);
        return (CTSPlaceStateKind(p) == 1 ? "P" : "PP") + str(cts::mlName(p));
    }
    auto* s = reinterpret_cast<const SEPlaceFusSet*>(r);
    return s->head.subKind == kSEFusInstance ? "I" + str(cts::mlName(s)) : "";
}

std::string fallbackField(const Ctx& c)
{
    SEPage* page = cts::pageOf(c.t);
    SEHead* p = se::findRec(page->places, [](SEHead* r) { return reinterpret_cast<SEPlace*>(r)->fusionSet == nullptr; });
    if (p != nullptr)
        return recordField(p);
    SEHead* s = se::findRec(page->placeFusionSets, [](SEHead* r) { return r->subKind == kSEFusInstance; });
    return s != nullptr ? recordField(s) : "";
}

std::string argumentLine(SEHead* r)
{
    const bool timed = CTSIsTimed(r) != 0;
    std::string v;
    if (r->kind == kSEPlace) {
        auto* p = reinterpret_cast<SEPlace*>(r);
        v = CTSPlaceStateKind(p) == 1 ? "!P" + str(cts::mlName(p)) : "!(!PP" + str(cts::mlName(p)) + ")";
    } else {
        auto* s = reinterpret_cast<SEPlaceFusSet*>(r);
        v = s->head.subKind == kSEFusInstance ? "!I" + str(cts::mlName(s))
                                              : "(!" + CTSPlaceStateVarText(str(cts::mlName(s)), "", 4) + ")";
    }
    return std::string(timed ? "(striptime" : "") + "(" + v + ")" + (timed ? ")" : "") + ",\n";
}

void sharedBinding(const Ctx& c, bool fast)
{
    std::vector<CTSBindPlace> places;
    SECodeEntry* e = CTSFindBindCode(c.t, &places);
    if (e == nullptr)
        return;
    const std::string cb = fast ? "TOLQ'FastCB" : "TOLQ'CB";
    std::string s = std::string("fun TOLQ'") + (fast ? "FastBF" : "BF") + c.tn + " ((TOLQ's as{\n";
    std::vector<std::string> fields;
    for (const auto& p : places)
        if (std::string f = recordField(p.record); !f.empty())
            fields.push_back(f);
    if (fields.empty())
        if (std::string f = fallbackField(c); !f.empty())
            fields.push_back(f);
    for (size_t i = 0; i < fields.size(); ++i)
        s += (i ? "," : "") + fields[i] + "\n";
    if (!fields.empty())
        s += ",...\n";
    s += "}:TOLQ'PT" + c.pn + "),(TOLQ't:TOLQ'TT" + c.pn + "),TOLQ'n,TOLQ'b," + (c.timed ? "TOLQ'rettime" : "TOLQ'dol") +
         ",TOLQ'comm,TOLQ'U)\n";
    s += std::string("= TOLQ'") + (fast ? "FastCBF" : "CBF") + str(e->text2) + " ((fn TOLQ'B => " + cb + c.tn + "(" +
         (c.timed ? "false" : "TOLQ'dol") + ",TOLQ's,TOLQ'B)),\n";
    s += "(if not TOLQ'comm then (fn _ => true) else if TOLQ'n=1\nthen (fn TOLQ'B => (TOLQ'CF" + c.tn +
         "(TOLQ's,TOLQ't,TOLQ'B,true,()); true))";
    const std::string var = fast ? "TOLQ'FastCB" : "TOLQ'CB";
    s += "else (fn TOLQ'B => (" + (c.timed ? "let val (" + var + ",TOLQ'et)=" : std::string()) + " " + cb + c.tn +
         "(false,TOLQ's,TOLQ'B) " + (c.timed ? "in lte'TIME(TOLQ'et,time()) andalso " + var + " end" : "") + ")\n";
    s += "andalso (TOLQ'CF" + c.tn + "(TOLQ's,TOLQ't,TOLQ'B,true,()); true))),\n";
    for (const auto& p : places)
        s += argumentLine(p.record);
    s += " TOLQ'n,TOLQ'b" + std::string(c.timed ? ", TOLQ'rettime" : "") + ");\n";
    MemFileReset(CTSReplyBuffer());
    CTSSetRequest(s);
    CTSEvaluate(false);
}

bool hasVariables(const SETrans* t)
{
    return t->codeSegment != nullptr && t->codeSegment->variables != nullptr && t->codeSegment->variables->count != 0;
}

void bindingFunctions(const Ctx& c)
{
    for (bool fast : {false, true}) {
        if ((fast && c.choice == 0) || (!fast && c.choice == 1))
            continue;
        if (hasVariables(c.t))
            sharedBinding(c, fast);
        else
            varFreeBinding(c, fast);
    }
}

void registration(const Ctx& c, bool outTimed)
{
    for (bool fast : {false, true}) {
        if ((fast && c.choice == 0) || (!fast && c.choice == 1))
            continue;
        CTSEvaluateText("usestring[(TOLQ'sacgen.gen_fun((\"" + c.tn + "\",\"" + c.pn + "\"," + tf(c.t->code != nullptr) + "," +
                tf(c.timed) + "," + tf(outTimed) + "), " + tf(fast) + "))];\n");
    }
}

bool picked(uint32_t bits, int selector)
{
    switch (selector) {
    case 1: return bits & 0x4;
    case 3: return bits & 0x1;
    case 4: return (bits & 0x2) && !(bits & 0x10);
    case 5: return bits & 0x2;
    case 6: return bits == 2;
    case 7: return bits & 0x10;
    default: return false;
    }
}

} // namespace

std::string CTSVarPatternText(const LMList* variables, int selector)
{
    std::string out;
    se::forEachValue(variables, [&](void* v) {
        auto* var = static_cast<SECodeVariable*>(v);
        if (picked(static_cast<uint32_t>(var->number), selector))
            out += str(var->first) + "=($(" + str(var->first) + ")),\n";
    });
    return out.empty() ? " _ " : " {" + out + "...} ";
}

int CTSGenerateTransition(SETrans* t)
{
    if (CTSProgress() == 0)
        return 0;
    if ((t->flags & cts::kCodeMark) || cts::substituted(t))
        return 1;
    const LMList* vars = t->codeSegment != nullptr ? t->codeSegment->variables : nullptr;
    Ctx c{t, str(cts::mlName(t)), str(cts::mlName(cts::pageOf(t))), CTSIsTimed(&t->head) != 0, groupsOf(t),
          CTSVarPatternText(vars, 1), CTSVarPatternText(vars, 3), CTSVarPatternText(vars, 4),
          CTSVarPatternText(vars, 5), cts::bindChoice(SECurrentRoot())};
    for (SEArc* a : arcsOf(t->inputArcs))
        CTSIsTimed(&a->head);
    for (SEArc* a : arcsOf(t->outputArcs))
        CTSIsTimed(&a->head);
    const bool outTimed = anyOutputPlaceTimed(t);
    occurrenceFunction(c);
    enablingBlock(c);
    arcChangeAndOutput(c, outTimed);
    bindingFunctions(c);
    registration(c, outTimed);
    MemFileReset(CTSReplyBuffer());
    t->flags |= cts::kCodeMark;
    ++CTSCurrentContext().progress.counters[2];
    return 1;
}
