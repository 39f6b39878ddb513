// The hierarchy page: one page node per page of the net and one arc per
// substitution or invocation relation between pages, each arc labelled by
// the nodes that cause it; the tree of page nodes that places them, with its
// layout options and the updates that the net editor calls.
#pragma once

#include <cstdint>
#include <vector>

#include "xkv/types/Types.h"

// User-data tags: hierarchy object marks and the tree link of a page node.
inline constexpr uint32_t kTagHierarchy = 0xF900;
inline constexpr uint32_t kTagTreeLink = 0xF905;

inline constexpr uint32_t kPGHierarchyNumber = 10010;
inline constexpr uint16_t kPGSubstitutionArc = 7;
inline constexpr uint16_t kPGInvocationArc = 8;
inline constexpr int32_t kPGSubstitutionLabel = 4119;
inline constexpr int32_t kPGInvocationLabel = 4120;
inline constexpr int32_t kPGKeyPageNode = 11;
inline constexpr int32_t kPGKeySubstitutionArc = 12;
inline constexpr int32_t kPGKeyInvocationArc = 13;

// Page states and the line styles they give a page node.
inline constexpr uint32_t kPGPageClosed = 10;
inline constexpr uint32_t kPGPageOpen = 11;
inline constexpr uint32_t kPGPageCurrent = 12;

// The data of an arc: kind, how many nodes it stands for, its first label.
struct PGArcData {
    uint16_t kind = 0;
    int16_t count = 0;
    uint32_t firstLabel = 0;
};

// The tree link of a page node.
struct PGTreeLink {
    uint32_t parent = 0;
    uint32_t next = 0;
    uint32_t firstChild = 0;
    int16_t childCount = 0;
};

// ---- look-ups ----
int PGIsHierarchyObject(ObjectHandle object, uint32_t* length);
ObjectHandle PGFindHierarchyPage();
ObjectHandle PGGetHierarchyPage();
ObjectHandle PGFindPageNode(ObjectHandle page);
ObjectHandle PGNodePage(ObjectHandle object);
ObjectHandle PGNodeHierarchyPage(ObjectHandle node);
uint16_t PGArcKind(ObjectHandle object);
int PGReadArcData(ObjectHandle arc, PGArcData* data);
int PGWriteArcData(ObjectHandle arc, const PGArcData& data);
// What: 2 all pages, 4 nodes of a page, 8 connectors of a page or node,
// 16 regions of an object; only hierarchy objects are kept.
std::vector<ObjectHandle> PGObjectList(ObjectHandle object, uint32_t what);
uint32_t PGObjectClass(ObjectHandle object);

// ---- creation ----
ObjectHandle PGCreateHierarchyPage(ObjectHandle existing);
ObjectHandle PGNewHierarchyPage(ObjectHandle existing);
int PGCreatePageNodes(ObjectHandle hierarchyPage);
int PGCreatePageNode(ObjectHandle page);
int PGSetNodeText(ObjectHandle page);
ObjectHandle PGCreateArc(ObjectHandle superPage, ObjectHandle subPage, const PGArcData& data);

// ---- arcs and labels ----
ObjectHandle PGFindArc(ObjectHandle superNode, ObjectHandle subNode, uint16_t kind);
ObjectHandle PGFindLabel(ObjectHandle arc, ObjectHandle object);
ObjectHandle PGFirstLabel(ObjectHandle arc);
// The object that a label stands for, 0 for anything else.
ObjectHandle PGLabelObject(ObjectHandle label);
ObjectHandle PGAddArcFor(ObjectHandle object, ObjectHandle subPage, uint16_t kind);
ObjectHandle PGAddLabel(ObjectHandle arc, ObjectHandle object);
int PGRemoveLabel(ObjectHandle arc, ObjectHandle object);
void PGPlaceLabel(ObjectHandle arc, ObjectHandle label);
void PGPlaceAllLabels(ObjectHandle hierarchyPage);

// ---- page states ----
uint32_t PGPageState(ObjectHandle page);
void PGSetNodeStyle(ObjectHandle page, uint32_t state);
void PGMarkCurrentPage(ObjectHandle page);
int PGIsPlainHierarchyObject(ObjectHandle object, uint32_t* out);

// ---- tree ----
int PGTreeRead(ObjectHandle node, PGTreeLink* link);
int PGTreeWrite(ObjectHandle node, const PGTreeLink& link);
int PGAttach(ObjectHandle parentPage, ObjectHandle childPage);
void PGDetach(ObjectHandle parent, ObjectHandle child);
int PGAttachToSuper(ObjectHandle superNode, ObjectHandle node);
void PGReattach(ObjectHandle parent, ObjectHandle node);
ObjectHandle PGSuperNode(ObjectHandle node);
ObjectHandle PGPreviousSibling(ObjectHandle parent, ObjectHandle child);
ObjectHandle PGFirstChildOfMode(ObjectHandle parent, int mode);
ObjectHandle PGPreviousOfMode(ObjectHandle parent, ObjectHandle node, int mode);
int PGNodeMode(ObjectHandle node);
void PGSubtreeMax(ObjectHandle node, Fixed* maxX, Fixed* maxY);
void PGLayoutNode(ObjectHandle node);

// ---- updates called by the net editor ----
void PGAddRelation(ObjectHandle node);
void PGRemoveRelation(ObjectHandle node);
void PGAddPage(ObjectHandle page);
void PGRemovePage(ObjectHandle page);
// Drops a page node: its children hang elsewhere, the node goes.
void PGRemoveNode(ObjectHandle node);
// Hook 29: after a change of the model, page nodes whose page is gone are
// dropped and net pages without a node get one.
void PGModelChanged();
void PGRelayout(ObjectHandle hierarchyPage);
void PGRebuildRelations(ObjectHandle hierarchyPage);
void PGRebuild();
// After the arc of a kind between two page nodes went: the sub node leaves
// the super node and hangs under another super page or the root; a super
// node left without children or arcs joins the row of isolated pages.
void PGAfterArcGone(ObjectHandle superNode, ObjectHandle subNode, uint16_t kind);
// The relation a diagram node makes: 1 with its arc kind and sub page for a
// substitution or invocation node that has a sub page, else 0.
int PGNodeRelation(ObjectHandle node, uint16_t* kind, ObjectHandle* subPage);
// A page was deleted: its node goes and the pages below it hang elsewhere.
void PGDropPage(ObjectHandle page);
// A page's name or number changed: its node's text follows.
void PGPageChanged(ObjectHandle page);
// The relations of a page (its own compound nodes and the nodes that refine
// or invoke it) brought in line with the net, with the node's text.
void PGUpdatePage(ObjectHandle page);
// The relation of one node (its name, sub page or kind changed) brought in
// line with the net; arcs it no longer makes lose its label.
void PGUpdateNode(ObjectHandle node);
// Before a node stops refining or invoking its sub page.
void PGDropSubpageArc(ObjectHandle node);
// After a diagram was read: the handles that the hierarchy page keeps in
// user data (the tree links of its page nodes, the first label of each
// relation arc and the object each label stands for) are translated from
// the file's handles to the new ones through the load's handle map.
void PGMapLoadedHandles(ObjectHandle hierarchyPage, MemHandle map);

// ---- options and layout state ----
struct PGOptionValues {
    Fixed xSpacing = 0x1e0000;
    Fixed ySpacing = 0x140000;
    uint16_t topMultiplier = 3;
    uint16_t childMultiplier = 3;
    int showSubstitutions = 1;
    int showInvocations = 1;
    int lastShowSubstitutions = 1;
    int lastShowInvocations = 1;
};
void PGReadOptions(int copy);
void PGSetLayoutOptions(int showSubstitutions, int showInvocations, int32_t gridX, int32_t gridY,
                        uint16_t spacingX, uint16_t spacingY);
const PGOptionValues& PGOptions();
int PGLayoutEnabled();
void PGSetLayoutEnabled(int on);
void PGSetUnitMultipliers(int on);
int PGStyleUpdateEnabled();
void PGSetStyleUpdate(int on);

// ---- selections and commands ----
// Keeps the objects that are (want 1) or are not (want 0) hierarchy objects.
std::vector<ObjectHandle> PGFilterObjects(const std::vector<ObjectHandle>& objects, int wantHierarchy);
std::vector<ObjectHandle> PGSelectedObjects(int wantHierarchy);
std::vector<ObjectHandle> PGSelectedPages();
std::vector<ObjectHandle> PGNodePages(ObjectHandle page);
ObjectHandle PGPickPage();
// The delete command on the hierarchy page: 1 when not handled.
int PGDeleteSelection();
// Hook 45: a page is chosen from a menu; 0 when handled.
uintptr_t PGChoosePage(uint32_t menu, uint32_t command, ObjectHandle* page);
// Hook 46: for a page given a number below the hierarchy page's, the page
// numbers of the hierarchy pages (kind 3, a movable block of u16).
int PGPageNumbers(const uint16_t* attributes, MemHandle* numbers, uint16_t* count, uint32_t* kind);
