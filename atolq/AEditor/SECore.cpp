// The abstract net's shared machinery: the current root, the per-kind pools,
// record ids, text ownership, list linking and the release of records with
// everything below them.
#include <unordered_map>

#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/MemPool.h"
#include "atolq/Utils/QXMem.h"
#include "atolq/Utils/SafeString.h"

namespace se {
namespace {

SERoot* currentRoot = nullptr;
MemPool* pools[kSEKindCount] = {};
MemPool* codeSegmentPool = nullptr;

std::unordered_map<uint32_t, SEHead*>& idTable()
{
    static std::unordered_map<uint32_t, SEHead*> table;
    return table;
}
uint32_t nextId = 1;

size_t recordSize(uint16_t kind)
{
    switch (kind) {
    case kSERoot: return sizeof(SERoot);
    case kSEPage: return sizeof(SEPage);
    case kSEPlace: return sizeof(SEPlace);
    case kSETrans: return sizeof(SETrans);
    case kSEArc: return sizeof(SEArc);
    case kSEPageInstance: return sizeof(SEPageInstance);
    case kSEPlaceFusSet: return sizeof(SEPlaceFusSet);
    case kSETransFusSet: return sizeof(SETransFusSet);
    case kSETransInstance: return sizeof(SETransInstance);
    case kSECompound: return sizeof(SECompound);
    case kSEDeclNode: return sizeof(SEDeclNode);
    case kSECodeEntry: return sizeof(SECodeEntry);
    case kSECheckEntry: return sizeof(SECheckEntry);
    case kSEDeclEntry: return sizeof(SEDeclEntry);
    case kSEDeclItem: return sizeof(SEDeclItem);
    case kSEBarChart: return sizeof(SEBarChart);
    case kSELineChart: return sizeof(SELineChart);
    case kSENameRef: return sizeof(SENameRef);
    default: return 0;
    }
}

// Cell sizes are rounded up to 32 bytes so that the kinds share few pools.
uint16_t cellSize(size_t size)
{
    return static_cast<uint16_t>((size + 31) / 32 * 32);
}

} // namespace

SERoot*& root()
{
    return currentRoot;
}

void createPools()
{
    // In the order root, page, transition, place, arc, page instance, place
    // fusion set, transition fusion set, transition instance, compound,
    // declaration node, code entry, code segment, check entry, declaration
    // entry, declaration item, bar chart, line chart, name reference.
    static const uint16_t order[] = {kSERoot, kSEPage, kSETrans, kSEPlace, kSEArc, kSEPageInstance,
                                     kSEPlaceFusSet, kSETransFusSet, kSETransInstance, kSECompound,
                                     kSEDeclNode, kSECodeEntry, 0xffff, kSECheckEntry, kSEDeclEntry,
                                     kSEDeclItem, kSEBarChart, kSELineChart, kSENameRef};
    for (uint16_t kind : order) {
        if (kind == 0xffff) {
            if (codeSegmentPool == nullptr)
                codeSegmentPool = MemMgrNewPool(cellSize(sizeof(SECodeSegment)));
        } else if (pools[kind] == nullptr) {
            pools[kind] = MemMgrNewPool(cellSize(recordSize(kind)));
        }
    }
}

MemPool* poolOf(uint16_t kind)
{
    if (kind >= kSEKindCount || recordSize(kind) == 0)
        return nullptr;
    if (pools[kind] == nullptr)
        createPools();
    return pools[kind];
}

MemPool* segmentPool()
{
    if (codeSegmentPool == nullptr)
        createPools();
    return codeSegmentPool;
}

void registerId(SEHead* record, uint32_t wantedId)
{
    auto& table = idTable();
    uint32_t id = wantedId;
    if (id == 0 || table.count(id) != 0) {
        while (nextId == 0 || table.count(nextId) != 0)
            ++nextId;
        id = nextId++;
    }
    record->id = id;
    table[id] = record;
}

void unregisterId(SEHead* record)
{
    auto& table = idTable();
    auto it = table.find(record->id);
    if (it != table.end() && it->second == record)
        table.erase(it);
    record->id = 0;
}

SEHead* newRecord(uint16_t kind, uint32_t wantedId)
{
    MemPool* pool = poolOf(kind);
    auto* record = static_cast<SEHead*>(MemMgrAlloc(pool));
    if (record == nullptr) {
        EE_FatalError(kSEMsgOutOfMemory);
        return nullptr;
    }
    record->kind = kind;
    registerId(record, wantedId);
    return record;
}

void freeRecord(SEHead* record)
{
    if (record == nullptr)
        return;
    unregisterId(record);
    MemMgrFree(poolOf(record->kind), record);
}

void unlinkAndFree(LMList*& list, SEHead* record)
{
    unregisterId(record);
    LMUnlinkRec(list, record, poolOf(record->kind));
}

int invalid(int16_t id)
{
    EE_ReportError(id);
    return 0;
}

// ---- texts ----
char* allocText(uint32_t size)
{
    auto* text = static_cast<char*>(QXMem_Alloc(size == 0 ? 1 : size));
    if (text == nullptr)
        EE_FatalError(kSEMsgOutOfMemory);
    return text;
}

char* copyText(const char* text)
{
    if (text == nullptr)
        return nullptr;
    size_t length = std::strlen(text);
    char* copy = allocText(static_cast<uint32_t>(length + 1));
    std::memcpy(copy, text, length + 1);
    return copy;
}

void freeText(SEText& text)
{
    if (text != nullptr)
        QXMem_Free(text);
    text = nullptr;
}

bool textsDiffer(const char* a, const char* b)
{
    return a == nullptr || b == nullptr || std::strcmp(a, b) != 0;
}

// ---- lists ----
static LMList* ensure(LMList*& list, uint16_t kind)
{
    if (list == nullptr)
        list = LMCreate(kind);
    if (list == nullptr)
        EE_FatalError(kSEMsgOutOfMemory);
    return list;
}

void pushRec(LMList*& list, SEHead* record)
{
    LMPushRec(ensure(list, kLMRecordList), record);
}

static int insertAfterLast(void*, void*, int)
{
    return 1;
}

void appendRec(LMList*& list, SEHead* record)
{
    ensure(list, kLMRecordList);
    if (list->count == 0)
        LMPushRec(list, record);
    else
        LMInsertSorted(list, record, nullptr, static_cast<LMValueInsertFn>(insertAfterLast), 1, nullptr);
}

void moveRec(LMList*& from, LMList*& to, SEHead* record)
{
    ensure(to, kLMRecordList);
    LMMoveRec(from, to, record, nullptr, 0, nullptr);
}

void prependValue(LMList*& list, void* value)
{
    LMPrepend(ensure(list, kLMValueList), value, nullptr);
}

void appendValue(LMList*& list, void* value)
{
    LMAppend(ensure(list, kLMValueList), value, nullptr);
}

void prependPair(LMList*& list, void* first, void* second)
{
    LMPrepend(ensure(list, kLMPairList), first, second);
}

void appendPair(LMList*& list, void* first, void* second)
{
    LMAppend(ensure(list, kLMPairList), first, second);
}

bool containsValue(const LMList* list, const void* value)
{
    return anyValue(list, [&](void* v) { return v == value; });
}

static int valueEquals(void* value, void* argument)
{
    return value == argument;
}

bool removeValue(LMList* list, const void* value)
{
    if (list == nullptr || list->count == 0)
        return false;
    return LMRemoveIf(list, static_cast<LMValueFn>(valueEquals), 1, const_cast<void*>(value)) != 0;
}

static int firstEquals(void* first, void*, void* argument)
{
    return first == argument;
}

static int secondEquals(void*, void* second, void* argument)
{
    return second == argument;
}

bool removePairsWith(LMList* list, const void* value, int which)
{
    if (list == nullptr || list->count == 0)
        return false;
    return LMRemoveIf(list, static_cast<LMPairFn>(which == 0 ? firstEquals : secondEquals), 1,
                      const_cast<void*>(value)) != 0;
}

void destroyList(LMList*& list)
{
    if (list != nullptr)
        LMDestroy(list);
    list = nullptr;
}

// ---- shared net operations ----
SEPage* pageOf(SEHead* node)
{
    return node != nullptr ? as<SEPage>(node->owner, kSEPage) : nullptr;
}

void clearTransMarks(SETrans* trans)
{
    trans->flags &= ~kSEInscriptionMark;
    if (trans->fusionSet != nullptr)
        trans->fusionSet->flags &= ~kSEInscriptionMark;
    SEPage* page = pageOf(&trans->head);
    if (page == nullptr || count(page->compounds) == 0)
        return;
    auto clearPlaceCompound = [](SEHead* r) {
        auto* arc = reinterpret_cast<SEArc*>(r);
        if (arc->place != nullptr && arc->place->compound != nullptr)
            arc->place->compound->flags &= ~kSEInscriptionMark;
    };
    forEachRec(trans->inputArcs, clearPlaceCompound);
    forEachRec(trans->outputArcs, clearPlaceCompound);
}

void releaseCodeSegment(SECodeSegment*& segment)
{
    if (segment == nullptr)
        return;
    for (SEText& text : segment->texts)
        freeText(text);
    forEachValue(segment->variables, [](void* value) {
        auto* variable = static_cast<SECodeVariable*>(value);
        freeText(variable->first);
        freeText(variable->second);
        QXMem_Free(variable);
    });
    destroyList(segment->variables);
    MemMgrFree(segmentPool(), segment);
    segment = nullptr;
}

void releaseArcContents(SEArc* arc)
{
    freeText(arc->expression);
    freeText(arc->text);
}

void releasePlaceContents(SEPlace* place)
{
    for (SEText* text : {&place->name, &place->colourSet, &place->initMark, &place->text1, &place->text2})
        freeText(*text);
    destroyList(place->inputArcs);
    destroyList(place->outputArcs);
    destroyList(place->thirdArcs);
}

void releaseTransContents(SETrans* trans)
{
    for (SEText* text : {&trans->name, &trans->guard, &trans->text1, &trans->text2, &trans->time,
                         &trans->code, &trans->text3, &trans->text4, &trans->mlName})
        freeText(*text);
    releaseCodeSegment(trans->codeSegment);
    releaseRecordList(trans->inputArcs);
    releaseRecordList(trans->outputArcs);
    releaseRecordList(trans->thirdArcs);
}

static void freeTextList(LMList*& list)
{
    forEachValue(list, [](void* value) {
        auto* text = static_cast<char*>(value);
        freeText(text);
    });
    destroyList(list);
}

void releaseDeclEntry(SEDeclEntry* entry)
{
    freeText(entry->name);
    for (SEText& text : entry->texts)
        freeText(text);
    freeText(entry->lastText);
    for (LMList*& list : entry->idLists)
        destroyList(list);
    for (LMList*& list : entry->textLists)
        freeTextList(list);
    for (LMList*& list : entry->items)
        releaseRecordList(list);
    forEachValue(entry->references, [](void* value) { freeRecord(static_cast<SEHead*>(value)); });
    destroyList(entry->references);
}

void releaseDeclNodeContents(SEDeclNode* node)
{
    for (SEText* text : {&node->name, &node->text, &node->textB, &node->textC, &node->textD})
        freeText(*text);
    releaseRecordList(node->entries);
}

static void freeWordArray(SEWordArray& array)
{
    if (array.words != nullptr)
        QXMem_Free(array.words);
    array = {};
}

static void freeLabelArray(SELabelArray& array)
{
    if (array.labels != nullptr) {
        for (uint32_t i = 0; i < array.outerCount * array.innerCount; ++i)
            freeText(array.labels[i].text);
        QXMem_Free(array.labels);
    }
    array = {};
}

void releaseBarChartContents(SEBarChart* chart)
{
    for (SEText* text : {&chart->title, &chart->text1, &chart->texts[0], &chart->texts[1], &chart->texts[2],
                         &chart->texts[3], &chart->text2, &chart->chartText, &chart->text3})
        freeText(*text);
    for (SEWordArray& array : chart->arrays)
        freeWordArray(array);
    for (SELabelArray& array : chart->labels)
        freeLabelArray(array);
    freeWordArray(chart->series.a);
    freeWordArray(chart->series.b);
}

void releaseLineChartContents(SELineChart* chart)
{
    freeText(chart->title);
    for (SEText& text : chart->texts1)
        freeText(text);
    for (SEText& text : chart->texts2)
        freeText(text);
    for (SEText& text : chart->texts3)
        freeText(text);
    for (SEText& text : chart->texts4)
        freeText(text);
    for (SEText* text : {&chart->text1, &chart->chartText, &chart->text2})
        freeText(*text);
    if (chart->lines != nullptr)
        QXMem_Free(chart->lines);
    chart->lines = nullptr;
    chart->lineArrayCount = 0;
    for (SEWordArray& array : chart->arrays)
        freeWordArray(array);
    freeWordArray(chart->series.a);
    freeWordArray(chart->series.b);
}

void releasePageInstance(SEPageInstance* instance)
{
    freeText(instance->text1);
    freeText(instance->text2);
    for (LMList** list : {&instance->idList1, &instance->idList2, &instance->idList3, &instance->idList4,
                          &instance->idList5, &instance->pairList})
        destroyList(*list);
    for (LMList*& list : instance->transInstances)
        releaseRecordList(list);
    for (LMList*& list : instance->timePairs) {
        forEachPair(list, [](void*, void* time) {
            if (time != nullptr)
                QXMem_Free(time);
        });
        destroyList(list);
    }
}

void releaseTableEntry(SETableEntry* entry)
{
    if (entry == nullptr)
        return;
    freeText(entry->key);
    freeText(entry->second);
    QXMem_Free(entry);
}

static void releasePageContents(SEPage* page)
{
    releaseRecordList(page->instances);
    releaseRecordList(page->placeFusionSets);
    releaseRecordList(page->transFusionSets);
    releaseRecordList(page->places);
    releaseRecordList(page->transitions);
    releaseRecordList(page->localDecls);
    releaseRecordList(page->compounds);
    destroyList(page->superSubstitutions);
    destroyList(page->superInvocations);
    freeText(page->name);
    freeText(page->text);
}

void releaseRecord(SEHead* record)
{
    switch (record->kind) {
    case kSEPage: releasePageContents(reinterpret_cast<SEPage*>(record)); break;
    case kSEPlace: releasePlaceContents(reinterpret_cast<SEPlace*>(record)); break;
    case kSETrans: releaseTransContents(reinterpret_cast<SETrans*>(record)); break;
    case kSEArc: releaseArcContents(reinterpret_cast<SEArc*>(record)); break;
    case kSEPageInstance: releasePageInstance(reinterpret_cast<SEPageInstance*>(record)); break;
    case kSEPlaceFusSet: {
        auto* set = reinterpret_cast<SEPlaceFusSet*>(record);
        destroyList(set->members);
        freeText(set->name);
        freeText(set->text);
        break;
    }
    case kSETransFusSet: {
        auto* set = reinterpret_cast<SETransFusSet*>(record);
        destroyList(set->members);
        freeText(set->name);
        freeText(set->text);
        break;
    }
    case kSETransInstance: {
        auto* instance = reinterpret_cast<SETransInstance*>(record);
        freeText(instance->text1);
        freeText(instance->text2);
        break;
    }
    case kSECompound: destroyList(reinterpret_cast<SECompound*>(record)->assignments); break;
    case kSEDeclNode: releaseDeclNodeContents(reinterpret_cast<SEDeclNode*>(record)); break;
    case kSECodeEntry: {
        auto* entry = reinterpret_cast<SECodeEntry*>(record);
        freeText(entry->text1);
        freeText(entry->text2);
        break;
    }
    case kSECheckEntry: {
        auto* entry = reinterpret_cast<SECheckEntry*>(record);
        freeText(entry->text1);
        freeText(entry->text2);
        break;
    }
    case kSEDeclEntry: releaseDeclEntry(reinterpret_cast<SEDeclEntry*>(record)); break;
    case kSEDeclItem: {
        auto* item = reinterpret_cast<SEDeclItem*>(record);
        freeText(item->name);
        for (LMList*& list : item->idLists)
            destroyList(list);
        break;
    }
    case kSEBarChart: releaseBarChartContents(reinterpret_cast<SEBarChart*>(record)); break;
    case kSELineChart: releaseLineChartContents(reinterpret_cast<SELineChart*>(record)); break;
    default: break;
    }
}

void releaseRecordList(LMList*& list)
{
    if (list == nullptr)
        return;
    while (list->first != nullptr) {
        auto* record = static_cast<SEHead*>(list->first);
        releaseRecord(record);
        unlinkAndFree(list, record);
    }
    LMDestroy(list);
    list = nullptr;
}

static void releaseTableEntryFn(void* data, void*)
{
    releaseTableEntry(static_cast<SETableEntry*>(data));
}

void releaseRootContents(SERoot* r)
{
    releaseRecordList(r->barCharts);
    releaseRecordList(r->lineCharts);
    releaseRecordList(r->globalPlaceFusionSets);
    releaseRecordList(r->globalTransFusionSets);
    releaseRecordList(r->pages);
    releaseRecordList(r->simRecords12);
    releaseRecordList(r->simRecords13);
    releaseRecordList(r->globalDecls);
    if (r->declHashTable != nullptr) {
        HashApply(r->declHashTable, releaseTableEntryFn, nullptr);
        HashDestroy(r->declHashTable);
        r->declHashTable = nullptr;
    }
    destroyList(r->valueList);
    freeTextList(r->textList);
    freeText(r->clockText);
}

} // namespace se

uint32_t SERecordId(const SEHead* record)
{
    return record != nullptr ? record->id : 0;
}

SEHead* SERecordById(uint32_t id, uint32_t kindMask)
{
    if (id == 0)
        return nullptr;
    auto& table = se::idTable();
    auto it = table.find(id);
    if (it == table.end() || (kindMask & se::kindBit(it->second->kind)) == 0)
        return nullptr;
    return it->second;
}
