// The settings of the chart options dialogs: the built-in defaults, the
// settings shown for a built chart, the check of what the user typed, and
// the net editor's entries that apply settings to a chart.
#pragma once

#include "atolq/Chart/BarChart.h"
#include "atolq/Chart/LineChart.h"

#include <cstdint>
#include <string>

BarChartAttributes BarChartBuiltInDefaults();
LineChartAttributes LineChartBuiltInDefaults();

// The settings as a built chart shows them now (for a chart dialog opened
// on one selected chart).
void BarChartAttributesOf(SEBarChart& chart, BarChartAttributes& out);
void LineChartAttributesOf(SELineChart& chart, LineChartAttributes& out);

// What the user typed and chose in the bar chart dialog.
struct BarChartForm {
    bool newChart = true;
    std::string name, bars, parts, height, retain, grid, interval, step, min, max;
    bool history = false, timeChecked = false, stepChecked = false;
    bool byNumber = false, byDistance = false, integer = true;
};

// What the user typed and chose in the line chart dialog; per axis the grid
// text is the number or the distance by the radio choice.
struct LineChartForm {
    bool newChart = true;
    std::string name, lines, boxSize, interval, step;
    std::string xMin, xMax, yMin, yMax, xOrigin, yOrigin, xGrid, yGrid;
    bool timeChecked = false, stepChecked = false, integer = true;
    bool xByNumber = false, xByDistance = false, yByNumber = false, yByDistance = false;
};

// Checks the fields in the dialog's order; 0 with the checked values stored
// into the record, or the message id of the first field that fails (the
// record is then unchanged).
int16_t BarChartCheckForm(const BarChartForm& form, BarChartAttributes& record);
int16_t LineChartCheckForm(const LineChartForm& form, LineChartAttributes& record);
