// Net records of editor objects: record creation for pages, places,
// transitions, declaration nodes, charts and arcs; deletion; the page and
// connector-direction hooks; hierarchy, fusion and tag regions; inscription
// texts kept in step with their regions; chart regions.
#include "atolq/CEditor/NetObjects.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/Utils/LMList.h"
#include "atolq/CEditor/SelectionQueries.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr uint32_t kNameSize = 65;
constexpr uint32_t kPageNameSize = 256;
constexpr int16_t kMsgTagHS = 11778;
constexpr int16_t kMsgTagFG = 11779;
constexpr int16_t kMsgTagFP = 11784;
constexpr int16_t kMsgTagFI = 11785;
constexpr int16_t kMsgTagHI = 11786;
constexpr int32_t kLineStyleChartRegion = 4;
constexpr uint32_t kChartSettingsSize = 2640;
constexpr uint32_t kCursorDone = 4;

bool IsType(ObjectHandle object, uint32_t type)
{
    return object != 0 && QXStr_IsObject(object) != 0 && QXRdAttr_GetObjectType(object) == type;
}

SEHead* RecordOf(ObjectHandle object)
{
    SEHead* record = nullptr;
    if (object != 0 && QXStr_IsObject(object) != 0) {
        GE_GetSERecord(object, &record);
    }
    return record;
}

// The page object an object lies on (walking up through region owners).
ObjectHandle PageOf(ObjectHandle object)
{
    for (int guard = 0; object != 0 && guard < 64; ++guard) {
        if (QXRdAttr_GetObjectType(object) == kQXKindPage) {
            return object;
        }
        object = QXStr_GetObjectPage(object);
    }
    return 0;
}

SEPage* PageRecordOf(ObjectHandle node)
{
    SEHead* record = RecordOf(PageOf(node));
    return record != nullptr && record->kind == kSEPage ? reinterpret_cast<SEPage*>(record) : nullptr;
}

char* Copy(const std::string& text)
{
    char* copy = GE_Alloc(static_cast<uint32_t>(text.size() + 1));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

char* Dup(const char* text)
{
    return text != nullptr ? Copy(text) : nullptr;
}

// The object's whole text as a new string, null when empty.
char* TextCopy(ObjectHandle object)
{
    const std::string text = GE_TextOf(object);
    return text.empty() ? nullptr : Copy(text);
}

std::string Message(int16_t id)
{
    char text[kGEMessageTextSize] = {};
    GE_GetMessageText(id, text);
    return text;
}

// A page name copied into a 65-byte block; an empty name is "Unnamed".
char* CopyPageName(const char* name)
{
    char* copy = GE_Alloc(kNameSize);
    std::strncpy(copy, name != nullptr && name[0] != '\0' ? name : "Unnamed", kNameSize - 1);
    copy[kNameSize - 1] = '\0';
    return copy;
}

int CollectResult(uintptr_t result, void* results)
{
    static_cast<std::vector<uintptr_t>*>(results)->push_back(result);
    return 1;
}

// Runs a query of the abstract net and collects its results.
std::vector<uintptr_t> Query(uint16_t query, void* input, uintptr_t selector = 0)
{
    std::vector<uintptr_t> results;
    SEIter iter{};
    iter.input = input;
    iter.result = selector;
    EQ_ForEachInQuery(query, CollectResult, &iter, &results);
    return results;
}

// Index of a region in its owner's region list, -1 when absent.
int RegionIndex(ObjectHandle owner, ObjectHandle region)
{
    const std::vector<ObjectHandle> regions = GE_RegionsOf(owner);
    for (size_t i = 0; i < regions.size(); ++i) {
        if (regions[i] == region) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

ObjectHandle RegionAt(ObjectHandle owner, int index)
{
    const std::vector<ObjectHandle> regions = GE_RegionsOf(owner);
    return index >= 0 && static_cast<size_t>(index) < regions.size() ? regions[static_cast<size_t>(index)] : 0;
}

int ReportAndFail(int16_t id)
{
    EE_ReportError(id);
    return 0;
}

// Links a new record to its kernel object; a failed link drops the record.
template <class Record, class Drop>
int Link(ObjectHandle object, Record* record, Drop drop)
{
    if (GE_SetSERecord(object, &record->head) == 0) {
        drop(record);
        return 0;
    }
    return 1;
}

int MakeChartRecord(ObjectHandle node, int openDialog, bool line)
{
    SEPage* page = PageRecordOf(node);
    SEHead* chart = nullptr;
    if (page != nullptr) {
        chart = line ? &SECreateLineChart(page, node)->head : &SECreateBarChart(page, node)->head;
    }
    if (page == nullptr || chart == nullptr) {
        return ReportAndFail(kMsgChartNotCreated);
    }
    if (GE_SetSERecord(node, chart) == 0) {
        line ? SEDelLineChart(reinterpret_cast<SELineChart*>(chart))
             : SEDelBarChart(reinterpret_cast<SEBarChart*>(chart));
        return 0;
    }
    return openDialog != 0 ? EE_ChartAttributes(0) : 1;
}

// The arc's region text, or the connector's own text when the region is
// missing or empty; a new string or null.
char* ArcExpressionText(ObjectHandle connector)
{
    char* text = nullptr;
    if (GE_GetRegionText(connector, kRegionArcExpr, &text) != 0 && text != nullptr) {
        return text;
    }
    return TextCopy(connector);
}

// Stores the name of a node from a region's (or its own) text.
void StoreName(SEHead* record, ObjectHandle source)
{
    const std::string text = GE_TextOf(source);
    SESetName(record, EE_NameFromText(text.c_str()));
}

int SetInscription(SEHead* record, int32_t kind, char* text)
{
    switch (kind) {
    case kRegionColourSet: return SESetColourSet(record, text);
    case kRegionInitMark: return SESetInitMark(record, text);
    case kRegionGuard: return SESetGuard(record, text);
    case kRegionCode: return SESetCode(record, text);
    case kRegionTime: return SESetTime(record, text);
    case kRegionBarChart: return SESetBarChartText(record, text);
    case kRegionLineChart: return SESetLineChartText(record, text);
    case kRegionArcExpr: return SESetArcExpr(record, text);
    default: QXMem_Free(text); return 0;
    }
}

// Writes the key text of a tag region's key (unless the key is the region).
void SetKeyText(ObjectHandle region, int32_t kind, int16_t message)
{
    const ObjectHandle key = QXStr_GetObjectPage(region);
    if (GE_RegionKindOf(key) == GE_KeyRegionKind(kind)) {
        QXText_SetText(key, Message(message).c_str());
    }
}

// Finds the object's region of the kind or makes one.
ObjectHandle FindOrMake(ObjectHandle object, int32_t kind)
{
    ObjectHandle region = 0;
    if (GE_GetRegion(object, kind, &region) != 0) {
        return region;
    }
    return GE_MakeRegion(object, kind);
}

std::string TakeText(char* text)
{
    std::string value = text != nullptr ? text : "";
    if (text != nullptr) {
        QXMem_Free(text);
    }
    return value;
}

int MakeChartRegion(ObjectHandle chart, Fixed x, Fixed y, Fixed width, Fixed height, ObjectHandle* region,
                    int32_t kind)
{
    if (region != nullptr) {
        *region = 0;
    }
    Hook_Register(kHookCommandEnd, EE_CreationEnded);
    ObjectHandle old = 0;
    if (GE_GetRegion(chart, kind, &old) != 0) {
        const ObjectHandle key = QXStr_GetObjectPage(old);
        QXWtAttr_SetRegionKind(old, 0);
        QXStr_MakeRegion(old, chart);
        if (key != chart && key != old) {
            QXStr_DeleteObject(key);
        }
        Fixed cx = 0, cy = 0, cw = 0, ch = 0, rw = 0, rh = 0;
        QXRdAttr_GetPosition(chart, &cx, &cy);
        QXRdAttr_GetSize(chart, &cw, &ch);
        QXRdAttr_GetSize(old, &rw, &rh);
        const Fixed px = cw / 2 + cx - 2 * rw;
        const Fixed py = rh / 2 + ch / 2 + cy;
        QXWtAttr_SetPosition(old, QXUtil_IntToFixed(QXUtil_FixedToInt(px)), QXUtil_IntToFixed(QXUtil_FixedToInt(py)));
    } else {
        SEChartsChanged();
    }
    const ObjectHandle page = QXStr_GetCurPage() != 0 ? QXStr_GetCurPage() : PageOf(chart);
    const ObjectHandle node = QXStr_CreateNode(page, x, y, width, height, 1);
    if (node == 0) {
        return 0;
    }
    QXWtAttr_SetLineAttr(node, kLineStyleChartRegion, 0, 0, 1);
    if (GE_AttachAsRegion(chart, node, kind) == 0) {
        QXStr_DeleteObject(node);
        return 0;
    }
    if (region != nullptr) {
        *region = node;
    }
    return 1;
}

bool connectorHookActive = false;

}  // namespace

// ---- record creation ----

int EE_ApplyPageModeDefaults(ObjectHandle page)
{
    SEHead* record = RecordOf(page);
    std::array<uint32_t, 8> defaults{};
    if (record == nullptr || record->kind != kSEPage || DefGetModeAttributes(defaults.data(), kDefLevelDiagram) == 0)
        return 0;
    uint32_t& word = reinterpret_cast<SEPage*>(record)->modeFlags;
    for (size_t i = 0; i < kEEModeBits.size(); ++i) {
        if (defaults[i] != 0)
            word |= kEEModeBits[i];
        else
            word &= ~kEEModeBits[i];
    }
    return 1;
}

int EE_CreateNetPage(ObjectHandle page, uint16_t portKind)
{
    SEPage* record = SECreatePage(page, portKind);
    if (record == nullptr) {
        return ReportAndFail(kMsgPageNotInDataBase);
    }
    if (GE_SetSERecord(page, &record->head) == 0) {
        SEDelPage(record);
        return ReportAndFail(kMsgPageNotInGraphics);
    }
    PGAddPage(page);
    EE_ApplyPageTitle(page);
    return 1;
}

int EE_CreateNetPlace(ObjectHandle node)
{
    SEPage* page = PageRecordOf(node);
    SEPlace* place = page != nullptr ? SECreatePlace(page, node) : nullptr;
    if (place == nullptr) {
        return ReportAndFail(kMsgPlaceNotCreated);
    }
    return Link(node, place, [](SEPlace* p) { SEDelPlace(p); });
}

int EE_CreateNetTrans(ObjectHandle node)
{
    SEPage* page = PageRecordOf(node);
    SETrans* trans = page != nullptr ? SECreateTrans(page, node) : nullptr;
    if (trans == nullptr) {
        return ReportAndFail(kMsgTransNotCreated);
    }
    return Link(node, trans, [](SETrans* t) { SEDelTrans(t); });
}

int EE_CreateDeclNode(ObjectHandle node, SEPage* page, uint16_t subKind);

int EE_CreateDeclNode(ObjectHandle node, SEPage* page, uint16_t subKind)
{
    SEDeclNode* declNode = SECreateDeclNode(page, node, subKind);
    if (declNode == nullptr) {
        return ReportAndFail(kMsgDeclNodeNotCreated);
    }
    return Link(node, declNode, [](SEDeclNode* d) { SEDelDeclNode(d); });
}

int EE_CreateDeclNode(ObjectHandle node, ObjectHandle page, uint16_t subKind)
{
    SEPage* pageRecord = nullptr;
    if (page != 0) {
        SEHead* record = RecordOf(page);
        if (record == nullptr || record->kind != kSEPage) {
            return ReportAndFail(kMsgNonNetPage);
        }
        pageRecord = reinterpret_cast<SEPage*>(record);
    }
    return EE_CreateDeclNode(node, pageRecord, subKind);
}

int EE_MakeBarChartRecord(ObjectHandle node, int openDialog)
{
    return MakeChartRecord(node, openDialog, false);
}

int EE_MakeLineChartRecord(ObjectHandle node, int openDialog)
{
    return MakeChartRecord(node, openDialog, true);
}

int EE_CreateNetArc(ObjectHandle connector)
{
    uint32_t direction = 0;
    int fromTransition = 1;
    SEHead* trans = nullptr;
    SEHead* place = nullptr;
    if (GE_ArcEnds(connector, &direction, &fromTransition, &trans, &place) == 0) {
        return ReportAndFail(kMsgWrongArcEnds);
    }
    if (trans == nullptr || place == nullptr) {
        return 0;
    }
    if (trans->kind != kSETrans || place->kind != kSEPlace) {
        return ReportAndFail(kMsgWrongArcEnds);
    }
    auto* t = reinterpret_cast<SETrans*>(trans);
    auto* p = reinterpret_cast<SEPlace*>(place);
    uint16_t first = 0;
    bool both = false;
    switch (direction) {
    case 1: first = fromTransition != 0 ? kSETransToPlace : kSEPlaceToTrans; break;
    case 2: first = fromTransition != 0 ? kSEPlaceToTrans : kSETransToPlace; break;
    case 0:
    case 3:
        first = kSEPlaceToTrans;
        both = true;
        break;
    default: return ReportAndFail(kMsgArcUnexpectedType);
    }
    SEArc* arc = SECreateArc(t, p, connector, first);
    if (arc == nullptr) {
        return ReportAndFail(kMsgArcNotCreated);
    }
    SEArc* partner = nullptr;
    if (both) {
        partner = SECreateArc(t, p, connector, kSETransToPlace);
        if (partner == nullptr) {
            SEDelArc(arc);
            return ReportAndFail(kMsgArcNotCreated);
        }
    }
    if (GE_SetSERecord(connector, &arc->head) == 0 ||
        (partner != nullptr && GE_SetSecondRecord(connector, &partner->head) == 0)) {
        GE_DeleteSERecord(connector);
        SEDelArc(arc);
        if (partner != nullptr) {
            SEDelArc(partner);
        }
        return 0;
    }
    return 1;
}

// ---- deletion and kernel hooks ----

int EE_DeleteNetObject(ObjectHandle object)
{
    GE_SetStateFlags(kGEDeletingNetObjects);
    EE_RemoveNetInfo(object, 1);
    GE_ClearStateFlags(kGEDeletingNetObjects);
    return 1;
}

int EE_DeleteNetPage(ObjectHandle page)
{
    SEHead* record = RecordOf(page);
    if (record != nullptr && record->kind == kSEPage) {
        for (uintptr_t node : Query(2, record)) {
            GE_DeleteRegion(static_cast<ObjectHandle>(node), kRegionHierarchy);
        }
        for (uintptr_t object : Query(10, record)) {
            SEHead* declNode = RecordOf(static_cast<ObjectHandle>(object));
            if (declNode != nullptr && declNode->kind == kSEDeclNode) {
                SEDelDeclNode(reinterpret_cast<SEDeclNode*>(declNode));
            }
        }
        if (SEDelPage(reinterpret_cast<SEPage*>(record)) == 0) {
            return 0;
        }
        GE_DeleteSERecord(page);
    }
    const ObjectHandle pageNode = PGFindPageNode(page);
    if (pageNode != 0) {
        EE_DeleteNetObject(pageNode);
    }
    PGDropPage(page);
    if (QXStr_DeleteObject(page) == 0) {
        PGAddPage(page);
        return 0;
    }
    return 1;
}

GE_HOOK_HANDLER(EE_PageChangedHook)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    const auto page = static_cast<ObjectHandle>(a);
    Hook_Unregister(kHookPageChanged);
    char name[kPageNameSize] = {};
    uint16_t number = 0;
    int16_t width = 0;
    int16_t height = 0;
    uint32_t border = 0;
    SEHead* record = RecordOf(page);
    if (record != nullptr && record->kind == kSEPage &&
        QXRdAttr_GetPageAttr(page, name, &number, &width, &height, &border) != 0) {
        char* copy = CopyPageName(name);
        QXWtAttr_SetPageAttr(page, copy, number, width, height, border);
        SESetName(record, copy);
        SESetPageNumber(record, number);
        EE_UpdateSuperNodeTags(page);
        EE_UpdatePageNameRegion(page);
    }
    PGPageChanged(page);
    Hook_Register(kHookPageChanged, EE_PageChangedHook);
    return 1;
}

GE_HOOK_HANDLER(EE_ConnectorDirectionHook)
{
    (void)b, (void)c, (void)e, (void)f;
    const auto connector = static_cast<ObjectHandle>(a);
    const auto newDirection = static_cast<int32_t>(d);
    if (connectorHookActive || newDirection == -1 || !IsType(connector, kQXKindConnector)) {
        return 1;
    }
    const uint32_t oldDirection = QXRdAttr_GetDirection(connector);
    if (static_cast<uint32_t>(newDirection) == oldDirection) {
        return 1;
    }
    SEHead* old = RecordOf(connector);
    if (old == nullptr) {
        return 1;
    }
    connectorHookActive = true;
    SEHead* oldPartner = nullptr;
    if (oldDirection == 0 || oldDirection == 3) {
        GE_GetSecondRecord(connector, &oldPartner);
    }
    GE_DeleteSERecord(connector);
    QXWtAttr_SetDirection(connector, static_cast<uint32_t>(newDirection));
    EE_CreateNetArc(connector);
    SEDelArc(reinterpret_cast<SEArc*>(old));
    if (oldPartner != nullptr) {
        SEDelArc(reinterpret_cast<SEArc*>(oldPartner));
    }
    EE_SetArcExprFromRegion(connector);
    ObjectHandle start = 0, end = 0;
    QXRdAttr_GetConnEnds(connector, 0, &start, &end);
    if (EE_IsCompoundNode(start) != 0) {
        EE_UpdateHierarchyTag(start);
    } else if (EE_IsCompoundNode(end) != 0) {
        EE_UpdateHierarchyTag(end);
    }
    connectorHookActive = false;
    return 1;
}

int EE_ReattachEnds(ObjectHandle connector, ObjectHandle oldNode, ObjectHandle newNode, int flag)
{
    ObjectHandle startBase = 0, endBase = 0, start = 0, end = 0;
    if (QXRdAttr_GetConnEnds(connector, 0, &startBase, &endBase) == 0 ||
        QXRdAttr_GetConnEnds(connector, 1, &start, &end) == 0) {
        return 0;
    }
    auto moved = [&](ObjectHandle attached) {
        if (attached != oldNode && IsType(attached, kQXKindRegion)) {
            const ObjectHandle region = RegionAt(newNode, RegionIndex(oldNode, attached));
            return region != 0 ? region : newNode;
        }
        return newNode;
    };
    ObjectHandle node1 = startBase, region1 = start != startBase ? start : 0;
    ObjectHandle node2 = endBase, region2 = end != endBase ? end : 0;
    if (startBase != oldNode) {
        const ObjectHandle target = moved(end);
        node2 = newNode;
        region2 = target != newNode ? target : 0;
    } else if (flag != 0) {
        const ObjectHandle target = moved(start);
        node1 = newNode;
        region1 = target != newNode ? target : 0;
    }
    SEHead* old = RecordOf(connector);
    SEHead* oldPartner = nullptr;
    GE_GetSecondRecord(connector, &oldPartner);
    if (QXWtAttr_SetConnEnds(connector, node1, region1, node2, region2) == 0) {
        return 0;
    }
    if (old != nullptr) {
        GE_DeleteSERecord(connector);
        SEDelArc(reinterpret_cast<SEArc*>(old));
        if (oldPartner != nullptr) {
            SEDelArc(reinterpret_cast<SEArc*>(oldPartner));
        }
        EE_CreateNetArc(connector);
        EE_SetArcExprFromRegion(connector);
    }
    return 1;
}

// ---- hierarchy ----

int EE_MakeCompound(ObjectHandle node, uint16_t type, SEHead** record)
{
    if (record != nullptr) {
        *record = nullptr;
    }
    SEHead* made = SEMakeCompound(RecordOf(node), type);
    if (made == nullptr) {
        return 0;
    }
    std::array<uint32_t, 8> attributes{};
    if (DefGetModeAttributes(attributes.data(), kDefLevelDiagram) != 0) {
        if (attributes[7] == 0) {
            attributes[5] = 0;
        }
        EE_SetModeAttributes(node, attributes.data());
    }
    if (record != nullptr) {
        *record = made;
    }
    return 1;
}

int EE_UnmakeCompound(ObjectHandle node)
{
    SEHead* record = RecordOf(node);
    if (record == nullptr || (record->kind != kSEPlace && record->kind != kSETrans) ||
        (record->subKind != kSESubstitution && record->subKind != kSEInvocation)) {
        return 0;
    }
    const ObjectHandle subpage = SEGetSubpageObj(record);
    PGDropSubpageArc(node);
    SEUnmakeCompound(record);
    if (subpage != 0) {
        PGUpdatePage(subpage);
    }
    return 1;
}

int EE_AssignSubpage(ObjectHandle node, ObjectHandle page, int autoAssign)
{
    SEHead* record = RecordOf(node);
    SEHead* pageRecord = RecordOf(page);
    if (record == nullptr || pageRecord == nullptr || pageRecord->kind != kSEPage) {
        return 0;
    }
    const int result = SEMakeSubpage(record, reinterpret_cast<SEPage*>(pageRecord));
    if (result != 0 && autoAssign != 0) {
        SEAutoAssign(record, pageRecord);
    }
    PGUpdatePage(page);
    EE_UpdatePageNameRegion(node);
    return result;
}

int EE_MakePort(ObjectHandle node, uint16_t portType)
{
    const int result = SEMakePort(RecordOf(node), portType);
    EE_UpdatePortTag(node);
    return result;
}

int EE_AssignPort(ObjectHandle transition, ObjectHandle socket, ObjectHandle port)
{
    return SEAssignPort(RecordOf(transition), RecordOf(socket), RecordOf(port));
}

ObjectHandle EE_GetAssignedNode(ObjectHandle compound, ObjectHandle node)
{
    SEHead* assigned = SEGetAssignment(RecordOf(compound), RecordOf(node));
    return assigned != nullptr ? SEGetKVObj(assigned) : 0;
}

int EE_CollectPortPeers(LMList* list, ObjectHandle node, SEHead* record)
{
    if (list == nullptr || record == nullptr) {
        return 0;
    }
    if (record->kind != kSEPlace && record->kind != kSETrans) {
        return 0;
    }
    for (uintptr_t peer : Query(3, record)) {
        LMAppend(list, reinterpret_cast<void*>(peer), nullptr);
    }
    if (SEIsPort(record) != 0 && record->owner != nullptr) {
        for (uintptr_t user : Query(2, record->owner)) {
            LMAppend(list, reinterpret_cast<void*>(user), nullptr);
        }
    }
    (void)node;
    return 1;
}

// ---- fusion ----

int EE_AddFusionMember(ObjectHandle node, SEHead* set)
{
    const int result = SEAddFusMem(set, RecordOf(node));
    if (result != 0) {
        EE_UpdateFusionTag(node);
    }
    return result;
}

int EE_RemoveFusionMember(ObjectHandle node)
{
    const int result = SEDelFusMem(RecordOf(node));
    GE_DeleteRegion(node, kRegionFusion);
    return result;
}

int EE_RedrawFusionTags(SEHead* set, int remove)
{
    if (set == nullptr) {
        return 0;
    }
    for (uintptr_t member : Query(5, set)) {
        const auto node = static_cast<ObjectHandle>(member);
        if (remove != 0) {
            GE_DeleteRegion(node, kRegionFusion);
        } else {
            EE_UpdateFusionTag(node);
        }
    }
    return 1;
}

int EE_DeleteFusionSet(SEHead* set)
{
    if (set == nullptr || (set->kind != kSEPlaceFusSet && set->kind != kSETransFusSet)) {
        return 0;
    }
    const std::vector<uintptr_t> members = Query(5, set);
    for (uintptr_t member : members) {
        GE_DeleteRegion(static_cast<ObjectHandle>(member), kRegionFusion);
    }
    if (members.empty()) {
        se::deleteFusionSet(set);
        return 1;
    }
    // Removing the last member deletes the set.
    for (uintptr_t member : members) {
        SEDelFusMem(RecordOf(static_cast<ObjectHandle>(member)));
    }
    return 1;
}

// ---- tags ----

int EE_UpdatePortTag(ObjectHandle node)
{
    char* raw = nullptr;
    EE_PortText(node, &raw);
    const std::string text = TakeText(raw);
    if (text.empty()) {
        GE_DeleteRegion(node, kRegionPort);
        return 1;
    }
    const ObjectHandle region = FindOrMake(node, kRegionPort);
    if (region == 0) {
        return 0;
    }
    PGUpdatePage(PageOf(node));
    QXText_SetText(region, text.c_str());
    return 1;
}

int EE_UpdateFusionTag(ObjectHandle node)
{
    char* raw = nullptr;
    EE_FusionText(node, &raw);
    const std::string text = TakeText(raw);
    if (text.empty()) {
        return 0;
    }
    const ObjectHandle region = FindOrMake(node, kRegionFusion);
    if (region == 0) {
        return 0;
    }
    QXText_SetText(region, text.c_str());
    SEHead* set = SEGetFusSet(RecordOf(node));
    if (set != nullptr) {
        const int16_t key = set->subKind == kSEFusGlobal ? kMsgTagFG
                            : set->subKind == kSEFusPage ? kMsgTagFP
                                                         : kMsgTagFI;
        SetKeyText(region, kRegionFusion, key);
    }
    return 1;
}

int EE_UpdateHierarchyTag(ObjectHandle node)
{
    char* raw = nullptr;
    EE_HierarchyText(node, &raw);
    const std::string text = TakeText(raw);
    if (text.empty()) {
        return 0;
    }
    const ObjectHandle region = FindOrMake(node, kRegionHierarchy);
    if (region == 0) {
        return 0;
    }
    QXText_SetText(region, text.c_str());
    SEHead* record = RecordOf(node);
    SetKeyText(region, kRegionHierarchy,
               record != nullptr && record->subKind == kSEInvocation ? kMsgTagHI : kMsgTagHS);
    PGUpdateNode(node);
    return 1;
}

// ---- texts ----

char* EE_NameFromText(const char* text)
{
    if (text == nullptr) {
        return nullptr;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0 && (*p <= 32 || *p >= 127)) {
        ++p;
    }
    std::string name;
    while (*p > 32 && *p < 127 && *p != '#' && *p != '"' && *p != '\\' && name.size() < kNameSize - 1) {
        name.push_back(static_cast<char>(*p));
        ++p;
    }
    if (name.empty()) {
        return nullptr;
    }
    char* copy = GE_Alloc(kNameSize);
    std::memcpy(copy, name.c_str(), name.size() + 1);
    return copy;
}

int EE_UpdateNetFromRegion(ObjectHandle region)
{
    const int32_t kind = GE_RegionKindOf(region);
    if (kind <= 0 || GE_IsKeyRegionKind(kind) != 0) {
        return 1;
    }
    ObjectHandle owner = QXStr_GetObjectPage(region);
    if (kind == kRegionCode || kind == kRegionBarChart || kind == kRegionLineChart) {
        owner = QXStr_GetObjectPage(owner);
    }
    SEHead* record = RecordOf(owner);
    if (record == nullptr) {
        return 1;
    }
    switch (kind) {
    case kRegionName:
        StoreName(record, region);
        EE_RefreshNameUses(owner);
        if (EE_IsCompoundNode(owner) != 0) {
            PGUpdateNode(owner);
            EE_UpdatePageNameRegion(owner);
        }
        break;
    case kRegionColourSet:
    case kRegionInitMark:
    case kRegionGuard:
    case kRegionCode:
    case kRegionTime:
    case kRegionBarChart:
    case kRegionLineChart: SetInscription(record, kind, TextCopy(region)); break;
    case kRegionArcExpr: {
        char* text = TextCopy(region);
        SEHead* partner = nullptr;
        if (GE_GetSecondRecord(owner, &partner) != 0 && partner != nullptr) {
            SESetArcExpr(partner, Dup(text));
        }
        SESetArcExpr(record, text);
        break;
    }
    default: break;
    }
    return 1;
}

int EE_RegionRemoved(ObjectHandle owner, int32_t kind)
{
    const ObjectHandle base = QXStr_IsObject(owner) != 0 ? QXStr_GetBaseObject(owner) : 0;
    SEHead* record = RecordOf(base);
    switch (GE_BaseRegionKind(kind)) {
    case kRegionName:
        if (record != nullptr) {
            StoreName(record, base);
        }
        break;
    case kRegionColourSet:
    case kRegionInitMark:
    case kRegionGuard:
    case kRegionCode:
    case kRegionTime:
        if (record != nullptr) {
            SetInscription(record, GE_BaseRegionKind(kind), nullptr);
        }
        break;
    case kRegionArcExpr:
        if (record != nullptr) {
            SESetArcExpr(record, nullptr);
            SEHead* partner = nullptr;
            if (GE_GetSecondRecord(base, &partner) != 0 && partner != nullptr) {
                SESetArcExpr(partner, nullptr);
            }
        }
        break;
    case kRegionHierarchy: EE_UnmakeCompound(base); break;
    case kRegionFusion:
        if (record != nullptr && SEIsFusMem(record) != 0) {
            SEDelFusMem(record);
        }
        break;
    case kRegionPageMode: {
        const std::array<uint32_t, 8> allOn = {1, 1, 1, 1, 1, 0, 1, 0};
        const ObjectHandle page = PGNodePage(base);
        EE_SetModeAttributes(page != 0 ? page : base, allOn.data());
        break;
    }
    case kRegionMarking:
    case kRegionInputToken:
    case kRegionOutputToken:
        if (IsType(owner, kQXKindRegion)) {
            EE_SetRegionState(owner, 1, 2);
        }
        break;
    case kRegionPort:
        if (record != nullptr && SEIsPort(record) != 0) {
            LMList* peers = LMCreate(kLMValueList);
            EE_CollectPortPeers(peers, base, record);
            SEUnmakePort(record);
            EE_UpdateCollectedTags(peers);
            LMDestroy(peers);
            PGUpdatePage(PageOf(base));
        }
        if (record != nullptr && SETestNodeFlag(record) != 0) {
            SEClearNodeFlag(record);
        }
        break;
    case kRegionBarChart:
    case kRegionLineChart:
        if (record != nullptr) {
            SetInscription(record, GE_BaseRegionKind(kind), nullptr);
            SEChartsChanged();
        }
        break;
    default: break;
    }
    if (base != 0 && QXStr_IsObject(base) != 0) {
        QXStr_SetCurObject(base);
    }
    return 1;
}

int EE_DropRegion(ObjectHandle region, int32_t kind, int deleteRegion)
{
    if (region == 0 || QXStr_IsObject(region) == 0) {
        return 0;
    }
    ObjectHandle owner = QXStr_GetObjectPage(region);
    const ObjectHandle base = QXStr_GetBaseObject(region);
    ObjectHandle current = region;
    ObjectHandle currentOwner = owner;
    GE_ClearRegionKind(&current, kind, &currentOwner, deleteRegion);
    if (deleteRegion != 0) {
        QXStr_DeleteObject(current);
    }
    EE_RegionRemoved(QXStr_IsObject(owner) != 0 ? owner : base, kind);
    return 1;
}

int EE_StoreTransTexts(ObjectHandle node)
{
    SEHead* record = RecordOf(node);
    if (record == nullptr || record->kind != kSETrans) {
        return 0;
    }
    ObjectHandle region = 0;
    StoreName(record, GE_GetRegion(node, kRegionName, &region) != 0 ? region : node);
    for (int32_t kind : {kRegionGuard, kRegionCode, kRegionTime}) {
        if (GE_GetRegion(node, kind, &region) != 0) {
            SetInscription(record, kind, TextCopy(region));
        }
    }
    return 1;
}

int EE_StorePlaceTexts(ObjectHandle node)
{
    SEHead* record = RecordOf(node);
    if (record == nullptr || record->kind != kSEPlace) {
        return 0;
    }
    ObjectHandle region = 0;
    StoreName(record, GE_GetRegion(node, kRegionName, &region) != 0 ? region : node);
    for (int32_t kind : {kRegionColourSet, kRegionInitMark}) {
        if (GE_GetRegion(node, kind, &region) != 0) {
            SetInscription(record, kind, TextCopy(region));
        }
    }
    return 1;
}

int EE_TakeNameFromRegion(ObjectHandle node)
{
    SEHead* record = RecordOf(node);
    if (record == nullptr) {
        return 0;
    }
    char* text = nullptr;
    EE_GetNameRegionText(node, &text);
    char* name = EE_NameFromText(text);
    if (text != nullptr) {
        QXMem_Free(text);
    }
    if (name == nullptr) {
        return 0;
    }
    return SESetName(record, name);
}

int EE_GetNameRegionText(ObjectHandle node, char** text)
{
    if (text != nullptr) {
        *text = nullptr;
    }
    if (node == 0 || QXStr_IsObject(node) == 0) {
        return 0;
    }
    ObjectHandle region = 0;
    char* value = TextCopy(GE_GetRegion(node, kRegionName, &region) != 0 ? region : node);
    if (text != nullptr) {
        *text = value;
    } else if (value != nullptr) {
        QXMem_Free(value);
    }
    return 1;
}

int EE_SetArcExprFromRegion(ObjectHandle connector)
{
    SEHead* record = RecordOf(connector);
    if (record == nullptr || record->kind != kSEArc) {
        return 0;
    }
    char* text = ArcExpressionText(connector);
    SEHead* partner = nullptr;
    if (GE_GetSecondRecord(connector, &partner) != 0 && partner != nullptr) {
        SESetArcExpr(partner, Dup(text));
    }
    return SESetArcExpr(record, text);
}

int EE_DropCopyLink(SEHead* record)
{
    const ObjectHandle object = record != nullptr ? SEGetKVObj(record) : 0;
    if (object == 0 || QXStr_IsObject(object) == 0) {
        return 0;
    }
    GE_DeleteUserData(object, kTagAuxWord);
    GE_DeleteUserData(object, kTagNodeCode);
    return 1;
}

// ---- charts ----

int EE_ChartAttributes(int updating)
{
    uint16_t count = 0;
    uint32_t* objects = nullptr;
    if (GE_GetSelection(&count, &objects) == 0 || count == 0) {
        if (objects != nullptr) {
            QXMem_Free(objects);
        }
        GE_MessageBox(kMsgEmptySelection);
        return 0;
    }
    std::vector<ObjectHandle> charts;
    for (uint16_t i = 0; i < count; ++i) {
        ObjectHandle object = objects[i];
        if (IsType(object, kQXKindRegion)) {
            object = QXStr_GetBaseObject(object);
        }
        charts.push_back(object);
    }
    QXMem_Free(objects);
    if (charts.size() == 1) {
        QXStr_SetCurObject(charts[0]);
    } else {
        QXStr_SetCurGroup(static_cast<uint32_t>(charts.size()), charts.data());
    }
    if (QXText_IsEditing() != 0) {
        GE_EndTextEdit();
    }
    uint16_t chartKind = 0;
    bool mixed = false;
    bool other = false;
    for (ObjectHandle chart : charts) {
        SEHead* record = RecordOf(chart);
        const uint16_t kind = record != nullptr ? record->kind : 0;
        if (kind != kSEBarChart && kind != kSELineChart) {
            other = true;
        } else if (chartKind != 0 && kind != chartKind) {
            mixed = true;
        } else {
            chartKind = kind;
        }
    }
    if (mixed) {
        GE_MessageBox(kMsgMixedGroup);
        return 0;
    }
    if (other || chartKind == 0) {
        GE_MessageBox(kMsgChartsOnly);
        return 0;
    }
    std::vector<uint8_t> settings(kChartSettingsSize);
    const bool line = chartKind == kSELineChart;
    if ((line ? EE_AskLineChart(settings.data(), updating) : EE_AskBarChart(settings.data(), updating)) == 0) {
        return 0;
    }
    for (ObjectHandle chart : charts) {
        const int previous = EE_BeginBusy(updating != 0 ? "Updating Chart" : "Creating Chart");
        line ? ChartApplyLine(RecordOf(chart), settings.data()) : ChartApplyBar(RecordOf(chart), settings.data());
        (void)previous;
        EE_EndBusy(kCursorDone);
    }
    return 1;
}

int EE_MakeBarChartRegion(ObjectHandle chart, Fixed x, Fixed y, Fixed width, Fixed height, ObjectHandle* region)
{
    return MakeChartRegion(chart, x, y, width, height, region, kRegionBarChart);
}

int EE_MakeLineChartRegion(ObjectHandle chart, Fixed x, Fixed y, Fixed width, Fixed height,
                           ObjectHandle* region)
{
    return MakeChartRegion(chart, x, y, width, height, region, kRegionLineChart);
}

int GE_RemoveRegionInfo(ObjectHandle object, int32_t kind)
{
    ObjectHandle region = 0;
    if (GE_GetRegion(object, kind, &region) != 0) {
        EE_DropRegion(region, kind, 1);
    }
    return 1;
}
