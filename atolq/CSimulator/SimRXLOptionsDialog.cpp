// The sibling tool's analysis options dialog (31150). "OK" reads and checks
// the items, "Cancel" leaves the record, "Reset" shows the diagram's record
// (the standard one without a diagram), "Load" the standard one and "Save..."
// stores the items as the standard after a confirmation.
#include "atolq/CSimulator/SimRXLOptionsDialog.h"

#include <algorithm>
#include <cstring>

#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/KernelDialogDefaults.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/ConvertToSim/CTSRXLSettings.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXStr.h"

namespace {

using namespace cts::rxl;

constexpr int32_t kRXLDialog = 31150;
constexpr int16_t kItemOk = 1;
constexpr int16_t kItemCancel = 2;
constexpr int16_t kItemReset = 3;
constexpr int16_t kItemLoad = 4;
constexpr int16_t kItemSave = 5;
constexpr int16_t kTimeUnitsField = 8;
constexpr int16_t kCostUnitsField = 10;
constexpr int16_t kTimeReportsCheck = 12;
constexpr int16_t kFirstTimeField = 16;
constexpr int16_t kPieceReportsCheck = 20;
constexpr int16_t kFirstPieceField = 24;
constexpr int16_t kReportFields = 3; // start, stop, interval
constexpr int16_t kSizeCheck = 28;
constexpr int16_t kSizeMinorCheck = 29;
constexpr int16_t kExcelCheck = 31;
constexpr int32_t kEditTextMax = 255;

constexpr int16_t kMsgNoTimeUnits = 11426;
constexpr int16_t kMsgTimeNotReal = 11427;
constexpr int16_t kMsgPiecesNotInteger = 11428;
constexpr const char* kNever = "NEVER";

const void* const kStandardLevel = reinterpret_cast<const void*>(1);

// The check boxes and the words they show.
struct CheckWord {
    int16_t item;
    uint32_t word;
};
constexpr CheckWord kChecks[] = {{kTimeReportsCheck, kTimeReportsWord}, {kPieceReportsCheck, kPieceReportsWord},
                                 {kSizeCheck, kSizeRefWord},            {kSizeMinorCheck, kSizeMinorRefWord},
                                 {kExcelCheck, kExcelReportsWord}};

// The edit fields and the texts they show.
struct FieldText {
    int16_t item;
    uint32_t offset;
    uint32_t size;
};
constexpr FieldText kFields[] = {
    {kTimeUnitsField, kTimeUnitsOffset, kUnitsSize},
    {kCostUnitsField, kCostUnitsOffset, kUnitsSize},
    {kFirstTimeField, kTimeTextsOffset, kValueSize},
    {kFirstTimeField + 1, kTimeTextsOffset + kValueSize, kValueSize},
    {kFirstTimeField + 2, kTimeTextsOffset + 2 * kValueSize, kValueSize},
    {kFirstPieceField, kPieceTextsOffset, kValueSize},
    {kFirstPieceField + 1, kPieceTextsOffset + kValueSize, kValueSize},
    {kFirstPieceField + 2, kPieceTextsOffset + 2 * kValueSize, kValueSize},
};

struct RXLDialog {
    SRXLOptions values{};
    bool ok = false;
};

bool IsOn(int32_t item) { return Dialog_GetItemState(item) == 1; }

void Show(const SRXLOptions& values)
{
    for (const CheckWord& check : kChecks)
        Dialog_SetItemState(check.item, values[check.word] != 0 ? 1 : 0);
    for (const FieldText& field : kFields)
        Dialog_SetItemText(field.item, SRXLOptionText(values, field.offset, field.size).c_str());
}

void Read(SRXLOptions& values)
{
    for (const CheckWord& check : kChecks)
        values[check.word] = IsOn(check.item) ? 1 : 0;
    for (const FieldText& field : kFields) {
        char text[kEditTextMax + 1] = {};
        Dialog_GetItemText(field.item, text, kEditTextMax);
        SSetRXLOptionText(values, field.offset, field.size, text);
    }
}

// The record's report text: 0 start, 1 stop, 2 interval.
std::string ReportText(const SRXLOptions& values, uint32_t first, int index)
{
    return SRXLOptionText(values, first + static_cast<uint32_t>(index) * kValueSize, kValueSize);
}

bool IsNumber(const std::string& text, bool integer)
{
    int isInteger = 0;
    return EE_ParseNumber(text.c_str(), &isInteger) != 0 && (isInteger != 0) == integer;
}

// The record at the diagram level when a diagram is open, else the standard.
void CopyOpening(SRXLOptions& values)
{
    DefCopyRXLOptions(QXStr_HasDiagram() != 0 ? nullptr : kStandardLevel, values.data());
}

// Checks the items; a failure says so and leaves the dialog as typed.
bool Valid(RXLDialog& dialog)
{
    Read(dialog.values);
    const int16_t problem = SRXLOptionsProblem(dialog.values);
    // An empty stop has become "NEVER"; the dialog shows it.
    Dialog_SetItemText(kFirstPieceField + 1, ReportText(dialog.values, kPieceTextsOffset, 1).c_str());
    if (problem == 0)
        return true;
    GE_MessageBox(problem);
    return false;
}

int16_t Callback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<RXLDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        Show(dialog->values);
        Dialog_SetDefaultItem(kItemOk);
        return item;
    }
    switch (item) {
    case kItemOk:
        if (Valid(*dialog)) {
            dialog->ok = true;
            Dialog_Close(item);
        }
        break;
    case kItemCancel:
        Dialog_Close(item);
        break;
    case kItemReset:
        CopyOpening(dialog->values);
        Show(dialog->values);
        break;
    case kItemLoad:
        DefCopyRXLOptions(kStandardLevel, dialog->values.data());
        Show(dialog->values);
        break;
    case kItemSave:
        if (Valid(*dialog) && EE_ConfirmSaveStandard() != 0)
            DefSetRXLOptions(dialog->values.data(), kDefLevelStandard);
        break;
    case kTimeReportsCheck:
    case kPieceReportsCheck:
    case kSizeCheck:
    case kSizeMinorCheck:
    case kExcelCheck:
        Dialog_SetItemState(item, IsOn(item) ? 0 : 1);
        break;
    default:
        // Activating a report's field turns its reports on.
        if (item >= kFirstTimeField && item < kFirstTimeField + kReportFields) {
            Dialog_SetItemState(kTimeReportsCheck, 1);
            Dialog_SetFocusItem(item);
        } else if (item >= kFirstPieceField && item < kFirstPieceField + kReportFields) {
            Dialog_SetItemState(kPieceReportsCheck, 1);
            Dialog_SetFocusItem(item);
        }
        break;
    }
    return item;
}

} // namespace

std::string SRXLOptionText(const SRXLOptions& record, uint32_t offset, uint32_t size)
{
    if (offset + size > sizeof record)
        return {};
    const char* text = reinterpret_cast<const char*>(record.data()) + offset;
    return std::string(text, strnlen(text, size));
}

void SSetRXLOptionText(SRXLOptions& record, uint32_t offset, uint32_t size, std::string_view text)
{
    if (size == 0 || offset + size > sizeof record)
        return;
    char* field = reinterpret_cast<char*>(record.data()) + offset;
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min<size_t>(text.size(), size - 1));
}

int16_t SRXLOptionsProblem(SRXLOptions& record)
{
    if (SRXLOptionText(record, kTimeUnitsOffset, kUnitsSize).empty())
        return kMsgNoTimeUnits;
    if (record[kTimeReportsWord] != 0) {
        for (int i = 0; i < kReportFields; ++i)
            if (!IsNumber(ReportText(record, kTimeTextsOffset, i), false))
                return kMsgTimeNotReal;
    }
    if (record[kPieceReportsWord] != 0) {
        if (!IsNumber(ReportText(record, kPieceTextsOffset, 0), true))
            return kMsgPiecesNotInteger;
        const std::string stop = ReportText(record, kPieceTextsOffset, 1);
        if (stop.empty())
            SSetRXLOptionText(record, kPieceTextsOffset + kValueSize, kValueSize, kNever);
        else if (stop != kNever && !IsNumber(stop, true))
            return kMsgPiecesNotInteger;
        if (!IsNumber(ReportText(record, kPieceTextsOffset, 2), true))
            return kMsgPiecesNotInteger;
    }
    return 0;
}

int SRXLOptionsDialog(SRXLOptions* record)
{
    RXLDialog dialog;
    CopyOpening(dialog.values);
    if (Dialog_OpenModal(kRXLDialog, Callback, &dialog) < 0 || !dialog.ok)
        return 0;
    if (record != nullptr)
        *record = dialog.values;
    return 1;
}
