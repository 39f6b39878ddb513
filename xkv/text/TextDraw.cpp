// The X layer under the display of texts: zoom-aware mapping between page
// units and pixels, laying out and drawing one run of characters (one
// buffered draw at the font's own size, every character at its own place on
// a zoomed page), and the shared graphics context of texts on page windows.
#include "xkv/text/TextDraw.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <utility>

#include "xkv/colour/Colour.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/print/Print.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextFontX.h"
#include "xkv/types/Fixed.h"
#include "xkv/window/Window.h"

namespace {

constexpr Fixed kClipInset = 0x18000;
constexpr Fixed kClipNarrower = 0x30000;
constexpr uint32_t kModeHighlighted = 2;
constexpr uint32_t kModeFromOrigin = 4;
constexpr uint32_t kModeToRightEnd = 8;
constexpr uint32_t kModePlain = 32;

// ---- Mapping ----

bool HasScale(ObjectHandle page, uint32_t axis)
{
    if (page == 0 || !Model_IsObject(page)) {
        return false;
    }
    auto scale = static_cast<Fixed>(Model_GetFieldValue(page, axis == 0 ? Field::kScaleX : Field::kScaleY));
    return scale > 0;
}

int32_t MapLength(const TextPixelMap& map, Fixed v, uint32_t axis)
{
    if (map.window != nullptr) {
        int32_t x = 0;
        int32_t y = 0;
        Window_PageToPixel(map.window, axis == 0 ? FixPoint{v, 0} : FixPoint{0, v}, &x, &y);
        return axis == 0 ? x : y;
    }
    if (HasScale(map.page, axis)) {
        return Window_PageToPixels(map.page, v, axis);
    }
    return v >> 15;
}

Fixed UnmapLength(const TextPixelMap& map, int32_t pixels, uint32_t axis)
{
    if (map.window != nullptr) {
        FixPoint point{};
        Window_PixelToPage(map.window, axis == 0 ? pixels : 0, axis == 0 ? 0 : pixels, &point);
        return axis == 0 ? point.x : point.y;
    }
    if (HasScale(map.page, axis)) {
        return Window_PixelsToPage(map.page, pixels, axis);
    }
    return Fix_Saturate(int64_t{pixels} * 0x8000);
}

int16_t Coord16(int64_t v)
{
    return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

bool InCoordRange(int32_t v)
{
    return v >= INT16_MIN && v <= INT16_MAX;
}

// ---- The shared GC ----

struct SharedTextGC {
    Display* display = nullptr;
    GC gc = nullptr;
    Region clip = nullptr;
    unsigned long foreground = 0;
    bool foregroundKnown = false;
};

SharedTextGC& Shared()
{
    static SharedTextGC shared;
    return shared;
}

// The font last set on each GC this layer drew with; a GC is known by its
// address and its server id together, so that a new GC at a reused address
// is not taken for the old one.
struct GCFontEntry {
    GC gc;
    GContext id;
    Font font;
};

std::vector<GCFontEntry>& GCFonts()
{
    static std::vector<GCFontEntry> entries;
    return entries;
}

XRectangle ClampedRect(const PixelRect& r)
{
    int64_t left = std::clamp<int64_t>(r.x, INT16_MIN, INT16_MAX);
    int64_t top = std::clamp<int64_t>(r.y, INT16_MIN, INT16_MAX);
    int64_t right = std::clamp<int64_t>(int64_t{r.x} + std::max(r.width, 0), INT16_MIN, INT16_MAX);
    int64_t bottom = std::clamp<int64_t>(int64_t{r.y} + std::max(r.height, 0), INT16_MIN, INT16_MAX);
    return XRectangle{static_cast<short>(left), static_cast<short>(top), static_cast<unsigned short>(right - left),
                      static_cast<unsigned short>(bottom - top)};
}

void CreateSharedGC(SharedTextGC& s, Display* display, const LoadedFont* font)
{
    int screen = DefaultScreen(display);
    XGCValues values{};
    values.foreground = BlackPixel(display, screen);
    values.background = WhitePixel(display, screen);
    unsigned long mask = GCForeground | GCBackground;
    if (font != nullptr && font->xfont != nullptr) {
        values.font = font->xfont->fid;
        mask |= GCFont;
    }
    s.display = display;
    s.gc = XCreateGC(display, RootWindow(display, screen), mask, &values);
    s.foreground = values.foreground;
    s.foregroundKnown = true;
    if (s.clip == nullptr) {
        s.clip = XCreateRegion();
    }
    if ((mask & GCFont) != 0) {
        GCFonts().push_back({s.gc, XGContextFromGC(s.gc), values.font});
    }
}

void SetForeground(SharedTextGC& s, unsigned long pixel)
{
    if (!s.foregroundKnown || s.foreground != pixel) {
        XSetForeground(s.display, s.gc, pixel);
        s.foreground = pixel;
        s.foregroundKnown = true;
    }
}

// Clips the shared GC to the text's frame (1.5 units in from the left, 3
// units narrower) within the damage being repaired; labels only to the damage.
void ClipToText(SharedTextGC& s, Widget pageWindow, const TextRec* text)
{
    Region damage = Window_RepairClip();
    bool hasDamage = damage != nullptr && !XEmptyRegion(damage);
    if (text == nullptr || text->label != 0) {
        if (hasDamage) {
            XSetRegion(s.display, s.gc, damage);
        } else {
            XSetClipMask(s.display, s.gc, None);
        }
        return;
    }
    Fixed left = Fix_Add(text->frameX, kClipInset);
    FixRect frame{left, text->frameY, Fix_Add(left, Fix_Sub(text->frameWidth, kClipNarrower)),
                  Fix_Add(text->frameY, text->frameHeight)};
    PixelRect pixels{};
    Window_PageRectToPixels(pageWindow, frame, &pixels);
    XRectangle rect = ClampedRect(pixels);
    XSubtractRegion(s.clip, s.clip, s.clip);
    XUnionRectWithRegion(&rect, s.clip, s.clip);
    if (hasDamage) {
        XIntersectRegion(s.clip, damage, s.clip);
    }
    XSetRegion(s.display, s.gc, s.clip);
}

// ---- Drawing ----

void FillArea(const TextRunTarget& target, GC gc, bool clear, int32_t left, int32_t right, int32_t top,
              int32_t bottom)
{
    int16_t x0 = Coord16(left);
    int16_t x1 = Coord16(right);
    int16_t y0 = Coord16(top);
    int16_t y1 = Coord16(bottom);
    if (x1 <= x0 || y1 <= y0) {
        return;  // an empty area; XClearArea would take a 0 size as "to the edge"
    }
    auto width = static_cast<unsigned>(x1 - x0);
    auto height = static_cast<unsigned>(y1 - y0);
    if (clear) {
        XClearArea(target.display, target.drawable, x0, y0, width, height, False);
    } else if (gc != nullptr) {
        XFillRectangle(target.display, target.drawable, gc, x0, y0, width, height);
    }
}

// Draws the pieces with one XDrawText: each item's delta makes up the
// difference between its place and where the previous item ended. Pieces
// outside X's 16-bit coordinates are left out.
void DrawPieces(const TextRunTarget& target, GC gc, const LoadedFont& drawing, const std::vector<RunPiece>& pieces,
                int32_t baseline)
{
    std::vector<XTextItem> items;
    items.reserve(pieces.size());
    int32_t firstX = 0;
    int32_t previousEnd = 0;
    for (const RunPiece& piece : pieces) {
        if (!InCoordRange(piece.x) || piece.characters.empty()) {
            continue;
        }
        auto count = static_cast<int>(std::min(piece.characters.size(), kRunCharacterLimit));
        XTextItem item{};
        item.chars = const_cast<char*>(piece.characters.data());
        item.nchars = count;
        item.font = None;
        if (items.empty()) {
            firstX = piece.x;
            item.delta = 0;
        } else {
            item.delta = piece.x - previousEnd;
        }
        previousEnd = piece.x + XTextWidth(drawing.xfont, piece.characters.data(), count);
        items.push_back(item);
    }
    if (!items.empty() && InCoordRange(baseline)) {
        XDrawText(target.display, target.drawable, gc, firstX, baseline, items.data(), static_cast<int>(items.size()));
    }
}

void PrintRun(const TextRunTarget& target, const RunLayout& run, Fixed bottom, const LoadedFont& layout)
{
    FontSpec printed{layout.family, layout.requestedSize, layout.style};
    Fixed baseline = Fix_Sub(bottom, Text_FontDescent(&layout));
    for (const RunPiece& piece : run.pieces) {
        Print_Text(printed, FixPoint{piece.at, baseline}, target.colour, piece.characters);
    }
}

}  // namespace

// ---- Mapping ----

int32_t Text_MapX(const TextPixelMap& map, Fixed x)
{
    return MapLength(map, x, 0);
}

int32_t Text_MapY(const TextPixelMap& map, Fixed y)
{
    return MapLength(map, y, 1);
}

Fixed Text_UnmapX(const TextPixelMap& map, int32_t x)
{
    return UnmapLength(map, x, 0);
}

Fixed Text_UnmapY(const TextPixelMap& map, int32_t y)
{
    return UnmapLength(map, y, 1);
}

// ---- Runs ----

RunLayout Text_LayoutRun(const TextPixelMap& map, std::string_view characters, Fixed origin, Fixed start,
                         Fixed rightEnd, LoadedFont* layout, bool perCharacter, uint32_t mode)
{
    RunLayout run;
    characters = characters.substr(0, std::min(characters.size(), kRunCharacterLimit));
    Fixed x = start;
    RunPiece piece;
    auto flush = [&] {
        if (!piece.characters.empty()) {
            run.pieces.push_back(std::move(piece));
        }
        piece = RunPiece{};
    };
    for (char c : characters) {
        auto byte = static_cast<uint8_t>(c);
        // A 0 byte never stands in display characters; it measures nothing.
        Fixed w = byte != 0 ? Text_CharWidth(layout, x, byte, 0) : 0;
        bool shown = byte >= 32;
        if (perCharacter) {
            if (shown) {
                Fixed at = Fix_Add(origin, x);
                run.pieces.push_back(RunPiece{Text_MapX(map, at), at, std::string(1, c)});
            }
        } else if (byte == '\t') {
            flush();  // the next character starts exactly at the tab stop
        } else if (shown) {
            if (piece.characters.empty()) {
                piece.at = Fix_Add(origin, x);
                piece.x = Text_MapX(map, piece.at);
            }
            piece.characters.push_back(c);
        }
        x = Fix_Add(x, w);
    }
    flush();
    run.width = Fix_Sub(x, start);
    bool bounded = rightEnd < kUnboundedFrame;
    Fixed left = (mode & kModeFromOrigin) != 0 && bounded ? origin : Fix_Add(origin, start);
    Fixed right = Fix_Add(origin, x);
    if ((mode & kModeToRightEnd) != 0 && bounded && rightEnd > right) {
        right = rightEnd;
    }
    run.left = Text_MapX(map, left);
    run.right = Text_MapX(map, right);
    return run;
}

Fixed Text_DrawRun(const TextRunTarget& target, Fixed origin, Fixed bottom, std::string_view characters, Fixed start,
                   Fixed rightEnd, LoadedFont* layout, LoadedFont* drawing, uint32_t mode)
{
    if (layout == nullptr) {
        return 0;
    }
    if (target.display == nullptr) {
        RunLayout run = Text_LayoutRun(target.map, characters, origin, start, rightEnd, layout, false, mode);
        PrintRun(target, run, bottom, *layout);
        return run.width;
    }
    if (drawing == nullptr || drawing->xfont == nullptr) {
        drawing = layout;
    }
    bool perCharacter = drawing != layout;
    RunLayout run = Text_LayoutRun(target.map, characters, origin, start, rightEnd, layout, perCharacter, mode);
    bool highlighted = (mode & kModeHighlighted) != 0;
    GC gc = highlighted ? target.inverse : target.normal;
    if (gc == nullptr || target.drawable == 0) {
        return run.width;
    }
    int32_t top = Text_MapY(target.map, Fix_Sub(bottom, Text_FontLineHeight(layout)));
    int32_t lower = Text_MapY(target.map, bottom);
    if (highlighted) {
        // The highlight colour is the normal GC's foreground.
        FillArea(target, target.normal, false, run.left, run.right, top, lower);
    } else if ((mode & kModePlain) == 0) {
        FillArea(target, nullptr, true, run.left, run.right, top, lower);
    }
    if (drawing->xfont == nullptr) {
        return run.width;
    }
    Text_SetGCFont(target.display, gc, drawing);
    int32_t baseline = Text_MapY(target.map, Fix_Sub(bottom, Text_FontDescent(layout)));
    DrawPieces(target, gc, *drawing, run.pieces, baseline);
    return run.width;
}

// ---- The shared GC ----

void Text_SetGCFont(Display* display, GC gc, const LoadedFont* font)
{
    if (display == nullptr || gc == nullptr || font == nullptr || font->xfont == nullptr) {
        return;
    }
    Font fid = font->xfont->fid;
    GContext id = XGContextFromGC(gc);
    std::vector<GCFontEntry>& entries = GCFonts();
    auto known = std::find_if(entries.begin(), entries.end(), [&](const GCFontEntry& e) { return e.gc == gc; });
    if (known != entries.end() && known->id == id && known->font == fid) {
        return;
    }
    XSetFont(display, gc, fid);
    if (known != entries.end()) {
        *known = {gc, id, fid};
    } else {
        entries.push_back({gc, id, fid});
    }
}

void Text_ForgetGCFont(unsigned long fid)
{
    std::erase_if(GCFonts(), [&](const GCFontEntry& e) { return e.font == fid; });
}

GC Text_PrepareGC(Widget pageWindow, MemHandle textHandle, LoadedFont* font)
{
    if (pageWindow == nullptr || !XtIsRealized(pageWindow)) {
        return nullptr;
    }
    Display* display = XtDisplay(pageWindow);
    LoadedFont* drawing = textHandle != 0 ? Text_DrawingFont(textHandle) : font;
    SharedTextGC& s = Shared();
    if (s.gc == nullptr || s.display != display) {
        CreateSharedGC(s, display, drawing);
    } else {
        Text_SetGCFont(display, s.gc, drawing);
    }
    BlockLock<TextRec> locked(textHandle);
    const TextRec* text = locked.get();
    if (Color_GetMode() != kColorMonochrome) {
        uint32_t colour = text != nullptr ? (Model_GetFieldValue(text->owner, Field::kColours) >> 8) & 0xff : 0;
        SetForeground(s, Color_GetPixel(static_cast<int16_t>(colour)));
    }
    ClipToText(s, pageWindow, text);
    return s.gc;
}

void Text_ResetClip()
{
    SharedTextGC& s = Shared();
    if (s.gc != nullptr) {
        XSetClipMask(s.display, s.gc, None);
    }
}
