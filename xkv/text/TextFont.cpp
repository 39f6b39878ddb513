// Fonts of texts: the family and size vocabularies, X font names and loading
// with the "fixed" fallback, the layout and screen font tables with their
// reference counts, and character widths in page units.
#include "xkv/text/TextFontX.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/types/Fixed.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextDraw.h"

namespace {

constexpr const char* kFamilyNames[] = {"Chicago", "Courier", "Geneva", "Helvetica", "Monaco", "Times"};
constexpr const char* kSizeNames[] = {"8", "10", "12", "14", "18", "24"};
constexpr uint16_t kSizeValues[] = {8, 10, 12, 14, 18, 24};
constexpr uint16_t kScalableSizes[] = {8, 10, 12, 14, 18, 24, 0};
constexpr uint16_t kFixedSizes[] = {9, 12, 14, 0};
constexpr uint32_t kFamilyMonaco = 4;

uint16_t fontDpi = 75;
int32_t tabSize = 4;
TextFontSource fontSource{nullptr, nullptr, nullptr};

using FontTable = std::vector<std::unique_ptr<LoadedFont>>;
FontTable layoutFonts;
FontTable screenFonts;

// ---- The X server as font source ----

XFontStruct* LoadFromDisplay(void* context, const char* name)
{
    return XLoadQueryFont(static_cast<Display*>(context), name);
}

void ReleaseToDisplay(void* context, XFontStruct* font)
{
    XFreeFont(static_cast<Display*>(context), font);
}

XFontStruct* LoadX(const char* name)
{
    return fontSource.load != nullptr ? fontSource.load(fontSource.context, name) : nullptr;
}

const char* WeightSlant(uint32_t family, uint16_t style)
{
    bool bold = (style & kStyleBold) != 0;
    bool italic = (style & kStyleItalic) != 0;
    if (family == kFamilySymbol) {
        return "medium-r";
    }
    if (family == 5) {
        return bold ? (italic ? "bold-i" : "bold-r") : (italic ? "medium-i" : "medium-r");
    }
    return bold ? (italic ? "bold-o" : "bold-r") : (italic ? "medium-o" : "medium-r");
}

const char* XFamily(uint32_t family)
{
    switch (family) {
    case 3:
        return "helvetica";
    case 5:
        return "times";
    case kFamilySymbol:
        return "symbol";
    default:
        return "courier";
    }
}

// Sizes are compared as signed bytes, as the font sizes of the menus are.
uint16_t NearestBySignedByte(const uint16_t* sizes, uint16_t requested)
{
    auto request = static_cast<int8_t>(requested);
    uint16_t chosen = sizes[0];
    for (const uint16_t* s = sizes; *s != 0; ++s) {
        if (static_cast<int>(*s) <= request) {
            chosen = *s;
        }
    }
    return chosen;
}

void ReleaseRecord(LoadedFont& font)
{
    if (font.xfont != nullptr) {
        Text_ForgetGCFont(font.xfont->fid);
    }
    if (font.xfont != nullptr && fontSource.release != nullptr) {
        fontSource.release(fontSource.context, font.xfont);
    }
    font.xfont = nullptr;
}

int16_t FindOrLoad(FontTable& table, const FontSpec& wantedFont, bool layout)
{
    for (size_t i = 0; i < table.size(); ++i) {
        LoadedFont* font = table[i].get();
        if (font != nullptr && font->family == wantedFont.family && font->requestedSize == wantedFont.size &&
            font->style == wantedFont.style) {
            font->referenceCount++;
            return static_cast<int16_t>(i);
        }
    }
    std::unique_ptr<LoadedFont> owned = Text_LoadXFont(wantedFont, layout ? 1 : 0);
    if (!owned) {
        return kNoFont;
    }
    for (size_t i = 0; i < table.size(); ++i) {
        if (!table[i]) {
            table[i] = std::move(owned);
            return static_cast<int16_t>(i);
        }
    }
    if (table.size() >= static_cast<size_t>(INT16_MAX)) {
        ReleaseRecord(*owned);
        return kNoFont;
    }
    table.push_back(std::move(owned));
    return static_cast<int16_t>(table.size() - 1);
}

// Drops one reference on a table entry; the last one frees the X font (after
// the shared GC forgets it) and empties the slot.
void Text_ReleaseXFont(FontTable& table, int16_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= table.size() || !table[index]) {
        return;
    }
    LoadedFont& font = *table[index];
    if (font.referenceCount > 1) {
        font.referenceCount--;
        return;
    }
    ReleaseRecord(font);
    table[index].reset();
}

LoadedFont* Entry(const FontTable& table, int16_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= table.size()) {
        return nullptr;
    }
    return table[index].get();
}

// Pixels of the font scaled to the requested size, as a page length.
Fixed ScaledPixels(const LoadedFont& font, int64_t pixels)
{
    int64_t loaded = font.loadedSize != 0 ? font.loadedSize : font.requestedSize;
    int64_t requested = font.requestedSize;
    if (loaded <= 0 || requested <= 0) {
        return static_cast<Fixed>(std::clamp<int64_t>(pixels * 0x8000, INT32_MIN, INT32_MAX));
    }
    return static_cast<Fixed>(std::clamp<int64_t>(pixels * 0x8000 * requested / loaded, INT32_MIN, INT32_MAX));
}

int32_t PixelWidth(LoadedFont& font, uint8_t character)
{
    if (font.xfont == nullptr) {
        return 0;
    }
    char c = static_cast<char>(character);
    if (!font.layout) {
        return XTextWidth(font.xfont, &c, 1);
    }
    uint8_t& cached = font.widths[character - 32];
    if (cached == 0) {
        cached = static_cast<uint8_t>(std::clamp(XTextWidth(font.xfont, &c, 1), 0, 255));
    }
    return cached;
}

int32_t SpacePixels(LoadedFont& font)
{
    if (font.spaceWidth < 0) {
        font.spaceWidth = font.xfont != nullptr ? XTextWidth(font.xfont, " ", 1) : 0;
    }
    return font.spaceWidth;
}

}  // namespace

Fixed Text_RunWidth(LoadedFont* font, MemHandle segmentHandle)
{
    BlockLock<TextSegment> segment(segmentHandle);
    if (!segment) {
        return 0;
    }
    BlockLock<TextRef> reference(segment->reference);
    if (!reference) {
        return 0;
    }
    BlockLock<char> display(reference->display);
    uint32_t length = std::min<uint32_t>(reference->displayLength, display.size());
    uint32_t end = segment->end == 0 ? length : std::min<uint32_t>(segment->end, length);
    Fixed width = 0;
    for (uint32_t i = segment->start; i < end; ++i) {
        width = Fix_Add(width, Text_CharWidth(font, width, static_cast<uint8_t>(display.get()[i]), 0));
    }
    return width;
}


void Text_SetFontSource(const TextFontSource* source)
{
    fontSource = source != nullptr ? *source : TextFontSource{nullptr, nullptr, nullptr};
}

void Text_UseDisplayFonts(_XDisplay* display)
{
    TextFontSource source{LoadFromDisplay, ReleaseToDisplay, display};
    Text_SetFontSource(display != nullptr ? &source : nullptr);
}

void Text_SetFontDpi(uint16_t dpi)
{
    fontDpi = dpi != 0 ? dpi : 75;
}

uint16_t Text_FontDpi()
{
    return fontDpi;
}

void Text_SetTabSize(int32_t spaces)
{
    tabSize = spaces >= 1 ? spaces : 4;
}

// ---- Vocabularies ----

const char* const* Text_FontFamilyNames()
{
    return kFamilyNames;
}

uint32_t Text_FontFamilyCount()
{
    return 6;
}

const char* const* Text_FontSizeNames()
{
    return kSizeNames;
}

const uint16_t* Text_FontSizeValues()
{
    return kSizeValues;
}

uint32_t Text_FontSizeCount()
{
    return 6;
}

uint32_t Text_FontStyleMask()
{
    return 62;
}

uint16_t Text_NearestFontSize(const uint16_t* sizes, uint16_t requested)
{
    if (sizes == nullptr || sizes[0] == 0) {
        return requested;
    }
    uint16_t chosen = sizes[0];
    for (const uint16_t* s = sizes; *s != 0; ++s) {
        if (*s <= requested) {
            chosen = *s;
        }
    }
    return chosen;
}

// ---- Loading ----

void Text_FontName(const FontSpec& wantedFont, char* name, uint32_t size, uint16_t* loadedSize)
{
    if (wantedFont.family == kFamilyMonaco) {
        uint16_t loaded = NearestBySignedByte(kFixedSizes, wantedFont.size);
        const char* fixedName = loaded == 9 ? "6x13" : loaded == 12 ? "8x13" : "9x15";
        std::snprintf(name, size, "%s", fixedName);
        *loadedSize = loaded;
        return;
    }
    uint16_t loaded = NearestBySignedByte(kScalableSizes, wantedFont.size);
    std::snprintf(name, size, "*-%s-%s-*-%d0-%d-%d-*", XFamily(wantedFont.family), WeightSlant(wantedFont.family, wantedFont.style),
                  loaded, fontDpi, fontDpi);
    *loadedSize = loaded;
}

std::unique_ptr<LoadedFont> Text_LoadXFont(const FontSpec& wantedFont, uint32_t layout)
{
    char name[128];
    uint16_t loadedSize = 0;
    Text_FontName(wantedFont, name, sizeof(name), &loadedSize);
    XFontStruct* xfont = LoadX(name);
    if (xfont == nullptr) {
        std::fprintf(stderr,
                     "%s: cannot find the selected font in %ddpi family.\n\tUsing fixed font instead.\n\n"
                     "WARNING: the text lay out will not be correct!\n",
                     program_invocation_short_name, fontDpi);
        xfont = LoadX("fixed");
    }
    if (xfont == nullptr) {
        return nullptr;
    }
    auto font = std::make_unique<LoadedFont>();
    font->family = wantedFont.family;
    font->requestedSize = wantedFont.size;
    font->style = wantedFont.style;
    font->xfont = xfont;
    font->referenceCount = 1;
    font->layout = layout != 0;
    font->loadedSize = loadedSize;
    return font;
}

// ---- Tables ----

int16_t Text_AcquireFont(const FontSpec* wantedFont)
{
    return wantedFont != nullptr ? FindOrLoad(layoutFonts, *wantedFont, true) : kNoFont;
}

void Text_ReleaseFont(int16_t font)
{
    Text_ReleaseXFont(layoutFonts, font);
}

LoadedFont* Text_LayoutFont(int16_t font)
{
    return Entry(layoutFonts, font);
}

uint16_t Text_FontReferenceCount(int16_t font)
{
    LoadedFont* entry = Entry(layoutFonts, font);
    return entry != nullptr ? entry->referenceCount : 0;
}

int16_t Text_AcquireScreenFont(const FontSpec& wantedFont)
{
    return FindOrLoad(screenFonts, wantedFont, false);
}

void Text_ReleaseScreenFont(int16_t font)
{
    Text_ReleaseXFont(screenFonts, font);
}

LoadedFont* Text_ScreenFont(int16_t font)
{
    return Entry(screenFonts, font);
}

// ---- Metrics ----

Fixed Text_FontLineHeight(const LoadedFont* font)
{
    if (font == nullptr || font->xfont == nullptr) {
        return 0;
    }
    return ScaledPixels(*font, int64_t{font->xfont->ascent} + font->xfont->descent);
}

Fixed Text_FontDescent(const LoadedFont* font)
{
    if (font == nullptr || font->xfont == nullptr) {
        return 0;
    }
    return ScaledPixels(*font, font->xfont->descent);
}

Fixed Text_FontHeight(int16_t font)
{
    return Text_FontLineHeight(Entry(layoutFonts, font));
}

Fixed Text_SpaceAndDescent(LoadedFont* font, Fixed* spaceWidth)
{
    if (font == nullptr) {
        if (spaceWidth != nullptr) {
            *spaceWidth = 0;
        }
        return 0;
    }
    if (spaceWidth != nullptr) {
        *spaceWidth = ScaledPixels(*font, SpacePixels(*font));
    }
    return Text_FontDescent(font);
}

Fixed Text_CharWidth(LoadedFont* font, Fixed x, uint8_t character, MemHandle segment)
{
    if (font == nullptr) {
        return 0;
    }
    if (character == 0) {
        return Text_RunWidth(font, segment);
    }
    if (character == '\t') {
        Fixed stop = ScaledPixels(*font, int64_t{SpacePixels(*font)} * tabSize);
        if (stop <= 0) {
            return 0;
        }
        // The next stop after x, in 64 bits: a huge font from a file makes
        // stops that do not fit in a coordinate.
        int64_t from = std::max(x, 0);
        int64_t next = (from / stop + 1) * int64_t{stop};
        return Fix_Saturate(next - from);
    }
    if (character < 32) {
        return 0;
    }
    return ScaledPixels(*font, PixelWidth(*font, character));
}

KernelStatus Text_MeasureString(int16_t font, const char* characters, int16_t count, Fixed* width,
                                Fixed* height)
{
    LoadedFont* entry = Entry(layoutFonts, font);
    Fixed total = 0;
    if (entry != nullptr && characters != nullptr) {
        for (int16_t i = 0; i < count; ++i) {
            auto c = static_cast<uint8_t>(characters[i]);
            if (c > 31) {
                total = Fix_Add(total, Text_CharWidth(entry, total, c, 0));
            }
        }
    }
    if (width != nullptr) {
        *width = total;
    }
    if (height != nullptr) {
        *height = Text_FontLineHeight(entry);
    }
    return entry != nullptr ? kStatusOk : kStatusFailed;
}

const char* Text_CharsThatFit(Fixed width, const char* characters, int16_t count, int16_t font, uint16_t* fitted)
{
    LoadedFont* entry = Entry(layoutFonts, font);
    uint16_t n = 0;
    Fixed running = 0;
    if (entry != nullptr && characters != nullptr) {
        while (n < count) {
            Fixed next = Fix_Add(running, Text_CharWidth(entry, running, static_cast<uint8_t>(characters[n]), 0));
            if (next >= width) {
                break;
            }
            running = next;
            ++n;
        }
    }
    if (fitted != nullptr) {
        *fitted = n;
    }
    return characters != nullptr ? characters + n : nullptr;
}

const char* Text_FitString(Fixed width, const char* characters, int16_t count, int16_t font, uint16_t* fitted)
{
    return Text_CharsThatFit(width, characters, count, font, fitted);
}

// ---- Screen fonts of texts ----

namespace {

bool ScreenFontFits(const TextRec& text, const LoadedFont& layout, uint16_t scaled)
{
    if (text.screenFont == kScreenIsLayoutFont) {
        return layout.loadedSize == scaled;
    }
    const LoadedFont* screen = Text_ScreenFont(text.screenFont);
    return screen != nullptr && screen->family == layout.family && screen->requestedSize == scaled &&
           screen->style == layout.style;
}

}  // namespace

void Text_UpdateScreenFont(MemHandle handle, Fixed scale)
{
    BlockLock<TextRec> text(handle);
    LoadedFont* layout = text ? Text_LayoutFont(text->font) : nullptr;
    if (layout == nullptr) {
        return;
    }
    if (scale == 0) {
        ObjectHandle page = Model_GetPage(text->owner);
        scale = page != 0 ? static_cast<Fixed>(Model_GetFieldValue(page, Field::kScaleX)) : 0;
        if (scale <= 0) {
            scale = kFixedOne;
        }
    }
    // The size times the scale, rounded; in 64 bits, as a size read from a
    // file may be any 16-bit number.
    int64_t product = int64_t{layout->requestedSize} * scale;
    auto scaled = static_cast<uint16_t>(std::clamp((product + 0x8000) >> 16, int64_t{1}, int64_t{255}));
    // A screen font chosen for an earlier font of the text is stale even at
    // the same scale.
    if (text->screenFont != kNoFont && text->screenFontScale == scale && ScreenFontFits(*text, *layout, scaled)) {
        return;
    }
    text->screenFontScale = scale;
    int16_t index = kScreenIsLayoutFont;
    if (layout->loadedSize != scaled) {
        index = Text_AcquireScreenFont(FontSpec{layout->family, scaled, layout->style});
    }
    if (index != text->screenFont) {
        if (text->screenFont >= 0) {
            Text_ReleaseScreenFont(text->screenFont);
        }
        text->screenFont = index;
    } else if (index >= 0) {
        Text_ReleaseScreenFont(index);  // the text holds one reference already
    }
}

LoadedFont* Text_DrawingFont(MemHandle handle)
{
    BlockLock<TextRec> text(handle);
    if (!text) {
        return nullptr;
    }
    LoadedFont* screen = text->screenFont >= 0 ? Text_ScreenFont(text->screenFont) : nullptr;
    return screen != nullptr ? screen : Text_LayoutFont(text->font);
}
