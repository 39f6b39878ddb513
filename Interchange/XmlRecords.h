// The settings records of the reader's elements: one own part filled from the
// element's own attributes and one slot per attribute element that the
// element allows, in the order of its allowed-attribute list. Defaults
// builders make a record for an element code; option parsers fill a slot or
// the own part from one attribute (name, value, line).
#pragma once

#include "Interchange/XmlTagTable.h"
#include "xkv/types/Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// Shape kinds of the shape slot.
enum XmlShapeKind : int32_t {
    kXmlShapeNone = -1,
    kXmlShapeBox = 0,
    kXmlShapePicture = 1,
    kXmlShapeEllipse = 2,
    kXmlShapePolygon = 3,
    kXmlShapeLine = 4,
    kXmlShapeWedge = 5,
    kXmlShapeRoundedBox = 6,
    kXmlShapeSegConn = 7,
    kXmlShapeLabel = 8,
};

struct XmlShapeSlot {
    int32_t kind = kXmlShapeNone;
    Fixed height = 0;
    Fixed width = 0;
    std::string fileName;         // picture
    int32_t curvature = 0;        // rounded box, segmented connector
    int32_t startAngle = 0;       // wedge
    int32_t extent = 0;           // wedge
    std::vector<FixPoint> points;  // polygon, line, segmented connector (y as in the file)
};
struct XmlPositionSlot { Fixed x = 0, y = 0; };
struct XmlFillSlot { int32_t pattern = 0; int16_t colour = 0; };
struct XmlLineSlot { int32_t type = 0; int32_t thick = 0; int16_t colour = 0; };
struct XmlTextSlot {
    int16_t font = 0;
    int32_t size = 0;
    uint16_t style = 0;
    int16_t just = 0;
    int16_t colour = -1;  // -1: not given, the object keeps its colour
    bool scrollBar = false;
};
struct XmlFlagsSlot { bool mask = false, omit = false, nobound = false, nosizing = false, visible = true; };
struct XmlLayeringSlot { int32_t mode = 0; };
struct XmlRegionSlot {
    bool isDefault = false, colorap = false, sizewp = false, popup = false;
    Fixed hoffset = 0, voffset = 0;
    int32_t doffset = 0;
};
struct XmlPageSlot {
    std::string name;
    int16_t number = 0;
    bool numberGiven = false;
    bool visibleBorder = false;
    bool palette = false;
};
struct XmlWindowSlot { int32_t xpos = -1, ypos = -1, width = -1, height = -1; bool open = true; };
struct XmlModeSlot { bool siminc = true, observe = true, propocc = true, interact = true, execcode = true; };
struct XmlMultSlot { int16_t instances = 0; };
struct XmlSubstSlot {
    std::string subpage;
    std::vector<std::pair<std::string, std::string>> pairs;  // (port, socket)
};
struct XmlPortSlot { int16_t type = 0; };
struct XmlEndSlot { std::string idref, endpoint; };
struct XmlPageEndSlot { std::string idref; };
struct XmlConnSlot { int32_t headWidth = 0, headHeight = 0; int16_t textWidth = 0, textHeight = 0; };
struct XmlGeneratorSlot { int32_t tool = 1; std::string version; double versionNumber = -1.0; };

using XmlSlot = std::variant<std::monostate, XmlShapeSlot, XmlPositionSlot, XmlFillSlot, XmlLineSlot, XmlTextSlot,
                             XmlFlagsSlot, XmlLayeringSlot, XmlRegionSlot, XmlPageSlot, XmlWindowSlot, XmlModeSlot,
                             XmlMultSlot, XmlSubstSlot, XmlPortSlot, XmlEndSlot, XmlPageEndSlot, XmlConnSlot,
                             XmlGeneratorSlot>;

struct XmlOwnPart {
    std::string id;
    bool hasId = false;
    int32_t orientation = -1;  // -1: not given
    int32_t fusionType = 1;    // fusion regions
    std::string pageRef;       // page nodes
};

struct XmlElementRecord {
    XmlOwnPart own;
    std::vector<XmlSlot> slots;  // one per allowed attribute code, in list order
    ~XmlElementRecord();

    int code = -2;  // the element's code (-1 the root)

    // The slot of the given type at the position of the attribute code, or null.
    template <class T>
    T* slot(int attributeCode) {
        int position = XmlCodePosition(attributeCode, XmlAllowedAttributes(code));
        if (position < 0 || static_cast<size_t>(position) >= slots.size()) return nullptr;
        return std::get_if<T>(&slots[static_cast<size_t>(position)]);
    }
};

struct XmlOption {
    std::string name;
    std::string value;
    int line = 0;
};

// The defaults builder of an element code (0..36, or -1 for the root); null
// for a code without one.
std::unique_ptr<XmlElementRecord> XmlBuildDefaults(int code);

// Resets a shape slot to the defaults of the shape that the tag names.
void XmlResetShape(XmlSlot& slot, const std::string& shapeTag);
// Applies one option of an attribute element (code, and for shapes its tag).
void XmlApplyAttrOption(int code, const std::string& tag, const XmlOption& option, XmlSlot& slot);
// Applies one of the element's own attributes.
void XmlApplyOwnOption(int code, const XmlOption& option, XmlOwnPart& own);

// The generator that the millimetre conversion consults: true while a known
// legacy file (tool "Velkor/TOLQ", version 3.1 to 3.2) is read.
bool XmlLegacyUnits();
// Makes the generator record the one that the conversion consults; the
// root's record clears it when it goes.
void XmlSetCurrentGenerator(const XmlGeneratorSlot& slot);
// A length in millimetres as read from the file -> Fixed (legacy files /10).
Fixed XmlReadMm(const std::string& value);
