// Pantel requests, through the kernel's programming interface only: request
// 10 describes a node with its regions and connectors; request 11 (the pick
// of a part of a node) is bound as tolq starts.
#include "atolq/SML/SMLPantel.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/SML/SMLGram.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"

namespace {

constexpr uint32_t kFlagShown = 4;
constexpr uint32_t kFlagHighlight = 0x400002;
constexpr size_t kPageNameSize = 64;

// An object list of the interface, freed when it goes out of scope.
struct QXList {
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    QXList() = default;
    QXList(const QXList&) = delete;
    QXList& operator=(const QXList&) = delete;
    ~QXList() {
        if (array != nullptr) QXMem_Free(array);
    }
    const ObjectHandle* begin() const { return array; }
    const ObjectHandle* end() const { return array + count; }
};

std::string textOf(ObjectHandle object) {
    uint32_t length = 0;
    if (QXText_GetLength(object, &length) == 0) return {};
    std::string text(length, '\0');
    uint32_t got = length;
    if (QXText_GetText(object, text.data(), &got) == 0) return {};
    text.resize(std::min(got, length));
    return text;
}

// The text of the object's first region, empty when it has none.
std::string firstRegionText(ObjectHandle object) {
    QXList regions;
    QXStr_GetRegionList(object, &regions.count, &regions.array);
    return regions.count > 0 ? textOf(regions.array[0]) : std::string();
}

uint32_t flag(ObjectHandle object, uint32_t mask) {
    uint32_t value = 0;
    QXRdAttr_GetFlag(object, mask, &value);
    return value;
}

void position(SMLWireOut& out, ObjectHandle object) {
    Fixed x = 0, y = 0;
    QXRdAttr_GetPosition(object, &x, &y);
    out.px(x);
    out.px(y);
}

ObjectHandle findPage(const std::string& name) {
    QXList pages;
    QXStr_GetPageList(&pages.count, &pages.array);
    for (ObjectHandle page : pages) {
        char pageName[kPageNameSize] = {};
        uint16_t number;
        int16_t width, height;
        uint32_t border;
        if (QXRdAttr_GetPageAttr(page, pageName, &number, &width, &height, &border) != 0 &&
            name == std::string_view(pageName, strnlen(pageName, kPageNameSize - 1)))
            return page;
    }
    return 0;
}

// The first node of the page whose first region's text is the name; its name
// region in *nameRegion.
ObjectHandle findNode(ObjectHandle page, const std::string& name, ObjectHandle* nameRegion) {
    QXList nodes;
    QXStr_GetNodeList(page, &nodes.count, &nodes.array);
    for (ObjectHandle node : nodes) {
        QXList regions;
        QXStr_GetRegionList(node, &regions.count, &regions.array);
        if (regions.count > 0 && textOf(regions.array[0]) == name) {
            *nameRegion = regions.array[0];
            return node;
        }
    }
    return 0;
}

bool describeNode(SMLWireIn& in, SMLWireOut& out) {
    std::string pageName = in.str(), nodeName = in.str();
    if (!in.ok()) return false;
    ObjectHandle page = findPage(pageName), nameRegion = 0;
    ObjectHandle node = page != 0 ? findNode(page, nodeName, &nameRegion) : 0;
    if (node == 0) {
        out.u32(1);
        return true;
    }
    out.u32(0);
    out.u32(page);
    out.u32(node);
    out.pstr(textOf(nameRegion));
    out.u32(flag(node, kFlagShown));
    position(out, node);

    QXList regions;
    QXStr_GetRegionList(node, &regions.count, &regions.array);
    out.u32(regions.count);
    for (ObjectHandle region : regions) {
        out.u32(region);
        out.pstr(firstRegionText(region));
        out.u32(flag(region, kFlagShown));
        out.u32(flag(region, kFlagHighlight));
        position(out, region);
    }

    QXList connectors;
    QXStr_GetGroupConnList(&node, 1, &connectors.array, &connectors.count);
    out.u32(connectors.count);
    for (ObjectHandle connector : connectors) {
        out.u32(connector);
        out.pstr(firstRegionText(connector));
        out.u32(flag(connector, kFlagShown));
        out.u32(flag(connector, kFlagHighlight));
        ObjectHandle start = 0, end = 0;
        QXRdAttr_GetConnEnds(connector, 1, &start, &end);
        out.u32(start);
        out.u32(end);
    }
    return true;
}

// Regions of regions are gathered down to this many objects, so that a
// damaged region tree cannot make the walk endless.
constexpr size_t kGatherLimit = 4096;

// The object, then the regions of each gathered object in turn.
std::vector<ObjectHandle> gatherWithRegions(ObjectHandle object) {
    std::vector<ObjectHandle> gathered{object};
    for (size_t i = 0; i < gathered.size() && gathered.size() < kGatherLimit; ++i) {
        QXList regions;
        QXStr_GetRegionList(gathered[i], &regions.count, &regions.array);
        for (ObjectHandle region : regions) {
            if (gathered.size() >= kGatherLimit) break;
            gathered.push_back(region);
        }
    }
    return gathered;
}

} // namespace

std::vector<ObjectHandle> SMLGatherWithRegions(ObjectHandle object) { return gatherWithRegions(object); }

uint32_t SMLCountRegions(ObjectHandle object) {
    return static_cast<uint32_t>(gatherWithRegions(object).size() - 1);
}

namespace {

struct PantelEntry {
    uint32_t code;
    SMLGramHandler run; // null until bound
};

PantelEntry g_pantelRequests[] = {
    {10, describeNode},
    {11, nullptr}, // bound as tolq starts
};

} // namespace

int SMLPantelSwitch(std::span<const uint8_t> request, SMLWireOut& reply) {
    reply.clear();
    SMLWireIn in(request);
    uint32_t code = in.u32();
    for (const PantelEntry& entry : g_pantelRequests) {
        if (entry.code != code || !in.ok() || entry.run == nullptr) continue;
        if (!entry.run(in, reply)) break;
        SMLSynchronizeDisplay();
        return 0;
    }
    reply.clear();
    return -1;
}

bool SMLSetPantelHandler(uint32_t code, SMLGramHandler handler) {
    for (PantelEntry& entry : g_pantelRequests) {
        if (entry.code != code) continue;
        entry.run = handler;
        return true;
    }
    return false;
}
