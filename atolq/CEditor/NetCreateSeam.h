// Services of other net-editor modules that the creating and converting
// commands call: declarations only; the modules that own them provide them.
#pragma once

#include <cstdint>

struct SEHead;

// The selected objects in a QXMem block (freed by the caller); with no
// selection but a current object a one-element list. 1 when there is one.
int GE_GetSelection(uint16_t* count, uint32_t** objects);
// Starts the kernel creation command that fits the default record's shape,
// with the cursor.
void EE_StartCreation(int16_t cursor, const void* defaultRecord);
// Hook-1 handler of a creation command: ends the creation.
uintptr_t EE_CreationEnded(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// Dialog 30165: 0 global, 1 temporary, 2 local; 0 on Cancel.
int EE_AskDeclKind(int* answer);
// The attributes of a default key applied to an object.
void GE_ApplyDefaultAttributes(int32_t key, uint32_t object);
// Starts editing the current object's text.
void GE_BeginTextEdit();
// Ends editing the text.
void GE_EndTextEdit();
// The hierarchy page, 0 when there is none.
uint32_t PG_GetHierarchyPage();
// Net records of editor objects.
int EE_CreateNetPlace(uint32_t node);
int EE_CreateNetTrans(uint32_t node);
int EE_CreateNetArc(uint32_t connector);
int EE_CreateDeclNode(uint32_t node, uint32_t page, uint16_t subKind);
// A chart record for the node; with the flag the chart dialog sets it up.
int EE_MakeBarChartRecord(uint32_t node, int openDialog);
int EE_MakeLineChartRecord(uint32_t node, int openDialog);
// The objects lose their net role.
void EE_ConvertObjectsToAux(uint16_t count, const uint32_t* objects);
// Turns a region back into a node.
void EE_RegionToNode(uint32_t region);
