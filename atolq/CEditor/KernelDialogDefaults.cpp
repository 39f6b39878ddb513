// The net editor's answer to the kernel's attribute dialogs (hook 66) and the
// two questions around storing defaults ("Save Defaults for:" and the
// confirmation of the system defaults).
#include "atolq/CEditor/KernelDialogDefaults.h"

#include <array>
#include <cstring>
#include <string>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;

constexpr int32_t kAttributesDialog = 262;
constexpr int32_t kConnectorDialog = 263;
constexpr int32_t kWedgeDialog = 266;
constexpr int32_t kPageDialog = 270;
constexpr int32_t kTextDialog = 274;

constexpr int16_t kMsgGroupSelected = 11332;
constexpr int16_t kMsgNoDefaults = 11302;

// The kernel's value records: changed bytes, then the apply switch and the
// change-current switch (attribute 1).
constexpr size_t kChangeSwitch = 28;
constexpr size_t kChangeFlag = 1;

// ---- "Save Defaults for:" ----

constexpr int32_t kSaveDefaultsDialog = 30150;
constexpr int16_t kDiagramItem = 5;
constexpr int16_t kSystemItem = 6;
constexpr int16_t kWhatItem = 7;

struct SaveDefaultsAnswer {
    std::string what;
    bool diagram = true;
    bool system = false;
    bool ok = false;
};

int16_t SaveDefaultsCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* answer = static_cast<SaveDefaultsAnswer*>(Dialog_GetClientData());
    if (answer == nullptr) {
        return item;
    }
    if (code == 0) {
        Dialog_SetItemState(kDiagramItem, answer->diagram ? 1 : 0);
        Dialog_SetItemState(kSystemItem, answer->system ? 1 : 0);
        Dialog_SetItemText(kWhatItem, answer->what.c_str());
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item == kDiagramItem || item == kSystemItem) {
        bool& value = item == kDiagramItem ? answer->diagram : answer->system;
        value = !value;
        Dialog_SetItemState(item, value ? 1 : 0);
    } else if (item == kOk || item == kCancel) {
        answer->ok = item == kOk;
        Dialog_Close(item);
    }
    return item;
}

// ---- the confirmation of system defaults ----

constexpr int32_t kConfirmStandardDialog = 30155;

int16_t ConfirmCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* ok = static_cast<bool*>(Dialog_GetClientData());
    if (code == 0) {
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item == kOk || item == kCancel) {
        if (ok != nullptr) {
            *ok = item == kOk;
        }
        Dialog_Close(item);
    }
    return item;
}

// ---- the values of the kernel's records ----

uint32_t Word(const uint8_t* record, size_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

bool Changed(const uint8_t* record, size_t offset)
{
    return record[(offset - 24) / 4] != 0;
}

// Whole interface units of a Fixed value.
uint32_t Units(uint32_t fixed)
{
    return static_cast<uint32_t>(static_cast<int32_t>(fixed) >> 15);
}

// The default key of the selected object, 0 when it has none.
int32_t KeyOfObject(uint32_t object)
{
    uint32_t type = 0;
    uint32_t net = 0;
    uint32_t graphic = 0;
    if (EQ_MapSpec(1, &object, nullptr, nullptr, &type, &net, &graphic) == 0) {
        return 0;
    }
    int32_t key = 0;
    return DefKeyForSpec(type, net, graphic, 0, &key) != 0 ? key : 0;
}

// Kernel attributes 10: drawing function 32, shown 36, width 40 (Fixed),
// pattern 44, style 48, colours 52 to 60.
void CopyGraphic(int32_t key, const uint8_t* record, uint32_t level)
{
    std::array<uint32_t, 9> words{};
    DefGetGraphic(key, words.data(), level);
    words[0] = Word(record, 40) != 0 ? 1 : 0;
    words[1] = Word(record, 36);
    words[2] = Word(record, 32);
    words[3] = Units(Word(record, 40));
    words[4] = Word(record, 52);
    words[5] = Word(record, 56);
    words[6] = Word(record, 60);
    words[7] = Word(record, 48);
    words[8] = Word(record, 44);
    DefSetGraphic(key, words.data(), level);
}

// Kernel attributes 26: style 32, alignment 36, family 40, size 44, scroll
// bars 48; what the dialog did not change keeps its stored value.
void CopyText(int32_t key, const uint8_t* record, uint32_t level)
{
    std::array<uint32_t, 5> words{};
    DefGetText(key, words.data(), level);
    constexpr std::array<std::pair<size_t, size_t>, 5> kPlaces = {
        std::pair<size_t, size_t>{32, 0}, {36, 1}, {40, 2}, {48, 3}, {44, 4}};
    for (const auto& [offset, index] : kPlaces) {
        if (Changed(record, offset)) {
            words[index] = Word(record, offset);
        }
    }
    DefSetText(key, words.data(), level);
}

// Kernel attributes 4: text box, arrow head and corner (Fixed, 36 to 52) and
// the direction (56) become the shape group's connector parameters.
void CopyConnector(int32_t key, const uint8_t* record, uint32_t level)
{
    std::array<uint32_t, 8> words{};
    DefGetShape(key, words.data(), level);
    for (size_t i = 0; i < 5; ++i) {
        words[1 + i] = Units(Word(record, 36 + 4 * i));
    }
    words[6] = Word(record, 56);
    DefSetShape(key, words.data(), level);
}

constexpr uint32_t kShapeWedge = 5;

void CopyWedge(int32_t key, const uint8_t* record, uint32_t level)
{
    std::array<uint32_t, 8> words{};
    DefGetShape(key, words.data(), level);
    if (words[0] != kShapeWedge) {
        return;
    }
    words[3] = Word(record, 32);
    words[4] = Word(record, 36);
    DefSetShape(key, words.data(), level);
}

void CopyInto(int32_t dialog, int32_t key, const uint8_t* record, uint32_t level)
{
    switch (dialog) {
    case kAttributesDialog: CopyGraphic(key, record, level); break;
    case kTextDialog: CopyText(key, record, level); break;
    case kConnectorDialog: CopyConnector(key, record, level); break;
    case kWedgeDialog: CopyWedge(key, record, level); break;
    default: break;
    }
}

// Takes the change-current switch out of the record, so that the kernel
// does not store the values itself; true when it was set.
bool TakeChangeSwitch(uint8_t* record)
{
    if (Word(record, kChangeSwitch) == 0) {
        return false;
    }
    const uint32_t off = 0;
    std::memcpy(record + kChangeSwitch, &off, sizeof off);
    record[kChangeFlag] = 0;
    return true;
}

void ObjectDefaults(int32_t dialog, uint8_t* record)
{
    if (!TakeChangeSwitch(record)) {
        return;
    }
    if (dialog == kAttributesDialog && GE_TestStateFlags(kGEApplyingAttributes) != 0) {
        if (EE_ConfirmSaveStandard() != 0) {
            GE_SetStateFlags(kGEAttributesSecondPass);
        }
        return;
    }
    if (QXRdAttr_IsGroupSelected() != 0) {
        GE_AskContinue(kMsgGroupSelected);
        return;
    }
    const uint32_t object = QXStr_GetCurObject();
    if (object == 0) {
        return;
    }
    const int32_t key = KeyOfObject(object);
    int32_t property = 0;
    const bool hasDefaults = key != 0 && DefKeyToProperty(key, &property) != 0 && property != kDefNoProperty;
    int diagram = 0;
    int system = 0;
    if (EE_AskSaveDefaultsFor("Selected Objects", &diagram, &system) == 0) {
        return;
    }
    if (!hasDefaults) {
        GE_MessageBox(kMsgNoDefaults);
        return;
    }
    if (diagram != 0) {
        CopyInto(dialog, key, record, kDefLevelDiagram);
    }
    if (system != 0) {
        CopyInto(dialog, key, record, kDefLevelStandard);
    }
}

// Kernel page record: name 32, switches 292 and 304, width 296 and height
// 300 (Fixed).
void PageDefaults(uint8_t* record)
{
    if (!TakeChangeSwitch(record)) {
        return;
    }
    int diagram = 0;
    int system = 0;
    if (EE_AskSaveDefaultsFor("pages", &diagram, &system) == 0) {
        return;
    }
    constexpr size_t kNameKept = 30;
    char name[256] = {};
    std::memcpy(name, record + 32, kNameKept);
    const auto width = static_cast<uint16_t>(Units(Word(record, 296)));
    const auto height = static_cast<uint16_t>(Units(Word(record, 300)));
    for (const auto& [chosen, level] : {std::pair{diagram, kDefLevelDiagram}, std::pair{system, kDefLevelStandard}}) {
        if (chosen != 0) {
            DefSetPageTitle(width, height, Word(record, 292), Word(record, 304), name, level);
        }
    }
}

}  // namespace

int EE_AskSaveDefaultsFor(const char* what, int* diagram, int* system)
{
    SaveDefaultsAnswer answer;
    answer.what = what != nullptr ? what : "";
    Dialog_OpenModal(kSaveDefaultsDialog, SaveDefaultsCallback, &answer);
    if (!answer.ok) {
        return 0;
    }
    *diagram = answer.diagram ? 1 : 0;
    *system = answer.system ? 1 : 0;
    return 1;
}

int EE_ConfirmSaveStandard()
{
    bool ok = false;
    Dialog_OpenModal(kConfirmStandardDialog, ConfirmCallback, &ok);
    return ok ? 1 : 0;
}

uintptr_t EE_KernelDialogEnded(uintptr_t dialogWord, uintptr_t result, uintptr_t recordWord, uintptr_t, uintptr_t,
                               uintptr_t)
{
    auto* record = reinterpret_cast<uint8_t*>(recordWord);
    const auto dialog = static_cast<int32_t>(dialogWord);
    if (record == nullptr) {
        return 1;
    }
    if (result != 0) {
        if (dialog == kAttributesDialog) {
            GE_ClearStateFlags(kGEApplyingAttributes);
        }
        return 1;
    }
    switch (dialog) {
    case kAttributesDialog:
    case kConnectorDialog:
    case kWedgeDialog:
    case kTextDialog:
        ObjectDefaults(dialog, record);
        break;
    case kPageDialog:
        PageDefaults(record);
        break;
    default:
        break;
    }
    return 1;
}
