// Region Attributes...: the region dialog (30410) shows the offset of the
// selected regions from their owners and how they are shown, pop up and are
// sized (a setting on which the regions differ is left open); every selected
// region then takes the settings that were changed.
#include <vector>

#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/SelectionFilters.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int32_t kRegionDialog = 30410;
constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;
constexpr int16_t kReset = 3;
constexpr int32_t kLoadItem = 4;
constexpr int32_t kSaveItem = 5;
constexpr int32_t kHorizontalItem = 10;
constexpr int32_t kVerticalItem = 11;
constexpr int32_t kMissingItem = 13;
constexpr int32_t kHiddenItem = 14;
constexpr int32_t kShownItem = 15;
constexpr int32_t kChangeWithParentItem = 18;
constexpr int32_t kNotResizableItem = 19;
constexpr int32_t kAsParentItem = 22;
constexpr int32_t kAsSpecifiedItem = 23;

constexpr int16_t kMsgPageEmpty = 11307;
constexpr int16_t kNameHorizontal = 11809;
constexpr int16_t kNameVertical = 11810;
constexpr int16_t kLargest = 9999;

// Tag bits of a region's placement.
constexpr uint16_t kBitHidden = 1;
constexpr uint16_t kBitMissing = 2;
constexpr uint16_t kBitPopup = 4;
constexpr uint16_t kBitAsParent = 8;
constexpr uint32_t kFlagSizedApart = 16;
constexpr uint32_t kFlagPoppedUp = 128;
constexpr uint32_t kTypeRegion = 16;

// The settings the dialog returns: a radio left open (0) changes nothing.
struct RegionSettings {
    int32_t dx = 0;
    int32_t dy = 0;
    bool horizontal = false; // the offsets that were changed
    bool vertical = false;
    int32_t shown = 0;       // chosen item of 13-15
    int32_t popup = 0;       // of 18-19
    int32_t size = 0;        // of 22-23
};

struct RegionDialog {
    const EEChartRegionRecord& start;
    RegionSettings answer;
    bool ok = false;
};

int32_t shownItemOf(int32_t bits)
{
    if (bits < 0)
        return 0;
    if ((bits & kBitMissing) != 0)
        return kMissingItem;
    return (bits & kBitHidden) != 0 ? kHiddenItem : kShownItem;
}

int32_t choiceOf(int32_t value, int32_t onItem, int32_t offItem)
{
    return value < 0 ? 0 : value != 0 ? onItem : offItem;
}

void showStart(const EEChartRegionRecord& r)
{
    Dialog_SetItemNumber(kHorizontalItem, r.dx);
    Dialog_SetItemNumber(kVerticalItem, r.dy);
    Dialog_SetRadioGroup(kMissingItem, kShownItem, shownItemOf(r.shownBits));
    Dialog_SetRadioGroup(kChangeWithParentItem, kNotResizableItem,
                         choiceOf(r.sizedWithOwner, kChangeWithParentItem, kNotResizableItem));
    Dialog_SetRadioGroup(kAsParentItem, kAsSpecifiedItem, choiceOf(r.ownerColours, kAsParentItem, kAsSpecifiedItem));
}

bool readOffset(int32_t item, int16_t nameId, int32_t* value)
{
    const int32_t number = Dialog_GetItemNumber(item);
    const auto shown = static_cast<int16_t>(number < -kLargest || number > kLargest ? kLargest + 1 : number);
    if (QXUI_CheckRange(shown, -kLargest, kLargest, nameId) == 0) {
        Dialog_SetFocusItem(item);
        Dialog_SelectItemText(item, 0, 32767);
        return false;
    }
    *value = number;
    return true;
}

bool readSettings(RegionDialog& dialog)
{
    RegionSettings s;
    if (!readOffset(kHorizontalItem, kNameHorizontal, &s.dx) || !readOffset(kVerticalItem, kNameVertical, &s.dy))
        return false;
    s.horizontal = s.dx != dialog.start.dx;
    s.vertical = s.dy != dialog.start.dy;
    s.shown = Dialog_GetRadioChoice(kMissingItem, kShownItem);
    s.popup = Dialog_GetRadioChoice(kChangeWithParentItem, kNotResizableItem);
    s.size = Dialog_GetRadioChoice(kAsParentItem, kAsSpecifiedItem);
    dialog.answer = s;
    return true;
}

int16_t regionCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<RegionDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        showStart(dialog->start);
        // The defaults of regions are reached through the Set menu's own dialogs.
        Dialog_DisableItem(kLoadItem);
        Dialog_DisableItem(kSaveItem);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    switch (item) {
    case kOk:
        if (readSettings(*dialog)) {
            dialog->ok = true;
            Dialog_Close(kOk);
        }
        break;
    case kCancel: Dialog_Close(kCancel); break;
    case kReset: showStart(dialog->start); break;
    case kMissingItem:
    case kHiddenItem:
    case kShownItem: Dialog_SetRadioGroup(kMissingItem, kShownItem, item); break;
    case kChangeWithParentItem:
    case kNotResizableItem: Dialog_SetRadioGroup(kChangeWithParentItem, kNotResizableItem, item); break;
    case kAsParentItem:
    case kAsSpecifiedItem: Dialog_SetRadioGroup(kAsParentItem, kAsSpecifiedItem, item); break;
    default: break;
    }
    return item;
}

uint16_t withBits(uint16_t bits, uint16_t mask, uint16_t value) { return static_cast<uint16_t>((bits & ~mask) | value); }

void applyTo(ObjectHandle region, const RegionSettings& s)
{
    uint8_t kind = 0, sub = 0;
    uint16_t bits = 0;
    GE_GetChartTag(region, &kind, &sub, &bits);
    const uint16_t before = bits;
    if (s.size != 0)
        bits = withBits(bits, kBitAsParent, s.size == kAsParentItem ? kBitAsParent : 0);
    if (s.shown != 0)
        bits = withBits(bits, kBitHidden | kBitMissing,
                        s.shown == kMissingItem ? kBitMissing : s.shown == kHiddenItem ? kBitHidden : 0);
    if (s.popup != 0)
        bits = withBits(bits, kBitPopup, s.popup == kChangeWithParentItem ? kBitPopup : 0);
    if (bits != before)
        GE_SetChartTag(region, kind, sub, bits);
    if (s.horizontal || s.vertical) {
        Fixed rx = 0, ry = 0, ox = 0, oy = 0;
        QXRdAttr_GetPosition(region, &rx, &ry);
        QXRdAttr_GetPosition(QXStr_GetObjectPage(region), &ox, &oy);
        QXWtAttr_SetPosition(region, s.horizontal ? ox + QXUtil_IntToFixed(s.dx) : rx,
                             s.vertical ? oy - QXUtil_IntToFixed(s.dy) : ry);
    }
    if (s.popup != 0) {
        QXWtAttr_SetFlag(region, kFlagSizedApart, (bits & kBitPopup) != 0 ? 0 : 1);
        QXWtAttr_SetFlag(region, kFlagPoppedUp, 0);
    }
}

} // namespace

void EE_RegionAttributes()
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgPageEmpty);
        return;
    }
    EEChartRegionRecord record;
    uint32_t type = 0, net = 0, graphic = 0;
    if (EQ_MapSpec(static_cast<uint32_t>(selection.size()), selection.data(), EE_FilterChartRegions, &record, &type,
                   &net, &graphic) == 0)
        return;
    RegionDialog dialog{record, {}, false};
    Dialog_OpenModal(kRegionDialog, regionCallback, &dialog);
    if (!dialog.ok)
        return;
    for (ObjectHandle object : selection) {
        if (QXStr_IsObject(object) != 0 && (QXRdAttr_GetObjectType(object) & kTypeRegion) != 0)
            applyTo(object, dialog.answer);
    }
}
