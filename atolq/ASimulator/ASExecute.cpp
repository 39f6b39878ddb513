// Step execution: the chosen binding elements are executed all at once or
// one transition per substep, the evaluator is told which transitions
// occurred, and enabling is refreshed at the end of the step. Also the
// marking queries and changes of the interactive simulator.
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/QXMem.h"

namespace {

struct ExecutionCursor {
    ASCodeOutput codeOutput = nullptr;
    SEPage* page = nullptr;
    ASInstance* instance = nullptr;
    ASBindingElement* element = nullptr;
    ASBindingElement* firstExecuted = nullptr;
    ASBindingElement* lastExecuted = nullptr;
    LMList* executedPairs = nullptr;
};
ExecutionCursor cursor;

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }
SERoot* rootRecord() { return SECurrentRoot(); }
std::string_view nameOf(const ASInstance* i) { return orEmpty(i->mlName); }
std::string_view nameOf(const SETrans* t) { return orEmpty(cts::mlName(t)); }

bool substepsShown()
{
    const int32_t display = rootRecord()->displayOptions[3];
    return display == 0 || display == 1;
}

bool codeRuns(const SETrans* t, const ASInstance* i)
{
    return ASRunOptions(rootRecord())[1] != 0 && t->code != nullptr && *t->code != '\0' &&
           (i->modeAttributes & kASModeCode) != 0;
}

bool timedOutput(SETrans* t)
{
    return se::findRec(t->outputArcs, [](SEHead* r) {
               SEPlace* p = reinterpret_cast<SEArc*>(r)->place;
               return p != nullptr && CTSIsTimed(&p->head) != 0;
           }) != nullptr;
}

// Instances of a page, oldest first.
std::vector<ASInstance*> oldestFirst(const SEPage* page)
{
    std::vector<ASInstance*> out;
    se::forEachRec(page->instances, [&](SEHead* r) { out.insert(out.begin(), reinterpret_cast<ASInstance*>(r)); });
    return out;
}

std::vector<SEPage*> pages()
{
    std::vector<SEPage*> out;
    se::forEachRec(rootRecord()->pages, [&](SEHead* r) { out.push_back(reinterpret_cast<SEPage*>(r)); });
    return out;
}

ASBindingElement* firstElement(const ASInstance* i)
{
    return i->steps != nullptr ? static_cast<ASBindingElement*>(i->steps->first) : nullptr;
}

ASBindingElement* nextElement(const ASBindingElement* e)
{
    return static_cast<ASBindingElement*>(reinterpret_cast<const LMLink*>(&e->head)->next);
}

// Places the cursor on the first element of the first instance, in
// execution order, that follows the given one (from the start for none).
void seekAfter(const ASInstance* after)
{
    bool passed = after == nullptr;
    for (SEPage* p : pages()) {
        for (ASInstance* i : oldestFirst(p)) {
            if (!passed) {
                passed = i == after;
                continue;
            }
            if (firstElement(i) != nullptr) {
                cursor.page = p;
                cursor.instance = i;
                cursor.element = firstElement(i);
                return;
            }
        }
    }
    cursor.page = nullptr;
    cursor.instance = nullptr;
    cursor.element = nullptr;
}

// Executes the substep that starts at e; the code of a failure, else 0. The
// element after the substep through next.
int executeSubstep(ASInstance* i, ASBindingElement* e, ASBindingElement** next, ASBindingElement** failed)
{
    SETrans* t = e->transition;
    // Every substep's transition, also within a whole step, so that the
    // places around each one are redrawn (transition first).
    LMAppend(ASStepElementList(), t, i);
    for (; e != nullptr && e->transition == t; e = nextElement(e)) {
        if (cursor.firstExecuted == nullptr) {
            LMAppend(cursor.executedPairs, i, t);
            cursor.firstExecuted = e;
        }
        cursor.lastExecuted = e;
        e->state = kASExecuted;
        if (timedOutput(t) || codeRuns(t, i)) {
            int16_t code = 0;
            if (!ASExecuteElement(e, &code)) {
                *failed = e;
                *next = nullptr;
                return code < 0 ? code : -5;
            }
        }
    }
    *next = e;
    return 0;
}

void reportFailure(ASBindingElement* e, ASInstance** instance, uint32_t* object)
{
    if (instance != nullptr)
        *instance = instanceOf(e);
    if (object != nullptr)
        *object = e->transition->kvObject;
}

void queuePairs(LMList* pairs) { ASQueueAffected(pairs, 3); }

std::string colourSetOf(const SEPlace* p)
{
    SERoot* root = rootRecord();
    if (root->declHashTable != nullptr && p->colourSet != nullptr) {
        auto* entry = static_cast<SETableEntry*>(HashLookup(root->declHashTable, p->colourSet));
        if (entry != nullptr && entry->key != nullptr)
            return entry->key;
    }
    return orEmpty(p->colourSet);
}

bool timedPlace(SEPlace* p) { return CTSIsTimed(&p->head) != 0; }

} // namespace

int ASBeginExecution(ASCodeOutput output)
{
    cursor.codeOutput = output;
    cursor.firstExecuted = cursor.lastExecuted = nullptr;
    seekAfter(nullptr);
    ASPendingGranularity() = -2;
    return 1;
}

int ASExecuteElement(ASBindingElement* e, int16_t* code)
{
    ASInstance* i = instanceOf(e);
    SETrans* t = e->transition;
    MemFile* reply = ASReplyBuffer();
    if (codeRuns(t, i)) {
        MemFileReset(reply);
        const int16_t r = ASCallArcFun(nameOf(t), nameOf(i), orEmpty(e->bindingText), reply);
        if (r >= 0) {
            char* block = nullptr;
            const int length = ASReadBindReply(reply, &block);
            if (length >= 0 && block != nullptr)
                ASSetBindingValues(e, block, static_cast<uint32_t>(length), 0);
            if (block != nullptr)
                QXMem_Free(block);
            MemFileRewind(reply);
        }
        if (cursor.codeOutput != nullptr)
            cursor.codeOutput(reply, t->kvObject, i);
        if (r != 0) {
            *code = r;
            return 0;
        }
    }
    MemFileReset(reply);
    const int16_t r = ASCallTransArcFun(nameOf(t), nameOf(i), orEmpty(e->bindingText), reply);
    *code = r;
    return r == 0 ? 1 : 0;
}

int ASExecuteStep(ASInstance** failedInstance, uint32_t* failedObject, int* result)
{
    se::destroyList(cursor.executedPairs);
    cursor.executedPairs = LMCreate(kLMPairList);
    se::destroyList(ASStepElementList());
    ASStepElementList() = LMCreate(kLMPairList);
    SERoot* root = rootRecord();
    if (substepsShown() && cursor.page != nullptr && ASStepGranularity(root) != 4) {
        *result = 0;
        if (ASStepGranularity(root) != 1)
            return 1;
        cursor.firstExecuted = cursor.lastExecuted = nullptr;
        ASBindingElement* next = nullptr;
        ASBindingElement* failed = nullptr;
        const int code = executeSubstep(cursor.instance, cursor.element, &next, &failed);
        if (code < 0) {
            reportFailure(failed, failedInstance, failedObject);
            *result = code;
            return 0;
        }
        if (next != nullptr) {
            cursor.element = next;
        } else {
            seekAfter(cursor.instance);
        }
        *result = cursor.page == nullptr ? 1 : 0;
        return 1;
    }
    int code = 0;
    for (SEPage* p : pages()) {
        for (ASInstance* i : oldestFirst(p)) {
            ASBindingElement* e = firstElement(i);
            while (e != nullptr) {
                ASBindingElement* failed = nullptr;
                const int r = executeSubstep(i, e, &e, &failed);
                if (r < 0) {
                    reportFailure(failed, failedInstance, failedObject);
                    code = r;
                    break;
                }
            }
        }
        if (code < 0)
            break;
    }
    cursor.page = nullptr;
    *result = code < 0 ? code : 1;
    return code < 0 ? 0 : 1;
}

void ASSendOccurrenceSet()
{
    SERoot* root = rootRecord();
    MemFile* reply = ASReplyBuffer();
    if (substepsShown() && ASStepGranularity(root) != 4) {
        if (ASStepGranularity(root) != 1 || cursor.firstExecuted == nullptr)
            return;
        ASBindingElement* first = cursor.firstExecuted;
        ASInstance* i = instanceOf(first);
        MemFileReset(reply);
        ASOccur(nameOf(first->transition), nameOf(i), reply);
        for (ASBindingElement* e = first; e != nullptr; e = nextElement(e)) {
            e->state = kASInOccurrenceSet;
            ASReportOccurrence(e);
            if (e == cursor.lastExecuted)
                break;
        }
        LMList* pairs = LMCreate(kLMPairList);
        LMAppend(pairs, first->transition, i);
        queuePairs(pairs);
        se::destroyList(pairs);
        return;
    }
    LMList* pairs = LMCreate(kLMPairList);
    for (SEPage* p : pages()) {
        for (ASInstance* i : oldestFirst(p)) {
            for (ASBindingElement* e = firstElement(i); e != nullptr;) {
                SETrans* t = e->transition;
                MemFileReset(reply);
                ASOccur(nameOf(t), nameOf(i), reply);
                ASReportOccurrence(e);
                for (; e != nullptr && e->transition == t; e = nextElement(e))
                    e->state = kASInOccurrenceSet;
                LMPrepend(pairs, t, i);
            }
        }
    }
    queuePairs(pairs);
    se::destroyList(pairs);
}

int ASRefreshEnabling()
{
    CTSRecalcEnablingFor(101);
    ASClearTransStateMarks();
    SERoot* root = rootRecord();
    se::forEachRec(root->pages, [](SEHead* r) { ASClearStepElements(reinterpret_cast<SEPage*>(r)); });
    LMList*& deferred = ASDeferredModeChanges();
    se::forEachPair(deferred, [](void* record, void* value) {
        auto* head = static_cast<SEHead*>(record);
        const auto word = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value));
        if (head->kind == kSEPage) {
            auto* page = reinterpret_cast<SEPage*>(head);
            page->modeFlags = word;
            se::forEachRec(page->instances, [](SEHead* ir) {
                auto* i = reinterpret_cast<ASInstance*>(ir);
                i->modeAttributes = ASEffectiveMode(i);
            });
        } else if (head->kind == kSETrans && reinterpret_cast<SETrans*>(head)->compound != nullptr) {
            SECompound* compound = reinterpret_cast<SETrans*>(head)->compound;
            compound->modeFlags = word;
            if (compound->subpage != nullptr)
                se::forEachRec(compound->subpage->instances, [&](SEHead* ir) {
                    auto* i = reinterpret_cast<ASInstance*>(ir);
                    if (i->compound == compound)
                        i->modeAttributes = ASEffectiveMode(i);
                });
        }
    });
    se::destroyList(deferred);
    if (ASPendingGranularity() >= 0)
        ASSetStepGranularity(root, static_cast<uint16_t>(ASPendingGranularity()));
    if (ASObservationDeferred()) {
        ASObservationMode(root) = 1;
        ASObservationDeferred() = false;
    }
    ASPendingGranularity() = -1;
    return 1;
}

int ASStepIsEmpty()
{
    for (SEPage* p : pages())
        for (ASInstance* i : oldestFirst(p))
            if (se::count(i->steps) != 0)
                return 0;
    return 1;
}

void ASResetReplyBuffer() { MemFileReset(ASReplyBuffer()); }

int ASIsCandidate(SETrans* t, ASInstance* i)
{
    if (ASRunOptions(rootRecord())[2] != 0 && (t->flags & 2u) != 0) {
        bool found = false;
        se::forEachPair(i->candidates, [&](void* first, void*) { found = found || first == t; });
        if (found)
            return 1;
    }
    return se::containsValue(i->enabled, t) ? 1 : 0;
}

int ASQueryPlaceTokens(SEPlace* place, ASInstance* instance, std::string* text)
{
    ASResetReplyBuffer();
    uint32_t count = 0;
    if (ASGetPlaceTokens(colourSetOf(place), place, nameOf(instance), &count, text, ASReplyBuffer()) < 0)
        return -4;
    return 0;
}

int ASQueryPlaceTokenCount(SEPlace* place, ASInstance* instance)
{
    ASResetReplyBuffer();
    uint32_t count = 0;
    if (ASCountPlaceTokens(place, nameOf(instance), &count, timedPlace(place), ASReplyBuffer()) < 0)
        return -4;
    return static_cast<int>(count > 0x7fffffffu ? 0x7fffffffu : count);
}

namespace {

int arcQueryRefusal(SEArc* arc, ASInstance* instance, int force)
{
    if (!(instance->flags & kASTransStateSent))
        return 0;
    if ((arc->flags & 1u) && codeRuns(cts::transOf(arc), instance) && !force)
        return -1;
    return 1;
}

} // namespace

int ASQueryArcTokens(SEArc* arc, ASInstance* instance, std::string* text, int force)
{
    const int refusal = arcQueryRefusal(arc, instance, force);
    if (refusal != 1)
        return refusal;
    ASResetReplyBuffer();
    uint32_t count = 0;
    if (ASGetArcTokens(orEmpty(cts::mlName(arc)), nameOf(instance), colourSetOf(arc->place), &count, text,
                       ASReplyBuffer()) < 0)
        return -4;
    return 1;
}

int ASQueryArcTokenCount(SEArc* arc, ASInstance* instance, int force)
{
    const int refusal = arcQueryRefusal(arc, instance, force);
    if (refusal != 1)
        return refusal;
    ASResetReplyBuffer();
    uint32_t count = 0;
    if (ASCountArcTokens(orEmpty(cts::mlName(arc)), nameOf(instance), &count, timedPlace(arc->place),
                         ASReplyBuffer()) < 0)
        return -4;
    return static_cast<int>(count > 0x7fffffffu ? 0x7fffffffu : count);
}

int ASChangeMarking(SEPlace* place, ASInstance*, const char* text)
{
    const bool empty = text == nullptr || *text == '\0';
    const bool timed = timedPlace(place);
    const std::string cs = colourSetOf(place);
    ASResetReplyBuffer();
    if (ASSetChangeMarking(orEmpty(text), cs, empty, timed, ASReplyBuffer()) < 0)
        return 0;
    if (empty)
        return 1;
    ASResetReplyBuffer();
    return ASCheckLegalMarking(cs, timed, ASReplyBuffer()) == 0 ? 1 : 0;
}

int ASApplyMarkingChange(SEPlace* place, ASInstance* instance, int resolve)
{
    ASResetReplyBuffer();
    if (resolve) {
        SEHead* node = nullptr;
        ASInstance* owner = nullptr;
        ASResolvePort(&place->head, instance, &node, &owner);
        auto* resolved = se::as<SEPlace>(node, kSEPlace);
        if (resolved == nullptr || owner == nullptr)
            return 0;
        ASResetPlaceMarking(resolved, nameOf(owner), false, timedPlace(resolved), ASReplyBuffer());
    } else {
        ASAssignChangeMarking(place, nameOf(instance), ASReplyBuffer());
    }
    LMList* pairs = LMCreate(kLMPairList);
    LMAppend(pairs, place, instance);
    LMList* expanded = ASExpandPlaceInstances(pairs);
    se::forEachPair(expanded, [](void* p, void* i) {
        auto* inst = static_cast<ASInstance*>(i);
        se::forEachValue(static_cast<SEPlace*>(p)->outputArcs, [&](void* arc) {
            SETrans* t = cts::transOf(static_cast<SEArc*>(arc));
            if (t == nullptr || (t->flags & kASNoRequestMark))
                return;
            bool queued = false;
            se::forEachPair(inst->pending, [&](void* first, void*) { queued = queued || first == t; });
            if (!queued)
                se::appendPair(inst->pending, t, nullptr);
        });
    });
    se::destroyList(expanded);
    se::destroyList(pairs);
    CTSRecalcEnablingFor(97);
    return 1;
}

int ASCheckLegalValue(const char* colourSet, const char* value)
{
    if (colourSet == nullptr || *colourSet == '\0' || value == nullptr || *value == '\0')
        return 0;
    // A colour set named in the declarations is checked under its key.
    std::string key = colourSet;
    SERoot* root = rootRecord();
    if (root->declHashTable != nullptr) {
        auto* entry = static_cast<SETableEntry*>(HashLookup(root->declHashTable, colourSet));
        if (entry != nullptr && entry->key != nullptr)
            key = entry->key;
    }
    ASResetReplyBuffer();
    return ASCheckLegal(key, value, ASReplyBuffer()) == 0 ? 1 : 0;
}

std::string ASValueListText(const ASBindingElement* e)
{
    const ASInstance* i = instanceOf(e);
    const bool codeOn = ASRunOptions(rootRecord())[1] != 0 && (i->modeAttributes & kASModeCode) != 0 &&
                        codeRuns(e->transition, i);
    std::string text = "   <";
    int index = 0;
    int32_t pos = 0;
    const LMList* variables = e->transition->codeSegment != nullptr ? e->transition->codeSegment->variables : nullptr;
    se::forEachValue(variables, [&](void* value) {
        auto* variable = static_cast<SECodeVariable*>(value);
        std::string v;
        if (pos < e->valuesLength) {
            const size_t length = strnlen(e->values + pos, static_cast<size_t>(e->valuesLength - pos));
            v.assign(e->values + pos, length);
            pos += static_cast<int32_t>(length) + 1;
        }
        if (index++ > 0)
            text += ",";
        if (!v.empty())
            text += v;
        else if (codeOn && (variable->number & 16) != 0)
            text += static_cast<char>(0xA9);
        else
            text += " ";
    });
    return text + ">";
}

std::string ASPlaceMarkingText(SEPlace* place, ASInstance* instance)
{
    return std::string(timedPlace(place) ? "mkst_tms'" : "mkst_ms'") + colourSetOf(place) + " (!" +
           as::placeStateRef(place, nameOf(instance)) + ");";
}

std::string ASSetPlaceMarkingText(SEPlace* place, ASInstance* instance, const char* value)
{
    // The value is typed as a multiset of the place's colour set; the
    // parentheses around the typed value are balanced.
    return as::placeStateRef(place, nameOf(instance)) + ":= ((" + orEmpty(value) + "):(" + orEmpty(place->colourSet) +
           ") " + (timedPlace(place) ? " tms" : " ms") + ");";
}
