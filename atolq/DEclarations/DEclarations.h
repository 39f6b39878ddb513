// Declarations: the texts of declaration nodes cut into declaration entries,
// each shown as a text region stacked below its node; entries found, checked,
// kept unique and deleted across the net; the text of colour sets; and the
// compile of entries in the order of their dependencies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/DeclarationSeams.h"
#include "atolq/Utils/LMList.h"
#include "atolq/Utils/SafeString.h"
#include "xkv/dialog/Dialog.h"

// Sub-kinds of declaration entries; 32 and 33 exist only while cutting.
enum DeclEntryKind : uint16_t {
    kDENone = 0,
    kDEColorSet = 1,
    kDEFun = 2,
    kDEVal = 3,
    kDEStatvar = 4,
    kDEGlobref = 5,
    kDEException = 6,
    kDELocalBlock = 7,
    kDEPageref = 8,
    kDEInstref = 9,
    kDEUse = 10,
    kDEVar = 32,
    kDEDefinetime = 33
};

enum ColorSetKind : uint16_t {
    kCSUnit = 1,
    kCSBool = 2,
    kCSInt = 3,
    kCSReal = 4,
    kCSString = 5,
    kCSEnumerate = 6,
    kCSIndex = 7,
    kCSList = 8,
    kCSProduct = 9,
    kCSRecord = 10,
    kCSUnion = 11,
    kCSSubsetFun = 12,
    kCSSubsetList = 13,
    kCSTime = 14,
    kCSDuplicate = 15,
    kCSIntInf = 24
};

// Item sub-kinds.
enum : uint16_t { kDEItemVar = 1, kDEItemMsvar = 2, kDEItemAlias = 3, kDEItemDeclare = 4, kDEItemValue = 5 };

// Marks in the flags of entries and items.
inline constexpr uint32_t kDEChecked = 0x1000;
inline constexpr uint32_t kDEChanged = 0x2000;
inline constexpr uint32_t kDECompiled = 0x4000;

// Region kind of an entry's text region and the default key of its graphics.
inline constexpr int32_t kDERegionKind = 4123;
inline constexpr int32_t kDERegionDefaults = 76;
// Kernel commands and codes used.
inline constexpr int32_t kDECmdFitToText = 802;
inline constexpr int32_t kDEAlignTopToBottom = 908;

// Declaration messages.
enum : int16_t {
    kDEMsgNameRequired = 0x4501,
    kDEMsgNameTaken = 0x4502,
    kDEMsgIllegalName = 0x4503,
    kDEMsgBadPredeclared = 0x4505,
    kDEMsgUnchecked = 0x4508,
    kDEMsgUndeclared = 0x4509,
    kDEMsgColorSetRequired = 0x450a,
    kDEMsgSubsetFunction = 0x450b,
    kDEMsgRange = 0x450c,
    kDEMsgOwnParent = 0x450d,
    kDEMsgIncomplete = 0x450e,
    kDEMsgNoRegion = 0x4510,
    kDEMsgUnrecognized = 0x4513,
    kDEMsgIndexName = 0x4514,
    kDEMsgVarColon = 0x4515,
    kDEMsgVarColorSet = 0x4516,
    kDEMsgRefInGlobal = 0x4517,
    kDEMsgOnlyRefs = 0x4518,
    kDEMsgSyntax = 0x4519,
    kDEMsgUnknownType = 0x451c,
    kDEMsgTimedNeedsTime = 17693,
    kDEMsgNullRecord = 12545
};

// ---- entry fields by their roles ----
inline LMList*& DEItemList(SEDeclEntry* e, uint16_t subKind)
{
    static constexpr int index[6] = {0, 0, 1, 3, 2, 4};
    return e->items[index[subKind <= 5 ? subKind : 0]];
}
inline LMList*& DELabels(SEDeclEntry* e) { return e->textLists[0]; }
inline LMList*& DEColorSets(SEDeclEntry* e) { return e->textLists[1]; }
inline uint32_t& DECSKind(SEDeclEntry* e) { return e->wordAfterKv; }
inline uint32_t& DETimed(SEDeclEntry* e) { return e->boolWord; }
inline SEText& DEComment(SEDeclEntry* e) { return e->lastText; }
inline uint32_t& DERegion(SEDeclEntry* e) { return e->kvObject; }
inline LMList*& DEDependents(SEDeclEntry* e) { return e->idLists[0]; }
inline LMList*& DEParents(SEDeclEntry* e) { return e->idLists[1]; }
inline LMList*& DEItemDependents(SEDeclItem* i) { return i->idLists[0]; }
inline SEDeclNode* DEOwnerNode(SEDeclEntry* e)
{
    return e->head.owner != nullptr && e->head.owner->kind == kSEDeclNode ? reinterpret_cast<SEDeclNode*>(e->head.owner)
                                                                          : nullptr;
}

// ---- messages ----
// Shows a text, one blank and a message ("%s %s"); the message alone for no text.
void DEShowMessage(const char* text, int16_t messageId);
// The text of a message id ("" when unknown).
const char* DEMessageText(int32_t messageId);

// ---- conversion ----
int DEConvertDeclarations();
int DEConvertNode(uint32_t node);
int DEParseGlobalText(char* text, const char* pristine, uint32_t* object);
int DEParseLocalText(char* text, const char* pristine, uint32_t* object);
int DEConvertText(char* text, SEDeclNode* node, uint32_t* object);
int DEReconvertNodeText(uint32_t node, uint32_t* object);
int DEMergeNodeText(uint32_t source, uint32_t target);
int DEDeclKeyword(const char* word, uint16_t* kind);
int DELocalKeyword(const char* word, uint16_t* kind);
// The conversion state read by placing: the quiet flag, the timing word (0,
// 256 timed, 512 untimed) and the entry being replaced.
int DEQuiet();
void DESetQuiet(int quiet);
uint32_t DETimingWord();
SEDeclEntry* DEReplacedEntry();
void DESetReplacedEntry(SEDeclEntry* entry);

// ---- entries ----
struct DEDialogContext {
    SEDeclEntry* result;
    int dialog;
    uint32_t nodeObject;
    SEDeclEntry* edited;
    SEDeclEntry* work;
    uint16_t kind;
    int browser;
};
struct DEPlacement {
    uint32_t after;        // the node object or the region the new one follows
    SEDeclEntry* replaced; // entry that owns the region, or null
    SEDeclEntry* entry;
};

// A new entry of the kind (no owner, no region); texts are set by the caller.
SEDeclEntry* DENewEntry(uint16_t kind);
// Frees an entry that is in no node's list.
void DEFreeEntry(SEDeclEntry* entry);
// A new item of the sub-kind named by a copy of name.
SEDeclItem* DEAddItem(SEDeclEntry* entry, uint16_t subKind, const char* name);
// Unlinks an item from its entry and frees it.
void DERemoveItem(SEDeclItem* item);
// Appends a copy of the text to a text list.
void DEAppendText(LMList*& list, const char* text);
void DEFreeTextList(LMList*& list);

int DEPlaceEntry(SEDeclEntry* entry, uint32_t* nodeObject);
int DEPlaceRegion(DEPlacement* placement);
void DERewriteEntryText(SEDeclEntry* entry);
int DEStackEntryRegions(SEDeclEntry* entry, uint32_t region, uint32_t nodeObject);
int DEDeleteEntry(SEDeclEntry* entry);
SEHead* DEFindEntry(SEHead* excluded, const char* name, int walkMode);
int DENameFree(SEDeclEntry* entry, const char* name);
int DEPageNameFree(SEDeclEntry* entry, const char* name, SEPage* page);
int DELegalName(const char* name);
void DEMarkEntry(SEHead* record, uint32_t mask);
void DEClearMark(SEHead* record, uint32_t mask);
int DECheckStatus(SEHead* record);
void DEShowStatus(SEDeclEntry* entry);
SEDeclEntry* DECopyEntry(SEDeclEntry* entry);
int DEIsDeclObject(uint32_t object, int* flag);
// Makes the entries of a copied local node unique on the page: a name that
// is taken gets "'cpy" appended (with its items' names) until it is free.
void DEUniqueLocalNames(SEDeclNode* node, SEPage* page);
// The names "%s.%s" or, for "of" and "set", "%s_%s" per label, of a declare item.
void DEQualifiedNames(SEDeclItem* item, void (*visit)(const char* name, void* argument), void* argument);
// The deleted-names list of the net.
LMList* DEDeletedNames();
void DEAddDeletedName(const char* name);

int DECheckEntry(DEDialogContext* context);
void DEUncheck(SEHead* record);
// Run when a re-converted or edited entry replaces the old one: a checked new
// entry keeps its mark only when nothing that was compiled changed.
void DEKeepCheck(SEDeclEntry* newEntry, SEDeclEntry* oldEntry);
int DEPredeclaredLegal(SEDeclEntry* entry, const char* word);

// ---- texts of regions ----
std::string DEEntryText(SEDeclEntry* entry);
std::string DEColorSetText(SEDeclEntry* entry);
void DEWriteEntryText(SEDeclEntry* entry, uint32_t region);
void DEWriteColorSetText(SEDeclEntry* entry, uint32_t region);
const char* DEColorSetWord(uint16_t kind);
uint16_t DEColorSetKind(const char* word);
void DEChangeColorSetKind(SEDeclEntry* entry, uint16_t kind);

// ---- compile order ----
using DEWalkFn = int (*)(SEDeclEntry* entry, void* argument);
using DEProgressFn = void (*)(int* goOn, ProgressRecord* record);
int DEWalkEntries(DEWalkFn callback, int all, int scope, void* argument);
int DEStartCompileOrder(ProgressRecord* progress);
int DEEntryCompile(SEDeclEntry* entry, int* wasReset);
void DEResetCompileMarks();
int DEEntryStep(SEDeclEntry* entry, int single);
void DEReportEntryError(SEDeclEntry* entry, int32_t messageId);
void DESetProgressCallback(DEProgressFn callback);
void DETokenizeEntry(SEHead* record);
// The name index: name -> value list of the records that define it.
LMList* DENameIndexLookup(const char* name);
void DENameIndexFile(const char* name, SEHead* record);
void DENameIndexForget(SEHead* owner);
void DENameIndexClear();

// ---- dialogs ----
// A row of the entry-kind table: the kind's dialog and its callback, the
// writer of its region text, its keyword and its letter in the browser.
struct DEKindRow {
    int16_t dialog;
    DialogCallback callback;
    void (*writer)(SEDeclEntry* entry, uint32_t region);
    const char* keyword;
    const char* letter;
};
// The row of a kind (row 0, empty, for an unknown kind).
const DEKindRow& DEKindOf(uint16_t kind);
int16_t DEValueDialog(int16_t dialog, int32_t code, int16_t item, intptr_t value);
int16_t DEFunDialog(int16_t dialog, int32_t code, int16_t item, intptr_t value);
int16_t DETextDialog(int16_t dialog, int32_t code, int16_t item, intptr_t value);
int16_t DEColorSetDialog(int16_t dialog, int32_t code, int16_t item, intptr_t value);
// 1 to go ahead with a change of the colour-set kind: at once when the
// fields of the current kind are empty, else when the user confirms.
int DEConfirmKindChange(DEDialogContext* context);
// Reads the colour-set dialog's fields into the work entry and checks it.
int DECollectColorSet(DEDialogContext* context);
// The colour sets and the subset function the entry uses are declared,
// of the right kind and checked.
int DEColorSetComplete(SEDeclEntry* entry);
// The declaration selected in the browser panel into the fitting field.
void DEInsertBrowserSelection(SEDeclEntry* entry);
// Selects a refused name in the open colour-set dialog: in list 29, or in a
// field (49 with the item list of itemKind shown).
void DEColorSetSelect(int16_t item, const char* name, uint16_t itemKind);
// Reads the item's text as the work entry's name and applies the name rules.
int DEReadName(DEDialogContext* context, int16_t item);
// A new entry through its kind's dialog after the selected node or entry.
SEDeclEntry* DENewDeclaration(int ask, int browser);
// The entry's dialog on the object's entry (mode 2 from the browser; mode 3
// gives 1 when the dialog closed with OK).
int DEEditEntry(uint32_t object, int mode);
void DEUncheckTimedColorSets();
// Whether timed colour sets lost their checks since the last call.
int DETakeTimedUnchecked();
int DEDropStaleCheck(SEDeclEntry* entry, LMList* records);
void DEBeginRegionEdit(uint32_t region);
int DEEndRegionEdit(uint32_t region, SEDeclEntry* entry);

// ---- the declaration browser ----
// Opens the browser dialog, optionally on the entry being edited.
int DEBrowserOpen(SEHead* record, intptr_t argument, intptr_t second);
// The browser panel of an entry dialog, filled on opening and given its hits.
void DEBrowserPanelOpen(DEDialogContext* context);
void DEBrowserPanelHit(int16_t item);
void DEBrowserFillList(int firstTime, int editing);
void DEBrowserFilter(int16_t item);
void DEBrowserAddEntry(SEHead* record);
void DEBrowserShowText(uint32_t object, int selectOnly);
// The entry (or, with *isItem set, the alias item) of the selected row.
SEHead* DEBrowserSelected(SEDeclEntry** entry, int* isItem);
// A list row: kind letter, check marker and name.
std::string DEBrowserRowText(SEHead* record);
// Where a row goes among sorted rows: before the first whose name is not
// smaller, names compared in upper case.
size_t DEBrowserRowPosition(const std::vector<std::string>& rows, const std::string& row);
void DELocateEntry(uint32_t object);

// ---- colour-set constraints, done by the evaluator ----
struct NSMessage;
int DEConstraintStep(SEDeclEntry* entry);
int DEItemListConstraints(SEDeclEntry* entry);
// Reads the name records of an answer: names filed, errors shown on the
// objects of their ML numbers; 1 when no record carried an error.
int DEReadNameReply(SEDeclEntry* entry, NSMessage* message);
// A declaration's text as the evaluator gets it: comments (nested) taken
// out, cut after the first ";" that is in no string.
std::string DEConstraintText(std::string_view text);
void DEFileNameRef(SEDeclEntry* entry, const char* name, uint16_t kind);
