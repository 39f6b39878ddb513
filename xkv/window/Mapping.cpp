// Page-to-pixel arithmetic: one page unit is two pixels at scale and zoom
// 1.0; the products are fixed-point products done in 64 bits so that large
// lengths and virtual areas do not wrap.
#include "xkv/window/Mapping.h"

#include <algorithm>
#include <cstdlib>

#include "xkv/types/Fixed.h"

bool Window_IsPageKind(uint32_t kind)
{
    return kind == 1 || kind == 2 || kind == 3 || kind == kWindowKindSpecialPage;
}

bool Window_IsStructureKind(uint32_t kind)
{
    return kind == kWindowKindStructureTree || kind == kWindowKindStructureOutline;
}

namespace {

// a × b of two 16.16 values, truncated toward zero as the kernel's product is.
int64_t WideMul(int64_t a, int64_t b)
{
    int64_t magnitude = (std::llabs(a) * std::llabs(b)) >> 16;
    return ((a < 0) != (b < 0)) ? -magnitude : magnitude;
}

int32_t Narrow(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

int32_t Map_LengthToPixels(Fixed length, Fixed scale, Fixed zoom)
{
    int64_t factor = Fix_Mul(scale, zoom);
    int64_t doubled = WideMul(int64_t{length} * 2, factor);
    return Narrow((doubled + 0x8000) >> 16);
}

Fixed Map_PixelsToLength(int32_t pixels, Fixed scale, Fixed zoom)
{
    int64_t factor = Fix_Mul(scale, zoom);
    if (factor == 0) {
        return pixels < 0 ? kFixedMinusInfinity : (pixels > 0 ? kFixedPlusInfinity : 0);
    }
    int64_t quotient = (int64_t{pixels} << 32) / factor;
    return Fix_Saturate(quotient >> 1);
}

void Map_PageToPixel(const WindowView& view, Fixed zoomX, Fixed zoomY, FixPoint point, int32_t* x, int32_t* y)
{
    if (Window_IsPageKind(view.kind) && view.page != 0) {
        if (!view.scaleKnown) {
            *x = Narrow(int64_t{view.wx} + view.virtualWidth / 2 + view.virtualX);
            *y = Narrow(int64_t{view.wy} + view.virtualHeight / 2 + view.virtualY);
            return;
        }
        *x = Narrow(int64_t{view.wx} + Map_LengthToPixels(point.x, view.scaleX, zoomX) + view.virtualWidth / 2 +
                    view.virtualX);
        *y = Narrow(int64_t{view.wy} + Map_LengthToPixels(point.y, view.scaleY, zoomY) + view.virtualHeight / 2 +
                    view.virtualY);
        return;
    }
    if (Window_IsStructureKind(view.kind)) {
        *x = Narrow(int64_t{view.originX} + (point.x >> 15));
        *y = Narrow(int64_t{view.originY} + (point.y >> 15));
        return;
    }
    *x = point.x >> 15;
    *y = point.y >> 15;
}

FixPoint Map_PixelToPage(const WindowView& view, Fixed zoomX, Fixed zoomY, int32_t x, int32_t y)
{
    if (Window_IsPageKind(view.kind) && view.page != 0) {
        if (!view.scaleKnown) {
            return {0, 0};
        }
        int64_t px = int64_t{x} - view.virtualX - view.wx - view.virtualWidth / 2;
        int64_t py = int64_t{y} - view.virtualY - view.wy - view.virtualHeight / 2;
        return {Map_PixelsToLength(Narrow(px), view.scaleX, zoomX), Map_PixelsToLength(Narrow(py), view.scaleY, zoomY)};
    }
    if (Window_IsStructureKind(view.kind)) {
        return {Fix_Saturate((int64_t{x} - view.originX) << 15), Fix_Saturate((int64_t{y} - view.originY) << 15)};
    }
    return {Fix_Saturate(int64_t{x} << 15), Fix_Saturate(int64_t{y} << 15)};
}

int16_t Map_ClampCoord(int64_t v)
{
    return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

uint16_t Map_ClampLength(int64_t v)
{
    return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, UINT16_MAX));
}
