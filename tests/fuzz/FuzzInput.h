// Helpers shared by the fuzz targets: the input as a stream or a file, since
// the readers take what a user's file would give them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

namespace fuzz {

// The bytes in an anonymous temporary stream, at its start.
inline FILE* StreamOf(const uint8_t* data, size_t size)
{
    FILE* stream = std::tmpfile();
    if (stream == nullptr)
        return nullptr;
    if (size > 0 && std::fwrite(data, 1, size, stream) != size) {
        std::fclose(stream);
        return nullptr;
    }
    std::rewind(stream);
    return stream;
}

// The bytes written to one file of this process, named by its path.
inline std::string FileOf(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/tolq-fuzz-" + std::to_string(getpid());
    FILE* stream = std::fopen(path.c_str(), "wb");
    if (stream == nullptr)
        return {};
    bool ok = size == 0 || std::fwrite(data, 1, size, stream) == size;
    ok = std::fclose(stream) == 0 && ok;
    return ok ? path : std::string();
}

}  // namespace fuzz
