// Creating objects (connectors, lines, polygons, nodes, labels, pictures,
// pages), attaching nodes to pages, attribute changes of groups, layer
// order, page scale and numbers, and the start and close of a model.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "xkv/core/CoreInternal.h"
#include "xkv/default/Default.h"
#include "xkv/mem/Mem.h"
#include "xkv/mods/Strings.h"
#include "xkv/text/TextEdit.h"
#include "xkv/text/TextObject.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"
#include "xkv/window/Window.h"

using namespace core;

namespace {

struct CoreState {
    bool initialised = false;
    uint32_t defaultEndMode = 1;
};

CoreState gCore;

constexpr uint32_t kMessageUnnamed = 1;
constexpr Fixed kMaxPageScale = 0x40000;
constexpr Fixed kMinPageScale = 0x4000;

KernelStatus SetBoxFields(ObjectHandle node, const FixRect& box)
{
    FixPoint centre;
    Fixed width = 0;
    Fixed height = 0;
    Geom_RectCenterSize(box, &centre, &width, &height);
    Put(node, Field::kBox, box);
    Put(node, Field::kPosition, centre);
    Model_SetFieldValue(node, Field::kWidth, static_cast<uint32_t>(width));
    return Model_SetFieldValue(node, Field::kHeight, static_cast<uint32_t>(height));
}

void FirePageRenumbered(ObjectHandle page)
{
    Hook_Fire(kHookPageChanged, page);
    Window_SetTitle(page);
}

}  // namespace

KernelStatus Core_Initialize()
{
    KernelStatus status = Model_CreateTable(kInitialObjectSlots);
    if (status != kStatusOk) {
        return status;
    }
    gCore = CoreState{};
    gCore.initialised = true;
    ResetLastDisplacement();
    return kStatusOk;
}

KernelStatus Core_Shutdown()
{
    gCore.initialised = false;
    return Model_DestroyTable();
}

uintptr_t Core_NotifyModelChanged()
{
    if (!Hook_IsRegistered(kHookModelChanged)) {
        return 0;
    }
    return Hook_GetHandler(kHookModelChanged)(0, 0, 0, 0, 0, 0);
}

uint32_t Core_GetDefaultEndMode()
{
    return gCore.defaultEndMode;
}

void Core_SetDefaultEndMode(uint32_t mode)
{
    gCore.defaultEndMode = mode;
}

// ---- Connectors ----

KernelStatus Core_AddConnector(ObjectHandle page, ObjectHandle from, ObjectHandle to, PtArray path,
                               ObjectHandle* out, uint32_t link)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    uint32_t words[17];
    KernelStatus status = ReadPropertyWords(kPropConnector, words, 17);
    if (status != kStatusOk) {
        return status;
    }
    uint32_t value = words[14];
    if (!HookAllows(73, reinterpret_cast<uintptr_t>(&from), reinterpret_cast<uintptr_t>(&to),
                    reinterpret_cast<uintptr_t>(&value), path)) {
        return kStatusRefusedByHook;
    }
    if (!Model_IsObject(from) || !Model_IsObject(to)) {
        return kStatusBadArgument;
    }
    if (Model_IsBorderNode(Model_GetBaseObject(from)) && Model_IsBorderNode(Model_GetBaseObject(to))) {
        return kStatusBorderToBorder;
    }
    if (!HookAllows(9, from, to, value)) {
        return kStatusRefusedByHook;
    }
    ObjectHandle connector = Model_NewConnector(page);
    if (connector == 0) {
        return kStatusNoNode;
    }
    Model_SetFieldValue(connector, Field::kShapeKind, 9);
    Model_SetFieldValue(connector, Field::kConnector66, gCore.defaultEndMode);
    Model_SetConnectorEnds(connector, from, to);
    status = Core_SetConnectorPath(connector, path);
    if (status == kStatusOk) {
        RebuildRequest request;
        request.kind = kRebuildNew;
        status = Core_RebuildObject(connector, &request);
    }
    if (status == kStatusOk && link != 0) {
        Core_LinkConnectorToBorderNode(from, to, connector);
        Core_LinkConnectorToCoarseNode(from, to, connector);
        Core_LinkConnectorToCoarseNode(to, from, connector);
    }
    if (status != kStatusOk) {
        Core_DeleteObject(connector, kDeleteKeepLinks);
        return status;
    }
    *out = connector;
    Hook_Fire(67, connector);
    return kStatusOk;
}

// ---- Nodes ----

namespace {

KernelStatus AddPointNode(ObjectHandle page, PtArray points, uint32_t kind, KernelStatus copyFailure,
                          ObjectHandle* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    ObjectHandle node = Model_NewNode(page);
    if (node == 0) {
        return kStatusNoNode;
    }
    PtArray copy = PtArray_Duplicate(points);
    if (copy == 0) {
        Core_DeleteObject(node, kDeleteKeepLinks);
        return copyFailure;
    }
    Model_SetFieldValue(node, Field::kShapeKind, kind);
    Model_SetShapeBit(node, kind);
    KernelStatus status = Core_SetShapePoints(node, copy, 1);
    if (status != kStatusOk) {
        Core_DeleteObject(node, kDeleteKeepLinks);
        return status;
    }
    *out = node;
    return kStatusOk;
}

}  // namespace

KernelStatus Core_AddLine(ObjectHandle page, PtArray points, ObjectHandle* out)
{
    return AddPointNode(page, points, 13, kStatusBadGroup, out);
}

KernelStatus Core_AddPolygon(ObjectHandle page, PtArray points, ObjectHandle* out)
{
    return AddPointNode(page, points, 5, kStatusNoNode, out);
}

KernelStatus Core_AddNode(ObjectHandle page, FixRect box, uint32_t kind, uint32_t, ObjectHandle* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    ObjectHandle node = Model_NewNode(page);
    if (node == 0) {
        return kStatusNoNode;
    }
    SetBoxFields(node, box);
    Model_SetFieldValue(node, Field::kShapeKind, kind);
    Model_SetShapeBit(node, kind);
    KernelStatus status = kStatusOk;
    if (kind == 7) {
        uint32_t words[11];
        status = ReadPropertyWords(kPropNode, words, 11);
        if (status == kStatusOk && static_cast<int32_t>(words[10]) >= 1) {
            Model_SetFieldValue(node, Field::kRoundedness, words[10]);
        }
    } else if (kind == 8) {
        uint32_t words[10];
        status = ReadPropertyWords(kPropWedge, words, 10);
        if (status == kStatusOk) {
            Model_SetFieldValue(node, Field::kWedgeStart, words[8]);
            Model_SetFieldValue(node, Field::kWedgeEnd, words[9]);
        }
    }
    Core_RedrawObject(node);
    Hook_Fire(68, node);
    *out = node;
    return status;
}

KernelStatus Core_AddLabel(ObjectHandle page, FixPoint at, ObjectHandle* out, uint8_t edit)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    ObjectHandle label = 0;
    KernelStatus status = Core_AddNode(page, FixRect{at.x, at.y, at.x, at.y}, 12, 0, &label);
    if (label == 0) {
        *out = 0;
        return status;
    }
    Model_SetFieldValue(label, Field::kLineStyle, 7);
    Model_SetFlags(label, kFlagSizeFollowsText, 1);
    // A label made for typing becomes the text editor's label being written;
    // any other keeps a text record of its own.
    MemHandle text = 0;
    if (edit != 0) {
        text = Text_CreateLabel(label, at);
    } else {
        text = Text_ForLabel(label, at);
        Text_ReleaseLabel();
    }
    if (text == 0) {
        Core_DeleteObject(label, 6);
        *out = 0;
        return kStatusOutOfMemory;
    }
    Model_SetFieldValue(label, Field::kText, text);
    *out = label;
    if (edit != 0) {
        Text_StartEdit(label);
    }
    return status;
}

KernelStatus Core_AddPicture(ObjectHandle page, FixRect box, uint32_t kind, MemHandle picture, ObjectHandle* out)
{
    KernelStatus status = Core_AddNode(page, box, kind, 0, out);
    if (out != nullptr && *out != 0) {
        Model_SetShapeData(*out, picture);
    }
    return status;
}

KernelStatus Core_AddPage(ObjectHandle* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    ObjectHandle page = Model_NewPage();
    if (page == 0) {
        return kStatusNoNode;
    }
    Model_SetFieldValue(page, Field::kShapeKind, 1);
    Model_SetFieldValue(page, Field::kScaleX, kFixedOne);
    Model_SetFieldValue(page, Field::kScaleY, kFixedOne);
    Core_RecomputeBox(page, 0);
    uint32_t number = 1;
    while (Model_PageNumberUsed(number, page) && number < UINT32_MAX) {
        ++number;
    }
    Model_SetFieldValue(page, Field::kPageNumber, number);
    char name[64] = {};
    String_GetText(kMessageUnnamed, name, sizeof(name));
    MemHandle nameHandle = 0;
    KernelStatus status = Mem_AllocCopy(&nameHandle, name, std::strlen(name) + 1);
    if (status == kStatusOk) {
        MemHandle old = Model_GetFieldValue(page, Field::kPageName);
        Model_SetFieldValue(page, Field::kPageName, nameHandle);
        if (old != 0) {
            Mem_Free(old);
        }
    }
    Hook_Fire(68, page);
    Core_NotifyModelChanged();
    *out = page;
    return status;
}

KernelStatus Core_SetNodeBox(ObjectHandle node, FixRect box, uint32_t rebuild)
{
    if (!Model_IsObject(node)) {
        return kStatusBadObjectHandle;
    }
    KernelStatus status = SetBoxFields(node, box);
    if (status == kStatusOk && rebuild != 0) {
        RebuildResized(node, box);
    }
    return status;
}

KernelStatus Core_SetShapePoints(ObjectHandle object, PtArray points, uint32_t redraw)
{
    if (!Model_IsObject(object)) {
        return kStatusBadObjectHandle;
    }
    KernelStatus status = Model_SetShapeData(object, points);
    if (status == kStatusOk) {
        status = Core_RecomputeBox(object, 1);
    }
    if (status == kStatusOk) {
        SetBoxFields(object, Box(object));
        if (redraw != 0) {
            Core_RedrawObject(object);
        }
    }
    return status;
}

// ---- Attached nodes ----

KernelStatus Core_AttachNode(ObjectHandle node, ObjectHandle page)
{
    if (!Model_IsNode(node)) {
        return kStatusBadArgument;
    }
    if (Model_IsCoarseNode(node) || Model_IsAttachedNode(node)) {
        return 4;
    }
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    if (!HookAllows(3, node, page, 0, 0)) {
        return kStatusRefusedByHook;
    }
    Model_SetFieldValue(node, Field::kAttachedTo, page);
    Model_SetFlags(node, kFlagAttached, 1);
    Core_NotifyModelChanged();
    return kStatusOk;
}

KernelStatus Core_DetachNode(ObjectHandle node)
{
    if (!Model_IsAttachedNode(node)) {
        return kStatusBadArgument;
    }
    if (!Model_IsPage(Model_GetFieldValue(node, Field::kAttachedTo))) {
        return kStatusNotAPage;
    }
    Model_SetFieldValue(node, Field::kAttachedTo, 0);
    Model_SetFlags(node, kFlagAttached, 0);
    Core_NotifyModelChanged();
    return kStatusOk;
}

KernelStatus Core_DetachNodesFromPage(ObjectHandle page, uint32_t includeOwnPage)
{
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    std::vector<ObjectHandle> attached;
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle p = Model_GetFirstPage(); p != 0 && guard-- > 0; p = Model_GetNextSibling(p)) {
        if (p == page && includeOwnPage == 0) {
            continue;
        }
        for (ObjectHandle n = Model_GetFirstNode(p); n != 0 && guard-- > 0; n = Model_GetNextSibling(n)) {
            if (Model_IsAttachedNode(n) && Model_GetFieldValue(n, Field::kAttachedTo) == page) {
                attached.push_back(n);
            }
        }
    }
    for (ObjectHandle node : attached) {
        Core_DetachNode(node);
    }
    return kStatusOk;
}

// ---- Attributes ----

namespace {

bool TakesAttributes(ObjectHandle object)
{
    return Model_IsObject(object) && !Model_HasFlags(object, kFlagNoAttributes);
}

}  // namespace

KernelStatus Core_SetLineAttributesOfGroup(GroupNumber group, const void* record)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        if (!TakesAttributes(member)) {
            continue;
        }
        Core_DrawObjectNow(member);
        Default_Set(member, kDefaultLevelObject, kPropGraphics, record);
        Text_FitToObject(member);
        Core_DrawObjectNow(member);
    }
    return kStatusOk;
}

KernelStatus Core_SetConnectorAttributesOfGroup(GroupNumber group, const void* record)
{
    ScopedSets sets(kSetInner);
    KernelStatus status = Core_ClassifyConnectors(group, sets.get());
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    if (status != kStatusOk) {
        return status;
    }
    for (ObjectHandle connector : Members(sets->inner)) {
        if (!TakesAttributes(connector) || !HookAllows(7, connector, reinterpret_cast<uintptr_t>(record))) {
            continue;
        }
        Core_RedrawObject(connector);
        Default_Set(connector, kDefaultLevelObject, kPropConnector, record);
        Text_FitToObject(connector);
        RebuildRequest request;
        request.kind = kRebuildAttributes;
        Core_RebuildObject(connector, &request);
    }
    return kStatusOk;
}

KernelStatus Core_SetTextStyle(ObjectHandle object, const void* record)
{
    if (!TakesAttributes(object)) {
        return kStatusOk;
    }
    MemHandle text = 0;
    KernelStatus status = Text_Get(object, &text, 1);
    if (status != kStatusOk) {
        return status;
    }
    status = Default_Set(object, kDefaultLevelObject, kPropText, record);
    Text_RelayoutObject(object);
    return status;
}

KernelStatus Core_SetTextStyleOfGroup(GroupNumber group, const void* record)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        Core_SetTextStyle(member, record);
    }
    return kStatusOk;
}

KernelStatus Core_SetArcAngles(ObjectHandle wedge, const void* record)
{
    if (!Model_IsObject(wedge) || record == nullptr) {
        return kStatusBadArgument;
    }
    uint32_t words[10];
    std::memcpy(words, record, sizeof(words));
    Core_RedrawObject(wedge);
    Model_SetFieldValue(wedge, Field::kWedgeStart, words[8]);
    Model_SetFieldValue(wedge, Field::kWedgeEnd, words[9]);
    return Core_RedrawObject(wedge);
}

KernelStatus Core_SetPageAttributes(ObjectHandle page, const void* record)
{
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    if (!TakesAttributes(page) || record == nullptr) {
        return kStatusOk;
    }
    const auto* bytes = static_cast<const uint8_t*>(record);
    bool sizeChanges = bytes[4] != 0 || bytes[5] != 0 || bytes[6] != 0;
    if (sizeChanges) {
        Core_DrawObjectNow(page);
    }
    KernelStatus status = Default_Set(page, kDefaultLevelObject, kPropPage, record);
    if (sizeChanges) {
        Core_DrawObjectNow(page);
    }
    return status;
}

// ---- Layer order and visibility ----

KernelStatus Core_SetLayerOrder(ObjectHandle object, ObjectHandle above)
{
    if (!Model_IsObject(object)) {
        return kStatusInvalidObject;
    }
    if (object == above) {
        return kStatusOk;
    }
    ObjectHandle parent = Model_GetParent(object);
    if (above != 0) {
        if (!Model_IsObject(above)) {
            return kStatusInvalidObject;
        }
        if (Model_GetParent(above) != parent) {
            return kStatusDifferentParents;
        }
    }
    KernelStatus status = Model_InsertChild(object, parent, above);
    if (status == kStatusOk) {
        Core_RedrawObject(object);
    }
    return status;
}

KernelStatus Core_SetLayerOrderOfGroup(GroupNumber group, ObjectHandle above)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        Core_SetLayerOrder(member, above);
    }
    return kStatusOk;
}

KernelStatus Core_SetHiddenFlags(ObjectHandle object, uint32_t show)
{
    return Model_SetFlags(object, kInvisibleFlags, show == 0 ? 1 : 0);
}

KernelStatus Core_SetHiddenFlagsOfGroup(GroupNumber group, uint32_t show)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        Core_SetHiddenFlags(member, show);
    }
    return kStatusOk;
}

KernelStatus Core_TextCoarsen(ObjectHandle object, ObjectHandle target)
{
    return Text_Coarsen(object, target);
}

KernelStatus Core_TextRefine(ObjectHandle object)
{
    return Text_Refine(object);
}

// ---- Pages ----

KernelStatus Core_SetPageScale(ObjectHandle page, Fixed factor)
{
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    Fixed old = static_cast<Fixed>(Model_GetFieldValue(page, Field::kScaleX));
    Fixed scale = Fix_Mul(old, factor);
    if (scale < 0 || scale > kMaxPageScale) {
        scale = kMaxPageScale;
    } else if (scale < kMinPageScale) {
        scale = kMinPageScale;
    }
    if (scale == old) {
        return kStatusOk;
    }
    return Core_StorePageScale(page, scale, factor);
}

KernelStatus Core_StorePageScale(ObjectHandle page, Fixed scale, Fixed factor)
{
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    Model_SetFieldValue(page, Field::kScaleX, static_cast<uint32_t>(scale));
    Model_SetFieldValue(page, Field::kScaleY, static_cast<uint32_t>(scale));
    return Window_FitVirtualArea(page, factor, factor);
}

KernelStatus Core_RenumberPage(ObjectHandle page, uint32_t number)
{
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    struct Numbered {
        ObjectHandle page;
        uint32_t number;
    };
    std::vector<Numbered> pages;
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle p = Model_GetFirstPage(); p != 0 && guard-- > 0; p = Model_GetNextSibling(p)) {
        pages.push_back({p, Model_GetFieldValue(p, Field::kPageNumber)});
    }
    std::stable_sort(pages.begin(), pages.end(),
                     [](const Numbered& a, const Numbered& b) { return a.number < b.number; });
    bool shifting = false;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (!shifting) {
            if (pages[i].number != number) {
                continue;
            }
            if (pages[i].page == page) {
                break;
            }
            shifting = true;
        }
        if (pages[i].page != page) {
            Model_SetFieldValue(pages[i].page, Field::kPageNumber, pages[i].number + 1);
            FirePageRenumbered(pages[i].page);
        }
        if (i + 1 < pages.size() && uint64_t{pages[i + 1].number} > uint64_t{pages[i].number} + 1) {
            break;
        }
    }
    KernelStatus status = Model_SetFieldValue(page, Field::kPageNumber, number);
    FirePageRenumbered(page);
    return status;
}

KernelStatus Core_SetPageNumber(ObjectHandle page, uint32_t number)
{
    return Core_RenumberPage(page, number);
}

// ---- Models ----

KernelStatus Core_CloseModel()
{
    ObjectHandle root = Model_GetRoot();
    if (root != 0) {
        uint32_t guard = Model_SlotCount();
        for (ObjectHandle p = Model_GetFirstPage(); p != 0 && guard-- > 0; p = Model_GetNextSibling(p)) {
            Core_ClosePage(p, 0);
        }
        Core_DeleteObject(root, kDeleteCloseModel);
    }
    DropBucket();
    Model_SetRoot(0);
    Model_SetModified(0);
    return kStatusOk;
}

KernelStatus Core_NewModel(ObjectHandle* firstPage)
{
    if (firstPage == nullptr) {
        return kStatusNullHandle;
    }
    *firstPage = 0;
    if (Model_HasDiagram()) {
        Core_CloseModel();
        Hook_Fire(kHookModelClosed);
    }
    KernelStatus status = Model_NewDiagram();
    if (status != kStatusOk) {
        return status;
    }
    return Core_AddPage(firstPage);
}
