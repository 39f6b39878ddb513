// Graph nodes and arcs on the diagram. What makes a kernel object part of the
// drawn occurrence graph is one user-data field, its graph number: nodes
// carry their node number, connectors their arc number, descriptor regions
// 0. The evaluator's library draws plain objects and tags them here through
// rows 52 to 55 of the function table.
#include "atolq/OGA/OGAUtils.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/OGA/OGARequests.h"
#include "atolq/SML/SMLTable.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kvud/UserData.h"

namespace {

constexpr int16_t kMsgUserDataWriteFailed = 16389;

std::vector<ObjectHandle> takeList(uint16_t count, ObjectHandle* array)
{
    std::vector<ObjectHandle> out;
    if (array != nullptr) {
        out.assign(array, array + count);
        QXMem_Free(array);
    }
    return out;
}

template <class Get> std::vector<ObjectHandle> listOf(Get get, ObjectHandle object)
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    get(object, &count, &array);
    return takeList(count, array);
}

std::vector<ObjectHandle> pages()
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    QXStr_GetPageList(&count, &array);
    return takeList(count, array);
}

std::vector<ObjectHandle> nodesOf(ObjectHandle page) { return listOf(QXStr_GetNodeList, page); }
std::vector<ObjectHandle> connectorsOfPage(ObjectHandle page) { return listOf(QXStr_GetPageConnList, page); }
std::vector<ObjectHandle> connectorsOf(ObjectHandle node) { return listOf(QXStr_GetObjectConnList, node); }
std::vector<ObjectHandle> regionsOf(ObjectHandle object) { return listOf(QXStr_GetRegionList, object); }

bool isType(ObjectHandle object, uint32_t type) { return QXRdAttr_GetObjectType(object) == type; }

bool hasNetRecord(ObjectHandle object)
{
    uint16_t kind = 0, subKind = 0;
    SEHead* record = nullptr;
    EE_GetObjectKind(object, &kind, &subKind, &record);
    return kind != 0;
}

void clearWithRegions(ObjectHandle object)
{
    OGAClearNumber(object);
    for (ObjectHandle region : regionsOf(object))
        OGAClearNumber(region);
}

// The first object of the list of the given type carrying the number.
int findIn(const std::vector<ObjectHandle>& objects, uint32_t type, uint32_t number, ObjectHandle* found)
{
    for (ObjectHandle o : objects) {
        uint32_t n = 0;
        if (isType(o, type) && OGAGetNumber(o, &n) && n == number) {
            *found = o;
            return 1;
        }
    }
    return 0;
}

std::vector<ObjectHandle> selection()
{
    uint16_t count = 0;
    uint32_t* objects = nullptr;
    GE_GetSelection(&count, &objects);
    return takeList(count, objects);
}

int selectionOf(uint32_t type, std::vector<ObjectHandle>* out)
{
    *out = selection();
    return std::all_of(out->begin(), out->end(),
                       [type](ObjectHandle o) { return OGAHasOccGraph(o) && isType(o, type); })
               ? 1
               : 0;
}

// Gives a descriptor the library made its graph number 0 and redraws it.
void adoptDescriptor(long handle)
{
    auto region = static_cast<ObjectHandle>(handle);
    if (region != 0 && OGASetNumber(region, 0))
        QXUI_RedrawObject(region);
}

std::string descriptorRequest(bool node, const std::vector<ObjectHandle>& objects)
{
    std::string text = node ? "OG'menu.DisplayNodeDescriptor([" : "OG'menu.DisplayArcDescriptor([";
    bool first = true;
    for (ObjectHandle o : objects) {
        uint32_t n = 0;
        OGAGetNumber(o, &n);
        char item[64];
        std::snprintf(item, sizeof item, "%s(%ld,%ld)", first ? "" : ",", static_cast<long>(n), static_cast<long>(o));
        text += item;
        first = false;
    }
    char tail[32];
    std::snprintf(tail, sizeof tail, "],%ld);", static_cast<long>(QXStr_GetCurPage()));
    return text + tail;
}

// ---- function-table rows ----

bool inputs(const SMLTableCall& call, std::span<int32_t> values)
{
    for (size_t i = 0; i < values.size(); ++i)
        if (!call.number(static_cast<uint32_t>(i + 1), &values[i]))
            return false;
    return true;
}

// A fresh object of the type, made a graph object with the number.
int tagObject(int32_t number, ObjectHandle object, uint32_t type)
{
    if (!QXStr_IsObject(object))
        return 0;
    int done = 0;
    if (!hasNetRecord(object) && !OGAHasOccGraph(object) && isType(object, type))
        done = OGASetNumber(object, static_cast<uint32_t>(number));
    return done;
}

bool makeNode(SMLTableCall& call)
{
    std::array<int32_t, 5> v{};
    if (!inputs(call, v))
        return false;
    const auto object = static_cast<ObjectHandle>(v[1]);
    const int done = tagObject(v[0], object, kQXKindNode);
    if (done)
        OGASetLabel(object, v[0], v[2], v[3], v[4]);
    if (QXStr_IsObject(object))
        QXUI_RedrawObject(object);
    call.result(done);
    return true;
}

bool makeArc(SMLTableCall& call)
{
    std::array<int32_t, 2> v{};
    if (!inputs(call, v))
        return false;
    const auto object = static_cast<ObjectHandle>(v[1]);
    const int done = tagObject(v[0], object, kQXKindConnector);
    if (QXStr_IsObject(object))
        QXUI_RedrawObject(object);
    call.result(done);
    return true;
}

template <int (*Find)(ObjectHandle, uint32_t, ObjectHandle*)> bool findRow(SMLTableCall& call)
{
    std::array<int32_t, 2> v{};
    if (!inputs(call, v))
        return false;
    const auto page = static_cast<ObjectHandle>(v[1]);
    ObjectHandle found = 0;
    if (!QXStr_IsObject(page) || !Find(page, static_cast<uint32_t>(v[0]), &found))
        found = 0;
    call.result(static_cast<int32_t>(found));
    return true;
}

} // namespace

int OGAHasOccGraph(ObjectHandle object)
{
    uint32_t length = 0;
    return QXStr_IsObject(object) && UD_GetFieldSize(object, kOGANumberTag, &length) != 0 && length == 4 ? 1 : 0;
}

int OGASetNumber(ObjectHandle object, uint32_t number)
{
    if (!QXStr_IsObject(object))
        return 0;
    const std::array<uint8_t, 4> bytes{static_cast<uint8_t>(number >> 24), static_cast<uint8_t>(number >> 16),
                                       static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)};
    if (UD_SetField(object, kOGANumberTag, bytes.data(), 4) == 0) {
        EE_ReportError(kMsgUserDataWriteFailed);
        return 0;
    }
    return 1;
}

int OGAGetNumber(ObjectHandle object, uint32_t* number)
{
    if (!QXStr_IsObject(object) || !(isType(object, kQXKindNode) || isType(object, kQXKindConnector)))
        return 0;
    return OGAReadNumberField(object, number);
}

int OGAReadNumberField(ObjectHandle object, uint32_t* number)
{
    if (!QXStr_IsObject(object))
        return 0;
    uint32_t length = 0;
    if (UD_GetFieldSize(object, kOGANumberTag, &length) == 0 || length != 4)
        return 0;
    std::array<uint8_t, 4> bytes{};
    if (UD_GetField(object, kOGANumberTag, bytes.data()) == 0)
        return 0;
    *number = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
    return 1;
}

int OGAClearNumber(ObjectHandle object)
{
    uint32_t length = 0;
    if (QXStr_IsObject(object) && UD_GetFieldSize(object, kOGANumberTag, &length) != 0)
        UD_DeleteField(object, kOGANumberTag);
    return 1;
}

void OGAClearAll()
{
    for (ObjectHandle page : pages()) {
        for (ObjectHandle node : nodesOf(page))
            clearWithRegions(node);
        for (ObjectHandle connector : connectorsOfPage(page))
            clearWithRegions(connector);
    }
}

int OGAFindNodeOnPage(ObjectHandle page, uint32_t number, ObjectHandle* object)
{
    return findIn(nodesOf(page), kQXKindNode, number, object);
}

int OGAFindArcOnPage(ObjectHandle page, uint32_t number, ObjectHandle* object)
{
    return findIn(connectorsOfPage(page), kQXKindConnector, number, object);
}

int OGASelectionIsNodes(std::vector<ObjectHandle>* out) { return selectionOf(kQXKindNode, out); }
int OGASelectionIsArcs(std::vector<ObjectHandle>* out) { return selectionOf(kQXKindConnector, out); }

void OGASetLabel(ObjectHandle node, long number, long mark, long a, long b)
{
    const char markChar = mark == 1 ? '\'' : mark == 0 ? '"' : ' ';
    char text[96];
    std::snprintf(text, sizeof text, "%ld%c\r%ld:%ld", number, markChar, a, b);
    QXText_SetText(node, text);
    QXUI_RedrawObject(node);
}

namespace {

// Graph arcs at a node, chosen by their ends and direction code.
std::vector<uint32_t> arcsAt(ObjectHandle node, bool successors)
{
    std::vector<uint32_t> out;
    for (ObjectHandle c : connectorsOf(node)) {
        uint32_t n = 0;
        if (!OGAGetNumber(c, &n) || !isType(c, kQXKindConnector))
            continue;
        ObjectHandle start = 0, end = 0;
        QXRdAttr_GetConnEnds(c, 0, &start, &end);
        const uint32_t direction = QXRdAttr_GetDirection(c);
        const bool loop = start == end;
        // A loop is a predecessor arc only when it runs start to end.
        const bool in = loop ? direction == 1 : (direction == 1 && end == node) || (direction == 2 && start == node);
        const bool outArc = loop || (direction == 1 && end != node) || (direction == 2 && start != node);
        if (successors ? outArc : in)
            out.push_back(n);
    }
    return out;
}

} // namespace

std::vector<uint32_t> OGAPredecessorArcs(ObjectHandle node) { return arcsAt(node, false); }
std::vector<uint32_t> OGASuccessorArcs(ObjectHandle node) { return arcsAt(node, true); }

int OGAFindDescriptor(ObjectHandle object, ObjectHandle* region)
{
    for (ObjectHandle r : regionsOf(object)) {
        if (OGAHasOccGraph(r)) {
            *region = r;
            return 1;
        }
    }
    return 0;
}

void OGAToggleDescriptor(ObjectHandle object)
{
    if (!OGAHasOccGraph(object))
        return;
    ObjectHandle region = 0;
    if (OGAFindDescriptor(object, &region)) {
        QXStr_DeleteObject(region);
        return;
    }
    if (OGASend(descriptorRequest(isType(object, kQXKindNode), {object})) < 0)
        return;
    const auto handles = OGAReadInts(1);
    if (!handles.empty())
        adoptDescriptor(handles[0]);
}

void OGAToggleSelectionDescriptors()
{
    std::vector<ObjectHandle> objects;
    bool nodes = OGASelectionIsNodes(&objects) != 0;
    if (!nodes && !OGASelectionIsArcs(&objects)) {
        QXUI_ShowMessage("The selection must only contain OG nodes or OG arcs");
        return;
    }
    if (objects.empty())
        return;
    std::vector<ObjectHandle> without;
    for (ObjectHandle o : objects) {
        ObjectHandle region = 0;
        if (OGAFindDescriptor(o, &region))
            QXStr_DeleteObject(region);
        else
            without.push_back(o);
    }
    if (OGASend(descriptorRequest(nodes, without)) < 0)
        return;
    for (long handle : OGAReadInts(without.size()))
        adoptDescriptor(handle);
}

void OGAPasteCleanup(std::span<const ObjectHandle> objects)
{
    if (objects.empty())
        return;
    std::vector<ObjectHandle> inner;
    if (isType(objects[0], kQXKindNode)) {
        uint16_t innerCount = 0, outerCount = 0;
        ObjectHandle* innerList = nullptr;
        ObjectHandle* outerList = nullptr;
        QXStr_ClassifyConnectors(static_cast<uint32_t>(objects.size()), objects.data(), &innerCount, &innerList,
                                 &outerCount, &outerList);
        inner = takeList(innerCount, innerList);
        takeList(outerCount, outerList);
    }
    for (ObjectHandle o : objects)
        clearWithRegions(o);
    for (ObjectHandle c : inner)
        OGAClearNumber(c);
}

void OGAInstallTableRows()
{
    SMLSetTableRow(52, makeNode);
    SMLSetTableRow(53, findRow<OGAFindNodeOnPage>);
    SMLSetTableRow(54, makeArc);
    SMLSetTableRow(55, findRow<OGAFindArcOnPage>);
}
