// The net editor's commands around the hierarchy page: a new net page with
// its page node, the redraw of the hierarchy page (compressed or not, or
// rebuilt from scratch) and the options of its layout, with their dialogs.
#include "atolq/CEditor/HierarchyPageCommands.h"

#include <optional>
#include <string>
#include <vector>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/KernelDialogDefaults.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;
constexpr int32_t kWholeText = 32767;

// The record keeps grids as Fixed; the dialog shows whole interface units.
constexpr Fixed kInterfaceUnit = 0x8000;

// ---- redraw hierarchy ----

constexpr int32_t kRedrawDialog = 30098;
constexpr int16_t kCompressedItem = 5;
constexpr int16_t kNonCompressedItem = 6;
constexpr int16_t kScratchItem = 7;
constexpr int16_t kRedrawResetItem = 10;

struct RedrawChoice {
    bool compressed = true;
    bool fromScratch = false;
    bool ok = false;
};

void ShowRedrawChoice(const RedrawChoice& choice)
{
    Dialog_SetRadioGroup(kCompressedItem, kNonCompressedItem,
                         choice.compressed ? kCompressedItem : kNonCompressedItem);
    Dialog_SetItemState(kScratchItem, choice.fromScratch ? 1 : 0);
}

int16_t RedrawCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* choice = static_cast<RedrawChoice*>(Dialog_GetClientData());
    if (choice == nullptr)
        return item;
    if (code == 0) {
        ShowRedrawChoice(*choice);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    switch (item) {
    case kOk:
        choice->compressed = Dialog_GetRadioChoice(kCompressedItem, kNonCompressedItem) == kCompressedItem;
        choice->ok = true;
        Dialog_Close(item);
        break;
    case kCancel:
        Dialog_Close(item);
        break;
    case kCompressedItem:
    case kNonCompressedItem:
        Dialog_SetRadioGroup(kCompressedItem, kNonCompressedItem, item);
        break;
    case kScratchItem:
        choice->fromScratch = !choice->fromScratch;
        Dialog_SetItemState(kScratchItem, choice->fromScratch ? 1 : 0);
        break;
    case kRedrawResetItem:
        choice->fromScratch = false;
        ShowRedrawChoice(RedrawChoice{});
        break;
    default:
        break;
    }
    return item;
}

// ---- hierarchy page layout ----

constexpr int32_t kLayoutDialog = 30007;
constexpr int16_t kLayoutResetItem = 3;
constexpr int16_t kLayoutLoadItem = 7;
constexpr int16_t kLayoutSaveItem = 8;
constexpr int16_t kGridXItem = 9;
constexpr int16_t kGridYItem = 10;
constexpr int16_t kSpacingXItem = 11;
constexpr int16_t kSpacingYItem = 12;
constexpr int16_t kIgnoreSubstitutionsItem = 15;
constexpr int16_t kMsgHorizontalGrid = 11802;
constexpr int16_t kMsgVerticalGrid = 11803;
constexpr int16_t kMsgHorizontalSpacing = 11804;
constexpr int16_t kMsgVerticalSpacing = 11805;

// The values of record 1059 as the dialog shows them.
struct PageLayout {
    int32_t gridX = 60;
    int32_t gridY = 40;
    int32_t spacingX = 3;
    int32_t spacingY = 3;
    bool hideSubstitutions = false;
    uint32_t hideInvocations = 0;  // not in the dialog: kept as read
};

std::optional<PageLayout> StoredLayout(uint32_t level)
{
    uint32_t gridX = 0;
    uint32_t gridY = 0;
    uint16_t spacingX = 0;
    uint16_t spacingY = 0;
    uint32_t hideSub = 0;
    uint32_t hideInv = 0;
    if (DefGetPageLayout(&gridX, &gridY, &spacingX, &spacingY, &hideSub, &hideInv, level) == 0)
        return std::nullopt;
    return PageLayout{static_cast<int32_t>(gridX) / kInterfaceUnit, static_cast<int32_t>(gridY) / kInterfaceUnit,
                      spacingX, spacingY, hideSub != 0, hideInv};
}

int StoreLayout(const PageLayout& layout, uint32_t level)
{
    return DefSetPageLayout(static_cast<uint32_t>(layout.gridX * kInterfaceUnit),
                            static_cast<uint32_t>(layout.gridY * kInterfaceUnit),
                            static_cast<uint16_t>(layout.spacingX), static_cast<uint16_t>(layout.spacingY),
                            layout.hideSubstitutions ? 1 : 0, layout.hideInvocations, level);
}

struct LayoutDialog {
    PageLayout started;
    PageLayout layout;
    bool ignoreSubstitutions = false;  // the check box as shown
    bool ok = false;
};

void ShowLayout(LayoutDialog& dialog, const PageLayout& layout)
{
    dialog.ignoreSubstitutions = layout.hideSubstitutions;
    Dialog_SetItemNumber(kGridXItem, layout.gridX);
    Dialog_SetItemNumber(kGridYItem, layout.gridY);
    Dialog_SetItemNumber(kSpacingXItem, layout.spacingX);
    Dialog_SetItemNumber(kSpacingYItem, layout.spacingY);
    Dialog_SetItemState(kIgnoreSubstitutionsItem, layout.hideSubstitutions ? 1 : 0);
}

// One number field in its range; false after showing the range and
// selecting the field.
bool ReadNumber(int16_t item, int16_t minimum, int16_t maximum, int16_t nameId, int32_t* value)
{
    const int32_t number = Dialog_GetItemNumber(item);
    const auto shown = static_cast<int16_t>(number < INT16_MIN || number > INT16_MAX ? INT16_MIN : number);
    if (QXUI_CheckRange(shown, minimum, maximum, nameId) == 0) {
        Dialog_SetFocusItem(item);
        Dialog_SelectItemText(item, 0, kWholeText);
        return false;
    }
    *value = number;
    return true;
}

bool ReadLayout(const LayoutDialog& dialog, PageLayout* layout)
{
    PageLayout read = *layout;
    if (!ReadNumber(kGridXItem, 1, 1000, kMsgHorizontalGrid, &read.gridX) ||
        !ReadNumber(kGridYItem, 1, 1000, kMsgVerticalGrid, &read.gridY) ||
        !ReadNumber(kSpacingXItem, 1, 5, kMsgHorizontalSpacing, &read.spacingX) ||
        !ReadNumber(kSpacingYItem, 1, 5, kMsgVerticalSpacing, &read.spacingY))
        return false;
    read.hideSubstitutions = dialog.ignoreSubstitutions;
    *layout = read;
    return true;
}

int16_t LayoutCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<LayoutDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        ShowLayout(*dialog, dialog->layout);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    switch (item) {
    case kOk:
        if (ReadLayout(*dialog, &dialog->layout)) {
            dialog->ok = true;
            Dialog_Close(item);
        }
        break;
    case kCancel:
        Dialog_Close(item);
        break;
    case kLayoutResetItem:
        ShowLayout(*dialog, StoredLayout(kDefLevelDiagram).value_or(dialog->started));
        break;
    case kLayoutLoadItem:
        ShowLayout(*dialog, StoredLayout(kDefLevelStandard).value_or(PageLayout{}));
        break;
    case kLayoutSaveItem: {
        PageLayout saved = dialog->layout;
        if (ReadLayout(*dialog, &saved) && EE_ConfirmSaveStandard() != 0)
            StoreLayout(saved, kDefLevelStandard);
        break;
    }
    case kIgnoreSubstitutionsItem:
        dialog->ignoreSubstitutions = !dialog->ignoreSubstitutions;
        Dialog_SetItemState(item, dialog->ignoreSubstitutions ? 1 : 0);
        break;
    default:
        break;
    }
    return item;
}

// Makes the hierarchy page current (building it when missing).
ObjectHandle ShowHierarchyPage()
{
    const ObjectHandle hierarchy = PGGetHierarchyPage();
    if (hierarchy != 0 && QXStr_GetCurPage() != hierarchy)
        QXStr_SetCurPage(hierarchy);
    return hierarchy;
}

// The page-name regions of every net page follow a rebuilt hierarchy.
void UpdatePageNameRegions()
{
    uint16_t count = 0;
    ObjectHandle* pages = nullptr;
    QXStr_GetPageList(&count, &pages);
    const std::vector<ObjectHandle> list(pages, pages + (pages != nullptr ? count : 0));
    if (pages != nullptr)
        QXMem_Free(pages);
    for (ObjectHandle page : list) {
        if (PGIsHierarchyObject(page, nullptr) == 0)
            EE_UpdatePageNameRegion(page);
    }
}

}  // namespace

int EE_AskRedrawHierarchy(int* compressed, int* fromScratch)
{
    RedrawChoice choice;
    Dialog_OpenModal(kRedrawDialog, RedrawCallback, &choice);
    if (!choice.ok)
        return 0;
    *compressed = choice.compressed ? 1 : 0;
    *fromScratch = choice.fromScratch ? 1 : 0;
    return 1;
}

int EE_RedrawHierarchy()
{
    int compressed = 1;
    int fromScratch = 0;
    if (EE_AskRedrawHierarchy(&compressed, &fromScratch) == 0)
        return 0;
    PGSetUnitMultipliers(compressed);
    if (fromScratch != 0) {
        PGRebuild();
        UpdatePageNameRegions();
        return 1;
    }
    const ObjectHandle hierarchy = ShowHierarchyPage();
    if (hierarchy == 0)
        return 0;
    PGRelayout(hierarchy);
    QXUI_RedrawPage(hierarchy);
    return 1;
}

int EE_EditPageLayout()
{
    LayoutDialog dialog;
    dialog.started = StoredLayout(kDefLevelDiagram).value_or(PageLayout{});
    dialog.layout = dialog.started;
    Dialog_OpenModal(kLayoutDialog, LayoutCallback, &dialog);
    if (!dialog.ok)
        return 0;
    return StoreLayout(dialog.layout, kDefLevelDiagram);
}

int EE_HierarchyOptions()
{
    if (EE_EditPageLayout() == 0)
        return 0;
    QXStr_SetModified(1);
    PGReadOptions(0);
    PGSetUnitMultipliers(0);
    const ObjectHandle hierarchy = ShowHierarchyPage();
    if (hierarchy == 0)
        return 0;
    PGRelayout(hierarchy);
    QXUI_RedrawPage(hierarchy);
    return 1;
}

int EE_NewPage()
{
    if (PGFindHierarchyPage() != 0)
        PGSetNodeStyle(QXStr_GetCurPage(), kPGPageOpen);
    const ObjectHandle page = GE_NewPage(1);
    if (page == 0)
        return 0;
    return EE_CreateNetPage(page, 1);
}
