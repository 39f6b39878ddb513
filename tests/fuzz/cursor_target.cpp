// Fuzz target: the cursor resource file, scanned and parsed as the cursor
// module reads it at start-up, every reported entry looked at.
#include <string_view>

#include "xkv/cursor/CursorFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t seen = 0;
    CursorFileSink sink;
    sink.directory = [&](const std::string& directory) { seen += directory.size(); };
    sink.id = [&](uint32_t id) { seen += id & 1u; };
    sink.entry = [&](const CursorDefinition& entry) {
        seen += entry.bitmap.value_or("").size() + entry.mask.value_or("").size();
    };
    sink.error = [&](const char* message, int line) { seen += (message != nullptr ? 1 : 0) + (line & 1); };
    CursorFile_Parse(text, sink);
    CursorFile_GlyphOfName(text.substr(0, 64));
    return seen == static_cast<size_t>(-1);
}
