// QX text functions: the texts of objects, text-editing mode, text attributes
// and their defaults, and the references between texts and objects.
#pragma once

#include <cstdint>

#include "xkv/kv/QX.h"

uint32_t QXText_CanHaveText(ObjectHandle object);
uint32_t QXText_GetLength(ObjectHandle object, uint32_t* length);
uint32_t QXText_GetSelectionLength(ObjectHandle object, uint32_t referenceMode);
uint32_t QXText_GetText(ObjectHandle object, char* buffer, uint32_t* length);
// The room the laid-out text takes: its widest line and the sum of its line
// heights, in page units.
uint32_t QXText_GetTextSize(ObjectHandle object, Fixed* width, Fixed* height);
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
// The buffer holds size bytes; the text is cut to size - 1 characters and ended by NUL.
uint32_t QXText_GetSelectedText(ObjectHandle object, char* buffer, uint32_t size, uint32_t referenceMode);
uint32_t QXText_GetCursorOffset(ObjectHandle object, uint32_t* a, uint32_t* b);
uint32_t QXText_SetEditMode(uint32_t mode);
uint32_t QXText_SetNoWrap(ObjectHandle object, uint32_t value);
uint32_t QXText_SetTextAttr(ObjectHandle object, int32_t font, int32_t size, int32_t style, int32_t justification);
// Copies of the family names in QXMem blocks, the list and the index array
// in blocks of their own; 0 at once when *names already holds a block.
uint32_t QXText_GetFontNames(char*** names, uint16_t* count, int16_t** indexes);
uint32_t QXText_GetFontSizes(uint32_t ignored, uint16_t** sizes, uint16_t* count);
uint32_t QXText_Find(const char* search, const char* replacement, uint32_t scope, uint32_t matchCase,
                     uint32_t replaceMode, ObjectHandle start, ObjectHandle* result);
uint32_t QXText_FindAgain();
uint32_t QXText_InsertReference(ObjectHandle object, ObjectHandle referenced);
uint32_t QXText_RemoveReference(ObjectHandle object, ObjectHandle* referenced);
ObjectHandle QXText_ReferenceAtCursor(ObjectHandle object);
uint32_t QXText_RefersTo(ObjectHandle object, ObjectHandle other);
// The objects referred to in the other object's text take it as referrer in
// place of the object.
uint32_t QXText_UpdateReferences(ObjectHandle object, ObjectHandle other);
// Sets the layout option of the element's text (no wrapping when the value is
// not 0) and lays the text out again.
uint32_t QXText_SetTextOption(ObjectHandle element, uint32_t value);

uint32_t QXText_DeleteText(ObjectHandle object, uint32_t keepIfNotEmpty);
