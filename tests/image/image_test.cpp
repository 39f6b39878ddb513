// PNG reading and writing and PostScript images.
#include <gtest/gtest.h>
#include <png.h>
#include <wraster.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "xkv/image/Image.h"

namespace {

struct ImageDeleter {
    void operator()(RImage* image) const { RReleaseImage(image); }
};
using Image = std::unique_ptr<RImage, ImageDeleter>;

std::string PostScriptOf(RImage* image)
{
    char* text = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&text, &size);
    Image_WritePostScriptBody(image, stream);
    std::fclose(stream);
    std::string result(text, size);
    std::free(text);
    return result;
}

TEST(PostScriptImage, HexRowsOfRedGreenBlue)
{
    Image image(RCreateImage(2, 1, 0));
    const unsigned char pixels[] = {255, 0, 0, 0, 255, 0};
    std::memcpy(image->data, pixels, sizeof(pixels));
    EXPECT_EQ(PostScriptOf(image.get()),
              "gsave\n  /pix 6 string def\n  2 1 8\n  [1 0 0 1 0 0]\n  {currentfile pix readhexstring pop}\n"
              "  false 3 colorimage\n\nff000000ff00\ngrestore\n\n");
    // 50 hex digits to a line.
    Image wide(RCreateImage(20, 1, 1));
    std::memset(wide->data, 0x11, 20 * 4);
    std::string body = PostScriptOf(wide.get());
    EXPECT_NE(body.find("\n" + std::string(50, '1') + "\n" + std::string(50, '1') + "\n" + std::string(20, '1') + "\ngrestore"), std::string::npos);
}

TEST(PostScriptImage, FileHasHeaderAndTrailer)
{
    TempDir dir;
    std::string path = dir.path + "/p.eps";
    Image image(RCreateImage(1, 1, 0));
    ASSERT_EQ(Image_WritePostScript(image.get(), path.c_str()), 1);
    std::vector<uint8_t> bytes = ReadBytes(path);
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.rfind("%!PS-Adobe-3.0\n%%Title: " + path + "\n%%LanguageLevel: 2\n%%EndComments\n", 0), 0u);
    EXPECT_NE(text.find("showpage\n%%Trailer\n%%EOF\n"), std::string::npos);
    EXPECT_EQ(Image_WritePostScript(image.get(), (dir.path + "/missing/p.eps").c_str()), -1);
}

TEST(PngImage, RoundTripWithAndWithoutAlpha)
{
    TempDir dir;
    for (int alpha : {0, 1}) {
        Image image(RCreateImage(3, 2, alpha));
        const int channels = alpha ? 4 : 3;
        for (int i = 0; i < 3 * 2 * channels; ++i) {
            image->data[i] = static_cast<unsigned char>(i * 11);
        }
        std::string path = dir.path + "/i.png";
        ASSERT_EQ(Image_WritePNGFile(image.get(), path.c_str()), 0);
        std::vector<uint8_t> bytes = ReadBytes(path);
        ASSERT_GT(bytes.size(), 26u);
        EXPECT_EQ(bytes[25], alpha ? 6 : 2);  // colour type in the header chunk
        setenv("DISPLAY_GAMMA", "2.2222222", 1);  // cancels the file gamma 0.45
        Image back(Image_LoadPNGFile(nullptr, path.c_str(), 0));
        unsetenv("DISPLAY_GAMMA");
        ASSERT_TRUE(back);
        EXPECT_EQ(back->width, 3);
        EXPECT_EQ(back->format, alpha ? RRGBAFormat : RRGBFormat);
        EXPECT_EQ(std::memcmp(back->data, image->data, 3 * 2 * channels), 0);
    }
}

// A 2 x 1 palette PNG whose first entry is transparent.
std::vector<uint8_t> PalettePng()
{
    char* text = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&text, &size);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, stream);
    png_set_IHDR(png, info, 2, 1, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[2] = {{10, 20, 30}, {40, 50, 60}};
    png_set_PLTE(png, info, palette, 2);
    png_byte alpha[1] = {0};
    png_set_tRNS(png, info, alpha, 1, nullptr);
    png_write_info(png, info);
    png_byte row[2] = {0, 1};
    png_write_row(png, row);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(stream);
    std::vector<uint8_t> bytes(text, text + size);
    std::free(text);
    return bytes;
}

TEST(PngImage, PaletteWithTransparencyBecomesRgba)
{
    TempDir dir;
    std::string path = dir.path + "/p.png";
    WriteBytes(path, PalettePng());
    setenv("DISPLAY_GAMMA", "2.2222222", 1);
    Image image(Image_LoadPNGFile(nullptr, path.c_str(), 0));
    unsetenv("DISPLAY_GAMMA");
    ASSERT_TRUE(image);
    ASSERT_EQ(image->format, RRGBAFormat);
    const unsigned char expected[] = {10, 20, 30, 0, 40, 50, 60, 255};
    EXPECT_EQ(std::memcmp(image->data, expected, sizeof(expected)), 0);
}

TEST(PngImage, ReadsInPlaceAndFailsCleanlyOnDamage)
{
    std::vector<uint8_t> png = PalettePng();
    std::vector<uint8_t> bytes = png;
    bytes.push_back(0x42);
    TempDir dir;
    std::string path = dir.path + "/embedded";
    WriteBytes(path, bytes);
    FILE* stream = std::fopen(path.c_str(), "rb");
    Image image(Image_ReadPNG(nullptr, "<<filename>>", stream, 0));
    ASSERT_TRUE(image);
    EXPECT_EQ(std::fgetc(stream), 0x42);  // the stream stands right after the image
    std::fclose(stream);
    testing::internal::CaptureStderr();
    for (size_t length = 0; length < png.size(); ++length) {
        WriteBytes(path, std::vector<uint8_t>(png.begin(), png.begin() + length));
        EXPECT_EQ(Image_LoadPNGFile(nullptr, path.c_str(), 0), nullptr) << length;
    }
    // A chunk whose check sum is wrong.
    std::vector<uint8_t> damaged = png;
    damaged[40] ^= 0xFF;
    WriteBytes(path, damaged);
    EXPECT_EQ(Image_LoadPNGFile(nullptr, path.c_str(), 0), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "damage is reported through the error text only";
    EXPECT_STREQ(Image_ErrorText(), ("error loading PNG file \"" + path + "\"").c_str());
    EXPECT_EQ(Image_LoadPNGFile(nullptr, (dir.path + "/none").c_str(), 0), nullptr);
    EXPECT_STREQ(Image_ErrorText(), ("could not open file \"" + dir.path + "/none\"").c_str());
}

// A one-row PNG of the given colour type and depth; `row` holds the stored
// samples, big-endian for 16 bits. A gamma chunk is written when gamma > 0.
std::vector<uint8_t> Png(int width, int colourType, int depth, const std::vector<png_byte>& row, double gamma,
                         bool transparent = false)
{
    char* text = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&text, &size);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, stream);
    png_set_IHDR(png, info, width, 1, depth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[2] = {{10, 100, 200}, {128, 64, 32}};
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, palette, 2);
    }
    png_byte alpha[1] = {77};
    if (transparent) {
        png_set_tRNS(png, info, alpha, 1, nullptr);
    }
    if (gamma > 0) {
        png_set_gAMA(png, info, gamma);
    }
    png_write_info(png, info);
    png_write_row(png, row.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(stream);
    std::vector<uint8_t> bytes(text, text + size);
    std::free(text);
    return bytes;
}

RImage* ReadStored(const std::string& path)
{
    FILE* stream = std::fopen(path.c_str(), "rb");
    RImage* image = Image_ReadPNGStored("<<filename>>", stream);
    std::fclose(stream);
    return image;
}

struct StoredCase {
    const char* name;
    int colourType;
    int depth;
    std::vector<png_byte> row;
    double gamma;
    bool transparent;
    int format;
    std::vector<unsigned char> pixels;
};

// Whatever gamma the file or the environment names, the stored reader gives
// the samples the file holds, brought to 8-bit RGB or RGBA only.
TEST(PngImage, StoredReaderKeepsTheSamples)
{
    const StoredCase cases[] = {
        {"rgb with gamma chunk", PNG_COLOR_TYPE_RGB, 8, {1, 64, 128, 200, 250, 255}, 0.3, false, RRGBFormat,
         {1, 64, 128, 200, 250, 255}},
        {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 8, {90, 91, 92, 10, 128, 129, 130, 255}, 0, false, RRGBAFormat,
         {90, 91, 92, 10, 128, 129, 130, 255}},
        {"grey", PNG_COLOR_TYPE_GRAY, 8, {0, 128}, 1.0, false, RRGBFormat, {0, 0, 0, 128, 128, 128}},
        {"palette with transparency", PNG_COLOR_TYPE_PALETTE, 8, {0, 1}, 0.45, true, RRGBAFormat,
         {10, 100, 200, 77, 128, 64, 32, 255}},
        {"16 bits", PNG_COLOR_TYPE_RGB, 16, {0x80, 0x11, 0x40, 0x22, 0xC0, 0x33, 0x01, 0, 0x02, 0, 0x03, 0}, 0.5,
         false, RRGBFormat, {0x80, 0x40, 0xC0, 1, 2, 3}},
    };
    TempDir dir;
    std::string path = dir.path + "/s.png";
    for (const char* gamma : {static_cast<const char*>(nullptr), "1.7"}) {
        if (gamma != nullptr) {
            setenv("DISPLAY_GAMMA", gamma, 1);
        }
        for (const StoredCase& c : cases) {
            SCOPED_TRACE(c.name);
            WriteBytes(path, Png(2, c.colourType, c.depth, c.row, c.gamma, c.transparent));
            Image image(ReadStored(path));
            ASSERT_TRUE(image);
            EXPECT_EQ(image->format, c.format);
            EXPECT_EQ(std::vector<unsigned char>(image->data, image->data + c.pixels.size()), c.pixels);
        }
        unsetenv("DISPLAY_GAMMA");
    }
}

// Written and read back with the stored reader, again and again, a picture
// gives the same file each time.
TEST(PngImage, StoredRoundTripsAreByteIdentical)
{
    TempDir dir;
    Image image(RCreateImage(16, 16, 1));
    for (int i = 0; i < 16 * 16 * 4; ++i) {
        image->data[i] = static_cast<unsigned char>(i * 7);
    }
    std::string path = dir.path + "/r.png";
    ASSERT_EQ(Image_WritePNGFile(image.get(), path.c_str()), 0);
    const std::vector<uint8_t> first = ReadBytes(path);
    for (int cycle = 0; cycle < 3; ++cycle) {
        Image back(ReadStored(path));
        ASSERT_TRUE(back);
        EXPECT_EQ(std::memcmp(back->data, image->data, 16 * 16 * 4), 0);
        ASSERT_EQ(Image_WritePNGFile(back.get(), path.c_str()), 0);
        EXPECT_EQ(ReadBytes(path), first) << "cycle " << cycle;
    }
}

// The display reader applies the display gamma against the file gamma: 2.0
// without the environment variable, 1.0 for "0"; the stored one does not.
TEST(PngImage, DisplayReaderAppliesGamma)
{
    TempDir dir;
    std::string path = dir.path + "/g.png";
    WriteBytes(path, Png(1, PNG_COLOR_TYPE_GRAY, 8, {128}, 0.45));
    struct GammaCase {
        const char* variable;
        double display;
    };
    for (GammaCase c : {GammaCase{nullptr, 2.0}, GammaCase{"0", 1.0}, GammaCase{"2.2222222", 1 / 0.45}}) {
        SCOPED_TRACE(c.variable != nullptr ? c.variable : "unset");
        if (c.variable != nullptr) {
            setenv("DISPLAY_GAMMA", c.variable, 1);
        } else {
            unsetenv("DISPLAY_GAMMA");
        }
        Image shown(Image_LoadPNGFile(nullptr, path.c_str(), 0));
        unsetenv("DISPLAY_GAMMA");
        ASSERT_TRUE(shown);
        const double expected = 255.0 * std::pow(128 / 255.0, 1.0 / (0.45 * c.display));
        EXPECT_NEAR(shown->data[0], expected, 1.0);
    }
    Image stored(ReadStored(path));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->data[0], 128);
}

}  // namespace
