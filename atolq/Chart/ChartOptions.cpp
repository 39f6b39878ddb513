// Settings of the chart options dialogs: built-in defaults, the settings of
// a built chart, the field checks, and the editor's apply entries.
#include "atolq/Chart/ChartOptions.h"

#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/Chart/ChartUtil.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

template <size_t N>
void put(char (&field)[N], const std::string& text)
{
    const size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

std::string recordText(const char* text)
{
    return text != nullptr ? std::string(text, strnlen(text, kChartTextSize)) : std::string();
}

// The value of an integer text, or none.
std::optional<int64_t> integerOf(const std::string& text)
{
    int isInteger = 0;
    if (EE_ParseNumber(text.c_str(), &isInteger) == 0 || isInteger == 0)
        return std::nullopt;
    return std::strtoll(text.c_str(), nullptr, 10);
}

bool ofKind(const std::string& text, bool integer)
{
    int isInteger = 0;
    return EE_ParseNumber(text.c_str(), &isInteger) != 0 && (isInteger != 0) == integer;
}

// Texts compared as the chart's kind reads them.
double valueOf(const std::string& text, bool integer)
{
    return integer ? std::atoi(text.c_str()) : std::atof(text.c_str());
}

bool inRange(const std::optional<int64_t>& v, int64_t low, int64_t high)
{
    return v.has_value() && *v >= low && *v <= high;
}

std::string shownNumber(double v, bool integer)
{
    return integer ? ChartFormatLong(ChartTrunc(v)) : ChartFormatReal(v);
}

// Time and Step: an unchecked box stores no update period.
int16_t checkPeriods(bool timeChecked, const std::string& interval, bool stepChecked, const std::string& step,
                     std::string& intervalOut, int32_t& stepOut)
{
    intervalOut = "0";
    stepOut = 0;
    if (timeChecked) {
        const auto v = integerOf(interval);
        if (!inRange(v, 1, INT32_MAX))
            return 11361;
        intervalOut = std::to_string(*v);
    }
    if (stepChecked) {
        const auto v = integerOf(step);
        if (!inRange(v, 1, INT32_MAX))
            return 11362;
        stepOut = static_cast<int32_t>(*v);
    }
    return 0;
}

struct GridCheck {
    int16_t numberMessage, distanceInteger, distanceReal, distanceRange, distanceFine;
};

// One grid: a number of lines, or a distance of the chart's kind that lies
// within the range and is not finer than a thousandth of it.
int16_t checkGrid(bool byNumber, bool byDistance, const std::string& text, bool integer, double min, double max,
                  bool barRule, const GridCheck& m, int32_t& number, std::string& distance)
{
    if (byNumber) {
        const auto v = integerOf(text);
        if (!inRange(v, 1, 999))
            return m.numberMessage;
        number = static_cast<int32_t>(*v);
        distance = "0";
    } else if (byDistance) {
        if (!ofKind(text, integer))
            return integer ? m.distanceInteger : m.distanceReal;
        const double d = valueOf(text, integer);
        const bool tooSmall = barRule ? !(d > 0) : (integer ? d < 1 : d < 0);
        if (tooSmall || (d > max && d > std::fabs(min)))
            return m.distanceRange;
        if (d < (max - min) / 1000)
            return m.distanceFine;
        number = 0;
        distance = text;
    }
    return 0;
}

} // namespace

BarChartAttributes BarChartBuiltInDefaults()
{
    BarChartAttributes a{};
    a.barCount = 1;
    a.partCount = 1;
    a.barHeight = 10;
    a.gridNumber = 10;
    a.ticksOnly = 1;
    a.title = 1;
    a.barNames = a.posValues = a.negValues = a.upperValues = a.lowerValues = 1;
    a.keepContents = 1;
    a.endOfRun = 1;
    a.integerValues = 1;
    put(a.interval, "0");
    put(a.min, "0");
    put(a.max, "100");
    put(a.distance, "0");
    return a;
}

LineChartAttributes LineChartBuiltInDefaults()
{
    LineChartAttributes a{};
    a.lineCount = 1;
    a.boxSize = 10;
    a.xGridNumber = a.yGridNumber = 10;
    a.xTicksOnly = a.yTicksOnly = 1;
    a.title = 1;
    a.axisNames = 1;
    a.keepContents = 1;
    a.endOfRun = 1;
    a.integerValues = 1;
    a.rescaleAxis = 1;
    for (char* t : {a.xDistance, a.yDistance, a.intervalText, a.xMin, a.yMin, a.xOrigin, a.yOrigin})
        std::strcpy(t, "0");
    std::strcpy(a.xMax, "100");
    std::strcpy(a.yMax, "100");
    return a;
}

void BarChartAttributesOf(SEBarChart& chart, BarChartAttributes& out)
{
    BarChartFields c(chart);
    const bool integer = c.integerValues != 0;
    out.barCount = c.barCount;
    out.partCount = c.partCount;
    out.barHeight = static_cast<int16_t>(QXUtil_FixedToInt(c.barHeight));
    out.history = c.retain >= 0 ? 1 : 0;
    out.retain = std::max(c.retain, 0);
    out.stepInterval = c.stepInterval;
    out.integerValues = integer ? 1 : 0;
    out.gridNumber = c.byNumber != 0 ? c.gridNumber : 0;
    out.ticksOnly = c.ticksOnly != 0 ? 1 : 0;
    out.title = c.titleLabel != 0 ? 1 : 0;
    out.legend = c.legend.box != 0 ? 1 : 0;
    out.barNames = c.barNameLabels.words != nullptr ? 1 : 0;
    out.posValues = c.posTotalLabels.words != nullptr ? 1 : 0;
    out.negValues = c.negTotalLabels.words != nullptr ? 1 : 0;
    out.upperValues = c.upperValueLabels.words != nullptr ? 1 : 0;
    out.lowerValues = c.lowerValueLabels.words != nullptr ? 1 : 0;
    out.saveCopy = c.saveCopy != 0 ? 1 : 0;
    out.keepContents = c.resetOnInit == 0 ? 1 : 0;
    out.endOfRun = c.endOfRun != 0 ? 1 : 0;
    out.existing = 1;
    put(out.name, "");
    put(out.interval, ChartFormatLong(ChartTextInt(c.intervalText)));
    put(out.min, shownNumber(ChartTextReal(c.minText), integer));
    put(out.max, shownNumber(ChartTextReal(c.maxText), integer));
    put(out.distance, recordText(c.distanceText));
}

void LineChartAttributesOf(SELineChart& chart, LineChartAttributes& out)
{
    LineChartFields c(chart);
    const bool integer = c.integerValues != 0;
    out.lineCount = c.lineCount;
    out.boxSize = static_cast<int16_t>(QXUtil_FixedToInt(c.boxSize));
    out.startAtOrigin = c.startAtOrigin != 0 ? 1 : 0;
    out.horizVert = c.horizVert != 0 ? 1 : 0;
    out.xGridNumber = c.xByNumber != 0 ? c.xGridNumber : 0;
    out.yGridNumber = c.yByNumber != 0 ? c.yGridNumber : 0;
    out.xTicksOnly = c.xTicksOnly != 0 ? 1 : 0;
    out.yTicksOnly = c.yTicksOnly != 0 ? 1 : 0;
    out.title = c.titleLabel != 0 ? 1 : 0;
    out.legend = c.legend.box != 0 ? 1 : 0;
    out.axisNames = c.xNameLabel != 0 ? 1 : 0;
    out.saveCopy = c.saveCopy != 0 ? 1 : 0;
    out.keepContents = c.resetOnInit == 0 ? 1 : 0;
    out.initAtOrigin = c.initAtOrigin != 0 ? 1 : 0;
    out.endOfRun = c.endOfRun != 0 ? 1 : 0;
    out.stepInterval = c.stepInterval;
    out.integerValues = integer ? 1 : 0;
    out.rescaleAxis = c.rescaleAxis != 0 ? 1 : 0;
    out.moveAxis = c.rescaleAxis != 0 ? 0 : 1;
    out.existing = 1;
    put(out.name, "");
    put(out.intervalText, ChartFormatLong(ChartTextInt(c.intervalText)));
    put(out.xDistance, recordText(c.xDistanceText));
    put(out.yDistance, recordText(c.yDistanceText));
    put(out.xMin, shownNumber(ChartTextReal(c.xMinText), integer));
    put(out.xMax, shownNumber(ChartTextReal(c.xMaxText), integer));
    put(out.yMin, shownNumber(ChartTextReal(c.yMinText), integer));
    put(out.yMax, shownNumber(ChartTextReal(c.yMaxText), integer));
    put(out.xOrigin, shownNumber(ChartTextReal(c.xOriginText), integer));
    put(out.yOrigin, shownNumber(ChartTextReal(c.yOriginText), integer));
}

int16_t BarChartCheckForm(const BarChartForm& f, BarChartAttributes& record)
{
    BarChartAttributes a = record;
    if (f.newChart && (f.name.empty() || BarChartNameIsFree(f.name) == 0))
        return 11356;
    const auto bars = integerOf(f.bars), parts = integerOf(f.parts), height = integerOf(f.height);
    if (!inRange(bars, 1, 999))
        return 11357;
    if (!inRange(parts, 1, 999))
        return 11358;
    if (!inRange(height, 1, 32767))
        return 11359;
    a.barCount = static_cast<int32_t>(*bars);
    a.partCount = static_cast<int32_t>(*parts);
    a.barHeight = static_cast<int16_t>(*height);
    a.history = f.history ? 1 : 0;
    a.retain = 0;
    if (f.history) {
        const auto retain = integerOf(f.retain);
        if (!inRange(retain, 0, *bars - 1))
            return 11360;
        a.retain = static_cast<int32_t>(*retain);
    }
    std::string interval;
    if (int16_t m = checkPeriods(f.timeChecked, f.interval, f.stepChecked, f.step, interval, a.stepInterval); m)
        return m;
    const bool integer = f.integer;
    if (!ofKind(f.min, integer))
        return integer ? 11364 : 11369;
    const double min = valueOf(f.min, integer);
    if (min > 0)
        return 11363;
    if (!ofKind(f.max, integer))
        return integer ? 11366 : 11370;
    const double max = valueOf(f.max, integer);
    if (!(max > min) || max < 0)
        return 11365;
    std::string distance = recordText(record.distance);
    int32_t number = record.gridNumber;
    if (int16_t m = checkGrid(f.byNumber, f.byDistance, f.grid, integer, min, max, true,
                              {11371, 11367, 11368, 11396, 11418}, number, distance);
        m)
        return m;
    a.gridNumber = number;
    a.integerValues = integer ? 1 : 0;
    if (f.newChart)
        put(a.name, f.name);
    else
        put(a.name, "");
    put(a.interval, interval);
    put(a.min, f.min);
    put(a.max, f.max);
    put(a.distance, distance);
    record = a;
    return 0;
}

int16_t LineChartCheckForm(const LineChartForm& f, LineChartAttributes& record)
{
    LineChartAttributes a = record;
    if (f.newChart && (f.name.empty() || LineChartNameIsFree(f.name) == 0))
        return 11356;
    const auto lines = integerOf(f.lines), box = integerOf(f.boxSize);
    if (!inRange(lines, 1, 999))
        return 11372;
    if (!inRange(box, 1, 32767))
        return 11373;
    a.lineCount = static_cast<int32_t>(*lines);
    a.boxSize = static_cast<int16_t>(*box);
    std::string interval;
    if (int16_t m = checkPeriods(f.timeChecked, f.interval, f.stepChecked, f.step, interval, a.stepInterval); m)
        return m;
    const bool integer = f.integer;
    auto axis = [&](const std::string& minText, const std::string& maxText, int16_t minInt, int16_t minReal,
                    int16_t maxInt, int16_t maxReal, int16_t order) -> int16_t {
        if (!ofKind(minText, integer))
            return integer ? minInt : minReal;
        if (!ofKind(maxText, integer))
            return integer ? maxInt : maxReal;
        if (!(valueOf(maxText, integer) > valueOf(minText, integer)))
            return order;
        return 0;
    };
    if (int16_t m = axis(f.xMin, f.xMax, 11374, 11390, 11376, 11391, 11375); m)
        return m;
    if (int16_t m = axis(f.yMin, f.yMax, 11377, 11392, 11379, 11393, 11378); m)
        return m;
    auto origin = [&](const std::string& text, const std::string& minText, const std::string& maxText,
                      int16_t kindInt, int16_t kindReal, int16_t range) -> int16_t {
        if (!ofKind(text, integer))
            return integer ? kindInt : kindReal;
        const double v = valueOf(text, integer);
        if (v < valueOf(minText, integer) || v > valueOf(maxText, integer))
            return range;
        return 0;
    };
    if (int16_t m = origin(f.xOrigin, f.xMin, f.xMax, 11380, 11394, 11401); m)
        return m;
    if (int16_t m = origin(f.yOrigin, f.yMin, f.yMax, 11381, 11395, 11402); m)
        return m;
    std::string xDistance = recordText(record.xDistance), yDistance = recordText(record.yDistance);
    int32_t xNumber = record.xGridNumber, yNumber = record.yGridNumber;
    if (int16_t m = checkGrid(f.xByNumber, f.xByDistance, f.xGrid, integer, valueOf(f.xMin, integer),
                              valueOf(f.xMax, integer), false, {11382, 11384, 11385, 11383, 11419}, xNumber,
                              xDistance);
        m)
        return m;
    if (int16_t m = checkGrid(f.yByNumber, f.yByDistance, f.yGrid, integer, valueOf(f.yMin, integer),
                              valueOf(f.yMax, integer), false, {11388, 11386, 11387, 11389, 11420}, yNumber,
                              yDistance);
        m)
        return m;
    a.xGridNumber = xNumber;
    a.yGridNumber = yNumber;
    a.integerValues = integer ? 1 : 0;
    put(a.name, f.newChart ? f.name : std::string());
    put(a.intervalText, interval);
    put(a.xMin, f.xMin);
    put(a.xMax, f.xMax);
    put(a.yMin, f.yMin);
    put(a.yMax, f.yMax);
    put(a.xOrigin, f.xOrigin);
    put(a.yOrigin, f.yOrigin);
    put(a.xDistance, xDistance);
    put(a.yDistance, yDistance);
    record = a;
    return 0;
}

// The net editor's entries: the settings that the chart dialog answered,
// applied to one chart record.
int ChartApplyBar(SEHead* chart, const void* settings)
{
    if (chart == nullptr || settings == nullptr || chart->kind != kSEBarChart)
        return 0;
    BarChartAttributes a{};
    std::memcpy(&a, settings, sizeof a);
    BarChartApply(*reinterpret_cast<SEBarChart*>(chart), a);
    return 1;
}

int ChartApplyLine(SEHead* chart, const void* settings)
{
    if (chart == nullptr || settings == nullptr || chart->kind != kSELineChart)
        return 0;
    LineChartAttributes a{};
    std::memcpy(&a, settings, sizeof a);
    LineChartApply(*reinterpret_cast<SELineChart*>(chart), a);
    return 1;
}
