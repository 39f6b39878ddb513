// Kernel files: open files with their encoding stream, exact reads, seeking,
// value transfer in encoded or raw form, whole-file operations, replacing a
// file while keeping a backup, and the error-number table.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "xkv/file/Encode.h"
#include "xkv/types/Types.h"

using FileHandle = MemHandle;

// File statuses.
inline constexpr KernelStatus kStatusUnknownPlatform = 9;
inline constexpr KernelStatus kStatusNoSuchFile = 10;
inline constexpr KernelStatus kStatusWrongSection = 11;
inline constexpr KernelStatus kStatusUnsupportedVersion = 12;
inline constexpr KernelStatus kStatusIoError = 24;
inline constexpr KernelStatus kStatusDiskFull = 25;
inline constexpr KernelStatus kStatusEndOfFile = 26;
inline constexpr KernelStatus kStatusNoPermission = 28;
inline constexpr KernelStatus kStatusTooManyFiles = 29;
inline constexpr KernelStatus kStatusShortRead = 50;
inline constexpr KernelStatus kStatusSystemError = 54;
inline constexpr KernelStatus kStatusEncoding = 83;

inline constexpr uint32_t kOpenRead = 0;
inline constexpr uint32_t kOpenWrite = 1;
inline constexpr uint32_t kOpenAppend = 2;

// What File_GetInfo reports of a path.
struct FileInfo {
    uint32_t size = 0;
    uint32_t exists = 0;
    uint32_t readable = 0;
    uint32_t appendable = 0;
};

KernelStatus File_ErrnoStatus(int error);

KernelStatus File_Open(const char* path, uint32_t mode, FileHandle* out);
KernelStatus File_Close(FileHandle file);
KernelStatus File_StreamOn(FileHandle file, uint32_t direction);
KernelStatus File_StreamOff(FileHandle file);
KernelStatus File_GetStream(FileHandle file, EncodeStream** out);
FILE* File_GetFILE(FileHandle file);
uint32_t File_IsEncoding(FileHandle file);

KernelStatus File_Read(FileHandle file, void* buffer, uint32_t n, uint32_t* got);
KernelStatus File_ReadExact(FileHandle file, void* buffer, uint32_t n);
KernelStatus File_Write(FileHandle file, const void* buffer, uint32_t n);
int32_t File_Size(FileHandle file);
int32_t File_Tell(FileHandle file);
KernelStatus File_SeekSet(FileHandle file, int32_t offset);
KernelStatus File_Skip(FileHandle file, int32_t offset);
KernelStatus File_SeekEnd(FileHandle file);
// The bytes between the current position and the end of the file (0 when
// they cannot be told): the bound for every count read from a file.
uint32_t File_Remaining(FileHandle file);

// The order in which raw (unencoded) values are read: 1 big-endian, 0
// little-endian. The diagram reader sets it; raw values are always written in
// this machine's order.
void File_SetRawBigEndian(uint32_t bigEndian);
uint32_t File_RawBigEndian();

// One value of 1, 2 or 4 bytes (uint8_t, int16_t or uint32_t at `value`).
KernelStatus File_ReadValue(FileHandle file, void* value, uint32_t size);
KernelStatus File_WriteValue(FileHandle file, const void* value, uint32_t size);
KernelStatus File_ReadValues(FileHandle file, void* values, uint32_t size, uint32_t count);
KernelStatus File_WriteValues(FileHandle file, const void* values, uint32_t size, uint32_t count);
KernelStatus File_ReadPair(FileHandle file, void* values, uint32_t size);
KernelStatus File_WritePair(FileHandle file, const void* values, uint32_t size);
KernelStatus File_ReadQuad(FileHandle file, void* values, uint32_t size);
KernelStatus File_WriteQuad(FileHandle file, const void* values, uint32_t size);
KernelStatus File_ReadBytes(FileHandle file, void* bytes, uint32_t n);
KernelStatus File_WriteBytes(FileHandle file, const void* bytes, uint32_t n);
KernelStatus File_ReadAvailable(FileHandle file, void* buffer, uint32_t* n);

KernelStatus File_GetInfo(const char* path, FileInfo* info);
uint32_t File_Exists(const char* path);
KernelStatus File_TempName(std::string* out);
KernelStatus File_Remove(const char* path);
KernelStatus File_Create(const char* path);
KernelStatus File_Copy(const char* source, const char* destination);
// Moves `newFile` to `target`, the old target becoming target + "~".
KernelStatus File_ReplaceWithBackup(const char* target, const char* newFile);
KernelStatus File_JoinPath(MemHandle name, MemHandle directory, std::string* out);
void File_SplitPath(const std::string& path, std::string* baseName, std::string* directory);
