// Default attributes: numbered property records kept per owner at levels 1 to
// 5 (5 the built-in values, 3 what new objects take), and level 0, an object's
// own attributes read from and written to its fields.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

// One property: id, size of its value record, four flags and a number.
struct PropertyDef {
    int32_t id;
    int32_t size;
    int32_t flag1;
    int32_t flag2;
    int32_t flag3;
    int32_t flag4;
    int32_t number;
};

// One stored default.
struct DefaultEntry {
    ObjectHandle owner;  // 0 for the diagram-wide default
    uint32_t level;      // 1 to 5
    uint32_t property;
    MemHandle value;
};

inline constexpr uint32_t kDefaultLevelObject = 0;
inline constexpr uint32_t kDefaultLevelNew = 3;
inline constexpr uint32_t kDefaultLevelBuiltin = 5;
inline constexpr uint32_t kDefaultLevelAll = 7;
inline constexpr uint32_t kChangedBytes = 24;

// Properties with attributes on objects.
inline constexpr uint32_t kPropConnector = 4;
inline constexpr uint32_t kPropFind = 5;
inline constexpr uint32_t kPropGraphics = 10;
inline constexpr uint32_t kPropNode = 11;
inline constexpr uint32_t kPropPage = 12;
inline constexpr uint32_t kPropText = 26;
inline constexpr uint32_t kPropWedge = 27;

// Property-12 record offsets.
inline constexpr uint32_t kPageRecordName = 32;
inline constexpr uint32_t kPageRecordNameSize = 256;
inline constexpr uint32_t kPageRecordNumber = 288;

KernelStatus Default_Init();
KernelStatus Default_Reset();
KernelStatus Default_Shutdown();
KernelStatus Default_InitBuiltins();
KernelStatus Default_FreeAll();

KernelStatus Default_Get(ObjectHandle owner, uint32_t level, uint32_t property, void* record);
KernelStatus Default_GetHandle(ObjectHandle owner, uint32_t level, uint32_t property, MemHandle* out,
                               uint32_t searchUp);
KernelStatus Default_Set(ObjectHandle owner, uint32_t level, uint32_t property, const void* record);
KernelStatus Default_Merge(ObjectHandle owner, uint32_t level, uint32_t property, const void* changes);
void Default_SetMask(void* record, uint8_t byte);
void Default_CopyName(char* field, const char* text);
KernelStatus Default_RemoveLevel(uint32_t level, uint32_t userFlag);
KernelStatus Default_GetEntry(uint32_t index, uint32_t* level, uint32_t* property, MemHandle* out);
KernelStatus Default_Find(ObjectHandle owner, uint32_t level, uint32_t property, MemHandle* out,
                          uint32_t create);
uint32_t Default_EntryCount();

KernelStatus Default_PropertyInfo(uint32_t property, uint32_t column, int32_t* value);
uint32_t Default_PropertySize(uint32_t property);
int32_t Default_PropertyFlag1(uint32_t property);
int32_t Default_PropertyFlag2(uint32_t property);
int32_t Default_PropertyFlag3(uint32_t property);
int32_t Default_PropertyFlag4(uint32_t property);
int32_t Default_PropertyNumber(uint32_t property);
KernelStatus Default_SetUserProperties(const PropertyDef* table, uint32_t count);

// The printable page size that the built-in page property uses, in display
// pixels: paper size 0 (Letter, 612 x 792 points) less the margins.
inline constexpr int32_t kBuiltinPrintableWidth = 612 - 64;
inline constexpr int32_t kBuiltinPrintableHeight = 792 - 66;
// The value of the "maxTextInObject" resource for the text property (0x7fffffff
// until start-up reads the resource).
void Default_SetMaxTextInObject(int32_t value);
