// Building a bar chart inside its frame and changing its layout when its
// settings change.
#include "atolq/Chart/BarChart.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/Chart/BarChartParts.h"
#include "atolq/Chart/ChartAction.h"
#include "atolq/Chart/ChartUtil.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int32_t kPatternTable[10] = {1, 20, 2, 6, 28, 4, 21, 7, 8, 16};
constexpr int32_t kAlignLeftToLeft = 903;
constexpr int32_t kAlignLeftToRight = 904;
constexpr int32_t kAlignRightToLeft = 905;
constexpr int32_t kAlignRightToRight = 906;

int64_t scaled(Fixed v, int64_t num, int64_t den)
{
    return static_cast<int64_t>(v) * num / den;
}

Fixed roundScaled(Fixed v, double num, double den)
{
    return ChartRound(static_cast<double>(v) * num / den);
}

std::string bounded(const char* text)
{
    return std::string(text, strnlen(text, kChartTextSize));
}

void frameGeometry(BarChartFields& c, Fixed& x, Fixed& y, Fixed& w, Fixed& h)
{
    QXRdAttr_GetPosition(c.frame, &x, &y);
    QXRdAttr_GetSize(c.frame, &w, &h);
}

// The bar area's centre x for the labels shown beside it.
Fixed areaCentreX(Fixed x, Fixed w, bool names, bool legend, bool pos, bool neg)
{
    const int side = pos != neg ? (neg ? 1 : 2) : 0; // 1 negative only, 2 positive only
    if (!names && !legend)
        return side == 1 ? x + roundScaled(w, 2, 100) : side == 2 ? x - roundScaled(w, 2, 100) : x;
    if (!names)
        return side == 1 ? x - roundScaled(w, 37, 400) : side == 2 ? x - roundScaled(w, 53, 400)
                                                          : x - roundScaled(w, 9, 80);
    if (!legend)
        return side == 1 ? x + roundScaled(w, 7, 100) : side == 2 ? x + roundScaled(w, 3, 100)
                                                          : x + roundScaled(w, 5, 100);
    return side == 1 ? x - roundScaled(w, 11, 200) : side == 2 ? x - roundScaled(w, 33, 400)
                                                      : x - roundScaled(w, 5, 80);
}

// Vertical place of the bars: the gap between them and the first bar's centre.
void barRows(BarChartFields& c, const BarAreaPlace& p, Fixed& gap, Fixed& y0)
{
    const int64_t bars = std::max(c.barCount, 1);
    gap = static_cast<Fixed>((static_cast<int64_t>(p.h) - bars * c.barHeight) / (bars + 1));
    y0 = p.y - p.h / 2 + c.barHeight / 2 + gap;
}

void makeColumn(BarChartFields& c, SEWordArray& labels, Fixed x, uint32_t kind, const char* text)
{
    const BarAreaPlace p = BarChartAreaPlace(c);
    Fixed gap = 0, y0 = 0;
    barRows(c, p, gap, y0);
    ChartDeleteObjects(labels);
    ChartCreateValueLabels(c.page, x, y0 - ChartUnits(5), c.barCount, gap + c.barHeight, c.barArea, false, labels,
                           kind);
    BarChartSetLabels(labels, text);
}

Fixed frameWidth(BarChartFields& c)
{
    Fixed x = 0, y = 0, w = 0, h = 0;
    frameGeometry(c, x, y, w, h);
    return w;
}

void makeNames(BarChartFields& c, bool negShown)
{
    const BarAreaPlace p = BarChartAreaPlace(c);
    const Fixed w = frameWidth(c);
    const Fixed x = p.x - p.w / 2 - roundScaled(w, 5, 100) - ChartUnits(negShown ? 40 : 20);
    makeColumn(c, c.barNameLabels, x, kBarNameRegion, "bar");
}

void makeTotals(BarChartFields& c, bool positive)
{
    const BarAreaPlace p = BarChartAreaPlace(c);
    const Fixed w = frameWidth(c);
    if (positive)
        makeColumn(c, c.posTotalLabels, p.x + p.w / 2 + roundScaled(w, 2, 100), kBarPosTotalRegion, "pval");
    else
        makeColumn(c, c.negTotalLabels, p.x - p.w / 2 - roundScaled(w, 2, 100) - ChartUnits(20),
                   kBarNegTotalRegion, "nval");
}

void makeLegend(BarChartFields& c)
{
    Fixed x = 0, y = 0, w = 0, h = 0;
    frameGeometry(c, x, y, w, h);
    ChartCreateLegend(c.page, static_cast<Fixed>(x + scaled(w, 3, 8)), y, static_cast<Fixed>(scaled(w, 20, 100)),
                      ChartUnits(10), c.partCount, c.patterns, c.legend, "Part");
    ChartAttach(c.frame, c.legend.box, kBarLegendRegion);
}

void dropLegend(BarChartFields& c)
{
    if (c.legend.box != 0)
        QXStr_DeleteObject(c.legend.box);
    ChartFreeWords(c.legend.itemBoxes);
    ChartFreeWords(c.legend.itemLabels);
    ChartClearBox(c.legend);
}

void dropLabels(SEWordArray& labels)
{
    ChartDeleteObjects(labels);
    labels = {};
}

void codeChanged(BarChartFields& c)
{
    c.flags &= ~kChartFlagCodeCurrent;
    SEChartsChanged();
    if (GE_GetMode() == 2) {
        SSetReswitchNeeded(1);
        QXMenu_RequestUpdate();
    }
}

void copySettings(BarChartFields& c, const BarChartAttributes& a)
{
    c.retain = a.history != 0 ? std::max(a.retain, 0) : -1;
    c.resetOnInit = a.keepContents == 0 ? 1 : 0;
    c.saveCopy = a.saveCopy != 0 ? 1 : 0;
    c.endOfRun = a.endOfRun != 0 ? 1 : 0;
    c.stepInterval = a.stepInterval;
    c.integerValues = a.integerValues != 0 ? 1 : 0;
    ChartSetRecordText(c.intervalText, bounded(a.interval));
}

} // namespace

void BarChartApply(SEBarChart& chart, const BarChartAttributes& a)
{
    if (a.existing != 0)
        BarChartUpdate(chart, a);
    else
        BarChartBuild(chart, a);
}

void BarChartBuild(SEBarChart& chart, const BarChartAttributes& a)
{
    BarChartFields c(chart);
    copySettings(c, a);
    ChartSetRecordText(c.name, bounded(a.name));
    if (const uint32_t current = QXStr_GetCurPage(); current != 0)
        c.page = current;
    if (c.page == 0)
        c.page = QXStr_GetObjectPage(c.frame);
    c.barCount = std::max(a.barCount, 1);
    c.partCount = std::max(a.partCount, 1);
    c.nextRow = 1;
    c.barHeight = ChartUnits(std::max<int16_t>(a.barHeight, 1));
    std::copy(std::begin(kPatternTable), std::end(kPatternTable), c.patterns);
    c.byNumber = a.gridNumber != 0 ? 1 : 0;
    c.ticksOnly = a.ticksOnly != 0 ? 1 : 0;
    c.gridNumber = a.gridNumber;
    ChartSetRecordText(c.maxSetting, bounded(a.max));
    ChartSetRecordText(c.minSetting, bounded(a.min));
    ChartSetRecordText(c.distanceText, c.byNumber != 0 ? std::string("0") : bounded(a.distance));

    Fixed x = 0, y = 0, w = 0, h = 0;
    frameGeometry(c, x, y, w, h);
    QXWtAttr_SetLineWidth(c.frame, ChartUnits(2));
    QXWtAttr_SetLineStyle(c.frame, 5);
    if (a.title != 0) {
        c.titleLabel = ChartCreateTitle(c.page, x, y, h, "Title");
        ChartAttach(c.frame, c.titleLabel, kBarTitleRegion);
    }
    if (a.legend != 0)
        makeLegend(c);
    const auto W = static_cast<Fixed>(scaled(w, a.legend != 0 ? 52 : 67, 100));
    const auto H = static_cast<Fixed>(scaled(h, 70, 100));
    const Fixed cy = a.title != 0 ? static_cast<Fixed>(y + h / 50) : y;
    const Fixed cx = areaCentreX(x, w, a.barNames != 0, a.legend != 0, a.posValues != 0, a.negValues != 0);
    BarChartLayoutBars(chart, cx, cy, W, H, a, w);
    if (GE_GetMode() == 2) {
        if (c.retain >= 0)
            BarChartResetHistory(chart);
        else
            BarChartReset(chart);
    } else {
        BarChartMakeCodeRegion(chart, x, y + h);
    }
}

void BarChartLayoutBars(SEBarChart& chart, Fixed cx, Fixed cy, Fixed W, Fixed H, const BarChartAttributes& a,
                        Fixed frameW)
{
    BarChartFields c(chart);
    (void)frameW;
    const double min = ChartTextReal(a.min);
    const double max = ChartTextReal(a.max);
    const int32_t t = min < 0 && max > 0 && a.gridNumber < 2 && a.gridNumber != 0 ? 2 : a.gridNumber;
    const BarScale s = BarChartScaleRule(max, min, t, c.distanceText, c.integerValues != 0);
    c.posIntervals = s.pos;
    c.negIntervals = s.neg;
    c.barArea = QXStr_CreateNode(c.page, cx, cy, W, H, 1);
    ChartAttach(c.frame, c.barArea, kBarAreaRegion);
    c.zeroAxis = QXStr_CreateNode(c.page, cx, cy, ChartUnits(1), H, 1);
    QXWtAttr_SetLinePattern(c.zeroAxis, 1);
    ChartAttach(c.barArea, c.zeroAxis, kBarZeroAxisRegion);
    BarChartPlaceZeroAxis(chart);
    if (a.barNames != 0)
        makeNames(c, a.negValues != 0);
    if (a.posValues != 0)
        makeTotals(c, true);
    if (a.negValues != 0)
        makeTotals(c, false);
    BarChartMakeGrid(chart, a.upperValues != 0, a.lowerValues != 0);
    BarChartMakeValueLabels(chart, a.upperValues != 0, a.lowerValues != 0);
    BarChartMakeSampleSegments(chart);
    ChartSetRecordText(c.maxText, ChartFormatReal(s.hi()));
    ChartSetRecordText(c.minText, ChartFormatReal(s.lo()));
}

void BarChartPlaceZeroAxis(SEBarChart& chart)
{
    BarChartFields c(chart);
    const BarAreaPlace p = BarChartAreaPlace(c);
    const int32_t T = c.posIntervals + c.negIntervals;
    if (T <= 0)
        return;
    const Fixed negW = ChartRound(static_cast<double>(c.negIntervals) * p.w / T);
    const Fixed posW = p.w - negW;
    Fixed zx = 0, zy = 0;
    QXRdAttr_GetPosition(c.zeroAxis, &zx, &zy);
    QXWtAttr_SetPosition(c.zeroAxis, p.x + ChartRound((negW - posW) / 2.0), p.y);
}

void BarChartMakeGrid(SEBarChart& chart, bool upper, bool lower)
{
    BarChartFields c(chart);
    ChartDeleteObjects(c.gridLines);
    c.gridLines = {};
    if (c.ticksOnly != 0 && !upper && !lower)
        return;
    const BarAreaPlace p = BarChartAreaPlace(c);
    const int32_t T = std::max(c.posIntervals + c.negIntervals, 1);
    const Fixed s = p.w / T;
    Fixed x0 = 0, zy = 0;
    QXRdAttr_GetPosition(c.zeroAxis, &x0, &zy);
    std::vector<Fixed> places;
    for (int32_t k = 1; k < c.posIntervals; ++k)
        places.push_back(x0 + k * s);
    for (int32_t k = 1; k < c.negIntervals; ++k)
        places.push_back(x0 - k * s);
    std::vector<std::pair<Fixed, Fixed>> spans; // top and bottom of each line
    if (c.ticksOnly == 0) {
        spans.emplace_back(p.y - p.h / 2, p.y + p.h / 2);
    } else {
        if (lower)
            spans.emplace_back(p.y + p.h / 2 - ChartUnits(4), p.y + p.h / 2);
        if (upper)
            spans.emplace_back(p.y - p.h / 2, p.y - p.h / 2 + ChartUnits(4));
    }
    ChartAllocWords(c.gridLines, static_cast<int32_t>(places.size() * spans.size()));
    if (c.gridLines.words == nullptr)
        return;
    uint32_t i = 0, last = 0;
    for (const auto& span : spans)
        for (Fixed at : places) {
            const FixPoint ends[2] = {{at, span.first}, {at, span.second}};
            last = QXStr_CreateLine(c.page, 2, ends);
            ChartAttach(c.barArea, last, kBarGridRegion);
            c.gridLines.words[i++] = last;
        }
    if (last != 0)
        QXUtil_SetLayerOrder(c.zeroAxis, last);
}

void BarChartMakeValueLabels(SEBarChart& chart, bool upper, bool lower)
{
    BarChartFields c(chart);
    dropLabels(c.upperValueLabels);
    dropLabels(c.lowerValueLabels);
    const BarAreaPlace p = BarChartAreaPlace(c);
    const int32_t n = c.negIntervals, pos = c.posIntervals;
    const int32_t T = std::max(n + pos, 1);
    const Fixed s = p.w / T;
    Fixed x0 = 0, zy = 0;
    QXRdAttr_GetPosition(c.zeroAxis, &x0, &zy);
    const double hi = ChartTextReal(c.maxText);
    const double d = pos > 0 ? hi / pos : (n > 0 ? -ChartTextReal(c.minText) / n : 1);
    const double lo = -(n * d);
    std::vector<std::string> texts;
    if (c.integerValues != 0)
        texts = ChartMakeIntLabels(ChartTrunc(lo), ChartTrunc(d), n + pos + 1);
    else
        texts = ChartMakeRealLabels(lo, d, n + pos + 1);
    auto make = [&](SEWordArray& labels, Fixed y, uint32_t kind) {
        ChartAllocWords(labels, n + pos + 1);
        if (labels.words == nullptr)
            return;
        for (int32_t k = 0; k <= n + pos; ++k) {
            const Fixed x = k < n ? x0 - (n - k) * s - ChartUnits(15) : x0 + (k - n) * s;
            SEWordArray one{};
            ChartCreateValueLabels(c.page, x, y, 1, 0, c.barArea, true, one, kind);
            if (one.words != nullptr)
                labels.words[k] = one.words[0];
            ChartFreeWords(one);
        }
        ChartSetTexts(std::span<const uint32_t>(labels.words, labels.count), texts);
    };
    if (upper)
        make(c.upperValueLabels, p.y - p.h / 2 - ChartUnits(16), kBarUpperRegion);
    if (lower)
        make(c.lowerValueLabels, p.y + p.h / 2 + ChartUnits(16), kBarLowerRegion);
}

void BarChartMakeSampleSegments(SEBarChart& chart)
{
    BarChartFields c(chart);
    BarChartDropSegments(c);
    const BarAreaPlace p = BarChartAreaPlace(c);
    Fixed gap = 0, y0 = 0;
    barRows(c, p, gap, y0);
    const int32_t T = std::max(c.posIntervals + c.negIntervals, 1);
    const Fixed negW = ChartRound(static_cast<double>(c.negIntervals) * p.w / T);
    const Fixed posW = p.w - negW;
    const auto cells = static_cast<uint32_t>(c.barCount) * static_cast<uint32_t>(c.partCount);
    for (SELabelArray* side : {&c.negSegments, &c.posSegments}) {
        side->labels = static_cast<SELabel*>(QXMem_Alloc(static_cast<uint32_t>(sizeof(SELabel) * cells)));
        if (side->labels == nullptr)
            return;
        std::memset(static_cast<void*>(side->labels), 0, sizeof(SELabel) * cells);
        side->outerCount = static_cast<uint32_t>(c.barCount);
        side->innerCount = static_cast<uint32_t>(c.partCount);
    }
    Fixed x0 = 0, zy = 0;
    QXRdAttr_GetPosition(c.zeroAxis, &x0, &zy);
    for (int32_t b = 0; b < c.barCount; ++b) {
        const Fixed yb = y0 + b * (gap + c.barHeight);
        for (bool positive : {false, true}) {
            const Fixed width = (positive ? posW : negW) / c.partCount;
            uint32_t previous = c.zeroAxis;
            for (int32_t j = 0; j < c.partCount; ++j) {
                SELabel* seg = BarChartSegment(c, positive, b, j);
                seg->object = QXStr_CreateNode(c.page, x0, yb, std::max(width, ChartUnits(1)), c.barHeight, 1);
                QXWtAttr_SetLinePattern(seg->object, static_cast<uint32_t>(c.patterns[j % 10]));
                ChartSetRecordText(seg->text, "0");
                ChartAttach(c.zeroAxis, seg->object, kBarSegmentRegion);
                BarChartSizeSegment(seg->object, width, c.barHeight);
                const int32_t align = positive ? (previous == c.zeroAxis ? kAlignLeftToLeft : kAlignLeftToRight)
                                               : (previous == c.zeroAxis ? kAlignRightToRight : kAlignRightToLeft);
                QXUI_AlignObjects(seg->object, align, previous, 0);
                previous = seg->object;
            }
        }
    }
}

void BarChartShowTitle(SEBarChart& chart, bool shown)
{
    BarChartFields c(chart);
    if (shown == (c.titleLabel != 0))
        return;
    Fixed x = 0, y = 0, w = 0, h = 0, ax = 0, ay = 0;
    frameGeometry(c, x, y, w, h);
    QXRdAttr_GetPosition(c.barArea, &ax, &ay);
    if (shown) {
        QXWtAttr_SetPosition(c.barArea, ax, y + h / 50);
        c.titleLabel = ChartCreateTitle(c.page, x, y, h, "Title");
        ChartAttach(c.frame, c.titleLabel, kBarTitleRegion);
    } else {
        QXStr_DeleteObject(c.titleLabel);
        c.titleLabel = 0;
        QXWtAttr_SetPosition(c.barArea, ax, y);
    }
}

void BarChartSetTitleText(SEBarChart& chart, const std::string& text)
{
    BarChartFields c(chart);
    if (c.titleLabel == 0)
        return;
    QXText_SetText(c.titleLabel, text.c_str());
    Fixed x = 0, y = 0, w = 0, h = 0;
    frameGeometry(c, x, y, w, h);
    QXWtAttr_SetPosition(c.titleLabel, x, y - h / 2 + ChartUnits(15));
}

void BarChartSetPartNames(SEBarChart& chart, std::span<const std::string> texts)
{
    BarChartFields c(chart);
    if (c.legend.box == 0)
        return;
    ChartSetTexts(std::span<const uint32_t>(c.legend.itemLabels.words, c.legend.itemLabels.count), texts);
}

void BarChartSetBarNames(SEBarChart& chart, std::span<const std::string> texts)
{
    BarChartFields c(chart);
    if (c.barNameLabels.words == nullptr)
        return;
    ChartSetTexts(std::span<const uint32_t>(c.barNameLabels.words, c.barNameLabels.count), texts);
}

int BarChartDelete(SEBarChart& chart)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(chart.kvObject, &record) == 0 || record == nullptr || record->kind != kSEBarChart)
        return 0;
    EE_RemoveNetInfo(chart.kvObject, 1);
    return 1;
}

void BarChartSetPage(uint32_t frame, uint32_t page)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(frame, &record) == 0 || record == nullptr || record->kind != kSEBarChart)
        return;
    reinterpret_cast<SEBarChart*>(record)->pageObject = page;
}

namespace {

void changeLayout(SEBarChart& chart, const BarChartAttributes& a)
{
    BarChartFields c(chart);
    Fixed x = 0, y = 0, w = 0, h = 0;
    frameGeometry(c, x, y, w, h);
    const int32_t bars = std::max(a.barCount, 1), parts = std::max(a.partCount, 1);
    const bool barsChanged = bars != c.barCount;
    const bool partsChanged = parts != c.partCount;
    const bool modeChanged = (a.history != 0) != (c.retain >= 0);
    const Fixed newHeight = ChartUnits(std::max<int16_t>(a.barHeight, 1));
    const bool heightChanged = newHeight != c.barHeight;
    c.barCount = bars;
    c.partCount = parts;
    c.barHeight = newHeight;
    if (barsChanged || partsChanged) {
        BarChartMakeSampleSegments(chart);
        c.flags &= ~kChartFlagStarted;
    } else if (heightChanged) {
        for (SELabelArray* side : {&c.posSegments, &c.negSegments})
            for (uint32_t i = 0; side->labels != nullptr && i < side->outerCount * side->innerCount; ++i) {
                Fixed sw = 0, sh = 0;
                QXRdAttr_GetSize(side->labels[i].object, &sw, &sh);
                QXWtAttr_SetSize(side->labels[i].object, sw, newHeight);
            }
    }
    const bool namesShown = c.barNameLabels.words != nullptr;
    if ((a.barNames != 0) != namesShown || barsChanged) {
        Fixed ax = 0, ay = 0;
        QXRdAttr_GetPosition(c.barArea, &ax, &ay);
        if (a.barNames == 0) {
            QXWtAttr_SetPosition(c.barArea, ax - roundScaled(w, 4, 100), ay);
            dropLabels(c.barNameLabels);
        } else {
            if (!namesShown)
                QXWtAttr_SetPosition(c.barArea, ax + roundScaled(w, 4, 100), ay);
            makeNames(c, a.negValues != 0);
        }
    }
    const bool legendShown = c.legend.box != 0;
    if ((a.legend != 0) != legendShown || partsChanged) {
        Fixed ax = 0, ay = 0, aw = 0, ah = 0;
        QXRdAttr_GetPosition(c.barArea, &ax, &ay);
        QXRdAttr_GetSize(c.barArea, &aw, &ah);
        if (a.legend == 0) {
            dropLegend(c);
            QXWtAttr_SetSize(c.barArea, static_cast<Fixed>(scaled(w, 62, 100)), ah);
            QXWtAttr_SetPosition(c.barArea, ax + roundScaled(w, 9, 80), ay);
        } else {
            if (!legendShown) {
                QXWtAttr_SetSize(c.barArea, static_cast<Fixed>(scaled(w, 52, 100)), ah);
                QXWtAttr_SetPosition(c.barArea, ax - roundScaled(w, 9, 80), ay);
            } else {
                dropLegend(c);
            }
            makeLegend(c);
        }
    }
    for (bool positive : {true, false}) {
        SEWordArray& labels = positive ? c.posTotalLabels : c.negTotalLabels;
        const bool wanted = (positive ? a.posValues : a.negValues) != 0;
        if (wanted != (labels.words != nullptr) || barsChanged) {
            dropLabels(labels);
            if (wanted)
                makeTotals(c, positive);
        } else if (partsChanged) {
            BarChartSetLabels(labels, positive ? "pval" : "nval");
        }
    }
    if (barsChanged || partsChanged || modeChanged) {
        c.retain = a.history != 0 ? std::max(a.retain, 0) : -1;
        BarChartMakeCodeRegion(chart, 0, 0);
        codeChanged(c);
    }
}

} // namespace

void BarChartUpdate(SEBarChart& chart, const BarChartAttributes& a)
{
    BarChartFields c(chart);
    if (BarSegmentHeight(c) != 0)
        c.barHeight = BarSegmentHeight(c);
    BarChartChangeScale(chart, a);
    changeLayout(chart, a);
    BarChartShowTitle(chart, a.title != 0);
    const bool intervalChanged = ChartTextReal(bounded(a.interval).c_str()) != ChartTextReal(c.intervalText) ||
                                 a.stepInterval != c.stepInterval;
    copySettings(c, a);
    if (intervalChanged)
        codeChanged(c);
}
