// The net layer's doubly linked lists (see LMList.h).
#include "atolq/Utils/LMList.h"

#include <cstdlib>
#include <cstring>

#include "atolq/CEditor/ErrorReport.h"
#include "atolq/Utils/MemPool.h"

namespace {

MemPool* pairCellPool = nullptr;
MemPool* valueCellPool = nullptr;
MemPool* headPool = nullptr;
uint32_t seedWord = 0;

constexpr uint32_t kRandomSeed = 7645;

// --- link words -------------------------------------------------------------
// Records of kind-3 lists are the callers' own types; their link words are read
// and written as raw pointer words so that no record type is assumed.

void* NextOf(const void* cell)
{
    void* next;
    std::memcpy(&next, cell, sizeof next);
    return next;
}

void* PrevOf(const void* cell)
{
    void* prev;
    std::memcpy(&prev, static_cast<const char*>(cell) + sizeof(void*), sizeof prev);
    return prev;
}

void SetNext(void* cell, void* next)
{
    std::memcpy(cell, &next, sizeof next);
}

void SetPrev(void* cell, void* prev)
{
    std::memcpy(static_cast<char*>(cell) + sizeof(void*), &prev, sizeof prev);
}

// --- checks -----------------------------------------------------------------

bool Fail(int16_t message)
{
    EE_ReportError(message);
    return false;
}

bool Present(const LMList* list)
{
    return list != nullptr || Fail(kMsgListBadList);
}

// A list whose cells may be changed: present and not a view.
bool Changeable(const LMList* list)
{
    return Present(list) && (list->view == 0 || Fail(kMsgListWrongType));
}

bool KindIs(const LMList* list, uint16_t kind)
{
    return list->kind == kind || Fail(kMsgListWrongType);
}

// Kinds 1 and 3 use the one-value callbacks, kind 2 the pair callbacks.
bool TakesValueForm(const LMList* list)
{
    return list->kind == kLMValueList || list->kind == kLMRecordList || Fail(kMsgListWrongType);
}

bool TakesPairForm(const LMList* list)
{
    return KindIs(list, kLMPairList);
}

bool HasCellKind(const LMList* list)
{
    return list->kind == kLMValueList || list->kind == kLMPairList || Fail(kMsgListWrongType);
}

// A list with a cell to read: present and not empty.
bool HasCells(const LMList* list)
{
    return Present(list) && (list->count != 0 || Fail(kMsgListBadList));
}

// A list whose cursor stands on a cell.
bool AtCell(const LMList* list)
{
    return Present(list) && (list->cursor != nullptr || Fail(kMsgListBadList));
}

bool HasRoom(const LMList* list, uint32_t more)
{
    return list->count + more <= kLMMaxCount || Fail(kMsgListBadList);
}

bool IsNullData(const LMList* list, void* value, void* second)
{
    return list->kind == kLMValueList ? value == nullptr : value == nullptr && second == nullptr;
}

// --- cells ------------------------------------------------------------------

MemPool* CellPool(const LMList* list)
{
    return list->kind == kLMValueList ? valueCellPool : pairCellPool;
}

void* NewCell(const LMList* list, void* value, void* second)
{
    void* cell = MemMgrAlloc(CellPool(list));
    if (cell == nullptr)
        return nullptr;
    if (list->kind == kLMValueList) {
        static_cast<LMValueCell*>(cell)->value = value;
    } else {
        static_cast<LMPairCell*>(cell)->first = value;
        static_cast<LMPairCell*>(cell)->second = second;
    }
    return cell;
}

void FreeCell(const LMList* list, void* cell)
{
    MemMgrFree(CellPool(list), cell);
}

void ReadCell(const LMList* list, void* cell, void** value, void** second)
{
    void* data = cell;
    void* other = nullptr;
    if (list->kind == kLMValueList) {
        data = static_cast<LMValueCell*>(cell)->value;
    } else if (list->kind == kLMPairList) {
        data = static_cast<LMPairCell*>(cell)->first;
        other = static_cast<LMPairCell*>(cell)->second;
    }
    if (value != nullptr)
        *value = data;
    if (second != nullptr)
        *second = other;
}

// The one value that the value-form callbacks get: the value or the record.
void* ValueOf(const LMList* list, void* cell)
{
    return list->kind == kLMValueList ? static_cast<LMValueCell*>(cell)->value : cell;
}

LMPairCell* PairOf(void* cell)
{
    return static_cast<LMPairCell*>(cell);
}

// --- linking ----------------------------------------------------------------

// Links the cell after the given one, or at the front when it is 0.
void LinkAfter(LMList* list, void* cell, void* after)
{
    void* next = after != nullptr ? NextOf(after) : list->first;
    SetPrev(cell, after);
    SetNext(cell, next);
    if (after != nullptr)
        SetNext(after, cell);
    else
        list->first = cell;
    if (next != nullptr)
        SetPrev(next, cell);
    else
        list->last = cell;
    ++list->count;
}

void LinkBefore(LMList* list, void* cell, void* before)
{
    LinkAfter(list, cell, before != nullptr ? PrevOf(before) : list->last);
}

void Unlink(LMList* list, void* cell)
{
    void* prev = PrevOf(cell);
    void* next = NextOf(cell);
    if (prev != nullptr)
        SetNext(prev, next);
    else
        list->first = next;
    if (next != nullptr)
        SetPrev(next, prev);
    else
        list->last = prev;
    if (list->cursor == cell)
        list->cursor = next;
    SetNext(cell, nullptr);
    SetPrev(cell, nullptr);
    --list->count;
}

// A record that claims to be at an end of the list must be that end; one in
// the middle must be linked both ways.
bool IsLinkedInto(const LMList* list, const void* record)
{
    void* prev = PrevOf(record);
    void* next = NextOf(record);
    bool prevOk = prev != nullptr ? NextOf(prev) == record : list->first == record;
    bool nextOk = next != nullptr ? PrevOf(next) == record : list->last == record;
    return prevOk && nextOk;
}

void RemoveCell(LMList* list, void* cell)
{
    Unlink(list, cell);
    FreeCell(list, cell);
}

// --- walks ------------------------------------------------------------------

// Calls visit(cell) for each cell from the front, reading the next link first
// so that visit may unlink the cell. Stops at the first nonzero answer unless
// all is set; 1 when any answer was nonzero.
template <typename Visit>
int Walk(const LMList* list, uint16_t all, Visit visit)
{
    int any = 0;
    for (void* cell = list->first; cell != nullptr;) {
        void* next = NextOf(cell);
        if (visit(cell) != 0) {
            any = 1;
            if (all == 0)
                break;
        }
        cell = next;
    }
    return any;
}

template <typename Test>
int RemoveMatching(LMList* list, uint16_t all, Test test)
{
    return Walk(list, all, [&](void* cell) {
        if (test(cell) == 0)
            return 0;
        RemoveCell(list, cell);
        return 1;
    });
}

template <typename Test>
int FindFromCursor(LMList* list, Test test)
{
    for (void* cell = list->cursor; cell != nullptr; cell = NextOf(cell)) {
        if (test(cell) != 0) {
            list->cursor = NextOf(cell);
            return 1;
        }
    }
    return 0;
}

// Walks from the front (or back) asking where the cell goes; links it and
// gives 1, or gives 0 with the list unchanged.
template <typename Ask>
int LinkWhereAsked(LMList* list, void* cell, uint16_t backwards, Ask ask)
{
    void* end = backwards != 0 ? list->first : list->last;
    for (void* at = backwards != 0 ? list->last : list->first; at != nullptr;
         at = backwards != 0 ? PrevOf(at) : NextOf(at)) {
        int answer = ask(at, at == end ? 3 : 2);
        if (answer == 0)
            continue;
        if (answer == 1) {
            LinkAfter(list, cell, at);
            return 1;
        }
        if (answer == -1) {
            LinkBefore(list, cell, at);
            return 1;
        }
        return 0;
    }
    return 0;
}

template <typename Ask>
int InsertSorted(LMList* list, void* value, void* second, uint16_t backwards, Ask ask)
{
    if (list->kind == kLMRecordList) {
        if (value == nullptr)
            return Fail(kMsgListBadList);
        if (list->count == 0)
            return LMPushRec(list, value) != nullptr;
        return HasRoom(list, 1) && LinkWhereAsked(list, value, backwards, ask);
    }
    if (IsNullData(list, value, second))
        return 0;
    if (list->count == 0)
        return LMPrepend(list, value, second) != nullptr;
    if (!HasRoom(list, 1))
        return 0;
    void* cell = NewCell(list, value, second);
    if (cell == nullptr)
        return 0;
    if (LinkWhereAsked(list, cell, backwards, ask))
        return 1;
    FreeCell(list, cell);
    return 0;
}

// --- merge sort ---------------------------------------------------------------

// Sorts a chain of count cells linked by their next words; returns its new
// first cell. Of two cells that compare 0 or more, the one of the second half
// comes first.
template <typename Compare>
void* SortChain(void* first, uint32_t count, Compare compare)
{
    if (count < 2) {
        if (first != nullptr)
            SetNext(first, nullptr);
        return first;
    }
    uint32_t firstHalf = count / 2;
    void* secondStart = first;
    for (uint32_t i = 0; i < firstHalf; ++i)
        secondStart = NextOf(secondStart);
    void* a = SortChain(first, firstHalf, compare);
    void* b = SortChain(secondStart, count - firstHalf, compare);

    void* head = nullptr;
    void* tail = nullptr;
    auto take = [&](void*& run) {
        void* cell = run;
        run = NextOf(cell);
        if (tail != nullptr)
            SetNext(tail, cell);
        else
            head = cell;
        tail = cell;
    };
    while (a != nullptr && b != nullptr) {
        if (compare(a, b) >= 0)
            take(b);
        else
            take(a);
    }
    SetNext(tail, a != nullptr ? a : b);
    return head;
}

// Rebuilds the prev links and the ends of a list after its next chain changed.
void Relink(LMList* list, void* first)
{
    list->first = first;
    void* prev = nullptr;
    for (void* cell = first; cell != nullptr; cell = NextOf(cell)) {
        SetPrev(cell, prev);
        prev = cell;
    }
    list->last = prev;
    list->cursor = nullptr;
}

template <typename Compare>
LMList* Sort(LMList* list, Compare compare)
{
    if (list->count == 0)
        return nullptr;
    if (list->count > 1)
        Relink(list, SortChain(list->first, list->count, compare));
    return list;
}

}  // namespace

void LMInit()
{
    pairCellPool = MemMgrNewPool(sizeof(LMPairCell));
    valueCellPool = MemMgrNewPool(sizeof(LMValueCell));
    headPool = MemMgrNewPool(sizeof(LMList));
    seedWord = kRandomSeed;
    std::srand(seedWord);
}

LMList* LMCreate(uint16_t kind)
{
    if (kind != kLMValueList && kind != kLMPairList && kind != kLMRecordList) {
        Fail(kMsgListWrongType);
        return nullptr;
    }
    auto* list = static_cast<LMList*>(MemMgrAlloc(headPool));
    if (list != nullptr)
        list->kind = kind;
    return list;
}

int LMDestroy(LMList* list)
{
    if (!Changeable(list))
        return 0;
    if (list->kind == kLMRecordList) {
        if (list->count != 0)
            return Fail(kMsgListWrongType);
    } else {
        for (void* cell = list->first; cell != nullptr;) {
            void* next = NextOf(cell);
            FreeCell(list, cell);
            cell = next;
        }
    }
    MemMgrFree(headPool, list);
    return 1;
}

uint16_t LMCount(const LMList* list)
{
    return list != nullptr ? list->count : 0;
}

int LMFirst(const LMList* list, void** value, void** second)
{
    if (!HasCells(list))
        return 0;
    ReadCell(list, list->first, value, second);
    return 1;
}

int LMLast(const LMList* list, void** value, void** second)
{
    if (!HasCells(list))
        return 0;
    ReadCell(list, list->last, value, second);
    return 1;
}

int LMNth(const LMList* list, void** value, void** second, uint16_t n)
{
    if (!Present(list))
        return 0;
    if (n == 0)
        return Fail(kMsgListBadList);
    if (n > list->count)
        return 0;
    void* cell = list->first;
    for (uint16_t i = 1; i < n; ++i)
        cell = NextOf(cell);
    ReadCell(list, cell, value, second);
    return 1;
}

uint16_t LMIndexOf(const LMList* list, void* value)
{
    if (list == nullptr || list->count == 0 || !KindIs(list, kLMValueList))
        return 0;
    uint16_t position = 1;
    for (void* cell = list->first; cell != nullptr; cell = NextOf(cell), ++position)
        if (static_cast<LMValueCell*>(cell)->value == value)
            return position;
    return position;
}

LMList* LMPrepend(LMList* list, void* value, void* second)
{
    if (!Changeable(list) || !HasCellKind(list) || IsNullData(list, value, second) ||
        !HasRoom(list, 1))
        return nullptr;
    void* cell = NewCell(list, value, second);
    if (cell == nullptr)
        return nullptr;
    LinkAfter(list, cell, nullptr);
    return list;
}

LMList* LMAppend(LMList* list, void* value, void* second)
{
    if (!Changeable(list) || !HasCellKind(list) || IsNullData(list, value, second) ||
        !HasRoom(list, 1))
        return nullptr;
    void* cell = NewCell(list, value, second);
    if (cell == nullptr)
        return nullptr;
    LinkBefore(list, cell, nullptr);
    return list;
}

int LMInsertSorted(LMList* list, void* value, void* second, LMValueInsertFn callback,
                   uint16_t backwards, void* argument)
{
    if (!Changeable(list) || !TakesValueForm(list))
        return 0;
    if (callback == nullptr)
        return Fail(kMsgListBadList);
    return InsertSorted(list, value, second, backwards, [&](void* cell, int position) {
        return callback(ValueOf(list, cell), argument, position);
    });
}

int LMInsertSorted(LMList* list, void* value, void* second, LMPairInsertFn callback,
                   uint16_t backwards, void* argument)
{
    if (!Changeable(list) || !TakesPairForm(list))
        return 0;
    if (callback == nullptr)
        return Fail(kMsgListBadList);
    return InsertSorted(list, value, second, backwards, [&](void* cell, int position) {
        return callback(PairOf(cell)->first, PairOf(cell)->second, argument, position);
    });
}

int LMRemoveFirst(LMList* list)
{
    if (list == nullptr || list->count == 0)
        return 0;
    if (!Changeable(list) || !HasCellKind(list))
        return 0;
    RemoveCell(list, list->first);
    return 1;
}

int LMRemoveLast(LMList* list)
{
    if (list == nullptr || list->count == 0)
        return 0;
    if (!Changeable(list) || !HasCellKind(list))
        return 0;
    RemoveCell(list, list->last);
    return 1;
}

int LMRemoveIf(LMList* list, LMValueFn predicate, uint16_t all, void* argument)
{
    if (!Changeable(list) || !KindIs(list, kLMValueList))
        return 0;
    return RemoveMatching(list, all, [&](void* cell) {
        return predicate(static_cast<LMValueCell*>(cell)->value, argument);
    });
}

int LMRemoveIf(LMList* list, LMPairFn predicate, uint16_t all, void* argument)
{
    if (!Changeable(list) || !TakesPairForm(list))
        return 0;
    return RemoveMatching(list, all, [&](void* cell) {
        return predicate(PairOf(cell)->first, PairOf(cell)->second, argument);
    });
}

int LMApply(const LMList* list, LMValueFn callback, uint16_t all, void* argument)
{
    if (list == nullptr || list->count == 0 || !KindIs(list, kLMValueList))
        return 0;
    return Walk(list, all, [&](void* cell) {
        return callback(static_cast<LMValueCell*>(cell)->value, argument);
    });
}

int LMApply(const LMList* list, LMPairFn callback, uint16_t all, void* argument)
{
    if (list == nullptr || list->count == 0 || !TakesPairForm(list))
        return 0;
    return Walk(list, all, [&](void* cell) {
        return callback(PairOf(cell)->first, PairOf(cell)->second, argument);
    });
}

int LMApplyRef(LMList* list, LMValueRefFn callback, uint16_t all, void* argument)
{
    if (list == nullptr || list->count == 0 || !Changeable(list) || !KindIs(list, kLMValueList))
        return 0;
    return Walk(list, all, [&](void* cell) {
        return callback(&static_cast<LMValueCell*>(cell)->value, argument);
    });
}

int LMApplyRef(LMList* list, LMPairRefFn callback, uint16_t all, void* argument)
{
    if (list == nullptr || list->count == 0 || !Changeable(list) || !TakesPairForm(list))
        return 0;
    return Walk(list, all, [&](void* cell) {
        return callback(&PairOf(cell)->first, &PairOf(cell)->second, argument);
    });
}

LMList* LMConcat(LMList* a, LMList* b)
{
    if (!Changeable(a) || !Changeable(b))
        return nullptr;
    if (a == b) {
        Fail(kMsgListBadList);
        return nullptr;
    }
    if (!KindIs(a, b->kind) || !HasRoom(a, b->count))
        return nullptr;
    if (b->count != 0) {
        if (a->last != nullptr)
            SetNext(a->last, b->first);
        else
            a->first = b->first;
        SetPrev(b->first, a->last);
        a->last = b->last;
        a->count = static_cast<uint16_t>(a->count + b->count);
    }
    MemMgrFree(headPool, b);
    return a;
}

LMList* LMSort(LMList* list, LMValueCompareFn comparator)
{
    if (!Changeable(list) || !TakesValueForm(list))
        return nullptr;
    return Sort(list, [&](void* a, void* b) {
        return comparator(ValueOf(list, a), ValueOf(list, b));
    });
}

LMList* LMSort(LMList* list, LMPairCompareFn comparator)
{
    if (!Changeable(list) || !TakesPairForm(list))
        return nullptr;
    return Sort(list, [&](void* a, void* b) {
        return comparator(PairOf(a)->first, PairOf(a)->second, PairOf(b)->first, PairOf(b)->second);
    });
}

LMList* LMRewind(LMList* list)
{
    if (!Present(list))
        return nullptr;
    list->cursor = list->first;
    return list;
}

int LMMore(const LMList* list)
{
    return list != nullptr && list->cursor != nullptr;
}

int LMCurrent(const LMList* list, void** value, void** second)
{
    if (!AtCell(list))
        return 0;
    ReadCell(list, list->cursor, value, second);
    return 1;
}

int LMAdvance(LMList* list)
{
    if (!AtCell(list))
        return 0;
    list->cursor = NextOf(list->cursor);
    return 1;
}

int LMFindNext(LMList* list, LMValueFn predicate, void* argument)
{
    if (!Present(list) || !TakesValueForm(list))
        return 0;
    return FindFromCursor(list, [&](void* cell) { return predicate(ValueOf(list, cell), argument); });
}

int LMFindNext(LMList* list, LMPairFn predicate, void* argument)
{
    if (!Present(list) || !TakesPairForm(list))
        return 0;
    return FindFromCursor(list, [&](void* cell) {
        return predicate(PairOf(cell)->first, PairOf(cell)->second, argument);
    });
}

LMList* LMMakeView(LMList* list, void* startRecord)
{
    if (!Present(list))
        return nullptr;
    if (startRecord != nullptr && !KindIs(list, kLMRecordList))
        return nullptr;
    auto* view = static_cast<LMList*>(MemMgrAlloc(headPool));
    if (view == nullptr)
        return nullptr;
    view->first = list->first;
    view->last = list->last;
    view->count = list->count;
    view->kind = list->kind;
    view->cursor = startRecord != nullptr ? startRecord : list->first;
    view->view = 1;
    return view;
}

int LMFreeView(LMList* view)
{
    if (!Present(view))
        return 0;
    if (view->view == 0)
        return Fail(kMsgListWrongType);
    MemMgrFree(headPool, view);
    return 1;
}

LMList* LMPushRec(LMList* list, void* record)
{
    if (!Changeable(list) || !KindIs(list, kLMRecordList))
        return nullptr;
    if (record == nullptr || !HasRoom(list, 1)) {
        Fail(kMsgListBadList);
        return nullptr;
    }
    LinkAfter(list, record, nullptr);
    return list;
}

int LMUnlinkRec(LMList* list, void* record, MemPool* pool)
{
    if (!Changeable(list) || !KindIs(list, kLMRecordList))
        return 0;
    if (record == nullptr || list->count == 0 || !IsLinkedInto(list, record))
        return Fail(kMsgListBadList);
    Unlink(list, record);
    MemMgrFree(pool, record);
    return 1;
}

int LMDestroyRecs(LMList** list, LMRecordDeleteFn deleteRecord)
{
    if (list == nullptr || *list == nullptr)
        return 0;
    LMList* records = *list;
    if (records->view != 0)
        return Fail(kMsgListWrongType);
    if (!KindIs(records, kLMRecordList))
        return 0;
    if (deleteRecord == nullptr)
        return Fail(kMsgListBadList);
    for (uint16_t calls = records->count; calls > 0 && records->first != nullptr; --calls) {
        void* first = records->first;
        deleteRecord(first);
        if (records->first == first)
            break;  // the callback left the record in place
    }
    if (records->count != 0)
        return 0;
    MemMgrFree(headPool, records);
    *list = nullptr;
    return 1;
}

int LMApplyRec(const LMList* list, LMValueFn callback, uint16_t all, void* argument)
{
    if (list == nullptr || list->count == 0 || !KindIs(list, kLMRecordList))
        return 0;
    return Walk(list, all, [&](void* record) { return callback(record, argument); });
}

int LMMoveRec(LMList* from, LMList* to, void* record, LMValueInsertFn comparator,
              uint16_t backwards, void* argument)
{
    if (!Changeable(from) || !Changeable(to) || !KindIs(from, kLMRecordList) ||
        !KindIs(to, kLMRecordList))
        return 0;
    if (record == nullptr || from->count == 0 || !IsLinkedInto(from, record))
        return Fail(kMsgListBadList);
    if (from != to && !HasRoom(to, 1))
        return 0;
    void* oldPrev = PrevOf(record);
    Unlink(from, record);
    if (comparator == nullptr || to->count == 0) {
        LinkAfter(to, record, nullptr);
        return 1;
    }
    int linked = LinkWhereAsked(to, record, backwards, [&](void* at, int position) {
        return comparator(at, argument, position);
    });
    if (!linked)
        LinkAfter(from, record, oldPrev);
    return linked;
}
