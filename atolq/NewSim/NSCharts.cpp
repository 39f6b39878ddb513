// The chart requests of the newer simulator: charts with code take part in
// the simulation; the evaluator learns their code and every chart's name.
#include "atolq/NewSim/NSCharts.h"

#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/NewSim/NSSmlGlue.h"

namespace {

constexpr int32_t kCodeUpdates = 1;
constexpr int32_t kCodeAll = 2;

bool hasText(const char* text) { return text != nullptr && *text != '\0'; }

template <class Chart> void addUpdateTexts(NSMessage* message, const LMList* charts)
{
    se::forEachRec(charts, [&](SEHead* r) {
        const auto* chart = reinterpret_cast<const Chart*>(r);
        if (hasText(chart->chartText))
            NSMsgAddString(message, chart->chartText);
    });
}

template <class Chart> void addNames(NSMessage* message, const LMList* charts)
{
    NSMsgAddInt(message, se::count(charts));
    se::forEachRec(charts, [&](SEHead* r) { NSMsgAddString(message, reinterpret_cast<const Chart*>(r)->title); });
}

} // namespace

int NSChartsToUpdate()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    auto message = NSMsgNew(kNSClassCharts);
    NSMsgAddInt(message.get(), kCodeUpdates);
    addUpdateTexts<SEBarChart>(message.get(), root->barCharts);
    addUpdateTexts<SELineChart>(message.get(), root->lineCharts);
    return NSMsgCall(message.get());
}

int NSSendCharts()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    auto message = NSMsgNew(kNSClassCharts);
    NSMsgAddInt(message.get(), kCodeAll);
    addNames<SEBarChart>(message.get(), root->barCharts);
    addNames<SELineChart>(message.get(), root->lineCharts);
    return NSMsgCall(message.get());
}
