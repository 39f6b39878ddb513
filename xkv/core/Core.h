// Kernel diagram operations: connector classification and object rebuild,
// creation and attributes, deletion, copy and paste, moving and resizing,
// connector ends and arrow heads, coarsening and refining, and regions.
#pragma once

#include <cstdint>

#include "xkv/model/HandleList.h"
#include "xkv/types/PtArray.h"
#include "xkv/types/Types.h"

using GroupNumber = uint16_t;

// Statuses of the diagram operations beyond the shared ones.
inline constexpr KernelStatus kStatusNoBucket = 18;
inline constexpr KernelStatus kStatusRegionRefused = 20;
inline constexpr KernelStatus kStatusTooFewToSpread = 31;
inline constexpr KernelStatus kStatusNotNodes = 37;
inline constexpr KernelStatus kStatusNoNode = 45;
inline constexpr KernelStatus kStatusNoArrowHead = 50;
inline constexpr KernelStatus kStatusBorderToBorder = 61;
inline constexpr KernelStatus kStatusDifferentParents = 67;
inline constexpr KernelStatus kStatusPartnerOnSubpage = 77;
inline constexpr KernelStatus kStatusBorderElsewhere = 78;
inline constexpr KernelStatus kStatusMoveOntoOwnPage = 81;

// Connector flags (field 48) used by the core.
inline constexpr uint32_t kConnectorContinues = 1;          // continues on another page
inline constexpr uint32_t kHiddenCopyFlags = 7;             // a hidden copy connector
inline constexpr uint32_t kHiddenFlags = 0x1000007;         // hidden by coarsening
inline constexpr uint32_t kInvisibleFlags = 0x2100004;      // hidden objects
inline constexpr uint32_t kFlagSizeFollowsText = 128;
inline constexpr uint32_t kFlagFixedPosition = 0x10000;
inline constexpr uint32_t kFlagNoPosition = 0x20000;
inline constexpr uint32_t kFlagNoAttributes = 0x40000;
inline constexpr uint32_t kFlagPageRebuilt = 2048;

// Deletion modes.
inline constexpr uint32_t kDeleteKeepBorderPartner = 1;
inline constexpr uint32_t kDeleteKeepLinks = 2;
inline constexpr uint32_t kDeleteKeepRecord = 8;
inline constexpr uint32_t kDeleteKeepConnectors = 16;
inline constexpr uint32_t kDeleteKeepTextReferences = 64;
inline constexpr uint32_t kDeleteUnasked = 128;
inline constexpr uint32_t kDeleteKeepPartnerConnector = 0x100;
inline constexpr uint32_t kDeleteCloseModel = 210;

// ---- Connector sets ----

// The connectors around a group, classified: flags say which parts are
// wanted (1 outer end objects, 2 inner connectors, 4 one-end connectors, 8
// one-end connectors that continue on another page, 16 the entry list).
inline constexpr uint8_t kSetOuter = 1;
inline constexpr uint8_t kSetInner = 2;
inline constexpr uint8_t kSetOneEnd = 4;
inline constexpr uint8_t kSetOneEndFlagged = 8;
inline constexpr uint8_t kSetEntries = 16;
inline constexpr uint8_t kSetAll = 31;

// One entry of the list: a one-end connector with its inside and outside ends.
struct ConnectorSetEntry {
    ObjectHandle connector;
    ObjectHandle innerEnd;
    ObjectHandle outerEnd;
};
struct ConnectorSets {
    uint8_t flags = 0;
    GroupNumber outer = 0;
    GroupNumber inner = 0;
    GroupNumber oneEnd = 0;
    GroupNumber oneEndFlagged = 0;
    HandleList entries{};  // MemHandles of ConnectorSetEntry blocks
};

KernelStatus Core_ClassifyConnectors(GroupNumber group, ConnectorSets* sets);
KernelStatus Core_ClassifyConnectorsExcept(GroupNumber group, ConnectorSets* sets, uint32_t mask);
// Frees the groups and the entry list of the sets; the record stays the caller's.
void Core_FreeConnectorSets(ConnectorSets* sets);
// Entry i of the list (all zero when out of range).
ConnectorSetEntry Core_SetEntry(const ConnectorSets& sets, uint32_t index);

// ---- Rebuilding ----

enum RebuildKind : uint32_t {
    kRebuildNew = 0,
    kRebuildGroupMoved = 1,
    kRebuildBothMoved = 2,
    kRebuildResized = 3,
    kRebuildReattached = 4,
    kRebuildAttributes = 5,
    kRebuildPath = 6,
    kRebuildPasted = 7,
    kRebuildFull = 8,
};

struct RebuildRequest {
    uint32_t kind = 0;
    uint32_t groupGiven = 0;
    ObjectHandle changed = 0;
    GroupNumber group = 0;
    Fixed dx = 0;
    Fixed dy = 0;
    FixRect oldBox{};
};

KernelStatus Core_RebuildObject(ObjectHandle object, RebuildRequest* request);
KernelStatus Core_RebuildGroup(GroupNumber group, RebuildRequest* request);
KernelStatus Core_RebuildAttachedConnectors(ObjectHandle object, RebuildRequest* request, uint32_t all);
KernelStatus Core_RebuildPageConnectors(ObjectHandle page);
KernelStatus Core_RecomputeBox(ObjectHandle object, uint32_t fitText);
KernelStatus Core_RebuildAfterAlign(GroupNumber group, uint32_t kind);
KernelStatus Core_NodesOfPage(ObjectHandle page, GroupNumber* out);
KernelStatus Core_ConnectorsOfPage(ObjectHandle page, GroupNumber* out);
uint32_t Core_IsCrossPageConnector(ObjectHandle connector);

KernelStatus Core_RedrawObject(ObjectHandle object);
KernelStatus Core_DrawObjectNow(ObjectHandle object);
KernelStatus Core_RedrawGroup(GroupNumber group);
KernelStatus Core_UpdateObject(ObjectHandle object);

// ---- Creation and attributes ----

KernelStatus Core_Initialize();
KernelStatus Core_Shutdown();
// The result of hook 29 (model changed), or 0 when it is not registered.
uintptr_t Core_NotifyModelChanged();
// The default end mode copied into field 66 of new connectors (1 at start).
uint32_t Core_GetDefaultEndMode();
void Core_SetDefaultEndMode(uint32_t mode);

KernelStatus Core_AddConnector(ObjectHandle page, ObjectHandle from, ObjectHandle to, PtArray path,
                               ObjectHandle* out, uint32_t link);
KernelStatus Core_AddLine(ObjectHandle page, PtArray points, ObjectHandle* out);
KernelStatus Core_AddPolygon(ObjectHandle page, PtArray points, ObjectHandle* out);
KernelStatus Core_AddNode(ObjectHandle page, FixRect box, uint32_t kind, uint32_t unused, ObjectHandle* out);
KernelStatus Core_AddLabel(ObjectHandle page, FixPoint at, ObjectHandle* out, uint8_t edit);
KernelStatus Core_AddPicture(ObjectHandle page, FixRect box, uint32_t kind, MemHandle picture,
                             ObjectHandle* out);
KernelStatus Core_AddPage(ObjectHandle* out);
KernelStatus Core_SetNodeBox(ObjectHandle node, FixRect box, uint32_t rebuild);
KernelStatus Core_SetShapePoints(ObjectHandle object, PtArray points, uint32_t redraw);
KernelStatus Core_AttachNode(ObjectHandle node, ObjectHandle page);
KernelStatus Core_DetachNode(ObjectHandle node);
KernelStatus Core_DetachNodesFromPage(ObjectHandle page, uint32_t includeOwnPage);
KernelStatus Core_SetLineAttributesOfGroup(GroupNumber group, const void* record);
KernelStatus Core_SetConnectorAttributesOfGroup(GroupNumber group, const void* record);
KernelStatus Core_SetTextStyle(ObjectHandle object, const void* record);
KernelStatus Core_SetTextStyleOfGroup(GroupNumber group, const void* record);
KernelStatus Core_SetArcAngles(ObjectHandle wedge, const void* record);
KernelStatus Core_SetPageAttributes(ObjectHandle page, const void* record);
KernelStatus Core_SetLayerOrder(ObjectHandle object, ObjectHandle above);
KernelStatus Core_SetLayerOrderOfGroup(GroupNumber group, ObjectHandle above);
KernelStatus Core_SetHiddenFlags(ObjectHandle object, uint32_t show);
KernelStatus Core_SetHiddenFlagsOfGroup(GroupNumber group, uint32_t show);
KernelStatus Core_TextCoarsen(ObjectHandle object, ObjectHandle target);
KernelStatus Core_TextRefine(ObjectHandle object);
KernelStatus Core_SetPageScale(ObjectHandle page, Fixed factor);
KernelStatus Core_StorePageScale(ObjectHandle page, Fixed scale, Fixed factor);
KernelStatus Core_RenumberPage(ObjectHandle page, uint32_t number);
// The page-number setter that the defaults use: the same as renumbering.
KernelStatus Core_SetPageNumber(ObjectHandle page, uint32_t number);
KernelStatus Core_NewModel(ObjectHandle* firstPage);
KernelStatus Core_CloseModel();

// ---- Deletion ----

KernelStatus Core_DeleteObject(ObjectHandle object, uint32_t mode);
KernelStatus Core_DeleteGroup(GroupNumber group, uint32_t mode);
KernelStatus Core_DeletePage(ObjectHandle page, uint32_t withSubpages);
KernelStatus Core_ClosePage(ObjectHandle page, uint32_t unused);
KernelStatus Core_CutGroup(GroupNumber group);
KernelStatus Core_CutObject(ObjectHandle object);

// ---- Copy and paste ----

ObjectHandle Core_GetBucketPage(uint32_t clear);
uint32_t Core_BucketHoldsConnectorOnly();
KernelStatus Core_CloneGroup(GroupNumber group, GroupNumber* clones, GroupNumber* descendants, MemHandle map);
KernelStatus Core_CloneObject(ObjectHandle object, ObjectHandle* clone, GroupNumber* descendants, MemHandle map);
KernelStatus Core_RemapReferences(ObjectHandle copy, MemHandle map);
KernelStatus Core_CopyToBucket(GroupNumber group);
KernelStatus Core_CopyObject(ObjectHandle object);
KernelStatus Core_Paste(ObjectHandle page, GroupNumber* pasted);
KernelStatus Core_PasteConnector(ObjectHandle from, ObjectHandle to, ObjectHandle* out);
KernelStatus Core_DuplicateObjects(GroupNumber group, GroupNumber* copies, uint32_t offset);
KernelStatus Core_DuplicateObject(ObjectHandle object, ObjectHandle* out);
KernelStatus Core_PlaceCopy(ObjectHandle object, ObjectHandle page, FixPoint at, ObjectHandle* out);
GroupNumber Core_ExpandGroup(GroupNumber group);

// ---- Move, resize, align, spread, shape ----

inline constexpr uint8_t kAdjustWidth = 1;
inline constexpr uint8_t kAdjustHeight = 2;
inline constexpr uint8_t kAdjustWidthFactor = 4;
inline constexpr uint8_t kAdjustHeightFactor = 8;
inline constexpr uint8_t kAdjustDx = 16;
inline constexpr uint8_t kAdjustDy = 32;
inline constexpr uint8_t kAdjustX = 64;
inline constexpr uint8_t kAdjustY = 128;
inline constexpr uint8_t kAdjustSizeFlags = 15;
inline constexpr uint8_t kAdjustPositionFlags = 240;

struct AdjustRequest {
    uint8_t flags = 0;
    Fixed width = 0;
    Fixed height = 0;
    Fixed sx = 0;
    Fixed sy = 0;
    Fixed newX = 0;
    Fixed newY = 0;
    Fixed dx = 0;
    Fixed dy = 0;
    Fixed refX = 0;
    Fixed refY = 0;
    uint32_t adjustRegions = 1;
    GroupNumber group = 0;
    uint32_t redrawFirst = 1;
    uint32_t keepSize = 0;
    uint32_t keepPosition = 0;
};

void Core_InitAdjust(AdjustRequest* request);
KernelStatus Core_AdjustObject(ObjectHandle object, AdjustRequest* request);
KernelStatus Core_MoveGroup(GroupNumber group, Fixed dx, Fixed dy, uint32_t adjustRegions, uint32_t redrawFirst);
KernelStatus Core_MoveObject(ObjectHandle object, Fixed dx, Fixed dy, uint32_t adjustRegions, uint32_t redrawFirst);
// The displacement of the most recent move or alignment.
void Core_GetLastDisplacement(FixPoint* out);
KernelStatus Core_DisplaceConnectors(GroupNumber group, FixPoint offset);
KernelStatus Core_DisplaceConnector(ObjectHandle connector, FixPoint offset);
KernelStatus Core_SetSize(ObjectHandle object, Fixed width, Fixed height, uint32_t adjustRegions);
KernelStatus Core_ResizeAndMove(GroupNumber group, Fixed width, Fixed height, Fixed dx, Fixed dy,
                                uint32_t adjustRegions);
KernelStatus Core_SetObjectRect(ObjectHandle object, FixRect rect, uint32_t adjustRegions);
KernelStatus Core_SetGroupSize(GroupNumber group, Fixed width, Fixed height);
KernelStatus Core_ScaleSize(ObjectHandle object, Fixed sx, Fixed sy);
KernelStatus Core_FitBoxToText(ObjectHandle object);
KernelStatus Core_FitGroupToText(GroupNumber group);
KernelStatus Core_AlignObjects(GroupNumber members, GroupNumber reference, uint32_t mode, GroupNumber excluded);
KernelStatus Core_SpreadObjects(GroupNumber group, uint32_t direction);
KernelStatus Core_MoveToPage(GroupNumber group, ObjectHandle page, uint32_t withBorderNodes);
KernelStatus Core_MoveObjectToPage(ObjectHandle object, ObjectHandle page);
KernelStatus Core_CopyShape(ObjectHandle object, ObjectHandle model, uint32_t takeSize);
KernelStatus Core_CopyShapeToGroup(GroupNumber group, ObjectHandle model, uint32_t takeSize);
// Moves and scales the object's regions the way an adjustment does.
KernelStatus Core_AdjustRegions(ObjectHandle object, AdjustRequest* request);

// ---- Connector ends ----

KernelStatus Core_SetConnectorPath(ObjectHandle connector, PtArray path);
KernelStatus Core_ClipConnectorEnds(ObjectHandle connector, RebuildRequest* request);
KernelStatus Core_BuildArrowHeads(ObjectHandle connector);
KernelStatus Core_BuildCurve(ObjectHandle connector);
KernelStatus Core_ReattachConnector(ObjectHandle connector, ObjectHandle object, uint32_t which, PtArray points);
KernelStatus Core_ReplaceConnectorPoints(ObjectHandle connector, PtArray points);
KernelStatus Core_ReplaceShapePoints(ObjectHandle object, PtArray points);

// ---- Coarsen and refine ----

MemHandle Core_PrepareCoarsen(ObjectHandle node, GroupNumber group);
void Core_EndCoarsen(MemHandle prepared);
KernelStatus Core_MakeCoarseNode(GroupNumber group, ObjectHandle node, MemHandle prepared, ObjectHandle* subpage);
KernelStatus Core_RefineNode(ObjectHandle node);
KernelStatus Core_LinkConnectorToCoarseNode(ObjectHandle a, ObjectHandle b, ObjectHandle connector);
KernelStatus Core_LinkConnectorToBorderNode(ObjectHandle a, ObjectHandle b, ObjectHandle connector);

// ---- Regions ----

KernelStatus Core_MakeRegion(ObjectHandle object, ObjectHandle owner);
KernelStatus Core_MakeRegions(GroupNumber group, ObjectHandle owner);
KernelStatus Core_DetachRegions(ObjectHandle object, uint32_t unused);
KernelStatus Core_DetachRegionsOfGroup(GroupNumber group);
KernelStatus Core_DetachRegion(ObjectHandle region, uint32_t unused);
GroupNumber Core_ConnectorsTouching(GroupNumber group, HandleList* entries);
KernelStatus Core_ConnectorsOfObject(ObjectHandle object, GroupNumber* out);
// A region given back becomes a plain node.
KernelStatus Core_RegionToNode(ObjectHandle object);
