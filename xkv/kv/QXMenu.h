// QX menus and colours: building and changing the menu bar at run time, and
// the colour indices of objects and the kernel's colour table.
#pragma once

#include <cstdint>

#include "xkv/colour/Colour.h"
#include "xkv/kv/QX.h"

uint32_t QXMenu_LoadMenu(int32_t menuId);
uint32_t QXMenu_AddMenu(int32_t menuId, int32_t before);
uint32_t QXMenu_MoveMenu(int32_t menuId, int32_t before);
uint32_t QXMenu_DeleteMenu(int32_t menuId);
uint32_t QXMenu_SetMenuTitle(int32_t menuId, const char* title);
uint32_t QXMenu_SetMenuState(int32_t menuId, uint32_t bits);
uint32_t QXMenu_GetMenuPosition(int32_t menuId, uint16_t* index);
uint32_t QXMenu_AddItem(uint32_t command, const char* label, int32_t menuId, uint32_t before);
uint32_t QXMenu_AppendItem(int32_t menuId, uint32_t command, const char* label);
uint32_t QXMenu_MoveItem(uint32_t command, int32_t menuId, uint32_t before);
uint32_t QXMenu_DeleteItem(uint32_t command);
void QXMenu_RemoveItem(uint32_t, uint32_t command);
uint32_t QXMenu_SetItemLabel(uint32_t command, const char* label);
uint32_t QXMenu_SetItemState(uint32_t command, uint32_t bits);
int32_t QXMenu_SetItemMark(uint32_t, uint32_t command, int32_t on);
int32_t QXMenu_GetItemMark(uint32_t, uint32_t command);
uint32_t QXMenu_GetItemPosition(uint32_t command, uint16_t* menuIndex, uint16_t* itemIndex);
uint32_t QXMenu_GetItemCount(int32_t menuId, uint16_t* count);
uint32_t QXMenu_GetItemAt(int32_t menuId, uint16_t index, uint32_t* command);
void QXMenu_UpdateMenuBar();

uint32_t QXColor_GetColors(ObjectHandle object, int16_t* line, int16_t* fill, int16_t* text);
uint32_t QXColor_GetLineColor(ObjectHandle object, int16_t* index);
uint32_t QXColor_GetFillColor(ObjectHandle object, int16_t* index);
uint32_t QXColor_GetTextColor(ObjectHandle object, int16_t* index);
uint32_t QXColor_SetColors(ObjectHandle object, int16_t line, int16_t fill, int16_t text);
uint32_t QXColor_SetLineColor(ObjectHandle object, int16_t index);
uint32_t QXColor_SetFillColor(ObjectHandle object, int16_t index);
uint32_t QXColor_SetTextColor(ObjectHandle object, int16_t index);
uint32_t QXColor_GetMode();
uint32_t QXColor_FreeEntries();
// Colour table entries: a null entry, name or row block fails with status 6.
uint32_t QXColor_GetMapSize();
uint32_t QXColor_GetRGB(ColorEntry* entry, uint32_t query);
uint32_t QXColor_Define(ColorEntry* entry);
uint32_t QXColor_DefineByName(const char* name, ColorEntry* entry);
uint32_t QXColor_LoadTable(const uint16_t (*rows)[3], uint32_t reset, int16_t first, uint16_t count);

// The main loop re-evaluates menu states after the current event while this
// request stands.
void QXMenu_RequestUpdate();
void QXMenu_CancelUpdate();
