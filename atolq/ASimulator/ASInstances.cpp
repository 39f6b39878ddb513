// Page instances and binding elements: making the instances of the prime
// pages and their sub-instances with their ML state, naming and deleting
// them, and the small queries on them.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/NewSim/NSMode.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/kv/QXUI.h"

namespace {

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }
std::string_view mlNameOf(const ASInstance* i) { return {orEmpty(i->mlName), std::strlen(orEmpty(i->mlName))}; }

bool pageHasPlaces(const SEPage* page) { return se::count(page->places) != 0; }

// "Returning to Editor. Error in initial marking on Page # <n>." and as much
// of the evaluator's reply as keeps the text within 255 characters.
void showInitialMarkingError(const SEPage* page)
{
    std::string text = orEmpty(QXUI_GetMessage(kASMsgInitialMarking)) + std::to_string(page->pageNumber) + ".";
    MemFile* reply = ASReplyBuffer();
    MemFileRewind(reply);
    for (int c = MemFileGetc(reply); c >= 0 && text.size() < 255; c = MemFileGetc(reply))
        text += static_cast<char>(c);
    QXUI_ShowMessage(text.c_str());
}

// Makes every port of the new sub-instance share the state of the socket
// it is assigned to, resolved upward.
void linkPortStates(ASInstance* instance)
{
    SECompound* compound = instance->compound;
    if (compound == nullptr || compound->node == nullptr || compound->node->kind != kSETrans)
        return;
    se::forEachPair(compound->assignments, [&](void* socketRecord, void* portRecord) {
        auto* port = se::as<SEPlace>(static_cast<SEHead*>(portRecord), kSEPlace);
        if (port == nullptr)
            return;
        SEHead* node = nullptr;
        ASInstance* owner = nullptr;
        ASResolvePort(static_cast<SEHead*>(socketRecord), instance->parent, &node, &owner);
        auto* socket = se::as<SEPlace>(node, kSEPlace);
        if (socket == nullptr || owner == nullptr)
            return;
        uint32_t length = 0;
        const char* name = CTSPlaceStateName(port, &length);
        MemFileReset(ASReplyBuffer());
        ASSetPlaceField(std::string_view(orEmpty(name), length), mlNameOf(instance), socket, mlNameOf(owner),
                        ASReplyBuffer());
    });
}

std::string valueAt(const ASBindingElement* e, int index)
{
    int at = 0;
    for (int32_t pos = 0; pos < e->valuesLength; ++at) {
        const char* text = e->values + pos;
        const auto length = static_cast<int32_t>(strnlen(text, static_cast<size_t>(e->valuesLength - pos)));
        if (at == index)
            return std::string(text, static_cast<size_t>(length));
        pos += length + 1;
    }
    return {};
}

// The colour-set name of a variable through the data base's name table.
std::string colourSetName(const char* colourSet)
{
    SERoot* root = SECurrentRoot();
    if (root != nullptr && root->declHashTable != nullptr && colourSet != nullptr) {
        auto* entry = static_cast<SETableEntry*>(HashLookup(root->declHashTable, colourSet));
        if (entry != nullptr && entry->key != nullptr)
            return entry->key;
    }
    return orEmpty(colourSet);
}

std::string bindingTextOf(const ASBindingElement* e, int random)
{
    const ASInstance* instance = instanceOf(e);
    SERoot* root = SECurrentRoot();
    const bool codeOn = ASRunOptions(root)[1] != 0 && (instance->modeAttributes & kASModeCode) != 0;
    std::string text;
    int index = 0;
    const LMList* variables = e->transition->codeSegment != nullptr ? e->transition->codeSegment->variables : nullptr;
    se::forEachValue(variables, [&](void* value) {
        auto* variable = static_cast<SECodeVariable*>(value);
        if (index > 0)
            text += ",\n";
        text += std::string(orEmpty(variable->first)) + "= $";
        const std::string v = valueAt(e, index);
        const bool boundByCode = codeOn && (variable->number & 16) != 0;
        if (!v.empty())
            text += "(" + v + ")";
        else if (random && !boundByCode)
            text += "(ran'" + colourSetName(variable->second) + "())";
        else
            text += "$";
        ++index;
    });
    return text;
}

char* copyBlock(const char* data, uint32_t length)
{
    char* block = se::allocText(length + 1);
    if (length != 0)
        std::memcpy(block, data, length);
    block[length] = '\0';
    return block;
}

LMList*& listOf(ASBindingElement* e)
{
    ASInstance* instance = instanceOf(e);
    return (e->state == kASProvisionalFound || e->state == kASProvisionalUser) ? instance->provisional
                                                                               : instance->steps;
}

void deleteElements(LMList*& list)
{
    while (list != nullptr && list->first != nullptr)
        ASDeleteBindingElement(static_cast<ASBindingElement*>(list->first));
    if (list != nullptr && list->count == 0) {
        LMDestroyRecs(&list, [](void*) {});
    }
}

// Removes the instance from the net layer (without evaluator requests).
void discard(ASInstance* instance)
{
    SEPage* page = pageOf(instance);
    if (instance->parent != nullptr)
        se::removeValue(instance->parent->children, instance);
    // Sub-instances lose their parent rather than point at a freed record.
    se::forEachValue(instance->children, [](void* child) { static_cast<ASInstance*>(child)->parent = nullptr; });
    deleteElements(instance->steps);
    deleteElements(instance->provisional);
    se::releasePageInstance(reinterpret_cast<SEPageInstance*>(instance));
    se::unlinkAndFree(page->instances, &instance->head);
}

} // namespace

int ASVariableCount(const SETrans* transition)
{
    return transition->codeSegment != nullptr ? se::count(transition->codeSegment->variables) : 0;
}

void ASUnlinkElement(LMList* list, ASBindingElement* element)
{
    if (list == nullptr)
        return;
    auto* link = reinterpret_cast<LMLink*>(&element->head);
    bool linked = false;
    for (void* cell = list->first; cell != nullptr && !linked; cell = static_cast<LMLink*>(cell)->next)
        linked = cell == element;
    if (!linked)
        return;
    if (list->cursor == element)
        list->cursor = link->next;
    if (link->prev != nullptr)
        static_cast<LMLink*>(link->prev)->next = link->next;
    else
        list->first = link->next;
    if (link->next != nullptr)
        static_cast<LMLink*>(link->next)->prev = link->prev;
    else
        list->last = link->prev;
    link->next = link->prev = nullptr;
    --list->count;
}

int32_t ASTransOrder(const SETrans* transition) { return transition->longWord; }

void ASInsertStep(ASBindingElement* element)
{
    ASInstance* instance = instanceOf(element);
    const int32_t order = ASTransOrder(element->transition);
    SEHead* after = nullptr;
    se::forEachRec(instance->steps, [&](SEHead* r) {
        if (ASTransOrder(reinterpret_cast<ASBindingElement*>(r)->transition) <= order)
            after = r;
    });
    if (instance->steps == nullptr)
        instance->steps = LMCreate(kLMRecordList);
    LMList* list = instance->steps;
    auto* link = reinterpret_cast<LMLink*>(&element->head);
    if (after == nullptr) {
        LMPushRec(list, element);
        return;
    }
    // Link after the found record.
    auto* prev = reinterpret_cast<LMLink*>(after);
    link->prev = after;
    link->next = prev->next;
    if (prev->next != nullptr)
        static_cast<LMLink*>(prev->next)->prev = element;
    else
        list->last = element;
    prev->next = element;
    ++list->count;
}

int ASCreateInstance(SEPage* page, const char* suffix, SECompound* compound, ASInstance* parent)
{
    if (page == nullptr || page->head.kind != kSEPage) {
        EE_ReportError(kASMsgInvalidRecord);
        return 1;
    }
    auto* instance = reinterpret_cast<ASInstance*>(se::newRecord(kSEPageInstance));
    if (instance == nullptr)
        EE_FatalError(kASMsgOutOfMemory);
    instance->head.subKind = kASInstanceSubKind;
    instance->head.owner = &page->head;
    instance->compound = compound;
    instance->parent = parent;
    uint16_t length = 0;
    instance->mlName = CTSNewNumberName(&length, 0);
    if (instance->mlName == nullptr)
        EE_FatalError(kASMsgOutOfMemory);
    instance->mlNameLength = length;
    instance->number = se::count(page->instances) + 1;
    instance->modeAttributes = ASEffectiveMode(instance);
    const std::string text = "(" + std::to_string(instance->number) + ":" + orEmpty(page->name) + "#" +
                             std::to_string(page->pageNumber) + ")" + orEmpty(suffix);
    instance->text = se::copyText(text.c_str());
    instance->flags &= ~(kASTransStateSent | kASInstanceBit4);
    se::pushRec(page->instances, &instance->head);

    const std::string_view pageName = orEmpty(cts::mlName(page));
    MemFileReset(ASReplyBuffer());
    ASCreateInstanceRecord(mlNameOf(instance), pageName, ASReplyBuffer());
    if (parent != nullptr)
        se::prependValue(parent->children, instance);
    if (pageHasPlaces(page)) {
        MemFileReset(ASReplyBuffer());
        if (ASCreatePlaceState(mlNameOf(instance), pageName, ASReplyBuffer()) < 0) {
            showInitialMarkingError(page);
            return 1;
        }
        MemFileReset(ASReplyBuffer());
        ASCreateTransState(mlNameOf(instance), pageName, ASReplyBuffer());
    }
    linkPortStates(instance);

    int result = 0;
    se::findRec(page->transitions, [&](SEHead* r) {
        auto* t = reinterpret_cast<SETrans*>(r);
        if (!cts::substituted(t) || t->compound->subpage == nullptr)
            return false;
        const std::string name = t->name != nullptr && *t->name != '\0' ? t->name : "***";
        const std::string subSuffix = "  " + name + "@" + instance->text;
        result = ASCreateInstance(t->compound->subpage, subSuffix.c_str(), t->compound, instance);
        return result == 1;
    });
    return result;
}

ASBindingElement* ASNewBindingElement(ASInstance* instance, SETrans* transition, uint32_t state,
                                      const char* values, uint32_t valuesLength, int random)
{
    if (asInstance(reinterpret_cast<SEHead*>(instance)) == nullptr || transition == nullptr ||
        transition->head.kind != kSETrans) {
        EE_ReportError(kASMsgInvalidRecord);
        return nullptr;
    }
    auto* e = reinterpret_cast<ASBindingElement*>(se::newRecord(kSETransInstance));
    if (e == nullptr)
        EE_FatalError(kASMsgOutOfMemory);
    e->head.subKind = kASElementSubKind;
    e->head.owner = &instance->head;
    e->transition = transition;
    e->state = state;
    ASSetBindingValues(e, values, valuesLength, random);
    return e;
}

void ASSetBindingValues(ASBindingElement* e, const char* values, uint32_t valuesLength, int random)
{
    se::freeText(e->values);
    se::freeText(e->bindingText);
    e->values = copyBlock(values, values != nullptr ? valuesLength : 0);
    e->valuesLength = static_cast<int32_t>(values != nullptr ? valuesLength : 0);
    e->bindingText = se::copyText(bindingTextOf(e, random).c_str());
}

std::string ASBindingDisplayText(const ASBindingElement* e)
{
    std::string text;
    int index = 0;
    const LMList* variables = e->transition->codeSegment != nullptr ? e->transition->codeSegment->variables : nullptr;
    se::forEachValue(variables, [&](void* value) {
        if (index > 0)
            text += ", ";
        text += std::string(orEmpty(static_cast<SECodeVariable*>(value)->first)) + " = " + valueAt(e, index);
        ++index;
    });
    return text;
}

int ASDeleteBindingElement(ASBindingElement* e)
{
    if (asElement(reinterpret_cast<SEHead*>(e)) == nullptr) {
        EE_ReportError(kASMsgInvalidRecord);
        return 0;
    }
    se::freeText(e->values);
    se::freeText(e->bindingText);
    e->valuesLength = 0;
    switch (e->state) {
    case kASConfirmed: case kASWithdrawn: case kASChosen: case kASInOccurrenceSet: case 7: case kASExecuted:
    case kASProvisionalFound: case kASProvisionalUser:
        se::unlinkAndFree(listOf(e), &e->head);
        break;
    default:
        break;
    }
    return 1;
}

int ASDiscardInstance(ASInstance* instance)
{
    if (asInstance(reinterpret_cast<SEHead*>(instance)) == nullptr) {
        EE_ReportError(kASMsgInvalidRecord);
        return 0;
    }
    discard(instance);
    return 1;
}

int ASDeleteInstance(ASInstance* instance)
{
    if (asInstance(reinterpret_cast<SEHead*>(instance)) == nullptr) {
        EE_ReportError(kASMsgInvalidRecord);
        return 0;
    }
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    ASClearPlaceState(mlNameOf(instance), reply);
    MemFileReset(reply);
    ASClearTransState(mlNameOf(instance), reply);
    MemFileReset(reply);
    ASClearInstanceRecord(mlNameOf(instance), reply);
    discard(instance);
    return 1;
}

int ASDeleteAllInstances()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 1;
    if (const NSHandOverTable* newSim = NSActiveHandOvers(); newSim != nullptr && newSim->deleteInstances != nullptr) {
        // The newer simulator's evaluator keeps no records of instances.
        newSim->deleteInstances();
        return 1;
    }
    CTSClearTimeLists(); // the enabling times name the instances
    se::forEachRec(root->pages, [](SEHead* r) {
        auto* page = reinterpret_cast<SEPage*>(r);
        while (page->instances != nullptr && page->instances->first != nullptr)
            ASDeleteInstance(static_cast<ASInstance*>(page->instances->first));
    });
    return 1;
}

int ASClearStepElements(SEPage* page)
{
    se::forEachRec(page->instances, [](SEHead* r) { deleteElements(reinterpret_cast<ASInstance*>(r)->steps); });
    return 1;
}

void ASResolvePort(SEHead* node, ASInstance* instance, SEHead** outNode, ASInstance** outInstance)
{
    while (instance != nullptr && instance->compound != nullptr && node != nullptr && SEIsPort(node)) {
        SEHead* socket = nullptr;
        se::forEachPair(instance->compound->assignments, [&](void* s, void* p) {
            if (p == node && socket == nullptr)
                socket = static_cast<SEHead*>(s);
        });
        if (socket == nullptr)
            break;
        node = socket;
        instance = instance->parent;
    }
    *outNode = node;
    *outInstance = instance;
}

const char* ASGetName(SEHead* record)
{
    if (record == nullptr || record->kind >= kSEKindCount) {
        EE_ReportError(kASMsgInvalidRecord);
        return nullptr;
    }
    switch (record->kind) {
    case kSEPage: return cts::mlName(reinterpret_cast<SEPage*>(record));
    case kSEPlace: return CTSPlaceStateName(reinterpret_cast<SEPlace*>(record));
    case kSETrans: return cts::mlName(reinterpret_cast<SETrans*>(record));
    case kSEArc: return cts::mlName(reinterpret_cast<SEArc*>(record));
    case kSEPageInstance: return reinterpret_cast<ASInstance*>(record)->mlName;
    case kSEBarChart: return reinterpret_cast<SEBarChart*>(record)->chartText;
    case kSELineChart: return reinterpret_cast<SELineChart*>(record)->chartText;
    default: return nullptr;
    }
}

ASInstance* ASGetParentInstance(SEHead* record)
{
    ASInstance* instance = asInstance(record);
    return instance != nullptr ? instance->parent : nullptr;
}

int32_t ASGetInstanceNumber(SEHead* record)
{
    ASInstance* instance = asInstance(record);
    return instance != nullptr ? instance->number : 0;
}

SECompound* ASGetInstanceNode(SEHead* record)
{
    ASInstance* instance = asInstance(record);
    return instance != nullptr ? instance->compound : nullptr;
}

int ASIsExecutedElementOf(SEHead* record, SETrans* transition)
{
    ASBindingElement* e = asElement(record);
    return e != nullptr && e->transition == transition && e->state == kASExecuted ? 1 : 0;
}

int ASCountChosen(SETrans* transition, ASInstance* instance)
{
    int n = 0;
    const int32_t order = ASTransOrder(transition);
    se::findRec(instance->steps, [&](SEHead* r) {
        auto* e = reinterpret_cast<ASBindingElement*>(r);
        if (ASTransOrder(e->transition) > order)
            return true;
        if (e->transition == transition &&
            (e->state == kASConfirmed || e->state == kASChosen || e->state == kASExecuted))
            ++n;
        return false;
    });
    return n;
}

// ---- further queries and shared entries ----

const char* ASGetInstanceText(SEHead* record)
{
    ASInstance* instance = asInstance(record);
    return instance != nullptr ? instance->text : nullptr;
}

LMList* ASGetElementList(SEHead* record)
{
    ASBindingElement* e = asElement(record);
    return e != nullptr ? instanceOf(e)->ownedList : nullptr;
}

namespace {

int instanceArray(std::vector<ASInstance*> items, ASInstance*** array, uint32_t* count)
{
    *count = static_cast<uint32_t>(items.size());
    *array = static_cast<ASInstance**>(QXMem_Alloc(static_cast<uint32_t>(sizeof(ASInstance*) * (items.size() + 1))));
    if (*array == nullptr)
        EE_FatalError(kASMsgOutOfMemory);
    std::copy(items.begin(), items.end(), *array);
    return 1;
}

const SETableEntry* nameEntry(const char* key)
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr || root->declHashTable == nullptr || key == nullptr)
        return nullptr;
    return static_cast<const SETableEntry*>(HashLookup(root->declHashTable, key));
}

bool sameText(const char* a, const char* b) { return std::strcmp(orEmpty(a), orEmpty(b)) == 0; }

} // namespace

int ASGetPageInstances(SEPage* page, ASInstance*** array, uint32_t* count)
{
    if (page == nullptr || page->head.kind != kSEPage) {
        EE_ReportError(kASMsgInvalidRecord);
        return 0;
    }
    std::vector<ASInstance*> items;
    se::forEachRec(page->instances, [&](SEHead* r) { items.push_back(reinterpret_cast<ASInstance*>(r)); });
    return instanceArray(std::move(items), array, count);
}

int ASGetSubInstances(ASInstance* instance, ASInstance*** array, uint32_t* count)
{
    if (asInstance(reinterpret_cast<SEHead*>(instance)) == nullptr) {
        EE_ReportError(kASMsgInvalidRecord);
        return 0;
    }
    std::vector<ASInstance*> items;
    se::forEachValue(instance->children, [&](void* v) { items.push_back(static_cast<ASInstance*>(v)); });
    return instanceArray(std::move(items), array, count);
}

int ASSameName(SEHead* a, SEHead* b)
{
    const char* x = SEGetColourSet(a);
    const char* y = SEGetColourSet(b);
    if (x == nullptr || y == nullptr)
        return x == y ? 1 : 0;
    const SETableEntry* ex = nameEntry(x);
    const SETableEntry* ey = nameEntry(y);
    if (ex == nullptr || ey == nullptr)
        return sameText(x, y) ? 1 : 0;
    return sameText(ex->key, ey->key) && sameText(ex->second, ey->second) ? 1 : 0;
}

SECodeEntry* ASNewCodeEntry(const char* text)
{
    SERoot* root = SECurrentRoot();
    auto* entry = reinterpret_cast<SECodeEntry*>(se::newRecord(kSECodeEntry));
    if (entry == nullptr)
        EE_FatalError(kASMsgOutOfMemory);
    entry->head.owner = &root->head;
    entry->text1 = se::copyText(orEmpty(text));
    uint16_t length = 0;
    entry->text2 = CTSNewNumberName(&length, 0);
    if (entry->text2 == nullptr)
        EE_FatalError(kASMsgOutOfMemory);
    entry->number = length;
    se::pushRec(root->simRecords12, &entry->head);
    return entry;
}

void ASDeleteCodeEntry(SECodeEntry* entry)
{
    if (entry == nullptr || entry->head.kind != kSECodeEntry) {
        EE_ReportError(kASMsgInvalidRecord);
        return;
    }
    se::freeText(entry->text1);
    se::freeText(entry->text2);
    se::unlinkAndFree(SECurrentRoot()->simRecords12, &entry->head);
}

SECheckEntry* ASNewCheckEntry(const char* text)
{
    SERoot* root = SECurrentRoot();
    auto* entry = reinterpret_cast<SECheckEntry*>(se::newRecord(kSECheckEntry));
    if (entry == nullptr)
        EE_FatalError(kASMsgOutOfMemory);
    entry->head.owner = &root->head;
    entry->text1 = se::copyText(orEmpty(text));
    se::pushRec(root->simRecords13, &entry->head);
    return entry;
}

void ASDeleteCheckEntry(SECheckEntry* entry)
{
    if (entry == nullptr || entry->head.kind != kSECheckEntry) {
        EE_ReportError(kASMsgInvalidRecord);
        return;
    }
    se::freeText(entry->text1);
    se::freeText(entry->text2);
    se::unlinkAndFree(SECurrentRoot()->simRecords13, &entry->head);
}

std::string ASWriteTransSeqEntry(SETrans* t, ASInstance* i)
{
    const SEPage* page = pageOf(i);
    const auto named = [](const char* n) { return std::string(n != nullptr && *n != '\0' ? n : "***"); };
    const auto flag = [](bool b) { return b ? "true" : "false"; };
    const bool code = ASRunOptions(SECurrentRoot())[1] != 0 && t->code != nullptr && *t->code != '\0' &&
                      (i->modeAttributes & kASModeCode) != 0;
    const bool timedOutput = se::findRec(t->outputArcs, [](SEHead* r) {
                                 SEPlace* p = reinterpret_cast<SEArc*>(r)->place;
                                 return p != nullptr && CTSIsTimed(&p->head) != 0;
                             }) != nullptr;
    return "(\"" + named(t->name) + "@(" + std::to_string(i->number) + ":" + named(page->name) + "#" +
           std::to_string(page->pageNumber) + ")\",\"" + orEmpty(cts::mlName(t)) + "\",\"" + orEmpty(i->mlName) +
           "\",\"" + orEmpty(cts::mlName(page)) + "\"," + flag(code) + "," + flag((t->flags & 2u) != 0) + "," +
           flag(timedOutput) + "),\n";
}

char* ASAllocString(uint32_t length)
{
    auto* text = static_cast<char*>(QXMem_Alloc(length + 1));
    if (text == nullptr)
        EE_FatalError(kASMsgOutOfMemory);
    text[length] = '\0';
    return text;
}
