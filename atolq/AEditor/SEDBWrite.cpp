// Writing the net data base file: the abstract net as a sequence of XDR
// items, record by record, each record followed by its list sections, and
// the safe replacement of the file on disk.
#include <algorithm>
#include <rpc/xdr.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "atolq/AEditor/SEDBFormat.h"
#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/Utils/HashTable.h"

using namespace se;

uint32_t DeclsCompiled = 0;
uint32_t MLImageSaved = 0;

namespace {
uint32_t imageSavePending = 0;
}

namespace se::db {

namespace {
uint64_t decodeSize = 0;
}

void setDecodeSize(uint64_t size)
{
    decodeSize = size;
}

uint64_t decodeRemaining(XDR* xdrs)
{
    constexpr uint64_t kUnboundedStreamLimit = 16u << 20;
    if (decodeSize == 0)
        return kUnboundedStreamLimit;
    uint64_t position = xdr_getpos(xdrs);
    return position < decodeSize ? decodeSize - position : 0;
}

int64_t barArrayCount(const SEBarChart& chart, int index)
{
    const SEWordArray& array = chart.arrays[index];
    if (array.words == nullptr)
        return 0;
    int64_t m = static_cast<int64_t>(chart.m1) + chart.m2;
    switch (index) {
    case 0: case 1: case 2: return chart.elementCount;
    case 3: {
        // Grid lines stand inside the range on each side of the zero axis,
        // p - 1 right and n - 1 left of it, once per edge that shows ticks.
        const int64_t places = std::max<int64_t>(chart.m1 - 1, 0) + std::max<int64_t>(chart.m2 - 1, 0);
        return chart.flagF != 0 && chart.arrays[4].words != nullptr && chart.arrays[5].words != nullptr
                   ? 2 * places
                   : places;
    }
    default: return m + 1;
    }
}

int64_t lineArrayCount(const SELineChart& chart, int index)
{
    if (chart.arrays[index].words == nullptr)
        return 0;
    int64_t x = static_cast<int64_t>(chart.x1) + chart.x2;
    int64_t y = static_cast<int64_t>(chart.y1) + chart.y2;
    switch (index) {
    case 0: return x;
    case 1: return y;
    case 2: return x + 1;
    default: return y + 1;
    }
}

} // namespace se::db

int SEXdrString(XDR* xdrs, char** text)
{
    if (xdrs->x_op == XDR_ENCODE) {
        size_t size = *text != nullptr ? std::strlen(*text) + 1 : 0;
        if (size > 0x7fffffffu)
            return 0;
        int32_t length = static_cast<int32_t>(size);
        if (!xdr_int32_t(xdrs, &length))
            return 0;
        if (length == 0)
            return 1;
        u_int count = static_cast<u_int>(length);
        return xdr_bytes(xdrs, text, &count, count);
    }
    if (xdrs->x_op == XDR_DECODE) {
        int32_t length = 0;
        if (!xdr_int32_t(xdrs, &length) || length < 0)
            return 0;
        if (length == 0)
            return 1;
        // The bytes must still be there before any memory is taken for them.
        if (static_cast<uint64_t>(length) + 4 > db::decodeRemaining(xdrs))
            return 0;
        bool allocated = *text == nullptr;
        if (allocated)
            *text = allocText(static_cast<uint32_t>(length));
        u_int count = 0;
        if (!xdr_bytes(xdrs, text, &count, static_cast<u_int>(length)) || count != static_cast<u_int>(length)) {
            if (allocated)
                freeText(*text);
            return 0;
        }
        (*text)[length - 1] = '\0';
        return 1;
    }
    return 1;
}

namespace {

// Writes items while every earlier one was written.
class Writer {
public:
    explicit Writer(XDR* xdrs) : x(xdrs) {}
    bool ok = true;

    void u32(uint32_t value)
    {
        if (ok)
            ok = xdr_u_int32_t(x, &value) != 0;
    }
    void i32(int32_t value)
    {
        if (ok)
            ok = xdr_int32_t(x, &value) != 0;
    }
    void u16(uint16_t value) { u32(value); }
    void s16(int16_t value) { i32(value); }
    void boolean(uint32_t value) { u32(value != 0 ? 1 : 0); }
    void str(const char* text)
    {
        if (ok) {
            char* t = const_cast<char*>(text);
            ok = SEXdrString(x, &t) != 0;
        }
    }
    void id(const SEHead* record) { u32(SERecordId(record)); }
    // A list reference means nothing in the file; 1 marks a list with cells.
    void listRef(const LMList* list) { u32(count(list) != 0 ? 1 : 0); }
    void reserved(const uint32_t* words, int n)
    {
        for (int i = 0; i < n; ++i)
            u32(words[i]);
    }
    void head(const SEHead* h)
    {
        u32(SERecordId(h));
        u32(SERecordId(h->prev));
        u32(SERecordId(h->next));
        u16(h->kind);
        u16(h->subKind);
        id(h->owner);
    }

    void idList(const LMList* list)
    {
        u16(count(list));
        forEachValue(list, [&](void* v) { id(static_cast<SEHead*>(v)); });
    }
    void pairIdList(const LMList* list)
    {
        u16(count(list));
        forEachPair(list, [&](void* a, void* b) {
            id(static_cast<SEHead*>(a));
            id(static_cast<SEHead*>(b));
        });
    }
    void textList(const LMList* list)
    {
        u16(count(list));
        forEachValue(list, [&](void* v) { str(static_cast<const char*>(v)); });
    }
    template <class F> void recordList(const LMList* list, F writeRecord)
    {
        u16(count(list));
        forEachRec(list, [&](SEHead* h) {
            if (ok)
                writeRecord(h);
        });
    }
    void wordArray(const SEWordArray& array, int64_t n)
    {
        if (n < 0 || n > array.count || (n > 0 && array.words == nullptr)) {
            ok = false; // counts and array disagree: write nothing wrong
            return;
        }
        i32(static_cast<int32_t>(n));
        for (int64_t i = 0; i < n; ++i)
            u32(array.words[i]);
    }
    void longArray(const int32_t (&values)[10])
    {
        i32(10);
        for (int32_t v : values)
            i32(v);
    }

    XDR* x;
};

void writeArc(Writer& w, SEHead* h)
{
    auto* arc = reinterpret_cast<SEArc*>(h);
    w.head(h);
    w.id(&arc->place->head);
    w.str(arc->expression);
    w.u32(arc->kvObject);
    w.id(arc->link);
    w.i32(arc->longWord);
    w.u32(arc->flags);
    w.u16(arc->half);
    w.str(arc->text);
    w.reserved(arc->reserved, 4);
}

void writePlace(Writer& w, SEHead* h)
{
    auto* place = reinterpret_cast<SEPlace*>(h);
    w.head(h);
    w.u32(place->flags);
    w.id(reinterpret_cast<SEHead*>(place->fusionSet));
    w.listRef(place->inputArcs);
    w.listRef(place->outputArcs);
    w.listRef(place->thirdArcs);
    w.id(reinterpret_cast<SEHead*>(place->compound));
    w.u32(place->kvObject);
    w.str(place->name);
    w.str(place->colourSet);
    w.str(place->initMark);
    w.str(place->text1);
    w.i32(place->word);
    w.str(place->text2);
    w.reserved(place->reserved, 4);
    w.idList(place->inputArcs);
    w.idList(place->outputArcs);
    w.idList(place->thirdArcs);
}

void writeTrans(Writer& w, SEHead* h)
{
    auto* trans = reinterpret_cast<SETrans*>(h);
    const LMList* variables = trans->codeSegment != nullptr ? trans->codeSegment->variables : nullptr;
    w.head(h);
    w.u32(trans->flags);
    w.id(reinterpret_cast<SEHead*>(trans->fusionSet));
    w.listRef(trans->inputArcs);
    w.listRef(trans->outputArcs);
    w.listRef(trans->thirdArcs);
    w.u32(trans->word);
    w.id(reinterpret_cast<SEHead*>(trans->compound));
    w.u32(trans->kvObject);
    for (const char* text : {trans->name, trans->guard, trans->text1, trans->text2, trans->time, trans->code,
                             trans->text3, trans->text4})
        w.str(text);
    w.i32(trans->longWord);
    w.boolean(trans->bool1);
    w.boolean(trans->bool2);
    w.listRef(variables);
    w.str(trans->mlName);
    w.reserved(trans->reserved, 4);
    for (const LMList* arcs : {trans->inputArcs, trans->outputArcs, trans->thirdArcs})
        w.recordList(arcs, [&](SEHead* a) { writeArc(w, a); });
    w.u16(count(variables));
    forEachValue(variables, [&](void* v) {
        auto* variable = static_cast<SECodeVariable*>(v);
        w.str(variable->first);
        w.str(variable->second);
        w.u32(static_cast<uint32_t>(variable->number));
    });
}

void writeFusionSet(Writer& w, SEHead* h)
{
    w.head(h);
    if (h->kind == kSEPlaceFusSet) {
        auto* set = reinterpret_cast<SEPlaceFusSet*>(h);
        w.listRef(set->members);
        w.u32(set->flags);
        w.u32(set->word1);
        w.str(set->name);
        w.u32(set->word2);
        w.i32(set->longWord);
        w.str(set->text);
        w.reserved(set->reserved, 4);
        w.idList(set->members);
    } else {
        auto* set = reinterpret_cast<SETransFusSet*>(h);
        w.u32(set->flags);
        w.listRef(set->members);
        w.u32(set->word1);
        w.str(set->name);
        w.i32(set->longWord);
        w.str(set->text);
        w.reserved(set->reserved, 4);
        w.idList(set->members);
    }
}

void writeCompound(Writer& w, SEHead* h)
{
    auto* compound = reinterpret_cast<SECompound*>(h);
    w.head(h);
    w.id(compound->node);
    w.listRef(compound->assignments);
    w.id(reinterpret_cast<SEHead*>(compound->subpage));
    w.u32(compound->modeFlags);
    w.u32(compound->flags);
    w.i32(compound->longWord);
    w.reserved(compound->reserved, 5);
    w.pairIdList(compound->assignments);
}

void writeDeclItem(Writer& w, SEHead* h)
{
    auto* item = reinterpret_cast<SEDeclItem*>(h);
    w.head(h);
    w.u32(item->flags);
    w.str(item->name);
    w.listRef(item->idLists[0]);
    w.listRef(item->idLists[1]);
    w.reserved(item->reserved, 4);
    w.idList(item->idLists[0]);
    w.idList(item->idLists[1]);
}

void writeDeclEntry(Writer& w, SEHead* h)
{
    auto* entry = reinterpret_cast<SEDeclEntry*>(h);
    w.head(h);
    w.u32(entry->flags);
    w.u32(entry->kvObject);
    w.str(entry->name);
    w.u32(entry->wordAfterKv);
    w.boolean(entry->boolWord);
    for (const char* text : entry->texts)
        w.str(text);
    w.listRef(entry->textLists[0]);
    w.listRef(entry->textLists[1]);
    w.listRef(entry->idLists[0]);
    w.listRef(entry->idLists[1]);
    for (const LMList* items : entry->items)
        w.listRef(items);
    w.str(entry->lastText);
    w.reserved(entry->reserved, 4);
    w.textList(entry->textLists[0]);
    w.textList(entry->textLists[1]);
    w.idList(entry->idLists[0]);
    w.idList(entry->idLists[1]);
    for (const LMList* items : entry->items)
        w.recordList(items, [&](SEHead* i) { writeDeclItem(w, i); });
}

void writeDeclNode(Writer& w, SEHead* h)
{
    auto* node = reinterpret_cast<SEDeclNode*>(h);
    w.head(h);
    w.u32(node->kvObject);
    w.str(node->name);
    w.u32(node->flags);
    w.str(node->text);
    w.str(node->textB);
    w.str(node->textC);
    w.i32(node->longWord);
    w.str(node->textD);
    w.listRef(node->entries);
    w.reserved(node->reserved, 4);
    w.recordList(node->entries, [&](SEHead* e) { writeDeclEntry(w, e); });
}

void writeTransInstance(Writer& w, SEHead* h)
{
    auto* instance = reinterpret_cast<SETransInstance*>(h);
    w.head(h);
    w.id(instance->trans);
    w.str(instance->text1);
    w.u32(instance->word);
    w.str(instance->text2);
    w.i32(instance->longWord);
    w.reserved(instance->reserved, 3);
}

void writeTimePairs(Writer& w, const LMList* list)
{
    w.u16(count(list));
    forEachPair(list, [&](void* record, void* time) {
        int32_t first = 0;
        if (time != nullptr)
            std::memcpy(&first, time, sizeof first);
        char text[256];
        std::snprintf(text, sizeof text, db::kClockFormat, static_cast<long>(first));
        w.id(static_cast<SEHead*>(record));
        w.str(text);
    });
}

void writePageInstance(Writer& w, SEHead* h)
{
    auto* instance = reinterpret_cast<SEPageInstance*>(h);
    w.head(h);
    w.id(instance->ref1);
    w.listRef(instance->idList1);
    w.id(instance->ref2);
    w.str(instance->text1);
    w.u32(instance->word1);
    w.i32(instance->long1);
    w.listRef(instance->pairList);
    w.i32(instance->long2);
    w.listRef(instance->idList2);
    w.u32(instance->word2);
    w.listRef(instance->idList3);
    w.listRef(instance->transInstances[0]);
    w.listRef(instance->transInstances[1]);
    w.listRef(instance->idList4);
    w.str(instance->text2);
    w.listRef(instance->idList5);
    w.listRef(instance->timePairs[0]);
    w.listRef(instance->timePairs[1]);
    w.u32(instance->reserved);
    w.idList(instance->idList1);
    w.pairIdList(instance->pairList);
    w.idList(instance->idList2);
    w.idList(instance->idList3);
    for (const LMList* list : instance->transInstances)
        w.recordList(list, [&](SEHead* t) { writeTransInstance(w, t); });
    w.idList(instance->idList4);
    w.idList(instance->idList5);
    writeTimePairs(w, instance->timePairs[0]);
    writeTimePairs(w, instance->timePairs[1]);
}

void writePage(Writer& w, SEHead* h)
{
    auto* page = reinterpret_cast<SEPage*>(h);
    w.head(h);
    w.u32(page->flags);
    for (const LMList* list : {page->placeFusionSets, page->transFusionSets, page->transitions, page->places,
                               page->compounds, page->superSubstitutions, page->superInvocations})
        w.listRef(list);
    w.u32(page->kvObject);
    w.str(page->name);
    w.listRef(page->localDecls);
    w.listRef(page->instances);
    w.u32(page->cgWord1);
    w.u16(page->cgHalf);
    w.u32(page->modeFlags);
    w.u32(page->cgWord2);
    w.i32(page->cgLong);
    w.u16(page->pageNumber);
    w.u16(page->primeCount);
    w.str(page->text);
    w.u16(page->lastHalf);
    w.reserved(page->reserved, 4);
    w.recordList(page->instances, [&](SEHead* r) { writePageInstance(w, r); });
    w.recordList(page->placeFusionSets, [&](SEHead* r) { writeFusionSet(w, r); });
    w.recordList(page->transFusionSets, [&](SEHead* r) { writeFusionSet(w, r); });
    w.recordList(page->places, [&](SEHead* r) { writePlace(w, r); });
    w.recordList(page->transitions, [&](SEHead* r) { writeTrans(w, r); });
    w.recordList(page->compounds, [&](SEHead* r) { writeCompound(w, r); });
    w.idList(page->superSubstitutions);
    w.idList(page->superInvocations);
    w.recordList(page->localDecls, [&](SEHead* r) { writeDeclNode(w, r); });
}

void writeSeries(Writer& w, const SESeries& series)
{
    w.u32(series.object);
    w.wordArray(series.a, series.a.words != nullptr ? series.count : 0);
    w.wordArray(series.b, series.b.words != nullptr ? series.count : 0);
    w.i32(series.count);
}

void writeLabelArray(Writer& w, const SELabelArray& labels, int32_t outer, int32_t inner)
{
    if (labels.labels == nullptr) {
        w.i32(0);
        return;
    }
    if (outer < 0 || inner < 0 || static_cast<uint32_t>(outer) != labels.outerCount ||
        static_cast<uint32_t>(inner) != labels.innerCount) {
        w.ok = false;
        return;
    }
    w.i32(outer);
    for (int32_t i = 0; i < outer; ++i) {
        w.i32(inner);
        for (int32_t j = 0; j < inner; ++j) {
            const SELabel& label = labels.labels[static_cast<size_t>(i) * inner + j];
            w.u32(label.object);
            w.str(label.text);
        }
    }
}

void writeBarChart(Writer& w, SEHead* h)
{
    auto* chart = reinterpret_cast<SEBarChart*>(h);
    w.head(h);
    w.u32(chart->flags);
    w.u32(chart->kvObject);
    w.str(chart->title);
    w.u32(chart->pageObject);
    w.i32(chart->innerCount);
    w.i32(chart->elementCount);
    w.i32(chart->long1);
    for (int i = 0; i < 6; ++i)
        w.wordArray(chart->arrays[i], db::barArrayCount(*chart, i));
    for (const SELabelArray& labels : chart->labels)
        writeLabelArray(w, labels, chart->elementCount, chart->innerCount);
    w.u32(chart->object1);
    w.i32(chart->m1);
    w.i32(chart->m2);
    w.i32(chart->long2);
    w.str(chart->text1);
    w.i32(chart->long3);
    for (const char* text : chart->texts)
        w.str(text);
    w.boolean(chart->flagF);
    w.boolean(chart->bool1);
    w.u32(chart->object2);
    writeSeries(w, chart->series);
    w.u32(chart->object3);
    w.i32(chart->long4);
    w.longArray(chart->longs);
    for (uint32_t b : chart->bools)
        w.boolean(b);
    w.str(chart->text2);
    w.i32(chart->long5);
    w.boolean(chart->bool2);
    w.str(chart->chartText);
    w.i32(chart->long6);
    w.str(chart->text3);
    w.reserved(chart->reserved, 4);
}

void writeLineChart(Writer& w, SEHead* h)
{
    auto* chart = reinterpret_cast<SELineChart*>(h);
    w.head(h);
    w.u32(chart->flags);
    w.u32(chart->kvObject);
    w.str(chart->title);
    int32_t lines = chart->lines != nullptr ? chart->lineCount : 0;
    if (lines < 0 || static_cast<uint32_t>(lines) > chart->lineArrayCount)
        w.ok = false;
    w.i32(lines);
    for (int32_t i = 0; i < lines && w.ok; ++i) {
        const SELineSpec& line = chart->lines[i];
        w.u32(line.word);
        w.u32(line.objectA);
        w.u32(line.objectB);
        w.boolean(line.flag);
        for (int16_t s : line.shorts)
            w.s16(s);
    }
    w.u32(chart->pageObject);
    w.i32(chart->lineCount);
    w.i32(chart->long1);
    w.u32(chart->objects1[0]);
    w.u32(chart->objects1[1]);
    w.boolean(chart->bool1);
    w.i32(chart->longs1[0]);
    w.i32(chart->longs1[1]);
    for (int i = 0; i < 4; ++i)
        w.wordArray(chart->arrays[i], db::lineArrayCount(*chart, i));
    w.i32(chart->longs2[0]);
    w.i32(chart->longs2[1]);
    for (const char* text : chart->texts1)
        w.str(text);
    for (int32_t v : {chart->x1, chart->x2, chart->y1, chart->y2})
        w.i32(v);
    for (const char* text : chart->texts2)
        w.str(text);
    for (const char* text : chart->texts3)
        w.str(text);
    for (const char* text : chart->texts4)
        w.str(text);
    for (uint32_t object : chart->objects2)
        w.u32(object);
    writeSeries(w, chart->series);
    for (uint32_t b : chart->bools1)
        w.boolean(b);
    w.u32(chart->object3);
    for (uint32_t b : chart->bools2)
        w.boolean(b);
    w.longArray(chart->longs);
    for (uint32_t b : chart->bools3)
        w.boolean(b);
    w.str(chart->text1);
    w.i32(chart->long2);
    w.boolean(chart->bool2);
    w.str(chart->chartText);
    w.i32(chart->long3);
    w.str(chart->text2);
    w.reserved(chart->reserved, 4);
}

void writeCodeEntry(Writer& w, SEHead* h)
{
    auto* entry = reinterpret_cast<SECodeEntry*>(h);
    w.head(h);
    w.str(entry->text1);
    w.i32(entry->number);
    w.str(entry->text2);
    w.reserved(entry->reserved, 4);
}

void writeCheckEntry(Writer& w, SEHead* h)
{
    auto* entry = reinterpret_cast<SECheckEntry*>(h);
    w.head(h);
    w.str(entry->text1);
    w.i32(entry->number);
    w.str(entry->text2);
    w.u16(entry->half1);
    w.u16(entry->half2);
    w.reserved(entry->reserved, 4);
}

void writeRoot(Writer& w, SERoot* r)
{
    w.head(&r->head);
    w.listRef(r->pages);
    w.u32(r->flags);
    w.listRef(r->globalPlaceFusionSets);
    w.listRef(r->globalTransFusionSets);
    w.boolean(r->bool1);
    w.boolean(r->bool2);
    w.listRef(r->simRecords13);
    w.listRef(r->globalDecls);
    w.boolean(r->bool3);
    w.boolean(r->bool4);
    w.listRef(r->simRecords12);
    w.u32(HashCount(r->declHashTable) != 0 ? 1 : 0);
    w.u16(r->cg1);
    w.u16(r->cg2);
    w.u32(r->cg3);
    for (uint16_t v : r->cg4)
        w.u16(v);
    w.listRef(r->valueList);
    w.i32(r->cg5);
    w.u16(r->cg6);
    w.boolean(r->noTemporaryDecl);
    w.u32(r->simOptionWord);
    w.listRef(r->barCharts);
    w.listRef(r->lineCharts);
    w.u16(r->barChartCounter);
    w.u16(r->lineChartCounter);
    w.listRef(r->textList);
    w.str(r->clockText);
    w.u32(r->reserved);
}

void writeTableEntry(void* data, void* argument)
{
    auto& w = *static_cast<Writer*>(argument);
    auto* entry = static_cast<SETableEntry*>(data);
    w.str(entry->key);
    w.str(entry->second);
    w.boolean(entry->flag);
}

void writeFile(Writer& w, SERoot* r)
{
    w.str(db::kVersion);
    writeRoot(w, r);
    w.recordList(r->globalPlaceFusionSets, [&](SEHead* h) { writeFusionSet(w, h); });
    w.recordList(r->globalTransFusionSets, [&](SEHead* h) { writeFusionSet(w, h); });
    w.recordList(r->pages, [&](SEHead* h) { writePage(w, h); });
    w.recordList(r->barCharts, [&](SEHead* h) { writeBarChart(w, h); });
    w.recordList(r->lineCharts, [&](SEHead* h) { writeLineChart(w, h); });
    w.recordList(r->simRecords12, [&](SEHead* h) { writeCodeEntry(w, h); });
    w.recordList(r->globalDecls, [&](SEHead* h) { writeDeclNode(w, h); });
    w.recordList(r->simRecords13, [&](SEHead* h) { writeCheckEntry(w, h); });
    w.u16(count(r->valueList));
    forEachValue(r->valueList, [&](void* v) { w.u32(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(v))); });
    w.textList(r->textList);
    uint32_t entries = HashCount(r->declHashTable);
    if (entries > 0xffff)
        w.ok = false;
    w.u16(static_cast<uint16_t>(entries));
    if (w.ok && entries != 0)
        HashApply(r->declHashTable, writeTableEntry, &w);
    w.boolean(DeclsCompiled);
    w.boolean(MLImageSaved);
}

} // namespace

int SESaveDB(FILE* stream)
{
    if (stream == nullptr || root() == nullptr) {
        EE_ReportError(kSEMsgSaveFailed);
        return 0;
    }
    XDR xdrs;
    xdrstdio_create(&xdrs, stream, XDR_ENCODE);
    Writer w(&xdrs);
    writeFile(w, root());
    return w.ok ? 1 : 0;
}

void SEPrepareImageSave(const char* imageName)
{
    imageSavePending = 0;
    if (imageName != nullptr && SMLIsConnected()) {
        imageSavePending = DeclsCompiled;
        MLImageSaved = DeclsCompiled;
    }
}

int SESaveMLImage(const char* imageName, uint32_t* done)
{
    if (imageSavePending == 0 || imageName == nullptr || done == nullptr)
        return 0;
    const SECheckServices& services = SEGetCheckServices();
    if (services.saveImage == nullptr || services.saveImage(imageName) < 0) {
        GE_MessageBox(kSEMsgImageSaveFailed);
        MLImageSaved = 0;
        *done = 0;
        return 0;
    }
    imageSavePending = 0;
    MLImageSaved = 1;
    *done = 1;
    return 1;
}

namespace {

// Writes the net into a new temporary file beside path; its name, or empty.
std::string writeTemporary(const std::string& path, mode_t mode)
{
    std::string temporary = path + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0)
        return {};
    bool ok = fchmod(fd, mode) == 0;
    FILE* stream = fdopen(fd, "wb");
    if (stream == nullptr) {
        close(fd);
        unlink(temporary.c_str());
        return {};
    }
    ok = SESaveDB(stream) != 0 && ok;
    ok = std::fflush(stream) == 0 && ok;
    ok = fsync(fileno(stream)) == 0 && ok;
    ok = std::fclose(stream) == 0 && ok;
    if (!ok) {
        unlink(temporary.c_str());
        return {};
    }
    return temporary;
}

} // namespace

int SESaveDBFile(const char* path)
{
    if (path == nullptr || root() == nullptr) {
        EE_ReportError(kSEMsgSaveFailed);
        return 0;
    }
    const std::string target = path;
    const std::string backup = target + "~";
    struct stat old {};
    bool hadFile = stat(path, &old) == 0;
    mode_t mask = umask(0);
    umask(mask);
    mode_t mode = hadFile ? (old.st_mode & 07777) : (0666 & ~mask);

    std::string temporary = writeTemporary(target, mode);
    if (temporary.empty()) {
        EE_ReportError(kSEMsgSaveFailed);
        return 0;
    }
    // The previous file is kept by a second link until the new one is in place.
    std::string keep = backup + ".XXXXXX";
    bool kept = false;
    if (hadFile) {
        int fd = mkstemp(keep.data());
        if (fd >= 0) {
            close(fd);
            unlink(keep.c_str());
            kept = link(path, keep.c_str()) == 0;
        }
        if (!kept) {
            unlink(temporary.c_str());
            EE_ReportError(kSEMsgSaveFailed);
            return 0;
        }
    }
    if (std::rename(temporary.c_str(), path) != 0) {
        unlink(temporary.c_str());
        if (kept)
            unlink(keep.c_str());
        EE_ReportError(kSEMsgSaveFailed);
        return 0;
    }
    if (kept && std::rename(keep.c_str(), backup.c_str()) != 0)
        unlink(keep.c_str());
    return 1;
}
