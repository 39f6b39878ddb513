// Selection filters of the net editor's commands: each sees one selected
// object with its kernel type and role masks, refuses with a message box
// (keeping the id in the command's record) or collects facts for the command.
#include "atolq/CEditor/SelectionFilters.h"

#include <initializer_list>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr int16_t kMsgOnlyAux = 11297;
constexpr int16_t kMsgArcEnds = 11285;
constexpr int16_t kMsgArcSameKind = 11286;
constexpr int16_t kMsgFirstLevel = 11342;
constexpr int16_t kMsgParentsMixed = 11343;
constexpr int16_t kMsgConnector = 11310;
constexpr int16_t kMsgRegionGroup = 11316;
constexpr int16_t kMsgOnlyPlaces = 11317;
constexpr int16_t kMsgFusionPort = 11278;
constexpr int16_t kMsgOnlySubstitution = 11276;
constexpr int16_t kMsgOnlyRegions = 11320;
constexpr int16_t kMsgUnexpectedType = 16420;
constexpr int16_t kMsgUnexpectedSameKind = 16428;

constexpr uint16_t kKindPlace = 2;
constexpr uint16_t kKindTrans = 3;
constexpr uint16_t kKindArc = 4;

constexpr uint32_t kNodeKindBits = kEQPlaceBits | kEQTransBits;
constexpr uint32_t kAuxTextRegion = 2;       // graphic mask of region kind -2
constexpr uint32_t kPageObjectBits = 0xff000;
constexpr uint32_t kArcDirectionBits = 0xff;
constexpr uint32_t kArcRegionBits = 0xff0000;

EEFilterRecord& Record(void* argument)
{
    return *static_cast<EEFilterRecord*>(argument);
}

int Refuse(EEFilterRecord& record, int16_t message)
{
    record.refusal = message;
    GE_MessageBox(message);
    return 0;
}

uint16_t NetKind(uint32_t object)
{
    SEHead* head = nullptr;
    uint16_t kind = 0;
    uint16_t subKind = 0;
    if (GE_GetSERecord(object, &head) == 0 || head == nullptr)
        return 0;
    return SEGetKind(head, &kind, &subKind) != 0 ? kind : 0;
}

// An arc end: a node, or a region standing for the node it belongs to.
uint16_t EndKind(uint32_t end)
{
    if (end == 0)
        return 0;
    if (QXRdAttr_GetObjectType(end) == kEQTypeRegion)
        end = QXStr_GetBaseObject(end);
    return NetKind(end);
}

bool IsPlaceOrTrans(uint16_t kind)
{
    return kind == kKindPlace || kind == kKindTrans;
}

int ConvertConnector(EEFilterRecord& record, uint32_t object, uint32_t netMask, uint32_t graphicMask)
{
    if (netMask != 0)
        return Refuse(record, kMsgOnlyAux);
    if ((graphicMask & 0xff00) == 0)
        return 1;
    uint32_t start = 0;
    uint32_t end = 0;
    QXRdAttr_GetConnEnds(object, 1, &start, &end);
    const uint16_t a = EndKind(start);
    const uint16_t b = EndKind(end);
    if (!IsPlaceOrTrans(a) || !IsPlaceOrTrans(b))
        return Refuse(record, kMsgArcEnds);
    if (a == b)
        return Refuse(record, kMsgArcSameKind);
    ++record.arcCount;
    return 1;
}

int ConvertRegion(EEFilterRecord& record, uint32_t object, uint32_t netMask, uint32_t graphicMask)
{
    if (netMask != 0 || (graphicMask & kAuxTextRegion) != 0)
        return Refuse(record, kMsgOnlyAux);
    const uint32_t parent = QXStr_GetObjectPage(object);
    if (parent == 0 || QXRdAttr_GetObjectType(parent) == kEQTypeRegion)
        return Refuse(record, kMsgFirstLevel);
    const uint16_t kind = NetKind(parent);
    const bool netParent = kind == kKindPlace || kind == kKindTrans || kind == kKindArc;
    if (!netParent || (record.parentKind != 0 && record.parentKind != kind))
        return Refuse(record, kMsgParentsMixed);
    record.parentKind = kind;
    ++record.count;
    return 1;
}

// The base object of a selected region goes through the filter instead;
// a group of regions is refused.
int ThroughBaseObject(EEFilterRecord& record, uint32_t region, EQFilter filter)
{
    if (record.count >= 2)
        return Refuse(record, kMsgRegionGroup);
    const uint32_t base = QXStr_GetBaseObject(region);
    uint32_t type = 0;
    uint32_t net = 0;
    uint32_t graphic = 0;
    return EQ_MapSpec(1, &base, filter, &record, &type, &net, &graphic);
}

void NotePortTypes(EEFilterRecord& record, uint32_t netMask)
{
    for (const uint32_t bits : {kEQPortType4, kEQPortType1, kEQPortType2, kEQPortType3}) {
        if ((netMask & bits) != 0)
            record.portTypes |= bits;
    }
}

void NoteFusion(EEFilterRecord& record, uint32_t netMask)
{
    ++record.nodes;
    if ((netMask & kEQPortBits) != 0) {
        record.portFlag = false;
        record.plainFlag = false;
    } else if ((netMask & kEQFusionBits) != 0) {
        const uint16_t type = EE_FusionTypeOfMask(netMask);
        if (record.fusionMembers == 0)
            record.fusionType = type;
        else if (record.fusionType != type)
            record.fusionType = 0;
        ++record.fusionMembers;
    } else {
        record.plainFlag = false;
    }
    record.nodeKind = (record.firstNet & kEQPlaceBits) != 0 ? kKindPlace : kKindTrans;
    record.fusionFlag = record.fusionMembers == record.nodes;
    if (!record.fusionFlag)
        record.fusionType = 0;
}

}  // namespace

uint16_t EE_FusionTypeOfMask(uint32_t netMask)
{
    if ((netMask & 0x40040) != 0)
        return 1;
    if ((netMask & 0x100100) != 0)
        return 2;
    if ((netMask & 0x80080) != 0)
        return 3;
    return 0;
}

int EE_FilterConvert(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* argument)
{
    EEFilterRecord& record = Record(argument);
    switch (type) {
    case kEQTypeNode:
        if (netMask != 0)
            return Refuse(record, kMsgOnlyAux);
        ++record.count;
        return 1;
    case kEQTypeConnector:
        return ConvertConnector(record, object, netMask, graphicMask);
    case kEQTypeRegion:
        return ConvertRegion(record, object, netMask, graphicMask);
    default:
        return Refuse(record, kMsgUnexpectedType);
    }
}

int EE_FilterPortType(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* argument)
{
    EEFilterRecord& record = Record(argument);
    if (type == kEQTypeConnector)
        return Refuse(record, kMsgConnector);
    if (type == kEQTypeRegion)
        return ThroughBaseObject(record, object, EE_FilterPortType);
    if ((netMask & (kEQOtherNodeBits | kEQTransBits)) != 0 || (netMask & kEQPlaceBits) == 0 || graphicMask != 0)
        return Refuse(record, kMsgOnlyPlaces);
    if ((netMask & kEQFusionBits) != 0)
        return Refuse(record, kMsgFusionPort);
    NotePortTypes(record, netMask);
    ++record.count;
    return 1;
}

int EE_FilterFusion(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* argument)
{
    EEFilterRecord& record = Record(argument);
    if (type == kEQTypeConnector)
        return Refuse(record, kMsgConnector);
    if (type == kEQTypeRegion)
        return ThroughBaseObject(record, object, EE_FilterFusion);
    if ((netMask & kNodeKindBits) == 0 || (netMask & kEQOtherNodeBits) != 0 || graphicMask != 0)
        return Refuse(record, kMsgOnlyPlaces);
    if (!record.seenFirst) {
        record.seenFirst = true;
        record.firstNet = netMask;
    }
    const bool firstIsPlace = (record.firstNet & kEQPlaceBits) != 0;
    const bool isPlace = (netMask & kEQPlaceBits) != 0;
    if (firstIsPlace != isPlace)
        return Refuse(record, kMsgOnlyPlaces);
    NoteFusion(record, netMask);
    ++record.count;
    return 1;
}

int EE_FilterSubstitution(uint32_t object, uint32_t type, uint32_t netMask, uint32_t, void* argument)
{
    EEFilterRecord& record = Record(argument);
    if (type == kEQTypeConnector)
        return Refuse(record, kMsgConnector);
    if (type == kEQTypeRegion)
        return ThroughBaseObject(record, object, EE_FilterSubstitution);
    if ((netMask & kEQCompoundBits) == 0)
        return Refuse(record, kMsgOnlySubstitution);
    ++record.count;
    return 1;
}

int EE_FilterSameKind(uint32_t, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* argument)
{
    EEFilterRecord& record = Record(argument);
    if (type != kEQTypeNode && type != kEQTypeConnector && type != kEQTypeRegion)
        return Refuse(record, kMsgUnexpectedSameKind);
    if (!record.seenFirst) {
        record.seenFirst = true;
        record.firstNet = netMask;
        record.firstGraphic = graphicMask;
        ++record.count;
        return 1;
    }
    bool same = false;
    if (type == kEQTypeNode) {
        if (record.firstNet == 0) {
            same = netMask == 0 && graphicMask == record.firstGraphic;
        } else {
            const bool otherSame = (netMask & kEQOtherNodeBits) == (record.firstNet & kEQOtherNodeBits);
            const bool placeSame = ((netMask & kEQPlaceBits) != 0) == ((record.firstNet & kEQPlaceBits) != 0);
            const bool transSame = ((netMask & kEQTransBits) != 0) == ((record.firstNet & kEQTransBits) != 0);
            same = otherSame && placeSame && transSame;
        }
    } else if (type == kEQTypeConnector) {
        const uint32_t keep = kArcDirectionBits | kArcRegionBits;
        same = (netMask & keep) == (record.firstNet & keep);
    } else {
        same = netMask == record.firstNet && graphicMask == record.firstGraphic;
    }
    if (!same)
        return 0;
    ++record.count;
    return 1;
}

int EE_FilterAuxTextRegion(uint32_t, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* argument)
{
    EEFilterRecord& record = Record(argument);
    switch (type) {
    case kEQTypeNode:
        if (netMask != 0 || (graphicMask & kPageObjectBits) != 0)
            return Refuse(record, kMsgOnlyAux);
        break;
    case kEQTypeConnector:
        return Refuse(record, kMsgConnector);
    case kEQTypeRegion:
        if (netMask != 0 || (graphicMask & kAuxTextRegion) != 0)
            return Refuse(record, kMsgOnlyAux);
        break;
    default:
        return Refuse(record, kMsgUnexpectedSameKind);
    }
    ++record.count;
    return 1;
}

int EE_FilterMakeNode(uint32_t, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* argument)
{
    EEFilterRecord& record = Record(argument);
    if (type != kEQTypeRegion)
        return Refuse(record, kMsgOnlyRegions);
    if (netMask != 0 || (graphicMask & kAuxTextRegion) != 0)
        return Refuse(record, kMsgOnlyAux);
    ++record.count;
    return 1;
}
