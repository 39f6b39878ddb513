// The updates that the net editor asks of the hierarchy page after edits of
// the net: a page dropped or renamed, the relations of a page or of one node
// brought in line with the abstract net (arcs, their labels and counts, and
// the tree of page nodes), and the arc of a node that stops being compound.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchyInternal.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"

namespace {

// Turns layout on for a scope and restores it after.
class ForcedLayout {
public:
    ForcedLayout() : saved_(PGLayoutEnabled()) { PGSetLayoutEnabled(1); }
    ~ForcedLayout() { PGSetLayoutEnabled(saved_); }
    ForcedLayout(const ForcedLayout&) = delete;
    ForcedLayout& operator=(const ForcedLayout&) = delete;

private:
    int saved_;
};


// Whether the object is a node on the super page that refines or invokes
// the sub page with the arc kind.
bool Makes(ObjectHandle object, ObjectHandle superPage, ObjectHandle subPage, uint16_t kind)
{
    if (object == 0 || QXStr_IsObject(object) == 0 || QXStr_GetObjectPage(object) != superPage) {
        return false;
    }
    uint16_t made = 0;
    ObjectHandle page = 0;
    return PGNodeRelation(object, &made, &page) != 0 && made == kind && page == subPage;
}

// The net pages: every page but the hierarchy pages.
std::vector<ObjectHandle> NetPages()
{
    std::vector<ObjectHandle> pages;
    for (ObjectHandle page : pg::AllPages()) {
        if (!PGIsHierarchyObject(page, nullptr)) {
            pages.push_back(page);
        }
    }
    return pages;
}

// The relation arcs at a page node, each once.
std::vector<ObjectHandle> ArcsAt(ObjectHandle pageNode)
{
    std::vector<ObjectHandle> arcs;
    for (ObjectHandle connector : pg::ConnectorsOf(pageNode)) {
        if (PGArcKind(connector) != 0 && std::find(arcs.begin(), arcs.end(), connector) == arcs.end()) {
            arcs.push_back(connector);
        }
    }
    return arcs;
}

// Brings one arc in line with the net: labels of objects that no longer
// make its relation go, the count becomes the number of nodes that make it
// (nameless ones included), a named node without a label gets one, and an
// arc that nobody makes any more is deleted.
void Reconcile(ObjectHandle arc)
{
    PGArcData data;
    ObjectHandle superNode = 0;
    ObjectHandle subNode = 0;
    if (!PGReadArcData(arc, &data) || QXRdAttr_GetConnEnds(arc, 0, &superNode, &subNode) == 0) {
        return;
    }
    const ObjectHandle superPage = PGNodePage(superNode);
    const ObjectHandle subPage = PGNodePage(subNode);
    for (ObjectHandle region : pg::RegionsOf(arc)) {
        const ObjectHandle object = PGLabelObject(region);
        if (object != 0 && !Makes(object, superPage, subPage, data.kind)) {
            QXStr_DeleteObject(region);
        }
    }
    std::vector<ObjectHandle> makers;
    if (superPage != 0 && subPage != 0) {
        for (ObjectHandle node : pg::NodesOf(superPage)) {
            if (Makes(node, superPage, subPage, data.kind)) {
                makers.push_back(node);
            }
        }
    }
    if (makers.empty()) {
        QXStr_DeleteObject(arc);
        PGAfterArcGone(superNode, subNode, data.kind);
        return;
    }
    data.count = static_cast<int16_t>(std::min<size_t>(makers.size(), INT16_MAX));
    ObjectHandle first = 0;
    for (ObjectHandle region : pg::RegionsOf(arc)) {
        if (PGLabelObject(region) != 0) {
            first = region;
            break;
        }
    }
    data.firstLabel = first;
    PGWriteArcData(arc, data);
    for (ObjectHandle node : makers) {
        PGAddLabel(arc, node);
    }
}

// Adds the relation of a node and brings its arc in line.
void AddAndReconcile(ObjectHandle node)
{
    uint16_t kind = 0;
    ObjectHandle subPage = 0;
    if (PGNodeRelation(node, &kind, &subPage) == 0) {
        return;
    }
    PGAddRelation(node);
    const ObjectHandle arc = PGFindArc(PGFindPageNode(QXStr_GetObjectPage(node)), PGFindPageNode(subPage), kind);
    if (arc != 0) {
        Reconcile(arc);
    }
}

// Re-attaches page nodes that lost their parent (its node was deleted).
void AdoptOrphans()
{
    const ObjectHandle hierarchyPage = PGFindHierarchyPage();
    const ObjectHandle root = PGFindPageNode(hierarchyPage);
    if (hierarchyPage == 0 || root == 0) {
        return;
    }
    ForcedLayout forced;
    for (ObjectHandle node : PGObjectList(hierarchyPage, 4)) {
        PGTreeLink link;
        if (node != root && PGTreeRead(node, &link) && link.parent == 0 && PGAttachToSuper(0, node)) {
            PGLayoutNode(node);
        }
    }
}

}  // namespace

void PGDropPage(ObjectHandle page)
{
    PGRemovePage(page);
    AdoptOrphans();
}

void PGPageChanged(ObjectHandle page)
{
    PGSetNodeText(page);
}

void PGDropSubpageArc(ObjectHandle node)
{
    PGRemoveRelation(node);
}

void PGUpdateNode(ObjectHandle node)
{
    const ObjectHandle hierarchyPage = PGFindHierarchyPage();
    if (hierarchyPage == 0 || node == 0 || QXStr_IsObject(node) == 0) {
        return;
    }
    // The arcs that show the node, and those of its page, may be stale.
    std::vector<ObjectHandle> arcs;
    for (ObjectHandle arc : PGObjectList(hierarchyPage, 8)) {
        if (PGFindLabel(arc, node) != 0) {
            arcs.push_back(arc);
        }
    }
    if (const ObjectHandle pageNode = PGFindPageNode(QXStr_GetObjectPage(node)); pageNode != 0) {
        for (ObjectHandle arc : ArcsAt(pageNode)) {
            if (std::find(arcs.begin(), arcs.end(), arc) == arcs.end()) {
                arcs.push_back(arc);
            }
        }
    }
    for (ObjectHandle arc : arcs) {
        if (QXStr_IsObject(arc) != 0) {
            Reconcile(arc);
        }
    }
    AddAndReconcile(node);
}

void PGUpdatePage(ObjectHandle page)
{
    if (PGFindHierarchyPage() == 0 || page == 0 || QXRdAttr_GetObjectType(page) != kQXKindPage ||
        PGIsHierarchyObject(page, nullptr)) {
        return;
    }
    SEHead* record = nullptr;
    if (PGFindPageNode(page) == 0) {
        if (GE_GetSERecord(page, &record) == 0 || record == nullptr) {
            return;
        }
        PGAddPage(page);
    }
    PGSetNodeText(page);
    for (ObjectHandle arc : ArcsAt(PGFindPageNode(page))) {
        if (QXStr_IsObject(arc) != 0) {
            Reconcile(arc);
        }
    }
    // The page's own compound nodes, and the nodes elsewhere that refine or
    // invoke it.
    for (ObjectHandle each : NetPages()) {
        for (ObjectHandle node : pg::NodesOf(each)) {
            uint16_t kind = 0;
            ObjectHandle subPage = 0;
            if (PGNodeRelation(node, &kind, &subPage) != 0 && (each == page || subPage == page)) {
                AddAndReconcile(node);
            }
        }
    }
}

void PGModelChanged()
{
    if (pg::quietDepth > 0) {
        return;
    }
    const ObjectHandle hierarchyPage = PGFindHierarchyPage();
    if (hierarchyPage == 0) {
        return;
    }
    bool dropped = false;
    {
        pg::Quiet quiet;
        for (ObjectHandle node : PGObjectList(hierarchyPage, 4)) {
            if (QXRdAttr_GetObjectType(node) != kQXKindNode) {
                continue;
            }
            const ObjectHandle page = QXRdAttr_GetSubPage(node);
            if (page == 0 || QXStr_IsObject(page) == 0 || QXRdAttr_GetObjectType(page) != kQXKindPage) {
                PGRemoveNode(node);
                dropped = true;
            }
        }
        for (ObjectHandle page : NetPages()) {
            SEHead* record = nullptr;
            if (PGFindPageNode(page) == 0 && GE_GetSERecord(page, &record) != 0 && record != nullptr) {
                PGAddPage(page);
            }
        }
    }
    if (dropped) {
        AdoptOrphans();
    }
}
