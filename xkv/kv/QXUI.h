// QX user interface functions: commands and cursors, the interface selection
// flag, the status bar, redrawing, showing objects and pages, nested
// interaction with picks, group operations with undo, and printing.
#pragma once

#include <cstdint>

#include "atolq/Resources/MenuTables.h"
#include "xkv/kv/QX.h"
#include "xkv/velkor/XTypes.h"

// The CommandId of the menu item bound to the request being handled, 0 when none.
uint32_t QXUI_GetCurrentCommand();
void QXUI_SetCommFlag(uint32_t value);
void QXUI_SetCommFlagRaw(uint32_t value);
uint32_t QXUI_Beep(uint32_t);
void QXUI_ClearUndo();
void QXUI_SetStatusBarMessage(const char* text);
void QXUI_UpdateStatusBar();
void QXUI_FlushDisplay();
uint32_t QXUI_RedrawObject(ObjectHandle object);
uint32_t QXUI_RedrawPage(ObjectHandle page);
const char* QXUI_GetMessage(int32_t id);
const char* QXUI_GetMessageClear(int32_t id);
void QXUI_NoOp(uint32_t);

// Commands issued as if chosen from their menu items.
uint32_t QXUI_DoCommand(CommandId command);
uint32_t QXUI_DoCommandAlias(CommandId command);
uint32_t QXUI_DoCommandWithCursor(CommandId command, int32_t cursor);
uint32_t QXUI_SetTransCursor(int32_t cursor);
// Shows a cursor; gives the previous cursor id.
int32_t QXUI_SetCursor(int32_t cursor);
uint32_t QXUI_SetDefault28(uint32_t value);
uint32_t QXUI_SetDefault28b(uint32_t value);
uint32_t QXUI_SetDefault28c(uint32_t value);

// Scrolling to objects and pages.
uint32_t QXUI_ShowObject(ObjectHandle object);
uint32_t QXUI_ShowObjects(uint32_t count, const ObjectHandle* objects);
uint32_t QXUI_ShowPoint(ObjectHandle object, uint32_t atPosition);
uint32_t QXUI_ShowPage(ObjectHandle page, uint32_t raise);
Widget QXUI_GetObjectWindow(ObjectHandle object);

// Nested interaction: up to ten levels, each running the event loop until
// hook 61 sees a cancel or a pick; gives the object picked, or 0.
inline constexpr int32_t kQXNestedLevels = 10;
uint32_t QXUI_RunNested();
// The current level (-1 when none runs).
int32_t QXUI_NestedLevel();
uintptr_t QXUI_NestedEventHook(uintptr_t event, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
ObjectHandle QXUI_PickObject(int32_t kinds, uint32_t flag);
ObjectHandle QXUI_PickPage();

// Group operations that keep an undo record.
uint32_t QXUI_AlignObjects(ObjectHandle object, int32_t command, ObjectHandle a, ObjectHandle b);
uint32_t QXUI_Align(ObjectHandle object, int32_t command, ObjectHandle a, ObjectHandle b);
uint32_t QXUI_SpreadObjects(const ObjectHandle* objects, uint32_t count, uint32_t direction);
uint32_t QXUI_DuplicateObjects(ObjectHandle page, uint32_t count, const ObjectHandle* objects);
uint32_t QXUI_CopyShape(const ObjectHandle* objects, uint32_t count, ObjectHandle model, uint32_t takeSize);
// Mode 0 the print command, 2 a page-number range (two numbers), 3 the
// pages given or the pages with the numbers given.
uint32_t QXUI_PrintPages(int32_t mode, const ObjectHandle* pages, const int32_t* numbers, uint32_t count);
