// Net object roles: kinds of objects from their records, stripping and
// deleting net roles, and the tag and clipboard helpers of the editor
// commands.
#include "atolq/CEditor/NetRoles.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/Utils/LMList.h"
#include "atolq/CEditor/SelectionQueries.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr uint32_t kSweepFlags = kGEDeletingNetObjects | kGEStrippingRegionKinds | kGEConnectorSweep;
constexpr int32_t kFirstChartRegionKind = 4254;
constexpr int32_t kLastChartRegionKind = 5278;
constexpr int32_t kChartRegionKindStep = 64;
constexpr uint16_t kSavedDeclKindBase = 11;

bool IsType(ObjectHandle object, uint32_t type)
{
    return object != 0 && QXStr_IsObject(object) != 0 && QXRdAttr_GetObjectType(object) == type;
}

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

std::vector<ObjectHandle> ListOf(uint32_t (*get)(ObjectHandle, uint16_t*, ObjectHandle**), ObjectHandle object)
{
    std::vector<ObjectHandle> objects;
    if (!Alive(object)) {
        return objects;
    }
    uint16_t count = 0;
    ObjectHandle* list = nullptr;
    if (get(object, &count, &list) != 0 && list != nullptr) {
        objects.assign(list, list + count);
    }
    if (list != nullptr) {
        QXMem_Free(list);
    }
    return objects;
}

std::vector<ObjectHandle> ConnectorsOf(ObjectHandle object)
{
    return ListOf(QXStr_GetObjectConnList, object);
}

int CollectResult(uintptr_t result, void* results)
{
    static_cast<std::vector<uintptr_t>*>(results)->push_back(result);
    return 1;
}

std::vector<uintptr_t> Query(uint16_t query, void* input)
{
    std::vector<uintptr_t> results;
    SEIter iter{};
    iter.input = input;
    EQ_ForEachInQuery(query, CollectResult, &iter, &results);
    return results;
}

// The base objects at the ends of a connector.
void EndBases(ObjectHandle connector, ObjectHandle* start, ObjectHandle* end)
{
    *start = 0;
    *end = 0;
    QXRdAttr_GetConnEnds(connector, 0, start, end);
}

void RedrawCompound(ObjectHandle node)
{
    if (Alive(node) && EE_IsCompoundNode(node) != 0) {
        EE_UpdateHierarchyTag(node);
    }
}

// The object loses its net links; under state flag 128 its regions lose
// their kinds too.
void Strip(ObjectHandle object)
{
    GE_DeleteSERecord(object);
    if (GE_TestStateFlags(kGEStrippingRegionKinds) != 0) {
        GE_ClearRegionKinds(object);
    }
}

int DeleteOrStrip(ObjectHandle object, int deleteFlag)
{
    if (deleteFlag != 0) {
        return QXStr_DeleteObject(object) != 0 ? 1 : 0;
    }
    Strip(object);
    return 1;
}

int RemoveUnlinked(ObjectHandle object, int deleteFlag)
{
    if (!IsType(object, kQXKindRegion)) {
        if (deleteFlag != 0) {
            const ObjectHandle page = PageOf(object);
            if (IsType(object, kQXKindNode) && GE_GetSelfMark(object) == object && page != 0 &&
                GE_GetAuxWord(page) == object) {
                GE_DeleteUserData(page, kTagAuxWord);
            }
            QXStr_DeleteObject(object);
        }
        return 1;
    }
    if (EE_IsProtectedChartRegion(object) != 0) {
        GE_MessageBox(deleteFlag != 0 ? kMsgChartRegionDelete : kMsgChartRegionToAux);
        return 0;
    }
    const int32_t kind = GE_RegionKindOf(object);
    if (kind > 0) {
        return EE_DropRegion(object, kind, deleteFlag);
    }
    if (deleteFlag != 0) {
        if (kind == kRegionAux) {
            for (ObjectHandle connector : ConnectorsOf(object)) {
                if (Alive(connector)) {
                    EE_RemoveNetInfo(connector, 1);
                }
            }
        }
        QXStr_DeleteObject(object);
    }
    return 1;
}

int RemoveNode(ObjectHandle object, SEHead* record, int deleteFlag)
{
    const ObjectHandle page = PageOf(object);
    const bool wasPort = SEIsPort(record) != 0;
    if (EE_IsCompoundNode(object) != 0) {
        EE_UnmakeCompound(object);
    }
    const std::vector<ObjectHandle> regions = GE_RegionsOf(object);
    EE_StripConnectors(object, deleteFlag);
    record = RecordOf(object);
    if (record != nullptr) {
        record->kind == kSEPlace ? SEDelPlace(reinterpret_cast<SEPlace*>(record))
                                 : SEDelTrans(reinterpret_cast<SETrans*>(record));
    }
    for (ObjectHandle region : regions) {
        if (Alive(region)) {
            QXUI_RedrawObject(region);
        }
    }
    if (wasPort) {
        EE_UpdateSuperNodeTags(page);
    }
    return DeleteOrStrip(object, deleteFlag);
}

int RemoveArc(ObjectHandle connector, SEHead* record, uint16_t subKind, int deleteFlag)
{
    ObjectHandle startBase = 0, endBase = 0, start = 0, end = 0;
    EndBases(connector, &startBase, &endBase);
    QXRdAttr_GetConnEnds(connector, 1, &start, &end);
    SEHead* partner = nullptr;
    if (subKind == kEEDoubleArc) {
        GE_GetSecondRecord(connector, &partner);
    }
    SEDelArc(reinterpret_cast<SEArc*>(record));
    if (partner != nullptr) {
        SEDelArc(reinterpret_cast<SEArc*>(partner));
    }
    DeleteOrStrip(connector, deleteFlag);
    RedrawCompound(startBase);
    if (endBase != startBase) {
        RedrawCompound(endBase);
    }
    if (deleteFlag != 0 && GE_TestStateFlags(kGEConnectorSweep) == 0) {
        for (ObjectHandle attached : {start, end}) {
            if (IsType(attached, kQXKindRegion) && GE_RegionKindOf(attached) == kRegionAux &&
                ConnectorsOf(attached).empty()) {
                QXStr_DeleteObject(attached);
            }
        }
    }
    return 1;
}

// The kind word saved on a clipboard copy: 12 to 14 for declaration nodes,
// else the kind, with the sub-kind in the high half.
uint32_t SavedKind(uint16_t kind, uint16_t subKind)
{
    if (kind == kSEDeclNode) {
        return static_cast<uint32_t>(kSavedDeclKindBase + subKind);
    }
    return static_cast<uint32_t>(kind) | (static_cast<uint32_t>(subKind) << 16);
}

int DeleteRecord(SEHead* record, uint16_t kind)
{
    switch (kind) {
    case kSEPlace: return SEDelPlace(reinterpret_cast<SEPlace*>(record));
    case kSETrans: return SEDelTrans(reinterpret_cast<SETrans*>(record));
    case kSEDeclNode: return SEDelDeclNode(reinterpret_cast<SEDeclNode*>(record));
    case kSEBarChart: return SEDelBarChart(reinterpret_cast<SEBarChart*>(record));
    case kSELineChart: return SEDelLineChart(reinterpret_cast<SELineChart*>(record));
    default: return 0;
    }
}

void StripLinks(ObjectHandle object)
{
    for (uint16_t tag : {kTagNetRecord, kTagSecondRecord, kTagAuxWord, kTagNodeCode}) {
        if (GE_HasUserData(object, tag) != 0) {
            GE_DeleteUserData(object, tag);
        }
    }
}

}  // namespace

int EE_GetObjectKind(ObjectHandle object, uint16_t* kind, uint16_t* subKind, SEHead** record)
{
    if (kind != nullptr) *kind = 0;
    if (subKind != nullptr) *subKind = 0;
    if (record != nullptr) *record = nullptr;
    SEHead* found = RecordOf(object);
    if (found == nullptr) {
        return 0;
    }
    uint16_t k = found->kind;
    uint16_t s = found->subKind;
    SEHead* partner = nullptr;
    if (IsType(object, kQXKindConnector) && GE_GetSecondRecord(object, &partner) != 0 && partner != nullptr) {
        k = kSEArc;
        s = kEEDoubleArc;
    }
    if (kind != nullptr) *kind = k;
    if (subKind != nullptr) *subKind = s;
    if (record != nullptr) *record = found;
    return 1;
}

int EE_IsCompoundNode(ObjectHandle object)
{
    uint16_t kind = 0;
    uint16_t subKind = 0;
    EE_GetObjectKind(object, &kind, &subKind, nullptr);
    return (kind == kSEPlace || kind == kSETrans) && (subKind == kSESubstitution || subKind == kSEInvocation) ? 1
                                                                                                               : 0;
}

int EE_BuildDeclRegions(ObjectHandle object)
{
    SEHead* record = RecordOf(object);
    if (record == nullptr || record->kind != kSEDeclNode) {
        return 0;
    }
    const std::string text = GE_TextOf(object);
    char* copy = nullptr;
    if (!text.empty()) {
        copy = GE_Alloc(static_cast<uint32_t>(text.size() + 1));
        std::memcpy(copy, text.c_str(), text.size() + 1);
    }
    return SESetDeclText(record, copy);
}

int EE_RemoveNetInfo(ObjectHandle object, int deleteFlag)
{
    if (!Alive(object)) {
        return 0;
    }
    uint16_t kind = 0;
    uint16_t subKind = 0;
    SEHead* record = nullptr;
    EE_GetObjectKind(object, &kind, &subKind, &record);
    switch (kind) {
    case 0: return RemoveUnlinked(object, deleteFlag);
    case kSEPlace:
    case kSETrans: return RemoveNode(object, record, deleteFlag);
    case kSEArc: return RemoveArc(object, record, subKind, deleteFlag);
    case kSEDeclNode:
        SEDelDeclNode(reinterpret_cast<SEDeclNode*>(record));
        return DeleteOrStrip(object, deleteFlag);
    case kSEDeclEntry:
        if (deleteFlag == 0) {
            GE_MessageBox(kMsgDeclEntryToAux);
            return 0;
        }
        return DEDeleteEntry(reinterpret_cast<SEDeclEntry*>(record));
    case kSEBarChart:
    case kSELineChart:
        DeleteRecord(record, kind);
        return DeleteOrStrip(object, deleteFlag);
    default: EE_ReportError(kMsgConvertUnexpected); return 0;
    }
}

void EE_ConvertObjectsToAux(uint16_t count, const uint32_t* objects)
{
    if (objects == nullptr) {
        return;
    }
    const bool wasSet = GE_TestStateFlags(kGEStrippingRegionKinds) != 0;
    GE_SetStateFlags(kGEStrippingRegionKinds);
    std::vector<ObjectHandle> later;
    for (uint16_t i = 0; i < count; ++i) {
        if (EE_IsCompoundNode(objects[i]) != 0) {
            EE_RemoveNetInfo(objects[i], 0);
        } else {
            later.push_back(objects[i]);
        }
    }
    for (ObjectHandle object : later) {
        if (Alive(object)) {
            EE_RemoveNetInfo(object, 0);
        }
    }
    if (!wasSet) {
        GE_ClearStateFlags(kGEStrippingRegionKinds);
    }
}

int EE_StripConnectors(ObjectHandle object, int deleteFlag)
{
    const std::vector<ObjectHandle> connectors = ConnectorsOf(object);
    if (connectors.empty()) {
        return 0;
    }
    const uint32_t before = GE_GetStateFlags() & kSweepFlags;
    GE_SetStateFlags(kSweepFlags);
    for (ObjectHandle connector : connectors) {
        if (Alive(connector)) {
            EE_RemoveNetInfo(connector, deleteFlag);
        }
    }
    GE_ClearStateFlags(kSweepFlags & ~before);
    return 1;
}

int EE_IsProtectedChartRegion(ObjectHandle object)
{
    if (!IsType(object, kQXKindRegion) || QXRdAttr_IsGroupSelected() != 0) {
        return 0;
    }
    const int32_t base = GE_BaseRegionKind(GE_RegionKindOf(object));
    return base >= kFirstChartRegionKind && base <= kLastChartRegionKind &&
                   (base - kFirstChartRegionKind) % kChartRegionKindStep == 0
               ? 1
               : 0;
}

int EE_UpdateSuperNodeTags(ObjectHandle page)
{
    SEHead* record = RecordOf(page);
    if (record == nullptr || record->kind != kSEPage) {
        return 0;
    }
    for (uintptr_t node : Query(2, record)) {
        EE_UpdateHierarchyTag(static_cast<ObjectHandle>(node));
    }
    return 1;
}

int EE_UpdateCollectedTags(LMList* list)
{
    if (list == nullptr) {
        return 1;
    }
    std::vector<ObjectHandle> nodes;
    void* value = nullptr;
    while (LMCount(list) != 0) {
        if (LMFirst(list, &value, nullptr) != 0) {
            nodes.push_back(static_cast<ObjectHandle>(reinterpret_cast<uintptr_t>(value)));
        }
        LMRemoveFirst(list);
    }
    std::sort(nodes.begin(), nodes.end());
    nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
    for (ObjectHandle node : nodes) {
        if (Alive(node)) {
            EE_UpdateHierarchyTag(node);
        }
    }
    return 1;
}

int EE_RefreshNameUses(ObjectHandle object)
{
    SEHead* record = RecordOf(object);
    if (record == nullptr) {
        return 0;
    }
    LMList* peers = LMCreate(kLMValueList);
    EE_CollectPortPeers(peers, object, record);
    EE_UpdateCollectedTags(peers);
    LMDestroy(peers);
    return 1;
}

int EE_StripNodeCopy(ObjectHandle node, int cut)
{
    uint16_t kind = 0;
    uint16_t subKind = 0;
    SEHead* record = nullptr;
    EE_GetObjectKind(node, &kind, &subKind, &record);
    GE_DeleteSERecord(node);
    if (GE_HasUserData(node, kTagNodeCode) != 0) {
        GE_DeleteUserData(node, kTagNodeCode);
    }
    if (kind == 0) {
        return 1;
    }
    GE_SetAuxWord(node, SavedKind(kind, subKind));
    if (kind == kSEDeclNode) {
        GE_SetStateFlags(kGEClipboardHasNet);
    }
    if (kind == kSEPlace || kind == kSETrans) {
        GE_ClearRegionKinds(node);
    }
    if (cut == 0 || record == nullptr) {
        return 1;
    }
    const int result = DeleteRecord(record, kind);
    return kind == kSEBarChart || kind == kSELineChart ? result : 1;
}

int EE_StripObjectTree(ObjectHandle object)
{
    if (!Alive(object)) {
        return 0;
    }
    switch (QXRdAttr_GetObjectType(object)) {
    case kQXKindPage:
        for (ObjectHandle connector : ListOf(QXStr_GetPageConnList, object)) {
            EE_StripObjectTree(connector);
        }
        for (ObjectHandle node : ListOf(QXStr_GetNodeList, object)) {
            EE_StripObjectTree(node);
        }
        return 1;
    case kQXKindNode:
        StripLinks(object);
        for (ObjectHandle region : GE_RegionsOf(object)) {
            EE_StripObjectTree(region);
        }
        for (ObjectHandle connector : ConnectorsOf(object)) {
            StripLinks(connector);
            for (ObjectHandle region : GE_RegionsOf(connector)) {
                EE_StripObjectTree(region);
            }
        }
        return 1;
    case kQXKindConnector:
        StripLinks(object);
        for (ObjectHandle region : GE_RegionsOf(object)) {
            EE_StripObjectTree(region);
        }
        return 1;
    case kQXKindRegion:
        QXWtAttr_SetRegionKind(object, 0);
        for (ObjectHandle region : GE_RegionsOf(object)) {
            EE_StripObjectTree(region);
        }
        return 1;
    default: return 0;
    }
}

int EE_DeleteStrippedRecord(ObjectHandle object, int deleteFlag)
{
    uint16_t kind = 0;
    uint16_t subKind = 0;
    SEHead* record = nullptr;
    EE_GetObjectKind(object, &kind, &subKind, &record);
    switch (kind) {
    case kSEDeclNode:
        GE_SetStateFlags(kGEClipboardHasNet);
        DeleteRecord(record, kind);
        break;
    case kSEBarChart:
    case kSELineChart: DeleteRecord(record, kind); break;
    case kSEPlace:
    case kSETrans:
        DeleteRecord(record, kind);
        if (deleteFlag != 0) {
            GE_DeleteNetRegions(object);
        } else {
            GE_ClearRegionKinds(object);
        }
        break;
    case kSEArc: {
        SEHead* partner = nullptr;
        if (subKind == kEEDoubleArc) {
            GE_GetSecondRecord(object, &partner);
        }
        SEDelArc(reinterpret_cast<SEArc*>(record));
        if (partner != nullptr) {
            SEDelArc(reinterpret_cast<SEArc*>(partner));
        }
        break;
    }
    default: break;
    }
    GE_DeleteSERecord(object);
    return 1;
}

int EE_RedrawCompoundEnds(ObjectHandle connector)
{
    if (!IsType(connector, kQXKindConnector)) {
        return 0;
    }
    ObjectHandle start = 0, end = 0;
    EndBases(connector, &start, &end);
    RedrawCompound(start);
    if (end != start) {
        RedrawCompound(end);
    }
    return 1;
}
