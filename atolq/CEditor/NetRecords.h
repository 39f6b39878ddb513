// The net layer's tagged fields in the user data of kernel objects: the link
// from an object to its abstract-net record (by record id, never an address),
// a connector's second arc, general words, node codes, region pairs, marks,
// simulator links, region tags and the diagram's ML file name. Every value is
// XDR-encoded into a buffer of exactly the field's size; every field read
// back is checked for its size (and, for ids, looked up) before use.
#pragma once

#include <cstdint>

struct SEHead;

// User-data tags of the net layer.
inline constexpr uint32_t kTagNetRecord = 0xF901;
inline constexpr uint32_t kTagSecondRecord = 0xF902;  // connector: second arc; root: ML file path
inline constexpr uint32_t kTagAuxWord = 0xF903;       // page: error box; root: saved-state mark
inline constexpr uint32_t kTagNodeCode = 0xF904;
inline constexpr uint32_t kTagRegionPairA = 0xF906;
inline constexpr uint32_t kTagRegionPairB = 0xF907;
inline constexpr uint32_t kTagSelfMark = 0xF908;
inline constexpr uint32_t kTagSimLink = 0xF909;
inline constexpr uint32_t kTagChartTag = 0xF90C;

// Message ids.
inline constexpr int16_t kMsgUserDataWriteFailed = 16389;
inline constexpr int16_t kMsgUnknownObject = 16390;

// Chart-tag option bits.
inline constexpr uint16_t kChartTagKeyIsRegion = 2;
inline constexpr uint16_t kChartTagNoFlag16 = 4;
inline constexpr uint16_t kChartTagOwnerColours = 8;

int GE_SetSERecord(uint32_t object, SEHead* record);
int GE_GetSERecord(uint32_t object, SEHead** record);
int GE_IsPlainObject(uint32_t object);
int GE_DeleteSERecord(uint32_t object);

int GE_SetSecondRecord(uint32_t connector, SEHead* record);
int GE_GetSecondRecord(uint32_t connector, SEHead** record);

int GE_SetAuxWord(uint32_t object, uint32_t value);
uint32_t GE_GetAuxWord(uint32_t object);

int GE_SetNodeCode(uint32_t object, uint16_t code);
uint16_t GE_GetNodeCode(uint32_t object);

int GE_SetRegionPair(uint32_t region, int32_t a, int32_t b);
int GE_GetRegionPair(uint32_t region, int32_t* a, int32_t* b);

int GE_SetSelfMark(uint32_t object, uint32_t handle);
uint32_t GE_GetSelfMark(uint32_t object);

int GE_SetSimLink(uint32_t object, uint32_t value);
uint32_t GE_GetSimLink(uint32_t object);

int GE_SetUserFlag(uint32_t object, uint32_t tag);
int GE_HasUserData(uint32_t object, uint32_t tag);
int GE_DeleteUserData(uint32_t object, uint16_t tag);

int GE_SetChartTagWord(uint32_t object, uint32_t word);
int GE_SetChartTag(uint32_t object, uint8_t kind, uint8_t sub, uint16_t bits);
int GE_GetChartTag(uint32_t object, uint8_t* kind, uint8_t* sub, uint16_t* bits);
int GE_SetChartTagBits(uint32_t object, int on, uint16_t mask);
int GE_TestChartTagBits(uint32_t object, uint16_t mask);

// The ML file path on the current diagram's root; null removes it.
int GE_SetMLFileName(const char* path);
// The stored ML file's name in the current diagram file's directory, as a new
// string from GE_Alloc; null when there is none.
char* GE_GetMLFileName();

// Folds the connector's direction (seen from the node; flag reverses it) into
// the node's code: first direction stored, a different one makes it 3.
int GE_RecordNodeDirection(uint32_t node, uint32_t connector, int flag);
