// Iteration over simulator objects: one first/next pair of operations walks
// arcs, places, transitions, instances, binding elements and values,
// selected by a kind code. A walk keeps its place in the cursor of the list
// it walks.
#include <cstring>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/ConvertToSim/CTSPageState.h"

namespace {

ASBindingElement* currentElement = nullptr;
LMList* stepElements = nullptr;

template <class T> T* at(const ASIterator* it, int w) { return reinterpret_cast<T*>(it->word[w]); }
void put(ASIterator* it, int w, const void* p) { it->word[w] = reinterpret_cast<uintptr_t>(p); }
void putNumber(ASIterator* it, int w, uintptr_t n) { it->word[w] = n; }

// The cell at the cursor; the cursor moves past it.
bool take(LMList* list, void** a, void** b = nullptr)
{
    if (list == nullptr || !LMMore(list))
        return false;
    void* second = nullptr;
    LMCurrent(list, a, &second);
    if (b != nullptr)
        *b = second;
    LMAdvance(list);
    return true;
}

void rewind(LMList* list)
{
    if (list != nullptr)
        LMRewind(list);
}

uintptr_t objectOf(SEHead* r) { return SEGetKVObj(r); }

// Places and transitions outside simulated substitutions.
bool selectedNode(SEHead* r)
{
    SECompound* compound = nullptr;
    if (r->kind == kSEPlace)
        compound = reinterpret_cast<SEPlace*>(r)->compound;
    else if (r->kind == kSETrans)
        compound = reinterpret_cast<SETrans*>(r)->compound;
    else
        return false;
    return compound == nullptr || (compound->modeFlags & 32u) == 0;
}

uintptr_t nodeResult(SEHead* r) { return r->kind == kSETrans ? reinterpret_cast<uintptr_t>(r) : objectOf(r); }

LMList* arcList(SEHead* node, bool inputs)
{
    if (node->kind == kSEPlace)
        return inputs ? reinterpret_cast<SEPlace*>(node)->inputArcs : reinterpret_cast<SEPlace*>(node)->outputArcs;
    if (node->kind == kSETrans)
        return inputs ? reinterpret_cast<SETrans*>(node)->inputArcs : reinterpret_cast<SETrans*>(node)->outputArcs;
    return nullptr;
}

// The nodes joined to a node by its input (or output) arcs, once each.
LMList* peers(SEHead* node, bool inputs)
{
    LMList* out = LMCreate(kLMValueList);
    const auto add = [&](void* arcValue) {
        auto* arc = static_cast<SEArc*>(arcValue);
        SEHead* peer = node->kind == kSEPlace ? arc->head.owner : &arc->place->head;
        if (peer != nullptr && !se::containsValue(out, peer))
            LMAppend(out, peer, nullptr);
    };
    LMList* arcs = arcList(node, inputs);
    if (node->kind == kSETrans)
        se::forEachRec(arcs, [&](SEHead* r) { add(r); });
    else
        se::forEachValue(arcs, add);
    return out;
}

bool codeRunsIn(const ASInstance* i)
{
    return ASRunOptions(SECurrentRoot())[1] != 0 && (i->modeAttributes & kASModeCode) != 0;
}

ASBindingElement* element(void* record) { return static_cast<ASBindingElement*>(record); }

int nextArc(ASIterator* it)
{
    auto* node = at<SEHead>(it, 0);
    for (;;) {
        LMList* list = arcList(node, it->word[4] == 0);
        void* value = nullptr;
        if (take(list, &value)) {
            put(it, 2, value);
            return 1;
        }
        if (it->word[4] != 0)
            return 0;
        it->word[4] = 1;
    }
}

int nextNode(ASIterator* it, LMList* list)
{
    for (void* value = nullptr; take(list, &value);) {
        auto* r = static_cast<SEHead*>(value);
        if (selectedNode(r)) {
            putNumber(it, 1, nodeResult(r));
            return 1;
        }
    }
    return 0;
}

int nextChosen(ASIterator* it, uint32_t state)
{
    ASInstance* i = at<ASInstance>(it, 0);
    for (void* value = nullptr; take(i->steps, &value);) {
        ASBindingElement* e = element(value);
        if (e->state != state)
            continue;
        // Each transition once: skip its following elements.
        while (LMMore(i->steps)) {
            void* following = nullptr;
            LMCurrent(i->steps, &following, nullptr);
            if (element(following)->transition != e->transition)
                break;
            LMAdvance(i->steps);
        }
        putNumber(it, 2, objectOf(&e->transition->head));
        currentElement = e;
        return 1;
    }
    currentElement = nullptr;
    return 0;
}

int nextOfTransition(ASIterator* it)
{
    auto* t = at<SETrans>(it, 0);
    auto* view = at<LMList>(it, 1);
    for (void* value = nullptr; take(view, &value);) {
        ASBindingElement* e = element(value);
        if (ASTransOrder(e->transition) > ASTransOrder(t))
            break;
        if (e->transition == t && (e->state == kASConfirmed || e->state == kASChosen)) {
            put(it, 2, e);
            return 1;
        }
    }
    LMFreeView(view);
    put(it, 1, nullptr);
    return 0;
}

int nextValue(ASIterator* it)
{
    ASBindingElement* e = at<ASBindingElement>(it, 0);
    const uintptr_t offset = it->word[3];
    if (offset >= static_cast<uintptr_t>(e->valuesLength))
        return 0;
    const char* text = e->values + offset;
    put(it, 1, text);
    putNumber(it, 2, offset);
    it->word[3] = offset + strnlen(text, static_cast<size_t>(e->valuesLength) - offset) + 1;
    return 1;
}

bool outputSelected(const SEArc* a, bool code, bool timed)
{
    if (code)
        return (a->flags & 1u) != 0;
    return timed && a->place != nullptr && CTSIsTimed(&a->place->head) != 0;
}

int freeTemporary(ASIterator* it, int word)
{
    auto* list = at<LMList>(it, word);
    se::destroyList(list);
    put(it, word, nullptr);
    return 0;
}

} // namespace

ASBindingElement*& ASCurrentElement() { return currentElement; }
LMList*& ASStepElementList() { return stepElements; }

int ASFirst(int kind, ASIterator* it)
{
    switch (kind) {
    case 1: {
        auto* node = at<SEHead>(it, 0);
        if (node == nullptr || (node->kind != kSEPlace && node->kind != kSETrans))
            return 0;
        rewind(arcList(node, true));
        rewind(arcList(node, false));
        it->word[4] = 0;
        return 1;
    }
    case 2: rewind(pageOf(at<ASInstance>(it, 0))->transitions); return 1;
    case 3: rewind(pageOf(at<ASInstance>(it, 0))->places); return 1;
    case 4:
    case 5: {
        auto* node = at<SEHead>(it, 0);
        if (node == nullptr || (node->kind != kSEPlace && node->kind != kSETrans))
            return 0;
        LMList* list = peers(node, kind == 4);
        LMRewind(list);
        put(it, 0, list);
        return 1;
    }
    case 6: {
        LMList* pair = LMCreate(kLMPairList);
        LMAppend(pair, at<void>(it, 0), at<void>(it, 1));
        LMList* expanded = ASExpandPlaceInstances(pair);
        se::destroyList(pair);
        LMRewind(expanded);
        put(it, 4, expanded);
        return 1;
    }
    case 7: rewind(at<ASInstance>(it, 0)->enabled); return 1;
    case 8: rewind(at<ASInstance>(it, 0)->pending); return 1;
    case 9: rewind(at<SEPage>(it, 0)->instances); return 1;
    case 10:
    case 20: rewind(at<ASInstance>(it, 0)->steps); return 1;
    case 11: {
        auto* t = at<SETrans>(it, 0);
        LMList* variables = t->codeSegment != nullptr ? t->codeSegment->variables : nullptr;
        if (se::count(variables) == 0)
            return 0;
        LMRewind(variables);
        return 1;
    }
    case 12: {
        auto* t = at<SETrans>(it, 0);
        ASInstance* i = at<ASInstance>(it, 1);
        if (se::count(i->steps) == 0)
            return 0;
        ASBindingElement* start = currentElement;
        currentElement = nullptr;
        if (start == nullptr) {
            ASBindingElement* first = element(i->steps->first);
            if (ASTransOrder(first->transition) > ASTransOrder(t))
                return 0;
            if (se::findRec(i->steps, [&](SEHead* r) { return element(r)->transition == t; }) == nullptr)
                return 0;
        }
        put(it, 1, LMMakeView(i->steps, start));
        return 1;
    }
    case 13: rewind(at<ASInstance>(it, 1)->provisional); return 1;
    case 14: it->word[3] = 0; return at<ASBindingElement>(it, 0) != nullptr ? 1 : 0;
    case 17:
        if (se::count(stepElements) == 0)
            return 0;
        LMRewind(stepElements);
        return 1;
    case 18: rewind(at<SETrans>(it, 0)->outputArcs); return 1;
    case 21: rewind(at<ASInstance>(it, 0)->markList); return 1;
    case 22: rewind(at<ASInstance>(it, 0)->candidates); return 1;
    default: return 0;
    }
}

int ASNext(int kind, ASIterator* it)
{
    void* a = nullptr;
    void* b = nullptr;
    switch (kind) {
    case 1: return nextArc(it);
    case 2: return nextNode(it, pageOf(at<ASInstance>(it, 0))->transitions);
    case 3: return nextNode(it, pageOf(at<ASInstance>(it, 0))->places);
    case 4:
    case 5:
        if (!take(at<LMList>(it, 0), &a))
            return freeTemporary(it, 0);
        put(it, 2, a);
        return 1;
    case 6:
        if (!take(at<LMList>(it, 4), &a, &b))
            return freeTemporary(it, 4);
        putNumber(it, 2, objectOf(static_cast<SEHead*>(a)));
        put(it, 3, b);
        return 1;
    case 7:
        if (!take(at<ASInstance>(it, 0)->enabled, &a))
            return 0;
        putNumber(it, 1, static_cast<SEHead*>(a)->kind == kSEPageInstance ? reinterpret_cast<uintptr_t>(a)
                                                                             : objectOf(static_cast<SEHead*>(a)));
        return 1;
    case 8:
        if (!take(at<ASInstance>(it, 0)->pending, &a, &b))
            return 0;
        putNumber(it, 1, objectOf(static_cast<SEHead*>(a)));
        put(it, 2, b);
        return 1;
    case 9:
        if (!take(at<SEPage>(it, 0)->instances, &a))
            return 0;
        put(it, 1, a);
        return 1;
    case 10: return nextChosen(it, kASChosen);
    case 20: return nextChosen(it, kASExecuted);
    case 11: {
        auto* t = at<SETrans>(it, 0);
        ASInstance* i = at<ASInstance>(it, 1);
        if (!take(t->codeSegment->variables, &a))
            return 0;
        auto* v = static_cast<SECodeVariable*>(a);
        put(it, 2, v->first);
        put(it, 3, v->second);
        putNumber(it, 4, codeRunsIn(i) && (v->number & 16) != 0 ? 1 : 0);
        return 1;
    }
    case 12: return at<LMList>(it, 1) != nullptr ? nextOfTransition(it) : 0;
    case 13:
        while (take(at<ASInstance>(it, 1)->provisional, &a))
            if (element(a)->transition == at<SETrans>(it, 0) && element(a)->state == kASProvisionalFound) {
                put(it, 2, a);
                return 1;
            }
        return 0;
    case 14: return nextValue(it);
    case 17:
        if (!take(stepElements, &a, &b))
            return 0;
        put(it, 0, a);
        put(it, 1, b);
        return 1;
    case 18: {
        auto* t = at<SETrans>(it, 0);
        ASInstance* i = at<ASInstance>(it, 1);
        const bool code = codeRunsIn(i);
        const bool timed = ASRunOptions(SECurrentRoot())[2] != 0;
        while (take(t->outputArcs, &a))
            if (outputSelected(static_cast<SEArc*>(a), code, timed)) {
                put(it, 2, a);
                return 1;
            }
        return 0;
    }
    case 21: return nextNode(it, at<ASInstance>(it, 0)->markList);
    case 22:
        if (!take(at<ASInstance>(it, 0)->candidates, &a))
            return 0;
        putNumber(it, 1, objectOf(static_cast<SEHead*>(a)));
        return 1;
    default: return 0;
    }
}
