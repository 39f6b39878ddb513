// The chart rules: a chart's code text split into its init, cond and action
// parts, and the three functions the simulator calls for the chart defined
// in the evaluator under the chart's ML name.
#include <cmath>
#include <cstring>
#include <string>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/Chart/ChartRecords.h"
#include "atolq/Chart/ChartUtil.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/SmlEval/SmlEval.h"

namespace {

constexpr uint32_t kCheckedMark = 0x1000;

// What the chart rules read of either chart kind.
struct ChartView {
    SEHead& head;
    uint32_t& flags;
    const char* name;
    const char* codeText;
    const char* intervalText;
    int32_t stepInterval;
    int32_t& mlNameId;
    SEText& mlName;
    const char* clearFunction;
};

ChartView viewOf(SEBarChart& chart)
{
    BarChartFields f(chart);
    return {chart.head, chart.flags, f.name, f.codeText, f.intervalText, f.stepInterval,
            chart.long6, chart.text3, "BC_clear_chart"};
}

ChartView viewOf(SELineChart& chart)
{
    LineChartFields f(chart);
    return {chart.head, chart.flags, f.name, f.codeText, f.intervalText, f.stepInterval,
            chart.long3, chart.text2, "LC_clear_chart"};
}

bool hasText(const char* text) { return text != nullptr && text[0] != '\0'; }

MemFile* freshReply()
{
    MemFile* reply = CTSReplyBuffer();
    MemFileReset(reply);
    return reply;
}


// The chart's texts; the time interval is carried as the whole number it
// reads as, never as the raw setting text.
struct ChartTexts {
    std::string n;
    long interval = 0;
    std::string intervalML;
    std::string clear;
};

std::string initFunction(const ChartTexts& t, const std::string& init)
{
    if (t.interval <= 0)
        return "fun TOLQ'CCIF" + t.n + " () =\n\t(\n\t\t" + t.clear + "; \n\t\t " + init + "()\n\t);\n";
    return "val TOLQ'NextTime" + t.n + " = ref " + t.intervalML + "; \nfun TOLQ'CCIF" + t.n + " () =\n\t(\n\t\t" +
           t.clear + "; \n\t\tTOLQ'NextTime" + t.n + " := " + t.intervalML + ";\n\t\t" + init + "()\n\t);\n";
}

std::string updateCondition(const ChartTexts& t, int32_t step)
{
    const std::string stepText = std::to_string(step);
    if (step < 1)
        return t.interval <= 0 ? "false" : "(IntInf.>=(time(),(!TOLQ'NextTime" + t.n + ")))";
    if (t.interval <= 0)
        return "(((step() mod " + stepText + ") = 0) andalso (step() > 0))";
    return "((((step() mod " + stepText + ") = 0) andalso (step() > 0)) orelse IntInf.>=(time(),(!TOLQ'NextTime" +
           t.n + ")))";
}

std::string actionFunction(const ChartTexts& t, const std::string& condition, const std::string& action)
{
    if (t.interval <= 0)
        return "fun TOLQ'CCAF" + t.n + " (notusecond: bool) =\n\tif ((TOLQ'CCondF" + t.n +
               " ()) andalso (notusecond orelse (" + condition + "))) \n\tthen \n\t(\n\t\t" + action +
               "\n\t\t()\n\t)\n\telse ();\n";
    return "fun TOLQ'CCAF" + t.n + " (notusecond: bool) =\n\tif ((TOLQ'CCondF" + t.n + " ()) andalso \n\t(notusecond orelse (" +
           condition + "))) \n\tthen \n\t(\n\t\t" + action + "\n\t\t TOLQ'NextTime" + t.n +
           " := IntInf.*(IntInf.+(IntInf.div(time(),"
           + t.intervalML + "),(IntInf.fromInt 1))," + t.intervalML + ")\n\t)\n\telse ()\n";
}

bool evaluated(const std::string& text)
{
    return CTSSend(text.c_str(), nullptr, freshReply()) >= 0;
}

// The condition function: 2 as written, 1 as a list of conditions, else 0.
int defineCondition(const ChartTexts& t, const std::string& cond)
{
    if (!hasText(cond.c_str()))
        return evaluated("fun TOLQ'CCondF" + t.n + " () :bool = true;") ? 2 : 0;
    const int16_t code = CTSSend(("fun TOLQ'CCondF" + t.n + " () :bool = " + cond + ";\n").c_str(), nullptr, freshReply());
    if (code >= 0)
        return 2;
    if (code != kEvalCompileError)
        return 0;
    return evaluated("fun TOLQ'CCondF" + t.n + " () : bool = TOLQ'BLTB (" + cond + ");") ? 1 : 0;
}

int checkChart(ChartView chart)
{
    if ((chart.flags & kCheckedMark) != 0 || CTSProgress() == 0)
        return 0;
    if (chart.mlName == nullptr) {
        chart.mlNameId = CTSNextNumber();
        chart.mlName = se::copyText(std::to_string(chart.mlNameId).c_str());
    }
    if (hasText(chart.codeText)) {
        std::string cond, init, action;
        if (ChartSplitCode(chart.codeText, cond, init, action) == 0) {
            CTSReport(&chart.head, "C.21 Chart Code region must be legal");
            return 1;
        }
        ChartTexts t;
        t.n = chart.mlName;
        t.interval = std::lround(ChartTextReal(chart.intervalText));
        t.intervalML = "(IntInf.fromInt " + std::to_string(t.interval) + ")";
        t.clear = std::string(chart.clearFunction) + " " + CTSMLStringLiteral(chart.name);
        if (!evaluated(initFunction(t, init))) {
            CTSReport(&chart.head, "C.22 Chart Code init must be legal", CTSReplyBuffer());
            return 1;
        }
        if (defineCondition(t, cond) == 0) {
            CTSReport(&chart.head, "C.23 Chart Code cond must be legal", CTSReplyBuffer());
            return 1;
        }
        if (!evaluated(actionFunction(t, updateCondition(t, chart.stepInterval), action))) {
            CTSReport(&chart.head, "C.24 Chart Code action must be legal", CTSReplyBuffer());
            return 1;
        }
    }
    chart.flags |= kCheckedMark;
    ++CTSCurrentContext().progress.counters[4];
    return 0;
}

} // namespace

int CTSCheckBarChart(SEBarChart* chart)
{
    return chart != nullptr ? checkChart(viewOf(*chart)) : 0;
}

int CTSCheckLineChart(SELineChart* chart)
{
    return chart != nullptr ? checkChart(viewOf(*chart)) : 0;
}
