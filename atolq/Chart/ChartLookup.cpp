// Lookup of charts by name in the data base's bar chart and line chart lists.
#include "atolq/Chart/ChartUtil.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/Utils/LMList.h"

namespace {

template <typename Record>
Record* findByName(LMList* list, std::string_view name)
{
    const uint16_t n = LMCount(list);
    for (uint16_t i = 1; i <= n; ++i) {
        void* value = nullptr;
        if (LMNth(list, &value, nullptr, i) == 0 || value == nullptr)
            continue;
        auto* chart = static_cast<Record*>(value);
        if (chart->title != nullptr && name == chart->title)
            return chart;
    }
    return nullptr;
}

LMList* chartList(bool bars)
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return nullptr;
    return bars ? root->barCharts : root->lineCharts;
}

} // namespace

int FindLineChart(std::string_view name, SELineChart** chart)
{
    SELineChart* found = findByName<SELineChart>(chartList(false), name);
    if (chart != nullptr)
        *chart = found;
    return found != nullptr ? 1 : 0;
}

int LineChartNameIsFree(std::string_view name)
{
    return FindLineChart(name, nullptr) == 0 ? 1 : 0;
}

int FindBarChart(std::string_view name, SEBarChart** chart)
{
    SEBarChart* found = findByName<SEBarChart>(chartList(true), name);
    if (chart != nullptr)
        *chart = found;
    return found != nullptr ? 1 : 0;
}

int BarChartNameIsFree(std::string_view name)
{
    return FindBarChart(name, nullptr) == 0 ? 1 : 0;
}
