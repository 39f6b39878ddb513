// The newer simulator's syntax check. After the bootstrap and the
// declarations, every page goes to the evaluator as one typed request (class
// 400, code 2), subpages before the pages that use them: the page, its new
// places and fusion members, its substitution transitions and its
// transitions with their arcs. Records the evaluator accepts get the checked
// mark; those it names keep their errors on their objects.
#include "atolq/NewSim/NSSyntaxCheck.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/DeclarationSeams.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/DEclarations/DEclarations.h"
#include "atolq/NewSim/NSBootstrap.h"
#include "atolq/NewSim/NSDeclaration.h"
#include "atolq/NewSim/NSSmlGlue.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"

namespace {

constexpr uint32_t kChecked = cts::kCheckedMark;
constexpr int32_t kCodeStart = 1;
constexpr int32_t kCodePage = 2;
constexpr int16_t kProgressText = 0;
constexpr int16_t kProgressNet = 7;
constexpr int16_t kProgressDeclarations = 8;
enum Counter { kPages = 0, kPlaces = 1, kTransitions = 2, kDeclarations = 3 };

struct CheckState {
    CTSErrorReporter reporter = nullptr;
    ProgressCallback progress = nullptr;
    int goOn = 1;
    ProgressRecord record{nullptr, kProgressText, {0, 0, 0, 0, 0}};
};

CheckState state;

bool report()
{
    if (state.progress != nullptr)
        state.progress(&state.goOn, &state.record);
    return state.goOn != 0;
}

void setProgress(const char* format, int16_t kind)
{
    state.record = ProgressRecord{format, kind, {0, 0, 0, 0, 0}};
}

std::string nameOr(const char* name) { return name != nullptr && *name != '\0' ? name : "***"; }

uint32_t& flagsOf(SEHead* record)
{
    switch (record->kind) {
    case kSEPage: return reinterpret_cast<SEPage*>(record)->flags;
    case kSEPlace: return reinterpret_cast<SEPlace*>(record)->flags;
    case kSETrans: return reinterpret_cast<SETrans*>(record)->flags;
    default: return reinterpret_cast<SEPlaceFusSet*>(record)->flags;
    }
}

bool checked(SEHead* record) { return (flagsOf(record) & kChecked) != 0; }

// The records sent for one page, the page itself first, with their numbers.
using SentList = std::vector<std::pair<std::string, SEHead*>>;

class PageRequest {
public:
    explicit PageRequest(SEPage* page) : page_(page), message_(NSMsgNew(kNSClassCheck))
    {
        NSMsgAddInt(m(), kCodePage);
    }

    NSMessage* m() { return message_.get(); }
    SentList& sent() { return sent_; }

    // Gives the record its number, remembers it as sent and adds the number.
    void addNew(SEHead* record)
    {
        NSAssignMLNumber(record);
        const std::string number = NSMLNumberOf(record);
        sent_.emplace_back(number, record);
        NSMsgAddString(m(), number.c_str());
    }
    void addNumber(SEHead* record)
    {
        NSAssignMLNumber(record);
        NSMsgAddString(m(), NSMLNumberOf(record).c_str());
    }

    void build()
    {
        addPage();
        addCheckedReferences(page_->places);
        addCheckedReferences(page_->transitions);
        addNewPlaces();
        addFusionMembers();
        addSubstitutions();
        addTransitions();
    }

private:
    void addPage()
    {
        addNew(&page_->head);
        const std::string title = nameOr(page_->name) + "#" + std::to_string(page_->pageNumber);
        NSMsgAddString(m(), title.c_str());
        NSMsgAddInt(m(), page_->primeCount);
        NSMsgAddShort(m(), (page_->flags & kSEBit0) != 0 ? 1 : 0);
    }

    void addCheckedReferences(const LMList* records)
    {
        int32_t count = 0;
        se::forEachRec(records, [&](SEHead* r) {
            if (checked(r)) {
                addNumber(r);
                ++count;
            }
        });
        NSMsgAddInt(m(), count);
    }

    void addPlace(SEPlace* place, SEPlaceFusSet* set)
    {
        addNew(&place->head);
        if (set != nullptr)
            addNumber(&set->head);
        NSMsgAddString(m(), place->name);
        NSMsgAddString(m(), place->colourSet);
        NSMsgAddString(m(), place->initMark);
        ++state.record.counters[kPlaces];
    }

    template <class F> void eachSetOfType(const LMList* sets, uint16_t type, F f)
    {
        se::forEachRec(sets, [&](SEHead* s) {
            if (s->subKind == type)
                f(reinterpret_cast<SEPlaceFusSet*>(s));
        });
    }

    void addNewPlaces()
    {
        int32_t count = 0;
        se::forEachRec(page_->places, [&](SEHead* r) {
            auto* place = reinterpret_cast<SEPlace*>(r);
            if (place->fusionSet == nullptr && !checked(r)) {
                addPlace(place, nullptr);
                ++count;
            }
        });
        eachSetOfType(page_->placeFusionSets, kSEFusInstance, [&](SEPlaceFusSet* set) {
            se::forEachValue(set->members, [&](void* v) {
                auto* place = static_cast<SEPlace*>(v);
                if (!checked(&place->head)) {
                    addPlace(place, nullptr);
                    ++count;
                }
            });
        });
        NSMsgAddInt(m(), count);
    }

    void addFusionMembers()
    {
        int32_t count = 0;
        eachSetOfType(page_->placeFusionSets, kSEFusPage, [&](SEPlaceFusSet* set) {
            se::forEachValue(set->members, [&](void* v) {
                auto* place = static_cast<SEPlace*>(v);
                if (!checked(&place->head)) {
                    addPlace(place, set);
                    ++count;
                }
            });
        });
        se::forEachRec(page_->places, [&](SEHead* r) {
            auto* place = reinterpret_cast<SEPlace*>(r);
            if (place->fusionSet != nullptr && place->fusionSet->head.subKind == kSEFusGlobal) {
                addPlace(place, place->fusionSet);
                ++count;
            }
        });
        NSMsgAddInt(m(), count);
    }

    static bool isSubstitution(const SETrans* t)
    {
        return t->head.subKind == kSESubstitution && t->compound != nullptr;
    }

    void addSubstitutions()
    {
        std::vector<SETrans*> substitutions;
        se::forEachRec(page_->transitions, [&](SEHead* r) {
            auto* t = reinterpret_cast<SETrans*>(r);
            if (isSubstitution(t) && !checked(r))
                substitutions.push_back(t);
        });
        NSMsgAddInt(m(), static_cast<int32_t>(substitutions.size()));
        for (SETrans* t : substitutions) {
            addNew(&t->head);
            NSMsgAddString(m(), nameOr(t->name).c_str());
            if (t->compound->subpage != nullptr)
                addNumber(&t->compound->subpage->head);
            else
                NSMsgAddString(m(), "");
            int32_t pairs = 0;
            se::forEachPair(t->compound->assignments, [&](void* socket, void* port) {
                addNumber(static_cast<SEHead*>(socket));
                addNumber(static_cast<SEHead*>(port));
                ++pairs;
            });
            NSMsgAddInt(m(), pairs);
            ++state.record.counters[kTransitions];
        }
    }

    static bool oneWay(const SEArc* arc)
    {
        return arc->head.subKind == kSEPlaceToTrans || arc->head.subKind == kSETransToPlace;
    }

    void addArcs(const LMList* arcs, bool wantOneWay)
    {
        int32_t count = 0;
        se::forEachRec(arcs, [&](SEHead* r) {
            auto* arc = reinterpret_cast<SEArc*>(r);
            if (oneWay(arc) != wantOneWay || arc->place == nullptr)
                return;
            addNumber(r);
            addNumber(&arc->place->head);
            NSMsgAddString(m(), arc->expression);
            ++count;
        });
        NSMsgAddInt(m(), count);
    }

    void addTransitions()
    {
        std::vector<SETrans*> transitions;
        se::forEachRec(page_->transitions, [&](SEHead* r) {
            auto* t = reinterpret_cast<SETrans*>(r);
            if (!isSubstitution(t) && !checked(r))
                transitions.push_back(t);
        });
        NSMsgAddInt(m(), static_cast<int32_t>(transitions.size()));
        for (SETrans* t : transitions) {
            addNew(&t->head);
            NSMsgAddString(m(), nameOr(t->name).c_str());
            NSMsgAddString(m(), t->guard);
            NSMsgAddString(m(), t->time);
            NSMsgAddString(m(), t->code);
            addArcs(t->inputArcs, true);
            addArcs(t->outputArcs, true);
            addArcs(t->inputArcs, false);
            ++state.record.counters[kTransitions];
        }
    }

    SEPage* page_;
    std::unique_ptr<NSMessage> message_;
    SentList sent_;
};

// Reads the errors of the answer: i: their number; per error t: the ML
// number and the text. Named records leave the sent list. -1 when the
// answer is malformed, else the number of errors.
int readErrors(NSMessage* answer, SentList& sent)
{
    int32_t errors = 0;
    if (NSMsgGetInt(answer, &errors) == 0 || errors < 0)
        return -1;
    for (int32_t i = 0; i < errors; ++i) {
        std::string number;
        std::string text;
        if (NSMsgGetString(answer, &number) == 0 || NSMsgGetString(answer, &text) == 0)
            return -1;
        std::erase_if(sent, [&](const auto& entry) {
            const uint16_t kind = entry.second->kind;
            return entry.first == number && (kind == kSEPlace || kind == kSETrans || kind == kSEPlaceFusSet);
        });
        if (!text.empty())
            NSReportOnMLNumber(number.c_str(), text.c_str());
    }
    return errors;
}

void markChecked(const SentList& sent)
{
    for (const auto& [number, record] : sent) {
        flagsOf(record) |= kChecked;
        if (record->kind == kSETrans) {
            auto* t = reinterpret_cast<SETrans*>(record);
            if (t->compound != nullptr)
                t->compound->flags |= kChecked;
        }
    }
}

bool checkPage(SEPage* page, std::vector<SEPage*>& toCheck);

// Subpages before the pages that use them.
bool checkSubpages(SEPage* page, std::vector<SEPage*>& toCheck)
{
    bool ok = true;
    se::forEachRec(page->transitions, [&](SEHead* r) {
        auto* t = reinterpret_cast<SETrans*>(r);
        if (ok && t->head.subKind == kSESubstitution && t->compound != nullptr && t->compound->subpage != nullptr)
            ok = checkPage(t->compound->subpage, toCheck);
    });
    return ok;
}

bool checkPage(SEPage* page, std::vector<SEPage*>& toCheck)
{
    const auto at = std::find(toCheck.begin(), toCheck.end(), page);
    const bool listed = at != toCheck.end();
    if (listed)
        toCheck.erase(at);
    if (checked(&page->head) || !listed)
        return true;
    if (!checkSubpages(page, toCheck))
        return false;
    PageRequest request(page);
    request.build();
    const bool called = NSMsgCall(request.m()) != 0;
    const int errors = called ? readErrors(request.m(), request.sent()) : -1;
    if (called && errors >= 0)
        markChecked(request.sent());
    ++state.record.counters[kPages];
    int pageGoOn = 1;
    if (state.progress != nullptr)
        state.progress(&pageGoOn, &state.record);
    return errors == 0 && pageGoOn != 0;
}

void markCheckedFusionSets(SERoot* root)
{
    se::forEachRec(root->globalPlaceFusionSets, [](SEHead* s) {
        auto* set = reinterpret_cast<SEPlaceFusSet*>(s);
        bool all = true;
        se::forEachValue(set->members, [&](void* v) { all = all && checked(static_cast<SEHead*>(v)); });
        if (all)
            set->flags |= kChecked;
    });
}

void reportTransitionFusion(SERoot* root)
{
    if (root->globalTransFusionSets == nullptr || root->globalTransFusionSets->first == nullptr)
        return;
    auto* set = static_cast<SETransFusSet*>(root->globalTransFusionSets->first);
    SETrans* first = nullptr;
    se::forEachValue(set->members, [&](void* v) {
        if (first == nullptr)
            first = static_cast<SETrans*>(v);
    });
    if (first != nullptr && state.reporter != nullptr)
        state.reporter(first->kvObject, "S.1 Fusioned Transition", nullptr);
}

bool sendStart()
{
    auto message = NSMsgNew(kNSClassCheck);
    NSMsgAddInt(message.get(), kCodeStart);
    return NSMsgCall(message.get()) != 0;
}

// Ends the busy cursor however the check ends.
class BusyCursor {
public:
    BusyCursor() : previous_(EE_BeginBusy(nullptr)) {}
    ~BusyCursor() { EE_EndBusy(previous_); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    int previous_;
};

// A declaration node with text but no entries was never converted: its
// declarations would reach the evaluator as nothing at all, so it is
// converted into its entries first.
void convertUnconvertedDeclarations(SERoot* root)
{
    std::vector<uint32_t> nodes;
    se::forEachRec(root->globalDecls, [&](SEHead* h) {
        const auto* node = reinterpret_cast<SEDeclNode*>(h);
        uint32_t length = 0;
        if (se::count(node->entries) == 0 && QXText_GetLength(node->kvObject, &length) != 0 && length > 0)
            nodes.push_back(node->kvObject);
    });
    for (uint32_t object : nodes)
        DEConvertNode(object);
}

int checkNet(SERoot* root)
{
    convertUnconvertedDeclarations(root);
    setProgress("%d Declarations Checked", kProgressDeclarations);
    DESetProgressCallback(state.progress);
    if (DEStartCompileOrder(&state.record) != 0 || state.goOn == 0)
        return 0;
    if (state.record.counters[kDeclarations] > 0) {
        const char* directory = std::getenv("VelkorResourceDir");
        CTSSetResourceDir(directory != nullptr ? directory : "", CTSReplyBuffer());
    }
    if (!report())
        return 0;
    setProgress("%d Pages, %d Places, %d Transitions Checked", kProgressNet);
    if (!report())
        return 0;
    std::vector<SEPage*> toCheck;
    se::forEachRec(root->pages, [&](SEHead* r) { toCheck.insert(toCheck.begin(), reinterpret_cast<SEPage*>(r)); });
    while (!toCheck.empty())
        if (!checkPage(toCheck.front(), toCheck))
            return 0;
    return 1;
}

} // namespace

int NSSyntaxCheck(CTSErrorReporter reporter, int refuseTransitionFusion, ProgressCallback progress,
                  CTSConfigFn configuration)
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    state = CheckState{reporter, progress, 1, {nullptr, kProgressText, {0, 0, 0, 0, 0}}};
    QXStr_SetModified(1);
    if (!report())
        return 0;
    if (CTSStartEvaluator(configuration) == 0 || state.goOn == 0)
        return 0;
    NSBootstrap();
    NSMLNumberCreateTable();
    CTSPrepareNewCheck();
    DEResetCompileMarks();
    if (!sendStart())
        return 0;
    BusyCursor busy;
    const bool checked = report() && checkNet(root) != 0;
    // Records keep the numbers they were given even when the check stops,
    // so the saved counter must stay ahead of them either way.
    cts::savedCounter(root) = CTSNameCounter();
    if (!checked)
        return 0;
    markCheckedFusionSets(root);
    if (refuseTransitionFusion != 0)
        reportTransitionFusion(root);
    report();
    return state.goOn;
}
