// Runs one fuzz target over its seed inputs and every input that once made
// it fail, so the sanitized test build keeps them mended.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& directory)
{
    std::vector<fs::path> inputs;
    if (fs::is_directory(directory))
        for (const auto& entry : fs::directory_iterator(directory))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

void Replay(const fs::path& directory)
{
    for (const fs::path& input : InputsOf(directory)) {
        SCOPED_TRACE(input.string());
        std::ifstream in(input, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
    }
}

const fs::path kInputs = fs::path(TOLQ_FUZZ_INPUTS) / TOLQ_FUZZ_TARGET;

TEST(FuzzReplay, Seeds) { Replay(kInputs / "seeds"); }

TEST(FuzzReplay, Regressions) { Replay(kInputs / "regressions"); }

TEST(FuzzReplay, EmptyAndTinyInputs)
{
    const std::vector<std::vector<uint8_t>> tiny = {{}, {0}, {0xFF}, {0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFF}};
    for (const auto& bytes : tiny)
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
}

}  // namespace
