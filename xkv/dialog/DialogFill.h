// The 38 fill patterns (8 x 8 bitmaps, one byte per row) shared by the dialog
// palettes and object drawing, and their 32 x 32 tiles.
#pragma once

#include <X11/X.h>

#include <array>
#include <cstdint>

using FillPatternBits = std::array<uint8_t, 8>;
using FillTileBits = std::array<uint8_t, 4 * 32>;

// The bits of fill pattern 1 to 38; an empty pattern for other numbers.
FillPatternBits Dialog_FillPatternBits(int32_t fill);
// A 32 x 32 bitmap whose row y is row y mod 8 of the pattern, four times across.
FillTileBits Dialog_FillTileBits(const FillPatternBits& pattern);
// The 30 x 30 pixmap shown where a pattern has none.
Pixmap Dialog_EmptyPatternPixmap();
