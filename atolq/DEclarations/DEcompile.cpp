// Compile order of declarations: every entry is compiled by the evaluator in
// the order of the declaration nodes, after the entries it depends on; the
// result is kept in the checked and compiled marks and shown by the line
// style of the entry's region.
#include <cstring>

#include "atolq/AEditor/SENet.h"
#include "atolq/DEclarations/DEInternal.h"
#include "atolq/DEclarations/DEServices.h"
#include "atolq/Utils/QXMem.h"

using namespace de;

namespace {

struct CompileState {
    int reset = 0;
    int compiledOnce = 0;
    int compiledOnceAtStart = 0;
    ProgressRecord* progress = nullptr;
    DEProgressFn callback = nullptr;
};
CompileState cstate;

// Names that a product, record or union colour set passes on to its parents.
constexpr const char* kHandedDown[] = {"input", "size", "all", "ran", "ord", "col"};

int16_t byNumber(void* a, void* b)
{
    return static_cast<int16_t>(static_cast<SEDeclNode*>(a)->number - static_cast<SEDeclNode*>(b)->number);
}

int stepInWalk(SEDeclEntry* entry, void*) { return DEEntryStep(entry, 0); }

void clearDependencies(SEDeclEntry* e)
{
    if ((e->flags & kDEChecked) != 0)
        return;
    auto clearOne = [](SEHead* record, LMList*& parents, LMList*& dependents) {
        eachValue(parents, [&](void* p) {
            if (SEDeclEntry* parent = asEntry(static_cast<SEHead*>(p)))
                removeValue(DEDependents(parent), record);
        });
        if (parents != nullptr)
            LMDestroy(parents);
        parents = nullptr;
        if (dependents != nullptr)
            LMDestroy(dependents);
        dependents = nullptr;
    };
    clearOne(&e->head, DEParents(e), DEDependents(e));
    if (e->head.subKind == kDEColorSet)
        eachItem(e, {kDEItemAlias, kDEItemDeclare, kDEItemVar, kDEItemMsvar}, [&](SEDeclItem* i) {
            LMList* none = nullptr;
            clearOne(&i->head, none, DEItemDependents(i));
        });
}

bool hasDeclareItem(SEDeclEntry* e, const char* name)
{
    bool found = false;
    eachItem(e, {kDEItemDeclare}, [&](SEDeclItem* i) { found = found || SafeStrcmp(i->name, name) == 0; });
    return found;
}

bool rowKind(SEDeclEntry* e)
{
    return e->head.subKind == kDEColorSet &&
           (DECSKind(e) == kCSProduct || DECSKind(e) == kCSRecord || DECSKind(e) == kCSUnion);
}

void handDown(SEDeclEntry* e, const char* name, int depth);

// Adds the declare item to a parent colour set, checked like its own.
void addToParent(SEDeclEntry* parent, const char* name, int depth)
{
    if (!rowKind(parent) || hasDeclareItem(parent, name) || depth > 64)
        return;
    handDown(parent, name, depth + 1);
    SEDeclItem* item = DEAddItem(parent, kDEItemDeclare, name);
    if (!DEPredeclaredLegal(parent, name)) {
        DERemoveItem(item);
        return;
    }
    if ((parent->flags & kDEChecked) != 0) {
        if (DEItemListConstraints(parent))
            DEMarkEntry(&parent->head, kDEChecked);
        else
            DEShowStatus(parent);
    }
}

void handDown(SEDeclEntry* e, const char* name, int depth)
{
    std::vector<SEDeclEntry*> parents;
    eachValue(DEParents(e), [&](void* p) {
        if (SEDeclEntry* parent = asEntry(static_cast<SEHead*>(p)))
            parents.push_back(parent);
    });
    for (SEDeclEntry* parent : parents)
        addToParent(parent, name, depth);
}

void checkPredeclared(SEDeclEntry* e)
{
    if (e->head.subKind != kDEColorSet)
        return;
    bool allLegal = true;
    std::vector<std::string> names;
    eachItem(e, {kDEItemDeclare}, [&](SEDeclItem* i) {
        allLegal = allLegal && i->name != nullptr && DEPredeclaredLegal(e, i->name);
        names.push_back(str(i->name));
    });
    if (!allLegal)
        return;
    for (const std::string& n : names)
        for (const char* w : kHandedDown)
            if (n == w)
                handDown(e, w, 0);
}

void takeOffDeleted(const char* name)
{
    SERoot* r = SECurrentRoot();
    if (r == nullptr || r->textList == nullptr || name == nullptr)
        return;
    std::vector<void*> gone;
    eachValue(r->textList, [&](void* v) {
        if (std::strcmp(static_cast<const char*>(v), name) == 0)
            gone.push_back(v);
    });
    for (void* v : gone) {
        removeValue(r->textList, v);
        QXMem_Free(v);
    }
}

void afterSuccess(SEDeclEntry* e)
{
    DEMarkEntry(&e->head, kDEChecked | kDECompiled);
    if (e->head.subKind == kDEColorSet)
        eachItem(e, {kDEItemVar, kDEItemMsvar}, [](SEDeclItem* i) { DENameIndexFile(i->name, &i->head); });
    takeOffDeleted(e->name);
    if (e->head.subKind != kDEColorSet)
        return;
    eachItem(e, {kDEItemVar, kDEItemMsvar, kDEItemAlias, kDEItemDeclare}, [](SEDeclItem* i) { takeOffDeleted(i->name); });
    if (DECSKind(e) == kCSEnumerate || DECSKind(e) == kCSIndex)
        eachItem(e, {kDEItemValue}, [](SEDeclItem* i) { takeOffDeleted(i->name); });
}

int timedWithoutTime(SEDeclEntry* e, int single)
{
    if (e->head.subKind != kDEColorSet || DETimed(e) != 1 || SWithTime() != 0)
        return 0;
    if (single)
        GE_MessageBoxText(str(e->name).c_str(), kDEMsgTimedNeedsTime);
    else
        DEReportEntryError(e, kDEMsgTimedNeedsTime);
    return 1;
}

} // namespace

void DESetProgressCallback(DEProgressFn callback) { cstate.callback = callback; }

void DEReportEntryError(SEDeclEntry* entry, int32_t messageId)
{
    std::string text = DEMessageText(messageId);
    if (present(entry->name))
        text = std::string(entry->name) + " " + text;
    EE_AddErrorText(DERegion(entry), text.c_str(), nullptr);
}

int DEEntryStep(SEDeclEntry* e, int single)
{
    if (!single && cstate.callback != nullptr && cstate.progress != nullptr) {
        int goOn = 1;
        cstate.callback(&goOn, cstate.progress);
        if (!goOn)
            return 1;
    }
    int status = DECheckStatus(&e->head);
    // Every attempt shows its outcome on the region, a failed one too: the
    // marks may have been cleared without the region being restyled.
    auto failed = [e] {
        DEShowStatus(e);
        return 1;
    };
    if (status == 1) {
        checkPredeclared(e);
        if (!DEItemListConstraints(e))
            return failed();
        DEMarkEntry(&e->head, kDEChecked);
    } else if (status >= 2) {
        if (timedWithoutTime(e, single))
            return failed();
        DETokenizeEntry(&e->head);
        checkPredeclared(e);
        if (!DEConstraintStep(e))
            return failed();
        afterSuccess(e);
    }
    DEShowStatus(e);
    if (cstate.progress != nullptr)
        ++cstate.progress->counters[3];
    return 0;
}

namespace {

// Whether the declarations were reset or timed colour sets lost their
// checks since the flags were last cleared; clears both.
bool takeResets()
{
    const bool timed = DETakeTimedUnchecked() != 0;
    const bool reset = cstate.reset != 0;
    cstate.reset = 0;
    return reset || timed;
}

} // namespace

int DEStartCompileOrder(ProgressRecord* progress)
{
    cstate.progress = progress;
    cstate.compiledOnceAtStart = cstate.compiledOnce;
    SERoot* r = SECurrentRoot();
    if (r != nullptr && r->globalDecls != nullptr)
        r->globalDecls = LMSort(r->globalDecls, byNumber);
    int result = DEWalkEntries(stepInWalk, 0, 3, nullptr);
    takeResets();
    cstate.compiledOnce = 1;
    cstate.progress = nullptr;
    return result;
}

int DEEntryCompile(SEDeclEntry* entry, int* wasReset)
{
    takeResets();
    if (CTSStartEvaluator(GE_GetMLSettings) == 0)
        return 0;
    const bool reset = takeResets();
    if (wasReset != nullptr)
        *wasReset = reset ? 1 : 0;
    int cursor = EE_BeginBusy(nullptr);
    ProgressRecord own{nullptr, 8, {0, 0, 0, 0, 0}};
    cstate.progress = &own;
    clearDependencies(entry);
    int stop = DEEntryStep(entry, 1);
    EE_EndBusy(cursor);
    cstate.progress = nullptr;
    takeResets();
    cstate.compiledOnce = 1;
    return stop == 0 ? 1 : 0;
}

namespace {

int clearChecked(SEDeclEntry* e, void*)
{
    DEClearMark(&e->head, kDEChecked);
    return 0;
}
int clearCompiled(SEDeclEntry* e, void*)
{
    DEClearMark(&e->head, kDECompiled);
    return 0;
}

} // namespace

void DEResetCompileMarks()
{
    DEWalkEntries(clearChecked, 1, 3, nullptr);
    DEWalkEntries(clearCompiled, 1, 3, nullptr);
    cstate.reset = 1;
    SERoot* r = SECurrentRoot();
    if (r != nullptr)
        DEFreeTextList(r->textList);
}

void DEFileNameRef(SEDeclEntry* entry, const char* name, uint16_t kind)
{
    SENameRef* ref = SECreateNameRef(&entry->head, kind);
    if (ref != nullptr)
        DENameIndexFile(name, &ref->head);
}
