// The X side of loaded fonts: the record of one loaded X font and the source
// from which X fonts are loaded.
#pragma once

#include <X11/Xlib.h>

#include "xkv/text/TextFont.h"

// One loaded X font.
struct LoadedFont {
    uint32_t family = 0;
    uint16_t requestedSize = 0;
    uint16_t style = 0;
    XFontStruct* xfont = nullptr;
    uint16_t referenceCount = 0;
    uint16_t loadedSize = 0;
    bool layout = false;       // a layout font: measures and caches widths
    uint8_t widths[224] = {};  // pixel widths of the characters 32-255, 0 unknown
    int32_t spaceWidth = -1;   // pixels, measured on first use
};

// Where X fonts come from: the edit window installs the X server's fonts when
// it is built; without a source no font can be loaded.
struct TextFontSource {
    XFontStruct* (*load)(void* context, const char* name);  // null: no such font
    void (*release)(void* context, XFontStruct* font);
    void* context;
};
void Text_SetFontSource(const TextFontSource* source);
// The source that loads fonts from the X server of the display.
void Text_UseDisplayFonts(_XDisplay* display);

