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

// A radio column from item first to item last; chosen is the item. The
// hidden items (a bit per item) are not offered; the title replaces item 4's
// text when given.
struct RadioChoice {
    int32_t first = 0;
    int32_t last = 0;
    int32_t chosen = 0;
    bool ok = false;
    uint32_t hidden = 0;
    const char* title = nullptr;
};

constexpr int32_t kTitleItem = 4;

bool Hidden(const RadioChoice& choice, int32_t item)
{
    return item >= 0 && item < 32 && (choice.hidden & (1u << item)) != 0;
}

void LayOut(RadioChoice& choice)
{
    if (choice.title != nullptr)
        Dialog_SetItemText(kTitleItem, choice.title);
    for (int32_t item = choice.first; item <= choice.last; ++item) {
        if (Hidden(choice, item))
            Dialog_ShowItem(item, 0);
    }
    while (Hidden(choice, choice.chosen) && choice.chosen < choice.last)
        ++choice.chosen;
}

int16_t RadioCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* choice = static_cast<RadioChoice*>(Dialog_GetClientData());
    if (choice == nullptr)
        return item;
    if (code == 0) {
        LayOut(*choice);
        Dialog_SetRadioGroup(choice->first, choice->last, choice->chosen);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item >= choice->first && item <= choice->last && !Hidden(*choice, item)) {
        choice->chosen = item;
        Dialog_SetRadioGroup(choice->first, choice->last, item);
    } else if (item == kOk || item == kCancel) {
        choice->ok = item == kOk;
        Dialog_Close(item);
    }
    return item;
}

// The index of the chosen radio button among the column, -1 on Cancel.
int AskRadio(int32_t dialog, int32_t first, int32_t last, uint32_t hidden = 0, const char* title = nullptr)
{
    RadioChoice choice{first, last, first, false, hidden, title};
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

int EE_AskRegionKind(EERegionOwner owner, int converting, int32_t* kind)
{
    // A place takes a name, a colour set and an initial marking; a
    // transition anything but a colour set and an initial marking.
    constexpr uint32_t kPlaceHides = (1u << 8) | (1u << 9) | (1u << 10) | (1u << 11);
    constexpr uint32_t kTransitionHides = (1u << 6) | (1u << 7);
    const uint32_t hidden = owner == EERegionOwner::Place ? kPlaceHides : kTransitionHides;
    const int index = AskRadio(kRegionKindDialog, kRegionKindFirstItem,
                               kRegionKindFirstItem + static_cast<int32_t>(kRegionKindOfItem.size()) - 1, hidden,
                               converting != 0 ? "Convert to TOLQ" : "TOLQ Region");
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
