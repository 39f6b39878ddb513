// Regions of net objects: the inscriptions of places, transitions and arcs
// and the chart code are kernel regions owned by their net object, each with
// a signed 32-bit region kind. Some kinds hang from a key region (a small tag
// region of kind | 0x10000000 on the net object) so that they can be shown
// and hidden by double-clicking the key. Finding, making, moving and clearing
// regions by kind, and the pick of a region's owner.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xkv/types/Types.h"

struct SEHead;

// Region kinds.
inline constexpr int32_t kRegionKeyBit = 0x10000000;
inline constexpr int32_t kRegionPlain = 0;
inline constexpr int32_t kRegionAux = -2;       // auxiliary text region (also arc end tags)
inline constexpr int32_t kRegionMLResult = -4;
inline constexpr int32_t kRegionFeedback = -8;
inline constexpr int32_t kRegionName = 4096;
inline constexpr int32_t kRegionColourSet = 4097;
inline constexpr int32_t kRegionInitMark = 4098;
inline constexpr int32_t kRegionHierarchy = 4099;  // keyed: "HS" / "HI"
inline constexpr int32_t kRegionFusion = 4101;     // keyed: "FG" / "FP" / "FI"
inline constexpr int32_t kRegionArcExprOld = 4103;
inline constexpr int32_t kRegionGuard = 4104;
inline constexpr int32_t kRegionCode = 4105;       // keyed
inline constexpr int32_t kRegionTest = 4107;
inline constexpr int32_t kRegionArcExpr = 4108;
inline constexpr int32_t kRegionPageMode = 4109;   // keyed
inline constexpr int32_t kRegionLog = 4111;        // keyed
inline constexpr int32_t kRegionMarking = 4113;    // keyed
inline constexpr int32_t kRegionInputToken = 4115; // keyed
inline constexpr int32_t kRegionPort = 4117;       // keyed
inline constexpr int32_t kRegionSubstLabel = 4119;
inline constexpr int32_t kRegionInvocLabel = 4120;
inline constexpr int32_t kRegionOutputToken = 4121;  // keyed
inline constexpr int32_t kRegionDeclEntry = 4123;
inline constexpr int32_t kRegionTime = 4125;
inline constexpr int32_t kRegionBarChart = 4126;     // keyed
inline constexpr int32_t kRegionLineChart = 69662;   // keyed

// Message ids of the region prompts.
inline constexpr int16_t kMsgPickNameParent = 11790;
inline constexpr int16_t kMsgPickColourParent = 11791;
inline constexpr int16_t kMsgPickInitMarkParent = 11792;
inline constexpr int16_t kMsgPickGuardParent = 11793;
inline constexpr int16_t kMsgPickCodeParent = 11794;
inline constexpr int16_t kMsgPickTestParent = 11795;
inline constexpr int16_t kMsgPickArcParent = 11796;
inline constexpr int16_t kMsgPickAuxParent = 11797;
inline constexpr int16_t kMsgPickLogParent = 11801;
inline constexpr int16_t kMsgPickMarkingParent = 11820;
inline constexpr int16_t kMsgPickInputTokenParent = 11821;
inline constexpr int16_t kMsgPickOutputTokenParent = 11822;
inline constexpr int16_t kMsgPickTimeParent = 11831;
inline constexpr int16_t kMsgPickBarChartParent = 11412;
inline constexpr int16_t kMsgPickLineChartParent = 11413;

// Kind | key bit; the kind without the key bit; 1 when the kind is a key
// region's kind (not negative, key bit set).
int32_t GE_KeyRegionKind(int32_t kind);
int32_t GE_BaseRegionKind(int32_t kind);
int GE_IsKeyRegionKind(int32_t kind);
// 1 for the kinds whose region hangs from a key region (4099, 4101, 4105,
// 4109, 4111, 4113, 4115, 4117, 4121, 4126, 69662).
int GE_IsKeyedRegionKind(int32_t kind);

// The region kind recorded on a region; 0 for an object that is no region.
int32_t GE_RegionKindOf(ObjectHandle region);
// The regions of an object, first to last.
std::vector<ObjectHandle> GE_RegionsOf(ObjectHandle object);
// The whole text of an object ("" when it has none).
std::string GE_TextOf(ObjectHandle object);

// Makes the region a region of the parent and records the kind on it.
int GE_AttachRegion(ObjectHandle parent, ObjectHandle region, int32_t kind);
// Attaches an existing object as the region of a kind: directly for the
// unkeyed kinds 4096-4098, 4104, 4108, 4119, 4120, 4123, 4125 and for key
// kinds; keyed kinds go below a key region made on the parent; others 0.
int GE_AttachAsRegion(ObjectHandle parent, ObjectHandle region, int32_t kind);
// A new region of the kind on the parent from the kind's defaults (level 3):
// offset from the parent and size, graphic defaults, the key text; the key
// regions of 4115 and 4121 sit at the connector's start and end point.
// Failure to create is fatal (11266).
int GE_CreateRegion(ObjectHandle page, ObjectHandle parent, int32_t kind, ObjectHandle* region);
// A new region of the kind on the object (keyed kinds below their key region,
// which is made when missing); 0 for other kinds or on failure.
ObjectHandle GE_MakeRegion(ObjectHandle object, int32_t kind);
// The object's region of the kind (keyed kinds through their key region).
int GE_GetRegion(ObjectHandle object, int32_t kind, ObjectHandle* region);
// The last of the object's regions whose recorded kind is the kind exactly.
int GE_FindChildRegion(ObjectHandle object, int32_t kind, ObjectHandle* region);
// The text of the object's region of the kind: the setter replaces it; the
// getter gives a new string (null for an empty region), 0 without a region.
int GE_SetRegionText(ObjectHandle object, int32_t kind, const char* text);
int GE_GetRegionText(ObjectHandle object, int32_t kind, char** text);
// Deletes the region of the kind (keyed kinds: the key region with all on it).
int GE_DeleteRegion(ObjectHandle object, int32_t kind);
// Deletes every region of the object whose kind is above 0; 1.
int GE_DeleteNetRegions(ObjectHandle object);
// Counts the object's regions with a kind above 0 and the others.
int GE_CountRegions(ObjectHandle object, uint32_t* net, uint32_t* other);
// Whether other texts refer to the object, and whether its text refers to
// other objects.
int GE_TextLinks(ObjectHandle object, int* referredTo, int* hasReferences);
// Moves the texts of the net regions of one object into the matching regions
// of another (made when missing) and deletes the old regions; 1.
int GE_MoveNetRegions(ObjectHandle from, ObjectHandle to);
// Clears the recorded kinds of all regions of the object.
int GE_ClearRegionKinds(ObjectHandle object);
// Records kind 0 on the region (and on a key region's base region); a region
// below a key region of its kind takes the key region with it and *region
// becomes that key region (kinds 0, 4113, 4115 and 4121 only when forced); a
// declaration entry's region (4123) gives its text to its node. 1.
int GE_ClearRegionKind(ObjectHandle* region, int32_t kind, ObjectHandle* owner, int force);
// A region becomes an ordinary object again, without its net user data.
int GE_UnmakeNetRegion(ObjectHandle region);
// The direction code of a connector and the net records of its ends: when both
// ends have net kinds, fromTransition tells whether the first end is the
// transition; otherwise both records are 0 and fromTransition is 1.
int GE_ArcEnds(ObjectHandle connector, uint32_t* direction, int* fromTransition, SEHead** transition,
               SEHead** place);
// Finds the region of the kind and removes that inscription through the net
// editor (the region is deleted); 1.
int GE_RemoveRegionInfo(ObjectHandle object, int32_t kind);
// 1 when the object is a net object that may own a region of the kind.
int GE_CanParentRegion(ObjectHandle object, int32_t kind);
// Shows the kind's prompt and lets the user pick an owner of the fitting net
// kind among shown objects outside the deferred object; 0 when cancelled.
ObjectHandle GE_PickRegionParent(int32_t kind);
// The pick filter of hook 65 during GE_PickRegionParent: (object, flag
// address) -> 1 accepts.
uintptr_t GE_RegionParentFilter(uintptr_t object, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
