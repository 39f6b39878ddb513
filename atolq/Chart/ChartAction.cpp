// Update actions of line and bar charts and their code regions.
#include "atolq/Chart/ChartAction.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/Chart/ChartRecords.h"
#include "atolq/Chart/ChartUtil.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr CommandId kCommandFitToText = 802;

const char* suffix(bool integer)
{
    return integer ? "_int" : "_real";
}

// "v1, v2, ..., vP": the placeholders of one row of part values.
std::string valueNames(int32_t parts)
{
    std::string out;
    for (int32_t j = 1; j < parts; ++j)
        out += "v" + std::to_string(j) + ", ";
    out += "v" + std::to_string(parts < 2 ? 1 : parts);
    return out;
}

// The text of an object through the kernel, whole.
std::string objectText(uint32_t object)
{
    uint32_t length = 0;
    if (QXText_GetLength(object, &length) == 0 || length == 0)
        return {};
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    uint32_t got = length;
    if (QXText_GetText(object, buffer.data(), &got) == 0)
        return {};
    return std::string(buffer.data(), std::min(got, length));
}

char* dataBaseCopy(const std::string& text)
{
    auto* copy = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(text.size() + 1)));
    if (copy != nullptr)
        std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// Puts the action into the region, fits the region to it, places it
// right-aligned under the frame and returns the text as the region holds it.
std::string writeIntoRegion(uint32_t frame, uint32_t region, const std::string& action)
{
    QXText_SetTextAttr(region, 5, 14, 0, 1);
    QXText_SetText(region, action.c_str());
    QXStr_SetCurObject(region);
    QXUI_DoCommand(kCommandFitToText);
    Fixed X = 0, Y = 0, W = 0, H = 0, w = 0, h = 0;
    QXRdAttr_GetPosition(frame, &X, &Y);
    QXRdAttr_GetSize(frame, &W, &H);
    QXRdAttr_GetSize(region, &w, &h);
    QXWtAttr_SetPosition(region, X + W / 2 - w / 2, Y + H / 2 + h / 2);
    GE_EndTextEdit();
    return objectText(region);
}

} // namespace

std::string LineChartActionText(std::string_view name, int32_t lineCount, bool integer)
{
    std::string out = "action\nLC_upd_chart";
    out += suffix(integer);
    out += "{\n\t\tlc = \"";
    out += name;
    out += "\",\n\t\tvalues = [\n\t\t\t";
    for (int32_t n = 1; n <= lineCount; ++n) {
        out += "(" + std::to_string(n) + ", vx, vy, true, true)";
        out += n < lineCount ? ",\n\t\t\t" : "]};";
    }
    if (lineCount < 1)
        out += "]};";
    return out;
}

std::string BarChartStandardActionText(std::string_view name, int32_t barCount, int32_t partCount, bool integer)
{
    std::string out = "action\n\tSC_upd_chart";
    out += suffix(integer);
    out += "{\n\t\tsc = \"";
    out += name;
    out += "\",\n\t\tvalues = [\n\t\t\t";
    const std::string names = valueNames(partCount);
    for (int32_t i = 1; i <= barCount; ++i) {
        out += "(" + std::to_string(i) + ", [" + names;
        out += i < barCount ? "], true),\n\t\t\t" : "], true)]};";
    }
    if (barCount < 1)
        out += "]};";
    return out;
}

std::string BarChartHistoryActionText(std::string_view name, int32_t partCount, bool integer)
{
    std::string out = "action\n\tHC_upd_chart";
    out += suffix(integer);
    out += "{\n\t\thc = \"";
    out += name;
    out += "\",\n\t\tvalues = [\n\t\t\t([";
    out += valueNames(partCount);
    out += "], true)], \n\t\ttags = [\"Tag\"]};";
    return out;
}

void LineChartWriteUpdateAction(SELineChart& chart, uint32_t region)
{
    LineChartFields c(chart);
    if (region == 0)
        return;
    const std::string action =
        LineChartActionText(c.name != nullptr ? c.name : "", c.lineCount, c.integerValues != 0);
    const std::string stored = writeIntoRegion(c.frame, region, action);
    SESetLineChartText(&chart.head, dataBaseCopy(stored));
}

void BarChartWriteAction(SEBarChart& chart, uint32_t region)
{
    BarChartFields c(chart);
    if (region == 0)
        return;
    const char* name = c.name != nullptr ? c.name : "";
    const bool integer = c.integerValues != 0;
    const std::string action = c.retain >= 0 ? BarChartHistoryActionText(name, c.partCount, integer)
                                             : BarChartStandardActionText(name, c.barCount, c.partCount, integer);
    const std::string stored = writeIntoRegion(c.frame, region, action);
    SESetBarChartText(&chart.head, dataBaseCopy(stored));
}

void LineChartMakeCodeRegion(SELineChart& chart, Fixed x, Fixed y)
{
    ObjectHandle region = 0;
    if (EE_MakeLineChartRegion(chart.kvObject, x, y, ChartUnits(500), ChartUnits(500), &region) != 0)
        LineChartWriteUpdateAction(chart, region);
}

void BarChartMakeCodeRegion(SEBarChart& chart, Fixed x, Fixed y)
{
    ObjectHandle region = 0;
    if (EE_MakeBarChartRegion(chart.kvObject, x, y, ChartUnits(500), ChartUnits(500), &region) != 0)
        BarChartWriteAction(chart, region);
}

uint32_t ChartFindRegion(uint32_t frame, uint32_t regionKind)
{
    uint16_t count = 0;
    ObjectHandle* regions = nullptr;
    if (frame == 0 || QXStr_GetRegionList(frame, &count, &regions) == 0)
        return 0;
    uint32_t found = 0;
    for (uint16_t i = 0; i < count && found == 0; ++i) {
        uint32_t kind = 0;
        if (QXRdAttr_GetRegionKind(regions[i], &kind) != 0 && kind == regionKind)
            found = regions[i];
    }
    QXMem_Free(regions);
    return found;
}
