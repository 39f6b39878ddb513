// QX connector ends: attaching both ends of a connector anew.
#include "xkv/core/Core.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXStr.h"
#include "xkv/model/Model.h"

namespace {

// The object an end is attached to: the region when one is given (it must
// belong to the node), else the node; 0 when the pair does not fit.
ObjectHandle EndObject(ObjectHandle node, ObjectHandle region)
{
    if (!Model_IsNode(node)) {
        return 0;
    }
    if (region == 0 || region == node) {
        return node;
    }
    if (!Model_IsRegion(region) || QXStr_GetBaseObject(region) != node) {
        return 0;
    }
    return region;
}

}  // namespace

uint32_t QXWtAttr_SetConnEnds(ObjectHandle connector, ObjectHandle node1, ObjectHandle region1, ObjectHandle node2,
                              ObjectHandle region2)
{
    if (!Model_IsConnector(connector)) {
        return qx::Fail(kStatusNotNodes);
    }
    const ObjectHandle start = EndObject(node1, region1);
    const ObjectHandle end = EndObject(node2, region2);
    if (start == 0 || end == 0 || Model_GetParent(start) == 0) {
        return qx::Fail(kStatusBadArgument);
    }
    Core_RedrawObject(connector);
    if (KernelStatus s = Model_SetConnectorEnds(connector, start, end); s != kStatusOk) {
        return qx::Fail(s);
    }
    // Both ends start from the centres of their objects; the rebuild clips
    // them to the outlines.
    const FixPoint centre{};
    Model_SetField(connector, Field::kStartOffset, &centre);
    Model_SetField(connector, Field::kEndOffset, &centre);
    RebuildRequest request;
    request.kind = kRebuildReattached;
    request.changed = start;
    KernelStatus status = Core_RebuildObject(connector, &request);
    Core_RedrawObject(connector);
    return qx::Store(status);
}
