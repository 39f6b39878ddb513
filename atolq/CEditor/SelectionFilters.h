// Selection filters of the net editor's commands. A command lets the
// selection classifier walk the selected objects and hands each object, with
// its kernel type and its two role masks, to one of these filters; a filter
// refuses the selection with a message box (the id is kept in the record) or
// collects what the command needs to know.
#pragma once

#include <cstdint>

// Kernel object types as the classifier gives them.
inline constexpr uint32_t kEQTypeNode = 4;
inline constexpr uint32_t kEQTypeConnector = 8;
inline constexpr uint32_t kEQTypeRegion = 16;

// Role-mask groups of nodes (net mask).
inline constexpr uint32_t kEQPlaceBits = 0xfff;
inline constexpr uint32_t kEQTransBits = 0xfff000;
inline constexpr uint32_t kEQOtherNodeBits = 0x7000000;
inline constexpr uint32_t kEQPortBits = 0x1e01e;
inline constexpr uint32_t kEQFusionBits = 0x1c01c0;
inline constexpr uint32_t kEQCompoundBits = 0x600600;
inline constexpr uint32_t kEQCompoundPeerBits = 0x800800;
inline constexpr uint32_t kEQPortType4 = 0x2002;
inline constexpr uint32_t kEQPortType1 = 0x4004;
inline constexpr uint32_t kEQPortType2 = 0x8008;
inline constexpr uint32_t kEQPortType3 = 0x10010;

// The selection classifier's callback: (object, type, net mask, graphic mask,
// argument) -> 1 go on, 0 stop.
using EQFilter = int (*)(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* argument);

// What a filter collects for its command.
struct EEFilterRecord {
    int16_t refusal = 0;          // message shown when the filter refused
    uint32_t count = 0;           // objects (or nodes, regions) accepted
    uint32_t arcCount = 0;        // auxiliary connectors that may become arcs
    bool seenFirst = false;
    uint32_t firstNet = 0;        // the first object's net mask
    uint32_t firstGraphic = 0;    // the first object's graphic mask
    uint32_t parentKind = 0;      // net kind shared by the parents of regions
    uint32_t portTypes = 0;       // port-type bits present
    uint32_t fusionMembers = 0;   // fusion members among the nodes
    uint32_t nodes = 0;           // nodes seen by the fusion filter
    bool fusionFlag = true;       // every node is a fusion member
    bool portFlag = true;         // no port node was seen
    bool plainFlag = true;        // no plain node was seen
    uint16_t nodeKind = 0;        // 2 places, 3 transitions (fusion filter)
    uint16_t fusionType = 0;      // the members' common fusion type, 0 mixed or none
};

// Region filter of conversion to net objects.
int EE_FilterConvert(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* record);
// Port places: places that are not fusion members; collects port types.
int EE_FilterPortType(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* record);
// Fusion: places or transitions, not mixed; notes their kind.
int EE_FilterFusion(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* record);
// Substitution and invocation nodes only.
int EE_FilterSubstitution(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* record);
// Objects that all agree with the first one, refused without a message.
int EE_FilterSameKind(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* record);
// Auxiliary nodes and auxiliary regions.
int EE_FilterAuxTextRegion(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* record);
// Auxiliary regions that may become nodes again.
int EE_FilterMakeNode(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* record);

// The fusion type (1 global, 2 page, 3 instance) that a node's net mask
// shows, 0 for none.
uint16_t EE_FusionTypeOfMask(uint32_t netMask);

// What the chart region filter keeps of the selected regions: the first
// region's masks and placement, and where later regions differ.
struct EEChartRegionRecord {
    int16_t refusal = 0;
    uint32_t count = 0;           // regions seen
    uint32_t netMask = 0;         // the first region's masks
    uint32_t graphicMask = 0;
    bool masksDiffer = false;     // a later region has other masks
    int32_t ownerColours = 0;     // tag bit 8 (0 or 8); -1 when the regions differ
    int32_t shownBits = 0;        // tag bits 1 hidden, 2 missing; -1 when they differ
    int32_t sizedWithOwner = 0;   // kernel flag 16 clear (1) or set (0); -1 when they differ
    int32_t dx = 0;               // whole units: region x minus owner x
    int32_t dy = 0;               // whole units: owner y minus region y
};
// Regions only (11320); collects an EEChartRegionRecord.
int EE_FilterChartRegions(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* record);
