// The option parsers of the reader: one attribute (name, value, line) of an
// attribute element into its slot, or of an object element into its own part.
// Names and keyword values compare without regard to case.
#include "Interchange/XmlFormat.h"
#include "Interchange/XmlLog.h"
#include "Interchange/XmlRecords.h"

#include <cstring>

namespace {

bool is(const XmlOption& o, std::string_view name) { return XmlEqualNoCase(o.name, name); }

template <class T>
void assignIf(T& field, const std::optional<T>& value) {
    if (value) field = *value;
}

void unknownPosition(const XmlOption& o) {
    XML_WARN("Line: %i: unknown option '%s' in position attribute\n", o.line, o.name.c_str());
}

// "(x,y)(x,y)...": pieces between parentheses, read until the first piece
// without a comma; the value's comma count is the number of points expected.
std::vector<FixPoint> parsePoints(const std::string& value) {
    std::vector<FixPoint> points;
    int expected = XmlCountChar(value, ',');
    if (expected == 0) return points;
    std::string_view rest(value);
    while (!rest.empty()) {
        size_t start = rest.find_first_not_of("()");
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        size_t end = rest.find_first_of("()");
        std::string_view piece = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
        if (piece.find(',') == std::string_view::npos) break;
        std::string_view after;
        auto x = XmlScanDouble(piece, &after);
        if (!x || after.empty() || after[0] != ',') continue;
        auto y = XmlScanDouble(after.substr(1));
        if (!y) continue;
        double scale = XmlLegacyUnits() ? 10.0 : 1.0;
        points.push_back({XmlMmToFixed(static_cast<float>(*x) / scale), XmlMmToFixed(static_cast<float>(*y) / scale)});
    }
    if (static_cast<int>(points.size()) < expected)
        XML_WARN("Some points was lost when creating connector, arc or polygon");
    return points;
}

// "(port, socket)...": split at quotes, parentheses, blanks and commas.
std::vector<std::pair<std::string, std::string>> parsePortSockets(const std::string& value) {
    std::vector<std::pair<std::string, std::string>> pairs;
    size_t expected = static_cast<size_t>(XmlCountChar(value, ','));
    std::vector<std::string> ids;
    std::string_view rest(value);
    constexpr std::string_view kDelimiters = "\"() ,";
    while (!rest.empty()) {
        size_t start = rest.find_first_not_of(kDelimiters);
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        size_t end = rest.find_first_of(kDelimiters);
        ids.emplace_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
    }
    for (size_t i = 0; i + 1 < ids.size() && pairs.size() < expected; i += 2) pairs.emplace_back(ids[i], ids[i + 1]);
    if (pairs.size() < expected) XML_WARN("Some port/socket-assignments was lost during load.");
    return pairs;
}

void applyShape(const std::string& tag, const XmlOption& o, XmlShapeSlot& s) {
    bool sized = tag == "box" || tag == "picture" || tag == "ellipse" || tag == "wedge" || tag == "rbox";
    if (sized && is(o, "h")) {
        s.height = XmlReadMm(o.value);
    } else if (sized && is(o, "w")) {
        s.width = XmlReadMm(o.value);
    } else if (tag == "picture" && is(o, "filename")) {
        s.fileName = o.value;
    } else if ((tag == "poly" || tag == "line" || tag == "seg-conn") && is(o, "points")) {
        s.points = parsePoints(o.value);
    } else if ((tag == "rbox" || tag == "seg-conn") && is(o, "curv")) {
        s.curvature = XmlParseInt(o.value);
    } else if (tag == "wedge" && is(o, "startAngle")) {
        s.startAngle = XmlParseInt(o.value);
    } else if (tag == "wedge" && is(o, "endAngle")) {
        s.extent = XmlParseInt(o.value);
    } else if (tag == "box" || tag == "picture") {
        unknownPosition(o);
    }
}

void applyText(const XmlOption& o, XmlTextSlot& t) {
    static constexpr std::pair<std::string_view, uint16_t> kStyles[] = {
        {"bold", 2}, {"italic", 4}, {"underlin", 8}, {"outline", 16}, {"shadow", 32}, {"condense", 64}, {"extend", 128}};
    for (const auto& [name, bit] : kStyles) {
        if (!is(o, name)) continue;
        if (XmlEqualNoCase(o.value, "TRUE")) t.style = static_cast<uint16_t>(t.style | bit);
        else if (XmlEqualNoCase(o.value, "FALSE")) t.style = static_cast<uint16_t>(t.style & ~bit);
        return;
    }
    if (is(o, "font")) assignIf(t.font, XmlFontIndex(o.value));
    else if (is(o, "size")) t.size = XmlParseInt(o.value);
    else if (is(o, "colour")) assignIf(t.colour, XmlColourIndex(o.value));
    else if (is(o, "just")) assignIf(t.just, XmlJustCode(o.value));
    else if (is(o, "scbar")) t.scrollBar = XmlIsTrue(o.value);
    else XML_WARN("Line %i: unknown option '%s' in textattr.\n", o.line, o.name.c_str());
}

void applyFlags(const XmlOption& o, XmlFlagsSlot& f) {
    bool v = XmlIsTrue(o.value);
    if (is(o, "mask")) f.mask = v;
    else if (is(o, "omit")) f.omit = v;
    else if (is(o, "nobound")) f.nobound = v;
    else if (is(o, "nosizing")) f.nosizing = v;
    else if (is(o, "visible")) f.visible = v;
    else XML_WARN("Line %i: unknown option '%s' in attribute flag.\n", o.line, o.name.c_str());
}

void applyRegion(const XmlOption& o, XmlRegionSlot& r) {
    bool v = XmlIsTrue(o.value);
    if (is(o, "default")) r.isDefault = v;
    else if (is(o, "colorap")) r.colorap = v;
    else if (is(o, "sizewp")) r.sizewp = v;
    else if (is(o, "popup")) r.popup = v;
    else if (is(o, "hoffset")) r.hoffset = XmlReadMm(o.value);
    else if (is(o, "voffset")) r.voffset = XmlReadMm(o.value);
    else if (is(o, "doffset")) r.doffset = XmlParseInt(o.value);
}

void applyPage(const XmlOption& o, XmlPageSlot& p) {
    if (is(o, "name")) {
        p.name = o.value;
    } else if (is(o, "number")) {
        p.number = XmlParseShort(o.value);
        p.numberGiven = true;
    } else if (is(o, "visbor")) {
        p.visibleBorder = XmlIsTrue(o.value);
    } else if (is(o, "palette")) {
        p.palette = XmlIsTrue(o.value);
    }
}

void applyWindow(const XmlOption& o, XmlWindowSlot& w) {
    if (is(o, "xpos")) w.xpos = XmlParseInt(o.value);
    else if (is(o, "ypos")) w.ypos = XmlParseInt(o.value);
    else if (is(o, "width")) w.width = XmlParseInt(o.value);
    else if (is(o, "height")) w.height = XmlParseInt(o.value);
    else if (is(o, "open")) w.open = XmlIsTrue(o.value);
}

void applyMode(const XmlOption& o, XmlModeSlot& m) {
    bool v = XmlIsTrue(o.value);
    if (is(o, "siminc")) m.siminc = v;
    else if (is(o, "observe")) m.observe = v;
    else if (is(o, "propocc")) m.propocc = v;
    else if (is(o, "interact")) m.interact = v;
    else if (is(o, "execcode")) m.execcode = v;
}

void applyGenerator(const XmlOption& o, XmlGeneratorSlot& g) {
    if (is(o, "tool")) {
        g.tool = o.value == "Velkor/TOLQ" ? 0 : 1;
    } else if (is(o, "version")) {
        g.version = o.value;
        g.versionNumber = XmlScanDouble(o.value).value_or(-1.0);
    }
    XmlSetCurrentGenerator(g);
}

template <class T, class F>
void with(XmlSlot& slot, F&& apply) {
    if (auto* s = std::get_if<T>(&slot)) apply(*s);
}

}  // namespace

void XmlApplyAttrOption(int code, const std::string& tag, const XmlOption& o, XmlSlot& slot) {
    switch (code) {
        case 41:
            with<XmlLineSlot>(slot, [&](XmlLineSlot& l) {
                if (is(o, "type")) assignIf(l.type, XmlLineTypeCode(o.value));
                else if (is(o, "thick")) l.thick = XmlParseInt(o.value);
                else if (is(o, "colour")) assignIf(l.colour, XmlColourIndex(o.value));
            });
            break;
        case 42:
            with<XmlFillSlot>(slot, [&](XmlFillSlot& f) {
                if (is(o, "pattern")) assignIf(f.pattern, XmlFillPatternCode(o.value));
                else if (is(o, "colour")) assignIf(f.colour, XmlColourIndex(o.value));
            });
            break;
        case 43: with<XmlTextSlot>(slot, [&](XmlTextSlot& t) { applyText(o, t); }); break;
        case 44: with<XmlFlagsSlot>(slot, [&](XmlFlagsSlot& f) { applyFlags(o, f); }); break;
        case 45:
            with<XmlPositionSlot>(slot, [&](XmlPositionSlot& p) {
                if (is(o, "x")) p.x = XmlReadMm(o.value);
                else if (is(o, "y")) p.y = -XmlReadMm(o.value);
                else unknownPosition(o);
            });
            break;
        case 46: with<XmlShapeSlot>(slot, [&](XmlShapeSlot& s) { applyShape(tag, o, s); }); break;
        case 47: case 48: case 49: case 50:
            with<XmlEndSlot>(slot, [&](XmlEndSlot& e) {
                if (is(o, "idref")) e.idref = o.value;
                else if (is(o, "endpoint")) e.endpoint = o.value;
            });
            break;
        case 51: with<XmlRegionSlot>(slot, [&](XmlRegionSlot& r) { applyRegion(o, r); }); break;
        case 52: with<XmlPageSlot>(slot, [&](XmlPageSlot& p) { applyPage(o, p); }); break;
        case 53:
            with<XmlConnSlot>(slot, [&](XmlConnSlot& c) {
                if (is(o, "hdwidth")) c.headWidth = XmlParseInt(o.value);
                else if (is(o, "hdheight")) c.headHeight = XmlParseInt(o.value);
                else if (is(o, "txtwidth")) c.textWidth = XmlParseShort(o.value);
                else if (is(o, "txtheight")) c.textHeight = XmlParseShort(o.value);
            });
            break;
        case 54: with<XmlWindowSlot>(slot, [&](XmlWindowSlot& w) { applyWindow(o, w); }); break;
        case 55: with<XmlModeSlot>(slot, [&](XmlModeSlot& m) { applyMode(o, m); }); break;
        case 56:
            with<XmlSubstSlot>(slot, [&](XmlSubstSlot& s) {
                if (is(o, "subpage")) s.subpage = o.value;
                else if (is(o, "portsock")) s.pairs = parsePortSockets(o.value);
            });
            break;
        case 57:
            with<XmlPortSlot>(slot, [&](XmlPortSlot& p) {
                if (is(o, "type")) assignIf(p.type, XmlPortTypeCode(o.value));
            });
            break;
        case 58: case 59:
            with<XmlPageEndSlot>(slot, [&](XmlPageEndSlot& e) {
                if (is(o, "idref")) e.idref = o.value;
            });
            break;
        case 60:
            with<XmlMultSlot>(slot, [&](XmlMultSlot& m) {
                if (is(o, "insts")) m.instances = XmlParseShort(o.value);
            });
            break;
        case 61:
            with<XmlLayeringSlot>(slot, [&](XmlLayeringSlot& l) {
                if (is(o, "type")) assignIf(l.mode, XmlLayeringCode(o.value));
            });
            break;
        case 62: with<XmlGeneratorSlot>(slot, [&](XmlGeneratorSlot& g) { applyGenerator(o, g); }); break;
        default: break;
    }
}

void XmlApplyOwnOption(int code, const XmlOption& o, XmlOwnPart& own) {
    if (is(o, "id")) {
        own.id = o.value;
        own.hasId = true;
    } else if ((code == 16 || code == 22 || code == 35) && is(o, "orientation")) {
        assignIf(own.orientation, XmlOrientationCode(o.value));
    } else if (code == 15 && is(o, "type")) {
        assignIf(own.fusionType, XmlFusionTypeCode(o.value));
    } else if (code == 32 && is(o, "pageref")) {
        own.pageRef = o.value;
    }
}
