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
uint32_t QXWtAttr_SetDefaultTextAttr(int32_t font, int32_t size, int32_t style, int32_t justification,
                                     uint32_t word);
