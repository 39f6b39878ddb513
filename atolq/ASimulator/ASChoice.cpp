// The random choice of the occurrence set: pages, instances, transitions and
// bindings are drawn with the standard library's rand, as the five
// percentages and the random-draw count of the occurrence-set options say.
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/Utils/QXMem.h"

namespace {

// Indices of the percentages in the automatic-mode settings.
enum { kPages, kInstances, kTransitions, kDifferent, kIdentical };

int bulkThreshold = 10;
int bulkSize = 7;

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }
SERoot* rootRecord() { return SECurrentRoot(); }
uint16_t setting(int which) { return ASAutoSettings(rootRecord())[which]; }
bool fastMode() { return ASRunOptions(rootRecord())[0] == 1; }

bool percentDraw(uint16_t option) { return std::rand() % 100 + 1 <= option; }
int indexDraw(int n) { return std::rand() % n + 1; }

int combine(int combined, int last)
{
    if (combined == 2 || last == 2)
        return 2;
    if (combined == 0 && last == 0)
        return 0;
    return 1;
}

// One level of the choice: candidates drawn one by one; after a choice that
// ended by chance (2) another is drawn only with the level's chance.
template <class T> int chooseLevel(std::vector<T*> candidates, uint16_t percent, const std::function<int(T*)>& choose)
{
    if (candidates.empty())
        return 0;
    int combined = 7;
    int last = 7;
    const auto chooseOne = [&] {
        const int at = indexDraw(static_cast<int>(candidates.size())) - 1;
        T* chosen = candidates[static_cast<size_t>(at)];
        candidates.erase(candidates.begin() + at);
        last = choose(chosen);
        combined = combined == 7 ? last : combine(combined, last);
    };
    chooseOne();
    while (!candidates.empty()) {
        if (!percentDraw(percent) && last == 2)
            break;
        chooseOne();
    }
    return combined;
}

std::vector<std::string> blocksOf(MemFile* reply)
{
    std::vector<std::string> blocks;
    MemFileRewind(reply);
    for (;;) {
        char* text = nullptr;
        const int length = ASReadBindReply(reply, &text);
        if (length < 0 || text == nullptr) {
            if (text != nullptr)
                QXMem_Free(text);
            break;
        }
        blocks.emplace_back(text, static_cast<size_t>(length));
        QXMem_Free(text);
    }
    return blocks;
}

void oneTransitionPair(SETrans* t, ASInstance* i, const std::function<void(LMList*)>& use)
{
    LMList* pairs = LMCreate(kLMPairList);
    LMAppend(pairs, t, i);
    use(pairs);
    se::destroyList(pairs);
}

void queueAndMark(SETrans* t, ASInstance* i)
{
    oneTransitionPair(t, i, [](LMList* pairs) {
        ASQueueAffected(pairs, 1);
        ASMarkChangedPlaces(pairs);
    });
}

ASBindingElement* chooseElement(ASInstance* i, SETrans* t, const std::string& block, int random)
{
    ASBindingElement* e =
        ASNewBindingElement(i, t, kASChosen, block.data(), static_cast<uint32_t>(block.size()), random);
    if (e != nullptr)
        ASInsertStep(e);
    return e;
}

void addIdenticalCopies(ASBindingElement* e)
{
    while (percentDraw(setting(kIdentical))) {
        ASBindingElement* copy = ASNewBindingElement(instanceOf(e), e->transition, kASChosen, e->values,
                                                     static_cast<uint32_t>(e->valuesLength), 0);
        if (copy == nullptr)
            return;
        ASInsertStep(copy);
        if (ASPromoteBindingElement(copy, 0, 0, 0, 0, 1) != 1) {
            ASDeleteBindingElement(copy);
            return;
        }
    }
}

std::string_view nameOf(const ASInstance* i) { return orEmpty(i->mlName); }
std::string_view nameOf(const SETrans* t) { return orEmpty(cts::mlName(t)); }

// Asks for k bindings at once; the blocks of the answer, or the code.
int drawBindings(SETrans* t, ASInstance* i, long k, std::vector<std::string>* blocks)
{
    if (!(i->flags & kASTransStateSent)) {
        MemFileReset(ASReplyBuffer());
        ASCreateTransState(nameOf(i), orEmpty(cts::mlName(pageOf(i))), ASReplyBuffer());
        i->flags |= kASTransStateSent;
    }
    MemFileReset(ASReplyBuffer());
    const int16_t code = ASBindWithNumber(nameOf(t), nameOf(i), k, ASReplyBuffer(), fastMode());
    if (code < 0)
        return code;
    *blocks = blocksOf(ASReplyBuffer());
    return 0;
}

int drawOne(SETrans* t, ASInstance* i)
{
    std::vector<std::string> blocks;
    const int code = drawBindings(t, i, 1, &blocks);
    if (code < 0)
        return code;
    if (blocks.empty())
        return 0;
    ASBindingElement* e = chooseElement(i, t, blocks.front(), 0);
    if (e != nullptr)
        addIdenticalCopies(e);
    return 1;
}

void bulkDraw(SETrans* t, ASInstance* i)
{
    while (percentDraw(setting(kDifferent))) {
        long k = 1;
        for (int more = 0; more < bulkSize && percentDraw(setting(kDifferent)); ++more)
            ++k;
        std::vector<std::string> blocks;
        if (drawBindings(t, i, k, &blocks) < 0)
            return;
        for (const std::string& block : blocks) {
            ASBindingElement* e = chooseElement(i, t, block, 0);
            if (e != nullptr)
                addIdenticalCopies(e);
        }
        if (static_cast<long>(blocks.size()) < k - 1)
            return;
    }
}

// Bindings whose open values are drawn at random by the evaluator.
int drawOpenBindings(SETrans* t, ASInstance* i)
{
    const bool fast = (t->flags & 2u) != 0;
    const auto ask = [&](std::vector<std::string>* blocks) {
        MemFileReset(ASReplyBuffer());
        if (ASBindTransitionByNumber(nameOf(t), nameOf(i), 99999, 2, false, ASReplyBuffer(), fast,
                                     ASCodeGenOptions(rootRecord())[0] == 2) < 0)
            return false;
        *blocks = blocksOf(ASReplyBuffer());
        return true;
    };
    std::vector<std::string> blocks;
    if (!ask(&blocks))
        return -1;
    if (blocks.empty())
        return 0;
    bool completed = false;
    std::string binding = blocks.front();
    for (;;) {
        ASBindingElement* trial = ASNewBindingElement(i, t, kASProvisionalUser, binding.data(),
                                                      static_cast<uint32_t>(binding.size()), 1);
        if (trial == nullptr)
            break;
        se::pushRec(i->provisional, &trial->head);
        bool gave = false;
        for (int tries = 0; tries < ASBindTries(rootRecord()) && !gave; ++tries) {
            MemFileReset(ASReplyBuffer());
            if (ASBindWithBinding(nameOf(t), nameOf(i), 1, orEmpty(trial->bindingText), ASReplyBuffer(),
                                  fastMode()) < 0)
                continue;
            const std::vector<std::string> got = blocksOf(ASReplyBuffer());
            if (got.empty())
                continue;
            ASBindingElement* e = chooseElement(i, t, got.front(), 1);
            if (e != nullptr)
                addIdenticalCopies(e);
            gave = completed = true;
        }
        ASDeleteBindingElement(trial);
        if (!gave)
            break;
        if (!ask(&blocks))
            return -1;
        if (!percentDraw(setting(kDifferent)) || blocks.empty())
            break;
        binding = blocks.front();
    }
    if (!completed)
        return 1;
    queueAndMark(t, i);
    return 2;
}

int chooseBindings(SETrans* t, ASInstance* i)
{
    int r = drawOne(t, i);
    if (r < 0)
        return r;
    if (r == 0)
        return drawOpenBindings(t, i);
    queueAndMark(t, i);
    if (setting(kDifferent) > bulkThreshold) {
        bulkDraw(t, i);
        return 2;
    }
    for (;;) {
        if (!percentDraw(setting(kDifferent)))
            return 2;
        r = drawOne(t, i);
        if (r < 0)
            return r;
        if (r == 0)
            return 1;
    }
}

bool listed(const ASInstance* i, const SETrans* t)
{
    if (se::containsValue(i->enabled, t))
        return true;
    bool found = false;
    se::forEachPair(i->candidates, [&](void* first, void*) { found = found || first == t; });
    return found;
}

int chooseTransitions(ASInstance* i)
{
    ASUpdateWithCode(i);
    std::vector<SETrans*> candidates;
    se::forEachRec(pageOf(i)->transitions, [&](SEHead* r) {
        auto* t = reinterpret_cast<SETrans*>(r);
        if (listed(i, t))
            candidates.push_back(t);
    });
    return chooseLevel<SETrans>(candidates, setting(kTransitions),
                                [i](SETrans* t) { return chooseBindings(t, i); });
}

int chooseInstances(SEPage* page)
{
    std::vector<ASInstance*> candidates;
    se::forEachRec(page->instances, [&](SEHead* r) {
        auto* i = reinterpret_cast<ASInstance*>(r);
        if (ASHasCandidates(i))
            candidates.push_back(i);
    });
    return chooseLevel<ASInstance>(candidates, setting(kInstances), chooseTransitions);
}

} // namespace

int ASHasCandidates(const ASInstance* instance)
{
    return se::count(instance->enabled) != 0 || se::count(instance->candidates) != 0 ? 1 : 0;
}

int ASChooseOccurrenceSet(int filter)
{
    bulkThreshold = 10;
    bulkSize = 7;
    SERoot* root = rootRecord();
    const uint32_t needed = filter == 1 ? kASModePropagate : kASModeInteract;
    std::vector<SEPage*> candidates;
    se::forEachRec(root->pages, [&](SEHead* r) {
        auto* page = reinterpret_cast<SEPage*>(r);
        if ((page->modeFlags & needed) == 0)
            return;
        const bool any = se::findRec(page->instances, [](SEHead* ir) {
                             return ASHasCandidates(reinterpret_cast<ASInstance*>(ir)) != 0;
                         }) != nullptr;
        if (any)
            candidates.push_back(page);
    });
    const int result = chooseLevel<SEPage>(candidates, setting(kPages), chooseInstances);
    if (result >= 0 && result != 2)
        ASSetNoOccSetFlag();
    ASRecheckEnabling(101);
    return result;
}

int ASClearNoOccSetFlag()
{
    rootRecord()->flags &= ~kASRootNoOccSet;
    return 1;
}

int ASSetNoOccSetFlag()
{
    rootRecord()->flags |= kASRootNoOccSet;
    return 1;
}

int ASResetMarkLists()
{
    se::forEachRec(rootRecord()->pages, [](SEHead* pr) {
        se::forEachRec(reinterpret_cast<SEPage*>(pr)->instances,
                       [](SEHead* ir) { se::destroyList(reinterpret_cast<ASInstance*>(ir)->markList); });
    });
    return 1;
}

int16_t ASAutoRunStep(bool fast)
{
    MemFileReset(ASReplyBuffer());
    return ASRunSacStep(fast, ASReplyBuffer());
}

int16_t ASAutoGenStep(bool fast)
{
    MemFileReset(ASReplyBuffer());
    return ASGenSacStep(fast, ASReplyBuffer());
}

int16_t ASAutoGenFunctions(bool fast)
{
    MemFileReset(ASReplyBuffer());
    return ASGenSacFuns(fast, ASReplyBuffer());
}

int16_t ASAutoSendWithCode()
{
    MemFileReset(ASReplyBuffer());
    return ASSetWithCode(ASRunOptions(rootRecord())[1], ASReplyBuffer());
}

int16_t ASAutoValuePrint()
{
    // The request buffer still holds the run request; sent with it, the
    // run would start again.
    ASResetRequest();
    MemFileReset(ASReplyBuffer());
    return ASSetValuePrint(ASReplyBuffer());
}
