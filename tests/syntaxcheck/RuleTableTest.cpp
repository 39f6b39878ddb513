// Every name and inscription rule fired by the whole check against the real
// evaluator: a small correct net, broken in one place per case, is checked
// as the editor checks it; the rule's message must be the one report and
// sit on the object the rule names (or be the one message box).
#include <functional>
#include <string>

#include "CheckDoubles.h"
#include "EvaluatorFixture.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/Chart/ChartRecords.h"
#include "atolq/Chart/ChartUtil.h"

namespace {

void noHook(int*, ProgressRecord*) {}

// One page P: A (INT, two tokens) -> T -> B (INT), guard x > 0. The chart
// library lies outside the program, so the declarations stand in for its
// clear functions.
struct RuleNet {
    SEDeclNode* global = nullptr;
    SEPage* pg = nullptr;
    SEPlace* a = nullptr;
    SEPlace* b = nullptr;
    SETrans* tr = nullptr;
    SEArc* in = nullptr;
    SEArc* out = nullptr;
};

class RuleTableTest;
struct RuleCase {
    const char* name;
    // Breaks the net; the object the message belongs on (null for a box).
    std::function<SEHead*(RuleTableTest&, RuleNet&)> breakNet;
    const char* message; // null: the net stays correct
    int16_t box = 0;     // a message box instead of a report
    uint32_t options = 0x400;
};

class RuleTableTest : public EvaluatorCheckTest, public ::testing::WithParamInterface<RuleCase> {
public:
    SEPlace* namedPlace(SEPage* p, const char* name, const char* colourSet, const char* marking = nullptr)
    {
        SEPlace* r = typedPlace(p, colourSet, marking);
        if (name != nullptr)
            SESetName(&r->head, se::copyText(name));
        return r;
    }
    SETrans* namedTrans(SEPage* p, const char* name) { return trans(p, name); }
    SEArc* arcOf(SETrans* t, SEPlace* p, uint16_t direction, const char* expression)
    {
        return arc(t, p, direction, expression);
    }
    SEPage* newPage(const char* name, bool inUse = true) { return page(name, inUse); }
    SEDeclNode* node(int subKind, const std::string& text, SEPage* p = nullptr) { return declNode(subKind, text, p); }
    uint32_t objectNumber() { return nextObject++; }

    // S on P is substituted by the page Sub, whose port p (of the type and
    // colour set given) may be assigned to the socket C on P (C -> S).
    struct Substitution {
        SETrans* s;
        SEPlace* socket;
        SEPlace* port;
        SEArc* socketArc;
    };
    Substitution substitution(RuleNet& n, uint16_t portType, const char* portColourSet, bool assign,
                              const char* arcExpression = "x")
    {
        SEPage* sub = newPage("Sub");
        SETrans* s = namedTrans(n.pg, "S");
        EXPECT_NE(SEMakeCompound(&s->head, kSESubstitution), nullptr);
        EXPECT_EQ(SEMakeSubpage(&s->head, sub), 1);
        SEGetCompound(&s->head)->modeFlags |= 0x21u;
        SEPlace* socket = namedPlace(n.pg, "C", "INT");
        SEArc* socketArc = arcOf(s, socket, kSEPlaceToTrans, arcExpression);
        SEPlace* port = namedPlace(sub, "p", portColourSet);
        SEMakePort(&port->head, portType);
        if (assign) {
            EXPECT_EQ(SEAssignPort(&s->head, &socket->head, &port->head), 1);
        }
        return {s, socket, port, socketArc};
    }
    // A page fusion set of two new places, D and then E, on P. A new member
    // heads the member list, so E is the first member and D is compared
    // with it.
    SEPlace* fusion(RuleNet& n, const char* csD, const char* markD, const char* markE)
    {
        SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusPage, n.pg);
        SEPlace* d = namedPlace(n.pg, "D", csD, markD);
        SEPlace* e = namedPlace(n.pg, "E", "INT", markE);
        SEAddFusMem(&set->head, &d->head);
        SEAddFusMem(&set->head, &e->head);
        return d;
    }
    SELineChart* chart(RuleNet& n, const char* code)
    {
        SELineChart* c = SECreateLineChart(n.pg, objectNumber());
        LineChartFields fields(*c);
        ChartSetRecordText(fields.name, "Load");
        ChartSetRecordText(fields.codeText, code);
        ChartSetRecordText(fields.intervalText, "0");
        fields.stepInterval = 0;
        return c;
    }
    void changeText(SEText& text, const char* to)
    {
        se::freeText(text);
        text = se::copyText(to);
    }

protected:
    void SetUp() override
    {
        EvaluatorCheckTest::SetUp();
        dialogAnswers() = DialogAnswers{};
    }
    RuleNet build()
    {
        RuleNet n;
        n.global = declNode(kSEDeclGlobal, "colset INT = int; colset BOOL = bool; colset TINT = int timed;\n"
                                           "var x : INT; var y : INT;\n"
                                           "fun LC_clear_chart (s : string) = ();");
        n.pg = page("P");
        n.a = namedPlace(n.pg, "A", "INT", "1`1++1`2");
        n.b = namedPlace(n.pg, "B", "INT");
        n.tr = trans(n.pg, "T");
        n.tr->guard = se::copyText("x > 0");
        n.in = arc(n.tr, n.a, kSEPlaceToTrans, "x");
        n.out = arc(n.tr, n.b, kSETransToPlace, "x");
        return n;
    }
    std::string allReports()
    {
        std::string out;
        for (const Report& r : reports())
            out += r.message + "\n";
        return out;
    }
};

TEST_P(RuleTableTest, FiresOnceOnItsObject)
{
    const RuleCase& c = GetParam();
    RuleNet n = build();
    SEHead* target = c.breakNet(*this, n);
    options(c.options);
    const int result = CTSCheckNet(CTSCurrentContext().reporter, 0, 1, 0, 1, noHook, CheckLocalSettings);
    if (c.box != 0) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(dialogAnswers().messages, std::vector<int16_t>{c.box});
        EXPECT_TRUE(reports().empty()) << allReports();
        return;
    }
    EXPECT_TRUE(dialogAnswers().messages.empty());
    if (c.message == nullptr) {
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(reports().empty()) << allReports();
        return;
    }
    ASSERT_EQ(reports().size(), 1u) << allReports();
    EXPECT_EQ(reports().front().message, c.message);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(reports().front().object, SEGetKVObj(target)) << "reported on another object";
}

using T = RuleTableTest;
using N = RuleNet;

INSTANTIATE_TEST_SUITE_P(
    Rules, RuleTableTest,
    ::testing::Values(
        RuleCase{"CorrectNet", [](T&, N&) -> SEHead* { return nullptr; }, nullptr},
        RuleCase{"O1", [](T& t, N& n) { return &t.namedPlace(n.pg, nullptr, "INT")->head; },
                 "O.1 Place must have a name"},
        // A new place heads the page's list: the old A comes later.
        RuleCase{"O2", [](T& t, N& n) { t.namedPlace(n.pg, "A", "INT"); return &n.a->head; },
                 "O.2 Place name can only appear once on a page"},
        RuleCase{"O3", [](T& t, N& n) { return &t.namedPlace(n.pg, "1x", "INT")->head; },
                 "O.3 Place name must be a legal ML identifier"},
        RuleCase{"O4", [](T& t, N& n) { return &t.namedTrans(n.pg, nullptr)->head; },
                 "O.4 Transition must have a name"},
        RuleCase{"O5", [](T& t, N& n) { return &t.namedTrans(n.pg, "T")->head; },
                 "O.5 Transition name can only appear once on a page"},
        RuleCase{"O6", [](T& t, N& n) { return &t.namedTrans(n.pg, "val")->head; },
                 "O.6 Transition name must be a legal ML identifier"},
        RuleCase{"O7", [](T& t, N&) { return &t.newPage("P", false)->head; }, "O.7 Page name can only appear once"},
        RuleCase{"O8", [](T& t, N&) { return &t.newPage("my-page")->head; },
                 "O.8 Page name must be a legal ML identifier"},
        RuleCase{"O9",
                 [](T& t, N& n) {
                     return &t.arcOf(n.tr, t.namedPlace(n.pg, "C", "INT"), kSETransToPlace, nullptr)->head;
                 },
                 "O.9 Arc must have an expression (ordinary)"},
        RuleCase{"O10",
                 [](T& t, N& n) { return &t.substitution(n, kSEPortInput, "INT", true, nullptr).socketArc->head; },
                 "O.10 Arc must have an expression (substitution)", 0, 0x600},
        RuleCase{"O11", [](T& t, N& n) { return &t.namedPlace(n.pg, "use", "INT")->head; },
                 "O.11 Name must be legal for OG Analyzer"},
        RuleCase{"C1", [](T&, N& n) -> SEHead* { SEDelDeclNode(n.global); return nullptr; }, nullptr, 0x3609},
        RuleCase{"C2", [](T& t, N&) -> SEHead* { t.node(kSEDeclGlobal, "colset I = int;"); return nullptr; },
                 nullptr, 0x360a},
        RuleCase{"C3",
                 [](T& t, N& n) {
                     // The node made last heads the page's list.
                     t.node(kSEDeclLocal, "", n.pg);
                     return &t.node(kSEDeclLocal, "", n.pg)->head;
                 },
                 "C.3 Too many local declaration nodes"},
        RuleCase{"C4", [](T& t, N& n) { t.changeText(n.global->text, "colset INT = int with 1 ..;"); return &n.global->head; },
                 "C.4 Error in global/temporary declaration node"},
        RuleCase{"C5", [](T& t, N& n) { return &t.node(kSEDeclLocal, "pageref = 3;", n.pg)->head; },
                 "C.5 Error in local declaration node"},
        RuleCase{"C6", [](T& t, N& n) { return &t.namedPlace(n.pg, "C", nullptr)->head; },
                 "C.6 Place must have a color set"},
        RuleCase{"C7", [](T& t, N& n) { t.changeText(n.a->colourSet, "NOSUCH"); return &n.a->head; },
                 "C.7 Color set region must be legal"},
        RuleCase{"C8", [](T& t, N& n) { t.changeText(n.a->initMark, "1`\"a\""); return &n.a->head; },
                 "C.8 Initial marking must be legal"},
        RuleCase{"C9", [](T& t, N& n) { t.changeText(n.tr->guard, "x > \"a\""); return &n.tr->head; },
                 "C.9 Guard region must be legal"},
        RuleCase{"C10", [](T& t, N& n) { t.changeText(n.tr->code, "input (x);"); return &n.tr->head; },
                 "C.10 Code region must be legal"},
        RuleCase{"C11", [](T& t, N& n) { t.changeText(n.in->expression, "x +"); return &n.in->head; },
                 "C.11 Arc expression must be legal"},
        RuleCase{"C12",
                 [](T& t, N& n) {
                     t.changeText(n.tr->code, "input (x);\naction TOLQ'ValuePrint := true;");
                     return &n.tr->head;
                 },
                 "C.12 TOLQ variables in code region"},
        RuleCase{"C13",
                 [](T& t, N& n) {
                     // x is bound by the input arc and again by the code.
                     t.changeText(n.tr->code, "input ();\noutput (x);\naction 1;");
                     return &n.tr->head;
                 },
                 "C.13 Code guard must be legal"},
        RuleCase{"C14",
                 [](T& t, N& n) {
                     t.changeText(n.tr->code, "input (x);\naction x + \"a\";");
                     return &n.tr->head;
                 },
                 "C.14 Code action must be legal"},
        RuleCase{"C15",
                 [](T& t, N& n) { return &t.substitution(n, kSEPortInput, "BOOL", true).socketArc->head; },
                 "C.15 Color set in port assignment"},
        RuleCase{"C16", [](T& t, N& n) { return &t.fusion(n, "BOOL", nullptr, nullptr)->head; },
                 "C.16 Color set in fusion set"},
        RuleCase{"C17", [](T& t, N& n) { return &t.fusion(n, "INT", "1`2", "1`1")->head; },
                 "C.17 Initial marking in fusion set"},
        RuleCase{"C18", [](T& t, N& n) { return &t.substitution(n, kSEPortInput, "INT", false).socket->head; },
                 "C.18 Socket must be assigned"},
        RuleCase{"C19",
                 [](T& t, N& n) { return &t.substitution(n, kSEPortOutput, "INT", true).socketArc->head; },
                 "C.19 Port type must match socket"},
        RuleCase{"C20", [](T& t, N& n) { t.changeText(n.tr->time, "@+ \"a\""); return &n.tr->head; },
                 "C.20 Time Region must be legal"},
        RuleCase{"C21", [](T& t, N& n) { return &t.chart(n, "init (fn () => ())")->head; },
                 "C.21 Chart Code region must be legal"},
        RuleCase{"C22", [](T& t, N& n) { return &t.chart(n, "init 1 action ignore 0;")->head; },
                 "C.22 Chart Code init must be legal"},
        RuleCase{"C23", [](T& t, N& n) { return &t.chart(n, "cond 3 action ignore 0;")->head; },
                 "C.23 Chart Code cond must be legal"},
        RuleCase{"C24", [](T& t, N& n) { return &t.chart(n, "action ignore (1 + \"a\");")->head; },
                 "C.24 Chart Code action must be legal"}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

} // namespace
