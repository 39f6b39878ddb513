// The newer simulator's requests of class 500: the page instances built from
// the evaluator's answer, the state reset, enabling and marking questions,
// marking and time changes, the report, and the automatic run, whose message
// stays outstanding until its reply is collected.
#include "atolq/NewSim/NSSimulator.h"

#include <cstring>
#include <memory>
#include <string>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASRecords.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/ConvertToSim/CTSBindCode.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/NewSim/NSCharts.h"
#include "atolq/NewSim/NSDeclaration.h"
#include "atolq/NewSim/NSOptions.h"
#include "atolq/NewSim/NSSmlGlue.h"
#include "atolq/NewSim/NSSyntaxCheck.h"

namespace {

constexpr int32_t kClassSimulator = 500;
constexpr int32_t kCodeInstances = 1;
constexpr int32_t kCodeRun = 11;
constexpr int32_t kCodeReset = 21;
constexpr int32_t kCodeChangeMarking = 22;
constexpr int32_t kCodeChangeTime = 23;
constexpr int32_t kCodeMarkingText = 31;
constexpr int32_t kCodeTokenCount = 32;
constexpr int32_t kCodeEnabling = 35;
constexpr int32_t kCodeSaveReport = 41;
constexpr int32_t kCodeClearReport = 42;
constexpr int32_t kClassCheck = 400;
constexpr int32_t kCodeCheckMarking = 3;
constexpr int kFailed = -4;
constexpr int16_t kMsgOutOfMemory = 11266;
constexpr uint32_t kRootInitialised = 1u << 4;
constexpr uint32_t kRootRunState = 0x30000;
constexpr uint32_t kRootChartsChanged = 1u << 28;

// The message of the automatic run while its reply is outstanding.
std::unique_ptr<NSMessage>& pendingRun()
{
    static std::unique_ptr<NSMessage> message;
    return message;
}

std::unique_ptr<NSMessage> request(int32_t requestClass, int32_t code)
{
    auto message = NSMsgNew(requestClass);
    NSMsgAddInt(message.get(), code);
    return message;
}

// A request about one record in one instance: i: 1, the instance number;
// t: the record's ML number.
std::unique_ptr<NSMessage> instanceRequest(int32_t code, SEHead* record, const ASInstance* instance)
{
    auto message = request(kClassSimulator, code);
    NSMsgAddInt(message.get(), 1);
    NSMsgAddInt(message.get(), instance != nullptr ? instance->number : 0);
    NSMsgAddString(message.get(), NSMLNumberOf(record).c_str());
    return message;
}

int simpleCall(int32_t requestClass, int32_t code)
{
    auto message = request(requestClass, code);
    return NSMsgCall(message.get());
}

std::string orEmpty(const char* text) { return text != nullptr ? text : ""; }

ASInstance* instanceNumbered(SEPage* page, int32_t number)
{
    return reinterpret_cast<ASInstance*>(se::findRec(page->instances, [&](SEHead* r) {
        return reinterpret_cast<ASInstance*>(r)->number == number;
    }));
}

// A new instance record of the page: the next number, a numeric name of its
// own, its display text, and for a subpage instance its super instance and
// substitution.
ASInstance* makeInstance(SEPage* page, ASInstance* parent, SETrans* substitution)
{
    auto* instance = reinterpret_cast<ASInstance*>(se::newRecord(kSEPageInstance));
    if (instance == nullptr)
        EE_FatalError(kMsgOutOfMemory);
    instance->head.subKind = kASInstanceSubKind;
    instance->head.owner = &page->head;
    instance->parent = parent;
    instance->compound = substitution != nullptr ? substitution->compound : nullptr;
    uint16_t length = 0;
    instance->mlName = CTSNewNumberName(&length, 0);
    if (instance->mlName == nullptr)
        EE_FatalError(kMsgOutOfMemory);
    instance->mlNameLength = length;
    instance->number = se::count(page->instances) + 1;
    instance->modeAttributes = ASEffectiveMode(instance);
    std::string text = "(" + std::to_string(instance->number) + ":" + orEmpty(page->name) + "#" +
                       std::to_string(page->pageNumber) + ")";
    if (parent != nullptr) {
        const std::string name = substitution != nullptr && substitution->name != nullptr && *substitution->name != '\0'
                                     ? substitution->name
                                     : "***";
        text += "  " + name + "@" + orEmpty(parent->text);
    }
    instance->text = se::copyText(text.c_str());
    se::appendRec(page->instances, &instance->head);
    if (parent != nullptr)
        se::prependValue(parent->children, instance);
    return instance;
}

// One page of the instance answer: t: its ML number; i: the instance count;
// per instance s: the subpage flag, with t: the super page, t: the
// substitution and i: the super instance when set.
bool readPageInstances(NSMessage* answer)
{
    SEHead* record = nullptr;
    if (NSRecordOfMLNumber(answer, &record) == 0 || record->kind != kSEPage)
        return false;
    auto* page = reinterpret_cast<SEPage*>(record);
    int32_t count = 0;
    if (NSMsgGetInt(answer, &count) == 0 || count < 0)
        return false;
    for (int32_t k = 0; k < count; ++k) {
        int32_t subpage = 0;
        if (NSMsgGetShort(answer, &subpage) == 0)
            return false;
        if (subpage == 0) {
            makeInstance(page, nullptr, nullptr);
            continue;
        }
        SEHead* superPage = nullptr;
        SEHead* substitution = nullptr;
        int32_t superNumber = 0;
        if (NSRecordOfMLNumber(answer, &superPage) == 0 || superPage->kind != kSEPage ||
            NSRecordOfMLNumber(answer, &substitution) == 0 || substitution->kind != kSETrans ||
            NSMsgGetInt(answer, &superNumber) == 0)
            return false;
        ASInstance* parent = instanceNumbered(reinterpret_cast<SEPage*>(superPage), superNumber);
        if (parent == nullptr)
            return false;
        makeInstance(page, parent, reinterpret_cast<SETrans*>(substitution));
    }
    return true;
}

bool readInstances(NSMessage* answer)
{
    int32_t pages = 0;
    if (NSMsgGetInt(answer, &pages) == 0 || pages < 0)
        return false;
    for (int32_t i = 0; i < pages; ++i)
        if (!readPageInstances(answer))
            return false;
    return true;
}

void progress(ProgressCallback callback, const char* text)
{
    if (callback == nullptr)
        return;
    int goOn = 1;
    ProgressRecord record{text, 0, {0, 0, 0, 0, 0}};
    callback(&goOn, &record);
}

} // namespace

std::string NSStartTimeText()
{
    const SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return "0";
    std::string text(root->codeGenText, strnlen(root->codeGenText, sizeof root->codeGenText));
    return text.empty() ? "0" : text;
}

void NSDeleteInstances()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    se::forEachRec(root->pages, [](SEHead* r) {
        auto* page = reinterpret_cast<SEPage*>(r);
        while (page->instances != nullptr && page->instances->first != nullptr)
            ASDiscardInstance(static_cast<ASInstance*>(page->instances->first));
    });
}

int NSCreateInstances(ProgressCallback callback)
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr || CTSAnyUnchecked())
        return 0;
    progress(callback, "Creating Instances");
    auto message = request(kClassSimulator, kCodeInstances);
    const bool answered = NSMsgCall(message.get()) != 0;
    // Instances of an earlier switch go; the answer names every one anew.
    NSDeleteInstances();
    const bool built = answered && readInstances(message.get());
    progress(callback, nullptr);
    if (!built) {
        NSDeleteInstances();
        return 0;
    }
    CTSDropBindEntries();
    if ((root->flags & kRootChartsChanged) != 0) {
        if (NSChartsToUpdate() == 0)
            return 0;
        root->flags &= ~kRootChartsChanged;
    }
    if (NSSendCharts() == 0)
        return 0;
    cts::savedCounter(root) = CTSNameCounter();
    return 1;
}

int NSResetState()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    root->flags |= kRootInitialised;
    root->flags &= ~kRootRunState;
    if (ASStepElementList() == nullptr)
        ASStepElementList() = LMCreate(kLMPairList);
    NSShown().step = "0";
    NSShown().time = NSStartTimeText();
    NSSendRunOptions();
    NSSendSeed();
    return simpleCall(kClassSimulator, kCodeReset) != 0 ? 1 : 0;
}

int NSCheckEnabling(SETrans* transition, ASInstance* instance)
{
    auto message = instanceRequest(kCodeEnabling, &transition->head, instance);
    int32_t verdict = 0;
    if (NSMsgCall(message.get()) == 0 || NSMsgGetShort(message.get(), &verdict) == 0)
        return kFailed;
    return verdict;
}

int NSPlaceMarkingText(SEPlace* place, ASInstance* instance, std::string* text)
{
    auto message = instanceRequest(kCodeMarkingText, &place->head, instance);
    int32_t count = 0;
    std::string marking;
    if (NSMsgCall(message.get()) == 0 || NSMsgGetString(message.get(), &marking) == 0 ||
        NSMsgGetInt(message.get(), &count) == 0)
        return kFailed;
    if (text != nullptr)
        *text = marking;
    return count;
}

int NSPlaceTokenCount(SEPlace* place, ASInstance* instance)
{
    auto message = instanceRequest(kCodeTokenCount, &place->head, instance);
    int32_t count = 0;
    if (NSMsgCall(message.get()) == 0 || NSMsgGetInt(message.get(), &count) == 0)
        return kFailed;
    return count;
}

int NSCheckMarkingText(SEPlace* place, const char* text)
{
    auto message = request(kClassCheck, kCodeCheckMarking);
    NSMsgAddString(message.get(), text);
    NSMsgAddString(message.get(), place != nullptr ? place->colourSet : nullptr);
    int32_t verdict = 0;
    if (NSMsgCall(message.get()) == 0 || NSMsgGetShort(message.get(), &verdict) == 0)
        return 0;
    return verdict;
}

void NSChangeMarking(SEPlace* place, ASInstance* instance, int flag)
{
    auto message = request(kClassSimulator, kCodeChangeMarking);
    NSMsgAddInt(message.get(), 1);
    NSMsgAddInt(message.get(), instance != nullptr ? instance->number : 0);
    NSMsgAddShort(message.get(), flag);
    NSMsgAddString(message.get(), NSMLNumberOf(&place->head).c_str());
    NSMsgCall(message.get());
}

void NSChangeModelTime(const char* time)
{
    auto message = request(kClassSimulator, kCodeChangeTime);
    NSMsgAddString(message.get(), time);
    NSMsgCall(message.get());
}

int NSSaveReport(const char* file)
{
    auto message = request(kClassSimulator, kCodeSaveReport);
    NSMsgAddString(message.get(), file);
    return NSMsgCall(message.get());
}

int NSClearReport() { return simpleCall(kClassSimulator, kCodeClearReport); }

int NSStartRun(int wait)
{
    pendingRun() = request(kClassSimulator, kCodeRun);
    if (wait != 0)
        return NSMsgCall(pendingRun().get());
    if (NSMsgSend(pendingRun().get()) == 0) {
        pendingRun().reset();
        return 0;
    }
    return 1;
}

int NSRunPending() { return pendingRun() != nullptr && !pendingRun()->replied ? 1 : 0; }

int NSPollRun()
{
    if (!NSRunPending())
        return 0;
    return NSMsgReceive(pendingRun().get());
}

int NSMsgAwaitReply()
{
    if (pendingRun() == nullptr)
        return 0;
    if (pendingRun()->replied)
        return pendingRun()->status;
    return NSMsgReceiveWaiting(pendingRun().get());
}

int NSRunResult(std::string* step, std::string* time, std::string* message)
{
    if (pendingRun() == nullptr)
        return 0;
    std::string texts[3];
    int read = 0;
    while (read < 3 && NSMsgGetString(pendingRun().get(), &texts[read]) != 0)
        ++read;
    pendingRun().reset();
    if (read < 3)
        return 0;
    if (step != nullptr)
        *step = texts[0];
    if (time != nullptr)
        *time = texts[1];
    if (message != nullptr)
        *message = texts[2];
    return 1;
}

int NSRunStepCount()
{
    int32_t value = 0;
    if (pendingRun() == nullptr || NSMsgGetInt(pendingRun().get(), &value) == 0)
        return 0;
    return value;
}

namespace {

int syntaxCheckHandOver(int (*reporter)(uint32_t, const char*, MemFile*), int refuseTransitionFusion,
                        ProgressCallback progress, void* configuration)
{
    return NSSyntaxCheck(reporter, refuseTransitionFusion, progress, reinterpret_cast<CTSConfigFn>(configuration));
}

} // namespace

void NSInstallHandOvers()
{
    NSHandOverTable& table = NSHandOvers();
    table.syntaxCheck = syntaxCheckHandOver;
    table.createInstances = NSCreateInstances;
    table.resetState = NSResetState;
    table.checkEnabling = NSCheckEnabling;
    table.markingText = NSPlaceMarkingText;
    table.tokenCount = NSPlaceTokenCount;
    table.deleteInstances = NSDeleteInstances;
}
