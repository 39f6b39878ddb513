// QX user interface functions: commands, the interface selection flag, the
// status bar, redrawing and the undo record.
#pragma once

#include <cstdint>

#include "xkv/kv/QX.h"

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
