// The objects of the hierarchy page: the page itself, its page nodes, the
// relation arcs and their labels, their marks in user data (big-endian
// words), their creation and look-up, and the line styles of page nodes.
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/PageStructure/HierarchyInternal.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kvud/UserData.h"

namespace {

constexpr int32_t kWatchCursor = 17;
constexpr int32_t kAlignLeftToLeft = 903;
constexpr int32_t kAlignRightToLeft = 905;
constexpr int32_t kAlignTopToBottom = 908;
// A chain of super pages longer than this is taken as a loop.
constexpr int kMaxChain = 1000;








int WriteField(ObjectHandle object, const void* bytes, uint32_t length)
{
    if (UD_SetField(object, kTagHierarchy, bytes, length) == 0) {
        EE_ReportError(kMsgUnknownObject);
        return 0;
    }
    return 1;
}

int SetFlag(ObjectHandle object)
{
    return WriteField(object, nullptr, 0);
}

// The object that a label stands for, 0 when it is no label.
ObjectHandle LabelObject(ObjectHandle region)
{
    uint32_t length = 0;
    if (!PGIsHierarchyObject(region, &length) || length != 4) {
        return 0;
    }
    std::array<uint8_t, 4> bytes{};
    UD_GetField(region, kTagHierarchy, bytes.data());
    return pg::Get32(bytes.data());
}

int SetLabelObject(ObjectHandle region, ObjectHandle object)
{
    std::array<uint8_t, 4> bytes{};
    pg::Put32(bytes.data(), object);
    return WriteField(region, bytes.data(), 4);
}

std::vector<ObjectHandle> LabelsOf(ObjectHandle arc)
{
    std::vector<ObjectHandle> labels;
    for (ObjectHandle region : pg::RegionsOf(arc)) {
        if (LabelObject(region) != 0) {
            labels.push_back(region);
        }
    }
    return labels;
}

// The name of the net record of an object, "" when it has none.
std::string NetName(ObjectHandle object)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(object, &record) == 0 || record == nullptr) {
        return {};
    }
    const char* name = SEGetName(record);
    return name != nullptr ? name : "";
}

int SetLabelText(ObjectHandle label, ObjectHandle object)
{
    const std::string name = NetName(object);
    return !name.empty() && QXText_SetText(label, name.c_str()) != 0 ? 1 : 0;
}

uint32_t LineStyleOf(uint32_t state)
{
    switch (state) {
    case kPGPageCurrent: return 0;
    case kPGPageOpen: return 4;
    default: return 3;
    }
}

// The node's text becomes the page's reference name.
int SetNodeTextOf(ObjectHandle node, ObjectHandle page)
{
    char name[88] = {};
    if (node == 0 || GE_ObjectRefName(page, name) == 0) {
        return 0;
    }
    name[sizeof name - 1] = '\0';
    return QXText_SetText(node, name) != 0 ? 1 : 0;
}

// Creates a page node for the page on the given hierarchy page.
int CreatePageNodeOn(ObjectHandle hierarchyPage, ObjectHandle page)
{
    pg::Quiet quiet;
    std::array<uint32_t, kDefAttributeWords> shape{};
    DefGetShape(kPGKeyPageNode, shape.data(), kDefLevelDiagram);
    const ObjectHandle node = GM_CreateOne(hierarchyPage, 0, 0, shape.data());
    if (node == 0) {
        return 0;
    }
    GE_ApplyDefaultAttributes(kPGKeyPageNode, node);
    if (!SetFlag(node) || QXWtAttr_SetSubPage(node, page) == 0) {
        QXStr_DeleteObject(node);
        return 0;
    }
    QXWtAttr_SetRefineState(node, 1);
    if (!SetNodeTextOf(node, page)) {
        QXWtAttr_SetSubPage(node, 0);
        QXStr_DeleteObject(node);
        return 0;
    }
    QXWtAttr_SetLineStyle(node, LineStyleOf(PGPageState(page)));
    return 1;
}

}  // namespace

// ---- look-ups ----

int PGIsHierarchyObject(ObjectHandle object, uint32_t* length)
{
    uint32_t size = 0;
    if (object == 0 || QXStr_IsObject(object) == 0 || UD_GetFieldSize(object, kTagHierarchy, &size) == 0) {
        return 0;
    }
    if (length != nullptr) {
        *length = size;
    }
    return 1;
}

ObjectHandle PGFindHierarchyPage()
{
    ObjectHandle found = 0;
    for (ObjectHandle page : pg::AllPages()) {
        if (PGIsHierarchyObject(page, nullptr)) {
            found = page;
            break;
        }
    }
    // Climb to the top of the chain of super pages; a loop ends the climb.
    for (int step = 0; found != 0 && step < kMaxChain; ++step) {
        const ObjectHandle super = QXRdAttr_GetSuperNode(found);
        const ObjectHandle above = super != 0 ? QXStr_GetObjectPage(super) : 0;
        if (above == 0 || above == found) {
            break;
        }
        found = above;
    }
    return found;
}

ObjectHandle PGGetHierarchyPage()
{
    if (const ObjectHandle page = PGFindHierarchyPage(); page != 0) {
        return page;
    }
    const int32_t cursor = QXUI_SetCursor(kWatchCursor);
    const ObjectHandle page = PGCreateHierarchyPage(0);
    QXUI_SetCursor(cursor);
    return page;
}

ObjectHandle PGFindPageNode(ObjectHandle page)
{
    const ObjectHandle hierarchyPage = PGFindHierarchyPage();
    if (page == 0 || hierarchyPage == 0) {
        return 0;
    }
    for (ObjectHandle node : pg::NodesOf(hierarchyPage)) {
        if (PGIsHierarchyObject(node, nullptr) && QXRdAttr_GetSubPage(node) == page) {
            return node;
        }
    }
    return 0;
}

ObjectHandle PGNodePage(ObjectHandle object)
{
    if (!PGIsHierarchyObject(object, nullptr) || QXRdAttr_GetObjectType(object) != kQXKindNode) {
        return 0;
    }
    return QXRdAttr_GetSubPage(object);
}

ObjectHandle PGNodeHierarchyPage(ObjectHandle node)
{
    const ObjectHandle page = PGNodePage(node);
    return page != 0 && PGIsHierarchyObject(page, nullptr) ? page : 0;
}

int PGReadArcData(ObjectHandle arc, PGArcData* data)
{
    uint32_t length = 0;
    if (QXRdAttr_GetObjectType(arc) != kQXKindConnector || !PGIsHierarchyObject(arc, &length) || length != 12) {
        return 0;
    }
    std::array<uint8_t, 12> bytes{};
    UD_GetField(arc, kTagHierarchy, bytes.data());
    data->kind = static_cast<uint16_t>(pg::Get32(bytes.data()));
    data->count = static_cast<int16_t>(pg::Get32(bytes.data() + 4));
    data->firstLabel = pg::Get32(bytes.data() + 8);
    return 1;
}

int PGWriteArcData(ObjectHandle arc, const PGArcData& data)
{
    std::array<uint8_t, 12> bytes{};
    pg::Put32(bytes.data(), data.kind);
    pg::Put32(bytes.data() + 4, static_cast<uint32_t>(static_cast<int32_t>(data.count)));
    pg::Put32(bytes.data() + 8, data.firstLabel);
    return WriteField(arc, bytes.data(), 12);
}

uint16_t PGArcKind(ObjectHandle object)
{
    PGArcData data;
    return PGReadArcData(object, &data) ? data.kind : 0;
}

std::vector<ObjectHandle> PGObjectList(ObjectHandle object, uint32_t what)
{
    if (object != 0 && !PGIsHierarchyObject(object, nullptr)) {
        return {};
    }
    std::vector<ObjectHandle> all;
    switch (what) {
    case 2: all = pg::AllPages(); break;
    case 4: all = pg::NodesOf(object); break;
    case 8: all = pg::ConnectorsOf(object); break;
    case 16: all = pg::RegionsOf(object); break;
    default: break;
    }
    std::vector<ObjectHandle> kept;
    for (ObjectHandle each : all) {
        if (PGIsHierarchyObject(each, nullptr)) {
            kept.push_back(each);
        }
    }
    return kept;
}

uint32_t PGObjectClass(ObjectHandle object)
{
    auto map = [](int32_t kind) -> uint32_t {
        switch (kind) {
        case 1: return 1;
        case 2: return 2;
        case 3: return 3;
        case 6: return 7;
        case 7: return 8;
        case kPGSubstitutionLabel: return 4;
        case kPGInvocationLabel: return 5;
        default: return 0;
        }
    };
    switch (QXRdAttr_GetObjectType(object)) {
    case kQXKindPage: {
        if (PGIsHierarchyObject(object, nullptr)) {
            return 1;
        }
        SEHead* record = nullptr;
        return GE_GetSERecord(object, &record) != 0 && record != nullptr ? map(SEGetSubKind(record)) : 0;
    }
    case kQXKindConnector: return PGArcKind(object);
    case kQXKindRegion: {
        uint32_t kind = 0;
        return QXRdAttr_GetRegionKind(object, &kind) != 0 ? map(static_cast<int32_t>(kind)) : 0;
    }
    default: return 0;
    }
}

// ---- creation ----

ObjectHandle PGNewHierarchyPage(ObjectHandle existing)
{
    const ObjectHandle page = GE_NewPage(0);
    if (page == 0) {
        return 0;
    }
    if (!SetFlag(page)) {
        QXStr_RemovePage(page, 0);
        return 0;
    }
    std::string name = "Hierarchy";
    uint16_t number = kPGHierarchyNumber;
    char oldName[256] = {};
    uint16_t oldNumber = 0;
    if (existing != 0 && QXRdAttr_GetPageAttr(existing, oldName, &oldNumber, nullptr, nullptr, nullptr) != 0) {
        number = static_cast<uint16_t>(oldNumber + 1);
        name = std::string(oldName) + " " + std::to_string(number);
    }
    // Width and height 0 keep the page's size; the border flag is kept as read.
    uint32_t border = 0;
    QXRdAttr_GetPageAttr(page, nullptr, nullptr, nullptr, nullptr, &border);
    QXWtAttr_SetPageAttr(page, name.c_str(), number, 0, 0, border);
    return page;
}

int PGCreatePageNodes(ObjectHandle hierarchyPage)
{
    for (ObjectHandle page : pg::AllPages()) {
        if (!CreatePageNodeOn(hierarchyPage, page)) {
            return 0;
        }
    }
    return 1;
}

ObjectHandle PGCreateHierarchyPage(ObjectHandle existing)
{
    if (existing == 0) {
        if (const ObjectHandle found = PGFindHierarchyPage(); found != 0) {
            return found;
        }
    }
    pg::Quiet quiet;
    const ObjectHandle page = PGNewHierarchyPage(existing);
    if (page == 0) {
        return 0;
    }
    if (!PGCreatePageNodes(page)) {
        QXStr_RemovePage(page, 0);
        return 0;
    }
    PGRebuildRelations(page);
    return page;
}

int PGCreatePageNode(ObjectHandle page)
{
    const ObjectHandle hierarchyPage = PGFindHierarchyPage();
    return hierarchyPage != 0 && CreatePageNodeOn(hierarchyPage, page);
}

int PGSetNodeText(ObjectHandle page)
{
    return SetNodeTextOf(PGFindPageNode(page), page);
}

ObjectHandle PGCreateArc(ObjectHandle superPage, ObjectHandle subPage, const PGArcData& data)
{
    const ObjectHandle hierarchyPage = PGFindHierarchyPage();
    const ObjectHandle from = PGFindPageNode(superPage);
    const ObjectHandle to = PGFindPageNode(subPage);
    if (hierarchyPage == 0 || from == 0 || to == 0) {
        return 0;
    }
    const int32_t key = data.kind == kPGSubstitutionArc ? kPGKeySubstitutionArc : kPGKeyInvocationArc;
    const ObjectHandle arc = GE_CreateConnectorByKey(hierarchyPage, from, to, key);
    if (arc == 0) {
        return 0;
    }
    if (!PGWriteArcData(arc, data)) {
        QXStr_DeleteObject(arc);
        return 0;
    }
    return arc;
}

// ---- arcs and labels ----

ObjectHandle PGFindArc(ObjectHandle superNode, ObjectHandle subNode, uint16_t kind)
{
    if (superNode == 0 || subNode == 0) {
        return 0;
    }
    for (ObjectHandle connector : pg::ConnectorsOf(superNode)) {
        ObjectHandle start = 0;
        ObjectHandle end = 0;
        QXRdAttr_GetConnEnds(connector, 0, &start, &end);
        if (start == superNode && end == subNode && PGArcKind(connector) == kind) {
            return connector;
        }
    }
    return 0;
}

ObjectHandle PGFindLabel(ObjectHandle arc, ObjectHandle object)
{
    for (ObjectHandle label : LabelsOf(arc)) {
        if (LabelObject(label) == object) {
            return label;
        }
    }
    return 0;
}

ObjectHandle PGLabelObject(ObjectHandle label)
{
    return LabelObject(label);
}

ObjectHandle PGFirstLabel(ObjectHandle arc)
{
    PGArcData data;
    return PGReadArcData(arc, &data) ? data.firstLabel : 0;
}

ObjectHandle PGAddArcFor(ObjectHandle object, ObjectHandle subPage, uint16_t kind)
{
    const ObjectHandle superPage = QXStr_GetObjectPage(object);
    ObjectHandle arc = PGFindArc(PGFindPageNode(superPage), PGFindPageNode(subPage), kind);
    if (arc != 0) {
        if (const ObjectHandle label = PGFindLabel(arc, object); label != 0) {
            SetLabelText(label, object);
            return label;
        }
        PGArcData data;
        PGReadArcData(arc, &data);
        ++data.count;
        if (!PGWriteArcData(arc, data)) {
            return 0;
        }
    } else {
        arc = PGCreateArc(superPage, subPage, PGArcData{kind, 1, 0});
        if (arc == 0) {
            return 0;
        }
    }
    return PGAddLabel(arc, object);
}

ObjectHandle PGAddLabel(ObjectHandle arc, ObjectHandle object)
{
    if (const ObjectHandle label = PGFindLabel(arc, object); label != 0) {
        return label;
    }
    PGArcData data;
    if (!PGReadArcData(arc, &data)) {
        return 0;
    }
    const int32_t kind = data.kind == kPGSubstitutionArc ? kPGSubstitutionLabel : kPGInvocationLabel;
    const ObjectHandle label = GE_MakeRegion(arc, kind);
    if (label == 0) {
        return 0;
    }
    if (!SetLabelText(label, object) || !SetLabelObject(label, object)) {
        QXStr_DeleteObject(label);
        return 0;
    }
    if (data.firstLabel == 0 || !QXStr_IsObject(data.firstLabel)) {
        data.firstLabel = label;
        PGWriteArcData(arc, data);
    }
    PGPlaceLabel(arc, label);
    return label;
}

int PGRemoveLabel(ObjectHandle arc, ObjectHandle object)
{
    PGArcData data;
    if (!PGReadArcData(arc, &data)) {
        return 0;
    }
    const ObjectHandle label = PGFindLabel(arc, object);
    if (label != 0) {
        QXStr_DeleteObject(label);
    } else if (data.count <= static_cast<int16_t>(LabelsOf(arc).size())) {
        // Every count has its label: the object was never counted here.
        return 0;
    }
    // Without a label the object was counted for a label that could not be
    // made (it had no name); its count is undone all the same.
    if (--data.count <= 0) {
        QXStr_DeleteObject(arc);
        return 1;
    }
    const std::vector<ObjectHandle> rest = LabelsOf(arc);
    data.firstLabel = rest.empty() ? 0 : rest.front();
    PGWriteArcData(arc, data);
    return 0;
}

void PGPlaceLabel(ObjectHandle arc, ObjectHandle label)
{
    const ObjectHandle first = PGFirstLabel(arc);
    if (label == first || first == 0) {
        ObjectHandle start = 0;
        ObjectHandle end = 0;
        QXRdAttr_GetConnEnds(arc, 0, &start, &end);
        QXUI_Align(label, kAlignTopToBottom, end, 0);
        QXUI_Align(label, kAlignRightToLeft, end, 0);
        return;
    }
    const std::vector<ObjectHandle> regions = pg::RegionsOf(arc);
    ObjectHandle before = label;
    for (size_t i = 1; i < regions.size(); ++i) {
        if (regions[i] == label) {
            before = regions[i - 1];
        }
    }
    QXUI_Align(label, kAlignLeftToLeft, before, 0);
    QXUI_Align(label, kAlignTopToBottom, before, 0);
}

void PGPlaceAllLabels(ObjectHandle hierarchyPage)
{
    for (ObjectHandle node : PGObjectList(hierarchyPage, 4)) {
        for (ObjectHandle arc : pg::ConnectorsOf(node)) {
            ObjectHandle start = 0;
            QXRdAttr_GetConnEnds(arc, 0, &start, nullptr);
            if (start != node || PGArcKind(arc) == 0) {
                continue;  // each arc once, from its start node
            }
            for (ObjectHandle label : LabelsOf(arc)) {
                PGPlaceLabel(arc, label);
            }
        }
    }
}

// ---- page states ----

uint32_t PGPageState(ObjectHandle page)
{
    if (page != 0 && page == QXStr_GetCurPage()) {
        return kPGPageCurrent;
    }
    uint32_t open = 0;
    return QXStr_IsPageOpen(page, &open) != 0 && open != 0 ? kPGPageOpen : kPGPageClosed;
}

void PGSetNodeStyle(ObjectHandle page, uint32_t state)
{
    if (const ObjectHandle node = PGFindPageNode(page); node != 0) {
        QXWtAttr_SetLineStyle(node, LineStyleOf(state));
    }
}

void PGMarkCurrentPage(ObjectHandle page)
{
    const ObjectHandle current = QXStr_GetCurPage();
    if (current != 0 && current != page) {
        uint32_t open = 0;
        QXStr_IsPageOpen(current, &open);
        PGSetNodeStyle(current, open != 0 ? kPGPageOpen : kPGPageClosed);
    }
    if (page != 0 && QXStr_IsObject(page)) {
        PGSetNodeStyle(page, kPGPageCurrent);
    }
}

int PGIsPlainHierarchyObject(ObjectHandle object, uint32_t* out)
{
    if (out != nullptr) {
        *out = 0;
    }
    return PGIsHierarchyObject(object, nullptr) && PGNodeHierarchyPage(object) == 0 ? 1 : 0;
}

void PGMapLoadedHandles(ObjectHandle hierarchyPage, MemHandle map)
{
    if (hierarchyPage == 0 || map == 0)
        return;
    const auto mapped = [map](ObjectHandle old) { return old != 0 ? QXStr_MapHandle(map, old) : 0; };
    for (ObjectHandle node : pg::NodesOf(hierarchyPage)) {
        if (PGNodePage(node) == 0)
            continue;
        PGTreeLink link;
        if (PGTreeRead(node, &link) != 0) {
            link.parent = mapped(link.parent);
            link.next = mapped(link.next);
            link.firstChild = mapped(link.firstChild);
            PGTreeWrite(node, link);
        }
        for (ObjectHandle arc : pg::ConnectorsOf(node)) {
            ObjectHandle start = 0, end = 0;
            PGArcData data;
            if (QXRdAttr_GetConnEnds(arc, 0, &start, &end) == 0 || start != node || PGReadArcData(arc, &data) == 0)
                continue;
            if (data.firstLabel != 0) {
                data.firstLabel = mapped(data.firstLabel);
                PGWriteArcData(arc, data);
            }
            for (ObjectHandle region : pg::RegionsOf(arc)) {
                const ObjectHandle object = LabelObject(region);
                if (object != 0)
                    SetLabelObject(region, mapped(object));
            }
        }
    }
}
