// Page-to-pixel arithmetic of the page windows: lengths by page scale and
// zoom, and points through a window's view (virtual area, widget position,
// page-structure origin). All pixel values are 32-bit; they are narrowed only
// at the X call.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

// The window kinds of a page-window record.
inline constexpr uint32_t kWindowKindNone = 0;
inline constexpr uint32_t kWindowKindPage = 1;
inline constexpr uint32_t kWindowKindStructureTree = 4;
inline constexpr uint32_t kWindowKindStructureOutline = 5;
inline constexpr uint32_t kWindowKindSpecialPage = 14;
inline constexpr uint32_t kWindowKindUnknown = 13;

bool Window_IsPageKind(uint32_t kind);
bool Window_IsStructureKind(uint32_t kind);

// Everything a point conversion needs to know of one window.
struct WindowView {
    uint32_t kind = kWindowKindNone;
    ObjectHandle page = 0;
    bool scaleKnown = false;
    Fixed scaleX = 0;
    Fixed scaleY = 0;
    int32_t wx = 0;  // widget position: (0, 0) for a Diagram widget
    int32_t wy = 0;
    int32_t virtualX = 0;
    int32_t virtualY = 0;
    int32_t virtualWidth = 0;
    int32_t virtualHeight = 0;
    int32_t originX = 0;  // page structure window only
    int32_t originY = 0;
};

// Page length to pixels at the scale and zoom, rounded half up.
int32_t Map_LengthToPixels(Fixed length, Fixed scale, Fixed zoom);
// Pixels to a page length at the scale and zoom.
Fixed Map_PixelsToLength(int32_t pixels, Fixed scale, Fixed zoom);

// Window pixel of a page point and page point of a window pixel.
void Map_PageToPixel(const WindowView& view, Fixed zoomX, Fixed zoomY, FixPoint point, int32_t* x, int32_t* y);
FixPoint Map_PixelToPage(const WindowView& view, Fixed zoomX, Fixed zoomY, int32_t x, int32_t y);

// Narrows a pixel coordinate or length to X's 16-bit range.
int16_t Map_ClampCoord(int64_t v);
uint16_t Map_ClampLength(int64_t v);
