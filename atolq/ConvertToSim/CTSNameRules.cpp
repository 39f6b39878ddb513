// The name rules O.1 to O.11: names present, unique on a page (or in the net
// for pages), legal ML identifiers and acceptable to the occurrence-graph
// tool, and arcs carrying expressions. A passed one-record test leaves a mark
// in the record's flag word so that later runs skip it until the name changes.
#include <cstring>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/Utils/HashTable.h"

namespace {

bool hasName(const char* name) { return name != nullptr && name[0] != '\0'; }

// One test on one named record: the option bits that switch it on, the mark
// that records a pass, the test and the message of a failure.
struct NameTest {
    uint32_t options;
    uint32_t mark;
    int (*passes)(const char* name);
    const char* message;
};

int notRefused(const char* name) { return CTSOGRefusedName(name) == 0 ? 1 : 0; }

constexpr NameTest kPlaceTests[] = {
    {kCTSOptAll, 0x200, CTSLegalMLName, "O.3 Place name must be a legal ML identifier"},
    {kCTSOptAll, 0x400, notRefused, "O.11 Name must be legal for OG Analyzer"},
};
constexpr NameTest kTransTests[] = {
    {kCTSOptAll, 0x4, CTSLegalMLName, "O.6 Transition name must be a legal ML identifier"},
    {kCTSOptAll, 0x8, notRefused, "O.11 Name must be legal for OG Analyzer"},
};
constexpr NameTest kPageTest = {kCTSOptAll, 0x80, CTSLegalMLName, "O.8 Page name must be a legal ML identifier"};

// Runs the table's tests on a named record; 1 when one failed.
int runNameTest(SEHead* record, const char* name, uint32_t& flags, const NameTest& test)
{
    if (!hasName(name) || (flags & test.mark) != 0 || CTSOption(test.options) == 0)
        return 0;
    if (test.passes(name) != 0) {
        flags |= test.mark;
        return 0;
    }
    CTSReport(record, test.message);
    return 1;
}

// Uniqueness over records in order: a name seen before is reported on the
// later record (unless excused) and not added. 1 when any duplicate was found.
template <class Excused>
int reportDuplicates(const std::vector<SEHead*>& recordsInOrder, const char* message, Excused excused)
{
    std::vector<SEHead*> seen;
    int found = 0;
    for (SEHead* record : recordsInOrder) {
        const char* name = SEGetName(record);
        if (!hasName(name))
            continue;
        SEHead* earlier = nullptr;
        for (SEHead* s : seen)
            if (std::strcmp(SEGetName(s), name) == 0) {
                earlier = s;
                break;
            }
        if (earlier == nullptr) {
            seen.insert(seen.begin(), record);
        } else if (!excused(earlier, record)) {
            CTSReport(record, message);
            found = 1;
        }
    }
    return found;
}

std::vector<SEHead*> recordsOf(const LMList* list)
{
    std::vector<SEHead*> out;
    se::forEachRec(list, [&](SEHead* h) { out.push_back(h); });
    return out;
}

bool sameFusionSet(SEHead* earlier, SEHead* later)
{
    auto* a = reinterpret_cast<SEPlace*>(earlier);
    auto* b = reinterpret_cast<SEPlace*>(later);
    return a->fusionSet != nullptr && a->fusionSet == b->fusionSet;
}

bool never(SEHead*, SEHead*) { return false; }

// A page's uniqueness test: runs unless the page keeps its mark; a clean walk sets it.
template <class Excused>
void uniqueOnPage(SEPage* page, const LMList* list, uint32_t options, uint32_t mark, const char* message,
                  Excused excused)
{
    if (CTSOption(options) == 0 || (page->flags & mark) != 0)
        return;
    if (reportDuplicates(recordsOf(list), message, excused) == 0)
        page->flags |= mark;
}

} // namespace

int CTSCheckPageNames(SEPage* page)
{
    if (page == nullptr)
        return 0;
    uniqueOnPage(page, page->places, kCTSOptO2 | kCTSOptAll, kSEPagePlaceNames,
                 "O.2 Place name can only appear once on a page", sameFusionSet);
    uniqueOnPage(page, page->transitions, kCTSOptO5 | kCTSOptAll, kSEPageTransNames,
                 "O.5 Transition name can only appear once on a page", never);
    return runNameTest(&page->head, page->name, page->flags, kPageTest);
}

int CTSCheckPageNameUnique(SERoot* root)
{
    if (root == nullptr || CTSOption(kCTSOptO7 | kCTSOptAll) == 0 || (root->flags & kSERootPageNames) != 0)
        return 0;
    int found = reportDuplicates(recordsOf(root->pages), "O.7 Page name can only appear once", never);
    if (found == 0)
        root->flags |= kSERootPageNames;
    return found;
}

int CTSCheckPlaceNames(SEPlace* place)
{
    if (place == nullptr)
        return 0;
    if (!hasName(place->name)) {
        if (CTSOption(kCTSOptO1 | kCTSOptAll) == 0)
            return 0;
        CTSReport(&place->head, "O.1 Place must have a name");
        return 1;
    }
    int failed = 0;
    for (const NameTest& test : kPlaceTests)
        failed |= runNameTest(&place->head, place->name, place->flags, test);
    return failed;
}

int CTSCheckTransNames(SETrans* trans)
{
    if (trans == nullptr)
        return 0;
    if (!hasName(trans->name)) {
        if (CTSOption(kCTSOptO4 | kCTSOptAll) == 0)
            return 0;
        CTSReport(&trans->head, "O.4 Transition must have a name");
        return 1;
    }
    int failed = 0;
    for (const NameTest& test : kTransTests)
        failed |= runNameTest(&trans->head, trans->name, trans->flags, test);
    return failed;
}

int CTSCheckArcsHaveExpressions(SETrans* trans, bool substitution)
{
    if (trans == nullptr)
        return 0;
    uint32_t options = substitution ? kCTSOptO10 : (kCTSOptO9 | kCTSOptAll);
    const char* message = substitution ? "O.10 Arc must have an expression (substitution)"
                                       : "O.9 Arc must have an expression (ordinary)";
    if (CTSOption(options) == 0)
        return 0;
    int failed = 0;
    for (const LMList* arcs : {trans->inputArcs, trans->outputArcs})
        se::forEachRec(arcs, [&](SEHead* h) {
            if (!hasName(reinterpret_cast<SEArc*>(h)->expression)) {
                CTSReport(h, message);
                failed = 1;
            }
        });
    return failed;
}

int CTSCheckPlaceColourSet(SEPlace* place)
{
    if (place == nullptr || place->fusionSet != nullptr || (place->flags & kSEInscriptionMark) != 0)
        return 0;
    if (!hasName(place->colourSet)) {
        CTSReport(&place->head, "C.6 Place must have a color set");
        return 1;
    }
    SERoot* root = SECurrentRoot();
    if (root == nullptr || root->declHashTable == nullptr ||
        HashLookup(root->declHashTable, place->colourSet) == nullptr) {
        CTSReport(&place->head, "C.7 Color set region must be legal");
        return 1;
    }
    place->flags = (place->flags | kSEInscriptionMark) & ~kSEMarkingMark;
    for (const LMList* arcs : {place->inputArcs, place->outputArcs})
        se::forEachValue(arcs, [](void* a) {
            auto* owner = static_cast<SEArc*>(a)->head.owner;
            if (owner != nullptr && owner->kind == kSETrans)
                se::clearTransMarks(reinterpret_cast<SETrans*>(owner));
        });
    return 0;
}
