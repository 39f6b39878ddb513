// Colours on the kernel's display: mode from the default visual, the colour table
// with its pixels, sharing of cells on small colormaps. Every allocation is checked;
// a colour that cannot be had takes the nearest allocated cell, else black or white.
#include "xkv/colour/Colour.h"

#include "xkv/platform/xwindows/Platform.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <vector>

namespace {

using Rgb = std::array<uint16_t, 3>;

constexpr std::array<Rgb, 16> kDefaults = {{{0, 0, 0},
                                            {128, 0, 0},
                                            {128, 128, 128},
                                            {128, 128, 0},
                                            {128, 0, 128},
                                            {192, 192, 192},
                                            {255, 0, 0},
                                            {0, 128, 128},
                                            {0, 0, 128},
                                            {255, 0, 255},
                                            {0, 0, 255},
                                            {0, 255, 255},
                                            {0, 128, 0},
                                            {0, 255, 0},
                                            {255, 255, 0},
                                            {255, 255, 255}}};

struct ColourState {
    uint32_t mode = kColorMonochrome;
    int mapEntries = 0;
    int depth = 0;
    Colormap colormap = 0;
    std::array<Rgb, kColorTableSize> rows{};
    uint16_t count = 0;
    std::array<unsigned long, kColorTableSize> pixels{};
    std::array<bool, kColorTableSize> allocated{}; // the cell's pixel came from the server
    // Only when the visual has fewer than 256 colormap entries.
    std::optional<std::array<uint16_t, kColorTableSize>> indexMap;
    std::array<Rgb, kColorTableSize> cellColours{};
    uint16_t cellsInUse = 0;
};
ColourState colours;

Display* TheDisplay()
{
    return Platform_Display();
}

bool IsStatic()
{
    return colours.mode == kColorStaticGrey || colours.mode == kColorStatic;
}

bool SameAtDepth(const Rgb& a, const Rgb& b)
{
    int shift = std::max(0, 8 - colours.depth);
    for (size_t i = 0; i < 3; ++i) {
        if ((a[i] >> shift) != (b[i] >> shift)) {
            return false;
        }
    }
    return true;
}

long Distance(const Rgb& a, const Rgb& b)
{
    long sum = 0;
    for (size_t i = 0; i < 3; ++i) {
        long d = static_cast<long>(a[i]) - static_cast<long>(b[i]);
        sum += d * d;
    }
    return sum;
}

uint16_t CellOf(int index)
{
    return colours.indexMap ? (*colours.indexMap)[static_cast<size_t>(index)] : static_cast<uint16_t>(index);
}

// The cell whose colour is nearest to the wanted one among the cells that hold a
// pixel from the server.
std::optional<uint16_t> NearestAllocatedCell(const Rgb& wanted)
{
    std::optional<uint16_t> best;
    long bestDistance = std::numeric_limits<long>::max();
    for (size_t cell = 0; cell < colours.allocated.size(); ++cell) {
        if (!colours.allocated[cell]) {
            continue;
        }
        long d = Distance(colours.cellColours[cell], wanted);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<uint16_t>(cell);
        }
    }
    return best;
}

// Decides which cell index uses; true when a new cell must be allocated for it.
bool ShareCell(int index)
{
    if (!colours.indexMap) {
        return true;
    }
    const Rgb& wanted = colours.rows[static_cast<size_t>(index)];
    auto& map = *colours.indexMap;
    for (int cell = colours.cellsInUse - 1; cell >= 0; --cell) {
        if (SameAtDepth(colours.cellColours[static_cast<size_t>(cell)], wanted)) {
            map[static_cast<size_t>(index)] = static_cast<uint16_t>(cell);
            return false;
        }
    }
    if (colours.cellsInUse < colours.mapEntries && colours.cellsInUse < kColorTableSize) {
        map[static_cast<size_t>(index)] = colours.cellsInUse++;
        return true;
    }
    // No cell left: share the nearest one.
    if (auto nearest = NearestAllocatedCell(wanted)) {
        map[static_cast<size_t>(index)] = *nearest;
    }
    return false;
}

unsigned long BlackOrWhite(const Rgb& wanted)
{
    Display* display = TheDisplay();
    int screen = DefaultScreen(display);
    long brightness = 299L * wanted[0] + 587L * wanted[1] + 114L * wanted[2];
    return brightness >= 128L * 1000 ? WhitePixel(display, screen) : BlackPixel(display, screen);
}

// Gives the index's cell a pixel for its row: allocated from the server, else the
// nearest allocated cell's pixel, else black or white.
void AllocateCell(int index)
{
    Display* display = TheDisplay();
    if (display == nullptr) {
        return;
    }
    const Rgb& wanted = colours.rows[static_cast<size_t>(index)];
    uint16_t cell = CellOf(index);
    XColor colour{};
    colour.red = static_cast<unsigned short>(wanted[0] << 8);
    colour.green = static_cast<unsigned short>(wanted[1] << 8);
    colour.blue = static_cast<unsigned short>(wanted[2] << 8);
    colour.flags = DoRed | DoGreen | DoBlue;
    if (XAllocColor(display, colours.colormap, &colour) != 0) {
        colours.pixels[cell] = colour.pixel;
        colours.allocated[cell] = true;
        colours.cellColours[cell] = wanted;
        return;
    }
    colours.allocated[cell] = false;
    if (auto nearest = NearestAllocatedCell(wanted)) {
        colours.pixels[cell] = colours.pixels[*nearest];
    } else {
        colours.pixels[cell] = BlackOrWhite(wanted);
    }
    colours.cellColours[cell] = wanted;
}

uint32_t ModeOfVisualClass(int visualClass)
{
    switch (visualClass) {
    case GrayScale:
    case PseudoColor:
        return kColorPseudo;
    case DirectColor:
        return kColorDirect;
    case StaticColor:
    case TrueColor:
        return kColorStatic;
    default:
        return kColorStaticGrey;
    }
}

void ResetTable()
{
    colours.count = 0;
    colours.cellsInUse = 0;
    colours.allocated.fill(false);
    if (colours.indexMap) {
        colours.indexMap->fill(0);
    }
}

} // namespace

void Color_Initialize()
{
    colours = ColourState{};
    for (size_t i = 0; i < kDefaults.size(); ++i) {
        colours.rows[i] = kDefaults[i];
    }
    Display* display = TheDisplay();
    if (display == nullptr) {
        return;
    }
    int screen = DefaultScreen(display);
    colours.depth = DefaultDepth(display, screen);
    if (colours.depth < 2) {
        return;
    }
    Visual* visual = DefaultVisual(display, screen);
    colours.mapEntries = visual->map_entries;
    if (colours.mapEntries < kColorTableSize) {
        colours.indexMap.emplace();
        colours.indexMap->fill(0);
    }
    // The mode follows the default visual, whose colormap is the one in use.
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(visual);
    wanted.screen = screen;
    int found = 0;
    XVisualInfo* list = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &found);
    if (list == nullptr || found < 1) {
        if (list != nullptr) {
            XFree(list);
        }
        return;
    }
    colours.mode = ModeOfVisualClass(list[0].c_class);
    XFree(list);
    colours.colormap = DefaultColormap(display, screen);
    Color_LoadDefaults();
}

uint32_t Color_GetMode()
{
    return colours.mode;
}

int Color_GetMapEntries()
{
    return colours.mapEntries;
}

uint16_t Color_Count()
{
    return colours.count;
}

unsigned long Color_GetPixel(int16_t index)
{
    if (index < 0 || index >= kColorTableSize) {
        Display* display = TheDisplay();
        return display != nullptr ? BlackPixel(display, DefaultScreen(display)) : 0;
    }
    return colours.pixels[CellOf(index)];
}

uint32_t Color_GetRGB(ColorEntry* entry, uint32_t query)
{
    if (entry == nullptr || entry->index < 0) {
        return 0;
    }
    if (query != 0 && IsStatic()) {
        Display* display = TheDisplay();
        if (display == nullptr || entry->index >= colours.mapEntries || entry->index >= kColorTableSize) {
            return 0;
        }
        XColor colour{};
        colour.pixel = Color_GetPixel(entry->index);
        XQueryColor(display, colours.colormap, &colour);
        entry->red = colour.red >> 8;
        entry->green = colour.green >> 8;
        entry->blue = colour.blue >> 8;
        return 1;
    }
    if (entry->index >= colours.count) {
        return 0;
    }
    const Rgb& row = colours.rows[static_cast<size_t>(entry->index)];
    entry->red = row[0];
    entry->green = row[1];
    entry->blue = row[2];
    return 1;
}

uint32_t Color_Define(ColorEntry* entry)
{
    if (entry == nullptr) {
        return 0;
    }
    bool isNew = false;
    if (entry->index < 0 || entry->index >= colours.count) {
        if (colours.count >= kColorTableSize) {
            return 0;
        }
        entry->index = static_cast<int16_t>(colours.count++);
        isNew = true;
    }
    if (IsStatic() && !isNew) {
        return 0;
    }
    colours.rows[static_cast<size_t>(entry->index)] = {static_cast<uint16_t>(std::min<uint16_t>(entry->red, 255)),
                                                       static_cast<uint16_t>(std::min<uint16_t>(entry->green, 255)),
                                                       static_cast<uint16_t>(std::min<uint16_t>(entry->blue, 255))};
    if (ShareCell(entry->index)) {
        AllocateCell(entry->index);
    }
    return 1;
}

uint32_t Color_DefineByName(const char* name, ColorEntry* entry)
{
    Display* display = TheDisplay();
    if (name == nullptr || entry == nullptr || display == nullptr || colours.colormap == 0) {
        return 0;
    }
    XColor parsed{};
    if (XParseColor(display, colours.colormap, name, &parsed) == 0) {
        return 0;
    }
    entry->index = -1;
    entry->red = parsed.red >> 8;
    entry->green = parsed.green >> 8;
    entry->blue = parsed.blue >> 8;
    return Color_Define(entry);
}

uint32_t Color_LoadTable(const uint16_t (*rows)[3], uint32_t reset, int16_t first, uint16_t n)
{
    if (rows == nullptr && n > 0) {
        return 0;
    }
    bool writeRows = true;
    int start = 0;
    if (first == -1) {
        writeRows = false;
    } else if (first < 0 || first >= colours.count || colours.count == 0) {
        start = colours.count;
    } else if (reset != 0) {
        ResetTable();
    } else if (IsStatic()) {
        return 0;
    } else {
        start = first;
    }
    int loaded = std::min<int>(n, kColorTableSize - start);
    for (int i = 0; i < loaded; ++i) {
        int index = start + i;
        if (writeRows) {
            colours.rows[static_cast<size_t>(index)] = {std::min<uint16_t>(rows[i][0], 255),
                                                        std::min<uint16_t>(rows[i][1], 255),
                                                        std::min<uint16_t>(rows[i][2], 255)};
        }
        if (ShareCell(index)) {
            AllocateCell(index);
        }
    }
    int end = start + loaded;
    // Loading the table's own rows again never forgets colours defined after them.
    colours.count = static_cast<uint16_t>(writeRows ? end : std::max<int>(colours.count, end));
    return 1;
}

uint32_t Color_LoadDefaults()
{
    uint16_t rows[kDefaults.size()][3];
    for (size_t i = 0; i < kDefaults.size(); ++i) {
        std::copy(kDefaults[i].begin(), kDefaults[i].end(), rows[i]);
    }
    return Color_LoadTable(rows, 0, -1, static_cast<uint16_t>(kDefaults.size()));
}
