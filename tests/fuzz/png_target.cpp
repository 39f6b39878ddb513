// Fuzz target: a PNG picture, read both as a picture file and as a picture
// stored inside a diagram.
#include <cstdio>

#include "FuzzInput.h"
#include <wraster.h>

#include "xkv/image/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (FILE* stream = fuzz::StreamOf(data, size)) {
        if (RImage* image = Image_ReadPNG(nullptr, "fuzz.png", stream, 0))
            RReleaseImage(image);
        std::rewind(stream);
        if (RImage* image = Image_ReadPNGStored("fuzz.png", stream))
            RReleaseImage(image);
        std::fclose(stream);
    }
    return 0;
}
