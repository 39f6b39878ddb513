// Colours on real X servers: a 24-bit TrueColor screen, an 8-bit PseudoColor screen
// and a 4-bit one with 16 colormap entries; modes, pixels, defining, sharing, fallback.
#include <gtest/gtest.h>

#include "xclient.h"
#include "xvfb.h"

#include "xkv/colour/Colour.h"
#include "xkv/platform/xwindows/Platform.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <memory>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

// The colour module on its own connection to a server.
class Screen {
public:
    explicit Screen(const std::string& display) : display_(XOpenDisplay(display.c_str()))
    {
        if (display_ == nullptr) {
            throw std::runtime_error("cannot open " + display);
        }
        Platform_Attach(nullptr, display_);
        Color_Initialize();
    }
    ~Screen()
    {
        Platform_Attach(nullptr, nullptr);
        XCloseDisplay(display_);
    }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    Display* display() const { return display_; }

    Rgb PixelColour(unsigned long pixel) const
    {
        XColor colour{};
        colour.pixel = pixel;
        XQueryColor(display_, DefaultColormap(display_, DefaultScreen(display_)), &colour);
        return {static_cast<uint8_t>(colour.red >> 8), static_cast<uint8_t>(colour.green >> 8),
                static_cast<uint8_t>(colour.blue >> 8)};
    }

private:
    Display* display_;
};

TEST(Colours, TrueColorScreen)
{
    Screen screen(XvfbEnvironment::display());
    EXPECT_EQ(Color_GetMode(), kColorStatic);
    EXPECT_EQ(Color_Count(), 16);
    EXPECT_EQ(screen.PixelColour(Color_GetPixel(6)), (Rgb{255, 0, 0}));
    EXPECT_EQ(screen.PixelColour(Color_GetPixel(12)), (Rgb{0, 128, 0}));

    ColorEntry added{-1, 10, 20, 30};
    EXPECT_EQ(Color_Define(&added), 1u);
    EXPECT_EQ(added.index, 16);
    EXPECT_EQ(screen.PixelColour(Color_GetPixel(16)), (Rgb{10, 20, 30})) << "a new colour gets its own pixel";

    // In a static mode an existing index cannot be changed.
    ColorEntry change{6, 0, 0, 255};
    EXPECT_EQ(Color_Define(&change), 0u);
    ColorEntry read{6, 0, 0, 0};
    ASSERT_EQ(Color_GetRGB(&read, 0), 1u);
    EXPECT_EQ(read.red, 255);
    EXPECT_EQ(read.blue, 0);
    ColorEntry queried{10, 0, 0, 0};
    ASSERT_EQ(Color_GetRGB(&queried, 1), 1u);
    EXPECT_EQ(queried.blue, 255);

    ColorEntry beyond{20, 0, 0, 0};
    EXPECT_EQ(Color_GetRGB(&beyond, 0), 0u);

    ColorEntry named{0, 0, 0, 0};
    EXPECT_EQ(Color_DefineByName("orange", &named), 1u);
    EXPECT_EQ(named.index, 17);
    EXPECT_EQ(screen.PixelColour(Color_GetPixel(17)), (Rgb{255, 165, 0}));
    EXPECT_EQ(Color_DefineByName("no such colour", &named), 0u);
}

TEST(Colours, TheTableHoldsAt256)
{
    Screen screen(XvfbEnvironment::display());
    for (int i = 16; i < 256; ++i) {
        ColorEntry entry{-1, static_cast<uint16_t>(i), 0, 0};
        ASSERT_EQ(Color_Define(&entry), 1u);
    }
    ColorEntry full{-1, 1, 2, 3};
    EXPECT_EQ(Color_Define(&full), 0u);
    EXPECT_EQ(Color_Count(), 256);
    // Loading the defaults again keeps the defined colours.
    EXPECT_EQ(Color_LoadDefaults(), 1u);
    EXPECT_EQ(Color_Count(), 256);
    // Rows appended past the end are cut at the table's size; overwriting is refused
    // in a static mode.
    const uint16_t rows[3][3] = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
    EXPECT_EQ(Color_LoadTable(rows, 0, 256, 3), 1u);
    EXPECT_EQ(Color_Count(), 256);
    EXPECT_EQ(Color_LoadTable(rows, 0, 255, 3), 0u);
}

TEST(Colours, PseudoColorScreenIsWritable)
{
    Xvfb server(640, 480, 8);
    Screen screen(server.display());
    EXPECT_EQ(Color_GetMode(), kColorPseudo);
    EXPECT_EQ(Color_GetMapEntries(), 256);
    EXPECT_EQ(screen.PixelColour(Color_GetPixel(6)), (Rgb{255, 0, 0}));
    EXPECT_EQ(screen.PixelColour(Color_GetPixel(14)), (Rgb{255, 255, 0}));
    // An existing index may be changed in a writable mode.
    ColorEntry change{6, 0, 0, 255};
    EXPECT_EQ(Color_Define(&change), 1u);
    EXPECT_EQ(screen.PixelColour(Color_GetPixel(6)), (Rgb{0, 0, 255}));

    // With every cell of the colormap taken by another client, new colours fall
    // back to the nearest allocated cell instead of an unallocated pixel.
    Display* other = XOpenDisplay(server.display().c_str());
    ASSERT_NE(other, nullptr);
    unsigned long pixels[256];
    unsigned long planes[1];
    unsigned int got = 0;
    for (unsigned int want = 256; want > 0 && got == 0; --want) {
        if (XAllocColorCells(other, DefaultColormap(other, 0), False, planes, 0, pixels, want)) {
            got = want;
        }
    }
    ASSERT_GT(got, 0u);
    XSync(other, False);
    ColorEntry nearYellow{-1, 250, 250, 5};
    EXPECT_EQ(Color_Define(&nearYellow), 1u);
    EXPECT_EQ(screen.PixelColour(Color_GetPixel(nearYellow.index)), (Rgb{255, 255, 0}));
    ColorEntry nearGrey{-1, 120, 125, 130};
    EXPECT_EQ(Color_Define(&nearGrey), 1u);
    EXPECT_EQ(screen.PixelColour(Color_GetPixel(nearGrey.index)), (Rgb{128, 128, 128}));
    XCloseDisplay(other);
}

TEST(Colours, NoDisplayIsMonochrome)
{
    Platform_Attach(nullptr, nullptr);
    Color_Initialize();
    EXPECT_EQ(Color_GetMode(), kColorMonochrome);
    ColorEntry entry{-1, 1, 2, 3};
    EXPECT_EQ(Color_Define(&entry), 1u);
    EXPECT_EQ(Color_GetPixel(-5), 0u);
}

} // namespace
} // namespace tolq::test
