// Fonts of texts: the font specification of a text and the font services
// that text records, page labels and the page list use.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

// Family 0-5 (Chicago, Courier, Geneva, Helvetica, Monaco, Times), point
// size and style bits (2 bold, 4 italic).
struct FontSpec {
    uint32_t family = 0;
    uint16_t size = 0;
    uint16_t style = 0;
};

inline constexpr int16_t kNoFont = -1;

// Takes one more reference on the loaded font of the spec; kNoFont when no
// font can be had.
int16_t Text_AcquireFont(const FontSpec* spec);
// Drops one reference on a font.
void Text_ReleaseFont(int16_t font);
// The height of a font as a page length (0x8000 per pixel); 0 without font.
Fixed Text_FontHeight(int16_t font);
// The size of a string in a font in page units; 1 when there is no such font.
KernelStatus Text_MeasureString(int16_t font, const char* characters, int16_t count, Fixed* width,
                                Fixed* height);
// Counts the leading characters whose summed widths stay below the width;
// returns the address behind them (0 characters without the font).
const char* Text_CharsThatFit(Fixed width, const char* characters, int16_t count, int16_t font,
                              uint16_t* fitted);
