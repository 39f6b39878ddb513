// Shape Attributes... for boxes, ellipses, rounded boxes and polygons: the
// shape dialog (30400) asks the width and height in whole units, and the
// curvature of rounded boxes, starting from the defaults of the selection's
// kind; every selected node then takes them.
#include "atolq/CEditor/NetShapeAttributes.h"

#include <array>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int32_t kShapeDialog = 30400;
constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;
constexpr int16_t kReset = 3;
constexpr int32_t kLoadItem = 4;
constexpr int32_t kSaveItem = 5;
constexpr int32_t kCurvatureLabel = 10;
constexpr int32_t kWidthItem = 11;
constexpr int32_t kHeightItem = 12;
constexpr int32_t kCurvatureItem = 13;

constexpr int16_t kNameHeight = 11806;
constexpr int16_t kNameWidth = 11807;
constexpr int16_t kNameCurvature = 11808;
constexpr int16_t kLargest = 9999;

constexpr int32_t kShapeRoundedBox = 4;
constexpr Fixed kUnit = 0x10000;

struct ShapeDialog {
    EEShapeSize start;
    EEShapeSize answer;
    bool rounded = false;
    bool ok = false;
};

void ShowValues(const EEShapeSize& size)
{
    Dialog_SetItemNumber(kWidthItem, size.width);
    Dialog_SetItemNumber(kHeightItem, size.height);
    Dialog_SetItemNumber(kCurvatureItem, size.curvature);
}

// A field's number in its range; otherwise the user is told, the field's
// text is selected and false is returned.
bool ReadField(int32_t item, int16_t minimum, int16_t nameId, int32_t* value)
{
    const int32_t number = Dialog_GetItemNumber(item);
    const auto shown = static_cast<int16_t>(number < minimum || number > kLargest ? minimum - 1 : number);
    if (QXUI_CheckRange(shown, minimum, kLargest, nameId) == 0) {
        Dialog_SetFocusItem(item);
        Dialog_SelectItemText(item, 0, 32767);
        return false;
    }
    *value = number;
    return true;
}

bool ReadValues(ShapeDialog& dialog)
{
    EEShapeSize size = dialog.start;
    if (!ReadField(kWidthItem, 1, kNameWidth, &size.width) || !ReadField(kHeightItem, 1, kNameHeight, &size.height))
        return false;
    if (dialog.rounded && !ReadField(kCurvatureItem, 0, kNameCurvature, &size.curvature))
        return false;
    dialog.answer = size;
    return true;
}

int16_t ShapeCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<ShapeDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        ShowValues(dialog->start);
        Dialog_ShowItem(kCurvatureLabel, dialog->rounded ? 1 : 0);
        Dialog_ShowItem(kCurvatureItem, dialog->rounded ? 1 : 0);
        // The defaults files are reached through the Set menu's own dialogs.
        Dialog_DisableItem(kLoadItem);
        Dialog_DisableItem(kSaveItem);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    switch (item) {
    case kOk:
        if (ReadValues(*dialog)) {
            dialog->ok = true;
            Dialog_Close(kOk);
        }
        break;
    case kCancel: Dialog_Close(kCancel); break;
    case kReset: ShowValues(dialog->start); break;
    default: break;
    }
    return item;
}

// The defaults of the selection's kind (level 3); the first node's own size
// when the selection has no default record.
EEShapeSize StartingSize(ObjectHandle first, uint32_t type, uint32_t net, uint32_t graphic)
{
    EEShapeSize size;
    Fixed width = 0, height = 0;
    QXRdAttr_GetSize(first, &width, &height);
    size.width = width / kUnit;
    size.height = height / kUnit;
    int32_t key = 0;
    std::array<uint32_t, 8> shape{};
    if (DefKeyForSpec(type, net, graphic, 0, &key) != 0 && DefGetShape(key, shape.data(), kDefLevelDiagram) != 0 &&
        static_cast<Fixed>(shape[1]) > 0 && static_cast<Fixed>(shape[2]) > 0) {
        size.height = static_cast<Fixed>(shape[1]) / kUnit;
        size.width = static_cast<Fixed>(shape[2]) / kUnit;
        size.curvature = static_cast<Fixed>(shape[3]) / kUnit;
    }
    return size;
}

}  // namespace

int EE_AskShape(const EEShapeSize& start, bool rounded, EEShapeSize* answer)
{
    ShapeDialog dialog{start, start, rounded, false};
    Dialog_OpenModal(kShapeDialog, ShapeCallback, &dialog);
    if (!dialog.ok)
        return 0;
    *answer = dialog.answer;
    return 1;
}

int EE_SetShapeSizes(const std::vector<ObjectHandle>& selection)
{
    if (selection.empty())
        return 0;
    EEFilterRecord record;
    uint32_t type = 0, net = 0, graphic = 0;
    if (EQ_MapSpec(static_cast<uint32_t>(selection.size()), selection.data(), EE_FilterSameKind, &record, &type,
                   &net, &graphic) == 0)
        return 0;
    const bool rounded = QXRdAttr_GetShape(selection.front()) == kShapeRoundedBox;
    EEShapeSize size;
    if (EE_AskShape(StartingSize(selection.front(), type, net, graphic), rounded, &size) == 0)
        return 0;
    for (ObjectHandle node : selection) {
        QXWtAttr_SetSize(node, size.width * kUnit, size.height * kUnit);
        if (rounded)
            QXWtAttr_SetRoundedness(node, static_cast<uint32_t>(size.curvature * kUnit), 0);
    }
    return 1;
}
