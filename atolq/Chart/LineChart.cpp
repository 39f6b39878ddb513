// Building and laying out a line chart inside its frame.
#include "atolq/Chart/LineChart.h"

#include "atolq/Chart/ChartAction.h"
#include "atolq/Chart/ChartUtil.h"
#include "atolq/Chart/LineChartAxis.h"
#include "atolq/Chart/LineSeries.h"
#include "atolq/CEditor/EditorState.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int32_t kPatternTable[10] = {1, 20, 2, 6, 28, 4, 21, 7, 8, 16};

int64_t roundDiv(int64_t a, int64_t b)
{
    return ChartRound(static_cast<double>(a) / static_cast<double>(b));
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

// A grid number of at most 1 over a range that spans zero becomes 2, so that
// each side of the origin gets an interval.
int32_t gridNumberFor(const char* minText, const char* maxText, int32_t requested)
{
    const double lo = ChartTextReal(minText);
    const double hi = ChartTextReal(maxText);
    return lo < 0 && hi > 0 && requested <= 1 ? 2 : requested;
}

} // namespace

void LineChartApply(SELineChart& chart, const LineChartAttributes& a)
{
    if (a.existing != 0) {
        LineChartUpdate(chart, a);
        return;
    }
    LineChartFields c(chart);
    std::copy(std::begin(kPatternTable), std::end(kPatternTable), c.patterns);
    c.resetOnInit = a.keepContents == 0 ? 1 : 0;
    c.saveCopy = static_cast<uint32_t>(a.saveCopy);
    c.endOfRun = static_cast<uint32_t>(a.endOfRun);
    c.stepInterval = a.stepInterval;
    ChartSetRecordText(c.intervalText, a.intervalText);
    ChartSetRecordText(c.name, a.name);
    c.integerValues = a.integerValues != 0 ? 1 : 0;
    const uint32_t current = QXStr_GetCurPage();
    if (current != 0)
        c.page = current;
    c.lineCount = std::max(a.lineCount, 0);
    c.boxSize = ChartUnits(a.boxSize);
    c.horizVert = a.horizVert != 0 ? 1 : 0;
    c.seriesLineStyle = 1;
    c.seriesLineWidth = 2;
    c.xTicksOnly = a.xTicksOnly != 0 ? 1 : 0;
    c.yTicksOnly = a.yTicksOnly != 0 ? 1 : 0;
    c.rescaleAxis = a.rescaleAxis != 0 ? 1 : 0;
    c.xByNumber = a.xGridNumber != 0 ? 1 : 0;
    c.yByNumber = a.yGridNumber != 0 ? 1 : 0;
    c.initAtOrigin = a.initAtOrigin != 0 ? 1 : 0;
    c.startAtOrigin = a.startAtOrigin != 0 ? 1 : 0;
    ChartSetRecordText(c.xDistanceText, a.xDistance);
    ChartSetRecordText(c.yDistanceText, a.yDistance);
    ChartSetRecordText(c.xMinSetting, a.xMin);
    ChartSetRecordText(c.xMaxSetting, a.xMax);
    ChartSetRecordText(c.yMinSetting, a.yMin);
    ChartSetRecordText(c.yMaxSetting, a.yMax);
    ChartSetRecordText(c.xOriginSetting, a.xOrigin);
    ChartSetRecordText(c.yOriginSetting, a.yOrigin);
    c.xGridNumber = gridNumberFor(a.xMin, a.xMax, a.xGridNumber);
    c.yGridNumber = gridNumberFor(a.yMin, a.yMax, a.yGridNumber);
    LineChartLayout(chart, a);
}

void LineChartLayout(SELineChart& chart, const LineChartAttributes& a)
{
    LineChartFields c(chart);
    Fixed X = 0, Y = 0, W = 0, H = 0;
    QXRdAttr_GetPosition(c.frame, &X, &Y);
    QXRdAttr_GetSize(c.frame, &W, &H);
    const bool legend = a.legend != 0;
    const bool title = a.title != 0;
    const auto legendX = static_cast<Fixed>(X + 3 * static_cast<int64_t>(W) / 8);
    const auto legendW = static_cast<Fixed>(static_cast<int64_t>(W) * 20 / 100);
    const auto cx = static_cast<Fixed>(legend ? X - roundDiv(static_cast<int64_t>(W) * 9, 80) : X);
    const auto w = static_cast<Fixed>(static_cast<int64_t>(W) * (legend ? 52 : 67) / 100);
    const auto h = static_cast<Fixed>(static_cast<int64_t>(H) * 70 / 100);
    const auto cy = static_cast<Fixed>(title ? Y + H / 50 : Y);
    QXWtAttr_SetLineWidth(c.frame, ChartUnits(2));
    QXWtAttr_SetLineStyle(c.frame, 5);
    if (title) {
        c.titleLabel = ChartCreateTitle(c.page, X, Y, H, "Title");
        ChartAttach(c.frame, c.titleLabel, kLineTitleRegion);
    }
    if (legend) {
        ChartCreateLegend(c.page, legendX, Y, legendW, ChartUnits(10), c.lineCount, c.patterns, c.legend, "Line");
        ChartAttach(c.frame, c.legend.box, kLineLegendRegion);
    }
    LineChartBuildPlot(chart, a, cx, cy, w, h);
    if (GE_GetMode() == 2) {
        LineChartStart(chart);
        c.flags &= ~kChartFlagStarted;
    } else {
        LineChartMakeCodeRegion(chart, X, Y + H / 2);
    }
}

void LineChartBuildPlot(SELineChart& chart, const LineChartAttributes& a, Fixed cx, Fixed cy, Fixed w, Fixed h)
{
    LineChartFields c(chart);
    const bool integer = c.integerValues != 0;
    const double xDistance = integer && c.xByNumber == 0 ? ChartTextInt(a.xDistance) : ChartTextReal(a.xDistance);
    const double yDistance = integer && c.yByNumber == 0 ? ChartTextInt(a.yDistance) : ChartTextReal(a.yDistance);
    const LineAxisScale xs =
        LineAxisCompute(ChartTextReal(a.xMin), ChartTextReal(a.xMax), ChartTextReal(a.xOrigin), c.xByNumber != 0,
                        c.xGridNumber, xDistance, integer, false);
    const LineAxisScale ys =
        LineAxisCompute(ChartTextReal(a.yMin), ChartTextReal(a.yMax), ChartTextReal(a.yOrigin), c.yByNumber != 0,
                        c.yGridNumber, yDistance, integer, false);
    c.xBelow = xs.below;
    c.xAbove = xs.above;
    c.yBelow = ys.below;
    c.yAbove = ys.above;
    const Fixed ox = LineAxisOriginPlace(xs, cx, w, false);
    const Fixed oy = LineAxisOriginPlace(ys, cy, h, true);

    const auto halfW = static_cast<Fixed>(roundDiv(w, 2));
    const auto halfH = static_cast<Fixed>(roundDiv(h, 2));
    const FixPoint xEnds[2] = {{cx - halfW, oy}, {cx + halfW, oy}};
    const FixPoint yEnds[2] = {{ox, cy - halfH}, {ox, cy + halfH}};
    c.xAxis = QXStr_CreateLine(c.page, 2, xEnds);
    c.yAxis = QXStr_CreateLine(c.page, 2, yEnds);
    ChartAttach(c.frame, c.xAxis, kLineAxisRegion);
    ChartAttach(c.frame, c.yAxis, kLineAxisRegion);

    const LineAxisPlace xPlace{cx, cy, w, h, ox, oy};
    LineAxisMakeLabels(chart, xs, xPlace, false);
    LineAxisMakeLabels(chart, ys, xPlace, true);

    c.xNameLabel = 0;
    c.yNameLabel = 0;
    if (a.axisNames != 0) {
        c.xNameLabel = LineChartMakeAxisName(c.page, cx + w / 2 + ChartUnits(15), oy - ChartUnits(5), c.xAxis,
                                             "x-axis");
        c.yNameLabel = LineChartMakeAxisName(c.page, ox, cy - h / 2 - ChartUnits(15), c.yAxis, "y-axis");
    }
    allocSeries(c, c.lineCount);
    LineAxisMakeGrid(chart, xs, xPlace, false);
    LineAxisMakeGrid(chart, ys, xPlace, true);
    LineAxisWriteTexts(chart, xs, false);
    LineAxisWriteTexts(chart, ys, true);

    c.originMarker = QXStr_CreateNode(c.page, ox, oy, 1, 1, 1);
    QXWtAttr_SetFlag(c.originMarker, 1, 1);
    ChartAttach(c.frame, c.originMarker, kLineOriginRegion);
}

void LineChartSetTitle(SELineChart& chart, std::string_view text)
{
    LineChartFields c(chart);
    if (c.titleLabel == 0)
        return;
    const std::string copy(text);
    QXText_SetText(c.titleLabel, copy.c_str());
    Fixed X = 0, Y = 0, W = 0, H = 0;
    QXRdAttr_GetPosition(c.frame, &X, &Y);
    QXRdAttr_GetSize(c.frame, &W, &H);
    QXWtAttr_SetPosition(c.titleLabel, X, Y - H / 2 + ChartUnits(15));
}

void LineChartSetAxisNames(std::string_view x, std::string_view y, uint32_t xLabel, uint32_t yLabel)
{
    const std::string xs(x), ys(y);
    if (xLabel != 0)
        QXText_SetText(xLabel, xs.c_str());
    if (yLabel != 0)
        QXText_SetText(yLabel, ys.c_str());
}

void LineChartSetLegendNames(const SEWordArray& labels, const char* const* texts, int32_t count)
{
    if (labels.words == nullptr || texts == nullptr)
        return;
    const auto n = std::min<uint32_t>(labels.count, static_cast<uint32_t>(std::max(count, 0)));
    for (uint32_t i = 0; i < n; ++i)
        if (texts[i] != nullptr)
            QXText_SetText(labels.words[i], texts[i]);
}

uint32_t LineChartMakeAxisName(uint32_t page, Fixed x, Fixed y, uint32_t axis, std::string_view text)
{
    const std::string copy(text);
    const uint32_t label = QXStr_CreateLabel(page, x, y, ChartUnits(20), ChartUnits(10), copy.c_str());
    QXText_SetTextAttr(label, 5, 12, 0, 1);
    ChartAttach(axis, label, kLineAxisNameRegion);
    return label;
}
