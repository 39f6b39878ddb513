// Colours: the table of (red, green, blue) rows that objects index, the X pixel of
// each, and how the display's colormap is used (monochrome, static or writable).
#pragma once

#include <cstdint>

struct ColorEntry {
    int16_t index; // -1: a new index
    uint16_t red;  // components 0 to 255
    uint16_t green;
    uint16_t blue;
};

// Colour modes; modes with bit 4 set have a writable colormap.
inline constexpr uint32_t kColorMonochrome = 0;
inline constexpr uint32_t kColorStaticGrey = 1;
inline constexpr uint32_t kColorStatic = 2;
inline constexpr uint32_t kColorDirect = 5;
inline constexpr uint32_t kColorPseudo = 6;

inline constexpr int kColorTableSize = 256;

void Color_Initialize();
uint32_t Color_GetMode();
int Color_GetMapEntries();
unsigned long Color_GetPixel(int16_t index);
uint32_t Color_GetRGB(ColorEntry* entry, uint32_t query);
uint32_t Color_Define(ColorEntry* entry);
uint32_t Color_DefineByName(const char* name, ColorEntry* entry);
// rows: n rows of three components each.
uint32_t Color_LoadTable(const uint16_t (*rows)[3], uint32_t reset, int16_t first, uint16_t n);
uint32_t Color_LoadDefaults();
// The number of defined rows.
uint16_t Color_Count();
