// The simulator's state on the code generator's side: the reset to the
// initial state, and the enabling of transition instances as the evaluator
// answers it (single and batched questions, the instances' enabled and
// disabled lists, the recomputation after a step, a marking change or a
// reset). The request texts and the re-check lists are the abstract
// simulator's; this module decides what an answer means and keeps the lists.
#include "atolq/NewSim/NSMode.h"
#include "atolq/ConvertToSim/CTSResetState.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSModelTime.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/Utils/LMList.h"
#include "atolq/Utils/MemFile.h"
#include "atolq/Utils/QXMem.h"

namespace {

constexpr int kReplyEnd = 2;  // closes each answer of a batch
constexpr int kValueMark = 6; // encloses a values block or a time text

long gStartClock = 0; // the model time a reset starts from

constexpr uint32_t kRootInitialised = 1u << 4;
constexpr uint32_t kRootRunState = (1u << 16) | (1u << 17);
constexpr uint32_t kCompoundSubstituted = 32;

std::string_view str(const char* s) { return s != nullptr ? std::string_view(s) : std::string_view(); }

SERoot* rootRecord() { return SECurrentRoot(); }

// Fairness mode 2 for the fast automatic run, 1 otherwise.
int fairMode() { return ASRunOptions(rootRecord())[0] == 1 ? 2 : 1; }
bool timeOn() { return ASRunOptions(rootRecord())[2] != 0; }
bool bothForms() { return ASCodeGenOptions(rootRecord())[0] == 2; }
bool letForm(const SETrans* t) { return (t->flags & cts::kTimedMark) != 0; }
bool timed(const SETrans* t) { return (t->flags & cts::kTimedMark) != 0; }
// A timed transition asked with time on answers with its enabling time.
bool timedQuestion(const SETrans* t) { return timed(t) && timeOn(); }
// The flag of the question: the with-time option for a timed transition.
bool questionFlag(const SETrans* t) { return timed(t) ? timeOn() : true; }

void moveBetweenLists(SETrans* t, ASInstance* instance, bool enabled)
{
    se::removeValue(instance->enabled, t);
    se::removeValue(instance->disabled, t);
    se::prependValue(enabled ? instance->enabled : instance->disabled, t);
}

// The text between the first pair of value marks, false when there is none.
bool firstValue(std::string_view segment, std::string* value)
{
    const size_t open = segment.find(static_cast<char>(kValueMark));
    if (open == std::string_view::npos)
        return false;
    const size_t close = segment.find(static_cast<char>(kValueMark), open + 1);
    if (close == std::string_view::npos)
        return false;
    *value = std::string(segment.substr(open + 1, close - open - 1));
    return true;
}

// The enabling times of each timed transition's instances, by the
// transition's record id; a reset starts them afresh.
std::map<uint32_t, CTSTimeLists>& timeLists()
{
    static std::map<uint32_t, CTSTimeLists> lists;
    return lists;
}

// A timed answer sorts the instance into the transition's now or later
// list by the time it names; an untimed answer is an enabling.
int settle(SETrans* t, ASInstance* instance, bool answered, const std::string& answer)
{
    bool enabled = answered;
    if (answered && timedQuestion(t))
        enabled = CTSTimeNoteEnabling(instance, &timeLists()[t->head.id], answer.c_str()) == 1;
    moveBetweenLists(t, instance, enabled);
    return enabled ? 1 : 0;
}

int checkOne(SETrans* t, ASInstance* instance, bool fast)
{
    if (t == nullptr || t->head.kind != kSETrans) {
        EE_ReportError(kASMsgInvalidRecord);
        return 0;
    }
    if (const NSHandOverTable* newSim = NSActiveHandOvers(); newSim != nullptr && newSim->checkEnabling != nullptr) {
        const bool enabled = newSim->checkEnabling(t, instance) == 1;
        moveBetweenLists(t, instance, enabled);
        return enabled ? 1 : 0;
    }
    ASUpdateWithCode(instance);
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    const int16_t code = ASCheckEnabled(str(cts::mlName(t)), str(instance->mlName), fairMode(), questionFlag(t),
                                        reply, fast, letForm(t), bothForms());
    // A failed question (an exception, a broken link) is no answer.
    std::string answer;
    bool answered = false;
    if (code >= 0) {
        char* text = nullptr;
        const int length = ASReadBindReply(reply, &text);
        answered = length >= 0;
        if (answered)
            answer.assign(text, static_cast<size_t>(length));
        if (text != nullptr)
            QXMem_Free(text);
    }
    return settle(t, instance, answered, answer);
}

std::vector<SETrans*> pendingTransitions(const ASInstance* instance)
{
    std::vector<SETrans*> out;
    se::forEachPair(instance->pending, [&](void* t, void*) { out.push_back(static_cast<SETrans*>(t)); });
    return out;
}

template <class F> void eachInstance(F f)
{
    se::forEachRec(rootRecord()->pages, [&](SEHead* pr) {
        auto* page = reinterpret_cast<SEPage*>(pr);
        se::forEachRec(page->instances, [&](SEHead* ir) { f(page, reinterpret_cast<ASInstance*>(ir)); });
    });
}

bool hasText(const char* s) { return s != nullptr && *s != '\0'; }

bool anyPendingWork()
{
    bool pending = false;
    eachInstance([&](SEPage*, ASInstance* instance) { pending = pending || LMCount(instance->pending) != 0; });
    return pending;
}

// After the clock moved: every transition's instances that became due are
// enabled, those no longer due are not.
void resortTimeLists()
{
    se::forEachRec(rootRecord()->pages, [](SEHead* pr) {
        se::forEachRec(reinterpret_cast<SEPage*>(pr)->transitions, [](SEHead* tr) {
            auto* t = reinterpret_cast<SETrans*>(tr);
            const auto found = timeLists().find(t->head.id);
            if (found == timeLists().end())
                return;
            std::vector<std::pair<void*, bool>> moved;
            CTSTimeResort(&found->second, &moved);
            for (auto [instance, now] : moved)
                moveBetweenLists(t, static_cast<ASInstance*>(instance), now);
        });
    });
}

bool needsNoRequest(SETrans* t)
{
    if (t->compound != nullptr && (t->compound->modeFlags & kCompoundSubstituted))
        return true;
    if (hasText(t->guard) || hasText(t->time))
        return false;
    const auto withExpression = [](SEHead* r) { return hasText(reinterpret_cast<SEArc*>(r)->expression); };
    return se::findRec(t->inputArcs, withExpression) == nullptr && se::findRec(t->outputArcs, withExpression) == nullptr;
}

// A text field of fixed size, up to its first NUL.
std::string_view fieldText(const char (&field)[32]) { return std::string_view(field, strnlen(field, sizeof field)); }

bool createPrimeInstances(SERoot* root)
{
    bool ok = true;
    se::forEachRec(root->pages, [&](SEHead* r) {
        auto* page = reinterpret_cast<SEPage*>(r);
        if (!ok || !(page->flags & kSEBit0))
            return;
        se::forEachRec(page->transitions, [](SEHead* t) { reinterpret_cast<SETrans*>(t)->flags &= ~kASNoRequestMark; });
        for (int n = ASGetPrimeCount(&page->head); n > 0 && ok; --n)
            ok = ASCreateInstance(page, "", nullptr, nullptr) == 0;
    });
    return ok;
}

void sendTransitionSequence(SERoot* root)
{
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    ASBeginTransSeq();
    se::forEachRec(root->pages, [&](SEHead* pr) {
        auto* page = reinterpret_cast<SEPage*>(pr);
        se::forEachRec(page->instances, [&](SEHead* ir) {
            auto* instance = reinterpret_cast<ASInstance*>(ir);
            se::forEachRec(page->transitions, [&](SEHead* tr) {
                auto* t = reinterpret_cast<SETrans*>(tr);
                if (t->flags & kASNoRequestMark)
                    return;
                const bool timedOutput = se::findRec(t->outputArcs, [](SEHead* a) {
                                             SEPlace* p = reinterpret_cast<SEArc*>(a)->place;
                                             return p != nullptr && CTSIsTimed(&p->head) != 0;
                                         }) != nullptr;
                const bool code = ASRunOptions(root)[1] != 0 && hasText(t->code) &&
                                  (instance->modeAttributes & kASModeCode) != 0;
                ASTransSeqEntry entry{str(t->name),      instance->number,        page->name,
                                      page->pageNumber,  str(cts::mlName(t)),     str(instance->mlName),
                                      str(cts::mlName(page)), {code, timed(t), timedOutput}};
                ASAddTransSeqEntry(entry, reply);
            });
        });
    });
    MemFileReset(reply);
    ASEndTransSeq(reply);
}

void sendFairness(SERoot* root)
{
    const bool fast = ASRunOptions(root)[0] == 1;
    MemFileReset(ASReplyBuffer());
    ASSetFair(fast ? 2 : 1, ASReplyBuffer());
    ASSetTimeFair(fast ? 0 : 1, ASReplyBuffer());
}

void sendRunOptions(SERoot* root)
{
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    if (ASRandomSeed(root) == 0) {
        ASSetSeed(static_cast<int16_t>(ASSeed(root)), reply);
        std::srand(ASSeed(root));
    }
    ASForgetWithCode();
    ASSetWithCode(ASRunOptions(root)[1] != 0, reply);
    ASSetFeedback(ASRunOptions(root)[3], ASRunOptions(root)[4], reply);
    bool stops[5];
    for (int i = 0; i < 5; ++i)
        stops[i] = root->runOptions2[i] != 0;
    ASSetStopOptions(stops, fieldText(root->runTexts[0]), fieldText(root->runTexts[1]),
                     fieldText(root->runTexts[2]), fieldText(root->runTexts[3]), reply);
}

} // namespace

int CTSResetSimState()
{
    if (const NSHandOverTable* newSim = NSActiveHandOvers(); newSim != nullptr && newSim->resetState != nullptr)
        return newSim->resetState();
    SERoot* root = rootRecord();
    if (root == nullptr)
        return 0;
    CTSSetIntegerTime(CTSUseIntegerTime());
    CTSTimeInit();
    gStartClock = 0;
    MemFile* reply = ASReplyBuffer();
    if (CTSCurrentContext().timedColourSets) {
        MemFileReset(reply);
        ASResetModelTime(reply);
        if (CTSReadModelClock())
            gStartClock = CTSClockAsLong();
        MemFileReset(reply);
        ASSetWithTime(ASRunOptions(root)[2] != 0, reply);
        ASSetPrintTime(ASRunOptions(root)[2] != 0, reply);
        ASSetTimeFair(ASRunOptions(root)[0] == 1 ? 0 : 1, reply);
    }
    MemFileReset(reply);
    ASInitFusionStates(reply);
    // A reset starts from fresh instances; those of an earlier run go.
    ASDeleteAllInstances();
    if (!createPrimeInstances(root))
        return 0;
    CTSMarkNoRequestTransitions();
    sendTransitionSequence(root);
    root->flags |= kRootInitialised;
    sendFairness(root);
    sendRunOptions(root);
    if (ASStepElementList() == nullptr)
        ASStepElementList() = LMCreate(kLMPairList);
    if (cts::bindChoice(root) != 0)
        ASAutoGenStep(true);
    if (cts::bindChoice(root) != 1)
        ASAutoGenStep(false);
    root->flags &= ~kRootRunState;
    MemFileReset(reply);
    ASGenInitState(reply);
    CTSRecalcEnabling();
    return 1;
}

int16_t CTSInitState()
{
    MemFileReset(ASReplyBuffer());
    return ASInitState(CTSCurrentContext().timedColourSets != 0, ASReplyBuffer());
}

void CTSMarkNoRequestTransitions()
{
    se::forEachRec(rootRecord()->pages, [](SEHead* pr) {
        se::forEachRec(reinterpret_cast<SEPage*>(pr)->transitions, [](SEHead* tr) {
            auto* t = reinterpret_cast<SETrans*>(tr);
            if (needsNoRequest(t))
                t->flags |= kASNoRequestMark;
        });
    });
}

int CTSCheckEnabling(SETrans* transition, ASInstance* instance) { return checkOne(transition, instance, false); }

int CTSCheckEnablingFast(SETrans* transition, ASInstance* instance) { return checkOne(transition, instance, true); }

bool CTSAnswerEnabled(std::string_view answer, bool timedAnswer)
{
    if (!timedAnswer)
        return true;
    if (answer == "none")
        return false;
    void* at = CTSTimeNew();
    void* clock = CTSClockValue();
    if (at == nullptr || clock == nullptr) {
        if (at != nullptr)
            QXMem_Free(at);
        return false;
    }
    const std::string text(answer);
    bool now = false;
    if (CTSParseClock(text.c_str(), at) == 1) {
        now = CTSTimeMin(clock, at) == at;
        if (!now)
            CTSTimeNoteCandidate(nullptr, at);
    }
    QXMem_Free(at);
    return now;
}

void CTSWriteEnablingBatch(ASInstance* instance)
{
    // The with-code switch is a request of its own, so it goes first.
    ASUpdateWithCode(instance);
    ASResetRequest();
    for (SETrans* t : pendingTransitions(instance)) {
        ASWriteEnablingTest(str(cts::mlName(t)), str(instance->mlName), fairMode(), questionFlag(t), false,
                            letForm(t), bothForms());
        ASWriteReplyEnd();
    }
}

int CTSReadEnablingAnswer(SETrans* transition, ASInstance* instance, MemFile* reply)
{
    std::string segment;
    for (int c = MemFileGetc(reply);; c = MemFileGetc(reply)) {
        if (c < 0)
            return -1;
        if (c == kReplyEnd)
            break;
        segment += static_cast<char>(c);
    }
    std::string answer;
    const bool answered = firstValue(segment, &answer);
    return settle(transition, instance, answered, answer);
}

int CTSCheckEnablingBatch(ASInstance* instance)
{
    const std::vector<SETrans*> entries = pendingTransitions(instance);
    if (entries.empty()) {
        se::destroyList(instance->pending);
        return 0;
    }
    CTSWriteEnablingBatch(instance);
    se::destroyList(instance->pending);
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    const bool sent = ASSendRequest(reply) >= 0;
    int enabled = 0;
    for (SETrans* t : entries) {
        const int answer = sent ? CTSReadEnablingAnswer(t, instance, reply) : -1;
        // A failed batch stops at the failing question: ask the rest alone.
        enabled += answer >= 0 ? answer : CTSCheckEnabling(t, instance);
    }
    return enabled;
}

void CTSRecalcEnabling()
{
    if (rootRecord() == nullptr)
        return;
    CTSTimeResetNext();
    if (timeOn())
        CTSReadModelClock();
    eachInstance([](SEPage* page, ASInstance* instance) {
        se::destroyList(instance->enabled);
        se::destroyList(instance->disabled);
        se::destroyList(instance->pending);
        se::forEachRec(page->transitions, [&](SEHead* tr) {
            auto* t = reinterpret_cast<SETrans*>(tr);
            if (!(t->flags & kASNoRequestMark))
                se::appendPair(instance->pending, t, nullptr);
        });
        CTSCheckEnablingBatch(instance);
    });
    CTSTimeAdvanceIfIdle();
}

void CTSRecalcEnablingFor(int requestCode)
{
    if (rootRecord() == nullptr)
        return;
    CTSTimeResetNext();
    if (timeOn())
        CTSReadModelClock();
    ASRecheckEnabling(requestCode);
    CTSTimeAdvanceIfIdle();
}

void CTSClearTimeLists()
{
    for (auto& [id, lists] : timeLists())
        CTSTimeListsClear(&lists);
    timeLists().clear();
}

void CTSTimeAdvanceIfIdle()
{
    SERoot* root = rootRecord();
    if (root == nullptr || CTSCurrentContext().timedColourSets == 0 || !timeOn())
        return;
    if (CTSTimeIdleAhead() == 0 || anyPendingWork())
        return;
    CTSAdvanceToNextTime(ASRunOptions(root)[0]);
    resortTimeLists();
}

long CTSCurrentClock() { return CTSClockAsLong(); }

long CTSNextEnablingTime()
{
    void* next = CTSNextTimeValue();
    void* largest = CTSTimeNew();
    long out = -1;
    if (next != nullptr && largest != nullptr) {
        CTSTimeSetMax(largest);
        if (std::memcmp(next, largest, CTSTimeSize()) != 0)
            out = CTSTimeAsLong(next);
    }
    if (largest != nullptr)
        QXMem_Free(largest);
    return out;
}
