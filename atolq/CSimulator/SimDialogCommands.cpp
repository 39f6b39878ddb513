// The Sim menu's dialog commands: each checks the simulator's activity and
// the selection, runs its dialog and shows what changed on the open pages.
#include "atolq/CSimulator/SimDialogCommands.h"

#include <algorithm>
#include <string>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommandSupport.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CSimulator/SimDialogs.h"
#include "atolq/CSimulator/SimGraphics.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int16_t kMsgNotBindingPhase = 11522;
constexpr int16_t kMsgNoNode = 11306;
constexpr int16_t kMsgEmptySelection = 11307;
constexpr int16_t kMsgOnHierarchyPage = 11312;
constexpr int16_t kMsgNoInstances = 11337;
constexpr int16_t kMsgSingleTransition = 11524;
constexpr int16_t kMsgNoMoreEnabled = 11525;
constexpr int16_t kMsgMissingValues = 11529;
constexpr int16_t kMsgPageWithoutInstance = 11531;
constexpr int16_t kMsgNotEnabled = 11532;
constexpr int16_t kMsgOnlyPlaces = 11545;
constexpr int16_t kMsgMarkingNoInstance = 11546;
constexpr int16_t kMsgDeleteOccurrenceSet = 11548;
constexpr uint32_t kTypeNode = 4;
constexpr uint32_t kTypeConnector = 8;
constexpr int kChoiceNew = 5;
constexpr int kChoiceDelete = 7;

void Bell() { QXUI_Beep(0); }

bool RefusedUnlessIdle()
{
    if (SActivityIsIdle())
        return false;
    GE_MessageBox(kMsgNotBindingPhase);
    return true;
}

SEHead* RecordOf(uint32_t object)
{
    SEHead* record = nullptr;
    return object != 0 && GE_GetSERecord(object, &record) != 0 ? record : nullptr;
}

// The selection with regions taken as the objects they belong to.
std::vector<ObjectHandle> SelectedBaseObjects()
{
    std::vector<ObjectHandle> objects;
    for (ObjectHandle object : EE_CommandSelection()) {
        const ObjectHandle base = (GE_KernelType(object) & kTypeNode) != 0 ||
                                          (GE_KernelType(object) & kTypeConnector) != 0
                                      ? object
                                      : QXStr_GetBaseObject(object);
        if (base != 0 && std::find(objects.begin(), objects.end(), base) == objects.end())
            objects.push_back(base);
    }
    return objects;
}

// The transition of a single-transition selection; 0 after the message.
ObjectHandle SelectedTransition()
{
    const std::vector<ObjectHandle> selection = SelectedBaseObjects();
    if (selection.empty()) {
        GE_MessageBox(kMsgEmptySelection);
        return 0;
    }
    for (ObjectHandle object : selection) {
        if ((GE_KernelType(object) & kTypeConnector) != 0) {
            GE_MessageBox(kMsgNoNode);
            return 0;
        }
    }
    SEHead* record = RecordOf(selection.front());
    if (selection.size() != 1 || record == nullptr || record->kind != kSETrans) {
        GE_MessageBox(kMsgSingleTransition);
        return 0;
    }
    return selection.front();
}

int ShowPage(uint32_t page, ASInstance* instance, void*)
{
    SShowInstanceGraphics(page, instance);
    return 0;
}

void ShowOpenPages() { SForEachOpenPage(ShowPage, nullptr); }

void IdleAgain()
{
    if (SRunOptionActive() == 0)
        SEnterActivity(kSActivityIdle);
    GE_RequestMenuUpdate();
}

}  // namespace

void SBind()
{
    if (RefusedUnlessIdle())
        return;
    const ObjectHandle transition = SelectedTransition();
    if (transition == 0)
        return;
    const uint32_t page = QXStr_GetObjectPage(transition);
    ASInstance* instance = SPageInstance(page);
    if (instance == nullptr) {
        GE_MessageBox(kMsgPageWithoutInstance);
        return;
    }
    auto* record = reinterpret_cast<SETrans*>(RecordOf(transition));
    if (ASHasBindingElement(record, instance) == 0) {
        GE_MessageBox(kMsgNotEnabled);
        return;
    }
    // The transition's page shows the bindings as they change.
    SBindGraphicsRefresher() = [page](SETrans*, ASInstance* changed) {
        if (SPageInstance(page) == changed)
            SShowInstanceGraphics(page, changed);
    };
    int occur = 0;
    SBindDialog(transition, instance, &occur);
    SBindGraphicsRefresher() = nullptr;
    SShowInstanceGraphics(page, instance);
    IdleAgain();
}

void SOccurrenceSet()
{
    if (RefusedUnlessIdle())
        return;
    int choice = 0;
    if (SOccurrenceSetDialog(&choice) == 0)
        return;
    if (choice == kChoiceDelete) {
        SShowStatus("Deleting Existing Occ Set", kSNoTime, kSNoStep);
        ASWithdrawAll();
        ShowOpenPages();
        IdleAgain();
        SShowStatus("Occ Set Deleted", kSNoTime, kSNoStep);
        Bell();
        return;
    }
    if (choice == kChoiceNew) {
        if (ASStepIsEmpty() == 0)
            SShowStatus("Deleting Existing Occ Set", kSNoTime, kSNoStep);
        ASWithdrawAll();
    }
    SShowStatus("Calculating Occ Set", kSTimeShown, kSNoStep);
    const int result = ASChooseOccurrenceSet(1);
    SShowStatus("Updating Graphics", kSNoTime, kSNoStep);
    switch (result) {
    case 1:
        GE_MessageBox(kMsgMissingValues);
        SRefreshEnablingOnOpenPages(1);
        break;
    case 0:
        GE_MessageBox(kMsgNoMoreEnabled);
        SRefreshEnablingOnOpenPages(1);
        ASRequestResetSteps();
        break;
    default:
        ShowOpenPages();
        ASResetMarkLists();
        IdleAgain();
        SShowStatus("New Occ Set Calculated", kSNoTime, kSNoStep);
        break;
    }
    Bell();
}

void SChangeMarking()
{
    if (RefusedUnlessIdle())
        return;
    const uint32_t page = QXStr_GetCurPage();
    uint32_t length = 0;
    if (page != 0 && PGIsHierarchyObject(page, &length) != 0) {
        GE_MessageBox(kMsgOnHierarchyPage);
        return;
    }
    ASInstance* instance = SPageInstance(page);
    if (instance == nullptr) {
        GE_MessageBox(kMsgMarkingNoInstance);
        return;
    }
    const std::vector<ObjectHandle> selection = SelectedBaseObjects();
    if (selection.empty()) {
        GE_MessageBox(kMsgEmptySelection);
        return;
    }
    std::vector<SEPlace*> places;
    for (ObjectHandle object : selection) {
        if ((GE_KernelType(object) & kTypeNode) == 0) {
            GE_MessageBox(kMsgNoNode);
            return;
        }
        SEHead* record = RecordOf(object);
        if (record == nullptr || record->kind != kSEPlace) {
            GE_MessageBox(kMsgOnlyPlaces);
            return;
        }
        places.push_back(reinterpret_cast<SEPlace*>(record));
    }
    if (ASStepIsEmpty() == 0) {
        if (GE_AskContinue(kMsgDeleteOccurrenceSet) == 0)
            return;
        ASWithdrawAll();
        ShowOpenPages();
    }
    std::string text;
    if (places.size() == 1 && ASQueryPlaceTokens(places.front(), instance, &text) != 0)
        text.clear();
    int initialChosen = 0;
    if (SChangeMarkingDialog(places.front(), instance, 0, text.c_str(), &initialChosen) == 0)
        return;
    // The evaluator holds the marking the dialog accepted; every selected
    // place takes it, or its initial marking.
    for (SEPlace* place : places)
        ASApplyMarkingChange(place, instance, initialChosen);
    ShowOpenPages();
    ASDropRecheckLists();
    SShowStatus("Change Marking", kSTimeRefreshed, kSStepShown);
    IdleAgain();
}

void SSelectInstance()
{
    const uint32_t page = QXStr_GetCurPage();
    ASInstance* current = SPageInstance(page);
    if (current == nullptr) {
        GE_MessageBox(kMsgNoInstances);
        return;
    }
    ASInstance* chosen = nullptr;
    if (SSelectInstanceDialog(page, &chosen) == 0 || chosen == nullptr || chosen == current)
        return;
    SHideInstanceGraphics(page, 0);
    SSetPageInstance(page, chosen);
    SShowInstanceGraphics(page, chosen);
}

void SSelectEnabled()
{
    uint32_t page = QXStr_GetCurPage();
    ASInstance* instance = SPageInstance(page);
    const uint32_t currentPage = page;
    ASInstance* const current = instance;
    if (SSelectEnabledDialog(&page, &instance) == 0 || instance == nullptr)
        return;
    if (page == currentPage && instance == current)
        return;
    if (page == currentPage)
        SHideInstanceGraphics(page, 0);
    SSetPageInstance(page, instance);
    QXStr_SetCurPage(page);
    SShowInstanceGraphics(page, instance);
}
