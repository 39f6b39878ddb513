// Page state types and state creators. Every definition is built in the
// request buffer and evaluated with one carriage return in the reply buffer;
// the results are not inspected (a rejected text shows only in the reply).
#include "atolq/ConvertToSim/CTSPageState.h"

#include <cstring>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/Utils/HashTable.h"

namespace {

std::string str(const char* s) { return s != nullptr ? s : ""; }

int timedOfColourSet(const char* colourSet)
{
    SERoot* root = SECurrentRoot();
    if (colourSet == nullptr || *colourSet == '\0' || root == nullptr || cts::colourTable(root) == nullptr)
        return 0;
    auto* entry = static_cast<SETableEntry*>(HashLookup(cts::colourTable(root), colourSet));
    return entry != nullptr && entry->flag != 0 ? 1 : 0;
}

void setTimedMark(uint32_t& flags, int timed)
{
    flags = timed ? (flags | cts::kTimedMark) : (flags & ~cts::kTimedMark);
}

const SEPlace* firstMember(const SEPlaceFusSet* set)
{
    if (set->members == nullptr || set->members->first == nullptr)
        return nullptr;
    return static_cast<const SEPlace*>(static_cast<LMValueCell*>(set->members->first)->value);
}

int placeTimed(SEPlace* p)
{
    int timed = timedOfColourSet(p->colourSet);
    setTimedMark(p->flags, timed);
    return timed;
}

int transTimed(SETrans* t)
{
    int timed = 0;
    se::forEachRec(t->inputArcs, [&](SEHead* r) {
        auto* a = reinterpret_cast<SEArc*>(r);
        if (a->head.subKind == kSEPlaceToTrans && (a->flags & cts::kArcPlainName))
            return;
        if (a->place != nullptr && timedOfColourSet(a->place->colourSet))
            timed = 1;
    });
    setTimedMark(t->flags, timed);
    return timed;
}

// One field of a page record: a place outside fusion sets or an instance
// fusion set, with its state kind, name and colour set.
struct Field {
    int kind;
    std::string name;
    std::string colourSet;
    bool timed;
    bool hasInitMark;
};

std::vector<Field> placeFields(SEPage* page)
{
    std::vector<Field> out;
    se::forEachRec(page->places, [&](SEHead* r) {
        auto* p = reinterpret_cast<SEPlace*>(r);
        if (p->fusionSet != nullptr)
            return;
        bool timed = CTSIsTimed(r) != 0;
        out.push_back({CTSPlaceStateKind(p), str(cts::mlName(p)), str(p->colourSet), timed,
                       p->initMark != nullptr && *p->initMark != '\0'});
    });
    se::forEachRec(page->placeFusionSets, [&](SEHead* r) {
        auto* s = reinterpret_cast<SEPlaceFusSet*>(r);
        if (s->head.subKind != kSEFusInstance)
            return;
        const SEPlace* first = firstMember(s);
        bool timed = CTSIsTimed(r) != 0;
        out.push_back({3, str(cts::mlName(s)), first != nullptr ? str(first->colourSet) : "", timed, true});
    });
    return out;
}

struct ArcField {
    std::string name;
    std::string colourSet;
    bool timed;
};

std::vector<ArcField> arcFields(SEPage* page)
{
    std::vector<ArcField> out;
    auto add = [&](SEHead* r) {
        auto* a = reinterpret_cast<SEArc*>(r);
        bool timed = CTSIsTimed(r) != 0;
        out.push_back({str(cts::mlName(a)), a->place != nullptr ? str(a->place->colourSet) : "", timed});
    };
    se::forEachRec(page->transitions, [&](SEHead* r) {
        auto* t = reinterpret_cast<SETrans*>(r);
        if (cts::substituted(t))
            return;
        se::forEachRec(t->inputArcs, add);
        se::forEachRec(t->outputArcs, add);
    });
    return out;
}

const char* msWord(bool timed) { return timed ? " tms" : " ms"; }
const char* emptyValue(bool timed) { return timed ? "tempty" : "empty"; }
std::string sep(size_t i) { return i != 0 ? "," : ""; }

std::string placeTypeField(const Field& f, bool withRef)
{
    const std::string ms = f.colourSet + msWord(f.timed);
    switch (f.kind) {
    case 1: return "P" + f.name + ":(" + ms + (withRef ? ")ref" : ")");
    case 2: return "PP" + f.name + (withRef ? ":((" + ms + ")ref)ref" : ":(" + ms + ")");
    case 3: return "I" + f.name + ":(" + ms + (withRef ? ")ref" : ")");
    default: return {};
    }
}

std::string init(const Field& f)
{
    return f.hasInitMark ? "(TOLQ'IM" + f.name + "())" : emptyValue(f.timed);
}

std::string stateField(const Field& f, bool withRef)
{
    switch (f.kind) {
    case 1: return "P" + f.name + (withRef ? "=ref " : "= ") + init(f);
    case 2: return "PP" + f.name + (withRef ? "=ref(ref " + init(f) + ")" : "=" + init(f));
    case 3: return "I" + f.name + (withRef ? "=ref (TOLQ'IM" : "= (TOLQ'IM") + f.name + "())";
    default: return {};
    }
}

std::string copyLine(const Field& f)
{
    switch (f.kind) {
    case 1: return "(#P" + f.name + " PS):= (#P" + f.name + " IPS);";
    case 2: return "!(#PP" + f.name + " PS):= (#PP" + f.name + " IPS);";
    case 3: return "(#I" + f.name + " PS):= (#I" + f.name + " IPS);";
    default: return {};
    }
}

bool hasPlaces(const SEPage* page) { return page->places != nullptr && page->places->count != 0; }

// Progress, continue flag, simulation mark and places: 1 to define.
bool pageStepMayRun(SEPage* page)
{
    return CTSProgress() != 0 && cts::inSimulation(page);
}

} // namespace

int CTSPlaceStateKind(const SEPlace* place)
{
    if (place->fusionSet == nullptr)
        return place->head.subKind == kSEPlain ? 1 : 2;
    return place->fusionSet->head.subKind == kSEFusInstance ? 3 : 4;
}

const char* CTSPlaceStateName(const SEPlace* place, uint32_t* length)
{
    const char* name = place->fusionSet != nullptr ? cts::mlName(place->fusionSet) : cts::mlName(place);
    if (length != nullptr)
        *length = name != nullptr ? static_cast<uint32_t>(std::strlen(name)) : 0;
    return name;
}

int CTSIsTimed(SEHead* record)
{
    if (record == nullptr)
        return 0;
    switch (record->kind) {
    case kSEPlace: return placeTimed(reinterpret_cast<SEPlace*>(record));
    case kSETrans: return transTimed(reinterpret_cast<SETrans*>(record));
    case kSEArc: {
        auto* a = reinterpret_cast<SEArc*>(record);
        int timed = a->place != nullptr ? timedOfColourSet(a->place->colourSet) : 0;
        setTimedMark(a->flags, timed);
        return timed;
    }
    case kSEPlaceFusSet: {
        auto* s = reinterpret_cast<SEPlaceFusSet*>(record);
        const SEPlace* first = firstMember(s);
        int timed = first != nullptr ? timedOfColourSet(first->colourSet) : 0;
        setTimedMark(s->flags, timed);
        return timed;
    }
    default: return 0;
    }
}

std::string CTSPlaceStateVarText(std::string_view name, std::string_view state, int form)
{
    const std::string n(name), s(state);
    switch (form) {
    case 1: return "(#P" + n + " " + s + ")";
    case 2: return "(!(#PP" + n + " " + s + "))";
    case 3: return "(#I" + n + " " + s + ")";
    case 4: return "(#cur TOLQ'FS" + n + ")";
    default: return {};
    }
}

int CTSWritePlaceStateVar(const char* name, uint32_t nameLength, const char* state, uint32_t stateLength,
                          int form, MemFile* buffer)
{
    std::string text = CTSPlaceStateVarText(std::string_view(name, nameLength),
                                            std::string_view(state != nullptr ? state : "", stateLength), form);
    if (text.empty()) {
        MemFilePutc(buffer, '(');
        return -8;
    }
    MemFileWrite(buffer, text.data(), static_cast<uint32_t>(text.size()));
    return 0;
}

int CTSWritePlaceStateRef(const char* name, uint32_t nameLength, const char* id, uint32_t idLength, int form,
                          int store, MemFile* buffer)
{
    const std::string n(name, nameLength);
    const std::string ps = std::string(store == 1 ? "TOLQ'PSS" : "TOLQ'PS") + std::string(id, idLength);
    std::string text;
    switch (form) {
    case 1: text = "#P" + n + " " + ps; break;
    case 2: text = "!(#PP" + n + " " + ps + ")"; break;
    case 3: text = "#I" + n + " " + ps; break;
    case 4: text = (store == 1 ? "#store TOLQ'FS" : "#cur TOLQ'FS") + n; break;
    default: MemFilePutc(buffer, '('); return -8;
    }
    text = "(" + text + ")";
    MemFileWrite(buffer, text.data(), static_cast<uint32_t>(text.size()));
    return 0;
}

int CTSDefinePageTypes(SEPage* page)
{
    if (!pageStepMayRun(page))
        return 0;
    if (page->flags & cts::kTypesMark)
        return 1;
    if (!hasPlaces(page))
        return 0;
    const std::string p = str(cts::mlName(page));
    const auto fields = placeFields(page);
    std::string pt = "type TOLQ'PT" + p + "={\n", ipt = "type TOLQ'IPT" + p + "={\n";
    for (size_t i = 0; i < fields.size(); ++i) {
        pt += sep(i) + placeTypeField(fields[i], true) + "\n";
        ipt += sep(i) + placeTypeField(fields[i], false) + "\n";
    }
    CTSEvaluateText(pt + "};\n");
    CTSEvaluateText(ipt + "};\n");
    const auto arcs = arcFields(page);
    std::string tt = "type TOLQ'TT" + p + "={\n";
    for (size_t i = 0; i < arcs.size(); ++i)
        tt += sep(i) + "A" + arcs[i].name + ":(" + arcs[i].colourSet + msWord(arcs[i].timed) + ")ref\n";
    CTSEvaluateText(tt + "};\n");
    page->flags = (page->flags | cts::kTypesMark) & ~cts::kStatesMark;
    se::forEachRec(page->transitions, [](SEHead* r) { reinterpret_cast<SETrans*>(r)->flags &= ~cts::kCodeMark; });
    return 1;
}

int CTSCreatePageStates(SEPage* page)
{
    if (!pageStepMayRun(page))
        return 0;
    if (page->flags & cts::kStatesMark)
        return 1;
    if (!hasPlaces(page))
        return 0;
    const std::string p = str(cts::mlName(page));
    const auto fields = placeFields(page);
    std::string ps = "fun TOLQ'CrPS" + p + "()={\n", ips = "fun TOLQ'CrIPS" + p + "()={\n";
    std::string copy = "fun InstMark" + p + " (PS:TOLQ'PT" + p + ", IPS:TOLQ'IPT" + p + ") = (\n";
    for (size_t i = 0; i < fields.size(); ++i) {
        ps += sep(i) + stateField(fields[i], true) + "\n";
        ips += sep(i) + stateField(fields[i], false) + "\n";
        copy += copyLine(fields[i]) + "\n";
    }
    CTSEvaluateText(ps + "}:TOLQ'PT" + p + ";\n");
    CTSEvaluateText(ips + "}:TOLQ'IPT" + p + ";\n");
    CTSEvaluateText(copy + "());\n");
    const auto arcs = arcFields(page);
    std::string ts = "fun TOLQ'CrTS" + p + " ()={\n";
    for (size_t i = 0; i < arcs.size(); ++i)
        ts += sep(i) + "A" + arcs[i].name + "=ref " + emptyValue(arcs[i].timed) + "\n";
    CTSEvaluateText(ts + "}:TOLQ'TT" + p + ";\n");
    page->flags |= cts::kStatesMark;
    ++CTSCurrentContext().progress.counters[0];
    return 1;
}
