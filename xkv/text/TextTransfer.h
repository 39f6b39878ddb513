// Moving whole texts in and out of the text engine: the header, the
// referenced objects and the characters that the diagram file stores.
// The text editor defines these.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

inline constexpr uint32_t kTextExportWords = 17;

// Fills the 17-word header; the characters (0 when the text is empty) and the
// referenced objects are new blocks that the caller frees.
KernelStatus Text_Export(MemHandle text, uint32_t* header, uint32_t* second, MemHandle* characters,
                         uint32_t* count, MemHandle* references);
// Rebuilds the object's text from what Text_Export gave.
KernelStatus Text_Import(ObjectHandle object, MemHandle* text, const uint32_t* header, uint32_t unused,
                         MemHandle characters, uint32_t count, MemHandle references);
