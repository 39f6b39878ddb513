// QX structure functions: creating, deleting and finding objects and pages,
// object lists, and the current page, object and group.
#pragma once

#include <cstdint>

#include "xkv/kv/QX.h"

// Creation (geometry in Fixed unless said otherwise).
ObjectHandle QXStr_CreateNode(ObjectHandle page, Fixed cx, Fixed cy, Fixed width, Fixed height, int32_t shape);
ObjectHandle QXStr_CreatePolygon(ObjectHandle page, uint32_t count, const FixPoint* points);
ObjectHandle QXStr_CreateLine(ObjectHandle page, uint32_t count, const FixPoint* points);
ObjectHandle QXStr_CreateLabel(ObjectHandle page, Fixed cx, Fixed cy, Fixed width, Fixed height, const char* text);
// Pictures: an image file of the raster library, or a picture file (512
// bytes skipped, a big-endian length counting itself, the data). Width or
// height 0 takes the picture's own size.
ObjectHandle QXStr_CreatePicture(ObjectHandle page, Fixed cx, Fixed cy, Fixed width, Fixed height, const char* path);
ObjectHandle QXStr_LoadPicture(ObjectHandle page, Fixed cx, Fixed cy, Fixed width, Fixed height, const char* path);
ObjectHandle QXStr_CreateConnector(ObjectHandle page, ObjectHandle from, ObjectHandle to);
uint32_t QXStr_MakeRegion(ObjectHandle object, ObjectHandle parent);
uint32_t QXStr_UnmakeRegion(ObjectHandle region);
ObjectHandle QXStr_NewPage(int32_t kind, uint32_t openWindow, uint32_t activate, int32_t x, int32_t y, int32_t width,
                           int32_t height);
ObjectHandle QXStr_CreatePage(int32_t kind);
ObjectHandle QXStr_CreatePageOpt(int32_t kind, uint32_t options);
ObjectHandle QXStr_CloneObject(ObjectHandle object);
ObjectHandle QXStr_MakeCoarseNode(ObjectHandle page, uint32_t count, const ObjectHandle* objects, ObjectHandle node);
uint32_t QXStr_AttachNode(ObjectHandle node, ObjectHandle page, uint32_t flag);
uint32_t QXStr_MoveNodesToPage(const ObjectHandle* objects, uint32_t count, ObjectHandle page);

// Deletion.
uint32_t QXStr_DeleteObject(ObjectHandle object);
uint32_t QXStr_RemovePage(ObjectHandle page, uint32_t withSubpages);
uint32_t QXStr_ClosePage(ObjectHandle page);
uint32_t QXStr_ClearDiagram();

// Queries; lists are QXMem blocks of handles (see QX.h).
uint32_t QXStr_GetPageList(uint16_t* count, ObjectHandle** array);
uint32_t QXStr_GetNodeList(ObjectHandle page, uint16_t* count, ObjectHandle** array);
uint32_t QXStr_GetPageConnList(ObjectHandle page, uint16_t* count, ObjectHandle** array);
uint32_t QXStr_GetRegionList(ObjectHandle object, uint16_t* count, ObjectHandle** array);
uint32_t QXStr_GetBorderNodeList(ObjectHandle page, uint16_t* count, ObjectHandle** array);
uint32_t QXStr_GetObjectConnList(ObjectHandle object, uint16_t* count, ObjectHandle** array);
uint32_t QXStr_GetNodeConnLists(ObjectHandle node, uint16_t* count1, ObjectHandle** list1, uint16_t* count2,
                                ObjectHandle** list2);
uint32_t QXStr_GetGroupConnList(const ObjectHandle* objects, uint32_t count, ObjectHandle** array,
                                uint16_t* outCount);
uint32_t QXStr_ClassifyConnectors(uint32_t count, const ObjectHandle* objects, uint16_t* innerCount,
                                  ObjectHandle** inner, uint16_t* outerCount, ObjectHandle** outer);
ObjectHandle QXStr_GetObjectPage(ObjectHandle object);
ObjectHandle QXStr_GetBaseObject(ObjectHandle object);
uint32_t QXStr_GetConnOtherEnd(ObjectHandle node, ObjectHandle connector, ObjectHandle* other, uint32_t* direction);
uint32_t QXStr_IsObject(ObjectHandle object);
uint32_t QXStr_HasDiagram();
uint32_t QXStr_IsModified();
void QXStr_SetModified(uint32_t flag);
uint32_t QXStr_IsPageOpen(ObjectHandle page, uint32_t* open);
ObjectHandle QXStr_GetPageListHandle();
uint32_t QXStr_GetSetConnLists(ObjectHandle object, uint16_t* count, ObjectHandle** array);
ObjectHandle QXStr_GetBucketContent();
uint32_t QXStr_GetPaletteOption(ObjectHandle page, uint32_t* flag);
uint32_t QXStr_SetPageAttrValue(ObjectHandle page, uint32_t value);
ObjectHandle QXStr_MapHandle(MemHandle map, ObjectHandle old);
uint32_t QXStr_IsCrossPageConn(ObjectHandle connector);
uint32_t QXStr_ZoomIn(ObjectHandle page);
uint32_t QXStr_ZoomOut(ObjectHandle page);

// Current page, object and group.
ObjectHandle QXStr_GetCurPage();
uint32_t QXStr_SetCurPage(ObjectHandle page);
uint32_t QXStr_ActivatePage(ObjectHandle page);
ObjectHandle QXStr_GetCurObject();
uint32_t QXStr_SetCurObject(ObjectHandle object);
uint32_t QXStr_GetCurGroup(uint16_t* count, ObjectHandle** array);
uint32_t QXStr_SetCurGroup(uint32_t count, const ObjectHandle* objects);
void QXStr_NoOpA();
void QXStr_NoOpB();

// The interface selection flag (set through QXUI_SetCommFlag).
uint32_t QXStr_SelectionFlag();
void QXStr_SetSelectionFlag(uint32_t value);
