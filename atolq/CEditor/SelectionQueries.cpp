// The objects of a list that match role masks, by the bits that the
// selection classifier gives each object.
#include "atolq/CEditor/SelectionQueries.h"

#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr int16_t kMsgUnexpectedGroupType = 16402;
constexpr uint32_t kShapeBits = 0xFFF;
constexpr uint32_t kArcBits = 0x3;

uint32_t TypeOf(uint32_t object)
{
    return object != 0 && QXStr_IsObject(object) != 0 ? QXRdAttr_GetObjectType(object) : 0;
}

bool NodeMatches(uint32_t net, uint32_t graphic, uint32_t netMask, uint32_t graphicMask)
{
    if ((net & netMask) != 0)
        return true;
    // A node on the hierarchy page answers by its page's bits, which count
    // only when no shape bit is asked for.
    const bool hierarchyBits = (graphic & ~kShapeBits) != 0;
    if (hierarchyBits && (graphicMask & kShapeBits) != 0)
        return false;
    return (graphic & graphicMask) != 0;
}

bool ConnectorMatches(uint32_t net, uint32_t graphic, uint32_t netMask, uint32_t graphicMask)
{
    // A connector that carries two arcs (net bit 0x4) never matches.
    return (net & netMask & kArcBits) != 0 || (graphic & graphicMask) != 0;
}

}  // namespace

int EQ_ForEachMatching(uint32_t count, const uint32_t* objects, uint32_t typeBits, uint32_t netMask,
                       uint32_t graphicMask, EQFilter callback, void* argument)
{
    if (count == 0 || objects == nullptr || callback == nullptr)
        return 0;
    if (typeBits == 0 || (netMask == 0 && graphicMask == 0))
        return 1;
    const uint32_t firstType = TypeOf(objects[0]);
    if ((firstType & typeBits) == 0)
        return 1;
    if (firstType != kEQTypeNode && firstType != kEQTypeConnector && firstType != kEQTypeRegion) {
        EE_ReportError(kMsgUnexpectedGroupType);
        return 0;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t object = objects[i];
        const uint32_t type = TypeOf(object);
        if (firstType == kEQTypeRegion && type != kEQTypeRegion)
            return 1;
        uint32_t ignored = 0, net = 0, graphic = 0;
        if (EQ_MapSpec(1, &object, nullptr, nullptr, &ignored, &net, &graphic) == 0)
            continue;
        bool matches = false;
        switch (type) {
        case kEQTypeNode: matches = NodeMatches(net, graphic, netMask, graphicMask); break;
        case kEQTypeConnector: matches = ConnectorMatches(net, graphic, netMask, graphicMask); break;
        case kEQTypeRegion: matches = (net & netMask) != 0 || (graphic & graphicMask) != 0; break;
        default: break;
        }
        if (matches && callback(object, type, net, graphic, argument) == 0)
            return 0;
    }
    return 1;
}
