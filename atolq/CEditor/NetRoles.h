// Net object roles: which net role a kernel object has (from its record in
// user data 0xF901), stripping or deleting that role with the object's
// regions and connectors, and the helpers that the editor commands call by
// name to keep hierarchy tags and clipboard copies in step.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

struct SEHead;
struct LMList;

// Message ids.
inline constexpr int16_t kMsgChartRegionToAux = 11403;
inline constexpr int16_t kMsgChartRegionDelete = 11409;
inline constexpr int16_t kMsgDeclEntryToAux = 11425;
inline constexpr int16_t kMsgConvertUnexpected = 16415;

// State flags used while roles are stripped.
inline constexpr uint32_t kGEStrippingRegionKinds = 0x80;  // clear region kinds of stripped objects
inline constexpr uint32_t kGEConnectorSweep = 0x10000;

// Kind and sub-kind of the object's record (an arc with a partner arc: 4,
// 38); 0, 0 and no record without one. 1 when there is a record.
inline constexpr uint16_t kEEDoubleArc = 38;
int EE_GetObjectKind(ObjectHandle object, uint16_t* kind, uint16_t* subKind, SEHead** record);
// 1 for a place or transition of sub-kind 6 or 7.
int EE_IsCompoundNode(ObjectHandle object);
// A declaration node's object text becomes its declaration text; 0 for other
// kinds.
int EE_BuildDeclRegions(ObjectHandle object);
// Strips the object (with its regions and connectors) of its net role, or
// deletes it with the flag; 0 when refused.
int EE_RemoveNetInfo(ObjectHandle object, int deleteFlag);
// State flag 128 meanwhile; every object loses its net role (flag 0),
// compound nodes first.
void EE_ConvertObjectsToAux(uint16_t count, const uint32_t* objects);
// Strips or deletes every connector of the object (a connector sweep); 0 when
// it has none.
int EE_StripConnectors(ObjectHandle object, int deleteFlag);
// 1 for a chart region (base region kind 4254 + 64n up to 5278) while no group
// is selected.
int EE_IsProtectedChartRegion(ObjectHandle object);
// Redraws the hierarchy tags of every node that refines the page; 0 without a
// page record.
int EE_UpdateSuperNodeTags(ObjectHandle page);
// Sorts the list of kernel objects (kind 1) and redraws the hierarchy tag of
// each distinct node in it, emptying the list; 1.
int EE_UpdateCollectedTags(LMList* list);
// Redraws the hierarchy tags of the compound nodes that show the object's
// name; 0 without a record.
int EE_RefreshNameUses(ObjectHandle object);
// A node that went to the clipboard: its user data goes, its net kind is kept
// in 0xF903 (low 16 bits the kind, 12 to 14 for declaration nodes; high 16
// bits the sub-kind); with the cut flag its record is deleted too.
int EE_StripNodeCopy(ObjectHandle node, int cut);
// Removes every net link of an object tree (page, node, connector, region).
int EE_StripObjectTree(ObjectHandle object);
// Deletes the record of a stripped object (declaration node, chart, place or
// transition with its regions swept, arc with its partner) and its links.
int EE_DeleteStrippedRecord(ObjectHandle object, int deleteFlag);
// Redraws the hierarchy tags of the compound ends of a connector.
int EE_RedrawCompoundEnds(ObjectHandle connector);

// ---- compound peers, subpages and fusion sets ----

// Message ids.
inline constexpr int16_t kMsgPickSubstitution = 11789;

// The one compound node joined to the object by arcs; with several the user
// picks one of them (message 11789); 0 when none or cancelled.
ObjectHandle EE_FindCompoundPeer(ObjectHandle object);
// Deletes the page's net side and the page unless a node still refines it; 1
// when deleted.
int EE_DeleteSubpage(ObjectHandle page);
// A new kind-1 list of the fusion sets visible from the page (kind 0 both, 2
// place, 3 transition sets): the global sets, then the page's sets.
LMList* EE_CollectFusionSets(ObjectHandle page, uint16_t kind);
// The answer of the fusion dialog for a rename: fusion type, name, page.
struct EEFusionChoice {
    uint16_t type = 0;
    const char* name = nullptr;
    ObjectHandle page = 0;
};
// With count at least 1: renames the set, changes its type and redraws the
// fusion tags of every set of that name (all pages for a global type).
int EE_RenameFusionSet(SEHead* set, uint16_t count, const EEFusionChoice* choice);
// With count at least 1: the set is removed with its members' tags.
int EE_DropFusionSets(SEHead* set, uint16_t count);

// ---- copies ----

// Rebuild flags of copied records.
inline constexpr uint32_t kEEKeepPorts = 1;
inline constexpr uint32_t kEEKeepFusion = 2;
inline constexpr uint32_t kEEKeepNodeFlag = 4;
inline constexpr uint32_t kEEKeepCompound = 8;

// Which of the objects a duplication takes (1 take).
using EEObjectFilter = int (*)(ObjectHandle object);
// A filter that takes places and transitions only.
int EE_PlacesAndTransitions(ObjectHandle object);
// Duplicates the objects that pass the filter (all without one) on their page,
// rebuilds the copies' net records with the flags and moves the copies by
// distance pixels in both coordinates. copies (count entries or null) receives
// each object's copy, 0 for those not taken. 1 when something was copied.
int EE_DuplicateNodes(uint16_t count, const ObjectHandle* objects, int16_t distance, uint32_t flags,
                      EEObjectFilter filter, ObjectHandle* copies);
// Gives copies (their user data cloned from the sources) records of their own:
// places, transitions and declaration nodes, then the connectors copied with
// them, with the port, fusion, node-flag and compound roles that the flags
// keep; re-makes the port assignments of copied sockets and compounds.
int EE_RebuildCopies(uint16_t count, const ObjectHandle* sources, const ObjectHandle* copies, uint32_t flags);
// The given objects followed by the kernel objects of the records of the list
// (kind 1), in a new QXMem array; running out of memory is fatal.
int EE_ObjectsOfRecords(uint16_t count, const ObjectHandle* objects, LMList* records, uint16_t* outCount,
                        ObjectHandle** outArray);

// ---- hierarchy moves ----

// Message ids.
inline constexpr int16_t kMsgMoveGroupDataBase = 16417;
inline constexpr int16_t kMsgMoveGroupGraphics = 16418;
inline constexpr int16_t kMsgPlacesWithBorderArcs = 11273;
inline constexpr int16_t kMsgNoBorderArc = 11275;
inline constexpr int16_t kMsgPortKindOfBorder = 11293;

// Moves the objects and the port copies (kernel objects, kind-1 list or null)
// onto the new page with their records; 0 after 16417 or 16418.
int EE_MoveNodesToPage(uint16_t count, const ObjectHandle* objects, LMList* portCopies, ObjectHandle page,
                       SEHead* pageRecord);
// The kernel's move-to-subpage arguments (hook 5): the node or 0, the
// selected objects, the inner connectors, the border connectors with, per
// border connector, whether its start lies inside and its outer and inner
// ends, and the shape code of a new coarse node.
struct EEMoveToSubpageArgs {
    ObjectHandle node = 0;
    uint16_t count = 0;
    const ObjectHandle* objects = nullptr;
    uint16_t innerCount = 0;
    const ObjectHandle* inner = nullptr;
    uint16_t borderCount = 0;
    const ObjectHandle* border = nullptr;
    const uint32_t* insideFlags = nullptr;
    const ObjectHandle* outerEnds = nullptr;
    const ObjectHandle* innerEnds = nullptr;
    int32_t* shape = nullptr;
};
// Builds the net side of moving the selected nodes to a new subpage behind a
// substitution node: the node itself when one node is selected, else one the
// user draws. Returns 0 (the kernel's own coarsening is not wanted); the new
// compound node through the second argument (0 when refused).
uintptr_t EE_MoveToSubpageHook(const EEMoveToSubpageArgs& args, ObjectHandle* compoundNode);
// A copy of an outside node that becomes a port of the given kind (2 place,
// 3 transition) on the new subpage; 0 on failure.
ObjectHandle EE_CopyForPort(ObjectHandle outside, uint16_t kind);
// Merges one node into the target (same page, no border flag, no subpage):
// connectors and regions move to the target, the node is deleted, the target
// becomes current; 1 when merged.
int EE_MergeNodeInto(uint16_t count, const ObjectHandle* objects, ObjectHandle target, int flag);
// After a merge or move: connectors whose copy link is 1 get their arcs
// again, those with 2 are deleted; the node's tags are redrawn; end tags
// (kind -2) without connectors are deleted.
int EE_CleanUpArcsAndRegions(ObjectHandle node);
// Socket callback of Replace by Subpage: the copy of a port takes the
// socket's place; the copy's compound peers keep their assigned ports.
int EE_MergeCopyIntoSocket(ObjectHandle copy, ObjectHandle socket, int flag);

// ---- region creation, text menu and selection descriptions ----

// Starts the interactive creation of a region of the kind for the object
// (create kind 4, cursor 3005 for kinds 4105, 4111, 4126, 69662, else 3004).
int EE_StartRegionCreation(ObjectHandle object, int32_t kind);
// Enables (1) or disables (2) kernel item 801 for the object; the state set.
uint32_t EE_RefreshTextMenu(ObjectHandle object);
// Hook 65 at rest: (object, out flag) -> 1, after refreshing the text menu.
uintptr_t EE_TextMenuPickFilter(uintptr_t object, uintptr_t flag, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// The status-bar description of a selection as a new string; the objects
// block is taken over and freed.
int EE_SummarizeSelection(uint16_t count, ObjectHandle* objects, int group, char** text);
// The region bit of a region kind (class 16) or its graphic value; 0 for
// other classes.
uint32_t EQ_RegionBit(uint32_t objectClass, int32_t kind);

// Selection checks (EQ_MapSpec callbacks) with their record.
struct EECheckRecord {
    int16_t refusal = 0;
    uint32_t regions = 0;
    bool places = false;
    bool transitions = false;
};
// Commands on transitions: plain transitions only (a single region stands for
// its owner).
int EE_CheckTransitions(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* record);
// Move to Subpage: plain nodes of one kind, no sockets, ports or page nodes.
int EE_CheckMoveToSubpage(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* record);
