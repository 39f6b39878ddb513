// QX object attributes: readers and writers that mirror each other, on the
// fields of objects or, for handle 0, on the kernel's defaults.
#pragma once

#include <cstdint>

#include "xkv/kv/QX.h"

// Readers.
uint32_t QXRdAttr_GetObjectType(ObjectHandle object);
uint32_t QXRdAttr_GetPosition(ObjectHandle object, Fixed* x, Fixed* y);
uint32_t QXRdAttr_GetSize(ObjectHandle object, Fixed* width, Fixed* height);
int32_t QXRdAttr_GetShape(ObjectHandle object);
uint32_t QXRdAttr_GetShapeBit(ObjectHandle object);
uint32_t QXRdAttr_GetShapeBitRaw(ObjectHandle object);
uint32_t QXRdAttr_GetDirection(ObjectHandle object);
uint32_t QXRdAttr_GetConnEnds(ObjectHandle connector, uint32_t attached, ObjectHandle* start, ObjectHandle* end);
uint32_t QXRdAttr_GetConnEndAttr(ObjectHandle connector, uint32_t endFlag);
uint32_t QXRdAttr_GetConnHidden(ObjectHandle connector);
uint32_t QXRdAttr_GetLineAttr(ObjectHandle object, uint32_t* style, int16_t* width, uint32_t* pattern,
                              uint32_t* visible);
uint32_t QXRdAttr_GetLayeringLogic(ObjectHandle object, uint32_t* mode);
uint32_t QXRdAttr_GetRegionKind(ObjectHandle region, uint32_t* value);
uint32_t QXRdAttr_GetBorderFlag(ObjectHandle object, uint32_t* value);
ObjectHandle QXRdAttr_GetSubPage(ObjectHandle object);
uint32_t QXRdAttr_GetRefineState(ObjectHandle node, uint32_t* value);
ObjectHandle QXRdAttr_GetSuperNode(ObjectHandle page);
uint32_t QXRdAttr_GetFlag(ObjectHandle object, uint32_t mask, uint32_t* value);
uint32_t QXRdAttr_GetInvertedFlag(ObjectHandle object, uint32_t* a, uint32_t* b);
uint32_t QXRdAttr_GetPageScale(ObjectHandle page, Fixed* scale, Fixed* second);
uint32_t QXRdAttr_GetRoundedness(ObjectHandle object, uint32_t* a, uint32_t* b);
uint32_t QXRdAttr_GetDefaultTextAttr(int32_t* font, int32_t* size, int32_t* style, int32_t* justification,
                                     uint32_t* word);
uint32_t QXRdAttr_IsGroupSelected();
MemHandle QXRdAttr_GetShapeData(ObjectHandle object);
uint32_t QXRdAttr_GetEndAttr(ObjectHandle connector, uint32_t ignored, uint32_t endFlag);
uint32_t QXRdAttr_IsConnHidden(ObjectHandle connector);
uint32_t QXRdAttr_GetRefineStateRaw(ObjectHandle node);
uint32_t QXRdAttr_GetBoxWords(ObjectHandle object, Fixed* a, Fixed* b, Fixed* c, Fixed* d);
uint32_t QXRdAttr_GetFontSize(ObjectHandle object);
// Arrow and text sizes in interface units, the shape as an interface code.
uint32_t QXRdAttr_GetConnAttr(ObjectHandle connector, int16_t* arrowWidth, int16_t* arrowHeight, int32_t* shape,
                              int16_t* textWidth, int16_t* textHeight);
// The corners of a polyline connector; the buffer holds up to 61 points.
uint32_t QXRdAttr_GetConnPoints(ObjectHandle connector, uint16_t* count, FixPoint* points);
uint32_t QXRdAttr_GetPolyPointCount(ObjectHandle object, uint16_t* count);
// The buffer holds as many points as QXRdAttr_GetPolyPointCount gives.
uint32_t QXRdAttr_GetPolyPoints(ObjectHandle object, FixPoint* points);
// The points in a new QXMem block.
uint32_t QXRdAttr_GetLinePoints(ObjectHandle object, uint16_t* count, FixPoint** array);
uint32_t QXRdAttr_GetWedgeAngles(ObjectHandle object, int32_t* start, int32_t* extent);
// The name buffer holds 256 bytes; width and height in interface units.
uint32_t QXRdAttr_GetPageAttr(ObjectHandle page, char* name, uint16_t* number, int16_t* width, int16_t* height,
                              uint32_t* border);
uint32_t QXRdAttr_GetPaletteOption(ObjectHandle page, uint32_t* flag);
// Codes 1 to 4, 9 and 10 give a word; 11 and 12 a 16-byte text; 13 and 14 an 80-byte block.
uint32_t QXRdAttr_GetNodeDefault(uint32_t code, void* value);
uint32_t QXRdAttr_GetDefault16(uint16_t* a, uint32_t* b);

// Writers.
uint32_t QXWtAttr_SetPosition(ObjectHandle object, Fixed x, Fixed y);
uint32_t QXWtAttr_SetSize(ObjectHandle object, Fixed width, Fixed height);
uint32_t QXWtAttr_SetShapeBit(ObjectHandle node, uint32_t value);
uint32_t QXWtAttr_SetLineWidth(ObjectHandle object, Fixed width);
uint32_t QXWtAttr_SetLineStyle(ObjectHandle object, uint32_t style);
uint32_t QXWtAttr_SetLinePattern(ObjectHandle object, uint32_t pattern);
uint32_t QXWtAttr_SetLineAttr(ObjectHandle object, uint32_t style, int16_t width, uint32_t pattern,
                              uint32_t visible);
uint32_t QXWtAttr_SetLayeringLogic(ObjectHandle object, uint32_t mode);
uint32_t QXWtAttr_SetSubPage(ObjectHandle object, ObjectHandle value);
uint32_t QXWtAttr_SetBorderFlag(ObjectHandle object, uint32_t value);
uint32_t QXWtAttr_SetRefineState(ObjectHandle node, uint32_t value);
uint32_t QXWtAttr_SetDirection(ObjectHandle connector, uint32_t code);
uint32_t QXWtAttr_SetConnEndAttr(ObjectHandle connector, uint32_t endFlag, uint32_t value);
uint32_t QXWtAttr_SetConnHidden(ObjectHandle connector, uint32_t value);
uint32_t QXWtAttr_SetRegionKind(ObjectHandle region, uint32_t value);
uint32_t QXWtAttr_SetSuperNode(ObjectHandle page, ObjectHandle node);
uint32_t QXWtAttr_SetFlag(ObjectHandle object, uint32_t mask, uint32_t value);
uint32_t QXWtAttr_SetFlagQuiet(ObjectHandle object, uint32_t mask, uint32_t value);
uint32_t QXWtAttr_ClearRebuiltMark(ObjectHandle page);
uint32_t QXWtAttr_SetInvertedFlag(ObjectHandle object, uint32_t value);
uint32_t QXWtAttr_SetRoundedness(ObjectHandle object, uint32_t value, uint32_t);
uint32_t QXWtAttr_SetEndAttr(ObjectHandle connector, uint32_t ignored, uint32_t endFlag, uint32_t value);
uint32_t QXWtAttr_SetConnAttr(ObjectHandle connector, int16_t arrowWidth, int16_t arrowHeight, int32_t shape,
                              int16_t textWidth, int16_t textHeight);
uint32_t QXWtAttr_SetConnPoints(ObjectHandle connector, uint32_t count, const FixPoint* points);
// Attaches both ends anew, each to the node or, when given, to its region;
// rebuilds and redraws the connector.
uint32_t QXWtAttr_SetConnEnds(ObjectHandle connector, ObjectHandle node1, ObjectHandle region1, ObjectHandle node2,
                              ObjectHandle region2);
uint32_t QXWtAttr_SetPolyPoints(ObjectHandle object, uint32_t count, const FixPoint* points);
uint32_t QXWtAttr_SetLinePoints(ObjectHandle object, uint32_t count, const FixPoint* points);
uint32_t QXWtAttr_SetWedgeAngles(ObjectHandle object, int32_t start, int32_t extent);
// Name null keeps the name; a width or height below 1 keeps that size.
uint32_t QXWtAttr_SetPageAttr(ObjectHandle page, const char* name, uint16_t number, int16_t width, int16_t height,
                              uint32_t border);
uint32_t QXWtAttr_SetPaletteOption(ObjectHandle page, uint32_t value);
uint32_t QXWtAttr_SetDefault(uint32_t code, int32_t value);
uint32_t QXWtAttr_SetNodeDefault(uint32_t code, const void* value);
uint32_t QXWtAttr_SetDefault16(uint16_t a, uint32_t b);
uint32_t QXWtAttr_SetDefaultLineWord(uint32_t value);
uint32_t QXWtAttr_SetDefaultTextAttr(int32_t font, int32_t size, int32_t style, int32_t justification,
                                     uint32_t word);
