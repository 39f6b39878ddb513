// Fonts of texts: the font description of a text, the two reference-counted
// tables of loaded X fonts (layout fonts at their nominal size, screen fonts at
// a page's zoom), loading an X core font by name pattern with the "fixed"
// fallback, and measuring characters in page units.
#pragma once

#include <cstdint>
#include <memory>

#include "xkv/types/Types.h"

struct _XDisplay;

// Family 0-5 (Chicago, Courier, Geneva, Helvetica, Monaco, Times), point
// size and style bits (2 bold, 4 italic).
struct FontSpec {
    uint32_t family = 0;
    uint16_t size = 0;
    uint16_t style = 0;
};

inline constexpr int16_t kNoFont = -1;
inline constexpr int16_t kScreenIsLayoutFont = -2;
inline constexpr uint16_t kStyleBold = 2;
inline constexpr uint16_t kStyleItalic = 4;
inline constexpr uint32_t kFamilySymbol = 6;

// One loaded X font (see TextFontX.h).
struct LoadedFont;

// Screen resolution used in font names (the "dpiFont" resource, 75 built in)
// and the tab size in spaces (the "tabSize" resource, 4 built in).
void Text_SetFontDpi(uint16_t dpi);
uint16_t Text_FontDpi();
void Text_SetTabSize(int32_t spaces);

// ---- Vocabularies ----
const char* const* Text_FontFamilyNames();
uint32_t Text_FontFamilyCount();
const char* const* Text_FontSizeNames();
const uint16_t* Text_FontSizeValues();
uint32_t Text_FontSizeCount();
uint32_t Text_FontStyleMask();
// The largest listed size not above the request (0-terminated ascending list).
uint16_t Text_NearestFontSize(const uint16_t* sizes, uint16_t requested);

// ---- Loading ----
// The X name pattern for a wantedFont, and the size it loads at.
void Text_FontName(const FontSpec& wantedFont, char* name, uint32_t size, uint16_t* loadedSize);
// Loads a font record (reference count 1); falls back to "fixed" with a
// warning on standard error. Null only when not even "fixed" can be had.
std::unique_ptr<LoadedFont> Text_LoadXFont(const FontSpec& wantedFont, uint32_t layout);

// ---- Tables ----
int16_t Text_AcquireFont(const FontSpec* wantedFont);
void Text_ReleaseFont(int16_t font);
// The layout font at an index (null when none); its reference count.
LoadedFont* Text_LayoutFont(int16_t font);
uint16_t Text_FontReferenceCount(int16_t font);
// Screen fonts: found or loaded for a font description at a size; released by index.
int16_t Text_AcquireScreenFont(const FontSpec& wantedFont);
void Text_ReleaseScreenFont(int16_t font);
LoadedFont* Text_ScreenFont(int16_t font);

// ---- Metrics (page units, 0x8000 per pixel at scale 1.0) ----
Fixed Text_FontHeight(int16_t font);
Fixed Text_FontLineHeight(const LoadedFont* font);
Fixed Text_FontDescent(const LoadedFont* font);
Fixed Text_SpaceAndDescent(LoadedFont* font, Fixed* spaceWidth);
// Width of one byte at x in the layout font; a reference byte (0) measures the
// segment's display characters.
Fixed Text_CharWidth(LoadedFont* font, Fixed x, uint8_t character, MemHandle segment);
// Width of the display characters that a reference segment shows (its end 0:
// up to the end of the display string); 0 for a missing segment or reference.
Fixed Text_RunWidth(LoadedFont* font, MemHandle segment);
// The size of a string in a font in page units; 1 when there is no such font.
KernelStatus Text_MeasureString(int16_t font, const char* characters, int16_t count, Fixed* width,
                                Fixed* height);
// Counts the leading characters whose summed widths stay below the width;
// returns the address behind them (0 characters without the font).
const char* Text_CharsThatFit(Fixed width, const char* characters, int16_t count, int16_t font,
                              uint16_t* fitted);
// Alias of the measuring service named in the kernel's interface.
const char* Text_FitString(Fixed width, const char* characters, int16_t count, int16_t font, uint16_t* fitted);
