// Import of a model that an IDEF modelling tool exported as a machine file:
// every IDEF page becomes a net page, activity boxes transitions, the other
// nodes places or declaration nodes, with their arcs and inscriptions; the
// hierarchy is rebuilt from the socket lists afterwards. On request the two
// trailing sections of a Ruxel model (its options and transfer functions)
// are read and kept.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "xkv/file/File.h"
#include "xkv/types/Types.h"

// Set whenever the import shows a message; the caller clears it first.
extern int ImportErrors;

// The results of a Ruxel model's trailing sections, kept after the import.
struct IDEFRuxelResults {
    int number = 0;                          // the options section's number
    std::string text;                        // the options section's counted text
    std::vector<std::string> transferTexts;  // one ML text per transfer function
};
const IDEFRuxelResults& IDEF_RuxelResults();

// Every message the last import showed, in order.
const std::vector<std::string>& IDEF_Messages();

// Asks for the file with the file dialog and reads it into the diagram,
// the first IDEF page into the first page; 1/0.
int IDEF_ImportFile(ObjectHandle firstPage, int ruxel);
// The same for a file whose path is known.
int IDEF_ImportPath(ObjectHandle firstPage, int ruxel, const char* path);
// Reads an open import file (set up by the two above); 1/0.
int IDEF_ReadFile(FileHandle file);

// ---- the file's syntax, exposed for its tests ----
namespace idef {

// Reads tokens, numbers, hex values, flags and counted texts from bytes.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    // The next byte, or 0 at the end (and for byte 255).
    int readByte();
    size_t left() const { return bytes_.size() - at_; }
    bool token(size_t limit, std::string* out);
    bool number(size_t limit, long* out);
    bool hex(size_t limit, uint32_t* out);
    bool flag(size_t limit, bool* out);
    // A count of at most 5 characters, then exactly that many raw bytes;
    // a count that the bytes left cannot hold is refused.
    bool counted(std::string* out);
    // Set when a counted text ran past the end of the bytes.
    bool cutShort() const { return cutShort_; }

private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
    bool cutShort_ = false;
};

uint32_t hexValue(std::string_view token);
// Bytes outside 33..126 and '#', '"', '\\' become '_'; cut to limit (0: none).
std::string cleanName(std::string_view text, size_t limit);

} // namespace idef
