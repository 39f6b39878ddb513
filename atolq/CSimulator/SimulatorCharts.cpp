// The charts' functions in a simulation: the texts that call the update
// (TOLQ'CCAF<name>) and initialisation (TOLQ'CCIF<name>) functions of every
// chart with code, each batch sent as one request, and the refresh at the end
// of a run and the initialisation at the start of a state.
#include "atolq/CSimulator/SimulatorCharts.h"
#include "atolq/CSimulator/SimulatorChartTexts.h"

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/Chart/ChartRecords.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/MemFile.h"

namespace {

constexpr int16_t kMsgChartInitException = 11560;
constexpr int16_t kMsgChartException = 11561;

bool hasText(const char* s) { return s != nullptr && *s != '\0'; }

// What the calls need of either chart kind.
struct ChartCall {
    const char* code;
    const char* mlName;
    bool endOfRun;
};

ChartCall callOf(SEBarChart& chart)
{
    BarChartFields f(chart);
    return {f.codeText, chart.text3, f.endOfRun != 0};
}

ChartCall callOf(SELineChart& chart)
{
    LineChartFields f(chart);
    return {f.codeText, chart.text2, f.endOfRun != 0};
}

// Only a chart with code has generated functions under its ML name.
bool takesPart(const ChartCall& c) { return hasText(c.code) && hasText(c.mlName); }

void addUpdate(std::string& text, const ChartCall& c, SChartMode mode)
{
    if (!takesPart(c) || (mode == SChartMode::EndOfRun && !c.endOfRun))
        return;
    text += "TOLQ'CCAF" + std::string(c.mlName) + (mode == SChartMode::AfterStep ? " (false);\n" : " (true);\n");
}

void addInit(std::string& text, const ChartCall& c)
{
    if (takesPart(c))
        text += "TOLQ'CCIF" + std::string(c.mlName) + " ();\n";
}

template <class F> void forEveryChart(F f)
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    se::forEachRec(root->barCharts, [&](SEHead* r) { f(callOf(*reinterpret_cast<SEBarChart*>(r))); });
    se::forEachRec(root->lineCharts, [&](SEHead* r) { f(callOf(*reinterpret_cast<SELineChart*>(r))); });
}

} // namespace

bool SChartIsMLException(int16_t result) { return result == -2 || result == -4 || result == -5; }

void SAddChartUpdate(std::string& text, SEHead* record, SChartMode mode)
{
    if (record != nullptr && record->kind == kSEBarChart)
        addUpdate(text, callOf(*reinterpret_cast<SEBarChart*>(record)), mode);
    else if (record != nullptr && record->kind == kSELineChart)
        addUpdate(text, callOf(*reinterpret_cast<SELineChart*>(record)), mode);
}

std::string SAllChartUpdates(SChartMode mode)
{
    std::string text;
    forEveryChart([&](const ChartCall& c) { addUpdate(text, c, mode); });
    return text;
}

int16_t SSendChartText(const std::string& text)
{
    if (text.empty())
        return 0;
    MemFile* request = MemFileCreate();
    MemFile* reply = MemFileCreate();
    int16_t result = -1;
    if (request != nullptr && reply != nullptr) {
        MemFileWrite(request, text.data(), static_cast<uint32_t>(text.size()));
        result = SMLEvaluate(request, reply);
    }
    if (request != nullptr)
        MemFileDestroy(request);
    if (reply != nullptr)
        MemFileDestroy(reply);
    return result;
}

void SRefreshCharts()
{
    const int cursor = EE_BeginBusy("Updating Charts");
    if (SChartIsMLException(SSendChartText(SAllChartUpdates(SChartMode::EndOfRun))))
        GE_MessageBox(kMsgChartException);
    EE_EndBusy(cursor);
}

void SInitCharts()
{
    const int cursor = EE_BeginBusy("Initializing Charts");
    std::string text;
    forEveryChart([&](const ChartCall& c) { addInit(text, c); });
    if (SChartIsMLException(SSendChartText(text)))
        GE_MessageBox(kMsgChartInitException);
    EE_EndBusy(cursor);
}
