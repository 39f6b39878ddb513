// The net editor's default properties as other subsystems read them. The
// defaults module is not built yet: these are its declarations only.
#pragma once

#include <cstdint>

// The default attribute record of a net object kind: 32-bit words, numbered
// from 1 as the net editor documents them (1 mask, 2 drawing function, 3 line
// width, 4 line colour, 5 fill colour, 7 line style, 8 fill pattern, 9 text
// style, 10 justification, 11 font, 12 scroll bar, 13 text size, 14 shape
// kind, 15 to 19 shape data, 22 and 23 region offsets, 26 region bits).
struct NetObjectDefaults {
    int32_t words[32] = {};
    int32_t word(int n) const { return (n >= 1 && n <= 32) ? words[n - 1] : 0; }
};

// Reads the defaults of the key at the level (5 built-in); 1, or 0 when none.
int DefGetByKey(int32_t key, NetObjectDefaults* record, int32_t level);

// The new-page defaults: height and width in pixels, palette and border
// flags, the default page name (a buffer of 257 bytes); 1, or 0.
int DefGetPageTitle(int32_t* height, int32_t* width, int32_t* palette, int32_t* border, char* name,
                    int32_t level);
