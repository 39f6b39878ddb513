// Commands that make inscription regions and turn drawn objects into net
// objects: TOLQ Region... on the TOLQ menu, and Convert to TOLQ... and Make
// Region on the Aux menu.
#include "atolq/CEditor/NetRegionCommands.h"

#include <vector>

#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetCreateSeam.h"
#include "atolq/CEditor/NetKindDialogs.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int16_t kMsgNoDiagram = 11325;
constexpr int16_t kMsgHierarchyPage = 11312;
constexpr int16_t kMsgGroupsNotBuilt = 11314;
constexpr int16_t kMsgNoRegionOwner = 11268;
constexpr int16_t kMsgRegionsExisted = 11344;

// Flag bits that show an object highlighted.
constexpr uint32_t kFlagShown = 4;
constexpr uint32_t kFlagHighlight = 1;
// Pick kinds of a region's parent: nodes, connectors and regions.
constexpr int32_t kPickAnyObject = 28;

bool OnHierarchyPage()
{
    const uint32_t hierarchy = PG_GetHierarchyPage();
    return hierarchy != 0 && QXStr_GetCurPage() == hierarchy;
}

bool IsType(ObjectHandle object, uint32_t type)
{
    return object != 0 && QXRdAttr_GetObjectType(object) == type;
}

uint16_t NetKindOf(ObjectHandle object)
{
    uint16_t kind = 0, subKind = 0;
    SEHead* record = nullptr;
    EE_GetObjectKind(object, &kind, &subKind, &record);
    return kind;
}

// The region kind a new inscription of the object gets; 0 when the user
// cancelled the choice.
int32_t InscriptionKindFor(uint16_t netKind)
{
    switch (netKind) {
    case kSEArc: return kRegionArcExpr;
    case kSEBarChart: return kRegionBarChart;
    case kSELineChart: return kRegionLineChart;
    default: {
        int32_t kind = 0;
        const EERegionOwner owner = netKind == kSEPlace ? EERegionOwner::Place : EERegionOwner::Transition;
        return EE_AskRegionKind(owner, 0, &kind) != 0 ? kind : 0;
    }
    }
}

bool MayOwnInscriptions(uint16_t netKind)
{
    return netKind == kSEPlace || netKind == kSETrans || netKind == kSEArc || netKind == kSEBarChart ||
           netKind == kSELineChart;
}

// ---- Convert to TOLQ ----

void ConvertNode(ObjectHandle node, EEConvertKind kind)
{
    switch (kind) {
    case EEConvertKind::Place:
        if (EE_CreateNetPlace(node) != 0)
            EE_TakeNameFromRegion(node);
        break;
    case EEConvertKind::Transition:
        if (EE_CreateNetTrans(node) != 0)
            EE_TakeNameFromRegion(node);
        break;
    case EEConvertKind::GlobalDecl:
        if (EE_CreateDeclNode(node, 0, 1) != 0)
            EE_BuildDeclRegions(node);
        break;
    case EEConvertKind::TemporaryDecl:
        if (EE_CreateDeclNode(node, 0, 3) != 0)
            EE_BuildDeclRegions(node);
        break;
    case EEConvertKind::LocalDecl:
        if (EE_CreateDeclNode(node, QXStr_GetCurPage(), 2) != 0)
            EE_BuildDeclRegions(node);
        break;
    }
}

void ConvertConnector(ObjectHandle connector)
{
    if (EE_CreateNetArc(connector) != 0)
        EE_SetArcExprFromRegion(connector);
}

// A plain region becomes the owner's inscription of the kind; when the owner
// has one already, that one takes the region's text instead and the region
// stays as it was. True when it was skipped so.
bool ConvertRegion(ObjectHandle region, int32_t kind)
{
    const ObjectHandle owner = QXStr_GetObjectPage(region);
    ObjectHandle existing = 0;
    if (GE_GetRegion(owner, kind, &existing) != 0 && existing != 0 && existing != region) {
        QXText_SetText(existing, "");
        QXText_AppendText(existing, GE_TextOf(region).c_str());
        EE_UpdateNetFromRegion(existing);
        return true;
    }
    if (GE_AttachAsRegion(owner, region, kind) != 0)
        EE_UpdateNetFromRegion(region);
    return false;
}

// The kind the selected regions become: an arc's inscription, or the kind
// chosen for places' and transitions' regions; 0 on Cancel.
int32_t ConvertedRegionKind(const EEFilterRecord& record)
{
    if (record.parentKind == kSEArc)
        return kRegionArcExpr;
    int32_t kind = 0;
    const EERegionOwner owner = record.parentKind == kSEPlace ? EERegionOwner::Place : EERegionOwner::Transition;
    return EE_AskRegionKind(owner, 1, &kind) != 0 ? kind : 0;
}

void ConvertRegions(const std::vector<ObjectHandle>& selection, const EEFilterRecord& record)
{
    const int32_t kind = ConvertedRegionKind(record);
    if (kind == 0)
        return;
    bool skipped = false;
    for (ObjectHandle region : selection) {
        if (IsType(region, kQXKindRegion))
            skipped = ConvertRegion(region, kind) || skipped;
    }
    if (skipped)
        GE_MessageBox(kMsgRegionsExisted);
}

// ---- Make Region ----

// Highlights the objects for the parent pick and gives their old bit 4 back
// afterwards.
class PickHighlight {
public:
    explicit PickHighlight(const std::vector<ObjectHandle>& objects) : objects_(objects)
    {
        for (ObjectHandle object : objects_) {
            uint32_t shown = 0;
            QXRdAttr_GetFlag(object, kFlagShown, &shown);
            wasShown_.push_back(shown);
            QXWtAttr_SetFlagQuiet(object, kFlagShown | kFlagHighlight, kFlagShown | kFlagHighlight);
        }
    }
    ~PickHighlight()
    {
        for (size_t i = 0; i < objects_.size(); ++i) {
            if (QXStr_IsObject(objects_[i]) == 0)
                continue;
            QXWtAttr_SetFlagQuiet(objects_[i], kFlagHighlight, 0);
            QXWtAttr_SetFlagQuiet(objects_[i], kFlagShown, wasShown_[i] != 0 ? kFlagShown : 0);
        }
    }
    PickHighlight(const PickHighlight&) = delete;
    PickHighlight& operator=(const PickHighlight&) = delete;

private:
    std::vector<ObjectHandle> objects_;
    std::vector<uint32_t> wasShown_;
};

// True when the object lies inside the other one's region tree (or is it).
bool WithinTree(ObjectHandle object, ObjectHandle root)
{
    for (ObjectHandle at = object; at != 0 && QXStr_IsObject(at) != 0; at = QXStr_GetObjectPage(at)) {
        if (at == root)
            return true;
        if (QXRdAttr_GetObjectType(at) == kQXKindPage)
            break;
    }
    return false;
}

}  // namespace

int16_t EE_CreateRegionCommand()
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return kMsgCmdPageEmpty;
    }
    ObjectHandle object = selection.front();
    if (QXRdAttr_IsGroupSelected() != 0) {
        const int16_t message = IsType(object, kQXKindRegion) ? kMsgCmdRegionGroups : kMsgGroupsNotBuilt;
        GE_MessageBox(message);
        return message;
    }
    if (IsType(object, kQXKindRegion)) {
        object = QXStr_GetBaseObject(object);
        QXStr_SetCurObject(object);
    }
    const uint16_t netKind = NetKindOf(object);
    if (!MayOwnInscriptions(netKind)) {
        GE_MessageBox(kMsgNoRegionOwner);
        return kMsgNoRegionOwner;
    }
    const int32_t kind = InscriptionKindFor(netKind);
    if (kind == 0)
        return 0;
    Hook_Set(kHookCommandEnd, EE_CreationEnded);
    EE_StartRegionCreation(object, kind);
    return 0;
}

int16_t EE_ConvertToNet()
{
    if (QXStr_GetCurPage() == 0) {
        GE_MessageBox(kMsgNoDiagram);
        return kMsgNoDiagram;
    }
    if (OnHierarchyPage()) {
        GE_MessageBox(kMsgHierarchyPage);
        return kMsgHierarchyPage;
    }
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return kMsgCmdPageEmpty;
    }
    EEFilterRecord record;
    uint32_t type = 0, net = 0, graphic = 0;
    if (EQ_MapSpec(static_cast<uint32_t>(selection.size()), selection.data(), EE_FilterConvert, &record, &type,
                   &net, &graphic) == 0)
        return record.refusal;
    switch (type) {
    case kQXKindConnector:
        for (ObjectHandle connector : selection) {
            if (IsType(connector, kQXKindConnector))
                ConvertConnector(connector);
        }
        break;
    case kQXKindNode: {
        EEConvertKind kind = EEConvertKind::Place;
        if (EE_AskConvertKind(&kind) == 0)
            return 0;
        // A mixed selection converts its objects of the first one's type.
        for (ObjectHandle node : selection) {
            if (IsType(node, kQXKindNode))
                ConvertNode(node, kind);
        }
        break;
    }
    case kQXKindRegion: ConvertRegions(selection, record); break;
    default: break;
    }
    return 0;
}

int16_t EE_MakeRegionCommand()
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return kMsgCmdPageEmpty;
    }
    EEFilterRecord record;
    uint32_t type = 0, net = 0, graphic = 0;
    if (EQ_MapSpec(static_cast<uint32_t>(selection.size()), selection.data(), EE_FilterAuxTextRegion, &record,
                   &type, &net, &graphic) == 0)
        return record.refusal;
    QXUI_SetStatusBarMessage("Select Object as parent.");
    ObjectHandle parent = 0;
    {
        const PickHighlight highlight(selection);
        parent = QXUI_PickObject(kPickAnyObject, 0);
    }
    QXUI_UpdateStatusBar();
    if (parent == 0 || QXStr_IsObject(parent) == 0)
        return 0;
    for (ObjectHandle object : selection) {
        // An object cannot become a region of itself or of its own region.
        if (QXStr_IsObject(object) != 0 && !WithinTree(parent, object))
            QXStr_MakeRegion(object, parent);
    }
    GE_SetSelectionType(kQXKindRegion);
    return 0;
}
