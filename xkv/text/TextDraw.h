// The X layer under the display of texts: page units to pixels of the
// drawable a text is drawn into (zoom-aware, both ways), one run of
// characters laid out in pixels, the shared graphics context of texts on page
// windows with its font, colour and clip, and drawing one run of characters
// (or writing it into PostScript while printing).
#pragma once

#include <X11/Intrinsic.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xkv/text/TextFont.h"
#include "xkv/types/Types.h"

// At most this many characters are drawn of one run.
inline constexpr size_t kRunCharacterLimit = 1023;

// How page units become pixels: page points of a page window, or lengths
// inside the edit window's frame at the scale of a page (without either, one
// pixel is half a unit).
struct TextPixelMap {
    Widget window = nullptr;
    ObjectHandle page = 0;
};
int32_t Text_MapX(const TextPixelMap& map, Fixed x);
int32_t Text_MapY(const TextPixelMap& map, Fixed y);
Fixed Text_UnmapX(const TextPixelMap& map, int32_t x);
Fixed Text_UnmapY(const TextPixelMap& map, int32_t y);

// One run in pixels: the pieces drawn (one per character when zoomed, else
// the stretches between TABs), the run's width in page units, and the pixel
// extent of its area (what is cleared or highlighted).
struct RunPiece {
    int32_t x = 0;  // pixel of the piece's first character
    Fixed at = 0;   // the same in page units
    std::string characters;
};
struct RunLayout {
    std::vector<RunPiece> pieces;
    Fixed width = 0;
    int32_t left = 0;
    int32_t right = 0;
};
// Lays out the characters of a run that starts `start` after the line's
// origin; rightEnd is the line area's right end in the origin's system
// (kUnboundedFrame: none). Widths come from the layout font.
RunLayout Text_LayoutRun(const TextPixelMap& map, std::string_view characters, Fixed origin, Fixed start,
                         Fixed rightEnd, LoadedFont* layout, bool perCharacter, uint32_t mode);

// Where a run is drawn: a drawable with the normal GC (text colour) and the
// inverse GC (background colour on the text colour), or with no display into
// PostScript in the given colour.
struct TextRunTarget {
    Display* display = nullptr;
    Drawable drawable = 0;
    GC normal = nullptr;
    GC inverse = nullptr;
    TextPixelMap map;
    int32_t colour = 0;
};
// Draws one run of a line whose lower edge is `bottom`; the draw mode bits
// are those of the display (2 highlighted, 4 area from the line's origin, 8
// area up to the right end, 32 plain: nothing cleared). Returns the run's
// width in page units.
Fixed Text_DrawRun(const TextRunTarget& target, Fixed origin, Fixed bottom, std::string_view characters, Fixed start,
                   Fixed rightEnd, LoadedFont* layout, LoadedFont* drawing, uint32_t mode);

// The shared GC of texts on page windows, prepared for a text (its drawing
// font, colour and frame clip) or, without one, for a font; null when the
// window cannot be drawn on.
GC Text_PrepareGC(Widget pageWindow, MemHandle text, LoadedFont* font);
// Sets a font on a GC unless it is the font last set there.
void Text_SetGCFont(Display* display, GC gc, const LoadedFont* font);
// Removes the clip of the shared GC.
void Text_ResetClip();
// Forgets an X font that is about to be freed as the last font of any GC.
void Text_ForgetGCFont(unsigned long fid);
