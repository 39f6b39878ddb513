// The net editor's kernel hook handlers: the key filter, the same-kind
// selection filter, the checks before commands, opening objects, closing,
// page changes, text edits and deletions, the status text, the connector
// hooks that keep arcs in step with the net, the window title, the next
// region click and the dialogs of the kernel that the net editor answers.
// They are handed to the editor's hook set at start-up
// (EE_InstallEditorHookHandlers).
#include "atolq/CEditor/HookHandlers.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorBoxes.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/KernelDialogDefaults.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/ModeHooks.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "xkv/comm/Comm.h"
#include "xkv/item/Event.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/select/Select.h"

namespace {

constexpr unsigned long kKeyBackSpace = 0xFF08;
constexpr unsigned long kKeyReturn = 0xFF0D;
constexpr unsigned long kKeyLeft = 0xFF51;
constexpr unsigned long kKeyDown = 0xFF54;
constexpr unsigned long kKeyPadEnter = 0xFF8D;
constexpr unsigned long kKeyDelete = 0xFFFF;
constexpr uint32_t kSelectionGroup = 1;
// State bit: the first end of a new arc is fixed.
constexpr uint32_t kGEFirstArcEndFixed = 0x8000;

constexpr HookId kHookPressFilter = 23;
constexpr HookId kHookPickFilter = 65;

constexpr int16_t kMsgChartRegion = 11409;
constexpr int16_t kMsgArcEnds = 11285;
constexpr int16_t kMsgArcSameKind = 11286;
constexpr int16_t kMsgCompoundNeighbours = 11274;

// Kernel object flags: shown (0x400002 and 4) and the third display flag.
constexpr uint32_t kFlagHidden = 0x400002;
constexpr uint32_t kFlagShown = 4;

// Copy-map mark of an arc whose end is being re-attached.
constexpr uint32_t kCopyLinkReattach = 4;

// The sub-kinds of substitution and invocation nodes.
constexpr uint16_t kSubKindSubstitution = 6;
constexpr uint16_t kSubKindInvocation = 7;

// The kinds that QXUI_PickObject and QXUtil_LocateAt take for "any net
// object": nodes, connectors and regions.
constexpr uint32_t kKindsPickable = kQXKindNode | kQXKindConnector | kQXKindRegion;

bool SelectionIsGroup()
{
    return Select_GetMode() == kSelectionGroup;
}

bool Alive(ObjectHandle object)
{
    return object != 0 && QXStr_IsObject(object) != 0;
}

bool IsType(ObjectHandle object, uint32_t type)
{
    return Alive(object) && QXRdAttr_GetObjectType(object) == type;
}

uint16_t NetKind(ObjectHandle object, uint16_t* subKind = nullptr, SEHead** record = nullptr)
{
    uint16_t kind = 0, sub = 0;
    SEHead* found = nullptr;
    if (Alive(object))
        EE_GetObjectKind(object, &kind, &sub, &found);
    if (subKind != nullptr)
        *subKind = sub;
    if (record != nullptr)
        *record = found;
    return kind;
}

bool IsPlaceOrTransition(ObjectHandle object)
{
    const uint16_t kind = NetKind(object);
    return kind == kSEPlace || kind == kSETrans;
}

bool HasRecord(ObjectHandle object)
{
    SEHead* record = nullptr;
    return Alive(object) && GE_GetSERecord(object, &record) != 0 && record != nullptr;
}

bool OnHierarchyPage(ObjectHandle object)
{
    const ObjectHandle hierarchy = PGFindHierarchyPage();
    if (hierarchy == 0)
        return false;
    const ObjectHandle page = object != 0 ? QXStr_GetObjectPage(QXStr_GetBaseObject(object)) : QXStr_GetCurPage();
    return page == hierarchy || object == hierarchy;
}

bool IsHierarchyObject(ObjectHandle object)
{
    uint32_t length = 0;
    return Alive(object) && PGIsHierarchyObject(object, &length) != 0;
}

std::vector<ObjectHandle> ConnectorsOf(ObjectHandle object)
{
    uint16_t count = 0;
    ObjectHandle* list = nullptr;
    std::vector<ObjectHandle> connectors;
    if (QXStr_GetObjectConnList(object, &count, &list) != 0 && list != nullptr)
        connectors.assign(list, list + count);
    if (list != nullptr)
        QXMem_Free(list);
    return connectors;
}

std::vector<ObjectHandle> RegionsOf(ObjectHandle object)
{
    uint16_t count = 0;
    ObjectHandle* list = nullptr;
    std::vector<ObjectHandle> regions;
    if (QXStr_GetRegionList(object, &count, &list) != 0 && list != nullptr)
        regions.assign(list, list + count);
    if (list != nullptr)
        QXMem_Free(list);
    return regions;
}

// The owner of a region (the kernel gives it as the region's page).
ObjectHandle OwnerOf(ObjectHandle region)
{
    return IsType(region, kQXKindRegion) ? QXStr_GetObjectPage(region) : 0;
}

uint32_t TextLength(ObjectHandle object)
{
    uint32_t length = 0;
    return QXText_GetLength(object, &length) != 0 ? length : 0;
}

bool FlagSet(ObjectHandle object, uint32_t mask)
{
    uint32_t value = 0;
    return QXRdAttr_GetFlag(object, mask, &value) != 0 && value != 0;
}

bool ShiftAlone(const int32_t* modifiers)
{
    return modifiers[0] != 0 && modifiers[1] == 0 && modifiers[2] == 0 && modifiers[3] == 0;
}

bool AltAlone(const int32_t* modifiers)
{
    return modifiers[0] == 0 && modifiers[1] == 0 && modifiers[2] != 0 && modifiers[3] == 0;
}

// Shift and an arrow key while editing a text walk to a neighbouring object.
uintptr_t ArrowKey(const int32_t* modifiers, unsigned long keysym)
{
    if (modifiers == nullptr || !ShiftAlone(modifiers) || Comm_InTextMode() == 0 || SelectionIsGroup())
        return 1;
    static constexpr int32_t kCommands[] = {511, 609, 510, 608};  // Left, Up, Right, Down
    const ObjectHandle current = QXStr_GetCurObject();
    if (current != 0)
        QXUI_ShowObject(current);
    GE_DoCommand(kCommands[keysym - kKeyLeft]);
    EE_AfterSelect(QXStr_GetCurObject());
    return 0;
}

// BackSpace and Delete: outside text editing the net editor's Clear; a chart
// region other than the code region is never deleted and its text never
// becomes empty.
uintptr_t DeleteKey()
{
    const ObjectHandle current = QXStr_GetCurObject();
    const bool protectedRegion = EE_IsProtectedChartRegion(current) != 0;
    if (Comm_InTextMode() != 0) {
        if (protectedRegion && TextLength(current) <= 1)
            QXText_SetText(current, "  ");
        return 1;
    }
    if (protectedRegion) {
        GE_MessageBox(kMsgChartRegion);
        return 0;
    }
    EE_Clear();
    EE_AfterSelect(QXStr_GetCurObject());
    return 0;
}

// Alt+Return or KP_Enter while typing a new region: the region is done and
// the user picks the owner of the next region of the same kind.
uintptr_t NextRegionKey()
{
    if (Comm_InTextMode() == 0 || GE_GetCreateKind() != kGECreateRegion)
        return 1;
    const bool wasEditing = GE_TestStateFlags(kGEResumeTextEdit) != 0;
    ObjectHandle previousParent = 0;
    const auto kind = static_cast<int32_t>(GE_GetPendingRegion(&previousParent));
    GE_EndTextEdit();
    Hook_Unregister(kHookPressFilter);
    GE_SetDeferredObject(0);
    const ObjectHandle parent = GE_PickRegionParent(kind);
    if (parent == 0) {
        EE_CreationEnded(0, 0, 0, 0, 0, 0);
        return 0;
    }
    EE_StartRegionCreation(parent, kind);
    if (wasEditing)
        GE_SetStateFlags(kGEResumeTextEdit);
    return 0;
}

// The kinds of region whose text the net editor writes itself.
bool IsGeneratedRegion(ObjectHandle object)
{
    if (!IsType(object, kQXKindRegion))
        return false;
    const int32_t kind = GE_RegionKindOf(object);
    if (GE_IsKeyRegionKind(kind) != 0)
        return true;
    switch (kind) {
    case kRegionHierarchy:
    case kRegionFusion:
    case kRegionPageMode:
    case kRegionPort:
    case kRegionSubstLabel:
    case kRegionInvocLabel: return true;
    default: return false;
    }
}

// An object an arc may end on: any object that is not a region, or an end
// tag region.
bool IsArcEndpoint(ObjectHandle object)
{
    return Alive(object) && (!IsType(object, kQXKindRegion) || GE_RegionKindOf(object) == kRegionAux);
}

bool IsPort(ObjectHandle node)
{
    SEHead* record = nullptr;
    NetKind(node, nullptr, &record);
    return record != nullptr && SEIsPort(record) != 0;
}

// Opens the page that a compound node's record names as subpage.
bool OpenSubpageOf(ObjectHandle node, SEHead* record)
{
    ObjectHandle page = QXRdAttr_GetSubPage(node);
    if (page == 0 && record != nullptr)
        page = static_cast<ObjectHandle>(SEGetSubpageObj(record));
    if (page == 0 || !Alive(page))
        return false;
    QXStr_SetCurPage(page);
    return true;
}

}  // namespace

// ---- keys, selection and commands ----

GE_HOOK_HANDLER(EE_KeyFilter)
{
    (void)c, (void)d, (void)e, (void)f;
    const auto* modifiers = reinterpret_cast<const int32_t*>(a);
    const auto* keysymAddress = reinterpret_cast<const unsigned long*>(b);
    if (keysymAddress == nullptr)
        return 1;
    const unsigned long keysym = *keysymAddress;
    if (keysym > kKeyDown && keysym != kKeyPadEnter && keysym != kKeyDelete)
        return 1;
    if (keysym >= kKeyLeft && keysym <= kKeyDown)
        return ArrowKey(modifiers, keysym);
    if (keysym == kKeyBackSpace || keysym == kKeyDelete)
        return DeleteKey();
    if (keysym == kKeyPadEnter || (keysym == kKeyReturn && modifiers != nullptr && AltAlone(modifiers)))
        return NextRegionKey();
    return 1;
}

GE_HOOK_HANDLER(EE_BaseObjectCheck)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    const auto object = static_cast<ObjectHandle>(a);
    GE_ClearStateFlags(kGESelectionHasNet);
    if (!Alive(object))
        return 1;
    const std::vector<ObjectHandle> connectors = ConnectorsOf(object);
    if (OnHierarchyPage(object)) {
        if (IsHierarchyObject(object))
            return 0;
        for (ObjectHandle connector : connectors) {
            if (IsHierarchyObject(connector))
                return 0;
        }
        return 1;
    }
    bool net = HasRecord(object);
    for (ObjectHandle connector : connectors)
        net = net || HasRecord(connector);
    if (net)
        GE_SetStateFlags(kGESelectionHasNet);
    return 1;
}

GE_HOOK_HANDLER(EE_OpenObject)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    const auto object = static_cast<ObjectHandle>(a);
    if (SelectionIsGroup())
        return 0;
    if (!Alive(object))
        return 1;
    uint16_t subKind = 0;
    SEHead* record = nullptr;
    const uint16_t kind = NetKind(object, &subKind, &record);
    if (kind == kSEPlace || kind == kSETrans) {
        const bool portOrFlagged = record != nullptr && (SEIsPort(record) != 0 || SETestNodeFlag(record) != 0);
        if (!portOrFlagged) {
            const bool compound = subKind == kSubKindSubstitution || subKind == kSubKindInvocation;
            return (compound || QXRdAttr_GetSubPage(object) != 0) && OpenSubpageOf(object, record) ? 0 : 1;
        }
        // A port: its own subpage, then every page whose compound nodes use
        // the port's page, in turn.
        OpenSubpageOf(object, nullptr);
        SEHead* pageRecord = nullptr;
        const ObjectHandle page = QXStr_GetCurPage();
        if (GE_GetSERecord(page, &pageRecord) != 0 && pageRecord != nullptr) {
            SEIter iter{};
            iter.input = pageRecord;
            std::vector<ObjectHandle> users;
            if (SEInitNext(2, &iter) != 0) {
                while (SENextGet(2, &iter) != 0)
                    users.push_back(static_cast<ObjectHandle>(iter.result));
            }
            for (ObjectHandle user : users) {
                const ObjectHandle userPage = QXStr_GetObjectPage(user);
                if (Alive(userPage))
                    QXStr_SetCurPage(userPage);
            }
        }
        return 0;
    }
    if (IsType(object, kQXKindRegion) && GE_RegionKindOf(object) != 0) {
        const int32_t regionKind = GE_RegionKindOf(object);
        if (GE_IsKeyRegionKind(regionKind) != 0) {
            const int32_t base = GE_BaseRegionKind(regionKind);
            for (ObjectHandle region : RegionsOf(object)) {
                if (GE_RegionKindOf(region) != base)
                    continue;
                if (FlagSet(region, kFlagHidden) && FlagSet(region, kFlagShown))
                    GE_ClearObjectFlags(region);
                else
                    GE_RefreshObjectFlags(region);
            }
            return 0;
        }
        const ObjectHandle owner = OwnerOf(object);
        if (IsType(owner, kQXKindRegion)) {
            GE_RefreshObjectFlags(object);
            QXStr_SetCurObject(owner);
        }
        return 0;
    }
    return 1;
}

GE_HOOK_HANDLER(EE_CloseCheck)
{
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f;
    // The edited text belongs to what is being closed.
    if (GE_GetMode() == kGEModeSimulator && GE_GetCurrentDiagram() != 0 && Comm_InTextMode() != 0)
        GE_EndTextEdit();
    GE_SetStateFlags(kGEMenusStale);
    return 1;
}

// ---- pages ----

GE_HOOK_HANDLER(EE_ChoosePageHook)
{
    (void)d, (void)e, (void)f;
    return PGChoosePage(static_cast<uint32_t>(a), static_cast<uint32_t>(b), reinterpret_cast<ObjectHandle*>(c));
}

GE_HOOK_HANDLER(EE_ModelChangedHook)
{
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f;
    PGModelChanged();
    return 1;
}

GE_HOOK_HANDLER(EE_CurrentPageChanged)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    const auto page = static_cast<ObjectHandle>(a);
    GE_SetStateFlags(kGEMenusStale);
    GE_RequestMenuUpdate();
    if (page != 0 && PGStyleUpdateEnabled() != 0)
        PGMarkCurrentPage(page);
    if (page != 0)
        GE_BringErrorBoxIntoView(page);
    if (GE_GetCreateKind() == kGECreateRegion) {
        ObjectHandle parent = 0;
        const uint32_t kind = GE_GetPendingRegion(&parent);
        GE_SetPendingRegion(0, kind);
        Hook_Set(kHookPressFilter, EE_NextRegionClick);
    }
    if (GE_GetMode() == kGEModeEditor)
        EE_AfterSelect(QXStr_GetCurObject());
    return 1;
}

GE_HOOK_HANDLER(EE_PageListChanged)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    const auto page = static_cast<ObjectHandle>(a);
    if (Alive(page))
        PGSetNodeStyle(page, 10);
    return 1;
}

GE_HOOK_HANDLER(EE_NextRegionClick)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    if (GE_GetCreateKind() != kGECreateRegion)
        return 0;
    const auto* pointer = reinterpret_cast<const PointerState*>(a);
    if (pointer == nullptr)
        return 0;
    const ObjectHandle hit =
        QXUtil_LocateAt(QXUtil_FixedToInt(pointer->x), QXUtil_FixedToInt(pointer->y), kKindsPickable);
    ObjectHandle pendingParent = 0;
    const auto kind = static_cast<int32_t>(GE_GetPendingRegion(&pendingParent));
    const ObjectHandle previous = QXStr_GetCurObject();
    if (hit != 0 && hit == previous && hit == pendingParent)
        return 0;
    GE_EndTextEdit();
    Hook_Unregister(kHookPressFilter);
    ObjectHandle parent = hit != 0 && GE_CanParentRegion(hit, kind) != 0 ? hit : 0;
    if (parent == 0)
        parent = GE_PickRegionParent(kind);
    if (parent == 0) {
        EE_CreationEnded(0, 0, 0, 0, 0, 0);
        return 1;
    }
    if (Alive(previous))
        EE_UpdateNetFromObject(previous);
    EE_StartRegionCreation(parent, kind);
    return 1;
}

GE_HOOK_HANDLER(EE_WindowTitleHook)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    const auto page = static_cast<ObjectHandle>(a);
    if (!IsType(page, kQXKindPage))
        return 1;
    char title[96] = {};
    if (GE_ObjectRefName(page, title) == 0 || title[0] == '\0')
        return 1;
    QXWin_SetTitle(page, title);
    return 0;
}

// ---- texts ----

GE_HOOK_HANDLER(EE_TextEditEnd)
{
    (void)c, (void)d, (void)e, (void)f;
    const auto object = static_cast<ObjectHandle>(a);
    if (b != 0 && Alive(object))
        EE_UpdateNetFromObject(object);
    if (GE_GetTextEditObject() == object)
        GE_SetTextEditObject(0);
    return 1;
}

GE_HOOK_HANDLER(EE_AfterReplace)
{
    (void)c, (void)d, (void)e, (void)f;
    if (auto* flag = reinterpret_cast<int32_t*>(b))
        *flag = 1;
    const auto object = static_cast<ObjectHandle>(a);
    if (Alive(object))
        EE_UpdateNetFromObject(object);
    return 1;
}

GE_HOOK_HANDLER(EE_ReplaceCheck)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    const auto object = static_cast<ObjectHandle>(a);
    // Hierarchy objects and the tags that the editor writes keep their texts.
    if (IsHierarchyObject(object) || IsGeneratedRegion(object))
        return 0;
    return 1;
}

// ---- deletion and status ----

GE_HOOK_HANDLER(EE_DeleteHook)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    const auto object = static_cast<ObjectHandle>(a);
    // Only an empty label that the kernel drops at the end of its edit: the
    // net forgets it before it goes.
    if (!Alive(object) || QXUtil_IsLabel(object) == 0 || TextLength(object) != 0)
        return 1;
    if (!IsType(object, kQXKindRegion)) {
        if (HasRecord(object))
            EE_RemoveNetInfo(object, 0);
        return 1;
    }
    const int32_t kind = GE_RegionKindOf(object);
    if (kind >= 1)
        EE_DropRegion(object, kind, 0);
    return 1;
}

GE_HOOK_HANDLER(EE_StatusText)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    auto* buffer = reinterpret_cast<char*>(a);
    if (buffer == nullptr)
        return 0;
    uint16_t count = 0;
    uint32_t* objects = nullptr;
    GE_GetSelection(&count, &objects);
    char* description = nullptr;
    EE_SummarizeSelection(count, objects, SelectionIsGroup() ? 1 : 0, &description);
    if (description == nullptr)
        return 0;
    // The kernel's buffer holds 255 characters and its end.
    constexpr size_t kRoom = 255;
    const size_t used = std::strlen(buffer);
    if (used < kRoom)
        std::strncat(buffer, description, kRoom - used);
    QXMem_Free(description);
    // While simulating, the model time and the step follow the kernel's own
    // status texts too.
    std::string suffix;
    if (GE_GetMode() == kGEModeSimulator && SStatusSuffix(&suffix, kSTimeShown, kSStepShown)) {
        const size_t now = std::strlen(buffer);
        if (now < kRoom)
            std::strncat(buffer, suffix.c_str(), kRoom - now);
    }
    return 1;
}

// ---- connectors ----

GE_HOOK_HANDLER(EE_ReattachConnector)
{
    (void)e, (void)f;
    const auto connector = static_cast<ObjectHandle>(a);
    const bool movingEnd = b != 0;
    const auto newObject = static_cast<ObjectHandle>(c);
    const auto newNode = static_cast<ObjectHandle>(d);
    if (GE_GetCreateKind() == kGECreateReattachArc)
        GE_SetCreateKind(kGECreateNone);
    if (NetKind(connector) != kSEArc || OnHierarchyPage(connector))
        return 1;
    if (!IsArcEndpoint(newObject))
        return 0;
    ObjectHandle startBase = 0, endBase = 0;
    if (QXRdAttr_GetConnEnds(connector, 0, &startBase, &endBase) == 0)
        return 0;
    const ObjectHandle oldNode = movingEnd ? endBase : startBase;
    const ObjectHandle otherNode = movingEnd ? startBase : endBase;
    // A place end stays on a place, a transition end on a transition.
    if (NetKind(newNode) != NetKind(oldNode))
        return 0;
    if (newNode == oldNode)
        return 1;
    if (EE_IsCompoundNode(otherNode) != 0 && EE_IsCompoundNode(newNode) != 0) {
        GE_MessageBox(kMsgCompoundNeighbours);
        return 0;
    }
    // The records are made again once the kernel has moved the end.
    GE_SetAuxWord(connector, kCopyLinkReattach);
    GE_SetCreateKind(kGECreateReattachArc);
    GE_SetDeferredObject(newNode);
    return 1;
}

GE_HOOK_HANDLER(EE_ConnectorReattached)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    const auto connector = static_cast<ObjectHandle>(a);
    if (GE_GetCreateKind() != kGECreateReattachArc)
        return 1;
    GE_SetCreateKind(kGECreateNone);
    if (!Alive(connector) || GE_HasUserData(connector, kTagAuxWord) == 0 ||
        GE_GetAuxWord(connector) != kCopyLinkReattach)
        return 1;
    GE_DeleteUserData(connector, kTagAuxWord);
    // The old records go; the arc keeps its inscription regions.
    const uint32_t kept = GE_GetStateFlags() & (kGEStrippingRegionKinds | kGEDeletingNetObjects);
    GE_ClearStateFlags(kGEStrippingRegionKinds | kGEDeletingNetObjects);
    EE_RemoveNetInfo(connector, 0);
    GE_SetStateFlags(kept);
    EE_CreateNetArc(connector);
    EE_SetArcExprFromRegion(connector);
    ObjectHandle start = 0, end = 0;
    QXRdAttr_GetConnEnds(connector, 0, &start, &end);
    for (ObjectHandle node : {start, end}) {
        if (EE_IsCompoundNode(node) != 0)
            EE_UpdateHierarchyTag(node);
    }
    GE_SetDeferredObject(0);
    return 1;
}

GE_HOOK_HANDLER(EE_CheckNewArc)
{
    (void)c, (void)f;
    const auto startBase = static_cast<ObjectHandle>(a);
    const auto endBase = static_cast<ObjectHandle>(b);
    const auto start = static_cast<ObjectHandle>(d);
    const auto end = static_cast<ObjectHandle>(e);
    if (GE_GetCreateKind() != kGECreateArc || OnHierarchyPage(0))
        return 1;
    if (!IsArcEndpoint(start) || !IsArcEndpoint(end) || !IsPlaceOrTransition(startBase) ||
        !IsPlaceOrTransition(endBase)) {
        GE_MessageBox(kMsgArcEnds);
        return 0;
    }
    if (NetKind(startBase) == NetKind(endBase)) {
        GE_MessageBox(kMsgArcSameKind);
        return 0;
    }
    if (EE_IsCompoundNode(startBase) != 0 && EE_IsCompoundNode(endBase) != 0) {
        GE_MessageBox(kMsgCompoundNeighbours);
        return 0;
    }
    return 1;
}

void EE_SelectDetail(ObjectHandle connector, ObjectHandle endObject, int afterSelect)
{
    ObjectHandle start = 0, end = 0;
    if (!IsType(connector, kQXKindConnector) || QXRdAttr_GetConnEnds(connector, 1, &start, &end) == 0)
        return;
    if (endObject == 0 || (endObject != start && endObject != end) || !Alive(endObject))
        return;
    QXStr_SetCurObject(endObject);
    if (afterSelect != 0)
        EE_AfterSelect(endObject);
}

GE_HOOK_HANDLER(EE_ConnectorDetail)
{
    (void)c, (void)d, (void)e, (void)f;
    const auto connector = static_cast<ObjectHandle>(a);
    const bool atEnd = b != 0;
    // The relations on the hierarchy page are not re-attached by hand.
    if (OnHierarchyPage(0))
        return 0;
    int32_t detail = 0;
    QXUtil_GetInboxDetail(&detail);
    if (detail == 0)
        return 1;
    // With the detail setting on, a press on an end selects what the end is
    // attached to instead of moving the end.
    ObjectHandle start = 0, end = 0;
    if (!IsType(connector, kQXKindConnector) || QXRdAttr_GetConnEnds(connector, 1, &start, &end) == 0)
        return 1;
    EE_SelectDetail(connector, atEnd ? end : start, 1);
    return 0;
}

// ---- arc drawing from the palette ----

GE_HOOK_HANDLER(EE_ArcFirstEnd)
{
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f;
    Hook_Unregister(kHookKeyFilter);
    GE_SetStateFlags(kGEFirstArcEndFixed);
    return 0;
}

GE_HOOK_HANDLER(EE_ArcEndFilter)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    if (GE_GetCreateKind() != kGECreateArc)
        return 1;
    const auto object = static_cast<ObjectHandle>(a);
    if (GE_TestStateFlags(kGEFirstArcEndFixed) == 0) {
        if (!IsPlaceOrTransition(object))
            return 0;
        GE_SetDeferredObject(object);
        return 1;
    }
    const ObjectHandle first = GE_GetDeferredObject();
    const ObjectHandle base = QXStr_GetBaseObject(object);
    if (!IsArcEndpoint(object) || !IsPlaceOrTransition(base) || !IsPlaceOrTransition(first))
        return 0;
    if (NetKind(base) == NetKind(first))
        return 0;
    return IsPort(base) && IsPort(first) ? 0 : 1;
}

void EE_InstallArcDrawing()
{
    GE_ClearStateFlags(kGEFirstArcEndFixed);
    Hook_Set(kHookPressFilter, EE_ArcFirstEnd);
    Hook_Set(kHookPickFilter, EE_ArcEndFilter);
}

void EE_RemoveArcDrawing()
{
    const bool drawing = Hook_GetApplicationHandler(kHookPressFilter) == EE_ArcFirstEnd ||
                         Hook_GetApplicationHandler(kHookPickFilter) == EE_ArcEndFilter;
    if (!drawing)
        return;
    if (Hook_GetApplicationHandler(kHookPickFilter) == EE_ArcEndFilter)
        Hook_Set(kHookPickFilter, EE_TextMenuPickFilter);
    if (Hook_GetApplicationHandler(kHookPressFilter) == EE_ArcFirstEnd)
        Hook_Unregister(kHookPressFilter);
    GE_ClearStateFlags(kGEFirstArcEndFixed);
    // The first press took the key filter away; a drawing that ends without
    // an arc must not leave the editor without it.
    if (GE_GetMode() == kGEModeEditor)
        Hook_Set(kHookKeyFilter, GE_EditorHookHandler(kHookKeyFilter));
}

// ---- text objects made by the kernel's text command ----

GE_HOOK_HANDLER(EE_CreateTextHook)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    constexpr uint32_t kCommandText = 409;
    constexpr int32_t kKeyText = 26;
    constexpr int16_t kMsgConvertedToAux = 11329;
    const auto text = static_cast<ObjectHandle>(a);
    if (QXUI_GetCurrentCommand() != kCommandText || !Alive(text))
        return 1;
    const int16_t createKind = GE_GetCreateKind();
    if (createKind == kGECreateNone) {
        GE_ApplyDefaultAttributes(kKeyText, text);
        return 1;
    }
    if (OnHierarchyPage(text)) {
        GE_MessageBox(kMsgConvertedToAux);
        return 1;
    }
    if (createKind == kGECreateRegion)
        EE_MakePendingRegion(text);
    return 1;
}

void EE_MakePendingRegion(ObjectHandle object)
{
    ObjectHandle owner = 0;
    const auto kind = static_cast<int32_t>(GE_GetPendingRegion(&owner));
    if (!Alive(owner) || !Alive(object))
        return;
    if (kind == kRegionGuard)
        QXText_SetText(object, "[]");
    // Kinds with a key region hang below the owner's key region, where the
    // net looks for them.
    if (GE_AttachAsRegion(owner, object, kind) == 0)
        GE_AttachRegion(owner, object, kind);
    GE_ApplyDefaultAttributes(DefRegionKey(kind), object);
    Hook_Set(kHookPressFilter, EE_NextRegionClick);
    QXUI_SetTransCursor(1);
    QXStr_SetCurObject(object);
    GE_BeginTextEdit();
    QXUI_UpdateStatusBar();
}

// ---- the editor's dependent state ----

void EE_AfterSelect(ObjectHandle object)
{
    GE_SetStateFlags(kGEMenusStale);
    if (GE_GetMode() == kGEModeEditor && Alive(object))
        EE_RefreshTextMenu(object);
    GE_RequestMenuUpdate();
    QXUI_UpdateStatusBar();
}

// ---- installation ----

void EE_InstallEditorHookHandlers()
{
    struct Row {
        HookId hook;
        HookHandler handler;
    };
    static constexpr Row kRows[] = {
        {8, EE_ReattachConnector},   {9, EE_CheckNewArc},         {17, EE_KeyFilter},
        {55, EE_StatusText},         {16, EE_SelectFilter},       {27, EE_PageChangedHook},
        {28, EE_BaseObjectCheck},    {7, EE_ConnectorDirectionHook}, {14, EE_OpenObject},
        {37, EE_AfterReplace},       {47, EE_ReplaceCheck},       {63, EE_CloseCheck},
        {62, EE_WindowTitleHook},    {69, EE_PageListChanged},    {40, EE_DeleteHook},
        {74, EE_ConnectorReattached}, {76, EE_TextEditEnd},       {71, EE_CurrentPageChanged},
        {34, EE_TextMenuPickFilter}, {50, EE_ConnectorDetail},    {45, EE_ChoosePageHook},
        {29, EE_ModelChangedHook},
        {79, EE_CreateTextHook},     {84, DefConvertReadDefault}, {66, EE_KernelDialogEnded},
    };
    for (const Row& row : kRows)
        GE_SetEditorHookHandler(row.hook, row.handler);
}
