// The small drawing tables: dash patterns of the line styles, the fill-tile
// pixmaps of the fill patterns and the map from kernel drawing functions to
// X GC functions.
#pragma once

#include <cstdint>

#include <X11/X.h>

// Dash record of a line pattern: offset, number of dashes, dash lengths in
// pixels.
struct DashPattern {
    uint32_t offset;
    uint32_t count;
    const uint8_t* dashes;
};

inline constexpr int kDashPatternCount = 4;
inline constexpr int kFillPatternCount = 38;

// Dash record of line pattern 1 to 4; nullptr for any other number.
const DashPattern* LinePat_Get(int32_t pattern);

// Pixmap of fill pattern 1 to 38, None (0) for any other number or while the
// dialog system has not made it yet.
Pixmap LinePat_FillTile(int32_t fill);

// Stores the pixmap of fill pattern 1 to 38 (done by the dialog system at
// start-up); other numbers are ignored.
void LinePat_SetFillTile(int32_t fill, Pixmap pixmap);

// X GC function of a kernel drawing function: 0 copy, 1 or, 2 xor, 3 invert.
int DrawFunc_ToX(int32_t function);
