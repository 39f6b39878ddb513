// Copies and hierarchy moves of net objects: duplicating nodes and rebuilding
// the records of copies, moving nodes with their records to another page,
// building a substitution node behind a new subpage, merging nodes, compound
// peers, fusion sets, subpage deletion and the start of a region's creation.
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/Utils/LMList.h"
#include "xkv/core/Core.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr HookId kHookPickFilter = 65;
constexpr int16_t kCursorRegion = 3004;
constexpr int16_t kCursorKeyedRegion = 3005;
constexpr uint32_t kNewPageOptions = 257;
constexpr uint32_t kCopyLinkRebuild = 1;
constexpr uint32_t kCopyLinkDelete = 2;

bool Alive(ObjectHandle object)
{
    return object != 0 && QXStr_IsObject(object) != 0;
}

bool IsType(ObjectHandle object, uint32_t type)
{
    return Alive(object) && QXRdAttr_GetObjectType(object) == type;
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

SEPage* PageRecord(ObjectHandle page)
{
    SEHead* record = RecordOf(page);
    return record != nullptr && record->kind == kSEPage ? reinterpret_cast<SEPage*>(record) : nullptr;
}

std::vector<ObjectHandle> ConnectorsOf(ObjectHandle object)
{
    std::vector<ObjectHandle> connectors;
    if (!Alive(object)) {
        return connectors;
    }
    uint16_t count = 0;
    ObjectHandle* list = nullptr;
    if (QXStr_GetObjectConnList(object, &count, &list) != 0 && list != nullptr) {
        connectors.assign(list, list + count);
    }
    if (list != nullptr) {
        QXMem_Free(list);
    }
    return connectors;
}

std::vector<uintptr_t> Query(uint16_t query, void* input)
{
    std::vector<uintptr_t> results;
    SEIter iter{};
    iter.input = input;
    if (SEInitNext(query, &iter) == 0) {
        return results;
    }
    while (SENextGet(query, &iter) != 0) {
        results.push_back(iter.result);
    }
    return results;
}

std::vector<void*> Values(LMList* list)
{
    std::vector<void*> values;
    const uint16_t count = LMCount(list);
    for (uint16_t n = 1; n <= count; ++n) {
        void* value = nullptr;
        if (LMNth(list, &value, nullptr, n) != 0) {
            values.push_back(value);
        }
    }
    return values;
}

char* Copy(const char* text)
{
    if (text == nullptr) {
        return nullptr;
    }
    const size_t length = std::strlen(text);
    char* copy = GE_Alloc(static_cast<uint32_t>(length + 1));
    std::memcpy(copy, text, length + 1);
    return copy;
}

bool IsNode(SEHead* record)
{
    return record != nullptr && (record->kind == kSEPlace || record->kind == kSETrans);
}

// Whether a connector's record was cloned from another connector's.
bool IsCopiedArc(ObjectHandle connector)
{
    SEHead* record = RecordOf(connector);
    return record != nullptr && SEGetKVObj(record) != connector;
}

// The fusion set that a copy joins: the source's global set, the source's set
// when the copy lies on the same page, else the set of that name and kind on
// the copy's page (made when missing).
SEHead* FusionSetForCopy(SEHead* sourceSet, SEPage* copyPage)
{
    if (sourceSet->subKind == kSEFusGlobal || sourceSet->owner == &copyPage->head) {
        return sourceSet;
    }
    const char* name = SEGetName(sourceSet);
    SEHead* found = name != nullptr ? SEFindFusSet(name, sourceSet->kind, copyPage) : nullptr;
    if (found != nullptr) {
        return found;
    }
    SEHead* made = sourceSet->kind == kSEPlaceFusSet
                       ? reinterpret_cast<SEHead*>(SECreatePlaceFusSet(sourceSet->subKind, copyPage))
                       : reinterpret_cast<SEHead*>(SECreateTransFusSet(sourceSet->subKind, copyPage));
    if (made != nullptr && name != nullptr) {
        SESetName(made, Copy(name));
    }
    return made;
}

// Gives a copied place or transition a record of its own with the roles that
// the flags keep.
void RebuildNode(ObjectHandle source, ObjectHandle copy, SEHead* sourceRecord, uint32_t flags)
{
    GE_DeleteSERecord(copy);
    const bool place = sourceRecord->kind == kSEPlace;
    if ((place ? EE_CreateNetPlace(copy) : EE_CreateNetTrans(copy)) == 0) {
        return;
    }
    place ? EE_StorePlaceTexts(copy) : EE_StoreTransTexts(copy);
    SEHead* record = RecordOf(copy);
    const uint16_t sub = sourceRecord->subKind;
    if (sub == kSESubstitution || sub == kSEInvocation) {
        const ObjectHandle subpage = SEGetSubpageObj(sourceRecord);
        if ((flags & kEEKeepCompound) != 0 && SEMakeCompound(record, sub) != nullptr) {
            SECompound* from = SEGetCompound(sourceRecord);
            SECompound* to = SEGetCompound(record);
            if (from != nullptr && to != nullptr) {
                to->modeFlags = from->modeFlags;
            }
            if (subpage != 0) {
                SEHead* pageRecord = RecordOf(subpage);
                if (pageRecord != nullptr && pageRecord->kind == kSEPage) {
                    SEMakeSubpage(record, reinterpret_cast<SEPage*>(pageRecord));
                }
            }
        } else {
            GE_RemoveRegionInfo(copy, kRegionHierarchy);
        }
    }
    if (sub < kSEPlain && (flags & kEEKeepPorts) != 0) {
        EE_MakePort(copy, sub);
    } else if (sub < kSEPlain) {
        GE_RemoveRegionInfo(copy, kRegionPort);
    }
    if (SETestNodeFlag(sourceRecord) != 0 && (flags & kEEKeepNodeFlag) != 0) {
        SESetNodeFlag(record);
    }
    if (SEHead* set = SEGetFusSet(sourceRecord)) {
        SEHead* target = (flags & kEEKeepFusion) != 0
                             ? FusionSetForCopy(set, reinterpret_cast<SEPage*>(record->owner))
                             : nullptr;
        if (target != nullptr) {
            EE_AddFusionMember(copy, target);
        } else {
            GE_RemoveRegionInfo(copy, kRegionFusion);
        }
    }
    (void)source;
}

void RebuildArc(ObjectHandle connector)
{
    GE_DeleteSERecord(connector);
    if (EE_CreateNetArc(connector) != 0) {
        EE_SetArcExprFromRegion(connector);
    }
}

int DuplicateGroup(const std::vector<ObjectHandle>& objects, std::vector<ObjectHandle>* copies)
{
    copies->clear();
    GroupNumber group = 0;
    if (objects.empty() || QXUtil_ArrayToGroup(&group, objects.data(), static_cast<uint32_t>(objects.size())) == 0) {
        return 0;
    }
    GroupNumber made = 0;
    const KernelStatus status = Core_DuplicateObjects(group, &made, 0);
    Group_Free(group);
    if (status != kStatusOk || made == 0) {
        if (made != 0) {
            Group_Free(made);
        }
        return 0;
    }
    for (uint16_t i = 0; i < Group_Count(made); ++i) {
        copies->push_back(Group_Member(made, i));
    }
    Group_Free(made);
    return copies->size() == objects.size() ? 1 : 0;
}

ObjectHandle NewPage()
{
    return QXStr_CreatePageOpt(1, kNewPageOptions);
}

// The port type that a copy of an outside node gets on the subpage of a
// compound node: the direction of the arcs from the outside node.
uint16_t PortTypeFor(SEHead* outside, SEHead* compound)
{
    switch (SEArcDirection(outside, compound)) {
    case 1: return kSEPortInput;
    case 2: return kSEPortOutput;
    case 3: return kSEPortInOut;
    default: return kSEPortGeneral;
    }
}

std::vector<ObjectHandle> pickCandidates;

uintptr_t PeerFilter(uintptr_t object, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return std::find(pickCandidates.begin(), pickCandidates.end(), static_cast<ObjectHandle>(object)) !=
                   pickCandidates.end()
               ? 1
               : 0;
}

}  // namespace

// ---- compound peers, subpages and fusion sets ----

ObjectHandle EE_FindCompoundPeer(ObjectHandle object)
{
    SEHead* record = RecordOf(object);
    if (!IsNode(record)) {
        return 0;
    }
    std::vector<ObjectHandle> peers;
    for (uintptr_t peer : Query(3, record)) {
        peers.push_back(static_cast<ObjectHandle>(peer));
    }
    if (peers.size() <= 1) {
        return peers.empty() ? 0 : peers[0];
    }
    char prompt[kGEMessageTextSize] = {};
    GE_GetMessageText(kMsgPickSubstitution, prompt);
    QXUI_SetStatusBarMessage(prompt);
    pickCandidates = peers;
    Hook_Register(kHookPickFilter, PeerFilter);
    const ObjectHandle picked = QXUI_PickObject(kQXKindNode, 0);
    Hook_Register(kHookPickFilter, EE_TextMenuPickFilter);
    pickCandidates.clear();
    return picked;
}

int EE_DeleteSubpage(ObjectHandle page)
{
    SEHead* record = RecordOf(page);
    if (record != nullptr && record->kind == kSEPage && !Query(2, record).empty()) {
        return 0;
    }
    return EE_DeleteNetPage(page);
}

LMList* EE_CollectFusionSets(ObjectHandle page, uint16_t kind)
{
    LMList* sets = LMCreate(kLMValueList);
    std::vector<uint16_t> selectors;
    if (kind == 0) {
        selectors = {kSEPlace, kSETrans};
    } else {
        selectors = {kind};
    }
    auto walk = [&](SEPage* input) {
        for (uint16_t selector : selectors) {
            SEIter iter{};
            iter.input = input;
            iter.result = selector;
            if (SEInitNext(4, &iter) == 0) {
                continue;
            }
            while (SENextGet(4, &iter) != 0) {
                LMAppend(sets, reinterpret_cast<void*>(iter.extra), nullptr);
            }
        }
    };
    walk(nullptr);
    if (SEPage* pageRecord = PageRecord(page)) {
        walk(pageRecord);
    }
    return sets;
}

int EE_RenameFusionSet(SEHead* set, uint16_t count, const EEFusionChoice* choice)
{
    if (count < 1 || set == nullptr || choice == nullptr) {
        return 0;
    }
    SEPage* page = PageRecord(choice->page);
    if (SESetName(set, Copy(choice->name)) == 0) {
        return 0;
    }
    SEChangeFusType(set, choice->type, page);
    const char* name = SEGetName(set);
    if (name == nullptr) {
        return 1;
    }
    std::vector<SEPage*> pages;
    if (choice->type == kSEFusGlobal) {
        SERoot* root = SECurrentRoot();
        if (root != nullptr) {
            for (void* value : Values(root->pages)) {
                pages.push_back(static_cast<SEPage*>(value));
            }
        }
    } else if (page != nullptr) {
        pages.push_back(page);
    }
    std::set<SEHead*> redrawn;
    auto redraw = [&](SEHead* found) {
        if (found != nullptr && redrawn.insert(found).second) {
            EE_RedrawFusionTags(found, 0);
        }
    };
    redraw(set);
    redraw(SEFindFusSet(name, set->kind, nullptr));
    for (SEPage* each : pages) {
        redraw(SEFindFusSet(name, set->kind, each));
    }
    return 1;
}

int EE_DropFusionSets(SEHead* set, uint16_t count)
{
    if (count < 1) {
        return 0;
    }
    return EE_DeleteFusionSet(set);
}

// ---- copies ----

int EE_PlacesAndTransitions(ObjectHandle object)
{
    return IsNode(RecordOf(object)) ? 1 : 0;
}

int EE_DuplicateNodes(uint16_t count, const ObjectHandle* objects, int16_t distance, uint32_t flags,
                      EEObjectFilter filter, ObjectHandle* copies)
{
    if (copies != nullptr) {
        std::fill(copies, copies + count, 0);
    }
    std::vector<ObjectHandle> taken;
    std::vector<uint16_t> positions;
    for (uint16_t i = 0; objects != nullptr && i < count; ++i) {
        if (Alive(objects[i]) && (filter == nullptr || filter(objects[i]) != 0)) {
            taken.push_back(objects[i]);
            positions.push_back(i);
        }
    }
    std::vector<ObjectHandle> made;
    if (DuplicateGroup(taken, &made) == 0) {
        return 0;
    }
    for (size_t i = 0; i < taken.size(); ++i) {
        GE_SetAuxWord(taken[i], made[i]);
    }
    EE_RebuildCopies(static_cast<uint16_t>(taken.size()), taken.data(), made.data(), flags);
    if (distance != 0) {
        GroupNumber group = 0;
        if (QXUtil_ArrayToGroup(&group, made.data(), static_cast<uint32_t>(made.size())) != 0) {
            const Fixed offset = static_cast<Fixed>(distance) * 0x8000;
            Core_MoveGroup(group, offset, offset, 1, 1);
            Group_Free(group);
        }
    }
    for (size_t i = 0; i < taken.size(); ++i) {
        GE_DeleteUserData(taken[i], kTagAuxWord);
        if (copies != nullptr) {
            copies[positions[i]] = made[i];
        }
    }
    return 1;
}

int EE_RebuildCopies(uint16_t count, const ObjectHandle* sources, const ObjectHandle* copies, uint32_t flags)
{
    if (sources == nullptr || copies == nullptr) {
        return 0;
    }
    std::map<ObjectHandle, ObjectHandle> copyOf;
    std::map<SEHead*, SEHead*> recordCopy;
    std::vector<std::pair<ObjectHandle, SEHead*>> sockets;    // source node and its record
    std::vector<std::pair<ObjectHandle, SEHead*>> compounds;  // source node and its record
    for (uint16_t i = 0; i < count; ++i) {
        copyOf[sources[i]] = copies[i];
        SEHead* record = RecordOf(sources[i]);
        if (!IsNode(record)) {
            continue;
        }
        if (record->subKind == kSESubstitution || record->subKind == kSEInvocation) {
            compounds.emplace_back(sources[i], record);
        } else if (SEHasCompoundPeer(record) != 0) {
            sockets.emplace_back(sources[i], record);
        }
    }
    // Nodes first.
    for (uint16_t i = 0; i < count; ++i) {
        const ObjectHandle source = sources[i];
        const ObjectHandle copy = copies[i];
        if (!Alive(copy) || IsType(copy, kQXKindConnector)) {
            continue;  // connectors are rebuilt below
        }
        SEHead* sourceRecord = RecordOf(source);
        if (IsNode(sourceRecord)) {
            RebuildNode(source, copy, sourceRecord, flags);
            recordCopy[sourceRecord] = RecordOf(copy);
        } else if (sourceRecord != nullptr && sourceRecord->kind == kSEDeclNode) {
            GE_DeleteSERecord(copy);
            const ObjectHandle page = sourceRecord->subKind == kSEDeclLocal ? PageOf(copy) : 0;
            if (EE_CreateDeclNode(copy, page, sourceRecord->subKind) != 0) {
                EE_BuildDeclRegions(copy);
            }
        } else {
            GE_DeleteSERecord(copy);
        }
    }
    // Then the connectors copied with them (both ends or one end in the set).
    std::set<ObjectHandle> done;
    for (uint16_t i = 0; i < count; ++i) {
        std::vector<ObjectHandle> connectors = ConnectorsOf(copies[i]);
        if (IsType(copies[i], kQXKindConnector)) {
            connectors.push_back(copies[i]);
        }
        for (ObjectHandle connector : connectors) {
            if (done.insert(connector).second && IsCopiedArc(connector)) {
                RebuildArc(connector);
            }
        }
    }
    // Sockets in the set: their compound peers outside it assign the socket's
    // port to the copy too.
    for (const auto& [socket, record] : sockets) {
        const ObjectHandle copy = copyOf[socket];
        std::set<ObjectHandle> redraw;
        for (uintptr_t peerWord : Query(3, record)) {
            const auto peer = static_cast<ObjectHandle>(peerWord);
            if (copyOf.count(peer) != 0) {
                continue;
            }
            SEHead* port = SEGetAssignment(RecordOf(peer), record);
            if (port != nullptr && SEArcDirection(RecordOf(copy), RecordOf(peer)) != 0) {
                EE_AssignPort(peer, copy, SEGetKVObj(port));
                redraw.insert(peer);
            }
        }
        for (ObjectHandle peer : redraw) {
            EE_UpdateHierarchyTag(peer);
        }
    }
    // Compound nodes in the set: their copies assign the same ports to the
    // sockets (or their copies) they are joined to.
    for (const auto& [compound, record] : compounds) {
        const ObjectHandle copy = copyOf[compound];
        SEHead* copyRecord = RecordOf(copy);
        if (copyRecord != nullptr && (copyRecord->subKind == kSESubstitution || copyRecord->subKind == kSEInvocation)) {
            SEIter iter{};
            iter.input = record;
            std::vector<std::pair<SEHead*, SEHead*>> pairs;
            if (SEInitNext(6, &iter) != 0) {
                while (SENextGet(6, &iter) != 0) {
                    pairs.emplace_back(reinterpret_cast<SEHead*>(iter.result), reinterpret_cast<SEHead*>(iter.extra));
                }
            }
            for (const auto& [socket, port] : pairs) {
                auto copied = recordCopy.find(socket);
                SEHead* target = copied != recordCopy.end() ? copied->second : socket;
                if (SEArcDirection(target, copyRecord) != 0) {
                    SEAssignPort(copyRecord, target, port);
                }
            }
            EE_UpdateHierarchyTag(copy);
        }
        GE_DeleteUserData(copy, kTagAuxWord);
    }
    for (uint16_t i = 0; i < count; ++i) {
        if (Alive(copies[i])) {
            GE_DeleteUserData(copies[i], kTagAuxWord);
            GE_DeleteUserData(copies[i], kTagNodeCode);
        }
    }
    return 1;
}

int EE_ObjectsOfRecords(uint16_t count, const ObjectHandle* objects, LMList* records, uint16_t* outCount,
                        ObjectHandle** outArray)
{
    const std::vector<void*> values = Values(records);
    const uint32_t total = count + static_cast<uint32_t>(values.size());
    auto* array = static_cast<ObjectHandle*>(QXMem_Alloc(std::max<uint32_t>(total, 1) * sizeof(ObjectHandle)));
    if (array == nullptr) {
        EE_FatalError(kMsgOutOfMemory);
    }
    for (uint16_t i = 0; i < count; ++i) {
        array[i] = objects[i];
    }
    for (size_t i = 0; i < values.size(); ++i) {
        array[count + i] = SEGetKVObj(static_cast<SEHead*>(values[i]));
    }
    if (outCount != nullptr) {
        *outCount = static_cast<uint16_t>(total);
    }
    if (outArray != nullptr) {
        *outArray = array;
    } else {
        QXMem_Free(array);
    }
    return 1;
}

// ---- hierarchy moves ----

int EE_MoveNodesToPage(uint16_t count, const ObjectHandle* objects, LMList* portCopies, ObjectHandle page,
                       SEHead* pageRecord)
{
    LMList* records = LMCreate(kLMValueList);
    std::vector<ObjectHandle> all(objects, objects + count);
    for (uint16_t i = 0; i < count; ++i) {
        if (SEHead* record = RecordOf(objects[i])) {
            if (IsNode(record) || record->kind == kSEDeclNode) {
                LMAppend(records, record, nullptr);
            }
        }
    }
    for (void* value : Values(portCopies)) {
        const auto copy = static_cast<ObjectHandle>(reinterpret_cast<uintptr_t>(value));
        all.push_back(copy);
        if (SEHead* record = RecordOf(copy)) {
            LMAppend(records, record, nullptr);
        }
    }
    if (LMCount(records) == 0) {
        LMDestroy(records);
        return QXStr_MoveNodesToPage(all.data(), static_cast<uint32_t>(all.size()), page) != 0 ? 1 : 0;
    }
    const ObjectHandle oldPage = PageOf(objects != nullptr && count > 0 ? objects[0] : all[0]);
    SEHead* oldRecord = RecordOf(oldPage);
    std::vector<void*> oldPorts;
    if (oldRecord != nullptr && oldRecord->kind == kSEPage) {
        // A page without port nodes has no list of them.
        if (LMList* ports = SEGetPortNodes(oldRecord); ports != nullptr) {
            oldPorts = Values(ports);
            LMDestroy(ports);
        }
    }
    const std::vector<void*> moved = Values(records);
    if (SEMoveRecordsToPage(records, pageRecord) == 0) {
        LMDestroy(records);
        EE_ReportError(kMsgMoveGroupDataBase);
        return 0;
    }
    LMDestroy(records);
    if (QXStr_MoveNodesToPage(all.data(), static_cast<uint32_t>(all.size()), page) == 0) {
        EE_ReportError(kMsgMoveGroupGraphics);
        return 0;
    }
    bool portLeft = false;
    for (void* value : moved) {
        auto* record = static_cast<SEHead*>(value);
        if (SEIsFusMem(record) != 0) {
            EE_UpdateFusionTag(SEGetKVObj(record));
        }
        portLeft = portLeft || std::find(oldPorts.begin(), oldPorts.end(), value) != oldPorts.end();
    }
    if (portLeft) {
        EE_UpdateSuperNodeTags(oldPage);
    }
    PGUpdatePage(oldPage);
    PGUpdatePage(page);
    return 1;
}

ObjectHandle EE_CopyForPort(ObjectHandle outside, uint16_t kind)
{
    const ObjectHandle copy = QXStr_CloneObject(outside);
    if (copy == 0) {
        return 0;
    }
    GE_DeleteSERecord(copy);
    GE_DeleteUserData(copy, kTagAuxWord);
    for (int32_t tag : {kRegionHierarchy, kRegionFusion, kRegionPort}) {
        GE_DeleteRegion(copy, tag);
    }
    if ((kind == kSETrans ? EE_CreateNetTrans(copy) : EE_CreateNetPlace(copy)) == 0) {
        QXStr_DeleteObject(copy);
        return 0;
    }
    kind == kSETrans ? EE_StoreTransTexts(copy) : EE_StorePlaceTexts(copy);
    return copy;
}

uintptr_t EE_MoveToSubpageHook(const EEMoveToSubpageArgs& args, ObjectHandle* compoundNode)
{
    if (compoundNode != nullptr) {
        *compoundNode = 0;
    }
    // 1. Every border arc has its transition inside; the first outside node's
    // kind decides the new node's kind.
    uint16_t outsideKind = 0;
    std::vector<uint16_t> arcs;
    for (uint16_t i = 0; i < args.borderCount; ++i) {
        if (RecordOf(args.border[i]) == nullptr) {
            continue;
        }
        SEHead* inside = RecordOf(QXStr_GetBaseObject(args.innerEnds[i]));
        SEHead* outside = RecordOf(QXStr_GetBaseObject(args.outerEnds[i]));
        if (inside != nullptr && inside->kind == kSEPlace && outside != nullptr) {
            GE_MessageBox(kMsgPlacesWithBorderArcs);
            return 0;
        }
        if (outsideKind == 0 && outside != nullptr) {
            outsideKind = outside->kind;
        }
        arcs.push_back(i);
    }
    // 2. Selected ports of the outside nodes' kind are refused.
    for (uint16_t i = 0; i < args.count; ++i) {
        SEHead* record = RecordOf(args.objects[i]);
        if (IsNode(record) && record->kind == outsideKind && SEIsPort(record) != 0) {
            GE_MessageBox(kMsgPortKindOfBorder);
            return 0;
        }
    }
    // 3. At least one border arc.
    if (arcs.empty()) {
        GE_MessageBox(kMsgNoBorderArc);
        return 0;
    }
    // 4. The compound node.
    const uint16_t compoundKind = outsideKind == kSEPlace ? kSETrans : kSEPlace;
    const bool single = args.count == 1;
    ObjectHandle node = single ? args.objects[0] : EE_DrawCompoundNode(compoundKind);
    if (node == 0 || (RecordOf(node) == nullptr &&
                      (compoundKind == kSETrans ? EE_CreateNetTrans(node) : EE_CreateNetPlace(node)) == 0)) {
        return 0;
    }
    if (EE_MakeCompound(node, kSESubstitution, nullptr) == 0) {
        return 0;
    }
    // 5. Per border arc: a port copy of the outside node on the subpage side,
    // the border connector on the compound node.
    LMList* portCopies = LMCreate(kLMValueList);
    std::map<ObjectHandle, ObjectHandle> portOf;
    std::vector<std::pair<ObjectHandle, ObjectHandle>> inner;  // port copy, inside end
    std::vector<uint32_t> innerDirections;
    std::vector<std::string> innerTexts;
    for (uint16_t i = 0; i < args.borderCount; ++i) {
        const ObjectHandle connector = args.border[i];
        if (std::find(arcs.begin(), arcs.end(), i) == arcs.end()) {
            QXStr_DeleteObject(connector);
            continue;
        }
        const ObjectHandle outside = QXStr_GetBaseObject(args.outerEnds[i]);
        const ObjectHandle insideEnd = QXStr_GetBaseObject(args.innerEnds[i]);
        ObjectHandle& port = portOf[outside];
        if (port == 0) {
            port = EE_CopyForPort(outside, outsideKind);
            if (port != 0) {
                LMAppend(portCopies, reinterpret_cast<void*>(static_cast<uintptr_t>(port)), nullptr);
            }
        }
        ObjectHandle start = 0, end = 0;
        QXRdAttr_GetConnEnds(connector, 0, &start, &end);
        uint32_t direction = QXRdAttr_GetDirection(connector);
        if (!single) {
            // Inside, the port copy takes the outside node's place.
            if (port != 0) {
                inner.emplace_back(port, insideEnd);
                const bool outsideIsStart = start == outside;
                innerDirections.push_back(outsideIsStart ? direction : (direction == 1 ? 2u : direction == 2 ? 1u : direction));
                char* text = nullptr;
                GE_GetRegionText(connector, kRegionArcExpr, &text);
                innerTexts.emplace_back(text != nullptr ? text : GE_TextOf(connector));
                if (text != nullptr) {
                    QXMem_Free(text);
                }
            }
            EE_RemoveNetInfo(connector, 0);
            EE_ReattachEnds(connector, insideEnd, node, 1);
            if (RecordOf(connector) == nullptr) {
                EE_CreateNetArc(connector);
                EE_SetArcExprFromRegion(connector);
            }
        } else if (port != 0) {
            inner.emplace_back(port, 0);
            innerDirections.push_back(0);
            innerTexts.emplace_back();
        }
    }
    // 6. The new page with the selected nodes and the port copies.
    const ObjectHandle page = NewPage();
    if (page == 0 || EE_CreateNetPage(page, 1) == 0) {
        LMDestroy(portCopies);
        EE_FatalError(kMsgOutOfMemory);
    }
    std::vector<ObjectHandle> selected;
    if (!single) {
        selected.assign(args.objects, args.objects + args.count);
    }
    const int moved = EE_MoveNodesToPage(static_cast<uint16_t>(selected.size()), selected.data(), portCopies, page,
                                         RecordOf(page));
    LMDestroy(portCopies);
    if (moved == 0) {
        return 0;
    }
    for (size_t i = 0; i < inner.size(); ++i) {
        const auto& [port, insideEnd] = inner[i];
        if (insideEnd != 0) {
            const ObjectHandle connector = QXStr_CreateConnector(page, port, insideEnd);
            if (connector != 0) {
                QXWtAttr_SetDirection(connector, innerDirections[i]);
                if (!innerTexts[i].empty()) {
                    QXText_SetText(connector, innerTexts[i].c_str());
                }
                EE_CreateNetArc(connector);
                EE_SetArcExprFromRegion(connector);
            }
        }
    }
    for (const auto& [outside, port] : portOf) {
        if (port != 0) {
            EE_MakePort(port, PortTypeFor(RecordOf(outside), RecordOf(node)));
        }
    }
    EE_AssignSubpage(node, page, 1);
    EE_UpdateHierarchyTag(node);
    QXUI_RedrawObject(node);
    QXStr_SetCurObject(node);
    if (compoundNode != nullptr) {
        *compoundNode = node;
    }
    return 0;
}

int EE_CleanUpArcsAndRegions(ObjectHandle node)
{
    if (!Alive(node)) {
        return 0;
    }
    for (ObjectHandle connector : ConnectorsOf(node)) {
        const uint32_t link = GE_HasUserData(connector, kTagAuxWord) != 0 ? GE_GetAuxWord(connector) : 0;
        if (link == kCopyLinkRebuild) {
            GE_DeleteUserData(connector, kTagAuxWord);
            if (RecordOf(connector) == nullptr) {
                EE_CreateNetArc(connector);
            }
            EE_SetArcExprFromRegion(connector);
        } else if (link == kCopyLinkDelete) {
            EE_RemoveNetInfo(connector, 1);
        }
    }
    EE_UpdateFusionTag(node);
    EE_UpdatePortTag(node);
    if (EE_IsCompoundNode(node) != 0) {
        EE_UpdateHierarchyTag(node);
    }
    for (ObjectHandle region : GE_RegionsOf(node)) {
        if (GE_RegionKindOf(region) == kRegionAux && ConnectorsOf(region).empty()) {
            QXStr_DeleteObject(region);
        }
    }
    return 1;
}

int EE_MergeNodeInto(uint16_t count, const ObjectHandle* objects, ObjectHandle target, int flag)
{
    if (count != 1 || objects == nullptr || !Alive(objects[0]) || !Alive(target)) {
        return 0;
    }
    const ObjectHandle node = objects[0];
    uint32_t border = 0;
    QXRdAttr_GetBorderFlag(node, &border);
    if (node == target || PageOf(node) != PageOf(target) || border != 0 || QXRdAttr_GetSubPage(node) != 0) {
        return 0;
    }
    for (ObjectHandle connector : ConnectorsOf(node)) {
        EE_ReattachEnds(connector, node, target, 1);
        (void)flag;
    }
    GE_MoveNetRegions(node, target);
    for (ObjectHandle region : GE_RegionsOf(node)) {
        if (GE_RegionKindOf(region) <= 0) {
            QXStr_MakeRegion(region, target);
        }
    }
    EE_DeleteNetObject(node);
    QXStr_SetCurObject(target);
    EE_CleanUpArcsAndRegions(target);
    return 1;
}

int EE_MergeCopyIntoSocket(ObjectHandle copy, ObjectHandle socket, int flag)
{
    SEHead* copyRecord = RecordOf(copy);
    SEHead* socketRecord = RecordOf(socket);
    if (copyRecord == nullptr || socketRecord == nullptr) {
        return 0;
    }
    // The compound peers of the copy with the ports they assigned to it.
    std::vector<std::pair<ObjectHandle, SEHead*>> assignments;
    for (uintptr_t peerWord : Query(3, copyRecord)) {
        const auto peer = static_cast<ObjectHandle>(peerWord);
        assignments.emplace_back(peer, SEGetAssignment(RecordOf(peer), copyRecord));
    }
    const ObjectHandle list[] = {copy};
    if (EE_MergeNodeInto(1, list, socket, flag) == 0) {
        return 0;
    }
    for (const auto& [peer, port] : assignments) {
        if (port != nullptr && Alive(peer)) {
            EE_AssignPort(peer, socket, SEGetKVObj(port));
            EE_UpdateHierarchyTag(peer);
        }
    }
    return 1;
}

// ---- region creation ----

int EE_StartRegionCreation(ObjectHandle object, int32_t kind)
{
    GE_SetCreateKind(kGECreateRegion);
    GE_SetPendingRegion(object, static_cast<uint32_t>(kind));
    std::array<uint32_t, kDefAttributeWords> record{};
    const int32_t base = GE_BaseRegionKind(kind);
    DefGetByKey(DefRegionKey(base == kRegionLineChart ? kRegionBarChart : kind), record.data(), kDefLevelDiagram);
    const bool keyed = base == kRegionCode || base == kRegionLog || base == kRegionBarChart || base == kRegionLineChart;
    const ObjectHandle before = QXStr_GetCurObject();
    EE_StartCreation(keyed ? kCursorKeyedRegion : kCursorRegion, record.data());
    const ObjectHandle made = QXStr_GetCurObject();
    if (made != 0 && made != before) {
        QXStr_SetCurObject(made);
        GE_BeginTextEdit();
    }
    return 1;
}
