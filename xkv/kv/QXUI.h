// QX user interface functions: message, question and input dialogs,
// commands and cursors, the interface selection flag, the status bar,
// redrawing, showing objects and pages, nested interaction with picks, group
// operations with undo, and printing.
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

// Modal dialogs; each gives 1 when the user closes it with its first button.
// A message with an OK button.
uint32_t QXUI_ShowMessage(const char* text);
// A question answered Yes (1) or No (0).
uint32_t QXUI_Confirm(const char* text);
// A prompt with a text field holding the text (at most 255 characters, the
// buffer at least 256 bytes); the edited text is copied back when accepted.
uint32_t QXUI_AskString(const char* prompt, char* text);
// A prompt with the number in its field; the number typed is stored when
// accepted. Text that does not begin with a number, or a number out of the
// value's range, gives 0 and leaves the value as it was.
uint32_t QXUI_AskNumber(const char* prompt, int32_t* value);
uint32_t QXUI_AskShort(const char* prompt, int16_t* value);
// 1 when minimum <= value <= maximum; otherwise shows "<name> must have a
// value between <minimum> and <maximum>" (the name is message nameId) and
// gives 0.
uint32_t QXUI_CheckRange(int16_t value, int16_t minimum, int16_t maximum, int16_t nameId);

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
