// The IDEF machine-file import: the whole file is read and checked first,
// so that a damaged or cut-short file builds nothing; then pages, nodes,
// regions and arcs are made through the kernel interface and the net
// editor's record operations, and the hierarchy is rebuilt last.
#include "atolq/CEditor/IDEFImport.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASRXLRequests.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXFile.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/kvud/UserData.h"
#include "xkv/model/Model.h"

int ImportErrors = 0;

namespace {

constexpr Fixed kUnit = 0x10000;
constexpr uint32_t kStoredText = 0xD000;
constexpr uint32_t kSocketList = 0xD001;
constexpr int16_t kMsgErrorsLoading = 11350;
constexpr long kFileType = 1;
constexpr long kFileVersion = 3;
constexpr size_t kMaxFileSize = 64u << 20;
constexpr int kMaxRegionDepth = 32;
constexpr size_t kMaxSockets = 100;
constexpr size_t kMaxBendValues = 198;
constexpr size_t kTransferBuffer = 2048;

// File region kinds.
constexpr long kBoxId = 100;
constexpr long kArcEnd = 102;
constexpr long kArcText = 200;
constexpr long kContainer = 220;
constexpr long kHierarchyInfo = 221;

struct ImportState {
    std::vector<std::string> messages;
    IDEFRuxelResults ruxel;
    ObjectHandle firstPage = 0;
    int ruxelFlag = 0;
    std::string path;
};

ImportState& state()
{
    static ImportState s;
    return s;
}

void show(const char* format, ...) __attribute__((format(printf, 1, 2)));
void show(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ImportErrors = 1;
    state().messages.emplace_back(text);
    QXUI_ShowMessage(text);
}

Fixed units(double value) { return static_cast<Fixed>(value * kUnit); }

// ---- the parsed file ----

struct Node {
    long shape = 0;
    bool border = false;
    Fixed x = 0, y = 0, width = 0, height = 0;
    long lineStyle = 0, lineWidth = 0, linePattern = 0;
    bool visible = false, flagB = false, flagC = false, label = false;
    long regionKind = 0;
    std::string text;
    long textSize = 0;
    bool hasPoints = false;
    std::string points;
    std::vector<Node> regions;
};

struct PlaceTexts {
    std::string port, plain, colourSet, marking, name, fusion;
};

struct Entry {
    char letter = 'T';
    long id = 0;
    Node node;
    PlaceTexts place;  // "P" entries
};

struct Page {
    std::string name;
    long width = 0, height = 0;
    std::vector<Entry> transitions;
    std::vector<Entry> places;
};

// ---- reading ----

bool readNode(idef::Reader& in, Node* node, bool region, int depth)
{
    if (depth > kMaxRegionDepth)
        return false;
    std::string ignored;
    if (!in.number(5, &node->shape))
        return false;
    if (node->shape == 3 && !in.token(5, &ignored))
        return false;
    uint32_t x = 0, y = 0, w = 0, h = 0;
    bool unused = false;
    if (!in.flag(5, &node->border) || !in.hex(9, &x) || !in.hex(9, &y) || !in.hex(9, &w) || !in.hex(9, &h))
        return false;
    node->x = static_cast<Fixed>(x);
    node->y = static_cast<Fixed>(y);
    node->width = static_cast<Fixed>(w);
    node->height = static_cast<Fixed>(h);
    if (!in.number(9, &node->lineStyle) || !in.number(9, &node->lineWidth) || !in.number(9, &node->linePattern))
        return false;
    node->lineStyle = Model_ConvertCode(static_cast<int32_t>(node->lineStyle), 6, 1);
    if (!in.flag(9, &node->visible) || !in.flag(9, &node->flagB) || !in.flag(9, &node->flagC) ||
        !in.flag(9, &node->label) || !in.flag(9, &unused) || !in.flag(9, &unused))
        return false;
    long skipped = 0;
    if (region && !in.number(9, &node->regionKind))
        return false;
    if (!in.number(9, &skipped) || !in.counted(&node->text))
        return false;
    if (!node->text.empty() && !in.number(9, &node->textSize))
        return false;
    if (!in.flag(9, &node->hasPoints))
        return false;
    if (node->hasPoints) {
        long count = 0;
        // Every token takes at least two bytes.
        if (!in.number(9, &count) || count < 0 || static_cast<size_t>(count) > in.left() / 4)
            return false;
        for (long i = 0; i < 2 * count; ++i) {
            std::string token;
            if (!in.token(9, &token))
                return false;
            node->points += token + " ";
        }
    }
    long regions = 0;
    if (!in.number(5, &regions) || regions < 0 || static_cast<size_t>(regions) > in.left())
        return false;
    for (long i = 0; i < regions; ++i) {
        std::string mark;
        if (!in.token(9, &mark) || mark[0] != 'R' || !in.token(9, &ignored))
            return false;
        Node child;
        if (!readNode(in, &child, true, depth + 1)) {
            show("Regions missing or wrong.");
            return false;
        }
        node->regions.push_back(std::move(child));
    }
    return true;
}

// The six counted texts that a place's stored text holds.
bool readPlaceTexts(const std::string& stored, PlaceTexts* texts)
{
    idef::Reader in({reinterpret_cast<const uint8_t*>(stored.data()), stored.size()});
    return in.counted(&texts->port) && in.counted(&texts->plain) && in.counted(&texts->colourSet) &&
           in.counted(&texts->marking) && in.counted(&texts->name) && in.counted(&texts->fusion);
}

bool readEntry(idef::Reader& in, bool places, Entry* entry)
{
    std::string letter;
    if (!in.token(9, &letter))
        return false;
    entry->letter = letter[0];
    if (!places ? letter != "T" : letter != "P" && letter != "G" && letter != "L")
        return false;
    if (!in.number(5, &entry->id) || !readNode(in, &entry->node, false, 0))
        return false;
    if (entry->letter == 'P' && !entry->node.text.empty() && !readPlaceTexts(entry->node.text, &entry->place))
        return false;
    return true;
}

bool readEntries(idef::Reader& in, bool places, std::vector<Entry>* entries)
{
    long count = 0;
    if (!in.number(4, &count) || count < 0 || static_cast<size_t>(count) > in.left())
        return false;
    for (long i = 0; i < count; ++i) {
        Entry entry;
        if (!readEntry(in, places, &entry)) {
            show("Nodes missing or wrong.");
            return false;
        }
        entries->push_back(std::move(entry));
    }
    return true;
}

bool readPage(idef::Reader& in, Page* page)
{
    std::string ignored;
    if (!in.token(5, &ignored) || !in.counted(&page->name))
        return false;
    if (!in.number(5, &page->width) || !in.number(5, &page->height) || !in.token(5, &ignored) ||
        !in.token(5, &ignored))
        return false;
    return readEntries(in, false, &page->transitions) && readEntries(in, true, &page->places);
}

struct OptionsSection {
    std::string later, earlier, text;
    long number = 0;
};

bool readOptions(idef::Reader& in, OptionsSection* options)
{
    std::string letter;
    return in.token(9, &letter) && letter == "W" && in.token(256, &options->later) &&
           in.token(256, &options->earlier) && in.number(1, &options->number) && options->number >= 0 &&
           in.counted(&options->text);
}

bool readTransfers(idef::Reader& in, std::vector<std::string>* texts)
{
    std::string letter;
    if (!in.token(9, &letter) || letter != "W")
        return false;
    int c = 0;
    while ((c = in.readByte()) != '[') {
        if (c == 0)
            return false;
    }
    const std::string head = "(TOLQ'RXL.transfan:=";
    const std::string tail = "::(!TOLQ'RXL.transfan))";
    for (;;) {
        std::string item;
        bool ended = false;
        while (item.size() < 2 || item.compare(item.size() - 2, 2, "))") != 0) {
            if ((c = in.readByte()) == 0) {
                ended = true;
                break;
            }
            item += static_cast<char>(c);
        }
        if (head.size() + item.size() + tail.size() + 1 > kTransferBuffer)
            return false;
        texts->push_back(head + item + tail);
        if (ended)
            return true;
        c = in.readByte();
        if (c == ']')
            return true;
        if (c != ',')
            return false;
    }
}

// ---- building ----

// A place or transition made for an entry, with its regions as made.
struct Made {
    ObjectHandle object = 0;
    long fileKind = 0;
    const Node* node = nullptr;
    std::vector<Made> regions;
};

void storeText(ObjectHandle object, uint32_t tag, const std::string& text)
{
    UD_SetField(object, tag, text.data(), static_cast<uint32_t>(text.size()));
}

std::string storedText(ObjectHandle object, uint32_t tag)
{
    void* data = nullptr;
    uint32_t length = 0;
    if (UD_GetFieldPointer(object, tag, &data, &length) != 1 || data == nullptr)
        return {};
    return std::string(static_cast<const char*>(data), length);
}

// Makes the kernel object of a description on the page, or as a region of
// owner; place texts and arc texts are kept in user data.
bool makeObject(const Node& d, ObjectHandle page, ObjectHandle owner, bool keepText, Made* made)
{
    std::string text = d.text;
    if (!text.empty())
        QXText_SetDefaultSize(static_cast<int32_t>(d.textSize));
    if (d.hasPoints)
        text = idef::cleanName(text, 0);
    const ObjectHandle object = d.label ? QXStr_CreateLabel(page, d.x, d.y, d.width, d.height, text.c_str())
                                        : QXStr_CreateNode(page, d.x, d.y, d.width, d.height,
                                                           static_cast<int32_t>(d.shape));
    if (object == 0)
        return false;
    made->object = object;
    made->node = &d;
    made->fileKind = owner != 0 ? d.regionKind : 0;
    if (d.hasPoints)
        storeText(object, kSocketList, d.points);
    if (owner != 0 && (QXStr_MakeRegion(object, owner) == 0 ||
                       QXWtAttr_SetRegionKind(object, static_cast<uint32_t>(d.regionKind)) == 0))
        return false;
    QXWtAttr_SetLineAttr(object, static_cast<uint32_t>(d.lineStyle), static_cast<int16_t>(d.lineWidth),
                         static_cast<uint32_t>(d.linePattern), d.visible ? 1 : 0);
    if (!text.empty()) {
        if (keepText || (owner != 0 && d.regionKind == kArcEnd))
            storeText(object, kStoredText, text);
        else if (!d.label)
            QXText_SetText(object, text.c_str());
    }
    if (owner != 0 && !d.border)
        QXWtAttr_SetFlag(object, 16, 16);
    QXWtAttr_SetFlag(object, 4 | 1, d.flagC ? 4 | 1 : 0);
    QXWtAttr_SetFlag(object, 0x400002, d.flagB ? 0x400002 : 0);
    QXWtAttr_SetFlag(object, 8, d.label ? 8 : 0);
    for (const Node& region : d.regions) {
        Made child;
        if (!makeObject(region, page, object, false, &child)) {
            show("Regions missing or wrong.");
            return false;
        }
        made->regions.push_back(std::move(child));
    }
    return true;
}

void setPlaceText(ObjectHandle place, const std::string& text)
{
    QXText_SetText(place, text.c_str());
    QXText_SetTextAttr(place, 5, 9, 0, 2);
}

enum class Side { Left, Right };

// A label of the place's inscription of the kind: fitted to its text, made
// a region and moved beside the place's centre on the given side.
bool placeLabel(ObjectHandle page, ObjectHandle place, const std::string& text, int32_t kind, int32_t style,
                double dx, double dy, double widthPerChar, Side side)
{
    Fixed x = 0, y = 0, w = 0, h = 0;
    QXRdAttr_GetPosition(place, &x, &y);
    QXRdAttr_GetSize(place, &w, &h);
    const double len = static_cast<double>(text.size());
    const Fixed cx = x + (dx < 0 ? -w / 4 : w / 4) + units(dx * len);
    const Fixed cy = y + (dy < 0 ? -h / 4 : h / 4) + units(dy);
    const ObjectHandle label = QXStr_CreateLabel(page, cx, cy, units(widthPerChar * len), units(5), text.c_str());
    if (label == 0)
        return false;
    QXText_SetTextAttr(label, 5, 9, style, 2);
    QXUtil_FitBoxToText(label);
    if (GE_AttachAsRegion(place, label, kind) == 0)
        return false;
    EE_UpdateNetFromObject(label);
    Fixed lx = 0, ly = 0, lw = 0, lh = 0;
    QXRdAttr_GetPosition(label, &lx, &ly);
    QXRdAttr_GetSize(label, &lw, &lh);
    QXWtAttr_SetPosition(label, side == Side::Left ? x - lw / 2 : x + lw / 2, ly);
    QXWtAttr_SetLinePattern(label, 0);
    return true;
}

SEHead* fusionSet(const std::string& name)
{
    if (SEHead* set = SEFindFusSet(name.c_str(), kSEPlaceFusSet, nullptr); set != nullptr)
        return set;
    if (name.empty())
        return nullptr;
    SEPlaceFusSet* made = SECreatePlaceFusSet(kSEFusGlobal, nullptr);
    if (made == nullptr)
        return nullptr;
    auto* copy = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(name.size() + 1)));
    std::memcpy(copy, name.c_str(), name.size() + 1);
    SEPutName(reinterpret_cast<SEHead*>(made), copy);
    return reinterpret_cast<SEHead*>(made);
}

bool completePlace(ObjectHandle page, ObjectHandle place, const PlaceTexts& t)
{
    if (EE_CreateNetPlace(place) == 0)
        return false;
    EE_UpdateNetFromObject(place);
    const bool port = !t.port.empty();
    if (port) {
        if (EE_MakePort(place, t.port[0] == 'O' ? kSEPortOutput : kSEPortInput) == 0)
            return false;
        setPlaceText(place, t.port);
    }
    const bool plainIsColourSet = t.colourSet.empty() && !t.plain.empty();
    const std::string colourSet = idef::cleanName(plainIsColourSet ? t.plain : t.colourSet, 0);
    if (!colourSet.empty() &&
        !placeLabel(page, place, colourSet, kRegionColourSet, 4, -2, 2.5, 4, Side::Left))
        return false;
    if (!t.marking.empty() &&
        !placeLabel(page, place, idef::cleanName(t.marking, 0), kRegionInitMark, 0, 2, 2.5, 4, Side::Right))
        return false;
    if (!t.fusion.empty()) {
        SEHead* set = fusionSet(t.fusion);
        if (set == nullptr || EE_AddFusionMember(place, set) == 0)
            return false;
    }
    const std::string name = !t.name.empty() ? t.name : (!plainIsColourSet ? t.plain : std::string());
    if (!name.empty() &&
        !placeLabel(page, place, name.substr(0, 10), kRegionName, 2, 1.5, -2.5, 3, Side::Right))
        return false;
    if (!t.name.empty() && !t.plain.empty() && !port)
        setPlaceText(place, t.plain);
    return true;
}

struct PageBuild {
    ObjectHandle page = 0;
    std::vector<std::pair<long, ObjectHandle>> ids;  // file id -> object

    ObjectHandle find(long id) const
    {
        for (const auto& [key, object] : ids)
            if (key == id)
                return object;
        return 0;
    }
};

// The arc of a region of file kind 102 between its transition and a place.
bool makeArc(const PageBuild& build, ObjectHandle transition, const Made& end)
{
    const std::string text = end.node->text;
    idef::Reader in({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    long placeId = 0;
    std::string direction;
    if (!in.number(10, &placeId) || !in.token(20, &direction))
        return false;
    const ObjectHandle place = build.find(placeId);
    if (place == 0)
        return false;
    UD_DeleteField(end.object, kStoredText);
    const bool fromTransition = direction[0] == 'O';
    const ObjectHandle connector = fromTransition ? QXStr_CreateConnector(build.page, end.object, place)
                                                  : QXStr_CreateConnector(build.page, place, end.object);
    if (connector == 0)
        return false;
    QXWtAttr_SetRegionKind(end.object, static_cast<uint32_t>(-2));
    if (EE_CreateNetArc(connector) == 0)
        return false;
    for (const Made& child : end.regions) {
        if (child.fileKind == kArcText) {
            QXStr_UnmakeRegion(child.object);
            if (GE_AttachAsRegion(connector, child.object, kRegionArcExpr) == 0)
                return false;
            EE_UpdateNetFromObject(child.object);
        }
    }
    std::vector<Fixed> values;
    while (in.left() > 0) {
        uint32_t first = 0, second = 0;
        std::string probe;
        if (!in.hex(20, &first))
            break;
        if (!in.hex(20, &second))
            return false;
        if (values.size() < kMaxBendValues) {
            values.push_back(static_cast<Fixed>(first));
            values.push_back(static_cast<Fixed>(second));
        }
    }
    (void)transition;
    if (!values.empty()) {
        std::vector<FixPoint> points;
        Fixed x = 0, y = 0;
        QXRdAttr_GetPosition(fromTransition ? end.object : place, &x, &y);
        points.push_back({x, y});
        std::vector<FixPoint> bends;
        for (size_t i = 0; i + 1 < values.size(); i += 2)
            bends.push_back({values[i], values[i + 1]});
        if (!fromTransition)
            std::reverse(bends.begin(), bends.end());
        points.insert(points.end(), bends.begin(), bends.end());
        QXRdAttr_GetPosition(fromTransition ? place : end.object, &x, &y);
        points.push_back({x, y});
        QXWtAttr_SetConnHidden(connector, 0x50000);
        QXWtAttr_SetConnPoints(connector, static_cast<uint32_t>(points.size()), points.data());
    }
    return true;
}

// The hierarchy information of a transition from its socket list.
bool makeHierarchyInfo(const PageBuild& build, ObjectHandle transition, const std::string& boxId)
{
    const std::string list = storedText(transition, kSocketList);
    idef::Reader in({reinterpret_cast<const uint8_t*>(list.data()), list.size()});
    std::string text = boxId + ":_";
    std::set<long> used;
    size_t sockets = 0;
    for (;;) {
        long id = 0;
        if (in.left() == 0 || !in.number(10, &id) || id == 0)
            break;
        std::string port;
        const ObjectHandle socket = build.find(id);
        if (!in.token(10, &port) || socket == 0) {
            show("hierarchy info wrong:phase 1 boxid = %s", boxId.c_str());
            return false;
        }
        if (++sockets > kMaxSockets) {
            show("QVmkhier failed due to too many sockets");
            return false;
        }
        if (!used.insert(id).second)
            show("Multiple use of socket in boxid=%s", boxId.c_str());
        char handle[32];
        std::snprintf(handle, sizeof handle, " %ld ", static_cast<long>(socket));
        text += handle + port;
    }
    text += " ";
    Fixed x = 0, y = 0, w = 0, h = 0;
    QXRdAttr_GetPosition(transition, &x, &y);
    QXRdAttr_GetSize(transition, &w, &h);
    const ObjectHandle node = QXStr_CreateNode(build.page, x - 3 * kUnit, y + h / 2 - units(2.5), w - 6 * kUnit,
                                               5 * kUnit, 1);
    if (node == 0 || QXStr_MakeRegion(node, transition) == 0 ||
        QXWtAttr_SetRegionKind(node, static_cast<uint32_t>(kHierarchyInfo)) == 0)
        return false;
    QXText_SetDefaultSize(9);
    QXText_SetText(node, text.c_str());
    UD_DeleteField(transition, kSocketList);
    return true;
}

bool handleTransitionRegions(const PageBuild& build, const Made& transition)
{
    std::string boxId;
    for (const Made& region : transition.regions) {
        switch (region.fileKind) {
        case kBoxId:
            QXWtAttr_SetRegionKind(region.object, 0);
            boxId = GE_TextOf(region.object).substr(0, 19);
            break;
        case kArcEnd:
            if (!makeArc(build, transition.object, region)) {
                show("failed to make arc for X:%lx,D:%ld", static_cast<unsigned long>(transition.object),
                     static_cast<long>(transition.object));
                return false;
            }
            break;
        case 207:
            QXWtAttr_SetRegionKind(region.object, static_cast<uint32_t>(kRegionTime));
            break;
        case kContainer:
            for (const Made& inner : region.regions) {
                int32_t kind = 0;
                switch (inner.fileKind) {
                case 201: kind = kRegionGuard; break;
                case 202: kind = kRegionCode; break;
                case 203: kind = kRegionName; break;
                case 207: kind = kRegionTime; break;
                default: continue;
                }
                QXStr_UnmakeRegion(inner.object);
                if (GE_AttachAsRegion(transition.object, inner.object, kind) != 0)
                    EE_UpdateNetFromObject(inner.object);
            }
            QXStr_DeleteObject(region.object);
            break;
        case kHierarchyInfo:
            break;
        default:
            QXWtAttr_SetRegionKind(region.object, 0);
            break;
        }
    }
    uint32_t length = 0;
    if (UD_GetFieldSize(transition.object, kSocketList, &length) == 1)
        return makeHierarchyInfo(build, transition.object, boxId);
    return true;
}

bool buildPage(const Page& file, ObjectHandle page)
{
    PageBuild build;
    build.page = page;
    char name[256] = {};
    uint16_t number = 0;
    int16_t width = 0, height = 0;
    uint32_t border = 0;
    QXRdAttr_GetPageAttr(page, name, &number, &width, &height, &border);
    QXWtAttr_SetPageAttr(page, idef::cleanName(file.name, 25).c_str(), number, static_cast<int16_t>(file.width),
                         static_cast<int16_t>(file.height), border);
    std::vector<Made> transitions;
    for (const Entry& entry : file.transitions) {
        Made made;
        if (!makeObject(entry.node, page, 0, false, &made) || EE_CreateNetTrans(made.object) == 0) {
            show("Nodes missing or wrong.");
            return false;
        }
        EE_UpdateNetFromObject(made.object);
        build.ids.emplace_back(entry.id, made.object);
        transitions.push_back(std::move(made));
    }
    for (const Entry& entry : file.places) {
        Made made;
        bool ok = makeObject(entry.node, page, 0, entry.letter == 'P', &made);
        if (ok && entry.letter == 'P') {
            ok = completePlace(page, made.object, entry.place);
        } else if (ok) {
            ok = EE_CreateDeclNode(made.object, entry.letter == 'G' ? ObjectHandle{0} : page,
                                   static_cast<uint16_t>(entry.letter == 'G' ? 1 : 2)) != 0;
            if (ok)
                EE_BuildDeclRegions(made.object);
        }
        if (!ok) {
            show("Nodes missing or wrong.");
            return false;
        }
        build.ids.emplace_back(entry.id, made.object);
    }
    for (const Made& transition : transitions)
        if (!handleTransitionRegions(build, transition))
            return false;
    return true;
}

// The node's name for the hierarchy step: its name region or own text.
std::string nodeName(ObjectHandle node)
{
    char* text = nullptr;
    EE_GetNameRegionText(node, &text);
    std::string name = text != nullptr ? text : "";
    if (text != nullptr)
        QXMem_Free(text);
    return name;
}

std::string refName(ObjectHandle object)
{
    char buffer[96] = {};
    GE_ObjectRefName(object, buffer);
    std::string name = buffer;
    return name.substr(0, name.find('#'));
}

std::vector<ObjectHandle> takeList(uint32_t ok, uint16_t count, ObjectHandle* array)
{
    std::vector<ObjectHandle> list;
    if (ok != 0 && array != nullptr)
        list.assign(array, array + count);
    if (array != nullptr)
        QXMem_Free(array);
    return list;
}

std::vector<ObjectHandle> nodesOf(ObjectHandle page)
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    const uint32_t ok = QXStr_GetNodeList(page, &count, &array);
    return takeList(ok, count, array);
}

ObjectHandle findPort(ObjectHandle subpage, const std::string& port)
{
    for (const ObjectHandle node : nodesOf(subpage)) {
        SEHead* record = nullptr;
        if (GE_GetSERecord(node, &record) != 1 || record == nullptr ||
            (record->kind != kSEPlace && record->kind != kSETrans) || SEIsPort(record) == 0)
            continue;
        const std::string name = nodeName(node);
        if (name.empty())
            continue;
        std::string own = GE_TextOf(node);
        own = own.substr(0, std::min<size_t>(own.find(' '), 99));
        if (name == port || own == port)
            return node;
    }
    return 0;
}

void fixHierarchy(ObjectHandle node, ObjectHandle info, const std::vector<ObjectHandle>& pages)
{
    const std::string text = GE_TextOf(info);
    idef::Reader in({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    std::string boxId;
    if (!in.token(10, &boxId)) {
        show("hierarchy info wrong");
        return;
    }
    const std::string name = nodeName(node);
    const std::string wanted = boxId + name;
    ObjectHandle subpage = 0;
    for (const ObjectHandle page : pages)
        if (refName(page) == wanted) {
            subpage = page;
            break;
        }
    if (subpage == 0) {
        show("No subpage found with name %s", name.c_str());
        return;
    }
    EE_MakeCompound(node, kSESubstitution, nullptr);
    EE_AssignSubpage(node, subpage, 0);
    while (in.left() > 0) {
        long socket = 0;
        std::string port;
        if (!in.number(10, &socket))
            break;
        if (!in.token(10, &port)) {
            show("hierarchy info wrong");
            break;
        }
        const ObjectHandle found = findPort(subpage, port);
        if (found == 0) {
            show("No port on subpage %s found with name %s", refName(subpage).c_str(), port.c_str());
            continue;
        }
        EE_AssignPort(node, static_cast<ObjectHandle>(socket), found);
    }
    EE_UpdateHierarchyTag(node);
    ObjectHandle tag = 0;
    if (GE_GetRegion(node, kRegionHierarchy, &tag) != 0 && tag != 0)
        GE_RefreshObjectFlags(tag);
    QXStr_DeleteObject(info);
}

void hierarchyStep()
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    const uint32_t ok = QXStr_GetPageList(&count, &array);
    const std::vector<ObjectHandle> pages = takeList(ok, count, array);
    for (const ObjectHandle page : pages) {
        char status[64];
        std::snprintf(status, sizeof status, "Fixing hierarchy info on page %ld", static_cast<long>(page));
        QXUI_SetStatusBarMessage(status);
        for (const ObjectHandle node : nodesOf(page)) {
            ObjectHandle info = 0;
            if (GE_FindChildRegion(node, kHierarchyInfo, &info) != 0 && info != 0)
                fixHierarchy(node, info, pages);
        }
    }
}

void applyOptions(const OptionsSection& options)
{
    std::vector<uint8_t> record(256);
    DefCopyRXLOptions(nullptr, record.data());
    auto putText = [&](uint32_t offset, const std::string& text) {
        std::memset(record.data() + offset, 0, 20);
        std::memcpy(record.data() + offset, text.data(), std::min<size_t>(text.size(), 19));
    };
    putText(44, options.later);
    putText(24, options.earlier);
    DefCopyRXLOptions(record.data(), nullptr);
    int32_t block[64];
    std::memcpy(block, record.data(), sizeof block);
    ASSetRXLOptions(block);
}

bool readWholeFile(FileHandle file, std::vector<uint8_t>* bytes)
{
    uint8_t chunk[4096];
    for (;;) {
        uint32_t count = sizeof chunk;
        if (QXFile_ReadBytes(file, chunk, &count) == 0 || count == 0)
            return true;
        if (bytes->size() + count > kMaxFileSize)
            return false;
        bytes->insert(bytes->end(), chunk, chunk + count);
    }
}

std::string directoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return {};
    return path.substr(0, slash + 1);
}

int readModel(std::span<const uint8_t> bytes)
{
    idef::Reader in(bytes);
    long type = 0, version = 0;
    std::string diagramName;
    bool header = in.number(9, &type);
    if (header && type != kFileType) {
        show("Wrong type of input file");
        header = false;
    }
    if (header && (!in.number(9, &version) || version != kFileVersion)) {
        show("File version = %ld, Program version = %ld", version, kFileVersion);
        header = false;
    }
    if (header && !in.counted(&diagramName)) {
        if (in.cutShort())
            show("The file ends inside a text.");
        header = false;
    }
    if (!header) {
        EE_ReportError(kMsgErrorsLoading);
        return 0;
    }

    long pageCount = 0;
    std::vector<Page> pages;
    const bool counted = in.number(4, &pageCount) && pageCount >= 0 && static_cast<size_t>(pageCount) <= in.left();
    bool pagesRead = counted;
    for (long i = 0; counted && i < pageCount; ++i) {
        Page page;
        if (!readPage(in, &page)) {
            if (in.cutShort())
                show("The file ends inside a text.");
            show("Failed to translate page %s", idef::cleanName(page.name, 100).c_str());
            pagesRead = false;
            break;
        }
        pages.push_back(std::move(page));
    }
    OptionsSection options;
    std::vector<std::string> transfers;
    const bool ruxelRead = state().ruxelFlag == 0 || (pagesRead && readOptions(in, &options) &&
                                                      readTransfers(in, &transfers));
    if (!pagesRead)
        return 0;  // a damaged file builds nothing

    QXFile_SetCurrentFileName((directoryOf(state().path) + diagramName).c_str());
    for (size_t i = 0; i < pages.size(); ++i) {
        char status[160];
        std::snprintf(status, sizeof status, "Translating page %s", pages[i].name.substr(0, 100).c_str());
        QXUI_SetStatusBarMessage(status);
        ObjectHandle page = i == 0 ? state().firstPage : GE_NewPage(0);
        if (i > 0 && page != 0 && EE_CreateNetPage(page, 1) == 0)
            page = 0;
        if (page == 0 || !buildPage(pages[i], page)) {
            show("Failed to translate page %s", idef::cleanName(pages[i].name, 100).c_str());
            break;
        }
    }
    if (counted)
        hierarchyStep();
    if (state().ruxelFlag == 0)
        return 1;
    if (!ruxelRead)
        return 0;
    applyOptions(options);
    IDEFRuxelResults& results = state().ruxel;
    results.number = static_cast<int>(options.number);
    results.text = options.text;
    results.transferTexts = transfers;
    ASClearQueuedTexts();
    for (const std::string& text : transfers)
        ASQueueRXLText(text);
    return 1;
}

uint32_t readCallback(FileHandle file) { return static_cast<uint32_t>(IDEF_ReadFile(file)); }

} // namespace

namespace idef {

int Reader::readByte()
{
    if (at_ >= bytes_.size())
        return 0;
    const uint8_t byte = bytes_[at_++];
    return byte == 255 ? 0 : byte;
}

bool Reader::token(size_t limit, std::string* out)
{
    out->clear();
    int c = 0;
    do {
        c = readByte();
        if (c == 0)
            return false;
    } while (c < 33 || c > 126);
    while (c >= 33 && c <= 126) {
        if (out->size() == limit)
            return false;
        *out += static_cast<char>(c);
        c = readByte();
    }
    return true;
}

bool Reader::number(size_t limit, long* out)
{
    std::string text;
    if (!token(limit, &text))
        return false;
    *out = std::atol(text.c_str());
    return true;
}

bool Reader::hex(size_t limit, uint32_t* out)
{
    std::string text;
    if (!token(limit, &text))
        return false;
    *out = hexValue(text);
    return true;
}

bool Reader::flag(size_t limit, bool* out)
{
    std::string text;
    if (!token(limit, &text))
        return false;
    *out = text[0] == '1';
    return true;
}

bool Reader::counted(std::string* out)
{
    long n = 0;
    if (!number(5, &n) || n < 0)
        return false;
    if (static_cast<size_t>(n) > left()) {
        cutShort_ = true;
        return false;
    }
    out->assign(reinterpret_cast<const char*>(bytes_.data() + at_), static_cast<size_t>(n));
    at_ += static_cast<size_t>(n);
    return true;
}

uint32_t hexValue(std::string_view token)
{
    uint32_t value = 0;
    for (const char c : token) {
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        value = value * 16 + digit;
    }
    return value;
}

std::string cleanName(std::string_view text, size_t limit)
{
    std::string out(text);
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 33 || byte > 126 || c == '#' || c == '"' || c == '\\')
            c = '_';
    }
    if (limit != 0 && out.size() > limit)
        out.resize(limit);
    return out;
}

} // namespace idef

const IDEFRuxelResults& IDEF_RuxelResults() { return state().ruxel; }

const std::vector<std::string>& IDEF_Messages() { return state().messages; }

int IDEF_ReadFile(FileHandle file)
{
    QXWtAttr_SetDefaultTextAttr(5, 9, 0, 1, 1);
    QXWtAttr_SetConnAttr(0, 3, 6, 20, 60, 20);
    const int32_t previous = QXUI_SetCursor(17);
    std::vector<uint8_t> bytes;
    int result = 0;
    if (readWholeFile(file, &bytes)) {
        result = readModel(bytes);
    } else {
        show("Memory failure.");
    }
    QXUI_SetCursor(previous);
    QXUI_UpdateStatusBar();
    return result;
}

int IDEF_ImportPath(ObjectHandle firstPage, int ruxel, const char* path)
{
    state().messages.clear();
    state().firstPage = firstPage;
    state().ruxelFlag = ruxel;
    state().path = path != nullptr ? path : "";
    QXFileRequest request;
    request.callback = readCallback;
    request.name = path;
    return QXFile_OpenFile(&request) == 1 ? 1 : 0;
}

int IDEF_ImportFile(ObjectHandle firstPage, int ruxel)
{
    char* path = nullptr;
    // Option 1 hides names that begin with a dot.
    if (QXFile_SelectFile("Select a Velkor/IDEF mach file to load.", "Load", "", 1, &path) == 0 || path == nullptr)
        return 0;
    const int result = IDEF_ImportPath(firstPage, ruxel, path);
    QXMem_Free(path);
    return result;
}
