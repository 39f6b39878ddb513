// The two choice dialogs of making net objects: the kind of an inscription
// region for a place or transition (dialog 30030) and the net kind that a
// drawn node becomes (dialog 30750). Each is a column of radio buttons with
// "OK" and "Cancel".
#include "atolq/CEditor/NetKindDialogs.h"

#include <array>
#include <span>

#include "xkv/dialog/Dialog.h"

namespace {

constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;

// A radio column from item first to item last; chosen is the item.
struct RadioChoice {
    int32_t first = 0;
    int32_t last = 0;
    int32_t chosen = 0;
    bool ok = false;
};

int16_t RadioCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* choice = static_cast<RadioChoice*>(Dialog_GetClientData());
    if (choice == nullptr)
        return item;
    if (code == 0) {
        Dialog_SetRadioGroup(choice->first, choice->last, choice->chosen);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item >= choice->first && item <= choice->last) {
        choice->chosen = item;
        Dialog_SetRadioGroup(choice->first, choice->last, item);
    } else if (item == kOk || item == kCancel) {
        choice->ok = item == kOk;
        Dialog_Close(item);
    }
    return item;
}

// The index of the chosen radio button among the column, -1 on Cancel.
int AskRadio(int32_t dialog, int32_t first, int32_t last)
{
    RadioChoice choice{first, last, first, false};
    Dialog_OpenModal(dialog, RadioCallback, &choice);
    if (!choice.ok || choice.chosen < first || choice.chosen > last)
        return -1;
    return choice.chosen - first;
}

constexpr int32_t kRegionKindDialog = 30030;
constexpr int32_t kRegionKindFirstItem = 5;
// Name, Color Set, Initial Marking, Guard, Code, Log, Time, in item order.
constexpr std::array<int32_t, 7> kRegionKindOfItem = {4096, 4097, 4098, 4104, 4105, 4111, 4125};

constexpr int32_t kConvertKindDialog = 30750;
constexpr int32_t kConvertKindFirstItem = 5;
constexpr int32_t kConvertKindLastItem = 9;

}  // namespace

int EE_AskRegionKind(int32_t* kind)
{
    const int index = AskRadio(kRegionKindDialog, kRegionKindFirstItem,
                               kRegionKindFirstItem + static_cast<int32_t>(kRegionKindOfItem.size()) - 1);
    if (index < 0)
        return 0;
    *kind = kRegionKindOfItem[static_cast<size_t>(index)];
    return 1;
}

int EE_AskConvertKind(EEConvertKind* kind)
{
    const int index = AskRadio(kConvertKindDialog, kConvertKindFirstItem, kConvertKindLastItem);
    if (index < 0)
        return 0;
    *kind = static_cast<EEConvertKind>(index);
    return 1;
}
