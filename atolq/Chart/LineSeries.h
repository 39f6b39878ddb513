// The lines of a line chart: chains of small point boxes on the page joined by
// connectors, one record per line. The first box of a line is a region of the
// chart's frame; every later box is a region of the first box.
#pragma once

#include "atolq/Chart/ChartRecords.h"
#include "xkv/types/Types.h"

#include <cstdint>
#include <span>

inline constexpr uint32_t kLinePointRegion = 5086;
inline constexpr uint32_t kLinePointFlag = 0x80;

void LineSeriesClear(LineSeries& series);
void LineSeriesClearAll(int32_t n, LineSeries* series);
void LineSeriesBegin(SELineChart& chart, Fixed x, Fixed y, int16_t pattern, int16_t shape, LineSeries& out);
void LineSeriesBeginAll(SELineChart& chart, Fixed x, Fixed y, LineSeries* series);
void LineSeriesReset(SELineChart& chart, Fixed x, Fixed y, LineSeries* series);
uint32_t LineSeriesNewBox(LineSeries& series, Fixed x, Fixed y, uint32_t parent);
void LineSeriesJoin(LineSeries& series, Fixed x, Fixed y, uint32_t newBox, uint32_t parent);
void LineSeriesAddPoint(LineSeries& series, Fixed x, Fixed y, uint32_t parent, int32_t join);
void LineSeriesAddPointWithPattern(LineSeries& series, Fixed x, Fixed y, int16_t pattern, uint32_t parent,
                                   int32_t join);
void LineSeriesRemoveAll(LineSeries* series, int32_t n);
void LineSeriesAttachPoints(uint32_t parent, std::span<const uint32_t> objects);
void LineSeriesReattach(LineSeries* series, uint32_t parent, int32_t n);
void LineSeriesTrimXBelow(SELineChart& chart, Fixed limit);
void LineSeriesTrimXAbove(SELineChart& chart, Fixed limit);
void LineSeriesTrimYAbove(SELineChart& chart, Fixed limit);
void LineSeriesTrimYBelow(SELineChart& chart, Fixed limit);
