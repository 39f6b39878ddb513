// The fusion set dialog (30175) of Fusion Place... and the merge options
// dialog (30078) of Merge Options....
#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/KernelDialogDefaults.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetHierarchyMenu.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/Utils/LMList.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;

// ---- fusion sets ----

constexpr int32_t kFusionDialog = 30175;
constexpr int16_t kFusionReset = 4;
constexpr int16_t kCreate = 6;
constexpr int16_t kAddTo = 7;
constexpr int16_t kSubtract = 8;
constexpr int16_t kDelete = 9;
constexpr int16_t kRename = 10;
constexpr int16_t kNameField = 14;
constexpr int16_t kGlobal = 15;
constexpr int16_t kInstance = 17;
constexpr int16_t kSetNames = 18;
constexpr int32_t kNameCapacity = 256;

constexpr int16_t kMsgFusionNameIllegal = 11291;
constexpr int16_t kMsgFusionNameUsed = 11300;

struct FusionSet {
    std::string name;
    uint16_t type;
};

struct FusionDialog {
    ObjectHandle node = 0;
    SEHead* ownSet = nullptr;
    std::vector<FusionSet> sets;  // sorted by name
    int16_t action = 0;
    EEFusionAnswer answer;
    bool ok = false;
};

// A fusion name is an ML identifier: a letter, then letters, digits,
// underscores and primes.
bool LegalName(const std::string& name)
{
    if (name.empty() || std::isalpha(static_cast<unsigned char>(name.front())) == 0)
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '\'';
    });
}

// Page sets are looked up among page sets, the others among global and
// instance sets.
const FusionSet* SetNamed(const FusionDialog& dialog, const std::string& name, uint16_t type)
{
    for (const FusionSet& set : dialog.sets) {
        const bool pageKind = set.type == kSEFusPage;
        if (set.name == name && pageKind == (type == kSEFusPage))
            return &set;
    }
    return nullptr;
}

std::string FieldText(int16_t item)
{
    std::string text(kNameCapacity, '\0');
    const int32_t length = Dialog_GetItemText(item, text.data(), kNameCapacity);
    text.resize(static_cast<size_t>(std::clamp(length, 0, kNameCapacity)));
    text.resize(std::strlen(text.c_str()));
    return text;
}

void ShowOwnSet(const FusionDialog& dialog)
{
    const char* name = dialog.ownSet != nullptr ? SEGetName(dialog.ownSet) : nullptr;
    Dialog_SetItemText(kNameField, name != nullptr ? name : "");
    const int32_t type = dialog.ownSet != nullptr ? dialog.ownSet->subKind : kSEFusGlobal;
    Dialog_SetRadioGroup(kGlobal, kInstance, kGlobal + std::clamp(type, 1, 3) - 1);
}

void StartFusionDialog(FusionDialog& dialog)
{
    std::string names;
    for (const FusionSet& set : dialog.sets)
        names += set.name + "\n";
    Dialog_SetItemText(kSetNames, names.c_str());
    for (int16_t item = kCreate; item <= kRename; ++item)
        Dialog_EnableItem(item);
    const bool inSet = dialog.ownSet != nullptr;
    if (dialog.node == 0 || inSet) {
        Dialog_DisableItem(kCreate);
        Dialog_DisableItem(kAddTo);
        dialog.action = kSubtract;
    } else {
        Dialog_DisableItem(kSubtract);
        Dialog_DisableItem(kDelete);
        dialog.action = kCreate;
    }
    Dialog_SetRadioGroup(kCreate, kRename, dialog.action);
    Dialog_SetRadioGroup(kGlobal, kInstance, kGlobal);
    Dialog_SetItemText(kNameField, "");
    Dialog_SetDefaultItem(kOk);
}

// Checks the name for the chosen operation; false after a message, the
// dialog staying open.
bool AcceptName(FusionDialog& dialog, const std::string& name, uint16_t type)
{
    if (dialog.action == kCreate || dialog.action == kRename || dialog.action == kAddTo) {
        if (!LegalName(name)) {
            GE_MessageBox(kMsgFusionNameIllegal);
            Dialog_SelectItemText(kNameField, 0, static_cast<int32_t>(name.size()));
            return false;
        }
    }
    if (dialog.action == kAddTo && SetNamed(dialog, name, type) == nullptr) {
        GE_MessageBox(kMsgFusionNameIllegal);
        return false;
    }
    if (dialog.action == kCreate || dialog.action == kRename) {
        const FusionSet* used = SetNamed(dialog, name, type);
        const char* own = dialog.ownSet != nullptr ? SEGetName(dialog.ownSet) : nullptr;
        const bool itself = dialog.action == kRename && own != nullptr && name == own;
        if (used != nullptr && !itself) {
            GE_MessageBox(kMsgFusionNameUsed);
            Dialog_SelectItemText(kNameField, 0, static_cast<int32_t>(name.size()));
            return false;
        }
    }
    return true;
}

int16_t FusionCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<FusionDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        StartFusionDialog(*dialog);
        return item;
    }
    if (item >= kCreate && item <= kRename) {
        dialog->action = item;
        Dialog_SetRadioGroup(kCreate, kRename, item);
        if (item == kRename)
            ShowOwnSet(*dialog);
    } else if (item >= kGlobal && item <= kInstance) {
        Dialog_SetRadioGroup(kGlobal, kInstance, item);
    } else if (item == kFusionReset) {
        StartFusionDialog(*dialog);
    } else if (item == kOk) {
        const std::string name = FieldText(kNameField);
        const int32_t typeItem = Dialog_GetRadioChoice(kGlobal, kInstance);
        const auto type = static_cast<uint16_t>(typeItem >= kGlobal ? typeItem - kGlobal + 1 : kSEFusGlobal);
        if (!AcceptName(*dialog, name, type))
            return item;
        dialog->answer.action = dialog->action - kCreate + 1;
        dialog->answer.type = type;
        dialog->answer.name = name;
        dialog->ok = true;
        Dialog_Close(item);
    } else if (item == kCancel) {
        Dialog_Close(item);
    }
    return item;
}

std::vector<FusionSet> VisibleSets()
{
    std::vector<FusionSet> sets;
    LMList* list = EE_CollectFusionSets(QXStr_GetCurPage(), 0);
    if (list == nullptr)
        return sets;
    for (LMRewind(list); LMMore(list) != 0; LMAdvance(list)) {
        void* value = nullptr;
        void* second = nullptr;
        if (LMCurrent(list, &value, &second) == 0 || value == nullptr)
            continue;
        auto* set = static_cast<SEHead*>(value);
        const char* name = SEGetName(set);
        if (name != nullptr)
            sets.push_back({name, set->subKind});
    }
    LMDestroy(list);
    std::sort(sets.begin(), sets.end(), [](const FusionSet& a, const FusionSet& b) { return a.name < b.name; });
    return sets;
}

// ---- merge options ----

constexpr int32_t kMergeDialog = 30078;
constexpr int16_t kMergeReset = 4;
constexpr int16_t kMergeLoad = 5;
constexpr int16_t kMergeSave = 6;
constexpr int16_t kFirstSwitch = 8;
constexpr int16_t kLastSwitch = 13;

struct MergeDialog {
    std::array<uint32_t, 6> start{};
    std::array<uint32_t, 6> values{};
    bool ok = false;
};

// The boxes show the switches; the text switches of arcs and auxiliary
// connectors are offered only while their merge switch is on.
void ShowSwitches(const MergeDialog& dialog)
{
    for (int16_t item = kFirstSwitch; item <= kLastSwitch; ++item)
        Dialog_SetItemState(item, dialog.values[static_cast<size_t>(item - kFirstSwitch)] != 0 ? 1 : 0);
    Dialog_SetItemSensitive(kFirstSwitch + 1, dialog.values[0] != 0 ? 1 : 0);
    Dialog_SetItemSensitive(kFirstSwitch + 3, dialog.values[2] != 0 ? 1 : 0);
}

int16_t MergeCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<MergeDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        ShowSwitches(*dialog);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item >= kFirstSwitch && item <= kLastSwitch) {
        auto& value = dialog->values[static_cast<size_t>(item - kFirstSwitch)];
        value = value != 0 ? 0 : 1;
        ShowSwitches(*dialog);
    } else if (item == kMergeReset) {
        dialog->values = dialog->start;
        ShowSwitches(*dialog);
    } else if (item == kMergeLoad) {
        std::array<uint32_t, 6> standard{};
        if (DefGetMergeOptions(standard.data(), kDefLevelStandard) != 0) {
            dialog->values = standard;
            ShowSwitches(*dialog);
        }
    } else if (item == kMergeSave) {
        int diagram = 0, system = 0;
        if (EE_AskSaveDefaultsFor("Merge Options", &diagram, &system) != 0) {
            if (diagram != 0)
                DefSetMergeOptions(dialog->values.data(), kDefLevelDiagram);
            if (system != 0)
                DefSetMergeOptions(dialog->values.data(), kDefLevelStandard);
        }
    } else if (item == kOk || item == kCancel) {
        dialog->ok = item == kOk;
        Dialog_Close(item);
    }
    return item;
}

}  // namespace

int EE_AskFusion(ObjectHandle node, SEHead* set, EEFusionAnswer* answer)
{
    FusionDialog dialog;
    dialog.node = node;
    dialog.ownSet = set;
    dialog.sets = VisibleSets();
    Dialog_OpenModal(kFusionDialog, FusionCallback, &dialog);
    if (!dialog.ok || answer == nullptr)
        return 0;
    *answer = dialog.answer;
    return 1;
}

int EE_AskMergeOptions(uint32_t* six)
{
    MergeDialog dialog;
    std::copy(six, six + 6, dialog.start.begin());
    for (uint32_t& value : dialog.start)
        value = value != 0 ? 1 : 0;
    dialog.values = dialog.start;
    Dialog_OpenModal(kMergeDialog, MergeCallback, &dialog);
    if (!dialog.ok)
        return 0;
    std::copy(dialog.values.begin(), dialog.values.end(), six);
    return 1;
}
