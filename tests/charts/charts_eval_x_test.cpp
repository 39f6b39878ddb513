// Charts driven by the model through the real evaluator, on a page open in
// its window under the private Xvfb: ML code calls Tolq.Chart, the link
// serves the callbacks through the charts, and the test reads back the
// objects the charts left on the page. Charts built in the editor get their
// code region with the update action fitted to its text.
#include "PageWindowFixture.h"

#include "xvfb.h"

#include "EditorDoubles.h"
#include "sml_fixture.h"

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/Chart/BarChart.h"
#include "atolq/Chart/BarChartParts.h"
#include "atolq/Chart/ChartAction.h"
#include "atolq/Chart/ChartRequests.h"
#include "atolq/Chart/ChartUtil.h"
#include "atolq/Chart/LineChart.h"
#include "atolq/CSimulator/SimulatorCharts.h"
#include "atolq/SML/SMLWait.h"
#include "xkv/comm/Comm.h"
#include "xkv/menu/Menu.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextX.h"
#include "xkv/timer/Timer.h"
#include "xkv/trans/Trans.h"
#include "xkv/undo/Undo.h"
#include "xkv/velkor/Velkor.h"

#include <X11/Shell.h>
#include <X11/Xaw/Form.h>

#include <cstring>
#include <string>

TOLQ_X11_TEST_ENVIRONMENT();

extern std::vector<int16_t> gChartMessages;
extern int gChartAnswerYes;

namespace {

using sml_test::File;

const std::string kRuntime = TOLQ_BIN_DIR "/run.x86-linux";
const std::string kHeap = TOLQ_BIN_DIR "/tolq.ML";

Widget Toplevel(Display* display)
{
    static Widget toplevel = nullptr;
    if (toplevel == nullptr) {
        toplevel = XtVaAppCreateShell("tolqtest", "Tolq", applicationShellWidgetClass, display, XtNwidth, 100,
                                      XtNheight, 100, XtNmappedWhenManaged, False, nullptr);
        XtRealizeWidget(toplevel);
    }
    return toplevel;
}

std::string text(ObjectHandle object)
{
    uint32_t length = 0;
    QXText_GetLength(object, &length);
    std::string out(length, '\0');
    QXText_GetText(object, out.data(), &length);
    out.resize(length);
    return out;
}

FixPoint position(ObjectHandle object)
{
    FixPoint p{};
    QXRdAttr_GetPosition(object, &p.x, &p.y);
    return p;
}

FixPoint size(ObjectHandle object)
{
    FixPoint p{};
    QXRdAttr_GetSize(object, &p.x, &p.y);
    return p;
}

// A page in its window, made current, with its net record.
class ChartPageTest : public PageWindowTest {
protected:
    void SetUp() override
    {
        VelkorSettings& settings = Velkor_Settings();
        settings.display = X().display();
        settings.appContext = X().app();
        settings.toplevel = Toplevel(X().display());
        PageWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        Timer_Initialize();
        ASSERT_EQ(Trans_Initialize(), 0u);
        Text_InitWindows(Trans_PostIdleText);
        ASSERT_EQ(Comm_Initialize(), 0u);
        // The kernel's menus: commands such as "FitToText" run through them.
        if (menuForm_ == nullptr) {
            menuForm_ = XtVaCreateManagedWidget("menu", formWidgetClass, Toplevel(X().display()), XtNwidth,
                                                XtArgVal{600}, XtNheight, XtArgVal{30}, nullptr);
            Widget bar = nullptr;
            ASSERT_EQ(Menu_Initialize(menuForm_, 0, &bar), kStatusOk);
        }
        page_ = NewPage(1);
        ASSERT_EQ(Core_AddPage(&page_), 0u);
        Comm_SetCurrentPage(page_);
        ASSERT_EQ(QXStr_GetCurPage(), page_);
        GE_SetMode(1);
        SEInitPools();
        SEStart();
        editorLog() = {};
        editorLog().sePage = SECreatePage(page_, kSEPortsNone);
        ASSERT_NE(editorLog().sePage, nullptr);
    }
    void TearDown() override
    {
        SEFreeDB();
        Comm_SetTextMode(0);
        Select_Clear();
        Comm_SetCurrentPage(0);
        Undo_Shutdown();
        for (HookId id = 0; id < kHookCount; ++id)
            Hook_Unregister(id);
        Core_CloseModel();
        PageWindowTest::TearDown();
    }
    ObjectHandle page_ = 0;
    static inline Widget menuForm_ = nullptr;
};

TEST_F(ChartPageTest, AChartBuiltInTheEditorGetsItsActionUnderTheFrame)
{
    const ObjectHandle frame = QXStr_CreateNode(page_, ChartUnits(300), ChartUnits(300), ChartUnits(300),
                                                ChartUnits(200), 1);
    SELineChart* chart = SECreateLineChart(editorLog().sePage, frame);
    ASSERT_NE(chart, nullptr);
    LineChartAttributes a{};
    a.lineCount = 2;
    a.boxSize = 4;
    a.xGridNumber = 5;
    a.yGridNumber = 5;
    a.integerValues = 1;
    std::strcpy(a.name, "Load");
    std::strcpy(a.intervalText, "0");
    for (char* t : {a.xMin, a.yMin, a.xOrigin, a.yOrigin, a.xDistance, a.yDistance})
        std::strcpy(t, "0");
    std::strcpy(a.xMax, "10");
    std::strcpy(a.yMax, "10");
    LineChartApply(*chart, a);
    const ObjectHandle code = ChartFindRegion(frame, kLineCodeRegion);
    ASSERT_NE(code, 0u);
    const std::string action = LineChartActionText("Load", 2, true);
    EXPECT_EQ(text(code), action);
    ASSERT_NE(chart->chartText, nullptr);
    EXPECT_EQ(std::string(chart->chartText), action);
    // Right-aligned under the frame, whatever size the fit gave it.
    const FixPoint s = size(code);
    EXPECT_EQ(position(code).x, ChartUnits(300) + ChartUnits(150) - s.x / 2);
    EXPECT_EQ(position(code).y, ChartUnits(300) + ChartUnits(100) + s.y / 2);
    EXPECT_GE(editorLog().textEditsEnded, 1);

    // A new number of lines writes a new action into a new region.
    a.existing = 1;
    a.lineCount = 3;
    LineChartApply(*chart, a);
    const ObjectHandle next = ChartFindRegion(frame, kLineCodeRegion);
    EXPECT_NE(next, code);
    EXPECT_EQ(text(next), LineChartActionText("Load", 3, true));
    EXPECT_EQ(LineChartFields(*chart).seriesCapacity, 3u);
}

TEST_F(ChartPageTest, ABarChartWritesTheActionOfItsMode)
{
    const ObjectHandle frame = QXStr_CreateNode(page_, ChartUnits(300), ChartUnits(300), ChartUnits(300),
                                                ChartUnits(200), 1);
    SEBarChart* chart = SECreateBarChart(editorLog().sePage, frame);
    ASSERT_NE(chart, nullptr);
    BarChartAttributes a{};
    a.barCount = 2;
    a.partCount = 2;
    a.barHeight = 10;
    a.gridNumber = 5;
    a.integerValues = 0;
    std::strcpy(a.name, "Queue");
    std::strcpy(a.interval, "0");
    std::strcpy(a.min, "0");
    std::strcpy(a.max, "100");
    std::strcpy(a.distance, "0");
    BarChartApply(*chart, a);
    const ObjectHandle code = ChartFindRegion(frame, kBarCodeRegion);
    ASSERT_NE(code, 0u);
    EXPECT_EQ(text(code), BarChartStandardActionText("Queue", 2, 2, false));
    // Full-width samples in the editor: each side split between the parts.
    BarChartFields c(*chart);
    EXPECT_EQ(c.flags & kChartFlagStarted, 0u);
    a.existing = 1;
    a.history = 1;
    a.retain = 1;
    BarChartApply(*chart, a);
    const ObjectHandle history = ChartFindRegion(frame, kBarCodeRegion);
    EXPECT_NE(history, code);
    EXPECT_EQ(text(history), BarChartHistoryActionText("Queue", 2, false));
    EXPECT_EQ(c.retain, 1);
}

// ---- through the evaluator ----

class ChartRequestTest : public ChartPageTest {
protected:
    void SetUp() override
    {
        ChartPageTest::SetUp();
        if (HasFatalFailure())
            return;
        ChartInstallRequests();
        ASSERT_EQ(SMLConnect(1, nullptr, 0, kHeap.c_str(), kRuntime.c_str(), nullptr, nullptr), 0);
    }
    void TearDown() override
    {
        SMLStopProcess();
        SMLSetChartServer(nullptr);
        ChartPageTest::TearDown();
    }
    // Evaluates ML text and returns what it printed.
    std::string evaluate(const std::string& ml)
    {
        File request(ml), reply("\r");
        const int16_t result = SMLEvaluate(request.get(), reply.get());
        const std::string printed = reply.text().substr(1);
        EXPECT_EQ(result, 0) << ml << "\n" << printed;
        return printed;
    }
    // The result word of one chart request.
    int32_t request(int code, const std::string& name, const std::string& args)
    {
        const std::string printed =
            evaluate("local open Tolq.Chart in val r = result (" + std::to_string(code) + ", \"" + name + "\", [" +
                     args + "]) end; print (\"<\" ^ Int.toString r ^ \">\");");
        const size_t open = printed.find('<');
        if (open == std::string::npos)
            return -9999;
        std::string number = printed.substr(open + 1);
        if (!number.empty() && number[0] == '~')
            number[0] = '-';
        return std::stoi(number);
    }
    // A line chart create request (code 2020: integers throughout).
    std::string createLine(const std::string& xMax, const std::string& interval = "Int 0")
    {
        // width, height, centre y, centre x; lines, box, start, horiz/vert,
        // x number; x distance; x ticks, y number; y distance; y ticks,
        // title, legend, axis names, save copy, keep, init at origin, end of
        // run (title and axis names, contents not kept); interval; step, integer; x min, max, origin, y min, max,
        // origin; rescale, move.
        return "Int 300, Int 200, Int 300, Int 300, Int 2, Int 4, Int 0, Int 0, Int 5, Int 0, Int 0, Int 5, "
               "Int 0, Int 0, Int 1, Int 0, Int 1, Int 0, Int 0, Int 0, Int 1, " +
               interval + ", Int 0, Int 1, Int 0, " + xMax + ", Int 0, Int 0, Int 10, Int 0, Int 1, Int 0";
    }
    std::string created(int code, const std::string& name, const std::string& args)
    {
        return evaluate("local open Tolq.Chart in val (r, n) = create (" + std::to_string(code) + ", \"" + name +
                        "\", [" + args +
                        "]) end; print (\"<\" ^ Int.toString r ^ \":\" ^ getOpt (n, \"-\") ^ \">\");");
    }
    SELineChart* line(const std::string& name)
    {
        SELineChart* chart = nullptr;
        FindLineChart(name, &chart);
        return chart;
    }
    SEBarChart* bar(const std::string& name)
    {
        SEBarChart* chart = nullptr;
        FindBarChart(name, &chart);
        return chart;
    }
};

TEST_F(ChartRequestTest, TheModelCreatesALineChartAndPlotsIntoIt)
{
    EXPECT_NE(created(2020, "Load", createLine("Int 10")).find("<0:Load>"), std::string::npos);
    SELineChart* chart = line("Load");
    ASSERT_NE(chart, nullptr);
    LineChartFields c(*chart);
    EXPECT_EQ(c.lineCount, 2);
    EXPECT_NE(c.titleLabel, 0u);
    EXPECT_NE(ChartFindRegion(c.frame, kLineCodeRegion), 0u);
    EXPECT_EQ(size(c.frame).x, ChartUnits(300));

    EXPECT_EQ(request(2110, "Load", "Int 1, Int 2, Int 3, Int 1"), 0);
    EXPECT_EQ(request(2110, "Load", "Int 1, Int ~5, Int 3, Int 1"), 0); // plotted at -5: the axis moves there
    EXPECT_LE(ChartTextReal(c.xMinText), -5);
    EXPECT_NE(c.series[0].objectB, c.series[0].objectA);
    EXPECT_EQ(request(2110, "Load", "Int 0, Int 2, Int 3, Int 1"), -3);
    EXPECT_EQ(request(2110, "Load", "Int 3, Int 2, Int 3, Int 1"), -3);
    EXPECT_EQ(request(2120, "Load", "Int 1, Real 2.5, Real 3.0, Int 1"), -4);
    EXPECT_EQ(request(2110, "Nobody", "Int 1, Int 2, Int 3, Int 1"), -1);
    // A batch with one bad line number draws none of its points.
    const ObjectHandle last = c.series[1].objectA;
    EXPECT_EQ(request(2090, "Load", "List [Group [Int 2, Int 1, Int 1, Int 1, Int 1], "
                                    "Group [Int 0, Int 1, Int 1, Int 1, Int 1]]"),
              -3);
    EXPECT_EQ(c.series[1].objectA, last);
    EXPECT_EQ(request(2090, "Load", "List [Group [Int 2, Int 1, Int 1, Int 1, Int 1]]"), 0);
    EXPECT_NE(c.series[1].objectA, 0u);
    EXPECT_EQ(request(2140, "Load", "Int 2, Int 2, Int 2, Int 1, Int 0"), -3);
    EXPECT_EQ(request(2140, "Load", "Int 2, Int 2, Int 2, Int 1, Int 21"), 0);
    EXPECT_EQ(c.series[1].shorts[0], 21);

    EXPECT_EQ(request(2130, "Load", "List [Text \"in\"]"), -2); // no legend
    EXPECT_EQ(request(2160, "Load", "Text \"Work load\""), 0);
    EXPECT_EQ(text(c.titleLabel), "Work load");
    EXPECT_EQ(request(2080, "Load", "Text \"time\", Text \"jobs\""), 0);
    EXPECT_EQ(text(c.yNameLabel), "jobs");

    const std::string handle = evaluate("print (Int.toString (Tolq.Chart.result (2170, \"Load\", [])));");
    EXPECT_EQ(static_cast<uint32_t>(std::stoul(handle)), ChartFindRegion(c.frame, kLineCodeRegion));
    EXPECT_EQ(request(2010, "Load", ""), 0); // back to the configured axes
    EXPECT_DOUBLE_EQ(ChartTextReal(c.xMinText), 0);
    EXPECT_EQ(c.series[0].objectA, 0u);
    EXPECT_EQ(request(2060, "Load", ""), 0);
    EXPECT_EQ(editorLog().removedDeleting.back(), 1);
}

TEST_F(ChartRequestTest, LineChartCreateChecksItsSettings)
{
    struct Case {
        const char* what;
        std::string xMax;
        std::string interval;
        int32_t expected;
    };
    const Case cases[] = {
        {"x maximum equal to the minimum", "Int 0", "Int 0", -12},
        {"a real interval", "Int 10", "Text \"2.5\"", -10},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const int code = k.interval.rfind("Text", 0) == 0 ? 2030 : 2020;
        const std::string printed = created(code, "Bad", createLine(k.xMax, k.interval));
        EXPECT_NE(printed.find("<~" + std::to_string(-k.expected) + ":-"), std::string::npos) << printed;
    }
    // A second create of a name turns the old chart into plain objects.
    created(2020, "Twice", createLine("Int 10"));
    SELineChart* first = line("Twice");
    ASSERT_NE(first, nullptr);
    const ObjectHandle oldFrame = first->kvObject;
    created(2020, "Twice", createLine("Int 10"));
    EXPECT_EQ(editorLog().removed.back(), oldFrame);
    EXPECT_EQ(editorLog().removedDeleting.back(), 0);
}

TEST_F(ChartRequestTest, TheModelCreatesABarChartAndSetsItsBars)
{
    // width, height, centre y, centre x; bars, parts, bar height, number;
    // distance; ticks, title, legend, names, pos, neg, upper, lower, keep,
    // save copy, end of run; interval; step, integer; min, max; history,
    // retain.
    const std::string standard = "Int 300, Int 200, Int 300, Int 300, Int 2, Int 2, Int 10, Int 5, Int 0, Int 0, "
                                 "Int 1, Int 1, Int 1, Int 1, Int 1, Int 0, Int 0, Int 0, Int 0, Int 1, Int 0, Int 0, "
                                 "Int 1, Int 0, Int 100, Int 0, Int 0";
    EXPECT_NE(created(20, "Queue", standard).find("<0:Queue>"), std::string::npos);
    SEBarChart* chart = bar("Queue");
    ASSERT_NE(chart, nullptr);
    BarChartFields c(*chart);
    EXPECT_EQ(request(3010, "Queue", "Int 1, List [Int 30, Int ~10]"), 0);
    EXPECT_EQ(BarChartValues(c, 0), (std::vector<double>{30, -10}));
    EXPECT_EQ(text(c.posTotalLabels.words[0]), "30");
    EXPECT_EQ(text(c.negTotalLabels.words[0]), "-10");
    EXPECT_EQ(request(3010, "Queue", "Int 0, List [Int 1, Int 1]"), -3);
    EXPECT_EQ(request(3010, "Queue", "Int 1, List [Int 1, Int 1, Int 1]"), -3);
    EXPECT_EQ(BarChartValues(c, 0), (std::vector<double>{30, -10}));
    EXPECT_EQ(request(3020, "Queue", "Int 1, List [Real 1.0, Real 2.0]"), -4);
    EXPECT_EQ(request(1010, "Queue", "List [Int 1, Int 2]"), -1); // not a history chart
    EXPECT_EQ(request(3040, "Queue", "List [Group [Int 2, List [Int 5, Int 6], Int 1], "
                                     "Group [Int 1, List [Int 7, Int 8], Int 0]]"),
              0);
    EXPECT_EQ(BarChartValues(c, 1), (std::vector<double>{5, 6}));
    EXPECT_EQ(BarChartValues(c, 0), (std::vector<double>{30, -10})); // unused entry
    EXPECT_EQ(request(3060, "Queue", "Int 2, List [Int 4, Int 9]"), 0);
    EXPECT_EQ(BarChartValues(c, 1), (std::vector<double>{5, 9}));
    EXPECT_EQ(request(3030, "Queue", "List [Text \"a\", Text \"b\"]"), 0);
    EXPECT_EQ(text(c.barNameLabels.words[1]), "b");
    EXPECT_EQ(request(80, "Queue", "List [Text \"in\"]"), -3);
    EXPECT_EQ(request(80, "Queue", "List [Text \"in\", Text \"out\"]"), 0);
    EXPECT_EQ(text(c.legend.itemLabels.words[1]), "out");
    EXPECT_EQ(request(90, "Queue", "Text \"Queues\""), 0);
    const std::string handle = evaluate("print (Int.toString (Tolq.Chart.result (100, \"Queue\", [])));");
    EXPECT_EQ(static_cast<uint32_t>(std::stoul(handle)), ChartFindRegion(c.frame, kBarCodeRegion));
    EXPECT_EQ(request(10, "Queue", ""), 0);
    EXPECT_EQ(BarChartValues(c, 0), (std::vector<double>{0, 0}));

    // Create checks: a minimum above 0, a maximum below 0.
    std::string badMin = standard;
    badMin.replace(badMin.find("Int 0, Int 100"), 14, "Int 1, Int 100");
    EXPECT_NE(created(20, "Bad", badMin).find("<~11:-"), std::string::npos);
    std::string badMax = standard;
    badMax.replace(badMax.find("Int 0, Int 100"), 14, "Int 0, Int ~1");
    EXPECT_NE(created(20, "Bad2", badMax).find("<~12:-"), std::string::npos);
}

TEST_F(ChartRequestTest, HistoryRowsArriveWithTheirTags)
{
    const std::string history = "Int 300, Int 200, Int 300, Int 300, Int 3, Int 1, Int 10, Int 5, Int 0, Int 0, "
                                "Int 0, Int 0, Int 1, Int 0, Int 0, Int 0, Int 0, Int 0, Int 0, Int 1, Int 0, Int 0, "
                                "Int 1, Int 0, Int 100, Int 1, Int 1";
    EXPECT_NE(created(20, "Hist", history).find("<0:Hist>"), std::string::npos);
    SEBarChart* chart = bar("Hist");
    ASSERT_NE(chart, nullptr);
    BarChartFields c(*chart);
    EXPECT_EQ(request(3010, "Hist", "Int 1, List [Int 1]"), -1); // not a standard chart
    EXPECT_EQ(request(1040, "Hist", "List [Group [List [Int 1], Int 1], Group [List [Int 2], Int 1], "
                                    "Group [List [Int 3], Int 1]], List [Text \"first\"]"),
              0);
    EXPECT_EQ(text(c.barNameLabels.words[0]), "first");
    EXPECT_EQ(text(c.barNameLabels.words[1]), " ");
    EXPECT_EQ(text(c.barNameLabels.words[2]), " ");
    EXPECT_EQ(BarChartValues(c, 2), std::vector<double>{3});
    EXPECT_EQ(request(1010, "Hist", "List [Int 4]"), 0); // wraps keeping one
    EXPECT_EQ(BarChartValues(c, 0), std::vector<double>{3});
    EXPECT_EQ(BarChartValues(c, 1), std::vector<double>{4});
    EXPECT_EQ(request(1020, "Hist", "List [Real 4.0]"), -4);
    EXPECT_EQ(request(1010, "Hist", "List [Int 4, Int 5]"), -3);
}


// ---- the model's chart functions ----

// The chart functions of the evaluator's library, called as the chart code
// calls them: each reaches the chart through the link, and a request the
// chart refuses ends the evaluation with a ChartError.
class ChartFunctionTest : public ChartRequestTest {
protected:
    struct Outcome {
        int16_t result;
        std::string printed;
    };
    Outcome run(const std::string& ml)
    {
        File request(ml), reply("\r");
        const int16_t result = SMLEvaluate(request.get(), reply.get());
        return {result, reply.text().substr(1)};
    }
    void expectChartError(const std::string& ml)
    {
        const Outcome o = run(ml);
        EXPECT_EQ(o.result, -5) << ml << "\n" << o.printed;
        EXPECT_NE(o.printed.find("ChartError"), std::string::npos) << ml << "\n" << o.printed;
    }
    // Points of a line: its first box and the boxes hanging from it.
    static int pointCount(ObjectHandle firstPoint)
    {
        if (firstPoint == 0)
            return 0;
        uint16_t count = 0;
        ObjectHandle* regions = nullptr;
        QXStr_GetRegionList(firstPoint, &count, &regions);
        int points = 1;
        for (uint16_t i = 0; i < count; ++i) {
            uint32_t kind = 0;
            QXRdAttr_GetRegionKind(regions[i], &kind);
            points += kind == 5086 ? 1 : 0;
        }
        QXMem_Free(regions);
        return points;
    }
    SELineChart* makeLine(const std::string& name, bool integer)
    {
        std::string args = createLine("Int 100");
        if (!integer)
            args = "Int 300, Int 200, Int 300, Int 300, Int 2, Int 4, Int 0, Int 0, Int 5, Text \"0.0\", Int 0, "
                   "Int 5, Text \"0.0\", Int 0, Int 1, Int 0, Int 1, Int 0, Int 0, Int 0, Int 1, Int 0, Int 0, "
                   "Int 0, Text \"0.0\", Text \"100.0\", Text \"0.0\", Text \"0.0\", Text \"10.0\", Text \"0.0\", "
                   "Int 1, Int 0";
        EXPECT_NE(created(integer ? 2020 : 2040, name, args).find("<0:" + name + ">"), std::string::npos);
        return line(name);
    }
    // A bar chart of two bars of two parts (standard) or three bars of one
    // part keeping one row (history), integer values.
    SEBarChart* makeBar(const std::string& name, bool history)
    {
        const std::string shape = history ? "Int 3, Int 1" : "Int 2, Int 2";
        const std::string args = "Int 300, Int 200, Int 300, Int 300, " + shape +
                                 ", Int 10, Int 5, Int 0, Int 0, Int 1, Int 1, Int 1, Int 1, Int 1, Int 0, Int 0, "
                                 "Int 0, Int 0, Int 1, Int 0, Int 0, Int 1, Int 0, Int 100, " +
                                 (history ? "Int 1, Int 1" : "Int 0, Int 0");
        EXPECT_NE(created(20, name, args).find("<0:" + name + ">"), std::string::npos);
        return bar(name);
    }
};

TEST_F(ChartFunctionTest, LineChartUpdatesPlotEveryLineOrNone)
{
    SELineChart* chart = makeLine("Load", true);
    ASSERT_NE(chart, nullptr);
    LineChartFields c(*chart);
    evaluate("LC_upd_chart_int {lc = \"Load\", values = [(1, 2, 3, true, true), (2, 4, ~5, true, true)]};");
    EXPECT_EQ(pointCount(c.series[0].objectA), 1);
    EXPECT_EQ(pointCount(c.series[1].objectA), 1);
    evaluate("LC_upd_chart_int {lc = \"Load\", values = [(1, 3, 4, true, true), (2, 5, 6, true, true)]};");
    EXPECT_EQ(pointCount(c.series[0].objectA), 2);
    EXPECT_LE(ChartTextReal(c.yMinText), -5); // the point below the axis widened it

    // Refusals raise ChartError and draw nothing.
    const ObjectHandle last = c.series[0].objectB;
    const char* refused[] = {
        "LC_upd_chart_int {lc = \"Load\", values = [(1, 6, 6, true, true), (3, 6, 6, true, true)]};",
        "LC_upd_chart_real {lc = \"Load\", values = [(1, 6.0, 6.0, true, true)]};",
        "LC_upd_chart_int {lc = \"Nobody\", values = [(1, 6, 6, true, true)]};",
        "LC_upd_chart_int {lc = \"Load\", values = [(1, 6, 1099511627776, true, true)]};",
    };
    for (const char* ml : refused) {
        SCOPED_TRACE(ml);
        expectChartError(ml);
        EXPECT_EQ(c.series[0].objectB, last);
    }
}

TEST_F(ChartFunctionTest, RealLineChartsTakeRealsAndRefuseWhatIsNoNumber)
{
    SELineChart* chart = makeLine("Rate", false);
    ASSERT_NE(chart, nullptr);
    LineChartFields c(*chart);
    evaluate("LC_upd_chart_real {lc = \"Rate\", values = [(1, 2.5, ~1.25, true, true)]};");
    EXPECT_EQ(pointCount(c.series[0].objectA), 1);
    EXPECT_LE(ChartTextReal(c.yMinText), -1.25);
    expectChartError("LC_upd_chart_int {lc = \"Rate\", values = [(1, 1, 1, true, true)]};");
    expectChartError("LC_upd_chart_real {lc = \"Rate\", values = [(1, 1.0, Real.posInf, true, true)]};");
    EXPECT_EQ(pointCount(c.series[0].objectA), 1);
}

// More points than one request holds travel in several requests.
TEST_F(ChartFunctionTest, ALongBatchArrivesWhole)
{
    SELineChart* chart = makeLine("Many", true);
    ASSERT_NE(chart, nullptr);
    LineChartFields c(*chart);
    evaluate("LC_upd_chart_int {lc = \"Many\", values = List.tabulate (300, fn i => (1 + i mod 2, i div 3, i mod "
             "7, true, true))};");
    EXPECT_EQ(pointCount(c.series[0].objectA), 150);
    EXPECT_EQ(pointCount(c.series[1].objectA), 150);
}

TEST_F(ChartFunctionTest, StandardBarChartUpdatesSetTheUsedBars)
{
    SEBarChart* chart = makeBar("Queue", false);
    ASSERT_NE(chart, nullptr);
    BarChartFields c(*chart);
    evaluate("SC_upd_chart_int {sc = \"Queue\", values = [(1, [30, ~10], true), (2, [5, 6], false)]};");
    EXPECT_EQ(BarChartValues(c, 0), (std::vector<double>{30, -10}));
    EXPECT_EQ(BarChartValues(c, 1), (std::vector<double>{0, 0}));
    EXPECT_EQ(text(c.posTotalLabels.words[0]), "30");
    expectChartError("SC_upd_chart_int {sc = \"Queue\", values = [(3, [1, 1], true)]};");
    expectChartError("SC_upd_chart_int {sc = \"Queue\", values = [(2, [1], true)]};");
    expectChartError("SC_upd_chart_real {sc = \"Queue\", values = [(2, [1.0, 2.0], true)]};");
    expectChartError("HC_upd_chart_int {hc = \"Queue\", values = [([1, 2], true)], tags = []};");
    EXPECT_EQ(BarChartValues(c, 1), (std::vector<double>{0, 0}));

    evaluate("BC_clear_chart \"Queue\";");
    EXPECT_EQ(BarChartValues(c, 0), (std::vector<double>{0, 0}));
    expectChartError("BC_clear_chart \"Nobody\";");
}

TEST_F(ChartFunctionTest, HistoryUpdatesNameTheUsedRowsWithTheTags)
{
    SEBarChart* chart = makeBar("Hist", true);
    ASSERT_NE(chart, nullptr);
    BarChartFields c(*chart);
    evaluate("HC_upd_chart_int {hc = \"Hist\", values = [([1], true), ([2], false), ([3], true)], tags = "
             "[\"first\"]};");
    EXPECT_EQ(BarChartValues(c, 0), std::vector<double>{1});
    EXPECT_EQ(BarChartValues(c, 1), std::vector<double>{3});
    EXPECT_EQ(text(c.barNameLabels.words[0]), "first");
    EXPECT_EQ(text(c.barNameLabels.words[1]), " ");
    expectChartError("HC_upd_chart_int {hc = \"Hist\", values = [([1, 2], true)], tags = []};");
    expectChartError("SC_upd_chart_int {sc = \"Hist\", values = [(1, [1], true)]};");
}

// The action each chart writes into its code region runs once its
// placeholders are bound, and updates the chart.
TEST_F(ChartFunctionTest, TheWrittenActionsRunOnceTheirPlaceholdersAreBound)
{
    SELineChart* lineChart = makeLine("Load", true);
    SEBarChart* barChart = makeBar("Queue", false);
    SEBarChart* historyChart = makeBar("Hist", true);
    ASSERT_NE(lineChart, nullptr);
    ASSERT_NE(barChart, nullptr);
    ASSERT_NE(historyChart, nullptr);
    auto body = [](const std::string& action) { return action.substr(action.find('\n') + 1); };
    evaluate("val vx = 4; val vy = 7; val v1 = 2; val v2 = 9;");
    evaluate(body(LineChartActionText("Load", 2, true)));
    evaluate(body(BarChartStandardActionText("Queue", 2, 2, true)));
    evaluate(body(BarChartHistoryActionText("Hist", 1, true)));
    LineChartFields l(*lineChart);
    EXPECT_EQ(pointCount(l.series[0].objectA), 1);
    EXPECT_EQ(pointCount(l.series[1].objectA), 1);
    BarChartFields b(*barChart);
    EXPECT_EQ(BarChartValues(b, 1), (std::vector<double>{2, 9}));
    BarChartFields h(*historyChart);
    EXPECT_EQ(BarChartValues(h, 0), std::vector<double>{2});
    EXPECT_EQ(text(h.barNameLabels.words[0]), "Tag");

    // A state begins: the line starts afresh, the bars are zeroed.
    evaluate("LC_init_chart \"Load\"; BC_init_chart \"Queue\";");
    EXPECT_EQ(l.series[0].objectA, 0u);
    EXPECT_EQ(BarChartValues(b, 1), (std::vector<double>{0, 0}));
    evaluate("LC_clear_chart \"Load\";");
    expectChartError("LC_init_chart \"Nobody\";");
}


// ---- the simulator's chart requests ----

// Charts with code, whose generated functions are stood in for by ML that
// records each call; the simulator's requests call them.
class SimulatorChartTest : public ChartRequestTest {
protected:
    void SetUp() override
    {
        ChartRequestTest::SetUp();
        if (HasFatalFailure())
            return;
        gChartMessages.clear();
        evaluate("val calls : string list ref = ref [];\n"
                 "fun note s = calls := s :: !calls;\n"
                 "fun TOLQ'CCAF1 (b : bool) = note (\"bar \" ^ Bool.toString b);\n"
                 "fun TOLQ'CCIF1 () = note \"bar init\";\n"
                 "fun TOLQ'CCAF2 (b : bool) = note (\"line \" ^ Bool.toString b);\n"
                 "fun TOLQ'CCIF2 () = note \"line init\";\n"
                 "fun TOLQ'CCAF3 (b : bool) : unit = raise ChartError \"chart \\\"Bad\\\" refused\";\n");
    }
    // A chart record with code and its ML name; the line chart updates at
    // the end of a run.
    void addCharts(bool withBad = false)
    {
        SEBarChart* barChart = SECreateBarChart(editorLog().sePage, 0);
        ASSERT_NE(barChart, nullptr);
        ChartSetRecordText(BarChartFields(*barChart).codeText, "action ();");
        ChartSetRecordText(barChart->text3, "1");
        SELineChart* lineChart = SECreateLineChart(editorLog().sePage, 0);
        ASSERT_NE(lineChart, nullptr);
        ChartSetRecordText(LineChartFields(*lineChart).codeText, "action ();");
        LineChartFields(*lineChart).endOfRun = 1;
        ChartSetRecordText(lineChart->text2, "2");
        // A chart without code takes no part.
        SELineChart* idle = SECreateLineChart(editorLog().sePage, 0);
        ASSERT_NE(idle, nullptr);
        ChartSetRecordText(idle->text2, "9");
        if (withBad) {
            SELineChart* bad = SECreateLineChart(editorLog().sePage, 0);
            ASSERT_NE(bad, nullptr);
            ChartSetRecordText(LineChartFields(*bad).codeText, "action ();");
            ChartSetRecordText(bad->text2, "3");
        }
    }
    std::string calls()
    {
        const std::string printed = evaluate("val _ = print (String.concatWith \",\" (rev (!calls)));\nval _ = calls := [];\n");
        return printed;
    }
};

TEST_F(SimulatorChartTest, EachOccasionCallsTheChartsThatTakePart)
{
    EXPECT_EQ(SUpdateCharts(0), 1); // no chart at all: nothing is sent
    EXPECT_EQ(calls(), "");
    ASSERT_NO_FATAL_FAILURE(addCharts());
    EXPECT_EQ(SUpdateCharts(0), 1);
    EXPECT_EQ(calls(), "bar false,line false");
    SRefreshCharts();
    EXPECT_EQ(calls(), "line true");
    SInitCharts();
    EXPECT_EQ(calls(), "bar init,line init");
    EXPECT_TRUE(gChartMessages.empty());
}

TEST_F(SimulatorChartTest, AChartErrorIsReportedOrLetsTheRunGoOn)
{
    ASSERT_NO_FATAL_FAILURE(addCharts(true));
    EXPECT_EQ(SUpdateCharts(0), 0);
    EXPECT_EQ(gChartMessages, std::vector<int16_t>{11561});
    gChartMessages.clear();
    SRefreshCharts(); // the failing chart does not update at the end of a run
    EXPECT_TRUE(gChartMessages.empty());

    // During an interactive run the user decides.
    static bool running = true;
    static int stops = 0;
    SSetChartRunControl({[] { return running; }, [] { ++stops; }});
    gChartAnswerYes = 1;
    EXPECT_EQ(SUpdateCharts(0), 1);
    gChartAnswerYes = 0;
    EXPECT_EQ(SUpdateCharts(0), 0);
    EXPECT_EQ(gChartMessages, (std::vector<int16_t>{11559, 11559}));
    EXPECT_EQ(stops, 1);
    SSetChartRunControl({});
    gChartAnswerYes = 1;
}

} // namespace
