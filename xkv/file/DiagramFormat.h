// Layout helpers shared by the diagram reader and writer.
#pragma once

#include <cstdint>

#include "xkv/model/Model.h"

// How a default value record is stored: a 24-byte name, then 32-bit words,
// then raw bytes.
struct DefaultLayout {
    uint32_t prefix = 0;
    uint32_t words = 0;
    uint32_t raw = 0;
};
DefaultLayout File_DefaultLayout(uint32_t property, uint32_t size);

// Connector-data words (of the 19) that hold memory handles: never stored,
// cleared when read.
inline constexpr int kConnectorHandleWords[] = {8, 9, 16, 17};
// The connector mode in which the path and rounded path are point arrays.
inline constexpr uint32_t kConnectorOwnsPath = 9;
inline constexpr uint32_t kConnectorDataWords = sizeof(ConnectorData) / 4;
