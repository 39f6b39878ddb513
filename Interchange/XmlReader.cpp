// The XML reader's object builders: the table of created objects, page
// renumbering, pages, nodes, regions and fusion sets, then the deferred
// connectors, arcs, region conversions, substitutions and arc end points, and
// last the hierarchy page. Every problem becomes one line of the import log.
#include "Interchange/XmlReader.h"

#include "Interchange/XmlFormat.h"
#include "Interchange/XmlLog.h"
#include "Interchange/XmlScanner.h"
#include "Interchange/XmlWriter.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/core/Core.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/model/Model.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

#include <algorithm>
#include <functional>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>
#include <vector>

namespace {

constexpr uint16_t kNetPlace = 2, kNetTrans = 3;
// A segmented connector has at most this many points, its ends included.
constexpr size_t kMaxConnPoints = 61;
// Region attribute word bits and the kernel flag of a region sized apart from
// its owner.
constexpr uint16_t kRegionPopupBits = 3, kRegionSizeWithOwner = 4, kRegionOwnerColours = 8;
constexpr uint32_t kFlagSizeApart = 16;

// Object element codes.
enum Code {
    kPage = 0, kPlace = 1, kTrans = 5, kFusKey = 14, kFusion = 15, kArc = 16, kLocDecl = 18, kTempDecl = 19,
    kGlobDecl = 20, kAux = 21, kAuxConn = 22, kHierPage = 31, kPageNode = 32, kPgModKey = 33, kPageMode = 34,
    kSubstCon = 35, kSubstTag = 36,
};

// The region kind that the reader gives each region element.
int32_t regionKindOf(int code, bool* known) {
    *known = true;
    switch (code) {
        case 2: return 4096;
        case 3: return 4097;
        case 4: return 4098;
        case 13: return 4099;
        case 12: return GE_KeyRegionKind(4099);
        case 15: return 4101;
        case 14: return GE_KeyRegionKind(4101);
        case 6: return 4104;
        case 8: return 4105;
        case 7: return GE_KeyRegionKind(4105);
        case 17: return 4108;
        case 34: return 4109;
        case 33: return GE_KeyRegionKind(4109);
        case 10: return 4111;
        case 9: return GE_KeyRegionKind(4111);
        case 29: return 4113;
        case 28: return GE_KeyRegionKind(4113);
        case 27: return 4117;
        case 26: return GE_KeyRegionKind(4117);
        case 36: return 4119;
        case 11: return 4125;
        case 23: return 0;
        case 24: return -2;
        case 25: return -4;
        case 30: return -8;
        default: *known = false; return 0;
    }
}

struct Deferred {
    const XmlCell* cell;
    std::string parent;
    int32_t kind;
};
struct EndPoints {
    ObjectHandle arc;
    std::string place, placeEnd, trans, transEnd;
};
struct Substitution {
    std::string transition;
    XmlSubstSlot subst;
    XmlModeSlot mode;
};

class Reader {
public:
    void extract(XmlCell& root);

private:
    // The table of created and found objects.
    bool add(const std::string& id, ObjectHandle object);
    ObjectHandle find(const std::string& id) const {
        auto it = table_.find(id);
        return it == table_.end() ? 0 : it->second;
    }
    void remove(const std::string& id);

    void renumber(XmlCell& root);
    void walk(const XmlCell& cell, const std::string& parent, std::span<const int> allowed);
    void walkChildren(const XmlCell& cell, const std::string& id);
    std::string build(const XmlCell& cell, const std::string& parent);
    std::string page(const XmlCell& cell);
    ObjectHandle node(const XmlElementRecord& r, const std::string& id, ObjectHandle page);
    ObjectHandle create(const XmlElementRecord& r, const std::string& id, ObjectHandle page);
    void attributes(ObjectHandle object, XmlElementRecord& r, const std::string& id);
    std::string netNode(const XmlCell& cell);
    std::string regionNode(const XmlCell& cell, const std::string& parent);
    std::string fusion(const XmlCell& cell, const std::string& parent);
    void convertRegion(const Deferred& d);
    void arc(const XmlCell& cell);
    void auxConn(const XmlCell& cell);
    void connectorLook(ObjectHandle conn, XmlElementRecord& r, const std::string& id, bool arc);
    void endPoints(const EndPoints& e);
    void substitution(const Substitution& s);
    void hierPage(const XmlCell& cell);
    std::string hierChild(const XmlCell& cell, const std::string& parent);
    void workOff();

    std::unordered_map<std::string, ObjectHandle> table_;
    ObjectHandle page_ = 0;
    std::vector<const XmlCell*> arcs_, auxConns_;
    std::vector<Deferred> regions_;
    std::vector<EndPoints> endPoints_;
    std::vector<Substitution> substs_;
    std::vector<ObjectHandle> openPages_;
    std::map<const XmlCell*, int16_t> newNumbers_;
};

bool Reader::add(const std::string& id, ObjectHandle object) {
    if (id.empty()) {
        XML_WARN("Couldn't add to table since ID was NULL.");
        return false;
    }
    if (!table_.emplace(id, object).second)
        XML_WARN("Tried to add ID %s more than once. IDs must be unique within file.", id.c_str());
    return true;
}

void Reader::remove(const std::string& id) {
    auto it = table_.find(id);
    if (it == table_.end()) return;
    ObjectHandle object = it->second;
    table_.erase(it);
    if (object) EE_DeleteNetObject(object);
}

// Page renumbering: the numbers of the open pages and of the file's pages in
// file order; each page whose number is taken gets the smallest free one,
// the last colliding page of the file first.
void Reader::renumber(XmlCell& root) {
    std::set<int16_t> numbers;
    uint16_t count = 0;
    ObjectHandle* pages = nullptr;
    if (!QXStr_GetPageList(&count, &pages)) {
        XML_WARN("Couldn't get pagelist");
        return;
    }
    bool ok = true;
    for (uint16_t i = 0; pages && i < count && ok; ++i) {
        char name[256];
        uint16_t number = 0;
        int16_t w = 0, h = 0;
        uint32_t border = 0;
        if (!QXRdAttr_GetPageAttr(pages[i], name, &number, &w, &h, &border)) ok = false;
        else numbers.insert(static_cast<int16_t>(number));
    }
    if (pages) QXMem_Free(pages);
    if (!ok) {
        XML_WARN("Unable to get pagenumber for page");
        return;
    }
    std::vector<XmlCell*> collide;
    for (auto& child : root.children) {
        if (child->code != kPage || !child->record) continue;
        auto* slot = child->record->slot<XmlPageSlot>(52);
        if (!slot) continue;
        if (numbers.count(slot->number)) collide.insert(collide.begin(), child.get());
        else numbers.insert(slot->number);
    }
    int n = std::min<int>(1, numbers.empty() ? 1 : *numbers.begin());
    for (XmlCell* cell : collide) {
        for (;; ++n) {
            while (!numbers.empty() && *numbers.begin() < n) numbers.erase(numbers.begin());
            if (n > INT16_MAX) return;
            if (!numbers.count(static_cast<int16_t>(n))) break;
        }
        auto* slot = cell->record->slot<XmlPageSlot>(52);
        XML_WARN("Renumbering page from %d to %d", slot->number, n);
        slot->number = static_cast<int16_t>(n);
        slot->numberGiven = true;
        ++n;
    }
}

void Reader::walk(const XmlCell& cell, const std::string& parent, std::span<const int> allowed) {
    if (!XmlCodeInList(cell.code, allowed) || !cell.record) return;
    std::string id = build(cell, parent);
    if (id.empty()) return;
    if (ObjectHandle o = find(id)) EE_UpdateNetFromObject(o);
    walkChildren(cell, id);
}

void Reader::walkChildren(const XmlCell& cell, const std::string& id) {
    const XmlTagRow* row = nullptr;
    for (const auto& r : XmlTagRows())
        if (r.code == cell.code && r.kind == kXmlObjectElement) row = &r;
    if (!row) return;
    for (const auto& child : cell.children) walk(*child, id, row->children);
}

std::string Reader::build(const XmlCell& cell, const std::string& parent) {
    switch (cell.code) {
        case kPage: return page(cell);
        case kPlace: case kTrans: case kLocDecl: case kTempDecl: case kGlobDecl: case kAux: return netNode(cell);
        case kFusion: return fusion(cell, parent);
        case kArc: arcs_.push_back(&cell); return {};
        case kAuxConn: auxConns_.push_back(&cell); return {};
        default: {
            bool known = false;
            regionKindOf(cell.code, &known);
            if (known && cell.code != kPageMode && cell.code != kPgModKey && cell.code != kSubstTag)
                return regionNode(cell, parent);
            return {};
        }
    }
}

// A copy of the text in a memory block of the net layer, which records take
// over with their names.
char* netText(const std::string& text) {
    auto* copy = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(text.size() + 1)));
    if (!copy) XmlFatal();
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// The element's text lines, in file order, appended to the object's text.
// Each line keeps the line end it was read with, so the text comes back as
// it was written.
void appendLines(ObjectHandle object, const XmlCell& cell) {
    for (const auto& line : cell.lines) QXText_AppendText(object, line.text.c_str());
}

std::string Reader::page(const XmlCell& cell) {
    XmlElementRecord& r = *cell.record;
    auto* shape = r.slot<XmlShapeSlot>(46);
    auto* pa = r.slot<XmlPageSlot>(52);
    auto* win = r.slot<XmlWindowSlot>(54);
    auto* fill = r.slot<XmlFillSlot>(42);
    auto* line = r.slot<XmlLineSlot>(41);
    auto* mode = r.slot<XmlModeSlot>(55);
    auto* mult = r.slot<XmlMultSlot>(60);
    const std::string& id = r.own.id;
    if (!shape || !pa || !win || !fill || !line || !mode || !mult) {
        XML_WARN("Page not created (Id: %s).", id.c_str());
        return {};
    }
    ObjectHandle page = QXStr_NewPage(shape->kind == kXmlShapeEllipse ? 2 : 1, 0, 1, win->xpos, win->ypos,
                                      win->width, win->height);
    if (!page) {
        XML_WARN("Page not created (Id: %s).", id.c_str());
        return {};
    }
    uint16_t pageCount = 0;
    ObjectHandle* pages = nullptr;
    QXStr_GetPageList(&pageCount, &pages);
    if (pages) QXMem_Free(pages);
    if (pageCount == 1) {
        SEInitPools();
        EE_NewDiagram(page);
    } else {
        EE_CreateNetPage(page, 1);
    }
    if (!EE_SetModeAttributes(page, !mode->siminc, !mode->observe, !mode->propocc, !mode->execcode, !mode->interact,
                              static_cast<uint16_t>(mult->instances), 1) ||
        !EE_UpdatePageNameRegion(page))
        XML_WARN("Error setting mode attributes for page (id: %s)", id.c_str());
    // The kernel keeps no line attributes of its own for pages and refuses
    // them by kind; only another failure is worth a line in the log.
    if (!QXWtAttr_SetLineAttr(page, static_cast<uint32_t>(line->type), static_cast<int16_t>(line->thick),
                              static_cast<uint32_t>(fill->pattern), pa->visibleBorder) &&
        QXStatus != kStatusNotNodes)
        XML_WARN("Error setting page attributes (id: %s).", id.c_str());
    QXStr_SetPageAttrValue(page, pa->palette);
    Fixed w = 0, h = 0;
    switch (shape->kind) {
        case kXmlShapeBox: case kXmlShapeEllipse: case kXmlShapeRoundedBox: case kXmlShapeWedge:
            w = shape->width;
            h = shape->height;
            break;
        default:
            XML_WARN("It isn't possible to determine pagesize of page (ID: %s) because the shape doesn't contain the "
                     "information.",
                     id.c_str());
            return {};
    }
    if (!QXWtAttr_SetPageAttr(page, pa->name.substr(0, 255).c_str(), static_cast<uint16_t>(pa->number),
                              QXUtil_FixedToInt(w), QXUtil_FixedToInt(h), pa->visibleBorder))
        XML_WARN("Error setting page name (id: %s)", id.c_str());
    else
        EE_PageChangedHook(page, 0, 0, 0, 0, 0);
    if (win->open) openPages_.push_back(page);
    page_ = page;
    return add(id, page) ? id : std::string();
}

ObjectHandle Reader::node(const XmlElementRecord& r, const std::string& id, ObjectHandle page) {
    ObjectHandle made = create(r, id, page);
    if (!made && QXStatus != 0) XML_WARN("Couldn't create node (ID: %s).", id.c_str());
    return made;
}

// A picture's file name from the file is taken only when it stays inside the
// picture folder: relative, without "..", and not leading out through a
// symbolic link. A name with no file behind it is left for the open to
// report.
bool insidePictureFolder(const std::string& folder, const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path relative(name);
    if (name.empty() || relative.is_absolute()) return false;
    for (const fs::path& part : relative)
        if (part == "..") return false;
    std::error_code error;
    const fs::path full = fs::path(folder) / relative;
    if (!fs::exists(full, error)) return true;  // nothing to read there
    const fs::path realFolder = fs::canonical(folder, error);
    if (error) return false;
    const fs::path realFile = fs::canonical(full, error);
    if (error) return false;
    return std::mismatch(realFolder.begin(), realFolder.end(), realFile.begin(), realFile.end()).first ==
           realFolder.end();
}

ObjectHandle Reader::create(const XmlElementRecord& r, const std::string& id, ObjectHandle page) {
    QXStatus = 0;
    if (!page) {
        XML_WARN("Couldn't find current page while creating node (ID%s).", id.c_str());
        return 0;
    }
    auto* shape = const_cast<XmlElementRecord&>(r).slot<XmlShapeSlot>(46);
    auto* pos = const_cast<XmlElementRecord&>(r).slot<XmlPositionSlot>(45);
    if (!shape) return 0;
    Fixed x = pos ? pos->x : 0, y = pos ? pos->y : 0;
    auto convert = [&]() {
        std::vector<FixPoint> out;
        for (FixPoint p : shape->points) out.push_back({p.x, XmlLegacyUnits() ? p.y : -p.y});
        if (out.empty()) XML_WARN("Line/Polygon with no points encountered.");
        return out;
    };
    switch (shape->kind) {
        case kXmlShapeBox: return QXStr_CreateNode(page, x, y, shape->width, shape->height, 1);
        case kXmlShapeEllipse: return QXStr_CreateNode(page, x, y, shape->width, shape->height, 2);
        case kXmlShapeRoundedBox: {
            ObjectHandle n = QXStr_CreateNode(page, x, y, shape->width, shape->height, 4);
            uint32_t c = static_cast<uint32_t>(shape->curvature) << 15;
            if (n && !QXWtAttr_SetRoundedness(n, c, c))
                XML_WARN("Couldn't set box roundedness for node (ID: %s).", id.c_str());
            return n;
        }
        case kXmlShapeWedge: {
            ObjectHandle n = QXStr_CreateNode(page, x, y, shape->width, shape->height, 5);
            if (n && !QXWtAttr_SetWedgeAngles(n, shape->startAngle, shape->extent))
                XML_WARN("Couldn't set Wedge angles for node (ID: %s).", id.c_str());
            return n;
        }
        case kXmlShapePolygon: case kXmlShapeLine: {
            auto out = convert();
            if (out.empty()) return 0;
            return shape->kind == kXmlShapePolygon
                       ? QXStr_CreatePolygon(page, static_cast<uint32_t>(out.size()), out.data())
                       : QXStr_CreateLine(page, static_cast<uint32_t>(out.size()), out.data());
        }
        case kXmlShapeLabel: return QXStr_CreateLabel(page, x, y, 0, 0, "");
        case kXmlShapePicture: {
            if (!insidePictureFolder(XmlPictureBase(), shape->fileName)) {
                XML_WARN("Picture file name refused since it leads out of the picture folder (ID: %s): %s",
                         id.c_str(), shape->fileName.c_str());
                return 0;
            }
            std::string full = XmlPictureBase() + "/" + shape->fileName;
            std::ifstream in(full, std::ios::binary);
            if (!in) {
                XmlShowMessage("could not open file : " + full);
                return 0;
            }
            char head[4] = {1, 1, 1, 1};
            in.read(head, 4);
            bool raw = in.gcount() == 4 && head[0] == 0 && head[1] == 0 && head[2] == 0 && head[3] == 0;
            return raw ? QXStr_LoadPicture(page, x, y, shape->width, shape->height, full.c_str())
                       : QXStr_CreatePicture(page, x, y, shape->width, shape->height, full.c_str());
        }
        default:
            XML_ERROR("Encountered node (ID: %s) with unknown tag", id.c_str());
            return 0;
    }
}

// Position, line and fill, layering, text attributes, flags and colours.
void Reader::attributes(ObjectHandle o, XmlElementRecord& r, const std::string& id) {
    const char* i = id.c_str();
    if (auto* pos = r.slot<XmlPositionSlot>(45))
        if (QXRdAttr_GetObjectType(o) != kQXKindConnector && !QXWtAttr_SetPosition(o, pos->x, pos->y))
            XML_WARN("Couldn't set position of node (ID: %s).", i);
    auto* line = r.slot<XmlLineSlot>(41);
    auto* fill = r.slot<XmlFillSlot>(42);
    if (line && fill &&
        !QXWtAttr_SetLineAttr(o, static_cast<uint32_t>(line->type), static_cast<int16_t>(line->thick),
                              static_cast<uint32_t>(fill->pattern), line->type != 7 || fill->pattern != 0))
        XML_WARN("Couldn't set attributes for node (ID: %s).", i);
    if (auto* ly = r.slot<XmlLayeringSlot>(61))
        if (!QXWtAttr_SetLayeringLogic(o, static_cast<uint32_t>(ly->mode)))
            XML_WARN("Couldn't set layering logic for node (ID:%s).", i);
    auto* text = r.slot<XmlTextSlot>(43);
    if (text) QXText_SetTextAttr(o, text->font, text->size, text->style, text->just);
    if (auto* f = r.slot<XmlFlagsSlot>(44)) {
        bool ok = QXWtAttr_SetFlag(o, 0x400002, f->mask) && QXWtAttr_SetFlag(o, 4, f->omit) &&
                  QXWtAttr_SetFlag(o, 8, f->nobound) && QXWtAttr_SetFlag(o, 128, f->nosizing) &&
                  QXWtAttr_SetFlag(o, 1, !f->visible);
        if (!ok) XML_WARN("Couldn't set flags for node (ID: %s)", i);
    }
    int16_t lc = line ? line->colour : -1, fc = fill ? fill->colour : -1, tc = text ? text->colour : -1;
    QXColor_SetColors(o, lc, fc, tc);
}

std::string Reader::netNode(const XmlCell& cell) {
    XmlElementRecord& r = *cell.record;
    const std::string& id = r.own.id;
    ObjectHandle n = node(r, id, page_);
    if (!n) return {};
    // The text comes first: text attributes need a text to go to.
    appendLines(n, cell);
    attributes(n, r, id);
    if (!add(id, n)) return {};
    switch (cell.code) {
        case kPlace:
            if (!EE_CreateNetPlace(n)) {
                XML_WARN("Couldn't create place (id: %s).", id.c_str());
                remove(id);
                return {};
            }
            // Named by its own text until a name region read later says otherwise.
            EE_TakeNameFromRegion(n);
            if (auto* port = r.slot<XmlPortSlot>(57); port && port->type != 0) {
                SEHead* record = nullptr;
                if (!GE_GetSERecord(n, &record) || !SEMakePort(record, static_cast<uint16_t>(port->type)))
                    XML_WARN("Couldn't set correct port-type for place (id: %s).", id.c_str());
            }
            break;
        case kTrans:
            if (!EE_CreateNetTrans(n)) {
                XML_WARN("Couldn't create transition (id: %s).", id.c_str());
                remove(id);
                return {};
            }
            EE_TakeNameFromRegion(n);
            if (auto* s = r.slot<XmlSubstSlot>(56); s && !s->subpage.empty()) {
                auto* m = r.slot<XmlModeSlot>(55);
                substs_.push_back({id, *s, m ? *m : XmlModeSlot{}});
            }
            break;
        case kLocDecl: case kTempDecl: case kGlobDecl: {
            int sub = cell.code == kLocDecl ? 2 : cell.code == kTempDecl ? 3 : 1;
            if (cell.code == kLocDecl && !page_) {
                XML_WARN("Couldn't get current page while creating local declaration node (ID: %s).", id.c_str());
                QXStr_DeleteObject(n);
                table_.erase(id);
                return {};
            }
            EE_CreateDeclNode(n, cell.code == kLocDecl ? page_ : 0, static_cast<uint16_t>(sub));
            break;
        }
        default: break;
    }
    return id;
}

std::string Reader::regionNode(const XmlCell& cell, const std::string& parent) {
    XmlElementRecord& r = *cell.record;
    const std::string& id = r.own.id;
    ObjectHandle parentObject = find(parent);
    ObjectHandle n = node(r, id, parentObject ? QXStr_GetObjectPage(QXStr_GetBaseObject(parentObject)) : page_);
    if (!n) return {};
    appendLines(n, cell);
    // Regions are placed by their offsets from the parent.
    if (auto* reg = r.slot<XmlRegionSlot>(51); reg && parentObject) {
        Fixed px = 0, py = 0;
        QXRdAttr_GetPosition(parentObject, &px, &py);
        if (auto* pos = r.slot<XmlPositionSlot>(45)) *pos = {px + reg->hoffset, py - reg->voffset};
    }
    attributes(n, r, id);
    if (auto* reg = r.slot<XmlRegionSlot>(51)) {
        uint16_t word = (reg->colorap ? kRegionOwnerColours : 0) | (reg->popup ? kRegionPopupBits : 0) |
                        (reg->sizewp ? kRegionSizeWithOwner : 0);
        bool ok = GE_SetChartTag(n, 0, 0, word) != 0;
        if (ok && reg->sizewp) ok = QXWtAttr_SetFlag(n, kFlagSizeApart, 0) != 0;
        if (!ok) XML_WARN("Couldn't create region attribute for region (ID: %s).", id.c_str());
    }
    if (!add(id, n)) return {};
    bool known = false;
    regions_.push_back({&cell, parent, regionKindOf(cell.code, &known)});
    return id;
}

std::string Reader::fusion(const XmlCell& cell, const std::string& parent) {
    XmlElementRecord& r = *cell.record;
    const std::string& id = r.own.id;
    std::string name = cell.lines.size() == 1 ? cell.lines[0].text : std::string();
    bool legal = !name.empty() && name.size() <= 64 &&
                 std::all_of(name.begin(), name.end(), [](char c) { return c >= 33 && c <= 126; });
    if (!legal) {
        XML_WARN("Fusion name not legal (id: %s)", id.c_str());
        return {};
    }
    SEHead* pageRecord = nullptr;
    bool global = r.own.fusionType == 1;
    if (!global && (!page_ || !GE_GetSERecord(page_, &pageRecord) || !pageRecord)) {
        XML_WARN("Couldn't find current page");
        return {};
    }
    auto* sePage = reinterpret_cast<SEPage*>(pageRecord);
    auto type = static_cast<uint16_t>(r.own.fusionType);
    if (!SECheckFusName(6, type, name.c_str(), global ? nullptr : sePage)) {
        SEHead* set = SEFindFusSet(name.c_str(), 6, global ? nullptr : sePage);
        if (!set) {
            XML_WARN("Couldn't find already created fusion set: %s (id: %s)", name.c_str(), id.c_str());
            return {};
        }
        if (set->subKind != type) {
            XML_WARN("Existing fusion %s has different type (ID: %s)", name.c_str(), id.c_str());
            return {};
        }
    } else {
        SEPlaceFusSet* set = SECreatePlaceFusSet(type, global ? nullptr : sePage);
        // The record takes the name over as a memory block of its own.
        if (set) SESetName(&set->head, netText(name));
    }
    return regionNode(cell, parent);
}

void Reader::convertRegion(const Deferred& d) {
    const std::string& id = d.cell->record->own.id;
    ObjectHandle parent = find(d.parent);
    if (!parent) {
        XML_WARN("Unable to create region (ID: %s) due to non-existing parent (ID: %s).", id.c_str(),
                 d.parent.c_str());
        remove(id);
        return;
    }
    ObjectHandle region = find(id);
    if (!region) {
        XML_WARN("Unable to find region (ID: %s) in table", id.c_str());
        return;
    }
    if (!QXStr_GetObjectPage(region)) {
        XML_WARN("Couldn't get page related to region (ID: %s).", id.c_str());
        return;
    }
    if (d.cell->code == kFusion) {
        std::string name = d.cell->lines.empty() ? std::string() : d.cell->lines[0].text.substr(0, 64);
        SEHead* base = nullptr;
        SEHead* pageRecord = nullptr;
        GE_GetSERecord(QXStr_GetObjectPage(QXStr_GetBaseObject(parent)), &pageRecord);
        bool global = d.cell->record->own.fusionType == 1;
        SEHead* set = SEFindFusSet(name.c_str(), 6, global ? nullptr : reinterpret_cast<SEPage*>(pageRecord));
        if (!set || !GE_GetSERecord(QXStr_GetBaseObject(parent), &base) || !SEAddFusMem(set, base)) {
            XML_WARN("Couldn't add place (ID: %d) to fusion %s", static_cast<int>(QXStr_GetBaseObject(parent)),
                     name.c_str());
            remove(id);
            return;
        }
    }
    uint16_t count = 0;
    ObjectHandle* conns = nullptr;
    QXStr_GetObjectConnList(region, &count, &conns);
    struct Ends { ObjectHandle conn, b1, a1, b2, a2; };
    std::vector<Ends> noted;
    for (uint16_t i = 0; conns && i < count; ++i) {
        Ends e{conns[i], 0, 0, 0, 0};
        QXRdAttr_GetConnEnds(e.conn, 0, &e.b1, &e.b2);
        QXRdAttr_GetConnEnds(e.conn, 1, &e.a1, &e.a2);
        noted.push_back(e);
    }
    if (conns) QXMem_Free(conns);
    ObjectHandle temp = 0;
    if (!noted.empty()) {
        temp = QXStr_CreateNode(QXStr_GetObjectPage(region), 100, 100, 100000, 100000, 1);
        for (const Ends& e : noted) QXWtAttr_SetConnEnds(e.conn, temp, temp, temp, temp);
    }
    bool ok = GE_AttachRegion(parent, region, d.kind) != 0;
    if (!ok) {
        XML_WARN("Unable to convert auxiliary node into region (ID: %s)", id.c_str());
        remove(id);
    }
    for (const Ends& e : noted) {
        ObjectHandle r1 = e.a1 == region && !ok ? 0 : e.a1, r2 = e.a2;
        if (!QXWtAttr_SetConnEnds(e.conn, e.b1, r1, e.b2, r2)) XML_WARN("Unable to reconnect connector");
    }
    if (temp) QXStr_DeleteObject(temp);
    if (!ok) return;
    uint32_t parentKind = 0;
    if (QXRdAttr_GetObjectType(parent) == kQXKindRegion && QXRdAttr_GetRegionKind(parent, &parentKind) &&
        GE_IsKeyRegionKind(static_cast<int32_t>(parentKind)) &&
        d.kind == GE_BaseRegionKind(static_cast<int32_t>(parentKind))) {
        auto* f = d.cell->record->slot<XmlFlagsSlot>(44);
        if (f && (!f->mask || !f->omit)) GE_ClearObjectFlags(region);
        else GE_RefreshObjectFlags(region);
    }
    EE_UpdateNetFromObject(region);
}

// Connector points: the interior corners with an end point slot before and
// after them, y negated unless the file is a legacy one.
void setConnPoints(ObjectHandle conn, const XmlShapeSlot& shape) {
    std::vector<FixPoint> pts;
    pts.push_back({});
    for (FixPoint p : shape.points) pts.push_back({p.x, XmlLegacyUnits() ? p.y : -p.y});
    pts.push_back({});
    if (pts.size() <= kMaxConnPoints) QXWtAttr_SetConnPoints(conn, static_cast<uint32_t>(pts.size()), pts.data());
    QXWtAttr_SetConnHidden(conn, static_cast<uint32_t>(shape.curvature) << 15);
}

void Reader::connectorLook(ObjectHandle conn, XmlElementRecord& r, const std::string& id, bool isArc) {
    const char* i = id.c_str();
    auto* line = r.slot<XmlLineSlot>(41);
    auto* fill = r.slot<XmlFillSlot>(42);
    auto* f = r.slot<XmlFlagsSlot>(44);
    if (isArc && f && !f->visible && !GE_RefreshObjectFlags(conn)) XML_WARN("Unable to hide arc (ID: %s).", i);
    if (line && fill &&
        !QXWtAttr_SetLineAttr(conn, static_cast<uint32_t>(line->type), static_cast<int16_t>(line->thick),
                              static_cast<uint32_t>(fill->pattern), line->type != 7 || fill->pattern != 0))
        XML_WARN(isArc ? "Unable to set attributes for arc (ID: %s)." : "Couldn't set attributes for connector (ID: %s)",
                 i);
    auto* text = r.slot<XmlTextSlot>(43);
    if (text) QXText_SetTextAttr(conn, text->font, text->size, text->style, text->just);
    if (f) {
        bool ok = QXWtAttr_SetFlag(conn, 0x400002, f->mask) && QXWtAttr_SetFlag(conn, 4, f->omit) &&
                  QXWtAttr_SetFlag(conn, 8, f->nobound) && QXWtAttr_SetFlag(conn, 128, f->nosizing);
        if (!ok) XML_WARN(isArc ? "Couldn't set flags for arc (ID: %s)." : "Couldn't set flags for connector (ID: %s).", i);
    }
    QXColor_SetColors(conn, line ? line->colour : -1, fill ? fill->colour : -1, text ? text->colour : -1);
    if (auto* ly = r.slot<XmlLayeringSlot>(61); ly && !QXWtAttr_SetLayeringLogic(conn, static_cast<uint32_t>(ly->mode)))
        XML_WARN(isArc ? "Couldn't set layering logic for node (ID:%s)." : "Couldn't set layering logic  for connector (ID: %s).", i);
}

void Reader::arc(const XmlCell& cell) {
    XmlElementRecord& r = *cell.record;
    const std::string& id = r.own.id;
    const char* i = id.c_str();
    auto* pe = r.slot<XmlEndSlot>(47);
    auto* te = r.slot<XmlEndSlot>(48);
    if (!pe || !te || pe->idref.empty() || te->idref.empty()) {
        XML_WARN("Couldn't create arc (ID: %s) due to NULL endpoint.", i);
        return;
    }
    ObjectHandle a = find(pe->idref), b = find(te->idref);
    ObjectHandle page = a ? QXStr_GetObjectPage(a) : 0;
    if (!page) {
        XML_WARN("Couldn't find current page when creating arc (ID: %s)", i);
        return;
    }
    if (!b) {
        XML_WARN("Couldn't create arc (ID: %s), because node with ID %s didn't exist.", i, te->idref.c_str());
        return;
    }
    uint16_t ka = 0, kb = 0, sub = 0;
    SEHead* rec = nullptr;
    EE_GetObjectKind(a, &ka, &sub, &rec);
    EE_GetObjectKind(b, &kb, &sub, &rec);
    if (!((ka == kNetPlace && kb == kNetTrans) || (ka == kNetTrans && kb == kNetPlace))) {
        XML_WARN("Couldn't create arc (ID: %s) because endpoint(s) had wrong type.", i);
        return;
    }
    bool swapped = ka == kNetTrans;
    ObjectHandle place = swapped ? b : a, trans = swapped ? a : b;
    const XmlEndSlot& placeEnd = swapped ? *te : *pe;
    const XmlEndSlot& transEnd = swapped ? *pe : *te;
    ObjectHandle conn = QXStr_CreateConnector(page, place, trans);
    if (!conn) {
        XML_WARN("Couldn't create auxilary representation of arc (ID: %s)", i);
        return;
    }
    if (r.own.orientation >= 0 && !QXWtAttr_SetDirection(conn, static_cast<uint32_t>(r.own.orientation)))
        XML_WARN("Couldn't set right direction for arc (ID: %s).", i);
    if (auto* c = r.slot<XmlConnSlot>(53)) {
        bool same = false;
        for (int attempt = 0; attempt < 100 && !same; ++attempt) {
            if (!QXWtAttr_SetConnAttr(conn, static_cast<int16_t>(c->headWidth), static_cast<int16_t>(c->headHeight), 20,
                                      c->textWidth, c->textHeight))
                break;
            int16_t hw = 0, hh = 0, tw = 0, th = 0;
            int32_t sc = 0;
            same = QXRdAttr_GetConnAttr(conn, &hw, &hh, &sc, &tw, &th) && tw == c->textWidth && th == c->textHeight;
        }
        if (!same) XML_WARN("Couldn't set text/arrow width & height for arc (ID: %s).", i);
    }
    if (!EE_CreateNetArc(conn)) {
        XML_WARN("Couldn't convert graphical object into arc (ID: %s).", i);
        QXStr_DeleteObject(conn);
        return;
    }
    if (!placeEnd.endpoint.empty() || !transEnd.endpoint.empty())
        endPoints_.push_back({conn, placeEnd.idref, placeEnd.endpoint.empty() ? placeEnd.idref : placeEnd.endpoint,
                              transEnd.idref, transEnd.endpoint.empty() ? transEnd.idref : transEnd.endpoint});
    auto* shape = r.slot<XmlShapeSlot>(46);
    if (!shape || shape->kind != kXmlShapeSegConn) {
        XML_ERROR("Unknown shape while creating arc (ID: %s).", i);
        return;
    }
    setConnPoints(conn, *shape);
    appendLines(conn, cell);
    connectorLook(conn, r, id, true);
    if (!add(id, conn)) return;
    EE_UpdateNetFromObject(conn);
    // The arc's regions join the region pass that follows.
    walkChildren(cell, id);
}

void Reader::auxConn(const XmlCell& cell) {
    XmlElementRecord& r = *cell.record;
    const std::string& id = r.own.id;
    const char* i = id.c_str();
    auto* n1 = r.slot<XmlEndSlot>(49);
    auto* n2 = r.slot<XmlEndSlot>(50);
    std::string e1 = n1 ? (n1->endpoint.empty() ? n1->idref : n1->endpoint) : std::string();
    std::string e2 = n2 ? (n2->endpoint.empty() ? n2->idref : n2->endpoint) : std::string();
    if (e1.empty() || e2.empty()) {
        XML_ERROR("Couldn't create auxiliary connector (ID: %s) due to NULL endpoint(s).", i);
        return;
    }
    ObjectHandle a = find(n1->idref);
    ObjectHandle page = a ? QXStr_GetObjectPage(QXStr_GetBaseObject(a)) : 0;
    if (!page) {
        XML_WARN("Couldn't get current page while creating connector (ID: %s)", i);
        return;
    }
    ObjectHandle conn = QXStr_CreateConnector(page, find(e1), find(e2));
    if (!find(e1) || !find(e2) || !conn) {
        XML_WARN("Couldn't create auxiliary connector (ID: %s).", i);
        return;
    }
    if (r.own.orientation >= 0 && !QXWtAttr_SetDirection(conn, static_cast<uint32_t>(r.own.orientation)))
        XML_WARN("Couldn't set orientation of connector (ID: %s).", i);
    auto* shape = r.slot<XmlShapeSlot>(46);
    if (!shape || shape->kind != kXmlShapeSegConn) {
        XML_ERROR("Auxiliary connector (ID: %s) has wrong shape.", i);
        return;
    }
    setConnPoints(conn, *shape);
    if (auto* c = r.slot<XmlConnSlot>(53))
        QXWtAttr_SetConnAttr(conn, static_cast<int16_t>(c->headWidth), static_cast<int16_t>(c->headHeight), 20,
                                 c->textWidth, c->textHeight);
    appendLines(conn, cell);
    connectorLook(conn, r, id, false);
    if (!add(id, conn)) return;
    EE_UpdateNetFromObject(conn);
    walkChildren(cell, id);
}

void Reader::endPoints(const EndPoints& e) {
    ObjectHandle place = find(e.place), pe = find(e.placeEnd), trans = find(e.trans), te = find(e.transEnd);
    auto fits = [](ObjectHandle node, ObjectHandle end) {
        if (!node || !end || QXStr_GetBaseObject(end) != node) return false;
        uint32_t kind = 0;
        return end == node || (QXRdAttr_GetRegionKind(end, &kind) && static_cast<int32_t>(kind) == -2);
    };
    if (!fits(place, pe) || !fits(trans, te) || !QXWtAttr_SetConnEnds(e.arc, place, pe, trans, te))
        XML_WARN("Couldn't set endpoints (IDs: %s, %s) for nodes (IDs: %s, %s)", e.placeEnd.c_str(),
                 e.transEnd.c_str(), e.place.c_str(), e.trans.c_str());
}

void Reader::substitution(const Substitution& s) {
    ObjectHandle trans = find(s.transition), subpage = find(s.subst.subpage);
    SEHead* record = nullptr;
    if (!trans || !subpage || !GE_GetSERecord(trans, &record) || !record || !SEMakeCompound(record, 6)) {
        XML_WARN("Couldn't make transition (ID: %s) into a substitution transition", s.transition.c_str());
        return;
    }
    const XmlModeSlot& m = s.mode;
    if (!EE_SetModeAttributes(trans, !m.siminc, !m.observe, !m.propocc, !m.execcode, !m.interact, 0, 1))
        XML_WARN("Unable to set mode attributes for substitution transistion (ID: %s)", s.transition.c_str());
    if (!EE_AssignSubpage(trans, subpage, 0)) {
        XML_WARN("Couldn't link transition (ID: %s) to subpage (ID: %s", s.transition.c_str(), s.subst.subpage.c_str());
        SEUnmakeCompound(record);
        return;
    }
    for (const auto& [port, socket] : s.subst.pairs) {
        ObjectHandle p = find(port), k = find(socket);
        if (!p || !k || !EE_AssignPort(trans, k, p))
            XML_WARN("Couldn't make portsocket-assignment for port/sockpair (%s, %s) while updating transition (ID: %s)",
                     port.c_str(), socket.c_str(), s.transition.c_str());
    }
    PGAddRelation(trans);
}

void Reader::workOff() {
    for (const XmlCell* c : auxConns_) auxConn(*c);
    for (const XmlCell* c : arcs_) arc(*c);
    for (const Deferred& d : regions_) convertRegion(d);
    for (auto it = substs_.rbegin(); it != substs_.rend(); ++it) substitution(*it);
    for (auto it = endPoints_.rbegin(); it != endPoints_.rend(); ++it) endPoints(*it);
    auxConns_.clear();
    arcs_.clear();
    regions_.clear();
    substs_.clear();
    endPoints_.clear();
}

// Attributes of an existing object of the hierarchy page.
std::string Reader::hierChild(const XmlCell& cell, const std::string& parent) {
    XmlElementRecord& r = *cell.record;
    const std::string& id = r.own.id;
    ObjectHandle object = 0;
    switch (cell.code) {
        case kPageNode: {
            ObjectHandle page = find(r.own.pageRef);
            object = page ? PGFindPageNode(page) : 0;
            break;
        }
        case kPgModKey: case kPageMode: case kSubstTag: {
            ObjectHandle owner = find(parent);
            const char* missing = cell.code == kPgModKey ? "Unable to find page node with ID: %s."
                                  : cell.code == kPageMode ? "Unable to find pagemode key region with ID: %s."
                                                           : "Unable to find page connector with ID: %s.";
            if (!owner) {
                XML_WARN(missing, parent.c_str());
                return {};
            }
            int32_t kind = cell.code == kPgModKey ? GE_KeyRegionKind(4109) : cell.code == kPageMode ? 4109 : 4119;
            if (!GE_GetRegion(owner, kind, &object) || !object) {
                XML_WARN(cell.code == kPgModKey ? "Unable to find page mode key region corresponding to ID: %s"
                         : cell.code == kPageMode ? "Unable to find page mode region corresponding to ID: %s"
                                                  : "Unable to find substitution tag region corresponding to ID: %s",
                         id.c_str());
                return {};
            }
            break;
        }
        case kSubstCon: {
            auto* sup = r.slot<XmlPageEndSlot>(58);
            auto* sub = r.slot<XmlPageEndSlot>(59);
            ObjectHandle a = sup ? find(sup->idref) : 0, b = sub ? find(sub->idref) : 0;
            object = a && b ? PGFindArc(a, b, kPGSubstitutionArc) : 0;
            if (!object) return {};
            auto* shape = r.slot<XmlShapeSlot>(46);
            if (!shape || shape->kind != kXmlShapeSegConn) {
                XML_ERROR("Auxiliary connector (ID: %s) has wrong shape.", id.c_str());
                return {};
            }
            setConnPoints(object, *shape);
            if (auto* c = r.slot<XmlConnSlot>(53))
                QXWtAttr_SetConnAttr(object, static_cast<int16_t>(c->headWidth), static_cast<int16_t>(c->headHeight), 20,
                                     c->textWidth, c->textHeight);
            connectorLook(object, r, id, false);
            return add(id, object) ? id : std::string();
        }
        default: return build(cell, parent);
    }
    if (!object) return {};
    // The object takes its shape from a model node built from the record,
    // which goes again right after.
    if (ObjectHandle model = node(r, id, QXStr_GetObjectPage(QXStr_GetBaseObject(object)))) {
        QXUI_CopyShape(&object, 1, model, 1);
        EE_DeleteNetObject(model);
        if (QXStr_IsObject(model)) QXStr_DeleteObject(model);
    }
    attributes(object, r, id);
    return add(id, object) ? id : std::string();
}

void Reader::hierPage(const XmlCell& cell) {
    XmlElementRecord& r = *cell.record;
    const std::string& id = r.own.id;
    ObjectHandle page = PGGetHierarchyPage();
    auto* win = r.slot<XmlWindowSlot>(54);
    auto* pa = r.slot<XmlPageSlot>(52);
    auto* shape = r.slot<XmlShapeSlot>(46);
    if (!page || !win || !pa) {
        XML_WARN("Window size/position not set for hierarchy page (Id: %s).", id.c_str());
        return;
    }
    if (win->xpos != -1 || win->width != -1) {
        FixRect rect{QXUtil_IntToFixed(win->xpos), QXUtil_IntToFixed(win->ypos),
                     QXUtil_IntToFixed(win->xpos + win->width), QXUtil_IntToFixed(win->ypos + win->height)};
        Model_SetField(page, static_cast<FieldId>(52), &rect);
    }
    auto* line = r.slot<XmlLineSlot>(41);
    auto* fill = r.slot<XmlFillSlot>(42);
    if (line && fill &&
        !QXWtAttr_SetLineAttr(page, static_cast<uint32_t>(line->type), static_cast<int16_t>(line->thick),
                              static_cast<uint32_t>(fill->pattern), pa->visibleBorder) &&
        QXStatus != kStatusNotNodes)
        XML_WARN("Error setting page attributes (id: %s).", id.c_str());
    QXStr_SetPageAttrValue(page, pa->palette);
    if (!shape || (shape->kind != kXmlShapeBox && shape->kind != kXmlShapeEllipse)) {
        XML_WARN("Trying to create page which shape is neither ellipsenor box. (ID: %s)", id.c_str());
    } else if (!QXWtAttr_SetPageAttr(page, pa->name.substr(0, 255).c_str(), static_cast<uint16_t>(pa->number),
                                     QXUtil_FixedToInt(shape->width), QXUtil_FixedToInt(shape->height),
                                     pa->visibleBorder)) {
        XML_WARN("Error setting page name (id: %s)", id.c_str());
    }
    if (win->open) openPages_.push_back(page);
    page_ = page;
    if (!add(id, page)) return;
    std::function<void(const XmlCell&, const std::string&, int)> walkHier = [&](const XmlCell& c,
                                                                                const std::string& parent, int code) {
        std::span<const int> allowed;
        for (const auto& row : XmlTagRows())
            if (row.code == code && row.kind == kXmlObjectElement) allowed = row.children;
        if (!XmlCodeInList(c.code, allowed) || !c.record) return;
        std::string childId = hierChild(c, parent);
        if (childId.empty()) return;
        for (const auto& grand : c.children) walkHier(*grand, childId, c.code);
    };
    for (const auto& child : cell.children) walkHier(*child, id, kHierPage);
    // Regions and connectors queued inside the hierarchy page are built now.
    workOff();
}

void Reader::extract(XmlCell& root) {
    if (root.record)
        if (auto* g = root.record->slot<XmlGeneratorSlot>(kXmlGeneratorCode)) XmlSetCurrentGenerator(*g);
    std::unique_ptr<XmlCell> hier;
    for (auto it = root.children.begin(); it != root.children.end(); ++it)
        if ((*it)->code == kHierPage) {
            hier = std::move(*it);
            root.children.erase(it);
            break;
        }
    renumber(root);
    for (const auto& child : root.children) walk(*child, std::string(), XmlRootChildren());
    if (!root.children.empty()) workOff();
    if (hier && hier->record) hierPage(*hier);
    if (hier) root.children.insert(root.children.begin(), std::move(hier));
    if (openPages_.empty()) {
        QXStr_SetCurPage(PGGetHierarchyPage());
    } else {
        for (auto it = openPages_.rbegin(); it != openPages_.rend(); ++it) QXWin_OpenPage(*it);
    }
}

}  // namespace

void INT_Extract(XmlCell& root) {
    Reader reader;
    reader.extract(root);
}

int XmlLoadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        XmlShowMessage("Unable to open\n" + path + "\nfor reading.");
        return 0;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    in.close();
    XmlLogSetName(path);
    auto slash = path.find_last_of('/');
    XmlSetPictureBase(slash == std::string::npos ? std::string(".") : path.substr(0, slash));
    int32_t cursor = EE_BeginBusy("Loading file...");
    int result = 1;
    XmlScanner scanner(buffer.str());
    std::vector<XmlItem> items;
    if (XmlParse(scanner, items) != 0) {
        result = -1;
    } else if (!items.empty()) {
        XmlTagLookup lookup;
        if (auto root = XmlBuildTree(items, lookup)) {
            XmlApplyOptions(*root);
            if (!root->children.empty()) INT_Extract(*root);
        }
    }
    EE_EndBusy(cursor);
    XmlLogFinish();
    return result;
}

int INT_LoadXML() {
    std::string path;
    if (!XmlSelectFile("Load XML from : ", "OK", &path)) return 1;
    return XmlLoadFile(path) < 0 ? -1 : 1;
}
