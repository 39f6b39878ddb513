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
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommandSupport.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

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
    GE_SetAuxWord(connector, kSEArc);
}

void StripCopy(ObjectHandle object, int cut)
{
    if ((GE_KernelType(object) & kTypeConnector) != 0)
        StripConnectorCopy(object, cut);
    else if ((GE_KernelType(object) & kTypeNode) != 0)
        EE_StripNodeCopy(object, cut);
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
            EE_StripNodeCopy(node, cut);
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

// Gives pasted objects their records again from the kind kept beside them:
// places and transitions first, then the arcs between them.
void RecreatePastedRecords(const std::vector<ObjectHandle>& pasted)
{
    for (ObjectHandle object : pasted) {
        const uint32_t saved = GE_GetAuxWord(object);
        const uint16_t kind = static_cast<uint16_t>(saved & 0xffff);
        if (kind == kSEPlace && EE_CreateNetPlace(object) != 0)
            GE_DeleteUserData(object, static_cast<uint16_t>(kTagAuxWord));
        else if (kind == kSETrans && EE_CreateNetTrans(object) != 0)
            GE_DeleteUserData(object, static_cast<uint16_t>(kTagAuxWord));
    }
    for (ObjectHandle object : pasted) {
        if ((GE_KernelType(object) & kTypeNode) == 0)
            continue;
        for (ObjectHandle connector : GE_ConnectorsOf(object)) {
            if (GE_GetAuxWord(connector) == kSEArc && EE_CreateNetArc(connector) != 0)
                GE_DeleteUserData(connector, static_cast<uint16_t>(kTagAuxWord));
        }
    }
    for (ObjectHandle object : pasted) {
        if ((GE_KernelType(object) & kTypeConnector) != 0 && GE_GetAuxWord(object) == kSEArc &&
            EE_CreateNetArc(object) != 0)
            GE_DeleteUserData(object, static_cast<uint16_t>(kTagAuxWord));
    }
}

void HideRegion(ObjectHandle region)
{
    GE_RefreshObjectFlags(region);
}

void ShowRegion(ObjectHandle region)
{
    GE_ClearObjectFlags(region);
}

}  // namespace

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
    const uint32_t type = GE_KernelType(selection.front());
    if ((type & kTypeNode) != 0)
        return CutCopyNodes(command, selection);
    if ((type & kTypeConnector) != 0)
        return CutCopyConnectors(command, selection);
    if ((type & kTypeRegion) != 0) {
        if (EE_IsProtectedChartRegion(selection.front()) != 0) {
            GE_MessageBox(kMsgChartRegionCut);
            return 0;
        }
        GE_DoCommand(command);
        return QXStr_GetBucketContent() != 0 ? 1 : 0;
    }
    return 0;
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
    if ((GE_KernelType(content) & (kTypePage | kTypeNode | kTypeRegion | kTypeConnector)) == 0)
        return 0;
    GE_DoCommand(kCommandPaste);
    RecreatePastedRecords(EE_CommandSelection());
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
