// Cursors by number: a table of X cursors filled from cursor resource files, the
// current cursor of the current page window and a temporary override cursor.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

#include "xkv/types/Types.h"

struct CursorEntry {
    uint32_t id;
    Cursor cursor;
};

// No cursor (the current and the override id start as this).
inline constexpr uint32_t kNoCursor = 0xffffffffu;

// Where cursors are shown: the current page window and the main window (0: none).
void Cursor_SetWindowQueries(Window (*currentPageWindow)(), Window (*mainWindow)());

// 1 when the file could be opened, 0 when not; null means "KernelCursor.res" in the
// resource directory.
uint32_t Cursor_LoadFile(const char* path);
void Cursor_FreeAll();
// The entry of an id, or null.
const CursorEntry* Cursor_Find(uint32_t id);
// 1 when the id was present (its entry is handed out for overwriting), 0 when a
// new entry was appended.
uint32_t Cursor_AddEntry(uint32_t id, CursorEntry** entry);
// The bitmap read from the bitmap directory of the file being read, or 0.
Pixmap Cursor_ReadBitmap(const char* name, int* hotX, int* hotY);
KernelStatus Cursor_Set(uint32_t id);
KernelStatus Cursor_SetOverride(uint32_t id);
void Cursor_SetMainWindow(uint32_t id);
// The override id when one is active, else the current id (-1 when none).
int32_t Cursor_GetCurrent();
void Cursor_ParseError(const char* message);
// The number of cursors in the table.
size_t Cursor_Count();
