// Clipboard and makeup commands that keep the abstract net in step with the
// drawing: Cut and Copy leave net objects in the clipboard without records
// (their net kind kept beside them) and Paste gives the pasted objects records
// again; Clear deletes the net objects of the selection, Duplicate copies
// nodes with new records, Drag moves nodes and regions (or the end object of
// a connector), Hide Regions and Show Regions switch regions' visibility.
#include <algorithm>

#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/HookHandlers.h"
#include "atolq/CEditor/ModeHooks.h"
#include "atolq/CEditor/NetCreateSeam.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "atolq/Utils/LMList.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommandSupport.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/OGA/OGAUtils.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/undo/Undo.h"

namespace {

constexpr uint32_t kTypeNode = 4;
constexpr uint32_t kTypeConnector = 8;
constexpr uint32_t kTypeRegion = 16;

bool OnHierarchyPage()
{
    const ObjectHandle hierarchy = PGFindHierarchyPage();
    return hierarchy != 0 && QXStr_GetCurPage() == hierarchy;
}

constexpr int16_t kCommandCut = 303;
constexpr int16_t kCommandPaste = 305;
constexpr int16_t kMsgChartRegionCut = 11408;
constexpr int16_t kMsgClipboardHasNet = 11333;
constexpr uint32_t kTypePage = 2;
// The region kind of a connector's end tag.
constexpr int32_t kEndTagKind = -2;

bool HasRecord(ObjectHandle object)
{
    SEHead* record = nullptr;
    return GE_GetSERecord(object, &record) != 0 && record != nullptr;
}

// The inscription regions of a node copy keep their kinds in their kind word
// while the copy lies in the clipboard without a record, so that a paste can
// make them inscriptions again.
void KeepRegionKinds(ObjectHandle object)
{
    for (ObjectHandle region : GE_ObjectRegions(object)) {
        const int32_t kind = GE_RegionKindOf(region);
        if (kind > 0)
            GE_SetAuxWord(region, static_cast<uint32_t>(kind));
        KeepRegionKinds(region);
    }
}

void RestoreRegionKinds(ObjectHandle object)
{
    for (ObjectHandle region : GE_ObjectRegions(object)) {
        const auto kind = static_cast<int32_t>(GE_GetAuxWord(region));
        if (kind > 0) {
            QXWtAttr_SetRegionKind(region, static_cast<uint32_t>(kind));
            GE_DeleteUserData(region, static_cast<uint16_t>(kTagAuxWord));
        }
        RestoreRegionKinds(region);
    }
}

void StripNodeCopy(ObjectHandle node, int cut)
{
    KeepRegionKinds(node);
    EE_StripNodeCopy(node, cut);
}

// A connector that went to the clipboard: its record link goes and its net
// kind is kept beside it; with the cut flag the arc records are deleted.
void StripConnectorCopy(ObjectHandle connector, int cut)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(connector, &record) == 0 || record == nullptr)
        return;
    if (cut != 0)
        EE_DeleteStrippedRecord(connector, 0);
    GE_DeleteSERecord(connector);
    // The link to a partner arc goes too: a pasted copy makes its own.
    if (GE_HasUserData(connector, kTagSecondRecord) != 0)
        GE_DeleteUserData(connector, static_cast<uint16_t>(kTagSecondRecord));
    GE_SetAuxWord(connector, kSEArc);
}

void StripCopy(ObjectHandle object, int cut)
{
    if ((GE_KernelType(object) & kTypeConnector) != 0)
        StripConnectorCopy(object, cut);
    else if ((GE_KernelType(object) & kTypeNode) != 0)
        StripNodeCopy(object, cut);
}

// Takes the records off what the kernel put into the clipboard; false when it
// holds nothing.
bool CleanClipboard(int cut, bool netInvolved)
{
    const ObjectHandle content = QXStr_GetBucketContent();
    if (content == 0)
        return false;
    GE_ClearStateFlags(kGEClipboardHasNet);
    if (netInvolved)
        GE_SetStateFlags(kGEClipboardHasNet);
    if ((GE_KernelType(content) & kTypePage) != 0) {
        for (ObjectHandle connector : GE_PageConnectors(content))
            StripConnectorCopy(connector, cut);
        for (ObjectHandle node : GE_PageNodes(content))
            StripNodeCopy(node, cut);
    } else {
        StripCopy(content, cut);
    }
    return true;
}

bool AnyRecord(const std::vector<ObjectHandle>& objects)
{
    return std::any_of(objects.begin(), objects.end(), HasRecord);
}

// Before nodes are cut: the arcs that join them to the rest lose their net
// objects.
void DeleteOuterArcs(const std::vector<ObjectHandle>& nodes)
{
    uint16_t innerCount = 0, outerCount = 0;
    ObjectHandle* inner = nullptr;
    ObjectHandle* outer = nullptr;
    QXStr_ClassifyConnectors(static_cast<uint32_t>(nodes.size()), nodes.data(), &innerCount, &inner, &outerCount,
                             &outer);
    GE_TakeHandleList(innerCount, inner);
    for (ObjectHandle connector : GE_TakeHandleList(outerCount, outer))
        EE_DeleteNetObject(connector);
}

int CutCopyNodes(int16_t command, const std::vector<ObjectHandle>& selection)
{
    const bool cut = command == kCommandCut;
    const bool net = AnyRecord(selection);
    if (cut)
        DeleteOuterArcs(selection);
    GE_DoCommand(command);
    return CleanClipboard(cut ? 1 : 0, net) ? 1 : 0;
}

int CutCopyConnectors(int16_t command, const std::vector<ObjectHandle>& selection)
{
    const bool cut = command == kCommandCut;
    const bool net = AnyRecord(selection);
    std::vector<ObjectHandle> ends;
    if (cut) {
        for (ObjectHandle connector : selection) {
            ObjectHandle start = 0, end = 0;
            QXRdAttr_GetConnEnds(connector, 0, &start, &end);
            ends.push_back(start);
            ends.push_back(end);
        }
    }
    GE_DoCommand(command);
    if (!CleanClipboard(cut ? 1 : 0, net))
        return 0;
    // End tags that the cut connectors leave behind go too.
    for (ObjectHandle end : ends) {
        if (end != 0 && QXStr_IsObject(end) != 0 && (GE_KernelType(end) & kTypeRegion) != 0 &&
            GE_RegionKindOf(end) == kEndTagKind)
            QXStr_DeleteObject(end);
    }
    return 1;
}

// The kind word kept on a clipboard copy: 2 place, 3 transition, 4 arc,
// 12 to 14 declaration nodes (global, local, temporary).
constexpr uint16_t kSavedGlobalDecl = 12;
constexpr uint16_t kSavedLocalDecl = 13;
constexpr uint16_t kSavedTemporaryDecl = 14;

bool RecreateNode(ObjectHandle object, uint16_t kind)
{
    switch (kind) {
    case kSEPlace:
        RestoreRegionKinds(object);
        if (EE_CreateNetPlace(object) == 0)
            return false;
        EE_StorePlaceTexts(object);
        return true;
    case kSETrans:
        RestoreRegionKinds(object);
        if (EE_CreateNetTrans(object) == 0)
            return false;
        EE_StoreTransTexts(object);
        return true;
    case kSavedGlobalDecl:
    case kSavedLocalDecl:
    case kSavedTemporaryDecl: {
        static constexpr uint16_t kSubKind[] = {1, 2, 3};
        const uint16_t subKind = kSubKind[kind - kSavedGlobalDecl];
        ObjectHandle page = 0;
        if (subKind == 2) {
            page = QXStr_GetObjectPage(object);
            while (page != 0 && GE_KernelType(page) != kTypePage)
                page = QXStr_GetObjectPage(page);
        }
        if (EE_CreateDeclNode(object, page, subKind) == 0)
            return false;
        EE_BuildDeclRegions(object);
        return true;
    }
    default: return false;
    }
}

}  // namespace

int EE_RecreatePastedRecord(ObjectHandle object)
{
    constexpr int16_t kMsgUnexpectedPaste = 16419;
    const uint32_t saved = GE_GetAuxWord(object);
    const auto kind = static_cast<uint16_t>(saved & 0xffff);
    if (kind == 0)
        return 1;
    // A pasted chart is a drawing: its record stays with the original chart.
    if (kind == kSEBarChart || kind == kSELineChart) {
        GE_DeleteUserData(object, static_cast<uint16_t>(kTagAuxWord));
        return 1;
    }
    bool made = false;
    if (kind == kSEArc) {
        RestoreRegionKinds(object);
        made = EE_CreateNetArc(object) != 0;
        if (made)
            EE_SetArcExprFromRegion(object);
    } else if ((GE_KernelType(object) & kTypeNode) != 0) {
        made = RecreateNode(object, kind);
    }
    if (!made) {
        EE_ReportError(kMsgUnexpectedPaste);
        return 0;
    }
    GE_DeleteUserData(object, static_cast<uint16_t>(kTagAuxWord));
    return 1;
}

namespace {

// Gives pasted objects their records again from the kind kept beside them:
// the nodes first, then the arcs between them.
void RecreatePastedRecords(const std::vector<ObjectHandle>& pasted)
{
    for (ObjectHandle object : pasted) {
        if ((GE_KernelType(object) & kTypeNode) != 0 && GE_GetAuxWord(object) != 0)
            EE_RecreatePastedRecord(object);
    }
    for (ObjectHandle object : pasted) {
        if ((GE_KernelType(object) & kTypeNode) == 0)
            continue;
        for (ObjectHandle connector : GE_ConnectorsOf(object)) {
            if ((GE_GetAuxWord(connector) & 0xffff) == kSEArc)
                EE_RecreatePastedRecord(connector);
        }
    }
    for (ObjectHandle object : pasted) {
        if ((GE_KernelType(object) & kTypeConnector) != 0 && (GE_GetAuxWord(object) & 0xffff) == kSEArc)
            EE_RecreatePastedRecord(object);
    }
}

// ---- regions through the clipboard ----

// A region in the clipboard keeps its offset from its owner (in whole
// pixels) and its kind, so that a paste can hang it on an owner again.
void KeepOffsetFromOwner(ObjectHandle region, ObjectHandle owner)
{
    Fixed rx = 0, ry = 0, ox = 0, oy = 0;
    QXRdAttr_GetPosition(region, &rx, &ry);
    QXRdAttr_GetPosition(owner, &ox, &oy);
    GE_SetRegionPair(region, rx - ox, ry - oy);
}

void DropOffsetTags(ObjectHandle object)
{
    GE_DeleteUserData(object, static_cast<uint16_t>(kTagRegionPairA));
    GE_DeleteUserData(object, static_cast<uint16_t>(kTagRegionPairB));
}

// A region kind that the net keeps an inscription or tag for.
bool IsNetKind(int32_t kind)
{
    return kind > 0;
}

int CutCopyRegion(int16_t command, ObjectHandle region)
{
    if (EE_IsProtectedChartRegion(region) != 0) {
        GE_MessageBox(kMsgChartRegionCut);
        return 0;
    }
    const bool cut = command == kCommandCut;
    const int32_t kind = GE_RegionKindOf(region);
    const ObjectHandle owner = QXStr_GetObjectPage(region);
    KeepOffsetFromOwner(region, owner);
    GE_DoCommand(command);
    const ObjectHandle content = QXStr_GetBucketContent();
    if (!cut && QXStr_IsObject(region) != 0)
        DropOffsetTags(region);
    if (content == 0 || content == region)
        return 0;
    GE_ClearStateFlags(kGEClipboardHasNet);
    // The mark that sends a paste of this content to an owner of its own.
    if (GE_HasUserData(content, kTagChartTag) == 0)
        GE_SetUserFlag(content, kTagChartTag);
    if (GE_GetAuxWord(content) != 0)
        GE_DeleteUserData(content, static_cast<uint16_t>(kTagAuxWord));
    if (IsNetKind(kind)) {
        GE_SetAuxWord(content, static_cast<uint32_t>(kind));
        GE_SetStateFlags(kGEClipboardHasNet);
        if (cut && QXStr_IsObject(owner) != 0)
            EE_RegionRemoved(owner, kind);
    }
    return 1;
}

// The region's text given to another object, whose old text goes.
void ReplaceText(ObjectHandle target, ObjectHandle source)
{
    QXText_SetText(target, "");
    QXText_AppendText(target, GE_TextOf(source).c_str());
}

// Places a region at its owner's position plus the offset it kept.
void PlaceByOwner(ObjectHandle region, ObjectHandle owner)
{
    int32_t dx = 0, dy = 0;
    if (GE_GetRegionPair(region, &dx, &dy) == 0)
        return;
    Fixed ox = 0, oy = 0;
    QXRdAttr_GetPosition(owner, &ox, &oy);
    QXWtAttr_SetPosition(region, ox + dx, oy + dy);
}

// Hangs the pasted region on the owner as the kind; an owner that has a
// region of the kind keeps it with the pasted text. The region that remains.
ObjectHandle HangAsKind(ObjectHandle region, ObjectHandle owner, int32_t kind)
{
    ObjectHandle existing = 0;
    if (GE_GetRegion(owner, kind, &existing) != 0 && existing != 0 && existing != region) {
        ReplaceText(existing, region);
        QXStr_DeleteObject(region);
        return existing;
    }
    if (GE_AttachAsRegion(owner, region, kind) == 0)
        return 0;
    PlaceByOwner(region, owner);
    return region;
}

ObjectHandle HangAsPlainRegion(ObjectHandle region, ObjectHandle owner)
{
    GE_DeleteUserData(region, static_cast<uint16_t>(kTagChartTag));
    if (GE_AttachRegion(owner, region, kRegionPlain) == 0)
        return 0;
    PlaceByOwner(region, owner);
    return region;
}

void HideRegion(ObjectHandle region)
{
    GE_RefreshObjectFlags(region);
}

void ShowRegion(ObjectHandle region)
{
    GE_ClearObjectFlags(region);
}

// ---- an arc through the clipboard ----

// The end of a pasted connector, as the new-arc check takes it.
ObjectHandle BaseOf(ObjectHandle end)
{
    return end != 0 && (GE_KernelType(end) & kTypeRegion) != 0 ? QXStr_GetBaseObject(end) : end;
}

// Hook 1 while a pasted arc waits for its ends: when the user has joined
// them, the arc gets its records back, or is taken away again when its ends
// are no place and transition; cancelled, nothing was pasted.
uintptr_t PastedArcEnded(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    Hook_Unregister(kHookCommandEnd);
    const ObjectHandle connector = QXStr_GetCurObject();
    const bool pastedArc = connector != 0 && QXStr_IsObject(connector) != 0 &&
                           (GE_KernelType(connector) & kTypeConnector) != 0 &&
                           (GE_GetAuxWord(connector) & 0xffff) == kSEArc && !HasRecord(connector);
    if (pastedArc) {
        ObjectHandle start = 0, end = 0;
        QXRdAttr_GetConnEnds(connector, 1, &start, &end);
        if (EE_CheckNewArc(BaseOf(start), BaseOf(end), 0, start, end, 0) == 0) {
            QXStr_DeleteObject(connector);
        } else if (EE_RecreatePastedRecord(connector) != 0) {
            GE_DeleteRegion(connector, kRegionInputToken);
            GE_DeleteRegion(connector, kRegionOutputToken);
        }
    }
    GE_SetCreateKind(kGECreateNone);
    GE_ClearStateFlags(kGEPasteWaiting);
    GE_SetDeferredObject(0);
    return 1;
}

// An arc from the clipboard: the kernel lets the user pick its two ends;
// the arc is made when they are picked.
int PasteArc()
{
    GE_SetCreateKind(kGECreateArc);
    GE_ClearStateFlags(kGEPasteWaiting);
    Hook_Set(kHookCommandEnd, PastedArcEnded);
    GE_DoCommand(kCommandPaste);
    return 1;
}

// A region from the clipboard: pasted as an object of the page, then hung on
// the owner the user picks.
int PasteRegion()
{
    constexpr HookId kHookSelection = 16;
    Hook_Unregister(kHookSelection);
    GE_DoCommand(kCommandPaste);
    const std::vector<ObjectHandle> pasted = EE_CommandSelection();
    Hook_Set(kHookSelection, GE_EditorHookHandler(kHookSelection));
    if (pasted.empty())
        return 0;
    EE_RelinkPastedRegion(pasted.front());
    return 1;
}

constexpr int16_t kMsgPageObjects = 11308;
constexpr int16_t kMsgRegionGroupCut = 11304;
constexpr int16_t kMsgTagRegions = 11288;
constexpr uint32_t kPageObjectBits = 0xff000;
constexpr uint32_t kPortBits = 0x1e01e;
constexpr uint32_t kSocketBits = 0x800800;
constexpr uint32_t kCompoundBits = 0x600600;
constexpr uint32_t kHierarchyConnectorBits = 0xff0000;
constexpr uint32_t kTagRegionBits = 0x606078;
constexpr uint32_t kTagLabelBits = 0x1800000;

int RefuseCut(EECutCopyRecord& record, int16_t message)
{
    record.refusal = message;
    GE_MessageBox(message);
    return 0;
}

void NoteCompound(EECutCopyRecord& record, ObjectHandle node)
{
    if (record.compounds != nullptr && node != 0 && EE_IsCompoundNode(node) != 0)
        LMAppend(record.compounds, reinterpret_cast<void*>(static_cast<uintptr_t>(node)), nullptr);
}

int FilterCutNode(EECutCopyRecord& record, ObjectHandle node, uint32_t netMask, uint32_t graphicMask)
{
    if ((graphicMask & kPageObjectBits) != 0)
        return RefuseCut(record, kMsgPageObjects);
    if (!record.cut)
        return 1;
    SEHead* head = nullptr;
    if ((netMask & (kPortBits | kSocketBits)) != 0 && record.compounds != nullptr &&
        GE_GetSERecord(node, &head) != 0 && head != nullptr)
        EE_CollectPortPeers(record.compounds, node, head);
    if ((netMask & kCompoundBits) != 0)
        PGDropSubpageArc(node);
    return 1;
}

int FilterCutConnector(EECutCopyRecord& record, ObjectHandle connector, uint32_t graphicMask)
{
    if (record.group)
        return RefuseCut(record, kMsgCmdConnectorGroup);
    if ((graphicMask & kHierarchyConnectorBits) != 0)
        return RefuseCut(record, kMsgPageObjects);
    ObjectHandle start = 0, end = 0;
    QXRdAttr_GetConnEnds(connector, 1, &start, &end);
    for (ObjectHandle at : {start, end})
        NoteCompound(record, at != 0 && (GE_KernelType(at) & kTypeRegion) != 0 ? QXStr_GetBaseObject(at) : at);
    return 1;
}

int FilterCutRegion(EECutCopyRecord& record, uint32_t netMask)
{
    if (record.group)
        return RefuseCut(record, kMsgRegionGroupCut);
    if ((netMask & kTagRegionBits) != 0)
        return RefuseCut(record, kMsgTagRegions);
    if ((netMask & kTagLabelBits) != 0)
        return RefuseCut(record, kMsgPageObjects);
    return 1;
}

}  // namespace

int EE_FilterCutCopy(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* argument)
{
    auto& record = *static_cast<EECutCopyRecord*>(argument);
    switch (type) {
    case kTypeNode: return FilterCutNode(record, object, netMask, graphicMask);
    case kTypeConnector: return FilterCutConnector(record, object, graphicMask);
    case kTypeRegion: return FilterCutRegion(record, netMask);
    default: return 1;
    }
}

int EE_CutCopy(int16_t command)
{
    if (GE_TextEditing()) {
        GE_DoCommand(command);
        return 1;
    }
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return 0;
    }
    EECutCopyRecord record;
    record.cut = command == kCommandCut;
    record.group = QXRdAttr_IsGroupSelected() != 0;
    record.compounds = LMCreate(kLMValueList);
    uint32_t type = 0, net = 0, graphic = 0;
    int result = 0;
    if (EQ_MapSpec(static_cast<uint32_t>(selection.size()), selection.data(), EE_FilterCutCopy, &record, &type, &net,
                   &graphic) != 0) {
        if ((type & kTypeNode) != 0)
            result = CutCopyNodes(command, selection);
        else if ((type & kTypeConnector) != 0)
            result = CutCopyConnectors(command, selection);
        else if ((type & kTypeRegion) != 0)
            result = CutCopyRegion(command, selection.front());
        if (result != 0)
            EE_UpdateCollectedTags(record.compounds);
    }
    LMDestroy(record.compounds);
    return result;
}

int EE_Paste()
{
    if (GE_TextEditing()) {
        GE_DoCommand(kCommandPaste);
        return 0;
    }
    if (GE_TestStateFlags(kGEClipboardHasNet) != 0 && OnHierarchyPage()) {
        GE_MessageBox(kMsgClipboardHasNet);
        return 0;
    }
    const ObjectHandle content = QXStr_GetBucketContent();
    if (content == 0) {
        GE_DoCommand(kCommandPaste);
        return 0;
    }
    const uint32_t type = GE_KernelType(content);
    if ((type & (kTypePage | kTypeNode | kTypeRegion | kTypeConnector)) == 0)
        return 0;
    if ((type & kTypeConnector) == 0 && GE_HasUserData(content, kTagChartTag) != 0)
        return PasteRegion();
    if ((type & kTypeConnector) != 0 && (GE_GetAuxWord(content) & 0xffff) == kSEArc)
        return PasteArc();
    GE_DoCommand(kCommandPaste);
    const std::vector<ObjectHandle> pasted = EE_CommandSelection();
    // Copies of the occurrence graph's objects are plain objects.
    if (GE_GetMode() == kGEModeSimulator)
        OGAPasteCleanup(pasted);
    RecreatePastedRecords(pasted);
    return 1;
}

int EE_RelinkPastedRegion(ObjectHandle region)
{
    if (region == 0 || QXStr_IsObject(region) == 0)
        return 0;
    const auto kind = static_cast<int32_t>(GE_GetAuxWord(region));
    GE_SetDeferredObject(region);
    const ObjectHandle owner = GE_PickRegionParent(kind);
    GE_SetDeferredObject(0);
    QXUI_UpdateStatusBar();
    if (owner == 0 || QXStr_IsObject(owner) == 0 || owner == region) {
        QXStr_DeleteObject(region);
        return 0;
    }
    const ObjectHandle kept = IsNetKind(kind) ? HangAsKind(region, owner, kind) : HangAsPlainRegion(region, owner);
    if (kept == 0) {
        if (QXStr_IsObject(region) != 0)
            QXStr_DeleteObject(region);
        return 0;
    }
    EE_UpdateNetFromObject(kept);
    DropOffsetTags(kept);
    GE_DeleteUserData(kept, static_cast<uint16_t>(kTagAuxWord));
    QXStr_SetCurObject(kept);
    return 1;
}

int EE_Clear()
{
    if (GE_TextEditing())
        return 0;
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return 0;
    }
    const bool group = selection.size() > 1;
    const int cursor = EE_BeginBusy("Clearing");
    // The hierarchy page deletes the pages of its selected page nodes itself.
    const bool goOn = !OnHierarchyPage() || PGDeleteSelection() != 0;
    if (goOn && !OnHierarchyPage()) {
        if (group)
            QXUI_ShowObjects(static_cast<uint32_t>(selection.size()), selection.data());
        else
            QXUI_ShowObject(selection.front());
        for (ObjectHandle object : selection) {
            if (QXStr_IsObject(object) != 0)
                EE_DeleteNetObject(object);
        }
    }
    constexpr int kArrowCursor = 4;
    EE_EndBusy(group ? kArrowCursor : cursor);
    return 1;
}

void EE_Duplicate()
{
    if (OnHierarchyPage()) {
        GE_MessageBox(kMsgCmdHierarchyPage);
        return;
    }
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return;
    }
    if ((GE_KernelType(selection.front()) & kTypeNode) == 0) {
        GE_MessageBox(kMsgCmdNodesOnly);
        return;
    }
    const int cursor = EE_BeginBusy("Duplicating");
    constexpr int16_t kDistance = 10;
    constexpr uint32_t kKeepAll = kEEKeepPorts | kEEKeepFusion | kEEKeepNodeFlag | kEEKeepCompound;
    EE_DuplicateNodes(static_cast<uint16_t>(selection.size()), selection.data(), kDistance, kKeepAll, nullptr,
                      nullptr);
    EE_SelectCommandObjects(selection);
    EE_EndBusy(cursor);
}

int EE_Drag()
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty())
        return 0;
    const ObjectHandle first = selection.front();
    if ((GE_KernelType(first) & kTypeConnector) == 0) {
        constexpr int32_t kCommandDrag = 504;
        GE_DoCommand(kCommandDrag);
        return 1;
    }
    if (selection.size() > 1) {
        GE_MessageBox(kMsgCmdConnectorGroup);
        return 0;
    }
    // The event's detail tells which end: the start with its first flag.
    int32_t detail = 0;
    QXUtil_GetInboxDetail(&detail);
    ObjectHandle start = 0, end = 0;
    if (QXRdAttr_GetConnEnds(first, 1, &start, &end) == 0)
        return 0;
    const ObjectHandle target = (detail & 1) != 0 ? start : end;
    if (target == 0)
        return 0;
    QXStr_SetCurObject(target);
    return 1;
}

int EE_HideRegions()
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty())
        return 0;
    ObjectHandle owner = 0;
    for (ObjectHandle object : selection) {
        if ((GE_KernelType(object) & kTypeRegion) != 0) {
            HideRegion(object);
            owner = QXStr_GetBaseObject(object);
        } else {
            for (ObjectHandle region : GE_ObjectRegions(object))
                HideRegion(region);
        }
    }
    if (owner != 0)
        QXStr_SetCurObject(owner);
    return 1;
}

int EE_ShowRegions()
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty())
        return 0;
    for (ObjectHandle object : selection) {
        for (ObjectHandle region : GE_ObjectRegions(object))
            ShowRegion(region);
    }
    return 1;
}

int EE_UndoCommand()
{
    constexpr int16_t kMsgOnlyAlignUndo = 11327;
    constexpr int16_t kCommandUndo = 301;
    const uint32_t kind = Undo_GetKind();
    if (kind < 1 || kind > 4) {
        GE_MessageBox(kMsgOnlyAlignUndo);
        return 0;
    }
    GE_DoCommand(kCommandUndo);
    return 1;
}
