// Services that the hierarchy page calls and that other modules provide:
// declarations only; the modules that own them provide the definitions.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

// Kernel: aligns the object with the reference object by the alignment
// command (903 left to left, 905 right to left, 907 top to top, 908 top to
// bottom).
uint32_t QXUI_Align(ObjectHandle object, uint32_t command, ObjectHandle reference, uint32_t flag);
// Kernel: sets the cursor (17 the watch) and returns the previous one.
uint32_t QXUI_SetCursor(uint32_t cursor);
// Kernel: a page's name, number, size and border flag, read and written.
uint32_t QXRdAttr_GetPageAttr(ObjectHandle page, char* name, uint32_t* number, Fixed* width, Fixed* height,
                              uint32_t* border);
uint32_t QXWtAttr_SetPageAttr(ObjectHandle page, const char* name, uint32_t number, Fixed width, Fixed height,
                              uint32_t border);

// Net editor: a new kernel page (flag 0: with the options of a net page).
ObjectHandle GE_NewPage(int flag);
// Net editor: a node from a shape record, at a position on the page.
ObjectHandle GM_CreateOne(ObjectHandle page, Fixed x, Fixed y, const uint32_t* shapeRecord);
// Net editor: applies the graphic defaults of a default key to an object.
int GE_ApplyDefaultAttributes(int32_t key, ObjectHandle object);
// Net editor: a connector with the shape and graphic defaults of a key.
ObjectHandle GE_CreateConnectorByKey(ObjectHandle page, ObjectHandle from, ObjectHandle to, int32_t key);
// Net editor: a new region of the kind on the object.
ObjectHandle GE_MakeRegion(ObjectHandle object, int32_t kind);
// Net editor: an object's reference name (at most 88 bytes with the end).
int GE_ObjectRefName(ObjectHandle object, char* buffer);

// Kernel: lets the user pick an object of the kinds (4 node); 0 when cancelled.
ObjectHandle QXUI_PickObject(uint32_t kinds, uint32_t flag);
// Kernel: scrolls the current page window to show the objects.
void QXUI_ShowObjects(uint32_t count, const ObjectHandle* objects, uint32_t flag);
void QXUI_ShowObject(ObjectHandle object);

// Net editor: strips an object of its net role (delete: also its regions).
void EE_RemoveNetInfo(ObjectHandle object, int deleteRegions);
// Net editor: removes the inscription of the region kind from the object.
int GE_RemoveRegionInfo(ObjectHandle object, int32_t kind);
// Net editor: the page deletion (closes the page's window).
int GE_DeletePage(ObjectHandle page);
