// Plotting values into a line chart: mapping values to page places and
// adding point boxes to the lines.
#include "atolq/Chart/ChartUtil.h"
#include "atolq/Chart/LineChart.h"
#include "atolq/Chart/LineSeries.h"
#include "xkv/kv/QXAttr.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Page coordinate of a value: the origin place plus the value's distance from
// the origin in page units, saturated to the Fixed range.
Fixed mapValue(double value, Fixed originPlace, Fixed length, const char* minText, const char* maxText,
               const char* originText, bool vertical)
{
    const double min = ChartTextReal(minText);
    const double max = ChartTextReal(maxText);
    const double origin = ChartTextReal(originText);
    const double range = vertical ? min - max : max - min;
    if (range == 0 || !std::isfinite(value))
        return originPlace;
    const double place = std::floor(originPlace + length / range * (value - origin));
    // Saturated to the coordinate range: a value far off the axis still
    // gets a place.
    constexpr double hi = std::numeric_limits<Fixed>::max();
    constexpr double lo = std::numeric_limits<Fixed>::min();
    return static_cast<Fixed>(std::clamp(place, lo, hi));
}

} // namespace

void LineChartPlot(SELineChart& chart, int32_t line, Fixed x, Fixed y, int32_t join, const int16_t* pattern)
{
    LineChartFields c(chart);
    if (line < 1 || line > c.lineCount || c.series == nullptr)
        return;
    LineSeries& s = c.series[line - 1];
    if (s.objectA == 0) {
        const auto p = pattern != nullptr ? *pattern : static_cast<int16_t>(c.patterns[(line - 1) % 10]);
        LineSeriesBegin(chart, x, y, p, 1, s);
        ChartAttach(c.frame, s.objectA, kLinePointRegion);
    } else if (pattern != nullptr) {
        LineSeriesAddPointWithPattern(s, x, y, *pattern, s.objectA, join);
    } else {
        LineSeriesAddPoint(s, x, y, s.objectA, join);
    }
}

namespace {

void addOne(int32_t line, double x, double y, int32_t join, SELineChart& chart, const int16_t* pattern)
{
    LineChartFields c(chart);
    if ((c.flags & kChartFlagStarted) == 0)
        LineChartStart(chart);
    LineChartFitX(x, x, chart);
    LineChartFitY(y, y, chart);
    LineChartPlot(chart, line, LineChartMapX(x, chart), LineChartMapY(y, chart), join, pattern);
}

// A batch extent: truncated toward zero to a whole number.
double wholePart(double v)
{
    return std::isfinite(v) ? std::trunc(v) : v;
}

} // namespace

void LineChartStart(SELineChart& chart)
{
    LineChartFields c(chart);
    LineSeriesRemoveAll(c.series, c.lineCount);
    Fixed ox = 0, oy = 0;
    QXRdAttr_GetPosition(c.originMarker, &ox, &oy);
    LineSeriesReset(chart, ox, oy, c.series);
    c.flags |= kChartFlagStarted;
}

Fixed LineChartMapX(double value, SELineChart& chart)
{
    LineChartFields c(chart);
    Fixed ox = 0, oy = 0, w = 0, h = 0;
    QXRdAttr_GetPosition(c.originMarker, &ox, &oy);
    QXRdAttr_GetSize(c.xAxis, &w, &h);
    return mapValue(value, ox, w, c.xMinText, c.xMaxText, c.xOriginText, false);
}

Fixed LineChartMapY(double value, SELineChart& chart)
{
    LineChartFields c(chart);
    Fixed ox = 0, oy = 0, w = 0, h = 0;
    QXRdAttr_GetPosition(c.originMarker, &ox, &oy);
    QXRdAttr_GetSize(c.yAxis, &w, &h);
    return mapValue(value, oy, h, c.yMinText, c.yMaxText, c.yOriginText, true);
}

void LineChartAddPoint(int32_t line, double x, double y, int32_t join, SELineChart& chart)
{
    addOne(line, x, y, join, chart, nullptr);
}

void LineChartAddPointWithPattern(int32_t line, double x, double y, int32_t join, SELineChart& chart,
                                  int16_t pattern)
{
    addOne(line, x, y, join, chart, &pattern);
}

void LineChartAddPoints(const LinePointEntry* entries, SELineChart& chart, int32_t count)
{
    LineChartFields c(chart);
    if ((c.flags & kChartFlagStarted) == 0)
        LineChartStart(chart);
    std::vector<const LinePointEntry*> valid;
    for (int32_t i = 0; i < count && entries != nullptr; ++i)
        if (entries[i].valid != 0)
            valid.push_back(&entries[i]);
    if (valid.empty())
        return;
    double loX = valid.front()->x, hiX = loX, loY = valid.front()->y, hiY = loY;
    for (const LinePointEntry* e : valid) {
        loX = std::min(loX, e->x), hiX = std::max(hiX, e->x);
        loY = std::min(loY, e->y), hiY = std::max(hiY, e->y);
    }
    LineChartFitX(wholePart(loX), wholePart(hiX), chart);
    LineChartFitY(wholePart(loY), wholePart(hiY), chart);
    for (const LinePointEntry* e : valid)
        LineChartPlot(chart, e->line, LineChartMapX(e->x, chart), LineChartMapY(e->y, chart), e->join, nullptr);
}
