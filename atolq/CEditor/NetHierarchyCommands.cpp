// Hierarchy commands of the TOLQ menu: Move to Subpage moves the selected
// nodes to a new subpage behind a substitution node, with port places and
// their assignments; Port Place... makes the selected places ports of the
// type the user chooses.
#include <algorithm>

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommandSupport.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/SelectionFilters.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "atolq/CEditor/NetServices.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

namespace {

constexpr uint32_t kTypeConnector = 8;
constexpr uint32_t kTypeRegion = 16;

bool Contains(const std::vector<ObjectHandle>& objects, ObjectHandle object)
{
    return std::find(objects.begin(), objects.end(), object) != objects.end();
}

// The border connectors of the nodes with, per connector, whether its start
// lies inside and its outer and inner ends.
struct Border {
    std::vector<ObjectHandle> connectors;
    std::vector<uint32_t> startInside;
    std::vector<ObjectHandle> outer;
    std::vector<ObjectHandle> inner;
};

Border BorderOf(const std::vector<ObjectHandle>& nodes)
{
    uint16_t innerCount = 0, outerCount = 0;
    ObjectHandle* inner = nullptr;
    ObjectHandle* outer = nullptr;
    QXStr_ClassifyConnectors(static_cast<uint32_t>(nodes.size()), nodes.data(), &innerCount, &inner, &outerCount,
                             &outer);
    GE_TakeHandleList(innerCount, inner);
    Border border;
    for (ObjectHandle connector : GE_TakeHandleList(outerCount, outer)) {
        ObjectHandle start = 0, end = 0;
        if (QXRdAttr_GetConnEnds(connector, 0, &start, &end) == 0)
            continue;
        const bool startInside = Contains(nodes, QXStr_GetBaseObject(start)) || Contains(nodes, start);
        border.connectors.push_back(connector);
        border.startInside.push_back(startInside ? 1 : 0);
        border.outer.push_back(startInside ? end : start);
        border.inner.push_back(startInside ? start : end);
    }
    return border;
}

// Moves the nodes to a new subpage behind a substitution node; the node, or
// 0 when refused or cancelled.
ObjectHandle MoveNodesToNewSubpage(const std::vector<ObjectHandle>& nodes)
{
    const Border border = BorderOf(nodes);
    EEMoveToSubpageArgs args;
    args.count = static_cast<uint16_t>(nodes.size());
    args.objects = nodes.data();
    args.borderCount = static_cast<uint16_t>(border.connectors.size());
    args.border = border.connectors.data();
    args.insideFlags = border.startInside.data();
    args.outerEnds = border.outer.data();
    args.innerEnds = border.inner.data();
    ObjectHandle compound = 0;
    EE_MoveToSubpageHook(args, &compound);
    return compound;
}

}  // namespace

void EE_MoveToSubpage()
{
    std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return;
    }
    const uint32_t type = GE_KernelType(selection.front());
    if ((type & kTypeConnector) != 0) {
        GE_MessageBox(kMsgCmdConnector);
        return;
    }
    if ((type & kTypeRegion) != 0) {
        if (selection.size() > 1) {
            GE_MessageBox(kMsgCmdRegionGroups);
            return;
        }
        // A single region stands for its owner; what moving it should do is
        // not settled, so the command ends here.
        if ((GE_KernelType(QXStr_GetBaseObject(selection.front())) & kTypeConnector) != 0)
            GE_MessageBox(kMsgCmdConnector);
        return;
    }
    const int cursor = EE_BeginBusy("Moving To Subpage");
    QXStr_SetCurGroup(static_cast<uint32_t>(selection.size()), selection.data());
    // The kernel's coarsening would hand the group to the net layer's hook
    // and then be refused by it, since the net side builds the subpage
    // itself; so the net side is built here at once.
    const ObjectHandle compound = MoveNodesToNewSubpage(selection);
    if (compound != 0) {
        QXStr_SetCurGroup(1, &compound);
        QXStr_SetCurObject(compound);
    }
    const ObjectHandle page = QXStr_GetCurPage();
    QXUI_RedrawPage(page);
    QXUI_RedrawPage(page);
    QXUtil_Synchronize();
    EE_EndBusy(cursor);
}

void EE_PortCommand()
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return;
    }
    EEFilterRecord record;
    uint32_t type = 0, net = 0, graphic = 0;
    if (EQ_MapSpec(static_cast<uint32_t>(selection.size()), selection.data(), EE_FilterPortType, &record, &type, &net,
                   &graphic) == 0)
        return;
    uint16_t portType = 0;
    if (EE_AskPortType(record.portTypes, &portType) == 0)
        return;
    if (selection.size() == 1 && (GE_KernelType(selection.front()) & kTypeRegion) != 0) {
        EE_MakePort(QXStr_GetBaseObject(selection.front()), portType);
        return;
    }
    for (ObjectHandle node : selection) {
        if (EE_MakePort(node, portType) == 0)
            return;
    }
}
