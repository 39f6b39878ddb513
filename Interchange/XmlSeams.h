// Services of the kernel's programming interface and of the net editor that
// the XML writer and reader call but that no module defines yet:
// declarations only, under the names their owners give them. Each leaves this
// file when its module arrives.
#pragma once

#include "xkv/types/Types.h"

#include <cstdint>

struct RImage;

// ---- Kernel programming interface ----

// Pages: name (a buffer of 256 bytes), number, size in interface units and
// border flag; the palette option.
uint32_t QXRdAttr_GetPageAttr(ObjectHandle page, char* name, int16_t* number, int16_t* width, int16_t* height,
                              uint32_t* border);
uint32_t QXWtAttr_SetPageAttr(ObjectHandle page, const char* name, int16_t number, int16_t width, int16_t height,
                              uint32_t border);
uint32_t QXStr_GetPaletteOption(ObjectHandle page, uint32_t* flag);
uint32_t QXStr_SetPageAttrValue(ObjectHandle page, uint32_t value);

// Connectors: arrow-head and text-box sizes in interface units; the points of
// a segmented connector (end point, corners, end point; at most 61); both
// ends attached anew.
inline constexpr uint16_t kQXMaxConnPoints = 61;
uint32_t QXRdAttr_GetConnAttr(ObjectHandle connector, int32_t* headWidth, int32_t* headHeight, int32_t* shape,
                              int16_t* textWidth, int16_t* textHeight);
uint32_t QXWtAttr_SetConnAttr(ObjectHandle connector, int32_t headWidth, int32_t headHeight, int32_t shape,
                              int16_t textWidth, int16_t textHeight);
uint32_t QXRdAttr_GetConnPoints(ObjectHandle connector, uint16_t* count, FixPoint* points);
uint32_t QXWtAttr_SetConnPoints(ObjectHandle connector, uint16_t count, const FixPoint* points);
uint32_t QXWtAttr_SetConnEnds(ObjectHandle connector, ObjectHandle node1, ObjectHandle region1, ObjectHandle node2,
                              ObjectHandle region2);

// Shapes: wedge angles, polygon and line points (the line's in a new QXMem
// block), picture data.
uint32_t QXRdAttr_GetWedgeAngles(ObjectHandle wedge, int32_t* start, int32_t* extent);
uint32_t QXWtAttr_SetWedgeAngles(ObjectHandle wedge, int32_t start, int32_t extent);
uint32_t QXRdAttr_GetPolyPointCount(ObjectHandle polygon, uint16_t* count);
uint32_t QXRdAttr_GetPolyPoints(ObjectHandle polygon, FixPoint* points);
uint32_t QXRdAttr_GetLinePoints(ObjectHandle line, uint16_t* count, FixPoint** points);
struct QXPictureData {
    uint32_t flags = 0;             // bit 0: raw picture data
    uint32_t length = 0;            // bytes of data
    const uint8_t* data = nullptr;  // raw data
    RImage* image = nullptr;        // the image otherwise
};
uint32_t QXRdAttr_GetShapeData(ObjectHandle picture, QXPictureData* data);
ObjectHandle QXStr_CreatePicture(ObjectHandle page, Fixed cx, Fixed cy, Fixed width, Fixed height, const char* path);
ObjectHandle QXStr_LoadPicture(ObjectHandle page, Fixed cx, Fixed cy, Fixed width, Fixed height, const char* path);

// Text attributes of an object's text.
uint32_t QXText_SetTextAttr(ObjectHandle object, int32_t font, int32_t size, int32_t style, int32_t justification);

// User interface: the model's shape onto the objects; the cursor; the file
// selection (a copy of the chosen path in a new QXMem block).
uint32_t QXUI_CopyShape(const ObjectHandle* objects, uint32_t count, ObjectHandle model, uint32_t flag);
int32_t QXUI_SetCursor(int32_t cursor);
uint32_t QXFile_SelectFile(const char* title, const char* button, const char* initial, uint32_t flags, char** path);

// ---- Net editor ----

int EE_CollectExportPages(uint16_t* count, ObjectHandle** pages);
int EE_GetObjectKind(ObjectHandle object, uint16_t* kind, uint16_t* subKind, void** record);
int EE_GetModeAttributes(ObjectHandle object, uint16_t* siminc, uint16_t* observe, uint16_t* propocc,
                         uint16_t* execcode, uint16_t* interact, uint16_t* instances);
int EE_SetModeAttributes(ObjectHandle object, uint16_t siminc, uint16_t observe, uint16_t propocc, uint16_t execcode,
                         uint16_t interact, uint16_t instances, int flag);
int EE_UpdatePageModeRegion(ObjectHandle object);
int EQ_MapSpec(uint16_t count, const ObjectHandle* objects, void* callback, void* argument, uint32_t* type,
               uint32_t* netMask, uint32_t* auxMask);
// The region placement that the writer reads: colorap, sizewp, popup and the
// region's offset from its owner.
struct CERegionAttr {
    uint32_t colorap = 0, sizewp = 0, popup = 0;
    Fixed dx = 0, dy = 0;
};
int CE_RegionAttrCheck(ObjectHandle region, int kind, uint32_t netMask, uint32_t auxMask, CERegionAttr* record);
int PGIsHierarchyObject(ObjectHandle object, uint32_t* size);
int PGUserNumber(ObjectHandle object, int32_t* number, int flag);
ObjectHandle PGGetHierarchyPage();
ObjectHandle PGFindPageNode(ObjectHandle page);
ObjectHandle PGFindConnector(ObjectHandle superNode, ObjectHandle subNode, int kind);
void PGUpdateSubstitution(ObjectHandle node);

int32_t EE_BeginBusy(const char* text);
void EE_EndBusy(int32_t cursor);
int EE_MakePlace(ObjectHandle node);
int EE_MakeTransition(ObjectHandle node);
int EE_MakeArc(ObjectHandle connector);
int EE_CreateDeclNode(ObjectHandle node, ObjectHandle page, int subKind);
int EE_DeleteNetObject(ObjectHandle object);
void EE_UpdateNetFromObject(ObjectHandle object);
void EE_NewDiagramNet(ObjectHandle page);
int EE_CreateNetPage(ObjectHandle page, int flag);
void EE_PageChangedHook(ObjectHandle page);
int EE_LinkSubpage(ObjectHandle transition, ObjectHandle page, int flag);
int EE_AssignPort(ObjectHandle transition, ObjectHandle socket, ObjectHandle port);
int GE_AttachRegion(ObjectHandle parent, ObjectHandle object, int32_t kind);
int32_t GE_KeyRegionKind(int32_t kind);
int32_t GE_BaseRegionKind(int32_t kind);
int GE_IsKeyRegionKind(int32_t kind);
int GE_RefreshObjectFlags(ObjectHandle object);
int GE_ClearObjectFlags(ObjectHandle object);
int GE_GetRegion(ObjectHandle object, int32_t kind, ObjectHandle* region);
