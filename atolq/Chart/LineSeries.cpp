// Point chains of line charts: starting, growing, joining, removing and
// trimming the boxes of each line.
#include "atolq/Chart/LineSeries.h"

#include "atolq/Chart/ChartUtil.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

#include <cstring>

namespace {

void markPoint(uint32_t box)
{
    QXWtAttr_SetFlag(box, kLinePointFlag, kLinePointFlag);
}

uint32_t connect(LineSeriesFields& s, uint32_t from, uint32_t to)
{
    const uint32_t conn = QXStr_CreateConnector(s.page, from, to);
    if (conn == 0)
        return 0;
    QXWtAttr_SetDirection(conn, 0);
    QXWtAttr_SetLineAttr(conn, static_cast<uint32_t>(s.lineStyle), s.lineWidth, static_cast<uint32_t>(s.pattern),
                         1);
    QXUI_RedrawObject(conn);
    return conn;
}

Fixed centre(uint32_t object, bool vertical)
{
    Fixed x = 0;
    Fixed y = 0;
    QXRdAttr_GetPosition(object, &x, &y);
    return vertical ? y : x;
}

// Drops, from every line, the leading boxes lying on the dropped side of the
// limit: `dropped(position)` says which side that is.
template <typename Dropped>
void trim(SELineChart& chart, bool vertical, Dropped dropped)
{
    LineChartFields c(chart);
    for (int32_t i = 0; i < c.lineCount && c.series != nullptr; ++i) {
        LineSeriesFields s(c.series[i]);
        if (s.firstPoint == 0 || !dropped(centre(s.firstPoint, vertical)))
            continue;
        uint16_t count = 0;
        ObjectHandle* regions = nullptr;
        QXStr_GetRegionList(s.firstPoint, &count, &regions);
        uint16_t k = 0;
        while (k < count && regions[k] != 0 && dropped(centre(regions[k], vertical)))
            ++k;
        if (count == 0 || k == count) {
            QXStr_DeleteObject(s.firstPoint);
            s.firstPoint = 0;
            s.lastPoint = 0;
        } else {
            const uint32_t newFirst = regions[k];
            ChartAttach(c.frame, newFirst, kLinePointRegion);
            LineSeriesAttachPoints(newFirst, std::span<const uint32_t>(regions + k + 1, count - k - 1u));
            QXStr_DeleteObject(s.firstPoint);
            s.firstPoint = newFirst;
            if (k + 1 == count)
                s.lastPoint = newFirst;
        }
        if (regions != nullptr)
            QXMem_Free(regions);
    }
}

} // namespace

void LineSeriesClear(LineSeries& series)
{
    series = LineSeries{};
}

void LineSeriesClearAll(int32_t n, LineSeries* series)
{
    for (int32_t i = 0; i < n && series != nullptr; ++i)
        LineSeriesClear(series[i]);
}

void LineSeriesBegin(SELineChart& chart, Fixed x, Fixed y, int16_t pattern, int16_t shape, LineSeries& out)
{
    LineChartFields c(chart);
    const uint32_t box = QXStr_CreateNode(c.page, x, y, c.boxSize, c.boxSize, shape);
    QXWtAttr_SetLinePattern(box, static_cast<uint32_t>(pattern));
    markPoint(box);
    LineSeriesFields s(out);
    s.page = c.page;
    s.firstPoint = box;
    s.lastPoint = box;
    s.horizVert = c.horizVert;
    s.pattern = pattern;
    s.lineStyle = static_cast<int16_t>(c.seriesLineStyle);
    s.lineWidth = static_cast<int16_t>(c.seriesLineWidth);
    s.shape = shape;
}

void LineSeriesBeginAll(SELineChart& chart, Fixed x, Fixed y, LineSeries* series)
{
    LineChartFields c(chart);
    for (int32_t i = 0; i < c.lineCount && series != nullptr; ++i) {
        LineSeriesBegin(chart, x, y, static_cast<int16_t>(c.patterns[i % 10]), 1, series[i]);
        ChartAttach(c.frame, series[i].objectA, kLinePointRegion);
    }
}

void LineSeriesReset(SELineChart& chart, Fixed x, Fixed y, LineSeries* series)
{
    LineChartFields c(chart);
    LineSeriesClearAll(c.lineCount, series);
    if (c.startAtOrigin != 0)
        LineSeriesBeginAll(chart, x, y, series);
}

uint32_t LineSeriesNewBox(LineSeries& series, Fixed x, Fixed y, uint32_t parent)
{
    LineSeriesFields s(series);
    Fixed width = 0;
    Fixed height = 0;
    QXRdAttr_GetSize(s.lastPoint, &width, &height);
    const uint32_t box = QXStr_CreateNode(s.page, x, y, width, height, s.shape);
    QXWtAttr_SetLinePattern(box, static_cast<uint32_t>(s.pattern));
    markPoint(box);
    ChartAttach(parent, box, kLinePointRegion);
    return box;
}

void LineSeriesJoin(LineSeries& series, Fixed x, Fixed y, uint32_t newBox, uint32_t parent)
{
    LineSeriesFields s(series);
    Fixed px = 0;
    Fixed py = 0;
    QXRdAttr_GetPosition(s.lastPoint, &px, &py);
    if (s.horizVert == 0 || px == x || py == y) {
        connect(s, s.lastPoint, newBox);
        return;
    }
    const uint32_t corner = QXStr_CreateNode(s.page, x, py, ChartUnits(1), ChartUnits(1), 1);
    connect(s, s.lastPoint, corner);
    connect(s, corner, newBox);
    markPoint(corner);
    ChartAttach(parent, corner, kLinePointRegion);
}

void LineSeriesAddPoint(LineSeries& series, Fixed x, Fixed y, uint32_t parent, int32_t join)
{
    const uint32_t box = LineSeriesNewBox(series, x, y, parent);
    if (join != 0)
        LineSeriesJoin(series, x, y, box, parent);
    series.objectB = box;
}

void LineSeriesAddPointWithPattern(LineSeries& series, Fixed x, Fixed y, int16_t pattern, uint32_t parent,
                                   int32_t join)
{
    LineSeriesFields(series).pattern = pattern;
    LineSeriesAddPoint(series, x, y, parent, join);
}

void LineSeriesRemoveAll(LineSeries* series, int32_t n)
{
    for (int32_t i = 0; i < n && series != nullptr; ++i) {
        LineSeriesFields s(series[i]);
        if (s.firstPoint != 0)
            QXStr_DeleteObject(s.firstPoint);
        s.firstPoint = 0;
    }
}

void LineSeriesAttachPoints(uint32_t parent, std::span<const uint32_t> objects)
{
    for (uint32_t object : objects)
        ChartAttach(parent, object, kLinePointRegion);
}

void LineSeriesReattach(LineSeries* series, uint32_t parent, int32_t n)
{
    for (int32_t i = 0; i < n && series != nullptr; ++i)
        if (series[i].objectA != 0)
            ChartAttach(parent, series[i].objectA, kLinePointRegion);
}

void LineSeriesTrimXBelow(SELineChart& chart, Fixed limit)
{
    trim(chart, false, [limit](Fixed v) { return v < limit; });
}

void LineSeriesTrimXAbove(SELineChart& chart, Fixed limit)
{
    trim(chart, false, [limit](Fixed v) { return v > limit; });
}

void LineSeriesTrimYAbove(SELineChart& chart, Fixed limit)
{
    trim(chart, true, [limit](Fixed v) { return v > limit; });
}

void LineSeriesTrimYBelow(SELineChart& chart, Fixed limit)
{
    trim(chart, true, [limit](Fixed v) { return v < limit; });
}
