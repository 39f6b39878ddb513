// The role masks of selections: for each object of a list its
// net mask and its graphic mask, the type of the first object, and the region
// bit of a region kind. The selection descriptions, checks and text menu of
// the net editor read them. Kept in a file of its own so that a program that
// provides its own classifier does not take this one.
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUtil.h"

namespace {

constexpr int16_t kMsgUnexpectedConnector = 16403;
constexpr uint32_t kBarChartBit = 0x40000000;
constexpr uint32_t kLineChartBit = 0x80000000;

bool Alive(ObjectHandle object)
{
    return object != 0 && QXStr_IsObject(object) != 0;
}

SEHead* RecordOf(ObjectHandle object)
{
    SEHead* record = nullptr;
    if (Alive(object)) {
        GE_GetSERecord(object, &record);
    }
    return record;
}

ObjectHandle PageOf(ObjectHandle object)
{
    for (int guard = 0; Alive(object) && guard < 64; ++guard) {
        if (QXRdAttr_GetObjectType(object) == kQXKindPage) {
            return object;
        }
        object = QXStr_GetObjectPage(object);
    }
    return 0;
}

uint32_t NodeNetMask(SEHead* record)
{
    switch (record->kind) {
    case kSEPlace:
    case kSETrans: {
        uint32_t bits = 0;
        const uint16_t sub = record->subKind;
        if (sub >= kSEPortInput && sub <= kSEPortGeneral) {
            bits |= 0x2u << (sub - 1);
        }
        if (SETestNodeFlag(record) != 0) {
            bits |= 0x20;
        }
        if (SEHead* set = SEGetFusSet(record)) {
            bits |= set->subKind == kSEFusGlobal ? 0x40 : set->subKind == kSEFusPage ? 0x100 : 0x80;
        }
        if (sub == kSESubstitution) {
            bits |= 0x200;
        }
        if (sub == kSEInvocation && record->kind == kSETrans) {
            bits |= 0x400;
        }
        if (SEHasCompoundPeer(record) != 0) {
            bits |= 0x800;
        }
        if (bits == 0) {
            bits = 0x1;
        }
        return record->kind == kSETrans ? bits << 12 : bits;
    }
    case kSEDeclNode: return record->subKind >= 1 && record->subKind <= 3 ? 0x1000000u << (record->subKind - 1) : 0;
    case kSEBarChart: return kBarChartBit;
    case kSELineChart: return kLineChartBit;
    default: return 0;
    }
}

uint32_t NodeGraphicMask(ObjectHandle node)
{
    const ObjectHandle hierarchy = PG_GetHierarchyPage();
    if (hierarchy != 0 && PageOf(node) == hierarchy) {
        uint32_t length = 0;
        if (PGIsHierarchyObject(node, &length) == 0) {
            return 0x10000;
        }
        SEHead* page = RecordOf(PGNodePage(node));
        switch (page != nullptr && page->kind == kSEPage ? page->subKind : 0) {
        case 1: return 0x1000;
        case 3: return 0x2000;
        case 2: return 0x4000;
        default: return 0x8000;
        }
    }
    if (QXUtil_IsLabel(node) != 0) {
        return 0x40;
    }
    switch (QXRdAttr_GetShape(node)) {
    case 1: return 0x1;
    case 2: return 0x2;
    case 3: return 0x10;
    case 4: return 0x4;
    case 5: return 0x8;
    case 6: return 0x80;
    case 7: return 0x100;
    default: return 0;
    }
}

// The region index of a net kind: kind - 4096, plus 1 for a key region; the
// line chart's code counts as the bar chart's.
uint32_t RegionIndex(int32_t kind)
{
    int32_t base = GE_BaseRegionKind(kind);
    if (base == kRegionLineChart) {
        base = kRegionBarChart;
    }
    return static_cast<uint32_t>(base - kRegionName + (GE_IsKeyRegionKind(kind) != 0 ? 1 : 0));
}

struct Masks {
    uint32_t net = 0;
    uint32_t graphic = 0;
};

// 0 ends the scan with the given result.
bool ObjectMasks(ObjectHandle object, uint32_t type, Masks* masks, int* stopResult)
{
    *masks = Masks{};
    switch (type) {
    case kQXKindNode: {
        SEHead* record = RecordOf(object);
        if (record != nullptr) {
            masks->net = NodeNetMask(record);
        } else {
            masks->graphic = NodeGraphicMask(object);
        }
        return true;
    }
    case kQXKindConnector: {
        SEHead* record = RecordOf(object);
        if (record != nullptr) {
            if (record->kind != kSEArc) {
                EE_ReportError(kMsgUnexpectedConnector);
                *stopResult = 1;
                return false;
            }
            SEHead* partner = nullptr;
            if (GE_GetSecondRecord(object, &partner) != 0 && partner != nullptr) {
                masks->net = 0x4;
            } else {
                masks->net = record->subKind == kSEPlaceToTrans ? 0x1 : 0x2;
            }
            return true;
        }
        uint32_t length = 0;
        if (PGIsHierarchyObject(object, &length) != 0) {
            switch (PGArcKind(object)) {
            case 7: masks->graphic = 0x10000; return true;
            case 8: masks->graphic = 0x20000; return true;
            case 9: masks->graphic = 0x40000; return true;
            default: break;
            }
        }
        masks->graphic = 0xFF00;
        return true;
    }
    case kQXKindRegion: {
        const int32_t kind = GE_RegionKindOf(object);
        if (kind >= 1) {
            masks->net = EQ_RegionBit(kQXKindRegion, kind);
        } else {
            masks->graphic = EQ_RegionBit(kQXKindRegion, kind);
        }
        return true;
    }
    default: return true;
    }
}

}  // namespace

int EQ_MapSpec(uint32_t count, const uint32_t* objects, EQFilter filter, void* argument, uint32_t* type,
               uint32_t* netMask, uint32_t* graphicMask)
{
    uint32_t firstType = 0;
    uint32_t net = 0;
    uint32_t graphic = 0;
    int result = 1;
    if (count == 0 || objects == nullptr || !Alive(objects[0])) {
        result = 0;
    } else {
        firstType = QXRdAttr_GetObjectType(objects[0]);
        if (firstType == kQXKindPage) {
            firstType = 0;
            result = 0;
        }
    }
    for (uint32_t i = 0; result != 0 && i < count; ++i) {
        const ObjectHandle object = objects[i];
        const uint32_t objectType = Alive(object) ? QXRdAttr_GetObjectType(object) : 0;
        if (firstType == kQXKindRegion && objectType != kQXKindRegion) {
            result = 0;
            break;
        }
        Masks masks;
        int stop = 0;
        if (!ObjectMasks(object, objectType, &masks, &stop)) {
            result = stop;
            break;
        }
        if (filter != nullptr && filter(object, objectType, masks.net, masks.graphic, argument) == 0) {
            result = 0;
            break;
        }
        net |= masks.net;
        graphic |= masks.graphic;
    }
    if (type != nullptr) *type = firstType;
    if (netMask != nullptr) *netMask = net;
    if (graphicMask != nullptr) *graphicMask = graphic;
    return result;
}

uint32_t EQ_RegionBit(uint32_t objectClass, int32_t kind)
{
    if (objectClass != kQXKindRegion) {
        return 0;
    }
    if (kind >= 1) {
        return 1u << (RegionIndex(kind) & 31);
    }
    return kind == 0 ? 1u : static_cast<uint32_t>(-kind);
}

