// Kernel programming interface and services of other subsystems that the
// declarations call and that are not built here yet. Only declared; the
// programs that link the declarations provide them.
#pragma once

#include <cstdint>

struct SEHead;

// Texts of kernel objects.
int QXText_GetLength(uint32_t object, uint16_t* length);
int QXText_GetText(uint32_t object, char* buffer, uint16_t* length);
int QXText_SetText(uint32_t object, const char* text);

// Objects, selection and commands.
uint32_t QXStr_CreateNode(uint32_t page, int32_t x, int32_t y, int32_t width, int32_t height, int32_t shape);
int QXStr_DeleteObject(uint32_t object);
uint32_t QXStr_GetCurObject();
int QXStr_SetCurObject(uint32_t object);
// The regions of an object; the array is freed with QXMem_Free.
int QXStr_GetRegionList(uint32_t object, uint16_t* count, uint32_t** regions);
uint32_t Comm_GetCurrentPage();
int QXUI_DoCommand(int32_t command);
int QXUI_AlignObjects(uint32_t object, int32_t code, uint32_t a, uint32_t b);
void QXUI_SetStatusBarMessage(const char* text);

// Attributes: line style, size and centre position (16.16 fixed).
int QXWtAttr_SetLineStyle(uint32_t object, int32_t style);
int QXRdAttr_GetSize(uint32_t object, int32_t* width, int32_t* height);
int QXRdAttr_GetPosition(uint32_t object, int32_t* x, int32_t* y);
int QXWtAttr_SetSize(uint32_t object, int32_t width, int32_t height);
int QXWtAttr_SetPosition(uint32_t object, int32_t x, int32_t y);

// The syntax check's legal-ML-identifier test.
int CTSLegalMLName(const char* name);
// Starting the evaluator with the editor's evaluator settings: 1 when up.
using CTSConfigFn = int (*)(int freshImage, int* local, char** host, uint16_t* port, char** image,
                            char** savedImage, char** program, char** user, char** password, int level);
int CTSStartEvaluator(CTSConfigFn configuration);
int GE_GetMLSettings(int freshImage, int* local, char** host, uint16_t* port, char** image,
                     char** savedImage, char** program, char** user, char** password, int level);
// The simulator's with-time option.
int SWithTime();
