// Line charts drawn as kernel objects: the frame with its plot area, axes,
// grid, labels, origin marker, title, legend and axis names, and the plotting
// of values with the axes following them.
#pragma once

#include "atolq/Chart/ChartRecords.h"
#include "xkv/types/Types.h"

#include <cstdint>
#include <string_view>

// The settings of the line chart dialog, in record order.
struct LineChartAttributes {
    int32_t lineCount;
    int16_t boxSize; // interface units
    int32_t startAtOrigin;
    int32_t horizVert;
    int32_t xGridNumber;
    int32_t xTicksOnly;
    int32_t yGridNumber;
    int32_t yTicksOnly;
    int32_t title;
    int32_t legend;
    int32_t axisNames;
    int32_t saveCopy;
    int32_t keepContents;
    int32_t initAtOrigin;
    int32_t endOfRun;
    int32_t stepInterval;
    int32_t integerValues;
    int32_t rescaleAxis;
    int32_t moveAxis;
    int32_t existing;
    char name[256];
    char xDistance[256];
    char yDistance[256];
    char intervalText[256];
    char xMin[256];
    char xMax[256];
    char yMin[256];
    char yMax[256];
    char xOrigin[256];
    char yOrigin[256];
};

// One point of a batch.
struct LinePointEntry {
    int32_t line; // from 1
    double x;
    double y;
    int32_t join;
    int32_t valid;
};

inline constexpr uint32_t kLineGridRegion = 4382;
inline constexpr uint32_t kLineLegendRegion = 4766;
inline constexpr uint32_t kLineAxisRegion = 4958;
inline constexpr uint32_t kLineAxisNameRegion = 5022;
inline constexpr uint32_t kLineLabelRegion = 5150;
inline constexpr uint32_t kLineTitleRegion = 5214;
inline constexpr uint32_t kLineOriginRegion = 5278;

void LineChartApply(SELineChart& chart, const LineChartAttributes& a);
void LineChartLayout(SELineChart& chart, const LineChartAttributes& a);
void LineChartBuildPlot(SELineChart& chart, const LineChartAttributes& a, Fixed cx, Fixed cy, Fixed w, Fixed h);
void LineChartSetTitle(SELineChart& chart, std::string_view text);
void LineChartSetAxisNames(std::string_view x, std::string_view y, uint32_t xLabel, uint32_t yLabel);
void LineChartSetLegendNames(const SEWordArray& labels, const char* const* texts, int32_t count);
uint32_t LineChartMakeAxisName(uint32_t page, Fixed x, Fixed y, uint32_t axis, std::string_view text);


void LineChartStart(SELineChart& chart);
Fixed LineChartMapX(double value, SELineChart& chart);
Fixed LineChartMapY(double value, SELineChart& chart);
void LineChartAddPoint(int32_t line, double x, double y, int32_t join, SELineChart& chart);
void LineChartAddPointWithPattern(int32_t line, double x, double y, int32_t join, SELineChart& chart,
                                  int16_t pattern);
void LineChartAddPoints(const LinePointEntry* entries, SELineChart& chart, int32_t count);
// Puts a point at a page place into a line: its first box, or the next one
// joined to the previous one when join is set; the pattern, when given,
// becomes the line's.
void LineChartPlot(SELineChart& chart, int32_t line, Fixed x, Fixed y, int32_t join, const int16_t* pattern);
void LineChartFitX(double low, double high, SELineChart& chart);
void LineChartFitY(double low, double high, SELineChart& chart);
void LineChartReinit(SELineChart& chart);

// Changes of an existing chart's settings.
void LineChartUpdate(SELineChart& chart, const LineChartAttributes& a);
void LineChartSetXAxis(SELineChart& chart, const LineChartAttributes& a);
void LineChartSetYAxis(SELineChart& chart, const LineChartAttributes& a);
// 1 when the frame still is a line chart and was removed, else 0.
int LineChartDelete(SELineChart& chart);
void LineChartSetPage(uint32_t frame, uint32_t page);
