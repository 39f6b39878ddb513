// The values of a bar chart: segment widths, totals, the value axis growing
// and shrinking around the bars, history rows, resets and clears, and the
// scale change when the user edits the range or grid of a built chart.
#include "atolq/Chart/BarChart.h"

#include "atolq/CEditor/EditorState.h"
#include "atolq/Chart/BarChartParts.h"
#include "atolq/Chart/ChartUtil.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr int32_t kAlignLeftToLeft = 903;
constexpr int32_t kAlignLeftToRight = 904;
constexpr int32_t kAlignRightToLeft = 905;
constexpr int32_t kAlignRightToRight = 906;
// Interval counts beyond this come only from a step far too small for the
// range; they are cut so that the grid cannot fill memory.
constexpr int32_t kMaxIntervals = 1000;

bool standard(BarChartFields& c)
{
    return c.retain < 0;
}

std::string valueText(double v)
{
    return ChartFormatReal(v);
}

std::string totalText(BarChartFields& c, double v)
{
    return c.integerValues != 0 ? ChartFormatLong(ChartTrunc(v)) : ChartFormatAxisValue(v, false);
}

void setLabel(const SEWordArray& labels, int32_t index, const std::string& text)
{
    if (labels.words != nullptr && index >= 0 && static_cast<uint32_t>(index) < labels.count)
        QXText_SetText(labels.words[index], text.c_str());
}

std::string labelText(const SEWordArray& labels, int32_t index)
{
    if (labels.words == nullptr || index < 0 || static_cast<uint32_t>(index) >= labels.count)
        return {};
    char buffer[kChartTextSize] = {};
    uint32_t length = sizeof buffer - 1;
    if (QXText_GetText(labels.words[index], buffer, &length) == 0)
        return {};
    return std::string(buffer, length);
}

// Sets one side of a bar: only changed values are resized; all are aligned.
void setSide(BarChartFields& c, int32_t bar, bool positive, std::span<const double> values)
{
    const Fixed usable = BarChartUsableWidth(c);
    const double hi = ChartTextReal(c.maxText), lo = ChartTextReal(c.minText);
    for (int32_t j = 0; j < c.partCount && j < static_cast<int32_t>(values.size()); ++j) {
        SELabel* seg = BarChartSegment(c, positive, bar, j);
        if (seg == nullptr)
            return;
        const double v = positive ? (values[j] > 0 ? values[j] : 0) : (values[j] > 0 ? 0 : values[j]);
        if (v != ChartTextReal(seg->text) || seg->text == nullptr) {
            BarChartSizeSegment(seg->object, BarChartSegmentWidth(v, positive, usable, hi, lo), c.barHeight);
            ChartSetRecordText(seg->text, valueText(v));
        }
    }
    BarChartAlignSide(c, bar, positive);
}

void setTotals(BarChartFields& c, int32_t bar)
{
    setLabel(c.posTotalLabels, bar, totalText(c, BarChartPosTotal(c, bar)));
    setLabel(c.negTotalLabels, bar, totalText(c, BarChartNegTotal(c, bar)));
}

void drawBar(BarChartFields& c, int32_t bar, std::span<const double> values)
{
    setSide(c, bar, true, values);
    setSide(c, bar, false, values);
    setTotals(c, bar);
}

// Every segment resized for the range of the scale with its stored value.
void redrawSegments(BarChartFields& c, const BarScale& s)
{
    const Fixed usable = BarChartUsableWidth(c); // with the counts before the rebuild
    for (int32_t b = 0; b < c.barCount; ++b) {
        for (bool positive : {true, false}) {
            for (int32_t j = 0; j < c.partCount; ++j) {
                SELabel* seg = BarChartSegment(c, positive, b, j);
                if (seg != nullptr)
                    BarChartSizeSegment(seg->object,
                                        BarChartSegmentWidth(ChartTextReal(seg->text), positive, usable, s.hi(), s.lo()),
                                        c.barHeight);
            }
            BarChartAlignSide(c, b, positive);
        }
    }
}

bool shown(const SEWordArray& labels)
{
    return labels.words != nullptr;
}

// The axis for a new scale; with redrawing, the segments follow it.
void rebuildAxis(SEBarChart& chart, const BarScale& s, bool redraw, bool forceGrid)
{
    BarChartFields c(chart);
    if (redraw)
        redrawSegments(c, s);
    ChartSetRecordText(c.maxText, ChartFormatReal(s.hi()));
    ChartSetRecordText(c.minText, ChartFormatReal(s.lo()));
    const bool upper = shown(c.upperValueLabels), lower = shown(c.lowerValueLabels);
    const bool countsChanged = s.pos != c.posIntervals || s.neg != c.negIntervals;
    c.posIntervals = s.pos;
    c.negIntervals = s.neg;
    if (countsChanged || forceGrid) {
        BarChartPlaceZeroAxis(chart);
        BarChartMakeGrid(chart, upper, lower);
    }
    BarChartMakeValueLabels(chart, upper, lower);
}

// The axis check of a set of bars being set: grows at once, shrinks only
// when every bar fits in the inner quarter.
void checkAxis(SEBarChart& chart, std::span<const int32_t> set, double P, double N)
{
    BarChartFields c(chart);
    const double hi = ChartTextReal(c.maxText), lo = ChartTextReal(c.minText);
    auto outside = [&](auto test) {
        for (int32_t b = 0; b < c.barCount; ++b)
            if (std::find(set.begin(), set.end(), b) == set.end() && !test(b))
                return false;
        return true;
    };
    double outsideMax = 0, outsideMin = 0;
    for (int32_t b = 0; b < c.barCount; ++b)
        if (std::find(set.begin(), set.end(), b) == set.end()) {
            outsideMax = std::max(outsideMax, BarChartPosTotal(c, b));
            outsideMin = std::min(outsideMin, BarChartNegTotal(c, b));
        }
    bool changed = false;
    double newHi = hi, newLo = lo;
    if (P > hi) {
        newHi = P / 0.75, changed = true;
    } else if (P < hi / 4 && outside([&](int32_t b) { return BarChartPosTotal(c, b) < hi / 4; })) {
        newHi = std::max(P, outsideMax), changed = true;
    }
    if (N < lo) {
        newLo = N / 0.75, changed = true;
    } else if (N > lo / 4 && outside([&](int32_t b) { return BarChartNegTotal(c, b) > lo / 4; })) {
        newLo = std::min(N, outsideMin), changed = true;
    }
    if (!changed)
        return;
    const BarScale s = BarChartScaleRule(newHi, newLo, c.gridNumber, c.distanceText, c.integerValues != 0);
    rebuildAxis(chart, s, true, false);
}

void setBars(SEBarChart& chart, std::span<const BarUpdate> bars)
{
    BarChartFields c(chart);
    if ((c.flags & kChartFlagStarted) == 0)
        BarChartReset(chart);
    if (const Fixed h = BarSegmentHeight(c); h != 0)
        c.barHeight = h;
    std::vector<int32_t> set;
    double P = 0, N = 0;
    for (const BarUpdate& u : bars) {
        if (u.use == 0 || u.bar < 1 || u.bar > c.barCount)
            continue;
        set.push_back(u.bar - 1);
        double pos = 0, neg = 0;
        for (double v : u.values)
            (v > 0 ? pos : neg) += v;
        P = std::max(P, pos);
        N = std::min(N, neg);
    }
    if (P > 0 || N < 0)
        checkAxis(chart, set, P, N);
    for (const BarUpdate& u : bars)
        if (u.use != 0 && u.bar >= 1 && u.bar <= c.barCount)
            drawBar(c, u.bar - 1, u.values);
}

std::vector<double> zeros(BarChartFields& c)
{
    return std::vector<double>(static_cast<size_t>(std::max(c.partCount, 0)), 0.0);
}

int32_t effectiveRetain(BarChartFields& c)
{
    if (c.retain > c.barCount)
        c.retain = 0;
    return std::max(c.retain, 0);
}

// Bars 1 .. retain take the last retain bars' values, the rest are zeroed.
void wrapBars(SEBarChart& chart, int32_t retain)
{
    BarChartFields c(chart);
    std::vector<BarUpdate> updates;
    for (int32_t b = 0; b < c.barCount; ++b) {
        const int32_t from = c.barCount - retain + b;
        updates.push_back({b + 1, b < retain ? BarChartValues(c, from) : zeros(c), 1});
    }
    for (const BarUpdate& u : updates)
        BarChartSetBar(chart, u.bar, u.values);
}

void wrapNames(BarChartFields& c, int32_t retain, const char* rest)
{
    std::vector<std::string> kept;
    for (int32_t i = 0; i < retain; ++i)
        kept.push_back(labelText(c.barNameLabels, c.barCount - retain + i));
    for (int32_t i = 0; i < c.barCount; ++i)
        setLabel(c.barNameLabels, i, i < retain ? kept[static_cast<size_t>(i)] : std::string(rest));
}

void resetSegments(BarChartFields& c)
{
    BarChartSetLabels(c.posTotalLabels, " ");
    BarChartSetLabels(c.negTotalLabels, " ");
    for (SELabelArray* side : {&c.posSegments, &c.negSegments})
        for (uint32_t i = 0; side->labels != nullptr && i < side->outerCount * side->innerCount; ++i) {
            ChartSetRecordText(side->labels[i].text, "0");
            BarChartSizeSegment(side->labels[i].object, 0, c.barHeight);
        }
    c.flags |= kChartFlagStarted;
}

void clear(SEBarChart& chart)
{
    BarChartFields c(chart);
    const double max = ChartTextReal(c.maxSetting), min = ChartTextReal(c.minSetting);
    const std::string distance = c.byNumber == 0 && c.integerValues != 0
                                     ? std::to_string(ChartTextInt(c.distanceText))
                                     : std::string(c.distanceText != nullptr ? c.distanceText : "0");
    const BarScale s = BarChartScaleRule(max, min, c.gridNumber, distance.c_str(), c.integerValues != 0);
    for (int32_t b = 1; b <= c.barCount; ++b)
        BarChartSetBar(chart, b, zeros(c));
    ChartSetRecordText(c.maxText, ChartFormatReal(s.hi()));
    ChartSetRecordText(c.minText, ChartFormatReal(s.lo()));
    c.posIntervals = s.pos;
    c.negIntervals = s.neg;
    BarChartPlaceZeroAxis(chart);
    const bool upper = shown(c.upperValueLabels), lower = shown(c.lowerValueLabels);
    BarChartMakeGrid(chart, upper, lower);
    BarChartMakeValueLabels(chart, upper, lower);
    BarChartSetLabels(c.posTotalLabels, " ");
    BarChartSetLabels(c.negTotalLabels, " ");
}

} // namespace

// ---- shared helpers ----

BarAreaPlace BarChartAreaPlace(BarChartFields& c)
{
    BarAreaPlace p;
    QXRdAttr_GetPosition(c.barArea, &p.x, &p.y);
    QXRdAttr_GetSize(c.barArea, &p.w, &p.h);
    return p;
}

SELabel* BarChartSegment(BarChartFields& c, bool positive, int32_t bar, int32_t part)
{
    SELabelArray& side = positive ? c.posSegments : c.negSegments;
    if (side.labels == nullptr || bar < 0 || part < 0 || static_cast<uint32_t>(bar) >= side.outerCount ||
        static_cast<uint32_t>(part) >= side.innerCount)
        return nullptr;
    return &side.labels[static_cast<size_t>(bar) * side.innerCount + static_cast<size_t>(part)];
}

std::vector<double> BarChartValues(BarChartFields& c, int32_t bar)
{
    std::vector<double> values;
    for (int32_t j = 0; j < c.partCount; ++j) {
        const SELabel* pos = BarChartSegment(c, true, bar, j);
        const SELabel* neg = BarChartSegment(c, false, bar, j);
        const double p = pos != nullptr ? ChartTextReal(pos->text) : 0;
        values.push_back(p > 0 ? p : (neg != nullptr ? ChartTextReal(neg->text) : 0));
    }
    return values;
}

double BarChartPosTotal(BarChartFields& c, int32_t bar)
{
    double sum = 0;
    for (double v : BarChartValues(c, bar))
        sum += v > 0 ? v : 0;
    return sum;
}

double BarChartNegTotal(BarChartFields& c, int32_t bar)
{
    double sum = 0;
    for (double v : BarChartValues(c, bar))
        sum += v < 0 ? v : 0;
    return sum;
}

Fixed BarChartUsableWidth(BarChartFields& c)
{
    const BarAreaPlace p = BarChartAreaPlace(c);
    const int32_t T = std::max(c.posIntervals + c.negIntervals, 1);
    return (p.w / T) * T;
}

Fixed BarChartSegmentWidth(double value, bool positive, Fixed usable, double hi, double lo)
{
    const double span = positive ? hi - lo : lo - hi;
    if (value == 0 || span == 0 || !std::isfinite(value))
        return 0;
    const double w = static_cast<double>(usable) * value / span;
    constexpr double limit = 1 << 30;
    return ChartRound(std::clamp(w, -limit, limit));
}

void BarChartSizeSegment(uint32_t segment, Fixed width, Fixed height)
{
    const bool hidden = width < ChartUnits(1);
    QXWtAttr_SetSize(segment, hidden ? ChartUnits(1) : width, height);
    QXWtAttr_SetFlag(segment, kBarHiddenFlag, hidden ? 1 : 0);
}

void BarChartAlignSide(BarChartFields& c, int32_t bar, bool positive)
{
    uint32_t reference = c.zeroAxis;
    for (int32_t j = 0; j < c.partCount; ++j) {
        SELabel* seg = BarChartSegment(c, positive, bar, j);
        if (seg == nullptr)
            return;
        const double v = ChartTextReal(seg->text);
        const bool atAxis = reference == c.zeroAxis;
        const int32_t align = v >= 0 ? (atAxis ? kAlignLeftToLeft : kAlignLeftToRight)
                                     : (atAxis ? kAlignRightToRight : kAlignRightToLeft);
        QXUI_AlignObjects(seg->object, align, reference, 0);
        if (v != 0)
            reference = seg->object;
    }
}

void BarChartDropSegments(BarChartFields& c)
{
    for (SELabelArray* side : {&c.posSegments, &c.negSegments}) {
        for (uint32_t i = 0; side->labels != nullptr && i < side->outerCount * side->innerCount; ++i) {
            if (side->labels[i].object != 0)
                QXStr_DeleteObject(side->labels[i].object);
            if (side->labels[i].text != nullptr)
                QXMem_Free(side->labels[i].text);
        }
        if (side->labels != nullptr)
            QXMem_Free(side->labels);
        *side = {};
    }
}

void BarChartSetLabels(const SEWordArray& labels, const char* text)
{
    for (uint32_t i = 0; labels.words != nullptr && i < labels.count; ++i)
        QXText_SetText(labels.words[i], text);
}

Fixed BarSegmentHeight(BarChartFields& c)
{
    const SELabel* seg = BarChartSegment(c, true, 0, 0);
    Fixed w = 0, h = 0;
    if (seg == nullptr || QXRdAttr_GetSize(seg->object, &w, &h) == 0)
        return 0;
    return h;
}

BarScale BarChartScaleRule(double M, double m, int32_t number, const char* distance, bool integer)
{
    BarScale s;
    M = std::isfinite(M) ? std::max(M, 0.0) : 0;
    m = std::isfinite(m) ? std::min(m, 0.0) : 0;
    if (number > 0)
        s.interval = integer ? ChartNiceIntStep(ChartRound(M - m), number) : ChartNiceRealStep(M - m, number);
    else
        s.interval = ChartTextReal(distance);
    // A grid without a positive interval has no scale; one unit stands in.
    if (!(s.interval > 0) || !std::isfinite(s.interval))
        s.interval = 1;
    if (number > 0) {
        const int32_t k = M - m > 0 ? ChartRound(number * M / (M - m)) : 0;
        s.pos = ChartStepIndex(M, k, s.interval);
        s.neg = ChartStepIndex(-m, number - k, s.interval);
    } else {
        s.pos = ChartCeil(M / s.interval);
        s.neg = ChartCeil(-m / s.interval);
    }
    s.pos = std::clamp(s.pos, 0, kMaxIntervals);
    s.neg = std::clamp(s.neg, 0, kMaxIntervals);
    if (s.pos == 0 && s.neg == 0)
        s.pos = 1;
    return s;
}

// ---- operations ----

void BarChartSetBar(SEBarChart& chart, int32_t bar, std::span<const double> values)
{
    const BarUpdate one{bar, std::vector<double>(values.begin(), values.end()), 1};
    setBars(chart, std::span<const BarUpdate>(&one, 1));
}

void BarChartSetBars(SEBarChart& chart, std::span<const BarUpdate> bars)
{
    setBars(chart, bars);
}

void BarChartSetPart(SEBarChart& chart, int32_t part, std::span<const double> values)
{
    BarChartFields c(chart);
    if ((c.flags & kChartFlagStarted) == 0)
        BarChartReset(chart);
    std::vector<BarUpdate> updates;
    for (int32_t b = 0; b < c.barCount && b < static_cast<int32_t>(values.size()); ++b) {
        std::vector<double> row = BarChartValues(c, b);
        if (part >= 1 && part <= static_cast<int32_t>(row.size()))
            row[static_cast<size_t>(part - 1)] = values[static_cast<size_t>(b)];
        updates.push_back({b + 1, std::move(row), 1});
    }
    setBars(chart, updates);
}

void BarChartReset(SEBarChart& chart)
{
    BarChartFields c(chart);
    resetSegments(c);
}

void BarChartResetHistory(SEBarChart& chart)
{
    BarChartFields c(chart);
    resetSegments(c);
    BarChartSetLabels(c.barNameLabels, " ");
    c.nextRow = 1;
}

void BarChartClear(SEBarChart& chart)
{
    BarChartFields c(chart);
    if (c.resetOnInit == 0)
        return;
    clear(chart);
}

void BarChartClearHistory(SEBarChart& chart)
{
    BarChartFields c(chart);
    if (c.resetOnInit == 0)
        return;
    clear(chart);
    c.nextRow = 1;
}

void BarChartAddRow(SEBarChart& chart, std::span<const double> values)
{
    const HistoryRow row{std::vector<double>(values.begin(), values.end()), 1};
    BarChartFields c(chart);
    if ((c.flags & kChartFlagStarted) == 0)
        BarChartResetHistory(chart);
    const int32_t retain = effectiveRetain(c);
    if (c.nextRow > c.barCount) {
        if (retain >= c.barCount) {
            // A wrap would keep every bar: the row starts again at bar 1.
            BarChartSetBar(chart, 1, row.values);
            c.nextRow = 2;
            return;
        }
        wrapBars(chart, retain);
        c.nextRow = retain + 1;
    }
    BarChartSetBar(chart, c.nextRow, row.values);
    ++c.nextRow;
}

void BarChartAddRows(SEBarChart& chart, std::span<const HistoryRow> rows, std::span<const std::string> tags)
{
    BarChartFields c(chart);
    if ((c.flags & kChartFlagStarted) == 0)
        BarChartResetHistory(chart);
    const int32_t retain = effectiveRetain(c);
    const int32_t R = c.barCount;
    std::vector<const HistoryRow*> used;
    std::vector<std::string> usedTags;
    for (const HistoryRow& r : rows)
        if (r.use != 0) {
            usedTags.push_back(usedTags.size() < tags.size() ? tags[usedTags.size()] : std::string(" "));
            used.push_back(&r);
        }
    auto m = static_cast<int32_t>(used.size());
    if (m == 0)
        return;
    int32_t first = 1; // bar of the first row
    size_t skip = 0;   // rows dropped from the front
    if (m + c.nextRow - 1 <= R) {
        first = c.nextRow;
    } else if (m <= R - retain) {
        wrapBars(chart, retain);
        wrapNames(c, retain, "");
        first = retain + 1;
    } else if (m <= R) {
        first = 1;
    } else {
        skip = static_cast<size_t>(m - R);
        m = R;
        first = 1;
    }
    std::vector<BarUpdate> updates;
    for (int32_t i = 0; i < m; ++i) {
        updates.push_back({first + i, used[skip + static_cast<size_t>(i)]->values, 1});
        setLabel(c.barNameLabels, first + i - 1, usedTags[skip + static_cast<size_t>(i)]);
    }
    setBars(chart, updates);
    c.nextRow = first + m;
}

void BarChartAddTag(SEBarChart& chart, const std::string& tag)
{
    BarChartFields c(chart);
    if (c.barNameLabels.words == nullptr)
        return;
    for (int32_t i = 0; i < c.barCount; ++i)
        if (labelText(c.barNameLabels, i) == " ") {
            setLabel(c.barNameLabels, i, tag);
            return;
        }
    const int32_t retain = effectiveRetain(c);
    wrapNames(c, retain, " ");
    setLabel(c.barNameLabels, retain, tag);
}

void BarChartChangeScale(SEBarChart& chart, const BarChartAttributes& a)
{
    BarChartFields c(chart);
    const bool byNumber = a.gridNumber != 0;
    const double min = ChartTextReal(a.min), max = ChartTextReal(a.max);
    const bool differs = byNumber != (c.byNumber != 0) || (byNumber && a.gridNumber != c.gridNumber) ||
                         (!byNumber && ChartTextReal(a.distance) != ChartTextReal(c.distanceText)) ||
                         min != ChartTextReal(c.minText) || max != ChartTextReal(c.maxText) ||
                         (a.ticksOnly != 0) != (c.ticksOnly != 0) ||
                         (a.integerValues != 0) != (c.integerValues != 0);
    const bool upper = a.upperValues != 0, lower = a.lowerValues != 0;
    if (!differs) {
        if (c.ticksOnly != 0)
            BarChartMakeGrid(chart, upper, lower);
        if (upper != shown(c.upperValueLabels) || lower != shown(c.lowerValueLabels))
            BarChartMakeValueLabels(chart, upper, lower);
        return;
    }
    int32_t t = a.gridNumber;
    std::string distance(a.distance, strnlen(a.distance, kChartTextSize));
    if (min < 0 && max > 0 && t < 2 && ChartTextReal(distance.c_str()) == 0) {
        t = 2;
        distance = "0";
    }
    const BarScale s = BarChartScaleRule(max, min, t, distance.c_str(), a.integerValues != 0);
    const bool rangeChanged = s.hi() != ChartTextReal(c.maxText) || s.lo() != ChartTextReal(c.minText);
    const bool kindChanged = (a.integerValues != 0) != (c.integerValues != 0);
    c.gridNumber = t;
    c.byNumber = t != 0 ? 1 : 0;
    ChartSetRecordText(c.distanceText, c.byNumber != 0 ? std::string("0") : distance);
    ChartSetRecordText(c.maxSetting, ChartFormatReal(max));
    ChartSetRecordText(c.minSetting, ChartFormatReal(min));
    c.ticksOnly = a.ticksOnly != 0 ? 1 : 0;
    c.integerValues = a.integerValues != 0 ? 1 : 0;
    // The labels' state follows the new settings before the axis is rebuilt.
    if (!upper)
        ChartDeleteObjects(c.upperValueLabels), c.upperValueLabels = {};
    if (!lower)
        ChartDeleteObjects(c.lowerValueLabels), c.lowerValueLabels = {};
    if (upper && !shown(c.upperValueLabels))
        ChartAllocWords(c.upperValueLabels, 1);
    if (lower && !shown(c.lowerValueLabels))
        ChartAllocWords(c.lowerValueLabels, 1);
    rebuildAxis(chart, s, false, true);
    if (rangeChanged || kindChanged) {
        if (GE_GetMode() == 2) {
            if (standard(c))
                BarChartReset(chart);
            else
                BarChartResetHistory(chart);
        } else {
            BarChartMakeSampleSegments(chart);
            c.flags &= ~kChartFlagStarted;
        }
    }
    BarChartSetLabels(c.posTotalLabels, "pval");
    BarChartSetLabels(c.negTotalLabels, "nval");
}
