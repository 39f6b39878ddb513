// Selection commands of the Group and Text menus (all nodes, regions or
// connectors of the page, a fusion set, all text) and the Page menu's
// commands that work on the pages of a command: open, close, centre, redraw
// and zoom.
#include <algorithm>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommandSupport.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "atolq/CEditor/SelectionQueries.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

namespace {

constexpr uint32_t kTypeNode = 4;
constexpr uint32_t kTypeConnector = 8;
constexpr uint32_t kTypeRegion = 16;
constexpr int32_t kCommandTextMode = 801;

// Keeps at most a group's worth of objects, saying so once when more were
// offered; selects them and records the selection type.
void SelectLimited(std::vector<ObjectHandle> objects, int16_t limitMessage, uint32_t type)
{
    if (objects.size() > kGEGroupLimit) {
        GE_MessageBox(limitMessage);
        objects.resize(kGEGroupLimit);
    }
    if (objects.empty())
        return;
    QXStr_SetCurGroup(static_cast<uint32_t>(objects.size()), objects.data());
    GE_SetSelectionType(type);
}

// A single selected region stands for its owner.
ObjectHandle OwnerOfRegion(ObjectHandle object)
{
    return (GE_KernelType(object) & kTypeRegion) != 0 ? QXStr_GetBaseObject(object) : object;
}

bool IsPlaceOrTransition(SEHead* record)
{
    return record != nullptr && (record->kind == kSEPlace || record->kind == kSETrans);
}

struct MembersOnPage {
    ObjectHandle page;
    std::vector<ObjectHandle> members;
};

int CollectMemberOnPage(uintptr_t result, void* argument)
{
    auto* collected = static_cast<MembersOnPage*>(argument);
    const auto object = static_cast<ObjectHandle>(result);
    if (object != 0 && QXStr_GetObjectPage(object) == collected->page)
        collected->members.push_back(object);
    return 1;
}

// The members of the node's fusion set that lie on the page.
std::vector<ObjectHandle> FusionMembersOnPage(SEHead* node, ObjectHandle page)
{
    MembersOnPage collected{page, {}};
    SEIter iter{};
    iter.input = SEGetFusSet(node);
    if (iter.input != nullptr)
        EQ_ForEachInQuery(5, CollectMemberOnPage, &iter, &collected);
    return collected.members;
}

int NoteMatch(uint32_t, uint32_t, uint32_t, uint32_t, void* found)
{
    *static_cast<bool*>(found) = true;
    return 1;
}

// True when the node is a place or transition in a fusion set.
bool IsFusionNode(ObjectHandle node)
{
    bool found = false;
    EQ_ForEachMatching(1, &node, kEQTypeNode, kEQFusionBits, 0, NoteMatch, &found);
    return found;
}

// Applies the operation to every page of the command, then makes the page
// that was current before current again.
template <typename Operation>
int ForEachCommandPage(Operation operation, bool restoreCurrent)
{
    const std::vector<ObjectHandle> pages = GE_CommandPages();
    if (pages.empty())
        return 0;
    const ObjectHandle previous = QXStr_GetCurPage();
    for (ObjectHandle page : pages)
        operation(page);
    if (restoreCurrent && previous != 0 && QXStr_GetCurPage() != previous)
        QXStr_SetCurPage(previous);
    return 1;
}

}  // namespace

void EE_SelectAllNodes()
{
    const ObjectHandle page = QXStr_GetCurPage();
    if (page == 0)
        return;
    SelectLimited(GE_PageNodes(page), kMsgCmdNodeLimit, kTypeNode);
}

void EE_SelectAllConnectors()
{
    const ObjectHandle page = QXStr_GetCurPage();
    if (page == 0)
        return;
    SelectLimited(GE_PageConnectors(page), kMsgCmdConnectorLimit, kTypeConnector);
}

void EE_SelectAllRegions()
{
    const ObjectHandle page = QXStr_GetCurPage();
    if (page == 0)
        return;
    const std::vector<ObjectHandle> nodes = GE_PageNodes(page);
    if (nodes.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return;
    }
    // One more than a group holds tells that the limit was passed.
    constexpr size_t kCollectLimit = kGEGroupLimit + 1;
    std::vector<ObjectHandle> regions;
    auto collect = [&](const std::vector<ObjectHandle>& owners) {
        for (ObjectHandle owner : owners) {
            for (ObjectHandle region : GE_ObjectRegions(owner)) {
                if (regions.size() >= kCollectLimit)
                    return;
                regions.push_back(region);
            }
        }
    };
    collect(nodes);
    if (regions.size() < kGEGroupLimit)
        collect(GE_PageConnectors(page));
    SelectLimited(std::move(regions), kMsgCmdRegionLimit, kTypeRegion);
}

void EE_SelectFusionSet()
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty())
        return;
    if ((GE_KernelType(selection.front()) & kTypeConnector) != 0) {
        GE_MessageBox(kMsgCmdConnector);
        return;
    }
    if (selection.size() > 1) {
        GE_MessageBox(kMsgCmdGroups);
        return;
    }
    SEHead* record = nullptr;
    const ObjectHandle node = OwnerOfRegion(selection.front());
    if (!IsFusionNode(node) || GE_GetSERecord(node, &record) == 0 || !IsPlaceOrTransition(record)) {
        GE_MessageBox(kMsgCmdNotFusion);
        return;
    }
    SelectLimited(FusionMembersOnPage(record, QXStr_GetCurPage()), kMsgCmdNodeLimit, kTypeNode);
}

void EE_SelectAllText()
{
    for (ObjectHandle object : EE_CommandSelection()) {
        uint32_t length = 0;
        if (QXText_GetLength(object, &length) != 0)
            QXText_SetSelection(object, 0, static_cast<int32_t>(length));
    }
    if (!GE_TextEditing())
        GE_DoCommand(kCommandTextMode);
}

int EE_NotImplemented()
{
    GE_MessageBox(kMsgCmdNotImplemented);
    return 0;
}

int EE_OpenPages()
{
    if (QXStr_GetCurPage() == 0)
        return 0;
    const ObjectHandle hierarchy = PGFindHierarchyPage();
    if (hierarchy == 0 || QXStr_GetCurPage() != hierarchy) {
        // On an ordinary page the hierarchy page's Page Structure command opens.
        constexpr int32_t kCommandPageStructure = 610;
        GE_DoCommand(kCommandPageStructure);
        return 1;
    }
    return ForEachCommandPage([](ObjectHandle page) { QXStr_SetCurPage(page); }, false);
}

int EE_ClosePages()
{
    const std::vector<ObjectHandle> listed = GE_CommandPages();
    uint16_t count = 0;
    ObjectHandle* block = nullptr;
    QXStr_GetPageList(&count, &block);
    const std::vector<ObjectHandle> all = GE_TakeHandleList(count, block);
    if (GE_TextEditing())
        GE_DoCommand(kCommandTextMode);
    auto isListed = [&](ObjectHandle page) { return std::find(listed.begin(), listed.end(), page) != listed.end(); };
    const bool everyOpenListed =
        std::all_of(all.begin(), all.end(), [&](ObjectHandle page) { return !GE_PageIsOpen(page) || isListed(page); });
    const ObjectHandle hierarchy = PGFindHierarchyPage();
    const bool keepHierarchy = everyOpenListed && hierarchy != 0;
    if (keepHierarchy)
        QXStr_SetCurPage(hierarchy);
    for (ObjectHandle page : listed) {
        if (keepHierarchy && page == hierarchy)
            continue;
        if (GE_PageIsOpen(page))
            GE_DeletePage(page);
    }
    return 1;
}

int EE_CenterPages()
{
    return ForEachCommandPage(
        [](ObjectHandle page) {
            char name[256] = {};
            uint16_t number = 0;
            int16_t width = 0, height = 0;
            uint32_t border = 0;
            if (QXRdAttr_GetPageAttr(page, name, &number, &width, &height, &border) != 0)
                QXUtil_SetPageOrigin(page, -width / 2, -height / 2);
        },
        false);
}

int EE_RedrawPages()
{
    return ForEachCommandPage(
        [](ObjectHandle page) {
            if (GE_PageIsOpen(page))
                QXUI_RedrawPage(page);
        },
        false);
}

int EE_ZoomInPages()
{
    return ForEachCommandPage([](ObjectHandle page) { QXStr_ZoomIn(page); }, true);
}

int EE_ZoomOutPages()
{
    return ForEachCommandPage([](ObjectHandle page) { QXStr_ZoomOut(page); }, true);
}
