// The chart callbacks of the evaluator: decoding, and the line chart
// requests.
#include "atolq/Chart/ChartRequests.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/Chart/ChartAction.h"
#include "atolq/Chart/ChartUtil.h"
#include "atolq/Chart/LineChart.h"
#include "atolq/SML/SMLWait.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Refusals of the requests.
constexpr int32_t kNoChart = -1;
constexpr int32_t kMissingPart = -2;
constexpr int32_t kOutOfShape = -3;
constexpr int32_t kWrongKind = -4;
constexpr int32_t kNoPage = -17;
constexpr int32_t kNoCodeRegion = -18;

// The dialog's limit on lines; more would only fill memory and the page.
constexpr int32_t kMaxLines = 999;

// An integer (converted to a real) or a real text, by the request's kind.
double readValue(SMLWireIn& in, bool integer)
{
    return integer ? static_cast<double>(in.i32()) : ChartReadRealText(in.str());
}

std::vector<std::string> readTexts(SMLWireIn& in)
{
    const uint32_t n = ChartReadCount(in, 4);
    std::vector<std::string> texts;
    for (uint32_t i = 0; i < n && in.ok(); ++i)
        texts.push_back(in.str());
    return texts;
}

void answer(SMLWireOut& out, int32_t result)
{
    out.i32(result);
}

bool isLine(const LineChartFields& c, int32_t line)
{
    return line >= 1 && line <= c.lineCount;
}

// ---- create ----

// A number setting: an integer written with "%ld", or the text as sent.
void readSetting(SMLWireIn& in, bool asInteger, char (&field)[256])
{
    if (asInteger)
        ChartCopySetting(field, std::to_string(in.i32()));
    else
        ChartCopySetting(field, in.str());
}

struct CreateRequest {
    int16_t width = 0, height = 0, cy = 0, cx = 0;
    LineChartAttributes a{};
};

CreateRequest readCreate(uint32_t code, const std::string& name, SMLWireIn& in)
{
    const bool intDistance = code == 2020 || code == 2030;
    const bool intInterval = code == 2020 || code == 2040;
    const bool intRange = code == 2020 || code == 2030;
    CreateRequest r;
    LineChartAttributes& a = r.a;
    ChartCopySetting(a.name, name);
    r.width = in.s16();
    r.height = in.s16();
    r.cy = in.s16();
    r.cx = in.s16();
    a.lineCount = in.i32();
    const int32_t box = in.i32();
    a.boxSize = static_cast<int16_t>(std::clamp(box, -1, 32767));
    a.startAtOrigin = in.i32();
    a.horizVert = in.i32();
    a.xGridNumber = in.i32();
    readSetting(in, intDistance, a.xDistance);
    a.xTicksOnly = in.i32();
    a.yGridNumber = in.i32();
    readSetting(in, intDistance, a.yDistance);
    a.yTicksOnly = in.i32();
    a.title = in.i32();
    a.legend = in.i32();
    a.axisNames = in.i32();
    a.saveCopy = in.i32();
    a.keepContents = in.i32();
    a.initAtOrigin = in.i32();
    a.endOfRun = in.i32();
    readSetting(in, intInterval, a.intervalText);
    a.stepInterval = in.i32();
    a.integerValues = in.i32();
    for (char(*field)[256] : {&a.xMin, &a.xMax, &a.xOrigin, &a.yMin, &a.yMax, &a.yOrigin})
        readSetting(in, intRange, *field);
    a.rescaleAxis = in.i32();
    a.moveAxis = in.i32();
    a.existing = 0;
    return r;
}

// A text of the chart's number kind: a number whose integer-ness matches.
bool ofKind(const char* text, bool integerChart)
{
    int isInteger = 0;
    return EE_ParseNumber(text, &isInteger) != 0 && (isInteger != 0) == integerChart;
}

int32_t checkAxis(const char* min, const char* max, bool integer)
{
    if (!ofKind(min, integer))
        return -11;
    if (!ofKind(max, integer) || !(std::atof(max) > std::atof(min)))
        return -12;
    return 0;
}

int32_t checkOrigin(const char* origin, const char* min, const char* max, bool integer)
{
    int isInteger = 0;
    if (EE_ParseNumber(origin, &isInteger) == 0)
        return 0; // no number: the origin passes
    if ((isInteger != 0) != integer || std::atof(origin) < std::atof(min) || std::atof(origin) > std::atof(max))
        return -16;
    return 0;
}

int32_t checkDistance(const char* distance, const char* max, bool integer)
{
    if (!ofKind(distance, integer) || std::atof(distance) < 0 || std::atof(distance) > std::atof(max))
        return -13;
    return 0;
}

int32_t checkCreate(const LineChartAttributes& a)
{
    if (a.lineCount < 1 || a.lineCount > kMaxLines)
        return -14;
    if (a.boxSize < 1)
        return -15;
    int isInteger = 0;
    if (EE_ParseNumber(a.intervalText, &isInteger) == 0 || isInteger == 0)
        return -10;
    const bool integer = a.integerValues != 0;
    if (int32_t r = checkAxis(a.xMin, a.xMax, integer); r != 0)
        return r;
    if (int32_t r = checkAxis(a.yMin, a.yMax, integer); r != 0)
        return r;
    if (int32_t r = checkOrigin(a.xOrigin, a.xMin, a.xMax, integer); r != 0)
        return r;
    if (int32_t r = checkOrigin(a.yOrigin, a.yMin, a.yMax, integer); r != 0)
        return r;
    if (int32_t r = checkDistance(a.xDistance, a.xMax, integer); r != 0)
        return r;
    return checkDistance(a.yDistance, a.yMax, integer);
}

// A chart of the name loses its chart role; its objects stay on the page.
void releaseOldChart(const std::string& name)
{
    SELineChart* old = nullptr;
    if (FindLineChart(name, &old) == 0 || old == nullptr)
        return;
    const bool hadCode = old->chartText != nullptr;
    EE_RemoveNetInfo(old->kvObject, 0);
    if (GE_GetMode() == 2 && hadCode) {
        SSetReswitchNeeded(1);
        QXMenu_RequestUpdate();
    }
}

bool onDrawablePage(uint32_t page)
{
    uint32_t size = 0;
    return page != 0 && PGIsHierarchyObject(page, &size) == 0;
}

void create(const CreateRequest& r, SMLWireOut& out)
{
    releaseOldChart(r.a.name);
    const uint32_t page = QXStr_GetCurPage();
    if (!onDrawablePage(page))
        return answer(out, kNoPage);
    const ObjectHandle frame = QXStr_CreateNode(page, QXUtil_IntToFixed(r.cx), QXUtil_IntToFixed(r.cy),
                                                QXUtil_IntToFixed(r.width), QXUtil_IntToFixed(r.height), 1);
    if (frame == 0)
        return answer(out, kNoPage);
    QXWtAttr_SetLineWidth(frame, ChartUnits(2));
    QXWtAttr_SetLineStyle(frame, 5);
    QXStr_SetCurObject(frame);
    SEHead* record = nullptr;
    if (EE_MakeLineChartRecord(frame, 0) == 0 || GE_GetSERecord(frame, &record) == 0 || record == nullptr ||
        record->kind != kSELineChart) {
        // No chart record: nothing to build on, and nothing left behind.
        QXStr_DeleteObject(frame);
        return answer(out, kNoChart);
    }
    if (int32_t refused = checkCreate(r.a); refused != 0)
        return answer(out, refused);
    LineChartApply(*reinterpret_cast<SELineChart*>(record), r.a);
    answer(out, 0);
    out.str(r.a.name);
}

// ---- points ----

struct PointRequest {
    int32_t line = 0;
    double x = 0, y = 0;
    int32_t join = 0;
    int32_t valid = 1;
};

PointRequest readPoint(SMLWireIn& in, bool integer, bool withValid)
{
    PointRequest p;
    p.line = in.i32();
    p.x = readValue(in, integer);
    p.y = readValue(in, integer);
    p.join = in.i32();
    if (withValid)
        p.valid = in.i32();
    return p;
}

int32_t kindCheck(const LineChartFields& c, bool integer)
{
    return (c.integerValues != 0) != integer ? kWrongKind : 0;
}

} // namespace

double ChartReadRealText(const std::string& text)
{
    std::string t = text;
    if (const size_t tilde = t.find('~'); tilde != std::string::npos)
        t[tilde] = '-';
    return std::strtod(t.c_str(), nullptr);
}

void ChartCopySetting(char (&field)[256], const std::string& text)
{
    const size_t n = std::min(text.size(), sizeof field - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

uint32_t ChartReadCount(SMLWireIn& in, uint32_t minBytes)
{
    const uint32_t n = in.u32();
    if (!in.ok() || (minBytes > 0 && n > in.remaining() / minBytes)) {
        in.fail();
        return 0;
    }
    return n;
}

bool LineChartServe(uint32_t code, const std::string& name, SMLWireIn& in, SMLWireOut& out, int* status)
{
    if (code < 2010 || code > 2170 || code % 10 != 0)
        return false;
    *status = -1;
    auto done = [&](int32_t result) {
        answer(out, result);
        *status = 0;
        return true;
    };
    SELineChart* chart = nullptr;
    FindLineChart(name, &chart);
    switch (code) {
    case 2020:
    case 2030:
    case 2040:
    case 2050: {
        const CreateRequest r = readCreate(code, name, in);
        if (!in.ok())
            return true;
        create(r, out);
        break;
    }
    case 2010:
    case 2060:
    case 2070:
    case 2170: {
        if (chart == nullptr) {
            answer(out, kNoChart);
        } else if (code == 2010) {
            LineChartReinit(*chart);
            answer(out, 0);
        } else if (code == 2060) {
            answer(out, LineChartDelete(*chart) != 0 ? 0 : kNoChart);
        } else if (code == 2070) {
            LineChartStart(*chart);
            answer(out, 0);
        } else {
            const uint32_t region = ChartFindRegion(chart->kvObject, kLineCodeRegion);
            if (region == 0)
                answer(out, kNoCodeRegion);
            else
                out.u32(region);
        }
        break;
    }
    case 2080: {
        const std::string x = in.str(), y = in.str();
        if (!in.ok())
            return true;
        if (chart == nullptr)
            return done(kNoChart);
        LineChartFields c(*chart);
        if (c.xNameLabel == 0 || c.yNameLabel == 0)
            return done(kMissingPart);
        LineChartSetAxisNames(x, y, c.xNameLabel, c.yNameLabel);
        answer(out, 0);
        break;
    }
    case 2090:
    case 2100: {
        const bool integer = code == 2090;
        const uint32_t n = ChartReadCount(in, 12);
        std::vector<LinePointEntry> batch;
        for (uint32_t i = 0; i < n && in.ok(); ++i) {
            const PointRequest p = readPoint(in, integer, true);
            batch.push_back({p.line, p.x, p.y, p.join, p.valid});
        }
        if (!in.ok())
            return true;
        if (chart == nullptr)
            return done(kNoChart);
        LineChartFields c(*chart);
        if (int32_t r = kindCheck(c, integer); r != 0)
            return done(r);
        for (const LinePointEntry& e : batch)
            if (!isLine(c, e.line))
                return done(kOutOfShape);
        LineChartAddPoints(batch.data(), *chart, static_cast<int32_t>(batch.size()));
        answer(out, 0);
        break;
    }
    case 2110:
    case 2120:
    case 2140:
    case 2150: {
        const bool integer = code == 2110 || code == 2140;
        const bool withPattern = code >= 2140;
        const PointRequest p = readPoint(in, integer, false);
        const int32_t pattern = withPattern ? in.i32() : 0;
        if (!in.ok())
            return true;
        if (chart == nullptr)
            return done(kNoChart);
        LineChartFields c(*chart);
        if (int32_t r = kindCheck(c, integer); r != 0)
            return done(r);
        if (!isLine(c, p.line) || (withPattern && pattern < 1))
            return done(kOutOfShape);
        if (withPattern)
            LineChartAddPointWithPattern(p.line, p.x, p.y, p.join, *chart, static_cast<int16_t>(pattern));
        else
            LineChartAddPoint(p.line, p.x, p.y, p.join, *chart);
        answer(out, 0);
        break;
    }
    case 2130: {
        const std::vector<std::string> texts = readTexts(in);
        if (!in.ok())
            return true;
        if (chart == nullptr)
            return done(kNoChart);
        LineChartFields c(*chart);
        if (c.legend.box == 0)
            return done(kMissingPart);
        if (static_cast<int32_t>(texts.size()) != c.lineCount)
            return done(kOutOfShape);
        std::vector<const char*> pointers;
        for (const std::string& t : texts)
            pointers.push_back(t.c_str());
        LineChartSetLegendNames(c.legend.itemLabels, pointers.data(), c.legend.count);
        answer(out, 0);
        break;
    }
    case 2160: {
        const std::string title = in.str();
        if (!in.ok())
            return true;
        if (chart == nullptr)
            return done(kNoChart);
        if (LineChartFields(*chart).titleLabel == 0)
            return done(kMissingPart);
        LineChartSetTitle(*chart, title);
        answer(out, 0);
        break;
    }
    default:
        return false;
    }
    *status = 0;
    return true;
}

int ChartServeRequest(std::span<const uint8_t> request, SMLWireOut& reply)
{
    SMLWireIn in(request);
    const uint32_t code = in.u32();
    const std::string name = in.str();
    if (!in.ok())
        return -1;
    int status = -1;
    if (LineChartServe(code, name, in, reply, &status) || BarChartServe(code, name, in, reply, &status))
        return status;
    return -1;
}

void ChartInstallRequests()
{
    SMLSetChartServer(ChartServeRequest);
}
