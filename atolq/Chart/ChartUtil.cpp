// Shared chart arithmetic and helpers used by line and bar charts.
#include "atolq/Chart/ChartUtil.h"

#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kInt32Limit = 2147483648.0; // 2^31

// Real to i32, saturating where the value does not fit (and 0 for NaN).
int32_t clampToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= kInt32Limit)
        return INT32_MAX;
    if (v < -kInt32Limit)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

std::string formatG(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%#.12G", value);
    return buffer;
}

// Label and text objects of the charts share one text style apart from size.
void setLabelStyle(uint32_t label, int32_t size, int32_t style, int32_t justification)
{
    QXText_SetTextAttr(label, 5, size, style, justification);
}

} // namespace

Fixed ChartUnits(int32_t units)
{
    return QXUtil_IntToFixed(units);
}

int ChartContains(uint32_t value, std::span<const uint32_t> values)
{
    return std::find(values.begin(), values.end(), value) != values.end() ? 1 : 0;
}

std::string ChartFormatLong(int64_t value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
    return buffer;
}

std::string ChartFormatReal(double value)
{
    return formatG(value);
}

// Short label form: the integer digits and up to two decimals, or for values
// below 1 the leading zeros and up to two significant digits.
std::string ChartFormatAxisValue(double value, bool oneDecimal)
{
    const double v = ChartRoundForDisplay(value);
    if (std::fabs(v) < 1e-12)
        return oneDecimal ? "0.0" : "0";
    const std::string t = formatG(v);
    const size_t point = t.find('.');
    if (point == std::string::npos)
        return t; // "%#" always writes a point; kept for safety
    const std::string head = t.substr(0, point);
    const std::string_view after = std::string_view(t).substr(point + 1);
    auto digit = [&](size_t k) -> char {
        return k < after.size() && std::isdigit(static_cast<unsigned char>(after[k])) ? after[k] : '\0';
    };
    const double magnitude = std::fabs(v);
    const bool integerPart = magnitude >= 1.0 && magnitude < kInt32Limit;
    if (integerPart) {
        if (oneDecimal)
            return head + "." + std::string(1, digit(0) ? digit(0) : '0');
        if (digit(0) == '0' && digit(1) == '0')
            return head;
        std::string out = head + "." + digit(0);
        if (digit(1) != '\0' && digit(1) != '0')
            out += digit(1);
        return out;
    }
    std::string out = head + ".";
    if (const size_t e = t.find('E'); e != std::string::npos) {
        out += after.substr(0, std::min<size_t>(2, e - point - 1));
        out += t.substr(e);
        return out;
    }
    size_t k = 0;
    while (digit(k) == '0')
        out += after[k++];
    if (digit(k) != '\0') {
        out += after[k];
        if (digit(k + 1) != '\0' && digit(k + 1) != '0')
            out += after[k + 1];
    }
    return out;
}

void ChartSetTexts(std::span<const uint32_t> objects, std::span<const std::string> texts)
{
    const size_t n = std::min(objects.size(), texts.size());
    for (size_t i = 0; i < n; ++i)
        QXText_SetText(objects[i], texts[i].c_str());
}

std::vector<double> ChartFillReals(double start, double step, int32_t n)
{
    std::vector<double> out;
    double value = start;
    for (int32_t i = 0; i < n; ++i) {
        out.push_back(value);
        value += step;
    }
    return out;
}

std::vector<std::string> ChartMakeIntLabels(int32_t start, int32_t step, int32_t n)
{
    std::vector<std::string> out;
    for (int32_t i = 0; i < n; ++i)
        out.push_back(ChartFormatLong(static_cast<int64_t>(start) + static_cast<int64_t>(i) * step));
    return out;
}

std::vector<std::string> ChartMakeRealLabels(double start, double step, int32_t n)
{
    std::vector<std::string> out;
    for (int32_t i = 0; i < n; ++i)
        out.push_back(ChartFormatAxisValue(start + i * step, false));
    return out;
}

std::vector<std::string> ChartMakeNumberedTexts(std::string_view prefix, int32_t n)
{
    std::vector<std::string> out;
    for (int32_t i = 1; i <= n; ++i)
        out.push_back(ChartConcat(prefix, ChartFormatLong(i)));
    return out;
}

std::vector<std::string> ChartMakeSameTexts(std::string_view text, int32_t n)
{
    return std::vector<std::string>(static_cast<size_t>(std::max(n, 0)), std::string(text));
}

std::string ChartConcat(std::string_view a, std::string_view b)
{
    std::string out(a);
    out += b;
    return out;
}

void ChartDeleteObjects(SEWordArray& objects)
{
    for (uint32_t i = 0; objects.words != nullptr && i < objects.count; ++i)
        if (objects.words[i] != 0)
            QXStr_DeleteObject(objects.words[i]);
    ChartFreeWords(objects);
}

void ChartFreeWords(SEWordArray& array)
{
    if (array.words != nullptr)
        QXMem_Free(array.words);
    array.words = nullptr;
    array.count = 0;
}

void ChartAllocWords(SEWordArray& array, int32_t n)
{
    ChartFreeWords(array);
    if (n <= 0)
        return;
    const auto bytes = static_cast<uint32_t>(sizeof(uint32_t) * static_cast<size_t>(n));
    array.words = static_cast<uint32_t*>(QXMem_Alloc(bytes));
    if (array.words == nullptr)
        return;
    std::memset(array.words, 0, bytes);
    array.count = static_cast<uint32_t>(n);
}

void ChartSetRecordText(SEText& field, std::string_view text)
{
    auto* buffer = static_cast<char*>(QXMem_Alloc(kChartTextSize));
    if (buffer == nullptr)
        return;
    const size_t n = std::min<size_t>(text.size(), kChartTextSize - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    if (field != nullptr)
        QXMem_Free(field);
    field = buffer;
}

double ChartTextReal(const char* text)
{
    return text != nullptr ? std::atof(text) : 0.0;
}

int32_t ChartTextInt(const char* text)
{
    return text != nullptr ? clampToInt(std::strtod(text, nullptr)) : 0;
}

int32_t ChartCeil(double x)
{
    const double f = std::floor(x);
    return clampToInt(f == x ? x : f + 1.0);
}

int32_t ChartRound(double x)
{
    return clampToInt(std::floor(x + 0.5));
}

int32_t ChartTrunc(double x)
{
    return clampToInt(std::trunc(x));
}

int32_t ChartNiceInt(int32_t n)
{
    if (n <= 1)
        return 1;
    if (n <= 3)
        return 2;
    if (n <= 7)
        return 5;
    if (n <= 9)
        return 10;
    const int64_t nice = 10 * static_cast<int64_t>(ChartNiceInt(ChartRound(n / 10.0)));
    return static_cast<int32_t>(std::min<int64_t>(nice, INT32_MAX));
}

int32_t ChartNiceIntStep(int32_t span, int32_t count)
{
    return ChartNiceInt(ChartRound(static_cast<double>(span) / std::max(count, 1)));
}

// Computed by scaling into [1, 10] first, so that no input recurses without
// end; spans that are not positive and finite give 1.
double ChartNiceReal(double x)
{
    if (!(x > 0.0) || !std::isfinite(x))
        return 1.0;
    double scale = 1.0;
    while (x > 10.0) {
        x /= 10.0;
        scale *= 10.0;
    }
    while (x < 1.0) {
        x *= 10.0;
        scale *= 0.1;
    }
    const double nice = x <= 1.0 ? 1.0 : x <= 3.0 ? 2.0 : x <= 7.0 ? 5.0 : 10.0;
    return nice * scale;
}

double ChartNiceRealStep(double span, int32_t count)
{
    return ChartNiceReal(span / std::max(count, 1));
}

int32_t ChartStepIndex(double x, int32_t ref, double step)
{
    if (step == 0.0 || !std::isfinite(step))
        return 0;
    const double base = ref * step;
    if (x > base)
        return clampToInt(static_cast<double>(ref) + ChartCeil((x - base) / step));
    return clampToInt(static_cast<double>(ref) - std::trunc(std::floor((base - x) / step)));
}

double ChartRoundForDisplay(double x)
{
    const double magnitude = std::fabs(x);
    if (!std::isfinite(x) || magnitude >= kInt32Limit)
        return x; // no 32-bit integer part to keep apart
    double p = 1000.0;
    for (double a = magnitude; a < 0.01 && a != 0.0; a *= 10.0)
        p *= 10.0;
    const double i = std::trunc(magnitude);
    const double rounded = i + std::floor((magnitude - i) * p + 0.5) / p;
    if (!std::isfinite(rounded))
        return x;
    return x < 0 ? -rounded : rounded;
}

uint32_t ChartAttach(uint32_t parent, uint32_t object, uint32_t regionKind)
{
    if (parent == 0 || object == 0)
        return 0;
    // The kernel refuses to move a region that carries a region kind to
    // another owner; it becomes a plain node first.
    uint32_t current = 0;
    if (QXRdAttr_GetRegionKind(object, &current) != 0 && current != 0)
        QXStr_UnmakeRegion(object);
    if (QXStr_MakeRegion(object, parent) == 0)
        return 0;
    return QXWtAttr_SetRegionKind(object, regionKind);
}

void ChartCreateValueLabels(uint32_t page, Fixed x, Fixed y, int32_t n, Fixed distance, uint32_t parent,
                            bool horizontal, SEWordArray& out, uint32_t regionKind)
{
    ChartAllocWords(out, n);
    for (int32_t i = 0; i < n && out.words != nullptr; ++i) {
        const Fixed along = static_cast<Fixed>(static_cast<int64_t>(distance) * i);
        const uint32_t label = QXStr_CreateLabel(page, horizontal ? x + along : x, horizontal ? y : y + along,
                                                 ChartUnits(10), ChartUnits(10), " ");
        setLabelStyle(label, 12, 0, 1);
        ChartAttach(parent, label, regionKind);
        out.words[i] = label;
    }
}

uint32_t ChartCreateTitle(uint32_t page, Fixed x, Fixed y, Fixed height, std::string_view text)
{
    const std::string copy(text);
    const Fixed cx = x - ChartUnits(5) * static_cast<Fixed>(copy.size());
    const Fixed cy = y - height / 2 + ChartUnits(10);
    const uint32_t label = QXStr_CreateLabel(page, cx, cy, ChartUnits(10), ChartUnits(10), copy.c_str());
    setLabelStyle(label, 20, 2, 2);
    return label;
}

void ChartCreateLegend(uint32_t page, Fixed x, Fixed y, Fixed width, Fixed e, int32_t n, const int32_t* patterns,
                       ChartLegend legend, std::string_view prefix)
{
    n = std::max(n, 0);
    const int64_t height = e / 2 + (3 * static_cast<int64_t>(e) * n) / 2;
    legend.box = QXStr_CreateNode(page, x, y, width, static_cast<Fixed>(height), 4);
    legend.count = n;
    ChartAllocWords(legend.itemBoxes, n);
    ChartAllocWords(legend.itemLabels, n);
    const Fixed sx = x - ChartRound(width / 4.0);
    const Fixed lx = sx + ChartRound(e / 2.0) + ChartUnits(5);
    const int64_t y0 = y - height / 2 + 2 * (e / 2);
    const int64_t dy = e / 2 + e;
    for (int32_t i = n; i >= 1; --i) {
        const auto yi = static_cast<Fixed>(y0 + (i - 1) * dy);
        const uint32_t box = QXStr_CreateNode(page, sx, yi, e, e, 1);
        ChartAttach(legend.box, box, 4830);
        QXWtAttr_SetLinePattern(box, static_cast<uint32_t>(patterns[(i - 1) % 10]));
        const std::string text = ChartConcat(prefix, ChartFormatLong(i));
        const uint32_t label = QXStr_CreateLabel(page, lx, yi, ChartUnits(1), ChartUnits(1), text.c_str());
        QXUI_AlignObjects(label, 901, box, 0);
        ChartAttach(box, label, 4894);
        setLabelStyle(label, 12, 0, 1);
        if (legend.itemBoxes.words != nullptr)
            legend.itemBoxes.words[i - 1] = box;
        if (legend.itemLabels.words != nullptr)
            legend.itemLabels.words[i - 1] = label;
    }
}

void ChartClearBox(ChartLegend legend)
{
    legend.box = 0;
    legend.itemBoxes = SEWordArray{};
    legend.itemLabels = SEWordArray{};
    legend.count = 0;
}

namespace {

bool isSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The keyword followed by one white-space character at position at.
bool keywordAt(std::string_view code, size_t at, std::string_view keyword)
{
    return code.substr(at, keyword.size()) == keyword && at + keyword.size() < code.size() &&
           isSpace(code[at + keyword.size()]);
}

// The first place from `from` where one of the keywords begins, or the end.
size_t nextKeyword(std::string_view code, size_t from, std::initializer_list<std::string_view> keywords)
{
    for (size_t at = from; at < code.size(); ++at)
        for (std::string_view k : keywords)
            if (keywordAt(code, at, k))
                return at;
    return code.size();
}

} // namespace

int ChartSplitCode(std::string_view code, std::string& cond, std::string& init, std::string& action)
{
    size_t at = 0;
    while (at < code.size() && isSpace(code[at]))
        ++at;
    if (keywordAt(code, at, "init")) {
        const size_t from = at + 5;
        at = nextKeyword(code, from, {"cond", "action"});
        init.assign(code.substr(from, at - from));
    }
    if (keywordAt(code, at, "cond")) {
        const size_t from = at + 5;
        at = nextKeyword(code, from, {"action"});
        cond.assign(code.substr(from, at - from));
    }
    if (keywordAt(code, at, "action")) {
        action.assign(code.substr(at + 7));
        return 1;
    }
    return 0;
}
