// Declaration entries in the net: making and freeing them, placing them with
// a text region below their node, finding names across the net, name rules,
// check marks and their display, deleting entries and the deleted-names list.
#include <cstring>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/DEclarations/DEInternal.h"
#include "atolq/DEclarations/DEServices.h"
#include "atolq/Utils/QXMem.h"

using namespace de;

namespace {

// Line style of a region per check status 0..3.
constexpr uint32_t kStatusStyle[4] = {0, 4, 3, 1};

const char* const kPredeclared[] = {"lt", "legal", "mkstr", "input", "output", "size", "all",
                                    "ran", "ord", "col", "mult", "set", "of"};

bool isPredeclared(const char* name)
{
    for (const char* w : kPredeclared)
        if (std::strcmp(w, name) == 0)
            return true;
    return false;
}

SERoot* root() { return SECurrentRoot(); }

} // namespace

// ---- records ----

SEDeclEntry* DENewEntry(uint16_t kind)
{
    return SECreateDeclEntry(0, kind);
}

void DEFreeEntry(SEDeclEntry* entry)
{
    if (entry == nullptr)
        return;
    DENameIndexForget(&entry->head);
    se::releaseDeclEntry(entry);
    se::freeRecord(&entry->head);
}

SEDeclItem* DEAddItem(SEDeclEntry* entry, uint16_t subKind, const char* name)
{
    SEDeclItem* item = SECreateDeclItem(entry, subKind);
    if (item != nullptr)
        item->name = dup(name);
    return item;
}

void DERemoveItem(SEDeclItem* item)
{
    SEDeclEntry* entry = asEntry(item->head.owner);
    if (entry == nullptr)
        return;
    DENameIndexForget(&item->head);
    se::releaseRecord(&item->head);
    se::unlinkAndFree(DEItemList(entry, item->head.subKind), &item->head);
}

void DEAppendText(LMList*& list, const char* text)
{
    if (list == nullptr)
        list = LMCreate(kLMValueList);
    LMAppend(list, dup(text != nullptr ? text : ""), nullptr);
}

void DEFreeTextList(LMList*& list)
{
    eachValue(list, [](void* v) { QXMem_Free(v); });
    if (list != nullptr)
        LMDestroy(list);
    list = nullptr;
}

// ---- walking all entries ----

namespace {

int walkNodes(const LMList* nodes, DEWalkFn callback, int all, void* argument)
{
    int any = 0;
    for (void* n = nodes != nullptr ? nodes->first : nullptr; n != nullptr; n = static_cast<LMLink*>(n)->next) {
        auto* node = static_cast<SEDeclNode*>(n);
        for (void* e = node->entries != nullptr ? node->entries->first : nullptr; e != nullptr;) {
            void* next = static_cast<LMLink*>(e)->next;
            if (callback(static_cast<SEDeclEntry*>(e), argument) != 0) {
                any = 1;
                if (!all)
                    return 1;
            }
            e = next;
        }
    }
    return any;
}

} // namespace

int DEWalkEntries(DEWalkFn callback, int all, int scope, void* argument)
{
    SERoot* r = root();
    if (r == nullptr)
        return 0;
    int any = 0;
    if ((scope & 1) != 0 && walkNodes(r->globalDecls, callback, all, argument) != 0) {
        any = 1;
        if (!all)
            return 1;
    }
    if ((scope & 2) != 0) {
        for (void* p = r->pages != nullptr ? r->pages->first : nullptr; p != nullptr; p = static_cast<LMLink*>(p)->next)
            if (walkNodes(static_cast<SEPage*>(p)->localDecls, callback, all, argument) != 0) {
                any = 1;
                if (!all)
                    return 1;
            }
    }
    return any;
}

// ---- names ----

void DEQualifiedNames(SEDeclItem* item, void (*visit)(const char*, void*), void* argument)
{
    SEDeclEntry* owner = asEntry(item->head.owner);
    if (owner == nullptr || item->name == nullptr)
        return;
    if (std::strcmp(item->name, "of") == 0 || std::strcmp(item->name, "set") == 0) {
        for (const std::string& label : texts(DELabels(owner)))
            visit((label + "_" + item->name).c_str(), argument);
    } else {
        visit((str(owner->name) + "." + item->name).c_str(), argument);
    }
}

namespace {

struct FindState {
    SEHead* excluded;
    const char* name;
    SEHead* found;
};

bool itemMatches(SEDeclItem* item, const char* name)
{
    if (item->head.subKind != kDEItemDeclare)
        return SafeStrcmp(item->name, name) == 0;
    struct Hit {
        const char* name;
        bool hit;
    } hit{name, false};
    DEQualifiedNames(
        item, [](const char* q, void* a) {
            auto* h = static_cast<Hit*>(a);
            h->hit = h->hit || std::strcmp(q, h->name) == 0;
        },
        &hit);
    return hit.hit;
}

int findStep(SEDeclEntry* e, void* argument)
{
    auto* s = static_cast<FindState*>(argument);
    // The entry being replaced gives up its names to its successor.
    if (e == DEReplacedEntry())
        return 0;
    if (&e->head != s->excluded && SafeStrcmp(e->name, s->name) == 0) {
        s->found = &e->head;
        return 1;
    }
    if (e->head.subKind != kDEColorSet)
        return 0;
    std::initializer_list<uint16_t> order = {kDEItemAlias, kDEItemVar, kDEItemMsvar, kDEItemDeclare};
    for (uint16_t sub : order)
        for (void* c = DEItemList(e, sub) != nullptr ? DEItemList(e, sub)->first : nullptr; c != nullptr;
             c = static_cast<LMLink*>(c)->next) {
            auto* item = static_cast<SEDeclItem*>(c);
            if (&item->head != s->excluded && itemMatches(item, s->name)) {
                s->found = &item->head;
                return 1;
            }
        }
    if (DECSKind(e) == kCSEnumerate || DECSKind(e) == kCSIndex)
        for (void* c = DEItemList(e, kDEItemValue) != nullptr ? DEItemList(e, kDEItemValue)->first : nullptr;
             c != nullptr; c = static_cast<LMLink*>(c)->next) {
            auto* item = static_cast<SEDeclItem*>(c);
            if (&item->head != s->excluded && SafeStrcmp(item->name, s->name) == 0) {
                s->found = &item->head;
                return 1;
            }
        }
    if (&e->head != s->excluded && isPredeclared(s->name)) {
        s->found = &e->head;
        return 1;
    }
    return 0;
}

// The kind that decides a name clash: colour sets and their aliases count as
// colour sets, other items as plain names.
uint16_t clashKind(SEHead* record)
{
    if (SEDeclEntry* e = asEntry(record))
        return e->head.subKind;
    return record->subKind == kDEItemAlias ? kDEColorSet : kDENone;
}

} // namespace

SEHead* DEFindEntry(SEHead* excluded, const char* name, int walkMode)
{
    if (name == nullptr)
        return nullptr;
    FindState s{excluded, name, nullptr};
    DEWalkEntries(findStep, 0, walkMode, &s);
    return s.found;
}

int DENameFree(SEDeclEntry* entry, const char* name)
{
    SEHead* found = DEFindEntry(entry != nullptr ? &entry->head : nullptr, name, 3);
    if (found == nullptr)
        return 1;
    if (entry != nullptr) {
        uint16_t mine = entry->head.subKind;
        uint16_t theirs = clashKind(found);
        bool refused = (mine == kDEColorSet && theirs == kDEColorSet) || (mine == kDEUse && theirs == kDEUse);
        if (!refused && (mine == kDEColorSet || theirs == kDEColorSet))
            return 1;
    }
    if (!DEQuiet())
        DEShowMessage(name, kDEMsgNameTaken);
    return 0;
}

int DEPageNameFree(SEDeclEntry* entry, const char* name, SEPage* page)
{
    FindState s{entry != nullptr ? &entry->head : nullptr, name, nullptr};
    bool hit = DEWalkEntries(findStep, 0, 1, &s) != 0;
    if (!hit && page != nullptr)
        hit = walkNodes(page->localDecls, findStep, 0, &s) != 0;
    if (hit && !DEQuiet())
        DEShowMessage(name, kDEMsgNameTaken);
    return hit ? 0 : 1;
}

int DELegalName(const char* name)
{
    if (name != nullptr && CTSLegalMLName(name) != 0)
        return 1;
    DEShowMessage(name != nullptr ? name : "", kDEMsgIllegalName);
    return 0;
}

// ---- marks and status ----

void DEMarkEntry(SEHead* record, uint32_t mask)
{
    if (record == nullptr)
        return;
    flagsOf(record) |= mask;
    if (SEDeclEntry* e = asEntry(record))
        eachItem(e, {kDEItemAlias, kDEItemVar, kDEItemMsvar, kDEItemDeclare, kDEItemValue},
                 [&](SEDeclItem* i) { i->flags |= mask; });
}

void DEClearMark(SEHead* record, uint32_t mask)
{
    if (record == nullptr) {
        EE_ReportError(kDEMsgNullRecord);
        return;
    }
    flagsOf(record) &= ~mask;
    switch (record->kind) {
    case kSEPlace:
    case kSETrans:
        if (record->owner != nullptr)
            flagsOf(record->owner) &= ~mask;
        break;
    case kSEPlaceFusSet:
    case kSETransFusSet:
        if (record->owner != nullptr)
            flagsOf(record->owner) &= ~mask;
        break;
    case kSEDeclEntry: {
        auto* e = reinterpret_cast<SEDeclEntry*>(record);
        eachItem(e, {kDEItemAlias, kDEItemVar, kDEItemMsvar, kDEItemDeclare, kDEItemValue},
                 [&](SEDeclItem* i) { i->flags &= ~mask; });
        eachValue(DEDependents(e), [&](void* v) { flagsOf(static_cast<SEHead*>(v)) &= ~mask; });
        break;
    }
    case kSEDeclItem:
        eachValue(DEItemDependents(reinterpret_cast<SEDeclItem*>(record)),
                  [&](void* v) { flagsOf(static_cast<SEHead*>(v)) &= ~mask; });
        break;
    default: break;
    }
}

int DECheckStatus(SEHead* record)
{
    uint32_t flags = flagsOf(record);
    if ((flags & kDEChecked) == 0)
        return (flags & kDEChanged) != 0 ? 2 : 3;
    SEDeclEntry* e = asEntry(record);
    if (e == nullptr)
        return 0;
    bool complete = true;
    eachItem(e, {kDEItemVar, kDEItemAlias, kDEItemMsvar, kDEItemDeclare},
             [&](SEDeclItem* i) { complete = complete && (i->flags & kDEChecked) != 0; });
    return complete ? 0 : 1;
}

void DEShowStatus(SEDeclEntry* entry)
{
    if (entry != nullptr && DERegion(entry) != 0)
        QXWtAttr_SetLineStyle(DERegion(entry), kStatusStyle[DECheckStatus(&entry->head)]);
}

// ---- the deleted-names list ----

LMList* DEDeletedNames()
{
    return root() != nullptr ? root()->textList : nullptr;
}

void DEAddDeletedName(const char* name)
{
    SERoot* r = root();
    if (r == nullptr || name == nullptr)
        return;
    for (const std::string& t : texts(r->textList))
        if (t == name)
            return;
    DEAppendText(r->textList, name);
}

namespace {

void addDeletedFn(const char* name, void*) { DEAddDeletedName(name); }

// The names an entry declares that vanish with it: its own, its aliases, its
// declare items (qualified), and the values of enumerate and index sets.
void listDeclaredNames(SEDeclEntry* e)
{
    DEAddDeletedName(e->name);
    if (e->head.subKind != kDEColorSet)
        return;
    eachItem(e, {kDEItemAlias}, [](SEDeclItem* i) { DEAddDeletedName(i->name); });
    eachItem(e, {kDEItemDeclare}, [](SEDeclItem* i) { DEQualifiedNames(i, addDeletedFn, nullptr); });
    if (DECSKind(e) == kCSEnumerate || DECSKind(e) == kCSIndex)
        eachItem(e, {kDEItemValue}, [](SEDeclItem* i) { DEAddDeletedName(i->name); });
}

} // namespace

// ---- deleting ----

int DEDeleteEntry(SEDeclEntry* entry)
{
    SEDeclNode* node = DEOwnerNode(entry);
    if (node != nullptr && (entry->flags & kDEChecked) != 0) {
        DEUncheck(&entry->head);
        listDeclaredNames(entry);
    }
    DEClearMark(&entry->head, kDEChecked);
    // Nothing may keep pointing at the entry or its items once it is gone.
    auto unlinkFrom = [&](SEHead* record) {
        eachValue(DEParents(entry), [&](void* p) {
            if (SEDeclEntry* parent = asEntry(static_cast<SEHead*>(p)))
                removeValue(DEDependents(parent), record);
        });
        eachValue(DEDependents(entry), [&](void* d) {
            auto* dependent = static_cast<SEHead*>(d);
            if (SEDeclEntry* de = asEntry(dependent))
                removeValue(DEParents(de), record);
        });
    };
    unlinkFrom(&entry->head);
    eachItem(entry, {kDEItemAlias, kDEItemVar, kDEItemMsvar, kDEItemDeclare, kDEItemValue},
             [&](SEDeclItem* i) { unlinkFrom(&i->head); });
    DENameIndexForget(&entry->head);
    declarationsChanged(node);
    se::releaseDeclEntry(entry);
    if (node != nullptr)
        se::unlinkAndFree(node->entries, &entry->head);
    else
        se::freeRecord(&entry->head);
    return 1;
}

// ---- copying ----

SEDeclEntry* DECopyEntry(SEDeclEntry* from)
{
    SEDeclEntry* to = DENewEntry(from->head.subKind);
    to->head.owner = from->head.owner;
    to->flags = from->flags;
    to->kvObject = from->kvObject;
    DECSKind(to) = DECSKind(from);
    DETimed(to) = DETimed(from);
    if (from->name != nullptr)
        to->name = dup(from->name);
    for (int i = 0; i < 4; ++i)
        if (from->texts[i] != nullptr)
            to->texts[i] = dup(from->texts[i]);
    if (DEComment(from) != nullptr)
        DEComment(to) = dup(DEComment(from));
    for (const std::string& t : texts(DELabels(from)))
        DEAppendText(DELabels(to), t.c_str());
    for (const std::string& t : texts(DEColorSets(from)))
        DEAppendText(DEColorSets(to), t.c_str());
    for (uint16_t sub = 1; sub <= 5; ++sub)
        eachRec(DEItemList(from, sub), [&](SEHead* h) {
            auto* i = reinterpret_cast<SEDeclItem*>(h);
            SEDeclItem* copy = DEAddItem(to, sub, str(i->name).c_str());
            copy->flags = i->flags;
            eachValue(DEItemDependents(i), [&](void* v) { addUnique(DEItemDependents(copy), v); });
        });
    eachValue(DEDependents(from), [&](void* v) { addUnique(DEDependents(to), v); });
    eachValue(DEParents(from), [&](void* v) { addUnique(DEParents(to), v); });
    return to;
}

int DEIsDeclObject(uint32_t object, int* flag)
{
    *flag = 1;
    SEHead* record = nullptr;
    if (object == 0 || GE_GetSERecord(object, &record) == 0 || record == nullptr)
        return 0;
    if (record->kind != kSEDeclNode && record->kind != kSEDeclEntry)
        return 0;
    return object != GE_GetDeferredObject() ? 1 : 0;
}
