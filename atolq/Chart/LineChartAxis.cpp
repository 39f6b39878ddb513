// Axis arithmetic of line charts and the grid lines and labels of an axis.
#include "atolq/Chart/LineChartAxis.h"

#include "atolq/Chart/ChartUtil.h"
#include "atolq/Chart/LineChart.h"
#include "xkv/kv/QXStr.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

namespace {

// Interval counts beyond this are refused: they would only come from a step
// far too small for the range and would fill the page with objects.
constexpr int32_t kMaxIntervals = 1000;

int32_t clampCount(int32_t n)
{
    return std::clamp(n, 0, kMaxIntervals);
}

int64_t roundHalf(int64_t v)
{
    return ChartRound(static_cast<double>(v) / 2.0);
}

} // namespace

LineAxisScale LineAxisCompute(double min, double max, double origin, bool byNumber, int32_t number,
                              double distance, bool integer, bool roundBelow)
{
    LineAxisScale s;
    s.origin = origin;
    const double span = max - min;
    if (byNumber) {
        s.step = integer ? ChartNiceIntStep(ChartTrunc(span), number) : ChartNiceRealStep(span, number);
        const int32_t k = span > 0 ? ChartRound(number * (max - origin) / span) : 0;
        s.above = ChartStepIndex(max - origin, k, s.step);
        s.below = ChartStepIndex(origin - min, number - k, s.step);
    } else {
        // A distance that is not positive has no grid; one unit stands in.
        s.step = distance > 0 && std::isfinite(distance) ? distance : 1.0;
        s.above = ChartCeil((max - origin) / s.step);
        s.below = roundBelow ? ChartRound((origin - min) / s.step) : ChartCeil((origin - min) / s.step);
    }
    s.above = clampCount(s.above);
    s.below = clampCount(s.below);
    if (s.above == 0 && s.below == 0)
        s.above = 1;
    s.min = origin - s.below * s.step;
    s.max = origin + s.above * s.step;
    return s;
}

Fixed LineAxisOriginPlace(const LineAxisScale& s, Fixed centre, Fixed length, bool vertical)
{
    const double range = s.max - s.min;
    const int64_t lower = range > 0 ? ChartRound((s.origin - s.min) * length / range) : 0;
    const int64_t upper = length - lower;
    const int64_t shift = roundHalf(lower - upper);
    return static_cast<Fixed>(vertical ? centre - shift : centre + shift);
}

void LineAxisSetLabelTexts(SELineChart& chart, double min, double step, bool vertical)
{
    LineChartFields c(chart);
    const SEWordArray& labels = vertical ? c.yLabels : c.xLabels;
    if (labels.words == nullptr)
        return;
    const auto n = static_cast<int32_t>(labels.count);
    const auto texts = c.integerValues != 0 ? ChartMakeIntLabels(ChartTrunc(min), ChartTrunc(step), n)
                                            : ChartMakeRealLabels(min, step, n);
    ChartSetTexts(std::span<const uint32_t>(labels.words, labels.count), texts);
}

void LineAxisMakeLabels(SELineChart& chart, const LineAxisScale& s, const LineAxisPlace& p, bool vertical)
{
    LineChartFields c(chart);
    SEWordArray& labels = vertical ? c.yLabels : c.xLabels;
    const uint32_t axis = vertical ? c.yAxis : c.xAxis;
    const bool ticksOnly = (vertical ? c.yTicksOnly : c.xTicksOnly) != 0;
    const int32_t intervals = std::max(s.below + s.above, 1);
    const int32_t n = s.below + s.above + 1;
    ChartAllocWords(labels, n);
    if (labels.words == nullptr)
        return;
    const Fixed spacing = (vertical ? p.h : p.w) / intervals;
    Fixed across = 0; // the row's y, or the column's x
    if (!vertical) {
        across = (ticksOnly ? p.oy : p.cy + p.h / 2) + ChartUnits(10);
    } else {
        const bool integer = c.integerValues != 0;
        auto form = [&](double v) {
            return integer ? ChartFormatLong(ChartTrunc(v)) : ChartFormatAxisValue(v, false);
        };
        const auto longest = static_cast<int32_t>(std::max(form(s.max).size(), form(s.min).size()));
        across = (ticksOnly ? p.ox : p.cx - p.w / 2) - ChartUnits(5 + 6 * longest);
    }
    for (int32_t i = 0; i < n; ++i) {
        Fixed along = 0;
        if (!vertical) {
            if (i < s.below)
                along = p.ox - (s.below - i) * spacing - ChartUnits(15);
            else if (i == s.below)
                along = p.ox - (ticksOnly ? ChartUnits(10) : 0);
            else
                along = p.ox + (i - s.below) * spacing;
        } else {
            if (i < s.below)
                along = p.oy + (s.below - i) * spacing;
            else if (i == s.below)
                along = p.oy + (ticksOnly ? ChartUnits(10) : 0);
            else
                along = p.oy - (i - s.below) * spacing;
        }
        SEWordArray one{};
        ChartCreateValueLabels(c.page, vertical ? across : along, vertical ? along : across, 1, 0, axis, true, one,
                               kLineLabelRegion);
        if (one.words != nullptr)
            labels.words[i] = one.words[0];
        ChartFreeWords(one);
    }
    LineAxisSetLabelTexts(chart, s.min, s.step, vertical);
}

void LineAxisMakeGrid(SELineChart& chart, const LineAxisScale& s, const LineAxisPlace& p, bool vertical)
{
    LineChartFields c(chart);
    SEWordArray& grid = vertical ? c.yTicks : c.xTicks;
    const uint32_t axis = vertical ? c.yAxis : c.xAxis;
    const bool ticksOnly = (vertical ? c.yTicksOnly : c.xTicksOnly) != 0;
    const int32_t intervals = std::max(s.below + s.above, 1);
    const Fixed spacing = (vertical ? p.h : p.w) / intervals;
    // Lines across: ticks of 4 units centred on the axis, or full lines
    // centred on the plot area.
    const Fixed length = ticksOnly ? ChartUnits(4) : (vertical ? p.w : p.h);
    const Fixed middle = ticksOnly ? (vertical ? p.ox : p.oy) : (vertical ? p.cx : p.cy);
    const Fixed origin = vertical ? p.oy : p.ox;
    ChartAllocWords(grid, s.below + s.above);
    if (grid.words == nullptr)
        return;
    auto make = [&](int32_t index, Fixed at) {
        FixPoint ends[2];
        if (vertical)
            ends[0] = {middle - length / 2, at}, ends[1] = {middle + length / 2, at};
        else
            ends[0] = {at, middle - length / 2}, ends[1] = {at, middle + length / 2};
        grid.words[index] = QXStr_CreateLine(c.page, 2, ends);
        ChartAttach(axis, grid.words[index], kLineGridRegion);
    };
    // Page y grows downward: values below the origin lie lower on the y axis.
    const Fixed towardMin = vertical ? spacing : -spacing;
    if (s.min < s.origin)
        for (int32_t k = 1; k <= s.below; ++k)
            make(k - 1, origin + k * towardMin);
    if (s.max > s.origin)
        for (int32_t k = 1; k <= s.above; ++k)
            make(s.below + k - 1, origin - k * towardMin);
}

void LineAxisWriteTexts(SELineChart& chart, const LineAxisScale& s, bool vertical)
{
    LineChartFields c(chart);
    ChartSetRecordText(vertical ? c.yMinText : c.xMinText, ChartFormatReal(s.min));
    ChartSetRecordText(vertical ? c.yMaxText : c.xMaxText, ChartFormatReal(s.max));
    ChartSetRecordText(vertical ? c.yOriginText : c.xOriginText, ChartFormatReal(s.origin));
}
