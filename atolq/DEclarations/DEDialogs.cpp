// The modal dialogs of declaration entries other than colour sets (value,
// fun and local-block dialogs), the kind table that picks an entry's dialog
// and text writer, new and edited entries through them, editing an entry's
// region text in place, and the checks that an edit keeps or withdraws.
#include <algorithm>
#include <cstring>

#include "atolq/AEditor/SENet.h"
#include "atolq/DEclarations/DEInternal.h"
#include "atolq/DEclarations/DEServices.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/dialog/Dialog.h"

namespace de {

std::string itemText(int16_t item)
{
    int32_t length = Dialog_GetItemTextLength(item);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    Dialog_GetItemText(item, text.data(), length + 1);
    text.resize(std::strlen(text.c_str()));
    return text;
}

void selectItem(int16_t item)
{
    Dialog_SetFocusItem(item);
    Dialog_SelectItemText(item, 0, Dialog_GetItemTextLength(item));
}

// A text from a dialog field: nothing for an empty one.
void takeText(SEText& field, const std::string& text)
{
    if (text.empty()) {
        QXMem_Free(field);
        field = nullptr;
    } else {
        setText(field, text);
    }
}

} // namespace de

using namespace de;

namespace {

enum : int16_t {
    kItemOK = 1,
    kItemCancel = 2,
    kItemReset = 3,
    kItemCheck = 4,
    kItemDefault = 5,
    kItemKeyword = 19,
    kItemName = 20,
    kItemFirst = 21,
    kItemSecond = 22,
    kItemPageref = 25,
    kItemInstref = 26,
    kItemBlockText = 19,
};
constexpr int16_t kKindChoiceDialog = 31130;
constexpr char kTempName[] = "TOLQ'tempname";

// The in-place edit of a region: the text it held when editing began.
struct RegionEdit {
    uint32_t region = 0;
    bool pending = false;
    bool hadText = false;
    std::string text;
    uint32_t selection = 0;
};
RegionEdit regionEdit;

int timedUnchecked = 0;
int16_t lastKindChoice = 3;

DEDialogContext* contextOf() { return static_cast<DEDialogContext*>(Dialog_GetClientData()); }

} // namespace

namespace de {

// A fresh work entry: a copy of the edited entry, or, while its region is
// being edited in place, its name and the region's current text.
void openWork(DEDialogContext* c)
{
    if (c->work != nullptr)
        DEFreeEntry(c->work);
    if (c->edited == nullptr) {
        c->work = DENewEntry(c->kind);
    } else if (regionEdit.pending && regionEdit.region == DERegion(c->edited)) {
        c->work = DENewEntry(c->kind);
        setText(c->work->name, str(c->edited->name));
        setText(c->work->texts[0], objectText(regionEdit.region));
    } else {
        c->work = DECopyEntry(c->edited);
    }
    c->work->head.subKind = c->kind;
    DEBrowserPanelOpen(c);
}

// Places the work entry: as a new entry after the node object, or in the
// place of the edited one. The placed entry, or none.
static SEDeclEntry* placeWork(DEDialogContext* c)
{
    SEDeclEntry* work = c->work;
    c->work = nullptr;
    DEPlacement placement{c->nodeObject, c->edited, work};
    if (c->edited != nullptr) {
        placement.after = DERegion(c->edited);
        return DEPlaceRegion(&placement) != 0 ? c->edited : nullptr;
    }
    return DEPlaceRegion(&placement) != 0 ? work : nullptr;
}

// OK places and closes; Check places and compiles: success closes, failure
// leaves the dialog open on the placed entry.
int16_t finishDialog(DEDialogContext* c, int16_t item)
{
    SEDeclEntry* placed = placeWork(c);
    c->result = placed;
    if (placed == nullptr) {
        openWork(c);
        return item;
    }
    if (item == kItemCheck) {
        int wasReset = 0;
        if (DEEntryCompile(placed, &wasReset) == 0) {
            c->edited = placed;
            openWork(c);
            return item;
        }
        DEBrowserAddEntry(&placed->head);
    }
    Dialog_Close(item);
    return item;
}

int16_t cancelDialog(DEDialogContext* c)
{
    if (c->work != nullptr)
        DEFreeEntry(c->work);
    c->work = nullptr;
    Dialog_Close(kItemCancel);
    return kItemCancel;
}

} // namespace de

namespace {

bool commentInFirst(uint16_t kind) { return kind == kDEStatvar || kind == kDEException || kind == kDEUse; }

void fillValueDialog(DEDialogContext* c)
{
    SEDeclEntry* w = c->work;
    if (c->kind == kDEPageref || c->kind == kDEInstref)
        Dialog_SetRadioGroup(kItemPageref, kItemInstref, c->kind == kDEPageref ? kItemPageref : kItemInstref);
    Dialog_SetItemText(kItemName, str(w->name).c_str());
    if (commentInFirst(c->kind)) {
        Dialog_SetItemText(kItemFirst, str(DEComment(w)).c_str());
    } else {
        Dialog_SetItemText(kItemSecond, str(DEComment(w)).c_str());
        Dialog_SetItemText(kItemFirst, str(w->texts[0]).c_str());
    }
    Dialog_SetItemText(kItemKeyword, DEKindOf(c->kind).keyword);
    selectItem(kItemName);
}

void requireExpression(const char* shownName, int16_t item)
{
    DEShowMessage(shownName, static_cast<int16_t>(0x4506));
    selectItem(item);
}

// Reads the value dialog's fields into the work entry: false when refused.
bool readValueDialog(DEDialogContext* c)
{
    SEDeclEntry* w = c->work;
    if (c->kind == kDEUse) {
        takeText(DEComment(w), itemText(kItemFirst));
        std::string file = itemText(kItemName);
        if (file.empty()) {
            requireExpression("use", kItemName);
            return false;
        }
        setText(w->name, file);
    } else {
        if (!DEReadName(c, kItemName))
            return false;
        if (commentInFirst(c->kind)) {
            takeText(DEComment(w), itemText(kItemFirst));
        } else {
            takeText(DEComment(w), itemText(kItemSecond));
            std::string expression = itemText(kItemFirst);
            if (trim(expression).empty()) {
                requireExpression(str(w->name).c_str(), kItemFirst);
                return false;
            }
            if (!expression.empty() && expression.back() == ';')
                expression.pop_back();
            setText(w->texts[0], expression);
        }
        if (c->kind == kDEPageref || c->kind == kDEInstref) {
            c->kind = Dialog_GetRadioChoice(kItemPageref, kItemInstref) == kItemInstref ? kDEInstref : kDEPageref;
            w->head.subKind = c->kind;
        }
    }
    return DECheckEntry(c) != 0;
}

int16_t commonHit(DEDialogContext* c, int16_t item, void (*fill)(DEDialogContext*))
{
    switch (item) {
    case kItemCancel: return cancelDialog(c);
    case kItemReset:
        openWork(c);
        fill(c);
        return item;
    default: DEBrowserPanelHit(item); return item;
    }
}

void fillFunDialog(DEDialogContext* c)
{
    Dialog_SetItemText(kItemName, str(c->work->name).c_str());
    Dialog_SetItemText(kItemFirst, str(c->work->texts[1]).c_str());
    Dialog_SetItemText(kItemSecond, str(c->work->texts[0]).c_str());
    selectItem(kItemName);
}

bool readFunDialog(DEDialogContext* c)
{
    SEDeclEntry* w = c->work;
    if (!DEReadName(c, kItemName))
        return false;
    std::string body = itemText(kItemSecond);
    if (trim(body).empty()) {
        requireExpression(str(w->name).c_str(), kItemSecond);
        return false;
    }
    setText(w->texts[0], body);
    takeText(w->texts[1], itemText(kItemFirst));
    return DECheckEntry(c) != 0;
}

void fillTextDialog(DEDialogContext* c) { Dialog_SetItemText(kItemBlockText, str(c->work->texts[0]).c_str()); }

std::vector<SEDeclEntry*> entriesOf(SEDeclNode* node)
{
    std::vector<SEDeclEntry*> out;
    eachRec(node != nullptr ? node->entries : nullptr, [&](SEHead* h) { out.push_back(reinterpret_cast<SEDeclEntry*>(h)); });
    return out;
}

void deleteWithRegion(SEDeclEntry* e)
{
    uint32_t region = DERegion(e);
    DEDeleteEntry(e);
    if (region != 0)
        QXStr_DeleteObject(region);
}

void restack(SEDeclNode* node)
{
    if (node == nullptr)
        return;
    SEDeclEntry* first = node->entries != nullptr ? static_cast<SEDeclEntry*>(node->entries->first) : nullptr;
    DEStackEntryRegions(first, 0, node->kvObject);
}

// Converts the local block's text as node text; the edited entry gives way.
bool convertBlock(DEDialogContext* c, const std::string& text)
{
    SEDeclNode* node = DENodeOfObject(c->nodeObject);
    SEDeclEntry* edited = c->edited;
    std::vector<SEDeclEntry*> before = entriesOf(node);
    SEText savedName = nullptr;
    if (edited != nullptr) {
        savedName = edited->name;
        edited->name = dup(kTempName);
    }
    std::string buffer = text;
    uint32_t after = edited != nullptr ? DERegion(edited) : c->nodeObject;
    int ok = DEConvertText(buffer.data(), node, &after);
    if (edited != nullptr) {
        QXMem_Free(edited->name);
        edited->name = savedName;
    }
    std::vector<SEDeclEntry*> made;
    for (SEDeclEntry* e : entriesOf(node))
        if (std::find(before.begin(), before.end(), e) == before.end())
            made.push_back(e);
    if (!ok) {
        for (SEDeclEntry* e : made)
            deleteWithRegion(e);
        restack(node);
        return false;
    }
    if (edited != nullptr) {
        if ((edited->flags & kDEChecked) != 0 && str(edited->texts[0]) != text)
            DEUncheck(&edited->head);
        // Taken after the withdrawal, so that a changed block is not
        // passed off as checked.
        const uint32_t oldFlags = edited->flags;
        std::string oldName = str(edited->name);
        deleteWithRegion(edited);
        c->edited = nullptr;
        for (SEDeclEntry* e : made)
            if (str(e->name) == oldName) {
                e->flags = oldFlags;
                DEShowStatus(e);
            }
    }
    c->result = made.empty() ? nullptr : made.front();
    restack(node);
    return true;
}

} // namespace

// ---- the kind table ----

namespace {
const DEKindRow kKindTable[11] = {
    {0, nullptr, nullptr, "", ""},
    {31105, DEColorSetDialog, DEWriteColorSetText, "colorset", "C"},
    {31135, DEFunDialog, DEWriteEntryText, "fun", "F"},
    {31116, DEValueDialog, DEWriteEntryText, "val", "V"},
    {31115, DEValueDialog, DEWriteEntryText, "statvar", "S"},
    {31116, DEValueDialog, DEWriteEntryText, "globref", "G"},
    {31115, DEValueDialog, DEWriteEntryText, "exception", "E"},
    {31125, DETextDialog, DEWriteEntryText, "", "O"},
    {31120, DEValueDialog, DEWriteEntryText, "pageref", "P"},
    {31120, DEValueDialog, DEWriteEntryText, "instref", "I"},
    {31115, DEValueDialog, DEWriteEntryText, "use", "U"},
};
} // namespace

const DEKindRow& DEKindOf(uint16_t kind) { return kKindTable[kind <= 10 ? kind : 0]; }

// ---- names ----

int DEReadName(DEDialogContext* c, int16_t item)
{
    SEDeclEntry* w = c->work;
    std::string name = itemText(item);
    setText(w->name, name);
    bool ok = true;
    if (name.empty()) {
        DEShowMessage(nullptr, kDEMsgNameRequired);
        ok = false;
    } else if (!DELegalName(name.c_str())) {
        ok = false;
    } else if (c->edited != nullptr && str(c->edited->name) == name) {
        ok = true;
    } else if (c->kind == kDEPageref || c->kind == kDEInstref) {
        ok = DEPageNameFree(w, name.c_str(), DEPageOfNode(DENodeOfObject(c->nodeObject))) != 0;
    } else {
        SEDeclEntry* replaced = DEReplacedEntry();
        DESetReplacedEntry(c->edited);
        ok = DENameFree(w, name.c_str()) != 0;
        DESetReplacedEntry(replaced);
    }
    if (!ok)
        selectItem(item);
    return ok ? 1 : 0;
}

// ---- the dialogs ----

int16_t DEValueDialog(int16_t, int32_t code, int16_t item, intptr_t)
{
    DEDialogContext* c = contextOf();
    if (c == nullptr)
        return item;
    if (code == 0) {
        openWork(c);
        Dialog_SetDefaultItem(kItemDefault);
        fillValueDialog(c);
        return item;
    }
    switch (item) {
    case kItemOK:
    case kItemCheck: {
        SEDeclEntry* replaced = DEReplacedEntry();
        DESetReplacedEntry(c->edited);
        bool ok = readValueDialog(c);
        DESetReplacedEntry(replaced);
        return ok ? finishDialog(c, item) : item;
    }
    case kItemPageref:
    case kItemInstref: {
        Dialog_SetRadioGroup(kItemPageref, kItemInstref, item);
        char label[64] = {};
        Dialog_GetItemLabel(item, label, sizeof label - 1);
        Dialog_SetItemText(kItemKeyword, label);
        return item;
    }
    default: return commonHit(c, item, fillValueDialog);
    }
}

int16_t DEFunDialog(int16_t, int32_t code, int16_t item, intptr_t)
{
    DEDialogContext* c = contextOf();
    if (c == nullptr)
        return item;
    if (code == 0) {
        openWork(c);
        fillFunDialog(c);
        return item;
    }
    if (item == kItemOK || item == kItemCheck) {
        SEDeclEntry* replaced = DEReplacedEntry();
        DESetReplacedEntry(c->edited);
        bool ok = readFunDialog(c);
        DESetReplacedEntry(replaced);
        return ok ? finishDialog(c, item) : item;
    }
    return commonHit(c, item, fillFunDialog);
}

int16_t DETextDialog(int16_t, int32_t code, int16_t item, intptr_t)
{
    DEDialogContext* c = contextOf();
    if (c == nullptr)
        return item;
    if (code == 0) {
        openWork(c);
        fillTextDialog(c);
        return item;
    }
    if (item == kItemOK) {
        std::string text = itemText(kItemBlockText);
        if (trim(text).empty()) {
            requireExpression(str(c->work->name).c_str(), kItemBlockText);
            return item;
        }
        if (!convertBlock(c, text))
            return item;
        DEFreeEntry(c->work);
        c->work = nullptr;
        Dialog_Close(item);
        return item;
    }
    return commonHit(c, item, fillTextDialog);
}

// ---- new and edited entries ----

namespace {

int16_t kindChoice(int16_t, int32_t code, int16_t item, intptr_t)
{
    if (code == 0) {
        Dialog_SetRadioGroup(3, 10, lastKindChoice);
        return item;
    }
    if (item >= 3 && item <= 10)
        Dialog_SetRadioGroup(3, 10, item);
    else if (item == 1 || item == 2) {
        if (item == 1)
            lastKindChoice = static_cast<int16_t>(Dialog_GetRadioChoice(3, 10));
        Dialog_Close(item);
    }
    return item;
}

// Runs the kind's dialog on the context: the dialog's result.
int runKindDialog(DEDialogContext* c)
{
    const DEKindRow& row = DEKindOf(c->kind);
    if (row.callback == nullptr)
        return 0;
    int result = Dialog_OpenModal(row.dialog, row.callback, c);
    if (c->work != nullptr) {
        DEFreeEntry(c->work);
        c->work = nullptr;
    }
    return result;
}

} // namespace

SEDeclEntry* DENewDeclaration(int ask, int browser)
{
    uint32_t selected = QXStr_GetCurObject();
    SEHead* record = nullptr;
    if (selected == 0 || GE_GetSERecord(selected, &record) == 0 || record == nullptr ||
        (record->kind != kSEDeclNode && record->kind != kSEDeclEntry))
        return nullptr;
    SEDeclNode* node = DENodeOfObject(selected);
    if (node == nullptr)
        return nullptr;
    uint16_t kind = 0;
    if (ask) {
        if (node->head.subKind == kSEDeclLocal) {
            kind = kDEPageref;
        } else {
            if (Dialog_OpenModal(kKindChoiceDialog, kindChoice, nullptr) != 1)
                return nullptr;
            kind = static_cast<uint16_t>(lastKindChoice - 2);
        }
    } else if (SEDeclEntry* e = asEntry(record)) {
        kind = e->head.subKind;
    } else {
        return nullptr;
    }
    DEDialogContext c{nullptr, 1, selected, nullptr, nullptr, kind, browser};
    int result = runKindDialog(&c);
    if ((result == 1 || result == 4) && c.result != nullptr)
        return c.result;
    QXStr_SetCurObject(selected);
    return nullptr;
}

int DEEditEntry(uint32_t object, int mode)
{
    SEHead* record = nullptr;
    if (object == 0 || GE_GetSERecord(object, &record) == 0)
        return 0;
    SEDeclEntry* e = asEntry(record);
    if (e == nullptr)
        return 0;
    DEDialogContext c{nullptr, 1, object, e, nullptr, e->head.subKind, mode == 2 ? 1 : 0};
    int result = runKindDialog(&c);
    if (mode == 3)
        return result == 1 ? 1 : 0;
    if (result != 1 && result != 4)
        QXStr_SetCurObject(object);
    return result;
}

// ---- checks kept and withdrawn ----

void DEUncheckTimedColorSets()
{
    DEWalkEntries(
        [](SEDeclEntry* e, void*) {
            if (e->head.subKind == kDEColorSet && DETimed(e) == 1 && (e->flags & kDEChecked) != 0)
                DEUncheck(&e->head);
            return 0;
        },
        1, 3, nullptr);
    timedUnchecked = 1;
}

int DETakeTimedUnchecked()
{
    int was = timedUnchecked;
    timedUnchecked = 0;
    return was;
}

int DEDropStaleCheck(SEDeclEntry* entry, LMList* records)
{
    if (entry == nullptr || (entry->flags & kDEChecked) == 0)
        return 0;
    SEHead* same = nullptr;
    eachRec(records, [&](SEHead* h) {
        const char* name = nullptr;
        if (SEDeclEntry* e = asEntry(h))
            name = e->name;
        else if (SEDeclItem* i = asItem(h))
            name = i->name;
        if (same == nullptr && name != nullptr && SafeStrcmp(name, entry->name) == 0)
            same = h;
    });
    if (same != nullptr) {
        flagsOf(same) |= kDEChecked;
        return 0;
    }
    entry->flags &= ~kDEChecked;
    DEShowStatus(entry);
    if (DEDependents(entry) != nullptr)
        LMDestroy(DEDependents(entry));
    DEDependents(entry) = nullptr;
    return 1;
}

// ---- editing a region's text in place ----

void DEBeginRegionEdit(uint32_t region)
{
    regionEdit = RegionEdit{};
    regionEdit.region = region;
    regionEdit.pending = true;
    regionEdit.selection = QXStr_GetCurObject();
    uint32_t length = 0;
    regionEdit.hadText = QXText_GetLength(region, &length) != 0 && length != 0;
    if (regionEdit.hadText)
        regionEdit.text = objectText(region);
}

int DEEndRegionEdit(uint32_t region, SEDeclEntry* entry)
{
    int result = 1;
    if (regionEdit.pending && regionEdit.region == region && entry != nullptr) {
        std::string now = objectText(region);
        if (now != regionEdit.text) {
            SEDeclNode* node = DEOwnerNode(entry);
            DESetReplacedEntry(entry);
            uint32_t object = region;
            result = DEConvertText(now.data(), node, &object);
            DESetReplacedEntry(nullptr);
            if (result == 0)
                QXText_SetText(region, regionEdit.text.c_str());
        }
    }
    QXStr_SetCurObject(regionEdit.selection);
    regionEdit = RegionEdit{};
    return result;
}
