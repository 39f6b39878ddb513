// Commands that build the page hierarchy and the fusion sets, and the makeup
// commands that move net nodes: Substitution Transition (a page picked on
// the hierarchy page becomes the subpage of the selected nodes), Fusion
// Place... (fusion sets created, joined, left, deleted or renamed), Merge
// Node (a node merged into a picked node), Move Node (nodes moved with their
// records to a picked page) and Merge Options....
#include "atolq/CEditor/NetHierarchyMenu.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommandSupport.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/Utils/LMList.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

namespace {

constexpr HookId kHookCandidate = 65;
constexpr int32_t kPickAnyObject = 28;
constexpr uint32_t kHiddenFlags = 0x400002;

constexpr int16_t kMsgOnlyTransitions = 11269;
constexpr int16_t kMsgNotSubstitution = 11272;
constexpr int16_t kMsgPlacesOnly = 11317;
constexpr int16_t kMsgSelectPageTransitions = 11787;
constexpr int16_t kMsgSelectPagePlaces = 11788;
constexpr int16_t kMsgSelectTargetPage = 11811;
constexpr int16_t kMsgMixedKinds = 11282;

SEHead* RecordOf(ObjectHandle object)
{
    SEHead* record = nullptr;
    return object != 0 && GE_GetSERecord(object, &record) != 0 ? record : nullptr;
}

bool IsPlaceOrTransition(const SEHead* record)
{
    return record != nullptr && (record->kind == kSEPlace || record->kind == kSETrans);
}

bool IsCompound(const SEHead* record)
{
    return IsPlaceOrTransition(record) && (record->subKind == kSESubstitution || record->subKind == kSEInvocation);
}

void ShowPrompt(int16_t message)
{
    char text[kGEMessageTextSize] = {};
    GE_GetMessageText(message, text);
    QXUI_SetStatusBarMessage(text);
}

// Runs the kernel's pick with the candidate filter on hook 65, the hook at
// rest put back afterwards.
ObjectHandle PickWith(HookHandler candidate, int32_t kinds)
{
    const HookHandler previous = Hook_GetHandler(kHookCandidate);
    Hook_Register(kHookCandidate, candidate);
    const ObjectHandle picked = QXUI_PickObject(kinds, 1);
    if (previous != nullptr)
        Hook_Register(kHookCandidate, previous);
    else
        Hook_Unregister(kHookCandidate);
    return picked;
}

// ---- page picks ----

EEPageFilter pageFilter = nullptr;

// The page that a page node of the hierarchy page stands for when the pick
// may offer it, else 0.
ObjectHandle OfferedPage(ObjectHandle node)
{
    if (node == 0 || !QXStr_IsObject(node) || QXRdAttr_GetObjectType(node) != kQXKindNode)
        return 0;
    const ObjectHandle page = PGNodePage(node);
    if (page == 0 || !QXStr_IsObject(page))
        return 0;
    SEHead* record = RecordOf(page);
    if (record == nullptr || record->kind != kSEPage)
        return 0;
    return pageFilter == nullptr || pageFilter(page) ? page : 0;
}

uintptr_t PageNodeCandidate(uintptr_t object, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return OfferedPage(static_cast<ObjectHandle>(object)) != 0 ? 1 : 0;
}

// ---- object picks ----

uint16_t pickKind = 0;
uint16_t pickSubKind = 0;

bool InsideDeferred(ObjectHandle object)
{
    const ObjectHandle deferred = GE_GetDeferredObject();
    if (deferred == 0)
        return false;
    if (object == deferred)
        return true;
    return QXRdAttr_GetObjectType(object) == kQXKindRegion && QXStr_GetBaseObject(object) == deferred;
}

bool ObjectOffered(ObjectHandle object)
{
    if (object == 0 || !QXStr_IsObject(object) || InsideDeferred(object))
        return false;
    uint32_t hidden = 0;
    if (QXRdAttr_GetFlag(object, kHiddenFlags, &hidden) != 0 && hidden != 0)
        return false;
    const SEHead* record = RecordOf(object);
    if (pickKind != 0 && (record == nullptr || record->kind != pickKind))
        return false;
    return pickSubKind == 0 || (record != nullptr && record->subKind == pickSubKind);
}

uintptr_t ObjectCandidate(uintptr_t object, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return ObjectOffered(static_cast<ObjectHandle>(object)) ? 1 : 0;
}

// ---- selections ----

// The selected nodes, a single region standing for its owner; empty after
// a refusal shown to the user.
std::vector<ObjectHandle> SelectedNodes()
{
    std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return {};
    }
    const uint32_t type = GE_KernelType(selection.front());
    if ((type & kQXKindConnector) != 0) {
        GE_MessageBox(kMsgCmdConnector);
        return {};
    }
    if ((type & kQXKindRegion) != 0) {
        if (selection.size() > 1) {
            GE_MessageBox(kMsgCmdRegionGroups);
            return {};
        }
        const ObjectHandle owner = QXStr_GetBaseObject(selection.front());
        if ((GE_KernelType(owner) & kQXKindConnector) != 0) {
            GE_MessageBox(kMsgCmdConnector);
            return {};
        }
        selection = {owner};
    }
    for (ObjectHandle object : selection) {
        if ((GE_KernelType(object) & kQXKindNode) == 0) {
            GE_MessageBox(kMsgCmdNodesOnly);
            return {};
        }
    }
    return selection;
}

// The kind shared by the nodes that may become substitution nodes: all
// places or all transitions, none of them compound already; 0 after a
// refusal.
uint16_t CompoundCandidateKind(const std::vector<ObjectHandle>& nodes)
{
    uint16_t kind = 0;
    for (ObjectHandle node : nodes) {
        const SEHead* record = RecordOf(node);
        if (!IsPlaceOrTransition(record) || (kind != 0 && record->kind != kind)) {
            GE_MessageBox(kMsgOnlyTransitions);
            return 0;
        }
        if (IsCompound(record)) {
            GE_MessageBox(kMsgNotSubstitution);
            return 0;
        }
        kind = record->kind;
    }
    return kind;
}

// The page may become the subpage of the deferred node: it takes ports of
// the other kind (or none yet), is not the node's own page and lies below
// the node in no cycle.
bool SubpageFitsDeferred(ObjectHandle page)
{
    const ObjectHandle node = GE_GetDeferredObject();
    SEHead* nodeRecord = RecordOf(node);
    SEHead* pageRecord = RecordOf(page);
    if (nodeRecord == nullptr || pageRecord == nullptr || pageRecord->kind != kSEPage)
        return false;
    if (pageRecord->subKind == nodeRecord->kind || QXStr_GetObjectPage(node) == page)
        return false;
    return SECheckCycle(nodeRecord, reinterpret_cast<SEPage*>(pageRecord)) == 1;
}

// Any page other than the one the moved nodes lie on.
ObjectHandle moveSourcePage = 0;
bool OtherPage(ObjectHandle page)
{
    return page != moveSourcePage;
}

// The connectors that join the nodes to nodes outside them.
std::vector<ObjectHandle> OuterConnectors(const std::vector<ObjectHandle>& nodes)
{
    uint16_t innerCount = 0, outerCount = 0;
    ObjectHandle* inner = nullptr;
    ObjectHandle* outer = nullptr;
    QXStr_ClassifyConnectors(static_cast<uint32_t>(nodes.size()), nodes.data(), &innerCount, &inner, &outerCount,
                             &outer);
    GE_TakeHandleList(innerCount, inner);
    return GE_TakeHandleList(outerCount, outer);
}

}  // namespace

ObjectHandle EE_PickSubpage(EEPageFilter filter)
{
    const ObjectHandle hierarchy = PGGetHierarchyPage();
    if (hierarchy == 0)
        return 0;
    const ObjectHandle previousPage = QXStr_GetCurPage();
    const ObjectHandle previousObject = QXStr_GetCurObject();
    uint32_t wasOpen = 0;
    QXStr_IsPageOpen(hierarchy, &wasOpen);
    if (previousPage != hierarchy) {
        QXStr_SetCurPage(hierarchy);
        QXUI_FlushDisplay();
    }
    pageFilter = filter;
    const ObjectHandle picked = OfferedPage(PickWith(PageNodeCandidate, kQXKindNode));
    pageFilter = nullptr;
    if (wasOpen == 0)
        QXStr_ClosePage(hierarchy);
    if (previousPage != 0 && QXStr_IsObject(previousPage))
        QXStr_SetCurPage(previousPage);
    if (previousObject != 0 && QXStr_IsObject(previousObject))
        QXStr_SetCurObject(previousObject);
    return picked;
}

ObjectHandle EE_PickObject(uint16_t kind, uint16_t subKind)
{
    pickKind = kind;
    pickSubKind = subKind;
    GE_SetDialogArgs(kind, subKind);
    const ObjectHandle picked = PickWith(ObjectCandidate, kPickAnyObject);
    const bool offered = ObjectOffered(picked);
    GE_SetDialogArgs(0, 0);
    pickKind = pickSubKind = 0;
    return offered ? picked : 0;
}

void EE_MakeSubstitution()
{
    const std::vector<ObjectHandle> nodes = SelectedNodes();
    if (nodes.empty())
        return;
    const uint16_t kind = CompoundCandidateKind(nodes);
    if (kind == 0)
        return;
    GE_EndTextEdit();
    // The first node is a substitution node while the page is picked, so
    // that the pick can test each page for a cycle through it.
    const ObjectHandle first = nodes.front();
    SEHead* firstRecord = RecordOf(first);
    if (SEMakeCompound(firstRecord, kSESubstitution) == nullptr)
        return;
    GE_SetDeferredObject(first);
    ShowPrompt(kind == kSETrans ? kMsgSelectPageTransitions : kMsgSelectPagePlaces);
    const ObjectHandle page = EE_PickSubpage(SubpageFitsDeferred);
    QXUI_UpdateStatusBar();
    GE_SetDeferredObject(0);
    SEUnmakeCompound(firstRecord);
    if (page == 0)
        return;
    for (ObjectHandle node : nodes) {
        if (EE_MakeCompound(node, kSESubstitution, nullptr) == 0)
            return;
        if (EE_AssignSubpage(node, page, 1) == 0) {
            // A substitution node without its subpage is no state of the
            // net: the node stays as it was.
            SEUnmakeCompound(RecordOf(node));
            return;
        }
        EE_UpdateHierarchyTag(node);
    }
}

void EE_Merge()
{
    const std::vector<ObjectHandle> nodes = SelectedNodes();
    if (nodes.empty() || QXStr_GetCurPage() == 0)
        return;
    const SEHead* record = RecordOf(nodes.front());
    uint16_t kind = 0;
    uint16_t subKind = 0;
    if (record != nullptr && record->kind == kSEDeclNode) {
        kind = kSEDeclNode;
        subKind = record->subKind;
    } else if (IsPlaceOrTransition(record)) {
        kind = record->kind;
    }
    for (ObjectHandle node : nodes) {
        const SEHead* each = RecordOf(node);
        if ((each == nullptr ? 0 : each->kind) != kind) {
            GE_MessageBox(kMsgMixedKinds);
            return;
        }
    }
    GE_EndTextEdit();
    GE_SetDeferredObject(nodes.front());
    const ObjectHandle target = EE_PickObject(kind, subKind);
    GE_SetDeferredObject(0);
    if (target == 0)
        return;
    const int cursor = EE_BeginBusy("Merging");
    EE_MergeNodeInto(static_cast<uint16_t>(nodes.size()), nodes.data(), target, 1);
    EE_EndBusy(cursor);
}

void EE_MoveToPage()
{
    const std::vector<ObjectHandle> nodes = SelectedNodes();
    if (nodes.empty())
        return;
    for (ObjectHandle node : nodes) {
        if (PGIsHierarchyObject(node, nullptr) != 0) {
            GE_MessageBox(kMsgCmdNoPageNodes);
            return;
        }
    }
    GE_EndTextEdit();
    ShowPrompt(kMsgSelectTargetPage);
    moveSourcePage = QXStr_GetObjectPage(nodes.front());
    const ObjectHandle target = EE_PickSubpage(OtherPage);
    moveSourcePage = 0;
    QXUI_UpdateStatusBar();
    if (target == 0)
        return;
    const int cursor = EE_BeginBusy("Moving");
    for (ObjectHandle connector : OuterConnectors(nodes))
        EE_DeleteNetObject(connector);
    EE_MoveNodesToPage(static_cast<uint16_t>(nodes.size()), nodes.data(), nullptr, target, RecordOf(target));
    if (GE_PageIsOpen(target))
        QXUI_RedrawPage(target);
    EE_EndBusy(cursor);
}

void EE_MergeOptions()
{
    std::array<uint32_t, 6> six{};
    DefGetMergeOptions(six.data(), kDefLevelDiagram);
    if (EE_AskMergeOptions(six.data()) == 0)
        return;
    QXStr_SetModified(1);
    DefSetMergeOptions(six.data(), kDefLevelDiagram);
    QXUtil_SetProperty9(0, 0, static_cast<int32_t>(six[4]));
}

// ---- fusion sets ----

namespace {

constexpr int16_t kMsgFusionNameIllegal = 11291;

std::vector<SEHead*> CollectedSets(ObjectHandle page, uint16_t kind)
{
    std::vector<SEHead*> sets;
    LMList* list = EE_CollectFusionSets(page, kind);
    if (list == nullptr)
        return sets;
    for (LMRewind(list); LMMore(list) != 0; LMAdvance(list)) {
        void* value = nullptr;
        void* second = nullptr;
        if (LMCurrent(list, &value, &second) != 0 && value != nullptr)
            sets.push_back(static_cast<SEHead*>(value));
    }
    LMDestroy(list);
    return sets;
}

SEHead* SetNamed(const std::vector<SEHead*>& sets, const std::string& name)
{
    for (SEHead* set : sets) {
        const char* own = SEGetName(set);
        if (own != nullptr && name == own)
            return set;
    }
    return nullptr;
}

char* CopyOf(const std::string& text)
{
    char* copy = GE_Alloc(static_cast<uint32_t>(text.size() + 1));
    if (copy != nullptr)
        std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// The set of the selected nodes' kind made and named, owned by the page (by
// the root for a global set).
SEHead* CreateSet(uint16_t nodeKind, uint16_t type, ObjectHandle page, const std::string& name)
{
    SEPage* owner = type == kSEFusGlobal ? nullptr : reinterpret_cast<SEPage*>(RecordOf(page));
    SEHead* set = nodeKind == kSEPlace ? reinterpret_cast<SEHead*>(SECreatePlaceFusSet(type, owner))
                                       : reinterpret_cast<SEHead*>(SECreateTransFusSet(type, owner));
    if (set != nullptr && SESetName(set, CopyOf(name)) == 0) {
        EE_DeleteFusionSet(set);
        return nullptr;
    }
    return set;
}

}  // namespace

void EE_FusionCommand()
{
    const std::vector<ObjectHandle> nodes = SelectedNodes();
    if (nodes.empty())
        return;
    uint16_t nodeKind = 0;
    for (ObjectHandle node : nodes) {
        const SEHead* record = RecordOf(node);
        if (!IsPlaceOrTransition(record) || (nodeKind != 0 && record->kind != nodeKind)) {
            GE_MessageBox(kMsgPlacesOnly);
            return;
        }
        nodeKind = record->kind;
    }
    const ObjectHandle page = QXStr_GetCurPage();
    SEHead* firstRecord = RecordOf(nodes.front());
    SEHead* ownSet = SEIsFusMem(firstRecord) != 0 ? SEGetFusSet(firstRecord) : nullptr;
    EEFusionAnswer answer;
    if (EE_AskFusion(nodes.front(), ownSet, &answer) == 0)
        return;
    const std::vector<SEHead*> sets = CollectedSets(page, nodeKind);
    switch (answer.action) {
    case 1: {
        if (answer.name.empty()) {
            GE_MessageBox(kMsgFusionNameIllegal);
            return;
        }
        SEHead* set = CreateSet(nodeKind, answer.type, page, answer.name);
        if (set == nullptr)
            return;
        for (ObjectHandle node : nodes) {
            if (EE_AddFusionMember(node, set) == 0)
                return;
        }
        break;
    }
    case 2: {
        SEHead* set = SetNamed(sets, answer.name);
        if (set == nullptr) {
            GE_MessageBox(kMsgFusionNameIllegal);
            return;
        }
        for (ObjectHandle node : nodes) {
            if (EE_AddFusionMember(node, set) == 0)
                return;
        }
        break;
    }
    case 3:
        for (ObjectHandle node : nodes)
            EE_RemoveFusionMember(node);
        break;
    case 4: {
        SEHead* set = ownSet != nullptr ? ownSet : SetNamed(sets, answer.name);
        if (set != nullptr)
            EE_DropFusionSets(set, 1);
        break;
    }
    case 5: {
        SEHead* set = ownSet != nullptr ? ownSet : SetNamed(sets, answer.name);
        if (set == nullptr || answer.name.empty())
            return;
        const EEFusionChoice choice{answer.type, answer.name.c_str(), page};
        EE_RenameFusionSet(set, 1, &choice);
        break;
    }
    default: break;
    }
}
