// Clipboard and makeup commands that keep the abstract net in step with the
// drawing: Clear deletes the net objects of the selection, Duplicate copies
// nodes with new records, Drag moves nodes and regions (or the end object of
// a connector), Hide Regions and Show Regions switch regions' visibility.
#include "atolq/CEditor/EditorState.h"
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

void HideRegion(ObjectHandle region)
{
    GE_RefreshObjectFlags(region);
}

void ShowRegion(ObjectHandle region)
{
    GE_ClearObjectFlags(region);
}

}  // namespace

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
