// The Pantel request that highlights a node with its regions and connectors
// and lets the user pick one of them; bound as tolq starts.
#include <chrono>
#include <vector>

#include "atolq/SML/SMLGramKernel.h"
#include "atolq/SML/SMLGramReply.h"
#include "atolq/SML/SMLPantel.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

namespace {

using namespace sml_gram;

constexpr uint32_t kFlagHighlight = 0x400002;
// Kinds the user may pick: connectors and regions.
constexpr int32_t kPickConnectorOrRegion = 24;
// A pick that ends sooner than this gave the user no chance: it could not run.
constexpr auto kPickTookNoTime = std::chrono::milliseconds(50);

uint32_t flag(ObjectHandle object, uint32_t mask) {
    uint32_t value = 0;
    QXRdAttr_GetFlag(object, mask, &value);
    return value;
}

// ---- request 11: pick a part of a node ----

void setHighlight(const std::vector<ObjectHandle>& objects, uint32_t on) {
    for (ObjectHandle object : objects) {
        QXWtAttr_SetFlag(object, kFlagHighlight, on);
        QXUI_RedrawObject(object);
    }
}

// The user's pick of a connector or region; 0 when the pick could not run at
// all (no window to pick in, another command running). A pick the user ends
// without an object is asked again.
ObjectHandle pickPart() {
    for (;;) {
        const auto start = std::chrono::steady_clock::now();
        const ObjectHandle picked = QXUI_PickObject(kPickConnectorOrRegion, 0);
        if (picked != 0) return picked;
        if (std::chrono::steady_clock::now() - start < kPickTookNoTime) return 0;
    }
}

bool pickPartOfNode(SMLWireIn& in, SMLWireOut& out) {
    ObjectHandle page = in.u32(), node = in.u32();
    const std::vector<uint32_t> listA = in.words(in.u32());
    const std::vector<uint32_t> listB = in.words(in.u32());
    if (!in.ok()) return false;

    if (QXText_IsEditing() != 0) QXText_SetEditMode(0);
    QXStr_SetCurPage(page);
    QXUI_FlushDisplay();

    const std::vector<ObjectHandle> gathered = SMLGatherWithRegions(node);
    QXList connectorList;
    QXStr_GetGroupConnList(&node, 1, &connectorList.array, &connectorList.count);
    const std::vector<ObjectHandle> connectors(connectorList.begin(), connectorList.end());

    std::vector<uint32_t> remembered;
    for (const auto* objects : {&gathered, &connectors})
        for (ObjectHandle object : *objects) remembered.push_back(flag(object, kFlagHighlight));

    setHighlight(gathered, 1);
    setHighlight(listA, 0);
    setHighlight(connectors, 1);
    setHighlight(listB, 0);

    const ObjectHandle picked = pickPart();

    size_t i = 0;
    for (const auto* objects : {&gathered, &connectors})
        for (ObjectHandle object : *objects) {
            QXWtAttr_SetFlag(object, kFlagHighlight, remembered[i++]);
            QXUI_RedrawObject(object);
        }
    if (picked == 0) return false;
    out.u32(0);
    out.u32(picked);
    return true;
}

} // namespace

void SMLInstallPantelPick() { SMLSetPantelHandler(11, pickPartOfNode); }
