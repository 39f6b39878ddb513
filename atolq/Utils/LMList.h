// The net layer's doubly linked lists. A list holds one kind of cell, fixed
// when it is created:
//   1 value list:  cells holding one non-null value,
//   2 pair list:   cells holding a pair of values, never both null,
//   3 record list: the caller's own records, whose first two words are the
//                  next and prev links (intrusive).
// Heads and cells of kinds 1 and 2 come from pools made by LMInit. A view is a
// second head over another list's cells with its own cursor; it may only be
// read and must be freed with LMFreeView.
//
// Misuse is reported through EE_ReportError (16431 wrong kind of list or a
// view where a list is needed and the reverse, 16432 bad list) and gives 0;
// the list is left unchanged.
#pragma once

#include <cstdint>

struct MemPool;

enum : uint16_t { kLMValueList = 1, kLMPairList = 2, kLMRecordList = 3 };

// A list holds at most this many cells, so that every position up to count + 1
// fits in 16 bits; an insertion beyond it is refused with 16432.
inline constexpr uint16_t kLMMaxCount = 65534;

// Link words at the start of every cell and of every record in a record list.
struct LMLink {
    void* next;
    void* prev;
};

struct LMValueCell {
    LMLink link;
    void* value;
};

struct LMPairCell {
    LMLink link;
    void* first;
    void* second;
};

struct LMList {
    void* first;     // first cell, 0 when empty
    void* last;      // last cell, 0 when empty
    uint16_t count;  // number of cells, at most kLMMaxCount
    void* cursor;    // cell at which iteration stands, 0 at the end
    uint16_t kind;   // kLMValueList, kLMPairList or kLMRecordList
    uint32_t view;   // 1 for a view, else 0
};

// Callbacks and predicates get a cell's data and the caller's argument.
// Kind 1 passes the value, kind 3 the record, kind 2 both values of the pair.
using LMValueFn = int (*)(void* value, void* argument);
using LMPairFn = int (*)(void* first, void* second, void* argument);
// Forms that may change the cell's values in place.
using LMValueRefFn = int (*)(void** value, void* argument);
using LMPairRefFn = int (*)(void** first, void** second, void* argument);
// Sorted insertion: position is 2, or 3 at the last cell of the walk. The
// answer is 0 go on, 1 insert after this cell, -1 insert before this cell,
// anything else do not insert.
using LMValueInsertFn = int (*)(void* value, void* argument, int position);
using LMPairInsertFn = int (*)(void* first, void* second, void* argument, int position);
// Sorting: negative when a sorts before b.
using LMValueCompareFn = int16_t (*)(void* a, void* b);
using LMPairCompareFn = int16_t (*)(void* firstA, void* secondA, void* firstB, void* secondB);
// Deletes a record list's first record; must unlink it (see LMDestroyRecs).
using LMRecordDeleteFn = void (*)(void* record);

// Creates the cell and head pools and seeds the random generator; once, before
// any list is made.
void LMInit();

// A new empty list of the kind; 0 when the kind is not 1, 2 or 3.
LMList* LMCreate(uint16_t kind);

// Gives every cell and the head back: 1/0. Refused for a view and for a record
// list that still holds records.
int LMDestroy(LMList* list);

uint16_t LMCount(const LMList* list);

// The data of the first, last or n-th cell (n from 1): the value (kind 1), the
// pair (kind 2) or the record (kind 3, in value). Out pointers may be null.
int LMFirst(const LMList* list, void** value, void** second);
int LMLast(const LMList* list, void** value, void** second);
int LMNth(const LMList* list, void** value, void** second, uint16_t n);

// Position (from 1) of the first cell holding the value in a value list; count
// + 1 when absent; 0 for a null or empty list.
uint16_t LMIndexOf(const LMList* list, void* value);

// A new cell at the front or the end (kinds 1 and 2); the list or 0. A null
// value (kind 1) or null pair (kind 2) is refused without a message.
LMList* LMPrepend(LMList* list, void* value, void* second);
LMList* LMAppend(LMList* list, void* value, void* second);

// Inserts where the callback says, walking from the front (or from the back
// when backwards is nonzero); 1 when inserted. For a record list, value is the
// record itself.
int LMInsertSorted(LMList* list, void* value, void* second, LMValueInsertFn callback,
                   uint16_t backwards, void* argument);
int LMInsertSorted(LMList* list, void* value, void* second, LMPairInsertFn callback,
                   uint16_t backwards, void* argument);

// Removes the first or last cell (kinds 1 and 2): 1/0.
int LMRemoveFirst(LMList* list);
int LMRemoveLast(LMList* list);

// Removes the first cell (every cell with all) that the predicate accepts
// (kinds 1 and 2); 1 when any was removed.
int LMRemoveIf(LMList* list, LMValueFn predicate, uint16_t all, void* argument);
int LMRemoveIf(LMList* list, LMPairFn predicate, uint16_t all, void* argument);

// Calls the callback for each cell from the front, stopping at the first
// nonzero result unless all is set (kinds 1 and 2; views allowed); 1 when any
// call gave nonzero.
int LMApply(const LMList* list, LMValueFn callback, uint16_t all, void* argument);
int LMApply(const LMList* list, LMPairFn callback, uint16_t all, void* argument);

// As LMApply, with the addresses of the cell's values; refused on a view.
int LMApplyRef(LMList* list, LMValueRefFn callback, uint16_t all, void* argument);
int LMApplyRef(LMList* list, LMPairRefFn callback, uint16_t all, void* argument);

// Moves b's cells to the end of a and gives b's head back; a or 0. Both must
// be lists (not views) of the same kind, and distinct.
LMList* LMConcat(LMList* a, LMList* b);

// Sorts the list by merge sort (not stable) and returns it, with the cursor at
// the end; 0 for a null, view or empty list. Always use the returned head. Kinds 1 and 3 take the value form of
// the comparator, kind 2 the pair form.
LMList* LMSort(LMList* list, LMValueCompareFn comparator);
LMList* LMSort(LMList* list, LMPairCompareFn comparator);

// Iteration with the head's cursor.
LMList* LMRewind(LMList* list);
int LMMore(const LMList* list);
int LMCurrent(const LMList* list, void** value, void** second);
int LMAdvance(LMList* list);

// From the cursor, finds the first cell that the predicate accepts and leaves
// the cursor after it: 1. When none matches the cursor stays: 0.
int LMFindNext(LMList* list, LMValueFn predicate, void* argument);
int LMFindNext(LMList* list, LMPairFn predicate, void* argument);

// A view over the list's cells, its cursor at the start record (record lists
// only) or at the first cell.
LMList* LMMakeView(LMList* list, void* startRecord);
int LMFreeView(LMList* view);

// Record lists.
// Links the record at the front; the list or 0.
LMList* LMPushRec(LMList* list, void* record);
// Unlinks the record, clears its links and gives it back to the pool: 1/0.
int LMUnlinkRec(LMList* list, void* record, MemPool* pool);
// Calls the delete callback with the first record while records remain; when
// all are gone frees the head and sets *list to 0: 1. Else 0, list kept.
int LMDestroyRecs(LMList** list, LMRecordDeleteFn deleteRecord);
// As LMApply for records (views allowed). The callback may unlink and free the
// record it is given.
int LMApplyRec(const LMList* list, LMValueFn callback, uint16_t all, void* argument);
// Unlinks the record from one record list and links it into another, sorted
// by the comparator, or at the front when there is none: 1/0. When the sorted
// insertion declines, the record goes back to its old place in from.
int LMMoveRec(LMList* from, LMList* to, void* record, LMValueInsertFn comparator,
              uint16_t backwards, void* argument);
