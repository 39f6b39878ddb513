// Null-checked string helpers, path and case helpers and the hex dump.
#include "atolq/Utils/SafeString.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/ErrorReport.h"

namespace {

bool BothPresent(const void* a, const void* b)
{
    if (a != nullptr && b != nullptr)
        return true;
    EE_ReportError(kMsgNullPointer);
    return false;
}

char* NewString(std::string_view text)
{
    char* copy = GE_Alloc(static_cast<uint32_t>(text.size() + 1));
    if (copy != nullptr)
        std::memcpy(copy, text.data(), text.size());
    return copy;
}

template <typename Convert>
char* ConvertInPlace(char* text, Convert convert)
{
    if (text == nullptr)
        return nullptr;
    for (char* p = text; *p != '\0'; ++p)
        *p = static_cast<char>(convert(static_cast<unsigned char>(*p)));
    return text;
}

}  // namespace

void* SafeMemZero(void* pointer, size_t n)
{
    if (pointer != nullptr)
        std::memset(pointer, 0, n);
    return pointer;
}

char* SafeStrcat(char* destination, const char* source)
{
    if (BothPresent(destination, source))
        std::strcat(destination, source);
    return destination;
}

char* SafeStrncat(char* destination, const char* source, size_t n)
{
    if (BothPresent(destination, source))
        std::strncat(destination, source, n);
    return destination;
}

char* SafeStrcpy(char* destination, const char* source)
{
    if (BothPresent(destination, source))
        std::strcpy(destination, source);
    return destination;
}

char* SafeStrncpy(char* destination, const char* source, size_t n)
{
    if (BothPresent(destination, source))
        std::strncpy(destination, source, n);
    return destination;
}

int SafeStrcmp(const char* a, const char* b)
{
    if (!BothPresent(a, b))
        return 1;
    return std::strcmp(a, b);
}

size_t SafeStrlen(const char* text)
{
    if (text == nullptr) {
        EE_ReportError(kMsgNullPointer);
        return 0;
    }
    return std::strlen(text);
}

char* SafeStrrchr(char* text, int character)
{
    if (text == nullptr) {
        EE_ReportError(kMsgNullPointer);
        return nullptr;
    }
    return std::strrchr(text, character);
}

const char* SafeStrrchr(const char* text, int character)
{
    return SafeStrrchr(const_cast<char*>(text), character);
}

char* OSPathDir(const char* path)
{
    if (path == nullptr)
        return nullptr;
    std::string_view whole(path);
    size_t slash = whole.rfind('/');
    if (slash == std::string_view::npos)
        return nullptr;
    return NewString(whole.substr(0, slash));
}

char* OSPathFile(const char* path)
{
    if (path == nullptr)
        return nullptr;
    std::string_view whole(path);
    size_t slash = whole.rfind('/');
    if (slash == std::string_view::npos || slash + 1 == whole.size())
        return nullptr;
    return NewString(whole.substr(slash + 1));
}

char* OSLowerCase(char* text)
{
    return ConvertInPlace(text, [](unsigned char c) { return std::tolower(c); });
}

char* OSUpperCase(char* text)
{
    return ConvertInPlace(text, [](unsigned char c) { return std::toupper(c); });
}

uint32_t OSHexDump(const void* bytes, uint32_t n)
{
    const auto* data = static_cast<const unsigned char*>(bytes);
    for (uint32_t line = 0; line < n; line += 16) {
        uint32_t length = n - line < 16 ? n - line : 16;
        std::fprintf(stderr, "%04x ", line);
        for (uint32_t i = 0; i < length; ++i)
            std::fprintf(stderr, "%02x ", data[line + i]);
        for (uint32_t i = length; i < 16; ++i)
            std::fputs("   ", stderr);
        for (uint32_t i = 0; i < length; ++i) {
            unsigned char c = data[line + i];
            std::fputc(std::isprint(c) ? c : '.', stderr);
        }
        std::fputc('\n', stderr);
    }
    return (n + 15u) & ~15u;
}
