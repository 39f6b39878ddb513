// Net-editor services for loading and saving diagrams as XML: mode
// attributes, the busy state, flag refreshes, the page-name region of a page
// node, the net side of a new diagram, copying edited texts into the net and
// a region's placement.
#include "atolq/CEditor/NetServices.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr uint32_t kTypeRegion = 16;
constexpr int16_t kMsgRegionsOnly = 11320;
constexpr uint32_t kCommandSaveXml = 11261;
constexpr uint32_t kStateMenusStale = 0x10;
constexpr uint32_t kFlagSizeWithParent = 16;

// Mode bits in the order of the interface's five values.

SEHead* RecordOf(ObjectHandle object)
{
    SEHead* record = nullptr;
    if (object == 0 || GE_GetSERecord(object, &record) == 0)
        return nullptr;
    return record;
}

// The mode word of a page or substitution node, or null.
uint32_t* ModeWordOf(SEHead* record, uint16_t** primeCount)
{
    *primeCount = nullptr;
    if (record == nullptr)
        return nullptr;
    if (record->kind == kSEPage) {
        auto* page = reinterpret_cast<SEPage*>(record);
        *primeCount = &page->primeCount;
        return &page->modeFlags;
    }
    if (record->kind == kSEPlace || record->kind == kSETrans) {
        SECompound* compound = SEGetCompound(record);
        return compound != nullptr ? &compound->modeFlags : nullptr;
    }
    return nullptr;
}

// The page that a page or compound node stands for on the hierarchy page.
ObjectHandle NamedPage(ObjectHandle object, SEHead* record)
{
    if (record->kind == kSEPage)
        return object;
    if ((record->kind == kSEPlace || record->kind == kSETrans) && SEGetCompound(record) != nullptr)
        return SEGetSubpageObj(record);
    return 0;
}

}  // namespace

// ---- pages of a page command ----

namespace {
constexpr int16_t kMsgNodesOnly = 11323;
constexpr int16_t kMsgPageNodesOnly = 11299;
constexpr uint32_t kTypeNode = 4;

// Frees a QXMem block when it goes.
struct Block {
    uint32_t* data = nullptr;
    ~Block()
    {
        if (data != nullptr)
            QXMem_Free(data);
    }
};
}  // namespace

int EE_GetPagesOfCommand(uint16_t* count, ObjectHandle** pages)
{
    *count = 0;
    *pages = nullptr;
    const ObjectHandle current = QXStr_GetCurPage();
    if (current == 0)
        return 0;
    uint32_t length = 0;
    std::vector<ObjectHandle> chosen;
    if (PGIsHierarchyObject(current, &length) == 0) {
        chosen.push_back(current);
    } else {
        uint16_t selected = 0;
        Block selection;
        if (GE_GetSelection(&selected, &selection.data) == 0 || selected == 0 || selection.data == nullptr)
            return 1;
        if (QXRdAttr_GetObjectType(selection.data[0]) != kTypeNode) {
            GE_MessageBox(kMsgNodesOnly);
            return 0;
        }
        for (uint16_t i = 0; i < selected; ++i) {
            const ObjectHandle page = PGNodePage(selection.data[i]);
            if (QXRdAttr_GetObjectType(selection.data[i]) != kTypeNode || page == 0) {
                GE_MessageBox(kMsgPageNodesOnly);
                return 0;
            }
            chosen.push_back(page);
        }
    }
    auto* list = static_cast<ObjectHandle*>(QXMem_Alloc(static_cast<uint32_t>(chosen.size() * sizeof(ObjectHandle))));
    if (list == nullptr)
        EE_FatalError(kMsgOutOfMemory);
    std::copy(chosen.begin(), chosen.end(), list);
    *pages = list;
    *count = static_cast<uint16_t>(chosen.size());
    return 1;
}

// ---- mode attributes ----

int EE_GetModeAttributes(ObjectHandle object, uint16_t* simulated, uint16_t* observe, uint16_t* propagate,
                         uint16_t* interactive, uint16_t* execute, uint16_t* primeCount)
{
    uint16_t* prime = nullptr;
    const uint32_t* word = ModeWordOf(RecordOf(object), &prime);
    if (word == nullptr)
        return 0;
    uint16_t* out[5] = {simulated, observe, propagate, interactive, execute};
    for (size_t i = 0; i < kEEModeBits.size(); ++i) {
        if (out[i] != nullptr)
            *out[i] = (*word & kEEModeBits[i]) != 0 ? 0 : 1;
    }
    if (primeCount != nullptr)
        *primeCount = prime != nullptr ? *prime : 0;
    return 1;
}

int EE_SetModeAttributes(ObjectHandle object, uint16_t simulated, uint16_t observe, uint16_t propagate,
                         uint16_t interactive, uint16_t execute, uint16_t primeCount, uint32_t)
{
    uint16_t* prime = nullptr;
    uint32_t* word = ModeWordOf(RecordOf(object), &prime);
    if (word == nullptr)
        return 0;
    const uint16_t values[5] = {simulated, observe, propagate, interactive, execute};
    for (size_t i = 0; i < kEEModeBits.size(); ++i) {
        if (values[i] == kEEModeKeep)
            continue;
        if (values[i] != 0)
            *word &= ~kEEModeBits[i];
        else
            *word |= kEEModeBits[i];
    }
    if (prime != nullptr && primeCount != kEEModeKeep) {
        *prime = primeCount;
        // The prime flag goes with the count: the switch makes instances only
        // of pages that carry it.
        auto* page = reinterpret_cast<SEPage*>(RecordOf(object));
        if (primeCount != 0)
            page->flags |= kSEBit0;
        else
            page->flags &= ~kSEBit0;
    }
    return 1;
}

int EE_SetModeAttributes(ObjectHandle object, const uint32_t* eight)
{
    auto off = [eight](int i) { return static_cast<uint16_t>(eight[i] != 0 ? 0 : 1); };
    const uint16_t prime = eight[7] != 0 ? static_cast<uint16_t>(eight[5]) : 0;
    return EE_SetModeAttributes(object, off(0), off(1), off(2), off(3), off(4), prime, eight[6]);
}

// ---- object flags ----

namespace {
constexpr uint32_t kRefreshMasks[] = {4, 1, 0x400002};
}

int GE_RefreshObjectFlags(ObjectHandle object)
{
    for (uint32_t mask : kRefreshMasks) {
        if (QXWtAttr_SetFlag(object, mask, 0) == 0 || QXWtAttr_SetFlag(object, mask, 1) == 0)
            return 0;
    }
    return 1;
}

int GE_ClearObjectFlags(ObjectHandle object)
{
    for (uint32_t mask : kRefreshMasks) {
        if (QXWtAttr_SetFlag(object, mask, 0) == 0)
            return 0;
    }
    return 1;
}

// ---- page names on the hierarchy page ----

int EE_UpdatePageNameRegion(ObjectHandle object)
{
    SEHead* record = RecordOf(object);
    const ObjectHandle page = record != nullptr ? NamedPage(object, record) : 0;
    if (page == 0)
        return 0;
    const ObjectHandle node = PGFindPageNode(page);
    if (node == 0)
        return 1;
    const std::string name = EE_PageModeString(page);
    ObjectHandle region = 0;
    GE_GetRegion(node, kRegionPageMode, &region);
    if (name.empty()) {
        if (region != 0)
            GE_DeleteRegion(node, kRegionPageMode);
        return 1;
    }
    if (region == 0)
        region = GE_MakeRegion(node, kRegionPageMode);
    if (region != 0)
        QXText_SetText(region, name.c_str());
    return 1;
}

// ---- diagrams and texts ----

void EE_UpdateNetFromObject(ObjectHandle object)
{
    uint32_t length = 0;
    if (QXStr_IsObject(object) == 0 || PGIsHierarchyObject(object, &length) != 0)
        return;
    if (QXRdAttr_GetObjectType(object) == kTypeRegion) {
        EE_UpdateNetFromRegion(object);
        return;
    }
    uint16_t kind = 0, subKind = 0;
    SEHead* record = nullptr;
    EE_GetObjectKind(object, &kind, &subKind, &record);
    ObjectHandle region = 0;
    switch (kind) {
    case kSEPlace:
    case kSETrans:
        if (GE_GetRegion(object, kRegionName, &region) == 0 || region == 0)
            return;
        EE_TakeNameFromRegion(object);
        EE_RefreshNameUses(object);
        if (subKind == 6 || subKind == 7) {
            PGAddRelation(object);
            EE_UpdatePageNameRegion(object);
        }
        return;
    case kSEArc:
        if (GE_GetRegion(object, kRegionArcExpr, &region) == 0 || region == 0)
            return;
        EE_SetArcExprFromRegion(object);
        return;
    case kSEDeclNode:
        EE_BuildDeclRegions(object);
        return;
    default:
        return;
    }
}

// ---- region placement ----

int CE_RegionAttrCheck(ObjectHandle region, int32_t, uint32_t, uint32_t, CERegionAttr* record)
{
    if (QXRdAttr_GetObjectType(region) != kTypeRegion) {
        GE_MessageBox(kMsgRegionsOnly);
        return 0;
    }
    uint8_t kind = 0, sub = 0;
    uint16_t bits = 0;
    GE_GetChartTag(region, &kind, &sub, &bits);
    uint32_t flag16 = 0;
    QXRdAttr_GetFlag(region, kFlagSizeWithParent, &flag16);
    Fixed rx = 0, ry = 0, ox = 0, oy = 0;
    QXRdAttr_GetPosition(region, &rx, &ry);
    QXRdAttr_GetPosition(QXStr_GetObjectPage(region), &ox, &oy);
    *record = CERegionAttr{static_cast<uint32_t>(bits & kChartTagOwnerColours), flag16 == 0 ? 1u : 0u,
                           static_cast<uint32_t>(bits & 3), rx - ox, oy - ry};
    return 1;
}
