// The kernel's dialog toolkit: numbered dialogs built from the dialog tables,
// nested up to ten levels, with their items read and changed through the
// operations below; focus and keyboard routing; message boxes, the file-name
// and text-style dialogs; and record dialogs that bind items to value records.
#pragma once

#include "xkv/velkor/XTypes.h"

#include <cstddef>
#include <cstdint>

#include "xkv/types/Types.h"

inline constexpr int32_t kDialogMaxDepth = 10;
inline constexpr int32_t kDialogMaxListBuffers = 9;
inline constexpr int32_t kFileSelectorLevel = 32767;
inline constexpr int32_t kDialogTextMax = 4096;

// Dialog error word values.
inline constexpr uint32_t kDialogErrNoDialog = 35;
inline constexpr uint32_t kDialogErrBadItem = 74;
inline constexpr uint32_t kDialogErrListFull = 80;
inline constexpr uint32_t kDialogErrBadRange = 39;
inline constexpr uint32_t kDialogErrNotText = 1;

// Item classes of Dialog_GetItemClass.
enum DialogItemClass : int32_t {
    kClassButton = 0,
    kClassCheckBox = 1,
    kClassRadio = 2,
    kClassField = 3,
    kClassStaticText = 4,
    kClassList = 5,
    kClassSpecial = 6,
    kClassScrolledField = 7,
};

// callback(dialog number, code, item number, event value): code 0 item 0 once
// the dialog is built; code 1 for an item. For keys a result of 0 consumes it.
using DialogCallback = int16_t (*)(int16_t dialog, int32_t code, int16_t item, intptr_t value);
// Called for a list pick with the entry index and text.
using DialogListCallback = void (*)(int32_t index, const char* text);

// Module start-up: check-box and radio bitmaps, the empty pattern pixmap and
// the 32 x 32 fill-pattern pixmaps.
KernelStatus Dialog_Initialize();

uint32_t Dialog_ErrorWord();
void Dialog_SetErrorWord(uint32_t value);
int32_t Dialog_FindRecord(int32_t number);

// Opening and closing.
int32_t Dialog_Open(int32_t number, DialogCallback callback, void* clientData);
int32_t Dialog_OpenModal(int32_t number, DialogCallback callback, void* clientData);
void Dialog_Close(int32_t item);
uint32_t Dialog_IsOpen();
void* Dialog_GetClientData();
void Dialog_SetFileSelectorShown(uint32_t shown);
uint32_t Dialog_IsFileSelectorShown();
int32_t Dialog_Depth();
int32_t Dialog_TopDialogNumber();
int16_t Dialog_LastResult();

// Item state.
int32_t Dialog_SetItemState(int32_t item, int32_t state);
void Dialog_SetRadioGroup(int32_t first, int32_t last, int32_t chosen);
int32_t Dialog_GetItemState(int32_t item);
int32_t Dialog_GetRadioChoice(int32_t first, int32_t last);
int32_t Dialog_DisableItem(int32_t item);
int32_t Dialog_EnableItem(int32_t item);
int32_t Dialog_SetItemSensitive(int32_t item, int32_t flag);
int32_t Dialog_GetItemClass(int32_t number, int32_t item);
int32_t Dialog_GetItemCount();

// Text.
int32_t Dialog_GetItemText(int32_t item, char* buffer, int32_t max);
int32_t Dialog_GetItemTextLength(int32_t item);
int32_t Dialog_SetItemText(int32_t item, const char* text);
int32_t Dialog_SetItemLabel(int32_t item, const char* text);
int32_t Dialog_GetItemLabel(int32_t item, char* buffer, int32_t max);
// The number at the start of the text (at most 10 characters); -1 when the
// text is empty or its number does not fit in 32 bits.
int32_t Dialog_GetItemNumber(int32_t item);
int32_t Dialog_SetItemNumber(int32_t item, int32_t value);
int32_t Dialog_SelectItemText(int32_t item, int32_t from, int32_t to);
int32_t Dialog_SetFocusItem(int32_t item);
int32_t Dialog_GetFocusItem();

// Items and the shell.
int32_t Dialog_ShowItem(int32_t item, int32_t shown);
int32_t Dialog_MoveItem(int32_t item, int32_t x, int32_t y);
int32_t Dialog_MoveShell(int32_t x, int32_t y);
int32_t Dialog_ResizeShell(int32_t width, int32_t height);
int32_t Dialog_ConfigureShell(int32_t x, int32_t y, int32_t width, int32_t height);
void Dialog_RememberGeometry(int32_t level, int32_t x, int32_t y, int32_t width, int32_t height);
uint32_t Dialog_ContainsPoint(int32_t x, int32_t y);

// Lists.
int32_t Dialog_SetListItems(int32_t item, int32_t count, const char* const* strings, int32_t capacity,
                            int32_t entryWidth, DialogListCallback listCallback, int32_t forceBars);
int32_t Dialog_RemoveList(int32_t item);
int32_t Dialog_InsertListEntry(int32_t item, const char* text, int32_t sorted, int32_t* position);
int32_t Dialog_DeleteListEntry(int32_t item, int32_t index);
int32_t Dialog_ClearList(int32_t item);
int32_t Dialog_GetListCount(int32_t item, int32_t* count);
int32_t Dialog_GetListStrings(int32_t item, char*** strings);
int32_t Dialog_GetListEntry(int32_t item, int32_t index, int32_t* max, char* buffer);
int32_t Dialog_HighlightListEntry(int32_t item, int32_t index, int32_t on);
int32_t Dialog_GetListSelection(int32_t item);
int32_t Dialog_IsListEntryCurrent(int32_t item, int32_t index);
int32_t Dialog_ListBuffersInUse();

// Scroll bars.
int32_t Dialog_GetScrollValue(int32_t item);
int32_t Dialog_SetScrollValue(int32_t item, int32_t value);
int32_t Dialog_GetScrollRange(int32_t item, int32_t* minimum, int32_t* maximum);
int32_t Dialog_SetScrollRange(int32_t item, int32_t minimum, int32_t maximum);

// Kept for their callers; they do nothing.
int32_t Dialog_SetItemAttribute(int32_t item, int32_t value);
int32_t Dialog_RedrawItem(int32_t item);
void Dialog_SetListProc(void (*proc)());

// Focus, default button, keyboard and pointer routing.
int32_t Dialog_LevelOfWindow(Window window);
KernelStatus Dialog_FindLevelOfWindow(Window window, int32_t* level, Window* found);
// Both take the event that the main switch got (a ButtonPress, a KeyPress).
uint32_t Dialog_HandleButton(XEvent* event);
uint32_t Dialog_HandleKey(XEvent* event, int32_t character);
void Dialog_SetFocus(int32_t index, int32_t select);
int32_t Dialog_GetFocus();
void Dialog_ClearFocus();
void Dialog_MoveFocus(int32_t direction);
int32_t Dialog_SetDefaultItem(int32_t item);
void Dialog_ClearDefault();
Widget Dialog_GetDefaultWidget();
int32_t Dialog_ActivateDefault();
// The item's main widget in the top dialog (null when it has none).
Widget Dialog_ItemWidget(int32_t item);
Widget Dialog_ShellWidget();

// Message boxes, the file-name dialog and the text-style dialog.
int32_t Dialog_Alert(int32_t messageId, const char* text, int32_t kind);
int32_t Dialog_ShowMessage(int32_t messageId, const char* text);
int32_t Dialog_Ask(int32_t messageId, const char* text);
int32_t Dialog_ReportStatus(KernelStatus status);
KernelStatus Dialog_SelectFile(const char* prompt, const char* acceptLabel, const char* initialPath, uint32_t option,
                               char** path);
// Brings the size list of dialog 274 in line with its size field.
void Dialog_SyncTextSize();

// Record dialogs.
int32_t Dialog_RunRecord(int32_t number, MemHandle defaults, MemHandle record, uint8_t* defaultsData,
                         uint8_t* recordData, int32_t exclusive, int32_t noWait);
KernelStatus Dialog_OpenRecord(int32_t number, MemHandle defaults, MemHandle record, int32_t wait, int32_t noGesture,
                               int32_t* item, MemHandle* result);
KernelStatus Dialog_RecordEnded(int32_t number, int32_t result, MemHandle toFree, MemHandle resultHandle);
int32_t Dialog_GetLastResult();
