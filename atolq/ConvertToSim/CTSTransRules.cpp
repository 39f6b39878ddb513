// The inscription rules of transitions: code and time regions, the arcs'
// expressions and their shared arc functions, the guard and the code guard,
// each asked of the evaluator with the transition's variable table.
#include <string>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/SML/SML.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/LMList.h"
#include "atolq/Utils/MemPool.h"
#include "atolq/Utils/QXMem.h"

namespace {

constexpr uint32_t kCheckedMark = 0x1000;
constexpr uint32_t kMarkingMark = 0x100;
constexpr uint32_t kCompoundInUse = 0x20;
constexpr uint32_t kArcTimedExpression = 0x10;
constexpr uint32_t kInputArcSecond = 0x100;
constexpr uint32_t kOutputArcSecond = 0x1;
constexpr int32_t kGuardPattern = 0x4;
constexpr int32_t kCodeGuardPattern = 0x8;

constexpr const char* kMsgGuard = "C.9 Guard region must be legal";
constexpr const char* kMsgCode = "C.10 Code region must be legal";
constexpr const char* kMsgArc = "C.11 Arc expression must be legal";
constexpr const char* kMsgCheckVar = "C.12 TOLQ variables in code region";
constexpr const char* kMsgCodeGuard = "C.13 Code guard must be legal";
constexpr const char* kMsgCodeAction = "C.14 Code action must be legal";
constexpr const char* kMsgTime = "C.20 Time Region must be legal";

bool hasText(const char* text) { return text != nullptr && text[0] != '\0'; }
std::string str(const char* text) { return text != nullptr ? text : ""; }

const char* mlNameOf(SEText& name)
{
    if (name == nullptr)
        name = CTSNewNumberName(nullptr, 0);
    return name != nullptr ? name : "";
}

SEPage* pageOf(SETrans* trans) { return reinterpret_cast<SEPage*>(trans->head.owner); }

const SETableEntry* colourEntry(const SEPlace* place)
{
    SERoot* root = SECurrentRoot();
    if (place == nullptr || place->colourSet == nullptr || root->declHashTable == nullptr)
        return nullptr;
    return static_cast<const SETableEntry*>(HashLookup(root->declHashTable, place->colourSet));
}

uint32_t placeFlags(const SEPlace* place)
{
    return place->fusionSet != nullptr ? place->fusionSet->flags : place->flags;
}

template <class F> void eachArc(const SETrans* trans, F f)
{
    for (bool input : {true, false})
        se::forEachRec(input ? trans->inputArcs : trans->outputArcs,
                       [&](SEHead* h) { f(reinterpret_cast<SEArc*>(h), input); });
}

// The arc's argument: its diagram object number, with "i" or "o" for an arc
// drawn with no direction or in both.
std::string arcArgument(const SEArc* arc, bool input)
{
    std::string argument = std::to_string(arc->kvObject);
    if (arc->head.subKind != kSEPlaceToTrans && arc->head.subKind != kSETransToPlace)
        argument += input ? "i" : "o";
    return argument;
}

// The transition waits while a neighbouring place (or its fusion set) has
// no checked marking, or while its page's local declarations are unparsed.
bool neighbourhoodReady(SETrans* trans)
{
    bool ready = true;
    eachArc(trans, [&](SEArc* arc, bool) {
        if (arc->place == nullptr || (placeFlags(arc->place) & kMarkingMark) == 0)
            ready = false;
    });
    return ready && (trans->code == nullptr || (pageOf(trans)->flags & kCheckedMark) != 0);
}

// Reports a rule on the record with the evaluator's reply; ends the check.
bool failed(SEHead* record, const char* message)
{
    CTSReport(record, message, CTSReplyBuffer());
    return false;
}

MemFile* freshReply()
{
    MemFile* reply = CTSReplyBuffer();
    MemFileReset(reply);
    return reply;
}

// The variable names of the rows whose flags hold the bit.
std::vector<std::string> patternOf(const SETrans* trans, int32_t bit)
{
    std::vector<std::string> names;
    if (trans->codeSegment != nullptr)
        se::forEachValue(trans->codeSegment->variables, [&](void* v) {
            auto* row = static_cast<const SECodeVariable*>(v);
            if ((row->number & bit) != 0 && row->first != nullptr)
                names.emplace_back(row->first);
        });
    return names;
}

int compileGuardFunction(const char* prefix, SETrans* trans, int32_t bit, const char* guard)
{
    const std::vector<std::string> names = patternOf(trans, bit);
    std::vector<const char*> pointers;
    for (const std::string& name : names)
        pointers.push_back(name.c_str());
    return CTSCompileGuard(prefix, trans->mlName, pointers.data(), static_cast<int>(pointers.size()), guard,
                           freshReply());
}

// A fresh check record with the evaluator's variable table; false when the
// table could not be read.
bool fetchVariables(SETrans* trans)
{
    se::releaseCodeSegment(trans->codeSegment);
    auto* segment = static_cast<SECodeSegment*>(MemMgrAlloc(se::segmentPool()));
    if (segment == nullptr)
        return false;
    trans->codeSegment = segment;
    CTSResetCheckInfo(trans);
    segment->variables = LMCreate(kLMValueList);
    return segment->variables != nullptr && CTSReturnVarTable(trans->mlName, freshReply(), segment->variables) == 0;
}

// The sharing key of an arc's function.
std::string arcKey(const SETrans* trans, const SEArc* arc, const SETableEntry& entry, bool input)
{
    std::string key = str(entry.second) + ";" + str(arc->expression);
    if (trans->codeSegment != nullptr)
        se::forEachValue(trans->codeSegment->variables,
                         [&](void* v) { key += ";" + str(static_cast<const SECodeVariable*>(v)->first); });
    if (entry.flag != 0)
        key += input ? ";I" : ";O";
    return key;
}

SECheckEntry* findCheckEntry(const std::string& key)
{
    SEHead* found = se::findRec(SECurrentRoot()->simRecords13, [&](SEHead* h) {
        return reinterpret_cast<SECheckEntry*>(h)->text1 != nullptr && key == reinterpret_cast<SECheckEntry*>(h)->text1;
    });
    return reinterpret_cast<SECheckEntry*>(found);
}

SECheckEntry* newCheckEntry(const std::string& key)
{
    SERoot* root = SECurrentRoot();
    auto* entry = reinterpret_cast<SECheckEntry*>(se::newRecord(kSECheckEntry));
    entry->head.owner = &root->head;
    entry->text1 = se::copyText(key.c_str());
    entry->text2 = CTSNewNumberName(nullptr, 0);
    se::pushRec(root->simRecords13, &entry->head);
    return entry;
}

void dropCheckEntry(SECheckEntry* entry)
{
    se::releaseRecord(&entry->head);
    se::unlinkAndFree(SECurrentRoot()->simRecords13, &entry->head);
}

bool checkRegions(SETrans* trans)
{
    if (hasText(trans->code) && CTSCodeSegText(trans->code, freshReply()) < 0)
        return failed(&trans->head, kMsgCode);
    if (CTSProgress() == 0)
        return false;
    if (hasText(trans->time) && CTSTransDelayText(trans->time, freshReply()) < 0)
        return failed(&trans->head, kMsgTime);
    return CTSProgress() != 0;
}

// Runs the arc rule over the arcs; false when the arc error word stopped it.
template <class Rule> bool arcsPass(SETrans* trans, Rule rule)
{
    CTSContext& c = CTSCurrentContext();
    eachArc(trans, [&](SEArc* arc, bool input) {
        if (c.arcError == 0 && CTSProgress() != 0)
            rule(arc, input);
    });
    if (c.arcError != 0) {
        c.arcError = 0;
        return false;
    }
    return CTSProgress() != 0;
}

bool checkGuard(SETrans* trans)
{
    if (hasText(trans->guard) && CTSVarGuard(trans->guard, freshReply()) < 0)
        return failed(&trans->head, kMsgGuard);
    return CTSProgress() != 0;
}

bool checkCodeVariables(SETrans* trans)
{
    mlNameOf(trans->mlName);
    if (hasText(trans->code) && CTSCheckVar(freshReply()) != 0)
        return failed(&trans->head, kMsgCheckVar);
    return CTSProgress() != 0 && fetchVariables(trans) && CTSProgress() != 0;
}

bool defineGuard(SETrans* trans)
{
    const int result = SMLGetConnState() == kSMLKindNJ
                           ? CTSCheckGuard(freshReply())
                           : compileGuardFunction("TOLQ'GF", trans, kGuardPattern, trans->guard);
    if (result != 1 && result != 2)
        return failed(&trans->head, kMsgGuard);
    trans->bool1 = result == 1 ? 1 : 0; // the guard is a list of conditions
    return CTSProgress() != 0;
}

bool defineCode(SETrans* trans)
{
    if (!hasText(trans->code)) {
        se::freeText(trans->text3);
        return CTSProgress() != 0;
    }
    if (CTSCodeSeg(trans->mlName, mlNameOf(pageOf(trans)->text), freshReply()) < 0)
        return failed(&trans->head, kMsgCodeAction);
    char* codeGuard = nullptr;
    if (CTSCodeGuard(freshReply(), &codeGuard) < 0)
        return failed(&trans->head, kMsgCodeGuard);
    se::freeText(trans->text3);
    trans->text3 = se::copyText(codeGuard != nullptr ? codeGuard : "");
    if (codeGuard != nullptr)
        QXMem_Free(codeGuard);
    const int result = compileGuardFunction("TOLQ'CGF", trans, kCodeGuardPattern, trans->text3);
    if (result != 1 && result != 2)
        return failed(&trans->head, kMsgCodeGuard);
    return CTSProgress() != 0;
}

bool defineDelay(SETrans* trans)
{
    if (hasText(trans->time) && CTSDefineDelay(freshReply()) < 0)
        return failed(&trans->head, kMsgTime);
    return CTSProgress() != 0;
}

} // namespace

int CTSCheckArcVariables(SEArc* arc, bool input)
{
    const uint32_t second = input ? kInputArcSecond : kOutputArcSecond;
    if (!hasText(arc->expression)) {
        arc->flags &= ~(kArcTimedExpression | second);
        return 0;
    }
    uint32_t timed = 0;
    uint32_t secondFlag = 0;
    if (CTSVarArc(input, arcArgument(arc, input).c_str(), arc->expression, freshReply(), &timed, &secondFlag) < 0) {
        CTSReport(&arc->head, kMsgArc, CTSReplyBuffer());
        CTSCurrentContext().arcError = 1;
        return 1;
    }
    arc->flags = timed != 0 ? arc->flags | kArcTimedExpression : arc->flags & ~kArcTimedExpression;
    arc->flags = secondFlag != 0 ? arc->flags | second : arc->flags & ~second;
    const SETableEntry* entry = colourEntry(arc->place);
    if (timed != 0 && (entry == nullptr || entry->flag == 0)) {
        CTSReport(&arc->head, kMsgArc, CTSReplyBuffer());
        CTSCurrentContext().arcError = 1;
        return 1;
    }
    return 0;
}

int CTSDefineArc(SEArc* arc, bool input)
{
    if (arc->place == nullptr || (placeFlags(arc->place) & kCheckedMark) == 0)
        return 0;
    auto* trans = reinterpret_cast<SETrans*>(arc->head.owner);
    mlNameOf(arc->text);
    const SETableEntry* colour = colourEntry(arc->place);
    if (colour == nullptr) {
        CTSReport(&arc->head, kMsgArc, nullptr);
        CTSCurrentContext().arcError = 1;
        return 1;
    }
    const std::string key = arcKey(trans, arc, *colour, input);
    if (SECheckEntry* shared = findCheckEntry(key)) {
        arc->link = &shared->head;
        arc->half = static_cast<uint16_t>(shared->number);
        return 0;
    }
    SECheckEntry* entry = newCheckEntry(key);
    const bool timedPlace = colour->flag != 0;
    const int result = hasText(arc->expression)
                           ? CTSDefineArcFunction(input, timedPlace, arcArgument(arc, input).c_str(), entry->text2,
                                                  arc->place->colourSet, freshReply())
                           : CTSDefineEmptyArc(!input && timedPlace, entry->text2, trans->mlName, freshReply());
    if (result == 1 || result == 2) {
        entry->number = result;
        arc->half = static_cast<uint16_t>(result);
        arc->link = &entry->head;
        return 0;
    }
    dropCheckEntry(entry);
    arc->link = nullptr;
    CTSReport(&arc->head, kMsgArc, CTSReplyBuffer());
    CTSCurrentContext().arcError = 1;
    return 1;
}

int CTSCheckTransition(SETrans* trans)
{
    if (trans == nullptr || CTSProgress() == 0)
        return 0;
    if (trans->compound != nullptr) {
        CTSMarkCompound(trans->compound);
        CTSCheckArcsHaveExpressions(trans, true);
        if ((trans->compound->modeFlags & kCompoundInUse) != 0)
            return 0;
    } else {
        CTSCheckArcsHaveExpressions(trans, false);
    }
    if ((trans->flags & kCheckedMark) != 0 || !neighbourhoodReady(trans))
        return 0;
    if (CTSProgress() == 0 || CTSVarTabInit(freshReply()) < 0)
        return 0;
    const bool passed = checkRegions(trans) && arcsPass(trans, CTSCheckArcVariables) && checkGuard(trans) &&
                        checkCodeVariables(trans) && defineGuard(trans) && arcsPass(trans, CTSDefineArc) &&
                        defineCode(trans) && defineDelay(trans);
    if (!passed)
        return 1;
    trans->flags |= kCheckedMark;
    ++CTSCurrentContext().progress.counters[2];
    return 0;
}

void CTSCheckPageTransitions(SEPage* page, void (*check)(SETrans*))
{
    const bool scoped = LMCount(page->localDecls) == 1 && page->text != nullptr;
    if (scoped)
        CTSPageScope(page->text, true, freshReply());
    se::forEachRec(page->transitions, [&](SEHead* h) {
        if (CTSCurrentContext().continueFlag != 0)
            check(reinterpret_cast<SETrans*>(h));
    });
    if (scoped)
        CTSPageScope(page->text, false, freshReply());
    CTSVarTabInit(freshReply());
}
