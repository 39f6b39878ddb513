// Gives the evaluator program a build stamp that depends only on its
// sources and the compiler's version. A saved ML state records the stamp of
// the program that saved it and loads only into a program with the same
// stamp; the compiler would otherwise stamp the export time, so every
// rebuild from the same sources would refuse the states saved before.
//
//   tolq-eval-stamp PROGRAM VERSION-TEXT SOURCE...
#include <elf.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kExportsSymbol = "poly_exports";
// Offset of the time stamp in the export description the symbol names:
// three 32-bit counts, padding, the table pointer and the root pointer.
constexpr std::size_t kStampOffset = 32;

struct Fnv64 {
    std::uint64_t value = 14695981039346656037ull;
    void add(std::string_view bytes) {
        for (unsigned char c : bytes) {
            value ^= c;
            value *= 1099511628211ull;
        }
    }
};

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), size)) return std::nullopt;
    return bytes;
}

template <typename T>
std::optional<T> at(const std::string& image, std::uint64_t offset) {
    if (offset > image.size() || image.size() - offset < sizeof(T)) return std::nullopt;
    T value;
    std::memcpy(&value, image.data() + offset, sizeof(T));
    return value;
}

// File offset of the stamp, or nothing when the program does not have the
// expected layout.
std::optional<std::uint64_t> stampOffset(const std::string& image) {
    auto header = at<Elf64_Ehdr>(image, 0);
    if (!header || std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0 ||
        header->e_ident[EI_CLASS] != ELFCLASS64 || header->e_shentsize != sizeof(Elf64_Shdr))
        return std::nullopt;
    std::vector<Elf64_Shdr> sections;
    for (unsigned i = 0; i < header->e_shnum; ++i) {
        auto s = at<Elf64_Shdr>(image, header->e_shoff + std::uint64_t{i} * sizeof(Elf64_Shdr));
        if (!s) return std::nullopt;
        sections.push_back(*s);
    }
    for (const Elf64_Shdr& table : sections) {
        if (table.sh_type != SHT_SYMTAB || table.sh_link >= sections.size()) continue;
        const Elf64_Shdr& names = sections[table.sh_link];
        for (std::uint64_t off = 0; off + sizeof(Elf64_Sym) <= table.sh_size; off += sizeof(Elf64_Sym)) {
            auto sym = at<Elf64_Sym>(image, table.sh_offset + off);
            if (!sym || sym->st_name >= names.sh_size) return std::nullopt;
            const std::uint64_t nameAt = names.sh_offset + sym->st_name;
            if (nameAt >= image.size()) return std::nullopt;
            const std::string_view name(image.data() + nameAt, strnlen(image.data() + nameAt, image.size() - nameAt));
            if (name != kExportsSymbol) continue;
            if (sym->st_shndx == SHN_UNDEF || sym->st_shndx >= sections.size()) return std::nullopt;
            const Elf64_Shdr& home = sections[sym->st_shndx];
            if (sym->st_value < home.sh_addr) return std::nullopt;
            return home.sh_offset + (sym->st_value - home.sh_addr) + kStampOffset;
        }
    }
    return std::nullopt;
}

int fail(const std::string& message) {
    std::cerr << "tolq-eval-stamp: " << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return fail("usage: tolq-eval-stamp PROGRAM VERSION-TEXT SOURCE...");
    const std::string program = argv[1];
    Fnv64 hash;
    hash.add(argv[2]);
    for (int i = 3; i < argc; ++i) {
        auto text = readFile(argv[i]);
        if (!text) return fail(std::string("cannot read ") + argv[i]);
        hash.add(argv[i]);
        hash.add(*text);
    }
    auto image = readFile(program);
    if (!image) return fail("cannot read " + program);
    auto offset = stampOffset(*image);
    if (!offset) return fail(program + " has no export description to stamp");
    auto old = at<std::int64_t>(*image, *offset);
    // The stamp in place is the export time: positive and below 2^40.
    if (!old || *old <= 0 || *old >= (std::int64_t{1} << 40))
        return fail(program + ": the export description does not hold a time stamp");
    // Positive and in the range of times, as the run-time prints it.
    const std::int64_t stamp = static_cast<std::int64_t>(hash.value % (std::uint64_t{1} << 40)) + 1;
    std::memcpy(image->data() + *offset, &stamp, sizeof stamp);
    std::ofstream out(program, std::ios::binary | std::ios::trunc);
    out.write(image->data(), static_cast<std::streamsize>(image->size()));
    out.close();
    if (!out) return fail("cannot write " + program);
    return 0;
}
