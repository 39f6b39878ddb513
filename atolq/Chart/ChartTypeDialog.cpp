// "Chart..." of the TOLQ menu: the chart type dialog (32400), whose choice
// starts the net editor's creation of a bar chart or a line chart node.
#include "atolq/Chart/ChartDialogs.h"

#include "atolq/CEditor/NetCreate.h"
#include "xkv/dialog/Dialog.h"

namespace {

constexpr int32_t kChartTypeDialog = 32400;
constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;
constexpr int16_t kBarChart = 4;
constexpr int16_t kLineChart = 5;

// The type chosen last, preselected the next time.
int16_t chosenType = kBarChart;

struct TypeAnswer {
    int16_t type = kBarChart;
    bool ok = false;
};

int16_t TypeCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* answer = static_cast<TypeAnswer*>(Dialog_GetClientData());
    if (answer == nullptr)
        return item;
    if (code == 0) {
        Dialog_SetRadioGroup(kBarChart, kLineChart, answer->type);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    switch (item) {
    case kBarChart:
    case kLineChart:
        answer->type = item;
        Dialog_SetRadioGroup(kBarChart, kLineChart, item);
        break;
    case kOk:
        answer->ok = true;
        Dialog_Close(kOk);
        break;
    case kCancel: Dialog_Close(kCancel); break;
    default: break;
    }
    return item;
}

}  // namespace

int ChartOptionsCommand()
{
    TypeAnswer answer;
    answer.type = chosenType;
    Dialog_OpenModal(kChartTypeDialog, TypeCallback, &answer);
    if (!answer.ok)
        return 0;
    chosenType = answer.type;
    if (chosenType == kLineChart)
        EE_CreateLineChart();
    else
        EE_CreateBarChart();
    return 1;
}
