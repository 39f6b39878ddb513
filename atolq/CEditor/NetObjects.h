// Net records of editor objects: every net element is a kernel object linked
// to its record in the abstract net (user data 0xF901). The operations here
// create those records for kernel objects, keep the records' texts equal to
// the texts of the objects' inscription regions, and keep the small tag
// regions ("HS", "FG", port texts) that show hierarchy and fusion facts.
// Failures are reported by EE_ReportError with the "CONCRETE EDITOR" messages
// and give 0; the kernel object then stays without a record.
#pragma once

#include <cstdint>

#include "atolq/CEditor/HookHandlers.h"
#include "xkv/types/Types.h"

struct SEHead;
struct SEPage;
struct LMList;

// Message ids.
inline constexpr int16_t kMsgPageNotInDataBase = 16406;
inline constexpr int16_t kMsgPageNotInGraphics = 16407;
inline constexpr int16_t kMsgWrongArcEnds = 16408;
inline constexpr int16_t kMsgArcUnexpectedType = 16409;
inline constexpr int16_t kMsgArcNotCreated = 16410;
inline constexpr int16_t kMsgPlaceNotCreated = 16411;
inline constexpr int16_t kMsgTransNotCreated = 16412;
inline constexpr int16_t kMsgNonNetPage = 16413;
inline constexpr int16_t kMsgDeclNodeNotCreated = 16414;
inline constexpr int16_t kMsgChartNotCreated = 16439;
inline constexpr int16_t kMsgEmptySelection = 11307;
inline constexpr int16_t kMsgMixedGroup = 11301;
inline constexpr int16_t kMsgChartsOnly = 11397;

// ---- record creation (1/0) ----

// The page's record with the port kind (1 new page, 2 rebuilt after loading),
// its page node on the hierarchy page and the page-title defaults.
int EE_CreateNetPage(ObjectHandle page, uint16_t portKind);
// A place or transition record under the record of the node's page.
int EE_CreateNetPlace(ObjectHandle node);
int EE_CreateNetTrans(ObjectHandle node);
// A declaration node record (1 global, 2 local, 3 temporary) under the page's
// record (page object, or 0 for global and temporary nodes). A second form,
// EE_CreateDeclNode(ObjectHandle, SEPage*, uint16_t), takes the page record
// itself; it is declared by the declarations that call it, not here, so that
// a literal 0 page stays unambiguous.
int EE_CreateDeclNode(ObjectHandle node, ObjectHandle page, uint16_t subKind);
// A bar or line chart record; with the flag the chart dialog is opened and
// its result returned.
int EE_MakeBarChartRecord(ObjectHandle node, int openDialog);
int EE_MakeLineChartRecord(ObjectHandle node, int openDialog);
// The arc records of a connector between a place and a transition: one per
// direction; codes 0 and 3 give two, the second linked as partner arc.
int EE_CreateNetArc(ObjectHandle connector);

// ---- deletion and kernel hooks ----

// Strips the object's net role and deletes it (state flag 1 meanwhile); 1.
int EE_DeleteNetObject(ObjectHandle object);
// Removes a page's net side and the page; 0 when the abstract net or the
// kernel refuses.
int EE_DeleteNetPage(ObjectHandle page);
// Hook 27: (page) a page's name or number changed -> 1.
GE_HOOK_HANDLER(EE_PageChangedHook);
// Hook 7: (connector, .., .., new direction) -> 1; the arc records follow.
GE_HOOK_HANDLER(EE_ConnectorDirectionHook);
// Moves an end of the connector from the old node to the new one (the start
// only with the flag), keeping the index of the end region, and rebuilds the
// arc records and expression.
int EE_ReattachEnds(ObjectHandle connector, ObjectHandle oldNode, ObjectHandle newNode, int flag);

// ---- hierarchy ----
int EE_MakeCompound(ObjectHandle node, uint16_t type, SEHead** record);
int EE_UnmakeCompound(ObjectHandle node);
int EE_AssignSubpage(ObjectHandle node, ObjectHandle page, int autoAssign);
int EE_MakePort(ObjectHandle node, uint16_t portType);
int EE_AssignPort(ObjectHandle transition, ObjectHandle socket, ObjectHandle port);
ObjectHandle EE_GetAssignedNode(ObjectHandle compound, ObjectHandle node);
// Adds to the list (kind 1, kernel objects as values) the compound nodes
// joined to the node and, for a port, the compound nodes that use its page.
int EE_CollectPortPeers(LMList* list, ObjectHandle node, SEHead* record);

// ---- fusion ----
int EE_AddFusionMember(ObjectHandle node, SEHead* set);
int EE_RemoveFusionMember(ObjectHandle node);
int EE_RedrawFusionTags(SEHead* set, int remove);
int EE_DeleteFusionSet(SEHead* set);

// ---- tags ----
int EE_UpdateHierarchyTag(ObjectHandle node);
int EE_UpdateFusionTag(ObjectHandle node);
int EE_UpdatePortTag(ObjectHandle node);

// ---- texts ----

// Stores an inscription region's text into its owner's record; 1.
int EE_UpdateNetFromRegion(ObjectHandle region);
// Clears what a removed region of the kind held for its owner.
int EE_RegionRemoved(ObjectHandle owner, int32_t kind);
// Clears the region's kind, deletes it when asked and applies the removal.
int EE_DropRegion(ObjectHandle region, int32_t kind, int deleteRegion);
int EE_StoreTransTexts(ObjectHandle node);
int EE_StorePlaceTexts(ObjectHandle node);
int EE_TakeNameFromRegion(ObjectHandle node);
// The name region's text, else the node's own, as a new string (null when
// empty); 1 when the node exists.
int EE_GetNameRegionText(ObjectHandle node, char** text);
int EE_SetArcExprFromRegion(ObjectHandle connector);
// Stores the node's name region (or its own text) into its record.
void EE_RefreshNodeName(uint32_t node);
// Drops the copy link (and tag 0xF904) of the record's kernel object.
int EE_DropCopyLink(SEHead* record);
// The first word of a text as a net name, in a new 65-byte block (null when
// the text has none).
char* EE_NameFromText(const char* text);

// ---- charts ----
int EE_ChartAttributes(int updating);
int EE_MakeBarChartRegion(ObjectHandle chart, Fixed x, Fixed y, Fixed width, Fixed height, ObjectHandle* region);
int EE_MakeLineChartRegion(ObjectHandle chart, Fixed x, Fixed y, Fixed width, Fixed height,
                           ObjectHandle* region);
