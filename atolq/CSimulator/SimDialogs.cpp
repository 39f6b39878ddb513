// The interactive simulator's modal dialogs on the table-driven dialogs:
// bindings (30620), page instances (30570), step finished (30580),
// occurrence set (30630), change marking (31000) and model time (31010).
#include "atolq/CSimulator/SimDialogs.h"

#include <X11/Intrinsic.h>

#include <memory>
#include <vector>

#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CSimulator/SimBindSession.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int32_t kListCapacity = 256;
constexpr int32_t kListEntryWidth = 256;
constexpr int32_t kTextMax = 4096;
constexpr int32_t kBusyCursor = 17;

void Bell() { QXUI_Beep(0); }

std::string ItemText(int32_t item, int32_t max = kTextMax)
{
    std::string text(static_cast<size_t>(max) + 1, '\0');
    Dialog_GetItemText(item, text.data(), max);
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
}

void SelectAll(int32_t item)
{
    Dialog_SetFocusItem(item);
    Dialog_SelectItemText(item, 0, Dialog_GetItemTextLength(item));
}

// The busy cursor while the evaluator is asked; the previous one after.
class BusyCursor {
public:
    BusyCursor() : previous_(QXUI_SetCursor(kBusyCursor)) {}
    ~BusyCursor() { QXUI_SetCursor(previous_); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    int32_t previous_;
};

// Control held at the pointer: "All" keeps the bindings found before.
bool ControlHeld()
{
    Widget shell = Dialog_ShellWidget();
    if (shell == nullptr || !XtIsRealized(shell))
        return false;
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int x = 0;
    int y = 0;
    unsigned int mask = 0;
    XQueryPointer(XtDisplay(shell), XtWindow(shell), &root, &child, &rootX, &rootY, &x, &y, &mask);
    return (mask & ControlMask) != 0;
}

// A list item whose entries are the texts, in order, with one highlighted
// (-1 none).
void FillList(int32_t item, const std::vector<std::string>& texts, int32_t highlighted)
{
    Dialog_ClearList(item);
    for (size_t i = 0; i < texts.size() && i < static_cast<size_t>(kListCapacity); ++i) {
        int32_t position = static_cast<int32_t>(i);
        Dialog_InsertListEntry(item, texts[i].c_str(), 0, &position);
    }
    if (highlighted >= 0 && highlighted < static_cast<int32_t>(texts.size()))
        Dialog_HighlightListEntry(item, highlighted, 1);
}

void Enable(int32_t item, bool enabled)
{
    if (enabled)
        Dialog_EnableItem(item);
    else
        Dialog_DisableItem(item);
}

void MakeList(int32_t item)
{
    Dialog_SetListItems(item, 0, nullptr, kListCapacity, kListEntryWidth, nullptr, 0);
}

ASInstance* InstanceOfRecord(SEHead* record)
{
    return record != nullptr && record->kind == kSEPageInstance ? reinterpret_cast<ASInstance*>(record) : nullptr;
}

std::string InstanceText(ASInstance* instance)
{
    const char* text = instance != nullptr ? ASGetInstanceText(&instance->head) : nullptr;
    return text != nullptr ? text : "";
}

// ---- bindings (30620) ----

constexpr int32_t kBindDialog = 30620;
enum BindItem : int16_t {
    kOccur = 1,
    kBindCancel = 2,
    kBindOk = 3,
    kBindReset = 4,
    kUp = 5,
    kDown = 6,
    kAll = 7,
    kOne = 8,
    kClearItem = 9,
    kTitle = 10,
    kValue = 11,
    kVariables = 12,
    kUpperList = 13,
    kLowerList = 14,
};

struct BindDialog {
    std::unique_ptr<SBindSession> session;
    std::string title;
    int result = 2;
    bool occurred = false;
    // A change of the value field made by the dialog itself, not the user.
    bool showing = false;
};

void ShowValue(const SBindSession& session, BindDialog& dialog)
{
    const int current = session.Current();
    dialog.showing = true;
    Dialog_SetItemText(kValue, current >= 0 ? session.Variables()[static_cast<size_t>(current)].value.c_str() : "");
    dialog.showing = false;
}

void ShowLists(const SBindSession& session)
{
    std::vector<std::string> upper;
    for (ASBindingElement* e : session.Upper())
        upper.push_back(SBindSession::ElementText(e));
    FillList(kUpperList, upper, -1);
    std::vector<std::string> lower;
    for (ASBindingElement* e : session.Lower())
        lower.push_back(SBindSession::ElementText(e));
    FillList(kLowerList, lower, -1);
}

void ShowBindings(BindDialog& dialog)
{
    const SBindSession& session = *dialog.session;
    std::vector<std::string> variables;
    for (const auto& v : session.Variables())
        variables.push_back(v.name + " : " + v.colourSet);
    FillList(kVariables, variables, session.Current());
    ShowLists(session);
    ShowValue(session, dialog);
}

void OpenBindings(BindDialog& dialog)
{
    MakeList(kVariables);
    MakeList(kUpperList);
    MakeList(kLowerList);
    dialog.session->Open();
    Dialog_SetItemText(kTitle, dialog.title.c_str());
    ShowBindings(dialog);
    Dialog_SetDefaultItem(kOccur);
}

void Refused(BindDialog& dialog)
{
    (void)dialog;
    Bell();
    SelectAll(kValue);
}

void Finish(SBindSession::Outcome outcome, BindDialog& dialog)
{
    if (outcome == SBindSession::Outcome::Bell)
        Refused(dialog);
    ShowBindings(dialog);
    GE_FlushRedraw();
}

void CloseBindings(int16_t item, BindDialog& dialog)
{
    dialog.result = item;
    Dialog_Close(item);
}

// The highlighted entry of the upper list first, then of the lower one.
void Highlighted(const SBindSession& session, int* upper, int* lower)
{
    *upper = Dialog_GetListSelection(kUpperList);
    *lower = *upper >= 0 ? -1 : Dialog_GetListSelection(kLowerList);
    if (*upper >= static_cast<int>(session.Upper().size()))
        *upper = -1;
    if (*lower >= static_cast<int>(session.Lower().size()))
        *lower = -1;
}

void ChooseVariable(BindDialog& dialog)
{
    SBindSession& session = *dialog.session;
    const int chosen = Dialog_GetListSelection(kVariables);
    if (chosen < 0 || session.Variables().empty())
        return;
    Dialog_HighlightListEntry(kUpperList, Dialog_GetListSelection(kUpperList), 0);
    Dialog_HighlightListEntry(kLowerList, Dialog_GetListSelection(kLowerList), 0);
    if (!session.ChooseVariable(chosen, ItemText(kValue))) {
        Bell();
        Dialog_HighlightListEntry(kVariables, session.Current(), 1);
        SelectAll(kValue);
        return;
    }
    ShowValue(session, dialog);
    SelectAll(kValue);
}

void BindAction(int16_t item, bool keepFound, BindDialog& dialog)
{
    SBindSession& session = *dialog.session;
    int upper = -1;
    int lower = -1;
    Highlighted(session, &upper, &lower);
    const std::string typed = ItemText(kValue);
    switch (item) {
    case kOccur: {
        BusyCursor busy;
        const SBindSession::Outcome outcome = session.Occur(typed);
        if (outcome == SBindSession::Outcome::Close) {
            GE_FlushRedraw();
            dialog.occurred = true;
            CloseBindings(item, dialog);
            return;
        }
        Finish(outcome, dialog);
        return;
    }
    case kBindCancel:
        session.Cancel();
        CloseBindings(item, dialog);
        return;
    case kBindOk:
        session.Ok();
        CloseBindings(item, dialog);
        return;
    case kBindReset:
        session.Reset();
        ShowBindings(dialog);
        GE_FlushRedraw();
        return;
    case kUp: {
        BusyCursor busy;
        Finish(session.Up(upper, lower, typed), dialog);
        return;
    }
    case kDown: {
        BusyCursor busy;
        Finish(session.Down(upper, lower, typed), dialog);
        return;
    }
    case kAll: {
        BusyCursor busy;
        Finish(session.All(typed, keepFound), dialog);
        return;
    }
    case kOne: {
        BusyCursor busy;
        Finish(session.One(typed), dialog);
        return;
    }
    case kClearItem:
        Finish(session.Clear(upper, lower), dialog);
        return;
    case kVariables:
        ChooseVariable(dialog);
        return;
    case kUpperList:
        Dialog_HighlightListEntry(kLowerList, Dialog_GetListSelection(kLowerList), 0);
        return;
    case kLowerList:
        Dialog_HighlightListEntry(kUpperList, Dialog_GetListSelection(kUpperList), 0);
        return;
    default:
        return;
    }
}

int16_t BindCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<BindDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        OpenBindings(*dialog);
        return item;
    }
    // A key or a click in the value field: refused (the key consumed) while
    // the variable is calculated by code.
    if (item == kValue) {
        if (dialog->showing)
            return item;
        return dialog->session->EditValue() ? item : 0;
    }
    BindAction(item, item == kAll && ControlHeld(), *dialog);
    return item;
}

// ---- page instances (30570) ----

constexpr int32_t kInstanceDialog = 30570;
constexpr int16_t kSelect = 1;
constexpr int16_t kInstanceList = 5;
constexpr int16_t kFullName = 7;

struct InstanceChoice {
    std::vector<ASInstance*> instances;  // as the list shows them
    int proposed = -1;
    ASInstance* chosen = nullptr;
};

void ShowChosenInstance(const InstanceChoice& choice)
{
    const int picked = Dialog_GetListSelection(kInstanceList);
    if (picked < 0 || picked >= static_cast<int>(choice.instances.size())) {
        Dialog_SetItemText(kFullName, "");
        Dialog_DisableItem(kSelect);
        return;
    }
    Dialog_SetItemText(kFullName, InstanceText(choice.instances[static_cast<size_t>(picked)]).c_str());
    SelectAll(kFullName);
    Dialog_EnableItem(kSelect);
}

int16_t InstanceCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* choice = static_cast<InstanceChoice*>(Dialog_GetClientData());
    if (choice == nullptr)
        return item;
    if (code == 0) {
        Dialog_ShowItem(kInstanceList, 0);
        MakeList(kInstanceList);
        std::vector<std::string> texts;
        for (ASInstance* instance : choice->instances)
            texts.push_back(InstanceText(instance));
        FillList(kInstanceList, texts, choice->proposed);
        Dialog_ShowItem(kInstanceList, 1);
        const ASInstance* proposed =
            choice->proposed >= 0 ? choice->instances[static_cast<size_t>(choice->proposed)] : nullptr;
        Dialog_SetItemText(kFullName, InstanceText(const_cast<ASInstance*>(proposed)).c_str());
        SelectAll(kFullName);
        Dialog_EnableItem(kSelect);
        Dialog_SetDefaultItem(kSelect);
        return item;
    }
    switch (item) {
    case kSelect: {
        const int picked = Dialog_GetListSelection(kInstanceList);
        if (picked < 0 || picked >= static_cast<int>(choice->instances.size()))
            return item;
        choice->chosen = choice->instances[static_cast<size_t>(picked)];
        Dialog_Close(item);
        break;
    }
    case 2:
        Dialog_Close(item);
        break;
    case kInstanceList:
        ShowChosenInstance(*choice);
        break;
    default:
        break;
    }
    return item;
}

// Each instance goes to the front of the list, as the choice shows them.
void AddInstance(InstanceChoice& choice, ASInstance* instance, bool proposed)
{
    choice.instances.insert(choice.instances.begin(), instance);
    if (choice.proposed >= 0)
        ++choice.proposed;
    if (proposed)
        choice.proposed = 0;
}

int RunInstanceChoice(InstanceChoice& choice)
{
    if (Dialog_OpenModal(kInstanceDialog, InstanceCallback, &choice) < 0 || choice.chosen == nullptr)
        return 0;
    return 1;
}

SEPage* NetPageOf(uint32_t pageObject)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(pageObject, &record) == 0 || record == nullptr || record->kind != kSEPage)
        return nullptr;
    return reinterpret_cast<SEPage*>(record);
}

// The instances of the page in their list order; false when the walk cannot
// start.
bool InstancesOf(SEPage* page, std::vector<ASInstance*>* out)
{
    ASIterator it{};
    it.word[0] = reinterpret_cast<uintptr_t>(page);
    if (ASFirst(9, &it) == 0)
        return false;
    while (ASNext(9, &it) != 0) {
        if (ASInstance* instance = InstanceOfRecord(reinterpret_cast<SEHead*>(it.word[1])))
            out->push_back(instance);
    }
    return true;
}

std::vector<uint32_t> PageObjects()
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    std::vector<uint32_t> pages;
    if (QXStr_GetPageList(&count, &array) != 0 && array != nullptr)
        pages.assign(array, array + count);
    if (array != nullptr)
        QXMem_Free(array);
    return pages;
}

// ---- step finished (30580), occurrence set (30630) ----

constexpr int32_t kStepDialog = 30580;
constexpr int32_t kOccurrenceSetDialog = 30630;

struct StepFinished {
    long step = 0;
    int result = -1;
};

int16_t StepCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* state = static_cast<StepFinished*>(Dialog_GetClientData());
    if (state == nullptr)
        return item;
    if (code == 0) {
        const std::string text = "Step " + std::to_string(state->step) + " is finished";
        Dialog_SetItemText(4, text.c_str());
        Dialog_SetDefaultItem(1);
        return item;
    }
    if (item == 1 || item == 2) {
        state->result = item == 1 ? 2 : 3;
        Dialog_Close(item);
    }
    return item;
}

struct OccurrenceChoice {
    int choice = 5;
    bool ok = false;
};

int16_t OccurrenceSetCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* state = static_cast<OccurrenceChoice*>(Dialog_GetClientData());
    if (state == nullptr)
        return item;
    if (code == 0) {
        Dialog_SetRadioGroup(5, 7, 5);
        const bool someSet = ASStepIsEmpty() == 0;
        Enable(6, someSet);
        Enable(7, someSet);
        Dialog_SetDefaultItem(1);
        return item;
    }
    switch (item) {
    case 1:
        state->choice = Dialog_GetRadioChoice(5, 7);
        state->ok = state->choice != 0;
        Dialog_Close(item);
        break;
    case 2:
        Dialog_Close(item);
        break;
    case 5:
    case 6:
    case 7:
        Dialog_SetRadioGroup(5, 7, item);
        break;
    default:
        break;
    }
    return item;
}

// ---- change marking (31000) ----

constexpr int32_t kMarkingDialog = 31000;
constexpr int16_t kInitialMarking = 6;
constexpr int16_t kSpecifiedMarking = 7;
constexpr int16_t kEmptyMarking = 8;
constexpr int16_t kNewMarking = 10;

struct MarkingChange {
    SEPlace* place = nullptr;
    ASInstance* instance = nullptr;
    bool restricted = false;
    std::string initialText;
    int chosen = 0;
    bool ok = false;
    bool showing = false;
};

void SetMarkingText(MarkingChange& change, const char* text)
{
    change.showing = true;
    Dialog_SetItemText(kNewMarking, text);
    change.showing = false;
}

void OpenMarking(MarkingChange& change)
{
    const bool given = !change.initialText.empty();
    Dialog_SetRadioGroup(kInitialMarking, kEmptyMarking, given ? kSpecifiedMarking : kInitialMarking);
    Enable(kSpecifiedMarking, !change.restricted);
    Enable(kEmptyMarking, !change.restricted);
    SetMarkingText(change, change.initialText.c_str());
    if (given)
        SelectAll(kNewMarking);
}

bool MarkingAccepted(MarkingChange& change)
{
    const int32_t chosen = Dialog_GetRadioChoice(kInitialMarking, kEmptyMarking);
    if (chosen == kInitialMarking || chosen == 0)
        return true;
    BusyCursor busy;
    if (chosen == kEmptyMarking)
        return ASChangeMarking(change.place, change.instance, "") == 1;
    const std::string text = ItemText(kNewMarking);
    return !text.empty() && ASChangeMarking(change.place, change.instance, text.c_str()) == 1;
}

int16_t MarkingCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* change = static_cast<MarkingChange*>(Dialog_GetClientData());
    if (change == nullptr)
        return item;
    if (code == 0) {
        OpenMarking(*change);
        Dialog_SetDefaultItem(1);
        return item;
    }
    switch (item) {
    case 1:
        if (!MarkingAccepted(*change)) {
            Bell();
            SelectAll(kNewMarking);
            break;
        }
        change->chosen = Dialog_GetRadioChoice(kInitialMarking, kEmptyMarking);
        change->ok = true;
        Dialog_Close(item);
        break;
    case 2:
        Dialog_Close(item);
        break;
    case 3:
        OpenMarking(*change);
        break;
    case kInitialMarking:
    case kEmptyMarking:
        Dialog_SetRadioGroup(kInitialMarking, kEmptyMarking, item);
        SetMarkingText(*change, "");
        break;
    case kSpecifiedMarking:
        Dialog_SetRadioGroup(kInitialMarking, kEmptyMarking, item);
        break;
    case kNewMarking:
        if (!change->showing && !change->restricted &&
            Dialog_GetRadioChoice(kInitialMarking, kEmptyMarking) != kSpecifiedMarking)
            Dialog_SetRadioGroup(kInitialMarking, kEmptyMarking, kSpecifiedMarking);
        break;
    default:
        break;
    }
    return item;
}

// ---- model time (31010) ----

constexpr int32_t kModelTimeDialog = 31010;
constexpr int16_t kTimeField = 4;
constexpr int32_t kTimeTextMax = 255;

struct ModelTime {
    bool integerRequired = false;
    std::string current;
    std::string entered;
    bool ok = false;
};

int16_t ModelTimeCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* time = static_cast<ModelTime*>(Dialog_GetClientData());
    if (time == nullptr)
        return item;
    if (code == 0) {
        Dialog_SetItemText(5, "Enter New Model Time");
        Dialog_SetItemText(kTimeField, time->current.c_str());
        SelectAll(kTimeField);
        Dialog_SetDefaultItem(1);
        return item;
    }
    if (item == 1) {
        const std::string text = ItemText(kTimeField, kTimeTextMax);
        if (!SModelTimeAcceptable(text.c_str(), time->integerRequired ? 1 : 0))
            return item;
        time->entered = text;
        time->ok = true;
        Dialog_Close(item);
    } else if (item == 2) {
        Dialog_Close(item);
    }
    return item;
}

}  // namespace

std::function<void(SETrans*, ASInstance*)>& SBindGraphicsRefresher()
{
    static std::function<void(SETrans*, ASInstance*)> refresher;
    return refresher;
}

int SBindDialog(uint32_t transitionObject, ASInstance* instance, int* occur)
{
    if (occur != nullptr)
        *occur = 0;
    SEHead* record = nullptr;
    if (instance == nullptr || GE_GetSERecord(transitionObject, &record) == 0 || record == nullptr ||
        record->kind != kSETrans)
        return 0;
    auto* transition = reinterpret_cast<SETrans*>(record);
    BindDialog dialog;
    dialog.session = std::make_unique<SBindSession>(transition, instance, [transition, instance] {
        if (SBindGraphicsRefresher())
            SBindGraphicsRefresher()(transition, instance);
    });
    const char* name = transition->name;
    dialog.title = std::string("Bind : ") + (name != nullptr && *name != '\0' ? name : "***");
    if (Dialog_OpenModal(kBindDialog, BindCallback, &dialog) < 0)
        return 0;
    if (occur != nullptr)
        *occur = dialog.occurred ? 1 : 0;
    return dialog.result == kBindCancel ? 0 : 1;
}

int SSelectInstanceDialog(uint32_t pageObject, ASInstance** instance)
{
    SEPage* page = NetPageOf(pageObject);
    std::vector<ASInstance*> instances;
    if (page == nullptr || !InstancesOf(page, &instances))
        return 0;
    ASInstance* current = InstanceOfRecord(SERecordById(GE_GetSimLink(pageObject)));
    InstanceChoice choice;
    for (ASInstance* each : instances)
        AddInstance(choice, each, each == current);
    if (RunInstanceChoice(choice) == 0)
        return 0;
    if (instance != nullptr)
        *instance = choice.chosen;
    return 1;
}

int SSelectEnabledDialog(uint32_t* pageObject, ASInstance** instance)
{
    ASInstance* proposal = instance != nullptr && *instance != nullptr && ASHasCandidates(*instance) != 0
                               ? *instance
                               : nullptr;
    InstanceChoice choice;
    std::vector<std::pair<uint32_t, ASInstance*>> owners;
    for (uint32_t object : PageObjects()) {
        SEPage* page = NetPageOf(object);
        if (page == nullptr || GE_GetSimLink(object) == 0)
            continue;
        std::vector<ASInstance*> instances;
        if (!InstancesOf(page, &instances))
            return 0;
        for (ASInstance* each : instances) {
            if (ASHasCandidates(each) == 0)
                continue;
            if (proposal == nullptr)
                proposal = each;
            owners.emplace_back(object, each);
            AddInstance(choice, each, each == proposal);
        }
    }
    if (choice.instances.empty()) {
        QXUI_ShowMessage("There are no enabled transitions.");
        return 0;
    }
    if (RunInstanceChoice(choice) == 0)
        return 0;
    for (const auto& [object, each] : owners) {
        if (each == choice.chosen && pageObject != nullptr)
            *pageObject = object;
    }
    if (instance != nullptr)
        *instance = choice.chosen;
    return 1;
}

int SStepFinishedDialog(long step)
{
    StepFinished state;
    state.step = step;
    if (Dialog_OpenModal(kStepDialog, StepCallback, &state) < 0)
        return -1;
    return state.result;
}

int SOccurrenceSetDialog(int* choice)
{
    OccurrenceChoice state;
    if (Dialog_OpenModal(kOccurrenceSetDialog, OccurrenceSetCallback, &state) < 0 || !state.ok)
        return 0;
    if (choice != nullptr)
        *choice = state.choice;
    return 1;
}

int SChangeMarkingDialog(SEPlace* place, ASInstance* instance, int restricted, const char* initialText,
                         int* initialChosen)
{
    MarkingChange change;
    change.place = place;
    change.instance = instance;
    change.restricted = restricted != 0;
    change.initialText = initialText != nullptr ? initialText : "";
    if (Dialog_OpenModal(kMarkingDialog, MarkingCallback, &change) < 0 || !change.ok)
        return 0;
    if (initialChosen != nullptr)
        *initialChosen = change.chosen == kInitialMarking ? 1 : 0;
    return 1;
}

bool SModelTimeAcceptable(const char* text, int integerRequired)
{
    int isInteger = 0;
    if (text == nullptr || EE_ParseNumber(text, &isInteger) == 0)
        return false;
    return integerRequired != 0 ? isInteger != 0 : isInteger == 0;
}

int SModelTimeDialog(int integerRequired, const char* currentText, std::string* text)
{
    ModelTime time;
    time.integerRequired = integerRequired != 0;
    time.current = currentText != nullptr ? currentText : "";
    if (Dialog_OpenModal(kModelTimeDialog, ModelTimeCallback, &time) < 0 || !time.ok)
        return 0;
    if (text != nullptr)
        *text = time.entered;
    return 1;
}
