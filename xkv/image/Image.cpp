// PNG and PostScript input and output of raster-library images.
#include "xkv/image/Image.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wraster.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Pictures larger than this are refused before any memory is taken for them.
constexpr png_uint_32 kMaxSide = 8192;
constexpr uint64_t kMaxPixels = uint64_t{1} << 24;

std::string gErrorText;

void SetError(const char* format, const char* path, int code)
{
    char text[512];
    std::snprintf(text, sizeof(text), format, path != nullptr ? path : "");
    gErrorText = text;
    RErrorCode = code;
}

// Everything the reader owns across libpng's error jumps: reached through a
// pointer, so its contents survive a longjmp.
struct ReadState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;
    png_bytep* rows = nullptr;
    png_bytep pixels = nullptr;
    RImage* image = nullptr;
};

void ReleaseRead(ReadState* state)
{
    std::free(state->rows);
    std::free(state->pixels);
    state->rows = nullptr;
    state->pixels = nullptr;
    png_destroy_read_struct(&state->png, &state->info, &state->endInfo);
}

double DisplayGamma(RContext* context)
{
    bool corrects = context != nullptr && context->attribs != nullptr &&
                    (context->attribs->flags & RC_GammaCorrection) != 0;
    if (!corrects || context->depth == 8) {
        const char* variable = std::getenv("DISPLAY_GAMMA");
        if (variable == nullptr) {
            return 2.0;
        }
        double value = std::atof(variable);
        return value == 0.0 ? 1.0 : value;
    }
    const RContextAttributes* a = context->attribs;
    return (a->rgamma + a->ggamma + a->bgamma) / 3.0;
}

// How the samples are read: brought to the display's gamma for showing, or
// as the file stores them, so that a picture written back is the same.
enum class Samples { kDisplay, kStored };

// The body of the reader; false on any failure, with state left to release.
bool ReadInto(ReadState* state, RContext* context, FILE* stream, Samples samples)
{
    if (setjmp(png_jmpbuf(state->png))) {
        return false;
    }
    png_init_io(state->png, stream);
    png_set_user_limits(state->png, kMaxSide, kMaxSide);
    // Text, profile and palette-suggestion chunks are never used here; they are
    // skipped unread, since a damaged length would otherwise size a buffer.
    static const png_byte kSkipped[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf";
    png_set_keep_unknown_chunks(state->png, PNG_HANDLE_CHUNK_NEVER, kSkipped, 6);
    png_read_info(state->png, state->info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colourType = 0;
    png_get_IHDR(state->png, state->info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);
    if (uint64_t{width} * height > kMaxPixels) {
        return false;
    }
    if (colourType == PNG_COLOR_TYPE_PALETTE || (colourType == PNG_COLOR_TYPE_GRAY && depth < 8)) {
        png_set_expand(state->png);
    }
    if (png_get_valid(state->png, state->info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(state->png);
    }
    if (depth == 16) {
        png_set_strip_16(state->png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(state->png);
    }
    if (samples == Samples::kDisplay) {
        double fileGamma = 0.45;
        if (!png_get_gAMA(state->png, state->info, &fileGamma)) {
            fileGamma = 0.45;
        }
        png_set_gamma(state->png, DisplayGamma(context), fileGamma);
    }
    png_read_update_info(state->png, state->info);

    int channels = png_get_channels(state->png, state->info);
    size_t rowBytes = png_get_rowbytes(state->png, state->info);
    if ((channels != 3 && channels != 4) || rowBytes != size_t{width} * channels) {
        return false;
    }
    state->image = RCreateImage(width, height, channels == 4);
    if (state->image == nullptr) {
        SetError("could not create RImage", nullptr, RERR_NOMEMORY);
        return false;
    }
    png_color_16p background = nullptr;
    if (png_get_bKGD(state->png, state->info, &background) && background != nullptr) {
        int shift = depth == 16 ? 8 : 0;
        state->image->background.red = static_cast<unsigned char>(background->red >> shift);
        state->image->background.green = static_cast<unsigned char>(background->green >> shift);
        state->image->background.blue = static_cast<unsigned char>(background->blue >> shift);
    }
    state->pixels = static_cast<png_bytep>(std::malloc(rowBytes * height + 1));
    state->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * (height + 1)));
    if (state->pixels == nullptr || state->rows == nullptr) {
        return false;
    }
    for (png_uint_32 y = 0; y < height; ++y) {
        state->rows[y] = state->pixels + rowBytes * y;
    }
    png_read_image(state->png, state->rows);
    png_read_end(state->png, state->endInfo);
    std::memcpy(state->image->data, state->pixels, rowBytes * height);
    return true;
}

void WriteError(png_structp, png_const_charp)
{
    std::fputs("An error occured \n", stdout);
}

void WriteWarning(png_structp, png_const_charp)
{
    std::fputs("I warn you that something could be wrong \n", stdout);
}

// libpng's error handler must not return: after reporting, jump out.
void WriteErrorJump(png_structp png, png_const_charp message)
{
    WriteError(png, message);
    png_longjmp(png, 1);
}

struct WriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep* rows = nullptr;
    png_bytep pixels = nullptr;
};

bool WriteFrom(WriteState* state, FILE* stream, RImage* image)
{
    if (setjmp(png_jmpbuf(state->png))) {
        std::fputs("If you get here, something *really* bad happend!\n", stderr);
        return false;
    }
    png_init_io(state->png, stream);
    const bool alpha = image->format == RRGBAFormat;
    const int inChannels = alpha ? 4 : 3;
    const int outChannels = alpha ? 4 : 3;
    const size_t width = static_cast<size_t>(image->width);
    const size_t height = static_cast<size_t>(image->height);
    state->pixels = static_cast<png_bytep>(std::malloc(width * height * 4 + 1));
    state->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * (height + 1)));
    if (state->pixels == nullptr || state->rows == nullptr) {
        return false;
    }
    for (size_t y = 0; y < height; ++y) {
        png_bytep row = state->pixels + y * width * 4;
        state->rows[y] = row;
        const unsigned char* in = image->data + y * width * inChannels;
        for (size_t x = 0; x < width; ++x) {
            std::memcpy(row + x * outChannels, in + x * inChannels, outChannels);
        }
    }
    png_set_IHDR(state->png, state->info, image->width, image->height, 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_8 bits{};
    bits.red = 8;
    bits.green = 8;
    bits.blue = 8;
    bits.alpha = alpha ? 8 : 0;
    png_set_sBIT(state->png, state->info, &bits);
    png_write_info(state->png, state->info);
    png_write_image(state->png, state->rows);
    png_write_end(state->png, state->info);
    return true;
}

// Writes through `write` into a temporary file beside `path`, then gives it
// the name; the old file stays when anything fails.
template <typename Writer>
bool WriteReplacing(const char* path, Writer write)
{
    if (path == nullptr) {
        return false;
    }
    std::string pattern = std::string(path) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    FILE* stream = fdopen(fd, "w");
    if (stream == nullptr) {
        close(fd);
        unlink(name.data());
        return false;
    }
    bool ok = write(stream);
    ok = std::fflush(stream) == 0 && ok;
    ok = std::ferror(stream) == 0 && ok;
    ok = std::fclose(stream) == 0 && ok;
    ok = ok && std::rename(name.data(), path) == 0;
    if (!ok) {
        unlink(name.data());
    }
    return ok;
}

}  // namespace

const char* Image_ErrorText()
{
    return gErrorText.c_str();
}

namespace {

// A damaged picture is reported once, through the error text; libpng's own
// lines on standard error would repeat for every damaged file read.
void ReadErrorJump(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ReadWarning(png_structp, png_const_charp) {}

RImage* ReadPNG(RContext* context, const char* path, FILE* stream, Samples samples)
{
    gErrorText.clear();
    ReadState state;
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ReadErrorJump, ReadWarning);
    if (state.png != nullptr) {
        state.info = png_create_info_struct(state.png);
        state.endInfo = png_create_info_struct(state.png);
    }
    bool ok = stream != nullptr && state.png != nullptr && state.info != nullptr && state.endInfo != nullptr &&
              ReadInto(&state, context, stream, samples);
    ReleaseRead(&state);
    if (!ok) {
        if (state.image != nullptr) {
            RReleaseImage(state.image);
        }
        if (gErrorText.empty()) {
            SetError("error loading PNG file \"%s\"", path, RERR_BADIMAGEFILE);
        }
        return nullptr;
    }
    return state.image;
}

}  // namespace

RImage* Image_ReadPNG(RContext* context, const char* path, FILE* stream, int)
{
    return ReadPNG(context, path, stream, Samples::kDisplay);
}

RImage* Image_ReadPNGStored(const char* path, FILE* stream)
{
    return ReadPNG(nullptr, path, stream, Samples::kStored);
}

RImage* Image_LoadPNGFile(RContext* context, const char* path, int index)
{
    FILE* stream = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (stream == nullptr) {
        SetError("could not open file \"%s\"", path, RERR_OPEN);
        return nullptr;
    }
    RImage* image = Image_ReadPNG(context, path, stream, index);
    std::fclose(stream);
    return image;
}

int Image_WritePNGStream(FILE* stream, RImage* image)
{
    if (stream == nullptr || image == nullptr || image->data == nullptr) {
        return -1;
    }
    WriteState state;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, WriteErrorJump, WriteWarning);
    if (state.png == nullptr) {
        std::fputs("can't create png structure \n", stderr);
        return -1;
    }
    state.info = png_create_info_struct(state.png);
    if (state.info == nullptr) {
        std::fputs("could not create info struct\n", stderr);
        png_destroy_write_struct(&state.png, nullptr);
        return -1;
    }
    bool ok = WriteFrom(&state, stream, image);
    std::free(state.rows);
    std::free(state.pixels);
    png_destroy_write_struct(&state.png, &state.info);
    return ok ? 0 : -1;
}

int Image_WritePNGFile(RImage* image, const char* path)
{
    return WriteReplacing(path, [image](FILE* stream) { return Image_WritePNGStream(stream, image) == 0; }) ? 0
                                                                                                            : -1;
}

int Image_WritePostScriptBody(RImage* image, FILE* stream)
{
    if (image == nullptr || stream == nullptr) {
        return -1;
    }
    const int width = image->width;
    const int height = image->height;
    std::fprintf(stream, "gsave\n  /pix %d string def\n  %u %u 8\n  [1 0 0 1 0 0]\n"
                         "  {currentfile pix readhexstring pop}\n  false 3 colorimage\n\n",
                 3 * width, static_cast<unsigned>(width), static_cast<unsigned>(height));
    const int channels = image->format == RRGBAFormat ? 4 : 3;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    int digits = 0;
    for (size_t i = 0; i < pixels; ++i) {
        const unsigned char* pixel = image->data + i * channels;
        for (int c = 0; c < 3; ++c) {
            if (digits >= 50) {
                std::fputc('\n', stream);
                digits = 0;
            }
            std::fprintf(stream, "%02x", pixel[c]);
            digits += 2;
        }
    }
    std::fputs("\ngrestore\n\n", stream);
    return 1;
}

int Image_WritePostScript(RImage* image, const char* path)
{
    bool ok = image != nullptr && WriteReplacing(path, [image, path](FILE* stream) {
                  std::fprintf(stream, "%%!PS-Adobe-3.0\n%%%%Title: %s\n%%%%LanguageLevel: 2\n%%%%EndComments\n",
                               path);
                  if (Image_WritePostScriptBody(image, stream) != 1) {
                      return false;
                  }
                  std::fputs("showpage\n%%Trailer\n%%EOF\n", stream);
                  return true;
              });
    if (!ok) {
        std::fputs("printing error!\n", stderr);
        return -1;
    }
    return 1;
}
