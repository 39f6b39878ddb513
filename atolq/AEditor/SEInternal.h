// Helpers shared by the abstract-net modules: record allocation with ids,
// list walking and linking, text ownership and the common checks.
#pragma once

#include <cstdint>
#include <cstring>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/Utils/LMList.h"

struct MemPool;

namespace se {

inline constexpr uint32_t kindBit(uint16_t kind) { return 1u << kind; }

// ---- the current net ----
SERoot*& root();

// ---- records ----
// A zeroed record of the kind from its pool, with a fresh id (or the wanted
// id when it is free and not 0).
SEHead* newRecord(uint16_t kind, uint32_t wantedId = 0);
// Gives a record that is in no list back to its pool.
void freeRecord(SEHead* record);
// Unlinks a record from its record list and gives it back to its pool.
void unlinkAndFree(LMList*& list, SEHead* record);
MemPool* poolOf(uint16_t kind);
MemPool* segmentPool();
void createPools();
// Id registry maintenance.
void registerId(SEHead* record, uint32_t wantedId);
void unregisterId(SEHead* record);

template <class T> T* as(SEHead* record, uint16_t kind)
{
    return record != nullptr && record->kind == kind ? reinterpret_cast<T*>(record) : nullptr;
}
inline SEHead* head(void* record) { return static_cast<SEHead*>(record); }
inline bool isNode(const SEHead* r) { return r != nullptr && (r->kind == kSEPlace || r->kind == kSETrans); }
inline bool isCompoundKind(uint16_t subKind) { return subKind == kSESubstitution || subKind == kSEInvocation; }

// Reports 0x3101 (or the given id) and returns 0.
int invalid(int16_t id = kSEMsgInvalidId);

// ---- texts ----
char* copyText(const char* text);
char* allocText(uint32_t size);
void freeText(SEText& text);
bool textsDiffer(const char* a, const char* b);

// ---- lists ----
// Record lists (kind 3).
template <class F> void forEachRec(const LMList* list, F f)
{
    if (list == nullptr)
        return;
    void* cell = list->first;
    while (cell != nullptr) {
        void* next = static_cast<LMLink*>(cell)->next;
        f(static_cast<SEHead*>(cell));
        cell = next;
    }
}
template <class F> SEHead* findRec(const LMList* list, F f)
{
    if (list == nullptr)
        return nullptr;
    for (void* cell = list->first; cell != nullptr; cell = static_cast<LMLink*>(cell)->next)
        if (f(static_cast<SEHead*>(cell)))
            return static_cast<SEHead*>(cell);
    return nullptr;
}
// Value lists (kind 1).
template <class F> void forEachValue(const LMList* list, F f)
{
    if (list == nullptr)
        return;
    void* cell = list->first;
    while (cell != nullptr) {
        auto* c = static_cast<LMValueCell*>(cell);
        void* next = c->link.next;
        f(c->value);
        cell = next;
    }
}
template <class F> bool anyValue(const LMList* list, F f)
{
    if (list == nullptr)
        return false;
    for (void* cell = list->first; cell != nullptr; cell = static_cast<LMLink*>(cell)->next)
        if (f(static_cast<LMValueCell*>(cell)->value))
            return true;
    return false;
}
// Pair lists (kind 2).
template <class F> void forEachPair(const LMList* list, F f)
{
    if (list == nullptr)
        return;
    void* cell = list->first;
    while (cell != nullptr) {
        auto* c = static_cast<LMPairCell*>(cell);
        void* next = c->link.next;
        f(c->first, c->second);
        cell = next;
    }
}

void pushRec(LMList*& list, SEHead* record);
void appendRec(LMList*& list, SEHead* record);
void moveRec(LMList*& from, LMList*& to, SEHead* record);
void prependValue(LMList*& list, void* value);
void appendValue(LMList*& list, void* value);
void prependPair(LMList*& list, void* first, void* second);
void appendPair(LMList*& list, void* first, void* second);
bool containsValue(const LMList* list, const void* value);
// Removes every cell holding the value.
bool removeValue(LMList* list, const void* value);
// Removes every pair whose first (which = 0) or second (which = 1) is value.
bool removePairsWith(LMList* list, const void* value, int which);
// Destroys a value or pair list and clears the variable.
void destroyList(LMList*& list);
inline uint16_t count(const LMList* list) { return list != nullptr ? list->count : 0; }

// ---- shared net operations ----
SEPage* pageOf(SEHead* node);
// Clears the marks that a change of a transition's arcs or inscriptions invalidates.
void clearTransMarks(SETrans* trans);
// Releases a record's texts, lists and dependants (no unlinking).
void releaseTransContents(SETrans* trans);
void releasePlaceContents(SEPlace* place);
void releaseArcContents(SEArc* arc);
void releaseDeclNodeContents(SEDeclNode* node);
void releaseDeclEntry(SEDeclEntry* entry);
void releaseBarChartContents(SEBarChart* chart);
void releaseLineChartContents(SELineChart* chart);
void releasePageInstance(SEPageInstance* instance);
void releaseCodeSegment(SECodeSegment*& segment);
void releaseTableEntry(SETableEntry* entry);
// Releases a whole record list, each record with everything below it.
void releaseRecordList(LMList*& list);
// Releases one record of any kind with everything below it (not unlinked).
void releaseRecord(SEHead* record);
// Releases everything below the root (not the root cell).
void releaseRootContents(SERoot* root);
// Deletes a fusion set with no regard to members (unlinks it from its owner).
void deleteFusionSet(SEHead* set);

} // namespace se
