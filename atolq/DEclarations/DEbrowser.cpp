// The declaration browser: a list of the net's declaration entries with
// their check status, filtered by kind, with the texts of chosen entries, and
// buttons to open, delete, compile and locate entries. Every declaration
// dialog carries the same panel of list, filters and buttons.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>

#include "atolq/AEditor/SENet.h"
#include "atolq/DEclarations/DEAsk.h"
#include "atolq/DEclarations/DEInternal.h"
#include "atolq/DEclarations/DEServices.h"
#include "xkv/dialog/Dialog.h"

using namespace de;

namespace {

enum : int16_t {
    kBrowserDialog = 31110,
    kItemClose = 1,
    kItemClear = 4,
    kItemList = 6,
    kItemColorSets = 7,
    kItemAliases = 8,
    kItemFunctions = 9,
    kItemOthers = 10,
    kItemShow = 13,
    kItemOpen = 14,
    kItemCurrent = 15,
    kItemDelete = 16,
    kItemCompile = 17,
    kItemTexts = 19,
};
constexpr int16_t kMsgDeleteDeclaration = 17671;
constexpr int32_t kListCapacity = 2000;
constexpr int32_t kRowWidth = 256;
constexpr size_t kPrefix = 3;
constexpr const char* kMarkers[4] = {"+ ", "? ", "- ", "--"};

struct Span {
    uint32_t object;
    size_t start;
    size_t end;
};

// The panel of one open dialog.
struct Panel {
    SEDeclEntry* edited = nullptr;
    intptr_t argument = 0;
    intptr_t second = 0;
    bool browser = false; // the browser dialog itself, with its text item
    bool takesSelection = false; // the colour-set dialog: Show Text fills a field
    std::vector<std::string> rows;
    std::vector<Span> spans;
    std::string texts;
};

// Filter settings are kept between openings: colour sets, aliases, funs, others.
bool filters[4] = {true, true, true, true};
std::map<int32_t, Panel> panels;

Panel* panel()
{
    auto it = panels.find(Dialog_Depth());
    return it != panels.end() ? &it->second : nullptr;
}

bool& filterOf(int16_t item) { return filters[std::clamp<int16_t>(item, kItemColorSets, kItemOthers) - kItemColorSets]; }

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& ch : out)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return out;
}

std::string nameOfRow(const std::string& row) { return row.size() > kPrefix ? row.substr(kPrefix) : std::string(); }

SEPage* pageOfEntry(SEDeclEntry* e)
{
    SEDeclNode* node = DEOwnerNode(e);
    return node != nullptr && node->head.owner != nullptr && node->head.owner->kind == kSEPage
               ? reinterpret_cast<SEPage*>(node->head.owner)
               : nullptr;
}

bool inFilter(SEDeclEntry* e, int16_t item)
{
    switch (item) {
    case kItemColorSets: return e->head.subKind == kDEColorSet;
    case kItemFunctions: return e->head.subKind == kDEFun;
    case kItemOthers: return e->head.subKind != kDEColorSet && e->head.subKind != kDEFun;
    default: return false;
    }
}

// The records a filter shows, in walk order.
std::vector<SEHead*> recordsOf(int16_t item)
{
    std::vector<SEHead*> out;
    struct Arg {
        int16_t item;
        std::vector<SEHead*>* out;
    } arg{item, &out};
    DEWalkEntries(
        [](SEDeclEntry* e, void* a) {
            auto* arg = static_cast<Arg*>(a);
            if (arg->item == kItemAliases) {
                if (e->head.subKind == kDEColorSet)
                    eachItem(e, {kDEItemAlias}, [&](SEDeclItem* i) { arg->out->push_back(&i->head); });
            } else if (inFilter(e, arg->item)) {
                arg->out->push_back(&e->head);
            }
            return 0;
        },
        1, 3, &arg);
    return out;
}

int16_t filterOfRecord(SEHead* record)
{
    if (record->kind == kSEDeclItem)
        return kItemAliases;
    SEDeclEntry* e = asEntry(record);
    return e->head.subKind == kDEColorSet ? kItemColorSets : e->head.subKind == kDEFun ? kItemFunctions : kItemOthers;
}

void insertRow(Panel& p, const std::string& row)
{
    int32_t position = static_cast<int32_t>(DEBrowserRowPosition(p.rows, row));
    if (Dialog_InsertListEntry(kItemList, row.c_str(), 0, &position) == 0)
        return;
    p.rows.insert(p.rows.begin() + position, row);
}

void removeRowNamed(Panel& p, const std::string& row)
{
    auto it = std::find(p.rows.begin(), p.rows.end(), row);
    if (it == p.rows.end())
        return;
    Dialog_DeleteListEntry(kItemList, static_cast<int32_t>(it - p.rows.begin()));
    p.rows.erase(it);
}

void selectRow(Panel& p, const std::string& row)
{
    auto it = std::find(p.rows.begin(), p.rows.end(), row);
    if (it != p.rows.end())
        Dialog_HighlightListEntry(kItemList, static_cast<int32_t>(it - p.rows.begin()), 1);
}

std::string selectedRow(const Panel& p)
{
    int32_t index = Dialog_GetListSelection(kItemList);
    return index >= 0 && static_cast<size_t>(index) < p.rows.size() ? p.rows[static_cast<size_t>(index)] : std::string();
}

void setEnabled(int16_t item, bool on)
{
    if (on)
        Dialog_EnableItem(item);
    else
        Dialog_DisableItem(item);
}

bool currentIsDeclaration()
{
    uint32_t current = QXStr_GetCurObject();
    SEHead* record = nullptr;
    return current != 0 && GE_GetSERecord(current, &record) != 0 && record != nullptr &&
           (record->kind == kSEDeclNode || record->kind == kSEDeclEntry);
}

void updateButtons(Panel& p)
{
    SEDeclEntry* entry = nullptr;
    int isItem = 0;
    SEHead* selected = DEBrowserSelected(&entry, &isItem);
    // Entry dialogs have no text item to show texts in (their item 19 is
    // the entry's own); only the colour-set dialog gives Show Text a use.
    setEnabled(kItemShow, selected != nullptr && (p.browser || p.takesSelection));
    setEnabled(kItemOpen, selected != nullptr && p.argument == 0);
    bool ownEntry = selected != nullptr && !isItem && entry != p.edited;
    setEnabled(kItemDelete, ownEntry);
    setEnabled(kItemCompile, ownEntry);
    setEnabled(kItemCurrent, currentIsDeclaration());
}

void fillRows(Panel& p, int16_t item)
{
    for (SEHead* record : recordsOf(item))
        insertRow(p, DEBrowserRowText(record));
}

std::string entryText(uint32_t object)
{
    uint32_t length = 0;
    if (object == 0 || QXText_GetLength(object, &length) == 0 || length == 0)
        return {};
    std::string text(length, '\0');
    QXText_GetText(object, text.data(), &length);
    text.resize(std::min<size_t>(length, text.size()));
    return text;
}

void showTexts(Panel& p, const Span* selected)
{
    Dialog_SetItemText(kItemTexts, p.texts.c_str());
    if (selected != nullptr)
        Dialog_SelectItemText(kItemTexts, static_cast<int32_t>(selected->start), static_cast<int32_t>(selected->end));
}

void deleteSelected(Panel& p)
{
    SEDeclEntry* entry = nullptr;
    int isItem = 0;
    if (DEBrowserSelected(&entry, &isItem) == nullptr || isItem || entry == nullptr || entry == p.edited)
        return;
    if (GE_AskWithButton(kMsgDeleteDeclaration, "Delete") == 0)
        return;
    SEDeclNode* node = DEOwnerNode(entry);
    std::string row = DEBrowserRowText(&entry->head);
    uint32_t region = DERegion(entry);
    std::erase_if(p.spans, [&](const Span& s) { return s.object == region; });
    if (region != 0)
        QXStr_DeleteObject(region);
    removeRowNamed(p, row);
    DEDeleteEntry(entry);
    if (node != nullptr) {
        auto* first = node->entries != nullptr ? static_cast<SEDeclEntry*>(node->entries->first) : nullptr;
        DEStackEntryRegions(first, 0, node->kvObject);
    }
    DEBrowserFillList(0, 0);
}

void compileSelected(Panel& p)
{
    SEDeclEntry* entry = nullptr;
    int isItem = 0;
    if (DEBrowserSelected(&entry, &isItem) == nullptr || isItem || entry == nullptr || entry == p.edited)
        return;
    int wasReset = 0;
    if (DEEntryCompile(entry, &wasReset) != 0 || wasReset != 0)
        DEBrowserFillList(0, 0);
}

// Hands an object to the entry code; true when that accepted it.
bool handToEntryCode(uint32_t object, int mode)
{
    SEHead* record = nullptr;
    if (object == 0 || GE_GetSERecord(object, &record) == 0 || record == nullptr)
        return false;
    if (record->kind == kSEDeclEntry)
        return DEEditEntry(object, mode) == 1;
    if (record->kind == kSEDeclNode) {
        QXStr_SetCurObject(object);
        return DENewDeclaration(1, 1) != nullptr;
    }
    return false;
}

int16_t browserDialog(int16_t, int32_t code, int16_t item, intptr_t)
{
    Panel* p = panel();
    if (p == nullptr)
        return item;
    if (code == 0) {
        DEBrowserFillList(1, p->edited != nullptr);
        return item;
    }
    switch (item) {
    case kItemClose: Dialog_Close(item); break;
    case kItemClear:
        p->texts.clear();
        p->spans.clear();
        showTexts(*p, nullptr);
        break;
    default: DEBrowserPanelHit(item); break;
    }
    return item;
}

} // namespace

std::string DEBrowserRowText(SEHead* record)
{
    SEDeclEntry* e = asEntry(record);
    SEDeclItem* item = asItem(record);
    if (e == nullptr && item == nullptr)
        return {};
    std::string row = item != nullptr ? "A" : DEKindOf(e->head.subKind).letter;
    row += kMarkers[std::clamp(DECheckStatus(record), 0, 3)];
    if (item != nullptr)
        return row + str(item->name);
    std::string name = str(e->name);
    if (e->head.subKind == kDEPageref || e->head.subKind == kDEInstref) {
        SEPage* page = pageOfEntry(e);
        char number[16];
        std::snprintf(number, sizeof number, "%hu", page != nullptr ? page->pageNumber : 0);
        return row + name + "@" + (page != nullptr ? str(page->name) : std::string()) + "#" + number;
    }
    if (e->head.subKind == kDEUse && name.find('/') != std::string::npos)
        return row + "\"..." + name.substr(name.rfind('/'));
    return row + name;
}

size_t DEBrowserRowPosition(const std::vector<std::string>& rows, const std::string& row)
{
    std::string mine = upper(nameOfRow(row));
    for (size_t i = 0; i < rows.size(); ++i)
        if (upper(nameOfRow(rows[i])) >= mine)
            return i;
    return rows.size();
}

SEHead* DEBrowserSelected(SEDeclEntry** entry, int* isItem)
{
    *entry = nullptr;
    *isItem = 0;
    Panel* p = panel();
    if (p == nullptr)
        return nullptr;
    std::string name = nameOfRow(selectedRow(*p));
    if (name.empty())
        return nullptr;
    long pageNumber = -1;
    if (size_t at = name.find('@'); at != std::string::npos) {
        size_t hash = name.rfind('#');
        pageNumber = hash != std::string::npos && hash > at ? std::strtol(name.c_str() + hash + 1, nullptr, 10) : -1;
        name.resize(at);
    }
    struct Find {
        std::string name;
        long page;
        SEDeclEntry* found;
    } find{name, pageNumber, nullptr};
    DEWalkEntries(
        [](SEDeclEntry* e, void* a) {
            auto* f = static_cast<Find*>(a);
            if (str(e->name) != f->name && DEBrowserRowText(&e->head).substr(kPrefix) != f->name)
                return 0;
            if (e->head.subKind == kDEPageref || e->head.subKind == kDEInstref) {
                SEPage* page = pageOfEntry(e);
                if (page == nullptr || page->pageNumber != f->page)
                    return 0;
            }
            f->found = e;
            return 1;
        },
        0, 3, &find);
    if (find.found != nullptr) {
        *entry = find.found;
        return &find.found->head;
    }
    if (!filterOf(kItemAliases))
        return nullptr;
    for (SEHead* record : recordsOf(kItemAliases))
        if (str(asItem(record)->name) == name) {
            *entry = asEntry(record->owner);
            *isItem = 1;
            return record;
        }
    return nullptr;
}

void DEBrowserFillList(int firstTime, int editing)
{
    Panel* p = panel();
    if (p == nullptr)
        return;
    std::string previous = firstTime ? std::string() : selectedRow(*p);
    std::string previousName = nameOfRow(previous);
    if (firstTime || p->rows.empty())
        Dialog_SetListItems(kItemList, 0, nullptr, kListCapacity, kRowWidth, nullptr, 0);
    else
        Dialog_ClearList(kItemList);
    p->rows.clear();
    for (int16_t item = kItemColorSets; item <= kItemOthers; ++item) {
        Dialog_SetItemState(item, filterOf(item) ? 1 : 0);
        if (filterOf(item))
            fillRows(*p, item);
    }
    // The row selected before, found again by its name (its marker may have
    // changed), or the edited entry's row.
    std::string again;
    for (const std::string& row : p->rows)
        if (!previousName.empty() && nameOfRow(row) == previousName)
            again = row;
    if (again.empty() && (editing || p->edited != nullptr) && p->edited != nullptr)
        again = DEBrowserRowText(&p->edited->head);
    if (!again.empty())
        selectRow(*p, again);
    updateButtons(*p);
}

void DEBrowserFilter(int16_t item)
{
    Panel* p = panel();
    if (p == nullptr || item < kItemColorSets || item > kItemOthers)
        return;
    std::string previous = selectedRow(*p);
    bool on = !filterOf(item);
    filterOf(item) = on;
    Dialog_SetItemState(item, on ? 1 : 0);
    for (SEHead* record : recordsOf(item)) {
        std::string row = DEBrowserRowText(record);
        if (on)
            insertRow(*p, row);
        else
            removeRowNamed(*p, row);
    }
    if (!previous.empty())
        selectRow(*p, previous);
    updateButtons(*p);
}

void DEBrowserAddEntry(SEHead* record)
{
    Panel* p = panel();
    SEDeclEntry* e = asEntry(record);
    if (p == nullptr || e == nullptr)
        return;
    DEBrowserShowText(DERegion(e), 0);
    if (!filterOf(filterOfRecord(record)))
        return;
    std::string row = DEBrowserRowText(record);
    removeRowNamed(*p, row);
    insertRow(*p, row);
    if (filterOf(kItemAliases))
        eachItem(e, {kDEItemAlias}, [&](SEDeclItem* i) {
            std::string alias = DEBrowserRowText(&i->head);
            removeRowNamed(*p, alias);
            insertRow(*p, alias);
        });
    selectRow(*p, row);
    updateButtons(*p);
}

void DEBrowserShowText(uint32_t object, int selectOnly)
{
    Panel* p = panel();
    if (p == nullptr || !p->browser || object == 0)
        return;
    std::string text = entryText(object);
    auto it = std::find_if(p->spans.begin(), p->spans.end(), [&](const Span& s) { return s.object == object; });
    if (it == p->spans.end()) {
        if (!p->texts.empty())
            p->texts += "\n\n";
        p->spans.push_back({object, p->texts.size(), p->texts.size() + text.size()});
        p->texts += text;
        showTexts(*p, &p->spans.back());
        return;
    }
    if (!selectOnly) {
        const size_t oldLength = it->end - it->start;
        p->texts.replace(it->start, oldLength, text);
        it->end = it->start + text.size();
        for (Span& s : p->spans)
            if (s.start > it->start) {
                s.start = s.start + text.size() - oldLength;
                s.end = s.end + text.size() - oldLength;
            }
    }
    showTexts(*p, &*it);
}

void DEBrowserPanelOpen(DEDialogContext* c)
{
    Panel& p = panels[Dialog_Depth()];
    p = Panel{};
    p.edited = c->edited;
    p.argument = 1;
    p.takesSelection = c->kind == kDEColorSet;
    DEBrowserFillList(1, c->edited != nullptr);
}

void DEBrowserPanelHit(int16_t item)
{
    Panel* p = panel();
    if (p == nullptr)
        return;
    SEDeclEntry* entry = nullptr;
    int isItem = 0;
    switch (item) {
    case kItemList: updateButtons(*p); break;
    case kItemColorSets:
    case kItemAliases:
    case kItemFunctions:
    case kItemOthers: DEBrowserFilter(item); break;
    case kItemShow:
        if (DEBrowserSelected(&entry, &isItem) != nullptr && entry != nullptr)
            DEBrowserShowText(DERegion(entry), 0);
        break;
    case kItemOpen:
        if (DEBrowserSelected(&entry, &isItem) != nullptr && entry != nullptr && handToEntryCode(DERegion(entry), 2))
            Dialog_Close(kItemClose);
        break;
    case kItemCurrent:
        if (handToEntryCode(QXStr_GetCurObject(), 1))
            Dialog_Close(kItemClose);
        break;
    case kItemDelete: deleteSelected(*p); break;
    case kItemCompile: compileSelected(*p); break;
    default: break;
    }
}

int DEBrowserOpen(SEHead* record, intptr_t argument, intptr_t second)
{
    const int32_t depth = Dialog_Depth() + 1;
    Panel& p = panels[depth];
    p = Panel{};
    p.edited = asEntry(record);
    p.argument = argument;
    p.second = second;
    p.browser = true;
    int result = Dialog_OpenModal(kBrowserDialog, browserDialog, nullptr);
    panels.erase(depth);
    return result;
}

void DELocateEntry(uint32_t object)
{
    SEHead* record = nullptr;
    if (object == 0 || GE_GetSERecord(object, &record) == 0 || record == nullptr)
        return;
    if (record->kind == kSEDeclNode) {
        std::vector<uint32_t> regions;
        eachRec(reinterpret_cast<SEDeclNode*>(record)->entries,
                [&](SEHead* h) { regions.push_back(DERegion(reinterpret_cast<SEDeclEntry*>(h))); });
        for (uint32_t region : regions)
            DELocateEntry(region);
        return;
    }
    SEDeclEntry* e = asEntry(record);
    SEDeclNode* node = e != nullptr ? DEOwnerNode(e) : nullptr;
    if (node == nullptr || DERegion(e) != object)
        return;
    uint32_t previous = QXStr_GetCurObject();
    QXStr_SetCurObject(object);
    QXUI_DoCommand(kDECmdFitToText);
    QXStr_SetCurObject(previous);
    Fixed nodeW = 0, nodeH = 0, w = 0, h = 0;
    QXRdAttr_GetSize(node->kvObject, &nodeW, &nodeH);
    QXRdAttr_GetSize(object, &w, &h);
    QXWtAttr_SetSize(object, nodeW, h);
    uint32_t above = node->kvObject;
    // The region before this entry's, or the node itself for the first entry.
    SEHead* prev = nullptr;
    for (SEHead* h2 = node->entries != nullptr ? static_cast<SEHead*>(node->entries->first) : nullptr; h2 != nullptr;
         h2 = h2->next) {
        if (h2 == &e->head)
            break;
        prev = h2;
    }
    if (prev != nullptr && DERegion(reinterpret_cast<SEDeclEntry*>(prev)) != 0)
        above = DERegion(reinterpret_cast<SEDeclEntry*>(prev));
    Fixed ax = 0, ay = 0, aw = 0, ah = 0;
    QXRdAttr_GetPosition(above, &ax, &ay);
    QXRdAttr_GetSize(above, &aw, &ah);
    QXWtAttr_SetPosition(object, ax, ay + (ah + h) / 2);
}
