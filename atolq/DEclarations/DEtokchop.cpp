// The name index and the tokenizer of the compile order: each name maps to
// the records that define it, and an entry's texts are split into tokens that
// are looked up there to link the entry to the entries it depends on.
#include <map>
#include <string>

#include "atolq/AEditor/SENet.h"
#include "atolq/DEclarations/DEInternal.h"

using namespace de;

namespace {

// First token of a text: split also at the symbol characters; later tokens
// only at the separators.
constexpr std::string_view kFirstDelims = "!%&$+-/:<=>?@~`^|*;,. ()[]{}#\"\r\n\t";
constexpr std::string_view kLaterDelims = ";,. ()[]{}#\"\r\n\t";

// The index belongs to one net; it is dropped when the net changes.
struct NameIndex {
    SERoot* root = nullptr;
    std::map<std::string, LMList*> names;
};
NameIndex index;

NameIndex& current()
{
    if (index.root != SECurrentRoot())
        DENameIndexClear();
    index.root = SECurrentRoot();
    return index;
}

SEDeclEntry* ownerEntry(SEHead* record)
{
    if (SEDeclEntry* e = asEntry(record))
        return e;
    return asEntry(record->owner);
}

void link(SEHead* record, SEDeclEntry* owner)
{
    if (owner == nullptr || &owner->head == record)
        return;
    // Places and transitions keep no parents list in their records.
    if (SEDeclEntry* e = asEntry(record))
        addUnique(DEParents(e), owner);
    addUnique(DEDependents(owner), record);
}

void tokenize(SEHead* record, const std::string& text, bool keep)
{
    Tokens t(text);
    std::string token;
    bool first = true;
    while (t.next(first ? kFirstDelims : kLaterDelims, &token)) {
        first = false;
        if (!keep)
            continue;
        eachValue(DENameIndexLookup(token.c_str()), [&](void* v) { link(record, ownerEntry(static_cast<SEHead*>(v))); });
    }
}

struct UseWalk {
    SEDeclEntry* use;
    bool reached;
};

int useParent(SEDeclEntry* e, void* argument)
{
    auto* w = static_cast<UseWalk*>(argument);
    if (e == w->use)
        return 1;
    link(&w->use->head, e);
    return 0;
}

} // namespace

LMList* DENameIndexLookup(const char* name)
{
    auto& names = current().names;
    auto it = names.find(name);
    return it != names.end() ? it->second : nullptr;
}

void DENameIndexFile(const char* name, SEHead* record)
{
    if (name == nullptr || record == nullptr)
        return;
    LMList*& list = current().names[name];
    addUnique(list, record);
}

void DENameIndexForget(SEHead* owner)
{
    for (auto it = index.names.begin(); it != index.names.end();) {
        LMList* list = it->second;
        std::vector<void*> gone;
        eachValue(list, [&](void* v) {
            auto* r = static_cast<SEHead*>(v);
            if (r == owner || r->owner == owner)
                gone.push_back(v);
        });
        for (void* v : gone)
            removeValue(list, v);
        if (LMCount(list) == 0) {
            LMDestroy(list);
            it = index.names.erase(it);
        } else {
            ++it;
        }
    }
}

void DENameIndexClear()
{
    for (auto& [name, list] : index.names)
        LMDestroy(list);
    index.names.clear();
    index.root = nullptr;
}

void DETokenizeEntry(SEHead* record)
{
    if ((flagsOf(record) & kDEChecked) != 0)
        return;
    switch (record->kind) {
    case kSEPlace: {
        auto* p = reinterpret_cast<SEPlace*>(record);
        tokenize(record, str(p->colourSet), true);
        if ((p->flags & 0x100) == 0)
            tokenize(record, str(p->initMark), true);
        return;
    }
    case kSETrans: {
        auto* t = reinterpret_cast<SETrans*>(record);
        for (const char* text : {t->guard, t->time, t->code})
            tokenize(record, str(text), true);
        for (LMList* arcs : {t->inputArcs, t->outputArcs})
            eachRec(arcs, [&](SEHead* h) {
                auto* arc = reinterpret_cast<SEArc*>(h);
                tokenize(record, str(arc->place != nullptr ? arc->place->colourSet : nullptr), true);
                tokenize(record, str(arc->expression), true);
            });
        return;
    }
    case kSEBarChart: tokenize(record, str(reinterpret_cast<SEBarChart*>(record)->chartText), false); return;
    case kSELineChart: tokenize(record, str(reinterpret_cast<SELineChart*>(record)->chartText), false); return;
    default: break;
    }
    SEDeclEntry* e = asEntry(record);
    if (e == nullptr)
        return;
    if (e->head.subKind == kDEUse) {
        UseWalk w{e, false};
        DEWalkEntries(useParent, 0, 1, &w);
        return;
    }
    std::string joined = join(texts(DEColorSets(e)), " ");
    for (const char* t : e->texts)
        if (t != nullptr)
            joined += std::string(joined.empty() ? "" : " ") + t;
    tokenize(record, joined, true);
}
