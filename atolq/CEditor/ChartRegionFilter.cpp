// The selection filter of the commands on chart and other regions: it keeps
// the first region's masks, its placement bits (owner's colours, hidden or
// missing), whether it is sized with its owner, and its offset from its
// owner, and marks each of them where a later region differs.
#include "atolq/CEditor/SelectionFilters.h"

#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetRecords.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QX.h"

namespace {

constexpr int16_t kMsgOnlyRegions = 11320;
constexpr uint32_t kFlagSizedApart = 16;
constexpr uint16_t kShownBits = 3;
constexpr int32_t kDiffer = -1;

struct Placement {
    int32_t ownerColours;
    int32_t shownBits;
    int32_t sizedWithOwner;
};

Placement placementOf(ObjectHandle region)
{
    uint8_t kind = 0, sub = 0;
    uint16_t bits = 0;
    GE_GetChartTag(region, &kind, &sub, &bits);
    uint32_t apart = 0;
    QXRdAttr_GetFlag(region, kFlagSizedApart, &apart);
    return {bits & kChartTagOwnerColours, bits & kShownBits, apart == 0 ? 1 : 0};
}

void keepOrDiffer(int32_t& kept, int32_t seen)
{
    if (kept != seen)
        kept = kDiffer;
}

} // namespace

int EE_FilterChartRegions(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* argument)
{
    auto& record = *static_cast<EEChartRegionRecord*>(argument);
    const Placement p = placementOf(object);
    if (record.count == 0) {
        if (type != kEQTypeRegion) {
            record.refusal = kMsgOnlyRegions;
            GE_MessageBox(kMsgOnlyRegions);
            return 0;
        }
        record.netMask = netMask;
        record.graphicMask = graphicMask;
        record.ownerColours = p.ownerColours;
        record.shownBits = p.shownBits;
        record.sizedWithOwner = p.sizedWithOwner;
        Fixed rx = 0, ry = 0, ox = 0, oy = 0;
        QXRdAttr_GetPosition(object, &rx, &ry);
        QXRdAttr_GetPosition(QXStr_GetObjectPage(object), &ox, &oy);
        record.dx = QXUtil_FixedToInt(rx - ox);
        record.dy = QXUtil_FixedToInt(oy - ry);
    } else {
        if (netMask != record.netMask || graphicMask != record.graphicMask)
            record.masksDiffer = true;
        keepOrDiffer(record.ownerColours, p.ownerColours);
        keepOrDiffer(record.shownBits, p.shownBits);
        keepOrDiffer(record.sizedWithOwner, p.sizedWithOwner);
    }
    ++record.count;
    return 1;
}
