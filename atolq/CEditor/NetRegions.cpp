// Regions of net objects: kinds and key regions, finding, making, moving and
// clearing regions by kind, and the pick of a region's owner.
#include "atolq/CEditor/NetRegions.h"

#include <array>
#include <cstring>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/model/Model.h"
#include "xkv/types/PtArray.h"

namespace {

constexpr HookId kHookPickFilter = 65;
constexpr uint32_t kHiddenFlags[] = {0x400000, 0x2};
constexpr uint16_t kPickPlaceOrTransition = 0xFFFF;
constexpr int32_t kKindsPickable = kQXKindNode | kQXKindConnector | kQXKindRegion;

constexpr std::array<int32_t, 11> kKeyedKinds = {kRegionHierarchy, kRegionFusion,      kRegionCode,
                                                 kRegionPageMode,  kRegionLog,         kRegionMarking,
                                                 kRegionInputToken, kRegionPort,       kRegionOutputToken,
                                                 kRegionBarChart,  kRegionLineChart};
constexpr std::array<int32_t, 8> kUnkeyedKinds = {kRegionName,    kRegionColourSet,  kRegionInitMark,
                                                  kRegionGuard,   kRegionArcExpr,    kRegionSubstLabel,
                                                  kRegionInvocLabel, kRegionTime};

template <size_t N>
bool In(const std::array<int32_t, N>& list, int32_t kind)
{
    for (int32_t k : list) {
        if (k == kind) {
            return true;
        }
    }
    return false;
}

bool IsUnkeyedKind(int32_t kind)
{
    return In(kUnkeyedKinds, kind);
}

bool IsType(ObjectHandle object, uint32_t type)
{
    return object != 0 && QXStr_IsObject(object) != 0 && QXRdAttr_GetObjectType(object) == type;
}

// The net kind of an object's record, 0 without one.
uint16_t NetKind(ObjectHandle object, uint16_t* subKind = nullptr)
{
    if (subKind != nullptr) {
        *subKind = 0;
    }
    if (object == 0 || QXStr_IsObject(object) == 0) {
        return 0;
    }
    SEHead* record = nullptr;
    if (GE_GetSERecord(object, &record) == 0 || record == nullptr) {
        return 0;
    }
    if (subKind != nullptr) {
        *subKind = record->subKind;
    }
    return record->kind;
}

// The owner of a region (the kernel gives it as the region's "page").
ObjectHandle RegionOwner(ObjectHandle region)
{
    return IsType(region, kQXKindRegion) ? QXStr_GetObjectPage(region) : 0;
}

// The default key of a region kind; the line chart's code region uses the
// bar chart code's defaults.
int32_t RegionDefaultKey(int32_t kind)
{
    const int32_t base = GE_BaseRegionKind(kind);
    if (base == kRegionLineChart) {
        return DefRegionKey(kRegionBarChart | (kind & kRegionKeyBit));
    }
    return DefRegionKey(kind);
}

// The point where a connector starts or ends.
bool ConnectorPoint(ObjectHandle connector, bool last, Fixed* x, Fixed* y)
{
    const PtArray path = Model_GetFieldValue(connector, Field::kPath);
    const uint16_t count = path != 0 ? PtArray_Count(path) : 0;
    if (count == 0) {
        return false;
    }
    FixPoint point{};
    if (PtArray_GetPoint(path, last ? count - 1u : 0u, &point) != kStatusOk) {
        return false;
    }
    *x = point.x;
    *y = point.y;
    return true;
}

// The position of a node or region, or of a connector as the kernel keeps it.
void ObjectPosition(ObjectHandle object, Fixed* x, Fixed* y)
{
    *x = 0;
    *y = 0;
    if (IsType(object, kQXKindConnector)) {
        FixPoint p{};
        Model_GetField(object, Field::kPosition, &p);
        *x = p.x;
        *y = p.y;
        if (p.x == 0 && p.y == 0) {
            Fixed x1 = 0, y1 = 0, x2 = 0, y2 = 0;
            if (ConnectorPoint(object, false, &x1, &y1) && ConnectorPoint(object, true, &x2, &y2)) {
                *x = x1 / 2 + x2 / 2;
                *y = y1 / 2 + y2 / 2;
            }
        }
        return;
    }
    QXRdAttr_GetPosition(object, x, y);
}

// The prompt of a kind and what its pick accepts: 0 any object, a net kind,
// or places and transitions.
void PromptOf(int32_t kind, int16_t* message, uint16_t* pickKind)
{
    switch (kind) {
    case kRegionName: *message = kMsgPickNameParent; *pickKind = kPickPlaceOrTransition; return;
    case kRegionColourSet: *message = kMsgPickColourParent; *pickKind = kSEPlace; return;
    case kRegionInitMark: *message = kMsgPickInitMarkParent; *pickKind = kSEPlace; return;
    case kRegionArcExprOld:
    case kRegionArcExpr: *message = kMsgPickArcParent; *pickKind = kSEArc; return;
    case kRegionGuard: *message = kMsgPickGuardParent; *pickKind = kSETrans; return;
    case kRegionCode: *message = kMsgPickCodeParent; *pickKind = kSETrans; return;
    case kRegionTest: *message = kMsgPickTestParent; *pickKind = kSETrans; return;
    case kRegionLog: *message = kMsgPickLogParent; *pickKind = kSETrans; return;
    case kRegionMarking: *message = kMsgPickMarkingParent; *pickKind = kSEPlace; return;
    case kRegionInputToken: *message = kMsgPickInputTokenParent; *pickKind = kSEArc; return;
    case kRegionOutputToken: *message = kMsgPickOutputTokenParent; *pickKind = kSEArc; return;
    case kRegionTime: *message = kMsgPickTimeParent; *pickKind = kSETrans; return;
    case kRegionBarChart: *message = kMsgPickBarChartParent; *pickKind = kSEBarChart; return;
    case kRegionLineChart: *message = kMsgPickLineChartParent; *pickKind = kSELineChart; return;
    default: *message = kMsgPickAuxParent; *pickKind = 0; return;
    }
}

bool IsHidden(ObjectHandle object)
{
    for (uint32_t mask : kHiddenFlags) {
        uint32_t on = 0;
        if (QXRdAttr_GetFlag(object, mask, &on) != 0 && on != 0) {
            return true;
        }
    }
    return false;
}

// Whether the object is the container or lies inside it (walking its owners).
bool Contains(ObjectHandle container, ObjectHandle object)
{
    for (int guard = 0; object != 0 && guard < 64; ++guard) {
        if (object == container) {
            return true;
        }
        if (!IsType(object, kQXKindRegion)) {
            return false;
        }
        object = RegionOwner(object);
    }
    return false;
}

}  // namespace

// ---- kinds ----

int32_t GE_KeyRegionKind(int32_t kind)
{
    return kind | kRegionKeyBit;
}

int32_t GE_BaseRegionKind(int32_t kind)
{
    return kind & ~kRegionKeyBit;
}

int GE_IsKeyRegionKind(int32_t kind)
{
    return kind >= 0 && (kind & kRegionKeyBit) != 0 ? 1 : 0;
}

int GE_IsKeyedRegionKind(int32_t kind)
{
    return In(kKeyedKinds, kind) ? 1 : 0;
}

int32_t GE_RegionKindOf(ObjectHandle region)
{
    if (!IsType(region, kQXKindRegion)) {
        return 0;
    }
    uint32_t kind = 0;
    QXRdAttr_GetRegionKind(region, &kind);
    return static_cast<int32_t>(kind);
}

std::vector<ObjectHandle> GE_RegionsOf(ObjectHandle object)
{
    std::vector<ObjectHandle> regions;
    if (object == 0 || QXStr_IsObject(object) == 0) {
        return regions;
    }
    uint16_t count = 0;
    ObjectHandle* list = nullptr;
    if (QXStr_GetRegionList(object, &count, &list) != 0 && list != nullptr) {
        regions.assign(list, list + count);
    }
    if (list != nullptr) {
        QXMem_Free(list);
    }
    return regions;
}

std::string GE_TextOf(ObjectHandle object)
{
    if (object == 0 || QXStr_IsObject(object) == 0 || QXRdAttr_GetObjectType(object) == kQXKindPage) {
        return {};
    }
    uint32_t length = 0;
    if (QXText_GetLength(object, &length) == 0 || length == 0) {
        return {};
    }
    std::string text(length, '\0');
    if (QXText_GetText(object, text.data(), &length) == 0) {
        return {};
    }
    text.resize(length);
    const size_t end = text.find('\0');
    if (end != std::string::npos) {
        text.resize(end);
    }
    return text;
}

// ---- attaching, creating and finding ----

int GE_AttachRegion(ObjectHandle parent, ObjectHandle region, int32_t kind)
{
    if (QXStr_MakeRegion(region, parent) == 0) {
        return 0;
    }
    return QXWtAttr_SetRegionKind(region, static_cast<uint32_t>(kind)) != 0 ? 1 : 0;
}

int GE_AttachAsRegion(ObjectHandle parent, ObjectHandle region, int32_t kind)
{
    if (IsUnkeyedKind(kind) || kind == kRegionDeclEntry || GE_IsKeyRegionKind(kind)) {
        return GE_AttachRegion(parent, region, kind);
    }
    if (!GE_IsKeyedRegionKind(kind)) {
        return 0;
    }
    ObjectHandle key = 0;
    if (GE_FindChildRegion(parent, GE_KeyRegionKind(kind), &key) == 0 &&
        GE_CreateRegion(0, parent, GE_KeyRegionKind(kind), &key) == 0) {
        return 0;
    }
    return GE_AttachRegion(key, region, kind);
}

int GE_CreateRegion(ObjectHandle page, ObjectHandle parent, int32_t kind, ObjectHandle* region)
{
    if (region != nullptr) {
        *region = 0;
    }
    if (parent == 0 || QXStr_IsObject(parent) == 0) {
        return 0;
    }
    if (page == 0) {
        page = QXStr_GetObjectPage(parent);
        while (page != 0 && QXRdAttr_GetObjectType(page) != kQXKindPage) {
            page = QXStr_GetObjectPage(page);
        }
    }
    const int32_t key = RegionDefaultKey(kind);
    std::array<int32_t, kDefAttributeWords> words{};
    DefGetByKey(key, words.data(), kDefLevelDiagram);
    const int32_t shape = words[14];
    const Fixed height = words[15];
    const Fixed width = words[16];
    Fixed x = 0;
    Fixed y = 0;
    ObjectPosition(parent, &x, &y);
    x += static_cast<Fixed>(static_cast<uint32_t>(words[22]) << 15);
    y += static_cast<Fixed>(static_cast<uint32_t>(words[23]) << 15);
    const int32_t base = GE_BaseRegionKind(kind);
    if (GE_IsKeyRegionKind(kind) && IsType(parent, kQXKindConnector) &&
        (base == kRegionInputToken || base == kRegionOutputToken)) {
        ConnectorPoint(parent, base == kRegionOutputToken, &x, &y);
    }
    ObjectHandle made = 0;
    if (shape == 37) {
        made = QXStr_CreateLabel(page, x, y, width, height, "");
    } else {
        const int32_t nodeShape = (shape == 1 || shape == 2 || shape == 4 || shape == 5) ? shape : 1;
        made = QXStr_CreateNode(page, x, y, width, height, nodeShape);
    }
    if (made == 0) {
        EE_FatalError(kMsgOutOfMemory);
    }
    if (GE_AttachRegion(parent, made, kind) == 0) {
        QXStr_DeleteObject(made);
        return 0;
    }
    GE_ApplyDefaultAttributes(key, made);
    if (words[27] != 0) {
        char text[kGEMessageTextSize] = {};
        GE_GetMessageText(static_cast<int16_t>(words[27]), text);
        QXText_SetText(made, text);
    }
    if (region != nullptr) {
        *region = made;
    }
    return 1;
}

ObjectHandle GE_MakeRegion(ObjectHandle object, int32_t kind)
{
    ObjectHandle region = 0;
    if (IsUnkeyedKind(kind)) {
        GE_CreateRegion(0, object, kind, &region);
        return region;
    }
    if (!GE_IsKeyedRegionKind(kind)) {
        return 0;
    }
    ObjectHandle key = 0;
    if (GE_FindChildRegion(object, GE_KeyRegionKind(kind), &key) == 0 &&
        GE_CreateRegion(0, object, GE_KeyRegionKind(kind), &key) == 0) {
        return 0;
    }
    if (GE_TestChartTagBits(key, kChartTagKeyIsRegion) != 0) {
        return key;
    }
    GE_CreateRegion(0, key, kind, &region);
    return region;
}

int GE_GetRegion(ObjectHandle object, int32_t kind, ObjectHandle* region)
{
    ObjectHandle found = 0;
    int result = 0;
    if (GE_IsKeyedRegionKind(kind)) {
        ObjectHandle key = 0;
        result = GE_FindChildRegion(object, GE_KeyRegionKind(kind), &key) != 0 &&
                         GE_FindChildRegion(key, kind, &found) != 0
                     ? 1
                     : 0;
    } else if (IsUnkeyedKind(kind)) {
        result = GE_FindChildRegion(object, kind, &found);
    }
    if (region != nullptr) {
        *region = result != 0 ? found : 0;
    }
    return result;
}

int GE_FindChildRegion(ObjectHandle object, int32_t kind, ObjectHandle* region)
{
    if (region != nullptr) {
        *region = 0;
    }
    const std::vector<ObjectHandle> regions = GE_RegionsOf(object);
    for (auto it = regions.rbegin(); it != regions.rend(); ++it) {
        if (GE_RegionKindOf(*it) == kind) {
            if (region != nullptr) {
                *region = *it;
            }
            return 1;
        }
    }
    return 0;
}

int GE_SetRegionText(ObjectHandle object, int32_t kind, const char* text)
{
    ObjectHandle region = 0;
    if (GE_GetRegion(object, kind, &region) == 0) {
        return 0;
    }
    return QXText_SetText(region, text != nullptr ? text : "") != 0 ? 1 : 0;
}

int GE_GetRegionText(ObjectHandle object, int32_t kind, char** text)
{
    if (text != nullptr) {
        *text = nullptr;
    }
    ObjectHandle region = 0;
    if (GE_GetRegion(object, kind, &region) == 0) {
        return 0;
    }
    const std::string value = GE_TextOf(region);
    if (!value.empty() && text != nullptr) {
        *text = GE_Alloc(static_cast<uint32_t>(value.size() + 1));
        std::memcpy(*text, value.c_str(), value.size() + 1);
    }
    return 1;
}

// ---- deleting, counting and moving ----

int GE_DeleteRegion(ObjectHandle object, int32_t kind)
{
    ObjectHandle region = 0;
    if (GE_IsKeyedRegionKind(kind)) {
        GE_FindChildRegion(object, GE_KeyRegionKind(kind), &region);
    } else {
        GE_GetRegion(object, kind, &region);
    }
    if (region == 0) {
        return 0;
    }
    return QXStr_DeleteObject(region) != 0 ? 1 : 0;
}

int GE_DeleteNetRegions(ObjectHandle object)
{
    for (ObjectHandle region : GE_RegionsOf(object)) {
        if (GE_RegionKindOf(region) > 0) {
            QXStr_DeleteObject(region);
        }
    }
    return 1;
}

int GE_CountRegions(ObjectHandle object, uint32_t* net, uint32_t* other)
{
    if (net != nullptr) {
        *net = 0;
    }
    if (other != nullptr) {
        *other = 0;
    }
    if (object == 0 || QXStr_IsObject(object) == 0) {
        return 0;
    }
    for (ObjectHandle region : GE_RegionsOf(object)) {
        uint32_t* counter = GE_RegionKindOf(region) > 0 ? net : other;
        if (counter != nullptr) {
            ++*counter;
        }
    }
    return 1;
}

int GE_TextLinks(ObjectHandle object, int* referredTo, int* hasReferences)
{
    const bool valid = object != 0 && QXStr_IsObject(object) != 0;
    if (referredTo != nullptr) {
        *referredTo = valid && QXText_FirstReferrer(object) != 0 ? 1 : 0;
    }
    if (hasReferences != nullptr) {
        *hasReferences = valid && QXText_HasReferences(object) != 0 ? 1 : 0;
    }
    return valid ? 1 : 0;
}

int GE_MoveNetRegions(ObjectHandle from, ObjectHandle to)
{
    for (ObjectHandle region : GE_RegionsOf(from)) {
        const int32_t kind = GE_RegionKindOf(region);
        if (kind <= 0) {
            continue;
        }
        const int32_t base = GE_BaseRegionKind(kind);
        ObjectHandle source = region;
        if (GE_IsKeyRegionKind(kind) && GE_TestChartTagBits(region, kChartTagKeyIsRegion) == 0 &&
            GE_FindChildRegion(region, base, &source) == 0) {
            source = 0;
        }
        ObjectHandle target = 0;
        if (source != 0 && GE_GetRegion(to, base, &target) == 0) {
            target = GE_MakeRegion(to, base);
        }
        if (target == 0) {
            // No matching region can be made: the region itself moves.
            GE_AttachRegion(to, region, kind);
            continue;
        }
        QXText_SetText(target, GE_TextOf(source).c_str());
        QXStr_DeleteObject(region);
    }
    return 1;
}

// ---- clearing kinds ----

int GE_ClearRegionKinds(ObjectHandle object)
{
    if (object == 0 || QXStr_IsObject(object) == 0) {
        return 0;
    }
    for (ObjectHandle region : GE_RegionsOf(object)) {
        const int32_t kind = GE_RegionKindOf(region);
        if (kind != 0 && QXStr_IsObject(region) != 0) {
            ObjectHandle owner = object;
            ObjectHandle current = region;
            GE_ClearRegionKind(&current, kind, &owner, 1);
        }
    }
    return 1;
}

int GE_ClearRegionKind(ObjectHandle* region, int32_t kind, ObjectHandle* owner, int force)
{
    if (region == nullptr || *region == 0) {
        return 1;
    }
    QXWtAttr_SetRegionKind(*region, 0);
    if (GE_IsKeyRegionKind(kind)) {
        ObjectHandle base = 0;
        if (GE_FindChildRegion(*region, GE_BaseRegionKind(kind), &base) != 0) {
            QXWtAttr_SetRegionKind(base, 0);
        }
        return 1;
    }
    const ObjectHandle ownerObject = owner != nullptr ? *owner : RegionOwner(*region);
    if (IsType(ownerObject, kQXKindRegion)) {
        const int32_t ownerKind = GE_RegionKindOf(ownerObject);
        const bool needsForce = kind == 0 || kind == kRegionMarking || kind == kRegionInputToken ||
                                kind == kRegionOutputToken;
        if (ownerKind != 0 && GE_BaseRegionKind(ownerKind) == GE_BaseRegionKind(kind) &&
            (!needsForce || force != 0)) {
            QXWtAttr_SetRegionKind(ownerObject, 0);
            *region = ownerObject;
            if (owner != nullptr) {
                *owner = RegionOwner(ownerObject);
            }
        }
    } else if (kind == kRegionDeclEntry && ownerObject != 0) {
        DEMergeNodeText(*region, ownerObject);
    }
    return 1;
}

int GE_UnmakeNetRegion(ObjectHandle region)
{
    if (!IsType(region, kQXKindRegion)) {
        return 0;
    }
    for (uint16_t tag : {kTagSelfMark, kTagAuxWord, kTagRegionPairA, kTagRegionPairB, kTagChartTag}) {
        if (GE_HasUserData(region, tag) != 0) {
            GE_DeleteUserData(region, tag);
        }
    }
    return QXStr_UnmakeRegion(region) != 0 ? 1 : 0;
}

// ---- arcs and owners ----

int GE_ArcEnds(ObjectHandle connector, uint32_t* direction, int* fromTransition, SEHead** transition,
               SEHead** place)
{
    if (transition != nullptr) {
        *transition = nullptr;
    }
    if (place != nullptr) {
        *place = nullptr;
    }
    if (fromTransition != nullptr) {
        *fromTransition = 1;
    }
    if (!IsType(connector, kQXKindConnector)) {
        return 0;
    }
    ObjectHandle start = 0;
    ObjectHandle end = 0;
    if (QXRdAttr_GetConnEnds(connector, 0, &start, &end) == 0 || start == 0 || end == 0) {
        return 0;
    }
    if (direction != nullptr) {
        *direction = QXRdAttr_GetDirection(connector);
    }
    SEHead* first = nullptr;
    SEHead* second = nullptr;
    GE_GetSERecord(QXStr_GetBaseObject(start), &first);
    GE_GetSERecord(QXStr_GetBaseObject(end), &second);
    if (first == nullptr || second == nullptr) {
        return 1;
    }
    const bool firstIsTransition = first->kind == kSETrans;
    if (fromTransition != nullptr) {
        *fromTransition = firstIsTransition ? 1 : 0;
    }
    if (transition != nullptr) {
        *transition = firstIsTransition ? first : second;
    }
    if (place != nullptr) {
        *place = firstIsTransition ? second : first;
    }
    return 1;
}

int GE_CanParentRegion(ObjectHandle object, int32_t kind)
{
    const uint16_t netKind = NetKind(object);
    switch (kind) {
    case kRegionName: return netKind == kSEPlace || netKind == kSETrans ? 1 : 0;
    case kRegionColourSet:
    case kRegionInitMark: return netKind == kSEPlace ? 1 : 0;
    case kRegionGuard:
    case kRegionCode:
    case kRegionLog:
    case kRegionTime: return netKind == kSETrans ? 1 : 0;
    case kRegionArcExpr: return netKind == kSEArc ? 1 : 0;
    case kRegionBarChart: return netKind == kSEBarChart ? 1 : 0;
    case kRegionLineChart: return netKind == kSELineChart ? 1 : 0;
    default: return 0;
    }
}

uintptr_t GE_RegionParentFilter(uintptr_t objectWord, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto object = static_cast<ObjectHandle>(objectWord);
    if (object == 0 || QXStr_IsObject(object) == 0 || IsHidden(object)) {
        return 0;
    }
    const ObjectHandle deferred = GE_GetDeferredObject();
    if (deferred != 0 && Contains(deferred, object)) {
        return 0;
    }
    uint16_t wantedKind = 0;
    uint16_t wantedSubKind = 0;
    GE_GetDialogArgs(&wantedKind, &wantedSubKind);
    if (wantedKind == 0) {
        return 1;
    }
    uint16_t subKind = 0;
    const uint16_t kind = NetKind(object, &subKind);
    if (wantedKind == kPickPlaceOrTransition) {
        return kind == kSEPlace || kind == kSETrans ? 1 : 0;
    }
    if (kind != wantedKind) {
        return 0;
    }
    return wantedSubKind == 0 || subKind == wantedSubKind ? 1 : 0;
}

ObjectHandle GE_PickRegionParent(int32_t kind)
{
    int16_t message = 0;
    uint16_t pickKind = 0;
    PromptOf(kind, &message, &pickKind);
    char prompt[kGEMessageTextSize] = {};
    GE_GetMessageText(message, prompt);
    QXUI_SetStatusBarMessage(prompt);
    uint16_t savedArgs[2] = {0, 0};
    GE_GetDialogArgs(&savedArgs[0], &savedArgs[1]);
    GE_SetDialogArgs(pickKind, 0);
    const HookHandler resting = Hook_IsRegistered(kHookPickFilter) != 0 ? Hook_GetApplicationHandler(kHookPickFilter)
                                                                         : nullptr;
    Hook_Register(kHookPickFilter, GE_RegionParentFilter);
    const ObjectHandle picked = QXUI_PickObject(kKindsPickable, 0);
    Hook_Set(kHookPickFilter, resting);
    GE_SetDialogArgs(savedArgs[0], savedArgs[1]);
    return picked;
}
