// The cursor resource file language: its scanner and parser. The parser reports
// what it reads, in order, to a sink; the cursor module turns that into X cursors.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct CursorDefinition {
    uint32_t id = 0;
    uint32_t glyph = 0;             // the font shape: an XC_ glyph, a number, or 0 for Null_Cursor
    std::optional<std::string> bitmap;
    std::optional<std::string> mask;
};

struct CursorFileSink {
    std::function<void(const std::string& directory)> directory;
    std::function<void(uint32_t id)> id;                      // an entry's id has been read
    std::function<void(const CursorDefinition& entry)> entry; // a whole entry has been read
    std::function<void(const char* message, int line)> error; // the parse ends here
};

// Parses a whole file's text; returns false after a syntax error.
bool CursorFile_Parse(std::string_view text, const CursorFileSink& sink);

// The glyph of an XC_ name of the standard cursor font; 0 for an unknown name.
uint32_t CursorFile_GlyphOfName(std::string_view name);
