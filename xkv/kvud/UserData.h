// Object user data: the application's tagged, length-prefixed fields kept in
// one memory block per object (object field 47), and their conversion when a
// diagram was written on a machine of another byte order.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

using UserDataTag = uint32_t;

// One field header in the running machine's layout; the data follows,
// padded to a multiple of 4.
struct UserDataField {
    uint32_t tag;
    uint32_t length;
};

inline constexpr uint32_t UD_PaddedLength(uint32_t length)
{
    return (length + 3u) & ~3u;
}

// ---- Block access ----
MemHandle UD_NewBlock(ObjectHandle object, uint32_t size);
MemHandle UD_GetBlock(ObjectHandle object);
uint32_t UD_GetBlockSize(ObjectHandle object);
void* UD_LockBlock(MemHandle block);
uint32_t UD_UnlockBlock(MemHandle block);
uint32_t UD_ResizeBlock(ObjectHandle object, uint32_t size);
uint32_t UD_ClearBlock(ObjectHandle object);
// The first field with the tag in `remaining` bytes from `field`: its address,
// with `remaining` set to the bytes from it to the end; null when not found
// or when a field claims more bytes than remain.
UserDataField* UD_FindField(UserDataField* field, uint32_t* remaining, UserDataTag tag);
UserDataField* UD_NextField(UserDataField* field);

// ---- Application operations ----
uint32_t UD_SetField(ObjectHandle object, UserDataTag tag, const void* data, uint32_t length);
uint32_t UD_GetField(ObjectHandle object, UserDataTag tag, void* buffer);
uint32_t UD_GetFieldSize(ObjectHandle object, UserDataTag tag, uint32_t* length);
uint32_t UD_GetFieldPointer(ObjectHandle object, UserDataTag tag, void** data, uint32_t* length);
uint32_t UD_DeleteField(ObjectHandle object, UserDataTag tag);
uint32_t UD_CountFields(ObjectHandle object);
// The tags in block order, in an array from QXMem_Alloc that the caller frees
// with QXMem_Free.
uint32_t UD_ListTags(ObjectHandle object, uint32_t** tags, uint32_t* count);
uint32_t UD_ListTagsInRange(ObjectHandle object, UserDataTag first, UserDataTag last, uint16_t* count,
                            uint32_t** tags);
uint32_t UD_CopyAll(ObjectHandle source, ObjectHandle destination);

// ---- Conversion between machines ----
inline constexpr uint16_t kMachineCode = 0x808;

// Converts one record: {source, source size, unused, source class,
// destination class, format}.
struct UDConversion {
    const uint8_t* source = nullptr;
    uint32_t sourceSize = 0;
    uint32_t unused = 0;
    uint32_t sourceClass = 0;
    uint32_t destinationClass = 0;
    const char* format = nullptr;
};

// Converter results.
inline constexpr uint32_t kConvertOk = 0;
inline constexpr uint32_t kConvertSizeMismatch = 1;
inline constexpr uint32_t kConvertFormatError = 2;
inline constexpr uint32_t kConvertLockFailed = 3;
inline constexpr uint32_t kConvertNoMemory = 4;

// The application's per-field handler: (object, tag, page, code).
using UDConvertHandler = uint32_t (*)(ObjectHandle object, UserDataTag tag, ObjectHandle page, uint32_t code);

uint32_t UD_ByteOrderClass(uint32_t machineCode);
// The machine code read from the last diagram file (the running machine's
// until a file has been read), set by the diagram reader.
void UD_SetFileMachineCode(uint32_t machineCode);
uint32_t UD_FileMachineCode();
void UD_GetByteOrderClasses(uint32_t* fileClass, uint32_t* machineClass);
uint32_t UD_ConvertRecord(const UDConversion* conversion, uint8_t* destination, uint32_t destinationSize);
uint32_t UD_ConvertedSize(const UDConversion* conversion, uint32_t* size);
uint32_t UD_ConvertField(ObjectHandle object, UserDataTag tag, const char* format);
void UD_SetConvertHandler(UDConvertHandler handler);
uintptr_t UD_ConvertObject(ObjectHandle object, ObjectHandle page, uint32_t code);
uint32_t UD_CheckLayout(ObjectHandle object);
uint32_t UD_NormalizeLayout(ObjectHandle object);
uint32_t UD_OldFieldLength(const uint8_t* header);
