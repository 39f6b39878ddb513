// The XML form's fixed vocabulary and conversions: the name tables of colours,
// line types, fill patterns, fonts, justifications, drawing functions,
// connector orientations, port and fusion types; millimetre <-> Fixed; the
// escaping of text; numbers read and written in the "C" locale.
#pragma once

#include "xkv/types/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Colour index (taken modulo 16) -> name; name (any case) -> index.
std::string_view XmlColourName(int32_t index);
std::optional<int16_t> XmlColourIndex(std::string_view name);

// Line style 0..8 <-> name; names outside the table give nothing.
std::optional<std::string_view> XmlLineTypeName(int32_t style);
std::optional<int32_t> XmlLineTypeCode(std::string_view name);

// Fill pattern code <-> name, with the writer's and the reader's tables apart.
std::optional<std::string_view> XmlFillPatternName(int32_t pattern);
std::optional<int32_t> XmlFillPatternCode(std::string_view name);

// Font index, justification and drawing function; the writer writes
// "unknown" for fonts and justifications outside the tables.
std::string_view XmlFontName(int32_t font);
std::optional<int16_t> XmlFontIndex(std::string_view name);
std::string_view XmlJustName(int32_t just);
std::optional<int16_t> XmlJustCode(std::string_view name);
std::optional<std::string_view> XmlLayeringName(int32_t mode);
std::optional<int32_t> XmlLayeringCode(std::string_view name);

// Connector orientation: the written name for a direction code, for arcs
// depending on whether end 1 is the place; the code that a name reads as.
std::string_view XmlOrientationName(int32_t direction, bool isArc, bool placeIsEnd1);
std::optional<int32_t> XmlOrientationCode(std::string_view name);

// Port types 1..4 ("unknown" otherwise when written) and fusion types 1..3.
std::string_view XmlPortTypeName(int32_t type);
std::optional<int16_t> XmlPortTypeCode(std::string_view name);
std::optional<std::string_view> XmlFusionTypeName(int32_t type);
std::optional<int32_t> XmlFusionTypeCode(std::string_view name);

// "TRUE" in any case is true, everything else false.
bool XmlIsTrue(std::string_view value);
std::string_view XmlBoolText(bool value);

// Fixed -> millimetres as the writer computes them (25.4 at single precision,
// extended precision, rounded to double).
double XmlFixedToMm(Fixed value);
// Millimetres -> Fixed, rounding half away from zero; values beyond the range
// of Fixed become its infinities, a NaN becomes 0.
Fixed XmlMmToFixed(double millimetres);
// "%.5f" in the "C" locale.
std::string XmlFormatMm(double millimetres);

// Decimal numbers read like strtol/strtod in the "C" locale: leading blanks,
// an optional sign, the longest numeric prefix; no number reads as 0. Integers
// beyond the target range are clamped to it.
int64_t XmlParseLong(std::string_view text);
int16_t XmlParseShort(std::string_view text);
int32_t XmlParseInt(std::string_view text);
double XmlParseDouble(std::string_view text);
// The longest numeric prefix after blanks; nothing when there is none. The
// rest of the text after the number is returned through rest.
std::optional<double> XmlScanDouble(std::string_view text, std::string_view* rest = nullptr);

// Un-escapes &lt; &amp; &apos; &quot; left to right; every other '&' stays.
void INT_UnescapeText(std::string& text);
// Escapes '"', '&', '\'' and '<'; every other byte is kept.
std::string INT_EscapeText(std::string_view text);

// Case-insensitive comparison of ASCII texts.
bool XmlEqualNoCase(std::string_view a, std::string_view b);
// How often the character occurs in the text.
int XmlCountChar(std::string_view text, char character);
