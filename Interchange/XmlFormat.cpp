// The XML form's name tables, unit conversions, escaping and "C"-locale numbers.
#include "Interchange/XmlFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr std::array<std::string_view, 16> kColours = {
    "black", "maroon", "gray", "olive", "purple", "silver", "red",    "teal",
    "navy",  "fucia",  "blue", "aqua",  "green",  "lime",   "yellow", "white"};

constexpr std::array<std::string_view, 9> kLineTypes = {
    "Solid", "Dashed", "LongDashed", "Dotted", "DotDashed", "GroupIndicate", "FlashIndicate", "None", "Null"};

// The writer's pattern names, codes 0 to 41.
constexpr std::array<std::string_view, 42> kPatternsWritten = {
    "None",           "Solid",          "AlmostSolid",   "InverseHeavyDotted", "Chessboard",
    "InverseOrderedDotted", "NarrowVertical", "FilledDiagonals", "WideVertical", "Speckled",
    "RandomDotted",   "NarrowGrid",     "Bricks",        "SparselyDotted",     "ShortDiagonals",
    "LightBubbles",   "PieTop",         "Buttercups",    "Waves",              "Waffles",
    "None",           "LightDotted",    "MediumDotted",  "HeavyDotted",        "OrderedDotted",
    "NarrowHorizontal", "NarrowDiagonal", "WideHorizontal", "WideDiagonal",    "DottedBoxes",
    "WideGrid",       "DiagonalBricks", "Holiday",       "Carrots",            "DiagonalScales",
    "RoundScales",    "Mountains",      "HeavyBubbles",  "Diamonds",           "Chessboard",
    "HeavyDotted",    "LightDotted"};

// The reader's pattern names, codes 0 to 38; it spells code 5 differently.
constexpr std::array<std::string_view, 39> kPatternsRead = {
    "None",           "Solid",          "AlmostSolid",   "InverseHeavyDotted", "Chessboard",
    "InvOrderedDotted", "NarrowVertical", "FilledDiagonals", "WideVertical",   "Speckled",
    "RandomDotted",   "NarrowGrid",     "Bricks",        "SparselyDotted",     "ShortDiagonals",
    "LightBubbles",   "PieTop",         "Buttercups",    "Waves",              "Waffles",
    "None",           "LightDotted",    "MediumDotted",  "HeavyDotted",        "OrderedDotted",
    "NarrowHorizontal", "NarrowDiagonal", "WideHorizontal", "WideDiagonal",    "DottedBoxes",
    "WideGrid",       "DiagonalBricks", "Holiday",       "Carrots",            "DiagonalScales",
    "RoundScales",    "Mountains",      "HeavyBubbles",  "Diamonds"};

constexpr std::array<std::string_view, 7> kFonts = {"Chicago", "Courier", "Geneva", "Helvetica",
                                                    "Monaco",  "Times",   "Symbol"};
constexpr std::array<std::string_view, 3> kJusts = {"Right", "Left", "Centered"};
constexpr std::array<std::string_view, 4> kLayerings = {"Copy", "IOR", "XOR", "INV"};
constexpr std::array<std::string_view, 4> kPortTypes = {"in", "out", "inout", "general"};
constexpr std::array<std::string_view, 3> kFusionTypes = {"global", "page", "instance"};

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The first index whose name equals the text in any case.
template <size_t N>
std::optional<int32_t> find(const std::array<std::string_view, N>& table, std::string_view name) {
    for (size_t i = 0; i < N; ++i) {
        if (XmlEqualNoCase(table[i], name)) return static_cast<int32_t>(i);
    }
    return std::nullopt;
}

std::string_view skipBlanks(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\f' || text[i] == '\v'))
        ++i;
    return text.substr(i);
}

}  // namespace

bool XmlEqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

int XmlCountChar(std::string_view text, char character) {
    int count = 0;
    for (char c : text) count += (c == character);
    return count;
}

std::string_view XmlColourName(int32_t index) {
    return kColours[static_cast<size_t>(((index % 16) + 16) % 16)];
}
std::optional<int16_t> XmlColourIndex(std::string_view name) {
    auto i = find(kColours, name);
    if (!i) return std::nullopt;
    return static_cast<int16_t>(*i);
}

std::optional<std::string_view> XmlLineTypeName(int32_t style) {
    if (style < 0 || style >= static_cast<int32_t>(kLineTypes.size())) return std::nullopt;
    return kLineTypes[static_cast<size_t>(style)];
}
std::optional<int32_t> XmlLineTypeCode(std::string_view name) { return find(kLineTypes, name); }

std::optional<std::string_view> XmlFillPatternName(int32_t pattern) {
    if (pattern < 0 || pattern >= static_cast<int32_t>(kPatternsWritten.size())) return std::nullopt;
    return kPatternsWritten[static_cast<size_t>(pattern)];
}
std::optional<int32_t> XmlFillPatternCode(std::string_view name) { return find(kPatternsRead, name); }

std::string_view XmlFontName(int32_t font) {
    if (font < 0 || font >= static_cast<int32_t>(kFonts.size())) return "unknown";
    return kFonts[static_cast<size_t>(font)];
}
std::optional<int16_t> XmlFontIndex(std::string_view name) {
    auto i = find(kFonts, name);
    if (!i) return std::nullopt;
    return static_cast<int16_t>(*i);
}
std::string_view XmlJustName(int32_t just) {
    if (just < 0 || just >= static_cast<int32_t>(kJusts.size())) return "unknown";
    return kJusts[static_cast<size_t>(just)];
}
std::optional<int16_t> XmlJustCode(std::string_view name) {
    auto i = find(kJusts, name);
    if (!i) return std::nullopt;
    return static_cast<int16_t>(*i);
}
std::optional<std::string_view> XmlLayeringName(int32_t mode) {
    if (mode < 0 || mode >= static_cast<int32_t>(kLayerings.size())) return std::nullopt;
    return kLayerings[static_cast<size_t>(mode)];
}
std::optional<int32_t> XmlLayeringCode(std::string_view name) { return find(kLayerings, name); }

std::string_view XmlOrientationName(int32_t direction, bool isArc, bool placeIsEnd1) {
    switch (direction) {
        case 1: return isArc ? (placeIsEnd1 ? "PtoT" : "TtoP") : "1to2";
        case 2: return isArc ? (placeIsEnd1 ? "TtoP" : "PtoT") : "2to1";
        case 3: return "BOTHDIR";
        default: return "NODIR";
    }
}
std::optional<int32_t> XmlOrientationCode(std::string_view name) {
    if (XmlEqualNoCase(name, "NODIR")) return 0;
    if (XmlEqualNoCase(name, "BOTHDIR")) return 3;
    if (XmlEqualNoCase(name, "1to2") || XmlEqualNoCase(name, "PtoT")) return 1;
    if (XmlEqualNoCase(name, "2to1") || XmlEqualNoCase(name, "TtoP")) return 2;
    return std::nullopt;
}

std::string_view XmlPortTypeName(int32_t type) {
    if (type < 1 || type > 4) return "unknown";
    return kPortTypes[static_cast<size_t>(type - 1)];
}
std::optional<int16_t> XmlPortTypeCode(std::string_view name) {
    auto i = find(kPortTypes, name);
    if (!i) return std::nullopt;
    return static_cast<int16_t>(*i + 1);
}
std::optional<std::string_view> XmlFusionTypeName(int32_t type) {
    if (type < 1 || type > 3) return std::nullopt;
    return kFusionTypes[static_cast<size_t>(type - 1)];
}
std::optional<int32_t> XmlFusionTypeCode(std::string_view name) {
    auto i = find(kFusionTypes, name);
    if (!i) return std::nullopt;
    return *i + 1;
}

bool XmlIsTrue(std::string_view value) { return XmlEqualNoCase(value, "TRUE"); }
std::string_view XmlBoolText(bool value) { return value ? "TRUE" : "FALSE"; }

double XmlFixedToMm(Fixed value) {
    const long double inch = static_cast<long double>(25.4f);
    return static_cast<double>(static_cast<long double>(value) * inch / 2359296.0L);
}

Fixed XmlMmToFixed(double millimetres) {
    if (std::isnan(millimetres)) return 0;
    double v = millimetres * 2359296.0 / 25.4;
    v += millimetres > 0 ? 0.5 : -0.5;
    if (v >= static_cast<double>(kFixedPlusInfinity)) return kFixedPlusInfinity;
    if (v <= static_cast<double>(kFixedMinusInfinity)) return kFixedMinusInfinity;
    return static_cast<Fixed>(std::trunc(v));
}

std::string XmlFormatMm(double millimetres) {
    char buffer[64];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, millimetres, std::chars_format::fixed, 5);
    if (r.ec != std::errc()) return "0.00000";
    std::string text(buffer, r.ptr);
    if (text == "-0.00000") text = "0.00000";
    return text;
}

int64_t XmlParseLong(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    uint64_t magnitude = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (r.ptr == text.data()) return 0;
    constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    if (r.ec == std::errc::result_out_of_range || magnitude > kMax)
        return negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    return negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
}

int32_t XmlParseInt(std::string_view text) {
    int64_t v = XmlParseLong(text);
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

int16_t XmlParseShort(std::string_view text) {
    int64_t v = XmlParseLong(text);
    if (v > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
    if (v < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
    return static_cast<int16_t>(v);
}

std::optional<double> XmlScanDouble(std::string_view text, std::string_view* rest) {
    text = skipBlanks(text);
    std::string_view body = text;
    if (!body.empty() && body[0] == '+') body.remove_prefix(1);
    double value = 0;
    auto r = std::from_chars(body.data(), body.data() + body.size(), value);
    if (r.ptr == body.data()) return std::nullopt;
    if (r.ec == std::errc::result_out_of_range) {
        // Keep the sign of the overflowing number; underflow reads as 0.
        bool negative = !body.empty() && body[0] == '-';
        std::string_view digits = negative ? body.substr(1) : body;
        bool huge = false;
        for (char c : digits) {
            if (c == 'e' || c == 'E') {
                huge = digits.find('-') == std::string_view::npos;
                break;
            }
        }
        value = huge ? (negative ? -HUGE_VAL : HUGE_VAL) : 0.0;
    }
    if (rest) *rest = body.substr(static_cast<size_t>(r.ptr - body.data()));
    return value;
}

double XmlParseDouble(std::string_view text) { return XmlScanDouble(text).value_or(0.0); }

void INT_UnescapeText(std::string& text) {
    struct Entity {
        std::string_view name;
        char character;
    };
    static constexpr Entity kEntities[] = {{"&lt;", '<'}, {"&amp;", '&'}, {"&apos;", '\''}, {"&quot;", '"'}};
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == '&') {
            for (const auto& e : kEntities) {
                if (std::string_view(text).substr(i, e.name.size()) == e.name) {
                    out.push_back(e.character);
                    i += e.name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out.push_back(text[i++]);
    }
    text = std::move(out);
}

std::string INT_EscapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '"': out += "&quot;"; break;
            case '&': out += "&amp;"; break;
            case '\'': out += "&apos;"; break;
            case '<': out += "&lt;"; break;
            default: out.push_back(c);
        }
    }
    return out;
}
