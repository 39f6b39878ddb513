// Small helpers of the file tests: a private directory, whole-file bytes and
// texts read back through the text editor's export.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/text/Text.h"

struct TempDir {
    std::string path;
    TempDir()
    {
        char pattern[] = "/tmp/filetestXXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path, ignored);
    }
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The characters of an object's text (references as 0 bytes) and the objects
// its references point at.
inline std::pair<std::string, std::vector<ObjectHandle>> TextOf(ObjectHandle object)
{
    uint32_t header[kExportWords] = {};
    uint32_t second = 0, count = 0;
    MemHandle characters = 0, references = 0;
    EXPECT_EQ(Text_Export(Model_GetFieldValue(object, Field::kText), header, &second, &characters, &count,
                          &references),
              kStatusOk);
    std::pair<std::string, std::vector<ObjectHandle>> out;
    if (characters != 0) {
        char* bytes = nullptr;
        Mem_LockAs(characters, &bytes);
        out.first.assign(bytes, count);
        Mem_Unlock(characters);
        Mem_Free(characters);
    }
    if (references != 0) {
        ObjectHandle* handles = nullptr;
        Mem_LockAs(references, &handles);
        out.second.assign(handles, handles + header[7]);
        Mem_Unlock(references);
        Mem_Free(references);
    }
    return out;
}
