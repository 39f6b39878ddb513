// Keeping the axes of a line chart around the values that arrive: moving an
// axis along or widening it, with the points drawn so far following, and the
// re-initialisation of a chart.
#include "atolq/Chart/ChartUtil.h"
#include "atolq/Chart/LineChart.h"
#include "atolq/Chart/LineChartParts.h"
#include "atolq/Chart/LineSeries.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/EditorState.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

LineAxisFields LineAxisOf(LineChartFields& c, bool v)
{
    return LineAxisFields{v,
                          v ? c.yAxis : c.xAxis,
                          v ? c.xAxis : c.yAxis,
                          v ? c.yTicks : c.xTicks,
                          v ? c.yLabels : c.xLabels,
                          v ? c.xTicks : c.yTicks,
                          v ? c.xLabels : c.yLabels,
                          v ? c.yGridNumber : c.xGridNumber,
                          v ? c.yDistanceText : c.xDistanceText,
                          v ? c.yBelow : c.xBelow,
                          v ? c.yAbove : c.xAbove,
                          v ? c.yMinText : c.xMinText,
                          v ? c.yMaxText : c.xMaxText,
                          v ? c.yOriginText : c.xOriginText,
                          v ? c.yMinSetting : c.xMinSetting,
                          v ? c.yMaxSetting : c.xMaxSetting,
                          v ? c.yOriginSetting : c.xOriginSetting,
                          v ? c.yTicksOnly : c.xTicksOnly,
                          v ? c.xTicksOnly : c.yTicksOnly,
                          v ? c.yByNumber : c.xByNumber};
}

LineGeometry LineChartGeometry(LineChartFields& c)
{
    LineGeometry g;
    Fixed unused = 0;
    QXRdAttr_GetSize(c.xAxis, &g.W, &unused);
    QXRdAttr_GetSize(c.yAxis, &unused, &g.H);
    QXRdAttr_GetPosition(c.xAxis, &g.ax, &g.ay);
    QXRdAttr_GetPosition(c.yAxis, &g.bx, &g.by);
    QXRdAttr_GetPosition(c.originMarker, &g.ox, &g.oy);
    return g;
}

void LineChartCarryPoints(LineChartFields& c, LineBoxPlace from, LineBoxPlace to)
{
    if (c.series == nullptr)
        return;
    const uint32_t node = QXStr_CreateNode(c.page, from.x, from.y, from.width, from.height, 1);
    if (node == 0)
        return;
    for (int32_t i = 0; i < c.lineCount; ++i)
        if (c.series[i].objectA != 0)
            ChartAttach(node, c.series[i].objectA, kLinePointRegion);
    if (to.width != from.width || to.height != from.height)
        QXWtAttr_SetSize(node, to.width, to.height);
    QXWtAttr_SetPosition(node, to.x, to.y);
    LineSeriesReattach(c.series, c.frame, c.lineCount);
    QXStr_DeleteObject(node);
}

double LineAxisCurrentStep(const LineAxisFields& a)
{
    const double min = ChartTextReal(a.minText);
    const double max = ChartTextReal(a.maxText);
    const double origin = ChartTextReal(a.originText);
    if (a.above >= 1)
        return (max - origin) / a.above;
    if (a.below >= 1)
        return std::fabs((origin - min) / a.below);
    return 1.0;
}

void LineAxisRemake(SELineChart& chart, const LineAxisScale& s, const LineAxisPlace& p, bool vertical)
{
    LineChartFields c(chart);
    LineAxisFields a = LineAxisOf(c, vertical);
    ChartDeleteObjects(a.labels);
    ChartDeleteObjects(a.ticks);
    a.below = s.below;
    a.above = s.above;
    LineAxisMakeLabels(chart, s, p, vertical);
    LineAxisMakeGrid(chart, s, p, vertical);
}

void LineAxisMoveOther(LineChartFields& c, const LineAxisFields& a, Fixed newOrigin, const LineGeometry& g)
{
    // Lines across the whole plot stay; ticks beside the axis go with it.
    const bool carry = a.otherTicksOnly != 0;
    const uint32_t other = a.otherAxis;
    if (!carry) {
        for (uint32_t i = 0; a.otherTicks.words != nullptr && i < a.otherTicks.count; ++i)
            ChartAttach(c.frame, a.otherTicks.words[i], kLineGridRegion);
        for (uint32_t i = 0; a.otherLabels.words != nullptr && i < a.otherLabels.count; ++i)
            ChartAttach(c.frame, a.otherLabels.words[i], kLineLabelRegion);
    }
    if (a.vertical)
        QXWtAttr_SetPosition(other, g.ax, newOrigin);
    else
        QXWtAttr_SetPosition(other, newOrigin, g.by);
    if (!carry) {
        for (uint32_t i = 0; a.otherTicks.words != nullptr && i < a.otherTicks.count; ++i)
            ChartAttach(other, a.otherTicks.words[i], kLineGridRegion);
        for (uint32_t i = 0; a.otherLabels.words != nullptr && i < a.otherLabels.count; ++i)
            ChartAttach(other, a.otherLabels.words[i], kLineLabelRegion);
    }
}

Fixed LineAxisOriginFromCounts(int32_t below, int32_t above, Fixed centre, Fixed length, bool vertical,
                               bool roundQuotient)
{
    const int32_t total = below + above;
    if (total <= 0)
        return centre;
    const int64_t upper = roundQuotient ? ChartRound(static_cast<double>(above) * length / total)
                                        : static_cast<int64_t>(above) * length / total;
    const int64_t lower = length - upper;
    const int64_t shift = ChartRound(static_cast<double>(lower - upper) / 2.0);
    return static_cast<Fixed>(vertical ? centre - shift : centre + shift);
}

void LineChartCodeChanged(LineChartFields& c)
{
    c.flags &= ~kChartFlagCodeCurrent;
    SEChartsChanged();
    if (GE_GetMode() == 2) {
        SSetReswitchNeeded(1);
        QXMenu_RequestUpdate();
    }
}

namespace {

Fixed pageUnits(double v)
{
    if (!std::isfinite(v))
        return 0;
    constexpr double limit = 1 << 30;
    return static_cast<Fixed>(std::clamp(v, -limit, limit));
}

bool integerChart(LineChartFields& c)
{
    return c.integerValues != 0;
}

// The shift of a move toward larger values: one nice step that clears the
// quarter margin, or less when that step would leave the value behind.
double shiftUp(bool integer, bool vertical, double min, double max, double high)
{
    const double m = high + std::fabs(high / 4);
    double d = integer ? ChartNiceIntStep(ChartTrunc(m - max), 1) : ChartNiceRealStep(m - max, 1);
    if (min + d > high) {
        if (vertical)
            d = high - max;
        else
            d = integer ? ChartNiceInt(ChartTrunc(high - max)) : ChartNiceRealStep(high - max, 1);
    }
    return d;
}

void moveAxis(SELineChart& chart, LineAxisFields& a, double low, double high)
{
    LineChartFields c(chart);
    const double min = ChartTextReal(a.minText);
    const double max = ChartTextReal(a.maxText);
    const double origin = ChartTextReal(a.originText);
    const double step = LineAxisCurrentStep(a);
    const LineGeometry g = LineChartGeometry(c);
    const Fixed length = a.vertical ? g.H : g.W;
    const double span = max - min;
    if (span <= 0)
        return;
    double d = 0;
    bool towardSmaller = false;
    if (high <= max && low < min) {
        d = min - (low - std::fabs(low / 4));
        if (max - d < low)
            d = min - low;
        towardSmaller = true;
    } else if (high > max) {
        d = shiftUp(integerChart(c), a.vertical, min, max, high);
    } else {
        return;
    }
    const Fixed dp = pageUnits(static_cast<double>(length) * d / span);
    // Points that would leave the axis go first; the rest move with it.
    LineBoxPlace from{g.ax, g.by, a.vertical ? ChartUnits(1) : g.W, a.vertical ? g.H : ChartUnits(1)};
    LineBoxPlace to = from;
    if (!a.vertical) {
        if (towardSmaller) {
            LineSeriesTrimXAbove(chart, g.ax + g.W / 2 - dp);
            to.x += dp;
        } else {
            LineSeriesTrimXBelow(chart, g.ax - g.W / 2 + dp);
            to.x -= dp;
        }
    } else {
        if (towardSmaller) {
            LineSeriesTrimYBelow(chart, g.by - g.H / 2 + dp);
            to.y -= dp;
        } else {
            LineSeriesTrimYAbove(chart, g.by + g.H / 2 - dp);
            to.y += dp;
        }
    }
    LineChartCarryPoints(c, from, to);
    const double sign = towardSmaller ? -1.0 : 1.0;
    const double newMin = min + sign * d;
    LineAxisSetLabelTexts(chart, newMin, step, a.vertical);
    ChartSetRecordText(a.minText, ChartFormatReal(newMin));
    ChartSetRecordText(a.maxText, ChartFormatReal(max + sign * d));
    ChartSetRecordText(a.originText, ChartFormatReal(origin + sign * d));
}

double distanceOf(const LineAxisFields& a, bool integer)
{
    return integer ? ChartTextInt(a.distanceText) : ChartTextReal(a.distanceText);
}

void rescaleAxis(SELineChart& chart, LineAxisFields& a, double low, double high)
{
    LineChartFields c(chart);
    const double min = ChartTextReal(a.minText);
    const double max = ChartTextReal(a.maxText);
    const double origin = ChartTextReal(a.originText);
    if (!(high > max || low < min))
        return;
    const double newMax = high > max ? high + std::fabs(high / 4) : max;
    const double newMin = low < min ? low - std::fabs(low / 4) : min;
    const bool integer = integerChart(c);
    const LineAxisScale s = LineAxisCompute(newMin, newMax, origin, a.byNumber != 0, a.gridNumber,
                                            distanceOf(a, integer), integer, true);
    const LineGeometry g = LineChartGeometry(c);
    const Fixed length = a.vertical ? g.H : g.W;
    const Fixed centre = a.vertical ? g.by : g.ax;
    const Fixed newOrigin = LineAxisOriginFromCounts(s.below, s.above, centre, length, a.vertical, a.vertical);
    if (s.below == a.below && s.above == a.above) {
        LineAxisSetLabelTexts(chart, s.min, s.step, a.vertical);
    } else {
        LineAxisMoveOther(c, a, newOrigin, g);
        const LineAxisPlace place{g.ax, g.by, g.W, g.H, a.vertical ? g.ox : newOrigin, a.vertical ? newOrigin : g.oy};
        LineAxisRemake(chart, s, place, a.vertical);
    }
    ChartSetRecordText(a.minText, ChartFormatReal(s.min));
    ChartSetRecordText(a.maxText, ChartFormatReal(s.max));
    if (a.vertical)
        QXWtAttr_SetPosition(c.originMarker, g.ox, newOrigin);
    else
        QXWtAttr_SetPosition(c.originMarker, newOrigin, g.oy);
    // The points drawn so far shrink into the part of the axis that the old
    // range takes in the new one.
    const double newSpan = s.max - s.min;
    if (newSpan <= 0)
        return;
    const double ratio = (max - min) / newSpan;
    if (!a.vertical) {
        const Fixed midNew = LineChartMapX((s.min + s.max) / 2, chart);
        const Fixed midOld = LineChartMapX((min + max) / 2, chart);
        LineChartCarryPoints(c, {midNew, g.oy, g.W, ChartUnits(1)},
                             {midOld, g.oy, pageUnits(g.W * ratio), ChartUnits(1)});
    } else {
        const Fixed midNew = LineChartMapY((s.min + s.max) / 2, chart);
        const Fixed midOld = LineChartMapY((min + max) / 2, chart);
        LineChartCarryPoints(c, {g.ox, midNew, ChartUnits(1), g.H},
                             {g.ox, midOld, ChartUnits(1), pageUnits(g.H * ratio)});
    }
}

void fit(SELineChart& chart, double low, double high, bool vertical)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        return;
    LineChartFields c(chart);
    LineAxisFields a = LineAxisOf(c, vertical);
    if (c.rescaleAxis != 0)
        rescaleAxis(chart, a, low, high);
    else
        moveAxis(chart, a, low, high);
}

// The configured scale of one axis, as a re-initialisation restores it.
LineAxisScale configuredScale(LineChartFields& c, const LineAxisFields& a)
{
    const bool integer = integerChart(c);
    return LineAxisCompute(ChartTextReal(a.minSetting), ChartTextReal(a.maxSetting), ChartTextReal(a.originSetting),
                           a.byNumber != 0, a.gridNumber, distanceOf(a, integer), integer, false);
}

void restoreConfiguredAxes(SELineChart& chart)
{
    LineChartFields c(chart);
    LineAxisFields xa = LineAxisOf(c, false);
    LineAxisFields ya = LineAxisOf(c, true);
    const LineAxisScale xs = configuredScale(c, xa);
    const LineAxisScale ys = configuredScale(c, ya);
    const LineGeometry g = LineChartGeometry(c);
    const Fixed ox = LineAxisOriginPlace(xs, g.ax, g.W, false);
    const Fixed oy = LineAxisOriginPlace(ys, g.by, g.H, true);
    LineSeriesRemoveAll(c.series, c.lineCount);
    LineSeriesReset(chart, ox, oy, c.series);
    ChartDeleteObjects(c.xLabels);
    ChartDeleteObjects(c.xTicks);
    ChartDeleteObjects(c.yLabels);
    ChartDeleteObjects(c.yTicks);
    QXWtAttr_SetPosition(c.xAxis, g.ax, oy);
    QXWtAttr_SetPosition(c.yAxis, ox, g.by);
    const LineAxisPlace place{g.ax, g.by, g.W, g.H, ox, oy};
    LineAxisRemake(chart, xs, place, false);
    LineAxisRemake(chart, ys, place, true);
    LineAxisWriteTexts(chart, xs, false);
    LineAxisWriteTexts(chart, ys, true);
    QXWtAttr_SetPosition(c.originMarker, ox, oy);
}

} // namespace

void LineChartFitX(double low, double high, SELineChart& chart)
{
    fit(chart, low, high, false);
}

void LineChartFitY(double low, double high, SELineChart& chart)
{
    fit(chart, low, high, true);
}

void LineChartReinit(SELineChart& chart)
{
    LineChartFields c(chart);
    if (c.resetOnInit != 0) {
        restoreConfiguredAxes(chart);
    } else if (c.initAtOrigin != 0) {
        const double x = ChartTextReal(c.xOriginText);
        const double y = ChartTextReal(c.yOriginText);
        for (int32_t n = 1; n <= c.lineCount; ++n)
            LineChartPlot(chart, n, LineChartMapX(x, chart), LineChartMapY(y, chart), 0, nullptr);
    }
}
