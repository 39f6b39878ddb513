// The whole check driven as the editor drives it, against the real
// evaluator: what stops it before anything is sent, a small net that passes
// and is not checked again, the rule reported for each broken inscription,
// a changed global declaration node, and the switch that follows the check.
#include <string>

#include "CheckDoubles.h"
#include "EvaluatorFixture.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/Chart/ChartRecords.h"
#include "atolq/Chart/ChartUtil.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/SML/SML.h"

namespace {

int hookCalls = 0;
int stopAfter = -1; // the hook clears the flag on this call
std::vector<std::string> shownTexts;
void countingHook(int* flag, ProgressRecord* record)
{
    if (record->format != nullptr && (shownTexts.empty() || shownTexts.back() != record->format))
        shownTexts.push_back(record->format);
    if (++hookCalls == stopAfter)
        *flag = 0;
}

// One page with A -> T -> B; the inscriptions are the cases' to break.
struct NetTexts {
    const char* colourSetA = "INT";
    const char* markingA = "1`1++1`2";
    const char* inArc = "x";
    const char* outArc = "x";
    const char* guard = "x > 0";
    const char* time = nullptr;
    const char* code = nullptr;
};

class CheckNetTest : public EvaluatorCheckTest {
protected:
    void SetUp() override
    {
        CheckTest::SetUp();
        DeclsCompiled = 0;
        MLImageSaved = 0;
        dialogAnswers() = DialogAnswers{};
        hookCalls = 0;
        stopAfter = -1;
        shownTexts.clear();
        options(0x400);
    }
    int check() { return CTSCheckNet(reporter(), 0, 1, 0, 1, countingHook, CheckLocalSettings); }
    static CTSErrorReporter reporter() { return CTSCurrentContext().reporter; }
    void build(const NetTexts& t = {})
    {
        global = declNode(kSEDeclGlobal, "colset INT = int; colset TINT = int timed; var x : INT;");
        pg = page("P");
        a = typedPlace(pg, t.colourSetA, t.markingA);
        SESetName(&a->head, se::copyText("A"));
        b = typedPlace(pg, "INT");
        SESetName(&b->head, se::copyText("B"));
        tr = trans(pg, "T");
        if (t.guard != nullptr)
            tr->guard = se::copyText(t.guard);
        if (t.time != nullptr)
            tr->time = se::copyText(t.time);
        if (t.code != nullptr)
            tr->code = se::copyText(t.code);
        in = arc(tr, a, kSEPlaceToTrans, t.inArc);
        out = arc(tr, b, kSETransToPlace, t.outArc);
    }
    std::string allReports()
    {
        std::string out;
        for (const Report& r : reports())
            out += r.message + "\n";
        return out;
    }
    uint16_t counter(int i) const { return CTSCurrentContext().progress.counters[i]; }

    SEDeclNode* global = nullptr;
    SEPage* pg = nullptr;
    SEPlace* a = nullptr;
    SEPlace* b = nullptr;
    SETrans* tr = nullptr;
    SEArc* in = nullptr;
    SEArc* out = nullptr;
};

TEST_F(CheckNetTest, NetWithoutGlobalNodeStopsAtOnceAndSendsNothing)
{
    page("P");
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(dialogAnswers().messages, std::vector<int16_t>{0x3609});
    EXPECT_EQ(SMLGetConnState(), kSMLKindNone) << "no evaluator was started";
}

TEST_F(CheckNetTest, TwoTemporaryNodesStopButNoneIsAccepted)
{
    declNode(kSEDeclGlobal, "colset INT = int;");
    declNode(kSEDeclTemporary, "");
    declNode(kSEDeclTemporary, "");
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(dialogAnswers().messages, std::vector<int16_t>{0x360a});
}

TEST_F(CheckNetTest, CorrectNetPassesAndASecondRunParsesNothing)
{
    build();
    ASSERT_EQ(check(), 1);
    EXPECT_EQ(shownTexts, (std::vector<std::string>{"Checking Global Declaration Node", "Getting Color Table",
                                                    "%d Pages, %d Places, %d Transitions Checked",
                                                    "%d Charts Checked"}));
    EXPECT_TRUE(reports().empty()) << allReports();
    EXPECT_NE(global->flags & 0x1000u, 0u);
    EXPECT_NE(pg->flags & 0x1000u, 0u);
    EXPECT_NE(a->flags & 0x100u, 0u);
    EXPECT_NE(b->flags & 0x100u, 0u);
    EXPECT_NE(tr->flags & 0x1000u, 0u);
    ASSERT_NE(tr->mlName, nullptr);
    ASSERT_NE(in->link, nullptr);
    ASSERT_NE(out->link, nullptr);
    EXPECT_TRUE(in->half == 1 || in->half == 2);
    EXPECT_EQ(counter(0), 1);
    EXPECT_EQ(counter(1), 2);
    EXPECT_EQ(counter(2), 1);
    EXPECT_EQ(CTSCurrentContext().timedColourSets, 1);
    const int savedCounter = SECurrentRoot()->cg5;
    EXPECT_GT(savedCounter, 10);

    ASSERT_EQ(check(), 1);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(counter(0), 0);
    EXPECT_EQ(counter(1), 0);
    EXPECT_EQ(counter(2), 0);
    EXPECT_EQ(SECurrentRoot()->cg5, savedCounter) << "nothing new was named";
}

TEST_F(CheckNetTest, ChangedGlobalNodeChecksEverythingAgainFromCounterTen)
{
    build();
    ASSERT_EQ(check(), 1);
    const std::string oldName = tr->mlName;
    global->flags &= ~0x1000u; // as an edit of its text does
    dialogAnswers().yesNoCancel = 1; // build the image from scratch
    ASSERT_EQ(check(), 1);
    EXPECT_EQ(dialogAnswers().asked, 1);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(counter(2), 1) << "the transition was checked again";
    EXPECT_NE(SECurrentRoot()->flags & 0x10000000u, 0u);
    ASSERT_NE(tr->mlName, nullptr);
    EXPECT_EQ(oldName, tr->mlName) << "the counter restarted at 10 and named the net the same way";
}

TEST_F(CheckNetTest, BadGlobalDeclarationsStopTheCheckWithC4)
{
    build();
    se::freeText(global->text);
    global->text = se::copyText("colset INT = int with 1 ..;");
    EXPECT_EQ(check(), 0);
    ASSERT_EQ(on(&global->head), std::vector<std::string>{"C.4 Error in global/temporary declaration node"});
    EXPECT_EQ(tr->flags & 0x1000u, 0u);
}

TEST_F(CheckNetTest, HookClearingTheFlagStopsTheCheck)
{
    build();
    stopAfter = 1;
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(SMLGetConnState(), kSMLKindNone);
    EXPECT_EQ(global->flags & 0x1000u, 0u);
}

struct BrokenCase {
    const char* name;
    NetTexts texts;
    const char* message;
    char on; // 't' transition, 'i' input arc, 'a' place A
};
class BrokenInscription : public CheckNetTest, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenInscription, IsReportedOnceOnItsObjectAndLeavesItUnchecked)
{
    build(GetParam().texts);
    ASSERT_EQ(check(), 1) << "rule violations do not stop the check";
    SEHead* target = GetParam().on == 't' ? &tr->head : GetParam().on == 'i' ? &in->head : &a->head;
    ASSERT_EQ(reports().size(), 1u) << allReports();
    EXPECT_EQ(reports().front().message, GetParam().message);
    EXPECT_EQ(reports().front().object, SEGetKVObj(target));
    EXPECT_EQ(tr->flags & 0x1000u, 0u);
}

NetTexts with(void (*change)(NetTexts&))
{
    NetTexts t;
    change(t);
    return t;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, BrokenInscription,
    ::testing::Values(
        BrokenCase{"Guard", with([](NetTexts& t) { t.guard = "x > \"a\""; }), "C.9 Guard region must be legal", 't'},
        BrokenCase{"ArcExpression", with([](NetTexts& t) { t.inArc = "x +"; }), "C.11 Arc expression must be legal",
                   'i'},
        BrokenCase{"TimedArcAtUntimedPlace", with([](NetTexts& t) { t.inArc = "x@+5"; }),
                   "C.11 Arc expression must be legal", 'i'},
        BrokenCase{"Time", with([](NetTexts& t) { t.time = "@+ \"a\""; }), "C.20 Time Region must be legal", 't'},
        BrokenCase{"Marking", with([](NetTexts& t) { t.markingA = "1`\"a\""; }), "C.8 Initial marking must be legal",
                   'a'},
        BrokenCase{"ColourSet", with([](NetTexts& t) { t.colourSetA = "NOSUCH"; }),
                   "C.7 Color set region must be legal", 'a'}),
    [](const ::testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.name); });

// The check and the code generator share one state: the names and entries
// the check leaves are what the switch generates from.
TEST_F(CheckNetTest, SwitchAfterTheCheckGeneratesTheNet)
{
    build();
    ASSERT_EQ(check(), 1);
    ASSERT_TRUE(reports().empty());
    EXPECT_EQ(CTSAnyUnchecked(), 0);
    shownTexts.clear();
    EXPECT_EQ(CTSGenerateSimCode(countingHook), 1);
    EXPECT_EQ(shownTexts, (std::vector<std::string>{"Defining Arc and Guard functions",
                                                    "%d Pages and %d Transitions Switched"}));
    EXPECT_NE(pg->flags & 0x10000u, 0u) << "the page's types were defined";
    EXPECT_NE(tr->flags & 0x100u, 0u) << "the transition's code was defined";
    EXPECT_EQ(SECurrentRoot()->cg5, CTSNameCounter());
}

} // namespace

namespace {

// Chart code: each part that does not compile is reported under its rule;
// a chart without code passes without a request. Action parts are
// statements, each ended by a semicolon.
struct ChartCase {
    const char* name;
    const char* code;
    const char* interval;
    int32_t step;
    const char* message; // null: passes
};
class ChartRules : public CheckNetTest, public ::testing::WithParamInterface<ChartCase> {};

TEST_P(ChartRules, ChartCodeIsDefinedOrReportedUnderItsRule)
{
    build();
    ASSERT_EQ(check(), 1);
    // The chart library lies outside the program; the test stands in for it.
    ASSERT_EQ(evaluate("fun BC_clear_chart (s : string) = ();\nfun LC_clear_chart (s : string) = ();\n"), 0);
    SELineChart* chart = SECreateLineChart(pg, nextObject++);
    ASSERT_NE(chart, nullptr);
    LineChartFields fields(*chart);
    ChartSetRecordText(fields.name, "Load \"A\"");
    if (GetParam().code != nullptr)
        ChartSetRecordText(fields.codeText, GetParam().code);
    ChartSetRecordText(fields.intervalText, GetParam().interval);
    fields.stepInterval = GetParam().step;

    ASSERT_EQ(CTSRecheckNet(reporter(), 0, 0, 0, 0, countingHook), 1);
    ASSERT_NE(chart->text2, nullptr) << "the chart was given its ML name";
    if (GetParam().message == nullptr) {
        EXPECT_TRUE(reports().empty()) << allReports();
        EXPECT_NE(chart->flags & 0x1000u, 0u);
        EXPECT_EQ(counter(4), 1);
        if (GetParam().code != nullptr) {
            const std::string n = chart->text2;
            EXPECT_EQ(evaluate("val _ = TOLQ'CCIF" + n + " ();\nval _ = TOLQ'CCAF" + n + " true;\n"), 0);
        }
    } else {
        ASSERT_EQ(on(&chart->head), std::vector<std::string>{GetParam().message});
        EXPECT_EQ(chart->flags & 0x1000u, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Code, ChartRules,
    ::testing::Values(ChartCase{"NoCode", nullptr, "0", 0, nullptr},
                      ChartCase{"Plain", "init (fn () => ()) cond true action ignore 0;", "0", 1, nullptr},
                      ChartCase{"TimeInterval", "action ignore 0;", "5", 2, nullptr},
                      ChartCase{"ConditionList", "cond [true, step() > 0] action ignore 0;", "0", 0, nullptr},
                      ChartCase{"NoAction", "init (fn () => ())", "0", 0, "C.21 Chart Code region must be legal"},
                      ChartCase{"BadInit", "init 1 action ignore 0;", "0", 0, "C.22 Chart Code init must be legal"},
                      ChartCase{"BadCond", "cond 3 action ignore 0;", "0", 0, "C.23 Chart Code cond must be legal"},
                      ChartCase{"BadAction", "action ignore (1 + \"a\");", "0", 0, "C.24 Chart Code action must be legal"}),
    [](const ::testing::TestParamInfo<ChartCase>& info) { return std::string(info.param.name); });

// The texts between pairs of bytes 6 of a reply.
std::vector<std::string> valuesOf(const std::string& reply)
{
    std::vector<std::string> out;
    for (size_t at = reply.find('\006'); at != std::string::npos;) {
        const size_t end = reply.find('\006', at + 1);
        if (end == std::string::npos)
            break;
        out.push_back(reply.substr(at + 1, end - at - 1));
        at = reply.find('\006', end + 1);
    }
    return out;
}

// The switch tells the chart library which charts run with the simulation
// (those with code, by ML name) when the charts changed, and starts every
// chart afresh under its own name.
TEST_F(CheckNetTest, TheSwitchSendsTheChartListAndStartsEveryChart)
{
    build();
    ASSERT_EQ(check(), 1);
    // The chart library lies outside the program; the test stands in for it.
    ASSERT_EQ(evaluate("val inits = ref ([] : string list);\n"
                       "fun BC_init_chart (s : string) = inits := !inits ^^ [\"B:\" ^ s];\n"
                       "fun LC_init_chart (s : string) = inits := !inits ^^ [\"L:\" ^ s];\n"
                       "fun BC_clear_chart (s : string) = ();\nfun LC_clear_chart (s : string) = ();\n"),
              0);
    SELineChart* line = SECreateLineChart(pg, nextObject++);
    LineChartFields lf(*line);
    ChartSetRecordText(lf.name, "Load \"A\"");
    ChartSetRecordText(lf.codeText, "action ignore 0;");
    ChartSetRecordText(lf.intervalText, "0");
    SEBarChart* bar = SECreateBarChart(pg, nextObject++);
    BarChartFields bf(*bar);
    ChartSetRecordText(bf.name, "Idle");
    ChartSetRecordText(bf.intervalText, "0");
    ASSERT_EQ(CTSRecheckNet(reporter(), 0, 0, 0, 0, countingHook), 1);
    ASSERT_NE(line->text2, nullptr);
    SECurrentRoot()->flags |= 0x10000000u;

    ASSERT_EQ(CTSGenerateSimCode(countingHook), 1);
    EXPECT_EQ(SECurrentRoot()->flags & 0x10000000u, 0u) << "the list was sent";
    std::string reply;
    ASSERT_EQ(evaluate("TOLQ'Edit.out_val (String.concatWith \",\" ChartList);\n", &reply), 0);
    EXPECT_EQ(valuesOf(reply), std::vector<std::string>{line->text2}) << "a chart without code does not run";
    ASSERT_EQ(evaluate("TOLQ'Edit.out_val (String.concatWith \",\" (!inits));\n", &reply), 0);
    EXPECT_EQ(valuesOf(reply), std::vector<std::string>{"B:Idle,L:Load \"A\""});

    // Unchanged charts are not listed again.
    ASSERT_EQ(evaluate("val ChartList = [\"kept\"];\n"), 0);
    ASSERT_EQ(CTSGenerateSimCode(countingHook), 1);
    ASSERT_EQ(evaluate("TOLQ'Edit.out_val (String.concatWith \",\" ChartList);\n", &reply), 0);
    EXPECT_EQ(valuesOf(reply), std::vector<std::string>{"kept"});
}

} // namespace
