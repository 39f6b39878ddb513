// Simulator options kept in the data base root, what setting them tells the
// evaluator, and the mode flags of pages, substitution nodes and instances.
#include <cstdlib>
#include <cstring>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/SML/SMLLink.h"

namespace {

LMList* deferredChanges = nullptr;
int16_t pendingGranularity = -1;
int stepInProgress = 0;
bool observationDeferred = false;

SERoot* rootRecord() { return SECurrentRoot(); }

void setMask(uint32_t& word, uint32_t mask, int on)
{
    if (on)
        word |= mask;
    else
        word &= ~mask;
}

SEPage* validPage(SEHead* record)
{
    if (record == nullptr || record->kind != kSEPage) {
        EE_ReportError(kASMsgInvalidRecord);
        return nullptr;
    }
    return reinterpret_cast<SEPage*>(record);
}

// Records the change in the deferred list: one pair per record, a later
// change edits the word already there.
void deferChange(SEHead* record, uint32_t currentWord, uint32_t mask, int on)
{
    for (void* cell = deferredChanges != nullptr ? deferredChanges->first : nullptr; cell != nullptr;
         cell = static_cast<LMLink*>(cell)->next) {
        auto* pair = static_cast<LMPairCell*>(cell);
        if (pair->first == record) {
            auto word = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pair->second));
            setMask(word, mask, on);
            pair->second = reinterpret_cast<void*>(static_cast<uintptr_t>(word));
            return;
        }
    }
    setMask(currentWord, mask, on);
    // A pair may not be both null; the record is never null here.
    se::prependPair(deferredChanges, record, reinterpret_cast<void*>(static_cast<uintptr_t>(currentWord)));
}

void refreshInstances(SEPage* page, const SECompound* only)
{
    se::forEachRec(page->instances, [&](SEHead* r) {
        auto* instance = reinterpret_cast<ASInstance*>(r);
        if (only == nullptr || instance->compound == only)
            instance->modeAttributes = ASEffectiveMode(instance);
    });
}

void clearIncludeOfPage(SEHead* node)
{
    SEPage* page = se::pageOf(node);
    if (page != nullptr)
        page->flags &= ~0x10000u;
}

bool connected() { return SMLGetConnState() != kSMLKindNone; }

} // namespace

LMList*& ASDeferredModeChanges() { return deferredChanges; }
int16_t& ASPendingGranularity() { return pendingGranularity; }
int& ASStepInProgress() { return stepInProgress; }
bool& ASObservationDeferred() { return observationDeferred; }

uint16_t ASStepGranularity(const SERoot* r) { return static_cast<uint16_t>(r->reserved & 0xffffu); }
void ASSetStepGranularity(SERoot* r, uint16_t value) { r->reserved = (r->reserved & 0xffff0000u) | value; }

uint32_t ASEffectiveMode(const ASInstance* instance)
{
    uint32_t mode = pageOf(instance)->modeFlags;
    if (instance->compound != nullptr)
        mode &= instance->compound->modeFlags;
    return mode;
}

int ASSetSimOptions(const int32_t values[7])
{
    SERoot* r = rootRecord();
    for (int i = 0; i < 5; ++i)
        ASAutoSettings(r)[i] = static_cast<uint16_t>(values[i]);
    ASBindTries(r) = static_cast<uint16_t>(values[6]);
    const int32_t seed = values[5];
    if (seed < 0) {
        ASRandomSeed(r) = 1;
        return 1;
    }
    ASRandomSeed(r) = 0;
    ASSeed(r) = static_cast<uint16_t>(seed);
    if (connected()) {
        MemFileReset(ASReplyBuffer());
        ASSetSeed(static_cast<int16_t>(ASSeed(r)), ASReplyBuffer());
    }
    std::srand(ASSeed(r));
    return 1;
}

int ASSetCodeGenOptions(const int32_t values[11])
{
    SERoot* r = rootRecord();
    std::memcpy(r->codeGenOptions, values, sizeof r->codeGenOptions);
    std::memcpy(r->codeGenText, values + 3, sizeof r->codeGenText);
    return 1;
}

int16_t ASSendGenFlags()
{
    SERoot* r = rootRecord();
    MemFileReset(ASReplyBuffer());
    return ASSendGenFlagsText(r->codeGenOptions[1], r->codeGenOptions[2], ASReplyBuffer());
}

int ASSetRunOptions(const int32_t values[44])
{
    SERoot* r = rootRecord();
    std::memcpy(r->runOptions, values, sizeof r->runOptions);
    std::memcpy(r->runOptions2, values + 6, sizeof r->runOptions2);
    std::memcpy(r->runTexts, values + 12, sizeof r->runTexts);
    if (!connected())
        return 1;
    const int32_t mode = values[0];
    MemFileReset(ASReplyBuffer());
    if (mode == 1) {
        ASSetFair(2, ASReplyBuffer());
        ASSetTimeFair(0, ASReplyBuffer());
    } else if (mode == 0 || mode == 2) {
        ASSetFair(1, ASReplyBuffer());
        ASSetTimeFair(1, ASReplyBuffer());
    }
    return 1;
}

int ASSetDisplayOptions(const int32_t values[4])
{
    SERoot* r = rootRecord();
    std::memcpy(r->displayOptions, values, sizeof r->displayOptions);
    // A step in progress keeps its granularity and observation mode until
    // its end.
    if (ASPendingGranularity() == -2 || ASPendingGranularity() >= 0) {
        ASPendingGranularity() = 1;
        observationDeferred = true;
    } else {
        ASSetStepGranularity(r, 1);
        ASObservationMode(r) = 1;
    }
    return 1;
}

int ASSetRXLOptions(const int32_t values[64])
{
    std::memcpy(rootRecord()->analysisOptions, values, sizeof rootRecord()->analysisOptions);
    return 1;
}

int ASSetOptionBit(uint32_t mask, int on)
{
    setMask(rootRecord()->simOptionWord, mask, on);
    return 1;
}

int ASTestSimOption(uint32_t mask) { return (rootRecord()->simOptionWord & mask) != 0 ? 1 : 0; }

int ASSetPageMode(SEHead* record, uint32_t mask, int on, int toNodes, int deferred)
{
    SEPage* page = validPage(record);
    if (page == nullptr)
        return 0;
    if (deferred) {
        deferChange(record, page->modeFlags, mask, on);
    } else {
        setMask(page->modeFlags, mask, on);
        refreshInstances(page, nullptr);
    }
    for (LMList* list : {page->superSubstitutions, page->superInvocations}) {
        se::forEachValue(list, [&](void* value) {
            auto* compound = static_cast<SECompound*>(value);
            SEHead* node = compound->node;
            if (node == nullptr)
                return;
            if (toNodes)
                ASSetNodeMode(node, mask, on, deferred);
            else if (!on && mask == kASModeInclude)
                clearIncludeOfPage(node);
        });
    }
    return 1;
}

int ASSetNodeMode(SEHead* node, uint32_t mask, int on, int deferred)
{
    if (node == nullptr || node->kind >= kSEKindCount) {
        EE_ReportError(kASMsgInvalidRecord);
        return 0;
    }
    SECompound* compound = nullptr;
    if (node->kind == kSEPlace)
        compound = reinterpret_cast<SEPlace*>(node)->compound;
    else if (node->kind == kSETrans)
        compound = reinterpret_cast<SETrans*>(node)->compound;
    else
        return 1;
    if (compound == nullptr)
        return 1;
    bool clearedAtOnce = false;
    if (node->kind == kSEPlace) {
        setMask(compound->modeFlags, mask, on);
        clearedAtOnce = !on;
    } else if (deferred) {
        deferChange(node, compound->modeFlags, mask, on);
    } else {
        setMask(compound->modeFlags, mask, on);
        if (compound->subpage != nullptr)
            refreshInstances(compound->subpage, compound);
        clearedAtOnce = !on;
    }
    if (clearedAtOnce && mask == kASModeInclude)
        clearIncludeOfPage(node);
    return 1;
}

int ASSetPrime(SEHead* record, uint16_t count)
{
    SEPage* page = validPage(record);
    if (page == nullptr)
        return 0;
    setMask(page->flags, kSEBit0, count != 0);
    page->primeCount = count;
    return 1;
}

int ASTestPageFlag(SEHead* record, uint32_t mask)
{
    SEPage* page = validPage(record);
    return page != nullptr && (page->modeFlags & mask) != 0 ? 1 : 0;
}

int ASTestNodeFlag(SEHead* node, uint32_t mask)
{
    if (node == nullptr || node->kind >= kSEKindCount) {
        EE_ReportError(kASMsgInvalidRecord);
        return 0;
    }
    SECompound* compound = nullptr;
    if (node->kind == kSEPlace)
        compound = reinterpret_cast<SEPlace*>(node)->compound;
    else if (node->kind == kSETrans)
        compound = reinterpret_cast<SETrans*>(node)->compound;
    else
        return 1;
    return compound != nullptr && (compound->modeFlags & mask) != 0 ? 1 : 0;
}

int16_t ASGetPrimeCount(SEHead* record)
{
    SEPage* page = validPage(record);
    return page != nullptr ? static_cast<int16_t>(page->primeCount) : 0;
}

int ASTestInstanceMode(SEHead* record, uint32_t mask)
{
    ASInstance* instance = asInstance(record);
    if (instance == nullptr) {
        EE_ReportError(kASMsgInvalidRecord);
        return 0;
    }
    return (instance->modeAttributes & mask) != 0 ? 1 : 0;
}
