// Hierarchy commands of the TOLQ menu: Move to Subpage moves the selected
// nodes to a new subpage behind a substitution node, with port places and
// their assignments; Replace by Subpage... puts copies of a substitution
// transition's subpage in its place, each port's copy merged into its
// socket; Port Place... makes the selected places ports of the type the user
// chooses; Port Assignment... assigns the port the user picks on the subpage
// to the selected socket.
#include <algorithm>
#include <iterator>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommandSupport.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/SelectionFilters.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/Utils/LMList.h"
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

namespace {

// The records of a new list (kind 1), in order; the list is freed.
std::vector<SEHead*> TakeRecords(LMList* list)
{
    std::vector<SEHead*> records;
    if (list == nullptr)
        return records;
    for (LMRewind(list); LMMore(list) != 0; LMAdvance(list)) {
        void* value = nullptr;
        void* second = nullptr;
        if (LMCurrent(list, &value, &second) != 0 && value != nullptr)
            records.push_back(static_cast<SEHead*>(value));
    }
    LMDestroy(list);
    return records;
}

// The kernel object of the port assigned to each socket of the node, 0 for
// a socket without one.
std::vector<std::pair<ObjectHandle, ObjectHandle>> SocketPorts(SEHead* node)
{
    std::vector<std::pair<ObjectHandle, ObjectHandle>> pairs;
    for (SEHead* socket : TakeRecords(SEGetSockets(node))) {
        SEHead* port = SEGetAssignment(node, socket);
        pairs.emplace_back(SEGetKVObj(socket), port != nullptr ? SEGetKVObj(port) : 0);
    }
    return pairs;
}

bool Filled(const char* text)
{
    return text != nullptr && text[0] != '\0';
}

// Why replacing the substitution transition would lose what the copies of
// its subpage cannot give back: its own guard, time or code, or the
// transition itself when the subpage holds none to take its place (as after
// moving a single transition to a subpage). Null when nothing is lost.
const char* ReplacementLoss(ObjectHandle node)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(node, &record) == 0 || record == nullptr || record->kind != kSETrans)
        return nullptr;
    const auto* transition = reinterpret_cast<const SETrans*>(record);
    if (Filled(transition->guard) || Filled(transition->time) || Filled(transition->code))
        return "Replace by Subpage would lose the guard, time or code of the substitution transition.";
    for (ObjectHandle inner : GE_PageNodes(SEGetSubpageObj(record))) {
        SEHead* innerRecord = nullptr;
        if (GE_GetSERecord(inner, &innerRecord) != 0 && innerRecord != nullptr && innerRecord->kind == kSETrans)
            return nullptr;
    }
    return "Replace by Subpage needs a transition on the subpage to take the place of the substitution transition.";
}

}  // namespace

int EE_ReplaceBySubpage(ObjectHandle node, int deleteSubpage, int option)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(node, &record) == 0 || record == nullptr || ReplacementLoss(node) != nullptr)
        return 0;
    const ObjectHandle subpage = SEGetSubpageObj(record);
    const ObjectHandle page = QXStr_GetObjectPage(node);
    SEHead* pageRecord = nullptr;
    if (subpage == 0 || page == 0 || GE_GetSERecord(page, &pageRecord) == 0)
        return 0;
    const std::vector<std::pair<ObjectHandle, ObjectHandle>> sockets = SocketPorts(record);
    const std::vector<ObjectHandle> inner = GE_PageNodes(subpage);
    if (inner.empty())
        return 0;
    // The subpage's places and transitions are copied in place and moved
    // with their records to the node's page.
    std::vector<ObjectHandle> copies(inner.size(), 0);
    const auto count = static_cast<uint16_t>(inner.size());
    constexpr uint32_t kKeep = kEEKeepFusion | kEEKeepNodeFlag | kEEKeepCompound;
    if (EE_DuplicateNodes(count, inner.data(), 0, kKeep, EE_PlacesAndTransitions, copies.data()) == 0)
        return 0;
    std::vector<ObjectHandle> moved;
    std::copy_if(copies.begin(), copies.end(), std::back_inserter(moved), [](ObjectHandle c) { return c != 0; });
    if (EE_MoveNodesToPage(static_cast<uint16_t>(moved.size()), moved.data(), nullptr, page, pageRecord) == 0)
        return 0;
    // The copy of each socket's port takes the socket's place.
    std::vector<std::pair<ObjectHandle, ObjectHandle>> merges;
    for (const auto& [socket, port] : sockets) {
        const auto at = std::find(inner.begin(), inner.end(), port);
        if (port != 0 && at != inner.end() && copies[static_cast<size_t>(at - inner.begin())] != 0)
            merges.emplace_back(copies[static_cast<size_t>(at - inner.begin())], socket);
    }
    EE_DeleteNetObject(node);
    for (const auto& [copy, socket] : merges) {
        EE_MergeCopyIntoSocket(copy, socket, option);
        EE_UpdateHierarchyTag(socket);
    }
    if (deleteSubpage != 0)
        EE_DeleteSubpage(subpage);
    return 1;
}

void EE_ReplaceBySubpageCommand()
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return;
    }
    EEFilterRecord filter;
    uint32_t type = 0, net = 0, graphic = 0;
    if (EQ_MapSpec(static_cast<uint32_t>(selection.size()), selection.data(), EE_FilterSubstitution, &filter, &type,
                   &net, &graphic) == 0)
        return;
    // Nothing is replaced when any of the transitions would lose what its
    // subpage cannot restore.
    for (ObjectHandle node : selection) {
        if (const char* loss = ReplacementLoss(node)) {
            QXUI_ShowMessage(loss);
            return;
        }
    }
    int deletePages = 0, deletePorts = 0, duplicatePorts = 0;
    if (EE_AskReplaceOptions(&deletePages, &deletePorts, &duplicatePorts) == 0)
        return;
    const int cursor = EE_BeginBusy("Replacing By Subpage");
    const ObjectHandle page = QXStr_GetObjectPage(selection.front());
    // Merging the copies into the sockets takes no texts along meanwhile.
    uint32_t saved[6] = {};
    const bool haveSaved = DefGetMergeOptions(saved, kDefLevelDiagram) != 0;
    const uint32_t none[6] = {};
    DefSetMergeOptions(none, kDefLevelDiagram);
    for (ObjectHandle node : selection) {
        if (EE_ReplaceBySubpage(node, deletePages, deletePorts) == 0)
            break;
    }
    if (haveSaved)
        DefSetMergeOptions(saved, kDefLevelDiagram);
    if (GE_PageIsOpen(page))
        QXUI_RedrawPage(page);
    EE_EndBusy(cursor);
}

namespace {

constexpr int16_t kMsgPlacesOnly = 11317;
constexpr int16_t kMsgNotForSubstitution = 11318;
constexpr int16_t kMsgSingleSocket = 11280;

// The one node of a Port Assignment selection (a region stands for its
// owner); 0 after a refusal.
ObjectHandle SocketOfSelection(const std::vector<ObjectHandle>& selection)
{
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return 0;
    }
    const uint32_t type = GE_KernelType(selection.front());
    if ((type & kTypeConnector) != 0) {
        GE_MessageBox(kMsgCmdConnector);
        return 0;
    }
    if (selection.size() > 1) {
        GE_MessageBox((type & kTypeRegion) != 0 ? kMsgCmdRegionGroups : kMsgCmdNodeGroups);
        return 0;
    }
    ObjectHandle node = selection.front();
    if ((type & kTypeRegion) != 0) {
        node = QXStr_GetBaseObject(node);
        if ((GE_KernelType(node) & kTypeConnector) != 0) {
            GE_MessageBox(kMsgCmdConnector);
            return 0;
        }
    }
    SEHead* record = nullptr;
    if (GE_GetSERecord(node, &record) == 0 || record == nullptr ||
        (record->kind != kSEPlace && record->kind != kSETrans)) {
        GE_MessageBox(kMsgPlacesOnly);
        return 0;
    }
    if (record->subKind == kSESubstitution || record->subKind == kSEInvocation) {
        GE_MessageBox(kMsgNotForSubstitution);
        return 0;
    }
    if (SEHasCompoundPeer(record) == 0) {
        GE_MessageBox(kMsgSingleSocket);
        return 0;
    }
    return node;
}

}  // namespace

void EE_PortAssignmentCommand()
{
    const ObjectHandle socket = SocketOfSelection(EE_CommandSelection());
    if (socket == 0)
        return;
    const ObjectHandle transition = EE_FindCompoundPeer(socket);
    SEHead* socketRecord = nullptr;
    SEHead* transitionRecord = nullptr;
    if (transition == 0 || GE_GetSERecord(socket, &socketRecord) == 0 ||
        GE_GetSERecord(transition, &transitionRecord) == 0)
        return;
    const int direction = SEArcDirection(socketRecord, transitionRecord);
    const ObjectHandle subpage = SEGetSubpageObj(transitionRecord);
    if (subpage == 0 || direction <= 0)
        return;
    // The port is picked on the subpage, opened for the pick when it was
    // closed and closed again afterwards.
    const ObjectHandle first = QXStr_GetCurPage();
    const bool wasOpen = GE_PageIsOpen(subpage);
    QXStr_SetCurPage(subpage);
    QXUtil_Synchronize();
    const ObjectHandle port = EE_PickPort(static_cast<uint16_t>(direction), kSEPlace);
    if (!wasOpen)
        GE_DeletePage(subpage);
    if (first != 0)
        QXStr_SetCurPage(first);
    if (port == 0)
        return;
    if (EE_AssignPort(transition, socket, port) != 0)
        EE_UpdateHierarchyTag(transition);
}
