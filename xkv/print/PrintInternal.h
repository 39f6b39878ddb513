// The state of the one open PostScript output and the writing helpers that
// the document frame, the emitters and the EPS export share.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "xkv/text/TextFont.h"
#include "xkv/types/Types.h"

struct PrintOutput {
    FILE* stream = nullptr;
    bool eps = false;
    bool colour = true;
    bool writeFailed = false;
    std::string fileName;
    int32_t pages = 0;
    ObjectHandle master = 0;
    ObjectHandle exportPage = 0;
    std::optional<int32_t> lastWidth;
    std::optional<uint32_t> lastDash;
    FontSpec font{3, 12, 0};
};

PrintOutput& Print_Output();

// Formatted output in the "C" locale; a failed write is remembered.
void Print_Write(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Emits the remembered font.
void Print_EmitFont();

// A Fixed coordinate or length in points, rounded.
inline long Print_Points(Fixed v)
{
    return static_cast<long>((int64_t{v} + 0x4000) >> 15);
}

// A property record of the diagram level, with its words read by offset.
struct PropertyRecord {
    std::vector<uint8_t> bytes;
    uint32_t Word(size_t offset) const;
    void SetWord(size_t offset, uint32_t value);
};
KernelStatus Print_ReadProperty(uint32_t property, PropertyRecord* out, ObjectHandle owner = 0, uint32_t level = 3);

inline constexpr uint32_t kPropPrint = 14;
inline constexpr uint32_t kPropEps = 15;

// Print settings (property 14).
inline constexpr size_t kPrintPaper = 24;
inline constexpr size_t kPrintScale = 28;
inline constexpr size_t kPrintLandscape = 32;
inline constexpr size_t kPrintLayout = 36;
inline constexpr size_t kPrintNoFrame = 40;
inline constexpr size_t kPrintBlackWhite = 44;
// EPS settings (property 15).
inline constexpr size_t kEpsScale = 24;
inline constexpr size_t kEpsRotation = 28;
inline constexpr size_t kEpsNoMaster = 32;
inline constexpr size_t kEpsNoFrame = 36;
inline constexpr size_t kEpsNameFromPage = 40;
inline constexpr size_t kEpsForceExtension = 44;
inline constexpr size_t kEpsExtension = 48;
inline constexpr size_t kEpsExtensionSize = 16;
inline constexpr size_t kEpsBlackWhite = 64;

// The page's extent in points (x, y, width, height), with or without the
// page's own frame.
void Print_PageExtent(ObjectHandle page, bool withFrame, int32_t out[4]);
