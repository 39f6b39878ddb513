// From the check to a running simulation against the real evaluator: what
// the check sends and orders before the rules, then the switch and the
// state reset on a plain net, on a hierarchy with ports and a fusion set,
// and on a timed net, each ended by an automatic run through the generated
// code; and the question before a switch on a net without prime pages.
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <cstring>
#include <string>
#include <vector>

#include "CheckDoubles.h"
#include "EvaluatorFixture.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/ASimulator/ASRecords.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/Chart/ChartRecords.h"
#include "atolq/Chart/ChartUtil.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "atolq/ConvertToSim/CTSSavedState.h"
#include "atolq/ConvertToSim/CTSModelTime.h"
#include "atolq/Utils/QXMem.h"
#include "atolq/ConvertToSim/CTSSwitch.h"

namespace {

void noHook(int*, ProgressRecord*) {}

SEHead* firstOf(const LMList* list) { return se::findRec(list, [](SEHead*) { return true; }); }

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

// A timed net declares the colour set of its time values, TIME.
constexpr const char* kDeclarations = "colset INT = int; colset TINT = int timed; colset TIME = time;\n"
                                      "var n : INT; var x : INT; var z : TINT;\n"
                                      "globref updates = 0;\n"
                                      "fun LC_init_chart (s : string) = ();\n"
                                      "fun LC_clear_chart (s : string) = ();";

class SwitchTest : public EvaluatorCheckTest {
protected:
    void SetUp() override
    {
        EvaluatorCheckTest::SetUp();
        dialogAnswers() = DialogAnswers{};
        options(0x400);
        global = declNode(kSEDeclGlobal, kDeclarations);
    }
    void TearDown() override
    {
        ASDeleteAllInstances();
        EvaluatorCheckTest::TearDown();
    }
    int check() { return CTSCheckNet(CTSCurrentContext().reporter, 0, 1, 0, 1, noHook, CheckLocalSettings); }
    std::string allReports()
    {
        std::string out;
        for (const Report& r : reports())
            out += r.message + "\n";
        return out;
    }
    SEPage* primePage(const char* name, uint16_t number)
    {
        SEPage* p = page(name);
        p->pageNumber = number;
        p->flags |= kSEBit0;
        p->primeCount = 1;
        return p;
    }
    SEPlace* namedPlace(SEPage* p, const char* name, const char* colourSet, const char* marking = nullptr)
    {
        SEPlace* r = typedPlace(p, colourSet, marking);
        SESetName(&r->head, se::copyText(name));
        return r;
    }
    // Checks, switches and resets; everything must pass.
    void switchAndReset()
    {
        ASSERT_EQ(check(), 1);
        ASSERT_TRUE(reports().empty()) << allReports();
        ASSERT_EQ(CTSGenerateSimCode(noHook), 1);
        ASSERT_EQ(CTSResetSimState(), 1);
    }
    ASInstance* instanceOf(SEPage* p)
    {
        return reinterpret_cast<ASInstance*>(firstOf(p->instances));
    }
    bool enabledIn(SETrans* t, ASInstance* i)
    {
        bool found = false;
        se::forEachValue(i->enabled, [&](void* v) { found = found || v == t; });
        return found;
    }
    std::string evaluated(const std::string& ml)
    {
        std::string reply;
        EXPECT_GE(evaluate(ml, &reply), 0) << ml << reply;
        const std::vector<std::string> values = valuesOf(reply);
        return values.empty() ? std::string() : values.front();
    }
    // The number of tokens on a plain place of an instance.
    std::string tokens(SEPlace* p, ASInstance* i, bool timed = false)
    {
        return evaluated(std::string(timed ? "TOLQ''NumTok" : "TOLQ'NumTok") + " (!(#P" + cts::mlName(p) +
                         " TOLQ'PS" + i->mlName + "));\n");
    }
    // Runs the automatic run to its end: nothing enabled any more.
    void runToTheEnd()
    {
        std::string reply;
        const int16_t code = evaluate("sac_step ();\n", &reply);
        EXPECT_TRUE(code == 0 || code == -4) << reply;
    }

    SEDeclNode* global = nullptr;
};

TEST_F(SwitchTest, CheckSendsTheTimeSettingsAndNumbersPagesAndTransitions)
{
    SERoot* root = SECurrentRoot();
    root->codeGenOptions[1] = 3; // with time
    std::strcpy(reinterpret_cast<char*>(root->analysisOptions + 46), "7");
    SEPage* later = page("Later");
    later->pageNumber = 3;
    SEPage* first = page("First");
    first->pageNumber = 1;
    SETrans* b = trans(first, "b");
    SETrans* unnamed = trans(first);
    SETrans* a = trans(first, "a");
    options(0); // the unnamed transition is no fault here

    ASSERT_EQ(check(), 1) << allReports();
    EXPECT_EQ(firstOf(root->pages), &first->head) << "pages in ascending page number";
    EXPECT_EQ(unnamed->longWord, 1) << "unnamed transitions first";
    EXPECT_EQ(a->longWord, 2);
    EXPECT_EQ(b->longWord, 3);
    EXPECT_EQ(later->transitions, nullptr);
    EXPECT_EQ(evaluated("TOLQ'Edit.out_val (Int.toString (!TOLQ'Edit.TimeType));\n"), "1");
    EXPECT_EQ(evaluated("TOLQ'Edit.out_val (Int.toString (!TOLQ'starttime));\n"), "7");
    EXPECT_EQ(evaluated("TOLQ'Edit.out_val (Bool.toString (!TOLQ'Sim.GenWithTime));\n"), "true");

    // Without time the start time is not sent.
    root->codeGenOptions[1] = 4;
    std::strcpy(reinterpret_cast<char*>(root->analysisOptions + 46), "9");
    ASSERT_EQ(check(), 1);
    EXPECT_EQ(evaluated("TOLQ'Edit.out_val (Int.toString (!TOLQ'Edit.TimeType));\n"), "0");
    EXPECT_EQ(evaluated("TOLQ'Edit.out_val (Int.toString (!TOLQ'starttime));\n"), "7");
    EXPECT_EQ(evaluated("TOLQ'Edit.out_val (Bool.toString (!TOLQ'Sim.GenWithTime));\n"), "false");
}

// The example net: Produce numbers items 1, 2, ... while n < 10 and puts
// them into Buffer, which starts with 0; Consume takes them out. A line
// chart counts the steps: its init sets the count, its action adds one after
// every step of the automatic run.
TEST_F(SwitchTest, ExampleNetRunsToTheEndAndUpdatesItsChartAfterEveryStep)
{
    SEPage* pg = primePage("Net", 1);
    SEPlace* next = namedPlace(pg, "Next", "INT", "1`1");
    SEPlace* buffer = namedPlace(pg, "Buffer", "INT", "1`0");
    SETrans* produce = trans(pg, "Produce");
    produce->guard = se::copyText("[n < 10]");
    SETrans* consume = trans(pg, "Consume");
    arc(produce, next, kSEPlaceToTrans, "n");
    arc(produce, next, kSETransToPlace, "n + 1");
    arc(produce, buffer, kSETransToPlace, "n");
    arc(consume, buffer, kSEPlaceToTrans, "n");
    SELineChart* chart = SECreateLineChart(pg, nextObject++);
    LineChartFields fields(*chart);
    ChartSetRecordText(fields.name, "Steps");
    ChartSetRecordText(fields.codeText, "init (fn () => updates := 100) action updates := !updates + 1;");
    ChartSetRecordText(fields.intervalText, "0");
    fields.stepInterval = 1;

    switchAndReset();
    ASInstance* i = instanceOf(pg);
    ASSERT_NE(i, nullptr);
    EXPECT_TRUE(enabledIn(produce, i));
    EXPECT_TRUE(enabledIn(consume, i));
    EXPECT_EQ(evaluated("TOLQ'Edit.out_val (Int.toString (!updates));\n"), "100") << "the chart was initialised";

    runToTheEnd();
    EXPECT_EQ(tokens(buffer, i), "0") << "every item was consumed";
    EXPECT_EQ(evaluated(std::string("TOLQ'Edit.out_val (mkst_ms'INT (!(#P") + cts::mlName(next) + " TOLQ'PS" +
                        i->mlName + ")));\n"),
              "1`10");
    EXPECT_EQ(evaluated("TOLQ'Edit.out_val (Int.toString (!updates));\n"), "119")
        << "one update for each of 9 productions and 10 consumptions";
}

// Top: A -> S, S substituted by Sub, A assigned to Sub's input port In;
// Sub: In -> T -> G, G fused (globally) with H on Top.
TEST_F(SwitchTest, HierarchyWithAPortAndAFusionSetRunsThroughTheSubpage)
{
    SEPage* top = primePage("Top", 1);
    SEPage* sub = page("Sub");
    sub->pageNumber = 2;
    SEPlace* a = namedPlace(top, "A", "INT", "1`1++1`2");
    SEPlace* h = namedPlace(top, "H", "INT");
    SETrans* s = trans(top, "S");
    ASSERT_NE(SEMakeCompound(&s->head, kSESubstitution), nullptr);
    ASSERT_EQ(SEMakeSubpage(&s->head, sub), 1);
    SEGetCompound(&s->head)->modeFlags |= 0x21u;
    arc(s, a, kSEPlaceToTrans, "x");
    SEPlace* in = namedPlace(sub, "In", "INT");
    SEMakePort(&in->head, kSEPortInput);
    ASSERT_EQ(SEAssignPort(&s->head, &a->head, &in->head), 1);
    SEPlace* g = namedPlace(sub, "G", "INT");
    SETrans* t = trans(sub, "T");
    arc(t, in, kSEPlaceToTrans, "x");
    arc(t, g, kSETransToPlace, "x");
    SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusGlobal, nullptr);
    ASSERT_NE(set, nullptr);
    SEAddFusMem(&set->head, &g->head);
    SEAddFusMem(&set->head, &h->head);

    switchAndReset();
    ASInstance* subInstance = instanceOf(sub);
    ASSERT_NE(subInstance, nullptr) << "the subpage got an instance through the substitution";
    EXPECT_TRUE(enabledIn(t, subInstance));

    runToTheEnd();
    const std::string fused = evaluated(std::string("TOLQ'NumTok (!(#cur TOLQ'FS") + cts::mlName(set) + "));\n");
    EXPECT_EQ(fused, "2") << "both tokens reached the fusion set through the port";
}

// A token stamped 5 on a timed place: at time 0 nothing is enabled now, so
// the reset moves the model time on to 5, where T is enabled. T's output is
// a single value stamped with a delay.
TEST_F(SwitchTest, TimedNetMovesTheClockToTheNextEnablingTimeAndRuns)
{
    SERoot* root = SECurrentRoot();
    root->codeGenOptions[1] = 3; // generated with time
    root->runOptions[2] = 1;     // run with time
    SEPage* pg = primePage("Timed", 1);
    SEPlace* a = namedPlace(pg, "A", "TINT", "1`1@5");
    SEPlace* b = namedPlace(pg, "B", "TINT");
    SETrans* t = trans(pg, "T");
    arc(t, a, kSEPlaceToTrans, "z");
    arc(t, b, kSETransToPlace, "z@+3");

    switchAndReset();
    ASInstance* i = instanceOf(pg);
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(CTSCurrentClock(), 5) << "the clock moved on while nothing was enabled now";
    EXPECT_EQ(evaluated("TOLQ'Edit.out_val (mkst_col'TIME' (time ()));\n"), "5");
    EXPECT_TRUE(enabledIn(t, i));

    runToTheEnd();
    EXPECT_EQ(tokens(b, i, true), "1");
    EXPECT_EQ(tokens(a, i, true), "0");
    const std::string marking = evaluated(std::string("TOLQ'Edit.out_val (mkst_tms'TINT (!(#P") + cts::mlName(b) +
                                          " TOLQ'PS" + i->mlName + ")));\n");
    EXPECT_NE(marking.find("1`1@8"), std::string::npos) << "stamped 3 after the occurrence at 5: " << marking;
}

TEST_F(SwitchTest, WithoutTimeTheClockStaysWhereItIs)
{
    SERoot* root = SECurrentRoot();
    root->codeGenOptions[1] = 3;
    root->runOptions[2] = 0; // run without time
    SEPage* pg = primePage("Timed", 1);
    SEPlace* a = namedPlace(pg, "A", "TINT", "1`1@5");
    SEPlace* b = namedPlace(pg, "B", "TINT");
    SETrans* t = trans(pg, "T");
    arc(t, a, kSEPlaceToTrans, "z");
    arc(t, b, kSETransToPlace, "z");

    switchAndReset();
    EXPECT_EQ(CTSCurrentClock(), 0);
    EXPECT_EQ(evaluated("TOLQ'Edit.out_val (mkst_col'TIME' (time ()));\n"), "0");
}

// The evaluator's image saved with the state, for the settings below.
std::string& savedImage()
{
    static std::string path;
    return path;
}

char* copied(const std::string& text)
{
    char* out = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(text.size() + 1)));
    std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

// The local settings with the saved image as the diagram's own image.
int SavedImageSettings(int remote, uint32_t* local, char** host, uint16_t* port, char** image, char** mlFile,
                       char** runtime, char** directory, uint32_t* directoryLength, uint32_t level)
{
    const int filled =
        CheckLocalSettings(remote, local, host, port, image, mlFile, runtime, directory, directoryLength, level);
    QXMem_Free(*mlFile);
    *mlFile = copied(savedImage());
    return filled;
}

// A timed run saved with the diagram: the root keeps the clock and the time
// flags, the evaluator's image the marking and its clock. Started again from
// that image and restored, both clocks and the marking are as they were.
TEST_F(SwitchTest, SavedStateComesBackWithItsMarkingAndModelTime)
{
    SERoot* root = SECurrentRoot();
    root->codeGenOptions[1] = 3;
    root->runOptions[2] = 1;
    SEPage* pg = primePage("Timed", 1);
    SEPlace* a = namedPlace(pg, "A", "TINT", "1`1@5");
    SEPlace* b = namedPlace(pg, "B", "TINT");
    SETrans* t = trans(pg, "T");
    arc(t, a, kSEPlaceToTrans, "z");
    arc(t, b, kSETransToPlace, "1`z@+3");
    switchAndReset();
    ASInstance* i = instanceOf(pg);
    ASSERT_NE(i, nullptr);
    runToTheEnd();
    ASSERT_EQ(tokens(b, i, true), "1");
    ASSERT_EQ(CTSCurrentClock(), 5);

    CTSStoreSimStateWords(true);
    ASSERT_NE(root->clockText, nullptr);
    EXPECT_STREQ(root->clockText, "(clock (\"5\"))");
    EXPECT_NE(root->flags & kCTSRootSavedState, 0u);
    char dir[] = "/tmp/tolq-state-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    savedImage() = std::string(dir) + "/net.ML";
    ASSERT_EQ(CTSSaveImageRequest(savedImage().c_str()), 0);
    MLImageSaved = 1;
    ASSERT_EQ(CTSStopEvaluator(), 1);

    // Loaded again: the evaluator from the saved image, the program's clock
    // from the root.
    ASSERT_NE(global->flags & 0x1000u, 0u);
    ASSERT_EQ(CTSStartEvaluator(SavedImageSettings), 1);
    EXPECT_EQ(dialogAnswers().asked, 0) << "the marked declarations start the saved image without asking";
    EXPECT_EQ(tokens(b, i, true), "1");
    EXPECT_EQ(tokens(a, i, true), "0");
    EXPECT_EQ(evaluated("TOLQ'Edit.out_val (mkst_col'TIME' (time ()));\n"), "5");
    CTSTimeInit(); // a fresh program knows no clock
    ASSERT_EQ(CTSCurrentClock(), 0);
    EXPECT_EQ(CTSRestoreSimState(), 1) << "one step was taken";
    EXPECT_EQ(CTSCurrentClock(), 5);
    EXPECT_TRUE(CTSRestoredTimedNet());
    EXPECT_TRUE(CTSRestoredWithTime());

    // A root without a clock text starts at zero.
    se::freeText(root->clockText);
    root->clockText = nullptr;
    CTSRestoreSimState();
    EXPECT_EQ(CTSCurrentClock(), 0);
    std::remove((savedImage() + ".x86-linux").c_str());
    std::remove(savedImage().c_str());
    rmdir(dir);
}

// A net without prime pages would simulate nothing: the user is asked, and
// "Return" (the first button) goes back to the editor.
TEST_F(SwitchTest, NoPrimePageAsksWhetherToReturnToTheEditor)
{
    SEPage* pg = page("Net");
    dialogAnswers().yesNo = 1;
    EXPECT_EQ(CTSCheckPrimePages(), 0);
    EXPECT_EQ(dialogAnswers().askedYesNo, 1);
    dialogAnswers().yesNo = 0;
    EXPECT_EQ(CTSCheckPrimePages(), 1);
    EXPECT_EQ(dialogAnswers().askedYesNo, 2);
    pg->flags |= kSEBit0;
    pg->primeCount = 1;
    EXPECT_EQ(CTSCheckPrimePages(), 1);
    EXPECT_EQ(dialogAnswers().askedYesNo, 2) << "a prime page goes on without asking";
}

} // namespace
