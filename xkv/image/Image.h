// Pictures in and out of files: PNG reading from an open stream (so that a
// picture embedded in a diagram file can be read in place), PNG writing, and
// PostScript level-2 colour images.
#pragma once

#include <cstdio>

struct RContext;
struct RImage;

// The message of the last failure of the PNG reader ("" when none).
const char* Image_ErrorText();

// Reads one PNG image from the stream at its current position; the stream
// stays open and is left after the image's end. 0 on failure (see
// Image_ErrorText and the raster library's RErrorCode).
RImage* Image_ReadPNG(RContext* context, const char* path, FILE* stream, int index);
RImage* Image_LoadPNGFile(RContext* context, const char* path, int index);
// Reads one PNG image like Image_ReadPNG, but keeps the samples as the file
// stores them (no gamma change): the form for a picture that belongs to a
// diagram and is written back with it. Gamma is for showing, at drawing.
RImage* Image_ReadPNGStored(const char* path, FILE* stream);

// 0 on success, -1 on failure.
int Image_WritePNGStream(FILE* stream, RImage* image);
// Writes under a temporary name beside `path` and renames it into place;
// 0 on success, -1 on failure (the old file stays then).
int Image_WritePNGFile(RImage* image, const char* path);

// 1 on success, -1 on failure.
int Image_WritePostScript(RImage* image, const char* path);
int Image_WritePostScriptBody(RImage* image, FILE* stream);
