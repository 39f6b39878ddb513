// The chart options dialogs: the chart type dialog of "Chart...", and the
// bar and line chart dialogs that edit a settings record for a chart just
// drawn or for the selected charts, and load and save the chart defaults.
#pragma once

#include "atolq/Chart/BarChart.h"
#include "atolq/Chart/LineChart.h"

#include <cstdint>

// The default properties that hold a whole settings record of each kind.
inline constexpr uint32_t kChartBarDefaults = 1069;
inline constexpr uint32_t kChartLineDefaults = 1070;

// "Chart...": the chart type dialog; on OK the net editor's creation of a bar
// or line chart starts. 0 when the dialog was cancelled, else 1.
int ChartOptionsCommand();

// Load the diagram's defaults into the record, set existing and run the
// dialog; 1 with the new settings in the record unless it was cancelled.
int BarChartDialog(BarChartAttributes& record, int32_t existing);
int LineChartDialog(LineChartAttributes& record, int32_t existing);
