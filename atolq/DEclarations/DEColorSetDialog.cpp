// The colour-set dialog: the kind menu and the fields each kind shows, the
// row list of enumerate, product, record and union colour sets, the item
// lists (var, msvar, alias, declare) and the comment edited in one field,
// reading the fields back into the entry, the checks run before a compile,
// and taking a declaration chosen in the browser panel into the fields.
#include <algorithm>
#include <map>

#include "atolq/DEclarations/DEAsk.h"
#include "atolq/DEclarations/DEInternal.h"
#include "atolq/DEclarations/DEServices.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/dialog/Dialog.h"

using namespace de;

namespace {

enum : int16_t {
    kItemOK = 1,
    kItemCancel = 2,
    kItemReset = 3,
    kItemCheck = 4,
    kItemDefault = 5,
    kItemShowText = 13,
    kItemName = 20,
    kItemKindMenu = 21,
    kItemTimed = 23,
    kItemListMenu = 24,
    kItemWordMenu = 25,
    kItemRowName = 26,
    kItemRowSet = 27,
    kItemRows = 29,
    kItemUp = 30,
    kItemDown = 31,
    kItemDelete = 32,
    kItemReplace = 33,
    kItemAdd = 34,
    kItemRowText = 35,
    kItemWith = 36,
    kItemUnit = 37,
    kItemClose = 38,
    kItemSet = 39,
    kItemLow = 40,
    kItemRangeWord = 41,
    kItemHigh = 42,
    kItemLength = 43,
    kItemLengthLow = 44,
    kItemLengthHigh = 45,
    kItemLengthWord = 46,
    kItemSubset = 47,
    kItemBracket = 48,
    kItemItems = 49,
};
constexpr int16_t kMsgChangeKind = 0x450f;
constexpr int32_t kRowWidth = 256;
constexpr int32_t kRowCapacity = 500;

const char* const kKindLabels[24] = {"unit",      "bool",    "int",     "real",        "string",      "enumerate",
                                     "index",     "list",    "product", "record",      "union",       "subset/func",
                                     "subset/list", "time",  "duplicate", "",          "",            "",
                                     "",          "",        "",        "",            "",            "IntInt"};
const char* const kListWords[5] = {"var", "msvar", "alias", "declare", "comment"};
const char* const kPredeclaredWords[13] = {"lt",  "legal", "mkstr", "input", "output", "size", "all",
                                           "ran", "ord",   "col",   "mult",  "set",    "of"};
// Item-list choice (position in the menu) -> item sub-kind; 0 is the comment.
constexpr uint16_t kChoiceKinds[5] = {kDEItemVar, kDEItemMsvar, kDEItemAlias, kDEItemDeclare, 0};
constexpr int kCommentChoice = 4;
constexpr int kDeclareChoice = 3;

// What one open colour-set dialog keeps besides its context.
struct Form {
    int choice = 0;                 // the item list shown in item 49
    std::vector<std::string> rows;  // list 29, without prefixes
};
std::map<int32_t, Form> forms;

Form& form() { return forms[Dialog_Depth()]; }

DEDialogContext* contextOf() { return static_cast<DEDialogContext*>(Dialog_GetClientData()); }

uint16_t kindOf(SEDeclEntry* e) { return static_cast<uint16_t>(DECSKind(e)); }

bool rowKind(uint16_t k) { return k == kCSEnumerate || k == kCSProduct || k == kCSRecord || k == kCSUnion; }
bool pairKind(uint16_t k) { return k == kCSRecord || k == kCSUnion; }

void show(std::initializer_list<int16_t> items, bool on = true)
{
    for (int16_t item : items)
        Dialog_ShowItem(item, on ? 1 : 0);
}

void showRange(int16_t first, int16_t last)
{
    for (int16_t item = first; item <= last; ++item)
        Dialog_ShowItem(item, 1);
}

// ---- the rows of list 29 ----

const char* separatorOf(uint16_t kind)
{
    switch (kind) {
    case kCSEnumerate: return "| ";
    case kCSUnion: return "+ ";
    default: return "* ";
    }
}

void redrawRows(Form& f, uint16_t kind, int32_t selected)
{
    Dialog_ClearList(kItemRows);
    for (size_t i = 0; i < f.rows.size(); ++i) {
        std::string shown = (i == 0 ? "  " : separatorOf(kind)) + f.rows[i];
        int32_t position = static_cast<int32_t>(i);
        Dialog_InsertListEntry(kItemRows, shown.c_str(), 0, &position);
    }
    if (selected >= 0 && static_cast<size_t>(selected) < f.rows.size())
        Dialog_HighlightListEntry(kItemRows, selected, 1);
    const bool one = selected >= 0 && static_cast<size_t>(selected) < f.rows.size();
    for (int16_t item : {kItemDelete, kItemReplace})
        one ? Dialog_EnableItem(item) : Dialog_DisableItem(item);
}

std::string pairRow(const std::string& name, const std::string& set)
{
    return set.empty() ? name : name + " : " + set;
}

// A record or union row: the name and the colour set, split at ":".
std::pair<std::string, std::string> splitRow(const std::string& row)
{
    size_t colon = row.find(':');
    if (colon == std::string::npos)
        return {trim(row), {}};
    return {trim(row.substr(0, colon)), trim(row.substr(colon + 1))};
}

// Names split at ","; leading and trailing blanks dropped, empty names skipped.
std::vector<std::string> splitNames(const std::string& text)
{
    std::vector<std::string> names;
    size_t from = 0;
    while (from <= text.size()) {
        size_t comma = text.find(',', from);
        std::string name = trim(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (!name.empty())
            names.push_back(name);
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    return names;
}

std::vector<std::string> itemNames(SEDeclEntry* e, uint16_t sub)
{
    std::vector<std::string> names;
    eachRec(DEItemList(e, sub), [&](SEHead* h) { names.push_back(str(reinterpret_cast<SEDeclItem*>(h)->name)); });
    return names;
}

// Rebuilds an item list from names; an item that keeps its name keeps its
// marks and its reference list.
void rebuildItems(SEDeclEntry* e, uint16_t sub, const std::vector<std::string>& names)
{
    struct Kept {
        uint32_t flags;
        std::vector<void*> references;
    };
    std::map<std::string, Kept> kept;
    std::vector<SEDeclItem*> old;
    eachRec(DEItemList(e, sub), [&](SEHead* h) {
        auto* i = reinterpret_cast<SEDeclItem*>(h);
        Kept k{i->flags, {}};
        eachValue(DEItemDependents(i), [&](void* v) { k.references.push_back(v); });
        kept.emplace(str(i->name), std::move(k));
        old.push_back(i);
    });
    for (SEDeclItem* i : old)
        DERemoveItem(i);
    for (const std::string& name : names) {
        SEDeclItem* item = DEAddItem(e, sub, name.c_str());
        if (item == nullptr)
            continue;
        if (auto it = kept.find(name); it != kept.end()) {
            item->flags = it->second.flags;
            for (void* v : it->second.references)
                addUnique(DEItemDependents(item), v);
        }
    }
}

std::string choiceText(SEDeclEntry* e, int choice)
{
    if (choice == kCommentChoice)
        return str(DEComment(e));
    return join(itemNames(e, kChoiceKinds[choice]), ", ");
}

// Item 49 goes back into the list (or the comment) it shows.
void storeShownList(SEDeclEntry* e, const Form& f)
{
    std::string text = itemText(kItemItems);
    if (f.choice == kCommentChoice)
        takeText(DEComment(e), text);
    else
        rebuildItems(e, kChoiceKinds[f.choice], splitNames(text));
}

void showList(SEDeclEntry* e, Form& f, int choice)
{
    f.choice = std::clamp(choice, 0, kCommentChoice);
    std::string text = choiceText(e, f.choice);
    Dialog_HighlightListEntry(kItemListMenu, f.choice, 1);
    Dialog_SetItemText(kItemItems, text.c_str());
    Dialog_SelectItemText(kItemItems, static_cast<int32_t>(text.size()), static_cast<int32_t>(text.size()));
    show({kItemWordMenu}, f.choice == kDeclareChoice);
}

// ---- the kind's fields ----

void setField(int16_t item, const char* text) { Dialog_SetItemText(item, str(text).c_str()); }

std::string firstSet(SEDeclEntry* e)
{
    std::vector<std::string> sets = texts(DEColorSets(e));
    return sets.empty() ? std::string() : sets.front();
}

void rowsFromEntry(SEDeclEntry* e, Form& f)
{
    f.rows.clear();
    const uint16_t kind = kindOf(e);
    if (kind == kCSEnumerate) {
        f.rows = itemNames(e, kDEItemValue);
    } else if (kind == kCSProduct) {
        f.rows = texts(DEColorSets(e));
    } else if (pairKind(kind)) {
        std::vector<std::string> labels = texts(DELabels(e));
        std::vector<std::string> sets = texts(DEColorSets(e));
        for (size_t i = 0; i < labels.size(); ++i)
            f.rows.push_back(pairRow(labels[i], i < sets.size() ? sets[i] : std::string()));
    }
}

void layOut(SEDeclEntry* e, Form& f)
{
    Dialog_ClearList(kItemRows);
    for (int16_t item = kItemRowName; item <= kItemBracket; ++item)
        Dialog_ShowItem(item, 0);
    Dialog_SetItemText(kItemWith, "with");
    const uint16_t kind = kindOf(e);
    Dialog_HighlightListEntry(kItemKindMenu, kind >= 1 && kind <= 24 ? kind - 1 : 0, kind >= 1 && kind <= 24);
    switch (kind) {
    case kCSUnit:
        show({kItemWith, kItemUnit});
        setField(kItemUnit, e->texts[0]);
        break;
    case kCSBool:
        show({kItemWith, kItemLow, kItemRangeWord, kItemHigh, kItemClose});
        Dialog_SetItemText(kItemWith, "with (");
        Dialog_SetItemText(kItemRangeWord, ",");
        setField(kItemLow, e->texts[0]);
        setField(kItemHigh, e->texts[1]);
        break;
    case kCSInt:
    case kCSReal:
    case kCSIntInf:
    case kCSString:
        show({kItemWith, kItemLow, kItemRangeWord, kItemHigh});
        Dialog_SetItemText(kItemRangeWord, "..");
        setField(kItemLow, e->texts[0]);
        setField(kItemHigh, e->texts[1]);
        if (kind == kCSString) {
            showRange(kItemLength, kItemLengthWord);
            setField(kItemLengthLow, e->texts[2]);
            setField(kItemLengthHigh, e->texts[3]);
        }
        break;
    case kCSIndex:
    case kCSList:
        show({kItemSet, kItemWith, kItemLow, kItemRangeWord, kItemHigh});
        Dialog_SetItemText(kItemRangeWord, "..");
        if (kind == kCSList)
            Dialog_SetItemText(kItemWith, "len");
        Dialog_SetItemText(kItemSet, kind == kCSIndex ? join(itemNames(e, kDEItemValue), ", ").c_str()
                                                      : firstSet(e).c_str());
        setField(kItemLow, e->texts[0]);
        setField(kItemHigh, e->texts[1]);
        break;
    case kCSEnumerate:
    case kCSProduct: showRange(kItemRows, kItemRowText); break;
    case kCSRecord:
    case kCSUnion: showRange(kItemRowName, kItemAdd); break;
    case kCSSubsetFun:
    case kCSSubsetList:
        show({kItemSet, kItemWith, kItemSubset});
        Dialog_SetItemText(kItemSet, firstSet(e).c_str());
        if (kind == kCSSubsetList) {
            Dialog_SetItemText(kItemWith, "with [");
            show({kItemBracket});
            Dialog_SetItemText(kItemSubset, join(texts(DELabels(e)), ", ").c_str());
        } else {
            Dialog_SetItemText(kItemWith, "by");
            setField(kItemSubset, e->texts[0]);
        }
        break;
    case kCSDuplicate:
        show({kItemSet});
        Dialog_SetItemText(kItemSet, firstSet(e).c_str());
        break;
    default: break;
    }
    rowsFromEntry(e, f);
    if (rowKind(kind))
        redrawRows(f, kind, -1);
}

// ---- opening ----

void fillMenu(int16_t item, const char* const* words, int32_t count)
{
    Dialog_SetListItems(item, count, words, count, 32, nullptr, 0);
}

void openFields(DEDialogContext* c, bool menus)
{
    openWork(c);
    SEDeclEntry* e = c->work;
    if (c->edited == nullptr && DECSKind(e) == 0)
        DECSKind(e) = kCSUnit;
    Form& f = form();
    f = Form{};
    if (menus) {
        Dialog_SetDefaultItem(kItemDefault);
        Dialog_SetListItems(kItemRows, 0, nullptr, kRowCapacity, kRowWidth, nullptr, 0);
        fillMenu(kItemKindMenu, kKindLabels, 24);
        fillMenu(kItemListMenu, kListWords, 5);
        fillMenu(kItemWordMenu, kPredeclaredWords, 13);
    }
    for (int16_t item : {kItemName, kItemRowName, kItemRowSet, kItemRowText, kItemUnit, kItemSet, kItemLow, kItemHigh,
                         kItemLengthLow, kItemLengthHigh, kItemSubset, kItemItems})
        Dialog_SetItemText(item, "");
    Dialog_SetItemState(kItemTimed, DETimed(e) == 1 ? 1 : 0);
    showList(e, f, 0);
    layOut(e, f);
    Dialog_SetItemText(kItemName, str(e->name).c_str());
    selectItem(kItemName);
}

// ---- row editing ----

int32_t selectedRow(const Form& f)
{
    int32_t index = Dialog_GetListSelection(kItemRows);
    return index >= 0 && static_cast<size_t>(index) < f.rows.size() ? index : -1;
}

// The row the entry fields make, or none when a required field is empty.
std::string rowFromFields(uint16_t kind)
{
    if (!pairKind(kind))
        return trim(itemText(kItemRowText));
    std::string name = trim(itemText(kItemRowName));
    std::string set = trim(itemText(kItemRowSet));
    if (name.empty() || (kind == kCSRecord && set.empty()))
        return {};
    return pairRow(name, set);
}

void rowToFields(uint16_t kind, const std::string& row)
{
    if (pairKind(kind)) {
        auto [name, set] = splitRow(row);
        Dialog_SetItemText(kItemRowName, name.c_str());
        Dialog_SetItemText(kItemRowSet, set.c_str());
    } else {
        Dialog_SetItemText(kItemRowText, row.c_str());
    }
}

void clearRowFields()
{
    for (int16_t item : {kItemRowName, kItemRowSet, kItemRowText})
        Dialog_SetItemText(item, "");
}

void rowHit(uint16_t kind, Form& f, int16_t item)
{
    int32_t at = selectedRow(f);
    switch (item) {
    case kItemRows:
        if (at >= 0)
            rowToFields(kind, f.rows[static_cast<size_t>(at)]);
        redrawRows(f, kind, at);
        return;
    case kItemUp:
    case kItemDown: {
        int32_t to = at + (item == kItemUp ? -1 : 1);
        if (at < 0 || to < 0 || static_cast<size_t>(to) >= f.rows.size()) {
            QXUI_Beep(0);
            return;
        }
        std::swap(f.rows[static_cast<size_t>(at)], f.rows[static_cast<size_t>(to)]);
        redrawRows(f, kind, to);
        return;
    }
    case kItemDelete:
        if (at < 0) {
            QXUI_Beep(0);
            return;
        }
        f.rows.erase(f.rows.begin() + at);
        clearRowFields();
        redrawRows(f, kind, -1);
        return;
    default: break;
    }
    std::string row = rowFromFields(kind);
    if (row.empty() || (item == kItemReplace && at < 0)) {
        QXUI_Beep(0);
        return;
    }
    if (item == kItemReplace) {
        f.rows[static_cast<size_t>(at)] = row;
        redrawRows(f, kind, at);
    } else {
        f.rows.push_back(row);
        redrawRows(f, kind, -1);
    }
}

// ---- the kind menu ----

bool hasText(int16_t item) { return !trim(itemText(item)).empty(); }

// The rows shown go back into the entry's lists, as they are read when the
// kind changes.
void rowsToEntry(SEDeclEntry* e, const Form& f)
{
    const uint16_t kind = kindOf(e);
    if (!rowKind(kind) || kind == kCSEnumerate)
        return;
    DEFreeTextList(DELabels(e));
    DEFreeTextList(DEColorSets(e));
    for (const std::string& row : f.rows) {
        if (kind == kCSProduct) {
            DEAppendText(DEColorSets(e), trim(row).c_str());
        } else {
            auto [name, set] = splitRow(row);
            DEAppendText(DELabels(e), name.c_str());
            DEAppendText(DEColorSets(e), set.c_str());
        }
    }
}

void changeKind(DEDialogContext* c, Form& f)
{
    SEDeclEntry* e = c->work;
    int32_t picked = Dialog_GetListSelection(kItemKindMenu);
    const uint16_t kind = static_cast<uint16_t>(picked + 1);
    const uint16_t old = kindOf(e);
    if (picked < 0 || *kKindLabels[picked] == 0 || kind == old || DEConfirmKindChange(c) == 0) {
        Dialog_HighlightListEntry(kItemKindMenu, old >= 1 && old <= 24 ? old - 1 : 0, 1);
        return;
    }
    rowsToEntry(e, f);
    const bool bothSubsets = (old == kCSSubsetFun || old == kCSSubsetList) &&
                             (kind == kCSSubsetFun || kind == kCSSubsetList);
    if (bothSubsets) {
        DEFreeTextList(DEColorSets(e));
        DEAppendText(DEColorSets(e), trim(itemText(kItemSet)).c_str());
    }
    DEChangeColorSetKind(e, kind);
    if (kind != kCSEnumerate && kind != kCSIndex)
        rebuildItems(e, kDEItemValue, {});
    if (bothSubsets)
        Dialog_SetItemText(kItemSubset, "");
    layOut(e, f);
}

// ---- the predeclared words ----

void addWord()
{
    int32_t picked = Dialog_GetListSelection(kItemWordMenu);
    if (picked < 0 || picked >= 13)
        return;
    std::string word = kPredeclaredWords[picked];
    std::string text = itemText(kItemItems);
    std::vector<std::string> names = splitNames(text);
    if (trim(text).empty())
        text = word;
    else if (std::find(names.begin(), names.end(), word) == names.end())
        text += ", " + word;
    Dialog_SetItemText(kItemItems, text.c_str());
}

// ---- reading the fields ----

// Values that keep the marks and references of the same-named values.
void collectValues(SEDeclEntry* e, const std::vector<std::string>& names)
{
    rebuildItems(e, kDEItemValue, names);
}

void collectKind(DEDialogContext* c, const Form& f)
{
    SEDeclEntry* e = c->work;
    const uint16_t kind = kindOf(e);
    for (SEText& t : e->texts) {
        QXMem_Free(t);
        t = nullptr;
    }
    DEFreeTextList(DELabels(e));
    DEFreeTextList(DEColorSets(e));
    auto range = [&](int16_t low, int16_t high, int first) {
        takeText(e->texts[first], trim(itemText(low)));
        takeText(e->texts[first + 1], trim(itemText(high)));
    };
    std::vector<std::string> values;
    switch (kind) {
    case kCSUnit: takeText(e->texts[0], trim(itemText(kItemUnit))); break;
    case kCSBool:
    case kCSInt:
    case kCSReal:
    case kCSIntInf: range(kItemLow, kItemHigh, 0); break;
    case kCSString:
        range(kItemLow, kItemHigh, 0);
        range(kItemLengthLow, kItemLengthHigh, 2);
        break;
    case kCSEnumerate: values = f.rows; break;
    case kCSIndex:
        values = splitNames(itemText(kItemSet));
        range(kItemLow, kItemHigh, 0);
        break;
    case kCSList:
        range(kItemLow, kItemHigh, 0);
        for (const std::string& s : splitNames(itemText(kItemSet)))
            DEAppendText(DEColorSets(e), s.c_str());
        break;
    case kCSProduct:
        for (const std::string& row : f.rows)
            DEAppendText(DEColorSets(e), trim(row).c_str());
        break;
    case kCSRecord:
    case kCSUnion:
        for (const std::string& row : f.rows) {
            auto [name, set] = splitRow(row);
            DEAppendText(DELabels(e), name.c_str());
            DEAppendText(DEColorSets(e), set.c_str());
        }
        break;
    case kCSSubsetFun:
    case kCSSubsetList:
        if (kind == kCSSubsetFun)
            takeText(e->texts[0], trim(itemText(kItemSubset)));
        else
            for (const std::string& s : splitNames(itemText(kItemSubset)))
                DEAppendText(DELabels(e), s.c_str());
        if (std::string base = trim(itemText(kItemSet)); !base.empty())
            DEAppendText(DEColorSets(e), base.c_str());
        break;
    case kCSDuplicate:
        if (std::string base = trim(itemText(kItemSet)); !base.empty())
            DEAppendText(DEColorSets(e), base.c_str());
        break;
    default: break;
    }
    collectValues(e, values);
}

// ---- the dependency check ----

// The entry that declares a name, the entry itself excluded.
SEHead* declared(SEDeclEntry* self, const std::string& name) { return DEFindEntry(&self->head, name.c_str(), 3); }

bool isChecked(SEHead* record) { return record != nullptr && (flagsOf(record) & kDEChecked) != 0; }

void refuseUse(SEDeclEntry* e, int16_t message, int16_t item, const std::string& name)
{
    DEShowMessage(str(e->name).c_str(), message);
    DEColorSetSelect(item, name.c_str(), 0);
}

// A used colour set: declared, a colour set (or its alias), and checked.
bool usedSetPasses(SEDeclEntry* e, const std::string& name, int16_t item)
{
    if (name == str(e->name)) {
        refuseUse(e, kDEMsgOwnParent, item, name);
        return false;
    }
    SEHead* found = declared(e, name);
    if (found == nullptr) {
        refuseUse(e, kDEMsgUndeclared, item, name);
        return false;
    }
    SEDeclEntry* owner = asEntry(found);
    SEDeclItem* alias = asItem(found);
    if (alias != nullptr && alias->head.subKind == kDEItemAlias)
        owner = asEntry(alias->head.owner);
    else
        alias = nullptr;
    if (owner == nullptr || owner->head.subKind != kDEColorSet || SafeStrcmp(found == &owner->head ? owner->name : alias->name, name.c_str()) != 0) {
        refuseUse(e, kDEMsgColorSetRequired, item, name);
        return false;
    }
    if (!isChecked(alias != nullptr ? &alias->head : &owner->head)) {
        refuseUse(e, kDEMsgUnchecked, item, name);
        return false;
    }
    return true;
}

// The subset function: a declared fun, or word'set where the colour set
// declares that word.
bool subsetFunctionPasses(SEDeclEntry* e)
{
    std::string fun = trim(str(e->texts[0]));
    SEHead* found = declared(e, fun);
    if (SEDeclEntry* f = asEntry(found); f != nullptr && f->head.subKind == kDEFun) {
        if (!isChecked(found)) {
            refuseUse(e, kDEMsgUnchecked, kItemSubset, fun);
            return false;
        }
        return true;
    }
    if (size_t quote = fun.find('\''); found == nullptr && quote != std::string::npos && quote > 0) {
        std::string word = fun.substr(0, quote);
        SEDeclEntry* set = asEntry(declared(e, fun.substr(quote + 1)));
        if (set != nullptr && set->head.subKind == kDEColorSet) {
            SEDeclItem* item = nullptr;
            eachRec(DEItemList(set, kDEItemDeclare), [&](SEHead* h) {
                if (item == nullptr && str(reinterpret_cast<SEDeclItem*>(h)->name) == word)
                    item = reinterpret_cast<SEDeclItem*>(h);
            });
            if (item != nullptr) {
                if (!isChecked(&item->head)) {
                    refuseUse(e, kDEMsgUnchecked, kItemSubset, fun);
                    return false;
                }
                return true;
            }
        }
    }
    refuseUse(e, found == nullptr ? kDEMsgUndeclared : kDEMsgSubsetFunction, kItemSubset, fun);
    return false;
}

int16_t fieldOfSets(uint16_t kind)
{
    return kind == kCSProduct || pairKind(kind) ? kItemRows : kItemSet;
}

} // namespace

void DEColorSetSelect(int16_t item, const char* name, uint16_t itemKind)
{
    DEDialogContext* c = contextOf();
    if (c == nullptr || Dialog_TopDialogNumber() != DEKindOf(kDEColorSet).dialog)
        return;
    Form& f = form();
    const std::string wanted = str(name);
    if (item == kItemRows) {
        // From the end: of two equal names the later one is the refused one.
        for (size_t i = f.rows.size(); i-- > 0;) {
            const std::string& row = f.rows[i];
            if (row == wanted || splitRow(row).first == wanted || splitRow(row).second == wanted) {
                Dialog_HighlightListEntry(kItemRows, static_cast<int32_t>(i), 1);
                rowToFields(kindOf(c->work), row);
                redrawRows(f, kindOf(c->work), static_cast<int32_t>(i));
                return;
            }
        }
        return;
    }
    if (item == kItemItems && itemKind != 0) {
        for (int choice = 0; choice < kCommentChoice; ++choice)
            if (kChoiceKinds[choice] == itemKind && choice != f.choice) {
                storeShownList(c->work, f);
                showList(c->work, f, choice);
            }
    }
    std::string text = itemText(item);
    size_t at = wanted.empty() ? std::string::npos : text.find(wanted);
    Dialog_SetFocusItem(item);
    if (at == std::string::npos)
        Dialog_SelectItemText(item, 0, static_cast<int32_t>(text.size()));
    else
        Dialog_SelectItemText(item, static_cast<int32_t>(at), static_cast<int32_t>(at + wanted.size()));
}

int DEConfirmKindChange(DEDialogContext* c)
{
    bool data = false;
    switch (kindOf(c->work)) {
    case kCSUnit: data = hasText(kItemUnit); break;
    case kCSBool:
    case kCSInt:
    case kCSReal:
    case kCSIntInf: data = hasText(kItemLow) || hasText(kItemHigh); break;
    case kCSString:
        data = hasText(kItemLengthLow) || hasText(kItemLengthHigh) || hasText(kItemLow) || hasText(kItemHigh);
        break;
    case kCSIndex:
    case kCSList: data = hasText(kItemLow) || hasText(kItemHigh) || hasText(kItemSet); break;
    case kCSEnumerate:
    case kCSProduct:
    case kCSRecord:
    case kCSUnion: data = !form().rows.empty(); break;
    case kCSSubsetFun:
    case kCSSubsetList: data = hasText(kItemSet) || hasText(kItemSubset); break;
    case kCSDuplicate: data = hasText(kItemSet); break;
    default: break;
    }
    return !data || GE_AskWithButton(kMsgChangeKind, "Change Type") != 0 ? 1 : 0;
}

int DECollectColorSet(DEDialogContext* c)
{
    SEDeclEntry* e = c->work;
    Form& f = form();
    if (!DEReadName(c, kItemName))
        return 0;
    DETimed(e) = Dialog_GetItemState(kItemTimed) == 1 ? 1 : 0;
    storeShownList(e, f);
    collectKind(c, f);
    return DECheckEntry(c);
}

int DEColorSetComplete(SEDeclEntry* e)
{
    if (!present(e->name)) {
        DEShowMessage(nullptr, kDEMsgNameRequired);
        selectItem(kItemName);
        return 0;
    }
    const uint16_t kind = kindOf(e);
    for (const std::string& name : texts(DEColorSets(e)))
        if (!name.empty() && !usedSetPasses(e, name, fieldOfSets(kind)))
            return 0;
    if (kind == kCSSubsetFun && !subsetFunctionPasses(e))
        return 0;
    return 1;
}

void DEInsertBrowserSelection(SEDeclEntry* e)
{
    SEDeclEntry* chosen = nullptr;
    int isItem = 0;
    SEHead* record = DEBrowserSelected(&chosen, &isItem);
    Form& f = form();
    const uint16_t kind = kindOf(e);
    std::string name = isItem ? str(asItem(record)->name) : chosen != nullptr ? str(chosen->name) : std::string();
    const bool colorSet = chosen != nullptr && chosen->head.subKind == kDEColorSet && str(chosen->name) != str(e->name);
    if (record != nullptr && !isItem && chosen->head.subKind == kDEFun && kind == kCSSubsetFun) {
        Dialog_SetItemText(kItemSubset, name.c_str());
    } else if (record != nullptr && colorSet &&
               (kind == kCSList || kind == kCSSubsetFun || kind == kCSSubsetList || kind == kCSDuplicate)) {
        Dialog_SetItemText(kItemSet, name.c_str());
    } else if (record != nullptr && colorSet && kind == kCSProduct) {
        f.rows.push_back(name);
        redrawRows(f, kind, -1);
    } else if (record != nullptr && colorSet && pairKind(kind)) {
        Dialog_SetItemText(kItemRowSet, name.c_str());
    } else {
        QXUI_Beep(0);
    }
}

int16_t DEColorSetDialog(int16_t, int32_t code, int16_t item, intptr_t)
{
    DEDialogContext* c = contextOf();
    if (c == nullptr)
        return item;
    if (code == 0) {
        openFields(c, true);
        return item;
    }
    Form& f = form();
    SEDeclEntry* e = c->work;
    switch (item) {
    case kItemOK:
    case kItemCheck: {
        SEDeclEntry* replaced = DEReplacedEntry();
        DESetReplacedEntry(c->edited);
        bool ok = DECollectColorSet(c) != 0 && (item == kItemOK || DEColorSetComplete(e) != 0);
        DESetReplacedEntry(replaced);
        if (!ok)
            return item;
        const int32_t depth = Dialog_Depth();
        int16_t result = finishDialog(c, item);
        if (Dialog_Depth() < depth)
            forms.erase(depth);
        else if (Dialog_TopDialogNumber() == DEKindOf(kDEColorSet).dialog && contextOf() == c && c->work != nullptr) {
            // A failed compile keeps the dialog open on the placed entry.
            Form& again = form();
            again.choice = 0;
            showList(c->work, again, 0);
            rowsFromEntry(c->work, again);
        }
        return result;
    }
    case kItemCancel: forms.erase(Dialog_Depth()); return cancelDialog(c);
    case kItemReset: openFields(c, false); return item;
    case kItemKindMenu: changeKind(c, f); return item;
    case kItemTimed: Dialog_SetItemState(kItemTimed, 4); return item;
    case kItemListMenu: {
        int32_t picked = Dialog_GetListSelection(kItemListMenu);
        if (picked < 0)
            return item;
        storeShownList(e, f);
        showList(e, f, picked);
        return item;
    }
    case kItemWordMenu: addWord(); return item;
    case kItemRows:
    case kItemUp:
    case kItemDown:
    case kItemDelete:
    case kItemReplace:
    case kItemAdd: rowHit(kindOf(e), f, item); return item;
    case kItemShowText: DEInsertBrowserSelection(e); return item;
    default: DEBrowserPanelHit(item); return item;
    }
}
