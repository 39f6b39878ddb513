// The bar chart requests of the evaluator: find the chart, check the request
// against its shape and mode, and run the operation; and whole bar charts
// created on the model's request.
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/Chart/BarChart.h"
#include "atolq/Chart/ChartAction.h"
#include "atolq/Chart/ChartRequests.h"
#include "atolq/Chart/ChartUtil.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int32_t kNoChart = -1;
constexpr int32_t kMissingPart = -2;
constexpr int32_t kOutOfShape = -3;
constexpr int32_t kWrongKind = -4;
constexpr int32_t kNoPage = -17;
constexpr int32_t kNoCodeRegion = -18;
// The dialog's limit on bars and parts; more would only fill memory.
constexpr int32_t kMaxCount = 999;

std::vector<double> readValues(SMLWireIn& in, bool integer)
{
    const uint32_t n = ChartReadCount(in, 4);
    std::vector<double> values;
    for (uint32_t i = 0; i < n && in.ok(); ++i)
        values.push_back(integer ? static_cast<double>(in.i32()) : ChartReadRealText(in.str()));
    return values;
}

std::vector<std::string> readTexts(SMLWireIn& in)
{
    const uint32_t n = ChartReadCount(in, 4);
    std::vector<std::string> texts;
    for (uint32_t i = 0; i < n && in.ok(); ++i)
        texts.push_back(in.str());
    return texts;
}

void readSetting(SMLWireIn& in, bool asInteger, char (&field)[256])
{
    if (asInteger)
        ChartCopySetting(field, std::to_string(in.i32()));
    else
        ChartCopySetting(field, in.str());
}

struct CreateRequest {
    int32_t width = 0, height = 0, cy = 0, cx = 0;
    BarChartAttributes a{};
};

int32_t coordinate(SMLWireIn& in)
{
    return std::clamp(in.i32(), -32768, 32767);
}

CreateRequest readCreate(uint32_t code, const std::string& name, SMLWireIn& in)
{
    const bool intDistance = code == 20 || code == 30;
    const bool intInterval = code == 20 || code == 40;
    const bool intRange = code == 20 || code == 30;
    CreateRequest r;
    BarChartAttributes& a = r.a;
    ChartCopySetting(a.name, name);
    r.width = coordinate(in);
    r.height = coordinate(in);
    r.cy = coordinate(in);
    r.cx = coordinate(in);
    a.barCount = in.i32();
    a.partCount = in.i32();
    a.barHeight = static_cast<int16_t>(std::clamp(in.i32(), -1, 32767));
    a.gridNumber = in.i32();
    readSetting(in, intDistance, a.distance);
    for (int32_t* flag : {&a.ticksOnly, &a.title, &a.legend, &a.barNames, &a.posValues, &a.negValues,
                          &a.upperValues, &a.lowerValues, &a.keepContents, &a.saveCopy, &a.endOfRun})
        *flag = in.i32();
    readSetting(in, intInterval, a.interval);
    a.stepInterval = in.i32();
    a.integerValues = in.i32();
    readSetting(in, intRange, a.min);
    readSetting(in, intRange, a.max);
    a.history = in.i32();
    a.retain = in.i32();
    a.existing = 0;
    return r;
}

// Compares two texts as the create check does: as integers when the text
// just parsed is one and the chart takes integers, else as reals.
bool below(const char* a, const char* b, bool integerCompare)
{
    return integerCompare ? std::atoi(a) < std::atoi(b) : std::atof(a) < std::atof(b);
}

int32_t checkCreate(const BarChartAttributes& a)
{
    if (a.barCount < 1 || a.barCount > kMaxCount)
        return -6;
    if (a.partCount < 1 || a.partCount > kMaxCount)
        return -7;
    if (a.barHeight < 1)
        return -8;
    if (a.retain < 0 || a.retain > a.barCount)
        return -9;
    const bool integer = a.integerValues != 0;
    int isInteger = 0;
    if (EE_ParseNumber(a.interval, &isInteger) == 0 || isInteger == 0)
        return -10;
    if (EE_ParseNumber(a.min, &isInteger) == 0)
        return -11;
    if (below("0", a.min, isInteger != 0 && integer))
        return -11;
    if (EE_ParseNumber(a.max, &isInteger) == 0)
        return -12;
    if (below(a.max, a.min, isInteger != 0 && integer) || below(a.max, "0", isInteger != 0 && integer))
        return -12;
    if (EE_ParseNumber(a.distance, &isInteger) == 0)
        return -13;
    if (isInteger != 0 && integer ? below(a.max, a.distance, true)
                                  : (isInteger == 0 && !integer && below(a.max, a.distance, false)))
        return -13;
    return 0;
}

void releaseOldChart(const std::string& name)
{
    SEBarChart* old = nullptr;
    if (FindBarChart(name, &old) == 0 || old == nullptr)
        return;
    const bool hadCode = old->chartText != nullptr;
    EE_RemoveNetInfo(old->kvObject, 0);
    if (GE_GetMode() == 2 && hadCode) {
        SSetReswitchNeeded(1);
        QXMenu_RequestUpdate();
    }
}

void create(const CreateRequest& r, SMLWireOut& out)
{
    releaseOldChart(r.a.name);
    const uint32_t page = QXStr_GetCurPage();
    uint32_t size = 0;
    if (page == 0 || PGIsHierarchyObject(page, &size) != 0)
        return out.i32(kNoPage);
    const ObjectHandle frame = QXStr_CreateNode(page, QXUtil_IntToFixed(r.cx), QXUtil_IntToFixed(r.cy),
                                                QXUtil_IntToFixed(r.width), QXUtil_IntToFixed(r.height), 1);
    if (frame == 0)
        return out.i32(kNoPage);
    QXWtAttr_SetLineWidth(frame, ChartUnits(2));
    QXWtAttr_SetLineStyle(frame, 5);
    QXStr_SetCurObject(frame);
    SEHead* record = nullptr;
    if (EE_MakeBarChartRecord(frame, 0) == 0 || GE_GetSERecord(frame, &record) == 0 || record == nullptr ||
        record->kind != kSEBarChart) {
        QXStr_DeleteObject(frame);
        return out.i32(kNoChart);
    }
    if (int32_t refused = checkCreate(r.a); refused != 0)
        return out.i32(refused);
    BarChartApply(*reinterpret_cast<SEBarChart*>(record), r.a);
    out.i32(0);
    out.str(r.a.name);
}

bool isHistory(SEBarChart* chart)
{
    return chart != nullptr && chart->long4 >= 0;
}

bool isStandard(SEBarChart* chart)
{
    return chart != nullptr && chart->long4 < 0;
}

bool kindDiffers(SEBarChart* chart, bool integer)
{
    return (BarChartFields(*chart).integerValues != 0) != integer;
}

} // namespace

bool BarChartServe(uint32_t code, const std::string& name, SMLWireIn& in, SMLWireOut& out, int* status)
{
    const bool ours = (code >= 10 && code <= 100 && code % 10 == 0) ||
                      (code >= 1010 && code <= 1050 && code % 10 == 0) ||
                      (code >= 3010 && code <= 3070 && code % 10 == 0);
    if (!ours)
        return false;
    *status = -1;
    auto done = [&](int32_t result) {
        out.i32(result);
        *status = 0;
        return true;
    };
    SEBarChart* chart = nullptr;
    FindBarChart(name, &chart);
    switch (code) {
    case 20:
    case 30:
    case 40:
    case 50: {
        const CreateRequest r = readCreate(code, name, in);
        if (!in.ok())
            return true;
        create(r, out);
        *status = 0;
        return true;
    }
    case 10:
    case 60:
    case 70:
    case 100:
        if (chart == nullptr)
            return done(kNoChart);
        if (code == 10) {
            isHistory(chart) ? BarChartClearHistory(*chart) : BarChartClear(*chart);
        } else if (code == 60) {
            return done(BarChartDelete(*chart) != 0 ? 0 : kNoChart);
        } else if (code == 70) {
            isHistory(chart) ? BarChartResetHistory(*chart) : BarChartReset(*chart);
        } else {
            const uint32_t region = ChartFindRegion(chart->kvObject, kBarCodeRegion);
            if (region == 0)
                return done(kNoCodeRegion);
            out.u32(region);
            *status = 0;
            return true;
        }
        return done(0);
    case 80:
    case 90: {
        const std::vector<std::string> texts = code == 80 ? readTexts(in) : std::vector<std::string>{in.str()};
        if (!in.ok())
            return true;
        if (chart == nullptr)
            return done(kNoChart);
        BarChartFields c(*chart);
        if (code == 90) {
            if (c.titleLabel == 0)
                return done(kMissingPart);
            BarChartSetTitleText(*chart, texts.front());
            return done(0);
        }
        if (c.legend.box == 0)
            return done(kMissingPart);
        if (static_cast<int32_t>(texts.size()) != c.partCount)
            return done(kOutOfShape);
        BarChartSetPartNames(*chart, texts);
        return done(0);
    }
    case 1010:
    case 1020: {
        const bool integer = code == 1010;
        const std::vector<double> values = readValues(in, integer);
        if (!in.ok())
            return true;
        if (!isHistory(chart))
            return done(kNoChart);
        if (kindDiffers(chart, integer))
            return done(kWrongKind);
        if (static_cast<int32_t>(values.size()) != BarChartFields(*chart).partCount)
            return done(kOutOfShape);
        BarChartAddRow(*chart, values);
        return done(0);
    }
    case 1030:
    case 3030: {
        const std::vector<std::string> texts = readTexts(in);
        if (!in.ok())
            return true;
        if (code == 1030 ? !isHistory(chart) : !isStandard(chart))
            return done(kNoChart);
        BarChartFields c(*chart);
        if (c.barNameLabels.words == nullptr)
            return done(kMissingPart);
        if (code == 1030) {
            for (const std::string& tag : texts)
                BarChartAddTag(*chart, tag);
            return done(0);
        }
        if (static_cast<int32_t>(texts.size()) != c.barCount)
            return done(kOutOfShape);
        BarChartSetBarNames(*chart, texts);
        return done(0);
    }
    case 1040:
    case 1050: {
        const bool integer = code == 1040;
        const uint32_t n = ChartReadCount(in, 8);
        std::vector<HistoryRow> rows;
        for (uint32_t i = 0; i < n && in.ok(); ++i) {
            HistoryRow row;
            row.values = readValues(in, integer);
            row.use = in.i32();
            rows.push_back(std::move(row));
        }
        std::vector<std::string> tags = readTexts(in);
        if (!in.ok())
            return true;
        if (!isHistory(chart))
            return done(kNoChart);
        if (kindDiffers(chart, integer))
            return done(kWrongKind);
        const int32_t parts = BarChartFields(*chart).partCount;
        for (const HistoryRow& row : rows)
            if (static_cast<int32_t>(row.values.size()) != parts)
                return done(kOutOfShape);
        tags.resize(rows.size(), " ");
        // The used rows take the tags in order.
        BarChartAddRows(*chart, rows, tags);
        return done(0);
    }
    case 3010:
    case 3020:
    case 3060:
    case 3070: {
        const bool integer = code == 3010 || code == 3060;
        const int32_t number = in.i32();
        const std::vector<double> values = readValues(in, integer);
        if (!in.ok())
            return true;
        if (!isStandard(chart))
            return done(kNoChart);
        if (kindDiffers(chart, integer))
            return done(kWrongKind);
        BarChartFields c(*chart);
        const bool byBar = code <= 3020;
        const int32_t count = byBar ? c.partCount : c.barCount;
        const int32_t limit = byBar ? c.barCount : c.partCount;
        if (static_cast<int32_t>(values.size()) != count || number < 1 || number > limit)
            return done(kOutOfShape);
        if (byBar)
            BarChartSetBar(*chart, number, values);
        else
            BarChartSetPart(*chart, number, values);
        return done(0);
    }
    case 3040:
    case 3050: {
        const bool integer = code == 3040;
        const uint32_t n = ChartReadCount(in, 12);
        std::vector<BarUpdate> bars;
        for (uint32_t i = 0; i < n && in.ok(); ++i) {
            BarUpdate u;
            u.bar = in.i32();
            u.values = readValues(in, integer);
            u.use = in.i32();
            bars.push_back(std::move(u));
        }
        if (!in.ok())
            return true;
        if (!isStandard(chart))
            return done(kNoChart);
        if (kindDiffers(chart, integer))
            return done(kWrongKind);
        BarChartFields c(*chart);
        for (const BarUpdate& u : bars)
            if (u.bar < 1 || u.bar > c.barCount || static_cast<int32_t>(u.values.size()) != c.partCount)
                return done(kOutOfShape);
        BarChartSetBars(*chart, bars);
        return done(0);
    }
    default:
        return false;
    }
}
