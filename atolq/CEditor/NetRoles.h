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
