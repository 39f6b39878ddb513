// Reading the old raw form of the net data base file (versions before
// "1.4"): numbers in the reading machine's byte order, texts as a 2-byte
// length and the bytes, and each record as an image of the record's 32-bit
// layout followed by its texts and lists.
//
// Only numbers and record ids are taken from an image; the texts and lists
// that follow replace its pointer fields. Texts that the old form keeps in
// numeric or reserved words are read and dropped: a 64-bit program cannot
// keep a text in a 32-bit word, and the XDR form writes those words as
// numbers anyway.
#include <cstring>

#include "atolq/AEditor/SEDBRead.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/MemPool.h"
#include "atolq/Utils/QXMem.h"

namespace se::db {
namespace {

constexpr uint32_t kNodeKinds = (1u << kSEPlace) | (1u << kSETrans);

// Sizes of the records in the 32-bit layout of the old files.
uint16_t imageSize(uint16_t kind)
{
    switch (kind) {
    case kSERoot: return 624;
    case kSEPage: return 112;
    case kSEPlace: return 84;
    case kSETrans: return 116;
    case kSEArc: return 64;
    case kSEPlaceFusSet: return 60;
    case kSETransFusSet: return 56;
    case kSECompound: return 60;
    case kSEDeclNode: return 76;
    case kSECodeEntry: return 44;
    case kSECheckEntry: return 48;
    default: return 0;
    }
}

class OldReader {
public:
    OldReader(Loader& loader, const std::vector<char>& data) : l(loader), bytes(data) {}

    SERoot* read();

private:
    Loader& l;
    const std::vector<char>& bytes;
    size_t at = 4; // after the version text
    bool& ok = l.ok;
    // The image of the record being read, zero beyond its size.
    std::vector<uint8_t> image;

    // Bytes left after the read position; a file shorter than its version
    // text leaves none.
    size_t left() const { return at < bytes.size() ? bytes.size() - at : 0; }

    bool take(void* out, size_t n)
    {
        if (!ok || n > left()) {
            ok = false;
            std::memset(out, 0, n);
            return false;
        }
        std::memcpy(out, bytes.data() + at, n);
        at += n;
        return true;
    }
    uint32_t u32()
    {
        uint32_t v = 0;
        take(&v, sizeof v);
        return v;
    }
    uint16_t u16()
    {
        uint16_t v = 0;
        take(&v, sizeof v);
        return v;
    }
    char* text()
    {
        uint16_t length = u16();
        if (!ok || length == 0)
            return nullptr;
        if (length > left()) {
            ok = false;
            return nullptr;
        }
        char* t = allocText(static_cast<uint32_t>(length) + 1);
        take(t, length);
        t[length] = '\0';
        return t;
    }
    void dropTexts(int n)
    {
        for (int i = 0; i < n; ++i) {
            char* t = text();
            freeText(t);
        }
    }
    uint32_t word(size_t offset) const
    {
        uint32_t v;
        std::memcpy(&v, image.data() + offset, sizeof v);
        return v;
    }
    uint16_t half(size_t offset) const
    {
        uint16_t v;
        std::memcpy(&v, image.data() + offset, sizeof v);
        return v;
    }
    std::vector<uint32_t> ids(bool pairs = false)
    {
        uint16_t n = u16();
        std::vector<uint32_t> values;
        size_t words = pairs ? 2u * n : n;
        if (!ok || words * 4 > left()) {
            ok = false;
            return values;
        }
        for (size_t i = 0; i < words; ++i)
            values.push_back(u32());
        return values;
    }

    // Reads a record's id and image and makes the record in the list.
    SEHead* begin(uint16_t kind, LMList*& list, SEHead* owner)
    {
        uint32_t id = u32();
        uint16_t size = u16();
        uint16_t limit = imageSize(kind);
        if (!ok || id == 0 || size > limit || l.ids.count(id) != 0) {
            ok = false;
            return nullptr;
        }
        image.assign(limit, 0);
        take(image.data(), size);
        if (!ok)
            return nullptr;
        SEHead* record = newRecord(kind, id);
        record->subKind = half(10);
        record->owner = owner;
        l.ids[id] = record;
        appendRec(list, record);
        return record;
    }
    template <class F> void section(F readOne)
    {
        uint16_t n = u16();
        for (uint16_t i = 0; i < n && ok; ++i)
            readOne();
    }
    bool atMost(const char* version) const { return GE_CompareVersions(l.version, version) <= 0; }

    void arc(SETrans* trans, LMList*& list);
    void place(SEPage* page);
    void transition(SEPage* page);
    void placeSet(LMList*& list, SEHead* owner);
    void transSet(LMList*& list, SEHead* owner);
    void compound(SEPage* page);
    void declNode(LMList*& list, SEHead* owner, uint16_t expected);
    void page(SERoot* r);
    void codeEntry(SERoot* r);
    void checkEntry(SERoot* r);
    void tableEntry(SERoot* r);
};

void OldReader::arc(SETrans* trans, LMList*& list)
{
    auto* a = reinterpret_cast<SEArc*>(begin(kSEArc, list, &trans->head));
    if (a == nullptr)
        return;
    if (a->head.subKind != kSEPlaceToTrans && a->head.subKind != kSETransToPlace)
        ok = false;
    l.refField(reinterpret_cast<SEHead**>(&a->place), word(16), 1u << kSEPlace, RefRule::Required);
    a->kvObject = word(24);
    l.refField(&a->link, word(28), 0xffffffffu, RefRule::ZeroIfUnknown);
    a->longWord = static_cast<int32_t>(word(32));
    a->flags = word(36);
    a->half = half(40);
    dropTexts(1);
    a->expression = text();
    a->text = text();
    dropTexts(4);
}

void OldReader::place(SEPage* page)
{
    auto* p = reinterpret_cast<SEPlace*>(begin(kSEPlace, page->places, &page->head));
    if (p == nullptr)
        return;
    if (p->head.subKind < kSEPortInput || p->head.subKind > kSESubstitution)
        ok = false;
    p->flags = word(16);
    l.refField(reinterpret_cast<SEHead**>(&p->fusionSet), word(20), 1u << kSEPlaceFusSet, RefRule::Required);
    l.refField(reinterpret_cast<SEHead**>(&p->compound), word(36), 1u << kSECompound, RefRule::Required);
    p->kvObject = word(40);
    p->word = static_cast<int32_t>(word(60));
    p->name = text();
    p->initMark = text();
    p->colourSet = text();
    l.idList(&p->inputArcs, ids(), 1u << kSEArc);
    l.idList(&p->outputArcs, ids(), 1u << kSEArc);
    l.idList(&p->thirdArcs, ids(), 1u << kSEArc);
    p->text1 = text();
    p->text2 = text();
    dropTexts(4);
}

void OldReader::transition(SEPage* page)
{
    auto* t = reinterpret_cast<SETrans*>(begin(kSETrans, page->transitions, &page->head));
    if (t == nullptr)
        return;
    if (t->head.subKind < kSEPortInput || t->head.subKind > kSEInvocation)
        ok = false;
    t->flags = word(16);
    l.refField(reinterpret_cast<SEHead**>(&t->fusionSet), word(20), 1u << kSETransFusSet, RefRule::Required);
    t->word = word(36);
    l.refField(reinterpret_cast<SEHead**>(&t->compound), word(40), 1u << kSECompound, RefRule::Required);
    t->kvObject = word(44);
    t->longWord = static_cast<int32_t>(word(80));
    t->bool1 = word(84);
    t->bool2 = word(88);
    t->name = text();
    t->guard = text();
    t->text1 = text();
    t->text2 = text();
    t->time = text();
    t->text4 = text();
    if (std::strcmp(l.version, "1.0") == 0) { // there the code stood in the last text field
        t->code = t->text4;
        t->text4 = nullptr;
    }
    for (LMList** arcs : {&t->inputArcs, &t->outputArcs, &t->thirdArcs})
        section([&] { arc(t, *arcs); });
    t->text3 = text();
    if (char* code = text()) {
        freeText(t->code);
        t->code = code;
    }
    uint16_t n = u16();
    if (ok && n != 0) {
        t->codeSegment = static_cast<SECodeSegment*>(MemMgrAlloc(segmentPool()));
        for (uint16_t i = 0; i < n && ok; ++i) {
            auto* variable = static_cast<SECodeVariable*>(QXMem_Alloc(sizeof(SECodeVariable)));
            if (variable == nullptr)
                EE_FatalError(kSEMsgOutOfMemory);
            variable->first = text();
            variable->second = text();
            variable->number = static_cast<int32_t>(u32());
            appendValue(t->codeSegment->variables, variable);
        }
    }
    dropTexts(1);
    t->mlName = text();
    dropTexts(4);
}

void OldReader::placeSet(LMList*& list, SEHead* owner)
{
    auto* s = reinterpret_cast<SEPlaceFusSet*>(begin(kSEPlaceFusSet, list, owner));
    if (s == nullptr)
        return;
    if (s->head.subKind < kSEFusGlobal || s->head.subKind > kSEFusInstance)
        ok = false;
    s->flags = word(20);
    s->word1 = word(24);
    s->longWord = static_cast<int32_t>(word(36));
    s->name = text();
    l.idList(&s->members, ids(), 1u << kSEPlace);
    dropTexts(1);
    s->text = text();
    dropTexts(4);
}

void OldReader::transSet(LMList*& list, SEHead* owner)
{
    auto* s = reinterpret_cast<SETransFusSet*>(begin(kSETransFusSet, list, owner));
    if (s == nullptr)
        return;
    if (s->head.subKind < kSEFusGlobal || s->head.subKind > kSEFusInstance)
        ok = false;
    s->flags = word(16);
    s->word1 = word(24);
    s->longWord = static_cast<int32_t>(word(32));
    s->name = text();
    l.idList(&s->members, ids(), 1u << kSETrans);
    s->text = text();
    dropTexts(4);
}

void OldReader::compound(SEPage* page)
{
    auto* c = reinterpret_cast<SECompound*>(begin(kSECompound, page->compounds, &page->head));
    if (c == nullptr)
        return;
    if (!isCompoundKind(c->head.subKind))
        ok = false;
    l.refField(&c->node, word(16), kNodeKinds, RefRule::Required);
    l.refField(reinterpret_cast<SEHead**>(&c->subpage), word(24), 1u << kSEPage, RefRule::Required);
    c->modeFlags = word(28);
    c->flags = word(32);
    c->longWord = static_cast<int32_t>(word(36));
    l.pairList(&c->assignments, ids(true), kNodeKinds);
    dropTexts(5);
}

void OldReader::declNode(LMList*& list, SEHead* owner, uint16_t expected)
{
    auto* d = reinterpret_cast<SEDeclNode*>(begin(kSEDeclNode, list, owner));
    if (d == nullptr)
        return;
    if (expected == kSEDeclLocal ? d->head.subKind != kSEDeclLocal
                                 : d->head.subKind != kSEDeclGlobal && d->head.subKind != kSEDeclTemporary)
        ok = false;
    d->kvObject = word(16);
    d->flags = word(24);
    d->longWord = static_cast<int32_t>(word(40));
    d->wordBeforeNumber = word(48);
    d->number = word(52);
    if (std::strcmp(l.version, "1.0") == 0) {
        uint16_t skip = u16();
        if (skip > left())
            ok = false;
        else
            at += skip;
    } else {
        d->name = text();
    }
    d->text = text();
    d->textB = text();
    d->textC = text();
    d->textD = text();
    dropTexts(4);
}

void OldReader::page(SERoot* r)
{
    auto* p = reinterpret_cast<SEPage*>(begin(kSEPage, r->pages, &r->head));
    if (p == nullptr)
        return;
    if (p->head.subKind < kSEPortsNone || p->head.subKind > kSEPortsTrans)
        ok = false;
    p->flags = word(16);
    p->kvObject = word(48);
    p->cgWord1 = word(64);
    p->cgHalf = half(68);
    p->modeFlags = word(72);
    p->cgWord2 = word(76);
    p->cgLong = static_cast<int32_t>(word(80));
    p->pageNumber = half(84);
    p->primeCount = half(86);
    p->lastHalf = 1;
    p->name = text();
    u16(); // page instances: an old file has none
    section([&] { placeSet(p->placeFusionSets, &p->head); });
    section([&] { transSet(p->transFusionSets, &p->head); });
    section([&] { place(p); });
    section([&] { transition(p); });
    section([&] { compound(p); });
    l.idList(&p->superSubstitutions, ids(), 1u << kSECompound);
    l.idList(&p->superInvocations, ids(), 1u << kSECompound);
    section([&] { declNode(p->localDecls, &p->head, kSEDeclLocal); });
    p->text = text();
    dropTexts(4);
}

void OldReader::codeEntry(SERoot* r)
{
    auto* e = reinterpret_cast<SECodeEntry*>(begin(kSECodeEntry, r->simRecords12, &r->head));
    if (e == nullptr)
        return;
    e->number = static_cast<int32_t>(word(20));
    e->text1 = text();
    e->text2 = text();
    dropTexts(4);
}

void OldReader::checkEntry(SERoot* r)
{
    auto* e = reinterpret_cast<SECheckEntry*>(begin(kSECheckEntry, r->simRecords13, &r->head));
    if (e == nullptr)
        return;
    e->number = static_cast<int32_t>(word(20));
    e->half1 = half(28);
    e->half2 = half(30);
    e->text1 = text();
    e->text2 = text();
    dropTexts(4);
}

void OldReader::tableEntry(SERoot* r)
{
    auto* entry = static_cast<SETableEntry*>(QXMem_Alloc(sizeof(SETableEntry)));
    if (entry == nullptr)
        EE_FatalError(kSEMsgOutOfMemory);
    entry->key = text();
    if (!atMost("1.1"))
        entry->second = text();
    bool duplicate = entry->key != nullptr && r->declHashTable != nullptr &&
                     HashLookup(r->declHashTable, entry->key) != nullptr;
    if (!ok || entry->key == nullptr || duplicate) {
        ok = false;
        releaseTableEntry(entry);
        return;
    }
    if (r->declHashTable == nullptr)
        r->declHashTable = HashCreate(10, kHashStringKeys);
    HashStore(r->declHashTable, entry->key, entry);
}

SERoot* OldReader::read()
{
    uint32_t id = u32();
    uint16_t size = u16();
    if (!ok || id == 0 || size > imageSize(kSERoot)) {
        ok = false;
        return nullptr;
    }
    image.assign(imageSize(kSERoot), 0);
    take(image.data(), size);
    if (!ok)
        return nullptr;
    auto* r = reinterpret_cast<SERoot*>(newRecord(kSERoot, id));
    l.ids[id] = &r->head;
    r->flags = word(32) | kSERootIntegerTime; // no clock text before "1.8"
    r->bool1 = word(44);
    r->bool2 = word(48);
    r->declWord = word(60);
    r->bool3 = word(64);
    r->bool4 = word(68);
    r->cg1 = half(80);
    r->cg2 = half(82);
    r->cg3 = word(84);
    for (int i = 0; i < 5; ++i)
        r->cg4[i] = half(88 + 2 * i);
    r->cg5 = static_cast<int32_t>(word(104));
    r->cg6 = half(108);
    r->noTemporaryDecl = word(112);
    r->simOptionWord = word(120);
    std::memcpy(r->codeGenOptions, image.data() + 124, sizeof r->codeGenOptions);
    std::memcpy(r->codeGenText, image.data() + 136, sizeof r->codeGenText);
    std::memcpy(r->runOptions, image.data() + 168, sizeof r->runOptions);
    std::memcpy(r->runOptions2, image.data() + 192, sizeof r->runOptions2);
    std::memcpy(r->runTexts, image.data() + 216, sizeof r->runTexts);
    std::memcpy(r->displayOptions, image.data() + 344, sizeof r->displayOptions);
    std::memcpy(r->analysisOptions, image.data() + 360, sizeof r->analysisOptions);
    r->codeGenText[sizeof r->codeGenText - 1] = '\0';
    for (auto& t : r->runTexts)
        t[sizeof t - 1] = '\0';
    l.integerTime = true;

    section([&] { placeSet(r->globalPlaceFusionSets, &r->head); });
    section([&] { transSet(r->globalTransFusionSets, &r->head); });
    section([&] { page(r); });
    section([&] { codeEntry(r); });
    section([&] { declNode(r->globalDecls, &r->head, kSEDeclGlobal); });
    if (ok && atMost("1.1") && count(r->globalDecls) == 1)
        reinterpret_cast<SEDeclNode*>(r->globalDecls->first)->flags &= ~kSEInscriptionMark;
    section([&] { checkEntry(r); });
    uint16_t values = u16();
    for (uint16_t i = 0; i < values && ok; ++i)
        appendValue(r->valueList, reinterpret_cast<void*>(static_cast<uintptr_t>(u32())));
    section([&] { tableEntry(r); });
    l.declsCompiled = u32();
    l.imageSaved = u32();
    dropTexts(1);
    if (ok && at != bytes.size())
        ok = false;
    return r;
}

} // namespace

SERoot* readOldForm(Loader& loader, const std::vector<char>& data)
{
    OldReader reader(loader, data);
    return reader.read();
}

} // namespace se::db
