// The tree of page nodes on the hierarchy page: links in user data
// (big-endian words), attaching and detaching, the layout of one node or of
// the whole tree, the updates after changes of pages and relations, and the
// layout options.
#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/PageStructure/HierarchyInternal.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kvud/UserData.h"

namespace {

constexpr int32_t kWatchCursor = 17;
constexpr int32_t kAlignLeftToLeft = 903;
constexpr int32_t kAlignTopToTop = 907;
constexpr Fixed kRootOffset = 0x50000;
// Deeper trees than this are taken as broken links.
constexpr size_t kMaxDepth = 10000;

PGOptionValues options;
int layoutEnabled = 0;
int recursiveLayout = 0;
int unitMultipliers = 1;
int styleUpdate = 1;



// A link word that does not name a page node reads as none.
uint32_t ValidNode(uint32_t handle)
{
    return handle != 0 && PGIsHierarchyObject(handle, nullptr) && QXRdAttr_GetObjectType(handle) == kQXKindNode
               ? handle
               : 0;
}

PGTreeLink LinkOf(ObjectHandle node)
{
    PGTreeLink link;
    PGTreeRead(node, &link);
    return link;
}

ObjectHandle Root()
{
    return PGFindPageNode(PGFindHierarchyPage());
}

// The children of a node in order, at most its child count of them.
std::vector<ObjectHandle> Children(ObjectHandle parent)
{
    std::vector<ObjectHandle> children;
    const PGTreeLink link = LinkOf(parent);
    ObjectHandle child = link.firstChild;
    for (int16_t i = 0; i < link.childCount && child != 0; ++i) {
        if (std::find(children.begin(), children.end(), child) != children.end()) {
            break;  // a sibling loop
        }
        children.push_back(child);
        child = LinkOf(child).next;
    }
    return children;
}

// Whether the node is the ancestor or the node itself.
bool IsWithin(ObjectHandle node, ObjectHandle ancestor)
{
    for (size_t depth = 0; node != 0 && depth < kMaxDepth; ++depth) {
        if (node == ancestor) {
            return true;
        }
        node = LinkOf(node).parent;
    }
    return false;
}



bool Shown(uint16_t kind)
{
    return kind == kPGSubstitutionArc ? options.showSubstitutions != 0
                                      : kind == kPGInvocationArc && options.showInvocations != 0;
}

struct Point {
    Fixed x = 0;
    Fixed y = 0;
};

Point PositionOf(ObjectHandle node)
{
    Point p;
    QXRdAttr_GetPosition(node, &p.x, &p.y);
    return p;
}

Fixed Times(Fixed value, uint16_t factor)
{
    const int64_t product = int64_t{value} * factor;
    return static_cast<Fixed>(std::clamp<int64_t>(product, INT32_MIN, INT32_MAX));
}

// The relation that a diagram node stands for: its arc kind and sub page.
struct Relation {
    uint16_t kind = 0;
    ObjectHandle subPage = 0;
};

Relation RelationOf(ObjectHandle node)
{
    if (QXRdAttr_GetObjectType(node) != kQXKindNode) {
        return {};
    }
    SEHead* record = nullptr;
    if (GE_GetSERecord(node, &record) == 0 || record == nullptr) {
        return {};
    }
    uint16_t kind = 0;
    uint16_t subKind = 0;
    SEGetKind(record, &kind, &subKind);
    if ((kind != kSEPlace && kind != kSETrans) || (subKind != kSESubstitution && subKind != kSEInvocation)) {
        return {};
    }
    const uint16_t arcKind = subKind == kSESubstitution ? kPGSubstitutionArc : kPGInvocationArc;
    return {arcKind, SEGetSubpageObj(record)};
}

// Turns layout on for a scope and restores it after.
class ForcedLayout {
public:
    ForcedLayout() : saved_(layoutEnabled) { layoutEnabled = 1; }
    ~ForcedLayout() { layoutEnabled = saved_; }
    ForcedLayout(const ForcedLayout&) = delete;
    ForcedLayout& operator=(const ForcedLayout&) = delete;

private:
    int saved_;
};

// Places one node by its parent and its siblings.
void PlaceNode(ObjectHandle node)
{
    Fixed dx = options.xSpacing;
    Fixed dy = options.ySpacing;
    if (const ObjectHandle page = PGNodeHierarchyPage(node); page != 0) {
        QXUI_Align(node, kAlignTopToTop, page, 0);
        QXUI_Align(node, kAlignLeftToLeft, page, 0);
        const Point p = PositionOf(node);
        QXWtAttr_SetPosition(node, p.x + kRootOffset, p.y + kRootOffset);
        return;
    }
    const ObjectHandle parent = LinkOf(node).parent;
    PGTreeLink parentLink;
    if (parent == 0 || !PGTreeRead(parent, &parentLink)) {
        return;
    }
    const int mode = PGNodeMode(node);
    Point start;
    const ObjectHandle reference = PGPreviousOfMode(parent, node, mode);
    if (PGFirstChildOfMode(parent, mode) != node && reference != 0) {
        const bool unit = recursiveLayout != 0 && unitMultipliers != 0;
        const uint16_t m1 = unit ? 1 : options.topMultiplier;
        const uint16_t m2 = unit ? 1 : options.childMultiplier;
        start = PositionOf(reference);
        Point max = start;
        if (recursiveLayout != 0) {
            PGSubtreeMax(reference, &max.x, &max.y);
        }
        if (mode == 1) {
            dx = Times(dx, m1);
            dy = 0;
            start.x = max.x;
        } else if (mode == 2) {
            dy = 0;
        } else {
            dx = 0;
            start.y = max.y;
            if (PGNodeMode(parent) != 0) {
                dy = Times(dy, m2);
            }
        }
    } else {
        start = PositionOf(parent);
        if (mode == 2) {
            dy = 0;
        } else if (mode == 1) {
            dx = 0;
        }
    }
    QXWtAttr_SetPosition(node, start.x + dx, start.y + dy);
}

}  // namespace

// ---- tree links ----

int PGTreeRead(ObjectHandle node, PGTreeLink* link)
{
    *link = PGTreeLink{};
    uint32_t length = 0;
    if (node == 0 || QXStr_IsObject(node) == 0 || UD_GetFieldSize(node, kTagTreeLink, &length) == 0 ||
        length != 16) {
        return 0;
    }
    std::array<uint8_t, 16> bytes{};
    if (UD_GetField(node, kTagTreeLink, bytes.data()) == 0) {
        return 0;
    }
    link->parent = ValidNode(pg::Get32(bytes.data()));
    link->next = ValidNode(pg::Get32(bytes.data() + 4));
    link->firstChild = ValidNode(pg::Get32(bytes.data() + 8));
    link->childCount = link->firstChild != 0 ? static_cast<int16_t>(pg::Get32(bytes.data() + 12)) : 0;
    return 1;
}

int PGTreeWrite(ObjectHandle node, const PGTreeLink& link)
{
    std::array<uint8_t, 16> bytes{};
    pg::Put32(bytes.data(), link.parent);
    pg::Put32(bytes.data() + 4, link.next);
    pg::Put32(bytes.data() + 8, link.firstChild);
    pg::Put32(bytes.data() + 12, static_cast<uint32_t>(static_cast<int32_t>(link.childCount)));
    if (UD_SetField(node, kTagTreeLink, bytes.data(), 16) == 0) {
        EE_ReportError(kMsgUserDataWriteFailed);
        return 0;
    }
    return 1;
}

ObjectHandle PGPreviousSibling(ObjectHandle parent, ObjectHandle child)
{
    const std::vector<ObjectHandle> children = Children(parent);
    if (child == 0) {
        return children.empty() ? 0 : children.back();
    }
    const auto at = std::find(children.begin(), children.end(), child);
    return at == children.end() || at == children.begin() ? 0 : *(at - 1);
}

int PGAttach(ObjectHandle parentPage, ObjectHandle childPage)
{
    const ObjectHandle parent = PGFindPageNode(parentPage);
    const ObjectHandle child = PGFindPageNode(childPage);
    if (parent == 0 || child == 0) {
        return 0;
    }
    const PGTreeLink old = LinkOf(child);
    if (old.parent == parent) {
        return 0;
    }
    if (old.parent != 0 && old.parent != Root()) {
        return 0;  // stays under the page it was first attached to
    }
    if (IsWithin(parent, child)) {
        return 0;  // would close a loop: the parent hangs below the child
    }
    if (old.parent != 0) {
        PGDetach(old.parent, child);
    }
    PGTreeLink parentLink = LinkOf(parent);
    if (parentLink.childCount > 0 && parentLink.firstChild != 0) {
        const ObjectHandle last = PGPreviousSibling(parent, 0);
        PGTreeLink lastLink = LinkOf(last);
        lastLink.next = child;
        if (!PGTreeWrite(last, lastLink)) {
            return 0;
        }
        parentLink.childCount = static_cast<int16_t>(Children(parent).size() + 1);
    } else {
        parentLink.firstChild = child;
        parentLink.childCount = 1;
    }
    if (!PGTreeWrite(parent, parentLink)) {
        return 0;
    }
    PGTreeLink childLink = LinkOf(child);
    childLink.parent = parent;
    childLink.next = 0;  // appended at the end
    return PGTreeWrite(child, childLink);
}

void PGDetach(ObjectHandle parent, ObjectHandle child)
{
    PGTreeLink childLink = LinkOf(child);
    if (parent == 0) {
        parent = childLink.parent;
    }
    if (childLink.parent == 0 || childLink.parent != parent) {
        return;
    }
    PGTreeLink parentLink = LinkOf(parent);
    if (parentLink.firstChild != child) {
        if (const ObjectHandle previous = PGPreviousSibling(parent, child); previous != 0) {
            PGTreeLink previousLink = LinkOf(previous);
            previousLink.next = childLink.next;
            PGTreeWrite(previous, previousLink);
        }
    } else {
        parentLink.firstChild = childLink.next;
    }
    parentLink.childCount = static_cast<int16_t>(std::max(0, parentLink.childCount - 1));
    if (parentLink.childCount == 0) {
        parentLink.firstChild = 0;
    }
    if (PGIsHierarchyObject(parent, nullptr)) {
        PGTreeWrite(parent, parentLink);
    }
    childLink.parent = 0;
    childLink.next = 0;
    PGTreeWrite(child, childLink);
}

ObjectHandle PGSuperNode(ObjectHandle node)
{
    for (ObjectHandle arc : pg::ConnectorsOf(node)) {
        ObjectHandle start = 0;
        ObjectHandle end = 0;
        QXRdAttr_GetConnEnds(arc, 0, &start, &end);
        if (end == node && start != node && Shown(PGArcKind(arc))) {
            return start;
        }
    }
    return 0;
}

int PGAttachToSuper(ObjectHandle superNode, ObjectHandle node)
{
    if (superNode == 0) {
        superNode = PGSuperNode(node);
    }
    const ObjectHandle parentPage = superNode != 0 ? PGNodePage(superNode) : PGFindHierarchyPage();
    return PGAttach(parentPage, PGNodePage(node));
}

void PGReattach(ObjectHandle parent, ObjectHandle node)
{
    PGDetach(parent, node);
    PGAttachToSuper(0, node);
}

int PGNodeMode(ObjectHandle node)
{
    const ObjectHandle root = Root();
    if (node == 0 || root == 0 || node == root) {
        return 0;
    }
    const PGTreeLink link = LinkOf(node);
    if (link.parent != root) {
        return 0;
    }
    if (link.childCount > 0) {
        return 1;
    }
    for (ObjectHandle arc : pg::ConnectorsOf(node)) {
        if (Shown(PGArcKind(arc))) {
            return 1;
        }
    }
    return 2;
}

ObjectHandle PGFirstChildOfMode(ObjectHandle parent, int mode)
{
    for (ObjectHandle child : Children(parent)) {
        if (PGNodeMode(child) == mode) {
            return child;
        }
    }
    return 0;
}

ObjectHandle PGPreviousOfMode(ObjectHandle parent, ObjectHandle node, int mode)
{
    ObjectHandle found = 0;
    for (ObjectHandle child : Children(parent)) {
        if (child == node) {
            return found;
        }
        if (PGNodeMode(child) == mode) {
            found = child;
        }
    }
    return 0;
}

void PGSubtreeMax(ObjectHandle node, Fixed* maxX, Fixed* maxY)
{
    std::set<ObjectHandle> seen;
    std::vector<ObjectHandle> stack{node};
    while (!stack.empty()) {
        const ObjectHandle each = stack.back();
        stack.pop_back();
        if (each == 0 || !seen.insert(each).second) {
            continue;
        }
        const Point p = PositionOf(each);
        *maxX = std::max(*maxX, p.x);
        *maxY = std::max(*maxY, p.y);
        for (ObjectHandle child : Children(each)) {
            stack.push_back(child);
        }
    }
}

void PGLayoutNode(ObjectHandle node)
{
    // A pre-order walk in recursive layout: node, its subtree, then its next
    // siblings; each node once even when the links loop.
    std::set<ObjectHandle> seen;
    std::vector<ObjectHandle> stack{node};
    while (!stack.empty()) {
        const ObjectHandle each = stack.back();
        stack.pop_back();
        PGTreeLink link;
        if (layoutEnabled == 0 || each == 0 || !seen.insert(each).second || !PGTreeRead(each, &link)) {
            continue;
        }
        PlaceNode(each);
        if (recursiveLayout != 0) {
            stack.push_back(link.next);
            stack.push_back(link.firstChild);
        }
    }
}

// ---- updates ----

void PGAddRelation(ObjectHandle node)
{
    const Relation relation = RelationOf(node);
    if (relation.subPage == 0) {
        return;
    }
    const ObjectHandle subNode = PGFindPageNode(relation.subPage);
    const ObjectHandle superNode = PGFindPageNode(QXStr_GetObjectPage(node));
    if (subNode == 0 || superNode == 0) {
        return;
    }
    ForcedLayout forced;
    const bool isolated = PGNodeMode(superNode) == 2;
    if (Shown(relation.kind) && PGAttachToSuper(superNode, subNode)) {
        if (isolated) {
            PGReattach(LinkOf(superNode).parent, superNode);
            PGLayoutNode(superNode);
        }
        PGLayoutNode(subNode);
    }
    PGAddArcFor(node, relation.subPage, relation.kind);
    if (isolated) {
        PGReattach(LinkOf(superNode).parent, superNode);
        PGLayoutNode(superNode);
    }
}

void PGAfterArcGone(ObjectHandle superNode, ObjectHandle subNode, uint16_t kind)
{
    if (!Shown(kind)) {
        return;
    }
    PGDetach(superNode, subNode);
    ForcedLayout forced;
    if (PGNodeMode(superNode) == 2) {
        PGReattach(LinkOf(superNode).parent, superNode);
        PGLayoutNode(superNode);
    }
    if (PGAttachToSuper(0, subNode)) {
        PGLayoutNode(subNode);
    }
}

int PGNodeRelation(ObjectHandle node, uint16_t* kind, ObjectHandle* subPage)
{
    const Relation relation = RelationOf(node);
    *kind = relation.kind;
    *subPage = relation.subPage;
    return relation.subPage != 0 ? 1 : 0;
}

void PGRemoveRelation(ObjectHandle node)
{
    const Relation relation = RelationOf(node);
    if (relation.subPage == 0) {
        return;
    }
    const ObjectHandle subNode = PGFindPageNode(relation.subPage);
    const ObjectHandle superNode = PGFindPageNode(QXStr_GetObjectPage(node));
    const ObjectHandle arc = PGFindArc(superNode, subNode, relation.kind);
    if (arc != 0 && PGRemoveLabel(arc, node)) {
        PGAfterArcGone(superNode, subNode, relation.kind);
    }
}

void PGAddPage(ObjectHandle page)
{
    if (PGFindPageNode(page) != 0 || !PGCreatePageNode(page)) {
        return;
    }
    PGAttach(PGFindHierarchyPage(), page);
    ForcedLayout forced;
    PGLayoutNode(PGFindPageNode(page));
}

void PGRemovePage(ObjectHandle page)
{
    PGRemoveNode(PGFindPageNode(page));
}

void PGRemoveNode(ObjectHandle node)
{
    if (node == 0 || !PGIsHierarchyObject(node, nullptr) || QXRdAttr_GetObjectType(node) != kQXKindNode) {
        return;
    }
    pg::Quiet quiet;
    PGDetach(0, node);
    // Children left behind would name a deleted parent: they are detached
    // and, once the node and its arcs are gone, hang under another super
    // page or the root.
    const std::vector<ObjectHandle> children = Children(node);
    for (ObjectHandle child : children) {
        PGDetach(node, child);
    }
    QXWtAttr_SetSubPage(node, 0);
    QXWtAttr_SetRefineState(node, 0);
    QXStr_DeleteObject(node);
    for (ObjectHandle child : children) {
        PGAttachToSuper(0, child);
    }
}

namespace {

// Adds the relations of the nodes of every page that a page node stands
// for, hierarchy pages excepted.
void AddAllRelations(ObjectHandle hierarchyPage)
{
    for (ObjectHandle pageNode : PGObjectList(hierarchyPage, 4)) {
        const ObjectHandle page = PGNodePage(pageNode);
        if (page == 0 || PGIsHierarchyObject(page, nullptr)) {
            continue;
        }
        for (ObjectHandle node : pg::NodesOf(page)) {
            PGAddRelation(node);
        }
    }
}

}  // namespace

void PGRelayout(ObjectHandle hierarchyPage)
{
    if (QXRdAttr_GetObjectType(hierarchyPage) != kQXKindPage || !PGIsHierarchyObject(hierarchyPage, nullptr)) {
        return;
    }
    const int savedEnabled = layoutEnabled;
    layoutEnabled = 1;
    recursiveLayout = 1;
    const int32_t cursor = QXUI_SetCursor(kWatchCursor);
    const std::vector<ObjectHandle> nodes = PGObjectList(hierarchyPage, 4);
    if (options.showSubstitutions != options.lastShowSubstitutions ||
        options.showInvocations != options.lastShowInvocations) {
        options.lastShowSubstitutions = options.showSubstitutions;
        options.lastShowInvocations = options.showInvocations;
        for (ObjectHandle node : nodes) {
            PGDetach(0, node);
        }
        AddAllRelations(hierarchyPage);
    }
    const ObjectHandle root = PGFindPageNode(hierarchyPage);
    for (ObjectHandle node : nodes) {
        PGTreeLink link;
        if (node != root && (!PGTreeRead(node, &link) || link.parent == 0)) {
            PGAttach(hierarchyPage, PGNodePage(node));
        }
    }
    PGLayoutNode(root);
    PGPlaceAllLabels(hierarchyPage);
    QXUI_SetCursor(cursor);
    recursiveLayout = 0;
    layoutEnabled = savedEnabled;
}

void PGRebuildRelations(ObjectHandle hierarchyPage)
{
    AddAllRelations(hierarchyPage);
    PGRelayout(hierarchyPage);
}

void PGRebuild()
{
    pg::Quiet quiet;
    const int32_t cursor = QXUI_SetCursor(kWatchCursor);
    std::vector<ObjectHandle> hierarchyPages;
    for (ObjectHandle page : PGObjectList(0, 2)) {
        if (QXRdAttr_GetObjectType(page) == kQXKindPage) {
            hierarchyPages.push_back(page);
        }
    }
    for (ObjectHandle page : hierarchyPages) {
        for (ObjectHandle node : PGObjectList(page, 4)) {
            QXWtAttr_SetSubPage(node, 0);
            QXWtAttr_SetRefineState(node, 0);
        }
    }
    const ObjectHandle current = QXStr_GetCurPage();
    if (std::find(hierarchyPages.begin(), hierarchyPages.end(), current) == hierarchyPages.end()) {
        for (ObjectHandle page : hierarchyPages) {
            QXStr_RemovePage(page, 0);
        }
        if (const ObjectHandle page = PGGetHierarchyPage(); page != 0) {
            QXStr_SetCurPage(page);
        }
    } else {
        for (ObjectHandle page : hierarchyPages) {
            for (ObjectHandle node : pg::NodesOf(page)) {
                QXStr_DeleteObject(node);
            }
        }
        // Width and height 0 keep the page's size; the border flag is kept as read.
        uint32_t border = 0;
        QXRdAttr_GetPageAttr(current, nullptr, nullptr, nullptr, nullptr, &border);
        QXWtAttr_SetPageAttr(current, "Hierarchy", kPGHierarchyNumber, 0, 0, border);
        if (PGCreatePageNodes(current)) {
            PGRebuildRelations(current);
        }
        QXUI_RedrawPage(current);
    }
    QXUI_SetCursor(cursor);
}

// ---- options and layout state ----

void PGReadOptions(int copy)
{
    uint32_t gridX = 0;
    uint32_t gridY = 0;
    uint16_t spacingX = 0;
    uint16_t spacingY = 0;
    uint32_t hideSub = 0;
    uint32_t hideInv = 0;
    if (DefGetPageLayout(&gridX, &gridY, &spacingX, &spacingY, &hideSub, &hideInv, kDefLevelDiagram) == 0) {
        return;
    }
    PGSetLayoutOptions(hideSub == 0, hideInv == 0, static_cast<int32_t>(gridX), static_cast<int32_t>(gridY),
                       spacingX, spacingY);
    if (copy != 0) {
        options.lastShowSubstitutions = options.showSubstitutions;
        options.lastShowInvocations = options.showInvocations;
    }
}

void PGSetLayoutOptions(int showSubstitutions, int showInvocations, int32_t gridX, int32_t gridY,
                        uint16_t spacingX, uint16_t spacingY)
{
    options.showSubstitutions = showSubstitutions != 0 ? 1 : 0;
    options.showInvocations = showInvocations != 0 ? 1 : 0;
    options.xSpacing = gridX;
    options.ySpacing = gridY;
    options.topMultiplier = spacingX;
    options.childMultiplier = spacingY;
}

const PGOptionValues& PGOptions() { return options; }
int PGLayoutEnabled() { return layoutEnabled; }
void PGSetLayoutEnabled(int on) { layoutEnabled = on != 0 ? 1 : 0; }
void PGSetUnitMultipliers(int on) { unitMultipliers = on != 0 ? 1 : 0; }
int PGStyleUpdateEnabled() { return styleUpdate; }
void PGSetStyleUpdate(int on) { styleUpdate = on != 0 ? 1 : 0; }
