// The defaults builders of the reader's elements: built-in defaults of the
// element's net kind where the net editor keeps them, fixed values elsewhere;
// and the generator state that the millimetre conversion consults.
#include "Interchange/XmlRecords.h"

#include "Interchange/XmlFormat.h"
#include "Interchange/XmlLog.h"
#include "atolq/CEditor/Defaults.h"

#include <algorithm>
#include <array>

namespace {

constexpr uint32_t kBuiltInLevel = 5;
constexpr uint32_t kDiagramLevel = 3;

// Which record types the node and region builders make.
enum RecordType { kRegion = 0, kDeclaration = 1, kFusionRegion = 3, kTransition = 4, kPlace = 5, kPageNode = 6 };

struct NodeKey {
    int code;
    int32_t key;
    RecordType type;
};

constexpr NodeKey kNodeKeys[] = {
    {1, 3, kPlace},       {21, 3, kPlace},       {5, 4, kTransition},  {20, 6, kDeclaration},
    {19, 7, kDeclaration}, {18, 8, kDeclaration}, {32, 11, kPageNode}, {30, 16, kRegion},
    {23, 19, kRegion},    {24, 19, kRegion},     {25, 20, kRegion},    {2, 49, kRegion},
    {3, 50, kRegion},     {4, 51, kRegion},      {13, 52, kRegion},    {12, 53, kRegion},
    {15, 54, kFusionRegion}, {14, 55, kRegion},  {6, 57, kRegion},     {8, 58, kRegion},
    {7, 59, kRegion},     {17, 61, kRegion},     {34, 62, kRegion},    {33, 63, kRegion},
    {10, 64, kRegion},    {9, 65, kRegion},      {29, 66, kRegion},    {28, 67, kRegion},
    {27, 70, kRegion},    {26, 71, kRegion},     {36, 72, kRegion},    {11, 78, kRegion},
};

struct GeneratorState {
    bool active = false;
    int32_t tool = 1;
    double version = -1.0;
};
GeneratorState& generator() {
    static GeneratorState state;
    return state;
}

XmlSlot emptySlot(int attributeCode) {
    switch (attributeCode) {
        case 41: return XmlLineSlot{};
        case 42: return XmlFillSlot{};
        case 43: return XmlTextSlot{};
        case 44: return XmlFlagsSlot{};
        case 45: return XmlPositionSlot{};
        case 46: return XmlShapeSlot{};
        case 47: case 48: case 49: case 50: return XmlEndSlot{};
        case 51: return XmlRegionSlot{};
        case 52: return XmlPageSlot{};
        case 53: return XmlConnSlot{};
        case 54: return XmlWindowSlot{};
        case 55: return XmlModeSlot{};
        case 56: return XmlSubstSlot{};
        case 57: return XmlPortSlot{};
        case 58: case 59: return XmlPageEndSlot{};
        case 60: return XmlMultSlot{};
        case 61: return XmlLayeringSlot{};
        case 62: return XmlGeneratorSlot{};
        default: return std::monostate{};
    }
}

std::unique_ptr<XmlElementRecord> emptyRecord(int code) {
    auto record = std::make_unique<XmlElementRecord>();
    record->code = code;
    for (int attributeCode : XmlAllowedAttributes(code)) record->slots.push_back(emptySlot(attributeCode));
    return record;
}

// The defaults record of a net object kind, words numbered from 0: 1 mask,
// 2 drawing function, 3 line width, 4 line colour, 5 fill colour, 7 line
// style, 8 fill pattern, 9 text style, 10 justification, 11 font, 12 scroll
// bar, 13 text size, 14 shape kind, 15 to 19 shape data, 22 and 23 region
// offsets (interface units), 26 region bits.
struct NetObjectDefaults {
    std::array<int32_t, kDefAttributeWords> words{};
    int32_t word(int n) const { return n >= 0 && n < static_cast<int>(kDefAttributeWords) ? words[n] : 0; }
};

NetObjectDefaults readDefaults(int32_t key) {
    NetObjectDefaults d;
    if (!DefGetByKey(key, d.words.data(), kBuiltInLevel)) d = NetObjectDefaults{};
    return d;
}

Fixed pixelsToFixed(int32_t pixels) {
    int64_t v = static_cast<int64_t>(pixels) * 0x8000;
    return static_cast<Fixed>(std::clamp<int64_t>(v, kFixedMinusInfinity, kFixedPlusInfinity));
}

// The shape of a defaults record (kind in word 14, data in words 15 to 18).
XmlShapeSlot shapeFromDefaults(const NetObjectDefaults& d) {
    XmlShapeSlot shape;
    switch (d.word(14)) {
        case 1: shape.kind = kXmlShapeBox; break;
        case 2: shape.kind = kXmlShapeEllipse; break;
        case 3: shape.kind = kXmlShapePolygon; return shape;
        case 4: shape.kind = kXmlShapeRoundedBox; shape.curvature = d.word(17) >> 15; break;
        case 5: shape.kind = kXmlShapeWedge; shape.startAngle = d.word(17); shape.extent = d.word(18); break;
        case 7: shape.kind = kXmlShapeLine; return shape;
        case 20: shape.kind = kXmlShapeSegConn; return shape;
        case 37: shape.kind = kXmlShapeLabel; return shape;
        default: return shape;
    }
    shape.height = d.word(15);
    shape.width = d.word(16);
    return shape;
}

// Fills the graphic slots common to nodes, regions and connectors.
void fillCommon(XmlElementRecord& r, const NetObjectDefaults& d) {
    if (auto* s = r.slot<XmlShapeSlot>(46)) *s = shapeFromDefaults(d);
    if (auto* f = r.slot<XmlFillSlot>(42)) *f = {d.word(8), static_cast<int16_t>(d.word(5))};
    if (auto* l = r.slot<XmlLineSlot>(41)) *l = {d.word(7), d.word(3), static_cast<int16_t>(d.word(4))};
    if (auto* t = r.slot<XmlTextSlot>(43)) {
        t->font = static_cast<int16_t>(d.word(11));
        t->size = d.word(13);
        t->style = static_cast<uint16_t>(d.word(9));
        t->just = static_cast<int16_t>(d.word(10));
        t->scrollBar = d.word(12) != 0;
    }
    if (auto* fl = r.slot<XmlFlagsSlot>(44)) *fl = {d.word(1) == 0, false, false, false, true};
    if (auto* ly = r.slot<XmlLayeringSlot>(61)) ly->mode = d.word(2);
}

std::unique_ptr<XmlElementRecord> nodeRegionDefaults(int code, int32_t key, RecordType type) {
    auto r = emptyRecord(code);
    NetObjectDefaults d = readDefaults(key);
    fillCommon(*r, d);
    if (auto* region = r->slot<XmlRegionSlot>(51)) {
        int32_t bits = d.word(26);
        region->colorap = (bits & 8) != 0;
        region->sizewp = (bits & 4) != 0;
        region->popup = (bits & 3) != 0;
        region->hoffset = pixelsToFixed(d.word(22));
        region->voffset = pixelsToFixed(d.word(23));
    }
    if (type == kFusionRegion) r->own.fusionType = 1;
    return r;
}

// The end-point region: a 5-pixel square without a visible line.
std::unique_ptr<XmlElementRecord> endPointDefaults() {
    auto r = nodeRegionDefaults(24, 19, kRegion);
    XmlShapeSlot box;
    box.kind = kXmlShapeBox;
    box.height = box.width = 0x28000;
    *r->slot<XmlShapeSlot>(46) = box;
    *r->slot<XmlPositionSlot>(45) = {};
    *r->slot<XmlFillSlot>(42) = {0, 0};
    *r->slot<XmlLineSlot>(41) = {7, 0, 0};
    *r->slot<XmlFlagsSlot>(44) = {false, false, false, false, true};
    return r;
}

std::unique_ptr<XmlElementRecord> connectorDefaults(int code, int32_t key) {
    auto r = emptyRecord(code);
    NetObjectDefaults d = readDefaults(key);
    fillCommon(*r, d);
    int32_t kind = d.word(14);
    if (kind != 20 && kind != 21 && kind != 22) XML_ERROR("Unknown shape for connector");
    if (auto* c = r->slot<XmlConnSlot>(53)) {
        c->headHeight = d.word(15);
        c->headWidth = d.word(16);
        c->textWidth = static_cast<int16_t>(d.word(18));
        c->textHeight = static_cast<int16_t>(d.word(19));
    }
    return r;
}

std::unique_ptr<XmlElementRecord> pageDefaults(int code) {
    auto r = emptyRecord(code);
    uint16_t height = 0, width = 0;
    uint32_t palette = 0, border = 0;
    char name[257] = {};
    if (!DefGetPageTitle(&width, &height, &palette, &border, name, kDiagramLevel)) name[0] = '\0';
    name[256] = '\0';
    XmlShapeSlot box;
    box.kind = kXmlShapeBox;
    box.height = pixelsToFixed(height);
    box.width = pixelsToFixed(width);
    *r->slot<XmlShapeSlot>(46) = box;
    auto* page = r->slot<XmlPageSlot>(52);
    page->name = name;
    page->visibleBorder = border != 0;
    page->palette = palette != 0;
    return r;
}

}  // namespace

XmlElementRecord::~XmlElementRecord() {
    if (code == kXmlRootCode) generator() = GeneratorState{};
}

std::unique_ptr<XmlElementRecord> XmlBuildDefaults(int code) {
    switch (code) {
        case kXmlRootCode: return emptyRecord(code);
        case 0: case 31: return pageDefaults(code);
        case 16: return connectorDefaults(code, 5);
        case 22: return connectorDefaults(code, 18);
        case 35: return connectorDefaults(code, 12);
        case 24: return endPointDefaults();
        default: break;
    }
    for (const auto& k : kNodeKeys) {
        if (k.code == code) return nodeRegionDefaults(code, k.key, k.type);
    }
    return nullptr;
}

void XmlResetShape(XmlSlot& slot, const std::string& tag) {
    struct ShapeTag {
        std::string_view tag;
        XmlShapeKind kind;
        int32_t key;  // 0: no data
    };
    static constexpr ShapeTag kShapes[] = {
        {"box", kXmlShapeBox, 19},           {"picture", kXmlShapePicture, 19}, {"ellipse", kXmlShapeEllipse, 21},
        {"poly", kXmlShapePolygon, 22},      {"line", kXmlShapeLine, 18},       {"wedge", kXmlShapeWedge, 24},
        {"rbox", kXmlShapeRoundedBox, 20},   {"seg-conn", kXmlShapeSegConn, 18}, {"label", kXmlShapeLabel, 0},
    };
    XmlShapeSlot shape;
    for (const auto& s : kShapes) {
        if (s.tag != tag) continue;
        shape.kind = s.kind;
        if (s.key != 0 && s.kind != kXmlShapePolygon && s.kind != kXmlShapeLine && s.kind != kXmlShapeSegConn) {
            NetObjectDefaults d = readDefaults(s.key);
            shape.height = d.word(15);
            shape.width = d.word(16);
            if (s.kind == kXmlShapeRoundedBox) shape.curvature = d.word(17) >> 15;
            if (s.kind == kXmlShapeWedge) {
                shape.startAngle = d.word(17);
                shape.extent = d.word(18);
            }
        }
    }
    slot = std::move(shape);
}

bool XmlLegacyUnits() {
    const auto& g = generator();
    return g.active && g.tool == 0 && g.version >= 3.1 && g.version <= 3.2;
}

Fixed XmlReadMm(const std::string& value) {
    double mm = XmlParseDouble(value);
    if (XmlLegacyUnits()) mm /= 10.0;
    return XmlMmToFixed(mm);
}

// Makes the generator slot the one that the millimetre conversion consults.
void XmlSetCurrentGenerator(const XmlGeneratorSlot& slot) {
    generator() = GeneratorState{true, slot.tool, slot.versionNumber};
}
