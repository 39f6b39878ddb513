// The performance tool's dialogs: the report setup (31600), whose record is
// the diagram's performance report options, and the data collector (31605)
// with the command that checks the selection and asks the library for the
// collector templates.
#include "atolq/Performance/PerfDialogs.h"
#include "atolq/Performance/PerfUtils.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/KernelDialogDefaults.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CSimulator/SimGraphics.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

// ---- report setup ----

constexpr int32_t kReportSetupDialog = 31600;
enum : int16_t { kOk = 1, kCancel = 2, kReset = 3, kLoad = 4, kSave = 5 };
constexpr int16_t kTextWidthItem = 9;
constexpr int16_t kWholeWidthItem = 11;
constexpr int16_t kDecimalWidthItem = 13;

// The check item of each truth word 3 to 16.
constexpr std::array<int16_t, 14> kCheckItems = {14, 15, 16, 18, 17, 19, 20, 21, 22, 23, 24, 26, 27, 28};

bool isCheck(int16_t item) { return (item >= 14 && item <= 24) || (item >= 26 && item <= 28); }

struct SetupSession {
    PerfReportRecord record{};
    bool stored = false;
};

void showRecord(const PerfReportRecord& r)
{
    for (auto [item, word] : {std::pair{kTextWidthItem, kPerfTextWidth}, std::pair{kWholeWidthItem, kPerfWholeWidth},
                              std::pair{kDecimalWidthItem, kPerfDecimalWidth}})
        Dialog_SetItemText(item, std::to_string(r[word]).c_str());
    for (std::size_t i = 0; i < kCheckItems.size(); ++i)
        Dialog_SetItemState(kCheckItems[i], r[i + 3] == 1 ? 1 : 0);
}

// A field read as a decimal number; empty text counts as -1, and so does
// text that is not a number.
long fieldNumber(int16_t item)
{
    char text[64] = {};
    Dialog_GetItemText(item, text, static_cast<int32_t>(sizeof text));
    if (text[0] == '\0')
        return -1;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    while (end != nullptr && *end == ' ')
        ++end;
    if (end == text || (end != nullptr && *end != '\0') || value > 100000 || value < -100000)
        return -1;
    return value;
}

// The items into the record after the widths passed; false after the
// message of the first failing check.
bool storeItems(PerfReportRecord* r)
{
    const long text = fieldNumber(kTextWidthItem);
    const long whole = fieldNumber(kWholeWidthItem);
    const long decimal = fieldNumber(kDecimalWidthItem);
    if (const auto message = PerfCheckWidths(text, whole, decimal)) {
        QXUI_ShowMessage(message->c_str());
        return false;
    }
    (*r)[kPerfTextWidth] = static_cast<int32_t>(text);
    (*r)[kPerfWholeWidth] = static_cast<int32_t>(whole);
    (*r)[kPerfDecimalWidth] = static_cast<int32_t>(decimal);
    for (std::size_t i = 0; i < kCheckItems.size(); ++i)
        (*r)[i + 3] = Dialog_GetItemState(kCheckItems[i]) != 0 ? 1 : 0;
    return true;
}

void showLevel(uint32_t level)
{
    PerfReportRecord r{};
    if (DefGetPerfReport(r.data(), level) == 0) {
        QXUI_ShowMessage("Could not get Performance Report Defaults");
        return;
    }
    showRecord(r);
}

int16_t setupCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* s = static_cast<SetupSession*>(Dialog_GetClientData());
    if (s == nullptr)
        return item;
    if (code == 0) {
        showLevel(kDefLevelDiagram);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (isCheck(item)) {
        Dialog_SetItemState(item, Dialog_GetItemState(item) != 0 ? 0 : 1);
        return item;
    }
    switch (item) {
    case kOk:
        if (storeItems(&s->record)) {
            s->stored = true;
            Dialog_Close(item);
        }
        break;
    case kCancel:
        Dialog_Close(item);
        break;
    case kReset:
        showLevel(kDefLevelDiagram);
        break;
    case kLoad:
        showLevel(kDefLevelStandard);
        break;
    case kSave:
        if (storeItems(&s->record) && EE_ConfirmSaveStandard() != 0)
            DefSetPerfReport(s->record.data(), kDefLevelStandard);
        break;
    default:
        break;
    }
    return item;
}

// ---- data collector ----

constexpr int32_t kCollectorDialog = 31605;
enum : int16_t { kCReset = 1, kCCancel = 2, kCOk = 3, kCName = 6, kCStatistics = 7, kCLogFile = 8, kCTimed = 9 };

constexpr int16_t kMsgPageEmpty = 11307;
constexpr int16_t kMsgConnector = 11310;
constexpr int16_t kMsgRegionGroup = 11316;
constexpr int16_t kMsgPlacesAndTransitions = 11429;

struct CollectorSession {
    bool netTimed = false;
    PerfCollectorChoice choice;
    bool accepted = false;
};

void collectorOpeningState(const CollectorSession& s)
{
    for (int16_t item : {kCStatistics, kCLogFile, kCTimed})
        Dialog_SetItemState(item, 0);
    Dialog_SetItemText(kCName, "");
    Dialog_DisableItem(kCOk);
    Dialog_ClearDefault();
    if (s.netTimed)
        Dialog_EnableItem(kCTimed);
    else
        Dialog_DisableItem(kCTimed);
}

// "OK" is available, and the default, only with a name and "Statistics"
// or "Log file" on.
void collectorOkState(bool nameGiven)
{
    const bool on = Dialog_GetItemState(kCStatistics) != 0 || Dialog_GetItemState(kCLogFile) != 0;
    if (on && nameGiven) {
        Dialog_EnableItem(kCOk);
        Dialog_SetDefaultItem(kCOk);
    } else {
        Dialog_DisableItem(kCOk);
        Dialog_ClearDefault();
    }
}

// Whether the name field holds text once the key that is being typed is in
// (the toolkit asks before the key reaches the field).
bool nameGivenAfterKey(intptr_t key)
{
    const int32_t length = Dialog_GetItemTextLength(kCName);
    if (key >= 32 && key < 127)
        return true;
    if (key == 8 || key == 127)
        return length > 1;
    return length > 0;
}

int16_t collectorCallback(int16_t, int32_t code, int16_t item, intptr_t value)
{
    auto* s = static_cast<CollectorSession*>(Dialog_GetClientData());
    if (s == nullptr)
        return item;
    if (code == 0) {
        collectorOpeningState(*s);
        return item;
    }
    switch (item) {
    case kCReset:
        collectorOpeningState(*s);
        break;
    case kCCancel:
        Dialog_Close(item);
        break;
    case kCOk: {
        s->choice.statistics = Dialog_GetItemState(kCStatistics) != 0;
        s->choice.logFile = Dialog_GetItemState(kCLogFile) != 0;
        s->choice.timed = Dialog_GetItemState(kCTimed) != 0;
        const int32_t length = Dialog_GetItemTextLength(kCName);
        std::string name(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
        Dialog_GetItemText(kCName, name.data(), static_cast<int32_t>(name.size()));
        name.resize(std::char_traits<char>::length(name.c_str()));
        s->choice.name = name;
        if (name.empty() || (!s->choice.statistics && !s->choice.logFile))
            break;
        s->accepted = true;
        Dialog_Close(item);
        break;
    }
    case kCStatistics: case kCLogFile: case kCTimed:
        Dialog_SetItemState(item, Dialog_GetItemState(item) != 0 ? 0 : 1);
        collectorOkState(Dialog_GetItemTextLength(kCName) > 0);
        break;
    case kCName:
        collectorOkState(nameGivenAfterKey(value));
        break;
    default:
        break;
    }
    return item;
}

// The objects of the selection, each checked as the command requires;
// false after the message.
bool checkSelection(std::vector<ObjectHandle>* objects)
{
    uint16_t count = 0;
    uint32_t* block = nullptr;
    if (GE_GetSelection(&count, &block) == 0 || block == nullptr || count == 0) {
        if (block != nullptr)
            QXMem_Free(block);
        GE_MessageBox(kMsgPageEmpty);
        return false;
    }
    objects->assign(block, block + count);
    QXMem_Free(block);
    for (ObjectHandle o : *objects) {
        const uint32_t type = QXRdAttr_GetObjectType(o);
        if ((type & kQXKindConnector) != 0) {
            GE_MessageBox(kMsgConnector);
            return false;
        }
        if ((type & kQXKindRegion) != 0 && objects->size() >= 2) {
            GE_MessageBox(kMsgRegionGroup);
            return false;
        }
    }
    for (ObjectHandle o : *objects) {
        ObjectHandle node = o;
        if ((QXRdAttr_GetObjectType(o) & kQXKindRegion) != 0) {
            node = QXStr_GetBaseObject(o);
            if ((QXRdAttr_GetObjectType(node) & kQXKindConnector) != 0) {
                GE_MessageBox(kMsgConnector);
                return false;
            }
        }
        // Only places (2) and transitions (3) of the net take collectors.
        uint16_t kind = 0;
        uint16_t subKind = 0;
        SEHead* record = nullptr;
        EE_GetObjectKind(node, &kind, &subKind, &record);
        if (kind != 2 && kind != 3) {
            GE_MessageBox(kMsgPlacesAndTransitions);
            return false;
        }
    }
    return true;
}

}  // namespace

bool PerfReportSetupDialog()
{
    SetupSession session;
    if (DefGetPerfReport(session.record.data(), kDefLevelDiagram) == 0) {
        QXUI_ShowMessage("Could not get Performance Report Defaults");
        return false;
    }
    Dialog_OpenModal(kReportSetupDialog, setupCallback, &session);
    if (!session.stored)
        return false;
    QXStr_SetModified(1);
    DefSetPerfReport(session.record.data(), kDefLevelDiagram);
    return true;
}

bool PerfDataCollectorDialog(bool netTimed, PerfCollectorChoice* choice)
{
    CollectorSession session;
    session.netTimed = netTimed;
    Dialog_OpenModal(kCollectorDialog, collectorCallback, &session);
    if (!session.accepted)
        return false;
    *choice = session.choice;
    return true;
}

void PerfDataCollectorCommand()
{
    std::vector<ObjectHandle> objects;
    if (!checkSelection(&objects))
        return;
    PerfCollectorChoice choice;
    if (!PerfDataCollectorDialog(CTSCurrentContext().timedColourSets != 0, &choice))
        return;
    const ASInstance* instance = SPageInstance(QXStr_GetCurPage());
    const int32_t number =
        instance != nullptr ? ASGetInstanceNumber(reinterpret_cast<SEHead*>(const_cast<ASInstance*>(instance))) : 0;
    if (!PerfSend(PerfTemplateText(choice.statistics, choice.logFile, choice.timed, number, choice.name))) {
        std::fputs("Templates NOT created\n", stdout);
        std::fflush(stdout);
    }
}
