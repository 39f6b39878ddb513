// The mode attributes of substitution nodes and pages: reading them for a
// selection (values that differ read as 65535), the Set menu's "Mode
// Attributes..." command and its dialog.
#include "atolq/CEditor/ModeAttributes.h"

#include <algorithm>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/KernelDialogDefaults.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

// A selection the command cannot take is the user's to mend: a message box,
// not the error report, whose timer reverts the diagram to its saved file.
constexpr int16_t kMsgMixedSelection = 11335;
constexpr int16_t kMsgHierarchyPageNode = 11336;
constexpr int16_t kMsgPageEmpty = 11307;
constexpr int16_t kMsgNodesOnly = 11306;
constexpr int16_t kMsgMultiplicity = 11815;

// Folds one object's values into those read so far: a value that differs
// becomes 65535.
void Merge(std::array<uint16_t, 5>& into, const std::array<uint16_t, 5>& values, bool first)
{
    for (size_t i = 0; i < into.size(); ++i) {
        if (first)
            into[i] = values[i];
        else if (into[i] != values[i])
            into[i] = kEEModeKeep;
    }
}

bool ReadOne(ObjectHandle object, std::array<uint16_t, 5>* values, uint16_t* prime)
{
    return EE_GetModeAttributes(object, &(*values)[0], &(*values)[1], &(*values)[2], &(*values)[3], &(*values)[4],
                                prime) != 0;
}

// ---- the dialog ----

constexpr int32_t kModeDialog = 30560;
constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;
constexpr int16_t kResetItem = 3;
constexpr int16_t kLoadItem = 4;
constexpr int16_t kSaveItem = 5;
constexpr int16_t kStandardItem = 8;
constexpr int16_t kFirstBox = 9;
constexpr int16_t kLastBox = 13;
constexpr int16_t kNoItem = 14;
constexpr int16_t kYesItem = 15;
constexpr int16_t kMultiplicityLabel = 16;
constexpr int16_t kMultiplicityField = 17;
constexpr int16_t kPrimeLabel = 26;
constexpr int16_t kChangeSubstitutionsItem = 27;

struct ModeDialog {
    EEModeRecord started;
    EEModeRecord record;
    bool pageForm = false;
    bool mixed = false;  // the switches differ and the user has not touched them
    // The check items as shown (kept here: a click toggles them).
    bool standard = false;
    std::array<bool, 5> boxes{};
    bool changeForSubstitutions = false;
    bool ok = false;
};

void ShowChecks(const ModeDialog& dialog)
{
    Dialog_SetItemState(kStandardItem, dialog.standard ? 1 : 0);
    for (int16_t item = kFirstBox; item <= kLastBox; ++item)
        Dialog_SetItemState(item, dialog.boxes[static_cast<size_t>(item - kFirstBox)] ? 1 : 0);
    Dialog_SetItemState(kChangeSubstitutionsItem, dialog.changeForSubstitutions ? 1 : 0);
}

void ShowRecord(ModeDialog& dialog, const EEModeRecord& record)
{
    const auto& s = record.switches;
    dialog.mixed = std::any_of(s.begin(), s.end(), [](int16_t v) { return v < 0; });
    dialog.standard = !dialog.mixed && std::all_of(s.begin(), s.end(), [](int16_t v) { return v == 1; });
    for (size_t i = 0; i < s.size(); ++i)
        dialog.boxes[i] = !dialog.mixed && s[i] == 0;
    dialog.changeForSubstitutions = record.changeForSubstitutions != 0;
    ShowChecks(dialog);
    if (dialog.pageForm || record.multiplicity < 0) {
        Dialog_SetItemState(kNoItem, 0);
        Dialog_SetItemState(kYesItem, 0);
        Dialog_SetItemText(kMultiplicityField, "");
    } else if (record.multiplicity == 0) {
        Dialog_SetRadioGroup(kNoItem, kYesItem, kNoItem);
        Dialog_SetItemText(kMultiplicityField, "");
    } else {
        Dialog_SetRadioGroup(kNoItem, kYesItem, kYesItem);
        Dialog_SetItemNumber(kMultiplicityField, record.multiplicity);
    }
}

// The record as the items show it; false when the multiplicity is out of
// range (the field is selected again).
bool ReadRecord(const ModeDialog& dialog, EEModeRecord* record)
{
    EEModeRecord read = *record;
    if (!dialog.pageForm) {
        const int32_t chosen = Dialog_GetRadioChoice(kNoItem, kYesItem);
        if (chosen == kYesItem) {
            const int32_t number = Dialog_GetItemNumber(kMultiplicityField);
            const auto shown = static_cast<int16_t>(std::clamp(number, -1, 32767));
            if (QXUI_CheckRange(shown, 1, 9999, kMsgMultiplicity) == 0) {
                Dialog_SetFocusItem(kMultiplicityField);
                Dialog_SelectItemText(kMultiplicityField, 0, 32767);
                return false;
            }
            read.multiplicity = shown;
        } else if (chosen == kNoItem) {
            read.multiplicity = 0;
        }
    }
    if (!dialog.mixed) {
        for (size_t i = 0; i < read.switches.size(); ++i)
            read.switches[i] = dialog.standard || !dialog.boxes[i] ? 1 : 0;
    }
    read.changeForSubstitutions = dialog.changeForSubstitutions ? 1 : 0;
    *record = read;
    return true;
}

// The user's standard record: the five "do not" switches, the prime count,
// a value and whether a prime count is given.
EEModeRecord FromSwitches(const uint32_t* eight)
{
    EEModeRecord record;
    for (size_t i = 0; i < record.switches.size(); ++i)
        record.switches[i] = eight[i] != 0 ? 0 : 1;
    record.multiplicity = eight[7] != 0 ? static_cast<int16_t>(eight[5]) : 0;
    return record;
}

void ToSwitches(const EEModeRecord& record, uint32_t* eight)
{
    for (size_t i = 0; i < record.switches.size(); ++i)
        eight[i] = record.switches[i] == 0 ? 1 : 0;
    eight[5] = record.multiplicity > 0 ? static_cast<uint32_t>(record.multiplicity) : 0;
    eight[7] = record.multiplicity > 0 ? 1 : 0;
}

int16_t ModeCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<ModeDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        if (dialog->pageForm) {
            for (int16_t hidden : {kNoItem, kYesItem, kMultiplicityLabel, kMultiplicityField, kPrimeLabel,
                                   kChangeSubstitutionsItem})
                Dialog_ShowItem(hidden, 0);
        }
        ShowRecord(*dialog, dialog->record);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    switch (item) {
    case kOk:
        if (ReadRecord(*dialog, &dialog->record)) {
            dialog->ok = true;
            Dialog_Close(item);
        }
        break;
    case kCancel:
        Dialog_Close(item);
        break;
    case kResetItem:
        ShowRecord(*dialog, dialog->started);
        break;
    case kLoadItem: {
        uint32_t eight[8] = {};
        if (DefGetModeAttributes(eight, kDefLevelStandard) != 0)
            ShowRecord(*dialog, FromSwitches(eight));
        break;
    }
    case kSaveItem: {
        const bool mixed = dialog->mixed;
        EEModeRecord saved = dialog->record;
        dialog->mixed = false;
        if (ReadRecord(*dialog, &saved) && EE_ConfirmSaveStandard() != 0) {
            uint32_t eight[8] = {};
            DefGetModeAttributes(eight, kDefLevelStandard);
            ToSwitches(saved, eight);
            DefSetSwitches(eight, kDefLevelStandard);
        }
        dialog->mixed = mixed;
        break;
    }
    case kStandardItem:
        dialog->mixed = false;
        dialog->standard = true;
        dialog->boxes.fill(false);
        ShowChecks(*dialog);
        break;
    case kNoItem:
    case kYesItem:
        Dialog_SetRadioGroup(kNoItem, kYesItem, item);
        break;
    case kChangeSubstitutionsItem:
        dialog->changeForSubstitutions = !dialog->changeForSubstitutions;
        ShowChecks(*dialog);
        break;
    default:
        if (item >= kFirstBox && item <= kLastBox) {
            dialog->mixed = false;
            dialog->standard = false;
            bool& box = dialog->boxes[static_cast<size_t>(item - kFirstBox)];
            box = !box;
            ShowChecks(*dialog);
        }
        break;
    }
    return item;
}

std::vector<ObjectHandle> PagesOfCommand()
{
    uint16_t count = 0;
    ObjectHandle* pages = nullptr;
    if (EE_GetPagesOfCommand(&count, &pages) == 0 || pages == nullptr)
        return {};
    std::vector<ObjectHandle> list(pages, pages + count);
    QXMem_Free(pages);
    return list;
}

}  // namespace

int EE_GetGroupModeAttributes(uint16_t count, const ObjectHandle* objects, uint16_t* five)
{
    std::array<uint16_t, 5> merged{};
    for (uint16_t i = 0; i < count; ++i) {
        SEHead* record = nullptr;
        std::array<uint16_t, 5> values{};
        if (GE_GetSERecord(objects[i], &record) == 0 || record == nullptr || !ReadOne(objects[i], &values, nullptr)) {
            GE_MessageBox(kMsgMixedSelection);
            return 0;
        }
        Merge(merged, values, i == 0);
    }
    std::copy(merged.begin(), merged.end(), five);
    return 1;
}

int EE_GetPagesModeAttributes(uint16_t count, const ObjectHandle* pages, uint16_t* five, uint16_t* primeCount)
{
    std::array<uint16_t, 5> merged{};
    uint16_t prime = 0;
    for (uint16_t i = 0; i < count; ++i) {
        std::array<uint16_t, 5> values{};
        uint16_t own = 0;
        if (PGIsHierarchyObject(pages[i], nullptr) != 0) {
            GE_MessageBox(kMsgHierarchyPageNode);
            return 0;
        }
        if (!ReadOne(pages[i], &values, &own))
            return 0;
        Merge(merged, values, i == 0);
        prime = i == 0 || prime == own ? own : kEEModeKeep;
    }
    std::copy(merged.begin(), merged.end(), five);
    if (primeCount != nullptr)
        *primeCount = prime;
    return 1;
}

int EE_EditModeAttributes(EEModeRecord* record, int pageForm)
{
    ModeDialog dialog;
    dialog.started = *record;
    dialog.record = *record;
    dialog.pageForm = pageForm != 0;
    Dialog_OpenModal(kModeDialog, ModeCallback, &dialog);
    if (!dialog.ok)
        return 0;
    *record = dialog.record;
    return 1;
}

int EE_ModeAttributesCommand()
{
    const ObjectHandle page = QXStr_GetCurPage();
    if (page == 0) {
        GE_MessageBox(kMsgPageEmpty);
        return 0;
    }
    const bool onHierarchy = PGIsHierarchyObject(page, nullptr) != 0;
    std::vector<ObjectHandle> objects;
    std::array<uint16_t, 5> five{};
    uint16_t prime = kEEModeKeep;
    if (onHierarchy) {
        objects = PagesOfCommand();
        if (objects.empty() ||
            EE_GetPagesModeAttributes(static_cast<uint16_t>(objects.size()), objects.data(), five.data(), &prime) == 0)
            return 0;
    } else {
        objects = EE_CommandSelection();
        if (objects.empty()) {
            GE_MessageBox(kMsgPageEmpty);
            return 0;
        }
        if (std::any_of(objects.begin(), objects.end(),
                        [](ObjectHandle o) { return QXRdAttr_GetObjectType(o) != kQXKindNode; })) {
            GE_MessageBox(kMsgNodesOnly);
            return 0;
        }
        if (EE_GetGroupModeAttributes(static_cast<uint16_t>(objects.size()), objects.data(), five.data()) == 0)
            return 0;
    }
    EEModeRecord record;
    for (size_t i = 0; i < five.size(); ++i)
        record.switches[i] = five[i] == kEEModeKeep ? -1 : (five[i] == 0 ? 1 : 0);
    record.multiplicity = onHierarchy || prime == kEEModeKeep ? -1 : static_cast<int16_t>(prime);
    if (EE_EditModeAttributes(&record, onHierarchy ? 1 : 0) == 0)
        return 0;
    SEMarkNetChanged();
    // The net stores each attribute as "off" (non-zero) or "on" (0).
    auto off = [](int16_t on) { return on < 0 ? kEEModeKeep : static_cast<uint16_t>(on != 0 ? 0 : 1); };
    const uint16_t multiplicity =
        onHierarchy || record.multiplicity < 0 ? kEEModeKeep : static_cast<uint16_t>(record.multiplicity);
    for (ObjectHandle object : objects) {
        EE_SetModeAttributes(object, off(record.switches[0]), off(record.switches[1]), off(record.switches[2]),
                             off(record.switches[3]), off(record.switches[4]), multiplicity, 0);
        EE_UpdatePageNameRegion(object);
    }
    QXStr_SetModified(1);
    return 1;
}
