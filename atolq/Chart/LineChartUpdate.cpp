// Changes of an existing line chart's settings: the axes, the number of
// lines, the boxes and the shown parts; and the removal of a chart.
#include "atolq/Chart/ChartAction.h"
#include "atolq/Chart/ChartUtil.h"
#include "atolq/Chart/LineChart.h"
#include "atolq/Chart/LineChartParts.h"
#include "atolq/Chart/LineSeries.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRoles.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct AxisSettings {
    const char* min;
    const char* max;
    const char* origin;
    const char* distance;
    int32_t number;
    int32_t ticksOnly;
};

AxisSettings settingsOf(const LineChartAttributes& a, bool vertical)
{
    if (vertical)
        return {a.yMin, a.yMax, a.yOrigin, a.yDistance, a.yGridNumber, a.yTicksOnly};
    return {a.xMin, a.xMax, a.xOrigin, a.xDistance, a.xGridNumber, a.xTicksOnly};
}

std::string bounded(const char* text)
{
    return std::string(text, strnlen(text, kChartTextSize));
}

void setAxis(SELineChart& chart, const LineChartAttributes& attributes, bool vertical)
{
    LineChartFields c(chart);
    LineAxisFields a = LineAxisOf(c, vertical);
    const AxisSettings n = settingsOf(attributes, vertical);
    const std::string minText = bounded(n.min), maxText = bounded(n.max), originText = bounded(n.origin);
    ChartSetRecordText(a.distanceText, bounded(n.distance));
    const double min = ChartTextReal(minText.c_str());
    const double max = ChartTextReal(maxText.c_str());
    const double origin = ChartTextReal(originText.c_str());
    const double distance = ChartTextReal(a.distanceText);
    a.gridNumber = min < 0 && max > 0 && n.number <= 1 ? 2 : n.number;
    const bool byNumber = n.number != 0;
    const bool integer = attributes.integerValues != 0;
    const LineAxisScale s = LineAxisCompute(min, max, origin, byNumber, a.gridNumber, distance, integer, true);
    const LineGeometry g = LineChartGeometry(c);
    const Fixed newOrigin = LineAxisOriginFromCounts(s.below, s.above, vertical ? g.by : g.ax,
                                                     vertical ? g.H : g.W, vertical, false);
    const bool countsSame = s.below == a.below && s.above == a.above;
    const bool ticksSame = (n.ticksOnly != 0) == (a.ticksOnly != 0);
    const bool kindSame = (attributes.integerValues != 0) == (c.integerValues != 0);
    if (countsSame && ticksSame && kindSame) {
        if (s.min != ChartTextReal(a.minText) || s.max != ChartTextReal(a.maxText)) {
            LineSeriesRemoveAll(c.series, c.lineCount);
            LineAxisSetLabelTexts(chart, s.min, s.step, vertical);
        }
    } else {
        if (!countsSame)
            LineSeriesRemoveAll(c.series, c.lineCount);
        LineAxisMoveOther(c, a, newOrigin, g);
        a.ticksOnly = n.ticksOnly != 0 ? 1 : 0;
        // The labels are written in the number kind that the chart takes.
        const uint32_t kind = c.integerValues;
        c.integerValues = integer ? 1 : 0;
        const LineAxisPlace place{g.ax, g.by, g.W, g.H, vertical ? g.ox : newOrigin, vertical ? newOrigin : g.oy};
        LineAxisRemake(chart, s, place, vertical);
        c.integerValues = kind;
    }
    LineAxisWriteTexts(chart, s, vertical);
    ChartSetRecordText(a.minSetting, minText);
    ChartSetRecordText(a.maxSetting, maxText);
    ChartSetRecordText(a.originSetting, originText);
    a.byNumber = byNumber ? 1 : 0;
    if (vertical)
        QXWtAttr_SetPosition(c.originMarker, g.ox, newOrigin);
    else
        QXWtAttr_SetPosition(c.originMarker, newOrigin, g.oy);
}

void allocSeries(LineChartFields& c, int32_t n)
{
    if (c.series != nullptr)
        QXMem_Free(c.series);
    c.series = nullptr;
    c.seriesCapacity = 0;
    if (n <= 0)
        return;
    const auto bytes = static_cast<uint32_t>(sizeof(LineSeries) * static_cast<size_t>(n));
    c.series = static_cast<LineSeries*>(QXMem_Alloc(bytes));
    if (c.series == nullptr)
        return;
    std::memset(static_cast<void*>(c.series), 0, bytes);
    c.seriesCapacity = static_cast<uint32_t>(n);
}

void removeLegend(LineChartFields& c)
{
    if (c.legend.box != 0)
        QXStr_DeleteObject(c.legend.box);
    ChartFreeWords(c.legend.itemBoxes);
    ChartFreeWords(c.legend.itemLabels);
    ChartClearBox(c.legend);
}

void changeLineCount(SELineChart& chart, int32_t count)
{
    LineChartFields c(chart);
    LineSeriesRemoveAll(c.series, c.lineCount);
    c.lineCount = count;
    Fixed X = 0, Y = 0, W = 0, H = 0;
    QXRdAttr_GetPosition(c.frame, &X, &Y);
    QXRdAttr_GetSize(c.frame, &W, &H);
    LineChartMakeCodeRegion(chart, X, Y + H / 2);
    LineChartCodeChanged(c);
    allocSeries(c, count);
    removeLegend(c); // built again by the legend switch
}

void changeBoxSize(LineChartFields& c, Fixed size)
{
    c.boxSize = size;
    for (int32_t i = 0; c.series != nullptr && i < c.lineCount; ++i) {
        const uint32_t last = c.series[i].objectA != 0 ? c.series[i].objectB : 0;
        if (last == 0)
            continue;
        QXWtAttr_SetFlag(last, kLinePointFlag, 0);
        QXWtAttr_SetSize(last, size, size);
        QXWtAttr_SetFlag(last, kLinePointFlag, kLinePointFlag);
    }
}

// Resizes the plot area: the y axis, the points and the origin marker ride
// on the x axis while it takes the new width and place.
void resizePlot(LineChartFields& c, Fixed cx, Fixed w)
{
    Fixed ax = 0, ay = 0, aw = 0, ah = 0;
    QXRdAttr_GetPosition(c.xAxis, &ax, &ay);
    QXRdAttr_GetSize(c.xAxis, &aw, &ah);
    ChartAttach(c.xAxis, c.yAxis, kLineAxisRegion);
    ChartAttach(c.xAxis, c.originMarker, kLineOriginRegion);
    LineSeriesReattach(c.series, c.xAxis, c.lineCount);
    QXWtAttr_SetSize(c.xAxis, w, ah);
    QXWtAttr_SetPosition(c.xAxis, cx, ay);
    ChartAttach(c.frame, c.yAxis, kLineAxisRegion);
    ChartAttach(c.frame, c.originMarker, kLineOriginRegion);
    LineSeriesReattach(c.series, c.frame, c.lineCount);
}

void switchLegend(LineChartFields& c, bool on)
{
    const bool shown = c.legend.box != 0;
    if (on == shown)
        return;
    Fixed X = 0, Y = 0, W = 0, H = 0;
    QXRdAttr_GetPosition(c.frame, &X, &Y);
    QXRdAttr_GetSize(c.frame, &W, &H);
    if (on) {
        resizePlot(c, X - ChartRound(W * 9.0 / 80), static_cast<Fixed>(static_cast<int64_t>(W) * 52 / 100));
        ChartCreateLegend(c.page, static_cast<Fixed>(X + 3 * static_cast<int64_t>(W) / 8), Y, W / 5, ChartUnits(10),
                          c.lineCount, c.patterns, c.legend, "Line");
        ChartAttach(c.frame, c.legend.box, kLineLegendRegion);
    } else {
        removeLegend(c);
        resizePlot(c, X, static_cast<Fixed>(static_cast<int64_t>(W) * 67 / 100));
    }
}

void switchTitle(LineChartFields& c, bool on)
{
    if (on == (c.titleLabel != 0))
        return;
    Fixed X = 0, Y = 0, W = 0, H = 0, bx = 0, by = 0;
    QXRdAttr_GetPosition(c.frame, &X, &Y);
    QXRdAttr_GetSize(c.frame, &W, &H);
    QXRdAttr_GetPosition(c.yAxis, &bx, &by);
    // The plot moves as one: everything rides on the y axis.
    ChartAttach(c.yAxis, c.xAxis, kLineAxisRegion);
    ChartAttach(c.yAxis, c.originMarker, kLineOriginRegion);
    LineSeriesReattach(c.series, c.yAxis, c.lineCount);
    if (on) {
        QXWtAttr_SetPosition(c.yAxis, bx, by + H / 50);
        c.titleLabel = ChartCreateTitle(c.page, X, Y, H, "Title");
        ChartAttach(c.frame, c.titleLabel, kLineTitleRegion);
    } else {
        QXStr_DeleteObject(c.titleLabel);
        c.titleLabel = 0;
        QXWtAttr_SetPosition(c.yAxis, bx, by - H / 50);
    }
    ChartAttach(c.frame, c.xAxis, kLineAxisRegion);
    ChartAttach(c.frame, c.originMarker, kLineOriginRegion);
    LineSeriesReattach(c.series, c.frame, c.lineCount);
}

void switchAxisNames(LineChartFields& c, bool on)
{
    if (!on) {
        for (uint32_t* label : {&c.xNameLabel, &c.yNameLabel}) {
            if (*label != 0)
                QXStr_DeleteObject(*label);
            *label = 0;
        }
        return;
    }
    Fixed ax = 0, ay = 0, w = 0, h = 0, bx = 0, by = 0, unused = 0, ox = 0, oy = 0;
    QXRdAttr_GetPosition(c.xAxis, &ax, &ay);
    QXRdAttr_GetSize(c.xAxis, &w, &unused);
    QXRdAttr_GetPosition(c.yAxis, &bx, &by);
    QXRdAttr_GetSize(c.yAxis, &unused, &h);
    QXRdAttr_GetPosition(c.originMarker, &ox, &oy);
    if (c.xNameLabel == 0)
        c.xNameLabel = LineChartMakeAxisName(c.page, ax + w / 2 + ChartUnits(15), oy - ChartUnits(5), c.xAxis, "x-axis");
    if (c.yNameLabel == 0)
        c.yNameLabel = LineChartMakeAxisName(c.page, ox, by - h / 2 - ChartUnits(15), c.yAxis, "y-axis");
}

} // namespace

void LineChartSetXAxis(SELineChart& chart, const LineChartAttributes& a)
{
    setAxis(chart, a, false);
}

void LineChartSetYAxis(SELineChart& chart, const LineChartAttributes& a)
{
    setAxis(chart, a, true);
}

void LineChartUpdate(SELineChart& chart, const LineChartAttributes& a)
{
    LineChartFields c(chart);
    LineChartSetXAxis(chart, a);
    LineChartSetYAxis(chart, a);
    const int32_t lines = std::clamp(a.lineCount, 1, 999);
    if (lines != c.lineCount)
        changeLineCount(chart, lines);
    const Fixed box = ChartUnits(a.boxSize);
    if (box != c.boxSize)
        changeBoxSize(c, box);
    const bool startAtOrigin = a.startAtOrigin != 0;
    if (startAtOrigin && c.startAtOrigin == 0 && c.series != nullptr) {
        Fixed ox = 0, oy = 0;
        QXRdAttr_GetPosition(c.originMarker, &ox, &oy);
        for (int32_t n = 1; n <= c.lineCount; ++n)
            if (c.series[n - 1].objectA == 0)
                LineChartPlot(chart, n, ox, oy, 0, nullptr);
    }
    c.startAtOrigin = startAtOrigin ? 1 : 0;
    const uint32_t horizVert = a.horizVert != 0 ? 1 : 0;
    if (horizVert != c.horizVert) {
        c.horizVert = horizVert;
        for (int32_t i = 0; c.series != nullptr && i < c.lineCount; ++i)
            c.series[i].flag = horizVert;
    }
    switchLegend(c, a.legend != 0);
    switchTitle(c, a.title != 0);
    switchAxisNames(c, a.axisNames != 0);

    const bool codeChanged = (a.integerValues != 0) != (c.integerValues != 0) ||
                             ChartTextReal(bounded(a.intervalText).c_str()) != ChartTextReal(c.intervalText) ||
                             a.stepInterval != c.stepInterval;
    c.saveCopy = a.saveCopy != 0 ? 1 : 0;
    c.resetOnInit = a.keepContents == 0 ? 1 : 0;
    c.initAtOrigin = a.initAtOrigin != 0 ? 1 : 0;
    c.rescaleAxis = a.rescaleAxis != 0 ? 1 : 0;
    c.endOfRun = a.endOfRun != 0 ? 1 : 0;
    c.stepInterval = a.stepInterval;
    c.integerValues = a.integerValues != 0 ? 1 : 0;
    ChartSetRecordText(c.intervalText, bounded(a.intervalText));
    if (codeChanged)
        LineChartCodeChanged(c);
}

int LineChartDelete(SELineChart& chart)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(chart.kvObject, &record) == 0 || record == nullptr || record->kind != kSELineChart)
        return 0;
    EE_RemoveNetInfo(chart.kvObject, 1);
    return 1;
}

void LineChartSetPage(uint32_t frame, uint32_t page)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(frame, &record) == 0 || record == nullptr || record->kind != kSELineChart)
        return;
    reinterpret_cast<SELineChart*>(record)->pageObject = page;
}
