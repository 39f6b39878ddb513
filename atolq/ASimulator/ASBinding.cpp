// Manual binding: binding elements made from the values the user gives,
// completed, promoted and withdrawn through the evaluator; the re-check
// queues that keep enabling current after an occurrence; the small wrappers
// through which the simulator core asks for time, step and stop criteria.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/Utils/QXMem.h"

namespace {

int lastWithCode = -1;

using PlacePair = std::pair<SEPlace*, ASInstance*>;

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }
std::string_view nameOf(const ASInstance* i) { return orEmpty(i->mlName); }
std::string_view nameOf(const SETrans* t) { return orEmpty(cts::mlName(t)); }
SERoot* rootRecord() { return SECurrentRoot(); }

bool fastMode() { return ASRunOptions(rootRecord())[0] == 1; }
bool bothForms() { return ASCodeGenOptions(rootRecord())[0] == 2; }
bool letForm(const SETrans* t) { return (t->flags & 2u) != 0; }

// The block between the first pair of bytes 6 of the reply; false when the
// reply holds none.
bool readBlock(MemFile* reply, std::string* block)
{
    char* text = nullptr;
    const int length = ASReadBindReply(reply, &text);
    if (length < 0 || text == nullptr) {
        if (text != nullptr)
            QXMem_Free(text);
        return false;
    }
    block->assign(text, static_cast<size_t>(length));
    QXMem_Free(text);
    return true;
}

// Asks for one binding of the element's transition that completes its
// binding text; the values block of the answer.
bool bindOnce(ASBindingElement* e, int mode, std::string* block)
{
    ASInstance* instance = instanceOf(e);
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    if (ASBindTransition(nameOf(e->transition), nameOf(instance), 1, orEmpty(e->bindingText), mode,
                         letForm(e->transition), reply, fastMode(), bothForms()) < 0)
        return false;
    return readBlock(reply, block);
}

void ensureTransState(ASInstance* instance)
{
    if (instance->flags & kASTransStateSent)
        return;
    MemFileReset(ASReplyBuffer());
    ASCreateTransState(nameOf(instance), orEmpty(cts::mlName(pageOf(instance))), ASReplyBuffer());
    instance->flags |= kASTransStateSent;
}

ASBindingElement* makeProvisional(ASInstance* instance, SETrans* t, uint32_t state, const std::string& block)
{
    ASBindingElement* e =
        ASNewBindingElement(instance, t, state, block.data(), static_cast<uint32_t>(block.size()), 0);
    if (e != nullptr)
        se::pushRec(instance->provisional, &e->head);
    return e;
}

void destroyProvisional(ASInstance* instance)
{
    while (instance->provisional != nullptr && instance->provisional->first != nullptr)
        ASDeleteBindingElement(static_cast<ASBindingElement*>(instance->provisional->first));
}

// The values block collected in the shared reply buffer.
std::string collectedBlock()
{
    MemFile* reply = ASReplyBuffer();
    MemFilePutc(reply, 6);
    MemFileRewind(reply);
    std::string block;
    readBlock(reply, &block);
    return block;
}

// Binds a new or existing element: the first answer, then once more with
// mode 2; false when neither gave a binding.
bool bindElement(ASBindingElement* e)
{
    ASUpdateWithCode(instanceOf(e));
    std::string block;
    if (!bindOnce(e, 1, &block) && !bindOnce(e, 2, &block))
        return false;
    ASSetBindingValues(e, block.data(), static_cast<uint32_t>(block.size()), 0);
    return true;
}

void bindAllValues(ASBindRequest* c)
{
    const std::string block = collectedBlock();
    ASBindingElement* e = makeProvisional(c->instance, c->transition, kASProvisionalUser, block);
    c->done = 0;
    c->element = nullptr;
    if (e == nullptr)
        return;
    if (!bindElement(e)) {
        ASDeleteBindingElement(e);
        return;
    }
    c->done = 1;
    c->element = e;
}

void findBindings(ASBindRequest* c)
{
    const std::string block = collectedBlock();
    c->found = 0;
    ASBindingElement* e = makeProvisional(c->instance, c->transition, kASProvisionalFound, block);
    if (e == nullptr)
        return;
    ASUpdateWithCode(c->instance);
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    std::string first;
    if (ASBindTransition(nameOf(c->transition), nameOf(c->instance), 99999, orEmpty(e->bindingText), 2,
                         letForm(c->transition), reply, fastMode(), bothForms()) < 0 ||
        !readBlock(reply, &first)) {
        ASDeleteBindingElement(e);
        return;
    }
    ASSetBindingValues(e, first.data(), static_cast<uint32_t>(first.size()), 0);
    c->found = 1;
    for (std::string next; readBlock(reply, &next); ++c->found)
        makeProvisional(c->instance, c->transition, kASProvisionalFound, next);
}

void makeElement(ASBindRequest* c)
{
    c->element = makeProvisional(c->instance, c->transition, kASProvisionalFound, collectedBlock());
    c->done = c->element != nullptr ? 1 : 0;
}

int finish(int code, ASBindRequest* c)
{
    switch (code) {
    case 15: bindAllValues(c); return 1;
    case 16: findBindings(c); return 1;
    case 19: makeElement(c); return 1;
    default: return 0;
    }
}

bool knownCode(int code) { return code == 15 || code == 16 || code == 19; }

bool inList(const LMList* list, const void* value) { return se::containsValue(list, value); }

bool pendingHas(const ASInstance* i, const SETrans* t)
{
    bool found = false;
    se::forEachPair(i->pending, [&](void* first, void*) { found = found || first == t; });
    return found;
}

bool laterHas(const ASInstance* i, const SETrans* t)
{
    bool found = false;
    se::forEachPair(i->laterList, [&](void* first, void*) { found = found || first == t; });
    return found;
}

// The places at the transition's input (or output) arcs.
std::vector<SEPlace*> placesOf(const SETrans* t, bool inputs)
{
    std::vector<SEPlace*> places;
    se::forEachRec(inputs ? t->inputArcs : t->outputArcs, [&](SEHead* r) {
        SEPlace* p = reinterpret_cast<SEArc*>(r)->place;
        if (p != nullptr && std::find(places.begin(), places.end(), p) == places.end())
            places.push_back(p);
    });
    return places;
}

std::vector<PlacePair> toVector(const LMList* list)
{
    std::vector<PlacePair> out;
    se::forEachPair(list, [&](void* a, void* b) {
        out.emplace_back(static_cast<SEPlace*>(a), static_cast<ASInstance*>(b));
    });
    return out;
}

std::vector<PlacePair> expandedPlaces(LMList* transitionPairs, bool inputs)
{
    LMList* pairs = LMCreate(kLMPairList);
    se::forEachPair(transitionPairs, [&](void* t, void* i) {
        for (SEPlace* p : placesOf(static_cast<SETrans*>(t), inputs))
            LMAppend(pairs, p, i);
    });
    LMList* expanded = ASExpandPlaceInstances(pairs);
    std::vector<PlacePair> out = toVector(expanded);
    se::destroyList(expanded);
    se::destroyList(pairs);
    return out;
}

// Instances of a page, and the sub-instances made through a compound.
std::vector<ASInstance*> instancesOf(const SEPage* page)
{
    std::vector<ASInstance*> out;
    se::forEachRec(page->instances, [&](SEHead* r) { out.push_back(reinterpret_cast<ASInstance*>(r)); });
    return out;
}

void addReachable(const PlacePair& pair, std::vector<PlacePair>& out)
{
    // Named copies, not a structured binding: lambdas below capture them.
    SEPlace* const place = pair.first;
    ASInstance* const instance = pair.second;
    // Upward: a port takes its socket in the super-page instance.
    if (SEIsPort(&place->head) && instance->compound != nullptr && instance->parent != nullptr) {
        se::forEachPair(instance->compound->assignments, [&](void* socket, void* port) {
            if (port == place)
                out.emplace_back(static_cast<SEPlace*>(socket), instance->parent);
        });
    }
    // Downward: a socket gives its ports in the sub-instances.
    se::forEachRec(pageOf(instance)->transitions, [&](SEHead* r) {
        auto* t = reinterpret_cast<SETrans*>(r);
        if (!cts::substituted(t))
            return;
        se::forEachPair(t->compound->assignments, [&](void* socket, void* port) {
            if (socket != place)
                return;
            se::forEachValue(instance->children, [&](void* child) {
                auto* sub = static_cast<ASInstance*>(child);
                if (sub->compound == t->compound)
                    out.emplace_back(static_cast<SEPlace*>(port), sub);
            });
        });
    });
    // Fusion: every member in every instance of its page, or in this one.
    SEPlaceFusSet* set = place->fusionSet;
    if (set == nullptr)
        return;
    se::forEachValue(set->members, [&](void* value) {
        auto* member = static_cast<SEPlace*>(value);
        if (set->head.subKind == kSEFusInstance) {
            out.emplace_back(member, instance);
            return;
        }
        for (ASInstance* i : instancesOf(cts::pageOf(member)))
            out.emplace_back(member, i);
    });
}

} // namespace

void ASUpdateWithCode(const ASInstance* instance)
{
    const int effective = ASRunOptions(rootRecord())[1] != 0 && (instance->modeAttributes & kASModeCode) != 0;
    if (effective == lastWithCode)
        return;
    lastWithCode = effective;
    MemFileReset(ASReplyBuffer());
    ASSetWithCode(effective, ASReplyBuffer());
}

void ASForgetWithCode() { lastWithCode = -1; }

LMList* ASExpandPlaceInstances(LMList* pairs)
{
    std::vector<PlacePair> result;
    std::vector<PlacePair> work = toVector(pairs);
    while (!work.empty()) {
        for (const PlacePair& p : work)
            if (std::find(result.begin(), result.end(), p) == result.end())
                result.push_back(p);
        std::vector<PlacePair> reached;
        for (const PlacePair& p : work)
            addReachable(p, reached);
        work.clear();
        for (const PlacePair& p : reached)
            if (std::find(result.begin(), result.end(), p) == result.end() &&
                std::find(work.begin(), work.end(), p) == work.end())
                work.push_back(p);
    }
    LMList* out = LMCreate(kLMPairList);
    for (const PlacePair& p : result)
        LMAppend(out, p.first, p.second);
    return out;
}

int ASBeginBindingValues(int code, ASBindRequest* c)
{
    if (!knownCode(code))
        return 0;
    if (code == 16 && c->done)
        destroyProvisional(c->instance);
    MemFileReset(ASReplyBuffer());
    MemFilePutc(ASReplyBuffer(), 6);
    c->collected = 0;
    if (ASVariableCount(c->transition) == 0)
        return finish(code, c);
    return 1;
}

int ASAddBindingValue(int code, ASBindRequest* c)
{
    if (!knownCode(code))
        return 0;
    const char* value = orEmpty(c->value);
    MemFileWrite(ASReplyBuffer(), value, static_cast<uint32_t>(std::strlen(value)) + 1);
    ++c->collected;
    if (c->collected == ASVariableCount(c->transition))
        return finish(code, c);
    return 1;
}

ASBindingElement* ASRebind(ASBindingElement* e)
{
    if (bindElement(e))
        return e;
    ASDeleteBindingElement(e);
    return nullptr;
}

int ASPromoteBindingElement(ASBindingElement* e, int confirm, int refresh, int userMade, int count, int check)
{
    ASInstance* instance = instanceOf(e);
    MemFile* reply = ASReplyBuffer();
    if (count || check) {
        ASUpdateWithCode(instance);
        ensureTransState(instance);
    }
    if (userMade && e->state != kASProvisionalUser)
        return -2;
    if (count) {
        MemFileReset(reply);
        const int16_t n = ASCountCF(nameOf(e->transition), nameOf(instance), orEmpty(e->bindingText), reply);
        if (n != 1)
            return n;
    }
    if (check) {
        // A reservation the evaluator refuses is no confirmation.
        MemFileReset(reply);
        const int16_t code = ASCheckFun(nameOf(e->transition), nameOf(instance), orEmpty(e->bindingText), 1, reply);
        if (code < 0)
            return code;
    }
    if (userMade) {
        ASUnlinkElement(instance->provisional, e);
        ASInsertStep(e);
    }
    e->state = confirm ? kASConfirmed : kASChosen;
    if (refresh) {
        LMList* pairs = LMCreate(kLMPairList);
        LMAppend(pairs, e->transition, instance);
        ASQueueAffected(pairs, 1);
        se::destroyList(pairs);
    }
    return 1;
}

int ASManualBind(ASBindingElement* e)
{
    const int promoted = ASPromoteBindingElement(e, 1, 1, 1, 1, 0);
    if (promoted == 1) {
        ASRecheckEnabling(98);
        return 1;
    }
    if (promoted != -4)
        return promoted;
    ASInstance* instance = instanceOf(e);
    ASBindingElement* trial = ASNewBindingElement(instance, e->transition, kASProvisionalUser, e->values,
                                                  static_cast<uint32_t>(e->valuesLength), 0);
    if (trial == nullptr)
        return -1;
    se::pushRec(instance->provisional, &trial->head);
    std::string block;
    bool bound = false;
    for (int tries = 0; tries < ASBindTries(rootRecord()) && !bound; ++tries)
        bound = bindOnce(trial, 1, &block);
    if (!bound) {
        ASDeleteBindingElement(trial);
        return -1;
    }
    ASSetBindingValues(e, block.data(), static_cast<uint32_t>(block.size()), 0);
    ASPromoteBindingElement(e, 1, 1, 1, 0, 1);
    ASDeleteBindingElement(trial);
    ASRecheckEnabling(98);
    return 1;
}

int ASWithdrawBindingElement(ASBindingElement* e, int refresh, int onlyIfEnabled, LMList** collect)
{
    ASInstance* instance = instanceOf(e);
    SETrans* t = e->transition;
    ASUpdateWithCode(instance);
    if (onlyIfEnabled && e->state != kASConfirmed && e->state != kASChosen)
        return 0;
    MemFileReset(ASReplyBuffer());
    ASCheckFun(nameOf(t), nameOf(instance), orEmpty(e->bindingText), 2, ASReplyBuffer());
    if (!onlyIfEnabled && e->state != kASConfirmed) {
        e->state = kASWithdrawn;
    } else if (collect != nullptr) {
        // Collected elements stay in the steps list until the caller deletes them.
        se::appendValue(*collect, e);
    } else {
        ASDeleteBindingElement(e);
        if (se::count(instance->steps) == 0)
            instance->flags &= ~kASTransStateSent;
    }
    if (refresh) {
        LMList* pairs = LMCreate(kLMPairList);
        LMAppend(pairs, t, instance);
        ASQueueAffected(pairs, 2);
        se::destroyList(pairs);
    }
    return 1;
}

int ASWithdrawAndRecheck(ASBindingElement* e)
{
    ASWithdrawBindingElement(e, 1, 0, nullptr);
    return ASRecheckEnabling(99);
}

int ASRecheckEnabling(int code)
{
    SERoot* root = rootRecord();
    se::forEachRec(root->pages, [&](SEHead* pr) {
        se::forEachRec(reinterpret_cast<SEPage*>(pr)->instances, [&](SEHead* ir) {
            auto* instance = reinterpret_cast<ASInstance*>(ir);
            if (se::count(instance->pending) == 0)
                return;
            if (code == 101) {
                // One request for the whole list; the list is gone after it.
                CTSCheckEnablingBatch(instance);
                return;
            }
            std::vector<std::pair<SETrans*, int>> kept;
            se::forEachPair(instance->pending, [&](void* t, void*) {
                const int enabled = CTSCheckEnabling(static_cast<SETrans*>(t), instance) != 0;
                switch (code) {
                case 97: kept.emplace_back(static_cast<SETrans*>(t), enabled); break;
                case 98: if (!enabled) kept.emplace_back(static_cast<SETrans*>(t), 0); break;
                case 99: if (enabled) kept.emplace_back(static_cast<SETrans*>(t), 1); break;
                default: break;
                }
            });
            se::destroyList(instance->pending);
            for (auto [t, flag] : kept)
                se::appendPair(instance->pending, t, reinterpret_cast<void*>(static_cast<uintptr_t>(flag)));
        });
    });
    return 1;
}

int ASQueueAffected(LMList* pairs, int mode)
{
    for (const PlacePair& pair : expandedPlaces(pairs, mode != 3)) {
        SEPlace* const place = pair.first;
        ASInstance* const instance = pair.second;
        se::forEachValue(place->outputArcs, [&](void* value) {
            auto* t = cts::transOf(static_cast<SEArc*>(value));
            if (t == nullptr || (t->flags & kASNoRequestMark) || pendingHas(instance, t))
                return;
            if (mode == 1 && inList(instance->disabled, t))
                return;
            if ((mode == 2 || mode == 3) && !inList(instance->disabled, t) && !laterHas(instance, t))
                return;
            se::appendPair(instance->pending, t, nullptr);
        });
    }
    return 1;
}

int ASMarkChangedPlaces(LMList* pairs)
{
    for (auto [place, instance] : expandedPlaces(pairs, true))
        if (!inList(instance->markList, place))
            se::appendValue(instance->markList, place);
    return 1;
}

int ASHasBindingElement(SETrans* t, ASInstance* instance)
{
    if (inList(instance->enabled, t))
        return 1;
    return se::findRec(instance->steps, [&](SEHead* r) {
               return reinterpret_cast<ASBindingElement*>(r)->transition == t;
           }) != nullptr
               ? 1
               : 0;
}

int ASDropRecheckLists()
{
    se::forEachRec(rootRecord()->pages, [](SEHead* pr) {
        se::forEachRec(reinterpret_cast<SEPage*>(pr)->instances,
                       [](SEHead* ir) { se::destroyList(reinterpret_cast<ASInstance*>(ir)->pending); });
    });
    return 1;
}

int ASClearTransStateMarks()
{
    se::forEachRec(rootRecord()->pages, [](SEHead* pr) {
        se::forEachRec(reinterpret_cast<SEPage*>(pr)->instances,
                       [](SEHead* ir) { reinterpret_cast<ASInstance*>(ir)->flags &= ~kASTransStateSent; });
    });
    return 1;
}

int ASStopCriteriaMet()
{
    MemFileReset(ASReplyBuffer());
    std::string text;
    ASTestStopCriteria(&text, ASReplyBuffer());
    return text == "0" ? 0 : 1;
}

int16_t ASRequestCurStep(long step)
{
    MemFileReset(ASReplyBuffer());
    ASSetCurStep(std::to_string(step), ASReplyBuffer());
    return 1;
}

std::string ASRequestModelTimeText()
{
    MemFileReset(ASReplyBuffer());
    std::string text;
    ASGetModelTimeText(&text, ASReplyBuffer());
    return text;
}

std::string ASRequestStep()
{
    MemFileReset(ASReplyBuffer());
    std::string text;
    ASGetStep(&text, ASReplyBuffer());
    return text;
}

void ASReportOccurrence(ASBindingElement* e)
{
    SERoot* root = rootRecord();
    const bool stepLine = ASRunOptions(root)[3] != 0;
    const bool bindingLine = ASRunOptions(root)[4] != 0;
    if (!stepLine && !bindingLine)
        return;
    ASInstance* instance = instanceOf(e);
    const SEPage* page = pageOf(instance);
    std::string step, time, transition, binding;
    const bool timed = ASRunOptions(root)[2] != 0;
    if (stepLine) {
        step = ASRequestStep();
        if (timed)
            time = ASRequestModelTimeText();
        const char* name = e->transition->name != nullptr && *e->transition->name != '\0' ? e->transition->name
                                                                                            : "***";
        transition = std::string(name) + "@(" + std::to_string(instance->number) + ":" + orEmpty(page->name) + "#" +
                     std::to_string(page->pageNumber) + ")";
    }
    if (bindingLine)
        binding = ASBindingDisplayText(e);
    MemFileReset(ASReplyBuffer());
    ASWriteReportLine(stepLine, bindingLine, step, stepLine && timed ? time.c_str() : nullptr, transition, binding,
                      ASReplyBuffer());
}

// ---- user elements, withdrawing and the small wrappers ----

namespace {

std::vector<ASBindingElement*> elementsOf(ASInstance* instance, SETrans* t, uint32_t state)
{
    std::vector<ASBindingElement*> out;
    se::forEachRec(instance->steps, [&](SEHead* r) {
        auto* e = reinterpret_cast<ASBindingElement*>(r);
        if ((t == nullptr || e->transition == t) && (state == 0 || e->state == state))
            out.push_back(e);
    });
    return out;
}

bool withdrawingAllowed() { return (rootRecord()->flags & kASRootNoOccSet) != 0; }

// Withdraws the elements, deleting them afterwards; the first is refreshed.
void withdrawCollected(const std::vector<ASBindingElement*>& elements, bool refreshAll)
{
    LMList* collect = nullptr;
    bool first = true;
    for (ASBindingElement* e : elements) {
        ASWithdrawBindingElement(e, first || refreshAll, 1, &collect);
        first = false;
    }
    std::vector<ASBindingElement*> doomed;
    se::forEachValue(collect, [&](void* v) { doomed.push_back(static_cast<ASBindingElement*>(v)); });
    se::destroyList(collect);
    for (ASBindingElement* e : doomed) {
        ASInstance* instance = instanceOf(e);
        ASDeleteBindingElement(e);
        if (se::count(instance->steps) == 0)
            instance->flags &= ~kASTransStateSent;
    }
}

} // namespace

ASBindingElement* ASMakeUserBindingElement(ASBindRequest* c)
{
    return makeProvisional(c->instance, c->transition, kASProvisionalUser, collectedBlock());
}

int ASResetTransitionBindings(SETrans* t, ASInstance* instance)
{
    if (!withdrawingAllowed())
        return 0;
    for (ASBindingElement* e : elementsOf(instance, t, 0)) {
        if (e->state == kASConfirmed)
            e->state = kASChosen;
        else if (e->state == kASWithdrawn)
            ASDeleteBindingElement(e);
    }
    if (se::count(instance->steps) == 0)
        instance->flags &= ~kASTransStateSent;
    destroyProvisional(instance);
    return 1;
}

int ASUnchooseTransition(SETrans* t, ASInstance* instance)
{
    if (!withdrawingAllowed())
        return 0;
    withdrawCollected(elementsOf(instance, t, kASConfirmed), false);
    bool first = true;
    for (ASBindingElement* e : elementsOf(instance, t, kASWithdrawn)) {
        ASPromoteBindingElement(e, 0, first, 0, 0, 1);
        first = false;
    }
    destroyProvisional(instance);
    return ASRecheckEnabling(97);
}

int ASWithdrawAll()
{
    std::vector<ASBindingElement*> elements;
    se::forEachRec(rootRecord()->pages, [&](SEHead* pr) {
        se::forEachRec(reinterpret_cast<SEPage*>(pr)->instances, [&](SEHead* ir) {
            for (ASBindingElement* e : elementsOf(reinterpret_cast<ASInstance*>(ir), nullptr, 0))
                if (e->state == kASConfirmed || e->state == kASChosen)
                    elements.push_back(e);
        });
    });
    withdrawCollected(elements, true);
    return ASRecheckEnabling(97);
}

int ASRequestOutputOn()
{
    MemFileReset(ASReplyBuffer());
    ASOutputOn(ASReplyBuffer());
    return 1;
}

int ASRequestOutputOff()
{
    MemFileReset(ASReplyBuffer());
    ASOutputOff(ASReplyBuffer());
    return 1;
}

int16_t ASRequestWithTime(int flag)
{
    MemFileReset(ASReplyBuffer());
    return ASSetWithTime(flag, ASReplyBuffer());
}

int16_t ASRequestPrintTime(int flag)
{
    MemFileReset(ASReplyBuffer());
    return ASSetPrintTime(flag, ASReplyBuffer());
}

int16_t ASRequestResetSteps()
{
    MemFileReset(ASReplyBuffer());
    return ASResetStepCounters(ASReplyBuffer());
}

int16_t ASSendTimeType()
{
    MemFileReset(ASReplyBuffer());
    return ASSetTimeType(ASCodeGenOptions(rootRecord())[1] == 4 ? 0 : 1, ASReplyBuffer());
}

int16_t ASSendStartTime()
{
    // The start-time text stands in the sibling tool's settings from entry 46 on.
    const int32_t* words = rootRecord()->analysisOptions + 46;
    const size_t room = sizeof(int32_t) * (64 - 46);
    const auto* bytes = reinterpret_cast<const char*>(words);
    const std::string text(bytes, strnlen(bytes, room));
    MemFileReset(ASReplyBuffer());
    return ASSetStartTime(1, text.empty() ? "0" : text, ASReplyBuffer());
}
