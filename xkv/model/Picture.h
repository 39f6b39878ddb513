// Picture records: the shape data of picture objects (shape kind 4), either
// raw picture data read from a file or an image of the raster library with
// the pixmap cached for drawing it.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

struct RImage;
struct _XDisplay;

inline constexpr uint32_t kPictureRaw = 1;

struct PictureRecord {
    uint32_t flags;     // bit 0: raw data
    uint16_t length;    // raw: the data length
    MemHandle data;     // raw: the data
    RImage* image;      // image: the source image
    int16_t cachedWidth;
    int16_t cachedHeight;
    unsigned long pixmap;  // image: the cached pixmap, 0 when none
    _XDisplay* display;    // the display the pixmap was made on
};

// Makes a picture record holding a copy of raw data.
MemHandle Picture_NewRaw(const void* data, uint16_t length);
// Makes a picture record holding an image; the record owns the image.
MemHandle Picture_NewImage(RImage* image);
// Frees the record with its data, or its image and pixmap.
void Picture_Free(MemHandle picture);
// A copy: raw data copied; an image cloned, without a pixmap. 0 when memory
// runs out.
MemHandle Picture_Copy(MemHandle picture);
