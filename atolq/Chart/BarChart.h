// Bar charts drawn as kernel objects: horizontal bars of stacked segments
// around a zero axis, with title, legend, bar names, totals, grid and value
// labels; the values the model sends, the value axis following them, and
// history charts that fill one bar per update.
#pragma once

#include "atolq/Chart/ChartRecords.h"
#include "xkv/types/Types.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The settings of the bar chart dialog, in record order.
struct BarChartAttributes {
    int32_t barCount;
    int32_t partCount;
    int16_t barHeight; // interface units
    int32_t history;
    int32_t retain;
    int32_t stepInterval;
    int32_t integerValues;
    int32_t gridNumber;
    int32_t ticksOnly;
    int32_t title;
    int32_t legend;
    int32_t barNames;
    int32_t posValues;
    int32_t negValues;
    int32_t upperValues;
    int32_t lowerValues;
    int32_t saveCopy;
    int32_t keepContents;
    int32_t endOfRun;
    int32_t existing;
    char name[256];
    char interval[256];
    char min[256];
    char max[256];
    char distance[256];
};

inline constexpr uint32_t kBarZeroAxisRegion = 4254;
inline constexpr uint32_t kBarSegmentRegion = 4318;
inline constexpr uint32_t kBarGridRegion = 4382;
inline constexpr uint32_t kBarUpperRegion = 4446;
inline constexpr uint32_t kBarLowerRegion = 4510;
inline constexpr uint32_t kBarPosTotalRegion = 4574;
inline constexpr uint32_t kBarNegTotalRegion = 4638;
inline constexpr uint32_t kBarNameRegion = 4702;
inline constexpr uint32_t kBarLegendRegion = 4766;
inline constexpr uint32_t kBarTitleRegion = 5214;
inline constexpr uint32_t kBarAreaRegion = 5278;

// One bar's values of a multi-bar update.
struct BarUpdate {
    int32_t bar; // from 1
    std::vector<double> values;
    int32_t use;
};

// One row of a multi-row history update.
struct HistoryRow {
    std::vector<double> values;
    int32_t use;
};

void BarChartApply(SEBarChart& chart, const BarChartAttributes& a);
void BarChartBuild(SEBarChart& chart, const BarChartAttributes& a);
void BarChartUpdate(SEBarChart& chart, const BarChartAttributes& a);
void BarChartLayoutBars(SEBarChart& chart, Fixed cx, Fixed cy, Fixed w, Fixed h, const BarChartAttributes& a,
                        Fixed frameWidth);
void BarChartShowTitle(SEBarChart& chart, bool shown);
void BarChartSetPage(uint32_t frame, uint32_t page);
void BarChartSetTitleText(SEBarChart& chart, const std::string& text);
void BarChartSetPartNames(SEBarChart& chart, std::span<const std::string> texts);
void BarChartSetBarNames(SEBarChart& chart, std::span<const std::string> texts);
int BarChartDelete(SEBarChart& chart);

// Values and scaling.
void BarChartSetBar(SEBarChart& chart, int32_t bar, std::span<const double> values);
void BarChartSetBars(SEBarChart& chart, std::span<const BarUpdate> bars);
void BarChartSetPart(SEBarChart& chart, int32_t part, std::span<const double> values);
void BarChartAddRow(SEBarChart& chart, std::span<const double> values);
void BarChartAddRows(SEBarChart& chart, std::span<const HistoryRow> rows, std::span<const std::string> tags);
void BarChartAddTag(SEBarChart& chart, const std::string& tag);
void BarChartReset(SEBarChart& chart);
void BarChartResetHistory(SEBarChart& chart);
void BarChartClear(SEBarChart& chart);
void BarChartClearHistory(SEBarChart& chart);
void BarChartChangeScale(SEBarChart& chart, const BarChartAttributes& a);

// The value scale: the grid interval, the interval counts right and left of
// the zero axis and the shown range.
struct BarScale {
    double interval = 1;
    int32_t pos = 1;
    int32_t neg = 0;
    double hi() const { return pos * interval; }
    double lo() const { return -(neg * interval); }
};
// The scale rule for a largest value M >= 0 and a smallest m <= 0, with the
// interval number (0: by distance) and the distance text.
BarScale BarChartScaleRule(double M, double m, int32_t number, const char* distance, bool integer);

// Internal steps shared by the layout and the values.
void BarChartMakeGrid(SEBarChart& chart, bool upper, bool lower);
void BarChartMakeValueLabels(SEBarChart& chart, bool upper, bool lower);
void BarChartMakeSampleSegments(SEBarChart& chart);
void BarChartPlaceZeroAxis(SEBarChart& chart);
