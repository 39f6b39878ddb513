// The diagram file: header, sections and object items, and the reading and
// writing of a whole diagram or a set of pages. Also the older record layouts
// and the import of the older drawing tool's files.
#pragma once

#include <cstdint>

#include "xkv/file/File.h"
#include "xkv/model/Model.h"

using ObjectGroup = GroupNumber;

inline constexpr uint16_t kDiagramMagic = 0xFFFF;
inline constexpr uint16_t kThisPlatform = 0x0808;
inline constexpr uint16_t kDiagramVersion = 1024;
inline constexpr uint16_t kOldestVersion = 768;

// Section types, in file order 0, 3, 4, 1, 2.
inline constexpr uint32_t kSectionDefaults = 0;
inline constexpr uint32_t kSectionObjects = 1;
inline constexpr uint32_t kSectionApplication = 2;
inline constexpr uint32_t kSectionOpenPages = 3;
inline constexpr uint32_t kSectionEmpty = 4;

// Words of the object record that the file gives a meaning of its own.
namespace RecordWord {
inline constexpr int kFirstChild = 0;
inline constexpr int kNextSibling = 1;
inline constexpr int kParent = 2;
inline constexpr int kScaleX = 3;
inline constexpr int kScaleY = 4;
inline constexpr int kWord5 = 5;
inline constexpr int kText = 6;
inline constexpr int kBox = 7;
inline constexpr int kType = 11;
inline constexpr int kLineStyle = 12;
inline constexpr int kLineWidth = 13;
inline constexpr int kColours = 14;
inline constexpr int kWord15 = 15;
inline constexpr int kPattern = 16;
inline constexpr int kFlags = 17;
inline constexpr int kShapeKind = 18;
inline constexpr int kPositionX = 20;
inline constexpr int kPositionY = 21;
inline constexpr int kHeight = 22;
inline constexpr int kWidth = 23;
inline constexpr int kSpecific = 24;
inline constexpr int kPageName = 25;
inline constexpr int kUserData = 32;
inline constexpr int kReferrers = 33;
inline constexpr int kShapeData = 34;
}  // namespace RecordWord

inline constexpr uint32_t kTextHeaderWords = 17;

// The header as read: platform code, version, subset flag and which format
// (1 this system's, 2 the older tool's).
struct DiagramHeader {
    uint16_t platform = 0;
    uint16_t version = 0;
    uint32_t subset = 0;
    uint32_t format = 0;
};

// Byte-order class of a platform code: 1 big-endian, 2 little-endian, 0 unknown.
uint32_t File_PlatformClass(uint32_t code);

// ---- Writing ----
KernelStatus File_WriteDiagram(FileHandle file);
KernelStatus File_WritePages(FileHandle file, ObjectGroup pages);
KernelStatus File_WriteDefaultsSection(FileHandle file, uint32_t level);
KernelStatus File_WriteObjectText(FileHandle file, ObjectHandle object);
KernelStatus File_CollectSubpages(ObjectGroup pages, ObjectGroup* out);
// Saves the whole diagram: written to path + ".tmp", which then takes the
// name, the old file becoming path + "~".
KernelStatus File_SaveDiagram(const char* path);

// ---- Reading ----
KernelStatus File_ReadDiagram(FileHandle file, uint32_t mode, ObjectGroup* out);
KernelStatus File_ReadDefaultsSection(FileHandle file, uint32_t skip, uint32_t fireHooks);
// The platform code and version of the last file read.
DiagramHeader File_LastHeader();

// ---- Old layouts ----
KernelStatus File_ReadRecord768(FileHandle file, ObjectRecord* record);
KernelStatus File_ReadTextHeader768(FileHandle file, uint32_t* header, uint32_t size);
KernelStatus File_ShiftRecord776(ObjectRecord* record);
