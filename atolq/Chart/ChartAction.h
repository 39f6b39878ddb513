// The update action that a chart writes into its code region: the ML call
// whose arguments name the chart and hold one placeholder per value, for the
// modeller to replace. The text is also stored as the chart's text in the
// net data base.
#pragma once

#include "atolq/AEditor/SERecords.h"
#include "xkv/types/Types.h"

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr uint32_t kLineCodeRegion = 69662;
inline constexpr uint32_t kBarCodeRegion = 4126;

std::string LineChartActionText(std::string_view name, int32_t lineCount, bool integer);
std::string BarChartStandardActionText(std::string_view name, int32_t barCount, int32_t partCount, bool integer);
std::string BarChartHistoryActionText(std::string_view name, int32_t partCount, bool integer);

void LineChartWriteUpdateAction(SELineChart& chart, uint32_t region);
void BarChartWriteAction(SEBarChart& chart, uint32_t region);

// A fresh code region (500 by 500 units at the point) for the chart's frame,
// with the update action written into it.
void LineChartMakeCodeRegion(SELineChart& chart, Fixed x, Fixed y);
void BarChartMakeCodeRegion(SEBarChart& chart, Fixed x, Fixed y);

// The chart's code region, found among the frame's regions by its kind; 0
// when there is none.
uint32_t ChartFindRegion(uint32_t frame, uint32_t regionKind);
