// What the diagram reader and the older tool's import share: the objects as
// parsed from the file, before any of them enters the object table.
#pragma once

#include <wraster.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "xkv/file/Diagram.h"

struct ImageRelease {
    void operator()(RImage* image) const { RReleaseImage(image); }
};
using ImagePtr = std::unique_ptr<RImage, ImageRelease>;

struct ParsedText {
    std::array<uint32_t, kTextHeaderWords> header{};
    std::vector<uint32_t> references;  // old handles
    std::vector<uint8_t> characters;
};

enum class ShapeData { Empty, Picture, Points, Connector };

struct ParsedObject {
    uint32_t oldHandle = 0;
    ObjectRecord record{};
    std::optional<std::string> pageName;
    ShapeData shape = ShapeData::Empty;
    bool rawPicture = false;
    std::vector<uint8_t> pictureData;
    ImagePtr image;
    std::vector<FixPoint> points;  // a point array, or a connector's path
    std::array<uint32_t, sizeof(ConnectorData) / 4> connector{};
    bool freshConnector = false;   // made by the model, nothing read
    std::optional<ParsedText> text;
    std::optional<std::vector<uint8_t>> userData;
};

struct ParsedDefault {
    uint32_t head[3] = {};  // owner, level, property id
    uint32_t sizeRead = 0;
    std::vector<uint8_t> value;
};

// The read state, reset at the start of every read.
struct ReadState {
    uint32_t mode = 0;
    DiagramHeader header;
    bool oldLayout768 = false;
    bool record140 = false;
    bool noConnectorData = false;
    bool shortTextHeader = false;
    uint32_t objectCount = 0;  // from the section header or the preamble
    std::vector<ParsedDefault> defaults;
    std::vector<ParsedObject> objects;
};

// Reads a section-0 block (header and records) into the state, or skips it.
KernelStatus File_ParseDefaults(FileHandle file, ReadState* state, bool skip);

// Reads one raw picture item (this system's form) into the object.
KernelStatus File_ReadPictureItem(FileHandle file, ParsedObject* object);
// Reads a point array item: a count, then the points.
KernelStatus File_ReadPointItem(FileHandle file, uint32_t count, std::vector<FixPoint>* points);

// The older tool's header after its first two bytes, its preamble and objects.
KernelStatus File_ReadForeignHeader(FileHandle file, uint16_t first, ReadState* state);
KernelStatus File_ReadForeignPreamble(FileHandle file, ReadState* state);
KernelStatus File_ReadForeignObjects(FileHandle file, ReadState* state);
