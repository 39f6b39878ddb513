// Placing entries into the net: the rules every entry must pass, duplicates
// that become aliases, the entry's text region made below the node or the
// region before it, stacking the regions, and withdrawing checks.
#include <cstring>
#include <set>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/DEclarations/DEInternal.h"
#include "atolq/DEclarations/DEServices.h"
#include "atolq/Utils/QXMem.h"

using namespace de;

namespace {

constexpr size_t kMaxUniqueName = 256;

void incomplete(SEDeclEntry* e) { DEShowMessage(str(e->name).c_str(), kDEMsgIncomplete); }

// Fields of the colour-set dialog where a refused name is selected.
enum : int16_t {
    kFieldRows = 29,
    kFieldSet = 39,
    kFieldLow = 40,
    kFieldHigh = 42,
    kFieldLengthLow = 44,
    kFieldLengthHigh = 45,
    kFieldSubset = 47,
    kFieldItems = 49,
};

// Set while an entry of a dialog is checked: refusals select the field.
bool selecting = false;

void pointAt(int16_t field, const std::string& name, uint16_t itemKind = 0)
{
    if (selecting && field != 0)
        DEColorSetSelect(field, name.c_str(), itemKind);
}

bool rangePair(const char* a, const char* b, int16_t fieldA, int16_t fieldB)
{
    if (present(a) == present(b))
        return true;
    DEShowMessage(nullptr, kDEMsgRange);
    pointAt(present(a) ? fieldB : fieldA, "");
    return false;
}

bool allLegal(const std::vector<std::string>& names, int16_t field, bool skipEmpty = false)
{
    for (const std::string& n : names)
        if (!(skipEmpty && n.empty()) && !DELegalName(n.c_str())) {
            pointAt(field, n);
            return false;
        }
    return true;
}

bool noneTwice(const std::vector<std::string>& names, int16_t field, uint16_t itemKind = 0)
{
    std::set<std::string> seen;
    for (const std::string& n : names)
        if (!seen.insert(n).second) {
            DEShowMessage(n.c_str(), kDEMsgNameTaken);
            pointAt(field, n, itemKind);
            return false;
        }
    return true;
}

std::vector<std::string> namesOf(SEDeclEntry* e, uint16_t sub)
{
    std::vector<std::string> out;
    eachRec(DEItemList(e, sub), [&](SEHead* h) { out.push_back(str(reinterpret_cast<SEDeclItem*>(h)->name)); });
    return out;
}

// The parts each colour-set kind needs.
bool colorSetParts(SEDeclEntry* e)
{
    std::vector<std::string> sets = texts(DEColorSets(e));
    std::vector<std::string> labels = texts(DELabels(e));
    std::vector<std::string> values = namesOf(e, kDEItemValue);
    const uint32_t kind = DECSKind(e);
    const int16_t setField = kind == kCSProduct || kind == kCSRecord || kind == kCSUnion ? kFieldRows : kFieldSet;
    auto need = [&](bool ok, int16_t field = 0) {
        if (!ok) {
            incomplete(e);
            pointAt(field, "");
        }
        return ok;
    };
    auto legalSets = [&](bool skipEmpty) {
        for (const std::string& s : sets)
            if (!(skipEmpty && s.empty()) && CTSLegalMLName(s.c_str()) == 0) {
                incomplete(e);
                pointAt(setField, s);
                return false;
            }
        return true;
    };
    auto freeValues = [&](int16_t field) {
        for (const std::string& v : values)
            if (!DELegalName(v.c_str()) || !DENameFree(nullptr, v.c_str())) {
                pointAt(field, v);
                return false;
            }
        return true;
    };
    switch (kind) {
    case kCSBool:
    case kCSInt:
    case kCSReal:
    case kCSIntInf: return rangePair(e->texts[0], e->texts[1], kFieldLow, kFieldHigh);
    case kCSString:
        return rangePair(e->texts[0], e->texts[1], kFieldLow, kFieldHigh) &&
               rangePair(e->texts[2], e->texts[3], kFieldLengthLow, kFieldLengthHigh) &&
               rangePair(e->texts[0], e->texts[2], kFieldLow, kFieldLengthLow);
    case kCSEnumerate: return need(!values.empty(), kFieldRows) && freeValues(kFieldRows);
    case kCSIndex:
        return need(!values.empty(), kFieldSet) && need(present(e->texts[0]), kFieldLow) &&
               need(present(e->texts[1]), kFieldHigh) && freeValues(kFieldSet);
    case kCSList:
        return need(!sets.empty() && !sets[0].empty(), kFieldSet) &&
               rangePair(e->texts[0], e->texts[1], kFieldLow, kFieldHigh) && legalSets(false);
    case kCSProduct: return need(!sets.empty(), kFieldRows) && legalSets(false);
    case kCSRecord:
        return need(!labels.empty() && labels.size() == sets.size(), kFieldRows) && allLegal(labels, kFieldRows) &&
               legalSets(false) && noneTwice(labels, kFieldRows);
    case kCSUnion:
        return need(!labels.empty() && labels.size() == sets.size(), kFieldRows) && allLegal(labels, kFieldRows) &&
               legalSets(true) && noneTwice(labels, kFieldRows);
    case kCSSubsetFun:
        return need(!sets.empty() && !sets[0].empty(), kFieldSet) && need(present(e->texts[0]), kFieldSubset) &&
               legalSets(false);
    case kCSSubsetList:
        return need(!sets.empty() && !sets[0].empty(), kFieldSet) && need(!labels.empty(), kFieldSubset) &&
               legalSets(false) && allLegal(labels, kFieldSubset);
    case kCSDuplicate: return need(!sets.empty(), kFieldSet) && legalSets(false);
    default: return true;
    }
}

bool itemsPass(SEDeclEntry* e)
{
    std::vector<std::string> seen{str(e->name)};
    for (uint16_t sub : {kDEItemVar, kDEItemMsvar, kDEItemAlias}) {
        for (const std::string& n : namesOf(e, sub)) {
            if (!DELegalName(n.c_str())) {
                pointAt(kFieldItems, n, sub);
                return false;
            }
            bool twice = false;
            for (const std::string& s : seen)
                twice = twice || s == n;
            if (twice) {
                DEShowMessage(n.c_str(), kDEMsgNameTaken);
                pointAt(kFieldItems, n, sub);
                return false;
            }
            if (!DENameFree(nullptr, n.c_str())) {
                pointAt(kFieldItems, n, sub);
                return false;
            }
            seen.push_back(n);
        }
    }
    std::vector<std::string> declared = namesOf(e, kDEItemDeclare);
    for (const std::string& n : declared)
        if (!DEPredeclaredLegal(e, n.c_str())) {
            DEShowMessage(n.c_str(), kDEMsgBadPredeclared);
            pointAt(kFieldItems, n, kDEItemDeclare);
            return false;
        }
    return noneTwice(declared, kFieldItems, kDEItemDeclare);
}

// The page whose names pagerefs and instrefs must avoid, when the caller
// names it; else the page of the context's node.
SEPage* givenPage = nullptr;

bool nameFreeFor(DEDialogContext* c, SEDeclEntry* e)
{
    uint16_t kind = e->head.subKind;
    if (kind == kDEPageref || kind == kDEInstref)
        return DEPageNameFree(e, e->name, givenPage != nullptr ? givenPage : DEPageOfNode(DENodeOfObject(c->nodeObject))) != 0;
    return DENameFree(e, e->name) != 0;
}

void uncheckOne(SEHead* record, std::set<SEHead*>& seen)
{
    if (!seen.insert(record).second)
        return;
    DEClearMark(record, kDEChecked);
    SEDeclEntry* e = asEntry(record);
    if (e == nullptr && record->kind == kSEDeclItem)
        e = asEntry(record->owner);
    DEShowStatus(e);
    LMList* dependents = nullptr;
    if (SEDeclEntry* entry = asEntry(record))
        dependents = DEDependents(entry);
    else if (SEDeclItem* item = asItem(record))
        dependents = DEItemDependents(item);
    std::vector<SEHead*> list;
    eachValue(dependents, [&](void* v) { list.push_back(static_cast<SEHead*>(v)); });
    for (SEHead* d : list) {
        if (SEDeclEntry* de = asEntry(d))
            removeValue(DEParents(de), record);
        if (d->kind == kSEDeclEntry || d->kind == kSEDeclItem)
            uncheckOne(d, seen);
        else
            DEClearMark(d, kDEChecked);
    }
}

int insertAfter(void* value, void* argument, int) { return value == argument ? 1 : 0; }

} // namespace

int DEPredeclaredLegal(SEDeclEntry* e, const char* word)
{
    auto is = [&](std::initializer_list<const char*> words) {
        for (const char* w : words)
            if (std::strcmp(w, word) == 0)
                return true;
        return false;
    };
    uint32_t kind = DECSKind(e);
    if (is({"lt", "legal", "mkstr", "input"}))
        return 1;
    if (is({"mult", "set"}))
        return kind == kCSProduct || kind == kCSRecord ? 1 : 0;
    if (is({"of"}))
        return kind == kCSUnion ? 1 : 0;
    if (!is({"output", "size", "all", "ran", "ord", "col"}))
        return 0;
    switch (kind) {
    case kCSInt:
    case kCSIndex:
    case kCSList:
    case kCSIntInf: return present(e->texts[0]) ? 1 : 0;
    case kCSReal: return is({"ran"}) && present(e->texts[0]) ? 1 : 0;
    case kCSString: return present(e->texts[2]) ? 1 : 0;
    case kCSTime: return 0;
    default: return 1;
    }
}

int DECheckEntry(DEDialogContext* c)
{
    SEDeclEntry* e = c->work;
    if (!c->dialog) {
        if (!present(e->name)) {
            DEShowMessage(nullptr, kDEMsgNameRequired);
            return 0;
        }
        if (e->head.subKind != kDEUse && !DELegalName(e->name))
            return 0;
        if (!nameFreeFor(c, e))
            return 0;
    }
    if (e->head.subKind != kDEColorSet)
        return 1;
    if (DECSKind(e) == 0) {
        incomplete(e);
        return 0;
    }
    const bool was = selecting;
    selecting = c->dialog != 0;
    const bool passes = colorSetParts(e) && itemsPass(e);
    selecting = was;
    return passes ? 1 : 0;
}

void DEUncheck(SEHead* record)
{
    if (record == nullptr)
        return;
    std::set<SEHead*> seen;
    uncheckOne(record, seen);
}

// ---- placing ----

namespace {

// A duplicate without items names an existing colour set of the same timing:
// the new name becomes that set's alias. True when so handled.
bool becameAlias(SEDeclEntry* e)
{
    if (DECSKind(e) != kCSDuplicate)
        return false;
    for (uint16_t sub : {kDEItemVar, kDEItemMsvar, kDEItemAlias, kDEItemDeclare})
        if (LMCount(DEItemList(e, sub)) != 0)
            return false;
    std::vector<std::string> sets = texts(DEColorSets(e));
    if (sets.empty())
        return false;
    SEDeclEntry* base = asEntry(DEFindEntry(&e->head, sets[0].c_str(), 1));
    if (base == nullptr || base->head.subKind != kDEColorSet || SafeStrcmp(base->name, sets[0].c_str()) != 0 ||
        DETimed(base) != DETimed(e))
        return false;
    SEDeclItem* alias = DEAddItem(base, kDEItemAlias, e->name);
    alias->flags |= kDEChanged;
    DERewriteEntryText(base);
    DEFreeEntry(e);
    return true;
}

void inheritTiming(SEDeclEntry* e)
{
    for (const std::string& name : texts(DEColorSets(e))) {
        SEDeclEntry* used = asEntry(DEFindEntry(&e->head, name.c_str(), 3));
        if (used != nullptr && used->head.subKind == kDEColorSet && DETimed(used) == 1)
            DETimed(e) = 1;
    }
}

void appendCopy(SEText& name)
{
    std::string grown = str(name) + "'cpy";
    setText(name, grown);
}

bool makeUnique(DEDialogContext* c, SEDeclEntry* e)
{
    while (!DECheckEntry(c)) {
        if (SafeStrlen(e->name) > kMaxUniqueName)
            return false;
        appendCopy(e->name);
        eachItem(e, {kDEItemValue, kDEItemVar, kDEItemMsvar, kDEItemAlias}, [](SEDeclItem* i) { appendCopy(i->name); });
    }
    return true;
}

// ---- replacing an entry ----

bool sameTexts(const LMList* a, const LMList* b) { return texts(a) == texts(b); }

bool sameText(const char* a, const char* b) { return str(a) == str(b); }

void addNameFn(const char* name, void* argument) { static_cast<std::set<std::string>*>(argument)->insert(name); }

// Every name an entry declares: its own, its items' (declare items by their
// qualified names), and the values of enumerate and index colour sets.
std::set<std::string> declaredNames(SEDeclEntry* e)
{
    std::set<std::string> names{str(e->name)};
    eachItem(e, {kDEItemAlias, kDEItemVar, kDEItemMsvar}, [&](SEDeclItem* i) { names.insert(str(i->name)); });
    eachItem(e, {kDEItemDeclare}, [&](SEDeclItem* i) { DEQualifiedNames(i, addNameFn, &names); });
    if (DECSKind(e) == kCSEnumerate || DECSKind(e) == kCSIndex)
        eachItem(e, {kDEItemValue}, [&](SEDeclItem* i) { names.insert(str(i->name)); });
    return names;
}

SEDeclItem* itemNamed(LMList* list, const char* name)
{
    SEDeclItem* found = nullptr;
    eachRec(list, [&](SEHead* h) {
        auto* i = reinterpret_cast<SEDeclItem*>(h);
        if (found == nullptr && SafeStrcmp(i->name, name) == 0)
            found = i;
    });
    return found;
}

// Rebuilds each item list of the new entry: an item the old entry has under
// the same name in the same list is the old record (with its marks and
// references); any other item becomes the old entry's. Old items that are not
// taken over stay in the old entry's lists.
void takeOverItems(SEDeclEntry* neu, SEDeclEntry* old)
{
    for (uint16_t sub : {kDEItemVar, kDEItemMsvar, kDEItemAlias, kDEItemDeclare, kDEItemValue}) {
        std::vector<SEDeclItem*> order;
        eachRec(DEItemList(neu, sub), [&](SEHead* h) { order.push_back(reinterpret_cast<SEDeclItem*>(h)); });
        LMList* rebuilt = LMCreate(kLMRecordList);
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            SEDeclItem* mine = *it;
            if (SEDeclItem* theirs = itemNamed(DEItemList(old, sub), mine->name)) {
                LMMoveRec(DEItemList(old, sub), rebuilt, theirs, nullptr, 0, nullptr);
            } else {
                LMMoveRec(DEItemList(neu, sub), rebuilt, mine, nullptr, 0, nullptr);
                mine->head.owner = &old->head;
            }
        }
        se::releaseRecordList(DEItemList(neu, sub));
        DEItemList(neu, sub) = rebuilt;
    }
}

// Nothing may keep pointing at an item that goes away.
void forgetItem(SEDeclItem* item)
{
    eachValue(DEItemDependents(item), [&](void* d) {
        if (SEDeclEntry* dependent = asEntry(static_cast<SEHead*>(d)))
            removeValue(DEParents(dependent), &item->head);
    });
    DENameIndexForget(&item->head);
}

void mergeIdList(LMList*& into, LMList*& from, SEHead* self)
{
    eachValue(from, [&](void* v) {
        if (v != self)
            addUnique(into, v);
    });
}

// The new contents move into the old record, which keeps its place in the
// node's list, its id, owner and region, so that references to it stay valid.
void moveContents(SEDeclEntry* neu, SEDeclEntry* old)
{
    for (uint16_t sub : {kDEItemVar, kDEItemMsvar, kDEItemAlias, kDEItemDeclare, kDEItemValue})
        eachRec(DEItemList(old, sub), [&](SEHead* h) { forgetItem(reinterpret_cast<SEDeclItem*>(h)); });
    for (int i = 0; i < 2; ++i)
        mergeIdList(neu->idLists[i], old->idLists[i], &old->head);
    if (sameText(neu->name, old->name))
        std::swap(neu->name, old->name);
    SEDeclEntry kept = *old;
    SEDeclEntry moved = *neu;
    se::releaseDeclEntry(old);
    SEDeclEntry* target = old;
    std::memcpy(reinterpret_cast<char*>(target) + sizeof(SEHead), reinterpret_cast<char*>(&moved) + sizeof(SEHead),
                sizeof(SEDeclEntry) - sizeof(SEHead));
    target->head.subKind = moved.head.subKind;
    target->kvObject = kept.kvObject;
    std::memset(reinterpret_cast<char*>(neu) + sizeof(SEHead), 0, sizeof(SEDeclEntry) - sizeof(SEHead));
    DENameIndexForget(&neu->head);
    se::freeRecord(&neu->head);
}

int replaceEntry(SEDeclEntry* old, SEDeclEntry* neu)
{
    SEDeclNode* node = DEOwnerNode(old);
    if (node == nullptr) {
        DEFreeEntry(neu);
        return 0;
    }
    const bool wasChecked = (old->flags & kDEChecked) != 0;
    std::set<std::string> before = declaredNames(old);
    takeOverItems(neu, old);
    // What the old entry declared and the new one does not goes to the
    // deleted-names list, and whatever used it is checked again.
    if (wasChecked) {
        std::set<std::string> after = declaredNames(neu);
        for (const std::string& name : before)
            if (after.count(name) == 0)
                DEAddDeletedName(name.c_str());
    }
    DEKeepCheck(neu, old);
    // A changed text that is no longer checked takes the checks of what
    // depended on the old one with it.
    if (wasChecked && (neu->flags & kDEChecked) == 0) {
        mergeIdList(DEDependents(neu), DEDependents(old), &old->head);
        DEUncheck(&neu->head);
    }
    for (uint16_t sub : {kDEItemVar, kDEItemMsvar, kDEItemAlias, kDEItemDeclare, kDEItemValue})
        eachRec(DEItemList(old, sub), [&](SEHead* h) { DEUncheck(h); });
    moveContents(neu, old);
    uint32_t previous = QXStr_GetCurObject();
    DEWriteEntryText(old, DERegion(old));
    QXStr_SetCurObject(DERegion(old));
    QXUI_DoCommand(kDECmdFitToText);
    QXStr_SetCurObject(previous);
    DEMarkEntry(&old->head, kDEChanged);
    DEShowStatus(old);
    declarationsChanged(node);
    return DEStackEntryRegions(old, 0, node->kvObject);
}

} // namespace

void DEKeepCheck(SEDeclEntry* neu, SEDeclEntry* old)
{
    if ((neu->flags & kDEChecked) == 0)
        return;
    bool valuesEqual = LMCount(DEItemList(old, kDEItemValue)) == 0 && LMCount(DEItemList(neu, kDEItemValue)) == 0;
    if (!valuesEqual && DEItemList(old, kDEItemValue) != nullptr && LMCount(DEItemList(old, kDEItemValue)) == 0) {
        valuesEqual = true;
        eachItem(neu, {kDEItemValue}, [&](SEDeclItem* i) { valuesEqual = valuesEqual && (i->flags & kDEChecked) != 0; });
    }
    bool same = valuesEqual && sameText(neu->name, old->name) && DECSKind(neu) == DECSKind(old) &&
                DETimed(neu) == DETimed(old) && sameTexts(DELabels(neu), DELabels(old)) &&
                sameTexts(DEColorSets(neu), DEColorSets(old));
    for (int i = 0; i < 4; ++i)
        same = same && sameText(neu->texts[i], old->texts[i]);
    if (same)
        eachItem(old, {kDEItemAlias, kDEItemVar, kDEItemMsvar, kDEItemDeclare}, [](SEDeclItem* i) { DEUncheck(&i->head); });
    else
        DEUncheck(&neu->head);
}

int DEPlaceEntry(SEDeclEntry* entry, uint32_t* nodeObject)
{
    DEDialogContext c{nullptr, 0, *nodeObject, nullptr, entry, entry->head.subKind, 0};
    if (!DEQuiet()) {
        if (!DECheckEntry(&c)) {
            DEFreeEntry(entry);
            return 0;
        }
        if (entry->head.subKind == kDEColorSet) {
            if (becameAlias(entry))
                return 1;
            if (DETimingWord() == 0)
                inheritTiming(entry);
        }
    } else if (!makeUnique(&c, entry)) {
        DEFreeEntry(entry);
        return 0;
    }
    // The first entry converted while an entry is being replaced takes its
    // place; any further ones are new entries after it.
    SEDeclEntry* replaced = DEReplacedEntry();
    DESetReplacedEntry(nullptr);
    DEPlacement placement{*nodeObject, replaced, entry};
    if (DEPlaceRegion(&placement) == 0)
        return 0;
    SEDeclEntry* placed = replaced != nullptr ? replaced : entry;
    if (DERegion(placed) == 0)
        return 0;
    *nodeObject = DERegion(placed);
    return 1;
}

int DEPlaceRegion(DEPlacement* p)
{
    if (p->replaced != nullptr)
        return replaceEntry(p->replaced, p->entry);
    SEDeclEntry* entry = p->entry;
    SEHead* afterRecord = nullptr;
    GE_GetSERecord(p->after, &afterRecord);
    SEDeclNode* node = DENodeOfObject(p->after);
    if (node == nullptr) {
        DEFreeEntry(entry);
        return 0;
    }
    SEDeclEntry* afterEntry = asEntry(afterRecord);
    uint32_t previous = QXStr_GetCurObject();
    Fixed x = 0, y = 0, w = 0, h = 0;
    QXRdAttr_GetSize(p->after, &w, &h);
    QXRdAttr_GetPosition(p->after, &x, &y);
    uint32_t region = QXStr_CreateNode(pageOf(p->after), x, y, w, h, 1);
    if (region == 0) {
        DEShowMessage(nullptr, kDEMsgNoRegion);
        QXStr_SetCurObject(previous);
        DEFreeEntry(entry);
        return 0;
    }
    GE_ApplyDefaultAttributes(kDERegionDefaults, region);
    GE_AttachAsRegion(node->kvObject, region, kDERegionKind);
    GE_SetSERecord(region, &entry->head);
    if (node->entries == nullptr)
        node->entries = LMCreate(kLMRecordList);
    if (afterEntry == nullptr || LMInsertSorted(node->entries, entry, nullptr, insertAfter, 0, afterEntry) == 0)
        LMPushRec(node->entries, entry);
    DERegion(entry) = region;
    entry->head.owner = &node->head;
    DEWriteEntryText(entry, region);
    QXStr_SetCurObject(region);
    QXUI_DoCommand(kDECmdFitToText);
    QXStr_SetCurObject(previous);
    DEMarkEntry(&entry->head, kDEChanged);
    DEShowStatus(entry);
    declarationsChanged(node);
    return DEStackEntryRegions(entry, 0, node->kvObject);
}

void de::declarationsChanged(SEDeclNode* node)
{
    if (node == nullptr)
        return;
    if (node->head.subKind == kSEDeclLocal) {
        if (SEPage* page = DEPageOfNode(node))
            page->flags &= ~kSEInscriptionMark;
    } else {
        node->flags &= ~kSEInscriptionMark;
    }
    if (SERoot* root = SECurrentRoot())
        root->flags &= ~kSEBit0;
}

void DERewriteEntryText(SEDeclEntry* entry)
{
    SEDeclNode* node = DEOwnerNode(entry);
    if (DERegion(entry) == 0 || node == nullptr)
        return;
    uint32_t previous = QXStr_GetCurObject();
    DEWriteEntryText(entry, DERegion(entry));
    QXStr_SetCurObject(DERegion(entry));
    QXUI_DoCommand(kDECmdFitToText);
    QXStr_SetCurObject(previous);
    DEStackEntryRegions(entry, DERegion(entry), node->kvObject);
}

int DEStackEntryRegions(SEDeclEntry* entry, uint32_t region, uint32_t nodeObject)
{
    SEHead* record = nullptr;
    GE_GetSERecord(nodeObject, &record);
    if (record == nullptr || record->kind != kSEDeclNode)
        return 0;
    auto* node = reinterpret_cast<SEDeclNode*>(record);
    if (region != 0) {
        Fixed nw = 0, nh = 0, rw = 0, rh = 0;
        QXRdAttr_GetSize(nodeObject, &nw, &nh);
        QXRdAttr_GetSize(region, &rw, &rh);
        QXWtAttr_SetSize(region, nw, rh);
    }
    uint32_t above = nodeObject;
    bool started = entry == nullptr;
    eachRec(node->entries, [&](SEHead* h) {
        auto* e = reinterpret_cast<SEDeclEntry*>(h);
        started = started || e == entry;
        if (started && DERegion(e) != 0)
            QXUI_AlignObjects(DERegion(e), kDEAlignTopToBottom, above, 0);
        if (DERegion(e) != 0)
            above = DERegion(e);
    });
    return 1;
}

// ---- names of a copied local node ----

namespace {

struct SavedNames {
    std::string name;
    std::vector<std::pair<SEDeclItem*, std::string>> items;
};

SavedNames saveNames(SEDeclEntry* e)
{
    SavedNames saved{str(e->name), {}};
    eachItem(e, {kDEItemValue, kDEItemVar, kDEItemMsvar, kDEItemAlias},
             [&](SEDeclItem* i) { saved.items.emplace_back(i, str(i->name)); });
    return saved;
}

void restoreNames(SEDeclEntry* e, const SavedNames& saved)
{
    setText(e->name, saved.name);
    for (const auto& [item, name] : saved.items)
        setText(item->name, name);
}

} // namespace

void DEUniqueLocalNames(SEDeclNode* node, SEPage* page)
{
    if (node == nullptr)
        return;
    std::vector<SEDeclEntry*> entries;
    eachRec(node->entries, [&](SEHead* h) { entries.push_back(reinterpret_cast<SEDeclEntry*>(h)); });
    const int wasQuiet = DEQuiet();
    DESetQuiet(1);
    givenPage = page;
    bool changed = false;
    for (SEDeclEntry* e : entries) {
        DEDialogContext c{nullptr, 0, node->kvObject, nullptr, e, e->head.subKind, 0};
        if (DECheckEntry(&c))
            continue;
        SavedNames saved = saveNames(e);
        if (!makeUnique(&c, e)) {
            // The entry keeps the name it came with rather than one that is
            // neither its own nor unique.
            restoreNames(e, saved);
            DEShowMessage("Could not obtain unique name for local declaration", 0);
            continue;
        }
        DERewriteEntryText(e);
        changed = true;
    }
    givenPage = nullptr;
    DESetQuiet(wasQuiet);
    if (changed)
        DEBrowserFillList(0, 0);
}

SEDeclNode* DENodeOfObject(uint32_t object)
{
    SEHead* record = nullptr;
    if (object == 0 || GE_GetSERecord(object, &record) == 0 || record == nullptr)
        return nullptr;
    if (record->kind == kSEDeclNode)
        return reinterpret_cast<SEDeclNode*>(record);
    if (SEDeclEntry* e = asEntry(record))
        return DEOwnerNode(e);
    return nullptr;
}

SEPage* DEPageOfNode(SEDeclNode* node)
{
    return node != nullptr && node->head.owner != nullptr && node->head.owner->kind == kSEPage
               ? reinterpret_cast<SEPage*>(node->head.owner)
               : nullptr;
}
