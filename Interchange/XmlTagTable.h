// The reader's tag table: every element name of the XML form with its code,
// and for object elements the child codes and attribute codes that they
// allow (the attribute list's order is the slot order of their records).
// A lookup per load also registers unknown element names.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

enum XmlTagKind : int32_t { kXmlObjectElement = 0, kXmlAttributeElement = 1 };

inline constexpr int kXmlRootCode = -1;
inline constexpr int kXmlShapeCode = 46;
inline constexpr int kXmlGeneratorCode = 62;
inline constexpr int kXmlFirstUnknownCode = 63;

struct XmlTagRow {
    std::string_view name;
    XmlTagKind kind;
    int code;
    std::span<const int> children;    // object elements only
    std::span<const int> attributes;  // object elements only
};

// All 67 rows, object elements first in code order.
std::span<const XmlTagRow> XmlTagRows();
// The root's allowed children and attributes.
std::span<const int> XmlRootChildren();
std::span<const int> XmlRootAttributes();
// The allowed attribute list of an element code (-1 the root), empty else.
std::span<const int> XmlAllowedAttributes(int code);

// The name of the object element with that code, or null.
const char* XmlTagName(int code);
bool XmlCodeInList(int code, std::span<const int> list);
int XmlCodePosition(int code, std::span<const int> list);

// The lookup of one load.
class XmlTagLookup {
public:
    XmlTagLookup();  // XmlInitTagTable: the rows, next unknown code 63
    // The row of a (lower-case) name, or null.
    const XmlTagRow* find(std::string_view name) const;
    // The code of an unknown name registered earlier, or -1.
    int unknownCode(std::string_view name) const;
    // Registers an unknown object element name; returns its code.
    int registerUnknown(std::string_view name);

private:
    std::unordered_map<std::string, const XmlTagRow*> rows_;
    std::unordered_map<std::string, int> unknown_;
    int nextUnknown_ = kXmlFirstUnknownCode;
};
