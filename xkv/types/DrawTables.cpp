// Dash patterns, fill tiles and drawing functions.
#include "xkv/types/DrawTables.h"

#include <array>

namespace {

constexpr uint8_t kDashes1[] = {9, 7};
constexpr uint8_t kDashes2[] = {15, 7};
constexpr uint8_t kDashes3[] = {3, 7};
constexpr uint8_t kDashes4[] = {10, 5, 3, 5};

constexpr std::array<DashPattern, kDashPatternCount> kDashPatterns = {{
    {0, 2, kDashes1},
    {0, 2, kDashes2},
    {0, 2, kDashes3},
    {0, 4, kDashes4},
}};

std::array<Pixmap, kFillPatternCount> g_fillTiles{};

bool IsFillNumber(int32_t fill)
{
    return fill >= 1 && fill <= kFillPatternCount;
}

}  // namespace

const DashPattern* LinePat_Get(int32_t pattern)
{
    if (pattern < 1 || pattern > kDashPatternCount) {
        return nullptr;
    }
    return &kDashPatterns[pattern - 1];
}

Pixmap LinePat_FillTile(int32_t fill)
{
    return IsFillNumber(fill) ? g_fillTiles[fill - 1] : None;
}

void LinePat_SetFillTile(int32_t fill, Pixmap pixmap)
{
    if (IsFillNumber(fill)) {
        g_fillTiles[fill - 1] = pixmap;
    }
}

int DrawFunc_ToX(int32_t function)
{
    switch (function) {
    case 1:
        return GXor;
    case 2:
        return GXxor;
    case 3:
        return GXandInverted;
    default:
        return GXcopy;
    }
}
