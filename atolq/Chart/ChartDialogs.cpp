// The bar chart dialog (32500) and the line chart dialog (32300): showing a
// settings record, the behaviour of their items, the checks and warnings of
// OK, Reset, Load and Save..., and the net editor's entries that run them.
#include "atolq/Chart/ChartDialogs.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelDialogDefaults.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CSimulator/SimulatorOptions.h"
#include "atolq/Chart/ChartOptions.h"
#include "atolq/Chart/ChartUtil.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXMem.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

static_assert(sizeof(BarChartAttributes) == 1360, "the bar chart defaults record");
static_assert(sizeof(LineChartAttributes) == 2640, "the line chart defaults record");

namespace {

constexpr int32_t kBarDialog = 32500;
constexpr int32_t kLineDialog = 32300;

constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;
constexpr int16_t kReset = 3;
constexpr int16_t kLoad = 4;
constexpr int16_t kSave = 5;
constexpr int16_t kName = 6;
constexpr int32_t kToggle = 4;
constexpr int32_t kSelectAll = 32767;

// Items both dialogs have at the same numbers.
constexpr int16_t kTime = 30, kTimeText = 31, kStep = 32, kStepText = 33, kInteger = 34, kReal = 35;

// Warnings of OK.
constexpr int16_t kMsgStepOrTimeChanged = 11416;

// ---- items ----

std::string ItemText(int32_t item)
{
    const int32_t length = Dialog_GetItemTextLength(item);
    if (length <= 0)
        return {};
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const int32_t copied = Dialog_GetItemText(item, buffer.data(), length + 1);
    return std::string(buffer.data(), static_cast<size_t>(std::clamp(copied, 0, length)));
}

bool Checked(int32_t item)
{
    return Dialog_GetItemState(item) == 1;
}

int32_t Flag(int32_t item)
{
    return Checked(item) ? 1 : 0;
}

void SetCheck(int32_t item, int32_t value)
{
    Dialog_SetItemState(item, value != 0 ? 1 : 0);
}

std::string Text(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

template <size_t N>
std::string Text(const char (&field)[N])
{
    return Text(field, N);
}

template <size_t N>
void Put(char (&field)[N], const std::string& text)
{
    const size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

// A range, origin or distance as the dialog shows it: a real chart's with one
// decimal, an integer chart's as stored.
std::string Shown(const char* text, size_t size, bool integer)
{
    const std::string stored = Text(text, size);
    return integer ? stored : ChartFormatAxisValue(std::atof(stored.c_str()), true);
}

template <size_t N>
std::string Shown(const char (&field)[N], bool integer)
{
    return Shown(field, N, integer);
}

// A grid shows "Distance" and the distance when the distance reads above 0,
// else "Number" and the count.
void ShowGrid(int32_t numberItem, int32_t textItem, int32_t number, const char* distance, size_t size,
              bool integer)
{
    if (std::atof(Text(distance, size).c_str()) > 0) {
        Dialog_SetRadioGroup(numberItem, numberItem + 1, numberItem + 1);
        Dialog_SetItemText(textItem, Shown(distance, size, integer).c_str());
    } else {
        Dialog_SetRadioGroup(numberItem, numberItem + 1, numberItem);
        Dialog_SetItemNumber(textItem, number);
    }
}

// "Time" only for a timed net, checked when its text reads other than 0;
// "Step" checked with its number when the interval is not 0.
void ShowPeriods(const std::string& interval, int32_t stepInterval)
{
    const bool timed = SWithTime() != 0;
    const bool timeOn = std::atof(interval.c_str()) != 0;
    SetCheck(kTime, timeOn ? 1 : 0);
    Dialog_SetItemText(kTimeText, timeOn ? interval.c_str() : "");
    timed ? Dialog_EnableItem(kTime) : Dialog_DisableItem(kTime);
    SetCheck(kStep, stepInterval);
    if (stepInterval != 0)
        Dialog_SetItemNumber(kStepText, stepInterval);
    else
        Dialog_SetItemText(kStepText, "");
}

// The check box of a field that was clicked goes on (when it may).
void CheckFromField(int32_t box)
{
    if (Dialog_GetItemState(box) == 0)
        Dialog_SetItemState(box, 1);
}

// A check box toggled; its field emptied when it went off.
bool ToggleWithField(int32_t box, int32_t field)
{
    Dialog_SetItemState(box, kToggle);
    const bool on = Checked(box);
    if (!on)
        Dialog_SetItemText(field, "");
    return on;
}

double Number(const char* text, size_t size)
{
    return std::atof(Text(text, size).c_str());
}

template <size_t N>
bool NumberChanged(const char (&a)[N], const char (&b)[N])
{
    return Number(a, N) != Number(b, N);
}

// Continue/cancel question for a warning that applies; false when cancelled.
bool Warn(bool applies, int16_t message)
{
    return !applies || GE_AskContinue(message) != 0;
}

// The records of the selected charts, for a dialog on existing charts.
std::vector<SEHead*> SelectedChartRecords(uint16_t kind)
{
    uint16_t count = 0;
    uint32_t* objects = nullptr;
    std::vector<SEHead*> records;
    if (GE_GetSelection(&count, &objects) != 0 && objects != nullptr) {
        for (uint16_t i = 0; i < count; ++i) {
            SEHead* record = nullptr;
            if (GE_GetSERecord(objects[i], &record) != 0 && record != nullptr && record->kind == kind)
                records.push_back(record);
        }
    }
    if (objects != nullptr)
        QXMem_Free(objects);
    return records;
}

// Cancel of a new chart's dialog: the node just drawn goes with its record.
void DeleteDrawnChart()
{
    uint16_t count = 0;
    uint32_t* objects = nullptr;
    std::vector<ObjectHandle> drawn;
    if (GE_GetSelection(&count, &objects) != 0 && objects != nullptr)
        drawn.assign(objects, objects + count);
    if (objects != nullptr)
        QXMem_Free(objects);
    for (ObjectHandle object : drawn)
        EE_DeleteNetObject(object);
}

// "Save...": where to keep the settings as defaults.
void SaveAsDefaults(uint32_t property, const void* record)
{
    int diagram = 0;
    int system = 0;
    if (EE_AskSaveDefaultsFor("Selected Objects", &diagram, &system) == 0)
        return;
    if (diagram != 0)
        DefSet(0, property, kDefLevelDiagram, record, 1);
    if (system != 0)
        DefSet(0, property, kDefLevelStandard, record, 1);
}

template <typename Record>
bool LoadDefaults(uint32_t property, Record& record)
{
    Record loaded{};
    if (DefPropertySize(property) != sizeof loaded || DefGet(0, property, kDefLevelDiagram, &loaded) == 0)
        return false;
    const int32_t existing = record.existing;
    record = loaded;
    record.existing = existing;
    return true;
}

std::string ProposedName(const char* prefix, uint16_t counter)
{
    return prefix + std::to_string(counter);
}

// ---- the bar chart dialog ----

namespace bar {

constexpr int16_t kBars = 8, kParts = 10, kHeight = 12, kHistory = 13, kRetain = 15;
constexpr int16_t kNumber = 16, kDistance = 17, kGrid = 18, kTicks = 19;
constexpr int16_t kTitle = 20, kLegend = 21, kBarNames = 22, kPos = 23, kNeg = 24, kUpper = 25, kLower = 26;
constexpr int16_t kSaveCopy = 27, kKeep = 28, kEndOfRun = 29;
constexpr int16_t kMin = 37, kMax = 39, kNameLabel = 41;

struct Session {
    BarChartAttributes* record = nullptr;
    bool ok = false;
};

BarChartAttributes backup{};

void Show(const BarChartAttributes& a, bool proposeName)
{
    const bool integer = a.integerValues != 0;
    if (a.existing == 0 && proposeName)
        Dialog_SetItemText(kName, ProposedName("Bar Chart ", SEGetBarChartCounter()).c_str());
    Dialog_SetItemNumber(kBars, a.barCount);
    Dialog_SetItemNumber(kParts, a.partCount);
    Dialog_SetItemNumber(kHeight, a.barHeight);
    SetCheck(kHistory, a.history);
    if (a.history != 0)
        Dialog_SetItemNumber(kRetain, a.retain);
    else
        Dialog_SetItemText(kRetain, "");
    ShowGrid(kNumber, kGrid, a.gridNumber, a.distance, sizeof a.distance, integer);
    const std::pair<int16_t, int32_t> checks[] = {
        {kTicks, a.ticksOnly}, {kTitle, a.title},         {kLegend, a.legend},         {kBarNames, a.barNames},
        {kPos, a.posValues},   {kNeg, a.negValues},       {kUpper, a.upperValues},     {kLower, a.lowerValues},
        {kSaveCopy, a.saveCopy}, {kKeep, a.keepContents}, {kEndOfRun, a.endOfRun}};
    for (const auto& [item, value] : checks)
        SetCheck(item, value);
    ShowPeriods(Text(a.interval), a.stepInterval);
    Dialog_SetRadioGroup(kInteger, kReal, integer ? kInteger : kReal);
    Dialog_SetItemText(kMin, Shown(a.min, integer).c_str());
    Dialog_SetItemText(kMax, Shown(a.max, integer).c_str());
}

BarChartForm Form(bool newChart)
{
    BarChartForm f;
    f.newChart = newChart;
    f.name = ItemText(kName);
    f.bars = ItemText(kBars);
    f.parts = ItemText(kParts);
    f.height = ItemText(kHeight);
    f.retain = ItemText(kRetain);
    f.grid = ItemText(kGrid);
    f.interval = ItemText(kTimeText);
    f.step = ItemText(kStepText);
    f.min = ItemText(kMin);
    f.max = ItemText(kMax);
    f.history = Checked(kHistory);
    f.timeChecked = Checked(kTime);
    f.stepChecked = Checked(kStep);
    const int32_t grid = Dialog_GetRadioChoice(kNumber, kDistance);
    f.byNumber = grid == kNumber;
    f.byDistance = grid == kDistance;
    f.integer = Dialog_GetRadioChoice(kInteger, kReal) != kReal;
    return f;
}

// The checked fields with the check boxes into a copy of the record; 0, or
// the message of the first field that failed (already shown).
int16_t Validate(const BarChartAttributes& record, bool withName, BarChartAttributes& out)
{
    out = record;
    const int16_t message = BarChartCheckForm(Form(withName && record.existing == 0), out);
    if (message != 0) {
        GE_MessageBox(message);
        return message;
    }
    out.ticksOnly = Flag(kTicks);
    out.title = Flag(kTitle);
    out.legend = Flag(kLegend);
    out.barNames = Flag(kBarNames);
    out.posValues = Flag(kPos);
    out.negValues = Flag(kNeg);
    out.upperValues = Flag(kUpper);
    out.lowerValues = Flag(kLower);
    out.saveCopy = Flag(kSaveCopy);
    out.keepContents = Flag(kKeep);
    out.endOfRun = Flag(kEndOfRun);
    return 0;
}

// The warnings for changed charts; false when one was cancelled.
bool Confirmed(const BarChartAttributes& a)
{
    const BarChartAttributes& b = backup;
    const bool counts = a.barCount != b.barCount || a.partCount != b.partCount || a.history != b.history;
    if (GE_GetMode() == kGEModeSimulator) {
        if (!Warn(counts, 11414))
            return false;
        const bool periods = Text(a.interval) != Text(b.interval) || a.stepInterval != b.stepInterval;
        if (!Warn(periods, kMsgStepOrTimeChanged))
            return false;
    } else if (!Warn(counts, 11410)) {
        return false;
    }
    const bool range = NumberChanged(a.min, b.min) || NumberChanged(a.max, b.max);
    if (range)
        return Warn(true, 11421);
    const bool grid = NumberChanged(a.distance, b.distance) || a.gridNumber != b.gridNumber;
    return Warn(grid, 11422);
}

void Ok(Session& s)
{
    BarChartAttributes checked{};
    if (Validate(*s.record, true, checked) != 0)
        return;
    if (checked.existing != 0 && !Confirmed(checked))
        return;
    *s.record = checked;
    if (checked.existing == 0) {
        if (SERoot* root = SECurrentRoot())
            ++root->barChartCounter;
    }
    s.ok = true;
    Dialog_Close(kOk);
}

void Open(const Session& s)
{
    BarChartAttributes& a = *s.record;
    if (a.existing != 0) {
        Dialog_ShowItem(kNameLabel, 0);
        Dialog_ShowItem(kName, 0);
    }
    Show(a, true);
    backup = a;
    const int16_t first = a.existing != 0 ? kBars : kName;
    Dialog_SetFocusItem(first);
    Dialog_SelectItemText(first, 0, kSelectAll);
    Dialog_SetDefaultItem(kOk);
}

int16_t Callback(int16_t, int32_t code, int16_t item, intptr_t value)
{
    auto* s = static_cast<Session*>(Dialog_GetClientData());
    if (s == nullptr || s->record == nullptr)
        return item;
    if (code == 0) {
        Open(*s);
        return item;
    }
    switch (item) {
    case kOk: Ok(*s); break;
    case kCancel:
        if (s->record->existing == 0)
            DeleteDrawnChart();
        Dialog_Close(kCancel);
        break;
    case kReset: Show(backup, false); break;
    case kLoad:
        if (LoadDefaults(kChartBarDefaults, *s->record))
            Show(*s->record, true);
        break;
    case kSave: {
        BarChartAttributes checked{};
        if (Validate(*s->record, false, checked) == 0) {
            *s->record = checked;
            SaveAsDefaults(kChartBarDefaults, s->record);
        }
        break;
    }
    case kHistory:
        if (ToggleWithField(kHistory, kRetain))
            Dialog_SetItemNumber(kRetain, 1);
        break;
    case kRetain:
        if (value == 0)
            CheckFromField(kHistory);
        break;
    case kTime: ToggleWithField(kTime, kTimeText); break;
    case kStep: ToggleWithField(kStep, kStepText); break;
    case kTimeText:
        if (value == 0)
            CheckFromField(kTime);
        break;
    case kStepText:
        if (value == 0)
            CheckFromField(kStep);
        break;
    case kNumber:
    case kDistance:
        Dialog_SetRadioGroup(kNumber, kDistance, item);
        Dialog_SetItemText(kGrid, "");
        break;
    case kInteger:
    case kReal: Dialog_SetRadioGroup(kInteger, kReal, item); break;
    case kTicks:
    case kTitle:
    case kLegend:
    case kBarNames:
    case kPos:
    case kNeg:
    case kUpper:
    case kLower:
    case kSaveCopy:
    case kKeep:
    case kEndOfRun: Dialog_SetItemState(item, kToggle); break;
    default: break;
    }
    return item;
}

}  // namespace bar

// ---- the line chart dialog ----

namespace line {

constexpr int16_t kLines = 8, kBoxSize = 10, kStartAtOrigin = 11, kHorizVert = 12;
constexpr int16_t kXNumber = 14, kXDistance = 15, kXGrid = 16, kXTicks = 17;
constexpr int16_t kYNumber = 19, kYDistance = 20, kYGrid = 21, kYTicks = 22;
constexpr int16_t kTitle = 23, kLegend = 24, kAxisNames = 25;
constexpr int16_t kSaveCopy = 26, kKeep = 27, kInitAtOrigin = 28, kEndOfRun = 29;
constexpr int16_t kXMin = 38, kXMax = 40, kYMin = 43, kYMax = 45, kXOrigin = 47, kYOrigin = 49;
constexpr int16_t kRescale = 50, kMove = 51, kNameLabel = 53;

struct Session {
    LineChartAttributes* record = nullptr;
    bool ok = false;
};

LineChartAttributes backup{};

void Show(const LineChartAttributes& a, bool proposeName)
{
    const bool integer = a.integerValues != 0;
    if (a.existing == 0 && proposeName)
        Dialog_SetItemText(kName, ProposedName("Line Chart ", SEGetLineChartCounter()).c_str());
    Dialog_SetItemNumber(kLines, a.lineCount);
    Dialog_SetItemNumber(kBoxSize, a.boxSize);
    ShowGrid(kXNumber, kXGrid, a.xGridNumber, a.xDistance, sizeof a.xDistance, integer);
    ShowGrid(kYNumber, kYGrid, a.yGridNumber, a.yDistance, sizeof a.yDistance, integer);
    const std::pair<int16_t, int32_t> checks[] = {
        {kStartAtOrigin, a.startAtOrigin}, {kHorizVert, a.horizVert}, {kXTicks, a.xTicksOnly},
        {kYTicks, a.yTicksOnly},           {kTitle, a.title},         {kLegend, a.legend},
        {kAxisNames, a.axisNames},         {kSaveCopy, a.saveCopy},   {kKeep, a.keepContents},
        {kInitAtOrigin, a.initAtOrigin},   {kEndOfRun, a.endOfRun}};
    for (const auto& [item, value] : checks)
        SetCheck(item, value);
    ShowPeriods(Text(a.intervalText), a.stepInterval);
    Dialog_SetRadioGroup(kInteger, kReal, integer ? kInteger : kReal);
    const std::pair<int16_t, const char*> ranges[] = {{kXMin, a.xMin}, {kXMax, a.xMax},       {kYMin, a.yMin},
                                                      {kYMax, a.yMax}, {kXOrigin, a.xOrigin}, {kYOrigin, a.yOrigin}};
    for (const auto& [item, text] : ranges)
        Dialog_SetItemText(item, Shown(text, kChartTextSize, integer).c_str());
    Dialog_SetRadioGroup(kRescale, kMove, a.moveAxis != 0 && a.rescaleAxis == 0 ? kMove : kRescale);
}

LineChartForm Form(bool newChart)
{
    LineChartForm f;
    f.newChart = newChart;
    f.name = ItemText(kName);
    f.lines = ItemText(kLines);
    f.boxSize = ItemText(kBoxSize);
    f.interval = ItemText(kTimeText);
    f.step = ItemText(kStepText);
    f.xMin = ItemText(kXMin);
    f.xMax = ItemText(kXMax);
    f.yMin = ItemText(kYMin);
    f.yMax = ItemText(kYMax);
    f.xOrigin = ItemText(kXOrigin);
    f.yOrigin = ItemText(kYOrigin);
    f.xGrid = ItemText(kXGrid);
    f.yGrid = ItemText(kYGrid);
    f.timeChecked = Checked(kTime);
    f.stepChecked = Checked(kStep);
    f.integer = Dialog_GetRadioChoice(kInteger, kReal) != kReal;
    const int32_t x = Dialog_GetRadioChoice(kXNumber, kXDistance);
    const int32_t y = Dialog_GetRadioChoice(kYNumber, kYDistance);
    f.xByNumber = x == kXNumber;
    f.xByDistance = x == kXDistance;
    f.yByNumber = y == kYNumber;
    f.yByDistance = y == kYDistance;
    return f;
}

int16_t Validate(const LineChartAttributes& record, bool withName, LineChartAttributes& out)
{
    out = record;
    const int16_t message = LineChartCheckForm(Form(withName && record.existing == 0), out);
    if (message != 0) {
        GE_MessageBox(message);
        return message;
    }
    out.startAtOrigin = Flag(kStartAtOrigin);
    out.horizVert = Flag(kHorizVert);
    out.xTicksOnly = Flag(kXTicks);
    out.yTicksOnly = Flag(kYTicks);
    out.title = Flag(kTitle);
    out.legend = Flag(kLegend);
    out.axisNames = Flag(kAxisNames);
    out.saveCopy = Flag(kSaveCopy);
    out.keepContents = Flag(kKeep);
    out.initAtOrigin = Flag(kInitAtOrigin);
    out.endOfRun = Flag(kEndOfRun);
    const bool move = Dialog_GetRadioChoice(kRescale, kMove) == kMove;
    out.rescaleAxis = move ? 0 : 1;
    out.moveAxis = move ? 1 : 0;
    return 0;
}

bool Confirmed(const LineChartAttributes& a)
{
    const LineChartAttributes& b = backup;
    const bool counts = a.lineCount != b.lineCount;
    if (GE_GetMode() == kGEModeSimulator) {
        if (!Warn(counts, 11415))
            return false;
        const bool periods = Text(a.intervalText) != Text(b.intervalText) || a.stepInterval != b.stepInterval;
        if (!Warn(periods, kMsgStepOrTimeChanged))
            return false;
    } else if (!Warn(counts, 11411)) {
        return false;
    }
    const bool range = NumberChanged(a.xMin, b.xMin) || NumberChanged(a.xMax, b.xMax) ||
                       NumberChanged(a.yMin, b.yMin) || NumberChanged(a.yMax, b.yMax) ||
                       NumberChanged(a.xOrigin, b.xOrigin) || NumberChanged(a.yOrigin, b.yOrigin);
    if (range)
        return Warn(true, 11423);
    const bool grid = NumberChanged(a.xDistance, b.xDistance) || NumberChanged(a.yDistance, b.yDistance) ||
                      a.xGridNumber != b.xGridNumber || a.yGridNumber != b.yGridNumber;
    return Warn(grid, 11424);
}

void Ok(Session& s)
{
    LineChartAttributes checked{};
    if (Validate(*s.record, true, checked) != 0)
        return;
    if (checked.existing != 0 && !Confirmed(checked))
        return;
    *s.record = checked;
    if (checked.existing == 0) {
        if (SERoot* root = SECurrentRoot())
            ++root->lineChartCounter;
    }
    s.ok = true;
    Dialog_Close(kOk);
}

void Open(const Session& s)
{
    LineChartAttributes& a = *s.record;
    if (a.existing != 0) {
        Dialog_ShowItem(kNameLabel, 0);
        Dialog_ShowItem(kName, 0);
    }
    Show(a, true);
    backup = a;
    const int16_t first = a.existing != 0 ? kLines : kName;
    Dialog_SetFocusItem(first);
    Dialog_SelectItemText(first, 0, kSelectAll);
    Dialog_SetDefaultItem(kOk);
}

// Turning "Keep Contents" off turns the initial "Start at Origin" off, and
// turning that one on turns "Keep Contents" on.
void ToggleInitialisation(int16_t item)
{
    Dialog_SetItemState(item, kToggle);
    if (item == kKeep && !Checked(kKeep))
        Dialog_SetItemState(kInitAtOrigin, 0);
    if (item == kInitAtOrigin && Checked(kInitAtOrigin))
        Dialog_SetItemState(kKeep, 1);
}

int16_t Callback(int16_t, int32_t code, int16_t item, intptr_t value)
{
    auto* s = static_cast<Session*>(Dialog_GetClientData());
    if (s == nullptr || s->record == nullptr)
        return item;
    if (code == 0) {
        Open(*s);
        return item;
    }
    switch (item) {
    case kOk: Ok(*s); break;
    case kCancel:
        if (s->record->existing == 0)
            DeleteDrawnChart();
        Dialog_Close(kCancel);
        break;
    case kReset: Show(backup, false); break;
    case kLoad:
        if (LoadDefaults(kChartLineDefaults, *s->record))
            Show(*s->record, true);
        break;
    case kSave: {
        LineChartAttributes checked{};
        if (Validate(*s->record, false, checked) == 0) {
            *s->record = checked;
            SaveAsDefaults(kChartLineDefaults, s->record);
        }
        break;
    }
    case kTime: ToggleWithField(kTime, kTimeText); break;
    case kStep: ToggleWithField(kStep, kStepText); break;
    case kTimeText:
        if (value == 0)
            CheckFromField(kTime);
        break;
    case kStepText:
        if (value == 0)
            CheckFromField(kStep);
        break;
    case kXNumber:
    case kXDistance:
        Dialog_SetRadioGroup(kXNumber, kXDistance, item);
        Dialog_SetItemText(kXGrid, "");
        break;
    case kYNumber:
    case kYDistance:
        Dialog_SetRadioGroup(kYNumber, kYDistance, item);
        Dialog_SetItemText(kYGrid, "");
        break;
    case kInteger:
    case kReal: Dialog_SetRadioGroup(kInteger, kReal, item); break;
    case kRescale:
    case kMove: Dialog_SetRadioGroup(kRescale, kMove, item); break;
    case kKeep:
    case kInitAtOrigin: ToggleInitialisation(item); break;
    case kStartAtOrigin:
    case kHorizVert:
    case kXTicks:
    case kYTicks:
    case kTitle:
    case kLegend:
    case kAxisNames:
    case kSaveCopy:
    case kEndOfRun: Dialog_SetItemState(item, kToggle); break;
    default: break;
    }
    return item;
}

}  // namespace line

}  // namespace

int BarChartDialog(BarChartAttributes& record, int32_t existing)
{
    if (!LoadDefaults(kChartBarDefaults, record))
        record = BarChartBuiltInDefaults();
    record.existing = existing;
    if (existing != 0) {
        const std::vector<SEHead*> charts = SelectedChartRecords(kSEBarChart);
        if (charts.size() == 1)
            BarChartAttributesOf(*reinterpret_cast<SEBarChart*>(charts.front()), record);
    }
    bar::Session session{&record, false};
    Dialog_OpenModal(kBarDialog, bar::Callback, &session);
    return session.ok ? 1 : 0;
}

int LineChartDialog(LineChartAttributes& record, int32_t existing)
{
    if (!LoadDefaults(kChartLineDefaults, record))
        record = LineChartBuiltInDefaults();
    record.existing = existing;
    if (existing != 0) {
        const std::vector<SEHead*> charts = SelectedChartRecords(kSELineChart);
        if (charts.size() == 1)
            LineChartAttributesOf(*reinterpret_cast<SELineChart*>(charts.front()), record);
    }
    line::Session session{&record, false};
    Dialog_OpenModal(kLineDialog, line::Callback, &session);
    return session.ok ? 1 : 0;
}

// The net editor's chart dialogs, on its settings buffer.
int EE_AskBarChart(void* settings, int updating)
{
    if (settings == nullptr)
        return 0;
    BarChartAttributes record{};
    if (BarChartDialog(record, updating != 0 ? 1 : 0) == 0)
        return 0;
    std::memcpy(settings, &record, sizeof record);
    return 1;
}

int EE_AskLineChart(void* settings, int updating)
{
    if (settings == nullptr)
        return 0;
    LineChartAttributes record{};
    if (LineChartDialog(record, updating != 0 ? 1 : 0) == 0)
        return 0;
    std::memcpy(settings, &record, sizeof record);
    return 1;
}
