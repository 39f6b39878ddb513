// Chart initialisation at the start of a simulation state: one request that
// calls TOLQ'CCIF<name> of every chart with code.
#include "atolq/CSimulator/SimulatorCharts.h"

#include <string>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/Chart/ChartRecords.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/MemFile.h"

namespace {

constexpr int16_t kMsgChartInitException = 11560;

bool hasText(const char* s) { return s != nullptr && *s != '\0'; }

// A chart with code has generated functions under its ML name.
void addInit(std::string& text, const char* code, const char* mlName)
{
    if (hasText(code) && hasText(mlName))
        text += "TOLQ'CCIF" + std::string(mlName) + " ();\n";
}

bool isException(int16_t code) { return code == -2 || code == -4 || code == -5; }

} // namespace

void SInitCharts()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    std::string text;
    se::forEachRec(root->barCharts, [&](SEHead* r) {
        auto* chart = reinterpret_cast<SEBarChart*>(r);
        addInit(text, BarChartFields(*chart).codeText, chart->text3);
    });
    se::forEachRec(root->lineCharts, [&](SEHead* r) {
        auto* chart = reinterpret_cast<SELineChart*>(r);
        addInit(text, LineChartFields(*chart).codeText, chart->text2);
    });
    if (text.empty())
        return;
    MemFile* request = MemFileCreate();
    MemFile* reply = MemFileCreate();
    if (request != nullptr && reply != nullptr) {
        MemFileWrite(request, text.data(), static_cast<uint32_t>(text.size()));
        if (isException(SMLEvaluate(request, reply)))
            GE_MessageBox(kMsgChartInitException);
    }
    if (request != nullptr)
        MemFileDestroy(request);
    if (reply != nullptr)
        MemFileDestroy(reply);
}
