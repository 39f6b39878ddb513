// Inscription rules checked by the evaluator: the global and temporary
// declaration nodes (parsed, then defined one declaration at a time), the
// local declarations of a page and the initial markings of places.
#include <algorithm>
#include <string>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/Utils/HashTable.h"
#include "xkv/kv/QXText.h"

namespace {
constexpr uint32_t kCheckedMark = 0x1000;
constexpr uint32_t kMarkingMark = 0x100;
constexpr const char* kMsgDeclNode = "C.4 Error in global/temporary declaration node";
constexpr const char* kMsgTooManyLocal = "C.3 Too many local declaration nodes";
constexpr const char* kMsgLocalDecl = "C.5 Error in local declaration node";
constexpr const char* kMsgMarking = "C.8 Initial marking must be legal";

bool hasText(const char* text) { return text != nullptr && text[0] != '\0'; }

std::string ObjectText(uint32_t object)
{
    uint32_t length = 0;
    if (object == 0 || QXText_GetLength(object, &length) == 0 || length == 0)
        return {};
    std::string buffer(length + 1u, '\0');
    uint32_t got = length;
    QXText_GetText(object, buffer.data(), &got);
    buffer.resize(std::min<size_t>(got, length));
    return buffer.substr(0, buffer.find('\0'));
}

// A node's declarations: its own text, then the texts of its entries'
// regions. A converted node holds only its title, which declares nothing.
std::string DeclarationText(const SEDeclNode* node)
{
    if (node == nullptr)
        return {};
    std::string text = hasText(node->text) ? node->text : "";
    if (node->entries == nullptr || node->entries->first == nullptr)
        return text;
    if (hasText(node->name) && text == node->name)
        text.clear();
    se::forEachRec(node->entries, [&](SEHead* h) {
        text += "\n" + ObjectText(reinterpret_cast<SEDeclEntry*>(h)->kvObject);
    });
    return text;
}

// The record's ML name, given from the name counter when it has none.
const char* mlNameOf(SEText& name)
{
    if (name == nullptr)
        name = CTSNewNumberName(nullptr, 0);
    return name != nullptr ? name : "";
}

const SETableEntry* colourEntry(const char* colourSet)
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr || root->declHashTable == nullptr || colourSet == nullptr)
        return nullptr;
    return static_cast<const SETableEntry*>(HashLookup(root->declHashTable, colourSet));
}
} // namespace

int CTSCheckDeclNode(SEDeclNode* node, int subKind)
{
    MemFile* reply = CTSReplyBuffer();
    if (node == nullptr || reply == nullptr)
        return 0;
    const bool global = subKind == kSEDeclGlobal;
    MemFileReset(reply);
    int result = CTSParseDecl(subKind, DeclarationText(node).c_str(), reply);
    while (result == 0) {
        if (global && CTSProgress() == 0)
            return 0;
        MemFileReset(reply);
        result = CTSDefineGlob(reply);
    }
    if (result >= 0 && result <= 2) {
        node->flags |= kCheckedMark;
        if (global)
            DeclsCompiled = 1;
        return 1;
    }
    CTSReport(&node->head, kMsgDeclNode, reply);
    return 0;
}

void CTSUncheckForLocalDecls(LMList* transitions)
{
    se::forEachRec(transitions, [](SEHead* h) {
        auto* trans = reinterpret_cast<SETrans*>(h);
        if (trans->code == nullptr)
            return;
        trans->flags &= ~kCheckedMark;
        if (trans->compound != nullptr)
            trans->compound->flags &= ~kCheckedMark;
        for (LMList* arcs : {trans->inputArcs, trans->outputArcs})
            se::forEachRec(arcs, [](SEHead* a) { se::freeText(reinterpret_cast<SEArc*>(a)->text); });
    });
}

int CTSCheckLocalDecls(SEPage* page)
{
    if (!CTSPageInUse(page) || (page->flags & kCheckedMark) != 0)
        return 0;
    const uint16_t nodes = LMCount(page->localDecls);
    if (nodes > 1) {
        se::forEachRec(page->localDecls, [done = false](SEHead* node) mutable {
            if (!done)
                CTSReport(node, kMsgTooManyLocal);
            done = true;
        });
        return 1;
    }
    SEDeclNode* node = nullptr;
    se::forEachRec(page->localDecls, [&](SEHead* h) { node = reinterpret_cast<SEDeclNode*>(h); });
    MemFile* reply = CTSReplyBuffer();
    MemFileReset(reply);
    if (CTSParseLocDecl(mlNameOf(page->text), DeclarationText(node).c_str(), reply) < 0) {
        if (node != nullptr)
            CTSReport(&node->head, kMsgLocalDecl, reply);
        return 1;
    }
    page->flags |= kCheckedMark;
    if (node != nullptr)
        node->flags |= kCheckedMark;
    ++CTSCurrentContext().progress.counters[0];
    CTSUncheckForLocalDecls(page->transitions);
    return 0;
}

int CTSCheckPlaceMarking(SEPlace* place)
{
    if (place == nullptr || place->fusionSet != nullptr || (place->flags & kCheckedMark) == 0 ||
        (place->flags & kMarkingMark) != 0)
        return 0;
    const char* name = mlNameOf(place->text2);
    if (hasText(place->initMark)) {
        const SETableEntry* entry = colourEntry(place->colourSet);
        MemFile* reply = CTSReplyBuffer();
        MemFileReset(reply);
        const int result = entry == nullptr ? -1
                                            : CTSCheckInitialMarking(place->initMark, place->colourSet, name,
                                                                     entry->second, entry->flag != 0, reply);
        if (result != 1 && result != 2) {
            CTSReport(&place->head, kMsgMarking, reply);
            return 1;
        }
    }
    place->flags |= kMarkingMark;
    ++CTSCurrentContext().progress.counters[1];
    return 0;
}
