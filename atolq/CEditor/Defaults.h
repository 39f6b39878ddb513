// The net layer's default records: its own property table (ids 1001 to
// 1076) in the kernel's defaults store, read and written at three levels
// (3 diagram, 4 standard, 5 built-in; a read falls back to the higher
// levels), the built-in values, the key table that maps object and region
// keys to properties, group and record accessors, and copies between levels.
#pragma once

#include <cstdint>

inline constexpr uint32_t kDefLevelDiagram = 3;
inline constexpr uint32_t kDefLevelStandard = 4;
inline constexpr uint32_t kDefLevelBuiltin = 5;

inline constexpr uint32_t kDefFirstProperty = 1001;
inline constexpr uint32_t kDefLastProperty = 1076;
inline constexpr uint32_t kDefPropertyCount = kDefLastProperty - kDefFirstProperty + 1;
inline constexpr int32_t kDefNoProperty = 9999;

// Record sizes.
inline constexpr uint32_t kDefAttributeWords = 28;
inline constexpr uint32_t kDefAttributeSize = kDefAttributeWords * 4;
inline constexpr uint32_t kDefMLSettingsSize = 2312;
inline constexpr uint32_t kDefMaxRecordSize = 2640;

// Option properties.
inline constexpr uint32_t kDefMergeOptions = 1057;
inline constexpr uint32_t kDefBrackets = 1058;
inline constexpr uint32_t kDefPageLayout = 1059;
inline constexpr uint32_t kDefRecord1060 = 1060;
inline constexpr uint32_t kDefPageTitle = 1061;
inline constexpr uint32_t kDefSwitches = 1062;
inline constexpr uint32_t kDefSyntaxOptions = 1063;
inline constexpr uint32_t kDefRunOptions = 1064;
inline constexpr uint32_t kDefCodeOptions = 1065;
inline constexpr uint32_t kDefInteractiveOptions = 1066;
inline constexpr uint32_t kDefOccSetOptions = 1067;
inline constexpr uint32_t kDefMLSettings = 1068;
inline constexpr uint32_t kDefBarChartOptions = 1069;
inline constexpr uint32_t kDefLineChartOptions = 1070;
inline constexpr uint32_t kDefRXLOptions = 1075;
inline constexpr uint32_t kDefPerfReport = 1076;

// Message ids.
inline constexpr int16_t kMsgBadRegionKey = 16435;

// ML evaluator settings (1068): byte offsets.
inline constexpr uint32_t kMLPortOffset = 0;
inline constexpr uint32_t kMLHostOffset = 4;
inline constexpr uint32_t kMLHostSize = 256;
inline constexpr uint32_t kMLImageOffset = 260;
inline constexpr uint32_t kMLPathSize = 1024;
inline constexpr uint32_t kMLRuntimeOffset = 1284;
inline constexpr uint32_t kMLLocalOffset = 2308;

// The size of a net-layer property's record, 0 for another id.
uint32_t DefPropertySize(uint32_t property);
// Installs the net layer's property table in the kernel.
int DefRegisterProperties();

int DefGet(uint32_t owner, uint32_t property, uint32_t level, void* record);
int DefSet(uint32_t owner, uint32_t property, uint32_t level, const void* record, int save);
int DefStandardChanged();
void DefSetStandardChanged(int value);

int DefKeyToProperty(int32_t key, int32_t* property);
int32_t DefRegionKey(int32_t regionKind);
int DefIsAttributeProperty(uint32_t property);
int DefIsInList(uint32_t value, uint32_t count, const uint32_t* list);
int DefListContains(uint32_t count, const uint32_t* list, uint32_t value);
int DefKeyForSpec(uint32_t objectClass, uint32_t kindBits, uint32_t detailBits, uint32_t unused, int32_t* key);
int DefLowestBit(uint32_t word);

int DefGetByKey(int32_t key, void* record, uint32_t level);
int DefSetByKey(int32_t key, const void* record, uint32_t level);

// Attribute record groups: words 0-8, 9-13, 14-21, 22-26 and 27.
int DefGetGraphic(int32_t key, uint32_t* words, uint32_t level);
int DefSetGraphic(int32_t key, const uint32_t* words, uint32_t level);
int DefGetText(int32_t key, uint32_t* words, uint32_t level);
int DefSetText(int32_t key, const uint32_t* words, uint32_t level);
int DefGetShape(int32_t key, uint32_t* words, uint32_t level);
int DefSetShape(int32_t key, const uint32_t* words, uint32_t level);
int DefGetPlacement(int32_t key, uint32_t* words, uint32_t level);
int DefSetPlacement(int32_t key, const uint32_t* words, uint32_t level);
int DefGetKeyText(int32_t key, uint32_t* words, uint32_t level);
int DefSetKeyText(int32_t key, const uint32_t* words, uint32_t level);
int DefGetKeyTextDiagram(int32_t key, int16_t* id);
int DefSetKeyTextDiagram(int32_t key, int16_t id);

// Option records.
int DefGetMergeOptions(uint32_t* six, uint32_t level);
int DefSetMergeOptions(const uint32_t* six, uint32_t level);
// Ten texts of at most 15 characters: openers 0-4, then closers 5-9.
int DefGetBrackets(char (*texts)[16], uint32_t level);
int DefSetBrackets(const char* const* texts, uint32_t level);
int DefGetPageLayout(uint32_t* gridX, uint32_t* gridY, uint16_t* spacingX, uint16_t* spacingY, uint32_t* hideSub,
                     uint32_t* hideInv, uint32_t level);
int DefSetPageLayout(uint32_t gridX, uint32_t gridY, uint16_t spacingX, uint16_t spacingY, uint32_t hideSub,
                     uint32_t hideInv, uint32_t level);
int DefGetRecord1060(uint32_t* four, uint16_t* a, uint16_t* b, uint32_t level);
int DefSetRecord1060(const uint32_t* four, uint16_t a, uint16_t b, uint32_t level);
int DefGetPageTitle(uint16_t* width, uint16_t* height, uint32_t* c, uint32_t* d, char* name, uint32_t level);
int DefSetPageTitle(uint16_t width, uint16_t height, uint32_t c, uint32_t d, const char* name, uint32_t level);
int DefGetSwitches(uint32_t* eight, uint32_t level);
// Five switches (1 = on: in simulation, observe, propagate, interactive,
// execute), multiplicity, value, multiplicity-used flag.
int DefGetModeAttributes(uint32_t* eight, uint32_t level);
int DefSetSwitches(const uint32_t* eight, uint32_t level);
// Whole records of 1063-1070, 1075 and 1076.
int DefGetSyntaxOptions(void* record, uint32_t level);
int DefSetSyntaxOptions(const void* record, uint32_t level);
int DefGetRunOptions(void* record, uint32_t level);
int DefSetRunOptions(const void* record, uint32_t level);
int DefGetCodeOptions(void* record, uint32_t level);
int DefSetCodeOptions(const void* record, uint32_t level);
int DefGetInteractiveOptions(void* record, uint32_t level);
int DefSetInteractiveOptions(const void* record, uint32_t level);
int DefGetOccSetOptions(void* record, uint32_t level);
int DefSetOccSetOptions(const void* record, uint32_t level);
int DefGetMLSettings(void* record, uint32_t level);
int DefSetMLSettings(const void* record, uint32_t level);
int DefGetLineChartOptions(void* record, uint32_t level);
int DefSetLineChartOptions(const void* record, uint32_t level);
int DefGetBarChartOptions(void* record, uint32_t level);
int DefSetBarChartOptions(const void* record, uint32_t level);
int DefGetRXLOptions(void* record, uint32_t level);
int DefSetRXLOptions(const void* record, uint32_t level);
int DefGetPerfReport(void* record, uint32_t level);
int DefSetPerfReport(const void* record, uint32_t level);

// Copies of option records: source 0 is level 3, 1 level 4, else a record
// in memory; a null destination stores at level 3.
int DefCopySyntaxOptions(const void* source, void* destination);
int DefCopyRunOptions(const void* source, void* destination);
int DefCopyCodeOptions(const void* source, void* destination);
int DefCopyInteractiveOptions(const void* source, void* destination);
int DefCopyRecord1067(const void* source, void* destination);
int DefCopyRXLOptions(const void* source, void* destination);

// Parts of the ML settings; a record that cannot be read gives "" (texts).
void DefGetMLImagePath(char* destination, uint32_t level);
void DefGetMLRuntimePath(char* destination, uint32_t level);
void DefGetMLPort(uint16_t* port, uint32_t level);
void DefGetMLSwitch(uint32_t* local, uint32_t level);
void DefGetMLHost(char* destination, uint32_t level);

// Copies every stored net-layer record of one level to another: mode 0
// 4 to 3, 1 3 to 4, 2 5 to 3, 3 5 to 4.
int DefCopyLevel(int mode);

// Registers the built-in records (level 5).
int DefInitAll();
int DefInitMLSettings();

// The kernel's hook-84 handler: converts attribute records of old diagrams.
uintptr_t DefConvertReadDefault(uintptr_t head, uintptr_t value, uintptr_t size, uintptr_t platform,
                                uintptr_t version, uintptr_t);

void GE_FlushRedraw();
