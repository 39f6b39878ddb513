// QX text functions: the texts of objects, text-editing mode, text attributes
// and their defaults, and the references between texts and objects.
#pragma once

#include <cstdint>

#include "xkv/kv/QX.h"

uint32_t QXText_CanHaveText(ObjectHandle object);
uint32_t QXText_GetLength(ObjectHandle object, uint32_t* length);
uint32_t QXText_GetSelectionLength(ObjectHandle object, uint32_t referenceMode);
uint32_t QXText_GetText(ObjectHandle object, char* buffer, uint32_t* length);
uint32_t QXText_SetText(ObjectHandle object, const char* text);
uint32_t QXText_AppendText(ObjectHandle object, const char* text);
uint32_t QXText_InsertText(ObjectHandle object, const char* text);
uint32_t QXText_SetSelection(ObjectHandle object, int32_t start, int32_t end);
uint32_t QXText_IsEditing();
uint32_t QXText_GetNoWrap(ObjectHandle object, uint32_t* value);
uint32_t QXText_SetTextAttrWord(ObjectHandle object, uint32_t value);
int32_t QXText_GetTextAttrWord(ObjectHandle object);
uint32_t QXText_SetDefaultFont(int32_t font);
uint32_t QXText_SetDefaultSize(int32_t size);
uint32_t QXText_SetDefaultStyle(int32_t style);
uint32_t QXText_SetDefaultJustification(int32_t justification);
uint32_t QXText_GetTextAttr(ObjectHandle object, int32_t* font, int32_t* size, int32_t* style,
                            int32_t* justification, uint32_t* word1, uint32_t* word2);
uint32_t QXText_GetTextLimit(uint32_t, uint32_t, uint32_t* value);
ObjectHandle QXText_FirstReferrer(ObjectHandle object);
uint32_t QXText_HasReferences(ObjectHandle object);
uint32_t QXText_DeleteText(ObjectHandle object, uint32_t keepIfNotEmpty);
